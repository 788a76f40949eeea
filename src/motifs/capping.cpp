// Atom-base capping.
#include "motifs/capping.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "pairing/area.hpp"
#include "pairing/frame.hpp"
#include "pairing/plane.hpp"
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
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr double MAX_HORIZONTAL_DIST = 2.6;  // Angstrom from the ring centre, across the normal
constexpr double WATER_OFFSET = 0.01;        // a water must sit well inside the ring
constexpr double MIN_RING_ANGLE = 65.0;      // verbose: a ring atom over a base at a steep angle
constexpr long A2BASE_BASE = 1, A2BASE_PHOSPHATE = 2, A2BASE_SUGAR = 3, A2BASE_WATER = 4,
               A2BASE_OTHER = 5;

long a2base_type(long a, const struct_mol& mol) {
  const atom& at = mol.atoms[a];
  if (at.base) return A2BASE_BASE;
  if (at.name.size() == 4 && std::strstr(" OP2; OP1; O3'; O5'", at.name.c_str()) != nullptr)
    return A2BASE_PHOSPHATE;
  if (at.sugar) return A2BASE_SUGAR;
  if (at.water || is_water(at.residue, mol)) return A2BASE_WATER;
  return A2BASE_OTHER;
}

// Atom a lies over the base plane of nucleotide i: within the vertical
// window, near the ring centre and inside the widened ring outline.
bool atom_over_base(long a, long i, const frame& f, const plane& p, bool water,
                    const struct_mol& mol, double& vd) {
  const xyz& pos = mol.atoms[a].xyz;
  xyz d;
  diff_xyz(f.org, pos, d);
  vd = std::fabs(dot_xyz(d, f.z_axis));
  if (vd < Gvars.a2base_vd1 || vd > Gvars.a2base_vd) return false;
  if (horz_dist(pos, p.center, f.z_axis) > MAX_HORIZONTAL_DIST) return false;
  const double offset = water ? std::min(Gvars.polygon_offset, WATER_OFFSET) : Gvars.polygon_offset;
  return atom_projected_in_plane_ring(a, i, mol, offset) != 0;
}

// A ring atom of another planar group is taken only in verbose mode, when
// its group stands steeply on the base.
bool ring_atom_taken(long a, const frame& fi, const struct_mol& mol) {
  const frame* fa = planar_atom_frame(a, mol);
  if (fa == nullptr) return true;  // no planar group: an ordinary atom
  if (!verbose1()) return false;
  return angle90_normalized_vectors(fa->z_axis, fi.z_axis) > std::max(MIN_RING_ANGLE, Gvars.pair_angle);
}

}  // namespace

std::vector<a2base> allocate_a2bases_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<a2base>(static_cast<size_t>(n) + 1);
}

void free_a2bases(std::vector<a2base>& array) { std::vector<a2base>().swap(array); }

void find_a2base_capping(struct_mol& mol, long& count, std::vector<a2base>& list) {
  count = 0;
  list = allocate_a2bases_array(0);
  if (mol.num_residues < 2) return;
  std::vector<long> partners;
  for (long i = 1; i <= mol.num_residues; ++i) {
    if (!is_nt(i, mol)) continue;
    const frame* fi = base_frame(i, mol);
    const plane* pi = get_nt_scp_plane(i, mol);
    if (fi == nullptr || pi == nullptr || pi->num_atoms == 0 || pi->center[1] == DBL_MAX) continue;
    // the residue itself and its contacts, in residue order: no scan of all residues
    partners.assign(1, i);
    const connect& near = mol.residues[i].contacts;
    for (long t = 1; t <= near.count; ++t)
      if (near[t] != i) partners.push_back(near[t]);
    std::sort(partners.begin(), partners.end());
    partners.erase(std::unique(partners.begin(), partners.end()), partners.end());
    for (long j : partners) {
      const residue& rj = mol.residues[j];
      bool found = false;
      for (long a = rj.first_atom; a <= rj.last_atom; ++a) {
        const atom& at = mol.atoms[a];
        const bool ring = planar_atom_frame(a, mol) != nullptr;
        if (ring && !ring_atom_taken(a, *fi, mol)) continue;
        if (!ring) {
          if (at.hydrogen || at.carbon) continue;
          const bool water = at.water || is_water(j, mol);
          if (water && !Gvars.waters && !verbose1()) continue;
        }
        const bool water = at.water || is_water(j, mol);
        double vd = 0;
        if (!atom_over_base(a, i, *fi, *pi, water, mol, vd)) continue;
        a2base rec;
        rec.atom = a;
        rec.residue = j;
        rec.nt = i;
        rec.type = a2base_type(a, mol);
        rec.vert_dist = vd;
        if (Gvars.sasa) rec.area = get_delta_atom2base_area(a, i, mol);
        list.push_back(rec);
        found = true;
      }
      if (found) {
        mol.residues[i].flag[rf::capping_partner] = j;
        mol.residues[j].flag[rf::capping_partner] = i;
      }
    }
  }
  count = static_cast<long>(list.size()) - 1;
  total_counts("atom-base capping interactions", count);
  for (long k = 1; k <= count; ++k) {
    const a2base& rec = list[k];
    mol.atoms[rec.atom].capping = rec.nt;
    VASK_ASSERT(mol.atoms[rec.atom].residue == rec.residue);
    ++mol.residues[rec.residue].flag[rf::cap_donor];
    ++mol.residues[rec.nt].flag[rf::cap_acceptor];
  }
}

void output_a2base_info_pdb(struct_mol& mol, long n, const std::vector<a2base>& list, FILE* fp) {
  if (fp == nullptr || n <= 0) return;
  if (Gvars.auxfiles) {
    const std::string name = name_pdbcif_outfile("atom2bases");
    scoped_file sf(open_ensemble_file("atom2bases", mol));
    FILE* out = sf.get();
    for (long k = 1; k <= n; ++k) {
      const a2base& rec = list[k];
      const frame* f = base_frame(rec.nt, mol);
      VASK_ASSERT(f != nullptr);
      begin_ensemble_model(out, k, {name}, mol);
      const std::vector<long> set = {0, rec.residue, rec.nt};
      write_residue_set_pdb_simple(rec.residue == rec.nt ? 1 : 2, set, f, mol, out);
      end_ensemble_model(out);
    }
    close_ensemble_file(sf, mol);
  }
  if (Gvars.json) {
    json_lNumber(fp, "num_atom2bases", n);
    json_begin_array(fp, "atom2bases");
    for (long k = 1; k <= n; ++k) {
      const a2base& rec = list[k];
      json_bareObject_start_with_idx(fp, k);
      json_string(fp, "type", A2BASE_TYPE[rec.type]);
      json_string(fp, "atom", mol.atoms[rec.atom].idstr);
      json_string(fp, "nt", mol.residues[rec.nt].idstr);
      json_dNumber0(fp, "vert_dist", rec.vert_dist);
      json_bareObject_end_check_idx(fp, k, n);
    }
    json_end_array(fp);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, n, "List of %ld atom-base capping %s\n", "interaction");
  std::fprintf(fp, "    dv: vertical distance of the atom above the nucleotide base\n");
  std::fprintf(fp, "    -----------------------------------------------------------\n");
  std::fprintf(fp, "     type       atom                 nt             dv\n");
  for (long k = 1; k <= n; ++k) {
    const a2base& rec = list[k];
    std::fprintf(fp, "%4ld %-10s %-20s %-14s %.2f", k, A2BASE_TYPE[rec.type],
                 mol.atoms[rec.atom].idstr.c_str(), mol.residues[rec.nt].idstr.c_str(), rec.vert_dist);
    if (rec.area != DBL_MAX) std::fprintf(fp, " dsa=%.1f", rec.area);
    std::fprintf(fp, "\n");
  }
}

}  // namespace vask
