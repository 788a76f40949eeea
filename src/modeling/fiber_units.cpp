// The built-in fiber repeat units: lookup by model and key.
#include "modeling/fiber_units.hpp"

#include <map>
#include <string>
#include <utility>

#include "pairing/frame.hpp"
#include "support/error.hpp"

namespace vask {

namespace {

struct unit_text {
  long line = 0;                    // line of its "UNIT" header in fiber-units
  std::vector<std::string> atoms;   // its ATOM lines in order
};

using unit_map = std::map<std::pair<long, std::string>, unit_text>;

// Parsed once: the text is constant, so the table never changes after.
const unit_map& units() {
  static const unit_map table = [] {
    unit_map t;
    std::string_view text = kFiberUnitsText;
    unit_text* current = nullptr;
    long line_no = 0;
    while (!text.empty()) {
      size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
      ++line_no;
      if (line.rfind("UNIT ", 0) == 0) {
        std::string rest(line.substr(5));
        size_t blank = rest.find(' ');
        long model = std::stol(rest.substr(0, blank));
        current = &t[{model, rest.substr(blank + 1)}];
        current->line = line_no;
      } else if (line.rfind("ATOM", 0) == 0 && current != nullptr) {
        current->atoms.emplace_back(line);
      }
    }
    return t;
  }();
  return table;
}

}  // namespace

long read_fiber_unit(long model, std::string_view key, std::vector<atom>& atoms) {
  auto it = units().find({model, std::string(key)});
  if (it == units().end()) {
    // the report names the unit file and the first line of the model's units
    auto first = units().lower_bound({model, std::string()});
    long line = first != units().end() && first->first.first == model ? first->second.line : 0;
    Except_raise(&Assert_Failed, "fiber-units", static_cast<int>(line));
  }
  const auto& lines = it->second.atoms;
  long n = static_cast<long>(lines.size());
  if (static_cast<long>(atoms.size()) < n + 1) atoms.resize(static_cast<size_t>(n + 1));
  for (long k = 1; k <= n; ++k) populate_one_atom(lines[static_cast<size_t>(k - 1)].c_str(), atoms[static_cast<size_t>(k)]);
  return n;
}

bool fiber_units_present(long model) {
  auto first = units().lower_bound({model, std::string()});
  return first != units().end() && first->first.first == model;
}

}  // namespace vask
