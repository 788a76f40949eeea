// Connection sets (the one small-set type) and the bond record with its
// covalent-distance tests.
//
// A connect set holds at most 128 positive indices. Atoms carry three sets and
// residues thirteen, so a ribosome holds millions of them: the members live in
// a small vector that grows on demand (slot 0 spare) instead of a fixed array
// of 129 longs, which would cost about 1 GB there.
#pragma once

#include <cfloat>
#include <cstdio>
#include <string>
#include <vector>

namespace vask {

struct struct_mol;

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
