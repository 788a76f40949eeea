// The texts of the model builders on arbitrary bytes: the sequence language
// of fiber and composite (a --seq text, a sequence file) and mutate's
// entries (command-line text and list-file lines). The first line's first
// byte picks the reader ('0' text, '1' file, '2' entries; any byte works),
// its second byte the repeat count; the other lines are the text or file.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "common.hpp"
#include "modeling/mutation.hpp"
#include "modeling/sequence.hpp"
#include "support/error.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const unsigned mode = fuzz::reader_choice(data, size, 3);
  const size_t start = fuzz::after_first_line(data, size);
  const long times = start > 2 ? static_cast<long>(static_cast<uint8_t>(data[1] - '0')) : 1;
  const std::string text(reinterpret_cast<const char*>(data + start), size - start);

  fuzz::reset_globals();
  try {
    if (mode == 0) {
      const std::string seq = vask::derive_seq_or_file(text, "", times);
      if (static_cast<long>(seq.size()) > vask::kMaxSequenceLength) std::abort();
      if (seq.find_first_not_of("ACGT") != std::string::npos) std::abort();
    } else if (mode == 1) {
      static const std::string file = "fuzz-sequence.txt";
      if (!fuzz::write_scratch(file, data + start, size - start)) return 0;
      const std::string seq = vask::derive_seq_or_file("", file, times);
      if (static_cast<long>(seq.size()) > vask::kMaxSequenceLength) std::abort();
    } else {
      for (const std::string& entry : vask::split_command_line_entries(text)) {
        vask::mutation_entry e;
        (void)vask::parse_mutation_entry(entry, e);
      }
      vask::mutation_config flags;
      vask::derive_mutation_config(text, flags);
    }
  } catch (const vask::fatal_error& e) {
    fuzz::expected_end(e);
  }
  return 0;
}
