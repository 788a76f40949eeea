// Polygon intersection area on an integer grid (see polygon.hpp).
//
// The arithmetic below (truncation, marker bits, order of accumulation, double
// products) is kept exactly as it is so that every overlap area is reproducible
// to the last bit.
#include "pairing/polygon.hpp"

#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "support/error.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr double grid_span = 5e8;       // side of the square grid
constexpr double grid_half_span = 2.5e8;  // centres the grid on 0
constexpr long max_vertices = max_overlap_vertices + 1;  // + the closing copy

using vertex_list = std::array<pia_vertex, max_vertices + 1>;

// Twice the signed area of the triangle p, q, r.
double tri_area(const pia_vertex& p, const pia_vertex& q, const pia_vertex& r) {
  return q.x * r.y - q.y * r.x + p.x * (q.y - r.y) + p.y * (r.x - q.x);
}

// Signed trapezoid under the segment from f to t, weighted by w.
void add_contribution(double& s, double fx, double fy, double tx, double ty, long w) {
  s += static_cast<double>(w) * (tx - fx) * (ty + fy) * 0.5;
}

// One proper crossing of edge p-q with edge u-v; e1..e4 are the side areas.
void add_crossing(double& s, pia_vertex& p, const pia_vertex& q, pia_vertex& u,
                  const pia_vertex& v, double e1, double e2, double e3, double e4) {
  double r1 = e1 / (e1 + e2);
  double r2 = e3 / (e3 + e4);
  double px = p.x + r1 * (q.x - p.x), py = p.y + r1 * (q.y - p.y);
  double ux = u.x + r2 * (v.x - u.x), uy = u.y + r2 * (v.y - u.y);
  add_contribution(s, px, py, q.x, q.y, 1);
  add_contribution(s, v.x, v.y, ux, uy, 1);
  p.in_count += 1;
  u.in_count -= 1;
}

// Grid coordinate: truncated toward zero, lowest three bits cleared.
int64_t grid_coordinate(double value, double min_value, double scale) {
  auto g = static_cast<int64_t>((value - min_value) * scale - grid_half_span);
  return g & ~static_cast<int64_t>(7);
}

}  // namespace

void pia_fit(const pia_point* pts, long n, pia_vertex* v, long marker, double min_x,
             double min_y, double scale_x, double scale_y) {
  for (long c = n - 1; c >= 0; --c) {
    int64_t X = grid_coordinate(pts[c].x, min_x, scale_x) | marker | (c & 1);
    int64_t Y = grid_coordinate(pts[c].y, min_y, scale_y) | marker;
    v[c] = pia_vertex{};
    v[c].x = static_cast<double>(X);
    v[c].y = static_cast<double>(Y);
  }
  v[0].y += static_cast<double>(n & 1);
  v[n] = v[0];
  for (long c = n - 1; c >= 0; --c) {
    v[c].x_lo = std::fmin(v[c].x, v[c + 1].x);
    v[c].x_hi = std::fmax(v[c].x, v[c + 1].x);
    v[c].y_lo = std::fmin(v[c].y, v[c + 1].y);
    v[c].y_hi = std::fmax(v[c].y, v[c + 1].y);
    v[c].in_count = 0;
  }
}

void pia_inness(double& s, const pia_vertex* P, long nP, const pia_vertex* Q, long nQ) {
  long w = 0;
  const pia_vertex& p = P[0];
  for (long c = nQ - 1; c >= 0; --c) {
    if (Q[c].x_lo < p.x && p.x < Q[c].x_hi) {
      bool t = tri_area(p, Q[c], Q[c + 1]) > 0;
      if (t == (Q[c].x < Q[c + 1].x)) w += t ? -1 : 1;
    }
  }
  for (long j = 0; j < nP; ++j) {
    if (w != 0) add_contribution(s, P[j].x, P[j].y, P[j + 1].x, P[j + 1].y, w);
    w += P[j].in_count;
  }
}

double pia_inter(const pia_point* a, long na, const pia_point* b, long nb) {
  if (na < 3 || nb < 3) return 0;
  VASK_ASSERT(na <= max_overlap_vertices && nb <= max_overlap_vertices);

  double min_x = DBL_MAX, min_y = DBL_MAX, max_x = -DBL_MAX, max_y = -DBL_MAX;
  for (const auto& [pts, n] : {std::pair{a, na}, std::pair{b, nb}}) {
    for (long k = 0; k < n; ++k) {
      min_x = std::fmin(min_x, pts[k].x);
      max_x = std::fmax(max_x, pts[k].x);
      min_y = std::fmin(min_y, pts[k].y);
      max_y = std::fmax(max_y, pts[k].y);
    }
  }
  // Collinear input has no area in common; the scale would divide by zero.
  if (!(max_x - min_x > 0) || !(max_y - min_y > 0)) return 0;

  double scale_x = grid_span / (max_x - min_x);
  double scale_y = grid_span / (max_y - min_y);
  vertex_list va{}, vb{};
  pia_fit(a, na, va.data(), 0, min_x, min_y, scale_x, scale_y);
  pia_fit(b, nb, vb.data(), 2, min_x, min_y, scale_x, scale_y);

  double s = 0;
  for (long j = 0; j < na; ++j) {
    for (long k = 0; k < nb; ++k) {
      pia_vertex &aj = va[j], &aj1 = va[j + 1], &bk = vb[k], &bk1 = vb[k + 1];
      if (!(aj.x_lo < bk.x_hi && bk.x_lo < aj.x_hi && aj.y_lo < bk.y_hi && bk.y_lo < aj.y_hi))
        continue;
      double w1 = -tri_area(aj, bk, bk1);
      double w2 = tri_area(aj1, bk, bk1);
      if ((w1 < 0) != (w2 < 0)) continue;
      double w3 = tri_area(bk, aj, aj1);
      double w4 = -tri_area(bk1, aj, aj1);
      if ((w3 < 0) != (w4 < 0)) continue;
      if (w1 < 0)
        add_crossing(s, aj, aj1, bk, bk1, w1, w2, w3, w4);
      else
        add_crossing(s, bk, bk1, aj, aj1, w3, w4, w1, w2);
    }
  }
  pia_inness(s, va.data(), na, vb.data(), nb);
  pia_inness(s, vb.data(), nb, va.data(), na);
  return std::fabs(s) / (scale_x * scale_y);
}

double get_overlap_area(long n1, const std::vector<xyz>& p1, long n2, const std::vector<xyz>& p2) {
  VASK_ASSERT(n1 <= max_overlap_vertices && n2 <= max_overlap_vertices);
  if (n1 < 3 || n2 < 3) return 0;
  std::array<pia_point, max_vertices> a{}, b{};
  for (long k = 1; k <= n1; ++k) a[k - 1] = {p1[k][1], p1[k][2]};
  for (long k = 1; k <= n2; ++k) b[k - 1] = {p2[k][1], p2[k][2]};
  double area = pia_inter(a.data(), n1, b.data(), n2);
  return area < min_overlap_area ? 0 : area;
}

void verify_overlap_area() {
  const pia_point square10[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  const pia_point square5[] = {{5, 0}, {10, 0}, {10, 5}, {5, 5}};
  const pia_point pentagon[] = {{-3, -2}, {-1, 4}, {6, 1}, {3, 10}, {-4, 9}};
  const struct {
    const pia_point *a, *b;
    long na, nb;
    double want;
  } checks[] = {
      {square10, square10, 4, 4, 100},      {square5, square5, 4, 4, 25},
      {pentagon, pentagon, 5, 5, 60},       {square10, square5, 4, 4, 25},
      {square10, pentagon, 4, 5, 32.1429},  {square5, pentagon, 4, 5, 1.2857},
  };
  for (const auto& c : checks)
    VASK_ASSERT(std::fabs(pia_inter(c.a, c.na, c.b, c.nb) - c.want) < 0.001);
}

}  // namespace vask
