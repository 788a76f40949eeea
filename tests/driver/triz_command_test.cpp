// The triz sub-command: its options, and whole runs of the executable on the
// nucleosome (1kx5), a homing endonuclease-DNA complex in mmCIF (1a73) and
// an NMR ensemble of a protein-RNA complex (2n82).
#include "driver/triz_command.hpp"
#include "json_check.hpp"
#include "modeling/model_run.hpp"
#include "support/file.hpp"
#include "support/settings.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace vask {
namespace {

namespace fs = std::filesystem;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

size_t count_of(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + part.size())) ++n;
  return n;
}

// ---------------------------------------------------------------------------
// Options

TEST(TrizOptions, each_option_sets_its_field) {
  set_globals("belqo-vask");
  struct row {
    const char* arg;
    long triz_options::*field;
    long want;
  };
  const row rows[] = {
      {"--pair-set", &triz_options::pair_order, 1},
      {"--pair-set=asis", &triz_options::pair_order, 0},
      {"pair_order=no-change", &triz_options::pair_order, 0},
      {"--pair-set=YR", &triz_options::pair_order, -1},
      {"--helix-pair=wc-geo", &triz_options::helix_pair, 3},
      {"--helix-pair=wc", &triz_options::helix_pair, 1},
      {"--helix-pair=gu", &triz_options::helix_pair, 2},
      {"--helix-pair", &triz_options::helix_pair, 4},
      {"--type=backbone", &triz_options::moiety, 2},
      {"-type=BASE", &triz_options::moiety, 1},
      {"type=both", &triz_options::moiety, 3},
      {"--quick", &triz_options::quick, 1},
      {"--quick=json", &triz_options::quick, 9},
      {"--quick=off", &triz_options::quick, 0},
      {"--alpha", &triz_options::c_alpha, 1},
      {"--add-c-alpha=no", &triz_options::c_alpha, 0},
      {"--triad", &triz_options::triad, 1},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.arg);
    triz_options o;
    o.moiety = 0;
    ASSERT_TRUE(check_triz_option(r.arg, o));
    EXPECT_EQ(o.*r.field, r.want);
  }
  triz_options o;
  o.moiety = 2;
  ASSERT_TRUE(check_triz_option("--type=xyz", o));
  EXPECT_EQ(o.moiety, 2);  // an unknown word leaves the type as it was
  EXPECT_FALSE(check_triz_option("--pairs", o));
  EXPECT_FALSE(check_triz_option("--json", o));
}

TEST(TrizOptions, interface_switches) {
  set_globals("belqo-vask");
  const struct {
    const char* arg;
    const char* on;  // switches 1..4 as '0'/'1'
  } cases[] = {{"--interface=extra", "1111"}, {"--interface=sasa", "0010"}, {"--interface", "1000"},
               {"--interface=more-aa", "0101"}, {"--interface=off", "0000"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arg);
    triz_options o;
    ASSERT_TRUE(check_triz_option(c.arg, o));
    std::string got;
    for (int k = 1; k <= 4; ++k) got += o.interface[k] ? '1' : '0';
    EXPECT_EQ(got, c.on);
  }
}

TEST(TrizOptions, cutoff_range_and_residue_lists) {
  set_globals("belqo-vask");
  triz_options o;
  ASSERT_TRUE(check_triz_option("--cutoff=6.5", o));
  EXPECT_DOUBLE_EQ(o.cutoff, 6.5);
  for (const char* bad : {"--cutoff=2.9", "--cutoff=8.5", "--cutoff=abc"}) {
    SCOPED_TRACE(bad);
    EXPECT_NE(test::fatal_message([&] { check_triz_option(bad, o); }), "<no fatal>");
  }
  test::log_capture log;
  o = triz_options{};
  ASSERT_TRUE(check_triz_option("--ligand=ABCD,5cm", o));
  finish_triz_options(o);
  EXPECT_EQ(o.residue_names, "5CM");
  EXPECT_TRUE(has(log.text(), "[w] skipping ligand: 'ABCD'\n"));
  o = triz_options{};
  check_triz_option("--triad", o);
  finish_triz_options(o);
  EXPECT_EQ(o.residue_names, "DT;T");
  o = triz_options{};
  check_triz_option("--methyl", o);
  check_triz_option("--ligand=dt, t", o);  // a later list replaces the earlier one
  finish_triz_options(o);
  EXPECT_EQ(o.residue_names, "DT;T");
  o = triz_options{};
  check_triz_option("--ligand=LONGER,NAMES", o);
  finish_triz_options(o);
  EXPECT_EQ(o.residue_names, "");
  EXPECT_TRUE(has(log.text(), "[w] no valid ligands specified: option --ligand ignored\n"));
  o = triz_options{};
  check_triz_option("--quick=json", o);
  finish_triz_options(o);
  EXPECT_EQ(Gvars.json & 1, 1);
  set_globals("belqo-vask");
}

TEST(TrizOptions, command_echo) {
  set_globals("belqo-vask");
  triz_options o;
  o.input = "1kx5.pdb";
  EXPECT_EQ(derive_triz_command(o), "belqo-vask triz -i=1kx5.pdb");
  o.output = "x.out";
  o.helix_pair = 2;
  o.interface[TRIZ_PLUS] = o.interface[TRIZ_AMINO] = 1;
  o.cutoff = 5.0;
  o.moiety = 3;
  EXPECT_EQ(derive_triz_command(o),
            "belqo-vask triz -i=1kx5.pdb -o=x.out --pair=canonical --interface-plus-amino-acid "
            "--cutoff=5.0 --type=both");
}

// ---------------------------------------------------------------------------
// Runs of the executable

class TrizRun : public test::ModelRun {
 protected:
  // tests/data/<name>, decompressed when kept as <name>.gz
  void copy_structure(const std::string& name) {
    const std::string src = test::test_data_unzipped(name);
    ASSERT_FALSE(src.empty()) << name;
    fs::copy_file(src, dir_ / name);
  }
  // The models a PDB file holds, as gemmi reads it; -1 when gemmi is absent.
  long gemmi_models(const std::string& name) {
    if (std::system("/usr/bin/python3 -c 'import gemmi' >/dev/null 2>&1") != 0) {
      test::oracle_missing("gemmi not installed: " + name + " is not read back");
      return -1;
    }
    const std::string cmd = "cd '" + dir_.string() +
                            "' && /usr/bin/python3 -c \"import gemmi; st = gemmi.read_structure('" + name +
                            "'); print(len(st))\" > gemmi.out 2>gemmi.err";
    if (std::system(cmd.c_str()) != 0) return 0;
    return std::atol(read("gemmi.out").c_str());
  }
};

TEST_F(TrizRun, nucleosome_text_report) {
  copy_structure("1kx5.pdb");
  test::exe_result r = run("triz -i=1kx5.pdb -o=1kx5.out");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string out = read("1kx5.out");
  EXPECT_TRUE(has(out, "Command: belqo-vask triz -i=1kx5.pdb -o=1kx5.out\n"));
  EXPECT_TRUE(has(out, "File name: 1kx5.pdb\n    no. of peptide chains: 8 [A=135,B=102,C=128,D=122,"));
  EXPECT_TRUE(has(out, "    no. of DNA/RNA chains: 2 [I=147,J=147]\n    no. of amino acids:    974\n"
                       "    no. of nucleotides:    294\n"));
  EXPECT_TRUE(has(out, "List of 1 helix\n"));
  EXPECT_TRUE(has(out, "  helix#1[0] bps=147\n"));
  // base pairs of the helix, purine first: A-T and G-C, never T-A or C-G
  EXPECT_TRUE(has(out, "List of 437 base-pair/amino-acid interactions\n"
                       "       id   bp-aa     nt1          nt2          aa              Tdst"));
  EXPECT_TRUE(has(out, "   1  1kx5  AT-ala   I.DA-73      J.DT73       E.ALA24  "));
  EXPECT_FALSE(has(out, "  TA-"));
  EXPECT_FALSE(has(out, "  CG-"));
  EXPECT_FALSE(has(out, "dinucleotide-step"));  // steps only with --alpha
  EXPECT_TRUE(has(out, "List of 443 nucleotide/amino-acid interactions\n"
                       "       id   nt-aa   nt           aa              Tdst    Rdst     Tx      Ty"
                       "      Tz      Rx      Ry      Rz\n"
                       "   1  1kx5  A-his  I.DA-69      E.HIS39  "));
  // H-bonds with their moiety words: a lysine's amino group on a phosphate
  // oxygen is a salt bridge, an H-bond to O3' belongs to the next phosphate
  EXPECT_TRUE(has(out, "List of 154 phosphate/amino-acid H-bonds\n"));
  EXPECT_TRUE(has(out, "1kx5  OP1@I.DC-48      NZ@D.LYS12         3.47 po4:sidechain:salt-bridge\n"));
  EXPECT_TRUE(has(out, "1kx5  O3'@I.DC-49      NZ@D.LYS12         3.58 po4:sidechain\n"));
  EXPECT_TRUE(has(out, "1kx5  OP1@I.DA-55      N@D.SER53          2.89 po4:backbone\n"));
  EXPECT_TRUE(has(out, "List of 6 sugar/amino-acid H-bonds\n"));
  // arginines inserted into the minor groove: H-bonds to the groove edge of
  // the bases (purine N3, pyrimidine O2) and coplanar base/guanidinium pairs
  EXPECT_TRUE(has(out, "List of 11 base/amino-acid H-bonds\n"));
  for (const char* line : {"N3@I.DA9         NH2@E.ARG40        2.97 base:sidechain",
                           "N3@I.DG48        NH1@H.ARG30        3.25 base:sidechain",
                           "N3@J.DG-28       NH2@D.ARG26        3.16 base:sidechain",
                           "O2@J.DC-24       NH2@E.ARG83        3.36 base:sidechain"})
    EXPECT_TRUE(has(out, line)) << line;
  EXPECT_TRUE(has(out, "List of 6 base/amino-acid pairs\n"
                       "       id   nt-aa   nt           aa      vertical-distance   plane-angle\n"
                       "   1  1kx5  C-arg  I.DC-24      A.ARG83         2.08             28\n"));
  EXPECT_FALSE(has(out, "base/amino-acid stacks"));
  EXPECT_FALSE(has(out, "Cx       Cy       Cz"));
  EXPECT_FALSE(exists("A-arg.pdb"));  // model files only with --auxfile
  EXPECT_TRUE(has(r.err, "    total number of nucleotide/amino-acid contacts: 443\n"));
}

TEST_F(TrizRun, endonuclease_mmcif_with_json_and_quick_counts) {
  copy_data("1a73-assembly-1.cif");
  test::exe_result r = run("triz -i=1a73-assembly-1.cif");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "File name: 1a73-assembly-1.cif\n"));
  EXPECT_TRUE(has(r.out, " nucleotide/amino-acid interactions\n"));
  EXPECT_TRUE(has(r.out, " phosphate/amino-acid H-bonds\n"));
  EXPECT_TRUE(has(r.out, " base/amino-acid H-bonds\n"));
  EXPECT_TRUE(has(r.out, "base:sidechain"));
  // an arginine piled on two bases of a strand break
  EXPECT_TRUE(has(r.out, "List of 2 interface stacks with 3+ planar moieties\n"));
  EXPECT_TRUE(has(r.out, "   1 size=3 AGR A.DA13,B.DG14,F.ARG61\n"));

  r = run("triz -i=1a73-assembly-1.cif --json -o=1a73.json");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string js = read("1a73.json");
  EXPECT_EQ(test::json_error(js), "");
  EXPECT_EQ(js.rfind("{\"num_helices\":1,\"helices\":[{\"index\":1,", 0), 0u) << js.substr(0, 60);
  for (const char* key : {"\"ntAA_contacts\":[{\"index\":1,\"ntaa\":", "\"phosAA_hbonds\":[",
                          "\"bpAA_contacts\":[{\"index\":1,\"bpaa\":", "\"z_directions\":\"",
                          "\"num_ntAA_mStacks\":2,\"ntAA_mStacks\":[{\"index\":1,\"num_nts\":3,",
                          "\"baseAA_hbonds\":[", "\"six_params\":[", "\"C_alpha\":[", "\"metadata\":{",
                          "\"input_file\":\"1a73-assembly-1.cif\""})
    EXPECT_TRUE(has(js, key)) << key;

  r = run("triz -i=1a73-assembly-1.cif --quick=json");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::json_error(r.out), "");
  EXPECT_EQ(r.out.rfind("{\"counts\":{\"num_nts_with_frames\":", 0), 0u) << r.out;
  EXPECT_TRUE(has(r.out, "\"num_aa_chains\":"));
  EXPECT_FALSE(has(r.out, "ntAA_contacts"));
}

TEST_F(TrizRun, interface_summaries_and_model_files) {
  copy_structure("1kx5.pdb");
  test::exe_result r = run("triz -i=1kx5.pdb --interface=extra --auxfile -o=x.out");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string out = read("x.out");
  EXPECT_TRUE(has(out, "List of 138 nucleotides interacting with amino acids\n"));
  EXPECT_TRUE(has(out, "   1 A I.DA-69   d=3.30 O3'@I.DA-69    CB@E.HIS39     aas=1 dSASA="));
  EXPECT_TRUE(has(out, "  Chain 'I' [DNA, length=147], sequence: ATCAATATCC"));
  EXPECT_TRUE(has(out, "\n----------------------------------------------------------------------------\n"
                       "List of 220 amino acids interacting with nucleotides\n"));
  EXPECT_TRUE(has(out, "     A I.DA-73  \n"));  // the plus switch lists nucleotides without partners
  EXPECT_TRUE(has(out, "List of 5 additional files\n   1 -- triz-baseAA-pairs.pdb\n   2 -- triz-nt-AAs.pdb\n"
                       "   3 -- triz-aa-NTs.pdb\n   4 -- triz-pairs.pdb\n   5 -- triz-helices.pdb\n"));
  // one model per entry, read back by gemmi
  EXPECT_EQ(count_of(read("triz-nt-AAs.pdb"), "MODEL "), 138u);
  EXPECT_EQ(count_of(read("triz-aa-NTs.pdb"), "MODEL "), 220u);
  for (const auto& [file, models] : {std::pair<const char*, long>{"triz-nt-AAs.pdb", 138},
                                     {"triz-aa-NTs.pdb", 220}, {"triz-baseAA-pairs.pdb", 6}}) {
    const long got = gemmi_models(file);
    if (got >= 0) {
      EXPECT_EQ(got, models) << file << read("gemmi.err");
    }
  }
  EXPECT_TRUE(exists("A-arg.pdb"));
  EXPECT_EQ(read("A-arg.pdb").rfind("MODEL        1\nREMARK       ", 0), 0u);
  const std::string dssp = read("triz-dssp.txt");
  EXPECT_EQ(dssp.rfind("Number of amino-acids: 974 (", 0), 0u) << dssp.substr(0, 100);
  EXPECT_TRUE(has(dssp, "S345BC12S    L1    L2"));
  // the summaries in JSON
  r = run("triz -i=1kx5.pdb --interface=extra --json -o=x.json");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string js = read("x.json");
  EXPECT_EQ(test::json_error(js), "");
  EXPECT_TRUE(has(js, "\"num_ntAAs\":138,\"ntAAs\":[{\"index\":1,\"nt\":\"I.DA-69\",\"min_dist\":3.2"));
  EXPECT_TRUE(has(js, "\"num_aaNTs\":220,\"aaNTs\":[{\"index\":1,\"aa\":"));
  EXPECT_TRUE(has(js, "\"count\":1,\"dSASA\":"));
  EXPECT_TRUE(has(js, "\"types\":\"...\"}"));
}

// 1kx5 with one cytosine renamed 5CM (5-methyl-C): it pairs with J.DG49 and
// touches two lysines, neither stacked nor hydrophobic.
TEST_F(TrizRun, methyl_c_surroundings) {
  copy_structure("1kx5.pdb");
  std::ifstream src(path("1kx5.pdb"));
  std::ofstream dst(path("m.pdb"));
  std::string line;
  while (std::getline(src, line)) {
    if (line.rfind("ATOM", 0) == 0 && line.substr(17, 10) == " DC I -49 ") line = "HETATM" + line.substr(6, 11) + "5CM" + line.substr(20);
    dst << line << "\n";
  }
  dst.close();
  test::exe_result r = run("triz -i=m.pdb --methyl -o=m.out");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.err, "m [04]:  I.5CM-49   J.DG49  D.LYS12  D.LYS24\n"));
  const std::string text = read("m-5mC.txt");
  // in the duplex, read 5' to 3' on both strands around the cytosine
  EXPECT_EQ(text.rfind("m:I.5CM-49 other-contacts is-WC-paired is-in-duplex [+]:", 0), 0u) << text;
  const std::string pdb = read("m-5mC.pdb");
  EXPECT_EQ(pdb.rfind("MODEL        1\nREMARK    m [4] m:I.5CM-49 other-contacts", 0), 0u) << pdb.substr(0, 100);
  EXPECT_EQ(count_of(pdb, "ENDMDL\n"), 1u);
  // without --methyl nothing is written
  fs::remove(path("m-5mC.txt"));
  r = run("triz -i=m.pdb -o=m.out");
  EXPECT_FALSE(exists("m-5mC.txt"));
}

TEST_F(TrizRun, nucleic_acid_without_protein) {
  copy_data("1ehz.pdb");
  test::exe_result r = run("triz -i=1ehz.pdb --auxfile --interface -o=t.out");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string out = read("t.out");
  EXPECT_TRUE(has(out, "    no. of peptide chains: 0\n"));
  EXPECT_TRUE(has(out, "    no. of nucleotides:    76\n"));
  EXPECT_TRUE(has(out, "List of 11 types of 14 modified nucleotides\n"));
  EXPECT_FALSE(has(out, "amino-acid interactions"));
  EXPECT_FALSE(has(out, "amino-acid H-bonds"));
  EXPECT_FALSE(has(out, "amino acids interacting"));
  EXPECT_FALSE(exists("triz-dssp.txt"));
  EXPECT_FALSE(exists("triz-nt-AAs.pdb"));
}

TEST_F(TrizRun, steps_triads_and_every_file) {
  copy_data("1a73-assembly-1.cif");
  test::exe_result r = run("triz -i=1a73-assembly-1.cif --alpha --auxfile --interface=extra -o=a.out");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string out = read("a.out");
  EXPECT_TRUE(has(out, "Ry      Rz      Cx       Cy       Cz\n"));
  EXPECT_TRUE(has(out, "List of 89 dinucleotide-step/amino-acid interactions\n"
                       "       id    step-aa     nt1a         nt1b         nt2a         nt2b         aa"));
  EXPECT_TRUE(has(out, "List of 7 additional files\n"));
  for (const char* file : triz_file_table) {
    const std::string name = std::string("triz-") + file + ".pdb";
    EXPECT_TRUE(exists(name)) << name;
    const long models = gemmi_models(name);
    if (models >= 0) {
      EXPECT_GT(models, 0) << name << read("gemmi.err");
    }
  }
  // triads: an amino acid stacked on one base and paired with the next, the
  // same three in each half of the symmetric complex
  r = run("triz -i=1a73-assembly-1.cif --triad --ligand=* -o=t.out");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string triads = read("triads.txt");
  EXPECT_EQ(count_of(triads, "\n"), 6u);
  for (const char* line : {"1a73-assembly-1 A-arg-G connected D.DA17 E.ARG74 D.DG18\n",
                           "1a73-assembly-1 A-arg-G connected B.DA17 F.ARG74 B.DG18\n",
                           "1a73-assembly-1 G-gln-A connected D.DG16 E.GLN63 D.DA17\n",
                           "1a73-assembly-1 G-arg-A connected B.DG14 F.ARG61 B.DA15\n"})
    EXPECT_TRUE(has(triads, line)) << line;
  EXPECT_EQ(count_of(read("triads.pdb"), "ENDMDL\n"), 6u);
  EXPECT_EQ(read("triads.pdb").rfind("MODEL        1\nREMARK    1a73-assembly-1 A-arg-G connected", 0), 0u);
  // the default list "DT;T" finds none here
  r = run("triz -i=1a73-assembly-1.cif --triad -o=t.out");
  EXPECT_FALSE(exists("triads.txt"));
}

TEST_F(TrizRun, ensemble_in_text_and_json) {
  copy_structure("2n82.pdb");
  test::exe_result r = run("triz -i=2n82.pdb --nmr -o=n.out");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string out = read("n.out");
  EXPECT_EQ(count_of(out, "<model id=\""), 20u);
  EXPECT_EQ(count_of(out, "</model>\n\n"), 20u);
  EXPECT_EQ(count_of(out, " nucleotide/amino-acid interactions\n"), 20u);
  EXPECT_TRUE(has(r.err, "Processing ensemble '2n82.pdb' [20 models]"));

  r = run("triz -i=2n82.pdb --nmr --json -o=n.json");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string js = read("n.json");
  EXPECT_EQ(test::json_error(js), "");
  EXPECT_EQ(count_of(js, "\"num_ntAA_contacts\":"), 20u);
  EXPECT_EQ(js.rfind("{\"input_file\":\"2n82.pdb\",\"num_models\":20,\"models\":[", 0), 0u);

  // quick counts stop after the first model, and the frame is closed
  r = run("triz -i=2n82.pdb --nmr --quick=json");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::json_error(r.out), "") << r.out.substr(0, 200);
  EXPECT_EQ(count_of(r.out, "\"counts\":"), 1u);
}

// A model without nucleotides in the middle of an ensemble: its place holds
// the warning and the document stays valid JSON.
TEST_F(TrizRun, ensemble_model_without_nucleotides_keeps_json_valid) {
  // the first three models of 2n82, the RNA (chain A) left out of model 2
  std::string line;
  copy_structure("2n82.pdb");
  std::ifstream src(path("2n82.pdb"));
  std::ofstream dst(path("mixed.pdb"));
  long model = 0;
  while (std::getline(src, line)) {
    if (line.rfind("MODEL", 0) == 0) {
      model = std::atol(line.substr(5).c_str());
      if (model > 3) break;
    }
    if (model == 0) continue;
    if (model == 2 && (line.rfind("ATOM", 0) == 0 || line.rfind("HETATM", 0) == 0) && line[21] == 'A')
      continue;
    dst << line << "\n";
  }
  dst << "END\n";
  dst.close();
  test::exe_result r = run("triz -i=mixed.pdb --nmr --json -o=m.json");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string js = read("m.json");
  EXPECT_EQ(test::json_error(js), "") << js.substr(0, 300);
  EXPECT_EQ(count_of(js, "\"parameters\":{"), 3u);
  EXPECT_TRUE(has(js, "\"model\":2,\"parameters\":{\"warning\":\"no nucleotides found\"}},{\"index\":3,"));
  r = run("triz -i=mixed.pdb --nmr -o=m.out");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(read("m.out"), "no nucleotides found\n</model>"));
  EXPECT_EQ(count_of(read("m.out"), " nucleotide/amino-acid interactions\n"), 2u);
}

TEST_F(TrizRun, cleanup_removes_only_the_module_files) {
  const char* mine[] = {"A-arg.pdb", "GC-arg.pdb", "P-gly.pdb", "triz-nt-AAs.pdb", "triz-aa-NTs.pdb",
                        "triz-stepAA.pdb", "triz-dssp.txt", "stacks-arg.pdb", "triads.txt",
                        "triads.pdb", "triz-helices.pdb"};
  const char* others[] = {"A-arg.txt", "vask-pairs.pdb", "my.pdb", "X-arg.pdb", "stacks-ala.pdb",
                          "triz-other.pdb", "1kx5-5mC.txt"};
  for (const char* f : mine) write(f, "x\n");
  for (const char* f : others) write(f, "x\n");
  test::exe_result r = run("triz --cleanup");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.err, "done with cleaning up files.\n"));
  for (const char* f : mine) EXPECT_FALSE(exists(f)) << f;
  for (const char* f : others) EXPECT_TRUE(exists(f)) << f;
  // --cleanup=no keeps an earlier run's files
  write("A-arg.pdb", "x\n");
  copy_data("1a73-assembly-1.cif");
  r = run("triz -i=1a73-assembly-1.cif --cleanup=no -o=x.out");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read("A-arg.pdb"), "x\n");
}

TEST_F(TrizRun, help_and_usage_errors) {
  test::exe_result r = run("triz --cutoff=99 -h");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(has(r.err, "Usage: belqo-vask triz [options]\n"));
  EXPECT_TRUE(has(r.err, "Last update: 2022-08-02\n======"));
  r = run("triz -i=x.pdb --no-such-option");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "unrecognized option: <--no-such-option>\n"));
  EXPECT_TRUE(has(r.err, "triz -h (or --help)' for further help\n"));
  r = run("triz");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "missing required option: must specify -i=PDBFile/mmCIF\n"));
  r = run("triz -i=1a73.pdb --cutoff=9");
  EXPECT_EQ(r.status, 1);
}

}  // namespace
}  // namespace vask
