// A-minor motifs: a nucleotide (an adenosine by default) whose base lies in
// the minor groove of a Watson-Crick-like pair, side by side with it. Types I
// and II are the close, H-bonded forms told apart by the sign of Shear; type
// X (extended) is a looser placement found for nucleotides left over. Also
// the IUPAC letter sets shared with the U-turn finder.
#pragma once

#include <array>
#include <cstdio>
#include <vector>

#include "pairing/pair.hpp"
#include "structure/struct_mol.hpp"

namespace vask {

// A-minor motif types as stored in a motif's value.
inline constexpr long AMINOR_X = 0, AMINOR_I = 1, AMINOR_II = 2;
inline constexpr const char* Aminor_typeStr[] = {"X", "I", "II"};

// Flags by letter 'A'..'Z' (index letter - 'A').
using iupac_set = std::array<char, 26>;

// The letters a one-letter nucleotide or IUPAC code stands for (P counting
// with U and T); a character that is no such code ends the run.
void set_IUPAC_nts(char letter, iupac_set& table);
bool in_IUPAC_set(char code, const iupac_set& table);  // code upper-cased

// Proper or either-way H-bonds of nucleotides a and b within cutoff.
long good_hbonds_2nts(long a, long b, const struct_mol& mol, double cutoff);

// Motifs into list[1..count]: each a set {A, nt1, nt2} of the A nucleotide
// and its receptor pair, the pair's index as the set's owner and the type as
// its value; sorted by cnt_compare. Sets the residues' A-minor links.
void find_Aminors(struct_mol& mol, long num_pairs, const std::vector<pair>& pairs, long& count,
                  std::vector<connect>& list);

// The model file "Aminors", then JSON "Aminors" or the report section.
void output_Aminors_info_pdb(struct_mol& mol, long num_pairs, const std::vector<pair>& pairs, long n,
                             const std::vector<connect>& list, FILE* fp);

}  // namespace vask
