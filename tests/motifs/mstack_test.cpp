// Multiplet stacks: the order of segment records, the trimming of crowded
// neighbour sets, the tetrads and triad of a quadruplex piled in one
// segment, and the two model files of --stack-ens (PDB and mmCIF).
#include "motifs/motif_fixture.hpp"
#include "motifs/mstack.hpp"
#include "motifs/multiplet.hpp"
#include "structure/struct_mol.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>


namespace vask {
namespace {

using MstackTest = test::MotifTest;

long count_of(const std::string& text, const std::string& what) {
  long n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

TEST_F(MstackTest, segment_order_and_trimming) {
  mstack a, b, c;
  a.num_multiplets = 2;
  a.multiplets = {2, 3, 4};
  b.num_multiplets = 2;
  b.multiplets = {2, 3, 5};
  c.num_multiplets = 3;
  c.multiplets = {3, 1, 2, 6};
  EXPECT_LT(mstack_compare(a, b), 0);
  EXPECT_LT(mstack_compare(b, c), 0);
  EXPECT_EQ(mstack_compare(a, a), 0);

  // multiplet 1 stacked on 2, 3 and 4: with no overlap to tell them apart it
  // keeps the first two, and 4 loses its link back
  struct_mol mol = test::make_bare_nts(4);
  std::vector<connect> mps(5), nb = allocate_connects_array(4);
  for (long k = 1; k <= 4; ++k) mps[k].append(k);
  for (long k = 2; k <= 4; ++k) {
    nb[1].append(k);
    nb[k].append(1);
  }
  check_multiplet_2stacks(4, nb, mol, mps);
  EXPECT_EQ(nb[1].count, 2);
  EXPECT_EQ(nb[1][1], 2);
  EXPECT_EQ(nb[1][2], 3);
  EXPECT_EQ(nb[4].count, 0);
  EXPECT_EQ(nb[2].count, 1);
}

TEST_F(MstackTest, quadruplex_layers_pile_into_one_segment) {
  load("1i34-assembly1.cif");
  motif_measures m(mol_);
  long n = 0;
  std::vector<connect> mps;
  find_multiplets(mol_, num_pairs_, pairs_, m, n, mps);
  ASSERT_EQ(n, 3);  // the G-(T-T) triad and two G-tetrads
  const std::vector<frame> frames = get_mframes(mol_, n, mps);
  EXPECT_TRUE(two_multiplets_in_stack(1, 2, mps, frames, mol_));
  EXPECT_TRUE(two_multiplets_in_stack(2, 3, mps, frames, mol_));
  EXPECT_FALSE(two_multiplets_in_stack(1, 3, mps, frames, mol_));  // two layers apart
  long count = 0;
  std::vector<mstack> segs;
  find_mpSegs(mol_, n, mps, count, segs);  // --stack-ens off: no file
  ASSERT_EQ(count, 1);
  EXPECT_EQ(segs[1].multiplets, (std::vector<long>{3, 1, 2, 3}));
  EXPECT_EQ(segs[1].num_nts, 11);
  EXPECT_EQ(segs[1].num_repeated, 0);
  // the segment frame lies between the outer layers, its z along the pile
  const double d1 = dist_xyz(segs[1].mframe.org, frames[1].org);
  const double d3 = dist_xyz(segs[1].mframe.org, frames[3].org);
  EXPECT_NEAR(d1, d3, 0.5);
}

TEST_F(MstackTest, stacking_ensembles_on_request) {
  test::ExeRun exe({"1i34-assembly1.cif"});
  ASSERT_EQ(exe.run("-i=1i34-assembly1.cif -o=plain.txt"), 0) << exe.file("stderr.txt");
  EXPECT_FALSE(exe.exists("vask-multipletSegments.pdb"));
  EXPECT_FALSE(exe.exists("vask-stackingMultiplets.pdb"));
  ASSERT_EQ(exe.run("-i=1i34-assembly1.cif -o=out.txt --stack-ens"), 0);
  const std::string segs = exe.file("vask-multipletSegments.pdb");
  EXPECT_EQ(segs.rfind("MODEL        1\nREMARK    multiplets=3  nts=11\n"
                       "REMARK       1 nts=3 GTT A.DG13,A.DT16,A.DT17\n",
                       0),
            0u)
      << segs.substr(0, 300);
  const std::string stk = exe.file("vask-stackingMultiplets.pdb");
  EXPECT_EQ(count_of(stk, "MODEL "), 2);
  EXPECT_NE(stk.find("REMARK multiplets: 2 vs 3\nREMARK layer1-ids: GGGG A.DG1,A.DG8,A.DG12,A.DG18\n"
                     "REMARK   select layer1, ///A/1 OR ///A/8 OR ///A/12 OR ///A/18\n"),
            std::string::npos)
      << stk.substr(0, 600);
  exe.expect_gemmi_models("vask-multipletSegments.pdb", 1);
  exe.expect_gemmi_models("vask-stackingMultiplets.pdb", 2);
  ASSERT_EQ(exe.run("-i=1i34-assembly1.cif -o=out.txt --stack-ens --format-output=mmcif"), 0);
  EXPECT_NE(exe.file("vask-stackingMultiplets.cif").find("### multiplets: 1 vs 2\n### LOWER: GTT "),
            std::string::npos);
  exe.expect_gemmi_models("vask-stackingMultiplets.cif", 2);
}

}  // namespace
}  // namespace vask
