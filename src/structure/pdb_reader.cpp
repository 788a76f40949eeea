// Reading one model of a coordinate file: see pdb_reader.hpp.
#include "structure/pdb_reader.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <strings.h>

#include "structure/mmcif.hpp"
#include "support/arrays.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr double COORD_LIMIT = 1e36;      // larger coordinates count as unreadable
constexpr long MIN_ATOM_RECORD = 52;      // shortest ATOM/HETATM line taken

// PDB fixed columns, 1-based first column and width.
// cols 1-6 record | 7-11 serial | 13-16 atom name | 17 altLoc | 18-20 residue | 22 chain
//      23-26 resSeq | 27 iCode | 31-38, 39-46, 47-54 x, y, z (8.3) | 55-60 occupancy
//      61-66 B-factor | 73-76 segment id | 77-78 element | 79-80 charge
struct column {
  int first, width;
};
constexpr column col_serial{7, 5}, col_name{13, 4}, col_altloc{17, 1}, col_resname{18, 3},
    col_chain{22, 1}, col_resseq{23, 4}, col_icode{27, 1}, col_x{31, 8}, col_y{39, 8},
    col_z{47, 8}, col_occ{55, 6}, col_bfac{61, 6}, col_segid{73, 4}, col_element{77, 2},
    col_charge{79, 2};

// The field when the line reaches its last column, else nullopt-like empty view
// with present = false: a field cut short counts as missing.
bool field(std::string_view line, column c, std::string_view& out) {
  size_t last = static_cast<size_t>(c.first - 1 + c.width);
  if (line.size() < last) return false;
  out = line.substr(static_cast<size_t>(c.first - 1), static_cast<size_t>(c.width));
  return true;
}

std::string_view trim_view(std::string_view s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// A leading integer, as "%ld" reads it; false when there is none.
bool leading_long(std::string_view s, long& out) {
  s = trim_view(s);
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return r.ec == std::errc() && r.ptr != s.data();
}

bool leading_double(std::string_view s, double& out) {
  s = trim_view(s);
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return r.ec == std::errc() && r.ptr != s.data() && std::isfinite(out);
}

double read_coordinate(std::string_view s, bool present) {
  double v = 0;
  if (!present || !leading_double(s, v) || std::fabs(v) > COORD_LIMIT) return DBL_MAX;
  return v;
}

bool starts_with(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

// A number in the hybrid-36 form that programs write once a field's decimal
// range is used up: width w, decimal up to 10^w - 1, then "A000".. (upper
// case digits and letters) from 10^w, then "a000".. (lower case) after that.
// The field as written (not upper-cased); false when it is not such a number.
bool hybrid36(std::string_view f, long& out) {
  const size_t w = f.size();
  if (w == 0 || w > 6) return false;
  const bool upper = f[0] >= 'A' && f[0] <= 'Z';
  if (!upper && !(f[0] >= 'a' && f[0] <= 'z')) return false;
  long value = 0;
  for (char c : f) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (upper && c >= 'A' && c <= 'Z')
      d = c - 'A' + 10;
    else if (!upper && c >= 'a' && c <= 'z')
      d = c - 'a' + 10;
    else
      return false;
    value = value * 36 + d;
  }
  long lead = 10, decimal = 1;  // 10 * 36^(w-1) and 10^w
  for (size_t k = 1; k < w; ++k) lead *= 36;
  for (size_t k = 0; k < w; ++k) decimal *= 10;
  out = value - lead + decimal + (upper ? 0 : 26 * (lead / 10));
  return true;
}

// A decimal or hybrid-36 integer field: false when it is neither.
bool pdb_integer(std::string_view raw, column c, long& out) {
  std::string_view f;
  if (!field(raw, c, f)) return false;
  return leading_long(f, out) || hybrid36(f, out);
}

// Fills the atom from the record; false when the residue number cannot be
// read (it is then 0).
bool fill_atom_from_line(std::string_view raw, std::string_view up, char chain, long model, atom& a) {
  std::string_view f;
  a.hetatm = starts_with(up, "HETATM");
  long v = 0;
  a.serial = pdb_integer(raw, col_serial, v) ? v : 0;
  if (field(up, col_name, f)) a.name = std::string(f);
  if (field(up, col_altloc, f)) a.altloc = f[0];
  if (field(up, col_resname, f)) a.res_name = std::string(f);
  (void)col_chain;
  a.chain_id = std::string(1, chain);
  const bool resseq_read = pdb_integer(raw, col_resseq, v);
  a.res_seq = resseq_read ? v : 0;
  if (field(up, col_icode, f)) a.icode = f[0];
  bool px = field(up, col_x, f);
  a.xyz[1] = read_coordinate(f, px);
  bool py = field(up, col_y, f);
  a.xyz[2] = read_coordinate(f, py);
  bool pz = field(up, col_z, f);
  a.xyz[3] = read_coordinate(f, pz);
  if (a.xyz[3] == DBL_MAX && a.xyz[2] != DBL_MAX && up.size() > 46)
    a.xyz[3] = read_coordinate(up.substr(46), true);  // z cut short: the rest of the line
  double d = 0;
  a.occupancy = field(up, col_occ, f) && leading_double(f, d) ? d : 1.0;
  a.bfactor = field(up, col_bfac, f) && leading_double(f, d) ? d : 0.0;
  if (field(up, col_segid, f) && !trim_view(f).empty()) a.seg_id = std::string(f);
  if (field(up, col_element, f) && !trim_view(f).empty()) a.element = std::string(f);
  if (field(up, col_charge, f) && !trim_view(f).empty()) a.charge = std::string(f);
  a.model = model;
  return resseq_read;
}

std::string atom_description(const atom& a) {
  return a.name + ":" + a.res_name + ":" + a.chain_id + ":" + std::to_string(a.res_seq);
}

void check_atom_symbol(atom& a, long& invalid_elements) {
  if (a.element != "__" && a.element != "  ") {
    std::string t = trimmed(a.element);
    a.element = t.size() == 1 ? std::string(" ") + t : t;
    if (a.element == " D") {
      a.element = " H";
      a.deuterium = 1;
    }
    if (!is_valid_element_symbol(a.element)) {
      if (++invalid_elements == 1) {
        logit_verbosef("invalid PDB atomic symbol at 77-78: <%2.2s>\n", a.element.c_str());
      }
      a.element = "__";
    }
  }
}

bool known_symbol(const std::string& s) { return s != "__" && s != "  " && !s.empty(); }

}  // namespace

// ---------------------------------------------------------------------------
// Reading

bool is_atom_hetatm_record(const char* line, long length) {
  return length >= MIN_ATOM_RECORD &&
         (std::strncmp(line, "ATOM  ", 6) == 0 || std::strncmp(line, "HETATM", 6) == 0);
}

void add_more_atom_info(atom& a) {
  a.atomic_number = match_atomic_number_from_name(a.element);
  a.raw_name = a.name;
  a.raw_res_name = a.res_name;
  // the first word of the name (no word list built: this runs for every atom)
  const std::string_view s(a.name);
  const size_t from = s.find_first_not_of(" \t");
  if (from == std::string_view::npos) {
    logit_verbosef("[i] empty or white-space string: '%s'\n", a.name.c_str());
    return;
  }
  const size_t to = std::min(s.find_first_of(" \t", from), s.size());
  std::string_view w = s.substr(from, to - from);
  while (!w.empty() && is_blank_char(w.front())) w.remove_prefix(1);
  while (!w.empty() && is_blank_char(w.back())) w.remove_suffix(1);
  // the four-column form, built before the name (which w views) is replaced
  char padded[4] = {' ', ' ', ' ', ' '};
  switch (w.size()) {
    case 1:
    case 3:
      w.copy(padded + 1, w.size());
      break;
    case 2:
      w.copy(padded + (w.find(a.element) != std::string_view::npos ? 0 : 1), 2);
      break;
    default:
      return;
  }
  a.name.assign(padded, 4);
}

void check_atom_name(std::string& name) {
  VASK_ASSERT(name.size() == 4);
  auto blank_or_digit = [](char c) { return c == ' ' || std::isdigit(static_cast<unsigned char>(c)); };
  if ((!blank_or_digit(name[0]) && blank_or_digit(name[1]) && name[3] == ' ') ||
      same_atom_name(name, "OP1 ") || same_atom_name(name, "OP2 ") || same_atom_name(name, "O1P ") ||
      same_atom_name(name, "O2P ")) {
    name.pop_back();  // " " and the first three
    name.insert(name.begin(), ' ');
  }
}

bool valid_atom(atom& a, const std::string& altlocs, const chain_selection& chains) {
  if (altlocs.find('*') == std::string::npos && altlocs.find(a.altloc) == std::string::npos)
    return false;
  if (!chains.selects(a.chain_id)) return false;
  if (Gvars.occupancy != 0 && a.occupancy < Gvars.occupancy) return false;
  if (Gvars.bfactor != 0 && a.bfactor > Gvars.bfactor) return false;
  for (int k = 1; k <= 3; ++k)
    if (std::fabs(a.xyz[k]) > COORD_LIMIT) return false;
  add_more_atom_info(a);
  return true;
}

void standardize_atom_symbol_number(struct_mol& mol) {
  atomlist scratch;
  const atomlist& list = active_atomlist(scratch);
  // What a name and a symbol as read come to, once per distinct pair: the
  // names and symbols of a structure repeat, and the lookups behind them
  // (symbol check, name list, element table) were a good part of reading.
  // Only a quiet outcome is kept: a pair that logs anything (an invalid
  // symbol, a name without a match, a mismatch) goes the full way every time,
  // so that its log lines stay as they are.
  struct outcome {
    char element[2];
    bool deuterium;  // the symbol read was " D"
    long atomic_number;
  };
  std::unordered_map<std::uint64_t, outcome> quiet;
  auto key_of = [](const atom& a, std::uint64_t& key) {
    if (a.name.size() != 4 || a.element.size() != 2) return false;
    key = 0;
    std::memcpy(&key, a.name.data(), 4);
    std::memcpy(reinterpret_cast<char*>(&key) + 4, a.element.data(), 2);
    return true;
  };
  std::unordered_map<std::string, std::string> derived_of;
  for (long i = 1; i <= mol.num_atoms; ++i) {
    atom& a = mol.atoms[i];
    std::uint64_t key = 0;
    const bool keyed = key_of(a, key);
    if (keyed) {
      if (auto seen = quiet.find(key); seen != quiet.end()) {
        a.element.assign(seen->second.element, 2);
        if (seen->second.deuterium) a.deuterium = true;
        a.atomic_number = seen->second.atomic_number;
        continue;
      }
    }
    const auto warned = mol.warned;
    const bool deuterium = a.deuterium;
    check_atom_symbol(a, mol.warned.invalid_element);
    auto known = derived_of.find(a.name);
    std::string derived = known != derived_of.end()
                              ? known->second
                              : convert_pdb_name_to_element(a.name, list, mol.warned.atom_name);
    if (known == derived_of.end() && derived != "__") derived_of.emplace(a.name, derived);
    bool file_known = known_symbol(a.element);
    bool derived_known = known_symbol(derived);
    if (!file_known && !derived_known) {
      if (++mol.warned.atom_symbol <= 9)
        prglog_msg("\tcannot derive symbol for atom %s\n", atom_description(a).c_str());
      a.atomic_number = 0;
      continue;
    }
    bool logged = mol.warned.invalid_element != warned.invalid_element ||
                  mol.warned.atom_name != warned.atom_name;
    if (!file_known) {
      a.element = derived;
    } else if (derived_known && derived != a.element) {
      prglog_msg("\tsymbol PDB [%s] =/= derived [%s] for atom %s\n", a.element.c_str(),
                 derived.c_str(), atom_description(a).c_str());
      logged = true;
    }
    a.atomic_number = match_atomic_number_from_name(a.element);
    if (keyed && !logged && a.element.size() == 2)
      quiet.emplace(key, outcome{{a.element[0], a.element[1]}, a.deuterium && !deuterium, a.atomic_number});
  }
}

void read_pdb_model_fp(FILE* fp, long model, const std::string& altlocs,
                       const chain_selection& chains, struct_mol& mol) {
  ensure_periodic_table();
  std::vector<atom> atoms(1);
  // A file without MODEL records is one model: while none has been seen, its
  // atoms stand in for model 1 when model 1 is asked.
  std::vector<atom> unnumbered(1);
  bool seen_model = false;
  std::string line, up;
  long current_model = 0;
  long unreadable = 0;  // residue numbers that are neither decimal nor hybrid-36
  const bool one_model = mol.model_mode < 4;
  line_reader in(fp, mol.file_name, 0);  // structures: as many lines as they have
  while (in.next(line)) {
    if (one_model) {
      if (model == 1 && !seen_model && starts_with(line, "END") && !starts_with(line, "ENDMDL")) break;
      if (model < 0 && starts_with(line, "END")) break;
      if (model >= 0 && starts_with(line, "ENDMDL") && current_model == model) break;
    }
    char chain = line.size() >= 22 ? line[21] : ' ';
    up = line;
    for (char& c : up) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (starts_with(up, "MODEL ")) {
      long v = 0;
      current_model = leading_long(std::string_view(up).substr(6), v) ? v : 0;
      seen_model = true;
      unnumbered.resize(1);
      continue;
    }
    if (!is_atom_hetatm_record(up.c_str(), static_cast<long>(up.size()))) continue;
    const bool stand_in = model == 1 && !seen_model;
    if (model >= 0 && current_model != model && !stand_in) continue;
    atom a;
    if (!fill_atom_from_line(line, up, chain, current_model, a) && ++unreadable == 1)
      runlog_msg("[w] residue number '%s' cannot be read (taken as 0: such residues may "
                 "merge)\n", line.substr(22, 4).c_str());
    if (valid_atom(a, altlocs, chains)) (stand_in ? unnumbered : atoms).push_back(std::move(a));
  }
  if (unreadable > 1) runlog_msg("[w] %ld atoms with an unreadable residue number\n", unreadable);
  if (model == 1 && !seen_model) atoms.swap(unnumbered);
  set_atoms_array(atoms, model, mol);
}

void set_atoms_array(std::vector<atom>& atoms, long model, struct_mol& mol) {
  if (atoms.size() == 1) {
    // a file without usable atoms is an input error, not a normal end
    if (model < 0) fatal("[e] no ATOM/HETATM records found in '%s'\n", mol.file_name.c_str());
    fatal("[e] no model#%ld found in '%s'\n", model, mol.file_name.c_str());
  }
  mol.atoms = std::move(atoms);
  mol.num_atoms = static_cast<long>(mol.atoms.size()) - 1;
  for (long i = 1; i <= mol.num_atoms; ++i) {
    atom& a = mol.atoms[i];
    a.index = i;
    check_atom_name(a.name);
    std::replace(a.name.begin(), a.name.end(), '*', '\'');
    // trimmed of any white space, then right-justified in 3 characters; most
    // names are so already and stay untouched
    std::string_view rn = a.res_name;
    while (!rn.empty() && is_blank_char(rn.front())) rn.remove_prefix(1);
    while (!rn.empty() && is_blank_char(rn.back())) rn.remove_suffix(1);
    if (rn.size() < 3)
      a.res_name = std::string(3 - rn.size(), ' ') + std::string(rn);
    else if (rn.size() != a.res_name.size())
      a.res_name = std::string(rn);
  }
  standardize_atom_symbol_number(mol);
}

bool check_mmcif(const std::string& file) {
  auto ends_with = [&](const char* ext) {
    size_t n = std::strlen(ext);
    return file.size() >= n && strcasecmp(file.c_str() + file.size() - n, ext) == 0;
  };
  if (file == "stdin" || file == "-") return 0;
  size_t dot = file.find_last_of('.');
  std::string ext = dot == std::string::npos ? std::string() : file.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == ".ent" || ext == ".brk" ||
      (ext.rfind(".pdb", 0) == 0 &&
       std::all_of(ext.begin() + 4, ext.end(), [](char c) { return std::isdigit(c); })))
    return 0;
  const char* reason = nullptr;
  if (ends_with(".cif") || ends_with(".mmcif") || ends_with(".pdbx")) {
    reason = "file extension";
  } else if (FILE* fp = std::fopen(file.c_str(), "r")) {
    const scoped_file holder(fp);  // closed unchecked, also when a line ends the run
    line_reader in(fp, file, 0);
    std::string line;
    bool after_loop = false;
    while (reason == nullptr && in.next(line)) {
      std::string t = trimmed(line);
      if (t.empty() || t[0] == '#') continue;
      if (after_loop && strncasecmp(t.c_str(), "_atom_site.", 11) == 0) reason = "_atom_site tags";
      after_loop = strncasecmp(t.c_str(), "loop_", 5) == 0;
    }
  }  // a read error (a folder) is the reader's to report
  if (reason == nullptr) return 0;
  runlog_msg("[i] '%s' taken as in .cif format by %s.\n", file.c_str(), reason);
  return 1;
}

void read_pdb_simple_model(const std::string& file, struct_mol& mol, long model,
                           const std::string* altlocs, const chain_selection* chains, long model_mode,
                           long parts) {
  // standard input has no name to go by and cannot be read twice: it is
  // loaded whole and taken as mmCIF when it holds an atom loop, else as PDB;
  // a named file is decided for itself
  const bool piped = Gvars.input_format == 3 && is_stdin(file);
  bool cif = Gvars.input_format == 2 || piped || (Gvars.input_format == 3 && check_mmcif(file));
  init_struct_mol(file, mol);
  if (model_mode != 0) mol.model_mode = model_mode;
  if (parts != 0) mol.parts = parts;
  static const chain_selection every_chain{};
  std::string alt = altlocs == nullptr ? "*" : altlocs->substr(0, 511);
  const chain_selection& chs = chains == nullptr ? every_chain : *chains;
  scoped_file in(open_file(file.c_str(), "r"));  // closed also when reading fails
  if (cif) {
    cif_reader r;
    load_cif_stream(in.get(), file, r);
    in.close();
    if (fill_mmcif_header_with_checks(r)) {
      if (piped) runlog_msg("[i] standard input taken as in .cif format by its _atom_site tags.\n");
      read_cif_atoms(r, model, alt, chs, mol);
    } else {
      // no usable atom loop: the text is tried as PDB records
      FILE* mem = r.text.empty() ? nullptr : fmemopen(r.text.data(), r.text.size(), "r");
      if (mem == nullptr) fatal("[e] no ATOM/HETATM records found in '%s'\n", file.c_str());
      std::unique_ptr<FILE, int (*)(FILE*)> closer(mem, std::fclose);
      read_pdb_model_fp(mem, model, alt, chs, mol);
    }
  } else {
    read_pdb_model_fp(in.get(), model, alt, chs, mol);
    in.close();
  }
  populate_residues(mol);
  mol.stage.residues = 1;
}

void read_pdb_simple(const std::string& file, struct_mol& mol) {
  read_pdb_simple_model(file, mol, -1, &Gvars.altlocs, &Gvars.chains);
}

}  // namespace vask
