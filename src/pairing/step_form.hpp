// The backbone form of a dinucleotide step: its base origins, axis tips and
// phosphorus atoms fitted to ideal A-, B- and Z-form steps. A double-strand
// step takes four nucleotides (14 points), a single-strand step two (7).
#pragma once

#include <vector>

#include "support/vector3.hpp"

namespace vask {

struct struct_mol;

// Base origin and the tips of len along its x and y axes into pts[at..at+2]
// and 3; 0 without a fitted base frame (pts untouched).
long copy_frame_noZ(long nt, const struct_mol& mol, std::vector<xyz>& pts, long at, double len);

// 'A', 'B', 'Z' or '.' of points[1..n] (n = 14 or 7) against the four ideal
// step templates; the better of A and B must also beat the other by ratio.
char derive_ABZ_type(long n, const std::vector<xyz>& points, double cutoff, double ratio);

// Form of the step a -> b on one strand and c -> d (5' to 3') on the other,
// d paired with a: 'x' without a continuous backbone, P of b and d, or a
// fitted base frame on any of the four.
char classify_dsStep_by_rmsd(long a, long b, long c, long d, const struct_mol& mol);

// Form of the single-strand step i -> j: '-' unless they are linked, j has
// its P and both have fitted base frames.
char classify_ssStep_by_rmsd(long i, long j, const struct_mol& mol);

}  // namespace vask
