// Strings: predicates, trimming, case edits, comparison and search, 1-based
// string lists, field splitting, fixed-column field extraction, comment
// removal and appending formatted values.
//
// Text is std::string in the C locale: white space is space, tab, newline,
// vertical tab, form feed and carriage return; case changes touch ASCII
// letters only. Routines named as editing "in place" change their argument;
// string lists are 1-based vectors (slot 0 unused).
#pragma once

#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vask {

bool is_blank_char(char c);  // the C locale's space class

// Predicates
bool is_doc_string(std::string_view s);      // blank, or first non-blank is '#'
bool is_comment_string(std::string_view s);  // first non-blank is '#' (blank: false)
bool is_space_string(std::string_view s);    // empty or white space only
bool is_empty_str(const char* s);            // null or ""
inline bool is_empty_str(std::string_view s) { return s.empty(); }
bool is_equal_str(std::string_view a, std::string_view b);
bool is_equal_icase_str(std::string_view a, std::string_view b);
bool is_str_with_only_valid_chars(std::string_view s, std::string_view valid);
bool str_pmatch(std::string_view s, std::string_view prefix);
bool icase_str_pmatch(std::string_view s, std::string_view prefix);
bool begin_with_char(std::string_view s, char c);  // false for ""
bool end_with_char(std::string_view s, char c);    // false for ""

// Trimming and justification
std::string_view ltrim(std::string_view s);              // past the leading white space
std::string& rtrim(std::string& s);                      // in place
std::string& trim(std::string& s);                       // in place, both ends
std::string trimmed(std::string_view s);                 // trimmed copy
void copy_trimed_string(std::string& dst, std::string& src);  // trims src, copies it
std::string trim_word(std::string_view s);               // first word; "" with a verbose note
void rjustify(std::string& s, int width);                // first word right-justified, cut to width
void ljustify(std::string& s, int width);

// Case and character edits (in place)
size_t up_case(std::string& s);    // returns the length
size_t down_case(std::string& s);
std::string upper_copy(std::string_view s);
std::string lower_copy(std::string_view s);
void convert_char_in_str(std::string& s, char from, char to);
void convert_cs0_in_str(std::string& s, std::string_view set, char to);
void squeeze_char_in_str(std::string& s, char c);
void keep_only_alnum(std::string& s, char sep);
void keep_only_upper_letter(std::string& s, char c);
void reverse_str(std::string& s);
void append_endchar(std::string& s, char c);
void nul_end_newline(std::string& s);      // drops one trailing '\n'
void remove_ending_comma(std::string& s);  // cuts at the last ','
void capitalize_element_symbol(std::string& sym);  // " C" -> "C", "CL" -> "Cl"
void get_matched_delimiter(char c, char& open, char& close);
void encrypt(std::string& s);  // +48 on every byte
void decrypt(std::string& s);  // -48 on every byte
std::string duplicate_str(std::string_view s);

// Comparison and search
int icase_strcmp(std::string_view a, std::string_view b);   // 0 when equal ignoring case
int icase_strncmp(std::string_view a, std::string_view b, size_t n);
size_t icase_strstr(std::string_view s, std::string_view sub);  // position or npos
size_t icase_strchr(std::string_view s, char c);               // position or npos
// Position (1-based) of the first list[1..n] equal to s; 0 when none or n < 1.
long find_str_match(std::string_view s, const std::vector<std::string>& list, long n);
long find_icase_str_match(std::string_view s, const std::vector<std::string>& list, long n);
// Position of the first list[lo..hi] equal to s, 0 when none; lo must be >= 1.
long has_str_match(std::string_view s, const std::vector<std::string>& list, long lo, long hi);
long find_num_of_str_match(std::string_view s, const std::vector<std::string>& list, long lo,
                           long hi);

// Splitting into items[1..count] (items is resized to count + 1); each field
// is trimmed. Fields beyond max are dropped.
long split_str_by_strtok(std::string_view s, std::vector<std::string>& items, long max,
                         std::string_view delimiters);  // runs of delimiters: no empty fields
long split_str_by_sep_char(std::string_view s, std::vector<std::string>& items, long max,
                           char sep);                   // every sep ends a field

// Fixed-column fields: columns [i, j] with index base b (b = 1 for record columns)
std::string extract_substr0(std::string_view s, long n);  // the first n characters, or ""
std::string extract_substr_from_str(std::string_view s, long i, long j, long b);
void extract_substr0_from_str(std::string_view s, long i, long j, long b, std::string& out);
double extract_double_from_str(std::string_view s, long i, long j, long b, double dft);
long extract_long_from_str(std::string_view s, long i, long j, long b, double dft);

// Replacing every non-overlapping occurrence of old (non-empty), left to right
std::string replace_substring(std::string_view s, std::string_view old, std::string_view now);
void replace_substring_inplace(std::string& s, std::string_view old, std::string_view now);

// Appending formatted values (fmt holds one conversion for the value)
void concatenate_str0(std::string& dst, const char* value, const char* fmt);
void concatenate_str_par(std::string& dst, const char* value, const char* fmt, const char* dft);
void concatenate_dval_par(std::string& dst, const char* fmt, const char* dft, double x);
void concatenate_lval_par(std::string& dst, long n, const char* fmt, const char* dft);

// Comments and lines
void nullify_line_comment(std::string& s);  // cuts a '#' comment, not one inside quotes or a word
bool next_real_line(FILE* fp, std::string& line);  // next line with text once its comment is cut
long get_number_of_space_separated_items(std::string_view s);  // '[', '{', ':' items count twice
long count_char(std::string_view s, char c);

// Output lines
void total_counts(const char* noun, long n);  // "    total number of %s: %ld\n" to the run log
void print_spaces(FILE* fp, int n);
int number_size(long n);  // characters of n printed with "%ld"

// Formatting into std::string.
[[gnu::format(printf, 1, 2)]] std::string sformat(const char* fmt, ...);
// The same for formats that are run-time values (settings, caller formats),
// which the compiler cannot check.
std::string format_runtime(const char* fmt, ...);

// "%.*f" of v written backwards to end (at most 40 characters before it): its
// length, or 0 when printf must write it (values next to a rounding tie,
// large or not finite, decimals outside 0..6). For the writers of many
// numbers, so inline: the PDB writer's fixed decimals fold into it. printf's
// exact decimal conversion is slow: the value is rounded here directly unless
// it lies so near a rounding tie that only printf's exact expansion can settle it.
inline long rounded_text(double v, int decimals, char* end) {
  static constexpr double SCALE[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
  static constexpr double QUICK_MAX = 1e9;   // scaled magnitudes rounded here
  static constexpr double TIE_MARGIN = 1e-6; // well above the scaling error below QUICK_MAX
  if (!std::isfinite(v) || decimals < 0 || decimals > 6) return 0;
  const double scaled = std::fabs(v) * SCALE[decimals];
  const double whole = std::floor(scaled);
  if (!(scaled < QUICK_MAX) || std::fabs(scaled - whole - 0.5) < TIE_MARGIN) return 0;
  unsigned long n = static_cast<unsigned long>(whole) + (scaled - whole > 0.5 ? 1 : 0);
  char* p = end;
  for (int k = 0; k < decimals; ++k, n /= 10) *--p = static_cast<char>('0' + n % 10);
  if (decimals > 0) *--p = '.';
  do {
    *--p = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0);
  if (std::signbit(v)) *--p = '-';  // as printf: "-0.000" for a small negative value
  return end - p;
}

// "%*.*f" of v, through rounded_text where it can.
std::string fixed_text(double v, int width, int decimals);

}  // namespace vask
