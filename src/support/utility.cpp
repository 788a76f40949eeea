// Run log, program log, verbosity and timing: see utility.hpp.
#include "support/utility.hpp"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <ctime>

#include "driver/option.hpp"
#include "support/cii.hpp"
#include "support/file.hpp"
#include "support/slre.hpp"
#include "support/string.hpp"

namespace vask {

long VERBOSITY = 0;
FILE* RUNLOG = stderr;
FILE* PRGLOG = nullptr;

void runlog_msg(const char* fmt, ...) {
  if (RUNLOG == nullptr) return;
  va_list ap;
  va_start(ap, fmt);
  std::vfprintf(RUNLOG, fmt, ap);
  va_end(ap);
}

void prglog_msg(const char* fmt, ...) {
  if (PRGLOG == nullptr) return;
  va_list ap;
  va_start(ap, fmt);
  std::vfprintf(PRGLOG, fmt, ap);
  va_end(ap);
}

void logit(const char* s) {
  runlog_msg("%s", s);
  prglog_msg("%s", s);
}

void logit_fatal(const char* s) {
  logit(s);
  fatal("%s", s);
}

void logit_verbose(const char* s) {
  if (VERBOSITY > 0) runlog_msg("%s", s);
  prglog_msg("%s", s);
}

void logit_test(const char* s) {
  if (Gvars.test) runlog_msg("%s", s);
  prglog_msg("%s", s);
}

void prglog_new_runlog(const char* fmt, ...) {
  va_list ap;
  if (PRGLOG != nullptr) {
    va_start(ap, fmt);
    std::vfprintf(PRGLOG, fmt, ap);
    va_end(ap);
  }
  if (Gvars.experimental && RUNLOG != nullptr) {
    va_start(ap, fmt);
    std::vfprintf(RUNLOG, fmt, ap);
    va_end(ap);
  }
}

bool keep_silent() { return VERBOSITY == -1; }
bool verbose0() { return VERBOSITY < 1; }
bool verbose1() { return VERBOSITY > 0; }
bool verbose2() { return VERBOSITY > 1; }

long used_time_in_seconds() {
  // clock() ticks CLOCKS_PER_SEC (1e6 on POSIX) per second; rounded to whole seconds
  double ticks = static_cast<double>(std::clock() - Gvars.start_clock);
  return static_cast<long>(ticks / CLOCKS_PER_SEC + 0.5);
}

std::string derive_used_time(long s) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%2.2ld:%2.2ld:%2.2ld:%2.2ld", s / 86400, (s % 86400) / 3600,
                ((s % 86400) % 3600) / 60, s % 60);
  return buf;
}

std::string derive_used_time() { return derive_used_time(used_time_in_seconds()); }

void display_time_so_far(const char* label) {
  runlog_msg("%.2ld seconds -- %s\n", used_time_in_seconds(), label);
}

std::string get_timestamp() {
  std::time_t now = std::time(nullptr);
  std::string s = std::ctime(&now);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

void write_timestamp(FILE* fp) {
  if (!Gvars.time_report || fp == nullptr) return;
  std::time_t now = std::time(nullptr);
  std::fprintf(fp, "Date and time: %s", std::ctime(&now));
}

void output_time_used(const std::string& out_name, FILE* fp) {
  if (fp == nullptr || out_name == "stdout" || out_name == "stderr" || VERBOSITY > 1 ||
      !Gvars.time_report)
    return;
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  std::fprintf(fp, "Time used: %s\n", derive_used_time().c_str());
}


// ---------------------------------------------------------------- formatting

std::string sformat(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string s = vformat(fmt, ap);
  va_end(ap);
  return s;
}

std::string format_runtime(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string s = vformat(fmt, ap);
  va_end(ap);
  return s;
}

// ---------------------------------------------------------------- report lines

void print_separator(FILE* fp, char ch, long n) {
  if (fp == nullptr) return;
  for (long i = 0; i < n; ++i)
    if (std::fputc(ch, fp) == EOF) fatal("print_separator(): error writing '%c' to the stream\n", ch);
  if (std::fputc('\n', fp) == EOF) fatal("print_separator(): error writing '\n' to the stream\n");
}

void print_leadline_sepchar(FILE* fp, char ch, long n) {
  if (fp == nullptr) return;
  if (std::fputc('\n', fp) == EOF) fatal("print_leadline_sepchar(): error writing '\n' to the stream\n");
  print_separator(fp, ch, n);
}

void print_noun(FILE* fp, long n, const char* fmt, const char* noun, const char* plural) {
  if (fp == nullptr) return;
  VASK_ASSERT(noun != nullptr);
  std::string word = n == 1 ? noun : plural != nullptr ? plural : std::string(noun) + "s";
  std::fputs(format_runtime(fmt, n, word.c_str()).c_str(), fp);
}

bool get_line(FILE* fp, std::string& line) {
  line.clear();
  if (fp == nullptr) return false;
  int c;
  bool any = false;
  while ((c = std::getc(fp)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (c == '\r') {
      int next = std::getc(fp);
      if (next != '\n' && next != EOF) std::ungetc(next, fp);
      break;
    }
    line += static_cast<char>(c);
  }
  return any;
}

void skip_num_lines(FILE* fp, long n) {
  if (fp == nullptr || n < 1) return;
  std::string line;
  for (long i = 0; i < n; ++i)
    if (!get_line(fp, line)) logit_fatal(sformat("\t%ld < %ld required lines to skip\n", i + 1, n).c_str());
}

// ---------------------------------------------------------------- numbers

namespace {
constexpr double VALID_DNUMBER_MAX = 1.0e36;  // larger magnitudes mean "unset"

// The trimmed, lower-cased text, or false when it is empty or holds nan/inf.
bool clean_number_text(std::string_view s, std::string& out) {
  out = lower_copy(s);
  trim(out);
  return !out.empty() && out.find("nan") == std::string::npos && out.find("inf") == std::string::npos;
}
}  // namespace

long cvt2long(std::string_view s) {
  std::string t;
  if (!clean_number_text(s, t)) return LONG_MAX;
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(t.c_str(), &end, 10);
  if (errno == ERANGE || end == t.c_str() || *end != '\0') return LONG_MAX;
  return v;
}

double cvt2double(std::string_view s) {
  std::string t;
  if (!clean_number_text(s, t)) return DBL_MAX;
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(t.c_str(), &end);
  if ((errno == ERANGE && std::fabs(v) == HUGE_VAL) || end == t.c_str() || *end != '\0') return DBL_MAX;
  return v;
}

bool get_valid_lNumber(std::string_view s, long& out) {
  out = cvt2long(s);
  return out != LONG_MAX;
}

bool valid_lNumber(long v) { return v != LONG_MAX; }

bool valid_dNumber(double v) { return std::fabs(v) <= VALID_DNUMBER_MAX; }  // false for NaN

bool is_numeric(std::string_view s) {
  std::string t(s);
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(t.c_str(), &end);
  return !t.empty() && end != t.c_str() && *end == '\0' && !(errno == ERANGE && std::fabs(v) == HUGE_VAL);
}

bool is_even(long n) { return n % 2 == 0; }
bool is_odd(long n) { return n % 2 != 0; }
double sum_a2_b2(double a, double b) { return a * a + b * b; }
double norm_a_b(double a, double b) { return std::sqrt(sum_a2_b2(a, b)); }

// ---------------------------------------------------------------- shell commands

void call_system(const std::string& cmd) {
  if (std::system(nullptr) == 0) fatal("Error: your OS does not support system() call\n");
  int status = std::system(cmd.c_str());
  if (status != 0) fatal("Error in running: '%s' (%d)\n", cmd.c_str(), status);
}

void call_system_echo(const std::string& cmd) {
  runlog_msg("Command: '%s'\n", cmd.c_str());
  call_system(cmd);
}

void call_system_log(const std::string& cmd, FILE* fp) {
  if (fp != nullptr) std::fprintf(fp, "%s\n", cmd.c_str());
  call_system(cmd);
}

// ---------------------------------------------------------------- data files

std::string get_sysdir(const std::string& subdir, const std::string& file) {
  if (exist_file(file)) return "./";
  const char* home = std::getenv("BELQO_VASK");
  if (home == nullptr) fatal("get_sysdir(): can't locate directory with file [%s]\n", file.c_str());
  std::string dir = home;
  add_end_slash(dir);
  return dir + subdir + "/";
}

std::string get_sysfile(const std::string& subdir, const std::string& file) {
  std::string path = get_sysdir(subdir, file) + file;
  if (!exist_file(path)) fatal("get_sysfile(): can't locate file [%s]\n", path.c_str());
  long* uses = file == "elements.dat"   ? &Gvars.counts.elements_dat
               : file == "atomlist.dat" ? &Gvars.counts.atomlist_dat
               : file == "baselist.dat" ? &Gvars.counts.baselist_dat
                                        : nullptr;
  if (uses != nullptr && (*uses)++ == 0 && VERBOSITY > 1) prglog_msg("...... %s ......\n", path.c_str());
  return path;
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

// ---------------------------------------------------------------- option values

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

std::string extract_strvalue_by_token(const json_token& t, std::string_view text) { return token_text(t, text); }

long extract_lvalue_by_token(const json_token& t, std::string_view text) { return cvt2long(token_text(t, text)); }

double extract_dvalue_by_token(const json_token& t, std::string_view text) {
  return cvt2double(token_text(t, text));
}

void extract_tag_followed_by_3dvals(const parsed_config& cfg, const char* tag, std::array<double, 4>& out) {
  const long n = cfg.num_tokens;
  long k = 0;
  for (; k < n; ++k) {
    const json_token& t = cfg.tokens[static_cast<size_t>(k)];
    if (t.size == 0 && (t.type == JSMN_PRIMITIVE || t.type == JSMN_STRING) &&
        zor_ncmatch(token_text(t, cfg.text), tag))
      break;
  }
  if (k == n) fatal("[e] cannot find required tag '%s'\n", tag);
  if (k + 4 >= n || cfg.tokens[static_cast<size_t>(k + 1)].size != 3)
    fatal("[e] tag '%s' must be followed by a three-number [array]\n", tag);
  for (long i = 1; i <= 3; ++i) {
    const json_token& t = cfg.tokens[static_cast<size_t>(k + 1 + i)];
    double v = cvt2double(token_text(t, cfg.text));
    if (!valid_dNumber(v))
      fatal("[e] tag '%s': array contains invalid element (%s)\n", tag, token_text(t, cfg.text).c_str());
    out[static_cast<size_t>(i)] = v;
  }
}

}  // namespace vask
