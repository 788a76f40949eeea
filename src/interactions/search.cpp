// The search sub-command.
#include "interactions/search.hpp"

#include "support/error.hpp"
#include "support/log.hpp"

namespace vask {

// Until the sub-command is built, a call says so and fails.
void perform_search_and_exit(int argc, char* argv[]) {
  (void)argc;
  (void)argv;
  runlog_msg("[e] the 'search' sub-command is not available yet\n");
  end_run(1);
}

void module_search_help_exit(int status) {
  runlog_msg("[i] help for the 'search' sub-command is not available yet\n");
  end_run(status);
}

}  // namespace vask
