// The fiber sub-command's option loop: each word is offered to the
// sub-command's own patterns in a fixed order, then to the common options.
#include "driver/fiber_command.hpp"

#include <string>

#include "driver/belqo-vask.hpp"
#include "driver/option.hpp"
#include "modeling/fiber.hpp"
#include "support/file.hpp"
#include "support/error.hpp"
#include "support/option_value.hpp"
#include "support/pattern_matcher.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

// The model a --model value names: a leading letter picks a form, otherwise
// the number of a table row.
long model_from_value(const char* arg) {
  if (with_optional_endEqual(arg)) return 4;
  std::string value = upper_copy(get_strvalue(arg, false));
  switch (value.empty() ? ' ' : value[0]) {
    case 'A': return 1;
    case 'B': return 4;
    case 'C': return 47;
    case 'D': return 48;
    case 'G': return 935;
    case 'P': return zor_ncmatch(value, "dna") ? 956 : 56;
    case 'R': return zor_ncmatch(value, "DS|DOUBLE|DUPLEX") ? 902 : 901;
    case 'Z': return 15;
    default: return get_lvalue(arg, 1, kNumFiberModels);
  }
}

// 1 when the word was one of the sub-command's own options.
int fiber_option(const char* arg, fiber_options& opts) {
  if (check_output(arg, opts.output_file)) return 1;
  if (zor_ncmatch(arg, "^-?-?seq(uence)?[-_]?file")) {
    opts.sequence_file = get_strvalue(arg, true);
  } else if (zor_ncmatch(arg, "^-?-?(serial|model)")) {
    opts.model = model_from_value(arg);
  } else if (zor_ncmatch(arg, "^-?-?seq")) {
    opts.sequence = get_strvalue(arg, false);
  } else if (zor_ncmatch(arg, "^-?-?chains?[-_]sym")) {
    opts.chain_symbols = get_strvalue(arg, false);
  } else if (zor_ncmatch(arg, "^-?-?rep")) {
    opts.repeat = with_optional_endEqual(arg) ? 1 : static_cast<long>(get_dvalue(arg, 1, 999999));
  } else if (zor_ncmatch(arg, "^-?-?(menu|list)")) {
    opts.list = set_switch_default_true(arg);
  } else if (zor_ncmatch(arg, "^-?-?A[-_]?(DNA|FORM)")) {
    opts.model = 1;
  } else if (zor_ncmatch(arg, "^-?-?B[-_]?(DNA|FORM)")) {
    opts.model = 4;
  } else if (zor_ncmatch(arg, "^-?-?C[-_]?(DNA|FORM)")) {
    opts.model = 47;
  } else if (zor_ncmatch(arg, "^-?-?D[-_]?(DNA|FORM)")) {
    opts.model = 48;
  } else if (zor_ncmatch(arg, "^-?-?Z[-_]?(DNA|FORM)")) {
    opts.model = 15;
  } else if (zor_ncmatch(arg, "^-?-?PAU")) {
    opts.model = zor_ncmatch(arg, "dna") ? 956 : 56;
  } else if (zor_ncmatch(arg, "^-?-?RNA")) {
    opts.model = zor_ncmatch(arg, "DS|DOUBLE|DUPLEX") ? 902 : 901;
  } else if (zor_ncmatch(arg, "^-?-?g[-_]?(4|qua|tet)")) {
    opts.model = 935;
  } else {
    return 0;
  }
  return 1;
}

}  // namespace

fiber_options read_fiber_options(int argc, char* argv[]) {
  mutable_gvars().subcommand.fiber = 1;
  fiber_options opts;
  for (int i = 2; i < argc; ++i) {
    const char* arg = argv[i];
    if (asking_help(arg)) module_fiber_help_exit(0);
    if (fiber_option(arg, opts)) continue;
    if (!check_common_options(arg)) display_unrecognized_option(arg);
  }
  return opts;
}

void generate_fiber_models_and_exit(int argc, char* argv[]) {
  fiber_options opts = read_fiber_options(argc, argv);
  book_keeping(argc, argc, argc > 1 ? argv[argc - 1] : nullptr);
  claim_input("sequence file", opts.sequence_file);
  claim_output("output file", opts.output_file);
  run_fiber_model(opts);
  end_run(0);
}

}  // namespace vask
