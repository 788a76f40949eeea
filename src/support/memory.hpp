// How the executable takes its memory from the system.
#pragma once

#include <cstddef>

namespace vask {

// Large blocks the allocator hands out come in huge pages where the system
// leaves that to the program (transparent huge pages in "madvise" mode),
// and freed memory stays with the process for reuse. A run fills tens to
// thousands of megabytes once; in 4 KB pages, taking them from the system
// was about a quarter of the processor time of a run on a ribosome. Call
// once, first thing in main; it changes no result.
void prefer_huge_pages();

// Marks [p, p + n) for huge pages, the whole 2 MB pages inside it only.
void advise_huge_pages(void* p, std::size_t n);

}  // namespace vask
