// Principal-axis views: a structure turned onto the principal axes of its
// selected atoms (the smallest spread along z, the largest along y) and
// written as three views, "viewV" (looking down z), "viewH" and "viewT".
#pragma once

#include <string>

#include "support/settings.hpp"

namespace vask {

struct struct_mol;

// Writes "<prefix>-viewV.pdb", "-viewH.pdb" and "-viewT.pdb" (".cif" in
// mmCIF output) from the atoms selected by view_code (bits: 1 nucleotide
// atoms, 2 amino-acid atoms, 4 all atoms), copies the viewV file to file and
// writes the combined frame to the rotation-matrix file. With 2 or fewer
// atoms selected the structure is written unchanged to file. The atoms keep
// their coordinates.
void write_view_pmi_file(struct_mol& mol, const std::string& file, long view_code);

// One view: every atom expressed in f with its axes taken in the order i, j, k.
void output_one_view(const std::string& name, const frame& f, long i, long j, long k, struct_mol& mol);

}  // namespace vask
