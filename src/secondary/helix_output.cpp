// Helix and stem writers: the text sections, the JSON arrays and the
// coordinate ensembles (one model per helix, in the frame of its first pair,
// turned to the side view used by every frame-moved ensemble).
#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

#include "secondary/helix.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/report_lines.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr long BLOCK_RULE_WIDTH = 74;  // '-' line between two blocks of a list
constexpr long SIDE_VIEW = 1;

bool is_helix_kind(const char* kind) { return std::strcmp(kind, "helix") == 0; }

bool is_set(const xyz& p) { return p[1] != DBL_MAX; }

// The axis end points as reported: moved outward along the axis by the
// helix-axis extension (the stored points stay).
void reported_end_points(const helixVec& v, xyz& p1, xyz& p2) {
  p1 = v.axis_start;
  p2 = v.axis_end;
  if (v.rise == DBL_MAX || !is_set(v.axis)) return;
  if (is_set(p1)) move_xyz(v.axis_start, v.axis, -Gvars.helix_ext, p1);
  if (is_set(p2)) move_xyz(v.axis_end, v.axis, Gvars.helix_ext, p2);
}

void print_axis_line(FILE* fp, const char* label, const xyz& p, const std::string& mark) {
  std::fprintf(fp, "%s", label);
  if (is_set(p))
    std::fprintf(fp, "%9.3f %9.3f %9.3f", p[1], p[2], p[3]);
  else
    std::fprintf(fp, "      ----      ----      ----");
  std::fprintf(fp, "%s\n", mark.c_str());
}

// "%-8.2f " of each of the six values (the last "%.2f"), "---" for an unset one.
void print_six(FILE* fp, const par_set& p) {
  for (long j = 1; j <= 6; ++j) {
    const bool last = j == 6;
    if (p[j] == DBL_MAX)
      std::fprintf(fp, last ? "%s" : "%-8s ", "---");
    else
      std::fprintf(fp, last ? "%.2f" : "%-8.2f ", p[j]);
  }
  std::fprintf(fp, "]\n");
}

void print_simple_pair(FILE* fp, const char* rise_label, const char* twist_label, double rise, double twist) {
  const bool rise_ok = rise != DBL_MAX && rise > 0.0;
  std::fprintf(fp, "%s", rise_label);
  if (rise_ok)
    std::fprintf(fp, "%-8.2f", rise);
  else
    std::fprintf(fp, "%-8s", "***");
  std::fprintf(fp, "%s", twist_label);
  if (rise_ok && twist != DBL_MAX)
    std::fprintf(fp, "%.2f\n", twist);
  else
    std::fprintf(fp, "***\n");
}

std::vector<double> six(const par_set& p) { return std::vector<double>(p.begin(), p.end()); }
std::vector<double> three(const xyz& p) { return {0.0, p[1], p[2], p[3]}; }

void json_global_helix(const helix& h, FILE* fp) {
  const helixVec& v = h.axis;
  if (v.rise == DBL_MAX || !verbose1()) return;
  json_dNumber(fp, "helical_rise", v.rise);
  json_dNumber(fp, "helical_rise_std", v.rise_std);
  if (v.radius != DBL_MAX) {
    json_dNumber(fp, "helical_radius", v.radius);
    json_dNumber(fp, "helical_radius_std", v.radius_std);
  }
  xyz p1, p2;
  reported_end_points(v, p1, p2);
  json_dNumberArray(fp, "helical_axis", 3, three(v.axis));
  json_dNumberArray(fp, "point1", 3, three(p1));
  json_dNumberArray(fp, "point2", 3, three(p2));
}

// The helix-axis pseudo-atoms of one model, in the frame its residues were
// written in.
void write_axis_atoms(const helix& h, FILE* fp) {
  std::vector<xyz> pts = {xyz{}, h.axis.axis_start, h.axis.axis_end};
  if (!Gvars.raw_xyz) project_xyzNx3_by_frame_side_view(h.pairs[1].frame, SIDE_VIEW, 2, pts);
  xyz dir;
  diff_norm_xyz(pts[1], pts[2], dir);
  move_xyz(pts[1], dir, -Gvars.helix_ext, pts[1]);
  move_xyz(pts[2], dir, Gvars.helix_ext, pts[2]);
  for (long k = 1; k <= 2; ++k)
    if (!std::isfinite(pts[k][1]) || !std::isfinite(pts[k][2]) || !std::isfinite(pts[k][3]))
      fatal("[e] the axis point %s of a helix has coordinates that are not finite numbers (%g, %g, %g): "
            "writing stopped\n", k == 1 ? "XS" : "XE", pts[k][1], pts[k][2], pts[k][3]);
  for (long k = 1; k <= 2; ++k)
    std::fprintf(fp, "HETATM %4ld %4.4s _HX X 999    %8.3f%8.3f%8.3f  1.00 66.66           O  \n", 9997 + k,
                 k == 1 ? " XS " : " XE ", pts[k][1], pts[k][2], pts[k][3]);
}

}  // namespace

void output_global_helix(const helix& h, FILE* fp) {
  if (fp == nullptr) return;
  const helixVec& v = h.axis;
  if (v.rise == DBL_MAX) {
    std::fprintf(fp,
                 "    helical-rise:   ****(****)\n    helical-radius: ****(****)\n"
                 "    helical-axis:  ******  ******  ******\n       point-one:  ******  ******  ******\n"
                 "       point-two:  ******  ******  ******\n");
    return;
  }
  const std::string& m = h.irregular;
  std::fprintf(fp, "    helical-rise:   %.2f(%.2f)%s\n", v.rise, v.rise_std, m.c_str());
  if (v.radius != DBL_MAX)
    std::fprintf(fp, "    helical-radius: %.2f(%.2f)%s\n", v.radius, v.radius_std, m.c_str());
  else
    std::fprintf(fp, "    helical-radius: ----(----)\n");
  xyz p1, p2;
  reported_end_points(v, p1, p2);
  print_axis_line(fp, "    helical-axis:", v.axis, m);
  print_axis_line(fp, "       point-one:", p1, m);
  print_axis_line(fp, "       point-two:", p2, m);
}

void output_strpars(long k, long n, const std::vector<pair>& pairs, const std::vector<helixPars>& steps,
                    const struct_mol& mol, FILE* fp) {
  if (fp == nullptr) return;
  show_pair_info(k, pairs[k], mol, fp);
  if (!verbose1() || k >= n || static_cast<long>(steps.size()) <= k) return;
  const helixPars& s = steps[static_cast<size_t>(k)];
  std::fprintf(fp, "       %s:%c [", " bp1-pars", s.bp1_reversed ? '*' : ' ');
  print_six(fp, pairs[k].bp_params);
  std::fprintf(fp, "       %s:%c [", "step-pars", ' ');
  print_six(fp, s.step_params);
  std::fprintf(fp, "       %s:%c [", "heli-pars", ' ');
  print_six(fp, s.heli_params);
  std::fprintf(fp, "       %s:%c [", " bp2-pars", s.bp2_reversed ? '*' : ' ');
  print_six(fp, pairs[k + 1].bp_params);
  print_simple_pair(fp, "       C1'-based:                rise=", "             twist=",
                    s.simple_step_params[3], s.simple_step_params[6]);
  print_simple_pair(fp, "       C1'-based:              h-rise=", "           h-twist=",
                    s.simple_heli_params[3], s.simple_heli_params[6]);
}

void json_strpars(long k, long n, const std::vector<pair>& pairs, const std::vector<helixPars>& steps,
                  const struct_mol& mol, FILE* fp) {
  if (fp == nullptr) return;
  json_bareObject_start_with_idx(fp, k);
  json_pair_basic0(pairs[k], mol, fp);
  if (verbose1() && k < n && static_cast<long>(steps.size()) > k) {
    const helixPars& s = steps[static_cast<size_t>(k)];
    json_comma(fp);
    json_dNumberArray(fp, "bp1_params", 6, six(pairs[k].bp_params));
    json_dNumberArray(fp, "step_params", 6, six(s.step_params));
    json_dNumberArray(fp, "heli_params", 6, six(s.heli_params));
    json_dNumberArray(fp, "bp2_params", 6, six(pairs[k + 1].bp_params));
    json_dNumberArray(fp, "groove_widths", 4,
                      std::vector<double>(s.groove_widths.begin(), s.groove_widths.end()));
    if (verbose2()) {
      json_dNumberArray(fp, "XYZ_phos", 3, three(s.XYZ_phos));
      json_dNumberArray(fp, "XYZh_phos", 3, three(s.XYZh_phos));
      json_dNumber(fp, "AB_index", s.AB_index);
    }
    json_dNumber(fp, "simple_Rise", s.simple_step_params[3]);
    json_dNumber(fp, "simple_Twist", s.simple_step_params[6]);
    json_dNumber(fp, "simple_hRise", s.simple_heli_params[3]);
    json_dNumber0(fp, "simple_hTwist", s.simple_heli_params[6]);
  }
  json_raw_text(fp, "}");
}

void show_helix_nts(const char* kind, long n, const std::vector<helix>& helices, const struct_mol& mol,
                    FILE* fp) {
  if (n == 0 || fp == nullptr) return;
  if (Gvars.json) {
    json_helices(kind, n, helices, mol, fp);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  if (is_helix_kind(kind)) {
    print_noun(fp, n, "List of %ld %s\n", "helix", "helices");
    std::fprintf(fp,
                 "  Note: a helix is defined by base-stacking interactions, regardless of bp\n"
                 "        type and backbone connectivity, and may contain more than one stem.\n"
                 "      helix#number[stems-contained] bps=number-of-base-pairs in the helix\n"
                 "      bp-type: '|' for a canonical WC/wobble pair, '.' otherwise\n");
    std::fprintf(fp,
                 "      helix-form: classification of a dinucleotide step comprising the bp\n"
                 "        above the given designation and the bp that follows it. Types\n"
                 "        include 'A', 'B' or 'Z' for the common A-, B- and Z-form helices,\n"
                 "        '.' for an unclassified step, and 'x' for a step without a\n"
                 "        continuous backbone.\n"
                 "      --------------------------------------------------------------------\n");
  } else {
    print_noun(fp, n, "List of %ld %s\n", "stem");
    std::fprintf(fp,
                 "  Note: a stem is defined as a helix consisting of only canonical WC/wobble\n"
                 "        pairs, with a continuous backbone.\n"
                 "      stem#number[#helix-number containing this stem]\n"
                 "      Other terms are defined as in the above Helix section.\n"
                 "      --------------------------------------------------------------------\n");
  }
  for (long i = 1; i <= n; ++i) {
    if (i > 1) {
      std::fprintf(fp, "  ");
      print_separator(fp, '-', BLOCK_RULE_WIDTH);
    }
    show_one_helix_nts(kind, i, helices[i], mol, fp);
  }
}

void show_one_helix_nts(const char* kind, long i, const helix& h, const struct_mol& mol, FILE* fp) {
  const bool is_helix = is_helix_kind(kind);
  VASK_ASSERT(is_helix || std::strcmp(kind, "stem") == 0);
  if (fp == nullptr) return;
  if (is_helix) {
    std::fprintf(fp, "  %s#%ld[%ld]", kind, i, h.stems.count);
  } else {
    std::fprintf(fp, "  %s#%ld[", kind, i);
    for (long m = 1; m <= h.stems.count; ++m) std::fprintf(fp, m > 1 ? ", #%ld" : "#%ld", h.stems[m]);
    std::fprintf(fp, "]%s", h.stems.count > 1 ? "*" : "");
  }
  std::string flags;
  if (h.overlap) flags += '*';
  if (h.circular) flags += 'o';
  std::fprintf(fp, "%s %s\n", flags.c_str(), set_helix_markers(h, mol).c_str());
  if (h.overlap) {
    std::fprintf(fp, "      strand-1    %s\n", h.codes[1].c_str());
    std::fprintf(fp, "       bp-type    %s\n", h.codes[3].c_str());
    std::fprintf(fp, "      strand-2    %s\n", h.codes[2].c_str());
  } else {
    std::fprintf(fp, "      strand-1 5'-%s-3'\n", h.codes[1].c_str());
    std::fprintf(fp, "       bp-type    %s\n", h.codes[3].c_str());
    if (h.parallel)
      std::fprintf(fp, "      strand-2 5'-%s-3'\n", h.codes[2].c_str());
    else
      std::fprintf(fp, "      strand-2 3'-%s-5'\n", h.codes[2].c_str());
  }
  std::fprintf(fp, "      helix-form  %s\n", h.codes[4].c_str());
  if (verbose1()) output_global_helix(h, fp);
  for (long k = 1; k <= h.num_pairs; ++k) output_strpars(k, h.num_pairs, h.pairs, h.step_pars, mol, fp);
}

void json_helices(const char* kind, long n, const std::vector<helix>& helices, const struct_mol& mol,
                  FILE* fp) {
  if (fp == nullptr) return;
  const bool heli = std::strstr(kind, "heli") != nullptr;
  json_lNumber(fp, heli ? "num_helices" : "num_stems", n);
  json_begin_array(fp, heli ? "helices" : "stems");
  for (long i = 1; i <= n; ++i) {
    const helix& h = helices[i];
    json_bareObject_start_with_idx(fp, i);
    if (heli)
      json_lNumber(fp, "num_stems", h.stems.count);
    else if (h.stems.count == 1)
      json_lNumber(fp, "helix_index", h.stems[1]);
    json_string(fp, "strand1", h.codes[1]);
    json_string(fp, "strand2", h.codes[2]);
    json_string(fp, "bp_type", h.codes[3]);
    json_string(fp, "helix_form", h.codes[4]);
    json_global_helix(h, fp);
    json_lNumber(fp, "num_pairs", h.num_pairs);
    if (h.num_imotif_pairs != 0) json_lNumber(fp, "num_i_motif_pairs", h.num_imotif_pairs);
    json_begin_array(fp, "pairs");
    for (long k = 1; k <= h.num_pairs; ++k) {
      json_strpars(k, h.num_pairs, h.pairs, h.step_pars, mol, fp);
      if (k < h.num_pairs) json_comma(fp);
    }
    json_end_array0(fp);
    json_bareObject_end_check_idx(fp, i, n);
  }
  json_end_array(fp);
}

void write_helices_pdb(long n, const std::vector<helix>& helices, struct_mol& mol, const std::string& file) {
  scoped_file sf(create_file(file));
  FILE* fp = sf.get();
  if (Gvars.output_format == 2) write_cif_header(fp, mol.base_name);
  for (long i = 1; i <= n; ++i) {
    const helix& h = helices[i];
    std::vector<long> residues(1, 0);
    residues.insert(residues.end(), h.strand1.begin() + 1, h.strand1.begin() + h.num_pairs + 1);
    residues.insert(residues.end(), h.strand2.begin() + 1, h.strand2.begin() + h.num_pairs + 1);
    const bool axis_atoms = Gvars.output_format != 2 && verbose2() && is_set(h.axis.axis_start) &&
                            is_set(h.axis.axis_end);
    std::vector<std::string> remarks = {sformat("model=%ld    %s", i, set_helix_markers(h, mol).c_str())};
    if (axis_atoms)
      remarks.push_back(sformat("helical-axis[%.2f(%.2f)]:%8.3f%8.3f%8.3f%s", h.axis.rise, h.axis.rise_std,
                                h.axis.axis[1], h.axis.axis[2], h.axis.axis[3], h.irregular.c_str()));
    begin_ensemble_model(fp, i, remarks, mol);
    write_residue_set_pdb_frame(2 * h.num_pairs, residues, &h.pairs[1].frame, SIDE_VIEW, mol, fp);
    if (axis_atoms) write_axis_atoms(h, fp);
    end_ensemble_model(fp);
  }
  mol.cif_model = 0;
  end_pdbfile(fp);
  sf.close();
}

void output_helices_pdb(struct_mol& mol, long n, const std::vector<helix>& helices) {
  if (!Gvars.auxfiles || n == 0) return;
  write_helices_pdb(n, helices, mol, name_pdbcif_outfile("helices"));
}

void output_stems_pdb(struct_mol& mol, long n, const std::vector<helix>& stems) {
  if (!Gvars.auxfiles || n == 0) return;
  write_helices_pdb(n, stems, mol, name_pdbcif_outfile("stems"));
}

namespace {

// The two axis end points of one helix (kind 'H') or stem ('S') as atom lines
// (serials p and p + 1), each after its remark.
void write_axis_points(FILE* fp, char kind, long k, const helix& h, const struct_mol& mol, long& p) {
  const char* noun = kind == 'H' ? "helix" : "stem";
  const std::string label = sformat("%c%-3ld", kind, k);
  const xyz* ends[2] = {&h.axis.axis_start, &h.axis.axis_end};
  for (long e = 0; e < 2; ++e) {
    ++p;
    const bool defined = is_set(*ends[e]);
    std::fprintf(fp, "REMARK-VASK: %s#%ld%s\n", noun, k, defined ? "" : " ***");
    if (!defined) runlog_msg("[i] %s -- helical point#%ld undefined\n", label.c_str(), e + 1);
    const long nt = e == 0 ? h.strand1[1] : h.strand1[h.num_pairs];
    atom a = mol.atoms[mol.residues[nt].first_atom];
    a.name = a.raw_name = e == 0 ? " P1 " : " P2 ";
    a.element = " P";
    a.serial = p;
    a.xyz = defined ? *ends[e] : xyz{0, 0, 0, 0};
    a.seg_id = label;
    write_atom_record_pdb(fp, a, mol);
  }
}

}  // namespace

void output_helical_axes(const struct_mol& mol, long num_helices, const std::vector<helix>& helices,
                         long num_stems, const std::vector<helix>& stems) {
  const bool with_helices = (Gvars.helical_axis & 1) != 0 && num_helices > 0;
  const bool with_stems = (Gvars.helical_axis & 2) != 0 && num_stems > 0;
  if (!with_helices && !with_stems) return;
  scoped_file sf(create_file(sformat("%.*s-%s", 256, Gvars.prefix.c_str(), "helicalAxes.pdb")));
  FILE* fp = sf.get();
  long p = 0;
  if (with_helices)
    for (long k = 1; k <= num_helices; ++k) write_axis_points(fp, 'H', k, helices[k], mol, p);
  if (with_stems)
    for (long k = 1; k <= num_stems; ++k) write_axis_points(fp, 'S', k, stems[k], mol, p);
  for (long q = 1; q <= p; ++q) {
    const long mate[] = {q % 2 == 1 ? q + 1 : q - 1};
    write_conect_record(fp, q, mate);
  }
  sf.close();
}

}  // namespace vask
