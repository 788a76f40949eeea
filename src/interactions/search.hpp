// Structural search: a small query (one strand or one anti-parallel duplex)
// slid over every window of the same size in target structures. Each window
// is superposed on the query by least squares over a chosen set of points per
// nucleotide and, within an RMSD cutoff, reported with three more similarity
// measures (parameter distance, cosine similarity of the parameter vectors,
// TM-score). Also the stretched-duplex scan over the stems of the targets.
//
// Point lists and parameter vectors are 1-based; a parameter vector keeps its
// length n in element 0 (as a double) and the values in 1..n.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "secondary/helix.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/ref_frame.hpp"
#include "support/vector3.hpp"

namespace vask {

// Match-type bits: the points taken per nucleotide.
inline constexpr long MATCH_PHOS = 1;     // the P atom
inline constexpr long MATCH_ORIGIN = 2;   // the base-frame origin
inline constexpr long MATCH_OXY = 4;      // origin and the tips of the x and y axes
inline constexpr long MATCH_PLANE = 8;    // nine points spanning the base plane
inline constexpr long MATCH_C2 = 16;      // C2'
inline constexpr long MATCH_C4 = 32;      // C4'
inline constexpr long MATCH_NATOM = 64;   // glycosidic N (N9 purine, N1 pyrimidine)

// Order keys: which measure picks the best match of a target.
inline constexpr long ORDER_RMSD = 1, ORDER_PARS = 2, ORDER_COSINE = 4, ORDER_TM = 8;

inline constexpr double SEARCH_UNSET = 8192.0;  // rmsd / delta_pars of "no match yet"

// Settings of one search run, filled by the option loop.
struct search_settings {
  std::string query;                        // query structure file
  std::string target;                       // one target file
  std::string target_list;                  // a list of target files
  std::string output = "stdout";            // hit lines
  std::string csv = "search-results.csv";   // best matches (or every hit)
  double cutoff = 3.0;                      // RMSD cutoff, Angstrom (2.0 more unless rmsd orders)
  long match = MATCH_PHOS;                  // match-type bits
  long pair_mode = 0;                       // 0 steps only, 1 steps and pairs, -1 pairs only
  long single = 0;                          // 0 off, 1 query is one strand, 2 targets too
  long order = ORDER_RMSD;                  // order key
  std::string stretch;                      // stretched-duplex thresholds; empty: query search
};

// The query with its points and parameters, and the work buffers of one
// target window.
struct search_query {
  struct_mol mol;
  std::string file;          // as given
  long nbp = 0;              // pairs of a duplex query; 0 for a strand
  long nts = 0;              // nucleotides
  long num_xyz = 0;          // nts times the points per nucleotide
  std::vector<xyz> points;   // 1..num_xyz; strand 2 of a duplex from num_xyz/2 + 1
  std::vector<xyz> reverse;  // the reversed duplex (strand 2 first), same rows
  std::vector<xyz> work;     // the current window
  std::vector<xyz> fit_ref, fit_work, fitted;  // 1..m: the point pairs kept for one fit
  std::vector<double> pars, pars_reverse, pars_work;  // [0] = n, then the parameters
};

// One measured window, or the best match of a target.
struct search_match {
  std::string label;         // target base name
  long start1 = 0, end1 = 0; // residues of the first and last nucleotide, strand 1 (or the strand)
  long start2 = 0, end2 = 0; // the same on strand 2; 0 for strands
  long helix = 0;            // helix (or run) index; negative against the reversed query
  double rmsd = SEARCH_UNSET, delta_pars = SEARCH_UNSET, cosine_sim = 0.0, tm_score = 0.0;
  frame fit{};               // moves the query onto the window
};

// State of one run: the hit counter runs over all targets; the best-match
// coordinate files are written once per run.
struct search_run {
  FILE* out = nullptr;       // hit lines
  FILE* csv = nullptr;
  long hits = 0;
  bool best_written = false;
};

// Standard deviations that weigh parameter differences (element 0 unused).
extern const par_set search_step_std;  // Shift .. Twist
extern const par_set search_pair_std;  // Shear .. Opening

long points_per_nt(long match);
// Names of the set bits joined by '-': phos, c2_prime, c4_prime, N_atom,
// origin, oxy, plane.
std::string match_type_string(long match);
// The match-type bits of an option value: no known word gives MATCH_PHOS.
long derive_match_type(const std::string& value);

// The points of residues list[start .. start+k-1] into pts from row `row`
// on; returns the next free row. Missing atoms and frames give unset points
// (DBL_MAX in all three coordinates).
long collect_1seg_xyz(const search_settings& s, const struct_mol& mol, long start, long k,
                      const std::vector<long>& list, std::vector<xyz>& pts, long row);

// The base pairs of a structure chained into helices (stems = false) or
// stems; returns the list, 1-based, with its count in n.
std::vector<helix> find_duplexes(struct_mol& mol, bool stems, long& n);

// The step parameters of consecutive pairs of a helix: steps[j] from pair j
// to pair j + 1 (1..n-1).
std::vector<par_set> helix_step_pars(const helix& h, const struct_mol& mol);
// pars[1..] for pairs start .. start+k-1 of a helix (steps, then pairs, as
// the pair mode says); pars[0] = the number of values.
void collect_helix_pars(long pair_mode, const helix& h, const std::vector<par_set>& steps, long start,
                        long k, std::vector<double>& pars);

// 0 when the structure holds a residue that is no nucleotide; otherwise the
// nucleotides become one run 1..nts and 1 is returned.
long reset_pdb_single(struct_mol& mol);

// Reads the query and fills its points and parameters (fatal on a duplex
// that is not one anti-parallel helix over all nucleotides, and on a query
// with other residues under the single option).
void prepare_query(const search_settings& s, search_query& q, FILE* out);

// Measures one window (k nucleotides or pairs from `start`; list2 empty for
// strands) against the query (index > 0) or the reversed query (index < 0);
// reports it within the cutoff and keeps the best match.
void derive_metrics(const search_settings& s, search_query& q, const struct_mol& target, long index,
                    long start, long k, const std::vector<long>& list1, const std::vector<long>& list2,
                    search_match& best, search_run& run);

// The CSV row of a target's best match (at verbosity 0) and, for the first
// best match of the run with a transformation file named, the fitted query
// files.
void print_best_match(search_run& run, search_query& q, const struct_mol& target,
                      const std::string& target_file, const search_match& best);

// Scans targets names[1..n]; writes the CSV file.
void process_targets(const search_settings& s, search_query& q, long n,
                     const std::vector<std::string>& names, search_run& run);

void print_xyz(long n, const std::vector<xyz>& pts, FILE* fp);
void print_pars(const std::vector<double>& pars, const char* label, FILE* fp);
void output_to_2files(const char* text, FILE* fp1, FILE* fp2);  // "%s\n" to each open stream

// ---------------------------------------------------------------------------
// Stretched duplexes (search_stretch.cpp)

struct stretch_thresholds {
  double slide = -256.0;  // Slide must exceed it
  double roll = -256.0;   // Roll must exceed it
  long steps = 2;         // shortest run of such steps
};

// Parses text like "slide:2,roll=-10" (fatal when no slide or roll is set).
stretch_thresholds parse_stretch_text(const std::string& text);
// The CSV rows of every run of stretched steps in the stems of names[1..n].
void search_stretched_duplexes(const search_settings& s, long n, const std::vector<std::string>& names);

}  // namespace vask
