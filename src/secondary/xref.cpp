// Isolated canonical pairs, the helix/stem cross-reference with coaxial
// stacks and strand repair, the per-nucleotide queries and the two report
// sections (isolated pairs, coaxial stacks).
#include "secondary/xref.hpp"

#include <algorithm>

#include "secondary/helix.hpp"
#include "structure/struct_mol.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr long MAX_OVER_LIMIT_REPORTS = 9;  // "stems over limit" lines per structure

long mark(long k, int slot, const struct_mol& mol) { return is_nt(k, mol) ? mol.residues[k].flag[slot] : 0; }

bool on_strand(long nt, long n, const std::vector<long>& strand) {
  return std::find(strand.begin() + 1, strand.begin() + n + 1, nt) != strand.begin() + n + 1;
}

bool both_on_one_strand(long a, long b, const helix& h) {
  const long n = h.num_pairs;
  return (on_strand(a, n, h.strand1) && on_strand(b, n, h.strand1)) ||
         (on_strand(a, n, h.strand2) && on_strand(b, n, h.strand2));
}

}  // namespace

// ---------------------------------------------------------------------------
// Isolated canonical pairs

void find_icpairs(struct_mol& mol, helix_slots& results) {
  if (results.num_pairs == 0 || mol.num_residues == 0) return;
  long selected = 0;
  for (long r = 1; r <= mol.num_residues; ++r) {
    if (!is_nt(r, mol)) continue;
    auto& f = mol.residues[r].flag;
    if (f[rf::stem] != 0) continue;
    if (f[rf::wc_partner] != 0 || (Gvars.stems == 1 && f[rf::canonical_partner] != 0)) {
      f[rf::isolated_pair] = 1;
      ++selected;
    }
  }
  if (selected == 0) return;
  // grown pair by pair: a nucleotide may hold two canonical pairs of a user's list
  std::vector<pair> list(1);
  for (long k = 1; k <= results.num_pairs; ++k) {
    const pair& p = results.pairs[k];
    if (!p.canonical || mol.residues[p.nt1].flag[rf::isolated_pair] == 0) continue;
    if (p.nt1 < p.nt2) {
      list.push_back(p);
    } else {
      list.emplace_back();
      populate_one_base_pair(p.nt2, p.nt1, mol, list.back());
    }
    const long i = static_cast<long>(list.size()) - 1;
    mol.residues[p.nt1].flag[rf::isolated_pair] = -i;
    mol.residues[p.nt2].flag[rf::isolated_pair] = -i;
  }
  // a selected nucleotide whose pair was not listed carries no index
  for (long r = 1; r <= mol.num_residues; ++r)
    if (mol.residues[r].flag[rf::isolated_pair] > 0) mol.residues[r].flag[rf::isolated_pair] = 0;
  const long n = static_cast<long>(list.size()) - 1;
  results.num_isolated_pairs = n;
  results.isolated_pairs.swap(list);
  total_counts("isolated WC/wobble pairs", n);
  check_ispair_linkage(n, results.isolated_pairs, mol);
}

void check_ispair_linkage(long n, const std::vector<pair>& pairs, struct_mol& mol) {
  for (long k = 1; k <= n; ++k) {
    const pair& p = pairs[k];
    if (mol.residues[p.nt1].linked.count > 0 && mol.residues[p.nt2].linked.count > 0) continue;
    mol.residues[p.nt1].flag[rf::unlinked_pair] = 1;
    mol.residues[p.nt2].flag[rf::unlinked_pair] = 1;
    prglog_msg("0lkg: %s\n", get_pair_idstr_abbr(p, mol).c_str());
  }
}

// ---------------------------------------------------------------------------
// Cross-reference

void get_xref(helix_slots& results, const struct_mol& mol) {
  results.num_misassigned = 0;
  results.num_coaxial_stacks = 0;
  if (results.num_helices == 0) return;
  for (long s = 1; s <= results.num_stems; ++s) results.stems[s].stems.clear();
  long over_limit = 0;
  for (long h = 1; h <= results.num_helices; ++h) {
    helix& H = results.helices[h];
    H.stems.clear();
    long c = 0;
    for (long k = 1; k <= H.num_pairs; ++k) {
      const long st = mark(H.strand1[k], rf::stem, mol);
      if (st == 0 || st > results.num_stems) continue;
      if (k < H.num_pairs && mark(H.strand1[k + 1], rf::stem, mol) == st) continue;
      ++c;  // u ends a run of strand-1 nucleotides of stem st
      if (c <= HELIX_MAX_STEMS) {
        H.stems.append(st);
        connect& holders = results.stems[st].stems;
        if (holders.count > 0) ++results.num_misassigned;
        holders.append(h);
      } else if (++over_limit <= MAX_OVER_LIMIT_REPORTS) {
        ++results.num_misassigned;
        logitf("find_xref_helix_stems(): stems over limit [%ld > %ld]\n", c, HELIX_MAX_STEMS);
      }
    }
    if (c >= 2) ++results.num_coaxial_stacks;
  }
}

void swap_paired_nts_order_in_helix(struct_mol& mol, long si, long hi, long nt, helix& h) {
  const long n = h.num_pairs;
  long k = 0;
  for (long m = 1; m <= n && k == 0; ++m)
    if (h.strand1[m] == nt || h.strand2[m] == nt) k = m;
  if (k == 0) return;
  long p = k, r = k;  // the pair filled anew, and the strand-2 position of its partner
  if (h.parallel) {
    std::swap(h.strand1[k], h.strand2[k]);
  } else if (h.strand1[k] == nt) {
    r = n + 1 - k;
    std::swap(h.strand1[k], h.strand2[r]);
  } else {
    p = n + 1 - k;
    r = k;
    std::swap(h.strand1[p], h.strand2[k]);
  }
  populate_one_base_pair(h.strand1[p], h.strand2[r], mol, h.pairs[p]);
  h.pairs[p].best = 1;
  if (verbose2()) {
    logitf("[i] -- '%s', helix#%ld, stem#%ld.", mol.base_name.c_str(), hi, si);
    logitf(" swapped %s[%ld#1] with %s[%ld#2]\n", mol.residues[h.strand2[r]].idstr.c_str(), k,
           mol.residues[h.strand1[p]].idstr.c_str(), h.parallel ? k : n + 1 - k);
  }
}

void check_helix_nts_order_along_chain(struct_mol& mol, helix_slots& results) {
  for (long s = 1; s <= results.num_stems; ++s) {
    const helix& S = results.stems[s];
    const long holders = S.stems.count;
    if (holders != 1) {
      if (verbose2()) {
        logitf("[w]  stem #%ld in %ld helices\n", s, holders);
        results.notes += sformat("   o stem #%ld in %ld helices\n", s, holders);
      }
      continue;
    }
    const long n = S.num_pairs;
    if (n == 2) continue;
    const long hi = S.stems[1];
    helix& H = results.helices[hi];
    const std::vector<long>& t = S.strand1;
    bool changed = false;
    if (!both_on_one_strand(t[1], t[2], H)) {
      swap_paired_nts_order_in_helix(mol, s, hi, t[1], H);
      changed = true;
    }
    if (!both_on_one_strand(t[n], t[n - 1], H)) {
      swap_paired_nts_order_in_helix(mol, s, hi, t[n], H);
      changed = true;
    }
    if (changed) {  // the strand lines and the step geometry follow the repaired pairs
      derive_one_global_helix(H, mol);
      derive_one_helix_parameters(H, mol);
    }
  }
}

void chk_xref_helix_stems(struct_mol& mol, helix_slots& results) {
  get_xref(results, mol);
  check_helix_nts_order_along_chain(mol, results);
  for (long h = 1; h <= results.num_helices; ++h) {
    const helix& H = results.helices[h];
    if (H.stems.count < 2) continue;
    for (long m = 1; m <= H.stems.count; ++m) {
      const helix& S = results.stems[H.stems[m]];
      for (long k = 1; k <= S.num_pairs; ++k) {
        mol.residues[S.strand1[k]].flag[rf::coaxial_stack] = 1;
        mol.residues[S.strand2[k]].flag[rf::coaxial_stack] = 1;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Queries

long get_stem_idx(long k, const struct_mol& mol) { return mark(k, rf::stem, mol); }
long get_helix_idx(long k, const struct_mol& mol) { return mark(k, rf::helix, mol); }
long get_icpair_idx(long k, const struct_mol& mol) { return mark(k, rf::isolated_pair, mol); }
long get_stem_icpair_idx(long k, const struct_mol& mol) {
  const long s = get_stem_idx(k, mol);
  return s != 0 ? s : get_icpair_idx(k, mol);
}
long get_stem_nt(long k, const struct_mol& mol) { return mark(k, rf::stem_partner, mol); }
long get_cpair_nt(long k, const struct_mol& mol) { return mark(k, rf::canonical_partner, mol); }
long get_bestpair_nt(long k, const struct_mol& mol) { return mark(k, rf::bestpair, mol); }
long get_wcpair_nt(long k, const struct_mol& mol) { return mark(k, rf::wc_partner, mol); }
long get_stem_icpair_nt(long k, const struct_mol& mol) {
  const long s = get_stem_nt(k, mol);
  return s != 0 ? s : get_cpair_nt(k, mol);
}
bool two_nts_matched_in_stem_icpair(long a, long b, const struct_mol& mol) {
  return is_nt(a, mol) && is_nt(b, mol) && get_stem_icpair_nt(a, mol) == b;
}
long share_stem(long a, long b, const struct_mol& mol) {
  if (!is_nt(a, mol) || !is_nt(b, mol)) return 0;
  const long s = get_stem_idx(a, mol);
  return s != 0 && s == get_stem_idx(b, mol) ? s : 0;
}
long share_helix(long a, long b, const struct_mol& mol) {
  if (!is_nt(a, mol) || !is_nt(b, mol)) return 0;
  const long h = get_helix_idx(a, mol);
  return h != 0 && h == get_helix_idx(b, mol) ? h : 0;
}

// ---------------------------------------------------------------------------
// Report sections

void output_isolated_pairs(const struct_mol& mol, long n, const std::vector<pair>& pairs, FILE* fp) {
  if (fp == nullptr || n == 0) return;
  if (Gvars.json) {
    json_lNumber(fp, "num_isoCanonPairs", n);
    json_begin_array(fp, "isoCanonPairs");
    for (long k = 1; k <= n; ++k) {
      const pair& p = pairs[k];
      json_bareObject_start_with_idx(fp, -k);
      json_lNumber(fp, "helix_index", share_helix(p.nt1, p.nt2, mol));
      json_pair_basic0(p, mol, fp);
      json_bareObject_end_check_idx(fp, k, n);
    }
    json_end_array(fp);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, n, "List of %ld isolated WC/wobble %s\n", "pair");
  std::fprintf(fp,
               "  Note: isolated WC/wobble pairs are assigned negative indices to\n"
               "        differentiate them from the stem numbers, which are positive.\n"
               "        --------------------------------------------------------------------\n");
  for (long k = 1; k <= n; ++k) {
    const pair& p = pairs[k];
    const long h = share_helix(p.nt1, p.nt2, mol);
    const std::string tag = h != 0 ? sformat("[#%ld]", h) : std::string("--");
    std::fprintf(fp, "%-6s ", tag.c_str());
    show_pair_info(-k, p, mol, fp);
  }
}

void output_coaxial_stacks(long n, long num_helices, const std::vector<helix>& helices, FILE* fp) {
  if (fp == nullptr || n == 0) return;
  if (Gvars.json) {
    json_lNumber(fp, "num_coaxStacks", n);
    json_begin_array(fp, "coaxStacks");
  } else {
    print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
    print_noun(fp, n, "List of %ld coaxial %s\n", "stack");
  }
  long k = 0;
  for (long h = 1; h <= num_helices && k < n; ++h) {
    const connect& stems = helices[h].stems;
    if (stems.count < 2) continue;
    ++k;
    if (Gvars.json) {
      json_bareObject_start_with_idx(fp, k);
      json_lNumber(fp, "helix_index", h);
      json_lNumber(fp, "num_stems", stems.count);
      json_lNumberArray0(fp, "stem_indices", stems.count, stems.members);
      json_bareObject_end_check_idx(fp, k, n);
      continue;
    }
    std::fprintf(fp, "%4ld Helix#%ld contains %ld stems: [", k, h, stems.count);
    for (long m = 1; m <= stems.count; ++m)
      std::fprintf(fp, m < stems.count ? "#%ld," : "#%ld]\n", stems[m]);
  }
  if (Gvars.json) json_end_array(fp);
}

}  // namespace vask
