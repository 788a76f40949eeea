// Residue planes and projected overlap: see plane.hpp.
#include "pairing/plane.hpp"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <string>

#include "pairing/frame.hpp"
#include "pairing/polygon.hpp"
#include "structure/atom.hpp"
#include "structure/bond.hpp"
#include "structure/residue.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/sort.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr double MAX_CLOSEST_DIST2 = 29.899024;  // (5.468 A)^2: no stacking beyond
constexpr double GATE_ANGLE = 38.0;              // degrees; wider stacks must touch
constexpr double INTERCALATE_DIST = 3.8;         // Angstrom between base origins
constexpr double EDGE_HALF_LENGTH = 3.0;         // Angstrom each way along a moved edge

// Side-chain planes: residue, inner atom names (1-based), count.
struct sidechain_ring {
  const char* name;
  const char* atoms[10];
  long n;
};
constexpr sidechain_ring SIDECHAIN_RINGS[] = {
    {"arg", {"", " CD ", " NE ", " NH2", " NH1"}, 4},
    {"phe", {"", " CG ", " CD2", " CE2", " CZ ", " CE1", " CD1"}, 6},
    {"tyr", {"", " CG ", " CD2", " CE2", " CZ ", " CE1", " CD1"}, 6},
    {"trp", {"", " CG ", " CD2", " CE3", " CZ3", " CH2", " CZ2", " CE2", " NE1", " CD1"}, 9},
    {"his", {"", " CG ", " CD2", " NE2", " CE1", " ND1"}, 5},
    {"asn", {"", " CB ", " ND2", " OD1"}, 3},
    {"gln", {"", " CG ", " NE2", " OE1"}, 3},
    {"asp", {"", " CB ", " OD2", " OD1"}, 3},
    {"glu", {"", " CG ", " OE2", " OE1"}, 3},
};
static_assert(std::size(SIDECHAIN_RINGS) == 9, "nine planar side chains");

std::string trimmed_name(const char* name) {
  std::string s(name);
  s.erase(0, s.find_first_not_of(' '));
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

// Debug listing of one plane: label, then the inner and outer atoms.
void debug_plane_lines(const std::string& label, const plane& p, bool with_outer) {
  if (!Gvars.test || RUNLOG == nullptr) return;
  std::fprintf(RUNLOG, "%s", label.c_str());
  for (long k = 1; k <= p.num_atoms; ++k) std::fprintf(RUNLOG, " %4ld", p.inner[k]);
  std::fprintf(RUNLOG, "\n");
  if (!with_outer) return;
  std::fprintf(RUNLOG, "\tout-layer: ");
  for (long k = 1; k <= p.num_atoms; ++k) std::fprintf(RUNLOG, " %4ld", p.outer[k]);
  std::fprintf(RUNLOG, "\n");
}

// The same for a ring plane, under the residue id padded to the id width.
void debug_ring_plane(const residue& r, const plane& p, const struct_mol& mol) {
  if (!Gvars.test) return;
  std::string label = r.idstr;
  label.resize(std::max<size_t>(label.size(), static_cast<size_t>(mol.idstr_width)), ' ');
  debug_plane_lines(label + " : ", p, true);
}

// Copies the coordinates of list[1..n] into pts[first..first+n-1].
void copy_atoms_xyz(long n, const long* list, const struct_mol& mol, std::vector<xyz>& pts, long first) {
  for (long k = 1; k <= n; ++k) pts[first + k - 1] = mol.atoms[list[k]].xyz;
}

// Rotates pts[1..n] so that axis becomes +z, in place.
void rotate_onto_z(long n, xyz axis, std::vector<xyz>& pts) {
  rotmat R;
  std::vector<xyz> out(pts.size());
  align_zaxis(n, axis, pts, R, out);
  for (long k = 1; k <= n; ++k) pts[k] = out[k];
}

// Overlap of the rotated lists pts[1..n1] and pts[n1+1..n1+n2].
double split_overlap(long n1, long n2, const std::vector<xyz>& pts) {
  std::vector<xyz> a(n1 + 1), b(n2 + 1);
  for (long k = 1; k <= n1; ++k) a[k] = pts[k];
  for (long k = 1; k <= n2; ++k) b[k] = pts[n1 + k];
  return get_overlap_area(n1, a, n2, b);
}

// A third framed nucleotide in both van der Waals contact sets whose base
// origin lies within 3.8 A of both base origins sits between the two bases.
// A run that writes the pairs alone has no such sets: the residues in contact
// are tested here, with the same test.
bool intercalated_base(long i, long j, const struct_mol& mol) {
  const frame* fi = base_frame(i, mol);
  const frame* fj = base_frame(j, mol);
  const bool sets = mol.stage.vdw_contacts != 0;
  const connect& set = sets ? mol.residues[i].vdw_contacts : mol.residues[i].contacts;
  for (long m = 1; m <= set.count; ++m) {
    long r = set.members[m];
    if (r == j || !is_nt(r, mol)) continue;
    const frame* fr = base_frame(r, mol);
    if (fr == nullptr || !dist_in_cutoff(fr->org, fi->org, INTERCALATE_DIST) ||
        !dist_in_cutoff(fr->org, fj->org, INTERCALATE_DIST))
      continue;
    if (sets ? mol.residues[j].vdw_contacts.has(r)
             : residues_touch(i, r, mol) && mol.residues[j].contacts.has(r) && residues_touch(j, r, mol))
      return true;
  }
  return false;
}

// Template positions (base frame) of the named ring atoms of the residue's
// standard base: the atoms the base frame was fitted to.
bool standard_ring_template(long k, const char* const* names, long n, const struct_mol& mol,
                            std::vector<xyz>& templ) {
  struct_mol holder;  // only its file name and atoms are used
  const long count =
      read_frame_atom_records(set_frame_name(check_std_name(mol.residues[k].std_name), true), holder);
  templ.assign(n + 1, xyz{});
  for (long m = 1; m <= n; ++m) {
    long found = -1;
    for (long a = 1; a <= count && found == -1; ++a)
      if (holder.atoms[a].name == names[m]) found = a;
    if (found == -1) return false;
    templ[m] = holder.atoms[found].xyz;
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Frame lookups

const frame* frame_by_index(long f, const struct_mol& mol) {
  return f >= 1 && f < static_cast<long>(mol.frames.size()) ? &mol.frames[f] : nullptr;
}

const frame* residue_frame(long k, int t, const struct_mol& mol) {
  if (!good_residue(k, mol) || t < 0 || t >= NUM_FRAME_SLOTS) return nullptr;
  return frame_by_index(mol.residues[k].frames[t], mol);
}

const frame* planar_atom_frame(long a, const struct_mol& mol) {
  if (a < 1 || a > mol.num_atoms) return nullptr;
  const atom& at = mol.atoms[a];
  bool planar = (at.base && is_nt(at.residue, mol)) || (at.in_plane && !at.peptide_plane && is_aa(at.residue, mol));
  if (!planar) return nullptr;
  if (const frame* f = frame_by_index(at.frame_index, mol)) return f;
  return at.base ? base_frame(at.residue, mol) : residue_frame(at.residue, FRAME_AROMATIC, mol);
}

// ---------------------------------------------------------------------------
// Plane records

void init_one_plane(plane& p) { p = plane{}; }

std::vector<plane> allocate_planes_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<plane>(static_cast<size_t>(n) + 1);
}

void free_planes(std::vector<plane>& planes) { std::vector<plane>().swap(planes); }

void get_plane_center(plane& p, const struct_mol& mol) {
  xyz c{0, 0, 0, 0};
  for (long k = 1; k <= p.num_atoms; ++k)
    for (int d = 1; d <= 3; ++d) c[d] += mol.atoms[p.inner[k]].xyz[d];
  if (p.num_atoms > 0)
    for (int d = 1; d <= 3; ++d) c[d] /= static_cast<double>(p.num_atoms);
  p.center = c;
}

bool plane_compare(const plane& a, const plane& b) {
  if (a.kind != b.kind) return a.kind < b.kind;
  return a.inner[1] < b.inner[1];
}

long populate_plane_idx0(const char* const* names, long n, long k, const struct_mol& mol, plane& p) {
  for (long m = 1; m <= n; ++m) {
    long a = find_atom_in_residue(names[m], k, mol);
    if (a == -1) {
      init_one_plane(p);
      logit_verbosef("[w] Residue [%s] -- missing planar atom '%s'\n",
                     mol.residues[k].idstr.c_str(), names[m]);
      return 0;
    }
    p.inner[++p.num_atoms] = a;
  }
  get_plane_center(p, mol);
  return 1;
}

long rescue_base_ring(const char* const* names, long n, long k, const struct_mol& mol,
                      std::array<long, 16>& inner) {
  const frame* f = base_frame(k, mol);
  if (f == nullptr) return 0;
  std::vector<xyz> templ;  // template positions by ring name, in the base frame
  if (!standard_ring_template(k, names, n, mol, templ)) return 0;
  const residue& r = mol.residues[k];
  for (long m = 1; m <= n; ++m) {
    if (inner[m] > 0) continue;
    xyz p;
    frame_xyz(*f, templ[m], p);
    long best = -1;
    double d = DBL_MAX;
    for (long a = r.first_atom; a <= r.last_atom; ++a) {
      if (!is_baseatom(a, mol)) continue;
      double da = dist_xyz(p, mol.atoms[a].xyz);
      if (da < d) {
        d = da;
        best = a;
      }
    }
    if (best == -1 || d > Gvars.ring_atom_cutoff) return 0;
    logitf("\t[i] %s: replace missing base ring atom [%s] with [%s] (d=%.2f)\n", r.idstr.c_str(),
           names[m], mol.atoms[best].name.c_str(), d);
    inner[m] = best;
  }
  return 1;
}

void get_base_planes(const struct_mol& mol, std::vector<plane>& list) {
  for (long k = 1; k <= mol.num_residues; ++k) {
    const frame* f = base_frame(k, mol);
    if (f == nullptr) continue;
    const residue& r = mol.residues[k];
    const long n = is_R(k, mol) ? 9 : 6;
    plane p;
    bool missing = false;
    for (long m = 1; m <= n; ++m) {
      long a = find_atom_in_residue(BASE_RING_ATOMS[m], k, mol);
      if (a == -1) {
        logitf("[w] Residue %s missing planar atom [%s]\n", r.idstr.c_str(),
               trimmed_name(BASE_RING_ATOMS[m]).c_str());
        missing = true;
        a = 0;
      }
      p.inner[m] = a;
    }
    if (missing && !rescue_base_ring(BASE_RING_ATOMS, n, k, mol, p.inner)) continue;
    p.num_atoms = n;
    get_plane_center(p, mol);
    p.frame_index = r.frames[FRAME_BASE];
    p.kind = 0;
    for (long m = 1; m <= n; ++m) {
      long ring_atom = p.inner[m];
      p.outer[m] = ring_atom;
      const connect& bonded = mol.atoms[ring_atom].bonded;
      for (long b = 1; b <= bonded.count; ++b) {
        long c = bonded.members[b];
        if (mol.atoms[c].hydrogen) continue;
        if (std::find(p.inner.begin() + 1, p.inner.begin() + n + 1, c) != p.inner.begin() + n + 1) continue;
        p.outer[m] = c;
        break;
      }
    }
    list.push_back(p);
    debug_ring_plane(r, p, mol);
  }
}

void get_peptide_planes(const struct_mol& mol, std::vector<plane>& list) {
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_aa(k, mol)) continue;
    const frame* f = residue_frame(k, FRAME_BACKBONE, mol);
    if (f == nullptr) continue;
    long ca = find_atom_in_residue(" CA ", k, mol);
    long c = find_atom_in_residue(" C  ", k, mol);
    long o = find_atom_in_residue(" O  ", k, mol);
    if (ca == -1 || c == -1 || o == -1) continue;
    long n2 = -1;  // N of the amino acid joined to this C
    const connect& bonded = mol.atoms[c].bonded;
    for (long b = 1; b <= bonded.count && n2 == -1; ++b) {
      long x = bonded.members[b];
      if (mol.atoms[x].name == " N  " && mol.atoms[x].residue != k && is_aa(mol.atoms[x].residue, mol)) n2 = x;
    }
    if (n2 == -1) continue;
    long ca2 = find_atom_in_residue(" CA ", mol.atoms[n2].residue, mol);
    if (ca2 == -1) continue;
    plane p;
    p.kind = 2;
    p.frame_index = mol.residues[k].frames[FRAME_BACKBONE];
    p.num_atoms = 4;
    p.inner[1] = ca;
    p.inner[2] = n2;
    p.inner[3] = ca2;
    p.inner[4] = o;
    p.outer = p.inner;
    get_plane_center(p, mol);
    list.push_back(p);
    debug_plane_lines(mol.residues[k].idstr + " peptide : ", p, false);
  }
}

void get_sidechain_planes(const struct_mol& mol, std::vector<plane>& list) {
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_aa(k, mol) || residue_frame(k, FRAME_AROMATIC, mol) == nullptr) continue;
    const residue& r = mol.residues[k];
    const sidechain_ring* ring = nullptr;
    for (const auto& s : SIDECHAIN_RINGS)
      if (r.std_name == s.name) ring = &s;
    if (ring == nullptr) continue;
    plane p;
    if (!populate_plane_idx0(ring->atoms, ring->n, k, mol, p)) continue;
    if (r.std_name == "arg" &&
        dist_atoms_square(p.inner[1], p.inner[4], mol) > dist_atoms_square(p.inner[1], p.inner[3], mol)) {
      logit_verbosef("[w] arginine [%s] -- NH1/NH2 naming swapped\n", r.idstr.c_str());
      std::swap(p.inner[3], p.inner[4]);
    }
    p.outer = p.inner;
    if (r.std_name == "phe" || r.std_name == "tyr" || r.std_name == "trp" || r.std_name == "his") {
      long cb = find_atom_in_residue(" CB ", k, mol);
      if (cb != -1) p.outer[1] = cb;
    }
    if (r.std_name == "tyr") {
      long oh = find_atom_in_residue(" OH ", k, mol);
      if (oh != -1) p.outer[4] = oh;
    }
    p.kind = 1;
    p.frame_index = r.frames[FRAME_AROMATIC];
    list.push_back(p);
    debug_ring_plane(r, p, mol);
  }
}

void populate_planes(struct_mol& mol) {
  std::vector<plane> list;
  list.reserve(1024);
  get_base_planes(mol, list);
  get_peptide_planes(mol, list);
  get_sidechain_planes(mol, list);
  const long n = static_cast<long>(list.size());
  mol.planes = allocate_planes_array(n);
  for (long k = 1; k <= n; ++k) {
    VASK_ASSERT(list[k - 1].num_atoms > 0);
    mol.planes[k] = list[k - 1];
  }
  stable_sort_1n(mol.planes, n, plane_compare);
  mol.num_planes = n;
  mol.outer_overlaps.clear();
  for (long k = 1; k <= mol.num_residues; ++k) mol.residues[k].planes = {-1, -1, -1};
  for (long k = 1; k <= n; ++k) {
    const plane& p = mol.planes[k];
    mol.residues[mol.atoms[p.inner[1]].residue].planes[p.kind] = k;
  }
  if (Gvars.test) runlog_msg("total no. of plane: %ld\n", n);
  mol.stage.planes = 1;
}

// ---------------------------------------------------------------------------
// Projected overlap

double do_projection_get_oarea(const frame* f1, long n1, const long* list1, const frame* f2, long n2,
                               const long* list2, const struct_mol& mol) {
  if (f1 == nullptr || f2 == nullptr || n1 == 0 || n2 == 0) return -DBL_MAX;
  VASK_ASSERT(n1 <= MAX_PROJECTED_ATOMS && n2 <= MAX_PROJECTED_ATOMS);
  const double angle = angle90_normalized_vectors(f1->z_axis, f2->z_axis);
  if (angle > Gvars.overlap_angle) return 0;
  std::vector<xyz> pts(n1 + n2 + 1);
  copy_atoms_xyz(n1, list1, mol, pts, 1);
  copy_atoms_xyz(n2, list2, mol, pts, n1 + 1);
  double dmin2 = DBL_MAX;
  for (long a = 1; a <= n1; ++a)
    for (long b = n1 + 1; b <= n1 + n2; ++b) dmin2 = std::min(dmin2, dist_xyz_square(pts[a], pts[b]));
  if (dmin2 > MAX_CLOSEST_DIST2) return 0;
  const double near = Gvars.vdw_cutoff - angle / 90.0;
  if (dmin2 > near * near) {
    if (angle > GATE_ANGLE) return 0;
    long r1 = mol.atoms[list1[1]].residue, r2 = mol.atoms[list2[1]].residue;
    if (!is_nt(r1, mol) || !is_nt(r2, mol) || !nts_dist1(r1, r2, mol)) return 0;
    if (base_frame(r1, mol) == nullptr || base_frame(r2, mol) == nullptr) return 0;
    if (intercalated_base(r1, r2, mol)) return 0;
  }
  xyz z;
  get_ave_z_axis(f1->z_axis, f2->z_axis, z);
  rotate_onto_z(n1 + n2, z, pts);
  return split_overlap(n1, n2, pts);
}

double get_inner_overlap_area_byPlane(const plane* p1, const plane* p2, const struct_mol& mol) {
  VASK_ASSERT(p1 != nullptr && p2 != nullptr);
  return do_projection_get_oarea(frame_by_index(p1->frame_index, mol), p1->num_atoms, p1->inner.data(),
                                 frame_by_index(p2->frame_index, mol), p2->num_atoms, p2->inner.data(), mol);
}

double get_outer_overlap_area_byPlane(const plane* p1, const plane* p2, const struct_mol& mol) {
  VASK_ASSERT(p1 != nullptr && p2 != nullptr);
  return do_projection_get_oarea(frame_by_index(p1->frame_index, mol), p1->num_atoms, p1->outer.data(),
                                 frame_by_index(p2->frame_index, mol), p2->num_atoms, p2->outer.data(), mol);
}

const plane* get_nt_scp_plane(long k, const struct_mol& mol) {
  long slot = is_nt(k, mol) ? 0 : is_aa(k, mol) ? 1 : -1;
  VASK_ASSERT(slot != -1);
  long p = mol.residues[k].planes[slot];
  return p >= 1 && p < static_cast<long>(mol.planes.size()) ? &mol.planes[p] : nullptr;
}

namespace {
double overlap_byResNum(long i, long j, const struct_mol& mol, bool outer) {
  const plane* p1 = get_nt_scp_plane(i, mol);
  const plane* p2 = get_nt_scp_plane(j, mol);
  if (p1 == nullptr || p2 == nullptr) {
    if (Gvars.test)
      runlog_msg("[i]: %s (%p); %s (%p)\n", mol.residues[i].idstr.c_str(), static_cast<const void*>(p1),
                 mol.residues[j].idstr.c_str(), static_cast<const void*>(p2));
    return 0;
  }
  if (!outer) return get_inner_overlap_area_byPlane(p1, p2, mol);
  const long key = i * (mol.num_residues + 1) + j;
  const auto known = mol.outer_overlaps.find(key);
  if (known != mol.outer_overlaps.end()) return known->second;
  const double area = get_outer_overlap_area_byPlane(p1, p2, mol);
  mol.outer_overlaps.emplace(key, area);
  return area;
}
}  // namespace

double get_inner_overlap_area_byResNum(long i, long j, const struct_mol& mol) {
  return overlap_byResNum(i, j, mol, false);
}

double get_outer_overlap_area_byResNum(long i, long j, const struct_mol& mol) {
  return overlap_byResNum(i, j, mol, true);
}

double get_oarea_by2Planes1frame(const xyz& axis, const plane* p1, const plane* p2, const struct_mol& mol) {
  VASK_ASSERT(p1 != nullptr && p2 != nullptr && p1->num_atoms > 0 && p2->num_atoms > 0);
  const long n1 = p1->num_atoms, n2 = p2->num_atoms;
  std::vector<xyz> pts(n1 + n2 + 1);
  copy_atoms_xyz(n1, p1->outer.data(), mol, pts, 1);
  copy_atoms_xyz(n2, p2->outer.data(), mol, pts, n1 + 1);
  rotate_onto_z(n1 + n2, axis, pts);
  return split_overlap(n1, n2, pts);
}

double get_two_nts_oarea_per_zAxis(long i, long j, const xyz& axis, const struct_mol& mol) {
  return get_oarea_by2Planes1frame(axis, get_nt_scp_plane(i, mol), get_nt_scp_plane(j, mol), mol);
}

long point_in_polygon(long n, const std::vector<xyz>& pts, const xyz& p) {
  VASK_ASSERT(n <= 32);
  long inside = 0;
  for (long i = n, j = 1; j <= n; i = j++) {
    const xyz& a = pts[j];
    const xyz& b = pts[i];
    if ((a[2] > p[2]) != (b[2] > p[2]) && p[1] < (b[1] - a[1]) * (p[2] - a[2]) / (b[2] - a[2]) + a[1])
      inside = !inside;
  }
  return inside;
}

bool extended_polygon(long n, std::vector<xyz>& pts, double d) {
  if (std::fabs(d) < 1e-6) return true;
  d = std::fabs(d);
  std::vector<std::array<double, 4>> edges(n + 1);  // x1, y1, x2, y2 of each moved edge
  for (long k = 1; k <= n; ++k) {
    const xyz& a = pts[k];
    const xyz& b = pts[k == n ? 1 : k + 1];
    xyz e{0, b[1] - a[1], b[2] - a[2], 0};
    xyz u{0, e[2], -e[1], 0};
    norm_xyz(u);
    norm_xyz(e);
    xyz m{0, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2, 0};
    xyz t{0, m[1] + d * u[1], m[2] + d * u[2], 0};
    if (point_in_polygon(n, pts, t)) t = {0, m[1] - d * u[1], m[2] - d * u[2], 0};
    edges[k] = {t[1] - EDGE_HALF_LENGTH * e[1], t[2] - EDGE_HALF_LENGTH * e[2], t[1] + EDGE_HALF_LENGTH * e[1],
                t[2] + EDGE_HALF_LENGTH * e[2]};
  }
  std::vector<xyz> moved(n + 1);
  for (long k = 1; k <= n; ++k) {
    const auto& e1 = edges[k];
    const auto& e2 = edges[k == n ? 1 : k + 1];
    double x = 0, y = 0;
    if (!get_lineSegments_intersection(e1[0], e1[1], e1[2], e1[3], e2[0], e2[1], e2[2], e2[3], &x, &y))
      return false;
    moved[k] = {0, x, y, pts[k][3]};
  }
  for (long k = 1; k <= n; ++k) pts[k] = moved[k];
  return true;
}

long atom_projected_in_plane_ring(long a, long k, const struct_mol& mol, double margin) {
  const plane* p = get_nt_scp_plane(k, mol);
  if (p == nullptr || p->num_atoms == 0) return 0;
  const frame* f = frame_by_index(p->frame_index, mol);
  if (f == nullptr) return 0;
  const long n = p->num_atoms;
  std::vector<xyz> pts(n + 2);
  copy_atoms_xyz(n, p->inner.data(), mol, pts, 1);
  pts[n + 1] = mol.atoms[a].xyz;
  rotate_onto_z(n + 1, f->z_axis, pts);
  std::vector<xyz> ring(pts.begin(), pts.begin() + n + 1);
  if (!extended_polygon(n, ring, margin) && ++mol.warned.distorted_ring <= 9)
    runlog_msg("[w] distorted ring of %s: atom %s tested against the ring unwidened\n",
               mol.residues[k].idstr.c_str(), mol.atoms[a].name.c_str());
  return point_in_polygon(n, ring, pts[n + 1]);
}

void write_polygon_alchemy(long n, const std::vector<xyz>& pts, const char* type, const char* file) {
  FILE* fp = output_file(file);
  std::fprintf(fp, "%5ld ATOMS, %5ld BONDS\n", n, n);
  for (long k = 1; k <= n; ++k)
    std::fprintf(fp, "%5ld %-2s   %9.4f%9.4f%9.4f  %9.4f\n", k, type, pts[k][1], pts[k][2], 0.0, 0.0);
  for (long k = 1; k <= n; ++k) std::fprintf(fp, "%5ld %5ld %5ld\n", k, k, k == n ? 1 : k + 1);
  close_file(fp);
}

void write_atom_alchemy(const xyz& p, const char* type, const char* file) {
  FILE* fp = output_file(file);
  std::fprintf(fp, "%5ld ATOMS, %5ld BONDS\n", 1L, 0L);
  std::fprintf(fp, "%5ld %-2s   %9.4f%9.4f%9.4f  %9.4f\n", 1L, type, p[1], p[2], 0.0, 0.0);
  close_file(fp);
}

}  // namespace vask
