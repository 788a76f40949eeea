// Single-stranded segments and kissing loops on made-up chains: dangling
// ends as two segments, loops excluded; two hairpins whose loops pair.
#include "secondary/ss_segment.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "secondary/loop.hpp"
#include "secondary/made_up_chain.hpp"
#include "structure/residue.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

class SsChain : public test::MadeUpChainTest {
 protected:
  void find() {
    helix_slots hs = slots();
    hairpin_slots hp{nh_, hairpins_, nh2_, embedding_};
    find_hairpins(mol_, hs, hp);
    long hl = 0, bl = 0, il = 0, jc = 0;
    loop_slots ls{nl_, loops_, hl, bl, il, jc};
    find_loops(mol_, hs, ls);
    ss_slots ss{ns_, segs_, nk_, kissing_};
    find_ssSegs(mol_, ss);
    find_kissing_loops(mol_, nh_, hairpins_, ss);
  }
  std::vector<std::vector<long>> segments() const {
    std::vector<std::vector<long>> v;
    for (long s = 1; s <= ns_; ++s) v.emplace_back(segs_[s].nts.begin() + 1, segs_[s].nts.end());
    return v;
  }
  long nh_ = 0, nh2_ = 0, nl_ = 0, ns_ = 0, nk_ = 0;
  std::vector<hairpin> hairpins_, embedding_;
  std::vector<loop> loops_;
  std::vector<ss_segment> segs_;
  std::vector<kissing_loop> kissing_;
};

using V = std::vector<std::vector<long>>;

TEST_F(SsChain, dangling_ends_are_two_segments_and_loops_are_none) {
  make(20);
  add_stem(5, 15, 3);  // 5-7 with 13-15, hairpin 8-12
  find();
  EXPECT_EQ(segments(), (V{{1, 2, 3, 4}, {16, 17, 18, 19, 20}}));
  EXPECT_EQ(mol_.residues[2].flag[rf::ss_non_loop], 1);
  EXPECT_EQ(mol_.residues[10].flag[rf::ss_non_loop], 0);
  EXPECT_EQ(nk_, 0);  // one hairpin kisses nothing
  FILE* fp = std::tmpfile();
  output_ssSegs_info(mol_, {ns_, segs_, nk_, kissing_}, fp);
  const std::string text = test::read_stream(fp);
  std::fclose(fp);
  EXPECT_NE(text.find("List of 2 non-loop single-stranded segments\n   1 nts=4"), std::string::npos) << text;
}

TEST_F(SsChain, a_segment_ends_at_the_chain_boundary) {
  make(12);
  add_stem(1, 9, 2);  // 1-2 with 8-9, hairpin 3-7
  for (long k = 11; k <= 12; ++k) mol_.residues[k].key = mol_.residues[k].chain_id = "B";
  unlink(10, 11);
  find();
  EXPECT_EQ(segments(), (V{{10}, {11, 12}}));
}

TEST_F(SsChain, hairpin_loops_paired_through_an_isolated_pair_kiss) {
  make(40);
  add_stem(2, 14, 3);   // hairpin 4-12
  add_stem(20, 32, 3);  // hairpin 22-30
  add_icpair(8, 26);    // loop to loop
  find();
  ASSERT_EQ(nh_, 3);  // the isolated pair closes a hairpin of its own, 8-26, listed second
  ASSERT_EQ(nk_, 1);
  EXPECT_EQ(kissing_[1].stem_index, -1);
  EXPECT_EQ(kissing_[1].hairpin1, 1);
  EXPECT_EQ(kissing_[1].hairpin2, 3);
  EXPECT_EQ(mol_.residues[10].flag[rf::kissing_loop], 1);
  EXPECT_EQ(mol_.residues[16].flag[rf::kissing_loop], 0);
  mutable_gvars().json = 1;
  FILE* fp = std::tmpfile();
  output_kissing_loops(mol_, hairpins_, {ns_, segs_, nk_, kissing_}, fp);
  const std::string js = test::read_stream(fp);
  std::fclose(fp);
  EXPECT_EQ(js, "\"num_kissingLoops\":1,\"kissingLoops\":[{\"index\":1,\"stem_index\":-1,\"is_isoCanonPair\":true,"
                "\"hairpin_indices\":[1,3]}],");
}

}  // namespace
}  // namespace vask
