// Shell commands: see shell.hpp.
#include "support/shell.hpp"

#include <cstdio>
#include <cstdlib>

#include "support/error.hpp"
#include "support/log.hpp"

namespace vask {

void call_system(const std::string& cmd) {
  if (std::system(nullptr) == 0) fatal("Error: your OS does not support system() call\n");
  int status = std::system(cmd.c_str());
  if (status != 0) fatal("Error in running: '%s' (%d)\n", cmd.c_str(), status);
}

void call_system_echo(const std::string& cmd) {
  runlog_msg("Command: '%s'\n", cmd.c_str());
  call_system(cmd);
}

void call_system_log(const std::string& cmd, FILE* fp) {
  if (fp != nullptr) std::fprintf(fp, "%s\n", cmd.c_str());
  call_system(cmd);
}

}  // namespace vask
