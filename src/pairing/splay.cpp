// Splayed-apart dinucleotides.
#include "pairing/splay.hpp"

#include <algorithm>

#include "pairing/frame.hpp"
#include "pairing/step_form.hpp"
#include "pairing/torsion.hpp"
#include "structure/bond.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/residue_info.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

// Bits of the single-strand parameter setting.
constexpr long SS_HELICAL = 2;
constexpr long SS_CORRECT = 4;
constexpr long SS_WRITE = 8;
constexpr long SS_APPEND = 16;

void reverse_yz(frame& f) {
  for (long k = 1; k <= 3; ++k) {
    f.y_axis[k] = -f.y_axis[k];
    f.z_axis[k] = -f.z_axis[k];
  }
}

std::vector<long> connect_list(const connect& set) {
  return std::vector<long>(set.members.begin(), set.members.begin() + set.count + 1);
}

// The steps' measures, one line each, for the cross-structure data file.
void write_splay_data(const struct_mol& mol) {
  const bool append = (Gvars.ss_par & SS_APPEND) != 0;
  if (!Gvars.experimental || (!append && (Gvars.ss_par & SS_WRITE) == 0)) return;
  if (append) runlog_msg("[i] -- appending splay data ...\n");
  FILE* fp = append ? append_file("splay-data.txt") : create_file("splay-data.txt");
  long m = 0;
  for (long t = 1; t + 1 < static_cast<long>(mol.nt_order.size()); ++t) {
    const long i = mol.nt_order[t];
    const ss_par& s = mol.nt_infos[i].ss;
    if (s.splay_angle == DBL_MAX) continue;
    const residue &r1 = mol.residues[s.nt1], &r2 = mol.residues[s.nt2];
    std::fprintf(fp, "%8.3f %8.3f %8.3f # %4ld %c ssZp=%-6.3f dP=%5.3f %s %cp%c %s %s\n",
                 s.splay_angle, s.splay_distance, s.splay_ratio, ++m, s.type, s.ssZp, s.Dp,
                 mol.base_name.c_str(), r1.letter, r2.letter, r1.idstr.c_str(), r2.idstr.c_str());
  }
  close_file(fp);
}

}  // namespace

void check_frames_direction(frame& f1, frame& f2) {
  xyz d;
  diff_xyz(f1.org, f2.org, d);
  if (dot_xyz(f1.z_axis, d) < 0) reverse_yz(f1);
  if (dot_xyz(f2.z_axis, d) < 0) reverse_yz(f2);
}

void get_ss_base_pars(const frame& f1, const frame& f2, par_set& pars) {
  frame a = f1, b = f2;
  if (Gvars.ss_par & SS_CORRECT) check_frames_direction(a, b);
  if (Gvars.ss_par & SS_HELICAL)
    get_helical_pars_by_frames0(a, b, pars, nullptr);
  else
    get_step_pars_by_frames0(a, b, pars, nullptr);
}

void find_ssPars(struct_mol& mol, long& num_ss_pars, std::vector<ss_par>& ss_pars,
                 long& num_units, std::vector<connect>& units) {
  num_ss_pars = 0;
  num_units = 0;
  if (Gvars.ss_par == 0) return;
  const std::vector<long>& framed = mol.framed_nts;  // chain order, base frames only
  const long n = std::max(0L, mol.num_framed_nts - 1);
  mol.num_splay_units = 0;
  if (n == 0) {
    mol.stage.splay_units = 1;
    return;
  }
  ss_pars.assign(static_cast<size_t>(n) + 1, ss_par{});
  for (long k = 1; k <= n; ++k) {
    ss_par& s = ss_pars[k];
    s.nt1 = framed[k];
    s.nt2 = framed[k + 1];
    s.type = classify_ssStep_by_rmsd(s.nt1, s.nt2, mol);
    get_ss_dist_pars(s.nt1, s.nt2, mol, s);
    get_ss_base_pars(*base_frame(s.nt1, mol), *base_frame(s.nt2, mol), s.pars);
    mol.nt_infos[s.nt1].ss = s;
  }
  num_ss_pars = n;

  long splayed = 0;
  for (long k = 1; k <= n; ++k) {
    ss_par& s = ss_pars[k];
    if (s.splay_angle == DBL_MAX || s.splay_angle < Gvars.splay_cutoff) continue;
    s.splayed = 1;
    mol.nt_infos[s.nt1].ss.splayed = 1;
    ++mol.residues[s.nt1].flag[rf::splayed];
    ++mol.residues[s.nt2].flag[rf::splayed];
    ++splayed;
  }
  mol.num_splay_units = splayed;

  if (splayed > 0) {
    std::vector<connect> sets(static_cast<size_t>(mol.num_residues) + 1);
    const char* label = "consolidating splayed-apart dinucleotides";
    for (long k = 1; k <= n; ++k) {
      if (!ss_pars[k].splayed) continue;
      add_one_item_to_connect_simple(ss_pars[k].nt2, sets[ss_pars[k].nt1], label, mol.warned.connects);
      add_one_item_to_connect_simple(ss_pars[k].nt1, sets[ss_pars[k].nt2], label, mol.warned.connects);
    }
    tidyup_connection_network(2, mol.num_residues, sets, mol.warned.network_cut);
    VASK_ASSERT(cnts_above_threshold(2, mol.num_residues, sets) > 0);
    units.assign(1, connect{});
    for (long k = 1; k <= mol.num_residues; ++k)
      if (sets[k].count >= 2) units.push_back(std::move(sets[k]));
    num_units = static_cast<long>(units.size()) - 1;
  }
  total_counts("splayed-apart dinucleotides", splayed);
  if (num_units != splayed) runlog_msg("%23s consolidated into units: %ld\n", " ", num_units);
  write_splay_data(mol);
  mol.stage.splay_units = 1;
}

void output_one_splayed_NpN(long serial, const ss_par& s, const struct_mol& mol, FILE* fp) {
  if (fp == nullptr) return;
  std::fprintf(fp, "%4ld %-*s %-*s", serial, mol.idstr_width, mol.residues[s.nt1].idstr.c_str(),
               mol.idstr_width, mol.residues[s.nt2].idstr.c_str());
  std::fprintf(fp, " angle=%-6.0f distance=%-5.1f    ratio=%.2f\n", s.splay_angle, s.splay_distance,
               s.splay_ratio);
}

void output_splayUnits(const struct_mol& mol, long num_units, const std::vector<connect>& units,
                       FILE* fp) {
  if (fp == nullptr) return;
  print_separator(fp, '-', 64);
  print_noun(fp, num_units, "Summary of %ld splayed-apart %s\n", "unit");
  for (long j = 1; j <= num_units; ++j)
    std::fprintf(fp, "%4ld nts=%ld %s\n", j, units[j].count,
                 get_connect_abbr_full_ids(units[j], mol).c_str());
}

void write_splayUnits_pdb(struct_mol& mol, long num_units, const std::vector<connect>& units) {
  if (!Gvars.auxfiles || num_units == 0) return;
  const bool cif = Gvars.output_format == 2;
  scoped_file sf(create_file(name_pdbcif_outfile("splays")));
  FILE* fp = sf.get();
  if (cif) write_cif_header(fp, mol.base_name);
  for (long j = 1; j <= num_units; ++j) {
    const connect& u = units[j];
    begin_ensemble_model(fp, j, {sformat("model=%ld  nts=%ld", j, u.count), get_connect_abbr_full_ids(u, mol)}, mol);
    write_residue_set_pdb_frame(u.count, connect_list(u), base_frame(u[1], mol), 0, mol, fp);
    end_ensemble_model(fp);
  }
  mol.cif_model = 0;
  end_pdbfile(fp);
  sf.close();
}

void output_splays(struct_mol& mol, long num_ss_pars, const std::vector<ss_par>& ss_pars,
                   long num_units, const std::vector<connect>& units, FILE* fp) {
  if (fp == nullptr || mol.num_splay_units == 0) return;
  write_splayUnits_pdb(mol, num_units, units);
  if (Gvars.json) {
    json_array_of_nts_list(fp, "splayUnits", num_units, units, mol);
    return;
  }
  print_leadline_sepchar(fp, '*', 76);
  print_noun(fp, mol.num_splay_units, "List of %ld splayed-apart %s\n", "dinucleotide");
  long m = 0;
  for (long k = 1; k <= num_ss_pars; ++k)
    if (ss_pars[k].splayed) output_one_splayed_NpN(++m, ss_pars[k], mol, fp);
  output_splayUnits(mol, num_units, units, fp);
}

}  // namespace vask
