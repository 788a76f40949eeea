// The search sub-command: option front end and the run over the targets.
#pragma once

#include <string>

#include "interactions/search.hpp"

namespace vask {

// Parses the sub-command's own options, does its work and ends the run.
[[noreturn]] void perform_search_and_exit(int argc, char* argv[]);

// Prints the sub-command's usage and ends the run with the given status (0
// for a help request, 1 after a usage error).
[[noreturn]] void module_search_help_exit(int status = 0);

// Applies one search option to s: 1 when the argument is one (exact option
// names, so that no common option is taken for a search option), else 0.
int check_search_option(const char* arg, search_settings& s);

// The option loop alone (help requests end the run): the settings before the
// common book-keeping and the run.
search_settings read_search_options(int argc, char* argv[]);

// The "Command: " text of a run.
std::string search_command_text(const search_settings& s);

}  // namespace vask
