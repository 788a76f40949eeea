// Non-pairing contacts: two nucleotides in van der Waals contact that are no
// base pair but stack, or share H-bonds through their backbones or base
// edges, with the measures of each contact; and the report section that
// lists them (with --non-pair).
#pragma once

#include <cfloat>
#include <cstdio>
#include <string>
#include <vector>

#include "structure/struct_mol.hpp"

namespace vask {

// One non-pairing interaction. Unset doubles as noted per field.
struct nonpair {
  long nt1 = -1, nt2 = -1;  // residue numbers, nt1 < nt2; -1 unset
  long linked = 0;          // 1 when joined along the backbone
  long num_hbonds = 0;
  std::string hbond_text;   // "O2'(hydroxyl)-N3[2.83],..." style; empty when none
  std::string stack_faces;  // stacking faces of a stacking contact; empty otherwise
  double min_dist = -1.0;   // shortest base-atom distance, Angstrom; -1.0 none
  double angle = DBL_MAX;   // between the base normals, folded into 0..90 degrees
  double planarity = -1.0;  // of the two bases
  double oarea = DBL_MAX;   // outer (exocyclic atoms included) overlap, square Angstrom
  double oarea_inner = 0;   // ring-atom overlap; 0 unless stacking
  double base_sasa = DBL_MAX;  // buried base area with the surface-area setting
};

std::vector<nonpair> allocate_nonpairs_array(long n);  // records 1..n unset; n < 0: assertion
void free_nonpairs(std::vector<nonpair>& array);

// Shortest distance between non-hydrogen atoms of r1 and r2; -1.0 when
// either has none.
double get_minimum_distance_between_residues(long r1, long r2, const struct_mol& mol);

// Every non-pairing interaction of the structure into list[1..count] (i
// ascending, then j), and the residues' non-pair marks; with --non-pair the
// total goes to the run log.
void find_nonpair_contacts(struct_mol& mol, long& count, std::vector<nonpair>& list);

// The section "List of N non-pairing interactions" or the JSON "nonPairs";
// only with --non-pair and some contact.
void output_nonpairs(const struct_mol& mol, long n, const std::vector<nonpair>& list, FILE* fp);

}  // namespace vask
