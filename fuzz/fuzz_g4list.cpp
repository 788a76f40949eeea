// The G4 list file (--g4-list) on arbitrary bytes, through the code the
// program runs on a DNA quadruplex (1i34): the listed tetrads read in place
// of the ones found, the G4 analysis that follows from them, and its report
// section and files. 1i34 is read, prepared and taken through the finders
// before the G4 stage once per process; each input starts from a fresh copy
// of that state. The input is the list.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common.hpp"
#include "driver/report.hpp"
#include "driver/vask_results.hpp"
#include "motifs/g4plex.hpp"

namespace {

// The structure and the results of the finders before the G4 stage, made
// once; `work` is the copy each input changes.
struct before_g4 {
  vask::struct_mol mol, work;
  vask::vask_results results;
  FILE* report = nullptr;  // the report section's stream, to nowhere
};

before_g4& prepared() {
  static before_g4* state = [] {
    auto* s = new before_g4;
    s->mol = fuzz::prepared_structure("1i34-assembly1.cif");
    fuzz::reset_globals();
    vask::init_vask(s->results);
    s->report = std::fopen("/dev/null", "w");
    if (s->report == nullptr) std::abort();
    try {
      vask::run_finders_before_g4(s->mol, s->results, nullptr);
    } catch (const vask::fatal_error& e) {
      std::fprintf(stderr, "cannot prepare 1i34: %s\n", e.what());
      std::abort();
    }
    return s;
  }();
  state->work = state->mol;
  return *state;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  before_g4& s = prepared();
  if (!fuzz::write_scratch("g4.txt", data, size)) return 0;
  fuzz::reset_globals();
  vask::mutable_gvars().g4_list = "g4.txt";
  try {
    vask::g4_results g4;
    vask::find_G4plexes(s.work, s.results.num_pairs, s.results.pairs, g4);
    vask::output_G4plexes(s.work, g4, s.report);
  } catch (const vask::fatal_error& e) {
    fuzz::expected_end(e);
  }
  return 0;
}
