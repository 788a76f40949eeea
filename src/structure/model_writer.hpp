// Writers of built models: strands of atoms made from templates, written as
// one helix, a parallel duplex, an anti-parallel duplex (strand 2 in reverse
// residue order) or any list of strands, each with the model header and the
// closing line.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "structure/atom.hpp"

namespace vask {

// A strand: its atoms in building order, 0-based.
using atom_strand = std::vector<atom>;

// Writes the strand's atoms with serials offset + 1, ...; elements and atomic
// numbers are standardised first. Returns the number written.
long write_atoms(FILE* fp, long offset, const atom_strand& strand);

// Strand 2 of an anti-parallel duplex in writing order: its residues (runs of
// equal residue number and chain) in blocks of n, the blocks from the last to
// the first, each block in its own order; residues renumbered 1, 2, ...
atom_strand reverse_strand2_nts(const atom_strand& strand, long n);

// The strands one after the other (serials continuing), between the model
// header and the closing line.
void output_strands(const std::string& file, const std::vector<atom_strand>& strands);
void output_single_helix(const std::string& file, const atom_strand& strand);
void output_parallel_duplex(const std::string& file, const atom_strand& s1, const atom_strand& s2);
void output_anti_parallel_duplex(const std::string& file, const atom_strand& s1, long n,
                                 const atom_strand& s2);

}  // namespace vask
