#include "pairing/hbond.hpp"
#include "pairing/pair.hpp"
#include "pairing/prepare.hpp"
#include "structure/atom.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "structure/structure_fixture.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>


namespace vask {

namespace {

// A hand-built structure of residues of consecutive atoms with element flags.
struct hb_builder {
  struct_mol mol;
  hb_builder() {
    mol.atoms.resize(1);
    mol.residues.resize(1);
  }
  long add_residue(int kind = -1) {  // kind: an rf flag or -1 for none
    residue r;
    r.index = ++mol.num_residues;
    r.first_atom = mol.num_atoms + 1;
    r.last_atom = mol.num_atoms;
    r.idstr = "A.R" + std::to_string(r.index);
    if (kind >= 0) r.flag[kind] = 1;
    mol.residues.push_back(r);
    return r.index;
  }
  long add_atom(const std::string& name, long z, const xyz& p, long role) {
    atom a;
    a.index = ++mol.num_atoms;
    a.name = name;
    a.xyz = p;
    a.residue = mol.num_residues;
    a.atomic_number = z;
    a.hydrogen = z == 1;
    a.carbon = z == 6;
    a.nitrogen = z == 7;
    a.oxygen = z == 8;
    a.sulfur = z == 16;
    a.n_or_o = a.nitrogen || a.oxygen;
    a.c_n_or_o = a.carbon || a.n_or_o;
    a.c_n_o_s_or_halogen = a.c_n_or_o || a.sulfur;
    a.hbond_role = role;
    mol.atoms.push_back(a);
    mol.residues[mol.num_residues].last_atom = a.index;
    ++mol.residues[mol.num_residues].num_atoms;
    return a.index;
  }
  void bond_atoms(long a, long b) {
    mol.atoms[a].bonded.append(b);
    mol.atoms[b].bonded.append(a);
  }
};

long candidates(hb_builder& b, long i, long j, double cutoff = 4.0) {
  std::vector<bond> r = allocate_hbond_scratch();
  return get_possible_hbond_atom_pair(i, j, b.mol, r, cutoff);
}

}  // namespace

class HbondTest : public test::StructureTest {};

TEST_F(HbondTest, TypeFromTheTwoRoles) {
  const struct {
    long a, b;
    char want;
  } cases[] = {
      {1, 2, 'p'},  {2, 1, 'p'},  {4, 1, 'o'},  {4, 2, 'o'}, {4, 4, 'o'}, {8, 0, 'o'},
      {1, 1, 'x'},  {2, 2, 'x'},  {4, 0, 'x'},  {0, 2, 'x'}, {16, 1, 'x'}, {16, 4, 'x'},
      {8, 4, 'o'},  {8, 1, '?'},  {8, 2, '?'},  {0, 1, '?'}, {8, 8, '?'},  {0, 0, '?'},
  };
  hb_builder b;
  b.add_residue();
  long x = b.add_atom(" O1 ", 8, {0, 0, 0, 0}, 0);
  long y = b.add_atom(" O2 ", 8, {0, 3, 0, 0}, 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.a) + "+" + std::to_string(c.b));
    b.mol.atoms[x].hbond_role = c.a;
    b.mol.atoms[y].hbond_role = c.b;
    EXPECT_EQ(get_hbond_type_per_atoms(x, y, b.mol), c.want);
  }
  EXPECT_EQ(good_hbond_type('o'), 1);
  EXPECT_EQ(good_hbond_type('p'), 1);
  EXPECT_EQ(good_hbond_type('x'), 0);
  EXPECT_EQ(good_hbond_type('?'), 0);
}

TEST_F(HbondTest, CandidatesByContactKindAndCHMode) {
  const struct {
    const char* what;
    long z1, role1, z2, role2;
    double d;
    long want_ch0, want_ch1, want_ch9;
  } cases[] = {
      {"two polar atoms at 3.9 A: no vdW test", 7, 1, 8, 2, 3.9, 1, 1, 1},
      {"polar pair beyond the cutoff", 7, 1, 8, 2, 4.1, 0, 0, 0},
      {"polar pair below d1", 7, 1, 8, 2, 1.9, 0, 0, 0},
      {"C-H...O within the vdW sum", 6, 1, 8, 2, 3.2, 0, 1, 1},
      {"N...C at 3.9 A, beyond the vdW sum", 7, 1, 6, 1, 3.9, 0, 0, 0},
      {"S...O within the vdW sum", 16, 4, 8, 2, 3.3, 0, 0, 1},
      {"C...C: never", 6, 1, 6, 1, 3.2, 0, 0, 0},
      {"never-H-bond atom", 7, 16, 8, 2, 3.0, 0, 0, 0},
      {"hydrogen", 1, 1, 8, 2, 2.5, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    hb_builder b;
    long r1 = b.add_residue();
    b.add_atom(" A1 ", c.z1, {0, 0, 0, 0}, c.role1);
    long r2 = b.add_residue();
    b.add_atom(" B1 ", c.z2, {0, c.d, 0, 0}, c.role2);
    const long want[3] = {c.want_ch0, c.want_ch1, c.want_ch9};
    const long modes[3] = {0, 1, 9};
    for (int m = 0; m < 3; ++m) {
      mutable_gvars().ch_bond = modes[m];
      EXPECT_EQ(candidates(b, r1, r2), want[m]) << "C-H mode " << modes[m];
    }
  }
}

TEST_F(HbondTest, CandidatesWithinOneResidueSkipBondedAtomsAndSelf) {
  hb_builder b;
  long k = b.add_residue();
  long n1 = b.add_atom(" N1 ", 7, {0, 0, 0, 0}, 1);
  long c2 = b.add_atom(" C2 ", 6, {0, 1.4, 0, 0}, 1);
  long o3 = b.add_atom(" O3 ", 8, {0, 1.4, 1.5, 0}, 2);
  long o4 = b.add_atom(" O4 ", 8, {0, 0, 3.0, 0}, 2);
  b.bond_atoms(n1, c2);
  b.bond_atoms(c2, o3);
  std::vector<bond> r = allocate_hbond_scratch();
  long n = get_possible_hbond_atom_pair(k, k, b.mol, r, 4.0);
  // N1-O3, N1-O4 and O3-O4; never N1-C2 or C2-O3
  ASSERT_EQ(n, 3);
  EXPECT_EQ(r[2].atom2, o4);
  for (long m = 1; m <= n; ++m) {
    EXPECT_NE(r[m].atom1, r[m].atom2);
    EXPECT_FALSE(b.mol.atoms[r[m].atom1].bonded.has(r[m].atom2));
    EXPECT_LT(r[m].atom1, r[m].atom2);  // each pair once
  }
  EXPECT_EQ(r[1].type, 'p');
  EXPECT_EQ(r[1].status, -1);
  EXPECT_EQ(r[1].dvert, -1.0);
  EXPECT_EQ(r[1].both_polar, 1);
}

TEST_F(HbondTest, CandidateFlagsAndWaterType) {
  hb_builder b;
  long w = b.add_residue(rf::is_water);
  long ow = b.add_atom(" O  ", 8, {0, 0, 0, 0}, HB_EITHER);
  long g = b.add_residue(rf::is_nt);
  long o6 = b.add_atom(" O6 ", 8, {0, 2.8, 0, 0}, HB_ACCEPTOR);
  b.mol.atoms[o6].base = 1;
  long o2p = b.add_atom(" O2'", 8, {0, 0, 3.0, 0}, HB_EITHER);
  b.mol.atoms[o2p].o2prime = 1;
  std::vector<bond> r = allocate_hbond_scratch();
  ASSERT_EQ(get_possible_hbond_atom_pair(w, g, b.mol, r, 3.6), 2);
  EXPECT_EQ(r[1].atom1, ow);
  EXPECT_EQ(r[1].type, 'o');
  EXPECT_EQ(r[1].with_water, 1);
  EXPECT_EQ(r[1].any_base, 1);
  EXPECT_EQ(r[1].both_base, 0);
  EXPECT_EQ(r[2].with_O2prime, 1);
  EXPECT_EQ(r[2].O2prime_base, 0);
}

TEST_F(HbondTest, CandidateListStopsAt1024WithAWarning) {
  hb_builder b;
  long r1 = b.add_residue();
  for (int k = 0; k < 40; ++k) b.add_atom(" O  ", 8, {0, 0, 0, 0}, 2);
  long r2 = b.add_residue();
  for (int k = 0; k < 40; ++k) b.add_atom(" N  ", 7, {0, 0, 0, 3.0}, 1);
  test::log_capture log;
  EXPECT_EQ(candidates(b, r1, r2), HBOND_SCRATCH);
  EXPECT_NE(log.text().find("[w]: A.R1 vs A.R2, over *1024*"), std::string::npos);
}

TEST_F(HbondTest, NearestPartnersAreMarked) {
  std::vector<bond> r = allocate_bonds_array(3);
  r[1].atom1 = 1, r[1].atom2 = 10, r[1].distance = 3.0;
  r[2].atom1 = 1, r[2].atom2 = 11, r[2].distance = 2.9;
  r[3].atom1 = 2, r[3].atom2 = 10, r[3].distance = 2.8;
  check_for_best_hbonds_quick(3, r);
  EXPECT_EQ(r[1].status, -1);  // 1's nearest is 11, 10's nearest is 2
  EXPECT_EQ(r[2].status, 1);
  EXPECT_EQ(r[3].status, 1);
}

TEST_F(HbondTest, SharedAtomBondsAtSmallAngleKeepTheShorter) {
  const struct {
    double d1, d2;
    bool water;
    long want1, want2;
  } cases[] = {
      {2.9, 3.5, false, 2, -1},  // longer by more than 0.5
      {2.9, 3.3, false, 2, 2},
      {2.9, 3.5, true, 2, 2},    // water records are left alone
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.d1) + " " + std::to_string(c.d2) + (c.water ? " water" : ""));
    hb_builder b;
    b.add_residue();
    long n = b.add_atom(" N1 ", 7, {0, 0, 0, 0}, 1);
    b.add_residue();
    const double t = deg2rad(40.0);
    long o1 = b.add_atom(" O1 ", 8, {0, c.d1, 0, 0}, 2);
    long o2 = b.add_atom(" O2 ", 8, {0, c.d2 * std::cos(t), c.d2 * std::sin(t), 0}, 2);
    std::vector<bond> r = allocate_bonds_array(2);
    for (long k : {1L, 2L}) {
      r[k].atom1 = n;
      r[k].atom2 = k == 1 ? o1 : o2;
      r[k].distance = k == 1 ? c.d1 : c.d2;
      r[k].type = 'p';
      r[k].status = 2;
      r[k].with_water = c.water;
    }
    eliminate_hbond2hbond_small_angle(b.mol, 2, r);
    EXPECT_EQ(r[1].status, c.want1);
    EXPECT_EQ(r[2].status, c.want2);
  }
}

TEST_F(HbondTest, ListingSwitches) {
  hb_builder b;
  long nt1 = b.add_residue(rf::is_nt);
  long a1 = b.add_atom(" N1 ", 7, {0, 0, 0, 0}, 1);
  b.add_residue(rf::is_nt);
  long a2 = b.add_atom(" N3 ", 7, {0, 3, 0, 0}, 2);
  b.add_residue(rf::is_aa);
  long a3 = b.add_atom(" O  ", 8, {0, 0, 3, 0}, 2);
  b.add_residue(rf::is_water);
  long a4 = b.add_atom(" O  ", 8, {0, 0, 0, 3}, 4);
  b.add_residue(rf::is_water);
  long a5 = b.add_atom(" O  ", 8, {0, 0, 0, 6}, 4);
  (void)nt1;
  b.mol.hbonds = allocate_bonds_array(4);
  const long pairs[4][2] = {{a1, a2}, {a1, a3}, {a2, a4}, {a4, a5}};
  for (int k = 0; k < 4; ++k) {
    b.mol.hbonds[k + 1].atom1 = pairs[k][0];
    b.mol.hbonds[k + 1].atom2 = pairs[k][1];
  }
  b.mol.num_hbonds = 4;
  const struct {
    std::vector<int> on;
    long water_setting;
    long want;
  } cases[] = {
      {{1}, 0, 1},     // nucleotide pairs only
      {{3}, 0, 1},     // complex
      {{1}, 1, 2},     // waters analysed: the water bond too
      {{1, 4}, 0, 2},  // with water
      {{0, 4}, 0, 2},  // without water: every non-water bond
      {{5}, 0, 4},     // every bond, water-water too
  };
  for (const auto& c : cases) {
    mutable_gvars().get_hbond = {};
    for (int s : c.on) mutable_gvars().get_hbond[s] = 1;
    mutable_gvars().waters = c.water_setting;
    EXPECT_EQ(number_clean_hbonds(b.mol, Gvars.get_hbond), c.want);
    std::vector<bond> out;
    collect_clean_hbonds(b.mol, out, Gvars.get_hbond);
    ASSERT_EQ(static_cast<long>(out.size()) - 1, c.want);
    for (long k = 1; k <= c.want; ++k) EXPECT_EQ(out[k].index, k);
  }
}

TEST_F(HbondTest, BadBpxAndModerate) {
  EXPECT_EQ(bad_bpx(1.6, 30), 0);
  EXPECT_EQ(bad_bpx(1.7, 30), 1);  // above the 1.618 bpx-dv
  EXPECT_EQ(bad_bpx(1.0, 37), 1);  // above the 36 bpx angle
  bond b;
  b.good_type = 1;
  b.distance = 3.5;
  EXPECT_EQ(moderate_hbond(b), 1);
  b.distance = 3.51;
  EXPECT_EQ(moderate_hbond(b), 0);
}

}  // namespace vask

namespace vask {

namespace {

long atom_role(const struct_mol& mol, const std::string& chain, long number, const char* name) {
  for (long k = 1; k <= mol.num_residues; ++k) {
    const residue& r = mol.residues[k];
    if (r.chain_id != chain || r.res_seq != number) continue;
    long a = find_atom_in_residue(name, k, mol);
    return a == -1 ? -1 : mol.atoms[a].hbond_role;
  }
  return -1;
}

}  // namespace

TEST_F(HbondTest, RolesFromTheResidueTables) {
  struct_mol trna, dna, protein;
  read_pdb(test::test_data("1ehz.pdb"), trna);
  read_pdb(test::test_data("1bna.pdb"), dna);
  read_pdb(test::test_data("1ubq.pdb"), protein);
  const struct {
    const struct_mol* mol;
    long number;
    const char* name;
    long want;
  } cases[] = {
      {&trna, 1, " N1 ", HB_DONOR},      // G1
      {&trna, 1, " O6 ", HB_ACCEPTOR},
      {&trna, 1, " C2 ", HB_NEVER},
      {&trna, 1, " P  ", HB_NEVER},
      {&trna, 1, " O2'", HB_EITHER},
      {&trna, 1, " C1'", HB_DONOR},
      {&trna, 2, " N4 ", HB_DONOR},      // C2
      {&trna, 2, " N3 ", HB_ACCEPTOR},
      {&trna, 10, " N1 ", HB_DONOR},     // 2MG: a modified G takes the G table
      {&trna, 14, " C2 ", HB_DONOR},     // A14
      {&trna, 39, " N1 ", HB_DONOR},     // pseudouridine
      {&trna, 8, " N1 ", HB_NEVER},      // U8
      {&dna, 7, " C7 ", HB_DONOR},       // T7: the methyl is a C-H donor
      {&dna, 7, " C5 ", HB_NEVER},
      {&dna, 7, " O2'", -1},
      {&protein, 20, " OG ", HB_EITHER},  // SER20
      {&protein, 68, " NE2", HB_DONOR},   // HIS68
      {&protein, 68, " ND1", HB_EITHER},
      {&protein, 68, " CB ", HB_UNSET},   // not in the tables
      {&protein, 1, " SD ", HB_ACCEPTOR}, // MET1
      {&protein, 1, " CA ", HB_DONOR},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.number) + c.name);
    EXPECT_EQ(atom_role(*c.mol, "A", c.number, c.name), c.want);
  }
}

TEST_F(HbondTest, LowerCaseAminoAcidNamesGetTheSideChainRoles) {
  const std::string text =
      "ATOM      1  N   ser A   1      11.104   6.134  -6.504  1.00  0.00           N\n"
      "ATOM      2  CA  ser A   1      11.639   6.071  -5.147  1.00  0.00           C\n"
      "ATOM      3  C   ser A   1      13.147   5.941  -5.159  1.00  0.00           C\n"
      "ATOM      4  O   ser A   1      13.721   5.401  -6.106  1.00  0.00           O\n"
      "ATOM      5  CB  ser A   1      11.053   4.905  -4.353  1.00  0.00           C\n"
      "ATOM      6  OG  ser A   1      11.491   4.945  -3.002  1.00  0.00           O\n";
  struct_mol mol;
  test::read_pdb_text(text, mol);
  ASSERT_EQ(mol.num_residues, 1);
  ASSERT_TRUE(is_aa(1, mol));
  EXPECT_EQ(atom_role(mol, "A", 1, " OG "), HB_EITHER);
}

}  // namespace vask

namespace vask {

namespace {

// A structure read through the whole preparation pipeline.
void read_with_hbonds(const std::string& path, struct_mol& mol) {
  read_pdb(path, mol);
  ASSERT_TRUE(mol.stage.hbonds);
}

long find_residue(const struct_mol& mol, const std::string& chain, long number) {
  for (long k = 1; k <= mol.num_residues; ++k)
    if (mol.residues[k].chain_id == chain && mol.residues[k].res_seq == number) return k;
  return -1;
}

// The stored H-bond between the two named atoms of residues i and j, or null.
const bond* hbond_between(const struct_mol& mol, long i, const char* a, long j, const char* b) {
  long x = find_atom_in_residue(a, i, mol), y = find_atom_in_residue(b, j, mol);
  for (long k = 1; k <= mol.num_hbonds; ++k) {
    const bond& h = mol.hbonds[k];
    if ((h.atom1 == x && h.atom2 == y) || (h.atom1 == y && h.atom2 == x)) return &h;
  }
  return nullptr;
}

// Checks the Watson-Crick H-bonds of pairs (chain1 i, chain2 j): three N/O
// H-bonds for G-C, two for A-U and A-T, each 2.6..3.4 A.
void expect_wc_hbonds(const struct_mol& mol, const std::vector<std::array<long, 2>>& pairs,
                      const std::string& chain1, const std::string& chain2) {
  static const char* const gc[3][2] = {{" O6 ", " N4 "}, {" N1 ", " N3 "}, {" N2 ", " O2 "}};
  static const char* const au[2][2] = {{" N6 ", " O4 "}, {" N1 ", " N3 "}};
  long checked = 0;
  for (const auto& p : pairs) {
    long i = find_residue(mol, chain1, p[0]), j = find_residue(mol, chain2, p[1]);
    ASSERT_GT(i, 0);
    ASSERT_GT(j, 0);
    char bi = mol.residues[i].std_name[2] & ~0x20, bj = mol.residues[j].std_name[2] & ~0x20;
    if (bi == 'C' || bi == 'U' || bi == 'T') {  // purine first
      std::swap(i, j);
      std::swap(bi, bj);
    }
    const bool is_gc = bi == 'G' && bj == 'C', is_au = bi == 'A' && (bj == 'U' || bj == 'T');
    if (!is_gc && !is_au) continue;  // G-U wobble and pseudouridine pairs are not checked
    SCOPED_TRACE(mol.residues[i].idstr + " - " + mol.residues[j].idstr);
    ++checked;
    for (int m = 0; m < (is_gc ? 3 : 2); ++m) {
      const char* a = is_gc ? gc[m][0] : au[m][0];
      const char* b = is_gc ? gc[m][1] : au[m][1];
      const bond* h = hbond_between(mol, i, a, j, b);
      ASSERT_NE(h, nullptr) << a << " - " << b;
      EXPECT_GE(h->distance, 2.6);
      EXPECT_LE(h->distance, 3.4);
      EXPECT_EQ(h->type, 'p');
    }
  }
  EXPECT_GT(checked, 0);
}

}  // namespace

TEST_F(HbondTest, WatsonCrickPairsOf1ehzHaveTheirHbonds) {
  struct_mol mol;
  read_with_hbonds(test::test_data("1ehz.pdb"), mol);
  // tRNA-Phe stems: acceptor 1-72..7-66, D 10-25..13-22, anticodon 27-43..31-39, T 49-65..53-61
  std::vector<std::array<long, 2>> pairs;
  for (long k = 0; k < 7; ++k) pairs.push_back({1 + k, 72 - k});
  for (long k = 0; k < 4; ++k) pairs.push_back({10 + k, 25 - k});
  for (long k = 0; k < 5; ++k) pairs.push_back({27 + k, 43 - k});
  for (long k = 0; k < 5; ++k) pairs.push_back({49 + k, 65 - k});
  expect_wc_hbonds(mol, pairs, "A", "A");
}

TEST_F(HbondTest, WatsonCrickPairsOf1bnaHaveTheirHbonds) {
  struct_mol mol;
  read_with_hbonds(test::test_data("1bna.pdb"), mol);
  std::vector<std::array<long, 2>> pairs;  // CGCGAATTCGCG: i pairs with 25 - i
  for (long i = 1; i <= 12; ++i) pairs.push_back({i, 25 - i});
  expect_wc_hbonds(mol, pairs, "A", "B");
  // stacked neighbours on one strand: their close base atoms are no H-bonds
  for (long k = 1; k <= mol.num_hbonds; ++k) {
    const bond& h = mol.hbonds[k];
    const residue& r1 = mol.residues[mol.atoms[h.atom1].residue];
    const residue& r2 = mol.residues[mol.atoms[h.atom2].residue];
    if (r1.flag[rf::is_nt] && r2.flag[rf::is_nt]) {
      EXPECT_NE(r1.chain_id, r2.chain_id) << r1.idstr << " " << r2.idstr;
    }
  }
}

TEST_F(HbondTest, ProteinAndProteinRnaHbonds) {
  struct_mol protein, complex;
  read_with_hbonds(test::test_data("1ubq.pdb"), protein);
  // ubiquitin's first beta hairpin: I3 N-H...O L15 and V5 N-H...O I13
  long i3 = find_residue(protein, "A", 3), l15 = find_residue(protein, "A", 15);
  long v5 = find_residue(protein, "A", 5), i13 = find_residue(protein, "A", 13);
  ASSERT_NE(hbond_between(protein, i3, " N  ", l15, " O  "), nullptr);
  ASSERT_NE(hbond_between(protein, v5, " N  ", i13, " O  "), nullptr);
  read_with_hbonds(test::test_data("1a34.pdb"), complex);
  long nt_aa = 0;
  for (long k = 1; k <= complex.num_hbonds; ++k) {
    const bond& h = complex.hbonds[k];
    long r1 = complex.atoms[h.atom1].residue, r2 = complex.atoms[h.atom2].residue;
    if (!nt_with_aa(r1, r2, complex)) continue;
    ++nt_aa;
    EXPECT_GE(h.distance, Gvars.hbond_d1);
    EXPECT_LE(h.distance, Gvars.hbond_dist);
  }
  EXPECT_GE(nt_aa, 5);
}

TEST_F(HbondTest, WaterHbondsStopAtTheGoodDistance) {
  for (double good : {3.6, 3.2}) {
    SCOPED_TRACE(good);
    mutable_gvars().hbond_good = good;
    struct_mol mol;
    read_with_hbonds(test::test_data("354d.pdb"), mol);
    long water = 0, beyond_33 = 0;
    for (long k = 1; k <= mol.num_hbonds; ++k) {
      const bond& h = mol.hbonds[k];
      bool w = is_water(mol.atoms[h.atom1].residue, mol) || is_water(mol.atoms[h.atom2].residue, mol);
      if (!w) continue;
      ++water;
      EXPECT_LE(h.distance, good);
      beyond_33 += h.distance > 3.3;
    }
    EXPECT_GT(water, 50);  // many ordered waters
    if (good > 3.5) {
      EXPECT_GT(beyond_33, 0);  // waters reach past the usual 3.3 A
    }
  }
}

}  // namespace vask

namespace vask {

TEST_F(HbondTest, PerPairQueriesOf1ehz) {
  struct_mol mol;
  read_with_hbonds(test::test_data("1ehz.pdb"), mol);
  pair wc, far;
  wc.nt1 = find_residue(mol, "A", 1);
  wc.nt2 = find_residue(mol, "A", 72);
  far.nt1 = wc.nt1;
  far.nt2 = find_residue(mol, "A", 40);
  EXPECT_EQ(pair_with_moderate_hbond(wc, mol), 1);
  EXPECT_EQ(pair_with_moderate_hbond(far, mol), 0);  // not in contact
  std::vector<bond> records = allocate_hbond_scratch();
  EXPECT_EQ(get_hbonds_ij(wc.nt1, wc.nt2, mol, records), 3);
  EXPECT_EQ(hbonds_ij_with_o2(wc.nt1, wc.nt2, mol, records), 0);
  // the same answer as the stored list, pair by pair
  long stored = 0;
  for (long k = 1; k <= mol.num_hbonds; ++k) {
    long r1 = mol.atoms[mol.hbonds[k].atom1].residue, r2 = mol.atoms[mol.hbonds[k].atom2].residue;
    stored += (r1 == wc.nt1 && r2 == wc.nt2) || (r1 == wc.nt2 && r2 == wc.nt1);
  }
  EXPECT_EQ(stored, 3);
}

}  // namespace vask

namespace vask {

TEST_F(HbondTest, InvertedDistanceWindowIsEmpty) {
  // allowed settings can put d1 above the water cutoff: no candidate, no error
  hb_builder b;
  long w = b.add_residue(rf::is_water);
  b.add_atom(" O  ", 8, {0, 0, 0, 0}, HB_EITHER);
  long g = b.add_residue(rf::is_nt);
  b.add_atom(" O6 ", 8, {0, 2.9, 0, 0}, HB_ACCEPTOR);
  mutable_gvars().hbond_d1 = 3.0;
  EXPECT_EQ(candidates(b, w, g, 2.8), 0);
  mutable_gvars().hbond_d1 = 1.98;
  EXPECT_EQ(candidates(b, w, g, 2.8), 0);  // beyond the cutoff
  EXPECT_EQ(candidates(b, w, g, 3.6), 1);
}

}  // namespace vask

namespace vask {

// After the H-bond stage, the atom and residue partner sets hold exactly the
// partners of the stored H-bonds, ascending, and no residue is its own partner.
TEST_F(HbondTest, PartnerSetsFollowTheStoredHbondsSorted) {
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  ASSERT_GT(mol.num_hbonds, 100);
  std::vector<std::vector<long>> atom_partners(static_cast<size_t>(mol.num_atoms) + 1),
      residue_partners(static_cast<size_t>(mol.num_residues) + 1);
  for (long k = 1; k <= mol.num_hbonds; ++k) {
    const long a = mol.hbonds[k].atom1, b = mol.hbonds[k].atom2;
    atom_partners[a].push_back(b);
    atom_partners[b].push_back(a);
    const long r1 = mol.atoms[a].residue, r2 = mol.atoms[b].residue;
    if (r1 == r2) continue;
    residue_partners[r1].push_back(r2);
    residue_partners[r2].push_back(r1);
  }
  auto members = [](const connect& set) {
    std::vector<long> v;
    for (long t = 1; t <= set.count; ++t) v.push_back(set[t]);
    return v;
  };
  auto sorted_unique = [](std::vector<long> v) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
  };
  for (long i = 1; i <= mol.num_atoms; ++i)
    EXPECT_EQ(members(mol.atoms[i].hbonded), sorted_unique(atom_partners[i])) << "atom " << i;
  long with_partners = 0;
  for (long r = 1; r <= mol.num_residues; ++r) {
    EXPECT_EQ(members(mol.residues[r].hbonded), sorted_unique(residue_partners[r])) << "residue " << r;
    with_partners += mol.residues[r].hbonded.count > 0;
  }
  EXPECT_GT(with_partners, 70);
}

}  // namespace vask
