// The fiber sub-command's entry: its own option loop, then the build of
// modeling/fiber.hpp.
#pragma once

#include "modeling/fiber.hpp"

namespace vask {

// The option loop alone (help requests end the run): the settings before the
// common book-keeping and the build.
fiber_options read_fiber_options(int argc, char* argv[]);

// Parses the sub-command's options from argv[2] on, builds the chosen model
// and ends the run.
[[noreturn]] void generate_fiber_models_and_exit(int argc, char* argv[]);

}  // namespace vask
