// Chaining base pairs: for each pair of a working list, the pairs stacked
// directly above and below it, as the pair-linkage table.
//
// Each pair ranks its neighbours within the helix-break distance by a score
// of distance, vertical offset, overlap, backbone adjacency and tilt; the
// best one or two become its links when they pass the helix-step test.
// Neighbours are found on a cell grid of pair origins, so only pairs within
// reach are ever scored.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "pairing/frame.hpp"
#include "pairing/plane.hpp"
#include "secondary/helix.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr double MIN_LINK_OVERLAP = 0.68;  // Angstrom^2: pairs one link apart that still overlap
constexpr double SIDE_BY_SIDE_PENALTY = 3.4;
constexpr double ADJACENT_FACTOR = 0.45;    // score factor of backbone-adjacent pairs

struct candidate {
  long index = 0;
  double d = DBL_MAX;  // origin distance
  double score = DBL_MAX;
};

double side_of(const pair& i, const pair& m) {
  xyz d;
  diff_xyz(i.frame.org, m.frame.org, d);
  return dot_xyz(i.frame.z_axis, d);
}

long sign_of(double x) { return x > 0 ? 1 : x < 0 ? -1 : 0; }

// The pair's own score as a neighbour of pair i (d within the cutoff).
// The unpaired, stacked backbone path of exactly k links (steps known).
bool stacked_via_nts(long k, const pair& P, const pair& Q, const pair_steps& ps, const struct_mol& mol) {
  const long combos[4][2] = {{P.nt1, Q.nt1}, {P.nt1, Q.nt2}, {P.nt2, Q.nt1}, {P.nt2, Q.nt2}};
  std::vector<long> path;
  for (long c = 0; c < 4; ++c) {
    if (ps.steps[c] != k || nts_i2j_dist(combos[c][0], combos[c][1], k, mol, &path) != k) continue;
    bool ok = true;
    for (long t = 2; t <= k && ok; ++t) ok = mol.residues[path[t]].flag[rf::bestpair] == 0;
    for (long t = 1; t <= k && ok; ++t) ok = residuePlanes_in_stack(path[t], path[t + 1], mol) != 0;
    if (ok) return true;
  }
  return false;
}

double neighbour_score(const pair& P, const pair& Q, double d, const struct_mol& mol, helix_memo* memo) {
  const double dz = std::fabs(side_of(P, Q));
  const double ov = pairs_overlap(P, Q, mol, memo);
  double score = 1.2 * d + dz - ov;
  if (dz < Gvars.network_vdist) score += SIDE_BY_SIDE_PENALTY;
  const pair_steps ps = get_pair_steps(P, Q, mol, memo);
  const bool adjacent = ps.within(1) || (ps.within(2) && stacked_via_nts(2, P, Q, ps, mol)) ||
                        (ps.within(3) && stacked_via_nts(3, P, Q, ps, mol));
  if (adjacent) score *= ADJACENT_FACTOR;
  if (d < 5.0 && ov > 1.0) score -= 1.0;
  score += angle90_normalized_vectors(P.frame.z_axis, Q.frame.z_axis) / 25.0;
  return score;
}

bool close_or_overlapped(const pair& P, const pair& Q, const struct_mol& mol, helix_memo* memo) {
  return pairs_overlap(P, Q, mol, memo) >= MIN_LINK_OVERLAP || get_pair_steps(P, Q, mol, memo).within(1);
}

void log_special(const char* label, long i, long dir, long j, bool a, long k, bool b) {
  if (verbose2())
    logitf("%s\t%4ld %+2ld %4ld/%ld %4ld/%ld\n", label, i, dir, j, static_cast<long>(a), k,
           static_cast<long>(b));
}

// Two or more candidates within reach: cand[0] is the best, cand[1] the runner-up.
void check_bps3_case(long i, const std::vector<candidate>& cand, const std::vector<pair>& pairs,
                     const struct_mol& mol, connect& lkg, helix_memo* memo) {
  const pair& Pi = pairs[i];
  const long j = cand[0].index;
  long k = cand[1].index;
  const double side_j = side_of(Pi, pairs[j]);
  long dir = sign_of(side_j) * sign_of(side_of(Pi, pairs[k]));
  if (dir >= 0) {
    // a pair just beyond the runner-up on the other side of i makes i a middle
    for (size_t r = 2; r <= 3 && r < cand.size() && dir >= 0; ++r) {
      const long m = cand[r].index;
      if (is_bps_helix_like(Pi, pairs[m], mol, memo) && sign_of(side_of(Pi, pairs[m])) * sign_of(side_j) < 0) {
        prglog_msg("\t[i]: i=%ld j=%ld k=%ld m=%ld\n", i, j, k, m);
        k = m;
        dir = -1;
      }
    }
  }
  const bool a = is_bps_helix_like(Pi, pairs[j], mol, memo);
  const bool b = is_bps_helix_like(Pi, pairs[k], mol, memo);
  const bool c = is_bps_helix_like(pairs[j], pairs[k], mol, memo);
  if (a && b && dir < 0) {
    set_lkg_middle(lkg, j, k);
  } else if (c && a) {
    if (dir != 0)
      set_lkg_end(lkg, j);
    else
      log_special("special case [*/?/?]", i, dir, j, a, k, b);
  } else if (!a && !b) {
    // neither candidate stacks like a helix step
  } else if (dir > 0) {
    if (a || close_or_overlapped(Pi, pairs[j], mol, memo))
      set_lkg_end(lkg, j);
    else
      log_special("special case [+/0/1]", i, dir, j, a, k, b);
  } else if (dir < 0) {
    if (a)
      set_lkg_end(lkg, j);
    else if (close_or_overlapped(Pi, pairs[j], mol, memo))
      set_lkg_middle(lkg, j, k);
    else
      log_special("special case [-/0/1]", i, dir, j, a, k, b);
  } else {
    log_special("special case [*/?/?]", i, dir, j, a, k, b);
  }
}

}  // namespace

double pairs_overlap(const pair& P, const pair& Q, const struct_mol& mol, helix_memo* memo) {
  const long p[2] = {P.nt1, P.nt2}, q[2] = {Q.nt1, Q.nt2};
  double sum = 0;
  for (long a : p)
    for (long b : q) {
      const double ov = memo_overlap(a, b, mol, memo);
      if (ov < 0) return -DBL_MAX;  // a missing polygon: no measure, and no infinities
      sum += ov;
    }
  return sum;
}

long nt_steps_within(long a, long b, long k, const struct_mol& mol) {
  if (!is_nt(a, mol) || !is_nt(b, mol)) return 0;
  return nts_i2j_dist(a, b, k, mol, nullptr);
}

bool pair_steps::within(long k) const {
  // as the linkage walk with limit k answers: it looks one step beyond its limit
  for (long s : steps)
    if (s >= 1 && s <= k + 1) return true;
  return false;
}

pair_steps get_pair_steps(const pair& P, const pair& Q, const struct_mol& mol, helix_memo* memo) {
  auto steps = [&](long a, long b) -> long {
    if (memo == nullptr) return nt_steps_within(a, b, 3, mol);
    const long key = a * (mol.num_residues + 1) + b;
    auto it = memo->steps.find(key);
    if (it != memo->steps.end()) return it->second;
    const long s = nt_steps_within(a, b, 3, mol);
    memo->steps.emplace(key, static_cast<char>(s));
    return s;
  };
  pair_steps ps;
  ps.steps = {steps(P.nt1, Q.nt1), steps(P.nt1, Q.nt2), steps(P.nt2, Q.nt1), steps(P.nt2, Q.nt2)};
  return ps;
}

bool pairs_linked_within(const pair& P, const pair& Q, long k, const struct_mol& mol) {
  return get_pair_steps(P, Q, mol).within(k);
}

bool bps_stacked_via_nts(long k, const pair& P, const pair& Q, const struct_mol& mol) {
  return stacked_via_nts(k, P, Q, get_pair_steps(P, Q, mol), mol);
}

bool is_bps_helix_like(const pair& P, const pair& Q, const struct_mol& mol, helix_memo* memo) {
  double vdist = 0, dist = 0;
  get_vdist_dist_by_frame(P.frame, Q.frame, vdist, dist);
  if (dist > Gvars.helix_break) return false;
  const double ov = pairs_overlap(P, Q, mol, memo);
  const pair_steps ps = get_pair_steps(P, Q, mol, memo);
  if (ps.first_one() && ps.second_one() && ov >= MIN_LINK_OVERLAP) return true;
  const bool any1 = ps.within(1);
  const double vd = Gvars.network_vdist;
  if (ov < 1.36 && dist > 0 && vdist / dist < Gvars.network_ratio && !any1) return false;
  if (vdist >= vd && vdist <= vd + 3.4) return true;
  if (vdist >= vd && any1) return true;
  if (vdist >= 5.5 && vdist <= 8.5 && ps.within(2)) return true;
  if (vdist >= 7.5 && vdist <= 10.5 && ps.within(3)) return true;
  return false;
}

void get_bp_linkage(long n, const std::vector<pair>& pairs, const struct_mol& mol,
                    std::vector<connect>& lkg, helix_memo* memo) {
  VASK_ASSERT(n >= 0);
  prglog_msg("\n");
  if (n <= 1) return;
  const double cutoff = Gvars.helix_break;
  std::vector<xyz> origins(static_cast<size_t>(n + 1));
  for (long k = 1; k <= n; ++k) origins[k] = pairs[k].frame.org;
  const cell_grid grid = make_cell_grid(origins, n, cutoff);
  std::vector<candidate> cand;
  for (long i = 1; i <= n; ++i) {
    const pair& Pi = pairs[i];
    cand.clear();
    for_each_within(grid, origins, origins[i], cutoff, [&](long j, double d2) {
      if (j == i) return;
      candidate c;
      c.index = j;
      c.d = std::sqrt(d2);
      c.score = neighbour_score(Pi, pairs[j], c.d, mol, memo);
      cand.push_back(c);
    });
    std::sort(cand.begin(), cand.end(), [](const candidate& a, const candidate& b) {
      return a.score != b.score ? a.score < b.score : a.index < b.index;
    });
    if (cand.size() == 1) {
      if (is_bps_helix_like(Pi, pairs[cand[0].index], mol, memo)) set_lkg_end(lkg[i], cand[0].index);
    } else if (cand.size() >= 2) {
      check_bps3_case(i, cand, pairs, mol, lkg[i], memo);
    }
    if (verbose2()) {
      std::string line = sformat("%4ld\t%+2ld:", i, lkg[i].count);
      for (const candidate& c : cand) line += sformat("\t%4ld (%7.2f)", c.index, c.d);
      prglog_msg("%s\n", line.c_str());
    }
  }
  tidyup_linkage(n, lkg);
  if (verbose2()) {
    std::string table = "\n\n";
    for (long k = 1; k <= n; ++k) {
      table += sformat("%4ld\t%ld:", k, lkg[k].count);
      for (long m = 1; m <= lkg[k].count; ++m) table += sformat("\t%4ld", lkg[k][m]);
      table += "\n";
    }
    prglog_msg("%s", table.c_str());
  }
}

}  // namespace vask
