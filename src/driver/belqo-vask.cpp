// Program entry, sub-command dispatch, the option loop and the run loops.
#include "driver/belqo-vask.hpp"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "driver/aux_files.hpp"
#include "driver/ensemble_reader.hpp"
#include "driver/fiber_command.hpp"
#include "driver/model_commands.hpp"
#include "driver/option.hpp"
#include "driver/report.hpp"
#include "driver/search_command.hpp"
#include "driver/triz_command.hpp"
#include "driver/project_command.hpp"
#include "modeling/analyze.hpp"
#include "driver/composite_command.hpp"
#include "modeling/composite.hpp"
#include "modeling/fiber.hpp"
#include "modeling/mutation.hpp"
#include "modeling/rebuild.hpp"
#include "pairing/prepare.hpp"
#include "driver/task_command.hpp"
#include "schematics/one_shot_tasks.hpp"
#include "schematics/hbond_output.hpp"
#include "structure/atom.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/struct_mol.hpp"
#include "support/deque.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/number.hpp"
#include "support/option_value.hpp"
#include "support/pattern_matcher.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

// Sub-command words, tested in this order against the first argument.
struct subcommand {
  const char* pattern;
  subcommand_driver driver;
};
constexpr subcommand kSubcommands[] = {
    {"^(triz|prot)", perform_triz_and_exit},
    {"^(analy|belqo|ormo)", analyze_per_belqo_and_exit},
    {"^(rebuild|recons)", rebuild_customized_models_and_exit},
    {"^mutat", perform_mutations_and_exit},
    {"^fib(er|re)", generate_fiber_models_and_exit},
    {"^(search|query)", perform_search_and_exit},
    {"^(task|misc|util)", run_utilities_and_exit},
    {"^project", run_project_and_exit},
    {"^(compo|comb|temp|model)", generate_composite_and_exit},
};

[[noreturn]] void usage_hint_and_exit(const char* module) {
  runlog_msg("\ntype: '%s%s -h (or --help)' for further help\n", Gvars.program_name.c_str(),
             module);
  fatal("      '%s --citation' for preferred citation(s)\n", Gvars.program_name.c_str());
}

// Settings that depend on each other, once every option has been read.
void fix_block_settings() {
  auto& bf = mutable_gvars().block_file;
  const auto& c = Gvars.cartoon;
  if (opts_with_switch_set(bf) || c[CTN_BLOCK_FILE] || cartoon_opts_with_switch_set(c))
    for (size_t k = 0; k < bf.size(); ++k) bf[k] = static_cast<char>(bf[k] | Gvars.block_color_items[k]);
  if (Gvars.ga_pair != 0) mutable_gvars().summary = 6;
  if (c[CTN_BEST_VIEW] || c[CTN_NA_ONLY]) bf[BLK_FACE] = bf[BLK_EDGE] = bf[BLK_EDGE_COLOR] = 1;
  if ((bf[BLK_PAIR] || bf[BLK_CANONICAL] || bf[BLK_GTETRAD]) && !with_block_face_or_edge())
    bf[BLK_FACE] = 1;
  // the block colours and depth only dress a block product asked for
  // otherwise: alone they ask for none (and the report runs)
  if (c[CTN_BLOCK_FILE] && !opts_with_switch_set(bf)) bf[BLK_FACE] = 1;
  if (opts_with_switch_set(bf) && !bf[BLK_EDGE] && !r3d_items()) bf[BLK_FACE] = 1;
  if (!with_block_face_or_edge() && (bf[BLK_EQUAL] || bf[BLK_SLIM])) bf[BLK_FACE] = 1;
  // a cartoon script always loads its block file: faces at least
  if (cartoon_opts_with_switch_set(c) && !opts_with_switch_set(bf)) bf[BLK_FACE] = 1;
  if ((r3d_global_frame() || Gvars.r3d_frame != 0) && !r3d_ref_frame()) bf[BLK_FRAME_WHOLE] = 1;
  if (r3d_ref_frame()) {
    if (bf[BLK_FRAME_WHOLE])
      bf[BLK_FRAME_XY] = bf[BLK_FRAME_ORIGIN] = 1;
    else if (bf[BLK_FRAME_XY])
      bf[BLK_FRAME_ORIGIN] = 1;
  }
}

}  // namespace

subcommand_driver find_subcommand(const char* word) {
  if (word == nullptr || word[0] == '-' || std::string_view(word).find('=') != std::string::npos)
    return nullptr;
  for (const auto& s : kSubcommands)
    if (zor_ncmatch(word, s.pattern)) return s.driver;
  return nullptr;
}

bool true_option(const char* s) { return zor_ncmatch(s, "^(on|1|yes|true)$"); }
bool false_option(const char* s) { return zor_ncmatch(s, "^(off|0|no|false)$"); }

long set_switch_default_true(const char* arg) {
  if (std::string_view(arg).find('=') == std::string_view::npos) return 1;
  return false_option(get_strvalue(arg, false).c_str()) ? 0 : 1;
}

long set_switch_default_false(const char* arg) {
  if (std::string_view(arg).find('=') == std::string_view::npos) return 0;
  return true_option(get_strvalue(arg, false).c_str()) ? 1 : 0;
}

long set_long_019(const char* arg) {
  if (set_switch_default_true(arg) == 0) return 0;
  if (with_optional_endEqual(arg)) return 1;
  long v = cvt2long(get_strvalue(arg, false));
  return v < 2 ? v : 9;
}

void add_one_lval(Seq<long>& seq, long x) { Seq_addhi(seq, x); }

bool mmcif_input() { return Gvars.input_format == 2; }
bool mmcif_output() { return Gvars.output_format == 2; }
bool with_ebi_idstr() { return Gvars.idstr == 5 || Gvars.idstr == 6; }
bool with_pymol_idstr() { return Gvars.idstr == 7 || Gvars.idstr == 8; }

int check_input(const char* arg, std::string& in) {
  if (zor_ncmatch(arg, "^-?-?i=") ||
      (zor_ncmatch(arg, "^-?-?input.*=") && !zor_ncmatch(arg, "i(nput)?[-_]?list="))) {
    in = get_strvalue(arg, true);
    return 1;
  }
  return 0;
}

int check_output(const char* arg, std::string& out) {
  if (zor_ncmatch(arg, "^--?o=?$")) {
    out = "stdout";
    return 1;
  }
  if (zor_ncmatch(arg, "^-?-?o=") || zor_ncmatch(arg, "^-?-?output.*=")) {
    out = get_strvalue(arg, true);
    return 1;
  }
  return 0;
}

int check_input_output(const char* arg, std::string& in, std::string& out) {
  return check_input(arg, in) || check_output(arg, out);
}

int check_inplist(const char* arg, std::string& list) {
  if (zor_ncmatch(arg, "^-?-?i(nput)?[-_]?list=")) {
    list = get_strvalue(arg, true);
    return 1;
  }
  return 0;
}

bool specified_file_not_exist(const std::string& name) {
  return !name.empty() && !exist_file(name);
}

void check_required_file(const std::string& name, const char* hint) {
  if (name.empty()) {
    runlog_msg("missing required option: %s\n", hint);
    say_good_bye();
  }
  if (!exist_file(name)) fatal("required file <%s> does not exist!\n", name.c_str());
}

void with_sound() {
  // the bell goes to the run log: standard output carries only the report
  runlog_msg("\a");
}

void say_good_bye() {
  with_sound();
  good_bye_after_bell();
}

void good_bye_after_bell() {
  const subcommand_flags& c = Gvars.subcommand;
  if (c.analyze) module_analyze_help_exit(1);
  if (c.rebuild) module_rebuild_help_exit(1);
  if (c.mutate) module_mutate_help_exit(1);
  if (c.fiber) module_fiber_help_exit(1);
  if (c.triz) usage_hint_and_exit(" triz");
  if (c.search) module_search_help_exit(1);
  if (c.task) module_tasks_help_exit(1);
  if (c.composite) module_composite_help_exit(1);
  usage_hint_and_exit("");
}

void display_unrecognized_option(const char* arg) {
  runlog_msg("unrecognized option: <%s>\n", arg);
  good_bye_after_bell();
}

void check_nmr_with_get_hbond() {
  if (Gvars.model_mode == 2 && opts_with_switch_set(Gvars.get_hbond)) {
    runlog_msg("[i] ignore the --nmr option when --get-hbond is specified\n");
    runlog_msg("    try --nmr with --json to extract H-bonding information\n");
    mutable_gvars().model_mode = 1;
  }
}

void check_json_extension(const std::string& out) {
  if (Gvars.json != 0 && !is_pseudo_file(out) && !zor_ncmatch(out, "\\.json$"))
    runlog_msg("[i] JSON output should end with the .json extension\n");
}

void book_keeping(int argc, int i, const char* arg) {
  if (argc > i) {
    runlog_msg("options must be set in -var[=val] format [%s]\n", arg != nullptr ? arg : "");
    say_good_bye();
  }
  // The variable is read like the option (whole value, same range); an
  // explicit option on the command line wins over it.
  const char* env = std::getenv("VASK_HBOND_CUTOFF");
  if (env != nullptr && !Gvars.hbond_dist_given) {
    const std::string word = std::string("VASK_HBOND_CUTOFF=") + env;
    const double v = cvt2double(env);
    if (!valid_dNumber(v) || v < 2.6 || v > 6.0)
      fatal("[e] invalid setting of %s: expect a number in [2.6, 6.0]\n", word.c_str());
    mutable_gvars().hbond_dist = v;
    runlog_msg("[i] H-bond cutoff set to: %.2f\n", Gvars.hbond_dist);
  }
  // The good H-bond distance and the network vdist are ceilings of their own
  // kind: never above the H-bond cutoff and the pair vertical distance.
  if (Gvars.hbond_good > Gvars.hbond_dist) mutable_gvars().hbond_good = Gvars.hbond_dist;
  if (Gvars.torsion_file || Gvars.pair_only) mutable_gvars().parts = 1;
  if (Gvars.network_vdist > Gvars.pair_vd) mutable_gvars().network_vdist = Gvars.pair_vd;
  if (Gvars.model_mode == 2) mutable_gvars().auxfiles = 0;
  if (VERBOSITY > 1) mutable_gvars().experimental = 1;
  open_log_streams();
}

namespace {

// The report of one structure of a list or an ensemble: the pipeline, or the
// reading error in its place.
void report_structure(const run_descriptor& run, bool read_ok, const std::string& message,
                      struct_mol& mol, FILE* fp) {
  if (read_ok)
    do_vask_per_structure(run, mol, fp);
  else
    write_read_failure(fp, run.input, message);
}

void end_json_line(FILE* fp) {
  if (Gvars.json) json_raw_text(fp, "\n");
}

// Loop A: each listed file with its own report, or all in one file
// (-o=one:NAME): <model id="base"> blocks in text, a JSON array in JSON mode.
int run_file_list(const run_descriptor& run) {
  long n = 0;
  std::vector<std::string> files = get_coord_lists(n, run.list);
  // before the clean-up, which would remove a listed file named like ours
  for (long k = 1; k <= n; ++k) check_not_auxiliary("listed file", files[static_cast<size_t>(k)]);
  delete_common_files();
  runlog_msg("\nProcessing %ld coordinate files in '%s'\n", n, run.list.c_str());
  const bool one_file = with_prefix_nc(run.output, "one:");
  std::string ext = get_file_extension(run.output);
  if (is_pseudo_file(run.output) || ext.empty()) ext = Gvars.json ? "json" : "out";
  const std::set<std::string> listed = canonical_file_set(files);
  std::optional<scoped_file> all_file;
  FILE* all = nullptr;
  if (one_file) {
    check_list_report_name(run.output.substr(4), listed);
    all = all_file.emplace(open_output(run.output.substr(4))).get();
    if (Gvars.json) json_raw_text(all, "[");  // one JSON array of the reports
  }
  std::set<std::string> used;
  bool failed = false;
  for (long k = 1; k <= n; ++k) {
    const std::string& file = files[static_cast<size_t>(k)];
    const std::string base = basename_del_ext(file);
    run_descriptor each = run;
    each.input = file;  // the report names the file it was made from
    if (one_file) {
      each.output = run.output.substr(4);
      runlog_msg("%ld (%ld): %s\n", k, n, file.c_str());
    } else {
      each.output = sformat("%s%s.%s", run.output.c_str(), base.c_str(), ext.c_str());
      if (!used.insert(each.output).second) {
        // two files with the same base name: the later report gets its list position
        std::string unique = sformat("%s%s_%ld.%s", run.output.c_str(), base.c_str(), k, ext.c_str());
        runlog_msg("[w] '%s' already written in this run: '%s' goes to '%s'\n", each.output.c_str(),
                   file.c_str(), unique.c_str());
        each.output = unique;
        used.insert(unique);
      }
      runlog_msg("%ld (%ld): %s ---> %s\n", k, n, file.c_str(), each.output.c_str());
      check_list_report_name(each.output, listed);
    }
    struct_mol mol;
    std::string message;
    const bool ok = read_structure([&] { read_pdb(file, mol); }, message);
    failed = failed || !ok;
    scoped_file own(one_file ? nullptr : open_output(each.output));
    FILE* fp = one_file ? all : own.get();
    if (one_file) {
      if (!Gvars.json)
        std::fprintf(fp, "<model id=\"%s\">\n", base.c_str());
      else if (k > 1)
        json_comma(fp);
    }
    report_structure(each, ok, message, mol, fp);
    tally_warnings(mol.warned);
    free_struct_mol(mol);
    if (one_file) {
      if (!Gvars.json) std::fprintf(fp, "</model>\n\n");
      std::fflush(fp);
    } else {
      end_json_line(fp);
      own.close();
    }
  }
  if (one_file) {
    if (Gvars.json) json_raw_text(all, "]\n");
    all_file->close();
  }
  return failed ? 1 : 0;
}

// Loop C: the selected models of an ensemble, one report each, in one output.
int run_ensemble(const run_descriptor& run) {
  delete_common_files();
  const long n = num_selected_models();
  runlog_msg("\nProcessing ensemble '%s' [%ld models]\n", run.input.c_str(), n);
  ensemble_reader reader(run.input);
  scoped_file sf(open_output(run.output));
  FILE* fp = sf.get();
  if (Gvars.json) json_nmr_start(fp, run.input, n);
  bool failed = false;
  run_descriptor each = run;  // each model's report starts where the previous one ended
  for (long k = 1; k <= n; ++k) {
    const long model = Gvars.model_list[static_cast<size_t>(k)];
    runlog_msg("\nmodel %ld [%ld of %ld]\n", model, k, n);
    struct_mol mol;
    std::string message;
    const bool ok = reader.read(model, mol, message);
    failed = failed || !ok;
    if (Gvars.json)
      json_per_model_start(fp, k, model);
    else if (fp != nullptr)
      std::fprintf(fp, "<model id=\"%ld\">\n", model);
    report_structure(each, ok, message, mol, fp);
    if (Gvars.json)
      json_per_model_end(fp, k == n, each.start_clock, each.start_timestamp);
    else if (fp != nullptr)
      std::fprintf(fp, "</model>\n\n");
    if (fp != nullptr) std::fflush(fp);
    tally_warnings(mol.warned);
    free_struct_mol(mol);
  }
  if (Gvars.json) {
    json_nmr_end(fp);
    end_json_line(fp);
  }
  sf.close();
  return failed ? 1 : 0;
}

}  // namespace

int run_structures(const run_descriptor& run) {
  reset_periodic_table();  // the stand-alone setting chooses the element table's source
  if (nmr_ensemble()) return run_ensemble(run);
  if (!run.list.empty()) return run_file_list(run);
  mutable_gvars().subcommand.single_file = 1;
  runlog_msg("\nProcessing file '%s'\n", run.input.c_str());
  struct_mol mol;
  read_pdb(run.input, mol);
  tally_warnings(mol.warned);  // so far: a task below may end the run
  const warning_counts tallied = mol.warned;
  perform_single_task_exit(mol, run.output);  // ends the run when a task option is set
  delete_common_files();
  if (Gvars.nts_list) {  // after the clean-up, which would remove "<prefix>-nts.txt"
    std::vector<long> nts = nts_in_chain_order(mol);
    write_nts_list(mol, static_cast<long>(nts.size()) - 1, nts, Gvars.nts_list_out);
  }
  scoped_file sf(open_output(run.output));
  FILE* fp = sf.get();
  do_vask_per_structure(run, mol, fp);
  end_json_line(fp);
  tally_warnings(mol.warned, tallied);
  free_struct_mol(mol);
  sf.close();
  return 0;
}

int vask_main(int argc, char* argv[]) {
  set_globals(argc > 0 ? argv[0] : "belqo-vask");
  mutable_gvars().help_mode = 1;
  say_good_bye_handler = say_good_bye;

  if (argc > 1) {
    if (subcommand_driver driver = find_subcommand(argv[1])) driver(argc, argv);
  }

  run_descriptor run;
  for (int k = 1; k < argc; ++k) {
    const char* arg = argv[k];
    if (check_input_output(arg, run.input, run.output)) continue;
    if (check_inplist(arg, run.list)) continue;
    if (check_common_options(arg)) continue;
    if (zor_ncmatch(arg, "^-?-?ter")) {
      run.tertiary = with_optional_endEqual(arg) ? 50.0 : get_dvalue(arg, 0.0, 300.0);
      continue;
    }
    display_unrecognized_option(arg);
  }
  check_file_clashes(run);  // before any log or output is opened
  book_keeping(argc, argc, argc > 1 ? argv[argc - 1] : nullptr);
  const prefix_lock lock;  // held to the end of the run, before anything is removed
  // PyMOL run on the cartoon block or the H-bond script writes its messages
  // to "msg", whatever the prefix
  std::optional<fixed_names_lock> fixed;
  if (Gvars.cartoon[CTN_RUN_PYMOL] || hbond_pymol_runs()) fixed.emplace();

  if (Gvars.cleanup > 0) {
    clean_up_all_files();
    runlog_msg("done with cleaning up files.\n");
    end_run(0);
  }
  if (!run.list.empty()) {
    check_required_file(run.list, "must specify --ilist=List-of-files");
    mutable_gvars().auxfiles = 0;
  } else {
    check_required_file(run.input, "must specify -i=PDBFile/mmCIF");
  }

  fix_block_settings();
  if (cartoon_opts_with_switch_set(Gvars.cartoon) && !is_pseudo_file(run.output) &&
      !zor_ncmatch(run.output, "\\.pml$"))
    fatal("[e] PyMOL script must end with the .pml extension\n");

  check_nmr_with_get_hbond();
  check_json_extension(run.output);
  reset_periodic_table();  // element options in force
  if (run.list.empty()) check_nmr(run.input, mutable_gvars());
  return run_structures(run);
}

int run_main(int argc, char* argv[]) {
  int status = 0;
  try {
    status = vask_main(argc, argv);
  } catch (const fatal_error& e) {
    if (RUNLOG != nullptr && e.what()[0] != '\0') {
      std::fputs(e.what(), RUNLOG);
      std::fflush(RUNLOG);
    }
    status = e.status;
  } catch (const std::bad_alloc&) {
    // a structure or a file too large for the memory at hand
    std::fputs("[e] out of memory: the input is too large for the memory available\n",
               RUNLOG != nullptr ? RUNLOG : stderr);
    status = 1;
  }
  // a report on standard output that did not get through is a failed run
  if (!stdout_written() && status == 0) status = 1;
  try {
    clean_globals();  // the exit handler runs on every end, normal or fatal
  } catch (const fatal_error& e) {
    // a log that could not be written: the message goes where it still can
    std::fputs(e.what(), stderr);
    status = 1;
  }
  return status;
}

}  // namespace vask
