// mmCIF reading (CIF token rules, tag checks, row to atom, model selection),
// the ensemble scan and the model-by-model readers, checked against the PDB
// reader on real entries.
#include "pairing/prepare.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "structure_fixture.hpp"
#include "support/file.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

namespace vask {
namespace {

using MmcifTest = test::StructureTest;

const std::string kTags =
    "loop_\n_atom_site.group_PDB\n_atom_site.id\n_atom_site.type_symbol\n_atom_site.label_atom_id\n"
    "_atom_site.label_alt_id\n_atom_site.label_comp_id\n_atom_site.label_asym_id\n"
    "_atom_site.label_seq_id\n_atom_site.Cartn_x\n_atom_site.Cartn_y\n_atom_site.Cartn_z\n"
    "_atom_site.pdbx_PDB_model_num\n";

cif_reader reader_of(const std::string& text) {
  cif_reader r;
  r.file_name = "test.cif";
  r.text = text;
  return r;
}

// Atoms of the text through the reader (header check, rows, atom filter).
void read_cif_text(const std::string& text, struct_mol& mol, long model = -1) {
  cif_reader r = reader_of(text);
  init_struct_mol("test.cif", mol);
  ASSERT_TRUE(fill_mmcif_header_with_checks(r));
  read_cif_atoms(r, model, "*", chain_selection{}, mol);
}

TEST_F(MmcifTest, values_follow_cif_quoting_and_comment_rules) {
  // A row spread over lines, a quoted name with a blank, '#' inside quotes and
  // inside a bare value, a text field, bytes above 126 and comment lines.
  const std::string text = "data_x\n# comment with 'quote\n" + kTags +
                           "ATOM 1 C \"C1'\" . \"A#1\" A 1 1.0 2.0 3.0 1\n"
                           "# a comment between rows\n"
                           "ATOM 2 O 'O5 ' . U A\n  2 4.5 5.5 6.5 1 # trailing comment\n"
                           "HETATM 3 MG MG . \xc3\xa9MG B#1\n;\n3\n;\n7 8 9 1\n"
                           "#\nloop_\n_other.tag\nvalue\n";
  struct_mol mol;
  read_cif_text(text, mol);
  ASSERT_EQ(mol.num_atoms, 3);
  EXPECT_EQ(mol.atoms[1].name, " C1'");
  EXPECT_EQ(mol.atoms[1].res_name, "A#1");
  EXPECT_EQ(mol.atoms[2].name, " O5 ");
  EXPECT_EQ(mol.atoms[2].res_seq, 2);
  EXPECT_DOUBLE_EQ(mol.atoms[2].xyz[3], 6.5);
  EXPECT_EQ(mol.atoms[3].hetatm, 1);
  EXPECT_EQ(mol.atoms[3].chain_id, "B#1");
  EXPECT_EQ(mol.atoms[3].res_seq, 3);  // from the text field
  EXPECT_DOUBLE_EQ(mol.atoms[3].xyz[1], 7.0);
  EXPECT_EQ(mol.atoms[3].element, "MG");
}

// Plain values are cut out directly and the rest goes through the general
// tokenizer: values that only start like a reserved word, a tag or a text
// field stay values, and every reserved word (any case) ends the loop.
TEST_F(MmcifTest, plain_values_and_loop_ends_at_the_first_character) {
  struct row_case {
    const char* what;
    std::string rows;
    long atoms;
    std::string last_res_name, last_chain;
  };
  const std::string g = "ATOM 1 C C1 . G A 1 1 1 1 1\n";
  const std::vector<row_case> cases = {
      {"names that start like reserved words", g + "ATOM 2 C C1 . DG L 2 1 1 1 1\nATOM 3 C C1 . SAM s1 3 1 1 1 1\n", 3, "SAM", "s1"},
      {"more of them", g + "ATOM 2 C C1 . GTP global 2 1 1 1 1\nATOM 3 C C1 . lo data 3 1 1 1 1\n", 3, " lo", "data"},
      {"tabs between values, ';' inside a row", g + "ATOM\t2 C C1 . A;1 ;B 2 1 1 1 1\n", 2, "A;1", ";B"},
      {"a quote inside a plain value", g + "ATOM 2 C C1' . U B'1 2 1 1 1 1\n", 2, "  U", "B'1"},
      {"loop_", g + "loop_\n_x.y\n1\n", 1, "  G", "A"},
      {"LOOP_ in capitals", g + "LOOP_\n_x.y\n1\n", 1, "  G", "A"},
      {"data_", g + "data_next\n", 1, "  G", "A"},
      {"save_", g + "save_frame\n", 1, "  G", "A"},
      {"stop_", g + "Stop_\n", 1, "  G", "A"},
      {"global_", g + "global_\n", 1, "  G", "A"},
      {"a tag", g + "_x.y 1\n", 1, "  G", "A"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::log_capture log;
    struct_mol mol;
    read_cif_text(kTags + c.rows, mol);
    ASSERT_EQ(mol.num_atoms, c.atoms);
    EXPECT_EQ(mol.atoms[c.atoms].res_name, c.last_res_name);
    EXPECT_EQ(mol.atoms[c.atoms].chain_id, c.last_chain);
    // a loop end taken for a value would start a row and cut it short
    EXPECT_EQ(log.text().find("cut short"), std::string::npos) << log.text();
  }
}

// Coordinates in every form a file may write them read as the library's own
// conversion gives them, to the last bit: short decimals take a quicker path
// than long ones, exponents and uncertainties.
TEST_F(MmcifTest, coordinates_read_exactly_as_the_library_converts_them) {
  std::vector<std::string> forms = {"0",          "-0",        "-0.000",      "0.0",
                                    ".5",         "-.5",       "5.",          "+12.5",
                                    "1.25(3)",    "1e2",       "-2.5E-3",     "123456789012345",
                                    "1234567890123456", "0.000000000000001", "9999999.99999999",
                                    "0.1",        "0.3",       "-105.893",    "150.891",
                                    "000000000000012.75", "1.0000000000000002"};
  std::uint64_t seed = 88172645463325252ULL;  // a fixed stream: the same cases every run
  auto next = [&seed] {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    return seed;
  };
  for (int k = 0; k < 3000; ++k) {
    const int places = static_cast<int>(next() % 9);
    const long whole = static_cast<long>(next() % 1000000) * (next() % 2 ? 1 : -1);
    std::string v = std::to_string(whole);
    if (places > 0) {
      v += '.';
      for (int d = 0; d < places; ++d) v += static_cast<char>('0' + next() % 10);
    }
    forms.push_back(v);
  }
  std::string text = "data_x\n" + kTags;
  for (size_t k = 0; k < forms.size(); ++k)
    text += "ATOM " + std::to_string(k + 1) + " C CA . G A 1 " + forms[k] + " 0 0 1\n";
  struct_mol mol;
  read_cif_text(text, mol);
  ASSERT_EQ(mol.num_atoms, static_cast<long>(forms.size()));
  for (size_t k = 0; k < forms.size(); ++k) {
    std::string_view f = forms[k];
    if (f[0] == '+') f.remove_prefix(1);
    double want = 0;
    std::from_chars(f.data(), f.data() + f.size(), want);
    const double got = mol.atoms[static_cast<long>(k) + 1].xyz[1];
    EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << forms[k] << ": " << got << " against " << want;
  }
}

TEST_F(MmcifTest, label_columns_stand_in_for_author_columns) {
  struct_mol mol;
  read_cif_text(kTags + "ATOM 1 P P . G X 12 1 2 3 1\n", mol);
  ASSERT_EQ(mol.num_atoms, 1);
  const atom& a = mol.atoms[1];
  EXPECT_EQ(a.name, " P  ");
  EXPECT_EQ(a.res_name, "  G");
  EXPECT_EQ(a.chain_id, "X");
  EXPECT_EQ(a.res_seq, 12);
  EXPECT_EQ(a.altloc, ' ');  // '.' is no altloc, so the default set keeps it
  EXPECT_EQ(a.model, 1);
}

// PDB lines written from mmCIF atoms put each name in the columns a PDB file
// would hold it in, with the names as read (the default) as without them.
TEST_F(MmcifTest, names_are_written_to_pdb_in_pdb_columns) {
  const struct {
    const char* token;
    const char* element;
    const char* columns;  // PDB columns 13-16
  } cases[] = {
      {"P", "P", " P  "},     {"N9", "N", " N9 "},  {"OP1", "O", " OP1"}, {"\"C1'\"", "C", " C1'"},
      {"\"HO5'\"", "H", "HO5'"}, {"MG", "MG", "MG  "}, {"O3*", "O", " O3*"},
  };
  for (long raw : {1L, 0L}) {
    mutable_gvars().raw_name = raw;
    std::string text = kTags;
    for (const auto& c : cases)
      text += std::string("ATOM 1 ") + c.element + " " + c.token + " . G A 1 1 2 3 1\n";
    struct_mol mol;
    read_cif_text(text, mol);
    ASSERT_EQ(mol.num_atoms, static_cast<long>(std::size(cases)));
    for (long i = 1; i <= mol.num_atoms; ++i) {
      SCOPED_TRACE(cases[i - 1].token);
      FILE* fp = std::tmpfile();
      long overflows = 0;
      write_atom_record_pdb(fp, mol.atoms[i], overflows);
      std::string line = test::read_stream(fp);
      std::fclose(fp);
      ASSERT_GE(line.size(), 16u);
      // the name as read keeps its '*'; the working name has the prime
      std::string want = cases[i - 1].columns;
      if (raw == 0) std::replace(want.begin(), want.end(), '*', '\'');
      EXPECT_EQ(line.substr(12, 4), want);
    }
  }
}

TEST_F(MmcifTest, author_columns_win_and_nulls_read_as_blanks) {
  const std::string text =
      "loop_\n_atom_site.group_PDB\n_atom_site.type_symbol\n_atom_site.label_atom_id\n"
      "_atom_site.label_comp_id\n_atom_site.label_asym_id\n_atom_site.label_seq_id\n"
      "_atom_site.pdbx_PDB_ins_code\n_atom_site.Cartn_x\n_atom_site.Cartn_y\n_atom_site.Cartn_z\n"
      "_atom_site.auth_seq_id\n_atom_site.auth_comp_id\n_atom_site.auth_asym_id\n"
      "_atom_site.auth_atom_id\n_atom_site.pdbx_formal_charge\n"
      "ATOM c N1 X A 1 ? 1 2 3 37 C B N1 ?\n"
      "ATOM o O1 X A 1 B 1 2 3 37 C B \"OP1\" -1\n";
  struct_mol mol;
  read_cif_text(text, mol);
  ASSERT_EQ(mol.num_atoms, 2);
  EXPECT_EQ(mol.atoms[1].res_name, "  C");
  EXPECT_EQ(mol.atoms[1].chain_id, "B");
  EXPECT_EQ(mol.atoms[1].res_seq, 37);
  EXPECT_EQ(mol.atoms[1].icode, ' ');
  EXPECT_EQ(mol.atoms[1].element, " C");
  EXPECT_EQ(mol.atoms[1].charge, "  ");
  EXPECT_EQ(mol.atoms[2].icode, 'B');
  EXPECT_EQ(mol.atoms[2].name, " OP1");
  EXPECT_EQ(mol.atoms[2].charge, "-1");
}

TEST_F(MmcifTest, tag_check_needs_eight_tags_and_the_required_ones) {
  const std::string seven =
      "loop_\n_atom_site.group_PDB\n_atom_site.type_symbol\n_atom_site.label_atom_id\n"
      "_atom_site.label_comp_id\n_atom_site.label_seq_id\n_atom_site.Cartn_x\n"
      "_atom_site.Cartn_y\n";
  const struct {
    const char* name;
    std::string text;
    bool ok;
  } cases[] = {
      {"seven tags", seven + "ATOM C C1 G 1 1 2\n", false},
      {"no z", seven + "_atom_site.id\nATOM C C1 G 1 1 2 3\n", false},
      {"eight tags", seven + "_atom_site.Cartn_z\nATOM C C1 G 1 1 2 3\n", true},
      {"other loop first", "loop_\n_x.y\n1\n" + seven + "_atom_site.Cartn_z\nATOM C C1 G 1 1 2 3\n", true},
      {"no atom loop", "data_x\n_cell.length_a 10\n", false},
      // group_PDB is optional in PDBx: eight other tags suffice
      {"no group_PDB", "loop_\n_atom_site.id\n" + seven.substr(std::string("loop_\n_atom_site.group_PDB\n").size()) +
                            "_atom_site.Cartn_z\n1 C C1 G 1 1 2 3\n", true},
      {"no group_PDB, seven tags", "loop_\n" + seven.substr(std::string("loop_\n_atom_site.group_PDB\n").size()) +
                                       "_atom_site.Cartn_z\nC C1 G 1 1 2 3\n", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cif_reader r = reader_of(c.text);
    EXPECT_EQ(fill_mmcif_header_with_checks(r), c.ok);
  }
}

// The atom-site loop starts at a "loop_" token (any case) followed by its
// tags: not one inside a text field, a quoted value or a comment, however the
// lines before it are laid out.
TEST_F(MmcifTest, atom_site_loop_is_found_only_where_a_loop_starts) {
  const std::string tags = kTags.substr(std::string("loop_\n").size());
  const std::string row = "ATOM 1 C C1 . G A 1 1 2 3 1\n";
  std::string upper = kTags;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const struct {
    const char* name;
    std::string text;
    bool found;
  } cases[] = {
      {"plain", "data_x\n_cell.length_a 10\n" + kTags + row, true},
      {"upper case", upper + row, true},
      {"a text field with a loop before it", "_x.t\n;\nloop_\n_atom_site.id\n;\n" + kTags + row, true},
      {"the loop only inside a text field", "_x.t\n;\n" + kTags + row + ";\n", false},
      {"quoted loop_", "_x.t 'loop_'\n" + tags + row, false},
      {"loop_ after a text field's end", "_x.t\n;\nabc\n; loop_\n" + tags + row, true},
      {"comments and blank lines after loop_", "loop_\n# note\n\n  \n" + tags + row, true},
      {"loop_ ending a line of values", "_x.y 1 loop_\n" + tags + row, true},
      {"loop_ in a comment", "# loop_\n" + tags + row, false},
      {"loop_ in a comment after a value", "_x.y 1 # loop_\n" + tags + row, false},
      {"another loop's tag first", "loop_\n_x.y\n" + tags + row, false},
      {"tags on the loop_ line", "loop_ _atom_site.group_PDB\n" + tags + row, true},
      {"Windows line ends", "data_x\r\n_cell.length_a 10\r\n" + kTags + row, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cif_reader r = reader_of(c.text);
    ASSERT_EQ(fill_mmcif_header_with_checks(r), c.found);
    if (c.found) {
      EXPECT_EQ(r.text.substr(r.next, row.size()), row);
    }
  }
}

TEST_F(MmcifTest, models_are_chosen_by_number) {
  const std::string text = kTags +
                           "ATOM 1 C C1 . G A 1 1 1 1 2\n"
                           "ATOM 2 C C1 . G A 1 2 2 2 1\n"
                           "ATOM 3 C C2 . G A 1 3 3 3 1\n"
                           "ATOM 4 C C1 . G A 1 4 4 4 2\n"
                           "ATOM 5 C C1 . G A 1 5 5 5 1\n";
  struct_mol mol;
  read_cif_text(text, mol, 1);  // a model-2 row first: skipped; the next model-2 row ends it
  ASSERT_EQ(mol.num_atoms, 2);
  EXPECT_EQ(mol.atoms[1].serial, 2);
  EXPECT_EQ(mol.atoms[2].serial, 3);
  read_cif_text(text, mol);  // none asked: the first row's model, all its rows
  ASSERT_EQ(mol.num_atoms, 2);
  EXPECT_EQ(mol.atoms[2].serial, 4);
  EXPECT_NE(test::fatal_message([&] { read_cif_text(text, mol, 7); }).find("no model#7"), std::string::npos);
}

TEST_F(MmcifTest, rows_end_at_other_groups_and_short_rows) {
  struct_mol mol;
  read_cif_text(kTags + "ATOM 1 C C1 . G A 1 1 1 1 1\nTER 2 C C1 . G A 1 2 2 2 1\nATOM 3 C C1 . G A 1 3 3 3 1\n",
                mol);
  EXPECT_EQ(mol.num_atoms, 1);
  read_cif_text(kTags + "ATOM 1 C C1 . G A 1 1 1 1 1\nATOM 2 C C1 . G A\n", mol);
  EXPECT_EQ(mol.num_atoms, 1);
}

TEST_F(MmcifTest, without_group_column_every_row_is_an_atom_record) {
  const std::string tags = kTags.substr(std::string("loop_\n_atom_site.group_PDB\n").size());
  struct_mol mol;
  read_cif_text("loop_\n" + tags + "1 P P . G A 1 1 2 3 1\n2 O O . HOH W . 4 5 6 1\n3 C C1 . G A 2 7 8 9 1\n", mol);
  ASSERT_EQ(mol.num_atoms, 3);
  EXPECT_EQ(mol.atoms[2].res_name, "HOH");
  EXPECT_EQ(mol.atoms[3].serial, 3);
  for (long i = 1; i <= 3; ++i) EXPECT_EQ(mol.atoms[i].hetatm, 0);
}

// Debian's gemmi ("gemmi convert 1bna.pdb 1bna-gemmi.cif") writes the atom
// loop without group_PDB and with label names only: read as the PDB copy.
TEST_F(MmcifTest, a_converter_file_without_group_column_reads_as_its_pdb_copy) {
  struct_mol p, c;
  read_pdb(test::test_data("1bna.pdb"), p);
  read_pdb(test::test_data("1bna-gemmi.cif"), c);
  ASSERT_EQ(p.num_atoms, c.num_atoms);
  ASSERT_EQ(p.num_residues, c.num_residues);
  EXPECT_EQ(c.num_nts, 24);
  EXPECT_EQ(p.num_waters, c.num_waters);
  for (long i = 1; i <= p.num_atoms; ++i) {
    const atom &a = p.atoms[i], &b = c.atoms[i];
    ASSERT_TRUE(a.name == b.name && a.res_name == b.res_name && a.element == b.element &&
                a.res_seq == b.res_seq && a.chain_id == b.chain_id && a.xyz == b.xyz)
        << "atom " << i << ": '" << a.name << "' '" << b.name << "'";
  }
  for (long k = 1; k <= p.num_residues; ++k) ASSERT_EQ(p.residues[k].idstr, c.residues[k].idstr);
}

TEST_F(MmcifTest, header_writer_lists_the_21_tags) {
  FILE* fp = std::tmpfile();
  write_cif_header(fp, "1ehz");
  std::string out = test::read_stream(fp);
  std::fclose(fp);
  EXPECT_EQ(out.rfind("data_1ehz\n# mmcif output file generated by VASK\nloop_\n_atom_site.group_PDB\n", 0), 0u);
  EXPECT_NE(out.find("_atom_site.B_iso_or_equiv\n_atom_site.pdbx_formal_charge\n"), std::string::npos);
  EXPECT_EQ(out.substr(out.size() - 31), "\n_atom_site.pdbx_PDB_model_num\n");
  // what the writer heads, the reader accepts
  cif_reader r = reader_of(out + "ATOM 1 C C1' . G A 1 . 1 2 3 1 0 ? 1 G A C1' 1\n");
  EXPECT_TRUE(fill_mmcif_header_with_checks(r));
}

// The same entry in both formats gives the same atoms and residues.
TEST_F(MmcifTest, pdb_and_mmcif_copies_read_the_same) {
  for (const char* id : {"1ehz", "1bna", "1gid", "1y26", "3p49", "4gxy", "1lcd"}) {
    SCOPED_TRACE(id);
    struct_mol p, c;
    read_pdb(test::test_data(std::string(id) + ".pdb"), p);
    read_pdb(test::test_data(std::string(id) + ".cif"), c);
    ASSERT_EQ(p.num_atoms, c.num_atoms);
    ASSERT_EQ(p.num_residues, c.num_residues);
    EXPECT_EQ(p.num_nts, c.num_nts);
    EXPECT_EQ(p.num_waters, c.num_waters);
    EXPECT_EQ(p.metal_text, c.metal_text);
    // the two copies of 1lcd (NMR) list their waters under different chains
    if (std::string(id) == "1lcd") continue;
    for (long i = 1; i <= p.num_atoms; ++i) {
      const atom &a = p.atoms[i], &b = c.atoms[i];
      if (a.name != b.name || a.res_name != b.res_name || a.element != b.element || a.res_seq != b.res_seq ||
          a.chain_id != b.chain_id || a.xyz != b.xyz) {
        ADD_FAILURE() << "atom " << i << ": '" << a.name << "' '" << b.name << "' " << a.res_name << "/"
                      << b.res_name << " " << a.element << "/" << b.element;
        break;
      }
    }
    for (long k = 1; k <= p.num_residues; ++k) ASSERT_EQ(p.residues[k].idstr, c.residues[k].idstr);
  }
}

TEST_F(MmcifTest, a_cif_name_without_an_atom_loop_is_read_as_pdb) {
  const std::string path = ::testing::TempDir() + "misnamed.cif";
  FILE* out = std::fopen(path.c_str(), "w");
  std::fputs("ATOM      1  P     G A   1      50.626  49.730  50.573  1.00100.19           P\n", out);
  std::fclose(out);
  struct_mol mol;
  read_pdb(path, mol);
  ASSERT_EQ(mol.num_atoms, 1);
  EXPECT_EQ(mol.atoms[1].name, " P  ");
  out = std::fopen(path.c_str(), "w");
  std::fclose(out);
  EXPECT_NE(test::fatal_message([&] { read_pdb(path, mol); }).find("no ATOM/HETATM records found"),
            std::string::npos);
}

TEST_F(MmcifTest, large_ribosomal_subunit) {
  struct_mol mol;
  read_pdb(test::test_data("1ffk.cif"), mol);
  EXPECT_EQ(mol.num_atoms, 64281);
  EXPECT_EQ(mol.num_nts, 2828);
}

// ---------------------------------------------------------------------------
// Models and ensembles

TEST_F(MmcifTest, ensemble_scan_and_selection) {
  for (const char* file : {"2koc.pdb", "2koc.cif"}) {
    SCOPED_TRACE(file);
    mutable_gvars() = gvars_rec{};
    mutable_gvars().model_mode = 2;
    mutable_gvars().selected_models = {4, 1, 2, 3, 8};
    test::log_capture log;
    check_nmr(test::test_data(file), mutable_gvars());
    EXPECT_TRUE(nmr_ensemble());
    EXPECT_EQ(Gvars.num_models, 20);
    ASSERT_EQ(num_selected_models(), 4);
    EXPECT_EQ(std::vector<long>(Gvars.model_list.begin() + 1, Gvars.model_list.begin() + 5),
              (std::vector<long>{1, 2, 3, 8}));
    EXPECT_NE(log.text().find("[i] 20 models in '"), std::string::npos);
    EXPECT_NE(log.text().find("', 4 specified via --nmr matched: 4\n"), std::string::npos);
  }
}

TEST_F(MmcifTest, ensemble_scan_errors_and_fallback) {
  mutable_gvars().model_mode = 2;
  const std::string dir = ::testing::TempDir();
  auto write = [&](const char* name, const char* text) {
    std::string path = dir + name;
    FILE* fp = std::fopen(path.c_str(), "w");
    std::fputs(text, fp);
    std::fclose(fp);
    return path;
  };
  const std::string atom = "ATOM      1  P     G A   1      50.626  49.730  50.573  1.00100.19           P\n";
  std::string order = write("order.pdb", ("ENDMDL\nMODEL 1\n" + atom + "MODEL 2\n").c_str());
  EXPECT_NE(test::fatal_message([&] { check_nmr(order, mutable_gvars()); }).find("has wrong MODEL/ENDMDL order"), std::string::npos);
  std::string unmatched = write("unmatched.pdb", ("MODEL 1\n" + atom).c_str());
  EXPECT_NE(test::fatal_message([&] { check_nmr(unmatched, mutable_gvars()); }).find("unmatched MODEL/ENDMDL pairs"),
            std::string::npos);
  std::string single = write("single.pdb", atom.c_str());
  test::log_capture log;
  check_nmr(single, mutable_gvars());
  EXPECT_EQ(Gvars.model_mode, 1);
  EXPECT_NE(log.text().find("no models found: ignoring the --nmr option\n"), std::string::npos);
  mutable_gvars().model_mode = 2;  // standard input cannot be scanned and read again
  check_nmr("stdin", mutable_gvars());
  EXPECT_EQ(Gvars.model_mode, 1);
  EXPECT_NE(log.text().find("[w] an ensemble is read from a file, not from standard input"), std::string::npos);
}

// A model read alone and read in one pass through the ensemble gives the same
// residues, atoms and names, in both formats.
TEST_F(MmcifTest, one_pass_models_equal_models_read_alone) {
  for (const char* name : {"2koc.pdb", "2koc.cif"}) {
    SCOPED_TRACE(name);
    const std::string file = test::test_data(name);
    mutable_gvars().model_mode = 2;
    check_nmr(file, mutable_gvars());
    cif_reader r;
    FILE* in = open_file(file, "r");
    const bool cif = is_cif_file(file);
    if (cif) {
      load_cif_stream(in, file, r);
      std::fclose(in);
      in = nullptr;
      ASSERT_TRUE(fill_mmcif_header_with_checks(r));
    }
    for (long m : {1L, 2L, 3L, 8L, 20L}) {
      SCOPED_TRACE(m);
      struct_mol one, alone;
      init_struct_mol(file, one);
      if (cif)
        read_model_cif_format(r, m, one);
      else
        read_model_pdb_format(in, m, one);
      add_info_struct_mol(one);
      read_pdb_model(file, alone, m);
      ASSERT_EQ(one.num_atoms, alone.num_atoms);
      ASSERT_EQ(one.num_residues, alone.num_residues);
      EXPECT_EQ(one.num_nts, 14);
      for (long i = 1; i <= one.num_atoms; ++i) ASSERT_EQ(one.atoms[i].name, alone.atoms[i].name);
      for (long k = 1; k <= one.num_residues; ++k) ASSERT_EQ(one.residues[k].idstr, alone.residues[k].idstr);
      EXPECT_EQ(one.atoms[1].model, m);
    }
    if (in != nullptr) std::fclose(in);
  }
}

TEST_F(MmcifTest, symmetry_mode_refuses_an_ensemble) {
  for (const char* file : {"2koc.pdb", "2koc.cif"}) {
    SCOPED_TRACE(file);
    mutable_gvars().model_mode = 4;
    test::log_capture log;
    struct_mol mol;
    read_pdb(test::test_data(file), mol);
    EXPECT_EQ(mol.model_mode, 1);    // this structure falls back ...
    EXPECT_EQ(Gvars.model_mode, 4);  // ... the setting, and the next structure of a list, do not
    EXPECT_EQ(mol.num_atoms, 451);  // model 1 of 20
    EXPECT_NE(log.text().find("[i] You specified --symm, but the input file is an (NMR) ensemble\n"
                              "    *** in the following, only the FIRST model will be processed ***\n"),
              std::string::npos);
  }
  // one model: nothing to refuse, read after the ensemble as in a list
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  EXPECT_EQ(mol.model_mode, 4);
}

TEST_F(MmcifTest, one_pass_reading_follows_the_file_order_of_models) {
  // models 3, 2, 1 in this order; 3 and 1 are asked for, in file order
  std::string text = kTags;
  for (long m : {3, 2, 1})
    for (long i = 1; i <= 2; ++i)
      text += "ATOM " + std::to_string(m * 10 + i) + " C C" + std::to_string(i) + " . G A 1 1 2 3 " +
              std::to_string(m) + "\n";
  cif_reader r = reader_of(text);
  ASSERT_TRUE(fill_mmcif_header_with_checks(r));
  for (long m : {3L, 1L}) {
    SCOPED_TRACE(m);
    struct_mol mol;
    init_struct_mol("test.cif", mol);
    read_model_cif_format(r, m, mol);
    ASSERT_EQ(mol.num_atoms, 2);
    EXPECT_EQ(mol.atoms[1].serial, m * 10 + 1);
    EXPECT_EQ(mol.atoms[2].model, m);
  }
  EXPECT_EQ(r.next, std::string::npos);
}

TEST_F(MmcifTest, model_predicates) {
  mutable_gvars().model_mode = 1;
  EXPECT_FALSE(with_model(3));
  EXPECT_FALSE(all_models());
  mutable_gvars().model_mode = 8;
  EXPECT_TRUE(with_model(3));
  EXPECT_FALSE(with_model(0));
  EXPECT_TRUE(all_models());
  EXPECT_TRUE(matched_model(2, 2));
  EXPECT_FALSE(matched_model(2, -1));
  EXPECT_TRUE(primary_mol());
}

}  // namespace
}  // namespace vask
