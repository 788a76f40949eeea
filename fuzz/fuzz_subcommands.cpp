// The option loops of the sub-commands on one argument vector per input. The
// first line chooses the sub-command (its first byte, '0' to '8' in the
// order of kReaders; any byte works), the other lines are the words after the
// sub-command's name. Then the book-keeping every sub-command runs before its
// work: the work itself is not run, it would write files named by the input.
#include <cstdint>
#include <string>

#include "driver/belqo-vask.hpp"
#include "driver/composite_command.hpp"
#include "driver/fiber_command.hpp"
#include "driver/model_commands.hpp"
#include "driver/project_command.hpp"
#include "driver/search_command.hpp"
#include "driver/task_command.hpp"
#include "driver/triz_command.hpp"
#include "common.hpp"

namespace {

using reader = void (*)(int, char**);

template <auto Read>
void read_only(int argc, char** argv) {
  (void)Read(argc, argv);
}

constexpr reader kReaders[] = {
    read_only<vask::read_fiber_options>,   read_only<vask::read_composite_options>,
    read_only<vask::read_analyze_options>, read_only<vask::read_rebuild_options>,
    read_only<vask::read_mutate_options>,  read_only<vask::read_task_options>,
    read_only<vask::read_triz_options>,    read_only<vask::read_search_options>,
    read_only<vask::read_project_options>,
};
constexpr const char* kNames[] = {"fiber", "composite", "analyze", "rebuild", "mutate",
                                  "task",  "triz",      "search",  "project"};
constexpr unsigned kCount = sizeof(kReaders) / sizeof(kReaders[0]);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const unsigned which = fuzz::reader_choice(data, size, kCount);
  const size_t start = fuzz::after_first_line(data, size);
  fuzz::read_options(fuzz::lines_as_words(data + start, size - start, {"belqo-vask", kNames[which]}),
                     kReaders[which]);
  return 0;
}
