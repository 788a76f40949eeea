// The project sub-command.
#include "interactions/project.hpp"

#include "support/error.hpp"
#include "support/log.hpp"

namespace vask {

// Until the sub-command is built, a call says so and fails.
void run_project_and_exit(int argc, char* argv[]) {
  (void)argc;
  (void)argv;
  runlog_msg("[e] the 'project' sub-command is not available yet\n");
  end_run(1);
}

}  // namespace vask
