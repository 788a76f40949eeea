// Connection sets: bounds, set operations and the add routines; the cell
// grid against brute force.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "pairing/prepare.hpp"
#include "structure/bond.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/struct_mol.hpp"
#include "structure_fixture.hpp"

namespace vask {
namespace {

connect make_set(std::initializer_list<long> items) {
  connect c;
  for (long v : items) c.append(v);
  return c;
}

using Connect = test::StructureTest;

TEST_F(Connect, merge_stops_at_the_capacity) {
  connect dst;
  for (long v = 1; v <= 126; ++v) dst.append(v);
  connect src = make_set({200, 201, 202, 203, 204});
  test::log_capture log(true);
  merge_two_cnts(src, dst);
  EXPECT_EQ(dst.count, 128);
  EXPECT_EQ(dst[127], 200);
  EXPECT_EQ(dst[128], 201);
  EXPECT_EQ(log.text(), "[w] -- truncated at the upper boundary\n");
  EXPECT_EQ(log.prg_text(), "[w] -- merge_two_cnts() out of boundary\n");
}

TEST_F(Connect, equality_uniqueness_and_removal) {
  connect a = make_set({1, 2}), b = make_set({2, 1});
  EXPECT_EQ(is_equal_cnts(a, b), 0);
  EXPECT_EQ(is_equal_cnts(connect{}, connect{}), 1);
  std::vector<connect> array = allocate_connects_array(1);
  array[1] = b;
  EXPECT_EQ(is_unique_cnt(a, 1, array), 0);
  EXPECT_EQ(array[1][1], 2);  // arguments not reordered
  EXPECT_EQ(is_unique_cnt(a, 0, array), 1);
  EXPECT_EQ(is_cnt1_contained_in_cnt2(connect{}, a), 1);
  EXPECT_EQ(cnts_with_shared_node(a, make_set({3, 2})), 1);

  connect c = make_set({4, 5});
  c.value = 3.0;
  remove_cnt1_from_cnt2(connect{}, c);
  EXPECT_EQ(c.count, 2);
  EXPECT_EQ(c.value, DBL_MAX);
  remove_cnt1_from_cnt2(make_set({4}), c);
  EXPECT_EQ(c.count, 1);
  EXPECT_EQ(c[1], 5);
  std::string msg = test::fatal_message([&] { remove_cnt1_from_cnt2(make_set({9}), c); });
  EXPECT_NE(msg.find("Assertion failed"), std::string::npos);
}

TEST_F(Connect, reverse_sort_and_owner) {
  std::vector<connect> array = allocate_connects_array(3);
  for (long k = 1; k <= 3; ++k) array[k] = make_set({k});
  reverse_connects_array(1, array);
  EXPECT_EQ(array[1][1], 1);
  reverse_connects_array(3, array);
  EXPECT_EQ(array[1][1], 3);
  EXPECT_EQ(array[2][1], 2);
  EXPECT_EQ(array[3][1], 1);
  connect s = make_set({9, 3, 5});
  sort_one_connect(s);
  EXPECT_EQ(s[1], 3);
  EXPECT_EQ(s[3], 9);
  s.set_owner(42);  // slot 0 carries the owner and is not a member
  EXPECT_EQ(s.owner(), 42);
  EXPECT_EQ(s.count, 3);
  EXPECT_FALSE(lval_in_cnts(42, s));
}

TEST_F(Connect, add_item_respects_bound_and_duplicates) {
  test::log_capture log(true);
  connect s;
  long overflows = 0;
  add_one_item_to_connect(7, s, 2, "nbrs", overflows);
  add_one_item_to_connect(7, s, 2, "nbrs", overflows);  // duplicate: noted in the program log
  add_one_item_to_connect(8, s, 2, "nbrs", overflows);
  add_one_item_to_connect(9, s, 2, "nbrs", overflows);  // past the bound: dropped
  EXPECT_EQ(s.count, 2);
  EXPECT_EQ(s[2], 8);
  EXPECT_EQ(log.text(), "[w] -- nbrs: more than 2 partners\n");
  EXPECT_EQ(log.prg_text(),
            "[i] -- item 7 already exists [nbrs]\n[w] -- nbrs: more than 2 partners\n");
  // the warning is written for the first 9 events counted only
  for (int k = 0; k < 12; ++k) add_one_item_to_connect(100 + k, s, 2, "x", overflows);
  long warnings = 0;
  for (size_t p = 0; (p = log.text().find("more than", p)) != std::string::npos; ++p) ++warnings;
  EXPECT_EQ(warnings, 9);
  EXPECT_EQ(overflows, 13);
  // another count (another structure's) warns afresh
  long others = 0;
  add_one_item_to_connect(200, s, 2, "y", others);
  EXPECT_NE(log.text().find("[w] -- y: more than 2 partners\n"), std::string::npos);
  connect full;
  for (long v = 1; v <= 200; ++v) add_one_item_to_connect_simple(v, full, "", others);
  EXPECT_EQ(full.count, CONNECT_MAX);
}

TEST_F(Connect, tidyup_merges_sets_into_networks) {
  for (long minimum : {2, 3}) {
    SCOPED_TRACE(minimum);
    // 1-2-3 reached through one-way links; 4-5; 6 empty; 7 alone with itself
    std::vector<connect> sets = {connect{}, make_set({2}), make_set({3}), connect{},
                                 make_set({5}), make_set({4}), connect{}, make_set({7})};
    long cuts = 0;
    tidyup_connection_network(minimum, 7, sets, cuts);
    EXPECT_EQ(cuts, 0);
    EXPECT_TRUE(is_equal_cnts(sets[1], make_set({1, 2, 3})));
    EXPECT_EQ(sets[2].count + sets[3].count + sets[5].count + sets[6].count + sets[7].count, 0);
    EXPECT_EQ(sets[4].count, minimum == 2 ? 2 : 0);
  }
  // a chain of 200 residues: one network cut at 128 members, with a warning
  test::log_capture log(true);
  std::vector<connect> chain(201);
  for (long k = 1; k < 200; ++k) chain[k] = make_set({k + 1});
  long cuts = 0;
  tidyup_connection_network(2, 200, chain, cuts);
  ASSERT_EQ(chain[1].count, CONNECT_MAX);
  EXPECT_EQ(chain[1][CONNECT_MAX], CONNECT_MAX);
  EXPECT_EQ(log.text(), "[w] connections out of boundary [200 > 128]\n");
}

// ---------------------------------------------------------------------------
// Cell grid

using BondTest = test::StructureTest;

std::vector<std::pair<long, long>> brute_pairs(const std::vector<xyz>& pts, long n, double r) {
  std::vector<std::pair<long, long>> out;
  for (long i = 1; i <= n; ++i)
    for (long j = i + 1; j <= n; ++j)
      if (dist_xyz_square(pts[i], pts[j]) <= r * r) out.emplace_back(i, j);
  return out;
}

TEST_F(BondTest, cell_grid_matches_brute_force_on_1ehz) {
  struct_mol mol;
  read_pdb_simple(test::test_data("1ehz.pdb"), mol);
  std::vector<xyz> pts = atom_points(mol);
  const long n = mol.num_atoms;
  ASSERT_GT(n, 1000);
  cell_grid g = make_cell_grid(pts, n, 4.8);
  for (double r : {0.0, 1.6, 4.8, 7.5, 12.0}) {  // below, at and above the cube edge
    SCOPED_TRACE(r);
    EXPECT_EQ(near_pairs(g, pts, n, r), brute_pairs(pts, n, r));
  }
  // a query point outside the box, and one far away
  for (const xyz& q : {xyz{0, pts[1][1] - 9.0, pts[1][2], pts[1][3]}, xyz{0, 1e6, 1e6, 1e6}}) {
    std::vector<long> got, want;
    for_each_within(g, pts, q, 10.0, [&](long j, double) { got.push_back(j); });
    for (long j = 1; j <= n; ++j)
      if (dist_xyz_square(q, pts[j]) <= 100.0) want.push_back(j);
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, want);
  }
}

TEST_F(BondTest, cell_grid_survives_stray_and_unset_points) {
  // a far-away point would need billions of 1 A cubes: the edge is widened
  std::vector<xyz> pts = {xyz{}, {0, 0, 0, 0}, {0, 0.5, 0, 0}, {0, 5e5, 5e5, 5e5},
                          {0, DBL_MAX, 0, 0}, {0, NAN, 0, 0}, {0, 0.9, 0.1, 0}};
  const long n = 6;
  cell_grid g = make_cell_grid(pts, n, 1.0);
  EXPECT_GT(g.edge, 1.0);
  EXPECT_LE(g.nx * g.ny * g.nz, 4096);
  std::vector<std::pair<long, long>> want = {{1, 2}, {1, 6}, {2, 6}};
  EXPECT_EQ(near_pairs(g, pts, n, 1.0), want);
  // an empty set answers nothing
  cell_grid empty = make_cell_grid(pts, 0, 1.0);
  long hits = 0;
  for_each_within(empty, pts, pts[1], 5.0, [&](long, double) { ++hits; });
  EXPECT_EQ(hits, 0);
}

// Pairs of kept points in different groups closer than r, each once, as
// (smaller, larger) point numbers in order.
std::vector<std::pair<long, long>> close_pairs(const cell_grid& g, const std::vector<xyz>& pts,
                                               const std::vector<char>& keep, const std::vector<long>& group_of,
                                               double r) {
  const packed_cells cells = pack_cells(g, pts, keep);
  std::vector<long> group(cells.index.size());
  for (size_t e = 0; e < group.size(); ++e) group[e] = group_of[cells.index[e]];
  std::vector<std::pair<long, long>> out;
  for_each_close_pair(cells, group, r, [&](long e, long f) {
    out.emplace_back(std::min(cells.index[e], cells.index[f]), std::max(cells.index[e], cells.index[f]));
  });
  std::sort(out.begin(), out.end());
  return out;
}

TEST_F(BondTest, close_pairs_of_different_groups_match_brute_force) {
  struct_mol mol;
  read_pdb_simple(test::test_data("1ehz.pdb"), mol);
  const std::vector<xyz> pts = atom_points(mol);
  const long n = mol.num_atoms;
  const cell_grid g = make_cell_grid(pts, n, 4.8);
  std::vector<long> residue(static_cast<size_t>(n) + 1, 0);
  std::vector<char> keep(residue.size(), 0);
  for (long i = 1; i <= n; ++i) {
    residue[i] = mol.atoms[i].residue;
    keep[i] = i % 5 != 0;  // some points left out
  }
  for (double r : {1.6, 4.8}) {  // below and at the cube edge
    SCOPED_TRACE(r);
    std::vector<std::pair<long, long>> want;
    for (long i = 1; i <= n; ++i)
      for (long j = i + 1; j <= n; ++j)
        if (keep[i] && keep[j] && residue[i] != residue[j] && dist_xyz_square(pts[i], pts[j]) < r * r)
          want.emplace_back(i, j);
    ASSERT_FALSE(want.empty());
    EXPECT_EQ(close_pairs(g, pts, keep, residue, r), want);
  }
  // widened cubes around a stray point, unset points never met; a pair at
  // exactly r is not close
  const std::vector<xyz> odd = {xyz{}, {0, 0, 0, 0}, {0, 0.5, 0, 0}, {0, 5e5, 5e5, 5e5},
                                {0, DBL_MAX, 0, 0}, {0, NAN, 0, 0}, {0, 0.9, 0.1, 0}, {0, 1.0, 0, 0}};
  const cell_grid wide = make_cell_grid(odd, 7, 1.0);
  const std::vector<char> all(8, 1);
  const std::vector<std::pair<long, long>> want = {{1, 2}, {1, 6}, {2, 6}, {2, 7}, {6, 7}};
  EXPECT_EQ(close_pairs(wide, odd, all, {0, 1, 2, 3, 4, 5, 6, 7}, 1.0), want);
  // points of one group never pair
  EXPECT_TRUE(close_pairs(wide, odd, all, std::vector<long>(8, 1), 1.0).empty());
}

}  // namespace
}  // namespace vask

namespace vask {
namespace {

TEST(PrintConnect, title_count_and_members) {
  FILE* fp = std::tmpfile();
  connect s;
  s.append(3);
  s.append(11);
  print_one_connect("waters", s, fp);
  print_one_connect("waters", s, nullptr);
  EXPECT_EQ(test::read_stream(fp), "\n" + std::string(76, '-') + "\nwaters [2]: 3 11\n");
  std::fclose(fp);
}

}  // namespace
}  // namespace vask

// ---------------------------------------------------------------------------
// Covalent bonds, contacts and rings

namespace vask {
namespace {

using CovalentTest = test::StructureTest;

// One HETATM line of residue LIG (number res, chain A) at x along the x axis.
std::string het(long serial, const char* name, const char* elem, double x, char alt = ' ',
                const char* res = "LIG", long num = 1) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "HETATM%5ld %-4s%c%3s A%4ld    %8.3f%8.3f%8.3f  1.00  0.00          %2s\n",
                serial, name, alt, res, num, x, 0.0, 0.0, elem);
  return buf;
}

TEST_F(CovalentTest, covalent_test_edges) {
  const struct {
    const char* label;
    std::string text;
    long want;
  } cases[] = {
      {"carbons 1.74 A apart", het(1, "C1", "C", 0) + het(2, "C2", "C", 1.74), 1},
      {"carbons 1.76 A apart", het(1, "C1", "C", 0) + het(2, "C2", "C", 1.76), 0},
      {"atoms 0.59 A apart", het(1, "C1", "C", 0) + het(2, "C2", "C", 0.59), 0},
      {"two metals", het(1, "MG", "MG", 0, ' ', " MG", 1) + het(2, "MG", "MG", 1.0, ' ', " MG", 2), 0},
      {"altlocs A and B", het(1, "C1", "C", 0, 'A') + het(2, "C2", "C", 1.5, 'B'), 0},
      {"altloc A and blank", het(1, "C1", "C", 0, 'A') + het(2, "C2", "C", 1.5), 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    mutable_gvars() = gvars_rec{};
    mutable_gvars().altlocs = "*";
    struct_mol mol;
    test::read_pdb_text(c.text, mol);
    ASSERT_EQ(mol.num_atoms, 2);
    EXPECT_EQ(is_covalent_lkg(1, 2, mol), c.want);
    if (mol.num_residues == 1) {
      EXPECT_EQ(mol.num_bonds, c.want);
      EXPECT_EQ(atoms_a_b_covalent_bond(1, 2, mol), c.want);
    }
  }
}

TEST_F(CovalentTest, single_bonded_oxygen_role_by_bond_length) {
  const struct {
    double d;
    long role;
  } cases[] = {{1.23, 2}, {1.43, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.d);
    struct_mol mol;
    test::read_pdb_text(het(1, "C1", "C", 0) + het(2, "O1", "O", c.d), mol);
    mol.atoms[2].hbond_role = 8;  // unknown: ligands get no role from the property tables
    mol.atoms[2].role_changed = 0;
    populate_bonds(mol);
    ASSERT_EQ(mol.num_bonds, 1);
    EXPECT_EQ(mol.atoms[2].hbond_role, c.role);
    EXPECT_EQ(mol.atoms[2].role_changed, 1);
    EXPECT_EQ(mol.atoms[2].heavy_neighbour, 1);
  }
}

TEST_F(CovalentTest, contact_cutoff_is_exclusive_and_vdw_contacts_follow) {
  const struct {
    double d;
    long contact;
  } cases[] = {{4.79, 1}, {4.80, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.d);
    struct_mol mol;
    test::read_pdb_text(het(1, "C1", "C", 0, ' ', "LIG", 1) + het(2, "C1", "C", c.d, ' ', "LIG", 2), mol);
    ASSERT_EQ(mol.num_residues, 2);
    EXPECT_EQ(residues_in_contact(1, 2, mol), c.contact);
    EXPECT_EQ(residues_in_contact(2, 1, mol), c.contact);
    // two carbons are in van der Waals contact up to 4.56 A with the defaults
    EXPECT_EQ(residues_in_vdwCnt(1, 2, mol), 0);
  }
  struct_mol mol;
  test::read_pdb_text(het(1, "C1", "C", 0, ' ', "LIG", 1) + het(2, "C1", "C", 4.56, ' ', "LIG", 2), mol);
  EXPECT_EQ(atoms_ij_in_vdwCnt(1, 2, mol), 1);
  EXPECT_EQ(residues_in_vdwCnt(1, 2, mol), 1);
}

TEST_F(CovalentTest, contacts_and_bonds_match_brute_force_on_1ehz) {
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  // covalent bonds within residues by a plain double loop
  long intra = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    const residue& r = mol.residues[k];
    for (long a = r.first_atom; a <= r.last_atom; ++a)
      for (long b = a + 1; b <= r.last_atom; ++b)
        if (!mol.atoms[a].hydrogen && !mol.atoms[b].hydrogen && is_covalent_lkg(a, b, mol)) ++intra;
  }
  long found_intra = 0;
  for (long k = 1; k <= mol.num_bonds; ++k)
    found_intra += mol.atoms[mol.bonds[k].atom1].residue == mol.atoms[mol.bonds[k].atom2].residue;
  EXPECT_EQ(found_intra, intra);
  // between residues: the O3'-P links of 76 nucleotides, and one Mn ion bonded
  // to the O2' of the modified (HETATM, so ligand-flagged) H2U16
  EXPECT_EQ(mol.num_bonds - found_intra, 75 + 1);
  // residue contacts by the nearest heavy atoms
  for (long i = 1; i <= mol.num_residues; i += 7)
    for (long j = i + 1; j <= mol.num_residues; ++j) {
      double best = DBL_MAX;
      const residue& ri = mol.residues[i];
      const residue& rj = mol.residues[j];
      for (long a = ri.first_atom; a <= ri.last_atom; ++a)
        for (long b = rj.first_atom; b <= rj.last_atom; ++b)
          best = std::min(best, dist_atoms_square(a, b, mol));
      ASSERT_EQ(residues_in_contact(i, j, mol), best < 23.04 ? 1 : 0) << i << " " << j;
    }
}

// The one-pair test a pairs-only run asks instead of the van der Waals sets:
// for every residue pair in contact it holds exactly when the sets hold the
// pair, either way round.
TEST_F(CovalentTest, residues_touch_agrees_with_the_vdw_contact_sets) {
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  long touching = 0;
  for (long i = 1; i <= mol.num_residues; ++i) {
    const connect& near = mol.residues[i].contacts;
    for (long t = 1; t <= near.count; ++t) {
      const long j = near[t];
      ASSERT_EQ(residues_touch(i, j, mol), residues_in_vdwCnt(i, j, mol) != 0) << i << " " << j;
      ASSERT_EQ(residues_touch(j, i, mol), residues_touch(i, j, mol)) << i << " " << j;
      touching += residues_touch(i, j, mol);
    }
  }
  EXPECT_GT(touching, 0);
  EXPECT_LT(touching, mol.num_residues * 40);  // not every contact touches
}

// A pairs-only run fills the bonded sets but leaves the bond list out; the
// list made when a task wants it is the one a whole run makes.
TEST_F(CovalentTest, bond_list_made_after_a_pairs_only_preparation_is_the_whole_runs) {
  struct_mol whole;
  read_pdb(test::test_data("1ehz.pdb"), whole);
  ASSERT_GT(whole.num_bonds, 1000);
  mutable_gvars().pair_only = 1;
  struct_mol pairs;
  read_pdb(test::test_data("1ehz.pdb"), pairs);
  ASSERT_EQ(pairs.stage.pairs_only, 1);
  EXPECT_EQ(pairs.num_bonds, 0);
  ASSERT_EQ(pairs.num_atoms, whole.num_atoms);
  auto members = [](const connect& c) {
    std::vector<long> m;
    for (long t = 1; t <= c.count; ++t) m.push_back(c[t]);
    return m;
  };
  for (long a = 1; a <= whole.num_atoms; ++a)
    ASSERT_EQ(members(pairs.atoms[a].bonded), members(whole.atoms[a].bonded)) << a;
  complete_preparation(pairs);
  ASSERT_EQ(pairs.num_bonds, whole.num_bonds);
  ASSERT_EQ(pairs.bonds.size(), whole.bonds.size());
  for (long k = 1; k <= whole.num_bonds; ++k) {
    EXPECT_EQ(pairs.bonds[k].atom1, whole.bonds[k].atom1) << k;
    EXPECT_EQ(pairs.bonds[k].atom2, whole.bonds[k].atom2) << k;
    EXPECT_EQ(pairs.bonds[k].distance, whole.bonds[k].distance) << k;
    EXPECT_EQ(pairs.bonds[k].cutoff, whole.bonds[k].cutoff) << k;
  }
  EXPECT_TRUE(std::is_sorted(whole.bonds.begin() + 1, whole.bonds.end(), bond_compare));
}

// Bonds sorted by their atoms in place: the order a stable sort gives (ties
// keep their list order), each record moved whole, slot 0 and the records
// past n left where they are.
TEST_F(CovalentTest, sort_bonds_by_atoms_is_a_stable_sort_in_place) {
  const long pairs[][2] = {{5, 9}, {1, 4}, {5, 6}, {1, 4}, {3, 8}, {2, 7}, {5, 6},
                           {1, 2}, {9, 10}, {3, 8}, {2, 3}, {1, 4}};
  for (long n : {0L, 1L, 6L, 12L}) {
    SCOPED_TRACE(n);
    std::vector<bond> bonds(1);
    bonds[0].text = "slot 0";
    for (long k = 1; k <= n; ++k) {
      bond b;
      b.atom1 = pairs[k - 1][0];
      b.atom2 = pairs[k - 1][1];
      b.text = std::to_string(k);
      bonds.push_back(b);
    }
    bonds.emplace_back().text = "past n";
    std::vector<bond> want(bonds);
    std::stable_sort(want.begin() + 1, want.begin() + 1 + n, [](const bond& a, const bond& b) {
      return a.atom1 != b.atom1 ? a.atom1 < b.atom1 : a.atom2 < b.atom2;
    });
    sort_bonds_by_atoms(bonds, n);
    ASSERT_EQ(bonds.size(), want.size());
    for (size_t k = 0; k < bonds.size(); ++k) {
      EXPECT_EQ(bonds[k].text, want[k].text) << k;
      EXPECT_EQ(bonds[k].atom1, want[k].atom1) << k;
      EXPECT_EQ(bonds[k].atom2, want[k].atom2) << k;
    }
  }
}

TEST_F(CovalentTest, trace_cycles_of_a_fused_ring) {
  // a purine-like graph: six-ring 1-6, five-ring 5-6-7-8-9, one tail 9-10
  const long edges[][2] = {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 1}, {5, 7}, {7, 8}, {8, 9},
                           {9, 6}, {9, 10}};
  std::vector<std::array<long, 2>> links(1);
  long n = 0;
  for (const auto& e : edges) add_one_unique_lkg_in_order(e[1], e[0], n, links);
  add_one_unique_lkg_in_order(2, 1, n, links);  // duplicate dropped
  ASSERT_EQ(n, 11);
  EXPECT_EQ(links[1], (std::array<long, 2>{1, 2}));
  std::vector<connect> cycles = allocate_connects_array(MAX_CYCLES);
  long warned = 0;
  long num = trace_cycles(n, links, cycles, warned);
  ASSERT_EQ(num, 3);
  std::vector<long> sizes;
  for (long c = 1; c <= num; ++c) sizes.push_back(cycles[c].count);
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, (std::vector<long>{5, 6, 9}));
  EXPECT_EQ(trace_cycles(2, links, cycles, warned), 0);
  EXPECT_EQ(warned, 0);
}

TEST_F(CovalentTest, trace_cycles_of_dense_graphs_ends_quickly) {
  // A clump of atoms piled on one spot bonds every atom to every other: the
  // number of simple paths explodes, and the search must stop at its guard.
  for (long size : {5L, 9L, 16L, 40L}) {
    std::vector<std::array<long, 2>> links(1);
    long n = 0;
    for (long i = 1; i <= size; ++i)
      for (long j = i + 1; j <= size; ++j) add_one_unique_lkg_in_order(i, j, n, links);
    std::vector<connect> cycles = allocate_connects_array(MAX_CYCLES);
    test::log_capture log;
    const std::clock_t start = std::clock();
    long warned = 0;
    const long num = trace_cycles(n, links, cycles, warned);
    const double secs = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    EXPECT_LT(secs, 2.0) << size;
    if (size == 5) {
      EXPECT_EQ(num, 16) << "one cycle per atom set of K5: 10 + 5 + 1";
      EXPECT_EQ(log.text(), "");
    } else {
      // more cycles than kept: the first 96 are reported, with a warning
      EXPECT_EQ(num, MAX_CYCLES) << size;
      EXPECT_NE(log.text().find("more than 96 cycles"), std::string::npos) << log.text();
    }
    for (long c = 1; c <= num; ++c) EXPECT_GE(cycles[c].count, 3);
  }
}

TEST_F(CovalentTest, json_hbond_list_leaves_out_waters_unless_asked) {
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  ASSERT_GT(mol.num_json_hbonds, 0);
  EXPECT_EQ(static_cast<long>(mol.json_hbonds.size()) - 1, mol.num_json_hbonds);
  long with_water = 0;
  for (long k = 1; k <= mol.num_hbonds; ++k)
    with_water += is_water(mol.atoms[mol.hbonds[k].atom1].residue, mol) ||
                  is_water(mol.atoms[mol.hbonds[k].atom2].residue, mol);
  ASSERT_GT(with_water, 0);
  EXPECT_EQ(mol.num_json_hbonds, mol.num_hbonds - with_water);
  for (long k = 1; k <= mol.num_json_hbonds; ++k)
    EXPECT_FALSE(is_water(mol.atoms[mol.json_hbonds[k].atom1].residue, mol) ||
                 is_water(mol.atoms[mol.json_hbonds[k].atom2].residue, mol));
  EXPECT_FALSE(opts_with_switch_set(Gvars.get_hbond));  // the listing switches as found
  // hydration: waters in contact and H-bonded, both ways
  long hydrated = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    const connect& w = mol.residues[k].waters;
    for (long t = 1; t <= w.count; ++t) {
      EXPECT_TRUE(mol.residues[w[t]].waters.has(k));
      if (!is_water(k, mol)) {
        EXPECT_TRUE(residues_in_contact(k, w[t], mol) && residues_in_hbond(k, w[t], mol));
        ++hydrated;
      }
    }
  }
  EXPECT_GT(hydrated, 0);
}

TEST_F(CovalentTest, large_modified_bases_take_their_atoms_from_the_largest_ring) {
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  long g1 = 0, yyg = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (mol.residues[k].idstr == "A.G1") g1 = k;
    if (mol.residues[k].idstr == "A.YYG37") yyg = k;
  }
  ASSERT_TRUE(g1 && yyg);
  // a standard guanine keeps its base atoms; C1' lies in the base plane
  const atom& c1 = mol.atoms[mol.nt_infos[g1].C1p];
  EXPECT_EQ(c1.base, 0);
  EXPECT_EQ(c1.in_plane, 1);
  EXPECT_EQ(mol.atoms[find_atom_in_residue(" N9 ", g1, mol)].base, 1);
  // wybutosine: the three fused rings and the atoms bonded to them, C1' too;
  // the side chain beyond them is not base
  const atom& y1 = mol.atoms[mol.nt_infos[yyg].C1p];
  EXPECT_EQ(y1.base, 1);
  long base = 0;
  const residue& r = mol.residues[yyg];
  for (long i = r.first_atom; i <= r.last_atom; ++i) base += mol.atoms[i].base;
  EXPECT_GT(base, 13);
  EXPECT_LT(base, r.num_atoms - 12);  // sugar, phosphate and the side-chain tail stay out
}

TEST_F(CovalentTest, metal_coordination_distance) {
  // a water oxygen at d from an ion: Mg by the 3.2 A setting, K by its radii
  const struct {
    const char* ion;
    const char* elem;
    double d;
    long ligand;
  } cases[] = {{" MG", "MG", 3.19, 1}, {" MG", "MG", 3.21, 0}, {"  K", "K", 3.46, 1}, {"  K", "K", 3.48, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.ion) + " " + std::to_string(c.d));
    struct_mol mol;
    test::read_pdb_text(het(1, c.elem, c.elem, 0, ' ', c.ion, 1) +
                            het(2, "O", "O", c.d, ' ', "HOH", 2),
                        mol);
    ASSERT_EQ(mol.num_metals, 1);
    EXPECT_EQ(mol.residues[1].metals.count, c.ligand);
    EXPECT_EQ(mol.residues[2].metals.count, c.ligand);
    EXPECT_EQ(mol.residues[1].flag[rf::is_metal], 1);  // metal atoms of the residue
  }
  // the residues with metals, as PDB records
  struct_mol mol;
  test::read_pdb_text(het(1, "MG", "MG", 0, ' ', " MG", 1) + het(2, "O", "O", 2.1, ' ', "HOH", 2), mol);
  FILE* fp = std::tmpfile();
  print_metals(fp, mol);
  std::string text = test::read_stream(fp);
  std::fclose(fp);
  EXPECT_EQ(text.rfind("REMARK  #1 A.MG1 with 1: ", 0), 0u) << text;
  EXPECT_NE(text.find("HETATM    2 O    HOH A   2       2.100"), std::string::npos) << text;
}

}  // namespace
}  // namespace vask
