// The secondary-structure steps on the large ribosomal subunit (1ffk.cif):
// the dot-bracket with pseudoknot levels, the hairpin loops, the loop walk
// with single-stranded segments and kissing loops (a few milliseconds, well
// under 5% of a whole run), and the secondary-structure report and files, each on a structure prepared once
// with its pairs, helices and stems; and, for scale, the preparation and the
// base pairs alone. Paths come from the shared folder
// (VASK_SHARED_STRUCTURES, or ../shared/data/structures relative to the
// source tree).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/vask_results.hpp"
#include "pairing/pair.hpp"
#include "pairing/prepare.hpp"
#include "secondary/hairpin.hpp"
#include "secondary/loop.hpp"
#include "secondary/pknot.hpp"
#include "secondary/ss_output.hpp"
#include "secondary/ss_segment.hpp"
#include "structure/struct_mol.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"

namespace {

std::string shared_file(const char* name) {
  const char* d = std::getenv("VASK_SHARED_STRUCTURES");
  return (d != nullptr ? std::string(d) : std::string(VASK_DATA_DIR) + "/../../shared/data/structures") + "/" + name;
}

struct prepared {
  vask::struct_mol mol;
  vask::vask_results results;
  explicit prepared(const std::string& path) {
    vask::RUNLOG = nullptr;
    vask::mutable_gvars().auxfiles = 0;
    vask::read_pdb(path, mol);
    vask::find_pairs(mol, results.num_pairs, results.pairs, 0);
    vask::helix_slots slots = vask::helix_slots_of(results);
    vask::do_helices_stems_icpairs_xref(mol, slots);
  }
};

prepared& ribosome() {
  static prepared p(shared_file("1ffk.cif"));
  return p;
}

void dbn_with_pknots(benchmark::State& state) {
  prepared& p = ribosome();
  vask::helix_slots slots = vask::helix_slots_of(p.results);
  for (auto _ : state) {
    vask::dbn_state st;
    vask::derive_dbn_with_pknots(p.mol, slots, st);
    benchmark::DoNotOptimize(st.order);
  }
}

void hairpins(benchmark::State& state) {
  prepared& p = ribosome();
  vask::helix_slots slots = vask::helix_slots_of(p.results);
  for (auto _ : state) {
    vask::hairpin_slots out = vask::hairpin_slots_of(p.results);
    vask::find_hairpins(p.mol, slots, out);
    benchmark::DoNotOptimize(p.results.num_hairpins);
  }
}

void loops(benchmark::State& state) {
  prepared& p = ribosome();
  vask::helix_slots slots = vask::helix_slots_of(p.results);
  vask::hairpin_slots hp = vask::hairpin_slots_of(p.results);
  vask::find_hairpins(p.mol, slots, hp);
  for (auto _ : state) {
    vask::loop_slots out = vask::loop_slots_of(p.results);
    vask::find_loops(p.mol, slots, out);
    vask::ss_slots singles = vask::ss_slots_of(p.results);
    vask::find_ssSegs(p.mol, singles);
    vask::find_kissing_loops(p.mol, p.results.num_hairpins, p.results.hairpins, singles);
    benchmark::DoNotOptimize(p.results.num_loops);
  }
}

void secondary_report(benchmark::State& state) {
  prepared& p = ribosome();
  const vask::helix_slots slots = vask::helix_slots_of(p.results);
  vask::dbn_state st;
  for (auto _ : state) {
    FILE* fp = std::tmpfile();
    std::string notes;
    vask::output_2ndstrs(p.mol, {slots, p.results.num_hairpins, p.results.hairpins, st}, notes, fp);
    std::fclose(fp);
  }
}

void preparation_and_pairs(benchmark::State& state) {
  for (auto _ : state) {
    prepared p(shared_file("1ffk.cif"));
    benchmark::DoNotOptimize(p.results.num_stems);
  }
}

BENCHMARK(dbn_with_pknots)->Unit(benchmark::kMillisecond);
BENCHMARK(hairpins)->Unit(benchmark::kMillisecond);
BENCHMARK(loops)->Unit(benchmark::kMillisecond);
BENCHMARK(secondary_report)->Unit(benchmark::kMillisecond);
BENCHMARK(preparation_and_pairs)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
