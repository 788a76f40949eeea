// The start-up every fuzz target shares, and the helpers of common.hpp that
// run the program's driver.
#include "common.hpp"

#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "driver/belqo-vask.hpp"
#include "driver/option.hpp"
#include "pairing/prepare.hpp"
#include "support/option_value.hpp"

namespace fuzz {

void read_options(std::vector<std::string> words, void (*read)(int argc, char** argv)) {
  std::vector<char*> argv = argv_of(words);
  const int argc = static_cast<int>(words.size());
  reset_globals();
  vask::mutable_gvars().help_mode = 1;
  vask::say_good_bye_handler = vask::say_good_bye;
  try {
    read(argc, argv.data());
    vask::mutable_gvars().runlog_name.clear();
    vask::mutable_gvars().prglog_name.clear();
    vask::book_keeping(argc, argc, argc > 1 ? argv[static_cast<size_t>(argc - 1)] : nullptr);
  } catch (const vask::fatal_error& e) {
    expected_end(e);
  }
  vask::RUNLOG = nullptr;
  vask::PRGLOG = nullptr;
}

int run_program(std::vector<std::string> words) {
  std::vector<char*> argv = argv_of(words);
  int status = 0;
  try {
    status = vask::vask_main(static_cast<int>(words.size()), argv.data());
  } catch (const vask::fatal_error& e) {
    expected_end(e);
    status = e.status;
  }
  try {
    vask::clean_globals();
  } catch (const vask::fatal_error& e) {
    expected_end(e);
    status = 1;
  }
  return status;
}

void bring_data_file(const char* name) {
  std::error_code ec;
  if (std::filesystem::exists(name, ec)) return;
  std::filesystem::copy_file(std::filesystem::path(VASK_FUZZ_DATA) / name, name, ec);
  if (ec) {
    std::fprintf(stderr, "cannot copy the test file %s: %s\n", name, ec.message().c_str());
    std::abort();
  }
}

vask::struct_mol& prepared_structure(const char* name) {
  // read once per process and never changed after; the inputs get copies,
  // assigned over the previous input's copy to reuse its memory
  struct fixture {
    vask::struct_mol read, work;
  };
  static std::map<std::string, fixture> fixtures;
  auto it = fixtures.find(name);
  if (it == fixtures.end()) {
    bring_data_file(name);
    reset_globals();
    fixture f;
    try {
      vask::read_pdb(name, f.read);
    } catch (const vask::fatal_error& e) {
      std::fprintf(stderr, "cannot read the test file %s: %s\n", name, e.what());
      std::abort();
    }
    it = fixtures.emplace(name, std::move(f)).first;
  }
  it->second.work = it->second.read;
  return it->second.work;
}

bool names_outside(std::string_view text) {
  return text.find('/') != std::string_view::npos || text.find("..") != std::string_view::npos;
}

}  // namespace fuzz

// Standard output carries help texts and reports; the fuzzer has no use for
// them. Each fuzzing process moves into its own folder below the working
// directory; the controller of parallel workers (-jobs, -workers) stays, since
// the workers' logs go to its working directory. Paths given relative to the
// start folder (corpus folders, inputs, the artifact prefix) are made
// absolute first, so they are still found.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
  static std::vector<std::string> kept;  // the rewritten words live as long as the process
  kept.reserve(static_cast<size_t>(*argc));
  bool controller = false;
  std::error_code ec;
  for (int k = 1; k < *argc; ++k) {
    const std::string word = (*argv)[k];
    if (word.starts_with("-jobs=") || word.starts_with("-workers=")) controller = true;
    const bool prefix = word.starts_with("-artifact_prefix=");
    if (!prefix && word.starts_with("-")) continue;
    const std::string path = prefix ? word.substr(17) : word;
    if (path.empty() || path[0] == '/') continue;
    std::string full = std::filesystem::absolute(path, ec).string();
    if (prefix && path.back() == '/') full += '/';
    kept.push_back((prefix ? "-artifact_prefix=" : "") + full);
    (*argv)[k] = kept.back().data();
  }
  if (controller) return 0;
  const std::string own = "worker-" + std::to_string(static_cast<long>(getpid()));
  std::filesystem::create_directory(own, ec);
  if (ec || chdir(own.c_str()) != 0) std::abort();
  return 0;
}
