// Shell sorts of 1-based vectors: see sort.hpp.
#include "support/sort.hpp"

#include "support/error.hpp"

namespace vask {

// Shell sort with the increments 1, 4, 13, 40, ...: only strictly greater
// elements move, which fixes how ties come out.

namespace {

template <class T>
void shell_sort_idx(long n, std::vector<T>& x, std::vector<long>& idx) {
  if (n <= 0) return;
  VASK_ASSERT(x.size() > static_cast<size_t>(n) && idx.size() > static_cast<size_t>(n));
  for (long i = 1; i <= n; ++i) idx[i] = i;
  long h = 1;
  do h = 3 * h + 1;
  while (h <= n);
  do {
    h /= 3;
    for (long i = h + 1; i <= n; ++i) {
      const T v = x[i];
      const long vi = idx[i];
      long j = i;
      while (x[j - h] > v) {
        x[j] = x[j - h];
        idx[j] = idx[j - h];
        j -= h;
        if (j <= h) break;
      }
      x[j] = v;
      idx[j] = vi;
    }
  } while (h > 1);
}

template <class T>
void reverse_1n(long n, std::vector<T>& v) {
  if (n > 1) std::reverse(v.begin() + 1, v.begin() + 1 + n);
}

template <class T>
void reorder_by_idx(const std::vector<long>& idx, long n, std::vector<T>& v) {
  if (n <= 0) return;
  const std::vector<T> old(v.begin(), v.begin() + n + 1);
  for (long i = 1; i <= n; ++i) v[i] = old[idx[i]];
}

}  // namespace

void sort_dvec_idx(long n, std::vector<double>& v, std::vector<long>& idx) { shell_sort_idx(n, v, idx); }
void sort_lvec_idx(long n, std::vector<long>& v, std::vector<long>& idx) { shell_sort_idx(n, v, idx); }

void sort_dvec_idx_decrease(long n, std::vector<double>& v, std::vector<long>& idx) {
  shell_sort_idx(n, v, idx);
  reverse_1n(n, v);
  reverse_1n(n, idx);
}

void sort_lvec_idx_decrease(long n, std::vector<long>& v, std::vector<long>& idx) {
  shell_sort_idx(n, v, idx);
  reverse_1n(n, v);
  reverse_1n(n, idx);
}

void sort_dvector(long n, std::vector<double>& v) {
  std::vector<long> idx(n > 0 ? n + 1 : 1);
  shell_sort_idx(n, v, idx);
}

void sort_lvector(long n, std::vector<long>& v) {
  std::vector<long> idx(n > 0 ? n + 1 : 1);
  shell_sort_idx(n, v, idx);
}

void reorder_lvector_by_idx(const std::vector<long>& idx, long n, std::vector<long>& v) { reorder_by_idx(idx, n, v); }
void reorder_dvector_by_idx(const std::vector<long>& idx, long n, std::vector<double>& v) { reorder_by_idx(idx, n, v); }

}  // namespace vask
