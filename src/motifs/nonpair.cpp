// Non-pairing contacts between nucleotides.
#include "motifs/nonpair.hpp"

#include <algorithm>
#include <cmath>

#include "pairing/area.hpp"
#include "pairing/frame.hpp"
#include "pairing/hbond.hpp"
#include "pairing/pair.hpp"
#include "pairing/plane.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr long NONPAIR_EXCLUDE_NEIGHBOURS = 3;  // --non-pair setting that skips backbone neighbours

double min_base_atom_distance(long i, long j, const struct_mol& mol) {
  double best = DBL_MAX;
  const residue& ri = mol.residues[i];
  const residue& rj = mol.residues[j];
  for (long a = ri.first_atom; a <= ri.last_atom; ++a) {
    if (!is_baseatom(a, mol)) continue;
    for (long b = rj.first_atom; b <= rj.last_atom; ++b)
      if (is_baseatom(b, mol)) best = std::min(best, dist_xyz_square(mol.atoms[a].xyz, mol.atoms[b].xyz));
  }
  return best == DBL_MAX ? -1.0 : std::sqrt(best);
}

}  // namespace

std::vector<nonpair> allocate_nonpairs_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<nonpair>(static_cast<size_t>(n) + 1);
}

void free_nonpairs(std::vector<nonpair>& array) { std::vector<nonpair>().swap(array); }

double get_minimum_distance_between_residues(long r1, long r2, const struct_mol& mol) {
  double best = DBL_MAX;
  const residue& a = mol.residues[r1];
  const residue& b = mol.residues[r2];
  for (long p = a.first_atom; p <= a.last_atom; ++p) {
    if (mol.atoms[p].hydrogen) continue;
    for (long q = b.first_atom; q <= b.last_atom; ++q)
      if (!mol.atoms[q].hydrogen) best = std::min(best, dist_xyz_square(mol.atoms[p].xyz, mol.atoms[q].xyz));
  }
  return best == DBL_MAX ? -1.0 : std::sqrt(best);
}

void find_nonpair_contacts(struct_mol& mol, long& count, std::vector<nonpair>& list) {
  count = 0;
  list = allocate_nonpairs_array(0);
  if (mol.num_nts < 2) return;
  std::vector<bond> hbonds = allocate_hbond_scratch();
  std::vector<long> partners;
  for (long i = 1; i <= mol.num_residues; ++i) {
    const frame* fi = base_frame(i, mol);
    if (!is_nt(i, mol) || fi == nullptr) continue;
    // the van der Waals contact set holds every candidate j: no scan of all later residues
    const connect& near = mol.residues[i].vdw_contacts;
    partners.clear();
    for (long t = 1; t <= near.count; ++t)
      if (near[t] > i) partners.push_back(near[t]);
    std::sort(partners.begin(), partners.end());
    for (long j : partners) {
      const frame* fj = base_frame(j, mol);
      if (!is_nt(j, mol) || fj == nullptr || residues_in_pair(i, j, mol)) continue;
      const long linked = residues_in_linkage(i, j, mol);
      if (Gvars.non_pair == NONPAIR_EXCLUDE_NEIGHBOURS && linked) continue;
      const long nh = collect_hbonds(i, j, mol, hbonds, Gvars.hbond_good);
      const double oarea = get_outer_overlap_area_byResNum(i, j, mol);
      if (nh == 0 && oarea < Gvars.stack_cutoff) continue;
      nonpair np;
      np.nt1 = i;
      np.nt2 = j;
      np.linked = linked;
      np.num_hbonds = nh;
      if (nh > 0)
        np.hbond_text = derive_hbondStr(mol.residues[i].letter, mol.residues[j].letter, mol, nh, hbonds);
      np.angle = angle90_normalized_vectors(fi->z_axis, fj->z_axis);
      np.min_dist = min_base_atom_distance(i, j, mol);
      np.planarity = get_planarity_2nts(i, j, mol);
      np.oarea = oarea;
      if (oarea >= Gvars.stack_cutoff) {
        np.stack_faces = get_stack_faces(*fi, *fj);
        np.oarea_inner = get_inner_overlap_area_byResNum(i, j, mol);
      }
      if (Gvars.sasa) np.base_sasa = get_delta_base2base_area(i, j, mol);
      list.push_back(std::move(np));
    }
  }
  count = static_cast<long>(list.size()) - 1;
  if (Gvars.non_pair) total_counts("non-pairing interactions", count);
  for (long k = 1; k <= count; ++k) {
    mol.residues[list[k].nt1].flag[rf::non_pair_contact] = 1;
    mol.residues[list[k].nt2].flag[rf::non_pair_contact] = 1;
  }
}

void output_nonpairs(const struct_mol& mol, long n, const std::vector<nonpair>& list, FILE* fp) {
  if (fp == nullptr || !Gvars.non_pair || n == 0) return;
  if (Gvars.json) {
    json_lNumber(fp, "num_nonPairs", n);
    json_begin_array(fp, "nonPairs");
    for (long k = 1; k <= n; ++k) {
      const nonpair& np = list[k];
      json_bareObject_start_with_idx(fp, k);
      json_string(fp, "nt1", mol.residues[np.nt1].idstr);
      json_string(fp, "nt2", mol.residues[np.nt2].idstr);
      if (!np.stack_faces.empty()) {
        json_begin_object(fp, "stacking");
        json_dNumber(fp, "oArea", np.oarea);
        json_dNumber(fp, "oArea_ring", np.oarea_inner);
        json_string0(fp, "type", np.stack_faces);
        json_end_object(fp);
      }
      json_dNumber(fp, "interBase_angle", np.angle);
      if (VERBOSITY > 1) json_dNumber(fp, "planarity", np.planarity);
      if (np.num_hbonds) json_hbonds_num_str(fp, np.num_hbonds, np.hbond_text);
      if (np.linked) json_boolean(fp, "is_connected", true);
      json_dNumber0(fp, "min_baseDist", np.min_dist);
      json_bareObject_end_check_idx(fp, k, n);
    }
    json_end_array(fp);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, n, "List of %ld non-pairing %s\n", "interaction");
  const int w = mol.idstr_width;
  for (long k = 1; k <= n; ++k) {
    const nonpair& np = list[k];
    std::fprintf(fp, "%4ld %-*s %-*s", k, w, mol.residues[np.nt1].idstr.c_str(), w,
                 mol.residues[np.nt2].idstr.c_str());
    if (!np.stack_faces.empty())
      std::fprintf(fp, " stacking: %.1f(%.1f)--%s", np.oarea, np.oarea_inner, np.stack_faces.c_str());
    if (np.angle != DBL_MAX) std::fprintf(fp, " interBase-angle=%.0f", np.angle);
    if (np.planarity != -1.0 && VERBOSITY > 1) std::fprintf(fp, " planarity=%.3f", np.planarity);
    if (np.num_hbonds) std::fprintf(fp, " H-bonds[%ld]: \"%s\"", np.num_hbonds, np.hbond_text.c_str());
    if (np.linked) std::fprintf(fp, " connected");
    std::fprintf(fp, " min-baseDist=%.2f", np.min_dist);
    if (VERBOSITY > 1 && np.base_sasa != DBL_MAX) std::fprintf(fp, " base-sasa=%.1f", np.base_sasa);
    std::fprintf(fp, "\n");
  }
}

}  // namespace vask
