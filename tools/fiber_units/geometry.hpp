// Small 3D geometry for the fiber-unit generator: vectors, rotations, rigid
// transforms and the internal-coordinate measures (distance, angle, torsion,
// signed volume). Angles in degrees at the interface.
#pragma once

#include <cmath>

namespace fibergen {

inline constexpr double kPi = 3.14159265358979323846;
inline double rad(double deg) { return deg * kPi / 180.0; }
inline double deg(double r) { return r * 180.0 / kPi; }

struct vec {
  double x = 0, y = 0, z = 0;
};
inline vec operator+(vec a, vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline vec operator-(vec a, vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline vec operator*(double s, vec a) { return {s * a.x, s * a.y, s * a.z}; }
inline double dot(vec a, vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline vec cross(vec a, vec b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double norm(vec a) { return std::sqrt(dot(a, a)); }
inline vec unit(vec a) { return (1.0 / norm(a)) * a; }

// Rows of a 3x3 matrix; columns of a frame's rotation are its axes.
struct mat {
  double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};
inline vec operator*(const mat& r, vec v) {
  return {r.m[0][0] * v.x + r.m[0][1] * v.y + r.m[0][2] * v.z,
          r.m[1][0] * v.x + r.m[1][1] * v.y + r.m[1][2] * v.z,
          r.m[2][0] * v.x + r.m[2][1] * v.y + r.m[2][2] * v.z};
}
inline mat operator*(const mat& a, const mat& b) {
  mat c;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      c.m[i][j] = 0;
      for (int k = 0; k < 3; ++k) c.m[i][j] += a.m[i][k] * b.m[k][j];
    }
  return c;
}
inline mat transpose(const mat& a) {
  mat t;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) t.m[i][j] = a.m[j][i];
  return t;
}
inline mat from_columns(vec x, vec y, vec z) {
  mat r;
  r.m[0][0] = x.x, r.m[1][0] = x.y, r.m[2][0] = x.z;
  r.m[0][1] = y.x, r.m[1][1] = y.y, r.m[2][1] = y.z;
  r.m[0][2] = z.x, r.m[1][2] = z.y, r.m[2][2] = z.z;
  return r;
}
inline vec column(const mat& r, int j) { return {r.m[0][j], r.m[1][j], r.m[2][j]}; }

// Rotation by angle (degrees) about a unit axis (Rodrigues).
inline mat rotation(vec axis, double angle) {
  vec u = unit(axis);
  double c = std::cos(rad(angle)), s = std::sin(rad(angle)), t = 1 - c;
  mat r;
  r.m[0][0] = t * u.x * u.x + c, r.m[0][1] = t * u.x * u.y - s * u.z, r.m[0][2] = t * u.x * u.z + s * u.y;
  r.m[1][0] = t * u.x * u.y + s * u.z, r.m[1][1] = t * u.y * u.y + c, r.m[1][2] = t * u.y * u.z - s * u.x;
  r.m[2][0] = t * u.x * u.z - s * u.y, r.m[2][1] = t * u.y * u.z + s * u.x, r.m[2][2] = t * u.z * u.z + c;
  return r;
}
// Rotation by a rotation vector (direction = axis, length = angle in degrees).
inline mat rotation_vector(vec w) {
  double a = norm(w);
  if (a < 1e-12) return mat{};
  return rotation(w, a);
}

// p' = r p + t
struct xform {
  mat r;
  vec t;
};
inline vec operator*(const xform& g, vec p) { return g.r * p + g.t; }
inline xform operator*(const xform& a, const xform& b) { return {a.r * b.r, a.r * b.t + a.t}; }
inline xform inverse(const xform& g) {
  mat rt = transpose(g.r);
  return {rt, -1.0 * (rt * g.t)};
}
// Turn by theta about the z axis, then move by h along it.
inline xform screw(double theta, double h) { return {rotation({0, 0, 1}, theta), {0, 0, h}}; }
// The two-fold turn about the x axis: the antiparallel partner's placement.
inline xform dyad_x() {
  xform g;
  g.r.m[1][1] = g.r.m[2][2] = -1;
  return g;
}

inline double distance(vec a, vec b) { return norm(a - b); }
inline double angle(vec a, vec b, vec c) {  // at b
  vec u = unit(a - b), v = unit(c - b);
  double x = dot(u, v);
  return deg(std::acos(x > 1 ? 1 : (x < -1 ? -1 : x)));
}
inline double torsion(vec p0, vec p1, vec p2, vec p3) {
  vec b1 = unit(p2 - p1);
  vec v = (p0 - p1) - dot(p0 - p1, b1) * b1;
  vec w = (p3 - p2) - dot(p3 - p2, b1) * b1;
  return deg(std::atan2(dot(cross(b1, v), w), dot(v, w)));
}
// (a - c) . ((b - c) x (d - c)): the sign says the hand of a chiral centre c.
inline double chiral_volume(vec c, vec a, vec b, vec d) { return dot(a - c, cross(b - c, d - c)); }

// The point d at bond length from c, with angle b-c-d and torsion a-b-c-d.
inline vec place(vec a, vec b, vec c, double bond, double ang, double tor) {
  vec bc = unit(c - b);
  vec n = unit(cross(b - a, bc));
  vec m = cross(n, bc);
  double th = rad(ang), ph = rad(tor);
  vec d2{-bond * std::cos(th), bond * std::sin(th) * std::cos(ph), bond * std::sin(th) * std::sin(ph)};
  return c + d2.x * bc + d2.y * m + d2.z * n;
}

// Cylindrical coordinates of a point about the z axis: height, radius, azimuth.
struct cylindrical {
  double z0, r, phi0;
};
inline cylindrical to_cylindrical(vec p) {
  return {p.z, std::sqrt(p.x * p.x + p.y * p.y), deg(std::atan2(p.y, p.x))};
}

inline double wrap180(double a) {
  while (a > 180) a -= 360;
  while (a <= -180) a += 360;
  return a;
}

}  // namespace fibergen
