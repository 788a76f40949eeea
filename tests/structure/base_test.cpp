// Base-name table, user mappings and ignored names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "structure/base.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "structure_fixture.hpp"

namespace vask {
namespace {

using BaseList = test::StructureTest;

std::string parent_of(const std::string& name, const baselist& list) {
  const base2std* e = find_in_baselist(name, list);
  return e == nullptr ? "none" : e->parent;
}

TEST_F(BaseList, built_in_entries) {
  baselist list;
  set_baselist(list);
  EXPECT_EQ(list.num, 48);
  EXPECT_EQ(parent_of(" DT", list), "__T");
  EXPECT_EQ(parent_of("DT5", list), "__T");
  EXPECT_EQ(parent_of("PSU", list), "__P");
  EXPECT_EQ(parent_of("psu", list), "__P");  // case-insensitive
  EXPECT_EQ(parent_of("  a", list), "__A");
  EXPECT_EQ(parent_of("2MG", list), "none");
}

TEST_F(BaseList, user_mappings) {
  const struct {
    const char* option;
    const char* name;
    const char* parent;  // after merging with the built-in list
    const char* log;     // expected run-log text (part)
  } cases[] = {
      {"--nt-mapping=5MU:T,PSU:P", "5MU", "__T", ""},
      {"--nt-mapping=PSU:p", "PSU", "__p", ""},
      {"--nt-mapping=PSU:U", "PSU", "__P", "[w] PSU cannot be mapped to 'U' -- entry ignored\n"},
      {"--nt-mapping=XYZW:A", "XYZ", "none", "\t\tignore pair <XYZW\tA>: > 3-char\n"},
      {"--nt-mapping=DA:C", " DA", "__C", ""},
      {"--nt-mapping=1MA:X", "1MA", "none",
       "[w] 1MA can only be mapped to A.C.G.T.U.P (or lower case), not 'X' -- entry ignored\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option);
    mutable_gvars() = gvars_rec{};
    test::log_capture log;
    derive_nt_mappings(c.option, mutable_gvars().nt_mappings);
    baselist list;
    set_baselist(list);
    EXPECT_EQ(parent_of(c.name, list), c.parent);
    if (*c.log) {
      EXPECT_NE(log.text().find(c.log), std::string::npos) << log.text();
    }
  }
}

TEST_F(BaseList, repeated_user_mappings_end_the_run) {
  test::log_capture log;
  int status = 0;
  std::string msg =
      test::fatal_message([] { derive_nt_mappings("--nt-mapping=5MU:T,5mu:U", mutable_gvars().nt_mappings); }, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(msg, "There 1 repeat(s) in your specified base list.\n");
  EXPECT_NE(log.text().find("    erroneous entries: [5MU T] vs [5MU U]\n"), std::string::npos);
}

TEST_F(BaseList, ignored_names) {
  test::log_capture log;
  derive_nt_ignored("--nt-ignore=abc,HOHX", mutable_gvars().nt_ignored);
  EXPECT_EQ(ignored_nt("ABC"), 1);
  EXPECT_EQ(ignored_nt("HOH"), 0);
  EXPECT_NE(log.text().find("\t\tignore <HOHX> (4, more than 3 chars)\n"), std::string::npos);
  derive_nt_ignored("--nt-ignore=A", mutable_gvars().nt_ignored);
  EXPECT_EQ(ignored_nt("  A"), 1);
  EXPECT_EQ(ignored_nt("  a"), 0);  // exact, case-sensitive
  derive_nt_ignored("--nt-ignore=LONGER", mutable_gvars().nt_ignored);
  EXPECT_NE(log.text().find("[i] no valid residues to be ignored as nucleotides\n"),
            std::string::npos);
}

TEST_F(BaseList, ignored_residue_is_not_a_nucleotide) {
  const char* psu = R"(HETATM  845  N1  PSU A  39      74.080  36.066   5.459  1.00 75.82           N
HETATM  846  C2  PSU A  39      74.415  36.835   4.354  1.00 75.59           C
HETATM  847  N3  PSU A  39      75.735  36.769   3.984  1.00 76.29           N
HETATM  848  C4  PSU A  39      76.728  36.038   4.591  1.00 77.28           C
HETATM  849  C5  PSU A  39      76.307  35.280   5.732  1.00 77.93           C
HETATM  850  C6  PSU A  39      75.025  35.316   6.112  1.00 76.07           C
HETATM  853  C1' PSU A  39      77.325  34.455   6.488  1.00 79.85           C
)";
  test::log_capture quiet;
  struct_mol mol;
  test::read_pdb_text(psu, mol);
  EXPECT_EQ(mol.num_nts, 1);
  derive_nt_ignored("--nt-ignore=PSU", mutable_gvars().nt_ignored);
  struct_mol ignored;
  test::read_pdb_text(psu, ignored);
  EXPECT_EQ(ignored.num_nts, 0);
  EXPECT_TRUE(is_ligand(1, ignored));
}

TEST_F(BaseList, shipped_baselist_dat_equals_the_built_in_list) {
  baselist builtin;
  set_baselist(builtin);
  baselist from_file;
  read_baselist_file(std::string(VASK_TEST_DATA) + "/../../data/config/baselist.dat", from_file);
  ASSERT_EQ(from_file.num, builtin.num);
  std::sort(from_file.entries.begin() + 1, from_file.entries.end(),
            [](const base2std& a, const base2std& b) { return base2std_compare(a, b) < 0; });
  for (long i = 1; i <= builtin.num; ++i) {
    SCOPED_TRACE(builtin.entries[i].name);
    EXPECT_EQ(from_file.entries[i].name, builtin.entries[i].name);
    EXPECT_EQ(from_file.entries[i].parent, builtin.entries[i].parent);
  }
}

}  // namespace
}  // namespace vask
