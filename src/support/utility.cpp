// Run log, program log, verbosity and timing: see utility.hpp.
#include "support/utility.hpp"

#include <cstdarg>
#include <ctime>

#include "driver/option.hpp"
#include "support/cii.hpp"

namespace vask {

long VERBOSITY = 0;
FILE* RUNLOG = stderr;
FILE* PRGLOG = nullptr;

void runlog_msg(const char* fmt, ...) {
  if (RUNLOG == nullptr) return;
  va_list ap;
  va_start(ap, fmt);
  std::vfprintf(RUNLOG, fmt, ap);
  va_end(ap);
}

void prglog_msg(const char* fmt, ...) {
  if (PRGLOG == nullptr) return;
  va_list ap;
  va_start(ap, fmt);
  std::vfprintf(PRGLOG, fmt, ap);
  va_end(ap);
}

void logit(const char* s) {
  runlog_msg("%s", s);
  prglog_msg("%s", s);
}

void logit_fatal(const char* s) {
  logit(s);
  fatal("%s", s);
}

void logit_verbose(const char* s) {
  if (VERBOSITY > 0) runlog_msg("%s", s);
  prglog_msg("%s", s);
}

void logit_test(const char* s) {
  if (Gvars.test) runlog_msg("%s", s);
  prglog_msg("%s", s);
}

void prglog_new_runlog(const char* fmt, ...) {
  va_list ap;
  if (PRGLOG != nullptr) {
    va_start(ap, fmt);
    std::vfprintf(PRGLOG, fmt, ap);
    va_end(ap);
  }
  if (Gvars.experimental && RUNLOG != nullptr) {
    va_start(ap, fmt);
    std::vfprintf(RUNLOG, fmt, ap);
    va_end(ap);
  }
}

bool keep_silent() { return VERBOSITY == -1; }
bool verbose0() { return VERBOSITY < 1; }
bool verbose1() { return VERBOSITY > 0; }
bool verbose2() { return VERBOSITY > 1; }

long used_time_in_seconds() {
  // clock() ticks CLOCKS_PER_SEC (1e6 on POSIX) per second; rounded to whole seconds
  double ticks = static_cast<double>(std::clock() - Gvars.start_clock);
  return static_cast<long>(ticks / CLOCKS_PER_SEC + 0.5);
}

std::string derive_used_time(long s) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%2.2ld:%2.2ld:%2.2ld:%2.2ld", s / 86400, (s % 86400) / 3600,
                ((s % 86400) % 3600) / 60, s % 60);
  return buf;
}

std::string derive_used_time() { return derive_used_time(used_time_in_seconds()); }

void display_time_so_far(const char* label) {
  runlog_msg("%.2ld seconds -- %s\n", used_time_in_seconds(), label);
}

std::string get_timestamp() {
  std::time_t now = std::time(nullptr);
  std::string s = std::ctime(&now);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

void write_timestamp(FILE* fp) {
  if (!Gvars.time_report || fp == nullptr) return;
  std::time_t now = std::time(nullptr);
  std::fprintf(fp, "Date and time: %s", std::ctime(&now));
}

void output_time_used(const std::string& out_name, FILE* fp) {
  if (fp == nullptr || out_name == "stdout" || out_name == "stderr" || VERBOSITY > 1 ||
      !Gvars.time_report)
    return;
  for (int i = 0; i < 76; ++i) std::fputc('*', fp);  // leading separator line
  std::fputc('\n', fp);
  std::fprintf(fp, "Time used: %s\n", derive_used_time().c_str());
}

}  // namespace vask
