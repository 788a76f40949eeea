// Multiplets: layer assembly, the re-checks and the report.
#include "motifs/multiplet.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <unordered_map>

#include "pairing/frame.hpp"
#include "pairing/hbond.hpp"
#include "structure/atom.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr long CONSISTENT_KEY = 10000;    // size-key bonus of a layer linked all through
constexpr double BAD_STACKING_AREA = 0.1;  // square Angstrom: two unlinked bases of a triple overlap
constexpr double WEAK_PAIR_AREA = 60.0;    // square Angstrom: a weaker pair may be dropped
constexpr double WIDE_VDW_FACTOR = 6.6;    // van der Waals factor of the far-offset test
constexpr double FAR_OFFSET_TIMES = 3.0;   // of network-vdist
constexpr double VDW_REFERENCE = 3.4;      // two carbons' van der Waals radius sum (as the contact test)
constexpr double MIN_DIST2 = 0.36;         // (0.6 Angstrom)^2
// Guards on the re-check loops, which settle in a few rounds on real
// structures; a cycling input stops with a warning instead of running on.
constexpr long MAX_ROUNDS = 100;

// Some base atom of i within the van der Waals window (factor f) of a base atom of j.
bool bases_in_vdw_window(long i, long j, const struct_mol& mol, double f) {
  const residue& ri = mol.residues[i];
  const residue& rj = mol.residues[j];
  for (long a = ri.first_atom; a <= ri.last_atom; ++a) {
    if (!is_baseatom(a, mol)) continue;
    for (long b = rj.first_atom; b <= rj.last_atom; ++b) {
      if (!is_baseatom(b, mol)) continue;
      const xyz& p = mol.atoms[a].xyz;
      const xyz& q = mol.atoms[b].xyz;
      if (!dx_dy_dz_all_less(p, q, f)) continue;
      const double d2 = dist_xyz_square(p, q);
      if (d2 < MIN_DIST2 || d2 > f * f) continue;
      const double d = std::sqrt(d2);
      const double top = sum_vdw_radii_with_delta(a, b, mol) * f / (VDW_REFERENCE + Gvars.vdw_delta);
      if (d >= 1.0 && d <= top) return true;
    }
  }
  return false;
}

// Whether the bases of nucleotides i and j are offset out of one layer.
bool vertically_apart(long i, long j, const struct_mol& mol) {
  double vdist = 0, dist = 0;
  get_vdist_dist_by_residue(i, j, mol, vdist, dist);
  if (vdist <= Gvars.network_vdist || dist <= 0 || vdist / dist <= Gvars.network_ratio) return false;
  if (!is_nt(i, mol) || !is_nt(j, mol)) return false;
  const double dm = get_vdist_min_by_residue(i, j, mol);
  bool cut = false;
  if (dm > Gvars.network_vdist && residues_in_vdwCnt(i, j, mol))
    cut = bases_in_vdw_window(i, j, mol, Gvars.vdw_cutoff);
  if (!cut && dm > FAR_OFFSET_TIMES * Gvars.network_vdist)
    cut = bases_in_vdw_window(i, j, mol, WIDE_VDW_FACTOR);
  if (cut && VERBOSITY > 1)
    prglog_msg("\t\t%s vs. %s\tvdist=%g\tdist=%g\tr=%g\tdm=%g\n", mol.residues[i].idstr.c_str(),
               mol.residues[j].idstr.c_str(), vdist, dist, vdist / dist, dm);
  return cut;
}

// The link table of one set being cut into layers; members and rows 1-based.
struct layer_table {
  long n = 0;
  std::vector<long> members;              // 1..n residue numbers
  std::vector<std::vector<char>> link;    // [1..n][1..n]
  std::map<std::vector<long>, double> quality;  // planarity quality by layer rows

  long row_links(long k) const {
    long c = 0;
    for (long p = 1; p <= n; ++p) c += link[k][p];
    return c;
  }
  void print(const char* title, const struct_mol& mol) const {
    if (PRGLOG == nullptr) return;
    prglog_msg("%s\n", title);
    for (long k = 1; k <= n; ++k) {
      std::string row;
      for (long p = 1; p <= n; ++p) row += link[k][p] ? " 1" : " 0";
      prglog_msg("%4ld %-16s%s\n", k, mol.residues[members[k]].idstr.c_str(), row.c_str());
    }
  }
};

connect layer_of_row(const layer_table& t, long k) {
  connect c;
  for (long p = 1; p <= t.n; ++p)
    if (t.link[k][p]) c.append(t.members[p]);
  return c;
}

layer_rec score_layer(layer_table& t, long k, const struct_mol& mol, motif_measures& measures) {
  layer_rec rec;
  std::vector<long> rows;
  for (long p = 1; p <= t.n; ++p)
    if (t.link[k][p]) rows.push_back(p);
  const long c = static_cast<long>(rows.size());
  if (c < 3) return rec;
  long missing = 0;
  bool bad_stack = false;
  for (size_t a = 0; a < rows.size(); ++a)
    for (size_t b = a + 1; b < rows.size(); ++b) {
      if (t.link[rows[a]][rows[b]]) continue;
      ++missing;
      if (c == 3) {
        const double area = measures.outer_overlap(t.members[rows[a]], t.members[rows[b]]);
        if (area > BAD_STACKING_AREA) {
          bad_stack = true;
          if (VERBOSITY > 1)
            prglog_msg("bad_stacking(): %s vs %s -- overlap=%g\n",
                       mol.residues[t.members[rows[a]]].idstr.c_str(),
                       mol.residues[t.members[rows[b]]].idstr.c_str(), area);
        }
      }
    }
  if (bad_stack) return rec;
  rec.member = k;
  rec.missing = missing;
  rec.flag = missing == 0;
  rec.key = missing == 0 ? c + CONSISTENT_KEY : c - missing;
  double score = 0;
  for (size_t a = 0; a < rows.size(); ++a)
    for (size_t b = a + 1; b < rows.size(); ++b) {
      const hbond_counts& h = measures.hbonds(t.members[rows[a]], t.members[rows[b]]);
      score += 100.0 * h.base_window + 50.0 * h.window + 10.0 * h.all + h.base;
    }
  auto [it, fresh] = t.quality.try_emplace(rows, 0.0);
  if (fresh) it->second = get_planarity_quality(layer_of_row(t, k), mol);
  rec.score = score + it->second;
  return rec;
}

// Cuts set into layers, each handed to hold (ascending members, flag set).
template <class Hold>
void extract_layers(const connect& set, const struct_mol& mol, motif_measures& measures, Hold&& hold) {
  layer_table t;
  t.n = set.count;
  t.members.assign(static_cast<size_t>(t.n) + 1, 0);
  for (long k = 1; k <= t.n; ++k) t.members[k] = set[k];
  t.link.assign(static_cast<size_t>(t.n) + 1, std::vector<char>(static_cast<size_t>(t.n) + 1, 1));
  for (long a = 1; a <= t.n; ++a)
    for (long b = a + 1; b <= t.n; ++b) {
      const long i = t.members[a], j = t.members[b];
      bool cut = false;
      const double area = measures.outer_overlap(i, j);
      if (area > 0) {
        cut = true;
        if (VERBOSITY >= 1)
          prglog_msg("\t%s vs. %s\toverlap=%g\n", mol.residues[i].idstr.c_str(),
                     mol.residues[j].idstr.c_str(), area);
      } else {
        cut = vertically_apart(i, j, mol);
      }
      if (cut) t.link[a][b] = t.link[b][a] = 0;
    }
  if (VERBOSITY > 1) t.print("by overlap and vdist/dist ratio", mol);

  std::vector<layer_rec> recs(static_cast<size_t>(t.n) + 1);
  for (;;) {
    for (long k = 1; k <= t.n; ++k) recs[k] = score_layer(t, k, mol, measures);
    std::sort(recs.begin() + 1, recs.end(), layer_compare);
    layer_rec best = recs[t.n];
    if (best.member == 0) return;
    if (t.n >= 2) {
      const layer_rec& runner = recs[t.n - 1];
      if (runner.member != 0 && !t.link[best.member][runner.member] &&
          !t.link[runner.member][best.member] && best.key == runner.key &&
          is_approx(best.score, runner.score)) {
        t.link[best.member][runner.member] = t.link[runner.member][best.member] = 1;
        best.flag = 0;
      }
    }
    connect layer = layer_of_row(t, best.member);
    layer.set_owner(best.flag);
    std::vector<long> taken;
    for (long p = 1; p <= t.n; ++p)
      if (t.link[best.member][p]) taken.push_back(p);
    for (long p : taken)
      for (long r = 1; r <= t.n; ++r) t.link[r][p] = 0;
    if (layer.count > 0) hold(std::move(layer));
    if (VERBOSITY > 1) t.print("iter ...", mol);
    bool more = false;
    for (long k = 1; k <= t.n && !more; ++k) more = t.row_links(k) > 2;
    if (!more) return;
  }
}

// Whether a set lies within any set of a list that only grows: asked of the
// sets holding its first member, not of the whole list.
class superset_index {
 public:
  explicit superset_index(const std::vector<connect>& list) : list_(list) {}

  bool holds(const connect& set) {
    for (; indexed_ < list_.size(); ++indexed_) {
      const connect& c = list_[indexed_];
      any_ = any_ || c.count > 0;
      for (long m = 1; m <= c.count; ++m) by_nt_[c[m]].push_back(indexed_);
    }
    if (set.count == 0) return any_;
    const auto it = by_nt_.find(set[1]);
    if (it == by_nt_.end()) return false;
    for (size_t k : it->second)
      if (is_cnt1_contained_in_cnt2(set, list_[k])) return true;
    return false;
  }

 private:
  const std::vector<connect>& list_;
  size_t indexed_ = 1;
  bool any_ = false;
  std::unordered_map<long, std::vector<size_t>> by_nt_;
};

long iter_on_set(const connect& set, struct_mol& mol, motif_measures& measures,
                 std::vector<connect>& out) {
  std::vector<pair> pairs = get_multiplet_pairs(set, measures);
  return find_multiplets_iter(mol, static_cast<long>(pairs.size()) - 1, pairs, measures, out);
}

connect sorted_copy(const connect& set) {
  connect c = set;
  sort_one_connect(c);
  return c;
}

// Equal member sets, whatever their order.
bool same_members(const connect& a, const connect& b) {
  return a.count == b.count && is_equal_cnts(sorted_copy(a), sorted_copy(b));
}

std::string ids_of(const connect& set, const struct_mol& mol) {
  return get_connect_abbr_full_ids(set, mol);
}

// A nucleotide found in two or more multiplets is swapped, in a multiplet
// holding just one such nucleotide, for a base stacked on it when the swap
// gives a layer that holds by itself.
void revise_multiplet_with_stacked_nt(long nt, const std::vector<long>& holders,
                                      const std::vector<char>& marked,
                                      std::vector<connect>& multiplets, struct_mol& mol,
                                      motif_measures& measures) {
  const connect& stacks = mol.residues[nt].plane_stacks;
  for (long s = 1; s <= stacks.count; ++s) {
    const long x = stacks[s];
    if (!is_nt(x, mol)) continue;
    for (long j : holders) {
      connect& m = multiplets[j];
      if (!marked[j] || !m.has(nt) || m.has(x)) continue;
      connect copy = m;
      for (long k = 1; k <= copy.count; ++k)
        if (copy.members[k] == nt) copy.members[k] = x;
      sort_one_connect(copy);
      std::vector<connect> out;
      const long k = iter_on_set(copy, mol, measures, out);
      if (k != 1 || !same_members(out[1], copy)) continue;
      prglog_msg("\t    replaced by %s\n", mol.residues[x].idstr.c_str());
      prglog_msg("\t    '%s' ---> '%s'\n", ids_of(m, mol).c_str(), ids_of(out[1], mol).c_str());
      m = sorted_copy(out[1]);
      return;
    }
  }
}

void handle_shared_nts(std::vector<connect>& multiplets, struct_mol& mol, motif_measures& measures) {
  const long n = static_cast<long>(multiplets.size()) - 1;
  std::vector<std::vector<long>> holders(static_cast<size_t>(mol.num_residues) + 1);
  for (long j = 1; j <= n; ++j)
    for (long k = 1; k <= multiplets[j].count; ++k) holders[multiplets[j][k]].push_back(j);
  long reused = 0;
  for (const auto& h : holders) reused += h.size() > 1 ? static_cast<long>(h.size()) - 1 : 0;
  if (reused == 0) return;
  logit_verbosef("[i] with %ld reused nts\n", reused);
  std::vector<char> marked(static_cast<size_t>(n) + 1, 0);
  for (long j = 1; j <= n; ++j) {
    long shared = 0;
    for (long k = 1; k <= multiplets[j].count; ++k) shared += holders[multiplets[j][k]].size() > 1;
    marked[j] = shared == 1;
  }
  for (long nt = 1; nt <= mol.num_residues; ++nt) {
    if (holders[nt].size() < 2) continue;
    const long stacked = mol.residues[nt].plane_stacks.count;
    prglog_msg("\tnt '%s' [stacks=%ld] in %ld multiplets\n", mol.residues[nt].idstr.c_str(),
               stacked, static_cast<long>(holders[nt].size()));
    if (stacked > 0) revise_multiplet_with_stacked_nt(nt, holders[nt], marked, multiplets, mol, measures);
  }
}

// The largest layer that the set itself gives, sorted; empty when none.
connect check_one_multiplet(const connect& set, struct_mol& mol, motif_measures& measures) {
  std::vector<connect> out;
  const long k = iter_on_set(set, mol, measures, out);
  if (k == 0) return {};
  for (long i = 1; i <= k; ++i) sort_one_connect(out[i]);
  sort_connects(k, out);
  return out[k];
}

// Drops multiplets contained in another (of two equal ones the later stays)
// and keeps the rest, sorted, ordered by cnt_compare.
void fill_vask_multiplets(std::vector<connect>& in, const struct_mol& mol, long& count,
                          std::vector<connect>& out) {
  const long n = static_cast<long>(in.size()) - 1;
  // a multiplet holding in[i] holds its first member: only those are tried
  std::vector<std::vector<long>> holders(static_cast<size_t>(mol.num_residues) + 1);
  for (long j = 1; j <= n; ++j)
    for (long k = 1; k <= in[j].count; ++k) holders[static_cast<size_t>(in[j][k])].push_back(j);
  for (long i = 1; i <= n; ++i) {
    if (in[i].count == 0) continue;
    for (long j : holders[static_cast<size_t>(in[i][1])]) {
      if (j == i || in[j].count == 0 || !is_cnt1_contained_in_cnt2(in[i], in[j])) continue;
      if (in[i].count < in[j].count || i < j) {
        in[i].clear();
        break;
      }
    }
  }
  out.assign(1, connect{});
  for (long i = 1; i <= n; ++i) {
    if (in[i].count == 0) continue;
    connect c = sorted_copy(in[i]);
    prglog_msg("  keep:     %4ld nts=%ld %s\n", i, c.count, ids_of(c, mol).c_str());
    out.push_back(std::move(c));
  }
  count = static_cast<long>(out.size()) - 1;
  sort_connects(count, out);
}

}  // namespace

bool layer_compare(const layer_rec& a, const layer_rec& b) {
  if (a.key != b.key) return a.key < b.key;
  if (a.missing != b.missing) return a.missing > b.missing;
  if (a.score != b.score) return a.score < b.score;
  return a.member < b.member;
}

double get_planarity_quality(const connect& set, const struct_mol& mol) {
  if (set.count < 3) return 0.0;
  return -1000.0 * nts_list_planarity(set, mol);
}

std::vector<pair> get_multiplet_pairs(const connect& set, motif_measures& measures) {
  struct_mol& mol = measures.mol();
  std::vector<pair> pairs(1);
  for (long a = 1; a <= set.count; ++a)
    for (long b = a + 1; b <= set.count; ++b)
      if (residues_in_pair(set[a], set[b], mol)) pairs.push_back(measures.base_pair(set[a], set[b]));
  const long n = static_cast<long>(pairs.size()) - 1;
  if (n == 0) return pairs;
  check_for_best_pairs(n, pairs, mol);
  remove_wrong_WC_pairs(n, pairs, mol);
  set_pairs_array_status(n, pairs, 0);
  return pairs;
}

long find_multiplets_iter(struct_mol& mol, long num_pairs, const std::vector<pair>& pairs,
                          motif_measures& measures, std::vector<connect>& out) {
  out.assign(1, connect{});
  if (num_pairs == 0) return 0;
  // sets are held at the rank of their smallest member among the residues
  // of the edges, which keeps residue order
  std::vector<long> ids;
  std::vector<connect> held;
  const long n = edge_networks(num_pairs, pairs, measures, ids, held);
  auto open_sets = [&]() {
    long c = 0;
    for (long i = 1; i <= n; ++i) c += held[i].count >= 3 && held[i].owner() == 0;
    return c;
  };
  auto hold = [&](connect&& layer) {
    const long at = std::lower_bound(ids.begin() + 1, ids.end(), layer[1]) - ids.begin();
    held[at] = std::move(layer);
  };
  long previous = -1;
  for (long pass = 1; pass <= MAX_ROUNDS; ++pass) {
    if (VERBOSITY > 1) prglog_msg("\n****** round #%ld ******\n", pass);
    for (long i = 1; i <= n; ++i) {
      if (held[i].count < 3 || held[i].owner() != 0) continue;
      connect set = std::move(held[i]);
      held[i].clear();
      extract_layers(set, mol, measures, hold);
    }
    const long now = open_sets();
    if (now == 0 || now == previous) break;
    previous = now;
  }
  for (long i = 1; i <= n; ++i)
    if (held[i].count > 2) out.push_back(std::move(held[i]));
  return static_cast<long>(out.size()) - 1;
}

long check_layer(long n, const std::vector<connect>& in, struct_mol& mol, motif_measures& measures,
                 std::vector<connect>& out, long& changed) {
  out.assign(1, connect{});
  superset_index kept(out);
  for (long i = 1; i <= n; ++i) {
    std::vector<connect> res;
    const long k = iter_on_set(in[i], mol, measures, res);
    if (!(k == 1 && same_members(res[1], in[i]))) ++changed;
    for (long r = 1; r <= k; ++r)
      if (!kept.holds(res[r])) out.push_back(std::move(res[r]));
  }
  return static_cast<long>(out.size()) - 1;
}

long check_bad_multiplets(long n, const std::vector<connect>& in, struct_mol& mol,
                          motif_measures& measures, std::vector<connect>& out, long& changed) {
  out.assign(1, connect{});
  superset_index kept(out);
  auto keep = [&](const connect& m) {
    if (!kept.holds(m)) out.push_back(m);
  };
  for (long i = 1; i <= n; ++i) {
    const connect& m = in[i];
    if (m.owner() != 0) {
      keep(m);
      continue;
    }
    std::vector<pair> pairs = get_multiplet_pairs(m, measures);
    const long np = static_cast<long>(pairs.size()) - 1;
    if (np == 0) {  // nothing to weigh: the multiplet stays as it is
      keep(m);
      continue;
    }
    long weakest = 1;
    double least = measures.base_area(pairs[1].nt1, pairs[1].nt2);
    for (long k = 2; k <= np; ++k) {
      const double a = measures.base_area(pairs[k].nt1, pairs[k].nt2);
      if (a < least) {
        least = a;
        weakest = k;
      }
    }
    if (pairs[weakest].best || least > WEAK_PAIR_AREA) {
      keep(m);
      continue;
    }
    logit_verbosef("[i] -- %s vs %s [%.2f]\n", mol.residues[pairs[weakest].nt1].idstr.c_str(),
                   mol.residues[pairs[weakest].nt2].idstr.c_str(), least);
    pairs.erase(pairs.begin() + weakest);
    const long left = np - 1;
    if (left == 0 || left == 2) {
      keep(m);
      continue;
    }
    std::vector<connect> res;
    const long k = find_multiplets_iter(mol, left, pairs, measures, res);
    logit_verbosef("\t[w]: split a multiplet [nts=%ld] into %ld\n", m.count, k);
    if (k == 0) {
      keep(m);
      continue;
    }
    if (!(k == 1 && same_members(res[1], m))) ++changed;
    for (long r = 1; r <= k; ++r) keep(res[r]);
  }
  return static_cast<long>(out.size()) - 1;
}

long recover_missing_nts(long n, std::vector<connect>& multiplets, struct_mol& mol,
                         motif_measures& measures) {
  long adopted = 0;
  for (long j = 1; j <= n; ++j) {
    connect& m = multiplets[j];
    connect grown = m;
    for (long k = 1; k <= m.count; ++k) {
      const connect& partners = mol.residues[m[k]].paired;
      for (long q = 1; q <= partners.count; ++q) {
        const long y = partners[q];
        if (m.has(y) || grown.has(y)) continue;
        const connect& stacks = mol.residues[y].plane_stacks;
        bool stacked_on_member = false;
        for (long s = 1; s <= stacks.count && !stacked_on_member; ++s) stacked_on_member = m.has(stacks[s]);
        if (stacked_on_member) continue;
        add_one_item_to_connect_simple(y, grown, "recover_missing_nts()", mol.warned.connects);
        prglog_msg("[i] added %s to multiplet\n", mol.residues[y].idstr.c_str());
      }
    }
    if (grown.count == m.count) continue;
    sort_one_connect(grown);
    prglog_msg("  previous:     %4ld nts=%ld %s\n", j, m.count, ids_of(m, mol).c_str());
    prglog_msg("      expanded: %4ld nts=%ld %s\n", j, grown.count, ids_of(grown, mol).c_str());
    connect r = check_one_multiplet(grown, mol, measures);
    if (r.count == 0 || m.count > r.count || same_members(m, r)) continue;
    bool take = false;
    if (r.count == m.count) {
      merge_two_cnts(m, r);
      sort_one_connect(r);
      take = true;
    } else if (is_cnt1_contained_in_cnt2(m, r)) {
      take = true;
      for (long i = 1; i <= n && take; ++i) take = !same_members(multiplets[i], r);
    }
    if (!take) continue;
    prglog_msg("      *adopted: %4ld nts=%ld %s\n", j, r.count, ids_of(r, mol).c_str());
    m = std::move(r);
    adopted = 1;
  }
  return adopted;
}

void find_multiplets(struct_mol& mol, long num_pairs, std::vector<pair>& pairs,
                     motif_measures& measures, long& count, std::vector<connect>& multiplets) {
  count = 0;
  multiplets.assign(1, connect{});
  if (num_pairs == 0) return;
  set_pairs_array_status(num_pairs, pairs, 0);

  std::vector<connect> found(1);
  superset_index known(found);
  std::vector<char> in_set(static_cast<size_t>(mol.num_residues) + 1, 0);
  // the pairs by their first nucleotide: a pair within a set is found from it
  std::vector<std::vector<long>> pairs_of(static_cast<size_t>(mol.num_residues) + 1);
  for (long p = 1; p <= num_pairs; ++p) pairs_of[static_cast<size_t>(pairs[p].nt1)].push_back(p);
  for (long pass = 1; pass <= MAX_ROUNDS; ++pass) {
    std::vector<connect> out;
    const long k = find_multiplets_iter(mol, num_pairs, pairs, measures, out);
    if (k == 0) break;
    long added = 0;
    for (long r = 1; r <= k; ++r) {
      if (known.holds(out[r])) continue;
      for (long m = 1; m <= out[r].count; ++m) in_set[out[r][m]] = 1;
      for (long m = 1; m <= out[r].count; ++m)
        for (long p : pairs_of[static_cast<size_t>(out[r][m])])
          if (in_set[pairs[p].nt2]) pairs[p].status = 1;
      for (long m = 1; m <= out[r].count; ++m) in_set[out[r][m]] = 0;
      found.push_back(std::move(out[r]));
      ++added;
    }
    if (added == 0) break;
    prglog_msg("\nmultiplets from round #%ld: %ld\n", pass, k);
  }

  if (found.size() > 1) {
    auto settle = [&](auto&& check, const char* label) {
      for (long round = 1;; ++round) {
        if (round > MAX_ROUNDS) {
          logitf("[w] %s: no settled result after %ld rounds; the last one is kept\n", label, MAX_ROUNDS);
          return;
        }
        std::vector<connect> next;
        long changed = 0;
        const long before = static_cast<long>(found.size()) - 1;
        const long after = check(before, found, mol, measures, next, changed);
        found = std::move(next);
        if (changed == 0) return;
        prglog_msg("%s: %ld\t%ld\n", label, before, after);
      }
    };
    settle(check_layer, "multiplets");
    if (found.size() > 1) {
      handle_shared_nts(found, mol, measures);
      settle(check_bad_multiplets, "multiplets-bad");
      const long n = static_cast<long>(found.size()) - 1;
      for (long round = 1; recover_missing_nts(n, found, mol, measures); ++round)
        if (round >= MAX_ROUNDS) {
          logitf("[w] %s: no settled result after %ld rounds; the last one is kept\n",
                 "recover_missing_nts()", MAX_ROUNDS);
          break;
        }
      fill_vask_multiplets(found, mol, count, multiplets);
    }
  }

  total_counts("multiplets", count);
  for (long j = 1; j <= count; ++j) {
    connect& m = multiplets[j];
    for (long k = 1; k <= m.count; ++k) {
      residue& r = mol.residues[m[k]];
      if (r.flag[rf::multiplet] == 0)
        r.flag[rf::multiplet] = j;
      else if (VERBOSITY > 1)
        logitf("[i] nucleotide=%s at multiplet=#%ld already counted at #%ld\n", r.idstr.c_str(), j,
               r.flag[rf::multiplet]);
    }
    m.value = nts_list_planarity(m, mol);
  }
}

void show_multiplet_nts(long n, const std::vector<connect>& multiplets, const struct_mol& mol,
                        FILE* fp) {
  show_nts_sets("multiplet", n, multiplets, true, mol, fp);
}

void output_multiplets_info(struct_mol& mol, long n, const std::vector<connect>& multiplets,
                            FILE* fp) {
  if (fp == nullptr || n == 0) return;
  output_sets_info(mol, n, multiplets, "multiplets", "multiplet", true, fp);
}

}  // namespace vask
