// Separator and counted-noun lines of the text reports.
#pragma once

#include <cstdio>

namespace vask {

// Text report lines.
void print_separator(FILE* fp, char ch, long n);        // n copies of ch and "\n"
void print_leadline_sepchar(FILE* fp, char ch, long n); // "\n" first, then the same
inline constexpr long SEPARATOR_WIDTH = 76;             // '*' lines between report sections
// fmt (with "%ld" and "%s") with n and noun, plural (or noun + "s") unless n == 1.
void print_noun(FILE* fp, long n, const char* fmt, const char* noun, const char* plural = nullptr);

}  // namespace vask
