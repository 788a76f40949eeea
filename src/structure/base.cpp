// Base-name table and nucleotide mapping: see base.hpp.
#include "structure/base.hpp"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <strings.h>

#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

struct base_row {
  const char* name;
  const char* parent;
};

// Residue names of the standard bases in the PDB (old and remediated forms,
// 5'/3' terminal variants).
constexpr base_row builtin_bases[] = {
    {"  A", "__A"}, {" A3", "__A"}, {" A5", "__A"}, {" DA", "__A"}, {" RA", "__A"},
    {"ADE", "__A"}, {"DA3", "__A"}, {"DA5", "__A"}, {"RA3", "__A"}, {"RA5", "__A"},
    {"  C", "__C"}, {" C3", "__C"}, {" C5", "__C"}, {" DC", "__C"}, {" RC", "__C"},
    {"CYT", "__C"}, {"DC3", "__C"}, {"DC5", "__C"}, {"RC3", "__C"}, {"RC5", "__C"},
    {"  G", "__G"}, {" DG", "__G"}, {" G3", "__G"}, {" G5", "__G"}, {" RG", "__G"},
    {"DG3", "__G"}, {"DG5", "__G"}, {"GUA", "__G"}, {"RG3", "__G"}, {"RG5", "__G"},
    {"  T", "__T"}, {" DT", "__T"}, {" RT", "__T"}, {" T3", "__T"}, {" T5", "__T"},
    {"DT3", "__T"}, {"DT5", "__T"}, {"THY", "__T"},
    {"  U", "__U"}, {" DU", "__U"}, {" RU", "__U"}, {" U3", "__U"}, {" U5", "__U"},
    {"RU3", "__U"}, {"RU5", "__U"}, {"URA", "__U"}, {"URI", "__U"},
    {"PSU", "__P"},
};
static_assert(std::size(builtin_bases) == 48, "built-in base-name table");

constexpr long MAX_OPTION_ENTRIES = 96;  // entries taken from one option value

std::string right_justify3(const std::string& s) {
  return s.size() >= 3 ? s : std::string(3 - s.size(), ' ') + s;
}

void sort_baselist(baselist& list) {
  std::stable_sort(list.entries.begin() + 1, list.entries.end(),
                   [](const base2std& a, const base2std& b) { return base2std_compare(a, b) < 0; });
}

void add_user_pair(const std::string& name, const std::string& parent, baselist& list) {
  base2std pair{name, parent};
  if (is_valid_baselist_entry(2, 2, pair)) {
    list.entries.push_back(pair);
    list.num = static_cast<long>(list.entries.size()) - 1;
  }
}

void finish_list(baselist& list) {
  list.num = static_cast<long>(list.entries.size()) - 1;
  if (list.num == 0) {
    runlog_msg("[w] zero entries with allocate_base2std_array()\n");
    init_baselist(list);
    return;
  }
  sort_baselist(list);
  check_baselist(list);
}

}  // namespace

void init_baselist(baselist& list) {
  list.num = 0;
  list.entries.assign(1, base2std{});
}

void free_baselist(baselist& list) { init_baselist(list); }

std::vector<base2std> allocate_base2std_array(long n) {
  if (n == 0) {
    runlog_msg("[w] zero entries with allocate_base2std_array()\n");
    return {};
  }
  VASK_ASSERT(n > 0);
  return std::vector<base2std>(static_cast<size_t>(n) + 1);
}

int base2std_compare(const base2std& a, const base2std& b) {
  return strcasecmp(a.name.c_str(), b.name.c_str());
}

const base2std* find_in_baselist(const std::string& name, const baselist& list) {
  if (list.num < 1) return nullptr;
  auto first = list.entries.begin() + 1;
  auto last = list.entries.begin() + list.num + 1;
  auto it = std::lower_bound(first, last, name, [](const base2std& e, const std::string& n) {
    return strcasecmp(e.name.c_str(), n.c_str()) < 0;
  });
  if (it == last || strcasecmp(it->name.c_str(), name.c_str()) != 0) return nullptr;
  return &*it;
}

bool is_valid_baselist_entry(long found, long expected, base2std& pair) {
  if (found != expected) return false;
  if (pair.name.size() > 3 || pair.parent.size() > 3) {
    logitf("\t\tignore pair <%s\t%s>: > 3-char\n", pair.name.c_str(), pair.parent.c_str());
    return false;
  }
  pair.name = right_justify3(upper_copy(pair.name));
  pair.parent = right_justify3(pair.parent);
  std::replace(pair.parent.begin(), pair.parent.end(), ' ', '_');
  char letter = pair.parent[2];
  if (std::strchr("ACGTUPacgtup", letter) == nullptr) {
    logitf(
        "[w] %s can only be mapped to A.C.G.T.U.P (or lower case), not '%c' -- entry "
        "ignored\n",
        pair.name.c_str(), letter);
    return false;
  }
  if (pair.name == "PSU" && pair.parent != "__P" && pair.parent != "__p") {
    logitf("[w] PSU cannot be mapped to '%c' -- entry ignored\n", letter);
    return false;
  }
  return true;
}

void check_baselist(const baselist& list) {
  if (list.num < 2) return;
  if (!Gvars.stand_alone && data_file_reads("baselist.dat") != 1) return;
  long repeats = 0;
  for (long i = 1; i < list.num; ++i) {
    const auto& a = list.entries[i];
    const auto& b = list.entries[i + 1];
    if (a.name != b.name || a.name == "___") continue;
    ++repeats;
    runlog_msg("    erroneous entries: [%3.3s %c] vs [%3.3s %c]\n", a.name.c_str(), a.parent[2],
               b.name.c_str(), b.parent[2]);
  }
  if (repeats > 0) fatal("There %ld repeat(s) in your specified base list.\n", repeats);
}

void read_baselist_file(const std::string& path, baselist& list) {
  scoped_file file(open_file(path, "r"));  // closed also when a line is fatal
  FILE* fp = file.get();
  init_baselist(list);
  std::string line;
  std::vector<std::string> words;
  while (get_line(fp, line)) {
    if (is_doc_string(line)) continue;
    nullify_line_comment(line);
    if (split_str_by_strtok(line, words, 2, " \t\r\n") < 2) continue;
    add_user_pair(words[1], words[2], list);
  }
  file.close();
}

void set_baselist(baselist& list) {
  init_baselist(list);
  if (Gvars.stand_alone) {
    // the built-in list never changes: sorted once, copied per structure
    static const baselist sorted_builtin = [] {
      baselist b;
      init_baselist(b);
      for (const auto& r : builtin_bases) b.entries.push_back({r.name, r.parent});
      b.num = static_cast<long>(b.entries.size()) - 1;
      sort_baselist(b);
      return b;
    }();
    list = sorted_builtin;
  } else {
    std::string path = get_sysfile("config", "baselist.dat");
    prglog_msg("reading file: '%s'\n", path.c_str());
    read_baselist_file(path, list);
    sort_baselist(list);
  }
  check_baselist(list);
  if (Gvars.nt_mappings.num < 1) return;
  baselist merged;
  init_baselist(merged);
  for (long i = 1; i <= Gvars.nt_mappings.num; ++i) merged.entries.push_back(Gvars.nt_mappings.entries[i]);
  for (long i = 1; i <= list.num; ++i)
    if (find_in_baselist(list.entries[i].name, Gvars.nt_mappings) == nullptr)
      merged.entries.push_back(list.entries[i]);
  finish_list(merged);
  list = std::move(merged);
}

void derive_nt_mappings(const std::string& option, baselist& mappings) {
  size_t eq = option.find('=');
  if (eq == std::string::npos || eq + 1 >= option.size()) return;
  std::string key = option.substr(0, eq);
  std::string value = option.substr(eq + 1);
  init_baselist(mappings);
  if (strcasestr(key.c_str(), "file") != nullptr) {
    read_baselist_file(value, mappings);
  } else {
    for (char& c : value) {
      if (c == ',' || c == ';') c = '|';
      if (c == ':') c = ' ';
    }
    long taken = 0;
    size_t start = 0;
    while (start <= value.size() && taken < MAX_OPTION_ENTRIES) {
      size_t bar = value.find('|', start);
      if (bar == std::string::npos) bar = value.size();
      std::string entry = value.substr(start, bar - start);
      start = bar + 1;
      if (trimmed(entry).empty()) continue;
      ++taken;
      std::vector<std::string> words;
      long found = split_str_by_strtok(entry, words, 3, " \t\r\n");
      base2std pair;
      if (found >= 2) pair = {words[1], words[2]};
      if (is_valid_baselist_entry(found, 2, pair))
        mappings.entries.push_back(pair);
    }
  }
  finish_list(mappings);
}

void derive_nt_ignored(const std::string& option, baselist& ignored) {
  size_t eq = option.find('=');
  if (eq == std::string::npos || eq + 1 >= option.size()) return;
  std::string value = option.substr(eq + 1);
  for (char& c : value)
    if (c == ',' || c == ';' || c == ':' || c == '|') c = ' ';
  init_baselist(ignored);
  std::vector<std::string> words;
  long n = split_str_by_strtok(value, words, MAX_OPTION_ENTRIES, " \t\r\n");
  for (long k = 1; k <= n; ++k) {
    const std::string& w = words[k];
    if (w.empty()) continue;  // a word of other white space (form feed, vertical tab)
    if (w.size() > 3) {
      runlog_msg("\t\tignore <%s> (%ld, more than 3 chars)\n", w.c_str(),
                 static_cast<long>(w.size()));
      continue;
    }
    base2std e;
    e.name = right_justify3(upper_copy(w));
    ignored.entries.push_back(e);
  }
  ignored.num = static_cast<long>(ignored.entries.size()) - 1;
  if (ignored.num == 0) runlog_msg("[i] no valid residues to be ignored as nucleotides\n");
}

long ignored_nt(const std::string& name) {
  for (long i = 1; i <= Gvars.nt_ignored.num; ++i)
    if (Gvars.nt_ignored.entries[i].name == name) return 1;
  return 0;
}

void print_baselist(FILE* fp, const baselist& list) {
  if (fp == nullptr) return;
  for (long i = 1; i <= list.num; ++i)
    std::fprintf(fp, "%3.3s\t%3.3s\n", list.entries[i].name.c_str(),
                 list.entries[i].parent.c_str());
}

}  // namespace vask
