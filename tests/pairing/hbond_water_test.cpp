#include "pairing/hbond_water.hpp"
#include "pairing/prepare.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "structure/structure_fixture.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>


namespace vask {

namespace {

class WaterBridgeTest : public test::StructureTest {
 protected:
  void load(const char* name) {
    init_struct_mol(test::test_data(name), mol_);
    read_pdb(test::test_data(name), mol_);
  }
  long water(long nth) const {  // the nth water residue
    for (long k = 1; k <= mol_.num_residues; ++k)
      if (is_water(k, mol_) && --nth == 0) return k;
    return 0;
  }
  long atom_of(long residue, const char* name) const {
    return find_atom_in_residue(name, residue, mol_);
  }
  long residue_of(const char* chain, long number) const {
    for (long k = 1; k <= mol_.num_residues; ++k)
      if (mol_.residues[k].chain_id == chain && mol_.residues[k].res_seq == number && !is_water(k, mol_))
        return k;
    return 0;
  }
  // Every water H-bonded to the given atoms only (partners ascending).
  void hbonds_of_waters(std::vector<std::vector<long>> partners) {
    for (long a = 1; a <= mol_.num_atoms; ++a)
      if (is_water(mol_.atoms[a].residue, mol_)) mol_.atoms[a].hbonded.clear();
    for (size_t w = 0; w < partners.size(); ++w) {
      long o = atom_of(water(static_cast<long>(w) + 1), " O  ");
      std::sort(partners[w].begin(), partners[w].end());
      for (long a : partners[w]) mol_.atoms[o].hbonded.append(a);
    }
  }
  std::string report() {
    FILE* fp = std::tmpfile();
    output_waterBridges(mol_, 0, {}, fp);
    std::string text = test::read_stream(fp);
    std::fclose(fp);
    return text;
  }
  struct_mol mol_;
};

}  // namespace

TEST_F(WaterBridgeTest, bridges_of_tRNA_join_water_first_and_are_mutual) {
  load("1ehz.pdb");
  ASSERT_GT(mol_.num_waters, 100);
  ASSERT_GT(mol_.num_water_bridges, 20);  // a well-hydrated crystal structure
  for (long k = 1; k <= mol_.num_water_bridges; ++k) {
    const water_bridge& wb = mol_.water_bridges[k];
    SCOPED_TRACE(k);
    ASSERT_TRUE(is_water(wb.residues[1], mol_));
    ASSERT_GE(wb.residues.count, 3);
    EXPECT_EQ(mol_.atoms[wb.atoms[1]].residue, wb.residues[1]);
    for (long m = 2; m <= wb.atoms.count; ++m) {
      long a = wb.atoms[m];
      EXPECT_FALSE(is_water(mol_.atoms[a].residue, mol_));
      EXPECT_TRUE(mol_.atoms[wb.atoms[1]].hbonded.has(a));
      EXPECT_TRUE(wb.residues.has(mol_.atoms[a].residue));
    }
    for (long i = 1; i <= wb.residues.count; ++i)
      for (long j = 1; j <= wb.residues.count; ++j)
        if (i != j) {
          EXPECT_TRUE(residues_in_waterBridge(wb.residues[i], wb.residues[j], mol_));
        }
  }
  for (long k = 1; k <= mol_.num_residues; ++k) {
    const connect& s = mol_.residues[k].water_bridged;
    for (long m = 2; m <= s.count; ++m) EXPECT_LT(s[m - 1], s[m]);
  }
}

TEST_F(WaterBridgeTest, which_waters_bridge) {
  load("1ehz.pdb");
  const long a9 = residue_of("A", 9), u12 = residue_of("A", 12);
  const long n6 = atom_of(a9, " N6 "), n1 = atom_of(a9, " N1 "), o4 = atom_of(u12, " O4 ");
  const long other_water_o = atom_of(water(5), " O  ");
  struct row {
    const char* name;
    std::vector<long> partners;
    long bridges;
  } rows[] = {
      {"two atoms of one nucleotide", {n6, n1}, 0},
      {"another water and one nucleotide", {n6, other_water_o}, 0},
      {"no partners", {}, 0},
      {"two nucleotides", {n6, o4}, 1},
      {"two nucleotides and a water", {n6, o4, other_water_o}, 1},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    hbonds_of_waters({r.partners});
    populate_waterBridges(mol_);
    EXPECT_EQ(mol_.num_water_bridges, r.bridges);
    EXPECT_EQ(mol_.residues[a9].water_bridged.has(u12), r.bridges == 1);
    if (r.bridges == 1) {
      EXPECT_EQ(mol_.water_bridges[1].residues.count, 3);  // the water and the two nucleotides
      EXPECT_TRUE(mol_.atoms[n6].water_bridged.has(o4));
      EXPECT_TRUE(mol_.residues[a9].water_bridged.has(water(1)));
    }
  }
}

TEST_F(WaterBridgeTest, report_section_and_water_setting) {
  load("1ehz.pdb");
  mutable_gvars().auxfiles = 0;
  const long a9 = residue_of("A", 9), u12 = residue_of("A", 12);
  hbonds_of_waters({{atom_of(a9, " N6 "), atom_of(u12, " O4 ")}});
  populate_waterBridges(mol_);
  EXPECT_EQ(report(), "");  // the water setting is off by default
  mutable_gvars().waters = 1;
  std::string text = report();
  EXPECT_NE(text.find("\n****"), std::string::npos);
  EXPECT_NE(text.find("List of 1 water mediating two or more residues\n"
                      "   1 nts=3 -AU A.HOH101,A.A9,A.U12\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Water-mediated residues in the first layer\n"
                      "   1 A.A9 [2] A.U12,A.HOH101\n"
                      "   2 A.U12 [2] A.A9,A.HOH101\n"
                      "   3 A.HOH101 [2] A.A9,A.U12\n"),
            std::string::npos)
      << text;
  hbonds_of_waters({});
  populate_waterBridges(mol_);
  EXPECT_EQ(report(), "");  // no bridges, no section
}

TEST_F(WaterBridgeTest, clusters_need_settings_and_enough_bridges) {
  load("1ehz.pdb");
  long n = -1;
  std::vector<connect> clusters;
  struct row {
    long waters, experimental;
    bool made;
  } rows[] = {{0, 1, false}, {1, 0, false}, {1, 1, true}, {100000, 1, false}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.waters * 10 + r.experimental);
    mutable_gvars().waters = r.waters;
    mutable_gvars().experimental = r.experimental;
    derive_water_clusters(mol_, n, clusters);
    EXPECT_EQ(n > 0, r.made);
  }
  mutable_gvars().waters = 1;
  mutable_gvars().experimental = 1;
  derive_water_clusters(mol_, n, clusters);
  std::vector<char> seen(static_cast<size_t>(mol_.num_residues) + 1, 0);
  for (long c = 1; c <= n; ++c) {
    ASSERT_GE(clusters[c].count, 3);
    for (long m = 1; m <= clusters[c].count; ++m) {
      EXPECT_FALSE(seen[clusters[c][m]]) << "a residue in two clusters";
      seen[clusters[c][m]] = 1;
    }
  }
}

TEST_F(WaterBridgeTest, ordered_waters_of_a_duplex_bridge_both_strands) {
  load("354d.pdb");
  ASSERT_GT(mol_.num_water_bridges, 10);
  long cross = 0;  // bridges joining nucleotides of both strands
  for (long k = 1; k <= mol_.num_water_bridges; ++k) {
    const connect& r = mol_.water_bridges[k].residues;
    for (long i = 2; i <= r.count; ++i)
      for (long j = i + 1; j <= r.count; ++j)
        if (mol_.residues[r[i]].chain_id != mol_.residues[r[j]].chain_id) ++cross;
  }
  EXPECT_GT(cross, 0);
}

}  // namespace vask
