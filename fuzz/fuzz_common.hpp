// Shared by the fuzz targets: a clean settings record per input, and the
// verdict on how a run ended.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "support/error.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"

namespace fuzz {

// Defaults everywhere, logs off: every input starts from the same state.
inline void reset_globals() {
  vask::set_globals("belqo-vask");
  vask::RUNLOG = nullptr;
  vask::PRGLOG = nullptr;
}

// A fatal error is how bad input is meant to end. A failed assertion is not:
// the input reached an invariant that nothing checked first, and the user
// would see an internal report instead of an "[e]" message.
inline void expected_end(const vask::fatal_error& e) {
  // the report starts the message; input echoed inside other messages does not count
  if (std::strncmp(e.what(), "Uncaught exception", 18) == 0) {
    std::fprintf(stderr, "assertion reached from input:\n%s\n", e.what());
    std::abort();
  }
}

// A scratch file name in the working directory, one per process so that
// parallel fuzzing jobs sharing the folder do not trample each other.
inline std::string scratch_name(const char* stem, const char* ext) {
  return std::string(stem) + "-" + std::to_string(static_cast<long>(getpid())) + ext;
}

// Standard output carries help texts and reports; the fuzzer has no use for them.
inline void silence_stdout() {
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
}

}  // namespace fuzz
