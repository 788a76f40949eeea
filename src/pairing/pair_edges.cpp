// Base pairs: the H-bonds of a pair, its edges, cis/trans orientation and
// simple parameters, and one pair described completely. See pair.hpp.
#include "pairing/pair.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "pairing/area.hpp"
#include "pairing/frame.hpp"
#include "pairing/hbond.hpp"
#include "pairing/pair.hpp"
#include "pairing/pair_common.hpp"
#include "pairing/plane.hpp"
#include "pairing/torsion.hpp"
#include "structure/residue_info.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/fitting.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

using namespace pair_detail;

// ---------------------------------------------------------------------------
// H-bonds of a pair

namespace {

// Functional groups of base atoms, looked up by "<base letter>.<atom name>".
constexpr std::array<const char*, 16> name2symbol = {
    "A.N6(amino)",    "C.O2(carbonyl)", "C.N4(amino)",    "G.N1(imino)",    "G.N2(amino)",    "G.O6(carbonyl)",
    "T.O2(carbonyl)", "T.N3(imino)",    "T.O4(carbonyl)", "U.O2(carbonyl)", "U.N3(imino)",    "U.O4(carbonyl)",
    "P.N1(imino)",    "P.O2(carbonyl)", "P.N3(imino)",    "P.O4(carbonyl)"};
static_assert(name2symbol.size() == 16, "functional groups of the base atoms");

constexpr size_t HBOND_TEXT_MAX = 1023;

}  // namespace

std::string atom_name_to_functional_group(char letter, const std::string& atom_name) {
  if (atom_name == " O2'") return "O2'(hydroxyl)";
  const std::string name = trimmed(atom_name);
  const std::string key = sformat("%c.%s", static_cast<char>(std::toupper(static_cast<unsigned char>(letter))),
                                  name.c_str());
  for (const char* row : name2symbol)
    if (std::strncmp(row, key.c_str(), key.size()) == 0) return row + 2;
  return name;
}

std::string derive_hbondStr(char letter1, char letter2, const struct_mol& mol, long nh,
                            const std::vector<bond>& hbonds) {
  const bool groups = Gvars.hbond_string && letter1 && letter2;
  std::string text;
  for (long k = 1; k <= nh; ++k) {
    const bond& b = hbonds[k];
    const std::string& n1 = mol.atoms[b.atom1].name;
    const std::string& n2 = mol.atoms[b.atom2].name;
    const std::string a1 = groups ? atom_name_to_functional_group(letter1, n1) : trimmed(n1);
    const std::string a2 = groups ? atom_name_to_functional_group(letter2, n2) : trimmed(n2);
    const char mid = b.type == 'x' ? '*' : (b.type == '?' ? '?' : '-');
    text += sformat("%s%c%s[%.2f],", a1.c_str(), mid, a2.c_str(), b.distance);
  }
  if (!text.empty()) text.pop_back();
  if (text.size() > HBOND_TEXT_MAX + 1) runlog_msg("H-bond string too long\n");
  if (text.size() > HBOND_TEXT_MAX) text.resize(HBOND_TEXT_MAX);
  return text;
}

void derive_pair_hbonds(long nh, const std::vector<bond>& hbonds, const struct_mol& mol, pair& p) {
  p.num_hbonds = nh;
  std::vector<long> atoms1, atoms2;
  const bool with_indices = (Gvars.idstr == 5 || Gvars.idstr == 6) && mol.num_json_hbonds > 0;
  for (long k = 1; k <= nh; ++k) {
    const bond& b = hbonds[k];
    const bool good_type = hb_good_type(b);
    const bool good_dist = hb_good_dist(b);
    const bool both_base = hb_both_base(b, mol);
    if (b.type == 'p') ++p.num_p_hbonds;
    if (good_type) ++p.num_polar_hbonds;
    if (b.type == 'x') ++p.num_x_hbonds;
    if (good_dist) ++p.num_good_hbonds;
    if (both_base) {
      ++p.num_base_hbonds;
      if (std::find(atoms1.begin(), atoms1.end(), b.atom1) == atoms1.end()) atoms1.push_back(b.atom1);
      if (std::find(atoms2.begin(), atoms2.end(), b.atom2) == atoms2.end()) atoms2.push_back(b.atom2);
      if (good_type) ++p.num_base_polar_hbonds;
    }
    if (hb_any_base(b, mol) && good_type && good_dist) ++p.num_perfect_hbonds;
    if (!with_indices) continue;
    const bool swapped = b.atom1 > b.atom2;
    bond key;
    key.atom1 = std::min(b.atom1, b.atom2);
    key.atom2 = std::max(b.atom1, b.atom2);
    auto first = mol.json_hbonds.begin() + 1;
    auto last = mol.json_hbonds.begin() + 1 + mol.num_json_hbonds;
    auto it = std::lower_bound(first, last, key, bond_compare);
    if (it == last || it->atom1 != key.atom1 || it->atom2 != key.atom2) continue;
    if (p.num_hbond_indices >= MAX_PAIR_HBONDS) {
      // more H-bonds than a pair record indexes: keep the first ones
      if (++mol.warned.pair_hbonds_capped <= 9)
        runlog_msg("[w] more than %ld H-bonds in one pair; the rest are not indexed\n", MAX_PAIR_HBONDS);
      continue;
    }
    p.hbond_indices[static_cast<size_t>(++p.num_hbond_indices)] = swapped ? -hb_json_index(*it) : hb_json_index(*it);
  }
  p.num_base_atoms = static_cast<long>(std::min(atoms1.size(), atoms2.size()));
}

// ---------------------------------------------------------------------------
// Edges, cis/trans and simple parameters

void locate_edge_by_base_sugar_atoms(std::array<long, 4>& counts, long pyrimidine, long n,
                                     const std::vector<xyz>& points) {
  counts = {0, 0, 0, 0};
  const double yW = pyrimidine ? 2.0 : 0.0;
  const double yHS = pyrimidine ? 0.0 : -2.0;
  for (long k = 1; k <= n; ++k) {
    const double x = points[k][1], y = points[k][2];
    if (y < yW && x >= -7.5 && x <= 5.0) ++counts[1];
    if (x > 0 && y > yHS) ++counts[2];
    if (x < -1.0 && y > yHS) ++counts[3];
  }
  const long least = std::lround(0.7618 * static_cast<double>(n));
  for (long e = 1; e <= 3; ++e)
    if (counts[static_cast<size_t>(e)] < least) counts[static_cast<size_t>(e)] = 0;
}

namespace {

// The other residue's base atoms (sugar atoms with sugar set) in frame f.
long residue_points_in_frame(long r, const struct_mol& mol, const frame& f, bool sugar, std::vector<xyz>& pts) {
  const residue& res = mol.residues[r];
  pts.assign(1, xyz{});
  for (long a = res.first_atom; a <= res.last_atom; ++a) {
    const atom& at = mol.atoms[a];
    if (at.hydrogen) continue;
    if (sugar ? !at.sugar : !at.base) continue;
    pts.push_back(at.xyz);
  }
  const long n = static_cast<long>(pts.size()) - 1;
  project_xyzNx3_by_frame(f, n, pts);
  return n;
}

// Edge (1 W, 2 H, 3 S; 0 none) that residue `self` (frame f) offers to `other`.
long base_edge(long self, long other, const struct_mol& mol, const frame& f) {
  std::vector<xyz> pts;
  std::array<long, 4> counts{};
  const long pyrimidine = !is_R(self, mol);
  long n = residue_points_in_frame(other, mol, f, false, pts);
  locate_edge_by_base_sugar_atoms(counts, pyrimidine, n, pts);
  if (counts[1] == 0 && counts[2] == 0 && counts[3] == 0) {
    n = residue_points_in_frame(other, mol, f, true, pts);
    locate_edge_by_base_sugar_atoms(counts, pyrimidine, n, pts);
  }
  long best = 0;
  for (long e = 1; e <= 3; ++e)
    if (counts[static_cast<size_t>(e)] > counts[static_cast<size_t>(best)]) best = e;
  if (best == 0) return 0;
  for (long e = 1; e <= 3; ++e)
    if (e != best && counts[static_cast<size_t>(e)] >= counts[static_cast<size_t>(best)]) return 0;
  return best;
}

char get_cis_trans(const pair& p, const struct_mol& mol) {
  const nt_info& a = mol.nt_infos[p.nt1];
  const nt_info& b = mol.nt_infos[p.nt2];
  if (a.C1p < 1 || a.glyco_n < 1 || b.C1p < 1 || b.glyco_n < 1) return '.';
  xyz c1, c2;
  if (ring_center(p.nt1, mol, c1) && ring_center(p.nt2, mol, c2)) {
    xyz g1, g2, r, n1, n2;
    diff_xyz(mol.atoms[a.glyco_n].xyz, mol.atoms[a.C1p].xyz, g1);
    diff_xyz(mol.atoms[b.glyco_n].xyz, mol.atoms[b.C1p].xyz, g2);
    diff_xyz(c1, c2, r);
    cross_xyz(g1, r, n1);
    cross_xyz(g2, r, n2);
    return dot_xyz(n1, n2) < 0 ? 't' : 'c';
  }
  if (p.CNNC_torsion == UNSET) return '.';
  const double t = std::fabs(p.CNNC_torsion);
  if (t < 45) return 'c';
  if (t >= 135 && t <= 180) return 't';
  return '.';
}

}  // namespace

void assign_three_base_edges(pair& p, const struct_mol& mol) {
  const frame* f1 = base_frame_of(p.nt1, mol);
  const frame* f2 = base_frame_of(p.nt2, mol);
  long e1 = 0, e2 = 0;
  if (f1 != nullptr && f2 != nullptr) {
    e1 = base_edge(p.nt1, p.nt2, mol, *f1);
    e2 = base_edge(p.nt2, p.nt1, mol, *f2);
  }
  p.cis_trans = get_cis_trans(p, mol);
  if (e1 == 0 && e2 == 0) {
    p.LW = "--";
    p.VASK = "--";
    return;
  }
  constexpr const char* lw = ".WHS";
  constexpr const char* own = ".WMm";
  const char sign = p.bp.size() > 1 ? p.bp[1] : '-';
  p.LW = {p.cis_trans, lw[e1], lw[e2]};
  p.VASK = {p.cis_trans, own[e1], sign, own[e2]};
}

namespace {

bool simple_ref_point(long r, const struct_mol& mol, xyz& out) {
  const nt_info& nt = mol.nt_infos[r];
  long a = -1;
  switch (Gvars.simple_pair) {
    case 0:
    case 1: a = nt.base3; break;
    case 2: a = nt.glyco_n; break;
    case 4: a = nt.C1p; break;
    case 8: return ring_center(r, mol, out);
    default: return false;
  }
  if (a < 1) return false;
  out = mol.atoms[a].xyz;
  return true;
}

}  // namespace

void derive_simple_pair_params(pair& p, const struct_mol& mol) {
  const frame* f1 = base_frame_of(p.nt1, mol);
  const frame* f2 = base_frame_of(p.nt2, mol);
  xyz p1, p2;
  if (f1 == nullptr || f2 == nullptr || !simple_ref_point(p.nt1, mol, p1) || !simple_ref_point(p.nt2, mol, p2))
    return;
  frame F;
  simple_frame(p.frame, p1, p2, F);
  xyz z1 = f1->z_axis, y1 = f1->y_axis, y2 = f2->y_axis, z2 = f2->z_axis;
  if (!p.plus_face) {
    negate_xyz(y2);
    negate_xyz(z2);
  }
  xyz d;
  diff_xyz(f2->org, f1->org, d);  // origin(i) - origin(j)
  double propeller = get_vector_angle(z2, z1, F.y_axis);
  double buckle = get_vector_angle(z2, z1, F.x_axis);
  const double norm = std::sqrt(buckle * buckle + propeller * propeller);
  if (norm > 1e-6 && p.interBase_angle != UNSET) {
    buckle *= p.interBase_angle / norm;
    propeller *= p.interBase_angle / norm;
  }
  p.bp_simpleParams[1] = dot_xyz(d, F.x_axis);
  p.bp_simpleParams[2] = dot_xyz(d, F.y_axis);
  p.bp_simpleParams[3] = dot_xyz(d, F.z_axis);
  p.bp_simpleParams[4] = buckle;
  p.bp_simpleParams[5] = propeller;
  p.bp_simpleParams[6] = get_vector_angle(y2, y1, F.z_axis);
}

void append_base_plane_points(long r, const struct_mol& mol, std::vector<xyz>& pts) {
  const residue& res = mol.residues[r];
  for (long a = res.first_atom; a <= res.last_atom; ++a)
    if (mol.atoms[a].base && !mol.atoms[a].hydrogen) pts.push_back(mol.atoms[a].xyz);
  const nt_info& nt = mol.nt_infos[r];
  if (nt.glyco_type == 1 && nt.C1p > 0) pts.push_back(mol.atoms[nt.C1p].xyz);
}

double get_planarity_2nts(long i, long j, const struct_mol& mol) {
  std::vector<xyz> pts(1);
  for (long r : {i, j}) append_base_plane_points(r, mol, pts);
  return get_planarity(static_cast<long>(pts.size()) - 1, pts);
}

// ---------------------------------------------------------------------------
// One pair described completely

void fillout_pair(long i, long j, long nh, const std::vector<bond>& hbonds, struct_mol& mol, pair& p) {
  init_one_pair(p);
  p.planarity = get_planarity_2nts(i, j, mol);
  if (Gvars.sasa) p.area = base2base_area(i, j, mol);
  p.intra_chain = with_same_model_chain(i, j, mol);
  p.nt1 = i;
  p.nt2 = j;
  derive_pair_hbonds(nh, hbonds, mol, p);

  const frame* f1 = base_frame_of(i, mol);
  const frame* f2 = base_frame_of(j, mol);
  if (f1 == nullptr || f2 == nullptr) {
    // a base without a frame has no geometry to classify: the record stays unnamed
    p.name = "--";
    p.LW = p.VASK = "--";
    return;
  }
  rotmat mid_rot{};
  xyz mid_org{};
  get_bp_pars_by_frames(*f1, *f2, p.bp_params, mid_rot, mid_org);
  p.plus_face = plus_frames(*f1, *f2);
  p.dWC = get_dWC(p.bp_params, p.plus_face);
  p.xdir = dot_xyz(f1->x_axis, f2->x_axis);
  fillout_frame_from_oR(mid_org, mid_rot, p.frame);  // axes, origin and quaternion
  get_dv_angle(*f1, *f2, p.dv, p.interBase_angle);
  p.dm = get_vdist_min_by_frame(*f1, *f2);
  p.rsum = p.dv / Gvars.pair_vd + p.interBase_angle / Gvars.pair_angle;

  const residue& ri = mol.residues[i];
  const residue& rj = mol.residues[j];
  p.bp = {ri.letter, p.plus_face ? '+' : '-', rj.letter};
  p.bp_upper = upper_copy(p.bp);
  p.hbond_text = derive_hbondStr(p.bp[0], p.bp[2], mol, nh, hbonds);
  p.hbond_types = sformat("%ld%ld%ld%ld", p.num_hbonds, p.num_good_hbonds, p.num_polar_hbonds, p.num_base_hbonds);

  const nt_info& a = mol.nt_infos[i];
  const nt_info& b = mol.nt_infos[j];
  if (a.base3 > 0 && b.base3 > 0) p.C6C8_dist = dist_atoms(a.base3, b.base3, mol);
  if (a.C1p > 0 && b.C1p > 0) p.C1C1_dist = dist_atoms(a.C1p, b.C1p, mol);
  if (a.glyco_n > 0 && b.glyco_n > 0) p.N1N9_dist = dist_atoms(a.glyco_n, b.glyco_n, mol);
  if (a.C1p > 0 && b.C1p > 0) {
    xyz u, v;
    if (a.glyco_n > 0) {
      diff_xyz(mol.atoms[a.C1p].xyz, mol.atoms[a.glyco_n].xyz, u);
      diff_xyz(mol.atoms[a.C1p].xyz, mol.atoms[b.C1p].xyz, v);
      p.lambda1 = angle_xyz(u, v);
    }
    if (b.glyco_n > 0) {
      diff_xyz(mol.atoms[b.C1p].xyz, mol.atoms[a.C1p].xyz, u);
      diff_xyz(mol.atoms[b.C1p].xyz, mol.atoms[b.glyco_n].xyz, v);
      p.lambda2 = angle_xyz(u, v);
    }
  }
  p.CNNC_torsion = atoms_torsion(a.C1p, a.glyco_n, b.glyco_n, b.C1p, mol);

  derive_simple_pair_params(p, mol);
  assign_three_base_edges(p, mol);

  std::vector<bond> base_hbonds(1);
  for (long k = 1; k <= nh; ++k)
    if (hb_both_base(hbonds[k], mol)) base_hbonds.push_back(hbonds[k]);
  const long linked = nts_linked(i, j, mol);
  classify_pair(p, base_hbonds, linked, linked ? 0 : bases_share_metal(i, j, mol), &mol);
  if (p.G4_pair) {
    mol.residues[i].flag[rf::g4_pair_mark] = 1;
    mol.residues[j].flag[rf::g4_pair_mark] = 1;
  }
}

void populate_one_base_pair(long i, long j, struct_mol& mol, pair& p) {
  VASK_ASSERT(good_residue(i, mol) && good_residue(j, mol));
  std::vector<bond> hbonds = allocate_hbond_scratch();
  const long nh = collect_pair_hbonds(i, j, mol, hbonds);
  fillout_pair(i, j, nh, hbonds, mol, p);
}

}  // namespace vask
