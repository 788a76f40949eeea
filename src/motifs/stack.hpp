// Base stacks: ordered lists of nucleotides (and aromatic side chains) piled
// through base-stacking contacts, regardless of backbone connectivity;
// stacking inside a stem is left out unless asked for. The stacking plane
// contacts join residues into networks, and each network is cut into linear
// chains, each a walk through best-overlapping neighbours from one end of
// the pile to the other. The nucleotides in no stacking contact are listed
// too, and each residue learns its neighbours along the stacks.
//
// The stacked-nts setting is a bit set: 1 on, 2 stem stacking included,
// 4 reuse fork members, 8 long stacks only, 16 drop backbone-linked runs,
// 32 raw networks, 64 stem nucleotides left out of the non-stacked list.
#pragma once

#include <cstdio>
#include <vector>

#include "structure/bond.hpp"
#include "structure/struct_mol.hpp"

namespace vask {

inline constexpr long STACK_ON = 1, STACK_STEM = 2, STACK_REUSE = 4, STACK_LONG = 8,
                      STACK_BREAK = 16, STACK_RAW = 32, STACK_NO_STEM_NTS = 64;

// Cuts the networks (networks[i] held at its smallest member i, 1..n) into
// stacks stored in networks[1..k]; returns k. Fills the residues' stack
// neighbour sets.
long refine_stacks(struct_mol& mol, long n, std::vector<connect>& networks);

// The stacks (stacks[1..count], by cnt_compare) and the nucleotides in no
// stacking contact (non_stacked[1..num_non_stacked], nucleotide order).
void find_stacks(struct_mol& mol, long& count, std::vector<connect>& stacks, long& num_non_stacked,
                 std::vector<long>& non_stacked);

// The stacks file, then the JSON keys or the text sections.
void output_stacks_info(struct_mol& mol, long count, const std::vector<connect>& stacks,
                        long num_non_stacked, const std::vector<long>& non_stacked, FILE* fp);

}  // namespace vask
