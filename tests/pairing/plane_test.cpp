#include "pairing/frame.hpp"
#include "pairing/plane.hpp"
#include "pairing/prepare.hpp"
#include "structure/atom.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "structure/structure_fixture.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>


namespace vask {

namespace {

constexpr double RING_RADIUS = 1.4;                                      // Angstrom
const double HEXAGON_AREA = 1.5 * std::sqrt(3.0) * RING_RADIUS * RING_RADIUS;  // regular hexagon

// A hand-built structure: residues of consecutive atoms and frames set directly.
struct mol_builder {
  struct_mol mol;
  mol_builder() {
    mol.atoms.resize(1);
    mol.residues.resize(1);
    mol.frames.resize(1);
  }
  long add_residue(bool nt) {
    residue r;
    r.index = ++mol.num_residues;
    r.first_atom = mol.num_atoms + 1;
    r.last_atom = mol.num_atoms;
    r.idstr = "A.R" + std::to_string(r.index);
    if (nt) r.flag[rf::is_nt] = 1;
    mol.residues.push_back(r);
    return r.index;
  }
  long add_atom(const std::string& name, const xyz& p) {
    atom a;
    a.index = ++mol.num_atoms;
    a.name = name;
    a.xyz = p;
    a.residue = mol.num_residues;
    mol.atoms.push_back(a);
    mol.residues[mol.num_residues].last_atom = a.index;
    return a.index;
  }
  // A regular hexagon of radius 1.4 about (x, y, z) in a plane normal to z;
  // returns the 1-based list of its atoms.
  std::array<long, 16> add_hexagon(double x, double y, double z) {
    std::array<long, 16> list{};
    for (long k = 1; k <= 6; ++k) {
      double t = PI / 3.0 * static_cast<double>(k - 1);
      list[k] = add_atom(" C" + std::to_string(k) + " ", {0, x + RING_RADIUS * std::cos(t),
                                                            y + RING_RADIUS * std::sin(t), z});
    }
    return list;
  }
  long add_frame(double tilt_degrees) {  // z axis tilted about x
    frame f;
    double t = deg2rad(tilt_degrees);
    f.z_axis = {0, 0, -std::sin(t), std::cos(t)};
    f.y_axis = {0, 0, std::cos(t), std::sin(t)};
    mol.frames.push_back(f);
    return static_cast<long>(mol.frames.size()) - 1;
  }
};

std::vector<xyz> square(double side) {
  return {xyz{}, {0, 0, 0, 0}, {0, side, 0, 0}, {0, side, side, 0}, {0, 0, side, 0}};
}

}  // namespace

class PlaneTest : public test::StructureTest {};

TEST_F(PlaneTest, ProjectionGatesByAngleDistanceAndNeighbourhood) {
  const struct {
    const char* what;
    double tilt;    // degrees between the two frames' z axes
    double height;  // Angstrom between the two parallel rings of atoms
    bool overlap;
  } cases[] = {
      {"stacked 3.4 A apart", 0, 3.4, true},
      {"normals 70 degrees apart", 70, 3.4, false},
      {"closest atoms 5.5 A apart", 0, 5.5, false},
      {"40 degrees, 4.2 A: above 4.116", 40, 4.2, false},
      {"20 degrees, 4.5 A: above 4.338, not nucleotides", 20, 4.5, false},
      {"20 degrees, 4.3 A: below 4.338", 20, 4.3, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    mol_builder b;
    b.add_residue(false);
    auto r1 = b.add_hexagon(0, 0, 0);
    b.add_residue(false);
    auto r2 = b.add_hexagon(0, 0, c.height);
    long i1 = b.add_frame(0);
    long i2 = b.add_frame(c.tilt);
    const frame* f1 = &b.mol.frames[i1];
    const frame* f2 = &b.mol.frames[i2];
    double a12 = do_projection_get_oarea(f1, 6, r1.data(), f2, 6, r2.data(), b.mol);
    double a21 = do_projection_get_oarea(f2, 6, r2.data(), f1, 6, r1.data(), b.mol);
    EXPECT_NEAR(a12, a21, 1e-6);
    if (c.overlap)
      EXPECT_GT(a12, 0.5 * HEXAGON_AREA);  // a tilted view shifts the rings apart
    else
      EXPECT_EQ(a12, 0.0);
  }
}

TEST_F(PlaneTest, StackedRingsOverlapByTheirCommonArea) {
  mol_builder b;
  b.add_residue(false);
  auto r1 = b.add_hexagon(0, 0, 0);
  b.add_residue(false);
  auto r2 = b.add_hexagon(0, 0, 3.4);
  auto r3 = b.add_hexagon(0.5, 0, 3.4);
  long f = b.add_frame(0);
  const frame* fr = &b.mol.frames[f];
  EXPECT_NEAR(do_projection_get_oarea(fr, 6, r1.data(), fr, 6, r2.data(), b.mol), HEXAGON_AREA, 1e-3);
  double shifted = do_projection_get_oarea(fr, 6, r1.data(), fr, 6, r3.data(), b.mol);
  EXPECT_GT(shifted, 0.5 * HEXAGON_AREA);
  EXPECT_LT(shifted, HEXAGON_AREA);
  EXPECT_EQ(do_projection_get_oarea(nullptr, 6, r1.data(), fr, 6, r2.data(), b.mol), -DBL_MAX);
  EXPECT_EQ(do_projection_get_oarea(fr, 0, r1.data(), fr, 6, r2.data(), b.mol), -DBL_MAX);
}

TEST(extended_polygon, MovesEdgesOutwardEitherSign) {
  for (double d : {0.5, -0.5}) {
    SCOPED_TRACE(d);
    auto sq = square(2.0);
    ASSERT_TRUE(extended_polygon(4, sq, d));
    // the list starts at the corner after the old vertex 1
    EXPECT_NEAR(sq[1][1], 2.5, 1e-9);
    EXPECT_NEAR(sq[1][2], -0.5, 1e-9);
    EXPECT_NEAR(sq[3][1], -0.5, 1e-9);
    EXPECT_NEAR(sq[3][2], 2.5, 1e-9);
  }
  auto sq = square(2.0);
  ASSERT_TRUE(extended_polygon(4, sq, 0.0));
  EXPECT_EQ(sq, square(2.0));
}

TEST(extended_polygon, DistortedPolygonIsLeftUnchanged) {
  // edges of 10 A: the 6 A moved segments of neighbouring edges never meet
  auto big = square(10.0);
  EXPECT_FALSE(extended_polygon(4, big, 0.268));
  EXPECT_EQ(big, square(10.0));
}

TEST(point_in_polygon, ParityRule) {
  auto sq = square(2.0);
  EXPECT_EQ(point_in_polygon(4, sq, {0, 1, 1, 0}), 1);
  EXPECT_EQ(point_in_polygon(4, sq, {0, 3, 1, 0}), 0);
  EXPECT_EQ(point_in_polygon(4, sq, {0, 1, -0.1, 0}), 0);
  EXPECT_EQ(point_in_polygon(0, sq, {0, 1, 1, 0}), 0);
}

TEST_F(PlaneTest, AtomOverRingWithMargin) {
  mol_builder b;
  long k = b.add_residue(true);
  auto ring = b.add_hexagon(0, 0, 0);
  const double apothem = RING_RADIUS * std::cos(PI / 6.0);
  const double t = PI / 6.0;  // direction of the middle of the first edge
  long centre = b.add_atom(" X1 ", {0, 0, 0, 3.0});
  long near_edge = b.add_atom(" X2 ", {0, (apothem + 0.2) * std::cos(t), (apothem + 0.2) * std::sin(t), 1.0});
  plane p;
  p.frame_index = b.add_frame(0);
  p.num_atoms = 6;
  p.inner = ring;
  p.outer = ring;
  b.mol.planes = {plane{}, p};
  b.mol.residues[k].planes[0] = 1;
  for (double margin : {0.0, 0.268, 1.0}) EXPECT_EQ(atom_projected_in_plane_ring(centre, k, b.mol, margin), 1);
  EXPECT_EQ(atom_projected_in_plane_ring(near_edge, k, b.mol, Gvars.polygon_offset), 1);
  EXPECT_EQ(atom_projected_in_plane_ring(near_edge, k, b.mol, 0.0), 0);
}

TEST_F(PlaneTest, DistortedRingFallsBackToTheUnwidenedRingWithAWarning) {
  mol_builder b;
  long k = b.add_residue(true);
  auto ring = b.add_hexagon(0, 0, 0);
  b.mol.atoms[ring[4]].xyz = {0, -12.0, 0, 0};  // one vertex pulled 12 A out: long edges
  long inside = b.add_atom(" X1 ", {0, -2.0, 0, 2.0});
  long outside = b.add_atom(" X2 ", {0, 0, 3.0, 2.0});
  plane p;
  p.frame_index = b.add_frame(0);
  p.num_atoms = 6;
  p.inner = ring;
  b.mol.planes = {plane{}, p};
  b.mol.residues[k].planes[0] = 1;
  test::log_capture log;
  EXPECT_EQ(atom_projected_in_plane_ring(inside, k, b.mol, 0.268), 1);
  EXPECT_EQ(atom_projected_in_plane_ring(outside, k, b.mol, 0.268), 0);
  EXPECT_NE(log.text().find("[w] distorted ring of A.R1"), std::string::npos);
}

TEST_F(PlaneTest, RecordLifeCycleAndOrder) {
  auto planes = allocate_planes_array(2);
  ASSERT_EQ(planes.size(), 3u);
  EXPECT_EQ(planes[1].num_atoms, 0);
  EXPECT_EQ(planes[1].frame_index, -1);
  EXPECT_EQ(planes[1].center[1], DBL_MAX);
  plane base, side, pep;
  base.inner[1] = 50;
  side.kind = 1;
  side.inner[1] = 10;
  pep.kind = 2;
  pep.inner[1] = 5;
  EXPECT_TRUE(plane_compare(base, side));
  EXPECT_TRUE(plane_compare(side, pep));
  EXPECT_FALSE(plane_compare(pep, base));
  free_planes(planes);
  EXPECT_TRUE(planes.empty());
}

}  // namespace vask

namespace vask {

namespace {

// A structure read through the preparation pipeline, planes included.
void read_with_planes(const std::string& path, struct_mol& mol) {
  read_pdb(path, mol);
  ASSERT_TRUE(mol.stage.planes);
}

long residue_by_number(const struct_mol& mol, const std::string& chain, long number) {
  for (long k = 1; k <= mol.num_residues; ++k)
    if (mol.residues[k].chain_id == chain && mol.residues[k].res_seq == number) return k;
  return -1;
}

}  // namespace

TEST_F(PlaneTest, BasePlanesOf1ehzInRingOrder) {
  struct_mol mol;
  read_with_planes(test::test_data("1ehz.pdb"), mol);
  long bases = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (base_frame(k, mol) == nullptr) continue;
    ++bases;
    SCOPED_TRACE(mol.residues[k].idstr);
    const plane* p = get_nt_scp_plane(k, mol);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->kind, 0u);
    EXPECT_EQ(p->num_atoms, is_R(k, mol) ? 9 : 6);
    for (long m = 1; m <= p->num_atoms; ++m) EXPECT_EQ(mol.atoms[p->inner[m]].name, BASE_RING_ATOMS[m]);
    const frame* f = base_frame(k, mol);
    xyz d;
    diff_xyz(f->org, p->center, d);
    EXPECT_LT(std::fabs(dot_xyz(d, f->z_axis)), 0.3);  // the ring centre lies in the base plane
  }
  EXPECT_EQ(bases, 76);
  for (long k = 2; k <= mol.num_planes; ++k) EXPECT_FALSE(plane_compare(mol.planes[k], mol.planes[k - 1]));
  if (!mol.stage.bonds) return;  // outer atoms come from the covalent bonds
  const plane* g1 = get_nt_scp_plane(residue_by_number(mol, "A", 1), mol);
  std::string outer;
  for (long m = 1; m <= g1->num_atoms; ++m) outer += mol.atoms[g1->outer[m]].name + ",";
  EXPECT_EQ(outer, " C4 , N3 , N2 , N1 , O6 , C5 , N7 , C8 , C1',");
}

TEST_F(PlaneTest, StackedStepOverlapsAndPairedBasesDoNot) {
  struct_mol mol;
  read_with_planes(test::test_data("1bna.pdb"), mol);
  // Dickerson dodecamer: A5-A6 stack on strand A; A5 pairs with T20
  long a5 = residue_by_number(mol, "A", 5), a6 = residue_by_number(mol, "A", 6);
  long t20 = residue_by_number(mol, "B", 20);
  ASSERT_GT(a5, 0);
  ASSERT_GT(t20, 0);
  EXPECT_GT(get_outer_overlap_area_byResNum(a5, a6, mol), 1.0);
  EXPECT_GT(get_inner_overlap_area_byResNum(a5, a6, mol), 0.0);
  EXPECT_EQ(get_outer_overlap_area_byResNum(a5, t20, mol), 0.0);
  EXPECT_NEAR(get_outer_overlap_area_byResNum(a6, a5, mol), get_outer_overlap_area_byResNum(a5, a6, mol), 1e-6);
}

// Outer overlaps are remembered per structure, since several stages ask for
// the same pairs: a remembered area is exactly the computed one, and a
// structure whose planes are built again forgets them (a planted wrong value
// shows which one is read).
TEST_F(PlaneTest, RememberedOverlapsAreTheComputedOnesUntilThePlanesChange) {
  struct_mol mol;
  read_with_planes(test::test_data("1bna.pdb"), mol);
  const long a5 = residue_by_number(mol, "A", 5), a6 = residue_by_number(mol, "A", 6);
  const double computed = get_outer_overlap_area_byPlane(get_nt_scp_plane(a5, mol), get_nt_scp_plane(a6, mol), mol);
  EXPECT_EQ(get_outer_overlap_area_byResNum(a5, a6, mol), computed);
  EXPECT_EQ(get_outer_overlap_area_byResNum(a5, a6, mol), computed) << "asked again";
  const long key = a5 * (mol.num_residues + 1) + a6;
  ASSERT_EQ(mol.outer_overlaps.count(key), 1u);
  mol.outer_overlaps[key] = -1;
  EXPECT_EQ(get_outer_overlap_area_byResNum(a5, a6, mol), -1);
  populate_planes(mol);
  EXPECT_EQ(get_outer_overlap_area_byResNum(a5, a6, mol), computed);
}

}  // namespace vask

namespace vask {

TEST_F(PlaneTest, MissingRingAtomReplacedByANearbyBaseAtom) {
  // G1 of 1ehz with its C8 renamed, and moved by dz Angstrom
  const std::string file = test::read_file(test::test_data("1ehz.pdb"));
  std::vector<std::string> g1;
  for (size_t pos = file.find("\nATOM  "); pos != std::string::npos; pos = file.find("\nATOM  ", pos + 1)) {
    std::string line = file.substr(pos + 1, file.find('\n', pos + 1) - pos);
    if (line.substr(17, 10) != "  G A   1 ") break;
    if (line.substr(12, 4) == " C8 ") line.replace(12, 4, " C8X");
    g1.push_back(line);
  }
  ASSERT_EQ(g1.size(), 24u);
  const struct {
    double dz;
    bool rescued;
  } cases[] = {{0.1, true}, {0.5, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dz);
    std::string text;
    for (std::string line : g1) {
      if (line.substr(12, 4) == " C8X") {
        char z[9];
        std::snprintf(z, sizeof z, "%8.3f", std::stod(line.substr(46, 8)) + c.dz);
        line.replace(46, 8, z);
      }
      text += line;
    }
    struct_mol mol;
    test::log_capture log;
    test::read_pdb_text(text, mol);
    ASSERT_EQ(mol.num_residues, 1);
    ASSERT_NE(base_frame(1, mol), nullptr);
    populate_planes(mol);  // again, inside the log capture
    EXPECT_NE(log.text().find("[w] Residue A.G1 missing planar atom [C8]\n"), std::string::npos);
    const plane* p = get_nt_scp_plane(1, mol);
    if (!c.rescued) {
      EXPECT_EQ(p, nullptr);
      continue;
    }
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(mol.atoms[p->inner[8]].name, " C8X");
    EXPECT_NE(log.text().find("\t[i] A.G1: replace missing base ring atom [ C8 ] with [ C8X] (d=0.1"),
              std::string::npos);
  }
}

}  // namespace vask

namespace vask {

TEST_F(PlaneTest, SideChainAndPeptidePlanesOf1ubq) {
  struct_mol mol;
  read_with_planes(test::test_data("1ubq.pdb"), mol);
  if (number_of_amino_frames(mol) == 0) GTEST_SKIP() << "no amino-acid frames yet";
  auto names = [&](const std::array<long, 16>& list, long n) {
    std::string s;
    for (long m = 1; m <= n; ++m) s += mol.atoms[list[m]].name + ",";
    return s;
  };
  long sidechains = 0, peptides = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_aa(k, mol)) continue;
    const residue& r = mol.residues[k];
    SCOPED_TRACE(r.idstr);
    const plane* side = get_nt_scp_plane(k, mol);
    if (r.std_name == "gly" || r.std_name == "ala" || r.std_name == "leu") {
      EXPECT_EQ(side, nullptr);
    }
    if (r.std_name == "tyr") {
      ASSERT_NE(side, nullptr);
      EXPECT_EQ(names(side->inner, 6), " CG , CD2, CE2, CZ , CE1, CD1,");
      EXPECT_EQ(names(side->outer, 6), " CB , CD2, CE2, OH , CE1, CD1,");
    }
    if (r.std_name == "arg" && side != nullptr) {
      EXPECT_LE(dist_atoms(side->inner[1], side->inner[4], mol), dist_atoms(side->inner[1], side->inner[3], mol));
    }
    sidechains += side != nullptr;
    long pep = r.planes[2];
    if (pep == -1) continue;
    ++peptides;
    const plane& p = mol.planes[pep];
    EXPECT_EQ(p.num_atoms, 4);
    EXPECT_EQ(names(p.inner, 4), " CA , N  , CA , O  ,");
    EXPECT_EQ(mol.atoms[p.inner[1]].residue, k);
    EXPECT_NE(mol.atoms[p.inner[2]].residue, k);
  }
  EXPECT_GT(sidechains, 20);
  EXPECT_EQ(peptides, 75);  // every amino acid but the C-terminal one
  for (long k = 2; k <= mol.num_planes; ++k) EXPECT_FALSE(plane_compare(mol.planes[k], mol.planes[k - 1]));
}

}  // namespace vask

namespace vask {

TEST_F(PlaneTest, WideGapNeedsLinkedFramedNeighboursWithoutIntercalation) {
  // Two bases 4.5 A apart with normals 20 degrees apart (above 4.56 - 20/90):
  // only direct linkage neighbours with base frames and nothing in between overlap.
  const struct {
    const char* what;
    bool linked, framed, intercalated;
    bool overlap;
    bool vdw_sets = true;  // false: no van der Waals sets, as in a pairs-only run
  } cases[] = {
      {"linked neighbours", true, true, false, true},
      {"not linked", false, true, false, false},
      {"no base frames", true, false, false, false},
      {"a third base between them", true, true, true, false},
      {"without the sets: linked neighbours", true, true, false, true, false},
      {"without the sets: a third base between them", true, true, true, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    mol_builder b;
    long r1 = b.add_residue(true);
    auto ring1 = b.add_hexagon(0, 0, 0);
    long r2 = b.add_residue(true);
    auto ring2 = b.add_hexagon(0, 0, 4.5);
    long r3 = b.add_residue(true);
    b.add_hexagon(0, 0, 2.25);  // the intercalator's ring, used only through its frame
    const long f1 = b.add_frame(0), f2 = b.add_frame(20), f3 = b.add_frame(0);
    b.mol.frames[f2].org = {0, 0, 0, 4.5};
    b.mol.frames[f3].org = {0, 0, 0, 2.25};
    if (c.framed) {
      b.mol.residues[r1].frames[0] = f1;
      b.mol.residues[r2].frames[0] = f2;
    }
    b.mol.residues[r3].frames[0] = f3;
    if (c.linked) {
      b.mol.residues[r1].linked.append(r2);
      b.mol.residues[r2].linked.append(r1);
    }
    b.mol.stage.vdw_contacts = c.vdw_sets;  // the sets given here stand for the stage's
    if (c.intercalated && c.vdw_sets) {
      b.mol.residues[r1].vdw_contacts.append(r3);
      b.mol.residues[r2].vdw_contacts.append(r3);
    }
    if (c.intercalated && !c.vdw_sets) {  // in contact; their atoms touch (2.25 A apart)
      b.mol.residues[r1].contacts.append(r3);
      b.mol.residues[r2].contacts.append(r3);
    }
    double a = do_projection_get_oarea(&b.mol.frames[f1], 6, ring1.data(), &b.mol.frames[f2], 6, ring2.data(),
                                       b.mol);
    if (c.overlap)
      EXPECT_GT(a, 0.0);
    else
      EXPECT_EQ(a, 0.0);
  }
}

}  // namespace vask

namespace vask {

TEST_F(PlaneTest, ArginineKeepsTheAminoNitrogenNearerCDLast) {
  // ARG42 of 1ubq, with its NH1/NH2 names as deposited and swapped
  const std::string file = test::read_file(test::test_data("1ubq.pdb"));
  std::string arg;
  for (size_t pos = file.find("\nATOM  "); pos != std::string::npos; pos = file.find("\nATOM  ", pos + 1)) {
    std::string line = file.substr(pos + 1, file.find('\n', pos + 1) - pos);
    if (line.substr(17, 10) == "ARG A  42 ") arg += line;
  }
  std::string swapped = arg;
  for (size_t pos = 0; (pos = swapped.find(" NH", pos)) != std::string::npos; pos += 4)
    swapped[pos + 3] = swapped[pos + 3] == '1' ? '2' : '1';
  const struct {
    const std::string* text;
    const char* inner;
    bool warned;
  } cases[] = {{&arg, " CD , NE , NH2, NH1,", false}, {&swapped, " CD , NE , NH1, NH2,", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.inner);
    struct_mol mol;
    test::log_capture log(true);
    test::read_pdb_text(*c.text, mol);
    const plane* p = get_nt_scp_plane(1, mol);
    ASSERT_NE(p, nullptr);
    std::string inner;
    for (long m = 1; m <= p->num_atoms; ++m) inner += mol.atoms[p->inner[m]].name + ",";
    EXPECT_EQ(inner, c.inner);
    EXPECT_EQ(log.prg_text().find("[w] arginine [A.ARG42] -- NH1/NH2 naming swapped\n") != std::string::npos,
              c.warned);
  }
}

}  // namespace vask
