// Chains: residues of one model sharing a chain id, their classification
// (DNA, RNA, hybrid, protein, unknown), sequence, breaks, circularity, rise
// along the chain and radius of gyration; the chain summaries of the report
// header; the chain option reader.
#pragma once

#include <array>
#include <cfloat>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "support/settings.hpp"
#include "support/vector3.hpp"

namespace vask {

struct struct_mol;

// Average rise and axis of a run of nucleotides or of a helix; unset values
// are DBL_MAX.
struct helixVec {
  double rise = DBL_MAX;      // Angstrom
  double rise_std = DBL_MAX;  // its standard deviation
  xyz axis_start{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};  // 1-based point
  xyz axis_end{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};
  xyz axis{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};        // unit vector
  double radius = DBL_MAX;      // mean P distance from the axis (helices only), Angstrom
  double radius_std = DBL_MAX;  // its standard deviation
};

struct chain {
  long model = 0;
  std::string segid = "    ";
  std::string chain_id = " ";  // up to 4 characters
  std::string key;             // the residues' model-and-chain key
  std::string type;            // "DNA", "RNA", "Protein", "unknown" or a hybrid form
  long circular = 0;           // every residue of a nucleic-acid chain linked on both sides
  long num_dna = 0, num_rna = 0;
  long num_hybrid = 0;         // num_dna + num_rna when both are non-zero
  long num_nts = 0;
  long num_aas = 0;
  long empty = 0;              // neither nucleotides nor amino acids
  long num_breaks = 0;
  long num_disorder = 0;
  long num_residues = 0;
  std::vector<long> residues;  // 1..num_residues, index order
  std::string sequence;        // one-letter codes of residues
  long num_chain_nts = 0;
  std::vector<long> nts;       // 1..num_chain_nts
  // per-chain strings of the secondary-structure stage, chain-break
  // separators included: [0] sequence, [1] dot-bracket, [2] nucleotide types
  std::array<std::string, 4> texts;
  std::string suite;           // backbone suites between the nucleotides ("g1aC1cA")
  helixVec axis;
  long num_heavy_atoms = 0;
  double gyration = -1.0;      // Angstrom; -1.0 without heavy atoms
};

void init_helixVec(helixVec& v);
std::vector<chain> allocate_chains_array(long n);  // n + 1 records
void free_chains(long n, std::vector<chain>& chains);
bool chain_compare(const chain& a, const chain& b);            // by key
bool chain_compareSequential(const chain& a, const chain& b);  // by first residue

void populate_chains(struct_mol& mol);
// Each chain's radius of gyration and helical axis, and the axis along all
// nucleotides: read by the chain summaries and helices, not by the pairs.
void populate_chain_geometry(struct_mol& mol);
void populate_chainStr(struct_mol& mol);
void populate_models(struct_mol& mol);  // distinct model numbers of the chains
// Rise and axis along nucleotides list[1..n] (unset with 2 atom pairs or fewer).
void get_global_rise_per_tvec(long n, const std::vector<long>& list, const struct_mol& mol,
                              helixVec& v);
// Rise and axis from the vectors between the atoms of each pair (first to
// second): the normal and offset of the least-squares plane through their
// tips. Unset with 2 vectors or fewer. When the rise reaches min_rise, the
// axis end points lie at the mean height of the first_end and last_end atoms
// (an empty list leaves its point unset).
void get_global_rise_per_atom_pairs(const std::vector<std::pair<long, long>>& pairs,
                                    const std::vector<long>& first_end, const std::vector<long>& last_end,
                                    double min_rise, const struct_mol& mol, helixVec& v);
// The x-y point equidistant, in the least-squares sense, from the two points
// of every pair (pts[k], pts[n + k]), k = 1..n; x and y only.
void locate_xy(long n, const std::vector<xyz>& pts, xyz& out);

long on_na_chain(long k, const struct_mol& mol);  // chain number of residue k, 0 none
std::string derive_unique_chain_id(const chain& c, const struct_mol& mol);
std::string chain_header(const chain& c, long number, const std::string& name, const struct_mol& mol,
                         bool long_form);
void list_chains(const char* kind, const struct_mol& mol, const std::string& file);
void print_pdb_chains(FILE* fp, const struct_mol& mol);
std::string empty_chain_to_underscore(const std::string& id);
std::string underscore_to_empty_chain(const std::string& id);
// Exposure of the heavy atoms of protein chains: from the number of heavy
// atoms of the same chain within 10 A (the atom itself included).
void populate_atom_exposure(struct_mol& mol);
// Nucleotides of the chains in chain order, then any others in index order.
std::vector<long> nts_in_chain_order(const struct_mol& mol);

// Reads the chain option word (--chain=A,B): the value is split at blanks,
// tabs and any of "|/;,.:"; ids of at most 4 characters are kept, padded to 4
// with blanks, longer words are skipped with a note. No valid id selects every
// chain; more than 255 ids end the run with a message.
void derive_chains_to_run(const std::string& option, chain_selection& sel);
inline constexpr long MAX_CHAIN_IDS = 255;

}  // namespace vask
