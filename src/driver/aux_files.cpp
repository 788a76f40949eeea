// The auxiliary-file table: clean-up and collection: see aux_files.hpp.
#include "driver/aux_files.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "driver/belqo-vask.hpp"
#include "schematics/block_schematic.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/settings.hpp"

namespace vask {

std::string aux_file_name(std::string_view suffix) {
  std::string name = Gvars.prefix.substr(0, 256);
  name += '-';
  name += suffix;
  return name;
}

std::string cif_twin(std::string_view name) {
  constexpr std::string_view pdb = ".pdb";
  if (name.size() < pdb.size() || name.substr(name.size() - pdb.size()) != pdb) return {};
  std::string twin(name.substr(0, name.size() - pdb.size()));
  return twin + ".cif";
}

namespace {
// Under --cleanup=no: the auxiliary files an earlier run left, as found when
// this run started. The listing leaves them out while they are untouched.
struct kept_file {
  dev_t dev;
  ino_t ino;
  long long mtime_ns;
  off_t size;
  bool operator==(const kept_file&) const = default;
};
std::map<std::string, kept_file>& kept_files() {
  static std::map<std::string, kept_file> files;
  return files;
}
bool file_state(const std::string& name, kept_file& out) {
  struct stat st {};
  if (::lstat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  out = {st.st_dev, st.st_ino, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec, st.st_size};
  return true;
}
// A file of the listing: made by this run, or changed since it started.
bool written_by_this_run(const std::string& name) {
  if (made_by_this_run(name)) return regular_file_here(name);
  kept_file now{};
  if (!file_state(name, now)) return false;
  auto it = kept_files().find(name);
  return it == kept_files().end() || !(it->second == now);
}
}  // namespace

void delete_common_files() {
  kept_files().clear();
  if (Gvars.cleanup == 0) {
    for (const auto& name : auxiliary_names())
      if (kept_file k{}; file_state(name, k)) kept_files()[name] = k;
    return;
  }
  // a pair list of an earlier run given as this run's input is kept
  auto remove_unless_input = [](const std::string& name) {
    std::error_code ec;
    if (!Gvars.pair_list_inp.empty() &&
        (name == Gvars.pair_list_inp || std::filesystem::equivalent(name, Gvars.pair_list_inp, ec)))
      return;
    remove_file(name);
  };
  for (const auto& row : aux_file_table) {
    std::string name = aux_file_name(row.suffix);
    remove_unless_input(name);
    std::string twin = cif_twin(name);
    if (!twin.empty()) remove_unless_input(twin);
  }
  for (const char* name : fixed_aux_files) remove_file(name);
  remove_file(g4_trace_file_name());
}

void clean_up_all_files() {
  delete_common_files();
  for (const char* name : cleanup_only_files) remove_file(name);
  for (const char* suffix : cleanup_only_suffixes) remove_file(aux_file_name(suffix));
  remove_file(prefix_lock_name());
}

namespace {
// The same file under two names (links and relative paths included), or two
// equal names of files that do not exist yet; the stream pseudo-names never clash.
bool same_file(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty() || is_pseudo_file(a) || is_pseudo_file(b)) return false;
  std::error_code ec;
  return a == b || std::filesystem::equivalent(a, b, ec);
}
}  // namespace

void check_file_clashes(const run_descriptor& run) {
  if (Gvars.prefix.find('/') != std::string::npos)
    fatal("[e] --prefix takes a plain name without a directory: '%s'\n", Gvars.prefix.c_str());
  // found now rather than by the first auxiliary file, after the analysis
  constexpr size_t kNameMax = 255;  // bytes in one file name
  size_t longest = 0;
  for (const auto& row : aux_file_table) longest = std::max(longest, std::strlen(row.suffix));
  if (aux_file_name("").size() + longest > kNameMax)
    fatal("[e] --prefix is too long: at most %zu bytes make file names (%zu given)\n",
          kNameMax - longest - 1, Gvars.prefix.size());
  struct named {
    const char* what;
    const std::string& name;
  };
  const named inputs[] = {{"input file", run.input},
                          {"list file", run.list},
                          {"nucleotide-list input", Gvars.nts_list_inp},
                          {"pair-list input", Gvars.pair_list_inp}};
  const named outputs[] = {{"output file", run.output},
                           {"run log", Gvars.runlog_name},
                           {"program log", Gvars.prglog_name},
                           {"pair-list output", Gvars.pair_list_out},
                           {"nucleotide-list output", Gvars.nts_list_out}};
  for (const auto& out : outputs) {
    for (const auto& in : inputs)
      if (same_file(out.name, in.name))
        fatal("[e] the %s '%s' is the %s: refusing to overwrite it\n", out.what,
              out.name.c_str(), in.what);
    for (const auto& other : outputs)
      if (&other < &out && same_file(out.name, other.name))
        fatal("[e] the %s and the %s are the same file '%s'\n", other.what, out.what,
              out.name.c_str());
  }
  const named mine[] = {inputs[0], inputs[1], inputs[2], outputs[0]};
  for (const auto& f : mine) check_not_auxiliary(f.what, f.name);
  check_output_folders(run);
}

namespace {
// Refuses (fatal) an output whose folder is missing or cannot take files,
// naming the folder; streams and unset names pass.
void check_output_folder(const char* what, const std::string& name) {
  if (name.empty() || is_pseudo_file(name) || name == "none") return;
  const std::filesystem::path parent = std::filesystem::path(name).parent_path();
  const std::string folder = parent.empty() ? std::string(".") : parent.string();
  std::error_code ec;
  if (!std::filesystem::exists(folder, ec))
    fatal("[e] cannot write the %s '%s': the folder '%s' does not exist\n", what, name.c_str(),
          folder.c_str());
  if (!std::filesystem::is_directory(folder, ec))
    fatal("[e] cannot write the %s '%s': '%s' is not a folder\n", what, name.c_str(), folder.c_str());
  if (::access(folder.c_str(), W_OK | X_OK) != 0)
    fatal("[e] cannot write the %s '%s': the folder '%s' is not writable\n", what, name.c_str(),
          folder.c_str());
}
}  // namespace

void check_output_folders(const run_descriptor& run) {
  if (run.list.empty()) {
    check_output_folder("output file", run.output);
  } else if (with_prefix_nc(run.output, "one:")) {
    check_output_folder("output file", run.output.substr(4));
  } else if (!is_pseudo_file(run.output)) {
    // each report is <output><base name>.<extension>
    check_output_folder("reports", run.output + "<name>");
  }
  check_output_folder("pair-list output", Gvars.pair_list_out);
  check_output_folder("nucleotide-list output", Gvars.nts_list_out);
}

std::vector<std::string> auxiliary_names() {
  std::vector<std::string> aux;
  for (const auto& row : aux_file_table) {
    aux.push_back(aux_file_name(row.suffix));
    if (std::string twin = cif_twin(aux.back()); !twin.empty()) aux.push_back(twin);
  }
  aux.insert(aux.end(), fixed_aux_files.begin(), fixed_aux_files.end());
  aux.push_back(g4_trace_file_name());
  aux.emplace_back("PDB-lists.txt");
  aux.push_back(prefix_lock_name());
  return aux;
}

void check_not_auxiliary(const char* what, const std::string& name) {
  for (const auto& aux : auxiliary_names())
    if (same_file(name, aux))
      fatal("[e] the %s '%s' has the name of an auxiliary file this run writes or "
            "removes: rename it or choose another --prefix\n",
            what, name.c_str());
}

std::string prefix_lock_name() { return aux_file_name("lock"); }

prefix_lock::prefix_lock() {
  const std::string name = prefix_lock_name();
  // never through a link: the lock file is the program's own
  fd_ = ::open(name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd_ < 0) fatal("[e] cannot open the lock file '%s': %s\n", name.c_str(), std::strerror(errno));
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fatal("[e] '%s' is not a regular file: refusing to use it as the lock file\n", name.c_str());
  }
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    ::close(fd_);
    if (err == EWOULDBLOCK)
      fatal("[e] another run is using prefix '%s' in this folder: wait for it, or choose "
            "another --prefix\n", Gvars.prefix.c_str());
    fatal("[e] cannot lock '%s': %s\n", name.c_str(), std::strerror(err));
  }
}

prefix_lock::~prefix_lock() { ::close(fd_); }  // the lock goes with the descriptor

namespace {
std::string canonical_name(const std::string& name) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::weakly_canonical(name, ec);
  return ec ? name : p.string();
}
}  // namespace

std::set<std::string> canonical_file_set(const std::vector<std::string>& files) {
  std::set<std::string> listed;
  for (size_t k = 1; k < files.size(); ++k) listed.insert(canonical_name(files[k]));
  return listed;
}

void check_list_report_name(const std::string& report, const std::set<std::string>& listed) {
  if (!is_pseudo_file(report) && listed.count(canonical_name(report)))
    fatal("[e] the report file '%s' is one of the listed input files: refusing to overwrite it\n",
          report.c_str());
}

long collect_auxfiles(std::vector<long>& rows, std::vector<std::string>& names) {
  rows.clear();
  names.clear();
  // only files of this run: an earlier run's files, kept by --cleanup=no, are not ours
  auto ours = [](const std::string& name) { return written_by_this_run(name); };
  for (size_t i = 0; i < aux_file_table.size(); ++i) {
    std::string name = aux_file_name(aux_file_table[i].suffix);
    if (!ours(name)) {
      name = cif_twin(name);
      if (name.empty() || !ours(name)) continue;
    }
    if (file_size(name) == 0) {
      remove_file(name);
      continue;
    }
    rows.push_back(static_cast<long>(i));
    names.push_back(name);
  }
  return static_cast<long>(rows.size());
}

}  // namespace vask
