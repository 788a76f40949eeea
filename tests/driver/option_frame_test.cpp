#include <gtest/gtest.h>

#include "driver/option.hpp"
#include "support/settings.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

TEST(derive_one_frameID, specifications) {
  const struct {
    const char* text;
    long model;
    const char* chain;
    const char* name;
    long number;
    char icode;
    int type;
    long view;
  } cases[] = {
      {"15", -1, "*", "***", 15, '*', 0, 0},
      {"B.15", -1, "B", "***", 15, '*', 0, 0},
      {"A.G.15", -1, "A", "  G", 15, '*', 0, 0},
      {"A.G.15-pair:minor", -1, "A", "  G", 15, '*', 9, 1},
      {"A.ARG.12:sidechain", -1, "A", "ARG", 12, '*', 4, 0},
      {"2.A.G.5.B", 2, "A", "  G", 5, 'B', 0, 0},
      {"-1.A.G.5", -1, "A", "  G", 5, '*', 0, 0},  // a leading -1 keeps '-' in the text
      {"*.A.*.5.?", -1, "A", "***", 5, '*', 0, 0},
      {".G.7", -1, "*", "  G", 7, '*', 0, 0},
      {"A.U.8|po4 major", -1, "A", "  U", 8, '*', 1, 2},
      {"A.G.9,g4", -1, "A", "  G", 9, '*', 10, 0},
      {"A.C.3+sugar 90", -1, "A", "  C", 3, '*', 2, 90},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    frame_spec s;
    derive_one_frameID(c.text, s);
    EXPECT_EQ(s.model, c.model);
    EXPECT_EQ(s.chain, c.chain);
    EXPECT_EQ(s.name, c.name);
    EXPECT_EQ(s.number, c.number);
    EXPECT_EQ(s.icode, c.icode);
    EXPECT_EQ(s.frame_type, c.type);
    EXPECT_EQ(s.view, c.view);
  }
  for (const char* bad : {"1.2.3.4.5.6", "A.G.x"}) {
    SCOPED_TRACE(bad);
    frame_spec s;
    EXPECT_EQ(test::fatal_message([&] { derive_one_frameID(bad, s); }),
              std::string("wrong frame option: '") + bad + "'\n");
  }
}

TEST(derive_frame_setting, one_or_two_residues) {
  set_globals("belqo-vask");
  {
    test::log_capture log;
    derive_frame_setting("--frame");
    EXPECT_EQ(log.text(), "[i] ignore invalid option: --frame\n");
    EXPECT_EQ(Gvars.frame_given, 0);
  }
  derive_frame_setting("--frame=A.G.1 A.C.72 major");
  EXPECT_EQ(Gvars.frame_given, 1);
  EXPECT_EQ(Gvars.frame_two, 1);
  EXPECT_EQ(Gvars.frame_opt[1].number, 72);
  EXPECT_EQ(Gvars.frame_opt[0].view, 2);  // the view word of the whole option
  set_globals("belqo-vask");
  derive_frame_setting("--frame-helix=A.G.1 A.C.2");
  EXPECT_EQ(Gvars.frame_two, 2);
  set_globals("belqo-vask");
  derive_frame_aa_setting("--frame-aa=A.ARG.12");
  EXPECT_EQ(Gvars.frame_opt[0].frame_type, 4);
  EXPECT_EQ(Gvars.frame_opt[0].name, "ARG");
  set_globals("belqo-vask");
}

// The helical-axis option selects helices (1), stems (2) or both (3).
TEST(check_common_options, helical_axis_file_setting) {
  set_globals("belqo-vask");
  test::log_capture log;
  EXPECT_EQ(check_common_options("--helix-axis=stem"), 1);
  EXPECT_EQ(Gvars.helical_axis, 2);
  EXPECT_EQ(log.text(), "");
  EXPECT_EQ(check_common_options("--helical-axis=helix,stem"), 1);
  EXPECT_EQ(Gvars.helical_axis, 3);
  set_globals("belqo-vask");
}

}  // namespace
}  // namespace vask
