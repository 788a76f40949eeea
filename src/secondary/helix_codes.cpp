// Step codes of a helix: the strand letters and bp-type marks of its pairs,
// and the backbone form of each step.
#include "pairing/step_form.hpp"
#include "secondary/helix.hpp"
#include "structure/struct_mol.hpp"

namespace vask {

void derive_one_helix_codes(helix& h, const struct_mol& mol) {
  const long n = h.num_pairs;
  for (auto& row : h.codes) row.clear();
  for (long k = 1; k <= n; ++k) {
    const std::string& bp = h.pairs[k].bp;
    h.codes[1] += bp.empty() ? '?' : bp[0];
    h.codes[2] += bp.size() >= 3 ? bp[2] : '?';
    h.codes[3] += h.pairs[k].canonical ? '|' : '.';
  }
  const std::vector<long>& s1 = h.strand1;
  const std::vector<long>& s2 = h.strand2;
  for (long k = 1; k < n; ++k) {
    // c and d: the strand-2 step 5' to 3' (anti-parallel: c paired with s1[k + 1], d with s1[k])
    const long c = h.parallel ? s2[k] : s2[n - k];
    const long d = h.parallel ? s2[k + 1] : s2[n + 1 - k];
    h.codes[4] += classify_dsStep_by_rmsd(s1[k], s1[k + 1], c, d, mol);
  }
}

}  // namespace vask
