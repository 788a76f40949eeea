#include "schematic_run.hpp"
#include "schematics/alchemy.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vask {
namespace {

namespace fs = std::filesystem;

class Alchemy : public test::SchematicRun {
 protected:
  void SetUp() override {
    test::SchematicRun::SetUp();
    set_globals("belqo-vask");
  }
  // A model of n atoms in a row with n - 1 bonds joining neighbours.
  std::string chain_file(long n, const std::string& name) {
    struct_alchemy m;
    m.num_atoms = n;
    m.num_bonds = n - 1;
    allocate_alcAtomsBonds(m);
    for (long i = 1; i <= n; ++i) m.atoms[i] = {"C", xyz{0, 1.5 * static_cast<double>(i), 0, 0}, 0.0};
    for (long j = 1; j < n; ++j) m.bonds[j] = {j, j + 1};
    write_alchemy(m, path(name));
    return path(name);
  }
};

TEST_F(Alchemy, lenient_reading_and_exact_writing) {
  // serials out of order, five fields, a three-letter type, a tab
  write("in.alc",
        "    3 ATOMS,     2 BONDS\n"
        "    7 CA1   1.0 2.0 3.0\n"
        "    2 N\t-1.5  0.25  4  9.5\n"
        "    1 O 0 0 0\n"
        "    1 1 2\n"
        "    9 2 3\n");
  struct_alchemy m;
  read_alchemy(path("in.alc"), m);
  ASSERT_EQ(m.num_atoms, 3);
  EXPECT_EQ(m.atoms[1].type, "CA");
  EXPECT_DOUBLE_EQ(m.atoms[1].value, 0.0);
  EXPECT_DOUBLE_EQ(m.atoms[2].value, 9.5);
  EXPECT_EQ(m.bonds[2].atom1, 2);
  write_alchemy(m, path("out.alc"));
  EXPECT_EQ(read("out.alc"),
            "    3 ATOMS,     2 BONDS\n"
            "    1 CA      1.0000   2.0000   3.0000     0.0000\n"
            "    2 N      -1.5000   0.2500   4.0000     9.5000\n"
            "    3 O       0.0000   0.0000   0.0000     0.0000\n"
            "    1     1     2\n"
            "    2     2     3\n");
}

TEST_F(Alchemy, malformed_files_end_the_run_with_their_messages) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"", "cannot read 'X' for number of atoms and bonds!\n"},
      {"  2 ATOMS\n", "cannot read 'X' for number of atoms and bonds!\n"},
      {"  1 ATOMS, 0 BONDS\n  1 C 1.0 2.0\n", "wrong atom record in '  1 C 1.0 2.0'\n"},
      {"  2 ATOMS, 0 BONDS\n  1 C 1 2 3\n", "error in reading atom record from 'X'\n"},
      {"  1 ATOMS, 1 BONDS\n  1 C 1 2 3\n  1 1 1 1\n", "wrong linkage record in '  1 1 1 1'\n"},
      {"  1 ATOMS, 2 BONDS\n  1 C 1 2 3\n  1 1 1\n", "error in reading linkage records from 'X'\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    write("X", c.text);
    const fs::path old = fs::current_path();
    fs::current_path(dir_);
    struct_alchemy m;
    EXPECT_EQ(test::fatal_message([&] { read_alchemy("X", m); }), c.message);
    fs::current_path(old);
  }
}

TEST_F(Alchemy, empty_files_and_combining) {
  write("empty.alc", "    0 ATOMS,     0 BONDS\n");
  struct_alchemy m;
  test::log_capture log;
  read_alchemy(path("empty.alc"), m);
  EXPECT_EQ(m.num_atoms, 0);
  EXPECT_NE(log.text().find("contains no atoms"), std::string::npos);
  combine_two_alcfiles(path("empty.alc"), path("empty.alc"), path("both.alc"));
  EXPECT_EQ(read("both.alc"), "    0 ATOMS,     0 BONDS\n");

  const std::string three = chain_file(3, "three.alc");
  combine_two_alcfiles(path("empty.alc"), three, path("e3.alc"));
  EXPECT_EQ(read("e3.alc"), read("three.alc"));
  combine_two_alcfiles(three, three, three);  // the output may be the first input
  read_alchemy(three, m);
  ASSERT_EQ(m.num_atoms, 6);
  ASSERT_EQ(m.num_bonds, 4);
  EXPECT_EQ(m.bonds[3].atom1, 4);
  EXPECT_EQ(m.bonds[4].atom2, 6);
}

TEST_F(Alchemy, molfile_form_switches_to_v3000_beyond_999) {
  const struct {
    long atoms;
    const char* version;
  } cases[] = {{999, " V2000"}, {1000, " V3000"}, {1001, " V3000"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.atoms);
    convert_alc2mol(chain_file(c.atoms, "m.alc"), path("m.mol"));
    const std::string text = read("m.mol");
    std::istringstream in(text);
    std::string line;
    for (int k = 0; k < 4; ++k) std::getline(in, line);
    EXPECT_TRUE(line.ends_with(c.version)) << line;
    EXPECT_TRUE(text.ends_with("M END\n"));
  }
  convert_alc2mol(chain_file(2, "two.alc"), path("two.mol"));
  EXPECT_EQ(read("two.mol"), path("two.alc") + "\nXL VASK\nConverted from file '" + path("two.alc") +
                                 "'\n  2  1  0     0  0              1 V2000\n"
                                 "    1.5000    0.0000    0.0000 C  \n"
                                 "    3.0000    0.0000    0.0000 C  \n"
                                 "  1  2  1\nM END\n");
}

// Open Babel reads both molfile forms back with the atom and bond counts written.
TEST_F(Alchemy, open_babel_reads_both_molfile_forms) {
  if (!test::have_program("obabel")) GTEST_SKIP() << "obabel (Open Babel) is not installed";
  for (long n : {12L, 1200L}) {
    SCOPED_TRACE(n);
    convert_alc2mol(chain_file(n, "c.alc"), path("c.mol"));
    const std::string cmd = "cd '" + dir_.string() + "' && obabel -imol c.mol -omol2 -O c.mol2 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::istringstream in(read("c.mol2"));
    std::string line;
    for (int k = 0; k < 3; ++k) std::getline(in, line);  // "@<TRIPOS>MOLECULE", name, counts
    long atoms = 0, bonds = 0;
    std::istringstream(line) >> atoms >> bonds;
    EXPECT_EQ(atoms, n);
    EXPECT_EQ(bonds, n - 1);
  }
}

}  // namespace
}  // namespace vask
