// Points, 3x3 matrices, rotations, frame transforms and shell sorts: see common.hpp.
#include "support/common.hpp"

#include "driver/option.hpp"
#include "support/cii.hpp"
#include "support/file.hpp"

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

bool is_approx(double a, double b) {
  const double d = std::fabs(a - b);
  if (d < 1e-6) return true;
  return d / std::max(std::fabs(a), std::fabs(b)) < 1e-8;
}

void norm_xyz(xyz& v) {
  const double len = length_xyz(v);
  if (is_approx(len, 1.0) || len <= 1e-8) return;
  set_xyz(v, v[1] / len, v[2] / len, v[3] / len);
}

long sign_control(const xyz& a, const xyz& b, const xyz& c) {
  xyz t;
  cross_xyz(a, b, t);
  return dot_xyz(t, c) < 0.0 ? -1 : 1;
}

bool plus_frames(const frame& f1, const frame& f2) { return same_direction(f1.z_axis, f2.z_axis); }

long get_direction(const xyz& v, const xyz& a, const xyz& b) {
  const double d = dot_xyz(v, a) * dot_xyz(v, b);
  return d > 0.0 ? 1 : (d < 0.0 ? -1 : 0);
}

bool two_points_within_range(const xyz& a, const xyz& b, double dmin, double dmax) {
  VASK_ASSERT(dmax >= dmin);
  if (!dx_dy_dz_all_less(a, b, dmax)) return false;
  const double d2 = dist_xyz_square(a, b);
  return (dmin <= 0.0 || d2 >= dmin * dmin) && d2 <= dmax * dmax;
}

void orth_xyz(xyz& v, xyz& axis) {
  norm_xyz(axis);
  move_xyz(v, axis, -dot_xyz(v, axis), v);
  norm_xyz(v);
}

double orth_xyz_length(const xyz& v, const xyz& axis) {
  xyz t;
  move_xyz(v, axis, -dot_xyz(v, axis), t);
  return length_xyz(t);
}

double horz_dist(const xyz& p, const xyz& q, const xyz& axis) {
  xyz d;
  diff_xyz(q, p, d);
  return orth_xyz_length(d, axis);
}

double get_point_line_dist(const xyz& p, const xyz& a, const xyz& b) {
  xyz u, w;
  diff_norm_xyz(a, b, u);
  diff_xyz(a, p, w);
  return orth_xyz_length(w, u);
}

double dircos_xyz(const xyz& a, const xyz& b) {
  xyz u = a, v = b;
  norm_xyz(u);
  norm_xyz(v);
  return dot_xyz(u, v);
}

double dot_to_angle(double x) {
  if (x >= 1.0) return 0.0;
  if (x <= -1.0) return 180.0;
  return rad2deg(std::acos(x));
}

double angle_xyz(xyz& a, xyz& b) {
  if (length_xyz(a) < 1e-8 || length_xyz(b) < 1e-8) return 0.0;
  norm_xyz(a);
  norm_xyz(b);
  return dot_to_angle(dot_xyz(a, b));
}

double angle90_normalized_vectors(const xyz& a, const xyz& b) {
  const double d = dot_xyz(a, b);
  if (std::fabs(d) >= 1.0) return 0.0;
  return 90.0 - std::fabs(rad2deg(std::acos(d)) - 90.0);
}

void get_dv_angle(const frame& f1, const frame& f2, double& dv, double& angle) {
  dv = get_zave_offset(f1, f2);
  angle = angle90_normalized_vectors(f1.z_axis, f2.z_axis);
}

double get_vector_angle(const xyz& a, const xyz& b, xyz& axis) {
  norm_xyz(axis);
  xyz pa, pb, t;
  move_xyz(a, axis, -dot_xyz(a, axis), pa);
  move_xyz(b, axis, -dot_xyz(b, axis), pb);
  norm_xyz(pa);
  norm_xyz(pb);
  const double angle = angle_xyz(pa, pb);
  cross_xyz(pa, pb, t);
  return dot_xyz(t, axis) < 0.0 ? -angle : angle;
}

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

void get_single_rotation_angle_axis(const rotmat& rot1, const rotmat& rot2, double& angle, xyz& axis) {
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

  if (negated && verbose2() && Gvars.counts.rotation_check == 1) {
    prglog_msg("%s\n", std::string(78, '-').c_str());
    prglog_msg("%g\t%g\t%g\t%g\n", angle, axis[1], axis[2], axis[3]);
    for (long i = 1; i <= 3; ++i) {
      for (long j = 1; j <= 3; ++j) prglog_msg("\t%8.5f (%8.5f)", R[i][j], chk[i][j]);
      prglog_msg("\n");
    }
    Gvars.counts.rotation_check = 2;
  }
  if (verbose1() && Gvars.counts.rotation_check == 0) {
    verify_rotmat(R, "R", PRGLOG);
    verify_rotmat(rot1, "rot1", PRGLOG);
    verify_rotmat(rot2, "rot2", PRGLOG);
    Gvars.counts.rotation_check = 1;
  }
}

double get_rotation_angle_by_frame(const frame& f1, const frame& f2) {
  rotmat R1, R2;
  frame_to_R(f1, R1);
  frame_to_R(f2, R2);
  double angle;
  xyz axis;
  get_single_rotation_angle_axis(R1, R2, angle, axis);
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

void multiply_matrix(const dmatrix_t& a, long nra, long nca, const dmatrix_t& b, long nrb, long ncb, dmatrix_t& out) {
  if (nca != nrb) fatal("multiply_matrix(): matrices a and b do not conform\n");
  out = dmatrix_t(1, nra, 1, ncb);
  for (long i = 1; i <= nra; ++i)
    for (long j = 1; j <= ncb; ++j) {
      double s = 0.0;
      for (long k = 1; k <= nca; ++k) s += a[i][k] * b[k][j];
      out[i][j] = s;
    }
}

void multiply_matrix_vec(const dmatrix_t& a, long nr, long nc, const std::vector<double>& v, long n,
                         std::vector<double>& out) {
  if (nc != n) fatal("multiply_matrix_vec(): matrix and vector do not conform\n");
  out.assign(nr + 1, 0.0);
  for (long i = 1; i <= nr; ++i)
    for (long j = 1; j <= nc; ++j) out[i] += a[i][j] * v[j];
}

void multiply_vec_matrix(const std::vector<double>& v, long n, const dmatrix_t& a, long nr, long nc,
                         std::vector<double>& out) {
  if (n != nr) fatal("multiply_vec_matrix(): vector and matrix do not conform\n");
  out.assign(nc + 1, 0.0);
  for (long j = 1; j <= nc; ++j)
    for (long i = 1; i <= nr; ++i) out[j] += v[i] * a[i][j];
}

void transpose_matrix(const dmatrix_t& a, long nr, long nc, dmatrix_t& out) {
  out = dmatrix_t(1, nc, 1, nr);
  for (long i = 1; i <= nr; ++i)
    for (long j = 1; j <= nc; ++j) out[j][i] = a[i][j];
}

void identity_matrix(dmatrix_t& m, long n) {
  for (long i = 1; i <= n; ++i)
    for (long j = 1; j <= n; ++j) m[i][j] = i == j ? 1.0 : 0.0;
}

void copy_dmatrix_Nx3(const std::vector<xyz>& src, long n, std::vector<xyz>& dst) {
  if (dst.size() < static_cast<size_t>(n + 1)) dst.resize(n + 1);
  for (long i = 1; i <= n; ++i) dst[i] = src[i];
}

namespace {
template <class T>
void copy_block(const matrix_t<T>& src, long rlo, long rhi, long clo, long chi, matrix_t<T>& dst) {
  for (long i = rlo; i <= rhi; ++i)
    for (long j = clo; j <= chi; ++j) dst[i][j] = src[i][j];
}
}  // namespace

void copy_dmatrix(const dmatrix_t& src, long rlo, long rhi, long clo, long chi, dmatrix_t& dst) {
  copy_block(src, rlo, rhi, clo, chi, dst);
}

void copy_lmatrix(const lmatrix_t& src, long rlo, long rhi, long clo, long chi, lmatrix_t& dst) {
  copy_block(src, rlo, rhi, clo, chi, dst);
}

void move_position(dmatrix_t& m, long nr, long nc, const std::vector<double>& p) {
  for (long i = 1; i <= nr; ++i)
    for (long j = 1; j <= nc; ++j) m[i][j] -= p[j];
}

void move_to_center(std::vector<xyz>& pts, long n) {
  if (n <= 0) fatal("ave_dmatrix(): zero rows\n");
  xyz c{};
  for (long i = 1; i <= n; ++i) sum_xyz(c, pts[i], c);
  scalar_times_xyz(c, 1.0 / static_cast<double>(n), c);
  for (long i = 1; i <= n; ++i) diff_xyz(c, pts[i], pts[i]);
}

// ---------------------------------------------------------------------------
// Printing

void print_vec3(FILE* fp, const xyz& v, const char* format, const char* trailer) {
  if (fp == nullptr) return;
  if (format == nullptr) {
    fprintf(fp, "%16.6f %16.6f %16.6f", v[1], v[2], v[3]);
  } else {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    fprintf(fp, format, v[1], v[2], v[3]);
#pragma GCC diagnostic pop
  }
  fprintf(fp, "%s\n", trailer == nullptr ? "" : trailer);
}

namespace {
template <class Rows>
void print_rows(FILE* fp, const Rows& m, long n, const char* title) {
  if (fp == nullptr) return;
  fprintf(fp, "\t%s\n", title);
  for (long i = 1; i <= n; ++i) print_vec3(fp, m[i], nullptr, "");
}
}  // namespace

void print_dmatrix(FILE* fp, const rotmat& m, const char* title) { print_rows(fp, m, 3, title); }
void print_dmatrix(FILE* fp, const std::vector<xyz>& m, long n, const char* title) { print_rows(fp, m, n, title); }

void write_xyz(long n, const std::vector<xyz>& pts, const char* comment, const std::string& filename) {
  FILE* fp = open_file(filename, "w");
  fprintf(fp, "%ld\n", n);
  fprintf(fp, "# %s\n", comment);
  for (long i = 1; i <= n; ++i) fprintf(fp, " C %15.5f%15.5f%15.5f # %ld\n", pts[i][1], pts[i][2], pts[i][3], i);
  close_file(fp);
}

// ---------------------------------------------------------------------------
// Shell sort with the increments 1, 4, 13, 40, ...: only strictly greater
// elements move, which fixes how ties come out.

namespace {

template <class T>
void shell_sort_idx(long n, std::vector<T>& x, std::vector<long>& idx) {
  if (n <= 0) return;
  VASK_ASSERT(x.size() > static_cast<size_t>(n) && idx.size() > static_cast<size_t>(n));
  for (long i = 1; i <= n; ++i) idx[i] = i;
  long h = 1;
  do h = 3 * h + 1;
  while (h <= n);
  do {
    h /= 3;
    for (long i = h + 1; i <= n; ++i) {
      const T v = x[i];
      const long vi = idx[i];
      long j = i;
      while (x[j - h] > v) {
        x[j] = x[j - h];
        idx[j] = idx[j - h];
        j -= h;
        if (j <= h) break;
      }
      x[j] = v;
      idx[j] = vi;
    }
  } while (h > 1);
}

template <class T>
void reverse_1n(long n, std::vector<T>& v) {
  if (n > 1) std::reverse(v.begin() + 1, v.begin() + 1 + n);
}

template <class T>
void reorder_by_idx(const std::vector<long>& idx, long n, std::vector<T>& v) {
  if (n <= 0) return;
  const std::vector<T> old(v.begin(), v.begin() + n + 1);
  for (long i = 1; i <= n; ++i) v[i] = old[idx[i]];
}

}  // namespace

void sort_dvec_idx(long n, std::vector<double>& v, std::vector<long>& idx) { shell_sort_idx(n, v, idx); }
void sort_lvec_idx(long n, std::vector<long>& v, std::vector<long>& idx) { shell_sort_idx(n, v, idx); }

void sort_dvec_idx_decrease(long n, std::vector<double>& v, std::vector<long>& idx) {
  shell_sort_idx(n, v, idx);
  reverse_1n(n, v);
  reverse_1n(n, idx);
}

void sort_lvec_idx_decrease(long n, std::vector<long>& v, std::vector<long>& idx) {
  shell_sort_idx(n, v, idx);
  reverse_1n(n, v);
  reverse_1n(n, idx);
}

void sort_dvector(long n, std::vector<double>& v) {
  std::vector<long> idx(n > 0 ? n + 1 : 1);
  shell_sort_idx(n, v, idx);
}

void sort_lvector(long n, std::vector<long>& v) {
  std::vector<long> idx(n > 0 ? n + 1 : 1);
  shell_sort_idx(n, v, idx);
}

void reorder_lvector_by_idx(const std::vector<long>& idx, long n, std::vector<long>& v) { reorder_by_idx(idx, n, v); }
void reorder_dvector_by_idx(const std::vector<long>& idx, long n, std::vector<double>& v) { reorder_by_idx(idx, n, v); }

}  // namespace vask
