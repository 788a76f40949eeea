// Base stacks of tRNA-Phe: the piles and their order, the stem rule, each
// word of the stacked-nts setting, the non-stacked list, the stack
// neighbours and the outputs.
#include "motifs/stack.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "json_check.hpp"
#include "motifs/motif_fixture.hpp"
#include "driver/option.hpp"
#include "secondary/helix_fixture.hpp"
#include "structure/residue.hpp"

namespace vask {
namespace {

class StackTest : public test::HelixTest {
 protected:
  struct result {
    long count = 0, non_stacked = 0;
    std::vector<connect> stacks;
    std::vector<long> list;
  };
  result stacks_with(long bits) {
    mutable_gvars().stacked_nts = bits;
    result r;
    find_stacks(mol_, r.count, r.stacks, r.non_stacked, r.list);
    return r;
  }
  // The stack holding residue number `number`, as file numbers; empty when none.
  std::vector<long> stack_of(const result& r, long number) const {
    for (long k = 1; k <= r.count; ++k) {
      std::vector<long> nums = numbers(r.stacks[k]);
      if (std::find(nums.begin(), nums.end(), number) != nums.end()) return nums;
    }
    return {};
  }
  bool any_stack_has_both(const result& r, long a, long b) const {
    std::vector<long> s = stack_of(r, a);
    return std::find(s.begin(), s.end(), b) != s.end();
  }
};

TEST_F(StackTest, trna_piles_in_order) {
  analyse("1ehz.pdb");
  const result r = stacks_with(STACK_ON);
  ASSERT_GE(r.count, 5);
  for (long k = 1; k <= r.count; ++k) {
    SCOPED_TRACE(k);
    const connect& s = r.stacks[k];
    EXPECT_GE(s.count, 2);
    EXPECT_LT(s[1], s[s.count]);  // read from the end with the lower residue number
    if (k > 1) {
      EXPECT_LE(r.stacks[k - 1].count, s.count);
    }
    // each member is stacked on the next
    for (long m = 1; m < s.count; ++m) EXPECT_TRUE(mol_.residues[s[m]].stack_neighbours.has(s[m + 1]));
  }
  // the anticodon loop piles from 2'-O-methyl-G34 to 5MC40
  EXPECT_EQ(stack_of(r, 36), (std::vector<long>{34, 35, 36, 37, 38, 39, 40}));
  // flipped-out D-loop bases, the variable loop U47 and the 3' end stack on nothing
  EXPECT_EQ(r.non_stacked, 4);
  std::vector<long> lone;
  for (long k = 1; k <= r.non_stacked; ++k) lone.push_back(mol_.residues[r.list[k]].res_seq);
  EXPECT_EQ(lone, (std::vector<long>{17, 20, 47, 76}));
}

TEST_F(StackTest, stem_stacking_left_out_unless_asked) {
  analyse("1ehz.pdb");
  ASSERT_EQ(results_.num_stems, 4);
  const result plain = stacks_with(STACK_ON);
  // G3 and G4 lie inside the acceptor stem: no stack holds both, nor any
  // stem-internal nucleotide
  EXPECT_FALSE(any_stack_has_both(plain, 3, 4));
  for (long k = 1; k <= plain.count; ++k)
    for (long m = 1; m <= plain.stacks[k].count; ++m) {
      const residue& r = mol_.residues[plain.stacks[k][m]];
      EXPECT_FALSE(r.flag[rf::stem] != 0 && r.flag[rf::stem_end] == 0) << r.idstr;
    }
  // the acceptor stem piles on with "stem"
  const result with_stems = stacks_with(STACK_ON | STACK_STEM);
  EXPECT_TRUE(any_stack_has_both(with_stems, 3, 4));
  EXPECT_GT(with_stems.stacks[with_stems.count].count, plain.stacks[plain.count].count);
  // "stem none": stem nucleotides also leave the non-stacked list
  mol_.residues[res("A", 17)].flag[rf::stem] = 9;
  const result none = stacks_with(STACK_ON | STACK_NO_STEM_NTS);
  EXPECT_EQ(none.non_stacked, plain.non_stacked - 1);
}

TEST_F(StackTest, words_of_the_setting) {
  const struct {
    const char* arg;
    long bits;
  } cases[] = {
      {"--stacked-nts", STACK_ON},
      {"--stacked-nts=stem", STACK_ON | STACK_STEM},
      {"--stacked-nts=stem-none", STACK_ON | STACK_NO_STEM_NTS},
      {"--stacked-nts=reuse", STACK_ON | STACK_REUSE},
      {"--stacked-nts=long", STACK_ON | STACK_LONG},
      {"--stacked-nts=break", STACK_ON | STACK_BREAK},
      {"--stacked-nts=raw", STACK_ON | STACK_RAW},
      {"--stacked-nts=all",
       STACK_ON | STACK_STEM | STACK_REUSE | STACK_LONG | STACK_BREAK | STACK_NO_STEM_NTS},
      {"--stacked-nts=off", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arg);
    mutable_gvars().stacked_nts = -1;
    ASSERT_EQ(check_common_options(c.arg), 1);
    EXPECT_EQ(Gvars.stacked_nts, c.bits);
  }
}

TEST_F(StackTest, each_mode_of_the_setting) {
  analyse("1ehz.pdb");
  const result plain = stacks_with(STACK_ON);
  // long: no stack of two
  const result lng = stacks_with(STACK_ON | STACK_LONG);
  for (long k = 1; k <= lng.count; ++k) EXPECT_GE(lng.stacks[k].count, 3);
  long twos = 0;
  for (long k = 1; k <= plain.count; ++k) twos += plain.stacks[k].count == 2;
  EXPECT_EQ(lng.count, plain.count - twos);
  // break: a pile whose residues all follow along the backbone is dropped
  const result brk = stacks_with(STACK_ON | STACK_BREAK);
  EXPECT_TRUE(stack_of(brk, 36).empty());
  EXPECT_LT(brk.count, plain.count);
  // raw: whole networks, members ascending
  const result raw = stacks_with(STACK_ON | STACK_RAW);
  long raw_members = 0, cut_members = 0;
  for (long k = 1; k <= raw.count; ++k) {
    raw_members += raw.stacks[k].count;
    for (long m = 1; m < raw.stacks[k].count; ++m) EXPECT_LT(raw.stacks[k][m], raw.stacks[k][m + 1]);
  }
  for (long k = 1; k <= plain.count; ++k) cut_members += plain.stacks[k].count;
  EXPECT_GE(raw_members, cut_members);
  EXPECT_LE(raw.count, plain.count);
  // reuse: fork members may begin another pile, so no fewer members are used
  const result reuse = stacks_with(STACK_ON | STACK_REUSE);
  long reuse_members = 0;
  for (long k = 1; k <= reuse.count; ++k) reuse_members += reuse.stacks[k].count;
  EXPECT_GE(reuse_members, cut_members);
  // off: nothing at all
  const result off = stacks_with(0);
  EXPECT_EQ(off.count, 0);
  EXPECT_EQ(off.non_stacked, 0);
}

TEST_F(StackTest, report_json_and_model_file) {
  test::ExeRun exe({"1ehz.pdb"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.txt"), 0) << exe.file("stderr.txt");
  const std::string text = exe.file("out.txt");
  const size_t at = text.find(" base stacks\n  Note: a stack is an ordered list of nucleotides assembled together via\n"
                              "        base-stacking interactions, regardless of backbone connectivity.\n"
                              "        Stacking interactions within a stem are *not* included.\n   1 nts=");
  EXPECT_NE(at, std::string::npos) << text;
  EXPECT_NE(text.find("Nucleotides not involved in stacking interactions\n"
                      "     nts=4 uGUA A.H2U17,A.G20,A.U47,A.A76\n"),
            std::string::npos);
  const std::string ens = exe.file("vask-stacks.pdb");
  EXPECT_NE(ens.find("MODEL        1\nREMARK    nts="), std::string::npos);
  long models = 0;
  for (size_t p = ens.find("MODEL "); p != std::string::npos; p = ens.find("MODEL ", p + 1)) ++models;
  exe.expect_gemmi_models("vask-stacks.pdb", models);

  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.json --json"), 0);
  const std::string js = exe.file("out.json");
  EXPECT_EQ(test::json_error(js), "");
  EXPECT_NE(js.find(",\"stacks\":[{\"index\":1,\"num_nts\":"), std::string::npos);
  EXPECT_NE(js.find("\"nonStack\":{\"num_nts\":4,\"nts_short\":\"uGUA\",\"nts_long\":\"A.H2U17,A.G20,A.U47,A.A76\"}"),
            std::string::npos);

  // each word of the setting reaches the finder
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=long.txt --stacked-nts=long"), 0);
  const std::string lng = exe.file("long.txt");
  const size_t from = lng.find(" base stacks\n");
  ASSERT_NE(from, std::string::npos);
  const std::string section = lng.substr(from, lng.find(std::string(76, '*'), from) - from);
  EXPECT_EQ(section.find(" nts=2 "), std::string::npos) << section;
  // the stacks section alone: the hairpin loops list the same nucleotides
  auto stacks_of = [](const std::string& report) {
    const size_t start = report.find(" base stacks\n");
    return start == std::string::npos ? std::string()
                                      : report.substr(start, report.find(std::string(76, '*'), start) - start);
  };
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=stem.txt --stacked-nts=stem"), 0);
  EXPECT_NE(stacks_of(exe.file("stem.txt")).find("A.G1,A.C2,A.G3,A.G4,A.A5,A.U6,A.U7"), std::string::npos);
  EXPECT_EQ(stacks_of(text).find("A.G1,A.C2,A.G3"), std::string::npos);
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=break.txt --stacked-nts=break"), 0);
  EXPECT_NE(stacks_of(text).find("A.OMG34,A.A35,A.A36,A.YYG37,A.A38,A.PSU39,A.5MC40\n"), std::string::npos);
  EXPECT_EQ(stacks_of(exe.file("break.txt")).find("A.OMG34,A.A35,A.A36"), std::string::npos);
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=off.txt --stacked-nts=off"), 0);
  EXPECT_EQ(exe.file("off.txt").find(" base stacks\n"), std::string::npos);
  EXPECT_EQ(exe.file("off.txt").find("not involved in stacking"), std::string::npos);
}

TEST_F(StackTest, helix_step_ensemble_with_setting_nine) {
  analyse("1ehz.pdb");
  long steps = 0;
  for (long h = 1; h <= results_.num_helices; ++h) steps += results_.helices[h].num_pairs - 1;
  test::ExeRun exe({"1ehz.pdb"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=one.txt --stack-ens"), 0) << exe.file("stderr.txt");
  EXPECT_FALSE(exe.exists("vask-stackingPairsPerHelix.pdb"));
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=nine.txt --stack-ens=9"), 0);
  const std::string ens = exe.file("vask-stackingPairsPerHelix.pdb");
  EXPECT_EQ(ens.rfind("MODEL        1\nREMARK helix=1    step=1\nREMARK layer1-ids: GC A.G1,A.C72\n"
                      "REMARK   select layer1, ///A/1 OR ///A/72\nREMARK layer2-ids: CG A.C2,A.G71\n",
                      0),
            0u)
      << ens.substr(0, 300);
  exe.expect_gemmi_models("vask-stackingPairsPerHelix.pdb", steps);
}

}  // namespace
}  // namespace vask
