// The tertiary-motif finders (atom-base capping, A-minor motifs, U-turns,
// UA-loops, ribose zippers, phosphate contacts, with their report sections
// and model files) against a whole run of the main command on the same
// structure (1ffk.cif by default, or the file named by VASK_BENCH_STRUCTURE).
// The counter "share" is the finders' processor time over the whole run's;
// it should stay below 0.20.
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
#include "motifs/aminor.hpp"
#include "motifs/capping.hpp"
#include "motifs/phosphate.hpp"
#include "motifs/uturn.hpp"
#include "motifs/zipper.hpp"
#include "pairing/pair.hpp"
#include "pairing/prepare.hpp"
#include "secondary/helix.hpp"
#include "support/log.hpp"

namespace {

using vask::bench::cpu_seconds;
using vask::bench::structure_path;
using vask::bench::whole_run;
using vask::bench::work_dir;

// Processor seconds of the finders and of their outputs, on a structure
// prepared with its pairs and stems.
struct stage_times {
  double find = 0, output = 0;
};

stage_times tertiary_stages(const std::string& path) {
  vask::set_globals("belqo-vask");
  vask::RUNLOG = nullptr;
  vask::mutable_gvars().uturn = 'K';
  vask::mutable_gvars().ua_loop = 8;
  vask::mutable_gvars().phosphate = 1;
  vask::struct_mol mol;
  vask::read_pdb(path, mol);
  vask::vask_results r;
  vask::find_pairs(mol, r.num_pairs, r.pairs, 0);
  vask::helix_slots slots = vask::helix_slots_of(r);
  vask::do_helices_stems_icpairs_xref(mol, slots);
  FILE* fp = std::fopen("motifs.txt", "w");
  stage_times st;
  double t0 = cpu_seconds();
  vask::find_a2base_capping(mol, r.num_a2bases, r.a2bases);
  vask::find_Aminors(mol, r.num_pairs, r.pairs, r.num_Aminors, r.Aminors);
  vask::find_Uturns(mol, r.num_Uturns, r.Uturns);
  vask::find_UAloops(mol, r.num_pairs, r.pairs, r.num_UAloops, r.UAloops);
  vask::find_riboseZippers(mol, r.num_zipper_groups, r.zipper_groups, r.num_zippers, r.zippers);
  vask::find_PO4_contacts(mol, r.num_PO4s, r.PO4s);
  st.find = cpu_seconds() - t0;
  t0 = cpu_seconds();
  vask::output_a2base_info_pdb(mol, r.num_a2bases, r.a2bases, fp);
  vask::output_Aminors_info_pdb(mol, r.num_pairs, r.pairs, r.num_Aminors, r.Aminors, fp);
  vask::output_Uturns_info_pdb(mol, r.num_Uturns, r.Uturns, fp);
  vask::output_UAloops_info_pdb(mol, r.num_UAloops, r.UAloops, fp);
  vask::output_zippers_info_pdb(mol, r.num_zipper_groups, r.zipper_groups, r.num_zippers, r.zippers, fp);
  vask::output_PO4_interactions(mol, r.num_PO4s, r.PO4s, fp);
  st.output = cpu_seconds() - t0;
  std::fclose(fp);
  return st;
}

void BM_tertiary_motif_share(benchmark::State& state) {
  const std::string path = structure_path();
  work_dir wd;
  double whole = 0, find = 0, output = 0;
  for (auto _ : state) {
    whole += whole_run(path);
    const stage_times st = tertiary_stages(path);
    find += st.find;
    output += st.output;
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["whole_s"] = whole / runs;
  state.counters["find_s"] = find / runs;
  state.counters["output_s"] = output / runs;
  state.counters["share"] = whole > 0 ? (find + output) / whole : 0;
}
BENCHMARK(BM_tertiary_motif_share)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
