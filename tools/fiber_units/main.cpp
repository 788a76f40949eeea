// Generates the fiber repeat units (data/fiber-units) from standard geometry.
//
// Every unit is authored here, not copied: standard bases (data/
// standard_frames) are placed as Watson-Crick, Hoogsteen or tetrad partners in
// a frame set by a few helical parameters; the sugar-phosphate atoms start
// from the puckers and backbone torsions typical of the model's family (A and
// RNA: C3'-endo; B, C, D: C2'-endo; Z: alternating syn C3'-endo and anti
// C2'-endo) and are refined until every copy that the model's twist and rise
// make has standard bond lengths and angles, closed O3'-P links and no close
// contacts. Models that no family start closes (the untwisted ladder, the
// left-handed duplex of anti nucleotides, Pauling's strands) get wider
// searches of their own. A model whose unit cannot be made sound this way is
// left out and named on standard error and in the data file.
//
// Usage: fiber_units <data folder> [model ...] > data/fiber-units
//        fiber_units <data folder> --templates > tables.txt
// The second form derives the model-building templates of data/backbone from
// the fiber units (templates.hpp) and prints their C++ tables.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "chemistry.hpp"
#include "geometry.hpp"
#include "refine.hpp"
#include "templates.hpp"

namespace fibergen {
namespace {

enum class scheme { per_base, per_base_partner, duplex, zdna, ladder, general_duplex, triplex, quadruplex, single, pauling };
enum class family { A, B, Bv, C, D, Z, P };

struct model_spec {
  long id;
  scheme kind;
  double twist, rise;  // per nucleotide step as the builder uses it (after any negation)
  family fam;
  std::string s1, s2;  // residue names, space-separated; per-base: the unit letters
  sugar sug1 = sugar::deoxy, sug2 = sugar::deoxy;
  double unit_twist = 0, unit_rise = 0;  // Z: the repeat of two nucleotides
};

const sugar D = sugar::deoxy, R = sugar::ribose;

const std::vector<model_spec>& specs() {
  static const std::vector<model_spec> s = {
      {1, scheme::per_base, -32.7, -2.548, family::A, "A C G T", "", D, D},
      {2, scheme::duplex, -32.75, -2.5475, family::A, "A 5BU", "A 5BU", D, D},
      {3, scheme::duplex, -360.0 / 11, -28.03 / 11, family::A, "A T C G G A A T G G T", "A C C A T T C C G A T", D, D},
      {4, scheme::per_base, -36.0, -3.375, family::B, "A C G T", "", D, D},
      {5, scheme::duplex, -36.0, -3.36, family::B, "C G", "C G", D, D},
      {6, scheme::duplex, -36.0, -16.864 / 5, family::B, "C C C C C", "G G G G G", D, D},
      {7, scheme::per_base, -38.6, -3.31, family::C, "A C G T", "", D, D},
      {8, scheme::per_base, -40.0, -3.312, family::C, "A C G T", "", D, D},
      {9, scheme::duplex, -40.0, -9.937 / 3, family::C, "G G T", "A C C", D, D},
      {10, scheme::duplex, -40.0, -3.2335, family::C, "A G", "C T", D, D},
      {11, scheme::duplex, -40.0, -3.2335, family::Bv, "A G", "C T", D, D},
      {12, scheme::per_base, -45.0, -3.013, family::D, "A T", "", D, D},
      {13, scheme::duplex, -45.0, -3.0625, family::D, "C I", "C I", D, D},
      {14, scheme::duplex, -45.0, -18.5 / 6, family::D, "A T A T A T", "A T A T A T", D, D},
      {15, scheme::zdna, 0, 0, family::Z, "G C", "G C", D, D, 60.0, -7.25},
      {16, scheme::zdna, 0, 0, family::Z, "A 4ST", "A 4ST", D, D, 51.4, -7.571},
      {17, scheme::ladder, 0, 0, family::B, "G C", "G C", D, D, 0.0, -10.2},
      {18, scheme::duplex, -36.0, -3.23, family::B, "A", "T", D, D},
      {19, scheme::duplex, -36.0, -3.233, family::Bv, "A", "T", D, D},
      {20, scheme::duplex, -32.7, -2.812, family::A, "A", "U", R, R},
      {21, scheme::duplex, -30.0, -3.0, family::A, "I", "C", R, R},
      {22, scheme::duplex, -32.7, -2.56, family::A, "A", "T", R, D},
      {23, scheme::duplex, -32.0, -2.78, family::A, "G", "C", D, R},
      {24, scheme::duplex, -36.0, -3.13, family::A, "I", "C", D, R},
      {25, scheme::duplex, -32.7, -3.06, family::A, "A", "U", D, R},
      {26, scheme::duplex, -36.0, -3.01, family::A, "X", "X", R, R},
      {27, scheme::duplex, -32.7, -2.518, family::A, "X", "X", R, R},
      {28, scheme::duplex, -32.7, -2.596, family::A, "SUR", "SUR", R, R},
      {29, scheme::general_duplex, -32.7, -2.596, family::A, "SUR", "SUR", R, R},
      {30, scheme::triplex, -32.7, -3.16, family::A, "I C C", "", D, D},
      {31, scheme::triplex, -30.0, -3.26, family::A, "A T T", "", D, D},
      {32, scheme::triplex, -32.7, -3.04, family::A, "A U U", "", R, R},
      {33, scheme::triplex, -30.0, -3.04, family::A, "A U U", "", R, R},
      {34, scheme::triplex, -30.0, -3.29, family::A, "A I I", "", R, R},
      {35, scheme::quadruplex, -31.3, -3.41, family::A, "I", "", R, R},
      {36, scheme::single, -60.0, -3.155, family::A, "C", "", sugar::ethyl, sugar::ethyl},
      {37, scheme::duplex, -36.0, -3.2, family::B, "A", "U", D, D},
      {38, scheme::duplex, 36.0, 3.24, family::B, "A", "T", D, D},
      {39, scheme::duplex, 36.0, 3.24, family::B, "A I", "C T", D, D},
      {40, scheme::duplex, 36.0, 3.23, family::Bv, "A I", "C T", D, D},
      {41, scheme::duplex, 36.0, 13.54 / 4, family::B, "A A T T", "A A T T", D, D},
      {42, scheme::triplex, -32.7, -3.04, family::A, "A U U", "", D, R},
      {43, scheme::duplex, -36.0, -3.2, family::Bv, "A", "U", D, D},
      {44, scheme::per_base_partner, -36.0, -3.233, family::B, "A T", "", D, D},
      {45, scheme::per_base_partner, -36.0, -3.233, family::Bv, "A T", "", D, D},
      {46, scheme::per_base, 36.0, 3.38, family::B, "A C G T", "", D, D},
      {47, scheme::per_base, 40.0, 3.32, family::C, "A C G T", "", D, D},
      {48, scheme::duplex, 43.9, 3.01, family::D, "A T", "A T", D, D},
      {49, scheme::duplex, 30.0, 3.6, family::B, "C G", "C G", D, D},
      {50, scheme::duplex, 30.0, 3.6, family::Bv, "G C", "G C", D, D},
      {51, scheme::duplex, 31.6, 3.22, family::B, "A", "T", D, D},
      {52, scheme::duplex, 45.0, 3.03, family::D, "A T", "A T", D, D},
      {53, scheme::per_base, -38.7, 3.29, family::B, "A C G T", "", D, D},
      {54, scheme::per_base, 32.73, 2.56, family::A, "A C G T", "", D, D},
      {55, scheme::per_base, 36.0, 3.39, family::B, "A C G T", "", D, D},
      {56, scheme::pauling, 105.0, 3.40, family::P, "A C G T U", "", R, R},
      {901, scheme::per_base, -32.7, -2.548, family::A, "A C G U", "", R, R},
      {935, scheme::quadruplex, -31.3, -3.41, family::A, "G", "", R, R},
  };
  return s;
}

// Target conformations (degrees): alpha beta gamma epsilon zeta chi, pucker phase and amplitude.
conformation target_of(family f, bool syn = false) {
  switch (f) {
    case family::A:
    case family::P: return {-68, 178, 54, -153, -71, -158, 18, 38};
    case family::B: return {-60, 180, 50, -170, -100, -110, 160, 38};
    case family::Bv: return {-55, 175, 45, -160, -95, -120, 140, 38};
    case family::C: return {-60, 175, 50, -165, -100, -105, 155, 38};
    case family::D: return {-60, 175, 50, -165, -105, -100, 150, 38};
    case family::Z:
      if (syn) return {47, 179, -169, -104, -69, 68, 18, 38};
      return {-137, -139, 56, -94, 80, -159, 150, 38};
  }
  return {};
}

double dx_target(family f) {
  switch (f) {
    case family::A: return -4.0;
    case family::C:
    case family::D: return -1.0;
    default: return 0.0;
  }
}

std::vector<std::string> words(const std::string& s) {
  std::istringstream in(s);
  std::vector<std::string> w;
  for (std::string x; in >> x;) w.push_back(x);
  return w;
}

long add_moving(helix_system& sys, free_nt& f) {
  f.moving = backbone_names(f.sug);
  std::erase(f.moving, std::string("C1'"));
  f.offset = static_cast<long>(sys.start.size());
  sys.start.resize(sys.start.size() + 3 * f.moving.size(), 0.0);
  return f.offset;
}

// Frame of the strand-1 base of a pair whose two-fold axis is the x axis:
// origin (dx, 0, 0), inclination eta about x, propeller kappa shared out.
// down: strand 1 runs 5'->3' towards -z.
xform pair_frame(double dx, double eta, double kappa, bool down, const xform& q) {
  xform f;
  f.r = rotation({1, 0, 0}, eta);
  if (down) f.r = f.r * dyad_x().r;
  f.r = f.r * rotation({0, 1, 0}, kappa / 2);
  f.t = {dx, 0, 0};
  return f * q;
}

xform free_frame(const params& p, long o, const xform& f0) {
  xform f;
  f.r = rotation_vector({p[static_cast<size_t>(o)], p[static_cast<size_t>(o + 1)], p[static_cast<size_t>(o + 2)]}) * f0.r;
  f.t = f0.t + vec{p[static_cast<size_t>(o + 3)], p[static_cast<size_t>(o + 4)], p[static_cast<size_t>(o + 5)]};
  return f;
}

// The frame of base b relative to base a for a pair held by the given H-bonds
// (donor/acceptor atom pairs at about 2.9 A), coplanar, with the normals
// parallel or antiparallel; solved once from the standard bases.
xform solve_pair(const std::string& a, const std::string& b, const std::vector<std::pair<std::string, std::string>>& hb,
                 bool parallel, const xform& guess, double hb_len = 2.9) {
  const base_template& ta = base_for(a);
  const base_template& tb = base_for(b);
  auto find = [](const base_template& t, const std::string& n) {
    for (const auto& x : t.atoms)
      if (x.name == n) return x.p;
    std::fprintf(stderr, "no atom %s in %s\n", n.c_str(), t.res_name.c_str());
    std::exit(1);
  };
  auto cost = [&](const params& p) {
    xform g = free_frame(p, 0, guess);
    double e = 0;
    for (const auto& [x, y] : hb) {
      double d = distance(find(ta, x), g * find(tb, y)) - hb_len;
      e += 50 * d * d;
    }
    for (const auto& atom : tb.atoms) {
      vec q = g * atom.p;
      e += 5 * q.z * q.z;
      for (const auto& other : ta.atoms) {
        double d = distance(other.p, q);
        bool bonded_pair = false;
        for (const auto& [x, y] : hb) bonded_pair |= (other.name == x && atom.name == y);
        if (!bonded_pair && d < 3.1) e += 30 * (3.1 - d) * (3.1 - d);
      }
    }
    vec z = column(g.r, 2);
    double want = parallel ? 1.0 : -1.0;
    e += 20 * (z.z - want) * (z.z - want);
    return e;
  };
  params p(6, 0.0);
  double step = 0.5;
  double best = cost(p);
  for (int it = 0; it < 4000 && step > 1e-6; ++it) {  // coordinate search: six parameters only
    bool moved = false;
    for (size_t i = 0; i < 6; ++i)
      for (double sgn : {1.0, -1.0}) {
        params q = p;
        q[i] += sgn * step * (i < 3 ? 20.0 : 1.0);
        double c = cost(q);
        if (c < best) best = c, p = q, moved = true;
      }
    if (!moved) step *= 0.5;
  }
  xform g = free_frame(p, 0, guess);
  for (const auto& [x, y] : hb)
    std::fprintf(stderr, "    pair %s:%s %s-%s %.2f\n", a.c_str(), b.c_str(), x.c_str(), y.c_str(),
                 distance(find(ta, x), g * find(tb, y)));
  return g;
}

// The in-plane transform q that makes a base and its own two-fold image about
// the x axis a symmetric pair held by the given H-bonds.
xform solve_symmetric_pair(const std::string& res, const std::vector<std::pair<std::string, std::string>>& hb) {
  const base_template& t = base_for(res);
  auto find = [&](const std::string& n) {
    for (const auto& x : t.atoms)
      if (x.name == n) return x.p;
    std::exit(1);
  };
  auto make = [](const params& p) {
    xform q;
    q.r = rotation({0, 0, 1}, p[0]);
    q.t = {p[1], p[2], 0};
    return q;
  };
  auto cost = [&](const params& p) {
    xform q = make(p);
    xform d = dyad_x() * q;
    double e = 0;
    for (const auto& [x, y] : hb) {
      double dd = distance(q * find(x), d * find(y)) - 2.9;
      e += 50 * dd * dd;
    }
    for (const auto& a : t.atoms)
      for (const auto& b : t.atoms) {
        double dd = distance(q * a.p, d * b.p);
        bool hbp = false;
        for (const auto& [x, y] : hb) hbp |= (a.name == x && b.name == y) || (a.name == y && b.name == x);
        if (!hbp && dd < 3.2) e += 300 * (3.2 - dd) * (3.2 - dd);
      }
    // the glycosidic bonds on the same side (a cis pair) and C1' about 10.5 A apart
    double c1 = distance(q * find("C1'"), d * find("C1'"));
    e += 0.05 * (c1 - 10.5) * (c1 - 10.5);
    return e;
  };
  double best = 1e30;
  params bestp;
  for (double a0 = -180; a0 < 180; a0 += 30) {
    params p = {a0, 0, 0};
    double step = 0.5, c = cost(p);
    for (int it = 0; it < 3000 && step > 1e-6; ++it) {
      bool moved = false;
      for (size_t i = 0; i < 3; ++i)
        for (double sgn : {1.0, -1.0}) {
          params q = p;
          q[i] += sgn * step * (i == 0 ? 20.0 : 1.0);
          double cq = cost(q);
          if (cq < c) c = cq, p = q, moved = true;
        }
      if (!moved) step *= 0.5;
    }
    if (c < best) best = c, bestp = p;
  }
  xform q = make(bestp);
  for (const auto& [x, y] : hb)
    std::fprintf(stderr, "    pair %s:%s %s-%s %.2f (cost %.3f)\n", res.c_str(), res.c_str(), x.c_str(), y.c_str(),
                 distance(q * find(x), dyad_x() * q * find(y)), best);
  return q;
}

// ----------------------------------------------------------------------------
// Systems

struct built {
  helix_system sys;
  params p;
  double score = 1e30;
  soundness s;
};

// One nucleotide per strand and step, the partner its two-fold image.
helix_system uniform_duplex(const model_spec& m, const std::vector<std::string>& bases1, const xform& q,
                            bool partner_o2, double eta0, double dx0, const conformation& t) {
  helix_system sys;
  sys.repeat = screw(m.twist, m.rise);
  bool down = m.rise < 0;
  sys.start = {dx0, eta0, 0.0};
  free_nt f;
  f.sug = (m.sug1 == R || m.sug2 == R) ? R : D;
  f.bases = bases1;
  f.target = t;
  f.frame = [down, q](const params& p) { return pair_frame(p[0], p[1], p[2], down, q); };
  add_moving(sys, f);
  sys.nts.push_back(f);
  sys.copies.push_back({0, [](const params&) { return xform{}; }, 0, m.sug1 == R});
  sys.copies.push_back({0, [](const params&) { return dyad_x(); }, 0, partner_o2});
  sys.links.push_back({0, 0, 1});
  sys.links.push_back({1, 1, -1});
  sys.restraints.push_back({0, dx_target(m.fam), 0.02});
  sys.restraints.push_back({2, -8.0, 0.0005});
  double per_turn = 360.0 / std::fabs(m.twist);
  sys.images = std::min(16L, static_cast<long>(per_turn * 1.2) + 2);
  return sys;
}

helix_system z_duplex(const model_spec& m, const std::vector<std::string>& b1, const std::vector<std::string>& b2,
                      double theta2, bool down) {
  helix_system sys;
  sys.repeat = screw(m.unit_twist, m.unit_rise);
  xform f0 = pair_frame(-3.0, 0, 0, down, xform{});
  sys.start = params(8, 0.0);
  sys.start[6] = theta2;
  sys.start[7] = m.unit_rise / 2;
  auto dmid = [](const params& p) {
    xform h = screw(p[6] / 2, p[7] / 2);
    return h * dyad_x() * inverse(h);
  };
  free_nt n1, n2;
  n1.sug = n2.sug = D;
  n1.bases = b1;
  n2.bases = b2;
  n1.target = target_of(family::Z, true);
  n2.target = target_of(family::Z, false);
  n1.frame = [f0](const params& p) { return free_frame(p, 0, f0); };
  n2.frame = [f0, dmid](const params& p) { return dmid(p) * free_frame(p, 0, f0) * dyad_x(); };
  add_moving(sys, n1);
  add_moving(sys, n2);
  sys.nts = {n1, n2};
  auto id = [](const params&) { return xform{}; };
  sys.copies.push_back({0, id, 0, false});
  sys.copies.push_back({1, id, 1, false});
  sys.copies.push_back({0, dmid, 1, false});
  sys.copies.push_back({1, dmid, 0, false});
  sys.links = {{0, 1, 0}, {1, 0, 1}, {2, 3, 0}, {3, 2, -1}};
  sys.restraints.push_back({7, m.unit_rise / 2, 0.5});
  sys.images = 8;
  return sys;
}

// Strands each with a backbone of their own; frames of partners fixed
// relative to the first strand's base. place[k]: the whole-strand placement.
helix_system multi_strand(const model_spec& m, const std::vector<std::vector<std::string>>& bases,
                          const std::vector<xform>& rel, const std::vector<long>& direction,
                          const std::vector<sugar>& sug, const std::vector<xform>& place, const xform& f0,
                          const std::vector<long>& levels) {
  helix_system sys;
  sys.repeat = screw(m.twist, m.rise);
  sys.start = params(6, 0.0);
  for (size_t k = 0; k < bases.size(); ++k) {
    free_nt f;
    f.sug = sug[k];
    f.bases = bases[k];
    f.target = target_of(m.fam);
    xform r = rel[k];
    f.frame = [f0, r](const params& p) { return free_frame(p, 0, f0) * r; };
    add_moving(sys, f);
    sys.nts.push_back(f);
  }
  for (size_t c = 0; c < place.size(); ++c) {
    long nt = static_cast<long>(c % bases.size());
    xform g = place[c];
    sys.copies.push_back({nt, [g](const params&) { return g; }, levels[c], true});
    sys.links.push_back({static_cast<long>(c), static_cast<long>(c), direction[static_cast<size_t>(nt)]});
  }
  double per_turn = 360.0 / std::fabs(m.twist);
  sys.images = std::min(14L, static_cast<long>(per_turn) + 2);
  return sys;
}

built run(helix_system sys, long iterations) {
  build_start(sys);
  built b;
  b.sys = sys;
  b.p = refine(sys, sys.start, b.score, iterations);
  reseat_phosphates(sys, b.p);
  b.p = refine(sys, b.p, b.score, iterations);
  reseat_phosphates(sys, b.p);
  b.p = refine(sys, b.p, b.score, iterations);
  b.s = check_soundness(sys, b.p);
  return b;
}

void report(long id, const std::string& what, const built& b) {
  std::fprintf(stderr, "model %ld %s: score %.3f bond %.3f (%s) angle %.2f (%s) contact %.2f (%s) O3'-P %.3f-%.3f %s\n",
               id, what.c_str(), b.score, b.s.bond_dev, b.s.worst_bond.c_str(), b.s.angle_dev,
               b.s.worst_angle.c_str(), b.s.min_contact, b.s.worst_contact.c_str(), b.s.link_min, b.s.link_max,
               b.s.sound() ? "sound" : "NOT SOUND");
}

// b may be the empty start of a search, whose blank report reads as sound:
// any refined attempt beats it, else an unsound model would be written.
bool better(const built& a, const built& b) {
  if (b.sys.nts.empty()) return true;
  if (a.s.sound() != b.s.sound()) return a.s.sound();
  return a.score < b.score;
}

// ----------------------------------------------------------------------------
// Output

struct unit_atom {
  std::string name, res;
  vec p;
};
using unit_nt = std::vector<unit_atom>;

// The nucleotide of a free nt with a given base, in unit coordinates moved
// by g, in the unit atom order; O2' dropped when keep_o2 is false. The
// sugar-phosphate atoms, refined on the nt's first base, are carried onto
// this one; C1' lands on the base's own C1'.
unit_nt make_nt(const built& b, long nt, const std::string& res, const xform& g, bool keep_o2) {
  const free_nt& f = b.sys.nts[static_cast<size_t>(nt)];
  std::vector<named_point> atoms = nucleotide_atoms(b.sys, b.p, nt);
  xform fr = f.frame(b.p);
  const base_template& bt = base_for(res);
  auto which = std::find(f.bases.begin(), f.bases.end(), res);
  if (which == f.bases.end()) {
    std::fprintf(stderr, "base %s not among those the nucleotide was refined with\n", res.c_str());
    std::exit(1);
  }
  const xform onto = sugar_moves(b.sys, b.p, nt)[static_cast<size_t>(which - f.bases.begin())];
  unit_nt out;
  for (const auto& n : backbone_names(f.sug)) {
    if (n == "O2'" && !keep_o2) continue;
    for (const auto& a : atoms)
      if (a.name == n) out.push_back({n, res, g * (onto * a.p)});
  }
  for (size_t k = 1; k < bt.atoms.size(); ++k) out.push_back({bt.atoms[k].name, res, g * (fr * bt.atoms[k].p)});
  return out;
}

std::string pdb_name(const std::string& n) {
  if (n.size() >= 4 || n == "BR") return (n + "    ").substr(0, 4);
  return (" " + n + "   ").substr(0, 4);
}

void write_unit(FILE* fp, long id, const std::string& key, char chain, const std::vector<unit_nt>& nts) {
  std::fprintf(fp, "UNIT %ld %s\n", id, key.c_str());
  long serial = 0;
  for (size_t r = 0; r < nts.size(); ++r)
    for (const auto& a : nts[r]) {
      cylindrical c = to_cylindrical(a.p);
      // cols 1-4 ATOM | 7-11 serial | 13-16 name | 18-20 residue | 22 chain | 23-26 number
      //      31-38 height | 39-46 radius | 47-54 azimuth
      std::fprintf(fp, "ATOM  %5ld %4s %3s %c%4zu    %8.3f%8.3f%8.3f\n", ++serial, pdb_name(a.name).c_str(),
                   a.res.c_str(), chain, r + 1, c.z0, c.r, c.phi0);
    }
}

// ----------------------------------------------------------------------------
// Wider searches: models that the starting conformations of their family do
// not lead to a sound unit.

// Frames as uniform_duplex makes them, with the strand running either way
// along the axis.
helix_system oriented_duplex(const model_spec& m, const std::vector<std::string>& bases, bool down,
                             const conformation& t, double eta0) {
  helix_system sys = uniform_duplex(m, bases, xform{}, m.sug2 == R, eta0, dx_target(m.fam), t);
  sys.nts[0].frame = [down](const params& p) { return pair_frame(p[0], p[1], p[2], down, xform{}); };
  return sys;
}

// A left-handed duplex of anti nucleotides: the right-handed targets lead
// nowhere, so the start is a grid of backbone torsions and both puckers,
// each refined briefly; the best few are refined in full.
built search_left_handed(const model_spec& m, const std::vector<std::string>& bases, long iterations) {
  struct seed {
    conformation t;
    bool down;
    built b;
  };
  std::vector<seed> seeds;
  const long brief = std::max(60L, iterations / 6);
  for (bool down : {false, true})
    for (double phase : {18.0, 155.0})
      for (double alpha : {-65.0, 65.0, 180.0})
        for (double gamma : {55.0, 180.0, -65.0})
          for (double epsilon : {-150.0, -95.0, 180.0})
            for (double zeta : {-70.0, 75.0, 180.0}) {
              conformation t{alpha, 180.0, gamma, epsilon, zeta, phase > 90 ? -120.0 : -160.0, phase, 38};
              seeds.push_back({t, down, run(oriented_duplex(m, bases, down, t, 0.0), brief)});
            }
  std::sort(seeds.begin(), seeds.end(), [](const seed& a, const seed& b) { return better(a.b, b.b); });
  built best;
  for (size_t k = 0; k < std::min<size_t>(6, seeds.size()); ++k) {
    const conformation& t = seeds[k].t;
    built b = run(oriented_duplex(m, bases, seeds[k].down, t, 0.0), iterations);
    char what[160];
    std::snprintf(what, sizeof what, "alpha %.0f gamma %.0f epsilon %.0f zeta %.0f phase %.0f%s", t.alpha, t.gamma,
                  t.epsilon, t.zeta, t.phase, seeds[k].down ? " down" : "");
    report(m.id, what, b);
    if (better(b, best)) best = b;
    if (best.s.sound() && best.score < 1.0) break;
  }
  return best;
}

// Two pairs per repeat whose own step need not be the repeat's: the second
// pair is the first turned by theta and moved by h about a local two-fold
// axis (as in the Z duplex), both nucleotides anti with C2'-endo sugars and
// extended backbones. A net-untwisted repeat then alternates a stacked step
// with a wider gap.
helix_system ladder_duplex(const model_spec& m, const std::vector<std::string>& b1, double theta, double h,
                           bool down, const conformation& t) {
  helix_system sys = z_duplex(m, {b1[0]}, {b1[1]}, theta, down);
  sys.start[7] = h;
  // the pairs stay square to the axis: a roll between them would bend the ladder
  sys.restraints = {{0, 0.0, 0.1}, {1, 0.0, 0.1}};
  for (auto& n : sys.nts) n.target = t;
  return sys;
}

built search_ladder(const model_spec& m, const std::vector<std::string>& s1, long iterations) {
  built best;
  const conformation extended[] = {{-60, 180, 50, -170, -100, -110, 160, 38},
                                   {-70, 180, 60, 180, -90, -100, 165, 40}};
  for (const conformation& t : extended)
    for (bool down : {m.unit_rise < 0, m.unit_rise >= 0})
      for (double h : {m.unit_rise / 3, m.unit_rise / 2, m.unit_rise * 2 / 3})
        for (double theta : {10.0, -10.0, 20.0, -20.0, 30.0, -30.0}) {
          built b = run(ladder_duplex(m, s1, theta, h, down, t), iterations);
          char what[120];
          std::snprintf(what, sizeof what, "theta %.0f h %.2f%s eps %.0f", theta, h, down ? " down" : "", t.epsilon);
          report(m.id, what, b);
          if (better(b, best)) best = b;
          if (best.s.sound() && best.score < 2.0) return best;
        }
  return best;
}

// Pauling's three strands with the phosphates at the core and the bases
// outward. A strand that turns 105 degrees per 3.4 A closes its backbone only
// with the phosphorus within about 3.9 A of the axis, which no family start
// reaches by itself: P is drawn towards a radius rp (at the azimuth of its
// start) while the rest settles, then refined without that pull. The
// phosphates of consecutive layers then stand 3.5 A apart, 15 degrees
// around the axis from each other: however they turn, two of their oxygens
// come within about 2.4 A (the model has them protonated and H-bonded), so
// those oxygens get a floor of their own.
helix_system pauling_strands(const model_spec& m, const std::vector<std::string>& bases, double r0, double zdir,
                             const conformation& t) {
  xform f0;  // the base frame's y axis (to C1') points at the axis
  f0.r = from_columns({0, zdir, 0}, {-1, 0, 0}, {0, 0, zdir});
  f0.t = {r0, 0, 0};
  helix_system sys = multi_strand(m, {bases}, {xform{}}, {1}, {R}, {}, f0, {});
  sys.nts[0].target = t;
  sys.oxygen_contact = 2.3;
  sys.phosphate_angle_weight = 2.0;
  // the five bases' sugars reach O3' from slightly different C1' atoms
  sys.link_tolerance = 0.05;
  for (long c = 0; c < 3; ++c) {
    xform g = screw(120.0 * static_cast<double>(c), 0);
    sys.copies.push_back({0, [g](const params&) { return g; }, c, true});
    sys.links.push_back({c, c, 1});
  }
  return sys;
}

built search_pauling(const model_spec& m, const std::vector<std::string>& bases, long iterations) {
  struct seed {
    double rp, r0, zdir;
    conformation t;
    built b;
  };
  auto attempt = [&](const seed& s, long its) {
    helix_system sys = pauling_strands(m, bases, s.r0, s.zdir, s.t);
    build_start(sys);
    const long o = sys.nts[0].offset;  // P is the first moving atom
    const double phi = std::atan2(sys.start[static_cast<size_t>(o + 1)], sys.start[static_cast<size_t>(o)]);
    sys.restraints.push_back({o, s.rp * std::cos(phi), 2.0});
    sys.restraints.push_back({o + 1, s.rp * std::sin(phi), 2.0});
    built b = run(sys, its);
    sys.restraints.clear();
    built f;
    f.sys = sys;
    f.p = refine(sys, b.p, f.score, its);
    f.s = check_soundness(sys, f.p);
    // Once closed, the crowded core settles with the backbone torsions free,
    // the stacked sugars of neighbouring strands let to 2.7 A (the soundness
    // floor is 2.55) and the links weighted up.
    sys.torsion_weight = 0;
    sys.contact_distance = 2.7;
    sys.link_weight = 4;
    built g;
    g.sys = sys;
    g.p = refine(sys, f.p, g.score, its);
    g.s = check_soundness(sys, g.p);
    if (g.s.sound() || !f.s.sound()) f = g;
    return better(f, b) ? f : b;
  };
  auto name = [](const char* kind, const seed& s) {
    char what[200];
    std::snprintf(what, sizeof what, "%srp %.1f r0 %.1f%s alpha %.0f gamma %.0f epsilon %.0f zeta %.0f phase %.0f",
                  kind, s.rp, s.r0, s.zdir < 0 ? " flipped" : "", s.t.alpha, s.t.gamma, s.t.epsilon, s.t.zeta,
                  s.t.phase);
    return std::string(what);
  };
  // the start that closes: C2'-endo sugars, gamma trans, zeta extended
  const seed found{3.3, 10.0, 1.0, {-65, 180, 180, -150, -160, -120, 155, 38}, {}};
  built best = attempt(found, iterations);
  report(m.id, name("", found), best);
  if (best.s.sound()) return best;
  // otherwise a grid of starts, each refined briefly, the best few in full
  const long brief = std::max(60L, iterations / 6);
  std::vector<seed> seeds;
  for (double rp : {3.0, 3.3, 3.6})
    for (double r0 : {10.0, 11.5, 13.0})
      for (double zdir : {1.0, -1.0})
        for (double phase : {18.0, 155.0})
          for (double alpha : {-65.0, 65.0, 180.0})
            for (double gamma : {55.0, 180.0})
              for (double zeta : {-70.0, -160.0}) {
                seed s{rp, r0, zdir, {alpha, 180.0, gamma, -150.0, zeta, phase > 90 ? -120.0 : -160.0, phase, 38}, {}};
                s.b = attempt(s, brief);
                report(m.id, name("brief: ", s), s.b);
                seeds.push_back(s);
              }
  std::sort(seeds.begin(), seeds.end(), [](const seed& a, const seed& b) { return better(a.b, b.b); });
  for (size_t k = 0; k < std::min<size_t>(6, seeds.size()); ++k) {
    built b = attempt(seeds[k], iterations);
    report(m.id, name("", seeds[k]), b);
    if (better(b, best)) best = b;
    if (best.s.sound() && best.score < 2.0) break;
  }
  return best;
}

// ----------------------------------------------------------------------------
// Models

bool build_model(const model_spec& m, FILE* out, long iterations) {
  const xform ident{};
  std::vector<std::string> s1 = words(m.s1), s2 = words(m.s2);
  bool down = m.rise < 0;
  if (m.kind == scheme::per_base || m.kind == scheme::per_base_partner || m.kind == scheme::duplex) {
    // bases that share the backbone: every letter of the model (pairs are Watson-Crick, or symmetric)
    std::vector<std::string> all = s1;
    for (const auto& x : s2) all.push_back(x);
    std::vector<std::string> uni;
    for (const auto& x : all)
      if (std::find(uni.begin(), uni.end(), x) == uni.end()) uni.push_back(x);
    xform q = ident;
    if (m.s1 == "X") q = solve_symmetric_pair("X", {{"N1", "O6"}, {"O6", "N1"}});
    if (m.s1 == "SUR") q = solve_symmetric_pair("SUR", {{"N3", "O4"}, {"O4", "N3"}});
    built best;
    conformation t = target_of(m.fam);
    if (m.twist * m.rise < 0) {  // left-handed
      best = search_left_handed(m, uni, iterations);
    } else {
      for (double eta : {0.0, 12.0, -12.0}) {
        helix_system sys = uniform_duplex(m, uni, q, m.sug2 == R, eta, dx_target(m.fam), t);
        built b = run(sys, iterations);
        report(m.id, "eta0=" + std::to_string(eta), b);
        if (better(b, best)) best = b;
        if (best.s.sound() && best.score < 1.0) break;
      }
    }
    if (!best.s.sound()) return false;
    std::fprintf(stderr, "    dx %.2f eta %.2f kappa %.2f\n", best.p[0], best.p[1], best.p[2]);
    if (m.kind != scheme::duplex) {
      for (size_t k = 0; k < s1.size(); ++k) {
        bool partner = m.kind == scheme::per_base_partner && s1[k] == "T";
        write_unit(out, m.id, s1[k], 'A', {make_nt(best, 0, s1[k], partner ? dyad_x() : ident, m.sug1 == R)});
      }
      return true;
    }
    long n = static_cast<long>(s1.size());
    std::vector<unit_nt> u1, u2;
    for (long k = 0; k < n; ++k)
      u1.push_back(make_nt(best, 0, s1[static_cast<size_t>(k)], screw(k * m.twist, k * m.rise), m.sug1 == R));
    for (long j = 0; j < n; ++j) {
      long k = n - 1 - j;  // the strand-1 position this one pairs with (0-based)
      u2.push_back(make_nt(best, 0, s2[static_cast<size_t>(j)], screw(k * m.twist, k * m.rise) * dyad_x(), m.sug2 == R));
    }
    write_unit(out, m.id, "S1", 'A', u1);
    write_unit(out, m.id, "S2", 'B', u2);
    return true;
  }
  if (m.kind == scheme::zdna || m.kind == scheme::ladder) {
    built best;
    if (m.kind == scheme::ladder) {
      best = search_ladder(m, s1, iterations);
      if (best.s.sound()) std::fprintf(stderr, "    second pair: turn %.2f rise %.2f\n", best.p[6], best.p[7]);
    } else {
      for (bool flip : {false, true})
        for (double th : {m.unit_twist / 6, m.unit_twist / 2, m.unit_twist * 5 / 6, -m.unit_twist / 6}) {
          built b = run(z_duplex(m, {s1[0]}, {s1[1]}, th, (m.unit_rise < 0) != flip), iterations);
          report(m.id, "theta2=" + std::to_string(th) + (flip ? " flipped" : ""), b);
          if (better(b, best)) best = b;
          if (best.s.sound() && best.score < 2.0) break;
        }
    }
    if (!best.s.sound()) return false;
    xform h = screw(best.p[6] / 2, best.p[7] / 2);
    xform dm = h * dyad_x() * inverse(h);
    std::vector<unit_nt> u1 = {make_nt(best, 0, s1[0], ident, false), make_nt(best, 1, s1[1], ident, false)};
    // strand 2 in its own 5'->3' order: the images of strand-1 residues 1 and 2
    std::vector<unit_nt> u2 = {make_nt(best, 0, s2[0], dm, false), make_nt(best, 1, s2[1], dm, false)};
    write_unit(out, m.id, "S1", 'A', u1);
    write_unit(out, m.id, "S2", 'B', u2);
    return true;
  }
  if (m.kind == scheme::triplex || m.kind == scheme::general_duplex) {
    // s1: middle (strand 1), WC partner, Hoogsteen third strand
    std::string mid = s1[0], wc = m.kind == scheme::general_duplex ? s2[0] : s1[1];
    xform pair = dyad_x();  // ideal Watson-Crick partner frame
    if (mid == "A" && wc == "I") pair = solve_pair("A", "I", {{"N1", "N1"}, {"N6", "O6"}}, false, dyad_x());
    if (m.kind == scheme::general_duplex)
      pair = solve_pair("SUR", "SUR", {{"N3", "O4"}, {"S2", "N3"}}, false, dyad_x(), 3.1);
    std::vector<std::vector<std::string>> bases = {{mid}, {wc}};
    std::vector<xform> rel = {ident, pair};
    std::vector<long> dir = {1, -1};
    std::vector<sugar> sug = {m.sug1, m.sug2};
    if (m.kind == scheme::triplex) {
      std::string third = s1[2];
      xform guess;
      guess.r = rotation({0, 0, 1}, 180);
      guess.t = {6.0, -4.0, 0};
      std::vector<std::pair<std::string, std::string>> hb;
      if (mid == "A" && (third == "T" || third == "U")) hb = {{"N7", "N3"}, {"N6", "O4"}};
      if (mid == "A" && third == "I") hb = {{"N7", "N1"}, {"N6", "O6"}};
      if (mid == "I" && third == "C") hb = {{"N7", "N3"}, {"O6", "N4"}};
      xform hoog = solve_pair(mid, third, hb, true, guess);
      bases.push_back({third});
      rel.push_back(hoog);
      dir.push_back(1);
      sug.push_back(m.sug2);
    }
    // strand 1 keeps its own sugar; partners the second one
    built best;
    for (double dx : {-2.0, -4.0, 0.0}) {
      xform f0 = pair_frame(dx, 0, 0, down, ident);
      std::vector<xform> place(bases.size(), ident);
      std::vector<long> levels(bases.size(), 0);
      helix_system sys = multi_strand(m, bases, rel, dir, sug, place, f0, levels);
      built b = run(sys, iterations);
      report(m.id, "dx0=" + std::to_string(dx), b);
      if (better(b, best)) best = b;
      if (best.s.sound() && best.score < 1.0) break;
    }
    if (!best.s.sound()) return false;
    if (m.kind == scheme::general_duplex) {
      write_unit(out, m.id, "S1", 'A', {make_nt(best, 0, mid, ident, true)});
      write_unit(out, m.id, "S2", 'B', {make_nt(best, 1, wc, ident, true)});
      return true;
    }
    write_unit(out, m.id, mid + "2", 'A', {make_nt(best, 0, mid, ident, m.sug1 == R)});
    write_unit(out, m.id, wc + "1", 'A', {make_nt(best, 1, wc, ident, m.sug2 == R)});
    write_unit(out, m.id, s1[2] + "3", 'A', {make_nt(best, 2, s1[2], ident, m.sug2 == R)});
    return true;
  }
  if (m.kind == scheme::quadruplex) {
    std::string res = s1[0];
    built best;
    for (double r0 : {5.5, 7.0}) {
      for (int sense : {1, -1}) {
        xform f0 = pair_frame(r0, 0, 0, down, ident);
        f0.r = rotation({0, 0, 1}, sense > 0 ? 0 : 180) * f0.r;
        helix_system sys = multi_strand(m, {{res}}, {ident}, {1}, {m.sug1}, {}, f0, {});
        std::vector<xform> place = {ident, screw(90, 0), screw(180, 0), screw(-90, 0)};
        for (size_t c = 0; c < 4; ++c) {
          xform g = place[c];
          sys.copies.push_back({0, [g](const params&) { return g; }, 0, true});
          sys.links.push_back({static_cast<long>(c), static_cast<long>(c), 1});
        }
        long a = sense > 0 ? 0 : 1, b2 = sense > 0 ? 1 : 0;
        const std::string n2 = res == "G" ? "N2" : "C2";
        sys.contacts.push_back({a, res + ":N1", b2, res + ":O6", 2.9});
        sys.contacts.push_back({a, res + ":" + n2, b2, res + ":N7", res == "G" ? 2.9 : 3.3});
        built b = run(sys, iterations);
        report(m.id, "r0=" + std::to_string(r0) + " sense " + std::to_string(sense), b);
        if (better(b, best)) best = b;
      }
    }
    if (!best.s.sound()) return false;
    write_unit(out, m.id, res, 'A', {make_nt(best, 0, res, ident, true)});
    return true;
  }
  if (m.kind == scheme::single) {
    built best;
    for (double dx : {-2.0, 0.0, 2.0}) {
      xform f0 = pair_frame(dx, 0, 0, down, ident);
      helix_system sys = multi_strand(m, {{"C"}}, {ident}, {1}, {sugar::ethyl}, {ident}, f0, {0});
      built b = run(sys, iterations);
      report(m.id, "dx0=" + std::to_string(dx), b);
      if (better(b, best)) best = b;
    }
    if (!best.s.sound()) return false;
    unit_nt u = make_nt(best, 0, "C", ident, true);
    for (auto& a : u) a.res = "OEC";
    write_unit(out, m.id, "C", 'A', {u});
    return true;
  }
  if (m.kind == scheme::pauling) {
    built best = search_pauling(m, s1, iterations);
    if (!best.s.sound()) return false;
    for (const auto& res : s1) write_unit(out, m.id, res, 'A', {make_nt(best, 0, res, ident, true)});
    return true;
  }
  return false;
}

}  // namespace
}  // namespace fibergen

int main(int argc, char* argv[]) {
  using namespace fibergen;
  if (argc < 2) {
    std::fprintf(stderr, "usage: fiber_units <data folder> [model ...] > fiber-units\n"
                         "       fiber_units <data folder> --templates > tables.txt\n");
    return 1;
  }
  load_base_templates(argv[1]);
  const char* env = std::getenv("FIBER_UNITS_ITERATIONS");
  long iterations = env != nullptr ? std::atol(env) : 1500;
  if (argc == 3 && std::string(argv[2]) == "--templates") return write_backbone_templates(argv[1], iterations);
  std::vector<long> only;
  for (int i = 2; i < argc; ++i) only.push_back(std::atol(argv[i]));
  std::printf("# Fiber repeat units, generated by tools/fiber_units from standard geometry.\n");
  std::printf("# 'UNIT model key' starts a unit; columns 31-54 of its ATOM lines hold height,\n");
  std::printf("# radius and azimuth about the helix axis (Angstrom, Angstrom, degrees).\n");
  std::vector<long> left_out;
  for (const auto& m : specs()) {
    if (!only.empty() && std::find(only.begin(), only.end(), m.id) == only.end()) continue;
    if (!build_model(m, stdout, iterations)) {
      left_out.push_back(m.id);
      std::fprintf(stderr, "model %ld left out: no sound unit\n", m.id);
    }
  }
  if (!left_out.empty()) {
    std::printf("# left out (no sound unit from standard geometry):");
    for (long id : left_out) std::printf(" %ld", id);
    std::printf("\n");
  }
  return 0;
}
