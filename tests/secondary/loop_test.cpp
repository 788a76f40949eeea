// Loops as closed walks: bulges, internal loops, junctions and the special
// cases on made-up chains; the loops of tRNA-Phe, the P4-P6 domain, the
// adenine riboswitch and loop E of 5S rRNA; the report sections and files.
#include "secondary/loop.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "secondary/hairpin.hpp"
#include "secondary/helix_fixture.hpp"
#include "secondary/made_up_chain.hpp"
#include "secondary/xref.hpp"
#include "structure/residue.hpp"
#include "support/settings.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

class LoopChain : public test::MadeUpChainTest {
 protected:
  void find() {
    helix_slots hs = slots();
    hairpin_slots hp{nh_, hairpins_, nh2_, embedding_};
    find_hairpins(mol_, hs, hp);
    loop_slots out{n_, loops_, hl_, bl_, il_, jc_};
    find_loops(mol_, hs, out);
  }
  // The loops other than hairpin loops, as their texts.
  std::vector<std::string> texts() const {
    std::vector<std::string> v;
    for (long i = 1; i <= n_; ++i)
      if (!loops_[i].is_hairpin) v.push_back(loops_[i].text);
    return v;
  }
  const loop* first_of(long loop::*flag) const {
    for (long i = 1; i <= n_; ++i)
      if (loops_[i].*flag) return &loops_[i];
    return nullptr;
  }
  long n_ = 0, hl_ = 0, bl_ = 0, il_ = 0, jc_ = 0, nh_ = 0, nh2_ = 0;
  std::vector<loop> loops_;
  std::vector<hairpin> hairpins_, embedding_;
};

using S = std::vector<std::string>;

TEST_F(LoopChain, a_single_stem_gives_one_hairpin_loop_and_nothing_else) {
  make(20);
  add_stem(2, 14, 3);
  find();
  ASSERT_EQ(n_, 1);
  EXPECT_EQ(hl_, 1);
  EXPECT_EQ(bl_ + il_ + jc_, 0);
  const loop& L = loops_[1];
  EXPECT_EQ(L.text, "hairpin loop: nts=9; [7]; linked by [#1]");
  EXPECT_EQ(L.summary, "[1] 7 [A.4 A.12] 3");
  EXPECT_EQ(L.nts, (std::vector<long>{0, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(L.bridges[1].nt1, 12);
  EXPECT_EQ(L.bridges[1].nt2, 4);
  EXPECT_EQ(mol_.residues[8].flag[rf::hairpin_loop], 1);
  EXPECT_EQ(mol_.residues[8].flag[rf::in_loop], 1);
  EXPECT_EQ(mol_.residues[3].flag[rf::in_loop], 0);
}

// Stem 1 outside, stem 2 inside, with x unpaired nucleotides on the 5' side
// and y on the 3' side between them; stem 2 closes a hairpin of 5.
struct two_stem_case {
  long x, y;
  const char* text;
  long loop::*flag;
};

TEST_F(LoopChain, two_stems_give_a_bulge_or_an_internal_loop) {
  const two_stem_case cases[] = {
      {1, 0, "bulge: nts=5; [1,0]; linked by [#1,#2]", &loop::is_bulge},
      {0, 3, "bulge: nts=7; [0,3]; linked by [#1,#2]", &loop::is_bulge},
      {1, 1, "symmetric internal loop: nts=6; [1,1]; linked by [#1,#2]", &loop::is_symmetric},
      {2, 3, "asymmetric internal loop: nts=9; [2,3]; linked by [#1,#2]", &loop::is_asymmetric},
  };
  for (const two_stem_case& c : cases) {
    SCOPED_TRACE(c.text);
    const long n = 3 + c.x + 3 + 5 + 3 + c.y + 3;
    make(n);
    add_stem(1, n, 3);
    add_stem(4 + c.x, n - 3 - c.y, 3);
    find();
    EXPECT_EQ(texts(), S{c.text});
    const loop* L = first_of(c.flag);
    ASSERT_NE(L, nullptr);
    EXPECT_EQ(L->num_bridges, 2);
    EXPECT_EQ(L->bridges[1].num_loop_nts + L->bridges[2].num_loop_nts, c.x + c.y);
    EXPECT_EQ(L->type_index, 1);
    EXPECT_EQ(L->distinct, 1);
  }
}

TEST_F(LoopChain, bulge_summary_and_marks) {
  make(26);
  add_stem(1, 26, 3);  // 1-3 with 24-26
  add_stem(5, 23, 3);  // 5-7 with 21-23; 4 bulges out
  find();
  ASSERT_EQ(bl_, 1);
  const loop& L = *first_of(&loop::is_bulge);
  EXPECT_EQ(L.nts, (std::vector<long>{0, 3, 4, 5, 23, 24}));
  EXPECT_EQ(L.summary, "[2] 1 0 [A.3 A.24 A.5 A.23] 3 3");
  EXPECT_EQ(mol_.residues[4].flag[rf::bulge], L.index);
  EXPECT_EQ(mol_.residues[4].flag[rf::bulge_number], 1);
  EXPECT_EQ(mol_.residues[4].flag[rf::in_loop], 1);
  EXPECT_EQ(mol_.residues[3].flag[rf::loop_closing], 1);
}

TEST_F(LoopChain, stacked_closing_pairs_are_a_special_case_not_a_loop) {
  make(20);
  add_stem(1, 20, 3);  // 1-3 with 18-20
  add_stem(4, 17, 3);  // 4-6 with 15-17: stacked on stem 1 with no gap
  find();
  EXPECT_EQ(texts(), S{});
  EXPECT_EQ(hl_, 1);
}

TEST_F(LoopChain, three_way_junction_with_an_empty_bridge) {
  make(30);
  add_stem(1, 30, 3);   // 1-3 with 28-30
  add_stem(5, 15, 3);   // 5-7 with 13-15
  add_stem(16, 26, 3);  // 16-18 with 24-26, right after stem 2
  find();
  EXPECT_EQ(texts(), S{"3-way junction: nts=8; [1,0,1]; linked by [#1,#2,#3]"});
  EXPECT_EQ(jc_, 1);
  EXPECT_EQ(hl_, 2);
  const loop& L = *first_of(&loop::is_junction);
  EXPECT_EQ(L.nts, (std::vector<long>{0, 3, 4, 5, 15, 16, 26, 27, 28}));
  EXPECT_EQ(L.summary, "[3] 1 0 1 [A.3 A.28 A.5 A.15 A.16 A.26] 3 3 3");
}

TEST_F(LoopChain, four_way_junction_of_a_cloverleaf) {
  make(50);
  add_stem(1, 50, 3);   // 1-3 with 48-50
  add_stem(5, 15, 3);   // hairpin 8-12
  add_stem(16, 26, 3);  // no nucleotide after stem 2
  add_stem(29, 45, 3);  // 29-31 with 43-45
  find();
  EXPECT_EQ(texts(), S{"4-way junction: nts=13; [1,0,2,2]; linked by [#1,#2,#3,#4]"});
  EXPECT_EQ(hl_, 3);
  EXPECT_EQ(mol_.residues[27].flag[rf::junction_number], 1);
}

TEST_F(LoopChain, isolated_pair_closes_a_hairpin_loop_unless_left_out) {
  make(12);
  add_icpair(3, 9);
  find();
  ASSERT_EQ(n_, 1);
  EXPECT_EQ(loops_[1].text, "hairpin loop: nts=7; [5]; linked by [#-1]");
  EXPECT_EQ(loops_[1].summary, "[1] 5 [A.3 A.9] 1");
  mutable_gvars().isolated = 1;
  find();
  EXPECT_EQ(n_, 0);
}

TEST_F(LoopChain, angles_between_pairs_fold_to_ninety) {
  pair p1, p2;
  p1.frame.z_axis = {0, 0, 0, 1};
  p2.frame.z_axis = {0, 0, 0, -1};
  EXPECT_NEAR(get_angle_between_pairs(p1, p2), 0.0, 1e-9);
  p2.frame.z_axis = {0, 1, 0, 0};
  EXPECT_NEAR(get_angle_between_pairs(p1, p2), 90.0, 1e-9);
}

class LoopMolecules : public test::HelixTest {
 protected:
  void find(const std::string& name) {
    analyse(name);
    helix_slots slots = helix_slots_of(results_);
    hairpin_slots hp = hairpin_slots_of(results_);
    find_hairpins(mol_, slots, hp);
    loop_slots ls = loop_slots_of(results_);
    find_loops(mol_, slots, ls);
  }
  std::string section() {
    FILE* fp = std::tmpfile();
    helix_slots slots = helix_slots_of(results_);
    mutable_gvars().auxfiles = 0;
    output_loops_info(mol_, slots, hairpin_slots_of(results_), loop_slots_of(results_), fp);
    const std::string text = test::read_stream(fp);
    std::fclose(fp);
    return text;
  }
};

TEST_F(LoopMolecules, trna_has_three_hairpin_loops_and_a_four_way_junction) {
  mutable_gvars().isolated = 1;  // G19-C56 left out of the loops
  find("1ehz.pdb");
  EXPECT_EQ(results_.num_hairpin_loops, 3);
  EXPECT_EQ(results_.num_junctions, 1);
  EXPECT_EQ(results_.num_bulges + results_.num_iloops, 0);
  const std::string text = section();
  EXPECT_NE(text.find("List of 1 junction\n"
                      "   1 4-way junction: nts=16; [2,1,5,0]; linked by [#1,#2,#3,#4]\n"
                      "     summary: [4] 2 1 5 0 [A.7 A.66 A.10 A.25 A.27 A.43 A.49 A.65] 7 4 4 5\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("       nts=5 AGgUC A.A44,A.G45,A.7MG46,A.U47,A.C48\n       nts=0\n"), std::string::npos);
}

TEST_F(LoopMolecules, trna_walk_through_G19_C56_masks_the_pair_and_traces_again) {
  find("1ehz.pdb");  // isolated pairs close loops
  long g19 = 0, c56 = 0;
  for (long k = 1; k <= mol_.num_residues; ++k) {
    if (mol_.residues[k].res_seq == 19) g19 = k;
    if (mol_.residues[k].res_seq == 56) c56 = k;
  }
  EXPECT_EQ(mol_.residues[g19].flag[rf::loop_masked], 1);
  EXPECT_EQ(mol_.residues[c56].flag[rf::loop_masked], 1);
  EXPECT_EQ(results_.num_hairpin_loops, 3);
  EXPECT_EQ(results_.num_junctions, 1);
  EXPECT_EQ(results_.num_loops, 4);
}

TEST_F(LoopMolecules, junction_closed_twice_by_one_stem_is_marked_or_left_unnumbered) {
  find("1y26.pdb");
  const long junctions = results_.num_junctions;
  const loop* twice = nullptr;
  for (long i = 1; i <= results_.num_loops; ++i)
    if (results_.loops[i].is_junction && !results_.loops[i].distinct) twice = &results_.loops[i];
  ASSERT_NE(twice, nullptr);
  EXPECT_GT(twice->type_index, 0);
  EXPECT_NE(section().find("   2* 4-way junction: nts=20; [6,5,0,1]; linked by [#2,#3,#4,#3]\n"), std::string::npos);
  mutable_gvars().json = 1;
  EXPECT_NE(section().find("\"is_repeated\":true"), std::string::npos);
  mutable_gvars().json = 0;

  mutable_gvars().loop[3] = 1;  // --loop=no-pknot
  find("1y26.pdb");
  EXPECT_EQ(results_.num_junctions, junctions - 1);
  long unnumbered = 0;
  for (long i = 1; i <= results_.num_loops; ++i)
    unnumbered += results_.loops[i].is_junction && results_.loops[i].type_index == 0;
  EXPECT_EQ(unnumbered, 1);
  EXPECT_EQ(section().find("4-way junction: nts=20"), std::string::npos);
}

TEST_F(LoopMolecules, p4_p6_domain_has_bulges_internal_loops_and_its_three_way_junction) {
  find("1gid.pdb");
  EXPECT_GT(results_.num_bulges, 0);
  EXPECT_GT(results_.num_iloops, 0);
  ASSERT_EQ(results_.num_junctions, 2);  // one per copy of the domain
  for (long i = 1; i <= results_.num_loops; ++i) {
    const loop& L = results_.loops[i];
    if (L.is_junction) {
      EXPECT_EQ(L.num_bridges, 3) << L.text;
    }
  }
  // the GAAA tetraloop of P5b
  bool gaaa = false;
  for (long h = 1; h <= results_.num_hairpins; ++h) {
    const hairpin& H = results_.hairpins[h];
    std::string letters;
    for (long m = 2; m < H.num_nts; ++m) letters += mol_.residues[H.nts[m]].letter;
    gaaa = gaaa || letters == "GAAA";
  }
  EXPECT_TRUE(gaaa);
}

TEST_F(LoopMolecules, adenine_riboswitch_three_way_junction) {
  mutable_gvars().isolated = 1;
  find("1y26.pdb");
  long three_way = 0;
  for (long i = 1; i <= results_.num_loops; ++i)
    three_way += results_.loops[i].is_junction && results_.loops[i].num_bridges == 3;
  EXPECT_EQ(three_way, 1);
}

TEST_F(LoopMolecules, loop_E_internal_loop_holds_sheared_GA_pairs) {
  find("354d.pdb");
  ASSERT_EQ(results_.num_iloops, 1);
  const loop& L = *std::find_if(results_.loops.begin() + 1, results_.loops.end(),
                                [](const loop& x) { return x.is_internal != 0; });
  EXPECT_GT(L.num_sheared_GA, 0);
  EXPECT_EQ(L.text, "symmetric internal loop: nts=18; [7,7]; linked by [#1,#2]");
}

TEST_F(LoopMolecules, json_sections_carry_the_loop_keys) {
  find("1gid.pdb");
  mutable_gvars().json = 1;
  const std::string text = section();
  for (const char* key : {"\"num_hairpins\":", "\"hairpins\":[", "\"num_bulges\":", "\"bulges\":[",
                          "\"num_iloops\":", "\"iloops\":[", "\"num_junctions\":2", "\"junctions\":[",
                          "\"type\":\"3-way junction\"", "\"bridging_nts\":[", "\"stem_indices\":[",
                          "\"num_stems\":3", "\"bridges\":[{\"index\":1,"})
    EXPECT_NE(text.find(key), std::string::npos) << key;
  EXPECT_EQ(text.find("gHairpins"), std::string::npos);  // only at verbosity 2
}

}  // namespace
}  // namespace vask
