// Helpers of the whole-run benchmarks: the structure to run (1ffk.cif by
// default, or VASK_BENCH_STRUCTURE; the shared folder from
// VASK_SHARED_STRUCTURES), processor seconds, a scratch working folder and
// one whole run of the main command.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/belqo-vask.hpp"

namespace vask::bench {

inline std::string structure_path() {
  if (const char* f = std::getenv("VASK_BENCH_STRUCTURE")) return f;
  const char* d = std::getenv("VASK_SHARED_STRUCTURES");
  return (d ? std::string(d) : std::string(VASK_DATA_DIR) + "/../../shared/data/structures") + "/1ffk.cif";
}

inline double cpu_seconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// The auxiliary files of the runs go to a folder of their own.
struct work_dir {
  std::filesystem::path old = std::filesystem::current_path(), dir;
  work_dir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "vask-bench-XXXXXX").string();
    dir = mkdtemp(tmpl.data()) ? tmpl : std::filesystem::temp_directory_path().string();
    std::filesystem::current_path(dir);
  }
  ~work_dir() {
    std::filesystem::current_path(old);
    std::filesystem::remove_all(dir);
  }
};

inline double whole_run(const std::string& path) {
  std::vector<std::string> args = {"belqo-vask", "-i=" + path, "-o=report.txt", "--run-log=none"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  const double t0 = cpu_seconds();
  vask::vask_main(static_cast<int>(argv.size()), argv.data());
  return cpu_seconds() - t0;
}

}  // namespace vask::bench
