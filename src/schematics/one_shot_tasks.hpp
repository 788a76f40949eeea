// The one-shot tasks of the main command: quick products of one structure
// (lists, selections, renumbered or reoriented copies, H-bond and frame
// files) chosen by options instead of the analysis.
#pragma once

#include <string>

namespace vask {

struct struct_mol;

// Runs the first one-shot task whose option is set on the structure just
// read, writing to the run's output file, and ends the run with status 0;
// returns without effect when no task option is set.
void perform_single_task_exit(struct_mol& mol, const std::string& output);

// Per residue with non-water contacts: the members' indices, then
// " # index [count] id -- [ids joined by '+']".
void write_contact_file(const struct_mol& mol, const std::string& file);

// Swaps OP1 and OP2 of each phosphate labelled against the convention
// (logging the residue), then writes the structure.
void check_op1_op2(struct_mol& mol, const std::string& file);

// The frame lists chosen by the frame-list bits: 1 base, 2 pair, 4 side chain.
void list_frames(struct_mol& mol, const std::string& file);

}  // namespace vask
