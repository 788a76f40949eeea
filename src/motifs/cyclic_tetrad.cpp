// Cyclic tetrads: four-membered pairing rings inside multiplets.
#include "motifs/cyclic_tetrad.hpp"

#include <algorithm>

#include "motifs/network.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

long generate_pair_linkages(const connect& multiplet, const struct_mol& mol,
                            std::vector<std::array<long, 2>>& links) {
  links.assign(1, std::array<long, 2>{0, 0});
  long n = 0;
  for (long k = 1; k <= multiplet.count; ++k) {
    const long r = multiplet[k];
    const connect& partners = mol.residues[r].paired;
    for (long q = 1; q <= partners.count; ++q)
      if (multiplet.has(partners[q])) add_one_unique_lkg_in_order(r, partners[q], n, links);
  }
  return n;
}

void find_cyclic_tetrads(struct_mol& mol, long num_multiplets, const std::vector<connect>& multiplets,
                         long& count, std::vector<connect>& tetrads) {
  count = 0;
  tetrads.assign(1, connect{});
  if (num_multiplets == 0 || !Gvars.experimental) return;
  std::vector<std::array<long, 2>> links;
  std::vector<connect> cycles;
  for (long m = 1; m <= num_multiplets; ++m) {
    const long nlinks = generate_pair_linkages(multiplets[m], mol, links);
    cycles = allocate_connects_array(MAX_CYCLES);
    const long num = trace_cycles(nlinks, links, cycles, mol.warned.connects);
    for (long c = 1; c <= num; ++c) {
      if (cycles[c].count != 4 || !is_unique_cnt(cycles[c], count, tetrads)) continue;
      connect t = cycles[c];
      t.value = nts_list_planarity(t, mol);
      tetrads.push_back(std::move(t));
      ++count;
    }
  }
  for (long k = 1; k <= count; ++k) mark_nts_per_collect(mol, tetrads[k], k, rf::cyclic_tetrad);
}

void show_cyclic_tetrads_nts(long n, const std::vector<connect>& tetrads, const struct_mol& mol,
                             FILE* fp) {
  if (fp == nullptr) return;
  if (Gvars.json) {
    json_array_of_nts_list_dval(fp, "cyclicTetrads", n, tetrads, "planarity", mol);
    return;
  }
  show_nts_sets("cyclic tetrad", n, tetrads, false, mol, fp);
}

void write_cyclic_tetrads_pdb(long n, const std::vector<connect>& tetrads, struct_mol& mol) {
  if (Gvars.auxfiles) write_sets_pdb(n, tetrads, "cyclicTetrads", false, mol);
}

}  // namespace vask
