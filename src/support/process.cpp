// Child processes by posix_spawn: no shell reads the command line.
#include "support/process.hpp"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstdio>

#include "support/error.hpp"
#include "support/file.hpp"
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
  // the child works in our files under our folder locks: it gets the locks'
  // descriptors (dup2 onto itself clears close-on-exec in the child)
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (const int lock : held_lock_descriptors()) posix_spawn_file_actions_adddup2(&actions, lock, lock);
  std::fflush(nullptr);  // the child must not repeat our buffered output
  pid_t pid = 0;
  const int err = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (err != 0) fatal("Error in running: '%s' (%d)\n", shown.c_str(), err);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) fatal("Error in running: '%s' (%d)\n", shown.c_str(), errno);
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 1;
  if (code != 0) fatal("Error in running: '%s' (%d)\n", shown.c_str(), code);
}

std::string find_program(const std::string& name) {
  if (name.empty()) return "";
  if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : "";
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    // An empty PATH entry means the current folder.
    const std::string dir = end > start ? dirs.substr(start, end - start) : std::string(".");
    const std::string full = dir + "/" + name;
    struct stat st {};
    if (stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(full.c_str(), X_OK) == 0) return full;
    start = end + 1;
  }
  return "";
}

int spawn_program(const std::vector<std::string>& args, const std::string& out_file) {
  std::string shown;
  for (const std::string& a : args) shown += (shown.empty() ? "" : " ") + a;
  runlog_msg("Command: '%s'\n", shown.c_str());
  if (args.empty()) return -1;
  const std::string program = find_program(args[0]);
  if (program.empty()) return -1;
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // the captured output is made anew like any file of ours: a link under its
  // name is replaced, never written through
  scoped_file out(out_file.empty() ? nullptr : create_file(out_file));
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (out.get() != nullptr) posix_spawn_file_actions_adddup2(&actions, fileno(out.get()), STDOUT_FILENO);
  std::fflush(nullptr);  // the child must not repeat our buffered output
  pid_t pid = 0;
  const int err = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  out.close();
  if (err != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 1;
}

}  // namespace vask
