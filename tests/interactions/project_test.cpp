// The project sub-command: each analysis once on a structure where it finds
// something, the id words, appending runs and the CSV header, option errors.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/project_command.hpp"
#include "support/settings.hpp"
#include "modeling/model_run.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

namespace fs = std::filesystem;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

long count_of(const std::string& text, const std::string& part) {
  long n = 0;
  for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1)) ++n;
  return n;
}

using run_result = test::exe_result;

class ProjectExe : public test::ModelRun {
 protected:
  run_result run(const std::string& args) { return ModelRun::run("project " + args); }
  std::string file(const std::string& name) const { return read(name); }
};

// Each analysis on a structure where it finds something: the run-log line of
// its id and a line of its findings (written to out.txt).
TEST_F(ProjectExe, every_analysis_finds_its_feature) {
  struct {
    const char* word;
    const char* structure;
    const char* log;
    const char* found;
  } cases[] = {
      {"c2", "1ehz.pdb", "\t-- check C2'-endo direction\n",
       "  1ehz A.U7     angle=39    ssZp=1.6   Dp=1.4     C2'-endo phase=156     H-bonded\n"},
      // the GNRA tetraloops of the P4-P6 domain, both copies
      {"biloop", "1gid.pdb", "\t-- check bi-loops\n",
       "  1gid    1 nts=4 GAAA A.G150,A.A151,A.A152,A.A153  C3',...,C3',C3'  anti,anti,anti,anti\n"},
      {"UA3", "1y26.pdb", "\t-- check U interacting with 3 As\n",
       "  1y26 G37 nts=4 GUCA X.G37,X.U34,X.C61,X.A65\n"
       "  # -i=./selected/1y26.cif --select-resi='X 37 X 34 X 61 X 65' --cif-output "
       "-o=./Nt3Pairs/1y26-G37.cif\n"},
      {"t-loop", "1ehz.pdb", "\t-- check T-loops\n", "1ehz A.U33 nts=2 AA A.A35,A.A36\n"},
      {"tat", "1gid.pdb", "\t-- check TAT hairpin loops\n",
       "1gid summary: [1] 3 [A.235 A.239] 9 == nts=3 UCU A.U236,A.C237,A.U238\n"},
      {"gu_pair", "1ehz.pdb", "\t-- check G.U pairs\n", "\n1ehz,A.G4,A.U69,G-U,--,Wobble,28-XXVIII,cWW,"},
      {"aa-pair", "1ehz.pdb", "\t-- check A.A pairs\n", "\n1ehz,A.A9,A.A23,A+A,--,--,02-II,tHH,"},
      {"sum-b-factor", "1ehz.pdb", "\t-- sum B-factor\n",
       "        nt                all     base   sugar  bb-all  bb-chn     P\n"
       " 1     A.G1              95.31   91.61   97.81   98.44   99.17  100.19\n"},
      {"glu", "3p49.pdb", "\t-- check Glu-CpA interactions\n",
       "  3p49  B.GLU19 area=138   nts=3  UUG A.U724,A.U725,A.G726\n"},
      {"asp", "1a9n.cif", "\t-- check ASP-CpA interactions\n", "  1a9n  B.ASP19 area=110   nts=2  AU Q.A6,Q.U7\n"},
      {"gln", "1lcd.pdb", "\t-- check Gln-CpA interactions\n",
       "  1lcd   A.GLN18 area=201   nts=5  GTGTC B.DG5,B.DT6,B.DG7,C.DT4,C.DC5\n"},
      {"asn", "1qf6.pdb", "\t-- check ASN-CpA interactions\n",
       "  1qf6 A.ASN575 area=192   nts=3  UUC B.U32,B.U33,B.C34\n"},
      {"protein-stem", "1qf6.pdb", "\t-- check Protein-Stem interactions\n",
       "  1qf6 GLY-2-CG-BB-crossed A.GLY203 area=144   nts=4  CCGG B.C2,B.C3,B.G70,B.G71\n"},
      {"ayy", "1ffk.cif", "\t-- check AYY interactions\n",
       "List of 1 ayy motif\n   1 nts=3 AUG 0.A923,0.U2107,0.G2480\n"},
      // the hybrid-1 telomeric quadruplex: three tetrads in one stem with a (3+1) fold
      {"g4-stem", "2hy9.cif", "\t-- extract parameters of G4 stems\n",
       "2hy9,---,1.DG4+1.DG10+1.DG18+1.DG22,1.DG5+1.DG11+1.DG17+1.DG23,DNA,INTRA,3(-P-Lw-Ln),"
       "hybrid-1(3+1),UUDU,hybrid-(mixed),opposite,"},
      {"G4", "2hy9.cif", "\t-- check G-tetrads\n", "2hy9 3\n"},
      // two quadruplexes stacked 5' face on 5' face: a helix step outside the stems
      {"gqua-helix", "5v3f-assembly1.cif", "\t-- extract parameters of G4 helices, excluding stems\n",
       "5v3f-assembly1,A.G8+A.G13+A.G18+A.G23,B.G13+B.G8+B.G23+B.G18,RNA,inter,5'/5',opposite,"},
      // stacked non-G layers of four in the large subunit
      {"ribo-tetrads", "1ffk.cif", "\t-- check 3 stacked tetrads\n", "1ffk size=35 0.U481 0.C515 3-12 [nts=4 UACA"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.word);
    fs::remove(dir_ / "out.txt");
    const std::string input = test::test_data_unzipped(c.structure);
    run_result r = run("-i='" + input + "' --id-name=" + c.word + " -o=out.txt");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.err, c.log)) << r.err;
    EXPECT_TRUE(has(file("out.txt"), c.found)) << file("out.txt");
  }
  // the model files that go with the contact analyses and the AYY list
  for (const char* name : {"glu-contacts.pdb", "asp-contacts.pdb", "gln-contacts.pdb", "asn-contacts.pdb",
                           "stem-contacts.pdb", "AYYs-list.pdb", "stacked-3tetrads.pdb"}) {
    SCOPED_TRACE(name);
    const std::string pdb = file(name);
    EXPECT_EQ(pdb.rfind("MODEL        1\nREMARK    ", 0), 0u) << pdb.substr(0, 200);
    EXPECT_TRUE(has(pdb, "\nENDMDL\n"));
  }
  EXPECT_EQ(file("AYYs-list.txt"), "# 1ffk 1\n1ffk 1 nts=3 AUG 0.A923,0.U2107,0.G2480\n\n");
}

// The fields of one RFC 4180 CSV line; false when its quoting is broken (a
// quote inside a bare field, text after a closing quote, an unclosed quote).
bool csv_fields(const std::string& line, std::vector<std::string>& fields) {
  fields.assign(1, "");
  size_t i = 0;
  bool quoted = false, closed = false;
  while (i < line.size()) {
    const char c = line[i++];
    if (quoted) {
      if (c != '"') {
        fields.back() += c;
      } else if (i < line.size() && line[i] == '"') {
        fields.back() += '"';
        ++i;
      } else {
        quoted = false;
        closed = true;
      }
    } else if (c == ',') {
      fields.emplace_back();
      closed = false;
    } else if (closed) {
      return false;
    } else if (c == '"') {
      if (!fields.back().empty()) return false;
      quoted = true;
    } else {
      fields.back() += c;
    }
  }
  return !quoted;
}

// The G4 stem and helix rows are CSV: every row of the quadruplexes here has
// the 21 (stem) or 16 (helix) fields of the row layout, and a text holding a
// comma comes back whole.
TEST_F(ProjectExe, g4_stem_and_helix_rows_are_csv) {
  struct {
    const char* word;
    size_t fields;
  } kinds[] = {{"g4-stem", 21}, {"g4-helix", 16}};
  for (const auto& k : kinds) {
    SCOPED_TRACE(k.word);
    fs::remove(dir_ / "rows.csv");
    for (const char* structure : {"2hy9.cif", "5v3f-assembly1.cif", "2km3-assembly1.cif", "2ms9.cif",
                                  "7dju-assembly-1.cif", "1jjp.cif", "1i34-assembly1.cif"}) {
      const std::string input = test::test_data_unzipped(structure);
      ASSERT_EQ(run("-i='" + input + "' --id-name=" + k.word + " -o=rows.csv").status, 0) << structure;
    }
    long rows = 0, with_comma = 0;
    std::istringstream in(file("rows.csv"));
    for (std::string line; std::getline(in, line); ++rows) {
      std::vector<std::string> fields;
      ASSERT_TRUE(csv_fields(line, fields)) << line;
      EXPECT_EQ(fields.size(), k.fields) << line;
      for (const std::string& f : fields) with_comma += f.find(',') != std::string::npos;
    }
    EXPECT_GE(rows, 5);
    if (std::string(k.word) == "g4-stem") {
      EXPECT_GT(with_comma, 0);
      EXPECT_TRUE(has(file("rows.csv"), ",opposite,\"mm(<>,outward)\",")) << file("rows.csv");
    }
    // Python's csv module reads the file alike, where it is installed
    if (std::system("/usr/bin/python3 -c 'import csv' >/dev/null 2>&1") != 0) continue;
    const std::string cmd = "cd '" + dir_.string() +
                            "' && /usr/bin/python3 -c \"import csv,sys\n"
                            "n={len(r) for r in csv.reader(open('rows.csv', newline=''), strict=True)}\n"
                            "sys.exit(0 if n == {" + std::to_string(k.fields) + "} else 1)\"";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << file("rows.csv");
  }
}

// 2hy9 without the guanines 4, 5 and 6 (one of each tetrad): each layer keeps
// a chain of three guanines held by two G..G pairs, no tetrad is left, and
// the middle guanine of each chain is in exactly two pairs.
TEST_F(ProjectExe, g4_pairs_without_tetrads) {
  std::istringstream in(test::read_file(test::test_data_unzipped("2hy9.cif")));
  std::ofstream cut(dir_ / "2hy9-cut.cif");
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string x; words >> x;) w.push_back(x);
    const bool atom = !w.empty() && (w[0] == "ATOM" || w[0] == "HETATM") && w.size() > 16;
    if (atom && (w[16] == "4" || w[16] == "5" || w[16] == "6")) continue;  // auth_seq_id
    cut << line << "\n";
  }
  cut.close();
  run_result r = run("-i=2hy9-cut.cif --id-name=g4-pair -o=out.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.err, "\t-- check G..G..G pairs but no G-tetrads\n"));
  EXPECT_EQ(file("out.txt"), "2hy9-cut 3\n");
  // the whole quadruplex has its tetrads: nothing
  ASSERT_EQ(run("-i=" + test::test_data_unzipped("2hy9.cif") + " --id-name=g4-pair -o=none.txt").status, 0);
  EXPECT_EQ(file("none.txt"), "");
}

TEST_F(ProjectExe, appending_runs_repeat_their_lines_and_write_one_csv_header) {
  const std::string input = test::test_data("1ehz.pdb");
  for (int k = 0; k < 2; ++k) {
    ASSERT_EQ(run("-i=" + input + " --id-name=gu-pair -o=gu.csv").status, 0);
    ASSERT_EQ(run("-i=" + input + " --id-name=tloop -o=t.txt").status, 0);
  }
  const std::string gu = file("gu.csv");
  EXPECT_EQ(count_of(gu, "pdb_id,idstr1,"), 1);
  EXPECT_EQ(count_of(gu, "\n1ehz,A.G4,A.U69,"), 2);
  EXPECT_EQ(count_of(file("t.txt"), "1ehz A.U33 nts=2"), 2);
  // the header goes to a standard stream every time
  run_result r = run("-i=" + input + " --id-name=aa-pair");
  EXPECT_EQ(r.out.rfind("pdb_id,idstr1,idstr2,symbol,swap, bpname,", 0), 0u) << r.out;
}

TEST_F(ProjectExe, option_errors_and_no_analysis) {
  const std::string input = test::test_data("1ehz.pdb");
  run_result r = run("-i=nothere.pdb --id-name=c2");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "specified input file nothere.pdb not exist\n")) << r.err;
  r = run("-i=" + input + " --id-name=c2 --bogus");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "unrecognized option: <--bogus>\n")) << r.err;
  r = run("-i=" + input + " --id-name=c2 --value=2000");
  EXPECT_EQ(r.status, 1);
  r = run("-i=" + input + " --id-name=nothing");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(has(r.err, "\t-- option '--id-name=nothing' not set\n[i] no matched project\n")) << r.err;
  r = run("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(has(r.err, "\nPersonal project to play around ...\n"));
}

TEST_F(ProjectExe, c2_threshold_from_the_value_option) {
  const std::string input = test::test_data("1ehz.pdb");
  ASSERT_EQ(run("-i=" + input + " --id-name=c2 -o=a.txt").status, 0);
  ASSERT_EQ(run("-i=" + input + " --id-name=c2 --value=80 -o=b.txt").status, 0);
  // a higher threshold lists fewer C3'-endo nucleotides, the same C2'-endo ones
  EXPECT_GT(count_of(file("a.txt"), "*C3'-endo"), count_of(file("b.txt"), "*C3'-endo"));
  EXPECT_EQ(count_of(file("a.txt"), "  C2'-endo"), count_of(file("b.txt"), "  C2'-endo"));
}

TEST(ProjectIds, words_pick_the_analysis_in_their_order) {
  set_globals("belqo-vask");
  test::log_capture log;
  struct {
    const char* arg;
    long id;
  } cases[] = {
      {"--id-name=g4-stem", PROJECT_G4_STEMS},   {"--id-name=G4", PROJECT_G4S},
      {"--id-name=gqua_pair", PROJECT_G4_PAIRS}, {"--id-name=g-tet-helix", PROJECT_G4_HELICES},
      {"--id-name=ayy", PROJECT_AYY},            {"--id-name=di_loop", PROJECT_BILOOPS},
      {"--id-name=sumbfactor", PROJECT_B_FACTOR}, {"--id-name=amino", PROJECT_STEM_CONTACTS},
      {"--id-name=tetrads", PROJECT_3TETRADS},   {"--id-name=GLN", PROJECT_GLN},
      {"--id-name", PROJECT_NONE},               {"--id-name=zzz", PROJECT_NONE},
  };
  for (const auto& c : cases) EXPECT_EQ(derive_project_id(c.arg), c.id) << c.arg;
}

}  // namespace
}  // namespace vask
