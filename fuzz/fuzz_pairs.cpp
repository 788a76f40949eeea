// Pair lists on arbitrary bytes, through the code the program runs on 1bna:
// the main command's --pair-list-inp (the base-pair step of the run: the list
// read, its pairs filled out, tidied and marked, the pairs' frame file
// written) and analyze's --ds-input (the duplex of the
// listed pairs and its parameters; the first line's second byte picks plain,
// stems, curves-style or CEHS-style output). The first line's first byte
// picks the run ('0' main, '1' analyze; any byte works); the other lines are
// the list. 1bna is read and prepared once per process; each input works on
// a fresh copy of it.
#include <cstdint>
#include <string>
#include <vector>

#include "common.hpp"
#include "modeling/analyze.hpp"
#include "pairing/pair.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const unsigned mode = fuzz::reader_choice(data, size, 2);
  const size_t start = fuzz::after_first_line(data, size);
  vask::struct_mol& mol = fuzz::prepared_structure("1bna.pdb");
  if (!fuzz::write_scratch("list.txt", data + start, size - start)) return 0;
  fuzz::reset_globals();
  try {
    if (mode == 0) {
      vask::mutable_gvars().pair_list_inp = "list.txt";
      long n = 0;
      std::vector<vask::pair> pairs;
      vask::find_pairs(mol, n, pairs, 1);
    } else {
      static const long kForms[] = {0, vask::DUPLEX_STEMS, vask::DUPLEX_CURVES, vask::DUPLEX_CEHS};
      vask::mutable_gvars().subcommand.analyze = 1;
      vask::analyze_settings s;
      s.input = "1bna.pdb";
      s.duplex = vask::DUPLEX_ON | kForms[start > 2 ? data[1] % 4 : 0];
      s.ds_input = "list.txt";
      vask::analyze_structure(s, mol);
    }
  } catch (const vask::fatal_error& e) {
    fuzz::expected_end(e);
  }
  return 0;
}
