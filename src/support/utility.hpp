// The common support routines: run log, program log, verbosity and timing;
// report lines, line reading, strict numbers, shell calls and data files;
// option values; 1-based and ranged arrays with their whole-array operations
// and run records; the JSON writer; frame files.
//
// The run log carries messages for the user (standard error by default), the
// program log extra detail for the developer (off by default). Every writer
// does nothing when its stream is null.
#pragma once

#include <array>
#include <cfloat>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "support/jsmn.hpp"

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
// The same three with a printf format, built whole (no length limit).
[[gnu::format(printf, 1, 2)]] void logitf(const char* fmt, ...);
[[gnu::format(printf, 1, 2)]] void logit_verbosef(const char* fmt, ...);
[[gnu::format(printf, 1, 2)]] void logit_testf(const char* fmt, ...);
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
// BELQO_VASK directory (when unset, the installed share/belqo-vask beside the
// executable's bin folder) followed by subdir and "/".
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

// ---------------------------------------------------------------------------
// Values of configuration tokens.

std::string extract_strvalue_by_token(const json_token& t, std::string_view text);
long extract_lvalue_by_token(const json_token& t, std::string_view text);    // LONG_MAX: invalid
double extract_dvalue_by_token(const json_token& t, std::string_view text);  // DBL_MAX: invalid
// The three numbers of the array after the first size-0 string or primitive
// token matching tag (case-insensitive pattern), into out[1..3].
void extract_tag_followed_by_3dvals(const parsed_config& cfg, const char* tag,
                                    std::array<double, 4>& out);  // an xyz

// ---------------------------------------------------------------------------
// Ranged matrices: rows [rlo, rhi] x columns [clo, chi] in one contiguous
// block, row-major, zero-filled (or filled with a given value). m[r][c].

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

// ---------------------------------------------------------------------------
// 1-based and ranged arrays. A 1-based vector of n is a std::vector of n + 1
// (slot 0 unused); a 0-based vector of n holds indices 0..n. A ranged vector
// [lo, hi] (lo >= 0) holds hi + 1 elements addressed by index directly.
// Matrices are matrix_t. Every factory zero-fills (or fills with DBL_MAX) and
// reports an empty range to the program log ("boundary for ...") before
// allocating anyway.

std::vector<double> dvector(long lo, long hi);
std::vector<double> dvector_0n(long n);
std::vector<double> dvector_1n(long n);
std::vector<double> dvector_1n_DMAX(long n);
std::vector<long> lvector(long lo, long hi);
std::vector<long> lvector_0n(long n);
std::vector<long> lvector_1n(long n);
std::vector<char> cvector(long lo, long hi);
std::vector<char> cvector_1n(long n);

dmatrix_t dmatrix(long rlo, long rhi, long clo, long chi);
dmatrix_t dmatrix_3x3();
dmatrix_t dmatrix_Nx3(long n);
dmatrix_t dmatrix_1m1n(long m, long n);
dmatrix_t dmatrix_1m1n_DMAX(long m, long n);
lmatrix_t lmatrix(long rlo, long rhi, long clo, long chi);
lmatrix_t lmatrix_1m1n(long m, long n);
cmatrix_t cmatrix(long rlo, long rhi, long clo, long chi);
cmatrix_t cmatrix_1r0c(long n, long m);  // n texts of up to m characters: rows 1..n, columns 0..m

// n + 1 empty slots (0..n); n < 0 is an assertion failure.
std::vector<std::string> allocate_char_marray(long n);
std::vector<std::vector<long>> allocate_long_marray(long n);
std::vector<std::vector<double>> allocate_double_marray(long n);

// ---------------------------------------------------------------------------
// Whole-array operations on 1-based and ranged vectors (lo, hi inclusive; an
// empty range does nothing).
void init_dvector(std::vector<double>& v, long lo, long hi, double x);
void init_lvector(std::vector<long>& v, long lo, long hi, long x);
void init_dvector_1n_DMAX(std::vector<double>& v, long n);
void init_cvector(std::string& s, long lo, long hi, char c);  // s[lo..hi-1] = c, text ends at hi
template <class T>
void init_matrix(matrix_t<T>& m, long rlo, long rhi, long clo, long chi, T x) {
  for (long r = rlo; r <= rhi; ++r)
    for (long c = clo; c <= chi; ++c) m[r][c] = x;
}
inline void init_dmatrix(dmatrix_t& m, long rlo, long rhi, long clo, long chi, double x) {
  init_matrix(m, rlo, rhi, clo, chi, x);
}
inline void init_lmatrix(lmatrix_t& m, long rlo, long rhi, long clo, long chi, long x) {
  init_matrix(m, rlo, rhi, clo, chi, x);
}
inline void init_lmatrix_1m1n(lmatrix_t& m, long nr, long nc, long x) { init_matrix(m, 1, nr, 1, nc, x); }
void init_cmatrix(cmatrix_t& m, long rlo, long rhi, long clo, long chi, char c);  // rows end at chi

void copy_dvector_1n(const std::vector<double>& src, long n, std::vector<double>& dst);
void copy_lvector_1n(const std::vector<long>& src, long n, std::vector<long>& dst);
void copy_dvector(const std::vector<double>& src, long lo, long hi, std::vector<double>& dst);
void copy_lvector(const std::vector<long>& src, long lo, long hi, std::vector<long>& dst);
std::vector<long> duplicate_lvector(long n, const std::vector<long>& src);
std::vector<long> assign_oneVal_as_lvector(long x);  // {unused, x}
void swap_dvector(long n, std::vector<double>& a, std::vector<double>& b);
void swap_lvector(long n, std::vector<long>& a, std::vector<long>& b);
inline void swap_dval(double& a, double& b) { std::swap(a, b); }
inline void swap_lval(long& a, long& b) { std::swap(a, b); }
inline void swap_char(char& a, char& b) { std::swap(a, b); }
void reverse_larray(long n, std::vector<long>& v);
void reverse_darray(long n, std::vector<double>& v);
void diff_dvector(long lo, long hi, const std::vector<double>& a, const std::vector<double>& b,
                  std::vector<double>& out);  // out = b - a
void diff_lvector(long lo, long hi, const std::vector<long>& a, const std::vector<long>& b,
                  std::vector<long>& out);
void negate_dvector(long lo, long hi, std::vector<double>& v);
void negate_lvector(long lo, long hi, std::vector<long>& v);
void fill_lvec_by_range(long lo, long hi, std::vector<long>& v);    // v[1..] = lo..hi
void fill_lvec_by_number(long start, long n, std::vector<long>& v);  // v[1..n] = start, start+1, ...
// a[0] is the count of a[1..count]; x is appended unless present (a grows as needed).
void add_unique_lval_to_0array(long x, std::vector<long>& a);

// Statistics (an empty range is lo > hi or n < 1)
double max_dvector(const std::vector<double>& v, long lo, long hi);  // empty: -DBL_MAX
double min_dvector(const std::vector<double>& v, long lo, long hi);  // empty: DBL_MAX
long min_lvector(const std::vector<long>& v, long lo, long hi);      // empty: LONG_MAX
long min_lvector_idx(const std::vector<long>& v, long lo, long hi);  // first smallest
double sum_dvector(const std::vector<double>& v, long lo, long hi);
long sum_lvector(const std::vector<long>& v, long n);
double ave_dvector(const std::vector<double>& v, long lo, long hi);
double std_dvector(const std::vector<double>& v, long lo, long hi);  // sample deviation
void ave_dmatrix(const dmatrix_t& m, long nr, long nc, std::vector<double>& out);  // column means
double dot_dvector(long lo, long hi, const std::vector<double>& a, const std::vector<double>& b);
double dot_dvector_1n(long n, const std::vector<double>& a, const std::vector<double>& b);
long get_lvector_zero_count(long n, const std::vector<long>& v);
long get_lvector_non_zero_count(long n, const std::vector<long>& v);
inline double dval_square(double x) { return x * x; }

// fmt holds one conversion per element; one newline closes the line.
void print_dvector(FILE* fp, const char* fmt, long lo, long hi, const std::vector<double>& v);
void print_lvector_1n(FILE* fp, const char* fmt, long n, const std::vector<long>& v);

// Tests
bool lval_in_range(long x, long lo, long hi);  // lo > hi: assertion failure
bool dval_in_range(double x, double lo, double hi);
bool lval_in_array(long x, long lo, long hi, const std::vector<long>& v);
bool lval_in_array_1n(long x, long n, const std::vector<long>& v);
long pos_in_lvec(long x, long n, const std::vector<long>& v);  // 1-based; 0 when absent
bool lvector_has_distinct_values(long n, std::vector<long>& v);  // sorts v[1..n] first
long get_sign(double x);                                         // 1, -1 or 0
bool same_sign_lvals(long a, long b);                            // a zero is an assertion failure
bool alt_sign_within_dvector(long n, const std::vector<double>& v);
bool parallel_alt_sign_between_dvectors(long n, const std::vector<double>& a, const std::vector<double>& b);
inline long get_rev_idx(long n, long i) { return n - i + 1; }

// Three-way comparisons (1, -1, 0), ascending
int compare_lvals(long a, long b);
int compare_dvals(double a, double b);

// A run of equal consecutive values: key, first and last position, length.
struct segidx {
  long key = 0;
  long start = 0;
  long end = 0;
  long count = 0;
};

// A value with its index; unset = {DBL_MAX, -1}.
struct validx {
  double value = DBL_MAX;
  long index = -1;
};
int validx_compare(const validx& a, const validx& b);  // by value

inline void init_one_idx(segidx& r) { r = segidx{}; }
// Runs of v[1..n], at [1..nseg]; empty (nseg = 0) when n = 0.
std::vector<segidx> get_segidx(long n, const std::vector<long>& v, long& nseg);
// The same over the characters s[0..n-1], 0-based positions.
std::vector<segidx> get_segidx_charVec0(long n, std::string_view s, long& nseg);
// Stretches of idx[1..n] whose entries continue each other: linked(a, b) when
// given (a structure's linkage test), else |b - a| = 1. Start and end are
// positions in idx. n < 1 is an assertion failure.
std::vector<segidx> get_consecutive_segments(long n, const std::vector<long>& idx, long& nseg,
                                             const std::function<bool(long, long)>& linked = {});
std::vector<validx> allocate_validx_array(long n);  // [1..n] unset
void init_validx_array(long n, std::vector<validx>& a);

// Bits and switches
long clear_bit_by_power2_value(long word, long value);  // clears bit log2(value)
// (the switch-set tests opts_with_switch_set, r3d_* etc. are in driver/option.hpp)

// ---------------------------------------------------------------------------
// JSON writer: compact output straight to the stream, members in call order.
// A writer ending in "0" writes its item alone; its twin appends ",". Every
// writer does nothing when fp is null. Texts are escaped as RFC 8259 asks;
// doubles use Gvars.json_fmt and are written as null when unset (|v| > 1e36)
// or not finite.
std::string escaped_json_string(std::string_view s);
void json_comma(FILE* fp);
void json_raw_text(FILE* fp, const char* s);
void json_begin_object(FILE* fp, const char* key);
void json_end_object0(FILE* fp);
void json_end_object(FILE* fp);
void json_begin_array(FILE* fp, const char* key);
void json_end_array0(FILE* fp);
void json_end_array(FILE* fp);
void json_lNumber0(FILE* fp, const char* key, long v);
void json_lNumber(FILE* fp, const char* key, long v);
void json_nonZero_lNumber(FILE* fp, const char* key, long v);
void json_dNumber0(FILE* fp, const char* key, double v);
void json_dNumber(FILE* fp, const char* key, double v);
void json_string0(FILE* fp, const char* key, std::string_view value);
void json_string(FILE* fp, const char* key, std::string_view value);
void json_char0(FILE* fp, const char* key, char c);
void json_char(FILE* fp, const char* key, char c);
void json_boolean0(FILE* fp, const char* key, bool b);
void json_boolean(FILE* fp, const char* key, bool b);
void json_lNumberArray0(FILE* fp, const char* key, long n, const std::vector<long>& v);  // v[1..n]
void json_lNumberArray(FILE* fp, const char* key, long n, const std::vector<long>& v);
void json_dNumberArray0(FILE* fp, const char* key, long lo, long hi, const std::vector<double>& v);
void json_dNumberArray(FILE* fp, const char* key, long n, const std::vector<double>& v);  // v[1..n]
void json_bareObject_start_with_idx(FILE* fp, long i);       // {"index":i,
void json_bareObject_end_check_idx(FILE* fp, long i, long n);  // "}," while i < n, else "}"
// An H-bond summary in the form chosen by the JSON mode bits (4 array, 2 object, else two keys).
void json_hbonds_num_str0(FILE* fp, long n, std::string_view text);
void json_hbonds_num_str(FILE* fp, long n, std::string_view text);
// A nucleotide list under key as its short and long id texts, in the form of the JSON mode bits.
void json_nt_ids0(FILE* fp, const char* key, std::string_view short_ids, std::string_view long_ids);
void json_nt_ids(FILE* fp, const char* key, std::string_view short_ids, std::string_view long_ids);
void json_just_string0(FILE* fp, std::string_view s);
void json_just_string(FILE* fp, std::string_view s);
void json_just_lNumber0(FILE* fp, long v);
void json_just_lNumber(FILE* fp, long v);
void json_just_dNumber0(FILE* fp, double v);
void json_just_dNumber(FILE* fp, double v);
void json_dummy0(FILE* fp);

// Reference frames in JSON (the frame record lives with the settings).
struct frame;
void json_frame0(FILE* fp, const frame* f);  // nothing for a null frame
void json_frame(FILE* fp, const frame* f);

// Frame files: four lines "position", "x_axis", "y_axis", "z_axis".
void write_frame_file(const frame& f, const std::string& name);
// The same into the transformation-matrix file setting, or PREFIX-rotmat.txt.
void write_frame_file0(const frame& f);
// out := frame 2 expressed through frame 1: origin o1 + R1 o2, rotation R1 R2.
void combine_frames(const frame& f1, const frame& f2, frame& out);

}  // namespace vask
