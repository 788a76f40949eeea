// The project sub-command: option front end and the dispatch to one survey
// analysis.
#pragma once

#include <string>

#include "interactions/project.hpp"

namespace vask {

// Parses the sub-command's own options, runs the chosen analysis and ends the run.
[[noreturn]] void run_project_and_exit(int argc, char* argv[]);

// The sub-command's help line; ends the run with status 0.
[[noreturn]] void module_project_help_exit();

// The analysis id of an id-name option (its run-log line written); 0 with
// "-- option '%s' not set" when no word matches.
long derive_project_id(const char* arg);

// The option loop alone (help requests end the run): the settings before the
// common book-keeping and the run.
project_settings read_project_options(int argc, char* argv[]);

// Runs analysis s.id (nothing for 0 but the "[i] no matched project" line).
void run_project(const project_settings& s);

}  // namespace vask
