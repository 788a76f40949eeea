// Atom-base capping: an oxygen or nitrogen (of a phosphate, a sugar, another
// base, a water or a ligand) lying right over a nucleotide base, inside the
// outline of its ring; the marks it leaves for the kink-turn and phosphate
// finders, and its report section, JSON key and model file.
#pragma once

#include <cfloat>
#include <cstdio>
#include <vector>

#include "structure/struct_mol.hpp"

namespace vask {

// One capping atom over one base.
struct a2base {
  long atom = -1;            // the capping atom; -1 unset
  long residue = -1;         // the residue that owns it
  long nt = -1;              // the nucleotide whose base is capped
  long type = 0;             // index into A2BASE_TYPE
  double vert_dist = DBL_MAX;  // Angstrom from the base plane
  double area = DBL_MAX;     // buried area of atom and base (with --sasa); DBL_MAX not computed
};

// Type names by a2base::type.
inline constexpr const char* A2BASE_TYPE[] = {"none", "base", "phosphate", "sugar", "water", "other"};

std::vector<a2base> allocate_a2bases_array(long n);  // records 1..n unset; n < 0: assertion
void free_a2bases(std::vector<a2base>& array);

// Every capping atom of every base into list[1..count], discovery order;
// sets the residues' capping partner and donor/acceptor counts and the
// atoms' capped nucleotide.
void find_a2base_capping(struct_mol& mol, long& count, std::vector<a2base>& list);

// The model file "atom2bases", then JSON "atom2bases" or the report section.
void output_a2base_info_pdb(struct_mol& mol, long n, const std::vector<a2base>& list, FILE* fp);

}  // namespace vask
