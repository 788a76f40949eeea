// Waters that hydrate a residue, residues that coordinate a metal ion, the
// van der Waals contact test of two atoms, the metal summary with its
// "metals" coordinate file, and the residue membership tests. Declared in
// bond.hpp.
#include <algorithm>
#include <cmath>

#include "structure/atom.hpp"
#include "structure/bond.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/ref_frame.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr double METAL_COVALENT_FACTOR = 1.289;  // metal-ligand bond: covalent radius sum multiplier
constexpr double VDW_REFERENCE = 3.4;            // Angstrom: two carbons' vdW radius sum
constexpr double MIN_DIST2 = 0.36;               // (0.6 Angstrom)^2: closer atoms are an error

double covalent_radius(long i, const struct_mol& mol) {
  return element_table.covalent_radius[mol.atoms[i].atomic_number];
}

bool n_o_s_or_halogen(const atom& a) { return a.c_n_o_s_or_halogen && !a.carbon; }

// Box test with c, then 0.36 <= d^2 <= c^2.
bool within_cutoff(long a, long b, const struct_mol& mol, double c) {
  const xyz& p = mol.atoms[a].xyz;
  const xyz& q = mol.atoms[b].xyz;
  if (!dx_dy_dz_all_less(p, q, c)) return false;
  double d2 = dist_xyz_square(p, q);
  return d2 >= MIN_DIST2 && d2 <= c * c;
}

std::string metal_symbol(long atom_index, const struct_mol& mol) {
  std::string sym = element_table.symbol[mol.atoms[atom_index].atomic_number];
  capitalize_element_symbol(sym);
  return sym;
}

}  // namespace

bool vdw_contact(const xyz& p, const xyz& q, double vdw_p, double vdw_q) {
  const double c = Gvars.vdw_cutoff;
  if (!dx_dy_dz_all_less(p, q, c)) return false;
  double d2 = dist_xyz_square(p, q);
  if (d2 < MIN_DIST2 || d2 > c * c) return false;
  double d = std::sqrt(d2);
  double top = (vdw_p + vdw_q + Gvars.vdw_delta) * c / (VDW_REFERENCE + Gvars.vdw_delta);
  return d >= 1.0 && d <= top;
}

long atoms_ij_in_vdwCnt(long a, long b, const struct_mol& mol) {
  const atom& x = mol.atoms[a];
  const atom& y = mol.atoms[b];
  return vdw_contact(x.xyz, y.xyz, element_table.vdw_radius[x.atomic_number],
                     element_table.vdw_radius[y.atomic_number]);
}

void populate_hydration(struct_mol& mol) {
  mol.num_waters = 0;
  for (long k = 1; k <= mol.num_residues; ++k) mol.num_waters += is_water(k, mol) != 0;
  for (long i = 1; i <= mol.num_residues; ++i) {
    if (is_water(i, mol)) continue;
    const connect& cs = mol.residues[i].contacts;
    for (long t = 1; t <= cs.count; ++t) {
      long w = cs[t];
      if (!is_water(w, mol) || !mol.residues[i].hbonded.has(w)) continue;
      add_one_item_to_connect_simple(w, mol.residues[i].waters, "populate_hydration()", mol.warned.connects);
      add_one_item_to_connect_simple(i, mol.residues[w].waters, "populate_hydration()", mol.warned.connects);
    }
    sort_one_connect(mol.residues[i].waters);
  }
}

void populate_metal(struct_mol& mol) {
  mol.metals.assign(1, 0);
  mol.metal_counts.fill(0);
  mol.metal_text.clear();
  for (long k = 1; k <= mol.num_residues; ++k) mol.residues[k].flag[rf::is_metal] = 0;
  for (long i = 1; i <= mol.num_atoms; ++i)
    if (mol.atoms[i].metal) mol.metals.push_back(i);
  mol.num_metals = static_cast<long>(mol.metals.size()) - 1;
  if (mol.num_metals == 0) return;
  for (long m = 1; m <= mol.num_metals; ++m) {
    const atom& a = mol.atoms[mol.metals[m]];
    if (a.atomic_number >= 0 && a.atomic_number <= MAX_ATOMIC_NUMBER) ++mol.metal_counts[a.atomic_number];
    ++mol.residues[a.residue].flag[rf::is_metal];
  }
  for (long z = 1; z <= element_table.count && z <= MAX_ATOMIC_NUMBER; ++z) {
    if (mol.metal_counts[z] == 0) continue;
    VASK_ASSERT(element_table.metal[z]);
    std::string sym = element_table.symbol[z];
    capitalize_element_symbol(sym);
    if (!mol.metal_text.empty()) mol.metal_text += ',';
    mol.metal_text += sformat("%s=%ld", sym.c_str(), mol.metal_counts[z]);
  }
  VASK_ASSERT(mol.stage.vdw_contacts);
  for (long m = 1; m <= mol.num_metals; ++m) {
    const long ma = mol.metals[m];
    const long R = mol.atoms[ma].residue;
    const connect vdw = mol.residues[R].vdw_contacts;  // copy: R's sets change below
    for (long t = 1; t <= vdw.count; ++t) {
      const long j = vdw[t];
      const residue& rj = mol.residues[j];
      for (long a = rj.first_atom; a <= rj.last_atom; ++a) {
        if (!n_o_s_or_halogen(mol.atoms[a])) continue;
        double c = std::max(METAL_COVALENT_FACTOR * (covalent_radius(a, mol) + covalent_radius(ma, mol)),
                            Gvars.metal_cutoff);
        if (!within_cutoff(a, ma, mol, c)) continue;
        add_one_item_to_connect_simple(R, mol.residues[j].metals, "fillout_metals_per_residue()", mol.warned.connects);
        add_one_item_to_connect_simple(j, mol.residues[R].metals, "fillout_metals_per_residue()", mol.warned.connects);
        break;
      }
    }
  }
  for (long k = 1; k <= mol.num_residues; ++k) sort_one_connect(mol.residues[k].metals);
}

long ntbase_metal_in_covlkg(long nt, long metal_atom, const struct_mol& mol) {
  const residue& r = mol.residues[nt];
  for (long a = r.first_atom; a <= r.last_atom; ++a) {
    const atom& x = mol.atoms[a];
    if (!x.base || !n_o_s_or_halogen(x) || (x.metal && mol.atoms[metal_atom].metal)) continue;
    double c = METAL_COVALENT_FACTOR * (covalent_radius(a, mol) + covalent_radius(metal_atom, mol));
    if (within_cutoff(a, metal_atom, mol, c)) return 1;
  }
  return 0;
}

long ntbases_share_metal(long i, long j, const struct_mol& mol) {
  constexpr double PLANE_DIST = 0.8;  // Angstrom: the metal lies in both base planes
  if (mol.num_metals == 0 || !both_nts(i, j, mol)) return 0;
  const connect& mi = mol.residues[i].metals;
  const connect& mj = mol.residues[j].metals;
  if (mi.count == 0 || mj.count == 0) return 0;
  auto base_frame_of = [&](long k) -> const frame* {
    long f = mol.residues[k].frames[0];  // slot 0: the base frame
    return f >= 1 && f < static_cast<long>(mol.frames.size()) ? &mol.frames[f] : nullptr;
  };
  const frame* fi = base_frame_of(i);
  const frame* fj = base_frame_of(j);
  if (fi == nullptr || fj == nullptr) return 0;
  auto in_plane = [&](const xyz& p, const frame& f) {
    xyz d;
    diff_xyz(f.org, p, d);
    return std::fabs(dot_xyz(d, f.z_axis)) <= PLANE_DIST;
  };
  for (long t = 1; t <= mi.count; ++t) {
    const long m = mi[t];
    if (!mj.has(m)) continue;
    long atom_m = -1;
    for (long a = mol.residues[m].first_atom; a <= mol.residues[m].last_atom && atom_m == -1; ++a)
      if (mol.atoms[a].metal) atom_m = a;
    if (atom_m == -1) continue;
    if (!ntbase_metal_in_covlkg(i, atom_m, mol) || !ntbase_metal_in_covlkg(j, atom_m, mol)) continue;
    const xyz& p = mol.atoms[atom_m].xyz;
    if (in_plane(p, *fi) && in_plane(p, *fj)) return m;
  }
  return 0;
}

long ntbases_in_waterBridge(long i, long j, const struct_mol& mol) {
  if (!residues_in_waterBridge(i, j, mol)) return 0;
  if (!both_nts(i, j, mol)) return 0;
  const residue& ri = mol.residues[i];
  const residue& rj = mol.residues[j];
  for (long a = ri.first_atom; a <= ri.last_atom; ++a) {
    if (!mol.atoms[a].base) continue;
    const connect& wb = mol.atoms[a].water_bridged;
    for (long t = 1; t <= wb.count; ++t)
      if (wb[t] >= rj.first_atom && wb[t] <= rj.last_atom && mol.atoms[wb[t]].base) return 1;
  }
  return 0;
}

long residues_in_waterBridge(long i, long j, const struct_mol& mol) {
  return mol.residues[i].water_bridged.has(j);
}
long residues_in_hbond(long i, long j, const struct_mol& mol) { return mol.residues[i].hbonded.has(j); }
long residues_in_pair(long i, long j, const struct_mol& mol) { return mol.residues[i].paired.has(j); }
long residues_in_linkage(long i, long j, const struct_mol& mol) { return mol.residues[i].linked.has(j); }
long residues_in_contact(long i, long j, const struct_mol& mol) {
  return mol.residues[i].contacts.has(j);
}
long residues_in_vdwCnt(long i, long j, const struct_mol& mol) {
  return mol.residues[i].vdw_contacts.has(j);
}

// ---------------------------------------------------------------------------
// Writers

void write_waters_metals(long k, long res, const connect& set, struct_mol& mol, FILE* fp) {
  VASK_ASSERT(set.count > 0);
  if (fp == nullptr) return;
  std::fprintf(fp, "REMARK  #%ld %s with %ld: %s\n", k, mol.residues[res].idstr.c_str(), set.count,
               get_connect_abbr_ids(set, mol).c_str());
  for (long t = 1; t <= set.count; ++t) write_residue_record(fp, set[t], mol);
}

void print_waters(FILE* fp, struct_mol& mol) {
  if (fp == nullptr) return;
  long k = 0;
  for (long i = 1; i <= mol.num_residues; ++i)
    if (mol.residues[i].waters.count > 0) write_waters_metals(++k, i, mol.residues[i].waters, mol, fp);
}

void print_metals(FILE* fp, struct_mol& mol) {
  if (fp == nullptr) return;
  long k = 0;
  for (long i = 1; i <= mol.num_residues; ++i)
    if (mol.residues[i].metals.count > 0) write_waters_metals(++k, i, mol.residues[i].metals, mol, fp);
}

void summarize_metal_coordinations(struct_mol& mol, long& count, std::vector<connect>& list,
                                   FILE* fp) {
  if (mol.num_metals == 0 || fp == nullptr) return;
  const long n = mol.num_metals;
  list = allocate_connects_array(n);
  count = n;
  for (long m = 1; m <= n; ++m) {
    list[m] = mol.residues[mol.atoms[mol.metals[m]].residue].metals;
    list[m].set_owner(mol.metals[m]);
  }
  if (!Gvars.metals) return;

  const std::string name = name_pdbcif_outfile("metals");
  scoped_file sf(create_file(name.c_str()));
  FILE* out = sf.get();
  const bool cif = Gvars.output_format == 2;
  if (cif) write_cif_header(out, mol.base_name);
  const long saved_model = mol.cif_model;
  for (long m = 1; m <= n; ++m) {
    const long R = mol.atoms[mol.metals[m]].residue;
    const residue& r = mol.residues[R];
    frame f;
    f.org = {0, 0, 0, 0};
    for (long a = r.first_atom; a <= r.last_atom; ++a)
      for (int c = 1; c <= 3; ++c) f.org[c] += mol.atoms[a].xyz[c] / static_cast<double>(r.num_atoms);
    std::vector<long> residues(1, R);
    for (long t = 1; t <= list[m].count; ++t) residues.push_back(list[m][t]);
    const long nres = static_cast<long>(residues.size());
    residues.insert(residues.begin(), 0);
    begin_ensemble_model(out, m,
                         {sformat("model=%ld  %s %ld %s", m, mol.atoms[mol.metals[m]].idstr.c_str(),
                                  list[m].count, get_connect_abbr_ids(list[m], mol).c_str())}, mol);
    write_residue_set_pdb_simple(nres, residues, &f, mol, out);
    end_ensemble_model(out);
  }
  mol.cif_model = saved_model;
  end_pdbfile(out);
  sf.close();

  if (!Gvars.json) {
    print_leadline_sepchar(fp, '*', 76);
    std::fprintf(fp, "List of %ld metal%s\n", n, n == 1 ? "" : "s");
    for (long m = 1; m <= n; ++m) {
      const long R = mol.atoms[mol.metals[m]].residue;
      std::fprintf(fp, "%4ld %-2s %-*s", m, metal_symbol(mol.metals[m], mol).c_str(), mol.idstr_width,
                   mol.residues[R].idstr.c_str());
      std::fprintf(fp, "%2ld %s\n", list[m].count, get_connect_abbr_ids(list[m], mol).c_str());
    }
    return;
  }
  json_begin_array(fp, "metals");
  for (long m = 1; m <= n; ++m) {
    const long R = mol.atoms[mol.metals[m]].residue;
    json_bareObject_start_with_idx(fp, m);
    json_string(fp, "symbol", metal_symbol(mol.metals[m], mol));
    json_string(fp, "id", mol.residues[R].idstr);
    json_lNumber(fp, "num_ligands", list[m].count);
    json_begin_array(fp, "ligands");
    for (long t = 1; t <= list[m].count; ++t) {
      if (t < list[m].count)
        json_just_string(fp, mol.residues[list[m][t]].idstr);
      else
        json_just_string0(fp, mol.residues[list[m][t]].idstr);
    }
    json_end_array0(fp);
    json_bareObject_end_check_idx(fp, m, n);
  }
  json_end_array(fp);
}

}  // namespace vask
