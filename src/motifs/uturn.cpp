// U-turns and UA-loops.
#include "motifs/uturn.hpp"

#include <cctype>

#include "motifs/aminor.hpp"
#include "motifs/network.hpp"
#include "pairing/frame.hpp"
#include "pairing/hbond.hpp"
#include "pairing/nt_features.hpp"
#include "structure/chain.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr long MAX_UALOOP_STEPS = 32;
constexpr long MIN_UTURN_STEPS = 3;  // shorter runs only at verbosity 2

bool is_phosphate_oxygen(const atom& a) { return a.name == " OP1" || a.name == " OP2"; }

// Base N atoms tested per one-letter code.
std::vector<const char*> uturn_atoms(char code) {
  switch (code) {
    case 'A': return {" N1 ", " N6 "};
    case 'C': return {" N3 ", " N4 "};
    case 'G': return {" N2 ", " N1 "};
    case 'T':
    case 'U': return {" N3 "};
    case 'P': return {" N3 ", " N1 "};
    default: VASK_ASSERT(false && "no U-turn atoms for this letter");
  }
  return {};
}

std::vector<long> run_residues(const Uturn& u) {
  std::vector<long> list(1, 0);
  for (long r = u.run_start; r <= u.run_end; ++r) list.push_back(r);
  return list;
}

std::string hbond_text_ij(long i, long j, const struct_mol& mol, long& nh) {
  std::vector<bond> hbonds = allocate_hbond_scratch();
  nh = get_hbonds_ij(i, j, mol, hbonds);
  return nh > 0 ? derive_hbondStr(mol.residues[i].letter, mol.residues[j].letter, mol, nh, hbonds)
                : std::string();
}

}  // namespace

std::vector<Uturn> allocate_Uturns_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<Uturn>(static_cast<size_t>(n) + 1);
}

void free_Uturns(std::vector<Uturn>& array) { std::vector<Uturn>().swap(array); }

void process_Uturn_per_nt(long k, const char* name, const struct_mol& mol, std::vector<Uturn>& list) {
  const long x = find_atom_in_residue(name, k, mol);
  if (x == -1) return;
  const connect& partners = mol.atoms[x].hbonded;
  for (long t = 1; t <= partners.count; ++t) {
    const long y = partners[t];
    if (!is_phosphate_oxygen(mol.atoms[y])) continue;
    if (dist_atoms(x, y, mol) > Gvars.hbond_good) continue;
    const long i = mol.atoms[x].residue, j = mol.atoms[y].residue;
    if (!is_nt(j, mol)) continue;
    Uturn u;
    u.nt1 = std::min(i, j);
    u.nt2 = std::max(i, j);
    u.swapped = i > j ? 1 : 0;
    u.steps = nts_i2j_dist(u.nt1, u.nt2, Gvars.uturn_gap, mol, nullptr);
    if (u.steps > 0) {
      u.run_start = u.nt1 > 1 && is_nts_connected(u.nt1 - 1, u.nt1, mol) ? u.nt1 - 1 : u.nt1;
      u.run_end = u.nt2 < mol.num_residues && is_nts_connected(u.nt2, u.nt2 + 1, mol) ? u.nt2 + 1 : u.nt2;
      u.run_length = u.steps + 1 + (u.run_start != u.nt1) + (u.run_end != u.nt2);
      const long span = u.run_end - u.run_start;
      if (nts_i2j_dist(u.run_start, u.run_end, span, mol, nullptr) != span) u.steps = -1;
    }
    if (u.steps < 1 || u.steps > Gvars.uturn_gap) continue;
    if (!verbose2() && (u.swapped || u.steps < MIN_UTURN_STEPS)) continue;
    bool reversal = false;
    for (long r = u.nt1; r <= u.nt2 && !reversal; ++r)
      reversal = is_nt(r, mol) && bb_reverse_direction(r, mol);
    if (!reversal) continue;
    bool seen = false;
    for (size_t q = 1; q < list.size() && !seen; ++q) seen = list[q].nt1 == u.nt1 && list[q].nt2 == u.nt2;
    if (!seen) list.push_back(u);
  }
}

void find_Uturns(struct_mol& mol, long& count, std::vector<Uturn>& list) {
  count = 0;
  list = allocate_Uturns_array(0);
  if (mol.num_nts < 3) return;
  iupac_set letters{};
  set_IUPAC_nts(Gvars.uturn != 0 ? static_cast<char>(Gvars.uturn) : 'K', letters);
  for (long k : nts_in_chain_order(mol)) {
    if (k <= 0 || !is_nt(k, mol)) continue;
    const char code = static_cast<char>(std::toupper(static_cast<unsigned char>(mol.residues[k].letter)));
    if (!in_IUPAC_set(code, letters)) continue;
    for (const char* name : uturn_atoms(code)) process_Uturn_per_nt(k, name, mol, list);
  }
  count = static_cast<long>(list.size()) - 1;
  if (Gvars.uturn != 0) total_counts("U-turns", count);
  for (long k = 1; k <= count; ++k) {
    VASK_ASSERT(list[k].nt1 < list[k].nt2);
    for (long r = list[k].nt1; r <= list[k].nt2; ++r) mol.residues[r].flag[rf::uturn] = 1;
  }
}

void output_Uturns_info_pdb(struct_mol& mol, long n, const std::vector<Uturn>& list, FILE* fp) {
  if (Gvars.uturn == 0 || n <= 0 || fp == nullptr) return;
  if (Gvars.auxfiles) {
    scoped_file sf(open_ensemble_file("Uturns", mol));
    FILE* out = sf.get();
    for (long k = 1; k <= n; ++k) {
      const Uturn& u = list[k];
      const std::vector<long> run = run_residues(u);
      const long m = static_cast<long>(run.size()) - 1;
      VASK_ASSERT(m == u.run_length);
      begin_ensemble_model(out, k, {sformat("model=%ld nts=%ld %s", k, u.run_length,
                                            get_residues_abbr_full_ids(m, run, mol).c_str())}, mol);
      write_residue_set_pdb_simple(m, run, base_frame(u.nt1, mol), mol, out);
      end_ensemble_model(out);
    }
    close_ensemble_file(sf, mol);
  }
  if (Gvars.json) {
    json_lNumber(fp, "num_Uturns", n);
    json_begin_array(fp, "Uturns");
    for (long k = 1; k <= n; ++k) {
      const Uturn& u = list[k];
      long nh = 0;
      const std::string hb = hbond_text_ij(u.nt1, u.nt2, mol, nh);
      const std::vector<long> run = run_residues(u);
      json_bareObject_start_with_idx(fp, k);
      json_string(fp, "nt1", mol.residues[u.nt1].idstr);
      json_string(fp, "nt2", mol.residues[u.nt2].idstr);
      json_hbonds_num_str(fp, nh, hb);
      json_abbIds_vec0(fp, "nts", static_cast<long>(run.size()) - 1, run, mol);
      json_bareObject_end_check_idx(fp, k, n);
    }
    json_end_array(fp);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, n, "List of %ld U-%s\n", "turn");
  for (long k = 1; k <= n; ++k) {
    const Uturn& u = list[k];
    long nh = 0;
    const std::string hb = hbond_text_ij(u.nt1, u.nt2, mol, nh);
    const std::vector<long> run = run_residues(u);
    const std::string pair_text = sformat("%s-%s H-bonds[%ld]: \"%s\"", mol.residues[u.nt1].idstr.c_str(),
                                          mol.residues[u.nt2].idstr.c_str(), nh, hb.c_str());
    std::fprintf(fp, "%4ld%c %s nts=%ld %s\n", k, u.swapped ? '*' : ' ', pair_text.c_str(), u.run_length,
                 get_residues_abbr_full_ids(static_cast<long>(run.size()) - 1, run, mol).c_str());
  }
}

void find_UAloops(const struct_mol& mol, long num_pairs, const std::vector<pair>& pairs, long& count,
                  std::vector<connect>& list) {
  count = 0;
  list = allocate_connects_array(0);
  if (Gvars.ua_loop == 0 || mol.pair_tallies[TALLY_RHOOGSTEEN] == 0) return;
  std::vector<long> path;
  for (long k = 1; k <= num_pairs; ++k) {
    const pair& p = pairs[k];
    if (!p.rHoogsteen) continue;
    const long a = std::min(p.nt1, p.nt2), b = std::max(p.nt1, p.nt2);
    const long steps = nts_i2j_dist(a, b, MAX_UALOOP_STEPS, mol, &path);
    if (steps < 1 || steps >= Gvars.ua_loop) continue;
    connect loop;
    for (long t = 1; t <= steps + 1; ++t) add_one_item_to_connect_simple(path[t], loop, "UA-loop", mol.warned.connects);
    list.push_back(std::move(loop));
  }
  count = static_cast<long>(list.size()) - 1;
  total_counts("UA-loops", count);
}

void output_UAloops_info_pdb(struct_mol& mol, long n, const std::vector<connect>& list, FILE* fp) {
  if (n <= 0 || fp == nullptr) return;
  if (Gvars.auxfiles) {
    scoped_file sf(open_ensemble_file("UAloops", mol));
    FILE* out = sf.get();
    for (long k = 1; k <= n; ++k) {
      const connect& loop = list[k];
      std::vector<long> nts(1, 0);
      for (long t = 1; t <= loop.count; ++t) nts.push_back(loop[t]);
      begin_ensemble_model(out, k, {sformat("model=%ld  nts=%ld  %s", k, loop.count,
                                            get_connect_abbr_full_ids(loop, mol).c_str())}, mol);
      write_residue_set_pdb_simple(loop.count, nts, base_frame(loop[1], mol), mol, out);
      end_ensemble_model(out);
    }
    close_ensemble_file(sf, mol);
  }
  output_nts_lists(fp, "UAloops", "List of %ld UA-%s\n", "loop", n, list, mol);
}

}  // namespace vask
