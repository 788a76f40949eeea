// RNA backbone suites: the sugar-to-sugar conformer class of each nucleotide.
//
// A suite runs from delta(i-1) to delta(i) through epsilon, zeta, alpha, beta
// and gamma. It is first put into one of 12 bins by its delta and gamma
// classes (or triaged), then matched against the 53 clusters of the 2008
// consensus set (Richardson et al., RNA 14:465-481, 2008) by a scaled
// distance over epsilon, zeta, alpha and beta, with the dominant/satellite
// rule deciding between close neighbours. This file works on plain records
// of seven dihedrals; reading the torsions of a structure is done elsewhere.
#pragma once

#include <array>
#include <cfloat>
#include <string>
#include <vector>

#include "structure/residue_info.hpp"
#include "structure/struct_mol.hpp"

namespace vask {

inline constexpr long num_suite_bins = 12;
inline constexpr long num_suite_clusters = 53;
inline constexpr long num_suite_dihedrals = 7;

// Bin names, 1-based (slot 0 empty).
inline constexpr const char* suite_bins[num_suite_bins + 1] = {
    "", "33 p", "33 t", "33 m", "32 p", "32 t", "32 m",
    "23 p", "23 t", "23 m", "22 p", "22 t", "22 m"};

void init_1suite(suite& s);                   // start values
double to360(double angle);                   // a negative angle + 360; DBL_MAX stays
void cat_triage(std::string& comment, const char* word);  // "triaged: w" or ", w" appended

// The 53 clusters, 1-based, in the published order (the row is the cluster index).
const std::vector<suite>& suite_cluster_table();

// Scaled distance of x to row c over dihedrals first..last (4D: 2..5, 7D: 1..7)
// with widths w[1..7] and the given power.
double suite_distance(const suite& x, const suite& c, const double* w, long first, long last,
                      double power);

// Bins or triages one suite whose dihedrals are set; clears valid on failure.
void get_suite_bin(suite& s, const std::vector<suite>& table);

// Matches one binned (valid) suite against the table, with the distance power
// and the wannabe switch of the settings.
void get_suite_membership(suite& s, const std::vector<suite>& table);

// get_suite_bin, then get_suite_membership when still valid.
void assign_suite(suite& s, const std::vector<suite>& table);

// One nucleotide of a chain, as the chain suite string sees it.
struct suite_chain_nt {
  char code = '?';          // one-letter code
  std::string cluster;      // its suite's cluster name ("" = none)
  bool broken = false;      // break mark: no O3'-P link to the next nucleotide
};

// Appends to out the chain string of nts[1..n]: each code followed by the suite
// joining it to the next ("..", "??" or the cluster name), in brackets when
// the settings name a suite delimiter; codes upper-cased when they ask for it.
void append_chain_suite_string(std::string& out, const std::vector<suite_chain_nt>& nts, long n);

// The suites of a structure: the seven dihedrals of every nucleotide (the
// first three from its O3'-P linked 5' neighbour), bins and triage, then
// get_membership, then the chain suite strings.
void populate_suite(struct_mol& mol);
// Cluster membership of every still-valid nucleotide suite.
void get_membership(struct_mol& mol);
// Appends every nucleotide chain's suite string to its chain record.
void get_chain_suite_strings(struct_mol& mol);

}  // namespace vask
