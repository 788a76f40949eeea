// The composite sub-command's option front end.
#pragma once

#include "modeling/composite.hpp"

namespace vask {

// The option loop alone (help requests end the run): the settings before the
// common book-keeping and the build.
composite_settings read_composite_options(int argc, char* argv[]);

// Parses the sub-command's own options, does its work and ends the run.
[[noreturn]] void generate_composite_and_exit(int argc, char* argv[]);

}  // namespace vask
