// The analyze sub-command: base-pair, step and helical parameters of a
// duplex, of a single strand, or of consecutive frames read from a file.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "pairing/pair.hpp"
#include "secondary/helix.hpp"
#include "support/bp_step_params.hpp"
#include "support/ref_frame.hpp"

namespace vask {

struct struct_mol;

// Duplex mode bits.
inline constexpr long DUPLEX_ON = 1, DUPLEX_STEMS = 2, DUPLEX_CURVES = 4, DUPLEX_CEHS = 8;

// The settings of one analyze run, filled by the option parser only.
struct analyze_settings {
  std::string input;               // -i
  std::string output = "stdout";   // -o
  bool single_strand = false;
  std::string ss_input, ss_output;  // nucleotide-list files
  std::string frame_file;
  long duplex = 0;                  // DUPLEX_* bits
  std::string ds_input, ds_output;  // pair-list files
  bool rebuild = false;             // also write the rebuild input files
};

// Does the work of one run (the options read and checked). Returns normally;
// the caller ends the run with status 0.
void run_analyze(const analyze_settings& s);

// The single-strand or duplex analysis of a structure already read and
// prepared (run_analyze without the frame mode and the reading).
void analyze_structure(const analyze_settings& s, struct_mol& mol);

// Prints the sub-command's help and ends the run with the given status (0 for
// a help request, 1 after a usage error).
[[noreturn]] void module_analyze_help_exit(int status = 0);

// One parameter row per item; row i leads from item i to item i+1.
using par_table = std::vector<par_set>;  // 1-based

// Frames of a frame file, 1-based, with their names in frame::text. Fatal on
// an invalid file.
std::vector<frame> parse_frame_file(const std::string& name, long& n);

// Step and helical parameters of consecutive frames[1..n]; row n unset.
void consecutive_frame_pars(long n, const std::vector<frame>& frames, par_table& steps,
                            par_table& helis);

// The pairs[1..n] of a duplex as one helix with its step geometry: the
// helix finder's record when the pairs form one helix, else a plain run of
// the pairs with their step parameters and A/B classes only.
helix duplex_helix(struct_mol& mol, long n, const std::vector<pair>& pairs);

// Table writers (analyze_output.cpp).
void simply_output_pars(long n, const par_table& t, FILE* fp);
void simply_write_pars(FILE* fp, long n, const par_table& t);
void output_single_pars(const struct_mol& mol, long n, const std::vector<long>& nts,
                        const par_table& t, FILE* fp);
void write_single_rebuild_pars(const struct_mol& mol, long n, const std::vector<long>& nts,
                               const par_table& t, FILE* fp);
void output_six_pars(const struct_mol& mol, long n, const std::vector<pair>& pairs,
                     const par_table& t, const char* header, FILE* fp);
void write_duplex_rebuild_pars(const struct_mol& mol, long n, const std::vector<pair>& pairs,
                               const par_table& t, const char* header, FILE* fp);
void write_pair_frames(long n, const std::vector<pair>& pairs, const std::string& file);
// The A/B/TA classification table and the groove-width table of a duplex
// helix (row i from step i; the last row unset).
void output_step_classes(const struct_mol& mol, const helix& h, FILE* fp);
void output_groove_widths(const struct_mol& mol, const helix& h, FILE* fp);

}  // namespace vask
