// Kink turns.
#include "motifs/kturn.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "pairing/area.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "support/error.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr long KT_3WAY = 1, KT_JUNCTION = 2, KT_PKNOT = 4, KT_SPLAY = 8, KT_SPLAY_ONLY = 16;
constexpr double MIN_BEND_WITH_PAIR = 32.0;  // degrees: a smaller bend passes only on its own
constexpr double MIN_SASA = 100.0, UNDECIDED_SASA = 200.0;  // square Angstrom
constexpr double MAX_DISTANCE = 30.0;                        // Angstrom, C-pair to NC-pair origin
constexpr size_t MAX_LOOP_TEXT = 512;

long flag(const struct_mol& mol, long i, int which) { return mol.residues[i].flag[which]; }

long stem_of(const struct_mol& mol, long i) {
  const long s = flag(mol, i, rf::stem);
  return s > 0 ? s : -flag(mol, i, rf::isolated_pair);
}

pair make_pair(long i, long j, struct_mol& mol) {
  pair p;
  init_one_pair(p);
  if (i > 0 && j > 0) populate_one_base_pair(i, j, mol, p);
  return p;
}

bool passes_angles(double bend, double pair_angle) {
  return bend >= Gvars.kturn_angle || (bend >= MIN_BEND_WITH_PAIR && pair_angle >= Gvars.kturn_angle);
}

// The strand extended by the stem strands at its two ends, 5' to 3'.
std::vector<long> fill_full_strand(const struct_mol& mol, const helix_slots& helices,
                                   const std::vector<long>& strand) {
  std::vector<long> out;
  auto stem_strand = [&](long nt) -> std::vector<long> {
    const long s = flag(mol, nt, rf::stem);
    if (s <= 0 || s > helices.num_stems) return {};
    const helix& h = helices.stems[s];
    std::vector<long> a(h.strand1.begin() + 1, h.strand1.begin() + h.num_pairs + 1);
    std::vector<long> b(h.strand2.begin() + 1, h.strand2.begin() + h.num_pairs + 1);
    std::vector<long> v = std::find(a.begin(), a.end(), nt) != a.end() ? a : b;
    VASK_ASSERT(std::find(v.begin(), v.end(), nt) != v.end());
    std::sort(v.begin(), v.end());  // strand 2 is kept in pair order
    return v;
  };
  const std::vector<long> head = stem_strand(strand.front());
  if (!head.empty()) out.insert(out.end(), head.begin(), head.end() - 1);
  out.insert(out.end(), strand.begin(), strand.end());
  const std::vector<long> tail = stem_strand(strand.back());
  if (!tail.empty()) out.insert(out.end(), tail.begin() + 1, tail.end());
  return out;
}

void add_kt_counts(const struct_mol& mol, const std::vector<long>& s1, const std::vector<long>& s2, kturn& k) {
  for (long i : s1) {
    if (flag(mol, i, rf::splayed)) ++k.num_splayed;
    if (flag(mol, i, rf::cap_acceptor)) ++k.num_capped;
    if (flag(mol, i, rf::a_minor) < 0) ++k.num_aminor;
    const long g = flag(mol, i, rf::sheared_partner);
    if (g > 0 && std::find(s2.begin(), s2.end(), g) != s2.end()) {
      ++k.num_sheared;
      const long m = flag(mol, i, rf::multiplet);
      if (m != 0 && m == flag(mol, g, rf::multiplet)) ++k.num_mp_sheared;
    }
  }
}

std::vector<long> pair_nts(const helix& h, long from, long to) {
  std::vector<long> v{0};
  for (long k = from; k <= to; ++k) {
    v.push_back(h.pairs[k].nt1);
    v.push_back(h.pairs[k].nt2);
  }
  return v;
}

std::vector<long> helix_nts(const helix_slots& helices, long h, const pair& p) {
  if (h <= 0 || h > helices.num_helices) return {0, p.nt1, p.nt2};
  return pair_nts(helices.helices[h], 1, helices.helices[h].num_pairs);
}

double kturn_sasa(struct_mol& mol, const helix_slots& helices, const kturn& k, bool& found) {
  found = true;
  const long h1 = flag(mol, k.Cpair.nt1, rf::helix), h2 = flag(mol, k.NCpair.nt1, rf::helix);
  std::vector<long> a, b;
  if (h1 != h2 || h1 == 0) {
    a = helix_nts(helices, h1, k.Cpair);
    b = helix_nts(helices, h2, k.NCpair);
  } else {
    const helix& h = helices.helices[h1];
    long at = 0;
    for (long j = 1; j <= h.num_pairs && at == 0; ++j)
      if (pair_with_two_nts(h.pairs[j], k.GApair.nt1, k.GApair.nt2)) at = j;
    if (at == 0) {
      prglog_msg("get_Kturn_sasa() -- helix=%ld\tnum_pairs=%ld\n", h1, h.num_pairs);
      found = false;
      return 0;
    }
    a = pair_nts(h, 1, at - 1);
    b = pair_nts(h, at, h.num_pairs);
  }
  return get_area_diff_residue_sets(static_cast<long>(a.size()) - 1, a, static_cast<long>(b.size()) - 1, b,
                                    mol);
}

}  // namespace

// The type test: area change, distance and direction, then the type.
long is_good_kturn(struct_mol& mol, const helix_slots& helices, kturn& k) {
  bool found = true;
  k.d_sasa = kturn_sasa(mol, helices, k, found);
  if (!found || k.d_sasa < MIN_SASA) return 0;
  const frame& fc = k.Cpair.frame;
  xyz d;
  diff_xyz(fc.org, k.NCpair.frame.org, d);
  k.direction = {dot_xyz(d, fc.x_axis), dot_xyz(d, fc.y_axis), dot_xyz(d, fc.z_axis)};
  const double x = k.direction[0], y = k.direction[1], z = k.direction[2];
  k.distance = std::sqrt(x * x + y * y + z * z);
  if (k.distance > MAX_DISTANCE) return 0;
  const long f = (k.num_splayed != 0) + (k.num_capped != 0) + (k.num_aminor != 0) + (k.num_mp_sheared != 0);
  if (x < -5.5 && y < 15 && f >= 1) {
    k.type = KTURN_NORMAL;
    k.type_text = "Normal k-turn";
  } else if (x > 6 && y < -5) {
    k.type = KTURN_REVERSE;
    k.type_text = "REVERSE k-turn";
  } else if (f >= 1 && k.d_sasa > UNDECIDED_SASA) {
    k.type = KTURN_UNDECIDED;
    k.type_text = "Undecided case";
  } else {
    return 0;
  }
  if (upper_copy(k.GApair.bp) == "A-G") k.type_text += " [A-G]";
  return 1;
}

std::vector<kturn> allocate_Kturns_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<kturn>(static_cast<size_t>(n) + 1);
}

void free_Kturns(std::vector<kturn>& list) { std::vector<kturn>().swap(list); }

bool Kturn_compare(const kturn& a, const kturn& b) {
  if (a.type != b.type) return a.type < b.type;
  if (a.loop != b.loop) return a.loop < b.loop;
  return a.Cpair.nt1 < b.Cpair.nt1;
}

namespace {

bool loop_scanned(const struct_mol& mol, const loop& L) {
  if (L.num_sheared_GA == 0 || L.is_hairpin || L.is_bulge) return false;
  if (L.num_bridges == 2) return true;
  if (!(Gvars.kturn & KT_PKNOT))
    for (long b = 1; b <= L.num_bridges; ++b)
      if (flag(mol, L.bridges[b].nt1, rf::pknot)) return false;
  return L.num_bridges >= 3 && ((Gvars.kturn & KT_JUNCTION) || (L.num_bridges == 3 && (Gvars.kturn & KT_3WAY)));
}

long strand_breaks(const struct_mol& mol, const std::vector<long>& s) {
  long n = 0;
  for (size_t k = 1; k < s.size(); ++k)
    if (!residues_in_linkage(s[k - 1], s[k], mol)) ++n;
  return n;
}

// One candidate from bridges k1 < k2 of loop L; true when it is a kink turn.
bool kturn_from_bridges(struct_mol& mol, const helix_slots& helices, long li, const loop& L, long k1, long k2,
                        kturn& k) {
  const cfrag& c1 = L.bridges[k1];
  const cfrag& c2 = L.bridges[k2];
  if (c1.key == c2.key || c1.key == 0 || c2.key == 0) return false;
  for (const cfrag* c : {&c1, &c2})
    if (c->key < 0 && flag(mol, c->nt1, rf::pknot)) return false;
  const double bend = get_stems_angle_by_indices(c1.key, c2.key, mol, helices);
  const double pangle = get_cfrags_angle(c1, c2, mol);
  if (!passes_angles(bend, pangle)) return false;
  const long p1 = std::min(c1.start, c2.start), p2 = std::max(c1.start, c2.start);
  std::vector<long> s1, s2;
  for (long p = p1; p < p2; ++p) s1.push_back(L.nts[p]);
  for (long p = p2; p <= L.num_nts; ++p) s2.push_back(L.nts[p]);
  for (long p = 1; p < p1; ++p) s2.push_back(L.nts[p]);
  auto cross_sheared = [&mol](const std::vector<long>& a, const std::vector<long>& b) -> long {
    for (long i : a) {
      const long g = flag(mol, i, rf::sheared_partner);
      if (g > 0 && std::find(b.begin(), b.end(), g) != b.end()) return i;
    }
    return 0;
  };
  if (s1.empty() || s2.empty() || cross_sheared(s1, s2) == 0) return false;
  long votes1 = 0, votes2 = 0;
  const char* labels[] = {"Splayed", "Capped", "Aminor"};
  auto marked = [&mol](const std::vector<long>& s, int which) {
    return std::count_if(s.begin(), s.end(), [&](long i) {
      return which == 2 ? flag(mol, i, rf::a_minor) < 0 : flag(mol, i, which == 0 ? rf::splayed : rf::cap_acceptor) != 0;
    });
  };
  for (int w = 0; w < 3; ++w) {
    const long n1 = marked(s1, w), n2 = marked(s2, w);
    if (n1 > n2) ++votes1;
    if (n2 > n1) ++votes2;
    if (VERBOSITY > 0) prglog_msg("%s: %ld %ld\n", labels[w], n1, n2);
  }
  if (votes2 > votes1 || (votes1 == votes2 && s2.size() > s1.size())) std::swap(s1, s2);
  const long ga = cross_sheared(s1, s2);
  if (ga == 0) return false;  // a nucleotide in two sheared pairs keeps one partner mark only
  k = kturn{};
  k.Cpair = make_pair(s1.front(), flag(mol, s1.front(), rf::bestpair), mol);
  k.NCpair = make_pair(s1.back(), flag(mol, s1.back(), rf::bestpair), mol);
  k.GApair = make_pair(ga, flag(mol, ga, rf::sheared_partner), mol);
  VASK_ASSERT(k.GApair.nt1 > 0);
  if (k.Cpair.nt1 <= 0 || k.NCpair.nt1 <= 0 || k.Cpair.nt2 <= 0 || k.NCpair.nt2 <= 0) return false;
  const char code = mol.residues[ga].letter;
  if (code == 'A' || code == 'a')
    prglog_msg("[w] sheared A-G (not G-A) pair: (%s, %s)\n", mol.residues[k.GApair.nt1].idstr.c_str(),
               mol.residues[k.GApair.nt2].idstr.c_str());
  if (VERBOSITY > 0) {
    prglog_msg("sum: %ld %ld\n", votes1, votes2);
    prglog_msg(" C-pair: %s\n", get_pair_idstr_abbr(k.Cpair, mol).c_str());
    prglog_msg("NC-pair: %s\n", get_pair_idstr_abbr(k.NCpair, mol).c_str());
    prglog_msg("GA-pair: %s\n", get_pair_idstr_abbr(k.GApair, mol).c_str());
  }
  add_kt_counts(mol, s1, s2, k);
  const std::vector<long> f1 = fill_full_strand(mol, helices, s1), f2 = fill_full_strand(mol, helices, s2);
  const long len1 = static_cast<long>(f1.size()), len2 = static_cast<long>(f2.size());
  k.nts.insert(k.nts.end(), f1.begin(), f1.end());
  k.nts.insert(k.nts.end(), f2.begin(), f2.end());
  k.Cstem = {stem_of(mol, s1.front()), 1, len1, len1};
  k.NCstem = {stem_of(mol, s1.back()), len1 + 1, len1 + len2, len2};
  if (!is_good_kturn(mol, helices, k)) return false;
  k.loop = li;
  k.bending_angle = bend;
  k.pair_angle = pangle;
  k.strand2_breaks = strand_breaks(mol, s2);
  return true;
}

}  // namespace

void find_Kturns(struct_mol& mol, const helix_slots& helices, long num_loops, std::vector<loop>& loops,
                 long& count, std::vector<kturn>& list) {
  count = 0;
  list.clear();
  if (mol.pair_tallies[TALLY_SHEARED] == 0) return;
  std::vector<kturn> found{kturn{}};  // grows: nothing bounds the kink turns one loop may hold
  if (Gvars.kturn & KT_SPLAY_ONLY) {
    prglog_msg("[i] deriving k-turns based on single-stranded splays only.\n");
  } else {
    for (long li = 1; li <= num_loops; ++li) {
      const loop& L = loops[li];
      if (!loop_scanned(mol, L)) continue;
      for (long k1 = 1; k1 < L.num_bridges; ++k1)
        for (long k2 = k1 + 1; k2 <= L.num_bridges; ++k2) {
          kturn k;
          if (kturn_from_bridges(mol, helices, li, L, k1, k2, k)) found.push_back(std::move(k));
        }
    }
  }
  count = static_cast<long>(found.size()) - 1;
  if (count == 0) return;
  total_counts("kink turns", count);
  std::stable_sort(found.begin() + 1, found.end(), Kturn_compare);
  for (long i = 1; i <= count; ++i) {
    kturn& k = found[i];
    if (k.type != KTURN_UNDECIDED)
      for (size_t j = 1; j < k.nts.size(); ++j) mol.residues[k.nts[j]].flag[rf::kturn] = 1;
    if (k.loop > 0) {
      const std::string lower = lower_copy(k.type_text);
      const char* word = lower.find("normal") != std::string::npos    ? "normal"
                         : lower.find("reverse") != std::string::npos ? "reverse"
                                                                      : "undecided";
      std::string& text = loops[k.loop].text;
      text += std::string(" k-turn:") + word;
      if (text.size() > MAX_LOOP_TEXT) text.resize(MAX_LOOP_TEXT);
    }
  }
  list = std::move(found);
}

namespace {

std::string pair_info(const pair& p, const struct_mol& mol) {
  if (p.nt1 <= 0) return "--";
  return sformat("%s (%s,%s) %s", p.bp.c_str(), mol.residues[p.nt1].idstr.c_str(),
                 mol.residues[p.nt2].idstr.c_str(), p.name.c_str());
}

std::vector<long> part(const kturn& k, const std::array<long, 4>& g) {
  std::vector<long> v{0};
  for (long j = g[1]; j <= g[2]; ++j) v.push_back(k.nts[j]);
  return v;
}

std::string strand_text(const kturn& k, const std::array<long, 4>& g, const struct_mol& mol) {
  return get_residues_abbr_ids(g[3], part(k, g), mol);
}

std::string stems_line(const kturn& k, const struct_mol& mol) {
  return sformat("C#%ld[%s] [%s] NC#%ld[%s]", k.Cstem[0], pair_info(k.Cpair, mol).c_str(),
                 pair_info(k.GApair, mol).c_str(), k.NCstem[0], pair_info(k.NCpair, mol).c_str());
}

}  // namespace

void output_Kturn_info_pdb(struct_mol& mol, const std::vector<loop>& loops, long n,
                           const std::vector<kturn>& list, FILE* fp) {
  if (fp == nullptr || n <= 0) return;
  if (Gvars.auxfiles) {
    FILE* out = open_ensemble_file("Kturns", mol);
    for (long i = 1; i <= n; ++i) {
      const kturn& k = list[i];
      begin_ensemble_model(out, i, {stems_line(k, mol),
                                    sformat("strand1 nts=%ld; %s", k.Cstem[3], strand_text(k, k.Cstem, mol).c_str()),
                                    sformat("strand2 nts=%ld; %s", k.NCstem[3], strand_text(k, k.NCstem, mol).c_str())}, mol);
      write_residue_set_pdb_simple(static_cast<long>(k.nts.size()) - 1, k.nts, &k.Cpair.frame, mol, out);
      end_ensemble_model(out);
    }
    close_ensemble_file(out, mol);
  }
  if (Gvars.json) {
    json_lNumber(fp, "num_Kturns", n);
    json_begin_array(fp, "Kturns");
    for (long i = 1; i <= n; ++i) {
      const kturn& k = list[i];
      json_bareObject_start_with_idx(fp, i);
      json_string(fp, "type", k.type_text);
      if (k.loop > 0)
        json_lNumber(fp, loops[k.loop].num_bridges == 2 ? "iloop_index" : "junction_index",
                     loops[k.loop].type_index);
      json_lNumberArray(fp, "bounding_stems", 2, {0, k.Cstem[0], k.NCstem[0]});
      json_lNumber(fp, "Cstem_index", k.Cstem[0]);
      json_lNumber(fp, "NCstem_index", k.NCstem[0]);
      json_string(fp, "Cstem_pair", pair_info(k.Cpair, mol));
      json_string(fp, "NCstem_pair", pair_info(k.NCpair, mol));
      json_string(fp, "GA_pair", pair_info(k.GApair, mol));
      json_dNumber(fp, "bending_angle", k.bending_angle);
      json_begin_object(fp, "strand1");
      json_numNts_vec0(fp, k.Cstem[3], part(k, k.Cstem), mol);
      json_end_object(fp);
      json_begin_object(fp, "strand2");
      json_numNts_vec0(fp, k.NCstem[3], part(k, k.NCstem), mol);
      json_end_object0(fp);
      json_bareObject_end_check_idx(fp, i, n);
    }
    json_end_array(fp);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, n, "List of %ld possible kink %s\n", "turn");
  for (long i = 1; i <= n; ++i) {
    const kturn& k = list[i];
    std::fprintf(fp, "%4ld %s; ", i, k.type_text.c_str());
    if (k.loop <= 0)
      std::fprintf(fp, "not-in-loop");
    else if (loops[k.loop].num_bridges == 2)
      std::fprintf(fp, "iloop#%ld", loops[k.loop].type_index);
    else
      std::fprintf(fp, "%ld-way-junction#%ld", loops[k.loop].num_bridges, loops[k.loop].type_index);
    std::fprintf(fp, "; between stems [#%ld,#%ld]", k.Cstem[0], k.NCstem[0]);
    if (VERBOSITY > 0) {
      std::fprintf(fp, "\n      sheared-GA=%ld; bending-angle=%.0f; pair-angle=%.0f; sasa=%.0f\n", k.num_sheared,
                   k.bending_angle, k.pair_angle, k.d_sasa);
      std::fprintf(fp, "      A-minor=%ld; splays=%ld; multiplets=%ld; atom/base-stacking=%ld\n", k.num_aminor,
                   k.num_splayed, k.num_mp_sheared, k.num_capped);
      std::fprintf(fp, "      directions [%.1f, %.1f, %.1f]\n", k.direction[0], k.direction[1], k.direction[2]);
    } else {
      std::fprintf(fp, "; bending-angle=%.0f\n", k.bending_angle);
    }
    std::fprintf(fp, "      %s\n", stems_line(k, mol).c_str());
    std::fprintf(fp, "      strand1 nts=%ld; %s\n", k.Cstem[3], strand_text(k, k.Cstem, mol).c_str());
    std::fprintf(fp, "      strand2 nts=%ld%s; %s\n", k.NCstem[3], k.strand2_breaks ? "*" : "",
                 strand_text(k, k.NCstem, mol).c_str());
  }
}

}  // namespace vask
