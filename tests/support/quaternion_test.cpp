#include "support/geometry_fixtures.hpp"
#include "support/linear_algebra.hpp"
#include "support/quaternion.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/vector3.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <random>

namespace vask {

using test::expect_rotmat;

namespace {

void expect_qtn(const qtn& q, double w, double x, double y, double z, double tol = 1e-12) {
  EXPECT_NEAR(q[0], w, tol);
  EXPECT_NEAR(q[1], x, tol);
  EXPECT_NEAR(q[2], y, tol);
  EXPECT_NEAR(q[3], z, tol);
}

}  // namespace

TEST(quaternion, FromRotmatBranches) {
  rotmat R;
  qtn q;
  identity_matrix(R);
  qtn_from_rotmat(R, q);
  expect_qtn(q, 1, 0, 0, 0);
  struct row { const char* name; void (*rot)(double, rotmat&); double x, y, z; };
  const row rows[] = {{"x", rotx, 1, 0, 0}, {"y", roty, 0, 1, 0}, {"z", rotz, 0, 0, 1}};
  for (const row& r : rows) {  // 180 degrees: trace -1, the diagonal branch
    SCOPED_TRACE(r.name);
    r.rot(180.0, R);
    qtn_from_rotmat(R, q);
    expect_qtn(q, 0, r.x, r.y, r.z);
  }
}

TEST(quaternion, MatrixToQuaternionToMatrixIsIdentityMap) {
  std::mt19937 gen(21);
  std::uniform_real_distribution<double> u(-1, 1), a(-180, 180);
  for (long trial = 0; trial < 200; ++trial) {
    SCOPED_TRACE(trial);
    xyz axis{0, u(gen), u(gen), u(gen)};
    rotmat R, back;
    rot_arb_axis(axis, trial < 10 ? 180.0 - trial * 1e-3 : a(gen), R);
    qtn q;
    qtn_from_rotmat(R, q);
    qtn_to_rotmat(q, back);
    expect_rotmat(back, R, 1e-12);
    frame f;
    qtn_to_frame(q, f);
    EXPECT_NEAR(f.y_axis[3], R[3][2], 1e-12);
    qtn q2;
    qtn_from_frame(f, q2);
    EXPECT_NEAR(std::fabs(quaternions_dot(q, q2)), 1.0, 1e-12);
  }
}

TEST(quaternion, ToRotmatNormalises) {
  qtn q{2, 0, 0, 0};
  rotmat R, I;
  identity_matrix(I);
  qtn_to_rotmat(q, R);
  expect_rotmat(R, I, 0.0);
  expect_qtn(q, 1, 0, 0, 0, 0.0);

  test::log_capture log;
  qtn zero{0, 0, 0, 0};
  qtn_to_rotmat(zero, R);
  EXPECT_EQ(log.text(), "\t***magnitude: <0>***\n");
  expect_rotmat(R, I, 0.0);  // no NaN from a zero quaternion
}

TEST(quaternion, AxisAngleConversions) {
  rotmat R;
  xyz axis;
  double angle = -1;
  rotz(90.0, R);
  qtn_rotmat_to_AxisAngle(R, axis, angle);
  EXPECT_NEAR(angle, 90.0, 1e-12);
  EXPECT_NEAR(axis[3], 1.0, 1e-12);
  identity_matrix(R);
  qtn_rotmat_to_AxisAngle(R, axis, angle);
  EXPECT_EQ(angle, 0.0);
  EXPECT_EQ(axis, (xyz{0, 0, 0, 1}));

  qtn q;
  qtn_from_AxisAngle({0, 0, 0, 3}, 60.0, q);
  expect_qtn(q, std::cos(deg2rad(30)), 0, 0, 0.5);
  qtn_from_AxisAngle({0, 0, 0, 3}, 1e-9, q);
  expect_qtn(q, 1, 0, 0, 0, 0.0);

  rotmat Rn;
  rotz(-40.0, Rn);
  qtn_from_dx_dy(Rn, q);
  rotmat back;
  qtn_to_rotmat(q, back);
  expect_rotmat(back, Rn, 1e-9);
}

TEST(quaternion, ProductComposesRotations) {
  qtn p, q, pq;
  qtn_from_AxisAngle({0, 1, 0, 0}, 30.0, p);
  qtn_from_AxisAngle({0, 0, 1, 0}, 50.0, q);
  quaternions_multiplication(p, q, pq);
  rotmat Rp, Rq, Rpq, prod;
  qtn_to_rotmat(p, Rp);
  qtn_to_rotmat(q, Rq);
  qtn_to_rotmat(pq, Rpq);
  multiply_matrix_3x3(Rp, Rq, prod);
  expect_rotmat(Rpq, prod, 1e-12);

  xyz out;
  qtn_rotate_one_point(q, {0, 1, 0, 0}, out);
  EXPECT_NEAR(out[3], -std::sin(deg2rad(50)), 1e-12);

  qtn a{1, 0, 0, 0}, b{0, 1, 0, 0};
  EXPECT_NEAR(quaternions_angle(a, b), 90.0, 1e-12);
  qtn c = p;
  qtn_conjugate(c);
  qtn_negate(c);
  EXPECT_FALSE(qtn_is_equal(c, p));
  qtn_copy_conjugate(c, c);
  qtn_negate(c);
  EXPECT_TRUE(qtn_is_equal(c, p));
}

TEST(quaternion, PrintAndUnset) {
  qtn q;
  qtn_init(q);
  EXPECT_EQ(q[2], DBL_MAX);
  qtn_by_num(q, 1, 2, 3, 4);
  FILE* fp = std::tmpfile();
  qtn_print(q, "q", fp);
  qtn_print(q, "q", nullptr);
  EXPECT_EQ(test::read_stream(fp), "q\t[        1.000000         2.000000         3.000000         4.000000 ]\n");
  std::fclose(fp);
}

}  // namespace vask
