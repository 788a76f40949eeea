// The parameter tables of the analyze sub-command: the text report forms and
// the rebuild input forms (fixed columns, unset values as "----" or 0.0).
#include <cfloat>
#include <cstdio>

#include "modeling/analyze.hpp"
#include "pairing/frame.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr long kLastRowMark = 999999;  // step fields of the last item of a rebuild input

void output_value(FILE* fp, double v) {
  if (v > DBL_MAX / 2)
    std::fprintf(fp, "      ----");
  else
    std::fprintf(fp, "%10.2f", v);
}

double zero_if_unset(double v) { return v > DBL_MAX / 2 ? 0.0 : v; }

void write_six(FILE* fp, const par_set& p) {
  for (long j = 1; j <= 6; ++j) std::fprintf(fp, " %10.4f", zero_if_unset(p[j]));
}

void write_last_row(FILE* fp) {
  for (long j = 1; j <= 6; ++j) std::fprintf(fp, "     %6ld", kLastRowMark);
}

int id_width(const struct_mol& mol) { return mol.idstr_width > 0 ? mol.idstr_width : 1; }

std::string rtrimmed(const std::string& s) {
  std::size_t e = s.find_last_not_of(" \t");
  return e == std::string::npos ? std::string() : s.substr(0, e + 1);
}

void pair_tail(const struct_mol& mol, const pair& p, FILE* fp) {
  const int w = id_width(mol);
  std::fprintf(fp, "    # %-*s %-*s", w, mol.residues[p.nt1].idstr.c_str(), w,
               mol.residues[p.nt2].idstr.c_str());
  std::fprintf(fp, " %-9s %3s  %4s  %s", p.Saenger.c_str(), p.LW.c_str(), p.VASK.c_str(),
               rtrimmed(p.name).c_str());
}

}  // namespace

par_set unset_pars() {
  par_set p{};
  p.fill(DBL_MAX);
  return p;
}

void simply_output_pars(long n, const par_table& t, FILE* fp) {
  for (long i = 1; i <= n; ++i) {
    std::fprintf(fp, "%4ld", i);
    for (long j = 1; j <= 6; ++j) output_value(fp, t[i][j]);
    std::fprintf(fp, "\n");
  }
}

void simply_write_pars(FILE* fp, long n, const par_table& t) {
  for (long i = 1; i <= n; ++i) {
    std::fprintf(fp, "%4ld ", i);
    write_six(fp, t[i]);
    std::fprintf(fp, "  # pdb-in-frame #%ld\n", i);
  }
}

void output_single_pars(const struct_mol& mol, long n, const std::vector<long>& nts,
                        const par_table& t, FILE* fp) {
  for (long i = 1; i <= n; ++i) {
    const residue& r = mol.residues[nts[i]];
    std::fprintf(fp, "%4ld %c", i, r.letter);
    for (long j = 1; j <= 6; ++j) output_value(fp, t[i][j]);
    std::fprintf(fp, "  # %s\n", r.idstr.c_str());
  }
}

void write_single_rebuild_pars(const struct_mol& mol, long n, const std::vector<long>& nts,
                               const par_table& t, FILE* fp) {
  for (long i = 1; i <= n; ++i) {
    const residue& r = mol.residues[nts[i]];
    std::fprintf(fp, "%c ", r.letter);
    if (i < n)
      write_six(fp, t[i]);
    else
      write_last_row(fp);
    std::fprintf(fp, "  # %4ld %s\n", i, r.idstr.c_str());
  }
}

void output_six_pars(const struct_mol& mol, long n, const std::vector<pair>& pairs,
                     const par_table& t, const char* header, FILE* fp) {
  std::fprintf(fp, "%s", header);
  if (verbose1()) {
    const int w = id_width(mol);
    std::fprintf(fp, "   # %-*s %-*s", w, "nt1", w, "nt2");
    std::fprintf(fp, " Saenger   LW   VASK  name");
  }
  std::fprintf(fp, "\n");
  for (long i = 1; i <= n; ++i) {
    std::fprintf(fp, "%4ld %3s", i, pairs[i].bp.c_str());
    for (long j = 1; j <= 6; ++j) output_value(fp, t[i][j]);
    if (verbose1()) pair_tail(mol, pairs[i], fp);
    std::fprintf(fp, "\n");
  }
}

void write_duplex_rebuild_pars(const struct_mol& mol, long n, const std::vector<pair>& pairs,
                               const par_table& t, const char* header, FILE* fp) {
  std::fprintf(fp, "# %ld (no. of base pairs)\n", n);
  std::fprintf(fp, "%s", header);
  for (long i = 1; i <= n; ++i) {
    std::fprintf(fp, "%3s", pairs[i].bp.c_str());
    write_six(fp, pairs[i].bp_params);
    if (i < n)
      write_six(fp, t[i]);
    else
      write_last_row(fp);
    if (verbose1()) pair_tail(mol, pairs[i], fp);
    std::fprintf(fp, "\n");
  }
}

void write_pair_frames(long n, const std::vector<pair>& pairs, const std::string& file) {
  FILE* fp = create_file(file);
  std::fprintf(fp, "# %ld pair frames\n", n);
  for (long i = 1; i <= n; ++i) {
    std::fprintf(fp, "%4ld %s\n", i, pairs[i].bp.c_str());
    write_one_frame(fp, nullptr, pairs[i].frame);
  }
  close_file(fp);
}

}  // namespace vask
