#include "support/arrays.hpp"
#include "support/geometry_fixtures.hpp"
#include "support/linear_algebra.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/sort.hpp"
#include "support/vector3.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <random>

namespace vask {

using test::expect_rotmat;
using test::make_frame;

// x, y, z spelled out: most expectations here are small literals.
static void expect_xyz(const xyz& got, double x, double y, double z, double tol = 1e-12) {
  test::expect_xyz(got, {0, x, y, z}, tol);
}

TEST(xyz_algebra, DifferenceIsSecondMinusFirst) {
  xyz out;
  diff_xyz({0, 1, 2, 3}, {0, 4, 6, 8}, out);
  expect_xyz(out, 3, 4, 5);
  xyz a{0, 1, 2, 3};
  diff_xyz(a, {0, 4, 6, 8}, a);  // result may alias an input
  expect_xyz(a, 3, 4, 5);
}

TEST(xyz_algebra, NormalisationLeavesNearUnitAndNearZeroAlone) {
  struct row { double len; double expected; };
  const row rows[] = {{1.0 + 5e-7, 1.0 + 5e-7}, {1.1, 1.0}, {5e-9, 5e-9}, {0.0, 0.0}, {3.0, 1.0}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.len);
    xyz v{0, r.len, 0, 0};
    norm_xyz(v);
    EXPECT_DOUBLE_EQ(v[1], r.expected);
  }
}

TEST(xyz_algebra, ApproxUsesAbsoluteThenRelativeTolerance) {
  EXPECT_TRUE(is_approx(1.0, 1.0 + 9e-7));
  EXPECT_FALSE(is_approx(1.0, 1.0 + 2e-6));
  EXPECT_TRUE(is_approx(1e6, 1e6 + 5e-3));  // relative 5e-9
  EXPECT_FALSE(is_approx(1e6, 1e6 + 5e-1));
  EXPECT_EQ(round_long(2.5), 3);
  EXPECT_EQ(round_long(-2.5), -3);
}

TEST(xyz_algebra, AnglesNormaliseInPlaceAndFold) {
  xyz a{0, 2, 0, 0}, b{0, 0, 3, 0}, z{};
  EXPECT_DOUBLE_EQ(angle_xyz(a, b), 90.0);
  expect_xyz(a, 1, 0, 0);
  expect_xyz(b, 0, 1, 0);
  EXPECT_EQ(angle_xyz(z, a), 0.0);
  EXPECT_EQ(angle90_normalized_vectors({0, 1, 0, 0}, {0, -1, 0, 0}), 0.0);
  const double c = std::cos(deg2rad(120)), s = std::sin(deg2rad(120));
  EXPECT_NEAR(angle90_normalized_vectors({0, 1, 0, 0}, {0, c, s, 0}), 60.0, 1e-10);
  EXPECT_EQ(dot_to_angle(1.0000001), 0.0);
  EXPECT_EQ(dot_to_angle(-1.0000001), 180.0);
}

TEST(xyz_algebra, SignedVectorAngleFollowsAxis) {
  xyz up{0, 0, 0, 2}, down{0, 0, 0, -1};
  EXPECT_NEAR(get_vector_angle({0, 1, 0, 0}, {0, 0, 1, 0}, up), 90.0, 1e-12);
  expect_xyz(up, 0, 0, 1);
  EXPECT_NEAR(get_vector_angle({0, 1, 0, 0}, {0, 0, 1, 0}, down), -90.0, 1e-12);
  // components along the axis are ignored
  xyz ax{0, 0, 0, 1};
  EXPECT_NEAR(get_vector_angle({0, 1, 0, 5}, {0, 0, 1, -7}, ax), 90.0, 1e-12);
}

TEST(xyz_algebra, GetVectorMakesPerpendicularOnlyForPositiveProjection) {
  xyz axis{0, 0, 0, 1}, out;
  get_vector({0, -1, 0, 1}, axis, 90.0, out);  // (-1, 0, 0) turned by 90
  expect_xyz(out, 0, -1, 0);
  get_vector({0, -1, 0, -1}, axis, 90.0, out);  // v itself turned, then normalised
  const double r = 1.0 / std::sqrt(2.0);
  expect_xyz(out, 0, -r, -r);
}

TEST(xyz_algebra, DistanceTestsAreInclusive) {
  const xyz a{0, 0, 0, 0}, b{0, 3, 0, 0};
  EXPECT_TRUE(dist_in_cutoff(a, b, 3.0));
  EXPECT_FALSE(dist_in_cutoff(a, b, 2.999));
  EXPECT_TRUE(two_points_within_range(a, b, 3.0, 3.0));
  EXPECT_FALSE(two_points_within_range(a, b, 3.1, 4.0));
  EXPECT_TRUE(same_direction({0, 1, 0, 0}, {0, 0, 1, 0}));
  EXPECT_FALSE(opposite_direction({0, 1, 0, 0}, {0, 0, 1, 0}));
  EXPECT_NE(test::fatal_message([&] { two_points_within_range(a, b, 2.0, 1.0); }), "<no fatal>");
}

TEST(xyz_algebra, PointLineDistanceAndAverageAxis) {
  EXPECT_NEAR(get_point_line_dist({0, 1, 5, 0}, {0, 0, 0, 0}, {0, 2, 0, 0}), 5.0, 1e-12);
  xyz z;
  get_ave_z_axis({0, 0, 0, 1}, {0, 0, 0, -1}, z);  // opposed: the first is turned over
  expect_xyz(z, 0, 0, -1);
}

TEST(rotations, AxisRotationsAndArbitraryAxis) {
  rotmat Rz, Ra;
  rotz(90.0, Rz);
  xyz out;
  multiply_vec_transposed_matrix_by3({0, 1, 0, 0}, Rz, out);
  expect_xyz(out, 0, 1, 0, 1e-15);
  xyz axis{0, 0, 0, 2};
  rot_arb_axis(axis, 90.0, Ra);
  expect_rotmat(Ra, Rz, 1e-15);
  expect_xyz(axis, 0, 0, 1);
  xyz zero{};
  rot_arb_axis(zero, 30.0, Ra);
  rotmat I;
  identity_matrix(I);
  expect_rotmat(Ra, I, 0.0);
}

TEST(rotations, SingleRotationAngleIsSigned) {
  rotmat I, R;
  identity_matrix(I);
  rotz(-30.0, R);
  double angle = 0;
  xyz axis;
  long checks = 0;
  get_single_rotation_angle_axis(I, R, angle, axis, checks);
  EXPECT_NEAR(angle, -30.0, 1e-9);
  expect_xyz(axis, 0, 0, 1, 1e-12);
  // an arbitrary relative rotation is recovered
  rotmat A, B, tA, rel, check;
  xyz ax{0, 1, -2, 0.5};
  rot_arb_axis(ax, 40.0, A);
  rotx(75.0, rel);
  multiply_matrix_3x3(A, rel, B);
  get_single_rotation_angle_axis(A, B, angle, axis, checks);
  rot_arb_axis(axis, angle, check);
  transpose_matrix_3x3(A, tA);
  multiply_matrix_3x3(tA, B, R);
  expect_rotmat(check, R, 1e-9);
  EXPECT_NEAR(get_rotmat_angle(rel), 75.0, 1e-9);
}

TEST(rotations, DiagnosticsWrittenOncePerCount) {
  mutable_gvars() = gvars_rec{};
  long checks = 0;  // a structure of its own
  const long saved = VERBOSITY;
  VERBOSITY = 9;
  test::log_capture log(true);
  rotmat I, R;
  identity_matrix(I);
  double angle;
  xyz axis;
  rotz(30.0, R);
  get_single_rotation_angle_axis(I, R, angle, axis, checks);
  const std::string first = log.prg_text();
  EXPECT_EQ(first.rfind("R = [\n", 0), 0u) << first;
  EXPECT_NE(first.find("];\n\nrot1 = [\n"), std::string::npos);
  EXPECT_NE(first.find("];\n\nrot2 = [\n       0.866025"), std::string::npos);
  rotz(-30.0, R);
  get_single_rotation_angle_axis(I, R, angle, axis, checks);  // negated: the second report
  const std::string second = log.prg_text().substr(first.size());
  EXPECT_EQ(second.rfind(std::string(78, '-') + "\n-30\t0\t0\t1\n\t 0.86603 ( 0.86603)\t 0.50000 (-0.50000)", 0), 0u)
      << second;
  get_single_rotation_angle_axis(I, R, angle, axis, checks);
  EXPECT_EQ(log.prg_text().size(), first.size() + second.size());
  EXPECT_EQ(log.text(), "");
  VERBOSITY = saved;
}

TEST(rotations, MatrixDifferenceIgnoresTinyElements) {
  rotmat a, b;
  rotx(20.0, a);
  b = a;
  for (long i = 1; i <= 3; ++i)
    for (long j = 1; j <= 3; ++j) b[i][j] += 1e-9;
  EXPECT_EQ(dd_rotmat(a, b), 0.0);
  EXPECT_TRUE(is_equal_rotmat(a, b));
  b[2][3] += 0.01;
  EXPECT_NEAR(dd_rotmat(a, b), 0.01 + 1e-9, 1e-12);
}

TEST(rotations, AlignZaxisTurnsAxisOntoZ) {
  xyz axis{0, 1, 1, 1};
  std::vector<xyz> in{{}, {0, 2, 2, 2}}, out;
  rotmat R;
  align_zaxis(1, axis, in, R, out);
  expect_xyz(out[1], 0, 0, 2 * std::sqrt(3.0), 1e-12);
}

TEST(frames, ProjectAndBackReturnsThePoint) {
  rotmat R;
  xyz ax{0, 0.3, -1, 2};
  rot_arb_axis(ax, 123.0, R);
  const frame f = make_frame({0, 1, -2, 3}, R);
  const xyz p{0, 4.5, 0.25, -7};
  xyz local, back;
  project_xyz_by_frame(f, p, local);
  frame_xyz(f, local, back);
  expect_xyz(back, p[1], p[2], p[3], 1e-12);
  project_xyz_by_oR(f.org, R, p, back);
  expect_xyz(back, local[1], local[2], local[3], 1e-12);
}

TEST(frames, SideViewModes) {
  frame f;
  f.x_axis = {0, 1, 0, 0};
  f.y_axis = {0, 0, 1, 0};
  f.z_axis = {0, 0, 0, 1};
  for (long mode : {0L, 1L, 2L}) {
    SCOPED_TRACE(mode);
    std::vector<xyz> pts{{}, {0, 1, 2, 3}};
    project_xyzNx3_by_frame_side_view(f, mode, 1, pts);
    if (mode == 0) expect_xyz(pts[1], 1, 2, 3);
    if (mode == 1) expect_xyz(pts[1], -2, 3, -1);
    if (mode == 2) expect_xyz(pts[1], 2, 3, 1);
  }
}

TEST(frames, FirstAsReference) {
  rotmat R1, R2, rel;
  rotz(30.0, R1);
  rotx(50.0, rel);
  multiply_matrix_3x3(R1, rel, R2);
  const xyz o1{0, 1, 1, 1};
  xyz o2;
  oR_xyz(o1, R1, {0, 2, 0, 0}, o2);  // 2 along frame 1's x
  xyz o;
  rotmat R;
  set_first_as_reference_by_rotmat(o1, R1, o2, R2, o, R);
  expect_xyz(o, 2, 0, 0, 1e-12);
  expect_rotmat(R, rel, 1e-12);
  frame out;
  set_first_as_reference_by_frame(make_frame(o1, R1), make_frame(o2, R2), out);
  expect_xyz(out.org, 2, 0, 0, 1e-12);
  expect_xyz(out.y_axis, rel[1][2], rel[2][2], rel[3][2], 1e-12);
}

TEST(frames, SegmentIntersection) {
  double x = -1, y = -1;
  EXPECT_EQ(get_lineSegments_intersection(0, 0, 2, 2, 0, 2, 2, 0, &x, &y), 1);
  EXPECT_DOUBLE_EQ(x, 1.0);
  EXPECT_DOUBLE_EQ(y, 1.0);
  EXPECT_EQ(get_lineSegments_intersection(0, 0, 2, 2, 0, 1, 2, 3, &x, &y), 0);  // parallel
  EXPECT_EQ(get_lineSegments_intersection(0, 0, 1, 1, 3, 0, 2, 1, nullptr, nullptr), 0);
}

TEST(matrices, GeneralProductsCheckShapes) {
  dmatrix_t a(1, 2, 1, 3), b(1, 3, 1, 1), out;
  for (long j = 1; j <= 3; ++j) {
    a[1][j] = j;
    a[2][j] = 1;
    b[j][1] = 1;
  }
  multiply_matrix(a, 2, 3, b, 3, 1, out);
  EXPECT_EQ(out[1][1], 6.0);
  EXPECT_EQ(out[2][1], 3.0);
  EXPECT_EQ(test::fatal_message([&] { multiply_matrix(a, 2, 3, b, 2, 1, out); }),
            "multiply_matrix(): matrices a and b do not conform\n");
  std::vector<double> v{0, 1, 1, 1}, r;
  multiply_matrix_vec(a, 2, 3, v, 3, r);
  EXPECT_EQ(r[1], 6.0);
  EXPECT_EQ(test::fatal_message([&] { multiply_vec_matrix(v, 3, a, 2, 3, r); }),
            "multiply_vec_matrix(): vector and matrix do not conform\n");
  std::vector<xyz> none;
  EXPECT_EQ(test::fatal_message([&] { move_to_center(none, 0); }), "ave_dmatrix(): zero rows\n");
}

TEST(matrices, PrintingFormats) {
  FILE* fp = std::tmpfile();
  rotmat I;
  identity_matrix(I);
  print_dmatrix(fp, I, "I");
  print_vec3(fp, {0, 1, 2, 3}, "%.1f %.1f %.1f", " #");
  print_vec3(nullptr, I[1], nullptr, "");
  EXPECT_EQ(test::read_stream(fp),
            "\tI\n"
            "        1.000000         0.000000         0.000000\n"
            "        0.000000         1.000000         0.000000\n"
            "        0.000000         0.000000         1.000000\n"
            "1.0 2.0 3.0 #\n");
  std::fclose(fp);
}

TEST(matrices, PointListPrintAndXyzFile) {
  const std::vector<xyz> pts{{}, {0, 1, 2, 3}, {0, -4.5, 0, 1e3}};
  FILE* fp = std::tmpfile();
  print_dmatrix(fp, pts, 2, "pts");
  EXPECT_EQ(test::read_stream(fp),
            "\tpts\n"
            "        1.000000         2.000000         3.000000\n"
            "       -4.500000         0.000000      1000.000000\n");
  std::fclose(fp);
  char name[] = "/tmp/vask_xyz_XXXXXX";
  const int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  close(fd);
  write_xyz(2, pts, "two points", name);
  EXPECT_EQ(test::read_file(name),
            "2\n"
            "# two points\n"
            " C         1.00000        2.00000        3.00000 # 1\n"
            " C        -4.50000        0.00000     1000.00000 # 2\n");
  std::remove(name);
}

TEST(sorting, ShellSortCasesAndIndex) {
  std::vector<double> v{0, 3, 1, 2};
  std::vector<long> idx(4);
  sort_dvec_idx(3, v, idx);
  EXPECT_EQ(v, (std::vector<double>{0, 1, 2, 3}));
  EXPECT_EQ(idx, (std::vector<long>{0, 2, 3, 1}));

  v = {0, 1, 3, 2};
  sort_dvec_idx_decrease(3, v, idx);
  EXPECT_EQ(v, (std::vector<double>{0, 3, 2, 1}));
  EXPECT_EQ(idx, (std::vector<long>{0, 2, 3, 1}));

  std::vector<long> l{0, 7, 7};
  std::vector<long> li(3);
  sort_lvec_idx_decrease(2, l, li);
  EXPECT_EQ(li, (std::vector<long>{0, 2, 1}));

  std::vector<long> untouched{0, 9, 9};
  sort_lvec_idx(0, l, untouched);
  EXPECT_EQ(untouched, (std::vector<long>{0, 9, 9}));

  std::vector<long> abc{0, 10, 20, 30};
  reorder_lvector_by_idx({0, 2, 3, 1}, 3, abc);
  EXPECT_EQ(abc, (std::vector<long>{0, 20, 30, 10}));
}

TEST(sorting, RandomInputsSortAndIndexAgree) {
  std::mt19937 gen(7);
  std::uniform_int_distribution<long> pick(0, 9);  // many ties
  for (long n : {1L, 4L, 5L, 13L, 14L, 41L, 200L}) {
    SCOPED_TRACE(n);
    std::vector<long> v(n + 1), orig, idx(n + 1);
    for (long i = 1; i <= n; ++i) v[i] = pick(gen);
    orig = v;
    sort_lvec_idx(n, v, idx);
    for (long i = 1; i <= n; ++i) {
      EXPECT_EQ(v[i], orig[idx[i]]);
      if (i > 1) {
        EXPECT_LE(v[i - 1], v[i]);
      }
    }
    std::vector<long> seen(n + 1, 0);
    for (long i = 1; i <= n; ++i) ++seen[idx[i]];
    for (long i = 1; i <= n; ++i) EXPECT_EQ(seen[i], 1);
  }
}

TEST(sorting, ShellSortMayReorderTiesButStableHelperDoesNot) {
  // h = 4 pass moves the 1 at position 5 past the first 2; the ties end
  // up in the order the prescribed increments give.
  std::vector<double> v{0, 2, 2, 2, 2, 1};
  std::vector<long> idx(6);
  sort_dvec_idx(5, v, idx);
  EXPECT_EQ(idx, (std::vector<long>{0, 5, 2, 3, 4, 1}));

  std::vector<std::pair<int, int>> p{{0, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}, {1, 5}};
  stable_sort_1n(p, 5, [](const auto& a, const auto& b) { return a.first < b.first; });
  EXPECT_EQ(p[1].second, 5);
  EXPECT_EQ(p[2].second, 1);
  EXPECT_EQ(p[5].second, 4);
}

}  // namespace vask
