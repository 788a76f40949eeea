// Dot-bracket levels: the crossing test on hand-made units, the elimination
// and add-back rules on small made-up chains of nucleotides, and real
// molecules (the tRNA cloverleaf with its one level-2 pair, the nested
// option, an H-type pseudoknot with its three loops).
#include "secondary/pknot.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "secondary/hairpin.hpp"
#include "secondary/helix_fixture.hpp"
#include "secondary/made_up_chain.hpp"
#include "secondary/xref.hpp"
#include "structure/residue.hpp"

namespace vask {
namespace {

class MadeUpChain : public test::MadeUpChainTest {
 protected:
  std::string derive() {
    helix_slots hs = slots();
    derive_dbn_with_pknots(mol_, hs, state_);
    std::string dbn;
    for (long k = 1; k <= mol_.num_residues; ++k) dbn += mol_.residues[k].dbn;
    return dbn;
  }
  dbn_state state_;
};

TEST(PknotBrackets, levels_one_to_thirty_then_z) {
  EXPECT_EQ(dbn_open_bracket(1), '(');
  EXPECT_EQ(dbn_close_bracket(2), ']');
  EXPECT_EQ(dbn_open_bracket(3), '{');
  EXPECT_EQ(dbn_close_bracket(4), '>');
  EXPECT_EQ(dbn_open_bracket(5), 'A');
  EXPECT_EQ(dbn_close_bracket(30), 'z');
  EXPECT_EQ(dbn_open_bracket(31), 'Z');
  EXPECT_EQ(dbn_close_bracket(99), 'z');
}

// Units from (outer 5', outer 3', bps) on one chain.
stemIP unit(long outer5, long outer3, long bps) {
  stemIP u;
  u.bps = bps;
  u.strand1.assign(1, 0);
  u.strand2.assign(1, 0);
  for (long k = 1; k <= bps; ++k) {
    u.strand1.push_back(outer5 + k - 1);
    u.strand2.push_back(outer3 - bps + k);
  }
  return u;
}

TEST(PknotConflict, crossing_table) {
  struct_mol mol = test::make_bare_nts(80);
  struct row {
    stemIP a, b;
    bool crosses;
    const char* what;
  };
  const row rows[] = {
      {unit(1, 20, 3), unit(30, 40, 3), false, "one after the other"},
      {unit(1, 40, 3), unit(10, 20, 3), false, "nested in the loop"},
      {unit(1, 20, 3), unit(10, 30, 3), true, "classic pseudoknot"},
      {unit(10, 30, 3), unit(1, 20, 3), true, "the same, other argument order"},
      {unit(1, 20, 5), unit(8, 40, 1), true, "isolated pair into the loop"},
  };
  for (const row& r : rows) {
    dbn_state st;
    EXPECT_EQ(has_conflict(r.a, r.b, mol, st), r.crosses) << r.what;
    EXPECT_EQ(st.wrong_order, 0) << r.what;
    EXPECT_EQ(st.cross_chain_conflicts, 0) << r.what;
  }
  // crossing units whose four inner ends lie on four chains
  for (long k = 1; k <= 80; ++k) mol.residues[k].key = "chain" + std::to_string(k / 10);
  dbn_state st;
  EXPECT_TRUE(has_conflict(unit(1, 25, 1), unit(12, 38, 1), mol, st));
  EXPECT_EQ(st.cross_chain_conflicts, 1);
}

TEST_F(MadeUpChain, units_that_never_cross_are_all_level_one) {
  make(30);
  add_stem(1, 30, 3);
  add_stem(5, 12, 2);
  add_stem(15, 25, 3);
  EXPECT_EQ(derive(), "(((.((....))..(((.....)))..)))");
  EXPECT_EQ(state_.order, 0);
  EXPECT_EQ(mol_.residues[5].flag[rf::pknot], 0);
}

TEST_F(MadeUpChain, the_smaller_of_two_crossing_stems_is_level_two) {
  make(40);
  add_stem(1, 20, 5);   // gain 5 - 3 = 2
  add_stem(10, 30, 3);  // gain 3 - 5 = -2: eliminated, not added back
  EXPECT_EQ(derive(), "(((((....[[[...))))).......]]]..........");
  EXPECT_EQ(state_.order, 1);
  for (long k : {10L, 11L, 12L}) EXPECT_EQ(mol_.residues[k].flag[rf::pknot], 40 - k);
  EXPECT_EQ(mol_.residues[1].flag[rf::pknot], 0);
}

TEST_F(MadeUpChain, of_two_equal_crossing_stems_the_later_one_goes) {
  make(40);
  add_stem(1, 20, 3);   // range 18 - 3 - 1 = 14
  add_stem(10, 29, 3);  // range 27 - 12 - 1 = 14
  EXPECT_EQ(derive(), "(((......[[[.....)))......]]]...........");
  EXPECT_EQ(state_.order, 1);
}

TEST_F(MadeUpChain, an_isolated_pair_crossing_a_stem_is_level_two) {
  make(30);
  add_stem(1, 20, 4);
  add_icpair(8, 25);
  EXPECT_EQ(derive(), "((((...[........))))....].....");
  EXPECT_EQ(state_.order, 1);
}

TEST_F(MadeUpChain, a_unit_inside_an_eliminated_loop_goes_before_an_equal_one_outside) {
  // B crosses A and E and goes first; D lies in B's loop and crosses E, which
  // spans more (a larger range alone would make E go): D goes.
  make(80);
  add_stem(1, 15, 5);  // A: 1-5 with 11-15
  add_icpair(8, 70);   // B
  add_icpair(30, 50);  // D
  add_icpair(45, 75);  // E
  const std::string dbn = derive();
  EXPECT_EQ(dbn[29], '[');  // D
  EXPECT_EQ(dbn[44], '(');  // E
  EXPECT_EQ(dbn[7], '[');   // B
  EXPECT_EQ(state_.order, 1);
}

TEST_F(MadeUpChain, a_knot_joining_two_chains_makes_the_order_negative) {
  make(40);
  for (long k = 31; k <= 40; ++k) mol_.residues[k].key = "B";
  mol_.residues[30].linked.clear();
  mol_.residues[30].linked.append(29);
  mol_.residues[31].linked.clear();
  mol_.residues[31].linked.append(32);
  add_stem(1, 20, 5);
  add_icpair(10, 35);
  derive();
  EXPECT_EQ(state_.order, -1);
  EXPECT_EQ(state_.cross_chain_pknots, 2);
}

TEST_F(MadeUpChain, a_full_conflict_list_is_counted) {
  // one stem crossed by 129 nested isolated pairs
  make(400);
  add_stem(1, 150, 5);
  for (long k = 0; k < 129; ++k) add_icpair(10 + k, 300 - k);
  const std::string dbn = derive();
  EXPECT_GT(state_.many_conflicts, 0);
  EXPECT_EQ(state_.order, 1);
  EXPECT_EQ(dbn.substr(0, 5), "[[[[[");  // the stem loses to the 129 pairs
  EXPECT_EQ(dbn[9], '(');
}

TEST_F(MadeUpChain, levels_beyond_thirty_share_z) {
  // 33 isolated pairs that all cross each other: one level each
  make(100);
  for (long k = 0; k < 33; ++k) add_icpair(1 + k, 50 + k);
  const std::string dbn = derive();
  EXPECT_EQ(state_.order, 32);
  EXPECT_EQ(std::count(dbn.begin(), dbn.end(), 'Z'), 4);  // levels 30 to 33
  EXPECT_EQ(std::count(dbn.begin(), dbn.end(), 'z'), 4);
  EXPECT_EQ(std::count(dbn.begin(), dbn.end(), '('), 1);
}

class PknotMolecules : public test::HelixTest {
 protected:
  std::string dbn() const {
    std::string s;
    for (long t = 1; t <= mol_.num_nts; ++t) s += mol_.residues[mol_.nt_order[t]].dbn;
    return s;
  }
  dbn_state state_;
};

TEST_F(PknotMolecules, trna_cloverleaf_with_G19_C56_on_level_two) {
  analyse("1ehz.pdb");
  helix_slots slots = helix_slots_of(results_);
  derive_dbn_with_pknots(mol_, slots, state_);
  EXPECT_EQ(dbn(), "(((((((..((((.....[..)))).((((.........)))).....(((((..]....))))))))))))....");
  EXPECT_EQ(state_.order, 1);
  EXPECT_EQ(state_.wrong_order + state_.many_conflicts + state_.cross_chain_conflicts, 0);
  const long g19 = res("A", 19), c56 = res("A", 56);
  EXPECT_EQ(mol_.residues[g19].flag[rf::pknot], c56);
  EXPECT_EQ(mol_.residues[c56].flag[rf::pknot], g19);
  EXPECT_TRUE(is_pknot(g19, mol_));
}

TEST_F(PknotMolecules, nested_option_drops_the_knotted_pair_and_derives_again) {
  mutable_gvars().auxfiles = 0;  // no pair file in the working folder the tests share
  analyse("1ehz.pdb");
  helix_slots slots = helix_slots_of(results_);
  derive_dbn_with_pknots(mol_, slots, state_);
  const long pairs_before = results_.num_pairs;
  state_.saved_order = state_.order;
  remove_pknots(mol_, slots, state_);
  EXPECT_EQ(results_.num_pairs, pairs_before - 1);
  EXPECT_EQ(results_.num_stems, 4);
  EXPECT_EQ(results_.num_isolated_pairs, 0);
  EXPECT_EQ(dbn(), "(((((((..((((........)))).((((.........)))).....(((((.......))))))))))))....");
  EXPECT_EQ(state_.order, 0);
  EXPECT_EQ(state_.saved_order, 1);
  for (long k = 1; k <= results_.num_pairs; ++k) {
    const pair& p = results_.pairs[k];
    EXPECT_FALSE(p.nt1 == res("A", 19) && p.nt2 == res("A", 56));
  }
}

TEST_F(PknotMolecules, h_type_pseudoknot_lists_its_three_loops) {
  analyse("1l3d.pdb");
  helix_slots slots = helix_slots_of(results_);
  derive_dbn_with_pknots(mol_, slots, state_);
  EXPECT_EQ(dbn(), "..(((((..[[[.))))).......]]]");
  EXPECT_EQ(state_.order, 1);
  hairpin_slots hp = hairpin_slots_of(results_);
  find_hairpins(mol_, slots, hp);
  ASSERT_EQ(results_.num_hairpins, 2);
  const std::vector<std::string> loops =
      collect_Hpknot_loops(mol_, results_.num_hairpins, results_.hairpins, results_.num_stems, results_.stems);
  ASSERT_EQ(loops.size(), 3u);
  const std::string desc = "stem#1(hairpin#1) vs stem#2(hairpin#2) ";
  EXPECT_EQ(loops[0], desc + "L1 groove=----- nts=2 CA A.C8,A.A9");
  EXPECT_EQ(loops[1], desc + "L2 groove=----- nts=1 U A.U13");
  // loop 3 runs along the minor groove of stem 1
  EXPECT_EQ(loops[2], desc + "L3 groove=minor nts=7 GAACAAA A.G19,A.A20,A.A21,A.C22,A.A23,A.A24,A.A25");
}

}  // namespace
}  // namespace vask
