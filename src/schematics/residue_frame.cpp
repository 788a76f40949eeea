// The frame option's task: a structure in a residue's frame.
#include "schematics/residue_frame.hpp"

#include <array>

#include "motifs/gtetrad.hpp"
#include "pairing/frame.hpp"
#include "pairing/pair.hpp"
#include "pairing/splay.hpp"
#include "structure/pdb_output.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/struct_mol.hpp"
#include "support/arrays.hpp"
#include "support/bp_step_params.hpp"
#include "support/error.hpp"
#include "support/fitting.hpp"
#include "support/frame_file.hpp"
#include "support/json_writer.hpp"
#include "support/linear_algebra.hpp"
#include "support/log.hpp"
#include "support/number.hpp"
#include "support/option_value.hpp"
#include "support/rotation.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

bool residue_matches(const residue& r, const frame_spec& s) {
  if (s.model != -1 && r.model != s.model) return false;
  if (s.chain != "*" && trimmed(r.chain_id) != trimmed(s.chain)) return false;
  if (!s.name.starts_with("*") && r.name != s.name) return false;
  if (r.res_seq != s.number) return false;
  return s.icode == '*' || r.icode == s.icode;
}

const frame& residue_frame_of_type(const struct_mol& mol, long k, int type) {
  const long idx = mol.residues[k].frames[static_cast<size_t>(type)];
  if (idx == -1) fatal("[e] no '%s' frame defined for '%s'\n", get_frame_type(type), mol.residues[k].idstr.c_str());
  return mol.frames[idx];
}

// R := R x rotations about the frame's own axes, in order.
void turn_view(long view, frame& f) {
  if (view == 0) return;
  xyz o;
  rotmat R, t, out;
  fillout_oR_from_frame(f, o, R);
  auto times = [&](void (*rot)(double, rotmat&), double angle) {
    rot(angle, t);
    multiply_matrix_3x3(R, t, out);
    R = out;
  };
  if (view == 1) runlog_msg("[i]\tminor-groove edge\n");
  if (view == 2) runlog_msg("[i]\tMAJOR-groove edge\n");
  if (view == 90) runlog_msg("[i]\trotate 90 by z-axis\n");
  times(rotz, -90);
  if (view != 90) times(rotx, 90);
  if (view == 2) times(roty, 180);
  fillout_frame_from_oR(o, R, f);
}

// The frame of the G-tetrad the residue's best pair belongs to: the pair, the
// tetrad test and the cyclic order must all hold.
bool gtetrad_frame_of(struct_mol& mol, long k, frame& f) {
  const long partner = mol.residues[k].flag[rf::bestpair];
  if (partner <= 0) return false;
  pair p;
  populate_one_base_pair(k, partner, mol, p);
  connect tetrad;
  if (!tetrad_like_G4pair(p, mol, &tetrad) || tetrad.count != 4) return false;
  std::array<long, 5> order{1, tetrad[1], tetrad[2], tetrad[3], tetrad[4]};
  if (!order_Gtetrad(order, mol)) return false;
  connect ordered;
  for (size_t i = 1; i <= 4; ++i) add_one_item_to_connect_simple(order[i], ordered, "", mol.warned.connects);
  get_Gtetrad_frame(mol, ordered, f);
  return true;
}

}  // namespace

long get_matched_frame(struct_mol& mol, const frame_spec& spec, frame& f) {
  long match = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_ntaa(k, mol) || !residue_matches(mol.residues[k], spec)) continue;
    if (match != 0) fatal("[e] more than one matched residue for option --frame\n");
    match = k;
  }
  if (match == 0) fatal("[e] no matched residue for option --frame\n");
  const residue& r = mol.residues[match];
  int type = spec.frame_type;
  if (type == FRAME_BESTPAIR) {
    const long partner = r.flag[rf::bestpair];
    if (partner > 0) {
      pair p;
      populate_one_base_pair(match, partner, mol, p);
      f = p.frame;
    } else {
      runlog_msg("[i] '%s' does not form a pair: use BASE frame instead\n", r.idstr.c_str());
      type = FRAME_BASE;
    }
  } else if (type == FRAME_GTETRAD) {
    if (gtetrad_frame_of(mol, match, f)) {
      runlog_msg("[i] frame '%s' of residue '%s'\n", get_frame_type(FRAME_GTETRAD), r.idstr.c_str());
      return match;
    }
    runlog_msg("[i] '%s' not in a G-tetrad: use BASE frame instead\n", r.idstr.c_str());
    type = FRAME_BASE;
  }
  if (type != FRAME_BESTPAIR) f = residue_frame_of_type(mol, match, type);
  runlog_msg("[i] frame '%s' of residue '%s'\n", get_frame_type(type), r.idstr.c_str());
  return match;
}

void reset_coords_by_frame(struct_mol& mol, const std::string& file) {
  long n = 0;
  std::vector<pair> pairs = populate_base_pairs(mol, n);
  tidyup_and_mark_pairs(n, pairs, mol);  // best-pair partners onto the residues
  free_pairs(pairs);
  const frame_spec& s1 = Gvars.frame_opt[0];
  frame f;
  get_matched_frame(mol, s1, f);
  long view = s1.view;
  if (Gvars.frame_two != 0) {
    const frame_spec& s2 = Gvars.frame_opt[1];
    frame f2;
    get_matched_frame(mol, s2, f2);
    if (view == 0) view = s2.view;
    check_frames_direction(f, f2);
    frame mid;
    if (Gvars.frame_two == 2) {
      runlog_msg("[i]\tin middle helical reference frame\n");
      get_middle_helical_frame(f, f2, mid);
    } else {
      runlog_msg("[i]\tin middle step reference frame\n");
      get_middle_step_frame(f, f2, mid);
    }
    f.org = mid.org;
    f.x_axis = mid.x_axis;
    f.y_axis = mid.y_axis;
    f.z_axis = mid.z_axis;
  }
  turn_view(view, f);
  write_frame_file0(f);
  write_mol_by_frame(&f, 0, mol, file);
}

}  // namespace vask
