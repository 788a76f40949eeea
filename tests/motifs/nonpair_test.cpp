// Non-pairing contacts of tRNA-Phe: the neighbour setting, pairs left out,
// the measures of a stacked and of an H-bonded contact, and the section.
#include "json_check.hpp"
#include "motifs/motif_fixture.hpp"
#include "motifs/nonpair.hpp"
#include "pairing/prepare.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>


namespace vask {
namespace {

using NonpairTest = test::MotifTest;

const nonpair* find_contact(const std::vector<nonpair>& list, long count, long a, long b) {
  for (long k = 1; k <= count; ++k)
    if (list[k].nt1 == a && list[k].nt2 == b) return &list[k];
  return nullptr;
}

TEST_F(NonpairTest, trna_contacts) {
  load("1ehz.pdb");
  long n = 0;
  std::vector<nonpair> list;
  find_nonpair_contacts(mol_, n, list);
  ASSERT_GT(n, 50);
  for (long k = 1; k <= n; ++k) {
    SCOPED_TRACE(k);
    EXPECT_LT(list[k].nt1, list[k].nt2);
    EXPECT_FALSE(residues_in_pair(list[k].nt1, list[k].nt2, mol_));  // a pair is never one
    if (k > 1) {
      EXPECT_TRUE(list[k - 1].nt1 < list[k].nt1 ||
                  (list[k - 1].nt1 == list[k].nt1 && list[k - 1].nt2 < list[k].nt2));
    }
  }
  // G1 on C2: stacked backbone neighbours without H-bonds
  const nonpair* g1c2 = find_contact(list, n, res("A", 1), res("A", 2));
  ASSERT_NE(g1c2, nullptr);
  EXPECT_EQ(g1c2->linked, 1);
  EXPECT_EQ(g1c2->num_hbonds, 0);
  EXPECT_EQ(g1c2->stack_faces, "pm(>>,forward)");
  EXPECT_GT(g1c2->oarea, g1c2->oarea_inner);
  EXPECT_GT(g1c2->oarea_inner, 0.0);
  EXPECT_LT(g1c2->angle, 30.0);
  EXPECT_EQ(g1c2->base_sasa, DBL_MAX);  // surface areas off
  // A9 and C11: one H-bond from a ribose to a base, no overlap
  const nonpair* a9c11 = find_contact(list, n, res("A", 9), res("A", 11));
  ASSERT_NE(a9c11, nullptr);
  EXPECT_EQ(a9c11->stack_faces, "");
  EXPECT_EQ(a9c11->oarea_inner, 0.0);
  EXPECT_EQ(a9c11->num_hbonds, 1);
  EXPECT_NE(a9c11->hbond_text.find("O2'(hydroxyl)-N4(amino)"), std::string::npos);
  EXPECT_EQ(mol_.residues[res("A", 9)].flag[rf::non_pair_contact], 1);

  // excluding backbone neighbours
  struct_mol again;
  read_pdb(test::test_data("1ehz.pdb"), again);
  find_pairs(again, num_pairs_, pairs_, 0);
  mutable_gvars().non_pair = 3;
  long m = 0;
  std::vector<nonpair> fewer;
  find_nonpair_contacts(again, m, fewer);
  EXPECT_LT(m, n);
  for (long k = 1; k <= m; ++k) EXPECT_EQ(fewer[k].linked, 0);
  EXPECT_EQ(find_contact(fewer, m, res("A", 1), res("A", 2)), nullptr);
}

TEST_F(NonpairTest, minimum_distance_and_tiny_structures) {
  struct_mol one = test::make_bare_nts(1);
  long n = 5;
  std::vector<nonpair> list;
  find_nonpair_contacts(one, n, list);
  EXPECT_EQ(n, 0);
  struct_mol two = test::make_bare_nts(2);
  two.atoms[1].xyz = {0, 0, 0, 0};
  two.atoms[2].xyz = {0, 3, 4, 0};
  EXPECT_DOUBLE_EQ(get_minimum_distance_between_residues(1, 2, two), 5.0);
  two.atoms[2].hydrogen = 1;
  EXPECT_DOUBLE_EQ(get_minimum_distance_between_residues(1, 2, two), -1.0);
}

TEST_F(NonpairTest, section_and_json_only_with_the_option) {
  test::ExeRun exe({"1ehz.pdb"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=plain.txt"), 0) << exe.file("stderr.txt");
  EXPECT_EQ(exe.file("plain.txt").find("non-pairing"), std::string::npos);
  EXPECT_EQ(exe.file("stderr.txt").find("non-pairing"), std::string::npos);
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.txt --non-pair"), 0);
  const std::string text = exe.file("out.txt");
  const std::string log = exe.file("stderr.txt");
  const std::string key = "    total number of non-pairing interactions: ";
  const size_t at = log.find(key);
  ASSERT_NE(at, std::string::npos) << log;
  const long total = std::atol(log.c_str() + at + key.size());
  EXPECT_NE(text.find("List of " + std::to_string(total) + " non-pairing interactions\n"
                      "   1 A.G1     A.C2     stacking: "),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(" A.A9     A.C11    interBase-angle="), std::string::npos);
  EXPECT_NE(text.find(" H-bonds[1]: \"O2'(hydroxyl)-N4(amino)["), std::string::npos);
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.json --json --non-pair"), 0);
  const std::string js = exe.file("out.json");
  EXPECT_EQ(test::json_error(js), "");
  EXPECT_NE(js.find("\"num_nonPairs\":" + std::to_string(total) +
                    ",\"nonPairs\":[{\"index\":1,\"nt1\":\"A.G1\",\"nt2\":\"A.C2\",\"stacking\":{\"oArea\":"),
            std::string::npos);
  EXPECT_NE(js.find("\"is_connected\":true,\"min_baseDist\":"), std::string::npos);
}

}  // namespace
}  // namespace vask
