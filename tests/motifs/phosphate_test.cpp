// Phosphate contacts of tRNA-Phe: the U-turn H-bonds to OP2, caps, metals,
// what is never a partner, and the section only with --po4.
#include "motifs/phosphate.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "json_check.hpp"
#include "motifs/capping.hpp"
#include "motifs/motif_fixture.hpp"
#include "structure/residue.hpp"

namespace vask {
namespace {

using PhosphateTest = test::MotifTest;

const PO4_contact* find_nt(const std::vector<PO4_contact>& list, long n, long nt) {
  for (long k = 1; k <= n; ++k)
    if (list[k].nt == nt) return &list[k];
  return nullptr;
}

TEST_F(PhosphateTest, trna_contacts) {
  load("1ehz.pdb");
  long na = 0;
  std::vector<a2base> caps;
  find_a2base_capping(mol_, na, caps);
  long n = 0;
  std::vector<PO4_contact> list;
  find_PO4_contacts(mol_, n, list);
  ASSERT_GT(n, 5);
  // the U-turn of the anticodon loop: N3 of U33 on the phosphate of A36
  const PO4_contact* a36 = find_nt(list, n, res("A", 36));
  ASSERT_NE(a36, nullptr);
  EXPECT_EQ(a36->OP2_hbonds.substr(0, 8), "N3@A.U33");
  EXPECT_EQ(get_one_PO4_interaction_string(*a36).substr(0, 18), " OP2-hbonds[1]: \"N");
  // the phosphate of A35 both H-bonds and caps U33
  const PO4_contact* a35 = find_nt(list, n, res("A", 35));
  ASSERT_NE(a35, nullptr);
  EXPECT_EQ(a35->OP2_cap, res("A", 33));
  EXPECT_NE(get_one_PO4_interaction_string(*a35).find(" OP2-cap: \"A.U33\""), std::string::npos);
  // a magnesium bonded to OP1 of U7 counts as a partner
  const PO4_contact* u7 = find_nt(list, n, res("A", 7));
  ASSERT_NE(u7, nullptr);
  EXPECT_NE(u7->OP1_hbonds.find("MG@"), std::string::npos);
  for (long k = 1; k <= n; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(mol_.residues[list[k].nt].flag[rf::phosphate], 1);
    for (const connect* set : {&list[k].OP1_partners, &list[k].OP2_partners})
      for (long t = 1; t <= set->count; ++t) {
        const atom& a = mol_.atoms[(*set)[t]];
        EXPECT_FALSE(a.carbon);  // no C-H...O
        EXPECT_FALSE(a.water);
        EXPECT_NE(a.residue, list[k].nt);
      }
    if (k > 1) {
      EXPECT_NE(list[k].nt, list[k - 1].nt);
    }
  }
}

TEST_F(PhosphateTest, hbond_text_grows_with_its_partners) {
  load("1ehz.pdb");
  const long o = mol_.nt_infos[res("A", 36)].OP2;
  connect many;
  // far more partners than any fixed field would hold
  for (long a = 1; a <= 60; ++a) add_one_item_to_connect_simple(a, many, "test", mol_.warned.connects);
  const std::string text = get_atom_hbondStr(o, many, mol_);
  EXPECT_GT(text.size(), 600u);
  EXPECT_EQ(std::count(text.begin(), text.end(), ','), 59);
  EXPECT_NE(text.back(), ',');
}

TEST_F(PhosphateTest, section_only_with_po4) {
  test::ExeRun exe({"1ehz.pdb"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=plain.txt"), 0);
  EXPECT_EQ(exe.file("plain.txt").find("phosphate interaction"), std::string::npos);
  EXPECT_EQ(exe.file("stderr.txt").find("phosphate interactions"), std::string::npos);
  EXPECT_NE(exe.file("plain.txt").find(",phosphate"), std::string::npos);  // the mark is still made
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.txt --po4"), 0);
  const std::string text = exe.file("out.txt");
  EXPECT_NE(text.find(" phosphate interactions\n   1 A.U7"), std::string::npos) << text;
  EXPECT_NE(text.find(" OP2-hbonds[1]: \"N3@A.U33["), std::string::npos);
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=more.txt --po4 --more"), 0);
  exe.expect_gemmi_models("vask-phosphates.pdb", 18);
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.json --json --po4"), 0);
  const std::string js = exe.file("out.json");
  EXPECT_EQ(test::json_error(js), "");
  EXPECT_NE(js.find("\"num_phosContacts\":"), std::string::npos);
  EXPECT_NE(js.find("\"OP2\":{\"hbonds_num\":1,\"hbonds_desc\":\"N3@A.U33["), std::string::npos) << js.substr(0, 200);
  EXPECT_NE(js.find("\"cap_atom\":\"A.U33\"}"), std::string::npos);
}

}  // namespace
}  // namespace vask
