// The helix and stem stage of 1ffk.cif (78 helices, 176 stems) against the
// base-pair stage before it and against writing its two ensemble files: the
// structure is read and its pairs found once, outside the timed loops.
// Paths come from the shared folder (VASK_SHARED_STRUCTURES, or
// ../shared/data/structures relative to the source tree).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "driver/vask_results.hpp"
#include "pairing/pair.hpp"
#include "pairing/prepare.hpp"
#include "secondary/helix.hpp"
#include "structure/struct_mol.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"

namespace {

std::string shared_dir() {
  if (const char* d = std::getenv("VASK_SHARED_STRUCTURES")) return d;
  return std::string(VASK_DATA_DIR) + "/../../shared/data/structures";
}

struct prepared {
  vask::struct_mol mol;
  long num_pairs = 0;
  std::vector<vask::pair> pairs;
};

prepared& ribosome() {
  static prepared p = [] {
    vask::RUNLOG = nullptr;
    prepared q;
    vask::read_pdb(shared_dir() + "/1ffk.cif", q.mol);
    vask::find_pairs(q.mol, q.num_pairs, q.pairs, 0);
    return q;
  }();
  return p;
}

void BM_find_pairs(benchmark::State& state) {
  prepared& p = ribosome();
  for (auto _ : state) {
    long n = 0;
    std::vector<vask::pair> pairs;
    vask::find_pairs(p.mol, n, pairs, 0);
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK(BM_find_pairs)->Unit(benchmark::kMillisecond);

void BM_helices_stems(benchmark::State& state) {
  prepared& p = ribosome();
  long helices = 0, stems = 0;
  for (auto _ : state) {
    state.PauseTiming();  // a fresh copy: the stage leaves its marks on the residues
    vask::struct_mol mol = p.mol;
    vask::vask_results r;
    r.num_pairs = p.num_pairs;
    r.pairs = p.pairs;
    state.ResumeTiming();
    vask::helix_slots slots = vask::helix_slots_of(r);
    vask::do_helices_stems_icpairs_xref(mol, slots);
    helices = r.num_helices;
    stems = r.num_stems;
  }
  state.counters["helices"] = static_cast<double>(helices);
  state.counters["stems"] = static_cast<double>(stems);
}
BENCHMARK(BM_helices_stems)->Unit(benchmark::kMillisecond);

void BM_helix_stem_files(benchmark::State& state) {
  prepared& p = ribosome();
  vask::vask_results r;
  r.num_pairs = p.num_pairs;
  r.pairs = p.pairs;
  vask::helix_slots slots = vask::helix_slots_of(r);
  vask::do_helices_stems_icpairs_xref(p.mol, slots);
  vask::mutable_gvars().prefix = "bench";
  for (auto _ : state) {
    vask::output_helices_pdb(p.mol, r.num_helices, r.helices);
    vask::output_stems_pdb(p.mol, r.num_stems, r.stems);
  }
  std::remove("bench-helices.pdb");
  std::remove("bench-stems.pdb");
}
BENCHMARK(BM_helix_stem_files)->Unit(benchmark::kMillisecond);

}  // namespace
