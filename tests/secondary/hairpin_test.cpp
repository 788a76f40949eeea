// Hairpin loops: the rules on small made-up chains (own-stem paths, pairs
// inside the loop, kissing contacts, isolated pairs as closers, embedding
// hairpins) and the three loops of tRNA-Phe with their report section.
#include "secondary/hairpin.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "secondary/helix_fixture.hpp"
#include "secondary/made_up_chain.hpp"
#include "secondary/xref.hpp"
#include "structure/residue.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

class HairpinChain : public test::MadeUpChainTest {
 protected:
  void find() {
    helix_slots hs = slots();
    hairpin_slots out{n_, hairpins_, n2_, embedding_};
    find_hairpins(mol_, hs, out);
  }
  // closing key and the first and last nucleotide of each hairpin
  std::vector<std::vector<long>> summary() const {
    std::vector<std::vector<long>> v;
    for (long h = 1; h <= n_; ++h)
      v.push_back({hairpins_[h].key, hairpins_[h].nts[1], hairpins_[h].nts[hairpins_[h].num_nts]});
    return v;
  }
  long n_ = 0, n2_ = 0;
  std::vector<hairpin> hairpins_, embedding_;
};

using V = std::vector<std::vector<long>>;

TEST_F(HairpinChain, only_the_inner_end_pair_closes_a_loop) {
  make(20);
  add_stem(2, 14, 3);  // 2-4 with 12-14
  find();
  ASSERT_EQ(n_, 1);
  EXPECT_EQ(summary(), (V{{1, 4, 12}}));
  const hairpin& h = hairpins_[1];
  EXPECT_EQ(h.num_nts, 9);
  EXPECT_EQ(h.num_loop_nts, 7);
  EXPECT_EQ(h.in_order, 1);
  EXPECT_EQ(h.text, "hairpin loop: nts=9; [7]; linked by [#1]");
  EXPECT_EQ(h.summary, "[1] 7 [A.4 A.12] 3");
  for (long k = 4; k <= 12; ++k) {
    EXPECT_EQ(mol_.residues[k].flag[rf::hairpin], 1);
    EXPECT_EQ(mol_.residues[k].flag[rf::hairpin_count], 1);
  }
  EXPECT_EQ(mol_.residues[3].flag[rf::hairpin], 0);
  EXPECT_EQ(mol_.residues[4].flag[rf::loop_closing], 1);
  EXPECT_EQ(mol_.residues[12].flag[rf::loop_closing], 1);
  EXPECT_EQ(mol_.residues[5].flag[rf::loop_closing], 0);
}

TEST_F(HairpinChain, one_nucleotide_loop) {
  make(8);
  add_stem(2, 6, 2);  // 2-3 with 5-6
  find();
  ASSERT_EQ(n_, 1);
  EXPECT_EQ(hairpins_[1].num_nts, 3);
  EXPECT_EQ(hairpins_[1].num_loop_nts, 1);
}

TEST_F(HairpinChain, no_backbone_path_no_hairpin) {
  make(20);
  add_stem(2, 14, 3);
  unlink(8, 9);
  test::log_capture log;
  find();
  EXPECT_EQ(n_, 0);
  EXPECT_EQ(log.text().find("hairpin loops"), std::string::npos);
}

TEST_F(HairpinChain, a_pair_inside_the_loop_rejects_it_a_kissing_contact_does_not) {
  make(60);
  add_stem(1, 20, 2);   // 1: 1-2 with 19-20, loop 3..18
  add_icpair(8, 12);    // -1: wholly inside stem 1's loop
  add_stem(25, 46, 2);  // 2: 25-26 with 45-46
  add_stem(50, 58, 2);  // 3: 50-51 with 57-58, loop 52..56
  add_icpair(16, 54);   // -2: from stem 1's loop to stem 3's, across stem 2
  find();
  // isolated pairs close loops and count as partners: the pair 8-12 closes
  // its own loop and keeps stem 1 from closing one; the kissing pair leaves
  // stem 3's loop alone and closes none (stem 2 lies inside its path)
  EXPECT_EQ(summary(), (V{{-1, 8, 12}, {2, 26, 45}, {3, 51, 57}}));

  mutable_gvars().isolated &= ~2L;  // isolated pairs neither close loops nor count as partners
  find();
  EXPECT_EQ(summary(), (V{{1, 2, 19}, {2, 26, 45}, {3, 51, 57}}));
}

TEST_F(HairpinChain, embedding_hairpin_encloses_one_stem_closed_hairpin) {
  mutable_gvars().embedded = 1;
  make(50);
  add_stem(1, 30, 2);   // A: 1-2 with 29-30, enclosing B
  add_stem(10, 20, 2);  // B: 10-11 with 19-20
  add_stem(35, 43, 2);  // C: a second simple hairpin
  find();
  EXPECT_EQ(summary(), (V{{2, 11, 19}, {3, 36, 42}}));
  ASSERT_EQ(n2_, 1);
  const hairpin& e = embedding_[1];
  EXPECT_EQ(e.key, 1);
  EXPECT_EQ(e.is_embedding, 1);
  EXPECT_EQ(e.nts[1], 2);
  EXPECT_EQ(e.nts[e.num_nts], 29);
  ASSERT_EQ(e.links.count, 1);
  EXPECT_EQ(e.links[1], 1);
  EXPECT_EQ(hairpins_[1].embed_count, 1);
  ASSERT_EQ(hairpins_[1].links.count, 1);
  EXPECT_EQ(hairpins_[1].links[1], 1);
  EXPECT_EQ(hairpins_[2].embed_count, 0);

  FILE* fp = std::tmpfile();
  show_hairpin_nts(n_, hairpins_, mol_, false, fp);
  show_hairpin_nts(n2_, embedding_, mol_, true, fp);
  const std::string text = test::read_stream(fp);
  std::fclose(fp);
  EXPECT_NE(text.find("   1 hairpin loop: nts=9; [7]; linked by [#2]  embedded into 1: [#1]\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("List of 1 embedding hairpin loop\n"), std::string::npos) << text;
  EXPECT_NE(text.find("linked by [#1]  embedding 1: [#1]\n"), std::string::npos) << text;
}

TEST_F(HairpinChain, size_key_sorts_small_loops_first) {
  make(60);
  add_stem(1, 20, 2);   // loop of 16
  add_stem(30, 36, 2);  // loop of 3
  find();
  EXPECT_EQ(summary(), (V{{1, 2, 19}, {2, 31, 35}}));
  mutable_gvars().loop[1] = 1;
  find();
  EXPECT_EQ(summary(), (V{{2, 31, 35}, {1, 2, 19}}));
}

class HairpinMolecules : public test::HelixTest {};

TEST_F(HairpinMolecules, trna_has_the_D_anticodon_and_T_loops) {
  analyse("1ehz.pdb");
  helix_slots slots = helix_slots_of(results_);
  hairpin_slots out = hairpin_slots_of(results_);
  find_hairpins(mol_, slots, out);
  ASSERT_EQ(results_.num_hairpins, 3);
  struct want {
    long first, last, loop;
    const char* summary;
  };
  const want loops[] = {{13, 22, 8, "[1] 8 [A.13 A.22] 4"},
                        {30, 40, 9, "[1] 9 [A.30 A.40] 4"},
                        {53, 61, 7, "[1] 7 [A.53 A.61] 5"}};
  for (long h = 1; h <= 3; ++h) {
    const hairpin& H = results_.hairpins[h];
    const want& w = loops[h - 1];
    EXPECT_EQ(mol_.residues[H.nt1].res_seq, w.first);
    EXPECT_EQ(mol_.residues[H.nt2].res_seq, w.last);
    EXPECT_EQ(H.num_loop_nts, w.loop);
    EXPECT_EQ(H.summary, w.summary);
    EXPECT_GT(H.key, 0);  // closed by a stem
  }
  FILE* fp = std::tmpfile();
  output_hairpins_info(mol_, out, fp);
  const std::string text = test::read_stream(fp);
  std::fclose(fp);
  EXPECT_NE(text.find("Note: for the various types of loops listed below"), std::string::npos);
  EXPECT_NE(text.find("List of 3 hairpin loops\n   1 hairpin loop: nts=10; [8]; linked by [#2]\n"
                      "     summary: [1] 8 [A.13 A.22] 4\n"
                      "     nts=10 CAGuuGGGAG A.C13,A.A14,A.G15,A.H2U16,A.H2U17,A.G18,A.G19,A.G20,A.A21,A.G22\n"
                      "       nts=8 AGuuGGGA A.A14,A.G15,A.H2U16,A.H2U17,A.G18,A.G19,A.G20,A.A21\n"),
            std::string::npos)
      << text;
}

}  // namespace
}  // namespace vask
