// Atom-base capping in tRNA-Phe: the phosphate oxygens over the bases of the
// two U-turn uridines, the marks left for later finders, the vertical window
// and the report section.
#include "motifs/capping.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "json_check.hpp"
#include "motifs/motif_fixture.hpp"
#include "structure/residue.hpp"

namespace vask {
namespace {

using CappingTest = test::MotifTest;

const a2base* find_cap(const std::vector<a2base>& list, long n, long nt) {
  for (long k = 1; k <= n; ++k)
    if (list[k].nt == nt) return &list[k];
  return nullptr;
}

TEST_F(CappingTest, trna_uturn_bases_are_capped_by_phosphates) {
  load("1ehz.pdb");
  long n = 0;
  std::vector<a2base> list;
  find_a2base_capping(mol_, n, list);
  ASSERT_GE(n, 3);
  // the U-turn stacks the phosphate of A35 on U33 and that of G57 on PSU55
  for (auto [capped, donor] : {std::pair{33L, 35L}, std::pair{55L, 57L}}) {
    SCOPED_TRACE(capped);
    const a2base* rec = find_cap(list, n, res("A", capped));
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->residue, res("A", donor));
    EXPECT_EQ(std::string(A2BASE_TYPE[rec->type]), "phosphate");
    EXPECT_GE(rec->vert_dist, Gvars.a2base_vd1);
    EXPECT_LE(rec->vert_dist, Gvars.a2base_vd);
    EXPECT_EQ(rec->area, DBL_MAX);  // no --sasa
    EXPECT_EQ(mol_.atoms[rec->atom].capping, rec->nt);
    EXPECT_EQ(mol_.residues[rec->nt].flag[rf::capping_partner], rec->residue);
    EXPECT_EQ(mol_.residues[rec->residue].flag[rf::capping_partner], rec->nt);
    EXPECT_GE(mol_.residues[rec->nt].flag[rf::cap_acceptor], 1);
    EXPECT_GE(mol_.residues[rec->residue].flag[rf::cap_donor], 1);
  }
  for (long k = 1; k <= n; ++k) {  // carbons and hydrogens never cap
    EXPECT_FALSE(mol_.atoms[list[k].atom].carbon);
    EXPECT_FALSE(mol_.atoms[list[k].atom].hydrogen);
  }
}

TEST_F(CappingTest, vertical_window_is_inclusive_and_narrowing_drops_records) {
  load("1ehz.pdb");
  long n = 0;
  std::vector<a2base> list;
  find_a2base_capping(mol_, n, list);
  ASSERT_GT(n, 0);
  double lo = DBL_MAX;
  for (long k = 1; k <= n; ++k) lo = std::min(lo, list[k].vert_dist);
  struct_mol again;
  read_pdb(test::test_data_unzipped("1ehz.pdb"), again);
  mutable_gvars().a2base_vd1 = lo;  // the lowest one stays (inclusive)
  long m = 0;
  std::vector<a2base> list2;
  find_a2base_capping(again, m, list2);
  EXPECT_EQ(m, n);
  struct_mol third;
  read_pdb(test::test_data_unzipped("1ehz.pdb"), third);
  mutable_gvars().a2base_vd1 = lo + 0.001;
  find_a2base_capping(third, m, list2);
  EXPECT_EQ(m, n - 1);
}

TEST_F(CappingTest, one_residue_yields_nothing) {
  struct_mol mol = test::make_bare_nts(1);
  long n = 5;
  std::vector<a2base> list;
  find_a2base_capping(mol, n, list);
  EXPECT_EQ(n, 0);
}

TEST_F(CappingTest, section_json_and_model_file) {
  test::ExeRun exe({"1ehz.pdb"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.txt"), 0) << exe.file("stderr.txt");
  const std::string text = exe.file("out.txt");
  EXPECT_NE(text.find("atom-base capping interactions\n"
                      "    dv: vertical distance of the atom above the nucleotide base\n"),
            std::string::npos);
  EXPECT_NE(text.find(" phosphate  OP2@A.A35            A.U33          2."), std::string::npos) << text;
  EXPECT_EQ(text.find(" dsa="), std::string::npos);
  EXPECT_NE(text.find("vask-atom2bases.pdb"), std::string::npos);
  exe.expect_gemmi_models("vask-atom2bases.pdb", 4);
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.json --json"), 0);
  const std::string js = exe.file("out.json");
  EXPECT_EQ(test::json_error(js), "");
  EXPECT_NE(js.find("\"type\":\"phosphate\",\"atom\":\"OP2@A.A35\",\"nt\":\"A.U33\",\"vert_dist\":"),
            std::string::npos);
  EXPECT_NE(js.find("cap-acceptor"), std::string::npos);  // the feature word of U33
}

}  // namespace
}  // namespace vask
