// Isolated canonical pairs and the helix/stem cross-reference: a nucleotide
// in two canonical pairs of a user's list, a pair given the other way round,
// the member lists and counts of a hand-made helix/stem set (mis-assignment,
// coaxial stacks), and the text and JSON of the two report sections.
#include "json_check.hpp"
#include "secondary/helix_fixture.hpp"
#include "secondary/xref.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/string.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>


namespace vask {
namespace {

using XrefTest = test::HelixTest;

std::string written(const std::function<void(FILE*)>& write) {
  FILE* fp = std::tmpfile();
  write(fp);
  std::string text = test::read_stream(fp);
  std::fclose(fp);
  return text;
}

// A helix or stem record holding only strands (residue indices).
helix strands(const std::vector<long>& s1, const std::vector<long>& s2) {
  helix h;
  h.num_pairs = static_cast<long>(s1.size());
  h.strand1.assign(1, 0);
  h.strand2.assign(1, 0);
  h.strand1.insert(h.strand1.end(), s1.begin(), s1.end());
  h.strand2.insert(h.strand2.end(), s2.begin(), s2.end());
  return h;
}

TEST_F(XrefTest, a_nucleotide_in_two_canonical_pairs_grows_the_list) {
  // 1 pairs with 4 and with 5; 2 with 3: five marked nucleotides, an odd
  // count that a list sized by half of it would overrun
  struct_mol mol = test::make_bare_nts(6);
  auto canonical = [](long a, long b) {
    pair p;
    p.nt1 = a;
    p.nt2 = b;
    p.canonical = p.WC = 1;
    return p;
  };
  vask_results r;
  r.num_pairs = 3;
  r.pairs = {pair{}, canonical(1, 4), canonical(1, 5), canonical(2, 3)};
  for (const auto& [a, b] : {std::pair{1L, 5L}, {4L, 1L}, {5L, 1L}, {2L, 3L}, {3L, 2L}})
    mol.residues[a].flag[rf::wc_partner] = b;
  helix_slots slots = helix_slots_of(r);
  find_icpairs(mol, slots);
  ASSERT_EQ(r.num_isolated_pairs, 3);
  EXPECT_EQ(r.isolated_pairs[2].nt2, 5);
  EXPECT_EQ(get_icpair_idx(4, mol), -1);
  EXPECT_EQ(get_icpair_idx(1, mol), -2);  // its last pair
  EXPECT_EQ(get_icpair_idx(3, mol), -3);
  EXPECT_EQ(get_icpair_idx(6, mol), 0);
  // none of them has a backbone neighbour
  EXPECT_EQ(mol.residues[1].flag[rf::unlinked_pair], 1);
}

TEST_F(XrefTest, a_lone_pair_given_high_to_low_is_listed_low_to_high) {
  load("1bna.pdb");  // pairs found and marked; no helix or stem yet
  pair reversed;
  populate_one_base_pair(pairs_[1].nt2, pairs_[1].nt1, mol_, reversed);
  results_ = vask_results{};
  results_.num_pairs = 1;
  results_.pairs = {pair{}, reversed};
  helix_slots slots = helix_slots_of(results_);
  do_helices_stems_icpairs_xref(mol_, slots);
  ASSERT_EQ(results_.num_isolated_pairs, 1);
  const pair& p = results_.isolated_pairs[1];
  EXPECT_LT(p.nt1, p.nt2);
  EXPECT_EQ(p.bp, "C-G");
  EXPECT_EQ(get_icpair_idx(p.nt1, mol_), -1);
  // the other nucleotides had WC partners in the detected pairs, but no
  // listed pair: they carry no index
  long marked = 0;
  for (long k = 1; k <= mol_.num_residues; ++k) marked += get_icpair_idx(k, mol_) != 0;
  EXPECT_EQ(marked, 2);
}

TEST_F(XrefTest, member_lists_mis_assignments_and_coaxial_stacks) {
  struct_mol mol = test::make_bare_nts(30);
  vask_results r;
  // stems 1 (nts 1-3), 2 (5-7), 3 (9-10); helix 1 runs 1-3, 5-7, then 1 again;
  // helix 2 holds stem 3 alone
  r.num_stems = 3;
  r.stems = {helix{}, strands({1, 2, 3}, {20, 21, 22}), strands({5, 6, 7}, {15, 16, 17}),
             strands({9, 10}, {11, 12})};
  for (long s = 1; s <= 3; ++s)
    for (long k = 1; k <= r.stems[s].num_pairs; ++k) {
      mol.residues[r.stems[s].strand1[k]].flag[rf::stem] = s;
      mol.residues[r.stems[s].strand2[k]].flag[rf::stem] = s;
    }
  r.num_helices = 2;
  r.helices = {helix{}, strands({1, 2, 3, 5, 6, 7, 1}, {20, 21, 22, 15, 16, 17, 20}), strands({9, 10}, {11, 12})};
  helix_slots slots = helix_slots_of(r);
  get_xref(slots, mol);
  EXPECT_EQ(r.helices[1].stems.count, 3);  // stem 1 recorded twice
  EXPECT_EQ(r.helices[1].stems[3], 1);
  EXPECT_EQ(r.stems[1].stems.count, 2);
  EXPECT_EQ(r.num_misassigned, 1);
  EXPECT_EQ(r.num_coaxial_stacks, 1);
  EXPECT_EQ(r.helices[2].stems.count, 1);
  EXPECT_EQ(r.stems[3].stems[1], 2);
  // the counts belong to this structure: a second one starts from zero
  vask_results r2;
  r2.num_helices = 1;
  r2.helices = {helix{}, strands({9, 10}, {11, 12})};
  r2.num_stems = 3;
  r2.stems = r.stems;
  helix_slots slots2 = helix_slots_of(r2);
  get_xref(slots2, mol);
  EXPECT_EQ(r2.num_misassigned, 0);
  EXPECT_EQ(r2.num_coaxial_stacks, 0);
}

TEST_F(XrefTest, report_sections_of_tRNA) {
  analyse("1ehz.pdb");
  const std::string icp = written([&](FILE* fp) {
    output_isolated_pairs(mol_, results_.num_isolated_pairs, results_.isolated_pairs, fp);
  });
  EXPECT_NE(icp.find("\n" + std::string(76, '*') + "\nList of 1 isolated WC/wobble pair\n"), std::string::npos) << icp;
  EXPECT_NE(icp.find("  Note: isolated WC/wobble pairs are assigned negative indices to\n"), std::string::npos);
  const long h = get_helix_idx(results_.isolated_pairs[1].nt1, mol_);
  EXPECT_NE(icp.find(sformat("%-6s   -1 A.G19          A.C56          G-C WC", sformat("[#%ld]", h).c_str())),
            std::string::npos)
      << icp;

  const std::string coax = written([&](FILE* fp) {
    output_coaxial_stacks(results_.num_coaxial_stacks, results_.num_helices, results_.helices, fp);
  });
  EXPECT_NE(coax.find("List of 2 coaxial stacks\n"), std::string::npos) << coax;
  for (long k = 1; k <= 2; ++k) {
    const connect& s = results_.helices[k].stems;
    EXPECT_NE(coax.find(sformat("%4ld Helix#%ld contains 2 stems: [#%ld,#%ld]\n", k, k, s[1], s[2])),
              std::string::npos)
        << coax;
  }

  mutable_gvars().json = 1;
  const std::string json = written([&](FILE* fp) {
    output_isolated_pairs(mol_, results_.num_isolated_pairs, results_.isolated_pairs, fp);
    output_coaxial_stacks(results_.num_coaxial_stacks, results_.num_helices, results_.helices, fp);
  });
  EXPECT_EQ(test::json_members_error(json.substr(0, json.size() - 1)), "") << json;
  EXPECT_NE(json.find("\"num_isoCanonPairs\":1,\"isoCanonPairs\":[{\"index\":-1,\"helix_index\":" +
                      std::to_string(h) + ",\"nt1\":\"A.G19\",\"nt2\":\"A.C56\""),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"num_coaxStacks\":2,\"coaxStacks\":[{\"index\":1,\"helix_index\":1,\"num_stems\":2,"
                      "\"stem_indices\":["),
            std::string::npos)
      << json;
  // nothing without a stream or without items
  EXPECT_EQ(written([&](FILE* fp) { output_coaxial_stacks(0, results_.num_helices, results_.helices, fp); }), "");
}

}  // namespace
}  // namespace vask
