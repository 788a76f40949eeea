// The composite sub-command: long duplexes from protein-bound templates.
#include "modeling/composite.hpp"

#include "support/error.hpp"
#include "support/log.hpp"

namespace vask {

// Until the sub-command is built, a call says so and fails.
void generate_composite_and_exit(int argc, char* argv[]) {
  (void)argc;
  (void)argv;
  runlog_msg("[e] the 'composite' sub-command is not available yet\n");
  end_run(1);
}

void module_composite_help_exit(int status) {
  runlog_msg("[i] help for the 'composite' sub-command is not available yet\n");
  end_run(status);
}

}  // namespace vask
