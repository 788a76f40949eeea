// The composite sub-command's option front end.
#pragma once

namespace vask {

// Parses the sub-command's own options, does its work and ends the run.
[[noreturn]] void generate_composite_and_exit(int argc, char* argv[]);

}  // namespace vask
