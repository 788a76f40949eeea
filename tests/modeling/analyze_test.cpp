// The analyze sub-command: duplex, single-strand and frame modes, its files,
// its options and its errors.
#include "model_run.hpp"
#include "modeling/analyze.hpp"
#include "pairing/frame.hpp"
#include "pairing/pair.hpp"
#include "pairing/prepare.hpp"
#include "pairing/splay.hpp"
#include "structure/atom.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <sstream>

namespace vask {
namespace {

using test::exe_result;
using test::read_par_rows;
using test::read_report_rows;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

double column_mean(const std::vector<std::vector<double>>& rows, std::size_t col, std::size_t n) {
  double sum = 0;
  for (std::size_t i = 0; i < n; ++i) sum += rows[i][col];
  return sum / static_cast<double>(n);
}

class AnalyzeRun : public test::ModelRun {};

TEST_F(AnalyzeRun, DuplexOf1bna) {
  copy_data("1bna.pdb");
  exe_result r = run("analyze -i=1bna.pdb --rebuild");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "num_pairs=12  # no. of base pairs\n"));
  const auto steps = read_report_rows(r.out, "Local base-pair step parameters");
  ASSERT_EQ(steps.size(), 12u);
  EXPECT_TRUE(std::isnan(steps[11][0]));  // the last pair has no step
  const double twist = column_mean(steps, 5, 11), rise = column_mean(steps, 2, 11);
  EXPECT_GT(twist, 34.0);
  EXPECT_LT(twist, 37.0);
  EXPECT_GT(rise, 3.2);
  EXPECT_LT(rise, 3.5);
  for (const char* f : {"vask-dsStepPars.txt", "vask-dsHeliPars.txt", "vask-pairFrames.txt",
                        "vask-pairs.txt"})
    EXPECT_TRUE(exists(f)) << f;

  // the rebuild input carries the report's numbers, and 999999 on its last row
  const auto rows = read_par_rows(read("vask-dsStepPars.txt"));
  ASSERT_EQ(rows.size(), 12u);
  EXPECT_EQ(rows[0].name, "C-G");
  ASSERT_EQ(rows[0].values.size(), 12u);
  for (std::size_t i = 0; i < 11; ++i)
    for (std::size_t j = 0; j < 6; ++j) EXPECT_NEAR(rows[i].values[6 + j], steps[i][j], 0.0051);
  for (std::size_t j = 6; j < 12; ++j) EXPECT_EQ(rows[11].values[j], 999999);
  EXPECT_TRUE(has(read("vask-dsHeliPars.txt"), "X-disp     Y-disp     h-Rise"));
  EXPECT_TRUE(has(read("vask-pairFrames.txt"), "# 12 pair frames\n   1 C-G\n"));
}

TEST_F(AnalyzeRun, WithoutRebuildNoParameterFiles) {
  copy_data("1bna.pdb");
  exe_result r = run("analyze -i=1bna.pdb -o=out.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(read("out.txt"), "Simple step parameters based on consecutive C1'-C1' vectors"));
  EXPECT_FALSE(exists("vask-dsStepPars.txt"));
  EXPECT_TRUE(exists("vask-pairFrames.txt"));
  EXPECT_FALSE(has(r.err, "not available yet"));
  // the step classes, groove widths and global axis close the report
  const std::string out = read("out.txt");
  EXPECT_TRUE(has(out, "     bp        Xp        Yp        Zp       XpH       YpH       ZpH  Form  ABI\n"));
  EXPECT_TRUE(has(out, "   7 T-A     -3.29      8.92     -0.54     -3.66      8.93     -0.34  B    0.93\n"));
  EXPECT_TRUE(has(out, "   7 T-A      9.34      9.33     17.38     17.36\n"));
  EXPECT_TRUE(has(out, "  12 G-C      ----      ----      ----      ----\n"));
  EXPECT_TRUE(has(out, "Global linear helical axis defined by equivalent C1' and RN9/YN1 atom pairs\n"
                       "    helical-rise:   3.35(0.44)\n"));
}

// Curves+ and CEHS frames measure the same duplex a little differently. The
// Curves+ base frame differs from the standard one by a few tenths of an
// Angstrom and a few degrees, so its pair and step parameters stay within
// those of the standard frames by that much. The CEHS pair frame sits between
// the C1' atoms, about 2.5 A into the minor groove and turned a little about
// z: the twist and rise keep their means, the slide moves by about -1.5 A, and
// the pair's stretch is the distance of the two ring centres (about 5.4 A).
TEST_F(AnalyzeRun, CurvesAndCehsFramesAgainstStandardFrames) {
  copy_data("1bna.pdb");
  exe_result std_run = run("analyze -i=1bna.pdb");
  exe_result curves = run("analyze -i=1bna.pdb --duplex=curve");
  exe_result cehs = run("analyze -i=1bna.pdb --duplex=cehs");
  ASSERT_EQ(std_run.status, 0);
  ASSERT_EQ(curves.status, 0) << curves.err;
  ASSERT_EQ(cehs.status, 0) << cehs.err;
  EXPECT_TRUE(exists("helix-U-P.dat"));
  EXPECT_FALSE(has(curves.out, "Simple"));

  const auto s0 = read_report_rows(std_run.out, "Local base-pair step parameters");
  const auto s1 = read_report_rows(curves.out, "Local base-pair step parameters");
  const auto s2 = read_report_rows(cehs.out, "Local base-pair step parameters");
  const auto b0 = read_report_rows(std_run.out, "Local base-pair parameters");
  const auto b1 = read_report_rows(curves.out, "Local base-pair parameters");
  const auto b2 = read_report_rows(cehs.out, "Local base-pair parameters");
  ASSERT_EQ(s1.size(), 12u);
  ASSERT_EQ(s2.size(), 12u);
  ASSERT_EQ(b1.size(), 12u);
  for (std::size_t i = 0; i < 12; ++i)
    for (std::size_t j = 0; j < 6; ++j) EXPECT_NEAR(b1[i][j], b0[i][j], j < 3 ? 0.25 : 3.0) << i << " " << j;
  for (std::size_t i = 0; i < 11; ++i)
    for (std::size_t j = 0; j < 6; ++j) EXPECT_NEAR(s1[i][j], s0[i][j], j < 3 ? 0.25 : 2.5) << i << " " << j;
  EXPECT_NEAR(column_mean(s1, 5, 11), column_mean(s0, 5, 11), 0.5);
  EXPECT_NEAR(column_mean(s1, 2, 11), column_mean(s0, 2, 11), 0.05);

  EXPECT_NEAR(column_mean(s2, 5, 11), column_mean(s0, 5, 11), 1.0);
  EXPECT_NEAR(column_mean(s2, 2, 11), column_mean(s0, 2, 11), 0.2);
  const double dslide = column_mean(s2, 1, 11) - column_mean(s0, 1, 11);
  EXPECT_LT(dslide, -1.0);
  EXPECT_GT(dslide, -3.0);
  for (std::size_t i = 0; i < 12; ++i) {
    EXPECT_NEAR(b2[i][1], 5.4, 0.4) << i;        // stretch: ring centre to ring centre
    EXPECT_NEAR(b2[i][4], b0[i][4], 4.0) << i;   // propeller
  }
}

// Without a pair list the duplex is every helix (or stem) of the structure,
// one after the other: the four stems of tRNA, the acceptor stem first.
TEST_F(AnalyzeRun, StemsOfTrna) {
  copy_data("1ehz.pdb");
  exe_result r = run("analyze -i=1ehz.pdb --duplex=stem");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto bp = read_report_rows(r.out, "Local base-pair parameters");
  ASSERT_GE(bp.size(), 19u);
  const std::string names = "G-C C-G G-C G-U A-U U-A U-A";
  std::istringstream in(r.out.substr(r.out.find("Local base-pair parameters")));
  std::string line, seen;
  std::getline(in, line);
  std::getline(in, line);
  for (int i = 0; i < 7 && std::getline(in, line); ++i) {
    if (i > 0) seen += ' ';
    seen += line.substr(5, 3);
  }
  EXPECT_EQ(seen, names);
  // the inner steps of the acceptor stem are A-form-like: rise about 3, twist about 32
  const auto steps = read_report_rows(r.out, "Local base-pair step parameters");
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_NEAR(steps[i][2], 3.1, 0.6) << i;
    EXPECT_NEAR(steps[i][5], 32.0, 13.0) << i;
  }
}

TEST_F(AnalyzeRun, PairListInputAndOutput) {
  copy_data("1bna.pdb");
  // pairs 2-5 of the duplex, by residue index
  write("four.txt", "# 4 pairs\n2 23\n3 22\n4 21\n5 20\n");
  exe_result r = run("analyze -i=1bna.pdb --ds-input=four.txt --ds-output=back.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "num_pairs=4 "));
  EXPECT_TRUE(has(read("back.txt"), "# 4 (no. of base pairs)"));
  const auto all = read_report_rows(run("analyze -i=1bna.pdb").out, "Local base-pair step parameters");
  const auto part = read_report_rows(r.out, "Local base-pair step parameters");
  ASSERT_EQ(part.size(), 4u);
  for (std::size_t j = 0; j < 6; ++j) EXPECT_NEAR(part[0][j], all[1][j], 1e-9);
}

TEST_F(AnalyzeRun, SingleStrand) {
  // strand A of 1bna alone
  std::string strand;
  {
    std::istringstream in(test::read_file(test::test_data("1bna.pdb")));
    std::string line;
    while (std::getline(in, line))
      if (line.rfind("ATOM", 0) == 0 && line.size() > 21 && line[21] == 'A') strand += line + "\n";
  }
  write("strandA.pdb", strand + "END\n");
  exe_result r = run("analyze -i=strandA.pdb --ss --rebuild");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "num_nts=12\n"));
  const auto steps = read_report_rows(r.out, "local base-step parameters");
  ASSERT_EQ(steps.size(), 12u);
  EXPECT_TRUE(std::isnan(steps[11][5]));
  const double twist = column_mean(steps, 5, 11);
  EXPECT_GT(twist, 30.0);
  EXPECT_LT(twist, 40.0);
  for (const char* f : {"vask-nts.txt", "vask-baseFrames.txt", "vask-ssStepPars.txt", "vask-ssHeliPars.txt"})
    EXPECT_TRUE(exists(f)) << f;
  EXPECT_TRUE(has(read("vask-baseFrames.txt"), "# 12 base frames\n"));
  const auto rows = read_par_rows(read("vask-ssStepPars.txt"));
  ASSERT_EQ(rows.size(), 12u);
  EXPECT_EQ(rows[11].values[0], 999999);

  // a list of one nucleotide: one row, all unset
  write("one.txt", "# nts=1\n3\nnot a number\n");
  r = run("analyze -i=strandA.pdb --ss-input=one.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "num_nts=1\n"));
  EXPECT_TRUE(has(r.err, "[w] skip entry for no. of nucleotides: '# nts=1'") ||
              has(r.err, "[w] ignore invalid entry: 'not a number'"));
  EXPECT_TRUE(has(r.out, "      ----      ----      ----      ----      ----      ----  # "));
}

// A strand rebuilt from the single-strand steps of 1bna holds G12 with no
// backbone link on either side (the step across the two chains): its row
// stays between C11 and C13.
TEST_F(AnalyzeRun, RebuiltStrandKeepsALoneNucleotideInPlace) {
  copy_data("1bna.pdb");
  ASSERT_EQ(run("analyze -i=1bna.pdb --ss --rebuild").status, 0);
  exe_result r = run("rebuild --par-file=vask-ssStepPars.txt --backbone=B -o=s.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  r = run("analyze -i=s.pdb --ss");
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<long> numbers;
  std::istringstream in(r.out.substr(0, r.out.find("local base-step helical parameters")));
  for (std::string line; std::getline(in, line);) {
    const size_t hash = line.find("  # A.");
    if (hash == std::string::npos) continue;
    numbers.push_back(std::stol(line.substr(hash + 7)));
  }
  ASSERT_EQ(numbers.size(), 24u);
  for (long k = 0; k < 24; ++k) EXPECT_EQ(numbers[static_cast<size_t>(k)], k + 1);
}

// A pair the CEHS frame cannot stand on (3fu2's preQ1 ligand, a free base
// paired with a C, has no C1') has no parameters; the run goes on.
TEST_F(AnalyzeRun, CehsLeavesOutAPairWithoutItsFrameAtoms) {
  copy_data("3fu2.pdb");
  exe_result std_run = run("analyze -i=3fu2.pdb");
  ASSERT_EQ(std_run.status, 0) << std_run.err;
  exe_result r = run("analyze -i=3fu2.pdb --duplex=cehs");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.err, "A.PRF101")) << r.err;
  EXPECT_TRUE(has(r.err, "left out")) << r.err;
  const auto bp = read_report_rows(r.out, "Local base-pair parameters");
  ASSERT_EQ(bp.size(), read_report_rows(std_run.out, "Local base-pair parameters").size());
  long unset = 0;
  for (const auto& row : bp) unset += std::isnan(row[0]) ? 1 : 0;
  EXPECT_GE(unset, 1);
  EXPECT_LT(unset, static_cast<long>(bp.size()));
}

TEST_F(AnalyzeRun, FrameFileOfPairFramesGivesTheDuplexSteps) {
  copy_data("1bna.pdb");
  const auto duplex = read_report_rows(run("analyze -i=1bna.pdb").out, "Local base-pair step parameters");
  exe_result r = run("analyze --frame=vask-pairFrames.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "num_frames=12\n"));
  EXPECT_TRUE(has(r.err, "[i] reading in 12 frames from 'vask-pairFrames.txt'"));
  const auto steps = read_report_rows(r.out, "step parameters");
  ASSERT_EQ(steps.size(), 12u);
  for (std::size_t i = 0; i < 11; ++i)
    for (std::size_t j = 0; j < 6; ++j) EXPECT_NEAR(steps[i][j], duplex[i][j], 0.011) << i;
  const auto file_rows = read_par_rows(read("vask-frameStepPars.txt"));
  ASSERT_EQ(file_rows.size(), 12u);
  EXPECT_NEAR(file_rows[0].values[5], steps[0][5], 0.006);
  EXPECT_EQ(file_rows[11].values[5], 0.0);  // unset written as 0.0
  EXPECT_TRUE(has(read("vask-frameHeliPars.txt"), "h-Twist"));
}

TEST_F(AnalyzeRun, FrameFileErrors) {
  const std::string frame = "  0 0 0\n 1 0 0\n 0 1 0\n 0 0 1\n";
  struct bad_case {
    const char* text;
    const char* message;
  } cases[] = {
      {"# nothing\n1 A\n", "contains invalid lines"},
      {"1 A\n0 0 0\n1 0 0\n0 1 0\n", "contains 3 valid lines, not a multiple of 4"},
      {"1 A\n  0 0 0\n 1 0 0\n 0 1 0\n 0 0 1\n  0 0 3.4\n 1 0 0\n 0 1 0\n 0 0 1\n",
       "number of frames [2] and idstr [1] does not match"},
      {"1 A\n  0 0 0\n 1 0 0\n 0 1 0\n 0 0 1\n2 A-T\n  0 0 3.4\n 1 0 0\n 0 1 0\n 0 0 1\n",
       "cannot mix base or pair frames"},
  };
  for (const auto& c : cases) {
    write("bad.txt", c.text);
    exe_result r = run("analyze --frame=bad.txt");
    EXPECT_EQ(r.status, 1) << c.message;
    EXPECT_TRUE(has(r.err, c.message)) << r.err;
  }
  // one frame: one row of unset values
  write("one.txt", "1 G\n" + frame);
  exe_result r = run("analyze --frame=one.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "   1      ----      ----"));
}

TEST_F(AnalyzeRun, HelpAndUsageErrors) {
  exe_result r = run("analyze -h");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(has(r.err, "Check the User Manual on how to use the ANALYZE module."));
  r = run("analyze -i=x.pdb --no-such-option");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "unrecognized option: <--no-such-option>"));
  EXPECT_TRUE(has(r.err, "ANALYZE module"));
  r = run("analyze");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "must specify -i=PDBFILE"));
  r = run("analyze --frame=missing.txt");
  EXPECT_EQ(r.status, 1);
  // a file name in an option's value does not switch modes
  copy_data("1bna.pdb");
  write("class.txt", "# 1 pair\n1 24\n");
  r = run("analyze -i=1bna.pdb --ds-input=class.txt");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "num_pairs=1 "));
  // words combine on one argument: duplex, stem and curve
  r = run("analyze -i=1bna.pdb --duplex-stem-curve");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "num_pairs=12 "));
  EXPECT_FALSE(has(r.out, "Simple"));  // the Curves+ report
  EXPECT_TRUE(exists("helix-U-P.dat"));
}

// The duplex steps come from the kernel that measures helices: pair frames
// turned to follow the helix, then the step parameters of the two frames.
TEST(AnalyzeKernel, DuplexStepsAreTheHelixKernelSteps) {
  test::log_capture quiet;
  mutable_gvars() = gvars_rec{};
  reset_periodic_table();
  struct_mol mol;
  const std::string file = test::test_data("1bna.pdb");
  init_struct_mol(file, mol);
  read_pdb(file, mol);
  long n = 0;
  std::vector<pair> pairs = populate_base_pairs(mol, n);
  tidyup_and_mark_pairs(n, pairs, mol);
  std::vector<pair> best(1);
  for (long i = 1; i <= n; ++i)
    if (is_best_pair(pairs[i])) best.push_back(pairs[i]);
  ASSERT_EQ(best.size(), 13u);
  const helix h = duplex_helix(mol, 12, best);
  ASSERT_EQ(h.num_pairs, 12);
  ASSERT_EQ(h.step_pars.size(), 13u);
  for (std::size_t i = 1; i + 1 < best.size(); ++i) {
    const helixPars& d = h.step_pars[i];
    frame f1 = best[i].frame, f2 = best[i + 1].frame;
    check_frames_direction(f1, f2);
    par_set p{};
    get_step_pars_only_by_frames(f1, f2, p);
    for (long j = 1; j <= 6; ++j) EXPECT_DOUBLE_EQ(d.step_params[j], p[j]);
    EXPECT_EQ(d.step_class, 2) << "1bna steps are B-like, step " << i;
  }
  EXPECT_NE(h.axis.rise, DBL_MAX);
  free_struct_mol(mol);
  mutable_gvars() = gvars_rec{};
}

}  // namespace
}  // namespace vask
