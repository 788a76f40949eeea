// Element table, atom-name list, atom typing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "structure/atom.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "structure_fixture.hpp"

namespace vask {
namespace {

namespace fs = std::filesystem;

using ElementTable = test::StructureTest;

TEST_F(ElementTable, built_in_rows) {
  EXPECT_EQ(element_table.count, 112);
  EXPECT_EQ(element_table.symbol[0], "__");
  EXPECT_EQ(element_table.symbol[12], "MG");
  EXPECT_EQ(element_table.metal[12], 1);
  EXPECT_DOUBLE_EQ(element_table.covalent_radius[6], 0.76);
  EXPECT_DOUBLE_EQ(element_table.vdw_radius[8], 1.52);
  EXPECT_DOUBLE_EQ(element_table.covalent_radius[0], 1.666);  // unknown element
  EXPECT_DOUBLE_EQ(element_table.vdw_radius[0], 2.0);
  EXPECT_EQ(match_atomic_number_from_name(" P"), 15);
  EXPECT_EQ(match_atomic_number_from_name("XX"), 0);
  // deuterium is mapped to hydrogen by the readers; row 0 never matches
  EXPECT_EQ(is_valid_element_symbol(" D"), 0);
  EXPECT_EQ(is_valid_element_symbol("__"), 0);
  EXPECT_EQ(is_valid_element_symbol(" C"), 1);
}

// Data files are looked up in the working directory first.
class DataFileTest : public test::StructureTest {
 protected:
  void SetUp() override {
    test::StructureTest::SetUp();
    std::string tmpl = (fs::temp_directory_path() / "vask-data-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    old_ = fs::current_path();
    fs::current_path(dir_);
    mutable_gvars().stand_alone = 0;
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
    test::StructureTest::TearDown();
    reset_periodic_table();
  }
  fs::path dir_, old_;
};

TEST_F(DataFileTest, shipped_elements_dat_equals_the_built_in_table) {
  fs::copy_file(fs::path(VASK_TEST_DATA) / "../../data/config/elements.dat", "elements.dat");
  reset_periodic_table();
  periodic_table from_file = element_table;
  mutable_gvars().stand_alone = 1;
  reset_periodic_table();
  ASSERT_EQ(from_file.count, element_table.count);
  for (long z = 0; z <= element_table.count; ++z) {
    SCOPED_TRACE(z);
    EXPECT_EQ(from_file.symbol[z], element_table.symbol[z]);
    EXPECT_EQ(from_file.metal[z], element_table.metal[z]);
    EXPECT_DOUBLE_EQ(from_file.covalent_radius[z], element_table.covalent_radius[z]);
    EXPECT_DOUBLE_EQ(from_file.vdw_radius[z], element_table.vdw_radius[z]);
    EXPECT_DOUBLE_EQ(from_file.weight[z], element_table.weight[z]);
  }
}

TEST_F(DataFileTest, elements_dat_rules) {
  std::ofstream("elements.dat") << "# Z sym metal cov vdw weight\n"
                                   "0 __ 0 1.666 2.0 0\n"
                                   "1 h 0 0.31 1.2 1.008\n"
                                   "6 c 0 0.76 1.7 12.011\n"
                                   "7 N 0 0.71 1.55 bad\n"  // malformed: skipped
                                   "8 O 0 0.66 1.52\n";     // too few tokens: skipped
  test::log_capture log;
  reset_periodic_table();
  EXPECT_EQ(element_table.count, 6);
  EXPECT_EQ(element_table.symbol[6], " C");  // upper-cased, right-justified
  EXPECT_EQ(element_table.symbol[1], " H");
  EXPECT_EQ(element_table.symbol[7], "__");  // never filled: row-0 values
  EXPECT_EQ(log.text(), "\t4 malformed entries ignored in 'elements.dat'\n");
}

TEST_F(DataFileTest, atomlist_dat_rules) {
  std::ofstream("atomlist.dat") << "# pattern element\n"
                                   "_C__ C\n"
                                   "_O4'_ O\n"   // prime not allowed in a pattern
                                   "_D__ D\n"    // deuterium stored as hydrogen
                                   "_Q__ XX\n"   // not in the element table
                                   "_N__ N # trailing comment\n";
  test::log_capture log(true);
  atomlist list;
  set_atomlist(list);
  ASSERT_EQ(list.count, 3);
  EXPECT_EQ(list.entries[1].pattern, "_C__");
  EXPECT_EQ(list.entries[2].pattern, "_D__");
  EXPECT_EQ(list.entries[2].element, " H");
  EXPECT_EQ(list.entries[3].element, " N");
  EXPECT_NE(log.text().find("\t\tignore <_O4'_>: must be 4-char; '_' or A-Z\n"),
            std::string::npos);
  EXPECT_NE(log.prg_text().find("\t\tignore <XX>: not included in 'elements.dat'\n"),
            std::string::npos);
}

using AtomList = test::StructureTest;

TEST_F(AtomList, names_to_elements) {
  atomlist list;
  set_atomlist(list);
  ASSERT_EQ(list.count, 541);
  const struct {
    const char* name;
    const char* element;
  } cases[] = {
      {" C1'", " C"}, {" N9 ", " N"}, {" OP1", " O"}, {" P  ", " P"}, {"MG  ", "MG"},
      {" H5'", " H"}, {"HO2'", " H"}, {"HE  ", "HE"}, {"HE1 ", " H"}, {"HG  ", "HG"},
      {"HG21", " H"}, {"ZN  ", "ZN"}, {" SG ", " S"}, {"CL  ", "CL"}, {" QQ ", "__"},
  };
  test::log_capture quiet;
  long unmatched = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(convert_pdb_name_to_element(c.name, list, unmatched), c.element);
  }
  EXPECT_EQ(unmatched, 1);
}

using AtomTypes = test::StructureTest;

// Cytidine 75 of 1ehz with its methyl-free ring; an extra carbon named C5M
// bonded to C5 becomes a base atom, one next to C5' a backbone atom.
const char* const C75 = R"(ATOM   1583  P     C A  75      60.587  67.548  35.858  1.00 76.46           P
ATOM   1584  OP1   C A  75      61.158  68.891  35.583  1.00 76.47           O
ATOM   1585  OP2   C A  75      61.306  66.326  35.391  1.00 76.52           O
ATOM   1586  O5'   C A  75      59.119  67.604  35.239  1.00 76.01           O
ATOM   1587  C5'   C A  75      58.197  68.657  35.539  1.00 75.59           C
ATOM   1588  C4'   C A  75      56.816  68.336  35.027  1.00 75.39           C
ATOM   1589  O4'   C A  75      56.282  67.193  35.741  1.00 75.05           O
ATOM   1590  C3'   C A  75      56.725  67.928  33.572  1.00 75.40           C
ATOM   1591  O3'   C A  75      56.710  69.069  32.722  1.00 75.79           O
ATOM   1592  C2'   C A  75      55.418  67.150  33.543  1.00 75.17           C
ATOM   1593  O2'   C A  75      54.302  67.995  33.354  1.00 75.34           O
ATOM   1594  C1'   C A  75      55.385  66.551  34.949  1.00 74.87           C
ATOM   1595  N1    C A  75      55.810  65.138  34.949  1.00 74.22           N
ATOM   1596  C2    C A  75      54.840  64.137  34.981  1.00 73.72           C
ATOM   1597  O2    C A  75      53.649  64.464  35.000  1.00 73.80           O
ATOM   1598  N3    C A  75      55.230  62.837  34.993  1.00 73.28           N
ATOM   1599  C4    C A  75      56.527  62.536  34.974  1.00 72.94           C
ATOM   1600  N4    C A  75      56.864  61.245  34.985  1.00 73.06           N
ATOM   1601  C5    C A  75      57.532  63.541  34.942  1.00 73.10           C
ATOM   1602  C6    C A  75      57.133  64.821  34.930  1.00 73.29           C
)";

TEST_F(AtomTypes, classes_of_nucleotide_atoms) {
  std::string text = C75;
  text += "ATOM   1603  C5M   C A  75      59.000  63.200  34.900  1.00 73.10           C\n";
  text += "ATOM   1604  CX    C A  75      58.300  69.600  35.900  1.00 73.10           C\n";
  text += "ATOM   1605  H5    C A  75      58.560  63.250  34.930  1.00 73.10           H\n";
  struct_mol mol;
  test::log_capture quiet;
  test::read_pdb_text(text, mol);
  ASSERT_TRUE(is_nt(1, mol));
  auto at = [&](const char* n) { return mol.atoms[find_atom_in_residue(n, 1, mol)]; };
  EXPECT_EQ(at(" N1 ").base, 1);
  EXPECT_EQ(at(" N1 ").in_plane, 1);
  EXPECT_EQ(at(" C1'").backbone, 1);
  EXPECT_EQ(at(" C1'").sugar, 1);
  EXPECT_EQ(at(" P  ").backbone, 1);
  EXPECT_EQ(at(" P  ").sugar, 0);
  EXPECT_EQ(at(" O2'").o2prime, 1);
  // C5M was bonded to C5 of a pyrimidine: renamed C7, a listed base atom
  EXPECT_EQ(find_atom_in_residue(" C5M", 1, mol), -1);
  EXPECT_EQ(at(" C7 ").base, 1);
  EXPECT_EQ(at(" CX ").backbone, 1);  // nearest atom is C5'
  EXPECT_EQ(at(" CX ").base, 0);
  const atom& h = at(" H5 ");
  EXPECT_EQ(h.hydrogen, 1);
  EXPECT_EQ(h.nt_atom, 0);
  EXPECT_EQ(h.base + h.backbone, 0);
  EXPECT_EQ(mol.max_base_atoms, 9);  // 8 ring atoms and substituents + C7
}

TEST_F(AtomTypes, amino_acid_and_lone_oxygen) {
  const char* text =
      R"(ATOM      1  N   GLY A   1      10.000  10.000  10.000  1.00 20.00           N
ATOM      2  CA  GLY A   1      11.400  10.000  10.000  1.00 20.00           C
ATOM      3  C   GLY A   1      12.000  11.400  10.000  1.00 20.00           C
ATOM      4  O   GLY A   1      11.300  12.400  10.000  1.00 20.00           O
HETATM    5  O   XYZ A 101      20.000  20.000  20.000  1.00 20.00           O
)";
  struct_mol mol;
  test::log_capture quiet;
  test::read_pdb_text(text, mol);
  ASSERT_TRUE(is_aa(1, mol));
  EXPECT_EQ(mol.residues[1].letter, 'G');
  EXPECT_EQ(mol.residues[1].std_name, "gly");
  EXPECT_EQ(mol.atoms[2].mainchain, 1);
  EXPECT_EQ(mol.atoms[2].aa_atom, 1);
  EXPECT_EQ(mol.atoms[2].c_n_or_o, 1);
  EXPECT_EQ(mol.atoms[4].oxygen, 1);
  EXPECT_EQ(mol.residues[1].color_index, 2);
  EXPECT_EQ(mol.atoms[1].color_index, 2);
  // a lone oxygen of any residue name is a water atom, though not a water residue
  EXPECT_EQ(mol.atoms[5].water, 1);
  EXPECT_EQ(is_water(2, mol), 0);
  EXPECT_EQ(mol.max_base_atoms, 0);
}

TEST(AtomDistances, dummy_index_gives_the_largest_double) {
  struct_mol mol;
  mol.atoms.resize(3);
  mol.num_atoms = 2;
  mol.atoms[1].xyz = {0, 0, 0, 0};
  mol.atoms[2].xyz = {0, 3, 4, 0};
  EXPECT_DOUBLE_EQ(dist_atoms(1, 2, mol), 5.0);
  EXPECT_DOUBLE_EQ(dist_atoms_square(1, 2, mol), 25.0);
  EXPECT_EQ(dist_atoms(-1, 2, mol), DBL_MAX);
  EXPECT_EQ(dist_atoms_square(1, -1, mol), DBL_MAX);
}

}  // namespace
}  // namespace vask

namespace vask {
namespace {

TEST_F(DataFileTest, shipped_atomlist_dat_equals_the_built_in_list) {
  fs::copy_file(fs::path(VASK_TEST_DATA) / "../../data/config/elements.dat", "elements.dat");
  fs::copy_file(fs::path(VASK_TEST_DATA) / "../../data/config/atomlist.dat", "atomlist.dat");
  reset_periodic_table();
  atomlist from_file;
  set_atomlist(from_file);
  mutable_gvars().stand_alone = 1;
  reset_periodic_table();
  atomlist builtin;
  set_atomlist(builtin);
  ASSERT_EQ(from_file.count, builtin.count);
  for (long i = 1; i <= builtin.count; ++i) {
    SCOPED_TRACE(builtin.entries[i].pattern);
    EXPECT_EQ(from_file.entries[i].pattern, builtin.entries[i].pattern);
    EXPECT_EQ(from_file.entries[i].element, builtin.entries[i].element);
  }
}

}  // namespace
}  // namespace vask
