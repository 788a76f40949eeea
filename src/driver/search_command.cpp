// The search sub-command: options, checks, the command echo, then the query
// search or the stretched-duplex scan over the targets.
#include "driver/search_command.hpp"

#include <cstdio>
#include <vector>

#include "driver/aux_files.hpp"
#include "driver/belqo-vask.hpp"
#include "driver/option.hpp"
#include "structure/atom.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/option_value.hpp"
#include "support/pattern_matcher.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/timing.hpp"

namespace vask {

namespace {

constexpr double kCutoffMax = 99.0;      // Angstrom
constexpr double kOrderCutoffRise = 2.0;  // the other measures allow looser fits
constexpr long kSsParCorrected = 4;       // step frames brought to one direction first

// The option's name: the argument up to '='. Search options are matched on
// the whole name, so that a common option starting with the same letters
// ("--trx-file", "--quiet", "--pair-list") is never taken for one.
std::string option_key(const char* arg) {
  std::string a = arg;
  return a.substr(0, a.find('='));
}

bool value_given(const char* arg) { return !with_optional_endEqual(arg); }

std::string value_of(const char* arg) { return value_given(arg) ? get_strvalue(arg, false) : ""; }

}  // namespace

void module_search_help_exit(int status) {
  const char* lines[] = {
      "Usage: belqo-vask search [options]",
      "",
      "Each option is specified via --key[=val] (or -key[=val] or key[=val];",
      "i.e., two/one/zero preceding dashes are all accepted), where 'key' can",
      "be in either lower, UPPER or MiXed case. Options can be in any order.",
      "Options:",
      "  --help         Display this information (-h)",
      "  --cutoff       RMSD cutoff in angstrom (3)",
      "  --match=str    Match type for the fitting (P-atom, origin, oxy, plane)",
      "  --query=file   Specify the query structure file in PDB/mmCIF (-i=file)",
      "  --target=file  Specify the target file in PDB/mmCIF, or a list of such",
      "  --list         The target file is a list of PDB/mmCIF files",
      "  --stretch='slide:2,roll=-10'  Find steps with Slide > 2 and Roll > -10",
      "",
      "Examples:",
      "  belqo-vask search --query=core-ss.pdb --target=4esv.pdb",
      "  belqo-vask search --query=core-ds.pdb --target=1ais.pdb",
      "  belqo-vask search --query=core-ds.pdb --target=1ais.pdb --match=Patom-oxy",
      "  belqo-vask search --query=core-ds.pdb --target-list=pdbfiles.txt",
  };
  const std::string rule(70, '=');
  std::fprintf(stderr, "%s\n", rule.c_str());
  for (const char* line : lines) std::fprintf(stderr, "%s\n", line);
  std::fprintf(stderr, "%s\n", rule.c_str());
  end_run(status);
}

int check_search_option(const char* arg, search_settings& s) {
  const std::string key = option_key(arg);
  if (zor_ncmatch(key, "^-?-?q(uery)?$")) {
    s.query = get_strvalue(arg, true);
    return 1;
  }
  if (zor_ncmatch(key, "^-?-?(th(reshold)?|cutoff)$")) {
    s.cutoff = value_given(arg) ? get_dvalue(arg, 0.0, kCutoffMax) : 3.0;
    return 1;
  }
  if (zor_ncmatch(key, "^-?-?t(arget)?[-_]?list$")) {
    s.target_list = get_strvalue(arg, true);
    return 1;
  }
  if (zor_ncmatch(key, "^-?-?t(arget)?$")) {
    s.target = get_strvalue(arg, true);
    return 1;
  }
  if (zor_ncmatch(key, "^-?-?csv([-_]?file)?$")) {
    s.csv = get_strvalue(arg, true);
    return 1;
  }
  if (zor_ncmatch(key, "^-?-?match([-_]?type)?$")) {
    s.match = value_given(arg) ? derive_match_type(value_of(arg)) : MATCH_PHOS;
    return 1;
  }
  if (zor_ncmatch(key, "^-?-?pairs?([-_]?par(ameter)?s?)?$")) {
    const std::string v = value_of(arg);
    if (!value_given(arg))
      s.pair_mode = 1;
    else if (zor_ncmatch(v, "only|just|sole|excl"))
      s.pair_mode = -1;
    else if (zor_ncmatch(v, "no|false|0|off"))
      s.pair_mode = 0;
    else
      s.pair_mode = 1;
    return 1;
  }
  if (zor_ncmatch(key, "^-?-?single$")) {
    const std::string v = value_of(arg);
    if (!value_given(arg) || zor_ncmatch(v, "query|one") || zor_ncmatch(arg, "=1$"))
      s.single = 1;
    else if (zor_ncmatch(v, "no|false|0|off"))
      s.single = 0;
    else
      s.single = 2;
    return 1;
  }
  if (zor_ncmatch(key, "^-?-?(order|sort)$")) {
    const std::string v = value_of(arg);
    if (!value_given(arg))
      s.order = ORDER_RMSD;
    else if (zor_ncmatch(v, "par"))
      s.order = ORDER_PARS;
    else if (zor_ncmatch(v, "cos"))
      s.order = ORDER_COSINE;
    else if (zor_ncmatch(v, "tm|score"))
      s.order = ORDER_TM;
    else
      s.order = ORDER_RMSD;
    return 1;
  }
  if (zor_ncmatch(key, "^-?-?stretch(ed)?$")) {
    s.stretch = trimmed(value_of(arg));
    return 1;
  }
  return 0;
}

std::string search_command_text(const search_settings& s) {
  std::string c = Gvars.program_name;
  c += s.stretch.empty() ? sformat(" --query=%s", s.query.c_str())
                         : sformat(" --stretched=%s", s.stretch.c_str());
  c += s.target_list.empty() ? sformat(" --target=%s", s.target.c_str())
                             : sformat(" --target-list=%s", s.target_list.c_str());
  c += sformat(" --csvfile=%s", s.csv.c_str());
  c += sformat(" --threshold=%g", s.cutoff);
  c += " --match-type=" + match_type_string(s.match);
  if (s.pair_mode != 0) c += sformat(" --pair-parameters=%ld", s.pair_mode);
  if (s.single != 0) c += sformat(" --single=%ld", s.single);
  if (VERBOSITY >= 1) c += " --more";
  if (s.output != "stdout") c += sformat(" -o=%s", s.output.c_str());
  return c;
}

search_settings read_search_options(int argc, char* argv[]) {
  mutable_gvars().prefix = "search";
  mutable_gvars().subcommand.search = 1;
  mutable_gvars().parts = 1;  // nucleotides only
  mutable_gvars().idstr = 2;  // long id strings
  mutable_gvars().ss_par |= kSsParCorrected;

  search_settings s;
  for (int k = 2; k < argc; ++k) {
    const char* arg = argv[k];
    if (asking_help(arg)) module_search_help_exit(0);
    if (check_output(arg, s.output)) continue;
    if (check_search_option(arg, s)) continue;
    if (check_common_options(arg)) continue;
    display_unrecognized_option(arg);
  }
  return s;
}

void perform_search_and_exit(int argc, char* argv[]) {
  search_settings s = read_search_options(argc, argv);
  // two searches in one folder would write the same fixed names, whatever
  // their prefixes; an input under one of them is refused before anything
  // is written; the files of an earlier run are replaced when written, never
  // removed beforehand
  const subcommand_run guard(argc, argv,
                             {{"query file", s.query}, {"target file", s.target}, {"target list", s.target_list}},
                             {{"output file", s.output}}, true);

  if (s.stretch.empty()) check_required_file(s.query, "must specify --query=PDBFile/mmCIF");
  if (s.target.empty() && s.target_list.empty())
    fatal("must specify --target=PDBFile/mmCIF or --target-list=List-of-files\n");
  if (!s.target.empty() && !s.target_list.empty()) {
    runlog_msg("[i] ignore --target=%s when --target-list=%s is specified\n", s.target.c_str(),
               s.target_list.c_str());
    s.target.clear();
  }
  if (!s.target.empty() && !exist_file(s.target))
    fatal("Cannot access file --target=%s\n", s.target.c_str());
  if (!s.target_list.empty() && !exist_file(s.target_list))
    fatal("Cannot access file --target-list=%s\n", s.target_list.c_str());
  if (s.order != ORDER_RMSD) s.cutoff += kOrderCutoffRise;

  reset_periodic_table();
  claim_output_or_own("results file", s.csv, search_settings().csv);
  for (const char* f : {"query-only-aligned.pdb", "query-with-target.pdb", "reversed-duplex.pdb",
                        "search-targets.txt", "PDB-lists.txt"})
    claim_own_output("fixed-name file", f);

  long n = 0;
  std::vector<std::string> names;
  if (!s.target.empty()) {
    runlog_msg("[i] check one target structure: '%s'\n", s.target.c_str());
    names = {"", s.target};
    n = 1;
  } else {
    names = get_coord_lists(n, s.target_list);
    for (long i = 1; i <= n; ++i) claim_input("listed target", names[static_cast<size_t>(i)]);
  }
  {
    scoped_file list(create_file("search-targets.txt"));
    for (long i = 1; i <= n; ++i) std::fprintf(list.get(), "%s\n", names[static_cast<size_t>(i)].c_str());
  }

  scoped_file out(open_output(s.output));
  std::fprintf(out.get(), "Command: %s\n", search_command_text(s).c_str());
  write_timestamp(out.get());

  if (!s.stretch.empty()) {
    search_stretched_duplexes(s, n, names);
  } else {
    search_query q;
    prepare_query(s, q, out.get());
    search_run run;
    run.out = out.get();
    process_targets(s, q, n, names, run);
  }
  out.close();
  end_run(0);
}

}  // namespace vask
