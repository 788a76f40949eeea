// Run log and program log, and the verbosity level.
//
// The run log carries messages for the user (standard error by default), the
// program log extra detail for the developer (off by default). Every writer
// does nothing when its stream is null.
#pragma once

#include <cstdio>

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

}  // namespace vask
