// Child runs of this program itself, without a shell: the arguments reach
// the child as they are, whatever characters a file name holds.
#pragma once

#include <string>
#include <vector>

#include "support/script_quote.hpp"  // shell_quoted, shell_command_line

namespace vask {

// The path of the running executable (/proc/self/exe), or the fallback when
// it cannot be read.
std::string own_executable_path(const std::string& fallback);

// Runs the program at path with the arguments (argv[0] first) and waits for
// it; logs "Command: ..." at the higher verbosity. A child that cannot start
// or ends with a non-zero status ends the run: "Error in running: '%s' (%d)\n".
void run_program(const std::string& path, const std::vector<std::string>& args);

// The full path of a program found on PATH, or "" when there is none.
std::string find_program(const std::string& name);

// Runs args[0] (looked up on PATH) with the arguments as they are, no shell
// reading them, and waits; its standard output goes to out_file when one is
// given. "Command: '...'" goes to the run log first. Returns the exit status
// (128 + signal for a killed child), or -1 when the program cannot be started.
int spawn_program(const std::vector<std::string>& args, const std::string& out_file = "");

}  // namespace vask
