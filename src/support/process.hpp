// Child runs of this program itself, without a shell: the arguments reach
// the child as they are, whatever characters a file name holds.
#pragma once

#include <string>
#include <vector>

namespace vask {

// The path of the running executable (/proc/self/exe), or the fallback when
// it cannot be read.
std::string own_executable_path(const std::string& fallback);

// Runs the program at path with the arguments (argv[0] first) and waits for
// it; logs "Command: ..." at the higher verbosity. A child that cannot start
// or ends with a non-zero status ends the run: "Error in running: '%s' (%d)\n".
void run_program(const std::string& path, const std::vector<std::string>& args);

}  // namespace vask
