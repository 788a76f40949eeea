// Files and paths: see file.hpp.
#include "support/file.hpp"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <set>
#include <system_error>

#include <fcntl.h>
#include <stdio_ext.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/error.hpp"
#include "support/log.hpp"
#include "support/pattern_matcher.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {
constexpr size_t COPY_BLOCK = 510;  // bytes per read when copying
constexpr const char* COORD_SUFFIX = "\\.(pdbx|pdb|ent|cif|mmcif)$";

bool is_write_mode(const char* mode) { return mode != nullptr && std::strpbrk(mode, "wa+") != nullptr; }

char path_separator() {
  const char* os = std::getenv("OS");
  return os != nullptr && icase_strstr(os, "WINDOWS") != std::string_view::npos ? '\\' : '/';
}

}  // namespace

bool is_stdin(std::string_view name) { return name == "stdin" || name == "-"; }

bool stdout_stderr(std::string_view name) { return name == "stdout" || name == "stderr"; }

bool is_pseudo_file(std::string_view name) { return is_stdin(name) || stdout_stderr(name); }

FILE* open_file(const std::string& name, const char* mode) {
  if (is_write_mode(mode)) return std::strchr(mode, 'a') != nullptr ? append_output(name) : open_output(name);
  if (is_stdin(name)) return stdin;
  if (name == "stdout") return stdout;
  if (name == "stderr") return stderr;
  errno = 0;
  FILE* fp = std::fopen(name.c_str(), mode);
  if (fp == nullptr) fatal("open_file <%s> failed: %s\n", name.c_str(), std::strerror(errno));
  // a folder opens for reading but reads as nothing (or fails at the first
  // read): say what it is rather than what its emptiness leads to
  struct stat st {};
  if (fstat(fileno(fp), &st) == 0 && S_ISDIR(st.st_mode)) {
    std::fclose(fp);
    fatal("[e] '%s' is a folder, not a file\n", name.c_str());
  }
  return fp;
}

FILE* open_tmpfile() {
  errno = 0;
  FILE* fp = std::tmpfile();
  if (fp == nullptr) fatal("open_tmpfile() failed: %s\n", std::strerror(errno));
  return fp;
}

void close_file(FILE* fp) {
  if (fp == nullptr || fp == stdin) return;
  errno = 0;
  if (fp == stdout || fp == stderr) {
    if (std::fflush(fp) != 0 || std::ferror(fp))
      fatal("[e] cannot write standard %s: %s\n", fp == stdout ? "output" : "error",
            std::strerror(errno != 0 ? errno : EIO));
    return;
  }
  // a failed flush per structure leaves only the error flag: fclose() would
  // then succeed on the empty buffer
  const bool lost = std::ferror(fp) != 0;
  const bool output = __fwritable(fp) != 0;
  if (std::fclose(fp) == EOF || lost)
    fatal(output ? "[e] an output file could not be written completely: %s\n"
                 : "[e] a file could not be read: %s\n",
          std::strerror(errno != 0 ? errno : EIO));
}

bool stdout_written() {
  errno = 0;
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  runlog_msg("[e] cannot write standard output: %s\n", std::strerror(errno != 0 ? errno : EIO));
  return false;
}

namespace {
// Names made by create_file in this run: the listing of auxiliary files
// shows these only, not files an earlier run left. One list per process,
// guarded, since structures analysed on several threads make files too.
std::mutex made_files_lock;
std::set<std::string>& made_files() {
  static std::set<std::string> names;
  return names;
}

// A name as a file: what it is (links followed) and where it resolves to.
struct file_id {
  std::string what, name, path;
  bool exists = false;
  bool user = false;  // an output the user named
  dev_t dev = 0;
  ino_t ino = 0;
};
file_id identify(const char* what, const std::string& name) {
  file_id id{what, name, name};
  struct stat st {};
  if (::stat(name.c_str(), &st) == 0) {
    id.exists = true;
    id.dev = st.st_dev;
    id.ino = st.st_ino;
  }
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::weakly_canonical(name, ec);
  if (!ec) id.path = p.string();
  return id;
}
bool same_id(const file_id& a, const file_id& b) {
  if (a.name.empty() || b.name.empty() || is_pseudo_file(a.name) || is_pseudo_file(b.name)) return false;
  if (a.exists && b.exists) return a.dev == b.dev && a.ino == b.ino;
  return a.name == b.name || a.path == b.path;
}
// The inputs and outputs claimed for this run (guarded with the made files).
std::vector<file_id>& claimed_inputs() {
  static std::vector<file_id> ids;
  return ids;
}
std::vector<file_id>& claimed_outputs() {
  static std::vector<file_id> ids;
  return ids;
}

// Reads of the data files whose first read is checked more closely: one
// count per process (the files do not change while it runs).
std::atomic<long> elements_dat_reads{0}, atomlist_dat_reads{0}, baselist_dat_reads{0};
std::atomic<long>* data_file_counter(const std::string& file) {
  return file == "elements.dat"   ? &elements_dat_reads
         : file == "atomlist.dat" ? &atomlist_dat_reads
         : file == "baselist.dat" ? &baselist_dat_reads
                                  : nullptr;
}

// The entry under the name is removed when it is a regular file or a link;
// false when there is none.
bool remove_entry(const std::string& name) {
  struct stat st {};
  if (::lstat(name.c_str(), &st) != 0) return false;
  if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
    fatal("[e] '%s' is not a regular file: refusing to write or remove it (rename it, or "
          "choose another --prefix)\n", name.c_str());
  if (::unlink(name.c_str()) != 0)
    fatal("[e] cannot remove '%s': %s\n", name.c_str(), std::strerror(errno));
  return true;
}
}  // namespace

bool same_file(const std::string& a, const std::string& b) {
  return same_id(identify("", a), identify("", b));
}

long first_same_file(const std::vector<std::string>& names, const std::vector<std::string>& others) {
  // a name that is no file is not looked up (each look-up resolves the path:
  // a few system calls), the others only once for all names
  auto no_file = [](const std::string& s) { return s.empty() || is_pseudo_file(s); };
  if (std::all_of(names.begin(), names.end(), no_file)) return -1;
  std::vector<file_id> ids;
  for (const std::string& o : others)
    if (!no_file(o)) ids.push_back(identify("", o));
  for (size_t k = 0; k < names.size(); ++k) {
    if (no_file(names[k])) continue;
    const file_id id = identify("", names[k]);
    if (std::any_of(ids.begin(), ids.end(), [&](const file_id& o) { return same_id(id, o); }))
      return static_cast<long>(k);
  }
  return -1;
}

void claim_input(const char* what, const std::string& name) {
  if (name.empty() || is_pseudo_file(name)) return;
  file_id in = identify(what, name);
  const std::lock_guard<std::mutex> hold(made_files_lock);
  for (const file_id& out : claimed_outputs())
    if (same_id(in, out))
      fatal("[e] the %s '%s' is the %s: refusing to overwrite it\n", out.what.c_str(), out.name.c_str(),
            what);
  claimed_inputs().push_back(std::move(in));
}

namespace {
void claim_any_output(const char* what, const std::string& name, bool user) {
  if (name.empty() || is_pseudo_file(name)) return;
  file_id out = identify(what, name);
  out.user = user;
  const std::lock_guard<std::mutex> hold(made_files_lock);
  for (const file_id& in : claimed_inputs())
    if (same_id(out, in))
      fatal("[e] the %s '%s' is the %s: refusing to overwrite it\n", what, name.c_str(), in.what.c_str());
  for (const file_id& other : claimed_outputs())
    if (same_id(out, other) && !(other.name == name && other.what == what))
      fatal("[e] the %s and the %s are the same file '%s'\n", other.what.c_str(), what, name.c_str());
  claimed_outputs().push_back(std::move(out));
}
}  // namespace

void claim_output(const char* what, const std::string& name) { claim_any_output(what, name, true); }

void claim_own_output(const char* what, const std::string& name) { claim_any_output(what, name, false); }

void claim_output_or_own(const char* what, const std::string& name, const std::string& fixed) {
  claim_any_output(what, name, name != fixed);
}

FILE* output_file(const std::string& name) {
  bool user = false;
  {
    const std::lock_guard<std::mutex> hold(made_files_lock);
    for (const file_id& out : claimed_outputs()) user = user || (out.user && out.name == name);
  }
  return user ? open_output(name) : create_file(name);
}

void check_not_input(const std::string& name, const char* action) {
  if (name.empty() || is_pseudo_file(name)) return;
  const file_id id = identify("", name);
  const std::lock_guard<std::mutex> hold(made_files_lock);
  for (const file_id& in : claimed_inputs())
    if (same_id(id, in))
      fatal("[e] '%s' is the %s of this run: refusing to %s it\n", name.c_str(), in.what.c_str(), action);
}

namespace {
FILE* open_named(const std::string& name, const char* mode) {
  if (name == "-" || name == "stdout") return stdout;
  if (name == "stderr") return stderr;
  check_not_input(name, "overwrite");
  errno = 0;
  FILE* fp = std::fopen(name.c_str(), mode);
  if (fp == nullptr) fatal("[e] cannot write '%s': %s\n", name.c_str(), std::strerror(errno));
  const std::lock_guard<std::mutex> hold(made_files_lock);
  made_files().insert(name);  // written by this run
  return fp;
}
}  // namespace

FILE* open_output(const std::string& name) { return open_named(name, "w"); }

FILE* append_output(const std::string& name) { return open_named(name, "a"); }

FILE* create_file(const std::string& name) {
  if (is_pseudo_file(name)) return open_output(name);
  check_not_input(name, "overwrite");
  remove_entry(name);
  // O_EXCL with O_NOFOLLOW: a link or file that appears meanwhile is not followed
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) fatal("[e] cannot create '%s': %s\n", name.c_str(), std::strerror(errno));
  FILE* fp = ::fdopen(fd, "w");
  if (fp == nullptr) {
    ::close(fd);
    fatal("[e] cannot create '%s': %s\n", name.c_str(), std::strerror(errno));
  }
  {
    const std::lock_guard<std::mutex> hold(made_files_lock);
    made_files().insert(name);
  }
  return fp;
}

FILE* append_file(const std::string& name) {
  if (is_pseudo_file(name)) return append_output(name);
  check_not_input(name, "overwrite");
  struct stat st {};
  // only a plain file of its own is added to; a link is replaced, never written through
  if (::lstat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1)
    return create_file(name);
  const int fd = ::open(name.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
  FILE* fp = fd < 0 ? nullptr : ::fdopen(fd, "a");
  if (fp == nullptr) {
    if (fd >= 0) ::close(fd);
    fatal("[e] cannot open '%s' for appending: %s\n", name.c_str(), std::strerror(errno));
  }
  return fp;
}

FILE* append_made_file(const std::string& name) {
  return made_by_this_run(name) ? append_file(name) : create_file(name);
}

bool made_by_this_run(const std::string& name) {
  const std::lock_guard<std::mutex> hold(made_files_lock);
  return made_files().count(name) != 0;
}

void forget_made_files() {
  const std::lock_guard<std::mutex> hold(made_files_lock);
  made_files().clear();
  claimed_inputs().clear();
  claimed_outputs().clear();
}

long data_file_reads(const std::string& file) {
  const std::atomic<long>* count = data_file_counter(file);
  return count != nullptr ? count->load() : 0;
}

void forget_data_file_reads() {
  elements_dat_reads = 0;
  atomlist_dat_reads = 0;
  baselist_dat_reads = 0;
}

bool exist_file(const std::string& name) {
  if (is_pseudo_file(name)) return true;
  if (name.empty()) return false;
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0;
}

bool regular_file_here(const std::string& name) {
  struct stat st {};
  return !name.empty() && ::lstat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void fail_nonexist_file(const std::string& name) {
  if (!exist_file(name)) fatal("[e] file '%s' does not exist\n", name.c_str());
}

long file_size(const std::string& name) {
  FILE* fp = open_file(name, "rb");
  std::fseek(fp, 0, SEEK_END);
  long n = std::ftell(fp);
  close_file(fp);
  return n;
}

bool is_empty_file(const std::string& name) { return file_size(name) == 0; }

void create_empty_file(const std::string& name) {
  if (is_pseudo_file(name)) return;
  close_file(create_file(name));
}

void remove_file(const std::string& name) {
  if (is_pseudo_file(name) || name.empty()) return;
  // nothing under the name (the usual case for the files a run clears
  // beforehand): nothing to check or remove, and no path to resolve
  struct stat st {};
  if (::lstat(name.c_str(), &st) != 0 && errno == ENOENT) return;
  check_not_input(name, "remove");
  remove_entry(name);
}

void remove_made_file(const std::string& name) {
  if (made_by_this_run(name)) remove_file(name);
}

void remove_empty_file(const std::string& name) {
  if (made_by_this_run(name) && regular_file_here(name) && file_size(name) == 0) remove_file(name);
}

namespace {
constexpr const char* kHeldLockVariable = "BELQO_VASK_HELD_LOCK";

// The locks a run holds, for its child runs: "<pid>:<fd>,<fd>..." with the
// run's process id; a descriptor the run took over from its own parent is
// marked "<fd>p".
struct held_lock {
  int fd;
  bool inherited;
};
bool held_locks_of(long& pid, std::vector<held_lock>& locks) {
  locks.clear();
  const char* held = std::getenv(kHeldLockVariable);
  if (held == nullptr) return false;
  char* end = nullptr;
  pid = std::strtol(held, &end, 10);
  if (*end != ':') return false;
  do {
    const long n = std::strtol(end + 1, &end, 10);
    if (n < 0 || n > INT_MAX) return false;
    const bool inherited = *end == 'p';
    if (inherited) ++end;
    if (*end != '\0' && *end != ',') return false;
    locks.push_back({static_cast<int>(n), inherited});
  } while (*end == ',');
  return true;
}

void note_held_locks(const std::vector<held_lock>& locks) {
  if (locks.empty()) {
    ::unsetenv(kHeldLockVariable);
    return;
  }
  std::string value = std::to_string(::getpid()) + ":";
  for (std::size_t k = 0; k < locks.size(); ++k) {
    if (k > 0) value += ',';
    value += std::to_string(locks[k].fd);
    if (locks[k].inherited) value += 'p';
  }
  ::setenv(kHeldLockVariable, value.c_str(), 1);
}

// The locks this process holds: those it noted, or, before it noted any,
// those its parent run noted, which it inherited (run_program).
std::vector<held_lock> own_locks() {
  long pid = 0;
  std::vector<held_lock> locks;
  if (!held_locks_of(pid, locks)) return {};
  if (pid == static_cast<long>(::getpid())) return locks;
  if (pid != static_cast<long>(::getppid())) return {};
  for (held_lock& l : locks) l.inherited = true;
  return locks;
}

// A lock of the parent run, whose descriptor this child run of the program
// inherited: the same file is still under the name and the lock is on it.
bool parent_holds_lock(const std::string& name) {
  const std::vector<held_lock> locks = own_locks();
  for (const held_lock& lock : locks) {
    if (!lock.inherited) continue;  // taken by this run itself
    struct stat opened {}, named {};
    if (::fstat(lock.fd, &opened) == 0 && ::lstat(name.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
        opened.st_ino == named.st_ino && ::flock(lock.fd, LOCK_EX | LOCK_NB) == 0) {  // ours already: same open file
      note_held_locks(locks);  // for this run's own children
      return true;
    }
  }
  return false;
}
}  // namespace

int acquire_lock_file(const std::string& name) {
  if (parent_holds_lock(name)) return LOCK_OF_PARENT;
  // a holder removes the file before it lets go: a lock won on a file that
  // is no longer under the name is no lock, and the new file is tried
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) fatal("[e] cannot open the lock file '%s': %s\n", name.c_str(), std::strerror(errno));
    struct stat held {};
    if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
      ::close(fd);
      fatal("[e] '%s' is not a regular file: refusing to use it as the lock file\n", name.c_str());
    }
    // a lock file of ours is always empty, and it is removed at the end:
    // a file with contents under the name is someone's data
    if (held.st_size != 0) {
      ::close(fd);
      fatal("[e] '%s' is not empty: refusing to use it as the lock file (rename it)\n", name.c_str());
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int err = errno;
      ::close(fd);
      if (err == EWOULDBLOCK) return -1;
      fatal("[e] cannot lock '%s': %s\n", name.c_str(), std::strerror(err));
    }
    struct stat now {};
    if (::lstat(name.c_str(), &now) == 0 && now.st_dev == held.st_dev && now.st_ino == held.st_ino) {
      // child runs of the program (run_program) inherit it
      std::vector<held_lock> locks = own_locks();
      locks.push_back({fd, false});
      note_held_locks(locks);
      return fd;
    }
    ::close(fd);
  }
  fatal("[e] cannot lock '%s': it keeps being replaced\n", name.c_str());
}

void release_lock_file(const std::string& name, int fd) {
  if (fd < 0) return;  // none, or the parent's
  std::vector<held_lock> locks = own_locks();
  std::erase_if(locks, [fd](const held_lock& l) { return l.fd == fd; });
  note_held_locks(locks);
  ::unlink(name.c_str());  // still ours: whoever opens it now finds it gone and retries
  ::close(fd);
}

std::vector<int> held_lock_descriptors() {
  std::vector<int> fds;
  for (const held_lock& lock : own_locks())
    if (::fcntl(lock.fd, F_GETFD) != -1) fds.push_back(lock.fd);
  return fds;
}

namespace {
// Copies in blocks; false on a short write.
bool copy_blocks(FILE* in, FILE* out) {
  char buf[COPY_BLOCK];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, in)) > 0)
    if (std::fwrite(buf, 1, n, out) != n) return false;
  return true;
}
}  // namespace

void copy_file_handle_to_handle(FILE* in, FILE* out) {
  if (!copy_blocks(in, out)) fatal("[e] file copy error\n");
}

void copy_file(const std::string& src, const std::string& dst) {
  if (src == dst) {
    runlog_msg("same source/destination file named: <%s>\n", src.c_str());
    return;
  }
  scoped_file in(open_file(src, "rb"));
  scoped_file out(create_file(dst));
  copy_file_handle_to_handle(in.get(), out.get());
  in.close();
  out.close();
}

void copy_file_to_handle(const std::string& src, FILE* out) {
  scoped_file in(open_file(src, "rb"));
  copy_file_handle_to_handle(in.get(), out);
  in.close();
}

void cat_file(const std::string& src, const std::string& dst) {
  scoped_file in(open_file(src, "rb"));
  scoped_file out(append_output(dst));
  if (!copy_blocks(in.get(), out.get()))
    fatal("file concatenation error from <%s> to <%s>\n", src.c_str(), dst.c_str());
  in.close();
  out.close();
}

void rename_file(const std::string& src, const std::string& dst) {
  if (!exist_file(src)) fatal("file to be renamed <%s> does NOT exist!\n", src.c_str());
  if (stdout_stderr(dst)) {
    cat_file(src, dst);
    return;
  }
  check_not_input(dst, "overwrite");
  if (std::rename(src.c_str(), dst.c_str()) != 0)
    fatal("rename_file failed: <%s> (to <%s>)\n", src.c_str(), dst.c_str());
}

std::string file_content(const std::string& name) {
  long n = file_size(name);
  std::string s(static_cast<size_t>(n > 0 ? n : 0), '\0');
  FILE* fp = open_file(name, "rb");
  size_t got = std::fread(s.data(), 1, s.size(), fp);
  close_file(fp);
  if (got != s.size()) fatal("Error in reading file <%s>\n", name.c_str());
  return s;
}

bool same_text_files(long skip, const std::string& name1, const std::string& name2) {
  std::string a = file_content(name1);
  std::string b = file_content(name2);
  size_t i = 0, j = 0;
  for (long k = 0; k < skip && i < a.size(); ++k) {  // a line of file 1 skipped ...
    size_t e = a.find('\n', i);
    i = e == std::string::npos ? a.size() : e + 1;
    if (j >= b.size()) return false;                // ... needs one of file 2
    e = b.find('\n', j);
    j = e == std::string::npos ? b.size() : e + 1;
  }
  return a.compare(i, std::string::npos, b, j, std::string::npos) == 0;
}

scoped_file::~scoped_file() {
  // unwinding: no error check (the run is failing already), never a throw
  if (fp_ != nullptr && fp_ != stdin && fp_ != stdout && fp_ != stderr) std::fclose(fp_);
}

void scoped_file::close() {
  FILE* fp = fp_;
  fp_ = nullptr;
  close_file(fp);
}

std::string get_filestr(const std::string& name) {
  scoped_file in(open_file(name, "r"));
  std::string s, line;
  while (get_line(in.get(), line)) {
    s += line;
    s += '\n';
  }
  in.close();
  return s;
}

std::string get_clean_filestr(const std::string& name) {
  scoped_file in(open_file(name, "r"));
  std::string s, line;
  while (get_line(in.get(), line)) {
    if (is_doc_string(line)) continue;
    nullify_line_comment(line);  // fatal on a line it cannot tokenize
    s += trim(line);
    s += ' ';
  }
  in.close();
  return rtrim(s);
}

std::vector<std::string> get_filelines(const std::string& name, long max_lines) {
  scoped_file in(open_file(name, "r"));
  line_reader reader(in.get(), name, max_lines);
  std::vector<std::string> lines;
  std::string line;
  while (reader.next(line)) lines.push_back(line);
  in.close();
  return lines;
}

void check_filelines(const std::string& name) {
  std::vector<std::string> lines = get_filelines(name);
  runlog_msg("\nA total of %d lines:\n", static_cast<int>(lines.size()));
  for (size_t i = 0; i < lines.size(); ++i) runlog_msg("%d..\t%s\n", static_cast<int>(i), lines[i].c_str());
}

bool is_coordinate_file_name(std::string_view name) { return zor_ncmatch(std::string(name), COORD_SUFFIX); }

// A folder can be opened for reading but holds no records: not a coordinate file.
bool valid_coordinate_file(const std::string& name) {
  std::error_code ec;
  return is_coordinate_file_name(name) && exist_file(name) &&
         (is_pseudo_file(name) || !std::filesystem::is_directory(name, ec));
}

std::vector<std::string> get_coord_lists(long& count, const std::string& list_file) {
  runlog_msg("[i] process a list of target structures: '%s'\n", list_file.c_str());
  scoped_file in(open_file(list_file, "r"));
  line_reader reader(in.get(), list_file);
  std::vector<std::string> names(1);  // 1-based
  std::string line;
  while (reader.next(line)) {
    if (is_doc_string(line)) continue;
    std::string word = trim_word(line);  // a name is the line's first word, kept whole
    if (valid_coordinate_file(word)) names.push_back(word);
  }
  in.close();
  count = static_cast<long>(names.size()) - 1;
  if (count == 0) fatal("[e] no valid coordinate files listed in '%s'\n", list_file.c_str());
  runlog_msg("    %ld valid coordinate files\n", count);
  FILE* out = create_file("PDB-lists.txt");
  for (long i = 1; i <= count; ++i) std::fprintf(out, "%s\n", names[static_cast<size_t>(i)].c_str());
  close_file(out);
  return names;
}

// ---------------------------------------------------------------- paths

std::string get_basename(std::string_view path) {
  size_t k = path.rfind(path_separator());
  return std::string(k == std::string_view::npos ? path : path.substr(k + 1));
}

std::string get_file_extension(std::string_view path) {
  std::string base = get_basename(path);
  size_t k = base.rfind('.');
  return k == std::string::npos ? std::string() : base.substr(k + 1);
}

std::string basename_del_ext(std::string_view path) {
  std::string base = get_basename(path);
  size_t k = base.rfind('.');
  return k == std::string::npos ? base : base.substr(0, k);
}

std::string basename_renew_ext(std::string_view path, std::string_view ext) {
  return basename_del_ext(path) + "." + std::string(ext);
}

void extract_path_two_parts(std::string_view path, std::string& stem, std::string& ext) {
  size_t dot = path.rfind('.');
  size_t sep = path.rfind(path_separator());
  if (stdout_stderr(path) || dot == std::string_view::npos ||
      (sep != std::string_view::npos && dot < sep)) {
    stem = std::string(path);
    ext.clear();
    return;
  }
  stem = std::string(path.substr(0, dot));
  ext = std::string(path.substr(dot));
}

void add_end_slash(std::string& path) {
  if (!end_with_char(path, '/')) path += '/';
}

void delete_end_slash(std::string& path) {
  if (end_with_char(path, '/')) path.pop_back();
}

bool with_prefix_nc(std::string_view text, std::string_view prefix) {
  std::string pattern(1, '^');
  pattern += prefix;
  return zor_ncmatch(std::string(text), pattern.c_str());
}

bool with_suffix_nc(std::string_view text, std::string_view suffix) {
  std::string pattern;
  if (begin_with_char(suffix, '.')) pattern += '\\';  // the dot is literal
  pattern += suffix;
  pattern += '$';
  return zor_ncmatch(std::string(text), pattern.c_str());
}

namespace {
// One line, at most MAX_LINE_BYTES of it: false at the end of input with
// nothing read. A longer line sets `cut` and its rest is left unread.
bool read_bounded_line(FILE* fp, std::string& line, bool& cut) {
  line.clear();
  cut = false;
  if (fp == nullptr) return false;
  int c;
  bool any = false;
  while ((c = std::getc(fp)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (c == '\r') {
      int next = std::getc(fp);
      if (next != '\n' && next != EOF) std::ungetc(next, fp);
      break;
    }
    if (line.size() == MAX_LINE_BYTES) {
      cut = true;
      break;
    }
    line += static_cast<char>(c);
  }
  return any;
}
}  // namespace

bool get_line(FILE* fp, std::string& line) {
  bool cut = false;
  const bool any = read_bounded_line(fp, line, cut);
  if (cut) fatal("[e] a line longer than %zu bytes -- not a file this program reads\n", MAX_LINE_BYTES);
  return any;
}

bool line_reader::next(std::string& line) {
  bool cut = false;
  if (!read_bounded_line(fp_, line, cut)) return false;
  ++number_;
  if (cut)
    fatal("[e] %s, line %ld: longer than %zu bytes -- not read further\n", name_.c_str(), number_, MAX_LINE_BYTES);
  if (max_lines_ > 0 && number_ > max_lines_)
    fatal("[e] %s, line %ld: more than %ld lines -- not read further\n", name_.c_str(), number_, max_lines_);
  return true;
}

void skip_num_lines(FILE* fp, long n) {
  if (fp == nullptr || n < 1) return;
  std::string line;
  for (long i = 0; i < n; ++i)
    if (!get_line(fp, line)) logit_fatal(sformat("\t%ld < %ld required lines to skip\n", i + 1, n).c_str());
}

namespace {
// The home folder of an installed executable: <prefix>/share/belqo-vask beside
// <prefix>/bin. Found from the executable's own path, so an installed tree
// needs no BELQO_VASK and still works when its prefix is moved. Empty when
// the executable does not sit in such a tree (a build folder).
std::string installed_home() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  const std::filesystem::path home = exe.parent_path() / VASK_HOME_FROM_BIN;
  return std::filesystem::is_directory(home, ec) ? home.lexically_normal().string() : std::string();
}
}  // namespace

std::string data_home() {
  const char* env = std::getenv("BELQO_VASK");
  return env != nullptr ? std::string(env) : installed_home();
}

std::string get_sysdir(const std::string& subdir, const std::string& file) {
  if (exist_file(file)) return "./";
  const char* env = std::getenv("BELQO_VASK");
  std::string dir = data_home();
  if (env == nullptr && dir.empty()) fatal("get_sysdir(): can't locate directory with file [%s]\n", file.c_str());
  add_end_slash(dir);
  return dir + subdir + "/";
}

std::string get_sysfile(const std::string& subdir, const std::string& file) {
  std::string path = get_sysdir(subdir, file) + file;
  if (!exist_file(path)) fatal("get_sysfile(): can't locate file [%s]\n", path.c_str());
  std::atomic<long>* uses = data_file_counter(file);
  if (uses != nullptr && (*uses)++ == 0 && VERBOSITY > 1) prglog_msg("...... %s ......\n", path.c_str());
  return path;
}

}  // namespace vask
