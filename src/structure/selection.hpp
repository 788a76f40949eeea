// Atom selections of the one-shot tasks (each adds one vote to the status of
// the atoms it picks; the caller deselects everything first) and the join of
// two coordinate files.
#pragma once

#include <string>

namespace vask {

struct struct_mol;

// By chain and residue numbers ("A 10:20,30 B 5:"): the select-fragment setting.
void select_fragments(struct_mol& mol);
// By atom names ("p,c1'"): the select-atom setting.
void extract_atoms(struct_mol& mol);
// Reverse selection, hydrogen and water removal, atom renumbering, in order.
void handle_global_selections(struct_mol& mol);

// Joins two coordinate files: mode -1 copies their ATOM/HETATM lines, each
// under a REMARK naming its file; mode 0 writes one model (serials of the
// second file continuing after the first); any other mode writes two models.
void combine_two_pdbfiles(const std::string& file1, const std::string& file2, const std::string& out,
                          long mode);

}  // namespace vask
