// The triz sub-command: protein-nucleic-acid interactions.
#pragma once

namespace vask {

// Parses the sub-command's own options, does its work and ends the run.
[[noreturn]] void perform_triz_and_exit(int argc, char* argv[]);

}  // namespace vask
