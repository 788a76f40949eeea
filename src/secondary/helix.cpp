// The helix record, its descriptors and marks, and the pair-linkage table.
#include "secondary/helix.hpp"

#include <algorithm>

#include "pairing/plane.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/log.hpp"
#include "support/string.hpp"

namespace vask {

// ---------------------------------------------------------------------------
// Record

void init_one_helix(helix& h) { h = helix{}; }

std::vector<helix> allocate_helices_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<helix>(static_cast<size_t>(n + 1));
}

void copy_one_helix(const helix& src, helix& dst) { dst = src; }

void copy_one_helix_nopars(const helix& src, helix& dst) {
  dst.num_pairs = src.num_pairs;
  dst.num_hbonds = src.num_hbonds;
  dst.same_chain = src.same_chain;
  dst.overlap = src.overlap;
  dst.parallel = src.parallel;
  dst.breaks = src.breaks;
  dst.circular = src.circular;
  dst.disorder1 = src.disorder1;
  dst.breaks1 = src.breaks1;
  dst.disorder2 = src.disorder2;
  dst.breaks2 = src.breaks2;
  dst.num_imotif_pairs = src.num_imotif_pairs;
  const size_t n = static_cast<size_t>(src.num_pairs + 1);
  dst.strand1.assign(src.strand1.begin(), src.strand1.begin() + static_cast<long>(n));
  dst.strand2.assign(src.strand2.begin(), src.strand2.begin() + static_cast<long>(n));
  dst.pairs.assign(src.pairs.begin(), src.pairs.begin() + static_cast<long>(n));
}

void free_one_helix(helix& h) { h = helix{}; }

void free_helices(long, std::vector<helix>& helices) { std::vector<helix>().swap(helices); }

bool is_anti_parallel(const helix& h) { return h.overlap == 0 && h.parallel == 0; }

bool with_one_valid_helix(long n, const std::vector<helix>& helices) {
  return n == 1 && is_anti_parallel(helices[1]);
}

int helix_compare(const helix& a, const helix& b) {
  const long x = a.strand1[1], y = b.strand1[1];
  return x < y ? -1 : x > y ? 1 : 0;
}

std::string set_helix_markers(const helix& h, const struct_mol& mol) {
  const std::string par = (h.breaks == 0 && h.parallel) ? " parallel" : "";
  const std::string imotif =
      h.num_imotif_pairs >= 2 ? sformat(" i-motif-pairs=%ld", h.num_imotif_pairs) : std::string();
  if (!verbose2()) return sformat("bps=%ld%s%s", h.num_pairs, par.c_str(), imotif.c_str());
  std::string chain_text;
  if (h.same_chain) {
    const std::string& id = mol.residues[h.strand1[1]].chain_id;
    chain_text = sformat("all on chain '%c'", id.empty() ? ' ' : id[0]);
  } else {
    chain_text = "from different chains";
  }
  const std::string counts = sformat("%ld-%ld; %ld-%ld", h.disorder1, h.breaks1, h.disorder2, h.breaks2);
  return sformat("bps=%ld%s  %s%s  [nts %s] [%s]", h.num_pairs, h.breaks ? "*" : "", par.c_str(),
                 imotif.c_str(), chain_text.c_str(), counts.c_str());
}

void mark_nt_in_helix(bool stem, long index, long nt, long partner, struct_mol& mol) {
  auto& f = mol.residues[nt].flag;
  const int idx = stem ? rf::stem : rf::helix;
  if (f[idx] == 0) {
    f[idx] = index;
    f[stem ? rf::stem_partner : rf::helix_partner] = partner;
    return;
  }
  if (verbose2())
    logitf("[i] nt=%s at %s=#%ld already counted at #%ld\n", mol.residues[nt].idstr.c_str(),
           stem ? "stem" : "helix", index, f[idx]);
}

std::vector<long> collect_helix_nts(long first, long last, const helix& h, long& count) {
  VASK_ASSERT(first <= last);
  count = 2 * (last - first + 1);
  std::vector<long> nts(1, 0);
  for (long k = first; k <= last; ++k) {
    nts.push_back(h.pairs[k].nt1);
    nts.push_back(h.pairs[k].nt2);
  }
  return nts;
}

// ---------------------------------------------------------------------------
// Memo

double memo_overlap(long a, long b, const struct_mol& mol, helix_memo* memo) {
  if (memo == nullptr) return get_outer_overlap_area_byResNum(a, b, mol);
  // the projected area is the same either way round: one entry serves both
  const long key = std::min(a, b) * (mol.num_residues + 1) + std::max(a, b);
  auto it = memo->overlap.find(key);
  if (it != memo->overlap.end()) return it->second;
  const double area = get_outer_overlap_area_byResNum(std::min(a, b), std::max(a, b), mol);
  memo->overlap.emplace(key, area);
  return area;
}

void memo_pair(long a, long b, struct_mol& mol, helix_memo* memo, pair& out) {
  if (memo == nullptr) {
    populate_one_base_pair(a, b, mol, out);
    return;
  }
  const long key = a * (mol.num_residues + 1) + b;
  auto it = memo->pairs.find(key);
  if (it == memo->pairs.end()) {
    pair p;
    populate_one_base_pair(a, b, mol, p);
    it = memo->pairs.emplace(key, std::move(p)).first;
  }
  out = it->second;
}

void seed_helix_memo(helix_memo& memo, long n, const std::vector<pair>& pairs, const struct_mol& mol) {
  if (memo.seeded) return;
  memo.seeded = true;
  for (long k = 1; k <= n; ++k) {
    pair p = pairs[k];
    p.best = p.status = p.index = 0;  // as a freshly filled record has them
    memo.pairs.emplace(p.nt1 * (mol.num_residues + 1) + p.nt2, std::move(p));
  }
}

bool memo_MpN(long i, long j, const struct_mol& mol, helix_memo* memo) {
  if (memo == nullptr) return check_MpN(i, j, mol);
  const long key = i * (mol.num_residues + 1) + j;
  auto it = memo->MpN.find(key);
  if (it != memo->MpN.end()) return it->second != 0;
  const bool v = check_MpN(i, j, mol);
  memo->MpN.emplace(key, v ? 1 : 0);
  return v;
}

// ---------------------------------------------------------------------------
// Pair-linkage table

namespace {

void ensure_slots(connect& c) {
  if (c.members.size() < 3) c.members.resize(3, 0);
}

long state(const connect& c) { return c.count; }

}  // namespace

void set_lkg_none(connect& c) {
  ensure_slots(c);
  c.count = 0;
  c.members[1] = c.members[2] = 0;
}

void set_lkg_end(connect& c, long a) {
  ensure_slots(c);
  c.count = 1;
  c.members[1] = a;
  c.members[2] = 0;
}

void set_lkg_middle(connect& c, long a, long b) {
  ensure_slots(c);
  c.count = 2;
  c.members[1] = a;
  c.members[2] = b;
}

namespace {

// Every record drops its links to the marked pairs (an end linked to one
// becomes unlinked, a middle becomes an end or unlinked); true when any did.
// One record drops its links to the pairs marked(x) holds for; true when it had any.
template <class Marked>
bool drop_links_of(connect& c, Marked marked) {
  const long s = state(c);
  if (s == 0) return false;
  VASK_ASSERT(s == 1 || s == 2);
  const bool gone1 = marked(c[1]), gone2 = s == 2 && marked(c[2]);
  if (s == 1 ? gone1 : gone1 && gone2)
    set_lkg_none(c);
  else if (gone1)
    set_lkg_end(c, c[2]);
  else if (gone2)
    set_lkg_end(c, c[1]);
  return gone1 || gone2;
}

bool drop_links_into(long n, std::vector<connect>& lkg, const std::vector<char>& marked) {
  bool changed = false;
  for (long r = 1; r <= n; ++r)
    if (drop_links_of(lkg[r], [&](long x) { return marked[x] != 0; })) changed = true;
  return changed;
}

}  // namespace

void tidyup_isolated_linkage(long n, std::vector<connect>& lkg) {
  // One pass drops, record by record, every link to a pair that was unlinked
  // when the pass began; links cut in this pass are seen by the next one.
  std::vector<char> unlinked(static_cast<size_t>(n + 1), 0);
  for (;;) {
    long num = 0;
    for (long k = 1; k <= n; ++k) {
      unlinked[k] = state(lkg[k]) == 0;
      if (unlinked[k]) {
        set_lkg_none(lkg[k]);
        ++num;
      }
    }
    if (num == 0 || !drop_links_into(n, lkg, unlinked)) return;
  }
}

void tidyup_middle_linkage(long n, std::vector<connect>& lkg) {
  std::vector<long> mark(static_cast<size_t>(n + 1), 0);
  for (;;) {
    bool any = false;
    for (long k = 1; k <= n; ++k) {
      mark[k] = 0;
      const long s = state(lkg[k]);
      if (s != 1 && s != 2) continue;
      const connect& m1 = lkg[lkg[k][1]];
      if (state(m1) == 0 || !lval_in_cnts(k, m1)) {
        mark[k] = 1;
        any = true;
        continue;
      }
      if (s == 2) {
        const connect& m2 = lkg[lkg[k][2]];
        if (state(m2) == 0 || !lval_in_cnts(k, m2)) {
          mark[k] = 2;
          any = true;
        }
      }
    }
    if (!any) return;
    for (long k = 1; k <= n; ++k) {
      if (mark[k] == 0) continue;
      prglog_msg("tidy up bp linkage #%ld\n", k);
      connect& c = lkg[k];
      const long s = state(c);
      if (s == 1 && mark[k] == 1)
        set_lkg_none(c);
      else if (s == 2 && mark[k] == 1)
        set_lkg_end(c, c[2]);
      else if (s == 2 && mark[k] == 2)
        set_lkg_end(c, c[1]);
      else
        VASK_ASSERT(false);
    }
  }
}

void tidyup_linkage(long n, std::vector<connect>& lkg) {
  tidyup_isolated_linkage(n, lkg);
  tidyup_middle_linkage(n, lkg);
  tidyup_isolated_linkage(n, lkg);
}

void mask_linkage(long m, const std::vector<long>& chain, std::vector<long>& used, long n,
                  std::vector<connect>& lkg) {
  std::vector<char> in_chain(static_cast<size_t>(n + 1), 0);
  for (long k = 1; k <= m; ++k) {
    const long c = chain[k];
    used[c] = 1;
    in_chain[c] = 1;
    set_lkg_none(lkg[c]);
  }
  drop_links_into(n, lkg, in_chain);
}

linkage_ends find_linkage_ends(long n, const std::vector<connect>& lkg) {
  linkage_ends ends;
  ends.ring = n >= 1;
  for (long k = 1; k <= n; ++k) {
    const long s = state(lkg[k]);
    if (s != 2) ends.ring = false;
    if (s == 1) ends.maybe.insert(ends.maybe.end(), k);
  }
  return ends;
}

void mask_mutual_linkage(long m, const std::vector<long>& chain, std::vector<long>& used,
                         std::vector<connect>& lkg, linkage_ends* ends) {
  // With every link mutual, the records linked into the chain are its
  // members' partners: only they are looked at, not the whole table.
  std::vector<long> members(chain.begin() + 1, chain.begin() + m + 1), partners;
  std::sort(members.begin(), members.end());
  auto in_chain = [&](long x) { return std::binary_search(members.begin(), members.end(), x); };
  for (long k = 1; k <= m; ++k) {
    const connect& c = lkg[chain[k]];
    for (long t = 1; t <= state(c); ++t) partners.push_back(c[t]);
  }
  std::sort(partners.begin(), partners.end());
  partners.erase(std::unique(partners.begin(), partners.end()), partners.end());
  for (long k = 1; k <= m; ++k) {
    used[chain[k]] = 1;
    set_lkg_none(lkg[chain[k]]);
  }
  for (long r : partners) drop_links_of(lkg[r], in_chain);
  if (ends == nullptr) return;
  ends->ring = false;  // the chain's members are unlinked now
  for (long r : partners)
    if (state(lkg[r]) == 1) ends->maybe.insert(r);
}

void check_linkage(long n, const std::vector<connect>& lkg, std::vector<long>& chain, long& count,
                   bool& done, linkage_ends* ends) {
  done = false;
  if (n < 1) {
    count = n;
    return;
  }
  bool ring = ends == nullptr || ends->ring;
  if (ends == nullptr)
    for (long k = 1; k <= n && ring; ++k) ring = state(lkg[k]) == 2;
  if (ring) {
    chain.assign(static_cast<size_t>(n + 1), 0);
    for (long k = 1; k <= n; ++k) chain[k] = k;
    count = n;
    return;
  }
  long first_end = 0;
  auto try_end = [&](long k) {
    if (first_end == 0) first_end = k;
    const long len = extract_one_lkg(lkg, k, chain);
    if (len > 0) count = len;
    return len > 0;
  };
  if (ends == nullptr) {
    for (long k = 1; k <= n; ++k)
      if (state(lkg[k]) == 1 && try_end(k)) return;
  } else {
    for (auto it = ends->maybe.begin(); it != ends->maybe.end();) {
      if (state(lkg[*it]) != 1) {  // masked or in the middle again: no end now
        it = ends->maybe.erase(it);
        continue;
      }
      if (try_end(*it)) return;
      ++it;
    }
  }
  if (first_end == 0) {
    done = true;
    count = 0;
    return;
  }
  // a broken chain still gives up its first end, so every call makes progress
  count = extract_one_lkg(lkg, first_end, chain);
  if (count < 1) {
    chain.assign({0, first_end});
    count = 1;
  }
  prglog_msg("non-perfect linkage\n");
}

bool done_with_collections(long n, const std::vector<long>& used) {
  long num = 0;
  for (long k = 1; k <= n; ++k)
    if (used[k] == 0) ++num;
  if (num == n || num == 0) return true;
  prglog_msg("\tnum0=%ld vs num=%ld\n", n, num);
  return false;
}

}  // namespace vask
