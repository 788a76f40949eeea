// Solvent-accessible surface areas by the Lee-Richards method and buried areas.
//
// Each atom is a sphere of its van der Waals radius plus a probe radius, cut
// into parallel slices; the arcs of each slice circle not covered by the
// neighbours' circles are summed (Lee & Richards, J. Mol. Biol. 55:379, 1971).
// The buried area of two atom sets A and B is area(A) + area(B) - area(A and B).
// This file works on plain atom records; choosing the atoms of residues,
// bases or side chains of a structure is done by its callers.
#pragma once

#include <string>
#include <vector>

#include "support/vector3.hpp"

namespace vask {

struct struct_mol;

// One atom of an area calculation; arrays are 1-based (slot 0 unused).
struct area_rec {
  double x = -1.0, y = -1.0, z = -1.0;  // position, Angstrom
  double radius = -1.0;                 // van der Waals radius, Angstrom
  double area = -1.0;                   // accessible area, square Angstrom (output)
  long atom = -1;                       // atom index in the structure; -1 = none
};

inline constexpr double default_probe_radius = 1.4;    // Angstrom (water)
inline constexpr double default_slice_fraction = 0.05;  // of the sphere diameter: 20 slices

// Fills the accessible area of recs[1..n] (all atoms present together) for
// probe radius probe and slices of fraction slice of each sphere's diameter.
// Works for any number of atoms: the cube grid, the atoms per cube, the
// neighbours and the arcs per slice have no fixed limits.
void calculate_area_by_lee_richards(long n, std::vector<area_rec>& recs, double probe,
                                    double slice);

// Total accessible area of a[1..] and b[1..] together, each record holding
// the area its atom has within its own set (calculate_area_by_lee_richards
// on that set alone). Only the atoms that touch the other set are computed
// again, so the cost follows the contact, not the sizes; the total is the
// same number get_total_area gives for the joined records.
double get_joint_area(const std::vector<area_rec>& a, const std::vector<area_rec>& b, double probe,
                      double slice);

// Buried area of a[1..] and b[1..]: the same number as get_buried_area up to
// the rounding of its sums, computed for the atoms within reach of the other
// set alone, each within its own set and among both. Every other atom has the
// same area alone and together, so the cost follows the contact, not the
// sizes; 0 when either set is empty. A record's area, when not negative, is
// taken as its atom's area within its own set; the atoms computed here get
// theirs filled in, so a set measured against several others computes each
// of its atoms once. Records with areas from any other set must not be given.
double get_contact_buried_area(std::vector<area_rec>& a, std::vector<area_rec>& b, double probe, double slice);

// Total accessible area of recs[1..n] computed together (0 for n = 0).
double get_total_area(long n, std::vector<area_rec> recs, double probe, double slice);

// Buried area of sets a[1..na] and b[1..nb]: area(a) + area(b) - area(a and b);
// 0 when either set is empty.
double get_buried_area(long na, const std::vector<area_rec>& a, long nb,
                       const std::vector<area_rec>& b, double probe, double slice);

// Volume of the convex hull of pts[1..n], grown point by point from a first
// tetrahedron. Fewer than 4 points, or points all on one line or one plane,
// end the run.
double get_convex_hull_volume(long n, const std::vector<xyz>& pts);

// ---------------------------------------------------------------------------
// Areas of a structure (probe radius and slice fraction from the settings).
// Only good (selected) atoms take part; the base and side-chain forms also
// leave out hydrogens.

void get_area_per_pdb(struct_mol& mol);  // every good atom's area, all computed together
// The per-atom area file: one line per atom, then the total of the good atoms.
void print_area(const struct_mol& mol, const std::string& file_name);

double get_raw_area_residue_set(long n, const std::vector<long>& list, const struct_mol& mol);
// The atom records (areas not set) of a residue set, and the buried area of
// two such sets by get_contact_buried_area: for measuring large sets, or one
// set against many others (keep its records, and the areas filled in).
std::vector<area_rec> get_atom_records_residue_set(long n, const std::vector<long>& list, const struct_mol& mol);
double get_contact_buried_area_records(std::vector<area_rec>& a, std::vector<area_rec>& b);
double get_raw_area_per_residue(long i, const struct_mol& mol);
double get_raw_area_two_residues(long a, long b, const struct_mol& mol);
// Buried areas; 0 when either set is empty.
double get_area_diff_residue_sets(long na, const std::vector<long>& la, long nb,
                                  const std::vector<long>& lb, const struct_mol& mol);
double get_area_diff_one_vs_set(long i, long n, const std::vector<long>& list, const struct_mol& mol);
double get_area_diff_two_residues(long a, long b, const struct_mol& mol);
double get_delta_residue_area(long a, long b, const struct_mol& mol);
// Buried area of two bases; -1.0 unless both residues are nucleotides.
double get_delta_base2base_area(long a, long b, const struct_mol& mol);
// Buried area of an amino-acid side chain and a base, either order; -1.0
// unless one is an amino acid and the other a nucleotide.
double get_delta_AAsc2base_area(long a, long b, const struct_mol& mol);
// Buried area of one atom (a full sphere alone) and the base of nucleotide nt.
double get_delta_atom2base_area(long atom_index, long nt, const struct_mol& mol);

// Sums of the stored per-atom areas of the good atoms (get_area_per_pdb first).
double sum_up_area_per_pdb(const struct_mol& mol);
double sum_up_area_per_residue(long i, const struct_mol& mol);
double sum_up_area_per_chain(const std::string& chain_id, const struct_mol& mol);  // 0: no such chain

}  // namespace vask
