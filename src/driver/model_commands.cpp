// Option front ends of the model sub-commands. Options are matched
// case-insensitively anywhere in the argument; several may share one
// argument ("--duplex-stem-curve").
#include "driver/model_commands.hpp"


#include "driver/aux_files.hpp"
#include "driver/belqo-vask.hpp"
#include "driver/option.hpp"
#include "modeling/analyze.hpp"
#include "modeling/mutation.hpp"
#include "modeling/rebuild.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/option_value.hpp"
#include "support/pattern_matcher.hpp"
#include "support/process.hpp"
#include "support/settings.hpp"

namespace vask {

namespace {

constexpr const char* kInputFile = "inp(ut)?[-_]?(file)?";
constexpr const char* kOutputFile = "out(put)?[-_]?(file)?";

// The value of an option that names a file which must exist.
std::string existing_file_value(const char* arg) {
  std::string name = get_strvalue(arg, true);
  fail_nonexist_file(name);
  return name;
}

// The option's name: the argument up to '='. Mode keywords are looked for
// here only, so a file name in the value ("--frame=class.txt") cannot switch
// on another mode.
std::string option_key(const char* arg) {
  std::string a = arg;
  return a.substr(0, a.find('='));
}

}  // namespace

analyze_settings read_analyze_options(int argc, char* argv[]) {
  mutable_gvars().subcommand.analyze = 1;
  analyze_settings s;
  for (int k = 2; k < argc; ++k) {
    const char* arg = argv[k];
    if (asking_help(arg)) module_analyze_help_exit(0);
    if (check_input_output(arg, s.input, s.output)) continue;
    const std::string key = option_key(arg);
    if (zor_ncmatch(key, "s(ingle)?[-_]?s")) {
      s.single_strand = true;
      if (zor_ncmatch(key, kInputFile))
        s.ss_input = existing_file_value(arg);
      else if (zor_ncmatch(key, kOutputFile))
        s.ss_output = get_strvalue(arg, true);
      continue;
    }
    if (zor_ncmatch(key, "frame")) {
      s.frame_file = existing_file_value(arg);
      continue;
    }
    if (zor_ncmatch(key, "duplex|double|helix|ds")) {
      // the value is a file name for the pair-list options, else a word list
      const bool input = zor_ncmatch(key, kInputFile);
      const bool output = !input && zor_ncmatch(key, kOutputFile);
      const std::string words = input || output ? key : std::string(arg);
      s.duplex |= DUPLEX_ON;
      if (zor_ncmatch(words, "stem")) s.duplex |= DUPLEX_STEMS;
      if (zor_ncmatch(words, "curve")) s.duplex |= DUPLEX_CURVES;
      if (zor_ncmatch(words, "cehs")) s.duplex |= DUPLEX_CEHS;
      if (input)
        s.ds_input = existing_file_value(arg);
      else if (output)
        s.ds_output = get_strvalue(arg, true);
      continue;
    }
    if (zor_ncmatch(key, "re[-_]?(build|cons)")) {
      s.rebuild = true;
      continue;
    }
    if (check_common_options(arg)) continue;
    display_unrecognized_option(arg);
  }
  return s;
}

void analyze_per_belqo_and_exit(int argc, char* argv[]) {
  const analyze_settings s = read_analyze_options(argc, argv);
  // the parameter and frame files carry the prefix; the debug file of the
  // Curves+-like frames has a fixed name
  const subcommand_run guard(argc, argv,
                             {{"input file", s.input}, {"single-strand input", s.ss_input},
                              {"pair-list input", s.ds_input}, {"frame file", s.frame_file}},
                             {{"output file", s.output}, {"single-strand output", s.ss_output},
                              {"pair-list output", s.ds_output}},
                             (s.duplex & DUPLEX_CURVES) != 0);
  if (s.frame_file.empty()) check_required_file(s.input, "must specify -i=PDBFILE");
  run_analyze(s);
  end_run(0);
}

rebuild_settings read_rebuild_options(int argc, char* argv[]) {
  mutable_gvars().subcommand.rebuild = 1;
  rebuild_settings s;
  s.program = own_executable_path(argc > 0 ? argv[0] : "belqo-vask");
  for (int k = 2; k < argc; ++k) {
    const char* arg = argv[k];
    if (asking_help(arg)) module_rebuild_help_exit(0);
    if (check_output(arg, s.output)) continue;
    if (zor_ncmatch(arg, "^-?-?p(ar)?(ameter)?s?[-_]?file")) {
      s.par_file = get_strvalue(arg, true);
      continue;
    }
    if (zor_ncmatch(arg, "^-?-?p(ar)?(ameter)?s?[-_]?type") && zor_ncmatch(arg, "=.*heli")) {
      s.helical = true;
      continue;
    }
    if (zor_ncmatch(arg, "^-?-?flip")) {
      s.flip = set_switch_default_true(arg);
      continue;
    }
    if (zor_ncmatch(arg, "^-?-?para")) {
      s.parallel = set_switch_default_true(arg);
      continue;
    }
    if (zor_ncmatch(arg, "^-?-?unit[-_]?(in)?[-_]?frame")) {
      s.layer_mode = true;
      continue;
    }
    if (zor_ncmatch(arg, "^-?-?frame[-_]?file")) {
      s.frame_file = get_strvalue(arg, true);
      continue;
    }
    if (zor_ncmatch(arg, "^-?-?prop")) {
      s.propeller = with_optional_endEqual(arg) ? -12.0 : get_dvalue(arg, -60.0, 60.0);
      continue;
    }
    if (zor_ncmatch(arg, "^-?-?G[-_]?(4|QUA|TET)[-_]?model")) {
      s.g4 = true;
      s.g4_model = with_optional_endEqual(arg) ? std::string() : get_strvalue(arg, false);
      continue;
    }
    if (zor_ncmatch(arg, "^-?-?b(ack)?b")) {
      s.backbone = derive_backbone_type(arg, 'N');
      continue;
    }
    if (zor_ncmatch(arg, "^-?-?conn")) {
      s.conn = with_optional_endEqual(arg) ? 4.5 : get_dvalue(arg, 1.0, 16.0);
      continue;
    }
    if (check_common_options(arg)) continue;
    display_unrecognized_option(arg);
  }
  return s;
}

void rebuild_customized_models_and_exit(int argc, char* argv[]) {
  const rebuild_settings s = read_rebuild_options(argc, argv);
  // the frames used and the connection pass's model carry the prefix; the
  // echo of the parameters has a fixed name
  const subcommand_run guard(argc, argv, {{"parameter file", s.par_file}, {"frame file", s.frame_file}},
                             {{"output file", s.output}}, true);
  if (s.conn > 0) claim_own_output("temporary model", rebuild_temp_name());
  run_rebuild(s);
  end_run(0);
}

mutate_settings read_mutate_options(int argc, char* argv[]) {
  mutable_gvars().subcommand.mutate = 1;
  mutate_settings s;
  for (int k = 2; k < argc; ++k) {
    const char* arg = argv[k];
    if (asking_help(arg)) module_mutate_help_exit(0);
    if (check_input_output(arg, s.input, s.output)) continue;
    if (zor_ncmatch(arg, "^-?-?(con|filter|when)")) {
      s.conditions.append(" ").append(get_strvalue(arg, false));
    } else if (zor_ncmatch(arg, "^-?-?folder")) {
      s.folder = get_strvalue(arg, true);
      delete_end_slash(s.folder);
    } else if (zor_ncmatch(arg, "^-?-?enum")) {
      s.enumerate = true;
    } else if (zor_ncmatch(arg, "^-?-?base[-_]?only")) {
      s.base_only = set_switch_default_true(arg) != 0;
    } else if (zor_ncmatch(arg, "^-?-?(whole|unit|all)")) {
      s.base_only = false;
    } else if (zor_ncmatch(arg, "^-?-?(muta|entr)")) {
      s.entries = get_strvalue(arg, false);
    } else if (zor_ncmatch(arg, "^-?-?list")) {
      s.list_file = get_strvalue(arg, true);
    } else if (zor_ncmatch(arg, "^-?-?valid")) {
      s.valid_file = get_strvalue(arg, true);
    } else if (!check_common_options(arg)) {
      display_unrecognized_option(arg);
    }
  }
  return s;
}

void perform_mutations_and_exit(int argc, char* argv[]) {
  const mutate_settings s = read_mutate_options(argc, argv);
  // the list of valid mutations has a fixed name unless named
  const subcommand_run guard(argc, argv, {{"input file", s.input}, {"mutation list", s.list_file}},
                             {{"output file", s.output}}, s.valid_file == mutate_settings().valid_file);
  check_required_file(s.input, "must specify -i=PDBFILE");
  claim_output_or_own("valid-mutation list", s.valid_file, mutate_settings().valid_file);
  if (!s.enumerate && s.entries.empty()) {
    // nothing to do is a usage error, not a success
    if (s.list_file.empty()) {
      std::fprintf(stderr, "Please specify an option: --enum, --entry, or --list\n");
      module_mutate_help_exit(1);
    }
    if (!exist_file(s.list_file)) {
      std::fprintf(stderr, "Mutations list file '%s' does not exist!\n", s.list_file.c_str());
      module_mutate_help_exit(1);
    }
  }
  run_mutate(s);
  end_run(0);
}

}  // namespace vask
