// Isolated canonical pairs and the helix/stem cross-reference: the WC and
// wobble pairs that belong to no stem (numbered -1, -2, ... so that one
// signed index names a stem or an isolated pair), the stems each helix holds
// and the helices each stem lies in, coaxial stacks (helices holding more
// than one stem), the repair of helix strands a stem shows to be swapped,
// the per-nucleotide queries, and the two report sections.
#pragma once

#include <cstdio>
#include <vector>

#include "pairing/pair.hpp"
#include "secondary/helix.hpp"

namespace vask {

struct struct_mol;

// The isolated canonical pairs into the results (pair i with the smaller
// residue index first; both nucleotides marked -i).
void find_icpairs(struct_mol& mol, helix_slots& results);
// Cross-reference, strand repair, then the coaxial-stack flags.
void chk_xref_helix_stems(struct_mol& mol, helix_slots& results);
// Member lists of helices and stems, the mis-assignment and coaxial-stack counts.
void get_xref(helix_slots& results, const struct_mol& mol);
void check_helix_nts_order_along_chain(struct_mol& mol, helix_slots& results);
// Puts nucleotide nt of helix h (index hi) back on the strand its stem (si) shows.
void swap_paired_nts_order_in_helix(struct_mol& mol, long si, long hi, long nt, helix& h);
// Flags both nucleotides of each pair in which one has no backbone neighbour.
void check_ispair_linkage(long n, const std::vector<pair>& pairs, struct_mol& mol);

// Per-nucleotide queries; 0 when k is not a nucleotide.
long get_stem_idx(long k, const struct_mol& mol);
long get_helix_idx(long k, const struct_mol& mol);
long get_icpair_idx(long k, const struct_mol& mol);       // 0 or -i
long get_stem_icpair_idx(long k, const struct_mol& mol);  // the stem index, else the isolated-pair mark
long get_stem_nt(long k, const struct_mol& mol);
long get_cpair_nt(long k, const struct_mol& mol);
long get_bestpair_nt(long k, const struct_mol& mol);
long get_wcpair_nt(long k, const struct_mol& mol);
long get_stem_icpair_nt(long k, const struct_mol& mol);   // the stem partner, else the canonical partner
bool two_nts_matched_in_stem_icpair(long a, long b, const struct_mol& mol);
long share_stem(long a, long b, const struct_mol& mol);
long share_helix(long a, long b, const struct_mol& mol);

// Report sections of the main report: "List of %ld isolated WC/wobble
// pairs" and "List of %ld coaxial stacks" (text), or their JSON members.
void output_isolated_pairs(const struct_mol& mol, long n, const std::vector<pair>& pairs, FILE* fp);
// n coaxial stacks among helices[1..num_helices].
void output_coaxial_stacks(long n, long num_helices, const std::vector<helix>& helices, FILE* fp);

}  // namespace vask
