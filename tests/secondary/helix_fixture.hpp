// Shared helpers of the helix and stem tests: a structure read from
// tests/data with its base pairs and then its helices, stems and isolated
// pairs found, stems named by their nucleotides' numbers in the file.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/vask_results.hpp"
#include "motifs/motif_fixture.hpp"
#include "secondary/helix.hpp"
#include "secondary/xref.hpp"

namespace vask::test {

class HelixTest : public MotifTest {
 protected:
  // Reads tests/data/<name>, finds its pairs, then the helices and the rest
  // of the helix/stem stage.
  void analyse(const std::string& name) {
    const std::string path = test_data_unzipped(name);
    ASSERT_FALSE(path.empty()) << name;
    analyse_file(path);
  }
  void analyse_file(const std::string& path) {
    mol_ = struct_mol{};
    read_pdb(path, mol_);
    find_pairs(mol_, num_pairs_, pairs_, 0);
    results_ = vask_results{};
    results_.num_pairs = num_pairs_;
    results_.pairs = pairs_;
    helix_slots slots = helix_slots_of(results_);
    do_helices_stems_icpairs_xref(mol_, slots);
  }
  // Strand 1 of a helix or stem as the residue numbers of the file.
  std::vector<long> strand_numbers(const std::vector<long>& strand, long n) const {
    std::vector<long> v;
    for (long k = 1; k <= n; ++k) v.push_back(mol_.residues[strand[k]].res_seq);
    return v;
  }
  std::vector<long> strand1(const helix& h) const { return strand_numbers(h.strand1, h.num_pairs); }
  std::vector<long> strand2(const helix& h) const { return strand_numbers(h.strand2, h.num_pairs); }
  vask_results results_;
};

// Numbers first..last, ascending.
inline std::vector<long> span(long first, long last) {
  std::vector<long> v;
  for (long k = first; k <= last; ++k) v.push_back(k);
  return v;
}

}  // namespace vask::test
