// Multiplets: the layer order, the known base triples of tRNA-Phe, the
// G-tetrads of two quadruplexes as four-member layers, and the outputs.
#include "json_check.hpp"
#include "motifs/motif_fixture.hpp"
#include "motifs/multiplet.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>


namespace vask {
namespace {

using MultipletTest = test::MotifTest;

TEST_F(MultipletTest, layer_order_puts_the_best_last) {
  // a consistent layer of 3 beats an inconsistent one of 5; then fewer
  // missing links, a higher score and a later member win
  const layer_rec consistent3{1, 1, 10003, 0, 100};
  const layer_rec inconsistent5{2, 0, 5 - 1, 1, 900};
  const layer_rec empty{};
  EXPECT_TRUE(layer_compare(inconsistent5, consistent3));
  EXPECT_TRUE(layer_compare(empty, inconsistent5));
  EXPECT_TRUE(layer_compare(layer_rec{1, 0, 4, 2, 0}, layer_rec{2, 0, 4, 1, 0}));
  EXPECT_TRUE(layer_compare(layer_rec{5, 0, 4, 1, 10}, layer_rec{2, 0, 4, 1, 11}));
  EXPECT_TRUE(layer_compare(layer_rec{2, 0, 4, 1, 10}, layer_rec{5, 0, 4, 1, 10}));
  EXPECT_FALSE(layer_compare(consistent3, consistent3));
}

TEST_F(MultipletTest, weak_pair_rule_of_the_bad_multiplet_check) {
  // four bare nucleotides paired in a ring; the weakest pair (1, 2) buries
  // exactly the limit, then just above it
  for (double weakest : {60.0, 60.01}) {
    SCOPED_TRACE(weakest);
    struct_mol mol = test::make_bare_nts(4);
    const std::pair<long, long> ring[] = {{1, 2}, {2, 3}, {3, 4}, {1, 4}};
    motif_measures m(mol);
    for (auto [a, b] : ring) {
      mol.residues[a].paired.append(b);
      mol.residues[b].paired.append(a);
      m.set_base_area(a, b, a == 1 && b == 2 ? weakest : 100.0);
    }
    connect loose, tight, inside;
    for (long r : {1, 2, 3, 4}) loose.append(r);  // flag 0
    for (long r : {2, 3, 4}) tight.append(r);
    tight.set_owner(1);
    for (long r : {1, 2, 3}) inside.append(r);
    inside.set_owner(1);
    std::vector<connect> in{connect{}, loose, tight, inside}, out;
    test::log_capture log(true);
    long changed = 0;
    const long n = check_bad_multiplets(3, in, mol, m, out, changed);
    // the ring holds no layer without its weak pair, so it stays; the
    // consistent ones it contains go
    ASSERT_EQ(n, 1);
    EXPECT_EQ(out[1].count, 4);
    EXPECT_EQ(changed, 0);
    const bool dropped = log.prg_text().find("[i] -- A.N1 vs A.N2 [60.00]\n") != std::string::npos;
    EXPECT_EQ(dropped, weakest <= 60.0) << log.prg_text();
  }
}

TEST_F(MultipletTest, trna_base_triples) {
  load("1ehz.pdb");
  test::log_capture log;
  motif_measures m(mol_);
  long n = 0;
  std::vector<connect> mps;
  find_multiplets(mol_, num_pairs_, pairs_, m, n, mps);
  EXPECT_NE(log.text().find("    total number of multiplets: 4\n"), std::string::npos);
  // the tertiary triples of the L-shaped fold, each a consistent layer;
  // the G15-C48 Levitt pair has no third base in the plane here
  const std::vector<std::vector<long>> want = {{8, 14, 21}, {9, 12, 23}, {10, 25, 45}, {13, 22, 46}};
  ASSERT_EQ(n, 4);
  for (long k = 1; k <= n; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(numbers(mps[k]), want[static_cast<size_t>(k - 1)]);
    EXPECT_EQ(mps[k].owner(), 1);
    EXPECT_GT(mps[k].value, 0.0);
    EXPECT_LT(mps[k].value, 1.0);  // Angstrom from the mean plane: flat layers
    for (long q = 1; q <= mps[k].count; ++q) EXPECT_EQ(mol_.residues[mps[k][q]].flag[rf::multiplet], k);
  }
  EXPECT_EQ(mol_.residues[res("A", 15)].flag[rf::multiplet], 0);
  // the pairs inside a multiplet are used up for later networks
  for (long p = 1; p <= num_pairs_; ++p) {
    const bool inside = mol_.residues[pairs_[p].nt1].flag[rf::multiplet] != 0 &&
                        mol_.residues[pairs_[p].nt1].flag[rf::multiplet] ==
                            mol_.residues[pairs_[p].nt2].flag[rf::multiplet];
    EXPECT_EQ(pairs_[p].status, inside ? 1 : 0) << p;
  }
  // nothing without pairs
  std::vector<pair> none(1);
  find_multiplets(mol_, 0, none, m, n, mps);
  EXPECT_EQ(n, 0);
}

TEST_F(MultipletTest, quadruplex_tetrads_are_four_member_layers) {
  struct entry {
    const char* file;
    std::vector<std::vector<long>> tetrads;
  } entries[] = {
      {"1i34-assembly1.cif", {{1, 8, 12, 18}, {2, 7, 11, 19}}},
      {"2hy9.cif", {{5, 11, 17, 23}, {6, 12, 16, 24}}},
  };
  for (const auto& e : entries) {
    SCOPED_TRACE(e.file);
    mol_ = struct_mol{};
    load(e.file);
    motif_measures m(mol_);
    long n = 0;
    std::vector<connect> mps;
    find_multiplets(mol_, num_pairs_, pairs_, m, n, mps);
    for (const auto& t : e.tetrads) {
      bool found = false;
      for (long k = 1; k <= n && !found; ++k) found = numbers(mps[k]) == t;
      EXPECT_TRUE(found) << t[0] << "," << t[1] << "," << t[2] << "," << t[3];
    }
  }
}

TEST_F(MultipletTest, report_json_and_model_file) {
  test::ExeRun exe({"1ehz.pdb"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.txt --more"), 0) << exe.file("stderr.txt");
  const std::string text = exe.file("out.txt");
  EXPECT_NE(text.find("List of 4 multiplets\n"
                      "   1 nts=3 UAA A.U8,A.A14,A.A21   planarity="),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("   3 nts=3 gCG A.2MG10,A.C25,A.G45   planarity="), std::string::npos);
  const std::string ens = exe.file("vask-multiplets.pdb");
  EXPECT_NE(ens.find("MODEL        1\nREMARK    model=1  nts=3  UAA A.U8,A.A14,A.A21\n"), std::string::npos)
      << ens.substr(0, 300);
  exe.expect_gemmi_models("vask-multiplets.pdb", 4);
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.json --json"), 0);
  const std::string js = exe.file("out.json");
  EXPECT_EQ(test::json_error(js), "");
  EXPECT_NE(js.find("\"num_multiplets\":4,\"multiplets\":[{\"index\":1,\"num_nts\":3,\"nts_short\":\"UAA\","
                    "\"nts_long\":\"A.U8,A.A14,A.A21\",\"planarity\":"),
            std::string::npos)
      << js.substr(0, 2000);
}

}  // namespace
}  // namespace vask
