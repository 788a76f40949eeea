// Alchemy models: the in-memory record of an .alc file (typed atoms with a
// value column, bonds as atom pairs), its reader and writer, the joining of
// two .alc files, and the conversion of an .alc file into an MDL molfile
// (V2000, or V3000 beyond 999 atoms or bonds).
//
// Atoms and bonds are 1-based (slot 0 unused). A bond has no order: every
// molfile bond is single.
#pragma once

#include <cfloat>
#include <cstdio>
#include <string>
#include <vector>

#include "support/vector3.hpp"

namespace vask {

struct alcAtom {
  std::string type;  // at most 2 characters; empty until set
  vask::xyz xyz{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};  // Angstrom; DBL_MAX unset
  double value = 0.0;  // sixth column; the block writers put a residue number here
};

struct alcBond {
  long atom1 = 0, atom2 = 0;  // 1-based atom numbers
};

// One model. A model assembled block by block grows as blocks are appended
// (the filled counts say how far), so no caller has to size it beforehand.
struct struct_alchemy {
  long num_atoms_filled = 0;  // atoms appended so far (block assembly); 0 otherwise
  long num_bonds_filled = 0;
  long num_atoms = 0;
  long num_bonds = 0;
  std::vector<alcAtom> atoms;  // 1..num_atoms
  std::vector<alcBond> bonds;  // 1..num_bonds
};

void init_struct_alchemy(struct_alchemy& m);  // every count 0, no arrays
// Arrays for the current counts (atoms > 0 and bonds >= 0, else an assertion
// fails), every atom unset and every bond 0-0.
void allocate_alcAtomsBonds(struct_alchemy& m);
void free_struct_alchemy(struct_alchemy& m);
// Room for the atoms and bonds about to be appended past the filled counts.
void reserve_alc_room(struct_alchemy& m, long more_atoms, long more_bonds);
// Counts := the filled counts (the arrays are cut to them).
void close_alc_filling(struct_alchemy& m);

// Reads a whole .alc file into a fresh model; the model is left empty (all
// counts 0) when the header gives no atoms. Malformed input is fatal.
void read_alchemy(const std::string& file, struct_alchemy& m);
void read_alchemy_fp(FILE* fp, const std::string& file, struct_alchemy& m);
// One atom line or one bond line by the reader's token rules.
void fill_one_alcAtom(const std::string& line, alcAtom& a);
void fill_one_alcBond(const std::string& line, alcBond& b);

// Writes the model (creating or truncating the file); every atom needs a type.
void write_alchemy(const struct_alchemy& m, const std::string& file);
void write_alchemy_fp(const struct_alchemy& m, FILE* fp);  // nothing for a null stream

// out := file1 followed by file2 (bonds of file2 shifted); out may be file1.
void combine_two_alcfiles(const std::string& file1, const std::string& file2,
                          const std::string& out);

// The .alc file as a molfile: V2000 while both counts are at most 999, else V3000.
void convert_alc2mol(const std::string& alc_file, const std::string& mol_file);
void convert_alc2mol_v3000(const std::string& alc_file, const std::string& mol_file);

}  // namespace vask
