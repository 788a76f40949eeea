// Dot-bracket notation with pseudoknot levels: every stem and every isolated
// canonical pair is one unit; units whose pairs cross are in conflict, and
// the conflicts are resolved pass by pass (eliminate one unit at a time by a
// fixed preference, add back what no longer conflicts, give the survivors the
// brackets of the pass's level). The number of passes that had conflicts is
// the pseudoknot order. Also the removal of knotted pairs for a fully nested
// structure, and the H-type pseudoknot loops of the secondary-structure report.
#pragma once

#include <string>
#include <vector>

#include "secondary/hairpin.hpp"
#include "secondary/helix.hpp"

namespace vask {

struct struct_mol;

// The dot-bracket state of one structure: created where the structure's
// analysis starts, so nothing carries over to the next structure of a list
// or an ensemble.
struct dbn_state {
  long order = 0;        // pseudoknot order; negative when a knotted partner is on another
                         // chain or out of reach along the backbone
  long saved_order = 0;  // the order found before the knotted pairs were removed (nested option)
  long wrong_order = 0;      // crossing units with pairs on both sides of the other's span
  long many_conflicts = 0;   // a unit's conflict list was full
  long cross_chain_conflicts = 0;  // conflicting units whose inner ends lie on four chains
  long cross_chain_pknots = 0;     // a knotted nucleotide paired across chains
};

// One unit: a stem, or an isolated canonical pair (bps = 1).
struct stemIP {
  long status = 1;        // 1 active; 0 eliminated in this pass; -L given level L
  long refidx = 0;        // position in the sorted unit array
  long bps = 0;           // base pairs
  long nested = 0;        // inside the loop span of a unit eliminated in this pass
  long hbonds = 0;        // H-bonds over the unit's pairs
  long no_break = 0;      // backbone unbroken from the inner 5' to the inner 3' nucleotide
  long range = 0;         // strand2[1] - strand1[bps] - 1
  long gain = 0;          // bps - conflict_bps
  long conflict_bps = 0;  // bps summed over the conflicts
  std::vector<long> conflicts;  // positions of the active units it crosses, ascending, at most 128
  std::vector<long> strand1;    // 1..bps: 5' strand, ascending
  std::vector<long> strand2;    // 1..bps: 3' strand, ascending; strand2[bps + 1 - k] pairs strand1[k]
};

inline constexpr long MAX_UNIT_CONFLICTS = 128;  // conflicts recorded per unit

// Bracket characters of level L (1-based); every level above 30 shares 'Z' 'z'.
char dbn_open_bracket(long level);
char dbn_close_bracket(long level);

// Helices (or the pair list as one helix), stems, isolated canonical pairs
// and the cross-reference are in helix_find.cpp (do_helices_stems_icpairs_xref).

// The dot-bracket characters and pseudoknot partners of the structure's
// nucleotides, and the order and counters of state, from the stems and
// isolated canonical pairs of results.
void derive_dbn_with_pknots(struct_mol& mol, const helix_slots& results, dbn_state& state);
// Drops the knotted canonical pairs from the pair list, derives helices,
// stems, isolated pairs and the dot-bracket again.
void remove_pknots(struct_mol& mol, helix_slots& results, dbn_state& state);

bool stem_to_skip(const helix& stem);  // overlapping pairs, parallel, or strands out of order
bool icpair_to_skip(const pair& p, const struct_mol& mol);  // not both on nucleic-acid chains
// Units a and b cross; the counters of state record the odd cases.
bool has_conflict(const stemIP& a, const stemIP& b, const struct_mol& mol, dbn_state& state);

// The units of results (stems, then isolated pairs), sorted by strand1[1];
// refidx, no_break and range filled. units[0] unused.
std::vector<stemIP> collect_stemIPs(const struct_mol& mol, const helix_slots& results);

// The H-type pseudoknot loop entries: "stem#%ld(hairpin#%ld) vs stem#%ld(hairpin#%ld)"
// and the loop text, one entry per loop L1, L2, L3 of each H-type pseudoknot.
std::vector<std::string> collect_Hpknot_loops(const struct_mol& mol, long num_hairpins,
                                              const std::vector<hairpin>& hairpins, long num_stems,
                                              const std::vector<helix>& stems);
// One entry: the description, then "%s groove=%s nts=%ld " and the loop's
// codes and ids (loop[1..n]), the groove found from the loop bases' positions
// in the pair frames of stem.
std::string do_one_pknot_loop(const std::string& desc, const char* label, const std::vector<long>& loop,
                              const helix& stem, const struct_mol& mol);

}  // namespace vask
