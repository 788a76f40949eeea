// Single-stranded segments outside loops (dangling ends and linkers: runs of
// consecutive nucleotides of one chain in no stem, isolated pair or loop) and
// kissing loops (two hairpin loops whose loop nucleotides pair with each
// other through a stem or an isolated canonical pair), with their report
// sections and the kissing-loop ensemble.
#pragma once

#include <cstdio>
#include <vector>

#include "secondary/hairpin.hpp"

namespace vask {

struct struct_mol;

struct ss_segment {
  long is_broken = 0;     // backbone breaks inside the segment
  long num_nts = 0;
  std::vector<long> nts;  // 1..num_nts, 5' to 3' in thread order
};

struct kissing_loop {
  long stem_index = 0;     // the stem, or -i for isolated pair i, whose pairs join the two loops
  long hairpin1 = 0;       // index in the sorted hairpin list
  long hairpin1_stem = 0;  // its closing index
  long hairpin2 = 0;
  long hairpin2_stem = 0;
};

struct ss_slots {
  long& num_ss_segments;
  std::vector<ss_segment>& ss_segments;  // 1-based
  long& num_kissing_loops;
  std::vector<kissing_loop>& kissing_loops;  // 1-based
};

// Segments in thread order, each member marked ss-non-loop; needs the
// in-loop marks of the loop finder.
void find_ssSegs(struct_mol& mol, ss_slots& out);
// Kissing loops of the hairpins[1..n], sorted by stem_index; both hairpins'
// nucleotides get the kissing-loop mark.
void find_kissing_loops(struct_mol& mol, long n, const std::vector<hairpin>& hairpins, ss_slots& out);
bool kissingLoop_compare(const kissing_loop& a, const kissing_loop& b);

void output_ssSegs_info(const struct_mol& mol, const ss_slots& found, FILE* fp);
// The section, after the ensemble file (verbosity 2 and auxiliary files on).
void output_kissing_loops(struct_mol& mol, const std::vector<hairpin>& hairpins, const ss_slots& found, FILE* fp);
void write_kissing_loops_pdb(struct_mol& mol, const std::vector<hairpin>& hairpins, const ss_slots& found);

}  // namespace vask
