// The option parser on one argument vector per input: the input's lines are
// the words after the program name. Every word goes through the readers the
// driver offers it to, in the driver's order; then the cross-option limits.
#include <cstdint>
#include <string>

#include "driver/belqo-vask.hpp"
#include "driver/option.hpp"
#include "common.hpp"
#include "support/option_value.hpp"

namespace {

// Every word through the readers the driver offers it to, in its order.
void read_main_options(int argc, char** argv) {
  std::string in, out, list;
  for (int k = 1; k < argc; ++k) {
    const char* arg = argv[k];
    if (vask::check_input_output(arg, in, out)) continue;
    if (vask::check_inplist(arg, list)) continue;
    if (vask::check_common_options(arg)) continue;
    vask::display_unrecognized_option(arg);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::read_options(fuzz::lines_as_words(data, size, {"belqo-vask"}), read_main_options);
  return 0;
}
