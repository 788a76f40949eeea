// The fiber sub-command: regular helical models from the fiber table.
#include "modeling/fiber.hpp"

#include "support/error.hpp"
#include "support/log.hpp"

namespace vask {

// Until the sub-command is built, a call says so and fails.
void generate_fiber_models_and_exit(int argc, char* argv[]) {
  (void)argc;
  (void)argv;
  runlog_msg("[e] the 'fiber' sub-command is not available yet\n");
  end_run(1);
}

void module_fiber_help_exit(int status) {
  runlog_msg("[i] help for the 'fiber' sub-command is not available yet\n");
  end_run(status);
}

}  // namespace vask
