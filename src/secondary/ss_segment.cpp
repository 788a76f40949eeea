// Single-stranded segments and kissing loops.
#include "secondary/ss_segment.hpp"

#include <algorithm>
#include <string>

#include "secondary/xref.hpp"
#include "structure/bond.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/arrays.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr long MAX_KISSING_NTS = 8191;  // nucleotides of one kissing-loop model

long& mark(long k, int slot, struct_mol& mol) { return mol.residues[k].flag[static_cast<size_t>(slot)]; }

std::string kissing_text(const kissing_loop& k) {
  return sformat("%s #%ld between hairpin loops #%ld and #%ld", k.stem_index < 1 ? "isolated-pair" : "stem",
                 k.stem_index, k.hairpin1, k.hairpin2);
}

}  // namespace

void find_ssSegs(struct_mol& mol, ss_slots& out) {
  out.num_ss_segments = 0;
  out.ss_segments.clear();
  const long n = mol.num_nts;
  if (n <= 0) return;
  std::vector<long> keys(static_cast<size_t>(n) + 1, 0);
  long key = 1;
  for (long i = 1; i <= n; ++i) {
    const long k = mol.nt_order[i];
    if (i > 1 && !with_same_model_chain(mol.nt_order[i - 1], k, mol)) ++key;
    keys[i] = key;
  }
  for (long i = 1; i <= n; ++i) {
    const long k = mol.nt_order[i];
    if (get_stem_idx(k, mol) != 0 || get_icpair_idx(k, mol) != 0 || mol.residues[k].flag[rf::in_loop] != 0)
      keys[i] = 0;
  }
  long nseg = 0;
  const std::vector<segidx> segs = get_segidx(n, keys, nseg);
  std::vector<ss_segment> list(1);
  for (long s = 1; s <= nseg; ++s) {
    if (segs[s].key == 0) continue;
    ss_segment g;
    g.num_nts = segs[s].count;
    g.nts.assign(1, 0);
    for (long i = segs[s].start; i <= segs[s].end; ++i) {
      g.nts.push_back(mol.nt_order[i]);
      mark(mol.nt_order[i], rf::ss_non_loop, mol) = 1;
    }
    g.is_broken = count_nts_break(g.num_nts, g.nts, mol, 0);
    list.push_back(std::move(g));
  }
  out.num_ss_segments = static_cast<long>(list.size()) - 1;
  if (out.num_ss_segments > 0) out.ss_segments.swap(list);
  total_counts("non-loop single-stranded segments", out.num_ss_segments);
}

bool kissingLoop_compare(const kissing_loop& a, const kissing_loop& b) { return a.stem_index < b.stem_index; }

void find_kissing_loops(struct_mol& mol, long n, const std::vector<hairpin>& hairpins, ss_slots& out) {
  out.num_kissing_loops = 0;
  out.kissing_loops.clear();
  if (n < 2) return;
  std::vector<kissing_loop> found(1);
  // the hairpins holding each nucleotide inside their loop (positions 2 to
  // num_nts - 1): a partner is looked up there, not in every later hairpin
  std::vector<std::vector<long>> inner_in(static_cast<size_t>(mol.num_residues) + 1);
  for (long j = 1; j <= n; ++j)
    for (long m = 2; m < hairpins[j].num_nts; ++m) {
      std::vector<long>& at = inner_in[static_cast<size_t>(hairpins[j].nts[m])];
      if (at.empty() || at.back() != j) at.push_back(j);
    }
  for (long i = 1; i < n; ++i) {
    const hairpin& hi = hairpins[i];
    if (hi.num_nts <= 2) continue;
    std::vector<std::pair<long, long>> hits;  // (later hairpin, key), in the order of hi's nucleotides
    for (long m = 2; m < hi.num_nts; ++m) {
      const long x = hi.nts[m];
      long partner = get_stem_nt(x, mol);
      if (partner == 0) partner = get_cpair_nt(x, mol);
      if (partner <= 0) continue;
      long key = get_stem_idx(partner, mol);
      if (key == 0) key = get_icpair_idx(partner, mol);
      if (key == 0) continue;
      for (long j : inner_in[static_cast<size_t>(partner)])
        if (j > i) hits.emplace_back(j, key);
    }
    std::stable_sort(hits.begin(), hits.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t h = 0; h < hits.size();) {
      const long j = hits[h].first;
      std::vector<long> keys;
      for (; h < hits.size() && hits[h].first == j; ++h)
        if (std::find(keys.begin(), keys.end(), hits[h].second) == keys.end()) keys.push_back(hits[h].second);
      const hairpin& hj = hairpins[j];
      for (long key : keys) found.push_back({key, i, hi.key, j, hj.key});
      if (keys.size() > 1 && VERBOSITY >= 1)
        logitf("[i] -- kissing-loops in '%s', hairpin loops (#%ld/#%ld) have %ld interactions [#%ld, #%ld ...]\n",
               mol.base_name.c_str(), i, j, static_cast<long>(keys.size()), keys[0], keys[1]);
    }
  }
  const long nk = static_cast<long>(found.size()) - 1;
  if (nk == 0) return;
  total_counts("kissing loops", nk);
  for (long k = 1; k <= nk; ++k)
    for (long h : {found[k].hairpin1, found[k].hairpin2})
      for (long m = 1; m <= hairpins[h].num_nts; ++m) mark(hairpins[h].nts[m], rf::kissing_loop, mol) = 1;
  std::stable_sort(found.begin() + 1, found.end(), kissingLoop_compare);
  out.num_kissing_loops = nk;
  out.kissing_loops.swap(found);
}

void output_ssSegs_info(const struct_mol& mol, const ss_slots& found, FILE* fp) {
  const long n = found.num_ss_segments;
  if (n == 0 || fp == nullptr) return;
  if (Gvars.json) {
    json_lNumber(fp, "num_ssSegments", n);
    json_begin_array(fp, "ssSegments");
    for (long k = 1; k <= n; ++k) {
      const ss_segment& g = found.ss_segments[k];
      json_bareObject_start_with_idx(fp, k);
      if (g.is_broken) json_boolean(fp, "is_broken", true);
      json_numNts_vec0(fp, g.num_nts, g.nts, mol);
      json_bareObject_end_check_idx(fp, k, n);
    }
    json_end_array(fp);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, n, "List of %ld non-loop single-stranded %s\n", "segment");
  for (long k = 1; k <= n; ++k) {
    const ss_segment& g = found.ss_segments[k];
    std::fprintf(fp, "%4ld nts=%ld%s %s\n", k, g.num_nts, g.is_broken ? "*" : "",
                 get_residues_abbr_full_ids(g.num_nts, g.nts, mol).c_str());
  }
}

void write_kissing_loops_pdb(struct_mol& mol, const std::vector<hairpin>& hairpins, const ss_slots& found) {
  if (!verbose2() || !Gvars.auxfiles) return;
  scoped_file sf(open_ensemble_file("kissingLoops", mol));
  FILE* fp = sf.get();
  for (long k = 1; k <= found.num_kissing_loops; ++k) {
    const kissing_loop& K = found.kissing_loops[k];
    const hairpin& h1 = hairpins[K.hairpin1];
    const hairpin& h2 = hairpins[K.hairpin2];
    std::vector<long> nts(h1.nts.begin(), h1.nts.begin() + h1.num_nts + 1);
    for (long m = 1; m <= h2.num_nts; ++m) {
      const long x = h2.nts[m];
      if (std::find(nts.begin() + 1, nts.end(), x) != nts.end())
        logitf("[w]  %s in two hairpin loops!\n", mol.residues[x].idstr.c_str());
      else
        nts.push_back(x);
    }
    const long count = static_cast<long>(nts.size()) - 1;
    VASK_ASSERT(count <= MAX_KISSING_NTS);
    begin_ensemble_model(fp, k, {sformat("model=%ld  nts=%ld  %s", k, count, kissing_text(K).c_str())}, mol);
    write_residue_set_pdb_frame(count, nts, &h1.side_frame, 0, mol, fp);
    end_ensemble_model(fp);
  }
  close_ensemble_file(sf, mol);
}

void output_kissing_loops(struct_mol& mol, const std::vector<hairpin>& hairpins, const ss_slots& found, FILE* fp) {
  const long n = found.num_kissing_loops;
  if (n == 0 || fp == nullptr) return;
  write_kissing_loops_pdb(mol, hairpins, found);
  if (Gvars.json) {
    json_lNumber(fp, "num_kissingLoops", n);
    json_begin_array(fp, "kissingLoops");
    for (long k = 1; k <= n; ++k) {
      const kissing_loop& K = found.kissing_loops[k];
      json_bareObject_start_with_idx(fp, k);
      json_lNumber(fp, "stem_index", K.stem_index);
      if (K.stem_index < 0) json_boolean(fp, "is_isoCanonPair", true);
      json_lNumberArray0(fp, "hairpin_indices", 2, {0, K.hairpin1, K.hairpin2});
      json_bareObject_end_check_idx(fp, k, n);
    }
    json_end_array(fp);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, n, "List of %ld kissing loop %s\n", "interaction");
  for (long k = 1; k <= n; ++k) std::fprintf(fp, "%4ld %s\n", k, kissing_text(found.kissing_loops[k]).c_str());
}

}  // namespace vask
