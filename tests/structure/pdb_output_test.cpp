// Atom writers: PDB columns (and values too wide for them), mmCIF rows,
// CONECT records, model numbering, and round trips through our readers and
// through gemmi when it is installed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "pairing/prepare.hpp"
#include "structure/pdb_output.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "structure_fixture.hpp"
#include "support/file.hpp"

namespace vask {
namespace {

using OutputTest = test::StructureTest;
namespace fs = std::filesystem;

// A scratch folder per test; the current directory moves there and back.
class WriterTest : public test::StructureTest {
 protected:
  void SetUp() override {
    test::StructureTest::SetUp();
    old_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("vask-writer-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
    test::StructureTest::TearDown();
  }
  fs::path old_, dir_;
};

atom make_atom() {
  atom a;
  a.serial = 7;
  a.name = a.raw_name = " C1'";
  a.res_name = a.raw_res_name = "  G";
  a.chain_id = "A";
  a.res_seq = 12;
  a.xyz = {0, 1.5, -2.25, 10.125};
  a.occupancy = 1.0;
  a.bfactor = 20.5;
  a.element = " C";
  return a;
}

std::string pdb_line(const atom& a) {
  FILE* fp = std::tmpfile();
  long overflows = 0;
  write_atom_record_pdb(fp, a, overflows);
  std::string s = test::read_stream(fp);
  std::fclose(fp);
  return s;
}

std::string cif_row(const atom& a, long model = 0) {
  FILE* fp = std::tmpfile();
  write_atom_record_cif(fp, a, model);
  std::string s = test::read_stream(fp);
  std::fclose(fp);
  return s;
}

TEST_F(OutputTest, pdb_line_columns) {
  atom a = make_atom();
  EXPECT_EQ(pdb_line(a),
            "ATOM      7  C1'   G A  12       1.500  -2.250  10.125  1.00 20.50           C  \n");
  const struct {
    const char* label;
    void (*change)(atom&);
    int col;  // 1-based first column of the field checked
    const char* want;
  } cases[] = {
      {"serial past 99999 in hybrid-36", [](atom& x) { x.serial = 123456; }, 7, "A0I3K"},
      {"residue number past 9999 in hybrid-36", [](atom& x) { x.res_seq = 12345; }, 23, "A1T5"},
      {"two-letter chain in 73-76", [](atom& x) { x.chain_id = "AB"; }, 73, "AB  "},
      {"segment id first", [](atom& x) { x.chain_id = "AB"; x.seg_id = "SEG1"; }, 73, "SEG1"},
      {"ensemble model number", [](atom& x) { mutable_gvars().model_mode = 2; x.model = 3; }, 73, "3   "},
      {"deuterium", [](atom& x) { x.deuterium = 1; x.element = " H"; }, 77, " D"},
      {"HETATM", [](atom& x) { x.hetatm = 1; }, 1, "HETATM"},
      {"atom made without names as read",
       [](atom& x) { x.raw_name = "    "; x.raw_res_name = "   "; x.name = " N9 "; }, 13, " N9    G"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    mutable_gvars() = gvars_rec{};
    atom b = make_atom();
    c.change(b);
    std::string line = pdb_line(b);
    ASSERT_EQ(line.size(), 81u) << line;
    EXPECT_EQ(line.substr(static_cast<size_t>(c.col - 1), std::strlen(c.want)), c.want) << line;
  }
}

// Coordinates, occupancy and B-factor must read exactly as printf writes
// them, rounding ties and negative zeros included.
TEST_F(OutputTest, pdb_reals_as_printf_writes_them) {
  // all fit their columns (|v| and 3|v| below the widths) so none is narrowed
  const double values[] = {0.0,    -0.0,    -0.0004, 0.0005, -0.0005,    2.0005,     1.0015,
                           2.675,  -2.675,  0.125,   0.005,  -10.1245,   33.2195,    -32.9995,
                           9.9995, -9.9995, 0.015,   0.49999999, 12.3456789, -0.00051, 1e-12};
  for (double v : values) {
    SCOPED_TRACE(v);
    atom a = make_atom();
    a.xyz = {0, v, -v, v * 3};
    a.occupancy = v / 100;
    a.bfactor = v;
    char want[64];
    std::snprintf(want, sizeof want, "%8.3f%8.3f%8.3f%6.2f%6.2f", v, -v, v * 3, v / 100, v);
    std::string line = pdb_line(a);
    EXPECT_EQ(line.substr(30, 36), want) << line;
  }
}

TEST_F(OutputTest, pdb_values_too_wide_keep_the_columns) {
  const struct {
    const char* label;
    void (*change)(atom&);
    int col, width;
    const char* want;
  } cases[] = {
      {"residue number below -999", [](atom& x) { x.res_seq = -12345; }, 23, 4, "7655"},
      {"serial past hybrid-36", [](atom& x) { x.serial = 99999 + 2 * 26 * 1679616 + 1; }, 7, 5, "40032"},
      {"x below -999.999", [](atom& x) { x.xyz[1] = -1000.5; }, 31, 8, "-1000.50"},
      {"z far below", [](atom& x) { x.xyz[3] = -123456.25; }, 47, 8, " -123456"},
      {"B-factor of 1000", [](atom& x) { x.bfactor = 1000.0; }, 61, 6, "1000.0"},
      {"occupancy absurd", [](atom& x) { x.occupancy = 1e9; }, 55, 6, "999999"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    mutable_gvars() = gvars_rec{};
    test::log_capture log;
    atom a = make_atom();
    c.change(a);
    std::string line = pdb_line(a);
    ASSERT_EQ(line.size(), 81u) << line;
    EXPECT_EQ(line.substr(static_cast<size_t>(c.col - 1), static_cast<size_t>(c.width)), c.want);
    EXPECT_EQ(line.substr(76, 2), " C");  // later columns did not move
    EXPECT_NE(log.text().find("does not fit PDB columns"), std::string::npos) << log.text();
    // only a coordinate's warning points to mmCIF output
    EXPECT_EQ(log.text().find("mmCIF output (--cif-output) keeps every digit") != std::string::npos,
              std::string(c.label).find_first_of("xz") == 0)
        << log.text();
  }
}

// Hybrid-36: decimal up to the width's range, then upper-case digits and
// letters from "A000", then lower-case ones, then nothing; the reader takes
// every form back.
TEST_F(WriterTest, hybrid36_numbers_read_back) {
  const struct {
    long value;
    int width;
    const char* text;
  } cases[] = {{99999, 5, "99999"},     {100000, 5, "A0000"}, {123456, 5, "A0I3K"},
               {43770015, 5, "ZZZZZ"},  {43770016, 5, "a0000"}, {87440031, 5, "zzzzz"},
               {87440032, 5, ""},       {9999, 4, "9999"},    {10000, 4, "A000"},
               {12345, 4, "A1T5"},      {1223055, 4, "ZZZZ"}, {2436111, 4, "zzzz"}};
  for (const auto& c : cases) EXPECT_EQ(hybrid36_text(c.value, c.width), c.text) << c.value;
  // lines of serials and residue numbers about the edges, read back
  std::string lines;
  const long numbers[][2] = {{99999, 9999}, {100000, 10000}, {123456, 12345}, {43770016, 1223055}};
  for (const auto& n : numbers) {
    atom a = make_atom();
    a.serial = n[0];
    a.res_seq = n[1];
    lines += pdb_line(a);
  }
  std::ofstream("h36.pdb") << lines;
  struct_mol mol;
  read_pdb_simple("h36.pdb", mol);
  ASSERT_EQ(mol.num_atoms, 4);
  for (long i = 1; i <= 4; ++i) {
    EXPECT_EQ(mol.atoms[i].serial, numbers[i - 1][0]);
    EXPECT_EQ(mol.atoms[i].res_seq, numbers[i - 1][1]);
  }
  // CONECT names them as the atom lines do
  const long partners[] = {100000, 99999};
  FILE* fp = std::tmpfile();
  write_conect_record(fp, 123456, partners);
  EXPECT_EQ(test::read_stream(fp).substr(0, 21), "CONECTA0I3KA000099999");
  std::fclose(fp);
}

TEST_F(OutputTest, cif_rows_have_every_field) {
  atom mg;
  mg.hetatm = 1;
  mg.serial = 1601;
  mg.name = mg.raw_name = " MG ";
  mg.res_name = mg.raw_res_name = " MG";
  mg.chain_id = "A";
  mg.res_seq = 590;
  mg.xyz = {0, 1, 2, 3};
  mg.bfactor = 65.44;
  mg.element = "MG";
  EXPECT_EQ(cif_row(mg),
            "HETATM 1601 MG \"MG\" . MG A 0 590 ? 1.000 2.000 3.000 1.00 65.44 ? 590 MG A \"MG\" 1\n");
  // blank chain and residue name, a residue name with a blank, a charge
  atom odd = make_atom();
  odd.chain_id = " ";
  odd.res_name = odd.raw_res_name = "A B";
  odd.charge = "2+";
  odd.altloc = 'B';
  std::string row = cif_row(odd);
  EXPECT_EQ(row,
            "ATOM 7 C \"C1'\" B \"A B\" . 0 12 ? 1.500 -2.250 10.125 1.00 20.50 2 12 \"A B\" . \"C1'\" 1\n");
  const std::string model4 = cif_row(odd, 4);  // a row of an ensemble file's model 4
  EXPECT_EQ(model4.substr(model4.size() - 3), " 4\n");
}

TEST_F(WriterTest, conect_names_the_serials_written) {
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  for (long i = 1; i <= mol.num_atoms; ++i) mol.atoms[i].serial = 1000 + 2 * i;  // not the indexes
  write_pdb_connects(mol, "conect.pdb");
  std::ifstream in("conect.pdb");
  std::string line;
  long conect = 0;
  while (std::getline(in, line)) {
    if (line.compare(0, 6, "CONECT") != 0) continue;
    ++conect;
    EXPECT_EQ(line.size(), 80u);
    long s = std::stol(line.substr(6, 5));
    long i = (s - 1000) / 2;
    ASSERT_TRUE(i >= 1 && i <= mol.num_atoms) << line;
    const connect& bd = mol.atoms[i].bonded;
    for (long t = 1; t <= bd.count; ++t)
      EXPECT_EQ(std::stol(line.substr(6 + 5 * t, 5)), mol.atoms[bd[t]].serial) << line;
  }
  long bonded = 0;
  for (long i = 1; i <= mol.num_atoms; ++i) bonded += mol.atoms[i].bonded.count > 0;
  EXPECT_EQ(conect, bonded);
}

TEST_F(WriterTest, next_model_number) {
  EXPECT_EQ(get_nextModelNumber("none.pdb"), 1);
  {
    std::ofstream out("two.pdb");
    out << "MODEL        1\nENDMDL\nMODEL        2\nENDMDL\n";
  }
  EXPECT_EQ(get_nextModelNumber("two.pdb"), 3);
  {
    std::ofstream out("gap.pdb");
    out << "MODEL        1\nENDMDL\nMODEL        3\nENDMDL\n";
  }
  EXPECT_EQ(test::fatal_message([] { get_nextModelNumber("gap.pdb"); }),
            "model #s are not consecutive [2 vs 3]\n");
}

TEST_F(WriterTest, nts_list_file) {
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  std::vector<long> nts = {0, 1, 2};
  write_nts_list(mol, 2, nts, "");
  EXPECT_EQ(test::read_file("vask-nts.txt"),
            "# 2 (no. of nucleotides)\n   1  #    1 A.G1\n   2  #    2 A.C2\n");
}

// The atoms of a structure as text, one per line: what must survive a round trip.
std::vector<std::string> atom_digest(const struct_mol& mol) {
  std::vector<std::string> out;
  for (long i = 1; i <= mol.num_atoms; ++i) {
    const atom& a = mol.atoms[i];
    char buf[160];
    std::snprintf(buf, sizeof buf, "%s|%c|%s|%s|%ld|%c|%.3f|%.3f|%.3f|%.2f|%.2f|%s|%ld",
                  a.name.c_str(), a.altloc, a.res_name.c_str(), a.chain_id.c_str(), a.res_seq,
                  a.icode, a.xyz[1], a.xyz[2], a.xyz[3], a.occupancy, a.bfactor, a.element.c_str(),
                  a.hetatm);
    out.emplace_back(buf);
  }
  return out;
}

// gemmi's view of a file: one line per atom with name, residue, chain and
// coordinates; empty when gemmi is not installed.
std::string gemmi_digest(const std::string& file) {
  if (std::system("/usr/bin/python3 -c 'import gemmi' >/dev/null 2>&1") != 0) return {};
  std::string cmd =
      "/usr/bin/python3 -c \"import gemmi,sys\n"
      "st=gemmi.read_structure(sys.argv[1])\n"
      "for ch in st[0]:\n"
      "  for r in ch:\n"
      "    for a in r:\n"
      "      print('%s %s %s %d %.3f %.3f %.3f' % (a.name, r.name, ch.name, r.seqid.num, a.pos.x, a.pos.y, a.pos.z))\" " +
      file + " > gemmi.txt 2> gemmi.err";
  if (std::system(cmd.c_str()) != 0) return "error: " + test::read_file("gemmi.err");
  return test::read_file("gemmi.txt");
}

std::string our_digest_like_gemmi(const struct_mol& mol) {
  std::string out;
  for (long i = 1; i <= mol.num_atoms; ++i) {
    const atom& a = mol.atoms[i];
    std::string name = a.raw_name, res = a.raw_res_name;
    auto trim = [](std::string s) {
      s.erase(0, s.find_first_not_of(' '));
      s.erase(s.find_last_not_of(' ') + 1);
      return s;
    };
    char buf[160];
    std::snprintf(buf, sizeof buf, "%s %s %s %ld %.3f %.3f %.3f\n", trim(name).c_str(),
                  trim(res).c_str(), a.chain_id.c_str(), a.res_seq, a.xyz[1], a.xyz[2], a.xyz[3]);
    out += buf;
  }
  return out;
}

TEST_F(WriterTest, round_trip_through_our_readers_and_gemmi) {
  struct_mol mol;
  read_pdb_simple(test::test_data("1ehz.pdb"), mol);
  const std::vector<std::string> want = atom_digest(mol);
  for (long format : {1L, 2L}) {
    SCOPED_TRACE(format == 1 ? "PDB" : "mmCIF");
    const std::string file = format == 1 ? "out.pdb" : "out.cif";
    mutable_gvars().output_format = format;
    write_struct_mol(mol, file);
    mutable_gvars().output_format = 1;
    struct_mol back;
    read_pdb_simple(file, back);
    EXPECT_EQ(atom_digest(back), want);
    std::string g = gemmi_digest(file);
    if (g.empty()) {
      test::oracle_missing("gemmi not installed: the gemmi half of the round trip is skipped");
      continue;
    }
    EXPECT_EQ(g, our_digest_like_gemmi(mol));
  }
}

TEST_F(WriterTest, three_models_written_as_pdb_restart_serials) {
  // residue 1 of 1ehz three times, as models 1, 2 and 3 of one structure
  std::ifstream in(test::test_data("1ehz.pdb"));
  std::string line, g1;
  while (std::getline(in, line))
    if (line.compare(0, 4, "ATOM") == 0 && std::stol(line.substr(22, 4)) == 1) g1 += line + "\n";
  std::string text;
  for (int m = 1; m <= 3; ++m) text += "MODEL        " + std::to_string(m) + "\n" + g1 + "ENDMDL\n";
  mutable_gvars().model_mode = 4;
  struct_mol mol;
  test::read_pdb_text(text, mol);
  ASSERT_EQ(mol.num_models, 3);
  write_struct_mol(mol, "models.pdb");
  std::ifstream out("models.pdb");
  std::vector<std::string> heads;
  long atoms = 0;
  while (std::getline(out, line)) {
    if (line.compare(0, 5, "MODEL") == 0 || line.compare(0, 6, "ENDMDL") == 0 || line == "END")
      heads.push_back(line);
    if (line.compare(0, 4, "ATOM") == 0 && ++atoms % 24 == 1) {
      EXPECT_EQ(line.substr(6, 5), "    1");
    }
  }
  EXPECT_EQ(atoms, 3 * 24);
  EXPECT_EQ(heads, (std::vector<std::string>{"MODEL        1", "ENDMDL", "MODEL        2", "ENDMDL",
                                             "MODEL        3", "ENDMDL", "END"}));
}

TEST_F(WriterTest, residues_written_in_thread_order) {
  // C2 stored before G1: written 5' to 3', G1 first, serials from 1
  std::ifstream in(test::test_data("1ehz.pdb"));
  std::string line, g1, c2;
  while (std::getline(in, line)) {
    if (line.compare(0, 4, "ATOM") != 0) continue;
    long num = std::stol(line.substr(22, 4));
    if (num == 1) g1 += line + "\n";
    if (num == 2) c2 += line + "\n";
  }
  struct_mol mol;
  test::read_pdb_text(c2 + g1, mol);
  write_pdb_in_order(mol, "order.pdb");
  std::string text = test::read_file("order.pdb");
  EXPECT_EQ(text.substr(0, 27), "ATOM      1  OP3   G A   1 ");
  EXPECT_NE(text.find("ATOM     25  P     C A   2 "), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 4), "END\n");
  write_pdb_in_order(mol, "");  // no name: nothing
}

TEST_F(WriterTest, residue_set_with_its_metals) {
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  long yyg = 0;
  for (long k = 1; k <= mol.num_residues; ++k)
    if (mol.residues[k].idstr == "A.YYG37") yyg = k;
  ASSERT_GT(yyg, 0);
  ASSERT_GT(mol.residues[yyg].metals.count, 0);
  const long metal = mol.residues[yyg].metals[1];
  std::vector<long> list = {0, yyg};
  for (long with_metals : {0L, 1L}) {
    SCOPED_TRACE(with_metals);
    mutable_gvars().metals = with_metals;
    FILE* fp = std::tmpfile();
    write_residue_set_pdb_frame(1, list, nullptr, 0, mol, fp);
    std::string text = test::read_stream(fp);
    std::fclose(fp);
    const std::string tag = mol.residues[metal].name + " A " + std::to_string(mol.residues[metal].res_seq);
    EXPECT_EQ(text.find(tag) != std::string::npos, with_metals == 1) << tag;
    // serials run from 1 over the residues written
    EXPECT_EQ(text.substr(6, 5), "    1");
  }
}

}  // namespace
}  // namespace vask
