// End-to-end runs of the executable in a temporary folder: exit status,
// run log (standard error or --run-log), standard output and files left.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_util.hpp"

namespace vask {
namespace {

namespace fs = std::filesystem;

struct run_result {
  int status = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

class VaskExe : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "vask-e2e-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    // one water: a readable structure without nucleotides, so a run ends with status 0
    touch("x.pdb", "HETATM    1  O   HOH A 101      10.000  10.000  10.000  1.00 20.00           O\n");
  }
  void TearDown() override { fs::remove_all(dir_); }

  void touch(const std::string& name, const std::string& text = "x\n") {
    std::ofstream(dir_ / name) << text;
  }
  bool exists(const std::string& name) const { return fs::exists(dir_ / name); }

  run_result run(const std::string& args, const std::string& env = "") {
    std::string cmd = "cd '" + dir_.string() + "' && " + env + " '" VASK_EXE "' " + args +
                      " >stdout.txt 2>stderr.txt";
    int rc = std::system(cmd.c_str());
    run_result r;
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = test::read_file((dir_ / "stdout.txt").string());
    r.err = test::read_file((dir_ / "stderr.txt").string());
    fs::remove(dir_ / "stdout.txt");
    fs::remove(dir_ / "stderr.txt");
    return r;
  }

  fs::path dir_;
};

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(VaskExe, no_argument_asks_for_an_input_file) {
  run_result r = run("");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");  // the bell goes to the run log too
  EXPECT_EQ(r.err,
            "missing required option: must specify -i=PDBFile/mmCIF\n\a"
            "\ntype: 'belqo-vask -h (or --help)' for further help\n"
            "      'belqo-vask --citation' for preferred citation(s)\n"
            "\nTime used: 00:00:00:00\n");
}

TEST_F(VaskExe, help_words_print_the_built_in_help) {
  const std::string bar(70, '=');
  for (const char* word : {"--help", "-h", "help", "-help", "H"}) {
    SCOPED_TRACE(word);
    run_result r = run(word);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind(bar + "\nbelqo-vask", 0), 0u);
    EXPECT_TRUE(has(r.err, "Usage: belqo-vask [options]\n"));
    EXPECT_TRUE(has(r.err, "of DNA-protein or RNA-protein complexes\n" + bar + "\n"));
  }
  run_result r = run("--hx");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("unrecognized option: <--hx>\n", 0), 0u);
}

TEST_F(VaskExe, version_and_citation) {
  const std::string stars(66, '*');
  run_result r = run("-v");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.rfind("\n" + stars + "\nbelqo-vask", 0), 0u) << r.err;
  EXPECT_TRUE(has(r.err, VASK_VERSION "\n" + stars + "\n\nTime used: "));
  r = run("--citation");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(has(r.err, "belqo-vask developers"));
  EXPECT_TRUE(has(r.err, " OR "));
  // the manual it cites is the one the report's header names, and it ships
  EXPECT_TRUE(has(r.err, "VASK User Manual")) << r.err;
  EXPECT_TRUE(has(r.err, "(docs/manual.md, installed as\n    share/belqo-vask/docs/manual.md)")) << r.err;
  std::ifstream manual(std::string(VASK_TEST_DATA) + "/../../docs/manual.md");
  std::string title;
  std::getline(manual, title);
  EXPECT_EQ(title, "# VASK User Manual");
}

TEST_F(VaskExe, input_file_must_exist) {
  run_result r = run("-i=absent.pdb");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("required file <absent.pdb> does not exist!\n", 0), 0u);
  r = run("--ilist=absent.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "required file <absent.txt> does not exist!\n"));
}

TEST_F(VaskExe, run_log_file_and_silent) {
  run_result r = run("-i=absent.pdb --run-log=run.log");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(test::read_file((dir_ / "run.log").string()),
            "required file <absent.pdb> does not exist!\n\nTime used: 00:00:00:00\n");
  r = run("-i=absent.pdb --silent");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "");
}

TEST_F(VaskExe, sub_command_words_reach_their_drivers) {
  // built sub-commands: their own help, or their listing
  for (const std::string word : {"combine", "model", "template"}) {
    run_result r = run(word + " --help");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(has(r.err, "\nGenerate a composite model")) << r.err;
  }
  for (const auto& [word, module] : std::vector<std::pair<std::string, std::string>>{
           {"analyze", "ANALYZE"}, {"ORMO", "ANALYZE"}, {"rebuild", "REBUILD"}, {"recons", "REBUILD"},
           {"mutate", "MUTATE"}}) {
    run_result r = run(word + " --help");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(has(r.err, "on how to use the " + module + " module")) << r.err;
  }
  for (const std::string word : {"triz", "PROT"}) {
    run_result r = run(word + " --help");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(has(r.err, "Usage: belqo-vask triz [options]")) << r.err;
  }
  for (const std::string word : {"task", "misc", "UTIL"}) {
    run_result r = run(word + " --help");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(has(r.err, "\nMiscellaneous utilities ...\n")) << r.err;
  }
  for (const std::string word : {"search", "Query"}) {
    run_result r = run(word + " --help");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(has(r.err, "Usage: belqo-vask search [options]")) << r.err;
  }
  run_result project = run("project --help");
  EXPECT_EQ(project.status, 0);
  EXPECT_TRUE(has(project.err, "Personal project to play around")) << project.err;
  run_result fiber = run("fibre --list");
  EXPECT_EQ(fiber.status, 0);
  EXPECT_TRUE(has(fiber.err, "*** List of 56 fiber models from VASK ***")) << fiber.err;
  // a first word with "=" or a leading dash is an option of the main program
  run_result r = run("models=all -i=x.pdb");
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(has(r.err, "sub-command"));
}

TEST_F(VaskExe, option_errors_come_before_reading) {
  run_result r = run("-i=x.pdb --hbond-dist=7");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "invalid option [--hbond-dist=7]: value 7 out of range [2.6, 6]\n"
            "\nTime used: 00:00:00:00\n");
  r = run("-i=x.pdb --hbond-dist");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "wrong format for specifying a var=val pair [--hbond-dist]\n"));
  EXPECT_TRUE(has(r.err, "type: 'belqo-vask -h (or --help)' for further help\n"));
  EXPECT_EQ(r.out, "");
}

TEST_F(VaskExe, cleanup_removes_only_the_auxiliary_files) {
  for (const char* f : {"abc-pairs.pdb", "abc-pairs.cif", "abc-2ndstrs.dbn", "abc-torsions.txt",
                        "vask-bestview.png", "vask-composite.sh", "vask-prog.log", "abc.cif",
                        "vask-pairs.pdb", "keep.txt", "abc-G4modelBBLkg.pdb", "vask-G4modelBBLkg.pdb"})
    touch(f);
  run_result r = run("--cleanup --prefix=abc");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(has(r.err, "done with cleaning up files.\n"));
  // the G4 trace goes by the prefix: another prefix's is not this run's
  for (const char* f : {"abc-pairs.pdb", "abc-pairs.cif", "abc-2ndstrs.dbn", "abc-torsions.txt",
                        "vask-bestview.png", "vask-composite.sh", "vask-prog.log", "abc-G4modelBBLkg.pdb"}) {
    SCOPED_TRACE(f);
    EXPECT_FALSE(exists(f));
  }
  for (const char* f : {"abc.cif", "vask-pairs.pdb", "keep.txt", "x.pdb", "vask-G4modelBBLkg.pdb"}) {
    SCOPED_TRACE(f);
    EXPECT_TRUE(exists(f));
  }
}

TEST_F(VaskExe, cleanup_with_a_pdb_prefix_keeps_the_users_cif_file) {
  for (const char* f : {"1abc.pdb", "1abc.cif", "1abc.pdb-pairs.pdb", "1abc.pdb-pairs.cif"})
    touch(f);
  run_result r = run("--cleanup --prefix=1abc.pdb");
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(exists("1abc.pdb-pairs.pdb"));
  EXPECT_FALSE(exists("1abc.pdb-pairs.cif"));
  EXPECT_TRUE(exists("1abc.pdb"));
  EXPECT_TRUE(exists("1abc.cif"));
}

TEST_F(VaskExe, option_notes_and_checks) {
  run_result r = run("-i=x.pdb --pair");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(has(r.err, "[i] take --pair as --pair-only\n"));

  r = run("-i=x.pdb --nmr=5:2");
  EXPECT_TRUE(has(r.err, "\t[i] ignore wrong order or 0 step: '5:2'\n"
                         "\t[i] no valid numbers specified: take all models\n"));

  r = run("-i=x.pdb \"--block-color=A 255 0 0\"");
  EXPECT_TRUE(has(r.err, "[i] rgb color [255 0 0] (assumed in range [0, 255]) rescaled to "
                         "[1 0 0] (in range [0, 1])\n"));

  touch("f.cfg", "{\"origin\": [0, 0, 0], \"x-axis\": [1, 0, 0], \"z-axis\": [0, 0, 1]}\n");
  r = run("-i=x.pdb --view-mat=f.cfg");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "[e] cannot find required tag 'y[-_]?axis'\n")) << r.err;

  r = run("-i=x.pdb --blocview -o=out.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "[e] PyMOL script must end with the .pml extension\n"));
  r = run("-i=x.pdb --blocview -o=out.pml");
  EXPECT_EQ(r.status, 0);
}

// Block colours and depth dress a block schematic or cartoon script asked
// for by another option; alone they leave the report to run.
TEST_F(VaskExe, block_depth_and_colour_alone_ask_for_no_block_file) {
  touch("a.pdb", test::read_file(test::test_data("1bna.pdb")));
  const struct {
    const char* options;
    const char* starts;  // the output file's first characters
  } cases[] = {
      {"--json --block-depth=1.0", "{"},
      {"--json \"--block-color=A 1 0 0\"", "{"},
      {"--json --block-depth=thick \"--block-color=wc 0 0 1\"", "{"},
      {"--block-depth=1.0", "****"},
      {"--block-file --block-depth=1.0", "belqo-vask"},  // the Raster3D header
      {"--block-file=edge \"--block-color=A 1 0 0\"", "belqo-vask"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    run_result r = run(std::string("-i=a.pdb -o=r.out ") + c.options);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string out = test::read_file((dir_ / "r.out").string());
    EXPECT_EQ(out.rfind(c.starts, 0), 0u) << out.substr(0, 80);
  }
}

TEST_F(VaskExe, hbond_cutoff_from_the_environment) {
  run_result r = run("-i=x.pdb", "VASK_HBOND_CUTOFF=3.5");
  EXPECT_TRUE(has(r.err, "[i] H-bond cutoff set to: 3.50\n"));
  r = run("-i=x.pdb", "VASK_HBOND_CUTOFF=7");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "[e] invalid setting of VASK_HBOND_CUTOFF=7: expect a number in [2.6, 6.0]\n"));
  r = run("-i=x.pdb --hbond-dist=3.2", "VASK_HBOND_CUTOFF=3.5");
  EXPECT_FALSE(has(r.err, "H-bond cutoff"));
}

// An ensemble met in a symmetry mode is analysed for its first model only;
// that fallback is the ensemble's own: the next file of the list is read in
// the mode asked for, with its model numbers in the ids.
TEST_F(VaskExe, symmetry_fallback_of_an_ensemble_stays_with_that_file) {
  touch("list.txt", test::test_data("2koc.pdb") + "\n" + test::test_data("1bna.cif") + "\n");
  run_result r = run("--ilist=list.txt -o=each_ --symm");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.err, "only the FIRST model will be processed"));
  const std::string ensemble = test::read_file((dir_ / "each_2koc.out").string());
  const std::string next = test::read_file((dir_ / "each_1bna.out").string());
  EXPECT_FALSE(has(ensemble, " --symmetry"));
  EXPECT_TRUE(has(next, " --symmetry"));
  EXPECT_TRUE(has(next, "1:A.DC1")) << next;
}

// --pair-only is a product of its own: the pair list of the whole run (or its
// JSON pairs with "program") and no other section or file; the pair ensemble
// file only with the pair-only code 9 or a raised verbosity, as the whole run
// writes it.
TEST_F(VaskExe, pair_only_writes_the_pairs_and_nothing_else) {
  const std::string in = "-i=" + test::test_data("1ehz.cif");
  auto files = [&] {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  };
  auto read = [&](const std::string& name) { return test::read_file((dir_ / name).string()); };
  auto clear = [&] {
    for (const auto& name : files())
      if (name != "x.pdb") fs::remove(dir_ / name);
  };

  ASSERT_EQ(run(in + " -o=whole.out").status, 0);
  const std::string whole = read("whole.out");
  const size_t from = whole.find("\n****************************************************************************\nList of 34 base pairs\n");
  const size_t to = whole.find("\n****", from + 1);
  ASSERT_NE(from, std::string::npos);
  ASSERT_NE(to, std::string::npos);
  clear();
  ASSERT_EQ(run(in + " -o=pairs.out --pair-only").status, 0);
  EXPECT_EQ(read("pairs.out"), whole.substr(from, to - from));
  const std::vector<std::string> alone = {"pairs.out", "x.pdb"};  // the lock file goes with the run
  EXPECT_EQ(files(), alone);

  clear();
  ASSERT_EQ(run(in + " -o=whole.json --json").status, 0);
  const std::string json = read("whole.json");
  const size_t p0 = json.find("\"num_pairs\":34,");
  const size_t p1 = json.find("]", json.find("\"index\":34,", p0));
  ASSERT_NE(p0, std::string::npos);
  ASSERT_NE(p1, std::string::npos);
  clear();
  ASSERT_EQ(run(in + " -o=pairs.json --json --pair-only").status, 0);
  const std::string product = read("pairs.json");
  std::string expected = "{";
  expected.append(json, p0, p1 + 1 - p0);
  expected += ",\"program\":\"belqo-vask v" VASK_VERSION "\"}\n";
  EXPECT_EQ(product, expected);

  // the ensemble file: as the whole run writes it at --more, else only at code 9
  clear();
  ASSERT_EQ(run(in + " -o=whole.out --more").status, 0);
  const std::string ensemble = read("vask-pairs.pdb");
  ASSERT_FALSE(ensemble.empty());
  struct ensemble_case {
    const char* options;
    bool written;
  } cases[] = {{"--pair-only --more", true},
               {"--pair-only=9", true},
               {"--pair-only=1", false},
               {"--pair-only=9 --auxfile=no", false},
               {"--pair-only --more --auxfile=no", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    clear();
    ASSERT_EQ(run(in + " -o=pairs.out " + c.options).status, 0);
    EXPECT_EQ(exists("vask-pairs.pdb"), c.written);
    if (c.written) {
      EXPECT_EQ(read("vask-pairs.pdb"), ensemble);
    }
    EXPECT_EQ(files().size(), c.written ? 3u : 2u);
  }

  // without nucleotides the run says so, as the whole run does
  clear();
  run_result r = run("-i=x.pdb -o=pairs.out --pair-only");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(has(read("pairs.out"), "no nucleotides found"));
}

// A task option given with --pair-only runs on the fully prepared structure:
// the stages the pairs alone leave out (plane contacts, torsions) are there
// for the task, whose product is the one it writes without --pair-only.
TEST_F(VaskExe, a_task_with_pair_only_reads_the_whole_preparation) {
  const std::string in = "-i=" + test::test_data("1ehz.cif");
  for (const char* task : {"--get-stack", "--torsion-file"}) {
    SCOPED_TRACE(task);
    ASSERT_EQ(run(in + " -o=alone.txt " + task).status, 0);
    ASSERT_EQ(run(in + " -o=with.txt --pair-only " + task).status, 0);
    const std::string alone = test::read_file((dir_ / "alone.txt").string());
    EXPECT_FALSE(alone.empty());
    EXPECT_EQ(test::read_file((dir_ / "with.txt").string()), alone);
  }
}

}  // namespace
}  // namespace vask
