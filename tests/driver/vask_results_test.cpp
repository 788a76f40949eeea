// The results container, the modified-nucleotide summary and the metal
// summary with its "metals" coordinate file.
#include "driver/vask_results.hpp"
#include "pairing/prepare.hpp"
#include "structure/struct_mol.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace vask {
namespace {

namespace fs = std::filesystem;

bool has(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

class ResultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    quiet_ = std::make_unique<test::log_capture>();
    mutable_gvars() = gvars_rec{};
    VERBOSITY = 0;
    reset_periodic_table();
    std::string tmpl = (fs::temp_directory_path() / "vask-results-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    old_ = fs::current_path();
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
    mutable_gvars() = gvars_rec{};
    quiet_.reset();
  }
  std::unique_ptr<test::log_capture> quiet_;
  fs::path dir_, old_;
};

std::string stream_text(FILE* fp) {
  std::string s = test::read_stream(fp);
  std::fclose(fp);
  return s;
}

TEST_F(ResultsTest, modified_nucleotides_of_1ehz) {
  test::log_capture log;
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  vask_results results;
  init_vask(results);
  FILE* fp = std::tmpfile();
  summarize_modified_nts(mol, results, fp);
  std::string text = stream_text(fp);
  EXPECT_EQ(results.num_modified, 14);
  EXPECT_EQ(mol.num_modified, 14);
  ASSERT_EQ(results.modified.size(), 15u);
  EXPECT_EQ(mol.residues[results.modified[1]].idstr, "A.2MG10");  // chain order
  EXPECT_EQ(text.substr(0, 78), "\n" + std::string(76, '*') + "\n");
  EXPECT_TRUE(has(text, "List of 11 types of 14 modified nucleotides\n"
                        "      nt    count  list\n"
                        "   1 1MA-a    1    A.1MA58\n"
                        "   2 2MG-g    1    A.2MG10\n"
                        "   3 5MC-c    2    A.5MC40,A.5MC49\n"))
      << text;
  EXPECT_TRUE(has(text, "  10 PSU-P    2    A.PSU39,A.PSU55\n  11 YYG-g    1    A.YYG37\n"));
  EXPECT_TRUE(has(log.text(), "           modified nucleotides: 14\n"));
  free_vask(&results);
  EXPECT_TRUE(results.modified.empty());
  EXPECT_EQ(results.num_modified, 14);  // counts stay
  free_vask(nullptr);
}

TEST_F(ResultsTest, no_modified_nucleotides_no_summary) {
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  for (long k = 1; k <= mol.num_residues; ++k) mol.residues[k].flag[rf::modified] = 0;
  vask_results results;
  init_vask(results);
  FILE* fp = std::tmpfile();
  summarize_modified_nts(mol, results, fp);
  EXPECT_EQ(stream_text(fp), "");
  EXPECT_EQ(results.num_modified, 0);
}

TEST_F(ResultsTest, metal_summary_text_json_and_file) {
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  vask_results results;
  init_vask(results);
  // without the metals switch: the slot only
  FILE* fp = std::tmpfile();
  summarize_metal_coordinations(mol, results.num_metals, results.metals, fp);
  EXPECT_EQ(stream_text(fp), "");
  ASSERT_EQ(results.num_metals, 9);
  EXPECT_EQ(results.metals[1].owner(), mol.metals[1]);
  EXPECT_FALSE(fs::exists("vask-metals.pdb"));

  mutable_gvars().metals = 1;
  fp = std::tmpfile();
  summarize_metal_coordinations(mol, results.num_metals, results.metals, fp);
  std::string text = stream_text(fp);
  EXPECT_TRUE(has(text, "List of 9 metals\n   1 Mg A.MG590  2 "));
  std::string pdb = test::read_file("vask-metals.pdb");
  EXPECT_EQ(pdb.rfind("MODEL        1\nREMARK    model=1  MG@A.MG590 2 ", 0), 0u) << pdb.substr(0, 80);
  EXPECT_EQ(pdb.substr(pdb.size() - 11), "ENDMDL\nEND\n");
  // the metal sits at the origin of its own frame
  EXPECT_TRUE(has(pdb, "HETATM    1 MG    MG A 590       0.000   0.000   0.000"));
  if (std::system("/usr/bin/python3 -c 'import gemmi' >/dev/null 2>&1") == 0) {
    int rc = std::system(
        "/usr/bin/python3 -c \"import gemmi; st = gemmi.read_structure('vask-metals.pdb'); "
        "assert len(st) == 9, len(st)\" 2>gemmi.err");
    EXPECT_EQ(rc, 0) << test::read_file("gemmi.err");
  } else {
    test::oracle_missing("gemmi not installed: the gemmi check of vask-metals.pdb is skipped");
  }

  mutable_gvars().json = 1;
  fp = std::tmpfile();
  summarize_metal_coordinations(mol, results.num_metals, results.metals, fp);
  text = stream_text(fp);
  EXPECT_EQ(text.rfind("\"metals\":[{\"index\":1,\"symbol\":\"Mg\",\"id\":\"A.MG590\",\"num_ligands\":2,"
                       "\"ligands\":[",
                       0),
            0u)
      << text;
  EXPECT_EQ(text.substr(text.size() - 3), "}],");
}

TEST_F(ResultsTest, one_metal_is_not_plural) {
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  mol.metals.resize(2);
  mol.num_metals = 1;
  mutable_gvars().metals = 1;
  vask_results results;
  init_vask(results);
  FILE* fp = std::tmpfile();
  summarize_metal_coordinations(mol, results.num_metals, results.metals, fp);
  EXPECT_TRUE(has(stream_text(fp), "List of 1 metal\n"));
}

TEST_F(ResultsTest, metal_and_nts_list_options_end_to_end) {
  fs::copy_file(test::test_data("1ehz.pdb"), "1ehz.pdb");
  int rc = std::system("'" VASK_EXE "' -i=1ehz.pdb --metal --nts-list-out=nts.txt >out.txt 2>err.txt");
  ASSERT_TRUE(WIFEXITED(rc));
  EXPECT_EQ(WEXITSTATUS(rc), 0) << test::read_file("err.txt");
  std::string out = test::read_file("out.txt");
  EXPECT_TRUE(has(out, "    no. of DNA/RNA chains: 1 [A=76]\n"));
  EXPECT_TRUE(has(out, "    no. of metals:         9 [Mg=6,Mn=3]\n"));
  EXPECT_TRUE(has(out, "List of 11 types of 14 modified nucleotides\n"));
  EXPECT_TRUE(has(out, "List of 9 metals\n"));
  EXPECT_TRUE(has(out, "vask-metals.pdb -- an ensemble of metal coordinations\n"));
  EXPECT_EQ(test::read_file("nts.txt").rfind("# 76 (no. of nucleotides)\n   1  #    1 A.G1\n", 0), 0u);
}

}  // namespace
}  // namespace vask
