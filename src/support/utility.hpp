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

// ---------------------------------------------------------------------------
// Ranged matrices: rows [rlo, rhi] x columns [clo, chi] in one contiguous
// block, row-major, zero-filled (or filled with a given value). m[r][c].
#include <vector>

namespace vask {

template <class T>
class matrix_t {
 public:
  matrix_t() = default;
  matrix_t(long rlo, long rhi, long clo, long chi, T fill = T{})
      : rlo_(rlo), rhi_(rhi), clo_(clo), chi_(chi),
        ncol_(chi >= clo ? chi - clo + 1 : 0),
        data_(static_cast<size_t>((rhi >= rlo ? rhi - rlo + 1 : 0) * ncol_ + 1), fill) {}
  T* operator[](long r) { return data_.data() + 1 + (r - rlo_) * ncol_ - clo_; }
  const T* operator[](long r) const { return data_.data() + 1 + (r - rlo_) * ncol_ - clo_; }
  long rlo() const { return rlo_; }
  long rhi() const { return rhi_; }
  long clo() const { return clo_; }
  long chi() const { return chi_; }
  bool empty() const { return ncol_ == 0 || rhi_ < rlo_; }
  std::vector<T>& block() { return data_; }  // the whole block; element 0 is the spare

 private:
  long rlo_ = 1, rhi_ = 0, clo_ = 1, chi_ = 0, ncol_ = 0;
  std::vector<T> data_ = std::vector<T>(1);
};

using dmatrix_t = matrix_t<double>;
using lmatrix_t = matrix_t<long>;
using cmatrix_t = matrix_t<char>;

}  // namespace vask
