// The analyze sub-command: base-pair, step and helical parameters.
#include "modeling/analyze.hpp"

#include "support/error.hpp"
#include "support/log.hpp"

namespace vask {

// Until the sub-command is built, a call says so and fails.
void analyze_per_belqo_and_exit(int argc, char* argv[]) {
  (void)argc;
  (void)argv;
  runlog_msg("[e] the 'analyze' sub-command is not available yet\n");
  end_run(1);
}

void module_analyze_help_exit(int status) {
  runlog_msg("[i] help for the 'analyze' sub-command is not available yet\n");
  end_run(status);
}

}  // namespace vask
