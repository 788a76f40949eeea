// The fiber sub-command: regular helical models (duplexes, triplexes,
// four-stranded helices, single strands) from the built-in table of 56 fiber
// models, built by stacking copies of built-in repeat units along the helix
// axis and written as one PDB or mmCIF file.
//
// The option loop lives with the other sub-command drivers (driver/
// fiber_command.hpp); this module holds the settings of one run, the model
// table and listing, and the building itself (fiber_build.cpp; the repeat
// units in fiber_units.cpp).
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace vask {

// The settings of one fiber run.
struct fiber_options {
  std::string output_file = "stdout";  // "stdout": standard output
  long model = 4;                      // 1..56, or 901, 902, 935, 956
  std::string sequence_file;           // read raw; wins over the sequence text
  std::string sequence;                // repeat notation, or "--fixed--"
  std::string chain_symbols = "AB";    // the first two characters are used
  long repeat = -1;                    // -1: the model's default
  long list = 0;                       // print the model listing and exit
};

// One row of the model table: twist in degrees and rise in Angstrom per
// repeat unit.
struct fiber_model {
  long id = 0;
  double twist = 0;
  double rise = 0;
  std::string description;
};

inline constexpr long kNumFiberModels = 56;
inline constexpr const char* kFixedSequence = "--fixed--";

// Row k (1..56) of the table.
const fiber_model& get_fiber_model(long row);
// The listing line of row k, as the list option prints it.
std::string_view fiber_listing_line(long row);
// The whole listing (header, 56 lines, literature notes, trailer).
void print_fiber_listing(FILE* fp);

// Both the sequence text and the sequence file name empty.
bool no_sequence_specified(const fiber_options& opts);
// The expanded sequence (upper case, U as T, repeated as the repeat count
// says), or none: no sequence given, the fixed marker, or models 56 and 956.
std::optional<std::string> expand_sequence(const fiber_options& opts);

// The models that could not be given sound repeat units from standard
// geometry are left out: building one ends the run with a message.
bool fiber_model_available(long id);

// After the option loop: model defaults, listing, checks, the log lines, the
// build and the output file (the steps after parsing, in order).
void run_fiber_model(fiber_options& opts);

// Builds the chosen model into opts.output_file with the helical step of the
// builder (twist and rise already negated where the model says so).
void build_fiber_model(fiber_options& opts, double twist, double rise);

// The sub-command's help: a pointer to the manual on standard error, then the
// run ends with the given status.
[[noreturn]] void module_fiber_help_exit(int status = 0);

}  // namespace vask
