// H-bond roles, candidates and selection: see hbond.hpp.
#include "pairing/hbond.hpp"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <string>
#include <utility>

#include "pairing/frame.hpp"
#include "pairing/pair.hpp"
#include "pairing/plane.hpp"
#include "structure/atom.hpp"
#include "structure/bond.hpp"
#include "structure/residue.hpp"
#include "support/error.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

// Distances in Angstrom, angles in degrees; fixed by the selection rules.
constexpr double GOOD_D_LOW = 2.6, GOOD_D_LOW_TYPED = 2.5, GOOD_D_HIGH = 3.3;
constexpr double MODERATE_D_HIGH = 3.5;
constexpr double ACCEPT_VDW_EXTRA = 0.168;   // g window beyond the vdW sum
constexpr double SELF_P_VDW_EXTRA = 0.2;     // type-p window within one residue
constexpr double ROOT_ANGLE_BASE = 40.0;     // two base atoms with roots this parallel
constexpr double BONUS_ANGLE1N = 10.0;
constexpr double CONFLICT_PARTNER_DIST = 4.6;
constexpr double UNSTACKED_VD_EXTRA = 0.16;
constexpr double UNSTACKED_H_MIN = 1.96889, UNSTACKED_V_MAX = 2.56;
constexpr double COPLANAR_DV_SLACK = 0.6;
constexpr double LAST_DV = 0.8, LAST_ANGLE = 36.0, LAST_D_LOW = 2.6, LAST_D_HIGH = 3.8;
constexpr double SMALL_ANGLE_POLAR = 66.0;
constexpr double HBOND2HBOND_GAP = 0.5;
constexpr double VERT_H_GOOD = 0.4;          // horizontal allowance of a good type
constexpr double VERT_E_REF = 3.0;
constexpr double VERT_UNKNOWN_FACTOR = 0.9;
constexpr double VERT_BONUS_LINKED = 0.15, VERT_BONUS_NTAA = 0.46, VERT_BONUS_OTHER = 0.369;
constexpr double NONPLANAR_TYPED_D = 3.68;

struct role_entry {
  const char* name;
  long role;
};

// Nucleotide backbone and sugar roles (O2' is added for RNA only).
constexpr role_entry NT_BACKBONE_ROLES[] = {
    {" P  ", HB_NEVER},   {" OP1", HB_ACCEPTOR}, {" OP2", HB_ACCEPTOR}, {" O5'", HB_ACCEPTOR},
    {" O4'", HB_ACCEPTOR}, {" O3'", HB_ACCEPTOR}, {" C5'", HB_DONOR},   {" C4'", HB_DONOR},
    {" C3'", HB_DONOR},   {" C2'", HB_DONOR},   {" C1'", HB_DONOR}};

struct base_roles {
  const char* std_names[2];
  role_entry atoms[11];
  int n;
};

// Base atom roles by standard base.
constexpr base_roles NT_BASE_ROLES[] = {
    {{"__A", nullptr},
     {{" N9 ", 16}, {" C8 ", 1}, {" N7 ", 2}, {" C5 ", 16}, {" C6 ", 16}, {" N6 ", 1},
      {" N1 ", 2}, {" C2 ", 1}, {" N3 ", 2}, {" C4 ", 16}},
     10},
    {{"__G", "__I"},
     {{" N9 ", 16}, {" C8 ", 1}, {" N7 ", 2}, {" C5 ", 16}, {" C6 ", 16}, {" O6 ", 2},
      {" N1 ", 1}, {" C2 ", 16}, {" N2 ", 1}, {" N3 ", 2}, {" C4 ", 16}},
     11},
    {{"__C", nullptr},
     {{" N1 ", 16}, {" C2 ", 16}, {" O2 ", 2}, {" N3 ", 2}, {" C4 ", 16}, {" N4 ", 1},
      {" C5 ", 1}, {" C6 ", 1}},
     8},
    {{"__T", nullptr},
     {{" N1 ", 16}, {" C2 ", 16}, {" O2 ", 2}, {" N3 ", 1}, {" C4 ", 16}, {" O4 ", 2},
      {" C5 ", 16}, {" C7 ", 1}, {" C6 ", 1}},
     9},
    {{"__U", nullptr},
     {{" N1 ", 16}, {" C2 ", 16}, {" O2 ", 2}, {" N3 ", 1}, {" C4 ", 16}, {" O4 ", 2},
      {" C5 ", 1}, {" C6 ", 1}},
     8},
    {{"__P", nullptr},
     {{" N1 ", 1}, {" C2 ", 16}, {" O2 ", 2}, {" N3 ", 1}, {" C4 ", 16}, {" O4 ", 2},
      {" C5 ", 16}, {" C6 ", 1}},
     8},
};

// Amino-acid side-chain roles by upper-cased residue name.
struct aa_roles {
  const char* name;
  role_entry atoms[3];
  int n;
};
constexpr aa_roles AA_SIDECHAIN_ROLES[] = {
    {"SER", {{" OG ", 4}}, 1},
    {"THR", {{" OG1", 4}}, 1},
    {"TYR", {{" OH ", 4}}, 1},
    {"CYS", {{" SG ", 4}}, 1},
    {"MET", {{" SD ", 2}}, 1},
    {"TRP", {{" NE1", 1}}, 1},
    {"ASP", {{" OD1", 2}, {" OD2", 2}}, 2},
    {"GLU", {{" OE1", 2}, {" OE2", 2}}, 2},
    {"ASN", {{" OD1", 2}, {" ND2", 1}}, 2},
    {"GLN", {{" OE1", 2}, {" NE2", 1}}, 2},
    {"LYS", {{" NZ ", 1}}, 1},
    {"ARG", {{" NE ", 1}, {" NH1", 1}, {" NH2", 1}}, 3},
    {"HIS", {{" NE2", 1}, {" ND1", 4}}, 2},
};

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

void set_role(const char* name, long k, struct_mol& mol, long role) {
  long a = find_atom_in_residue(name, k, mol);
  if (a != -1) mol.atoms[a].hbond_role = role;
}

double vdw_window(long a, long b, const struct_mol& mol) { return sum_vdw_radii_with_delta(a, b, mol); }

bool in_range(double d, double lo, double hi) { return d >= lo && d <= hi; }

bool good_distance(const bond& b) {
  return in_range(b.distance, GOOD_D_LOW, GOOD_D_HIGH) ||
         (good_hbond_type(b.type) && in_range(b.distance, GOOD_D_LOW_TYPED, GOOD_D_HIGH));
}

bool good_typed_short(const bond& b) {
  return good_hbond_type(b.type) && in_range(b.distance, GOOD_D_LOW_TYPED, GOOD_D_HIGH);
}

// The single heavy covalent neighbour of an atom, or 0.
long root_atom(long a, const struct_mol& mol) {
  if (mol.atoms[a].heavy_neighbour > 0) return mol.atoms[a].heavy_neighbour;
  const connect& set = mol.atoms[a].bonded;
  long root = 0, heavy = 0;
  for (long m = 1; m <= set.count; ++m) {
    if (mol.atoms[set.members[m]].hydrogen) continue;
    ++heavy;
    root = set.members[m];
  }
  return heavy == 1 ? root : 0;
}

bool share_covalent_neighbour(long a, long b, const struct_mol& mol) {
  const connect& sa = mol.atoms[a].bonded;
  const connect& sb = mol.atoms[b].bonded;
  for (long m = 1; m <= sa.count; ++m)
    if (sb.has(sa.members[m])) return true;
  return false;
}

bool residues_linked(long i, long j, const struct_mol& mol) {
  return residues_in_linkage(i, j, mol) || residues_in_linkage(j, i, mol);
}

double atoms_angle(long a, long vertex, long b, const struct_mol& mol) {
  xyz u, v;
  diff_xyz(mol.atoms[vertex].xyz, mol.atoms[a].xyz, u);
  diff_xyz(mol.atoms[vertex].xyz, mol.atoms[b].xyz, v);
  return angle_xyz(u, v);
}

// The plane normal of an atom pair: mean normal of two planar groups, or the
// normal of the one planar group; false when neither atom is planar.
bool hbond_plane_normal(long a, long b, const struct_mol& mol, xyz& z) {
  const frame* fa = planar_atom_frame(a, mol);
  const frame* fb = planar_atom_frame(b, mol);
  if (fa != nullptr && fb != nullptr)
    get_ave_z_axis(fa->z_axis, fb->z_axis, z);
  else if (fa != nullptr)
    z = fa->z_axis;
  else if (fb != nullptr)
    z = fb->z_axis;
  else
    return false;
  return true;
}

// Vertical and horizontal distances of an atom pair relative to its plane normal.
bool hbond_vh(const bond& rec, const struct_mol& mol, double& v, double& h) {
  xyz z, d;
  if (!hbond_plane_normal(rec.atom1, rec.atom2, mol, z)) return false;
  diff_xyz(mol.atoms[rec.atom2].xyz, mol.atoms[rec.atom1].xyz, d);
  v = std::fabs(dot_xyz(d, z));
  h = orth_xyz_length(d, z);
  return true;
}

bool any_accepted(long n, const std::vector<bond>& r) {
  for (long k = 1; k <= n; ++k)
    if (r[k].status != -1) return true;
  return false;
}

// Two different unlinked nucleotides whose outer base polygons do not
// overlap; the overlap is projected at most once per residue pair.
struct unstacked_test {
  long i, j;
  const struct_mol& mol;
  int known = -1;  // -1 not yet decided
  bool operator()() {
    if (known == -1)
      known = i != j && both_nts(i, j, mol) && !residues_linked(i, j, mol) &&
              !(get_outer_overlap_area_byResNum(i, j, mol) > 0);
    return known == 1;
  }
};

void rerun_geometric_rules(long i, long j, const struct_mol& mol, long n, std::vector<bond>& r) {
  eliminate_hbond_vertical(i, j, mol, n, r);
  eliminate_hbond_by_small_bond_angle(mol, n, r);
  eliminate_hbond2hbond_small_angle(mol, n, r);
}

// Step 7 of the per-pair rules: unstacked nucleotides keep well-placed polar bonds.
void rescue_unstacked(unstacked_test& unstacked, const struct_mol& mol, long n, std::vector<bond>& r) {
  for (long k = 1; k <= n; ++k)
    if (r[k].status != -1 && r[k].distance <= Gvars.hbond_good) return;
  if (!unstacked()) return;
  for (long k = 1; k <= n; ++k) {
    bond& b = r[k];
    if (b.distance > Gvars.hbond_good || !good_hbond_type(b.type) || !b.both_polar) continue;
    double v = 0, h = 0;
    if (!hbond_vh(b, mol, v, h)) {
      b.status = 4;
    } else if (h <= Gvars.horizontal_hdist) {
      continue;
    } else if (v < Gvars.hbond_vd + UNSTACKED_VD_EXTRA) {
      b.status = 4;
    } else if (good_distance(b) && h > UNSTACKED_H_MIN && v < UNSTACKED_V_MAX) {
      b.status = 4;
    }
  }
}

// Steps 8 and 9: covalent geometry around the two atoms.
void eliminate_by_roots(const struct_mol& mol, long n, std::vector<bond>& r) {
  for (long k = 1; k <= n; ++k) {
    bond& b = r[k];
    if (b.status == -1) continue;
    if (share_covalent_neighbour(b.atom1, b.atom2, mol)) {
      b.status = -1;
      continue;
    }
    const frame* f1 = planar_atom_frame(b.atom1, mol);
    if (f1 != nullptr && f1 == planar_atom_frame(b.atom2, mol)) {
      b.status = -1;
      continue;
    }
    long r1 = root_atom(b.atom1, mol), r2 = root_atom(b.atom2, mol);
    if (r1 == 0 || r2 == 0) continue;
    xyz u, v;
    diff_xyz(mol.atoms[b.atom1].xyz, mol.atoms[r1].xyz, u);
    diff_xyz(mol.atoms[b.atom2].xyz, mol.atoms[r2].xyz, v);
    double angle = angle_xyz(u, v);
    if (angle <= Gvars.angle11_cutoff || (b.both_base && angle <= ROOT_ANGLE_BASE)) b.status = -1;
  }
  for (long k = 1; k <= n; ++k) {
    bond& b = r[k];
    if (b.status == -1) continue;
    long r1 = root_atom(b.atom1, mol), r2 = root_atom(b.atom2, mol);
    if ((r1 == 0) == (r2 == 0)) continue;
    double theta = r1 != 0 ? atoms_angle(r1, b.atom1, b.atom2, mol) : atoms_angle(r2, b.atom2, b.atom1, mol);
    bool planar = planar_atom_frame(b.atom1, mol) != nullptr || planar_atom_frame(b.atom2, mol) != nullptr;
    double bonus = ((b.status == 1 && planar && good_typed_short(b)) || (b.with_O2prime && good_typed_short(b)))
                       ? BONUS_ANGLE1N
                       : 0.0;
    if (theta + bonus <= Gvars.angle1n_cutoff) b.status = -1;
  }
}

// Step 11's conflict rule: a status-2 bond whose atoms' best partners sit close together.
void eliminate_conflicts(const struct_mol& mol, long n, std::vector<bond>& r) {
  auto best_partner = [&](long a) -> long {
    for (long k = 1; k <= n; ++k) {
      if (r[k].status != 1) continue;
      if (r[k].atom1 == a) return r[k].atom2;
      if (r[k].atom2 == a) return r[k].atom1;
    }
    return 0;
  };
  for (long k = 1; k <= n; ++k) {
    bond& b = r[k];
    if (b.status != 2) continue;
    long p1 = best_partner(b.atom1), p2 = best_partner(b.atom2);
    if (p1 == 0 || p2 == 0) continue;
    if (dist_atoms(p1, p2, mol) < CONFLICT_PARTNER_DIST && !good_typed_short(b)) b.status = -1;
  }
}

// Steps 12 and 13: coplanar bases without a base-base bond.
void rescue_coplanar(unstacked_test& unstacked, const struct_mol& mol, long n, std::vector<bond>& r) {
  const long i = unstacked.i, j = unstacked.j;
  const frame* fi = base_frame(i, mol);
  const frame* fj = base_frame(j, mol);
  if (i == j || fi == nullptr || fj == nullptr || !unstacked()) return;
  double dv = 0, angle = 0;
  get_dv_angle(*fi, *fj, dv, angle);
  bool base_bond = false;
  for (long k = 1; k <= n; ++k)
    if (r[k].status != -1 && r[k].both_base && good_hbond_type(r[k].type)) base_bond = true;
  if (!base_bond && dv - COPLANAR_DV_SLACK <= std::min(Gvars.bpx_dv, Gvars.pair_vd) &&
      angle <= std::min(Gvars.bpx_angle, Gvars.pair_angle)) {
    for (long k = 1; k <= n; ++k)
      if (r[k].status == -1 && good_hbond_type(r[k].type) && r[k].both_base) r[k].status = 4;
    rerun_geometric_rules(i, j, mol, n, r);
  }
  if (n < 2 || any_accepted(n, r) || !(dv < LAST_DV && angle <= LAST_ANGLE)) return;
  double m = DBL_MAX;
  for (long k = 1; k <= n; ++k)
    if (r[k].both_base) m = std::min(m, r[k].distance);
  if (!in_range(m, LAST_D_LOW, LAST_D_HIGH)) return;
  for (long k = 1; k <= n; ++k)
    if (r[k].both_base && in_range(r[k].distance, LAST_D_LOW, LAST_D_HIGH)) r[k].status = 8;
  rerun_geometric_rules(i, j, mol, n, r);
}

// The H-bond-to-H-bond rule on records k < l sharing an atom.
void settle_shared_atom(const struct_mol& mol, bond& bk, bond& bl) {
  long shared = 0, ok = 0, ol = 0;
  if (bk.atom1 == bl.atom1 || bk.atom1 == bl.atom2) {
    shared = bk.atom1;
    ok = bk.atom2;
  } else if (bk.atom2 == bl.atom1 || bk.atom2 == bl.atom2) {
    shared = bk.atom2;
    ok = bk.atom1;
  } else {
    return;
  }
  ol = bl.atom1 == shared ? bl.atom2 : bl.atom1;
  if (atoms_angle(ok, shared, ol, mol) > Gvars.hbond2hbond_angle) return;
  const double dk = bk.distance, dl = bl.distance, G = Gvars.hbond_good;
  auto kept_good = [&](const bond& b) { return in_range(b.distance, GOOD_D_LOW, G) && good_hbond_type(b.type); };
  if (dk > dl && !kept_good(bk)) bk.status = -1;
  if (dl > dk && !kept_good(bl)) bl.status = -1;
  if (good_distance(bk) && good_distance(bl)) {
    if (bk.type == 'x' && bl.type != 'x') bk.status = -1;
    if (bl.type == 'x' && bk.type != 'x') bl.status = -1;
  }
  if (bk.status != -1 && bl.status != -1 && kept_good(bk) && kept_good(bl)) {
    if (dk > dl + HBOND2HBOND_GAP) bk.status = -1;
    if (dl > dk + HBOND2HBOND_GAP) bl.status = -1;
  }
}

bool listed_hbond(const bond& b, const struct_mol& mol, const switch_set& h) {
  if (h[5]) return true;
  long r1 = mol.atoms[b.atom1].residue, r2 = mol.atoms[b.atom2].residue;
  bool w1 = is_water(r1, mol), w2 = is_water(r2, mol);
  if (w1 && w2) return false;
  if (w1 || w2) return !h[0] && (h[4] || Gvars.waters != 0);
  if (h[0]) return true;
  return (h[1] && both_nts(r1, r2, mol)) || (h[2] && both_aas(r1, r2, mol)) || (h[3] && nt_with_aa(r1, r2, mol));
}

long hbonds_ij_with_flag(long i, long j, const struct_mol& mol, std::vector<bond>& records, long bond::*flag) {
  long n = get_hbonds_ij(i, j, mol, records);
  for (long k = 1; k <= n; ++k)
    if (records[k].*flag) return 1;
  return 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Atom roles

void populate_atom_hbond_property(struct_mol& mol) {
  for (long a = 1; a <= mol.num_atoms; ++a) mol.atoms[a].hbond_role = HB_UNSET;
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (is_nt(k, mol)) {
      mark_nt_hbond_property(k, mol);
    } else if (is_aa(k, mol)) {
      mark_aa_hbond_property(k, mol);
    } else if (is_water(k, mol)) {
      const residue& r = mol.residues[k];
      for (long a = r.first_atom; a <= r.last_atom; ++a)
        if (mol.atoms[a].oxygen) mol.atoms[a].hbond_role = HB_EITHER;
    }
  }
}

void mark_nt_hbond_property(long k, struct_mol& mol) {
  // about twenty names are looked up in the one residue
  const residue_atom_names names(k, mol);
  auto set = [&](const char* name, long role) {
    const long a = names.find(name);
    if (a != -1) mol.atoms[a].hbond_role = role;
  };
  for (const auto& e : NT_BACKBONE_ROLES) set(e.name, e.role);
  if (is_RNA_nt(k, mol)) set(" O2'", HB_EITHER);
  const std::string std_name = upper(mol.residues[k].std_name);
  for (const auto& b : NT_BASE_ROLES) {
    if (std_name != b.std_names[0] && (b.std_names[1] == nullptr || std_name != b.std_names[1])) continue;
    for (int m = 0; m < b.n; ++m) set(b.atoms[m].name, b.atoms[m].role);
  }
  if (k < static_cast<long>(mol.nt_infos.size()) && mol.nt_infos[k].glyco_type == 3)
    set(is_R(k, mol) ? " N9 " : " N1 ", HB_UNKNOWN);
}

void mark_aa_hbond_property(long k, struct_mol& mol) {
  set_role(" N  ", k, mol, HB_DONOR);
  set_role(" O  ", k, mol, HB_ACCEPTOR);
  set_role(" CA ", k, mol, HB_DONOR);
  const std::string name = upper(mol.residues[k].name);
  for (const auto& aa : AA_SIDECHAIN_ROLES) {
    if (name != aa.name) continue;
    for (int m = 0; m < aa.n; ++m) set_role(aa.atoms[m].name, k, mol, aa.atoms[m].role);
  }
}

void set_atom_hbond_property(const char* name, long k, struct_mol& mol) { set_role(name, k, mol, HB_DONOR); }

char get_hbond_type_per_atoms(long a, long b, const struct_mol& mol) {
  const long pa = mol.atoms[a].hbond_role, pb = mol.atoms[b].hbond_role, s = pa + pb;
  if (s == 3) return 'p';
  if (s == 5 || s == 6 || s == 8) return 'o';
  if (s == 2 || s == 4 || pa == HB_NEVER || pb == HB_NEVER) return 'x';
  if (s == 12) return 'o';
  return '?';
}

bool good_hbond_type(char type) { return type == 'o' || type == 'p'; }

bool is_allowed_hbond_atom(long a, const struct_mol& mol) {
  const atom& at = mol.atoms[a];
  if (at.hydrogen || at.hbond_role == HB_NEVER) return 0;
  if (at.n_or_o) return 1;
  if (Gvars.ch_bond == 1) return at.c_n_or_o != 0;
  if (Gvars.ch_bond == 9) return at.c_n_o_s_or_halogen != 0;
  return 0;
}

long get_possible_hbond_atom_pair(long i, long j, const struct_mol& mol, std::vector<bond>& records,
                                  double cutoff) {
  const residue& ri = mol.residues[i];
  const residue& rj = mol.residues[j];
  const bool with_water = is_water(i, mol) || is_water(j, mol);
  long n = 0;
  // The allowed atoms of residue j, found once rather than per atom of i.
  thread_local std::vector<long> allowed_j;
  allowed_j.clear();
  for (long b = rj.first_atom; b <= rj.last_atom; ++b)
    if (is_allowed_hbond_atom(b, mol)) allowed_j.push_back(b);
  for (long a = ri.first_atom; a <= ri.last_atom; ++a) {
    if (!is_allowed_hbond_atom(a, mol)) continue;
    const atom& A = mol.atoms[a];
    // Within one residue a later atom already met every earlier one.
    for (long b : allowed_j) {
      if (i == j && b <= a) continue;
      const atom& B = mol.atoms[b];
      // the distance rejects most pairs: it goes before the bonded-set scan
      if (!dx_dy_dz_all_less(A.xyz, B.xyz, cutoff)) continue;
      const double d = dist_xyz(A.xyz, B.xyz);
      if (d < Gvars.hbond_d1 || d > cutoff || A.bonded.has(b)) continue;
      const long polar = (A.n_or_o != 0) + (B.n_or_o != 0);
      if (polar == 0) continue;
      if (polar == 1 && (Gvars.ch_bond == 0 || d > vdw_window(a, b, mol))) continue;
      if (n == HBOND_SCRATCH) {
        runlog_msg("[w]: %s vs %s, over *%d*\n", ri.idstr.c_str(), rj.idstr.c_str(), static_cast<int>(HBOND_SCRATCH));
        return n;
      }
      // the scratch grows on demand: most residue pairs have a few candidates
      if (static_cast<long>(records.size()) <= n + 1) records.resize(static_cast<size_t>(n) + 2);
      bond& rec = records[++n];
      rec = bond{};
      rec.atom1 = a;
      rec.atom2 = b;
      rec.distance = d;
      rec.type = get_hbond_type_per_atoms(a, b, mol);
      rec.both_base = is_baseatom(a, mol) && is_baseatom(b, mol);
      rec.any_base = is_baseatom(a, mol) || is_baseatom(b, mol);
      rec.with_water = with_water;
      rec.with_O2prime = A.o2prime || B.o2prime;
      rec.O2prime_base = rec.with_O2prime && rec.any_base;
      rec.O2prime_pair = A.o2prime && B.o2prime;
      rec.both_polar = polar == 2;
    }
  }
  return n;
}

// ---------------------------------------------------------------------------
// Selection rules

void check_for_best_hbonds_quick(long n, std::vector<bond>& records) {
  auto nearest = [&](long a) -> long {
    long partner = 0;
    double best = DBL_MAX;
    for (long k = 1; k <= n; ++k) {
      const bond& b = records[k];
      if (b.atom1 != a && b.atom2 != a) continue;
      if (b.distance < best) {
        best = b.distance;
        partner = b.atom1 == a ? b.atom2 : b.atom1;
      }
    }
    return partner;
  };
  for (long k = 1; k <= n; ++k) {
    bond& b = records[k];
    if (nearest(b.atom1) == b.atom2 && nearest(b.atom2) == b.atom1) b.status = 1;
  }
}

void eliminate_hbond_vertical(long i, long j, const struct_mol& mol, long n, std::vector<bond>& records) {
  const bool linked = (both_nts(i, j, mol) || both_aas(i, j, mol)) && residues_linked(i, j, mol);
  const double vd = Gvars.hbond_vd;
  for (long k = 1; k <= n; ++k) {
    bond& b = records[k];
    if (b.status == -1) continue;
    const bool good_type = good_hbond_type(b.type), good_dist = good_distance(b);
    double v = 0, h = 0;
    if (!hbond_vh(b, mol, v, h)) {
      if (!((b.distance < NONPLANAR_TYPED_D && good_type) || b.distance <= Gvars.nonplanar_hdist)) b.status = -1;
      continue;
    }
    b.dvert = v;
    double hh = h;
    if (good_type) hh += VERT_H_GOOD + (b.status == 1 && good_dist ? VERT_H_GOOD : 0.0);
    if (hh < Gvars.horizontal_hdist) {
      b.status = -1;
      continue;
    }
    const double e = std::fabs(VERT_E_REF - b.distance);
    if (b.type == 'x') {
      if (v > vd - e) b.status = -1;
    } else if (b.type == '?') {
      if (v > VERT_UNKNOWN_FACTOR * vd) b.status = -1;
    } else {
      const double red = good_dist ? 0.0 : b.both_polar ? 0.5 * e : e;
      const double bonus = linked                                                    ? VERT_BONUS_LINKED
                           : good_dist && b.both_polar && nt_with_aa(i, j, mol) ? VERT_BONUS_NTAA
                                                                                      : VERT_BONUS_OTHER;
      if (v > std::max(vd, bonus + vd - red)) b.status = -1;
    }
    if (b.status != -1 && !good_dist && v > vd) b.status = -1;
  }
}

void eliminate_hbond_by_small_bond_angle(const struct_mol& mol, long n, std::vector<bond>& records) {
  auto smallest_angle = [&](long at, long partner) {
    double smallest = DBL_MAX;
    const connect& set = mol.atoms[at].bonded;
    for (long m = 1; m <= set.count; ++m) {
      long c = set.members[m];
      if (mol.atoms[c].hydrogen) continue;
      smallest = std::min(smallest, atoms_angle(c, at, partner, mol));
    }
    return smallest;
  };
  for (long k = 1; k <= n; ++k) {
    bond& b = records[k];
    if (b.status == -1) continue;
    double limit = Gvars.hbond_angle;
    if (b.both_polar && mol.atoms[b.atom1].residue != mol.atoms[b.atom2].residue && good_distance(b))
      limit = std::min(SMALL_ANGLE_POLAR, limit);
    if (smallest_angle(b.atom1, b.atom2) < limit || smallest_angle(b.atom2, b.atom1) < limit) b.status = -1;
  }
}

void eliminate_hbond2hbond_small_angle(const struct_mol& mol, long n, std::vector<bond>& records) {
  // Records by atom, so that only records sharing an atom are compared.
  std::vector<std::pair<long, long>> by_atom;  // (atom, record)
  by_atom.reserve(2 * n);
  for (long k = 1; k <= n; ++k) {
    by_atom.emplace_back(records[k].atom1, k);
    by_atom.emplace_back(records[k].atom2, k);
  }
  std::sort(by_atom.begin(), by_atom.end());
  std::vector<long> others;
  for (long k = 1; k <= n; ++k) {
    if (records[k].status == -1 || records[k].with_water) continue;
    others.clear();
    for (long atom_k : {records[k].atom1, records[k].atom2}) {
      auto lo = std::lower_bound(by_atom.begin(), by_atom.end(), std::make_pair(atom_k, k + 1));
      for (auto it = lo; it != by_atom.end() && it->first == atom_k; ++it) others.push_back(it->second);
    }
    std::sort(others.begin(), others.end());
    others.erase(std::unique(others.begin(), others.end()), others.end());
    for (long l : others) {
      if (records[l].status == -1 || records[l].with_water) continue;
      settle_shared_atom(mol, records[k], records[l]);
    }
  }
}

long collect_hbonds(long i, long j, const struct_mol& mol, std::vector<bond>& r, double cutoff) {
  if (!residue_to_include(mol.parts, i, mol) || !residue_to_include(mol.parts, j, mol)) return 0;
  const long n = get_possible_hbond_atom_pair(i, j, mol, r, cutoff);
  if (n == 0) return 0;
  check_for_best_hbonds_quick(n, r);
  for (long k = 1; k <= n; ++k) {
    bond& b = r[k];
    const double vdw = vdw_window(b.atom1, b.atom2, mol);
    const bool g = in_range(b.distance, Gvars.hbond_d1, vdw + ACCEPT_VDW_EXTRA);
    const bool h = in_range(b.distance, Gvars.hbond_d1, vdw);
    if (b.status == 1) {
      if (b.type == 'x' && !g) b.status = -1;
    } else if ((b.type == 'p' && g) || (g && b.any_base && good_hbond_type(b.type)) || (b.type != 'x' && h)) {
      b.status = 2;
    }
  }
  eliminate_hbond_vertical(i, j, mol, n, r);
  if (i == j) {
    for (long k = 1; k <= n; ++k) {
      bond& b = r[k];
      if (b.status == -1) continue;
      const double vdw = vdw_window(b.atom1, b.atom2, mol);
      if (b.type == 'x' || !in_range(b.distance, Gvars.hbond_d1, vdw)) {
        b.status = -1;
        continue;
      }
      if (b.type == 'p' && in_range(b.distance, Gvars.hbond_d1, vdw + SELF_P_VDW_EXTRA)) b.status = 1;
    }
  }
  unstacked_test unstacked{i, j, mol};
  if (i != j) rescue_unstacked(unstacked, mol, n, r);
  eliminate_by_roots(mol, n, r);
  if (i == j && is_nt(i, mol))
    for (long k = 1; k <= n; ++k)
      if (r[k].status != -1 && mol.atoms[r[k].atom1].sugar && mol.atoms[r[k].atom2].sugar) r[k].status = -1;
  eliminate_hbond_by_small_bond_angle(mol, n, r);
  eliminate_hbond2hbond_small_angle(mol, n, r);
  eliminate_conflicts(mol, n, r);
  rescue_coplanar(unstacked, mol, n, r);
  long m = 0;
  for (long k = 1; k <= n; ++k) {
    if (r[k].status == -1) continue;
    if (m + 1 != k) r[m + 1] = r[k];
    bond& b = r[++m];
    b.good_type = good_hbond_type(b.type);
    b.good_dist = in_range(b.distance, Gvars.hbond_d1, vdw_window(b.atom1, b.atom2, mol)) ||
                  (b.both_polar && good_distance(b));
    b.base_good = b.both_base && b.good_type;
  }
  return m;
}

long get_hbonds_ij(long i, long j, const struct_mol& mol, std::vector<bond>& records) {
  if (i != j && !mol.residues[i].contacts.has(j)) return 0;
  const double cutoff = is_water(i, mol) || is_water(j, mol) ? Gvars.hbond_good : Gvars.hbond_dist;
  return collect_hbonds(i, j, mol, records, cutoff);
}

void get_hbonds_per_pdb(struct_mol& mol) {
  std::vector<bond> scratch = allocate_hbond_scratch();
  std::vector<bond> list(1);
  std::vector<long> partners;
  for (long i = 1; i <= mol.num_residues; ++i) {
    const connect& contacts = mol.residues[i].contacts;
    partners.assign(1, i);
    for (long m = 1; m <= contacts.count; ++m)
      if (contacts.members[m] > i) partners.push_back(contacts.members[m]);
    std::sort(partners.begin() + 1, partners.end());
    for (long j : partners) {
      const double cutoff = is_water(i, mol) || is_water(j, mol) ? Gvars.hbond_good : Gvars.hbond_dist;
      const long n = collect_hbonds(i, j, mol, scratch, cutoff);
      for (long k = 1; k <= n; ++k) list.push_back(scratch[k]);
    }
  }
  long n = static_cast<long>(list.size()) - 1;
  eliminate_hbond2hbond_small_angle(mol, n, list);
  long removed = 0;
  mol.hbonds = allocate_bonds_array(0);
  for (long k = 1; k <= n; ++k) {
    if (list[k].status == -1)
      ++removed;
    else
      mol.hbonds.push_back(list[k]);
  }
  if (removed > 0) prglog_msg("[i] overall, removed %ld H-bonds via angle\n", removed);
  mol.num_hbonds = static_cast<long>(mol.hbonds.size()) - 1;
  sort_bonds_by_atoms(mol.hbonds, mol.num_hbonds);
}

void populate_hbonds(struct_mol& mol) {
  VASK_ASSERT(mol.stage.atom_types && mol.stage.contacts);
  get_hbonds_per_pdb(mol);
  for (long k = 1; k <= mol.num_hbonds; ++k) check_fill_hbond(mol.hbonds[k].atom1, mol.hbonds[k].atom2, mol);
  for (long a = 1; a <= mol.num_atoms; ++a) sort_one_connect(mol.atoms[a].hbonded);
  fillout_residue_hbonds(mol);
  for (long r = 1; r <= mol.num_residues; ++r) sort_one_connect(mol.residues[r].hbonded);
  mol.stage.hbonds = 1;
}

long number_clean_hbonds(const struct_mol& mol, const switch_set& listing) {
  long m = 0;
  for (long k = 1; k <= mol.num_hbonds; ++k) m += listed_hbond(mol.hbonds[k], mol, listing);
  return m;
}

void collect_clean_hbonds(const struct_mol& mol, std::vector<bond>& out, const switch_set& listing) {
  out = allocate_bonds_array(0);
  for (long k = 1; k <= mol.num_hbonds; ++k) {
    if (!listed_hbond(mol.hbonds[k], mol, listing)) continue;
    out.push_back(mol.hbonds[k]);
    out.back().index = static_cast<long>(out.size()) - 1;
  }
}

long moderate_hbond(const bond& b) {
  return b.good_type && in_range(b.distance, GOOD_D_LOW_TYPED, MODERATE_D_HIGH);
}

long pair_with_moderate_hbond(const pair& p, const struct_mol& mol) {
  std::vector<bond> records = allocate_hbond_scratch();
  long n = get_hbonds_ij(p.nt1, p.nt2, mol, records);
  for (long k = 1; k <= n; ++k)
    if (moderate_hbond(records[k])) return 1;
  return 0;
}

long hbonds_ij_with_o2(long i, long j, const struct_mol& mol, std::vector<bond>& records) {
  return hbonds_ij_with_flag(i, j, mol, records, &bond::with_O2prime);
}

long hbonds_ij_with_base_o2(long i, long j, const struct_mol& mol, std::vector<bond>& records) {
  return hbonds_ij_with_flag(i, j, mol, records, &bond::O2prime_base);
}

long hbonds_ij_has_o2_o2(long i, long j, const struct_mol& mol, std::vector<bond>& records) {
  return hbonds_ij_with_flag(i, j, mol, records, &bond::O2prime_pair);
}

bool with_zipper_linkage(long n, const std::vector<bond>& records) {
  for (long k = 1; k <= n; ++k)
    if (records[k].O2prime_pair) return 1;
  return 0;
}

long bad_bpx(double dv, double angle) {
  return dv > std::min(Gvars.bpx_dv, Gvars.pair_vd) || angle > std::min(Gvars.bpx_angle, Gvars.pair_angle);
}

}  // namespace vask
