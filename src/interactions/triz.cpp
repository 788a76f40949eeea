// The triz sub-command: protein-nucleic-acid interactions.
#include "interactions/triz.hpp"

#include "support/error.hpp"
#include "support/log.hpp"

namespace vask {

// Until the sub-command is built, a call says so and fails.
void perform_triz_and_exit(int argc, char* argv[]) {
  (void)argc;
  (void)argv;
  runlog_msg("[e] the 'triz' sub-command is not available yet\n");
  end_run(1);
}

}  // namespace vask
