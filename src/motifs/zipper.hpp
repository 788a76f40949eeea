// Ribose zippers: two backbone-consecutive O2'-O2' contacts between two
// strands, (i, j) and (i+1, j-1) or the like, merged into zippers when they
// share nucleotides.
#pragma once

#include <array>
#include <cstdio>
#include <vector>

#include "structure/struct_mol.hpp"

namespace vask {

// One O2'-O2' contact of two nucleotides.
struct O2_contact {
  long nt1 = -1, nt2 = -1;     // residue indices, nt1 < nt2; -1 unset
  double dist = -1.0;          // O2'-O2' distance, Angstrom; -1.0 unset
  long used = 0;               // taken into a zipper
  std::array<long, 2> link_counts{};  // backbone links with each linked contact
  std::array<long, 2> links{};        // indices of up to two linked contacts
};

// Zippers into zippers[1..num_zippers] (sorted members) and every O2'
// contact into contacts[1..num_contacts]; the residues' zipper marks.
// Nothing is stored without a zipper.
void find_riboseZippers(struct_mol& mol, long& num_zippers, std::vector<connect>& zippers,
                        long& num_contacts, std::vector<O2_contact>& contacts);
// Verbosity 2 with auxiliary files: the model file "zippers".
void write_zippers_pdb(long n, const std::vector<connect>& zippers, struct_mol& mol);
void print_zippers_info(long n, const std::vector<connect>& zippers, long num_contacts,
                        const std::vector<O2_contact>& contacts, const struct_mol& mol, FILE* fp);
void output_zippers_info_pdb(struct_mol& mol, long n, const std::vector<connect>& zippers,
                             long num_contacts, const std::vector<O2_contact>& contacts, FILE* fp);

}  // namespace vask
