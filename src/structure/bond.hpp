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
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "support/common.hpp"

namespace vask {

struct struct_mol;

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

// Calls f(j, d2) for every point j of the grid with squared distance
// d2 <= r * r from q (both ends inclusive), cube by cube; the order is fixed
// but not sorted.
template <class F>
void for_each_within(const cell_grid& g, const std::vector<xyz>& pts, const xyz& q, double r,
                     F&& f) {
  if (g.head.empty() || !(r >= 0) || !std::isfinite(q[1]) || !std::isfinite(q[2]) ||
      !std::isfinite(q[3]) || q[1] == DBL_MAX || q[2] == DBL_MAX || q[3] == DBL_MAX)
    return;
  const double r2 = r * r;
  long lo[3], hi[3];
  const long dims[3] = {g.nx, g.ny, g.nz};
  for (int k = 0; k < 3; ++k) {
    double a = std::floor((q[k + 1] - r - g.lo[k + 1]) / g.edge);
    double b = std::floor((q[k + 1] + r - g.lo[k + 1]) / g.edge);
    if (b < 0 || a > static_cast<double>(dims[k] - 1)) return;
    lo[k] = a < 0 ? 0 : static_cast<long>(a);
    hi[k] = b > static_cast<double>(dims[k] - 1) ? dims[k] - 1 : static_cast<long>(b);
  }
  for (long ix = lo[0]; ix <= hi[0]; ++ix)
    for (long iy = lo[1]; iy <= hi[1]; ++iy)
      for (long iz = lo[2]; iz <= hi[2]; ++iz)
        for (long j = g.head[(ix * g.ny + iy) * g.nz + iz]; j != 0; j = g.next[j]) {
          const double dx = pts[j][1] - q[1], dy = pts[j][2] - q[2], dz = pts[j][3] - q[3];
          const double d2 = dx * dx + dy * dy + dz * dz;
          if (d2 <= r2) f(j, d2);
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
long is_cnt1_contained_in_cnt2(const connect& a, const connect& b);
long is_equal_cnts(const connect& a, const connect& b);
long is_unique_cnt(const connect& set, long n, const std::vector<connect>& array);
void remove_cnt1_from_cnt2(const connect& a, connect& b);
long cnts_above_threshold(long threshold, long n, const std::vector<connect>& array);
long cnts_with_shared_node(const connect& a, const connect& b);
void print_one_connect(const char* title, const connect& set, FILE* fp);

// Appends item unless present; past bound it is dropped with a warning (the
// first 9 such events of the run); a duplicate is noted when label is not empty.
void add_one_item_to_connect(long item, connect& set, long bound, const char* label);
void add_one_item_to_connect_simple(long item, connect& set, const char* label);

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
long is_covalent_lkg(long i, long j, const struct_mol& mol);
// The distance part alone with the caller's factor (no validity or model test).
long is_covalent_simple(long i, long j, const struct_mol& mol, double factor);

}  // namespace vask
