#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>

#include "driver/belqo-vask.hpp"
#include "driver/option.hpp"
#include "support/log.hpp"
#include "support/option_value.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

class CheckCommonOptions : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }
  // set_globals() points the run log back to standard error: capture again
  void reset() {
    cap_.reset();
    set_globals("belqo-vask");
    cap_ = std::make_unique<test::log_capture>();
  }
  void TearDown() override {
    cap_.reset();
    VERBOSITY = 0;
  }
  std::string log() const { return cap_->text(); }
  std::unique_ptr<test::log_capture> cap_;
};

struct option_case {
  const char* word;
  int accepted;                      // what check_common_options returns
  std::function<bool()> holds;       // the settings it must leave
};

TEST_F(CheckCommonOptions, words_set_their_fields) {
  const option_case cases[] = {
      {"--HBOND-DIST=3.5", 1, [] { return Gvars.hbond_dist == 3.5; }},
      {"-hbond_dist=3.5", 1, [] { return Gvars.hbond_dist == 3.5; }},
      {"hbonddist=3.5", 1, [] { return Gvars.hbond_dist == 3.5; }},
      {"--hbond2hbond-angle=60", 1,
       [] { return Gvars.hbond2hbond_angle == 60 && Gvars.hbond_angle == 72; }},
      // no member of the H-bond group matches: falls through to the get-hbond option
      {"--hbond-file", 1, [] { return Gvars.get_hbond[1] == 1; }},
      {"--json", 1, [] { return Gvars.json == 9; }},
      {"--json=array", 1, [] { return Gvars.json == 5; }},
      {"--json-dec=5", 1, [] { return Gvars.json == 1 && Gvars.json_fmt == "%.5f"; }},
      {"--nested", 1, [] { return Gvars.pknot == 0; }},
      {"--pseudoknot=no", 1, [] { return Gvars.pknot == 0; }},
      {"--pair-list-type=best", 1, [] { return Gvars.pair_list_type == 3; }},
      {"--pair-only", 1, [] { return Gvars.pair_only == 1; }},
      {"--more=3", 1, [] { return VERBOSITY == 1; }},
      {"--more=more", 1, [] { return VERBOSITY == 9; }},
      {"--more", 1, [] { return VERBOSITY == 1; }},
      {"--more=-3", 1, [] { return VERBOSITY == -1; }},
      {"--more=12", 1, [] { return VERBOSITY == 9; }},
      {"--more=2.5", 1, [] { return VERBOSITY == 9; }},
      {"--prefix=", 1, [] { return Gvars.prefix == "vask"; }},
      {"--prefix=   ", 1, [] { return Gvars.prefix == "vask"; }},
      {"--prefix= abc ", 1, [] { return Gvars.prefix == "abc"; }},
      {"--prg-log=p.log", 1, [] { return Gvars.prglog_name == "p.log"; }},
      {"--prog-file", 1, [] { return Gvars.prglog_name == "vask-prog.log"; }},
      {"--run-log=NONE", 1, [] { return Gvars.runlog_name.empty(); }},
      {"--run-log=Not", 1, [] { return Gvars.runlog_name.empty(); }},
      {"--run-log=note.log", 1, [] { return Gvars.runlog_name == "note.log"; }},
      {"--idstr=short-name", 1, [] { return Gvars.idstr == 0 && Gvars.short_name == 1; }},
      {"--idstr", 1, [] { return Gvars.idstr == 2; }},
      {"--a-minor=g", 1, [] { return Gvars.a_minor == 'G'; }},
      {"--a-minor=r", 1, [] { return Gvars.a_minor == 'R'; }},
      {"--minor", 1, [] { return Gvars.a_minor == 'A'; }},
      {"--u-turn=n", 1, [] { return Gvars.uturn == 'N'; }},
      {"--u-turn", 1, [] { return Gvars.uturn == 'K'; }},
      {"--idstr-sep=off", 1, [] { return Gvars.idstr_sep == 0; }},
      {"--idstr-sep=:", 1, [] { return Gvars.idstr_sep == ':'; }},
      {"--abasic=.", 1, [] { return Gvars.abasic == '.'; }},
      {"--cleanup", 1, [] { return Gvars.cleanup == 1; }},
      {"--cleanup=no", 1, [] { return Gvars.cleanup == 0; }},
      {"--chain=A,B", 1,
       [] { return !Gvars.chains.all && Gvars.chains.ids.size() == 2 && Gvars.chains.selects("B"); }},
      {"--select-model=3", 1, [] { return Gvars.select_model == 3; }},
      {"--metal-cutoff=3", 1, [] { return Gvars.metals == 1 && Gvars.metal_cutoff == 3; }},
      {"--waters=5", 1, [] { return Gvars.waters == 5; }},
      {"--parts=protein", 1, [] { return Gvars.parts == 2; }},
      {"--parts=dna+water", 1, [] { return Gvars.parts == 5; }},
      {"--parts=nothing", 1, [] { return Gvars.parts == 1; }},
      {"--parts=every", 1, [] { return Gvars.parts == 31; }},
      {"--loop=no-summary", 1, [] { return Gvars.loop[4] == 0 && Gvars.loop[5] == 1; }},
      {"--altloc=b", 1, [] { return Gvars.altlocs == "B "; }},
      {"--block-depth=thin", 1,
       [] { return Gvars.block_depth == 0.2 && Gvars.cartoon[CTN_BLOCK_DEPTH] == 1; }},
      {"--blocview", 1,
       [] { return Gvars.cartoon[CTN_BLOCK] && Gvars.cartoon[CTN_BEST_VIEW] && Gvars.cartoon[CTN_ON]; }},
      // the cartoon group has no member for it: falls through to the ray size
      {"--pymol-ray-size=1000", 1, [] { return Gvars.ray_size == 1000; }},
      {"--nmr", 1, [] { return Gvars.model_mode == 2 && Gvars.selected_models.empty(); }},
      {"--models=all", 1, [] { return Gvars.model_mode == 4; }},
      {"--bb-ratio=0.25", 1, [] { return Gvars.bb_ratio == 4.0; }},
      {"--stacked-nts=stem-none", 1, [] { return Gvars.stacked_nts == 65; }},
      {"--server", 1, [] { return Gvars.server_cap == 20000; }},
      {"--u-turn-gap=5", 1, [] { return Gvars.uturn_gap == 5 && Gvars.uturn == 'K'; }},
      {"--u-turn-cutoff=50", 1, [] { return Gvars.uturn_cutoff == 50.0 && Gvars.uturn == 'K'; }},
      {"--summary=ind", 1, [] { return Gvars.summary == 6; }},
      {"--k-turn=junc-only", 1, [] { return Gvars.kturn == 26; }},
      // "only" sets bits 8 and 16 whatever word came before: never bit 32
      {"--kturn=ss-only", 1, [] { return Gvars.kturn == 24; }},
      {"--kink-turn=single,noloop", 1, [] { return Gvars.kturn == 24; }},
      {"--kturn", 1, [] { return Gvars.kturn == 8; }},
      {"--kturn=three", 1, [] { return Gvars.kturn == 1; }},
      {"--frame-file=base+pair", 1, [] { return Gvars.frame_list == 3; }},
      {"--r3d-frame=pair-middle-stem-global", 1, [] { return Gvars.r3d_frame == 2 + 16 + 32; }},
      {"--get-hbond=pymol-protein", 1,
       [] { return Gvars.get_hbond[7] && Gvars.get_hbond[2] && Gvars.get_hbond[1]; }},
      // committed choice: the first alternative that matches is never retried
      {"--program-log=x", 0, [] { return Gvars.prglog_name.empty(); }},
      {"--capping-vd=3", 0, [] { return Gvars.a2base_vd == 3.5; }},
      {"--capvd=3", 1, [] { return Gvars.a2base_vd == 3.0; }},
      // words that are no option
      {"--hx", 0, [] { return true; }},
      {"--seq-foo", 0, [] { return true; }},
      {"-i=x.pdb", 0, [] { return true; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.word);
    reset();
    EXPECT_EQ(check_common_options(c.word), c.accepted);
    EXPECT_TRUE(c.holds());
  }
}

TEST_F(CheckCommonOptions, pair_alone_is_taken_as_pair_only) {
  EXPECT_EQ(check_common_options("--pair"), 1);
  EXPECT_EQ(Gvars.pair_only, 1);
  EXPECT_EQ(log(), "[i] take --pair as --pair-only\n");
}

TEST_F(CheckCommonOptions, value_errors_are_fatal_with_the_word) {
  int status = 0;
  std::string msg = test::fatal_message([] { check_common_options("--hbond-dist=7"); }, &status);
  EXPECT_EQ(msg, "invalid option [--hbond-dist=7]: value 7 out of range [2.6, 6]\n");
  EXPECT_EQ(status, 1);
  msg = test::fatal_message([] { check_common_options("--hbond-dist=abc"); }, &status);
  EXPECT_EQ(msg, "wrong option [--hbond-dist=abc]: invalid numerical value\n");
}

// A letter that is no nucleotide or IUPAC code ends the run instead of
// running with the default letter.
TEST_F(CheckCommonOptions, letters_that_are_no_nucleotide_code_are_fatal) {
  for (const char* word : {"--minor=E", "--minor=Q", "--a-minor=x", "--minor=1", "--minor=Z", "--u-turn=E",
                           "--u-turn=f", "--uturn=off", "--u-turn=?"}) {
    SCOPED_TRACE(word);
    reset();
    int status = 0;
    std::string msg = test::fatal_message([&] { check_common_options(word); }, &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(msg.find("is no nucleotide letter or IUPAC code"), std::string::npos) << msg;
  }
}

// Every U-turn option form the manual shows is one the parser takes (".."
// standing for a value).
TEST_F(CheckCommonOptions, manual_u_turn_forms_are_accepted) {
  const std::string manual = test::read_file(std::string(VASK_TEST_DATA) + "/../../docs/manual.md");
  const std::regex form("`(--u-?turn[^`\\[]*)`");
  long seen = 0;
  for (std::sregex_iterator it(manual.begin(), manual.end(), form), end; it != end; ++it) {
    const std::string word = std::regex_replace((*it)[1].str(), std::regex("\\.\\."), "3");
    SCOPED_TRACE(word);
    reset();
    int status = 0;
    std::string msg = test::fatal_message([&] { EXPECT_EQ(check_common_options(word.c_str()), 1); }, &status);
    EXPECT_EQ(status, 0) << msg;
    EXPECT_NE(Gvars.uturn, 0);
    ++seen;
  }
  EXPECT_GE(seen, 2);
}

TEST_F(CheckCommonOptions, missing_value_ends_with_the_usage_hint) {
  say_good_bye_handler = say_good_bye;
  int status = 0;
  std::string msg = test::fatal_message([] { check_common_options("--hbond-dist"); }, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(msg, "      'belqo-vask --citation' for preferred citation(s)\n");
  EXPECT_NE(log().find("wrong format for specifying a var=val pair [--hbond-dist]\n"),
            std::string::npos);
  EXPECT_NE(log().find("\a\ntype: 'belqo-vask -h (or --help)' for further help\n"),
            std::string::npos);
}

TEST_F(CheckCommonOptions, nmr_model_lists) {
  check_common_options("--nmr=1-3,8");
  EXPECT_EQ(Gvars.selected_models, (std::vector<long>{4, 1, 2, 3, 8}));
  check_common_options("--nmr=1:2:9;3");
  EXPECT_EQ(Gvars.selected_models, (std::vector<long>{5, 1, 3, 5, 7, 9}));

  check_common_options("--nmr=5:2");
  EXPECT_TRUE(Gvars.selected_models.empty());
  EXPECT_NE(log().find("\t[i] ignore wrong order or 0 step: '5:2'\n"), std::string::npos);
  EXPECT_NE(log().find("\t[i] no valid numbers specified: take all models\n"), std::string::npos);

  // a huge range stops at the largest model number an ensemble holds
  check_common_options("--nmr=1:1000000000");
  ASSERT_FALSE(Gvars.selected_models.empty());
  EXPECT_EQ(Gvars.selected_models[0], MAX_MODEL_NUMBER);
  EXPECT_EQ(Gvars.selected_models.back(), MAX_MODEL_NUMBER);
}

TEST_F(CheckCommonOptions, view_rotation_composes_items_in_order) {
  check_common_options("--view-rot=x 90|z 30");
  // R = Rx(-90) Rz(-30): x axis (first column) = Rx(-90) (cos30, -sin30, 0)
  const frame& f = Gvars.view_rot;
  EXPECT_NEAR(f.x_axis[1], std::cos(30 * M_PI / 180), 1e-9);
  EXPECT_NEAR(f.x_axis[2], 0.0, 1e-9);
  EXPECT_NEAR(f.x_axis[3], 0.5, 1e-9);
  EXPECT_DOUBLE_EQ(f.rmsd, 1.0);
  check_common_options("--view-rot=0 0 1 45");
  EXPECT_NEAR(Gvars.view_rot.x_axis[1], std::sqrt(0.5), 1e-9);
  EXPECT_NEAR(Gvars.view_rot.x_axis[2], -std::sqrt(0.5), 1e-9);
}

struct color_case {
  const char* word;
  std::function<bool()> holds;
  const char* log_part;
};

TEST_F(CheckCommonOptions, block_colours) {
  const color_case cases[] = {
      {"--block-color=A 255 0 0",
       [] { return Gvars.block_colors[COLOR_A] == rgb_t{1, 0, 0}; },
       "[i] rgb color [255 0 0] (assumed in range [0, 255]) rescaled to [1 0 0] (in range [0, 1])\n"},
      {"--block-color=wc 0 0 1",
       [] {
         return Gvars.block_colors[COLOR_GC] == rgb_t{0, 0, 1} &&
                Gvars.block_colors[COLOR_AT] == rgb_t{0, 0, 1};
       },
       ""},
      {"--block-color=R blue",
       [] {
         return Gvars.block_colors[COLOR_A] == rgb_t{0, 0, 1} &&
                Gvars.block_colors[COLOR_G] == rgb_t{0, 0, 1} &&
                Gvars.block_colors[COLOR_C] == rgb_t{1, 1, 0};
       },
       "[i] matched color 'BLUE' to rgb: [0 0 1]\n"},
      {"--block-color=G dark.sea_green",
       [] { return Gvars.block_colors[COLOR_G][0] == 143 / 255.0; },
       "[i] matched color 'DARK-SEA-GREEN'"},
      {"--block-color=A 2 300 0", [] { return Gvars.block_colors[COLOR_A] == rgb_t{1, 0, 0}; },
       "[w] rgb color [2 300 0] not in range [0, 1] or [0, 255] -- ignored\n"},
      {"--block-color=AT 0.5",
       [] {
         return Gvars.block_colors[COLOR_AT] == rgb_t{0.5, 0.5, 0.5} &&
                Gvars.block_color_items[BLK_PAIR] && Gvars.block_color_items[BLK_PAIR_COLOR];
       },
       "[i] color '0.5' taken as rgb [0.5 0.5 0.5]\n"},
      {"--block-color=A no-such", [] { return true; }, "[w] unmatched color 'NO-SUCH' -- ignored\n"},
      {"--block-color=zz 1 1 1", [] { return true; }, "[w] unrecognized term 'ZZ' -- ignored\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.word);
    reset();
    EXPECT_EQ(check_common_options(c.word), 1);
    EXPECT_TRUE(c.holds());
    EXPECT_EQ(Gvars.cartoon[CTN_BLOCK_COLOR], 1);
    EXPECT_NE(log().find(c.log_part), std::string::npos) << log();
  }
}

TEST_F(CheckCommonOptions, block_file_and_cartoon_words) {
  check_common_options("--block-file");
  EXPECT_EQ(Gvars.block_file[BLK_FACE], 1);
  EXPECT_EQ(log(), "[i] take option '--block-file' as default '--block-file=face'\n");

  reset();
  check_common_options("--block-file=edge-hbond");
  EXPECT_EQ(Gvars.block_file[BLK_EDGE], 1);
  EXPECT_EQ(Gvars.block_file[BLK_HBOND], 1);
  EXPECT_EQ(Gvars.block_file[BLK_FACE], 0);

  check_common_options("--cartoon-block=view-orient");
  EXPECT_EQ(Gvars.cartoon[CTN_BEST_VIEW], 1);
  EXPECT_EQ(Gvars.cartoon[CTN_ORIENT], 0);
  EXPECT_NE(log().find("[w] 'view' overrides PyMOL 'orient'\n"), std::string::npos);
}

TEST(FindSubcommand, words_and_aliases_reach_their_drivers) {
  const char* words[] = {"triz",  "prot",   "analyze", "belqo", "ormo",    "rebuild", "recons",
                         "mutate", "fiber", "FIBRE",   "search", "query",  "task",    "misc",
                         "util",  "project", "composite", "comb", "template", "model"};
  for (const char* w : words) {
    SCOPED_TRACE(w);
    EXPECT_NE(find_subcommand(w), nullptr);
  }
  EXPECT_EQ(find_subcommand("triz"), find_subcommand("protein"));
  EXPECT_NE(find_subcommand("triz"), find_subcommand("model"));
  // only a plain first word names a sub-command
  for (const char* w : {"models=all", "-triz", "--model", "task=1", "x.pdb", "help"}) {
    SCOPED_TRACE(w);
    EXPECT_EQ(find_subcommand(w), nullptr);
  }
}

}  // namespace
}  // namespace vask

namespace vask {
namespace {

TEST(OptionDerivations, id_string_styles) {
  const struct {
    const char* word;
    long style;
  } cases[] = {{"--idstr", 2},          {"--idstr=", 2},
               {"--idstr=brief", 0},    {"--idstr=long", 2},
               {"--idstr=jmol", 4},     {"--idstr=unit-with-obj", 5},
               {"--idstr=ebi", 6},      {"--idstr=pymol-has-id", 7},
               {"--idstr=pymol", 8},    {"--idstr=with-str", 3},
               {"--idstr=other", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.word);
    set_globals("belqo-vask");
    EXPECT_EQ(derive_idstr(c.word), c.style);
  }
}

TEST(OptionDerivations, codes_from_words) {
  set_globals("belqo-vask");
  test::log_capture cap;
  EXPECT_EQ(derive_helical_axis_setting("--helix-axis"), 1);
  EXPECT_EQ(derive_helical_axis_setting("--helix-axis=stem"), 2);
  EXPECT_EQ(derive_helical_axis_setting("--helix-axis=helix+stem"), 3);
  EXPECT_EQ(derive_helical_axis_setting("--helix-axis=xx"), 1);
  EXPECT_EQ(cap.text(),
            "[i] take option '--helix-axis' as '--helix-axis=helix'\n"
            "[i] unrecognized option '--helix-axis=xx' default to 'helix'\n");
  EXPECT_EQ(derive_single_strand_setting("--ss-par"), 1);
  EXPECT_EQ(derive_single_strand_setting("--ss-par=off"), 0);
  EXPECT_EQ(derive_single_strand_setting("--ss-par=heli-append"), 19);
  derive_list_residues("--list-residue=water");
  EXPECT_EQ(Gvars.list_residue, "water");
  derive_list_residues("--list-residue");
  EXPECT_EQ(Gvars.list_residue, "nucleotide");
  derive_list_chains("--list-chain=other");
  EXPECT_EQ(Gvars.list_chain, "ot");
}

TEST(CheckInputOutput, input_output_and_list_words) {
  std::string in, out = "x", list;
  EXPECT_EQ(check_input_output("-i=a.pdb", in, out), 1);
  EXPECT_EQ(in, "a.pdb");
  EXPECT_EQ(check_input_output("--input-file=b.cif", in, out), 1);
  EXPECT_EQ(in, "b.cif");
  // a list is not an input file
  EXPECT_EQ(check_input_output("--input-list=l.txt", in, out), 0);
  EXPECT_EQ(check_inplist("--input-list=l.txt", list), 1);
  EXPECT_EQ(list, "l.txt");
  EXPECT_EQ(check_input_output("-o=r.txt", in, out), 1);
  EXPECT_EQ(out, "r.txt");
  for (const char* w : {"-o", "--o="}) {
    out = "r.txt";
    EXPECT_EQ(check_input_output(w, in, out), 1);
    EXPECT_EQ(out, "stdout");
  }
}

TEST(SwitchReaders, bare_on_off_and_019) {
  EXPECT_EQ(set_switch_default_true("--x"), 1);
  EXPECT_EQ(set_switch_default_true("--x=OFF"), 0);
  EXPECT_EQ(set_switch_default_true("--x=maybe"), 1);
  EXPECT_EQ(set_switch_default_false("--x"), 0);
  EXPECT_EQ(set_switch_default_false("--x=yes"), 1);
  EXPECT_EQ(set_long_019("--x"), 1);
  EXPECT_EQ(set_long_019("--x="), 1);
  EXPECT_EQ(set_long_019("--x=no"), 0);
  EXPECT_EQ(set_long_019("--x=1"), 1);
  EXPECT_EQ(set_long_019("--x=5"), 9);
}

}  // namespace
}  // namespace vask

namespace vask {
namespace {

TEST(SayGoodBye, a_sub_command_usage_error_shows_its_help_and_fails) {
  set_globals("belqo-vask");
  test::log_capture cap;
  mutable_gvars().subcommand.fiber = 1;
  int status = 0;
  test::fatal_message([] { say_good_bye(); }, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(cap.text().rfind("\a", 0), 0u);  // the bell goes to the run log
  mutable_gvars().subcommand.fiber = 0;
  mutable_gvars().subcommand.triz = 1;
  std::string msg = test::fatal_message([] { say_good_bye(); }, &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(cap.text().find("type: 'belqo-vask triz -h (or --help)' for further help\n"),
            std::string::npos);
}

TEST(RunMain, every_end_runs_the_exit_handler) {
  std::string log = ::testing::TempDir() + "vask-run-main.log";
  std::string opt = "--run-log=" + log;
  const char* argv[] = {"belqo-vask", opt.c_str(), "-i=/no/such/file.pdb"};
  EXPECT_EQ(run_main(3, const_cast<char**>(argv)), 1);
  EXPECT_EQ(test::read_file(log),
            "required file </no/such/file.pdb> does not exist!\n\nTime used: 00:00:00:00\n");
  std::string bad = "--run-log=/no/such/dir/x.log";
  const char* argv2[] = {"belqo-vask", bad.c_str(), "-i=x.pdb"};
  EXPECT_EQ(run_main(3, const_cast<char**>(argv2)), 1);  // the open failure is fatal
  set_globals("belqo-vask");
}

}  // namespace
}  // namespace vask

namespace vask {
namespace {

TEST(BookKeeping, leftover_argument_and_cross_option_limits) {
  set_globals("belqo-vask");
  test::log_capture cap;
  int status = 0;
  test::fatal_message([] { book_keeping(3, 2, "extra"); }, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(cap.text().rfind("options must be set in -var[=val] format [extra]\n\a", 0), 0u);

  set_globals("belqo-vask");
  mutable_gvars().runlog_name = "stderr";
  book_keeping(1, 1, nullptr);
  EXPECT_EQ(Gvars.hbond_good, 3.6);  // defaults in order: nothing lowered
  EXPECT_EQ(Gvars.network_vdist, 2.0);

  set_globals("belqo-vask");
  mutable_gvars().runlog_name = "stderr";
  mutable_gvars().hbond_dist = 3.4;      // below the good H-bond distance
  mutable_gvars().pair_only = 1;         // nucleotides only
  mutable_gvars().pair_vd = 1.5;         // below the network vdist
  mutable_gvars().model_mode = 2;        // ensembles write no auxiliary-file listing
  book_keeping(1, 1, nullptr);
  EXPECT_EQ(Gvars.hbond_good, 3.4);
  EXPECT_EQ(Gvars.parts, 1);
  EXPECT_EQ(Gvars.network_vdist, 1.5);
  EXPECT_EQ(Gvars.auxfiles, 0);
  EXPECT_EQ(RUNLOG, stderr);
}

TEST(BookKeeping, nmr_with_get_hbond_and_json_extension_notes) {
  set_globals("belqo-vask");
  test::log_capture cap;
  mutable_gvars().model_mode = 2;
  mutable_gvars().get_hbond[1] = 1;
  check_nmr_with_get_hbond();
  EXPECT_EQ(Gvars.model_mode, 1);
  mutable_gvars().json = 9;
  check_json_extension("out.json");
  check_json_extension("stdout");
  check_json_extension("out.txt");
  EXPECT_EQ(cap.text(),
            "[i] ignore the --nmr option when --get-hbond is specified\n"
            "    try --nmr with --json to extract H-bonding information\n"
            "[i] JSON output should end with the .json extension\n");
}

}  // namespace
}  // namespace vask
