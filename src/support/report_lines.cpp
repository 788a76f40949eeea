// Report lines: see report_lines.hpp.
#include "support/report_lines.hpp"

#include <cstdio>
#include <string>

#include "support/error.hpp"
#include "support/string.hpp"

namespace vask {

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

}  // namespace vask
