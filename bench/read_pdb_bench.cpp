// Reading and preparing the largest PDB entries of the shared data set.
// Paths are taken from the shared folder (VASK_SHARED_STRUCTURES, or
// ../shared/data/structures relative to the source tree) or from the command
// line after the benchmark flags: read_pdb_bench [--benchmark_...] file.pdb ...
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "pairing/prepare.hpp"
#include "structure/struct_mol.hpp"
#include "support/log.hpp"

namespace {

std::string shared_dir() {
  if (const char* d = std::getenv("VASK_SHARED_STRUCTURES")) return d;
  return std::string(VASK_DATA_DIR) + "/../../shared/data/structures";
}

void read_one(benchmark::State& state, const std::string& path) {
  vask::RUNLOG = nullptr;  // keep the timing free of log output
  for (auto _ : state) {
    vask::struct_mol mol;
    vask::read_pdb(path, mol);
    benchmark::DoNotOptimize(mol.num_nts);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  std::vector<std::string> files;
  for (int k = 1; k < argc; ++k) files.emplace_back(argv[k]);
  if (files.empty())
    for (const char* f : {"7pbl.pdb", "2n82.pdb", "1x8w.pdb", "4lck.pdb", "1ehz.pdb"})
      files.push_back(shared_dir() + "/" + f);
  for (const auto& f : files) benchmark::RegisterBenchmark(f.c_str(), read_one, f)->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
