// Errors, assertions and fatal exits.
//
// Nothing below main() exits the process: fatal errors, failed assertions and
// the normal early ends of sub-commands all throw fatal_error, which only
// main() catches. It writes the message to the run log, runs the exit handler
// and returns the status carried by the exception. Tests can therefore call
// any routine, including the ones that "never return".
#pragma once

#include <cstdarg>
#include <stdexcept>
#include <string>

namespace vask {

struct fatal_error : std::runtime_error {
  int status = 1;  // process exit status: 1 for errors, 0 for a normal early end
  explicit fatal_error(const std::string& msg, int st = 1) : std::runtime_error(msg), status(st) {}
};

// printf formatting of a va_list into a std::string (the one formatting
// engine behind fatal() and the string formatters).
[[gnu::format(printf, 1, 0)]] std::string vformat(const char* fmt, va_list ap);

// Formats the message (formats end with "\n" themselves) and throws; main()
// writes it to the run log.
[[noreturn, gnu::format(printf, 1, 2)]] void fatal(const char* fmt, ...);

// fatal("%s\n", msg): the array allocators' short form.
[[noreturn]] void nrerror(const char* msg);

// A normal early end (help, version, clean-up, one-shot tasks, sub-commands):
// unwinds to main(), which returns status. Any message was already written.
[[noreturn]] void end_run(int status);

// Exception records: the reason text is what the report prints.
struct Except_T {
  const char* reason = nullptr;
};
extern const Except_T Assert_Failed;  // "Assertion failed"
extern const Except_T Mem_Failed;     // "Allocation Failed"
extern const Except_T Fmt_Overflow;   // "Formatting Overflow"

// Reports "Uncaught exception 'reason' raised at [file:line]" and
// "aborting..." and ends the run with status 1.
[[noreturn]] void Except_raise(const Except_T* e, const char* file, int line);

// The text Except_raise reports, without throwing (exposed for tests).
std::string except_report(const Except_T* e, const char* file, int line);

}  // namespace vask

// An invariant of the program itself; `assert` is taken by the C library.
#define VASK_ASSERT(e) \
  ((e) ? (void)0 : ::vask::Except_raise(&::vask::Assert_Failed, __FILE_NAME__, __LINE__))

// ---------------------------------------------------------------------------
// Growable double-ended sequences and arithmetic routines.
#include <type_traits>
#include <vector>

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

inline int Arith_min(int x, int y) { return x < y ? x : y; }
inline long Arith_lmin(long x, long y) { return x < y ? x : y; }
inline long Arith_lmax(long x, long y) { return x > y ? x : y; }
// Equal values or a NaN: Arith_dmin gives its first argument, Arith_dmax its second.
inline double Arith_dmin(double a, double b) { return b < a ? b : a; }
inline double Arith_dmax(double a, double b) { return a > b ? a : b; }

}  // namespace vask
