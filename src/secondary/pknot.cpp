// Dot-bracket notation with pseudoknot levels, the removal of knotted pairs
// and the H-type pseudoknot loops.
//
// The conflict graph of a pass is built once, when the pass starts, by a
// sweep over the units sorted by their first nucleotide: a unit is tested
// only against the units that start inside its span, the others cannot
// cross it. Eliminating or adding back a unit then only filters that graph,
// so a pass never compares all units with all units again.
#include "secondary/pknot.hpp"

#include <algorithm>
#include <cmath>
#include <set>

#include "pairing/frame.hpp"
#include "pairing/pair.hpp"
#include "secondary/xref.hpp"
#include "structure/chain.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/arrays.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr char kOpen[] = ".([{<ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr char kClose[] = ".)]}>abcdefghijklmnopqrstuvwxyz";
constexpr long kMaxLevel = 30;  // levels above share the last brackets
static_assert(sizeof(kOpen) == kMaxLevel + 2 && sizeof(kClose) == kMaxLevel + 2);

long& mark(long k, int slot, struct_mol& mol) { return mol.residues[k].flag[static_cast<size_t>(slot)]; }

bool in_range(long x, long lo, long hi) { return x >= lo && x <= hi; }

long inner5(const stemIP& u) { return u.strand1[u.bps]; }
long inner3(const stemIP& u) { return u.strand2[1]; }
long outer5(const stemIP& u) { return u.strand1[1]; }
long outer3(const stemIP& u) { return u.strand2[u.bps]; }

// ---------------------------------------------------------------------------
// Program-log listings

void log_one_stemIP(long k, long status, const stemIP& u, const struct_mol& mol) {
  prglog_msg("%3ld\trefidx=%ld\tstatus=%ld", k, u.refidx, status);
  prglog_msg("\tbps=%ld\tnested=%ld", u.bps, u.nested);
  prglog_msg("\thbonds=%ld\trange=%-4ld", u.hbonds, u.range);
  prglog_msg("\t%s\tid1=%s\tid2=%s\n", u.no_break ? "non-break" : "break",
             mol.residues[outer5(u)].idstr.c_str(), mol.residues[inner3(u)].idstr.c_str());
}

void output_stemIPs(long n, const std::vector<stemIP>& units, const struct_mol& mol) {
  if (PRGLOG == nullptr) return;
  prglog_msg("List of %ld secondary structure units\n", n);
  for (long k = 1; k <= n; ++k) {
    const stemIP& u = units[k];
    log_one_stemIP(k, u.status, u, mol);
    prglog_msg("\tgain=%ld\tconflicts=%ld [", u.gain, static_cast<long>(u.conflicts.size()));
    for (long c : u.conflicts) prglog_msg(" %ld", c);
    prglog_msg("]\n");
  }
}

// The units left active and those eliminated; an eliminated unit is no
// longer nested in anything (its pass is over), whether or not the program
// log is open.
void summarize_nested_stemIPs(long n, std::vector<stemIP>& units, const struct_mol& mol) {
  if (PRGLOG != nullptr) {
    long active = 0, removed = 0;
    for (long k = 1; k <= n; ++k) {
      active += units[k].status == 1;
      removed += units[k].status == 0;
    }
    prglog_msg("\nNested secondary structure units (%ld)\n", active);
    for (long k = 1; k <= n; ++k)
      if (units[k].status == 1) log_one_stemIP(k, 1, units[k], mol);
    prglog_msg("\nRemoved secondary structure units (%ld)\n", removed);
    long m = 0;
    for (long k = 1; k <= n; ++k)
      if (units[k].status == 0) log_one_stemIP(++m, 0, units[k], mol);
  }
  for (long k = 1; k <= n; ++k)
    if (units[k].status == 0) units[k].nested = 0;
}

// ---------------------------------------------------------------------------
// The passes

class dbn_passes {
 public:
  dbn_passes(struct_mol& mol, std::vector<stemIP>& units, dbn_state& state)
      : mol_(mol), u_(units), st_(state), n_(static_cast<long>(units.size()) - 1),
        graph_(units.size()) {}

  long run() {
    for (long r = 0;; ++r) {
      build_graph();
      if (check_conflicts() == 0) {
        assign_level(r + 1);
        return r;
      }
      // The units in conflict, best to eliminate first; an elimination
      // changes only its neighbours' conflicts and the nesting of the units
      // inside its loop, so only those are looked at again.
      std::set<long, elimination_order> candidates(elimination_order{&u_});
      for (long k = 1; k <= n_; ++k)
        if (u_[k].status == 1 && !u_[k].conflicts.empty()) candidates.insert(k);
      while (!candidates.empty()) {
        const long c = static_cast<long>(candidates.size());
        prglog_msg("\nnumber-of-conflicts: %ld\n", c);
        output_stemIPs(n_, u_, mol_);
        const long chosen = *candidates.begin();
        candidates.erase(candidates.begin());
        u_[chosen].status = 0;
        prglog_msg("eliminate stemIP #%ld\n", chosen);
        if (c >= 2) mark_nested(chosen, candidates);
        refresh(chosen);
        for (long j : graph_[chosen]) {
          if (u_[j].status != 1) continue;
          candidates.erase(j);
          refresh(j);
          if (!u_[j].conflicts.empty()) candidates.insert(j);
        }
      }
      summarize_nested_stemIPs(n_, u_, mol_);
      add_back_all();
      assign_level(r + 1);
      for (long k = 1; k <= n_; ++k) {
        if (u_[k].status == 1)
          u_[k].status = -(r + 1);
        else if (u_[k].status == 0)
          u_[k].status = 1;
      }
    }
  }

 private:
  // The crossings among the units active when the pass starts.
  void build_graph() {
    for (auto& g : graph_) g.clear();
    for (long i = 1; i <= n_; ++i) {
      if (u_[i].status != 1) continue;
      const long end = outer3(u_[i]);
      for (long j = i + 1; j <= n_ && outer5(u_[j]) <= end; ++j) {
        if (u_[j].status != 1 || !has_conflict(u_[i], u_[j], mol_, st_)) continue;
        graph_[i].push_back(j);
        graph_[j].push_back(i);
      }
    }
    for (auto& g : graph_) std::sort(g.begin(), g.end());
  }

  // A unit's conflicts: the active units it crosses (at most
  // MAX_UNIT_CONFLICTS), and its gain; none for a unit not active.
  void refresh(long k) {
    stemIP& x = u_[k];
    x.gain = x.conflict_bps = 0;
    x.conflicts.clear();
    if (x.status != 1) return;
    for (long j : graph_[k]) {
      if (u_[j].status != 1) continue;
      if (static_cast<long>(x.conflicts.size()) < MAX_UNIT_CONFLICTS) {
        x.conflicts.push_back(j);
        x.conflict_bps += u_[j].bps;
      } else {
        ++st_.many_conflicts;
      }
    }
    x.gain = x.bps - x.conflict_bps;
  }

  long check_conflicts() {
    long c = 0;
    for (long k = 1; k <= n_; ++k) {
      refresh(k);
      c += !u_[k].conflicts.empty();
    }
    return c;
  }

  // U is preferred to C for elimination.
  static bool eliminate_first(const stemIP& U, const stemIP& C) {
    if (U.gain != C.gain) return U.gain < C.gain;
    if (U.conflicts.size() != C.conflicts.size()) return U.conflicts.size() > C.conflicts.size();
    if (U.bps != C.bps) return U.bps < C.bps;
    if (U.nested != C.nested) return U.nested > C.nested;
    if (U.hbonds != C.hbonds) return U.hbonds < C.hbonds;
    if (U.range != C.range) return U.range > C.range;
    if (U.no_break != C.no_break) return U.no_break < C.no_break;
    return outer5(U) > outer5(C);
  }

  // Candidates by elimination_first, the earlier position first among equals.
  struct elimination_order {
    const std::vector<stemIP>* u;
    bool operator()(long a, long b) const {
      const stemIP& A = (*u)[static_cast<size_t>(a)];
      const stemIP& B = (*u)[static_cast<size_t>(b)];
      if (eliminate_first(A, B)) return true;
      if (eliminate_first(B, A)) return false;
      return a < b;
    }
  };

  // The candidates inside the loop of the unit E just eliminated are nested;
  // those inside units eliminated earlier were marked then (conflicts only
  // shrink within a pass). The units are sorted by their outer 5' end.
  void mark_nested(long e, std::set<long, elimination_order>& candidates) {
    const long lo = inner5(u_[e]), hi = inner3(u_[e]);
    const auto first = std::partition_point(u_.begin() + 1, u_.end(),
                                            [&](const stemIP& x) { return outer5(x) < lo; });
    for (long k = first - u_.begin(); k <= n_ && outer5(u_[k]) <= hi; ++k) {
      stemIP& U = u_[k];
      if (U.status == 0 || U.conflicts.empty() || U.nested || !in_range(outer3(U), lo, hi)) continue;
      candidates.erase(k);
      U.nested = 1;
      candidates.insert(k);
    }
  }

  static bool add_back_first(const stemIP& a, const stemIP& b) {
    if (a.bps != b.bps) return a.bps > b.bps;
    if (a.hbonds != b.hbonds) return a.hbonds > b.hbonds;
    if (a.range != b.range) return a.range < b.range;
    if (a.no_break != b.no_break) return a.no_break > b.no_break;
    return outer5(a) < outer5(b);
  }

  // The eliminated units, in position order.
  void log_eliminated() const {
    long shown = 0;
    for (long k = 1; k <= n_; ++k)
      if (u_[k].status == 0) log_one_stemIP(++shown, 0, u_[k], mol_);
  }

  // Re-activates, best first, each eliminated unit that crosses no active
  // unit. A unit passed over stays blocked (units are only added), so one
  // walk down the sorted list does what a fresh search after each addition
  // would; the program log gets the list before each addition.
  void add_back_all() {
    std::vector<long> copies;
    for (long k = 1; k <= n_; ++k)
      if (u_[k].status == 0) copies.push_back(k);
    std::stable_sort(copies.begin(), copies.end(),
                     [&](long a, long b) { return add_back_first(u_[a], u_[b]); });
    for (size_t m = 0; m < copies.size(); ++m) {
      const long k = copies[m];
      bool free = true;
      for (long j : graph_[k]) free = free && u_[j].status != 1;
      if (!free) continue;
      if (PRGLOG != nullptr) {
        prglog_msg("\nsorted conflicts\n");
        log_eliminated();
      }
      u_[k].status = 1;
      prglog_msg("\nadd back non-conflict stemIP refidx=#%ld\n", k);
      output_stemIPs(n_, u_, mol_);
      summarize_nested_stemIPs(n_, u_, mol_);
    }
    if (PRGLOG != nullptr && !copies.empty()) {
      // the last search, which finds nothing to add
      bool left = false;
      for (long c : copies) left = left || u_[c].status == 0;
      if (left) {
        prglog_msg("\nsorted conflicts\n");
        log_eliminated();
      }
    }
  }

  // The brackets of level L on the active units' pairs.
  void assign_level(long level) {
    const long L = std::min(level, kMaxLevel);
    for (long k = 1; k <= n_; ++k) {
      const stemIP& x = u_[k];
      if (x.status != 1) continue;
      for (const auto* strand : {&x.strand1, &x.strand2})
        for (long m = 1; m <= x.bps; ++m) {
          const long i = (*strand)[m];
          const long p = get_stem_icpair_nt(i, mol_);
          if (p <= i) continue;
          mol_.residues[i].dbn = kOpen[L];
          mol_.residues[p].dbn = kClose[L];
        }
    }
  }

  struct_mol& mol_;
  std::vector<stemIP>& u_;
  dbn_state& st_;
  long n_;
  std::vector<std::vector<long>> graph_;  // per unit, the units it crosses (positions, ascending)
};

// Knotted nucleotides get their pseudoknot partner; a partner on another
// chain, or out of reach along the backbone, makes the order negative.
long mark_pknot_partners(long order, struct_mol& mol, dbn_state& state) {
  long odd = 0;
  for (long t = 1; t < static_cast<long>(mol.nt_order.size()); ++t) {
    const long i = mol.nt_order[t];
    const char c = mol.residues[i].dbn;
    if (c == '.' || c == '(' || c == ')') continue;
    const long p = get_cpair_nt(i, mol);
    mark(i, rf::pknot, mol) = p;
    if (p <= 0) continue;
    if (!with_same_model_chain(i, p, mol)) {
      ++odd;
      ++state.cross_chain_pknots;
    } else if (nts_i2j_dist(i, p, mol.num_nts, mol, nullptr) == 0) {
      ++odd;
    }
  }
  return odd != 0 ? -order : order;
}

}  // namespace

char dbn_open_bracket(long level) { return kOpen[std::clamp(level, 0L, kMaxLevel)]; }
char dbn_close_bracket(long level) { return kClose[std::clamp(level, 0L, kMaxLevel)]; }

bool stem_to_skip(const helix& stem) {
  return stem.overlap || stem.parallel || stem.disorder1 || stem.disorder2;
}

bool icpair_to_skip(const pair& p, const struct_mol& mol) {
  return on_na_chain(p.nt1, mol) == 0 || on_na_chain(p.nt2, mol) == 0;
}

bool has_conflict(const stemIP& a, const stemIP& b, const struct_mol& mol, dbn_state& state) {
  const bool a_first = outer5(a) <= outer5(b);
  const stemIP& X = a_first ? a : b;
  const stemIP& Y = a_first ? b : a;
  const long x5 = inner5(X), x3 = inner3(X), y1 = outer5(Y);
  if (outer3(X) < y1) return false;                      // Y wholly after X
  if (x5 < y1 && outer3(Y) < x3) return false;           // Y inside X's loop
  if (Y.bps < 1 || x5 > x3) {
    ++state.wrong_order;
    return false;
  }
  bool conflict = false;
  long last_inside = 0;
  for (long k = 1; k <= Y.bps && !conflict; ++k) {
    last_inside = in_range(Y.strand1[k], x5, x3) + in_range(Y.strand2[Y.bps - k + 1], x5, x3);
    conflict = last_inside == 1;
  }
  if (!conflict) {
    if (last_inside == 0) {
      ++state.wrong_order;
      return false;
    }
    conflict = last_inside == 2;
  }
  if (!conflict) return false;
  const long y5 = inner5(Y), y3 = inner3(Y);
  const long ends[6][2] = {{x5, x3}, {y5, y3}, {x5, y5}, {x5, y3}, {x3, y5}, {x3, y3}};
  bool shared = false;
  for (const auto& e : ends) shared = shared || with_same_model_chain(e[0], e[1], mol);
  if (!shared) ++state.cross_chain_conflicts;
  return true;
}

std::vector<stemIP> collect_stemIPs(const struct_mol& mol, const helix_slots& results) {
  std::vector<stemIP> units(1);
  for (long k = 1; k <= results.num_stems; ++k) {
    const helix& S = results.stems[k];
    if (stem_to_skip(S)) continue;
    stemIP u;
    u.bps = S.num_pairs;
    u.hbonds = S.num_hbonds;
    u.strand1.assign(S.strand1.begin(), S.strand1.begin() + u.bps + 1);
    u.strand2.assign(S.strand2.begin(), S.strand2.begin() + u.bps + 1);
    // the strand that starts first is the 5' strand; a stem handed over the
    // other way round is turned, which keeps its pairing
    if (u.strand1[1] > u.strand2[1]) u.strand1.swap(u.strand2);
    units.push_back(std::move(u));
  }
  for (long k = 1; k <= results.num_isolated_pairs; ++k) {
    const pair& p = results.isolated_pairs[k];
    if (icpair_to_skip(p, mol)) continue;
    stemIP u;
    u.bps = 1;
    u.hbonds = p.num_hbonds;
    u.strand1 = {0, std::min(p.nt1, p.nt2)};
    u.strand2 = {0, std::max(p.nt1, p.nt2)};
    units.push_back(std::move(u));
  }
  std::stable_sort(units.begin() + 1, units.end(),
                   [](const stemIP& a, const stemIP& b) { return outer5(a) < outer5(b); });
  for (long k = 1; k < static_cast<long>(units.size()); ++k) {
    stemIP& u = units[k];
    u.refidx = k;
    u.no_break = is_nt_i2j_all_connected(inner5(u), inner3(u), mol, 0) ? 1 : 0;
    u.range = inner3(u) - inner5(u) - 1;
  }
  return units;
}

void derive_dbn_with_pknots(struct_mol& mol, const helix_slots& results, dbn_state& state) {
  std::vector<stemIP> units = collect_stemIPs(mol, results);
  if (units.size() == 1) {
    state.order = 0;
    return;
  }
  const long order = dbn_passes(mol, units, state).run();
  state.order = order > 0 ? mark_pknot_partners(order, mol, state) : 0;
}

void remove_pknots(struct_mol& mol, helix_slots& results, dbn_state& state) {
  static constexpr int kCleared[] = {
      rf::num_pairs,     rf::bestpair,      rf::wc_partner,   rf::wobble_partner, rf::canonical_partner,
      rf::sheared_partner, rf::noncanonical_pairs, rf::g4_pair_mark, rf::helix,     rf::helix_partner,
      rf::stem,          rf::stem_partner,  rf::helix_end,    rf::stem_end,       rf::isolated_pair,
      rf::coaxial_stack, rf::unlinked_pair};
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_nt(k, mol)) continue;
    for (int f : kCleared) mark(k, f, mol) = 0;
    mol.residues[k].dbn = '.';
  }
  std::vector<pair> kept(1);
  std::vector<long> knotted;
  for (long k = 1; k <= results.num_pairs; ++k) {
    const pair& p = results.pairs[k];
    const bool knot = p.canonical && (mol.residues[p.nt1].flag[rf::pknot] == p.nt2 ||
                                      mol.residues[p.nt2].flag[rf::pknot] == p.nt1);
    if (knot)
      knotted.push_back(k);
    else
      kept.push_back(p);
  }
  const std::string removed = sformat("  Removed %ld knotted (canonical) base pairs\n",
                                      static_cast<long>(knotted.size()));
  runlog_msg("\n%s", removed.c_str());
  runlog_msg("\n  Recalculate pairs, helices, stems, and isolated pairs\n");
  if (PRGLOG != nullptr) {
    prglog_msg("%s", removed.c_str());
    long m = 0;
    for (long k : knotted) {
      const pair& p = results.pairs[k];
      prglog_msg("%4ld %-*s %-*s %s %-12s\n", ++m, mol.idstr_width, mol.residues[p.nt1].idstr.c_str(),
                 mol.idstr_width, mol.residues[p.nt2].idstr.c_str(), p.bp.c_str(), p.name.c_str());
    }
    prglog_msg("\n");
  }
  free_helices(results.num_helices, results.helices);
  free_helices(results.num_stems, results.stems);
  results.num_helices = results.num_stems = 0;
  results.isolated_pairs.assign(1, pair{});
  results.num_isolated_pairs = 0;
  results.pairs.swap(kept);
  results.num_pairs = static_cast<long>(results.pairs.size()) - 1;
  mark_residue_str_pair(results.num_pairs, results.pairs, mol);
  write_pairs_pdb_frame(results.num_pairs, results.pairs, mol);
  total_counts("base pairs", results.num_pairs);
  do_helices_stems_icpairs_xref(mol, results);
  derive_dbn_with_pknots(mol, results, state);
}

// ---------------------------------------------------------------------------
// H-type pseudoknot loops

namespace {

long stem_of(long k, const struct_mol& mol) { return get_stem_idx(k, mol); }

bool loop_touches_stem(const hairpin& H, long stem, const struct_mol& mol) {
  for (long m = 2; m < H.num_nts; ++m)
    if (stem_of(H.nts[m], mol) == stem) return true;
  return false;
}

std::vector<long> interior(const hairpin& H) {
  std::vector<long> v(1, 0);
  for (long m = 2; m < H.num_nts; ++m) v.push_back(H.nts[m]);
  return v;
}

std::vector<long> run_of(const std::vector<long>& list, const segidx& s) {
  std::vector<long> v(1, 0);
  for (long m = s.start; m <= s.end; ++m) v.push_back(list[m]);
  return v;
}

}  // namespace

std::string do_one_pknot_loop(const std::string& desc, const char* label, const std::vector<long>& loop,
                              const helix& stem, const struct_mol& mol) {
  const long n = static_cast<long>(loop.size()) - 1;
  if (n <= 0) return sformat("%s %s groove=%s nts=0", desc.c_str(), label, "-----");
  constexpr double kMaxRise = 4.0, kMinDist = 4.0, kMinorDist = 10.0, kMajorDist = 20.0;
  long score = 0;
  for (long k = 1; k <= stem.num_pairs; ++k) {
    const frame& f = stem.pairs[k].frame;
    for (long m = 1; m <= n; ++m) {
      const frame* b = base_frame(loop[m], mol);
      if (b == nullptr) continue;
      double d[4] = {0, 0, 0, 0};
      for (int t = 1; t <= 3; ++t) d[t] = f.org[t] - b->org[t];
      const double D = std::sqrt(d[1] * d[1] + d[2] * d[2] + d[3] * d[3]);
      double dx = 0, dz = 0;
      for (int t = 1; t <= 3; ++t) {
        dx += d[t] * f.x_axis[t];
        dz += d[t] * f.z_axis[t];
      }
      const double perp = std::sqrt(std::max(0.0, D * D - dx * dx));
      if (std::fabs(dx) < perp || std::fabs(dz) > kMaxRise || D < kMinDist) continue;
      if (dx > 0 && D < kMinorDist)
        ++score;
      else if (dx < 0 && D < kMajorDist)
        --score;
    }
  }
  const char* groove = score > 0 ? "minor" : score < 0 ? "MAJOR" : "-----";
  return sformat("%s %s groove=%s nts=%ld %s", desc.c_str(), label, groove, n,
                 get_residues_abbr_full_ids(n, loop, mol).c_str());
}

std::vector<std::string> collect_Hpknot_loops(const struct_mol& mol, long num_hairpins,
                                              const std::vector<hairpin>& hairpins, long num_stems,
                                              const std::vector<helix>& stems) {
  std::vector<std::string> entries;
  for (long i = 1; i <= num_hairpins; ++i) {
    const hairpin& Hi = hairpins[i];
    if (Hi.key <= 0 || Hi.key > num_stems || Hi.num_nts < 3) continue;
    for (long j = i + 1; j <= num_hairpins; ++j) {
      const hairpin& Hj = hairpins[j];
      if (Hj.key <= 0 || Hj.key > num_stems || Hj.num_nts < 3) continue;
      if (!with_same_model_chain(Hi.nts[2], Hj.nts[2], mol)) continue;
      if (!loop_touches_stem(Hi, Hj.key, mol) || !loop_touches_stem(Hj, Hi.key, mol)) continue;
      const bool i_first = Hi.nts[2] <= Hj.nts[2];
      const hairpin& A = i_first ? Hi : Hj;
      const hairpin& B = i_first ? Hj : Hi;
      const long a = i_first ? i : j, b = i_first ? j : i;
      const std::string desc = sformat("stem#%ld(hairpin#%ld) vs stem#%ld(hairpin#%ld)", A.key, a, B.key, b);
      const std::vector<long> a_loop = interior(A);
      const long na = static_cast<long>(a_loop.size()) - 1;
      std::vector<long> keys(1, 0);
      for (long m = 1; m <= na; ++m) keys.push_back(stem_of(a_loop[m], mol));
      long nseg = 0;
      const std::vector<segidx> runs = get_segidx(na, keys, nseg);
      long stem_runs = 0;
      bool b_stem = false;
      for (long s = 1; s <= nseg; ++s)
        if (runs[s].key != 0) {
          ++stem_runs;
          b_stem = runs[s].key == B.key;
        }
      if (stem_runs != 1 || !b_stem) continue;
      std::vector<long> L1(1, 0), L2(1, 0), L3(1, 0);
      if (nseg == 2) {
        if (runs[1].key == 0)
          L1 = run_of(a_loop, runs[1]);
        else
          L2 = run_of(a_loop, runs[2]);
      } else if (nseg == 3) {
        L1 = run_of(a_loop, runs[1]);
        L2 = run_of(a_loop, runs[3]);
      }
      for (long x : interior(B)) {
        if (x == 0 || stem_of(x, mol) == A.key) continue;
        if (std::find(a_loop.begin() + 1, a_loop.end(), x) != a_loop.end()) continue;
        L3.push_back(x);
      }
      const helix& SA = stems[A.key];
      const helix& SB = stems[B.key];
      entries.push_back(do_one_pknot_loop(desc, "L1", L1, SB, mol));
      entries.push_back(do_one_pknot_loop(desc, "L2", L2, SB, mol));
      entries.push_back(do_one_pknot_loop(desc, "L3", L3, SA, mol));
    }
  }
  return entries;
}

}  // namespace vask
