// The stacking ensembles of the main report: each model two stacked layers
// (two multiplets, or two successive pairs of a helix) written in their
// middle frame, with PyMOL selections of the two layers in its remarks.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "secondary/helix.hpp"
#include "structure/bond.hpp"
#include "structure/struct_mol.hpp"

namespace vask {

// One model: layer 1, then layer 2, moved into frame f (PDB MODEL/REMARK or
// mmCIF "###" comment lines). Nothing without a stream.
void write_stacking_file(const connect& layer1, const connect& layer2, const frame& f,
                         struct_mol& mol, long model, const std::string& label, FILE* fp);

// "<prefix>-stackingMultiplets.pdb" (or .cif): every two stacked multiplets
// of multiplets[1..n]; with the stack-ensemble setting and auxiliary files.
void output_stackMultiplets_ensemble(struct_mol& mol, long n, const std::vector<connect>& multiplets);
// "<prefix>-stackingPairsPerHelix.pdb" (or .cif): every two successive pairs
// of helices[1..n]; with the stack-ensemble setting 9 and auxiliary files.
void output_stackHelices_ensemble(struct_mol& mol, long n, const std::vector<helix>& helices);

}  // namespace vask
