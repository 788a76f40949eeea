// Block schematics: a structure drawn as a Raster3D scene in which every
// nucleotide is a coloured box (Watson-Crick and wobble pairs optionally as
// one box), with filled base rings, sugar-pucker marks, reference frames,
// peptide and planar side-chain boxes and dashed H-bonds as the block-file
// switches of the settings ask.
//
// Every box keeps its own offset and atom count in the model it was placed
// in, so templates of any size (user block files) can be drawn side by side.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "schematics/alchemy.hpp"
#include "schematics/block_template.hpp"
#include "support/ref_frame.hpp"

namespace vask {

struct struct_mol;

// One box: its six faces as triangles and/or its edges as cylinders, as the
// face and edge switches ask; side 1 for pair boxes and tetrads, 0 for
// single bases, -1 for tetrad side slabs.
void draw_blocks(long offset, int slot, const struct_alchemy& model, const frame& f, int side,
                 FILE* fp);

// "<prefix>-G4modelBBLkg.pdb": with the G4 side-slab switches, a structure
// that is itself an idealized G-quadruplex model (four backbone-less chains
// of flat G-tetrads, as the rebuild sub-command makes) gets the C1' atoms of
// its chains joined by CONECT records there, every line 80 columns wide.
std::string g4_trace_file_name();

// The nucleotide part of a block scene; true when it wrote the G4 trace file
// for this structure.
bool write_nucleic_acid_blocks(struct_mol& mol, FILE* fp);

// The whole block scene written to file; true as above.
bool write_block_file(struct_mol& mol, const std::string& file);

}  // namespace vask
