#include "pairing/polygon.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "test_util.hpp"

namespace vask {

namespace {

// 1-based xyz polygon from (x, y) pairs.
std::vector<xyz> polygon(std::initializer_list<std::pair<double, double>> pts) {
  std::vector<xyz> p(1);
  for (auto [x, y] : pts) p.push_back(xyz{0, x, y, 0});
  return p;
}

std::vector<xyz> reversed(const std::vector<xyz>& p) {
  std::vector<xyz> r(p);
  std::reverse(r.begin() + 1, r.end());
  return r;
}

double overlap(const std::vector<xyz>& a, const std::vector<xyz>& b) {
  return get_overlap_area(static_cast<long>(a.size()) - 1, a, static_cast<long>(b.size()) - 1, b);
}

const auto square10 = polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
const auto square5 = polygon({{5, 0}, {10, 0}, {10, 5}, {5, 5}});
const auto pentagon = polygon({{-3, -2}, {-1, 4}, {6, 1}, {3, 10}, {-4, 9}});

}  // namespace

TEST(get_overlap_area, KnownIntersectionsInEitherOrientation) {
  const auto unit_inside = polygon({{2, 2}, {3, 2}, {3, 3}, {2, 3}});
  const auto far_away = polygon({{20, 20}, {30, 20}, {30, 30}});
  const auto edge_touch = polygon({{10, 0}, {20, 0}, {20, 10}, {10, 10}});
  const auto corner_touch = polygon({{10, 10}, {20, 10}, {20, 20}, {10, 20}});
  const struct {
    const char* name;
    const std::vector<xyz>&a, &b;
    double want;
  } cases[] = {
      {"square10 x itself", square10, square10, 100},
      {"square5 x itself", square5, square5, 25},
      {"pentagon x itself", pentagon, pentagon, 60},
      {"square10 x square5", square10, square5, 25},
      {"square10 x pentagon", square10, pentagon, 32.1429},
      {"square5 x pentagon", square5, pentagon, 1.2857},
      {"unit square inside", square10, unit_inside, 1},
      {"disjoint", square10, far_away, 0},
      {"touching along an edge", square10, edge_touch, 0},
      {"touching at a corner", square10, corner_touch, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(overlap(c.a, c.b), c.want, 0.001);
    EXPECT_NEAR(overlap(c.b, c.a), c.want, 0.001);
    EXPECT_NEAR(overlap(reversed(c.a), c.b), c.want, 0.001);
    EXPECT_NEAR(overlap(reversed(c.a), reversed(c.b)), c.want, 0.001);
  }
}

TEST(get_overlap_area, VertexCountLimits) {
  const auto segment = polygon({{0, 0}, {10, 10}});
  EXPECT_EQ(overlap(square10, segment), 0);
  EXPECT_EQ(overlap(segment, square10), 0);

  // a regular 31-gon of radius 3 inside the 10 x 10 square: its own area
  std::vector<xyz> many(1);
  for (int k = 0; k < 32; ++k) {
    double t = 2 * std::numbers::pi * k / 31;
    many.push_back(xyz{0, 5 + 3 * std::cos(t), 5 + 3 * std::sin(t), 0});
  }
  std::vector<xyz> ngon31(many.begin(), many.end() - 1);
  EXPECT_NEAR(overlap(square10, ngon31), 0.5 * 31 * 9 * std::sin(2 * std::numbers::pi / 31), 0.001);
  std::string msg = test::fatal_message([&] { overlap(square10, many); });
  EXPECT_NE(msg.find("Assertion failed"), std::string::npos) << msg;
}

TEST(get_overlap_area, TinyOverlapIsZero) {
  // 1e-3 x 1e-3 corner overlap = 1e-6, under the cut; the raw routine still sees it
  const auto corner = polygon({{9.999, 9.999}, {20, 9.999}, {20, 20}, {9.999, 20}});
  EXPECT_EQ(overlap(square10, corner), 0);
  const pia_point a[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  const pia_point b[] = {{9.999, 9.999}, {20, 9.999}, {20, 20}, {9.999, 20}};
  EXPECT_NEAR(pia_inter(a, 4, b, 4), 1e-6, 1e-7);
}

TEST(pia_inter, DegenerateBoundingBoxGivesZero) {
  // all vertices on one line: the joint box has no height, so no division by zero
  const pia_point flat_a[] = {{0, 1}, {5, 1}, {10, 1}};
  const pia_point flat_b[] = {{2, 1}, {4, 1}, {8, 1}};
  EXPECT_EQ(pia_inter(flat_a, 3, flat_b, 3), 0);
  const pia_point tall_a[] = {{3, 0}, {3, 5}, {3, 10}};
  EXPECT_EQ(pia_inter(tall_a, 3, tall_a, 3), 0);
  const pia_point point[] = {{1, 1}, {1, 1}, {1, 1}};
  EXPECT_EQ(pia_inter(point, 3, point, 3), 0);
}

TEST(verify_overlap_area, PassesOnBuiltInChecks) {
  EXPECT_EQ(test::fatal_message([] { verify_overlap_area(); }), "<no fatal>");
}

}  // namespace vask
