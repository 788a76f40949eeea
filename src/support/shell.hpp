// Shell commands run through system().
#pragma once

#include <cstdio>
#include <string>

namespace vask {

// Shell commands: a non-zero status ends the run.
void call_system(const std::string& cmd);
void call_system_echo(const std::string& cmd);            // logs "Command: '...'" first
void call_system_log(const std::string& cmd, FILE* fp);   // writes cmd to fp first

}  // namespace vask
