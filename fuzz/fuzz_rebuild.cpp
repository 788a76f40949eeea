// rebuild's inputs on arbitrary bytes, through the sub-command's own run as
// the program calls it: step parameter files, helical parameter files and
// frame files (also as analyze reads them). The first line's first byte
// picks the reader ('0' step, '1' helical, '2' rebuild frames, '3' analyze
// frames; any byte works), its later bytes set the flip and parallel
// switches; the other lines are the file. The file's reader runs on every
// input; the build from it (or the analysis of the frames), which rebuilds
// the model base by base from its templates and writes it, runs as the
// program runs it when the file holds at most kBuiltRows rows or frames, so
// that long files cost no more than their reading. Every output goes to
// files in the working directory, which fuzz/run.sh makes a scratch folder.
#include <cstdint>
#include <cstdio>
#include <string>

#include "common.hpp"
#include "modeling/analyze.hpp"
#include "modeling/rebuild.hpp"
#include "support/error.hpp"
#include "support/settings.hpp"

namespace {

// The longest file built: enough for every kind of step, flip and strand.
constexpr long kBuiltRows = 12;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const unsigned mode = fuzz::reader_choice(data, size, 4);
  const size_t start = fuzz::after_first_line(data, size);
  const long flip = start > 2 ? static_cast<long>(data[1] % 3) - 1 : -1;
  const long parallel = start > 3 ? static_cast<long>(data[2] % 3) - 1 : -1;

  static const std::string file = "fuzz-rebuild.txt";
  static const std::string out = "fuzz-rebuild.pdb";
  if (!fuzz::write_scratch(file, data + start, size - start)) return 0;

  fuzz::reset_globals();
  vask::mutable_gvars().prefix = "fuzz";
  try {
    long n = 0;
    if (mode <= 1)
      (void)vask::read_rebuild_pars(file, n);
    else
      (void)vask::parse_frame_file(file, n);
    if (n > kBuiltRows) return 0;
    if (mode == 3) {
      vask::analyze_settings s;
      s.frame_file = file;
      s.output = out;
      vask::run_analyze(s);
    } else {
      vask::rebuild_settings s;
      s.output = out;
      s.flip = flip;
      s.parallel = parallel;
      if (mode == 2)
        s.frame_file = file;
      else
        s.par_file = file;
      s.helical = mode == 1;
      vask::run_rebuild(s);
    }
  } catch (const vask::fatal_error& e) {
    fuzz::expected_end(e);
  }
  return 0;
}
