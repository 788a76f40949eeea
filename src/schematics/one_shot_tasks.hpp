// The task sub-command (utility tasks) and the one-shot tasks of the main command.
#pragma once

#include <string>

namespace vask {

struct struct_mol;

// Runs the first one-shot task whose option is set on the structure just
// read, writing to the run's output file, and ends the run with status 0;
// returns without effect when no task option is set.
void perform_single_task_exit(struct_mol& mol, const std::string& output);

// Parses the sub-command's own options, does its work and ends the run.
[[noreturn]] void run_utilities_and_exit(int argc, char* argv[]);

// Prints the sub-command's help and ends the run with the given status (0 for
// a help request, 1 after a usage error).
[[noreturn]] void module_tasks_help_exit(int status = 0);

}  // namespace vask
