// Errors, assertions and fatal exits.
//
// Nothing below main() exits the process: fatal errors, failed assertions and
// the normal early ends of sub-commands all throw fatal_error, which only
// main() catches. It writes the message to the run log, runs the exit handler
// and returns the status carried by the exception. Tests can therefore call
// any routine, including the ones that "never return".
#pragma once

#include <cstdarg>
#include <stdexcept>
#include <string>

namespace vask {

struct fatal_error : std::runtime_error {
  int status = 1;  // process exit status: 1 for errors, 0 for a normal early end
  explicit fatal_error(const std::string& msg, int st = 1) : std::runtime_error(msg), status(st) {}
};

// printf formatting of a va_list into a std::string (the one formatting
// engine behind fatal() and the string formatters).
[[gnu::format(printf, 1, 0)]] std::string vformat(const char* fmt, va_list ap);

// Formats the message (formats end with "\n" themselves) and throws; main()
// writes it to the run log.
[[noreturn, gnu::format(printf, 1, 2)]] void fatal(const char* fmt, ...);

// fatal("%s\n", msg): the array allocators' short form.
[[noreturn]] void nrerror(const char* msg);

// A normal early end (help, version, clean-up, one-shot tasks, sub-commands):
// unwinds to main(), which returns status. Any message was already written.
[[noreturn]] void end_run(int status);

// Exception records: the reason text is what the report prints.
struct Except_T {
  const char* reason = nullptr;
};
extern const Except_T Assert_Failed;  // "Assertion failed"
extern const Except_T Mem_Failed;     // "Allocation Failed"
extern const Except_T Fmt_Overflow;   // "Formatting Overflow"

// Reports "Uncaught exception 'reason' raised at [file:line]" and
// "aborting..." and ends the run with status 1.
[[noreturn]] void Except_raise(const Except_T* e, const char* file, int line);

// The text Except_raise reports, without throwing (exposed for tests).
std::string except_report(const Except_T* e, const char* file, int line);

}  // namespace vask

// An invariant of the program itself; `assert` is taken by the C library.
#define VASK_ASSERT(e) \
  ((e) ? (void)0 : ::vask::Except_raise(&::vask::Assert_Failed, __FILE_NAME__, __LINE__))
