#include "driver/option.hpp"
#include "structure/chain.hpp"
#include "support/settings.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

namespace vask {
namespace {

class SetGlobals : public ::testing::Test {
 protected:
  void SetUp() override { set_globals("belqo-vask"); }
};

TEST_F(SetGlobals, defaults_of_a_plain_run) {
  EXPECT_EQ(Gvars.prefix, "vask");
  EXPECT_EQ(Gvars.json, 0);
  EXPECT_EQ(Gvars.json_fmt, "%.3f");
  EXPECT_EQ(Gvars.cleanup, -1);
  EXPECT_EQ(Gvars.altlocs, "A1 ");
  EXPECT_TRUE(Gvars.chains.all);
  EXPECT_DOUBLE_EQ(Gvars.hbond_dist, 4.0);
  EXPECT_EQ(Gvars.bfactor, DBL_MAX);
  EXPECT_EQ(Gvars.opening, -DBL_MAX);
  EXPECT_EQ(Gvars.loop[4] + Gvars.loop[5] + Gvars.loop[6], 3);
  EXPECT_EQ(Gvars.g4[0], 1);
  EXPECT_DOUBLE_EQ(Gvars.block_colors[COLOR_SIDECHAIN][0], 0.5);
  EXPECT_DOUBLE_EQ(Gvars.block_colors[COLOR_FRAME][2], -1.0);
  EXPECT_DOUBLE_EQ(Gvars.view_rot.y_axis[2], 1.0);
  EXPECT_EQ(Gconsts.puckers[5], "C2'-endo");
  EXPECT_EQ(Gconsts.aa_letters[Gconsts.num_aa], 'G');
  EXPECT_EQ(Gconsts.bb_atoms[12], " C1'");
}

TEST_F(SetGlobals, program_name_and_help_file_from_path) {
  set_globals("/usr/local/bin/Belqo-VASK.exe");
  EXPECT_EQ(Gvars.program_name, "belqo-vask");
  EXPECT_EQ(Gvars.help_file, "belqo-vask.txt");
  EXPECT_EQ(Gvars.program_path, "/usr/local/bin/Belqo-VASK.exe");
}

TEST_F(SetGlobals, a_later_call_resets_what_options_changed) {
  mutable_gvars().prefix = "abc";
  mutable_gvars().chains.all = false;
  mutable_gvars().subcommand.fiber = 1;
  set_globals("belqo-vask");
  EXPECT_EQ(Gvars.prefix, "vask");
  EXPECT_TRUE(Gvars.chains.all);
  EXPECT_EQ(Gvars.subcommand.fiber, 0);
}

TEST_F(SetGlobals, exit_handler_writes_counters_and_time_used) {
  test::log_capture cap(true);
  warning_counts first, second;
  first.arg_swap = 3;
  second.arg_swap = 4;
  const warning_counts part = {.arg_swap = 2};
  tally_warnings(first);
  tally_warnings(second, part);  // 2 of the second structure's were added before
  clean_globals();
  EXPECT_NE(cap.prg_text().find("COUNT_ARG_SWAP 5 times\n"), std::string::npos);
  EXPECT_NE(cap.prg_text().find("<baselist.dat> 0 times\n\nCOUNT_BOND"), std::string::npos);
  EXPECT_EQ(cap.text(), "\nTime used: 00:00:00:00\n");
  // the totals of one run do not carry over into the next
  clean_globals();
  EXPECT_NE(cap.prg_text().rfind("COUNT_ARG_SWAP 0 times\n"), std::string::npos);
}

TEST(DeriveChainsToRun, selection_is_a_record_not_a_packed_count) {
  test::log_capture cap;
  chain_selection sel;
  derive_chains_to_run("--chain=A,B;toolong|c", sel);
  EXPECT_FALSE(sel.all);
  ASSERT_EQ(sel.ids.size(), 3u);
  EXPECT_EQ(sel.ids[0], "A   ");
  EXPECT_EQ(sel.ids[2], "c   ");
  EXPECT_NE(cap.text().find("[i] skipping invalid chain: 'toolong' (> 4 chars)\n"),
            std::string::npos);
  EXPECT_TRUE(sel.selects("A"));
  EXPECT_TRUE(sel.selects("c   "));
  EXPECT_FALSE(sel.selects("C"));

  // 42 chains: a count equal to the code of '*' must not select every chain
  std::string many = "--chain=";
  for (int i = 0; i < 42; ++i) {
    many += 'C';
    many += std::to_string(i);
    many += ',';
  }
  derive_chains_to_run(many, sel);
  EXPECT_FALSE(sel.all);
  EXPECT_EQ(sel.ids.size(), 42u);
  EXPECT_TRUE(sel.selects("C41"));
  EXPECT_FALSE(sel.selects("Z"));

  derive_chains_to_run("--chain=,,;", sel);  // no valid id: every chain
  EXPECT_TRUE(sel.all);
}

}  // namespace
}  // namespace vask
