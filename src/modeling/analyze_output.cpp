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
#include "support/report_lines.hpp"
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

namespace {

const char* step_class_text(long c) {
  switch (c) {
    case 1: return " A  ";
    case 2: return " B  ";
    case 3: return " TA ";
    case 4: return " .. ";
    default: return "----";
  }
}

// Step i of the helix; an all-unset record for the last pair (no step).
const helixPars& step_or_unset(const helix& h, long i) {
  static const helixPars unset;
  return i < h.num_pairs && i < static_cast<long>(h.step_pars.size()) ? h.step_pars[static_cast<size_t>(i)] : unset;
}

// The separator of 76 '-' between the groove note, its reference and the table.
void dash_line(FILE* fp) { print_leadline_sepchar(fp, '-', 76); }

}  // namespace

void output_step_classes(const struct_mol& mol, const helix& h, FILE* fp) {
  const long n = h.num_pairs;
  std::fprintf(fp,
               "Classification of dinucleotide steps in right-handed nucleic acid structures\n"
               "as A-like, B-like, TA-like, or other. For definition of the A-B index (ABI),\n"
               "ABI = ((Zp - 2.2)/-2.6 + (chi - 203)/49)/2: near 0 for A-form and 1 for\n"
               "B-form steps (J. Mol. Biol. 2000, 300, 819-840).\n");
  std::fprintf(fp, "     bp        Xp        Yp        Zp       XpH       YpH       ZpH  Form  ABI\n");
  for (long i = 1; i <= n; ++i) {
    const helixPars& s = step_or_unset(h, i);
    std::fprintf(fp, "%4ld %3s", i, h.pairs[i].bp.c_str());
    for (long j = 1; j <= 3; ++j) output_value(fp, s.XYZ_phos[j]);
    for (long j = 1; j <= 3; ++j) output_value(fp, s.XYZh_phos[j]);
    std::fprintf(fp, " %s", step_class_text(s.step_class));
    if (s.AB_index > DBL_MAX / 2)
      std::fprintf(fp, "  ----");
    else
      std::fprintf(fp, "%6.2f", s.AB_index);
    if (verbose1()) pair_tail(mol, h.pairs[i], fp);
    std::fprintf(fp, "\n");
  }
}

void output_groove_widths(const struct_mol& mol, const helix& h, FILE* fp) {
  const long n = h.num_pairs;
  std::fprintf(fp,
               "Minor and major groove widths: direct P-P distances, and 'Refined' P-P\n"
               "    distances which take into account the directions of sugar-phosphate\n"
               "    backbones. Subtract 5.8 Angstrom from the values to account for the\n"
               "    vdw radii of the phosphate groups, and for comparison with Curves+.");
  dash_line(fp);
  std::fprintf(fp,
               "Ref: the groove-width method of El Hassan & Calladine, which measures\n"
               "     P-P distances across each groove along the directions of the two\n"
               "     sugar-phosphate backbones (J. Mol. Biol. 1998, 282, 331-343).");
  dash_line(fp);
  std::fprintf(fp, "     bp        Minor Groove        Major Groove\n");
  std::fprintf(fp, "              P-P     Refined     P-P     Refined\n");
  for (long i = 1; i <= n; ++i) {
    const helixPars& s = step_or_unset(h, i);
    std::fprintf(fp, "%4ld %3s", i, h.pairs[i].bp.c_str());
    for (long j = 1; j <= 4; ++j) output_value(fp, s.groove_widths[static_cast<size_t>(j)]);
    if (verbose1()) pair_tail(mol, h.pairs[i], fp);
    std::fprintf(fp, "\n");
  }
}

}  // namespace vask
