// The option loops of the sub-commands on one argument vector per input. The
// first line chooses the sub-command (its first byte, '0' to '8' in the
// order of kReaders; any byte works), the other lines are the words after the
// sub-command's name. Then the book-keeping every sub-command runs before its
// work: the work itself is not run, it would write files named by the input.
#include <cstdint>
#include <string>
#include <vector>

#include "driver/belqo-vask.hpp"
#include "driver/composite_command.hpp"
#include "driver/fiber_command.hpp"
#include "driver/model_commands.hpp"
#include "driver/project_command.hpp"
#include "driver/search_command.hpp"
#include "driver/task_command.hpp"
#include "driver/triz_command.hpp"
#include "fuzz_common.hpp"
#include "support/error.hpp"
#include "support/log.hpp"
#include "support/option_value.hpp"
#include "support/settings.hpp"

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

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const unsigned which = fuzz::reader_choice(data, size, kCount);
  const size_t start = fuzz::after_first_line(data, size);
  std::vector<std::string> words =
      fuzz::lines_as_words(data + start, size - start, {"belqo-vask", kNames[which]});
  std::vector<char*> argv = fuzz::argv_of(words);
  const int argc = static_cast<int>(words.size());

  fuzz::reset_globals();
  vask::mutable_gvars().help_mode = 1;
  vask::say_good_bye_handler = vask::say_good_bye;
  try {
    kReaders[which](argc, argv.data());
    // the logs would be files named by the input: keep them closed
    vask::mutable_gvars().runlog_name.clear();
    vask::mutable_gvars().prglog_name.clear();
    vask::book_keeping(argc, argc, argv[static_cast<size_t>(argc - 1)]);
  } catch (const vask::fatal_error& e) {
    fuzz::expected_end(e);
  }
  vask::RUNLOG = nullptr;
  vask::PRGLOG = nullptr;
  return 0;
}
