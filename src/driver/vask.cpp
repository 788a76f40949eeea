// The auxiliary-file table: clean-up and collection.
#include "driver/vask.hpp"

#include "driver/option.hpp"
#include "support/file.hpp"

namespace vask {

std::string aux_file_name(std::string_view suffix) {
  std::string name = Gvars.prefix.substr(0, 256);
  name += '-';
  name += suffix;
  return name;
}

std::string cif_twin(std::string_view name) {
  constexpr std::string_view pdb = ".pdb";
  if (name.size() < pdb.size() || name.substr(name.size() - pdb.size()) != pdb) return {};
  std::string twin(name.substr(0, name.size() - pdb.size()));
  return twin + ".cif";
}

void delete_common_files() {
  if (Gvars.cleanup == 0) return;
  for (const auto& row : aux_file_table) {
    std::string name = aux_file_name(row.suffix);
    remove_file(name);
    std::string twin = cif_twin(name);
    if (!twin.empty()) remove_file(twin);
  }
  for (const char* name : fixed_aux_files) remove_file(name);
}

long collect_auxfiles(std::vector<long>& rows, std::vector<std::string>& names) {
  rows.clear();
  names.clear();
  for (size_t i = 0; i < aux_file_table.size(); ++i) {
    std::string name = aux_file_name(aux_file_table[i].suffix);
    if (!exist_file(name)) {
      name = cif_twin(name);
      if (name.empty() || !exist_file(name)) continue;
    }
    if (file_size(name) == 0) {
      remove_file(name);
      continue;
    }
    rows.push_back(static_cast<long>(i));
    names.push_back(name);
  }
  return static_cast<long>(rows.size());
}

}  // namespace vask
