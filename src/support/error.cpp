// Errors, assertions and fatal exits: see error.hpp.
#include "support/error.hpp"

#include <cstdarg>
#include <cstdio>

namespace vask {

const Except_T Assert_Failed{"Assertion failed"};
const Except_T Mem_Failed{"Allocation Failed"};
const Except_T Fmt_Overflow{"Formatting Overflow"};

std::string vformat(const char* fmt, va_list ap) {
  // Most texts are short: one formatting pass into a local buffer, a second
  // one only for a longer text (floating-point conversions are costly).
  char local[256];
  va_list ap2;
  va_copy(ap2, ap);
  int n = std::vsnprintf(local, sizeof local, fmt, ap2);
  va_end(ap2);
  if (n <= 0) return {};
  if (static_cast<size_t>(n) < sizeof local) return std::string(local, static_cast<size_t>(n));
  std::string s(static_cast<size_t>(n) + 1, '\0');
  std::vsnprintf(s.data(), s.size(), fmt, ap);
  s.resize(static_cast<size_t>(n));
  return s;
}

void fatal(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string msg = vformat(fmt, ap);
  va_end(ap);
  throw fatal_error(msg, 1);
}

void nrerror(const char* msg) { fatal("%s\n", msg); }

void end_run(int status) { throw fatal_error("", status); }

std::string except_report(const Except_T* e, const char* file, int line) {
  if (e == nullptr) e = &Assert_Failed;
  std::string s = "Uncaught exception";
  if (e->reason != nullptr) {
    s += " '";
    s += e->reason;
    s += "'";
  } else {
    char buf[64];
    std::snprintf(buf, sizeof buf, " at 0x%p", static_cast<const void*>(e));
    s += buf;
  }
  if (file != nullptr && *file != '\0' && line >= 1) {
    s += " raised at [";
    s += file;
    s += ':';
    s += std::to_string(line);
    s += "]\n";
  }
  s += "aborting...\n";
  return s;
}

void Except_raise(const Except_T* e, const char* file, int line) {
  throw fatal_error(except_report(e, file, line), 1);
}

}  // namespace vask
