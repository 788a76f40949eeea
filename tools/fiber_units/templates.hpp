// The model-building templates of data/backbone: one nucleotide per backbone
// type and base in the standard reference frame of its base, and the two
// G-tetrads (see data/backbone/README.md).
#pragma once

#include <string>

namespace fibergen {

// Derives the templates from the fiber units in <data_dir>/fiber-units,
// writes <data_dir>/backbone/*.pdb and prints the C++ tables of the program
// (src/modeling/model_templates.cpp) on standard output; the geometry of
// each backbone type goes to standard error. Returns the exit status.
int write_backbone_templates(const std::string& data_dir, long iterations);

}  // namespace fibergen
