// Restrained refinement of a helical repeat (see refine.hpp).
#include "refine.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <set>
#include <tuple>

namespace fibergen {

namespace {

// Weights of the restraint terms: a bond 0.05 A off costs about what an angle
// 5 degrees off does; torsions only steer among closed conformations.
constexpr double kBond = 500.0;         // per A^2
constexpr double kAngle = 0.05;         // per degree^2
constexpr double kChiral = 20.0;        // per A^6 below the minimum volume
constexpr double kMinVolume = 2.0;      // A^3: a tetrahedral centre has about 2.5
constexpr double kRing = 0.003;         // per degree^2, ring torsions
constexpr double kBackbone = 0.0003;    // per degree^2, backbone torsions
constexpr double kChi = 0.0005;         // per degree^2
constexpr double kRepel = 30.0;         // per A^2 inside the contact distance
constexpr double kContact = 50.0;       // per A^2, H-bond distance restraints
constexpr double kContactMin = 2.9;     // A, non-bonded atoms
constexpr double kOxygenMargin = 0.15;  // A, refinement keeps H-bonded oxygens this much past their floor
constexpr double kStackMin = 3.1;       // A, bases of different levels
constexpr double kOneFourMin = 2.65;    // A, atoms three bonds apart
constexpr double kPairMin = 2.75;       // A, bases of one pair, triple or tetrad
constexpr int kFar = 9;                 // graph distance meaning "not connected"

struct intra_terms {
  std::vector<std::tuple<long, long, double>> bonds;
  std::vector<std::tuple<long, long, long, double>> angles;
  std::vector<std::tuple<long, long, long, long, double>> chiral;
  std::vector<std::tuple<long, long, long, long, double, double>> torsions;  // target, weight
};

struct nt_layout {
  std::vector<std::string> names;
  std::map<std::string, long> index;
  std::vector<std::string> base_of;  // residue name of a base atom, "" for sugar-phosphate atoms
  std::vector<std::vector<int>> gd;  // graph distances, capped at kFar
  intra_terms terms;
  long glyco = -1;                   // glycosidic N of the first base
  long glyco_ref = -1;               // C4 (purine) or C2 (pyrimidine) of the first base
  long phosphorus = -1;
};

struct pair_entry {
  long a, i, b, k, m;
  double dmin;
};

struct prepared {
  std::vector<nt_layout> nts;
  std::set<std::tuple<long, long, long>> linked;  // (from, to, power)
};

long idx(const nt_layout& l, const std::string& n) {
  auto it = l.index.find(n);
  return it == l.index.end() ? -1 : it->second;
}

std::string resolve(const helix_system& sys, long nt, const std::string& n) {
  const base_template& b = base_for(sys.nts[nt].bases.front());
  if (n == "N*") return b.res_name + ":" + glycosidic_n(b);
  return n;
}

prepared prepare(const helix_system& sys, const params& p) {
  prepared pr;
  for (long j = 0; j < static_cast<long>(sys.nts.size()); ++j) {
    nt_layout l;
    std::vector<named_point> atoms = nucleotide_atoms(sys, p, j);
    for (const auto& a : atoms) {
      l.index[a.name] = static_cast<long>(l.names.size());
      l.names.push_back(a.name);
      size_t colon = a.name.find(':');
      l.base_of.push_back(colon == std::string::npos ? "" : a.name.substr(0, colon));
    }
    long n = static_cast<long>(l.names.size());
    std::vector<std::vector<long>> adj(static_cast<size_t>(n));
    auto add_bond = [&](long x, long y) {
      adj[static_cast<size_t>(x)].push_back(y);
      adj[static_cast<size_t>(y)].push_back(x);
    };
    for (const auto& b : nucleotide_bonds()) {
      long x = idx(l, b.a), y = idx(l, b.b);
      if (x < 0 || y < 0) continue;
      add_bond(x, y);
      l.terms.bonds.emplace_back(x, y, b.length);
    }
    long c1 = idx(l, "C1'");
    for (const auto& res : sys.nts[static_cast<size_t>(j)].bases) {
      const base_template& bt = base_for(res);
      add_bond(c1, idx(l, res + ":" + glycosidic_n(bt)));
      for (size_t u = 1; u < bt.atoms.size(); ++u)
        for (size_t v = u + 1; v < bt.atoms.size(); ++v)
          if (distance(bt.atoms[u].p, bt.atoms[v].p) < 1.95)
            add_bond(idx(l, res + ":" + bt.atoms[u].name), idx(l, res + ":" + bt.atoms[v].name));
    }
    l.gd.assign(static_cast<size_t>(n), std::vector<int>(static_cast<size_t>(n), kFar));
    for (long s = 0; s < n; ++s) {
      std::deque<long> q{s};
      l.gd[static_cast<size_t>(s)][static_cast<size_t>(s)] = 0;
      while (!q.empty()) {
        long x = q.front();
        q.pop_front();
        int dx = l.gd[static_cast<size_t>(s)][static_cast<size_t>(x)];
        if (dx >= kFar - 1) continue;
        for (long y : adj[static_cast<size_t>(x)])
          if (l.gd[static_cast<size_t>(s)][static_cast<size_t>(y)] > dx + 1) {
            l.gd[static_cast<size_t>(s)][static_cast<size_t>(y)] = dx + 1;
            q.push_back(y);
          }
      }
    }
    for (const auto& a : nucleotide_angles()) {
      long x = idx(l, resolve(sys, j, a.a)), y = idx(l, resolve(sys, j, a.b)), z = idx(l, resolve(sys, j, a.c));
      if (x >= 0 && y >= 0 && z >= 0) l.terms.angles.emplace_back(x, y, z, a.value);
    }
    for (const auto& c : nucleotide_chirality()) {
      long w = idx(l, resolve(sys, j, c.centre)), x = idx(l, resolve(sys, j, c.a)), y = idx(l, resolve(sys, j, c.b)),
           z = idx(l, resolve(sys, j, c.c));
      if (w >= 0 && x >= 0 && y >= 0 && z >= 0) l.terms.chiral.emplace_back(w, x, y, z, c.sign);
    }
    const base_template& first = base_for(sys.nts[static_cast<size_t>(j)].bases.front());
    l.glyco = idx(l, first.res_name + ":" + glycosidic_n(first));
    l.phosphorus = idx(l, "P");
    l.glyco_ref = idx(l, first.res_name + ":" + glycosidic_neighbours(first).first);
    const conformation& t = sys.nts[static_cast<size_t>(j)].target;
    const char* ring[5] = {"C4'", "O4'", "C1'", "C2'", "C3'"};
    for (int r = 0; r < 5; ++r) {
      double nu = t.amplitude * std::cos(rad(t.phase + 144.0 * (r - 2)));
      l.terms.torsions.emplace_back(idx(l, ring[r]), idx(l, ring[(r + 1) % 5]), idx(l, ring[(r + 2) % 5]),
                                    idx(l, ring[(r + 3) % 5]), nu, kRing);
    }
    const double backbone = sys.torsion_weight * kBackbone;
    l.terms.torsions.emplace_back(idx(l, "P"), idx(l, "O5'"), idx(l, "C5'"), idx(l, "C4'"), t.beta, backbone);
    l.terms.torsions.emplace_back(idx(l, "O5'"), idx(l, "C5'"), idx(l, "C4'"), idx(l, "C3'"), t.gamma, backbone);
    l.terms.torsions.emplace_back(idx(l, "O4'"), c1, l.glyco, l.glyco_ref, t.chi, sys.torsion_weight * kChi);
    pr.nts.push_back(std::move(l));
  }
  for (const auto& k : sys.links) pr.linked.insert({k.from, k.to, k.power});
  return pr;
}

xform power_of(const xform& s, long m) {
  xform g;
  xform step = m >= 0 ? s : inverse(s);
  for (long k = 0; k < std::labs(m); ++k) g = step * g;
  return g;
}

// Copy positions for the parameters: [copy][atom] in the copy's own frame.
std::vector<std::vector<vec>> copy_positions(const helix_system& sys, const params& p) {
  std::vector<std::vector<vec>> nt_pos(sys.nts.size());
  for (size_t j = 0; j < sys.nts.size(); ++j)
    for (const auto& a : nucleotide_atoms(sys, p, static_cast<long>(j))) nt_pos[j].push_back(a.p);
  std::vector<std::vector<vec>> out;
  for (const auto& c : sys.copies) {
    xform g = c.place(p);
    std::vector<vec> v;
    for (const vec& x : nt_pos[static_cast<size_t>(c.nt)]) v.push_back(g * x);
    out.push_back(std::move(v));
  }
  return out;
}

bool skip_atom(const helix_system& sys, const prepared& pr, long copy, long i) {
  const nt_copy& c = sys.copies[static_cast<size_t>(copy)];
  return !c.keep_o2 && pr.nts[static_cast<size_t>(c.nt)].names[static_cast<size_t>(i)] == "O2'";
}

// Graph distance between atom i of copy a and atom k of copy b moved by m
// repeats, through at most one O3'-P link.
int pair_distance(const helix_system& sys, const prepared& pr, long a, long i, long b, long k, long m) {
  const nt_copy& ca = sys.copies[static_cast<size_t>(a)];
  const nt_copy& cb = sys.copies[static_cast<size_t>(b)];
  if (a == b && m == 0) return pr.nts[static_cast<size_t>(ca.nt)].gd[static_cast<size_t>(i)][static_cast<size_t>(k)];
  int best = kFar;
  const nt_layout& la = pr.nts[static_cast<size_t>(ca.nt)];
  const nt_layout& lb = pr.nts[static_cast<size_t>(cb.nt)];
  if (pr.linked.count({a, b, m})) {
    int d = la.gd[static_cast<size_t>(idx(la, "O3'"))][static_cast<size_t>(i)] +
            lb.gd[static_cast<size_t>(idx(lb, "P"))][static_cast<size_t>(k)] + 1;
    best = std::min(best, d);
  }
  if (pr.linked.count({b, a, -m})) {
    int d = lb.gd[static_cast<size_t>(idx(lb, "O3'"))][static_cast<size_t>(k)] +
            la.gd[static_cast<size_t>(idx(la, "P"))][static_cast<size_t>(i)] + 1;
    best = std::min(best, d);
  }
  return best;
}

// Contact distance of a pair, or 0 when the pair is not checked.
double contact_min(const helix_system& sys, const prepared& pr, long a, long i, long b, long k, long m,
                   double far_min, double oxygen_min) {
  const nt_copy& ca = sys.copies[static_cast<size_t>(a)];
  const nt_copy& cb = sys.copies[static_cast<size_t>(b)];
  const std::string& ba = pr.nts[static_cast<size_t>(ca.nt)].base_of[static_cast<size_t>(i)];
  const std::string& bb = pr.nts[static_cast<size_t>(cb.nt)].base_of[static_cast<size_t>(k)];
  if (skip_atom(sys, pr, a, i) || skip_atom(sys, pr, b, k)) return 0;
  if (!ba.empty() && !bb.empty()) {
    if (a == b && m == 0) return 0;                     // one rigid base, or two alternatives
    if (m == 0 && ca.level == cb.level) {               // a designed pair or tetrad
      bool single = sys.nts[static_cast<size_t>(ca.nt)].bases.size() == 1 &&
                    sys.nts[static_cast<size_t>(cb.nt)].bases.size() == 1;
      return single ? kPairMin : 0;  // alternatives of a shared backbone pair only as designed
    }
    return kStackMin;
  }
  int d = pair_distance(sys, pr, a, i, b, k, m);
  if (d <= 2) return 0;
  if (d == 3) return kOneFourMin;
  if (sys.oxygen_contact > 0 && (a != b || m != 0)) {
    // oxygens of two nucleotides where one can give the H-bond (a protonated
    // phosphate oxygen or a 2'-hydroxyl)
    const std::string& na = pr.nts[static_cast<size_t>(ca.nt)].names[static_cast<size_t>(i)];
    const std::string& nb = pr.nts[static_cast<size_t>(cb.nt)].names[static_cast<size_t>(k)];
    auto donor = [](const std::string& n) { return n == "OP1" || n == "OP2" || n == "O2'"; };
    if (na[0] == 'O' && nb[0] == 'O' && (donor(na) || donor(nb))) return std::min(far_min, oxygen_min);
  }
  return far_min;
}

std::vector<pair_entry> neighbours(const helix_system& sys, const prepared& pr, const params& p, double margin,
                                   double far_min, double oxygen_min) {
  auto pos = copy_positions(sys, p);
  std::vector<pair_entry> out;
  long nc = static_cast<long>(sys.copies.size());
  for (long m = 0; m <= sys.images; ++m) {
    xform g = power_of(sys.repeat, m);
    for (long a = 0; a < nc; ++a)
      for (long b = 0; b < nc; ++b) {
        if (m == 0 && b < a) continue;
        const auto& pa = pos[static_cast<size_t>(a)];
        const auto& pb = pos[static_cast<size_t>(b)];
        for (long i = 0; i < static_cast<long>(pa.size()); ++i)
          for (long k = (m == 0 && a == b) ? i + 1 : 0; k < static_cast<long>(pb.size()); ++k) {
            double dmin = contact_min(sys, pr, a, i, b, k, m, far_min, oxygen_min);
            if (dmin <= 0) continue;
            if (distance(pa[static_cast<size_t>(i)], g * pb[static_cast<size_t>(k)]) < dmin + margin)
              out.push_back({a, i, b, k, m, dmin});
          }
      }
  }
  return out;
}

double tors_term(double value, double target, double w) {
  double d = wrap180(value - target);
  return w * d * d;
}

double energy(const helix_system& sys, const prepared& pr, const std::vector<pair_entry>& nb, const params& p) {
  double e = 0;
  std::vector<std::vector<vec>> ntp(sys.nts.size());
  for (size_t j = 0; j < sys.nts.size(); ++j) {
    for (const auto& a : nucleotide_atoms(sys, p, static_cast<long>(j))) ntp[j].push_back(a.p);
    const auto& x = ntp[j];
    const intra_terms& t = pr.nts[j].terms;
    for (const auto& [u, v, d0] : t.bonds) {
      double d = distance(x[static_cast<size_t>(u)], x[static_cast<size_t>(v)]) - d0;
      e += kBond * d * d;
    }
    for (const auto& [u, v, w, a0] : t.angles) {
      double d = angle(x[static_cast<size_t>(u)], x[static_cast<size_t>(v)], x[static_cast<size_t>(w)]) - a0;
      e += (v == pr.nts[j].phosphorus ? sys.phosphate_angle_weight : 1.0) * kAngle * d * d;  // at P: weighted
    }
    for (const auto& [c, u, v, w, s] : t.chiral) {
      double vol = s * chiral_volume(x[static_cast<size_t>(c)], x[static_cast<size_t>(u)], x[static_cast<size_t>(v)],
                                     x[static_cast<size_t>(w)]);
      if (vol < kMinVolume) e += kChiral * (kMinVolume - vol) * (kMinVolume - vol);
    }
    for (const auto& [u, v, w, z, t0, wt] : t.torsions)
      e += tors_term(torsion(x[static_cast<size_t>(u)], x[static_cast<size_t>(v)], x[static_cast<size_t>(w)],
                             x[static_cast<size_t>(z)]),
                     t0, wt);
  }
  std::vector<xform> place;
  for (const auto& c : sys.copies) place.push_back(c.place(p));
  std::vector<std::vector<xform>> moves;
  for (size_t j = 0; j < sys.nts.size(); ++j) moves.push_back(sugar_moves(sys, p, static_cast<long>(j)));
  auto at = [&](long copy, const std::string& name, long m, const xform& move) {
    const nt_copy& c = sys.copies[static_cast<size_t>(copy)];
    const nt_layout& l = pr.nts[static_cast<size_t>(c.nt)];
    vec v = move * ntp[static_cast<size_t>(c.nt)][static_cast<size_t>(idx(l, name))];
    return power_of(sys.repeat, m) * (place[static_cast<size_t>(copy)] * v);
  };
  // every base may follow every other: the links of all their sugars share one weight
  for (const auto& k : sys.links) {
    long nta = sys.copies[static_cast<size_t>(k.from)].nt, ntb = sys.copies[static_cast<size_t>(k.to)].nt;
    const conformation& ta = sys.nts[static_cast<size_t>(nta)].target;
    const conformation& tb = sys.nts[static_cast<size_t>(ntb)].target;
    const auto& ma = moves[static_cast<size_t>(nta)];
    const auto& mb = moves[static_cast<size_t>(ntb)];
    const double share = 1.0 / static_cast<double>(ma.size() * mb.size());
    for (const xform& ga : ma)
      for (const xform& gb : mb) {
        vec c4 = at(k.from, "C4'", 0, ga), c3 = at(k.from, "C3'", 0, ga), o3 = at(k.from, "O3'", 0, ga);
        vec pp = at(k.to, "P", k.power, gb), o5 = at(k.to, "O5'", k.power, gb), c5 = at(k.to, "C5'", k.power, gb);
        vec op1 = at(k.to, "OP1", k.power, gb), op2 = at(k.to, "OP2", k.power, gb);
        double d = distance(o3, pp) - sys.link_length;
        e += share * sys.link_weight * (kBond * d * d);
        const double ang[4] = {angle(c3, o3, pp) - 119.7, angle(o3, pp, o5) - 104.0, angle(o3, pp, op1) - 107.4,
                               angle(o3, pp, op2) - 108.3};
        for (int u = 0; u < 4; ++u) {
          const double w = u == 0 ? 1.0 : sys.phosphate_angle_weight;  // the last three are angles at P
          e += share * (w * (kAngle * ang[u] * ang[u]));
        }
        e += share * tors_term(torsion(o3, pp, o5, c5), tb.alpha, sys.torsion_weight * kBackbone);
        e += share * tors_term(torsion(c4, c3, o3, pp), ta.epsilon, sys.torsion_weight * kBackbone);
        e += share * tors_term(torsion(c3, o3, pp, o5), ta.zeta, sys.torsion_weight * kBackbone);
      }
  }
  for (const auto& r : sys.restraints) {
    double d = p[static_cast<size_t>(r.index)] - r.target;
    e += r.weight * d * d;
  }
  for (const auto& c : sys.contacts) {
    double d = distance(at(c.copy1, c.atom1, 0, xform{}), at(c.copy2, c.atom2, 0, xform{})) - c.distance;
    e += kContact * d * d;
  }
  std::vector<xform> powers;
  for (long m = 0; m <= sys.images; ++m) powers.push_back(power_of(sys.repeat, m));
  std::vector<std::vector<vec>> cp(sys.copies.size());
  for (size_t c = 0; c < sys.copies.size(); ++c)
    for (const vec& v : ntp[static_cast<size_t>(sys.copies[c].nt)]) cp[c].push_back(place[c] * v);
  for (const auto& q : nb) {
    double d = distance(cp[static_cast<size_t>(q.a)][static_cast<size_t>(q.i)],
                        powers[static_cast<size_t>(q.m)] * cp[static_cast<size_t>(q.b)][static_cast<size_t>(q.k)]);
    if (d < q.dmin) e += kRepel * (q.dmin - d) * (q.dmin - d);
  }
  return e;
}

// Limited-memory BFGS with numerical gradients and a backtracking line search,
// on the sum of the systems' energies (one parameter vector for all).
params minimise(const std::vector<const helix_system*>& systems, const std::vector<prepared>& prs, params x,
                long iterations, double& fx) {
  const size_t n = x.size();
  const size_t mem = 8;
  std::vector<std::vector<pair_entry>> nbs(systems.size());
  auto find_neighbours = [&](const params& v) {
    for (size_t k = 0; k < systems.size(); ++k)
      nbs[k] = neighbours(*systems[k], prs[k], v, 3.0, systems[k]->contact_distance,
                          systems[k]->oxygen_contact + kOxygenMargin);
  };
  find_neighbours(x);
  auto f = [&](const params& v) {
    double e = 0;
    for (size_t k = 0; k < systems.size(); ++k) e += energy(*systems[k], prs[k], nbs[k], v);
    return e;
  };
  auto grad = [&](const params& v) {
    params g(n), w = v;
    for (size_t i = 0; i < n; ++i) {
      const double h = 1e-5;
      w[i] = v[i] + h;
      double fp = f(w);
      w[i] = v[i] - h;
      double fm = f(w);
      w[i] = v[i];
      g[i] = (fp - fm) / (2 * h);
    }
    return g;
  };
  std::deque<params> S, Y;
  fx = f(x);
  params g = grad(x);
  for (long it = 0; it < iterations; ++it) {
    if (it > 0 && it % 30 == 0) {
      find_neighbours(x);
      fx = f(x);
      g = grad(x);
    }
    // two-loop recursion
    params q = g;
    std::vector<double> alpha(S.size());
    for (size_t k = S.size(); k-- > 0;) {
      double rho = 0, sq = 0;
      for (size_t i = 0; i < n; ++i) rho += Y[k][i] * S[k][i], sq += S[k][i] * q[i];
      alpha[k] = sq / rho;
      for (size_t i = 0; i < n; ++i) q[i] -= alpha[k] * Y[k][i];
    }
    if (!S.empty()) {
      double sy = 0, yy = 0;
      for (size_t i = 0; i < n; ++i) sy += S.back()[i] * Y.back()[i], yy += Y.back()[i] * Y.back()[i];
      for (auto& v : q) v *= sy / yy;
    } else {
      double gn = 0;
      for (double v : g) gn += v * v;
      for (auto& v : q) v *= 0.01 / std::sqrt(gn + 1e-12);
    }
    for (size_t k = 0; k < S.size(); ++k) {
      double rho = 0, yq = 0;
      for (size_t i = 0; i < n; ++i) rho += Y[k][i] * S[k][i], yq += Y[k][i] * q[i];
      double beta = yq / rho;
      for (size_t i = 0; i < n; ++i) q[i] += S[k][i] * (alpha[k] - beta);
    }
    double slope = 0;
    for (size_t i = 0; i < n; ++i) slope -= g[i] * q[i];
    if (slope >= 0) {  // not a descent direction: restart from steepest descent
      S.clear(), Y.clear();
      continue;
    }
    double step = 1.0, fn = 0;
    params xn(n);
    bool ok = false;
    for (int ls = 0; ls < 30; ++ls) {
      for (size_t i = 0; i < n; ++i) xn[i] = x[i] - step * q[i];
      fn = f(xn);
      if (fn <= fx + 1e-4 * step * slope) {
        ok = true;
        break;
      }
      step *= 0.5;
    }
    if (!ok) {
      if (S.empty()) break;
      S.clear(), Y.clear();
      continue;
    }
    params gn = grad(xn);
    params s(n), y(n);
    double sy = 0;
    for (size_t i = 0; i < n; ++i) s[i] = xn[i] - x[i], y[i] = gn[i] - g[i], sy += s[i] * y[i];
    if (sy > 1e-12) {
      S.push_back(s), Y.push_back(y);
      if (S.size() > mem) S.pop_front(), Y.pop_front();
    }
    bool done = fx - fn < 1e-10 * (1 + std::fabs(fx));
    x = xn, fx = fn, g = gn;
    if (done && it % 30 > 2) break;
  }
  find_neighbours(x);
  fx = f(x);
  return x;
}

}  // namespace

std::vector<named_point> nucleotide_atoms(const helix_system& sys, const params& p, long nt) {
  const free_nt& f = sys.nts[static_cast<size_t>(nt)];
  std::vector<named_point> out;
  xform fr = f.frame(p);
  long k = 0;
  for (const auto& n : f.moving) {
    size_t o = static_cast<size_t>(f.offset + 3 * k++);
    out.push_back({n, {p[o], p[o + 1], p[o + 2]}});
  }
  bool first = true;
  for (const auto& res : f.bases) {
    const base_template& b = base_for(res);
    for (const auto& a : b.atoms) {
      if (a.name == "C1'") {
        if (first) out.push_back({"C1'", fr * a.p});
        continue;
      }
      out.push_back({res + ":" + a.name, fr * a.p});
    }
    first = false;
  }
  return out;
}

std::vector<xform> sugar_moves(const helix_system& sys, const params& p, long nt) {
  const free_nt& f = sys.nts[static_cast<size_t>(nt)];
  const base_template& first = base_for(f.bases.front());
  std::vector<xform> out{xform{}};
  if (f.bases.size() == 1) return out;
  xform fr = f.frame(p);
  xform back = inverse(fr);
  for (size_t k = 1; k < f.bases.size(); ++k) out.push_back(fr * sugar_carry(first, base_for(f.bases[k])) * back);
  return out;
}

void build_start(helix_system& sys) {
  for (auto& f : sys.nts) {
    const base_template& b = base_for(f.bases.front());
    xform fr = f.frame(sys.start);
    auto tpl = [&](const std::string& n) {
      for (const auto& a : b.atoms)
        if (a.name == n) return fr * a.p;
      std::exit(1);
    };
    vec c1 = tpl("C1'"), nn = tpl(glycosidic_n(b)), cr = tpl(glycosidic_neighbours(b).first);
    const conformation& t = f.target;
    auto nu = [&](int j) { return t.amplitude * std::cos(rad(t.phase + 144.0 * (j - 2))); };
    std::map<std::string, vec> at;
    at["O4'"] = place(cr, nn, c1, 1.420, 108.2, t.chi);
    auto chiral_pick = [](vec p1, vec p2, auto good) { return good(p1) ? p1 : p2; };
    at["C2'"] = chiral_pick(place(cr, nn, c1, 1.521, 114.0, t.chi + 120), place(cr, nn, c1, 1.521, 114.0, t.chi - 120),
                            [&](vec x) { return chiral_volume(c1, at["O4'"], x, nn) > 0; });
    at["C3'"] = place(at["O4'"], c1, at["C2'"], 1.525, 102.5, nu(1));
    at["C4'"] = place(c1, at["C2'"], at["C3'"], 1.528, 102.8, nu(2));
    at["O3'"] = chiral_pick(place(c1, at["C2'"], at["C3'"], 1.431, 110.6, nu(2) + 120),
                            place(c1, at["C2'"], at["C3'"], 1.431, 110.6, nu(2) - 120),
                            [&](vec x) { return chiral_volume(at["C3'"], at["C2'"], at["C4'"], x) < 0; });
    at["C5'"] = chiral_pick(place(at["C2'"], at["C3'"], at["C4'"], 1.510, 114.7, nu(3) + 120),
                            place(at["C2'"], at["C3'"], at["C4'"], 1.510, 114.7, nu(3) - 120),
                            [&](vec x) { return chiral_volume(at["C4'"], at["O4'"], at["C3'"], x) < 0; });
    at["O5'"] = place(at["C3'"], at["C4'"], at["C5'"], 1.440, 110.2, t.gamma);
    at["P"] = place(at["C4'"], at["C5'"], at["O5'"], 1.593, 120.9, t.beta);
    vec o1 = place(at["C5'"], at["O5'"], at["P"], 1.485, 108.1, t.alpha + 120);
    vec o2 = place(at["C5'"], at["O5'"], at["P"], 1.485, 108.1, t.alpha - 120);
    if (chiral_volume(at["P"], o1, o2, at["O5'"]) < 0) {
      at["OP1"] = o1, at["OP2"] = o2;
    } else {
      at["OP1"] = o2, at["OP2"] = o1;
    }
    if (f.sug != sugar::deoxy) {
      at["O2'"] = chiral_pick(place(at["C4'"], at["C3'"], at["C2'"], 1.413, 113.3, nu(2) + 120),
                              place(at["C4'"], at["C3'"], at["C2'"], 1.413, 113.3, nu(2) - 120),
                              [&](vec x) { return chiral_volume(at["C2'"], c1, at["C3'"], x) < 0; });
    }
    if (f.sug == sugar::ethyl) {
      at["C6'"] = place(at["C3'"], at["C2'"], at["O2'"], 1.425, 113.0, -150);
      at["C7'"] = place(at["C2'"], at["O2'"], at["C6'"], 1.515, 109.5, 180);
    }
    long k = 0;
    for (const auto& n : f.moving) {
      size_t o = static_cast<size_t>(f.offset + 3 * k++);
      sys.start[o] = at[n].x, sys.start[o + 1] = at[n].y, sys.start[o + 2] = at[n].z;
    }
  }
}

params refine(const helix_system& sys, const params& from, double& score, long iterations) {
  return refine_jointly({&sys}, from, score, iterations);
}

params refine_jointly(const std::vector<const helix_system*>& systems, const params& from, double& score,
                      long iterations) {
  std::vector<prepared> prs;
  for (const helix_system* sys : systems) prs.push_back(prepare(*sys, from));
  return minimise(systems, prs, from, iterations, score);
}

void reseat_phosphates(const helix_system& sys, params& p) {
  for (const auto& k : sys.links) {
    const nt_copy& ca = sys.copies[static_cast<size_t>(k.from)];
    const nt_copy& cb = sys.copies[static_cast<size_t>(k.to)];
    const free_nt& f = sys.nts[static_cast<size_t>(cb.nt)];
    vec o3{};
    for (const auto& a : nucleotide_atoms(sys, p, ca.nt))
      if (a.name == "O3'") o3 = a.p;
    // the previous O3' seen from the unit coordinates of the nucleotide it binds
    vec prev = inverse(cb.place(p)) * (inverse(power_of(sys.repeat, k.power)) * (ca.place(p) * o3));
    std::map<std::string, size_t> at;
    for (size_t j = 0; j < f.moving.size(); ++j) at[f.moving[j]] = static_cast<size_t>(f.offset) + 3 * j;
    auto get = [&](const std::string& n) {
      size_t o = at[n];
      return vec{p[o], p[o + 1], p[o + 2]};
    };
    vec pp = get("P"), o5 = get("O5'");
    vec u = unit(unit(prev - pp) + unit(o5 - pp));
    vec n = unit(cross(prev - pp, o5 - pp));
    const double half = rad(119.6 / 2);
    vec d1 = std::cos(half) * (-1.0 * u) + std::sin(half) * n;
    vec d2 = std::cos(half) * (-1.0 * u) - std::sin(half) * n;
    vec op1 = pp + 1.485 * d1, op2 = pp + 1.485 * d2;
    if (chiral_volume(pp, op1, op2, o5) > 0) std::swap(op1, op2);
    size_t o = at["OP1"];
    p[o] = op1.x, p[o + 1] = op1.y, p[o + 2] = op1.z;
    o = at["OP2"];
    p[o] = op2.x, p[o + 1] = op2.y, p[o + 2] = op2.z;
  }
}

soundness check_soundness(const helix_system& sys, const params& p) {
  prepared pr = prepare(sys, p);
  soundness s;
  s.link_tolerance = sys.link_tolerance;
  auto pos = copy_positions(sys, p);
  for (size_t c = 0; c < sys.copies.size(); ++c) {
    const nt_layout& l = pr.nts[static_cast<size_t>(sys.copies[c].nt)];
    const auto& x = pos[c];
    for (const auto& [u, v, d0] : l.terms.bonds) {
      if (skip_atom(sys, pr, static_cast<long>(c), u) || skip_atom(sys, pr, static_cast<long>(c), v)) continue;
      double d = std::fabs(distance(x[static_cast<size_t>(u)], x[static_cast<size_t>(v)]) - d0);
      if (d > s.bond_dev) s.bond_dev = d, s.worst_bond = l.names[static_cast<size_t>(u)] + "-" + l.names[static_cast<size_t>(v)];
    }
    for (const auto& [u, v, w, a0] : l.terms.angles) {
      if (skip_atom(sys, pr, static_cast<long>(c), u) || skip_atom(sys, pr, static_cast<long>(c), w)) continue;
      double d = std::fabs(angle(x[static_cast<size_t>(u)], x[static_cast<size_t>(v)], x[static_cast<size_t>(w)]) - a0);
      if (d > s.angle_dev)
        s.angle_dev = d, s.worst_angle = l.names[static_cast<size_t>(u)] + "-" + l.names[static_cast<size_t>(v)] + "-" +
                                         l.names[static_cast<size_t>(w)];
    }
  }
  std::vector<std::vector<vec>> ntp(sys.nts.size());
  std::vector<std::vector<xform>> moves;
  bool several = false;
  for (size_t j = 0; j < sys.nts.size(); ++j) {
    for (const auto& a : nucleotide_atoms(sys, p, static_cast<long>(j))) ntp[j].push_back(a.p);
    moves.push_back(sugar_moves(sys, p, static_cast<long>(j)));
    several |= moves.back().size() > 1;
  }
  std::vector<xform> place;
  for (const auto& c : sys.copies) place.push_back(c.place(p));
  // Atom i of a copy where it may stand: a sugar-phosphate atom on each base
  // of its nucleotide (or only on base `only`), a base atom where it is.
  auto spots = [&](long copy, long i, long only) {
    long nt = sys.copies[static_cast<size_t>(copy)].nt;
    const xform& pl = place[static_cast<size_t>(copy)];
    vec v = ntp[static_cast<size_t>(nt)][static_cast<size_t>(i)];
    if (!pr.nts[static_cast<size_t>(nt)].base_of[static_cast<size_t>(i)].empty()) return std::vector<vec>{pl * v};
    std::vector<vec> out;
    const auto& mv = moves[static_cast<size_t>(nt)];
    for (long k = 0; k < static_cast<long>(mv.size()); ++k)
      if (only < 0 || k == only) out.push_back(pl * (mv[static_cast<size_t>(k)] * v));
    return out;
  };
  auto base_index = [&](long nt, const std::string& res) {
    const auto& b = sys.nts[static_cast<size_t>(nt)].bases;
    return static_cast<long>(std::find(b.begin(), b.end(), res) - b.begin());
  };
  for (const auto& k : sys.links) {
    const nt_layout& la = pr.nts[static_cast<size_t>(sys.copies[static_cast<size_t>(k.from)].nt)];
    const nt_layout& lb = pr.nts[static_cast<size_t>(sys.copies[static_cast<size_t>(k.to)].nt)];
    xform g = power_of(sys.repeat, k.power);
    auto A = [&](const char* n) { return spots(k.from, idx(la, n), -1); };
    auto B = [&](const char* n) {
      std::vector<vec> v = spots(k.to, idx(lb, n), -1);
      for (auto& x : v) x = g * x;
      return v;
    };
    auto c3 = A("C3'"), o3 = A("O3'");
    auto pp = B("P"), o5 = B("O5'"), op1 = B("OP1"), op2 = B("OP2");
    for (size_t u = 0; u < o3.size(); ++u)
      for (size_t w = 0; w < pp.size(); ++w) {
        double d = distance(o3[u], pp[w]);
        s.link_min = std::min(s.link_min, d), s.link_max = std::max(s.link_max, d);
        const double dev[4] = {angle(c3[u], o3[u], pp[w]) - 119.7, angle(o3[u], pp[w], o5[w]) - 104.0,
                               angle(o3[u], pp[w], op1[w]) - 107.4, angle(o3[u], pp[w], op2[w]) - 108.3};
        for (double x : dev)
          if (std::fabs(x) > s.angle_dev) s.angle_dev = std::fabs(x), s.worst_angle = "link";
      }
  }
  // the carried sugars move by a tenth of an Angstrom at most: look a little further
  std::vector<pair_entry> nb = neighbours(sys, pr, p, several ? 0.25 : 0.0, kContactMin, sys.oxygen_contact);
  for (const auto& q : nb) {
    xform g = power_of(sys.repeat, q.m);
    long only_a = -1, only_b = -1;
    if (q.a == q.b && q.m == 0) {  // one nucleotide: its sugar on the base in question
      long nt = sys.copies[static_cast<size_t>(q.a)].nt;
      const nt_layout& l = pr.nts[static_cast<size_t>(nt)];
      const std::string& ra = l.base_of[static_cast<size_t>(q.i)];
      const std::string& rb = l.base_of[static_cast<size_t>(q.k)];
      only_a = only_b = 0;
      if (!ra.empty()) only_b = base_index(nt, ra);
      if (!rb.empty()) only_a = base_index(nt, rb);
    }
    for (const vec& pa : spots(q.a, q.i, only_a))
      for (const vec& pb : spots(q.b, q.k, only_b)) {
        double d = distance(pa, g * pb);
        if (d >= q.dmin || d >= s.min_contact) continue;
        s.min_contact = d;
        const auto& na = pr.nts[static_cast<size_t>(sys.copies[static_cast<size_t>(q.a)].nt)].names;
        const auto& nbn = pr.nts[static_cast<size_t>(sys.copies[static_cast<size_t>(q.b)].nt)].names;
        char buf[160];
        std::snprintf(buf, sizeof buf, "%s(c%ld)-%s(c%ld,%+ld)", na[static_cast<size_t>(q.i)].c_str(), q.a,
                      nbn[static_cast<size_t>(q.k)].c_str(), q.b, q.m);
        s.worst_contact = buf;
      }
  }
  return s;
}

}  // namespace fibergen
