// Base pairs: the best pair of each base by score, overlapping best pairs,
// and the G-tetrad revision. See pair.hpp.
#include "pairing/pair.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "pairing/area.hpp"
#include "pairing/frame.hpp"
#include "pairing/hbond.hpp"
#include "pairing/pair.hpp"
#include "pairing/pair_common.hpp"
#include "pairing/plane.hpp"
#include "pairing/torsion.hpp"
#include "structure/residue_info.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/fitting.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

using namespace pair_detail;

void mark_best_pairs_by_score(long n, std::vector<pair>& pairs, long num_residues) {
  // A short list (the pairs of one multiplet) is scored on its own residues,
  // ranked in order, rather than over every residue of the structure: the
  // best pairs come out the same, since residues without a pair never match.
  if (n > 0 && n < num_residues / 8) {
    std::vector<long> ids;
    for (long k = 1; k <= n; ++k) {
      ids.push_back(pairs[k].nt1);
      ids.push_back(pairs[k].nt2);
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    auto rank = [&ids](long r) { return static_cast<long>(std::lower_bound(ids.begin(), ids.end(), r) - ids.begin()) + 1; };
    std::vector<pair> local(pairs.begin(), pairs.begin() + n + 1);
    for (long k = 1; k <= n; ++k) {
      local[k].nt1 = rank(pairs[k].nt1);
      local[k].nt2 = rank(pairs[k].nt2);
    }
    mark_best_pairs_by_score(n, local, static_cast<long>(ids.size()));
    for (long k = 1; k <= n; ++k) {
      pairs[k].best = local[k].best;
      pairs[k].quality = local[k].quality;
    }
    return;
  }
  std::vector<double> lowest(static_cast<size_t>(num_residues + 1));
  std::vector<long> partner(static_cast<size_t>(num_residues + 1));
  std::vector<long> matched(static_cast<size_t>(num_residues + 1), 0);
  long previous = num_residues;
  for (;;) {
    std::fill(lowest.begin(), lowest.end(), DBL_MAX);
    std::fill(partner.begin(), partner.end(), 0);
    for (long k = 1; k <= n; ++k) {
      const pair& p = pairs[k];
      if (p.quality < 0) continue;
      if (p.quality < lowest[p.nt1]) {
        lowest[p.nt1] = p.quality;
        partner[p.nt1] = p.nt2;
      }
      if (p.quality < lowest[p.nt2]) {
        lowest[p.nt2] = p.quality;
        partner[p.nt2] = p.nt1;
      }
    }
    for (long k = 1; k <= n; ++k) {
      pair& p = pairs[k];
      if (partner[p.nt1] == p.nt2 && partner[p.nt2] == p.nt1) {
        p.best = 1;
        matched[p.nt1] = matched[p.nt2] = 1;
      }
    }
    long unmatched = 0;
    for (long r = 1; r <= num_residues; ++r) unmatched += !matched[r];
    if (unmatched == previous || unmatched == 0) break;
    previous = unmatched;
    for (long k = 1; k <= n; ++k)
      if (matched[pairs[k].nt1] || matched[pairs[k].nt2]) pairs[k].quality = -pairs[k].quality;
  }
  for (long k = 1; k <= n; ++k) pairs[k].quality = std::fabs(pairs[k].quality);
}

namespace {

constexpr double OVERLAP_DIST = 1.2;  // Angstrom between pair-frame origins

// Pairs k < l (among those with keep[k]) whose frame origins lie within 1.2;
// found by a sweep along x so that large lists stay fast.
template <class F>
void for_each_overlap(long n, const std::vector<pair>& pairs, const std::vector<char>& keep, F&& f) {
  std::vector<long> order;
  for (long k = 1; k <= n; ++k)
    if (keep[static_cast<size_t>(k)]) order.push_back(k);
  std::stable_sort(order.begin(), order.end(),
                   [&pairs](long a, long b) { return pairs[a].frame.org[1] < pairs[b].frame.org[1]; });
  std::vector<std::array<long, 2>> hits;
  for (size_t u = 0; u < order.size(); ++u)
    for (size_t v = u + 1; v < order.size(); ++v) {
      const xyz& a = pairs[order[u]].frame.org;
      const xyz& b = pairs[order[v]].frame.org;
      if (b[1] - a[1] > OVERLAP_DIST) break;
      if (dist_in_cutoff(a, b, OVERLAP_DIST)) hits.push_back({std::min(order[u], order[v]), std::max(order[u], order[v])});
    }
  std::sort(hits.begin(), hits.end());
  for (const auto& h : hits) f(h[0], h[1]);
}

}  // namespace

long check_bestpair_overlaps(long n, const std::vector<pair>& pairs, struct_mol& mol) {
  std::vector<char> keep(static_cast<size_t>(n + 1), 0);
  for (long k = 1; k <= n; ++k) keep[static_cast<size_t>(k)] = pairs[k].best != 0;
  long count = 0;
  for_each_overlap(n, pairs, keep, [&](long k, long l) {
    ++count;
    prglog_msg("[w]  bp-overlaps #%ld:\n", count);
    prglog_msg("\t%s\n", get_pair_idstr_abbr(pairs[k], mol).c_str());
    prglog_msg("\t%s\n", get_pair_idstr_abbr(pairs[l], mol).c_str());
  });
  mol.bp_overlaps = count;
  return count;
}

std::string own_class_tail(const pair& p) { return p.VASK.size() > 1 ? p.VASK.substr(1) : std::string(); }

long is_G4pair(const pair& p, const struct_mol& mol) {
  return p.G4_pair && good_residue(p.nt1, mol) && !mol.residues[p.nt1].mismatched_g4.has(p.nt2);
}

long tetrad_like_G4pair(const pair& p, struct_mol& mol, connect* tetrad) {
  if (tetrad != nullptr) tetrad->clear();
  if (!is_G4pair(p, mol)) return 0;
  const long a = p.nt1, b = p.nt2;
  if (mol.residues[a].paired.count < 2 || mol.residues[b].paired.count < 2) return 0;
  pair tmp;
  auto first_g4_partner = [&](long x, long skip) {
    const connect& set = mol.residues[x].paired;
    for (long k = 1; k <= set.count; ++k) {
      const long y = set[k];
      if (y == skip || !is_nt(y, mol)) continue;
      populate_one_base_pair(x, y, mol, tmp);
      if (is_G4pair(tmp, mol)) return y;
    }
    return 0L;
  };
  const long c = first_g4_partner(a, b);
  if (!c) return 0;
  const long d = first_g4_partner(b, a);
  if (!d || !mol.residues[c].paired.has(d) || !mol.residues[d].paired.has(c)) return 0;
  populate_one_base_pair(c, d, mol, tmp);
  if (!is_G4pair(tmp, mol)) return 0;
  if (tetrad != nullptr) {
    for (long g : {a, b, c, d}) add_one_item_to_connect_simple(g, *tetrad, "", mol.warned.connects);
    sort_one_connect(*tetrad);
  }
  return 1;
}

long order_Gtetrad_wc2Major(std::array<long, 5>& tetrad, struct_mol& mol) {
  tetrad[0] = 0;
  const long g1 = tetrad[1];
  long next = 0, previous = 0;
  pair tmp;
  for (size_t k = 2; k <= 4; ++k) {
    const long g = tetrad[k];
    if (!residues_in_pair(g1, g, mol) || mol.residues[g1].mismatched_g4.has(g)) continue;
    populate_one_base_pair(g1, g, mol, tmp);
    if (!tmp.G4_pair) continue;
    const std::string tail = own_class_tail(tmp);
    if (tail == "W+M") next = g;  // a later match replaces an earlier one
    if (tail == "M+W") previous = g;
  }
  if (!next || !previous) return 0;
  long opposite = 0;
  for (size_t k = 2; k <= 4; ++k)
    if (tetrad[k] != next && tetrad[k] != previous) opposite = tetrad[k];
  if (!opposite) return 0;
  populate_one_base_pair(next, opposite, mol, tmp);
  if (own_class_tail(tmp) != "W+M") return 0;
  populate_one_base_pair(opposite, previous, mol, tmp);
  if (own_class_tail(tmp) != "W+M") return 0;
  tetrad[0] = 1;
  tetrad[2] = next;
  tetrad[3] = opposite;
  tetrad[4] = previous;
  return 1;
}

long order_Gtetrad(std::array<long, 5>& tetrad, struct_mol& mol) {
  const long ok = order_Gtetrad_wc2Major(tetrad, mol);
  if (ok && glyco_syn_G4(tetrad[1], mol)) std::swap(tetrad[2], tetrad[4]);
  return ok;
}

namespace {

struct g4_copy {
  long nt1 = 0, nt2 = 0;
  long mark = 0;
  long source = 0;
  bool processed = false;
};

bool in_g4_list(long r, const std::vector<g4_copy>& list) {
  for (const auto& g : list)
    if (g.nt1 == r || g.nt2 == r) return true;
  return false;
}

double get_noG4_stack_areas(long t, const std::vector<g4_copy>& list, long n, const std::vector<pair>& pairs,
                            const struct_mol& mol) {
  const connect* stacked = stacked_set(t, mol);
  if (stacked == nullptr) return 0.0;
  double sum = 0.0;
  for (long k = 1; k <= stacked->count; ++k) {
    const long s = (*stacked)[k];
    if (in_g4_list(s, list)) continue;
    for (long m = 1; m <= n; ++m)
      if (pairs[m].best && pair_include_nt(pairs[m], s) && !in_g4_list(pair_other_nt(pairs[m], s), list))
        sum += outer_overlap_area(t, s, mol);
  }
  return sum;
}

// Tracts of consecutive guanines along the backbone: marks list pairs that
// continue one another, so that one orientation of a G-quadruplex is chosen.
void mark_g4_tracts(std::vector<g4_copy>& list, std::vector<long> S, const struct_mol& mol) {
  auto in_S = [&S](long r) { return std::find(S.begin(), S.end(), r) != S.end(); };
  while (S.size() > 1) {
    std::sort(S.begin(), S.end());
    long marked = 0;
    long current = 0;
    auto mark_first = [&](long x, bool need_neighbour) {
      for (auto& g : list) {
        if (g.mark || (g.nt1 != x && g.nt2 != x)) continue;
        const long y = g.nt1 == x ? g.nt2 : g.nt1;
        if (!in_S(y)) continue;
        if (need_neighbour && (!current || !linkage_neighbours(current, y, mol))) continue;
        g.mark = 1;
        ++marked;
        return y;
      }
      return 0L;
    };
    current = mark_first(S[0], false);
    for (size_t u = 1; u < S.size(); ++u) {
      if (!linkage_neighbours(S[u - 1], S[u], mol)) break;
      const long y = mark_first(S[u], true);
      if (!y) break;
      current = y;
    }
    if (!marked) break;  // nothing more to mark: the tracts are done
    std::vector<long> rest;
    for (long r : S) {
      bool used = false;
      for (const auto& g : list)
        if (g.mark && (g.nt1 == r || g.nt2 == r)) used = true;
      if (!used) rest.push_back(r);
    }
    S.swap(rest);
  }
}

}  // namespace

void reset_bestpair_for_G4pairs(long n, std::vector<pair>& pairs, struct_mol& mol) {
  if (!Gvars.g4[0]) {
    for (long k = 1; k <= n; ++k)
      if (is_G4pair(pairs[k], mol) && tetrad_like_G4pair(pairs[k], mol, nullptr)) pairs[k].best = 0;
    return;
  }
  std::vector<long> tetrad_pairs;
  for (long k = 1; k <= n; ++k)
    if (is_G4pair(pairs[k], mol) && tetrad_like_G4pair(pairs[k], mol, nullptr)) tetrad_pairs.push_back(k);
  const long m = static_cast<long>(tetrad_pairs.size());
  if (m < 5 || m % 4 != 0 || !mol.has_backbone) return;

  std::vector<g4_copy> list;
  std::vector<long> S;
  connect tetrad;
  for (long k : tetrad_pairs) {
    tetrad_like_G4pair(pairs[k], mol, &tetrad);
    std::array<long, 5> t{1, tetrad[1], tetrad[2], tetrad[3], tetrad[4]};
    if (!order_Gtetrad(t, mol)) continue;
    list.push_back({pairs[k].nt1, pairs[k].nt2, 0, k, false});
    for (long r : {pairs[k].nt1, pairs[k].nt2})
      if (std::find(S.begin(), S.end(), r) == S.end()) S.push_back(r);
  }
  mark_g4_tracts(list, S, mol);

  for (;;) {
    size_t first = 0;
    while (first < list.size() && list[first].processed) ++first;
    if (first == list.size()) break;
    std::vector<long> R;
    for (const auto& g : list)
      if (!g.processed) {
        R.push_back(g.nt1);
        R.push_back(g.nt2);
      }
    auto in_R = [&R](long r) { return std::find(R.begin(), R.end(), r) != R.end(); };
    std::vector<long> G{list[first].nt1, list[first].nt2};
    auto grow = [&](auto members_of) {
      for (size_t u = 0; u < G.size(); ++u) {
        const connect* set = members_of(G[u]);
        if (set == nullptr) continue;
        for (long k = 1; k <= set->count; ++k) {
          const long r = (*set)[k];
          if (in_R(r) && std::find(G.begin(), G.end(), r) == G.end()) G.push_back(r);
        }
      }
    };
    grow([&mol](long r) -> const connect* { return &mol.residues[r].paired; });
    grow([&mol](long r) { return stacked_set(r, mol); });
    auto in_G = [&G](long r) { return std::find(G.begin(), G.end(), r) != G.end(); };

    long chosen = -1;
    double max_area = Gvars.stack_cutoff;
    for (size_t u = 0; u < list.size(); ++u) {
      if (!in_G(list[u].nt1) || !in_G(list[u].nt2)) continue;
      const double area = get_noG4_stack_areas(list[u].nt1, list, n, pairs, mol) +
                          get_noG4_stack_areas(list[u].nt2, list, n, pairs, mol);
      if (area > max_area) {
        max_area = area;
        chosen = static_cast<long>(u);
      }
    }
    if (chosen >= 0 && list[static_cast<size_t>(chosen)].mark == 0) {
      const g4_copy& c = list[static_cast<size_t>(chosen)];
      prglog_msg("[i] reverted: max-area=%-6.1f G4pair=#%ld: %s with %s\n", max_area, chosen + 1,
                 mol.residues[c.nt1].idstr.c_str(), mol.residues[c.nt2].idstr.c_str());
      for (auto& g : list)
        if (in_G(g.nt1) && in_G(g.nt2)) g.mark = !g.mark;
    }
    for (auto& g : list) {
      if (!in_G(g.nt1) || !in_G(g.nt2)) continue;
      if (g.mark) {
        pairs[g.source].best = 1;
        adjust_bestpair(pairs[g.source], n, pairs);
      }
      g.processed = true;
    }
    // a first pair outside its own group cannot happen, but never loop forever
    list[first].processed = true;
  }
}

void check_for_best_pairs(long n, std::vector<pair>& pairs, struct_mol& mol) {
  if (n == 0) return;
  mark_best_pairs_by_score(n, pairs, mol.num_residues);

  if (mol.model_mode > 3 && mol.num_models >= 2) {
    std::vector<char> all(static_cast<size_t>(n + 1), 1);
    long count = 0;
    for_each_overlap(n, pairs, all, [&count](long, long) { ++count; });
    if (count > n) runlog_msg("\n[w] pair overlaps: an ensemble of %ld models (--symm?)\n", mol.num_models);
  }

  check_bestpair_overlaps(n, pairs, mol);

  for (long k = 1; k < n; ++k) {
    if (!is_G4pair(pairs[k], mol)) continue;
    for (long l = k + 1; l <= n; ++l) {
      if (!is_G4pair(pairs[l], mol) || pairs[l].nt1 != pairs[k].nt1) continue;
      if (own_class_tail(pairs[l]) != own_class_tail(pairs[k])) continue;
      show_pair_info(k, pairs[k], mol, PRGLOG);
      show_pair_info(l, pairs[l], mol, PRGLOG);
      pair& loser = pairs[l].quality > pairs[k].quality ? pairs[l] : pairs[k];
      loser.G4_pair = 0;
      loser.Saenger_num = 0;
      loser.Saenger = "--";
      add_one_item_to_connect_simple(loser.nt2, mol.residues[loser.nt1].mismatched_g4, "mismatched nts for G4 pair", mol.warned.connects);
      add_one_item_to_connect_simple(loser.nt1, mol.residues[loser.nt2].mismatched_g4, "mismatched nts for G4 pair", mol.warned.connects);
    }
  }

  reset_bestpair_for_G4pairs(n, pairs, mol);
}

}  // namespace vask
