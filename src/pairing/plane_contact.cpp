// Plane contacts: every two residue planes in van der Waals range, measured
// (overlaps along three normals, centre separations, angle, H-bonds, linkage)
// and classed as pair (edge to edge, H-bonded), stack (face to face), T-shape
// (edge to face) or other. The list writers are in plane_output.cpp.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

#include "pairing/area.hpp"
#include "pairing/frame.hpp"
#include "pairing/plane.hpp"
#include "structure/bond.hpp"
#include "structure/plane_records.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr double PEPTIDE_LINKED_ANGLE = 45.0;  // degrees: a linked peptide plane steeper than this never stacks
constexpr double SC_STACK_ANGLE = 45.0;        // side-chain stacks without a gated overlap
constexpr double SC_STACK_DV_MIN = 2.5;        // Angstrom
constexpr double SC_STACK_DV_MAX = 4.5;
constexpr double SC_STACK_DH_MAX = 4.5;
constexpr double SC_STACK_DCC_MAX = 7.0;
constexpr double TSHAPE_RATIO_MIN = 0.65;      // dv / dh of a T-shape
constexpr double TSHAPE_RATIO_MAX = 1.68;
constexpr double TSHAPE_ON_NORMAL_DV = 3.6;    // the stem plane's centre on the top plane's normal
constexpr double TSHAPE_ON_NORMAL_DH = 2.5;
constexpr double TSHAPE_IN_PLANE_DV = 1.8;     // the top plane's centre in the stem plane
constexpr double TSHAPE_IN_PLANE_DH = 3.6;
constexpr double TSHAPE_LOOSE_DCC = 6.0;       // with the T-shape switch

long plane_residue(const plane& p, const struct_mol& mol) { return mol.atoms[p.inner[1]].residue; }

const frame& plane_frame(const plane& p, const struct_mol& mol) {
  VASK_ASSERT(p.frame_index >= 1 && p.frame_index <= mol.num_frames);
  return mol.frames[p.frame_index];
}

long kind_key(const plane& a, const plane& b) { return 10 * static_cast<long>(a.kind) + b.kind; }

// Some outer atom of plane a lies in van der Waals contact with some outer atom of plane b.
bool outer_atoms_in_vdw(const plane& a, const plane& b, const struct_mol& mol) {
  for (long i = 1; i <= a.num_atoms; ++i)
    for (long j = 1; j <= b.num_atoms; ++j)
      if (atoms_ij_in_vdwCnt(a.outer[i], b.outer[j], mol)) return true;
  return false;
}

bool outer_atoms_hbonded(const plane& a, const plane& b, const struct_mol& mol) {
  for (long i = 1; i <= a.num_atoms; ++i) {
    const connect& partners = mol.atoms[a.outer[i]].hbonded;
    for (long j = 1; j <= b.num_atoms; ++j)
      if (partners.has(b.outer[j])) return true;
  }
  return false;
}

bool is_peptide(const plane& p) { return p.kind == PLANE_PEPTIDE; }

// Side chain over base (either order) or two side chains.
bool sidechain_stack_kinds(const plane& a, const plane& b) {
  if (a.kind == PLANE_SIDECHAIN) return b.kind == PLANE_SIDECHAIN || b.kind == PLANE_BASE;
  return a.kind == PLANE_BASE && b.kind == PLANE_SIDECHAIN;
}

void measure_planeCnt(planeCnt& c, const struct_mol& mol) {
  const plane& p1 = mol.planes[c.plane1];
  const plane& p2 = mol.planes[c.plane2];
  const xyz& z1 = plane_frame(p1, mol).z_axis;
  const xyz& z2 = plane_frame(p2, mol).z_axis;
  xyz zm{};
  get_ave_z_axis(z1, z2, zm);
  c.oarea = get_outer_overlap_area_byPlane(&p1, &p2, mol);
  c.oarea1 = get_oarea_by2Planes1frame(z1, &p1, &p2, mol);
  c.oarea2 = get_oarea_by2Planes1frame(z2, &p1, &p2, mol);
  get_dv_dh_point2_axis(p1.center, p2.center, zm, c.dv, c.dh);
  get_dv_dh_point2_axis(p1.center, p2.center, z1, c.dv1, c.dh1);
  get_dv_dh_point2_axis(p1.center, p2.center, z2, c.dv2, c.dh2);
  c.dcc = dist_xyz(p1.center, p2.center);
  c.angle = angle90_normalized_vectors(z1, z2);
}

// The stacking-area category of two residues: 1 nt-nt, 2 nt-aa, 3 aa-aa.
long stack_category(long a, long b, const struct_mol& mol) {
  if (both_nts(a, b, mol)) return 1;
  if (nt_with_aa(a, b, mol)) return 2;
  VASK_ASSERT(both_aas(a, b, mol));
  return 3;
}

bool counts_as_stack(const planeCnt& c) { return c.is_stack && c.oarea >= Gvars.stack_cutoff; }

}  // namespace

void init_one_planeCnt(planeCnt& c) { c = planeCnt{}; }

std::vector<planeCnt> allocate_planeCnts_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<planeCnt>(static_cast<size_t>(n) + 1);
}

void free_planeCnts(std::vector<planeCnt>& contacts) { std::vector<planeCnt>().swap(contacts); }

bool planeCnt_compare(const planeCnt& a, const planeCnt& b, const struct_mol& mol) {
  const long ka = kind_key(mol.planes[a.plane1], mol.planes[a.plane2]);
  const long kb = kind_key(mol.planes[b.plane1], mol.planes[b.plane2]);
  if (ka != kb) return ka < kb;
  if (a.res1 != b.res1) return a.res1 < b.res1;
  return a.res2 < b.res2;
}

void fillout_planeCnt_types(planeCnt& c, struct_mol& mol) {
  const plane& p1 = mol.planes[c.plane1];
  const plane& p2 = mol.planes[c.plane2];
  c.hbonded = outer_atoms_hbonded(p1, p2, mol);
  c.linked = residues_in_linkage(c.res1, c.res2, mol);
  const bool peptide_linked = (is_peptide(p1) || is_peptide(p2)) && c.linked;

  c.is_pair = c.hbonded && c.oarea <= 0 && c.dv <= Gvars.pair_vd && c.angle <= Gvars.pseudo_pair_angle;

  if (c.oarea >= Gvars.stack_cutoff) {
    c.is_stack = !(peptide_linked && c.angle > PEPTIDE_LINKED_ANGLE);
  } else if (sidechain_stack_kinds(p1, p2) && c.angle <= SC_STACK_ANGLE && c.dv >= SC_STACK_DV_MIN &&
             c.dv <= SC_STACK_DV_MAX && c.dh < SC_STACK_DH_MAX && c.dcc < SC_STACK_DCC_MAX) {
    const std::string& id1 = mol.residues[c.res1].idstr;
    const std::string& id2 = mol.residues[c.res2].idstr;
    if (c.oarea1 >= Gvars.stack_cutoff || c.oarea2 >= Gvars.stack_cutoff) {
      c.is_stack = 1;
      prglog_msg("[PCNT_STACK]: %s-%s: [0 %.2f %.2f]\n", id1.c_str(), id2.c_str(), c.oarea1, c.oarea2);
    }
    const double buried = get_delta_AAsc2base_area(c.res1, c.res2, mol);
    if (buried >= Gvars.stack_area) {
      c.is_stack = 1;
      prglog_msg("[PCNT_STACK]: %s-%s: AAsc2base=%.2f\n", id1.c_str(), id2.c_str(), buried);
    }
  }

  if (c.angle > Gvars.tshape_angle) {
    const double ratio = c.dh > 0 ? c.dv / c.dh : DBL_MAX;
    const bool one_on_two = c.dv1 > TSHAPE_ON_NORMAL_DV && c.dh1 < TSHAPE_ON_NORMAL_DH &&
                            c.dv2 < TSHAPE_IN_PLANE_DV && c.dh2 > TSHAPE_IN_PLANE_DH;
    const bool two_on_one = c.dv2 > TSHAPE_ON_NORMAL_DV && c.dh2 < TSHAPE_ON_NORMAL_DH &&
                            c.dv1 < TSHAPE_IN_PLANE_DV && c.dh1 > TSHAPE_IN_PLANE_DH;
    c.is_tshape = !peptide_linked && ratio >= TSHAPE_RATIO_MIN && ratio <= TSHAPE_RATIO_MAX &&
                  (one_on_two || two_on_one);
    if (Gvars.tshape && c.dcc < TSHAPE_LOOSE_DCC &&
        (c.oarea1 > Gvars.stack_cutoff || c.oarea2 > Gvars.stack_cutoff))
      c.is_tshape = 1;
  }

  if (c.is_pair) {
    c.is_stack = c.is_tshape = 0;
  } else if (c.is_stack) {
    c.is_tshape = 0;
    c.faces = get_stack_faces(plane_frame(p1, mol), plane_frame(p2, mol));
    mol.residues[c.res1].stacked = 1;
    mol.residues[c.res2].stacked = 1;
  } else if (!c.is_tshape) {
    c.is_other = 1;
  }
}

void populate_plane_contacts(struct_mol& mol) {
  VASK_ASSERT(mol.stage.hbonds && mol.stage.vdw_contacts && mol.stage.planes);
  for (long k = 1; k <= mol.num_residues; ++k) {  // written only here: a second call starts afresh
    residue& r = mol.residues[k];
    r.plane_stacks.clear();
    r.overlap_areas = {};
    r.stacked = 0;
  }
  std::vector<planeCnt> found;
  // Candidates come from the residues' van der Waals contact sets, so only
  // planes of residues in contact are ever compared.
  for (long i = 1; i <= mol.num_planes; ++i) {
    const plane& pi = mol.planes[i];
    const long ri = plane_residue(pi, mol);
    const connect& near = mol.residues[ri].vdw_contacts;
    for (long t = 1; t <= near.count; ++t) {
      for (long j : mol.residues[near[t]].planes) {
        if (j <= i) continue;
        const plane& pj = mol.planes[j];
        const long rj = plane_residue(pj, mol);
        if (is_peptide(pi) && is_peptide(pj) && residues_in_linkage(ri, rj, mol)) continue;
        if (!residues_in_vdwCnt(ri, rj, mol) || !outer_atoms_in_vdw(pi, pj, mol)) continue;
        planeCnt c;
        c.res1 = ri;
        c.res2 = rj;
        c.plane1 = i;
        c.plane2 = j;
        measure_planeCnt(c, mol);
        fillout_planeCnt_types(c, mol);
        found.push_back(std::move(c));
      }
    }
  }

  const long n = static_cast<long>(found.size());
  mol.plane_contacts = allocate_planeCnts_array(n);
  std::move(found.begin(), found.end(), mol.plane_contacts.begin() + 1);
  std::sort(mol.plane_contacts.begin() + 1, mol.plane_contacts.end(),
            [&mol](const planeCnt& a, const planeCnt& b) { return planeCnt_compare(a, b, mol); });
  mol.num_plane_contacts = n;

  for (long k = 1; k <= n; ++k) {
    const planeCnt& c = mol.plane_contacts[k];
    if (!counts_as_stack(c)) continue;
    add_one_item_to_connect_simple(c.res2, mol.residues[c.res1].plane_stacks, "fill_raw_stacks()", mol.warned.connects);
    add_one_item_to_connect_simple(c.res1, mol.residues[c.res2].plane_stacks, "fill_raw_stacks()", mol.warned.connects);
  }
  for (long k = 1; k <= n; ++k) {
    const planeCnt& c = mol.plane_contacts[k];
    if (!counts_as_stack(c)) continue;
    const long category = stack_category(c.res1, c.res2, mol);
    for (long r : {c.res1, c.res2}) {
      mol.residues[r].overlap_areas[0] += c.oarea;
      mol.residues[r].overlap_areas[category] += c.oarea;
    }
  }
  mol.stage.plane_contacts = 1;
  if (Gvars.test) t_write_planeCts(mol);
}

const planeCnt* check_planeCnt_for_2planes(long a, long b, const struct_mol& mol) {
  if (a < 1 || b < 1 || a == b) return nullptr;
  const plane& pa = mol.planes[a];
  const plane& pb = mol.planes[b];
  const long ra = plane_residue(pa, mol), rb = plane_residue(pb, mol);
  const long kab = kind_key(pa, pb), kba = kind_key(pb, pa);
  VASK_ASSERT(kab != kba || ra != rb);
  if (kab > kba || (kab == kba && ra > rb)) return check_planeCnt_for_2planes(b, a, mol);
  const auto first = mol.plane_contacts.begin() + 1;
  const auto last = first + mol.num_plane_contacts;
  auto at = std::lower_bound(first, last, 0, [&](const planeCnt& c, int) {
    const long kc = kind_key(mol.planes[c.plane1], mol.planes[c.plane2]);
    if (kc != kab) return kc < kab;
    if (c.res1 != ra) return c.res1 < ra;
    return c.res2 < rb;
  });
  if (at == last || at->res1 != ra || at->res2 != rb ||
      kind_key(mol.planes[at->plane1], mol.planes[at->plane2]) != kab)
    return nullptr;
  return &*at;
}

namespace {
const planeCnt* residue_planes_contact(long i, long j, const struct_mol& mol) {
  const plane* pi = get_nt_scp_plane(i, mol);
  const plane* pj = get_nt_scp_plane(j, mol);
  if (pi == nullptr || pj == nullptr) return nullptr;
  return check_planeCnt_for_2planes(pi - mol.planes.data(), pj - mol.planes.data(), mol);
}
}  // namespace

long residuePlanes_in_pair(long i, long j, const struct_mol& mol) {
  const planeCnt* c = residue_planes_contact(i, j, mol);
  return c != nullptr && c->is_pair;
}

long residuePlanes_in_stack(long i, long j, const struct_mol& mol) {
  const planeCnt* c = residue_planes_contact(i, j, mol);
  return c != nullptr && c->is_stack;
}

long residuePlanes_in_tshape(long i, long j, const struct_mol& mol) {
  const planeCnt* c = residue_planes_contact(i, j, mol);
  return c != nullptr && c->is_tshape;
}

}  // namespace vask
