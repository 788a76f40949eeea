// Residue and atom id strings, the log form used by diagnostics, and id lists
// (declared in residue.hpp). Ids are built once per residue in the style of
// the idstr setting; every writer prints the stored strings.
#include <algorithm>
#include <cstring>

#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/report_lines.hpp"
#include "support/script_quote.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr size_t STRUCTURE_ID_MAX = 24;  // characters of the base name kept in ids
constexpr size_t ATOM_ID_MAX = 63;       // atom ids are cut here
constexpr long SHORT_FORM_ENDS = 5;      // items kept at each end of a shortened list
constexpr long ALWAYS_SHORT = 257;       // letters-and-ids lists from this length on

std::string lstrip(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b);
}

void blanks_to_underscores(std::string& s) { std::replace(s.begin(), s.end(), ' ', '_'); }

bool model_shown(const residue& r, const struct_mol& mol) { return mol.model_mode != 1 && r.model != 0; }

std::string name_part(const residue& r) {
  return Gvars.short_name ? std::string(1, r.letter) : lstrip(r.name);
}

std::string number_part(const residue& r) {
  std::string np = name_part(r);
  bool digit_end = !np.empty() && std::isdigit(static_cast<unsigned char>(np.back()));
  return np + (digit_end ? "/" : "") + std::to_string(r.res_seq);
}

std::string segment_token(const residue& r) {
  if (r.segid == "    ") return {};
  std::vector<std::string> words;
  return split_str_by_strtok(r.segid, words, 1, " ") < 1 ? std::string() : words[1];
}

std::string structure_id(const struct_mol& mol, char sep) {
  std::string sid = mol.base_name.substr(0, std::min(mol.base_name.size(), STRUCTURE_ID_MAX));
  std::replace(sid.begin(), sid.end(), sep, '_');
  return sid;
}

char first_altloc(const residue& r, const struct_mol& mol) {
  for (long i = r.first_atom; i <= r.last_atom; ++i)
    if (mol.atoms[i].altloc != ' ') return mol.atoms[i].altloc;
  return ' ';
}

bool is_unit_style(long style) { return style == 5 || style == 6; }

// Nine '|'-separated fields: structure, model, chain, residue, number, atom,
// altLoc, insertion code, symmetry. A '|' inside a field would add fields, so
// it is escaped as '_'.
std::string unit_id(residue& r, const struct_mol& mol, long style) {
  if (r.model == 0) r.model = 1;
  std::string fields[6] = {style == 6 ? std::string() : structure_id(mol, Gvars.idstr_sep),
                           std::to_string(r.model),
                           r.chain_id[0] == ' ' ? std::string() : r.chain_id,
                           name_part(r),
                           std::to_string(r.res_seq),
                           r.icode == ' ' ? std::string() : std::string(1, r.icode)};
  std::string id;
  for (int f = 0; f < 5; ++f) {
    std::replace(fields[f].begin(), fields[f].end(), '|', '_');
    id += fields[f] + '|';
  }
  id += '|';
  char alt = first_altloc(r, mol);
  if (alt != ' ') id += alt;
  id += '|';
  std::replace(fields[5].begin(), fields[5].end(), '|', '_');
  id += fields[5] + '|';
  return id;
}

std::string residue_id(residue& r, const struct_mol& mol) {
  const long style = Gvars.idstr;
  const char sep = static_cast<char>(Gvars.idstr_sep);
  std::string id;
  switch (style) {
    case 0:
      id = number_part(r);
      break;
    case 2:
      id = idstr_long(r, segment_token(r), name_part(r), false);
      break;
    case 3:
      id = structure_id(mol, sep) + sep + idstr_long(r, segment_token(r), name_part(r), false);
      break;
    case 4:
      id = std::string("[") + lstrip(r.name) + "]" + std::to_string(r.res_seq);
      if (r.icode != ' ') (id += '^') += r.icode;
      (id += ':') += r.chain_id;
      if (r.model != 0) (id += '/') += std::to_string(r.model);
      blanks_to_underscores(id);
      break;
    case 5:
    case 6:
      id = unit_id(r, mol, style);
      break;
    case 7:
    case 8:
      id = (style == 7 ? std::string("/") + structure_id(mol, sep) : std::string("/")) + "/" +
           segment_token(r) + "/" + r.chain_id + "/" + std::to_string(r.res_seq);
      break;
    default:  // 1
      if (model_shown(r, mol)) id = std::to_string(r.model) + ":";
      if (r.chain_id[0] != ' ') id += r.chain_id + sep;
      id += number_part(r);
      if (r.icode != ' ') (id += '^') += r.icode;
      blanks_to_underscores(id);
      break;
  }
  return id;
}

std::string atom_id(const atom& a, const std::string& rid, char sep) {
  const long style = Gvars.idstr;
  std::string id;
  if (style != 4 && style != 7 && style != 8 && !is_unit_style(style)) {
    // the usual style, made for every atom: built in one string
    std::string_view name = a.name;
    while (!name.empty() && is_blank_char(name.front())) name.remove_prefix(1);
    while (!name.empty() && is_blank_char(name.back())) name.remove_suffix(1);
    id.reserve(name.size() + 3 + rid.size());
    id.append(name);
    if (a.altloc != ' ') (id += sep) += a.altloc;
    (id += '@') += rid;
    if (id.size() > ATOM_ID_MAX) id.resize(ATOM_ID_MAX);
    return id;
  }
  std::string name = trimmed(a.name);
  if (style == 4) {
    size_t slash = rid.find('/');
    std::string head = rid.substr(0, slash);
    std::string model = slash == std::string::npos ? std::string() : rid.substr(slash);
    id = head + "." + name;
    if (a.altloc != ' ') (id += '%') += a.altloc;
    id += model;
  } else if (is_unit_style(style)) {
    std::vector<std::string> f;
    size_t start = 0;
    while (true) {
      size_t bar = rid.find('|', start);
      f.push_back(rid.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
      if (bar == std::string::npos) break;
      start = bar + 1;
    }
    VASK_ASSERT(f.size() == 9);
    for (int k = 0; k < 5; ++k) id += f[k] + '|';
    id += name + '|';
    if (a.altloc != ' ') id += a.altloc;
    id += '|';
    id += f[7] + '|' + f[8];
  } else {  // styles 7 and 8
    id = rid + "/" + name;
  }
  if (id.size() > ATOM_ID_MAX) id.resize(ATOM_ID_MAX);
  return id;
}

bool shorten(long n) { return n > Gvars.idstr_size; }

void warn_shortened(long n) { logitf("[w]  number-of-residues=%ld -- in shortened form\n", n); }

// The items of idx joined by sep; the short form keeps SHORT_FORM_ENDS items at
// each end with "---" (and no separator) between them.
template <class Item>
std::string joined_items(const std::vector<long>& idx, bool short_form, const char* sep,
                         Item item) {
  std::string s;
  long n = static_cast<long>(idx.size());
  for (long m = 0; m < n; ++m) {
    if (short_form && m == SHORT_FORM_ENDS) {
      s += "---";
      m = n - SHORT_FORM_ENDS;
    } else if (m > 0) {
      s += sep;
    }
    s += item(idx[m]);
  }
  return s;
}

std::string letters_of(const std::vector<long>& idx, const struct_mol& mol, bool short_form) {
  return joined_items(idx, short_form, "", [&mol](long k) { return mol.residues[k].letter; });
}

std::string ids_of(const std::vector<long>& idx, const struct_mol& mol, bool short_form) {
  return joined_items(idx, short_form, ",",
                      [&mol](long k) -> const std::string& { return mol.residues[k].idstr; });
}

std::vector<long> from_list(long n, const std::vector<long>& list) {
  return std::vector<long>(list.begin() + 1, list.begin() + 1 + n);
}

std::vector<long> from_connect(const connect& set) {
  std::vector<long> v;
  for (long m = 1; m <= set.count; ++m) v.push_back(set.members[m]);
  return v;
}

std::string abbr(const std::vector<long>& idx, const struct_mol& mol) {
  long n = static_cast<long>(idx.size());
  if (shorten(n)) warn_shortened(n);
  return letters_of(idx, mol, shorten(n));
}

std::string full(const std::vector<long>& idx, const struct_mol& mol) {
  long n = static_cast<long>(idx.size());
  if (shorten(n)) warn_shortened(n);
  return ids_of(idx, mol, shorten(n));
}

std::string abbr_full(const std::vector<long>& idx, const struct_mol& mol) {
  long n = static_cast<long>(idx.size());
  if (n == 0) return {};
  if (n >= ALWAYS_SHORT) return letters_of(idx, mol, true) + " " + ids_of(idx, mol, true);
  return abbr(idx, mol) + " " + full(idx, mol);
}

}  // namespace

std::string residue_idstr0(const residue& r) {
  std::string s;
  if (r.model != 0) s = std::to_string(r.model) + ".";
  if (r.segid != "    ") s += trimmed(r.segid) + ".";
  s += r.chain_id + "." + lstrip(r.name) + "." + std::to_string(r.res_seq);
  if (r.icode != ' ') s += r.icode;
  return s;
}

std::string idstr_long(residue& r, const std::string& segment, const std::string& name_part_,
                       bool unit_id_form) {
  const std::string sep(1, static_cast<char>(Gvars.idstr_sep));
  std::string s;
  if (r.model != 0) {
    s = std::to_string(r.model) + sep;
    if (Gvars.segid && !unit_id_form) s += segment + sep;
  } else if (unit_id_form) {
    r.model = 1;
    s = "1" + sep;
  } else {
    s = sep;
    if (Gvars.segid) s += segment + sep;
  }
  if (r.chain_id[0] != ' ') s += r.chain_id;
  s += sep + name_part_ + sep + std::to_string(r.res_seq) + sep;
  if (r.icode != ' ') s += r.icode;
  return s;
}

void assign_idstr(struct_mol& mol) {
  const char sep = static_cast<char>(Gvars.idstr_sep);
  for (long k = 1; k <= mol.num_residues; ++k) {
    residue& r = mol.residues[k];
    r.idstr = residue_id(r, mol);
    for (long i = r.first_atom; i <= r.last_atom; ++i)
      mol.atoms[i].idstr = atom_id(mol.atoms[i], r.idstr, sep);
  }
}

std::string get_residues_abbr_ids(long n, const std::vector<long>& list, const struct_mol& mol) {
  return abbr(from_list(n, list), mol);
}
std::string get_residues_full_ids(long n, const std::vector<long>& list, const struct_mol& mol) {
  return full(from_list(n, list), mol);
}
std::string get_residues_abbr_full_ids(long n, const std::vector<long>& list,
                                       const struct_mol& mol) {
  return abbr_full(from_list(n, list), mol);
}
std::string get_connect_abbr_ids(const connect& set, const struct_mol& mol) {
  return abbr(from_connect(set), mol);
}
std::string get_connect_full_ids(const connect& set, const struct_mol& mol) {
  return full(from_connect(set), mol);
}
std::string get_connect_abbr_full_ids(const connect& set, const struct_mol& mol) {
  return abbr_full(from_connect(set), mol);
}
std::string get_2residues_info(long a, long b, const struct_mol& mol) {
  return abbr_full({a, b}, mol);
}
std::string get_3residues_info(long a, long b, long c, const struct_mol& mol) {
  return abbr_full({a, b, c}, mol);
}
std::string get_2residues_abbr(long a, long b, const struct_mol& mol) {
  return abbr({a, b}, mol);
}
std::string get_3residues_abbr(long a, long b, long c, const struct_mol& mol) {
  return abbr({a, b, c}, mol);
}

std::string select_tvec_pymol(long n, const std::vector<long>& list, const struct_mol& mol) {
  std::string s;
  for (long m = 1; m <= n; ++m) {
    const residue& r = mol.residues[list[m]];
    // a chain id PyMOL could read as more than a name is left out of the script
    if (const std::string c = trimmed(r.chain_id); !c.empty() && !is_plain_selection_word(c)) continue;
    if (!s.empty()) s += " OR ";
    char model[32] = "";
    if (model_shown(r, mol)) std::snprintf(model, sizeof model, "%-4.4ld", r.model);
    s += std::string("//") + model + "/" + r.chain_id + "/" + std::to_string(r.res_seq);
  }
  return s;
}

bool with_segid(const residue& r) { return r.segid != "    "; }
bool with_icode(const residue& r) { return r.icode != ' '; }
bool with_atom_name_xchk(const std::string& s) { return s != "____"; }
bool with_res_name_xchk(const std::string& s) { return s != "___"; }
bool with_icode_xchk(char c) { return c != '_'; }
bool with_chain_id_xchk(const std::string& s) { return s != "____"; }

// ---------------------------------------------------------------------------
// Nucleotide lists in JSON

void json_abbIds_cnts0(FILE* fp, const char* key, const connect& set, const struct_mol& mol) {
  if (fp != nullptr) json_nt_ids0(fp, key, get_connect_abbr_ids(set, mol), get_connect_full_ids(set, mol));
}
void json_abbIds_cnts(FILE* fp, const char* key, const connect& set, const struct_mol& mol) {
  if (fp != nullptr) json_nt_ids(fp, key, get_connect_abbr_ids(set, mol), get_connect_full_ids(set, mol));
}
void json_abbIds_vec0(FILE* fp, const char* key, long n, const std::vector<long>& list,
                      const struct_mol& mol) {
  if (fp != nullptr)
    json_nt_ids0(fp, key, get_residues_abbr_ids(n, list, mol), get_residues_full_ids(n, list, mol));
}
void json_abbIds_vec(FILE* fp, const char* key, long n, const std::vector<long>& list,
                     const struct_mol& mol) {
  if (fp != nullptr)
    json_nt_ids(fp, key, get_residues_abbr_ids(n, list, mol), get_residues_full_ids(n, list, mol));
}

void json_numNts_cnts0(FILE* fp, const connect& set, const struct_mol& mol) {
  json_lNumber(fp, "num_nts", set.count);
  json_abbIds_cnts0(fp, "nts", set, mol);
}
void json_numNts_cnts(FILE* fp, const connect& set, const struct_mol& mol) {
  json_numNts_cnts0(fp, set, mol);
  json_comma(fp);
}
void json_numNts_vec0(FILE* fp, long n, const std::vector<long>& list, const struct_mol& mol) {
  json_lNumber(fp, "num_nts", n);
  json_abbIds_vec0(fp, "nts", n, list, mol);
}
void json_numNts_vec(FILE* fp, long n, const std::vector<long>& list, const struct_mol& mol) {
  json_numNts_vec0(fp, n, list, mol);
  json_comma(fp);
}

void json_array_of_nts_list_dval(FILE* fp, const char* key, long n, const std::vector<connect>& sets,
                                 const char* dkey, const struct_mol& mol) {
  if (fp == nullptr) return;
  json_lNumber(fp, sformat("num_%s", key).c_str(), n);
  json_begin_array(fp, key);
  for (long k = 1; k <= n; ++k) {
    const connect& set = sets[static_cast<size_t>(k)];
    json_bareObject_start_with_idx(fp, k);
    json_numNts_cnts0(fp, set, mol);
    if (dkey != nullptr) {
      json_comma(fp);
      json_dNumber0(fp, dkey, set.value);
    }
    json_bareObject_end_check_idx(fp, k, n);
  }
  json_end_array(fp);
}
void json_array_of_nts_list(FILE* fp, const char* key, long n, const std::vector<connect>& sets,
                            const struct_mol& mol) {
  json_array_of_nts_list_dval(fp, key, n, sets, nullptr, mol);
}

void output_nts_lists(FILE* fp, const char* key, const char* heading, const char* noun, long n,
                      const std::vector<connect>& sets, const struct_mol& mol) {
  if (Gvars.json) {
    json_array_of_nts_list(fp, key, n, sets, mol);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, n, heading, noun);
  for (long k = 1; k <= n; ++k)
    std::fprintf(fp, "%4ld nts=%ld %s\n", k, sets[static_cast<size_t>(k)].count,
                 get_connect_abbr_full_ids(sets[static_cast<size_t>(k)], mol).c_str());
}

}  // namespace vask
