// 1-based and ranged arrays: see arrays.hpp.
#include "support/arrays.hpp"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>

#include "support/error.hpp"
#include "support/log.hpp"
#include "support/string.hpp"

namespace vask {

namespace {
size_t at(long k) { return static_cast<size_t>(k); }

void vector_boundary(const char* label, long lo, long hi) {
  if (lo > hi) prglog_msg("\nboundary for %s: [%ld to %ld]\n", label, lo, hi);
}

void matrix_boundary(const char* label, long rlo, long rhi, long clo, long chi) {
  if (rlo <= rhi && clo <= chi) return;
  logit_verbosef("\nboundary for %s: [%ld to %ld; %ld to %ld]\n", label, rlo, rhi, clo, chi);
}

// Room for indices 0..hi (at least index 0), zero-filled.
template <class T>
std::vector<T> ranged_vector(const char* label, long lo, long hi, T fill = T{}) {
  VASK_ASSERT(lo >= 0);
  vector_boundary(label, lo, hi);
  return std::vector<T>(at(std::max(hi, lo - 1) + 1), fill);
}

template <class T>
matrix_t<T> ranged_matrix(const char* label, long rlo, long rhi, long clo, long chi, T fill = T{}) {
  matrix_boundary(label, rlo, rhi, clo, chi);
  return matrix_t<T>(rlo, rhi, clo, chi, fill);
}
}  // namespace

std::vector<double> dvector(long lo, long hi) { return ranged_vector<double>("dvector()", lo, hi); }
std::vector<double> dvector_0n(long n) { return ranged_vector<double>("dvector()", 0, n); }
std::vector<double> dvector_1n(long n) { return ranged_vector<double>("dvector()", 1, n); }
std::vector<double> dvector_1n_DMAX(long n) {
  std::vector<double> v = ranged_vector<double>("dvector()", 1, n, DBL_MAX);
  v[0] = 0.0;
  return v;
}
std::vector<long> lvector(long lo, long hi) { return ranged_vector<long>("lvector()", lo, hi); }
std::vector<long> lvector_0n(long n) { return ranged_vector<long>("lvector()", 0, n); }
std::vector<long> lvector_1n(long n) { return ranged_vector<long>("lvector()", 1, n); }
std::vector<char> cvector(long lo, long hi) { return ranged_vector<char>("cvector()", lo, hi); }
std::vector<char> cvector_1n(long n) { return ranged_vector<char>("cvector()", 1, n); }

dmatrix_t dmatrix(long rlo, long rhi, long clo, long chi) {
  return ranged_matrix<double>("dmatrix()", rlo, rhi, clo, chi);
}
dmatrix_t dmatrix_3x3() { return dmatrix(1, 3, 1, 3); }
dmatrix_t dmatrix_Nx3(long n) { return dmatrix(1, n, 1, 3); }
dmatrix_t dmatrix_1m1n(long m, long n) { return dmatrix(1, m, 1, n); }
dmatrix_t dmatrix_1m1n_DMAX(long m, long n) { return ranged_matrix<double>("dmatrix()", 1, m, 1, n, DBL_MAX); }
lmatrix_t lmatrix(long rlo, long rhi, long clo, long chi) {
  return ranged_matrix<long>("lmatrix()", rlo, rhi, clo, chi);
}
lmatrix_t lmatrix_1m1n(long m, long n) { return lmatrix(1, m, 1, n); }
cmatrix_t cmatrix(long rlo, long rhi, long clo, long chi) {
  return ranged_matrix<char>("cmatrix()", rlo, rhi, clo, chi);
}
cmatrix_t cmatrix_1r0c(long n, long m) { return cmatrix(1, n, 0, m); }

std::vector<std::string> allocate_char_marray(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<std::string>(at(n + 1));
}
std::vector<std::vector<long>> allocate_long_marray(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<std::vector<long>>(at(n + 1));
}
std::vector<std::vector<double>> allocate_double_marray(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<std::vector<double>>(at(n + 1));
}

// ---------------------------------------------------------------- whole-array operations

void init_dvector(std::vector<double>& v, long lo, long hi, double x) {
  for (long i = lo; i <= hi; ++i) v[at(i)] = x;
}

void init_lvector(std::vector<long>& v, long lo, long hi, long x) {
  for (long i = lo; i <= hi; ++i) v[at(i)] = x;
}

void init_dvector_1n_DMAX(std::vector<double>& v, long n) { init_dvector(v, 1, n, DBL_MAX); }

void init_cvector(std::string& s, long lo, long hi, char c) {
  if (lo > hi) return;
  s.resize(at(hi));
  for (long i = lo; i < hi; ++i) s[at(i)] = c;
}

void init_cmatrix(cmatrix_t& m, long rlo, long rhi, long clo, long chi, char c) {
  for (long r = rlo; r <= rhi; ++r) {
    for (long k = clo; k < chi; ++k) m[r][k] = c;
    if (clo <= chi) m[r][chi] = '\0';
  }
}

void copy_dvector_1n(const std::vector<double>& src, long n, std::vector<double>& dst) { copy_dvector(src, 1, n, dst); }
void copy_lvector_1n(const std::vector<long>& src, long n, std::vector<long>& dst) { copy_lvector(src, 1, n, dst); }

void copy_dvector(const std::vector<double>& src, long lo, long hi, std::vector<double>& dst) {
  for (long i = lo; i <= hi; ++i) dst[at(i)] = src[at(i)];
}

void copy_lvector(const std::vector<long>& src, long lo, long hi, std::vector<long>& dst) {
  for (long i = lo; i <= hi; ++i) dst[at(i)] = src[at(i)];
}

std::vector<long> duplicate_lvector(long n, const std::vector<long>& src) {
  std::vector<long> v = lvector_1n(n);
  copy_lvector_1n(src, n, v);
  return v;
}

std::vector<long> assign_oneVal_as_lvector(long x) { return {0, x}; }

void swap_dvector(long n, std::vector<double>& a, std::vector<double>& b) {
  for (long i = 1; i <= n; ++i) std::swap(a[at(i)], b[at(i)]);
}

void swap_lvector(long n, std::vector<long>& a, std::vector<long>& b) {
  for (long i = 1; i <= n; ++i) std::swap(a[at(i)], b[at(i)]);
}

void reverse_larray(long n, std::vector<long>& v) {
  if (n > 1) std::reverse(v.begin() + 1, v.begin() + 1 + n);
}

void reverse_darray(long n, std::vector<double>& v) {
  if (n > 1) std::reverse(v.begin() + 1, v.begin() + 1 + n);
}

void diff_dvector(long lo, long hi, const std::vector<double>& a, const std::vector<double>& b,
                  std::vector<double>& out) {
  for (long i = lo; i <= hi; ++i) out[at(i)] = b[at(i)] - a[at(i)];
}

void diff_lvector(long lo, long hi, const std::vector<long>& a, const std::vector<long>& b,
                  std::vector<long>& out) {
  for (long i = lo; i <= hi; ++i) out[at(i)] = b[at(i)] - a[at(i)];
}

void negate_dvector(long lo, long hi, std::vector<double>& v) {
  for (long i = lo; i <= hi; ++i) v[at(i)] = -v[at(i)];
}

void negate_lvector(long lo, long hi, std::vector<long>& v) {
  for (long i = lo; i <= hi; ++i) v[at(i)] = -v[at(i)];
}

void fill_lvec_by_range(long lo, long hi, std::vector<long>& v) { fill_lvec_by_number(lo, hi - lo + 1, v); }

void fill_lvec_by_number(long start, long n, std::vector<long>& v) {
  for (long i = 1; i <= n; ++i) v[at(i)] = start + i - 1;
}

void add_unique_lval_to_0array(long x, std::vector<long>& a) {
  if (a.empty()) a.push_back(0);
  const long n = a[0];
  if (lval_in_array(x, 1, n, a)) return;
  if (static_cast<long>(a.size()) < n + 2) a.resize(at(n + 2));
  a[at(n + 1)] = x;
  a[0] = n + 1;
}

// ---------------------------------------------------------------- statistics

double max_dvector(const std::vector<double>& v, long lo, long hi) {
  double m = -DBL_MAX;
  for (long i = lo; i <= hi; ++i) m = std::max(m, v[at(i)]);
  return m;
}

double min_dvector(const std::vector<double>& v, long lo, long hi) {
  double m = DBL_MAX;
  for (long i = lo; i <= hi; ++i) m = std::min(m, v[at(i)]);
  return m;
}

long min_lvector(const std::vector<long>& v, long lo, long hi) {
  long m = LONG_MAX;
  for (long i = lo; i <= hi; ++i) m = std::min(m, v[at(i)]);
  return m;
}

long min_lvector_idx(const std::vector<long>& v, long lo, long hi) {
  long m = LONG_MAX, idx = -1;
  for (long i = lo; i <= hi; ++i)
    if (v[at(i)] < m) {
      m = v[at(i)];
      idx = i;
    }
  VASK_ASSERT(idx != -1);
  return idx;
}

double sum_dvector(const std::vector<double>& v, long lo, long hi) {
  double s = 0.0;
  for (long i = lo; i <= hi; ++i) s += v[at(i)];
  return s;
}

long sum_lvector(const std::vector<long>& v, long n) {
  long s = 0;
  for (long i = 1; i <= n; ++i) s += v[at(i)];
  return s;
}

double ave_dvector(const std::vector<double>& v, long lo, long hi) {
  if (lo > hi) {
    runlog_msg("ave_dvector(): index out of order (%ld > %ld)\n", lo, hi);
    return 0.0;
  }
  return sum_dvector(v, lo, hi) / static_cast<double>(hi - lo + 1);
}

double std_dvector(const std::vector<double>& v, long lo, long hi) {
  const long n = hi - lo + 1;
  if (n < 2) {
    runlog_msg("std_dvector(): less than 2 items (%ld .. %ld)\n", lo, hi);
    return 0.0;
  }
  const double ave = ave_dvector(v, lo, hi);
  double s = 0.0;
  for (long i = lo; i <= hi; ++i) s += dval_square(v[at(i)] - ave);
  return std::sqrt(s / static_cast<double>(n - 1));
}

void ave_dmatrix(const dmatrix_t& m, long nr, long nc, std::vector<double>& out) {
  if (nr == 0) fatal("ave_dmatrix(): zero rows\n");
  for (long j = 1; j <= nc; ++j) {
    double s = 0.0;
    for (long i = 1; i <= nr; ++i) s += m[i][j];
    out[at(j)] = s / static_cast<double>(nr);
  }
}

double dot_dvector(long lo, long hi, const std::vector<double>& a, const std::vector<double>& b) {
  double s = 0.0;
  for (long i = lo; i <= hi; ++i) s += a[at(i)] * b[at(i)];
  return s;
}

double dot_dvector_1n(long n, const std::vector<double>& a, const std::vector<double>& b) {
  return dot_dvector(1, n, a, b);
}

long get_lvector_zero_count(long n, const std::vector<long>& v) {
  long k = 0;
  for (long i = 1; i <= n; ++i)
    if (v[at(i)] == 0) ++k;
  return k;
}

long get_lvector_non_zero_count(long n, const std::vector<long>& v) {
  return std::max(n, 0L) - get_lvector_zero_count(n, v);
}

void print_dvector(FILE* fp, const char* fmt, long lo, long hi, const std::vector<double>& v) {
  if (fp == nullptr) return;
  for (long i = lo; i <= hi; ++i) std::fputs(format_runtime(fmt, v[at(i)]).c_str(), fp);
  std::fputc('\n', fp);
}

void print_lvector_1n(FILE* fp, const char* fmt, long n, const std::vector<long>& v) {
  if (fp == nullptr) return;
  for (long i = 1; i <= n; ++i) std::fputs(format_runtime(fmt, v[at(i)]).c_str(), fp);
  std::fputc('\n', fp);
}

// ---------------------------------------------------------------- tests

bool lval_in_range(long x, long lo, long hi) {
  VASK_ASSERT(lo <= hi);
  return x >= lo && x <= hi;
}

bool dval_in_range(double x, double lo, double hi) {
  VASK_ASSERT(lo <= hi);
  return x >= lo && x <= hi;
}

bool lval_in_array(long x, long lo, long hi, const std::vector<long>& v) {
  for (long i = lo; i <= hi; ++i)
    if (v[at(i)] == x) return true;
  return false;
}

bool lval_in_array_1n(long x, long n, const std::vector<long>& v) { return lval_in_array(x, 1, n, v); }

long pos_in_lvec(long x, long n, const std::vector<long>& v) {
  for (long i = 1; i <= n; ++i)
    if (v[at(i)] == x) return i;
  return 0;
}

bool lvector_has_distinct_values(long n, std::vector<long>& v) {
  VASK_ASSERT(n >= 1);
  std::sort(v.begin() + 1, v.begin() + 1 + n);
  return std::adjacent_find(v.begin() + 1, v.begin() + 1 + n) == v.begin() + 1 + n;
}

long get_sign(double x) { return x > 0 ? 1 : x < 0 ? -1 : 0; }

bool same_sign_lvals(long a, long b) {
  VASK_ASSERT(a != 0 && b != 0);
  return (a > 0) == (b > 0);
}

bool alt_sign_within_dvector(long n, const std::vector<double>& v) {
  for (long i = 1; i < n; ++i)
    if (!(v[at(i)] * v[at(i + 1)] < 0)) return false;
  return true;
}

bool parallel_alt_sign_between_dvectors(long n, const std::vector<double>& a, const std::vector<double>& b) {
  if (n < 1) return true;
  if (n >= 2 && !(alt_sign_within_dvector(n, a) && alt_sign_within_dvector(n, b))) return false;
  for (long i = 1; i <= n; ++i)
    if (!(a[at(i)] * b[at(i)] > 0)) return false;
  return true;
}

int compare_lvals(long a, long b) { return a > b ? 1 : a < b ? -1 : 0; }
int compare_dvals(double a, double b) { return a > b ? 1 : a < b ? -1 : 0; }
int validx_compare(const validx& a, const validx& b) { return compare_dvals(a.value, b.value); }

// ---------------------------------------------------------------- run records

namespace {
// Runs of a sequence of n keys given by key(k), k = base .. base + n - 1.
template <class F>
std::vector<segidx> runs_of(long n, long base, F key, long& nseg) {
  std::vector<segidx> runs(1);
  for (long k = base; k < base + n; ++k) {
    if (k + 1 < base + n && key(k + 1) == key(k)) continue;  // not a run end
    segidx r;
    r.key = key(k);
    r.start = runs.size() == 1 ? base : runs.back().end + 1;
    r.end = k;
    r.count = r.end - r.start + 1;
    runs.push_back(r);
  }
  nseg = static_cast<long>(runs.size()) - 1;
  if (nseg == 0) runs.clear();
  return runs;
}
}  // namespace

std::vector<segidx> get_segidx(long n, const std::vector<long>& v, long& nseg) {
  return runs_of(n, 1, [&](long k) { return v[at(k)]; }, nseg);
}

std::vector<segidx> get_segidx_charVec0(long n, std::string_view s, long& nseg) {
  return runs_of(n, 0, [&](long k) { return static_cast<long>(s[at(k)]); }, nseg);
}

std::vector<segidx> get_consecutive_segments(long n, const std::vector<long>& idx, long& nseg,
                                             const std::function<bool(long, long)>& linked) {
  VASK_ASSERT(n >= 1);
  std::vector<long> label = lvector_1n(n);
  label[1] = 1;
  for (long k = 2; k <= n; ++k) {
    long a = idx[at(k - 1)], b = idx[at(k)];
    bool continues = linked ? linked(a, b) : std::labs(b - a) == 1;
    label[at(k)] = label[at(k - 1)] + (continues ? 0 : 1);
  }
  return get_segidx(n, label, nseg);
}

std::vector<validx> allocate_validx_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<validx>(at(n + 1));
}

void init_validx_array(long n, std::vector<validx>& a) {
  for (long i = 1; i <= n; ++i) a[at(i)] = validx{};
}

// ---------------------------------------------------------------- bits and switches

long clear_bit_by_power2_value(long word, long value) {
  long k = 0;
  while (k < 30 && (value >> (k + 1)) > 0) ++k;  // truncated base-2 logarithm
  return word & ~(1L << k);
}

}  // namespace vask
