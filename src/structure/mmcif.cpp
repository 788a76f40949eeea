// mmCIF input and the models of an ensemble: see mmcif.hpp.
#include "structure/mmcif.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <strings.h>

#include "structure/bond.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr double COORD_LIMIT = 1e36;  // larger coordinates count as unreadable
constexpr size_t TAG_PREFIX = 11;     // strlen("_atom_site.")
constexpr long MAX_WARNINGS = 9;      // per-row warnings of one run

// The blanks that separate CIF tokens, as a table: the tokenizer asks this
// for every character of the file.
constexpr std::array<bool, 256> blank_table = [] {
  std::array<bool, 256> t{};
  t[static_cast<unsigned char>(' ')] = t[static_cast<unsigned char>('\t')] = true;
  t[static_cast<unsigned char>('\n')] = t[static_cast<unsigned char>('\r')] = true;
  return t;
}();

bool is_blank(char c) { return blank_table[static_cast<unsigned char>(c)]; }

// Characters a plain value of a row can start with and still be none of the
// rest: not a blank, a comment, a quote or a text field, and no tag ('_') or
// reserved word (loop_, data_, save_, stop_, global_) either. Rows are mostly
// such values, taken without the general tokenizer.
constexpr std::array<bool, 256> plain_start_table = [] {
  std::array<bool, 256> t{};
  for (auto& v : t) v = true;
  for (unsigned char c : std::string_view(" \t\n\r#'\";_lLdDsSgG")) t[c] = false;
  return t;
}();

bool starts_nc(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && strncasecmp(s.data(), prefix.data(), prefix.size()) == 0;
}

// One token of CIF text: its value (quotes and text-field markers removed),
// where it starts, and whether it was quoted (a quoted value is never a
// keyword or a tag).
struct cif_token {
  std::string_view value;
  size_t start = 0;
  bool quoted = false;
};

// The next token at or after pos; false at the end of the text. Comments run
// from a '#' that starts a token to the end of its line; a quoted value ends
// at its quote character followed by a blank; a text field runs from a ';' at
// the start of a line to the next line that starts with ';'. A quote that is
// never closed on its line makes the token a plain one.
bool next_token(std::string_view t, size_t& pos, cif_token& tok) {
  const size_t n = t.size();
  while (pos < n) {
    char c = t[pos];
    if (is_blank(c)) {
      ++pos;
    } else if (c == '#') {
      size_t e = t.find('\n', pos);
      pos = e == std::string_view::npos ? n : e + 1;
    } else {
      break;
    }
  }
  if (pos >= n) return false;
  const std::string_view all = t;
  const char c = t[pos];
  tok.start = pos;
  tok.quoted = false;
  if (c == ';' && (pos == 0 || t[pos - 1] == '\n')) {
    size_t body = pos + 1, k = body;
    for (;;) {
      size_t nl = t.find('\n', k);
      if (nl == std::string_view::npos) {  // unterminated: the rest of the text
        tok.value = all.substr(body);
        pos = n;
        break;
      }
      if (nl + 1 < n && t[nl + 1] == ';') {
        // the value without the line ends and blanks around it
        size_t b = body, e = nl;
        while (b < e && is_blank(t[b])) ++b;
        while (e > b && is_blank(t[e - 1])) --e;
        tok.value = all.substr(b, e - b);
        pos = nl + 2;
        break;
      }
      k = nl + 1;
    }
    tok.quoted = true;
    return true;
  }
  if (c == '\'' || c == '"') {
    for (size_t k = pos + 1; k < n && t[k] != '\n' && t[k] != '\r'; ++k) {
      if (t[k] == c && (k + 1 == n || is_blank(t[k + 1]))) {
        tok.value = all.substr(pos + 1, k - pos - 1);
        tok.quoted = true;
        pos = k + 1;
        return true;
      }
    }
  }
  const char* const b = t.data();
  const char* e = b + pos + 1;  // t[pos] is not blank
  const char* const end = b + n;
  while (e != end && !is_blank(*e)) ++e;
  const size_t k = static_cast<size_t>(e - b);
  tok.value = all.substr(pos, k - pos);
  pos = k;
  return true;
}

// A plain token that ends a loop: a tag or one of the reserved words.
bool is_loop_end(const cif_token& tok) {
  if (tok.quoted || tok.value.empty()) return false;
  std::string_view v = tok.value;
  switch (v[0]) {  // a cheap first test: this runs for every value of the file
    case '_': return true;
    case 'l': case 'L': return starts_nc(v, "loop_");
    case 'd': case 'D': return starts_nc(v, "data_");
    case 's': case 'S': return starts_nc(v, "save_") || starts_nc(v, "stop_");
    case 'g': case 'G': return starts_nc(v, "global_");
    default: return false;
  }
}

bool whole_long(std::string_view s, long& out) {
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return r.ec == std::errc() && r.ptr == s.data() + s.size() && !s.empty();
}

// A plain decimal ("-12.345": no exponent, at most 15 digits) is the
// quotient of two integers that a double holds exactly, and one division
// rounds it correctly: the very value of the general conversion, which the
// coordinates of every row would otherwise take.
bool plain_decimal(std::string_view s, double& out) {
  static constexpr double tens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  size_t k = 0;
  const bool negative = !s.empty() && s[0] == '-';
  if (negative) k = 1;
  std::uint64_t m = 0;
  int digits = 0, decimals = 0;
  bool point = false;
  for (; k < s.size(); ++k) {
    const char c = s[k];
    if (c >= '0' && c <= '9') {
      if (++digits > 15) return false;
      m = m * 10 + static_cast<std::uint64_t>(c - '0');
      decimals += point;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  const double v = static_cast<double>(m) / tens[decimals];
  out = negative ? -v : v;
  return true;
}

// A number as CIF writes it; a trailing standard uncertainty "(3)" is allowed.
bool cif_double(std::string_view s, double& out) {
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  if (plain_decimal(s, out)) return true;
  auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  if (r.ec != std::errc() || r.ptr == s.data() || !std::isfinite(out)) return false;
  return r.ptr == s.data() + s.size() || *r.ptr == '(';
}

bool null_value(std::string_view v) { return v.empty() || v == "." || v == "?"; }

std::string right_justified(std::string_view v, size_t width) {
  v = v.substr(0, width);
  return std::string(width - v.size(), ' ') + std::string(v);
}

// dst = the first width characters of v right-justified in width (upper
// case when asked), in place: this runs for fields of every row.
void assign_right_justified(std::string& dst, std::string_view v, size_t width, bool to_upper) {
  v = v.substr(0, width);
  dst.assign(width - v.size(), ' ');
  for (char c : v)
    dst += to_upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
}

// PDBx makes the group column optional (some converters leave it out): then
// every row of the loop is an atom record.
bool atom_row(const cif_reader& r, const cif_row& row) {
  if (r.pos[CIF_GROUP] == 0) return true;
  std::string_view g = cif_value(r, row, CIF_GROUP);
  return strncasecmp(g.data(), "ATOM", 4) == 0 ? g.size() == 4
                                               : g.size() == 6 && strncasecmp(g.data(), "HETATM", 6) == 0;
}

void load_cif_file(const std::string& file, cif_reader& r) {
  scoped_file in(open_file(file, "r"));
  load_cif_stream(in.get(), file, r);
  in.close();
}

// One row as an atom at the end of atoms, through the filter every reader
// shares; a row without a name or filtered out leaves nothing.
void keep_cif_atom(const cif_reader& r, const cif_row& row, long m, const std::string& altlocs,
                   const chain_selection& chains, std::vector<atom>& atoms) {
  atom& a = atoms.emplace_back();  // filled in place: no copy of the record
  if (!fill_one_cif_atom(r, row, m, a) || !valid_atom(a, altlocs, chains)) {
    atoms.pop_back();
    return;
  }
  // An mmCIF name has no column layout of its own: "as read" is the name in
  // PDB's 4-column form (" P  ", " N9 "), not the bare token right-justified.
  a.raw_name = a.name;
}

// Whether a line may hold "loop_" or a tag starting "_atom_site." (in any
// case): both hold an underscore.
bool may_start_atom_sites(std::string_view line) {
  for (size_t k = line.find('_'); k != std::string_view::npos; k = line.find('_', k + 1)) {
    if (k >= 4 && starts_nc(line.substr(k - 4), "loop_")) return true;
    if (starts_nc(line.substr(k), "_atom_site.")) return true;
  }
  return false;
}

size_t rows_estimate(const cif_reader& r) {
  if (r.next == std::string::npos) return 1;
  // the library's search finds line ends many bytes at a time
  const std::string_view t = std::string_view(r.text).substr(r.next);
  size_t lines = 0;
  for (const char *p = t.data(), *end = p + t.size();
       (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)))) != nullptr; ++p)
    ++lines;
  return lines + 2;
}

}  // namespace

// ---------------------------------------------------------------------------
// Reading

bool is_cif_file(const std::string& file) {
  if (Gvars.input_format == 2) return true;
  if (Gvars.input_format != 3) return false;
  return check_mmcif(file);  // decided for every file
}

void load_cif_stream(FILE* fp, const std::string& name, cif_reader& r) {
  r = cif_reader{};
  r.file_name = name;
  if (fp == nullptr) return;
  // room for a regular file is made at once (not cleared first, as a resized
  // buffer would be, only to be overwritten); a pipe grows it as it comes
  long size = std::fseek(fp, 0, SEEK_END) == 0 ? std::ftell(fp) : -1;
  if (size > 0 && std::fseek(fp, 0, SEEK_SET) == 0) r.text.reserve(static_cast<size_t>(size));
  char buf[1 << 16];
  size_t got = 0;
  while ((got = std::fread(buf, 1, sizeof buf, fp)) > 0) r.text.append(buf, got);
}

bool fill_mmcif_header_with_checks(cif_reader& r) {
  r.tags.clear();
  r.pos.fill(0);
  r.next = std::string::npos;
  size_t p = 0;
  cif_token tok;
  bool after_loop = false;
  const std::string_view text = r.text;
  // What comes before the atom sites (a quarter of a large entry) is passed
  // over a line at a time where the line can hold neither "loop_" nor an
  // atom-site tag; no token reaches past its line but a text field, which
  // starts with ';' at a line's start.
  while (p < text.size()) {
    if (p == 0 || text[p - 1] == '\n') {
      size_t e = text.find('\n', p);
      if (e == std::string_view::npos) e = text.size();
      if (text[p] != ';' && !may_start_atom_sites(text.substr(p, e - p))) {
        size_t f = p;
        while (f < e && is_blank(text[f])) ++f;
        if (f < e && text[f] != '#') after_loop = false;  // the line's last token is no "loop_"
        p = e < text.size() ? e + 1 : e;
        continue;
      }
    }
    const size_t line_end = text.find('\n', p);
    if (!next_token(text, p, tok)) break;
    if (line_end != std::string_view::npos && tok.start > line_end) {
      p = text.rfind('\n', tok.start - 1) + 1;  // the token's own line, looked at first
      continue;
    }
    if (!tok.quoted && after_loop && starts_nc(tok.value, "_atom_site.")) {
      size_t row_start = std::string::npos;
      do {
        if (tok.quoted || !starts_nc(tok.value, "_atom_site.")) {
          if (!is_loop_end(tok)) row_start = tok.start;
          break;
        }
        r.tags.emplace_back(tok.value.substr(TAG_PREFIX));
      } while (next_token(text, p, tok));
      for (size_t t = 1; t < cif_atom_site_tags.size(); ++t)
        for (size_t k = 0; k < r.tags.size(); ++k)
          if (strcasecmp(r.tags[k].c_str(), cif_atom_site_tags[t]) == 0) {
            r.pos[t] = static_cast<long>(k) + 1;
            break;
          }
      const auto& q = r.pos;
      bool ok = q[CIF_TYPE_SYMBOL] && r.tags.size() >= 8 &&
                (q[CIF_AUTH_ATOM] || q[CIF_LABEL_ATOM]) && (q[CIF_AUTH_COMP] || q[CIF_LABEL_COMP]) &&
                (q[CIF_LABEL_SEQ] || q[CIF_AUTH_SEQ]) && q[CIF_X] && q[CIF_Y] && q[CIF_Z];
      if (!ok) {
        runlog_msg("[w] -- without eight required fields for mmCIF\n");
        return false;
      }
      r.next = row_start;
      return true;
    }
    after_loop = !tok.quoted && tok.value.size() == 5 && starts_nc(tok.value, "loop_");
  }
  return false;
}

bool has_proper_mmcif_headers(const std::string& file) {
  if (!exist_file(file) || is_stdin(file)) return 0;
  cif_reader r;
  load_cif_file(file, r);
  return fill_mmcif_header_with_checks(r) ? 1 : 0;
}

bool next_cif_row(cif_reader& r, cif_row& row) {
  if (r.next == std::string::npos || r.tags.empty()) return false;
  const size_t ntags = r.tags.size();
  row.values.resize(ntags);
  size_t p = r.next;
  cif_token tok;
  const std::string_view text = r.text;
  const char* const b = text.data();
  const size_t n = text.size();
  for (size_t k = 0; k < ntags; ++k) {
    while (p < n && is_blank(b[p])) ++p;
    if (p < n && plain_start_table[static_cast<unsigned char>(b[p])]) {
      const size_t from = p;
      while (++p < n && !is_blank(b[p])) {
      }
      if (k == 0) row.start = from;
      row.values[k] = text.substr(from, p - from);
      continue;
    }
    if (!next_token(text, p, tok) || is_loop_end(tok)) {
      if (k > 0 && ++r.warned <= MAX_WARNINGS)
        runlog_msg("[w] mmCIF row cut short in '%s': %zu of %zu values\n", r.file_name.c_str(), k, ntags);
      r.next = std::string::npos;
      return false;
    }
    if (k == 0) row.start = tok.start;
    row.values[k] = tok.value;
  }
  row.end = p;
  r.next = p;
  return true;
}

std::string_view cif_value(const cif_reader& r, const cif_row& row, int tag) {
  long k = r.pos[static_cast<size_t>(tag)];
  return k > 0 ? row.values[static_cast<size_t>(k - 1)] : std::string_view();
}

long cif_row_model(const cif_reader& r, const cif_row& row) {
  long m = 0;
  return whole_long(cif_value(r, row, CIF_MODEL), m) ? m : 0;
}

bool fill_one_cif_atom(const cif_reader& r, const cif_row& row, long model, atom& a) {
  auto value = [&](int tag) { return cif_value(r, row, tag); };
  auto either = [&](int preferred, int other) {
    return r.pos[static_cast<size_t>(preferred)] ? value(preferred) : value(other);
  };
  long v = 0;
  double d = 0;
  a.model = model;
  std::string_view group = value(CIF_GROUP);
  a.hetatm = group.size() == 6 && starts_nc(group, "HETATM");
  a.serial = whole_long(value(CIF_ID), v) ? v : 0;
  VASK_ASSERT(r.pos[CIF_TYPE_SYMBOL] != 0);
  assign_right_justified(a.element, value(CIF_TYPE_SYMBOL), 2, true);
  std::string_view name = either(CIF_AUTH_ATOM, CIF_LABEL_ATOM);
  // white space of any kind (a quoted tab) gives no name either
  if (null_value(name) || name.find_first_not_of(" \t\r\n\v\f") == std::string_view::npos) {
    if (++r.warned <= MAX_WARNINGS)
      runlog_msg("[w] mmCIF atom without a name skipped in '%s' (serial %ld)\n", r.file_name.c_str(),
                 a.serial);
    return false;
  }
  a.name.assign(name.substr(0, 4));
  std::string_view alt = value(CIF_LABEL_ALT);
  a.altloc = null_value(alt) ? ' ' : alt[0];
  assign_right_justified(a.res_name, either(CIF_AUTH_COMP, CIF_LABEL_COMP), 3, false);
  std::string_view chain = either(CIF_AUTH_ASYM, CIF_LABEL_ASYM);
  if (chain.empty()) chain = " ";
  if (chain.size() > 4 && ++r.warned <= MAX_WARNINGS)
    runlog_msg("[w] mmCIF chain id '%.*s' cut to 4 characters\n", static_cast<int>(chain.size()),
               chain.data());
  a.chain_id.assign(chain.substr(0, 4));
  a.entity = whole_long(value(CIF_ENTITY), v) ? v : 0;
  a.res_seq = whole_long(either(CIF_AUTH_SEQ, CIF_LABEL_SEQ), v) ? v : 0;
  std::string_view ins = value(CIF_INS_CODE);
  a.icode = null_value(ins) ? ' ' : ins[0];
  for (int k = 1; k <= 3; ++k)
    a.xyz[static_cast<size_t>(k)] =
        cif_double(value(CIF_X + k - 1), d) && std::fabs(d) <= COORD_LIMIT ? d : DBL_MAX;
  if (cif_double(value(CIF_OCC), d)) a.occupancy = d;
  if (cif_double(value(CIF_BFACTOR), d)) a.bfactor = d;
  std::string_view charge = value(CIF_CHARGE);
  if (!null_value(charge)) {
    std::string c = right_justified(charge, 2);
    if (std::string_view(" ?; .").find(c) == std::string_view::npos) a.charge = c;
  }
  return true;
}

void read_cif_atoms(cif_reader& r, long model, const std::string& altlocs,
                    const chain_selection& chains, struct_mol& mol) {
  ensure_periodic_table();
  std::vector<atom> atoms(1);
  atoms.reserve(rows_estimate(r));
  cif_row row;
  bool first = true, started = false;
  long reference = 0;
  // rows without model numbers are one model: model 1 when it is asked
  if (model == 1 && r.pos[CIF_MODEL] == 0) model = -1;
  while (next_cif_row(r, row) && atom_row(r, row)) {
    long m = cif_row_model(r, row);
    if (first) reference = m;
    first = false;
    if (mol.model_mode < 4) {
      if (model < 0) {
        if (m != reference) continue;
      } else if (m == model) {
        started = true;
      } else if (started) {
        break;
      } else {
        continue;
      }
    }
    keep_cif_atom(r, row, m, altlocs, chains, atoms);
  }
  set_atoms_array(atoms, model, mol);
}

void write_cif_header(FILE* fp, const std::string& block_name) {
  if (fp == nullptr) return;
  std::fprintf(fp, "data_%s\n", block_name.c_str());
  std::fprintf(fp, "# mmcif output file generated by VASK\n");
  std::fprintf(fp, "loop_\n");
  for (size_t k = 1; k < cif_atom_site_tags.size(); ++k) std::fprintf(fp, "_atom_site.%s\n", cif_atom_site_tags[k]);
}

// ---------------------------------------------------------------------------
// Models and ensembles

bool with_model(long model_number) { return Gvars.model_mode != 1 && model_number != 0; }
bool all_models() { return Gvars.model_mode > 3; }
bool nmr() { return Gvars.model_mode == 2; }
bool nmr_ensemble() { return nmr() && Gvars.num_models > 0; }
bool matched_model(long m, long wanted) { return wanted >= 0 && m == wanted; }
bool primary_mol() { return Gvars.select_model == -1; }

long num_selected_models() { return Gvars.model_list.empty() ? 0 : Gvars.model_list[0]; }

namespace {

std::vector<long> scan_pdb_models(const std::string& file) {
  std::vector<long> models;
  scoped_file fp(open_file(file, "r"));
  line_reader in(fp.get(), file, 0);
  std::string line;
  bool inside = false;
  long num_model = 0, num_endmdl = 0;
  while (in.next(line)) {
    if (line.compare(0, 6, "MODEL ") == 0) {
      if (inside) fatal("File '%s' has wrong MODEL/ENDMDL order\n", file.c_str());
      long m = 0;
      if (std::sscanf(line.c_str(), "MODEL %ld", &m) != 1) {
        fatal("Error reading model: '%s'\n", line.c_str());
      }
      models.push_back(m);
      inside = true;
      ++num_model;
    } else if (line.compare(0, 6, "ENDMDL") == 0) {
      inside = false;
      ++num_endmdl;
    }
  }
  fp.close();
  if (num_model != num_endmdl) fatal("File '%s' has unmatched MODEL/ENDMDL pairs\n", file.c_str());
  return models;
}

std::vector<long> scan_cif_models(const std::string& file) {
  cif_reader r;
  load_cif_file(file, r);
  if (!fill_mmcif_header_with_checks(r)) fatal("no ATOM/HETATOM records or models\n");
  std::vector<long> models;
  cif_row row;
  while (next_cif_row(r, row) && atom_row(r, row)) {
    long m = cif_row_model(r, row);
    // rows of one model are consecutive; a number seen before is not a new model
    if (models.empty() || (m != models.back() && std::find(models.begin(), models.end(), m) == models.end()))
      models.push_back(m);
  }
  return models;
}

}  // namespace

void check_nmr(const std::string& file, gvars_rec& settings) {
  if (settings.model_mode != 2) return;
  if (is_stdin(file)) {
    // the scan would use up the stream that the models are then read from
    runlog_msg("[w] an ensemble is read from a file, not from standard input: one model is read\n");
    settings.model_mode = 1;
    return;
  }
  std::vector<long> models = is_cif_file(file) ? scan_cif_models(file) : scan_pdb_models(file);
  if (models.empty()) {
    runlog_msg("no models found: ignoring the --nmr option\n");
    settings.model_mode = 1;
    return;
  }
  settings.num_models = static_cast<long>(models.size());
  settings.model_list.assign(1, settings.num_models);
  settings.model_list.insert(settings.model_list.end(), models.begin(), models.end());
  match_selModels(file, settings);
}

void match_selModels(const std::string& file, gvars_rec& settings) {
  const std::vector<long>& sel = settings.selected_models;
  if (sel.empty() || sel[0] < 1 || settings.model_mode != 2) return;
  const long nsel = sel[0];
  const long largest = sel[static_cast<size_t>(nsel)];
  std::vector<long>& list = settings.model_list;
  long kept = 0;
  for (long k = 1; k <= settings.num_models && kept < nsel; ++k) {
    long m = list[static_cast<size_t>(k)];
    if (m > largest) break;
    if (std::binary_search(sel.begin() + 1, sel.begin() + 1 + nsel, m)) list[static_cast<size_t>(++kept)] = m;
  }
  list[0] = kept;
  runlog_msg("[i] %ld models in '%s', %ld specified via --nmr matched: %ld\n", settings.num_models,
             file.c_str(), nsel, kept);
}

bool symmetry_on_ensemble(const struct_mol& mol) {
  constexpr double SAME_ATOM = 1.0;  // Angstrom: one atom repeated in another model
  if (mol.model_mode < 4 || mol.num_nts < 2) return false;
  std::vector<long> models;
  for (long i = 1; i <= mol.num_atoms; ++i) models.push_back(mol.atoms[i].model);
  std::sort(models.begin(), models.end());
  const long num_models = std::unique(models.begin(), models.end()) - models.begin();
  if (num_models < 2) return false;
  std::vector<xyz> pts(1);
  for (long r = 1; r <= mol.num_residues; ++r) {
    if (!mol.residues[static_cast<size_t>(r)].flag[rf::is_nt]) continue;
    long n = find_atom_in_residue(is_Y(r, mol) ? " N1 " : " N9 ", r, mol);
    if (n != -1) pts.push_back(mol.atoms[static_cast<size_t>(n)].xyz);
  }
  const long n = static_cast<long>(pts.size()) - 1;
  if (n < 2) return false;
  const long close = static_cast<long>(near_pairs(make_cell_grid(pts, n, SAME_ATOM), pts, n, SAME_ATOM).size());
  if (close <= 2 * num_models) return false;
  runlog_msg("[i] You specified --symm, but the input file is an (NMR) ensemble\n");
  runlog_msg("    *** in the following, only the FIRST model will be processed ***\n");
  return true;
}

void read_model_pdb_format(FILE* fp, long model, struct_mol& mol) {
  read_pdb_model_fp(fp, model, Gvars.altlocs, Gvars.chains, mol);
  populate_residues(mol);
  mol.stage.residues = 1;
}

void read_model_cif_format(cif_reader& r, long model, struct_mol& mol) {
  ensure_periodic_table();
  std::vector<atom> atoms(1);
  cif_row row;
  bool started = false;
  long wanted = model;
  size_t pending = std::string::npos;
  // rows of other models before the asked one are passed over (models come
  // in file order, whatever their numbers); after it, another model's row
  // ends this model and is the next call's first row
  while (next_cif_row(r, row) && atom_row(r, row)) {
    long m = cif_row_model(r, row);
    if (wanted < 0) wanted = m;  // none asked: the model of the pending row
    if (m != wanted) {
      if (!started) continue;
      pending = row.start;
      break;
    }
    started = true;
    keep_cif_atom(r, row, m, Gvars.altlocs, Gvars.chains, atoms);
  }
  r.next = pending;
  set_atoms_array(atoms, model, mol);
  populate_residues(mol);
  mol.stage.residues = 1;
}

}  // namespace vask
