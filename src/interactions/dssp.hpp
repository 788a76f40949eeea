// Protein secondary structure by the DSSP method (W. Kabsch and C. Sander,
// Biopolymers 22 (1983) 2577-2637): electrostatic backbone H-bond energies,
// n-turns, bridges, ladders and sheets, helices G/H/I, turns, bends and
// chirality. assign_dssp() does the work on a prepared structure; run_dssp()
// adds the residue labels to the amino-acid records and writes the DSSP file
// (dssp_output.cpp) with the auxiliary-file switch on.
//
// Residues are numbered by their index in the structure (1-based); only
// amino acids take part; "linked" means the C(i)-N(i+1) peptide link.
#pragma once

#include <array>
#include <cfloat>
#include <string>
#include <vector>

#include "structure/struct_mol.hpp"
#include "support/vector3.hpp"

namespace vask {

inline constexpr long DSSP_HBOND_MAX = -500;  // 0.001 kcal/mol: an H-bond is below -499
inline constexpr long DSSP_TOO_CLOSE = -9999;  // energy of two atoms closer than 0.5 A

// One backbone H-bond of a residue: the partner residue (0 none) and its
// energy in 0.001 kcal/mol.
struct dssp_hbond {
  long partner = 0;
  long energy = 0;
};

// Columns of the 9-character residue label "S345BC12S".
enum dssp_column : int {
  DSSP_SUMMARY = 0,  // H B E G I T S or blank
  DSSP_TURN3 = 1,    // '>' start, '<' end, 'X' both, '3' inside
  DSSP_TURN4 = 2,
  DSSP_TURN5 = 3,
  DSSP_BEND = 4,     // 'S' or blank
  DSSP_CHIRAL = 5,   // '+', '-' or blank
  DSSP_BRIDGE1 = 6,  // ladder letters: upper case antiparallel, lower case parallel
  DSSP_BRIDGE2 = 7,
  DSSP_SHEET = 8,    // 'A' .. 'Z', then 'a'
};

// The per-residue record (slot per residue of the structure, 1-based).
struct dssp_rec {
  std::string name = "   ";  // residue name, 3 characters
  xyz H{0, DBL_MAX, DBL_MAX, DBL_MAX};  // amide hydrogen, Angstrom; DBL_MAX = none
  double phi = DBL_MAX, psi = DBL_MAX;  // degrees; DBL_MAX = unset
  double co_angle = DBL_MAX;   // between C->O of i-1 and of i, degrees
  double chirality = DBL_MAX;  // CA(i-1) CA(i) CA(i+1) CA(i+2) dihedral, degrees
  double bend = DBL_MAX;       // between CA(i)-CA(i-2) and CA(i+2)-CA(i), degrees
  std::string label = std::string(9, ' ');  // "S345BC12S", see dssp_column
  std::array<dssp_hbond, 2> acceptor{};  // O(i)-->H-N(partner): best, second best
  std::array<dssp_hbond, 2> donor{};     // N-H(i)-->O(partner): best, second best
  long L1 = 0, L2 = 0;                   // bridge partners (residue indices); 0 none
};

// A ladder: consecutive bridges of one type. Strand 1 runs first..last
// upwards; strand 2 upwards for a parallel ladder, downwards (first > last
// in bridge order) for an antiparallel one.
struct dssp_ladder {
  char label = ' ';        // ladder letter
  char sheet = ' ';        // sheet letter
  long sheet_number = 0;   // 1, 2, ... in order of the sheets' first ladders
  long type = 0;           // 1 parallel, 2 antiparallel
  long first1 = 0, last1 = 0;  // strand 1, residue indices
  long first2 = 0, last2 = 0;  // strand 2: partner of first1 and of last1
  std::vector<std::array<long, 2>> bridges;  // the bridge pairs (strand 1, strand 2) in order
  std::vector<char> members;  // 1 for the residues of either strand (index by residue)
  long next = 0;           // ladder joined after this one by a bulge; 0 none
  long joined_to = 0;      // ladder this one was joined to; 0 none
};

struct dssp_result {
  std::vector<dssp_rec> recs;        // 1..num_residues
  long num_ladders = 0;
  std::vector<dssp_ladder> ladders;  // 1..num_ladders
};

void init_one_dssp(dssp_rec& r);

// Residue j follows amino acid i along the chain: the structure's peptide
// link, or C(i)-N(j) within 2.5 A in the same chain (the method's own rule).
bool dssp_linked(long i, long j, const struct_mol& mol);

// H-bond energy O(i)...H-N(j) in 0.001 kcal/mol, from the amide hydrogens
// in recs; 0 when an atom or the hydrogen is missing.
long hb_energy(long i, long j, const struct_mol& mol, const std::vector<dssp_rec>& recs);

// The whole assignment on a prepared structure; nothing is written to the
// structure. An empty result (no records) when there are no amino acids.
void assign_dssp(const struct_mol& mol, dssp_result& out);

// assign_dssp, then the DSSP file (auxiliary-file switch on only), then each
// amino acid's label into its aa_info record (sstr); nothing for a
// structure without amino acids.
void run_dssp(struct_mol& mol);

// "<prefix>-dssp.txt": statistics, histograms and the residue table.
void output_dssp_to_file(const struct_mol& mol, const std::vector<dssp_rec>& recs,
                         long num_ladders, const std::vector<dssp_ladder>& ladders);

}  // namespace vask
