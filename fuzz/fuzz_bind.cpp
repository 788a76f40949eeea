// composite's binding sites on arbitrary bytes: the --bind text or a
// --bind-file read with the templates they name, and the sites placed along
// a sequence (given, or made of the connectors), as composite does before it
// builds. The first line's first byte picks the form ('0' text, '1' file; any
// byte works), its second byte whether the model is RNA; the second line is
// the sequence text (empty: none), the third the tail; the other lines are
// the --bind text or the file. Templates are plain names in the worker's
// folder, which holds 1bna.pdb (one helix) and 1ehz.pdb (several): an input
// that could name a file elsewhere is skipped, so nothing outside the folder
// is read. These two never change, so their helices are found once per
// process (by the program's own template reader); any other file an input
// names (the site file itself, say) is read each time.
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>

#include "common.hpp"
#include "modeling/composite.hpp"

namespace {

std::string next_line(const std::string& text, size_t& at) {
  const size_t end = std::min(text.find('\n', at), text.size());
  std::string line = text.substr(at, end - at);
  at = std::min(end + 1, text.size());
  return line;
}

vask::template_helix remembered_template(const std::string& file) {
  if (file != "1bna.pdb" && file != "1ehz.pdb") return vask::read_template_helix(file);
  static std::map<std::string, vask::template_helix> read;
  auto it = read.find(file);
  if (it == read.end()) it = read.emplace(file, vask::read_template_helix(file)).first;
  return it->second;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const unsigned mode = fuzz::reader_choice(data, size, 2);
  const size_t start = fuzz::after_first_line(data, size);
  const std::string text(reinterpret_cast<const char*>(data + start), size - start);
  if (fuzz::names_outside(text)) return 0;
  fuzz::bring_data_file("1bna.pdb");
  fuzz::bring_data_file("1ehz.pdb");

  size_t at = 0;
  vask::composite_settings s;
  s.rna = start > 2 && (data[1] & 1) != 0;
  s.sequence = next_line(text, at);
  s.tail = next_line(text, at);
  if (mode == 0) {
    s.binding = text.substr(at);
  } else {
    s.binding_file = "sites.txt";
    if (!fuzz::write_scratch(s.binding_file, data + start + at, text.size() - at)) return 0;
  }
  fuzz::reset_globals();
  try {
    (void)vask::plan_binding_sites(s, vask::read_binding_sites(s, remembered_template));
  } catch (const vask::fatal_error& e) {
    fuzz::expected_end(e);
  }
  return 0;
}
