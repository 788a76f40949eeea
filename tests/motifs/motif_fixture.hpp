// Shared helpers of the motif tests: a structure read from tests/data with
// its base pairs, residues found by chain and number, small hand-made
// structures, and the executable run in a folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "pairing/pair.hpp"
#include "pairing/prepare.hpp"
#include "structure/residue_info.hpp"
#include "structure/struct_mol.hpp"
#include "structure/structure_fixture.hpp"
#include "test_util.hpp"

namespace vask::test {

class MotifTest : public StructureTest {
 protected:
  // Reads tests/data/<name> (or its .gz) and finds its base pairs.
  void load(const std::string& name) {
    const std::string path = test_data_unzipped(name);
    ASSERT_FALSE(path.empty()) << name;
    read_pdb(path, mol_);
    find_pairs(mol_, num_pairs_, pairs_, 0);
  }
  // The residue of chain `chain` numbered `number`; 0 when none.
  long res(const char* chain, long number) const {
    for (long k = 1; k <= mol_.num_residues; ++k)
      if (mol_.residues[k].res_seq == number && mol_.residues[k].chain_id == chain) return k;
    return 0;
  }
  // The members of a set as residue numbers of the file.
  std::vector<long> numbers(const connect& set) const {
    std::vector<long> v;
    for (long k = 1; k <= set.count; ++k) v.push_back(mol_.residues[set[k]].res_seq);
    return v;
  }
  struct_mol mol_;
  long num_pairs_ = 0;
  std::vector<pair> pairs_;
};

// A structure of n bare nucleotides "A.N<k>" (one atom each, no geometry).
inline struct_mol make_bare_nts(long n) {
  struct_mol mol;
  mol.num_residues = mol.num_nts = mol.num_atoms = n;
  mol.residues.assign(static_cast<size_t>(n + 1), residue{});
  mol.nt_infos.assign(static_cast<size_t>(n + 1), nt_info{});
  mol.atoms.assign(static_cast<size_t>(n + 1), atom{});
  for (long k = 1; k <= n; ++k) {
    residue& r = mol.residues[k];
    r.index = k;
    r.first_atom = r.last_atom = k;
    mol.atoms[k].residue = k;
    r.letter = 'N';
    r.flag[rf::is_nt] = 1;
    r.idstr = "A.N" + std::to_string(k);
  }
  return mol;
}

// The executable in a temporary folder holding copies of tests/data files.
class ExeRun {
 public:
  explicit ExeRun(const std::vector<std::string>& inputs);
  ~ExeRun();
  ExeRun(const ExeRun&) = delete;
  ExeRun& operator=(const ExeRun&) = delete;
  int run(const std::string& args);  // exit status; stdout/stderr kept as files
  std::string file(const std::string& name) const;
  bool exists(const std::string& name) const;
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  // gemmi (python3 module) reads the coordinate file back: "" when it does,
  // else its complaint; "skip" when gemmi is absent.
  std::string gemmi_models(const std::string& name, long* models) const;
  // Expects gemmi to read `want` models from the file; says so when gemmi is absent.
  void expect_gemmi_models(const std::string& name, long want) const;

 private:
  std::filesystem::path dir_;
};

}  // namespace vask::test
