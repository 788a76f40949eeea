// Helices and stems: the helix record, the pair-linkage table that chains
// stacked base pairs, the strand ordering and trimming of a chain of pairs,
// the helix and stem searches of one structure, the step codes of each
// helix (strand letters, bp-type marks and step forms) and the helix and
// stem writers (text, JSON and the coordinate ensembles).
//
// A helix is an ordered run of stacked best pairs of any kind; a stem is a
// helix of canonical pairs whose strands are continuous along the backbone.
// Arrays of helices and strands are 1-based (slot 0 unused). In a parallel
// helix pair k is (strand1[k], strand2[k]); in an anti-parallel one it is
// (strand1[k], strand2[n + 1 - k]); pair record k always has strand1[k] as
// its first nucleotide.
#pragma once

#include <array>
#include <cstdio>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "pairing/pair.hpp"
#include "structure/bond.hpp"
#include "structure/chain.hpp"
#include "support/bp_step_params.hpp"
#include "support/vector3.hpp"

namespace vask {

struct struct_mol;

// Geometry of one step of a helix: step k joins pair k to pair k + 1 (in a
// circular helix step n joins pair n to pair 1). Every value starts unset
// (DBL_MAX).
struct helixPars {
  long bp1_reversed = 0;  // 1: pair k's frame turned over (y and z) to follow the helix
  long bp2_reversed = 0;  // the same for pair k + 1
  par_set step_params = unset_par_set();  // after the direction check
  par_set heli_params = unset_par_set();
  par_set step_params0 = unset_par_set();  // the pair frames as they are (after the Z-step flip)
  par_set heli_params0 = unset_par_set();
  par_set simple_step_params = unset_par_set();  // C1'-based frames
  par_set simple_heli_params = unset_par_set();
  xyz XYZ_phos{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};   // phosphorus in the mid-step frame
  xyz XYZh_phos{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};  // and in the mid-helical frame
  long step_class = 0;         // 0 unclassified, 1 A, 2 B, 3 TA, 4 other
  double AB_index = DBL_MAX;
  // 1..4: minor groove P-P, minor refined, major P-P, major refined (Angstrom)
  std::array<double, 5> groove_widths{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};
};
std::vector<helixPars> allocate_helixPars_array(long n);  // records 0..n, all unset

// One helix or one stem.
struct helix {
  long num_pairs = 0;             // n; a found helix or stem has n >= 2
  long num_hbonds = 0;            // sum of the pairs' H-bond counts
  long same_chain = 0;            // every nucleotide on the model and chain of strand1[1]
  long overlap = 0;               // two consecutive pairs with origins closer than 1.2 A
  long parallel = 0;              // parallel strands (also 1 with overlapping pairs)
  long breaks = 0;                // breaks1 + breaks2
  long circular = 0;              // the last pair stacks on the first
  long disorder1 = 0, breaks1 = 0;  // strand 1: backward steps, steps without a 5'-3' link
  long disorder2 = 0, breaks2 = 0;  // the same for strand 2
  std::vector<long> strand1;      // 1..n residue indices
  std::vector<long> strand2;      // 1..n residue indices
  long num_imotif_pairs = 0;      // written by the i-motif finder
  std::vector<pair> pairs;        // 1..n, pair k holding strand1[k] as nt1
  connect stems;                  // a helix: its stems along strand 1; a stem: the helices holding it
  // Step codes, rows 1..4 (row 0 unused): strand-1 letters, strand-2 letters
  // (in pair order), bp-type marks ('|' canonical, '.' other) and the n - 1
  // step forms ('A', 'B', 'Z', '.', or 'x' without a continuous backbone).
  // Empty until derived.
  std::array<std::string, 5> codes{};
  std::vector<helixPars> step_pars;  // 1..n; empty until derived
  // Global axis, rise and radius (with the number of P atoms behind it);
  // unset without enough step vectors.
  helixVec axis;
  long num_radius_P = 0;
  std::string irregular;  // " *" when the rise is too small or the helix curved
};

// Memo of one structure's helix and stem searches, created where they start
// and dropped after them: the overlap areas of nucleotide pairs and the pair
// records that linkage, ordering and joining ask for many times over. Every
// routine below that takes one also works without (null).
struct helix_memo {
  std::unordered_map<long, double> overlap;  // key min(a, b) * (residues + 1) + max(a, b)
  std::unordered_map<long, pair> pairs;      // key a * (residues + 1) + b: the pair (a, b) filled
  std::unordered_map<long, char> MpN;        // the same key: check_MpN (a, b)
  std::unordered_map<long, char> steps;      // the same key: nts_i2j_dist (a, b, 3)
  bool seeded = false;                       // pairs holds the structure's own records
};
// get_outer_overlap_area_byResNum (a, b), remembered.
double memo_overlap(long a, long b, const struct_mol& mol, helix_memo* memo);
// The pair (a, b) as populate_one_base_pair fills it, remembered; with a seeded
// memo, the structure's own record when it has a and b in this order.
void memo_pair(long a, long b, struct_mol& mol, helix_memo* memo, pair& out);
// Seeds the memo with the structure's pairs[1..n] (once).
void seed_helix_memo(helix_memo& memo, long n, const std::vector<pair>& pairs, const struct_mol& mol);
bool memo_MpN(long i, long j, const struct_mol& mol, helix_memo* memo);

// The slots of one structure's results container that the helix and stem
// stages read and fill; the container lives in a layer above and hands them
// over by reference.
struct helix_slots {
  long& num_pairs;
  std::vector<pair>& pairs;
  long& num_helices;
  std::vector<helix>& helices;
  long& num_stems;
  std::vector<helix>& stems;
  long& num_isolated_pairs;
  std::vector<pair>& isolated_pairs;  // 1-based
  long& num_coaxial_stacks;           // helices holding more than one stem
  long& num_misassigned;              // helix/stem mis-assignments
  std::string& notes;                 // "   o ..." lines for the special notes
};

inline constexpr long HELIX_MAX_STEMS = 128;  // stems recorded per helix
inline constexpr long OVERLAP_UNKNOWN = -1;   // overlap flag of set_helix_type: find it

// ---------------------------------------------------------------------------
// Record (helix.cpp)

void init_one_helix(helix& h);
std::vector<helix> allocate_helices_array(long n);  // records 1..n initialised
void copy_one_helix(const helix& src, helix& dst);
// Counts, flags, strands and pairs; stems and step codes of dst are kept.
void copy_one_helix_nopars(const helix& src, helix& dst);
void free_one_helix(helix& h);
void free_helices(long n, std::vector<helix>& helices);

bool is_anti_parallel(const helix& h);  // neither overlapping pairs nor parallel
// Exactly one helix (n = 1), and it is anti-parallel.
bool with_one_valid_helix(long n, const std::vector<helix>& helices);
int helix_compare(const helix& a, const helix& b);  // by strand1[1], ascending
// "bps=%ld" with its parallel and i-motif notes (more at verbosity 2).
std::string set_helix_markers(const helix& h, const struct_mol& mol);
// Sets the helix (stem = false) or stem index and partner of nt unless one is
// already set, which is then kept.
void mark_nt_in_helix(bool stem, long index, long nt, long partner, struct_mol& mol);
// The nucleotides of pairs first..last, two per pair, into a 1-based list.
std::vector<long> collect_helix_nts(long first, long last, const helix& h, long& count);

// ---------------------------------------------------------------------------
// Pair-linkage table (helix.cpp). One connect per candidate pair; its count
// is the link state (0 unlinked, 1 an end, 2 a middle) and members 1 and 2
// are indices into the working pair list. Any other state is an assertion.

void set_lkg_none(connect& c);
void set_lkg_end(connect& c, long a);
void set_lkg_middle(connect& c, long a, long b);
// Drop links to unlinked pairs, until nothing changes.
void tidyup_isolated_linkage(long n, std::vector<connect>& lkg);
// Keep only mutual links, until nothing changes.
void tidyup_middle_linkage(long n, std::vector<connect>& lkg);
void tidyup_linkage(long n, std::vector<connect>& lkg);  // isolated, middle, isolated
// Removes chain[1..m] from the table and marks them used.
void mask_linkage(long m, const std::vector<long>& chain, std::vector<long>& used, long n,
                  std::vector<connect>& lkg);
// The pairs of a linkage table that may be chain ends (every pair linked on
// one side is among them), in ascending order, and whether the table may
// still be one closed ring: with it, check_linkage looks at these alone
// instead of the whole table, and finding every chain takes linear time.
struct linkage_ends {
  std::set<long> maybe;
  bool ring = false;
};
linkage_ends find_linkage_ends(long n, const std::vector<connect>& lkg);
// The same for a table whose links are all mutual (as get_bp_linkage leaves
// it, and masking keeps it): in time of the chain and its partners. The
// partners left as ends join ends when it is given.
void mask_mutual_linkage(long m, const std::vector<long>& chain, std::vector<long>& used,
                         std::vector<connect>& lkg, linkage_ends* ends = nullptr);
// The next chain of linked pairs into chain[1..count]; done = true when no end is left.
void check_linkage(long n, const std::vector<connect>& lkg, std::vector<long>& chain, long& count,
                   bool& done, linkage_ends* ends = nullptr);
bool done_with_collections(long n, const std::vector<long>& used);

// ---------------------------------------------------------------------------
// Chaining pairs (helix_link.cpp)

// Fills the linkage table of pairs[1..n]: each pair linked to the pairs
// stacked directly above and below it, every link mutual.
void get_bp_linkage(long n, const std::vector<pair>& pairs, const struct_mol& mol,
                    std::vector<connect>& lkg, helix_memo* memo = nullptr);
// Q can follow P in a helix.
bool is_bps_helix_like(const pair& P, const pair& Q, const struct_mol& mol, helix_memo* memo = nullptr);
// A backbone path of exactly k links between the two pairs whose inner
// nucleotides are unpaired and stacked.
bool bps_stacked_via_nts(long k, const pair& P, const pair& Q, const struct_mol& mol);
// Backbone steps between the nucleotides of two pairs P and Q, for the
// combinations (P1, Q1), (P1, Q2), (P2, Q1), (P2, Q2) in this order, as
// nts_i2j_dist with limit 3 gives them (0: farther, or not on one chain).
// "Linked within k" and "one link apart" (k = 1) mean what nts_i2j_dist with
// limit k answers, which counts one step past its limit.
struct pair_steps {
  std::array<long, 4> steps{};
  bool within(long k) const;  // k = 1..3
  bool first_one() const { return one(steps[0]) || one(steps[1]); }   // P1 one link from Q1 or Q2
  bool second_one() const { return one(steps[2]) || one(steps[3]); }  // P2 one link from Q1 or Q2
  static bool one(long s) { return s >= 1 && s <= 2; }
};
pair_steps get_pair_steps(const pair& P, const pair& Q, const struct_mol& mol, helix_memo* memo = nullptr);
// nts_i2j_dist (a, b, k) for any two residues (0 unless both are nucleotides).
long nt_steps_within(long a, long b, long k, const struct_mol& mol);
// Sum of the four nucleotide-to-nucleotide outer overlap areas of two pairs.
double pairs_overlap(const pair& P, const pair& Q, const struct_mol& mol, helix_memo* memo = nullptr);
// Some combination of the two pairs' nucleotides lies 1..k backbone links apart.
bool pairs_linked_within(const pair& P, const pair& Q, long k, const struct_mol& mol);

// ---------------------------------------------------------------------------
// Strand order and trimming (helix_strand.cpp)

// Orients, cuts, trims and orders the chain of pairs chain[1..num] (indices
// into pairs) into strands s1, s2 (1-based); returns the length kept.
long order_helix_nts(long num, std::vector<long>& chain, struct_mol& mol,
                     const std::vector<pair>& pairs, std::vector<long>& s1, std::vector<long>& s2,
                     long& overlap, helix_memo* memo = nullptr);
// 1 for parallel strands, 0 for anti-parallel, read from the best-pair marks;
// inconsistent marks (a nucleotide in two pairs of a user list) are decided
// by the majority of the four end tests, anti-parallel on a tie.
long is_parallel(long L, const std::vector<long>& s1, const std::vector<long>& s2,
                 const struct_mol& mol);
// Length of the leading part with a continuous backbone on both strands.
long check_stem_linkage(long L, std::vector<long>& chain, const struct_mol& mol, std::vector<long>& s1,
                        std::vector<long>& s2, long overlap);
void set_helix_type(helix& h, struct_mol& mol, long overlap, helix_memo* memo = nullptr);
bool circular_helix(long n, const std::vector<long>& s1, struct_mol& mol, helix_memo* memo = nullptr);
void process_helix(long index, std::vector<helix>& helices, long L, const std::vector<long>& s1,
                   const std::vector<long>& s2, struct_mol& mol, long overlap, helix_memo* memo = nullptr);
bool check_MpN(long i, long j, const struct_mol& mol);

// ---------------------------------------------------------------------------
// Helices and stems of a structure (helix_find.cpp)

// Helices (or the pair list as one helix), stems, isolated canonical pairs
// and the helix/stem cross-reference.
void do_helices_stems_icpairs_xref(struct_mol& mol, helix_slots& results);
void find_helices(struct_mol& mol, helix_slots& results, helix_memo* memo = nullptr);
void find_stems(struct_mol& mol, helix_slots& results, helix_memo* memo = nullptr);
// Coaxial joining: helices stacked end to end become one.
void join_stacked_helices(struct_mol& mol, long& count, std::vector<helix>& helices,
                          helix_memo* memo = nullptr);
bool two_helices_can_be_joined(const helix& A, const helix& B, const struct_mol& mol,
                               helix_memo* memo = nullptr);
// pairs[1..n] as one helix (a 1-record array); empty (count 0) when they
// cannot form one: fewer than 2 pairs, or a nucleotide in two pairs.
std::vector<helix> take_input_pairs_list_as_one_helix(struct_mol& mol, long n,
                                                      const std::vector<pair>& pairs, long& count);

// ---------------------------------------------------------------------------
// Step codes (helix_codes.cpp)

// Strand letters, bp-type marks and step forms of one helix.
void derive_one_helix_codes(helix& h, const struct_mol& mol);

// ---------------------------------------------------------------------------
// Geometry (helix_geometry.cpp)

// Step codes, per-step parameters and groove widths of helices[1..n].
void derive_helix_parameters(long n, std::vector<helix>& helices, const struct_mol& mol);
void derive_one_helix_parameters(helix& h, const struct_mol& mol);
// Global axis, rise, radius, end points and irregularity mark of helices[1..n].
void derive_global_helix(long n, std::vector<helix>& helices, const struct_mol& mol);
void derive_one_global_helix(helix& h, const struct_mol& mol);
// Parameter fields of the step from pair p1 to pair p2.
void calculate_helix_pars(const pair& p1, const pair& p2, const struct_mol& mol, helixPars& hp);
// XYZ_phos, XYZh_phos, step_class and AB_index of the step.
void calculate_Zp_ABindex(const pair& p1, const pair& p2, const struct_mol& mol, helixPars& hp);
// Groove widths of steps 1..n-1 (rows of the result, columns 1..4; unset where
// not computable) from P[1][k] (P of strand-1 nucleotide k) and P[2][k] (P of
// its partner), k = 1..n; -1 for a missing atom.
using groove_table = std::vector<std::array<double, 5>>;
groove_table get_groove_widths(long n, const std::array<std::vector<long>, 3>& P, const struct_mol& mol);

// ---------------------------------------------------------------------------
// Output (helix_output.cpp). Nothing is written to a null stream.

// kind "helix" or "stem": the text section, or the JSON members in JSON mode.
void show_helix_nts(const char* kind, long n, const std::vector<helix>& helices,
                    const struct_mol& mol, FILE* fp);
void show_one_helix_nts(const char* kind, long i, const helix& h, const struct_mol& mol, FILE* fp);
void json_helices(const char* kind, long n, const std::vector<helix>& helices, const struct_mol& mol,
                  FILE* fp);
// The global rise, radius, axis and end points of a helix (text).
void output_global_helix(const helix& h, FILE* fp);
// Pair k of pairs[1..n] and, with verbosity above 0 and k < n, the
// parameters of step k from steps (text, or one JSON object).
void output_strpars(long k, long n, const std::vector<pair>& pairs, const std::vector<helixPars>& steps,
                    const struct_mol& mol, FILE* fp);
void json_strpars(long k, long n, const std::vector<pair>& pairs, const std::vector<helixPars>& steps,
                  const struct_mol& mol, FILE* fp);
// The ensemble file of helices[1..n], one model per helix.
void write_helices_pdb(long n, const std::vector<helix>& helices, struct_mol& mol,
                       const std::string& file);
// "<prefix>-helices.pdb" / "<prefix>-stems.pdb" (".cif" in mmCIF output),
// when auxiliary files are on and n > 0.
void output_helices_pdb(struct_mol& mol, long n, const std::vector<helix>& helices);
void output_stems_pdb(struct_mol& mol, long n, const std::vector<helix>& stems);
// "<prefix>-helicalAxes.pdb": the axis end points of the helices (bit 1 of
// the helical-axis setting) and stems (bit 2), two linked atoms each.
void output_helical_axes(const struct_mol& mol, long num_helices, const std::vector<helix>& helices,
                         long num_stems, const std::vector<helix>& stems);

}  // namespace vask
