// The per-structure results container: every list the finders derive, each a
// count and an owned 1-based array (slot 0 unused), in the fixed order of the
// pipeline; and the modified-nucleotide summary, the first finder.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "motifs/aminor.hpp"
#include "motifs/capping.hpp"
#include "motifs/g4plex.hpp"
#include "motifs/imotif.hpp"
#include "motifs/kturn.hpp"
#include "motifs/mstack.hpp"
#include "motifs/nonpair.hpp"
#include "motifs/phosphate.hpp"
#include "motifs/uturn.hpp"
#include "motifs/zipper.hpp"
#include "pairing/pair.hpp"
#include "secondary/hairpin.hpp"
#include "secondary/helix.hpp"
#include "secondary/loop.hpp"
#include "secondary/pknot.hpp"
#include "secondary/ss_segment.hpp"
#include "structure/bond.hpp"
#include "structure/residue_info.hpp"
#include "structure/struct_mol.hpp"

namespace vask {

struct vask_results {
  long num_misassigned = 0;                                              // 1 helix/stem mis-assignments
  long num_modified = 0;          std::vector<long> modified;           // 2 residues, chain order
  long num_metals = 0;            std::vector<connect> metals;          // 3 [0] = metal atom
  long num_pairs = 0;             std::vector<pair> pairs;              // 4
  long num_networks = 0;          std::vector<connect> networks;        // 5 pair networks
  long num_multiplets = 0;        std::vector<connect> multiplets;      // 6
  long num_cyclic_tetrads = 0;    std::vector<connect> cyclic_tetrads;  // 7
  long num_mp_segments = 0;       std::vector<mstack> mp_segments;      // 8 stacked multiplets
  long num_helices = 0;           std::vector<helix> helices;           // 9
  long num_stems = 0;             std::vector<helix> stems;             // 10
  long num_isolated_pairs = 0;    std::vector<pair> isolated_pairs;     // 11 isolated canonical pairs
  long num_coaxial_stacks = 0;                                          // 12
  long num_nonpairs = 0;          std::vector<nonpair> nonpairs;        // 13
  long num_stacks = 0;            std::vector<connect> stacks;          // 14
  long num_non_stacked = 0;       std::vector<long> non_stacked;        // 15
  long num_a2bases = 0;           std::vector<a2base> a2bases;          // 16 atom-base capping
  long num_hairpins = 0;          std::vector<hairpin> hairpins;        // 17
  long num_hairpins2 = 0;         std::vector<hairpin> hairpins2;       // 18
  long num_loops = 0;             std::vector<loop> loops;              // 19
  long num_hairpin_loops = 0;                                           // 20 of the loop walk
  long num_bulges = 0, num_iloops = 0, num_junctions = 0;               // 21
  long num_ss_segments = 0;       std::vector<ss_segment> ss_segments;  // 22
  long num_kissing_loops = 0;     std::vector<kissing_loop> kissing_loops;  // 23
  long num_Aminors = 0;           std::vector<connect> Aminors;         // 24
  long num_Uturns = 0;            std::vector<Uturn> Uturns;            // 25
  long num_UAloops = 0;           std::vector<connect> UAloops;         // 26
  g4_results G4;  // 27-31 G-tetrads, isolated tetrads, G4 helices and stems, coaxial stacks, extra loops
  long num_imotifs = 0;           std::vector<imotif> imotifs;          // 32
  long num_zipper_groups = 0;     std::vector<connect> zipper_groups;   // 33
  long num_zippers = 0;           std::vector<O2_contact> zippers;      // 34 O2'-O2' contacts
  long num_Kturns = 0;            std::vector<kturn> Kturns;            // 35
  long num_PO4s = 0;              std::vector<PO4_contact> PO4s;        // 36
  long num_ss_pars = 0;           std::vector<ss_par> ss_pars;          // 37 splayed-apart pairs
  long num_splay_units = 0;       std::vector<connect> splay_units;     // 38
  long num_water_clusters = 0;    std::vector<connect> water_clusters;  // 39
  std::string notes;  // "   o ..." lines of this structure's finders for the special notes
  dbn_state dbn;      // pseudoknot order, saved order and dot-bracket counters
};

// The slots the helix and stem stages fill, handed over by reference.
inline helix_slots helix_slots_of(vask_results& r) {
  return {r.num_pairs,          r.pairs,          r.num_helices,        r.helices,
          r.num_stems,          r.stems,          r.num_isolated_pairs, r.isolated_pairs,
          r.num_coaxial_stacks, r.num_misassigned, r.notes};
}

// The slots the hairpin finder fills.
inline hairpin_slots hairpin_slots_of(vask_results& r) {
  return {r.num_hairpins, r.hairpins, r.num_hairpins2, r.hairpins2};
}

// The slots the loop finder fills.
inline loop_slots loop_slots_of(vask_results& r) {
  return {r.num_loops, r.loops, r.num_hairpin_loops, r.num_bulges, r.num_iloops, r.num_junctions};
}

// The slots of the single-stranded segment and kissing-loop finders.
inline ss_slots ss_slots_of(vask_results& r) {
  return {r.num_ss_segments, r.ss_segments, r.num_kissing_loops, r.kissing_loops};
}

void init_vask(vask_results& results);  // every slot 0 / none
void free_vask(vask_results* results);  // releases every list; counts kept; null ignored

// Slot 2 and mol.num_modified: the modified nucleotides in chain order; in
// text mode with a stream, the list of their types.
void summarize_modified_nts(struct_mol& mol, vask_results& results, FILE* fp);

}  // namespace vask
