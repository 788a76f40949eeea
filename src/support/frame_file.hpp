// Reference frames written to text files, and frames combined.
#pragma once

#include <string>

#include "support/ref_frame.hpp"

namespace vask {

// Frame files: four lines "position", "x_axis", "y_axis", "z_axis".
void write_frame_file(const frame& f, const std::string& name);
// The same into the transformation-matrix file setting, or PREFIX-rotmat.txt.
void write_frame_file0(const frame& f);
// out := frame 2 expressed through frame 1: origin o1 + R1 o2, rotation R1 R2.
void combine_frames(const frame& f1, const frame& f2, frame& out);

}  // namespace vask
