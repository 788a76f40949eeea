// Reading one model of a PDB or mmCIF file into a structure record: atoms,
// filtered by altloc, chain, occupancy and B-factor, and delimited into
// residues. Preparation (pairing/prepare.hpp) is the caller's next step.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "structure/atom.hpp"
#include "structure/struct_mol.hpp"
#include "support/settings.hpp"

namespace vask {

// The reading stage alone; a null altloc or chain set means "*" (everything);
// model_mode and parts 0 read in the setting's model mode and residue
// classes, else in those given.
void read_pdb_simple_model(const std::string& file, struct_mol& mol, long model,
                           const std::string* altlocs, const chain_selection* chains, long model_mode = 0,
                           long parts = 0);
void read_pdb_simple(const std::string& file, struct_mol& mol);
// The PDB record reader on an open stream; atoms end up in mol.
void read_pdb_model_fp(FILE* fp, long model, const std::string& altlocs,
                       const chain_selection& chains, struct_mol& mol);
// The atoms read (slot 0 unused) become mol's atom array, every name in its
// 4-character form and every element checked; the same for each reader. No
// atoms at all is an input error.
void set_atoms_array(std::vector<atom>& atoms, long model, struct_mol& mol);
bool check_mmcif(const std::string& file);  // 1 when the file is taken as mmCIF
bool is_atom_hetatm_record(const char* line, long length);
// Filter: altloc and chain sets, occupancy and B-factor cutoffs, coordinate range.
bool valid_atom(atom& a, const std::string& altlocs, const chain_selection& chains);
void add_more_atom_info(atom& a);
void check_atom_name(std::string& name);
void standardize_atom_symbol_number(struct_mol& mol);

}  // namespace vask
