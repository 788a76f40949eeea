// Rotations and frame transforms: see rotation.hpp.
#include "support/rotation.hpp"

#include <cmath>
#include <cstdio>

#include "support/linear_algebra.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

void frame_to_R(const frame& f, rotmat& R) { axes_to_rotmat(f.x_axis, f.y_axis, f.z_axis, R); }

// Rotation-matrix check block of the program log.
void verify_rotmat(const rotmat& R, const char* label, FILE* fp) {
  if (fp == nullptr) return;
  fprintf(fp, "%s = [\n", label);
  for (long i = 1; i <= 3; ++i) fprintf(fp, "%15.6f %15.6f %15.6f\n", R[i][1], R[i][2], R[i][3]);
  fprintf(fp, "];\n\n");
}

}  // namespace

void get_vector(const xyz& v, xyz& axis, double angle, xyz& out) {
  xyz w = v;
  if (dot_xyz(v, axis) > 1e-8) {
    norm_xyz(axis);
    move_xyz(v, axis, -dot_xyz(v, axis), w);
    norm_xyz(w);
  }
  rotmat R;
  rot_arb_axis(axis, angle, R);
  multiply_vec_transposed_matrix_by3(w, R, out);
  norm_xyz(out);
}

void get_vector_noOrthCheck(const xyz& v, xyz& axis, double angle, xyz& out) {
  rotmat R;
  rot_arb_axis(axis, angle, R);
  multiply_vec_transposed_matrix_by3(v, R, out);
  norm_xyz(out);
}

void reverse_y_z_rotmat(rotmat& R) {
  for (long i = 1; i <= 3; ++i) {
    R[i][2] = -R[i][2];
    R[i][3] = -R[i][3];
  }
}

void reverse_y_z_frame(frame& f) {
  negate_xyz(f.y_axis);
  negate_xyz(f.z_axis);
}

void reverse_x_z_frame(frame& f) {
  negate_xyz(f.x_axis);
  negate_xyz(f.z_axis);
}

void get_ave_z_axis(const xyz& z1, const xyz& z2, xyz& out) {
  if (dot_xyz(z1, z2) < 0.0)
    diff_xyz(z1, z2, out);
  else
    sum_xyz(z1, z2, out);
  norm_xyz(out);
}

double get_zave_offset(const frame& f1, const frame& f2) {
  xyz z, d;
  get_ave_z_axis(f1.z_axis, f2.z_axis, z);
  diff_xyz(f1.org, f2.org, d);
  return std::fabs(dot_xyz(d, z));
}

// ---------------------------------------------------------------------------
// Rotations

void rotx(double angle, rotmat& R) {
  const double c = std::cos(deg2rad(angle)), s = std::sin(deg2rad(angle));
  R[1] = {0, 1, 0, 0};
  R[2] = {0, 0, c, -s};
  R[3] = {0, 0, s, c};
}

void roty(double angle, rotmat& R) {
  const double c = std::cos(deg2rad(angle)), s = std::sin(deg2rad(angle));
  R[1] = {0, c, 0, s};
  R[2] = {0, 0, 1, 0};
  R[3] = {0, -s, 0, c};
}

void rotz(double angle, rotmat& R) {
  const double c = std::cos(deg2rad(angle)), s = std::sin(deg2rad(angle));
  R[1] = {0, c, -s, 0};
  R[2] = {0, s, c, 0};
  R[3] = {0, 0, 0, 1};
}

void rot_arb_axis(xyz& axis, double angle, rotmat& R) {
  if (length_xyz(axis) < 1e-8) {
    identity_matrix(R);
    return;
  }
  norm_xyz(axis);
  const double x = axis[1], y = axis[2], z = axis[3];
  const double c = std::cos(deg2rad(angle)), s = std::sin(deg2rad(angle)), t = 1.0 - c;
  R[1] = {0, c + t * x * x, t * x * y - s * z, t * x * z + s * y};
  R[2] = {0, t * x * y + s * z, c + t * y * y, t * y * z - s * x};
  R[3] = {0, t * x * z - s * y, t * y * z + s * x, c + t * z * z};
}

void get_single_rotation_angle_axis(const rotmat& rot1, const rotmat& rot2, double& angle, xyz& axis,
                                    long& checks) {
  rotmat t1, R, chk;
  transpose_matrix_3x3(rot1, t1);
  multiply_matrix_3x3(t1, rot2, R);
  angle = get_rotmat_angle(R);

  const xyz dx{0, R[1][1] - 1.0, R[2][1], R[3][1]};
  const xyz dy{0, R[1][2], R[2][2] - 1.0, R[3][2]};
  cross_xyz(dx, dy, axis);
  // |dx x dy| = (2 - 2 cos angle) |axis z|: a turn about an axis in the
  // xy plane leaves it near zero, so take the larger of the other two pairs.
  const double scale = 3.0 - (R[1][1] + R[2][2] + R[3][3]);  // 2 - 2 cos angle
  if (scale > 1e-12 && length_xyz(axis) < 1e-6 * scale) {
    const xyz dz{0, R[1][3], R[2][3], R[3][3] - 1.0};
    xyz a2, a3;
    cross_xyz(dy, dz, a2);
    cross_xyz(dz, dx, a3);
    axis = length_xyz(a2) >= length_xyz(a3) ? a2 : a3;
  }
  norm_xyz(axis);

  // The trace fixes the angle only up to its sign. Counting elements that
  // differ cannot decide it (about a coordinate axis only two elements change
  // sign), so keep the sign whose rebuilt rotation is closer to R.
  rotmat neg;
  xyz naxis = axis;
  rot_arb_axis(axis, angle, chk);
  rot_arb_axis(naxis, -angle, neg);
  const bool negated = dd_rotmat(neg, R) < dd_rotmat(chk, R);
  if (negated) angle = -angle;

  if (negated && verbose2() && checks == 1) {
    prglog_msg("%s\n", std::string(78, '-').c_str());
    prglog_msg("%g\t%g\t%g\t%g\n", angle, axis[1], axis[2], axis[3]);
    for (long i = 1; i <= 3; ++i) {
      for (long j = 1; j <= 3; ++j) prglog_msg("\t%8.5f (%8.5f)", R[i][j], chk[i][j]);
      prglog_msg("\n");
    }
    checks = 2;
  }
  if (verbose1() && checks == 0) {
    verify_rotmat(R, "R", PRGLOG);
    verify_rotmat(rot1, "rot1", PRGLOG);
    verify_rotmat(rot2, "rot2", PRGLOG);
    checks = 1;
  }
}

double get_rotation_angle_by_frame(const frame& f1, const frame& f2) {
  rotmat R1, R2;
  frame_to_R(f1, R1);
  frame_to_R(f2, R2);
  double angle;
  xyz axis;
  long shown = 2;  // no diagnostics: the many frame pairs of an alignment would flood the log
  get_single_rotation_angle_axis(R1, R2, angle, axis, shown);
  return angle;
}

double get_rotmat_angle(const rotmat& R) { return dot_to_angle((R[1][1] + R[2][2] + R[3][3] - 1.0) / 2.0); }

double dd_rotmat(const rotmat& R1, const rotmat& R2) {
  double sum = 0.0;
  for (long i = 1; i <= 3; ++i)
    for (long j = 1; j <= 3; ++j) {
      const double d = std::fabs(R1[i][j] - R2[i][j]);
      if (d > 1e-8) sum += d;
    }
  return sum;
}

bool is_equal_rotmat(const rotmat& R1, const rotmat& R2) { return dd_rotmat(R1, R2) < 1e-6; }

// An axis along -z gives a zero hinge and so the identity: callers pass axes
// that point roughly up.
void align_zaxis(long n, xyz& axis, const std::vector<xyz>& in, rotmat& R, std::vector<xyz>& out) {
  xyz zaxis{0, 0, 0, 1}, hinge;
  cross_xyz(axis, zaxis, hinge);
  const double angle = angle_xyz(axis, zaxis);
  rot_arb_axis(hinge, angle, R);
  if (out.size() < static_cast<size_t>(n + 1)) out.resize(n + 1);
  for (long i = 1; i <= n; ++i) multiply_vec_transposed_matrix_by3(in[i], R, out[i]);
}

// ---------------------------------------------------------------------------
// Frame transforms

void oR_xyz(const xyz& o, const rotmat& R, const xyz& local, xyz& global) {
  for (long i = 1; i <= 3; ++i) global[i] = o[i] + R[i][1] * local[1] + R[i][2] * local[2] + R[i][3] * local[3];
}

void frame_xyz(const frame& f, const xyz& local, xyz& global) {
  for (long i = 1; i <= 3; ++i)
    global[i] = f.org[i] + local[1] * f.x_axis[i] + local[2] * f.y_axis[i] + local[3] * f.z_axis[i];
}

void frame_xyzNx3(const frame& f, long n, const std::vector<xyz>& local, std::vector<xyz>& global) {
  if (global.size() < static_cast<size_t>(n + 1)) global.resize(n + 1);
  for (long k = 1; k <= n; ++k) frame_xyz(f, local[k], global[k]);
}

void oR_xyzNx3(const xyz& o, const rotmat& R, long n, const std::vector<xyz>& local, std::vector<xyz>& global) {
  if (global.size() < static_cast<size_t>(n + 1)) global.resize(n + 1);
  for (long k = 1; k <= n; ++k) oR_xyz(o, R, local[k], global[k]);
}

void project_xyz_by_frame(const frame& f, const xyz& p, xyz& local) {
  xyz d;
  diff_xyz(f.org, p, d);
  set_xyz(local, dot_xyz(d, f.x_axis), dot_xyz(d, f.y_axis), dot_xyz(d, f.z_axis));
}

void project_xyz_by_oR(const xyz& o, const rotmat& R, const xyz& p, xyz& local) {
  xyz d;
  diff_xyz(o, p, d);
  multiply_vec_matrix_by3(d, R, local);
}

void project_xyzNx3_by_frame(const frame& f, long n, std::vector<xyz>& pts) {
  for (long k = 1; k <= n; ++k) {
    const xyz p = pts[k];
    project_xyz_by_frame(f, p, pts[k]);
  }
}

void project_xyzNx3_by_oR(const xyz& o, const rotmat& R, long n, std::vector<xyz>& pts) {
  for (long k = 1; k <= n; ++k) {
    const xyz p = pts[k];
    project_xyz_by_oR(o, R, p, pts[k]);
  }
}

void project_xyzNx3_by_frame_side_view(const frame& f, long mode, long n, std::vector<xyz>& pts) {
  project_xyzNx3_by_frame(f, n, pts);
  if (mode == 0) return;
  for (long k = 1; k <= n; ++k) {
    xyz& p = pts[k];
    set_xyz(p, -p[2], p[3], -p[1]);
    if (mode == 2) set_xyz(p, -p[1], p[2], -p[3]);
  }
}

void set_first_as_reference_by_rotmat(const xyz& o1, const rotmat& R1, const xyz& o2, const rotmat& R2, xyz& o,
                                      rotmat& R) {
  rotmat t1;
  transpose_matrix_3x3(R1, t1);
  multiply_matrix_3x3(t1, R2, R);
  xyz d;
  diff_xyz(o1, o2, d);
  multiply_vec_matrix_by3(d, R1, o);
}

void set_first_as_reference_by_frame(const frame& f1, const frame& f2, frame& out) {
  rotmat R1;
  frame_to_R(f1, R1);
  project_xyz_by_frame(f1, f2.org, out.org);
  multiply_vec_matrix_by3(f2.x_axis, R1, out.x_axis);
  multiply_vec_matrix_by3(f2.y_axis, R1, out.y_axis);
  multiply_vec_matrix_by3(f2.z_axis, R1, out.z_axis);
}

long get_lineSegments_intersection(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                                   double y4, double* x, double* y) {
  const double D = (x2 - x1) * (y4 - y3) - (x4 - x3) * (y2 - y1);
  const double Na = (x4 - x3) * (y1 - y3) - (y4 - y3) * (x1 - x3);
  const double Nb = (x2 - x1) * (y1 - y3) - (y2 - y1) * (x1 - x3);
  if (std::fabs(D) < 1e-6) return 0;
  const bool meet =
      D > 0.0 ? (Na >= 0.0 && Na <= D && Nb >= 0.0 && Nb <= D) : (Na > D && Na < 0.0 && Nb > D && Nb < 0.0);
  if (!meet) return 0;
  const double ua = Na / D;
  if (x != nullptr) *x = x1 + ua * (x2 - x1);
  if (y != nullptr) *y = y1 + ua * (y2 - y1);
  return 1;
}

// ---------------------------------------------------------------------------
// Matrices

void multiply_matrix_3x3(const rotmat& a, const rotmat& b, rotmat& out) {
  for (long i = 1; i <= 3; ++i)
    for (long j = 1; j <= 3; ++j) out[i][j] = a[i][1] * b[1][j] + a[i][2] * b[2][j] + a[i][3] * b[3][j];
}

void transpose_matrix_3x3(const rotmat& a, rotmat& out) {
  for (long i = 1; i <= 3; ++i)
    for (long j = 1; j <= 3; ++j) out[j][i] = a[i][j];
}

void identity_matrix(rotmat& m) {
  m[1] = {0, 1, 0, 0};
  m[2] = {0, 0, 1, 0};
  m[3] = {0, 0, 0, 1};
}

void multiply_vec_matrix_by3(const xyz& v, const rotmat& R, xyz& out) {
  for (long j = 1; j <= 3; ++j) out[j] = v[1] * R[1][j] + v[2] * R[2][j] + v[3] * R[3][j];
}

void multiply_vec_transposed_matrix_by3(const xyz& v, const rotmat& R, xyz& out) {
  for (long j = 1; j <= 3; ++j) out[j] = R[j][1] * v[1] + R[j][2] * v[2] + R[j][3] * v[3];
}

}  // namespace vask
