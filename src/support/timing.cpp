// Time used and timestamps: see timing.hpp.
#include "support/timing.hpp"

#include <ctime>

#include "support/log.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"

namespace vask {

long used_time_in_seconds(long start_clock) {
  // clock() ticks CLOCKS_PER_SEC (1e6 on POSIX) per second; rounded to whole seconds
  double ticks = static_cast<double>(std::clock() - start_clock);
  return static_cast<long>(ticks / CLOCKS_PER_SEC + 0.5);
}

long used_time_in_seconds() { return used_time_in_seconds(Gvars.start_clock); }

std::string derive_used_time(long s) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%2.2ld:%2.2ld:%2.2ld:%2.2ld", s / 86400, (s % 86400) / 3600,
                ((s % 86400) % 3600) / 60, s % 60);
  return buf;
}

std::string derive_used_time() { return derive_used_time(used_time_in_seconds()); }
std::string derive_used_time_since(long start_clock) {
  return derive_used_time(used_time_in_seconds(start_clock));
}

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

void output_time_used(const std::string& out_name, FILE* fp, long start_clock) {
  if (fp == nullptr || out_name == "stdout" || out_name == "stderr" || VERBOSITY > 1 ||
      !Gvars.time_report)
    return;
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  std::fprintf(fp, "Time used: %s\n", derive_used_time_since(start_clock).c_str());
}

void output_time_used(const std::string& out_name, FILE* fp) { output_time_used(out_name, fp, Gvars.start_clock); }

}  // namespace vask
