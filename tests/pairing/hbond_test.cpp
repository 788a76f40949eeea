#include "pairing/hbond.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "structure/atom.hpp"
#include "structure/residue.hpp"
#include "structure/structure_fixture.hpp"
#include "test_util.hpp"

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
      Gvars.ch_bond = modes[m];
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
    Gvars.get_hbond = {};
    for (int s : c.on) Gvars.get_hbond[s] = 1;
    Gvars.waters = c.water_setting;
    EXPECT_EQ(number_clean_hbonds(b.mol), c.want);
    std::vector<bond> out;
    collect_clean_hbonds(b.mol, out);
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
