// Base-pair writers: the pair section of the text report, the "pairs" array
// of the JSON report, the pair ensemble, the pair-list file and the one-shot
// pair file, the reader of a user's pair list, and the one-line pair texts
// other sections print.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <filesystem>
#include <set>
#include <utility>

#include "pairing/frame.hpp"
#include "pairing/hbond.hpp"
#include "pairing/pair.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr double UNSET = DBL_MAX;

// Per-nucleotide conformation of the torsion stage.
double nt_chi(long r, const struct_mol& mol) { return mol.nt_infos[r].chi; }
std::string nt_syn_anti(long r, const struct_mol& mol) { return mol.nt_infos[r].glyco_bond; }
std::string nt_pucker(long r, const struct_mol& mol) { return mol.nt_infos[r].puckering; }

double torsion_range(double t, bool to360) {
  if (t == UNSET || !to360) return t;
  return t < 0 ? t + 360.0 : t;
}

std::string num_or_dash(double v, int decimals) {
  return v == UNSET ? std::string("--") : sformat("%.*f", decimals, v);
}

const std::string& idstr(long r, const struct_mol& mol) { return mol.residues[r].idstr; }

std::vector<double> par_vector(const par_set& p) { return std::vector<double>(p.begin(), p.end()); }

}  // namespace

std::string default_pairs_list_name() { return sformat("%.*s-pairs.txt", 256, Gvars.prefix.c_str()); }

std::string get_pair_idstr(long k, const pair& p, const struct_mol& mol) {
  return sformat("%4ld %-14s %-14s", k, idstr(p.nt1, mol).c_str(), idstr(p.nt2, mol).c_str()) +
         sformat(" %s %-12s", p.bp.c_str(), p.name.c_str());
}

std::string get_pair_idstr_abbr(const pair& p, const struct_mol& mol) {
  return sformat("%-14s %-14s", idstr(p.nt1, mol).c_str(), idstr(p.nt2, mol).c_str()) +
         sformat(" [%s] %s", p.bp.c_str(), p.name.c_str());
}

void display_three_bp_classifications(const pair& p, FILE* fp) {
  if (fp == nullptr) return;
  std::fprintf(fp, " %-9s", p.Saenger.c_str());
  if (verbose2()) {
    std::fprintf(fp, " %-3s  %-4s", p.LW.c_str(), p.VASK.c_str());
    std::fprintf(fp, "  %+-.0f", p.dWC);
    std::fprintf(fp, "  %+-.2f", p.quality);
    std::fprintf(fp, " %c", p.WC_geometry ? 'y' : 'n');
  } else {
    std::fprintf(fp, " %-3s  %-s", p.LW.c_str(), p.VASK.c_str());
  }
  std::fprintf(fp, "\n");
}

void show_pair_info(long k, const pair& p, const struct_mol& mol, FILE* fp) {
  if (fp == nullptr) return;
  std::fprintf(fp, "%s", get_pair_idstr(k, p, mol).c_str());
  display_three_bp_classifications(p, fp);
}

void display_more_pair_info(const pair& p, const struct_mol& mol, FILE* fp) {
  if (fp == nullptr) return;
  const bool all360 = Gvars.torsion360 == 9;
  std::fprintf(fp, "       ");
  for (int k = 1; k <= 2; ++k) {
    const long r = k == 1 ? p.nt1 : p.nt2;
    const double lambda = k == 1 ? p.lambda1 : p.lambda2;
    if (k == 2) std::fprintf(fp, " ");
    std::fprintf(fp, "[%s", num_or_dash(torsion_range(nt_chi(r, mol), all360), 1).c_str());
    std::fprintf(fp, "(%s)", nt_syn_anti(r, mol).c_str());
    std::fprintf(fp, " %s", trimmed(nt_pucker(r, mol)).c_str());
    std::fprintf(fp, " lambda=%s]", num_or_dash(lambda, 1).c_str());
  }
  std::fprintf(fp, "\n");
  std::fprintf(fp, "       d(C1'-C1')=%s", num_or_dash(p.C1C1_dist, 2).c_str());
  std::fprintf(fp, " d(N1-N9)=%s", num_or_dash(p.N1N9_dist, 2).c_str());
  std::fprintf(fp, " d(C6-C8)=%s", num_or_dash(p.C6C8_dist, 2).c_str());
  std::fprintf(fp, " tor(C1'-N1-N9-C1')=%s", num_or_dash(torsion_range(p.CNNC_torsion, all360), 1).c_str());
  if (verbose2()) {
    std::fprintf(fp, " xdir=%s", num_or_dash(p.xdir, 2).c_str());
    if (p.xdir != UNSET) std::fprintf(fp, "(%.0f)", dot_to_angle(p.xdir));
  }
  std::fprintf(fp, "\n");
  std::fprintf(fp, "       H-bonds[%ld]: \"%s\"\n", p.num_hbonds, p.hbond_text.c_str());
  std::fprintf(fp, "       interBase-angle=%s", num_or_dash(p.interBase_angle, 0).c_str());
  if (verbose2()) {
    std::fprintf(fp, " planarity=%s", num_or_dash(p.planarity, 3).c_str());
    std::fprintf(fp, " dm=%s", num_or_dash(p.dm, 2).c_str());
  }
  std::fprintf(fp, "  Simple-bpParams: Shear=%s", num_or_dash(p.bp_simpleParams[1], 2).c_str());
  std::fprintf(fp, " Stretch=%s", num_or_dash(p.bp_simpleParams[2], 2).c_str());
  std::fprintf(fp, " Buckle=%s", num_or_dash(p.bp_simpleParams[4], 1).c_str());
  std::fprintf(fp, " Propeller=%s\n", num_or_dash(p.bp_simpleParams[5], 1).c_str());
}

void show_pair_info_detailed(long k, const pair& p, const struct_mol& mol, FILE* fp) {
  show_pair_info(k, p, mol, fp);
  if (VERBOSITY >= 1) display_more_pair_info(p, mol, fp);
}

void output_pairs_info(long n, const std::vector<pair>& pairs, const struct_mol& mol, FILE* fp) {
  if (n == 0 || fp == nullptr) return;
  if (Gvars.json) {
    json_pairs(n, pairs, mol, fp);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, n, "List of %ld base %s\n", "pair");
  std::fprintf(fp, "     nt1            nt2            bp  name        Saenger   LW   VASK");
  if (verbose2()) std::fprintf(fp, "  dWC");
  std::fprintf(fp, "\n");
  for (long k = 1; k <= n; ++k) {
    const pair& p = pairs[k];
    std::fprintf(fp, "%4ld %-14s %-14s", k, idstr(p.nt1, mol).c_str(), idstr(p.nt2, mol).c_str());
    if (verbose2()) {
      std::fprintf(fp, " [%s]%c", p.bp.c_str(), p.best ? 'o' : ' ');
      std::fprintf(fp, " %-11s %s", p.name.c_str(), p.hbond_types.c_str());
      if (Gvars.sasa) std::fprintf(fp, " area=%-7.1f ", p.area);
    } else {
      std::fprintf(fp, " %s %-11s", p.bp.c_str(), p.name.c_str());
    }
    display_three_bp_classifications(p, fp);
    if (VERBOSITY >= 1) {
      display_more_pair_info(p, mol, fp);
      const par_set& b = p.bp_params;
      std::fprintf(fp, "       bp-pars: [%-7.2f %-7.2f %-7.2f %-7.2f %-7.2f %.2f]\n", b[1], b[2], b[3], b[4], b[5],
                   b[6]);
    }
  }
}

// ---------------------------------------------------------------------------
// JSON

void json_pair_basic0(const pair& p, const struct_mol& mol, FILE* fp) {
  if (fp == nullptr) return;
  json_string(fp, "nt1", idstr(p.nt1, mol));
  json_string(fp, "nt2", idstr(p.nt2, mol));
  json_string(fp, "bp", p.bp);
  json_string(fp, "name", p.name);
  json_string(fp, "Saenger", trimmed(p.Saenger));
  json_string(fp, "LW", p.LW);
  json_string0(fp, "VASK", p.VASK);
}

namespace {

void json_paired_ntpars(long nt, long k, const struct_mol& mol, FILE* fp) {
  json_dNumber(fp, sformat("chi%ld", k).c_str(), torsion_range(nt_chi(nt, mol), Gvars.torsion360 != 0));
  json_string(fp, sformat("conf%ld", k).c_str(), nt_syn_anti(nt, mol));
  json_string(fp, sformat("pucker%ld", k).c_str(), trimmed(nt_pucker(nt, mol)));
}

}  // namespace

void json_pairs(long n, const std::vector<pair>& pairs, const struct_mol& mol, FILE* fp) {
  if (fp == nullptr) return;
  json_lNumber(fp, "num_pairs", n);
  json_begin_array(fp, "pairs");
  for (long k = 1; k <= n; ++k) {
    const pair& p = pairs[k];
    json_bareObject_start_with_idx(fp, k);
    json_pair_basic0(p, mol, fp);
    if (VERBOSITY >= 1) {
      json_comma(fp);
      json_boolean(fp, "intra_chain", p.intra_chain != 0);
      json_paired_ntpars(p.nt1, 1, mol, fp);
      json_dNumber(fp, "lambda1", p.lambda1);
      json_paired_ntpars(p.nt2, 2, mol, fp);
      json_dNumber(fp, "lambda2", p.lambda2);
      json_dNumber(fp, "C1C1_dist", p.C1C1_dist);
      json_dNumber(fp, "N1N9_dist", p.N1N9_dist);
      json_dNumber(fp, "C6C8_dist", p.C6C8_dist);
      json_dNumber(fp, "CNNC_torsion", torsion_range(p.CNNC_torsion, Gvars.torsion360 != 0));
      json_hbonds_num_str(fp, p.num_hbonds, p.hbond_text);
      if ((Gvars.idstr == 5 || Gvars.idstr == 6) && p.num_hbond_indices > 0) {
        std::vector<long> v(p.hbond_indices.begin(), p.hbond_indices.begin() + p.num_hbond_indices + 1);
        json_lNumberArray(fp, "hbond_indices", p.num_hbond_indices, v);
      }
      json_dNumber(fp, "interBase_angle", p.interBase_angle);
      json_dNumber(fp, "planarity", p.planarity);
      json_dNumber(fp, "simple_Shear", p.bp_simpleParams[1]);
      json_dNumber(fp, "simple_Stretch", p.bp_simpleParams[2]);
      json_dNumber(fp, "simple_Buckle", p.bp_simpleParams[4]);
      json_dNumber(fp, "simple_Propeller", p.bp_simpleParams[5]);
      json_dNumberArray(fp, "bp_simpleParams", 6, par_vector(p.bp_simpleParams));
      json_dNumberArray(fp, "bp_params", 6, par_vector(p.bp_params));
      json_frame0(fp, &p.frame);
    }
    if (verbose2()) {
      json_comma(fp);
      json_dNumber(fp, "dWC", p.dWC);
      json_dNumber(fp, "quality", p.quality);
      if (Gvars.sasa) json_dNumber(fp, "area", p.area);
      json_dNumber0(fp, "rsum", p.rsum);
    }
    json_bareObject_end_check_idx(fp, k, n);
  }
  json_end_array(fp);
}

// ---------------------------------------------------------------------------
// Files

void write_pairs_pdb_frame(long n, const std::vector<pair>& pairs, struct_mol& mol) {
  if (n == 0 || !Gvars.auxfiles) return;
  const bool cif = Gvars.output_format == 2;
  scoped_file sf(create_file(name_pdbcif_outfile("pairs")));
  FILE* fp = sf.get();
  if (cif) write_cif_header(fp, mol.base_name);
  for (long k = 1; k <= n; ++k) {
    const pair& p = pairs[k];
    std::vector<long> residues{0, p.nt1, p.nt2};
    if (p.metal) residues.push_back(p.metal);
    begin_ensemble_model(fp, k, {idstr(p.nt1, mol) + " [" + p.bp + "] " + idstr(p.nt2, mol)}, mol);
    write_residue_set_pdb_frame(static_cast<long>(residues.size()) - 1, residues, &p.frame, 0, mol, fp);
    end_ensemble_model(fp);
  }
  mol.cif_model = 0;
  end_pdbfile(fp);
  sf.close();
}

void write_pairs_list(const std::string& file, const struct_mol& mol, long n, const std::vector<pair>& pairs) {
  if (n == 0) return;
  const std::string name = file.empty() ? default_pairs_list_name() : file;
  scoped_file sf(create_file(name));
  FILE* fp = sf.get();
  std::fprintf(fp, "# %ld (no. of base pairs)\n", n);
  for (long k = 1; k <= n; ++k) {
    const pair& p = pairs[k];
    std::string comment = get_pair_idstr(k, p, mol);
    rtrim(comment);
    std::fprintf(fp, "%6ld %6ld  # %c %s\n", p.nt1, p.nt2, p.best ? 'o' : '.', comment.c_str());
  }
  sf.close();
}

bool pairs_only_run(const struct_mol& mol) {
  return Gvars.pair_only && mol.num_nts > 0 && (Gvars.server_cap == 0 || mol.num_nts <= Gvars.server_cap);
}

void write_pairs_only(struct_mol& mol, FILE* fp) {
  long n = 0;
  std::vector<pair> pairs = populate_base_pairs(mol, n);
  if (n > 0) tidyup_and_mark_pairs(n, pairs, mol);
  if ((Gvars.pair_only == 9 || VERBOSITY >= 1) && n > 0 && Gvars.auxfiles) write_pairs_pdb_frame(n, pairs, mol);
  total_counts("base pairs", n);
  if (fp == nullptr) return;
  if (Gvars.json) {
    std::fprintf(fp, "{");
    json_pairs(n, pairs, mol, fp);
    json_string0(fp, "program", Gconsts.version);
    std::fprintf(fp, "}");
  } else {
    output_pairs_info(n, pairs, mol, fp);
  }
}

void write_pair_file(struct_mol& mol, const std::string& file) {
  if (mol.num_nts == 0) return;
  scoped_file sf(output_file(file));
  FILE* fp = sf.get();
  write_pairs_only(mol, fp);
  sf.close();
}

// ---------------------------------------------------------------------------
// User pair lists

std::vector<pair_list_line> parse_pairs_list(FILE* fp, const struct_mol& mol, const std::string& name) {
  std::vector<pair_list_line> kept;
  std::set<std::pair<long, long>> seen;  // a long list stays linear
  line_reader in(fp, name);
  std::string line;
  while (in.next(line)) {
    if (is_doc_string(line)) continue;
    long a = 0, b = 0, c = 0;
    const int got = std::sscanf(line.c_str(), "%ld %ld %ld", &a, &b, &c);
    if ((got == 2 || got == 3) && is_nt(a, mol) && is_nt(b, mol) && base_frame(a, mol) != nullptr &&
        base_frame(b, mol) != nullptr) {
      if (a == b) {
        runlog_msg("[w] ignore a pair of one nucleotide with itself: '%s'\n", line.c_str());
        continue;
      }
      if (!seen.insert({std::min(a, b), std::max(a, b)}).second) {
        runlog_msg("[w] ignore a repeated pair: '%s'\n", line.c_str());
        continue;
      }
      kept.push_back({a, b, got == 3 ? c : 0, line});
      continue;
    }
    if (got != 1 && line.find("num_pairs=") == std::string::npos)
      runlog_msg("[w] ignore invalid entry: '%s'\n", line.c_str());
  }
  return kept;
}

std::vector<pair> read_pairs_list(const std::string& file, struct_mol& mol, long& n) {
  runlog_msg("Reading file %s\n", file.c_str());
  scoped_file in(open_file(file, "r"));
  const std::vector<pair_list_line> lines = parse_pairs_list(in.get(), mol, file);
  in.close();
  if (lines.empty()) fatal("[e] no valid list of pairs in: '%s'\n", file.c_str());
  n = static_cast<long>(lines.size());
  std::vector<pair> pairs = allocate_pairs_array(n);
  std::vector<bond> hbonds = allocate_hbond_scratch();
  for (long k = 1; k <= n; ++k) {
    const pair_list_line& l = lines[static_cast<size_t>(k - 1)];
    VASK_ASSERT(good_residue(l.i, mol) && good_residue(l.j, mol));
    const long nh = get_hbonds_ij(l.i, l.j, mol, hbonds);
    fillout_pair(l.i, l.j, nh, hbonds, mol, pairs[k]);
    const char* phrase = nullptr;
    if (l.third == 1) {
      pairs[k].user_mark = 1;
      phrase = "treated as a canonical pair: ";
    } else if (l.third >= 2) {
      pairs[k].user_mark = 9;
      phrase = "treated as a pair in helix: ";
    } else if (l.third == -1) {
      pairs[k].user_mark = -1;
      phrase = "[x] excluded as a canonical pair:";
    } else if (l.third <= -2) {
      pairs[k].user_mark = -9;
      phrase = "[x] excluded as a pair in helix:";
    }
    if (phrase != nullptr) logitf("[i] -- %s%s\n", phrase, l.text.c_str());
  }
  fillout_pairs_per_residue(n, pairs, mol.residues, mol.warned.connects);
  const std::string out = default_pairs_list_name();
  if (!same_file(file, out)) write_pairs_list(out, mol, n, pairs);
  return pairs;
}

}  // namespace vask
