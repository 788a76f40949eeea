// The composite sub-command: circular DNA from periodic step parameters,
// closed by rebuild into a circle; its errors and help.
#include "model_run.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace vask {
namespace {

using test::exe_result;
using test::chain_atoms;
using test::dist;
using test::read_par_rows;

class CompositeRun : public test::ModelRun {};

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(CompositeRun, CircularDnaIsAClosedCircle) {
  // a file name a shell would split or expand reaches rebuild as it is
  const std::string par = "circ q'1 *.par";
  std::string cmd = "cd '" + dir_.string() + "' && env PATH= '" VASK_EXE
                    "' composite --circular-dna=100 \"-o=" + par + "\" >/dev/null 2>err.txt";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << read("err.txt");
  EXPECT_TRUE(has(read("err.txt"), "[i] rise=3.40 twist=36.00 pairs=100 bps-per-turn=10.00 turns=10.00 full=100"));
  // and the logged command line, pasted into a shell, does the same
  EXPECT_TRUE(has(read("err.txt"), "belqo-vask rebuild '--par-file=circ q'\\''1 *.par' --backbone=B --conn -o=vask-circular.pdb"))
      << read("err.txt");
  const auto rows = read_par_rows(read(par));
  ASSERT_EQ(rows.size(), 100u);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].name, "A-T");
    ASSERT_EQ(rows[i].values.size(), 6u);
    EXPECT_NEAR(rows[i].values[2], 3.4, 1e-4);
    EXPECT_NEAR(rows[i].values[4], 7.2 * std::cos(36.0 * static_cast<double>(i) * M_PI / 180.0), 1e-3);
    EXPECT_NEAR(rows[i].values[5], 36.0, 1e-4);
  }
  // the last step carries the full-circle slide correction
  EXPECT_NEAR(std::fabs(rows[99].values[1]), 10 * std::fabs(rows[98].values[1]), 1e-3);

  const auto chains = chain_atoms(read("vask-circular.pdb"));
  ASSERT_EQ(chains.size(), 2u);
  for (const auto& [chain, residues] : chains) {
    ASSERT_EQ(residues.size(), 100u) << chain;
    // neighbours are bonded along the strand, and the last to the first.
    // The steps are flat on average (no propeller, roll swinging +-7.2
    // degrees about 0), where the B template links at the covalent 1.60 A:
    // 1.49 A at one extreme of the roll up to 1.81 A at the other.
    for (std::size_t k = 0; k + 1 < residues.size(); ++k) {
      const double d = dist(residues[k].at("O3'"), residues[k + 1].at("P"));
      EXPECT_GT(d, 1.45) << chain << k;
      EXPECT_LT(d, 1.85) << chain << k;
    }
    // The step set closes the circle to within 0.8 A (the step from the last
    // pair back to the first has shift 0.48 and slide -0.75 A instead of 0
    // and -0.10), which shortens one strand's closing link and lengthens the
    // other's: 1.38 and 1.88 A.
    const double closure = dist(residues.back().at("O3'"), residues.front().at("P"));
    EXPECT_GT(closure, 1.30) << chain;
    EXPECT_LT(closure, 1.95) << chain;
    // a circle, not a straight rod (340 A): about 100 x 3.4 / pi across the
    // axis, plus the phosphates' distance from it on both sides
    double widest = 0;
    for (std::size_t k = 0; k < residues.size(); ++k)
      widest = std::max(widest, dist(residues[0].at("P"), residues[k].at("P")));
    EXPECT_GT(widest, 100 * 3.4 / M_PI) << chain;
    EXPECT_LT(widest, 100 * 3.4 / M_PI + 25.0) << chain;
  }
}

TEST_F(CompositeRun, CircularFromASequenceAndToStandardOutput) {
  write("seq.txt", "(ACGT)20\n");
  exe_result r = run("composite --circular-dna=70 --sequence-file=seq.txt --circle-turn=8");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.err, "[i] circular DNA size (80) based on input sequence"));
  EXPECT_TRUE(has(r.err, "turns=8.00 full=80"));
  const auto rows = read_par_rows(r.out);
  ASSERT_EQ(rows.size(), 80u);
  EXPECT_EQ(rows[0].name, "A-T");
  EXPECT_EQ(rows[1].name, "C-G");
  EXPECT_NEAR(rows[0].values[4], 36.0 / 4.0, 1e-3);
  EXPECT_FALSE(exists("vask-circular.pdb"));  // no rebuild for standard output

  r = run("composite --circular-dna --seq='(AC)20' -o=c.par");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "[e] specified circular DNA too short: 40 [60]"));
  EXPECT_FALSE(exists("c.par"));
}

TEST_F(CompositeRun, HelpAndUsageErrors) {
  exe_result r = run("composite --help");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(has(r.err, "Generate a composite model"));
  r = run("composite --bogus");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "Generate a composite model"));
  r = run("composite --circular-dna=30 -o=c.par");
  EXPECT_EQ(r.status, 1);  // below the range
}

}  // namespace
}  // namespace vask
