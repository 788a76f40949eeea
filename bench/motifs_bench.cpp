// The motif stages that build on the base pairs (pair networks, multiplets
// and base stacks, with their report sections and model files) against a
// whole run of the main command on the same structure (1ffk.cif by default,
// or the file named by VASK_BENCH_STRUCTURE). The counter "share" is the
// stages' processor time over the whole run's; it should stay below 0.10.
// Paths come from the shared folder (VASK_SHARED_STRUCTURES, or
// ../shared/data/structures relative to the source tree).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/belqo-vask.hpp"
#include "whole_run.hpp"
#include "support/settings.hpp"
#include "driver/vask_results.hpp"
#include "motifs/multiplet.hpp"
#include "motifs/network.hpp"
#include "motifs/stack.hpp"
#include "pairing/pair.hpp"
#include "pairing/prepare.hpp"
#include "secondary/helix.hpp"
#include "support/log.hpp"

namespace {

using vask::bench::cpu_seconds;
using vask::bench::structure_path;
using vask::bench::whole_run;
using vask::bench::work_dir;

// Processor seconds of each stage: networks, multiplets, their outputs,
// stacks, the stacks output.
struct stage_times {
  double t[5] = {0, 0, 0, 0, 0};
  double sum() const { return t[0] + t[1] + t[2] + t[3] + t[4]; }
};

stage_times motif_stages(const std::string& path) {
  vask::set_globals("belqo-vask");
  vask::RUNLOG = nullptr;
  vask::struct_mol mol;
  vask::read_pdb(path, mol);
  vask::vask_results r;
  vask::find_pairs(mol, r.num_pairs, r.pairs, 0);
  vask::helix_slots slots = vask::helix_slots_of(r);
  vask::do_helices_stems_icpairs_xref(mol, slots);  // stems decide which stacks count
  const long num_pairs = r.num_pairs;
  std::vector<vask::pair>& pairs = r.pairs;
  FILE* fp = std::fopen("motifs.txt", "w");
  stage_times st;
  double t0 = cpu_seconds();
  auto lap = [&](int k) {
    const double now = cpu_seconds();
    st.t[k] = now - t0;
    t0 = now;
  };
  vask::motif_measures measures(mol);
  long n = 0, m = 0, s = 0, ns = 0;
  std::vector<vask::connect> networks, multiplets, stacks;
  std::vector<long> non_stacked;
  vask::find_pairNetworks(num_pairs, pairs, measures, n, networks);
  lap(0);
  vask::find_multiplets(mol, num_pairs, pairs, measures, m, multiplets);
  lap(1);
  vask::output_pairNetworks_info(mol, n, networks, fp);
  vask::output_multiplets_info(mol, m, multiplets, fp);
  lap(2);
  vask::find_stacks(mol, s, stacks, ns, non_stacked);
  lap(3);
  vask::output_stacks_info(mol, s, stacks, ns, non_stacked, fp);
  lap(4);
  std::fclose(fp);
  return st;
}

void BM_motif_share(benchmark::State& state) {
  const std::string path = structure_path();
  work_dir wd;
  double whole = 0;
  stage_times sum;
  for (auto _ : state) {
    whole += whole_run(path);
    const stage_times st = motif_stages(path);
    for (int k = 0; k < 5; ++k) sum.t[k] += st.t[k];
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["whole_s"] = whole / runs;
  const char* names[] = {"networks_s", "multiplets_s", "mp_output_s", "stacks_s", "stack_output_s"};
  for (int k = 0; k < 5; ++k) state.counters[names[k]] = sum.t[k] / runs;
  state.counters["share"] = whole > 0 ? sum.sum() / whole : 0;
}
BENCHMARK(BM_motif_share)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
