// Helpers shared by the base-pair files: the services of the geometry, H-bond
// and plane stages reached through one place each, the window tests of the
// naming tables, and the small tests of the best-pair and tidy-up passes.
#pragma once

#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "pairing/area.hpp"
#include "pairing/frame.hpp"
#include "pairing/hbond.hpp"
#include "pairing/pair.hpp"
#include "pairing/plane.hpp"
#include "pairing/torsion.hpp"
#include "structure/bond.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"

namespace vask::pair_detail {

inline constexpr double UNSET = DBL_MAX;

inline const frame* base_frame_of(long i, const struct_mol& mol) { return base_frame(i, mol); }

inline long collect_pair_hbonds(long i, long j, struct_mol& mol, std::vector<bond>& hbonds) {
  return get_hbonds_ij(i, j, mol, hbonds);
}

// Centre of the residue's base ring (its base plane).
inline bool ring_center(long i, const struct_mol& mol, xyz& center) {
  const long k = mol.residues[i].planes[0];
  if (k < 1 || k > mol.num_planes || mol.planes[k].center[1] == DBL_MAX) return false;
  center = mol.planes[k].center;
  return true;
}

inline double outer_overlap_area(long i, long j, const struct_mol& mol) { return get_outer_overlap_area_byResNum(i, j, mol); }

inline double base2base_area(long i, long j, const struct_mol& mol) { return get_delta_base2base_area(i, j, mol); }

// The metal residue that both bases coordinate, in both base planes; 0 when none.
inline long bases_share_metal(long i, long j, const struct_mol& mol) { return ntbases_share_metal(i, j, mol); }

inline long bases_in_water_bridge(long i, long j, const struct_mol& mol) { return ntbases_in_waterBridge(i, j, mol); }

inline long nts_linked(long i, long j, const struct_mol& mol) { return residues_in_linkage(i, j, mol); }

inline double atoms_torsion(long a, long b, long c, long d, const struct_mol& mol) {
  return idx2torsion({0, a, b, c, d}, mol, 0);
}

// H-bond record flags.
inline bool hb_good_type(const bond& b) { return b.good_type != 0; }
inline bool hb_both_base(const bond& b, const struct_mol&) { return b.both_base != 0; }
inline bool hb_any_base(const bond& b, const struct_mol&) { return b.any_base != 0; }
inline bool hb_good_dist(const bond& b) { return b.good_dist != 0; }
inline bool hb_mutual_best(const bond& b) { return b.status == 1; }
inline long hb_json_index(const bond& b) { return b.index; }

// ---------------------------------------------------------------------------
// Window tests of the naming tables.

inline bool in(double x, double lo, double hi) { return x >= lo && x <= hi; }
inline bool absin(double x, double lo, double hi) { return in(std::fabs(x), lo, hi); }
inline bool has(const std::string& list, const std::string& text) {
  return !text.empty() && list.find(text) != std::string::npos;
}

inline constexpr const char* WC_LETTERS = "A-U; U-A; A-T; T-A; C-G; G-C";
inline constexpr const char* GU_LETTERS = "G-U; U-G; G-T; T-G";

// Characters 2..4 of the own class: "W-W" and the like.
inline std::string edge_text(const pair& p) { return p.VASK.size() > 1 ? p.VASK.substr(1, 3) : std::string(); }

inline double shear(const pair& p) { return p.bp_params[1]; }
inline double stretch(const pair& p) { return p.bp_params[2]; }
inline double opening(const pair& p) { return p.bp_params[6]; }
inline double absX(const pair& p) { return std::fabs(shear(p)); }

inline bool dWC_in_range(const pair& p) { return in(p.dWC, Gvars.wc_geo, 0.0); }

inline bool purine_pyrimidine(const pair& p) {
  if (p.bp_upper.size() < 3) return false;
  const std::string R = "AG", Y = "CTU";
  const char a = p.bp_upper[0], b = p.bp_upper[2];
  return (R.find(a) != std::string::npos && Y.find(b) != std::string::npos) ||
         (Y.find(a) != std::string::npos && R.find(b) != std::string::npos);
}

inline void clear_name_flags(pair& p) {
  p.WC = p.rWC = p.Hoogsteen = p.Hoogsteen_like = p.rHoogsteen = p.rHoogsteen_like = 0;
  p.Wobble = p.Wobble_like = p.rWobble = p.Sheared = p.Sheared_like = 0;
  p.Calcutta = p.Imino = p.Linker = p.Platform = 0;
}

inline std::string pair_text(const pair& p, const struct_mol& mol) { return get_pair_idstr_abbr(p, mol); }

// The residue's stacking partners of the plane contacts.
inline const connect* stacked_set(long r, const struct_mol& mol) {
  return good_residue(r, mol) ? &mol.residues[r].plane_stacks : nullptr;
}

// One linkage step between i and j, either way.
inline bool linkage_neighbours(long i, long j, const struct_mol& mol) {
  return good_residue(i, mol) && good_residue(j, mol) &&
         (mol.nt_infos[i].linked.has(j) || mol.nt_infos[j].linked.has(i) || mol.residues[i].linked.has(j));
}

inline void demote_canonical(pair& p, const struct_mol& mol) {
  p.name = "--";
  p.canonical = p.WC = p.Wobble = 0;
  p.Saenger_num = 0;
  p.Saenger = "--";
  const long metal = bases_share_metal(p.nt1, p.nt2, mol);
  if (metal) {
    p.metal = metal;
    p.name = "Metal";
  }
}

}  // namespace vask::pair_detail
