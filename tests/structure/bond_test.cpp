// Cell grid against brute force, covalent tests and bond building.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "structure/bond.hpp"
#include "structure/pdb.hpp"
#include "structure_fixture.hpp"

namespace vask {
namespace {

using BondTest = test::StructureTest;

std::vector<std::pair<long, long>> brute_pairs(const std::vector<xyz>& pts, long n, double r) {
  std::vector<std::pair<long, long>> out;
  for (long i = 1; i <= n; ++i)
    for (long j = i + 1; j <= n; ++j)
      if (dist_xyz_square(pts[i], pts[j]) <= r * r) out.emplace_back(i, j);
  return out;
}

TEST_F(BondTest, cell_grid_matches_brute_force_on_1ehz) {
  struct_mol mol;
  read_pdb_simple(test::test_data("1ehz.pdb"), mol);
  std::vector<xyz> pts = atom_points(mol);
  const long n = mol.num_atoms;
  ASSERT_GT(n, 1000);
  cell_grid g = make_cell_grid(pts, n, 4.8);
  for (double r : {0.0, 1.6, 4.8, 7.5, 12.0}) {  // below, at and above the cube edge
    SCOPED_TRACE(r);
    EXPECT_EQ(near_pairs(g, pts, n, r), brute_pairs(pts, n, r));
  }
  // a query point outside the box, and one far away
  for (const xyz& q : {xyz{0, pts[1][1] - 9.0, pts[1][2], pts[1][3]}, xyz{0, 1e6, 1e6, 1e6}}) {
    std::vector<long> got, want;
    for_each_within(g, pts, q, 10.0, [&](long j, double) { got.push_back(j); });
    for (long j = 1; j <= n; ++j)
      if (dist_xyz_square(q, pts[j]) <= 100.0) want.push_back(j);
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, want);
  }
}

TEST_F(BondTest, cell_grid_survives_stray_and_unset_points) {
  // a far-away point would need billions of 1 A cubes: the edge is widened
  std::vector<xyz> pts = {xyz{}, {0, 0, 0, 0}, {0, 0.5, 0, 0}, {0, 5e5, 5e5, 5e5},
                          {0, DBL_MAX, 0, 0}, {0, NAN, 0, 0}, {0, 0.9, 0.1, 0}};
  const long n = 6;
  cell_grid g = make_cell_grid(pts, n, 1.0);
  EXPECT_GT(g.edge, 1.0);
  EXPECT_LE(g.nx * g.ny * g.nz, 4096);
  std::vector<std::pair<long, long>> want = {{1, 2}, {1, 6}, {2, 6}};
  EXPECT_EQ(near_pairs(g, pts, n, 1.0), want);
  // an empty set answers nothing
  cell_grid empty = make_cell_grid(pts, 0, 1.0);
  long hits = 0;
  for_each_within(empty, pts, pts[1], 5.0, [&](long, double) { ++hits; });
  EXPECT_EQ(hits, 0);
}

}  // namespace
}  // namespace vask
