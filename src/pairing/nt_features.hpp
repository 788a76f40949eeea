// Per-nucleotide feature words (from the marks the finders leave on the
// residues and from the conformation), their report section and CSV file,
// the mean B-factors, and the JSON records of nucleotides and chains.
#pragma once

#include <cstdio>
#include <string>

#include "structure/struct_mol.hpp"

namespace vask {

// 1 when the C1'(i-1)-C1'(i)-C1'(i+1) angle is set and below the U-turn
// angle setting (10 degrees lower for DNA from 90 up).
long bb_reverse_direction(long i, const struct_mol& mol);

// Comma-separated feature words of nucleotide i in the form of the summary
// setting ("." placeholders with its bit 2, index columns with bit 4).
std::string collect_nt_features(long i, const struct_mol& mol);

// "Summary of structural features" (text output, summary setting on) and
// "<prefix>-summary.csv" (with placeholders or at verbosity 2 and above).
void assign_nt_features(const struct_mol& mol, FILE* fp);

void get_nt_b_factors(struct_mol& mol);

// Form code of the step that starts at nucleotide i.
char get_ntType(long i, const struct_mol& mol);

// "num_nts" and "nts"; nothing without nucleotides.
void json_ntPars(const struct_mol& mol, FILE* fp);
// "chains", one member per chain holding nucleotides.
void json_chain_bending_suite(const struct_mol& mol, FILE* fp);

}  // namespace vask
