// The loop sections and files end to end: tRNA-Phe's loops, 3' end and
// kissing D/T loops in text and JSON with the ensembles read back by gemmi;
// the kissing complex of 1K9W; the PyMOL and Jmol scripts of the P4-P6
// junctions (loaded by pymol where it runs); simplified junctions over a
// nucleotide missing its C1'.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "json_check.hpp"
#include "motifs/motif_fixture.hpp"

namespace vask {
namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

long count_of(const std::string& text, const std::string& part) {
  long n = 0;
  for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1)) ++n;
  return n;
}

TEST(LoopReport, trna_loops_segments_and_files) {
  test::ExeRun exe({"1ehz.pdb"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.txt --loop=no-ic-pair"), 0) << exe.file("stderr.txt");
  const std::string text = exe.file("out.txt");
  EXPECT_TRUE(has(text, "List of 3 hairpin loops\n")) << text;
  EXPECT_TRUE(has(text, "List of 1 junction\n   1 4-way junction: nts=16; [2,1,5,0]; linked by [#1,#2,#3,#4]\n"));
  EXPECT_FALSE(has(text, "List of 1 bulge"));
  EXPECT_TRUE(has(text, "List of 1 non-loop single-stranded segment\n   1 nts=4 ACCA A.A73,A.C74,A.C75,A.A76\n"))
      << text;
  // G19-C56 joins the D and T loops
  EXPECT_TRUE(has(text, "List of 1 kissing loop interaction\n"
                        "   1 isolated-pair #-1 between hairpin loops #1 and #3\n"));
  exe.expect_gemmi_models("vask-hairpins.pdb", 3);
  exe.expect_gemmi_models("vask-junctions.pdb", 1);
  EXPECT_TRUE(has(exe.file("vask-junctions.pdb"), "REMARK    4-way junction: nts=16;"));
  EXPECT_FALSE(exe.exists("vask-pymol.pml"));  // only at the highest verbosity

  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.json --json"), 0);
  const std::string js = exe.file("out.json");
  EXPECT_EQ(test::json_error(js), "");
  for (const char* key : {"\"num_hairpins\":3,", "\"num_junctions\":1,", "\"num_ssSegments\":1,",
                          "\"ssSegments\":[{\"index\":1,\"num_nts\":4,", "\"num_kissingLoops\":1,",
                          "\"kissingLoops\":[{\"index\":1,\"stem_index\":-1,\"is_isoCanonPair\":true,"
                          "\"hairpin_indices\":[1,3]}]"})
    EXPECT_TRUE(has(js, key)) << key;
  EXPECT_FALSE(has(js, "gHairpins"));
}

TEST(LoopReport, kissing_complex_has_one_kissing_loop) {
  test::ExeRun exe({"1k9w-assembly-2.cif"});
  ASSERT_EQ(exe.run("-i=1k9w-assembly-2.cif -o=out.txt"), 0) << exe.file("stderr.txt");
  const std::string text = exe.file("out.txt");
  EXPECT_TRUE(has(text, "List of 2 hairpin loops\n")) << text;
  EXPECT_TRUE(has(text, "List of 1 kissing loop interaction\n   1 stem #2 between hairpin loops #1 and #2\n"));
}

TEST(LoopReport, junction_scripts_at_the_highest_verbosity) {
  test::ExeRun exe({"1gid.pdb"});
  ASSERT_EQ(exe.run("-i=1gid.pdb -o=out.txt --more=9"), 0) << exe.file("stderr.txt");
  const std::string pml = exe.file("vask-pymol.pml");
  EXPECT_EQ(pml.rfind("load \"vask-junctions.pdb\"\nbg_color white\n", 0), 0u) << pml;
  EXPECT_EQ(count_of(pml, "select stem_wc, "), 2);
  EXPECT_FALSE(has(pml, "; [2,2,4]"));  // PyMOL would run the rest of the comment
  const std::string scr = exe.file("vask-jmol.scr");
  EXPECT_TRUE(has(scr, "\n# 1 3-way junction: nts=14\nselect ")) << scr;
  EXPECT_FALSE(has(scr, "select \n"));
  EXPECT_TRUE(has(exe.file("out.txt"), "List of 6 hairpin loops\n"));
}

TEST(LoopReport, pymol_loads_the_junction_script) {
  // one junction: PyMOL 2.5 crashes on leaving when the models of one file
  // hold different atoms, whatever the script does
  test::ExeRun exe({"1ehz.pdb"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.txt --more=9 --loop=no-ic-pair"), 0) << exe.file("stderr.txt");
  ASSERT_TRUE(exe.exists("vask-pymol.pml"));
  // Debian's pymol runs the system Python, so /usr/bin comes first on PATH
  const std::string pymol = "cd '" + exe.path("") + "' && env PATH=/usr/bin:/bin:\"$PATH\" pymol -cq ";
  std::FILE* probe = std::fopen(exe.path("probe.pml").c_str(), "w");
  ASSERT_NE(probe, nullptr);
  std::fputs("reinitialize\n", probe);
  std::fclose(probe);
  if (std::system((pymol + "probe.pml >/dev/null 2>&1").c_str()) != 0) {
    GTEST_SKIP() << "PyMOL is not installed or does not start here: the junction script is not loaded";
  }
  EXPECT_EQ(std::system((pymol + "vask-pymol.pml >pymol.txt 2>&1").c_str()), 0) << exe.file("pymol.txt");
  const std::string log = exe.file("pymol.txt");
  EXPECT_FALSE(has(log, "Error")) << log;
  EXPECT_TRUE(has(log, "selection \"single_nts\" defined")) << log;
}

// tRNA-Phe with the C1' atom of U8, a junction nucleotide, taken out.
std::string trna_without_u8_c1() {
  std::ifstream in(test::test_data("1ehz.pdb"));
  std::ostringstream out;
  std::string line;
  while (std::getline(in, line)) {
    const bool u8_c1 = line.rfind("ATOM", 0) == 0 && line.size() > 26 && line.substr(12, 4) == " C1'" &&
                       line.substr(21, 1) == "A" && line.substr(22, 4) == "   8";
    if (!u8_c1) out << line << '\n';
  }
  return out.str();
}

TEST(LoopReport, simplified_junction_skips_a_missing_atom_with_a_warning) {
  test::ExeRun exe({});
  {
    std::ofstream f(exe.path("t.pdb"));
    f << trna_without_u8_c1();
  }
  ASSERT_EQ(exe.run("-i=t.pdb -o=out.txt --loop=no-ic-pair --simplify-junction"), 0) << exe.file("stderr.txt");
  EXPECT_TRUE(has(exe.file("stderr.txt"), "[w] simplified junction: A.U8 has no C1' atom -- point left out\n"))
      << exe.file("stderr.txt");
  const std::string jct = exe.file("vask-simplifiedJcts.pdb");
  EXPECT_EQ(jct.rfind("MODEL        1\nREMARK    model=1  nts=16\nREMARK    4-way junction: nts=16;", 0), 0u) << jct;
  EXPECT_EQ(count_of(jct, "\nATOM  ") + count_of(jct, "\nHETATM"), 15);  // 16 nucleotides, one without C1'
  EXPECT_EQ(count_of(jct, "\nCONECT"), 15);
  EXPECT_TRUE(has(jct, "CONECT    1   15    2")) << jct;
  EXPECT_TRUE(has(jct, "CONECT   15   14    1")) << jct;
  // CONECT records are 80 columns like the atom lines, with no blank line between them
  EXPECT_TRUE(has(jct, "\nCONECT   15   14    1" + std::string(59, ' ') + "\nENDMDL\n")) << jct;
  EXPECT_FALSE(has(jct, "\n\n")) << jct;
  EXPECT_FALSE(has(jct, "\nEND\n"));

  ASSERT_EQ(exe.run("-i=t.pdb -o=out.txt --loop=no-ic-pair --simplify-junction=ribbon"), 0);
  const std::string ribbon = exe.file("vask-simplifiedJcts.pdb");
  EXPECT_EQ(count_of(ribbon, "\nCONECT"), 0);
  EXPECT_GT(count_of(ribbon, "\nATOM  ") + count_of(ribbon, "\nHETATM"), 16);
}

}  // namespace
}  // namespace vask
