// The fiber sub-command's entry: its own option loop, then the build of
// modeling/fiber.hpp.
#pragma once

namespace vask {

// Parses the sub-command's options from argv[2] on, builds the chosen model
// and ends the run.
[[noreturn]] void generate_fiber_models_and_exit(int argc, char* argv[]);

}  // namespace vask
