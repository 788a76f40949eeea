// Quaternions: see quaternion.hpp.
#include "support/quaternion.hpp"

#include <cfloat>

#include "support/linear_algebra.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/vector3.hpp"

namespace vask {

void qtn_init(qtn& q) { q = {DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX}; }
void qtn_by_num(qtn& q, double w, double x, double y, double z) { q = {w, x, y, z}; }
void qtn_pure_by_num(qtn& q, double x, double y, double z) { q = {0.0, x, y, z}; }
void qtn_pure_by_vec(const xyz& v, qtn& q) { q = {0.0, v[1], v[2], v[3]}; }
void qtn_identity(qtn& q) { q = {1.0, 0.0, 0.0, 0.0}; }

bool qtn_is_equal(const qtn& p, const qtn& q) {
  for (long i = 0; i < 4; ++i)
    if (std::fabs(p[i] - q[i]) >= 1e-8) return false;
  return true;
}

void qtn_negate(qtn& q) {
  for (double& e : q) e = -e;
}

void qtn_conjugate(qtn& q) {
  for (long i = 1; i < 4; ++i) q[i] = -q[i];
}

void qtn_sum(const qtn& p, const qtn& q, qtn& out) {
  for (long i = 0; i < 4; ++i) out[i] = p[i] + q[i];
}

void qtn_times_scalar(const qtn& q, double s, qtn& out) {
  for (long i = 0; i < 4; ++i) out[i] = s * q[i];
}

void qtn_copy(const qtn& q, qtn& out) { out = q; }

void qtn_copy_conjugate(const qtn& q, qtn& out) {
  out = q;
  qtn_conjugate(out);
}

void qtn_normalize(qtn& q) {
  const double norm = std::sqrt(quaternions_dot(q, q));
  if (norm <= 1e-8) runlog_msg("\t***magnitude: <%g>***\n", norm);
  if (norm == 0.0) return;  // nothing to scale; a division would give NaN
  for (double& e : q) e /= norm;
}

void qtn_print(const qtn& q, const char* label, FILE* fp) {
  if (fp == nullptr) return;
  fprintf(fp, "%s\t[", label);
  for (double e : q) fprintf(fp, "%16.6f ", e);
  fprintf(fp, "]\n");
}

void qtn_to_num(const qtn& q, double& w, double& x, double& y, double& z) {
  w = q[0];
  x = q[1];
  y = q[2];
  z = q[3];
}

void quaternions_multiplication(const qtn& p, const qtn& q, qtn& out) {
  out = {p[0] * q[0] - p[1] * q[1] - p[2] * q[2] - p[3] * q[3],
         p[0] * q[1] + p[1] * q[0] + p[2] * q[3] - p[3] * q[2],
         p[0] * q[2] - p[1] * q[3] + p[2] * q[0] + p[3] * q[1],
         p[0] * q[3] + p[1] * q[2] - p[2] * q[1] + p[3] * q[0]};
}

double quaternions_dot(const qtn& p, const qtn& q) { return p[0] * q[0] + p[1] * q[1] + p[2] * q[2] + p[3] * q[3]; }

double quaternions_angle(qtn& p, qtn& q) {
  qtn_normalize(p);
  qtn_normalize(q);
  return dot_to_angle(quaternions_dot(p, q));
}

// Trace method: the branch on the largest diagonal element keeps the square
// root away from zero.
void qtn_from_rotmat(const rotmat& R, qtn& q) {
  const double t = R[1][1] + R[2][2] + R[3][3];
  if (t > 0.0) {
    const double s = std::sqrt(t + 1.0), f = 0.5 / s;
    q = {s / 2.0, (R[3][2] - R[2][3]) * f, (R[1][3] - R[3][1]) * f, (R[2][1] - R[1][2]) * f};
    return;
  }
  long i = R[2][2] > R[1][1] ? 2 : 1;
  if (R[3][3] > R[i][i]) i = 3;
  const long j = i % 3 + 1, k = j % 3 + 1;
  const double s = std::sqrt(R[i][i] - R[j][j] - R[k][k] + 1.0), f = 0.5 / s;
  q[i] = s / 2.0;
  q[0] = (R[k][j] - R[j][k]) * f;
  q[j] = (R[j][i] + R[i][j]) * f;
  q[k] = (R[k][i] + R[i][k]) * f;
}

void qtn_from_frame(const frame& f, qtn& q) {
  rotmat R;
  axes_to_rotmat(f.x_axis, f.y_axis, f.z_axis, R);
  qtn_from_rotmat(R, q);
}

void qtn_to_rotmat(qtn& q, rotmat& R) {
  qtn_normalize(q);
  if (std::sqrt(quaternions_dot(q, q)) <= 1e-8) {
    identity_matrix(R);
    return;
  }
  const double w = q[0], x = q[1], y = q[2], z = q[3];
  R[1] = {0, 2 * (w * w + x * x) - 1, 2 * (x * y - w * z), 2 * (x * z + w * y)};
  R[2] = {0, 2 * (x * y + w * z), 2 * (w * w + y * y) - 1, 2 * (y * z - w * x)};
  R[3] = {0, 2 * (x * z - w * y), 2 * (y * z + w * x), 2 * (w * w + z * z) - 1};
}

void qtn_to_frame(qtn& q, frame& f) {
  rotmat R;
  qtn_to_rotmat(q, R);
  f = frame{};
  rotmat_to_axes(R, f.x_axis, f.y_axis, f.z_axis);
}

void qtn_to_AxisAngle(qtn& q, xyz& axis, double& angle) {
  qtn_normalize(q);
  const xyz v{0, q[1], q[2], q[3]};
  if (length_xyz(v) < 1e-8) {
    angle = 0.0;
    set_zaxis(axis);
    return;
  }
  axis = v;
  norm_xyz(axis);
  angle = 2.0 * dot_to_angle(q[0]);
}

void qtn_rotmat_to_AxisAngle(const rotmat& R, xyz& axis, double& angle) {
  qtn q;
  qtn_from_rotmat(R, q);
  qtn_to_AxisAngle(q, axis, angle);
}

void qtn_from_AxisAngle(const xyz& axis, double angle, qtn& q) {
  const double len = length_xyz(axis);
  if (std::fabs(angle) < 1e-8 || len < 1e-8) {
    qtn_identity(q);
    return;
  }
  const double h = deg2rad(angle) / 2.0, s = std::sin(h) / len;
  q = {std::cos(h), s * axis[1], s * axis[2], s * axis[3]};
}

void qtn_from_dx_dy(const rotmat& R, qtn& q) {
  const xyz dx{0, R[1][1] - 1.0, R[2][1], R[3][1]};
  const xyz dy{0, R[1][2], R[2][2] - 1.0, R[3][2]};
  xyz axis;
  cross_norm_xyz(dx, dy, axis);
  qtn_from_AxisAngle(axis, get_rotmat_angle(R), q);
  qtn tmp = q;
  rotmat Rq;
  qtn_to_rotmat(tmp, Rq);
  if (dd_rotmat(Rq, R) >= 0.001) qtn_conjugate(q);  // the trace gave the angle without its sign
}

void qtn_rotate_one_point(qtn& q, const xyz& p, xyz& out) {
  rotmat R;
  qtn_to_rotmat(q, R);
  multiply_vec_transposed_matrix_by3(p, R, out);
}

void qtn_rotate_all_points(qtn& q, long n, const std::vector<xyz>& pts, std::vector<xyz>& out) {
  rotmat R;
  qtn_to_rotmat(q, R);
  if (out.size() < static_cast<size_t>(n + 1)) out.resize(n + 1);
  for (long k = 1; k <= n; ++k) multiply_vec_transposed_matrix_by3(pts[k], R, out[k]);
}

}  // namespace vask
