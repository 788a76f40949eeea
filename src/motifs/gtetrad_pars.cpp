// G-tetrad parameters: planarity, simple pair parameters, shape, direction,
// ONZ class, glycosidic/sugar/groove texts and the frame fitted to an ideal
// square of C1' atoms.
#include <algorithm>
#include <cmath>

#include "motifs/gtetrad.hpp"
#include "motifs/network.hpp"
#include "pairing/frame.hpp"
#include "pairing/torsion.hpp"
#include "structure/atom.hpp"
#include "structure/residue.hpp"
#include "support/fitting.hpp"
#include "support/quaternion.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"

namespace vask {

namespace {

// The partner of Gi in the cycle: Gtetrad_idx[i + 1].
constexpr long Gtetrad_idx[6] = {-1, 1, 2, 3, 4, 1};

constexpr double PLANAR_CUTOFF = 0.16;  // Angstrom: a flatter tetrad is "planar"
constexpr double BOWL_BUCKLE = 9.0;     // degrees: a larger mean Buckle makes a bowl

bool alternate(const std::array<double, 5>& v) {
  return v[1] * v[2] < 0 && v[2] * v[3] < 0 && v[3] * v[4] < 0;
}

}  // namespace

void derive_simple_parameters(gtetrad& t, struct_mol& mol) {
  pair p;
  for (long i = 1; i <= 4; ++i) {
    populate_one_base_pair(t.nts[i], t.nts[Gtetrad_idx[i + 1]], mol, p);
    t.simple_pars[static_cast<size_t>(i)] = p.bp_simpleParams;
  }
}

std::string get_Gtetrad_shape(double planarity, const std::array<double, 5>& b,
                              const std::array<double, 5>& p) {
  if (planarity <= PLANAR_CUTOFF) return "planar";
  if ((b[1] + b[2] + b[3] + b[4]) / 4.0 > BOWL_BUCKLE) return "bowl";
  if (alternate(p) && b[1] >= -0.15 && b[2] >= -0.15 && b[3] >= -0.15 && b[4] >= -0.15) return "bowl-2";
  if (alternate(b) && alternate(p) && b[1] * p[1] > 0 && b[2] * p[2] > 0 && b[3] * p[3] > 0 &&
      b[4] * p[4] > 0)
    return "saddle";
  return "other";
}

std::string get_Gtetrad_orientation(const gtetrad& t, struct_mol& mol) {
  long sum = 0;
  pair p;
  for (long i = 1; i <= 4; ++i) {
    populate_one_base_pair(t.nts[i], t.nts[Gtetrad_idx[i + 1]], mol, p);
    const std::string tail = own_class_tail(p);
    if (tail == "W+M") ++sum;
    if (tail == "M+W") --sum;
  }
  if (sum == 4) return "WC-->Major";
  if (sum == -4) return "Major-->WC";
  return "    --    ";
}

std::string get_ONZ_class(const std::array<long, 5>& g0, const std::string& direction) {
  std::array<long, 5> g = g0;
  if (direction == "Major-->WC") std::swap(g[2], g[4]);
  long m = 1;
  for (long k = 2; k <= 4; ++k)
    if (g[static_cast<size_t>(k)] < g[static_cast<size_t>(m)]) m = k;
  auto at = [&g, m](long step) { return g[static_cast<size_t>((m - 1 + step) % 4 + 1)]; };
  const long a = at(1), b = at(2), c = at(3);
  if (a < b && b < c) return "O+";
  if (a > b && b > c) return "O-";
  if (a < c && c < b) return "N+";
  if (c < a && a < b) return "N-";
  if (b < a && a < c) return "Z+";
  return "Z-";  // b < c < a: the six orders are exhaustive
}

void derive_grooves(gtetrad& t, struct_mol& mol) {
  pair p;
  for (long i = 1; i <= 4; ++i) {
    const long gi = t.nts[i], gj = t.nts[Gtetrad_idx[i + 1]];
    const bool si = glyco_syn_G4(gi, mol), sj = glyco_syn_G4(gj, mol);
    const bool ai = glyco_anti_G4(gi, mol), aj = glyco_anti_G4(gj, mol);
    char c = '.';
    if ((si && sj) || (ai && aj)) {
      c = '-';
    } else if ((si && aj) || (ai && sj)) {
      populate_one_base_pair(gi, gj, mol, p);
      const std::string tail = own_class_tail(p);
      const char wm = si ? 'n' : 'w', mw = si ? 'w' : 'n';
      c = tail == "W+M" ? wm : tail == "M+W" ? mw : '.';
    }
    t.groove[static_cast<size_t>(i - 1)] = c;
    t.groove_PP[static_cast<size_t>(i)] = dist_atoms(mol.nt_infos[gi].P, mol.nt_infos[gj].P, mol);
  }
}

void derive_one_specific_frame(gtetrad& t, struct_mol& mol) {
  std::vector<xyz> c1(5), square(5);
  xyz mean{0, 0, 0, 0};
  for (long i = 1; i <= 4; ++i) {
    const long a = mol.nt_infos[t.nts[i]].C1p;
    if (a > 0) c1[static_cast<size_t>(i)] = mol.atoms[a].xyz;
    for (int k = 1; k <= 3; ++k) mean[k] += c1[static_cast<size_t>(i)][k] / 4.0;
  }
  frame set_frame;
  get_cnts_frame(mol, t.nts, set_frame);
  const xyz& z = set_frame.z_axis;
  xyz org = set_frame.org;
  if (Gvars.g4[8]) {
    org = mean;
  } else if (!Gvars.g4[7]) {
    ave_xyz(mean, set_frame.org, org);
  }
  const double h = GTETRAD_SQUARE_HALF;
  if (Gvars.g4[14]) {
    square[1] = {0, -h, -h, 0}, square[2] = {0, h, -h, 0}, square[3] = {0, h, h, 0}, square[4] = {0, -h, h, 0};
  } else {
    square[1] = {0, -h, h, 0}, square[2] = {0, -h, -h, 0}, square[3] = {0, h, -h, 0}, square[4] = {0, h, h, 0};
  }
  rotmat R{};
  xyz fit_org{};
  t.rmsd = ls_fitting(square, c1, 4, nullptr, &fit_org, &R);
  xyz rz{0, R[1][3], R[2][3], R[3][3]};
  if (opposite_direction(rz, z)) {
    reverse_y_z_rotmat(R);
    rz = {0, R[1][3], R[2][3], R[3][3]};
  }
  xyz axis;
  cross_xyz(rz, z, axis);
  const double angle = get_vector_angle(rz, z, axis);
  rotmat turn{}, out{};
  rot_arb_axis(axis, angle, turn);
  multiply_matrix_3x3(turn, R, out);
  fillout_frame_from_oR(org, out, t.f);
  t.f.type = FRAME_GTETRAD;
}

void derive_one_Gtetrad_parameters(gtetrad& t, struct_mol& mol) {
  t.planarity = nts_list_planarity(t.nts, mol);
  derive_simple_parameters(t, mol);
  std::array<double, 5> b{}, p{};
  for (size_t i = 1; i <= 4; ++i) {
    b[i] = t.simple_pars[i][4];
    p[i] = t.simple_pars[i][5];
  }
  t.shape = get_Gtetrad_shape(t.planarity, b, p);
  t.direction = get_Gtetrad_orientation(t, mol);
  if ((t.direction[0] == 'W' || t.direction[0] == 'M')) {
    bool same = true;
    for (long i = 2; i <= 4; ++i) same = same && with_same_model_chain(t.nts[1], t.nts[i], mol);
    if (same) t.topo_class = get_ONZ_class({0, t.nts[1], t.nts[2], t.nts[3], t.nts[4]}, t.direction);
  }
  for (long i = 1; i <= 4; ++i) {
    const long g = t.nts[i];
    const size_t k = static_cast<size_t>(i - 1);
    t.glyco[k] = glyco_syn_G4(g, mol) ? 's' : glyco_anti_G4(g, mol) ? '-' : '.';
    const std::string& pucker = mol.nt_infos[g].puckering;
    t.sugar[k] = pucker.find('2') != std::string::npos ? '-' : pucker.find('3') != std::string::npos ? '3' : '.';
  }
  derive_grooves(t, mol);
  derive_one_specific_frame(t, mol);
}

}  // namespace vask
