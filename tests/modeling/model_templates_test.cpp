// The built-in model templates: the same as the files of data/backbone, and
// the geometry of standard nucleotides and of a G-tetrad.
#include "modeling/model_templates.hpp"
#include "structure/atom.hpp"
#include "support/vector3.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>


namespace vask {
namespace {

using point_map = std::map<std::string, xyz>;

point_map by_name(const std::vector<atom>& atoms, long first, long last) {
  point_map m;
  for (long i = first; i <= last; ++i) {
    std::string name = atoms[i].name;
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
    m[name] = atoms[i].xyz;
  }
  return m;
}

double angle(const xyz& a, const xyz& b, const xyz& c) {
  xyz u, v;
  diff_xyz(b, a, u);
  diff_xyz(b, c, v);
  return angle_xyz(u, v);
}

TEST(ModelTemplates, BuiltInTablesAreTheDataFiles) {
  for (char type : std::string("ABRN"))
    for (char letter : std::string("ACGPTU")) {
      const std::string file = std::string(VASK_DATA_DIR) + "/backbone/bb_" + type + "_" + letter + ".pdb";
      std::string expected;
      for (const char* line : backbone_template_lines(type, letter)) expected += std::string(line) + "\n";
      EXPECT_EQ(test::read_file(file), expected + "END\n") << file;
    }
  for (bool positive : {true, false}) {
    const std::string file = std::string(VASK_DATA_DIR) + "/backbone/Gtetrad_" +
                             (positive ? "positive" : "negative") + ".pdb";
    std::string expected;
    for (const char* line : gtetrad_template_lines(positive)) expected += std::string(line) + "\n";
    EXPECT_EQ(test::read_file(file), expected + "END\n") << file;
  }
}

TEST(ModelTemplates, AtomCountsAndOrder) {
  const std::map<char, long> base_atoms{{'A', 10}, {'C', 8}, {'G', 11}, {'P', 8}, {'T', 9}, {'U', 8}};
  std::vector<atom> atoms;
  for (const auto& [letter, nb] : base_atoms) {
    EXPECT_EQ(populate_one_backbone_frame('A', letter, atoms), 11 + nb) << letter;
    EXPECT_EQ(atoms[1].name, " P  ");
    EXPECT_EQ(atoms[11].name, " C1'");
    EXPECT_EQ(populate_one_backbone_frame('b', std::tolower(letter), atoms), 11 + nb) << letter;
    EXPECT_EQ(populate_one_backbone_frame('R', letter, atoms), 12 + nb) << letter;
    EXPECT_EQ(atoms[11].name, " O2'");
    EXPECT_EQ(populate_one_backbone_frame('N', letter, atoms), 1 + nb) << letter;
    EXPECT_EQ(atoms[1].name, " C1'");
  }
  // the telling rows: C1' and the base on the standard adenine, in z = 0
  populate_one_backbone_frame('A', 'A', atoms);
  EXPECT_EQ(atoms[1].res_name, "  A");
  EXPECT_NEAR(atoms[11].xyz[1], -2.479, 1e-9);
  EXPECT_NEAR(atoms[12].xyz[2], 4.498, 1e-9);
  populate_one_backbone_frame('B', 'P', atoms);
  EXPECT_EQ(atoms[1].res_name, "PSU");
  test::log_capture quiet;
  EXPECT_NE(test::fatal_message([&] { populate_one_backbone_frame('Z', 'A', atoms); }).find("Assertion"),
            std::string::npos);
  EXPECT_NE(test::fatal_message([&] { populate_one_backbone_frame('A', 'X', atoms); }).find("Assertion"),
            std::string::npos);
}

// Bond lengths (Angstrom) and angles (degrees) of standard nucleotides, with
// the spread that sugar puckers and the bases allow.
TEST(ModelTemplates, BackboneGeometryIsStandard) {
  struct bond_case {
    const char *a, *b;
    double length;
  } bonds[] = {{"P", "O1P", 1.485},  {"P", "O2P", 1.485},  {"P", "O5'", 1.593},  {"O5'", "C5'", 1.440},
               {"C5'", "C4'", 1.510}, {"C4'", "O4'", 1.446}, {"C4'", "C3'", 1.524}, {"C3'", "O3'", 1.423},
               {"C3'", "C2'", 1.525}, {"C2'", "C1'", 1.528}, {"C1'", "O4'", 1.420}};
  struct angle_case {
    const char *a, *b, *c;
    double value;
  } angles[] = {{"O1P", "P", "O2P", 119.6}, {"O5'", "P", "O1P", 108.1}, {"P", "O5'", "C5'", 120.9},
                {"O5'", "C5'", "C4'", 110.2}, {"C5'", "C4'", "C3'", 115.2}, {"C5'", "C4'", "O4'", 109.4},
                {"C4'", "O4'", "C1'", 109.7}, {"O4'", "C1'", "C2'", 106.1}, {"C1'", "C2'", "C3'", 101.8},
                {"C2'", "C3'", "C4'", 102.6}, {"C4'", "C3'", "O3'", 110.6}, {"C2'", "C3'", "O3'", 111.0}};
  const std::map<char, std::string> glyco{{'A', "N9"}, {'G', "N9"}, {'C', "N1"}, {'T', "N1"}, {'U', "N1"}, {'P', "C5"}};
  for (char type : std::string("ABR"))
    for (char letter : std::string("ACGPTU")) {
      SCOPED_TRACE(std::string(1, type) + letter);
      std::vector<atom> atoms;
      const long n = populate_one_backbone_frame(type, letter, atoms);
      point_map p = by_name(atoms, 1, n);
      for (const auto& b : bonds) EXPECT_NEAR(dist_xyz(p[b.a], p[b.b]), b.length, 0.04) << b.a << "-" << b.b;
      for (const auto& a : angles) EXPECT_NEAR(angle(p[a.a], p[a.b], p[a.c]), a.value, 4.5) << a.a << a.b << a.c;
      // the glycosidic bond: C-N 1.47, C-C 1.50 for pseudouridine
      const xyz g = p[glyco.at(letter)];
      EXPECT_NEAR(dist_xyz(p["C1'"], g), letter == 'P' ? 1.50 : 1.47, 0.02);
      EXPECT_NEAR(angle(p["O4'"], p["C1'"], g), 108.5, 3.0);
      EXPECT_NEAR(angle(p["C2'"], p["C1'"], g), 113.8, 3.0);
      if (type == 'R') {
        EXPECT_NEAR(dist_xyz(p["C2'"], p["O2'"]), 1.413, 0.03);
      }
      // the base lies in the plane z = 0, the sugar pucker tells C3'- from C2'-endo
      EXPECT_NEAR(p["C1'"][3], 0.0, 1e-9);
      EXPECT_TRUE(p.count("O2'") == (type == 'R' ? 1u : 0u));
    }
}

// In each tetrad every guanine's Hoogsteen edge (O6, N7) faces the
// Watson-Crick edge (N1, N2) of the next guanine round the tetrad.
TEST(ModelTemplates, GTetradsHaveHoogsteenHBonds) {
  for (bool positive : {true, false}) {
    SCOPED_TRACE(positive ? "positive" : "negative");
    std::vector<atom> atoms;
    ASSERT_EQ(populate_gtetrad_template(positive, atoms), 48);
    std::vector<point_map> g(5);
    for (long k = 1; k <= 4; ++k) {
      g[k] = by_name(atoms, 12 * k - 11, 12 * k);
      EXPECT_EQ(atoms[12 * k].res_seq, k);
      EXPECT_EQ(atoms[12 * k - 11].name, " C1'");
      EXPECT_NEAR(std::fabs(g[k]["C1'"][1]), 5.80, 0.01);
      EXPECT_NEAR(std::fabs(g[k]["C1'"][2]), 5.80, 0.01);
    }
    EXPECT_LT(g[1]["C1'"][1], 0);
    EXPECT_GT(g[1]["C1'"][2], 0);
    EXPECT_LT(g[2]["C1'"][2], 0);
    long bonded = 0;
    for (long i = 1; i <= 4; ++i)
      for (long j = 1; j <= 4; ++j) {
        if (i == j) continue;
        const double o6_n1 = dist_xyz(g[i]["O6"], g[j]["N1"]), n7_n2 = dist_xyz(g[i]["N7"], g[j]["N2"]);
        if (o6_n1 < 3.3) {
          EXPECT_NEAR(o6_n1, 2.9, 0.2);
          EXPECT_NEAR(n7_n2, 2.9, 0.2);
          ++bonded;
        }
      }
    EXPECT_EQ(bonded, 4);  // a closed cycle of four
    // the guanines' own geometry: a standard base
    EXPECT_NEAR(dist_xyz(g[3]["C1'"], g[3]["N9"]), 1.47, 0.02);
  }
  std::vector<atom> pos, neg;
  populate_gtetrad_template(true, pos);
  populate_gtetrad_template(false, neg);
  EXPECT_NEAR(neg[1].xyz[1], -5.802, 0.002);
  EXPECT_NEAR(neg[2].xyz[1], -5.125, 0.002);
  EXPECT_NEAR(neg[2].xyz[2], 4.509, 0.002);
}

}  // namespace
}  // namespace vask
