// Sorting 1-based vectors by shell sort (increments 1, 4, 13, ...). After an
// indexed sort idx[i] is the input position of the value now at i. Equal
// values may change order (the sort is not stable for n >= 5); n <= 0 touches
// nothing.
#pragma once

#include <algorithm>
#include <vector>

namespace vask {

void sort_dvec_idx(long n, std::vector<double>& v, std::vector<long>& idx);
void sort_lvec_idx(long n, std::vector<long>& v, std::vector<long>& idx);
void sort_dvec_idx_decrease(long n, std::vector<double>& v, std::vector<long>& idx);
void sort_lvec_idx_decrease(long n, std::vector<long>& v, std::vector<long>& idx);
void sort_dvector(long n, std::vector<double>& v);
void sort_lvector(long n, std::vector<long>& v);
void reorder_lvector_by_idx(const std::vector<long>& idx, long n, std::vector<long>& v);  // v[i] = old v[idx[i]]
void reorder_dvector_by_idx(const std::vector<long>& idx, long n, std::vector<double>& v);

// Deterministic replacement for an unstable library sort of elements 1..n:
// equal elements keep their input order, so ties fall back to the index.
template <class T, class Less>
void stable_sort_1n(std::vector<T>& v, long n, Less less) {
  if (n <= 1) return;
  std::stable_sort(v.begin() + 1, v.begin() + 1 + n, less);
}

}  // namespace vask
