// Base-pair, step and helical parameters. A parameter set is 1-based:
//   step:    Shift Slide Rise   Tilt   Roll      Twist
//   pair:    Shear Stretch Stagger Buckle Propeller Opening
//   helical: X-disp Y-disp h-Rise Incl. Tip       h-Twist
#pragma once

#include <array>
#include <cfloat>

#include "support/ref_frame.hpp"
#include "support/vector3.hpp"

namespace vask {

using par_set = std::array<double, 7>;
// Every value unset (DBL_MAX).
inline par_set unset_par_set() {
  par_set p{};
  p.fill(DBL_MAX);
  return p;
}

// Step parameters of frame 2 relative to frame 1 and the mid-step frame. A
// Twist below the Opening limit setting (Gvars.opening) gets 360 added.
void get_step_pars(const rotmat& rot1, const xyz& org1, const rotmat& rot2, const xyz& org2, par_set& pars,
                   rotmat& mid_rot, xyz& mid_org);
// get_step_pars with the frames swapped: base-pair parameters and mid-pair frame.
void get_bp_pars(const rotmat& rot1, const xyz& org1, const rotmat& rot2, const xyz& org2, par_set& pars,
                 rotmat& mid_rot, xyz& mid_org);
void get_helical_pars(const rotmat& rot1, const xyz& org1, const rotmat& rot2, const xyz& org2, par_set& pars,
                      rotmat& mid_rot, xyz& mid_org);
// Frame 2 (and the middle frame) when frame 1 is the identity at the origin.
void rebuild_by_step_pars(const par_set& pars, rotmat& rot, xyz& org, rotmat& mid_rot, xyz& mid_org);
void rebuild_by_heli_pars(const par_set& pars, rotmat& rot, xyz& org, rotmat& mid_rot, xyz& mid_org);

// Frame-record wrappers. Unless the name ends in 0, frame 2 is taken with its
// y and z axes negated when z1.z2 < 0 (the records are not changed). Middle
// frames written into a record get its origin, axes and quaternion.
void get_rot1_rot2(const frame& f1, const frame& f2, xyz& org1, rotmat& rot1, xyz& org2, rotmat& rot2);
void get_step_pars_by_frames(const frame& f1, const frame& f2, par_set& pars, rotmat& mid_rot, xyz& mid_org);
void get_step_pars_by_frames0(const frame& f1, const frame& f2, par_set& pars, frame* mid_frame);
void get_step_pars_only_by_frames(const frame& f1, const frame& f2, par_set& pars);
void get_bp_pars_by_frames(const frame& f1, const frame& f2, par_set& pars, rotmat& mid_rot, xyz& mid_org);
void get_bp_pars_only_by_frames(const frame& f1, const frame& f2, par_set& pars);
void get_middle_step_frame(const frame& f1, const frame& f2, frame& mid_frame);
void get_middle_bp_frame(const frame& f1, const frame& f2, frame& mid_frame);
void get_helical_pars_by_frames(const frame& f1, const frame& f2, par_set& pars, rotmat& mid_rot, xyz& mid_org);
void get_helical_pars_by_frames0(const frame& f1, const frame& f2, par_set& pars, frame* mid_frame);
void get_middle_helical_frame(const frame& f1, const frame& f2, frame& mid_frame);
void get_helix_by_frames(const frame& f1, const frame& f2, xyz& axis);  // local helix axis only

}  // namespace vask
