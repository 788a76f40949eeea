// Strand order and trimming: a chain of linked pairs becomes a helix. Each
// pair is oriented onto strand 1 or 2, the chain is cut where it bends or
// loses contact, weak terminal pairs are dropped, both strands are put 5' to
// 3' as far as the backbone allows, and the helix record is filled.
#include <algorithm>
#include <array>
#include <cfloat>

#include "pairing/frame.hpp"
#include "pairing/plane.hpp"
#include "secondary/helix.hpp"
#include "structure/atom.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/error.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr double MAX_STACK_OVERLAP = 5.6189;  // Angstrom^2: a step this overlapped is good
constexpr double GLYCO_NEAR = 8.5;            // Angstrom between glycosidic atoms of a step
constexpr double GLYCO_FAR = 12.0;
constexpr double OVERLAP_PAIR_DIST = 1.2;     // Angstrom between consecutive pair centres

// Distance between the glycosidic base atoms of two nucleotides.
double glyco_dist(long u, long v, const struct_mol& mol) {
  if (!is_nt(u, mol) || !is_nt(v, mol)) return DBL_MAX;
  return dist_atoms(mol.nt_infos[u].glyco_n, mol.nt_infos[v].glyco_n, mol);
}

bool conn(long u, long v, const struct_mol& mol) { return is_nts_connected(u, v, mol) != 0; }

long links(long L, const std::vector<long>& s, const struct_mol& mol) {
  return nts_in_array_connected_5p_to_3p(L, s, mol);
}

long best_partner(long nt, const struct_mol& mol) {
  return good_residue(nt, mol) ? mol.residues[nt].flag[rf::bestpair] : 0;
}

void reverse_1n(std::vector<long>& v, long L) { std::reverse(v.begin() + 1, v.begin() + L + 1); }

double z_angle(const pair& P, const pair& Q) {
  return angle90_normalized_vectors(P.frame.z_axis, Q.frame.z_axis);
}

bool is_okay_step(long a, long b, long c, long d, const struct_mol& mol) {
  auto ok = [&](long u, long v) {
    if (is_nts_connected_either_way(u, v, mol)) return true;
    const double g = glyco_dist(u, v, mol);
    return g >= 2.25 && g <= GLYCO_NEAR;
  };
  return ok(a, b) && ok(c, d);
}

// Orientation of pair p from WC geometry: 1 when decided (s1 and s2 set).
long assign_nts_by_WCgeom(long x, long y, long& s1, long& s2, const pair& p, struct_mol& mol,
                          helix_memo* memo) {
  if (!p.WC_geometry) return 0;
  pair prev;
  memo_pair(x, y, mol, memo, prev);
  if (!prev.WC_geometry) return 0;
  if (dot_xyz(p.frame.z_axis, prev.frame.z_axis) > 0) {
    s1 = p.nt1;
    s2 = p.nt2;
  } else {
    s1 = p.nt2;
    s2 = p.nt1;
  }
  return 1;
}

// Keep (true) or flip pair (a, b) after the strand positions x, y.
bool keep_orientation(long x, long y, long a, long b, const pair& p, long& s1, long& s2,
                      struct_mol& mol, helix_memo* memo) {
  for (long k = 1; k <= 3; ++k) {
    auto near = [&](long u, long v) { return nt_steps_within(u, v, k, mol) != 0; };
    if (near(x, a) || near(y, b)) return true;
    if (near(x, b) || near(y, a)) return false;
  }
  if (assign_nts_by_WCgeom(x, y, s1, s2, p, mol, memo)) return s1 == a;
  const double xa = glyco_dist(x, a, mol), xb = glyco_dist(x, b, mol);
  const double ya = glyco_dist(y, a, mol), yb = glyco_dist(y, b, mol);
  if (xb > xa && ya > yb) return true;
  return !(xa > xb && yb > ya) && ya + xb > yb + xa;
}

// 1 when the step from chain pair k to k + 1 is a bad terminal step.
bool bad_end_pair(long k, const std::vector<long>& chain, const std::vector<pair>& pairs,
                  const struct_mol& mol, helix_memo* memo) {
  const pair& A = pairs[chain[k]];
  const pair& B = pairs[chain[k + 1]];
  const pair_steps ps = get_pair_steps(A, B, mol, memo);
  if (ps.first_one() && ps.second_one()) return false;
  const double ov = pairs_overlap(A, B, mol, memo);
  if (ov > 3.0) return false;
  const bool any1 = ps.within(1);
  if (any1 && ov >= 0.6189) return false;
  if (ps.within(2) && ov >= 2.6189) return false;
  if (ps.within(3) && ov >= 4.6189) return false;
  if (any1 && B.num_hbonds > 1) {
    double dv = 0, angle = 0;
    get_dv_angle(A.frame, B.frame, dv, angle);
    const double d = dist_xyz(A.frame.org, B.frame.org);
    const double ratio = d > 0 ? dv / d : 0;
    prglog_msg("dv=%.3f, d=%.3f, ratio=%.3f, angle=%.3f\n", dv, d, ratio, angle);
    if (angle <= Gvars.bpx_angle && ratio >= 0.618) return false;
  }
  if (glyco_dist(A.nt1, B.nt1, mol) <= GLYCO_NEAR && glyco_dist(A.nt2, B.nt2, mol) <= GLYCO_NEAR &&
      glyco_dist(A.nt1, B.nt2, mol) <= GLYCO_NEAR && glyco_dist(A.nt2, B.nt1, mol) <= GLYCO_NEAR)
    return false;
  if (is_nts_connected_either_way(B.nt1, B.nt2, mol)) return true;
  if (ov < 3.0) {
    prglog_msg("\tbad terminal pair: cnd=%ld\toarea=%.2f\n", 1L, ov);
    return true;
  }
  return false;
}

// The step from chain pair k to k + 1 passes (no cut).
bool good_step(long k, const std::vector<long>& chain, const std::vector<pair>& pairs,
               const struct_mol& mol, helix_memo* memo) {
  const pair& P = pairs[chain[k]];
  const pair& Q = pairs[chain[k + 1]];
  if (is_okay_step(P.nt1, Q.nt1, P.nt2, Q.nt2, mol) || is_okay_step(P.nt1, Q.nt2, P.nt2, Q.nt1, mol))
    return true;
  const double angle = z_angle(P, Q);
  if (angle > Gvars.helix_bend) {
    prglog_msg("\t[i] angle=%.1f\n", angle);
    return false;
  }
  const double ov = pairs_overlap(P, Q, mol, memo);
  prglog_msg("\t%s-%s vs %s-%s\toarea=%.2f\n", mol.residues[P.nt1].idstr.c_str(),
             mol.residues[P.nt2].idstr.c_str(), mol.residues[Q.nt1].idstr.c_str(),
             mol.residues[Q.nt2].idstr.c_str(), ov);
  if (ov > MAX_STACK_OVERLAP) return true;
  const pair_steps ps = get_pair_steps(P, Q, mol, memo);
  if (P.num_polar_hbonds > 0 && Q.num_polar_hbonds > 0 && ps.within(3)) return true;
  if (glyco_dist(P.nt1, Q.nt1, mol) <= GLYCO_FAR && glyco_dist(P.nt2, Q.nt2, mol) <= GLYCO_FAR &&
      glyco_dist(P.nt1, Q.nt2, mol) <= GLYCO_FAR && glyco_dist(P.nt2, Q.nt1, mol) <= GLYCO_FAR)
    return true;
  if (!ps.within(1)) return false;
  if (angle > 45.0) return false;
  if (P.num_polar_hbonds == 0 && Q.num_polar_hbonds == 0) return false;
  return true;
}

// A two-pair chain is kept.
bool keep_two_pairs(const pair& P, const pair& Q, const struct_mol& mol, helix_memo* memo) {
  const pair_steps ps = get_pair_steps(P, Q, mol, memo);
  if ((ps.first_one() && ps.second_one()) || (P.WC_geometry && Q.WC_geometry)) return true;
  if (!ps.within(1)) return false;
  if (P.num_perfect_hbonds == 0 || Q.num_perfect_hbonds == 0) return false;
  if (memo_overlap(P.nt1, Q.nt1, mol, memo) + memo_overlap(P.nt1, Q.nt2, mol, memo) == 0) return false;
  if (memo_overlap(P.nt2, Q.nt1, mol, memo) + memo_overlap(P.nt2, Q.nt2, mol, memo) == 0) return false;
  return is_bps_helix_like(P, Q, mol, memo);
}

// Orders one strand 5' to 3' (reversing chain with it when given); a score.
long order_chain(long L, std::vector<long>& s, std::vector<long>* chain, const struct_mol& mol,
                 helix_memo* memo) {
  bool has_P = false, has_O3 = false;
  for (long k = 1; k <= L; ++k) {
    if (!is_nt(s[k], mol)) continue;
    has_P = has_P || mol.nt_infos[s[k]].P != -1;
    has_O3 = has_O3 || mol.nt_infos[s[k]].O3p != -1;
  }
  auto reverse = [&] {
    reverse_1n(s, L);
    if (chain != nullptr) reverse_1n(*chain, L);
  };
  long m = 0;
  if (has_P && has_O3) {
    m = links(L, s, mol);
    if (m == L - 1) return m;
    if (m == 0) {
      reverse();
      return 0;
    }
  }
  if (L < 2) return m;
  long f = 0, r = 0;
  for (long k = 1; k < L; ++k) {
    if (memo_MpN(s[k], s[k + 1], mol, memo)) ++f;
    if (memo_MpN(s[k + 1], s[k], mol, memo)) ++r;
  }
  if (r > f || (r == f && s[1] > s[L])) {
    prglog_msg("\t[base-frame]\tnum1=%ld\tnum2=%ld\tnum_pairs=%ld\n", f, r, L);
    reverse();
  }
  return m + f - r;
}

// Exchanges, step by step, pair members whose strand steps run 3' to 5' on
// both strands, so that each strand follows the backbone.
void exchange_pass(long L, long par, std::vector<long>& t1, std::vector<long>& t2, const struct_mol& mol) {
  auto partner_slot = [&](long k) -> long& { return par ? t2[k] : t2[L + 1 - k]; };
  long start = 1;
  for (;;) {
    long last = 0;
    for (long k = start; k < L; ++k) {
      const long u = par ? t2[k] : t2[L - k];
      const long v = par ? t2[k + 1] : t2[L + 1 - k];
      const bool forward = conn(t1[k], t1[k + 1], mol) || conn(u, v, mol);
      const bool backward = conn(t1[k + 1], t1[k], mol) || conn(v, u, mol);
      if (!forward && backward) {
        std::swap(t1[k], partner_slot(k));
        last = k + 1;
      }
    }
    if (last == 0) return;
    std::swap(t1[last], partner_slot(last));
    if (last >= L) return;
    start = last;
  }
}

// A strand step from x to y scores +1 when it runs on along its chain by a
// backbone step or over one bulged nucleotide (5' to 3'), -1 when it runs as
// far back, and 0 otherwise: a jump between two segments of a coaxial helix,
// or between chains, says nothing of the direction.
constexpr long NEAR_STEP = 2;  // residues: a backbone step or one bulged nucleotide

long strand_step_score(long x, long y, const struct_mol& mol) {
  const long d = y - x;
  if (d == 0 || d > NEAR_STEP || d < -NEAR_STEP || !with_same_model_chain(x, y, mol)) return 0;
  return d > 0 ? 1 : -1;
}

// The pair members are given each strand so that the strands run along
// their chains 5' to 3' as far as their near steps tell. A pair of adjacent
// nucleotides (a platform) can put strand 1 on the wrong member, and every
// pair after it then follows the wrong strand: each strand turns back on
// itself. Only an assignment that scores strictly higher replaces the one
// found, so helices whose strands already follow the backbone stay as they
// are. Returns the parallel flag of the strands as left.
long untangle_strands(long L, long par, std::vector<long>& s1, std::vector<long>& s2, std::vector<long>& chain,
                      const struct_mol& mol) {
  if (L < 2) return par;
  std::vector<long> a(static_cast<size_t>(L + 1)), b(static_cast<size_t>(L + 1));
  for (long k = 1; k <= L; ++k) {
    a[k] = s1[k];
    b[k] = par ? s2[k] : s2[L + 1 - k];
  }
  auto member = [&](long k, long flip, long strand) { return (flip != 0) == (strand == 1) ? b[k] : a[k]; };
  // the step from pair k-1 (flipped or not) to pair k, each strand read in direction d
  auto step = [&](long k, long f0, long f1, long d1, long d2) {
    long sc = 0;
    for (long strand = 1; strand <= 2; ++strand) {
      const long x = member(k - 1, f0, strand), y = member(k, f1, strand);
      sc += (strand == 1 ? d1 : d2) > 0 ? strand_step_score(x, y, mol) : strand_step_score(y, x, mol);
    }
    return sc;
  };
  const long cur_d2 = par ? 1 : -1;
  long current = 0;
  for (long k = 2; k <= L; ++k) current += step(k, 0, 0, 1, cur_d2);

  long best = current, best_d1 = 1, best_d2 = cur_d2;
  std::vector<long> best_flips;
  for (long d1 : {1L, -1L})
    for (long d2 : {1L, -1L}) {
      // score[f]: the best score of pairs 1..k with pair k flipped (f = 1) or not
      std::vector<std::array<long, 2>> from(static_cast<size_t>(L + 1), {0, 0});
      std::array<long, 2> score = {0, 0};
      for (long k = 2; k <= L; ++k) {
        std::array<long, 2> next{};
        for (long f1 = 0; f1 < 2; ++f1) {
          const long keep = score[0] + step(k, 0, f1, d1, d2);
          const long flip = score[1] + step(k, 1, f1, d1, d2);
          next[f1] = std::max(keep, flip);
          from[k][f1] = flip > keep ? 1 : 0;
        }
        score = next;
      }
      const long last = score[1] > score[0] ? 1 : 0;
      if (score[last] <= best) continue;
      best = score[last];
      best_d1 = d1;
      best_d2 = d2;
      best_flips.assign(static_cast<size_t>(L + 1), 0);
      best_flips[L] = last;
      for (long k = L; k >= 2; --k) best_flips[k - 1] = from[k][best_flips[k]];
    }
  if (best_flips.empty()) return par;

  std::vector<long> t1(s1), t2(s2);
  for (long k = 1; k <= L; ++k) {
    t1[k] = member(k, best_flips[k], 1);
    t2[k] = member(k, best_flips[k], 2);
  }
  if (best_d1 < 0) reverse_1n(t1, L);
  if (best_d2 < 0) reverse_1n(t2, L);
  // the helix record pairs the strands by the best-pair marks of its ends
  const long new_par = best_d1 == best_d2 ? 1 : 0;
  if (is_parallel(L, t1, t2, mol) != new_par) return par;
  s1.swap(t1);
  s2.swap(t2);
  if (best_d1 < 0) reverse_1n(chain, L);
  return new_par;
}

}  // namespace

bool check_MpN(long i, long j, const struct_mol& mol) {
  const frame* fi = base_frame(i, mol);
  const frame* fj = base_frame(j, mol);
  if (fi == nullptr || fj == nullptr) return false;
  par_set pars{};
  get_step_pars_only_by_frames(*fi, *fj, pars);
  if (plus_frames(*fi, *fj) && pars[3] >= -8.0 && pars[3] <= -2.0 && pars[6] > 0) return true;
  xyz d;
  diff_xyz(fi->org, fj->org, d);
  const bool s = dot_xyz(fi->z_axis, d) >= 0;
  const std::string& chi = mol.nt_infos[i].glyco_bond;
  return (chi == "anti" && s) || (chi == "syn" && !s);
}

long is_parallel(long L, const std::vector<long>& s1, const std::vector<long>& s2, const struct_mol& mol) {
  if (L < 2) return 0;
  auto bp = [&](long nt) { return best_partner(nt, mol); };
  const long par = (bp(s1[1]) == s2[1]) + (bp(s2[1]) == s1[1]) + (bp(s1[L]) == s2[L]) + (bp(s2[L]) == s1[L]);
  const long anti = (bp(s1[1]) == s2[L]) + (bp(s2[L]) == s1[1]) + (bp(s1[L]) == s2[1]) + (bp(s2[1]) == s1[L]);
  if (par != 4 && anti != 4)
    prglog_msg("[i] strands of %ld pairs with inconsistent best-pair marks: taken as %s\n", L,
               par > anti ? "parallel" : "anti-parallel");
  return par > anti ? 1 : 0;
}

long order_helix_nts(long num, std::vector<long>& chain, struct_mol& mol, const std::vector<pair>& pairs,
                     std::vector<long>& s1, std::vector<long>& s2, long& overlap, helix_memo* memo) {
  overlap = 0;
  s1.assign(static_cast<size_t>(num + 1), 0);
  s2.assign(static_cast<size_t>(num + 1), 0);
  {
    const pair& p = pairs[chain[1]];
    s1[1] = std::min(p.nt1, p.nt2);
    s2[1] = std::max(p.nt1, p.nt2);
  }
  if (num < 2) return 1;
  for (long k = 2; k <= num; ++k) {
    const pair& p = pairs[chain[k]];
    long a1 = 0, a2 = 0;
    const bool keep = keep_orientation(s1[k - 1], s2[k - 1], p.nt1, p.nt2, p, a1, a2, mol, memo);
    s1[k] = keep ? p.nt1 : p.nt2;
    s2[k] = keep ? p.nt2 : p.nt1;
  }

  // cut at the first bad step
  long L = num;
  for (long k = 1; k < num; ++k)
    if (!good_step(k, chain, pairs, mol, memo)) {
      L = k;
      break;
    }
  if (L == 1) return 1;

  // trim the ends
  if (L != 2) {
    if (bad_end_pair(L - 1, chain, pairs, mol, memo)) --L;
    if (bad_end_pair(1, chain, pairs, mol, memo)) {
      for (long k = 1; k < L; ++k) {
        s1[k] = s1[k + 1];
        s2[k] = s2[k + 1];
        chain[k] = chain[k + 1];
      }
      --L;
    }
    if (L == 1) return 1;
  } else if (!keep_two_pairs(pairs[chain[1]], pairs[chain[2]], mol, memo)) {
    return 1;
  }

  // overlapping pairs: strands kept in pair order
  std::vector<xyz> mid(static_cast<size_t>(L + 1));
  std::vector<char> has_mid(static_cast<size_t>(L + 1), 0);
  for (long k = 1; k <= L; ++k) {
    VASK_ASSERT(residues_in_pair(s1[k], s2[k], mol));
    const frame* f1 = base_frame(s1[k], mol);
    const frame* f2 = base_frame(s2[k], mol);
    if (f1 == nullptr || f2 == nullptr) continue;
    ave_xyz(f1->org, f2->org, mid[k]);
    has_mid[k] = 1;
  }
  for (long k = 2; k <= L; ++k) {
    if (!has_mid[k - 1] || !has_mid[k] || !dx_dy_dz_all_less(mid[k - 1], mid[k], OVERLAP_PAIR_DIST)) continue;
    const double d = dist_xyz(mid[k - 1], mid[k]);
    if (d >= OVERLAP_PAIR_DIST) continue;
    prglog_msg("[w] with_bp_overlaps() -- d = %.2f", d);
    prglog_msg(" [%s-%s vs %s-%s]\n", mol.residues[s1[k - 1]].idstr.c_str(), mol.residues[s2[k - 1]].idstr.c_str(),
               mol.residues[s1[k]].idstr.c_str(), mol.residues[s2[k]].idstr.c_str());
    overlap = 1;
    return L;
  }

  // backbone order
  long par = 0;
  bool have_prev = false;
  long c_prev = 0;
  for (;;) {
    const long c0 = order_chain(L, s1, &chain, mol, memo) + order_chain(L, s2, nullptr, mol, memo);
    par = is_parallel(L, s1, s2, mol);
    std::vector<long> t1 = s1, t2 = s2;
    const long before = links(L, t1, mol) + links(L, t2, mol);
    exchange_pass(L, par, t1, t2, mol);
    if (before <= links(L, t1, mol) + links(L, t2, mol)) {
      s1 = t1;
      s2 = t2;
    }
    const long c = order_chain(L, s1, &chain, mol, memo) + order_chain(L, s2, nullptr, mol, memo);
    if (have_prev && c == c_prev) break;
    if (verbose2()) runlog_msg("k0=%ld\tk=%ld\n", c0, c);
    c_prev = c;
    have_prev = true;
    if (c0 >= c) break;
  }

  if (verbose2()) runlog_msg("\n");
  par = untangle_strands(L, par, s1, s2, chain, mol);
  if (s1[1] > s2[1]) {
    std::swap(s1, s2);
    if (par == 0) reverse_1n(chain, L);
  }
  return L;
}

long check_stem_linkage(long L, std::vector<long>& chain, const struct_mol& mol, std::vector<long>& s1,
                        std::vector<long>& s2, long overlap) {
  if (L < 2) return 1;
  const bool anti = overlap == 1 ? false : is_parallel(L, s1, s2, mol) == 0;
  long K = 1;
  while (K < L && conn(s1[K], s1[K + 1], mol) &&
         (anti ? conn(s2[L - K], s2[L - K + 1], mol) : conn(s2[K], s2[K + 1], mol)))
    ++K;
  if (anti && K < L)
    for (long j = 1; j <= K; ++j) s2[j] = s2[L - K + j];
  if (s1[1] > s2[1]) {
    for (long j = 1; j <= K; ++j) std::swap(s1[j], s2[j]);
    if (anti) reverse_1n(chain, K);
  }
  return K;
}

void set_helix_type(helix& h, struct_mol& mol, long overlap, helix_memo* memo) {
  const long n = h.num_pairs;
  const std::vector<long>& s1 = h.strand1;
  const std::vector<long>& s2 = h.strand2;
  h.same_chain = 1;
  for (long k = 1; k <= n && h.same_chain; ++k)
    if (!with_same_model_chain(s1[1], s1[k], mol) || !with_same_model_chain(s1[1], s2[k], mol)) h.same_chain = 0;
  if (overlap == OVERLAP_UNKNOWN) {
    VASK_ASSERT(n >= 1 && static_cast<long>(h.pairs.size()) > n);
    overlap = 0;
    for (long k = 2; k <= n; ++k) {
      const xyz& a = h.pairs[k - 1].frame.org;
      const xyz& b = h.pairs[k].frame.org;
      if (!dx_dy_dz_all_less(a, b, OVERLAP_PAIR_DIST)) continue;
      const double d = dist_xyz(a, b);
      if (d >= OVERLAP_PAIR_DIST) continue;
      overlap = 1;
      prglog_msg("[w] with_bp_overlaps() -- d = %.2f", d);
      prglog_msg(" [%s-%s vs %s-%s]\n", mol.residues[h.pairs[k - 1].nt1].idstr.c_str(),
                 mol.residues[h.pairs[k - 1].nt2].idstr.c_str(), mol.residues[h.pairs[k].nt1].idstr.c_str(),
                 mol.residues[h.pairs[k].nt2].idstr.c_str());
    }
  }
  h.overlap = overlap;
  h.parallel = overlap == 1 ? 1 : is_parallel(n, s1, s2, mol);
  h.disorder1 = count_nts_disorder(n, s1, mol);
  h.breaks1 = count_nts_break(n, s1, mol, 0);
  h.disorder2 = count_nts_disorder(n, s2, mol);
  h.breaks2 = count_nts_break(n, s2, mol, 0);
  h.breaks = h.breaks1 + h.breaks2;
  h.circular = circular_helix(n, s1, mol, memo) ? 1 : 0;
}

bool circular_helix(long n, const std::vector<long>& s1, struct_mol& mol, helix_memo* memo) {
  if (n < 9) return false;
  const long a = best_partner(s1[1], mol), b = best_partner(s1[n], mol);
  if (a == 0 || b == 0) return false;
  pair first, last;
  memo_pair(s1[1], a, mol, memo, first);
  memo_pair(s1[n], b, mol, memo, last);
  return is_bps_helix_like(first, last, mol, memo);
}

void process_helix(long index, std::vector<helix>& helices, long L, const std::vector<long>& s1,
                   const std::vector<long>& s2, struct_mol& mol, long overlap, helix_memo* memo) {
  helix& h = helices[index];
  const connect stems = h.stems;
  h = helix{};
  h.stems = stems;
  h.num_pairs = L;
  h.strand1.assign(s1.begin(), s1.begin() + L + 1);
  h.strand2.assign(s2.begin(), s2.begin() + L + 1);
  h.pairs.assign(static_cast<size_t>(L + 1), pair{});
  set_helix_type(h, mol, overlap, memo);
  for (long k = 1; k <= L; ++k) {
    const long partner = h.parallel ? s2[k] : s2[L + 1 - k];
    memo_pair(s1[k], partner, mol, memo, h.pairs[k]);
    h.num_hbonds += h.pairs[k].num_hbonds;
  }
}

}  // namespace vask
