// Writers of built models: strands of atoms made from templates, written as
// one helix, a parallel duplex or an anti-parallel duplex (strand 2 in reverse
// residue order), each with the model header and the closing line.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "structure/atom.hpp"

namespace vask {

// A strand: its atoms in building order, 0-based.
using atom_strand = std::vector<atom>;

// Writes the strand's atoms in the given order (positions into the strand,
// 0-based; empty: building order) with serials offset + 1, ...; elements and
// atomic numbers are standardised first. Returns the number written.
long write_atoms(FILE* fp, long offset, const std::vector<long>& order, const atom_strand& strand);

// The atom order of strand 2 of an anti-parallel duplex: runs of equal
// residue number taken in blocks of n residues from the last block to the
// first; the residues are renumbered 1, 2, ... in that order (in the strand).
std::vector<long> reverse_strand2_nts(long n, atom_strand& strand);

void output_single_helix(const std::string& file, const atom_strand& strand);
void output_parallel_duplex(const std::string& file, const atom_strand& s1, const atom_strand& s2);
void output_anti_parallel_duplex(const std::string& file, const atom_strand& s1, long n,
                                 atom_strand& s2);

}  // namespace vask
