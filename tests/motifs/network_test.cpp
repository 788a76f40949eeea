// Pair networks: the edge rules on hand-made pairs, the connect-set helpers
// (orders, unbounded closure, the bounds of the bounded ones), and the
// networks of tRNA-Phe.
#include "json_check.hpp"
#include "motifs/motif_fixture.hpp"
#include "motifs/network.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>


namespace vask {
namespace {

using NetworkTest = test::MotifTest;

connect make_set(std::initializer_list<long> items) {
  connect c;
  for (long x : items) c.append(x);
  return c;
}

struct edge_case {
  const char* what;
  long canonical, status, good_hbonds, best, base_hbonds;
  double angle, stagger, area;
  bool edge;
};

TEST_F(NetworkTest, edge_rules_in_order) {
  struct_mol mol = test::make_bare_nts(2);
  const edge_case cases[] = {
      {"canonical", 1, 0, 0, 0, 0, 80, 3, 0, true},
      {"canonical but used by a multiplet", 1, 1, 0, 0, 0, 0, 0, 99, false},
      {"an H-bond within contact distance", 0, 0, 1, 0, 0, 80, 3, 0, true},
      {"best pair, two base-base H-bonds", 0, 0, 0, 1, 2, 80, 3, 0, true},
      {"best pair, one base-base H-bond, little buried", 0, 0, 0, 1, 1, 80, 3, 44, false},
      {"flat, buried exactly network-dsa", 0, 0, 0, 0, 0, 35.9, 1.6, 50, true},
      {"flat enough for the loose rule only", 0, 0, 0, 0, 0, 23.9, 1.19, 45, true},
      {"loose rule one short of 45", 0, 0, 0, 0, 0, 23.9, 1.19, 44.9, false},
      {"angle 30, Stagger 1.0, area 47", 0, 0, 0, 0, 0, 30, 1.0, 47, false},
      {"angle not below 36", 0, 0, 0, 0, 0, 36, 0.5, 99, false},
      {"Stagger not below bpx-dv", 0, 0, 0, 0, 0, 10, 1.618, 99, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    motif_measures m(mol);
    m.set_base_area(1, 2, c.area);
    pair p;
    p.nt1 = 1;
    p.nt2 = 2;
    p.canonical = c.canonical;
    p.status = c.status;
    p.num_good_hbonds = c.good_hbonds;
    p.best = c.best;
    p.num_base_hbonds = c.base_hbonds;
    p.interBase_angle = c.angle;
    p.bp_params[3] = -c.stagger;  // the sign of Stagger does not matter
    EXPECT_EQ(is_network_edge(p, m), c.edge);
  }
}

TEST_F(NetworkTest, triple_makes_a_network_and_lone_pairs_do_not) {
  struct_mol mol = test::make_bare_nts(6);
  motif_measures m(mol);
  std::vector<pair> pairs(1);
  for (auto [a, b] : {std::pair{2L, 3L}, {4L, 5L}, {1L, 2L}}) {
    pair p;
    p.nt1 = a;
    p.nt2 = b;
    p.canonical = 1;
    pairs.push_back(p);
  }
  long n = 0;
  std::vector<connect> nets;
  find_pairNetworks(3, pairs, m, n, nets);
  ASSERT_EQ(n, 1);
  EXPECT_EQ(nets[1].count, 3);
  EXPECT_EQ(nets[1][1], 1);
  EXPECT_EQ(nets[1][3], 3);
  EXPECT_EQ(nets[1].owner(), 0);  // pair networks carry no consistency flag

  std::vector<connect> sets;
  convert_pairs2connects(3, pairs, m, sets);  // whole-structure numbering: at its smallest member
  ASSERT_EQ(static_cast<long>(sets.size()), 7);
  EXPECT_EQ(sets[1].count, 3);
  for (long k = 2; k <= 6; ++k) EXPECT_EQ(sets[k].count, 0) << k;
}

TEST_F(NetworkTest, connect_orders_and_closures) {
  // fewer members first, then member by member; the other order ignores size first
  EXPECT_LT(cnt_compare(make_set({5, 6}), make_set({1, 2, 3})), 0);
  EXPECT_LT(cnt_compare(make_set({1, 2, 4}), make_set({1, 3, 3})), 0);
  EXPECT_EQ(cnt_compare(make_set({1, 2}), make_set({1, 2})), 0);
  EXPECT_GT(cntOrder_compare(make_set({5, 6}), make_set({1, 2, 3})), 0);
  EXPECT_LT(cntOrder_compare(make_set({1, 2}), make_set({1, 2, 3})), 0);
  std::vector<connect> v{connect{}, make_set({4, 9}), make_set({1, 2, 3}), make_set({2, 8})};
  sort_connects(3, v);
  EXPECT_EQ(v[1][1], 2);
  EXPECT_EQ(v[2][1], 4);
  EXPECT_EQ(v[3].count, 3);

  // a chain of 200 items: the unbounded closure keeps it whole
  const long n = 200;
  std::vector<connect> sets = allocate_connects_array(n);
  for (long i = 1; i < n; ++i) {
    sets[i].append(i + 1);
    sets[i + 1].append(i);
  }
  std::vector<std::vector<long>> lists;
  tidyup_general_network(2, n, sets, lists);
  EXPECT_EQ(lists[1][0], n);
  EXPECT_EQ(lists[1][n], n);
  EXPECT_EQ(lists[2][0], 0);
  // the bounded one keeps 128 with a warning, and goes on
  test::log_capture log;
  long cuts = 0;
  tidyup_connection_network(2, n, sets, cuts);
  EXPECT_GE(cuts, 1);
  EXPECT_EQ(sets[1].count, CONNECT_MAX);
  EXPECT_NE(log.text().find("[w] connections out of boundary [200 > 128]"), std::string::npos);
}

TEST_F(NetworkTest, set_bound_refuses_the_129th_member_and_warns_nine_times) {
  test::log_capture log;
  connect c;
  long overflows = 0;
  for (long i = 1; i <= CONNECT_MAX; ++i) add_one_item_to_connect_simple(i, c, "fill", overflows);
  EXPECT_EQ(c.count, CONNECT_MAX);
  EXPECT_EQ(log.text(), "");
  for (long i = 1; i <= 12; ++i) add_one_item_to_connect_simple(1000 + i, c, "fill", overflows);
  EXPECT_EQ(c.count, CONNECT_MAX);
  const std::string text = log.text();
  long warned = 0;
  for (size_t p = text.find("more than 128 partners"); p != std::string::npos;
       p = text.find("more than 128 partners", p + 1))
    ++warned;
  EXPECT_EQ(warned, 9);
}

TEST_F(NetworkTest, trna_networks_hold_the_base_triples) {
  load("1ehz.pdb");
  mutable_gvars().pair_network = 1;
  test::log_capture log;
  motif_measures m(mol_);
  long n = 0;
  std::vector<connect> nets;
  find_pairNetworks(num_pairs_, pairs_, m, n, nets);
  ASSERT_GE(n, 4);
  EXPECT_NE(log.text().find("    total number of pairing networks: " + std::to_string(n) + "\n"),
            std::string::npos);
  // one buried-area computation per candidate, whatever rules ask for it
  const long areas = m.area_computations();
  find_pairNetworks(num_pairs_, pairs_, m, n, nets);
  EXPECT_EQ(m.area_computations(), areas);
  const std::vector<std::vector<long>> triples = {{8, 14, 21}, {9, 12, 23}, {10, 25, 45}, {13, 22, 46}};
  for (const auto& t : triples) {
    bool found = false;
    for (long k = 1; k <= n && !found; ++k) {
      std::vector<long> nums = numbers(nets[k]);
      found = std::includes(nums.begin(), nums.end(), t.begin(), t.end());
    }
    EXPECT_TRUE(found) << t[0] << "-" << t[1] << "-" << t[2];
  }
  for (long k = 2; k <= n; ++k) EXPECT_LE(cnt_compare(nets[k - 1], nets[k]), 0);
  for (long k = 1; k <= n; ++k) EXPECT_GT(nets[k].value, 0.0);  // planarity

  // without the switch nothing is counted on the run log
  mutable_gvars().pair_network = 0;
  test::log_capture quiet;
  find_pairNetworks(num_pairs_, pairs_, m, n, nets);
  EXPECT_EQ(quiet.text().find("pairing networks"), std::string::npos);
}

TEST_F(NetworkTest, report_json_and_model_file) {
  test::ExeRun exe({"1ehz.pdb"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=plain.txt"), 0) << exe.file("stderr.txt");
  EXPECT_EQ(exe.file("plain.txt").find("pair network"), std::string::npos);  // off by default
  EXPECT_FALSE(exe.exists("vask-pairNetworks.pdb"));

  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.txt --pair-network"), 0) << exe.file("stderr.txt");
  const std::string text = exe.file("out.txt");
  EXPECT_NE(text.find("List of 4 pair networks\n   1 nts=3 "), std::string::npos) << text;
  EXPECT_NE(exe.file("stderr.txt").find("total number of pairing networks: 4"), std::string::npos);
  const std::string ens = exe.file("vask-pairNetworks.pdb");
  EXPECT_NE(ens.find("MODEL        1\nREMARK    model=1  nts=3*  "), std::string::npos) << ens.substr(0, 200);
  exe.expect_gemmi_models("vask-pairNetworks.pdb", 4);

  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.json --json --pair-network"), 0);
  const std::string js = exe.file("out.json");
  EXPECT_EQ(test::json_error(js), "");
  EXPECT_NE(js.find("\"num_pairNetworks\":4,\"pairNetworks\":[{\"index\":1,\"num_nts\":3,"), std::string::npos);
  EXPECT_NE(js.find("\"planarity\":"), std::string::npos);
}

}  // namespace
}  // namespace vask
