// The helix record and the pair-linkage table: tidy-up, masking and chain
// extraction on hand-made tables, the summary text, the nucleotide marks,
// and the strand-direction test on consistent and inconsistent marks.
#include "motifs/motif_fixture.hpp"
#include "secondary/helix.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>


namespace vask {
namespace {

using HelixRecordTest = test::StructureTest;

// A table of n records from {state, member 1, member 2} rows (row k = record k).
std::vector<connect> table(const std::vector<std::array<long, 3>>& rows) {
  std::vector<connect> lkg(rows.size() + 1);
  for (size_t k = 0; k < rows.size(); ++k) {
    connect& c = lkg[k + 1];
    const auto& r = rows[k];
    if (r[0] == 0) set_lkg_none(c);
    if (r[0] == 1) set_lkg_end(c, r[1]);
    if (r[0] == 2) set_lkg_middle(c, r[1], r[2]);
  }
  return lkg;
}

std::vector<long> states(const std::vector<connect>& lkg) {
  std::vector<long> v;
  for (size_t k = 1; k < lkg.size(); ++k) v.push_back(lkg[k].count);
  return v;
}

TEST_F(HelixRecordTest, tidy_up_keeps_only_mutual_links) {
  // 3 links to 5, but 5 links only to 7 (and 7 back to 5): 3 loses its link
  auto lkg = table({{0, 0, 0}, {0, 0, 0}, {1, 5, 0}, {0, 0, 0}, {1, 7, 0}, {0, 0, 0}, {1, 5, 0}});
  tidyup_linkage(7, lkg);
  EXPECT_EQ(states(lkg), (std::vector<long>{0, 0, 0, 0, 1, 0, 1}));
  EXPECT_EQ(lkg[5][1], 7);
  // a middle whose one side is not mutual becomes an end on the other side;
  // a link to an unlinked pair is dropped
  lkg = table({{1, 2, 0}, {2, 1, 3}, {1, 4, 0}, {0, 0, 0}});
  tidyup_linkage(4, lkg);
  EXPECT_EQ(states(lkg), (std::vector<long>{1, 1, 0, 0}));
  EXPECT_EQ(lkg[2][1], 1);
}

TEST_F(HelixRecordTest, chains_come_out_whole_and_leave_the_table) {
  // 1-2-3 a chain, 4-5 another, 6 alone
  auto lkg = table({{1, 2, 0}, {2, 1, 3}, {1, 2, 0}, {1, 5, 0}, {1, 4, 0}, {0, 0, 0}});
  std::vector<long> chain, used(7, 0);
  long count = 0;
  bool done = false;
  check_linkage(6, lkg, chain, count, done);
  ASSERT_FALSE(done);
  ASSERT_EQ(count, 3);
  EXPECT_EQ((std::vector<long>{chain[1], chain[2], chain[3]}), (std::vector<long>{1, 2, 3}));
  mask_linkage(count, chain, used, 6, lkg);
  EXPECT_EQ(states(lkg), (std::vector<long>{0, 0, 0, 1, 1, 0}));
  check_linkage(6, lkg, chain, count, done);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(chain[1], 4);
  // masking only the first of a chain leaves the rest linked to nothing
  mask_linkage(1, chain, used, 6, lkg);
  EXPECT_EQ(states(lkg), (std::vector<long>{0, 0, 0, 0, 0, 0}));
  check_linkage(6, lkg, chain, count, done);
  EXPECT_TRUE(done);
  EXPECT_FALSE(done_with_collections(6, used));  // 1..4 used, 5 and 6 not
}

// On a table of mutual links, masking through the chain's partners leaves the
// very table (and used marks) the whole-table masking does, chain by chain.
TEST_F(HelixRecordTest, masking_through_partners_matches_the_whole_table) {
  // 1-2-3 and 4-5-6-7 chains (links both ways), 8 alone, 9-10 a pair of ends
  auto start = table({{1, 2, 0}, {2, 1, 3}, {1, 2, 0}, {1, 5, 0}, {2, 4, 6}, {2, 5, 7}, {1, 6, 0},
                      {0, 0, 0}, {1, 10, 0}, {1, 9, 0}});
  for (long first : {1L, 2L, 3L}) {  // mask the first one, two or three of each chain
    SCOPED_TRACE(first);
    auto whole = start, mutual = start;
    std::vector<long> used_whole(11, 0), used_mutual(11, 0), chain;
    for (;;) {
      long count = 0;
      bool done = false;
      check_linkage(10, whole, chain, count, done);
      if (done) break;
      const long m = std::min(first, count);
      mask_linkage(m, chain, used_whole, 10, whole);
      mask_mutual_linkage(m, chain, used_mutual, mutual);
      ASSERT_EQ(states(mutual), states(whole));
      for (long r = 1; r <= 10; ++r)
        for (long t = 1; t <= whole[r].count; ++t) EXPECT_EQ(mutual[r][t], whole[r][t]) << r;
    }
    EXPECT_EQ(used_mutual, used_whole);
  }
}

// Kept up to date by the masking, the list of possible ends gives the very
// chains, in the same order, that a scan of the whole table gives: also when
// masking part of a chain turns its middles into new ends before older ones.
TEST_F(HelixRecordTest, tracked_ends_give_the_chains_of_a_whole_table_scan) {
  const auto chains = table({{1, 2, 0}, {2, 1, 3}, {1, 2, 0}, {1, 5, 0}, {2, 4, 6}, {2, 5, 7}, {1, 6, 0},
                             {0, 0, 0}, {1, 10, 0}, {1, 9, 0}});
  const auto ring = table({{2, 4, 2}, {2, 1, 3}, {2, 2, 4}, {2, 3, 1}});
  for (const auto* start : {&chains, &ring}) {
    const long n = static_cast<long>(start->size()) - 1;
    for (long first : {1L, 2L, 3L}) {
      SCOPED_TRACE(first);
      auto scanned = *start, tracked = *start;
      std::vector<long> used_scanned(n + 1, 0), used_tracked(n + 1, 0), chain_s, chain_t;
      linkage_ends ends = find_linkage_ends(n, tracked);
      for (long step = 0;; ++step) {
        ASSERT_LT(step, 3 * n) << "no progress";
        long count_s = 0, count_t = 0;
        bool done_s = false, done_t = false;
        check_linkage(n, scanned, chain_s, count_s, done_s);
        check_linkage(n, tracked, chain_t, count_t, done_t, &ends);
        ASSERT_EQ(done_t, done_s);
        if (done_s) break;
        ASSERT_EQ(count_t, count_s);
        for (long k = 1; k <= count_s; ++k) EXPECT_EQ(chain_t[k], chain_s[k]) << k;
        const long m = std::min(first, count_s);
        mask_mutual_linkage(m, chain_s, used_scanned, scanned);
        mask_mutual_linkage(m, chain_t, used_tracked, tracked, &ends);
      }
      EXPECT_EQ(used_tracked, used_scanned);
    }
  }
}

TEST_F(HelixRecordTest, a_closed_ring_is_one_chain_in_index_order) {
  auto lkg = table({{2, 4, 2}, {2, 1, 3}, {2, 2, 4}, {2, 3, 1}});
  std::vector<long> chain;
  long count = 0;
  bool done = true;
  check_linkage(4, lkg, chain, count, done);
  EXPECT_FALSE(done);
  ASSERT_EQ(count, 4);
  for (long k = 1; k <= 4; ++k) EXPECT_EQ(chain[k], k);
}

TEST_F(HelixRecordTest, a_state_other_than_0_1_2_is_an_assertion) {
  auto lkg = table({{1, 2, 0}, {1, 1, 0}, {0, 0, 0}});
  lkg[2].count = 3;
  EXPECT_NE(test::fatal_message([&] { tidyup_isolated_linkage(3, lkg); }).find("Assertion failed"),
            std::string::npos);
}

TEST_F(HelixRecordTest, summary_text_of_a_helix) {
  struct_mol mol = test::make_bare_nts(4);
  helix h;
  h.num_pairs = 12;
  h.strand1 = {0, 1};
  const struct {
    long parallel, breaks, imotif;
    const char* want;
  } cases[] = {{0, 0, 0, "bps=12"},
               {1, 0, 0, "bps=12 parallel"},
               {1, 1, 0, "bps=12"},
               {0, 0, 1, "bps=12"},
               {1, 0, 4, "bps=12 parallel i-motif-pairs=4"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.want);
    h.parallel = c.parallel;
    h.breaks = c.breaks;
    h.num_imotif_pairs = c.imotif;
    EXPECT_EQ(set_helix_markers(h, mol), c.want);
  }
  VERBOSITY = 2;
  h.same_chain = 1;
  h.breaks = h.breaks1 = 1;
  h.parallel = 0;
  h.num_imotif_pairs = 0;
  EXPECT_EQ(set_helix_markers(h, mol), "bps=12*    [nts all on chain ' '] [0-1; 0-0]");
  VERBOSITY = 0;
}

TEST_F(HelixRecordTest, a_nucleotide_keeps_its_first_helix_and_stem) {
  struct_mol mol = test::make_bare_nts(4);
  mark_nt_in_helix(false, 1, 2, 3, mol);
  mark_nt_in_helix(false, 2, 2, 4, mol);
  mark_nt_in_helix(true, 5, 2, 4, mol);
  EXPECT_EQ(mol.residues[2].flag[rf::helix], 1);
  EXPECT_EQ(mol.residues[2].flag[rf::helix_partner], 3);
  EXPECT_EQ(mol.residues[2].flag[rf::stem], 5);
  EXPECT_EQ(mol.residues[2].flag[rf::stem_partner], 4);
}

TEST_F(HelixRecordTest, strand_direction_from_best_pair_marks_never_asserts) {
  struct_mol mol = test::make_bare_nts(8);
  auto best = [&](long a, long b) {
    mol.residues[a].flag[rf::bestpair] = b;
    mol.residues[b].flag[rf::bestpair] = a;
  };
  best(1, 8);
  best(2, 7);
  best(3, 6);
  const std::vector<long> s1{0, 1, 2, 3}, anti{0, 6, 7, 8}, par{0, 8, 7, 6};
  EXPECT_EQ(is_parallel(3, s1, anti, mol), 0);
  EXPECT_EQ(is_parallel(3, s1, par, mol), 1);
  // a nucleotide in two pairs of a user's list: 1 now marks 5, so the end
  // tests disagree; the majority decides, a tie is anti-parallel
  best(1, 5);
  EXPECT_EQ(is_parallel(3, s1, anti, mol), 0);
  EXPECT_EQ(is_parallel(3, s1, par, mol), 1);
  const std::vector<long> odd{0, 4, 4, 4};
  EXPECT_EQ(is_parallel(3, s1, odd, mol), 0);
  EXPECT_EQ(is_parallel(1, s1, anti, mol), 0);  // too short to tell
}

TEST_F(HelixRecordTest, helices_sort_by_their_first_strand_1_nucleotide) {
  helix a, b;
  a.strand1 = {0, 5};
  b.strand1 = {0, 9};
  EXPECT_EQ(helix_compare(a, b), -1);
  EXPECT_EQ(helix_compare(b, a), 1);
  EXPECT_EQ(helix_compare(a, a), 0);
  long count = 0;
  a.num_pairs = 2;
  a.pairs.resize(3);
  a.pairs[1].nt1 = 5;
  a.pairs[1].nt2 = 20;
  a.pairs[2].nt1 = 6;
  a.pairs[2].nt2 = 19;
  EXPECT_EQ(collect_helix_nts(1, 2, a, count), (std::vector<long>{0, 5, 20, 6, 19}));
  EXPECT_EQ(count, 4);
}

}  // namespace
}  // namespace vask
