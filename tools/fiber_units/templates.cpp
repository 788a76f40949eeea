// The model-building templates (see templates.hpp).
//
// Backbones: a nucleotide placed by reference frames must close its O3'-P
// links both at the standard step of its form and in the fiber helix of that
// form analysed and rebuilt from its own parameters. The sugar-phosphate
// atoms start from the adenine nucleotide of the form's fiber unit (model 1
// for A, 4 for B, 901 for R), expressed in its base frame (the standard
// adenine fitted onto the unit's base ring, as the program fits frames), and
// are refined once for two helices at the same time: the base frames stacked
// by the standard step (flat pairs), and those of the fiber helix; both hold
// the Watson-Crick partner (the template turned about x). The refinement
// keeps standard bonds, angles, chirality and the form's pucker and
// torsions. Every base gets the same sugar-phosphate atoms, refined on the
// mean C1' of the standard bases (which lie up to 0.06 A apart), so that
// every base closes its links with every other alike; C1' and the base
// atoms are those of the standard base.
//
// G-tetrads: the standard guanine turned and moved in the plane so that C1'
// lies at (-5.802, 5.802) with N9 towards (-4.509, 5.125); guanines 2-4 are
// guanine 1 turned by 90, 180 and 270 degrees about z, which puts each O6
// and N7 2.9 A from the N1 and N2 of the next. The negative tetrad is the
// mirror image through the plane y = -x, renumbered to run the same way
// round.
#include "templates.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <vector>

#include "chemistry.hpp"
#include "geometry.hpp"
#include "refine.hpp"

namespace fibergen {

namespace {

// Shift, Slide, Rise (A), Tilt, Roll, Twist (degrees) of a base-pair step.
struct step_pars {
  double shift, slide, rise, tilt, roll, twist;
};

struct backbone_form {
  char type;
  long model;          // the fiber model of the form
  double twist, rise;  // that model's step as its builder takes it
  sugar sug;
  step_pars standard;  // the standard step of the form
  conformation target;
};

// Torsion targets: averages of crystal structures of each form (alpha, beta,
// gamma, epsilon, zeta, chi; pucker phase and amplitude).
const std::array<backbone_form, 3> kForms = {{
    {'A', 1, -32.7, -2.548, sugar::deoxy, {0, -1.5, 3.3, 0, 11.0, 31.0}, {-68, 178, 54, -153, -71, -158, 18, 38}},
    {'B', 4, -36.0, -3.375, sugar::deoxy, {0, 0, 3.38, 0, 0, 36.0}, {-63, 171, 54, -169, -108, -117, 155, 38}},
    {'R', 901, -32.7, -2.548, sugar::ribose, {0, -1.5, 3.3, 0, 11.0, 31.0}, {-68, 178, 54, -153, -71, -158, 18, 38}},
}};

constexpr const char* kLetters = "ACGPTU";

// The link lengths weigh more than usual against the link angles, which the
// two helices pull apart.
constexpr double kLinkWeight = 20.0;

std::string trim(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? "" : s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// A fiber unit's atoms in Cartesian coordinates (columns 31-54 hold height,
// radius and azimuth about the helix axis).
std::vector<named_point> read_unit(const std::string& data_dir, long model, const std::string& key) {
  std::ifstream in(data_dir + "/fiber-units");
  std::vector<named_point> atoms;
  bool inside = false;
  const std::string head = "UNIT " + std::to_string(model) + " " + key;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("UNIT", 0) == 0) {
      inside = line == head;
    } else if (inside && line.rfind("ATOM", 0) == 0) {
      const double h = std::stod(line.substr(30, 8)), r = std::stod(line.substr(38, 8)),
                   phi = rad(std::stod(line.substr(46, 8)));
      atoms.push_back({trim(line.substr(12, 4)), {r * std::cos(phi), r * std::sin(phi), h}});
    }
  }
  if (atoms.empty()) {
    std::fprintf(stderr, "no unit %s in %s/fiber-units\n", head.c_str(), data_dir.c_str());
    std::exit(1);
  }
  return atoms;
}

vec find(const std::vector<named_point>& atoms, const std::string& name) {
  for (const auto& a : atoms)
    if (a.name == name) return a.p;
  std::fprintf(stderr, "no atom %s\n", name.c_str());
  std::exit(1);
}

// The move that best carries the points `from` onto `to` (least squares,
// quaternion method; the top eigenvector by power iteration on the shifted
// key matrix).
xform fit(const std::vector<vec>& from, const std::vector<vec>& to) {
  vec cf{}, ct{};
  for (size_t i = 0; i < from.size(); ++i) cf = cf + from[i], ct = ct + to[i];
  cf = (1.0 / static_cast<double>(from.size())) * cf;
  ct = (1.0 / static_cast<double>(to.size())) * ct;
  double s[3][3] = {};
  double shift = 0;
  for (size_t k = 0; k < from.size(); ++k) {
    const vec a = from[k] - cf, b = to[k] - ct;
    const double av[3] = {a.x, a.y, a.z}, bv[3] = {b.x, b.y, b.z};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) s[i][j] += av[i] * bv[j];
    shift += dot(a, a) + dot(b, b);
  }
  const double xx = s[0][0], xy = s[0][1], xz = s[0][2], yx = s[1][0], yy = s[1][1], yz = s[1][2], zx = s[2][0],
               zy = s[2][1], zz = s[2][2];
  const double n[4][4] = {{xx + yy + zz + shift, yz - zy, zx - xz, xy - yx},
                          {yz - zy, xx - yy - zz + shift, xy + yx, zx + xz},
                          {zx - xz, xy + yx, -xx + yy - zz + shift, yz + zy},
                          {xy - yx, zx + xz, yz + zy, -xx - yy + zz + shift}};
  double q[4] = {1, 0.1, 0.1, 0.1};
  for (int it = 0; it < 20000; ++it) {
    double w[4] = {};
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j) w[i] += n[i][j] * q[j];
    const double len = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2] + w[3] * w[3]);
    for (int i = 0; i < 4; ++i) q[i] = w[i] / len;
  }
  const double q0 = q[0], q1 = q[1], q2 = q[2], q3 = q[3];
  xform g;
  g.r = from_columns({q0 * q0 + q1 * q1 - q2 * q2 - q3 * q3, 2 * (q1 * q2 + q0 * q3), 2 * (q1 * q3 - q0 * q2)},
                     {2 * (q1 * q2 - q0 * q3), q0 * q0 - q1 * q1 + q2 * q2 - q3 * q3, 2 * (q2 * q3 + q0 * q1)},
                     {2 * (q1 * q3 + q0 * q2), 2 * (q2 * q3 - q0 * q1), q0 * q0 - q1 * q1 - q2 * q2 + q3 * q3});
  g.t = ct - g.r * cf;
  return g;
}

// The frame of base i+1 in the frame of base i for a step between two flat
// pairs (the strand-1 base frame is the pair frame): the turn about the
// roll-tilt hinge in the middle of the twist, the displacement in the
// mid-step frame.
xform step_transform(const step_pars& s) {
  const double gamma = std::hypot(s.tilt, s.roll), phi = deg(std::atan2(s.tilt, s.roll));
  const mat half = rotation({0, 0, 1}, s.twist / 2 - phi);
  xform g;
  g.r = half * rotation({0, 1, 0}, gamma) * rotation({0, 0, 1}, s.twist / 2 + phi);
  g.t = (half * rotation({0, 1, 0}, gamma / 2) * rotation({0, 0, 1}, phi)) * vec{s.shift, s.slide, s.rise};
  return g;
}

// One helix the template must close in: the nucleotide on an adenine at the
// identity (its base in its own frame), its partner on the complementary
// base, the step to the 3' neighbour. Both nucleotides read the same
// sugar-phosphate parameters, set on the mean C1' (to_mean_c1 moves each
// base's C1' there).
helix_system template_helix(const backbone_form& f, const xform& step, const xform& partner, const params& start,
                            const std::map<char, vec>& to_mean_c1) {
  helix_system sys;
  sys.repeat = step;
  for (const char letter : {'A', f.sug == sugar::ribose ? 'U' : 'T'}) {
    free_nt nt;
    nt.sug = f.sug;
    nt.bases = {std::string(1, letter)};
    nt.target = f.target;
    const vec shift = to_mean_c1.at(letter);
    nt.frame = [shift](const params&) { return xform{mat{}, shift}; };
    nt.moving = backbone_names(f.sug);
    std::erase(nt.moving, std::string("C1'"));
    nt.offset = 0;
    sys.nts.push_back(nt);
  }
  sys.copies.push_back({0, [](const params&) { return xform{}; }, 0, true});
  sys.copies.push_back({1, [partner](const params&) { return partner; }, 0, true});
  sys.links = {{0, 0, 1}, {1, 1, -1}};
  sys.images = 4;
  sys.link_weight = kLinkWeight;
  sys.link_length = 1.600;
  sys.start = start;
  return sys;
}

// The fiber helix seen from the adenine's base frame: the frame, the step to
// the 3' neighbour and the partner's placement.
struct fiber_view {
  xform frame, step, partner;
  std::vector<named_point> sugar;  // the unit's sugar-phosphate atoms in the base frame
};

fiber_view view_fiber(const std::string& data_dir, const backbone_form& f) {
  const std::vector<named_point> unit = read_unit(data_dir, f.model, "A");
  const base_template& a = base_for("A");
  std::vector<vec> from, to;
  for (const char* n : {"C4", "N3", "C2", "N1", "C6", "C5", "N7", "C8", "N9"}) {
    from.push_back(atom_position(a, n));
    to.push_back(find(unit, n));
  }
  fiber_view v;
  v.frame = fit(from, to);
  const xform back = inverse(v.frame);
  for (const auto& n : backbone_names(f.sug))
    if (n != "C1'") v.sugar.push_back({n, back * find(unit, n)});
  // the builder's step leads to the 3' neighbour or back to the 5' one
  const xform up = back * screw(f.twist, f.rise) * v.frame;
  const xform down = inverse(up);
  const vec p = find(v.sugar, "P"), o3 = find(v.sugar, "O3'");
  v.step = distance(up * p, o3) < distance(down * p, o3) ? up : down;
  v.partner = back * dyad_x() * v.frame;
  return v;
}

struct torsions {
  double alpha, beta, gamma, delta, epsilon, zeta, chi;
};

torsions measure(const helix_system& sys, const params& p) {
  std::map<std::string, vec> at;
  for (const auto& a : nucleotide_atoms(sys, p, 0)) at[a.name] = a.p;
  const xform& s = sys.repeat;
  const vec o3_prev = inverse(s) * at["O3'"], p_next = s * at["P"], o5_next = s * at["O5'"];
  return {torsion(o3_prev, at["P"], at["O5'"], at["C5'"]), torsion(at["P"], at["O5'"], at["C5'"], at["C4'"]),
          torsion(at["O5'"], at["C5'"], at["C4'"], at["C3'"]), torsion(at["C5'"], at["C4'"], at["C3'"], at["O3'"]),
          torsion(at["C4'"], at["C3'"], at["O3'"], p_next),    torsion(at["C3'"], at["O3'"], p_next, o5_next),
          torsion(at["O4'"], at["C1'"], at["A:N9"], at["A:C4"])};
}

void report(const char* what, const helix_system& sys, const params& p) {
  const soundness s = check_soundness(sys, p);
  const torsions t = measure(sys, p);
  std::fprintf(stderr,
               "  %s: O3'-P %.3f-%.3f bond %.3f (%s) angle %.2f (%s) contact %.2f (%s)\n"
               "    alpha %.0f beta %.0f gamma %.0f delta %.0f epsilon %.0f zeta %.0f chi %.0f\n",
               what, s.link_min, s.link_max, s.bond_dev, s.worst_bond.c_str(), s.angle_dev, s.worst_angle.c_str(),
               s.min_contact, s.worst_contact.c_str(), t.alpha, t.beta, t.gamma, t.delta, t.epsilon, t.zeta, t.chi);
}

std::string res_name(char letter) { return letter == 'P' ? "PSU" : std::string("  ") + letter; }

std::string atom_line(long serial, const std::string& name, const std::string& res, long resnum, vec p) {
  // program names: O1P and O2P
  const std::string n = name == "OP1" ? "O1P" : name == "OP2" ? "O2P" : name;
  const std::string padded = n.size() < 4 ? " " + n : n;
  char buf[100];
  std::snprintf(buf, sizeof buf, "ATOM  %5ld %-4s %3s A%4ld    %8.3f%8.3f%8.3f  1.00  0.00          %2s", serial,
                padded.c_str(), res.c_str(), resnum, p.x, p.y, p.z, n.substr(0, 1).c_str());
  return buf;
}

struct table {
  std::string name;
  std::vector<std::string> lines;
};

table nucleotide_table(char type, char letter, const std::vector<named_point>& sugar,
                       const std::map<char, base_template>& bases) {
  const base_template& b = bases.at(letter);
  table t{std::string("bb_") + type + "_" + letter, {}};
  long serial = 0;
  for (const auto& a : sugar) t.lines.push_back(atom_line(++serial, a.name, res_name(letter), 1, a.p));
  for (const auto& a : b.atoms) t.lines.push_back(atom_line(++serial, a.name, res_name(letter), 1, a.p));
  return t;
}

std::vector<table> tetrad_tables(const base_template& g) {
  const char* order[] = {"C1'", "N9", "C8", "N7", "C5", "C6", "O6", "N1", "C2", "N2", "N3", "C4"};
  const vec c1 = atom_position(g, "C1'"), n9 = atom_position(g, "N9");
  xform place;
  place.r = rotation({0, 0, 1}, deg(std::atan2(5.125 - 5.802, -4.509 + 5.802) - std::atan2(n9.y - c1.y, n9.x - c1.x)));
  place.t = vec{-5.802, 5.802, 0} - place.r * c1;
  std::vector<std::vector<named_point>> pos(4);
  for (int k = 0; k < 4; ++k)
    for (const char* n : order) {
      vec p = rotation({0, 0, 1}, 90.0 * k) * (place * atom_position(g, n));
      pos[static_cast<size_t>(k)].push_back({n, {p.x, p.y, 0.0}});
    }
  std::vector<table> out;
  for (bool positive : {true, false}) {
    table t{positive ? "Gtetrad_positive" : "Gtetrad_negative", {}};
    long serial = 0;
    for (int k = 0; k < 4; ++k) {
      const int from = positive ? k : (4 - k) % 4;  // the mirror runs the other way round
      for (const auto& a : pos[static_cast<size_t>(from)]) {
        const vec p = positive ? a.p : vec{-a.p.y, -a.p.x, 0.0};
        t.lines.push_back(atom_line(++serial, a.name, "  G", k + 1, p));
      }
    }
    out.push_back(t);
  }
  return out;
}

}  // namespace

int write_backbone_templates(const std::string& data_dir, long iterations) {
  std::map<char, base_template> bases;
  for (char l : std::string(kLetters)) {
    const std::string file = data_dir + "/standard_frames/frame___" + l + ".pdb";
    bases[l] = read_frame_file(file, res_name(l), l, l == 'A' || l == 'G');
  }
  for (auto& [letter, b] : bases)  // C1' first, then the base in file order
    std::stable_partition(b.atoms.begin(), b.atoms.end(), [](const named_point& a) { return a.name == "C1'"; });
  // one sugar-phosphate for every base, refined on the mean C1' of the
  // standard bases: their C1' atoms lie up to 0.06 A apart
  vec mean_c1{};
  for (const auto& [letter, b] : bases) mean_c1 = mean_c1 + atom_position(b, "C1'");
  mean_c1 = (1.0 / static_cast<double>(bases.size())) * mean_c1;
  std::map<char, vec> to_mean_c1;
  for (const auto& [letter, b] : bases) to_mean_c1[letter] = mean_c1 - atom_position(b, "C1'");
  std::vector<table> tables;
  bool sound = true;
  for (const backbone_form& f : kForms) {
    const fiber_view v = view_fiber(data_dir, f);
    params start;
    for (const auto& a : v.sugar) start.insert(start.end(), {a.p.x, a.p.y, a.p.z});
    const xform standard = step_transform(f.standard);
    helix_system flat = template_helix(f, standard, dyad_x(), start, to_mean_c1);
    helix_system fiber = template_helix(f, v.step, v.partner, start, to_mean_c1);
    std::fprintf(stderr, "backbone %c (fiber model %ld), before:\n", f.type, f.model);
    report("standard step", flat, start);
    report("fiber helix  ", fiber, start);
    double score = 0;
    params p = start;
    for (int round = 0; round < 3; ++round) p = refine_jointly({&flat, &fiber}, p, score, iterations);
    std::fprintf(stderr, "after (score %.3f):\n", score);
    report("standard step", flat, p);
    report("fiber helix  ", fiber, p);
    const soundness a = check_soundness(flat, p), b = check_soundness(fiber, p);
    sound = sound && a.link_min >= 1.57 && a.link_max <= 1.63 && b.link_min >= 1.55 && b.link_max <= 1.65;
    std::vector<named_point> sugar;
    for (const auto& atom : nucleotide_atoms(flat, p, 0))
      if (atom.name.find(':') == std::string::npos && atom.name != "C1'") sugar.push_back(atom);
    for (char l : std::string(kLetters)) tables.push_back(nucleotide_table(f.type, l, sugar, bases));
  }
  for (char l : std::string(kLetters)) tables.push_back(nucleotide_table('N', l, {}, bases));
  for (auto& t : tetrad_tables(bases.at('G'))) tables.push_back(t);
  for (const table& t : tables) {
    const std::string file = data_dir + "/backbone/" + t.name + ".pdb";
    std::ofstream out(file);
    for (const auto& l : t.lines) out << l << "\n";
    out << "END\n";
    std::printf("constexpr const char* k_%s[] = {\n", t.name.c_str());
    for (const auto& l : t.lines) std::printf("    \"%s\",\n", l.c_str());
    std::printf("};\n");
  }
  if (!sound) std::fprintf(stderr, "some links are outside their bounds\n");
  return sound ? 0 : 1;
}

}  // namespace fibergen
