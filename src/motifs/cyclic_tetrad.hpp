// Cyclic tetrads: closed rings of four nucleotides inside a multiplet, each
// paired with the next (the G-tetrad is the common one). The rings are found
// by the cycle tracer of structure/bond.hpp over the pairing links among the
// members of each multiplet. A tetrad is a connect set of four residues in
// ring order, its value the planarity of the four bases.
#pragma once

#include <array>
#include <cstdio>
#include <vector>

#include "pairing/pair.hpp"
#include "structure/bond.hpp"
#include "structure/struct_mol.hpp"

namespace vask {

// Links (lower, higher) between the members of multiplet that are pairing
// partners, in member order, into links[1..]; returns their number.
long generate_pair_linkages(const connect& multiplet, const struct_mol& mol,
                            std::vector<std::array<long, 2>>& links);

// The cyclic tetrads of multiplets[1..num_multiplets] into tetrads[1..count]
// (in the order found, each ring once) with the residues' tetrad marks;
// nothing unless the experimental switch is on.
void find_cyclic_tetrads(struct_mol& mol, long num_multiplets, const std::vector<connect>& multiplets,
                         long& count, std::vector<connect>& tetrads);

// Text section or JSON array "cyclicTetrads".
void show_cyclic_tetrads_nts(long n, const std::vector<connect>& tetrads, const struct_mol& mol,
                             FILE* fp);
// "<prefix>-cyclicTetrads.pdb" (or .cif), one model per tetrad.
void write_cyclic_tetrads_pdb(long n, const std::vector<connect>& tetrads, struct_mol& mol);

}  // namespace vask
