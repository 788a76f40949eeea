// Processor time used, timestamps and the "Time used" report line.
#pragma once

#include <cstdio>
#include <string>

namespace vask {

long used_time_in_seconds();                 // processor time since the run's start clock
long used_time_in_seconds(long start_clock);  // ... since the given clock() mark
std::string derive_used_time();              // "DD:HH:MM:SS"
std::string derive_used_time_since(long start_clock);
std::string derive_used_time(long seconds);  // the same for a given number of seconds
void display_time_so_far(const char* label);
std::string get_timestamp();                 // ctime text without the trailing newline
void write_timestamp(FILE* fp);
void output_time_used(const std::string& out_name, FILE* fp);  // since the run's start
void output_time_used(const std::string& out_name, FILE* fp, long start_clock);

}  // namespace vask
