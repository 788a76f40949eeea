#include "support/file.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "test_util.hpp"

namespace vask {

namespace {
namespace fs = std::filesystem;

// A fresh temporary directory that is also the working directory while the
// test runs (some routines work on fixed names in the working directory).
class file_dir : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = fs::current_path();
    std::string tmpl = (fs::temp_directory_path() / "vask-file-XXXXXX").string();
    dir_ = mkdtemp(tmpl.data());
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(saved_);
    fs::remove_all(dir_);
  }
  static void write(const std::string& name, const std::string& text) {
    FILE* fp = std::fopen(name.c_str(), "wb");
    std::fputs(text.c_str(), fp);
    std::fclose(fp);
  }
  fs::path saved_;
  std::string dir_;
};
}  // namespace

TEST(open_file, PseudoNamesGiveTheStandardStreams) {
  EXPECT_EQ(open_file("-", "r"), stdin);
  EXPECT_EQ(open_file("stdin", "r"), stdin);
  EXPECT_EQ(open_file("-", "w"), stdout);  // "-" written is standard output
  EXPECT_EQ(open_file("-", "ab"), stdout);
  EXPECT_EQ(open_file("stdout", "r"), stdout);
  EXPECT_EQ(open_file("stderr", "w"), stderr);
  close_file(stdout);  // must leave the stream open
  close_file(nullptr);
  EXPECT_NE(std::fputs("", stdout), EOF);
  EXPECT_TRUE(exist_file("stderr"));
  EXPECT_TRUE(exist_file("-"));
  EXPECT_FALSE(exist_file(""));
}

TEST(open_file, FailureIsFatalWithTheSystemReason) {
  int status = 0;
  EXPECT_EQ(test::fatal_message([] { open_file("/no/such/dir/x.pdb", "r"); }, &status),
            "open_file </no/such/dir/x.pdb> failed: No such file or directory\n");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(test::fatal_message([] { open_file("", "r"); }),
            "open_file <> failed: No such file or directory\n");
  EXPECT_EQ(test::fatal_message([] { fail_nonexist_file("nope.txt"); }),
            "[e] file 'nope.txt' does not exist\n");
}

TEST_F(file_dir, RemoveNeverTouchesPseudoNames) {
  for (const char* name : {"stdin", "-", "stdout", "stderr"}) {
    SCOPED_TRACE(name);
    write(name, "keep");
    remove_file(name);
    EXPECT_TRUE(fs::exists(name));
  }
  remove_file("missing.txt");  // nothing happens
  write("gone.txt", "x");
  remove_file("gone.txt");
  EXPECT_FALSE(fs::exists("gone.txt"));
}

TEST_F(file_dir, SizesCopiesAndConcatenation) {
  create_empty_file("empty.txt");
  EXPECT_TRUE(is_empty_file("empty.txt"));
  write("a.txt", "line 1\nline 2\n");
  EXPECT_EQ(file_size("a.txt"), 14);
  remove_empty_file("a.txt");
  EXPECT_TRUE(fs::exists("a.txt"));
  remove_empty_file("empty.txt");
  EXPECT_FALSE(fs::exists("empty.txt"));

  copy_file("a.txt", "b.txt");
  EXPECT_EQ(test::read_file("b.txt"), "line 1\nline 2\n");
  {
    test::log_capture log;
    copy_file("a.txt", "a.txt");  // never truncates the source
    EXPECT_EQ(log.text(), "same source/destination file named: <a.txt>\n");
  }
  EXPECT_EQ(file_content("a.txt"), "line 1\nline 2\n");
  cat_file("a.txt", "b.txt");
  EXPECT_EQ(file_content("b.txt"), "line 1\nline 2\nline 1\nline 2\n");
  write("c.txt", "head\nline 1\nline 2\n");
  EXPECT_TRUE(same_text_files(1, "c.txt", "a.txt") == false);
  write("d.txt", "other\nline 1\nline 2\n");
  EXPECT_TRUE(same_text_files(1, "c.txt", "d.txt"));
  EXPECT_FALSE(same_text_files(0, "c.txt", "d.txt"));
  rename_file("d.txt", "e.txt");
  EXPECT_TRUE(fs::exists("e.txt"));
  EXPECT_EQ(test::fatal_message([] { rename_file("d.txt", "f.txt"); }),
            "file to be renamed <d.txt> does NOT exist!\n");
}

TEST_F(file_dir, LineReadersAndCleanText) {
  write("cfg.txt", "# header\n\n  pos1 = [1, 2, 3]  # first\r\nname = \"a # b\"\nlast");
  EXPECT_EQ(get_clean_filestr("cfg.txt"), "pos1 = [1, 2, 3] name = \"a # b\" last");
  EXPECT_EQ(get_filestr("cfg.txt"), "# header\n\n  pos1 = [1, 2, 3]  # first\nname = \"a # b\"\nlast\n");
  std::vector<std::string> lines = get_filelines("cfg.txt");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[4], "last");
}

TEST_F(file_dir, CoordinateListKeepsExistingCoordinateFiles) {
  // a name longer than any fixed line buffer: three 200-character directories
  std::string long_dir = std::string(200, 'x') + "/" + std::string(200, 'y') + "/" + std::string(200, 'z');
  fs::create_directories(long_dir);
  std::string long_name = long_dir + "/long.pdb";
  for (const char* name : {"a.pdb", "B.CIF", "c.ent", "d.mmcif", "e.pdbx", "f.PDBX", "notes.txt"})
    write(name, "x");
  write(long_name, "x");
  write("list.txt",
        "# comment line\n"
        "a.pdb extra words\n"
        "notes.txt\n"
        "missing.pdb\n"
        "\n"
        "  B.CIF\n"
        "c.ent\nd.mmcif\ne.pdbx\nf.PDBX\n" +
            long_name + "\n");
  long n = 0;
  std::vector<std::string> names;
  {
    test::log_capture log;
    names = get_coord_lists(n, "list.txt");
    EXPECT_EQ(log.text(),
              "[i] process a list of target structures: 'list.txt'\n    7 valid coordinate files\n");
  }
  EXPECT_EQ(n, 7);
  EXPECT_EQ(names, (std::vector<std::string>{"", "a.pdb", "B.CIF", "c.ent", "d.mmcif", "e.pdbx",
                                             "f.PDBX", long_name}));
  EXPECT_EQ(test::read_file("PDB-lists.txt"),
            "a.pdb\nB.CIF\nc.ent\nd.mmcif\ne.pdbx\nf.PDBX\n" + long_name + "\n");

  write("bad.txt", "# only\nnotes.txt\nmissing.pdb\n");
  test::log_capture log;
  EXPECT_EQ(test::fatal_message([&] { get_coord_lists(n, "bad.txt"); }),
            "[e] no valid coordinate files listed in 'bad.txt'\n");
}

TEST(file_paths, BaseNamesAndExtensions) {
  unsetenv("OS");
  EXPECT_EQ(get_basename("a/b/c.pdb"), "c.pdb");
  EXPECT_EQ(get_basename("c.pdb"), "c.pdb");
  EXPECT_EQ(get_file_extension("dir.v2/file"), "");
  EXPECT_EQ(get_file_extension("a/b.c.pdb"), "pdb");
  EXPECT_EQ(basename_del_ext("a/b.c.pdb"), "b.c");
  EXPECT_EQ(basename_del_ext("a/b"), "b");
  EXPECT_EQ(basename_renew_ext("a/b.pdb", "json"), "b.json");
  std::string stem, ext;
  extract_path_two_parts("a/b.pdb", stem, ext);
  EXPECT_EQ(stem, "a/b");
  EXPECT_EQ(ext, ".pdb");
  extract_path_two_parts("a.d/b", stem, ext);
  EXPECT_EQ(stem, "a.d/b");
  EXPECT_EQ(ext, "");
  extract_path_two_parts("stdout", stem, ext);
  EXPECT_EQ(stem, "stdout");
  std::string dir = "x";
  add_end_slash(dir);
  add_end_slash(dir);
  EXPECT_EQ(dir, "x/");
  delete_end_slash(dir);
  EXPECT_EQ(dir, "x");
  EXPECT_TRUE(with_suffix_nc("out.JSON", ".json"));
  EXPECT_FALSE(with_suffix_nc("outxjson", ".json"));
  EXPECT_TRUE(with_prefix_nc("Triz-run", "triz"));

  setenv("OS", "Windows_NT", 1);
  EXPECT_EQ(get_basename("C:\\data\\x.pdb"), "x.pdb");
  EXPECT_EQ(basename_del_ext("C:\\d.v\\x"), "x");
  unsetenv("OS");
  EXPECT_EQ(get_basename("C:\\data\\x.pdb"), "C:\\data\\x.pdb");
}

// The lock file goes with the lock, and a process that opened the old file
// before it went holds nothing: the next taker locks the new file, and while
// it holds that one a further taker is refused.
TEST_F(file_dir, LockFileRemovedWithoutBreakingExclusion) {
  const int first = acquire_lock_file("l");
  ASSERT_GE(first, 0);
  const int stale = open("l", O_RDWR);  // opened while the first holder had it
  ASSERT_GE(stale, 0);
  EXPECT_EQ(acquire_lock_file("l"), -1);
  release_lock_file("l", first);
  EXPECT_FALSE(fs::exists("l"));
  EXPECT_EQ(flock(stale, LOCK_EX | LOCK_NB), 0);  // the old file: no one's lock any more
  const int second = acquire_lock_file("l");
  ASSERT_GE(second, 0);
  EXPECT_EQ(acquire_lock_file("l"), -1);
  release_lock_file("l", second);
  close(stale);
  EXPECT_FALSE(fs::exists("l"));
}

// A lock file is always empty and goes with the lock: a file with contents
// under the name is someone's data, refused and left as it was.
TEST_F(file_dir, LockRefusesAFileWithContents) {
  { std::ofstream("l") << "data\n"; }
  EXPECT_NE(test::fatal_message([] { acquire_lock_file("l"); }).find("[e] 'l' is not empty: refusing to use it"),
            std::string::npos);
  EXPECT_EQ(test::read_file("l"), "data\n");
}

// Claimed inputs are never written over or removed, whatever the name used.
TEST_F(file_dir, ClaimedInputsAreGuarded) {
  forget_made_files();
  write("in.pdb", "ATOM\n");
  claim_input("input file", "in.pdb");
  EXPECT_EQ(test::fatal_message([] { claim_output("output file", "./in.pdb"); }),
            "[e] the output file './in.pdb' is the input file: refusing to overwrite it\n");
  EXPECT_EQ(test::fatal_message([] { create_file("in.pdb"); }),
            "[e] 'in.pdb' is the input file of this run: refusing to overwrite it\n");
  EXPECT_EQ(test::fatal_message([] { remove_file("./in.pdb"); }),
            "[e] './in.pdb' is the input file of this run: refusing to remove it\n");
  fs::create_symlink("in.pdb", "link.pdb");
  EXPECT_EQ(test::fatal_message([] { open_output("link.pdb"); }),
            "[e] 'link.pdb' is the input file of this run: refusing to overwrite it\n");
  claim_output("output file", "out.txt");
  EXPECT_EQ(test::fatal_message([] { claim_own_output("fixed-name file", "out.txt"); }),
            "[e] the output file and the fixed-name file are the same file 'out.txt'\n");
  EXPECT_EQ(test::read_file("in.pdb"), "ATOM\n");
  remove_made_file("in.pdb");  // not made by this run: kept
  forget_made_files();
  EXPECT_TRUE(fs::exists("in.pdb"));
}

}  // namespace vask
