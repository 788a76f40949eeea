// Contacts between the secondary-structure units of the group I intron
// domain 1gid: the unit list, the pairs compared, and the --ter run.
#include "motifs/tertiary.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "json_check.hpp"
#include "motifs/motif_fixture.hpp"
#include "pairing/area.hpp"
#include "secondary/hairpin.hpp"
#include "secondary/loop.hpp"
#include "secondary/ss_segment.hpp"
#include "support/error.hpp"

namespace vask {
namespace {

using TertiaryTest = test::MotifTest;

TEST(TertiaryNames, unit_words_and_bad_kind) {
  const char* want[] = {"stem [#1]", "isolated-pair [#2]", "hairpin [#3]", "bulge [#4]",
                        "iloop [#5]", "junction [#6]", "ss-frag [#7]"};
  for (long k = 0; k <= 6; ++k) EXPECT_EQ(get_SSR_type(k, k + 1), want[k]);
  EXPECT_ANY_THROW(get_SSR_type(7, 1));
}

// Units from hand-made records: list order, per-kind loop numbering, the
// hairpin loop record left out, stem strands one after the other.
TEST(TertiaryUnits, order_and_numbering) {
  long num_pairs = 0, num_helices = 0, num_stems = 1, num_iso = 1, num_coax = 0, num_mis = 0;
  std::vector<pair> pairs(1), iso(2);
  std::vector<helix> helices(1), stems(2);
  std::string notes;
  stems[1].num_pairs = 2;
  stems[1].strand1 = {0, 1, 2};
  stems[1].strand2 = {0, 9, 8};
  iso[1].nt1 = 20;
  iso[1].nt2 = 30;
  helix_slots hs{num_pairs, pairs, num_helices, helices, num_stems, stems, num_iso, iso, num_coax, num_mis, notes};
  long num_hp = 1, num_hp2 = 0;
  std::vector<hairpin> hps(2), hps2(1);
  hps[1].num_nts = 3;
  hps[1].nts = {0, 2, 5, 8};
  hairpin_slots hp{num_hp, hps, num_hp2, hps2};
  long num_loops = 4, num_hl = 1, nb = 0, ni = 0, nj = 0;
  std::vector<loop> loops(5);
  loops[1].is_internal = 1;
  loops[2].is_hairpin = 1;
  loops[3].is_junction = 1;
  loops[4].is_internal = 1;
  for (long k = 1; k <= 4; ++k) {
    loops[k].num_nts = 1;
    loops[k].nts = {0, 40 + k};
  }
  loop_slots ls{num_loops, loops, num_hl, nb, ni, nj};
  long num_ss = 1, num_kiss = 0;
  std::vector<ss_segment> segs(2);
  std::vector<kissing_loop> kiss(1);
  segs[1].num_nts = 2;
  segs[1].nts = {0, 50, 51};
  ss_slots ss{num_ss, segs, num_kiss, kiss};

  const std::vector<ssr_unit> units = build_ssr_units(hs, hp, ls, ss);
  ASSERT_EQ(units.size(), 8u);
  const std::vector<std::string> names = {"",           "stem [#1]",     "isolated-pair [#1]", "hairpin [#1]",
                                          "iloop [#1]", "junction [#1]", "iloop [#2]",         "ss-frag [#1]"};
  for (size_t k = 1; k < 8; ++k) EXPECT_EQ(get_SSR_type(units[k].kind, units[k].index), names[k]);
  EXPECT_EQ(units[1].nts, (std::vector<long>{0, 1, 2, 9, 8}));
  EXPECT_EQ(units[1].count, 4);
  EXPECT_EQ(units[6].nts, (std::vector<long>{0, 44}));
  EXPECT_EQ(units[7].nts, (std::vector<long>{0, 50, 51}));

  loops[2].is_hairpin = 0;  // a loop of no known kind
  EXPECT_ANY_THROW(build_ssr_units(hs, hp, ls, ss));
}

// The contact search against the plain double loop over unit pairs with
// the buried area of the two residue sets: same pairs, same order, same areas.
TEST_F(TertiaryTest, search_matches_all_pairs_scan) {
  load("1gid.pdb");
  // runs of 6 nucleotides, a one-nucleotide unit, and one overlapping a run
  std::vector<ssr_unit> units(1);
  std::vector<long> nts;
  for (long k = 1; k <= mol_.num_residues; ++k)
    if (mol_.residues[k].flag[rf::is_nt]) nts.push_back(k);
  ASSERT_GT(nts.size(), 100u);
  for (size_t i = 0; i + 6 <= 96; i += 6) {
    ssr_unit u{6, static_cast<long>(units.size()), 6, {0}};
    for (size_t j = i; j < i + 6; ++j) u.nts.push_back(nts[j]);
    units.push_back(u);
  }
  units.push_back({6, 90, 1, {0, nts[97]}});
  units.push_back({6, 91, 2, {0, nts[4], nts[98]}});  // shares nts[4] with unit 1
  const long n = static_cast<long>(units.size()) - 1;
  auto touch = [&](const ssr_unit& a, const ssr_unit& b) {
    for (long i = 1; i <= a.count; ++i)
      for (long j = 1; j <= b.count; ++j)
        if (mol_.residues[a.nts[i]].contacts.has(b.nts[j])) return true;
    return false;
  };
  auto share = [](const ssr_unit& a, const ssr_unit& b) {
    const std::set<long> sa(a.nts.begin() + 1, a.nts.end());
    for (long j = 1; j <= b.count; ++j)
      if (sa.count(b.nts[j])) return true;
    return false;
  };
  std::vector<unit_contact> want;
  for (long u = 1; u < n; ++u) {
    if (units[u].count < 2) continue;
    for (long v = u + 1; v <= n; ++v) {
      if (units[v].count < 2 || share(units[u], units[v]) || !touch(units[u], units[v])) continue;
      const double d =
          get_area_diff_residue_sets(units[u].count, units[u].nts, units[v].count, units[v].nts, mol_);
      if (d >= 20.0) want.push_back({d, u, v});
    }
  }
  const std::vector<unit_contact> got = find_unit_contacts(mol_, units, 20.0);
  ASSERT_GE(want.size(), 5u);
  ASSERT_EQ(got.size(), want.size());
  for (size_t k = 0; k < got.size(); ++k) {
    EXPECT_EQ(got[k].unit1, want[k].unit1);
    EXPECT_EQ(got[k].unit2, want[k].unit2);
    EXPECT_NEAR(got[k].d_sasa, want[k].d_sasa, 1e-6);
  }
  for (const unit_contact& c : got) EXPECT_FALSE(c.unit1 == 1 && c.unit2 == n);  // shared nucleotide
  EXPECT_TRUE(find_unit_contacts(mol_, units, 300.0).size() < got.size());
}

// The run: --ter alone lists tertiary interactions in the report, the JSON
// form is valid, and 0 turns the search off.
TEST(TertiaryRun, report_json_and_off) {
  test::ExeRun exe({"1gid.pdb"});
  ASSERT_EQ(exe.run("-i=1gid.pdb -o=out.txt --ter"), 0);
  const std::string text = exe.file("out.txt");
  const size_t at = text.find("tertiary interactions\n");
  ASSERT_NE(at, std::string::npos);
  EXPECT_NE(text.find(" vs ", at), std::string::npos);
  EXPECT_NE(text.find("(nts=", at), std::string::npos);
  EXPECT_EQ(text.find("not available yet"), std::string::npos);

  ASSERT_EQ(exe.run("-i=1gid.pdb -o=out.json --json --ter=100"), 0);
  const std::string js = exe.file("out.json");
  EXPECT_EQ(test::json_error(js), "");
  EXPECT_NE(js.find("\"num_unitContacts\""), std::string::npos);
  EXPECT_NE(js.find("\"unitContacts\":[{\"index\":1,\"unit1\":\""), std::string::npos);
  EXPECT_NE(js.find("\"d_sasa\":"), std::string::npos);

  ASSERT_EQ(exe.run("-i=1gid.pdb -o=off.txt --ter=0"), 0);
  EXPECT_EQ(exe.file("off.txt").find("tertiary interaction"), std::string::npos);
}

}  // namespace
}  // namespace vask
