// Rotations, 3x3 matrices and transforms between frames and global
// coordinates. 1-based 3x3 matrices hold a frame's x, y, z axes as columns;
// matrix products and rotations may not alias an input.
#pragma once

#include <vector>

#include "support/linear_algebra.hpp"
#include "support/ref_frame.hpp"
#include "support/vector3.hpp"

namespace vask {

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
// R = rot1' rot2 as a signed angle about a unit axis. In verbose runs the
// program log shows the matrices of the first call, and the first negated
// angle in more verbose ones; checks (0 at first, then 1, then 2) records
// what was shown.
void get_single_rotation_angle_axis(const rotmat& rot1, const rotmat& rot2, double& angle, xyz& axis,
                                    long& checks);
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

}  // namespace vask
