// PDB reading: column rules, filters, name and element completion, and the
// nucleotide counts of real entries.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "pairing/prepare.hpp"
#include "structure/residue.hpp"
#include "structure/residue_info.hpp"
#include "structure/struct_mol.hpp"
#include "g1_fixture.hpp"
#include "structure_fixture.hpp"

namespace vask {
namespace {

using test::read_pdb_text;

using test::G1;

// Pseudouridine 39 of 1ehz: a C-glycosidic pyrimidine (C1'-C5).
const char* const PSU39 = R"(HETATM  845  N1  PSU A  39      74.080  36.066   5.459  1.00 75.82           N
HETATM  846  C2  PSU A  39      74.415  36.835   4.354  1.00 75.59           C
HETATM  847  N3  PSU A  39      75.735  36.769   3.984  1.00 76.29           N
HETATM  848  C4  PSU A  39      76.728  36.038   4.591  1.00 77.28           C
HETATM  849  C5  PSU A  39      76.307  35.280   5.732  1.00 77.93           C
HETATM  850  C6  PSU A  39      75.025  35.316   6.112  1.00 76.07           C
HETATM  851  O2  PSU A  39      73.605  37.525   3.749  1.00 75.80           O
HETATM  852  O4  PSU A  39      77.875  36.079   4.134  1.00 77.81           O
HETATM  853  C1' PSU A  39      77.325  34.455   6.488  1.00 79.85           C
HETATM  854  C2' PSU A  39      78.240  35.315   7.366  1.00 80.79           C
HETATM  855  O2' PSU A  39      79.550  34.775   7.399  1.00 79.82           O
HETATM  856  C3' PSU A  39      77.509  35.235   8.700  1.00 81.32           C
HETATM  857  C4' PSU A  39      77.034  33.800   8.726  1.00 83.30           C
HETATM  858  O3' PSU A  39      78.312  35.525   9.823  1.00 80.38           O
HETATM  859  O4' PSU A  39      76.648  33.545   7.349  1.00 81.10           O
HETATM  860  C5' PSU A  39      75.867  33.557   9.646  1.00 86.38           C
HETATM  861  O5' PSU A  39      74.796  34.470   9.341  1.00 90.31           O
HETATM  862  P   PSU A  39      73.308  34.151   9.814  1.00 92.76           P
HETATM  863  OP1 PSU A  39      73.270  34.200  11.303  1.00 93.12           O
HETATM  864  OP2 PSU A  39      72.370  34.998   9.024  1.00 92.11           O
)";

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> v;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

std::string join(const std::vector<std::string>& v) {
  std::string s;
  for (const auto& l : v) s += l + "\n";
  return s;
}

// Applies f to every line of the text.
template <class F>
std::string edit_lines(const std::string& text, F f) {
  auto v = lines_of(text);
  for (auto& l : v) f(l);
  return join(v);
}

long find_atom(const struct_mol& mol, const std::string& name) {
  for (long i = 1; i <= mol.num_atoms; ++i)
    if (mol.atoms[i].name == name) return i;
  return -1;
}

using PdbReader = test::StructureTest;

TEST_F(PdbReader, reads_columns_of_a_full_record) {
  struct_mol mol;
  read_pdb_text(G1, mol);
  ASSERT_EQ(mol.num_atoms, 24);
  const atom& p = mol.atoms[2];
  EXPECT_EQ(p.serial, 2);
  EXPECT_EQ(p.name, " P  ");
  EXPECT_EQ(p.res_name, "  G");
  EXPECT_EQ(p.chain_id, "A");
  EXPECT_EQ(p.res_seq, 1);
  EXPECT_DOUBLE_EQ(p.xyz[1], 50.626);
  EXPECT_DOUBLE_EQ(p.xyz[3], 50.573);
  EXPECT_DOUBLE_EQ(p.occupancy, 1.0);
  EXPECT_DOUBLE_EQ(p.bfactor, 100.19);
  EXPECT_EQ(p.element, " P");
  EXPECT_EQ(p.atomic_number, 15);
  EXPECT_EQ(p.index, 2);
  EXPECT_EQ(mol.num_residues, 1);
  EXPECT_EQ(mol.num_nts, 1);
  EXPECT_TRUE(is_R(1, mol));
  EXPECT_TRUE(is_RNA_nt(1, mol));
  EXPECT_EQ(mol.residues[1].idstr, "A.G1");
  EXPECT_EQ(mol.residues[1].letter, 'G');
  EXPECT_EQ(p.idstr, "P@A.G1");
}

// The column rules that real files exercise, each as an edit of G1.
TEST_F(PdbReader, column_rules_of_edited_records) {
  const struct {
    const char* what;
    std::string text;
    std::function<void(const struct_mol&)> check;
  } cases[] = {
      {"'*' for the prime (O3*)",
       edit_lines(G1, [](std::string& l) { std::replace(l.begin() + 12, l.begin() + 16, '\'', '*'); }),
       [](const struct_mol& m) {
         EXPECT_NE(find_atom(m, " O3'"), -1);
         EXPECT_EQ(m.num_nts, 1);
       }},
      {"left-justified names (P, OP1, C1')",
       edit_lines(G1,
                  [](std::string& l) {
                    std::string name = l.substr(12, 4);
                    size_t b = name.find_first_not_of(' ');
                    name = name.substr(b) + std::string(b, ' ');
                    l.replace(12, 4, name);
                  }),
       [](const struct_mol& m) {
         EXPECT_NE(find_atom(m, " P  "), -1);
         EXPECT_NE(find_atom(m, " OP1"), -1);
         EXPECT_NE(find_atom(m, " C1'"), -1);
         EXPECT_EQ(m.num_nts, 1);
       }},
      {"missing element columns: elements derived from names",
       edit_lines(G1, [](std::string& l) { l.resize(66); }),
       [](const struct_mol& m) {
         EXPECT_EQ(m.atoms[find_atom(m, " P  ")].element, " P");
         EXPECT_EQ(m.atoms[find_atom(m, " C1'")].atomic_number, 6);
         EXPECT_EQ(m.atoms[find_atom(m, " N9 ")].atomic_number, 7);
         EXPECT_EQ(m.num_nts, 1);
       }},
      {"lower-case chain id stays lower case",
       edit_lines(G1, [](std::string& l) { l[21] = 'a'; }),
       [](const struct_mol& m) {
         EXPECT_EQ(m.residues[1].chain_id, "a");
         EXPECT_EQ(m.residues[1].idstr, "a.G1");
       }},
      {"insertion code",
       edit_lines(G1, [](std::string& l) { l[26] = 'B'; }),
       [](const struct_mol& m) {
         EXPECT_EQ(m.residues[1].icode, 'B');
         EXPECT_EQ(m.residues[1].idstr, "A.G1^B");
       }},
      {"short lines of 53 characters still get z",
       edit_lines(G1, [](std::string& l) { l.resize(53); }),
       [](const struct_mol& m) {
         ASSERT_EQ(m.num_atoms, 24);
         EXPECT_DOUBLE_EQ(m.atoms[2].xyz[3], 50.57);
         EXPECT_DOUBLE_EQ(m.atoms[2].occupancy, 1.0);
         EXPECT_DOUBLE_EQ(m.atoms[2].bfactor, 0.0);
         EXPECT_EQ(m.num_nts, 1);
       }},
      {"HETATM nucleotide is a nucleotide and a ligand",
       edit_lines(G1, [](std::string& l) { l.replace(0, 6, "HETATM"); }),
       [](const struct_mol& m) {
         EXPECT_TRUE(is_nt(1, m));
         EXPECT_TRUE(is_ligand(1, m));
         EXPECT_EQ(m.num_ligands, 1);
       }},
      {"lower-case record name is an atom record",
       edit_lines(G1, [](std::string& l) { l.replace(0, 4, "atom"); }),
       [](const struct_mol& m) { EXPECT_EQ(m.num_atoms, 24); }},
      {"deuterium is stored as hydrogen",
       std::string(G1) +
           "ATOM     25  D1    G A   1      54.000  42.000  53.500  1.00 90.00           D\n",
       [](const struct_mol& m) {
         const atom& d = m.atoms[25];
         EXPECT_EQ(d.element, " H");
         EXPECT_EQ(d.deuterium, 1);
         EXPECT_EQ(d.atomic_number, 1);
         EXPECT_EQ(d.base, 0);  // hydrogens get no nucleotide class
         EXPECT_EQ(d.hydrogen, 1);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    struct_mol mol;
    read_pdb_text(c.text, mol);
    c.check(mol);
  }
}

// The reader settles each pair of atom name and symbol once; what it writes
// in the log about an atom must not depend on whether that pair came before.
TEST_F(PdbReader, element_symbols_settled_once_per_name_keep_every_atom_and_log_line) {
  std::string text = G1;
  // two deuterons of one name, two carbons written as nitrogen, and the
  // name of the first carbon with its own symbol again
  text += "ATOM     25  D1    G A   1      54.000  42.000  53.500  1.00 90.00           D\n";
  text += "ATOM     26  D1    G A   1      55.000  42.000  53.500  1.00 90.00           D\n";
  text += "ATOM     27  C9    G A   1      56.000  42.000  53.500  1.00 90.00           N\n";
  text += "ATOM     28  C9    G A   1      57.000  42.000  53.500  1.00 90.00           N\n";
  text += "ATOM     29  C9    G A   1      58.000  42.000  53.500  1.00 90.00           C\n";
  test::log_capture log(true);
  struct_mol mol;
  read_pdb_text(text, mol);
  ASSERT_EQ(mol.num_atoms, 29);
  for (long i : {25, 26}) {
    EXPECT_EQ(mol.atoms[i].element, " H") << i;
    EXPECT_EQ(mol.atoms[i].deuterium, 1) << i;
    EXPECT_EQ(mol.atoms[i].atomic_number, 1) << i;
  }
  for (long i : {27, 28}) {
    EXPECT_EQ(mol.atoms[i].element, " N") << i;
    EXPECT_EQ(mol.atoms[i].atomic_number, 7) << i;
  }
  EXPECT_EQ(mol.atoms[29].element, " C");
  EXPECT_EQ(mol.atoms[29].atomic_number, 6);
  EXPECT_EQ(mol.atoms[29].deuterium, 0);
  // the mismatch is written for each atom that has it, the agreeing one not
  const std::string prg = log.prg_text();
  size_t lines = 0;
  for (size_t at = prg.find("symbol PDB [ N] =/= derived [ C]"); at != std::string::npos;
       at = prg.find("symbol PDB [ N] =/= derived [ C]", at + 1))
    ++lines;
  EXPECT_EQ(lines, 2u) << prg;
}

TEST_F(PdbReader, alternate_locations_follow_the_altloc_setting) {
  std::string text = G1;
  text += "ATOM     25  C1'A  G A   2      51.502  47.007  54.836  0.50 95.70           C\n";
  text += "ATOM     26  C1'B  G A   2      51.602  47.107  54.936  0.50 95.70           C\n";
  struct_mol mol;
  read_pdb_text(text, mol);
  EXPECT_EQ(mol.num_atoms, 25);  // default set "A1 ": B dropped
  EXPECT_EQ(mol.atoms[25].altloc, 'A');
  EXPECT_EQ(mol.atoms[25].idstr, "C1'.A@A.G2");
  mutable_gvars().altlocs = "B ";
  struct_mol mol_b;
  read_pdb_text(text, mol_b);
  ASSERT_EQ(mol_b.num_atoms, 25);
  EXPECT_EQ(mol_b.atoms[25].altloc, 'B');
}

TEST_F(PdbReader, reading_stops_at_the_first_end_or_endmdl) {
  std::string two_models = "MODEL        1\n" + std::string(G1) + "ENDMDL\nMODEL        2\n" + G1 +
                           "ENDMDL\n";
  struct_mol mol;
  read_pdb_text(two_models, mol);
  EXPECT_EQ(mol.num_atoms, 24);
  EXPECT_EQ(mol.atoms[1].model, 1);
  mutable_gvars().select_model = 2;
  struct_mol second;
  read_pdb_text(two_models, second);
  EXPECT_EQ(second.num_atoms, 24);
  EXPECT_EQ(second.atoms[1].model, 2);
  mutable_gvars().select_model = -1;
  // a lower-case "end" does not stop the reading
  struct_mol lower;
  read_pdb_text(std::string(G1) + "end\n" + edit_lines(G1, [](std::string& l) { l[25] = '2'; }),
                lower);
  EXPECT_EQ(lower.num_residues, 2);
}

TEST_F(PdbReader, no_atom_records_is_an_error) {
  int status = 0;
  std::string msg = test::fatal_message(
      [] {
        struct_mol mol;
        read_pdb_text("HEADER    nothing here\nREMARK   1\nEND\n", mol, "notes");
      },
      &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(msg, "[e] no ATOM/HETATM records found in 'notes.pdb'\n");
}

TEST_F(PdbReader, pseudouridine_is_a_c_glycosidic_pyrimidine) {
  struct_mol mol;
  read_pdb_text(PSU39, mol);
  ASSERT_TRUE(is_nt(1, mol));
  EXPECT_TRUE(is_Y(1, mol));
  EXPECT_EQ(mol.residues[1].std_name, "__P");
  EXPECT_EQ(mol.residues[1].letter, 'P');
  const nt_info& n = mol.nt_infos[1];
  EXPECT_EQ(n.glyco_type, 2);
  EXPECT_EQ(mol.atoms[n.glyco_n].name, " C5 ");
  EXPECT_EQ(mol.atoms[n.base2].name, " C4 ");
  EXPECT_EQ(mol.atoms[n.base3].name, " C6 ");
}

TEST_F(PdbReader, water_name_variants) {
  const struct {
    const char* name;
    const char* extra;  // second atom line or ""
    bool water;
  } cases[] = {
      {"HOH", "", true},  {"WAT", "", true},  {"DOD", "", true}, {"TIP", "", true},
      {"SOL", "", true},  {"XYZ", "", false},
      {"HOH", "HETATM    2  H1  HOH A 101      10.500  10.000  10.000  1.00 20.00           H\n",
       true},
      {"HOH", "HETATM    2  C1  HOH A 101      10.500  10.000  10.000  1.00 20.00           C\n",
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.extra[0] ? " with a second atom" : ""));
    char line[128];
    std::snprintf(line, sizeof line,
                  "HETATM    1  O   %s A 101      10.000  10.000  10.000  1.00 20.00           O\n",
                  c.name);
    struct_mol mol;
    read_pdb_text(std::string(line) + c.extra, mol);
    EXPECT_EQ(is_water(1, mol), c.water ? 1 : 0);
    EXPECT_EQ(mol.num_waters, c.water ? 1 : 0);
    EXPECT_EQ(mol.atoms[1].water, c.water || std::string(c.extra).empty() ? 1 : 0);
  }
}

TEST_F(PdbReader, reads_1ehz) {
  test::log_capture log;
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  EXPECT_EQ(mol.base_name, "1ehz");
  EXPECT_EQ(mol.num_nts, 76);
  EXPECT_EQ(mol.num_aas, 0);
  EXPECT_EQ(mol.num_waters, 160);
  EXPECT_NE(log.text().find("    total number of nucleotides: 76\n"), std::string::npos);
  // modified nucleotides map to their parents
  std::map<std::string, std::string> parent;
  for (long k = 1; k <= mol.num_residues; ++k)
    if (is_nt(k, mol)) parent[mol.residues[k].name] = mol.residues[k].std_name;
  EXPECT_EQ(parent["PSU"], "__P");
  EXPECT_EQ(parent["  G"], "__G");
  EXPECT_EQ(parent["2MG"], "__g");
  EXPECT_EQ(parent["5MC"], "__c");
  EXPECT_EQ(parent["1MA"], "__a");
  EXPECT_EQ(parent["5MU"], "__t");
  EXPECT_EQ(parent["H2U"], "__u");
}

TEST_F(PdbReader, protein_has_no_nucleotides) {
  struct_mol mol;
  read_pdb(test::test_data("1ubq.pdb"), mol);
  EXPECT_EQ(mol.num_nts, 0);
  EXPECT_EQ(mol.num_aas, 76);
  EXPECT_EQ(mol.has_backbone, 0);
}

}  // namespace
}  // namespace vask

namespace vask {
namespace {

// One row of tests/data/nt_counts.txt: a structure file, the nucleotides the
// data set's manifest lists for it, those the reader finds and, where the two
// differ, why.
struct nt_count_row {
  std::string file;
  long manifest = 0, read = 0;
  std::string reason;
};

std::vector<nt_count_row> nt_count_rows() {
  std::vector<nt_count_row> rows;
  std::istringstream in(test::read_file(test::test_data("nt_counts.txt")));
  for (std::string l; std::getline(in, l);) {
    if (l.empty() || l[0] == '#') continue;
    std::istringstream cols(l);
    nt_count_row r;
    cols >> r.file >> r.manifest >> r.read >> std::ws;
    std::getline(cols, r.reason);
    rows.push_back(r);
  }
  return rows;
}

TEST_F(PdbReader, nucleotide_counts_match_the_manifest) {
  const auto rows = nt_count_rows();
  ASSERT_GE(rows.size(), 30u);
  std::set<std::string> listed;
  for (const auto& r : rows) {
    SCOPED_TRACE(r.file);
    listed.insert(r.file);
    EXPECT_EQ(r.reason.empty(), r.manifest == r.read) << "a count that differs from the manifest says why";
    struct_mol mol;
    mutable_gvars() = gvars_rec{};
    read_pdb(test::test_data(r.file), mol);
    EXPECT_EQ(mol.num_nts, r.read) << "manifest " << r.manifest;
  }
  // every structure of the folder has its row
  for (const auto& f : std::filesystem::directory_iterator(VASK_TEST_DATA)) {
    std::filesystem::path name = f.path().filename();
    if (name.extension() == ".gz") name.replace_extension();
    if (name.extension() == ".pdb" || name.extension() == ".cif") {
      EXPECT_TRUE(listed.count(name.string())) << name << " has no row in nt_counts.txt";
    }
  }
}

}  // namespace
}  // namespace vask

namespace vask {
namespace {

TEST_F(PdbReader, large_model_numbers_make_longer_keys_not_overruns) {
  test::log_capture quiet;
  struct_mol mol;
  read_pdb_text("MODEL     123456789012\n" + std::string(G1), mol);
  ASSERT_EQ(mol.num_residues, 1);
  EXPECT_EQ(mol.residues[1].model, 123456789012L);
  EXPECT_EQ(mol.residues[1].key, "123456789012   A");
}

}  // namespace
}  // namespace vask

namespace vask {
namespace {

// Ten copies of G1; the first `with_backbone` keep P and C3', the others lose both.
std::string ten_nucleotides(int with_backbone) {
  std::string text;
  for (int k = 1; k <= 10; ++k)
    text += edit_lines(G1, [&](std::string& l) {
      char num[8];
      std::snprintf(num, sizeof num, "%4d", k);
      l.replace(22, 4, num);
      std::string name = l.substr(12, 4);
      if (k > with_backbone && (name == " P  " || name == " C3'")) l.clear();
    });
  return text;
}

TEST_F(PdbReader, has_backbone_needs_more_than_0618_of_the_nucleotides) {
  struct_mol six, seven;
  read_pdb_text(ten_nucleotides(6), six);
  read_pdb_text(ten_nucleotides(7), seven);
  EXPECT_EQ(six.num_nts, 10);
  EXPECT_EQ(six.has_backbone, 0);  // 6 is not above 6 (0.618 x 10 truncated)
  EXPECT_EQ(seven.has_backbone, 1);
}

}  // namespace
}  // namespace vask
