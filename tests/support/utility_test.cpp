#include "json_check.hpp"
#include "support/arrays.hpp"
#include "support/config_tokenizer.hpp"
#include "support/config_value.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/frame_file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/number.hpp"
#include "support/option_value.hpp"
#include "support/ref_frame.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/shell.hpp"
#include "support/timing.hpp"
#include "support/vector3.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

namespace vask {

TEST(derive_used_time, SplitsDaysHoursMinutesSeconds) {
  EXPECT_EQ(derive_used_time(86400 + 3600 + 60 + 1), "01:01:01:01");
  EXPECT_EQ(derive_used_time(59), "00:00:00:59");
  EXPECT_EQ(derive_used_time(0), "00:00:00:00");
}

TEST(runlog_msg, WritesNothingWhenClosed) {
  FILE* saved = RUNLOG;
  RUNLOG = nullptr;
  runlog_msg("x%d\n", 1);  // must not crash
  RUNLOG = saved;
  test::log_capture log(true);
  logit("both\n");
  EXPECT_EQ(log.text(), "both\n");
  EXPECT_EQ(log.prg_text(), "both\n");
}

// The formatted variants keep a message of any length whole, and route it as
// their plain counterparts do: both logs, or the run log only when verbose or
// with the test switch.
TEST(logitf, FormatsWholeMessagesToTheRightLogs) {
  const long saved_verbosity = VERBOSITY;
  const long saved_test = Gvars.test;
  const std::string id(2000, 'A');
  const std::string want = "[w] " + id + " #7\n";
  const struct {
    const char* label;
    void (*log)(const std::string&);
    long verbosity;
    long test_switch;
    bool to_runlog;
  } cases[] = {
      {"logitf", [](const std::string& s) { logitf("[w] %s #%d\n", s.c_str(), 7); }, 0, 0, true},
      {"logit_verbosef quiet",
       [](const std::string& s) { logit_verbosef("[w] %s #%d\n", s.c_str(), 7); }, 0, 0, false},
      {"logit_verbosef verbose",
       [](const std::string& s) { logit_verbosef("[w] %s #%d\n", s.c_str(), 7); }, 1, 0, true},
      {"logit_testf off", [](const std::string& s) { logit_testf("[w] %s #%d\n", s.c_str(), 7); },
       9, 0, false},
      {"logit_testf on", [](const std::string& s) { logit_testf("[w] %s #%d\n", s.c_str(), 7); }, 0,
       1, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    VERBOSITY = c.verbosity;
    mutable_gvars().test = c.test_switch;
    test::log_capture log(true);
    c.log(id);
    EXPECT_EQ(log.text(), c.to_runlog ? want : "");
    EXPECT_EQ(log.prg_text(), want);
  }
  VERBOSITY = saved_verbosity;
  mutable_gvars().test = saved_test;
}

}  // namespace vask

namespace vask {

TEST(cvt2long, ReadsWholeTrimmedNumbers) {
  const struct {
    const char* s;
    long want;
  } cases[] = {{" 12 ", 12}, {"-3", -3}, {"12x", LONG_MAX}, {"nan", LONG_MAX}, {"", LONG_MAX},
               {"3.5", LONG_MAX}, {"99999999999999999999", LONG_MAX}, {"\t7\n", 7}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.s);
    EXPECT_EQ(cvt2long(c.s), c.want);
  }
  EXPECT_DOUBLE_EQ(cvt2double(" 2.5e1 "), 25.0);
  for (const char* bad : {"", "NaN", "-INF", "1e400", "1.5 x", "infinity"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(cvt2double(bad), DBL_MAX);
  }
  EXPECT_FALSE(valid_dNumber(2e40));
  EXPECT_FALSE(valid_dNumber(std::nan("")));
  EXPECT_TRUE(valid_dNumber(-1e36));
  EXPECT_TRUE(is_odd(-3));
  EXPECT_TRUE(is_even(-4));
  EXPECT_TRUE(is_numeric("1.5e3"));
  EXPECT_FALSE(is_numeric("1.5e3x"));
}

class option_values : public ::testing::Test {
 protected:
  void SetUp() override { mutable_gvars() = gvars_rec{}; }
};

TEST_F(option_values, IntegerValuesAreCheckedAgainstTheirRange) {
  EXPECT_EQ(get_lvalue("--nmr=12", 1, 12), 12);
  EXPECT_EQ(get_lvalue("--nmr= 3 ", 1, 12), 3);
  int status = 0;
  EXPECT_EQ(test::fatal_message([] { get_lvalue("--nmr=13", 1, 12); }, &status),
            "invalid option [--nmr=13]: value 13 out of range [1, 12]\n");
  EXPECT_EQ(status, 1);
  for (const char* bad : {"--nmr=3.5", "--nmr=", "--nmr=NaN", "--nmr=x=1"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(test::fatal_message([&] { get_lvalue(bad, 1, 12); }),
              std::string("wrong option [") + bad + "]: invalid integer value\n");
  }
}

TEST_F(option_values, DoubleValuesAreCheckedBeforeTheRange) {
  EXPECT_DOUBLE_EQ(get_dvalue("--hbond-dist=3.2", 0, 5), 3.2);
  EXPECT_EQ(test::fatal_message([] { get_dvalue("--hbond-dist=2e40", 0, 5); }),
            "wrong option [--hbond-dist=2e40]: invalid numerical value\n");
  EXPECT_EQ(test::fatal_message([] { get_dvalue("--hbond-dist=5.5", 0, 5); }),
            "invalid option [--hbond-dist=5.5]: value 5.5 out of range [0, 5]\n");
}

TEST_F(option_values, StringValuesAndHome) {
  setenv("HOME", "/home/u", 1);
  EXPECT_EQ(get_strvalue("--input=~/data", true), "/home/u/data");
  EXPECT_EQ(get_strvalue("--input=~/data", false), "~/data");
  EXPECT_EQ(get_strvalue("-o=a=b", false), "a=b");  // a second '=' belongs to the value
  EXPECT_EQ(get_strvalue_with_default("--title", false, "dft"), "dft");
  EXPECT_EQ(get_strvalue_with_default("--title=", false, "dft"), "dft");
  EXPECT_EQ(get_strvalue_with_default("--title=t", false, "dft"), "t");
  EXPECT_TRUE(with_optional_endEqual("--json"));
  EXPECT_FALSE(with_optional_endEqual("--json=1"));
  EXPECT_EQ(equal_sign_pos("ab=c"), 3);
  EXPECT_EQ(extract_case_option("--case=Upper"), 1);
  EXPECT_EQ(extract_case_option("--case=-1"), -1);
  EXPECT_EQ(extract_case_option("--case=lower"), -1);
  EXPECT_EQ(extract_case_option("--case=x"), 0);
  unsetenv("HOME");
  test::log_capture log;
  EXPECT_EQ(get_strvalue0("~/x", true), "~/x");
  EXPECT_EQ(log.text(), "get_strvalue(): environment variable HOME not defined!\n");
}

TEST_F(option_values, MissingEqualSignEndsThroughTheUsageExit) {
  mutable_gvars().program_name = "belqo-vask";
  for (auto f : {+[] { get_strvalue("--input", false); }, +[] { get_lvalue("--nmr", 1, 2); },
                 +[] { get_dvalue("--cutoff", 0, 1); }}) {
    test::log_capture log;
    int status = 0;
    EXPECT_EQ(test::fatal_message(f, &status), "      'belqo-vask --citation' for preferred citation(s)\n");
    EXPECT_EQ(status, 1);
    EXPECT_NE(log.text().find("wrong format for specifying a var=val pair ["), std::string::npos);
    EXPECT_NE(log.text().find("\ntype: 'belqo-vask -h (or --help)' for further help\n"), std::string::npos);
  }
  // the driver's own usage exit takes over when installed
  say_good_bye_handler = [] { end_run(0); };
  int status = -1;
  test::log_capture log;
  EXPECT_EQ(test::fatal_message([] { get_strvalue("--input", false); }, &status), "");
  EXPECT_EQ(status, 0);
  say_good_bye_handler = nullptr;
}

TEST(get_line, LineEndsOfAllKinds) {
  FILE* fp = std::tmpfile();
  std::fputs("a\r\nb\rc\n\nlast", fp);
  std::rewind(fp);
  std::string line;
  std::vector<std::string> got;
  while (get_line(fp, line)) got.push_back(line);
  EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "c", "", "last"}));
  std::fclose(fp);

  fp = std::tmpfile();
  std::fputs("1\n2\n", fp);
  std::rewind(fp);
  test::log_capture log;
  EXPECT_EQ(test::fatal_message([&] { skip_num_lines(fp, 5); }), "\t3 < 5 required lines to skip\n");
  std::fclose(fp);
}

TEST(print_separator, SeparatorLinesAndNouns) {
  FILE* fp = std::tmpfile();
  print_separator(fp, '-', 3);
  print_leadline_sepchar(fp, '*', 4);
  print_noun(fp, 0, "List of %ld %s\n", "pair");
  print_noun(fp, 1, "List of %ld %s\n", "pair");
  print_noun(fp, 2, "List of %ld coaxial %s\n", "stack", "stackings");
  print_separator(nullptr, '*', 4);
  EXPECT_EQ(test::read_stream(fp), "---\n\n****\nList of 0 pairs\nList of 1 pair\nList of 2 coaxial stackings\n");
  std::fclose(fp);
}

TEST(derive_backbone_type, PatternsAndDefaults) {
  const struct {
    const char* arg;
    char want;
  } cases[] = {{"--backbone=c2'-endo", 'B'}, {"--backbone=A-form", 'A'}, {"--backbone=C3endo", 'A'},
               {"--backbone=rna", 'R'},      {"--backbone=ndb", 'N'},    {"--backbone=bdna", 'B'}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arg);
    EXPECT_EQ(derive_backbone_type(c.arg, 'R'), c.want);
  }
  test::log_capture log;
  EXPECT_EQ(derive_backbone_type("--backbone=", 'A'), 'A');
  EXPECT_EQ(derive_backbone_type("--backbone=zz", 'B'), 'B');
  EXPECT_EQ(log.text(),
            "[i] set --backbone to default: 'A'\n[i] invalid --backbone option: 'zz' reset to 'B-DNA'\n");
}

TEST(extract_tag_followed_by_3dvals, ReadsThePositionArray) {
  parsed_config cfg;
  cfg.text = "pos1 = [1 2 3] pos2 = [4, 5.5, -6] pos3 = 7 pos4 = [1 x 2]";
  cfg.tokens.resize(64);
  jsmn_parser p;
  ASSERT_EQ(jsmn_parse(p, cfg.text, cfg.tokens), JSMN_SUCCESS);
  cfg.num_tokens = p.toknext;
  cfg.tokens.resize(static_cast<size_t>(p.toknext));
  xyz out{};
  extract_tag_followed_by_3dvals(cfg, "pos.*2", out);
  EXPECT_EQ(out, (xyz{0, 4, 5.5, -6}));
  EXPECT_EQ(test::fatal_message([&] { extract_tag_followed_by_3dvals(cfg, "pos.*3", out); }),
            "[e] tag 'pos.*3' must be followed by a three-number [array]\n");
  EXPECT_EQ(test::fatal_message([&] { extract_tag_followed_by_3dvals(cfg, "pos.*4", out); }),
            "[e] tag 'pos.*4': array contains invalid element (x)\n");
  EXPECT_EQ(test::fatal_message([&] { extract_tag_followed_by_3dvals(cfg, "none", out); }),
            "[e] cannot find required tag 'none'\n");
}

}  // namespace vask

namespace vask {

TEST(arrays, FactoriesFillAndReportEmptyRanges) {
  test::log_capture log(true);
  std::vector<long> v = lvector_1n(0);
  EXPECT_EQ(v.size(), 1u);
  EXPECT_EQ(log.prg_text(), "\nboundary for lvector(): [1 to 0]\n");
  EXPECT_EQ(log.text(), "");
  std::vector<double> d = dvector(2, 4);
  EXPECT_EQ(d, (std::vector<double>{0, 0, 0, 0, 0}));
  EXPECT_EQ(dvector_1n_DMAX(2), (std::vector<double>{0, DBL_MAX, DBL_MAX}));
  dmatrix_t m = dmatrix_1m1n_DMAX(2, 2);
  EXPECT_EQ(m[1][1], DBL_MAX);
  EXPECT_EQ(m[2][2], DBL_MAX);
  cmatrix_t texts = cmatrix_1r0c(3, 10);
  EXPECT_EQ(texts.rlo(), 1);
  EXPECT_EQ(texts.clo(), 0);
  EXPECT_EQ(texts.chi(), 10);
  VERBOSITY = 1;
  lmatrix(1, 0, 1, 3);
  VERBOSITY = 0;
  EXPECT_EQ(log.text(), "\nboundary for lmatrix(): [1 to 0; 1 to 3]\n");
  EXPECT_EQ(allocate_char_marray(3).size(), 4u);
}

TEST(vector_utilities, RearrangingAndStatistics) {
  std::vector<long> v = lvector_1n(3);
  fill_lvec_by_range(3, 5, v);
  EXPECT_EQ(v, (std::vector<long>{0, 3, 4, 5}));
  reverse_larray(3, v);
  EXPECT_EQ(v, (std::vector<long>{0, 5, 4, 3}));
  EXPECT_EQ(pos_in_lvec(4, 3, v), 2);
  EXPECT_EQ(pos_in_lvec(9, 3, v), 0);
  EXPECT_EQ(min_lvector_idx(std::vector<long>{0, 4, 2, 2}, 1, 3), 2);
  EXPECT_EQ(min_lvector(v, 2, 1), LONG_MAX);
  EXPECT_TRUE(lvector_has_distinct_values(3, v));
  EXPECT_EQ(v, (std::vector<long>{0, 3, 4, 5}));  // left sorted
  std::vector<long> dup{0, 2, 1, 2};
  EXPECT_FALSE(lvector_has_distinct_values(3, dup));

  std::vector<long> cnt{0};
  add_unique_lval_to_0array(7, cnt);
  add_unique_lval_to_0array(7, cnt);
  add_unique_lval_to_0array(8, cnt);
  EXPECT_EQ(cnt, (std::vector<long>{2, 7, 8}));

  std::vector<double> d{0, 1, 2, 3};
  EXPECT_DOUBLE_EQ(std_dvector(d, 1, 3), 1.0);
  EXPECT_DOUBLE_EQ(ave_dvector(d, 1, 3), 2.0);
  EXPECT_EQ(max_dvector(d, 2, 1), -DBL_MAX);
  test::log_capture log;
  EXPECT_EQ(std_dvector(d, 2, 2), 0.0);
  EXPECT_EQ(ave_dvector(d, 3, 2), 0.0);
  EXPECT_EQ(log.text(), "std_dvector(): less than 2 items (2 .. 2)\nave_dvector(): index out of order (3 > 2)\n");
  std::vector<double> col_means(2);
  EXPECT_EQ(test::fatal_message([&] { ave_dmatrix(dmatrix_1m1n(1, 1), 0, 1, col_means); }),
            "ave_dmatrix(): zero rows\n");
  EXPECT_TRUE(alt_sign_within_dvector(3, std::vector<double>{0, 1, -1, 2}));
  EXPECT_FALSE(parallel_alt_sign_between_dvectors(2, std::vector<double>{0, 1, -1}, std::vector<double>{0, -1, 1}));
  EXPECT_TRUE(parallel_alt_sign_between_dvectors(2, std::vector<double>{0, 1, -1}, std::vector<double>{0, 2, -3}));
  EXPECT_EQ(clear_bit_by_power2_value(0xF, 8), 0x7);
  EXPECT_EQ(clear_bit_by_power2_value(0xF, 1), 0xE);
}

TEST(get_segidx, RunsOfEqualValues) {
  long nseg = -1;
  std::vector<segidx> runs = get_segidx(6, std::vector<long>{0, 5, 5, 7, 7, 7, 5}, nseg);
  ASSERT_EQ(nseg, 3);
  const long want[4][4] = {{}, {5, 1, 2, 2}, {7, 3, 5, 3}, {5, 6, 6, 1}};
  for (long r = 1; r <= 3; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(runs[r].key, want[r][0]);
    EXPECT_EQ(runs[r].start, want[r][1]);
    EXPECT_EQ(runs[r].end, want[r][2]);
    EXPECT_EQ(runs[r].count, want[r][3]);
  }
  runs = get_segidx(1, std::vector<long>{0, 9}, nseg);
  EXPECT_EQ(nseg, 1);
  EXPECT_EQ(runs[1].count, 1);
  EXPECT_TRUE(get_segidx(0, std::vector<long>{0}, nseg).empty());
  EXPECT_EQ(nseg, 0);
  runs = get_segidx_charVec0(5, "aabbb", nseg);
  ASSERT_EQ(nseg, 2);
  EXPECT_EQ(runs[2].key, 'b');
  EXPECT_EQ(runs[2].start, 2);
  EXPECT_EQ(runs[2].end, 4);

  runs = get_consecutive_segments(5, std::vector<long>{0, 3, 4, 5, 9, 10}, nseg);
  ASSERT_EQ(nseg, 2);
  EXPECT_EQ(runs[1].start, 1);
  EXPECT_EQ(runs[1].end, 3);
  EXPECT_EQ(runs[2].start, 4);
  EXPECT_EQ(runs[2].end, 5);
  get_consecutive_segments(3, std::vector<long>{0, 5, 4, 3}, nseg);
  EXPECT_EQ(nseg, 1);
  // a linkage test replaces the index difference
  get_consecutive_segments(3, std::vector<long>{0, 1, 5, 9}, nseg, [](long a, long b) { return b - a == 4; });
  EXPECT_EQ(nseg, 1);
}

class json_writer : public ::testing::Test {
 protected:
  void SetUp() override {
    mutable_gvars() = gvars_rec{};
    fp_ = std::tmpfile();
  }
  void TearDown() override { std::fclose(fp_); }
  std::string text() { return test::read_stream(fp_); }
  FILE* fp_ = nullptr;
};

TEST_F(json_writer, MembersNumbersAndEscapes) {
  json_begin_object(fp_, "a");
  json_string(fp_, "q", "say \"hi\"\\");
  json_string(fp_, "ctl", "tab\there\nnew\x01");
  json_dNumber(fp_, "x", 1.23456);
  json_dNumber(fp_, "unset", DBL_MAX);
  json_dNumber(fp_, "nan", std::nan(""));
  json_nonZero_lNumber(fp_, "zero", 0);
  json_lNumber(fp_, "n", -4);
  json_char(fp_, "c", '"');
  json_boolean(fp_, "b", false);
  json_dNumberArray0(fp_, "v", 2, 4, std::vector<double>{0, 9, 1, 2, HUGE_VAL});
  json_end_object0(fp_);
  json_just_dNumber0(fp_, -HUGE_VAL);
  EXPECT_EQ(text(),
            R"("a":{"q":"say \"hi\"\\","ctl":"tab\there\nnew\u0001","x":1.235,"unset":null,"nan":null,)"
            R"("n":-4,"c":"\"","b":false,"v":[1.000,2.000,null]}null)");
  json_lNumber0(nullptr, "x", 1);  // no stream: nothing
}

TEST_F(json_writer, NumberFormatComesFromTheSettings) {
  mutable_gvars().json_fmt = "%.1f";
  json_dNumberArray(fp_, "o", 3, std::vector<double>{0, 1.26, -2, 3});
  json_bareObject_start_with_idx(fp_, 2);
  json_bareObject_end_check_idx(fp_, 2, 2);
  EXPECT_EQ(text(), R"("o":[1.3,-2.0,3.0],{"index":2,})");
}

TEST_F(json_writer, ListFormsFollowTheModeBits) {
  const struct {
    long mode;
    const char* want;
  } cases[] = {
      {1 | 4, R"("nts":["A1,B2","A.G1,B.C2"],"hbonds":[2,"N1-N3"])"},
      {1 | 2, R"("nts":{"short":"A1,B2","long":"A.G1,B.C2"},"hbonds":{"num":2,"desc":"N1-N3"})"},
      {1 | 8, R"("nts_short":"A1,B2","nts_long":"A.G1,B.C2","hbonds_num":2,"hbonds_desc":"N1-N3")"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    mutable_gvars().json = c.mode;
    std::fclose(fp_);
    fp_ = std::tmpfile();
    json_nt_ids(fp_, "nts", "A1,B2", "A.G1,B.C2");
    json_hbonds_num_str0(fp_, 2, "N1-N3");
    EXPECT_EQ(text(), c.want);
    EXPECT_EQ(test::json_members_error(text()), "");
  }
}

TEST_F(json_writer, FrameWithUnsetValues) {
  frame f;
  f.rmsd = -1;
  set_xyz(f.org, 1, 2, 3);
  f.qtn = {1, 0, 0, 0};
  json_frame0(fp_, &f);
  json_frame0(fp_, nullptr);
  EXPECT_EQ(text(),
            R"("frame":{"rmsd":null,"origin":[1.000,2.000,3.000],"x_axis":[1.000,0.000,0.000],)"
            R"("y_axis":[0.000,1.000,0.000],"z_axis":[0.000,0.000,1.000],"quaternion":[1.000,0.000,0.000,0.000]})");
  EXPECT_EQ(test::json_members_error(text()), "");
}

TEST(output_time_used, StarLineBeforeTheTime) {
  mutable_gvars() = gvars_rec{};
  FILE* fp = std::tmpfile();
  output_time_used("out.txt", fp);
  std::string t = test::read_stream(fp);
  EXPECT_EQ(t.substr(0, 78), "\n" + std::string(76, '*') + "\n");
  EXPECT_EQ(t.substr(78, 11), "Time used: ");
  std::fclose(fp);
}

}  // namespace vask

namespace vask {

namespace {
// A temporary working directory for routines that use fixed file names.
struct temp_cwd {
  std::filesystem::path saved = std::filesystem::current_path();
  std::string dir;
  temp_cwd() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "vask-util-XXXXXX").string();
    dir = mkdtemp(tmpl.data());
    std::filesystem::current_path(dir);
  }
  ~temp_cwd() {
    std::filesystem::current_path(saved);
    std::filesystem::remove_all(dir);
  }
};
}  // namespace

TEST(frame_files, WriteAndCombineFrames) {
  temp_cwd cwd;
  mutable_gvars() = gvars_rec{};
  frame f1;  // turned 90 degrees about z, origin at x = 1
  set_xyz(f1.org, 1, 0, 0);
  set_xyz(f1.x_axis, 0, 1, 0);
  set_xyz(f1.y_axis, -1, 0, 0);
  frame f2;
  set_xyz(f2.org, 1, 0, 0);
  frame out;
  combine_frames(f1, f2, out);
  EXPECT_EQ(out.org, (xyz{0, 1, 1, 0}));
  EXPECT_EQ(out.x_axis, (xyz{0, 0, 1, 0}));
  EXPECT_EQ(out.y_axis, (xyz{0, -1, 0, 0}));
  write_frame_file0(out);
  EXPECT_EQ(test::read_file("vask-rotmat.txt"),
            "position: [+1.000000 +1.000000 +0.000000]\nx_axis: [+0.000000 +1.000000 +0.000000]\n"
            "y_axis: [-1.000000 +0.000000 +0.000000]\nz_axis: [+0.000000 +0.000000 +1.000000]\n");
  mutable_gvars().trx_file = "my.txt";
  write_frame_file0(out);
  EXPECT_TRUE(std::filesystem::exists("my.txt"));
}

TEST(get_sysfile, WorkingDirectoryThenHomeDirectory) {
  temp_cwd cwd;
  mutable_gvars() = gvars_rec{};
  forget_data_file_reads();
  std::filesystem::create_directories("home/config");
  std::fclose(std::fopen("home/config/atomlist.dat", "w"));
  std::fclose(std::fopen("baselist.dat", "w"));
  EXPECT_EQ(get_sysfile("config", "baselist.dat"), "./baselist.dat");
  setenv("BELQO_VASK", (cwd.dir + "/home").c_str(), 1);
  EXPECT_EQ(get_sysfile("config", "atomlist.dat"), cwd.dir + "/home/config/atomlist.dat");
  get_sysfile("config", "atomlist.dat");
  EXPECT_EQ(data_file_reads("atomlist.dat"), 2);
  EXPECT_EQ(test::fatal_message([] { get_sysfile("config", "elements.dat"); }),
            "get_sysfile(): can't locate file [" + cwd.dir + "/home/config/elements.dat]\n");
  unsetenv("BELQO_VASK");
  EXPECT_EQ(test::fatal_message([] { get_sysdir("config", "elements.dat"); }),
            "get_sysdir(): can't locate directory with file [elements.dat]\n");
}

TEST(call_system, NonZeroStatusEndsTheRun) {
  test::log_capture log;
  call_system_echo("true");
  EXPECT_EQ(log.text(), "Command: 'true'\n");
  EXPECT_EQ(test::fatal_message([] { call_system("exit 3"); }), "Error in running: 'exit 3' (768)\n");
}

}  // namespace vask
