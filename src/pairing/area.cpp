// Lee-Richards accessible areas and buried areas (see area.hpp).
//
// Every work array grows with the input, so a ribosomal subunit of 64,281 atoms
// (over 50,000 cubes) goes through like a dinucleotide.
#include "pairing/area.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numbers>

#include "driver/option.hpp"
#include "structure/pdb.hpp"
#include "support/cii.hpp"
#include "support/file.hpp"
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

// ---------------------------------------------------------------------------
// Areas of a structure

namespace {

enum class atom_part { all, base, side_chain };

bool takes_part(const atom& a, atom_part part) {
  if (a.status != 1) return false;
  switch (part) {
    case atom_part::all:
      return true;
    case atom_part::base:
      return a.base && !a.hydrogen;
    case atom_part::side_chain:
      return a.sidechain && !a.hydrogen;
  }
  return false;
}

area_rec area_rec_of_atom(long i, const struct_mol& mol) {
  const atom& a = mol.atoms[i];
  area_rec r;
  r.x = a.xyz[1];
  r.y = a.xyz[2];
  r.z = a.xyz[3];
  r.radius = element_table.vdw_radius[a.atomic_number];
  r.atom = i;
  return r;
}

// Appends the chosen atoms of residue k to recs (1-based, slot 0 present).
void add_residue_atoms(long k, atom_part part, const struct_mol& mol, std::vector<area_rec>& recs) {
  const residue& r = mol.residues[k];
  for (long i = r.first_atom; i <= r.last_atom; ++i)
    if (takes_part(mol.atoms[i], part)) recs.push_back(area_rec_of_atom(i, mol));
}

std::vector<area_rec> residue_set_recs(long n, const std::vector<long>& list, atom_part part,
                                       const struct_mol& mol) {
  std::vector<area_rec> recs(1);
  for (long k = 1; k <= n; ++k) add_residue_atoms(list[k], part, mol, recs);
  return recs;
}

long rec_count(const std::vector<area_rec>& recs) { return static_cast<long>(recs.size()) - 1; }

double total_area(std::vector<area_rec> recs) {
  const long n = rec_count(recs);  // before the move: argument order is unspecified
  return get_total_area(n, std::move(recs), Gvars.probe_radius, Gvars.z_slice);
}

double buried_area(const std::vector<area_rec>& a, const std::vector<area_rec>& b) {
  return get_buried_area(rec_count(a), a, rec_count(b), b, Gvars.probe_radius, Gvars.z_slice);
}

}  // namespace

void calculate_area_by_lee_richards(long n, std::vector<area_rec>& recs) {
  calculate_area_by_lee_richards(n, recs, Gvars.probe_radius, Gvars.z_slice);
}

void get_area_per_pdb(struct_mol& mol) {
  std::vector<area_rec> recs(1);
  for (long i = 1; i <= mol.num_atoms; ++i) {
    mol.atoms[i].area = 0;
    if (mol.atoms[i].status == 1) recs.push_back(area_rec_of_atom(i, mol));
  }
  const long n = rec_count(recs);
  calculate_area_by_lee_richards(n, recs);
  for (long k = 1; k <= n; ++k) {
    const long i = recs[k].atom;
    if (i < 1 || i > mol.num_atoms) fatal("no matching back from area to atom (%ld)\n", k);
    if (mol.atoms[i].status != 1) fatal("atom %ld not in good status\n", i);
    mol.atoms[i].area = recs[k].area;
  }
}

void print_area(const struct_mol& mol, FILE* fp) {
  if (fp == nullptr) return;
  for (long i = 1; i <= mol.num_atoms; ++i) {
    const atom& a = mol.atoms[i];
    // cols 1-6 record | 7-11 serial | 13-16 name | 17 altLoc | 18-20 residue | 22 chain
    //      23-26 resSeq | 27 iCode | 31-54 x, y, z | then the area and the radius
    std::fprintf(fp, "%-6.6s", a.hetatm ? "HETATM" : "ATOM  ");
    std::fprintf(fp, "%5ld%c%4.4s", a.serial % 100000, ' ', a.name.c_str());
    std::fprintf(fp, "%c%3.3s%c%c", a.altloc, a.res_name.c_str(), ' ',
                 a.chain_id.empty() ? ' ' : a.chain_id[0]);
    std::fprintf(fp, "%4ld%c%3.3s", a.res_seq, a.icode, "   ");
    std::fprintf(fp, "%8.3f%8.3f%8.3f", a.xyz[1], a.xyz[2], a.xyz[3]);
    std::fprintf(fp, " # area=%-8.3f\tvdw=%-5.2f\n", a.area,
                 element_table.vdw_radius[a.atomic_number]);
  }
  std::fprintf(fp, "### total area: %.1f\n", sum_up_area_per_pdb(mol));
}

void print_area(const struct_mol& mol, const std::string& file) {
  FILE* fp = open_file(file, "w");
  print_area(mol, fp);
  close_file(fp);
}

double sum_up_area_per_pdb(const struct_mol& mol) {
  double sum = 0;
  for (long i = 1; i <= mol.num_atoms; ++i)
    if (mol.atoms[i].status == 1) sum += mol.atoms[i].area;
  return sum;
}

double sum_up_area_per_residue(long k, const struct_mol& mol) {
  double sum = 0;
  const residue& r = mol.residues[k];
  for (long i = r.first_atom; i <= r.last_atom; ++i)
    if (mol.atoms[i].status == 1) sum += mol.atoms[i].area;
  return sum;
}

double sum_up_area_per_chain(const std::string& chain_id, const struct_mol& mol) {
  double sum = 0;
  for (long k = 1; k <= mol.num_residues; ++k)
    if (mol.residues[k].chain_id == chain_id) sum += sum_up_area_per_residue(k, mol);
  return sum;
}

double get_raw_area_residue_set(long n, const std::vector<long>& list, const struct_mol& mol) {
  return total_area(residue_set_recs(n, list, atom_part::all, mol));
}

double get_raw_area_per_residue(long k, const struct_mol& mol) {
  return get_raw_area_residue_set(1, {0, k}, mol);
}

double get_raw_area_two_residues(long a, long b, const struct_mol& mol) {
  return get_raw_area_residue_set(2, {0, a, b}, mol);
}

double get_area_diff_residue_sets(long na, const std::vector<long>& la, long nb,
                                  const std::vector<long>& lb, const struct_mol& mol) {
  if (na == 0 || nb == 0) return 0;
  return buried_area(residue_set_recs(na, la, atom_part::all, mol),
                     residue_set_recs(nb, lb, atom_part::all, mol));
}

double get_area_diff_one_vs_set(long k, long n, const std::vector<long>& list,
                                const struct_mol& mol) {
  return get_area_diff_residue_sets(1, {0, k}, n, list, mol);
}

double get_area_diff_two_residues(long a, long b, const struct_mol& mol) {
  return get_raw_area_per_residue(a, mol) + get_raw_area_per_residue(b, mol) -
         get_raw_area_two_residues(a, b, mol);
}

double get_delta_residue_area(long a, long b, const struct_mol& mol) {
  return buried_area(residue_set_recs(1, {0, a}, atom_part::all, mol),
                     residue_set_recs(1, {0, b}, atom_part::all, mol));
}

double get_delta_base2base_area(long a, long b, const struct_mol& mol) {
  if (!is_nt(a, mol) || !is_nt(b, mol)) return -1.0;
  return buried_area(residue_set_recs(1, {0, a}, atom_part::base, mol),
                     residue_set_recs(1, {0, b}, atom_part::base, mol));
}

double get_delta_AAsc2base_area(long a, long b, const struct_mol& mol) {
  if (is_nt(a, mol) && is_aa(b, mol)) std::swap(a, b);
  if (!is_aa(a, mol) || !is_nt(b, mol)) return -1.0;
  return buried_area(residue_set_recs(1, {0, a}, atom_part::side_chain, mol),
                     residue_set_recs(1, {0, b}, atom_part::base, mol));
}

double get_delta_atom2base_area(long a, long k, const struct_mol& mol) {
  std::vector<area_rec> one(1);
  if (mol.atoms[a].status == 1 && !mol.atoms[a].hydrogen) one.push_back(area_rec_of_atom(a, mol));
  return buried_area(one, residue_set_recs(1, {0, k}, atom_part::base, mol));
}

}  // namespace vask
