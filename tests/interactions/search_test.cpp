// The search sub-command: a duplex and a strand cut from 1bna found at their
// own place with perfect scores, the CSV read back by Python, options beside
// the common ones, the query and target checks, the match-type words and the
// stretched-duplex scan.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "interactions/search.hpp"
#include "support/settings.hpp"
#include "modeling/model_run.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

namespace fs = std::filesystem;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

using run_result = test::exe_result;

// Copies the ATOM lines of 1bna.pdb whose chain and residue number pass keep.
void cut_1bna(const fs::path& out, bool (*keep)(char chain, long num)) {
  std::istringstream in(test::read_file(test::test_data("1bna.pdb")));
  std::ofstream fp(out);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("ATOM  ", 0) != 0 || line.size() < 27) continue;
    if (keep(line[21], std::stol(line.substr(22, 4)))) fp << line << "\n";
  }
  fp << "END\n";
}

// Runs of "search" in a temporary folder holding 1bna, a duplex and a strand
// cut from it, and a target list.
class SearchExe : public test::ModelRun {
 protected:
  void SetUp() override {
    ModelRun::SetUp();
    copy_data("1bna.pdb");
    // pairs A3-B22 .. A6-B19 of the dodecamer
    cut_1bna(dir_ / "duplex4.pdb", [](char c, long r) {
      return (c == 'A' && r >= 3 && r <= 6) || (c == 'B' && r >= 19 && r <= 22);
    });
    cut_1bna(dir_ / "strand4.pdb", [](char c, long r) { return c == 'A' && r >= 3 && r <= 6; });
    write("list.txt", "1bna.pdb\n");
  }
  run_result run(const std::string& args) { return ModelRun::run("search " + args); }
  std::string file(const std::string& name) const { return read(name); }
};

TEST_F(SearchExe, duplex_cut_from_1bna_is_found_at_its_place_with_perfect_scores) {
  run_result r = run("--query=duplex4.pdb --target=1bna.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "Query on 'duplex4': nts=8, frags=2\n"));
  // nine windows of 4 pairs in a 12-pair helix, each measured both ways
  EXPECT_TRUE(has(r.out, "    -9 (0018): rmsd="));
  EXPECT_TRUE(has(r.out, "     3 (0005): rmsd=0.0000 delta_pars=+0.0000  cosine_sim=+1.0000  "
                         "tm_score=+1.0000  start1=..A.DC.3. end1=..A.DA.6. start2=..B.DT.19. "
                         "end2=..B.DG.22.\n"));
  // the 5'-terminal P atoms are missing: those windows fit 7 of 8 points
  EXPECT_TRUE(has(r.out, "start2=..B.DC.21. end2=..B.DG.24. --- 7 vs 8\n"));
  EXPECT_EQ(file("search-results.csv"),
            "strid,start1,end1,start2,end2,helix,rmsd,delta_pars,cosine_sim,tm_score\n"
            "1bna,..A.DC.3.,..A.DA.6.,..B.DT.19.,..B.DG.22.,1,0.0000,0.0000,1.0000,1.0000\n");
  EXPECT_TRUE(has(file("reversed-duplex.pdb"), "REMARK reversed duplex based on query -- duplex4.pdb\n"));
  EXPECT_EQ(file("search-targets.txt"), "1bna.pdb\n");

  if (std::system("test -x /usr/bin/python3") != 0) GTEST_SKIP() << "no /usr/bin/python3 to read the CSV";
  const std::string py =
      "import csv; rows = list(csv.DictReader(open('search-results.csv'))); "
      "assert len(rows) == 1, rows; r = rows[0]; "
      "assert (r['strid'], r['start1'], r['end2'], r['helix']) == ('1bna', '..A.DC.3.', '..B.DG.22.', '1'), r; "
      "assert float(r['rmsd']) == 0 and float(r['delta_pars']) == 0, r; "
      "assert float(r['cosine_sim']) == 1 and float(r['tm_score']) == 1, r";
  EXPECT_EQ(std::system(("cd '" + dir_.string() + "' && /usr/bin/python3 -c \"" + py + "\"").c_str()), 0);
}

TEST_F(SearchExe, strand_cut_from_1bna_is_found_at_its_place) {
  run_result r = run("--query=strand4.pdb --target=1bna.pdb --match=c4-origin --csv=ss.csv --more");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "Query on 'strand4': nts=4, frags=1\n"));
  EXPECT_TRUE(has(r.out, "rmsd=0.0000 delta_pars=+0.0000  cosine_sim=+1.0000  tm_score=+1.0000  "
                         "start1=..A.DC.3. end1=..A.DA.6.\n"));
  // at verbosity 1 every hit has its row (no best-match row): 9 windows per strand
  const std::string csv = file("ss.csv");
  EXPECT_EQ(csv.rfind("strid,start1,end1,rmsd,delta_pars,cosine_sim,tm_score\n", 0), 0u);
  EXPECT_TRUE(has(csv, "1bna,..A.DC.3.,..A.DA.6.,0.0000,0.0000,1.0000,1.0000\n"));
  EXPECT_TRUE(has(r.out, "--match-type=c4_prime-origin --more"));
}

TEST_F(SearchExe, single_query_with_other_residues_is_an_error) {
  std::ofstream q(dir_ / "mixed.pdb");
  q << file("strand4.pdb").substr(0, 2000);
  q << "ATOM      1  N   THR B   1      17.047  14.099   3.625  1.00 13.79           N\n"
       "ATOM      2  CA  THR B   1      16.967  12.784   4.338  1.00 10.80           C\n"
       "ATOM      3  C   THR B   1      15.685  12.755   5.133  1.00  9.19           C\n"
       "ATOM      4  O   THR B   1      15.268  13.825   5.594  1.00  9.85           O\n"
       "END\n";
  q.close();
  run_result r = run("--query=mixed.pdb --target=1bna.pdb --single");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "[e] with --single, query must contains only nts\n")) << r.err;
}

// Waters and ions are no part of a search: a query holding some is still one
// strand, and a target strand is not cut at them (1bna with its waters has
// the windows of 1bna without them).
TEST_F(SearchExe, waters_and_ions_leave_strands_whole) {
  std::ofstream q(dir_ / "wet4.pdb");
  const std::string strand = file("strand4.pdb");
  q << strand.substr(0, strand.rfind("END"))
    << "HETATM  999 MG    MG A 101      10.000  10.000  10.000  1.00 20.00          MG\n"
       "HETATM 1000  O   HOH A 102      12.000  10.000  10.000  1.00 20.00           O\n"
       "END\n";
  q.close();
  cut_1bna(dir_ / "dry.pdb", [](char, long) { return true; });
  run_result r = run("--query=wet4.pdb --target=1bna.pdb --single --csv=wet.csv");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "Query on 'wet4': nts=4, frags=1\n")) << r.out;
  EXPECT_TRUE(has(r.out, "start1=..A.DC.3. end1=..A.DA.6.")) << r.out;
  // every window is a row at verbosity 1 with a cutoff that takes them all
  auto rows = [&](const std::string& target) {
    run_result t = run("--query=strand4.pdb --target=" + target + " --single=2 --more --threshold=99 --csv=" +
                       target + ".csv");
    EXPECT_EQ(t.status, 0) << t.err;
    const std::string csv = file(target + ".csv");
    return std::count(csv.begin(), csv.end(), '\n');
  };
  const long dry = rows("dry.pdb");
  EXPECT_EQ(dry, 1 + 21);  // the header, and 24 - 4 + 1 windows of the one strand
  EXPECT_EQ(rows("1bna.pdb"), dry);
}

// Every search option beside --target-list and -o (and beside common options
// whose names begin like search options): the list and the output are used.
TEST_F(SearchExe, search_options_leave_common_options_alone) {
  struct {
    const char* query;
    const char* option;
  } cases[] = {
      {"duplex4", "--cutoff=4"},     {"duplex4", "--threshold"},   {"duplex4", "--match=oxy"},
      {"duplex4", "--match=plane"},  {"duplex4", "--pair"},        {"duplex4", "--pair=only"},
      {"duplex4", "--pair=no"},      {"strand4", "--single"},      {"strand4", "--single=both"},
      {"duplex4", "--order=cos"},    {"duplex4", "--order=tm"},    {"duplex4", "--sort=par"},
      {"duplex4", "--csv=x.csv"},    {"", "-q=duplex4.pdb"},       {"duplex4", "--quiet"},
      {"duplex4", "--t-shape"},      {"duplex4", "--order-residue"}, {"duplex4", "--trx-file=fit.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option);
    fs::remove(dir_ / "out.txt");
    const std::string query = c.query[0] ? std::string("--query=") + c.query + ".pdb " : "";
    run_result r = run(query + "--target-list=list.txt -o=out.txt " + c.option);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const std::string out = file("out.txt");
    EXPECT_TRUE(has(out, "--target-list=list.txt")) << out;
    EXPECT_TRUE(has(out, " -o=out.txt\n")) << out;
    EXPECT_TRUE(has(out, "rmsd=0.0000")) << out;
  }
  // the transformation file of the first best match and the fitted query
  EXPECT_TRUE(exists("fit.txt"));
  EXPECT_TRUE(has(file("query-with-target.pdb"), "MODEL"));
  EXPECT_TRUE(has(file("query-only-aligned.pdb"), "ATOM"));
}

TEST_F(SearchExe, order_keys_widen_the_cutoff_and_pick_their_best) {
  run_result r = run("--query=duplex4.pdb --target=1bna.pdb --order=cosine --pair");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, " --threshold=5 --match-type=phos --pair-parameters=1\n"));
  EXPECT_TRUE(has(file("search-results.csv"), "1bna,..A.DC.3.,..A.DA.6.,..B.DT.19.,..B.DG.22.,1,0.0000,"));
}

TEST_F(SearchExe, query_and_target_errors) {
  struct {
    const char* args;
    int status;
    const char* message;
  } cases[] = {
      {"--target=1bna.pdb", 1, "missing required option: must specify --query=PDBFile/mmCIF\n"},
      {"--query=nothere.pdb --target=1bna.pdb", 1, "required file <nothere.pdb> does not exist!\n"},
      {"--query=duplex4.pdb", 1, "must specify --target=PDBFile/mmCIF or --target-list=List-of-files\n"},
      {"--query=duplex4.pdb --target=none.pdb", 1, "Cannot access file --target=none.pdb\n"},
      {"--query=duplex4.pdb --target-list=none.txt", 1, "Cannot access file --target-list=none.txt\n"},
      {"--query=duplex4.pdb --cutoff=120 --target=1bna.pdb", 1, ""},
      {"--query=1bna.pdb --target=1bna.pdb --pair", 0, ""},  // a 12-pair query: its one window
      {"--query=duplex4.pdb --target=1bna.pdb --target-list=list.txt", 0,
       "[i] ignore --target=1bna.pdb when --target-list=list.txt is specified\n"},
      {"--query=duplex4.pdb --target=1bna.pdb --bogus", 1, "unrecognized option: <--bogus>\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    run_result r = run(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_TRUE(has(r.err, c.message)) << r.err;
  }
}

TEST_F(SearchExe, help_shows_the_usage) {
  run_result r = run("-h");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(has(r.err, "Usage: belqo-vask search [options]\n"));
  EXPECT_TRUE(has(r.err, "  belqo-vask search --query=core-ds.pdb --target-list=pdbfiles.txt\n"));
}

TEST_F(SearchExe, stretched_steps_of_the_dodecamer_stem) {
  run_result r = run("--stretch='slide:-9,roll=-90' --target-list=list.txt -o=out.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(file("out.txt"), "Command: belqo-vask --stretched=slide:-9,roll=-90 --target-list=list.txt"));
  EXPECT_TRUE(has(r.err, "    derived: slide=-9  roll=-90  step=2\n"));
  // every step of the one 12-pair stem passes: one run of 11 steps, end pairs A1-B24 and A12-B13
  EXPECT_EQ(file("search-results.csv"),
            "strid,stem,start1,end1,start2,end2,steps\n"
            "1bna,1,..A.DC.1.,..A.DG.12.,..B.DC.13.,..B.DG.24.,11\n");
  r = run("--stretch='slide=9' --target=1bna.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(file("search-results.csv"), "strid,stem,start1,end1,start2,end2,steps\n");
}

TEST(SearchStretch, thresholds_from_the_option_text) {
  set_globals("belqo-vask");
  test::log_capture log;
  struct {
    const char* text;
    double slide, roll;
    long steps;
  } cases[] = {
      {"slide:2,roll=-10", 2.0, -10.0, 2},
      {"Slide=2;STEP=3", 2.0, -256.0, 3},
      {"roll=5,step:4,slide=1,step=9", 1.0, 5.0, 4},  // a fourth setting is not read
      {"roll 3 , junk , twist=4", -256.0, 3.0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const stretch_thresholds t = parse_stretch_text(c.text);
    EXPECT_EQ(t.slide, c.slide);
    EXPECT_EQ(t.roll, c.roll);
    EXPECT_EQ(t.steps, c.steps);
  }
  EXPECT_TRUE(has(log.text(), "[w] ignore JUNK: not in name=val format\n"));
  EXPECT_TRUE(has(log.text(), "[w] ignore TWIST=4: non-slide/roll/step setting\n"));
  for (const char* bad : {"", "step=3", "twist=1;tilt=2"})
    EXPECT_EQ(test::fatal_message([&] { parse_stretch_text(bad); }),
              "no valid slide/roll can be derived from the --stretched option\n")
        << bad;
}

TEST(SearchMatch, match_type_words_and_names) {
  struct {
    const char* value;
    long bits;
    const char* name;
  } cases[] = {
      {"", MATCH_PHOS, "phos"},
      {"P-atom", MATCH_PHOS, "phos"},
      {"Patom-oxy", MATCH_PHOS | MATCH_OXY, "phos-oxy"},
      {"origin-oxy", MATCH_OXY, "oxy"},               // oxy overrides origin
      {"origin,base3,plane", MATCH_PLANE, "plane"},   // plane overrides both
      {"c2-c4-N-atom-origin", MATCH_C2 | MATCH_C4 | MATCH_NATOM | MATCH_ORIGIN,
       "c2_prime-c4_prime-N_atom-origin"},
      {"nothing-known", MATCH_PHOS, "phos"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(derive_match_type(c.value), c.bits);
    EXPECT_EQ(match_type_string(c.bits), c.name);
  }
  EXPECT_EQ(points_per_nt(MATCH_PHOS | MATCH_OXY), 4);
  EXPECT_EQ(points_per_nt(MATCH_PLANE | MATCH_C2 | MATCH_C4 | MATCH_NATOM), 12);
}

}  // namespace
}  // namespace vask
