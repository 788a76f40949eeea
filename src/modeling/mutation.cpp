// The mutate sub-command: replace bases in place.
#include "modeling/mutation.hpp"

#include "support/error.hpp"
#include "support/log.hpp"

namespace vask {

// Until the sub-command is built, a call says so and fails.
void perform_mutations_and_exit(int argc, char* argv[]) {
  (void)argc;
  (void)argv;
  runlog_msg("[e] the 'mutate' sub-command is not available yet\n");
  end_run(1);
}

void module_mutate_help_exit(int status) {
  runlog_msg("[i] help for the 'mutate' sub-command is not available yet\n");
  end_run(status);
}

}  // namespace vask
