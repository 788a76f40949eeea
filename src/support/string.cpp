// Strings: see string.hpp.
#include "support/string.hpp"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>

#include "support/config_tokenizer.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/number.hpp"

namespace vask {

namespace {
char upper_char(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char lower_char(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool is_alnum_char(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
size_t first_nonblank(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && is_blank_char(s[i])) ++i;
  return i;
}
}  // namespace

bool is_blank_char(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// ---------------------------------------------------------------- predicates

bool is_doc_string(std::string_view s) {
  size_t i = first_nonblank(s);
  return i == s.size() || s[i] == '#';
}

bool is_comment_string(std::string_view s) {
  size_t i = first_nonblank(s);
  return i < s.size() && s[i] == '#';
}

bool is_space_string(std::string_view s) { return first_nonblank(s) == s.size(); }

bool is_empty_str(const char* s) { return s == nullptr || *s == '\0'; }

bool is_equal_str(std::string_view a, std::string_view b) { return a == b; }

bool is_equal_icase_str(std::string_view a, std::string_view b) { return icase_strcmp(a, b) == 0; }

bool is_str_with_only_valid_chars(std::string_view s, std::string_view valid) {
  return s.find_first_not_of(valid) == std::string_view::npos;
}

bool str_pmatch(std::string_view s, std::string_view prefix) { return s.starts_with(prefix); }

bool icase_str_pmatch(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && icase_strncmp(s, prefix, prefix.size()) == 0;
}

bool begin_with_char(std::string_view s, char c) { return !s.empty() && s.front() == c; }
bool end_with_char(std::string_view s, char c) { return !s.empty() && s.back() == c; }

// ---------------------------------------------------------------- trimming

std::string_view ltrim(std::string_view s) { return s.substr(first_nonblank(s)); }

std::string& rtrim(std::string& s) {
  size_t n = s.size();
  while (n > 0 && is_blank_char(s[n - 1])) --n;
  s.resize(n);
  return s;
}

std::string& trim(std::string& s) {
  rtrim(s);
  s.erase(0, first_nonblank(s));
  return s;
}

std::string trimmed(std::string_view s) {
  std::string t(s);
  return trim(t);
}

void copy_trimed_string(std::string& dst, std::string& src) { dst = trim(src); }

std::string trim_word(std::string_view s) {
  std::string_view rest = ltrim(s);
  size_t n = 0;
  while (n < rest.size() && !is_blank_char(rest[n])) ++n;
  if (n == 0)
    logit_verbosef("[i] empty or white-space string: '%.*s'\n", static_cast<int>(s.size()), s.data());
  return std::string(rest.substr(0, n));
}

namespace {
void justify(std::string& s, int width, bool right) {
  if (is_space_string(s)) return;
  std::string word = trim_word(s);
  if (static_cast<int>(word.size()) > width) word.resize(static_cast<size_t>(std::max(width, 0)));
  std::string pad(static_cast<size_t>(std::max(width, 0)) - word.size(), ' ');
  s = right ? pad + word : word + pad;
}
}  // namespace

void rjustify(std::string& s, int width) { justify(s, width, true); }
void ljustify(std::string& s, int width) { justify(s, width, false); }

// ---------------------------------------------------------------- case and character edits

size_t up_case(std::string& s) {
  for (char& c : s) c = upper_char(c);
  return s.size();
}

size_t down_case(std::string& s) {
  for (char& c : s) c = lower_char(c);
  return s.size();
}

std::string upper_copy(std::string_view s) {
  std::string t(s);
  up_case(t);
  return t;
}

std::string lower_copy(std::string_view s) {
  std::string t(s);
  down_case(t);
  return t;
}

void convert_char_in_str(std::string& s, char from, char to) { std::replace(s.begin(), s.end(), from, to); }

void convert_cs0_in_str(std::string& s, std::string_view set, char to) {
  for (char& c : s)
    if (set.find(c) != std::string_view::npos) c = to;
}

void squeeze_char_in_str(std::string& s, char c) { std::erase(s, c); }

void keep_only_alnum(std::string& s, char sep) {
  std::string out;
  bool in_run = false;
  for (char c : s) {
    if (is_alnum_char(c) || c == sep) {
      if (in_run && !out.empty()) out += sep;
      in_run = false;
      out += c;
    } else {
      in_run = true;
    }
  }
  if (in_run && !out.empty()) out += sep;
  s = out;
}

void keep_only_upper_letter(std::string& s, char c) {
  for (char& ch : s)
    if (!(ch >= 'A' && ch <= 'Z')) ch = c;
}

void reverse_str(std::string& s) { std::reverse(s.begin(), s.end()); }

void append_endchar(std::string& s, char c) { s += c; }

void nul_end_newline(std::string& s) {
  if (!s.empty() && s.back() == '\n') s.pop_back();
}

void remove_ending_comma(std::string& s) {
  size_t k = s.rfind(',');
  if (k != std::string::npos) s.resize(k);
}

void capitalize_element_symbol(std::string& sym) {
  if (sym.size() < 2) return;
  if (sym[0] == ' ') {
    sym = std::string(1, sym[1]);
  } else {
    sym[1] = lower_char(sym[1]);
  }
}

void get_matched_delimiter(char c, char& open, char& close) {
  open = c;
  close = c == '(' ? ')' : c == '[' ? ']' : c == '{' ? '}' : c;
}

void encrypt(std::string& s) {
  for (char& c : s) c = static_cast<char>(c + 48);
}

void decrypt(std::string& s) {
  for (char& c : s) c = static_cast<char>(c - 48);
}

std::string duplicate_str(std::string_view s) { return std::string(s); }

// ---------------------------------------------------------------- comparison and search

int icase_strcmp(std::string_view a, std::string_view b) {
  return icase_strncmp(a, b, std::max(a.size(), b.size()));
}

int icase_strncmp(std::string_view a, std::string_view b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    // the end of a text compares as NUL, as C strings do
    int ca = i < a.size() ? static_cast<unsigned char>(upper_char(a[i])) : 0;
    int cb = i < b.size() ? static_cast<unsigned char>(upper_char(b[i])) : 0;
    if (ca != cb) return ca - cb;
    if (ca == 0) return 0;
  }
  return 0;
}

size_t icase_strstr(std::string_view s, std::string_view sub) {
  return lower_copy(s).find(lower_copy(sub));
}

size_t icase_strchr(std::string_view s, char c) {
  char lc = lower_char(c);
  for (size_t i = 0; i < s.size(); ++i)
    if (lower_char(s[i]) == lc) return i;
  return std::string_view::npos;
}

long find_str_match(std::string_view s, const std::vector<std::string>& list, long n) {
  for (long i = 1; i <= n; ++i)
    if (list[static_cast<size_t>(i)] == s) return i;
  return 0;
}

long find_icase_str_match(std::string_view s, const std::vector<std::string>& list, long n) {
  for (long i = 1; i <= n; ++i)
    if (icase_strcmp(list[static_cast<size_t>(i)], s) == 0) return i;
  return 0;
}

long has_str_match(std::string_view s, const std::vector<std::string>& list, long lo, long hi) {
  VASK_ASSERT(lo != 0);
  for (long i = lo; i <= hi; ++i)
    if (list[static_cast<size_t>(i)] == s) return i;
  return 0;
}

long find_num_of_str_match(std::string_view s, const std::vector<std::string>& list, long lo,
                           long hi) {
  long n = 0;
  for (long i = lo; i <= hi; ++i)
    if (list[static_cast<size_t>(i)] == s) ++n;
  return n;
}

// ---------------------------------------------------------------- splitting

long split_str_by_strtok(std::string_view s, std::vector<std::string>& items, long max,
                         std::string_view delimiters) {
  items.assign(1, std::string());
  size_t i = 0;
  while (static_cast<long>(items.size()) - 1 < max) {
    i = s.find_first_not_of(delimiters, i);
    if (i == std::string_view::npos) break;
    size_t j = s.find_first_of(delimiters, i);
    if (j == std::string_view::npos) j = s.size();
    items.push_back(trimmed(s.substr(i, j - i)));
    i = j;
  }
  return static_cast<long>(items.size()) - 1;
}

long split_str_by_sep_char(std::string_view s, std::vector<std::string>& items, long max, char sep) {
  items.assign(1, std::string());
  if (s.empty() || max < 1) return 0;
  size_t i = 0;
  for (;;) {
    size_t j = s.find(sep, i);
    if (j == std::string_view::npos) {
      items.push_back(trimmed(s.substr(i)));
      break;
    }
    items.push_back(trimmed(s.substr(i, j - i)));
    if (static_cast<long>(items.size()) - 1 >= max) break;
    i = j + 1;
  }
  return static_cast<long>(items.size()) - 1;
}

// ---------------------------------------------------------------- fixed-column fields

std::string extract_substr0(std::string_view s, long n) {
  if (n < 1 || static_cast<long>(s.size()) < n - 1) return {};
  return std::string(s.substr(0, static_cast<size_t>(n)));
}

std::string extract_substr_from_str(std::string_view s, long i, long j, long b) {
  const long len = j - i + 1;
  const long from = i - b;
  if (len < 1 || static_cast<long>(s.size()) < j || from < 0) return {};
  return std::string(s.substr(static_cast<size_t>(from), static_cast<size_t>(len)));
}

void extract_substr0_from_str(std::string_view s, long i, long j, long b, std::string& out) {
  std::string f = extract_substr_from_str(s, i, j, b);
  if (!f.empty()) out = f;
}

double extract_double_from_str(std::string_view s, long i, long j, long b, double dft) {
  double x = cvt2double(extract_substr_from_str(s, i, j, b));
  return valid_dNumber(x) ? x : dft;
}

long extract_long_from_str(std::string_view s, long i, long j, long b, double dft) {
  long x = cvt2long(extract_substr_from_str(s, i, j, b));
  return valid_lNumber(x) ? x : static_cast<long>(dft);
}

// ---------------------------------------------------------------- replacing

std::string replace_substring(std::string_view s, std::string_view old, std::string_view now) {
  VASK_ASSERT(!old.empty());
  std::string out;
  size_t i = 0;
  for (size_t k; (k = s.find(old, i)) != std::string_view::npos; i = k + old.size()) {
    out.append(s.substr(i, k - i));
    out.append(now);
  }
  out.append(s.substr(i));
  return out;
}

void replace_substring_inplace(std::string& s, std::string_view old, std::string_view now) {
  s = replace_substring(s, old, now);
}

// ---------------------------------------------------------------- appending formatted values

void concatenate_str0(std::string& dst, const char* value, const char* fmt) {
  dst += format_runtime(fmt, value);
}

void concatenate_str_par(std::string& dst, const char* value, const char* fmt, const char* dft) {
  if (!is_empty_str(value))
    concatenate_str0(dst, value, fmt);
  else
    dst += dft;
}

void concatenate_dval_par(std::string& dst, const char* fmt, const char* dft, double x) {
  if (valid_dNumber(x))
    dst += format_runtime(fmt, x);
  else
    dst += dft;
}

void concatenate_lval_par(std::string& dst, long n, const char* fmt, const char* dft) {
  if (n != LONG_MAX)
    dst += format_runtime(fmt, n);
  else
    dst += dft;
}

// ---------------------------------------------------------------- comments and lines

void nullify_line_comment(std::string& s) {
  if (s.find('#') == std::string::npos) return;
  constexpr long MAX_TOKENS = 512;
  std::vector<json_token> tokens = allocate_tokens_array(MAX_TOKENS);
  jsmn_parser p;
  jsmn_init(p);
  int r = jsmn_parse(p, s, tokens);
  if (r == JSMN_ERROR_NOMEM || r == JSMN_ERROR_INVAL) fatal("error in parsing string: '%s'\n", s.c_str());
  for (long i = 0; i < p.toknext; ++i) {
    const json_token& t = tokens[static_cast<size_t>(i)];
    if (t.type == JSMN_PRIMITIVE && t.start >= 0 && s[static_cast<size_t>(t.start)] == '#') {
      s.resize(static_cast<size_t>(t.start));
      return;
    }
  }
}

bool next_real_line(FILE* fp, std::string& line) {
  while (get_line(fp, line)) {
    nullify_line_comment(line);
    if (!is_space_string(line)) return true;
  }
  line.clear();
  return false;
}

long get_number_of_space_separated_items(std::string_view s) {
  long n = 0;
  size_t i = 0;
  for (;;) {
    while (i < s.size() && is_blank_char(s[i])) ++i;
    if (i >= s.size()) break;
    n += (s[i] == '[' || s[i] == '{' || s[i] == ':') ? 2 : 1;
    while (i < s.size() && !is_blank_char(s[i])) ++i;
  }
  return n;
}

long count_char(std::string_view s, char c) { return static_cast<long>(std::count(s.begin(), s.end(), c)); }

// ---------------------------------------------------------------- output lines

void total_counts(const char* noun, long n) {
  if (RUNLOG == nullptr || n == 0) return;
  runlog_msg("    total number of %s: %ld\n", noun, n);
}

void print_spaces(FILE* fp, int n) {
  if (fp == nullptr) return;
  std::fprintf(fp, "%*s\n", std::max(n, 1), "");
}

int number_size(long n) { return std::snprintf(nullptr, 0, "%ld", n); }

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

std::string fixed_text(double v, int width, int decimals) {
  char buf[40];
  const long len = rounded_text(v, decimals, buf + sizeof buf);
  if (len == 0) return sformat("%*.*f", width, decimals, v);
  std::string s(width > len ? static_cast<size_t>(width - len) : 0, ' ');
  return s.append(buf + sizeof buf - len, static_cast<size_t>(len));
}

}  // namespace vask
