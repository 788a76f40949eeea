// The results container and the modified-nucleotide summary: see vask_results.hpp.
#include "driver/vask_results.hpp"

#include <algorithm>
#include <string>

#include "structure/chain.hpp"
#include "structure/residue.hpp"
#include "support/error.hpp"
#include "support/log.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

template <class T>
void release(std::vector<T>& v) {
  std::vector<T>().swap(v);
}

struct modNt_type {
  std::string name = "   ";
  char letter = ' ';
  long count = 0;
  std::vector<long> list;  // 1-based residue indices
};

bool modNt_compare(const modNt_type& a, const modNt_type& b) {
  int c = icase_strcmp(a.name, b.name);
  return c != 0 ? c < 0 : a.name < b.name;  // names equal but for case: a fixed order
}

}  // namespace

void init_vask(vask_results& results) { results = vask_results{}; }

void free_vask(vask_results* results) {
  if (results == nullptr) return;
  vask_results& r = *results;
  release(r.modified);
  release(r.metals);
  release(r.pairs);
  release(r.networks);
  release(r.multiplets);
  release(r.cyclic_tetrads);
  release(r.mp_segments);
  release(r.helices);
  release(r.stems);
  release(r.isolated_pairs);
  release(r.nonpairs);
  release(r.stacks);
  release(r.non_stacked);
  release(r.a2bases);
  release(r.hairpins);
  release(r.hairpins2);
  release(r.loops);
  release(r.ss_segments);
  release(r.kissing_loops);
  release(r.Aminors);
  release(r.Uturns);
  release(r.UAloops);
  r.G4 = g4_results{};
  release(r.imotifs);
  release(r.zipper_groups);
  release(r.zippers);
  release(r.Kturns);
  release(r.PO4s);
  release(r.ss_pars);
  release(r.splay_units);
  release(r.water_clusters);
}

void summarize_modified_nts(struct_mol& mol, vask_results& results, FILE* fp) {
  VASK_ASSERT(mol.num_nts >= 0);
  std::vector<long> nts = nts_in_chain_order(mol);
  std::vector<long> modified(1, 0);
  for (size_t k = 1; k < nts.size(); ++k)
    if (is_modified_nt(nts[k], mol)) modified.push_back(nts[k]);
  const long n = static_cast<long>(modified.size()) - 1;
  mol.num_modified = n;
  results.num_modified = n;
  results.modified = modified;
  if (Gvars.json || fp == nullptr || n == 0) return;
  runlog_msg("%10s modified nucleotides: %ld\n", " ", n);

  std::vector<modNt_type> types;
  for (long t = 1; t <= n; ++t) {
    const residue& r = mol.residues[modified[t]];
    auto it = std::find_if(types.begin(), types.end(), [&](const modNt_type& m) { return m.name == r.name; });
    if (it == types.end()) {
      modNt_type m;
      m.name = r.name.substr(0, 3);
      m.letter = r.letter;
      m.list.assign(1, 0);
      types.push_back(m);
      it = types.end() - 1;
    }
    ++it->count;
    it->list.push_back(modified[t]);
  }
  std::stable_sort(types.begin(), types.end(), modNt_compare);
  const long ntypes = static_cast<long>(types.size());
  print_leadline_sepchar(fp, '*', 76);
  std::fprintf(fp, "List of %ld type%s of ", ntypes, ntypes == 1 ? "" : "s");
  std::fprintf(fp, "%ld modified nucleotide%s\n", n, n == 1 ? "" : "s");
  std::fprintf(fp, "      nt    count  list\n");
  for (long k = 0; k < ntypes; ++k) {
    const modNt_type& m = types[k];
    std::fprintf(fp, "%4ld %3.3s-%c %4ld    %s\n", k + 1, m.name.c_str(), m.letter, m.count,
                 get_residues_full_ids(m.count, m.list, mol).c_str());
  }
}

}  // namespace vask
