// Connection sets and covalent-distance tests: see bond.hpp.
#include "structure/bond.hpp"

#include <algorithm>
#include <cmath>
#include <set>

#include "structure/atom.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/log.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"

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

packed_cells pack_cells(const cell_grid& g, const std::vector<xyz>& pts, const std::vector<char>& keep) {
  packed_cells p;
  p.grid = &g;
  const long cubes = static_cast<long>(g.head.size());
  p.start.assign(static_cast<size_t>(cubes) + 1, 0);
  for (long c = 0; c < cubes; ++c) {
    p.start[c] = static_cast<long>(p.index.size());
    for (long j = g.head[c]; j != 0; j = g.next[j]) {
      if (!keep[j]) continue;
      p.index.push_back(j);
      p.at.push_back({pts[j][1], pts[j][2], pts[j][3]});
    }
  }
  p.start[cubes] = static_cast<long>(p.index.size());
  return p;
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

namespace {
// Every neighbour query visits the points of the cubes around its own, so
// the work of a pass over all atoms is known from the cube counts before any
// query runs. Real molecules, also ensembles read as one, keep it to a few
// thousand visits per atom; thousands of co-located or clumped atoms would
// make it quadratic in the atoms. Such input is refused, naming the crowded
// place, before the analysis starts.
constexpr double CROWD_VISITS_PER_ATOM = 20000;
constexpr double CROWD_MIN_VISITS = 2e7;  // below this any input is quick

void check_crowding(const cell_grid& g, const std::vector<xyz>& pts) {
  std::vector<long> count(g.head.size(), 0);
  long used = 0;
  for (size_t c = 0; c < g.head.size(); ++c)
    for (long j = g.head[c]; j != 0; j = g.next[j]) ++count[c], ++used;
  double visits = 0, worst = 0;
  size_t worst_cube = 0;
  for (long ix = 0; ix < g.nx; ++ix)
    for (long iy = 0; iy < g.ny; ++iy)
      for (long iz = 0; iz < g.nz; ++iz) {
        const size_t c = static_cast<size_t>((ix * g.ny + iy) * g.nz + iz);
        if (count[c] == 0) continue;
        double around = 0;
        for (long x = std::max(0L, ix - 1); x <= std::min(g.nx - 1, ix + 1); ++x)
          for (long y = std::max(0L, iy - 1); y <= std::min(g.ny - 1, iy + 1); ++y)
            for (long z = std::max(0L, iz - 1); z <= std::min(g.nz - 1, iz + 1); ++z)
              around += static_cast<double>(count[static_cast<size_t>((x * g.ny + y) * g.nz + z)]);
        visits += static_cast<double>(count[c]) * around;
        if (count[c] > worst) {
          worst = static_cast<double>(count[c]);
          worst_cube = c;
        }
      }
  if (visits <= CROWD_MIN_VISITS || visits <= CROWD_VISITS_PER_ATOM * static_cast<double>(used)) return;
  const xyz& p = pts[static_cast<size_t>(g.head[worst_cube])];
  fatal("[e] %.0f atoms crowd into %.1f A around (%.1f, %.1f, %.1f): far denser than any "
        "molecule (co-located or clumped atoms); not analysed\n",
        worst, g.edge, p[1], p[2], p[3]);
}
}  // namespace

void ensure_atom_grid(struct_mol& mol) {
  if (static_cast<long>(mol.atom_xyz.size()) == mol.num_atoms + 1 && !mol.atom_grid.head.empty())
    return;
  mol.atom_xyz = atom_points(mol);
  mol.atom_grid = make_cell_grid(mol.atom_xyz, mol.num_atoms, ATOM_GRID_EDGE);
  check_crowding(mol.atom_grid, mol.atom_xyz);
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

bool is_cnt1_contained_in_cnt2(const connect& a, const connect& b) {
  if (a.count > b.count) return 0;
  for (long k = 1; k <= a.count; ++k)
    if (!b.has(a.members[k])) return 0;
  return 1;
}

bool is_equal_cnts(const connect& a, const connect& b) {
  if (a.count != b.count) return 0;
  for (long k = 1; k <= a.count; ++k)
    if (a.members[k] != b.members[k]) return 0;
  return 1;
}

bool is_unique_cnt(const connect& set, long n, const std::vector<connect>& array) {
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

namespace {

// The add of add_one_item_to_connect with the label made only when a message
// needs it: callers whose labels name atoms would otherwise build a string
// for every member added.
template <class Label>
void add_item_labelled(long item, connect& set, long bound, Label&& label, long& warned) {
  if (set.has(item)) {
    if (PRGLOG == nullptr && !Gvars.test) return;  // the note would reach no log
    const std::string text = label();
    if (!text.empty()) logit_testf("[i] -- item %ld already exists [%s]\n", item, text.c_str());
    return;
  }
  if (set.count + 1 <= bound && set.count + 1 <= CONNECT_MAX) {
    set.append(item);
    return;
  }
  if (++warned <= 9) logitf("[w] -- %s: more than %ld partners\n", label().c_str(), bound);
}

}  // namespace

void add_one_item_to_connect(long item, connect& set, long bound, const char* label, long& warned) {
  add_item_labelled(item, set, bound, [label] { return std::string(label ? label : ""); }, warned);
}

void add_one_item_to_connect_simple(long item, connect& set, const char* label, long& warned) {
  add_one_item_to_connect(item, set, CONNECT_MAX, label, warned);
}

void tidyup_connection_network(long minimum, long n, std::vector<connect>& sets, long& warned) {
  std::vector<long> network(1);  // the network gathered just before, 1-based
  std::vector<char> seen(static_cast<size_t>(n + 1), 0);
  for (long k = 1; k <= n; ++k) {
    if (sets[k].count == 0 || std::find(network.begin() + 1, network.end(), k) != network.end())
      continue;
    network.assign(1, 0);
    network.push_back(k);
    seen[k] = 1;
    for (size_t g = 1; g < network.size(); ++g) {  // breadth-first: the list is the queue
      const connect& set = sets[network[g]];
      for (long m = 1; m <= set.count; ++m) {
        const long item = set.members[m];
        if (item < 1 || item > n || seen[item]) continue;
        seen[item] = 1;
        network.push_back(item);
      }
    }
    for (size_t g = 1; g < network.size(); ++g) seen[network[g]] = 0;
    const long size = static_cast<long>(network.size()) - 1;
    if (size > CONNECT_MAX) {
      if (++warned <= 9) {
        logitf("[w] connections out of boundary [%ld > %d]\n", size, static_cast<int>(CONNECT_MAX));
      }
      network.resize(CONNECT_MAX + 1);
    }
    std::sort(network.begin() + 1, network.end());
    sets[k].count = 0;
    for (size_t g = 1; g < network.size(); ++g) sets[k].append(network[g]);
  }
  for (long k = 1; k <= n; ++k) {
    if (sets[k].count < minimum) {
      sets[k].clear();
      continue;
    }
    const std::vector<long> members(sets[k].members.begin(), sets[k].members.begin() + sets[k].count + 1);
    for (size_t m = 2; m < members.size(); ++m)
      if (members[m] >= 1 && members[m] <= n) sets[members[m]].clear();
  }
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

bool is_covalent_simple(long i, long j, const struct_mol& mol, double factor) {
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

bool is_covalent_lkg(long i, long j, const struct_mol& mol) {
  if (i < 1 || i > mol.num_atoms || j < 1 || j > mol.num_atoms) return 0;
  // the distance test first: it rejects most pairs without comparing chain ids
  return is_covalent_simple(i, j, mol, COVALENT_FACTOR) && atoms_same_model_chain_altloc(i, j, mol);
}

}  // namespace vask

namespace vask {

namespace {

constexpr double O_ACCEPTOR_MAX = 1.33;  // Angstrom: a shorter single bond is C=O-like
constexpr double S_ACCEPTOR_MAX = 1.7;   // Angstrom
constexpr long BOND_PARTNERS = 6;        // bonded set bound per atom
constexpr long WITHIN_RESIDUE_GRID_MIN = 64;  // atoms in a residue from which its bonds use the grid
constexpr long MAX_CYCLE_STEPS = 50000;  // guard on the depth-first cycle search (real bases: < 10,000)

double covalent_radius(long i, const struct_mol& mol) {
  return element_table.covalent_radius[mol.atoms[i].atomic_number];
}

double max_covalent_radius(const struct_mol& mol) {
  double r = 0;
  for (long i = 1; i <= mol.num_atoms; ++i) r = std::max(r, covalent_radius(i, mol));
  return r;
}

std::string atom_id(long i, const struct_mol& mol) {
  const atom& a = mol.atoms[i];
  return a.idstr.empty() ? std::to_string(i) : a.idstr;
}

// Cycle search state of trace_cycles.
struct cycle_search {
  std::vector<std::vector<long>> adj;  // by local number
  const std::vector<long>* ids = nullptr;  // local number -> id
  std::vector<connect>* cycles = nullptr;
  long stored = 0;
  long steps = 0;
  bool full = false;
  std::vector<long> path;
  std::vector<char> on_path;
  std::set<std::vector<long>> seen;  // sorted atom sets of the cycles stored

  void extend() {
    if (full || ++steps > MAX_CYCLE_STEPS) return;
    long cur = path.back();
    for (long nb : adj[cur]) {
      if (full) return;
      if (nb == path.front() && path.size() >= 3) {
        // each cycle is met once per start edge and direction: the sorted
        // atom set tells a new one in O(log n) rather than a scan of those stored
        std::vector<long> key(path);
        std::sort(key.begin(), key.end());
        if (seen.insert(std::move(key)).second) {
          connect c;
          for (long v : path) c.append((*ids)[static_cast<size_t>(v)]);
          (*cycles)[++stored] = std::move(c);
          if (stored == MAX_CYCLES) full = true;
        }
      } else if (!on_path[nb]) {
        path.push_back(nb);
        on_path[nb] = 1;
        extend();
        on_path[nb] = 0;
        path.pop_back();
      }
    }
  }
};

void rederive_base_ring(long k, struct_mol& mol) {
  const residue& r = mol.residues[k];
  long nbase = 0;
  for (long i = r.first_atom; i <= r.last_atom; ++i) nbase += mol.atoms[i].base != 0;
  if (is_R(k, mol) && nbase <= 12) return;
  if (is_Y(k, mol) && nbase <= 10) return;
  std::vector<std::array<long, 2>> links(MAX_RING_LINKS + 1, std::array<long, 2>{0, 0});
  long nlinks = 0;
  for (long i = r.first_atom; i <= r.last_atom; ++i) {
    if (!mol.atoms[i].in_plane) continue;
    const connect& bd = mol.atoms[i].bonded;
    for (long t = 1; t <= bd.count; ++t) {
      long j = bd[t];
      if (j < r.first_atom || j > r.last_atom || !mol.atoms[j].in_plane) continue;
      if (nlinks == MAX_RING_LINKS) {
        bool present = false;
        for (long q = 1; q <= nlinks && !present; ++q)
          present = links[q][0] == std::min(i, j) && links[q][1] == std::max(i, j);
        if (!present) return;  // too many bonds for the ring step: skipped
        continue;
      }
      add_one_unique_lkg_in_order(i, j, nlinks, links);
    }
  }
  std::vector<connect> cycles = allocate_connects_array(MAX_CYCLES);
  long num = trace_cycles(nlinks, links, cycles, mol.warned.connects);
  VASK_ASSERT(num >= 0);
  if (num == 0) return;
  long best = 1;
  for (long c = 2; c <= num; ++c)
    if (cycles[c].count > cycles[best].count) best = c;
  for (long i = r.first_atom; i <= r.last_atom; ++i) mol.atoms[i].base = mol.atoms[i].in_plane = 0;
  const connect& ring = cycles[best];
  for (long t = 1; t <= ring.count; ++t) {
    atom& a = mol.atoms[ring[t]];
    a.base = a.in_plane = 1;
    for (long q = 1; q <= a.bonded.count; ++q) {
      long j = a.bonded[q];
      if (ring.has(j)) continue;
      mol.atoms[j].base = mol.atoms[j].in_plane = 1;
    }
  }
}

void refine_hbond_role(long i, struct_mol& mol) {
  atom& a = mol.atoms[i];
  const long r = a.hbond_role, n = a.bonded.count;
  if (is_nt(a.residue, mol) && r == 16 && a.hetatm && (a.nitrogen || a.oxygen) && n <= 2)
    a.hbond_role = 8;
  if (a.halogen && n == 1) {
    a.hbond_role = a.element == " F" ? 2 : 1;
    return;
  }
  if (a.hbond_role == 8) {
    double d = n >= 1 ? dist_atoms(i, a.bonded[1], mol) : DBL_MAX;
    if (a.oxygen) {
      if (n == 2) a.hbond_role = 2;
      else if (n == 1) a.hbond_role = d <= O_ACCEPTOR_MAX ? 2 : 4;
    } else if (a.sulfur) {
      if (n == 2 || (n == 1 && d <= S_ACCEPTOR_MAX)) a.hbond_role = 2;
    } else if (a.nitrogen) {
      if (n == 1) a.hbond_role = 1;
    } else if (a.carbon) {
      if (n == 1 || n == 2) a.hbond_role = 1;
    }
  }
  if (a.hbond_role != r) a.role_changed = 1;
}

long first_sulfur(long k, const struct_mol& mol) {
  const residue& r = mol.residues[k];
  for (long i = r.first_atom; i <= r.last_atom; ++i)
    if (mol.atoms[i].sulfur) return i;
  return -1;
}

}  // namespace

// ---------------------------------------------------------------------------
// Bond helpers

namespace {

// A covalent bond as found: its atoms (smaller first), distance and cutoff.
// The bond stage gathers these small records and puts them in order; full
// bond records are made only for the structure's bond list.
struct covalent_link {
  long atom1, atom2;
  double distance, cutoff;
};

bool link_less(const covalent_link& a, const covalent_link& b) {
  return a.atom1 != b.atom1 ? a.atom1 < b.atom1 : a.atom2 < b.atom2;
}

covalent_link make_link(long i, long j, const struct_mol& mol) {
  return {std::min(i, j), std::max(i, j), dist_atoms(i, j, mol),
          COVALENT_FACTOR * (covalent_radius(i, mol) + covalent_radius(j, mol))};
}

void append_bond(const covalent_link& l, long& count, std::vector<bond>& buf) {
  ++count;
  if (static_cast<long>(buf.size()) <= count) buf.resize(static_cast<size_t>(count) + 1);
  bond& b = buf[count];
  b = bond{};
  b.atom1 = l.atom1;
  b.atom2 = l.atom2;
  b.distance = l.distance;
  b.cutoff = l.cutoff;
}

long append_bonds(const std::vector<covalent_link>& links, std::vector<bond>& buf) {
  long count = 0;
  for (const covalent_link& l : links) append_bond(l, count, buf);
  return count;
}

// The heavy atoms of a small residue side by side: the pair scan of its bonds
// then reads these, not two atom records per pair.
struct heavy_atom {
  long atom;
  double x, y, z, radius;
  bool metal;
};

long links_within_residue(long k, const struct_mol& mol, long max, std::vector<covalent_link>& out,
                          std::vector<heavy_atom>& heavy) {
  const residue& r = mol.residues[k];
  long count = 0;
  // A small residue is quicker to scan pair by pair than through the grid.
  const bool grid = r.last_atom - r.first_atom >= WITHIN_RESIDUE_GRID_MIN &&
                    static_cast<long>(mol.atom_xyz.size()) == mol.num_atoms + 1 &&
                    !mol.atom_grid.head.empty();
  if (!grid) {
    heavy.clear();
    for (long a = r.first_atom; a <= r.last_atom; ++a) {
      const atom& at = mol.atoms[a];
      if (!at.hydrogen)
        heavy.push_back({a, at.xyz[1], at.xyz[2], at.xyz[3], covalent_radius(a, mol), at.metal != 0});
    }
    const size_t n = heavy.size();
    for (size_t p = 0; p < n; ++p) {
      const heavy_atom& a = heavy[p];
      for (size_t q = p + 1; q < n; ++q) {
        const heavy_atom& b = heavy[q];
        // is_covalent_lkg's tests, in its order of cost
        if (a.metal && b.metal) continue;
        const double c = COVALENT_FACTOR * (a.radius + b.radius);
        const double dx = std::fabs(a.x - b.x), dy = std::fabs(a.y - b.y), dz = std::fabs(a.z - b.z);
        if (dx > c || dy > c || dz > c) continue;
        const double d2 = dx * dx + dy * dy + dz * dz;
        if (d2 < 0.36 || d2 > c * c || !atoms_same_model_chain_altloc(a.atom, b.atom, mol)) continue;
        out.push_back(make_link(a.atom, b.atom, mol));
        if (++count >= max) return count;
      }
    }
    return count;
  }
  double rmax = 0;  // partners lie in this residue: its own largest radius bounds the search
  for (long b = r.first_atom; b <= r.last_atom; ++b) rmax = std::max(rmax, covalent_radius(b, mol));
  std::vector<long> cand;
  for (long a = r.first_atom; a <= r.last_atom; ++a) {
    if (mol.atoms[a].hydrogen) continue;
    cand.clear();
    for_each_within(mol.atom_grid, mol.atom_xyz, mol.atom_xyz[a],
                    COVALENT_FACTOR * (covalent_radius(a, mol) + rmax), [&](long b, double) {
                      if (b > a && b <= r.last_atom) cand.push_back(b);
                    });
    std::sort(cand.begin(), cand.end());
    for (long b : cand) {
      if (mol.atoms[b].hydrogen || !is_covalent_lkg(a, b, mol)) continue;
      out.push_back(make_link(a, b, mol));
      if (++count >= max) return count;
    }
  }
  return count;
}

long links_between_residues(long r1, long r2, const struct_mol& mol, long max,
                            std::vector<covalent_link>& out) {
  if (r1 == r2 || !with_same_model_chain(r1, r2, mol)) return 0;
  const residue& a = mol.residues[r1];
  const residue& b = mol.residues[r2];
  long count = 0;
  for (long i = a.first_atom; i <= a.last_atom; ++i) {
    if (mol.atoms[i].hydrogen) continue;
    for (long j = b.first_atom; j <= b.last_atom; ++j) {
      if (mol.atoms[j].hydrogen || !is_covalent_lkg(i, j, mol)) continue;
      out.push_back(make_link(i, j, mol));
      if (++count >= max) return count;
    }
  }
  return count;
}

}  // namespace

void fillout_atoms_ij_bond_only(long i, long j, const struct_mol& mol, long& count,
                                std::vector<bond>& buf) {
  append_bond(make_link(i, j, mol), count, buf);
}

long get_bonds_within_residue(long k, const struct_mol& mol, long max, std::vector<bond>& buf) {
  std::vector<covalent_link> links;
  std::vector<heavy_atom> heavy;
  links_within_residue(k, mol, max, links, heavy);
  return append_bonds(links, buf);
}

long get_bonds_between_residues(long r1, long r2, const struct_mol& mol, long max,
                                std::vector<bond>& buf) {
  std::vector<covalent_link> links;
  links_between_residues(r1, r2, mol, max, links);
  return append_bonds(links, buf);
}

long atoms_a_b_covalent_bond(long a, long b, const struct_mol& mol) {
  return mol.atoms[b].bonded.has(a);
}

long atoms_a_b_both_connected_to_c(long a, long b, const struct_mol& mol) {
  const connect& s = mol.atoms[a].bonded;
  for (long t = 1; t <= s.count; ++t)
    if (mol.atoms[b].bonded.has(s[t])) return 1;
  return 0;
}

long atoms_in_bond(long i, long j, const struct_mol& mol) { return mol.atoms[i].bonded.has(j); }
long atoms_in_hbond(long i, long j, const struct_mol& mol) { return mol.atoms[i].hbonded.has(j); }
long atoms_in_waterBridge(long i, long j, const struct_mol& mol) {
  return mol.atoms[i].water_bridged.has(j);
}

void check_fill_bond(long i, long j, struct_mol& mol) {
  auto label = [&] { return "check_fill_bond(" + atom_id(i, mol) + ", " + atom_id(j, mol) + ")"; };
  add_item_labelled(j, mol.atoms[i].bonded, BOND_PARTNERS, label, mol.warned.connects);
  add_item_labelled(i, mol.atoms[j].bonded, BOND_PARTNERS, label, mol.warned.connects);
}

void check_fill_hbond(long i, long j, struct_mol& mol) {
  auto label = [&] { return "check_fill_hbond(" + atom_id(i, mol) + ", " + atom_id(j, mol) + ")"; };
  add_item_labelled(j, mol.atoms[i].hbonded, CONNECT_MAX, label, mol.warned.connects);
  add_item_labelled(i, mol.atoms[j].hbonded, CONNECT_MAX, label, mol.warned.connects);
}

void fillout_residue_hbonds(struct_mol& mol) {
  // Most residue pairs share several H-bonds: repeats are expected, not noted.
  auto label = [] { return std::string(); };
  for (long k = 1; k <= mol.num_hbonds; ++k) {
    long r1 = mol.atoms[mol.hbonds[k].atom1].residue;
    long r2 = mol.atoms[mol.hbonds[k].atom2].residue;
    if (r1 == r2) continue;  // a residue is not its own H-bond partner
    add_item_labelled(r2, mol.residues[r1].hbonded, CONNECT_MAX, label, mol.warned.connects);
    add_item_labelled(r1, mol.residues[r2].hbonded, CONNECT_MAX, label, mol.warned.connects);
  }
}

void sort_bonds_by_atoms(std::vector<bond>& bonds, long n) {
  // Sorting small keys and moving each record once beats a stable sort of
  // the records themselves; ties keep their list order, as a stable sort would.
  struct key {
    long atom1, atom2, at;
  };
  std::vector<key> keys(static_cast<size_t>(n));
  for (long k = 1; k <= n; ++k) keys[k - 1] = {bonds[k].atom1, bonds[k].atom2, k};
  auto less = [](const key& a, const key& b) {
    if (a.atom1 != b.atom1) return a.atom1 < b.atom1;
    if (a.atom2 != b.atom2) return a.atom2 < b.atom2;
    return a.at < b.at;
  };
  if (std::is_sorted(keys.begin(), keys.end(), less)) return;
  std::sort(keys.begin(), keys.end(), less);
  // Slot k takes record keys[k - 1].at, in place along the cycles of that
  // order: no second array of records (megabytes on a ribosome) to fill.
  std::vector<char> placed(static_cast<size_t>(n) + 1, 0);
  for (long k = 1; k <= n; ++k) {
    if (placed[k]) continue;
    bond held = std::move(bonds[k]);
    for (long slot = k;;) {
      placed[slot] = 1;
      const long from = keys[slot - 1].at;
      if (from == k) {
        bonds[slot] = std::move(held);
        break;
      }
      bonds[slot] = std::move(bonds[from]);
      slot = from;
    }
  }
}

void fillout_one_lkg(long i, long j, struct_mol& mol) {
  add_one_item_to_connect(j, mol.residues[i].linked, 2, "fillout_one_lkg()", mol.warned.connects);
  add_one_item_to_connect(i, mol.residues[j].linked, 2, "fillout_one_lkg()", mol.warned.connects);
}

void add_one_unique_lkg_in_order(long a, long b, long& count,
                                 std::vector<std::array<long, 2>>& links) {
  const long lo = std::min(a, b), hi = std::max(a, b);
  for (long k = 1; k <= count; ++k)
    if (links[k][0] == lo && links[k][1] == hi) return;
  ++count;
  if (static_cast<long>(links.size()) <= count) links.resize(static_cast<size_t>(count) + 1);
  links[count] = {lo, hi};
}

long trace_cycles(long nlinks, const std::vector<std::array<long, 2>>& links,
                  std::vector<connect>& cycles, long& warned) {
  if (nlinks < 3) return 0;
  if (static_cast<long>(cycles.size()) <= MAX_CYCLES) cycles.resize(MAX_CYCLES + 1);
  for (long c = 1; c <= MAX_CYCLES; ++c) cycles[c].clear();
  // The search runs on local numbers (the ids in ascending order), so its
  // tables grow with the links, not with the largest id of the structure;
  // the order is kept, so are the cycles found and their order.
  std::vector<long> ids;
  ids.reserve(static_cast<size_t>(2 * nlinks));
  for (long k = 1; k <= nlinks; ++k) {
    ids.push_back(links[k][0]);
    ids.push_back(links[k][1]);
  }
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  auto local = [&](long id) { return std::lower_bound(ids.begin(), ids.end(), id) - ids.begin(); };
  cycle_search s;
  s.adj.assign(ids.size(), {});
  for (long k = 1; k <= nlinks; ++k) {
    s.adj[local(links[k][0])].push_back(local(links[k][1]));
    s.adj[local(links[k][1])].push_back(local(links[k][0]));
  }
  s.ids = &ids;
  s.cycles = &cycles;
  s.on_path.assign(ids.size(), 0);
  for (long k = 1; k <= nlinks && !s.full; ++k) {
    const long a = local(links[k][0]), b = local(links[k][1]);
    s.path = {a, b};
    s.on_path[a] = s.on_path[b] = 1;
    s.extend();
    s.on_path[a] = s.on_path[b] = 0;
  }
  if (s.full && ++warned <= 9)
    logitf("[w] -- trace_cycles(): more than %ld cycles; the first %ld are kept\n", MAX_CYCLES, MAX_CYCLES);
  return s.stored;
}

// ---------------------------------------------------------------------------
// Covalent bond stage

namespace {

// The structure's covalent bonds ordered by atom1, then atom2 (equal pairs in
// the order found). With `log`, the limits reached are noted.
std::vector<covalent_link> find_covalent_links(struct_mol& mol, bool log) {
  ensure_atom_grid(mol);
  long max_atoms = mol.max_residue_atoms;
  for (long k = 1; k <= mol.num_residues; ++k)
    max_atoms = std::max(max_atoms, mol.residues[k].num_atoms);
  const long max = static_cast<long>(2 * max_atoms + 64);
  std::vector<covalent_link> all;
  all.reserve(static_cast<size_t>(mol.num_atoms + mol.num_residues) + 64);  // about one bond per atom

  // A residue's own bonds come in order; its link to the next residue is put
  // in place among them, so that residues in atom order need no full sort.
  std::vector<heavy_atom> heavy;
  auto add_in_block = [&all](size_t block, const covalent_link& l) {
    auto at = std::upper_bound(all.begin() + static_cast<long>(block), all.end(), l, link_less);
    all.insert(at, l);
  };
  for (long k = 1; k <= mol.num_residues; ++k) {
    const size_t block = all.size();
    long n = links_within_residue(k, mol, max, all, heavy);
    if (log && n >= max && ++mol.warned.bond_in_residue <= 9) {
      logitf("\tmaximum bonds (%ld) reached in residue [%s]\n", n, mol.residues[k].idstr.c_str());
    }
    if (is_nt(k, mol) && mol.nt_infos[k].next_P != -1 && mol.nt_infos[k].O3p != -1) {
      add_in_block(block, make_link(mol.nt_infos[k].O3p, mol.nt_infos[k].next_P, mol));
    } else if (is_aa(k, mol) && mol.aa_infos[k].next_N != -1 && mol.aa_infos[k].C != -1) {
      add_in_block(block, make_link(mol.aa_infos[k].C, mol.aa_infos[k].next_N, mol));
    }
  }

  // Ligand-metal bonds: candidate pairs come from the grid around each
  // single-atom metal residue, then are taken in (ligand, metal) order.
  const double rmax = max_covalent_radius(mol);
  std::vector<std::pair<long, long>> lig_metal;
  for (long j = 1; j <= mol.num_residues; ++j) {
    const residue& rj = mol.residues[j];
    if (rj.num_atoms != 1 || !mol.atoms[rj.first_atom].metal) continue;
    long m = rj.first_atom;
    for_each_within(mol.atom_grid, mol.atom_xyz, mol.atom_xyz[m],
                    COVALENT_FACTOR * (covalent_radius(m, mol) + rmax), [&](long a, double) {
                      if (is_ligand(mol.atoms[a].residue, mol))
                        lig_metal.emplace_back(mol.atoms[a].residue, j);
                    });
  }
  std::sort(lig_metal.begin(), lig_metal.end());
  lig_metal.erase(std::unique(lig_metal.begin(), lig_metal.end()), lig_metal.end());
  for (const auto& [i, j] : lig_metal) {
    long n = links_between_residues(i, j, mol, max, all);
    if (log && n >= max) {
      logitf("\tmaximum bond linkages (%ld) reached between residues [%s] and [%s]\n", n,
             mol.residues[i].idstr.c_str(), mol.residues[j].idstr.c_str());
    }
  }

  // Disulfide bonds between the first sulfur atoms of two cysteines.
  std::vector<std::pair<long, long>> ss;
  for (long i = 1; i <= mol.num_residues; ++i) {
    if (!is_aa_cys(i, mol)) continue;
    long si = first_sulfur(i, mol);
    if (si == -1) continue;
    for_each_within(mol.atom_grid, mol.atom_xyz, mol.atom_xyz[si],
                    COVALENT_FACTOR * (covalent_radius(si, mol) + rmax), [&](long a, double) {
                      long j = mol.atoms[a].residue;
                      if (j > i && is_aa_cys(j, mol) && first_sulfur(j, mol) == a)
                        ss.emplace_back(si, a);
                    });
  }
  std::sort(ss.begin(), ss.end());
  for (const auto& [si, sj] : ss)
    if (is_covalent_lkg(si, sj, mol)) all.push_back(make_link(si, sj, mol));

  // Only distinct pairs changed places above: a stable sort from here gives
  // what it gives from the order found.
  if (!std::is_sorted(all.begin(), all.end(), link_less)) std::stable_sort(all.begin(), all.end(), link_less);
  return all;
}

void set_bond_list(const std::vector<covalent_link>& links, struct_mol& mol) {
  mol.bonds = allocate_bonds_array(0);
  mol.bonds.reserve(links.size() + 1);
  mol.num_bonds = append_bonds(links, mol.bonds);
}

}  // namespace

void populate_bonds(struct_mol& mol, bool keep_list) {
  VASK_ASSERT(mol.stage.ntaa_linkages);
  const std::vector<covalent_link> links = find_covalent_links(mol, true);
  if (keep_list) {
    set_bond_list(links, mol);
  } else {
    free_bonds(mol.bonds);
    mol.num_bonds = 0;
  }
  // each set is given its room once, not grown partner by partner
  std::vector<long> partners(static_cast<size_t>(mol.num_atoms) + 1, 0);
  for (const covalent_link& l : links) {
    ++partners[l.atom1];
    ++partners[l.atom2];
  }
  for (long i = 1; i <= mol.num_atoms; ++i)
    if (partners[i] > 0 && mol.atoms[i].bonded.members.empty())
      mol.atoms[i].bonded.members.reserve(static_cast<size_t>(std::min(partners[i], BOND_PARTNERS)) + 2);
  for (const covalent_link& l : links) check_fill_bond(l.atom1, l.atom2, mol);

  // hydrogen flags side by side: the partners' records are then not read
  std::vector<char> hydrogen(static_cast<size_t>(mol.num_atoms) + 1, 0);
  for (long i = 1; i <= mol.num_atoms; ++i) hydrogen[i] = mol.atoms[i].hydrogen != 0;
  for (long i = 1; i <= mol.num_atoms; ++i) {
    atom& a = mol.atoms[i];
    sort_one_connect(a.bonded);
    if (hydrogen[i]) continue;
    long heavy = 0, which = 0;
    for (long t = 1; t <= a.bonded.count; ++t)
      if (!hydrogen[a.bonded[t]]) {
        ++heavy;
        which = a.bonded[t];
      }
    if (heavy == 1) a.heavy_neighbour = which;
  }
  mol.stage.bonds = 1;

  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_nt(k, mol)) continue;
    long c1 = mol.nt_infos[k].C1p;
    if (c1 == -1) continue;
    const connect& bd = mol.atoms[c1].bonded;
    for (long t = 1; t <= bd.count; ++t)
      if (mol.atoms[bd[t]].base) mol.atoms[c1].in_plane = 1;
  }
  for (long k = 1; k <= mol.num_residues; ++k)
    if (is_nt(k, mol)) rederive_base_ring(k, mol);
  for (long i = 1; i <= mol.num_atoms; ++i) refine_hbond_role(i, mol);
}

void populate_bond_list(struct_mol& mol) {
  VASK_ASSERT(mol.stage.bonds);
  if (!mol.bonds.empty()) return;
  set_bond_list(find_covalent_links(mol, false), mol);
}

}  // namespace vask
