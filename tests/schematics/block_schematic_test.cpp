// Block schematics end to end: the scene written by --block-file, checked by
// its record counts and, where Raster3D is installed, by rendering it.
#include "schematic_run.hpp"
#include "schematics/block_schematic.hpp"
#include "support/string.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>


namespace vask {
namespace {

// Object records of one type after the 20 header lines.
long count_records(const std::vector<std::string>& lines, const std::string& type) {
  long n = 0;
  for (size_t k = 20; k < lines.size(); ++k) n += lines[k] == type;
  return n;
}

long count_prefix(const std::vector<std::string>& lines, const std::string& prefix) {
  long n = 0;
  for (const auto& l : lines) n += l.starts_with(prefix);
  return n;
}

class BlockFile : public test::SchematicRun {};

TEST_F(BlockFile, faces_and_pair_boxes_of_1ehz_render) {
  copy_data("1ehz.pdb");
  const test::exe_result r = run("-i=1ehz.pdb --block-file=face,wc -o=b.r3d");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = test::lines_of(read("b.r3d"));
  ASSERT_GT(lines.size(), 22u);
  EXPECT_EQ(lines[16], "3                 mixed object types");
  EXPECT_EQ(lines[20], "# base blocks: 56");  // 76 nucleotides, 20 Watson-Crick pairs
  EXPECT_EQ(lines[21], "# WC pair: A.G1 [1] -- A.C72");
  EXPECT_EQ(count_prefix(lines, "# WC pair: "), 20);
  EXPECT_EQ(count_records(lines, "1"), 56 * 12);  // two triangles per face
  EXPECT_EQ(count_records(lines, "7"), 56 * 12);  // a normals record after each
  EXPECT_EQ(count_records(lines, "3"), 0);

  if (!test::have_program("render")) GTEST_SKIP() << "Raster3D's render is not installed";
  const std::string cmd = "cd '" + dir_.string() + "' && render < b.r3d > b.png 2>render.log" +
                          " && render -avs < b.r3d > b.avs 2>>render.log";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << read("render.log");
  const std::string png = read("b.png");
  ASSERT_GT(png.size(), 1000u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  // AVS: width and height (4 bytes each, big-endian), then ARGB pixels
  const std::string avs = read("b.avs");
  ASSERT_GT(avs.size(), 8u);
  auto be32 = [&avs](size_t at) {
    uint32_t v = 0;
    for (size_t k = 0; k < 4; ++k) v = (v << 8) | static_cast<unsigned char>(avs[at + k]);
    return v;
  };
  const uint32_t w = be32(0), h = be32(4);
  ASSERT_EQ(avs.size(), 8 + 4ul * w * h);
  long coloured = 0;
  for (size_t p = 8; p + 3 < avs.size(); p += 4)
    coloured += !(static_cast<unsigned char>(avs[p + 1]) == 255 && static_cast<unsigned char>(avs[p + 2]) == 255 &&
                  static_cast<unsigned char>(avs[p + 3]) == 255);
  EXPECT_GT(coloured, static_cast<long>(w * h / 20)) << "the picture is (nearly) blank";
}

// With edges only, the eight-by-eight table keeps each of a box's twelve
// edges once although every edge borders two faces.
TEST_F(BlockFile, edges_only_give_twelve_cylinders_per_box) {
  copy_data("1ehz.pdb");
  const test::exe_result r = run("-i=1ehz.pdb --block-file=edge -o=e.r3d");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = test::lines_of(read("e.r3d"));
  EXPECT_EQ(lines[20], "# base blocks: 76");
  EXPECT_EQ(count_records(lines, "3"), 76 * 12);
  EXPECT_EQ(count_records(lines, "1"), 0);
}

TEST_F(BlockFile, peptide_and_side_chain_boxes_of_a_protein_rna_complex) {
  copy_data("1qf6.pdb");
  test::exe_result r = run("-i=1qf6.pdb --block-file=face,protein -o=p.r3d");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = test::lines_of(read("p.r3d"));
  long header = -1, first_side = -1, last_peptide = -1;
  for (size_t k = 0; k < lines.size(); ++k) {
    if (lines[k].starts_with("# peptide/side-chain planar blocks: ")) header = static_cast<long>(k);
    if (lines[k].starts_with("# peptide ")) last_peptide = static_cast<long>(k);
    if (first_side < 0 && lines[k].starts_with("# side chain ")) first_side = static_cast<long>(k);
  }
  ASSERT_GE(header, 0);
  const long peptides = count_prefix(lines, "# peptide "), sides = count_prefix(lines, "# side chain ");
  EXPECT_GT(peptides, 500);
  EXPECT_GT(sides, 100);
  EXPECT_EQ(lines[static_cast<size_t>(header)],
            "# peptide/side-chain planar blocks: " + std::to_string(peptides + sides));
  EXPECT_LT(last_peptide, first_side);  // peptides first
  for (const auto& l : lines)
    if (l.starts_with("# side chain ")) {
      const bool planar = l.find(".ARG") != std::string::npos || l.find(".ASN") != std::string::npos ||
                          l.find(".ASP") != std::string::npos || l.find(".GLN") != std::string::npos ||
                          l.find(".GLU") != std::string::npos || l.find(".HIS") != std::string::npos ||
                          l.find(".PHE") != std::string::npos || l.find(".TRP") != std::string::npos ||
                          l.find(".TYR") != std::string::npos;
      EXPECT_TRUE(planar) << l;
    }
  // a structure without amino acids gets no such section
  copy_data("1ehz.pdb");
  r = run("-i=1ehz.pdb --block-file=face,pep -o=n.r3d");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(test::has_text(read("n.r3d"), "# peptide/side-chain planar blocks"));
}

// User block files larger than the built-in box are placed side by side with
// pair boxes: each box keeps its own offset, nothing is overrun.
TEST_F(BlockFile, user_blocks_larger_than_the_built_in_ones) {
  copy_data("1ehz.pdb");
  std::string big = "   16 ATOMS,    16 BONDS\n";
  for (int i = 1; i <= 16; ++i)
    big += sformat("%5d C   %9.4f%9.4f%9.4f\n", i, i % 2 ? -2.0 : 2.0, 0.2 * i, i % 4 < 2 ? 0.3 : -0.3);
  for (int j = 1; j <= 16; ++j) big += sformat("%5d %5d %5d\n", j, j, j % 16 + 1);
  write("big.alc", big);
  const test::exe_result r = run("-i=1ehz.pdb --block-config-R=big.alc --block-file=face,edge,wc -o=u.r3d");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = test::lines_of(read("u.r3d"));
  EXPECT_EQ(lines[20], "# base blocks: 56");
  EXPECT_EQ(count_records(lines, "1"), 56 * 12);
}

TEST_F(BlockFile, tetrad_squares_stand_for_their_guanines) {
  copy_data("1ehz.pdb");  // no G-tetrad: every base its own block
  test::exe_result r = run("-i=1ehz.pdb --block-file=g4 -o=g.r3d");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(read("g.r3d"), "# base blocks: 76"));
  // 2hy9: three tetrads of 26 nucleotides, so 3 squares and 14 single bases
  copy_data("2hy9.cif");
  r = run("-i=2hy9.cif --block-file=g4,face -o=q.r3d");  // one square per tetrad
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string q = read("q.r3d");
  EXPECT_TRUE(test::has_text(q, "# base blocks: 17\n# G4-block: 1.DG4 [4]\n")) << q;
  EXPECT_FALSE(test::has_text(q, "# 1.DG10 [10]"));
  EXPECT_FALSE(test::has_text(r.err, "not available yet")) << r.err;
  // side slabs: one per guanine, in its own base frame
  r = run("-i=2hy9.cif --block-file=g4,side,face -o=s.r3d");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string side = read("s.r3d");
  EXPECT_TRUE(test::has_text(side, "# base blocks: 26\n# G4-block: 1.DG4 [4]\n")) << side;
  long slabs = 0;
  for (size_t at = side.find("# G4-block: "); at != std::string::npos; at = side.find("# G4-block: ", at + 1)) ++slabs;
  EXPECT_EQ(slabs, 12);
  r = run("-i=2hy9.cif --block-file=g4,side-full,face -o=f.r3d");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(read("f.r3d"), side);  // the extended slabs reach further
  if (test::have_program("render")) {
    const std::string cmd = "cd '" + dir_.string() + "' && render < s.r3d > s.png 2>render.log";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << read("render.log");
    EXPECT_EQ(read("s.png").substr(1, 3), "PNG");
  }
  r = run("-i=2hy9.cif --alcfile=g4 -o=a.alc");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(read("vask-g4.alc"), "   36 ATOMS,    36 BONDS\n"));  // 12 atoms per square
  EXPECT_TRUE(test::has_text(r.err, "--alcfile: add G-tetrad square blocks"));
}

}  // namespace
}  // namespace vask
