// The composite sub-command: long duplexes from protein-bound templates, and
// circular DNA built from periodic step parameters.
#pragma once

#include <string>

namespace vask {

// The settings of one composite run, filled by the option parser only.
struct composite_settings {
  std::string output = "stdout";
  std::string script_file = "vask-composite.sh";
  bool rna = false;
  bool a_form = false;
  char backbone = '\0';  // backbone letter of the circular model; '\0' not set
  std::string sequence_file;
  std::string sequence;
  long repeat = 1;
  bool mutate = false;
  long circular = 0;     // circular DNA size in pairs; 0 off
  long super_helix = 0;  // -1 left, 1 right, 0 none
  double pitch = 1.0;
  long turns = 0;        // 0: derived from the size
  double rise = 3.4;
  double twist = 36.0;
  std::string binding_file;
  std::string tail;
  std::string binding;
  std::string content;
  bool separate = false;
  std::string program;   // this executable, for the child runs
};

// True when a sequence text or file was given.
bool with_input_sequence(const composite_settings& s);

// The step-parameter file of a circular DNA of the letters of seq: one pair
// row per position with periodic roll and slide. Logs the derived numbers.
std::string circular_parameters(const composite_settings& s, const std::string& seq);

// Does the work of one run (options read). Returns normally; the caller ends
// the run with status 0.
void run_composite(const composite_settings& s);

// Prints the sub-command's help and ends the run with the given status (0 for
// a help request, 1 after a usage error).
[[noreturn]] void module_composite_help_exit(int status = 0);

}  // namespace vask
