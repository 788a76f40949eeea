// H-bonds between amino acids and the phosphate, sugar or base of
// nucleotides; base/side-chain plane pairs and stacks; interface stacks of
// three or more planar groups.
#include <cstring>

#include "interactions/triz.hpp"
#include "pairing/plane.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/json_writer.hpp"
#include "support/ref_frame.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

const char* id(long k, const struct_mol& mol) { return mol.residues[k].idstr.c_str(); }

bool name_in(const std::string& name, const char* list) { return std::strstr(list, name.c_str()) != nullptr; }

// The salt bridge of a phosphate oxygen with a charged nitrogen of Arg, Lys or His.
bool is_salt_bridge(long nt_atom, long aa_atom, const struct_mol& mol) {
  const atom &a = mol.atoms[nt_atom], &b = mol.atoms[aa_atom];
  if (!a.backbone || !a.oxygen || !name_in(a.name, " OP1; OP2")) return false;
  if (!b.sidechain || !b.nitrogen) return false;
  const std::string res = lower_copy(trimmed(mol.residues[b.residue].name));
  return res.size() == 3 && name_in(res, "arg; lys; his") &&
         name_in(b.name, " NH1; NH2; NE ; NZ ; ND1; NE2");
}

void add_atom_hbonds(int moiety, long a, const struct_mol& mol, triz_state& st,
                     std::vector<ntaa_hbond>& list) {
  if (a == -1) return;
  const connect& hb = mol.atoms[a].hbonded;
  for (long m = 1; m <= hb.count; ++m) {
    const long b = hb[m];
    if (!mol.atoms[b].aa_atom) continue;
    ntaa_hbond h;
    h.nt_atom = a;
    h.aa_atom = b;
    if (mol.atoms[b].mainchain)
      h.type = moiety;
    else if (mol.atoms[b].sidechain)
      h.type = moiety + 3;
    h.salt_bridge = is_salt_bridge(a, b, mol) ? 1 : 0;
    list.push_back(h);
    add_triz_partner(mol.atoms[a].residue, mol.atoms[b].residue, TRIZ_HBOND, st);
  }
}

const char* aa_name(long k, const struct_mol& mol) { return mol.residues[k].std_name.c_str(); }

}  // namespace

std::string derive_ntAA_hbond_typeStr(long type, long salt_bridge) {
  switch (type) {
    case 1: return "po4:backbone";
    case 2: return "sugar:backbone";
    case 3: return "base:backbone";
    case 4: return salt_bridge ? "po4:sidechain:salt-bridge" : "po4:sidechain";
    case 5: return "sugar:sidechain";
    case 6: return "base:sidechain";
    default: return "**:**";
  }
}

void collect_ntAA_hbonds(int moiety, const struct_mol& mol, triz_state& st,
                         std::vector<ntaa_hbond>& list) {
  list.assign(1, ntaa_hbond{});
  for (long i = 1; i <= mol.num_residues; ++i) {
    if (!is_nt(i, mol)) continue;
    if (moiety == MOIETY_PHOSPHATE) {
      for (long p = 2; p <= 5; ++p) add_atom_hbonds(moiety, mol.nt_infos[i].po4[p], mol, st, list);
      continue;
    }
    const residue& r = mol.residues[i];
    for (long a = r.first_atom; a <= r.last_atom; ++a) {
      const atom& x = mol.atoms[a];
      const bool take = moiety == MOIETY_SUGAR ? x.sugar && x.name != " O3'" && x.name != " O5'" : x.base;
      if (take) add_atom_hbonds(moiety, a, mol, st, list);
    }
  }
}

void output_ntAA_hbonds(const char* title, const std::vector<ntaa_hbond>& list,
                        const struct_mol& mol, FILE* fp) {
  const long n = static_cast<long>(list.size()) - 1;
  if (n < 1 || fp == nullptr) return;
  if (Gvars.json) {
    const std::string word = std::strncmp(title, "phos", 4) == 0    ? "phos"
                             : std::strncmp(title, "sugar", 5) == 0 ? "sugar"
                                                                    : "base";
    json_lNumber(fp, ("num_" + word + "AA_hbonds").c_str(), n);
    json_begin_array(fp, (word + "AA_hbonds").c_str());
    for (long k = 1; k <= n; ++k) {
      const ntaa_hbond& h = list[k];
      json_bareObject_start_with_idx(fp, k);
      json_string(fp, "nt_atom", mol.atoms[h.nt_atom].idstr);
      json_string(fp, "aa_atom", mol.atoms[h.aa_atom].idstr);
      json_dNumber(fp, "dist", dist_atoms(h.nt_atom, h.aa_atom, mol));
      json_string0(fp, "type", derive_ntAA_hbond_typeStr(h.type, h.salt_bridge));
      json_bareObject_end_check_idx(fp, k, n);
    }
    json_end_array(fp);
    return;
  }
  total_counts(title, n);
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  std::fprintf(fp, "List of %ld %s\n", n, title);
  std::fprintf(fp, "       id    nt-atom         aa-atom            dist     type\n");
  for (long k = 1; k <= n; ++k) {
    const ntaa_hbond& h = list[k];
    std::fprintf(fp, "%4ld  %s  %-16s %-16s %6.2f %s\n", k, mol.base_name.c_str(),
                 mol.atoms[h.nt_atom].idstr.c_str(), mol.atoms[h.aa_atom].idstr.c_str(),
                 dist_atoms(h.nt_atom, h.aa_atom, mol),
                 derive_ntAA_hbond_typeStr(h.type, h.salt_bridge).c_str());
  }
}

// ---------------------------------------------------------------------------
// Base/side-chain plane contacts

namespace {
// The base plane and the side-chain plane of a contact (-1 when it is not one
// of a base and a side chain).
void base_sidechain_planes(const planeCnt& c, const struct_mol& mol, long& base, long& side) {
  base = side = -1;
  const unsigned k1 = mol.planes[c.plane1].kind, k2 = mol.planes[c.plane2].kind;
  if (k1 == PLANE_BASE && k2 == PLANE_SIDECHAIN) {
    base = c.plane1;
    side = c.plane2;
  } else if (k2 == PLANE_BASE && k1 == PLANE_SIDECHAIN) {
    base = c.plane2;
    side = c.plane1;
  }
}

long plane_residue(long p, const planeCnt& c) { return p == c.plane1 ? c.res1 : c.res2; }

const frame* plane_frame(long p, const struct_mol& mol) {
  return frame_by_index(mol.planes[p].frame_index, mol);
}
}  // namespace

void collect_baseAA_contacts(bool pairs, const struct_mol& mol, triz_state& st,
                             std::vector<long>& list) {
  list.assign(1, 0);
  for (long k = 1; k <= mol.num_plane_contacts; ++k) {
    const planeCnt& c = mol.plane_contacts[k];
    long base, side;
    base_sidechain_planes(c, mol, base, side);
    if (base == -1) continue;
    const bool take = pairs ? c.is_pair : (c.is_stack || (Gvars.tshape && c.is_tshape));
    if (!take) continue;
    list.push_back(k);
    add_triz_partner(plane_residue(base, c), plane_residue(side, c), pairs ? TRIZ_PAIR : TRIZ_STACK, st);
  }
}

void json_output_plane_contacts(bool pairs, const std::vector<long>& list,
                                const struct_mol& mol, FILE* fp) {
  const long n = static_cast<long>(list.size()) - 1;
  json_lNumber(fp, pairs ? "num_ntAA_pairs" : "num_ntAA_stacks", n);
  json_begin_array(fp, pairs ? "ntAA_pairs" : "ntAA_stacks");
  for (long k = 1; k <= n; ++k) {
    const planeCnt& c = mol.plane_contacts[list[k]];
    long base, side;
    base_sidechain_planes(c, mol, base, side);
    const long nt = plane_residue(base, c), aa = plane_residue(side, c);
    json_bareObject_start_with_idx(fp, k);
    json_string(fp, "ntaa", sformat("%c-%s", mol.residues[nt].letter, aa_name(aa, mol)));
    json_string(fp, "nt", mol.residues[nt].idstr);
    json_string(fp, "aa", mol.residues[aa].idstr);
    json_dNumber(fp, "vertical_dist", c.dv);
    json_dNumber0(fp, "plane_angle", c.angle);
    json_bareObject_end_check_idx(fp, k, n);
  }
  json_end_array(fp);
}

void output_plane_contacts(const std::vector<long>& list, struct_mol& mol,
                           const std::string& file_base, triz_state& st, FILE* fp) {
  const long n = static_cast<long>(list.size()) - 1;
  std::fprintf(fp, "       id   nt-aa   nt           aa");
  std::fprintf(fp, "      vertical-distance   plane-angle\n");
  for (long k = 1; k <= n; ++k) {
    const planeCnt& c = mol.plane_contacts[list[k]];
    long base, side;
    base_sidechain_planes(c, mol, base, side);
    const long nt = plane_residue(base, c), aa = plane_residue(side, c);
    std::string row = sformat("%4ld  %s  %c-%s  %-12s %-12s", k, mol.base_name.c_str(),
                              mol.residues[nt].letter, aa_name(aa, mol), id(nt, mol), id(aa, mol));
    row = row.substr(0, 511);
    std::fprintf(fp, "%s   %5.2f            %3.0f\n", row.c_str(), c.dv, c.angle);
    if (Gvars.auxfiles) append_triz_model(file_base + ".pdb", row, {0, nt, aa}, plane_frame(base, mol), mol, st);
  }
}

void output_baseAA_contacts(bool pairs, const std::vector<long>& list, struct_mol& mol,
                            triz_state& st, FILE* fp) {
  const long n = static_cast<long>(list.size()) - 1;
  if (n < 1 || fp == nullptr) return;
  if (Gvars.json) {
    json_output_plane_contacts(pairs, list, mol, fp);
    return;
  }
  const char* noun = pairs ? "base/amino-acid pairs" : "base/amino-acid stacks";
  total_counts(noun, n);
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  std::fprintf(fp, "List of %ld %s\n", n, noun);
  const std::string base = sformat("%.256s-%s", Gvars.prefix.c_str(), pairs ? "baseAA-pairs" : "baseAA-stacks");
  output_plane_contacts(list, mol, base, st, fp);
  if (pairs || !Gvars.auxfiles) return;
  // each stack also in a file per amino acid, in the side chain's frame
  for (long k = 1; k <= n; ++k) {
    const planeCnt& c = mol.plane_contacts[list[k]];
    long bp, sp;
    base_sidechain_planes(c, mol, bp, sp);
    const long nt = plane_residue(bp, c), aa = plane_residue(sp, c);
    const std::string label = sformat("%s-%c", aa_name(aa, mol), mol.residues[nt].letter);
    std::string row = sformat("%4ld  %s  %s  %-12s %-12s", k, mol.base_name.c_str(), label.c_str(),
                              id(aa, mol), id(nt, mol));
    row = row.substr(0, 511) + sformat(" dv=%5.2f angle=%3.0f", c.dv, c.angle);
    append_triz_model(sformat("stacks-%s.pdb", aa_name(aa, mol)), row, {0, aa, nt},
                      plane_frame(sp, mol), mol, st);
  }
}

// ---------------------------------------------------------------------------
// Interface stacks

std::vector<connect> collect_interface_stacks(long n, const std::vector<connect>& stacks,
                                              const struct_mol& mol) {
  std::vector<connect> out(1);
  for (long k = 1; k <= n; ++k) {
    const connect& s = stacks[k];
    if (s.count <= 2) continue;
    bool with_aa = false;
    for (long m = 1; m <= s.count && !with_aa; ++m) with_aa = is_aa(s[m], mol);
    if (with_aa) out.push_back(s);
  }
  return out;
}

void output_ntAA_mstacks(const std::vector<connect>& list, const struct_mol& mol, FILE* fp) {
  const long n = static_cast<long>(list.size()) - 1;
  if (n < 1 || fp == nullptr) return;
  if (Gvars.json) {
    json_array_of_nts_list(fp, "ntAA_mStacks", n, list, mol);
    return;
  }
  total_counts("interace stacks with 3+ planar moieties", n);
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  std::fprintf(fp, "List of %ld interface stacks with 3+ planar moieties\n", n);
  std::fprintf(fp,
               "  Note: an interface stack is an ordered list of three and more nucleobases\n"
               "        and planar moieties of amino acids, assembled together via stacking\n"
               "        interactions (nucleobases within to a stem are excluded by default).\n");
  for (long k = 1; k <= n; ++k)
    std::fprintf(fp, "%4ld size=%ld %s\n", k, list[k].count, get_connect_abbr_full_ids(list[k], mol).c_str());
}

}  // namespace vask
