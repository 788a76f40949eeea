// Two structures read and analysed on two threads at once. The program runs
// on one thread; this checks that a structure's analysis keeps its state in
// its own records, never in the settings or in statics shared with another
// structure: each thread's results must equal those of the same structure
// analysed alone, and under ThreadSanitizer (the tsan preset) the run must
// show no data race.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <thread>

#include "driver/belqo-vask.hpp"
#include "driver/report.hpp"
#include "pairing/pair.hpp"
#include "pairing/prepare.hpp"
#include "structure/atom.hpp"
#include "structure/struct_mol.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

// What the reading, the preparation and the pair detection found.
std::string pairs_of(const std::string& file) {
  struct_mol mol;
  read_pdb(file, mol);
  long n = 0;
  std::vector<pair> pairs;
  find_pairs(mol, n, pairs, 0);
  std::string text = std::to_string(mol.num_atoms) + " atoms, " + std::to_string(mol.num_nts) +
                     " nts, " + std::to_string(mol.num_hbonds) + " H-bonds, overlaps " +
                     std::to_string(mol.bp_overlaps) + "\n";
  for (long k = 1; k <= n; ++k)
    text += std::to_string(pairs[k].nt1) + "-" + std::to_string(pairs[k].nt2) + " " + pairs[k].bp + " " +
            pairs[k].name + " " + pairs[k].LW + "\n";
  free_struct_mol(mol);
  return text;
}

// The text report of one structure.
std::string report_of(const std::string& file) {
  run_descriptor run;
  run.input = file;
  struct_mol mol;
  read_pdb(file, mol);
  FILE* fp = open_tmpfile();
  do_vask_per_structure(run, mol, fp);
  std::string text = test::read_stream(fp);
  close_file(fp);
  free_struct_mol(mol);
  return text;
}

class ThreadSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    set_globals("belqo-vask");
    mutable_gvars().auxfiles = 0;     // no auxiliary files: both threads would write the same names
    mutable_gvars().time_report = 0;  // no clock in the reports
    saved_ = RUNLOG;
    RUNLOG = nullptr;  // the run logs of two threads would interleave
  }
  void TearDown() override {
    RUNLOG = saved_;
    set_globals("belqo-vask");
  }

  // f on the two files at once, each on a thread of its own, then on each
  // alone; the element table is left to be built by the threads themselves.
  template <class F>
  void expect_alone_equals_together(F f) {
    const std::array<std::string, 2> files = {test::test_data("1ehz.pdb"), test::test_data("1bna.cif")};
    std::array<std::string, 2> together, alone;
    free_periodic_table();
    std::thread a([&] { together[0] = f(files[0]); });
    std::thread b([&] { together[1] = f(files[1]); });
    a.join();
    b.join();
    for (size_t k = 0; k < files.size(); ++k) alone[k] = f(files[k]);
    for (size_t k = 0; k < files.size(); ++k) {
      SCOPED_TRACE(files[k]);
      EXPECT_GT(alone[k].size(), 200u) << alone[k];
      EXPECT_EQ(together[k], alone[k]);
    }
  }

 private:
  FILE* saved_ = nullptr;
};

TEST_F(ThreadSafety, two_structures_read_prepared_and_paired_at_once) {
  expect_alone_equals_together(pairs_of);
}

TEST_F(ThreadSafety, two_structures_reported_at_once) {
  expect_alone_equals_together(report_of);
}

}  // namespace
}  // namespace vask
