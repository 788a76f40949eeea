// Lee-Richards accessible areas and buried areas (see area.hpp).
//
// Every work array grows with the input, so a ribosomal subunit of 64,281 atoms
// (over 50,000 cubes) goes through like a dinucleotide.
#include "pairing/area.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numbers>

#include "structure/atom.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"

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
  double beta;    // direction of j from i in the xy plane, [0, 2 pi]: the same for every slice
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

// A neighbour circle that cuts slice circle i in an arc.
struct cut {
  const neighbour* nb;
  double rj;
};

// Accessible area of sphere i (centre zi, radius R) among its neighbours.
// Each slice is first checked for burial inside a neighbour's circle: a buried
// slice adds nothing, so its arcs (and their acos) are never computed.
double sphere_area(double zi, double R, const std::vector<neighbour>& nbs, long slices,
                   std::vector<arc>& arcs, std::vector<cut>& cuts) {
  if (nbs.empty()) return 2 * two_pi * R * R;
  double t = 2 * R / static_cast<double>(slices);
  double sum = 0;
  for (long k = 1; k <= slices; ++k) {
    double z = zi - R + (static_cast<double>(k) - 0.5) * t;
    double ri = std::sqrt(R * R - (z - zi) * (z - zi));
    cuts.clear();
    bool buried = false;
    for (const auto& nb : nbs) {
      double hj = nb.R2 - (z - nb.z) * (z - nb.z);
      if (hj <= 0) continue;
      double rj = std::sqrt(hj);
      if (nb.d >= ri + rj) continue;
      if (nb.d > std::fabs(ri - rj)) {
        cuts.push_back({&nb, rj});
      } else if (ri <= rj) {
        buried = true;
        break;
      }
    }
    if (buried) continue;
    arcs.clear();
    for (const auto& c : cuts) {
      const neighbour& nb = *c.nb;
      const double beta = nb.beta, rj = c.rj;
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
    }
    sum += exposed_angle(arcs) * t;
  }
  return R * sum;
}

// ---------------------------------------------------------------------------
// Atom selection of the structure forms

bool good(long a, const struct_mol& mol) { return mol.atoms[a].status == 1; }

// Appends atom a of the structure as an area record.
void add_atom_record(long a, const struct_mol& mol, std::vector<area_rec>& recs) {
  const atom& at = mol.atoms[a];
  area_rec r;
  r.x = at.xyz[1];
  r.y = at.xyz[2];
  r.z = at.xyz[3];
  r.radius = element_table.vdw_radius[at.atomic_number];
  r.atom = a;
  recs.push_back(r);
}

// Records of the atoms of residue i that pass keep(a).
template <class Keep>
void add_residue_records(long i, const struct_mol& mol, Keep keep, std::vector<area_rec>& recs) {
  const residue& r = mol.residues[i];
  for (long a = r.first_atom; a <= r.last_atom; ++a)
    if (keep(a)) add_atom_record(a, mol, recs);
}

std::vector<area_rec> residue_set_records(long n, const std::vector<long>& list,
                                          const struct_mol& mol) {
  std::vector<area_rec> recs(1);
  for (long k = 1; k <= n; ++k)
    add_residue_records(list[k], mol, [&](long a) { return good(a, mol); }, recs);
  return recs;
}

std::vector<area_rec> base_records(long i, const struct_mol& mol) {
  std::vector<area_rec> recs(1);
  add_residue_records(
      i, mol, [&](long a) { return good(a, mol) && mol.atoms[a].base && !mol.atoms[a].hydrogen; },
      recs);
  return recs;
}

long count(const std::vector<area_rec>& recs) { return static_cast<long>(recs.size()) - 1; }

double buried(const std::vector<area_rec>& a, const std::vector<area_rec>& b) {
  return get_buried_area(count(a), a, count(b), b, Gvars.probe_radius, Gvars.z_slice);
}

double raw_area(const std::vector<area_rec>& recs) {
  return get_total_area(count(recs), recs, Gvars.probe_radius, Gvars.z_slice);
}

// ---------------------------------------------------------------------------
// Convex hull

constexpr double hull_tolerance = 1e-10;

struct triangle {
  long a, b, c;  // point indices, counter-clockwise seen from outside
  bool alive;
};

// Six times the signed volume of the tetrahedron (a, b, c, d): positive when d
// lies on the side of a, b, c from which they turn counter-clockwise.
double six_volume(const xyz& a, const xyz& b, const xyz& c, const xyz& d) {
  xyz ab{}, ac{}, ad{}, n{};
  diff_xyz(a, b, ab);
  diff_xyz(a, c, ac);
  diff_xyz(a, d, ad);
  cross_xyz(ab, ac, n);
  return dot_xyz(n, ad);
}

// Adds the face, or removes it when it is already present (in any vertex
// order): a face shared by two new fans lies inside the grown hull.
void add_triangle(std::vector<triangle>& faces, long a, long b, long c) {
  for (auto& f : faces) {
    if (!f.alive) continue;
    bool same = (f.a == a || f.a == b || f.a == c) && (f.b == a || f.b == b || f.b == c) &&
                (f.c == a || f.c == b || f.c == c);
    if (same) {
      f.alive = false;
      return;
    }
  }
  faces.push_back({a, b, c, true});
}

double volume_tetrahedron(const xyz& a, const xyz& b, const xyz& c, const xyz& d) {
  return std::fabs(six_volume(a, b, c, d)) / 6;
}

}  // namespace

namespace {

// The neighbours of atom i of recs[1..n] (spheres of radii R) found through
// grid g, directions not yet set; true when one of them lies on the other
// side (with `side`, 0 or 1 per record). With `own` (and `side`), the
// neighbours on i's own side are also listed there.
bool gather_neighbours(long i, const std::vector<area_rec>& recs, const std::vector<double>& R,
                       const cube_grid& g, const std::vector<char>* side, std::vector<neighbour>& nbs,
                       std::vector<neighbour>* own = nullptr) {
  const area_rec& a = recs[i];
  nbs.clear();
  if (own != nullptr) own->clear();
  bool crosses = false;
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
          nbs.push_back({dx, dy, std::sqrt(dx * dx + dy * dy), b.z, R[j] * R[j], 0});
          if (side == nullptr) continue;
          if ((*side)[i] != (*side)[j])
            crosses = true;
          else if (own != nullptr)
            own->push_back(nbs.back());
        }
  return crosses;
}

void set_directions(std::vector<neighbour>& nbs) {
  for (auto& nb : nbs) nb.beta = std::atan2(nb.dy, nb.dx) + std::numbers::pi;
}

// Sphere radii (van der Waals radius plus probe) of recs[1..n]; their largest.
double sphere_radii(long n, const std::vector<area_rec>& recs, double probe, std::vector<double>& R) {
  R.assign(static_cast<size_t>(n + 1), 0);
  double max_R = 0;
  for (long i = 1; i <= n; ++i) {
    R[i] = recs[i].radius + probe;
    max_R = std::max(max_R, R[i]);
  }
  return max_R;
}

long slice_count(double slice) { return std::max(1L, std::lround(1.0 / slice)); }

// The areas of recs[1..n]. With `side` (0 or 1 per record), an atom whose
// neighbours all lie on its own side keeps the area it has: the other side
// cannot change it. An atom's area depends only on the set of its neighbours
// (the arcs are sorted before they are summed), so a kept area is the very
// number a full computation would give.
void lee_richards(long n, std::vector<area_rec>& recs, double probe, double slice,
                  const std::vector<char>* side) {
  if (n < 1) return;
  std::vector<double> R;
  const cube_grid g = make_cube_grid(n, recs, sphere_radii(n, recs, probe, R));
  const long slices = slice_count(slice);
  const bool progress = n > progress_min_atoms && verbose1();

  std::vector<neighbour> nbs;
  std::vector<arc> arcs;
  std::vector<cut> cuts;
  for (long i = 1; i <= n; ++i) {
    if (progress && i % progress_step == 0) runlog_msg("%5ld ... %-5ld\n", i, n);
    const bool crosses = gather_neighbours(i, recs, R, g, side, nbs);
    if (side != nullptr && !crosses) continue;
    set_directions(nbs);
    recs[i].area = sphere_area(recs[i].z, R[i], nbs, slices, arcs, cuts);
  }
}

// Bounding box of the centres of a set of records.
struct box {
  double lo[3] = {DBL_MAX, DBL_MAX, DBL_MAX}, hi[3] = {-DBL_MAX, -DBL_MAX, -DBL_MAX};

  void add(const area_rec& r) {
    const double p[3] = {r.x, r.y, r.z};
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], p[k]);
      hi[k] = std::max(hi[k], p[k]);
    }
  }
  // Whether r lies within `margin` of the box (along each axis).
  bool near(const area_rec& r, double margin) const {
    const double p[3] = {r.x, r.y, r.z};
    for (int k = 0; k < 3; ++k)
      if (p[k] < lo[k] - margin || p[k] > hi[k] + margin) return false;
    return true;
  }
};

double sum_areas(long n, const std::vector<area_rec>& recs) {
  double total = 0;
  for (long i = 1; i <= n; ++i) total += recs[i].area;
  return total;
}

}  // namespace

void calculate_area_by_lee_richards(long n, std::vector<area_rec>& recs, double probe,
                                    double slice) {
  lee_richards(n, recs, probe, slice, nullptr);
}

double get_joint_area(const std::vector<area_rec>& a, const std::vector<area_rec>& b, double probe,
                      double slice) {
  const long na = static_cast<long>(a.size()) - 1, nb = static_cast<long>(b.size()) - 1;
  std::vector<area_rec> both(a);
  both.insert(both.end(), b.begin() + 1, b.end());
  std::vector<char> side(both.size(), 0);
  std::fill(side.begin() + na + 1, side.end(), 1);
  lee_richards(na + nb, both, probe, slice, &side);
  return sum_areas(na + nb, both);
}

double get_contact_buried_area(std::vector<area_rec>& a, std::vector<area_rec>& b, double probe, double slice) {
  const long na = count(a), nb = count(b);
  if (na < 1 || nb < 1) return 0;
  box box_a, box_b;
  double max_R = 0;
  for (long i = 1; i <= na; ++i) {
    box_a.add(a[i]);
    max_R = std::max(max_R, a[i].radius + probe);
  }
  for (long i = 1; i <= nb; ++i) {
    box_b.add(b[i]);
    max_R = std::max(max_R, b[i].radius + probe);
  }
  // An atom that touches the other set lies within `touch` of that set's box
  // (on every axis), and its neighbours within `touch` of it: only the atoms
  // near both boxes take part at all.
  const double touch = 2 * max_R + 2 * contact_slack;
  std::vector<area_rec> zone(1);
  std::vector<area_rec*> from(1);
  std::vector<char> side(1), candidate(1);
  auto take = [&](std::vector<area_rec>& set, long n, const box& other_box, char s) {
    for (long i = 1; i <= n; ++i) {
      area_rec& r = set[i];
      if (!other_box.near(r, 2 * touch)) continue;
      zone.push_back(r);
      from.push_back(&r);
      side.push_back(s);
      candidate.push_back(other_box.near(r, touch));
    }
  };
  take(a, na, box_b, 0);
  take(b, nb, box_a, 1);
  if (std::find(candidate.begin() + 1, candidate.end(), 1) == candidate.end()) return 0;

  const long n = count(zone);
  std::vector<double> R;
  const cube_grid g = make_cube_grid(n, zone, sphere_radii(n, zone, probe, R));
  const long slices = slice_count(slice);
  std::vector<neighbour> nbs, own;
  std::vector<arc> arcs;
  std::vector<cut> cuts;
  double total = 0;
  for (long i = 1; i <= n; ++i) {
    if (!candidate[i] || !gather_neighbours(i, zone, R, g, &side, nbs, &own)) continue;
    if (from[i]->area < 0) {
      set_directions(own);
      from[i]->area = sphere_area(zone[i].z, R[i], own, slices, arcs, cuts);
    }
    set_directions(nbs);
    total += from[i]->area - sphere_area(zone[i].z, R[i], nbs, slices, arcs, cuts);
  }
  return total;
}

double get_total_area(long n, std::vector<area_rec> recs, double probe, double slice) {
  calculate_area_by_lee_richards(n, recs, probe, slice);
  return sum_areas(n, recs);
}

double get_buried_area(long na, const std::vector<area_rec>& a, long nb,
                       const std::vector<area_rec>& b, double probe, double slice) {
  if (na < 1 || nb < 1) return 0;
  // each set's own areas, then the joint ones, which recompute only the atoms
  // within reach of the other set: the same sums as three full computations
  std::vector<area_rec> ra(a.begin(), a.begin() + na + 1), rb(b.begin(), b.begin() + nb + 1);
  calculate_area_by_lee_richards(na, ra, probe, slice);
  calculate_area_by_lee_richards(nb, rb, probe, slice);
  return sum_areas(na, ra) + sum_areas(nb, rb) - get_joint_area(ra, rb, probe, slice);
}

double get_convex_hull_volume(long n, const std::vector<xyz>& pts) {
  if (n < 4) fatal("Abort: at least 4 points are needed\n");
  // the first tetrahedron: point 1, the next distinct point, the next one off
  // their line, the next one off their plane
  const long a = 1;
  long b = 0, c = 0, d = 0;
  for (long k = 2; k <= n && !b; ++k)
    if (dist_xyz(pts[a], pts[k]) > hull_tolerance) b = k;
  for (long k = 2; k <= n && b && !c; ++k) {
    xyz ab{}, ak{}, cr{};
    diff_xyz(pts[a], pts[b], ab);
    diff_xyz(pts[a], pts[k], ak);
    cross_xyz(ab, ak, cr);
    if (length_xyz(cr) > hull_tolerance) c = k;
  }
  if (!c) fatal("Abort: no plane\n");
  for (long k = 2; k <= n && !d; ++k)
    if (std::fabs(six_volume(pts[a], pts[b], pts[c], pts[k])) > hull_tolerance) d = k;
  if (!d) fatal("Abort: no volume\n");

  if (six_volume(pts[a], pts[b], pts[c], pts[d]) > 0) std::swap(b, c);  // d below face a, b, c
  std::vector<triangle> faces = {{a, b, c, true}, {a, d, b, true}, {b, d, c, true}, {c, d, a, true}};
  double volume = volume_tetrahedron(pts[a], pts[b], pts[c], pts[d]);
  for (long p = 2; p <= n; ++p) {
    if (p == b || p == c || p == d) continue;
    size_t current = faces.size();
    std::vector<triangle> visible;
    for (size_t k = 0; k < current; ++k) {
      triangle& f = faces[k];
      if (!f.alive || six_volume(pts[f.a], pts[f.b], pts[f.c], pts[p]) <= hull_tolerance) continue;
      volume += volume_tetrahedron(pts[f.a], pts[f.b], pts[f.c], pts[p]);
      f.alive = false;
      visible.push_back(f);
    }
    for (const auto& f : visible) {
      add_triangle(faces, f.a, f.b, p);
      add_triangle(faces, f.b, f.c, p);
      add_triangle(faces, f.c, f.a, p);
    }
    std::erase_if(faces, [](const triangle& f) { return !f.alive; });
  }
  return volume;
}

// ---------------------------------------------------------------------------
// Areas of a structure

void get_area_per_pdb(struct_mol& mol) {
  ensure_periodic_table();
  std::vector<area_rec> recs(1);
  for (long a = 1; a <= mol.num_atoms; ++a)
    if (good(a, mol)) add_atom_record(a, mol, recs);
  calculate_area_by_lee_richards(count(recs), recs, Gvars.probe_radius, Gvars.z_slice);
  for (long k = 1; k <= count(recs); ++k) {
    long a = recs[k].atom;
    if (a == -1) fatal("no matching back from area to atom (%ld)\n", k);
    if (!good(a, mol)) fatal("atom %ld not in good status\n", a);
    mol.atoms[a].area = recs[k].area;
  }
}

void print_area(const struct_mol& mol, const std::string& file_name) {
  ensure_periodic_table();
  FILE* fp = output_file(file_name);
  for (long i = 1; i <= mol.num_atoms; ++i) {
    const atom& a = mol.atoms[i];
    // cols 1-6 record | 7-11 serial | 13-16 name | 17 altLoc | 18-20 residue | 22 chain
    //      23-26 resSeq | 27 iCode | 31-54 x, y, z (8.3), then the area and the radius
    fprintf(fp, "%-6.6s", a.hetatm ? "HETATM" : "ATOM  ");
    fprintf(fp, "%5ld%c%4.4s", a.serial % 100000, ' ', a.name.c_str());
    fprintf(fp, "%c%3.3s%c%c", a.altloc, a.res_name.c_str(), ' ', a.chain_id[0]);
    fprintf(fp, "%4ld%c%3.3s", a.res_seq, a.icode, "   ");
    fprintf(fp, "%8.3f%8.3f%8.3f", a.xyz[1], a.xyz[2], a.xyz[3]);
    // an atom left out of the calculation has no area: "---", not the unset value
    if (a.area == DBL_MAX)
      fprintf(fp, " # area=%-8s\tvdw=%-5.2f\n", "---", element_table.vdw_radius[a.atomic_number]);
    else
      fprintf(fp, " # area=%-8.3f\tvdw=%-5.2f\n", a.area, element_table.vdw_radius[a.atomic_number]);
  }
  fprintf(fp, "### total area: %.1f\n", sum_up_area_per_pdb(mol));
  close_file(fp);
}

double get_raw_area_residue_set(long n, const std::vector<long>& list, const struct_mol& mol) {
  ensure_periodic_table();
  return raw_area(residue_set_records(n, list, mol));
}

std::vector<area_rec> get_atom_records_residue_set(long n, const std::vector<long>& list, const struct_mol& mol) {
  ensure_periodic_table();
  return residue_set_records(n, list, mol);
}

double get_contact_buried_area_records(std::vector<area_rec>& a, std::vector<area_rec>& b) {
  return get_contact_buried_area(a, b, Gvars.probe_radius, Gvars.z_slice);
}

double get_raw_area_per_residue(long i, const struct_mol& mol) {
  return get_raw_area_residue_set(1, {0, i}, mol);
}

double get_raw_area_two_residues(long a, long b, const struct_mol& mol) {
  return get_raw_area_residue_set(2, {0, a, b}, mol);
}

double get_area_diff_residue_sets(long na, const std::vector<long>& la, long nb,
                                  const std::vector<long>& lb, const struct_mol& mol) {
  if (na < 1 || nb < 1) return 0;
  ensure_periodic_table();
  return buried(residue_set_records(na, la, mol), residue_set_records(nb, lb, mol));
}

double get_area_diff_one_vs_set(long i, long n, const std::vector<long>& list, const struct_mol& mol) {
  return get_area_diff_residue_sets(1, {0, i}, n, list, mol);
}

double get_area_diff_two_residues(long a, long b, const struct_mol& mol) {
  return get_raw_area_per_residue(a, mol) + get_raw_area_per_residue(b, mol) -
         get_raw_area_two_residues(a, b, mol);
}

double get_delta_residue_area(long a, long b, const struct_mol& mol) {
  return get_area_diff_residue_sets(1, {0, a}, 1, {0, b}, mol);
}

double get_delta_base2base_area(long a, long b, const struct_mol& mol) {
  if (!is_nt(a, mol) || !is_nt(b, mol)) return -1.0;
  ensure_periodic_table();
  return buried(base_records(a, mol), base_records(b, mol));
}

double get_delta_AAsc2base_area(long a, long b, const struct_mol& mol) {
  if (is_nt(a, mol) && is_aa(b, mol)) std::swap(a, b);
  if (!is_aa(a, mol) || !is_nt(b, mol)) return -1.0;
  ensure_periodic_table();
  std::vector<area_rec> side(1);
  add_residue_records(
      a, mol,
      [&](long k) { return good(k, mol) && mol.atoms[k].sidechain && !mol.atoms[k].hydrogen; },
      side);
  return buried(side, base_records(b, mol));
}

double get_delta_atom2base_area(long atom_index, long nt, const struct_mol& mol) {
  ensure_periodic_table();
  std::vector<area_rec> lone(1);
  if (good(atom_index, mol) && !mol.atoms[atom_index].hydrogen) add_atom_record(atom_index, mol, lone);
  return buried(lone, base_records(nt, mol));
}

double sum_up_area_per_pdb(const struct_mol& mol) {
  double total = 0;
  for (long a = 1; a <= mol.num_atoms; ++a)
    if (good(a, mol) && mol.atoms[a].area != DBL_MAX) total += mol.atoms[a].area;
  return total;
}

double sum_up_area_per_residue(long i, const struct_mol& mol) {
  double total = 0;
  for (long a = mol.residues[i].first_atom; a <= mol.residues[i].last_atom; ++a)
    if (good(a, mol) && mol.atoms[a].area != DBL_MAX) total += mol.atoms[a].area;
  return total;
}

double sum_up_area_per_chain(const std::string& chain_id, const struct_mol& mol) {
  double total = 0;
  for (long i = 1; i <= mol.num_residues; ++i)
    if (mol.residues[i].chain_id == chain_id) total += sum_up_area_per_residue(i, mol);
  return total;
}

}  // namespace vask
