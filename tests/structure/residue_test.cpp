// Residue classification (with the rescue branches of the base fit), atom
// name aliases, residue and atom id strings and id lists.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "g1_fixture.hpp"
#include "structure_fixture.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

const char* const G1 = test::G1_NO_OP3;

std::string pdb_edit(std::function<bool(std::string&)> keep_and_edit) {
  std::istringstream in(G1);
  std::string out;
  for (std::string l; std::getline(in, l);)
    if (keep_and_edit(l)) out += l + "\n";
  return out;
}

std::string name_of(const std::string& l) { return l.substr(12, 4); }

bool is_base_name(const std::string& n) {
  return n[3] == ' ' && n != " P  " && n != " OP1" && n != " OP2";
}

// Moves an atom's coordinates by (dx, dy, dz) Angstrom.
void shift(std::string& l, double dx, double dy, double dz) {
  char buf[32];
  double v[3] = {std::stod(l.substr(30, 8)) + dx, std::stod(l.substr(38, 8)) + dy,
                 std::stod(l.substr(46, 8)) + dz};
  std::snprintf(buf, sizeof buf, "%8.3f%8.3f%8.3f", v[0], v[1], v[2]);
  l.replace(30, 24, buf);
}

using Classify = test::StructureTest;

TEST_F(Classify, rescue_branches_of_the_base_fit) {
  const struct {
    const char* what;
    std::string text;
    long nt, R, Y, undecided, abasic, distorted;
    const char* std_name;
    const char* log;  // part of the run log, or ""
  } cases[] = {
      {"unknown purine with O6 maps to g",
       pdb_edit([](std::string& l) { l.replace(17, 3, "QQQ"); return true; }), 1, 1, 0, 0, 0,
       0, "__g", ""},
      {"unknown purine without O6 and N2 maps to a",
       pdb_edit([](std::string& l) {
         l.replace(17, 3, "QQQ");
         return name_of(l) != " O6 " && name_of(l) != " N2 ";
       }),
       1, 1, 0, 0, 0, 0, "__a", ""},
      {"abasic site: backbone only, unknown name",
       pdb_edit([](std::string& l) {
         l.replace(17, 3, "XXX");
         return !is_base_name(name_of(l));
       }),
       1, 0, 1, 1, 1, 0, "__?", ""},
      {"abasic site with a known name keeps its purine class",
       pdb_edit([](std::string& l) { return !is_base_name(name_of(l)); }), 1, 1, 0, 0, 1, 0,
       "__G", ""},
      {"distorted base with P and C1'",
       pdb_edit([](std::string& l) {
         if (name_of(l) == " N3 ") shift(l, 0.9, 0.0, 0.6);
         return true;
       }),
       1, 1, 0, 0, 0, 1, "__G", "distorted, without fitted base frame"},
      {"the same distorted base without P (and O5', so no abasic site) is no nucleotide",
       pdb_edit([](std::string& l) {
         if (name_of(l) == " N3 ") shift(l, 0.9, 0.0, 0.6);
         return name_of(l) != " P  " && name_of(l) != " O5'";
       }),
       0, 0, 0, 0, 0, 0, "  G", ""},
      {"purine with a misplaced five-ring and no P: taken as a pyrimidine",
       pdb_edit([](std::string& l) {
         if (name_of(l) == " N7 " || name_of(l) == " C8 ") shift(l, 0.0, 1.5, 1.5);
         return name_of(l) != " P  ";
       }),
       1, 0, 1, 1, 0, 0, "__G", "[i] taken as a pyrimidine ... A.G.1\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::log_capture log;
    struct_mol mol;
    test::read_pdb_text(c.text, mol);
    ASSERT_EQ(mol.num_residues, 1);
    const residue& r = mol.residues[1];
    EXPECT_EQ(r.flag[rf::is_nt], c.nt);
    EXPECT_EQ(r.flag[rf::is_R], c.R);
    EXPECT_EQ(r.flag[rf::is_Y], c.Y);
    EXPECT_EQ(r.flag[rf::ry_undecided], c.undecided);
    EXPECT_EQ(r.flag[rf::abasic], c.abasic);
    EXPECT_EQ(r.flag[rf::distorted], c.distorted);
    EXPECT_EQ(r.std_name, c.std_name);
    if (*c.log) {
      EXPECT_NE(log.text().find(c.log), std::string::npos) << log.text();
    }
  }
}

TEST_F(Classify, atom_name_aliases) {
  struct_mol mol;
  test::log_capture quiet;
  // O1P becomes OP1; O2P stays when OP2 is already there
  test::read_pdb_text(pdb_edit([](std::string& l) {
                        if (name_of(l) == " OP1") l.replace(12, 4, " O1P");
                        return true;
                      }) + "ATOM     25  O2P   G A   1      52.900  49.600  50.500  1.00 99.21           O\n",
                      mol);
  EXPECT_NE(find_atom_in_residue(" OP1", 1, mol), -1);
  EXPECT_EQ(find_atom_in_residue(" O1P", 1, mol), -1);
  EXPECT_NE(find_atom_in_residue(" O2P", 1, mol), -1);
}

TEST_F(Classify, segment_ids_split_residues_only_when_kept) {
  std::string text = pdb_edit([](std::string& l) {
    if (name_of(l)[1] != 'O' && name_of(l) != " P  ") l.replace(72, 4, "SEG1");
    return true;
  });
  test::log_capture quiet;
  struct_mol mol;
  test::read_pdb_text(text, mol);
  EXPECT_GT(mol.num_residues, 1);
  mutable_gvars().segid = 0;
  struct_mol joined;
  test::read_pdb_text(text, joined);
  EXPECT_EQ(joined.num_residues, 1);
}

TEST_F(Classify, nucleotide_list_file_restricts_the_nucleotides) {
  std::string two = std::string(G1) + pdb_edit([](std::string& l) { l[25] = '2'; return true; });
  std::string path = (std::filesystem::temp_directory_path() / "vask-nts-list.txt").string();
  std::ofstream(path) << "# nts=1\n2\nabc\n";
  mutable_gvars().nts_list_inp = path;
  test::log_capture log;
  struct_mol mol;
  test::read_pdb_text(two, mol);
  std::filesystem::remove(path);
  EXPECT_EQ(is_nt(1, mol), 0);
  EXPECT_EQ(mol.residues[1].rmsd, -1.0);
  EXPECT_EQ(is_nt(2, mol), 1);
  EXPECT_NE(log.text().find("[w] ignore invalid entry: 'abc'\n"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Id strings

// One residue per entry, one atom each, ids assigned with the current settings.
struct_mol make_residues(const std::vector<residue>& specs, const std::string& base = "abc") {
  struct_mol mol;
  init_struct_mol(base + ".pdb", mol);
  long n = static_cast<long>(specs.size());
  mol.num_atoms = mol.num_residues = n;
  mol.atoms.resize(static_cast<size_t>(n) + 1);
  mol.residues.resize(static_cast<size_t>(n) + 1);
  for (long k = 1; k <= n; ++k) {
    residue r = specs[static_cast<size_t>(k - 1)];
    r.first_atom = r.last_atom = k;
    r.num_atoms = 1;
    r.index = k;
    mol.residues[k] = r;
    mol.atoms[k].name = " N1 ";
    mol.atoms[k].residue = k;
  }
  assign_idstr(mol);
  return mol;
}

residue res(const char* name, const char* chain, long seq, long model = 0, char icode = ' ') {
  residue r;
  r.name = name;
  r.chain_id = chain;
  r.res_seq = seq;
  r.model = model;
  r.icode = icode;
  r.letter = name[2];
  return r;
}

using IdStrings = test::StructureTest;

TEST_F(IdStrings, residue_ids_by_style) {
  const struct {
    const char* what;
    long style;
    char sep;
    residue r;
    const char* id;
  } cases[] = {
      {"default", 1, '.', res("  G", "A", 10), "A.G10"},
      {"default, blank chain", 1, '.', res("  G", " ", 10), "G10"},
      {"default, name ending in a digit", 1, '.', res("A23", "A", 10), "A.A23/10"},
      {"default, digit inside the name", 1, '.', res("2MG", "A", 10), "A.2MG10"},
      {"short", 0, '.', res("A23", "A", 10), "A23/10"},
      {"insertion code", 1, '.', res("  G", "A", 10, 0, 'A'), "A.G10^A"},
      {"Jmol", 4, '.', res("  G", "A", 10, 1, 'A'), "[G]10^A:A/1"},
      {"separator ':'", 1, ':', res("  G", "A", 10), "A:G10"},
      {"long with ':'", 2, ':', res("  G", "A", 10, 1), "1::A:G:10:"},
      {"long", 2, '.', res("  G", "A", 10, 1), "1..A.G.10."},
      {"long with structure id", 3, '.', res("  G", "A", 10, 1), "abc.1..A.G.10."},
      {"unit id", 5, '.', res("  G", "A", 10), "abc|1|A|G|10||||"},
      {"unit id without object", 6, '.', res("  G", "A", 10), "|1|A|G|10||||"},
      {"PyMOL", 7, '.', res("  G", "A", 10), "/abc//A/10"},
      {"PyMOL without object", 8, '.', res("  G", "A", 10), "///A/10"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    mutable_gvars().idstr = c.style;
    mutable_gvars().idstr_sep = c.sep;
    struct_mol mol = make_residues({c.r});
    EXPECT_EQ(mol.residues[1].idstr, c.id);
  }
}

TEST_F(IdStrings, structure_ids_with_separators_are_escaped) {
  mutable_gvars().idstr = 5;
  struct_mol dotted = make_residues({res("  G", "A", 10)}, "x.y");
  EXPECT_EQ(dotted.residues[1].idstr, "x_y|1|A|G|10||||");
  // a '|' in the file name would add unit-id fields: it is escaped instead
  struct_mol barred = make_residues({res("  G", "A", 10)}, "a|b");
  EXPECT_EQ(barred.residues[1].idstr, "a_b|1|A|G|10||||");
  EXPECT_EQ(barred.atoms[1].idstr, "a_b|1|A|G|10|N1|||");
}

TEST_F(IdStrings, atom_ids_and_log_form) {
  struct_mol mol = make_residues({res("  G", "A", 10)});
  EXPECT_EQ(mol.atoms[1].idstr, "N1@A.G10");
  mol.atoms[1].altloc = 'B';
  assign_idstr(mol);
  EXPECT_EQ(mol.atoms[1].idstr, "N1.B@A.G10");
  mutable_gvars().idstr = 4;
  mol.residues[1].model = 1;
  assign_idstr(mol);
  EXPECT_EQ(mol.atoms[1].idstr, "[G]10:A.N1%B/1");
  EXPECT_EQ(residue_idstr0(mol.residues[1]), "1.A.G.10");
  // over-long names and numbers never overrun: the id simply grows
  residue big = res("  G", "LONG", 1234567890, 1234567890);
  big.name = "ABCDEFGHIJ";
  mutable_gvars().idstr = 1;
  struct_mol large = make_residues({big});
  EXPECT_EQ(large.residues[1].idstr, "LONG.ABCDEFGHIJ1234567890");
  EXPECT_EQ(residue_idstr0(large.residues[1]), "1234567890.LONG.ABCDEFGHIJ.1234567890");
}

TEST_F(IdStrings, long_lists_are_shortened) {
  std::vector<residue> specs;
  for (long k = 1; k <= 257; ++k) specs.push_back(res("  A", "A", k));
  struct_mol mol = make_residues(specs);
  std::vector<long> list(258);
  for (long k = 1; k <= 257; ++k) list[k] = k;
  test::log_capture log;
  EXPECT_EQ(get_residues_abbr_ids(256, list, mol), std::string(256, 'A'));
  EXPECT_EQ(log.text(), "");
  EXPECT_EQ(get_residues_abbr_ids(257, list, mol), "AAAAA---AAAAA");
  EXPECT_EQ(log.text(), "[w]  number-of-residues=257 -- in shortened form\n");
  EXPECT_EQ(get_residues_full_ids(257, list, mol),
            "A.A1,A.A2,A.A3,A.A4,A.A5---A.A253,A.A254,A.A255,A.A256,A.A257");
  EXPECT_EQ(get_residues_abbr_full_ids(257, list, mol),
            "AAAAA---AAAAA A.A1,A.A2,A.A3,A.A4,A.A5---A.A253,A.A254,A.A255,A.A256,A.A257");
  EXPECT_EQ(log.text(), "[w]  number-of-residues=257 -- in shortened form\n"
                        "[w]  number-of-residues=257 -- in shortened form\n");
  EXPECT_EQ(get_2residues_info(1, 2, mol), "AA A.A1,A.A2");
  EXPECT_EQ(get_residues_abbr_full_ids(0, list, mol), "");
}

}  // namespace
}  // namespace vask

namespace vask {
namespace {

TEST_F(Classify, duplicate_atom_uses_the_first_and_is_logged) {
  const char* text =
      R"(ATOM      1  N   ALA A   1      10.000  10.000  10.000  1.00 20.00           N
ATOM      2  CA  ALA A   1      11.400  10.000  10.000  1.00 20.00           C
ATOM      3  C   ALA A   1      12.000  11.400  10.000  1.00 20.00           C
ATOM      4  O   ALA A   1      11.300  12.400  10.000  1.00 20.00           O
ATOM      5  CB AALA A   1      12.000   9.000  10.500  0.50 20.00           C
ATOM      6  CB 1ALA A   1      12.100   9.100  10.600  0.50 20.00           C
)";
  test::log_capture log;
  struct_mol mol;
  test::read_pdb_text(text, mol);
  ASSERT_TRUE(is_aa(1, mol));
  EXPECT_EQ(mol.aa_infos[1].CB, 5);
  EXPECT_NE(log.text().find("\tmore than one < CB > atoms in A.ALA1\n"
                            "\t*****the first match is used*****\n"),
            std::string::npos)
      << log.text();
}

// A residue's names looked up side by side answer as the search through the
// atom records does, on a whole tRNA (ids set, so duplicates would be noted)
// and on a residue with a duplicated name, with the same log lines.
TEST_F(Classify, names_found_side_by_side_answer_as_the_record_search) {
  const char* const names[] = {" P  ", " OP1", " O5'", " C1'", " N9 ", " N1 ", " O6 ", " N4 ", " O2'",
                               " CB ", " CA ", "P",    " N1",  " XX ", " N1  "};
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  ASSERT_GT(mol.num_residues, 70);
  long found = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    const residue_atom_names side_by_side(k, mol);
    for (const char* name : names) {
      const long want = find_atom_in_residue(name, k, mol);
      EXPECT_EQ(side_by_side.find(name), want) << mol.residues[k].idstr << " [" << name << "]";
      found += want != -1;
    }
  }
  EXPECT_GT(found, 500);

  struct_mol dup;
  test::read_pdb_text(
      "ATOM      1  N   ALA A   1      10.000  10.000  10.000  1.00 20.00           N\n"
      "ATOM      2  CB AALA A   1      12.000   9.000  10.500  0.50 20.00           C\n"
      "ATOM      3  CB 1ALA A   1      12.100   9.100  10.600  0.50 20.00           C\n",
      dup);
  std::string by_records, by_names;
  {
    test::log_capture log;
    EXPECT_EQ(find_atom_in_residue(" CB ", 1, dup), 2);
    by_records = log.text();
  }
  {
    test::log_capture log;
    EXPECT_EQ(residue_atom_names(1, dup).find(" CB "), 2);
    by_names = log.text();
  }
  EXPECT_NE(by_records.find("more than one < CB >"), std::string::npos) << by_records;
  EXPECT_EQ(by_names, by_records);
}

}  // namespace
}  // namespace vask
