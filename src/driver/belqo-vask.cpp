// Program entry, sub-command dispatch and run loops.
#include "driver/belqo-vask.hpp"

#include <cstdio>

#include "driver/option.hpp"
#include "support/cii.hpp"
#include "support/utility.hpp"

namespace vask {

int vask_main(int argc, char* argv[]) {
  set_globals(argc > 0 ? argv[0] : "belqo-vask");
  Gvars.help_mode = 1;
  return 0;
}

int run_main(int argc, char* argv[]) {
  int status = 0;
  try {
    status = vask_main(argc, argv);
  } catch (const fatal_error& e) {
    if (RUNLOG != nullptr && e.what()[0] != '\0') {
      std::fputs(e.what(), RUNLOG);
      std::fflush(RUNLOG);
    }
    status = e.status;
  }
  clean_globals();  // the exit handler runs on every end, normal or fatal
  return status;
}

}  // namespace vask
