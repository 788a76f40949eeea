// Block schematics end to end: the scene written by --block-file, checked by
// its record counts and, where Raster3D is installed, by rendering it.
#include "schematic_run.hpp"
#include "schematics/block_schematic.hpp"
#include "support/string.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
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
  EXPECT_FALSE(exists("vask-G4modelBBLkg.pdb"));  // a real quadruplex: no model trace
  if (test::have_program("render")) {
    const std::string cmd = "cd '" + dir_.string() + "' && render < s.r3d > s.png 2>render.log";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << read("render.log");
    EXPECT_EQ(read("s.png").substr(1, 3), "PNG");
  } else {
    test::oracle_missing("Raster3D (render) not installed: the block file is not rendered");
  }
  r = run("-i=2hy9.cif --alcfile=g4 -o=a.alc");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(read("vask-g4.alc"), "   36 ATOMS,    36 BONDS\n"));  // 12 atoms per square
  EXPECT_TRUE(test::has_text(r.err, "--alcfile: add G-tetrad square blocks"));
}

// The C1' lines of a coordinate file, in file order.
std::vector<std::string> c1_lines(const std::string& pdb) {
  std::vector<std::string> out;
  for (const auto& l : test::lines_of(pdb))
    if (l.starts_with("ATOM") && l.substr(12, 4) == " C1'") out.push_back(l);
  return out;
}

// The model that rebuild makes of stacked G-tetrads (four chains, no
// backbone) gets, with the side slabs, a file of its C1' atoms joined along
// each chain: the atom lines of the model renumbered from 1, CONECT records
// to the neighbours, every line 80 columns.
TEST_F(BlockFile, idealized_g4_model_gets_a_c1_trace_with_the_side_slabs) {
  const struct {
    const char* pattern;
    long layers;
    const char* conect;  // the CONECT records, unpadded
  } models[] = {
      {"+-+:30", 3,
       "CONECT    1    2\nCONECT    2    1    3\nCONECT    3    2\n"
       "CONECT    4    5\nCONECT    5    4    6\nCONECT    6    5\n"
       "CONECT    7    8\nCONECT    8    7    9\nCONECT    9    8\n"
       "CONECT   10   11\nCONECT   11   10   12\nCONECT   12   11\n"},
      {"+", 1, ""},  // lone atoms: nothing to join
  };
  for (const auto& m : models) {
    SCOPED_TRACE(m.pattern);
    for (const char* f : {"m.pdb", "ab-G4modelBBLkg.pdb", "vask-G4modelBBLkg.pdb"}) std::filesystem::remove(dir_ / f);
    ASSERT_EQ(run(std::string("rebuild --g4-model=") + m.pattern + " -o=m.pdb").status, 0);
    // the plain squares leave no trace
    test::exe_result r = run("-i=m.pdb --block-file=g4,face -o=q.r3d");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(exists("vask-G4modelBBLkg.pdb"));
    for (const char* words : {"g4,side,face", "g4,side-full,edge"}) {
      SCOPED_TRACE(words);
      std::filesystem::remove(dir_ / "ab-G4modelBBLkg.pdb");
      r = run(std::string("-i=m.pdb --prefix=ab --block-file=") + words + " -o=s.r3d");
      ASSERT_EQ(r.status, 0) << r.err;
      EXPECT_FALSE(exists("vask-G4modelBBLkg.pdb"));
      const std::vector<std::string> lines = test::lines_of(read("ab-G4modelBBLkg.pdb"));
      std::vector<std::string> want{sformat("%-80s", sformat("REMARK  m: an idealized G4 model, with %ld layers",
                                                             m.layers).c_str())};
      long serial = 0;
      for (std::string atom : c1_lines(read("m.pdb"))) {  // chains A to D, residues in order
        atom.replace(6, 5, sformat("%5ld", ++serial));
        want.push_back(atom);
      }
      ASSERT_EQ(serial, 4 * m.layers);
      for (const auto& l : test::lines_of(m.conect)) want.push_back(sformat("%-80s", l.c_str()));
      EXPECT_EQ(lines, want);
      for (const auto& l : lines) EXPECT_EQ(l.size(), 80u) << l;
    }
  }
  // gemmi reads the trace: four chains of C1' atoms
  if (!test::have_program("gemmi")) {
    GTEST_SKIP() << "gemmi not installed: the G4 trace is not read back";
  }
  ASSERT_EQ(run("rebuild --g4-model=+-+ -o=m.pdb").status, 0);
  ASSERT_EQ(run("-i=m.pdb --block-file=g4,side,face -o=s.r3d").status, 0);
  const std::string cmd = "cd '" + dir_.string() + "' && gemmi residues vask-G4modelBBLkg.pdb >g.txt 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << read("g.txt");
  std::map<char, long> c1_per_chain;
  for (const auto& l : test::lines_of(read("g.txt")))
    if (l.ends_with(" C1'")) ++c1_per_chain[l[0]];
  EXPECT_EQ(c1_per_chain, (std::map<char, long>{{'A', 3}, {'B', 3}, {'C', 3}, {'D', 3}})) << read("g.txt");
}

// Near misses of an idealized model: a backbone atom per residue, a residue
// without C1', a fifth chain; none gets a trace, and the run goes on.
TEST_F(BlockFile, models_short_of_the_ideal_get_no_trace) {
  ASSERT_EQ(run("rebuild --g4-model=++ -o=m.pdb").status, 0);
  const std::vector<std::string> lines = test::lines_of(read("m.pdb"));
  std::string with_c3, without_c1, with_water;
  for (const auto& l : lines) {
    const bool c1 = l.starts_with("ATOM") && l.substr(12, 4) == " C1'";
    if (l == "END") with_water += "HETATM  999  O   HOH E   1       0.000   0.000  20.000  1.00  0.00           O  \n";
    if (!(c1 && l.substr(21, 5) == "B   2")) without_c1 += l + "\n";
    with_water += l + "\n";
    with_c3 += l + "\n";
    if (c1) {  // a C3' 1.5 A above the C1'
      std::string c3 = l;
      c3.replace(12, 4, " C3'");
      c3.replace(46, 8, sformat("%8.3f", std::stod(l.substr(46, 8)) + 1.5));
      with_c3 += c3 + "\n";
    }
  }
  const struct {
    const char* name;
    const std::string& text;
    bool says_c1;
  } cases[] = {{"c3.pdb", with_c3, false}, {"c1.pdb", without_c1, true}, {"w.pdb", with_water, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    write(c.name, c.text);
    std::filesystem::remove(dir_ / "vask-G4modelBBLkg.pdb");
    const test::exe_result r = run(std::string("-i=") + c.name + " --block-file=g4,side,face -o=s.r3d");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(test::has_text(r.err, "[i] no C1' atom in B.G2: no backbone trace of the G4 model\n"), c.says_c1);
    EXPECT_EQ(count_prefix(test::lines_of(read("s.r3d")), "# G4-block: "), 8);  // both tetrads still found
    EXPECT_FALSE(exists("vask-G4modelBBLkg.pdb"));
  }
}

}  // namespace
}  // namespace vask
