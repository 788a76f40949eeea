// i-motifs: two parallel duplexes of hemiprotonated C.C+ pairs (Saenger class
// XV) intercalated into each other, found as runs of such pairs inside the
// helices whose nucleotides fall into exactly four backbone strands; the
// strands paired into duplexes, the loops joining them, and the report
// (text or JSON) with its model file.
//
// Arrays are 1-based (slot 0 unused).
#pragma once

#include <array>
#include <cstdio>
#include <vector>

#include "pairing/pair.hpp"
#include "secondary/helix.hpp"
#include "structure/struct_mol.hpp"
#include "support/arrays.hpp"

namespace vask {

// One duplex of an i-motif: pair k joins the k-th nucleotides of its two strands.
struct imotif_duplex {
  long num_pairs = 0;
  std::array<long, 3> strands{};  // [1], [2]: strand numbers
  std::vector<pair> pairs{1};     // [1..num_pairs]
  std::vector<helixPars> step_pars{1};  // [1..num_pairs - 1]: step k from pair k to k + 1
};

struct imotif {
  long helix = 0;                   // the helix holding it
  std::vector<long> nts{0};         // [1..] every nucleotide of the run's pairs, ascending
  long num_strands = 0;             // 4
  std::array<segidx, 5> strands{};  // [s]: key = paired strand, start/end = positions in nts, count
  long num_loops = 0;               // 0..3
  std::array<std::array<long, 4>, 4> loops{};  // [l]: code (from x 10 + to), 5'-3' numbers of the
                                               // flanking nucleotides, residues between them
  imotif_duplex duplex1, duplex2;
};

inline constexpr double IMOTIF_OPENING_FLIP = -168.0;  // degrees: an Opening this low is turned about z

std::vector<imotif> allocate_imotifs_array(long n);  // n < 0: assertion
void free_imotifs(long n, std::vector<imotif>& arr);
long imotif_like_pairs(const pair& p);  // Saenger class 12, 14 or 15

// The i-motifs of the helices[1..num_helices] into list[1..count]; adds each
// run's pair count to its helix and marks the nucleotides.
void find_imotifs(struct_mol& mol, long num_helices, std::vector<helix>& helices, long& count,
                  std::vector<imotif>& list);
// Pairs the four strands of a record into two duplexes; returns how many were formed.
long assign_imotif_paired_strands(struct_mol& mol, imotif& m);
// The loop from strand a to strand b into loop (0 when none); returns 1 when found.
long per_imotif_loop(const struct_mol& mol, const imotif& m, long a, long b, std::array<long, 4>& loop);
void derive_imotif_strpars(struct_mol& mol, imotif_duplex& d, const imotif& m);

void output_imotifs(struct_mol& mol, long count, const std::vector<imotif>& list, FILE* fp);

}  // namespace vask
