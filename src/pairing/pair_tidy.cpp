// Base pairs: tidy-up and marking once the best pairs are known. See pair.hpp.
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

// ---------------------------------------------------------------------------
// Tidy-up and marking

void adjust_bestpair(const pair& p, long n, std::vector<pair>& pairs) {
  for (long k = 1; k <= n; ++k) {
    pair& q = pairs[k];
    if (two_pairs_match(p, q)) continue;
    if (pair_include_nt(q, p.nt1) || pair_include_nt(q, p.nt2)) q.best = 0;
  }
}

void remove_wrong_WC_pairs(long n, std::vector<pair>& pairs, const struct_mol& mol) {
  long changed = 0;
  for (long k = 1; k <= n; ++k) {
    pair& p = pairs[k];
    if (!p.canonical || p.best) continue;
    demote_canonical(p, mol);
    ++changed;
  }
  if (changed && VERBOSITY == 2)
    logitf("[i] -- '%s' has %ld WC pairs reverted\n", mol.file_name.c_str(), changed);
}

void apply_user_pair_marks(long n, std::vector<pair>& pairs, const struct_mol& mol) {
  // a user's best pair takes best away from its competitors, and a canonical
  // competitor is demoted with it, so each nucleotide keeps one canonical partner
  auto take_over = [&](long k) {
    pairs[k].best = 1;
    for (long l = 1; l <= n; ++l) {
      pair& q = pairs[l];
      if (l == k || two_pairs_match(q, pairs[k])) continue;
      if (!pair_include_nt(q, pairs[k].nt1) && !pair_include_nt(q, pairs[k].nt2)) continue;
      q.best = 0;
      if (q.canonical) demote_canonical(q, mol);
    }
  };
  for (long k = 1; k <= n; ++k) {
    pair& p = pairs[k];
    switch (p.user_mark) {
      case 1:
        p.canonical = 1;
        take_over(k);
        break;
      case -1:
        p.WC = p.Wobble = p.canonical = 0;
        break;
      case 9:
        take_over(k);
        break;
      case -9:
        p.best = 0;
        break;
      default:
        break;
    }
  }
}

void fillout_pairs_per_residue(long n, const std::vector<pair>& pairs, std::vector<residue>& residues,
                               long& warned) {
  for (long k = 1; k <= n; ++k) {
    const pair& p = pairs[k];
    add_one_item_to_connect_simple(p.nt2, residues[p.nt1].paired, "fillout_pairs_per_residue()", warned);
    add_one_item_to_connect_simple(p.nt1, residues[p.nt2].paired, "fillout_pairs_per_residue()", warned);
  }
}

void mark_residue_str_pair(long n, std::vector<pair>& pairs, struct_mol& mol) {
  // marking again (after pseudoknot removal) starts from clean marks
  for (long r = 1; r <= mol.num_residues; ++r)
    for (int f : {static_cast<int>(rf::num_pairs), static_cast<int>(rf::wc_partner),
                  static_cast<int>(rf::wobble_partner), static_cast<int>(rf::canonical_partner),
                  static_cast<int>(rf::noncanonical_pairs), static_cast<int>(rf::sheared_partner),
                  static_cast<int>(rf::bestpair)})
      mol.residues[r].flag[static_cast<size_t>(f)] = 0;
  for (long k = 1; k <= n; ++k) {
    pair& p = pairs[k];
    p.index = k;
    auto& f1 = mol.residues[p.nt1].flag;
    auto& f2 = mol.residues[p.nt2].flag;
    auto mark_partners = [&](int f) {  // each side records the other
      f1[f] = p.nt2;
      f2[f] = p.nt1;
    };
    ++f1[rf::num_pairs];
    ++f2[rf::num_pairs];
    if (p.canonical) {
      mark_partners(rf::canonical_partner);
      if (p.WC) mark_partners(rf::wc_partner);
      if (p.Wobble) mark_partners(rf::wobble_partner);
    } else {
      ++f1[rf::noncanonical_pairs];
      ++f2[rf::noncanonical_pairs];
    }
    if (p.best) mark_partners(rf::bestpair);
    if (p.Sheared) mark_partners(rf::sheared_partner);
  }
}

void count_special_pairs(long n, const std::vector<pair>& pairs, struct_mol& mol) {
  mol.pair_tallies = {0, 0, 0, 0};
  for (long k = 1; k <= n; ++k) {
    const pair& p = pairs[k];
    if (p.CC_pair)
      ++mol.pair_tallies[TALLY_CC];
    else if (p.Sheared)
      ++mol.pair_tallies[TALLY_SHEARED];
    else if (is_G4pair(p, mol))
      ++mol.pair_tallies[TALLY_G4];
    else if (p.rHoogsteen)
      ++mol.pair_tallies[TALLY_RHOOGSTEEN];
  }
}

void tidyup_and_mark_pairs(long n, std::vector<pair>& pairs, struct_mol& mol) {
  if (n == 0) return;
  check_for_best_pairs(n, pairs, mol);
  remove_wrong_WC_pairs(n, pairs, mol);
  if (!Gvars.pair_list_inp.empty()) {
    apply_user_pair_marks(n, pairs, mol);
  }
  mark_residue_str_pair(n, pairs, mol);
  count_special_pairs(n, pairs, mol);
}

}  // namespace vask
