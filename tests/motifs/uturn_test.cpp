// U-turns and UA-loops of tRNA-Phe: the anticodon loop turns at U33 (its N3
// H-bonds the phosphate of A36) and the T loop at PSU55 (N3 to the phosphate
// of 1MA58); the T loop is also closed by the reverse-Hoogsteen pair
// 5MU54-1MA58, a UA-loop.
#include "motifs/uturn.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "json_check.hpp"
#include "motifs/motif_fixture.hpp"
#include "pairing/nt_features.hpp"
#include "structure/residue.hpp"

namespace vask {
namespace {

using UturnTest = test::MotifTest;

TEST_F(UturnTest, trna_anticodon_and_t_loop) {
  load("1ehz.pdb");
  long n = 0;
  std::vector<Uturn> list;
  find_Uturns(mol_, n, list);
  ASSERT_EQ(n, 2);
  const long want[][2] = {{33, 36}, {55, 58}};
  for (long k = 1; k <= 2; ++k) {
    SCOPED_TRACE(k);
    const Uturn& u = list[k];
    EXPECT_EQ(u.nt1, res("A", want[k - 1][0]));
    EXPECT_EQ(u.nt2, res("A", want[k - 1][1]));
    EXPECT_EQ(u.swapped, 0);
    EXPECT_EQ(u.steps, 3);
    EXPECT_EQ(u.run_start, u.nt1 - 1);  // extended by the linked neighbours
    EXPECT_EQ(u.run_end, u.nt2 + 1);
    EXPECT_EQ(u.run_length, 6);
    for (long r = u.nt1; r <= u.nt2; ++r) EXPECT_EQ(mol_.residues[r].flag[rf::uturn], 1);
    EXPECT_EQ(mol_.residues[u.run_start].flag[rf::uturn], 0);
  }
  EXPECT_NE(collect_nt_features(res("A", 33), mol_).find("u-turn"), std::string::npos);
}

TEST_F(UturnTest, reversal_cutoff_and_dna_limit) {
  load("1ehz.pdb");
  // no nucleotide bends below 1 degree: nothing is a U-turn
  mutable_gvars().uturn_cutoff = 1.0;
  long n = 0;
  std::vector<Uturn> list;
  find_Uturns(mol_, n, list);
  EXPECT_EQ(n, 0);
  // an RNA nucleotide bent by 85 degrees reverses at the default cutoff; DNA needs below 80
  mutable_gvars().uturn_cutoff = 90.0;
  const long k = res("A", 34);
  mol_.residues[k].flag[rf::c1_angle] = 85;
  EXPECT_EQ(bb_reverse_direction(k, mol_), 1);
  mol_.residues[k].flag[rf::is_dna] = 1;
  mol_.residues[k].flag[rf::is_rna] = 0;
  EXPECT_EQ(bb_reverse_direction(k, mol_), 0);
  mol_.residues[k].flag[rf::c1_angle] = 0;  // not available
  EXPECT_EQ(bb_reverse_direction(k, mol_), 0);
}

TEST_F(UturnTest, ua_loop_needs_the_setting_and_few_steps) {
  load("1ehz.pdb");
  long n = 0;
  std::vector<connect> list;
  find_UAloops(mol_, num_pairs_, pairs_, n, list);
  EXPECT_EQ(n, 0);  // off by default
  mutable_gvars().ua_loop = 8;
  find_UAloops(mol_, num_pairs_, pairs_, n, list);
  ASSERT_GE(n, 1);
  bool t_loop = false;
  for (long k = 1; k <= n; ++k)
    if (list[k][1] == res("A", 54)) {
      t_loop = true;
      EXPECT_EQ(numbers(list[k]), (std::vector<long>{54, 55, 56, 57, 58}));
    }
  EXPECT_TRUE(t_loop);
  mutable_gvars().ua_loop = 4;  // the T loop takes 4 steps: not below 4
  find_UAloops(mol_, num_pairs_, pairs_, n, list);
  for (long k = 1; k <= n; ++k) EXPECT_NE(list[k][1], res("A", 54));
}

TEST_F(UturnTest, reported_only_with_the_option) {
  test::ExeRun exe({"1ehz.pdb"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=plain.txt"), 0);
  EXPECT_EQ(exe.file("plain.txt").find("List of 2 U-turns"), std::string::npos);
  EXPECT_NE(exe.file("plain.txt").find(",u-turn,"), std::string::npos);  // found and marked
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.txt --u-turn --ua-loop --po4"), 0) << exe.file("stderr.txt");
  const std::string text = exe.file("out.txt");
  EXPECT_NE(text.find("List of 2 U-turns\n"
                      "   1  A.U33-A.A36 H-bonds[1]: \"N3(imino)-OP2[2.80]\" nts=6 cUgAAg "
                      "A.OMC32,A.U33,A.OMG34,A.A35,A.A36,A.YYG37\n"
                      "   2  A.PSU55-A.1MA58 H-bonds[1]: \"N3(imino)-OP2[2.77]\" nts=6"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(" nts=5 tPCGa A.5MU54,A.PSU55,A.C56,A.G57,A.1MA58\n"), std::string::npos);
  for (const char* f : {"vask-atom2bases.pdb", "vask-Uturns.pdb", "vask-UAloops.pdb"})
    EXPECT_NE(text.find(f), std::string::npos) << f;
  exe.expect_gemmi_models("vask-Uturns.pdb", 2);
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.json --json --u-turn --ua-loop"), 0);
  const std::string js = exe.file("out.json");
  EXPECT_EQ(test::json_error(js), "");
  EXPECT_NE(js.find("\"num_Uturns\":2,\"Uturns\":[{\"index\":1,\"nt1\":\"A.U33\",\"nt2\":\"A.A36\","),
            std::string::npos);
  EXPECT_NE(js.find("\"num_UAloops\":"), std::string::npos);
}

}  // namespace
}  // namespace vask
