// Counts of the warnings of one structure. A warning that can repeat per atom,
// residue or row is written for its first few occurrences only; the count
// lives with the structure it is about (struct_mol), so a structure of a list
// or an ensemble starts with none counted, and structures analysed on several
// threads count apart.
#pragma once

namespace vask {

struct warning_counts {
  long atom_name = 0;           // atom names not in the atom list
  long atom_symbol = 0;         // atoms whose element cannot be derived
  long invalid_element = 0;     // invalid element symbols of the file
  long connects = 0;            // atoms with more partners than a connection set holds
  long network_cut = 0;         // connection networks cut at 128 members
  long bond_in_residue = 0;     // residues with more bonds than an atom holds
  long nt_rmsd = 0;             // nucleotides failing the standard-base fit
  long arg_swap = 0;            // arginine side-chain atoms swapped for a planar frame
  long pair_hbonds_capped = 0;  // pairs with more H-bonds than a pair record indexes
  long distorted_ring = 0;      // rings too distorted to widen for the point-in-ring test
  long pdb_overflow = 0;        // values narrowed to fit their PDB column
  long misc = 0;                // mmCIF rows cut short, atoms without names, long chain ids
  // rotation diagnostics in the program log: 1 the first matrix check, 2 also
  // a negated-angle report
  long rotation_check = 0;
};

}  // namespace vask
