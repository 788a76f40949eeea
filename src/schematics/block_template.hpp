// Block templates: the flat boxes that stand for a base, a base pair, a
// G-tetrad, a peptide unit or a planar side chain in the schematics, as
// Alchemy models in the local coordinates of a reference frame (x towards the
// major-groove edge, y along the long axis, z along the normal); their
// placement through a frame into a growing model; and the JSON "refCoords"
// object of the main report.
#pragma once

#include <cstdio>
#include <string>

#include "schematics/alchemy.hpp"
#include "support/ref_frame.hpp"

namespace vask {

// One box placed in an Alchemy model: atoms offset + 1 .. offset + num_atoms;
// its first eight atoms are the corners.
struct block_box {
  long offset = 0;
  long num_atoms = 0;
  long residue = -1;   // the residue the box stands for (first nucleotide of a pair)
  long partner = -1;   // second nucleotide of a pair box; -1 otherwise
  long wc = 0;         // pair box: 1 Watson-Crick, 0 wobble
  frame f{};           // the frame the box was placed in
};

inline constexpr long BLOCK_CORNERS = 8;  // atoms 1..8 of a box template are its corners

// The template of a base ("R", "Y"), a Watson-Crick pair ("BP") or a G-tetrad
// ("G4"), matched case-insensitively in that order of search (G4, BP, R, Y);
// the equal-size, slim, depth, stand-alone and user-file settings apply. A
// name of more than two characters fails an assertion; any other name is fatal.
void read_base_block(const std::string& name, struct_alchemy& m);

// Appends template t (placed through frame f, or copied as is when f is null)
// to the filled part of target, growing it as needed; every appended atom
// gets value v. Returns the atom offset at which the block starts.
long fillout_alc_per_block(const struct_alchemy& t, const frame* f, double v,
                           struct_alchemy& target);

// The slab of one guanine of a G-tetrad (the "SIDE" or, full, the extended
// variant), in the guanine's base frame; block depth applied.
void read_g4_side_block(bool full, struct_alchemy& m);

// z of every atom set to -depth/2 below 0, else +depth/2; nothing for depth 0.
void apply_block_depth(struct_alchemy& m, double depth);

// The peptide-unit box and the box of a planar side chain by the residue's
// lower-case standard name ("arg", "asn", "asp", "gln", "glu", "his", "phe",
// "trp", "tyr"; any other fails an assertion); block depth applied.
void read_peptide_block(struct_alchemy& m);
void read_sidechain_block(const std::string& std_name, struct_alchemy& m);
bool has_sidechain_block(const std::string& std_name);

// The JSON object "refCoords" with the purine, pyrimidine and Watson-Crick
// pair templates, followed by a comma; nothing for a null stream.
void json_RY_WC_blocks(FILE* fp);

}  // namespace vask
