// Shared by the fuzz targets: a clean settings record per input, the verdict
// on how a run ended, the input cut into readers and argument words, and the
// runs of the program itself. common.cpp holds the start-up every target
// shares: standard output silenced, and each process in its own scratch
// folder (a subfolder of the working directory, which fuzz/run.sh makes a
// scratch folder), so that the files a run writes, under the names the
// program chooses, stay there and parallel workers do not share them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "support/error.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "structure/struct_mol.hpp"

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

// The input's lines appended to words as argument words (argv words cannot
// hold a NUL, so NUL bytes are dropped).
inline std::vector<std::string> lines_as_words(const uint8_t* data, size_t size,
                                               std::vector<std::string> words) {
  std::string w;
  for (size_t i = 0; i < size; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c == '\n') {
      words.push_back(w);
      w.clear();
    } else if (c != '\0') {
      w += c;
    }
  }
  if (!w.empty()) words.push_back(w);
  return words;
}

// The argument vector of words, null-terminated as main receives it.
inline std::vector<char*> argv_of(std::vector<std::string>& words) {
  std::vector<char*> argv;
  for (auto& s : words) argv.push_back(s.data());
  argv.push_back(nullptr);
  return argv;
}

// Targets with several readers: the first line of the input picks one. Its
// first byte gives the reader ('0' the first, '1' the next; any byte picks
// one), the rest of the input is the reader's text.
inline unsigned reader_choice(const uint8_t* data, size_t size, unsigned readers) {
  return size == 0 ? 0 : static_cast<uint8_t>(data[0] - '0') % readers;
}
inline size_t after_first_line(const uint8_t* data, size_t size) {
  size_t start = size == 0 ? 0 : 1;
  while (start < size && data[start - 1] != '\n') ++start;
  return start;
}

// The bytes as a scratch file; false when it cannot be written.
inline bool write_scratch(const std::string& name, const uint8_t* data, size_t size) {
  FILE* fp = std::fopen(name.c_str(), "wb");
  if (fp == nullptr) return false;
  std::fwrite(data, 1, size, fp);
  return std::fclose(fp) == 0;
}

// The option readers of a run on an argument vector as main receives it
// (words[0] the program): `read` takes the vector, then the book-keeping every
// run does before its work, with the logs kept closed (they would be files
// named by the input).
void read_options(std::vector<std::string> words, void (*read)(int argc, char** argv));

// The whole program on an argument vector, as main runs it: a fatal error is
// an expected end (a failed assertion is not), and the exit handler runs.
// Returns the exit status.
int run_program(std::vector<std::string> words);

// A file of the repository's test data (tests/data/NAME) copied into the
// working directory, once per process.
void bring_data_file(const char* name);

// The test data file NAME read and prepared as a run of the program reads its
// input (default settings), once per process, since reading and preparing
// take far longer than the readers the targets fuzz. Each call returns a
// fresh copy of it (the same object each time, overwritten), as the finders
// mark the structure they work on.
vask::struct_mol& prepared_structure(const char* name);

// Input text that could name a file outside the working directory: an
// absolute path, a folder part or "..". Targets whose input names files skip
// such inputs.
bool names_outside(std::string_view text);

}  // namespace fuzz
