// Loops as closed walks: the closing-pair records of stem ends and isolated
// pairs, the walk from each record across single strands and closing pairs
// back to its start, the special cases it sets aside, the masking of
// nucleotides a knotted isolated pair brings in twice, and per loop its
// bridges, type, text, frame, sheared G-A count and summary; then sorting,
// numbering and the residue marks.
//
// The walk asks two questions over and over: which records touch the walk's
// last nucleotide, and which can be reached from it along unpaired backbone.
// Both are answered from indexes built once per structure (records per
// nucleotide, and maximal unpaired backbone stretches with each nucleotide's
// position in its stretch), so no step scans all records or walks the chain.
#include "secondary/loop.hpp"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>

#include "pairing/frame.hpp"
#include "pairing/pair.hpp"
#include "secondary/pknot.hpp"
#include "secondary/xref.hpp"
#include "structure/chain.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/arrays.hpp"
#include "support/bp_step_params.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/fitting.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr long MAX_OUT_OF_ORDER_NOTES = 9;  // "nts out of order" lines per structure

bool with_icpairs() { return (Gvars.isolated & 2) != 0; }
bool check_specials() { return Gvars.loop[6] != 0; }
bool mask_repeats() { return Gvars.loop[5] != 0; }
bool no_pknot_junctions() { return Gvars.loop[3] != 0; }

long& mark(long k, int slot, struct_mol& mol) { return mol.residues[k].flag[static_cast<size_t>(slot)]; }

// A closing-pair record: b-c the closing pair, a b's backbone neighbour on
// the loop side, d c's.
struct end_rec {
  std::array<long, 4> nts{};  // a, b, c, d
  bool used = false;
};

using quad = std::array<long, 4>;
quad oriented(const end_rec& e, bool forward) {
  return forward ? e.nts : quad{e.nts[3], e.nts[2], e.nts[1], e.nts[0]};
}

bool has_link(long x, long y, const struct_mol& mol) { return mol.residues[x].linked.has(y); }

// Frame of the base pair (x, y), smaller residue index first; the identity
// frame when a base frame is missing.
frame bp_frame_by_2nts(long x, long y, const struct_mol& mol) {
  if (x > y) std::swap(x, y);
  frame f;
  const frame* fx = base_frame(x, mol);
  const frame* fy = base_frame(y, mol);
  if (fx != nullptr && fy != nullptr) get_middle_bp_frame(*fx, *fy, f);
  return f;
}

long stem_pairs_of(long key, const helix_slots& helices) {
  return key > 0 && key <= helices.num_stems ? helices.stems[key].num_pairs : 1;
}

class loop_finder {
 public:
  loop_finder(struct_mol& mol, const helix_slots& helices)
      : mol_(mol), helices_(helices), in_walk_(static_cast<size_t>(mol.num_residues) + 1, 0) {}

  std::vector<loop> run() {
    collect_records();
    if (recs_.size() <= 1) return {};
    output_end_bps();
    index_records();
    build_stretches();
    std::vector<loop> loops;
    for (long r = 1; r < nrec(); ++r) {
      if (recs_[r].used) continue;
      std::vector<long> L;
      if (walk_record(r, L)) loops.push_back(make_loop(L));
    }
    return loops;
  }

 private:
  long nrec() const { return static_cast<long>(recs_.size()); }

  // ------------------------------------------------------------ records

  // The loop-side neighbour of stem nucleotide x of stem k: its first link
  // unless that one is in the same stem, then the second; none with one link.
  long loop_side_neighbour(long x, long k) const {
    const connect& lk = mol_.residues[x].linked;
    if (lk.count != 2) return 0;
    return get_stem_idx(lk[1], mol_) == k ? lk[2] : lk[1];
  }

  void add_record(long a, long b, long c, long d) {
    if (a == 0 || d == 0) return;
    end_rec e;
    e.nts = {a, b, c, d};
    recs_.push_back(e);
  }

  // Previous and next neighbours of an isolated-pair nucleotide x; a
  // "previous" one not joined O3'-P to x is swapped with the next.
  void assign_nts_around_icpair(long x, long& prev, long& next) {
    const connect& lk = mol_.residues[x].linked;
    prev = next = 0;
    if (lk.count >= 2) {
      if (lk[1] >= x) {
        next = lk[1];
        prev = lk[2];
      } else {
        prev = lk[1];
        next = lk[2];
      }
    } else if (lk.count == 1) {
      (lk[1] >= x ? next : prev) = lk[1];
    }
    if (prev != 0 && !is_nts_connected(prev, x, mol_)) {
      std::swap(prev, next);
      if (++out_of_order_ <= MAX_OUT_OF_ORDER_NOTES)
        logitf("[i] nts out of order: %s-%s[%ld]-%s[%ld]\n", mol_.base_name.c_str(),
               mol_.residues[x].idstr.c_str(), x, mol_.residues[next].idstr.c_str(), next);
    }
  }

  void collect_records() {
    recs_.assign(1, end_rec{});
    for (long k = 1; k <= helices_.num_stems; ++k) {
      const helix& S = helices_.stems[k];
      if (S.num_pairs < 1 || stem_to_skip(S)) continue;
      for (long end : {1L, S.num_pairs}) {
        const pair& p = S.pairs[end];
        add_record(loop_side_neighbour(p.nt1, k), p.nt1, p.nt2, loop_side_neighbour(p.nt2, k));
      }
    }
    if (with_icpairs()) {
      for (long k = 1; k <= helices_.num_isolated_pairs; ++k) {
        const pair& p = helices_.isolated_pairs[k];
        if (icpair_to_skip(p, mol_)) continue;
        long pb = 0, nb = 0, pc = 0, nc = 0;
        assign_nts_around_icpair(p.nt1, pb, nb);
        assign_nts_around_icpair(p.nt2, pc, nc);
        add_record(pb, p.nt1, p.nt2, nc);
        add_record(nb, p.nt1, p.nt2, pc);
      }
    }
    for (long r = 1; r < nrec(); ++r)
      for (long x : recs_[r].nts) ++mark(x, rf::loop_end_count, mol_);
  }

  std::string end_member(long x) const {
    return sformat("%s.%ld[%ld]", mol_.residues[x].idstr.c_str(), mark(x, rf::loop_end_count, mol_), x);
  }

  void output_end_bps() const {
    if (!verbose2()) return;
    prglog_msg("\nList of %ld stem end(s) or isolated WC pair(s):\n", nrec() - 1);
    for (long r = 1; r < nrec(); ++r) {
      const quad& q = recs_[r].nts;
      prglog_msg("%4ld %s<--%s-%s-->%s\n", r, end_member(q[0]).c_str(), end_member(q[1]).c_str(),
                 end_member(q[2]).c_str(), end_member(q[3]).c_str());
    }
    prglog_msg("\n");
  }

  // Records holding each nucleotide.
  void index_records() {
    recs_of_nt_.assign(static_cast<size_t>(mol_.num_residues) + 1, {});
    for (long r = 1; r < nrec(); ++r)
      for (long x : recs_[r].nts)
        if (std::find(recs_of_nt_[x].begin(), recs_of_nt_[x].end(), r) == recs_of_nt_[x].end())
          recs_of_nt_[x].push_back(r);
  }

  // ------------------------------------------------------------ unpaired stretches

  // Paired for the walk: a stem partner (or with isolated pairs in loops a
  // canonical partner), unless flagged unlinked-pair or masked.
  bool paired(long x) const {
    if (mark(x, rf::unlinked_pair, mol_) || mark(x, rf::loop_masked, mol_)) return false;
    return (with_icpairs() ? get_cpair_nt(x, mol_) : get_stem_nt(x, mol_)) != 0;
  }

  bool free_nt(long x) const { return is_nt(x, mol_) && !paired(x); }

  // The unpaired backbone neighbours of x on its own model and chain.
  long free_neighbour(long x, long not_this) const {
    const connect& lk = mol_.residues[x].linked;
    for (long m = 1; m <= lk.count && m <= 2; ++m) {
      const long y = lk[m];
      if (y != not_this && free_nt(y) && with_same_model_chain(x, y, mol_)) return y;
    }
    return 0;
  }

  // Maximal runs of unpaired nucleotides along the backbone: a canonical-free
  // path joins two nucleotides exactly when they lie in one run.
  void build_stretches() {
    const size_t n = static_cast<size_t>(mol_.num_residues) + 1;
    stretch_.assign(n, 0);
    pos_.assign(n, 0);
    runs_.assign(1, {});
    run_circular_.assign(1, 0);
    for (long k = 1; k <= mol_.num_residues; ++k) add_stretch_from(k);
    entries_.assign(runs_.size(), {});
    for (long r = 1; r < nrec(); ++r) {
      const quad& q = recs_[r].nts;
      if (stretch_[q[0]] != 0) entries_[stretch_[q[0]]].push_back(r);
      if (stretch_[q[3]] != 0 && stretch_[q[3]] != stretch_[q[0]]) entries_[stretch_[q[3]]].push_back(r);
    }
  }

  // The run through k as a new stretch, when k is free and in none yet.
  void add_stretch_from(long k) {
    if (stretch_[k] != 0 || !free_nt(k)) return;
    std::vector<long> left, right;
    bool circular = false;
    auto side = [&](long first, std::vector<long>& out) {
      long prev = k, cur = first;
      while (cur != 0 && cur != k) {
        out.push_back(cur);
        const long next = free_neighbour(cur, prev);
        prev = cur;
        cur = next;
      }
      if (cur == k && first != 0) circular = true;
    };
    const long first = free_neighbour(k, 0);
    side(first, right);
    if (!circular) {
      const long second = first == 0 ? 0 : free_neighbour(k, first);
      side(second, left);
    }
    std::vector<long> nodes(left.rbegin(), left.rend());
    nodes.push_back(k);
    nodes.insert(nodes.end(), right.begin(), right.end());
    const long id = static_cast<long>(runs_.size());
    for (size_t m = 0; m < nodes.size(); ++m) {
      stretch_[nodes[m]] = id;
      pos_[nodes[m]] = static_cast<long>(m);
    }
    runs_.push_back(std::move(nodes));
    run_circular_.push_back(circular ? 1 : 0);
  }

  // After masking freed some nucleotides: the runs they may join are made
  // again (as new stretches, from their smallest nucleotide up, as a whole
  // build would make them), the others keep theirs. Stretch ids are only
  // compared, so new numbers for the new runs change nothing else.
  void rebuild_stretches_around(const std::vector<long>& freed) {
    std::vector<long> nodes;
    auto take_run = [&](long x) {
      const long s = stretch_[x];
      if (s == 0) return;
      nodes.insert(nodes.end(), runs_[s].begin(), runs_[s].end());
      for (long y : runs_[s]) stretch_[y] = 0;
      runs_[s].clear();
      entries_[s].clear();
    };
    for (long x : freed) {
      nodes.push_back(x);
      take_run(x);
      const connect& lk = mol_.residues[x].linked;
      for (long m = 1; m <= lk.count && m <= 2; ++m) take_run(lk[m]);
    }
    sort_unique(nodes);
    const size_t first_new = runs_.size();
    for (long y : nodes) add_stretch_from(y);
    entries_.resize(runs_.size());
    for (size_t s = first_new; s < runs_.size(); ++s)
      for (long y : runs_[s])
        for (long r : recs_of_nt_[y])
          if (recs_[r].nts[0] == y || recs_[r].nts[3] == y) entries_[s].push_back(r);
    for (size_t s = first_new; s < runs_.size(); ++s) sort_unique(entries_[s]);
  }

  // Steps of the canonical-free path from x to y; 0 for x = y, -1 without one.
  long cf_dist(long x, long y) const {
    if (x == y) return 0;
    const long s = stretch_[x];
    if (s == 0 || s != stretch_[y]) return -1;
    const long d = std::labs(pos_[x] - pos_[y]);
    if (!run_circular_[s]) return d;
    return std::min(d, static_cast<long>(runs_[s].size()) - d);
  }

  bool joins(long x, long y) const { return x == y || cf_dist(x, y) > 0; }

  // The nucleotides strictly between x and y on their canonical-free path;
  // any backbone path when there is none.
  std::vector<long> inner_path(long x, long y) const {
    std::vector<long> inner;
    if (x == y) return inner;
    if (cf_dist(x, y) > 0) {
      const std::vector<long>& nodes = runs_[stretch_[x]];
      const long n = static_cast<long>(nodes.size());
      const long px = pos_[x], py = pos_[y];
      long dir = py > px ? 1 : -1;
      if (run_circular_[stretch_[x]] && std::labs(py - px) * 2 > n) dir = -dir;
      for (long p = (px + dir + n) % n; p != py; p = (p + dir + n) % n) inner.push_back(nodes[p]);
      return inner;
    }
    std::vector<long> path;
    const long d = nts_i2j_dist(x, y, mol_.num_nts, mol_, &path);
    for (long m = 2; m <= d; ++m) inner.push_back(path[m]);
    return inner;
  }

  // ------------------------------------------------------------ the walk

  struct choice {
    long rec = 0;
    bool forward = true;
  };

  long count_in_last4(const std::vector<long>& L, const quad& q) const {
    const size_t n = L.size(), from = n > 4 ? n - 4 : 0;
    long cnt = 0;
    for (long x : q)
      if (std::find(L.begin() + static_cast<long>(from), L.end(), x) != L.end()) ++cnt;
    return cnt;
  }

  static bool holds(const quad& q, long x) { return std::find(q.begin(), q.end(), x) != q.end(); }

  // The smallest m (1..upto) with q[0..m-1] equal to L's last m entries; 0 for none.
  static long prefix_match(const std::vector<long>& L, const quad& q, long upto) {
    const long n = static_cast<long>(L.size());
    for (long m = 1; m <= upto && m <= n; ++m) {
      bool same = true;
      for (long j = 0; j < m && same; ++j) same = q[j] == L[n - m + j];
      if (same) return m;
    }
    return 0;
  }

  // m of an overlap join of q onto L, 0 for a path join.
  long overlap_join(const std::vector<long>& L, const quad& q) const {
    const long cnt = count_in_last4(L, q);
    if (cnt < 1 || cnt > 3 || !holds(q, L.back())) return 0;
    return prefix_match(L, q, cnt);
  }

  // Candidate records near x: those holding x and those entered from x's stretch.
  void add_candidates(long x, std::vector<long>& out) const {
    out.insert(out.end(), recs_of_nt_[x].begin(), recs_of_nt_[x].end());
    if (stretch_[x] != 0) out.insert(out.end(), entries_[stretch_[x]].begin(), entries_[stretch_[x]].end());
  }
  static void sort_unique(std::vector<long>& v) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
  }

  // First step: the record itself (a hairpin), else a record closing a
  // two-stranded loop with r.
  bool first_choice(long r, const std::vector<long>& L, choice& out) const {
    const quad& q = recs_[r].nts;
    const long a = q[0], d = q[3];
    if (a == d || cf_dist(a, d) > 0) {
      out = {r, true};
      return true;
    }
    std::vector<long> cand;
    add_candidates(a, cand);
    add_candidates(d, cand);
    sort_unique(cand);
    for (long s : cand) {
      if (s == r || recs_[s].used) continue;
      const quad& f = recs_[s].nts;
      const quad rv = oriented(recs_[s], false);
      const long shared = count_in_last4(L, f);
      if (shared >= 1 && shared <= 3 && holds(f, d)) {
        if (prefix_match(L, f, shared) && joins(a, f[3])) {
          out = {s, true};
          return true;
        }
        if (prefix_match(L, rv, shared) && joins(a, f[0])) {
          out = {s, false};
          return true;
        }
        continue;
      }
      if (joins(a, f[3]) && joins(d, f[0])) {
        out = {s, true};
        return true;
      }
      if (joins(a, f[0]) && joins(d, f[3])) {
        out = {s, false};
        return true;
      }
    }
    return false;
  }

  // Orientation of an overlap join of record s onto L, if any.
  bool overlap_orientation(const std::vector<long>& L, long s, bool& forward) const {
    const quad f = recs_[s].nts;
    const long shared = count_in_last4(L, f);
    if (shared < 1 || shared > 3 || !holds(f, L.back())) return false;
    if (prefix_match(L, f, shared)) {
      forward = true;
      return true;
    }
    if (prefix_match(L, oriented(recs_[s], false), shared)) {
      forward = false;
      return true;
    }
    return false;
  }

  // Later steps: a record overlapping L's end, else the nearest one along
  // unpaired backbone.
  bool general_choice(const std::vector<long>& L, choice& out) const {
    const long last = L.back();
    std::vector<long> cand;
    add_candidates(last, cand);
    sort_unique(cand);
    long best = -1;
    for (size_t i = 0; i < cand.size(); ++i) {
      const long s = cand[i];
      if (recs_[s].used) continue;
      const quad& f = recs_[s].nts;
      const long shared = count_in_last4(L, f);
      if (shared == 4 && holds(f, last)) continue;
      bool forward = true;
      if (overlap_orientation(L, s, forward)) {
        // the record sharing most with L's end wins, the first on a tie
        long pick = s, most = shared;
        for (size_t j = i + 1; j < cand.size(); ++j) {
          const long t = cand[j];
          if (recs_[t].used || !holds(recs_[t].nts, last)) continue;
          const long c = count_in_last4(L, recs_[t].nts);
          if (c >= 1 && c <= 3 && c > most) {
            most = c;
            pick = t;
          }
        }
        bool fw = forward;
        if (pick != s && !overlap_orientation(L, pick, fw)) {
          pick = s;
          fw = forward;
        }
        out = {pick, fw};
        return true;
      }
      for (bool fw : {true, false}) {
        const long d = cf_dist(last, fw ? f[0] : f[3]);
        if (d > 0 && (best < 0 || d < best)) {
          best = d;
          out = {s, fw};
        }
      }
    }
    return best > 0;
  }

  bool in_walk(long x) const { return in_walk_[x] > 0; }
  void push(std::vector<long>& L, long x) {
    L.push_back(x);
    ++in_walk_[x];
  }
  void clear_walk(const std::vector<long>& L) {
    for (long x : L) in_walk_[x] = 0;
  }

  bool closes(const std::vector<long>& L, const quad& q) const {
    const long last = L.back(), first = L.front();
    if (!has_link(last, first, mol_) && get_stem_icpair_nt(last, mol_) != first) return false;
    for (long x : q)
      if (!in_walk(x)) return false;
    return true;
  }

  enum class step { open, closed, failed };

  step append(std::vector<long>& L, const quad& q) {
    const long m = overlap_join(L, q);
    std::vector<long> todo;
    if (m > 0) {
      todo.assign(q.begin() + m, q.end());
    } else {
      todo = inner_path(L.back(), q[0]);
      todo.insert(todo.end(), q.begin(), q.end());
    }
    for (long y : todo) {
      if (closes(L, q)) return step::closed;
      if (in_walk(y) && get_icpair_idx(y, mol_) == 0) return step::failed;
      push(L, y);
    }
    if (closes(L, q)) return step::closed;
    if (m == 0 && cf_dist(L.back(), L.front()) > 0) {
      for (long y : inner_path(L.back(), L.front())) push(L, y);
      return step::closed;
    }
    return step::open;
  }

  // A nucleotide met twice: the walk ran into an inner loop, which it keeps.
  bool cut_inner_loop(std::vector<long>& L) {
    const long n = static_cast<long>(L.size());
    long repeats = 0;
    for (long x : L) repeats += in_walk_[x] > 1;
    if (repeats == 0) return false;
    for (long i = 0; i < n; ++i) {
      if (in_walk_[L[i]] < 2) continue;
      long j = i + 1;
      while (j < n && L[j] != L[i]) ++j;
      if (j >= n) continue;
      const std::string before = get_residues_abbr_full_ids(n, one_based(L), mol_);
      prglog_msg("\n[i] inner-loop: k=%ld nts=%ld %s\n", repeats, n, before.c_str());
      std::vector<long> cut(L.begin() + i, L.begin() + j);
      for (long x : L) in_walk_[x] = 0;
      L.swap(cut);
      for (long x : L) ++in_walk_[x];
      prglog_msg("     tidied-up: nts=%ld %s\n", static_cast<long>(L.size()),
                 get_residues_abbr_full_ids(static_cast<long>(L.size()), one_based(L), mol_).c_str());
      return true;
    }
    return false;
  }

  static std::vector<long> one_based(const std::vector<long>& v) {
    std::vector<long> w(1, 0);
    w.insert(w.end(), v.begin(), v.end());
    return w;
  }

  // One walk from record r into L; false when it does not close.
  bool trace(long r, std::vector<long>& L) {
    L.clear();
    for (long x : recs_[r].nts) push(L, x);
    std::vector<char> entered(static_cast<size_t>(nrec()) * 2, 0);
    bool first = true;
    for (;;) {
      choice c;
      bool found = first && first_choice(r, L, c);
      if (!found) found = general_choice(L, c);
      if (!found) return false;
      char& seen = entered[static_cast<size_t>(c.rec) * 2 + (c.forward ? 0 : 1)];
      if (seen) return false;
      seen = 1;
      first = false;
      const step s = append(L, oriented(recs_[c.rec], c.forward));
      if (s == step::failed) return false;
      if (s == step::closed) return true;
      if (check_specials() && L.size() > 1 && cut_inner_loop(L)) return true;
    }
  }

  void log_special_case(const std::string& text, const std::vector<long>& nts) {
    ++num_specials_;
    if (!verbose2()) return;
    const long n = static_cast<long>(nts.size());
    std::vector<long> list = one_based(nts);
    const std::string line = sformat("[special#%ld] %s nts=%ld %s\n", num_specials_, text.c_str(), n,
                                     get_residues_abbr_full_ids(n, list, mol_).c_str());
    prglog_msg("%s", line.c_str());
    scoped_file sf(append_file(name_pdbcif_outfile("specials")));
    FILE* fp = sf.get();
    if (fp == nullptr) return;
    const std::string remark = line.substr(0, line.size() - 1);  // without its line end
    begin_ensemble_model(fp, num_specials_, {sformat("model=%ld  %s", num_specials_, remark.c_str())}, mol_);
    write_residue_set_pdb_frame(n, list, nullptr, 0, mol_, fp);
    end_ensemble_model(fp);
    mol_.cif_model = 0;  // the file is appended to, not closed as an ensemble: later rows are not its models
    sf.close();
  }

  // A record that encloses a one-nucleotide hairpin or a 0x0 internal loop.
  bool is_special_case(long r) {
    const quad& q = recs_[r].nts;
    std::string text;
    std::vector<long> nts;
    if (q[0] == q[3]) {
      text = sformat(" 1-nt hairpin loop [#%ld]", get_stem_icpair_idx(q[1], mol_));
      nts = {q[1], q[0], q[2]};
    } else if (get_stem_icpair_nt(q[0], mol_) == q[3]) {
      text = sformat(" 0x0 internal loop [#%ld, #%ld]", get_stem_icpair_idx(q[0], mol_),
                     get_stem_icpair_idx(q[1], mol_));
      nts = {q[0], q[1], q[2], q[3]};
    } else {
      return false;
    }
    recs_[r].used = true;
    log_special_case(text, nts);
    return true;
  }

  // Runs of closing nucleotides must be pairs and single strands continuous.
  bool check_loop(long r, const std::vector<long>& L) {
    std::vector<long> ordered = L;
    order_loop_nts(ordered);
    const long n = static_cast<long>(ordered.size());
    long nseg = 0;
    const std::vector<long> keys = loop_keys(ordered);
    const std::vector<segidx> segs = get_segidx(n, keys, nseg);
    std::string text;
    for (long s = 1; s <= nseg && text.empty(); ++s) {
      const segidx& g = segs[s];
      if (g.key != 0) {
        if (g.count != 2) text = sformat(" s->num=%ld <> 2 [#%ld]", g.count, g.key);
        continue;
      }
      // position i stands for entry i - 1: the strand runs from entry
      // start - 2 (a closing nucleotide) to entry end
      auto entry = [&](long i) { return ordered[static_cast<size_t>(((i - 1) % n + n) % n)]; };
      for (long p = g.start - 2; p < g.end && text.empty(); ++p)
        if (!has_link(entry(p), entry(p + 1), mol_)) text = sformat(" s->num=%ld with canonical pairs", g.count);
    }
    if (text.empty()) return true;
    recs_[r].used = true;
    log_special_case(text, ordered);
    return false;
  }

  // Masks the nucleotides the walk met twice (through a knotted isolated
  // pair) and the records they close; true when anything was masked.
  bool mask_repeated(const std::vector<long>& L, std::vector<long>& freed) {
    long masked = 0;
    std::vector<long> seen;
    for (long x : L) {
      if (in_walk_[x] < 2 || std::find(seen.begin(), seen.end(), x) != seen.end()) continue;
      seen.push_back(x);
      const long y = get_cpair_nt(x, mol_);
      prglog_msg("\t%ld (%s) vs. %ld (%s) -- repeated\n", x, mol_.residues[x].idstr.c_str(), y,
                 y > 0 ? mol_.residues[y].idstr.c_str() : "");
      for (long s : recs_of_nt_[x]) {  // the records holding x, in record order
        end_rec& e = recs_[s];
        if (e.used || y == 0) continue;
        if (!((e.nts[1] == x && e.nts[2] == y) || (e.nts[1] == y && e.nts[2] == x))) continue;
        e.used = true;
        mark(x, rf::loop_masked, mol_) = 1;
        mark(y, rf::loop_masked, mol_) = 1;
        freed.push_back(x);
        freed.push_back(y);
        prglog_msg("\t -- masked %ld\n", s);
        ++masked;
      }
    }
    if (masked == 0) return false;
    const long n = static_cast<long>(L.size());
    prglog_msg("excluding repeated nts in loop -- %ld nts\n%s\n-- masked %ld ends\n", n,
               get_residues_abbr_full_ids(n, one_based(L), mol_).c_str(), masked);
    return true;
  }

  bool walk_record(long r, std::vector<long>& L) {
    if (is_special_case(r)) return false;
    for (;;) {
      const bool closed = trace(r, L);
      if (!closed) {
        clear_walk(L);
        recs_[r].used = true;
        return false;
      }
      if (!check_loop(r, L)) {
        clear_walk(L);
        return false;
      }
      if (mask_repeats() && mask_repeated(L, freed_)) {
        clear_walk(L);
        if (recs_[r].used) return false;
        // the stretches are made again only here; nucleotides freed by an
        // earlier masking that ended its walk wait until then
        rebuild_stretches_around(freed_);
        freed_.clear();
        continue;
      }
      // the records wholly inside the walk hold its nucleotides
      for (long x : L)
        for (long s : recs_of_nt_[x]) {
          end_rec& e = recs_[s];
          if (!e.used && std::all_of(e.nts.begin(), e.nts.end(), [&](long y) { return in_walk(y); }))
            e.used = true;
        }
      clear_walk(L);
      order_loop_nts(L);
      return true;
    }
  }

  // ------------------------------------------------------------ one loop

  // Rotates L to start at the smallest closing nucleotide whose partner is
  // next to it, running away from that partner and ending with it.
  void order_loop_nts(std::vector<long>& L) const {
    const long n = static_cast<long>(L.size());
    long best = -1;  // position of the chosen nucleotide
    bool partner_after = false;
    for (long i = 0; i < n; ++i) {
      const long x = L[i], y = L[(i + 1) % n];
      if (n < 2 || get_stem_icpair_nt(x, mol_) != y) continue;
      for (auto [p, after] : {std::pair{i, true}, std::pair{(i + 1) % n, false}}) {
        if (best < 0 || L[p] < L[best]) {
          best = p;
          partner_after = after;
        }
      }
    }
    if (best < 0) return;
    std::vector<long> out;
    out.reserve(L.size());
    for (long k = 0; k < n; ++k) out.push_back(partner_after ? L[(best - k + n) % n] : L[(best + k) % n]);
    if (n > 2) {
      const long k1 = get_stem_icpair_idx(out[0], mol_);
      if (k1 != get_stem_icpair_idx(out[n - 1], mol_) && k1 == get_stem_icpair_idx(out[1], mol_)) {
        std::reverse(out.begin() + 1, out.end());
        if (verbose2()) prglog_msg("*** reversed nts order: %ld-%ld...%ld\n", out[0], out[1], out[n - 1]);
      }
    }
    L.swap(out);
  }

  // The closing index keys of list positions 1..n (1-based vector): position
  // i takes the key of entry i - 1, position 1 that of the last entry.
  std::vector<long> loop_keys(const std::vector<long>& L) const {
    const long n = static_cast<long>(L.size());
    std::vector<bool> in(static_cast<size_t>(mol_.num_residues) + 1, false);
    for (long x : L) in[x] = true;
    std::vector<long> keys(static_cast<size_t>(n) + 1, 0);
    for (long i = 1; i <= n; ++i) {
      const long x = L[i >= 2 ? i - 2 : n - 1];
      if (mark(x, rf::unlinked_pair, mol_) || mark(x, rf::loop_masked, mol_)) continue;
      const long partner = get_stem_icpair_nt(x, mol_);
      if (partner <= 0 || !in[partner]) continue;
      const long k = get_stem_icpair_idx(x, mol_);
      if (k > 0 || with_icpairs()) keys[i] = k;
    }
    return keys;
  }

  long circular_flag(long x) const {
    const long c = on_na_chain(x, mol_);
    return c >= 1 && c <= mol_.num_chains ? mol_.chains[c].circular : 0;
  }

  // 1 when the backbone path from x to y runs one way along residue index.
  long path_in_order(long x, long y) const {
    std::vector<long> path;
    const long d = x == y ? 0 : nts_i2j_dist(x, y, mol_.num_nts, mol_, &path);
    if (d == 0) return 1;
    long up = 0, down = 0;
    for (long m = 1; m <= d; ++m) (path[m + 1] > path[m] ? up : down) += 1;
    return up == d || down == d ? 1 : circular_flag(x);
  }

  loop make_loop(const std::vector<long>& walk) {
    loop L;
    L.num_nts = static_cast<long>(walk.size());
    L.nts = one_based(walk);
    const long n = L.num_nts;
    long nseg = 0;
    const std::vector<long> keys = loop_keys(walk);
    const std::vector<segidx> segs = get_segidx(n, keys, nseg);
    L.bridges.assign(1, cfrag{});
    for (long s = 1; s <= nseg; ++s) {
      const segidx& g = segs[s];
      if (g.key == 0) {
        if (L.bridges.size() > 1 && L.bridges.back().end + 1 == g.start) {
          L.bridges.back().end = g.end;
          L.bridges.back().num_loop_nts = g.count;
        }
        continue;
      }
      VASK_ASSERT(g.count == 2);
      cfrag c;
      c.nt1 = L.nts[g.start == 1 ? n : g.start - 1];
      c.nt2 = L.nts[g.start];
      c.key = g.key;
      c.start = g.start;
      c.end = g.start + 1;
      L.bridges.push_back(c);
    }
    L.num_bridges = static_cast<long>(L.bridges.size()) - 1;
    for (long j = 1; j <= L.num_bridges; ++j) {
      cfrag& c = L.bridges[j];
      const long to = c.end <= n ? L.nts[c.end] : L.nts[1];
      c.in_order = path_in_order(L.nts[c.start], to);
    }
    set_type_and_text(L);
    derive_loop_frame(L);
    L.num_sheared_GA = get_number_of_sheared_GA(L);
    L.summary = get_loop_summary(L);
    return L;
  }

  void set_type_and_text(loop& L) const {
    const long k = L.num_bridges;
    if (k <= 1) {
      L.distinct = 1;
    } else if (k == 2) {
      L.distinct = L.bridges[1].key != L.bridges[2].key;
    } else {
      std::vector<long> keys(1, 0);
      for (long j = 1; j <= k; ++j) keys.push_back(L.bridges[j].key);
      L.distinct = lvector_has_distinct_values(k, keys);
    }
    if (k == 1) {
      L.is_hairpin = 1;
      L.text = sformat("hairpin loop: nts=%ld", L.num_nts);
    } else if (k == 2) {
      const long n1 = L.bridges[1].num_loop_nts, n2 = L.bridges[2].num_loop_nts;
      if (n1 > 0 && n2 > 0) {
        L.is_internal = 1;
        (n1 == n2 ? L.is_symmetric : L.is_asymmetric) = 1;
        L.text = sformat("%s internal loop: nts=%ld", n1 == n2 ? "symmetric" : "asymmetric", L.num_nts);
      } else {
        L.is_bulge = 1;
        L.text = sformat("bulge: nts=%ld", L.num_nts);
      }
    } else {
      L.is_junction = 1;
      L.text = sformat("%ld-way junction: nts=%ld", k, L.num_nts);
    }
    L.text += "; [";
    for (long j = 1; j <= k; ++j) L.text += sformat(j < k ? "%ld," : "%ld]", L.bridges[j].num_loop_nts);
    L.text += "; linked by [";
    for (long j = 1; j <= k; ++j) L.text += sformat(j < k ? "#%ld," : "#%ld]", L.bridges[j].key);
  }

  void derive_loop_frame(loop& L) const {
    const long k = L.num_bridges;
    if (k < 1) return;
    std::vector<frame> bp(static_cast<size_t>(k) + 1);
    for (long j = 1; j <= k; ++j) bp[j] = bp_frame_by_2nts(L.bridges[j].nt1, L.bridges[j].nt2, mol_);
    if (k == 1) {
      L.frame = bp[1];
      return;
    }
    if (k == 2) {
      get_middle_step_frame(bp[1], bp[2], L.frame);
      return;
    }
    std::vector<xyz> pts(static_cast<size_t>(k) + 1);
    for (long j = 1; j <= k; ++j) pts[j] = bp[j].org;
    xyz normal, centre;
    ls_plane(k, pts, normal, centre, nullptr);
    xyz x;
    diff_xyz(centre, pts[1], x);
    orth_xyz(x, normal);
    xyz y;
    cross_xyz(normal, x, y);
    L.frame = frame{};
    L.frame.org = centre;
    L.frame.x_axis = x;
    L.frame.y_axis = y;
    L.frame.z_axis = normal;
  }

  long get_number_of_sheared_GA(const loop& L) const {
    long count = 0;
    for (long i = 1; i <= L.num_nts; ++i) {
      const long partner = mark(L.nts[i], rf::sheared_partner, mol_);
      if (partner > 0 && std::find(L.nts.begin() + 1, L.nts.end(), partner) != L.nts.end()) ++count;
    }
    if (count % 2 == 0) return count / 2;
    logitf("[w]  sheared G-A pair [%ld]: %s\n", count, L.text.c_str());
    return (count + 1) / 2;
  }

  std::string nt_label(long x) const {
    const residue& r = mol_.residues[x];
    return sformat("%s.%ld", r.chain_id.c_str(), r.res_seq);
  }

  std::string get_loop_summary(const loop& L) {
    std::string s = sformat("[%ld]", L.num_bridges);
    for (long j = 1; j <= L.num_bridges; ++j) s += sformat(" %ld", L.bridges[j].num_loop_nts);
    s += " [";
    for (long j = 1; j <= L.num_bridges; ++j) {
      const cfrag& c = L.bridges[j];
      if (j > 1) s += " ";
      s += j == 1 ? nt_label(c.nt2) + " " + nt_label(c.nt1) : nt_label(c.nt1) + " " + nt_label(c.nt2);
      mark(c.nt1, rf::loop_closing, mol_) = 1;
      mark(c.nt2, rf::loop_closing, mol_) = 1;
    }
    s += "]";
    for (long j = 1; j <= L.num_bridges; ++j) s += sformat(" %ld", stem_pairs_of(L.bridges[j].key, helices_));
    return s;
  }

  struct_mol& mol_;
  const helix_slots& helices_;
  std::vector<end_rec> recs_;                 // 1-based
  std::vector<std::vector<long>> recs_of_nt_;  // per residue: the records holding it
  std::vector<long> stretch_, pos_;           // per residue: unpaired stretch (0 none) and position in it
  std::vector<std::vector<long>> runs_;       // stretch members in backbone order; [0] unused
  std::vector<char> run_circular_;
  std::vector<std::vector<long>> entries_;    // per stretch: records whose a or d lies in it
  std::vector<long> freed_;                   // nucleotides masked since the stretches were made
  std::vector<int> in_walk_;                  // per residue: times in the current walk
  long out_of_order_ = 0;
  long num_specials_ = 0;
};

void number_and_mark_loops(long n, std::vector<loop>& loops, struct_mol& mol, loop_slots& out) {
  long hl = 0, bl = 0, il = 0, jc = 0;
  for (long i = 1; i <= n; ++i) {
    loop& L = loops[i];
    L.index = i;
    int idx_slot = 0, num_slot = 0;
    if (L.is_hairpin) {
      L.type_index = ++hl;
      idx_slot = rf::hairpin_loop;
      num_slot = rf::hairpin_loop_number;
    } else if (L.is_bulge) {
      L.type_index = ++bl;
      idx_slot = rf::bulge;
      num_slot = rf::bulge_number;
    } else if (L.is_internal) {
      L.type_index = ++il;
      idx_slot = rf::iloop;
      num_slot = rf::iloop_number;
    } else if (L.is_junction && (L.distinct || !no_pknot_junctions())) {
      L.type_index = ++jc;
      idx_slot = rf::junction;
      num_slot = rf::junction_number;
    }
    if (idx_slot == 0) continue;
    for (long m = 1; m <= L.num_nts; ++m) {
      const long x = L.nts[m];
      mark(x, idx_slot, mol) = i;
      mark(x, num_slot, mol) = L.type_index;
      if (!L.is_hairpin) mark(x, rf::in_loop, mol) = 1;
    }
  }
  for (long k = 1; k <= mol.num_residues; ++k)
    if (mark(k, rf::hairpin, mol) != 0) mark(k, rf::in_loop, mol) = 1;
  out.num_hairpin_loops = hl;
  out.num_bulges = bl;
  out.num_iloops = il;
  out.num_junctions = jc;
  if (!no_pknot_junctions()) VASK_ASSERT(hl + bl + il + jc == n);
}

}  // namespace

std::vector<loop> allocate_loops_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<loop>(static_cast<size_t>(n) + 1);
}

void free_loops(long n, std::vector<loop>& loops) {
  (void)n;
  std::vector<loop>().swap(loops);
}

bool loop_compare(const loop& a, const loop& b) {
  if (!Gvars.loop[1] && a.is_hairpin && b.is_hairpin) return a.nts[1] < b.nts[1];
  if (a.num_bridges != b.num_bridges) return a.num_bridges < b.num_bridges;
  if (a.num_nts != b.num_nts) return a.num_nts < b.num_nts;
  return a.nts[1] < b.nts[1];
}

void find_loops(struct_mol& mol, const helix_slots& helices, loop_slots& out) {
  out.num_loops = out.num_hairpin_loops = out.num_bulges = out.num_iloops = out.num_junctions = 0;
  out.loops.clear();
  if (helices.num_stems == 0 && helices.num_isolated_pairs == 0) return;
  std::vector<loop> found = loop_finder(mol, helices).run();
  std::stable_sort(found.begin(), found.end(), loop_compare);
  const long n = static_cast<long>(found.size());
  out.loops.resize(1);
  for (loop& L : found) out.loops.push_back(std::move(L));
  out.num_loops = n;
  number_and_mark_loops(n, out.loops, mol, out);
  total_counts("bulges", out.num_bulges);
  total_counts("internal loops", out.num_iloops);
  total_counts("junctions", out.num_junctions);
  if (verbose2()) total_counts("hairpins*", out.num_hairpin_loops);
}

// ---------------------------------------------------------------------------
// Angles

namespace {

// The unit axis of stem k from its nucleotides; the z-axis of its middle
// pair when the stem is too short for an axis.
xyz stem_axis(long k, const helix_slots& helices, const struct_mol& mol) {
  const helix& S = helices.stems[k];
  helixVec v;
  std::vector<long> strand(1, 0);
  strand.insert(strand.end(), S.strand1.begin() + 1, S.strand1.begin() + S.num_pairs + 1);
  get_global_rise_per_tvec(S.num_pairs, strand, mol, v);
  if (v.axis[1] != DBL_MAX) return v.axis;
  return S.pairs[(S.num_pairs + 1) / 2].frame.z_axis;
}

xyz closing_axis(long key, struct_mol& mol, const helix_slots& helices) {
  if (key > 0 && key <= helices.num_stems) return stem_axis(key, helices, mol);
  if (key < 0 && -key <= helices.num_isolated_pairs) return helices.isolated_pairs[-key].frame.z_axis;
  return {0, 0, 0, 1};
}

}  // namespace

double get_stems_angle_by_indices(long k1, long k2, struct_mol& mol, const helix_slots& helices) {
  xyz a = closing_axis(k1, mol, helices), b = closing_axis(k2, mol, helices);
  norm_xyz(a);
  norm_xyz(b);
  return angle90_normalized_vectors(a, b);
}

double get_stems_angle_by_nts(long nt1, long nt2, struct_mol& mol, const helix_slots& helices) {
  return get_stems_angle_by_indices(get_stem_icpair_idx(nt1, mol), get_stem_icpair_idx(nt2, mol), mol, helices);
}

double get_angle_between_pairs(const pair& p1, const pair& p2) {
  return angle90_normalized_vectors(p1.frame.z_axis, p2.frame.z_axis);
}

double get_cfrags_angle(const cfrag& c1, const cfrag& c2, struct_mol& mol) {
  pair p1, p2;
  populate_one_base_pair(c1.nt1, c1.nt2, mol, p1);
  populate_one_base_pair(c2.nt1, c2.nt2, mol, p2);
  return get_angle_between_pairs(p1, p2);
}

}  // namespace vask
