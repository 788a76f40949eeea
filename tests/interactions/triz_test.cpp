// The triz module on the nucleosome (1kx5) and an NMR complex with hydrogens
// (2n82): the contact test against a brute-force scan, relative frames,
// H-bond words, partner lists, helix context and the closest atom pair.
#include "interactions/triz.hpp"
#include "pairing/frame.hpp"
#include "pairing/plane.hpp"
#include "pairing/prepare.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace vask {
namespace {

const struct_mol& nucleosome() {
  static struct_mol* mol = [] {
    set_globals("belqo-vask");
    test::log_capture quiet;
    auto* m = new struct_mol;
    read_pdb(test::test_data_unzipped("1kx5.pdb"), *m);
    return m;
  }();
  return *mol;
}

long residue_id(const struct_mol& mol, const std::string& idstr) {
  for (long k = 1; k <= mol.num_residues; ++k)
    if (mol.residues[k].idstr == idstr) return k;
  return 0;
}

TEST(TrizContact, grid_neighbours_and_contact_test_agree_with_a_full_scan) {
  const struct_mol& mol = nucleosome();
  for (double cutoff : {3.0, 4.5, 8.0}) {
    SCOPED_TRACE(cutoff);
    const triz_neighbours nb(mol, cutoff);
    long pairs = 0;
    for (long i = 1; i <= mol.num_residues; i += 7) {  // every 7th nucleotide
      if (!triz_nt(i, mol)) continue;
      std::vector<long> brute;
      for (long j = 1; j <= mol.num_residues; ++j)
        if (triz_aa(j, mol) && ntaa_in_contact(i, j, mol, 0, cutoff)) brute.push_back(j);
      std::vector<long> grid;
      for (long j : nb.near(i))
        if (ntaa_in_contact(i, j, mol, 0, cutoff)) grid.push_back(j);
      EXPECT_EQ(grid, brute) << mol.residues[i].idstr;
      pairs += static_cast<long>(brute.size());
    }
    EXPECT_GT(pairs, 0);
  }
}

TEST(TrizContact, moiety_types) {
  const struct_mol& mol = nucleosome();
  const triz_neighbours nb(mol, TRIZ_CUTOFF);
  long base_only = 0, backbone_only = 0, both = 0;
  for (long i = 1; i <= mol.num_residues; ++i) {
    if (!triz_nt(i, mol)) continue;
    for (long j : nb.near(i)) {
      const long any = ntaa_in_contact(i, j, mol, 0, TRIZ_CUTOFF);
      const long base = ntaa_in_contact(i, j, mol, 1, TRIZ_CUTOFF);
      const long back = ntaa_in_contact(i, j, mol, 2, TRIZ_CUTOFF);
      const long two = ntaa_in_contact(i, j, mol, 3, TRIZ_CUTOFF);
      EXPECT_EQ(any, base || back);
      EXPECT_EQ(two, base && back);
      base_only += base && !back;
      backbone_only += back && !base;
      both += two;
    }
  }
  // DNA wrapped on histones: most contacts are with the backbone
  EXPECT_GT(backbone_only, base_only);
  EXPECT_GT(both, 0);
  EXPECT_GT(base_only, 0);
}

TEST(TrizContact, hydrogens_never_make_a_contact) {
  set_globals("belqo-vask");
  test::log_capture quiet;
  struct_mol mol;
  read_pdb_model(test::test_data_unzipped("2n82.pdb"), mol, 1);
  long hydrogens = 0, checked = 0;
  for (long i = 1; i <= mol.num_residues; ++i) {
    if (!triz_nt(i, mol)) continue;
    for (long j = 1; j <= mol.num_residues; ++j) {
      if (!triz_aa(j, mol)) continue;
      // the closest pair of any atoms against the closest pair of heavy atoms
      double all = DBL_MAX, heavy = DBL_MAX;
      const residue &a = mol.residues[i], &b = mol.residues[j];
      for (long p = a.first_atom; p <= a.last_atom; ++p)
        for (long q = b.first_atom; q <= b.last_atom; ++q) {
          const double d = dist_atoms(p, q, mol);
          all = std::min(all, d);
          if (!is_hydrogen(p, mol) && !is_hydrogen(q, mol)) heavy = std::min(heavy, d);
        }
      ++checked;
      EXPECT_EQ(ntaa_in_contact(i, j, mol, 0, TRIZ_CUTOFF), heavy <= TRIZ_CUTOFF ? 1 : 0);
      hydrogens += all <= TRIZ_CUTOFF && heavy > TRIZ_CUTOFF;
    }
  }
  EXPECT_GT(checked, 1000);
  EXPECT_GT(hydrogens, 0);  // pairs that only hydrogens bring within the cutoff exist
}

TEST(TrizPars, translation_rotation_and_flip) {
  frame ref;
  set_identity_frame(ref);
  // an amino-acid frame 1, 2, 3 A away without rotation: the step parameters
  // are the translation, Rdst is 0
  frame aa = ref;
  set_xyz(aa.org, 1.0, 2.0, 3.0);
  triz_pars tp;
  long checks = 0;
  get_triz_pars(ref, aa, tp, checks);
  EXPECT_NEAR(tp.pars[1], 1.0, 1e-9);
  EXPECT_NEAR(tp.pars[2], 2.0, 1e-9);
  EXPECT_NEAR(tp.pars[3], 3.0, 1e-9);
  for (long k = 4; k <= 6; ++k) EXPECT_NEAR(tp.pars[k], 0.0, 1e-9);
  EXPECT_NEAR(tp.rot_dist, 0.0, 1e-9);
  EXPECT_NEAR(tp.trs_dist, std::sqrt(14.0), 1e-9);
  EXPECT_EQ(tp.z_direction, 1);
  EXPECT_NEAR(tp.rel.org[3], 3.0, 1e-9);
  // below the reference plane and turned over: negative Tdst, z-direction 0,
  // and the frame used with y and z negated (no rotation left)
  set_xyz(aa.org, 0.0, 0.0, -4.0);
  set_xyz(aa.y_axis, 0.0, -1.0, 0.0);
  set_xyz(aa.z_axis, 0.0, 0.0, -1.0);
  get_triz_pars(ref, aa, tp, checks);
  EXPECT_NEAR(tp.trs_dist, -4.0, 1e-9);
  EXPECT_EQ(tp.z_direction, 0);
  EXPECT_NEAR(tp.rot_dist, 0.0, 1e-9);
  EXPECT_NEAR(tp.pars[3], -4.0, 1e-9);
  EXPECT_NEAR(tp.aa.z_axis[3], -1.0, 1e-12);  // the copy keeps the frame as found
}

TEST(TrizPars, c_alpha_in_the_base_frame) {
  const struct_mol& mol = nucleosome();
  const long nt = residue_id(mol, "I.DA-69"), aa = residue_id(mol, "E.HIS39");
  ASSERT_GT(nt, 0);
  ASSERT_GT(aa, 0);
  triz_pars tp;
  get_triz_c_alpha(aa, *base_frame(nt, mol), mol, tp);
  const xyz& ca = mol.atoms[find_atom_in_residue(" CA ", aa, mol)].xyz;
  xyz back;
  frame_xyz(*base_frame(nt, mol), tp.c_alpha, back);
  EXPECT_NEAR(dist_xyz(back, ca), 0.0, 1e-9);
  // a water has no CA: three -1s
  long water = 0;
  for (long k = 1; k <= mol.num_residues && !water; ++k)
    if (is_water(k, mol)) water = k;
  get_triz_c_alpha(water, *base_frame(nt, mol), mol, tp);
  EXPECT_EQ(tp.c_alpha[1], -1.0);
  EXPECT_EQ(tp.c_alpha[3], -1.0);
}

TEST(TrizHbonds, type_words_and_partners) {
  const struct {
    long type, salt;
    const char* text;
  } words[] = {{1, 0, "po4:backbone"},    {2, 0, "sugar:backbone"},
               {3, 0, "base:backbone"},   {4, 0, "po4:sidechain"},
               {4, 1, "po4:sidechain:salt-bridge"}, {5, 0, "sugar:sidechain"},
               {6, 0, "base:sidechain"},  {0, 0, "**:**"}, {7, 1, "**:**"}};
  for (const auto& w : words) EXPECT_EQ(derive_ntAA_hbond_typeStr(w.type, w.salt), w.text);

  const struct_mol& mol = nucleosome();
  triz_state st;
  init_triz_state(mol, st);
  std::vector<ntaa_hbond> list;
  collect_ntAA_hbonds(MOIETY_PHOSPHATE, mol, st, list);
  ASSERT_EQ(list.size(), 155u);
  long salt = 0, o3 = 0;
  for (size_t k = 1; k < list.size(); ++k) {
    const ntaa_hbond& h = list[k];
    const atom &a = mol.atoms[h.nt_atom], &b = mol.atoms[h.aa_atom];
    EXPECT_TRUE(h.type == 1 || h.type == 4);
    EXPECT_EQ(h.type == 1, b.mainchain == 1);
    if (h.salt_bridge) {
      ++salt;
      EXPECT_TRUE(a.name == " OP1" || a.name == " OP2");
      const std::string res = mol.residues[b.residue].name;
      EXPECT_TRUE(res == "ARG" || res == "LYS" || res == "HIS") << res;
    }
    if (a.name == " O3'") {
      ++o3;
      // the O3' of one nucleotide, found with the next one's phosphate
      EXPECT_TRUE(is_nts_connected(a.residue, a.residue + 1, mol));
    }
    const auto& p = st.partners[a.residue];
    bool found = false;
    for (size_t m = 0; m < p.residues.size(); ++m)
      if (p.residues[m] == b.residue) found = (p.flags[m] & TRIZ_HBOND) != 0;
    EXPECT_TRUE(found);
  }
  EXPECT_GT(salt, 10);
  EXPECT_GT(o3, 0);
}

TEST(TrizPartners, lists_grow_and_flags_combine) {
  const struct_mol& mol = nucleosome();
  triz_state st;
  init_triz_state(mol, st);
  const long nt = residue_id(mol, "I.DA-69");
  // far more partners than the 64 a fixed list would hold
  long added = 0;
  for (long k = 1; k <= mol.num_residues && added < 300; ++k)
    if (is_aa(k, mol)) {
      add_triz_partner(nt, k, TRIZ_CONTACT, st);
      ++added;
    }
  EXPECT_EQ(st.partners[nt].residues.size(), 300u);
  const long aa = st.partners[nt].residues[0];
  add_triz_partner(nt, aa, TRIZ_HBOND, st);
  add_triz_partner(nt, aa, TRIZ_STACK, st);
  EXPECT_EQ(st.partners[nt].residues.size(), 300u);
  EXPECT_EQ(st.partners[nt].flags[0], TRIZ_CONTACT | TRIZ_HBOND | TRIZ_STACK);
  EXPECT_EQ(st.partners[aa].residues, std::vector<long>{nt});
  EXPECT_EQ(triz_interaction_text(aa, st), "h.s");
  add_triz_partner(nt, st.partners[nt].residues[1], TRIZ_PAIR, st);
  EXPECT_EQ(triz_interaction_text(nt, st).substr(0, 12), "h.s,.p.,...,");
  EXPECT_EQ(triz_partner_residues(nt, st).size(), 301u);
}

TEST(TrizSummary, shortest_atom_pair_is_the_brute_force_minimum) {
  const struct_mol& mol = nucleosome();
  const long nt = residue_id(mol, "J.DG71");
  std::vector<long> partners = {0};
  for (const char* id : {"E.ARG40", "E.TYR41", "E.ARG42", "E.THR45"}) partners.push_back(residue_id(mol, id));
  long a = -1, b = -1;
  const double d = get_shortest_atompair(nt, 4, partners, mol, a, b);
  double best = DBL_MAX;
  const residue& r = mol.residues[nt];
  for (long p = r.first_atom; p <= r.last_atom; ++p)
    for (long m = 1; m <= 4; ++m) {
      const residue& q = mol.residues[partners[m]];
      for (long t = q.first_atom; t <= q.last_atom; ++t) best = std::min(best, dist_atoms(p, t, mol));
    }
  EXPECT_DOUBLE_EQ(d, best);
  EXPECT_NEAR(d, 2.54, 0.005);
  EXPECT_EQ(mol.atoms[a].idstr, "OP1@J.DG71");
  EXPECT_EQ(mol.atoms[b].idstr, "OG1@E.THR45");
}

TEST(TrizNames, lists_and_helix_context) {
  EXPECT_TRUE(qualifies_by_name("DT;T", " DT"));
  EXPECT_TRUE(qualifies_by_name("DT;T", "  T"));
  EXPECT_FALSE(qualifies_by_name("DT;T", " DA"));
  EXPECT_TRUE(qualifies_by_name("*", "5CM"));
  EXPECT_FALSE(qualifies_by_name("5CM", "5MC"));
  std::string list = "dt, t|abcd";
  {
    test::log_capture log;
    normalise_residue_names(list);
    EXPECT_EQ(log.text(), "[w] skipping ligand: 'ABCD'\n");
  }
  EXPECT_EQ(list, "DT;T");

  // a five-pair anti-parallel helix of 1kx5's first ten pairs' nucleotides:
  // strand-2 position 2 pairs with strand-1 position 4
  const struct_mol& mol = nucleosome();
  triz_helix h;
  h.num_pairs = 5;
  h.pairs.assign(6, pair{});
  h.strand1.assign(6, 0);
  h.strand2.assign(6, 0);
  const long first1 = residue_id(mol, "I.DA-73"), last2 = residue_id(mol, "J.DT73");
  for (long k = 1; k <= 5; ++k) {
    h.strand1[k] = first1 + k - 1;
    h.strand2[6 - k] = last2 - (k - 1);
    h.pairs[k].nt1 = h.strand1[k];
    h.pairs[k].nt2 = h.strand2[6 - k];
  }
  std::string text;
  context_in_helix(h.strand2[2], h, mol, text);
  // pairs 3, 4, 5 from strand 1 (ATCAA) and their partners, strand 2 read 5' to 3'
  std::string s1, s2;
  for (long k = 3; k <= 5; ++k) {
    s1 += mol.residues[h.pairs[k].nt1].letter;
    s2 = mol.residues[h.pairs[k].nt2].letter + s2;
  }
  EXPECT_EQ(text, " [-]:" + s1 + "/" + s2);
  text.clear();
  context_in_helix(h.strand1[1], h, mol, text);
  EXPECT_EQ(text.substr(0, 6), " [+]:.");
  text.clear();
  context_in_helix(residue_id(mol, "E.HIS39"), h, mol, text);
  EXPECT_EQ(text, " [+]:.../...");
}

}  // namespace
}  // namespace vask
