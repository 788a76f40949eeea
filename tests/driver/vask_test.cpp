#include "driver/vask.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "driver/option.hpp"
#include "test_util.hpp"

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
  Gvars.prefix = std::string(300, 'p');
  EXPECT_EQ(aux_file_name("x"), std::string(256, 'p') + "-x");
  EXPECT_EQ(cif_twin("abc-pairs.pdb"), "abc-pairs.cif");
  EXPECT_EQ(cif_twin("1abc.pdb-torsions.txt"), "");  // only a trailing ".pdb"
  EXPECT_EQ(cif_twin("1abc.pdb-pairs.pdb"), "1abc.pdb-pairs.cif");
  EXPECT_STREQ(aux_file_table[0].suffix, "pairs.pdb");
  EXPECT_STREQ(aux_file_table[58].description, "base helical parameters for rebuilding");
}

TEST_F(AuxFiles, clean_up_setting_zero_keeps_everything) {
  touch("vask-pairs.pdb");
  Gvars.cleanup = 0;
  delete_common_files();
  EXPECT_TRUE(fs::exists("vask-pairs.pdb"));
  Gvars.cleanup = -1;
  delete_common_files();
  EXPECT_FALSE(fs::exists("vask-pairs.pdb"));
}

TEST_F(AuxFiles, collect_lists_present_files_in_table_order_and_drops_empty_ones) {
  Gvars.prefix = "abc";
  touch("abc-torsions.txt");
  touch("abc-pairs.cif");    // mmCIF form of the first row
  touch("abc-stems.pdb", "");  // empty: removed, not listed
  touch("vask-hairpins.pdb");  // another prefix
  std::vector<long> rows;
  std::vector<std::string> names;
  EXPECT_EQ(collect_auxfiles(rows, names), 2);
  EXPECT_EQ(rows, (std::vector<long>{0, 27}));
  EXPECT_EQ(names, (std::vector<std::string>{"abc-pairs.cif", "abc-torsions.txt"}));
  EXPECT_FALSE(fs::exists("abc-stems.pdb"));
  EXPECT_TRUE(fs::exists("vask-hairpins.pdb"));
}

}  // namespace
}  // namespace vask
