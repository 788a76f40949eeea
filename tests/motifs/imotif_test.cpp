// i-motifs: the strand loops by nucleotide order, duplexes of strands of
// unequal length, and the finder's silence on structures without C.C+ runs.
#include "motifs/imotif.hpp"

#include <gtest/gtest.h>

#include "motifs/motif_fixture.hpp"
#include "secondary/helix.hpp"
#include "structure/residue.hpp"

namespace vask {
namespace {

using IMotifTest = test::MotifTest;

// A record whose strands are runs of residues given by chain numbers.
imotif record_of(const std::vector<std::vector<long>>& strands) {
  imotif m;
  m.num_strands = static_cast<long>(strands.size());
  for (size_t s = 0; s < strands.size(); ++s) {
    segidx& g = m.strands[s + 1];
    g.start = static_cast<long>(m.nts.size());
    for (long r : strands[s]) m.nts.push_back(r);
    g.end = static_cast<long>(m.nts.size()) - 1;
    g.count = g.end - g.start + 1;
  }
  return m;
}

TEST_F(IMotifTest, loops_follow_the_nucleotide_order) {
  load("2hy9.cif");  // one chain 1..26: residue k is nucleotide k
  imotif m = record_of({{4, 5, 6}, {10, 11, 12}, {16, 17, 18}, {22, 23, 24}});
  std::array<long, 4> loop{};
  ASSERT_EQ(per_imotif_loop(mol_, m, 1, 2, loop), 1);
  EXPECT_EQ(loop, (std::array<long, 4>{12, 6, 10, 3}));  // code 1x10+2, flanks 6 and 10, 3 between
  EXPECT_EQ(per_imotif_loop(mol_, m, 2, 1, loop), 0);     // backwards along one chain: none
  EXPECT_EQ(loop, (std::array<long, 4>{}));
}

TEST_F(IMotifTest, unequal_strands_pair_their_common_length) {
  load("2hy9.cif");
  imotif m = record_of({{4, 5, 6}, {10, 11}, {16, 17, 18}, {22, 23, 24}});
  imotif_duplex d;
  d.strands = {0, 1, 2};
  derive_imotif_strpars(mol_, d, m);
  ASSERT_EQ(d.num_pairs, 2);  // never past the shorter strand
  EXPECT_EQ(d.pairs[2].nt1, 5);
  EXPECT_EQ(d.pairs[2].nt2, 11);
  ASSERT_EQ(d.step_pars.size(), 3u);  // one step, measured by the helix routine
  helixPars want;
  calculate_helix_pars(d.pairs[1], d.pairs[2], mol_, want);
  for (long j = 1; j <= 6; ++j) EXPECT_DOUBLE_EQ(d.step_pars[1].step_params[j], want.step_params[j]);
}

TEST_F(IMotifTest, no_imotif_without_CC_runs) {
  load("2hy9.cif");
  long nh = 0;
  std::vector<helix> helices = allocate_helices_array(0);
  long n = -1;
  std::vector<imotif> list;
  find_imotifs(mol_, nh, helices, n, list);
  EXPECT_EQ(n, 0);
}

// Runs of pairs flagged C.C+ inside a helix, made up over 2hy9's nucleotides:
// the count and strand checks of the finder, and no i-motif from pairs that
// are not C.C+ when built afresh.
TEST_F(IMotifTest, runs_need_four_strands_and_CC_duplexes) {
  load("2hy9.cif");
  mol_.pair_tallies[TALLY_CC] = 3;
  auto helix_of = [](std::vector<std::array<long, 2>> nts) {
    helix h;
    h.num_pairs = static_cast<long>(nts.size());
    h.pairs.assign(1, pair{});  // 1-based
    for (const auto& ab : nts) {
      pair p;
      p.nt1 = ab[0];
      p.nt2 = ab[1];
      p.CC_pair = 1;
      h.pairs.push_back(p);
    }
    return h;
  };
  std::vector<helix> helices = allocate_helices_array(0);
  helices.push_back(helix_of({{4, 10}, {5, 11}}));             // two backbone runs
  helices.push_back(helix_of({{4, 10}, {5, 16}, {6, 22}}));    // 6 nucleotides in four runs
  long n = -1;
  std::vector<imotif> list;
  test::log_capture log;
  find_imotifs(mol_, 2, helices, n, list);
  EXPECT_EQ(n, 0);
  EXPECT_NE(log.text().find("[w] helix#1 with 2* strands for i-motif\n"), std::string::npos) << log.text();
  EXPECT_NE(log.text().find("[w] helix#2 with 6* nts for i-motif\n"), std::string::npos);
  EXPECT_EQ(log.text().find("[w] helix#2 with 4* strands"), std::string::npos);
  EXPECT_EQ(helices[1].num_imotif_pairs, 0);
}

}  // namespace
}  // namespace vask
