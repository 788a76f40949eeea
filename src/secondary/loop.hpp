// Bulges, internal loops and junctions: every loop of the secondary structure
// traced as a closed walk from the loop side of one closing pair (an end pair
// of a stem, or either side of an isolated canonical pair) along the single
// strands and across the closing pairs until the walk returns to its start.
// A loop closed by k pairs is a hairpin loop (k = 1), a bulge or an internal
// loop (k = 2) or a k-way junction (k >= 3). Also the angles between stems
// and closing pairs that the motif finders read, and the loop report
// sections and files (loop_output.cpp).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "secondary/hairpin.hpp"
#include "secondary/helix.hpp"
#include "support/ref_frame.hpp"

namespace vask {

struct struct_mol;

// One bridge of a loop: a closing pair and the single strand that follows it.
struct cfrag {
  long nt1 = 0, nt2 = 0;  // the closing pair in loop order (residue indices)
  long key = 0;           // stem index > 0, or -i for isolated canonical pair i
  long in_order = 1;      // 0 when the strand's path changes direction in a chain that is not circular
  long start = 0;         // list positions delimiting the bridge: nts[start] = nt2, nts[end] the next
  long end = 0;           //   closing nucleotide; the loop nucleotides lie strictly between
  long num_loop_nts = 0;
};

struct loop {
  long is_hairpin = 0, is_bulge = 0, is_internal = 0, is_symmetric = 0, is_asymmetric = 0, is_junction = 0;
  std::string text;     // "bulge: nts=7; [0,3]; linked by [#1,#2]"; grows with its bridges
  std::string summary;  // "[2] 0 3 [A.5 A.20 A.8 A.16] 3 4"
  long index = 0;       // position in the sorted list, 1-based
  long type_index = 0;  // position among the loops of its type; 0 when not numbered
  long num_bridges = 0;         // k
  std::vector<cfrag> bridges;   // 1..k
  long distinct = 1;            // 0 when one stem or isolated pair closes the loop twice
  long num_nts = 0;
  std::vector<long> nts;        // 1..num_nts: the loop in walk order, closing nucleotides included
  vask::frame frame;            // k = 1 the closing pair's, k = 2 the middle one, else the bridges' plane
  long num_sheared_GA = 0;      // sheared G-A pairs inside the loop
};

std::vector<loop> allocate_loops_array(long n);  // records 1..n initialised
void free_loops(long n, std::vector<loop>& loops);

// The slots of one structure's results the loop finder fills.
struct loop_slots {
  long& num_loops;
  std::vector<loop>& loops;
  long& num_hairpin_loops;  // the hairpin loops among them ("gHairpins")
  long& num_bulges;
  long& num_iloops;
  long& num_junctions;
};

// The loops of mol from the stems and isolated pairs of helices, with the
// residue marks: end-record count, masked flag, closing flag, the index and
// number of each loop type, and the in-loop flag (the hairpin finder's hairpins too,
// read from the hairpin marks).
void find_loops(struct_mol& mol, const helix_slots& helices, loop_slots& out);

// Ordering of the loop list.
bool loop_compare(const loop& a, const loop& b);

// Angles in [0, 90] degrees between two lines: the stems' axes (an isolated
// pair, negative index, gives its pair frame's z-axis), two pair z-axes, and
// the pairs closing two bridges.
double get_stems_angle_by_indices(long k1, long k2, struct_mol& mol, const helix_slots& helices);
double get_stems_angle_by_nts(long nt1, long nt2, struct_mol& mol, const helix_slots& helices);
double get_angle_between_pairs(const pair& p1, const pair& p2);
double get_cfrags_angle(const cfrag& c1, const cfrag& c2, struct_mol& mol);

// ---------------------------------------------------------------------------
// Report sections and files (loop_output.cpp)

// The hairpin, bulge, internal-loop and junction sections (text or JSON),
// the loop ensembles, the PyMOL and Jmol scripts and the simplified junctions.
void output_loops_info(struct_mol& mol, const helix_slots& helices, const hairpin_slots& hairpins,
                       const loop_slots& loops, FILE* fp);
// One loop entry of a text section.
void output_one_loop_info(long number, const loop& L, const struct_mol& mol, FILE* fp);
bool loop_is_counted(const loop& L);  // numbered in its type, so written in the sections and files
void write_simplified_junctions(long n, const std::vector<loop>& loops, struct_mol& mol);
void write_pymol_scripts(long n, const std::vector<loop>& loops, const struct_mol& mol);
void write_jmol_scripts(long n, const std::vector<loop>& loops, const struct_mol& mol);

}  // namespace vask
