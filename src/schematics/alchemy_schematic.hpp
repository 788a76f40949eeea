// Alchemy schematics of a structure (the --alcfile task): atoms and covalent
// bonds, the global axes, base reference frames as axis sticks, a 3 x 3 grid
// per base plane, pair boxes, pair-to-pair connections and base boxes, each
// left behind as its own prefix-named .alc file and joined into one model
// written as .alc text or as an MDL molfile.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "motifs/gtetrad.hpp"
#include "schematics/alchemy.hpp"
#include "schematics/block_template.hpp"
#include "support/ref_frame.hpp"
#include "support/vector3.hpp"

namespace vask {

struct struct_mol;
struct pair;

// Origin and axis length of the pair-to-pair connections (Angstrom).
inline constexpr double PAIR_CONNECTION_CUTOFF = 4.5;

// The nine grid points P1..P9 spanning a frame's base plane (1-based).
void derive_frame_pseudo_atoms(const frame& f, std::array<xyz, 10>& pts);

// Four atom lines (serials offset + 1 .. offset + 4): the origin and the tips
// of the x, y and z axes (types C, C, N, O; all C with the carbon switch).
void write_frame_atoms_in_alchemy(long offset, const frame& f, FILE* fp);

// Appends one "BP" box per Watson-Crick pair (with canonical also wobble
// pairs) of pairs[1..n] and marks both nucleotides in drawn (by residue);
// with boxes, each placed box is recorded there too.
// One "G4" square per tetrad of tetrads[1..n] in the tetrad's frame (value:
// the residue number of its first guanine); its four guanines marked drawn.
void get_Gtetrad_blocks(const struct_mol& mol, long n, const std::vector<gtetrad>& tetrads,
                        struct_alchemy& target, std::vector<char>& drawn, std::vector<block_box>* boxes = nullptr);
void get_pair_blocks(bool canonical, const struct_mol& mol, long n, const std::vector<pair>& pairs,
                     struct_alchemy& target, std::vector<char>& drawn,
                     std::vector<block_box>* boxes = nullptr);

// Appends one purine or pyrimidine box for every nucleotide with a base frame
// that is not drawn yet, in 5'-to-3' order (recorded in boxes when given).
void append_base_blocks(const struct_mol& mol, const std::vector<char>& drawn, struct_alchemy& target,
                        std::vector<block_box>* boxes = nullptr);

// "<prefix>-blocks.alc" with one box per nucleotide not drawn yet, appended
// to alc_file.
void pdb2alc_base_blocks(const struct_mol& mol, const std::string& alc_file,
                         const std::vector<char>& drawn);

// The whole task: every selected piece, then the joined model to out_file.
void write_pdb2alc_file(struct_mol& mol, const std::string& out_file);

}  // namespace vask
