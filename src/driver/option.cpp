// The log streams of a run and the exit handler.
#include "driver/option.hpp"

#include <cctype>
#include <cstdio>
#include <ctime>

#include "support/file.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "support/timing.hpp"

namespace vask {

namespace {
// Files opened by open_log_streams(); only these are closed at exit, and only
// while the log still points at them (set_globals() puts the logs back to the
// standard streams without knowing about these).
FILE* runlog_opened = nullptr;
FILE* prglog_opened = nullptr;
}  // namespace

void open_log_streams() {
  auto open_one = [](const std::string& name, FILE*& opened) -> FILE* {
    opened = nullptr;
    if (VERBOSITY == -1 || name.empty()) return nullptr;
    // the program's own name for its log is made anew like the auxiliary
    // files; a name the user gave is opened as given ("stderr" and "stdout"
    // are the streams themselves)
    const bool ours = name == Gvars.prefix.substr(0, 468) + "-prog.log";
    FILE* fp = ours ? create_file(name) : open_output(name);
    if (!is_pseudo_file(name)) opened = fp;
    return fp;
  };
  RUNLOG = open_one(Gvars.runlog_name, runlog_opened);
  PRGLOG = open_one(Gvars.prglog_name, prglog_opened);
}

namespace {
// The warning counts of the structures run so far (the driver adds each
// structure's when done with it), for the program log at exit.
warning_counts run_totals;
}  // namespace

void tally_warnings(const warning_counts& now, const warning_counts& before) {
  auto add = [](long& total, long n, long b) { total += n - b; };
  add(run_totals.atom_name, now.atom_name, before.atom_name);
  add(run_totals.atom_symbol, now.atom_symbol, before.atom_symbol);
  add(run_totals.connects, now.connects, before.connects);
  add(run_totals.bond_in_residue, now.bond_in_residue, before.bond_in_residue);
  add(run_totals.arg_swap, now.arg_swap, before.arg_swap);
  add(run_totals.nt_rmsd, now.nt_rmsd, before.nt_rmsd);
}

void clean_globals() {
  const warning_counts c = run_totals;
  run_totals = warning_counts{};  // the next run in this process counts afresh
  prglog_msg("<elements.dat> %ld times\n", data_file_reads("elements.dat"));
  prglog_msg("<atomlist.dat> %ld times\n", data_file_reads("atomlist.dat"));
  prglog_msg("<baselist.dat> %ld times\n\n", data_file_reads("baselist.dat"));
  prglog_msg("COUNT_BOND_IN_RESIDUE %ld times\n", c.bond_in_residue);
  prglog_msg("COUNT_ATOM_NAME %ld times\n", c.atom_name);
  prglog_msg("COUNT_ATOM_SYMBOL %ld times\n", c.atom_symbol);
  prglog_msg("COUNT_CONNECTS %ld times\n", c.connects);
  prglog_msg("COUNT_FILL_BOND %ld times\n", 0L);  // nothing counts it any more
  prglog_msg("COUNT_ARG_SWAP %ld times\n", c.arg_swap);
  prglog_msg("COUNT_NT_RMSD %ld times\n", c.nt_rmsd);

  gvars_rec& settings = mutable_gvars();
  settings.nt_ignored = baselist{};
  settings.nt_mappings = baselist{};
  settings.model_list.clear();
  settings.selected_models.clear();

  logitf("\nTime used: %s\n", derive_used_time().c_str());

  if (RUNLOG != nullptr) std::fflush(RUNLOG);
  if (PRGLOG != nullptr) std::fflush(PRGLOG);
  auto close_opened = [](FILE*& opened, FILE*& log) {
    if (opened == nullptr) return;
    if (log == opened) log = nullptr;
    close_file(opened);
    opened = nullptr;
  };
  close_opened(runlog_opened, RUNLOG);
  close_opened(prglog_opened, PRGLOG);
}

void collect_global_options(std::string& command) {
  if (Gvars.input_format == 2) command += " --format=mmcif";
  if (Gvars.output_format == 2) command += " --format-output=mmcif";
  if (Gvars.json != 0) command += " --json";
}

}  // namespace vask
