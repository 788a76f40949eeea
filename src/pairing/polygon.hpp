// Area common to two planar polygons, computed exactly on an integer grid.
//
// Both polygons are scaled into one square grid of 5e8 units; each vertex is
// snapped to a grid point whose low bits carry marker bits, so no vertex of
// one polygon coincides with one of the other and no crossing is degenerate.
// The area is then the sum of signed trapezoids under the boundary of the
// intersection. Every overlap measure (stacking, pair overlap, plane contacts)
// ends here; projecting residues onto a plane is done elsewhere.
#pragma once

#include <vector>

#include "support/vector3.hpp"

namespace vask {

// One polygon vertex in plane coordinates (Angstrom), 0-based arrays.
struct pia_point {
  double x = 0, y = 0;
};

// One vertex on the grid with the ranges of the edge that starts at it.
struct pia_vertex {
  double x = 0, y = 0;               // grid coordinates, integral values
  double x_lo = 0, x_hi = 0;         // min/max x of this vertex and the next
  double y_lo = 0, y_hi = 0;         // min/max y of this vertex and the next
  long in_count = 0;                 // net entries of the other boundary across this edge
};

inline constexpr long max_overlap_vertices = 31;  // per polygon in get_overlap_area
inline constexpr double min_overlap_area = 1e-4;  // square Angstrom; smaller results are 0

// Area (square Angstrom) common to polygons p1[1..n1] and p2[1..n2] (1-based xyz,
// only x and y read). n above 31 is an assertion failure; n < 3 gives 0; a
// result below 1e-4 is 0.
double get_overlap_area(long n1, const std::vector<xyz>& p1, long n2, const std::vector<xyz>& p2);

// The raw intersection area of a[0..na-1] and b[0..nb-1]; 0 when either has
// fewer than 3 vertices or the joint bounding box has no width or height.
double pia_inter(const pia_point* a, long na, const pia_point* b, long nb);

// Snaps n points onto the grid into v[0..n] (v[n] closes the polygon).
void pia_fit(const pia_point* pts, long n, pia_vertex* v, long marker, double min_x,
             double min_y, double scale_x, double scale_y);

// Adds to s the contributions of P's edges lying inside Q.
void pia_inness(double& s, const pia_vertex* P, long nP, const pia_vertex* Q, long nQ);

// Self-check on six known intersections; an assertion failure when one is off
// by 0.001 or more.
void verify_overlap_area();

}  // namespace vask
