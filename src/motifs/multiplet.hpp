// Multiplets: three or more nucleotides whose bases lie side by side in one
// layer, held together by base pairs (base triples, quadruples, larger layers).
//
// A pair network is cut into layers by geometry (stacked or vertically offset
// members are unlinked), the best-scored layer is taken out and the rest looked
// at again. The multiplets found are then re-checked, split where one weak pair
// holds them, cleared of nucleotides shared with another multiplet and
// completed with paired nucleotides left out.
//
// A multiplet is a connect set of residue numbers, members ascending; its
// spare slot (owner()) is 1 when every member is linked to every other and 0
// otherwise (an asterisk in the outputs); its value is its planarity.
#pragma once

#include <cstdio>
#include <vector>

#include "motifs/network.hpp"
#include "pairing/pair.hpp"
#include "structure/bond.hpp"
#include "structure/struct_mol.hpp"

namespace vask {

// One candidate layer of a network while it is cut.
struct layer_rec {
  long member = 0;    // 1-based member whose links make the layer; 0 = no layer
  long flag = 0;      // 1 when the layer's members are all linked to each other
  long key = 0;       // size key: size + 10000 when consistent, else size - missing
  long missing = 0;   // links missing among the layer's members
  double score = 0;   // H-bond score plus the planarity quality
};
// Size key ascending, missing links descending, score ascending, member
// ascending: the best layer sorts last.
bool layer_compare(const layer_rec& a, const layer_rec& b);

// -1000 times the planarity of the members of set, 0 for fewer than 3.
double get_planarity_quality(const connect& set, const struct_mol& mol);

// The pairs among the members of set: members a before b that are paired in
// the structure's pair list, described afresh, best pairs marked, status 0.
std::vector<pair> get_multiplet_pairs(const connect& set, motif_measures& measures);

// One complete layer assembly over pairs[1..num_pairs]: the layers of 3 or
// more nucleotides (with their flags) into out[1..k], in residue order;
// returns k.
long find_multiplets_iter(struct_mol& mol, long num_pairs, const std::vector<pair>& pairs,
                          motif_measures& measures, std::vector<connect>& out);

// One re-check pass of in[1..n] into out; adds 1 to changed per multiplet
// that does not come back unchanged; returns the new count.
long check_layer(long n, const std::vector<connect>& in, struct_mol& mol, motif_measures& measures,
                 std::vector<connect>& out, long& changed);
long check_bad_multiplets(long n, const std::vector<connect>& in, struct_mol& mol,
                          motif_measures& measures, std::vector<connect>& out, long& changed);
// Adds to each multiplet the pair partners of its members that are left out
// and not stacked on a member, when the larger layer holds; 1 when any grew.
long recover_missing_nts(long n, std::vector<connect>& multiplets, struct_mol& mol,
                         motif_measures& measures);

// The multiplets of a structure into multiplets[1..count] (ordered by
// cnt_compare); pairs whose two nucleotides lie in one multiplet get status 1;
// each nucleotide's multiplet mark is the first multiplet holding it.
void find_multiplets(struct_mol& mol, long num_pairs, std::vector<pair>& pairs,
                     motif_measures& measures, long& count, std::vector<connect>& multiplets);

void show_multiplet_nts(long n, const std::vector<connect>& multiplets, const struct_mol& mol,
                        FILE* fp);
// File, JSON or text of the multiplets; nothing for none or a null stream.
void output_multiplets_info(struct_mol& mol, long n, const std::vector<connect>& multiplets,
                            FILE* fp);

}  // namespace vask
