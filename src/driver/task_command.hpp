// The task sub-command: small structure utilities, one per run.
#pragma once

#include "driver/task_utilities.hpp"

namespace vask {

// The option loop alone (help requests end the run): the settings before the
// common book-keeping and the run.
task_settings read_task_options(int argc, char* argv[]);

// Parses the sub-command's own options, does its work and ends the run.
[[noreturn]] void run_utilities_and_exit(int argc, char* argv[]);

// Prints the sub-command's help and ends the run with the given status (0 for
// a help request, 1 after a usage error).
[[noreturn]] void module_tasks_help_exit(int status = 0);

}  // namespace vask
