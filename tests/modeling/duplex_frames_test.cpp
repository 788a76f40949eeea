// Curves+ and CEHS frames, the parameters of two frames by their single
// rotation, and the twist conversions.
#include "modeling/duplex_frames.hpp"
#include "pairing/frame.hpp"
#include "pairing/prepare.hpp"
#include "structure/atom.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/linear_algebra.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace vask {
namespace {

frame frame_from(const rotmat& R, const xyz& o) {
  frame f;
  init_one_frame(f);
  fillout_frame_from_oR(o, R, f);
  return f;
}

TEST(TwistConversion, NoBendingKeepsTheTwist) {
  for (double t : {0.0, 20.0, 36.0, 90.0, 150.0}) {
    EXPECT_NEAR(twist_to_helical_twist(t, 0, 0), t, 1e-9) << t;
    EXPECT_NEAR(helical_twist_to_twist(t, 0, 0), t, 1e-9) << t;
  }
}

TEST(TwistConversion, RoundTripWithBending) {
  const double h = twist_to_helical_twist(36.0, 3.0, 8.0);
  EXPECT_GT(h, 36.0);  // bending adds to the rotation about the helical axis
  EXPECT_NEAR(helical_twist_to_twist(h, 3.0, 8.0), 36.0, 1e-9);
}

TEST(TwistConversion, HelicalTwistBelowBendingIsAnInvariantFailure) {
  test::log_capture quiet;
  const std::string msg = test::fatal_message([] { helical_twist_to_twist(2.0, 3.0, 4.0); });
  EXPECT_NE(msg.find("Assertion failed"), std::string::npos) << msg;
}

TEST(FramesToParameters, IdenticalFramesGiveZerosAndNoAxisPosition) {
  rotmat I;
  identity_matrix(I);
  const frame a = frame_from(I, xyz{0, 1, 2, 3});
  par_set p{};
  frame mid, helical;
  EXPECT_FALSE(frames_to_parameters(a, a, p, mid, helical));
  for (long j = 1; j <= 6; ++j) EXPECT_NEAR(p[j], 0.0, 1e-12) << j;
  // never inf or NaN: the origin is marked unset
  for (long j = 1; j <= 3; ++j) EXPECT_EQ(helical.org[j], DBL_MAX);
  EXPECT_NEAR(helical.z_axis[3], 1.0, 1e-12);
}

TEST(FramesToParameters, PureTranslationLeavesTheAxisPositionUnset) {
  rotmat I;
  identity_matrix(I);
  par_set p{};
  frame mid, helical;
  EXPECT_FALSE(frames_to_parameters(frame_from(I, xyz{0, 0, 0, 0}), frame_from(I, xyz{0, 1, 0, 3.4}),
                                    p, mid, helical));
  EXPECT_NEAR(p[1], 1.0, 1e-9);
  EXPECT_NEAR(p[3], 3.4, 1e-9);
  EXPECT_TRUE(std::isfinite(p[6]));
}

TEST(FramesToParameters, RegularStepAboutAnOffsetAxis) {
  // frame b: a turned 36 degrees about the z-axis through (1, 0) and raised 3.4
  rotmat I, R;
  identity_matrix(I);
  rotz(36.0, R);
  const xyz c{0, 1, 0, 0};
  xyz rc, ob;
  multiply_vec_transposed_matrix_by3(c, R, rc);  // R c
  set_xyz(ob, c[1] - rc[1], c[2] - rc[2], 3.4);
  par_set p{};
  frame mid, helical;
  ASSERT_TRUE(frames_to_parameters(frame_from(I, xyz{0, 0, 0, 0}), frame_from(R, ob), p, mid, helical));
  EXPECT_NEAR(p[3], 3.4, 1e-9);
  EXPECT_NEAR(p[4], 0.0, 1e-9);
  EXPECT_NEAR(p[5], 0.0, 1e-9);
  EXPECT_NEAR(p[6], 36.0, 1e-9);
  EXPECT_NEAR(std::hypot(p[1], p[2]), dist_xyz(xyz{0, 0, 0, 0}, xyz{0, ob[1], ob[2], 0}), 1e-9);
  // the helical axis passes through (1, 0)
  EXPECT_NEAR(helical.org[1], 1.0, 1e-9);
  EXPECT_NEAR(helical.org[2], 0.0, 1e-9);
  EXPECT_NEAR(helical.z_axis[3], 1.0, 1e-12);
}

TEST(CurvesTables, LettersAndCounts) {
  std::vector<std::string> names;
  std::vector<xyz> pts;
  EXPECT_EQ(populate_one_frame_xyz('a', names, pts), 10);
  EXPECT_EQ(names[1], " C1'");
  EXPECT_EQ(names[2], " N9 ");
  EXPECT_EQ(populate_one_frame_xyz('I', names, pts), 10);
  EXPECT_EQ(populate_one_frame_xyz('u', names, pts), 7);
  EXPECT_EQ(populate_one_frame_xyz('P', names, pts), 7);
  EXPECT_EQ(names[2], " C5 ");
  test::log_capture quiet;
  EXPECT_NE(test::fatal_message([&] { populate_one_frame_xyz('X', names, pts); }).find("Assertion"),
            std::string::npos);
}

class DuplexFramesOn1bna : public ::testing::Test {
 protected:
  void SetUp() override {
    quiet_ = std::make_unique<test::log_capture>();
    mutable_gvars() = gvars_rec{};
    reset_periodic_table();
    init_struct_mol(test::test_data("1bna.pdb"), mol_);
    read_pdb(test::test_data("1bna.pdb"), mol_);
  }
  void TearDown() override {
    free_struct_mol(mol_);
    mutable_gvars() = gvars_rec{};
    quiet_.reset();
  }
  std::unique_ptr<test::log_capture> quiet_;
  struct_mol mol_;
};

TEST_F(DuplexFramesOn1bna, CurvesFrameIsCloseToTheStandardFrame) {
  for (long k = 1; k <= mol_.num_residues; ++k) {
    const frame* std_f = base_frame(k, mol_);
    if (std_f == nullptr) continue;
    frame f;
    per_curves_plus_frame(k, mol_, f);
    EXPECT_LT(f.rmsd, 0.1) << k;
    // the two conventions put the origin within a few tenths of an Angstrom
    // and the axes within a few degrees of each other
    EXPECT_LT(dist_xyz(f.org, std_f->org), 0.5) << k;
    EXPECT_GT(dot_xyz(f.z_axis, std_f->z_axis), std::cos(deg2rad(8))) << k;
    EXPECT_GT(dot_xyz(f.y_axis, std_f->y_axis), std::cos(deg2rad(8))) << k;
    EXPECT_NEAR(length_xyz(f.x_axis), 1.0, 1e-6);
  }
}

TEST_F(DuplexFramesOn1bna, CurvesFrameOfAResidueMissingAtoms) {
  // a table atom gone: fitted on the six left; two atoms left: the run ends
  long k = 1;  // C1 of chain A
  frame full, partial;
  per_curves_plus_frame(k, mol_, full);
  const residue& r = mol_.residues[k];
  std::vector<std::string> saved;
  for (long i = r.first_atom; i <= r.last_atom; ++i) saved.push_back(mol_.atoms[i].name);
  for (long i = r.first_atom; i <= r.last_atom; ++i)
    if (mol_.atoms[i].name == " C5 ") mol_.atoms[i].name = " XX ";
  per_curves_plus_frame(k, mol_, partial);
  EXPECT_LT(dist_xyz(full.org, partial.org), 0.1);
  for (long i = r.first_atom; i <= r.last_atom; ++i)
    if (mol_.atoms[i].name != " C1'" && mol_.atoms[i].name != " N1 ") mol_.atoms[i].name = " XX ";
  const std::string msg = test::fatal_message([&] { per_curves_plus_frame(k, mol_, partial); });
  EXPECT_NE(msg.find("Cannot ls-fit residue: "), std::string::npos) << msg;
}

TEST_F(DuplexFramesOn1bna, CehsFrameSitsBetweenItsRingAtoms) {
  frame f;
  per_CEHS_base_frame(1, mol_, f);  // a cytosine: N3 and C6
  const long n3 = find_atom_in_residue(" N3 ", 1, mol_), c6 = find_atom_in_residue(" C6 ", 1, mol_);
  xyz mid;
  ave_xyz(mol_.atoms[n3].xyz, mol_.atoms[c6].xyz, mid);
  EXPECT_LT(dist_xyz(mid, f.org), 1e-9);
  EXPECT_NEAR(dot_xyz(f.y_axis, f.z_axis), 0.0, 1e-9);
  EXPECT_GT(dot_xyz(f.z_axis, base_frame(1, mol_)->z_axis), 0.9);
  const long c1 = find_atom_in_residue(" C1'", 1, mol_);
  mol_.atoms[c1].name = " XX ";
  const std::string msg = test::fatal_message([&] { per_CEHS_base_frame(1, mol_, f); });
  EXPECT_NE(msg.find("missing required atom(s)"), std::string::npos) << msg;
}

}  // namespace
}  // namespace vask
