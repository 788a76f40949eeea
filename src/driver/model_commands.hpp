// The option front ends of the model sub-commands (analyze, rebuild,
// mutate): each reads its own options, then the common ones, keeps its
// settings in a record of its own, hands it to its module and ends the run.
#pragma once

namespace vask {

[[noreturn]] void analyze_per_belqo_and_exit(int argc, char* argv[]);
[[noreturn]] void rebuild_customized_models_and_exit(int argc, char* argv[]);
[[noreturn]] void perform_mutations_and_exit(int argc, char* argv[]);

}  // namespace vask
