// Run log, program log, verbosity and timing.
//
// The run log carries messages for the user (standard error by default), the
// program log extra detail for the developer (off by default). Every writer
// does nothing when its stream is null.
#pragma once

#include <cstdio>
#include <string>

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

}  // namespace vask
