// The option parser on one argument vector per input: the input's lines are
// the words after the program name. Every word goes through the readers the
// driver offers it to, in the driver's order; then the cross-option limits.
#include <cstdint>
#include <string>
#include <vector>

#include "driver/belqo-vask.hpp"
#include "driver/option.hpp"
#include "fuzz_common.hpp"
#include "support/error.hpp"
#include "support/log.hpp"
#include "support/option_value.hpp"
#include "support/settings.hpp"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> words = fuzz::lines_as_words(data, size, {"belqo-vask"});
  std::vector<char*> argv = fuzz::argv_of(words);
  const int argc = static_cast<int>(words.size());

  fuzz::reset_globals();
  vask::mutable_gvars().help_mode = 1;
  vask::say_good_bye_handler = vask::say_good_bye;
  try {
    std::string in, out, list;
    for (int k = 1; k < argc; ++k) {
      const char* arg = argv[static_cast<size_t>(k)];
      if (vask::check_input_output(arg, in, out)) continue;
      if (vask::check_inplist(arg, list)) continue;
      if (vask::check_common_options(arg)) continue;
      vask::display_unrecognized_option(arg);
    }
    // the logs would be files named by the input: keep them closed
    vask::mutable_gvars().runlog_name.clear();
    vask::mutable_gvars().prglog_name.clear();
    vask::book_keeping(argc, argc, argc > 1 ? argv[static_cast<size_t>(argc - 1)] : nullptr);
  } catch (const vask::fatal_error& e) {
    fuzz::expected_end(e);
  }
  vask::RUNLOG = nullptr;
  vask::PRGLOG = nullptr;
  return 0;
}
