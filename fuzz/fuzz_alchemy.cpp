// The Alchemy reader on arbitrary bytes, as task --alc2mol and
// --merge-files use it (the molfile written in both layouts, the file merged
// with itself), and search's target list. The first line's first byte picks
// the reader ('0' Alchemy, '1' target list; any byte works); the other lines
// are the file. Outputs go to files in the working directory, which
// fuzz/run.sh makes a scratch folder.
#include <cstdint>
#include <cstdio>
#include <string>

#include "common.hpp"
#include "schematics/alchemy.hpp"
#include "support/error.hpp"
#include "support/file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const unsigned mode = fuzz::reader_choice(data, size, 2);
  const size_t start = fuzz::after_first_line(data, size);

  static const std::string file = "fuzz-alchemy.alc";
  static const std::string mol = "fuzz-alchemy.mol";
  static const std::string merged = "fuzz-alchemy-merged.alc";
  if (!fuzz::write_scratch(file, data + start, size - start)) return 0;

  fuzz::reset_globals();
  if (mode == 0) {
    try {
      vask::convert_alc2mol(file, mol);
    } catch (const vask::fatal_error& e) {
      fuzz::expected_end(e);
    }
    try {
      vask::convert_alc2mol_v3000(file, mol);
    } catch (const vask::fatal_error& e) {
      fuzz::expected_end(e);
    }
    try {
      vask::combine_two_alcfiles(file, file, merged);
    } catch (const vask::fatal_error& e) {
      fuzz::expected_end(e);
    }
  } else {
    try {
      long n = 0;
      (void)vask::get_coord_lists(n, file);
    } catch (const vask::fatal_error& e) {
      fuzz::expected_end(e);
    }
  }
  return 0;
}
