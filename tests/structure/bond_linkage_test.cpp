// Phosphate and peptide groups: the O3' bonded to a P and the N (with its CA)
// bonded to a C are taken from the neighbouring residue.
#include <gtest/gtest.h>

#include "pairing/prepare.hpp"
#include "structure/bond.hpp"
#include "structure/residue.hpp"
#include "structure/residue_info.hpp"
#include "structure/struct_mol.hpp"
#include "structure_fixture.hpp"

namespace vask {
namespace {

using LinkageGroups = test::StructureTest;

TEST_F(LinkageGroups, phosphate_takes_the_previous_O3) {
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  const nt_info& second = mol.nt_infos[2];
  ASSERT_GT(second.P, 0);
  EXPECT_EQ(second.po4[1], second.P);
  EXPECT_EQ(second.po4[4], find_atom_in_residue(" O3'", 1, mol));
  EXPECT_GT(second.po4[4], 0);
  EXPECT_EQ(second.po4[5], second.O5p);
  EXPECT_EQ(mol.nt_infos[1].po4[4], -1);  // the 5' end carries no phosphate
}

TEST_F(LinkageGroups, peptide_takes_the_next_N_and_CA) {
  struct_mol mol;
  read_pdb(test::test_data("1ubq.pdb"), mol);
  const aa_info& first = mol.aa_infos[1];
  ASSERT_GT(first.C, 0);
  EXPECT_EQ(first.peptide[2], first.C);
  EXPECT_GT(first.peptide[4], 0);
  EXPECT_EQ(first.peptide[4], find_atom_in_residue(" N  ", 2, mol));
  EXPECT_EQ(first.peptide[5], find_atom_in_residue(" CA ", 2, mol));
  const aa_info& last = mol.aa_infos[76];  // chain end: no following residue
  EXPECT_EQ(last.peptide[4], -1);
  EXPECT_EQ(last.peptide[5], -1);
}

}  // namespace
}  // namespace vask
