// Connection sets and covalent-distance tests: see bond.hpp.
#include "structure/bond.hpp"

#include <algorithm>
#include <cmath>

#include "driver/option.hpp"
#include "structure/atom.hpp"
#include "structure/pdb.hpp"
#include "support/cii.hpp"
#include "support/utility.hpp"

namespace vask {

namespace {

constexpr long GRID_MAX_CUBES_PER_POINT = 8;  // more cubes than this per point widen the edge
constexpr long GRID_MIN_CUBES = 4096;         // small sets may use this many cubes anyway

bool usable_point(const xyz& p) {
  for (int k = 1; k <= 3; ++k)
    if (!std::isfinite(p[k]) || p[k] == DBL_MAX) return false;
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Cell grid

long cell_grid::cube_of(const xyz& p) const {
  long c[3];
  const long dims[3] = {nx, ny, nz};
  for (int k = 0; k < 3; ++k) {
    double v = std::floor((p[k + 1] - lo[k + 1]) / edge);
    if (!(v >= 0) || v > static_cast<double>(dims[k] - 1)) return -1;
    c[k] = static_cast<long>(v);
  }
  return (c[0] * ny + c[1]) * nz + c[2];
}

cell_grid make_cell_grid(const std::vector<xyz>& pts, long n, double radius) {
  VASK_ASSERT(radius > 0 && n >= 0 && static_cast<long>(pts.size()) > n);
  cell_grid g;
  g.edge = radius;
  xyz lo{0, DBL_MAX, DBL_MAX, DBL_MAX}, hi{0, -DBL_MAX, -DBL_MAX, -DBL_MAX};
  long used = 0;
  for (long i = 1; i <= n; ++i) {
    if (!usable_point(pts[i])) continue;
    ++used;
    for (int k = 1; k <= 3; ++k) {
      lo[k] = std::min(lo[k], pts[i][k]);
      hi[k] = std::max(hi[k], pts[i][k]);
    }
  }
  g.next.assign(static_cast<size_t>(n) + 1, 0);
  if (used == 0) {
    g.lo = {0, 0, 0, 0};
    g.head.assign(1, 0);
    return g;
  }
  g.lo = lo;
  const double max_cubes =
      static_cast<double>(std::max(GRID_MIN_CUBES, GRID_MAX_CUBES_PER_POINT * used));
  for (;;) {
    double c = 1;
    for (int k = 1; k <= 3; ++k) c *= std::floor((hi[k] - lo[k]) / g.edge) + 1;
    if (c <= max_cubes) break;
    g.edge *= 1.5;  // a stray far-away point: fewer, larger cubes
  }
  g.nx = static_cast<long>(std::floor((hi[1] - lo[1]) / g.edge)) + 1;
  g.ny = static_cast<long>(std::floor((hi[2] - lo[2]) / g.edge)) + 1;
  g.nz = static_cast<long>(std::floor((hi[3] - lo[3]) / g.edge)) + 1;
  g.head.assign(static_cast<size_t>(g.nx * g.ny * g.nz), 0);
  // inserted from n down to 1, so each cube lists its points in ascending order
  for (long i = n; i >= 1; --i) {
    if (!usable_point(pts[i])) continue;
    long c = g.cube_of(pts[i]);
    VASK_ASSERT(c >= 0);
    g.next[i] = g.head[c];
    g.head[c] = i;
  }
  return g;
}

std::vector<std::pair<long, long>> near_pairs(const cell_grid& g, const std::vector<xyz>& pts,
                                              long n, double r) {
  std::vector<std::pair<long, long>> out;
  std::vector<long> hits;
  for (long i = 1; i <= n; ++i) {
    if (!usable_point(pts[i])) continue;
    hits.clear();
    for_each_within(g, pts, pts[i], r, [&](long j, double) {
      if (j > i) hits.push_back(j);
    });
    std::sort(hits.begin(), hits.end());
    for (long j : hits) out.emplace_back(i, j);
  }
  return out;
}

std::vector<xyz> atom_points(const struct_mol& mol) {
  std::vector<xyz> pts(static_cast<size_t>(mol.num_atoms) + 1, xyz{});
  for (long i = 1; i <= mol.num_atoms; ++i) pts[i] = mol.atoms[i].xyz;
  return pts;
}

void ensure_atom_grid(struct_mol& mol) {
  if (static_cast<long>(mol.atom_xyz.size()) == mol.num_atoms + 1 && !mol.atom_grid.head.empty())
    return;
  mol.atom_xyz = atom_points(mol);
  mol.atom_grid = make_cell_grid(mol.atom_xyz, mol.num_atoms, ATOM_GRID_EDGE);
}

// ---------------------------------------------------------------------------
// Connection sets

void connect::set_owner(long v) {
  if (members.empty()) members.resize(1, 0);
  members[0] = v;
}

void connect::append(long item) {
  if (static_cast<long>(members.size()) < count + 2) members.resize(count + 2, 0);
  members[++count] = item;
}

bool connect::has(long item) const {
  for (long k = 1; k <= count; ++k)
    if (members[k] == item) return true;
  return false;
}

void connect::clear() {
  count = 0;
  std::vector<long>().swap(members);
  value = DBL_MAX;
}

bool lval_in_cnts(long x, const connect& set) { return set.has(x); }

void init_one_connect(connect& set) { set.clear(); }

void init_connects_array(long n, std::vector<connect>& array) {
  for (long i = 1; i <= n; ++i) init_one_connect(array[i]);
}

std::vector<connect> allocate_connects_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<connect>(static_cast<size_t>(n) + 1);
}

void free_connects(std::vector<connect>& array) { std::vector<connect>().swap(array); }

std::vector<connect> duplicate_connects_array(long n, const std::vector<connect>& array) {
  VASK_ASSERT(n >= 1);
  std::vector<connect> copy(static_cast<size_t>(n) + 1);
  for (long i = 1; i <= n; ++i) copy[i] = array[i];
  return copy;
}

void reverse_connects_array(long n, std::vector<connect>& array) {
  for (long k = 1; k <= n / 2; ++k) std::swap(array[k], array[n + 1 - k]);
}

void swap_two_cnts(connect& a, connect& b) { std::swap(a, b); }

void sort_one_connect(connect& set) {
  if (set.count < 2) return;
  std::sort(set.members.begin() + 1, set.members.begin() + set.count + 1);
}

void merge_two_cnts(const connect& src, connect& dst) {
  for (long k = 1; k <= src.count; ++k) {
    long item = src.members[k];
    if (dst.has(item)) continue;
    if (dst.count + 1 > CONNECT_MAX) {
      runlog_msg("[w] -- truncated at the upper boundary\n");
      prglog_msg("[w] -- merge_two_cnts() out of boundary\n");
      return;
    }
    dst.append(item);
  }
}

long is_cnt1_contained_in_cnt2(const connect& a, const connect& b) {
  if (a.count > b.count) return 0;
  for (long k = 1; k <= a.count; ++k)
    if (!b.has(a.members[k])) return 0;
  return 1;
}

long is_equal_cnts(const connect& a, const connect& b) {
  if (a.count != b.count) return 0;
  for (long k = 1; k <= a.count; ++k)
    if (a.members[k] != b.members[k]) return 0;
  return 1;
}

long is_unique_cnt(const connect& set, long n, const std::vector<connect>& array) {
  connect mine = set;
  sort_one_connect(mine);
  for (long i = 1; i <= n; ++i) {
    if (array[i].count != set.count) continue;
    connect other = array[i];
    sort_one_connect(other);
    if (is_equal_cnts(mine, other)) return 0;
  }
  return 1;
}

void remove_cnt1_from_cnt2(const connect& a, connect& b) {
  VASK_ASSERT(is_cnt1_contained_in_cnt2(a, b));
  long kept = 0;
  for (long k = 1; k <= b.count; ++k)
    if (!a.has(b.members[k])) b.members[++kept] = b.members[k];
  b.count = kept;
  b.value = DBL_MAX;
}

long cnts_above_threshold(long threshold, long n, const std::vector<connect>& array) {
  long num = 0;
  for (long i = 1; i <= n; ++i)
    if (array[i].count >= threshold) ++num;
  return num;
}

long cnts_with_shared_node(const connect& a, const connect& b) {
  for (long k = 1; k <= a.count; ++k)
    if (b.has(a.members[k])) return 1;
  return 0;
}

void print_one_connect(const char* title, const connect& set, FILE* fp) {
  if (fp == nullptr) return;
  print_leadline_sepchar(fp, '-', SEPARATOR_WIDTH);
  std::fprintf(fp, "%s [%ld]:", title, set.count);
  for (long k = 1; k <= set.count; ++k) std::fprintf(fp, " %ld", set.members[k]);
  std::fprintf(fp, "\n");
}

void add_one_item_to_connect(long item, connect& set, long bound, const char* label) {
  if (set.has(item)) {
    if (label != nullptr && *label != '\0') {
      char msg[256];
      std::snprintf(msg, sizeof msg, "[i] -- item %ld already exists [%s]\n", item, label);
      logit_test(msg);
    }
    return;
  }
  if (set.count + 1 <= bound && set.count + 1 <= CONNECT_MAX) {
    set.append(item);
    return;
  }
  if (++Gvars.counts.connects <= 9) {
    char msg[256];
    std::snprintf(msg, sizeof msg, "[w] -- %s: more than %ld partners\n", label ? label : "", bound);
    logit(msg);
  }
}

void add_one_item_to_connect_simple(long item, connect& set, const char* label) {
  add_one_item_to_connect(item, set, CONNECT_MAX, label);
}

void init_one_bond(bond& b) { b = bond{}; }

std::vector<bond> allocate_bonds_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<bond>(static_cast<size_t>(n) + 1);
}

void free_bonds(std::vector<bond>& array) { std::vector<bond>().swap(array); }

bool bond_compare(const bond& a, const bond& b) {
  return a.atom1 != b.atom1 ? a.atom1 < b.atom1 : a.atom2 < b.atom2;
}

long is_covalent_simple(long i, long j, const struct_mol& mol, double factor) {
  const atom& a = mol.atoms[i];
  const atom& b = mol.atoms[j];
  if (a.metal && b.metal) return 0;
  double c = factor * (element_table.covalent_radius[a.atomic_number] +
                       element_table.covalent_radius[b.atomic_number]);
  double dx = std::fabs(a.xyz[1] - b.xyz[1]);
  double dy = std::fabs(a.xyz[2] - b.xyz[2]);
  double dz = std::fabs(a.xyz[3] - b.xyz[3]);
  if (dx > c || dy > c || dz > c) return 0;
  double d2 = dx * dx + dy * dy + dz * dz;
  return d2 >= 0.36 && d2 <= c * c;
}

long is_covalent_lkg(long i, long j, const struct_mol& mol) {
  if (!atoms_same_model_chain_altloc(i, j, mol)) return 0;
  return is_covalent_simple(i, j, mol, COVALENT_FACTOR);
}

}  // namespace vask
