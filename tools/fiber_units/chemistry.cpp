// Standard nucleotide chemistry for the fiber-unit generator.
#include "chemistry.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

namespace fibergen {

namespace {

std::map<std::string, base_template>& templates() {
  static std::map<std::string, base_template> t;
  return t;
}

std::string trim(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

// A substituent on ring atom `at`, pointing away from its two ring neighbours.
vec exocyclic(const base_template& b, const std::string& at, const std::string& n1, const std::string& n2,
              double length) {
  auto find = [&](const std::string& n) {
    for (const auto& a : b.atoms)
      if (a.name == n) return a.p;
    std::exit(1);
  };
  vec c = find(at);
  vec dir = unit(unit(c - find(n1)) + unit(c - find(n2)));
  return c + length * dir;
}

}  // namespace

base_template read_frame_file(const std::string& path, const std::string& res, char letter, bool purine) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    std::exit(1);
  }
  base_template b;
  b.res_name = res;
  b.letter = letter;
  b.purine = purine;
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("ATOM", 0) != 0 || line.size() < 54) continue;
    b.atoms.push_back({trim(line.substr(12, 4)),
                       {std::stod(line.substr(30, 8)), std::stod(line.substr(38, 8)), std::stod(line.substr(46, 8))}});
  }
  return b;
}

void load_base_templates(const std::string& data_dir) {
  auto& t = templates();
  std::string dir = data_dir + "/standard_frames/";
  t["A"] = read_frame_file(dir + "frame___A.pdb", "A", 'A', true);
  t["C"] = read_frame_file(dir + "frame___C.pdb", "C", 'C', false);
  t["G"] = read_frame_file(dir + "frame___G.pdb", "G", 'G', true);
  t["T"] = read_frame_file(dir + "frame___T.pdb", "T", 'T', false);
  t["U"] = read_frame_file(dir + "frame___U.pdb", "U", 'U', false);

  base_template i = t["G"];  // hypoxanthine: guanine without its amino group
  i.res_name = "I";
  i.letter = 'I';
  std::erase_if(i.atoms, [](const named_point& a) { return a.name == "N2"; });
  t["I"] = i;

  base_template x = t["G"];  // xanthine: a keto O2 where guanine has N2
  x.res_name = "X";
  x.letter = 'X';
  for (auto& a : x.atoms)
    if (a.name == "N2") a = {"O2", exocyclic(t["G"], "C2", "N1", "N3", 1.228)};
  t["X"] = x;

  base_template bu = t["U"];  // 5-bromouracil: Br on C5, after C5 as T's methyl
  bu.res_name = "5BU";
  bu.letter = 'U';
  for (size_t k = 0; k < bu.atoms.size(); ++k)
    if (bu.atoms[k].name == "C5") {
      bu.atoms.insert(bu.atoms.begin() + static_cast<long>(k) + 1,
                      {"BR", exocyclic(t["U"], "C5", "C4", "C6", 1.887)});
      break;
    }
  t["5BU"] = bu;

  base_template s4 = t["T"];  // 4-thiothymine: S4 for O4
  s4.res_name = "4ST";
  s4.letter = 'T';
  for (auto& a : s4.atoms)
    if (a.name == "O4") a = {"S4", exocyclic(t["T"], "C4", "N3", "C5", 1.671)};
  t["4ST"] = s4;

  base_template s2 = t["U"];  // 2-thiouracil: S2 for O2
  s2.res_name = "SUR";
  s2.letter = 'U';
  for (auto& a : s2.atoms)
    if (a.name == "O2") a = {"S2", exocyclic(t["U"], "C2", "N1", "N3", 1.681)};
  t["SUR"] = s2;
}

vec atom_position(const base_template& b, const std::string& name) {
  for (const auto& a : b.atoms)
    if (a.name == name) return a.p;
  std::fprintf(stderr, "no atom %s in %s\n", name.c_str(), b.res_name.c_str());
  std::exit(1);
}

const base_template& base_for(const std::string& res_name) {
  auto it = templates().find(res_name);
  if (it == templates().end()) {
    std::fprintf(stderr, "no base template %s\n", res_name.c_str());
    std::exit(1);
  }
  return it->second;
}

std::vector<std::string> backbone_names(sugar s) {
  std::vector<std::string> n = {"P", "OP1", "OP2", "O5'", "C5'", "C4'", "O4'", "C3'", "O3'", "C2'"};
  if (s != sugar::deoxy) n.push_back("O2'");
  n.push_back("C1'");
  if (s == sugar::ethyl) {
    n.push_back("C6'");
    n.push_back("C7'");
  }
  return n;
}

const std::vector<bond_def>& nucleotide_bonds() {
  static const std::vector<bond_def> b = {
      {"P", "OP1", 1.485},   {"P", "OP2", 1.485},   {"P", "O5'", 1.593},   {"O5'", "C5'", 1.440},
      {"C5'", "C4'", 1.510}, {"C4'", "O4'", 1.446}, {"C4'", "C3'", 1.528}, {"C3'", "O3'", 1.431},
      {"C3'", "C2'", 1.525}, {"C2'", "C1'", 1.521}, {"C1'", "O4'", 1.420}, {"C2'", "O2'", 1.413},
      {"O2'", "C6'", 1.425}, {"C6'", "C7'", 1.515},
  };
  return b;
}

const std::vector<angle_def>& nucleotide_angles() {
  static const std::vector<angle_def> a = {
      {"OP1", "P", "OP2", 119.6},   {"O5'", "P", "OP1", 108.1},   {"O5'", "P", "OP2", 108.3},
      {"P", "O5'", "C5'", 120.9},   {"O5'", "C5'", "C4'", 110.2}, {"C5'", "C4'", "O4'", 109.4},
      {"C5'", "C4'", "C3'", 114.7}, {"O4'", "C4'", "C3'", 105.6}, {"C4'", "C3'", "O3'", 110.3},
      {"C2'", "C3'", "O3'", 110.6}, {"C4'", "C3'", "C2'", 102.8}, {"C3'", "C2'", "C1'", 102.5},
      {"O4'", "C1'", "C2'", 106.0}, {"C4'", "O4'", "C1'", 109.7}, {"O4'", "C1'", "N*", 108.2},
      {"C2'", "C1'", "N*", 114.0},  {"C1'", "C2'", "O2'", 110.6}, {"C3'", "C2'", "O2'", 113.3},
      {"C2'", "O2'", "C6'", 113.0}, {"O2'", "C6'", "C7'", 109.5},
  };
  return a;
}

const std::vector<angle_def>& link_angles() {
  static const std::vector<angle_def> a = {
      {"-C3'", "-O3'", "P", 119.7},
      {"-O3'", "P", "O5'", 104.0},
      {"-O3'", "P", "OP1", 107.4},
      {"-O3'", "P", "OP2", 108.3},
  };
  return a;
}

const std::vector<chirality_def>& nucleotide_chirality() {
  static const std::vector<chirality_def> c = {
      {"C4'", "O4'", "C3'", "C5'", -1}, {"C3'", "C2'", "C4'", "O3'", -1}, {"C1'", "O4'", "C2'", "N*", 1},
      {"C2'", "C1'", "C3'", "O2'", -1}, {"P", "OP1", "OP2", "O5'", -1},
  };
  return c;
}

std::string glycosidic_n(const base_template& b) { return b.purine ? "N9" : "N1"; }

std::pair<std::string, std::string> glycosidic_neighbours(const base_template& b) {
  return b.purine ? std::pair<std::string, std::string>{"C4", "C8"} : std::pair<std::string, std::string>{"C2", "C6"};
}

xform sugar_carry(const base_template& from, const base_template& to) {
  if (&from == &to) return xform{};
  vec c1f = atom_position(from, "C1'"), c1t = atom_position(to, "C1'");
  vec df = atom_position(from, glycosidic_n(from)) - c1f, dt = atom_position(to, glycosidic_n(to)) - c1t;
  xform g;
  g.r = rotation({0, 0, 1}, deg(std::atan2(dt.y, dt.x) - std::atan2(df.y, df.x)));
  g.t = c1t - g.r * c1f;
  return g;
}

}  // namespace fibergen
