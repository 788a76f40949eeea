#include "pairing/frame.hpp"
#include "pairing/prepare.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/file.hpp"
#include "support/linear_algebra.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace vask {

namespace {

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override { mutable_gvars() = gvars_rec{}; }
  void TearDown() override { mutable_gvars() = gvars_rec{}; }
};

// A proper rotation: 30 degrees about z, then 50 about an oblique axis.
rotmat some_rotation() {
  rotmat a{}, b{}, R{};
  rotz(30, a);
  xyz axis{0, 1, -2, 0.5};
  rot_arb_axis(axis, 50, b);
  multiply_matrix_3x3(b, a, R);
  return R;
}

void expect_xyz_near(const xyz& got, const xyz& want, double tol) {
  for (long k = 1; k <= 3; ++k) EXPECT_NEAR(got[k], want[k], tol) << "component " << k;
}

}  // namespace

TEST_F(FrameTest, NewFramesAreUnsetAndUnattached) {
  std::vector<frame> frames = allocate_frames_array(3);
  ASSERT_EQ(frames.size(), 4u);
  for (long k = 1; k <= 3; ++k) {
    EXPECT_EQ(frames[k].type, 0);
    EXPECT_EQ(frames[k].residue, -1);
    EXPECT_EQ(frames[k].rmsd, -1.0);
    EXPECT_TRUE(frames[k].text.empty());
    EXPECT_EQ(frames[k].x_axis, xyz{});
    EXPECT_EQ(frames[k].z_axis, xyz{});
    EXPECT_EQ(frames[k].qtn[0], DBL_MAX);
  }
  EXPECT_TRUE(allocate_frames_array(0).size() == 1u);
  EXPECT_NE(test::fatal_message([] { allocate_frames_array(-1); }).find("Assertion failed"),
            std::string::npos);
}

TEST_F(FrameTest, RotmatConversions) {
  rotmat R = some_rotation(), back{};
  xyz o{0, 1, 2, 3};
  frame f;
  init_one_frame(f);
  fillout_frame_from_oR(o, R, f);
  EXPECT_EQ(f.org, o);
  EXPECT_EQ(f.x_axis, (xyz{0, R[1][1], R[2][1], R[3][1]}));
  EXPECT_EQ(f.z_axis, (xyz{0, R[1][3], R[2][3], R[3][3]}));
  EXPECT_NE(f.qtn[0], DBL_MAX) << "quaternion filled";
  xyz o2{};
  fillout_oR_from_frame(f, o2, back);
  EXPECT_EQ(o2, o);
  EXPECT_EQ(back, R);

  frame g;
  init_one_frame(g);
  rotmat_to_frame(R, g);
  EXPECT_EQ(g.org, xyz{}) << "axes only";
  EXPECT_EQ(g.qtn[0], DBL_MAX);
  xyz_to_rotmat(g.x_axis, g.y_axis, g.z_axis, back);
  EXPECT_EQ(back, R);

  rotmat I{};
  identity_matrix(I);
  fillout_frame_from_oR(o, I, f);
  EXPECT_NEAR(f.qtn[0], 1, 1e-12);
  EXPECT_NEAR(f.qtn[1] * f.qtn[1] + f.qtn[2] * f.qtn[2] + f.qtn[3] * f.qtn[3], 0, 1e-12);
}

TEST_F(FrameTest, TypeNames) {
  const struct {
    int code;
    const char* name;
  } cases[] = {{0, "base"},      {1, "phosphate"}, {2, "sugar"},    {3, "backbone"},
               {4, "sidechain"}, {5, "aromatic"},  {7, "undefined"}, {9, "bestpair"},
               {10, "Gtetrad"},  {6, "undefined"}, {-1, "undefined"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_STREQ(get_frame_type(c.code), c.name);
  }
}

TEST_F(FrameTest, FramesFromPointsAndAxes) {
  frame f;
  init_one_frame(f);
  define_frame_by_3positions(xyz{0, 1, 1, 1}, xyz{0, 3, 1, 1}, xyz{0, 5, 4, 1}, f);
  EXPECT_EQ(f.org, (xyz{0, 1, 1, 1}));
  expect_xyz_near(f.x_axis, xyz{0, 1, 0, 0}, 1e-12);
  expect_xyz_near(f.y_axis, xyz{0, 0, 1, 0}, 1e-12);
  expect_xyz_near(f.z_axis, xyz{0, 0, 0, 1}, 1e-12);

  // z kept; the other given axis keeps its direction within the plane
  frame a;
  init_one_frame(a);
  a.z_axis = xyz{0, 0, 0, 1};
  a.y_axis = xyz{0, 0.2, 2, 0.3};
  derive_frame_x_y0(a);
  expect_xyz_near(a.y_axis, xyz{0, 0.2 / std::hypot(0.2, 2), 2 / std::hypot(0.2, 2), 0}, 1e-12);
  expect_xyz_near(a.z_axis, xyz{0, 0, 0, 1}, 0);
  EXPECT_NEAR(dot_xyz(a.x_axis, a.y_axis), 0, 1e-12);
  frame b;
  init_one_frame(b);
  b.z_axis = xyz{0, 0, 0, 1};
  b.x_axis = xyz{0, 3, 0, 5};
  derive_frame_x0_y(b);
  expect_xyz_near(b.x_axis, xyz{0, 1, 0, 0}, 1e-12);
  expect_xyz_near(b.y_axis, xyz{0, 0, 1, 0}, 1e-12);
}

TEST_F(FrameTest, VerifyFrameRepairsOnlyBadFrames) {
  test::log_capture log;
  frame good;
  set_identity_frame(good);
  verify_frame(good);
  EXPECT_EQ(log.text(), "");

  frame left;
  set_identity_frame(left);
  left.z_axis = xyz{0, 0, 0, -1};  // determinant -1
  verify_frame(left);
  EXPECT_EQ(log.text(), "[w] input frame NOT orthonormal within 0.001: corrected\n");
  expect_xyz_near(left.z_axis, xyz{0, 0, 0, 1}, 1e-12);

  frame skew;
  set_identity_frame(skew);
  skew.x_axis = xyz{0, 2, 0, 0};
  skew.y_axis = xyz{0, 1, 1, 0};
  verify_frame(skew);
  expect_xyz_near(skew.x_axis, xyz{0, 1, 0, 0}, 1e-12);
  expect_xyz_near(skew.y_axis, xyz{0, 0, 1, 0}, 1e-12);
  expect_xyz_near(skew.z_axis, xyz{0, 0, 0, 1}, 1e-12);
}

TEST_F(FrameTest, FrameBlockText) {
  frame f;
  set_identity_frame(f);
  f.org = xyz{0, 1.5, -2, 1e3};
  FILE* fp = std::tmpfile();
  write_one_frame(fp, "# 1 base frames", f);
  write_one_frame(fp, nullptr, f);
  write_one_frame(nullptr, "ignored", f);
  std::string block =
      "        1.500000        -2.000000      1000.000000\t# origin\n"
      "        1.000000         0.000000         0.000000\t# x-axis\n"
      "        0.000000         1.000000         0.000000\t# y-axis\n"
      "        0.000000         0.000000         1.000000\t# z-axis\n";
  EXPECT_EQ(test::read_stream(fp), "# 1 base frames\n" + block + block);
  std::fclose(fp);
}

TEST_F(FrameTest, TemplateFileNames) {
  const struct {
    const char* std_name;
    bool nt;
    const char* want;
  } cases[] = {{"__A", true, "frame___A.pdb"},
               {"__g", true, "frame.__g.pdb"},
               {"__g", false, "frame___g.pdb"},
               {"arg", false, "frame_arg.pdb"},
               {"__?", true, "frame___?.pdb"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.want);
    EXPECT_EQ(set_frame_name(c.std_name, c.nt), c.want);
  }
  EXPECT_EQ(check_std_name("__?"), "__u");
  EXPECT_EQ(check_std_name("__A"), "__A");
  mutable_gvars().abasic = '^';
  EXPECT_EQ(check_std_name("__?"), "__?");
  EXPECT_EQ(check_std_name("__^"), "__u");
}

TEST_F(FrameTest, AtomLineColumns) {
  atom a;
  populate_one_atom(
      "HETATM12345  C1'BPSU C1234A     -2.506   5.371   0.123  0.50 12.34      SEG1 C1-\n", a);
  EXPECT_EQ(a.hetatm, 1);
  EXPECT_EQ(a.serial, 12345);
  EXPECT_EQ(a.name, " C1'");
  EXPECT_EQ(a.altloc, 'B');
  EXPECT_EQ(a.res_name, "PSU");
  EXPECT_EQ(a.chain_id, "C");
  EXPECT_EQ(a.res_seq, 1234);
  EXPECT_EQ(a.icode, 'A');
  EXPECT_EQ(a.xyz, (xyz{0, -2.506, 5.371, 0.123}));
  EXPECT_EQ(a.occupancy, 0.5);
  EXPECT_EQ(a.bfactor, 12.34);
  EXPECT_EQ(a.seg_id, "SEG1");
  EXPECT_EQ(a.element, " C");
  EXPECT_EQ(a.charge, "1-");
  EXPECT_EQ(a.raw_name, " C1'");
  EXPECT_EQ(a.raw_res_name, "PSU");

  // short line: empty serial and number, missing coordinate and trailing fields
  populate_one_atom("ATOM         N9    G A           1.000   2.000", a);
  EXPECT_EQ(a.hetatm, 0);
  EXPECT_EQ(a.serial, 0);
  EXPECT_EQ(a.name, " N9 ");
  EXPECT_EQ(a.res_seq, 0);
  EXPECT_EQ(a.xyz[2], 2.0);
  EXPECT_EQ(a.xyz[3], DBL_MAX);
  EXPECT_EQ(a.occupancy, 1.0);
  EXPECT_EQ(a.bfactor, 0.0);
  EXPECT_EQ(a.element, "  ");
}

TEST_F(FrameTest, BuiltInTemplatesMatchTheDataFiles) {
  const struct {
    const char* std_name;
    long count;
    const char* res_name;
  } cases[] = {{"__A", 11, "  A"}, {"__C", 9, "  C"},  {"__G", 12, "  G"}, {"__T", 10, "  T"},
               {"__U", 9, "  U"},  {"__P", 9, "PSU"},  {"__a", 11, "  A"}, {"__c", 9, "  C"},
               {"__g", 12, "  G"}, {"__t", 10, "  T"}, {"__u", 9, "  U"},  {"__p", 9, "PSU"}};
  // the data folder lies under BELQO_VASK; the working directory has no templates
  std::string root = std::string(VASK_DATA_DIR) + "/..";
  const char* saved = std::getenv("BELQO_VASK");
  std::string saved_value = saved ? saved : "";
  setenv("BELQO_VASK", root.c_str(), 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.std_name);
    std::string name = set_frame_name(c.std_name, true);
    struct_mol built, read;
    mutable_gvars().stand_alone = 1;
    ASSERT_EQ(read_frame_atom_records(name, built), c.count);
    EXPECT_EQ(built.file_name, name);
    mutable_gvars().stand_alone = 0;
    ASSERT_EQ(read_frame_atom_records(name, read), c.count);
    EXPECT_EQ(read.file_name, root + "/data/standard_frames/" + name);
    for (long k = 1; k <= c.count; ++k) {
      EXPECT_EQ(built.atoms[k].res_name, c.res_name);
      EXPECT_EQ(built.atoms[k].serial, k);
      EXPECT_EQ(built.atoms[k].name, read.atoms[k].name);
      EXPECT_EQ(built.atoms[k].xyz, read.atoms[k].xyz);
      EXPECT_EQ(built.atoms[k].res_name, read.atoms[k].res_name);
    }
  }
  std::vector<atom> atoms;
  EXPECT_EQ(populate_one_frame("/some/where/frame___A.pdb", atoms), 11);
  EXPECT_EQ(atoms[1].name, " C1'");
  EXPECT_EQ(atoms[1].xyz, (xyz{0, -2.479, 5.346, 0.0}));
  EXPECT_NE(test::fatal_message([&] { populate_one_frame("frame___X.pdb", atoms); })
                .find("Assertion failed"),
            std::string::npos);
  mutable_gvars().stand_alone = 0;
  struct_mol holder;
  EXPECT_EQ(test::fatal_message([&] { read_frame_atom_records("frame___X.pdb", holder); }),
            "get_sysfile(): can't locate file [" + root + "/data/standard_frames/frame___X.pdb]\n");
  if (saved) setenv("BELQO_VASK", saved_value.c_str(), 1); else unsetenv("BELQO_VASK");
}

TEST_F(FrameTest, BaseFitRecoversAKnownPlacement) {
  // the adenine template moved by a rotation R and translation t: the fitted
  // frame is (t, columns of R) with RMSD 0
  std::vector<atom> tmpl;
  long nt = populate_one_frame("frame___A.pdb", tmpl);
  rotmat R = some_rotation();
  xyz t{0, 10, -5, 2.5};
  std::vector<atom> res(tmpl.begin(), tmpl.begin() + nt + 1);
  for (long k = 1; k <= nt; ++k) {
    xyz moved{};
    oR_xyz(t, R, tmpl[k].xyz, moved);
    res[k].xyz = moved;
  }
  std::vector<xyz> a, b;
  long n = match_ring_atoms(tmpl, nt, res, 1, nt, true, a, b);
  ASSERT_EQ(n, 9);
  frame f;
  init_one_frame(f);
  EXPECT_NEAR(fit_base_frame(n, a, b, f), 0, 1e-6);
  EXPECT_EQ(f.type, 0);
  EXPECT_NEAR(f.rmsd, 0, 1e-6);
  expect_xyz_near(f.org, t, 1e-6);
  expect_xyz_near(f.x_axis, xyz{0, R[1][1], R[2][1], R[3][1]}, 1e-6);
  expect_xyz_near(f.y_axis, xyz{0, R[1][2], R[2][2], R[3][2]}, 1e-6);
  expect_xyz_near(f.z_axis, xyz{0, R[1][3], R[2][3], R[3][3]}, 1e-6);
  EXPECT_NE(f.qtn[0], DBL_MAX);
}

TEST_F(FrameTest, RingAtomPairs) {
  std::vector<atom> purine;
  long np = populate_one_frame("frame___G.pdb", purine);
  std::vector<atom> pyrimidine;
  long ny = populate_one_frame("frame___C.pdb", pyrimidine);
  auto residue_without = [](const std::vector<atom>& t, long n, std::vector<std::string> drop) {
    std::vector<atom> r(1);
    for (long k = 1; k <= n; ++k)
      if (std::find(drop.begin(), drop.end(), t[k].name) == drop.end()) r.push_back(t[k]);
    return r;
  };
  std::vector<xyz> a, b;
  frame f;
  init_one_frame(f);

  // purine without its five-membered ring: fitted on the six-membered ring
  auto g = residue_without(purine, np, {" N7 ", " C8 ", " N9 "});
  EXPECT_EQ(match_ring_atoms(purine, np, g, 1, static_cast<long>(g.size()) - 1, true, a, b), 6);

  // pyrimidine with C2, N3 and C4 only: 3 pairs still make a frame; 2 do not
  auto c3 = residue_without(pyrimidine, ny, {" C1'", " N1 ", " O2 ", " N4 ", " C5 ", " C6 "});
  long n = match_ring_atoms(pyrimidine, ny, c3, 1, 3, false, a, b);
  EXPECT_EQ(n, 3);
  EXPECT_GE(fit_base_frame(n, a, b, f), 0);
  EXPECT_EQ(f.rmsd >= 0, true);
  frame untouched;
  init_one_frame(untouched);
  n = match_ring_atoms(pyrimidine, ny, c3, 1, 2, false, a, b);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(fit_base_frame(n, a, b, untouched), -1.0);
  EXPECT_EQ(untouched.rmsd, -1.0);
  EXPECT_EQ(untouched.org, xyz{});

  // a template holding a ring-atom name twice is matched on its first copy
  std::vector<atom> twice = pyrimidine;
  twice.push_back(pyrimidine[3]);  // second " C2 "
  twice.back().xyz = xyz{0, 99, 99, 99};
  match_ring_atoms(twice, ny + 1, pyrimidine, 1, ny, false, a, b);
  EXPECT_EQ(a[3], pyrimidine[3].xyz);
}

TEST_F(FrameTest, BaseFramesOfTrnaPhe) {
  test::log_capture quiet;
  reset_periodic_table();
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  ASSERT_EQ(mol.num_nts, 76);
  populate_frames(mol);
  EXPECT_EQ(mol.stage.frames, 1);
  EXPECT_EQ(mol.num_frames, 3 * 76);  // base, phosphate and sugar frames
  for (long k = 1; k <= 76; ++k) {  // base frames come first
    const frame& f = mol.frames[k];
    SCOPED_TRACE(mol.residues[f.residue].idstr);
    EXPECT_EQ(f.type, 0);
    EXPECT_EQ(f.planar, 1);
    EXPECT_EQ(base_frame(f.residue, mol), &f);
    EXPECT_GE(f.rmsd, 0);
    EXPECT_LT(f.rmsd, 0.3);  // dihydrouridine's puckered ring fits worst
    // the frame origin lies near the base ring, z normal to it
    long n1 = find_atom_in_residue(" C4 ", f.residue, mol);
    ASSERT_NE(n1, -1);
    EXPECT_LT(dist_xyz(f.org, mol.atoms[n1].xyz), 4.0);
    xyz local{};
    project_xyz_by_frame(f, mol.atoms[n1].xyz, local);
    EXPECT_LT(std::fabs(local[3]), 0.2);
    EXPECT_EQ(mol.atoms[n1].frame_index, k);
    // C1' sits where the ideal base puts it (the frame is not flipped or turned);
    // dihydrouridine's ring is too puckered for this
    if (mol.residues[f.residue].name == "H2U") continue;
    long c1 = find_atom_in_residue(" C1'", f.residue, mol);
    ASSERT_NE(c1, -1);
    project_xyz_by_frame(f, mol.atoms[c1].xyz, local);
    EXPECT_LT(dist_xyz(local, xyz{0, -2.48, 5.37, 0}), 0.5);
  }
  EXPECT_EQ(base_frame(0, mol), nullptr);
  EXPECT_EQ(base_frame(mol.num_residues + 1, mol), nullptr);
  long water = 0;
  for (long k = 1; k <= mol.num_residues && water == 0; ++k)
    if (!is_nt(k, mol)) water = k;
  EXPECT_EQ(base_frame(water, mol), nullptr);

  // the data-file templates give the same frames
  std::string root = std::string(VASK_DATA_DIR) + "/..";
  setenv("BELQO_VASK", root.c_str(), 1);
  struct_mol again;
  read_pdb(test::test_data("1ehz.pdb"), again);
  mutable_gvars().stand_alone = 0;
  populate_frames(again);
  unsetenv("BELQO_VASK");
  ASSERT_EQ(again.num_frames, mol.num_frames);
  for (long k = 1; k <= mol.num_frames; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(again.frames[k].org, mol.frames[k].org);
    EXPECT_EQ(again.frames[k].z_axis, mol.frames[k].z_axis);
  }

  FILE* fp = std::tmpfile();
  print_pdb_frames(fp, mol);
  std::string text = test::read_stream(fp);
  std::fclose(fp);
  EXPECT_EQ(text.substr(0, text.find('\t', 18)), "   1 base        \t1");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5 * 3 * 76);
}

TEST_F(FrameTest, ViewingFrameFromFirstAtoms) {
  test::log_capture log;
  struct_mol mol;
  mol.num_atoms = 4;
  mol.atoms.resize(5);
  mol.atoms[1].xyz = xyz{0, 0, 0, 0};
  mol.atoms[2].xyz = xyz{0, 2, 0, 0};
  mol.atoms[3].xyz = xyz{0, 4, 0.1, 0};  // under 5 degrees off the line
  mol.atoms[4].xyz = xyz{0, 1, 0, 3};
  frame f;
  init_one_frame(f);
  derive_frame_by_first_pdb_atoms(mol, f);
  expect_xyz_near(f.x_axis, xyz{0, 1, 0, 0}, 1e-12);
  expect_xyz_near(f.y_axis, xyz{0, 0, 0, 1}, 1e-12);
  expect_xyz_near(f.z_axis, xyz{0, 0, -1, 0}, 1e-12);
  EXPECT_EQ(log.text(), "");

  mol.num_atoms = 3;
  frame g;
  init_one_frame(g);
  derive_frame_by_first_pdb_atoms(mol, g);
  EXPECT_EQ(log.text(), "[w] too few non-linear atoms to define orientation\n");
  EXPECT_EQ(g.x_axis, xyz{});
  mol.num_atoms = 2;
  derive_frame_by_first_pdb_atoms(mol, g);
  EXPECT_EQ(log.text(), "[w] too few non-linear atoms to define orientation\n");
}

// ---------------------------------------------------------------------------
// Distances and orientation of two frames

namespace {

// A frame at origin o with axes x, y, z (given in that order, 0-based triples).
frame make_frame(std::array<double, 3> o, std::array<double, 3> x, std::array<double, 3> y,
                 std::array<double, 3> z) {
  frame f;
  f.org = {0, o[0], o[1], o[2]};
  f.x_axis = {0, x[0], x[1], x[2]};
  f.y_axis = {0, y[0], y[1], y[2]};
  f.z_axis = {0, z[0], z[1], z[2]};
  return f;
}

frame turned_over(frame f) {
  negate_xyz(f.y_axis);
  negate_xyz(f.z_axis);
  return f;
}

}  // namespace

TEST_F(FrameTest, StackedFrameMeasures) {
  frame f1 = make_frame({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
  frame f2 = make_frame({1, 2, 3.4}, {0, 1, 0}, {-1, 0, 0}, {0, 0, 1});  // 3.4 A above, turned 90
  for (const frame& g : {f2, turned_over(f2)}) {
    EXPECT_NEAR(get_vdist_by_frame(f1, g), 3.4, 1e-12);
    EXPECT_NEAR(get_vdist_by_frame(g, f1), 3.4, 1e-12);
    EXPECT_NEAR(get_hdist_by_frame(f1, g), std::sqrt(5.0), 1e-12);
    EXPECT_NEAR(get_vdist_min_by_frame(f1, g), 3.4, 1e-12);
    double dv = 0, dist = 0;
    get_vdist_dist_by_frame(f1, g, dv, dist);
    EXPECT_NEAR(dv, 3.4, 1e-12);
    EXPECT_NEAR(dist, std::sqrt(5.0 + 3.4 * 3.4), 1e-12);
  }
  EXPECT_EQ(get_stack_faces(f1, f2), "pm(>>,forward)");
  EXPECT_EQ(get_stack_faces(f1, turned_over(f2)), "pp(><,inward)");
  EXPECT_EQ(get_stack_faces(turned_over(f1), f2), "mm(<>,outward)");
  EXPECT_EQ(get_stack_faces(f2, f1), "mp(<<,backward)");
  EXPECT_EQ(frame2_on_positiveZ_side(f1, f2), 1);
  EXPECT_EQ(frame2_on_positiveZ_side(f2, f1), 0);
  frame level = make_frame({3, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
  EXPECT_EQ(frame2_on_positiveZ_side(f1, level), 1);  // in the xy-plane counts as above
  EXPECT_EQ(two_frames_in_similar_orient(f1, level), 1);
  EXPECT_EQ(two_frames_in_similar_orient(f1, f2), 1);  // x.x = 0 counts as alike
  EXPECT_EQ(two_frames_in_similar_orient(f1, turned_over(level)), 0);

  // perpendicular z axes: the mean axis is z1 + z2
  frame side = make_frame({0, 0, 2}, {1, 0, 0}, {0, 0, 1}, {0, -1, 0});
  EXPECT_NEAR(get_vdist_by_frame(f1, side), 2 / std::sqrt(2.0), 1e-12);
  double dv = 0, dh = 0;
  get_dv_dh_point2_axis(f1.org, f2.org, f1.z_axis, dv, dh);
  EXPECT_NEAR(dv, 3.4, 1e-12);
  EXPECT_NEAR(dh, std::sqrt(5.0), 1e-12);
  xyz above{0, 5, 5, -1.5};
  EXPECT_NEAR(get_point_vdist0_to_frame(above, f1), -1.5, 1e-12);
  EXPECT_NEAR(get_point_vdist_to_frame(above, f1), 1.5, 1e-12);
}

TEST_F(FrameTest, ResidueAndSetFrames) {
  test::log_capture quiet;
  reset_periodic_table();
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  long a1 = 0, a2 = 0, a3 = 0, water = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (is_nt(k, mol) && mol.residues[k].res_seq == 1) a1 = k;
    if (is_nt(k, mol) && mol.residues[k].res_seq == 2) a2 = k;
    if (is_nt(k, mol) && mol.residues[k].res_seq == 3) a3 = k;
    if (!is_nt(k, mol) && water == 0) water = k;
  }
  ASSERT_TRUE(a1 && a2 && a3 && water);
  const frame &f1 = *base_frame(a1, mol), &f2 = *base_frame(a2, mol);
  EXPECT_NEAR(get_vdist_by_residue(a1, a2, mol), get_vdist_by_frame(f1, f2), 1e-12);
  EXPECT_NEAR(get_vdist_min_by_residue(a2, a1, mol), get_vdist_min_by_frame(f2, f1), 1e-12);
  EXPECT_GT(get_vdist_by_residue(a1, a2, mol), 2.5);  // stacked neighbours of a stem
  EXPECT_LT(get_vdist_by_residue(a1, a2, mol), 4.0);
  for (long bad : {0L, water, mol.num_residues + 1}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(get_vdist_by_residue(a1, bad, mol), -1.0);
    EXPECT_EQ(get_vdist_min_by_residue(bad, a1, mol), -1.0);
    double dv = 0, dist = 0;
    get_vdist_dist_by_residue(a1, bad, mol, dv, dist);
    EXPECT_EQ(dv, -1.0);
    EXPECT_EQ(dist, -1.0);
  }

  frame f;
  get_nt_set_frame(mol, 1, {0, a2}, f);
  EXPECT_EQ(f.org, f2.org);
  EXPECT_EQ(f.rmsd, f2.rmsd);
  get_nt_set_frame(mol, 2, {0, a1, water}, f);  // a member without a frame: identity
  EXPECT_EQ(f.residue, -1);
  EXPECT_EQ(f.qtn[0], DBL_MAX);
  frame view;
  set_identity_frame(view);  // identity axes, quaternion left unset
  EXPECT_EQ(view.qtn[0], DBL_MAX);
  EXPECT_EQ(view.z_axis, (xyz{0, 0, 0, 1}));
  EXPECT_EQ(f.org, (xyz{0, 0, 0, 0}));
  EXPECT_EQ(f.x_axis, (xyz{0, 1, 0, 0}));
  get_nt_set_frame(mol, 2, {0, a1, a2}, f);
  frame mid;
  get_middle_bp_frame(f1, f2, mid);
  EXPECT_EQ(f.org, mid.org);
  get_nt_set_frame(mol, 3, {0, water, a2, water}, f);  // one framed member
  expect_xyz_near(f.org, f2.org, 1e-12);
  expect_xyz_near(f.z_axis, f2.z_axis, 1e-12);
  expect_xyz_near(f.x_axis, f2.x_axis, 1e-9);
  get_nt_set_frame(mol, 3, {0, a1, a2, a3}, f);
  EXPECT_NEAR(det_3x3(rotmat{xyz{}, xyz{0, f.x_axis[1], f.y_axis[1], f.z_axis[1]},
                             xyz{0, f.x_axis[2], f.y_axis[2], f.z_axis[2]},
                             xyz{0, f.x_axis[3], f.y_axis[3], f.z_axis[3]}}),
              1.0, 1e-9);
  connect set;
  for (long m : {a1, a2, a3}) set.append(m);
  frame g;
  get_cnts_frame(mol, set, g);
  EXPECT_EQ(g.org, f.org);
  EXPECT_EQ(g.z_axis, f.z_axis);
}

// ---------------------------------------------------------------------------
// Phosphate, sugar, peptide and side-chain frames

namespace {

long residue_number(const struct_mol& mol, long number) {
  for (long k = 1; k <= mol.num_residues; ++k)
    if (mol.residues[k].res_seq == number && !is_water(k, mol)) return k;
  return 0;
}

// Reads a structure through the whole preparation pipeline, logs silenced.
void read_quietly(const std::string& path, struct_mol& mol) {
  test::log_capture quiet;
  reset_periodic_table();
  read_pdb(path, mol);
}

long count_frames(const struct_mol& mol, int type) {
  long n = 0;
  for (long k = 1; k <= mol.num_frames; ++k) n += mol.frames[k].type == type;
  return n;
}

}  // namespace

TEST_F(FrameTest, PhosphateAndSugarFramesOfTrnaPhe) {
  struct_mol mol;
  read_quietly(test::test_data("1ehz.pdb"), mol);
  EXPECT_EQ(count_frames(mol, FRAME_PHOSPHATE), 76);
  EXPECT_EQ(count_frames(mol, FRAME_SUGAR), 76);
  long g1 = residue_number(mol, 1), c2 = residue_number(mol, 2);
  // the 5' phosphate has no O3' before it: fitted on P, OP1, OP2 and O5'
  const frame& p1 = mol.frames[mol.residues[g1].frames[FRAME_PHOSPHATE]];
  EXPECT_EQ(p1.residue, g1);
  EXPECT_GT(p1.rmsd, 0);
  // a linked phosphate takes the O3' of the nucleotide before it
  long k2 = mol.residues[c2].frames[FRAME_PHOSPHATE];
  const frame& p2 = mol.frames[k2];
  EXPECT_LT(p2.rmsd, 0.1);
  EXPECT_LT(dist_xyz(p2.org, mol.atoms[mol.nt_infos[c2].P].xyz), 0.1);
  EXPECT_EQ(mol.atoms[mol.nt_infos[c2].P].frame_index, k2);
  EXPECT_EQ(mol.atoms[mol.nt_infos[g1].O3p].frame_index, k2);
  EXPECT_EQ(mol.atoms[mol.nt_infos[c2].P].in_plane, 0);
  // the sugar frame sits on O4' and marks nothing
  const frame& s2 = mol.frames[mol.residues[c2].frames[FRAME_SUGAR]];
  EXPECT_LT(dist_xyz(s2.org, mol.atoms[mol.nt_infos[c2].O4p].xyz), 0.1);
  EXPECT_EQ(mol.atoms[mol.nt_infos[c2].C1p].frame_index, -1);
  EXPECT_EQ(mol.frames[k2].planar, 0);
}

TEST_F(FrameTest, PeptideAndSideChainFramesOfUbiquitin) {
  struct_mol mol;
  read_quietly(test::test_data("1ubq.pdb"), mol);
  ASSERT_EQ(mol.num_aas, 76);
  EXPECT_EQ(count_frames(mol, FRAME_BACKBONE), 75);  // the last residue has no successor
  EXPECT_EQ(count_frames(mol, FRAME_SIDECHAIN), 76);
  // 4 Arg, 2 Phe, 1 Tyr, 1 His, 2 Asn, 5 Asp, 6 Gln, 6 Glu (Trp none)
  EXPECT_EQ(count_frames(mol, FRAME_AROMATIC), 27);
  EXPECT_EQ(mol.residues[residue_number(mol, 76)].frames[FRAME_BACKBONE], -1);
  for (long k = 1; k <= mol.num_frames; ++k) {
    const frame& f = mol.frames[k];
    SCOPED_TRACE(mol.residues[f.residue].idstr);
    EXPECT_EQ(mol.residues[f.residue].frames[f.type], k);
    EXPECT_LT(f.rmsd, 0.2);
    EXPECT_EQ(f.planar, f.type == FRAME_BACKBONE || f.type == FRAME_AROMATIC);
  }
  // glycine: a side-chain frame on N, CA and C alone
  long g10 = residue_number(mol, 10);
  ASSERT_EQ(mol.residues[g10].name, "GLY");
  EXPECT_NE(mol.residues[g10].frames[FRAME_SIDECHAIN], -1);
  // the peptide unit of residue 1 spans C(1)-N(2): its atoms carry the marks
  long m1 = residue_number(mol, 1), q2 = residue_number(mol, 2);
  long pep = mol.residues[m1].frames[FRAME_BACKBONE];
  for (long a : {mol.aa_infos[m1].C, mol.aa_infos[m1].O, mol.aa_infos[q2].N}) {
    EXPECT_EQ(mol.atoms[a].frame_index, pep);
    EXPECT_EQ(mol.atoms[a].peptide_plane, 1);
    EXPECT_EQ(mol.atoms[a].in_plane, 1);
  }
  long y59 = residue_number(mol, 59);
  long oh = find_atom_in_residue(" OH ", y59, mol);
  EXPECT_EQ(mol.atoms[oh].frame_index, mol.residues[y59].frames[FRAME_AROMATIC]);
  EXPECT_EQ(mol.atoms[oh].in_plane, 1);
  EXPECT_EQ(mol.atoms[oh].peptide_plane, 0);
}

TEST_F(FrameTest, ArginineWithSwappedNH1NH2) {
  struct_mol mol;
  read_quietly(test::test_data("1ubq.pdb"), mol);
  long r42 = residue_number(mol, 42);
  long nh1 = find_atom_in_residue(" NH1", r42, mol), nh2 = find_atom_in_residue(" NH2", r42, mol);
  std::swap(mol.atoms[nh1].xyz, mol.atoms[nh2].xyz);
  for (long before : {0L, 9L}) {
    SCOPED_TRACE(before);
    mol.warned.arg_swap = before;
    test::log_capture log;
    populate_frames(mol);
    const frame& f = mol.frames[mol.residues[r42].frames[FRAME_AROMATIC]];
    EXPECT_EQ(mol.warned.arg_swap, before + 1);
    if (before == 0) {  // swapped back for the fit; the atoms keep their names and places
      EXPECT_LT(f.rmsd, 0.2);
      EXPECT_EQ(log.text(), "[w] arginine [" + mol.residues[r42].idstr + "] -- NH1/NH2 naming swapped\n");
    } else {  // from the tenth on: no message, the first fit stands
      EXPECT_GT(f.rmsd, 0.5);
      EXPECT_EQ(log.text(), "");
    }
    EXPECT_EQ(mol.atoms[nh1].name, " NH1");
  }
}

TEST_F(FrameTest, UserGroupTemplatesAreChecked) {
  namespace fs = std::filesystem;
  fs::path root = fs::path(testing::TempDir()) / "vask_frames_root";
  fs::path dir = root / "data/standard_frames";
  fs::create_directories(dir);
  for (const auto& f : fs::directory_iterator(fs::path(VASK_DATA_DIR) / "standard_frames"))
    fs::copy_file(f.path(), dir / f.path().filename(), fs::copy_options::overwrite_existing);
  const char* saved = std::getenv("BELQO_VASK");
  std::string saved_value = saved ? saved : "";
  setenv("BELQO_VASK", root.c_str(), 1);
  struct_mol mol;
  read_quietly(test::test_data("1ehz.pdb"), mol);
  mutable_gvars().stand_alone = 0;
  std::string po4 = (dir / "frame_po4.pdb").string();
  std::string text = test::read_file(po4);
  std::string four = text.substr(0, text.rfind("ATOM"));  // O5' dropped
  std::ofstream(po4) << four;
  EXPECT_EQ(test::fatal_message([&] { populate_frames(mol); }),
            "wrong frame PDB file: <" + po4 + "> [4 vs 5]\n");
  std::string swapped = text;
  swapped[text.find(" OP1") + 3] = '2';  // OP2 listed before OP1
  swapped[text.find(" OP2") + 3] = '1';
  std::ofstream(po4) << swapped;
  EXPECT_EQ(test::fatal_message([&] { populate_frames(mol); }),
            "wrong frame PDB file: <" + po4 + "> [atom < OP1> not in proper order]\n");
  std::ofstream(po4) << text;
  populate_frames(mol);
  EXPECT_EQ(count_frames(mol, FRAME_PHOSPHATE), 76);
  if (saved) setenv("BELQO_VASK", saved_value.c_str(), 1); else unsetenv("BELQO_VASK");
  fs::remove_all(root);
}

}  // namespace vask
