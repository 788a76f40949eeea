// Points, 3x3 matrices and their algebra; rotations and frame transforms;
// shell sorts of 1-based vectors.
//
// Conventions of every routine here: inputs first, the result last
// (diff_xyz(a, b, out) gives out = b - a); angles in degrees; 1-based 3x3
// matrices whose columns are a frame's x, y, z axes. Element-wise results may
// alias an input; cross products, matrix products and rotations may not.
// Point lists are 1-based std::vector<xyz> (slot 0 unused) with an explicit
// count n, so a caller may reuse a larger buffer.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "support/utility.hpp"

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

// The reference-frame record (origin, unit axes, quaternion) is declared with
// the settings in driver/option.hpp; include that header to use the routines
// here that take frames.
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

// ---------------------------------------------------------------------------
// Rotations and frames

// v turned about axis by angle, after being made perpendicular to it when
// v.axis > 1e-8 (axis then normalised in place); the result is normalised.
void get_vector(const xyz& v, xyz& axis, double angle, xyz& out);
void get_vector_noOrthCheck(const xyz& v, xyz& axis, double angle, xyz& out);  // out = Rot(axis, angle) v, normalised
void reverse_y_z_rotmat(rotmat& R);  // negates columns 2 and 3
void reverse_y_z_frame(frame& f);
void reverse_x_z_frame(frame& f);
void get_ave_z_axis(const xyz& z1, const xyz& z2, xyz& out);  // mean direction, z1 turned over when opposed
double get_zave_offset(const frame& f1, const frame& f2);     // |(o2 - o1).zave|

// Rotations about the coordinate axes by angle degrees.
void rotx(double angle, rotmat& R);
void roty(double angle, rotmat& R);
void rotz(double angle, rotmat& R);
// Right-hand rotation about axis (normalised in place); the identity for an
// axis shorter than 1e-8 (then left unchanged).
void rot_arb_axis(xyz& axis, double angle, rotmat& R);
// R = rot1' rot2 as a signed angle about a unit axis.
void get_single_rotation_angle_axis(const rotmat& rot1, const rotmat& rot2, double& angle, xyz& axis);
double get_rotation_angle_by_frame(const frame& f1, const frame& f2);
double get_rotmat_angle(const rotmat& R);                 // from the trace, in [0, 180]
double dd_rotmat(const rotmat& R1, const rotmat& R2);     // sum of element differences above 1e-8
bool is_equal_rotmat(const rotmat& R1, const rotmat& R2);  // dd_rotmat < 1e-6
// R turns axis (normalised in place) onto +z; out rows 1..n = R in rows.
void align_zaxis(long n, xyz& axis, const std::vector<xyz>& in, rotmat& R, std::vector<xyz>& out);

// Frame transforms: local (a, b, c) is the point o + a x + b y + c z.
void frame_xyz(const frame& f, const xyz& local, xyz& global);
void frame_xyzNx3(const frame& f, long n, const std::vector<xyz>& local, std::vector<xyz>& global);
void oR_xyz(const xyz& o, const rotmat& R, const xyz& local, xyz& global);
void oR_xyzNx3(const xyz& o, const rotmat& R, long n, const std::vector<xyz>& local, std::vector<xyz>& global);
void project_xyz_by_frame(const frame& f, const xyz& p, xyz& local);
void project_xyz_by_oR(const xyz& o, const rotmat& R, const xyz& p, xyz& local);
void project_xyzNx3_by_frame(const frame& f, long n, std::vector<xyz>& pts);  // in place
void project_xyzNx3_by_oR(const xyz& o, const rotmat& R, long n, std::vector<xyz>& pts);  // in place
// In place; mode != 0: (a, b, c) -> (-b, c, -a); mode 2: -> (b, c, a).
void project_xyzNx3_by_frame_side_view(const frame& f, long mode, long n, std::vector<xyz>& pts);
// Frame 2 relative to frame 1: R = R1' R2, o = R1' (o2 - o1).
void set_first_as_reference_by_rotmat(const xyz& o1, const rotmat& R1, const xyz& o2, const rotmat& R2, xyz& o,
                                      rotmat& R);
void set_first_as_reference_by_frame(const frame& f1, const frame& f2, frame& out);  // out's origin and axes
// 1 with the crossing point (x, y each stored when non-null) when segments
// (x1,y1)-(x2,y2) and (x3,y3)-(x4,y4) meet; 0 when not or parallel.
long get_lineSegments_intersection(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                                   double y4, double* x, double* y);

// ---------------------------------------------------------------------------
// Matrices

void multiply_matrix_3x3(const rotmat& a, const rotmat& b, rotmat& out);  // out = a b
void transpose_matrix_3x3(const rotmat& a, rotmat& out);
void identity_matrix(rotmat& m);
inline void copy_dmatrix_3x3(const rotmat& src, rotmat& dst) { dst = src; }
// out[j] = sum_i v[i] R[i][j] = R' v: components of v along R's columns (global to frame).
void multiply_vec_matrix_by3(const xyz& v, const rotmat& R, xyz& out);
// out = R v: frame components back to global.
void multiply_vec_transposed_matrix_by3(const xyz& v, const rotmat& R, xyz& out);

// General 1-based matrices; out is (re)sized by the routine.
void multiply_matrix(const dmatrix_t& a, long nra, long nca, const dmatrix_t& b, long nrb, long ncb, dmatrix_t& out);
void multiply_matrix_vec(const dmatrix_t& a, long nr, long nc, const std::vector<double>& v, long n,
                         std::vector<double>& out);
void multiply_vec_matrix(const std::vector<double>& v, long n, const dmatrix_t& a, long nr, long nc,
                         std::vector<double>& out);
void transpose_matrix(const dmatrix_t& a, long nr, long nc, dmatrix_t& out);
void identity_matrix(dmatrix_t& m, long n);
void copy_dmatrix_Nx3(const std::vector<xyz>& src, long n, std::vector<xyz>& dst);
void copy_dmatrix(const dmatrix_t& src, long rlo, long rhi, long clo, long chi, dmatrix_t& dst);
void copy_lmatrix(const lmatrix_t& src, long rlo, long rhi, long clo, long chi, lmatrix_t& dst);
void move_position(dmatrix_t& m, long nr, long nc, const std::vector<double>& p);  // m[i][j] -= p[j]
void move_to_center(std::vector<xyz>& pts, long n);  // subtract the centroid; n = 0 is fatal

// ---------------------------------------------------------------------------
// Printing: nothing is written to a null stream.

void print_vec3(FILE* fp, const xyz& v, const char* format, const char* trailer);  // format null: "%16.6f" x 3
void print_dmatrix(FILE* fp, const rotmat& m, const char* title);                        // "\t%s\n", 3 rows
void print_dmatrix(FILE* fp, const std::vector<xyz>& m, long n, const char* title);      // rows 1..n
// An XYZ file of n carbon atoms: count, "# comment", one line per point.
void write_xyz(long n, const std::vector<xyz>& pts, const char* comment, const std::string& filename);

// ---------------------------------------------------------------------------
// Sorting 1-based vectors by shell sort (increments 1, 4, 13, ...). After an
// indexed sort idx[i] is the input position of the value now at i. Equal
// values may change order (the sort is not stable for n >= 5); n <= 0 touches
// nothing.

void sort_dvec_idx(long n, std::vector<double>& v, std::vector<long>& idx);
void sort_lvec_idx(long n, std::vector<long>& v, std::vector<long>& idx);
void sort_dvec_idx_decrease(long n, std::vector<double>& v, std::vector<long>& idx);
void sort_lvec_idx_decrease(long n, std::vector<long>& v, std::vector<long>& idx);
void sort_dvector(long n, std::vector<double>& v);
void sort_lvector(long n, std::vector<long>& v);
void reorder_lvector_by_idx(const std::vector<long>& idx, long n, std::vector<long>& v);  // v[i] = old v[idx[i]]
void reorder_dvector_by_idx(const std::vector<long>& idx, long n, std::vector<double>& v);

// Deterministic replacement for an unstable library sort of elements 1..n:
// equal elements keep their input order, so ties fall back to the index.
template <class T, class Less>
void stable_sort_1n(std::vector<T>& v, long n, Less less) {
  if (n <= 1) return;
  std::stable_sort(v.begin() + 1, v.begin() + 1 + n, less);
}

}  // namespace vask
