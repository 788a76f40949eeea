#include "structure/selection.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "pairing/prepare.hpp"
#include "structure/struct_mol.hpp"
#include "support/settings.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

class Selection : public ::testing::Test {
 protected:
  void SetUp() override {
    set_globals("belqo-vask");
    read_pdb(test::test_data("1ehz.pdb"), mol_);
    for (long a = 1; a <= mol_.num_atoms; ++a) mol_.atoms[a].status = 0;
  }
  void TearDown() override { set_globals("belqo-vask"); }
  long selected() const {
    long n = 0;
    for (long a = 1; a <= mol_.num_atoms; ++a) n += mol_.atoms[a].status != 0;
    return n;
  }
  long residue_atoms(long from, long to) const {
    long n = 0;
    for (long r = 1; r <= mol_.num_residues; ++r)
      if (mol_.residues[r].res_seq >= from && mol_.residues[r].res_seq <= to && mol_.residues[r].chain_id == "A")
        n += mol_.residues[r].last_atom - mol_.residues[r].first_atom + 1;
    return n;
  }
  struct_mol mol_;
};

TEST_F(Selection, fragments_by_chain_and_residue_numbers) {
  mutable_gvars().select_frag = "A 10:20,30";
  select_fragments(mol_);
  EXPECT_EQ(selected(), residue_atoms(10, 20) + residue_atoms(30, 30));
  for (long a = 1; a <= mol_.num_atoms; ++a) mol_.atoms[a].status = 0;
  mutable_gvars().select_frag = "A 70: B 1 A x:3 A 5:2";
  test::log_capture log;
  select_fragments(mol_);
  EXPECT_EQ(selected(), residue_atoms(70, 100000));  // waters of chain A beyond 76 included
  EXPECT_NE(log.text().find("[w] skip <A x:3>: wrong residue numbers\n"), std::string::npos);
  EXPECT_NE(log.text().find("[w] skip <A 5:2>: wrong residue numbers\n"), std::string::npos);
  mutable_gvars().select_frag.assign(1, 'A');
  EXPECT_EQ(test::fatal_message([&] { select_fragments(mol_); }),
            "[e] -- chain id and residue number[s] must be in pair [A]\n");
}

TEST_F(Selection, atoms_by_name_and_global_rules) {
  mutable_gvars().select_atom = "p,c1'";
  test::log_capture log;
  extract_atoms(mol_);
  long p = 0, c1 = 0;
  for (long a = 1; a <= mol_.num_atoms; ++a) {
    p += mol_.atoms[a].name == " P  ";
    c1 += mol_.atoms[a].name == " C1'";
  }
  EXPECT_EQ(selected(), p + c1);
  EXPECT_EQ(c1, 76);
  EXPECT_NE(log.text().find("2 atom names to select\n    1 [ P  ]\n    2 [ C1']\n"), std::string::npos) << log.text();
  mutable_gvars().reverse_select = 1;
  mutable_gvars().delete_water = 1;
  handle_global_selections(mol_);
  long waters = 0;
  for (long a = 1; a <= mol_.num_atoms; ++a) waters += mol_.atoms[a].res_name == "HOH";
  EXPECT_EQ(selected(), mol_.num_atoms - p - c1 - waters);
}

TEST(combine_two_pdbfiles, one_model_two_models_or_lines) {
  set_globals("belqo-vask");
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("vask-combine-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string a = (dir / "a.pdb").string(), b = (dir / "b.pdb").string(), out = (dir / "o.pdb").string();
  std::ofstream(a) << "ATOM      1  P     G A   1       1.000   2.000   3.000  1.00 10.00           P\n"
                      "ATOM      2  C1'   G A   1       2.000   2.000   3.000  1.00 10.00           C\nEND\n"
                      "ATOM      9  N1    G A   1       2.000   2.000   3.000  1.00 10.00           N\n";
  std::ofstream(b) << "HETATM    5 MG    MG B 101       0.000   0.000   0.000  1.00 10.00          MG\n";
  combine_two_pdbfiles(a, b, out, 0);
  std::string text = test::read_file(out);
  EXPECT_NE(text.find("ATOM      2  C1'"), std::string::npos) << text;
  EXPECT_NE(text.find("HETATM    3 MG "), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("END\n"));
  combine_two_pdbfiles(a, b, out, 1);
  text = test::read_file(out);
  EXPECT_NE(text.find("MODEL        1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("ENDMDL\nMODEL        2\nHETATM    1 MG "), std::string::npos) << text;
  combine_two_pdbfiles(a, b, out, -1);
  text = test::read_file(out);
  EXPECT_EQ(text.rfind("REMARK VASK -- from file " + a + "\nATOM      1", 0), 0u) << text;
  EXPECT_EQ(text.find(" N1 "), std::string::npos);  // lines after END are not copied
  EXPECT_NE(text.find("REMARK VASK -- from file " + b + "\nHETATM    5"), std::string::npos);
  // an output naming an input is read before it is written over
  for (long mode : {-1L, 0L, 1L}) {
    SCOPED_TRACE(mode);
    const std::string c = (dir / "c.pdb").string();
    fs::copy_file(b, c, fs::copy_options::overwrite_existing);
    combine_two_pdbfiles(a, c, c, mode);
    text = test::read_file(c);
    EXPECT_NE(text.find(" C1'"), std::string::npos) << text;
    EXPECT_NE(text.find("MG "), std::string::npos) << text;
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vask
