// G-tetrads: detection from the base pairs, the user list file, and the
// record's life cycle. The parameters are in gtetrad_pars.cpp.
#include "motifs/gtetrad.hpp"

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstring>
#include <set>

#include "motifs/network.hpp"
#include "pairing/torsion.hpp"
#include "structure/residue.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/number.hpp"
#include "support/pattern_matcher.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

std::vector<gtetrad> allocate_Gtetrads_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<gtetrad>(static_cast<size_t>(n) + 1);
}

void free_Gtetrads(std::vector<gtetrad>& arr) { arr.clear(); }

long valid_G4nt(long i, const struct_mol& mol) {
  return good_residue(i, mol) && (mol.residues[i].letter == 'G' || mol.residues[i].letter == 'g');
}

long is_G4pair_nts(long i, long j, struct_mol& mol) {
  pair p;
  populate_one_base_pair(i, j, mol, p);
  return is_G4pair(p, mol);
}

long is_Gtetrad(const connect& set, struct_mol& mol) {
  if (set.count != 4) return 0;
  for (long k = 1; k <= 4; ++k)
    if (!valid_G4nt(set[k], mol) || mol.residues[set[k]].paired.count < 2) return 0;
  const long g1 = set[1];
  const connect& partners = mol.residues[g1].paired;
  for (long k = 1; k <= partners.count; ++k) {
    if (!set.has(partners[k])) continue;
    pair p;
    populate_one_base_pair(g1, partners[k], mol, p);
    return tetrad_like_G4pair(p, mol, nullptr);
  }
  return 0;
}

namespace {

// Syn marks of guanines in Saenger-VI pairs whose class is unassigned and whose
// 3' phosphate lies well below the base plane.
void mark_syn_by_ssZp(struct_mol& mol) {
  for (size_t m = 1; m < mol.nt_order.size(); ++m) {
    const long r = mol.nt_order[m];
    if (syn_anti_assigned(r, mol) || !mol.residues[r].flag[rf::g4_pair_mark]) continue;
    const double z = mol.nt_infos[r].ss.ssZp;
    if (valid_dNumber(z) && z < -1.0) mol.nt_infos[r].glyco_bond = "syn";
  }
}

void store_tetrads(struct_mol& mol, const std::vector<connect>& sets, long count,
                   std::vector<gtetrad>& tetrads, bool reorder) {
  tetrads = allocate_Gtetrads_array(count);
  for (long k = 1; k <= count; ++k) {
    connect set = sets[k];
    if (reorder) {
      std::array<long, 5> v{0, set[1], set[2], set[3], set[4]};
      if (order_Gtetrad(v, mol))
        for (long m = 1; m <= 4; ++m) set.members[m] = v[static_cast<size_t>(m)];
    }
    tetrads[k].nts = set;
    derive_one_Gtetrad_parameters(tetrads[k], mol);
    mark_nts_per_collect(mol, tetrads[k].nts, k, rf::g_tetrad);
  }
}

}  // namespace

void find_Gtetrads(struct_mol& mol, long num_pairs, const std::vector<pair>& pairs, long& count,
                   std::vector<gtetrad>& tetrads) {
  count = 0;
  tetrads = allocate_Gtetrads_array(0);
  const long num_G4 = mol.pair_tallies[TALLY_G4];
  if (num_G4 <= 3) return;
  if (!mol.stage.splay_units) populate_all_ss_dist_pars(mol);
  mark_syn_by_ssZp(mol);

  std::vector<connect> kept(1);
  connect tetrad;
  for (long k = 1; k <= num_pairs; ++k) {
    if (!tetrad_like_G4pair(pairs[k], mol, &tetrad)) continue;
    std::array<long, 5> v{0, tetrad[1], tetrad[2], tetrad[3], tetrad[4]};
    if (!order_Gtetrad_wc2Major(v, mol)) continue;
    const long n = static_cast<long>(kept.size()) - 1;
    if (is_unique_cnt(tetrad, n, kept)) kept.push_back(tetrad);  // the sorted set
  }
  count = static_cast<long>(kept.size()) - 1;
  if (count == 0) return;
  total_counts("G-tetrads", count);
  std::stable_sort(kept.begin() + 1, kept.end(),
                   [](const connect& a, const connect& b) { return cnt_compare(a, b) < 0; });
  store_tetrads(mol, kept, count, tetrads, true);
}

namespace {

// A list names the few tetrads the search missed (a G4 structure has tens);
// each costs the parameters of its four pairs, and the layers are ordered
// by all-pairs distances, round after round: a longer list is refused.
constexpr long kMaxListedTetrads = 256;

}  // namespace

void read_G4_list_stream(FILE* fp, const std::string& name, struct_mol& mol, long& count,
                         std::vector<gtetrad>& tetrads) {
  std::vector<connect> sets(1);
  // a layer repeated lies on its copy, where it would make a helix of one
  // tetrad, and copies at one point pair off one per round (cubic time)
  std::set<std::array<long, 4>> listed;
  line_reader in(fp, name);
  std::string line;
  while (in.next(line)) {
    std::string text = trimmed(line);
    if (text.empty() || text[0] == '#') continue;
    if (zor_ncmatch(text.c_str(), "^\\s*(skip|---)")) {
      runlog_msg("\tskip the rest of the input file\n");
      break;
    }
    long g[4] = {0, 0, 0, 0};
    if (std::sscanf(text.c_str(), "%ld %ld %ld %ld", &g[0], &g[1], &g[2], &g[3]) != 4) {
      runlog_msg("[w] ignore line: %s [not 4 integers]\n", text.c_str());
      continue;
    }
    bool nts = true;
    for (long x : g) nts = nts && is_nt(x, mol);
    if (!nts) {
      runlog_msg("[w] ignore line: %s [not nt]\n", text.c_str());
      continue;
    }
    std::array<long, 4> members{g[0], g[1], g[2], g[3]};
    std::sort(members.begin(), members.end());
    if (std::adjacent_find(members.begin(), members.end()) != members.end()) {
      runlog_msg("[w] ignore line: %s [repeated nt]\n", text.c_str());
      continue;
    }
    if (!listed.insert(members).second) {
      runlog_msg("[w] ignore line: %s [repeated G-tetrad]\n", text.c_str());
      continue;
    }
    if (static_cast<long>(sets.size()) > kMaxListedTetrads)
      fatal("[e] %s, line %ld: more than %ld G-tetrads -- not read further\n", name.c_str(), in.number(),
            kMaxListedTetrads);
    bool guanines = true;
    for (long x : g) guanines = guanines && valid_G4nt(x, mol);
    if (!guanines) {
      runlog_msg("[i] keep line: %s [not all *guanines*]\n", text.c_str());
    } else {
      long n = 0;
      for (int k = 0; k < 4; ++k) n += is_G4pair_nts(g[k], g[(k + 1) % 4], mol);
      if (n != 4) runlog_msg("[i] keep line: %s [not a proper G-tetrad]\n", text.c_str());
    }
    connect set;
    for (long x : g) set.append(x);
    sets.push_back(std::move(set));
  }
  // sized by the lines kept, whatever the structure's number of G4 pairs
  count = static_cast<long>(sets.size()) - 1;
  store_tetrads(mol, sets, count, tetrads, false);
}

void read_G4_list(struct_mol& mol, long& count, std::vector<gtetrad>& tetrads) {
  runlog_msg("reading G4 list file: %s\n", Gvars.g4_list.c_str());
  scoped_file in(open_file(Gvars.g4_list, "r"));
  read_G4_list_stream(in.get(), Gvars.g4_list, mol, count, tetrads);
  in.close();
}

void get_Gtetrad_frame(struct_mol& mol, const connect& set, frame& out) {
  gtetrad t;
  t.nts = set;
  derive_one_specific_frame(t, mol);
  out = t.f;
}

}  // namespace vask
