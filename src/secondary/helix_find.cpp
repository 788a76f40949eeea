// The helices and stems of one structure: rounds of pair linkage over the
// best pairs still free, chains cut into helices (or, for stems, into runs
// of canonical pairs with a continuous backbone), coaxial joining of helices
// stacked end to end, and the user's pair list taken as one helix.
#include <algorithm>
#include <cctype>

#include "pairing/frame.hpp"
#include "secondary/helix.hpp"
#include "secondary/xref.hpp"
#include "structure/struct_mol.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr long SEQ_START = 1024;  // room for the helices found, grown as needed

// Stem modes of the stem setting: which non-WC best pairs take part.
bool stem_mode_admits(const pair& p) {
  const long mode = Gvars.stems;
  if (mode == 7 || p.WC) return true;
  switch (mode) {
    case 1: return p.canonical != 0;
    case 3: return p.WC_geometry != 0;
    case 4: {
      if (p.name.empty() || p.name == "--") return false;
      return lower_copy("Imino; Sheared").find(lower_copy(p.name)) != std::string::npos;
    }
    case 5: return !p.name.empty() && p.name != "--";
    case 6: return p.Saenger_num >= 1 && p.Saenger_num <= 29;
    default: return false;
  }
}

bool qualifies(bool stem, const pair& p) {
  if (!p.best || p.status != 0) return false;
  return !stem || stem_mode_admits(p);
}

// Pairs of the structure's list that hold each nucleotide (residue-indexed).
std::vector<std::vector<long>> pairs_by_nt(const struct_mol& mol, long n, const std::vector<pair>& pairs) {
  std::vector<std::vector<long>> index(static_cast<size_t>(mol.num_residues + 1));
  for (long k = 1; k <= n; ++k) {
    index[pairs[k].nt1].push_back(k);
    if (pairs[k].nt2 != pairs[k].nt1) index[pairs[k].nt2].push_back(k);
  }
  return index;
}

// Pairs of the structure whose two nucleotides both lie on the helix's
// strands become used; returns how many did.
long mark_pairs_in_helix(const helix& h, const std::vector<std::vector<long>>& by_nt,
                         std::vector<pair>& pairs, std::vector<char>& on_strand) {
  for (long k = 1; k <= h.num_pairs; ++k) on_strand[h.strand1[k]] = on_strand[h.strand2[k]] = 1;
  long num = 0;
  for (long k = 1; k <= h.num_pairs; ++k)
    for (long nt : {h.strand1[k], h.strand2[k]})
      for (long p : by_nt[nt]) {
        pair& q = pairs[p];
        if (q.status == 0 && on_strand[q.nt1] && on_strand[q.nt2]) {
          q.status = 1;
          ++num;
        }
      }
  for (long k = 1; k <= h.num_pairs; ++k) on_strand[h.strand1[k]] = on_strand[h.strand2[k]] = 0;
  return num;
}

void mark_helix_nts(bool stem, long count, const std::vector<helix>& list, struct_mol& mol) {
  for (long b = 1; b <= count; ++b) {
    const helix& h = list[b];
    for (long k = 1; k <= h.num_pairs; ++k) {
      const pair& p = h.pairs[k];
      mark_nt_in_helix(stem, b, p.nt1, p.nt2, mol);
      mark_nt_in_helix(stem, b, p.nt2, p.nt1, mol);
    }
    const int end = stem ? rf::stem_end : rf::helix_end;
    for (long k : {1L, h.num_pairs}) {
      const pair& p = h.pairs[k];
      mol.residues[p.nt1].flag[end] = p.nt2;
      mol.residues[p.nt2].flag[end] = p.nt1;
    }
  }
}

// One round-based search; stem selects the stem rules.
void find_helix_list(bool stem, struct_mol& mol, helix_slots& results, helix_memo* memo) {
  const char* label = stem ? "stem" : "helix";
  const char* plural = stem ? "stems" : "helices";
  const bool cut_at_breaks = stem || Gvars.helix_baxis;
  long& count = stem ? results.num_stems : results.num_helices;
  std::vector<helix>& list = stem ? results.stems : results.helices;
  const long N = results.num_pairs;
  std::vector<pair>& pairs = results.pairs;

  if (N >= 2) {
    seed_helix_memo(*memo, N, pairs, mol);
    set_pairs_array_status(N, pairs, 0);
    const auto by_nt = pairs_by_nt(mol, N, pairs);
    std::vector<char> on_strand(static_cast<size_t>(mol.num_residues + 1), 0);
    std::vector<helix> found;
    found.reserve(SEQ_START);
    std::vector<pair> work(1);
    std::vector<long> chain, s1, s2, used;
    std::vector<connect> lkg;
    for (long round = 1;; ++round) {
      work.assign(1, pair{});
      for (long k = 1; k <= N; ++k)
        if (qualifies(stem, pairs[k])) work.push_back(pairs[k]);
      long m = static_cast<long>(work.size()) - 1;
      if (m == 0) break;
      prglog_msg("\n");
      std::vector<helix> round_list(1);
      long h = 0;
      for (long iter = 1;; ++iter) {
        if (iter > 1 || verbose2()) {
          prglog_msg("\n[%s]\t#iter=%ld\tlist of %ld best pairs\n", label, iter, m);
          if (!Gvars.json) output_pairs_info(m, work, mol, PRGLOG);
        }
        used.assign(static_cast<size_t>(m + 1), 0);
        lkg.assign(static_cast<size_t>(m + 1), connect{});
        for (long k = 1; k <= m; ++k) set_lkg_none(lkg[k]);
        get_bp_linkage(m, work, mol, lkg, memo);
        linkage_ends ends = find_linkage_ends(m, lkg);
        for (;;) {
          long num = 0;
          bool done = false;
          check_linkage(m, lkg, chain, num, done, &ends);
          if (done) break;
          long overlap = 0;
          long L = order_helix_nts(num, chain, mol, work, s1, s2, overlap, memo);
          if (cut_at_breaks && L >= 2) L = check_stem_linkage(L, chain, mol, s1, s2, overlap);
          if (L >= 2) {
            ++h;
            prglog_msg("%s #%ld\n", label, h);
            if (L != num) prglog_msg("\tbreak up version: %ld out of %ld\n", L, num);
            round_list.emplace_back();
            process_helix(h, round_list, L, s1, s2, mol, overlap, memo);
          }
          // get_bp_linkage leaves every link mutual and masking keeps it so
          // (both ends of a link into the chain go), so no tidy-up is due here
          mask_mutual_linkage(L >= 2 ? L : 1, chain, used, lkg, &ends);
        }
        if (done_with_collections(m, used)) break;
        std::vector<pair> rest(1);
        for (long k = 1; k <= m; ++k)
          if (used[k] == 0) rest.push_back(work[k]);
        work.swap(rest);
        m = static_cast<long>(work.size()) - 1;
      }
      prglog_msg("\nnum_helix=%ld (%ld)\n", h, 0L);
      if (h == 0) break;
      long newly_used = 0;
      for (long k = 1; k <= h; ++k) {
        helix copy;
        copy_one_helix_nopars(round_list[k], copy);
        found.push_back(std::move(copy));
        newly_used += mark_pairs_in_helix(found.back(), by_nt, pairs, on_strand);
      }
      prglog_msg("%s from round #%ld: %ld\n", plural, round, h);
      if (newly_used == 0) break;  // nothing left to change: a further round would find the same
    }
    count = static_cast<long>(found.size());
    list = allocate_helices_array(count);
    for (long k = 1; k <= count; ++k) {
      helix& src = found[static_cast<size_t>(k - 1)];
      for (long p = 1; p <= src.num_pairs; ++p) src.pairs[p].best = 1;
      copy_one_helix_nopars(src, list[k]);
    }
    if (!stem && !Gvars.helix_baxis) join_stacked_helices(mol, count, list, memo);
    total_counts(plural, count);
    std::stable_sort(list.begin() + 1, list.begin() + count + 1,
                     [](const helix& a, const helix& b) { return helix_compare(a, b) < 0; });
  }
  mark_helix_nts(stem, count, list, mol);
  derive_global_helix(count, list, mol);
  if (count > 0) derive_helix_parameters(count, list, mol);
}

// The reason a pair list cannot be one helix, or empty.
std::string pairs_list_unfit(const struct_mol& mol, long n, const std::vector<pair>& pairs) {
  if (n < 2) return sformat("%ld pair%s", n, n == 1 ? "" : "s");
  std::vector<char> seen(static_cast<size_t>(mol.num_residues + 1), 0);
  for (long k = 1; k <= n; ++k)
    for (long nt : {pairs[k].nt1, pairs[k].nt2}) {
      if (seen[nt]) return "nucleotide " + mol.residues[nt].idstr + " in more than one pair";
      seen[nt] = 1;
    }
  return {};
}

}  // namespace

void find_helices(struct_mol& mol, helix_slots& results, helix_memo* memo) {
  helix_memo own;
  find_helix_list(false, mol, results, memo != nullptr ? memo : &own);
}

void find_stems(struct_mol& mol, helix_slots& results, helix_memo* memo) {
  helix_memo own;
  find_helix_list(true, mol, results, memo != nullptr ? memo : &own);
}

bool two_helices_can_be_joined(const helix& A, const helix& B, const struct_mol& mol, helix_memo* memo) {
  if (A.overlap || A.parallel || B.overlap || B.parallel) return false;
  if (A.num_pairs < 2 || B.num_pairs < 1) return false;
  const pair& P = A.pairs[A.num_pairs];
  const pair& Q = B.pairs[1];
  if (!is_bps_helix_like(P, Q, mol, memo)) return false;
  const double ov = pairs_overlap(P, Q, mol, memo);
  const double angle = angle90_normalized_vectors(P.frame.z_axis, Q.frame.z_axis);
  if (ov < 1.68 && !(ov > 0.3 && angle < 45.0)) return false;
  double vdist = 0, dist = 0;
  get_vdist_dist_by_frame(A.pairs[A.num_pairs - 1].frame, Q.frame, vdist, dist);
  if (!(vdist > 3.0 && dist > 4.5)) return false;
  prglog_msg("[i] -- joining helices (bps=%ld/%ld) at terminal pairs\n", A.num_pairs, B.num_pairs);
  prglog_msg("\t%s\n", get_pair_idstr_abbr(P, mol).c_str());
  prglog_msg("\t%s\n", get_pair_idstr_abbr(Q, mol).c_str());
  return true;
}

void join_stacked_helices(struct_mol& mol, long& count, std::vector<helix>& helices, helix_memo* memo) {
  bool joined = false;
  for (bool again = true; again;) {
    again = false;
    for (long a = 1; a < count && !again; ++a) {
      helix& A = helices[a];
      if (A.num_pairs <= 0) continue;
      for (long b = a + 1; b <= count; ++b) {
        helix& B = helices[b];
        if (B.num_pairs <= 0 || !two_helices_can_be_joined(A, B, mol, memo)) continue;
        std::vector<long> s1(A.strand1.begin(), A.strand1.begin() + A.num_pairs + 1);
        s1.insert(s1.end(), B.strand1.begin() + 1, B.strand1.begin() + B.num_pairs + 1);
        std::vector<long> s2(B.strand2.begin(), B.strand2.begin() + B.num_pairs + 1);
        s2.insert(s2.end(), A.strand2.begin() + 1, A.strand2.begin() + A.num_pairs + 1);
        std::vector<pair> ps(A.pairs.begin(), A.pairs.begin() + A.num_pairs + 1);
        ps.insert(ps.end(), B.pairs.begin() + 1, B.pairs.begin() + B.num_pairs + 1);
        A.strand1.swap(s1);
        A.strand2.swap(s2);
        A.pairs.swap(ps);
        A.num_hbonds += B.num_hbonds;
        A.num_pairs += B.num_pairs;
        set_helix_type(A, mol, OVERLAP_UNKNOWN, memo);
        B.num_pairs = -B.num_pairs;
        joined = again = true;
        break;
      }
    }
  }
  if (!joined) return;
  std::vector<helix> kept(1);
  for (long k = 1; k <= count; ++k)
    if (helices[k].num_pairs > 0) kept.push_back(std::move(helices[k]));
  helices.swap(kept);
  count = static_cast<long>(helices.size()) - 1;
}

std::vector<helix> take_input_pairs_list_as_one_helix(struct_mol& mol, long n, const std::vector<pair>& pairs,
                                                      long& count) {
  count = 0;
  const std::string unfit = pairs_list_unfit(mol, n, pairs);
  if (!unfit.empty()) {
    logitf("[w] the pair list is not taken as one helix (%s): helices are searched as usual\n",
           unfit.c_str());
    return std::vector<helix>(1);
  }
  if (VERBOSITY >= 1) runlog_msg("[i] take the list of pairs as in ONE helix\n");
  std::vector<helix> list = allocate_helices_array(1);
  helix& h = list[1];
  h.num_pairs = n;
  h.strand1.assign(static_cast<size_t>(n + 1), 0);
  h.strand2.assign(static_cast<size_t>(n + 1), 0);
  h.pairs.assign(pairs.begin(), pairs.begin() + n + 1);
  for (long k = 1; k <= n; ++k) {
    const pair& p = pairs[k];
    h.strand1[k] = p.nt1;
    h.strand2[k] = p.nt2;
    h.num_hbonds += p.num_hbonds;
    mol.residues[p.nt1].flag[rf::bestpair] = p.nt2;
    mol.residues[p.nt2].flag[rf::bestpair] = p.nt1;
  }
  std::vector<long> rev(h.strand2);
  std::reverse(rev.begin() + 1, rev.end());
  const long f = nts_in_array_connected_5p_to_3p(n, h.strand2, mol);
  const long r = nts_in_array_connected_5p_to_3p(n, rev, mol);
  if ((f == 0 && r == 0) || r > f) h.strand2.swap(rev);
  set_helix_type(h, mol, OVERLAP_UNKNOWN);
  count = 1;
  mark_helix_nts(false, 1, list, mol);
  derive_global_helix(1, list, mol);
  derive_helix_parameters(1, list, mol);
  return list;
}

void do_helices_stems_icpairs_xref(struct_mol& mol, helix_slots& results) {
  long count = 0;
  if (Gvars.pair_list_one) {
    std::vector<helix> one = take_input_pairs_list_as_one_helix(mol, results.num_pairs, results.pairs, count);
    if (count == 1) {
      results.num_helices = 1;
      results.helices.swap(one);
    }
  }
  helix_memo memo;  // shared by both searches of this structure
  if (count == 0) find_helices(mol, results, &memo);
  find_stems(mol, results, &memo);
  find_icpairs(mol, results);
  chk_xref_helix_stems(mol, results);
}

}  // namespace vask
