// Pair networks: the connected groups of three or more nucleotides joined by
// base pairs that count as edges, and what the later motif finders share with
// them: the edge rules, the measures of two residues kept once per structure,
// the sort orders of connect sets, the unbounded network closure, the
// planarity of a set of bases and the model file of a list of sets.
//
// Sets are connect records (structure/bond.hpp) held in 1-based arrays (slot 0
// unused); a set's spare slot (owner()) carries a flag where a finder needs one.
#pragma once

#include <cstdio>
#include <unordered_map>
#include <vector>

#include "pairing/pair.hpp"
#include "structure/bond.hpp"
#include "structure/struct_mol.hpp"

namespace vask {

// H-bonds of two residues in the counts of the multiplet layer score.
struct hbond_counts {
  long all = 0;          // every accepted H-bond
  long window = 0;       // length within [H-bond lower limit, sum of van der Waals radii + 0.16]
  long base_window = 0;  // base-to-base ones within that window
  long base = 0;         // every base-to-base one
};

// Measures of two residues asked for again and again by the motif finders of
// one structure, each computed once: the buried solvent-accessible area of
// the two bases (the costly one), the outer overlap of their polygons, the
// H-bond counts and the pair record of two nucleotides described afresh.
// Created where a structure's analysis starts; bound to that structure.
class motif_measures {
 public:
  explicit motif_measures(struct_mol& mol) : mol_(mol) {}
  double base_area(long i, long j);      // get_delta_base2base_area, square Angstrom
  void set_base_area(long i, long j, double area);  // a value known already (tests use it)
  double outer_overlap(long i, long j);  // get_outer_overlap_area_byResNum, square Angstrom
  const hbond_counts& hbonds(long i, long j);
  const pair& base_pair(long i, long j);  // populate_one_base_pair(i, j)
  long area_computations() const { return static_cast<long>(area_.size()); }
  struct_mol& mol() const { return mol_; }

 private:
  struct_mol& mol_;
  std::unordered_map<unsigned long long, double> area_, overlap_;
  std::unordered_map<unsigned long long, hbond_counts> hbonds_;
  std::unordered_map<unsigned long long, pair> pairs_;  // keyed in the order asked
};

// Root-mean-square distance of the base atoms of the set's nucleotides (C1'
// too where the glycosidic bond is C1'-N) from their least-squares plane; 0
// for exactly 3 atoms, -1.0 for fewer.
double nts_list_planarity(const connect& set, const struct_mol& mol);

// Sort orders: fewer members first, then member by member (cnt_compare); member
// by member over the first set, then the shorter first (cntOrder_compare).
// -1, 0 or 1; equal sets compare 0 and keep their order in sort_connects.
int cnt_compare(const connect& a, const connect& b);
int cntOrder_compare(const connect& a, const connect& b);
void sort_connects(long n, std::vector<connect>& sets);  // sets[1..n] by cnt_compare, stable

// The networks of per-item partner sets[1..n] without the 128-member bound:
// lists[i] (slot 0 the count, then the members ascending) for the smallest
// member i of each network of at least min_size items; every other list has
// count 0. The sets are left untouched.
void tidyup_general_network(long min_size, long n, const std::vector<connect>& sets,
                            std::vector<std::vector<long>>& lists);

// The edge rules of a pair: status 0 and canonical, an H-bond within contact
// distance, a best pair with two or more base-to-base H-bonds, or (with
// enough buried base area) a moderate base-to-base H-bond or a flat pair.
bool is_network_edge(const pair& p, motif_measures& measures);
// sets[1..num_residues] become the networks (3 or more members, each at its
// smallest member, sorted) of the edges among pairs[1..num_pairs].
// The same networks numbered compactly: ids[1..m] the residues of the edges
// ascending, sets[1..m] the networks (members are residue numbers) each at
// the rank of its smallest member; returns m.
long edge_networks(long num_pairs, const std::vector<pair>& pairs, motif_measures& measures,
                   std::vector<long>& ids, std::vector<connect>& sets);
void convert_pairs2connects(long num_pairs, const std::vector<pair>& pairs, motif_measures& measures,
                            std::vector<connect>& sets);

// The pair networks of a structure into networks[1..count]: smallest first,
// each set's value its planarity; with the pair-network switch the total goes
// to the run log.
void find_pairNetworks(long num_pairs, const std::vector<pair>& pairs, motif_measures& measures,
                       long& count, std::vector<connect>& networks);

// One model per set into "<prefix>-<suffix>.pdb" (or .cif), each in the mean
// frame of its bases; an asterisk marks sets whose flag is 0.
void write_multiplets_pdb(long n, const std::vector<connect>& sets, const char* suffix,
                          struct_mol& mol);
// The same for any list of sets; flagged: mark the sets of flag 0.
void write_sets_pdb(long n, const std::vector<connect>& sets, const char* suffix, bool flagged,
                    struct_mol& mol);
// A report section: "List of N <noun>s", then "%4ld nts=%ld%s %s" lines of
// sets[1..n] with their planarity at verbosity 1; flagged: an asterisk for
// sets of flag 0.
void show_nts_sets(const char* noun, long n, const std::vector<connect>& sets, bool flagged,
                   const struct_mol& mol, FILE* fp);
void show_pairNetworks_nts(long n, const std::vector<connect>& networks, const struct_mol& mol,
                           FILE* fp);
// At verbosity 1, the number of sets and the largest one to the program log.
void log_sets_summary(long n, const std::vector<connect>& sets, const char* noun);
// The model file "<prefix>-<key>.pdb", then the JSON array key (with each
// set's planarity) or the text section of <noun>s.
void output_sets_info(struct_mol& mol, long n, const std::vector<connect>& sets, const char* key,
                      const char* noun, bool flagged, FILE* fp);
// File, JSON or text of the pair networks; nothing unless the switch is on.
void output_pairNetworks_info(struct_mol& mol, long n, const std::vector<connect>& networks,
                              FILE* fp);

}  // namespace vask
