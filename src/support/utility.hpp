// Run log, program log, verbosity and timing.
//
// The run log carries messages for the user (standard error by default), the
// program log extra detail for the developer (off by default). Every writer
// does nothing when its stream is null.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vask {

extern long VERBOSITY;  // -1 silent, 0 normal (default), 1 more, 9 most
extern FILE* RUNLOG;    // null when closed
extern FILE* PRGLOG;    // null when closed

[[gnu::format(printf, 1, 2)]] void runlog_msg(const char* fmt, ...);
[[gnu::format(printf, 1, 2)]] void prglog_msg(const char* fmt, ...);
void logit(const char* s);                        // s to both logs
[[noreturn]] void logit_fatal(const char* s);     // s to both logs, then fatal("%s", s)
void logit_verbose(const char* s);                // run log when VERBOSITY > 0; program log always
void logit_test(const char* s);                   // run log with the test switch; program log always
[[gnu::format(printf, 1, 2)]] void prglog_new_runlog(const char* fmt, ...);

bool keep_silent();  // VERBOSITY == -1
bool verbose0();     // VERBOSITY < 1
bool verbose1();     // VERBOSITY > 0
bool verbose2();     // VERBOSITY > 1

long used_time_in_seconds();                 // processor time since the start clock
std::string derive_used_time();              // "DD:HH:MM:SS"
std::string derive_used_time(long seconds);  // the same for a given number of seconds
void display_time_so_far(const char* label);
std::string get_timestamp();                 // ctime text without the trailing newline
void write_timestamp(FILE* fp);
void output_time_used(const std::string& out_name, FILE* fp);

// ---------------------------------------------------------------------------
// Formatting into std::string.
[[gnu::format(printf, 1, 2)]] std::string sformat(const char* fmt, ...);
// The same for formats that are run-time values (settings, caller formats),
// which the compiler cannot check.
std::string format_runtime(const char* fmt, ...);

// ---------------------------------------------------------------------------
// Text report lines.
void print_separator(FILE* fp, char ch, long n);        // n copies of ch and "\n"
void print_leadline_sepchar(FILE* fp, char ch, long n); // "\n" first, then the same
inline constexpr long SEPARATOR_WIDTH = 76;             // '*' lines between report sections
// fmt (with "%ld" and "%s") with n and noun, plural (or noun + "s") unless n == 1.
void print_noun(FILE* fp, long n, const char* fmt, const char* noun, const char* plural = nullptr);

// Lines of any length: false at the end of input with nothing read. A line
// ends at LF, CR or CR LF; the end mark is not stored.
bool get_line(FILE* fp, std::string& line);
void skip_num_lines(FILE* fp, long n);  // fatal when fewer lines remain

// ---------------------------------------------------------------------------
// Numbers: unset markers are LONG_MAX and DBL_MAX; a double is valid when
// |v| <= 1e36. Texts are read whole, trimmed and case-folded; empty text, any
// "nan" or "inf", trailing characters and overflow are rejected.
long cvt2long(std::string_view s);      // LONG_MAX when rejected
double cvt2double(std::string_view s);  // DBL_MAX when rejected
bool get_valid_lNumber(std::string_view s, long& out);
bool valid_lNumber(long v);
bool valid_dNumber(double v);
bool is_numeric(std::string_view s);
bool is_even(long n);
bool is_odd(long n);
double sum_a2_b2(double a, double b);
double norm_a_b(double a, double b);

// ---------------------------------------------------------------------------
// Shell commands: a non-zero status ends the run.
void call_system(const std::string& cmd);
void call_system_echo(const std::string& cmd);            // logs "Command: '...'" first
void call_system_log(const std::string& cmd, FILE* fp);   // writes cmd to fp first

// Data files: "./" when file is in the working directory, else the
// BELQO_VASK directory followed by subdir and "/".
std::string get_sysdir(const std::string& subdir, const std::string& file);
std::string get_sysfile(const std::string& subdir, const std::string& file);

// The backbone-type option: 'A', 'B', 'R' or 'N' (dft when absent or unknown).
char derive_backbone_type(std::string_view arg, char dft);

// ---------------------------------------------------------------------------
// Option values: the text after the first '=' of an option argument.
//
// The usage exit for a malformed option (no '='): the driver installs its
// own handler (help of the active sub-command); without one, a bell and the
// main program's help hint, status 1.
extern void (*say_good_bye_handler)();
[[noreturn]] void usage_exit();

std::string get_strvalue(std::string_view option, bool expand_home);  // "~" -> $HOME
std::string get_strvalue0(std::string_view text, bool expand_home);
// The default when the option has no value (bare key or "key=").
std::string get_strvalue_with_default(std::string_view option, bool expand_home,
                                      std::string_view dft);
long get_lvalue(std::string_view option, long lo, long hi);        // checked, [lo, hi]
double get_dvalue(std::string_view option, double lo, double hi);  // checked, [lo, hi]
long equal_sign_pos(std::string_view option);                      // offset of the value
bool with_optional_endEqual(std::string_view option);              // no value given
int extract_case_option(std::string_view option);                  // -1, 0 or 1

}  // namespace vask

// ---------------------------------------------------------------------------
// Values of configuration tokens.
#include <array>

#include "support/jsmn.hpp"

namespace vask {

std::string extract_strvalue_by_token(const json_token& t, std::string_view text);
long extract_lvalue_by_token(const json_token& t, std::string_view text);    // LONG_MAX: invalid
double extract_dvalue_by_token(const json_token& t, std::string_view text);  // DBL_MAX: invalid
// The three numbers of the array after the first size-0 string or primitive
// token matching tag (case-insensitive pattern), into out[1..3].
void extract_tag_followed_by_3dvals(const parsed_config& cfg, const char* tag,
                                    std::array<double, 4>& out);  // an xyz

}  // namespace vask

// ---------------------------------------------------------------------------
// Ranged matrices: rows [rlo, rhi] x columns [clo, chi] in one contiguous
// block, row-major, zero-filled (or filled with a given value). m[r][c].
#include <vector>

namespace vask {

template <class T>
class matrix_t {
 public:
  matrix_t() = default;
  matrix_t(long rlo, long rhi, long clo, long chi, T fill = T{})
      : rlo_(rlo), rhi_(rhi), clo_(clo), chi_(chi),
        ncol_(chi >= clo ? chi - clo + 1 : 0),
        data_(static_cast<size_t>((rhi >= rlo ? rhi - rlo + 1 : 0) * ncol_ + 1), fill) {}
  T* operator[](long r) { return data_.data() + 1 + (r - rlo_) * ncol_ - clo_; }
  const T* operator[](long r) const { return data_.data() + 1 + (r - rlo_) * ncol_ - clo_; }
  long rlo() const { return rlo_; }
  long rhi() const { return rhi_; }
  long clo() const { return clo_; }
  long chi() const { return chi_; }
  bool empty() const { return ncol_ == 0 || rhi_ < rlo_; }
  std::vector<T>& block() { return data_; }  // the whole block; element 0 is the spare

 private:
  long rlo_ = 1, rhi_ = 0, clo_ = 1, chi_ = 0, ncol_ = 0;
  std::vector<T> data_ = std::vector<T>(1);
};

using dmatrix_t = matrix_t<double>;
using lmatrix_t = matrix_t<long>;
using cmatrix_t = matrix_t<char>;

}  // namespace vask
