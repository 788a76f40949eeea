// Cyclic tetrads: the cycle tracer on small graphs, the pairing links of a
// multiplet, and the G-tetrads of a quadruplex with --experimental.
#include "json_check.hpp"
#include "motifs/cyclic_tetrad.hpp"
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

using CyclicTetradTest = test::MotifTest;

std::vector<long> cycle_sizes(std::initializer_list<std::array<long, 2>> edges) {
  std::vector<std::array<long, 2>> links(1);
  long n = 0;
  for (const auto& e : edges) add_one_unique_lkg_in_order(e[0], e[1], n, links);
  std::vector<connect> cycles = allocate_connects_array(MAX_CYCLES);
  long warned = 0;
  const long num = trace_cycles(n, links, cycles, warned);
  std::vector<long> sizes;
  for (long c = 1; c <= num; ++c) sizes.push_back(cycles[c].count);
  std::sort(sizes.begin(), sizes.end());
  return sizes;
}

TEST_F(CyclicTetradTest, cycles_of_small_graphs) {
  EXPECT_EQ(cycle_sizes({{1, 2}, {2, 3}}), std::vector<long>{});         // two links: none
  EXPECT_EQ(cycle_sizes({{1, 2}, {2, 3}, {1, 3}}), std::vector<long>{3});  // a triangle
  // a square with one diagonal: the square and two triangles
  EXPECT_EQ(cycle_sizes({{1, 2}, {2, 3}, {3, 4}, {4, 1}, {1, 3}}), (std::vector<long>{3, 3, 4}));
}

TEST_F(CyclicTetradTest, pairing_links_of_a_multiplet) {
  struct_mol mol = test::make_bare_nts(5);
  auto pair_up = [&mol](long a, long b) {
    mol.residues[a].paired.append(b);
    mol.residues[b].paired.append(a);
  };
  pair_up(1, 2);
  pair_up(2, 3);
  pair_up(3, 4);
  pair_up(4, 1);
  pair_up(4, 5);  // 5 is no member
  connect m;
  for (long r : {1, 2, 3, 4}) m.append(r);
  std::vector<std::array<long, 2>> links;
  ASSERT_EQ(generate_pair_linkages(m, mol, links), 4);
  EXPECT_EQ(links[1], (std::array<long, 2>{1, 2}));
  EXPECT_EQ(links[2], (std::array<long, 2>{1, 4}));

  mutable_gvars().experimental = 1;
  std::vector<connect> mps{connect{}, m};
  long n = 0;
  std::vector<connect> tetrads;
  find_cyclic_tetrads(mol, 1, mps, n, tetrads);
  ASSERT_EQ(n, 1);
  for (long k = 1; k <= 4; ++k) {  // ring order: each member paired with the next
    const long a = tetrads[1][k], b = tetrads[1][k % 4 + 1];
    EXPECT_TRUE(mol.residues[a].paired.has(b)) << a << " " << b;
    EXPECT_EQ(mol.residues[a].flag[rf::cyclic_tetrad], 1);
  }
  mutable_gvars().experimental = 0;
  find_cyclic_tetrads(mol, 1, mps, n, tetrads);
  EXPECT_EQ(n, 0);
}

TEST_F(CyclicTetradTest, tetrad_inside_a_larger_layer) {
  // the outer layer of the telomeric quadruplex holds a thymine beside its
  // four guanines: the ring of four is still found inside it
  load("2hy9.cif");
  mutable_gvars().experimental = 1;
  motif_measures m(mol_);
  long n = 0;
  std::vector<connect> mps;
  find_multiplets(mol_, num_pairs_, pairs_, m, n, mps);
  long count = 0;
  std::vector<connect> tetrads;
  find_cyclic_tetrads(mol_, n, mps, count, tetrads);
  ASSERT_EQ(count, 3);
  std::vector<long> third = numbers(tetrads[3]);
  std::sort(third.begin(), third.end());
  EXPECT_EQ(third, (std::vector<long>{4, 10, 18, 22}));
  for (long k = 1; k <= count; ++k) EXPECT_GE(tetrads[k].value, 0.0);  // planarity
}

TEST_F(CyclicTetradTest, quadruplex_report_and_file) {
  test::ExeRun exe({"1i34-assembly1.cif"});
  ASSERT_EQ(exe.run("-i=1i34-assembly1.cif -o=plain.txt"), 0) << exe.file("stderr.txt");
  const std::string plain = exe.file("plain.txt");
  EXPECT_NE(plain.find("nts=4 GGGG A.DG1,A.DG8,A.DG12,A.DG18\n"), std::string::npos) << plain;
  EXPECT_EQ(plain.find("cyclic tetrad"), std::string::npos);
  EXPECT_FALSE(exe.exists("vask-cyclicTetrads.pdb"));

  ASSERT_EQ(exe.run("-i=1i34-assembly1.cif -o=out.txt --experimental"), 0);
  const std::string text = exe.file("out.txt");
  EXPECT_NE(text.find("List of 2 cyclic tetrads\n   1 nts=4 GGGG "), std::string::npos) << text;
  const std::string ens = exe.file("vask-cyclicTetrads.pdb");
  EXPECT_NE(ens.find("MODEL        2\nREMARK    model=2  nts=4  GGGG "), std::string::npos);
  exe.expect_gemmi_models("vask-cyclicTetrads.pdb", 2);
  ASSERT_EQ(exe.run("-i=1i34-assembly1.cif -o=out.json --json --experimental"), 0);
  const std::string js = exe.file("out.json");
  EXPECT_EQ(test::json_error(js), "");
  EXPECT_NE(js.find("\"num_cyclicTetrads\":2,\"cyclicTetrads\":[{\"index\":1,\"num_nts\":4,"), std::string::npos);
}

}  // namespace
}  // namespace vask
