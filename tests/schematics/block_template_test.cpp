#include "pairing/frame.hpp"
#include "schematic_run.hpp"
#include "schematics/block_template.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace vask {
namespace {

class BlockTemplate : public test::SchematicRun {
 protected:
  void SetUp() override {
    test::SchematicRun::SetUp();
    set_globals("belqo-vask");
  }
  void TearDown() override {
    set_globals("belqo-vask");
    test::SchematicRun::TearDown();
  }
  // x and y ranges of a template's atoms.
  static std::array<double, 4> extent(const struct_alchemy& m) {
    std::array<double, 4> e{1e9, -1e9, 1e9, -1e9};
    for (long i = 1; i <= m.num_atoms; ++i) {
      e[0] = std::min(e[0], m.atoms[i].xyz[1]);
      e[1] = std::max(e[1], m.atoms[i].xyz[1]);
      e[2] = std::min(e[2], m.atoms[i].xyz[2]);
      e[3] = std::max(e[3], m.atoms[i].xyz[2]);
    }
    return e;
  }
};

TEST_F(BlockTemplate, names_sizes_and_switches) {
  const struct {
    const char* name;
    bool equal, slim;
    std::array<double, 4> want;
  } cases[] = {
      {"R", false, false, {-2.25, 2.25, 0.5, 5.0}},   {"r", false, false, {-2.25, 2.25, 0.5, 5.0}},
      {"y", false, false, {-2.25, 2.25, 2.0, 5.0}},   {"RY", false, false, {-2.25, 2.25, 0.5, 5.0}},
      {"bp", false, false, {-2.25, 2.25, -5.0, 5.0}}, {"G4", false, false, {-5.8, 5.8, -5.8, 5.8}},
      {"R", true, false, {-2.25, 2.25, 0.0, 5.0}},    {"Y", true, false, {-2.25, 2.25, 0.0, 5.0}},
      {"BP", true, false, {-2.25, 2.25, -5.0, 5.0}},  {"Y", false, true, {-2.25, 1.25, 1.0, 5.0}},
      {"R", true, true, {-2.25, 1.25, 0.0, 5.0}},     {"g4", false, true, {-4.8, 4.8, -4.8, 4.8}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.equal ? " equal" : "") + (c.slim ? " slim" : ""));
    set_globals("belqo-vask");
    mutable_gvars().block_file[BLK_EQUAL] = c.equal;
    mutable_gvars().alc_mol[7] = c.slim;  // the slim word of --alcfile counts as well
    struct_alchemy m;
    read_base_block(c.name, m);
    ASSERT_EQ(m.num_atoms, 12);
    ASSERT_EQ(m.num_bonds, 12);
    EXPECT_EQ(extent(m), c.want);
    EXPECT_EQ(m.atoms[1].type, "N");
    EXPECT_EQ(m.atoms[9].type, "C");
    EXPECT_DOUBLE_EQ(m.atoms[1].xyz[3], 0.25);
    EXPECT_DOUBLE_EQ(m.atoms[3].xyz[3], -0.25);
  }
  EXPECT_EQ(test::fatal_message([] {
              struct_alchemy m;
              read_base_block("A", m);
            }),
            "unrecognized block name 'A'\n");
}

TEST_F(BlockTemplate, depth_sets_every_thickness) {
  mutable_gvars().block_depth = 1.0;
  struct_alchemy m;
  read_base_block("R", m);
  for (long i = 1; i <= 12; ++i) EXPECT_DOUBLE_EQ(std::fabs(m.atoms[i].xyz[3]), 0.5);
  read_peptide_block(m);
  EXPECT_DOUBLE_EQ(m.atoms[5].xyz[3], -0.5);
}

// The data-folder templates (stand-alone off) are the built-in boxes.
TEST_F(BlockTemplate, data_folder_templates_match_the_built_in_ones) {
  setenv("BELQO_VASK", VASK_DATA_DIR "/..", 1);
  for (const char* name : {"R", "Y", "BP", "G4"})
    for (int slim = 0; slim <= 1; ++slim)
      for (int equal = 0; equal <= 1; ++equal) {
        SCOPED_TRACE(std::string(name) + (slim ? " slim" : "") + (equal ? " equal" : ""));
        set_globals("belqo-vask");
        mutable_gvars().block_file[BLK_SLIM] = static_cast<char>(slim);
        mutable_gvars().block_file[BLK_EQUAL] = static_cast<char>(equal);
        struct_alchemy built_in, from_file;
        read_base_block(name, built_in);
        mutable_gvars().stand_alone = 0;
        read_base_block(name, from_file);
        ASSERT_EQ(from_file.num_atoms, built_in.num_atoms);
        for (long i = 1; i <= built_in.num_atoms; ++i) {
          for (int c = 1; c <= 3; ++c) EXPECT_DOUBLE_EQ(from_file.atoms[i].xyz[c], built_in.atoms[i].xyz[c]);
          EXPECT_EQ(from_file.atoms[i].type, built_in.atoms[i].type);
        }
      }
  unsetenv("BELQO_VASK");
}

// A user block file larger than the built-in box, appended twice through
// frames: the model grows, and the second copy's bonds are shifted.
TEST_F(BlockTemplate, appending_grows_the_target_for_larger_user_blocks) {
  std::string text = "   16 ATOMS,    16 BONDS\n";
  for (int i = 1; i <= 16; ++i) text += sformat("%5d C   %9.4f%9.4f%9.4f\n", i, i * 0.1, 1.0, 0.25);
  for (int j = 1; j <= 16; ++j) text += sformat("%5d %5d %5d\n", j, j, j % 16 + 1);
  write("big.alc", text);
  mutable_gvars().block_config[BCFG_PURINE] = path("big.alc");
  struct_alchemy big, target;
  read_base_block("R", big);
  ASSERT_EQ(big.num_atoms, 16);
  frame f;
  set_identity_frame(f);
  f.org = {0, 10, 20, 30};
  EXPECT_EQ(fillout_alc_per_block(big, &f, 5, target), 0);
  EXPECT_EQ(fillout_alc_per_block(big, nullptr, 6, target), 16);
  close_alc_filling(target);
  ASSERT_EQ(target.num_atoms, 32);
  ASSERT_EQ(target.num_bonds, 32);
  EXPECT_DOUBLE_EQ(target.atoms[1].xyz[1], 10.1);
  EXPECT_DOUBLE_EQ(target.atoms[1].xyz[3], 30.25);
  EXPECT_DOUBLE_EQ(target.atoms[17].xyz[1], 0.1);
  EXPECT_DOUBLE_EQ(target.atoms[17].value, 6);
  EXPECT_EQ(target.bonds[32].atom1, 32);
  EXPECT_EQ(target.bonds[32].atom2, 17);
}

TEST_F(BlockTemplate, refCoords_holds_three_arrays_of_25_strings) {
  FILE* fp = std::tmpfile();
  json_RY_WC_blocks(fp);
  const std::string text = test::read_stream(fp);
  std::fclose(fp);
  ASSERT_TRUE(text.starts_with("\"refCoords\":{\"purine\":[\"   12 ATOMS,    12 BONDS\",\"    1 N     "
                               " -2.2500   5.0000   0.2500\",")) << text;
  EXPECT_TRUE(text.ends_with("\"   11    11     7\",\"   12    12     8\"]},")) << text;
  for (const char* key : {"\"purine\":[", "\"pyrimidine\":[", "\"wc_pair\":["}) {
    SCOPED_TRACE(key);
    const size_t start = text.find(key);
    ASSERT_NE(start, std::string::npos);
    const std::string array = text.substr(start, text.find(']', start) - start);
    long strings = 0;
    for (char c : array) strings += c == '"';
    EXPECT_EQ((strings - 2) / 2, 25);  // quotes of the key, then two per string
  }
  EXPECT_NE(text.find("\"    1     1     2\",\"    2     2     3\""), std::string::npos);
}

}  // namespace
}  // namespace vask
