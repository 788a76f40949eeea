// Strict number parsing, validity of numbers and small arithmetic helpers.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace vask {

// Numbers: unset markers are LONG_MAX and DBL_MAX; a double is valid when
// |v| <= 1e36. Texts are read whole, trimmed and case-folded; empty text, any
// "nan" or "inf", trailing characters and overflow are rejected.
long cvt2long(std::string_view s);      // LONG_MAX when rejected
double cvt2double(std::string_view s);  // DBL_MAX when rejected
bool get_valid_lNumber(std::string_view s, long& out);
bool valid_lNumber(long v);
bool valid_dNumber(double v);
bool is_numeric(std::string_view s);
// The numbers read from line `line` (from 1) of `file`: one that is not finite
// ("nan", "inf", or a value beyond the range of a double) ends the run with
// "[e] <file>, line <n>: a value that is not a finite number: '<text>'".
void check_finite_values(std::span<const double> values, const std::string& file, long line,
                         std::string_view text);
bool is_even(long n);
bool is_odd(long n);
double sum_a2_b2(double a, double b);
double norm_a_b(double a, double b);

inline int Arith_min(int x, int y) { return x < y ? x : y; }
inline long Arith_lmin(long x, long y) { return x < y ? x : y; }
inline long Arith_lmax(long x, long y) { return x > y ? x : y; }
// Equal values or a NaN: Arith_dmin gives its first argument, Arith_dmax its second.
inline double Arith_dmin(double a, double b) { return b < a ? b : a; }
inline double Arith_dmax(double a, double b) { return a > b ? a : b; }

}  // namespace vask
