// Base pairs: the record, the naming and class tables on hand-made pairs,
// best pairs, tidy-up and user marks, pair lists and the writers.
#include "json_check.hpp"
#include "pairing/frame.hpp"
#include "pairing/pair.hpp"
#include "pairing/prepare.hpp"
#include "structure/residue_info.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/quaternion.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace vask {
namespace {

class PairTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mutable_gvars() = gvars_rec{};
    VERBOSITY = 0;
  }
  void TearDown() override {
    mutable_gvars() = gvars_rec{};
    VERBOSITY = 0;
  }
};

// A structure of nucleotides with the given one-letter codes, ids "A.<letter><k>".
struct_mol make_nts(const std::string& letters) {
  struct_mol mol;
  const long n = static_cast<long>(letters.size());
  mol.num_residues = n;
  mol.num_nts = n;
  mol.residues.assign(static_cast<size_t>(n + 1), residue{});
  mol.nt_infos.assign(static_cast<size_t>(n + 1), nt_info{});
  mol.num_atoms = n;  // one atom per residue
  mol.atoms.assign(static_cast<size_t>(n + 1), atom{});
  for (long k = 1; k <= n; ++k) {
    residue& r = mol.residues[k];
    r.index = k;
    r.first_atom = r.last_atom = k;
    mol.atoms[k].residue = k;
    r.letter = letters[static_cast<size_t>(k - 1)];
    r.flag[rf::is_nt] = 1;
    r.idstr = sformat("A.%c%ld", r.letter, k);
  }
  return mol;
}

// A pair described only by the fields the naming tables read.
pair hand_pair(long i, long j, const char* bp, const char* own, par_set pars, double dwc) {
  pair p;
  init_one_pair(p);
  p.nt1 = i;
  p.nt2 = j;
  p.bp = bp;
  p.bp_upper = upper_copy(p.bp);
  p.VASK = own;
  p.bp_params = pars;
  p.plus_face = p.bp[1] == '+';
  p.dWC = dwc;
  p.interBase_angle = 10;
  p.dv = 0.2;
  p.rsum = 0.3;
  return p;
}

bond base_hbond(double d, long status) {
  bond b;
  b.distance = d;
  b.status = status;
  b.type = 'p';
  b.good_type = b.both_base = 1;
  return b;
}

TEST_F(PairTest, NewRecordHasItsDefaults) {
  pair p;
  init_one_pair(p);
  EXPECT_EQ(p.Saenger, "--");
  EXPECT_EQ(p.LW, "...");
  EXPECT_EQ(p.VASK, "....");
  EXPECT_EQ(p.cis_trans, '.');
  EXPECT_EQ(p.planarity, -1.0);
  EXPECT_EQ(p.area, -1.0);
  EXPECT_EQ(p.dWC, DBL_MAX);
  EXPECT_EQ(p.bp_params[6], DBL_MAX);
  EXPECT_EQ(p.nt1, -1);
  EXPECT_EQ(allocate_pairs_array(0).size(), 1u);
  EXPECT_EQ(allocate_pairs_array(3)[3].Saenger, "--");
  EXPECT_EQ(Saenger2Roman[28], std::string("28-XXVIII"));
}

TEST_F(PairTest, QueriesAndOrder) {
  pair a, b, c;
  a.nt1 = 3, a.nt2 = 9;
  b.nt1 = 3, b.nt2 = 12;
  c.nt1 = 4, c.nt2 = 5;
  EXPECT_LT(pair_compare(a, b), 0);
  EXPECT_LT(pair_compare(b, c), 0);
  EXPECT_EQ(pair_compare(c, c), 0);
  EXPECT_EQ(pair_other_nt(a, 3), 9);
  EXPECT_EQ(pair_other_nt(a, 9), 3);
  EXPECT_EQ(pair_other_nt(a, 77), 3);  // in neither slot: nt1
  EXPECT_TRUE(pair_with_two_nts(a, 9, 3));
  pair r = a;
  std::swap(r.nt1, r.nt2);
  EXPECT_TRUE(two_pairs_match(a, r));
  EXPECT_FALSE(two_pairs_match(a, b));
}

TEST_F(PairTest, CommonNamesByTheirWindows) {
  const struct {
    const char* what;
    const char* bp;
    const char* own;
    par_set pars;
    double dwc;
    const char* name;
  } cases[] = {
      {"G-C Watson-Crick", "G-C", "cW-W", {0, 0.1, -0.1, 0.2, 5, -10, 1}, -8, "WC"},
      {"G-U wobble, shear on the G side", "G-U", "cW-W", {0, -2.2, -0.4, 0.1, 3, -8, 2}, -20, "Wobble"},
      {"U-G wobble, letters swapped", "U-G", "cW-W", {0, 2.2, -0.4, 0.1, 3, -8, 2}, -20, "Wobble"},
      {"G-U with the shear on the wrong side", "G-U", "cW-W", {0, 2.2, -0.4, 0.1, 3, -8, 2}, -20, "~Wobble"},
      {"A+U Hoogsteen", "A+U", "cM+W", {0, 0.5, 3.2, 0.1, 3, 5, 70}, 30, "Hoogsteen"},
      {"A-U reverse Hoogsteen", "A-U", "tM-W", {0, 4.0, -1.5, 0.1, 3, 5, -95}, -40, "rHoogsteen"},
      {"G-A sheared", "G-A", "tm-M", {0, 6.5, -4.5, 0.1, 3, 5, -10}, -60, "Sheared"},
      {"C-A reverse Hoogsteen-like", "C-A", "tM-W", {0, 4.0, -1.5, 0.1, 3, 5, -95}, -40, "~rHoogsteen"},
      {"A-G outside every window", "A-G", "cW-W", {0, 9, 9, 0, 0, 0, 170}, -80, "--"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    pair p = hand_pair(1, 2, c.bp, c.own, c.pars, c.dwc);
    classify_pair(p, std::vector<bond>(1), 0, 0);
    EXPECT_EQ(p.name, c.name);
    EXPECT_EQ(p.canonical, p.WC || p.Wobble);
  }
}

TEST_F(PairTest, SaengerClassesAndReconciliation) {
  // two base-to-base H-bonds between two atoms each, as a canonical pair has
  auto with_hbonds = [](pair p) {
    p.num_base_polar_hbonds = 2;
    p.num_base_atoms = 2;
    return p;
  };
  pair gc = with_hbonds(hand_pair(1, 2, "G-C", "cW-W", {0, 0.1, -0.1, 0.2, 5, -10, 1}, -8));
  classify_pair(gc, std::vector<bond>(1), 0, 0);
  EXPECT_EQ(gc.Saenger, "19-XIX");
  EXPECT_TRUE(gc.WC_geometry);

  pair at = with_hbonds(hand_pair(1, 2, "A-T", "cW-W", {0, 0.1, -0.1, 0.2, 5, -10, 1}, -8));
  classify_pair(at, std::vector<bond>(1), 0, 0);
  EXPECT_EQ(at.Saenger, "20-XX");

  pair gu = with_hbonds(hand_pair(1, 2, "G-U", "cW-W", {0, -2.2, -0.4, 0.1, 3, -8, 2}, -20));
  classify_pair(gu, std::vector<bond>(1), 0, 0);
  EXPECT_EQ(gu.Saenger, "28-XXVIII");
  EXPECT_TRUE(gu.canonical);

  // no H-bonds: the class comes only from the name flags
  pair bare = hand_pair(1, 2, "A-U", "cW-W", {0, 0.1, -0.1, 0.2, 5, -10, 1}, -8);
  classify_pair(bare, std::vector<bond>(1), 0, 0);
  EXPECT_EQ(bare.Saenger, "20-XX");

  // G+G of a G-tetrad: the dWC rule gives class 6 even without H-bonds
  pair gg = hand_pair(1, 2, "G+G", "cW+M", {0, 1.5, 3.5, 0.1, 3, 5, 90}, 60);
  classify_pair(gg, std::vector<bond>(1), 0, 0);
  EXPECT_EQ(gg.Saenger, "06-VI");
  EXPECT_TRUE(gg.G4_pair);

  pair cc = with_hbonds(hand_pair(1, 2, "C+C", "tW+W", {0, 2.0, 1.0, 0.1, 3, 5, 170}, 40));
  cc.hbond_text = "O2(carbonyl)-N4(amino)[2.90],N3-N3[2.80]";
  classify_pair(cc, std::vector<bond>(1), 0, 0);
  EXPECT_EQ(cc.Saenger, "15-XV");
  EXPECT_TRUE(cc.CC_pair);
}

TEST_F(PairTest, RecoveredAndPlatformAndSimpleNaming) {
  // G-C named "~Wobble" first, dWC -20: promoted to WC
  pair p = hand_pair(1, 2, "G-C", "cW-W", {0, 2.0, 0.5, 0.1, 3, -8, 10}, -20);
  classify_pair(p, std::vector<bond>(1), 0, 0);
  EXPECT_EQ(p.name, "WC");
  EXPECT_EQ(p.WC_recovered, 1);
  EXPECT_TRUE(p.canonical);

  // linked neighbours are a platform, never WC or Metal
  pair q = hand_pair(1, 2, "G-C", "cW-W", {0, 0.1, -0.1, 0.2, 5, -10, 1}, -8);
  classify_pair(q, std::vector<bond>(1), 1, 7);
  EXPECT_EQ(q.name, "Platform");
  EXPECT_FALSE(q.WC);
  EXPECT_EQ(q.metal, 0);

  // a nameless pair whose bases share a metal
  pair m = hand_pair(1, 2, "A-G", "cW-W", {0, 9, 9, 0, 0, 0, 170}, -80);
  classify_pair(m, std::vector<bond>(1), 0, 7);
  EXPECT_EQ(m.name, "Metal");
  EXPECT_EQ(m.metal, 7);

  mutable_gvars().pair_name = 1;
  pair h = hand_pair(1, 2, "G+C", "cM+W", {0, 0.5, 3.2, 0.1, 3, 5, 70}, 30);
  classify_pair(h, std::vector<bond>(1), 0, 0);
  EXPECT_EQ(h.name, "--");
}

TEST_F(PairTest, NucleotidesWithoutBaseFramesStayUnnamed) {
  struct_mol mol = make_nts("GC");
  pair p;
  populate_one_base_pair(1, 2, mol, p);
  EXPECT_EQ(p.nt1, 1);
  EXPECT_EQ(p.nt2, 2);
  EXPECT_EQ(p.name, "--");
  EXPECT_EQ(p.LW, "--");
  EXPECT_FALSE(p.canonical);
}

TEST_F(PairTest, QualityScore) {
  pair p = hand_pair(1, 2, "G-C", "cW-W", {0, 0.1, -0.1, 0.2, 5, -10, 1}, -6);
  p.WC_geometry = 1;
  // two base-to-base H-bonds: 2.9 (mutual best) and 3.2 (not): h = 0.1 + 0.2 + 1 + 3
  std::vector<bond> hb{bond{}, base_hbond(2.9, 1), base_hbond(3.2, 2)};
  EXPECT_NEAR(get_pair_quality(p, hb, 0), (4.3 / 3.0) * 6 + 5 * 0.3 + 3 * 0.2, 1e-9);
  // no H-bonds, minus face, G-U letters: 9/3 x |dWC| + ... + 3; linked adds 3 to h
  pair q = hand_pair(1, 2, "G-U", "cW-W", {0, 0, 0, 0, 0, 0, 0}, -6);
  EXPECT_NEAR(get_pair_quality(q, std::vector<bond>(1), 0), 3.0 * 6 + 1.5 + 0.6 + 3.0, 1e-9);
  EXPECT_NEAR(get_pair_quality(q, std::vector<bond>(1), 1), 4.0 * 6 + 1.5 + 0.6 + 3.0, 1e-9);
  // the plus face costs 10, and G+U is not among the wobble letters (6)
  pair r = hand_pair(1, 2, "G+U", "cW+W", {0, 0, 0, 0, 0, 0, 0}, 6);
  EXPECT_NEAR(get_pair_quality(r, std::vector<bond>(1), 0), 3.0 * 6 + 1.5 + 10 + 0.6 + 6.0, 1e-9);
}

TEST_F(PairTest, BestPairsByMutualLowestScore) {
  std::vector<pair> pairs = allocate_pairs_array(2);
  pairs[1].nt1 = 1, pairs[1].nt2 = 2, pairs[1].quality = 1.0;
  pairs[2].nt1 = 2, pairs[2].nt2 = 3, pairs[2].quality = 0.5;
  mark_best_pairs_by_score(2, pairs, 3);
  EXPECT_FALSE(pairs[1].best);
  EXPECT_TRUE(pairs[2].best);
  EXPECT_EQ(pairs[1].quality, 1.0);  // scores come back positive

  // equal scores sharing a nucleotide: the earlier pair wins
  pairs[1].best = pairs[2].best = 0;
  pairs[2].quality = 1.0;
  mark_best_pairs_by_score(2, pairs, 3);
  EXPECT_TRUE(pairs[1].best);
  EXPECT_FALSE(pairs[2].best);

  // a second pass finds pairs among the nucleotides left over
  std::vector<pair> four = allocate_pairs_array(3);
  four[1].nt1 = 1, four[1].nt2 = 2, four[1].quality = 2.0;
  four[2].nt1 = 2, four[2].nt2 = 3, four[2].quality = 1.0;
  four[3].nt1 = 3, four[3].nt2 = 4, four[3].quality = 3.0;
  mark_best_pairs_by_score(3, four, 4);
  EXPECT_TRUE(four[2].best);
  EXPECT_FALSE(four[1].best);
  EXPECT_FALSE(four[3].best);
}

TEST_F(PairTest, TidyUpDemotesLosingCanonicalPairsAndMarksResidues) {
  struct_mol mol = make_nts("GCCS");
  std::vector<pair> pairs = allocate_pairs_array(3);
  auto wc = [](pair& p, long i, long j, double q) {
    p.nt1 = i, p.nt2 = j, p.quality = q;
    p.WC = p.canonical = 1;
    p.name = "WC";
    p.Saenger_num = 19;
    p.Saenger = "19-XIX";
  };
  wc(pairs[1], 1, 2, 1.0);
  wc(pairs[2], 1, 3, 2.0);  // loses to pair 1
  pairs[3].nt1 = 3, pairs[3].nt2 = 4, pairs[3].quality = 5.0, pairs[3].Sheared = 1, pairs[3].CC_pair = 1;
  tidyup_and_mark_pairs(3, pairs, mol);
  EXPECT_TRUE(pairs[1].best);
  EXPECT_EQ(pairs[2].name, "--");
  EXPECT_EQ(pairs[2].Saenger, "--");
  EXPECT_FALSE(pairs[2].canonical);
  EXPECT_EQ(mol.residues[1].flag[rf::wc_partner], 2);
  EXPECT_EQ(mol.residues[2].flag[rf::canonical_partner], 1);
  EXPECT_EQ(mol.residues[1].flag[rf::bestpair], 2);
  EXPECT_EQ(mol.residues[1].flag[rf::num_pairs], 2);
  EXPECT_EQ(mol.residues[3].flag[rf::noncanonical_pairs], 2);
  EXPECT_EQ(pairs[3].index, 3);
  // C+C and sheared at once counts once, as C+C
  EXPECT_EQ(mol.pair_tallies[TALLY_CC], 1);
  EXPECT_EQ(mol.pair_tallies[TALLY_SHEARED], 0);
  // marking twice (as after pseudoknot removal) does not double the counts
  mark_residue_str_pair(3, pairs, mol);
  EXPECT_EQ(mol.residues[1].flag[rf::num_pairs], 2);
}

TEST_F(PairTest, UserMarksKeepOneCanonicalPartner) {
  struct_mol mol = make_nts("GCG");
  std::vector<pair> pairs = allocate_pairs_array(2);
  pairs[1].nt1 = 1, pairs[1].nt2 = 2, pairs[1].best = 1, pairs[1].WC = pairs[1].canonical = 1;
  pairs[1].name = "WC";
  pairs[2].nt1 = 3, pairs[2].nt2 = 2, pairs[2].user_mark = 9;
  apply_user_pair_marks(2, pairs, mol);
  EXPECT_TRUE(pairs[2].best);
  EXPECT_FALSE(pairs[1].best);
  EXPECT_FALSE(pairs[1].canonical);  // demoted as a losing canonical pair
  EXPECT_EQ(pairs[1].name, "--");

  pairs[1].user_mark = -1;
  pairs[1].WC = pairs[1].canonical = 1;
  pairs[2].user_mark = 0;
  apply_user_pair_marks(2, pairs, mol);
  EXPECT_FALSE(pairs[1].canonical);
  EXPECT_FALSE(pairs[1].WC);
}

TEST_F(PairTest, PairListLinesAndErrors) {
  struct_mol mol = make_nts("GC");
  const char* text = "# 1 (no. of base pairs)\nnum_pairs=1\n7\nhello world\n";
  FILE* fp = fmemopen(const_cast<char*>(text), std::strlen(text), "r");
  test::log_capture log;
  const auto lines = parse_pairs_list(fp, mol, "list.txt");
  std::fclose(fp);
  EXPECT_TRUE(lines.empty());
  EXPECT_NE(log.text().find("[w] ignore invalid entry: 'hello world'"), std::string::npos);
  EXPECT_EQ(log.text().find("num_pairs"), std::string::npos);

  const std::string path = testing::TempDir() + "pairs_none.txt";
  FILE* out = std::fopen(path.c_str(), "w");
  std::fputs("# nothing here\nnum_pairs=0\n", out);
  std::fclose(out);
  int status = 0;
  long n = 0;
  const std::string msg = test::fatal_message([&] { read_pairs_list(path, mol, n); }, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(msg, "[e] no valid list of pairs in: '" + path + "'\n");
}

TEST_F(PairTest, HbondTextUsesFunctionalGroups) {
  EXPECT_EQ(atom_name_to_functional_group('g', " O6 "), "O6(carbonyl)");
  EXPECT_EQ(atom_name_to_functional_group('C', " N4 "), "N4(amino)");
  EXPECT_EQ(atom_name_to_functional_group('C', " N3 "), "N3");
  EXPECT_EQ(atom_name_to_functional_group('A', " O2'"), "O2'(hydroxyl)");

  struct_mol mol = make_nts("GC");
  mol.num_atoms = 4;
  mol.atoms.assign(5, atom{});
  const char* names[] = {"", " O6 ", " N1 ", " N4 ", " N3 "};
  for (long k = 1; k <= 4; ++k) mol.atoms[k].name = names[k];
  std::vector<bond> hb(3);
  hb[1].atom1 = 1, hb[1].atom2 = 3, hb[1].distance = 2.914, hb[1].type = 'p';
  hb[2].atom1 = 2, hb[2].atom2 = 4, hb[2].distance = 2.9, hb[2].type = 'x';
  EXPECT_EQ(derive_hbondStr('G', 'C', mol, 2, hb), "O6(carbonyl)-N4(amino)[2.91],N1(imino)*N3[2.90]");
  EXPECT_EQ(derive_hbondStr(0, 0, mol, 2, hb), "O6-N4[2.91],N1*N3[2.90]");
  EXPECT_EQ(derive_hbondStr('G', 'C', mol, 0, hb), "");
}

TEST_F(PairTest, ManyHbondsAreCappedWithAWarning) {
  struct_mol mol = make_nts("GC");
  const long nh = 40;
  mol.num_atoms = 2 * nh;
  mol.atoms.assign(static_cast<size_t>(2 * nh + 1), atom{});
  mol.json_hbonds.assign(1, bond{});
  std::vector<bond> hb(1);
  for (long k = 1; k <= nh; ++k) {
    bond b;
    b.atom1 = 2 * k - 1;
    b.atom2 = 2 * k;
    b.index = k;
    b.good_type = 1;
    b.distance = 3.0;
    b.type = 'p';
    hb.push_back(b);
    mol.json_hbonds.push_back(b);
  }
  mol.num_json_hbonds = nh;
  mutable_gvars().idstr = 5;
  pair p;
  test::log_capture log;
  derive_pair_hbonds(nh, hb, mol, p);
  EXPECT_EQ(p.num_hbonds, nh);
  EXPECT_EQ(p.num_hbond_indices, MAX_PAIR_HBONDS);
  EXPECT_EQ(p.hbond_indices[31], 31);
  EXPECT_NE(log.text().find("[w] more than 31 H-bonds in one pair"), std::string::npos);
}

TEST_F(PairTest, TextSectionAndJsonKeys) {
  struct_mol mol = make_nts("GC");
  std::vector<pair> pairs = allocate_pairs_array(1);
  pairs[1] = hand_pair(1, 2, "G-C", "cW-W", {0, 0.1, -0.1, 0.2, 5, -10, 1}, -8);
  pairs[1].name = "WC";
  pairs[1].LW = "cWW";
  pairs[1].Saenger = "19-XIX";
  FILE* fp = std::tmpfile();
  output_pairs_info(1, pairs, mol, fp);
  const std::string text = test::read_stream(fp);
  std::fclose(fp);
  EXPECT_NE(text.find("List of 1 base pair\n"), std::string::npos);
  EXPECT_NE(text.find("   1 A.G1           A.C2           G-C WC          19-XIX    cWW  cW-W\n"), std::string::npos);

  pairs.push_back(pairs[1]);
  pairs[2].LW = "--";
  pairs[2].VASK = "--";
  fp = std::tmpfile();
  output_pairs_info(2, pairs, mol, fp);
  const std::string two = test::read_stream(fp);
  std::fclose(fp);
  EXPECT_NE(two.find("List of 2 base pairs\n"), std::string::npos);
  EXPECT_NE(two.find("19-XIX    --   --\n"), std::string::npos);

  mutable_gvars().json = 9;
  fp = std::tmpfile();
  output_pairs_info(1, pairs, mol, fp);
  const std::string json = test::read_stream(fp);
  std::fclose(fp);
  EXPECT_EQ(json,
            "\"num_pairs\":1,\"pairs\":[{\"index\":1,\"nt1\":\"A.G1\",\"nt2\":\"A.C2\",\"bp\":\"G-C\",\"name\":\"WC\","
            "\"Saenger\":\"19-XIX\",\"LW\":\"cWW\",\"VASK\":\"cW-W\"}],");
  EXPECT_EQ(test::json_members_error(json.substr(0, json.size() - 1)), "");  // without the trailing comma
}

TEST_F(PairTest, MoreDetailPrintsDashesForUnsetValues) {
  struct_mol mol = make_nts("GC");
  pair p = hand_pair(1, 2, "G-C", "cW-W", {0, 0.1, -0.1, 0.2, 5, -10, 1}, -8);
  FILE* fp = std::tmpfile();
  display_more_pair_info(p, mol, fp);
  const std::string text = test::read_stream(fp);
  std::fclose(fp);
  EXPECT_NE(text.find(" lambda=--]"), std::string::npos);
  EXPECT_NE(text.find("d(C1'-C1')=--"), std::string::npos);
  EXPECT_NE(text.find("       H-bonds[0]: \"\"\n"), std::string::npos);
}

TEST_F(PairTest, PairListFileHasAHeaderAndOneLinePerPair) {
  struct_mol mol = make_nts("GCAU");
  std::vector<pair> pairs = allocate_pairs_array(3);
  const long ij[4][2] = {{0, 0}, {1, 2}, {3, 4}, {1, 4}};
  for (long k = 1; k <= 3; ++k) {
    pairs[k].nt1 = ij[k][0];
    pairs[k].nt2 = ij[k][1];
    pairs[k].bp = "G-C";
    pairs[k].name = "--";
  }
  pairs[2].best = 1;
  const std::string path = testing::TempDir() + "pairs_list.txt";
  write_pairs_list(path, mol, 3, pairs);
  const std::string text = test::read_file(path);
  EXPECT_EQ(text,
            "# 3 (no. of base pairs)\n"
            "     1      2  # .    1 A.G1           A.C2           G-C --\n"
            "     3      4  # o    2 A.A3           A.U4           G-C --\n"
            "     1      4  # .    3 A.G1           A.U4           G-C --\n");
  std::remove(path.c_str());
}

}  // namespace
}  // namespace vask

namespace vask {
namespace {

// The twelve Watson-Crick pairs of the B-DNA dodecamer, described one by one.
TEST_F(PairTest, DodecamerPairsByGeometry) {
  struct_mol mol;
  test::log_capture log;
  read_pdb(test::test_data("1bna.pdb"), mol);
  ASSERT_EQ(mol.num_nts, 24);
  for (long i = 1; i <= 12; ++i) {
    pair p;
    populate_one_base_pair(i, 25 - i, mol, p);
    SCOPED_TRACE(get_pair_idstr(i, p, mol));
    EXPECT_EQ(p.name, "WC");
    EXPECT_TRUE(p.canonical);
    EXPECT_EQ(p.LW, "cWW");
    EXPECT_EQ(p.VASK, "cW-W");
    EXPECT_EQ(p.Saenger, p.bp_upper.find('G') != std::string::npos ? "19-XIX" : "20-XX");
    EXPECT_LT(p.C1C1_dist, 11.0);
    EXPECT_GT(p.C1C1_dist, 10.0);
  }
}

}  // namespace
}  // namespace vask

namespace vask {
namespace {

namespace fs = std::filesystem;

// The pairs of a real structure, found by the whole pipeline.
struct found_pairs {
  struct_mol mol;
  long n = 0;
  std::vector<pair> pairs;
  const pair* get(const std::string& id1, const std::string& id2) const {
    for (long k = 1; k <= n; ++k) {
      const std::string& a = mol.residues[pairs[k].nt1].idstr;
      const std::string& b = mol.residues[pairs[k].nt2].idstr;
      if ((a == id1 && b == id2) || (a == id2 && b == id1)) return &pairs[k];
    }
    return nullptr;
  }
};

void find_structure_pairs(const std::string& name, found_pairs& f) {
  test::log_capture log;
  mutable_gvars().auxfiles = 0;
  read_pdb(test::test_data(name), f.mol);
  find_pairs(f.mol, f.n, f.pairs, 0);
}

TEST_F(PairTest, TransferRnaPairsByName) {
  found_pairs f;
  find_structure_pairs("1ehz.pdb", f);
  EXPECT_EQ(f.n, 34);
  // the four stems of the cloverleaf: 20 canonical pairs
  const long stems[][2] = {{1, 72}, {2, 71}, {3, 70}, {4, 69}, {5, 68}, {6, 67}, {7, 66},
                           {10, 25}, {11, 24}, {12, 23}, {13, 22},
                           {27, 43}, {28, 42}, {29, 41}, {30, 40},
                           {49, 65}, {50, 64}, {51, 63}, {52, 62}, {53, 61}};
  long canonical = 0;
  for (long k = 1; k <= f.n; ++k) canonical += f.pairs[k].canonical;
  EXPECT_EQ(canonical, 21);  // the stems and G19-C56
  for (const auto& s : stems) {
    const pair* p = nullptr;
    for (long k = 1; k <= f.n; ++k)
      if (f.mol.residues[f.pairs[k].nt1].res_seq == s[0] && f.mol.residues[f.pairs[k].nt2].res_seq == s[1])
        p = &f.pairs[k];
    SCOPED_TRACE(sformat("%ld-%ld", s[0], s[1]));
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->canonical);
    EXPECT_TRUE(p->best);
    EXPECT_EQ(p->LW, "cWW");
  }
  // A31-PSU39 sits in the anticodon stem in Watson-Crick geometry, but its
  // letters (A-P) are not a canonical pair
  const pair* ap = f.get("A.A31", "A.PSU39");
  ASSERT_NE(ap, nullptr);
  EXPECT_FALSE(ap->canonical);
  EXPECT_EQ(ap->LW, "cWW");

  const struct {
    const char* nt1;
    const char* nt2;
    const char* name;
    const char* LW;
    const char* Saenger;
  } tertiary[] = {
      {"A.G4", "A.U69", "Wobble", "cWW", "28-XXVIII"},
      {"A.G19", "A.C56", "WC", "cWW", "19-XIX"},
      {"A.G15", "A.C48", "rWC", "tWW", "22-XXII"},  // the Levitt pair
      {"A.U8", "A.A14", "rHoogsteen", "tWH", "24-XXIV"},
      {"A.5MU54", "A.1MA58", "rHoogsteen", "tWH", "24-XXIV"},
      {"A.A9", "A.A23", "--", "tHH", "02-II"},
      {"A.G18", "A.PSU55", "--", "tWS", "--"},
      {"A.M2G26", "A.A44", "Imino", "cWW", "08-VIII"},
      {"A.G22", "A.7MG46", "--", "tHW", "07-VII"},
      {"A.2MG10", "A.G45", "--", "cHS", "--"},
  };
  for (const auto& t : tertiary) {
    SCOPED_TRACE(std::string(t.nt1) + " " + t.nt2);
    const pair* p = f.get(t.nt1, t.nt2);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->name, t.name);
    EXPECT_EQ(p->LW, t.LW);
    EXPECT_EQ(p->Saenger, t.Saenger);
  }
}

TEST_F(PairTest, QuadruplexGuaninePairsAndTetradRevision) {
  found_pairs f;
  find_structure_pairs("1jjp.cif", f);
  long gg = 0;
  for (long k = 1; k <= f.n; ++k) {
    const pair& p = f.pairs[k];
    if (p.bp_upper != "G+G") continue;
    ++gg;
    EXPECT_EQ(p.Saenger, "06-VI");
    EXPECT_TRUE(p.LW == "cWH" || p.LW == "cHW") << p.LW;
  }
  EXPECT_EQ(gg, 16);  // four G-tetrads
  EXPECT_EQ(f.mol.pair_tallies[TALLY_G4], 16);
  // every tetrad pair passes the tetrad test, so the revision runs on them
  long tetrad_pairs = 0;
  for (long k = 1; k <= f.n; ++k) tetrad_pairs += tetrad_like_G4pair(f.pairs[k], f.mol, nullptr);
  EXPECT_EQ(tetrad_pairs, 16);
  // afterwards no guanine has two best partners
  std::vector<long> best_count(static_cast<size_t>(f.mol.num_residues + 1), 0);
  for (long k = 1; k <= f.n; ++k)
    if (f.pairs[k].best) {
      ++best_count[static_cast<size_t>(f.pairs[k].nt1)];
      ++best_count[static_cast<size_t>(f.pairs[k].nt2)];
    }
  for (long r = 1; r <= f.mol.num_residues; ++r) EXPECT_LE(best_count[static_cast<size_t>(r)], 1) << r;
}

// "Metal" names pairs whose bases both coordinate one metal lying in both base
// planes: a quadruplex's channel K+ sits between the tetrads, out of plane.
TEST_F(PairTest, MetalPairsNeedTheMetalInBothBasePlanes) {
  found_pairs duplex;
  find_structure_pairs("1duq.pdb", duplex);
  const pair* in_plane = duplex.get("A.G106", "B.G124");
  ASSERT_NE(in_plane, nullptr);
  EXPECT_EQ(in_plane->name, "Metal");
  EXPECT_GT(in_plane->metal, 0);

  found_pairs quadruplex;
  find_structure_pairs("5v3f-assembly1.cif", quadruplex);
  const struct_mol& mol = quadruplex.mol;
  long sharing = 0;
  for (long k = 1; k <= quadruplex.n; ++k) {
    const pair& p = quadruplex.pairs[k];
    if (p.bp_upper != "G+G") continue;
    SCOPED_TRACE(mol.residues[p.nt1].idstr + " " + mol.residues[p.nt2].idstr);
    EXPECT_NE(p.name, "Metal");
    EXPECT_EQ(p.metal, 0);
    const connect& mi = mol.residues[p.nt1].metals;
    for (long t = 1; t <= mi.count; ++t) sharing += mol.residues[p.nt2].metals.has(mi[t]) ? 1 : 0;
  }
  EXPECT_GT(sharing, 0);  // the bases do share the K+ residues
}

TEST_F(PairTest, CandidatesFromTheGridEqualBruteForce) {
  test::log_capture log;
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  const auto grid = base_frame_neighbours(mol, Gvars.pair_dist);
  std::vector<std::pair<long, long>> brute;
  for (long i = 1; i <= mol.num_residues; ++i)
    for (long j = i + 1; j <= mol.num_residues; ++j) {
      const frame* a = is_nt(i, mol) ? base_frame(i, mol) : nullptr;
      const frame* b = is_nt(j, mol) ? base_frame(j, mol) : nullptr;
      if (a != nullptr && b != nullptr && dist_xyz(a->org, b->org) <= Gvars.pair_dist) brute.emplace_back(i, j);
    }
  EXPECT_EQ(grid, brute);
  EXPECT_GT(grid.size(), 100u);
}

// The executable end to end, in a folder of its own.
class PairExe : public PairTest {
 protected:
  void SetUp() override {
    PairTest::SetUp();
    std::string tmpl = (fs::temp_directory_path() / "pairexe-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    for (const char* f : {"1bna.pdb", "1ehz.pdb"}) fs::copy_file(test::test_data(f), dir_ / f);
  }
  void TearDown() override {
    fs::remove_all(dir_);
    PairTest::TearDown();
  }
  int run(const std::string& args) {
    const std::string cmd = "cd '" + dir_.string() + "' && '" VASK_EXE "' " + args + " >stdout.txt 2>stderr.txt";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string file(const std::string& name) { return test::read_file((dir_ / name).string()); }
  fs::path dir_;
};

long count_lines_with(const std::string& text, const std::string& start) {
  long n = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    if (text.compare(pos, start.size(), start) == 0) ++n;
    pos = end + 1;
  }
  return n;
}

TEST_F(PairExe, DodecamerReportJsonAndEnsemble) {
  ASSERT_EQ(run("-i=1bna.pdb -o=out.txt"), 0) << file("stderr.txt");
  const std::string text = file("out.txt");
  EXPECT_NE(text.find("List of 12 base pairs\n"), std::string::npos);
  EXPECT_NE(text.find("   5 A.DA5          B.DT20         A-T WC          20-XX     cWW  cW-W\n"), std::string::npos);
  EXPECT_NE(file("stderr.txt").find("    total number of base pairs: 12\n"), std::string::npos);
  const std::string ens = file("vask-pairs.pdb");
  EXPECT_EQ(count_lines_with(ens, "MODEL "), 12);
  EXPECT_EQ(count_lines_with(ens, "ENDMDL"), 12);
  EXPECT_NE(ens.find("REMARK    A.DC1 [C-G] B.DG24\n"), std::string::npos);
  if (fs::exists("/usr/bin/gemmi")) {
    const std::string cmd = "cd '" + dir_.string() + "' && gemmi contents vask-pairs.pdb >/dev/null 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
  }

  ASSERT_EQ(run("-i=1bna.pdb -o=more.txt --more"), 0);
  const std::string more = file("more.txt");
  EXPECT_EQ(count_lines_with(more, "       bp-pars: ["), 12);
  EXPECT_EQ(count_lines_with(more, "       H-bonds[3]: \""), 8);  // the G-C pairs
  EXPECT_EQ(count_lines_with(more, "       H-bonds[2]: \""), 4);  // the A-T pairs

  ASSERT_EQ(run("-i=1bna.pdb -o=out.json --json"), 0);
  const std::string js = file("out.json");
  EXPECT_EQ(js.rfind("{\"num_pairs\":12,\"pairs\":[{\"index\":1,\"nt1\":\"A.DC1\",\"nt2\":\"B.DG24\",\"bp\":\"C-G\","
                     "\"name\":\"WC\",\"Saenger\":\"19-XIX\",\"LW\":\"cWW\",\"VASK\":\"cW-W\"},",
                     0),
            0u);
}

TEST_F(PairExe, PairListWrittenAndReadBack) {
  ASSERT_EQ(run("-i=1ehz.pdb -o=out.txt --pair-list-type=best"), 0) << file("stderr.txt");
  const std::string list = file("vask-pairs.txt");
  EXPECT_EQ(list.rfind("# 30 (no. of base pairs)\n     1     72  # o    1 A.G1           A.C72          G-C WC\n", 0), 0u);
  EXPECT_EQ(count_lines_with(list, "  "), 30);
  fs::copy_file(dir_ / "vask-pairs.txt", dir_ / "mine.txt");

  // read back: the same 30 pairs, in the same order
  ASSERT_EQ(run("-i=1ehz.pdb -o=back.txt --pair-list-inp=mine.txt"), 0) << file("stderr.txt");
  const std::string back = file("back.txt");
  EXPECT_NE(back.find("List of 30 base pairs\n"), std::string::npos);
  size_t at = 0;
  for (long k = 1; k <= 30; ++k) {
    const size_t start = list.find('#', list.find('\n', at)) + 4;
    at = list.find('\n', start);
    const std::string row = list.substr(start, at - start);  // "%4ld %-14s %-14s %s ..."
    EXPECT_NE(back.find(row.substr(0, 34)), std::string::npos) << row;
  }

  // the list of an earlier run given as input survives the clean-up and is not rewritten
  fs::copy_file(dir_ / "mine.txt", dir_ / "vask-pairs.txt", fs::copy_options::overwrite_existing);
  ASSERT_EQ(run("-i=1ehz.pdb -o=again.txt --pair-list-inp=vask-pairs.txt"), 0) << file("stderr.txt");
  EXPECT_EQ(file("vask-pairs.txt"), list);
  ASSERT_EQ(run("-i=1ehz.pdb -o=again.txt --pair-list-inp=./vask-pairs.txt"), 0);
  EXPECT_EQ(file("vask-pairs.txt"), list);

  // the pair-list output never replaces the coordinate file
  const std::string coords = file("1ehz.pdb");
  EXPECT_EQ(run("-i=1ehz.pdb -o=x.txt --pair-list-out=1ehz.pdb"), 1);
  EXPECT_EQ(file("1ehz.pdb"), coords);

  // a list without one valid line is an error
  std::FILE* fp = std::fopen((dir_ / "bad.txt").c_str(), "w");
  std::fputs("# no pairs\nnum_pairs=2\n1 1\n", fp);
  std::fclose(fp);
  EXPECT_EQ(run("-i=1ehz.pdb -o=bad_out.txt --pair-list-inp=bad.txt"), 1);
  EXPECT_NE(file("stderr.txt").find("[e] no valid list of pairs in: 'bad.txt'\n"), std::string::npos);
}

}  // namespace
}  // namespace vask

namespace vask {

// The pair frame carries the quaternion of its own axes, not a placeholder.
TEST(PairFrame, QuaternionMatchesItsAxes) {
  set_globals("belqo-vask");
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  long n = 0;
  std::vector<pair> pairs;
  find_pairs(mol, n, pairs, 0);
  ASSERT_GT(n, 0);
  for (long k = 1; k <= n; ++k) {
    const frame& f = pairs[k].frame;
    rotmat R{}, back{};
    frame_to_rotmat(f, R);
    qtn q = f.qtn;
    qtn_to_rotmat(q, back);
    for (int i = 1; i <= 3; ++i)
      for (int j = 1; j <= 3; ++j) EXPECT_NEAR(R[i][j], back[i][j], 1e-6) << "pair " << k;
  }
}

}  // namespace vask
