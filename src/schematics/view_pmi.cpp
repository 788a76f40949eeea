// Principal-axis views of a structure.
#include "schematics/view_pmi.hpp"

#include <cmath>
#include <vector>

#include "pairing/frame.hpp"
#include "structure/struct_mol.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/pdb_output.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/linear_algebra.hpp"
#include "support/fitting.hpp"
#include "support/bp_step_params.hpp"
#include "support/rotation.hpp"
#include "support/log.hpp"
#include "support/number.hpp"
#include "support/option_value.hpp"
#include "support/arrays.hpp"
#include "support/json_writer.hpp"
#include "support/frame_file.hpp"

namespace vask {

namespace {

bool atom_in_view(long i, const struct_mol& mol, long code) {
  if (code & 4) return true;
  const long r = mol.atoms[i].residue;
  return ((code & 1) && is_nt(r, mol)) || ((code & 2) && is_aa(r, mol));
}

// The frame the views start from: the first nucleotide's base frame, else a
// frame through the first atoms.
frame starting_frame(const struct_mol& mol) {
  frame f;
  set_identity_frame(f);
  if (mol.num_nts > 0) {
    if (mol.nt_order.size() > 1)
      if (const frame* b = base_frame(mol.nt_order[1], mol)) f = *b;
  } else {
    derive_frame_by_first_pdb_atoms(mol, f);
  }
  return f;
}

void times(rotmat& R, void (*rot)(double, rotmat&), double angle) {
  rotmat t, out;
  rot(angle, t);
  multiply_matrix_3x3(R, t, out);
  R = out;
}

// The axes of a frame carried by the rotation R (frame axes in R's terms).
void frame_in(const rotmat& R, const frame& f, xyz& x, xyz& y) {
  multiply_vec_matrix_by3(f.x_axis, R, x);
  multiply_vec_matrix_by3(f.y_axis, R, y);
}

}  // namespace

void output_one_view(const std::string& name, const frame& f, long i, long j, long k, struct_mol& mol) {
  rotmat R, V;
  xyz o;
  fillout_oR_from_frame(f, o, R);
  const long order[4] = {0, i, j, k};
  for (long r = 1; r <= 3; ++r)
    for (long c = 1; c <= 3; ++c) V[r][c] = R[r][order[c]];
  std::vector<xyz> saved;
  copy_pdb_xyz(mol, saved);
  for (long a = 1; a <= mol.num_atoms; ++a) project_xyz_by_oR(o, V, saved[a], mol.atoms[a].xyz);
  renumber_atom(mol);
  write_struct_mol(mol, name_pdbcif_outfile(name), true);
  copy_xyz_pdb(saved, mol);
}

void write_view_pmi_file(struct_mol& mol, const std::string& file, long view_code) {
  const frame ref = starting_frame(mol);
  std::vector<xyz> pts(1);
  for (long a = 1; a <= mol.num_atoms; ++a) {
    if (!atom_in_view(a, mol, view_code)) continue;
    xyz p;
    project_xyz_by_frame(ref, mol.atoms[a].xyz, p);
    pts.push_back(p);
  }
  const long n = static_cast<long>(pts.size()) - 1;
  if (n <= 2) {
    runlog_msg("[w] %ld atoms selected: keep coordinates as is.\n", n);
    write_struct_mol(mol, file);
    return;
  }
  rotmat C, V, R;
  xyz ev, mean{};
  cov_matrix_xyz(pts, pts, n, C);
  laa_jacobi_3x3(C, ev, V);
  const xyz e1 = rotmat_column(V, 1), e2 = rotmat_column(V, 2);
  xyz e3;
  cross_xyz(e1, e2, e3);
  axes_to_rotmat(e2, e3, e1, R);  // smallest spread along z, largest along y
  if (R[1][1] < 0) times(R, roty, 180);
  if (R[2][2] < 0) times(R, rotx, 180);
  for (long k = 1; k <= n; ++k) sum_xyz(mean, pts[k], mean);
  scalar_times_xyz(mean, 1.0 / static_cast<double>(n), mean);

  // Which way is up: the first nucleotide's base frame (or the first atoms'
  // frame) in the new orientation; no frame to go by, no flip.
  frame check;
  bool have_check = false;
  if (mol.num_nts > 0 && mol.nt_order.size() > 1) {
    if (const frame* b = base_frame(mol.nt_order[1], mol)) {
      frame local;
      set_first_as_reference_by_frame(ref, *b, local);
      check = local;
      have_check = true;
    }
  } else if (mol.num_atoms >= 3) {
    derive_frame_by_first_pdb_atoms(mol, check);
    set_first_as_reference_by_frame(ref, frame(check), check);
    have_check = true;
  }
  if (have_check) {
    xyz x, y;
    frame_in(R, check, x, y);
    const double x1 = x[1], x2 = x[2], y1 = y[1], y2 = y[2];
    if ((std::fabs(x2) > std::fabs(x1) && x2 < 0) || (std::fabs(y2) > std::fabs(y1) && y2 > 0)) {
      times(R, rotx, 180);
      prglog_msg("[i] flipped VERTICALLY by a 180-degree rotation around X\n");
    }
    if ((std::fabs(y1) > std::fabs(y2) && y1 > 0) || (std::fabs(x1) > std::fabs(x2) && x1 < 0)) {
      times(R, roty, 180);
      prglog_msg("[i] flipped HORIZONTALLY by a 180-degree rotation around Y\n");
    }
  }
  frame orient, final_frame;
  fillout_frame_from_oR(mean, R, orient);
  combine_frames(ref, orient, final_frame);
  output_one_view("viewV", final_frame, 1, 2, 3, mol);
  output_one_view("viewH", final_frame, 2, 3, 1, mol);
  output_one_view("viewT", final_frame, 3, 1, 2, mol);
  copy_file(name_pdbcif_outfile("viewV"), file);
  write_frame_file0(final_frame);
}

}  // namespace vask
