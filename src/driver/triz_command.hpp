// The triz sub-command: its option front end, the per-structure report and
// the run over one structure or the models of an ensemble. The analysis
// itself is the triz module (interactions/triz.hpp).
#pragma once

#include <cstdio>
#include <string>

#include "interactions/triz.hpp"

namespace vask {

struct vask_results;

// Reads the module's own options, the common ones, runs the analysis and
// ends the run (status 0; 1 through the shared error paths).
[[noreturn]] void perform_triz_and_exit(int argc, char* argv[]);

// The module's own options: true when the argument was one of them (its
// value stored in o); a bad cutoff value is fatal.
bool check_triz_option(const char* arg, triz_options& o);

// The option loop alone (help requests end the run): the settings before the
// common book-keeping and the run.
triz_options read_triz_options(int argc, char* argv[]);

// The settings fixed after the option loop: the triad list, quick mode,
// the residue-name list normalised.
void finish_triz_options(triz_options& o);

// The command echo of the text header.
std::string derive_triz_command(const triz_options& o);

// The whole report of one structure on fp. Returns false when the run is to
// end after this structure (quick counts).
bool do_triz_per_structure(const triz_options& o, struct_mol& mol, FILE* fp);

// The helices of the results, as the module reads them (slot 0 unused).
std::vector<triz_helix> get_triz_helices(const struct_mol& mol, const vask_results& results);

}  // namespace vask
