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
    FILE* fp = ours ? create_file(name) : open_file(name, "w");
    if (!is_pseudo_file(name)) opened = fp;
    return fp;
  };
  RUNLOG = open_one(Gvars.runlog_name, runlog_opened);
  PRGLOG = open_one(Gvars.prglog_name, prglog_opened);
}

void clean_globals() {
  const run_counters& c = Gvars.counts;
  prglog_msg("<elements.dat> %ld times\n", c.elements_dat);
  prglog_msg("<atomlist.dat> %ld times\n", c.atomlist_dat);
  prglog_msg("<baselist.dat> %ld times\n\n", c.baselist_dat);
  prglog_msg("COUNT_BOND_IN_RESIDUE %ld times\n", c.bond_in_residue);
  prglog_msg("COUNT_ATOM_NAME %ld times\n", c.atom_name);
  prglog_msg("COUNT_ATOM_SYMBOL %ld times\n", c.atom_symbol);
  prglog_msg("COUNT_CONNECTS %ld times\n", c.connects);
  prglog_msg("COUNT_FILL_BOND %ld times\n", c.fill_bond);
  prglog_msg("COUNT_ARG_SWAP %ld times\n", c.arg_swap);
  prglog_msg("COUNT_NT_RMSD %ld times\n", c.nt_rmsd);

  Gvars.nt_ignored = baselist{};
  Gvars.nt_mappings = baselist{};
  Gvars.model_list.clear();
  Gvars.selected_models.clear();

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
