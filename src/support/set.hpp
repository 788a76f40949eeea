// Byte sets: one byte per possible member of an inclusive range [lo, hi];
// byte k is non-zero when k is a member. The caller owns the array, indexed
// directly by member value (so it holds at least hi + 1 bytes), and passes the
// bounds with every call; nothing here allocates. Whole-range operations on an
// empty range (lo > hi) do nothing; results may overwrite an input.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <vector>

namespace vask {

// A record of its own (not a bare std::vector) so that set_union and friends
// never meet the standard algorithms of the same names.
struct byte_set {
  std::vector<char> bytes;
  byte_set() = default;
  byte_set(size_t n, char fill) : bytes(n, fill) {}
  byte_set(std::initializer_list<char> init) : bytes(init) {}
  char& operator[](long k) { return bytes[static_cast<size_t>(k)]; }
  const char& operator[](long k) const { return bytes[static_cast<size_t>(k)]; }
  bool operator==(const byte_set&) const = default;
};

void init_set(long lo, long hi, byte_set& s);
bool set_empty(long lo, long hi, const byte_set& s);
bool set_all_char(char c, long lo, long hi, const byte_set& s);
void set_union(long lo, long hi, const byte_set& a, const byte_set& b, byte_set& out);
void set_intersection(long lo, long hi, const byte_set& a, const byte_set& b, byte_set& out);
void set_difference(long lo, long hi, const byte_set& a, const byte_set& b, byte_set& out);
void set_xor(long lo, long hi, const byte_set& a, const byte_set& b, byte_set& out);  // bytes differ
bool set_equal(long lo, long hi, const byte_set& a, const byte_set& b);
bool set_is_sub(long lo, long hi, const byte_set& a, const byte_set& b);  // a within b
void set_copy(long lo, long hi, const byte_set& a, byte_set& out);

// Members; v outside [lo, hi] only logs the out-of-range message. These need
// lo <= hi (an assertion).
bool lval_in_set(long v, long lo, long hi, const byte_set& s);
void lval_add_to_set(long v, long lo, long hi, byte_set& s);
void lval_del_from_set(long v, long lo, long hi, byte_set& s);
void range_add_to_set(long from, long to, long lo, long hi, byte_set& s);

void print_out_of_set_range_message(long v, long lo, long hi);
void print_out_of_order_message(long from, long to);

}  // namespace vask
