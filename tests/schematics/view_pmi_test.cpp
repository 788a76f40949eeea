// Principal-axis views: the spread of the chosen atoms ends up smallest along
// z and largest along y, and the three views are the same atoms turned.
#include "schematics/view_pmi.hpp"

#include <gtest/gtest.h>

#include "schematic_run.hpp"
#include "structure/struct_mol.hpp"
#include "pairing/prepare.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/pdb_output.hpp"
#include "support/linear_algebra.hpp"
#include "support/fitting.hpp"
#include "support/bp_step_params.hpp"
#include "support/rotation.hpp"

namespace vask {
namespace {

class Views : public test::SchematicRun {
 protected:
  // Variances along x, y and z of the nucleotide atoms of a file.
  xyz spread(const std::string& file) {
    set_globals("belqo-vask");
    struct_mol mol;
    read_pdb(path(file), mol);
    std::vector<xyz> pts(1);
    for (long a = 1; a <= mol.num_atoms; ++a)
      if (is_nt(mol.atoms[a].residue, mol)) pts.push_back(mol.atoms[a].xyz);
    rotmat C;
    cov_matrix_xyz(pts, pts, static_cast<long>(pts.size()) - 1, C);
    return {0, C[1][1], C[2][2], C[3][3]};
  }
};

TEST_F(Views, principal_axes_of_trna) {
  copy_data("1ehz.pdb");
  const test::exe_result r = run("-i=1ehz.pdb --view -o=v.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(r.err, "[i] take option '--view' as default '--view=nt'\n"));
  EXPECT_EQ(read("v.pdb"), read("vask-viewV.pdb"));
  const xyz v = spread("vask-viewV.pdb"), h = spread("vask-viewH.pdb"), t = spread("vask-viewT.pdb");
  EXPECT_GT(v[2], v[1]);
  EXPECT_GT(v[1], v[3]);
  // viewH takes the axes (2, 3, 1), viewT (3, 1, 2)
  EXPECT_NEAR(h[1], v[2], 1e-2);
  EXPECT_NEAR(h[3], v[1], 1e-2);
  EXPECT_NEAR(t[1], v[3], 1e-2);
  EXPECT_NEAR(t[2], v[1], 1e-2);
  EXPECT_TRUE(test::has_text(read("vask-rotmat.txt"), "z_axis: ["));
}

TEST_F(Views, too_few_atoms_leave_the_structure_as_it_is) {
  copy_data("1ubq.pdb");  // no nucleotides: the default view selects nothing
  const test::exe_result r = run("-i=1ubq.pdb --view -o=v.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(r.err, "[w] 0 atoms selected: keep coordinates as is.\n")) << r.err;
  EXPECT_FALSE(exists("vask-viewV.pdb"));
  const test::exe_result p = run("-i=1ubq.pdb --view=protein -o=p.pdb");
  ASSERT_EQ(p.status, 0) << p.err;
  EXPECT_TRUE(exists("vask-viewT.pdb"));
}

}  // namespace
}  // namespace vask
