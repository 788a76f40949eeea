#include "support/arrays.hpp"
#include "support/bp_step_params.hpp"
#include "support/fitting.hpp"
#include "support/geometry_fixtures.hpp"
#include "support/linear_algebra.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <random>

namespace vask {

using test::expect_rotmat;
using test::expect_xyz;
using test::make_frame;
using test::random_rotation;

namespace {

void expect_pars(const par_set& got, const par_set& want, double tol) {
  for (long i = 1; i <= 6; ++i) EXPECT_NEAR(got[i], want[i], tol) << "parameter " << i;
}

dmatrix_t make_matrix(long n, std::initializer_list<double> rows) {
  dmatrix_t m(1, n, 1, n);
  auto it = rows.begin();
  for (long i = 1; i <= n; ++i)
    for (long j = 1; j <= n; ++j) m[i][j] = *it++;
  return m;
}

// A base-sized, non-planar point set.
std::vector<xyz> sample_points() {
  return {{}, {0, 1.2, 0.3, -0.4}, {0, -0.7, 2.1, 0.5}, {0, 2.2, -1.3, 0.9}, {0, 0.1, 0.2, 1.7},
          {0, -2.0, -0.6, -0.8}, {0, 3.1, 1.4, 0.2}, {0, -1.1, 0.9, -1.9}};
}

struct saved_opening {
  double saved = Gvars.opening;
  ~saved_opening() { mutable_gvars().opening = saved; }
};

}  // namespace

// ---------------------------------------------------------------------------
// Linear algebra

TEST(linear_algebra, JacobiOfTwoByTwo) {
  dmatrix_t a = make_matrix(2, {2, 1, 1, 2}), v;
  std::vector<double> d;
  laa_jacobi(a, 2, d, v);
  EXPECT_NEAR(d[1], 1.0, 1e-12);
  EXPECT_NEAR(d[2], 3.0, 1e-12);
  EXPECT_NEAR(v[1][1], -v[2][1], 1e-12);  // (1, -1)
  EXPECT_NEAR(v[1][2], v[2][2], 1e-12);   // (1, 1)
  EXPECT_NEAR(std::fabs(v[1][2]), 1.0 / std::sqrt(2.0), 1e-12);
}

TEST(linear_algebra, JacobiSortsDiagonalAndTies) {
  struct row { double d1, d2, d3; long c1, c2, c3; };  // expected columns: source axis of each
  const row rows[] = {{1, 2, 3, 1, 2, 3}, {3, 1, 2, 2, 3, 1}, {2, 2, 1, 3, 2, 1}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.d1 * 100 + r.d2 * 10 + r.d3);
    rotmat a{}, v;
    a[1][1] = r.d1;
    a[2][2] = r.d2;
    a[3][3] = r.d3;
    xyz d;
    laa_jacobi_3x3(a, d, v);
    EXPECT_LE(d[1], d[2]);
    EXPECT_LE(d[2], d[3]);
    const long cols[] = {0, r.c1, r.c2, r.c3};
    for (long j = 1; j <= 3; ++j) EXPECT_EQ(v[cols[j]][j], 1.0) << "column " << j;
  }
}

TEST(linear_algebra, JacobiOfRandomSymmetricMatrix) {
  std::mt19937 gen(11);
  std::uniform_real_distribution<double> u(-5, 5);
  const long n = 6;
  dmatrix_t a(1, n, 1, n), v;
  for (long i = 1; i <= n; ++i)
    for (long j = i; j <= n; ++j) a[i][j] = a[j][i] = u(gen);
  const dmatrix_t orig = a;
  std::vector<double> d;
  laa_jacobi(a, n, d, v);
  for (long j = 1; j <= n; ++j) {
    if (j > 1) {
      EXPECT_LE(d[j - 1], d[j]);
    }
    for (long i = 1; i <= n; ++i) {
      double av = 0.0;
      for (long k = 1; k <= n; ++k) av += orig[i][k] * v[k][j];
      EXPECT_NEAR(av, d[j] * v[i][j], 1e-9);
    }
  }
}

TEST(linear_algebra, DeterminantAndInverse) {
  EXPECT_DOUBLE_EQ(get_matrix_determinant(make_matrix(3, {0, 1, 0, 1, 0, 0, 0, 0, 1}), 3), -1.0);
  EXPECT_DOUBLE_EQ(get_matrix_determinant(make_matrix(3, {0, 1, 0, 0, 0, 1, 1, 0, 0}), 3), 1.0);
  EXPECT_NEAR(get_matrix_determinant(make_matrix(3, {2, 0, 1, 1, 3, 2, 1, 1, 2}), 3), 6.0, 1e-12);
  // a zero row is a singular matrix, not a reason to end the run
  EXPECT_EQ(get_matrix_determinant(make_matrix(3, {1, 2, 3, 0, 0, 0, 4, 5, 6}), 3), 0.0);
  EXPECT_EQ(get_matrix_trace(make_matrix(2, {1, 9, 9, 4}), 2), 5.0);
  EXPECT_EQ(get_matrix_trace(dmatrix_t(), 0), 0.0);

  rotmat R;
  xyz axis{0, 1, 2, 3};
  rot_arb_axis(axis, 70.0, R);
  dmatrix_t a(1, 3, 1, 3), inv;
  for (long i = 1; i <= 3; ++i)
    for (long j = 1; j <= 3; ++j) a[i][j] = R[i][j];
  real_matrix_inverse(a, 3, inv);
  for (long i = 1; i <= 3; ++i)
    for (long j = 1; j <= 3; ++j) EXPECT_NEAR(inv[i][j], R[j][i], 1e-12);

  dmatrix_t zero_row = make_matrix(2, {1, 2, 0, 0});
  EXPECT_EQ(test::fatal_message([&] { real_matrix_inverse(zero_row, 2, inv); }), "laa_ludcmp(): singular matrix\n");
}

TEST(linear_algebra, SvdReconstructsAndSolves) {
  std::mt19937 gen(5);
  std::uniform_real_distribution<double> u(-3, 3);
  const long m = 5, n = 3;
  dmatrix_t a(1, m, 1, n), v;
  for (long i = 1; i <= m; ++i)
    for (long j = 1; j <= n; ++j) a[i][j] = u(gen);
  const dmatrix_t orig = a;
  std::vector<double> w;
  laa_svdcmp(a, m, n, w, v);
  for (long i = 1; i <= m; ++i)
    for (long j = 1; j <= n; ++j) {
      double s = 0.0;
      for (long k = 1; k <= n; ++k) s += a[i][k] * w[k] * v[j][k];
      EXPECT_NEAR(s, orig[i][j], 1e-10);
    }
  for (long k = 1; k <= n; ++k) EXPECT_GE(w[k], 0.0);

  const dmatrix_t s3 = make_matrix(3, {2, 0, 1, 1, 3, 2, 1, 1, 2});
  std::vector<double> x, b{0, 5, 13, 9};  // solution (1, 2, 3)
  solve_lin_equ(s3, 3, b, x);
  EXPECT_NEAR(x[1], 1.0, 1e-10);
  EXPECT_NEAR(x[2], 2.0, 1e-10);
  EXPECT_NEAR(x[3], 3.0, 1e-10);
  EXPECT_DOUBLE_EQ(laa_pythag(3e200, 4e200), 5e200);
  EXPECT_EQ(laa_pythag(0.0, 0.0), 0.0);
}

// ---------------------------------------------------------------------------
// Superposition

TEST(ls_fitting, RecoversRotationAndShiftOfACopy) {
  const std::vector<xyz> a = sample_points();
  const long n = static_cast<long>(a.size()) - 1;
  std::mt19937 gen(3);
  for (long trial = 0; trial < 20; ++trial) {
    SCOPED_TRACE(trial);
    const rotmat R = random_rotation(gen);
    const xyz shift{0, 10.0 * trial, -3.5, 7.25};
    std::vector<xyz> b(n + 1), fitted;
    for (long k = 1; k <= n; ++k) oR_xyz(shift, R, a[k], b[k]);
    rotmat got;
    xyz org;
    const double rmsd = ls_fitting(a, b, n, &fitted, &org, &got);
    EXPECT_NEAR(rmsd, 0.0, 1e-6);
    expect_rotmat(got, R, 1e-9);
    expect_xyz(org, shift, 1e-8);
    for (long k = 1; k <= n; ++k) expect_xyz(fitted[k], b[k], 1e-8);
  }
}

TEST(ls_fitting, TinySetsStillGiveTheRotation) {
  // At 0.01 of base size every adjugate column is far below 1e-6: the
  // rotation must still come out, not the identity.
  std::vector<xyz> a = sample_points();
  const long n = static_cast<long>(a.size()) - 1;
  for (long k = 1; k <= n; ++k) scalar_times_xyz(a[k], 0.01, a[k]);
  std::mt19937 gen(6);
  const rotmat R = random_rotation(gen);
  std::vector<xyz> b(n + 1);
  for (long k = 1; k <= n; ++k) oR_xyz({0, 1, 1, 1}, R, a[k], b[k]);
  rotmat got;
  EXPECT_NEAR(ls_fitting(a, b, n, nullptr, nullptr, &got), 0.0, 1e-8);
  expect_rotmat(got, R, 1e-8);
}

TEST(ls_fitting, RmsdMatchesTheFittedCoordinates) {
  std::vector<xyz> a = sample_points(), b = a;
  std::mt19937 gen(9);
  std::normal_distribution<double> noise(0.0, 0.3);
  const long n = static_cast<long>(a.size()) - 1;
  for (long k = 1; k <= n; ++k)
    for (long i = 1; i <= 3; ++i) b[k][i] += noise(gen);
  std::vector<xyz> fitted;
  const double rmsd = lsfit_coordinates(a, b, n, fitted);
  double s = 0.0;
  for (long k = 1; k <= n; ++k) s += dist_xyz_square(fitted[k], b[k]);
  EXPECT_NEAR(rmsd, std::sqrt(s / n), 1e-9);
  EXPECT_NEAR(lsfit_rmsd(a, b, n), rmsd, 1e-12);
  EXPECT_GT(rmsd, 0.05);
}

TEST(ls_fitting, TooFewPointsAndSelfFit) {
  const std::vector<xyz> a = sample_points();
  rotmat R;
  R[1][1] = 42.0;
  xyz org{0, 7, 7, 7};
  EXPECT_EQ(ls_fitting(a, a, 2, nullptr, &org, &R), -1.0);
  EXPECT_EQ(R[1][1], 42.0);  // untouched
  EXPECT_EQ(org[1], 7.0);
  EXPECT_NEAR(ls_fitting(a, a, 7, nullptr, &org, &R), 0.0, 1e-6);
  rotmat I;
  identity_matrix(I);
  expect_rotmat(R, I, 1e-10);
  expect_xyz(org, {0, 0, 0, 0}, 1e-10);
}

TEST(ls_fitting, DegenerateSetsGiveFiniteResults) {
  std::mt19937 gen(4);
  const rotmat R = random_rotation(gen);
  struct named { const char* name; std::vector<xyz> pts; };
  const named sets[] = {
      {"planar ring", {{}, {0, 1.4, 0, 0}, {0, 0.7, 1.2, 0}, {0, -0.7, 1.2, 0}, {0, -1.4, 0, 0}, {0, -0.7, -1.2, 0},
                       {0, 0.7, -1.2, 0}}},
      {"collinear", {{}, {0, 0, 0, 0}, {0, 1, 1, 1}, {0, 2, 2, 2}, {0, 3.5, 3.5, 3.5}}},
      {"coincident", {{}, {0, 1, 2, 3}, {0, 1, 2, 3}, {0, 1, 2, 3}}},
  };
  for (const named& s : sets) {
    SCOPED_TRACE(s.name);
    test::log_capture log;  // a collinear set logs the slow-convergence warning
    const long n = static_cast<long>(s.pts.size()) - 1;
    std::vector<xyz> b(n + 1), fitted;
    const xyz shift{0, 1, 2, 3};
    for (long k = 1; k <= n; ++k) oR_xyz(shift, R, s.pts[k], b[k]);
    rotmat got;
    xyz org;
    const double rmsd = ls_fitting(s.pts, b, n, &fitted, &org, &got);
    EXPECT_NEAR(rmsd, 0.0, 1e-6);
    for (long k = 1; k <= n; ++k) {
      EXPECT_TRUE(std::isfinite(fitted[k][1]) && std::isfinite(fitted[k][2]) && std::isfinite(fitted[k][3]));
      expect_xyz(fitted[k], b[k], 1e-6);
    }
    EXPECT_NEAR(det_3x3(got), 1.0, 1e-9);
  }
}

TEST(ls_fitting, TooFewPairsLoggedOnlyWhenVerbose) {
  const std::vector<xyz> a = sample_points();
  const long saved = VERBOSITY;
  {
    test::log_capture log(true);
    VERBOSITY = 9;
    EXPECT_EQ(lsfit_rmsd(a, a, 2), -1.0);
    EXPECT_EQ(log.text(), "ls_fitting(): too few atom pairs (2 < 3)\n");
    EXPECT_EQ(log.prg_text(), "ls_fitting(): too few atom pairs (2 < 3)\n");
    VERBOSITY = 1;
    EXPECT_EQ(lsfit_rmsd(a, a, 1), -1.0);
    EXPECT_EQ(log.text(), "ls_fitting(): too few atom pairs (2 < 3)\n");
  }
  VERBOSITY = saved;
}

TEST(ls_fitting, JacobiRouteAgreesWithQcp) {
  std::vector<xyz> a = sample_points(), b(a.size());
  const long n = static_cast<long>(a.size()) - 1;
  std::mt19937 gen(31);
  std::normal_distribution<double> noise(0.0, 0.2);
  const rotmat R = random_rotation(gen);
  for (long k = 1; k <= n; ++k) {
    oR_xyz({0, 4, -4, 1}, R, a[k], b[k]);
    for (long i = 1; i <= 3; ++i) b[k][i] += noise(gen);
  }
  rotmat r1, r2;
  xyz o1, o2;
  std::vector<xyz> f1, f2;
  const double q = ls_fitting(a, b, n, &f1, &o1, &r1);
  const double j = VASK_ls_fitting(a, b, n, &f2, &o2, &r2);
  EXPECT_NEAR(q, j, 1e-9);
  expect_rotmat(r1, r2, 1e-7);
  expect_xyz(o1, o2, 1e-6);
  expect_xyz(f1[n], f2[n], 1e-6);
  EXPECT_EQ(VASK_ls_fitting(a, b, 2, nullptr, nullptr, nullptr), -1.0);
}

// ---------------------------------------------------------------------------
// Planes and statistics

TEST(ls_plane, PointsOnZEqualsFive) {
  std::vector<xyz> pts{{}, {0, 0, 0, 5}, {0, 3, 1, 5}, {0, -1, 4, 5}, {0, 2, -2, 5}, {0, 5, 5, 5}};
  xyz normal, centroid;
  std::vector<double> dev;
  EXPECT_NEAR(ls_plane(5, pts, normal, centroid, &dev), 5.0, 1e-12);
  expect_xyz(normal, {0, 0, 0, 1}, 1e-12);
  for (long k = 1; k <= 5; ++k) EXPECT_NEAR(dev[k], 0.0, 1e-12);
  std::swap(pts[1], pts[4]);
  std::swap(pts[2], pts[5]);
  xyz normal2;
  ls_plane(5, pts, normal2, centroid, nullptr);
  expect_xyz(normal2, normal, 1e-12);
  EXPECT_EQ(test::fatal_message([&] { ls_plane(2, pts, normal, centroid, nullptr); }),
            "ls_plane(): too few atoms for ls-plane fitting (2 < 3)\n");
}

TEST(ls_plane, NormalPointsUpAndSmallestAxisWins) {
  // plane x + z = 2 written with a downward normal: comes back as z >= 0
  std::vector<xyz> tilted{{}, {0, 0, 0, 2}, {0, 2, 0, 0}, {0, 0, 3, 2}, {0, 1, -1, 1}};
  xyz normal, centroid;
  const double d = ls_plane(4, tilted, normal, centroid, nullptr);
  const double r = 1.0 / std::sqrt(2.0);
  expect_xyz(normal, {0, r, 0, r}, 1e-9);  // Jacobi stops once the off-diagonal sum is below 1e-8
  EXPECT_NEAR(d, 2.0 * r, 1e-9);
  // the plane x = 1 with a diagonal, already ascending covariance
  std::vector<xyz> side{{}, {0, 1, -1, -3}, {0, 1, 1, -3}, {0, 1, -1, 3}, {0, 1, 1, 3}};
  ls_plane(4, side, normal, centroid, nullptr);
  expect_xyz(normal, {0, 1, 0, 0}, 1e-12);
}

TEST(planarity, CountsAndFlatSets) {
  std::vector<xyz> pts{{}, {0, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 1, 1, 0}, {0, 2, 3, 0}};
  EXPECT_EQ(get_planarity(2, pts), -1.0);
  EXPECT_EQ(get_planarity(3, pts), 0.0);
  const double p = get_planarity(5, pts);
  EXPECT_FALSE(std::isnan(p));
  EXPECT_NEAR(p, 0.0, 1e-7);
  pts[5][3] = 2.0;
  EXPECT_GT(get_planarity(5, pts), 0.1);
}

TEST(point_sets, RadiusOfGyrationAndProjection) {
  const std::vector<xyz> pts = sample_points();
  const long n = 7;
  std::vector<double> w(n + 1, 2.5);
  xyz c{};
  for (long k = 1; k <= n; ++k) sum_xyz(c, pts[k], c);
  scalar_times_xyz(c, 1.0 / n, c);
  double s = 0.0;
  for (long k = 1; k <= n; ++k) s += dist_xyz_square(pts[k], c);
  EXPECT_NEAR(get_radius_of_gyration(n, pts, w), std::sqrt(s / n), 1e-12);
  std::vector<xyz> out;
  project_xyz_to_plane(n, pts, {0, 0, 0, 5}, {0, 0, 0, 1}, out);
  for (long k = 1; k <= n; ++k) expect_xyz(out[k], {0, pts[k][1], pts[k][2], 5}, 1e-12);
}

TEST(point_sets, BCScoreOfCopiesMirrorsAndPlanarSets) {
  const std::vector<xyz> pts = sample_points();
  const long n = 7;
  std::mt19937 gen(2);
  const rotmat R = random_rotation(gen);
  std::vector<double> a, b, mirror;
  for (long k = 1; k <= n; ++k) {
    xyz q;
    oR_xyz({0, 5, 5, 5}, R, pts[k], q);
    for (long i = 1; i <= 3; ++i) {
      a.push_back(pts[k][i]);
      b.push_back(q[i]);
      mirror.push_back(i == 1 ? -pts[k][i] : pts[k][i]);
    }
  }
  EXPECT_NEAR(get_BCScore(a, a, n), 1.0, 1e-9);
  EXPECT_NEAR(get_BCScore(a, mirror, n), -1.0, 1e-9);
  std::vector<double> flat = a;
  for (long k = 0; k < n; ++k) flat[3 * k + 2] = 1.0;
  EXPECT_EQ(get_BCScore(flat, a, n), DBL_MAX);
}

// ---------------------------------------------------------------------------
// Base-pair, step and helical parameters

TEST(step_pars, IdenticalFramesGiveZeros) {
  std::mt19937 gen(8);
  const rotmat R = random_rotation(gen);
  const xyz o{0, 1, 2, 3};
  par_set pars;
  rotmat mid;
  xyz mid_org;
  get_step_pars(R, o, R, o, pars, mid, mid_org);
  expect_pars(pars, par_set{}, 1e-10);
  expect_rotmat(mid, R, 1e-10);
  expect_xyz(mid_org, o, 1e-12);
}

TEST(step_pars, TwistAndRiseAboutZ) {
  rotmat I, R;
  identity_matrix(I);
  rotz(36.0, R);
  const xyz o1{}, o2{0, 0, 0, 3.4};
  par_set pars;
  rotmat mid;
  xyz mid_org;
  get_step_pars(I, o1, R, o2, pars, mid, mid_org);
  expect_pars(pars, par_set{0, 0, 0, 3.4, 0, 0, 36}, 1e-10);
  rotmat half;
  rotz(18.0, half);
  expect_rotmat(mid, half, 1e-12);
  expect_xyz(mid_org, {0, 0, 0, 1.7}, 1e-12);
  get_helical_pars(I, o1, R, o2, pars, mid, mid_org);
  expect_pars(pars, par_set{0, 0, 0, 3.4, 0, 0, 36}, 1e-10);
  expect_xyz(mid_org, {0, 0, 0, 1.7}, 1e-10);
}

TEST(step_pars, PureTranslationTakesTheStraightBranch) {
  rotmat I;
  identity_matrix(I);
  par_set pars;
  rotmat mid;
  xyz mid_org;
  get_step_pars(I, {}, I, {0, 1, 0, 3.4}, pars, mid, mid_org);
  expect_pars(pars, par_set{0, 1, 0, 3.4, 0, 0, 0}, 1e-12);
  get_helical_pars(I, {}, I, {0, 1, 0, 3.4}, pars, mid, mid_org);  // no twist: axis falls back to z
  expect_pars(pars, par_set{0, -0.5, 0, 3.4, 0, 0, 0}, 1e-12);
  expect_xyz(mid_org, {0, 0.5, 0, 1.7}, 1e-12);
}

TEST(step_pars, StepEqualsPairWithFramesSwapped) {
  std::mt19937 gen(12);
  for (long trial = 0; trial < 5; ++trial) {
    const rotmat R1 = random_rotation(gen), R2 = random_rotation(gen);
    const xyz o1{0, 1, -1, 2}, o2{0, -2, 0.5, 4};
    par_set step, bp;
    rotmat m1, m2;
    xyz c1, c2;
    get_step_pars(R1, o1, R2, o2, step, m1, c1);
    get_bp_pars(R2, o2, R1, o1, bp, m2, c2);
    for (long i = 1; i <= 6; ++i) EXPECT_EQ(step[i], bp[i]);
    expect_rotmat(m1, m2, 0.0);
  }
}

TEST(step_pars, OpeningLimitAdds360) {
  saved_opening keep;
  rotmat I, R;
  identity_matrix(I);
  rotz(-170.0, R);
  par_set pars;
  rotmat mid;
  xyz org;
  mutable_gvars().opening = -168.0;
  get_step_pars(I, {}, R, {}, pars, mid, org);
  EXPECT_NEAR(pars[6], 190.0, 1e-9);
  mutable_gvars().opening = -170.0;
  rotz(-170.0, R);
  get_step_pars(I, {}, R, {}, pars, mid, org);
  EXPECT_GT(pars[6], -171.0);
  EXPECT_LT(pars[6], 0.0);  // at (or a rounding step above) the limit: unchanged
}

TEST(step_pars, OpposedFramesAreFlippedByTheWrappers) {
  rotmat I, R;
  identity_matrix(I);
  rotx(180.0, R);
  const frame f1 = make_frame({}, I), f2 = make_frame({}, R);
  par_set pars;
  rotmat mid;
  xyz org;
  get_bp_pars_by_frames(f1, f2, pars, mid, org);
  expect_pars(pars, par_set{}, 1e-10);
  get_step_pars_by_frames(f1, f2, pars, mid, org);
  expect_pars(pars, par_set{}, 1e-10);
  frame mf;
  get_step_pars_by_frames0(f1, f2, pars, &mf);
  EXPECT_NEAR(std::hypot(pars[4], pars[5]), 180.0, 1e-9);  // Gamma 180 without the flip
  EXPECT_NE(mf.qtn[0], DBL_MAX);
  get_step_pars_by_frames0(f1, f2, pars, nullptr);
}

TEST(step_pars, MiddleFrameRecords) {
  rotmat I, R;
  identity_matrix(I);
  rotz(36.0, R);
  const frame f1 = make_frame({}, I), f2 = make_frame({0, 0, 0, 3.4}, R);
  frame step_mid, heli_mid;
  get_middle_step_frame(f1, f2, step_mid);
  get_middle_helical_frame(f1, f2, heli_mid);
  rotmat half;
  rotz(18.0, half);
  for (const frame* f : {&step_mid, &heli_mid}) {
    expect_xyz(f->org, {0, 0, 0, 1.7}, 1e-10);
    expect_xyz(f->y_axis, {0, half[1][2], half[2][2], half[3][2]}, 1e-10);
    EXPECT_NEAR(f->qtn[0], std::cos(deg2rad(9.0)), 1e-10);
  }
  xyz axis;
  get_helix_by_frames(f1, f2, axis);
  expect_xyz(axis, {0, 0, 0, 1}, 1e-12);
}

TEST(step_pars, RebuildThenMeasureReturnsTheParameters) {
  std::mt19937 gen(2024);
  std::uniform_real_distribution<double> shift(-3, 3), rise(2.5, 4), bend(-25, 25), twist(-60, 80);
  std::uniform_real_distribution<double> disp(-5, 5), htwist(15, 60);
  rotmat I;
  identity_matrix(I);
  for (long trial = 0; trial < 200; ++trial) {
    SCOPED_TRACE(trial);
    const par_set step{0, shift(gen), shift(gen), rise(gen), bend(gen), bend(gen), twist(gen)};
    rotmat rot, mid, got_mid;
    xyz org, mid_org, got_org;
    par_set got;
    rebuild_by_step_pars(step, rot, org, mid, mid_org);
    get_step_pars(I, {}, rot, org, got, got_mid, got_org);
    expect_pars(got, step, 1e-8);
    expect_rotmat(got_mid, mid, 1e-9);
    expect_xyz(got_org, mid_org, 1e-9);

    const par_set heli{0, disp(gen), disp(gen), rise(gen), bend(gen), bend(gen),
                       trial % 2 ? htwist(gen) : -htwist(gen)};
    rebuild_by_heli_pars(heli, rot, org, mid, mid_org);
    get_helical_pars(I, {}, rot, org, got, got_mid, got_org);
    expect_pars(got, heli, 1e-8);
    expect_rotmat(got_mid, mid, 1e-9);
    expect_xyz(got_org, mid_org, 1e-8);
  }
}

TEST(step_pars, SmallHelicalTwistIsBuiltAsMinimum) {
  rotmat a, b, m;
  xyz o, mo, o2, mo2;
  rebuild_by_heli_pars(par_set{0, 1, 2, 3.4, 0, 0, 0.01}, a, o, m, mo);
  rebuild_by_heli_pars(par_set{0, 1, 2, 3.4, 0, 0, 0.05}, b, o2, m, mo2);
  expect_rotmat(a, b, 0.0);
  expect_xyz(o, o2, 0.0);
}

TEST(step_pars, InvariantUnderACommonRigidMotion) {
  std::mt19937 gen(77);
  std::uniform_real_distribution<double> u(-20, 20);
  for (long trial = 0; trial < 50; ++trial) {
    SCOPED_TRACE(trial);
    const rotmat R1 = random_rotation(gen), R2 = random_rotation(gen), G = random_rotation(gen);
    const xyz o1{0, u(gen), u(gen), u(gen)}, o2{0, u(gen), u(gen), u(gen)}, t{0, u(gen), u(gen), u(gen)};
    rotmat G1, G2;
    multiply_matrix_3x3(G, R1, G1);
    multiply_matrix_3x3(G, R2, G2);
    xyz g1, g2;
    oR_xyz(t, G, o1, g1);
    oR_xyz(t, G, o2, g2);
    const frame f1 = make_frame(o1, R1), f2 = make_frame(o2, R2);
    const frame h1 = make_frame(g1, G1), h2 = make_frame(g2, G2);
    par_set a, b;
    rotmat m;
    xyz mo;
    get_step_pars_by_frames(f1, f2, a, m, mo);
    get_step_pars_by_frames(h1, h2, b, m, mo);
    expect_pars(a, b, 1e-8);
    get_bp_pars_by_frames(f1, f2, a, m, mo);
    get_bp_pars_by_frames(h1, h2, b, m, mo);
    expect_pars(a, b, 1e-8);
    get_helical_pars_by_frames(f1, f2, a, m, mo);
    get_helical_pars_by_frames(h1, h2, b, m, mo);
    expect_pars(a, b, 1e-7);
  }
}

}  // namespace vask
