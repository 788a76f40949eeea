// The project sub-command.
#pragma once

namespace vask {

// Parses the sub-command's own options, does its work and ends the run.
[[noreturn]] void run_project_and_exit(int argc, char* argv[]);

}  // namespace vask
