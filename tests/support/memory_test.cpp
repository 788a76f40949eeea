#include "support/memory.hpp"

#include <gtest/gtest.h>

#include <sys/mman.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vask {
namespace {

constexpr std::uintptr_t MB2 = std::uintptr_t{1} << 21;

// The VmFlags of the mapping that holds address a, as listed by the kernel.
std::string vm_flags_at(std::uintptr_t a) {
  std::ifstream in("/proc/self/smaps");
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    std::uintptr_t lo = 0, hi = 0;
    char dash = 0;
    std::istringstream head(line);
    if (head >> std::hex >> lo >> dash >> hi && dash == '-') {
      inside = a >= lo && a < hi;
    } else if (inside && line.rfind("VmFlags:", 0) == 0) {
      return line;
    }
  }
  return "";
}

bool huge(std::uintptr_t a) { return vm_flags_at(a).find(" hg") != std::string::npos; }

// Only the whole 2 MB pages inside the range are advised: the partial pages
// at both ends belong to neighbouring blocks of the allocator.
TEST(Memory, AdvisesTheWholeHugePagesInsideABlockOnly) {
  const size_t span = 8 * MB2;
  void* m = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(m, MAP_FAILED);
  const std::uintptr_t base = (reinterpret_cast<std::uintptr_t>(m) + MB2 - 1) & ~(MB2 - 1);
  const std::uintptr_t begin = base + 4096, end = base + 4 * MB2 + 4096;  // [base+2M, base+4M) whole
  if (madvise(reinterpret_cast<void*>(base + 6 * MB2), MB2, MADV_HUGEPAGE) != 0) {
    munmap(m, span);
    GTEST_SKIP() << "this kernel has no transparent huge pages";
  }
  advise_huge_pages(reinterpret_cast<void*>(begin), end - begin);
  EXPECT_FALSE(huge(begin));         // the partial page at the start
  EXPECT_TRUE(huge(base + MB2));     // first whole page
  EXPECT_TRUE(huge(base + 4 * MB2 - 1));
  EXPECT_FALSE(huge(base + 4 * MB2));  // the partial page at the end
  advise_huge_pages(reinterpret_cast<void*>(base + MB2 + 1), MB2);  // no whole page: nothing
  munmap(m, span);
}

// The executable's allocator: large blocks are usable memory like any other.
TEST(Memory, LargeAndSmallBlocksHoldTheirValues) {
  std::vector<long> big(40u << 20 >> 3, 7), small(10, 3);
  big.back() = 9;
  EXPECT_EQ(big.front() + big.back() + small[9], 19);
}

}  // namespace
}  // namespace vask
