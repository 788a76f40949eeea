// Survey analyses over nucleotides, pairs and loops: AYY motifs, C2'-endo
// direction, bi-loops, U with three A partners, T-loop contacts, TAT hairpin
// loops, G.U and A.A pair tables and B-factors; and the shared writers.
#include "interactions/project.hpp"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <functional>
#include <string>

#include "interactions/helix_records.hpp"
#include "motifs/network.hpp"
#include "pairing/frame.hpp"
#include "pairing/prepare.hpp"
#include "pairing/torsion.hpp"
#include "pairing/nt_features.hpp"
#include "pairing/splay.hpp"
#include "secondary/hairpin.hpp"
#include "secondary/helix.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/pattern_matcher.hpp"
#include "support/report_lines.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

bool in_range(double v, double lo, double hi) { return v >= lo && v <= hi; }

// Calls write for each hairpin loop of `size` nucleotides of the input
// structure, with the output opened for appending.
void each_hairpin_loop(const project_settings& s, long size,
                       const std::function<void(const struct_mol&, long, const hairpin&, FILE*)>& write) {
  struct_mol mol;
  read_pdb(s.input, mol);
  helix_records r;
  find_pairs(mol, r.num_pairs, r.pairs, 0);
  helix_slots slots = r.slots();
  do_helices_stems_icpairs_xref(mol, slots);
  long n = 0, num_embedding = 0;
  std::vector<hairpin> hairpins, embedding;
  hairpin_slots found{n, hairpins, num_embedding, embedding};
  find_hairpins(mol, slots, found);
  project_output out(append_output(s.output));
  for (long i = 1; i <= n; ++i)
    if (hairpins[i].num_loop_nts == size) write(mol, i, hairpins[i], out.get());
}

// The loop nucleotides of a hairpin (between its closing pair), 1-based.
std::vector<long> loop_nts(const hairpin& h) {
  std::vector<long> list(1);
  for (long k = 2; k < h.num_nts; ++k) list.push_back(h.nts[k]);
  return list;
}

std::string pucker_word(const nt_info& nt) {
  if (nt.puckering == "C2'-endo") return "C2'";
  if (nt.puckering == "C3'-endo") return "C3'";
  return "...";
}

// Atoms that take part in an accepted H-bond (1-based flags).
std::vector<char> hbonded_atoms(const struct_mol& mol) {
  std::vector<char> flags(static_cast<size_t>(mol.num_atoms) + 1, 0);
  for (long k = 1; k <= mol.num_hbonds; ++k) {
    const bond& b = mol.hbonds[k];
    if (b.status == -1) continue;
    if (b.atom1 >= 1) flags[b.atom1] = 1;
    if (b.atom2 >= 1) flags[b.atom2] = 1;
  }
  return flags;
}

// A pair's CSV numbers: "%.2f," or "9999," when unset.
void csv_number(double v, FILE* fp) {
  if (v == DBL_MAX)
    std::fprintf(fp, "9999,");
  else
    std::fprintf(fp, "%.2f,", v);
}

void nt_columns(long k, double lambda, const struct_mol& mol, FILE* fp) {
  const nt_info& nt = mol.nt_infos[k];
  csv_number(nt.chi, fp);
  std::fprintf(fp, "%s,", nt.glyco_bond.c_str());
  std::fprintf(fp, "%s,", nt.puckering.empty() ? "---" : nt.puckering.c_str());
  csv_number(lambda, fp);
}

// The CSV of the pairs whose text matches the pattern; swapped: the pairs
// matching it are rebuilt with their nucleotides exchanged.
void pair_table(const project_settings& s, const char* pattern, const char* swapped) {
  struct_mol mol;
  read_pdb(s.input, mol);
  long n = 0;
  std::vector<pair> pairs;
  find_pairs(mol, n, pairs, 0);
  const bool header = output_header(s.output) != 0;
  project_output out(append_output(s.output));
  if (header)
    std::fprintf(out.get(),
                 "pdb_id,idstr1,idstr2,symbol,swap, bpname,saenger,lw,vask,chi1,syn_anti1,pucker1,lambda1, "
                 "chi2,syn_anti2,pucker2,lambda2,dC1C1,dN1N9,dC6C8,torCN,dWC,shear,stretch,stagger,"
                 "buckle,propeller,opening,summary1,summary2,hb_num,hb_str\n");
  for (long k = 1; k <= n; ++k) {
    const pair& p = pairs[k];
    if (zor_ncmatch(p.bp, pattern)) {
      write_out_pair_info(p, "--", mol, out.get());
    } else if (swapped != nullptr && zor_ncmatch(p.bp, swapped)) {
      pair q;
      populate_one_base_pair(p.nt2, p.nt1, mol, q);
      write_out_pair_info(q, "swapped", mol, out.get());
    }
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Shared routines

void write_contact_coords(long k, long n, const std::vector<long>& list, struct_mol& mol, long model,
                          const std::string& remark, FILE* fp) {
  const residue& r = mol.residues[k];
  long f = -1;
  for (long slot : r.frames)
    if (slot >= 1) {
      f = slot;
      break;
    }
  VASK_ASSERT(f >= 1);
  std::vector<long> all(1, 0);
  all.push_back(k);
  for (long i = 1; i <= n; ++i) all.push_back(list[i]);
  std::fprintf(fp, "%6s    %4ld\n", "MODEL ", model);
  std::fprintf(fp, "REMARK    %s\n", remark.c_str());
  write_residue_set_pdb_frame(n + 1, all, &mol.frames[f], 0, mol, fp);
  std::fprintf(fp, "ENDMDL\n");
}

long output_header(const std::string& file) {
  if (is_pseudo_file(file) || !exist_file(file)) return 1;
  std::ifstream in(file, std::ios::binary);
  return in.peek() == std::ifstream::traits_type::eof() ? 1 : 0;
}

long count_models(const std::string& file) {
  if (!exist_file(file) || is_pseudo_file(file)) return 0;
  long n = 0;
  for (const std::string& line : get_filelines(file, 0))  // appended models: as many lines as they have
    if (line.rfind("MODEL ", 0) == 0) ++n;
  return n;
}

void write_out_pair_info(const pair& p, const char* swap, const struct_mol& mol, FILE* fp) {
  const std::string& id1 = mol.residues[p.nt1].idstr;
  const std::string& id2 = mol.residues[p.nt2].idstr;
  std::fprintf(fp, "%s,%s,%s,%s,", mol.base_name.c_str(), id1.c_str(), id2.c_str(), p.bp.c_str());
  std::fprintf(fp, "%s,%s,%s,%s,%s,", swap, p.name.c_str(), p.Saenger.c_str(), p.LW.c_str(), p.VASK.c_str());
  nt_columns(p.nt1, p.lambda1, mol, fp);
  nt_columns(p.nt2, p.lambda2, mol, fp);
  for (double v : {p.C1C1_dist, p.N1N9_dist, p.C6C8_dist, p.CNNC_torsion, p.dWC}) csv_number(v, fp);
  for (long j = 1; j <= 6; ++j) csv_number(p.bp_params[j], fp);
  std::fprintf(fp, "\"%s\",", collect_nt_features(p.nt1, mol).c_str());
  std::fprintf(fp, "\"%s\",", collect_nt_features(p.nt2, mol).c_str());
  std::fprintf(fp, "%ld,\"%s\"\n", p.num_hbonds, p.hbond_text.c_str());
}

// ---------------------------------------------------------------------------
// The analyses

void do_AYY_motif(const project_settings& s) {
  struct_mol mol;
  read_pdb(s.input, mol);
  long n = 0;
  std::vector<pair> pairs;
  find_pairs(mol, n, pairs, 0);
  std::vector<pair> selected(1);
  for (long k = 1; k <= n; ++k) {
    const pair& p = pairs[k];
    if (in_range(p.quality, 110.0, 150.0) && p.num_good_hbonds >= 2 &&
        (in_range(p.dWC, -80.0, -55.0) || in_range(p.dWC, 50.0, 70.0)))
      selected.push_back(p);
  }
  const long m = static_cast<long>(selected.size()) - 1;
  if (m == 0) return;
  motif_measures measures(mol);
  std::vector<connect> sets;
  convert_pairs2connects(m, selected, measures, sets);
  std::vector<long> found;
  for (long k = 1; k <= mol.num_residues; ++k)
    if (sets[k].count >= 3) found.push_back(k);
  if (found.empty()) return;
  const long count = static_cast<long>(found.size());
  std::vector<std::string> lines;
  for (long i = 1; i <= count; ++i) {
    const connect& set = sets[found[i - 1]];
    lines.push_back(sformat("%ld nts=%ld %s", i, set.count, get_connect_abbr_full_ids(set, mol).c_str()));
  }
  {
    project_output out(open_output(s.output));
    print_noun(out.get(), count, "List of %ld ayy %s\n", "motif");
    for (long i = 1; i <= count; ++i) {
      const connect& set = sets[found[i - 1]];
      std::fprintf(out.get(), "%4ld nts=%ld %s\n", i, set.count, get_connect_abbr_full_ids(set, mol).c_str());
    }
  }
  {
    project_output list(append_file("AYYs-list.txt"));
    std::fprintf(list.get(), "# %s %ld\n", mol.base_name.c_str(), count);
    for (const std::string& line : lines) std::fprintf(list.get(), "%s %s\n", mol.base_name.c_str(), line.c_str());
    std::fprintf(list.get(), "\n");
  }
  long model = count_models("AYYs-list.pdb");
  project_output pdb(append_file("AYYs-list.pdb"));
  for (long i = 1; i <= count; ++i) {
    const connect& set = sets[found[i - 1]];
    std::vector<long> nts(1);
    for (long j = 1; j <= set.count; ++j) nts.push_back(set[j]);
    std::fprintf(pdb.get(), "%6s    %4ld\n", "MODEL ", ++model);
    std::fprintf(pdb.get(), "REMARK    %s\n", lines[static_cast<size_t>(i - 1)].c_str());
    write_residue_set_pdb_frame(set.count, nts, base_frame(set[2], mol), 0, mol, pdb.get());
    std::fprintf(pdb.get(), "ENDMDL\n");
  }
}

void do_c2_prime_direction(const project_settings& s) {
  const double threshold = s.value == DBL_MAX ? PROJECT_C2_ANGLE : s.value;
  struct_mol mol;
  read_pdb(s.input, mol);
  long num_ss = 0, num_units = 0;
  std::vector<ss_par> ss;
  std::vector<connect> units;
  find_ssPars(mol, num_ss, ss, num_units, units);
  const std::vector<char> hbonded = hbonded_atoms(mol);
  project_output out(append_output(s.output));
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_nt(k, mol) || std::strchr("ACGTUacgtu", mol.residues[k].letter) == nullptr) continue;
    const nt_info& nt = mol.nt_infos[k];
    const frame* f = base_frame(k, mol);
    if (nt.C2p < 1 || nt.O2p < 1 || f == nullptr || nt.glyco_bond != "anti" || nt.ss.ssZp == DBL_MAX)
      continue;
    xyz v, z = f->z_axis;
    diff_xyz(mol.atoms[nt.C2p].xyz, mol.atoms[nt.O2p].xyz, v);
    const double angle = std::fabs(angle_xyz(v, z) - 90.0);
    const char* mark = nullptr;
    if (nt.puckering == "C2'-endo")
      mark = "  C2'-endo";
    else if (nt.puckering == "C3'-endo" && angle >= threshold)
      mark = " *C3'-endo";
    if (mark == nullptr) continue;
    const std::string head = sformat("%6s %-*s angle=%-5.0f", mol.base_name.c_str(), mol.idstr_width,
                                     mol.residues[k].idstr.c_str(), angle);
    std::fprintf(out.get(), "%s ssZp=%-5.1f Dp=%-5.1f %s phase=%-7.0f %s\n", head.c_str(), nt.ss.ssZp,
                 nt.ss.Dp, mark, nt.phase_angle, hbonded[nt.O2p] ? "H-bonded" : "----");
  }
}

void do_biloops(const project_settings& s) {
  each_hairpin_loop(s, 4, [](const struct_mol& mol, long i, const hairpin& h, FILE* fp) {
    const std::vector<long> loop = loop_nts(h);
    std::string puckers, chis;
    for (long k = 1; k <= 4; ++k) {
      const nt_info& nt = mol.nt_infos[loop[k]];
      if (k > 1) {
        puckers += ',';
        chis += ',';
      }
      puckers += pucker_word(nt);
      chis += nt.glyco_bond;
    }
    std::fprintf(fp, "%6s %4ld nts=%ld %s", mol.base_name.c_str(), i, 4L,
                 get_residues_abbr_full_ids(4, loop, mol).c_str());
    std::fprintf(fp, "  %s\n", (puckers + "  " + chis).c_str());
  });
}

void do_UA3(const project_settings& s) {
  struct_mol mol;
  read_pdb(s.input, mol);
  long n = 0;
  std::vector<pair> pairs;
  find_pairs(mol, n, pairs, 0);
  project_output out(append_output(s.output));
  for (long k = 1; k <= mol.num_residues; ++k) {
    const residue& r = mol.residues[k];
    if (!is_nt(k, mol) || r.paired.count < 3) continue;
    std::vector<long> unit{0, k};
    for (long j = 1; j <= r.paired.count; ++j) unit.push_back(r.paired[j]);
    const long size = static_cast<long>(unit.size()) - 1;
    const std::string name = sformat("%c%ld", r.letter, r.res_seq);
    std::fprintf(out.get(), "%6s %s nts=%ld %s\n", mol.base_name.c_str(), name.c_str(), size,
                 get_residues_abbr_full_ids(size, unit, mol).c_str());
    std::string items;
    for (long j = 1; j <= size; ++j) {
      const residue& u = mol.residues[unit[j]];
      if (j > 1) items += ' ';
      items += sformat("%s %ld", trimmed(u.chain_id).c_str(), u.res_seq);
    }
    std::fprintf(out.get(), "  # -i=./selected/%s.cif --select-resi='%s' --cif-output -o=./Nt3Pairs/%s-%s.cif\n",
                 mol.base_name.c_str(), items.c_str(), mol.base_name.c_str(), name.c_str());
  }
}

void do_Tloops(const project_settings& s) {
  struct_mol mol;
  read_pdb(s.input, mol);
  project_output out(append_output(s.output));
  for (long k = 1; k <= mol.num_residues; ++k) {
    const connect& set = mol.residues[k].po4_contacts;
    if (!is_nt(k, mol) || set.count <= 1) continue;
    std::fprintf(out.get(), "%s %s nts=%ld %s\n", mol.base_name.c_str(), mol.residues[k].idstr.c_str(),
                 set.count, get_connect_abbr_full_ids(set, mol).c_str());
  }
}

void do_TAT_hairpinLoop(const project_settings& s) {
  each_hairpin_loop(s, 3, [](const struct_mol& mol, long, const hairpin& h, FILE* fp) {
    std::fprintf(fp, "%s summary: %s", mol.base_name.c_str(), h.summary.c_str());
    std::fprintf(fp, " == nts=%ld %s\n", 3L, get_residues_abbr_full_ids(3, loop_nts(h), mol).c_str());
  });
}

void do_GU_pairs(const project_settings& s) { pair_table(s, "g[+-]u", "u[+-]g"); }

void do_AA_pairs(const project_settings& s) { pair_table(s, "a[+-]a", nullptr); }

void do_B_factor(const project_settings& s) {
  struct_mol mol;
  read_pdb(s.input, mol);
  project_output out(open_output(s.output));
  FILE* fp = out.get();
  std::fprintf(fp, "Average temperature factors for nucleotides (hydrogens, if they exist,\n");
  std::fprintf(fp, "are excluded from the calculations):\n");
  std::fprintf(fp, "    all: all atoms of the nucleotide\n");
  std::fprintf(fp, "    base: base atoms\n");
  std::fprintf(fp, "    sugar: sugar atoms\n");
  std::fprintf(fp, "    bb-all: all backbone atoms\n");
  std::fprintf(fp, "    bb-chn: backbone chain atoms (P, OP1, OP2, O5', C5', C4', C3', O3')\n");
  std::fprintf(fp, "    P: the phosphorus atom\n");
  std::fprintf(fp, "        nt                all     base   sugar  bb-all  bb-chn     P\n");
  long counter = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_nt(k, mol)) continue;
    const nt_info& nt = mol.nt_infos[k];
    std::fprintf(fp, " %-5ld %-15s", ++counter, mol.residues[k].idstr.c_str());
    for (double b : nt.bfactors) {
      if (b == DBL_MAX)
        std::fprintf(fp, "     ---");
      else
        std::fprintf(fp, "%8.2f", b);
    }
    std::fprintf(fp, "\n");
    reset_if_cswitch(k, mol, fp, counter);
  }
}

}  // namespace vask
