// The task sub-command.
#include "driver/task_command.hpp"

#include "support/error.hpp"
#include "support/log.hpp"

namespace vask {

void run_utilities_and_exit(int argc, char* argv[]) {
  (void)argc;
  (void)argv;
  runlog_msg("[e] the 'task' sub-command is not available yet\n");
  end_run(1);
}

void module_tasks_help_exit(int status) {
  runlog_msg("[i] help for the 'task' sub-command is not available yet\n");
  end_run(status);
}

}  // namespace vask
