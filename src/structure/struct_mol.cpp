// The structure record's life cycle, atom selection and coordinate copies:
// see struct_mol.hpp.
#include "structure/struct_mol.hpp"

#include <algorithm>
#include <cfloat>

#include "structure/atom.hpp"
#include "structure/bond.hpp"
#include "structure/plane_records.hpp"
#include "structure/residue.hpp"
#include "structure/residue_info.hpp"
#include "support/arrays.hpp"
#include "support/error.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

std::string base_name_of(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = base.find_last_of('.');
  if (dot != std::string::npos && dot > 0) base.resize(dot);
  return base;
}

}  // namespace

void init_struct_mol(const std::string& file_name, struct_mol& mol) {
  mol = struct_mol{};
  mol.file_name = file_name.substr(0, 511);
  mol.base_name = base_name_of(mol.file_name);
}

void free_struct_mol(struct_mol& mol) {
  std::vector<long>().swap(mol.residue_order);
  std::vector<long>().swap(mol.nt_order);
  std::vector<long>().swap(mol.aa_order_marks);
  std::vector<long>().swap(mol.nt_residue);
  std::vector<long>().swap(mol.aa_residue);
  std::vector<long>().swap(mol.framed_nts);
  std::vector<long>().swap(mol.framed_aas);
  std::vector<long>().swap(mol.models);
  std::vector<long>().swap(mol.metals);
  free_atoms(mol.atoms);
  free_bonds(mol.bonds);
  free_bonds(mol.hbonds);
  free_bonds(mol.json_hbonds);
  std::vector<frame>().swap(mol.frames);
  std::vector<plane>().swap(mol.planes);
  std::vector<planeCnt>().swap(mol.plane_contacts);
  std::unordered_map<long, double>().swap(mol.outer_overlaps);
  std::vector<water_bridge>().swap(mol.water_bridges);
  mol.num_water_bridges = 0;
  free_residues(mol.residues);
  mol.num_chains = 0;
  std::vector<aa_info>().swap(mol.aa_infos);
  std::vector<nt_info>().swap(mol.nt_infos);
  mol.dbn_sequence.clear();
  mol.dbn_text.clear();
  mol.dbn_extra.clear();
  mol.notes.clear();
  std::vector<segidx>().swap(mol.segments);
}

void free_pdb_exit(struct_mol& mol) {
  free_struct_mol(mol);
  end_run(0);
}

void set_residue_atoms_good_status(long k, struct_mol& mol) {
  for (long i = mol.residues[k].first_atom; i <= mol.residues[k].last_atom; ++i)
    mol.atoms[i].status = 1;
}

void set_residue_atoms_bad_status(long k, struct_mol& mol) {
  for (long i = mol.residues[k].first_atom; i <= mol.residues[k].last_atom; ++i)
    mol.atoms[i].status = 0;
}

void switch_residue_atoms_status(long k, struct_mol& mol) {
  for (long i = mol.residues[k].first_atom; i <= mol.residues[k].last_atom; ++i)
    mol.atoms[i].status = mol.atoms[i].status == 0 ? 1 : 0;
}

void set_all_atoms_good_status(struct_mol& mol) {
  for (long k = 1; k <= mol.num_residues; ++k) set_residue_atoms_good_status(k, mol);
}

void set_all_atoms_bad_status(struct_mol& mol) {
  for (long k = 1; k <= mol.num_residues; ++k) set_residue_atoms_bad_status(k, mol);
}

bool pdb_atoms_all_in_good_status(const struct_mol& mol) {
  for (long i = 1; i <= mol.num_atoms; ++i)
    if (mol.atoms[i].status == 0) return 0;
  return 1;
}

long get_number_of_good_atoms_per_pdb(const struct_mol& mol) {
  long n = 0;
  for (long i = 1; i <= mol.num_atoms; ++i) n += mol.atoms[i].status != 0;
  return n;
}

long get_number_of_good_atoms_per_residue(long k, const struct_mol& mol) {
  long n = 0;
  for (long i = mol.residues[k].first_atom; i <= mol.residues[k].last_atom; ++i)
    n += mol.atoms[i].status != 0;
  return n;
}

long get_number_of_good_atoms_residue_set(long n, const std::vector<long>& residues,
                                          const struct_mol& mol) {
  long num = 0;
  for (long m = 1; m <= n; ++m) num += get_number_of_good_atoms_per_residue(residues[m], mol);
  return num;
}

void renumber_atom(struct_mol& mol) {
  if (Gvars.renum_atom == 0) return;
  long serial = Gvars.renum_atom;
  for (long i = 1; i <= mol.num_atoms; ++i)
    if (mol.atoms[i].status) mol.atoms[i].serial = serial++;
}

void copy_pdb_xyz(const struct_mol& mol, std::vector<xyz>& points) {
  copy_atoms_xyz(mol.num_atoms, mol.atoms, points);
}

void copy_xyz_pdb(const std::vector<xyz>& points, struct_mol& mol) {
  copy_xyz_atoms(mol.num_atoms, points, mol.atoms);
}

void copy_atoms_xyz(long n, const std::vector<atom>& atoms, std::vector<xyz>& points) {
  points.resize(static_cast<size_t>(n) + 1);
  for (long i = 1; i <= n; ++i) points[i] = atoms[i].xyz;
}

void copy_xyz_atoms(long n, const std::vector<xyz>& points, std::vector<atom>& atoms) {
  for (long i = 1; i <= n; ++i) atoms[i].xyz = points[i];
}

long extract_residue_xyz(long k, const struct_mol& mol, std::vector<xyz>& points) {
  const residue& r = mol.residues[k];
  points.assign(1, xyz{});
  for (long i = r.first_atom; i <= r.last_atom; ++i) points.push_back(mol.atoms[i].xyz);
  return r.num_atoms;
}

void ave_pdb_xyz(const struct_mol& mol, xyz& point) {
  point = {0, 0, 0, 0};
  for (long i = 1; i <= mol.num_atoms; ++i)
    for (int c = 1; c <= 3; ++c) point[c] += mol.atoms[i].xyz[c];
  if (mol.num_atoms > 0)
    for (int c = 1; c <= 3; ++c) point[c] /= static_cast<double>(mol.num_atoms);
}

void residue_set_center(long n, const std::vector<long>& residues, const struct_mol& mol,
                        xyz& point) {
  point = {0, 0, 0, 0};
  long num = 0;
  for (long m = 1; m <= n; ++m) {
    const residue& r = mol.residues[residues[m]];
    for (long i = r.first_atom; i <= r.last_atom; ++i) {
      if (mol.atoms[i].hydrogen) continue;
      for (int c = 1; c <= 3; ++c) point[c] += mol.atoms[i].xyz[c];
      ++num;
    }
  }
  if (num > 0)  // an empty set stays at the origin instead of 0/0
    for (int c = 1; c <= 3; ++c) point[c] /= static_cast<double>(num);
}

void get_extremeXYZ_pdb(const struct_mol& mol, xyz& max, xyz& min, xyz& mean) {
  max = {0, -DBL_MAX, -DBL_MAX, -DBL_MAX};
  min = {0, DBL_MAX, DBL_MAX, DBL_MAX};
  mean = {0, 0, 0, 0};
  long num = 0;
  for (long i = 1; i <= mol.num_atoms; ++i) {
    const atom& a = mol.atoms[i];
    if (a.hydrogen || !is_ntaa(a.residue, mol)) continue;
    for (int c = 1; c <= 3; ++c) {
      max[c] = std::max(max[c], a.xyz[c]);
      min[c] = std::min(min[c], a.xyz[c]);
      mean[c] += a.xyz[c];
    }
    ++num;
  }
  if (num > 1)
    for (int c = 1; c <= 3; ++c) mean[c] /= static_cast<double>(num);
}

void mask_off_hydrogens(struct_mol& mol) {
  for (long i = 1; i <= mol.num_atoms; ++i)
    if (mol.atoms[i].hydrogen) mol.atoms[i].status = 0;
}

}  // namespace vask
