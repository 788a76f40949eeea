// Multiplet stacks: runs of two or more multiplets, each stacked on the next,
// and the stacking test of two multiplets that the stacked-multiplets
// ensemble of the main report shares. Segments are written only as a model
// file (on request); they have no report section.
#pragma once

#include <vector>

#include "structure/bond.hpp"
#include "structure/struct_mol.hpp"

namespace vask {

// One multiplet-stack segment.
struct mstack {
  long num_multiplets = 0;
  std::vector<long> multiplets;  // [0] = count, [1..] multiplet indices in stacking order
  long num_nts = 0;              // distinct nucleotides
  std::vector<long> nts;         // [0] = count, [1..] in the order of the multiplets and members
  long num_repeated = 0;         // sum of the multiplet sizes minus the distinct nucleotides
  frame mframe{};                // middle frame of the first and last multiplets' mean base frames
};

std::vector<mstack> allocate_mstacks_array(long n);  // records 1..n empty; slot 0 unused
void free_mstacks(std::vector<mstack>& array);
// Fewer multiplets first, then the multiplet lists element by element; -1, 0 or 1.
int mstack_compare(const mstack& a, const mstack& b);

// The mean base frame of each of multiplets[1..n], 1-based.
std::vector<frame> get_mframes(const struct_mol& mol, long n, const std::vector<connect>& multiplets);
// Multiplets i and j stack: some member of one stacks on a member of the
// other, and their frames lie 2.6 to 6.6 Angstrom apart, 2.0 to 6.0 along
// the normal, at 66 degrees or less.
bool two_multiplets_in_stack(long i, long j, const std::vector<connect>& multiplets,
                             const std::vector<frame>& frames, const struct_mol& mol);
// Cuts each multiplet's stacked neighbours (sets[1..n]) to the two with the
// largest summed overlap of stacked member bases.
void check_multiplet_2stacks(long n, std::vector<connect>& neighbours, const struct_mol& mol,
                             const std::vector<connect>& multiplets);
void populate_one_mstack(const struct_mol& mol, const std::vector<connect>& multiplets,
                         const std::vector<frame>& frames, const std::vector<long>& order,
                         mstack& segment);

// The segments of multiplets[1..num_multiplets] into segments[1..count],
// sorted by mstack_compare, and their model file.
void find_mpSegs(struct_mol& mol, long num_multiplets, const std::vector<connect>& multiplets,
                 long& count, std::vector<mstack>& segments);
// "<prefix>-multipletSegments.pdb" (or .cif) with the stack-ensemble setting.
void write_mpSegs(struct_mol& mol, long num_multiplets, const std::vector<connect>& multiplets,
                  long count, const std::vector<mstack>& segments);

}  // namespace vask
