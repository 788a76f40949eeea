// Points and directions in space: the 1-based xyz point, distances, angles and
// tolerances, and their printing.
//
// Conventions of every routine here: inputs first, the result last
// (diff_xyz(a, b, out) gives out = b - a); angles in degrees. Element-wise
// results may alias an input; cross products may not. Point lists are 1-based
// std::vector<xyz> (slot 0 unused) with an explicit count n, so a caller may
// reuse a larger buffer.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace vask {

// A point or vector in Angstrom, 1-based: p[1], p[2], p[3] are x, y, z; p[0] unused.
// Always zero-filled when default-constructed, so a scratch point never carries
// stale memory into slot 0 or into a result.
struct xyz : std::array<double, 4> {
  constexpr xyz() : std::array<double, 4>{} {}
  constexpr xyz(double a0, double a1, double a2, double a3) : std::array<double, 4>{a0, a1, a2, a3} {}
  constexpr xyz(const std::array<double, 4>& a) : std::array<double, 4>(a) {}  // NOLINT: implicit
};

// A 1-based 3x3 matrix m[row][col]; as a rotation, its columns are the frame's x, y, z axes.
using rotmat = std::array<xyz, 4>;

// Axis j of a rotation matrix is its column j; slot 0 of the axes is left alone.
inline xyz rotmat_column(const rotmat& R, long j) { return {0, R[1][j], R[2][j], R[3][j]}; }
inline void axes_to_rotmat(const xyz& x, const xyz& y, const xyz& z, rotmat& R) {
  for (long i = 1; i <= 3; ++i) {
    R[i][1] = x[i];
    R[i][2] = y[i];
    R[i][3] = z[i];
  }
}
inline void rotmat_to_axes(const rotmat& R, xyz& x, xyz& y, xyz& z) {
  for (long i = 1; i <= 3; ++i) {
    x[i] = R[i][1];
    y[i] = R[i][2];
    z[i] = R[i][3];
  }
}

// A quaternion, 0-based: w, then the vector part at 1..3 (lined up with an xyz).
// Unset elements hold DBL_MAX.
using qtn = xyz;

// The reference-frame record is in support/ref_frame.hpp (which needs xyz);
// the two measures here that take frames need only its name.
struct frame;

// The C1' atom of an ideal nucleotide in its own base frame.
inline constexpr xyz C1_STD_XYZ{0.0, -2.477, 5.399, 0.0};

inline constexpr double PI = 3.141592653589793;

// ---------------------------------------------------------------------------
// Tolerances

// |a - b| < 1e-6, or the difference relative to the larger magnitude < 1e-8.
bool is_approx(double a, double b);
inline bool is_close_to_zero(double x) { return std::fabs(x) < 1e-6; }
// Half away from zero.
inline long round_long(double x) { return x > 0 ? static_cast<long>(x + 0.5) : static_cast<long>(x - 0.5); }

inline double rad2deg(double x) { return x * 180.0 / PI; }
inline double deg2rad(double x) { return x * PI / 180.0; }

// ---------------------------------------------------------------------------
// Points and directions

inline void set_xyz(xyz& v, double x, double y, double z) { v[1] = x; v[2] = y; v[3] = z; }
inline void set_zaxis(xyz& v) { set_xyz(v, 0.0, 0.0, 1.0); }
inline void copy_xyz(const xyz& src, xyz& dst) { dst = src; }
inline void copy_negate_xyz(const xyz& src, xyz& dst) { set_xyz(dst, -src[1], -src[2], -src[3]); }
inline void negate_xyz(xyz& v) { copy_negate_xyz(v, v); }
inline void swap_xyz(xyz& a, xyz& b) { std::swap(a, b); }
inline void sum_xyz(const xyz& a, const xyz& b, xyz& out) { set_xyz(out, a[1] + b[1], a[2] + b[2], a[3] + b[3]); }
// out = b - a: the vector from the first point to the second.
inline void diff_xyz(const xyz& a, const xyz& b, xyz& out) { set_xyz(out, b[1] - a[1], b[2] - a[2], b[3] - a[3]); }
inline void ave_xyz(const xyz& a, const xyz& b, xyz& out) {
  set_xyz(out, (a[1] + b[1]) * 0.5, (a[2] + b[2]) * 0.5, (a[3] + b[3]) * 0.5);
}
inline void scalar_times_xyz(const xyz& v, double s, xyz& out) { set_xyz(out, s * v[1], s * v[2], s * v[3]); }
// out = p + d dir
inline void move_xyz(const xyz& p, const xyz& dir, double d, xyz& out) {
  set_xyz(out, p[1] + d * dir[1], p[2] + d * dir[2], p[3] + d * dir[3]);
}
inline void move_point_along_line(const xyz& p, const xyz& dir, double d, xyz& out) { move_xyz(p, dir, d, out); }

inline double dot_xyz(const xyz& a, const xyz& b) { return a[1] * b[1] + a[2] * b[2] + a[3] * b[3]; }
inline double length_xyz(const xyz& v) { return std::sqrt(dot_xyz(v, v)); }
// out = a x b; out must not alias a or b.
inline void cross_xyz(const xyz& a, const xyz& b, xyz& out) {
  set_xyz(out, a[2] * b[3] - a[3] * b[2], a[3] * b[1] - a[1] * b[3], a[1] * b[2] - a[2] * b[1]);
}
// In place: unchanged when the length is approximately 1 or below 1e-8,
// else divided by its length. A zero vector stays zero.
void norm_xyz(xyz& v);
inline void sum_norm_xyz(const xyz& a, const xyz& b, xyz& out) { sum_xyz(a, b, out); norm_xyz(out); }
inline void diff_norm_xyz(const xyz& a, const xyz& b, xyz& out) { diff_xyz(a, b, out); norm_xyz(out); }
inline void cross_norm_xyz(const xyz& a, const xyz& b, xyz& out) { cross_xyz(a, b, out); norm_xyz(out); }

long sign_control(const xyz& a, const xyz& b, const xyz& c);  // -1 when (a x b).c < 0, else +1
long get_direction(const xyz& v, const xyz& a, const xyz& b);  // sign of (v.a)(v.b): 1, -1 or 0
inline bool opposite_direction(const xyz& a, const xyz& b) { return dot_xyz(a, b) < 0.0; }
inline bool same_direction(const xyz& a, const xyz& b) { return dot_xyz(a, b) >= 0.0; }
bool plus_frames(const frame& f1, const frame& f2);  // z1.z2 >= 0

inline double dist_xyz_square(const xyz& a, const xyz& b) {
  const double dx = a[1] - b[1], dy = a[2] - b[2], dz = a[3] - b[3];
  return dx * dx + dy * dy + dz * dz;
}
inline double dist_xyz(const xyz& a, const xyz& b) { return std::sqrt(dist_xyz_square(a, b)); }
// Box test: |dx|, |dy| and |dz| all <= d.
inline bool dx_dy_dz_all_less(const xyz& a, const xyz& b, double d) {
  return std::fabs(a[1] - b[1]) <= d && std::fabs(a[2] - b[2]) <= d && std::fabs(a[3] - b[3]) <= d;
}
// Box test first, then distance <= d (both inclusive).
inline bool dist_in_cutoff(const xyz& a, const xyz& b, double d) {
  return dx_dy_dz_all_less(a, b, d) && dist_xyz_square(a, b) <= d * d;
}
// Box test with dmax, then dmin <= distance <= dmax; dmax < dmin is an assertion failure.
bool two_points_within_range(const xyz& a, const xyz& b, double dmin, double dmax);

void orth_xyz(xyz& v, xyz& axis);                      // in place: axis normalised, v made perpendicular and normalised
double orth_xyz_length(const xyz& v, const xyz& axis);  // |v - (v.axis) axis|, axis taken as unit
inline double para_xyz_length(const xyz& v, const xyz& axis) { return std::fabs(dot_xyz(v, axis)); }
double horz_dist(const xyz& p, const xyz& q, const xyz& axis);  // |p - q| across the axis
inline double get_dvert(const xyz& p, const xyz& q, const xyz& axis) {
  xyz d;
  diff_xyz(q, p, d);
  return std::fabs(dot_xyz(d, axis));
}
double get_point_line_dist(const xyz& p, const xyz& a, const xyz& b);  // p to the line through a and b
double dircos_xyz(const xyz& a, const xyz& b);                          // cosine of the angle; inputs untouched
inline double max_vec3(const xyz& v) { return std::max({v[1], v[2], v[3]}); }
inline double min_vec3(const xyz& v) { return std::min({v[1], v[2], v[3]}); }

// ---------------------------------------------------------------------------
// Angles (degrees)

double dot_to_angle(double x);  // acos clamped: 0 for x >= 1, 180 for x <= -1
// 0 when either is shorter than 1e-8; otherwise normalises both IN PLACE and
// returns the angle in [0, 180].
double angle_xyz(xyz& a, xyz& b);
double angle90_normalized_vectors(const xyz& a, const xyz& b);  // unit vectors; the line angle in [0, 90]
// Vertical distance of f2 from f1 along the mean z axis, and the folded angle between the z axes.
void get_dv_angle(const frame& f1, const frame& f2, double& dv, double& angle);
// Signed angle from a to b about axis (normalised in place), a and b projected
// onto the plane normal to it; in [-180, 180], positive when (a x b).axis > 0.
double get_vector_angle(const xyz& a, const xyz& b, xyz& axis);

// Printing: nothing is written to a null stream.

void print_vec3(FILE* fp, const xyz& v, const char* format, const char* trailer);  // format null: "%16.6f" x 3
void print_dmatrix(FILE* fp, const rotmat& m, const char* title);                        // "\t%s\n", 3 rows
void print_dmatrix(FILE* fp, const std::vector<xyz>& m, long n, const char* title);      // rows 1..n
// An XYZ file of n carbon atoms: count, "# comment", one line per point.
void write_xyz(long n, const std::vector<xyz>& pts, const char* comment, const std::string& filename);

}  // namespace vask
