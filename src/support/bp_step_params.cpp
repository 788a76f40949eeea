// Base-pair, step and helical parameters: see bp_step_params.hpp.
#include "support/bp_step_params.hpp"

#include <cfloat>
#include <cmath>

#include "support/linear_algebra.hpp"
#include "support/quaternion.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"

namespace vask {

// Base-pair, step and helical parameters

namespace {

void fill_frame(const xyz& o, const rotmat& R, frame& f) {
  f.org = o;
  f.x_axis = rotmat_column(R, 1);
  f.y_axis = rotmat_column(R, 2);
  f.z_axis = rotmat_column(R, 3);
  qtn_from_rotmat(R, f.qtn);
}

// R = Rot(axis, angle) . M
void turn_matrix(const xyz& axis, double angle, const rotmat& M, rotmat& R) {
  xyz a = axis;
  rotmat T;
  rot_arb_axis(a, angle, T);
  multiply_matrix_3x3(T, M, R);
}

rotmat product(std::initializer_list<rotmat> ms) {
  rotmat R;
  identity_matrix(R);
  for (const rotmat& m : ms) {
    rotmat t;
    multiply_matrix_3x3(R, m, t);
    R = t;
  }
  return R;
}

rotmat Rz(double a) {
  rotmat R;
  rotz(a, R);
  return R;
}

rotmat Ry(double a) {
  rotmat R;
  roty(a, R);
  return R;
}

}  // namespace

void get_step_pars(const rotmat& rot1, const xyz& org1, const rotmat& rot2, const xyz& org2, par_set& pars,
                   rotmat& mid_rot, xyz& mid_org) {
  const xyz z1 = rotmat_column(rot1, 3), z2 = rotmat_column(rot2, 3);
  xyz hinge;
  cross_xyz(z1, z2, hinge);
  const double gamma = get_vector_angle(z1, z2, hinge);
  if (length_xyz(hinge) < 1e-8)
    for (long i = 1; i <= 3; ++i) hinge[i] = rot1[i][1] + rot2[i][1] + rot1[i][2] + rot2[i][2];

  rotmat r1, r2;
  turn_matrix(hinge, -gamma / 2.0, rot2, r2);
  turn_matrix(hinge, gamma / 2.0, rot1, r1);
  xyz mz = rotmat_column(r2, 3);
  const xyz y1 = rotmat_column(r1, 2), y2 = rotmat_column(r2, 2);

  double twist = get_vector_angle(y1, y2, mz);
  if (twist < Gvars.opening) twist += 360.0;
  pars[6] = twist;

  xyz my, mx;
  get_vector(y1, mz, twist / 2.0, my);
  cross_xyz(my, mz, mx);
  axes_to_rotmat(mx, my, mz, mid_rot);

  ave_xyz(org1, org2, mid_org);
  xyz d;
  diff_xyz(org1, org2, d);
  pars[1] = dot_xyz(d, mx);
  pars[2] = dot_xyz(d, my);
  pars[3] = dot_xyz(d, mz);

  const double phi = deg2rad(get_vector_angle(hinge, my, mz));
  pars[5] = gamma * std::cos(phi);
  pars[4] = gamma * std::sin(phi);
}

void get_bp_pars(const rotmat& rot1, const xyz& org1, const rotmat& rot2, const xyz& org2, par_set& pars,
                 rotmat& mid_rot, xyz& mid_org) {
  get_step_pars(rot2, org2, rot1, org1, pars, mid_rot, mid_org);
}

void get_helical_pars(const rotmat& rot1, const xyz& org1, const rotmat& rot2, const xyz& org2, par_set& pars,
                      rotmat& mid_rot, xyz& mid_org) {
  xyz dx, dy, axis;
  diff_xyz(rotmat_column(rot1, 1), rotmat_column(rot2, 1), dx);
  diff_xyz(rotmat_column(rot1, 2), rotmat_column(rot2, 2), dy);
  cross_xyz(dx, dy, axis);
  if (length_xyz(axis) < 1e-6)
    set_zaxis(axis);
  else
    norm_xyz(axis);

  const rotmat* rots[3] = {nullptr, &rot1, &rot2};
  rotmat rh[3];
  double tipinc[3] = {0, 0, 0};
  for (long k = 1; k <= 2; ++k) {
    const xyz zk = rotmat_column(*rots[k], 3);
    xyz hinge;
    cross_xyz(zk, axis, hinge);
    tipinc[k] = get_vector_angle(zk, axis, hinge);
    turn_matrix(hinge, tipinc[k], *rots[k], rh[k]);
  }
  const xyz x1h = rotmat_column(rh[1], 1), y1h = rotmat_column(rh[1], 2);
  xyz mx, my;
  sum_norm_xyz(x1h, rotmat_column(rh[2], 1), mx);
  sum_norm_xyz(y1h, rotmat_column(rh[2], 2), my);
  axes_to_rotmat(mx, my, axis, mid_rot);

  xyz ax = axis;
  const double htwist = get_vector_angle(y1h, rotmat_column(rh[2], 2), ax);
  pars[6] = htwist;
  xyz d;
  diff_xyz(org1, org2, d);
  const double hrise = dot_xyz(d, axis);
  pars[3] = hrise;

  xyz az1;
  cross_xyz(axis, rotmat_column(rot1, 3), az1);
  const double phi = deg2rad(get_vector_angle(az1, y1h, ax));
  pars[4] = tipinc[1] * std::sin(phi);
  pars[5] = tipinc[1] * std::cos(phi);

  xyz t, o1, o2;
  move_xyz(d, axis, -hrise, t);
  if (std::fabs(htwist) < 0.05) {
    move_xyz(org1, t, 0.5, o1);
  } else {
    xyz u;
    get_vector(t, ax, 90.0 - htwist / 2.0, u);
    const double m = 0.5 * length_xyz(t) / std::sin(deg2rad(htwist / 2.0));
    move_xyz(org1, u, m, o1);
  }
  move_xyz(o1, axis, hrise, o2);
  ave_xyz(o1, o2, mid_org);

  xyz e;
  diff_xyz(o1, org1, e);
  pars[1] = dot_xyz(e, x1h);
  pars[2] = dot_xyz(e, y1h);
}

void rebuild_by_step_pars(const par_set& pars, rotmat& rot, xyz& org, rotmat& mid_rot, xyz& mid_org) {
  const xyz tr{0, pars[4], pars[5], 0};
  xyz zaxis{0, 0, 0, 1};
  const double gamma = length_xyz(tr);
  const double phi = get_vector_angle(tr, {0, 0, 1, 0}, zaxis);
  const double tw = pars[6];
  rot = product({Rz(tw / 2.0 - phi), Ry(gamma), Rz(tw / 2.0 + phi)});
  mid_rot = product({Rz(tw / 2.0 - phi), Ry(gamma / 2.0), Rz(phi)});
  multiply_vec_transposed_matrix_by3({0, pars[1], pars[2], pars[3]}, mid_rot, org);
  scalar_times_xyz(org, 0.5, mid_org);
}

void rebuild_by_heli_pars(const par_set& pars, rotmat& rot, xyz& org, rotmat& mid_rot, xyz& mid_org) {
  const xyz it{0, pars[4], pars[5], 0};
  xyz zaxis{0, 0, 0, 1};
  const double gamma = length_xyz(it);
  const double phi = get_vector_angle(it, {0, 0, 1, 0}, zaxis);
  const double W = std::fabs(pars[6]) < 0.05 ? 0.05 : pars[6];  // keeps the helix radius finite
  const rotmat H = product({Rz(-phi), Ry(-gamma), Rz(phi)});
  const rotmat H2 = product({H, Rz(W)});
  rot = product({Rz(-phi), Ry(-gamma), Rz(W), Ry(gamma), Rz(phi)});
  mid_rot = product({H, Rz(W / 2.0)});
  const double xd = pars[1], yd = pars[2], hrise = pars[3];
  for (long i = 1; i <= 3; ++i) {
    org[i] = xd * (H2[i][1] - H[i][1]) + yd * (H2[i][2] - H[i][2]) + hrise * H[i][3];
    mid_org[i] = -xd * H[i][1] - yd * H[i][2] + hrise / 2.0 * H[i][3];
  }
}

// ---------------------------------------------------------------------------
// Frame-record wrappers

namespace {

void extract(const frame& f, xyz& o, rotmat& R) {
  o = f.org;
  axes_to_rotmat(f.x_axis, f.y_axis, f.z_axis, R);
}

// Frame 2 with y and z negated when the z axes point apart.
void extract_pair(const frame& f1, const frame& f2, bool flip, xyz& o1, rotmat& R1, xyz& o2, rotmat& R2) {
  extract(f1, o1, R1);
  extract(f2, o2, R2);
  if (flip && !plus_frames(f1, f2)) reverse_y_z_rotmat(R2);
}

enum class kind { step, bp, helical };

void pars_by_frames(const frame& f1, const frame& f2, bool flip, kind k, par_set& pars, rotmat& mid_rot,
                    xyz& mid_org) {
  xyz o1, o2;
  rotmat R1, R2;
  extract_pair(f1, f2, flip, o1, R1, o2, R2);
  if (k == kind::step)
    get_step_pars(R1, o1, R2, o2, pars, mid_rot, mid_org);
  else if (k == kind::bp)
    get_bp_pars(R1, o1, R2, o2, pars, mid_rot, mid_org);
  else
    get_helical_pars(R1, o1, R2, o2, pars, mid_rot, mid_org);
}

void mid_frame_by_frames(const frame& f1, const frame& f2, bool flip, kind k, par_set& pars, frame* mid_frame) {
  rotmat mid_rot{};
  xyz mid_org{};  // slot 0 is copied into the frame too
  pars_by_frames(f1, f2, flip, k, pars, mid_rot, mid_org);
  if (mid_frame != nullptr) fill_frame(mid_org, mid_rot, *mid_frame);
}

}  // namespace

void get_rot1_rot2(const frame& f1, const frame& f2, xyz& org1, rotmat& rot1, xyz& org2, rotmat& rot2) {
  extract_pair(f1, f2, true, org1, rot1, org2, rot2);
}

void get_step_pars_by_frames(const frame& f1, const frame& f2, par_set& pars, rotmat& mid_rot, xyz& mid_org) {
  pars_by_frames(f1, f2, true, kind::step, pars, mid_rot, mid_org);
}

void get_step_pars_by_frames0(const frame& f1, const frame& f2, par_set& pars, frame* mid_frame) {
  mid_frame_by_frames(f1, f2, false, kind::step, pars, mid_frame);
}

void get_step_pars_only_by_frames(const frame& f1, const frame& f2, par_set& pars) {
  mid_frame_by_frames(f1, f2, true, kind::step, pars, nullptr);
}

void get_bp_pars_by_frames(const frame& f1, const frame& f2, par_set& pars, rotmat& mid_rot, xyz& mid_org) {
  pars_by_frames(f1, f2, true, kind::bp, pars, mid_rot, mid_org);
}

void get_bp_pars_only_by_frames(const frame& f1, const frame& f2, par_set& pars) {
  mid_frame_by_frames(f1, f2, true, kind::bp, pars, nullptr);
}

void get_middle_step_frame(const frame& f1, const frame& f2, frame& mid_frame) {
  par_set pars;
  mid_frame_by_frames(f1, f2, true, kind::step, pars, &mid_frame);
}

void get_middle_bp_frame(const frame& f1, const frame& f2, frame& mid_frame) {
  par_set pars;
  mid_frame_by_frames(f1, f2, true, kind::bp, pars, &mid_frame);
}

void get_helical_pars_by_frames(const frame& f1, const frame& f2, par_set& pars, rotmat& mid_rot, xyz& mid_org) {
  pars_by_frames(f1, f2, true, kind::helical, pars, mid_rot, mid_org);
}

void get_helical_pars_by_frames0(const frame& f1, const frame& f2, par_set& pars, frame* mid_frame) {
  mid_frame_by_frames(f1, f2, false, kind::helical, pars, mid_frame);
}

void get_middle_helical_frame(const frame& f1, const frame& f2, frame& mid_frame) {
  par_set pars;
  mid_frame_by_frames(f1, f2, true, kind::helical, pars, &mid_frame);
}

void get_helix_by_frames(const frame& f1, const frame& f2, xyz& axis) {
  xyz dx, dy;
  diff_xyz(f1.x_axis, f2.x_axis, dx);
  diff_xyz(f1.y_axis, f2.y_axis, dy);
  cross_xyz(dx, dy, axis);
  if (length_xyz(axis) < 1e-6)
    set_zaxis(axis);
  else
    norm_xyz(axis);
}

}  // namespace vask
