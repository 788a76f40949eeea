// Run log, program log, verbosity and timing: see utility.hpp.
#include "support/utility.hpp"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "driver/option.hpp"
#include "support/cii.hpp"
#include "support/common.hpp"
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

void logitf(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  logit(vformat(fmt, ap).c_str());
  va_end(ap);
}

void logit_verbosef(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  logit_verbose(vformat(fmt, ap).c_str());
  va_end(ap);
}

void logit_testf(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  logit_test(vformat(fmt, ap).c_str());
  va_end(ap);
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

// The one place a format that is not a literal reaches the formatter: the
// callers pass formats taken from settings.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wformat-nonliteral"
#endif
std::string format_runtime(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string s = vformat(fmt, ap);
  va_end(ap);
  return s;
}
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

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

namespace {
// The home folder of an installed executable: <prefix>/share/belqo-vask beside
// <prefix>/bin. Found from the executable's own path, so an installed tree
// needs no BELQO_VASK and still works when its prefix is moved. Empty when
// the executable does not sit in such a tree (a build folder).
std::string installed_home() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  const std::filesystem::path home = exe.parent_path() / VASK_HOME_FROM_BIN;
  return std::filesystem::is_directory(home, ec) ? home.lexically_normal().string() : std::string();
}
}  // namespace

std::string get_sysdir(const std::string& subdir, const std::string& file) {
  if (exist_file(file)) return "./";
  const char* env = std::getenv("BELQO_VASK");
  std::string dir = env != nullptr ? std::string(env) : installed_home();
  if (env == nullptr && dir.empty()) fatal("get_sysdir(): can't locate directory with file [%s]\n", file.c_str());
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

// ---------------------------------------------------------------- 1-based and ranged arrays

namespace vask {

namespace {
size_t at(long k) { return static_cast<size_t>(k); }

void vector_boundary(const char* label, long lo, long hi) {
  if (lo > hi) prglog_msg("\nboundary for %s: [%ld to %ld]\n", label, lo, hi);
}

void matrix_boundary(const char* label, long rlo, long rhi, long clo, long chi) {
  if (rlo <= rhi && clo <= chi) return;
  logit_verbosef("\nboundary for %s: [%ld to %ld; %ld to %ld]\n", label, rlo, rhi, clo, chi);
}

// Room for indices 0..hi (at least index 0), zero-filled.
template <class T>
std::vector<T> ranged_vector(const char* label, long lo, long hi, T fill = T{}) {
  VASK_ASSERT(lo >= 0);
  vector_boundary(label, lo, hi);
  return std::vector<T>(at(std::max(hi, lo - 1) + 1), fill);
}

template <class T>
matrix_t<T> ranged_matrix(const char* label, long rlo, long rhi, long clo, long chi, T fill = T{}) {
  matrix_boundary(label, rlo, rhi, clo, chi);
  return matrix_t<T>(rlo, rhi, clo, chi, fill);
}
}  // namespace

std::vector<double> dvector(long lo, long hi) { return ranged_vector<double>("dvector()", lo, hi); }
std::vector<double> dvector_0n(long n) { return ranged_vector<double>("dvector()", 0, n); }
std::vector<double> dvector_1n(long n) { return ranged_vector<double>("dvector()", 1, n); }
std::vector<double> dvector_1n_DMAX(long n) {
  std::vector<double> v = ranged_vector<double>("dvector()", 1, n, DBL_MAX);
  v[0] = 0.0;
  return v;
}
std::vector<long> lvector(long lo, long hi) { return ranged_vector<long>("lvector()", lo, hi); }
std::vector<long> lvector_0n(long n) { return ranged_vector<long>("lvector()", 0, n); }
std::vector<long> lvector_1n(long n) { return ranged_vector<long>("lvector()", 1, n); }
std::vector<char> cvector(long lo, long hi) { return ranged_vector<char>("cvector()", lo, hi); }
std::vector<char> cvector_1n(long n) { return ranged_vector<char>("cvector()", 1, n); }

dmatrix_t dmatrix(long rlo, long rhi, long clo, long chi) {
  return ranged_matrix<double>("dmatrix()", rlo, rhi, clo, chi);
}
dmatrix_t dmatrix_3x3() { return dmatrix(1, 3, 1, 3); }
dmatrix_t dmatrix_Nx3(long n) { return dmatrix(1, n, 1, 3); }
dmatrix_t dmatrix_1m1n(long m, long n) { return dmatrix(1, m, 1, n); }
dmatrix_t dmatrix_1m1n_DMAX(long m, long n) { return ranged_matrix<double>("dmatrix()", 1, m, 1, n, DBL_MAX); }
lmatrix_t lmatrix(long rlo, long rhi, long clo, long chi) {
  return ranged_matrix<long>("lmatrix()", rlo, rhi, clo, chi);
}
lmatrix_t lmatrix_1m1n(long m, long n) { return lmatrix(1, m, 1, n); }
cmatrix_t cmatrix(long rlo, long rhi, long clo, long chi) {
  return ranged_matrix<char>("cmatrix()", rlo, rhi, clo, chi);
}
cmatrix_t cmatrix_1r0c(long n, long m) { return cmatrix(1, n, 0, m); }

std::vector<std::string> allocate_char_marray(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<std::string>(at(n + 1));
}
std::vector<std::vector<long>> allocate_long_marray(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<std::vector<long>>(at(n + 1));
}
std::vector<std::vector<double>> allocate_double_marray(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<std::vector<double>>(at(n + 1));
}

// ---------------------------------------------------------------- whole-array operations

void init_dvector(std::vector<double>& v, long lo, long hi, double x) {
  for (long i = lo; i <= hi; ++i) v[at(i)] = x;
}

void init_lvector(std::vector<long>& v, long lo, long hi, long x) {
  for (long i = lo; i <= hi; ++i) v[at(i)] = x;
}

void init_dvector_1n_DMAX(std::vector<double>& v, long n) { init_dvector(v, 1, n, DBL_MAX); }

void init_cvector(std::string& s, long lo, long hi, char c) {
  if (lo > hi) return;
  s.resize(at(hi));
  for (long i = lo; i < hi; ++i) s[at(i)] = c;
}

void init_cmatrix(cmatrix_t& m, long rlo, long rhi, long clo, long chi, char c) {
  for (long r = rlo; r <= rhi; ++r) {
    for (long k = clo; k < chi; ++k) m[r][k] = c;
    if (clo <= chi) m[r][chi] = '\0';
  }
}

void copy_dvector_1n(const std::vector<double>& src, long n, std::vector<double>& dst) { copy_dvector(src, 1, n, dst); }
void copy_lvector_1n(const std::vector<long>& src, long n, std::vector<long>& dst) { copy_lvector(src, 1, n, dst); }

void copy_dvector(const std::vector<double>& src, long lo, long hi, std::vector<double>& dst) {
  for (long i = lo; i <= hi; ++i) dst[at(i)] = src[at(i)];
}

void copy_lvector(const std::vector<long>& src, long lo, long hi, std::vector<long>& dst) {
  for (long i = lo; i <= hi; ++i) dst[at(i)] = src[at(i)];
}

std::vector<long> duplicate_lvector(long n, const std::vector<long>& src) {
  std::vector<long> v = lvector_1n(n);
  copy_lvector_1n(src, n, v);
  return v;
}

std::vector<long> assign_oneVal_as_lvector(long x) { return {0, x}; }

void swap_dvector(long n, std::vector<double>& a, std::vector<double>& b) {
  for (long i = 1; i <= n; ++i) std::swap(a[at(i)], b[at(i)]);
}

void swap_lvector(long n, std::vector<long>& a, std::vector<long>& b) {
  for (long i = 1; i <= n; ++i) std::swap(a[at(i)], b[at(i)]);
}

void reverse_larray(long n, std::vector<long>& v) {
  if (n > 1) std::reverse(v.begin() + 1, v.begin() + 1 + n);
}

void reverse_darray(long n, std::vector<double>& v) {
  if (n > 1) std::reverse(v.begin() + 1, v.begin() + 1 + n);
}

void diff_dvector(long lo, long hi, const std::vector<double>& a, const std::vector<double>& b,
                  std::vector<double>& out) {
  for (long i = lo; i <= hi; ++i) out[at(i)] = b[at(i)] - a[at(i)];
}

void diff_lvector(long lo, long hi, const std::vector<long>& a, const std::vector<long>& b,
                  std::vector<long>& out) {
  for (long i = lo; i <= hi; ++i) out[at(i)] = b[at(i)] - a[at(i)];
}

void negate_dvector(long lo, long hi, std::vector<double>& v) {
  for (long i = lo; i <= hi; ++i) v[at(i)] = -v[at(i)];
}

void negate_lvector(long lo, long hi, std::vector<long>& v) {
  for (long i = lo; i <= hi; ++i) v[at(i)] = -v[at(i)];
}

void fill_lvec_by_range(long lo, long hi, std::vector<long>& v) { fill_lvec_by_number(lo, hi - lo + 1, v); }

void fill_lvec_by_number(long start, long n, std::vector<long>& v) {
  for (long i = 1; i <= n; ++i) v[at(i)] = start + i - 1;
}

void add_unique_lval_to_0array(long x, std::vector<long>& a) {
  if (a.empty()) a.push_back(0);
  const long n = a[0];
  if (lval_in_array(x, 1, n, a)) return;
  if (static_cast<long>(a.size()) < n + 2) a.resize(at(n + 2));
  a[at(n + 1)] = x;
  a[0] = n + 1;
}

// ---------------------------------------------------------------- statistics

double max_dvector(const std::vector<double>& v, long lo, long hi) {
  double m = -DBL_MAX;
  for (long i = lo; i <= hi; ++i) m = std::max(m, v[at(i)]);
  return m;
}

double min_dvector(const std::vector<double>& v, long lo, long hi) {
  double m = DBL_MAX;
  for (long i = lo; i <= hi; ++i) m = std::min(m, v[at(i)]);
  return m;
}

long min_lvector(const std::vector<long>& v, long lo, long hi) {
  long m = LONG_MAX;
  for (long i = lo; i <= hi; ++i) m = std::min(m, v[at(i)]);
  return m;
}

long min_lvector_idx(const std::vector<long>& v, long lo, long hi) {
  long m = LONG_MAX, idx = -1;
  for (long i = lo; i <= hi; ++i)
    if (v[at(i)] < m) {
      m = v[at(i)];
      idx = i;
    }
  VASK_ASSERT(idx != -1);
  return idx;
}

double sum_dvector(const std::vector<double>& v, long lo, long hi) {
  double s = 0.0;
  for (long i = lo; i <= hi; ++i) s += v[at(i)];
  return s;
}

long sum_lvector(const std::vector<long>& v, long n) {
  long s = 0;
  for (long i = 1; i <= n; ++i) s += v[at(i)];
  return s;
}

double ave_dvector(const std::vector<double>& v, long lo, long hi) {
  if (lo > hi) {
    runlog_msg("ave_dvector(): index out of order (%ld > %ld)\n", lo, hi);
    return 0.0;
  }
  return sum_dvector(v, lo, hi) / static_cast<double>(hi - lo + 1);
}

double std_dvector(const std::vector<double>& v, long lo, long hi) {
  const long n = hi - lo + 1;
  if (n < 2) {
    runlog_msg("std_dvector(): less than 2 items (%ld .. %ld)\n", lo, hi);
    return 0.0;
  }
  const double ave = ave_dvector(v, lo, hi);
  double s = 0.0;
  for (long i = lo; i <= hi; ++i) s += dval_square(v[at(i)] - ave);
  return std::sqrt(s / static_cast<double>(n - 1));
}

void ave_dmatrix(const dmatrix_t& m, long nr, long nc, std::vector<double>& out) {
  if (nr == 0) fatal("ave_dmatrix(): zero rows\n");
  for (long j = 1; j <= nc; ++j) {
    double s = 0.0;
    for (long i = 1; i <= nr; ++i) s += m[i][j];
    out[at(j)] = s / static_cast<double>(nr);
  }
}

double dot_dvector(long lo, long hi, const std::vector<double>& a, const std::vector<double>& b) {
  double s = 0.0;
  for (long i = lo; i <= hi; ++i) s += a[at(i)] * b[at(i)];
  return s;
}

double dot_dvector_1n(long n, const std::vector<double>& a, const std::vector<double>& b) {
  return dot_dvector(1, n, a, b);
}

long get_lvector_zero_count(long n, const std::vector<long>& v) {
  long k = 0;
  for (long i = 1; i <= n; ++i)
    if (v[at(i)] == 0) ++k;
  return k;
}

long get_lvector_non_zero_count(long n, const std::vector<long>& v) {
  return std::max(n, 0L) - get_lvector_zero_count(n, v);
}

void print_dvector(FILE* fp, const char* fmt, long lo, long hi, const std::vector<double>& v) {
  if (fp == nullptr) return;
  for (long i = lo; i <= hi; ++i) std::fputs(format_runtime(fmt, v[at(i)]).c_str(), fp);
  std::fputc('\n', fp);
}

void print_lvector_1n(FILE* fp, const char* fmt, long n, const std::vector<long>& v) {
  if (fp == nullptr) return;
  for (long i = 1; i <= n; ++i) std::fputs(format_runtime(fmt, v[at(i)]).c_str(), fp);
  std::fputc('\n', fp);
}

// ---------------------------------------------------------------- tests

bool lval_in_range(long x, long lo, long hi) {
  VASK_ASSERT(lo <= hi);
  return x >= lo && x <= hi;
}

bool dval_in_range(double x, double lo, double hi) {
  VASK_ASSERT(lo <= hi);
  return x >= lo && x <= hi;
}

bool lval_in_array(long x, long lo, long hi, const std::vector<long>& v) {
  for (long i = lo; i <= hi; ++i)
    if (v[at(i)] == x) return true;
  return false;
}

bool lval_in_array_1n(long x, long n, const std::vector<long>& v) { return lval_in_array(x, 1, n, v); }

long pos_in_lvec(long x, long n, const std::vector<long>& v) {
  for (long i = 1; i <= n; ++i)
    if (v[at(i)] == x) return i;
  return 0;
}

bool lvector_has_distinct_values(long n, std::vector<long>& v) {
  VASK_ASSERT(n >= 1);
  std::sort(v.begin() + 1, v.begin() + 1 + n);
  return std::adjacent_find(v.begin() + 1, v.begin() + 1 + n) == v.begin() + 1 + n;
}

long get_sign(double x) { return x > 0 ? 1 : x < 0 ? -1 : 0; }

bool same_sign_lvals(long a, long b) {
  VASK_ASSERT(a != 0 && b != 0);
  return (a > 0) == (b > 0);
}

bool alt_sign_within_dvector(long n, const std::vector<double>& v) {
  for (long i = 1; i < n; ++i)
    if (!(v[at(i)] * v[at(i + 1)] < 0)) return false;
  return true;
}

bool parallel_alt_sign_between_dvectors(long n, const std::vector<double>& a, const std::vector<double>& b) {
  if (n < 1) return true;
  if (n >= 2 && !(alt_sign_within_dvector(n, a) && alt_sign_within_dvector(n, b))) return false;
  for (long i = 1; i <= n; ++i)
    if (!(a[at(i)] * b[at(i)] > 0)) return false;
  return true;
}

int compare_lvals(long a, long b) { return a > b ? 1 : a < b ? -1 : 0; }
int compare_dvals(double a, double b) { return a > b ? 1 : a < b ? -1 : 0; }
int validx_compare(const validx& a, const validx& b) { return compare_dvals(a.value, b.value); }

// ---------------------------------------------------------------- run records

namespace {
// Runs of a sequence of n keys given by key(k), k = base .. base + n - 1.
template <class F>
std::vector<segidx> runs_of(long n, long base, F key, long& nseg) {
  std::vector<segidx> runs(1);
  for (long k = base; k < base + n; ++k) {
    if (k + 1 < base + n && key(k + 1) == key(k)) continue;  // not a run end
    segidx r;
    r.key = key(k);
    r.start = runs.size() == 1 ? base : runs.back().end + 1;
    r.end = k;
    r.count = r.end - r.start + 1;
    runs.push_back(r);
  }
  nseg = static_cast<long>(runs.size()) - 1;
  if (nseg == 0) runs.clear();
  return runs;
}
}  // namespace

std::vector<segidx> get_segidx(long n, const std::vector<long>& v, long& nseg) {
  return runs_of(n, 1, [&](long k) { return v[at(k)]; }, nseg);
}

std::vector<segidx> get_segidx_charVec0(long n, std::string_view s, long& nseg) {
  return runs_of(n, 0, [&](long k) { return static_cast<long>(s[at(k)]); }, nseg);
}

std::vector<segidx> get_consecutive_segments(long n, const std::vector<long>& idx, long& nseg,
                                             const std::function<bool(long, long)>& linked) {
  VASK_ASSERT(n >= 1);
  std::vector<long> label = lvector_1n(n);
  label[1] = 1;
  for (long k = 2; k <= n; ++k) {
    long a = idx[at(k - 1)], b = idx[at(k)];
    bool continues = linked ? linked(a, b) : std::labs(b - a) == 1;
    label[at(k)] = label[at(k - 1)] + (continues ? 0 : 1);
  }
  return get_segidx(n, label, nseg);
}

std::vector<validx> allocate_validx_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<validx>(at(n + 1));
}

void init_validx_array(long n, std::vector<validx>& a) {
  for (long i = 1; i <= n; ++i) a[at(i)] = validx{};
}

// ---------------------------------------------------------------- bits and switches

long clear_bit_by_power2_value(long word, long value) {
  long k = 0;
  while (k < 30 && (value >> (k + 1)) > 0) ++k;  // truncated base-2 logarithm
  return word & ~(1L << k);
}

// ---------------------------------------------------------------- JSON writer

namespace {
void json_number_text(FILE* fp, double v) {
  if (!valid_dNumber(v))
    std::fputs("null", fp);
  else
    std::fputs(format_runtime(Gvars.json_fmt.c_str(), v).c_str(), fp);
}

void json_quoted(FILE* fp, std::string_view s) {
  std::fprintf(fp, "\"%s\"", escaped_json_string(s).c_str());
}

void json_key(FILE* fp, const char* key) {
  json_quoted(fp, key);
  std::fputc(':', fp);
}

void comma_if(FILE* fp, bool comma) {
  if (comma) std::fputc(',', fp);
}

void json_lNumber_item(FILE* fp, const char* key, long v, bool comma) {
  if (fp == nullptr) return;
  json_key(fp, key);
  std::fprintf(fp, "%ld", v);
  comma_if(fp, comma);
}

void json_dNumber_item(FILE* fp, const char* key, double v, bool comma) {
  if (fp == nullptr) return;
  json_key(fp, key);
  json_number_text(fp, v);
  comma_if(fp, comma);
}

void json_string_item(FILE* fp, const char* key, std::string_view value, bool comma) {
  if (fp == nullptr) return;
  json_key(fp, key);
  json_quoted(fp, value);
  comma_if(fp, comma);
}

void json_lNumberArray_item(FILE* fp, const char* key, long n, const std::vector<long>& v, bool comma) {
  if (fp == nullptr) return;
  json_key(fp, key);
  std::fputc('[', fp);
  for (long i = 1; i <= n; ++i) std::fprintf(fp, i > 1 ? ",%ld" : "%ld", v[at(i)]);
  std::fputc(']', fp);
  comma_if(fp, comma);
}

void json_dNumberArray_item(FILE* fp, const char* key, long lo, long hi, const std::vector<double>& v,
                            bool comma) {
  if (fp == nullptr) return;
  json_key(fp, key);
  std::fputc('[', fp);
  for (long i = lo; i <= hi; ++i) {
    if (i > lo) std::fputc(',', fp);
    json_number_text(fp, v[at(i)]);
  }
  std::fputc(']', fp);
  comma_if(fp, comma);
}

// Two texts under key: an array (mode bit 4), an object with the two member
// names (bit 2), or two keys key + suffix each.
void json_text_pair(FILE* fp, const char* key, const char* name1, std::string_view text1, const char* name2,
                    std::string_view text2, bool comma) {
  if (fp == nullptr) return;
  if (Gvars.json & 4) {
    json_key(fp, key);
    std::fputc('[', fp);
    json_quoted(fp, text1);
    std::fputc(',', fp);
    json_quoted(fp, text2);
    std::fputc(']', fp);
  } else if (Gvars.json & 2) {
    json_begin_object(fp, key);
    json_string(fp, name1, text1);
    json_string0(fp, name2, text2);
    json_end_object0(fp);
  } else {
    json_string(fp, sformat("%s_%s", key, name1).c_str(), text1);
    json_string0(fp, sformat("%s_%s", key, name2).c_str(), text2);
  }
  comma_if(fp, comma);
}

void json_hbonds_item(FILE* fp, long n, std::string_view text, bool comma) {
  if (fp == nullptr) return;
  if (Gvars.json & 4) {
    json_key(fp, "hbonds");
    std::fprintf(fp, "[%ld,", n);
    json_quoted(fp, text);
    std::fputc(']', fp);
  } else if (Gvars.json & 2) {
    json_begin_object(fp, "hbonds");
    json_lNumber(fp, "num", n);
    json_string0(fp, "desc", text);
    json_end_object0(fp);
  } else {
    json_lNumber(fp, "hbonds_num", n);
    json_string0(fp, "hbonds_desc", text);
  }
  comma_if(fp, comma);
}

void json_frame_item(FILE* fp, const frame* f, bool comma) {
  if (fp == nullptr || f == nullptr) return;
  json_begin_object(fp, "frame");
  json_dNumber(fp, "rmsd", f->rmsd < 0 ? DBL_MAX : f->rmsd);
  const std::vector<double> org(f->org.begin(), f->org.end());
  const std::vector<double> x(f->x_axis.begin(), f->x_axis.end());
  const std::vector<double> y(f->y_axis.begin(), f->y_axis.end());
  const std::vector<double> z(f->z_axis.begin(), f->z_axis.end());
  const std::vector<double> q(f->qtn.begin(), f->qtn.end());
  json_dNumberArray(fp, "origin", 3, org);
  json_dNumberArray(fp, "x_axis", 3, x);
  json_dNumberArray(fp, "y_axis", 3, y);
  json_dNumberArray(fp, "z_axis", 3, z);
  json_dNumberArray0(fp, "quaternion", 0, 3, q);  // w first
  json_end_object0(fp);
  comma_if(fp, comma);
}
}  // namespace

namespace {
// Length of the valid UTF-8 sequence starting at s[i] (a byte >= 0x80), or 0.
size_t utf8_length(std::string_view s, size_t i) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b = byte(i);
  const size_t n = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xC2 && b <= 0xDF ? 2 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  const unsigned char b1 = byte(i + 1);
  if ((b == 0xE0 && b1 < 0xA0) || (b == 0xED && b1 > 0x9F) || (b == 0xF0 && b1 < 0x90) ||
      (b == 0xF4 && b1 > 0x8F))
    return 0;
  return n;
}
}  // namespace

std::string escaped_json_string(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (static_cast<unsigned char>(c) >= 0x80) {
      // JSON text is UTF-8: a byte outside a valid sequence (a Latin-1 file
      // name, say) is written as the code point of that byte
      if (size_t n = utf8_length(s, i)) {
        out.append(s.substr(i, n));
        i += n - 1;
      } else {
        out += sformat("\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
      }
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20)
          out += sformat("\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
        else
          out += c;
    }
  }
  return out;
}

void json_comma(FILE* fp) {
  if (fp != nullptr) std::fputc(',', fp);
}

void json_raw_text(FILE* fp, const char* s) {
  if (fp != nullptr) std::fputs(s, fp);
}

void json_begin_object(FILE* fp, const char* key) {
  if (fp == nullptr) return;
  json_key(fp, key);
  std::fputc('{', fp);
}

void json_end_object0(FILE* fp) { json_raw_text(fp, "}"); }
void json_end_object(FILE* fp) { json_raw_text(fp, "},"); }

void json_begin_array(FILE* fp, const char* key) {
  if (fp == nullptr) return;
  json_key(fp, key);
  std::fputc('[', fp);
}

void json_end_array0(FILE* fp) { json_raw_text(fp, "]"); }
void json_end_array(FILE* fp) { json_raw_text(fp, "],"); }

void json_lNumber0(FILE* fp, const char* key, long v) { json_lNumber_item(fp, key, v, false); }
void json_lNumber(FILE* fp, const char* key, long v) { json_lNumber_item(fp, key, v, true); }
void json_nonZero_lNumber(FILE* fp, const char* key, long v) {
  if (v != 0) json_lNumber(fp, key, v);
}
void json_dNumber0(FILE* fp, const char* key, double v) { json_dNumber_item(fp, key, v, false); }
void json_dNumber(FILE* fp, const char* key, double v) { json_dNumber_item(fp, key, v, true); }
void json_string0(FILE* fp, const char* key, std::string_view value) { json_string_item(fp, key, value, false); }
void json_string(FILE* fp, const char* key, std::string_view value) { json_string_item(fp, key, value, true); }
void json_char0(FILE* fp, const char* key, char c) { json_string0(fp, key, std::string_view(&c, 1)); }
void json_char(FILE* fp, const char* key, char c) { json_string(fp, key, std::string_view(&c, 1)); }

void json_boolean0(FILE* fp, const char* key, bool b) {
  if (fp == nullptr) return;
  json_key(fp, key);
  std::fputs(b ? "true" : "false", fp);
}

void json_boolean(FILE* fp, const char* key, bool b) {
  json_boolean0(fp, key, b);
  json_comma(fp);
}

void json_lNumberArray0(FILE* fp, const char* key, long n, const std::vector<long>& v) {
  json_lNumberArray_item(fp, key, n, v, false);
}
void json_lNumberArray(FILE* fp, const char* key, long n, const std::vector<long>& v) {
  json_lNumberArray_item(fp, key, n, v, true);
}
void json_dNumberArray0(FILE* fp, const char* key, long lo, long hi, const std::vector<double>& v) {
  json_dNumberArray_item(fp, key, lo, hi, v, false);
}
void json_dNumberArray(FILE* fp, const char* key, long n, const std::vector<double>& v) {
  json_dNumberArray_item(fp, key, 1, n, v, true);
}

void json_bareObject_start_with_idx(FILE* fp, long i) {
  if (fp == nullptr) return;
  std::fputc('{', fp);
  json_lNumber(fp, "index", i);
}

void json_bareObject_end_check_idx(FILE* fp, long i, long n) { json_raw_text(fp, i < n ? "}," : "}"); }

void json_hbonds_num_str0(FILE* fp, long n, std::string_view text) { json_hbonds_item(fp, n, text, false); }
void json_hbonds_num_str(FILE* fp, long n, std::string_view text) { json_hbonds_item(fp, n, text, true); }

void json_nt_ids0(FILE* fp, const char* key, std::string_view short_ids, std::string_view long_ids) {
  json_text_pair(fp, key, "short", short_ids, "long", long_ids, false);
}
void json_nt_ids(FILE* fp, const char* key, std::string_view short_ids, std::string_view long_ids) {
  json_text_pair(fp, key, "short", short_ids, "long", long_ids, true);
}

void json_just_string0(FILE* fp, std::string_view s) {
  if (fp != nullptr) json_quoted(fp, s);
}
void json_just_string(FILE* fp, std::string_view s) {
  json_just_string0(fp, s);
  json_comma(fp);
}
void json_just_lNumber0(FILE* fp, long v) {
  if (fp != nullptr) std::fprintf(fp, "%ld", v);
}
void json_just_lNumber(FILE* fp, long v) {
  json_just_lNumber0(fp, v);
  json_comma(fp);
}
void json_just_dNumber0(FILE* fp, double v) {
  if (fp == nullptr) return;
  if (std::isfinite(v))
    std::fputs(format_runtime(Gvars.json_fmt.c_str(), v).c_str(), fp);
  else
    std::fputs("null", fp);
}
void json_just_dNumber(FILE* fp, double v) {
  json_just_dNumber0(fp, v);
  json_comma(fp);
}
void json_dummy0(FILE* fp) { json_boolean0(fp, "DUMMY_END", true); }

void json_frame0(FILE* fp, const frame* f) { json_frame_item(fp, f, false); }
void json_frame(FILE* fp, const frame* f) { json_frame_item(fp, f, true); }

// ---------------------------------------------------------------- frame files

void write_frame_file(const frame& f, const std::string& name) {
  FILE* fp = open_file(name, "w");
  const std::pair<const char*, const xyz*> rows[] = {
      {"position", &f.org}, {"x_axis", &f.x_axis}, {"y_axis", &f.y_axis}, {"z_axis", &f.z_axis}};
  for (const auto& [label, v] : rows) std::fprintf(fp, "%s: [%+.6f %+.6f %+.6f]\n", label, (*v)[1], (*v)[2], (*v)[3]);
  close_file(fp);
}

void write_frame_file0(const frame& f) {
  write_frame_file(f, Gvars.trx_file.empty() ? sformat("%s-rotmat.txt", Gvars.prefix.c_str()) : Gvars.trx_file);
}

void combine_frames(const frame& f1, const frame& f2, frame& out) {
  // R1 v: v expressed in frame 1's axes, taken back to the global frame
  auto through_f1 = [&](const xyz& v) {
    xyz r{};
    for (size_t k = 1; k <= 3; ++k) r[k] = v[1] * f1.x_axis[k] + v[2] * f1.y_axis[k] + v[3] * f1.z_axis[k];
    return r;
  };
  const xyz moved = through_f1(f2.org);
  xyz org{};
  for (size_t k = 1; k <= 3; ++k) org[k] = f1.org[k] + moved[k];
  const xyz x = through_f1(f2.x_axis), y = through_f1(f2.y_axis), z = through_f1(f2.z_axis);
  out.org = org;
  out.x_axis = x;
  out.y_axis = y;
  out.z_axis = z;
}

}  // namespace vask
