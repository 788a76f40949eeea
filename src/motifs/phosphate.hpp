// Phosphate contacts: for each nucleotide, the H-bond partners of its two
// non-bridging phosphate oxygens (metals bonded to them included) and the
// bases they cap; with --po4 the report section, JSON key and model file.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "structure/struct_mol.hpp"

namespace vask {

// One nucleotide whose OP1 or OP2 has partners or caps a base.
struct PO4_contact {
  long nt = -1;             // residue index; -1 unset
  long OP1 = -1, OP2 = -1;  // atom indices; -1 none
  connect OP1_partners;     // partner atoms, in the order found
  connect OP2_partners;
  long OP1_cap = 0;         // the nucleotide whose base the oxygen caps; 0 none
  long OP2_cap = 0;
  std::string OP1_hbonds;   // "id[2.71],id[3.02]" of the partners; grows with them
  std::string OP2_hbonds;
  std::string OP1_cap_text; // the capped nucleotide's id
  std::string OP2_cap_text;
};

std::vector<PO4_contact> allocate_PO4s_array(long n);  // records 1..n unset; n < 0: assertion
void free_PO4s(std::vector<PO4_contact>& array);

// Partner atoms of oxygen o within sqrt(cutoff2), file order: no water, no
// atom of its own nucleotide or of the O3' bonded to its P, no pair of atoms
// that cannot H-bond; then the metals bonded to it when the nucleotide has any.
void get_PO4_hbonds(long o, const struct_mol& mol, connect& partners, double cutoff2);
// "id[%.2f],..." of the partners (verbose: nucleotide partners with "#steps").
std::string get_atom_hbondStr(long o, const connect& partners, const struct_mol& mol);
// The one-line summary: ' OP1-hbonds[n]: "..."', ' OP1-cap: "..."', then OP2.
std::string get_one_PO4_interaction_string(const PO4_contact& rec);

// Every phosphate contact into list[1..count] in chain order and the
// nucleotides' phosphate marks; the total on the run log with --po4.
void find_PO4_contacts(struct_mol& mol, long& count, std::vector<PO4_contact>& list);

// With --po4: the model file "phosphates" (verbose), then JSON
// "phosContacts" or the report section.
void output_PO4_interactions(struct_mol& mol, long n, const std::vector<PO4_contact>& list, FILE* fp);

}  // namespace vask
