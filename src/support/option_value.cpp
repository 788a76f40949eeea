// Option values: see option_value.hpp.
#include "support/option_value.hpp"

#include <cstdio>
#include <cstdlib>

#include "support/error.hpp"
#include "support/log.hpp"
#include "support/number.hpp"
#include "support/pattern_matcher.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

void (*say_good_bye_handler)() = nullptr;

void usage_exit() {
  if (say_good_bye_handler != nullptr) say_good_bye_handler();
  // the handler ends the run itself; this is the main program's ending
  std::fputc(7, stdout);
  std::fflush(stdout);
  runlog_msg("\ntype: '%s -h (or --help)' for further help\n", Gvars.program_name.c_str());
  fatal("      '%s --citation' for preferred citation(s)\n", Gvars.program_name.c_str());
}

namespace {
size_t value_offset(std::string_view option) {
  size_t k = option.find('=');
  if (k == std::string_view::npos) {
    runlog_msg("wrong format for specifying a var=val pair [%s]\n", std::string(option).c_str());
    usage_exit();
  }
  return k + 1;
}
}  // namespace

std::string get_strvalue0(std::string_view text, bool expand_home) {
  if (!expand_home || !begin_with_char(text, '~')) return std::string(text);
  const char* home = std::getenv("HOME");
  if (home == nullptr) {
    runlog_msg("get_strvalue(): environment variable HOME not defined!\n");
    return std::string(text);
  }
  return sformat("%s%s", home, std::string(text.substr(1)).c_str());
}

std::string get_strvalue(std::string_view option, bool expand_home) {
  return get_strvalue0(option.substr(value_offset(option)), expand_home);
}

std::string get_strvalue_with_default(std::string_view option, bool expand_home, std::string_view dft) {
  if (with_optional_endEqual(option)) return std::string(dft);
  return get_strvalue(option, expand_home);
}

long get_lvalue(std::string_view option, long lo, long hi) {
  VASK_ASSERT(lo <= hi);
  std::string opt(option);
  long v = cvt2long(get_strvalue(option, false));
  if (!valid_lNumber(v)) fatal("wrong option [%s]: invalid integer value\n", opt.c_str());
  if (v < lo || v > hi)
    fatal("invalid option [%s]: value %ld out of range [%ld, %ld]\n", opt.c_str(), v, lo, hi);
  return v;
}

double get_dvalue(std::string_view option, double lo, double hi) {
  VASK_ASSERT(lo <= hi);
  std::string opt(option);
  double v = cvt2double(get_strvalue(option, false));
  if (!valid_dNumber(v)) fatal("wrong option [%s]: invalid numerical value\n", opt.c_str());
  if (v < lo || v > hi) fatal("invalid option [%s]: value %g out of range [%g, %g]\n", opt.c_str(), v, lo, hi);
  return v;
}

long equal_sign_pos(std::string_view option) { return static_cast<long>(value_offset(option)); }

bool with_optional_endEqual(std::string_view option) {
  return option.find('=') == std::string_view::npos || end_with_char(option, '=');
}

int extract_case_option(std::string_view option) {
  std::string v = lower_copy(option.substr(value_offset(option)));
  if (v.empty()) return 0;
  char c = v[0];
  if (c == 's' || c == 'd' || c == 'l' || v.starts_with("-1")) return -1;
  if (c == 'u' || c == 'c' || v.starts_with("+1") || c == '1') return 1;
  return 0;
}

char derive_backbone_type(std::string_view arg, char dft) {
  const char* name = dft == 'A' ? "A-DNA" : dft == 'B' ? "B-DNA" : dft == 'R' ? "RNA" : dft == 'N' ? "none" : nullptr;
  VASK_ASSERT(name != nullptr);
  if (with_optional_endEqual(arg)) {
    runlog_msg("[i] set --backbone to default: '%c'\n", dft);
    return dft;
  }
  std::string v = get_strvalue(arg, false);
  if (zor_ncmatch(v, "^A[-_]?(form|type|DNA)?") || zor_ncmatch(v, "^C3'?[-_]?(endo)?")) return 'A';
  if (zor_ncmatch(v, "^B[-_]?(form|type|DNA)?") || zor_ncmatch(v, "^C2'?[-_]?(endo)?")) return 'B';
  if (zor_ncmatch(v, "^R(NA)?")) return 'R';
  if (zor_ncmatch(v, "^n(o|db)?")) return 'N';
  runlog_msg("[i] invalid --backbone option: '%s' reset to '%s'\n", v.c_str(), name);
  return dft;
}

}  // namespace vask
