// The G4 list file (--g4-list) on arbitrary bytes, through the program's own
// run on a DNA quadruplex (1i34): the listed tetrads read in place of the
// ones found, and the G4 analysis that follows from them. The input is the
// list.
#include <cstdint>
#include <string>

#include "common.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::bring_data_file("1i34-assembly1.cif");
  if (!fuzz::write_scratch("g4.txt", data, size)) return 0;
  fuzz::run_program({"belqo-vask", "-i=1i34-assembly1.cif", "--g4-list=g4.txt", "-o=out.txt", "--run-log=run.log"});
  return 0;
}
