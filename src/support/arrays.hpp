// 1-based and ranged vectors and matrices, their whole-array operations,
// statistics and tests, and runs of equal values.
#pragma once

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vask {

// Ranged matrices: rows [rlo, rhi] x columns [clo, chi] in one contiguous
// block, row-major, zero-filled (or filled with a given value). m[r][c].

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

// ---------------------------------------------------------------------------
// 1-based and ranged arrays. A 1-based vector of n is a std::vector of n + 1
// (slot 0 unused); a 0-based vector of n holds indices 0..n. A ranged vector
// [lo, hi] (lo >= 0) holds hi + 1 elements addressed by index directly.
// Matrices are matrix_t. Every factory zero-fills (or fills with DBL_MAX) and
// reports an empty range to the program log ("boundary for ...") before
// allocating anyway.

std::vector<double> dvector(long lo, long hi);
std::vector<double> dvector_0n(long n);
std::vector<double> dvector_1n(long n);
std::vector<double> dvector_1n_DMAX(long n);
std::vector<long> lvector(long lo, long hi);
std::vector<long> lvector_0n(long n);
std::vector<long> lvector_1n(long n);
std::vector<char> cvector(long lo, long hi);
std::vector<char> cvector_1n(long n);

dmatrix_t dmatrix(long rlo, long rhi, long clo, long chi);
dmatrix_t dmatrix_3x3();
dmatrix_t dmatrix_Nx3(long n);
dmatrix_t dmatrix_1m1n(long m, long n);
dmatrix_t dmatrix_1m1n_DMAX(long m, long n);
lmatrix_t lmatrix(long rlo, long rhi, long clo, long chi);
lmatrix_t lmatrix_1m1n(long m, long n);
cmatrix_t cmatrix(long rlo, long rhi, long clo, long chi);
cmatrix_t cmatrix_1r0c(long n, long m);  // n texts of up to m characters: rows 1..n, columns 0..m

// n + 1 empty slots (0..n); n < 0 is an assertion failure.
std::vector<std::string> allocate_char_marray(long n);
std::vector<std::vector<long>> allocate_long_marray(long n);
std::vector<std::vector<double>> allocate_double_marray(long n);

// ---------------------------------------------------------------------------
// Whole-array operations on 1-based and ranged vectors (lo, hi inclusive; an
// empty range does nothing).
void init_dvector(std::vector<double>& v, long lo, long hi, double x);
void init_lvector(std::vector<long>& v, long lo, long hi, long x);
void init_dvector_1n_DMAX(std::vector<double>& v, long n);
void init_cvector(std::string& s, long lo, long hi, char c);  // s[lo..hi-1] = c, text ends at hi
template <class T>
void init_matrix(matrix_t<T>& m, long rlo, long rhi, long clo, long chi, T x) {
  for (long r = rlo; r <= rhi; ++r)
    for (long c = clo; c <= chi; ++c) m[r][c] = x;
}
inline void init_dmatrix(dmatrix_t& m, long rlo, long rhi, long clo, long chi, double x) {
  init_matrix(m, rlo, rhi, clo, chi, x);
}
inline void init_lmatrix(lmatrix_t& m, long rlo, long rhi, long clo, long chi, long x) {
  init_matrix(m, rlo, rhi, clo, chi, x);
}
inline void init_lmatrix_1m1n(lmatrix_t& m, long nr, long nc, long x) { init_matrix(m, 1, nr, 1, nc, x); }
void init_cmatrix(cmatrix_t& m, long rlo, long rhi, long clo, long chi, char c);  // rows end at chi

void copy_dvector_1n(const std::vector<double>& src, long n, std::vector<double>& dst);
void copy_lvector_1n(const std::vector<long>& src, long n, std::vector<long>& dst);
void copy_dvector(const std::vector<double>& src, long lo, long hi, std::vector<double>& dst);
void copy_lvector(const std::vector<long>& src, long lo, long hi, std::vector<long>& dst);
std::vector<long> duplicate_lvector(long n, const std::vector<long>& src);
std::vector<long> assign_oneVal_as_lvector(long x);  // {unused, x}
void swap_dvector(long n, std::vector<double>& a, std::vector<double>& b);
void swap_lvector(long n, std::vector<long>& a, std::vector<long>& b);
inline void swap_dval(double& a, double& b) { std::swap(a, b); }
inline void swap_lval(long& a, long& b) { std::swap(a, b); }
inline void swap_char(char& a, char& b) { std::swap(a, b); }
void reverse_larray(long n, std::vector<long>& v);
void reverse_darray(long n, std::vector<double>& v);
void diff_dvector(long lo, long hi, const std::vector<double>& a, const std::vector<double>& b,
                  std::vector<double>& out);  // out = b - a
void diff_lvector(long lo, long hi, const std::vector<long>& a, const std::vector<long>& b,
                  std::vector<long>& out);
void negate_dvector(long lo, long hi, std::vector<double>& v);
void negate_lvector(long lo, long hi, std::vector<long>& v);
void fill_lvec_by_range(long lo, long hi, std::vector<long>& v);    // v[1..] = lo..hi
void fill_lvec_by_number(long start, long n, std::vector<long>& v);  // v[1..n] = start, start+1, ...
// a[0] is the count of a[1..count]; x is appended unless present (a grows as needed).
void add_unique_lval_to_0array(long x, std::vector<long>& a);

// Statistics (an empty range is lo > hi or n < 1)
double max_dvector(const std::vector<double>& v, long lo, long hi);  // empty: -DBL_MAX
double min_dvector(const std::vector<double>& v, long lo, long hi);  // empty: DBL_MAX
long min_lvector(const std::vector<long>& v, long lo, long hi);      // empty: LONG_MAX
long min_lvector_idx(const std::vector<long>& v, long lo, long hi);  // first smallest
double sum_dvector(const std::vector<double>& v, long lo, long hi);
long sum_lvector(const std::vector<long>& v, long n);
double ave_dvector(const std::vector<double>& v, long lo, long hi);
double std_dvector(const std::vector<double>& v, long lo, long hi);  // sample deviation
void ave_dmatrix(const dmatrix_t& m, long nr, long nc, std::vector<double>& out);  // column means
double dot_dvector(long lo, long hi, const std::vector<double>& a, const std::vector<double>& b);
double dot_dvector_1n(long n, const std::vector<double>& a, const std::vector<double>& b);
long get_lvector_zero_count(long n, const std::vector<long>& v);
long get_lvector_non_zero_count(long n, const std::vector<long>& v);
inline double dval_square(double x) { return x * x; }

// fmt holds one conversion per element; one newline closes the line.
void print_dvector(FILE* fp, const char* fmt, long lo, long hi, const std::vector<double>& v);
void print_lvector_1n(FILE* fp, const char* fmt, long n, const std::vector<long>& v);

// Tests
bool lval_in_range(long x, long lo, long hi);  // lo > hi: assertion failure
bool dval_in_range(double x, double lo, double hi);
bool lval_in_array(long x, long lo, long hi, const std::vector<long>& v);
bool lval_in_array_1n(long x, long n, const std::vector<long>& v);
long pos_in_lvec(long x, long n, const std::vector<long>& v);  // 1-based; 0 when absent
bool lvector_has_distinct_values(long n, std::vector<long>& v);  // sorts v[1..n] first
long get_sign(double x);                                         // 1, -1 or 0
bool same_sign_lvals(long a, long b);                            // a zero is an assertion failure
bool alt_sign_within_dvector(long n, const std::vector<double>& v);
bool parallel_alt_sign_between_dvectors(long n, const std::vector<double>& a, const std::vector<double>& b);
inline long get_rev_idx(long n, long i) { return n - i + 1; }

// Three-way comparisons (1, -1, 0), ascending
int compare_lvals(long a, long b);
int compare_dvals(double a, double b);

// A run of equal consecutive values: key, first and last position, length.
struct segidx {
  long key = 0;
  long start = 0;
  long end = 0;
  long count = 0;
};

// A value with its index; unset = {DBL_MAX, -1}.
struct validx {
  double value = DBL_MAX;
  long index = -1;
};
int validx_compare(const validx& a, const validx& b);  // by value

inline void init_one_idx(segidx& r) { r = segidx{}; }
// Runs of v[1..n], at [1..nseg]; empty (nseg = 0) when n = 0.
std::vector<segidx> get_segidx(long n, const std::vector<long>& v, long& nseg);
// The same over the characters s[0..n-1], 0-based positions.
std::vector<segidx> get_segidx_charVec0(long n, std::string_view s, long& nseg);
// Stretches of idx[1..n] whose entries continue each other: linked(a, b) when
// given (a structure's linkage test), else |b - a| = 1. Start and end are
// positions in idx. n < 1 is an assertion failure.
std::vector<segidx> get_consecutive_segments(long n, const std::vector<long>& idx, long& nseg,
                                             const std::function<bool(long, long)>& linked = {});
std::vector<validx> allocate_validx_array(long n);  // [1..n] unset
void init_validx_array(long n, std::vector<validx>& a);

// Bits and switches
long clear_bit_by_power2_value(long word, long value);  // clears bit log2(value)
// (the switch-set tests opts_with_switch_set, r3d_* etc. are in driver/option.hpp)

}  // namespace vask
