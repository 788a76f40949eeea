// The option front ends of the model sub-commands (analyze, rebuild,
// mutate): each reads its own options, then the common ones, keeps its
// settings in a record of its own, hands it to its module and ends the run.
#pragma once

#include "modeling/analyze.hpp"
#include "modeling/mutation.hpp"
#include "modeling/rebuild.hpp"

namespace vask {

// The option loops alone (from argv[2] on, help requests end the run): the
// settings before the common book-keeping and the run.
analyze_settings read_analyze_options(int argc, char* argv[]);
rebuild_settings read_rebuild_options(int argc, char* argv[]);
mutate_settings read_mutate_options(int argc, char* argv[]);

[[noreturn]] void analyze_per_belqo_and_exit(int argc, char* argv[]);
[[noreturn]] void rebuild_customized_models_and_exit(int argc, char* argv[]);
[[noreturn]] void perform_mutations_and_exit(int argc, char* argv[]);

}  // namespace vask
