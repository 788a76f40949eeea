// Pair lists on arbitrary bytes, through the program's own runs on 1bna: the
// main command's --pair-list-inp (the list read, its pairs filled out, marked
// and analysed as the run's pairs) and analyze's --ds-input (the duplex of
// the listed pairs and its parameters; the first line's second byte picks
// plain, stems, curves-style or CEHS-style output). The first line's first
// byte picks the run ('0' main, '1' analyze; any byte works); the other lines
// are the list.
#include <cstdint>
#include <string>

#include "common.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const unsigned mode = fuzz::reader_choice(data, size, 2);
  const size_t start = fuzz::after_first_line(data, size);
  fuzz::bring_data_file("1bna.pdb");
  if (!fuzz::write_scratch("list.txt", data + start, size - start)) return 0;
  if (mode == 0) {
    fuzz::run_program({"belqo-vask", "-i=1bna.pdb", "--pair-list-inp=list.txt", "-o=out.txt", "--run-log=run.log"});
  } else {
    static const char* const kForms[] = {"--ds-input=list.txt", "--ds-stem-input=list.txt",
                                         "--ds-curves-input=list.txt", "--ds-cehs-input=list.txt"};
    const char* form = kForms[start > 2 ? data[1] % 4 : 0];
    fuzz::run_program({"belqo-vask", "analyze", "-i=1bna.pdb", form, "-o=out.txt", "--run-log=run.log"});
  }
  return 0;
}
