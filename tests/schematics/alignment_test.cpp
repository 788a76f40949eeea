// Scores of amino-acid runs in the interface alignment.
#include <gtest/gtest.h>

#include <vector>

#include "schematics/alignment.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"

namespace vask {
namespace {

frame placed(double x, double y, double z, long residue) {
  frame f;
  f.org = {0, x, y, z};
  f.residue = residue;
  return f;
}

// Alike placements score 10; a base turned by 90 degrees or moved by more
// than 4 A along its direction is no candidate.
TEST(get_one_aa_match_score, alike_placements_score_ten_unlike_none) {
  set_globals("belqo-vask");
  std::vector<frame> a{frame{}, placed(3, 4, 5, 10)};
  std::vector<frame> b{frame{}, placed(3, 4, 5, 20)};
  EXPECT_NEAR(get_one_aa_match_score(1, 1, a, 1, 1, b), 10.0, 1e-3);
  frame turned = placed(3, 4, 5, 20);
  turned.x_axis = {0, 0, 1, 0};
  turned.y_axis = {0, -1, 0, 0};
  std::vector<frame> c{frame{}, turned};
  EXPECT_EQ(get_one_aa_match_score(1, 1, a, 1, 1, c), 0.0);
  std::vector<frame> d{frame{}, placed(6, 8, 10, 20)};  // 7.07 A further out
  EXPECT_EQ(get_one_aa_match_score(1, 1, a, 1, 1, d), 0.0);
  // a run's score is the mean over its frames that found a candidate
  std::vector<frame> e{frame{}, placed(3, 4, 5, 20), placed(-3, 4, 5, 20)};
  std::vector<frame> f{frame{}, placed(3, 4, 5, 10), placed(30, 40, 50, 10)};
  EXPECT_NEAR(get_one_aa_match_score(1, 2, f, 1, 2, e), 10.0, 1e-3);
}

TEST(get_unique_aa_paired_info, runs_of_equal_amino_acids) {
  std::vector<frame> frames{frame{}, placed(1, 0, 0, 5), placed(2, 0, 0, 5), placed(3, 0, 0, 7), placed(4, 0, 0, 5)};
  long n = 0;
  const std::vector<aa_run> runs = get_unique_aa_paired_info(4, frames, n);
  ASSERT_EQ(n, 3);
  EXPECT_EQ(runs[1].first, 1);
  EXPECT_EQ(runs[1].last, 2);
  EXPECT_EQ(runs[1].count, 2);
  EXPECT_EQ(runs[2].residue, 7);
  EXPECT_EQ(runs[3].first, 4);
}

}  // namespace
}  // namespace vask
