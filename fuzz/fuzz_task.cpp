// The two-file utilities of the task sub-command on arbitrary bytes, the file
// taken twice: --ls-fit-files on PDB files (the first line's second byte
// picks the atoms' match: none, element or name) and on xyz files
// (--fit-xyz), --align-str (the rest of the first line is the cutoff) and
// --merge-files on PDB files (simple or NMR-style, by the second byte) and on
// Raster3D files. The first line's first byte picks the utility ('0' to '4'
// in that order; any byte works); the other lines are the file. Outputs go to
// the worker's folder.
#include <cstdint>
#include <string>

#include "common.hpp"
#include "driver/task_utilities.hpp"
#include "schematics/alignment.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const unsigned mode = fuzz::reader_choice(data, size, 5);
  const size_t start = fuzz::after_first_line(data, size);
  const long choice = start > 2 ? data[1] % 3 : 1;
  static const char* const kNames[] = {"a.pdb", "a.xyz", "a.pdb", "a.pdb", "a.r3d"};
  const std::string file = kNames[mode];
  if (!fuzz::write_scratch(file, data + start, size - start)) return 0;

  fuzz::reset_globals();
  try {
    if (mode <= 1) {
      vask::task_settings s;
      s.output = "fitted.txt";
      s.fit_atom = choice;
      s.fit_xyz = mode == 1;
      vask::lsfit_two_pdb_files(s, file, file);
    } else if (mode == 2) {
      const std::string cutoff(reinterpret_cast<const char*>(data + 1), start > 2 ? start - 2 : 0);
      vask::align_2strs_per_vorpin(file + " " + file + " " + cutoff, "aligned.txt");
    } else {
      vask::merge_two_files(file, file, choice, mode == 3 ? "merged.pdb" : "merged.r3d");
    }
  } catch (const vask::fatal_error& e) {
    fuzz::expected_end(e);
  }
  return 0;
}
