// The --alcfile task end to end, the molfiles checked by Open Babel where it
// is installed.
#include "schematics/alchemy_schematic.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "pairing/frame.hpp"
#include "schematic_run.hpp"
#include "schematics/alchemy.hpp"

namespace vask {
namespace {

class AlcFile : public test::SchematicRun {
 protected:
  struct_alchemy load(const std::string& name) {
    struct_alchemy m;
    read_alchemy(path(name), m);
    return m;
  }
  // Open Babel's atom and bond counts of a molfile (its mol2 counts line).
  std::pair<long, long> babel_counts(const std::string& mol) {
    const std::string cmd =
        "cd '" + dir_.string() + "' && obabel -imol '" + mol + "' -omol2 -O check.mol2 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) return {-1, -1};
    std::istringstream in(read("check.mol2"));
    std::string line;
    for (int k = 0; k < 3; ++k) std::getline(in, line);
    long a = -1, b = -1;
    std::istringstream(line) >> a >> b;
    return {a, b};
  }
};

TEST_F(AlcFile, pair_boxes_replace_the_boxes_of_their_bases) {
  copy_data("1ehz.pdb");
  const test::exe_result r = run("-i=1ehz.pdb --alcfile=block,pair -o=b.alc");
  ASSERT_EQ(r.status, 0) << r.err;
  const struct_alchemy out = load("b.alc"), pairs = load("vask-pairs.alc"), blocks = load("vask-blocks.alc");
  EXPECT_EQ(pairs.num_atoms, 20 * 12);
  EXPECT_EQ(blocks.num_atoms, (76 - 40) * 12);
  EXPECT_EQ(out.num_atoms, 56 * 12);
  EXPECT_EQ(out.num_bonds, 56 * 12);
  EXPECT_EQ(read("b.alc"), read("vask-full.alc"));
  EXPECT_DOUBLE_EQ(out.atoms[1].value, 1.0);  // the pair G1-C72 carries its first residue number
  EXPECT_EQ(out.bonds[out.num_bonds].atom1, out.num_atoms);  // the last box's bonds shifted to it
  EXPECT_TRUE(test::has_text(r.err, "\t--alcfile: add pair blocks\n"));
}

TEST_F(AlcFile, frames_axis_planes_and_connections) {
  copy_data("1ehz.pdb");
  const test::exe_result r = run("-i=1ehz.pdb --alcfile=frame,axis,plane,conn -o=f.alc");
  ASSERT_EQ(r.status, 0) << r.err;
  const struct_alchemy frames = load("vask-frames.alc"), planes = load("vask-planes.alc");
  EXPECT_EQ(frames.num_atoms, 4 * 76);
  EXPECT_EQ(frames.num_bonds, 3 * 76);
  EXPECT_EQ(frames.atoms[4].type, "O");
  EXPECT_EQ(frames.bonds[6].atom1, 5);
  EXPECT_EQ(planes.num_atoms, 9 * 76);
  EXPECT_EQ(planes.num_bonds, 12 * 76);
  EXPECT_EQ(planes.atoms[10].type, "P1");
  EXPECT_EQ(planes.bonds[13].atom1, 10);
  EXPECT_EQ(read("vask-axis.alc"),
            "    4 ATOMS,     3 BONDS\n"
            "    1 C       0.0000   0.0000   0.0000     0.0000\n"
            "    2 C       2.0000   0.0000   0.0000     0.0000\n"
            "    3 N       0.0000   2.0000   0.0000     0.0000\n"
            "    4 O       0.0000   0.0000   2.0000     0.0000\n"
            "    1     1     2\n    2     1     3\n    3     1     4\n");
  // consecutive Watson-Crick pairs of a stem are joined (origins about 3 to 4.5 A apart)
  const struct_alchemy conn = load("vask-pairConn.alc");
  EXPECT_EQ(conn.num_atoms, 20);
  EXPECT_GE(conn.num_bonds, 12);
  const struct_alchemy full = load("f.alc");
  EXPECT_EQ(full.num_atoms, 4 + 4 * 76 + 9 * 76 + 240 + 20);  // conn implies pair boxes; no base boxes asked
}

TEST(derive_frame_pseudo_atoms, identity_grid) {
  frame f;
  set_identity_frame(f);
  std::array<xyz, 10> p;
  derive_frame_pseudo_atoms(f, p);
  const double want[9][2] = {{0, 0}, {0, 2.5}, {0, 5}, {2, 0}, {2, 2.5}, {2, 5}, {-2.5, 0}, {-2.5, 2.5}, {-2.5, 5}};
  for (int k = 1; k <= 9; ++k) EXPECT_EQ(p[k], (xyz{0, want[k - 1][0], want[k - 1][1], 0})) << k;
}

TEST_F(AlcFile, molfiles_read_by_open_babel) {
  copy_data("1ehz.pdb");
  test::exe_result r = run("-i=1ehz.pdb --mdlfile -o=b.mol");
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream in(read("b.mol"));
  std::string line;
  for (int k = 0; k < 4; ++k) std::getline(in, line);
  EXPECT_EQ(line, "912912  0     0  0              1 V2000");  // one box per nucleotide
  r = run("-i=1ehz.pdb --mdlfile=atom -o=a.mol");  // 1821 atoms: V3000
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(read("a.mol"), "M  V30 COUNTS  1821  1846 0 0 0\n"));
  if (!test::have_program("obabel")) GTEST_SKIP() << "obabel (Open Babel) is not installed";
  EXPECT_EQ(babel_counts("b.mol"), (std::pair<long, long>{912, 912}));
  EXPECT_EQ(babel_counts("a.mol"), (std::pair<long, long>{1821, 1846}));
}

}  // namespace
}  // namespace vask
