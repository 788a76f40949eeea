// Reading the structures of a run one at a time: a structure that cannot be
// read is reported in its place and the run goes on; the selected models of
// an ensemble are read in one pass over the file (the default) or each anew.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "structure/mmcif.hpp"
#include "structure/struct_mol.hpp"

namespace vask {

// Runs read; false with the error's message (also on the run log) when it
// ends in an error. A normal early end (status 0) passes through.
bool read_structure(const std::function<void()>& read, std::string& message);

class ensemble_reader {
 public:
  // Opens the input once in one-pass mode (an mmCIF file without models is fatal).
  explicit ensemble_reader(const std::string& input);
  ~ensemble_reader();
  ensemble_reader(const ensemble_reader&) = delete;
  ensemble_reader& operator=(const ensemble_reader&) = delete;
  // Model number model into a fresh mol, prepared for analysis; false with
  // the message when it cannot be read.
  bool read(long model, struct_mol& mol, std::string& message);

 private:
  std::string input_;
  bool cif_ = false;
  FILE* in_ = nullptr;
  cif_reader cif_in_;
};

}  // namespace vask
