// Curves+ and CEHS frames and the parameters derived from them.
#include "modeling/duplex_frames.hpp"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "pairing/frame.hpp"
#include "pairing/splay.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/fitting.hpp"
#include "support/log.hpp"
#include "support/quaternion.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

struct table_atom {
  const char* name;
  double x, y, z;
};

// Curves+ standard bases in their own base coordinate system (Angstrom);
// '*' stands for the prime. The first three atoms (C1', the glycosidic atom
// and the next ring atom) fix the reference normal and the origin.
constexpr table_atom kCurvesA[] = {
    {"C1*", 1.57340, -2.41044, -0.12190}, {"N9", 0.37786, -1.52945, -0.00531},
    {"C4", 0.38110, -0.16006, -0.04011},  {"C8", -0.94428, -1.87750, 0.15888},
    {"N1", -0.11123, 2.43959, -0.04964},  {"C2", 1.10298, 1.90641, -0.17768},
    {"N3", 1.45731, 0.64079, -0.18694},   {"C5", -0.91754, 0.23706, 0.10110},
    {"C6", -1.16848, 1.61858, 0.09523},   {"N7", -1.75109, -0.86494, 0.22638}};
constexpr table_atom kCurvesG[] = {
    {"C1*", 1.58195, -2.39594, -0.12320}, {"N9", 0.37714, -1.52785, -0.00520},
    {"C4", 0.37551, -0.14975, -0.04020},  {"C8", -0.94239, -1.88689, 0.15880},
    {"N1", -0.10165, 2.41153, -0.05020},  {"C2", 1.18367, 1.92662, -0.18720},
    {"N3", 1.47916, 0.62851, -0.18920},   {"C5", -0.93480, 0.24071, 0.10280},
    {"C6", -1.25149, 1.62390, 0.10480},   {"N7", -1.76708, -0.87080, 0.22880}};
constexpr table_atom kCurvesC[] = {
    {"C1*", 1.94866, -1.45161, -0.19029}, {"N1", 0.74385, -0.58352, -0.07229},
    {"C2", 0.93020, 0.79520, -0.12929},   {"C6", -0.49500, -1.12092, 0.08671},
    {"N3", -0.15547, 1.60399, -0.02329},  {"C4", -1.37969, 1.08626, 0.13371},
    {"C5", -1.59254, -0.32937, 0.19471}};
constexpr table_atom kCurvesT[] = {
    {"C1*", 1.95363, -1.45659, -0.19073}, {"N1", 0.75787, -0.57587, -0.07419},
    {"C2", 0.97215, 0.78019, -0.13405},   {"C6", -0.49400, -1.10811, 0.08633},
    {"N3", -0.15841, 1.56515, -0.02137},  {"C4", -1.45350, 1.11665, 0.14102},
    {"C5", -1.57773, -0.32139, 0.19302}};
constexpr table_atom kCurvesP[] = {
    {"C1*", -1.24071, -2.10001, -0.01015}, {"C5", -0.48272, -0.82819, -0.00729},
    {"C4", -1.20770, 0.33858, 0.00979},    {"C6", 0.89420, -0.82819, -0.00729},
    {"N1", 1.59022, 0.32075, -0.00729},    {"C2", 0.91535, 1.59602, 0.00679},
    {"N3", -0.46861, 1.50106, 0.01545}};

// Placement of the Curves+ origin and y-axis from the glycosidic bond.
constexpr double kCurvesOriginAngle = 141.47;  // degrees about z, from the C1' direction
constexpr double kCurvesYAngle = -54.41;       // degrees about z
constexpr double kCurvesOriginDist = 4.7024;   // Angstrom from the glycosidic atom

constexpr long kMaxCehsPlaneAtoms = 512;

template <std::size_t N>
long copy_table(const table_atom (&t)[N], std::vector<std::string>& names, std::vector<xyz>& pts) {
  names.assign(N + 1, std::string());
  pts.assign(N + 1, xyz{});
  for (std::size_t i = 0; i < N; ++i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, " %-3s", t[i].name);
    std::string name = buf;
    for (char& c : name)
      if (c == '*') c = '\'';
    names[i + 1] = name;
    set_xyz(pts[i + 1], t[i].x, t[i].y, t[i].z);
  }
  return static_cast<long>(N);
}

std::string residue_id(long k, const struct_mol& mol) { return mol.residues[k].idstr; }

// Unit normal of the least-squares plane through the listed atoms.
void atoms_plane_normal(const std::vector<long>& atoms, const struct_mol& mol, xyz& normal) {
  std::vector<xyz> pts(atoms.size() + 1);
  for (std::size_t i = 0; i < atoms.size(); ++i) pts[i + 1] = mol.atoms[atoms[i]].xyz;
  xyz centroid;
  ls_plane(static_cast<long>(atoms.size()), pts, normal, centroid, nullptr);
}

// Base atoms of residue k, hydrogens left out.
void collect_base_atoms(long k, const struct_mol& mol, std::vector<long>& atoms) {
  const residue& r = mol.residues[k];
  for (long i = r.first_atom; i <= r.last_atom; ++i) {
    if (static_cast<long>(atoms.size()) >= kMaxCehsPlaneAtoms) return;
    if (is_baseatom(i, mol) && !is_hydrogen(i, mol)) atoms.push_back(i);
  }
}

// z-axis of residue k's standard base frame, or none.
const xyz* standard_z_axis(long k, const struct_mol& mol) {
  const frame* f = base_frame(k, mol);
  return f == nullptr ? nullptr : &f->z_axis;
}

void reverse_x_y_frame(frame& f) {
  negate_xyz(f.x_axis);
  negate_xyz(f.y_axis);
}

// Point of the line (origin p, unit direction u) nearest to q.
void project_on_line(const xyz& q, const xyz& p, const xyz& u, xyz& out) {
  xyz d;
  diff_xyz(p, q, d);
  move_xyz(p, u, dot_xyz(d, u), out);
}

void write_debug_step(FILE* fp, long i, long s, long low, long up, const par_set& pars,
                      const frame& helical, bool axis_set, const frame& m1, const frame& m2) {
  if (fp == nullptr) return;
  std::fprintf(fp, "bp=%ld\tstrand=%ld\tlow=%ld\tup=%ld\tpars[6]=%g\n", i, s, low, up, pars[6]);
  print_vec3(fp, helical.z_axis, nullptr, " z-axis");
  if (!axis_set) {
    std::fprintf(fp, "# helical axis position not set: rotation angle near 0\n");
    return;
  }
  xyz p_low, p_up;
  project_on_line(m1.org, helical.org, helical.z_axis, p_low);
  project_on_line(m2.org, helical.org, helical.z_axis, p_up);
  print_vec3(fp, p_low, nullptr, " vec-low");
  print_vec3(fp, p_up, nullptr, " vec-up");
}

}  // namespace

long populate_one_frame_xyz(char letter, std::vector<std::string>& names, std::vector<xyz>& pts) {
  switch (std::toupper(static_cast<unsigned char>(letter))) {
    case 'A':
      return copy_table(kCurvesA, names, pts);
    case 'G':
    case 'I':
    case 'Y':
      return copy_table(kCurvesG, names, pts);
    case 'C':
      return copy_table(kCurvesC, names, pts);
    case 'T':
    case 'U':
      return copy_table(kCurvesT, names, pts);
    case 'P':
      return copy_table(kCurvesP, names, pts);
    default:
      runlog_msg("[e] no curves-plus-frames table for base '%c'\n", letter);
      VASK_ASSERT(false);
  }
  return 0;
}

void per_curves_plus_frame(long k, const struct_mol& mol, frame& f) {
  const residue& r = mol.residues[k];
  std::vector<std::string> names;
  std::vector<xyz> table;
  const char letter = r.std_name.size() >= 3 ? r.std_name[2] : r.letter;
  const long n = populate_one_frame_xyz(letter, names, table);
  std::vector<xyz> moving(1), target(1);
  for (long i = 1; i <= n; ++i) {
    const long a = find_atom_in_residue(names[i].c_str(), k, mol);
    if (a == -1) continue;
    moving.push_back(table[i]);
    target.push_back(mol.atoms[a].xyz);
  }
  const long m = static_cast<long>(moving.size()) - 1;
  std::vector<xyz> fitted(m + 1);
  const double rmsd = ls_fitting(moving, target, m, &fitted, nullptr, nullptr);
  if (rmsd < 0) fatal("Cannot ls-fit residue: %s\n", residue_id(k, mol).c_str());

  // The first three fitted atoms are C1', the glycosidic atom and the next ring atom.
  xyz g, w, ref;
  diff_xyz(fitted[2], fitted[1], g);
  norm_xyz(g);
  diff_xyz(fitted[2], fitted[3], w);
  cross_xyz(g, w, ref);

  xyz z, centroid;
  ls_plane(m, fitted, z, centroid, nullptr);
  if (dot_xyz(z, ref) < 0) negate_xyz(z);

  xyz a, y, x;
  get_vector_noOrthCheck(g, z, kCurvesOriginAngle, a);
  get_vector_noOrthCheck(g, z, kCurvesYAngle, y);

  init_one_frame(f);
  f.type = 0;
  f.residue = k;
  f.rmsd = rmsd;
  move_xyz(fitted[2], a, kCurvesOriginDist, f.org);
  cross_xyz(y, z, x);
  f.x_axis = x;
  f.y_axis = y;
  f.z_axis = z;
  if (PRGLOG != nullptr) {
    xyz yy = y, zz = z;
    std::fprintf(PRGLOG, "\n%s -- rmsd=%.3f\ty-z angle: %g", residue_id(k, mol).c_str(), rmsd,
                 angle_xyz(yy, zz));
    write_one_frame(PRGLOG, "", f);
  }
}

namespace {

// The two ring atoms (N1 and C4 of a purine, N3 and C6 of a pyrimidine) and
// C1' the CEHS frame stands on; false when k is neither or misses one.
bool cehs_frame_atoms(long k, const struct_mol& mol, long& a1, long& a2, long& c1) {
  a1 = a2 = c1 = -1;
  if (!is_R(k, mol) && !is_Y(k, mol)) return false;
  a1 = find_atom_in_residue(is_R(k, mol) ? " N1 " : " N3 ", k, mol);
  a2 = find_atom_in_residue(is_R(k, mol) ? " C4 " : " C6 ", k, mol);
  c1 = find_atom_in_residue(" C1'", k, mol);
  return a1 != -1 && a2 != -1 && c1 != -1;
}

}  // namespace

void per_CEHS_base_frame(long k, const struct_mol& mol, frame& f) {
  if (!is_R(k, mol) && !is_Y(k, mol)) fatal("[e] %s --- not a proper nucleotide\n", residue_id(k, mol).c_str());
  long a1 = -1, a2 = -1, c1 = -1;
  if (!cehs_frame_atoms(k, mol, a1, a2, c1))
    fatal("[e] %s --- missing required atom(s)\n", residue_id(k, mol).c_str());

  init_one_frame(f);
  f.type = 0;
  f.residue = k;
  ave_xyz(mol.atoms[a1].xyz, mol.atoms[a2].xyz, f.org);
  diff_norm_xyz(mol.atoms[a1].xyz, mol.atoms[a2].xyz, f.y_axis);

  std::vector<long> atoms;
  collect_base_atoms(k, mol, atoms);
  xyz z{0, 0, 0, 1};
  if (atoms.size() >= 3) atoms_plane_normal(atoms, mol, z);
  const xyz* zstd = standard_z_axis(k, mol);
  if (zstd != nullptr && dot_xyz(z, *zstd) < 0) negate_xyz(z);
  orth_xyz(z, f.y_axis);
  f.z_axis = z;
  cross_xyz(f.y_axis, f.z_axis, f.x_axis);
}

bool frames_to_parameters(const frame& a, const frame& b, par_set& pars, frame& mid,
                          frame& helical) {
  rotmat RA, RB, RAt, M;
  frame_to_rotmat(a, RA);
  frame_to_rotmat(b, RB);
  transpose_matrix_3x3(RA, RAt);
  multiply_matrix_3x3(RB, RAt, M);
  xyz u;
  double theta = 0;
  qtn_rotmat_to_AxisAngle(M, u, theta);

  rotmat half, Rm;
  xyz axis = u;
  rot_arb_axis(axis, theta / 2, half);
  multiply_matrix_3x3(half, RA, Rm);

  xyz d;
  diff_xyz(a.org, b.org, d);
  init_one_frame(mid);
  rotmat_to_frame(Rm, mid);
  ave_xyz(a.org, b.org, mid.org);

  pars[0] = 0;
  pars[1] = dot_xyz(d, mid.x_axis);
  pars[2] = dot_xyz(d, mid.y_axis);
  pars[3] = dot_xyz(d, mid.z_axis);
  xyz tu;
  scalar_times_xyz(u, theta, tu);
  pars[4] = dot_xyz(tu, a.x_axis);
  pars[5] = dot_xyz(tu, a.y_axis);
  pars[6] = dot_xyz(tu, a.z_axis);

  init_one_frame(helical);
  helical.z_axis = u;
  if (std::fabs(theta) < MIN_HELICAL_ANGLE) {
    // 1 / tan(theta/2) has no meaning here: a pure translation has no axis position
    set_xyz(helical.org, DBL_MAX, DBL_MAX, DBL_MAX);
    return false;
  }
  xyz ud;
  cross_xyz(u, d, ud);
  const double s = 1.0 / (2.0 * std::tan(deg2rad(theta) / 2.0));
  move_xyz(mid.org, ud, s, helical.org);
  return true;
}

double twist_to_helical_twist(double twist, double tilt, double roll) {
  const double c = std::cos(deg2rad(std::sqrt(tilt * tilt + roll * roll)));
  return dot_to_angle((std::cos(deg2rad(twist)) * (1 + c) - (1 - c)) / 2);
}

double helical_twist_to_twist(double helical_twist, double tilt, double roll) {
  const double bend = std::sqrt(tilt * tilt + roll * roll);
  VASK_ASSERT(helical_twist >= bend);
  const double c = std::cos(deg2rad(bend));
  return dot_to_angle((2 * std::cos(deg2rad(helical_twist)) + (1 - c)) / (1 + c));
}

void curves_plus_duplex(long n, std::vector<pair>& pairs, const struct_mol& mol,
                        std::vector<par_set>& steps) {
  std::vector<frame> f1(n + 1), f2(n + 1), mids(n + 1);
  par_set unset{};
  unset.fill(DBL_MAX);
  steps.assign(n + 1, unset);
  bool similar = true;
  for (long i = 1; i <= n; ++i) {
    per_curves_plus_frame(pairs[i].nt1, mol, f1[i]);
    per_curves_plus_frame(pairs[i].nt2, mol, f2[i]);
    // the second base turned to face the first
    if (plus_frames(f1[i], f2[i]))
      reverse_x_y_frame(f2[i]);
    else
      reverse_y_z_frame(f2[i]);
    frame helical;
    frames_to_parameters(f2[i], f1[i], pairs[i].bp_params, mids[i], helical);
    if (!two_frames_in_similar_orient(f1[i], f2[i])) similar = false;
  }
  bool backward = similar;
  for (long i = 1; backward && i < n; ++i) {
    xyz d;
    diff_xyz(mids[i].org, mids[i + 1].org, d);
    if (!(dot_xyz(d, mids[i].z_axis) < 0 && dot_xyz(d, mids[i + 1].z_axis) < 0)) backward = false;
  }
  if (backward)
    for (long i = 1; i <= n; ++i) negate_xyz(mids[i].z_axis);

  scoped_file sf(create_file("helix-U-P.dat"));
  FILE* fp = sf.get();
  std::vector<long> counter(n + 1, 0);
  for (long i = 1; i < n; ++i) {
    for (long s = 1; s <= 2; ++s) {
      const frame& a = s == 1 ? f1[i] : f2[i];
      const frame& b = s == 1 ? f1[i + 1] : f2[i + 1];
      par_set pars{};
      frame mid, helical;
      const bool axis_set = frames_to_parameters(a, b, pars, mid, helical);
      ++counter[i];
      ++counter[i + 1];
      write_debug_step(fp, i, s, counter[i], counter[i + 1], pars, helical, axis_set, mids[i],
                       mids[i + 1]);
    }
  }
  sf.close();

  for (long i = 1; i < n; ++i) {
    frame mid, helical;
    frames_to_parameters(mids[i], mids[i + 1], steps[i], mid, helical);
  }
}

void cehs_duplex(long n, std::vector<pair>& pairs, const struct_mol& mol,
                 std::vector<par_set>& steps) {
  par_set unset{};
  unset.fill(DBL_MAX);
  steps.assign(n + 1, unset);
  std::vector<frame> pf(n + 1);
  // a pair with a nucleotide the frame cannot stand on (a free base ligand
  // has no C1') has no parameters, nor have its steps
  std::vector<char> framed(n + 1, 0);
  for (long i = 1; i <= n; ++i) {
    const long a = pairs[i].nt1, b = pairs[i].nt2;
    long t1 = 0, t2 = 0, t3 = 0;
    if (!cehs_frame_atoms(a, mol, t1, t2, t3) || !cehs_frame_atoms(b, mol, t1, t2, t3)) {
      runlog_msg("[w] pair #%ld (%s, %s) left out: no CEHS frame without N1/C4 (N3/C6) and C1'\n", i,
                 residue_id(a, mol).c_str(), residue_id(b, mol).c_str());
      pairs[i].bp_params.fill(DBL_MAX);
      continue;
    }
    framed[i] = 1;
    frame fa, fb;
    per_CEHS_base_frame(a, mol, fa);
    per_CEHS_base_frame(b, mol, fb);

    // the pair frame: origin between the C1' atoms, y from b's C1' to a's
    const long ca = find_atom_in_residue(" C1'", a, mol);
    const long cb = find_atom_in_residue(" C1'", b, mol);
    frame& p = pf[i];
    init_one_frame(p);
    p.type = 9;
    ave_xyz(mol.atoms[ca].xyz, mol.atoms[cb].xyz, p.org);
    diff_norm_xyz(mol.atoms[cb].xyz, mol.atoms[ca].xyz, p.y_axis);
    std::vector<long> atoms;
    collect_base_atoms(a, mol, atoms);
    collect_base_atoms(b, mol, atoms);
    xyz z{0, 0, 0, 1};
    if (atoms.size() >= 3) atoms_plane_normal(atoms, mol, z);
    const xyz* zstd = standard_z_axis(a, mol);
    if (zstd != nullptr && dot_xyz(z, *zstd) < 0) negate_xyz(z);
    orth_xyz(z, p.y_axis);
    p.z_axis = z;
    cross_xyz(p.y_axis, p.z_axis, p.x_axis);

    // pair parameters: both bases turned about the hinge to a common y-axis
    xyz oa, ob;
    rotmat Ra, Rb;
    get_rot1_rot2(fa, fb, oa, Ra, ob, Rb);
    xyz ya = rotmat_column(Ra, 2), yb = rotmat_column(Rb, 2);
    xyz hinge;
    cross_xyz(yb, ya, hinge);
    xyz h = hinge;
    const double phi = get_vector_angle(yb, ya, h);
    rotmat Ta, Tb, Ra2, Rb2;
    xyz h1 = hinge, h2 = hinge;
    rot_arb_axis(h1, -phi / 2, Ta);
    rot_arb_axis(h2, phi / 2, Tb);
    multiply_matrix_3x3(Ta, Ra, Ra2);
    multiply_matrix_3x3(Tb, Rb, Rb2);
    const xyz xa = rotmat_column(Ra2, 1), xb = rotmat_column(Rb2, 1);
    xyz ym = rotmat_column(Ra2, 2);
    par_set& bp = pairs[i].bp_params;
    bp[0] = 0;
    bp[5] = get_vector_angle(xb, xa, ym);
    xyz xm, zm, d;
    sum_norm_xyz(xb, xa, xm);
    cross_xyz(xm, ym, zm);
    diff_xyz(ob, oa, d);
    bp[1] = dot_xyz(d, xm);
    bp[2] = dot_xyz(d, ym);
    bp[3] = dot_xyz(d, zm);
    xyz hh = hinge;
    norm_xyz(hh);
    const double gamma = get_vector_angle(hh, xm, ym);
    bp[4] = phi * std::cos(deg2rad(gamma));
    bp[6] = phi * std::sin(deg2rad(gamma));
  }
  for (long i = 1; i < n; ++i) {
    if (!framed[i] || !framed[i + 1]) continue;
    frame a = pf[i], b = pf[i + 1];
    check_frames_direction(a, b);
    get_step_pars_by_frames0(a, b, steps[i], nullptr);
  }
}

}  // namespace vask
