// Chains: the chain option reader.
#include "structure/chain.hpp"

#include <cstring>

#include "support/utility.hpp"

namespace vask {

void derive_chains_to_run(const std::string& option, chain_selection& sel) {
  size_t eq = option.find('=');
  std::string value = eq == std::string::npos ? std::string() : option.substr(eq + 1);
  sel.all = false;
  sel.ids.clear();
  const char* delims = " \t|/;,.:";
  size_t i = 0;
  while (i < value.size()) {
    if (std::strchr(delims, value[i]) != nullptr) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < value.size() && std::strchr(delims, value[j]) == nullptr) ++j;
    std::string word = value.substr(i, j - i);
    i = j;
    if (word.size() > 4) {
      runlog_msg("[i] skipping invalid chain: '%s' (> 4 chars)\n", word.c_str());
      continue;
    }
    word.resize(4, ' ');
    sel.ids.push_back(word);
  }
  if (sel.ids.empty()) sel.all = true;
}

}  // namespace vask
