// Chains: the chain option reader.
#pragma once

#include <string>

#include "driver/option.hpp"

namespace vask {

// Reads the chain option word (--chain=A,B): the value is split at blanks,
// tabs and any of "|/;,.:"; ids of at most 4 characters are kept, padded to 4
// with blanks, longer words are skipped with a note. No valid id selects every
// chain.
void derive_chains_to_run(const std::string& option, chain_selection& sel);

}  // namespace vask
