// Alignment of the protein-DNA interfaces of two structures: each amino acid
// near a DNA base is described by that base's place in a frame fixed on the
// amino acid; the amino acids of the two structures are scored pairwise by
// how alike these placements are and aligned locally.
#pragma once

#include <string>
#include <vector>

#include "support/ref_frame.hpp"

namespace vask {

struct struct_mol;

// One run of relative frames sharing one amino acid: frames first..last.
struct aa_run {
  long first = 0, last = 0, count = 0;
  long residue = -1;  // the amino acid
};

// "file1 file2 [cutoff]" (blanks or ':' between): aligns the two structures'
// DNA-contacting amino acids into the output file, with "match_scores.dat"
// and the frame files beside it.
void align_2strs_per_vorpin(const std::string& text, const std::string& output);

// The relative frames (1-based) of every DNA base whose glycosidic N lies
// within the cutoff of an amino acid's CA, each in that amino acid's frame;
// writes "quenby_frame.dat" and "aa2nt_frames_<base name>.dat". No such pair
// ends the run.
std::vector<frame> get_aa_nt_frames(struct_mol& mol, long& count, double cutoff);

// The relative frames frames[1..n] cut into runs of equal amino acid (1-based).
std::vector<aa_run> get_unique_aa_paired_info(long n, const std::vector<frame>& frames, long& count);

// How alike the base placements of two amino-acid runs are: 0 to 10.
double get_one_aa_match_score(long first1, long last1, const std::vector<frame>& frames1, long first2,
                              long last2, const std::vector<frame>& frames2);

}  // namespace vask
