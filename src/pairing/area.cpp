// Lee-Richards accessible areas and buried areas (see area.hpp).
//
// Every work array grows with the input, so a ribosomal subunit of 64,281 atoms
// (over 50,000 cubes) goes through like a dinucleotide.
#include "pairing/area.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numbers>

#include "support/utility.hpp"

namespace vask {

namespace {

constexpr double two_pi = 2 * std::numbers::pi;
constexpr long progress_min_atoms = 50000;  // larger runs report progress
constexpr long progress_step = 1000;
constexpr double contact_slack = 1e-6;  // Angstrom: neighbour prefilter margin

// Cubes of edge >= 2 max(R): every sphere meeting sphere i has its centre in
// one of the 27 cubes around i's. Atoms of a cube are chained through next[].
struct cube_grid {
  double edge = 0;
  double lo[4] = {};
  long n[4] = {0, 1, 1, 1};     // cubes per axis [1..3]
  std::vector<long> head;       // head[cube] = first atom, 0 = empty
  std::vector<long> next;       // next[atom] = next atom in the same cube, 0 ends

  long cell(double v, long axis) const {
    long c = static_cast<long>((v - lo[axis]) / edge);
    return std::clamp(c, 0L, n[axis] - 1);
  }
};

cube_grid make_cube_grid(long n, const std::vector<area_rec>& recs, double max_R) {
  cube_grid g;
  double hi[4] = {0, -DBL_MAX, -DBL_MAX, -DBL_MAX};
  g.lo[1] = g.lo[2] = g.lo[3] = DBL_MAX;
  for (long i = 1; i <= n; ++i) {
    const double p[4] = {0, recs[i].x, recs[i].y, recs[i].z};
    for (long k = 1; k <= 3; ++k) {
      g.lo[k] = std::min(g.lo[k], p[k]);
      hi[k] = std::max(hi[k], p[k]);
    }
  }
  // A stray far atom would make a huge, nearly empty grid: widen the cubes
  // until their number stays in proportion to the atoms.
  const double max_cubes = 20000.0 + 8.0 * static_cast<double>(n);
  g.edge = std::max(2 * max_R, 1e-3);
  for (;;) {
    double total = 1;
    for (long k = 1; k <= 3; ++k) total *= std::floor((hi[k] - g.lo[k]) / g.edge) + 1;
    if (total <= max_cubes) break;
    g.edge *= 1.25;
  }
  for (long k = 1; k <= 3; ++k) g.n[k] = static_cast<long>((hi[k] - g.lo[k]) / g.edge) + 1;
  g.head.assign(static_cast<size_t>(g.n[1] * g.n[2] * g.n[3]), 0);
  g.next.assign(static_cast<size_t>(n + 1), 0);
  for (long i = n; i >= 1; --i) {  // backwards, so each cube lists its atoms in index order
    long c = g.cell(recs[i].x, 1) + g.n[1] * (g.cell(recs[i].y, 2) + g.n[2] * g.cell(recs[i].z, 3));
    g.next[i] = g.head[c];
    g.head[c] = i;
  }
  return g;
}

struct neighbour {
  double dx, dy;  // x_i - x_j, y_i - y_j
  double d;       // distance in the xy plane
  double z;       // z_j
  double R2;      // (radius_j + probe)^2
};

struct arc {
  double start, end;  // radians in [0, 2 pi]
};

// Exposed angle of a circle covered by arcs (sorted here by start).
double exposed_angle(std::vector<arc>& arcs) {
  if (arcs.empty()) return two_pi;
  std::sort(arcs.begin(), arcs.end(), [](const arc& a, const arc& b) {
    return a.start != b.start ? a.start < b.start : a.end < b.end;
  });
  double exposed = arcs[0].start, furthest = arcs[0].end;
  for (size_t k = 1; k < arcs.size(); ++k) {
    if (furthest < arcs[k].start) exposed += arcs[k].start - furthest;
    furthest = std::max(furthest, arcs[k].end);
  }
  return exposed + two_pi - furthest;
}

// Accessible area of sphere i (centre zi, radius R) among its neighbours.
double sphere_area(double zi, double R, const std::vector<neighbour>& nbs, long slices,
                   std::vector<arc>& arcs) {
  if (nbs.empty()) return 2 * two_pi * R * R;
  double t = 2 * R / static_cast<double>(slices);
  double sum = 0;
  for (long k = 1; k <= slices; ++k) {
    double z = zi - R + (static_cast<double>(k) - 0.5) * t;
    double ri = std::sqrt(R * R - (z - zi) * (z - zi));
    arcs.clear();
    bool buried = false;
    for (const auto& nb : nbs) {
      double hj = nb.R2 - (z - nb.z) * (z - nb.z);
      if (hj <= 0) continue;
      double rj = std::sqrt(hj);
      if (nb.d >= ri + rj) continue;
      if (nb.d > std::fabs(ri - rj)) {
        double beta = std::atan2(nb.dy, nb.dx) + std::numbers::pi;
        double cos_alpha = (ri * ri + nb.d * nb.d - rj * rj) / (2 * nb.d * ri);
        double alpha = std::acos(std::clamp(cos_alpha, -1.0, 1.0));
        double start = beta - alpha, end = beta + alpha;
        if (start < 0) start += two_pi;
        if (end > two_pi) end -= two_pi;
        if (start > end) {
          arcs.push_back({start, two_pi});
          arcs.push_back({0, end});
        } else {
          arcs.push_back({start, end});
        }
      } else if (ri <= rj) {
        buried = true;
        break;
      }
    }
    if (!buried) sum += exposed_angle(arcs) * t;
  }
  return R * sum;
}

}  // namespace

void calculate_area_by_lee_richards(long n, std::vector<area_rec>& recs, double probe,
                                    double slice) {
  if (n < 1) return;
  std::vector<double> R(static_cast<size_t>(n + 1));
  double max_R = 0;
  for (long i = 1; i <= n; ++i) {
    R[i] = recs[i].radius + probe;
    max_R = std::max(max_R, R[i]);
  }
  const cube_grid g = make_cube_grid(n, recs, max_R);
  const long slices = std::max(1L, std::lround(1.0 / slice));
  const bool progress = n > progress_min_atoms && verbose1();

  std::vector<neighbour> nbs;
  std::vector<arc> arcs;
  for (long i = 1; i <= n; ++i) {
    if (progress && i % progress_step == 0) runlog_msg("%5ld ... %-5ld\n", i, n);
    const area_rec& a = recs[i];
    nbs.clear();
    long cx = g.cell(a.x, 1), cy = g.cell(a.y, 2), cz = g.cell(a.z, 3);
    for (long iz = std::max(cz - 1, 0L); iz <= std::min(cz + 1, g.n[3] - 1); ++iz)
      for (long iy = std::max(cy - 1, 0L); iy <= std::min(cy + 1, g.n[2] - 1); ++iy)
        for (long ix = std::max(cx - 1, 0L); ix <= std::min(cx + 1, g.n[1] - 1); ++ix)
          for (long j = g.head[ix + g.n[1] * (iy + g.n[2] * iz)]; j != 0; j = g.next[j]) {
            if (j == i) continue;
            const area_rec& b = recs[j];
            double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
            double reach = R[i] + R[j] + contact_slack;
            if (dx * dx + dy * dy + dz * dz >= reach * reach) continue;  // spheres apart
            nbs.push_back({dx, dy, std::sqrt(dx * dx + dy * dy), b.z, R[j] * R[j]});
          }
    recs[i].area = sphere_area(a.z, R[i], nbs, slices, arcs);
  }
}

double get_total_area(long n, std::vector<area_rec> recs, double probe, double slice) {
  calculate_area_by_lee_richards(n, recs, probe, slice);
  double total = 0;
  for (long i = 1; i <= n; ++i) total += recs[i].area;
  return total;
}

double get_buried_area(long na, const std::vector<area_rec>& a, long nb,
                       const std::vector<area_rec>& b, double probe, double slice) {
  if (na < 1 || nb < 1) return 0;
  std::vector<area_rec> both(a.begin(), a.begin() + na + 1);
  both.insert(both.end(), b.begin() + 1, b.begin() + nb + 1);
  return get_total_area(na, a, probe, slice) + get_total_area(nb, b, probe, slice) -
         get_total_area(na + nb, std::move(both), probe, slice);
}

}  // namespace vask
