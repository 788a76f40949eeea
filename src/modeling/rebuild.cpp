// The rebuild sub-command: models from base-pair and step parameters.
#include "modeling/rebuild.hpp"

#include "support/error.hpp"
#include "support/log.hpp"

namespace vask {

// Until the sub-command is built, a call says so and fails.
void rebuild_customized_models_and_exit(int argc, char* argv[]) {
  (void)argc;
  (void)argv;
  runlog_msg("[e] the 'rebuild' sub-command is not available yet\n");
  end_run(1);
}

void module_rebuild_help_exit(int status) {
  runlog_msg("[i] help for the 'rebuild' sub-command is not available yet\n");
  end_run(status);
}

}  // namespace vask
