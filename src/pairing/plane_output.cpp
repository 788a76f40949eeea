// Lists made from the plane contacts: all stacking contacts, bases stacked on
// or paired with peptide units, and the diagnostic model files of the debug
// setting (one model per contact, moved into the first plane's frame).
#include <string>
#include <vector>

#include "pairing/frame.hpp"
#include "pairing/hbond.hpp"
#include "pairing/plane.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/plane_records.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr double PEPTIDE_STACK_AREA = 1.6;  // Angstrom^2
constexpr double PEPTIDE_STACK_DV = 3.8;    // Angstrom
constexpr double PEPTIDE_PAIR_DV = 1.6;
constexpr double PEPTIDE_MAX_ANGLE = 20.0;  // degrees

bool cif_output() { return Gvars.output_format == 2; }

bool is_peptide(long p, const struct_mol& mol) { return mol.planes[p].kind == PLANE_PEPTIDE; }

// A nucleotide and an amino acid, one of the two planes a peptide unit.
bool peptide_base_contact(const planeCnt& c, const struct_mol& mol) {
  return nt_with_aa(c.res1, c.res2, mol) && (is_peptide(c.plane1, mol) || is_peptide(c.plane2, mol));
}

std::string first_word(const std::string& s) {
  const size_t start = s.find_first_not_of(' ');
  if (start == std::string::npos) return std::string();
  return s.substr(start, s.find(' ', start) - start);
}

// "pdb=..., nt=..., aa=..., aa_context=..., aa_prev=..., aa_next=...," of a contact.
void print_peptide_base_head(const planeCnt& c, const struct_mol& mol, FILE* fp) {
  const long nt = is_nt(c.res1, mol) ? c.res1 : c.res2;
  const long aa = nt == c.res1 ? c.res2 : c.res1;
  std::string context, prev, next;
  _extract_peptide_context(mol.residues, aa, context, prev, next);
  std::fprintf(fp, "pdb=%s, nt=%s, aa=%s, aa_context=%s, aa_prev=%s, aa_next=%s,",
               mol.base_name.c_str(), mol.residues[nt].idstr.c_str(), mol.residues[aa].idstr.c_str(),
               context.c_str(), prev.c_str(), next.c_str());
}

}  // namespace

void write_stacks_list(const struct_mol& mol, FILE* fp) {
  if (fp == nullptr) return;
  long m = 0;
  for (long k = 1; k <= mol.num_plane_contacts; ++k) {
    const planeCnt& c = mol.plane_contacts[k];
    if (!c.is_stack || c.oarea < Gvars.stack_cutoff) continue;
    const residue& r1 = mol.residues[c.res1];
    const residue& r2 = mol.residues[c.res2];
    std::fprintf(fp, "%5ld %c/%c", ++m, r1.letter, r2.letter);
    std::fprintf(fp, " %s %s %.1f", r1.idstr.c_str(), r2.idstr.c_str(), c.oarea);
    std::fprintf(fp, " %.2f %.0f", c.dv, c.angle);
    std::string note = " #";
    if (is_peptide(c.plane1, mol)) note += " peptide1";
    if (is_peptide(c.plane2, mol)) note += " peptide2";
    if (note == " #")
      std::fprintf(fp, "\n");
    else
      std::fprintf(fp, "%s\n", note.c_str());
  }
  if (verbose2()) {
    std::fprintf(fp, "\nOverlap areas per nucleotide\n");
    for (long k = 1; k <= mol.num_nts; ++k) {
      const residue& r = mol.residues[mol.nt_residue[k]];
      std::fprintf(fp, "%5ld %-16s %6.1f\n", k, r.idstr.c_str(), r.overlap_areas[1]);
    }
  }
}

void write_stacks_list(const struct_mol& mol, const std::string& file) {
  scoped_file sf(output_file(file));
  FILE* fp = sf.get();
  write_stacks_list(mol, fp);
  sf.close();
}

void write_peptide_base_pairing(const struct_mol& mol, FILE* fp) {
  if (fp == nullptr) return;
  for (long k = 1; k <= mol.num_plane_contacts; ++k) {
    const planeCnt& c = mol.plane_contacts[k];
    if (!peptide_base_contact(c, mol) || !c.is_pair || c.dv > PEPTIDE_PAIR_DV || c.angle > PEPTIDE_MAX_ANGLE)
      continue;
    const long nt = is_nt(c.res1, mol) ? c.res1 : c.res2;
    const long aa = nt == c.res1 ? c.res2 : c.res1;
    std::string hbonds;
    if (_extract_peptide_base_hbonds(mol, nt, aa, hbonds) == 0) continue;
    print_peptide_base_head(c, mol, fp);
    std::fprintf(fp, "%s, dv=%.2f, angle=%.0f\n", hbonds.c_str(), c.dv, c.angle);
  }
}

void write_peptide_base_pairing(const struct_mol& mol, const std::string& file) {
  scoped_file sf(append_file(file));
  FILE* fp = sf.get();
  write_peptide_base_pairing(mol, fp);
  sf.close();
}

void write_peptide_base_stack_pair(const struct_mol& mol, FILE* fp) {
  if (number_of_amino_frames(mol) == 0)
    runlog_msg("[i] no peptide planes found in %s", mol.base_name.c_str());
  if (Gvars.peptide_base == 2) {
    write_peptide_base_pairing(mol, fp);
    return;
  }
  VASK_ASSERT(Gvars.peptide_base == 1 || Gvars.peptide_base == 4);
  if (fp == nullptr) return;
  for (long k = 1; k <= mol.num_plane_contacts; ++k) {
    const planeCnt& c = mol.plane_contacts[k];
    if (!peptide_base_contact(c, mol) || !c.is_stack || c.oarea < Gvars.stack_cutoff ||
        c.oarea < PEPTIDE_STACK_AREA || c.dv > PEPTIDE_STACK_DV || c.angle > PEPTIDE_MAX_ANGLE)
      continue;
    print_peptide_base_head(c, mol, fp);
    std::fprintf(fp, " area=%.1f, dv=%.2f, angle=%.0f\n", c.oarea, c.dv, c.angle);
  }
}

// The lists are appended, so that runs over many entries gather in one file.
void write_peptide_base_stack_pair(const struct_mol& mol, const std::string& file) {
  scoped_file sf(append_file(file));
  FILE* fp = sf.get();
  write_peptide_base_stack_pair(mol, fp);
  sf.close();
}

long _extract_peptide_base_hbonds(const struct_mol& mol, long nt, long aa, std::string& text) {
  const long next_n = mol.aa_infos[aa].next_N;
  const long next = next_n == -1 ? aa : mol.atoms[next_n].residue;
  std::vector<bond> records, kept;
  const connect& partners = mol.residues[nt].hbonded;
  for (long t = 1; t <= partners.count; ++t) {
    const long r = partners[t];
    if (r != aa && r != next) continue;
    const long n = get_hbonds_ij(nt, r, mol, records);
    for (long h = 1; h <= n; ++h)
      if (moderate_hbond(records[h])) kept.push_back(records[h]);
  }
  text += sformat(" hbonds.%ld=", static_cast<long>(kept.size()));
  for (size_t h = 0; h < kept.size(); ++h) {
    const bond& b = kept[h];
    const char type = b.type == 'x' ? '*' : b.type == '?' ? '?' : '-';
    if (h > 0) text += ":";
    text += sformat("%s%c%s[%.2f]", first_word(mol.atoms[b.atom1].idstr).c_str(), type,
                    first_word(mol.atoms[b.atom2].idstr).c_str(), b.distance);
  }
  return static_cast<long>(kept.size());
}

void _extract_peptide_context(const std::vector<residue>& residues, long aa, std::string& context,
                              std::string& prev, std::string& next) {
  const residue& r = residues[aa];
  long before = 0, after = 0;  // linked neighbours; 0 none
  if (r.linked.count == 2) {
    before = r.linked[1];
    after = r.linked[2];
  } else if (r.linked.count == 1) {
    (aa <= r.linked[1] ? after : before) = r.linked[1];
  }
  prev = before ? residues[before].idstr : std::string(".");
  next = after ? residues[after].idstr : std::string(".");
  context = sformat("%c%c%c", before ? residues[before].letter : '.', r.letter,
                    after ? residues[after].letter : '.');
}

void t_write_pcnt_info(long serial, const planeCnt& c, struct_mol& mol, FILE* fp) {
  const plane& p1 = mol.planes[c.plane1];
  const plane& p2 = mol.planes[c.plane2];
  const int w = mol.idstr_width;
  const std::string line = sformat("%4ld %d%d %-*s %-*s %-3ld %-3ld", serial, static_cast<int>(p1.kind),
                                   static_cast<int>(p2.kind), w, mol.residues[c.res1].idstr.c_str(), w,
                                   mol.residues[c.res2].idstr.c_str(), c.res1, c.res2);
  auto area = [](double a) { return a > 0.05 ? sformat("%-3.1f", a) : std::string("---"); };
  runlog_msg("%s", line.c_str());
  runlog_msg(" oarea=%s,%s,%s", area(c.oarea).c_str(), area(c.oarea1).c_str(), area(c.oarea2).c_str());
  if (!c.faces.empty()) runlog_msg(" %s", c.faces.c_str());
  runlog_msg(" d=%4.2f/%4.2f", c.dv, c.dh);
  runlog_msg(" d1=%4.2f/%4.2f", c.dv1, c.dh1);
  runlog_msg(" d2=%4.2f/%4.2f", c.dv2, c.dh2);
  runlog_msg(" dcc=%4.2f angle=%-2.0f  ", c.dcc, c.angle);
  runlog_msg("%ld%ld%ld%ld%ld%ld\n", c.hbonded, c.linked, c.is_pair, c.is_stack, c.is_tshape, c.is_other);

  // the residues of the two planes; a peptide plane also reaches into the next amino acid
  std::vector<long> list{0};
  auto add = [&list](long r) {
    for (size_t k = 1; k < list.size(); ++k)
      if (list[k] == r) return;
    list.push_back(r);
  };
  list.push_back(c.res1);
  if (p1.kind == PLANE_PEPTIDE) add(mol.atoms[p1.inner[2]].residue);
  add(c.res2);
  if (p2.kind == PLANE_PEPTIDE) add(mol.atoms[p2.inner[2]].residue);
  const long n = static_cast<long>(list.size()) - 1;

  if (fp == nullptr) return;
  begin_ensemble_model(fp, serial,
                       {line, sformat("residues=%ld  %s", n, get_residues_abbr_full_ids(n, list, mol).c_str())}, mol);
  write_residue_set_pdb_simple(n, list, &mol.frames[p1.frame_index], mol, fp);
  end_ensemble_model(fp);
}

namespace {

// One model file of the contacts passing keep, numbered from 1 (or by their
// index when by_index is set), after the run-log heading "List of <count> <noun>".
template <class Keep>
void write_planeCnts_file(const char* part, const char* noun, long count, bool by_index, Keep keep,
                          struct_mol& mol) {
  runlog_msg("\nList of %ld %s\n", count, noun);
  const std::string name = name_pdbcif_outfile(part);
  scoped_file sf(create_file(name));
  FILE* fp = sf.get();
  if (cif_output()) write_cif_header(fp, mol.base_name);
  long m = 0;
  for (long k = 1; k <= mol.num_plane_contacts; ++k) {
    const planeCnt& c = mol.plane_contacts[k];
    if (!keep(c)) continue;
    ++m;
    t_write_pcnt_info(by_index ? k : m, c, mol, fp);
  }
  end_pdbfile(fp);
  sf.close();
}

}  // namespace

void t_write_planeCts(struct_mol& mol) {
  for (const char* part : {"planeCnts", "planePairs", "planeStacks", "planeTshapes"})
    remove_file(name_pdbcif_outfile(part));
  if (mol.num_plane_contacts == 0 || !Gvars.auxfiles) return;
  long pairs = 0, stacks = 0, tshapes = 0;
  for (long k = 1; k <= mol.num_plane_contacts; ++k) {
    pairs += mol.plane_contacts[k].is_pair;
    stacks += mol.plane_contacts[k].is_stack;
    tshapes += mol.plane_contacts[k].is_tshape;
  }
  write_planeCnts_file("planeCnts", "plane contacts", mol.num_plane_contacts, true,
                       [](const planeCnt&) { return true; }, mol);
  if (pairs > 0)
    write_planeCnts_file("planePairs", "plane-pairs", pairs, false,
                         [](const planeCnt& c) { return c.is_pair != 0; }, mol);
  if (stacks > 0)
    write_planeCnts_file("planeStacks", "plane-stacks", stacks, false,
                         [](const planeCnt& c) { return c.is_stack != 0; }, mol);
  if (tshapes > 0)
    write_planeCnts_file("planeTshapes", "plane-T-shapes", tshapes, false,
                         [](const planeCnt& c) { return c.is_tshape != 0; }, mol);
}

}  // namespace vask
