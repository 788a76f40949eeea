#include "pairing/frame.hpp"
#include "pairing/prepare.hpp"
#include "pairing/splay.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "structure/structure_fixture.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <string>
#include <vector>


namespace vask {

namespace {

class SplayTest : public test::StructureTest {
 protected:
  void load(const char* name) {
    init_struct_mol(test::test_data(name), mol_);
    read_pdb(test::test_data(name), mol_);
  }
  void find() { find_ssPars(mol_, num_, steps_, num_units_, units_); }
  long residue_of(long number) const {
    for (long k = 1; k <= mol_.num_residues; ++k)
      if (mol_.residues[k].res_seq == number && is_nt(k, mol_)) return k;
    return 0;
  }
  std::string report() {
    FILE* fp = std::tmpfile();
    output_splays(mol_, num_, steps_, num_units_, units_, fp);
    std::string text = test::read_stream(fp);
    std::fclose(fp);
    return text;
  }
  struct_mol mol_;
  long num_ = -1, num_units_ = -1;
  std::vector<ss_par> steps_;
  std::vector<connect> units_;
};

}  // namespace

// tRNA-Phe: the flipped-out nucleotides of the D loop, the variable loop,
// U8 and the CCA end splay apart; the paired stems do not.
TEST_F(SplayTest, splayed_steps_and_units_of_tRNA) {
  load("1ehz.pdb");
  mutable_gvars().auxfiles = 0;
  find();
  EXPECT_TRUE(mol_.stage.splay_units);
  EXPECT_EQ(num_, mol_.num_framed_nts - 1);
  EXPECT_EQ(mol_.num_splay_units, 9);
  ASSERT_EQ(num_units_, 6);
  EXPECT_NE(quiet_->text().find("    total number of splayed-apart dinucleotides: 9\n"
                                "                        consolidated into units: 6\n"),
            std::string::npos)
      << quiet_->text();
  // units: 7-8, 16-18, 19-20, 46-49, 60-61, 75-76
  const std::vector<std::vector<long>> expected{{7, 8}, {16, 17, 18}, {19, 20}, {46, 47, 48, 49},
                                                {60, 61}, {75, 76}};
  for (long j = 1; j <= num_units_; ++j) {
    SCOPED_TRACE(j);
    ASSERT_EQ(units_[j].count, static_cast<long>(expected[j - 1].size()));
    for (long m = 1; m <= units_[j].count; ++m)
      EXPECT_EQ(mol_.residues[units_[j][m]].res_seq, expected[j - 1][m - 1]);
  }
  EXPECT_EQ(mol_.residues[residue_of(17)].flag[rf::splayed], 2);  // in two splayed steps
  EXPECT_EQ(mol_.residues[residue_of(3)].flag[rf::splayed], 0);   // acceptor stem
  for (long k = 1; k <= num_; ++k) {
    const ss_par& s = steps_[k];
    SCOPED_TRACE(k);
    EXPECT_EQ(mol_.nt_infos[s.nt1].ss.splay_angle, s.splay_angle);  // the nucleotide's copy
    EXPECT_NE(s.pars[3], DBL_MAX);                                   // parameters for every step
    if (s.splay_angle == DBL_MAX) continue;
    EXPECT_EQ(s.splayed, s.splay_angle >= 85.0 ? 1 : 0);
    EXPECT_GT(s.splay_ratio, 0.0);
    EXPECT_LT(s.splay_ratio, 1.0);  // triangle inequality at the phosphorus
  }
  std::string text = report();
  EXPECT_NE(text.find("List of 9 splayed-apart dinucleotides\n"
                      "   1 A.U7     A.U8     angle=127    distance=17.2     ratio=0.90\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Summary of 6 splayed-apart units\n   1 nts=2 UU A.U7,A.U8\n"), std::string::npos);
  EXPECT_NE(text.find("   4 nts=4 gUCc A.7MG46,A.U47,A.C48,A.5MC49\n"), std::string::npos);
  mutable_gvars().json = 1;
  EXPECT_EQ(report().rfind("\"num_splayUnits\":6,\"splayUnits\":[{\"index\":1,", 0), 0u);
}

TEST_F(SplayTest, cutoff_is_inclusive_and_setting_off_does_nothing) {
  load("1ehz.pdb");
  find();
  const ss_par first = steps_[1];
  ASSERT_NE(first.splay_angle, DBL_MAX);
  ASSERT_FALSE(first.splayed);
  mutable_gvars().splay_cutoff = first.splay_angle;  // exactly at the cut-off
  struct_mol again;
  init_struct_mol(test::test_data("1ehz.pdb"), again);
  read_pdb(test::test_data("1ehz.pdb"), again);
  std::swap(mol_, again);
  find();
  EXPECT_EQ(steps_[1].splayed, 1);

  struct_mol off;
  init_struct_mol(test::test_data("1ehz.pdb"), off);
  read_pdb(test::test_data("1ehz.pdb"), off);
  mutable_gvars().ss_par = 0;
  std::swap(mol_, off);
  find();
  EXPECT_EQ(num_, 0);
  EXPECT_EQ(num_units_, 0);
  EXPECT_FALSE(mol_.stage.splay_units);
  EXPECT_EQ(report(), "");
}

TEST_F(SplayTest, steps_across_a_chain_end_have_no_measures_and_duplex_does_not_splay) {
  load("1bna.pdb");
  find();
  EXPECT_EQ(mol_.num_splay_units, 0);
  long unset = 0;
  for (long k = 1; k <= num_; ++k)
    if (steps_[k].splay_angle == DBL_MAX) {
      ++unset;
      EXPECT_NE(mol_.residues[steps_[k].nt1].chain_id, mol_.residues[steps_[k].nt2].chain_id);
      EXPECT_NE(steps_[k].pars[6], DBL_MAX);
    }
  EXPECT_EQ(unset, 1);  // the step from strand A to strand B
}

TEST_F(SplayTest, frame_direction_check_turns_frames_toward_each_other) {
  frame a, b;
  b.org = {0, 0, 0, 3.4};
  b.z_axis = {0, 0, 0, -1};
  b.y_axis = {0, 0, -1, 0};
  check_frames_direction(a, b);
  EXPECT_EQ(a.z_axis[3], 1.0);
  EXPECT_EQ(b.z_axis[3], 1.0);
  EXPECT_EQ(b.y_axis[2], 1.0);
  EXPECT_EQ(b.x_axis[1], 1.0);
}

}  // namespace vask
