// Built-in nucleotide templates with a backbone, and the two G-tetrad
// templates, for building models from reference frames.
#pragma once

#include <span>
#include <vector>

#include "structure/atom.hpp"

namespace vask {

// Backbone types: 'A' C3'-endo DNA, 'B' C2'-endo DNA, 'R' C3'-endo RNA with
// O2', 'N' no backbone (C1' and the base). Letters A, C, G, P
// (pseudouridine), T, U, either case. Another type or letter ends the run
// with the assertion report.
std::span<const char* const> backbone_template_lines(char type, char letter);
// Atoms 1..n of the template in the base's standard frame; returns n.
long populate_one_backbone_frame(char type, char letter, std::vector<atom>& atoms);

// The planar G-tetrad around the z-axis, guanines 1-4 as residues 1-4 of
// chain A: positive or negative (mirror image, opposite polarity).
std::span<const char* const> gtetrad_template_lines(bool positive);
long populate_gtetrad_template(bool positive, std::vector<atom>& atoms);

}  // namespace vask
