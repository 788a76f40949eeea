// The pair, helix and stem lists of one structure owned together, for the
// sub-commands that run the helix finders without a whole results container.
#pragma once

#include <string>
#include <vector>

#include "pairing/pair.hpp"
#include "secondary/helix.hpp"

namespace vask {

struct helix_records {
  long num_pairs = 0, num_helices = 0, num_stems = 0, num_isolated = 0, num_coaxial = 0,
       misassigned = 0;
  std::vector<pair> pairs, isolated;
  std::vector<helix> helices, stems;
  std::string notes;
  // The slots the helix and stem finders read and fill.
  helix_slots slots() {
    return {num_pairs, pairs,    num_helices, helices,     num_stems, stems,
            num_isolated, isolated, num_coaxial, misassigned, notes};
  }
};

}  // namespace vask
