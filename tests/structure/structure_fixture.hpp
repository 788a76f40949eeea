// Shared helpers of the structure tests: default settings per test and PDB
// text read through the same reader as files.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "pairing/prepare.hpp"
#include "structure/atom.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/struct_mol.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "test_util.hpp"

namespace vask::test {

class StructureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    quiet_ = std::make_unique<log_capture>();  // keeps test output free of run-log lines
    mutable_gvars() = gvars_rec{};
    VERBOSITY = 0;
    reset_periodic_table();
  }
  void TearDown() override {
    mutable_gvars() = gvars_rec{};
    quiet_.reset();
  }
  std::unique_ptr<log_capture> quiet_;
};

// Reads PDB text as a file named "<name>.pdb" and prepares the structure.
inline void read_pdb_text(const std::string& text, struct_mol& mol,
                          const std::string& name = "test") {
  init_struct_mol(name + ".pdb", mol);
  FILE* fp = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
  ASSERT_NE(fp, nullptr);
  read_pdb_model_fp(fp, Gvars.select_model, Gvars.altlocs, Gvars.chains, mol);
  std::fclose(fp);
  populate_residues(mol);
  mol.stage.residues = 1;
  add_info_struct_mol(mol);
}

}  // namespace vask::test
