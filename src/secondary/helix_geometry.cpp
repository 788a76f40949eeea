// Helix geometry: per step the step and helical parameters of the two pair
// frames (with C1'-based simple variants), the phosphorus position in the
// mid-step frames with its A/B index, and the minor and major groove widths
// from P-P distances across the grooves (El Hassan-Calladine); per helix a
// global axis fitted to the step vectors of equivalent atoms, with its rise,
// radius and end points.
#include <cfloat>
#include <cmath>

#include "pairing/frame.hpp"
#include "pairing/torsion.hpp"
#include "pairing/splay.hpp"
#include "secondary/helix.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/arrays.hpp"
#include "support/error.hpp"
#include "support/log.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr long MIN_CIRCULAR_PAIRS = 8;  // fewer cannot close a DNA circle
constexpr long CIRCULAR_EXTRA = 8;      // columns repeated past the end of a circular helix

bool within(double v, double lo, double hi) { return v >= lo && v <= hi; }

// A Z-DNA step seen with frames that point back along the helix: the
// negative-rise ranges of the CpG and GpC steps.
bool z_step_like(const par_set& p) {
  if (!within(p[3], -4.8, -2.8)) return false;
  return (within(p[2], 4.0, 6.5) && within(p[6], 1.0, 18.0)) ||
         (within(p[2], -2.0, -0.1) && within(p[6], 45.0, 65.0));
}

long phosphorus(long nt, const struct_mol& mol) { return nt > 0 && is_nt(nt, mol) ? mol.nt_infos[nt].P : -1; }
long c1_prime(long nt, const struct_mol& mol) { return nt > 0 && is_nt(nt, mol) ? mol.nt_infos[nt].C1p : -1; }
long glyco_atom(long nt, const struct_mol& mol) { return nt > 0 && is_nt(nt, mol) ? mol.nt_infos[nt].glyco_n : -1; }

// P atom k (1-based) in the local coordinates of frame f.
bool local_P(long p, const frame& f, const struct_mol& mol, xyz& out) {
  if (p < 1) return false;
  project_xyz_by_frame(f, mol.atoms[p].xyz, out);
  return true;
}

// The two P atoms of a step in frame f, the strand-2 one turned about x into
// the strand-1 view, averaged (one alone when the other is missing).
xyz mean_step_P(long p1, long p2, const frame& f, const struct_mol& mol) {
  xyz a{}, b{};
  const bool has1 = local_P(p1, f, mol, a);
  const bool has2 = local_P(p2, f, mol, b);
  b[2] = -b[2];
  b[3] = -b[3];
  if (has1 && has2) {
    xyz m;
    ave_xyz(a, b, m);
    return m;
  }
  return has1 ? a : b;
}

double to_360(double chi) { return chi < 0.0 ? chi + 360.0 : chi; }

const xyz& P_at(const std::array<std::vector<long>, 3>& P, long row, long col, const struct_mol& mol) {
  return mol.atoms[P[static_cast<size_t>(row)][static_cast<size_t>(col)]].xyz;
}

bool has_P(const std::array<std::vector<long>, 3>& P, long row, long col) {
  return P[static_cast<size_t>(row)][static_cast<size_t>(col)] > 0;
}

double sin_angle(xyz a, xyz b) { return std::sin(deg2rad(angle_xyz(a, b))); }

// u(a -> b) + u(c -> d), the mean local backbone direction of two strands.
xyz strand_direction(const xyz& a, const xyz& b, const xyz& c, const xyz& d) {
  xyz u, v, w;
  diff_norm_xyz(a, b, u);
  diff_norm_xyz(c, d, v);
  sum_xyz(u, v, w);
  return w;
}

// Clears the widths that lean on the step between pairs k and k + 1 when
// those are not stacked like helix neighbours.
void clear_unhelical_windows(long n, const helix& h, const struct_mol& mol, groove_table& w) {
  for (long k = 1; k < n; ++k) {
    if (is_bps_helix_like(h.pairs[k], h.pairs[k + 1], mol)) continue;
    for (long m = k - 3; m <= k + 3; ++m) {
      if (m < 1 || m > n - 1) continue;
      const bool edge = (m == k - 3 || m == k + 3);
      for (long c = edge ? 2 : 1; c <= 4; c += edge ? 2 : 1) w[static_cast<size_t>(m)][static_cast<size_t>(c)] = DBL_MAX;
    }
  }
}

void derive_groove_widths(helix& h, bool circular, const struct_mol& mol) {
  const long n = h.num_pairs;
  if (circular && n < MIN_CIRCULAR_PAIRS) {
    runlog_msg("[w] num_pairs=%ld < %ld (not a circular DNA)\n", n, MIN_CIRCULAR_PAIRS);
    return;
  }
  const long cols = circular ? n + CIRCULAR_EXTRA : n;
  std::array<std::vector<long>, 3> P;
  P[1].assign(static_cast<size_t>(cols + 1), -1);
  P[2].assign(static_cast<size_t>(cols + 1), -1);
  for (long k = 1; k <= cols; ++k) {
    const pair& p = h.pairs[static_cast<size_t>((k - 1) % n + 1)];
    P[1][static_cast<size_t>(k)] = phosphorus(p.nt1, mol);
    P[2][static_cast<size_t>(k)] = phosphorus(p.nt2, mol);
  }
  groove_table w = get_groove_widths(cols, P, mol);
  if (circular) {
    for (long k = 1; k <= 4; ++k) w[static_cast<size_t>(k)] = w[static_cast<size_t>(n + k)];
  } else {
    clear_unhelical_windows(n, h, mol, w);
  }
  const long last = circular ? n : n - 1;
  for (long k = 1; k <= last; ++k) h.step_pars[static_cast<size_t>(k)].groove_widths = w[static_cast<size_t>(k)];
}

}  // namespace

std::vector<helixPars> allocate_helixPars_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<helixPars>(static_cast<size_t>(n + 1));
}

void calculate_helix_pars(const pair& p1, const pair& p2, const struct_mol& mol, helixPars& hp) {
  frame f1 = p1.frame, f2 = p2.frame;
  if (Gvars.z_step && is_WC_pair(p1) && is_WC_pair(p2)) {
    xyz d;
    diff_xyz(f1.org, f2.org, d);
    if (dot_xyz(d, f1.z_axis) < 0.0 && dot_xyz(d, f2.z_axis) < 0.0) {
      par_set p = unset_par_set();
      get_step_pars_by_frames0(f1, f2, p, nullptr);
      if (z_step_like(p)) {
        reverse_x_z_frame(f1);
        reverse_x_z_frame(f2);
      }
    }
  }
  get_step_pars_by_frames0(f1, f2, hp.step_params0, nullptr);
  get_helical_pars_by_frames0(f1, f2, hp.heli_params0, nullptr);

  frame g1 = p1.frame, g2 = p2.frame;
  xyz d;
  diff_xyz(g1.org, g2.org, d);
  hp.bp1_reversed = dot_xyz(g1.z_axis, d) < 0.0 ? 1 : 0;
  hp.bp2_reversed = dot_xyz(g2.z_axis, d) < 0.0 ? 1 : 0;
  check_frames_direction(g1, g2);
  rotmat mid_rot;
  xyz mid_org;
  get_step_pars_by_frames(g1, g2, hp.step_params, mid_rot, mid_org);
  get_helical_pars_by_frames(g1, g2, hp.heli_params, mid_rot, mid_org);

  if (p1.C1C1_dist == DBL_MAX || p2.C1C1_dist == DBL_MAX) return;
  const long a1 = c1_prime(p1.nt1, mol), b1 = c1_prime(p1.nt2, mol);
  const long a2 = c1_prime(p2.nt1, mol), b2 = c1_prime(p2.nt2, mol);
  if (a1 < 1 || b1 < 1 || a2 < 1 || b2 < 1) return;
  frame s1, s2;
  simple_frame(g1, mol.atoms[a1].xyz, mol.atoms[b1].xyz, s1);
  simple_frame(g2, mol.atoms[a2].xyz, mol.atoms[b2].xyz, s2);
  get_step_pars_by_frames(s1, s2, hp.simple_step_params, mid_rot, mid_org);
  get_helical_pars_by_frames(s1, s2, hp.simple_heli_params, mid_rot, mid_org);
}

void calculate_Zp_ABindex(const pair& p1, const pair& p2, const struct_mol& mol, helixPars& hp) {
  if (!is_WC_geometry(p1) || !is_WC_geometry(p2)) return;
  if (dot_xyz(p1.frame.z_axis, p2.frame.z_axis) < 0.0) return;
  frame mid_step, mid_heli;
  par_set step = unset_par_set(), heli = unset_par_set();
  get_step_pars_by_frames0(p1.frame, p2.frame, step, &mid_step);
  get_helical_pars_by_frames0(p1.frame, p2.frame, heli, &mid_heli);
  // strand 1 runs from pair 1 to pair 2; strand 2 from pair 2 to pair 1
  const long P1 = phosphorus(p2.nt1, mol), P2 = phosphorus(p1.nt2, mol);
  if (P1 < 1 && P2 < 1) return;
  hp.XYZ_phos = mean_step_P(P1, P2, mid_step, mol);
  hp.XYZh_phos = mean_step_P(P1, P2, mid_heli, mol);
  const double zp = hp.XYZ_phos[3], zph = hp.XYZh_phos[3];
  const bool in_ranges = within(step[3], 2.5, 5.5) && within(step[6], 10.0, 60.0) &&
                         within(hp.XYZ_phos[1], -5.0, -0.5) && within(hp.XYZ_phos[2], 7.5, 10.0) &&
                         within(zp, -2.0, 3.5) && within(hp.XYZh_phos[1], -11.5, 2.5) &&
                         within(hp.XYZh_phos[2], 1.5, 10.0) && within(zph, -3.0, 9.0);
  if (!in_ranges) {
    hp.step_class = 0;
    return;
  }
  if (zp >= 1.5)
    hp.step_class = 1;
  else if (zph >= 4.0)
    hp.step_class = 3;
  else if (zp > 0.5)
    hp.step_class = 4;
  else
    hp.step_class = hp.XYZh_phos[1] < 0.5 ? 2 : 4;
  if (!glyco_anti_pair(p1.nt1, p1.nt2, mol) || !glyco_anti_pair(p2.nt1, p2.nt2, mol)) return;
  double chi = 0.0;
  for (long nt : {p1.nt1, p1.nt2, p2.nt1, p2.nt2}) {
    const double c = mol.nt_infos[nt].chi;
    if (c == DBL_MAX) return;
    chi += to_360(c);
  }
  hp.AB_index = ((zp - 2.2) / -2.6 + (chi / 4.0 - 203.0) / 49.0) / 2.0;
}

groove_table get_groove_widths(long n, const std::array<std::vector<long>, 3>& P, const struct_mol& mol) {
  groove_table w(static_cast<size_t>(std::max(n, 0L) + 1));
  for (auto& row : w) row.fill(DBL_MAX);
  auto inside = [](long v, long lo, long hi) { return v >= lo && v <= hi; };
  for (long k = 1; k < n; ++k) {
    auto& out = w[static_cast<size_t>(k)];
    // every column used below stays within 1..n by these window tests
    const bool minor_win = inside(k - 2, 1, n - 1) && inside(k + 2, 1, n - 1);
    const bool inner_win = inside(k - 2, 2, n - 2) && inside(k + 2, 2, n - 2);
    if (minor_win && has_P(P, 1, k + 2) && has_P(P, 1, k + 3) && has_P(P, 2, k - 2) && has_P(P, 2, k - 1)) {
      xyz d1, d2;
      diff_xyz(P_at(P, 2, k - 2, mol), P_at(P, 1, k + 2, mol), d1);
      diff_xyz(P_at(P, 2, k - 1, mol), P_at(P, 1, k + 3, mol), d2);
      out[1] = (length_xyz(d1) + length_xyz(d2)) / 2.0;
      if (inner_win && has_P(P, 1, k + 1) && has_P(P, 1, k + 4) && has_P(P, 2, k - 3) && has_P(P, 2, k)) {
        const xyz u = strand_direction(P_at(P, 1, k + 1, mol), P_at(P, 1, k + 3, mol), P_at(P, 2, k - 3, mol),
                                       P_at(P, 2, k - 1, mol));
        const xyz v = strand_direction(P_at(P, 1, k + 2, mol), P_at(P, 1, k + 4, mol), P_at(P, 2, k - 2, mol),
                                       P_at(P, 2, k, mol));
        out[2] = (length_xyz(d1) * sin_angle(u, d1) + length_xyz(d2) * sin_angle(v, d2)) / 2.0;
      }
    }
    if (minor_win && has_P(P, 1, k - 1) && has_P(P, 2, k + 2)) {
      xyz d;
      diff_xyz(P_at(P, 2, k + 2, mol), P_at(P, 1, k - 1, mol), d);
      out[3] = length_xyz(d);
      if (inner_win && has_P(P, 1, k - 2) && has_P(P, 1, k) && has_P(P, 2, k + 1) && has_P(P, 2, k + 3)) {
        const xyz u = strand_direction(P_at(P, 1, k - 2, mol), P_at(P, 1, k, mol), P_at(P, 2, k + 1, mol),
                                       P_at(P, 2, k + 3, mol));
        out[4] = length_xyz(d) * sin_angle(u, d);
      }
    }
  }
  return w;
}

void derive_one_helix_parameters(helix& h, const struct_mol& mol) {
  const long n = h.num_pairs;
  derive_one_helix_codes(h, mol);
  h.step_pars = allocate_helixPars_array(n);
  const bool circular = Gvars.circular != 0 && h.circular != 0;
  const bool anti = is_anti_parallel(h);
  for (long k = 1; k < n; ++k) {
    helixPars& hp = h.step_pars[static_cast<size_t>(k)];
    calculate_helix_pars(h.pairs[k], h.pairs[k + 1], mol, hp);
    if (anti) calculate_Zp_ABindex(h.pairs[k], h.pairs[k + 1], mol, hp);
  }
  if (circular && n >= 2) {
    helixPars& hp = h.step_pars[static_cast<size_t>(n)];
    calculate_helix_pars(h.pairs[n], h.pairs[1], mol, hp);
    if (anti) calculate_Zp_ABindex(h.pairs[n], h.pairs[1], mol, hp);
  }
  if (anti && n >= 2) derive_groove_widths(h, circular, mol);
}

void derive_helix_parameters(long n, std::vector<helix>& helices, const struct_mol& mol) {
  for (long i = 1; i <= n; ++i) derive_one_helix_parameters(helices[i], mol);
}

void derive_one_global_helix(helix& h, const struct_mol& mol) {
  const long n = h.num_pairs;
  init_helixVec(h.axis);
  h.num_radius_P = 0;
  h.irregular.clear();
  std::vector<std::pair<long, long>> vecs;
  auto add = [&](long a, long b) {
    if (a > 0 && b > 0) vecs.emplace_back(a, b);
  };
  for (long k = 1; k < n; ++k) {
    const pair &p = h.pairs[k], &q = h.pairs[k + 1];
    add(c1_prime(p.nt1, mol), c1_prime(q.nt1, mol));
    add(glyco_atom(p.nt1, mol), glyco_atom(q.nt1, mol));
    add(c1_prime(p.nt2, mol), c1_prime(q.nt2, mol));
    add(glyco_atom(p.nt2, mol), glyco_atom(q.nt2, mol));
  }
  std::vector<long> first, last;
  if (n >= 1) {
    for (long nt : {h.pairs[1].nt1, h.pairs[1].nt2})
      if (c1_prime(nt, mol) > 0) first.push_back(c1_prime(nt, mol));
    for (long nt : {h.pairs[n].nt1, h.pairs[n].nt2})
      if (c1_prime(nt, mol) > 0) last.push_back(c1_prime(nt, mol));
  }
  helixVec& v = h.axis;
  get_global_rise_per_atom_pairs(vecs, first, last, Gvars.rise_cutoff, mol, v);
  if (v.rise == DBL_MAX) return;
  if (v.rise < Gvars.rise_cutoff || v.rise_std > Gvars.curved_cutoff) h.irregular = " *";
  if (v.axis_start[1] == DBL_MAX) return;
  xyz axis_tip;
  sum_xyz(v.axis_start, v.axis, axis_tip);
  std::vector<double> dist(1);
  for (long k = 1; k <= n; ++k)
    for (long nt : {h.strand1[k], h.strand2[k]}) {
      const long p = phosphorus(nt, mol);
      if (p > 0) dist.push_back(get_point_line_dist(mol.atoms[p].xyz, v.axis_start, axis_tip));
    }
  const long m = static_cast<long>(dist.size()) - 1;
  if (m == 0) return;
  h.num_radius_P = m;
  v.radius = ave_dvector(dist, 1, m);
  v.radius_std = m > 1 ? std_dvector(dist, 1, m) : 0.0;
}

void derive_global_helix(long n, std::vector<helix>& helices, const struct_mol& mol) {
  for (long i = 1; i <= n; ++i) derive_one_global_helix(helices[i], mol);
}

}  // namespace vask
