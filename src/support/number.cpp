// Number parsing and checks: see number.hpp.
#include "support/number.hpp"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

#include "support/error.hpp"
#include "support/string.hpp"

namespace vask {

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

void check_finite_values(std::span<const double> values, const std::string& file, long line,
                         std::string_view text) {
  for (const double v : values)
    if (!std::isfinite(v))
      fatal("[e] %s, line %ld: a value that is not a finite number: '%.80s'\n", file.c_str(), line,
            std::string(text).c_str());
}

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

}  // namespace vask
