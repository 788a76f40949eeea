// Dinucleotide steps between successive framed nucleotides: their
// single-strand measures and step (or helical) parameters, the steps whose
// bases splay apart, and the units such steps form when they share
// nucleotides.
#pragma once

#include <cstdio>
#include <vector>

#include "structure/residue_info.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/ref_frame.hpp"

namespace vask {

// Reverses the y and z axes of either frame whose z axis points against the
// vector from the first origin to the second.
void check_frames_direction(frame& f1, frame& f2);

// The six step (or, with the helical single-strand setting, helical)
// parameters of f2 relative to f1.
void get_ss_base_pars(const frame& f1, const frame& f2, par_set& pars);

// Every step into ss_pars[1..num_ss_pars] (and the nucleotides' own copies),
// the splayed flags and counts, and the merged units; nothing with the
// single-strand setting off. Sets the dinucleotide-measures flag.
void find_ssPars(struct_mol& mol, long& num_ss_pars, std::vector<ss_par>& ss_pars,
                 long& num_units, std::vector<connect>& units);

// The splayed list and unit summary (text) or "splayUnits" (JSON), and the
// units' coordinate file.
void output_splays(struct_mol& mol, long num_ss_pars, const std::vector<ss_par>& ss_pars,
                   long num_units, const std::vector<connect>& units, FILE* fp);
void output_splayUnits(const struct_mol& mol, long num_units, const std::vector<connect>& units,
                       FILE* fp);
void write_splayUnits_pdb(struct_mol& mol, long num_units, const std::vector<connect>& units);
void output_one_splayed_NpN(long serial, const ss_par& s, const struct_mol& mol, FILE* fp);

}  // namespace vask
