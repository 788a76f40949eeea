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

#include <sys/stat.h>
#include <unistd.h>

#include "driver/belqo-vask.hpp"
#include "schematics/block_schematic.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

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
  // the lock file is not among them: it is removed when the lock is let go,
  // and removing it under the lock would let a second run lock a new one
}

namespace {
[[noreturn]] void refuse_auxiliary_name(const char* what, const std::string& name) {
  fatal("[e] the %s '%s' has the name of an auxiliary file this run writes or "
        "removes: rename it or choose another --prefix\n",
        what, name.c_str());
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
  // claimed for the whole run: no file of it may then overwrite or remove an input
  for (const auto& in : inputs) claim_input(in.what, in.name);
  for (const auto& out : outputs) claim_output(out.what, out.name);
  const named mine[] = {inputs[0], inputs[1], inputs[2], outputs[0]};
  std::vector<std::string> names;
  for (const auto& f : mine) names.push_back(f.name);
  if (long k = first_same_file(names, auxiliary_names()); k >= 0)
    refuse_auxiliary_name(mine[k].what, mine[k].name);
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
  if (first_same_file({name}, auxiliary_names()) >= 0) refuse_auxiliary_name(what, name);
}

std::string prefix_lock_name() { return aux_file_name("lock"); }

folder_lock::folder_lock(std::string name, const std::string& busy) : name_(std::move(name)) {
  // the lock file is removed at the end: an input under its name would go with it
  check_not_input(name_, "lock and then remove");
  fd_ = acquire_lock_file(name_);
  if (fd_ == -1) fatal("%s", busy.c_str());
}

folder_lock::~folder_lock() { release_lock_file(name_, fd_); }  // leaves no lock file behind

prefix_lock::prefix_lock()
    : folder_lock(prefix_lock_name(), sformat("[e] another run is using prefix '%s' in this folder: wait for it, "
                                              "or choose another --prefix\n", Gvars.prefix.c_str())) {}

fixed_names_lock::fixed_names_lock()
    : folder_lock(kFixedNamesLock, "[e] another run is using the fixed file names of this folder, which every "
                                   "--prefix shares: wait for it, or run in another folder\n") {}

bool subcommand_run::start(int argc, char* argv[], std::initializer_list<run_file> inputs,
                           std::initializer_list<run_file> outputs) {
  book_keeping(argc, argc, argc > 1 ? argv[argc - 1] : nullptr);
  for (const run_file& f : inputs) claim_input(f.what, f.name);
  for (const run_file& f : outputs) claim_output(f.what, f.name);
  return true;
}

subcommand_run::subcommand_run(int argc, char* argv[], std::initializer_list<run_file> inputs,
                               std::initializer_list<run_file> outputs, bool fixed_names)
    : started_(start(argc, argv, inputs, outputs)) {
  if (fixed_names) fixed_.emplace();
}

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
