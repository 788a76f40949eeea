// Quaternions (w, x, y, z; type qtn in common.hpp) and their conversions to
// and from rotation matrices, frames and axis-angle pairs.
//
// A unit quaternion (cos(a/2), sin(a/2) u) is the right-hand turn by a degrees
// about the unit axis u. Routines that normalise write "\t***magnitude: <%g>***\n"
// to the run log when the norm is at most 1e-8.
#pragma once

#include <cstdio>
#include <vector>

#include "support/ref_frame.hpp"
#include "support/vector3.hpp"

namespace vask {

void qtn_init(qtn& q);  // all four elements DBL_MAX (unset)
void qtn_by_num(qtn& q, double w, double x, double y, double z);
void qtn_pure_by_num(qtn& q, double x, double y, double z);  // (0, x, y, z)
void qtn_pure_by_vec(const xyz& v, qtn& q);                  // (0, v)
void qtn_identity(qtn& q);                                   // (1, 0, 0, 0)
bool qtn_is_equal(const qtn& p, const qtn& q);               // all elements within 1e-8
void qtn_negate(qtn& q);
void qtn_conjugate(qtn& q);
void qtn_sum(const qtn& p, const qtn& q, qtn& out);
void qtn_times_scalar(const qtn& q, double s, qtn& out);
void qtn_copy(const qtn& q, qtn& out);
void qtn_copy_conjugate(const qtn& q, qtn& out);
// Divides by the norm; a zero quaternion is logged and left as it is.
void qtn_normalize(qtn& q);
void qtn_print(const qtn& q, const char* label, FILE* fp);  // nothing for a null stream
void qtn_to_num(const qtn& q, double& w, double& x, double& y, double& z);

void quaternions_multiplication(const qtn& p, const qtn& q, qtn& out);  // Hamilton product p q
double quaternions_dot(const qtn& p, const qtn& q);
double quaternions_angle(qtn& p, qtn& q);  // normalises both in place; degrees

// The quaternion of a rotation matrix (columns are axes) or of a frame's axes.
void qtn_from_rotmat(const rotmat& R, qtn& q);
void qtn_from_frame(const frame& f, qtn& q);
// Normalises q in place, then fills R. A quaternion of norm at most 1e-8
// carries no rotation: R is then the identity.
void qtn_to_rotmat(qtn& q, rotmat& R);
void qtn_to_frame(qtn& q, frame& f);  // frame reset, then its axes from the matrix of q

// Unit axis and angle (degrees) of a rotation; the angle 0 about (0, 0, 1) for
// a rotation too small to carry an axis.
void qtn_rotmat_to_AxisAngle(const rotmat& R, xyz& axis, double& angle);
void qtn_to_AxisAngle(qtn& q, xyz& axis, double& angle);  // normalises q
void qtn_from_AxisAngle(const xyz& axis, double angle, qtn& q);
void qtn_from_dx_dy(const rotmat& R, qtn& q);

void qtn_rotate_one_point(qtn& q, const xyz& p, xyz& out);
void qtn_rotate_all_points(qtn& q, long n, const std::vector<xyz>& pts, std::vector<xyz>& out);  // rows 1..n

}  // namespace vask
