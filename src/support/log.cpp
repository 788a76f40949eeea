// Run log, program log and verbosity: see log.hpp.
#include "support/log.hpp"

#include <cstdarg>
#include <cstdio>

#include "support/error.hpp"
#include "support/settings.hpp"

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

void logitf(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  logit(vformat(fmt, ap).c_str());
  va_end(ap);
}

void logit_verbosef(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  logit_verbose(vformat(fmt, ap).c_str());
  va_end(ap);
}

void logit_testf(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  logit_test(vformat(fmt, ap).c_str());
  va_end(ap);
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

}  // namespace vask
