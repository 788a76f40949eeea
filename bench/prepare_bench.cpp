// Preparing a structure (reading, then the preparation pipeline: linkages,
// contacts, covalent bonds, chains, frames, H-bonds, waters, metals), against
// reading alone, on 7pbl.pdb and 1ffk.cif; and the same entry tiled 1, 2 and
// 4 times side by side, whose times must grow linearly with the atom count.
// Paths come from the shared folder (VASK_SHARED_STRUCTURES, or
// ../shared/data/structures relative to the source tree).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "pairing/prepare.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/struct_mol.hpp"
#include "support/log.hpp"

namespace {

std::string shared_dir() {
  if (const char* d = std::getenv("VASK_SHARED_STRUCTURES")) return d;
  return std::string(VASK_DATA_DIR) + "/../../shared/data/structures";
}

void prepare(benchmark::State& state, const std::string& path) {
  vask::RUNLOG = nullptr;  // keep the timing free of log output
  long atoms = 0;
  for (auto _ : state) {
    vask::struct_mol mol;
    vask::read_pdb(path, mol);
    atoms = mol.num_atoms;
    benchmark::DoNotOptimize(mol.num_bonds);
  }
  state.counters["atoms"] = static_cast<double>(atoms);
  state.counters["us_per_atom"] = benchmark::Counter(
      static_cast<double>(atoms) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void read_only(benchmark::State& state, const std::string& path) {
  vask::RUNLOG = nullptr;
  for (auto _ : state) {
    vask::struct_mol mol;
    vask::read_pdb_simple(path, mol);
    benchmark::DoNotOptimize(mol.num_atoms);
  }
}

// The entry's ATOM/HETATM lines copied n times, each copy 400 A further
// along x, so that the copies never touch: n times the atoms, the same
// neighbourhoods.
std::string tiled_copy(const std::string& path, int n) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);)
    if (l.rfind("ATOM  ", 0) == 0 || l.rfind("HETATM", 0) == 0) lines.push_back(l);
  std::string out = "/tmp/vask-prepare-bench-" + std::to_string(getpid()) + "-x" + std::to_string(n) + ".pdb";
  std::FILE* fp = std::fopen(out.c_str(), "w");
  if (fp == nullptr) return {};
  for (int k = 0; k < n; ++k)
    for (const auto& l : lines) {
      if (l.size() < 54) continue;
      double x = std::atof(l.substr(30, 8).c_str()) + 400.0 * k;
      std::fprintf(fp, "%s%8.3f%s\n", l.substr(0, 30).c_str(), x, l.substr(38).c_str());
    }
  std::fprintf(fp, "END\n");
  std::fclose(fp);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const std::string pdb = shared_dir() + "/7pbl.pdb", cif = shared_dir() + "/1ffk.cif";
  benchmark::RegisterBenchmark("read/7pbl.pdb", read_only, pdb)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("prepare/7pbl.pdb", prepare, pdb)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("read/1ffk.cif", read_only, cif)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("prepare/1ffk.cif", prepare, cif)->Unit(benchmark::kMillisecond);
  std::vector<std::string> tiles;
  for (int n : {1, 2, 4}) {
    tiles.push_back(tiled_copy(pdb, n));
    if (tiles.back().empty()) continue;
    benchmark::RegisterBenchmark(("prepare/7pbl.pdb x" + std::to_string(n)).c_str(), prepare, tiles.back())
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (const auto& t : tiles)
    if (!t.empty()) std::remove(t.c_str());
  return 0;
}
