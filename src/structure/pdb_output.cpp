// Writing atoms as PDB lines or mmCIF rows: whole structures, residue sets
// moved into a frame, CONECT records, auxiliary file names and the
// nucleotide list file.
//
// A PDB line has fixed columns; a serial or residue number past them is
// written in hybrid-36, any other value too wide for its column narrower
// (fewer decimals) with a warning, so the columns after it never shift. An mmCIF row always has all its fields:
// empty values are "." or "?", values with blanks or quotes are quoted.
#include "structure/pdb_output.hpp"

#include <charconv>
#include <cmath>
#include <algorithm>
#include <set>
#include <cstring>
#include <string_view>

#include "structure/mmcif.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
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

std::string atom_label(const atom& a) {
  if (!a.idstr.empty()) return a.idstr;
  return sformat("%s:%s:%s:%ld", trimmed(a.name).c_str(), trimmed(a.res_name).c_str(),
                 a.chain_id.c_str(), a.res_seq);
}

// A coordinate narrowed loses digits that mmCIF would keep: the warning
// says so.
void warn_overflow(const atom& a, const char* what, double value, int first, int last,
                   const std::string& written, long& overflows) {
  if (++overflows > 9) return;
  const bool coordinate = std::string_view(what).ends_with("coordinate");
  runlog_msg("[w] %s %g of atom %s does not fit PDB columns %d-%d: written as '%s'%s\n", what,
             value, atom_label(a).c_str(), first, last, written.c_str(),
             coordinate ? "; mmCIF output (--cif-output) keeps every digit" : "");
}

// A real number in exactly width characters: decimals dropped one at a time
// until it fits; beyond that, clamped to the widest value that fits.
std::string fit_real(const atom& a, const char* what, double v, int width, int decimals, int first,
                     long& overflows) {
  std::string s = fixed_text(v, width, decimals);
  if (static_cast<int>(s.size()) <= width) return s;
  for (int d = decimals - 1; d >= 0 && static_cast<int>(s.size()) > width; --d)
    s = fixed_text(v, width, d);
  if (static_cast<int>(s.size()) > width) {
    double top = std::pow(10.0, v < 0 ? width - 1 : width) - 1;
    s = sformat("%*.0f", width, v < 0 ? -top : top);
  }
  warn_overflow(a, what, v, first, first + width - 1, s, overflows);
  return s;
}

// An integer in exactly width characters: its low digits when too wide.
// "%*ld" of v, without printf's parsing: two of these per written atom.
std::string integer_text(long v, int width) {
  char buf[24];
  const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
  const long len = end - buf;
  std::string s(width > len ? static_cast<size_t>(width - len) : 0, ' ');
  return s.append(buf, static_cast<size_t>(len));
}

}  // namespace

std::string hybrid36_text(long v, int width) {
  long decimal = 1, lead = 10;  // 10^width and 10 * 36^(width-1)
  for (int k = 0; k < width; ++k) decimal *= 10;
  for (int k = 1; k < width; ++k) lead *= 36;
  const long span = lead / 10 * 26;  // numbers of one letter case
  if (v < decimal) return integer_text(v, width);
  long n = v - decimal;
  const char* digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  if (n >= span) {
    n -= span;
    digits = "0123456789abcdefghijklmnopqrstuvwxyz";
    if (n >= span) return "";
  }
  n += lead;
  std::string s(static_cast<size_t>(width), '0');
  for (int k = width - 1; k >= 0; --k, n /= 36) s[static_cast<size_t>(k)] = digits[n % 36];
  return s;
}

std::string pdb_serial_text(long serial) {
  std::string s = hybrid36_text(serial, 5);
  return s.empty() ? integer_text(((serial % 100000) + 100000) % 100000, 5) : s;
}

namespace {

// Past its decimal range a number goes into the column in hybrid-36;
// beyond that range too (or below it), its low digits, with a warning.
std::string fit_integer(const atom& a, const char* what, long v, int width, int first, long& overflows) {
  std::string s = integer_text(v, width);
  if (static_cast<int>(s.size()) <= width) return s;
  if (v > 0 && !(s = hybrid36_text(v, width)).empty()) return s;
  long mod = 1;
  for (int k = 0; k < width; ++k) mod *= 10;
  s = integer_text(((v % mod) + mod) % mod, width);
  warn_overflow(a, what, static_cast<double>(v), first, first + width - 1, s, overflows);
  return s;
}

bool cif_needs_quotes(std::string_view v) {
  if (v == "." || v == "?") return true;
  if (std::strchr("_#$'\"[];", v[0]) != nullptr) return true;
  return v.find_first_of(" \t") != std::string_view::npos;
}

// One mmCIF value: trimmed; empty_mark when empty; quoted when it holds
// blanks, starts with a reserved character or could be read as a null.
std::string cif_token(std::string_view raw, const char* empty_mark, bool always_quote = false) {
  std::string v = trimmed(raw);
  if (v.empty()) return empty_mark;
  if (!always_quote && !cif_needs_quotes(v)) return v;
  char q = v.find('"') == std::string::npos ? '"' : '\'';
  return q + v + q;
}

// A PDB charge ("2+", "1-") as the signed integer mmCIF holds.
std::string cif_charge(const std::string& charge) {
  std::string c = trimmed(charge);
  if (c.empty()) return "?";
  if (c.size() == 2 && std::isdigit(static_cast<unsigned char>(c[0])) && (c[1] == '+' || c[1] == '-'))
    return c[1] == '-' ? std::string("-") + c[0] : std::string(1, c[0]);
  return cif_token(c, "?");
}

// The given model number of an ensemble file's rows, else the atom's own in
// the symmetry modes, else 1.
long cif_model_number(const atom& a, long model, long model_mode) {
  if (model != 0) return model;
  return model_mode < 4 ? 1 : a.model;
}

// The names as read while the raw-names setting is on; atoms made by the
// program itself have no names as read and write their own.
const std::string& written_name(const atom& a) {
  return Gvars.raw_name && !is_space_string(a.raw_name) ? a.raw_name : a.name;
}
const std::string& written_res_name(const atom& a) {
  return Gvars.raw_name && !is_space_string(a.raw_res_name) ? a.raw_res_name : a.res_name;
}

std::vector<xyz> residue_points(long k, const struct_mol& mol) {
  const residue& r = mol.residues[k];
  std::vector<xyz> pts(1);
  pts.reserve(static_cast<size_t>(r.last_atom - r.first_atom + 2));
  for (long i = r.first_atom; i <= r.last_atom; ++i) pts.push_back(mol.atoms[i].xyz);
  return pts;
}

}  // namespace

// cols 1-6 record | 7-11 serial | 13-16 atom name | 17 altLoc | 18-20 residue | 22 chain
//      23-26 resSeq | 27 iCode | 31-38, 39-46, 47-54 x, y, z (8.3) | 55-60 occupancy (6.2)
//      61-66 B-factor (6.2) | 73-76 segment id | 77-78 element | 79-80 charge
namespace {

// A PDB line put together in place, each field written at its columns:
// printf's parsing of the format, and a string per field, weighed on every
// ensemble file written. Every field has its fixed width, so a line is
// always 80 characters and its newline.
class pdb_line {
 public:
  static constexpr size_t LENGTH = 81;

  pdb_line() {
    std::memset(text_, ' ', LENGTH - 1);
    text_[LENGTH - 1] = '\n';
  }
  // printf's "%W.Ws" (right) or "%-W.Ws" (left) of the C string in s, at
  // columns first (1-based) onwards.
  // Fields are a few characters: plain loops, not library calls.
  void put_text(size_t first, size_t width, std::string_view s, bool left) {
    size_t n = 0;
    while (n < width && n < s.size() && s[n] != '\0') ++n;
    copy(first - 1 + (left ? 0 : width - n), s.data(), n);
  }
  void put_char(size_t column, char c) { text_[column - 1] = c; }
  // "%*.*f" of v when it fits the width; else fit_real's narrower text and
  // its warning.
  void put_real(const atom& a, const char* what, double v, size_t first, int width, int decimals, long& overflows) {
    char buf[40];
    const long len = rounded_text(v, decimals, buf + sizeof buf);
    if (len == 0 || len > width)
      put_text(first, static_cast<size_t>(width), fit_real(a, what, v, width, decimals, static_cast<int>(first), overflows),
               false);
    else
      copy(first - 1 + static_cast<size_t>(width - len), buf + sizeof buf - len, static_cast<size_t>(len));
  }
  // "%*ld" of v when it fits the width; else fit_integer's low digits and
  // its warning.
  void put_integer(const atom& a, const char* what, long v, size_t first, int width, long& overflows) {
    char buf[24];
    const long len = std::to_chars(buf, buf + sizeof buf, v).ptr - buf;
    if (len > width)
      put_text(first, static_cast<size_t>(width), fit_integer(a, what, v, width, static_cast<int>(first), overflows),
               false);
    else
      copy(first - 1 + static_cast<size_t>(width - len), buf, static_cast<size_t>(len));
  }
  std::string_view text() const { return {text_, LENGTH}; }

 private:
  void copy(size_t at, const char* from, size_t n) {
    for (size_t k = 0; k < n; ++k) text_[at + k] = from[k];
  }
  char text_[LENGTH];
};

// A coordinate that is not a finite number ("nan", "inf") is written by no
// writer: no reader, ours included, would take the file back.
void check_finite_point(const atom& a, const xyz& p) {
  if (std::isfinite(p[1]) && std::isfinite(p[2]) && std::isfinite(p[3])) return;
  fatal("[e] atom %s has coordinates that are not finite numbers (%g, %g, %g): writing stopped\n",
        atom_label(a).c_str(), p[1], p[2], p[3]);
}

// The PDB line of atom a with the given coordinates and serial number.
pdb_line make_pdb_line(const atom& a, const xyz& p, long serial_number, long& overflows, long model_mode) {
  check_finite_point(a, p);
  std::string_view seg = "    ";
  char model_text[24];
  if (!Gvars.cartoon[CTN_BEST_VIEW]) {
    if (a.seg_id != "    " && !a.seg_id.empty()) {
      seg = a.seg_id;
    } else if (a.chain_id.size() >= 2) {
      seg = a.chain_id;
    } else if (model_mode != 1 && a.model != 0) {
      // "%-4ld" of the model number ("3   "; a precision would zero-pad), cut below
      const long len = std::to_chars(model_text, model_text + sizeof model_text, a.model).ptr - model_text;
      seg = std::string_view(model_text, static_cast<size_t>(len));
    }
  }
  // "%-6s%5ld %4.4s%c%3.3s %c%4ld%c   %8.3f%8.3f%8.3f%6.2f%6.2f      %-4.4s%2.2s%2.2s\n"
  pdb_line line;
  line.put_text(1, 6, a.hetatm ? "HETATM" : "ATOM", true);
  line.put_integer(a, "serial number", serial_number, 7, 5, overflows);
  line.put_text(13, 4, written_name(a), false);
  line.put_char(17, a.altloc);
  line.put_text(18, 3, written_res_name(a), false);
  line.put_char(22, a.chain_id.empty() ? ' ' : a.chain_id[0]);
  line.put_integer(a, "residue number", a.res_seq, 23, 4, overflows);
  line.put_char(27, a.icode);
  line.put_real(a, "x coordinate", p[1], 31, 8, 3, overflows);
  line.put_real(a, "y coordinate", p[2], 39, 8, 3, overflows);
  line.put_real(a, "z coordinate", p[3], 47, 8, 3, overflows);
  line.put_real(a, "occupancy", a.occupancy, 55, 6, 2, overflows);
  line.put_real(a, "B-factor", a.bfactor, 61, 6, 2, overflows);
  line.put_text(73, 4, seg, true);
  line.put_text(77, 2, a.deuterium ? " D" : a.element.c_str(), false);
  line.put_text(79, 2, a.charge, false);
  return line;
}

void write_pdb_line(FILE* fp, const atom& a, const xyz& p, long serial_number, long& overflows,
                    long model_mode) {
  const pdb_line line = make_pdb_line(a, p, serial_number, overflows, model_mode);
  std::fwrite(line.text().data(), 1, pdb_line::LENGTH, fp);
}

// The mmCIF row of atom a with the given coordinates and serial number:
// fields in the tag order of output_cif_header, one blank apart.
void write_cif_row(FILE* fp, const atom& a, const xyz& p, long serial_number, long model, long model_mode) {
  check_finite_point(a, p);
  const std::string& name = written_name(a);
  const std::string& res = written_res_name(a);
  std::string element = a.deuterium ? "D" : (a.element == "__" ? "?" : cif_token(a.element, "?"));
  std::string qname = cif_token(name, "?", true);
  std::string rname = cif_token(res, "?");
  std::string chain = cif_token(a.chain_id, ".");
  std::string alt = a.altloc == ' ' ? "." : cif_token(std::string(1, a.altloc), ".");
  std::string icode = a.icode == ' ' ? "?" : cif_token(std::string(1, a.icode), "?");
  std::fprintf(fp, "%s %ld %s %s %s %s %s %ld %ld %s %.3f %.3f %.3f %.2f %.2f %s %ld %s %s %s %ld\n",
               a.hetatm ? "HETATM" : "ATOM", serial_number, element.c_str(), qname.c_str(), alt.c_str(),
               rname.c_str(), chain.c_str(), a.entity, a.res_seq, icode.c_str(), p[1], p[2],
               p[3], a.occupancy, a.bfactor, cif_charge(a.charge).c_str(), a.res_seq,
               rname.c_str(), chain.c_str(), qname.c_str(), cif_model_number(a, model, model_mode));
}

}  // namespace

void write_atom_record_pdb(FILE* fp, const atom& a, long& overflows) {
  if (fp != nullptr) write_pdb_line(fp, a, a.xyz, a.serial, overflows, Gvars.model_mode);
}

void write_atom_record_pdb(FILE* fp, const atom& a, const struct_mol& mol) {
  if (fp != nullptr) write_pdb_line(fp, a, a.xyz, a.serial, mol.warned.pdb_overflow, mol.model_mode);
}

void write_atom_record_cif(FILE* fp, const atom& a, long model) {
  if (fp != nullptr) write_cif_row(fp, a, a.xyz, a.serial, model, Gvars.model_mode);
}

void write_atom_record(FILE* fp, const atom& a, long& overflows, long model) {
  if (fp == nullptr || a.status == 0) return;
  if (Gvars.output_format == 2)
    write_atom_record_cif(fp, a, model);
  else
    write_atom_record_pdb(fp, a, overflows);
}

void write_atom_record(FILE* fp, const atom& a, const struct_mol& mol) {
  if (fp == nullptr || a.status == 0) return;
  if (Gvars.output_format == 2)
    write_cif_row(fp, a, a.xyz, a.serial, mol.cif_model, mol.model_mode);
  else
    write_pdb_line(fp, a, a.xyz, a.serial, mol.warned.pdb_overflow, mol.model_mode);
}

void write_residue_record(FILE* fp, long k, const struct_mol& mol) {
  const residue& r = mol.residues[k];
  for (long i = r.first_atom; i <= r.last_atom; ++i) write_atom_record(fp, mol.atoms[i], mol);
}

void write_residue_record_xyz(FILE* fp, long k, const struct_mol& mol, const std::vector<xyz>& pts) {
  if (fp == nullptr) return;
  const residue& r = mol.residues[k];
  // the atom record is read in place: a copy would duplicate its sets for
  // every line; the PDB lines of the residue go out in one write
  std::string lines;
  for (long i = r.first_atom, t = 1; i <= r.last_atom; ++i, ++t) {
    const atom& a = mol.atoms[i];
    if (a.status == 0) continue;
    if (Gvars.output_format == 2)
      write_cif_row(fp, a, pts[t], mol.atoms_written + t, mol.cif_model, mol.model_mode);
    else
      lines += make_pdb_line(a, pts[t], mol.atoms_written + t, mol.warned.pdb_overflow, mol.model_mode).text();
  }
  std::fwrite(lines.data(), 1, lines.size(), fp);
}

void write_residue_set_pdb_simple(long n, const std::vector<long>& list, const frame* f,
                                  struct_mol& mol, FILE* fp) {
  mol.atoms_written = 0;
  for (long t = 1; t <= n; ++t) {
    long k = list[t];
    std::vector<xyz> pts = residue_points(k, mol);
    if (f != nullptr && !Gvars.raw_xyz)
      project_xyzNx3_by_frame(*f, static_cast<long>(pts.size()) - 1, pts);
    write_residue_record_xyz(fp, k, mol, pts);
    mol.atoms_written += mol.residues[k].num_atoms;
  }
}

void write_residue_set_pdb_frame(long n, const std::vector<long>& list, const frame* f, long view,
                                 struct_mol& mol, FILE* fp) {
  std::vector<long> all(list.begin(), list.begin() + n + 1);
  // the residues written so far, by a set of their own size: a table over
  // every residue of the structure would cost more than the residues written
  std::set<long> listed(list.begin() + 1, list.begin() + n + 1);
  auto add = [&](long k) {
    if (listed.insert(k).second) all.push_back(k);
  };
  if (Gvars.metals)
    for (long t = 1; t <= n; ++t) {
      const connect& m = mol.residues[list[t]].metals;
      for (long q = 1; q <= m.count; ++q) add(m[q]);
    }
  if (Gvars.waters)
    for (long t = 1; t <= n; ++t) {
      const connect& w = mol.residues[list[t]].waters;
      for (long q = 1; q <= w.count; ++q) add(w[q]);
    }
  mol.atoms_written = 0;
  for (size_t t = 1; t < all.size(); ++t) {
    long k = all[t];
    std::vector<xyz> pts = residue_points(k, mol);
    if (f != nullptr && !Gvars.raw_xyz)
      project_xyzNx3_by_frame_side_view(*f, view, static_cast<long>(pts.size()) - 1, pts);
    write_residue_record_xyz(fp, k, mol, pts);
    mol.atoms_written += mol.residues[k].num_atoms;
  }
}

void write_struct_mol(struct_mol& mol, const std::string& file, bool ours) {
  scoped_file sf(ours ? create_file(file) : output_file(file));
  FILE* fp = sf.get();
  if (Gvars.output_format == 2) {
    write_cif_header(fp, mol.base_name);
    for (long i = 1; i <= mol.num_atoms; ++i) write_atom_record(fp, mol.atoms[i], mol);
    sf.close();
    return;
  }
  const bool model_option = Gvars.select_model != -1;
  if (mol.num_models < 2 && !model_option) {
    for (long i = 1; i <= mol.num_atoms; ++i) write_atom_record(fp, mol.atoms[i], mol);
  } else if (!(mol.num_models < 2 && model_option && mol.num_models == 0)) {
    for (long m = 1; m <= mol.num_models; ++m) {
      const long model = mol.models[m];
      std::fprintf(fp, "%6s    %4ld\n", "MODEL ", model);
      long serial = 0;
      for (long i = 1; i <= mol.num_atoms; ++i) {
        atom& a = mol.atoms[i];
        if (a.model != model || a.status == 0) continue;
        a.serial = ++serial;
        write_atom_record(fp, a, mol);
      }
      std::fprintf(fp, "ENDMDL\n");
    }
  }
  std::fprintf(fp, "END\n");
  sf.close();
}

void write_mol_by_align(const frame& f, struct_mol& mol, const std::string& file) {
  std::vector<xyz> local = atom_points(mol), global;
  frame_xyzNx3(f, mol.num_atoms, local, global);
  for (long i = 1; i <= mol.num_atoms; ++i) {
    mol.atoms[i].xyz = global[i];
    if (Gvars.renum_atom) mol.atoms[i].serial = Gvars.renum_atom + i - 1;
  }
  std::vector<xyz>().swap(mol.atom_xyz);  // the neighbour grid no longer matches the atoms
  mol.outer_overlaps.clear();             // nor do the overlap areas
  write_struct_mol(mol, file, false);
}

void write_mol_by_frame(const frame* f, long view, struct_mol& mol, const std::string& file) {
  VASK_ASSERT(f != nullptr);
  scoped_file sf(output_file(file.c_str()));
  FILE* fp = sf.get();
  std::vector<long> all(1);
  for (long k = 1; k <= mol.num_residues; ++k) all.push_back(k);
  if (Gvars.output_format == 2) {
    write_cif_header(fp, mol.base_name);
    write_residue_set_pdb_frame(mol.num_residues, all, f, view, mol, fp);
    sf.close();
    return;
  }
  if (mol.num_models >= 2) {
    for (long m = 1; m <= mol.num_models; ++m) {
      std::vector<long> list(1);
      for (long k = 1; k <= mol.num_residues; ++k)
        if (mol.residues[k].model == mol.models[m]) list.push_back(k);
      std::fprintf(fp, "%6s    %4ld\n", "MODEL ", mol.models[m]);
      write_residue_set_pdb_frame(static_cast<long>(list.size()) - 1, list, f, view, mol, fp);
      std::fprintf(fp, "ENDMDL\n");
    }
  } else {
    write_residue_set_pdb_frame(mol.num_residues, all, f, view, mol, fp);
  }
  std::fprintf(fp, "END\n");
  sf.close();
}

void write_pdb_connects(const struct_mol& mol, const std::string& file) {
  if (!pdb_atoms_all_in_good_status(mol)) {
    logit("\tnot all atoms are in good status: stop filtering atoms!\n");
    return;
  }
  scoped_file sf(output_file(file.c_str()));
  FILE* fp = sf.get();
  for (long i = 1; i <= mol.num_atoms; ++i) write_atom_record_pdb(fp, mol.atoms[i], mol);
  // CONECT names atoms by the serials on their lines, as readers resolve them
  std::vector<long> partners;
  for (long i = 1; i <= mol.num_atoms; ++i) {
    const connect& bd = mol.atoms[i].bonded;
    if (bd.count == 0) continue;
    partners.clear();
    for (long t = 1; t <= bd.count; ++t) partners.push_back(mol.atoms[bd[t]].serial);
    write_conect_record(fp, mol.atoms[i].serial, partners);
  }
  std::fprintf(fp, "END\n");
  sf.close();
}

void write_conect_record(FILE* fp, long serial, std::span<const long> partners) {
  std::string line = "CONECT" + pdb_serial_text(serial);
  for (long p : partners) line += pdb_serial_text(p);
  std::fprintf(fp, "%-80s\n", line.c_str());
}

std::string name_pdbcif_outfile(const std::string& part) {
  return sformat("%.*s-%s.%s", 256, Gvars.prefix.c_str(), part.c_str(),
                 Gvars.output_format == 2 ? "cif" : "pdb");
}

void end_pdbfile(FILE* fp) {
  if (fp != nullptr && Gvars.output_format != 2) std::fprintf(fp, "END\n");
}

void begin_ensemble_model(FILE* fp, long k, const std::vector<std::string>& remarks, const struct_mol& mol) {
  if (Gvars.output_format == 2) {
    mol.cif_model = k;
    return;
  }
  if (fp == nullptr) return;
  std::fprintf(fp, "%6s    %4ld\n", "MODEL ", k);
  for (const auto& r : remarks) std::fprintf(fp, "REMARK    %s\n", r.c_str());
}

FILE* open_ensemble_file(const char* suffix, const struct_mol& mol) {
  scoped_file sf(create_file(name_pdbcif_outfile(suffix)));
  if (Gvars.output_format == 2) write_cif_header(sf.get(), mol.base_name);
  return sf.release();
}

void close_ensemble_file(scoped_file& file, const struct_mol& mol) {
  mol.cif_model = 0;
  end_pdbfile(file.get());
  file.close();
}

void end_ensemble_model(FILE* fp) {
  if (fp != nullptr && Gvars.output_format != 2) std::fprintf(fp, "ENDMDL\n");
}

void output_model_header(FILE* fp) {
  if (fp == nullptr) return;
  if (Gvars.output_format == 2)
    write_cif_header(fp, "model_VASK");
  else
    std::fprintf(fp, "REMARK VASK\n");
}

long get_nextModelNumber(const std::string& file) {
  if (!exist_file(file)) return 1;
  scoped_file sf(open_file(file.c_str(), "r"));
  FILE* fp = sf.get();
  std::string line;
  long num = 0;
  while (get_line(fp, line)) {
    if (line.compare(0, 6, "MODEL ") != 0) continue;
    ++num;
    long v = 0;
    if (std::sscanf(line.c_str() + 6, "%ld", &v) != 1 || v != num) {
      sf.close();
      fatal("model #s are not consecutive [%ld vs %ld]\n", num, v);
    }
  }
  sf.close();
  return num + 1;
}

void write_nts_list(const struct_mol& mol, long n, const std::vector<long>& nts,
                    const std::string& name) {
  std::string file = name.empty() ? sformat("%.*s-nts.txt", 256, Gvars.prefix.c_str()) : name;
  FILE* fp = create_file(file.c_str());
  std::fprintf(fp, "# %ld (no. of nucleotides)\n", n);
  for (long k = 1; k <= n; ++k)
    std::fprintf(fp, "%4ld  # %4ld %s\n", nts[k], k, mol.residues[nts[k]].idstr.c_str());
  close_file(fp);
}

}  // namespace vask
