// Connection sets (the one small-set type), the bond record with its
// covalent-distance tests, and the cell grid that every neighbour search of
// the structure model (contacts, covalent bonds, waters, metals) and of the
// later stages (H-bonds, pairs) goes through.
//
// A connect set holds at most 128 positive indices. Atoms carry three sets and
// residues thirteen, so a ribosome holds millions of them: the members live in
// a small vector that grows on demand (slot 0 spare) instead of a fixed array
// of 129 longs, which would cost about 1 GB there.
#pragma once

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "support/error.hpp"
#include "support/vector3.hpp"

namespace vask {

struct struct_mol;
struct atom;

// ---------------------------------------------------------------------------
// Cell grid: points hashed into cubes of edge `edge` over the box fitted to
// them, so a query within radius r visits only the cubes within ceil(r/edge)
// of its own (27 cubes when r <= edge). Points with a non-finite or unset
// (DBL_MAX) coordinate are left out. When the box would need too many cubes
// (a stray far-away point), the edge is widened.
struct cell_grid {
  double edge = 0;                 // Angstrom; >= the radius asked for
  xyz lo{};                        // lower corner of the box
  long nx = 1, ny = 1, nz = 1;     // cubes along x, y, z
  std::vector<long> head;          // head[cube] = first point in it; 0 = none
  std::vector<long> next;          // next[i] = next point in i's cube; 0 ends
  long cube_of(const xyz& p) const;  // -1 when outside the box
};

// Grid over points 1..n of pts (1-based) with cube edge >= radius (> 0).
cell_grid make_cell_grid(const std::vector<xyz>& pts, long n, double radius);

// The cubes a query of radius r around q must visit, as index ranges
// lo..hi along x, y, z; false when there are none.
inline bool cube_range(const cell_grid& g, const xyz& q, double r, long lo[3], long hi[3]) {
  if (g.head.empty() || !(r >= 0) || !std::isfinite(q[1]) || !std::isfinite(q[2]) ||
      !std::isfinite(q[3]) || q[1] == DBL_MAX || q[2] == DBL_MAX || q[3] == DBL_MAX)
    return false;
  const long dims[3] = {g.nx, g.ny, g.nz};
  for (int k = 0; k < 3; ++k) {
    double a = std::floor((q[k + 1] - r - g.lo[k + 1]) / g.edge);
    double b = std::floor((q[k + 1] + r - g.lo[k + 1]) / g.edge);
    if (b < 0 || a > static_cast<double>(dims[k] - 1)) return false;
    lo[k] = a < 0 ? 0 : static_cast<long>(a);
    hi[k] = b > static_cast<double>(dims[k] - 1) ? dims[k] - 1 : static_cast<long>(b);
  }
  return true;
}

// Calls f(j, d2) for every point j of the grid with squared distance
// d2 <= r * r from q (both ends inclusive), cube by cube; the order is fixed
// but not sorted.
template <class F>
void for_each_within(const cell_grid& g, const std::vector<xyz>& pts, const xyz& q, double r,
                     F&& f) {
  long lo[3], hi[3];
  if (!cube_range(g, q, r, lo, hi)) return;
  const double r2 = r * r;
  for (long ix = lo[0]; ix <= hi[0]; ++ix)
    for (long iy = lo[1]; iy <= hi[1]; ++iy)
      for (long iz = lo[2]; iz <= hi[2]; ++iz)
        for (long j = g.head[(ix * g.ny + iy) * g.nz + iz]; j != 0; j = g.next[j]) {
          const double dx = pts[j][1] - q[1], dy = pts[j][2] - q[2], dz = pts[j][3] - q[3];
          const double d2 = dx * dx + dy * dy + dz * dz;
          if (d2 <= r2) f(j, d2);
        }
}

// The points of a cell grid that a filter keeps, packed cube by cube:
// indices ascending with their coordinates beside them. Scans that want only
// the points after a given index skip the others with one binary search per
// cube, and never touch the atom records.
struct packed_cells {
  const cell_grid* grid = nullptr;
  std::vector<long> start;                 // cube c: entries start[c] .. start[c + 1] - 1
  std::vector<long> index;                 // point numbers
  std::vector<std::array<double, 3>> at;   // their x, y, z
};

// keep[j] != 0 selects point j (1-based, as the grid).
packed_cells pack_cells(const cell_grid& g, const std::vector<xyz>& pts, const std::vector<char>& keep);

// Calls f(j, d2) for every kept point j > after with squared distance
// d2 <= r * r from q, cube by cube, ascending within a cube.
template <class F>
void for_each_within_after(const packed_cells& p, const xyz& q, double r, long after, F&& f) {
  const cell_grid& g = *p.grid;
  long lo[3], hi[3];
  if (!cube_range(g, q, r, lo, hi)) return;
  const double r2 = r * r;
  const long* base = p.index.data();
  for (long ix = lo[0]; ix <= hi[0]; ++ix)
    for (long iy = lo[1]; iy <= hi[1]; ++iy)
      for (long iz = lo[2]; iz <= hi[2]; ++iz) {
        const long c = (ix * g.ny + iy) * g.nz + iz;
        const long* last = base + p.start[c + 1];
        for (const long* e = std::upper_bound(base + p.start[c], last, after); e != last; ++e) {
          const auto& b = p.at[static_cast<size_t>(e - base)];
          const double dx = b[0] - q[1], dy = b[1] - q[2], dz = b[2] - q[3];
          const double d2 = dx * dx + dy * dy + dz * dz;
          if (d2 <= r2) f(*e, d2);
        }
      }
}

// Calls f(e, j) for every pair of kept points of different groups, given as
// positions e < j in p.index / p.at (group[e] and group[j] differ), closer
// than r; r must not exceed the cube edge. Each pair comes once, cube pair by
// cube pair (a cube with itself and its 13 neighbours ahead of it), in no
// useful order.
template <class F>
void for_each_close_pair(const packed_cells& p, const std::vector<long>& group, double r, F&& f) {
  static constexpr long ahead[13][3] = {{0, 0, 1},  {0, 1, -1},  {0, 1, 0},  {0, 1, 1}, {1, -1, -1},
                                        {1, -1, 0}, {1, -1, 1},  {1, 0, -1}, {1, 0, 0}, {1, 0, 1},
                                        {1, 1, -1}, {1, 1, 0},   {1, 1, 1}};
  const cell_grid& g = *p.grid;
  VASK_ASSERT(r <= g.edge);
  const double r2 = r * r;
  const long* start = p.start.data();
  const long cubes = static_cast<long>(p.start.size()) - 1;
  long most = 0;
  for (long c = 0; c < cubes; ++c) most = std::max(most, start[c + 1] - start[c]);
  // The distance loop only notes its hits, so it stays in registers.
  std::vector<long> hits(static_cast<size_t>(most) + 1);
  const std::array<double, 3>* at = p.at.data();
  const long* of = group.data();
  VASK_ASSERT(group.size() == p.index.size());
  // Each cube's box around the points it holds: a point farther than r from
  // a neighbour cube's box meets none of its points, so that cube is passed
  // over (most of a corner cube is beyond reach). The box distance is
  // computed as the point distances are, so it never exceeds any of them.
  // A box is kept at its cube's first entry: room by points, not by cubes.
  std::vector<std::array<double, 6>> box(p.index.size());
  for (long c = 0; c < cubes; ++c) {
    if (start[c] == start[c + 1]) continue;
    std::array<double, 6>& b = box[static_cast<size_t>(start[c])];
    b = {at[start[c]][0], at[start[c]][1], at[start[c]][2], at[start[c]][0], at[start[c]][1], at[start[c]][2]};
    for (long e = start[c] + 1; e < start[c + 1]; ++e)
      for (int k = 0; k < 3; ++k) {
        b[k] = std::min(b[k], at[e][k]);
        b[k + 3] = std::max(b[k + 3], at[e][k]);
      }
  }
  auto scan = [&](long e, long lo, long hi) {
    const double x = at[e][0], y = at[e][1], z = at[e][2];
    const long own = of[e];
    long* out = hits.data();
    long n = 0;
    for (long j = lo; j < hi; ++j) {
      const double dx = at[j][0] - x, dy = at[j][1] - y, dz = at[j][2] - z;
      out[n] = j;
      n += (dx * dx + dy * dy + dz * dz < r2) & (of[j] != own);
    }
    for (long k = 0; k < n; ++k) f(e, out[k]);
  };
  // per axis, how far below or above the box the point lies (0 within it)
  auto gap = [](double v, double lo, double hi) { return v < lo ? lo - v : v > hi ? v - hi : 0.0; };
  for (long ix = 0; ix < g.nx; ++ix)
    for (long iy = 0; iy < g.ny; ++iy)
      for (long iz = 0; iz < g.nz; ++iz) {
        const long c = (ix * g.ny + iy) * g.nz + iz;
        const long lo = start[c], hi = start[c + 1];
        if (lo == hi) continue;
        for (long e = lo; e < hi; ++e) scan(e, e + 1, hi);
        for (const auto& d : ahead) {
          const long jx = ix + d[0], jy = iy + d[1], jz = iz + d[2];
          if (jx >= g.nx || jy < 0 || jy >= g.ny || jz < 0 || jz >= g.nz) continue;
          const long c2 = (jx * g.ny + jy) * g.nz + jz;
          if (start[c2] == start[c2 + 1]) continue;
          const std::array<double, 6>& b = box[static_cast<size_t>(start[c2])];
          for (long e = lo; e < hi; ++e) {
            const double dx = gap(at[e][0], b[0], b[3]), dy = gap(at[e][1], b[1], b[4]),
                         dz = gap(at[e][2], b[2], b[5]);
            if (dx * dx + dy * dy + dz * dz < r2) scan(e, start[c2], start[c2 + 1]);
          }
        }
      }
}

// All pairs (i, j), i < j, of grid points within r of each other, sorted by
// i then j: what a brute-force double loop over 1..n gives.
std::vector<std::pair<long, long>> near_pairs(const cell_grid& g, const std::vector<xyz>& pts,
                                              long n, double r);

// The atoms' coordinates as a 1-based point list (slot 0 unused).
std::vector<xyz> atom_points(const struct_mol& mol);

inline constexpr double ATOM_GRID_EDGE = 4.8;  // Angstrom: the residue contact cutoff

// Builds mol.atom_xyz and mol.atom_grid (edge ATOM_GRID_EDGE) over all atoms
// unless they cover the current atom count already.
void ensure_atom_grid(struct_mol& mol);

inline constexpr long CONNECT_MAX = 128;  // capacity of a connect set

struct connect {
  long count = 0;              // members 1..count
  std::vector<long> members;   // slot 0 spare (owner, for the metal summary); empty when unused
  double value = DBL_MAX;      // attached value; DBL_MAX = unset

  long operator[](long k) const { return k < static_cast<long>(members.size()) ? members[k] : 0; }
  long owner() const { return members.empty() ? 0 : members[0]; }
  void set_owner(long v);
  void append(long item);      // no bound or duplicate check: callers check first
  bool has(long item) const;   // item among members 1..count
  void clear();                // back to the empty set, storage released
};

// lval_in_cnts: x is a member of the set.
bool lval_in_cnts(long x, const connect& set);

void init_one_connect(connect& set);
void init_connects_array(long n, std::vector<connect>& array);
std::vector<connect> allocate_connects_array(long n);  // sets 1..n empty; slot 0 unused
void free_connects(std::vector<connect>& array);
std::vector<connect> duplicate_connects_array(long n, const std::vector<connect>& array);
void reverse_connects_array(long n, std::vector<connect>& array);
void swap_two_cnts(connect& a, connect& b);
void sort_one_connect(connect& set);
void merge_two_cnts(const connect& src, connect& dst);
bool is_cnt1_contained_in_cnt2(const connect& a, const connect& b);
bool is_equal_cnts(const connect& a, const connect& b);
bool is_unique_cnt(const connect& set, long n, const std::vector<connect>& array);
void remove_cnt1_from_cnt2(const connect& a, connect& b);
long cnts_above_threshold(long threshold, long n, const std::vector<connect>& array);
long cnts_with_shared_node(const connect& a, const connect& b);
void print_one_connect(const char* title, const connect& set, FILE* fp);

// Appends item unless present; past bound it is dropped with a warning (the
// first 9 such events, counted in warned: the structure's count of the
// overflows); a duplicate is noted when label is not empty.
void add_one_item_to_connect(long item, connect& set, long bound, const char* label, long& warned);
void add_one_item_to_connect_simple(long item, connect& set, const char* label, long& warned);
// Turns per-residue sets[1..n] into connected networks (breadth-first, cut at
// 128 members, the first 9 cuts warned about and counted in warned), each
// sorted and kept once, in the set of its lowest residue; networks smaller
// than minimum are emptied.
void tidyup_connection_network(long minimum, long n, std::vector<connect>& sets, long& warned);

// One covalent bond or H-bond; arrays are 1-based, slot 0 unused.
struct bond {
  long tag = 0;          // not used by covalent bonds
  long atom1 = -1;       // smaller atom index
  long atom2 = -1;       // larger atom index
  double distance = -1.0;  // Angstrom
  double cutoff = -1.0;    // Angstrom: 1.15 x sum of covalent radii for covalent bonds
  long status = -1;      // H-bond state; unused by covalent bonds
  char type = '?';       // H-bond type character; '?' for covalent bonds
  std::string text;      // H-bond text; unused by covalent bonds
  // H-bond use only (0/1 flags unless noted); atom1 is then in the first
  // residue of the pair examined, atom2 in the second.
  long index = 0;          // serial number in filtered copies
  double dvert = -1.0;     // Angstrom to the base/side-chain plane; -1.0 = not computed
  long both_base = 0;      // both atoms are base atoms
  long any_base = 0;       // at least one is a base atom
  long with_water = 0;     // either residue is a water
  long with_O2prime = 0;   // at least one atom is O2'
  long O2prime_base = 0;   // an O2' atom and a base atom
  long O2prime_pair = 0;   // both atoms are O2'
  long both_polar = 0;     // both atoms are N or O
  long good_type = 0;      // type 'o' or 'p'
  long good_dist = 0;      // distance acceptable
  long base_good = 0;      // both_base and good type
};

inline constexpr double COVALENT_FACTOR = 1.15;  // covalent radius sum multiplier

void init_one_bond(bond& b);
std::vector<bond> allocate_bonds_array(long n);
void free_bonds(std::vector<bond>& array);
bool bond_compare(const bond& a, const bond& b);  // by atom1, then atom2

// The covalent test with factor 1.15: valid atoms in the same model, chain and
// altloc, not both metals, 0.6 <= d <= 1.15 x (sum of covalent radii).
bool is_covalent_lkg(long i, long j, const struct_mol& mol);
// The distance part alone with the caller's factor (no validity or model test).
bool is_covalent_simple(long i, long j, const struct_mol& mol, double factor);

// ---------------------------------------------------------------------------
// Covalent bonds (bond.cpp)

// Finds the covalent bonds (sorted by atom1, atom2), fills every atom's bonded
// set, re-derives the base atoms of modified nucleotides from their largest
// ring and refines H-bond roles from bond counts. Needs the linkage stage.
// Without keep_list the bond list itself (mol.bonds) is left empty: the
// bonded sets are all a pairs-only run reads.
void populate_bonds(struct_mol& mol, bool keep_list = true);
// Makes the bond list after populate_bonds(mol, false); nothing when it exists.
void populate_bond_list(struct_mol& mol);
// Non-hydrogen atom pairs a < b of residue k that pass the covalent test,
// appended to buf[1..]; at most max; returns the number found.
long get_bonds_within_residue(long k, const struct_mol& mol, long max, std::vector<bond>& buf);
long get_bonds_between_residues(long r1, long r2, const struct_mol& mol, long max,
                                std::vector<bond>& buf);
void fillout_atoms_ij_bond_only(long i, long j, const struct_mol& mol, long& count,
                                std::vector<bond>& buf);
long atoms_a_b_covalent_bond(long a, long b, const struct_mol& mol);
long atoms_a_b_both_connected_to_c(long a, long b, const struct_mol& mol);
long atoms_in_bond(long i, long j, const struct_mol& mol);
long atoms_in_hbond(long i, long j, const struct_mol& mol);
long atoms_in_waterBridge(long i, long j, const struct_mol& mol);
void check_fill_bond(long i, long j, struct_mol& mol);   // each in the other's bonded set
void check_fill_hbond(long i, long j, struct_mol& mol);  // each in the other's H-bonded set
void fillout_residue_hbonds(struct_mol& mol);  // residue pairs of the structure's H-bonds
// Records 1..n ordered by atom1, then atom2; equal pairs keep their order.
void sort_bonds_by_atoms(std::vector<bond>& bonds, long n);
void fillout_one_lkg(long i, long j, struct_mol& mol);   // residues in each other's linkage set
// Adds the row (min, max) of a and b to links[1..count] unless present.
void add_one_unique_lkg_in_order(long a, long b, long& count,
                                 std::vector<std::array<long, 2>>& links);
// Simple cycles (>= 3 nodes) of the undirected graph of links[1..nlinks],
// each once, into cycles[1..96] in path order; returns how many were filled
// (0 when nlinks < 3). A graph with more cycles keeps the first 96 found and
// is warned about (the first 9 bounded-set overflows, counted in warned).
long trace_cycles(long nlinks, const std::vector<std::array<long, 2>>& links,
                  std::vector<connect>& cycles, long& warned);
inline constexpr long MAX_CYCLES = 96;
inline constexpr long MAX_RING_LINKS = 512;

// ---------------------------------------------------------------------------
// Backbone linkages and residue order (bond_linkage.cpp)

// O3'(i)-P(j) bonded, or close enough (1.0..2.3 A, or below the O3'-P option).
bool is_nts_connected(long i, long j, const struct_mol& mol);
bool is_aas_connected(long i, long j, const struct_mol& mol);  // C(i)-N(j), 1.0..2.0 A
bool is_nts_connected_either_way(long i, long j, const struct_mol& mol);
bool is_aas_connected_either_way(long i, long j, const struct_mol& mol);
bool is_ntaa_connected_either_way(long i, long j, const struct_mol& mol);
long nts_in_array_connected_5p_to_3p(long n, const std::vector<long>& list, const struct_mol& mol);
long aas_in_array_connected(long n, const std::vector<long>& list, const struct_mol& mol);
bool is_aa_i2j_all_connected(long i, long j, const struct_mol& mol);
long residues_all_connected(long n, const std::vector<long>& list, const struct_mol& mol);
long count_nts_break(long n, const std::vector<long>& list, const struct_mol& mol, long either_way);
long count_nts_disorder(long n, const std::vector<long>& list, const struct_mol& mol);
// Steps along the recorded linkages from nucleotide i to j (0 when not
// reached within min(max, num_nts)); path, when given, gets [0] = steps + 1
// and [1..] the nucleotides from i to j.
long nts_i2j_dist(long i, long j, long max, const struct_mol& mol, std::vector<long>* path);
long nts_dist1(long i, long j, const struct_mol& mol);
long nts_connected_distN(long i, long j, const struct_mol& mol, long n);
bool is_nt_i2j_all_connected(long i, long j, const struct_mol& mol, long either_way);
// Walks a chain of sets with one or two links each from the end node start;
// path[1..] gets the nodes; returns the length, 0 on a broken chain.
long extract_one_lkg(const std::vector<connect>& sets, long start, std::vector<long>& path);
long extract_one_residue_thread(long start, const std::vector<connect>& sets,
                                std::vector<long>& path);
// First atom named name in atoms first..last, -1 when none; with a residue id
// a duplicate or (at verbose level 2) a missing atom is logged.
long find_atom_in_range(const char* name, long first, long last, const std::vector<atom>& atoms,
                        const std::string& residue_id);
void warn_out_of_order(const char* label, long a, long b, const struct_mol& mol);

void populate_ntaaLkgs(struct_mol& mol);
void populate_ordered_residues(struct_mol& mol);
void populate_na_segments(struct_mol& mol);
void populate_nts_miscs(struct_mol& mol);
void populate_contacts(struct_mol& mol);
void populate_vdwCnts(struct_mol& mol);
// The van der Waals test of that stage for one residue pair, asked of the
// atom records: a pair in contact is in the sets exactly when it holds.
bool residues_touch(long i, long j, const struct_mol& mol);
void populate_PO4(struct_mol& mol);
void populate_peptide(struct_mol& mol);
void populate_PO4_contacts_bridges(struct_mol& mol);
// All residues in thread order (nothing for an empty file name).
void write_pdb_in_order(struct_mol& mol, const std::string& file);
void t_write_residue_hbonds(const struct_mol& mol);

inline constexpr double CONTACT_CUTOFF = 4.8;  // Angstrom, nearest heavy atoms of two residues

// ---------------------------------------------------------------------------
// Waters, metals and van der Waals contacts (bond_water.cpp)

void populate_hydration(struct_mol& mol);
void populate_metal(struct_mol& mol);
// Metal summary: one set per metal atom (slot 0 = the metal atom, members =
// its ligand residues) into list[1..count]; with the metals switch, the
// "metals" coordinate file and the text or JSON listing on fp.
void summarize_metal_coordinations(struct_mol& mol, long& count, std::vector<connect>& list,
                                   FILE* fp);
long atoms_ij_in_vdwCnt(long a, long b, const struct_mol& mol);
// The same test on two points and their van der Waals radii.
bool vdw_contact(const xyz& p, const xyz& q, double vdw_p, double vdw_q);
long ntbase_metal_in_covlkg(long nt, long metal_atom, const struct_mol& mol);
// The first metal residue coordinated by the bases of nucleotides i and j and
// lying in both base planes (within 0.8 A); 0 when none.
long ntbases_share_metal(long i, long j, const struct_mol& mol);
long ntbases_in_waterBridge(long i, long j, const struct_mol& mol);
void write_waters_metals(long k, long res, const connect& set, struct_mol& mol, FILE* fp);
void print_waters(FILE* fp, struct_mol& mol);
void print_metals(FILE* fp, struct_mol& mol);
long residues_in_hbond(long i, long j, const struct_mol& mol);
long residues_in_pair(long i, long j, const struct_mol& mol);
long residues_in_waterBridge(long i, long j, const struct_mol& mol);
long residues_in_linkage(long i, long j, const struct_mol& mol);
long residues_in_contact(long i, long j, const struct_mol& mol);
long residues_in_vdwCnt(long i, long j, const struct_mol& mol);

}  // namespace vask
