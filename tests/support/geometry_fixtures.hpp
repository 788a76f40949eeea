// Comparisons and builders shared by the geometry tests.
#pragma once

#include <gtest/gtest.h>

#include <random>

#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/vector3.hpp"

namespace vask::test {

inline void expect_xyz(const xyz& got, const xyz& want, double tol = 1e-12) {
  for (long i = 1; i <= 3; ++i) EXPECT_NEAR(got[i], want[i], tol) << "component " << i;
}

inline void expect_rotmat(const rotmat& a, const rotmat& b, double tol = 1e-12) {
  for (long i = 1; i <= 3; ++i)
    for (long j = 1; j <= 3; ++j) EXPECT_NEAR(a[i][j], b[i][j], tol) << "element " << i << "," << j;
}

// A frame record with origin o and the columns of R as axes.
inline frame make_frame(const xyz& o, const rotmat& R) {
  frame f;
  f.org = o;
  for (long i = 1; i <= 3; ++i) {
    f.x_axis[i] = R[i][1];
    f.y_axis[i] = R[i][2];
    f.z_axis[i] = R[i][3];
  }
  return f;
}

inline rotmat random_rotation(std::mt19937& gen) {
  std::uniform_real_distribution<double> u(-1.0, 1.0), a(-180.0, 180.0);
  xyz axis{0, u(gen), u(gen), u(gen)};
  rotmat R;
  rot_arb_axis(axis, a(gen), R);
  return R;
}

}  // namespace vask::test
