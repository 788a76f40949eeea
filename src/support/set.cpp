// Byte sets: see set.hpp.
#include "support/set.hpp"

#include "support/arrays.hpp"
#include "support/log.hpp"

namespace vask {

namespace {
template <class F>
void combine(long lo, long hi, const byte_set& a, const byte_set& b, byte_set& out, F f) {
  for (long k = lo; k <= hi; ++k) out[k] = f(a[k], b[k]) ? 1 : 0;
}

template <class F>
bool all_of(long lo, long hi, F f) {
  for (long k = lo; k <= hi; ++k)
    if (!f(k)) return false;
  return true;
}

// Checks v against [lo, hi] (asserting lo <= hi) and logs when outside.
bool member_in_range(long v, long lo, long hi) {
  if (lval_in_range(v, lo, hi)) return true;
  print_out_of_set_range_message(v, lo, hi);
  return false;
}
}  // namespace

void init_set(long lo, long hi, byte_set& s) {
  for (long k = lo; k <= hi; ++k) s[k] = 0;
}

bool set_empty(long lo, long hi, const byte_set& s) {
  return all_of(lo, hi, [&](long k) { return s[k] == 0; });
}

bool set_all_char(char c, long lo, long hi, const byte_set& s) {
  return all_of(lo, hi, [&](long k) { return s[k] == c; });
}

void set_union(long lo, long hi, const byte_set& a, const byte_set& b, byte_set& out) {
  combine(lo, hi, a, b, out, [](char x, char y) { return x != 0 || y != 0; });
}

void set_intersection(long lo, long hi, const byte_set& a, const byte_set& b, byte_set& out) {
  combine(lo, hi, a, b, out, [](char x, char y) { return x != 0 && y != 0; });
}

void set_difference(long lo, long hi, const byte_set& a, const byte_set& b, byte_set& out) {
  combine(lo, hi, a, b, out, [](char x, char y) { return x != 0 && y == 0; });
}

void set_xor(long lo, long hi, const byte_set& a, const byte_set& b, byte_set& out) {
  combine(lo, hi, a, b, out, [](char x, char y) { return x != y; });
}

bool set_equal(long lo, long hi, const byte_set& a, const byte_set& b) {
  return all_of(lo, hi, [&](long k) { return a[k] == b[k]; });
}

bool set_is_sub(long lo, long hi, const byte_set& a, const byte_set& b) {
  return all_of(lo, hi, [&](long k) { return a[k] == 0 || b[k] != 0; });
}

void set_copy(long lo, long hi, const byte_set& a, byte_set& out) {
  for (long k = lo; k <= hi; ++k) out[k] = a[k];
}

bool lval_in_set(long v, long lo, long hi, const byte_set& s) {
  return member_in_range(v, lo, hi) && s[v] != 0;
}

void lval_add_to_set(long v, long lo, long hi, byte_set& s) {
  if (member_in_range(v, lo, hi)) s[v] = 1;
}

void lval_del_from_set(long v, long lo, long hi, byte_set& s) {
  if (member_in_range(v, lo, hi)) s[v] = 0;
}

void range_add_to_set(long from, long to, long lo, long hi, byte_set& s) {
  if (from > to) {
    print_out_of_order_message(from, to);
    return;
  }
  if (!member_in_range(from, lo, hi) || !member_in_range(to, lo, hi)) return;
  for (long k = from; k <= to; ++k) s[k] = 1;
}

void print_out_of_set_range_message(long v, long lo, long hi) {
  logitf("\t%ld out of set range [%ld, %ld]\n", v, lo, hi);
}

void print_out_of_order_message(long from, long to) {
  logitf("\tout of order: %ld -> %ld\n", from, to);
}

}  // namespace vask
