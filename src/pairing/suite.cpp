// RNA backbone suite assignment (see suite.hpp).
#include "pairing/suite.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "pairing/torsion.hpp"
#include "structure/chain.hpp"
#include "structure/residue.hpp"
#include "support/error.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

struct cluster_row {
  const char* bin;
  const char* name;
  const char* status;
  const char* role;
  double mean[num_suite_dihedrals];  // delta(i-1), epsilon(i-1), zeta(i-1), alpha, beta, gamma, delta
};

// Cluster means of the 2008 consensus set of RNA backbone suite conformers
// (Richardson et al., RNA 14:465-481, 2008), in the published order, which is
// the cluster index.
constexpr cluster_row cluster_rows[] = {
    {"33 p", "1a", "certain", "dom", {81.495, 212.250, 288.831, 294.967, 173.990, 53.550, 81.035}},
    {"33 p", "1m", "certain", "sat", {83.513, 218.120, 291.593, 292.247, 222.300, 58.067, 86.093}},
    {"33 p", "1L", "certain", "sat", {85.664, 245.014, 268.257, 303.879, 138.164, 61.950, 79.457}},
    {"33 p", "&a", "certain", "sat", {82.112, 190.682, 264.945, 295.967, 181.839, 51.455, 81.512}},
    {"33 p", "7a", "certain", "ord", {83.414, 217.400, 222.006, 302.856, 160.719, 49.097, 82.444}},
    {"33 p", "3a", "certain", "ord", {85.072, 216.324, 173.276, 289.320, 164.132, 45.876, 84.956}},
    {"33 p", "9a", "certain", "ord", {83.179, 210.347, 121.474, 288.568, 157.268, 49.347, 81.047}},
    {"33 p", "1g", "certain", "ord", {80.888, 218.636, 290.735, 167.447, 159.565, 51.326, 85.213}},
    {"33 p", "7d", "certain", "ord", {83.856, 238.750, 256.875, 69.562, 170.200, 52.800, 85.287}},
    {"33 p", "3d", "certain", "ord", {85.295, 244.085, 203.815, 65.880, 181.130, 54.680, 86.035}},
    {"33 p", "5d", "certain", "ord", {79.671, 202.471, 63.064, 68.164, 143.450, 49.664, 82.757}},
    {"33 t", "1e", "certain", "ord", {80.514, 200.545, 280.510, 249.314, 82.662, 167.890, 85.507}},
    {"33 t", "1c", "certain", "dom", {80.223, 196.591, 291.299, 153.060, 194.379, 179.061, 83.648}},
    {"33 t", "1f", "certain", "sat", {81.395, 203.030, 294.445, 172.195, 138.540, 175.565, 84.470}},
    {"33 t", "5j", "certain", "ord", {87.417, 223.558, 80.175, 66.667, 109.150, 176.475, 83.833}},
    {"33 t", "5n", "wannabe", "ord", {86.055, 246.502, 100.392, 73.595, 213.752, 183.395, 85.483}},
    {"32 p", "1b", "certain", "dom", {84.215, 215.014, 288.672, 300.420, 177.476, 58.307, 144.841}},
    {"32 p", "1[", "certain", "sat", {82.731, 220.463, 288.665, 296.983, 221.654, 54.213, 143.771}},
    {"32 p", "3b", "certain", "ord", {84.700, 226.400, 168.336, 292.771, 177.629, 48.629, 147.950}},
    {"32 p", "1z", "certain", "ord", {83.358, 206.042, 277.567, 195.700, 161.600, 50.750, 145.258}},
    {"32 p", "5z", "certain", "ord", {82.614, 206.440, 52.524, 163.669, 148.421, 50.176, 147.590}},
    {"32 p", "7p", "certain", "ord", {84.285, 236.600, 220.400, 68.300, 200.122, 53.693, 145.730}},
    {"32 p", "5p", "wannabe", "ord", {84.457, 213.286, 69.086, 75.500, 156.671, 57.486, 147.686}},
    {"32 t", "1t", "certain", "ord", {81.200, 199.243, 288.986, 180.286, 194.743, 178.200, 147.386}},
    {"32 t", "5q", "certain", "ord", {82.133, 204.933, 69.483, 63.417, 115.233, 176.283, 145.733}},
    {"32 m", "1o", "certain", "ord", {83.977, 216.508, 287.192, 297.254, 225.154, 293.738, 150.677}},
    {"32 m", "7r", "certain", "ord", {84.606, 232.856, 248.125, 63.269, 181.975, 295.744, 149.744}},
    {"32 m", "5r", "wannabe", "ord", {83.000, 196.900, 65.350, 60.150, 138.425, 292.550, 154.275}},
    {"23 p", "2a", "certain", "ord", {145.399, 260.339, 288.756, 288.444, 192.733, 53.097, 84.067}},
    {"23 p", "4a", "certain", "sat", {146.275, 259.783, 169.958, 298.450, 169.583, 50.908, 83.967}},
    {"23 p", "0a", "certain", "dom", {149.286, 223.159, 139.421, 284.559, 158.107, 47.900, 84.424}},
    {"23 p", "#a", "certain", "sat", {148.006, 191.944, 146.231, 289.288, 150.781, 42.419, 84.956}},
    {"23 p", "4g", "certain", "ord", {148.028, 256.922, 165.194, 204.961, 165.194, 49.383, 82.983}},
    {"23 p", "6g", "certain", "ord", {145.337, 262.869, 79.588, 203.863, 189.688, 58.000, 84.900}},
    {"23 p", "8d", "certain", "ord", {148.992, 270.596, 240.892, 62.225, 176.271, 53.600, 87.262}},
    {"23 p", "4d", "certain", "ord", {149.822, 249.956, 187.678, 80.433, 198.133, 61.000, 89.378}},
    {"23 p", "6d", "certain", "ord", {146.922, 241.222, 88.894, 59.344, 160.683, 52.333, 83.417}},
    {"23 p", "2g", "wannabe", "ord", {141.900, 258.383, 286.517, 178.267, 165.217, 48.350, 84.783}},
    {"23 t", "2h", "certain", "ord", {147.782, 260.712, 290.424, 296.200, 177.282, 175.594, 86.565}},
    {"23 t", "4n", "certain", "ord", {143.722, 227.256, 203.789, 73.856, 216.733, 194.444, 80.911}},
    {"23 t", "0i", "certain", "sat", {148.717, 274.683, 100.283, 80.600, 248.133, 181.817, 82.600}},
    {"23 t", "6n", "certain", "dom", {150.311, 268.383, 84.972, 63.811, 191.483, 176.644, 85.600}},
    {"23 t", "6j", "certain", "sat", {141.633, 244.100, 66.056, 71.667, 122.167, 182.200, 83.622}},
    {"23 m", "0k", "wannabe", "ord", {149.070, 249.780, 111.520, 278.370, 207.780, 287.820, 86.650}},
    {"22 p", "2[", "certain", "ord", {146.383, 259.402, 291.275, 291.982, 210.048, 54.412, 147.760}},
    {"22 p", "4b", "certain", "ord", {145.256, 244.622, 162.822, 294.159, 171.630, 45.900, 145.804}},
    {"22 p", "0b", "certain", "ord", {147.593, 248.421, 112.086, 274.943, 164.764, 56.843, 146.264}},
    {"22 p", "4p", "certain", "ord", {150.077, 260.246, 213.785, 71.900, 207.638, 56.715, 148.131}},
    {"22 p", "6p", "certain", "ord", {146.415, 257.831, 89.597, 67.923, 173.051, 55.513, 147.623}},
    {"22 p", "2z", "wannabe", "ord", {142.900, 236.550, 268.800, 180.783, 185.133, 54.467, 143.350}},
    {"22 t", "4s", "certain", "ord", {149.863, 247.562, 170.488, 277.938, 84.425, 176.413, 148.087}},
    {"22 t", "2u", "wannabe", "ord", {143.940, 258.200, 298.240, 279.640, 183.680, 183.080, 145.120}},
    {"22 m", "2o", "certain", "ord", {147.342, 256.475, 295.508, 287.408, 194.525, 293.725, 150.458}},
};
static_assert(std::size(cluster_rows) == num_suite_clusters, "53 published suite clusters");

// General cluster half-widths per dihedral [1..7], degrees (same source).
constexpr double general_widths[num_suite_dihedrals + 1] = {0, 28, 60, 55, 50, 70, 35, 28};

// Widths that replace the general ones when a suite lies between a dominant
// cluster and one of its satellites (0 keeps the general width); indices as
// the dihedrals [1..7].
struct satellite_widths {
  const char* satellite;
  double sat[num_suite_dihedrals + 1];
  const char* dominant;
  double dom[num_suite_dihedrals + 1];
};
constexpr satellite_widths satellite_table[] = {
    {"1m", {0, 0, 0, 0, 0, 32, 0, 0}, "1a", {0, 0, 0, 0, 0, 64, 0, 0}},
    {"1L", {0, 0, 18, 0, 0, 18, 0, 0}, "1a", {0, 0, 70, 0, 0, 70, 0, 0}},
    {"&a", {0, 0, 20, 20, 0, 0, 0, 0}, "1a", {0, 0, 60, 60, 0, 0, 0, 0}},
    {"1f", {0, 0, 0, 0, 0, 47, 0, 0}, "1c", {0, 0, 0, 0, 0, 65, 0, 0}},
    {"1[", {0, 0, 0, 0, 0, 34, 0, 0}, "1b", {0, 0, 0, 0, 0, 56, 0, 0}},
    {"4a", {0, 0, 40, 40, 0, 0, 0, 0}, "0a", {0, 0, 50, 50, 0, 0, 0, 0}},
    {"#a", {0, 0, 26, 26, 0, 0, 0, 0}, "0a", {0, 0, 36, 36, 0, 0, 0, 0}},
    {"0i", {0, 0, 0, 0, 0, 60, 0, 0}, "6n", {0, 0, 0, 0, 0, 60, 0, 0}},
    {"6j", {0, 0, 0, 0, 0, 60, 0, 0}, "6n", {0, 0, 0, 0, 0, 60, 0, 0}},
};
static_assert(std::size(satellite_table) == 9, "one row per satellite cluster");

// Triage ranges, degrees, both ends included.
struct angle_range {
  double lo, hi;
  bool holds(double a) const { return a >= lo && a <= hi; }
};
constexpr angle_range epsilon_range{155, 310}, alpha_range{25, 335}, beta_range{50, 290},
    zeta_range{25, 335};
constexpr angle_range delta3_range{55, 110}, delta2_range{120, 175};  // C3'- and C2'-endo
constexpr angle_range gamma_p_range{20, 95}, gamma_t_range{140, 215}, gamma_m_range{260, 335};

// Delta class digit ('3' or '2'), or 0 outside both ranges.
char delta_class(double a) {
  if (delta3_range.holds(a)) return '3';
  if (delta2_range.holds(a)) return '2';
  return 0;
}

char gamma_class(double a) {
  if (gamma_p_range.holds(a)) return 'p';
  if (gamma_t_range.holds(a)) return 't';
  if (gamma_m_range.holds(a)) return 'm';
  return 0;
}

// Closing bracket of an opening delimiter character.
char closing_delimiter(char c) {
  switch (c) {
    case '(': return ')';
    case '[': return ']';
    case '{': return '}';
    default: return c;
  }
}

struct candidate {
  double dist;
  long row;
};

void copy_cluster(suite& s, const suite& row) {
  s.cluster = row.cluster;
  s.status = row.status;
  s.role = row.role;
}

// Copies the cluster of the chosen row and scores the suite by its 7D distance
// to the first row of that name.
void assign_cluster(suite& s, const std::vector<suite>& table, long row) {
  copy_cluster(s, table[row]);
  long first = 0;
  for (long k = 1; k < static_cast<long>(table.size()) && first == 0; ++k)
    if (table[k].cluster == s.cluster) first = k;
  VASK_ASSERT(first > 0);
  s.cluster_index = first;
  double d7 = suite_distance(s, table[first], general_widths, 1, num_suite_dihedrals, Gvars.suite_power);
  if (d7 <= 1.0) {
    s.suiteness = std::max((std::cos(std::numbers::pi * d7) + 1) / 2, 0.01);
  } else {
    s.valid = 0;
    s.comment = "outlier from known clusters (7D: '" + s.cluster + "')";
    s.cluster = "!!";
  }
}

// Dot product over epsilon, zeta, alpha and beta of (a - b) and (a - c).
double dot_4d(const suite& a, const suite& b, const suite& c) {
  double d = 0;
  for (long j = 2; j <= 5; ++j) d += (a.dihedral[j] - b.dihedral[j]) * (a.dihedral[j] - c.dihedral[j]);
  return d;
}

// Chooses between dominant D and satellite S; returns the chosen row.
long resolve_dominant_satellite(suite& s, const std::vector<suite>& table, long dom, long sat) {
  const suite &D = table[dom], &S = table[sat];
  double sat_w[num_suite_dihedrals + 1], dom_w[num_suite_dihedrals + 1];
  std::copy(std::begin(general_widths), std::end(general_widths), sat_w);
  std::copy(std::begin(general_widths), std::end(general_widths), dom_w);
  const char* word = "outside";
  if (dot_4d(D, s, S) > 0 && dot_4d(S, s, D) > 0) {
    word = "  between";
    const satellite_widths* w = nullptr;
    for (const auto& r : satellite_table)
      if (S.cluster == r.satellite) w = &r;
    VASK_ASSERT(w != nullptr);
    for (long j = 1; j <= num_suite_dihedrals; ++j) {
      if (w->sat[j] > 0) sat_w[j] = w->sat[j];
      if (w->dom[j] > 0) dom_w[j] = w->dom[j];
    }
  }
  double d_sat = suite_distance(s, S, sat_w, 2, 5, Gvars.suite_power);
  double d_dom = suite_distance(s, D, dom_w, 2, 5, Gvars.suite_power);
  const std::string sat_text = sformat("satellite \"%s\" (%.3f)", S.cluster.c_str(), d_sat);
  const std::string dom_text = sformat("dominant \"%s\" (%.3f)", D.cluster.c_str(), d_dom);
  bool to_satellite = d_dom >= d_sat;  // a tie goes to the satellite
  s.comment = sformat("%s %s and %s", word, (to_satellite ? sat_text : dom_text).c_str(),
                      (to_satellite ? dom_text : sat_text).c_str());
  return to_satellite ? sat : dom;
}

}  // namespace

void init_1suite(suite& s) { s = suite{}; s.dihedral.fill(DBL_MAX); }

double to360(double angle) { return angle < 0 ? angle + 360 : angle; }

void cat_triage(std::string& comment, const char* word) {
  comment += comment.empty() ? "triaged: " : ", ";
  comment += word;
}

const std::vector<suite>& suite_cluster_table() {
  static const std::vector<suite> table = [] {
    std::vector<suite> t(num_suite_clusters + 1);
    init_1suite(t[0]);
    for (long k = 1; k <= num_suite_clusters; ++k) {
      const cluster_row& r = cluster_rows[k - 1];
      init_1suite(t[k]);
      t[k].bin = r.bin;
      t[k].cluster = r.name;
      t[k].status = r.status;
      t[k].role = r.role;
      for (long j = 1; j <= num_suite_dihedrals; ++j) t[k].dihedral[j] = r.mean[j - 1];
      t[k].cluster_index = k;
      for (long b = 1; b <= num_suite_bins; ++b)
        if (t[k].bin == suite_bins[b]) t[k].bin_index = b;
    }
    return t;
  }();
  return table;
}

double suite_distance(const suite& x, const suite& c, const double* w, long first, long last,
                      double power) {
  double sum = 0;
  for (long j = first; j <= last; ++j)
    sum += std::pow(std::fabs(x.dihedral[j] - c.dihedral[j]) / w[j], power);
  return std::pow(sum, 1.0 / power);
}

void get_suite_bin(suite& s, const std::vector<suite>& table) {
  for (long j = 1; j <= num_suite_dihedrals; ++j) {
    if (!(s.dihedral[j] >= 0 && s.dihedral[j] <= 360)) {
      s.valid = 0;
      s.bin = "inc ";
      s.cluster = "__";
      s.comment = "incomplete";
      return;
    }
  }
  const auto& d = s.dihedral;  // [1] delta(i-1) [2] epsilon [3] zeta [4] alpha [5] beta [6] gamma [7] delta
  std::string triage;
  if (!epsilon_range.holds(d[2])) cat_triage(triage, "epsilon");
  char dm = delta_class(d[1]);
  if (!dm) cat_triage(triage, "deltaM");
  char dl = delta_class(d[7]);
  if (!dl) cat_triage(triage, "delta");
  char gm = gamma_class(d[6]);
  if (!gm) cat_triage(triage, "gamma");
  if (!alpha_range.holds(d[4])) cat_triage(triage, "alpha");
  if (!beta_range.holds(d[5])) cat_triage(triage, "beta");
  if (!zeta_range.holds(d[3])) cat_triage(triage, "zeta");

  if (!triage.empty()) {
    s.valid = 0;
    s.bin = "trig";
    s.cluster = "!!";
    s.comment = triage;
    return;
  }
  s.bin = {dm, dl, ' ', gm};
  for (long b = 1; b <= num_suite_bins; ++b)
    if (s.bin == suite_bins[b]) s.bin_index = b;
  VASK_ASSERT(s.bin_index >= 1 && s.bin_index <= num_suite_bins);
  // An empty table leaves the verdict to the membership step (a 4D outlier).
  bool populated = table.size() <= 1 || std::any_of(table.begin() + 1, table.end(), [&](const suite& row) {
                     return row.bin == s.bin;
                   });
  if (!populated) {
    s.valid = 0;
    s.cluster = "!!";
    s.comment = "unclassified group";
  }
}

void get_suite_membership(suite& s, const std::vector<suite>& table) {
  if (!s.valid) return;
  std::vector<candidate> cands;
  long dom = 0;
  for (long k = 1; k < static_cast<long>(table.size()); ++k) {
    const suite& row = table[k];
    if (row.bin != s.bin || (!Gvars.suite_wannabe && row.status == "wannabe")) continue;
    double d = suite_distance(s, row, general_widths, 2, 5, Gvars.suite_power);
    if (d < 1.0) {
      cands.push_back({d, k});
      if (row.role == "dom") dom = k;
    }
  }
  if (cands.empty()) {
    s.valid = 0;
    s.cluster = "!!";
    s.comment = "outlier from known clusters [4D]";
    return;
  }
  s.num_candidates = static_cast<long>(cands.size());
  if (cands.size() == 1) {
    assign_cluster(s, table, cands[0].row);
    return;
  }
  std::sort(cands.begin(), cands.end(), [](const candidate& a, const candidate& b) {
    return a.dist != b.dist ? a.dist < b.dist : a.row < b.row;
  });
  if (dom == 0) {
    s.comment = "no dominant cluster";
    assign_cluster(s, table, cands[0].row);
    return;
  }
  long sat = 0;
  for (const auto& c : cands) {
    if (table[c.row].role != "dom") {
      sat = c.row;
      break;
    }
  }
  VASK_ASSERT(sat > 0);
  if (table[sat].role != "sat") {
    s.comment = "no dominant-satellite pair";
    assign_cluster(s, table, cands[0].row);
    return;
  }
  long chosen = resolve_dominant_satellite(s, table, dom, sat);
  VASK_ASSERT(table[chosen].bin == s.bin);
  assign_cluster(s, table, chosen);
}

void assign_suite(suite& s, const std::vector<suite>& table) {
  get_suite_bin(s, table);
  get_suite_membership(s, table);
}

void append_chain_suite_string(std::string& out, const std::vector<suite_chain_nt>& nts, long n) {
  const long delimiter = Gvars.suite_sep;
  const bool upper = Gvars.suite_upper != 0;
  auto code = [&](long k) {
    return upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(nts[k].code)))
                 : nts[k].code;
  };
  for (long k = 1; k < n; ++k) {
    std::string text = nts[k].broken            ? ".."
                       : nts[k + 1].cluster.empty() ? "??"
                                                    : nts[k + 1].cluster;
    out += code(k);
    if (delimiter) {
      out += static_cast<char>(delimiter);
      out += text;
      out += closing_delimiter(static_cast<char>(delimiter));
    } else {
      out += text;
    }
  }
  if (n >= 1) out += code(n);
}

// ---------------------------------------------------------------------------
// Suites of a structure

void get_membership(struct_mol& mol) {
  const auto& table = suite_cluster_table();
  for (long i = 1; i <= mol.num_residues; ++i)
    if (is_nt(i, mol)) get_suite_membership(mol.nt_infos[i].bb_suite, table);
}

void populate_suite(struct_mol& mol) {
  const auto& table = suite_cluster_table();
  for (long i = 1; i <= mol.num_residues; ++i) {
    if (!is_nt(i, mol)) continue;
    nt_info& n = mol.nt_infos[i];
    suite& s = n.bb_suite;
    init_1suite(s);
    s.dihedral[4] = to360(n.alpha);
    s.dihedral[5] = to360(n.beta);
    s.dihedral[6] = to360(n.gamma);
    s.dihedral[7] = to360(n.delta);
    // The suite starts at the sugar whose O3' is bonded to this P, wherever
    // that nucleotide sits in the file.
    long j = nt_5prime_neighbour(i, mol);
    if (j != -1) {
      s.dihedral[1] = to360(mol.nt_infos[j].delta);
      s.dihedral[2] = to360(mol.nt_infos[j].epsilon);
      s.dihedral[3] = to360(mol.nt_infos[j].zeta);
    }
    get_suite_bin(s, table);
  }
  get_membership(mol);
  get_chain_suite_strings(mol);
}

void get_chain_suite_strings(struct_mol& mol) {
  std::vector<suite_chain_nt> nts;
  for (long c = 1; c <= mol.num_chains; ++c) {
    chain& ch = mol.chains[c];
    long n = ch.num_chain_nts;
    nts.assign(static_cast<size_t>(n) + 1, suite_chain_nt{});
    for (long k = 1; k <= n; ++k) {
      long i = ch.nts[k];
      nts[k].code = mol.residues[i].letter;
      nts[k].broken = mol.residues[i].flag[rf::break_mark] == 'x';
      // The suite between k and k + 1 ends at whichever of the two is the
      // 3' partner of the link (k + 1 unless the chain runs 3' to 5').
      if (k == n) continue;
      long next = ch.nts[k + 1];
      long holder = nt_5prime_neighbour(i, mol) == next ? i : next;
      nts[k + 1].cluster = mol.nt_infos[holder].bb_suite.cluster;
    }
    append_chain_suite_string(ch.suite, nts, n);
  }
}

}  // namespace vask
