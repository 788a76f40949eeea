// Child processes by posix_spawn: no shell reads the command line.
#include "support/process.hpp"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

#include "support/error.hpp"
#include "support/log.hpp"

extern char** environ;

namespace vask {

std::string own_executable_path(const std::string& fallback) {
  std::vector<char> buf(PATH_MAX + 1);
  const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return fallback;
  return std::string(buf.data(), static_cast<std::size_t>(n));
}

void run_program(const std::string& path, const std::vector<std::string>& args) {
  std::string shown;
  for (const std::string& a : args) shown += (shown.empty() ? "" : " ") + a;
  if (verbose1()) runlog_msg("Command: '%s'\n", shown.c_str());
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::fflush(nullptr);  // the child must not repeat our buffered output
  pid_t pid = 0;
  const int err = posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ);
  if (err != 0) fatal("Error in running: '%s' (%d)\n", shown.c_str(), err);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) fatal("Error in running: '%s' (%d)\n", shown.c_str(), errno);
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 1;
  if (code != 0) fatal("Error in running: '%s' (%d)\n", shown.c_str(), code);
}

}  // namespace vask
