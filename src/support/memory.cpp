// How the executable takes its memory from the system: see memory.hpp.
#include "support/memory.hpp"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace vask {

namespace {

constexpr std::uintptr_t HUGE_PAGE = std::uintptr_t{1} << 21;  // 2 MB
// Blocks up to this size come from the heap (the allocator's largest), so
// that a freed one is reused without new page faults; larger ones are mapped
// apiece and advised in operator new.
constexpr int HEAP_BLOCKS_UP_TO = 32 << 20;
// The heap grows by this much address space at once (no memory is used
// until touched), so that one advice covers what a large run fills.
constexpr int HEAP_RESERVE = 1 << 30;
constexpr int DEFAULT_TOP_PAD = 128 << 10;  // the allocator's own
// Free memory at the heap's end goes back to the system only past this (the
// reserve above must stay).
constexpr int KEEP_FREED_UP_TO = INT_MAX;

}  // namespace

void advise_huge_pages(void* p, std::size_t n) {
  const auto begin = reinterpret_cast<std::uintptr_t>(p);
  const std::uintptr_t first = (begin + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
  const std::uintptr_t last = (begin + n) & ~(HUGE_PAGE - 1);
  // advice only: where the system refuses, pages stay as they were
  if (last > first) (void)madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

void prefer_huge_pages() {
  mallopt(M_MMAP_THRESHOLD, HEAP_BLOCKS_UP_TO);
  mallopt(M_TRIM_THRESHOLD, KEEP_FREED_UP_TO);
  // one block past the heap's end makes it grow now by the reserve; the
  // advice then covers everything from that block to the new end. Later
  // growth is by the usual steps: a reserve asked for at every step would
  // make any allocation fail once the address space is scarce (a limit set
  // by the user), where a plain one still fits.
  mallopt(M_TOP_PAD, HEAP_RESERVE);
  void* probe = std::malloc(HUGE_PAGE);
  mallopt(M_TOP_PAD, DEFAULT_TOP_PAD);
  if (probe == nullptr) return;
  void* end = sbrk(0);
  if (end != reinterpret_cast<void*>(-1) && end > probe) {
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto from = reinterpret_cast<std::uintptr_t>(probe) & ~(page - 1);
    (void)madvise(reinterpret_cast<void*>(from), reinterpret_cast<std::uintptr_t>(end) - from, MADV_HUGEPAGE);
  }
  std::free(probe);
}

}  // namespace vask

// Blocks larger than the heap's are mapped apiece: advised here, before
// anything touches them. The sanitizer builds keep their own allocator.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define VASK_OWN_ALLOCATOR 0
#endif
#endif
#ifndef VASK_OWN_ALLOCATOR
#define VASK_OWN_ALLOCATOR 1
#endif
#else
#define VASK_OWN_ALLOCATOR 0
#endif

#if VASK_OWN_ALLOCATOR
namespace {
void* allocate(std::size_t n) {
  void* p = std::malloc(n == 0 ? 1 : n);
  if (p == nullptr) throw std::bad_alloc();
  if (n > static_cast<std::size_t>(vask::HEAP_BLOCKS_UP_TO)) vask::advise_huge_pages(p, n);
  return p;
}
}  // namespace

void* operator new(std::size_t n) { return allocate(n); }
void* operator new[](std::size_t n) { return allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#endif
