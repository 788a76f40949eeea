#include "../structure/structure_fixture.hpp"
#include "pairing/prepare.hpp"
#include "pairing/suite.hpp"
#include "structure/struct_mol.hpp"
#include "support/settings.hpp"

#include <gtest/gtest.h>

#include <initializer_list>

namespace vask {

namespace {

// A suite with the given seven dihedrals [1..7].
suite make_suite(std::initializer_list<double> d) {
  suite s;
  init_1suite(s);
  long j = 1;
  for (double a : d) s.dihedral[j++] = a;
  return s;
}

suite from_row(long row) {
  suite s;
  init_1suite(s);
  s.dihedral = suite_cluster_table()[row].dihedral;
  return s;
}

// A one-bin custom table; rows given as (name, role, seven means).
std::vector<suite> custom_table(
    std::initializer_list<std::tuple<const char*, const char*, std::array<double, 7>>> rows) {
  std::vector<suite> t(1);
  for (const auto& [name, role, mean] : rows) {
    suite r;
    init_1suite(r);
    r.bin = "33 p";
    r.cluster = name;
    r.status = "certain";
    r.role = role;
    for (long j = 1; j <= 7; ++j) r.dihedral[j] = mean[j - 1];
    t.push_back(r);
  }
  return t;
}

long row_of(const char* name) {
  const auto& t = suite_cluster_table();
  for (long k = 1; k < static_cast<long>(t.size()); ++k)
    if (t[k].cluster == name) return k;
  return 0;
}

}  // namespace

TEST(suite_cluster_table, PublishedSetInOrder) {
  const auto& t = suite_cluster_table();
  ASSERT_EQ(t.size(), 54u);
  EXPECT_EQ(t[1].cluster, "1a");
  EXPECT_EQ(t[1].dihedral[2], 212.250);
  EXPECT_EQ(t[53].cluster, "2o");
  EXPECT_EQ(t[53].dihedral[7], 150.458);
  long wannabe = 0, previous_bin = 0;
  for (long k = 1; k <= 53; ++k) {
    SCOPED_TRACE(t[k].cluster);
    EXPECT_EQ(row_of(t[k].cluster.c_str()), k) << "cluster names are unique";
    EXPECT_GE(t[k].bin_index, previous_bin) << "rows grouped by bin in bin order";
    previous_bin = t[k].bin_index;
    wannabe += t[k].status == "wannabe";
  }
  EXPECT_EQ(wannabe, 7);
}

TEST(assign_suite, EveryClusterMeanIsItsOwnCluster) {
  const auto& t = suite_cluster_table();
  for (long k = 1; k <= 53; ++k) {
    SCOPED_TRACE(t[k].cluster);
    suite s = from_row(k);
    assign_suite(s, t);
    EXPECT_EQ(s.valid, 1) << s.comment;
    EXPECT_EQ(s.bin, t[k].bin);
    EXPECT_EQ(s.cluster, t[k].cluster);
    EXPECT_EQ(s.status, t[k].status);
    EXPECT_EQ(s.role, t[k].role);
    EXPECT_EQ(s.cluster_index, k);
    EXPECT_DOUBLE_EQ(s.suiteness, 1.0);
  }
}

TEST(assign_suite, UnassignableSuites) {
  const double unset = DBL_MAX;
  const struct {
    const char* name;
    suite s;
    const char* bin;
    const char* comment;
  } cases[] = {
      {"no predecessor", make_suite({unset, unset, unset, 295, 174, 54, 81}), "inc ", "incomplete"},
      {"epsilon and gamma", make_suite({81, 100, 289, 295, 174, 240, 81}), "trig",
       "triaged: epsilon, gamma"},
      {"every triage word in order", make_suite({10, 10, 10, 10, 10, 10, 10}), "trig",
       "triaged: epsilon, deltaM, delta, gamma, alpha, beta, zeta"},
      {"bins at range ends", make_suite({110, 155, 25, 25, 50, 95, 120}), "32 p",
       "outlier from known clusters [4D]"},
      {"empty 33 m bin", make_suite({81, 212, 289, 295, 174, 300, 81}), "33 m",
       "unclassified group"},
      {"7D outlier of 1a", make_suite({55, 212.250, 288.831, 294.967, 173.990, 90, 105}), "33 p",
       "outlier from known clusters (7D: '1a')"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    suite s = c.s;
    assign_suite(s, suite_cluster_table());
    EXPECT_EQ(s.valid, 0);
    EXPECT_EQ(s.bin, c.bin);
    EXPECT_EQ(s.cluster, std::string(c.bin) == "inc " ? "__" : "!!");
    EXPECT_EQ(s.comment, c.comment);
    EXPECT_EQ(s.suiteness, 0);
  }
}

TEST(assign_suite, DominantSatelliteDecision) {
  const struct {
    double beta;  // the rest as 1a
    const char* cluster;
    const char* comment_start;
  } cases[] = {
      {200, "1a", "  between dominant \"1a\" ("},
      {212, "1m", "  between satellite \"1m\" ("},
      {240, "1m", "outside satellite \"1m\" ("},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.beta);
    suite s = make_suite({81.495, 212.250, 288.831, 294.967, c.beta, 53.550, 81.035});
    assign_suite(s, suite_cluster_table());
    EXPECT_EQ(s.cluster, c.cluster);
    EXPECT_EQ(s.valid, 1);
    EXPECT_GE(s.num_candidates, 2);
    EXPECT_EQ(s.comment.rfind(c.comment_start, 0), 0u) << s.comment;
    EXPECT_GT(s.suiteness, 0.01);
  }

  // between 1a (beta 68, width 64) and 1m (beta 116, width 32): equal distances,
  // the satellite wins
  auto t = custom_table({{"1a", "dom", {81, 212, 289, 295, 68, 54, 81}},
                         {"1m", "sat", {81, 212, 289, 295, 116, 54, 81}}});
  suite s = make_suite({81, 212, 289, 295, 100, 54, 81});
  assign_suite(s, t);
  EXPECT_EQ(s.cluster, "1m");
  EXPECT_EQ(s.comment, "  between satellite \"1m\" (0.500) and dominant \"1a\" (0.500)");
}

TEST(assign_suite, CandidateAndScoreLimits) {
  // epsilon 60 (one general width) from the only row: 4D distance exactly 1, no candidate
  auto t = custom_table({{"1a", "dom", {81, 212, 289, 295, 174, 54, 81}}});
  suite s = make_suite({81, 272, 289, 295, 174, 54, 81});
  assign_suite(s, t);
  EXPECT_EQ(s.cluster, "!!");
  EXPECT_EQ(s.comment, "outlier from known clusters [4D]");

  // delta(i-1) 28 (one width) away: 7D distance exactly 1 is still assigned, at the floor
  s = make_suite({109, 212, 289, 295, 174, 54, 81});
  assign_suite(s, t);
  EXPECT_EQ(s.cluster, "1a");
  EXPECT_EQ(s.valid, 1);
  EXPECT_EQ(s.num_candidates, 1);
  EXPECT_DOUBLE_EQ(s.suiteness, 0.01);

  s = make_suite({81, 212, 289, 295, 174, 54, 81});
  assign_suite(s, std::vector<suite>(1));
  EXPECT_EQ(s.comment, "outlier from known clusters [4D]");
}

TEST(assign_suite, NearestWhenNoDominantSatellitePair) {
  // x lies 10 degrees of zeta from 7a and 20 from 1a: both are candidates
  const struct {
    const char* role_1a;
    const char* comment;
  } cases[] = {{"dom", "no dominant-satellite pair"}, {"ord", "no dominant cluster"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.comment);
    auto t = custom_table({{"1a", c.role_1a, {81, 212, 260, 295, 174, 54, 81}},
                           {"7a", "ord", {81, 212, 230, 295, 174, 54, 81}}});
    suite s = make_suite({81, 212, 240, 295, 174, 54, 81});
    assign_suite(s, t);
    EXPECT_EQ(s.cluster, "7a");
    EXPECT_EQ(s.cluster_index, 2);
    EXPECT_EQ(s.num_candidates, 2);
    EXPECT_EQ(s.comment, c.comment);
  }
}

TEST(assign_suite, WannabeSwitch) {
  const auto& t = suite_cluster_table();
  for (const char* name : {"5n", "5p", "5r", "2g", "0k", "2z", "2u"}) {
    SCOPED_TRACE(name);
    suite on = from_row(row_of(name)), off = on;
    assign_suite(on, t);
    mutable_gvars().suite_wannabe = 0;
    assign_suite(off, t);
    mutable_gvars() = gvars_rec{};
    EXPECT_EQ(on.cluster, name);
    EXPECT_NE(off.cluster, name);
  }
}

TEST(assign_suite, DistancePowerSetting) {
  // epsilon 30 and zeta 33 degrees off: 0.5 and 0.6 widths, 0.70 for p = 3, 1.1 for p = 1
  auto t = custom_table({{"1a", "dom", {81, 212, 289, 295, 174, 54, 81}}});
  suite s = make_suite({81, 242, 256, 295, 174, 54, 81});
  assign_suite(s, t);
  EXPECT_EQ(s.cluster, "1a");
  s = make_suite({81, 242, 256, 295, 174, 54, 81});
  mutable_gvars().suite_power = 1.0;
  assign_suite(s, t);
  mutable_gvars() = gvars_rec{};
  EXPECT_EQ(s.comment, "outlier from known clusters [4D]");
}

TEST(append_chain_suite_string, DelimitersBreaksAndCase) {
  std::vector<suite_chain_nt> nts = {{}, {'g', "__", false}, {'C', "1a", false}, {'A', "1c", false}};
  const struct {
    long delimiter;
    long upper;
    const char* want;
  } cases[] = {{0, 0, "g1aC1cA"}, {'(', 0, "g(1a)C(1c)A"}, {'[', 0, "g[1a]C[1c]A"},
               {'|', 0, "g|1a|C|1c|A"}, {0, 1, "G1aC1cA"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.want);
    mutable_gvars().suite_sep = c.delimiter;
    mutable_gvars().suite_upper = c.upper;
    std::string out;
    append_chain_suite_string(out, nts, 3);
    EXPECT_EQ(out, c.want);
  }
  mutable_gvars() = gvars_rec{};
  nts[1].broken = true;
  nts[3].cluster.clear();
  std::string out = "x";
  append_chain_suite_string(out, nts, 3);
  EXPECT_EQ(out, "xg..C??A");
}

}  // namespace vask

namespace vask {

class ChainSuiteTest : public test::StructureTest {};

TEST_F(ChainSuiteTest, TrnaPheChainString) {
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  const chain* a = nullptr;
  for (long c = 1; c <= mol.num_chains; ++c)
    if (mol.chains[c].num_chain_nts == 76) a = &mol.chains[c];
  ASSERT_NE(a, nullptr);
  // 76 one-letter codes and 75 two-character suites; the acceptor stem is A-form (1a)
  EXPECT_EQ(a->suite.size(), 76u + 2 * 75);
  EXPECT_EQ(a->suite.substr(0, 15), "G1aC1aG1aG1aA1a");
  EXPECT_EQ(a->suite.substr(a->suite.size() - 10), "A1aC1aC!!A");
  EXPECT_EQ(mol.nt_infos[a->nts[1]].bb_suite.cluster, "__") << "first nucleotide: no suite";
}

}  // namespace vask
