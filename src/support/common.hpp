// Points, 3x3 matrices and their algebra.
#pragma once

#include <array>

namespace vask {

// A point or vector in Angstrom, 1-based: p[1], p[2], p[3] are x, y, z; p[0] unused.
using xyz = std::array<double, 4>;

// A 1-based 3x3 matrix m[row][col]; as a rotation, its columns are the frame's x, y, z axes.
using rotmat = std::array<xyz, 4>;

}  // namespace vask
