// H-bonds: donor/acceptor roles of atoms, candidate atom pairs of two
// residues, and the selection rules that turn candidates into H-bonds.
//
// H-bonds are `bond` records (structure/bond.hpp) in their H-bond use: atom1
// in the first residue examined, atom2 in the second, a type character ('p'
// donor-acceptor, 'o' with a donor_acc atom, 'x' donor-donor or
// acceptor-acceptor, '?' unknown roles) and a status (-1 rejected; 1, 2, 4, 8
// accepted by different rules). Per-residue-pair work uses a caller-owned
// scratch array of up to HBOND_SCRATCH records (1-based, slots 1..n); only the
// structure-wide list is stored, in struct_mol::hbonds.
#pragma once

#include <vector>

#include "structure/bond.hpp"
#include "structure/struct_mol.hpp"

namespace vask {

struct pair;

inline constexpr long HBOND_SCRATCH = 1024;  // candidates kept per residue pair

// Donor/acceptor role codes (atom::hbond_role).
enum : long {
  HB_UNSET = 0,     // atoms of ligands and other residues, atoms not in the tables
  HB_DONOR = 1,     // C-H donors included
  HB_ACCEPTOR = 2,
  HB_EITHER = 4,    // donor_acc: hydroxyl, water oxygen and the like
  HB_UNKNOWN = 8,
  HB_NEVER = 16,
};

// A scratch array for the H-bond collectors (slot 0 unused); they grow it
// as needed, up to HBOND_SCRATCH records.
inline std::vector<bond> allocate_hbond_scratch() { return allocate_bonds_array(0); }

// ---------------------------------------------------------------------------
// Atom roles and candidate pairs

void populate_atom_hbond_property(struct_mol& mol);  // every atom, from the residue tables
void mark_nt_hbond_property(long k, struct_mol& mol);
void mark_aa_hbond_property(long k, struct_mol& mol);
void set_atom_hbond_property(const char* name, long k, struct_mol& mol);  // named atom := donor
char get_hbond_type_per_atoms(long a, long b, const struct_mol& mol);
bool good_hbond_type(char type);  // 1 for 'o' or 'p'
bool is_allowed_hbond_atom(long a, const struct_mol& mol);
// Candidates between residues i and j (i may equal j) within the cutoff into
// records[1..n]; returns n (at most HBOND_SCRATCH).
long get_possible_hbond_atom_pair(long i, long j, const struct_mol& mol, std::vector<bond>& records,
                                  double cutoff);

// ---------------------------------------------------------------------------
// Selection

// Fills struct_mol::hbonds (sorted by atom1, then atom2) and num_hbonds.
void get_hbonds_per_pdb(struct_mol& mol);
// The preparation stage: H-bonds plus the atom and residue partner sets.
void populate_hbonds(struct_mol& mol);
// Accepted H-bonds of residues i and j in records[1..n], candidate order; returns n.
long collect_hbonds(long i, long j, const struct_mol& mol, std::vector<bond>& records, double cutoff);
// collect_hbonds with the cutoff of the pair (the good distance with a water);
// 0 for two different residues not in contact.
long get_hbonds_ij(long i, long j, const struct_mol& mol, std::vector<bond>& records);
void check_for_best_hbonds_quick(long n, std::vector<bond>& records);
void eliminate_hbond_by_small_bond_angle(const struct_mol& mol, long n, std::vector<bond>& records);
void eliminate_hbond2hbond_small_angle(const struct_mol& mol, long n, std::vector<bond>& records);
void eliminate_hbond_vertical(long i, long j, const struct_mol& mol, long n, std::vector<bond>& records);

// H-bonds that pass the listing switches (as the get-hbond switch set: 0 all
// but waters, 1 nt-nt, 2 aa-aa, 3 nt-aa, 4 with waters, 5 every one),
// renumbered 1..m in `index`.
long number_clean_hbonds(const struct_mol& mol, const switch_set& listing);
void collect_clean_hbonds(const struct_mol& mol, std::vector<bond>& out, const switch_set& listing);

long moderate_hbond(const bond& b);  // good type and 2.5 <= d <= 3.5
long pair_with_moderate_hbond(const pair& p, const struct_mol& mol);  // some moderate H-bond of its two nts
long hbonds_ij_with_o2(long i, long j, const struct_mol& mol, std::vector<bond>& records);
long hbonds_ij_with_base_o2(long i, long j, const struct_mol& mol, std::vector<bond>& records);
long hbonds_ij_has_o2_o2(long i, long j, const struct_mol& mol, std::vector<bond>& records);
bool with_zipper_linkage(long n, const std::vector<bond>& records);
long bad_bpx(double dv, double angle);

}  // namespace vask
