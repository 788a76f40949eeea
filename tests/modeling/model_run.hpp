// Helpers of the model sub-command tests: runs of the executable in a fresh
// temporary folder, and readers of the parameter files they write.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "modeling/rebuild.hpp"
#include "support/file.hpp"
#include "test_util.hpp"

namespace vask::test {

struct exe_result {
  int status = -1;
  std::string out;  // standard output
  std::string err;  // standard error (the run log)
};

class ModelRun : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "vask-model-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Copies tests/data/<name> into the folder.
  void copy_data(const std::string& name) {
    std::filesystem::copy_file(test_data(name), dir_ / name);
  }
  void write(const std::string& name, const std::string& text) { std::ofstream(dir_ / name) << text; }
  std::string read(const std::string& name) const { return read_file((dir_ / name).string()); }
  bool exists(const std::string& name) const { return std::filesystem::exists(dir_ / name); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  exe_result run(const std::string& args) {
    std::string cmd = "cd '" + dir_.string() + "' && '" VASK_EXE "' " + args +
                      " >stdout.txt 2>stderr.txt </dev/null";
    int rc = std::system(cmd.c_str());
    exe_result r;
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = read("stdout.txt");
    r.err = read("stderr.txt");
    std::filesystem::remove(dir_ / "stdout.txt");
    std::filesystem::remove(dir_ / "stderr.txt");
    return r;
  }

  std::filesystem::path dir_;
};

// One row of a rebuild input file: the name and its numbers (6 or 12).
struct par_row {
  std::string name;
  std::vector<double> values;
};

// The rows of a parameter file (comment lines skipped, a trailing "# ..." cut).
inline std::vector<par_row> read_par_rows(const std::string& text) {
  std::vector<par_row> rows;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const auto hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    std::istringstream ls(line);
    par_row r;
    if (!(ls >> r.name)) continue;
    double v = 0;
    while (ls >> v) r.values.push_back(v);
    if (!r.values.empty()) rows.push_back(r);
  }
  return rows;
}

// Numbers of the lines of a text report section that begin with an ordinal:
// "   3 C-G  v1 ... v6"; unset values ("----") are read as NaN.
inline std::vector<std::vector<double>> read_report_rows(const std::string& text,
                                                         const std::string& title) {
  std::vector<std::vector<double>> rows;
  auto pos = text.find(title);
  if (pos == std::string::npos) return rows;
  std::istringstream in(text.substr(pos + title.size()));
  std::string line;
  std::getline(in, line);  // rest of the title line
  std::getline(in, line);  // column header
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    long k = 0;
    if (!(ls >> k)) break;
    std::vector<double> v;
    std::string w;
    bool first = true;
    while (v.size() < 6 && ls >> w) {
      const bool number = w == "----" || std::isdigit(static_cast<unsigned char>(w.back()));
      if (first && !number) {  // the item's name ("C-G", "A")
        first = false;
        continue;
      }
      first = false;
      v.push_back(w == "----" ? std::nan("") : std::atof(w.c_str()));
    }
    rows.push_back(v);
  }
  return rows;
}

struct point3 {
  double x = 0, y = 0, z = 0;
};

inline double dist(const point3& a, const point3& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

using residue_atoms = std::map<std::string, point3>;  // atom name -> position

// Per chain of a PDB text, the atoms of its residues in file order.
inline std::map<char, std::vector<residue_atoms>> chain_atoms(const std::string& pdb) {
  std::map<char, std::vector<residue_atoms>> chains;
  std::map<char, std::string> last_res;
  std::istringstream in(pdb);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("ATOM", 0) != 0 || line.size() < 54) continue;
    const char chain = line[21];
    const std::string res = line.substr(22, 5);
    auto& residues = chains[chain];
    if (residues.empty() || last_res[chain] != res) residues.emplace_back();
    last_res[chain] = res;
    std::string name = line.substr(12, 4);
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
    residues.back()[name] = {std::atof(line.substr(30, 8).c_str()), std::atof(line.substr(38, 8).c_str()),
                             std::atof(line.substr(46, 8).c_str())};
  }
  return chains;
}

}  // namespace vask::test
