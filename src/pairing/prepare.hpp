// The preparation pipeline: a structure as read (atoms and residues) becomes
// the prepared model all analyses read. Its stages run in one fixed order and
// each sets its stage flag, which later stages assert.
#pragma once

#include <string>

#include "structure/struct_mol.hpp"

namespace vask {

// Reads the first model (every model in the symmetry model modes) with the
// altloc and chain settings and prepares it; an ensemble met in a symmetry
// mode is read again, its first model only. parts 0 analyses the residue
// classes of the setting, else those given.
void read_pdb(const std::string& file, struct_mol& mol, long parts = 0);
// The same for one given model number; model_mode (parts) 0 reads in the
// setting's model mode (residue classes), else in the one given.
void read_pdb_model(const std::string& file, struct_mol& mol, long model, long model_mode = 0, long parts = 0);

// The first model without its waters and ions (lone atoms that are no
// nucleotide), prepared with the setting's residue classes.
void read_pdb_without_waters_ions(const std::string& file, struct_mol& mol);

// The pipeline on a freshly read structure, and its own stages. A run that
// writes the pairs alone gets what the pairs read; complete_preparation then
// adds the rest, for anything else that is asked of the structure.
void add_info_struct_mol(struct_mol& mol);
void complete_preparation(struct_mol& mol);
void populate_nt_info(struct_mol& mol);
void populate_aa_info(struct_mol& mol);
void populate_color_index(struct_mol& mol);
// The structure's JSON H-bond list: every H-bond with the waters setting on,
// else those without a water residue; the listing switches are left as found.
void populate_json_hbonds(struct_mol& mol);

}  // namespace vask
