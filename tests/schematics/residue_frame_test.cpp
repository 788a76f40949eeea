// The frame option end to end: the structure written in the chosen frame,
// checked by reading it back and fitting the residue's base frame again.
#include "schematics/residue_frame.hpp"

#include <gtest/gtest.h>

#include <regex>

#include "pairing/frame.hpp"
#include "schematic_run.hpp"
#include "structure/struct_mol.hpp"
#include "pairing/prepare.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/pdb_output.hpp"

namespace vask {
namespace {

class FrameOption : public test::SchematicRun {
 protected:
  // The base frame of residue `number` of chain A in a file of the folder.
  frame base_frame_of(const std::string& file, long number) {
    set_globals("belqo-vask");
    struct_mol mol;
    read_pdb(path(file), mol);
    for (long k = 1; k <= mol.num_residues; ++k)
      if (mol.residues[k].res_seq == number && base_frame(k, mol) != nullptr) return *base_frame(k, mol);
    ADD_FAILURE() << "no base frame for residue " << number;
    return frame{};
  }
  static void expect_identity(const frame& f, double tol) {
    const xyz axes[3] = {f.x_axis, f.y_axis, f.z_axis};
    for (int c = 1; c <= 3; ++c) {
      EXPECT_NEAR(f.org[c], 0.0, tol);
      for (int a = 0; a < 3; ++a) EXPECT_NEAR(axes[a][c], a + 1 == c ? 1.0 : 0.0, tol) << a << c;
    }
  }
};

TEST_F(FrameOption, chosen_base_frame_becomes_the_identity) {
  copy_data("1ehz.pdb");
  for (const char* spec : {"A.G.1", "A.U.8", "0.A.C.72", "A.*.34"}) {
    SCOPED_TRACE(spec);
    const test::exe_result r = run(std::string("-i=1ehz.pdb --frame=") + spec + " -o=f.pdb");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(test::has_text(r.err, "[i] frame 'base' of residue 'A.")) << r.err;
    const long number = std::atol(std::string(spec).substr(std::string(spec).rfind('.') + 1).c_str());
    expect_identity(base_frame_of("f.pdb", number), 2e-3);  // coordinates carry 3 decimals
    EXPECT_TRUE(test::has_text(read("vask-rotmat.txt"), "position: ["));
  }
}

TEST_F(FrameOption, pair_frames_views_and_failures) {
  copy_data("1ehz.pdb");
  test::exe_result r = run("-i=1ehz.pdb --frame=A.G.1-pair:minor -o=p.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(r.err, "[i] frame 'bestpair' of residue 'A.G1'\n[i]\tminor-groove edge\n")) << r.err;
  r = run("-i=1ehz.pdb '--frame=A.G.1 A.C.72' -o=m.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(r.err, "[i]\tin middle step reference frame\n"));
  // unpaired: the base frame instead
  r = run("-i=1ehz.pdb --frame=A.A.76:pair -o=u.pdb");
  EXPECT_TRUE(test::has_text(r.err, "[i] 'A.A76' does not form a pair: use BASE frame instead\n")) << r.err;
  expect_identity(base_frame_of("u.pdb", 76), 2e-3);
  r = run("-i=1ehz.pdb --frame=A.G.999 -o=x.pdb");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(test::has_text(r.err, "[e] no matched residue for option --frame\n")) << r.err;
  r = run("-i=1ehz.pdb --frame=A.G.1:peptide -o=x.pdb");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(test::has_text(r.err, "[e] no 'backbone' frame defined for 'A.G1'\n")) << r.err;
}

TEST_F(FrameOption, gtetrad_frame_of_a_quadruplex_guanine) {
  copy_data("2hy9.cif");  // three stacked tetrads; DG5 sits in the middle one
  test::exe_result r = run("-i=2hy9.cif --frame=1.DG.5:G4 -o=t.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(r.err, "[i] frame 'Gtetrad' of residue '1.DG5'\n")) << r.err;
  // measured again, the tetrad's own frame is the identity (coordinates carry 3 decimals)
  r = run("-i=t.pdb --json -o=t.json");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::regex identity(
      R"("origin":\[-?0\.00\d,-?0\.00\d,-?0\.00\d\],"x_axis":\[(1\.000|0\.99\d),-?0\.00\d,-?0\.00\d\],)"
      R"("y_axis":\[-?0\.00\d,(1\.000|0\.99\d),-?0\.00\d\],"z_axis":\[-?0\.00\d,-?0\.00\d,(1\.000|0\.99\d)\])");
  const std::string json = read("t.json");
  EXPECT_EQ(std::distance(std::sregex_iterator(json.begin(), json.end(), identity), std::sregex_iterator()), 1);
  // an adenine is in no tetrad: its base frame instead
  r = run("-i=2hy9.cif --frame=1.DA.1:G4 -o=u.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(r.err, "[i] '1.DA1' not in a G-tetrad: use BASE frame instead\n")) << r.err;
}

TEST_F(FrameOption, two_matches_are_refused) {
  copy_data("1qf6.pdb");  // residue 12 in both the protein and the tRNA chain
  test::exe_result r = run("-i=1qf6.pdb --frame=12 -o=x.pdb");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(test::has_text(r.err, "[e] more than one matched residue for option --frame\n")) << r.err;
  r = run("-i=1qf6.pdb --frame-aa=A.ARG.12 -o=x.pdb");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(r.err, "[i] frame 'sidechain' of residue 'A.ARG12'\n")) << r.err;
}

}  // namespace
}  // namespace vask
