// Alchemy (.alc) models: reading, writing, joining and molfile conversion.
#include "schematics/alchemy.hpp"

#include <algorithm>
#include <climits>

#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/number.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr const char* kAlcDelims = " \t\r\n";
constexpr long kMaxMolV2000 = 999;  // the V2000 counts line has 3-digit fields

// The atom and bond counts of the header line: its first and third words.
void read_alc_header(line_reader& in, const std::string& file, long& na, long& nb) {
  std::string line;
  std::vector<std::string> w;
  if (!in.next(line) || split_str_by_strtok(line, w, 3, kAlcDelims) < 3)
    fatal("cannot read '%s' for number of atoms and bonds!\n", file.c_str());
  na = cvt2long(w[1]);
  nb = cvt2long(w[3]);
  if (na == LONG_MAX || nb == LONG_MAX)
    fatal("cannot read '%s' for number of atoms and bonds!\n", file.c_str());
}

void write_mol_header(FILE* fp, const std::string& alc_file) {
  std::fprintf(fp, "%s\n", alc_file.c_str());
  std::fprintf(fp, "XL VASK\n");
  std::fprintf(fp, "Converted from file '%s'\n", alc_file.c_str());
}

}  // namespace

void init_struct_alchemy(struct_alchemy& m) { m = struct_alchemy{}; }

void allocate_alcAtomsBonds(struct_alchemy& m) {
  VASK_ASSERT(m.num_atoms > 0 && m.num_bonds >= 0);
  m.atoms.assign(static_cast<size_t>(m.num_atoms) + 1, alcAtom{});
  m.bonds.assign(static_cast<size_t>(m.num_bonds) + 1, alcBond{});
}

void free_struct_alchemy(struct_alchemy& m) { m = struct_alchemy{}; }

void reserve_alc_room(struct_alchemy& m, long more_atoms, long more_bonds) {
  const long na = m.num_atoms_filled + more_atoms, nb = m.num_bonds_filled + more_bonds;
  if (na > m.num_atoms) m.num_atoms = na;
  if (nb > m.num_bonds) m.num_bonds = nb;
  if (static_cast<long>(m.atoms.size()) < m.num_atoms + 1)
    m.atoms.resize(static_cast<size_t>(m.num_atoms) + 1);
  if (static_cast<long>(m.bonds.size()) < m.num_bonds + 1)
    m.bonds.resize(static_cast<size_t>(m.num_bonds) + 1);
}

void close_alc_filling(struct_alchemy& m) {
  m.num_atoms = m.num_atoms_filled;
  m.num_bonds = m.num_bonds_filled;
  m.atoms.resize(static_cast<size_t>(m.num_atoms) + 1);
  m.bonds.resize(static_cast<size_t>(m.num_bonds) + 1);
}

void fill_one_alcAtom(const std::string& line, alcAtom& a) {
  std::vector<std::string> w;
  const long n = split_str_by_strtok(trimmed(line), w, 6, kAlcDelims);
  if (n < 5) fatal("wrong atom record in '%s'\n", line.c_str());
  a.type = w[2].substr(0, 2);
  // a type of white space only (a tab or form feed the splitter keeps) names
  // no element: the writers could not write the atom back
  if (trim_word(a.type).empty()) fatal("wrong atom record in '%s'\n", line.c_str());
  set_xyz(a.xyz, cvt2double(w[3]), cvt2double(w[4]), cvt2double(w[5]));
  a.value = n == 6 ? cvt2double(w[6]) : 0.0;
}

void fill_one_alcBond(const std::string& line, alcBond& b) {
  std::vector<std::string> w;
  // one field more than wanted, so that a fourth one is seen and refused
  if (split_str_by_strtok(trimmed(line), w, 4, kAlcDelims) != 3)
    fatal("wrong linkage record in '%s'\n", line.c_str());
  b.atom1 = cvt2long(w[2]);
  b.atom2 = cvt2long(w[3]);
}

void read_alchemy_fp(FILE* fp, const std::string& file, struct_alchemy& m) {
  init_struct_alchemy(m);
  long na = 0, nb = 0;
  line_reader in(fp, file, 0);  // the records are counted by the header
  read_alc_header(in, file, na, nb);
  if (na <= 0) {
    logit(sformat("alchemy file '%s' contains no atoms\n", file.c_str()).c_str());
    return;
  }
  // The arrays grow with the records read, not with the header's counts: a
  // count that no file holds ends the run at the missing record instead of
  // claiming gigabytes first.
  m.atoms.assign(1, alcAtom{});
  m.bonds.assign(1, alcBond{});
  std::string line;
  for (long i = 1; i <= na; ++i) {
    if (!in.next(line)) fatal("error in reading atom record from '%s'\n", file.c_str());
    fill_one_alcAtom(line, m.atoms.emplace_back());
  }
  for (long i = 1; i <= nb; ++i) {
    if (!in.next(line)) fatal("error in reading linkage records from '%s'\n", file.c_str());
    alcBond& b = m.bonds.emplace_back();
    fill_one_alcBond(line, b);
    // a bond names atoms of this file: any other number would be shifted
    // and written as if it were one
    if (b.atom1 < 1 || b.atom1 > na || b.atom2 < 1 || b.atom2 > na)
      fatal("wrong linkage record in '%s'\n", line.c_str());
  }
  m.num_atoms = na;
  m.num_bonds = std::max(nb, 0L);
}

void read_alchemy(const std::string& file, struct_alchemy& m) {
  scoped_file fp(open_file(file, "r"));
  read_alchemy_fp(fp.get(), file, m);
  fp.close();
}

void write_alchemy_fp(const struct_alchemy& m, FILE* fp) {
  if (fp == nullptr) return;
  std::fprintf(fp, "%5ld ATOMS, %5ld BONDS\n", m.num_atoms, m.num_bonds);
  // cols 1-5 serial | 7-8 type | 12-38 x, y, z (9.4 each) | 41-49 value
  for (long i = 1; i <= m.num_atoms; ++i) {
    const alcAtom& a = m.atoms[i];
    const std::string type = trim_word(a.type);
    VASK_ASSERT(!type.empty());
    std::fprintf(fp, "%5ld %-2.2s   %9.4f%9.4f%9.4f  %9.4f\n", i, type.c_str(), a.xyz[1], a.xyz[2],
                 a.xyz[3], a.value);
  }
  for (long j = 1; j <= m.num_bonds; ++j)
    std::fprintf(fp, "%5ld %5ld %5ld\n", j, m.bonds[j].atom1, m.bonds[j].atom2);
}

void write_alchemy(const struct_alchemy& m, const std::string& file) {
  scoped_file fp(output_file(file));
  write_alchemy_fp(m, fp.get());
  fp.close();
}

void combine_two_alcfiles(const std::string& file1, const std::string& file2,
                          const std::string& out) {
  struct_alchemy a, b, c;
  read_alchemy(file1, a);
  read_alchemy(file2, b);
  for (const struct_alchemy* part : {&a, &b}) {
    reserve_alc_room(c, part->num_atoms, part->num_bonds);
    const long shift = c.num_atoms_filled;
    for (long i = 1; i <= part->num_atoms; ++i) c.atoms[shift + i] = part->atoms[i];
    for (long j = 1; j <= part->num_bonds; ++j) {
      alcBond& bond = c.bonds[c.num_bonds_filled + j];
      bond.atom1 = part->bonds[j].atom1 + shift;
      bond.atom2 = part->bonds[j].atom2 + shift;
    }
    c.num_atoms_filled += part->num_atoms;
    c.num_bonds_filled += part->num_bonds;
  }
  close_alc_filling(c);
  write_alchemy(c, out);
}

void convert_alc2mol(const std::string& alc_file, const std::string& mol_file) {
  struct_alchemy m;
  read_alchemy(alc_file, m);
  if (m.num_atoms > kMaxMolV2000 || m.num_bonds > kMaxMolV2000) {
    convert_alc2mol_v3000(alc_file, mol_file);
    return;
  }
  scoped_file out(output_file(mol_file));
  FILE* fp = out.get();
  write_mol_header(fp, alc_file);
  std::fprintf(fp, "%3ld%3ld%3ld   %3ld%3ld              1 V2000\n", m.num_atoms, m.num_bonds,
               0L, 0L, 0L);
  // cols 1-30 x, y, z (10.4 each) | 32-34 element
  for (long i = 1; i <= m.num_atoms; ++i)
    std::fprintf(fp, "%10.4f%10.4f%10.4f %-3.3s\n", m.atoms[i].xyz[1], m.atoms[i].xyz[2],
                 m.atoms[i].xyz[3], m.atoms[i].type.c_str());
  // cols 1-3 first atom | 4-6 second atom | 7-9 bond order (single)
  for (long j = 1; j <= m.num_bonds; ++j)
    std::fprintf(fp, "%3ld%3ld  1\n", m.bonds[j].atom1, m.bonds[j].atom2);
  std::fprintf(fp, "M END\n");
  out.close();
}

void convert_alc2mol_v3000(const std::string& alc_file, const std::string& mol_file) {
  struct_alchemy m;
  read_alchemy(alc_file, m);
  scoped_file out(output_file(mol_file));
  FILE* fp = out.get();
  write_mol_header(fp, alc_file);
  std::fprintf(fp, "%3ld%3ld%3ld   %3ld%3ld            999 V3000\n", 0L, 0L, 0L, 0L, 0L);
  std::fprintf(fp, "M  V30 BEGIN CTAB\n");
  std::fprintf(fp, "M  V30 COUNTS %5ld %5ld 0 0 0\n", m.num_atoms, m.num_bonds);
  std::fprintf(fp, "M  V30 BEGIN ATOM\n");
  for (long i = 1; i <= m.num_atoms; ++i)
    std::fprintf(fp, "M  V30 %5ld %-2.2s %10.4f %10.4f %10.4f 0\n", i, m.atoms[i].type.c_str(),
                 m.atoms[i].xyz[1], m.atoms[i].xyz[2], m.atoms[i].xyz[3]);
  std::fprintf(fp, "M  V30 END ATOM\n");
  std::fprintf(fp, "M  V30 BEGIN BOND\n");
  for (long j = 1; j <= m.num_bonds; ++j)
    std::fprintf(fp, "M  V30 %5ld 1 %4ld %4ld\n", j, m.bonds[j].atom1, m.bonds[j].atom2);
  std::fprintf(fp, "M  V30 END BOND\n");
  std::fprintf(fp, "M  V30 END CTAB\n");
  std::fprintf(fp, "M END\n");
  out.close();
}

}  // namespace vask
