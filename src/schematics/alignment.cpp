// Alignment of the protein-DNA interfaces of two structures.
#include "schematics/alignment.hpp"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "pairing/frame.hpp"
#include "pairing/prepare.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/fitting.hpp"
#include "support/number.hpp"
#include "support/log.hpp"
#include "support/rotation.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr int FRAME_QUENBY_NT = 6;  // a DNA base seen from its glycosidic N
constexpr int FRAME_RELATIVE = 8;   // a base frame in an amino acid's frame
constexpr double DEFAULT_CUTOFF = 16.0;
constexpr double GAP_COST = 0.1;

xyz atom_xyz(long i, const struct_mol& mol) { return mol.atoms[i].xyz; }

// Origin at CA, x towards CB (a pseudo-CB for glycine), z normal to N-CA-CB.
bool aa_frame(long k, const struct_mol& mol, frame& f) {
  const long n = find_atom_in_residue(" N  ", k, mol), ca = find_atom_in_residue(" CA ", k, mol);
  if (n == -1 || ca == -1) return false;
  const xyz CA = atom_xyz(ca, mol);
  xyz cb{};
  const long b = find_atom_in_residue(" CB ", k, mol);
  if (b != -1) {
    cb = atom_xyz(b, mol);
  } else {
    const long c = find_atom_in_residue(" C  ", k, mol);
    if (c == -1 || trimmed(mol.residues[k].name) != "GLY") return false;
    xyz u1, u2, c1, c2;
    diff_norm_xyz(CA, atom_xyz(c, mol), u1);
    diff_norm_xyz(CA, atom_xyz(n, mol), u2);
    cross_xyz(u1, u2, c1);
    cross_xyz(u1, c1, c2);
    for (int d = 1; d <= 3; ++d) cb[d] = CA[d] - 0.4797 * u1[d] - 1.16 * c1[d] + 0.7065 * c2[d];
  }
  xyz x, nca, z, y;
  diff_norm_xyz(CA, cb, x);
  diff_xyz(CA, atom_xyz(n, mol), nca);
  cross_norm_xyz(nca, x, z);
  cross_xyz(z, x, y);
  fillout_frame_from_oxyz(CA, x, y, z, f);
  f.type = FRAME_QUENBY_AA;
  f.residue = k;
  return true;
}

// Origin at the glycosidic N, z the base plane's normal, x between the
// directions to the N's two ring neighbours.
bool nt_frame(long k, const struct_mol& mol, frame& f) {
  if (!is_DNA_nt(k, mol)) return false;
  const bool purine = is_R(k, mol);
  const long n = find_atom_in_residue(purine ? " N9 " : " N1 ", k, mol);
  const long a = find_atom_in_residue(purine ? " C4 " : " C2 ", k, mol);
  const long b = find_atom_in_residue(purine ? " C8 " : " C6 ", k, mol);
  if (n == -1 || a == -1 || b == -1) return false;
  static const char* const names[] = {" N1 ", " C2 ", " N3 ", " C4 ", " C5 ", " C6 ", " N7 ",
                                      " C8 ", " N9 ", " O2 ", " O4 ", " O6 ", " C7 "};
  std::vector<xyz> pts(1);
  for (const char* name : names) {
    const long i = find_atom_in_residue(name, k, mol);
    if (i != -1) pts.push_back(atom_xyz(i, mol));
  }
  if (pts.size() < 4) return false;
  xyz normal, centroid;
  ls_plane(static_cast<long>(pts.size()) - 1, pts, normal, centroid, nullptr);
  const xyz N = atom_xyz(n, mol);
  xyz d1, d2, d12;
  diff_norm_xyz(N, atom_xyz(a, mol), d1);
  diff_norm_xyz(N, atom_xyz(b, mol), d2);
  cross_xyz(d1, d2, d12);
  if (dot_xyz(d12, normal) < 0) negate_xyz(normal);
  xyz x, y;
  sum_xyz(d1, d2, x);
  orth_xyz(x, normal);
  cross_xyz(normal, x, y);
  fillout_frame_from_oxyz(N, x, y, normal, f);
  f.type = FRAME_QUENBY_NT;
  f.residue = k;
  return true;
}

// "a b [c]" with ':' as a blank: the two file names and the cutoff.
void parse_align_text(const std::string& text, std::string& file1, std::string& file2, double& cutoff) {
  std::string t = text;
  convert_char_in_str(t, ':', ' ');
  std::istringstream in(t);
  std::vector<std::string> items;
  for (std::string w; in >> w;) items.push_back(w);
  const double value = items.size() == 3 ? cvt2double(items[2]) : DBL_MAX;  // DBL_MAX: not a number
  if (items.size() < 2 || items.size() > 3) fatal("[e] wrong option: --align-str='%s'\n", text.c_str());
  file1 = items[0];
  file2 = items[1];
  if (!exist_file(file1) || !exist_file(file2) || is_pseudo_file(file1) || is_pseudo_file(file2))
    fatal("[e] must specify two coordinate files\n");
  cutoff = value >= 1.0 && value <= 26.0 ? value : DEFAULT_CUTOFF;
}

// The logistic term e / (1 + e) of e = exp(a (b - x)), safe for large arguments.
double logistic(double a, double b, double x) { return 1.0 / (1.0 + std::exp(-a * (b - x))); }

// 0 for a value <= 0 in the alignment matrix, else the value; moves as the
// trace-back row and column.
struct cell {
  double h = 0.0;
  long ti = -1, tj = -1;
};

std::string aa_label(long k, const struct_mol& mol) {
  const residue& r = mol.residues[k];
  return sformat("%s %c %4ld", r.name.c_str(), r.chain_id.empty() ? ' ' : r.chain_id[0], r.res_seq);
}

}  // namespace

std::vector<frame> get_aa_nt_frames(struct_mol& mol, long& count, double cutoff) {
  std::vector<frame> own(1), aas(1), nts(1);
  for (long k = 1; k <= mol.num_residues; ++k) {
    frame f;
    if (is_aa(k, mol) && aa_frame(k, mol, f)) {
      own.push_back(f);
      aas.push_back(f);
    } else if (is_nt(k, mol) && nt_frame(k, mol, f)) {
      own.push_back(f);
      nts.push_back(f);
    }
  }
  print_quenby_frames("quenby_frame.dat", mol, static_cast<long>(own.size()) - 1, own);
  std::vector<frame> rel(1);
  scoped_file sf(create_file(sformat("aa2nt_frames_%s.dat", mol.base_name.c_str())));
  for (size_t i = 1; i < aas.size(); ++i)
    for (size_t j = 1; j < nts.size(); ++j) {
      const double d = dist_xyz(aas[i].org, nts[j].org);
      if (d > cutoff) continue;
      frame r;
      set_first_as_reference_by_frame(aas[i], nts[j], r);
      r.type = FRAME_RELATIVE;
      r.residue = aas[i].residue;
      rel.push_back(r);
      const std::string title = sformat("%ld\t%s\tvs\t%s\t%g", static_cast<long>(rel.size()) - 1,
                                        mol.residues[aas[i].residue].idstr.c_str(),
                                        mol.residues[nts[j].residue].idstr.c_str(), d);
      write_one_frame(sf.get(), title.c_str(), r);
    }
  sf.close();
  count = static_cast<long>(rel.size()) - 1;
  if (count == 0)
    logit_fatal(sformat("\tno AA - DNA base interactions in file <%s>\n", mol.file_name.c_str()).c_str());
  return rel;
}

std::vector<aa_run> get_unique_aa_paired_info(long n, const std::vector<frame>& frames, long& count) {
  std::vector<aa_run> runs(1);
  for (long k = 1; k <= n; ++k) {
    if (runs.size() > 1 && runs.back().residue == frames[k].residue) {
      runs.back().last = k;
      ++runs.back().count;
      continue;
    }
    runs.push_back({k, k, 1, frames[k].residue});
  }
  count = static_cast<long>(runs.size()) - 1;
  VASK_ASSERT(count >= 1);
  return runs;
}

double get_one_aa_match_score(long first1, long last1, const std::vector<frame>& frames1, long first2,
                              long last2, const std::vector<frame>& frames2) {
  const bool swap = last2 - first2 < last1 - first1;  // the shorter run is the outer one
  const std::vector<frame>& outer = swap ? frames2 : frames1;
  const std::vector<frame>& inner = swap ? frames1 : frames2;
  const long o1 = swap ? first2 : first1, o2 = swap ? last2 : last1;
  const long i1 = swap ? first1 : first2, i2 = swap ? last1 : last2;
  double sum = 0.0;
  long taken = 0;
  for (long a = o1; a <= o2; ++a) {
    const frame& F = outer[a];
    const double L1 = length_xyz(F.org);
    double best = -1.0;
    for (long b = i1; b <= i2; ++b) {
      const frame& G = inner[b];
      const double L2 = length_xyz(G.org);
      const double c = L1 > 0 && L2 > 0 ? dot_xyz(F.org, G.org) / (L1 * L2) : 1.0;
      const double d = std::sqrt(std::max(0.0, 2.0 * (1.0 - c)));
      const double m = std::min(L1, L2);
      const double r = std::fabs(get_rotation_angle_by_frame(F, G)) / 180.0;
      const double dL = std::fabs(L1 - L2);
      if (r > 0.4 || d * m > 8.0 || dL > 4.0) continue;
      const double product = logistic(91.0, 0.14, r) * logistic(5.0, 2.6, d * m) * logistic(25.0, 0.5, dL);
      best = std::max(best, 10.0 * std::cbrt(product));
    }
    if (best < 0) continue;
    sum += best;
    ++taken;
  }
  return taken == 0 ? 0.0 : sum / static_cast<double>(taken);
}

void align_2strs_per_vorpin(const std::string& text, const std::string& output) {
  std::string file1, file2;
  double cutoff = DEFAULT_CUTOFF;
  parse_align_text(text, file1, file2, cutoff);
  struct_mol mol1, mol2;
  read_pdb(file1, mol1);
  read_pdb(file2, mol2);
  runlog_msg("str#1: %s\tstr#2: %s\tcutoff=%g\n", file1.c_str(), file2.c_str(), cutoff);
  long n1 = 0, n2 = 0;
  const std::vector<frame> frames1 = get_aa_nt_frames(mol1, n1, cutoff);
  const std::vector<frame> frames2 = get_aa_nt_frames(mol2, n2, cutoff);

  scoped_file out(output_file(output));
  long R = 0, C = 0;
  const std::vector<aa_run> runs1 = get_unique_aa_paired_info(n1, frames1, R);
  const std::vector<aa_run> runs2 = get_unique_aa_paired_info(n2, frames2, C);

  std::vector<std::vector<double>> S(static_cast<size_t>(R) + 1, std::vector<double>(static_cast<size_t>(C) + 1));
  {
    scoped_file ms(create_file("match_scores.dat"));
    for (long i = 1; i <= R; ++i) {
      std::fprintf(ms.get(), "%4ld", i);
      for (long j = 1; j <= C; ++j) {
        double s = get_one_aa_match_score(runs1[i].first, runs1[i].last, frames1, runs2[j].first, runs2[j].last,
                                          frames2);
        if (s < 0.5) {
          s = -5.0;  // a poor match counts against the alignment, unprinted
        } else {
          if (s > 10.0) s = 10.0;
          std::fprintf(ms.get(), "%8.1f", s);
        }
        S[i][j] = s;
      }
      std::fprintf(ms.get(), "\n");
    }
    ms.close();
  }

  std::vector<std::vector<cell>> H(static_cast<size_t>(R) + 1, std::vector<cell>(static_cast<size_t>(C) + 1));
  double best = -DBL_MAX;
  long bi = 0, bj = 0;
  for (long i = 1; i <= R; ++i)
    for (long j = 1; j <= C; ++j) {
      const double diag = H[i - 1][j - 1].h + S[i][j], up = H[i - 1][j].h - GAP_COST, left = H[i][j - 1].h - GAP_COST;
      double v = left;
      long ti = i, tj = j - 1;
      if (diag >= up && diag >= left) {
        v = diag;
        ti = i - 1;
        tj = j - 1;
      } else if (up >= diag && up >= left) {
        v = up;
        ti = i - 1;
        tj = j;
      }
      if (v > 0) H[i][j] = {v, ti, tj};
      if (v > best) {
        best = v;
        bi = i;
        bj = j;
      }
    }

  long aligned = 0;
  double ias = 0.0;
  for (long i = bi, j = bj; i >= 1 && j >= 1 && H[i][j].h > 0;) {
    const cell& c = H[i][j];
    if (c.ti != i && c.tj != j) {
      ++aligned;
      std::fprintf(out.get(), "%s  %s    = %8.1f\n", aa_label(runs1[i].residue, mol1).c_str(),
                   aa_label(runs2[j].residue, mol2).c_str(), S[i][j]);
      if (S[i][j] > 0) ias += S[i][j];
    }
    const long ni = c.ti, nj = c.tj;
    i = ni;
    j = nj;
  }
  std::fprintf(out.get(), "\n%ld aligned residues   IAS =   %6.1f\n", aligned, ias);
  out.close();
  free_struct_mol(mol1);
  free_struct_mol(mol2);
}

}  // namespace vask
