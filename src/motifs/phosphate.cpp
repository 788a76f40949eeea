// Phosphate contacts.
#include "motifs/phosphate.hpp"

#include <algorithm>
#include <climits>
#include <cmath>

#include "pairing/frame.hpp"
#include "pairing/hbond.hpp"
#include "pairing/plane.hpp"
#include "structure/atom.hpp"
#include "structure/bond.hpp"
#include "structure/chain.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr double METAL_BOND_FACTOR = 1.289;  // covalent-radius sum multiplier of a metal bond

// The capped nucleotide's id (verbose: with its step distance).
std::string cap_text(long nt, long cap, const struct_mol& mol) {
  std::string text = mol.residues[cap].idstr;
  if (verbose1()) text += sformat("#%ld", nts_i2j_dist(nt, cap, LONG_MAX, mol, nullptr));
  return text;
}

void add_oxygen(long nt, long o, double cutoff2, const struct_mol& mol, connect& partners,
                long& cap, std::string& hbonds, std::string& caps) {
  if (o == -1) return;
  get_PO4_hbonds(o, mol, partners, cutoff2);
  cap = mol.atoms[o].capping;
  if (partners.count > 0) hbonds = get_atom_hbondStr(o, partners, mol);
  if (cap > 0) caps = cap_text(nt, cap, mol);
}

void json_oxygen(const char* key, const connect& partners, const std::string& hbonds, long cap,
                 const std::string& caps, bool last, FILE* fp) {
  json_begin_object(fp, key);
  if (partners.count > 0) {
    if (cap > 0)
      json_hbonds_num_str(fp, partners.count, hbonds);
    else
      json_hbonds_num_str0(fp, partners.count, hbonds);
  }
  if (cap > 0) json_string0(fp, "cap_atom", caps);
  if (last)
    json_end_object0(fp);
  else
    json_end_object(fp);
}

}  // namespace

std::vector<PO4_contact> allocate_PO4s_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<PO4_contact>(static_cast<size_t>(n) + 1);
}

void free_PO4s(std::vector<PO4_contact>& array) { std::vector<PO4_contact>().swap(array); }

void get_PO4_hbonds(long o, const struct_mol& mol, connect& partners, double cutoff2) {
  partners.clear();
  const long nt = mol.atoms[o].residue;
  const long bridging = mol.nt_infos[nt].po4[4];  // the O3' bonded to this P
  std::vector<long> found;
  const double r = std::sqrt(cutoff2);
  if (static_cast<long>(mol.atom_xyz.size()) == mol.num_atoms + 1 && !mol.atom_grid.head.empty()) {
    for_each_within(mol.atom_grid, mol.atom_xyz, mol.atoms[o].xyz, r, [&](long a, double d2) {
      if (d2 <= cutoff2) found.push_back(a);
    });
  } else {  // no neighbour index (atoms moved): every atom
    for (long a = 1; a <= mol.num_atoms; ++a)
      if (dist_xyz_square(mol.atoms[a].xyz, mol.atoms[o].xyz) <= cutoff2) found.push_back(a);
  }
  std::sort(found.begin(), found.end());
  for (long a : found) {
    const atom& at = mol.atoms[a];
    if (at.residue == nt || a == bridging || at.water || is_water(at.residue, mol)) continue;
    if (at.status == 0 || !is_allowed_hbond_atom(a, mol) || get_hbond_type_per_atoms(o, a, mol) == 'x')
      continue;
    add_one_item_to_connect_simple(a, partners, "PO4 H-bonds", mol.warned.connects);
  }
  if (mol.residues[nt].metals.count == 0) return;
  std::vector<long> metals;  // those within reach, in atom order as in mol.metals
  if (static_cast<long>(mol.atom_xyz.size()) == mol.num_atoms + 1 && !mol.atom_grid.head.empty()) {
    // no metal beyond the bond of the largest radii can bond: only the
    // metals near o are tested, not every metal of the structure
    const double largest = *std::max_element(element_table.covalent_radius.begin(), element_table.covalent_radius.end());
    const double reach = METAL_BOND_FACTOR * (element_table.covalent_radius[mol.atoms[o].atomic_number] + largest) + 0.01;
    for_each_within(mol.atom_grid, mol.atom_xyz, mol.atoms[o].xyz, reach, [&](long a, double) {
      if (mol.atoms[a].metal) metals.push_back(a);
    });
    std::sort(metals.begin(), metals.end());
  } else {
    metals.assign(mol.metals.begin() + 1, mol.metals.begin() + mol.num_metals + 1);
  }
  for (long ma : metals)
    if (!partners.has(ma) && is_covalent_simple(o, ma, mol, METAL_BOND_FACTOR))
      add_one_item_to_connect_simple(ma, partners, "PO4 H-bonds", mol.warned.connects);
}

std::string get_atom_hbondStr(long o, const connect& partners, const struct_mol& mol) {
  std::string text;
  const long nt = mol.atoms[o].residue;
  for (long k = 1; k <= partners.count; ++k) {
    const long a = partners[k];
    const double d = dist_atoms(o, a, mol);
    const long res = mol.atoms[a].residue;
    if (verbose1() && is_nt(res, mol))
      text += sformat("%s#%ld[%.2f],", mol.atoms[a].idstr.c_str(), nts_i2j_dist(nt, res, LONG_MAX, mol, nullptr), d);
    else
      text += sformat("%s[%.2f],", mol.atoms[a].idstr.c_str(), d);
  }
  if (!text.empty()) text.pop_back();
  return text;
}

std::string get_one_PO4_interaction_string(const PO4_contact& rec) {
  std::string s;
  if (rec.OP1_partners.count > 0)
    s += sformat(" OP1-hbonds[%ld]: \"%s\"", rec.OP1_partners.count, rec.OP1_hbonds.c_str());
  if (rec.OP1_cap > 0) s += sformat(" OP1-cap: \"%s\"", rec.OP1_cap_text.c_str());
  if (rec.OP2_partners.count > 0)
    s += sformat(" OP2-hbonds[%ld]: \"%s\"", rec.OP2_partners.count, rec.OP2_hbonds.c_str());
  if (rec.OP2_cap > 0) s += sformat(" OP2-cap: \"%s\"", rec.OP2_cap_text.c_str());
  return s;
}

void find_PO4_contacts(struct_mol& mol, long& count, std::vector<PO4_contact>& list) {
  count = 0;
  list = allocate_PO4s_array(0);
  if (mol.num_nts == 0) return;
  const double cutoff2 = Gvars.hbond_good * Gvars.hbond_good;
  for (long nt : nts_in_chain_order(mol)) {
    if (nt <= 0 || !is_nt(nt, mol)) continue;
    const nt_info& info = mol.nt_infos[nt];
    if (info.OP1 == -1 && info.OP2 == -1) continue;
    PO4_contact rec;
    rec.nt = nt;
    rec.OP1 = info.OP1;
    rec.OP2 = info.OP2;
    add_oxygen(nt, rec.OP1, cutoff2, mol, rec.OP1_partners, rec.OP1_cap, rec.OP1_hbonds, rec.OP1_cap_text);
    add_oxygen(nt, rec.OP2, cutoff2, mol, rec.OP2_partners, rec.OP2_cap, rec.OP2_hbonds, rec.OP2_cap_text);
    if (rec.OP1_partners.count == 0 && rec.OP2_partners.count == 0 && rec.OP1_cap == 0 && rec.OP2_cap == 0)
      continue;
    list.push_back(std::move(rec));
  }
  count = static_cast<long>(list.size()) - 1;
  if (Gvars.phosphate) total_counts("phosphate interactions", count);
  for (long k = 1; k <= count; ++k) mol.residues[list[k].nt].flag[rf::phosphate] = 1;
}

void output_PO4_interactions(struct_mol& mol, long n, const std::vector<PO4_contact>& list, FILE* fp) {
  if (!Gvars.phosphate || n <= 0 || fp == nullptr) return;
  if (verbose1() && Gvars.auxfiles) {
    scoped_file sf(open_ensemble_file("phosphates", mol));
    FILE* out = sf.get();
    for (long k = 1; k <= n; ++k) {
      const PO4_contact& rec = list[k];
      std::vector<long> set(1, 0);
      auto add = [&set](long r) {
        if (r > 0 && std::find(set.begin() + 1, set.end(), r) == set.end()) set.push_back(r);
      };
      add(rec.nt);
      for (long t = 1; t <= rec.OP1_partners.count; ++t) add(mol.atoms[rec.OP1_partners[t]].residue);
      add(rec.OP1_cap);
      for (long t = 1; t <= rec.OP2_partners.count; ++t) add(mol.atoms[rec.OP2_partners[t]].residue);
      add(rec.OP2_cap);
      const frame* f = residue_frame(rec.nt, FRAME_PHOSPHATE, mol);
      begin_ensemble_model(out, k, {}, mol);
      if (Gvars.output_format != 2) {
        std::fprintf(out, "REMARK     %s    rmsd=%.2f\n", mol.residues[rec.nt].idstr.c_str(),
                     f != nullptr ? f->rmsd : -1.0);
        std::fprintf(out, "REMARK    %s\n", get_one_PO4_interaction_string(rec).c_str());
      }
      write_residue_set_pdb_simple(static_cast<long>(set.size()) - 1, set, f, mol, out);
      end_ensemble_model(out);
    }
    close_ensemble_file(sf, mol);
  }
  if (Gvars.json) {
    json_lNumber(fp, "num_phosContacts", n);
    json_begin_array(fp, "phosContacts");
    for (long k = 1; k <= n; ++k) {
      const PO4_contact& rec = list[k];
      json_bareObject_start_with_idx(fp, k);
      // a record is kept only with some partner or cap: "nt" is never last
      const bool op1 = rec.OP1_partners.count > 0 || rec.OP1_cap > 0;
      const bool op2 = rec.OP2_partners.count > 0 || rec.OP2_cap > 0;
      json_string(fp, "nt", mol.residues[rec.nt].idstr);
      if (op1) json_oxygen("OP1", rec.OP1_partners, rec.OP1_hbonds, rec.OP1_cap, rec.OP1_cap_text, !op2, fp);
      if (op2) json_oxygen("OP2", rec.OP2_partners, rec.OP2_hbonds, rec.OP2_cap, rec.OP2_cap_text, true, fp);
      json_bareObject_end_check_idx(fp, k, n);
    }
    json_end_array(fp);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, n, "List of %ld phosphate %s\n", "interaction");
  for (long k = 1; k <= n; ++k)
    std::fprintf(fp, "%4ld %-*s %s\n", k, mol.idstr_width, mol.residues[list[k].nt].idstr.c_str(),
                 get_one_PO4_interaction_string(list[k]).c_str());
}

}  // namespace vask
