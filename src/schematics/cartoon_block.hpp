// PyMOL cartoon-block scripts (the --cartoon-block task): the structure as
// coloured cartoons with filled base blocks loaded from a Raster3D block file
// ("<structure>.r3d"), optionally turned to its principal-axis view first,
// rendered to an image, and seen from five more sides.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vask {

struct struct_mol;

// With the best-view switch, the structure is replaced by its principal-axis
// view read back from "<base>-bestview.pdb" (only its nucleotides, first
// written to "<prefix>-ntview.pdb", with the nucleotide-only switch).
// Returns the coordinate file the script is to load.
std::string check_bestview_for_cartoon_block(struct_mol& mol);

// The script to script_file for the structure read from structure_file;
// base names the block file ("<base>.r3d") and the images.
void write_cartoon_block_file(struct_mol& mol, const std::string& structure_file,
                              const std::string& script_file, const std::string& base);

// The script copied with the turn after the line that hides whole_str, the
// image line renamed to "<view>-pymol.png" and "save" lines commented out.
void get_new_perspective(const std::string& script, const std::string& new_script,
                         const std::string& view, const std::string& turn);

// words[0..] joined by "+" (all but the last trimmed), then a newline.
void write_strVec_word(const std::vector<std::string>& words, FILE* fp);

// The whole task: best view when asked, the script and its block file.
void cartoon_block_task(struct_mol& mol, const std::string& script_file);

}  // namespace vask
