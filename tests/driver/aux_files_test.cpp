// The auxiliary-file table and the per-structure pipeline end to end: report
// header, the nucleotide check and the early ends of a single-file run.
#include "driver/aux_files.hpp"
#include "driver/report.hpp"
#include "structure/struct_mol.hpp"
#include "support/file.hpp"
#include "support/settings.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include <filesystem>
#include <fstream>
#include <set>

namespace vask {
namespace {

namespace fs = std::filesystem;

// Runs each test inside a fresh temporary folder.
class AuxFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    set_globals("belqo-vask");
    std::string tmpl = (fs::temp_directory_path() / "vask-aux-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    old_ = fs::current_path();
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
  }
  static void touch(const std::string& name, const std::string& text = "x\n") {
    std::ofstream(name) << text;
  }
  fs::path dir_, old_;
};

TEST(AuxFileName, prefix_suffix_and_cif_twin) {
  set_globals("belqo-vask");
  EXPECT_EQ(aux_file_name("pairs.pdb"), "vask-pairs.pdb");
  mutable_gvars().prefix = std::string(300, 'p');
  EXPECT_EQ(aux_file_name("x"), std::string(256, 'p') + "-x");
  EXPECT_EQ(cif_twin("abc-pairs.pdb"), "abc-pairs.cif");
  EXPECT_EQ(cif_twin("1abc.pdb-torsions.txt"), "");  // only a trailing ".pdb"
  EXPECT_EQ(cif_twin("1abc.pdb-pairs.pdb"), "1abc.pdb-pairs.cif");
  EXPECT_STREQ(aux_file_table[0].suffix, "pairs.pdb");
  EXPECT_STREQ(aux_file_table[58].description, "base helical parameters for rebuilding");
}

TEST_F(AuxFiles, clean_up_setting_zero_keeps_everything) {
  touch("vask-pairs.pdb");
  mutable_gvars().cleanup = 0;
  delete_common_files();
  EXPECT_TRUE(fs::exists("vask-pairs.pdb"));
  mutable_gvars().cleanup = -1;
  delete_common_files();
  EXPECT_FALSE(fs::exists("vask-pairs.pdb"));
}

TEST_F(AuxFiles, collect_lists_present_files_in_table_order_and_drops_empty_ones) {
  mutable_gvars().prefix = "abc";
  auto made = [](const std::string& name, const std::string& text) {
    FILE* fp = create_file(name);  // as the run makes its files
    std::fputs(text.c_str(), fp);
    close_file(fp);
  };
  made("abc-torsions.txt", "x\n");
  made("abc-pairs.cif", "x\n");  // mmCIF form of the first row
  touch("abc-hairpins.pdb");  // an earlier run's file, kept by --cleanup=no: not this run's
  touch("abc-bulges.pdb");    // another, written again by this run as a plain file
  mutable_gvars().cleanup = 0;
  delete_common_files();  // notes what is there
  mutable_gvars().cleanup = -1;
  made("abc-stems.pdb", "");      // empty: removed, not listed
  touch("vask-hairpins.pdb");     // another prefix
  {
    std::ofstream again("abc-bulges.pdb", std::ios::app);
    again << "more\n";
  }
  std::vector<long> rows;
  std::vector<std::string> names;
  EXPECT_EQ(collect_auxfiles(rows, names), 3);
  EXPECT_EQ(rows, (std::vector<long>{0, 19, 27}));
  EXPECT_EQ(names, (std::vector<std::string>{"abc-pairs.cif", "abc-bulges.pdb", "abc-torsions.txt"}));
  EXPECT_FALSE(fs::exists("abc-stems.pdb"));
  EXPECT_TRUE(fs::exists("abc-hairpins.pdb"));
  EXPECT_TRUE(fs::exists("vask-hairpins.pdb"));
}

// ---------------------------------------------------------------------------
// The per-structure pipeline

struct exe_result {
  int status = -1;
  std::string out, err;
};

// Runs the executable in a fresh temporary folder holding copies of the given
// test-data files.
class PipelineExe : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "vask-pipeline-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }
  void copy_data(const std::string& name) {
    fs::copy_file(test::test_data(name), dir_ / name);
  }
  exe_result run(const std::string& args, const std::string& env = "") {
    std::string cmd = "cd '" + dir_.string() + "' && " + env + " '" VASK_EXE "' " + args +
                      " >stdout.txt 2>stderr.txt";
    int rc = std::system(cmd.c_str());
    exe_result r;
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = test::read_file((dir_ / "stdout.txt").string());
    r.err = test::read_file((dir_ / "stderr.txt").string());
    return r;
  }
  fs::path dir_;
};

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(PipelineExe, header_of_1ehz) {
  copy_data("1ehz.pdb");
  exe_result r = run("-i=1ehz.pdb");
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string stars(76, '*');
  EXPECT_EQ(r.out.rfind(stars + "\nbelqo-vask", 0), 0u) << r.out;
  EXPECT_TRUE(has(r.out, "\n" + stars + "\nNote: By default, each nucleotide is identified by "
                         "chainId.name#. So a\n"));
  EXPECT_TRUE(has(r.out, "    Questions and suggestions are *always* welcome on the ORMO "
                         "Forum.\n\nCommand: belqo-vask -i=1ehz.pdb\nDate and time: "));
  EXPECT_TRUE(has(r.out, "File name: 1ehz.pdb\n"
                         "    no. of DNA/RNA chains: 1 [A=76]\n"
                         "    no. of nucleotides:    76\n"
                         "    no. of atoms:          1821\n"
                         "    no. of waters:         160\n"
                         "    no. of metals:         9 [Mg=6,Mn=3]\n"))
      << r.out;
  EXPECT_TRUE(has(r.err, "\nProcessing file '1ehz.pdb'\n"));
  EXPECT_TRUE(has(r.err, "    total number of nucleotides: 76\n"));
}

TEST_F(PipelineExe, command_echo_lists_changed_settings) {
  copy_data("1ehz.pdb");
  exe_result r = run("-i=1ehz.pdb --nt-cutoff=0.3 --prefix=abc -o=out.txt");
  EXPECT_EQ(r.status, 0) << r.err;
  std::string out = test::read_file((dir_ / "out.txt").string());
  EXPECT_TRUE(has(out, "Command: belqo-vask -i=1ehz.pdb --prefix=abc --nt-cutoff=0.3 -o=out.txt\n"))
      << out;
}

TEST_F(PipelineExe, protein_ends_with_no_nucleotides_found) {
  copy_data("1ubq.pdb");
  exe_result r = run("-i=1ubq.pdb");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "    no. of nucleotides:    0\n"));
  EXPECT_EQ(r.out.substr(r.out.size() - 22), "\nno nucleotides found\n");
  // no banner for a structure without nucleotides
  EXPECT_EQ(r.out.rfind(std::string(76, '*') + "\nNote:", 0), 0u);
  // written to a file, the message also goes to the run log
  r = run("-i=1ubq.pdb -o=out.txt");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(has(r.err, "\nno nucleotides found\n"));
}

TEST_F(PipelineExe, a_file_without_atoms_is_an_error) {
  std::ofstream(dir_ / "notes.txt") << "These are notes,\nnot coordinates.\n";
  exe_result r = run("-i=notes.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "[e] no ATOM/HETATM records found in 'notes.txt'\n")) << r.err;
  EXPECT_EQ(r.out, "");
}

// An output whose folder is missing (or is a file) stops the run before any
// analysis, naming the folder: single runs, lists with one report each or
// all in one file, and the list outputs.
TEST_F(PipelineExe, output_folders_are_checked_before_the_analysis) {
  copy_data("1ehz.pdb");
  std::ofstream(dir_ / "files.txt") << "1ehz.pdb\n";
  std::ofstream(dir_ / "plain") << "a file\n";
  const struct {
    const char* args;
    const char* message;
  } cases[] = {
      {"-i=1ehz.pdb -o=nodir/x.txt",
       "[e] cannot write the output file 'nodir/x.txt': the folder 'nodir' does not exist\n"},
      {"--ilist=files.txt -o=out/", "[e] cannot write the reports 'out/<name>': the folder 'out' does not exist\n"},
      {"--ilist=files.txt -o=one:no/all.txt",
       "[e] cannot write the output file 'no/all.txt': the folder 'no' does not exist\n"},
      {"-i=1ehz.pdb -o=plain/x.txt", "[e] cannot write the output file 'plain/x.txt': 'plain' is not a folder\n"},
      {"-i=1ehz.pdb -o=x.txt --pair-list-out=a/b/pairs.txt",
       "[e] cannot write the pair-list output 'a/b/pairs.txt': the folder 'a/b' does not exist\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    exe_result r = run(c.args);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, c.message)) << r.err;
    EXPECT_FALSE(has(r.err, "Processing")) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "vask-pairs.pdb"));
  }
  // with the folder there, the list writes its report into it
  fs::create_directory(dir_ / "out");
  exe_result r = run("--ilist=files.txt -o=out/");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(dir_ / "out" / "1ehz.out"));
}

// After rebuild, mutate, a list run and an SQL run, --cleanup leaves the
// folder as the user made it: inputs and the named outputs, nothing else of
// the program's (no run leaves its lock file behind either).
TEST_F(PipelineExe, cleanup_leaves_only_the_users_files) {
  copy_data("1bna.pdb");
  copy_data("1ehz.pdb");
  std::ofstream(dir_ / "files.txt") << "1ehz.pdb\n";
  const char* runs[] = {"analyze -i=1bna.pdb --rebuild -o=a.txt",
                        "rebuild --par-file=vask-dsStepPars.txt -o=r.pdb",
                        "mutate -i=1bna.pdb --entry='chain=B name=DT num=19 to=DC' -o=m.pdb",
                        "--ilist=files.txt -o=one:all.txt",
                        "-i=1ehz.pdb --sqlite=schema -o=s.txt"};
  for (const char* args : runs) {
    exe_result r = run(args);
    ASSERT_EQ(r.status, 0) << args << "\n" << r.err;
  }
  for (const char* left : {"vask-frames.txt", "vask-rebuildPars.txt", "PDB-lists.txt", "valid-mutations.dat",
                           "vask-sqlite.sql"})
    EXPECT_TRUE(fs::exists(dir_ / left)) << left << " was not written: the test no longer covers it";
  exe_result r = run("--cleanup");
  ASSERT_EQ(r.status, 0) << r.err;
  std::set<std::string> found;
  for (const auto& e : fs::directory_iterator(dir_)) found.insert(e.path().filename().string());
  const std::set<std::string> users = {"1bna.pdb", "1ehz.pdb", "files.txt", "a.txt", "r.pdb", "m.pdb",
                                       "all.txt", "s.txt", "stdout.txt", "stderr.txt"};
  EXPECT_EQ(found, users);
}

TEST_F(PipelineExe, server_cap_limits_the_nucleotides) {
  copy_data("1ehz.pdb");
  exe_result r = run("-i=1ehz.pdb --server=50");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "\ntoo many nucleotides (76 > 50)\n")) << r.out;
}

TEST_F(PipelineExe, data_files_replace_the_built_in_tables) {
  copy_data("1ehz.pdb");
  for (const char* f : {"elements.dat", "atomlist.dat", "baselist.dat"})
    fs::copy_file(fs::path(VASK_TEST_DATA) / "../../data/config" / f, dir_ / f);
  for (const auto& f : fs::directory_iterator(fs::path(VASK_TEST_DATA) / "../../data/standard_frames"))
    fs::copy_file(f.path(), dir_ / f.path().filename());
  exe_result r = run("-i=1ehz.pdb --stand-alone=off");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "    no. of nucleotides:    76\n"));
  EXPECT_TRUE(has(r.out, "    no. of metals:         9 [Mg=6,Mn=3]\n"));
  fs::remove(dir_ / "elements.dat");
  r = run("-i=1ehz.pdb --stand-alone=off", "env -u BELQO_VASK");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "[elements.dat]")) << r.err;
}

// The verdict on a structure's nucleotide count and what the report and run
// log get when it is unfit. Without a stream nothing is judged.
TEST(CheckNts, verdict_report_and_log) {
  const struct {
    long nts, cap, json;
    bool stream;
    const char* output;
    bool fit;
    const char *report, *log;
  } cases[] = {
      {0, 0, 0, false, "stdout", true, "", ""},
      {0, 0, 0, true, "stdout", false, "\nno nucleotides found\n", ""},
      {0, 0, 1, true, "stdout", false, "\"warning\":\"no nucleotides found\"}", ""},
      {0, 0, 0, true, "out.txt", false, "\nno nucleotides found\n", "\nno nucleotides found\n"},
      {76, 0, 0, true, "stdout", true, "", ""},
      {76, 76, 0, true, "stdout", true, "", ""},
      {76, 50, 0, true, "stdout", false, "\ntoo many nucleotides (76 > 50)\n", ""},
      {76, 50, 1, true, "out.json", false, "\"warning\":\"too many nucleotides (76 > 50)\"}",
       "\ntoo many nucleotides (76 > 50)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.nts) + " nts, cap " + std::to_string(c.cap) + ", json " + std::to_string(c.json) +
                 ", " + c.output);
    mutable_gvars() = gvars_rec{};
    mutable_gvars().server_cap = c.cap;
    mutable_gvars().json = c.json;
    struct_mol mol;
    mol.num_nts = c.nts;
    test::log_capture log;
    FILE* fp = c.stream ? std::tmpfile() : nullptr;
    EXPECT_EQ(check_nts(fp, c.output, mol), c.fit);
    EXPECT_EQ(test::read_stream(fp), c.report);
    EXPECT_EQ(log.text(), c.log);
    if (fp) std::fclose(fp);
  }
  mutable_gvars() = gvars_rec{};
}

}  // namespace
}  // namespace vask
