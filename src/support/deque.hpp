// A growable double-ended sequence (deque) over a circular slot array.
#pragma once

#include <type_traits>
#include <vector>

#include "support/error.hpp"

namespace vask {

// A double-ended sequence over a circular slot array: element i lives in slot
// (head + i) mod capacity; a full sequence doubles its slots. It owns copies
// of its elements (store indices or pointers when identity matters).
template <class T>
struct Seq {
  long capacity = 0;  // number of slots; 0 once freed
  long length = 0;    // number of elements
  long head = 0;      // slot of element 0
  std::vector<T> slots;
};

// hint slots, or 16 when the hint is 0; a negative hint is an assertion failure.
template <class T>
Seq<T> Seq_new(long hint) {
  VASK_ASSERT(hint >= 0);
  Seq<T> s;
  s.capacity = hint == 0 ? 16 : hint;
  s.slots.resize(static_cast<size_t>(s.capacity));
  return s;
}

template <class T>
void Seq_free(Seq<T>& s) {
  VASK_ASSERT(s.capacity > 0);
  s = Seq<T>{};
}

template <class T>
long Seq_length(const Seq<T>& s) {
  VASK_ASSERT(s.capacity > 0);
  return s.length;
}

template <class T>
const T& Seq_get(const Seq<T>& s, long i) {
  VASK_ASSERT(s.capacity > 0 && i >= 0 && i < s.length);
  return s.slots[static_cast<size_t>((s.head + i) % s.capacity)];
}

// Replaces element i and returns the old one.
template <class T>
T Seq_put(Seq<T>& s, long i, std::type_identity_t<T> x) {
  VASK_ASSERT(s.capacity > 0 && i >= 0 && i < s.length);
  T& slot = s.slots[static_cast<size_t>((s.head + i) % s.capacity)];
  T old = std::move(slot);
  slot = std::move(x);
  return old;
}

namespace detail {
// Doubles the slots; elements that wrapped round the end move up with head.
template <class T>
void seq_expand(Seq<T>& s) {
  const long n = s.capacity;
  s.slots.resize(static_cast<size_t>(2 * n));
  if (s.head > 0) {
    for (long i = s.head; i < n; ++i) s.slots[static_cast<size_t>(i + n)] = std::move(s.slots[static_cast<size_t>(i)]);
    s.head += n;
  }
  s.capacity = 2 * n;
}
}  // namespace detail

template <class T>
const T& Seq_addhi(Seq<T>& s, std::type_identity_t<T> x) {
  VASK_ASSERT(s.capacity > 0);
  if (s.length == s.capacity) detail::seq_expand(s);
  T& slot = s.slots[static_cast<size_t>((s.head + s.length++) % s.capacity)];
  slot = std::move(x);
  return slot;
}

template <class T>
const T& Seq_addlo(Seq<T>& s, std::type_identity_t<T> x) {
  VASK_ASSERT(s.capacity > 0);
  if (s.length == s.capacity) detail::seq_expand(s);
  if (--s.head < 0) s.head = s.capacity - 1;
  s.length++;
  T& slot = s.slots[static_cast<size_t>(s.head)];
  slot = std::move(x);
  return slot;
}

template <class T>
T Seq_remhi(Seq<T>& s) {
  VASK_ASSERT(s.capacity > 0 && s.length > 0);
  --s.length;
  return std::move(s.slots[static_cast<size_t>((s.head + s.length) % s.capacity)]);
}

template <class T>
T Seq_remlo(Seq<T>& s) {
  VASK_ASSERT(s.capacity > 0 && s.length > 0);
  T x = std::move(s.slots[static_cast<size_t>(s.head)]);
  s.head = (s.head + 1) % s.capacity;
  --s.length;
  return x;
}


}  // namespace vask
