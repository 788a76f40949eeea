// A single chain of n nucleotides linked 5' to 3' (chain A, numbered 1..n),
// with stems and isolated canonical pairs laid on it by hand, marked as the
// helix stage leaves them, for the dot-bracket and hairpin rules.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "motifs/motif_fixture.hpp"
#include "secondary/helix.hpp"
#include "structure/residue.hpp"

namespace vask::test {

class MadeUpChainTest : public StructureTest {
 protected:
  void make(long n) {
    mol_ = make_bare_nts(n);
    mol_.nt_order.assign(1, 0);
    for (long k = 1; k <= n; ++k) {
      residue& r = mol_.residues[k];
      r.key = "A";
      r.chain_id = "A";
      r.res_seq = k;
      r.flag[rf::na_chain] = 1;
      if (k > 1) r.linked.append(k - 1);
      if (k < n) r.linked.append(k + 1);
      mol_.nt_order.push_back(k);
    }
    stems_.assign(1, helix{});
    icpairs_.assign(1, pair{});
  }
  void unlink(long a, long b) {
    for (auto [x, y] : {std::pair{a, b}, std::pair{b, a}}) {
      connect kept;
      for (long m = 1; m <= mol_.residues[x].linked.count; ++m)
        if (mol_.residues[x].linked[m] != y) kept.append(mol_.residues[x].linked[m]);
      mol_.residues[x].linked = kept;
    }
  }
  // A stem of bps pairs, outer5..outer5+bps-1 with outer3-bps+1..outer3.
  void add_stem(long outer5, long outer3, long bps, long hbonds_per_pair = 3) {
    helix s;
    s.num_pairs = bps;
    s.num_hbonds = bps * hbonds_per_pair;
    s.strand1.assign(1, 0);
    s.strand2.assign(1, 0);
    s.pairs.assign(1, pair{});
    const long index = static_cast<long>(stems_.size());
    for (long k = 1; k <= bps; ++k) {
      s.strand1.push_back(outer5 + k - 1);
      s.strand2.push_back(outer3 - bps + k);
    }
    for (long k = 1; k <= bps; ++k) {
      pair p;
      p.nt1 = s.strand1[k];
      p.nt2 = s.strand2[bps + 1 - k];
      s.pairs.push_back(p);
      pair_up(p.nt1, p.nt2);
      for (long x : {p.nt1, p.nt2}) mol_.residues[x].flag[rf::stem] = index;
      mol_.residues[p.nt1].flag[rf::stem_partner] = p.nt2;
      mol_.residues[p.nt2].flag[rf::stem_partner] = p.nt1;
    }
    stems_.push_back(s);
  }
  void add_icpair(long a, long b, long hbonds = 2) {
    pair p;
    p.nt1 = a;
    p.nt2 = b;
    p.num_hbonds = hbonds;
    p.canonical = 1;
    const long index = static_cast<long>(icpairs_.size());
    icpairs_.push_back(p);
    pair_up(a, b);
    mol_.residues[a].flag[rf::isolated_pair] = mol_.residues[b].flag[rf::isolated_pair] = -index;
  }
  // The slots of the hand-made stems and isolated pairs.
  helix_slots slots() {
    num_stems_ = static_cast<long>(stems_.size()) - 1;
    num_ic_ = static_cast<long>(icpairs_.size()) - 1;
    return {num_pairs_, pairs_, num_helices_, helices_, num_stems_, stems_,
            num_ic_,    icpairs_, coaxial_,   misassigned_, notes_};
  }
  struct_mol mol_;
  std::vector<helix> stems_, helices_;
  std::vector<pair> icpairs_, pairs_;
  long num_pairs_ = 0, num_helices_ = 0, num_stems_ = 0, num_ic_ = 0, coaxial_ = 0, misassigned_ = 0;
  std::string notes_;

 private:
  void pair_up(long a, long b) {
    mol_.residues[a].flag[rf::canonical_partner] = b;
    mol_.residues[b].flag[rf::canonical_partner] = a;
  }
};

}  // namespace vask::test
