// Atom selections of the one-shot tasks: by components (--select words), by
// chains, and the selected model. Each selection adds one vote to the status
// of the atoms it picks; the caller deselects everything first.
#pragma once

#include <string>
#include <vector>

namespace vask {

struct struct_mol;
struct atom;

// Components named by the --select switches: whole residues by class, and
// for nucleotides their base, sugar or phosphate atoms; "backbone" narrows
// the selection to backbone and main-chain atoms.
void select_components(struct_mol& mol);

// Atoms of the chains listed in the select-chain setting, atoms[1..n].
void select_chains(long n, std::vector<atom>& atoms);

// The model chosen by the model options, with the component and global
// selections applied, written with its model number.
void write_selected_model(struct_mol& mol, const std::string& file);

}  // namespace vask
