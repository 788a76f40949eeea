// Points, distances and angles: see vector3.hpp.
#include "support/vector3.hpp"

#include <cstdio>

#include "support/error.hpp"
#include "support/file.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"

namespace vask {

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
  FILE* fp = output_file(filename);
  fprintf(fp, "%ld\n", n);
  fprintf(fp, "# %s\n", comment);
  for (long i = 1; i <= n; ++i) fprintf(fp, " C %15.5f%15.5f%15.5f # %ld\n", pts[i][1], pts[i][2], pts[i][3], i);
  close_file(fp);
}

}  // namespace vask
