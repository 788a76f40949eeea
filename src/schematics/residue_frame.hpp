// The frame option's task: the whole structure written in the reference
// frame of a chosen residue (base, phosphate, sugar, peptide, side chain,
// planar side chain or best pair), or in the middle step or helical frame of
// two residues, optionally turned to face a groove edge.
#pragma once

#include <string>

#include "support/settings.hpp"

namespace vask {

struct struct_mol;

// The frame named by spec: the one matching nucleotide or amino acid (none or
// two are fatal) and its frame of the asked type; a best pair without a
// partner falls back to the base frame. Returns the matched residue.
long get_matched_frame(struct_mol& mol, const frame_spec& spec, frame& f);

// The frame of the frame option (the view applied), written to the
// rotation-matrix file; the structure is written to file in that frame.
void reset_coords_by_frame(struct_mol& mol, const std::string& file);

}  // namespace vask
