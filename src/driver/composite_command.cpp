// The composite sub-command's option loop: each word is offered to the
// sub-command's own patterns in a fixed order, then to the common options.
#include "driver/composite_command.hpp"

#include <string>
#include <utility>
#include <vector>

#include "driver/aux_files.hpp"
#include "driver/belqo-vask.hpp"
#include "driver/option.hpp"
#include "modeling/composite.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/option_value.hpp"
#include "support/pattern_matcher.hpp"
#include "support/process.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

long long_with_default(const char* arg, long dft, long lo, long hi) {
  return with_optional_endEqual(arg) ? dft : get_lvalue(arg, lo, hi);
}

double double_with_default(const char* arg, double dft, double lo, double hi) {
  return with_optional_endEqual(arg) ? dft : get_dvalue(arg, lo, hi);
}

// 1 when the word was one of the sub-command's own options.
int composite_option(const char* arg, composite_settings& s) {
  if (check_output(arg, s.output)) return 1;
  if (zor_ncmatch(arg, "^-?-?(cmd|command)[-_]?file")) {
    s.script_file = get_strvalue(arg, true);
  } else if (zor_ncmatch(arg, "^-?-?rna")) {
    s.rna = set_switch_default_true(arg) != 0;
  } else if (zor_ncmatch(arg, "^-?-?a[-_]?(form|dna)")) {
    s.a_form = set_switch_default_true(arg) != 0;
  } else if (zor_ncmatch(arg, "^-?-?b(ack)?b")) {
    s.backbone = derive_backbone_type(arg, 'B');
  } else if (zor_ncmatch(arg, "^-?-?seq(uence)?[-_]?file")) {
    s.sequence_file = get_strvalue(arg, true);
  } else if (zor_ncmatch(arg, "^-?-?seq")) {
    s.sequence = get_strvalue(arg, false);
  } else if (zor_ncmatch(arg, "^-?-?rep")) {
    s.repeat = with_optional_endEqual(arg) ? 1 : static_cast<long>(get_dvalue(arg, 1, 999999));
  } else if (zor_ncmatch(arg, "^-?-?mut")) {
    s.mutate = set_switch_default_true(arg) != 0;
  } else if (zor_ncmatch(arg, "^-?-?circ(le|ular)[-_]dna")) {
    s.circular = long_with_default(arg, 100, 60, 2048);
  } else if (zor_ncmatch(arg, "^-?-?super[-_]?helix")) {
    const std::string value = get_strvalue(arg, false);
    s.super_helix = zor_ncmatch(value, "left|neg") ? -1 : zor_ncmatch(value, "right|pos") ? 1 : 0;
  } else if (zor_ncmatch(arg, "^-?-?pitch")) {
    s.pitch = double_with_default(arg, 1.0, 0.1, 32.0);
  } else if (zor_ncmatch(arg, "^-?-?circ(le|ular)[-_]turn")) {
    s.turns = long_with_default(arg, 10, 1, 1024);
  } else if (zor_ncmatch(arg, "^-?-?circ(le|ular)[-_]rise")) {
    s.rise = double_with_default(arg, 3.4, 2.0, 6.0);
  } else if (zor_ncmatch(arg, "^-?-?circ(le|ular)[-_]twist")) {
    s.twist = double_with_default(arg, 36.0, 12.0, 60.0);
  } else if (zor_ncmatch(arg, "^-?-?bind(ing)?s?[-_]?file")) {
    s.binding_file = get_strvalue(arg, true);
  } else if (zor_ncmatch(arg, "^-?-?(extend|expand|tail)")) {
    s.tail = get_strvalue(arg, false);
  } else if (zor_ncmatch(arg, "^-?-?bind")) {
    s.binding = get_strvalue(arg, false);
  } else if (zor_ncmatch(arg, "^-?-?cont")) {
    s.content = get_strvalue(arg, false);
  } else if (zor_ncmatch(arg, "^-?-?sepa")) {
    s.separate = set_switch_default_true(arg) != 0;
  } else {
    return 0;
  }
  return 1;
}

}  // namespace

composite_settings read_composite_options(int argc, char* argv[]) {
  mutable_gvars().subcommand.composite = 1;
  composite_settings s;
  s.program = own_executable_path(argc > 0 ? argv[0] : "belqo-vask");
  for (int i = 2; i < argc; ++i) {
    const char* arg = argv[i];
    if (asking_help(arg)) module_composite_help_exit(0);
    if (composite_option(arg, s)) continue;
    if (!check_common_options(arg)) display_unrecognized_option(arg);
  }
  return s;
}

void generate_composite_and_exit(int argc, char* argv[]) {
  composite_settings s = read_composite_options(argc, argv);
  // two runs in one folder would read each other's intermediates, whatever their prefixes
  const subcommand_run guard(argc, argv, {{"sequence file", s.sequence_file}, {"binding-site file", s.binding_file}},
                             {{"output file", s.output}}, true);
  if (s.circular > 0) {
    claim_own_output("circular model", kCircularModel);
    claim_own_output("temporary model", sformat("%.*s-temp.pdb", 256, Gvars.prefix.c_str()));
  } else {
    claim_output_or_own("command file", s.script_file, composite_settings().script_file);
  }
  if (s.circular > 0) {
    build_circular_dna(s);
  } else {
    std::vector<binding_site> sites = read_binding_sites(s);
    build_composite(s, plan_binding_sites(s, std::move(sites)));
  }
  end_run(0);
}

}  // namespace vask
