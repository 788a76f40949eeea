// Numerical geometry: dense linear algebra (LU, inverse, determinant, Jacobi
// eigen-decomposition, SVD), least-squares superposition (QCP) and planes,
// point-set statistics, and the base-pair, step and helical parameters.
//
// Matrices are 1-based dmatrix_t (m[row][col]); 3x3 matrices are rotmat with
// the frame axes as columns. Point sets are 1-based std::vector<xyz> (slot 0
// unused) with the count n passed separately, so a caller may keep one buffer
// of the largest size and reuse it call after call; two sets passed to a fit
// correspond row by row. Angles in degrees, distances in Angstrom.
#pragma once

#include <array>
#include <vector>

#include "support/common.hpp"
#include "support/utility.hpp"

namespace vask {

// ---------------------------------------------------------------------------
// Linear algebra

// In place Crout LU with scaled partial pivoting: a holds its factors, indx
// (1..n) the pivot rows, d the parity. A row whose largest element is <= 1e-8
// ends the run ("laa_ludcmp(): singular matrix\n").
void laa_ludcmp(dmatrix_t& a, long n, std::vector<long>& indx, double& d);
void real_matrix_inverse(dmatrix_t& a, long n, dmatrix_t& inv);  // a is destroyed
// Determinant through LU of a copy; 0.0 for a matrix with an (almost) zero row.
double get_matrix_determinant(const dmatrix_t& a, long n);
double get_matrix_trace(const dmatrix_t& a, long n);  // 0.0 for n < 1
// Closed-form determinants of small matrices (no pivoting, never fail).
double det_3x3(const rotmat& a);
double det_4x4(const std::array<std::array<double, 5>, 5>& a);  // 1-based

// Cyclic Jacobi of a symmetric matrix (off-diagonal elements of a are
// destroyed): eigenvalues d ascending, eigenvectors the columns of v. More
// than 6000 sweeps end the run.
void laa_jacobi(dmatrix_t& a, long n, std::vector<double>& d, dmatrix_t& v);
void laa_jacobi_3x3(rotmat& a, xyz& d, rotmat& v);

// a (m x n) = U diag(w) V': a is replaced by U.
void laa_svdcmp(dmatrix_t& a, long m, long n, std::vector<double>& w, dmatrix_t& v);
double laa_pythag(double a, double b);          // sqrt(a^2 + b^2) without overflow
void laa_svdzwi(std::vector<double>& w, long n);  // zero every w_j below 1e-8 max(w)
void laa_svbksb(const dmatrix_t& u, const std::vector<double>& w, const dmatrix_t& v, long m, long n,
                const std::vector<double>& b, std::vector<double>& x);
void solve_lin_equ(const dmatrix_t& a, long n, const std::vector<double>& b, std::vector<double>& x);

// ---------------------------------------------------------------------------
// Least-squares superposition and planes

// Superposes the moving set onto the target set (QCP): returns the RMSD, or
// -1.0 for n < 3 (outputs untouched). rot (R) maps the centred moving set onto
// the centred target set, origin = target centroid - R moving centroid, and
// fitted_k = R moving_k + origin; each output may be null.
double QCProt_ls_fitting(const std::vector<xyz>& moving, const std::vector<xyz>& target, long n,
                         std::vector<xyz>* fitted, xyz* origin, rotmat* rot);
inline double ls_fitting(const std::vector<xyz>& moving, const std::vector<xyz>& target, long n,
                         std::vector<xyz>* fitted, xyz* origin, rotmat* rot) {
  return QCProt_ls_fitting(moving, target, n, fitted, origin, rot);
}
// The same superposition through the Jacobi eigenvectors of the key matrix
// built from the covariance matrix (a cross-check of the QCP route).
double VASK_ls_fitting(const std::vector<xyz>& moving, const std::vector<xyz>& target, long n,
                       std::vector<xyz>* fitted, xyz* origin, rotmat* rot);
double lsfit_rmsd(const std::vector<xyz>& moving, const std::vector<xyz>& target, long n);
double lsfit_coordinates(const std::vector<xyz>& moving, const std::vector<xyz>& target, long n,
                         std::vector<xyz>& fitted);

// Covariance of columns 1..m of two n-row matrices: (sum a_i b_j - n mean(a_i) mean(b_j)) / (n - 1).
void cov_matrix(const dmatrix_t& a, const dmatrix_t& b, long n, long m, dmatrix_t& out);
void cov_matrix_xyz(const std::vector<xyz>& a, const std::vector<xyz>& b, long n, rotmat& out);

// Least-squares plane: unit normal with z >= 0, centroid, and (when dev is
// non-null) the signed distance of each point (dev 1..n). Returns
// d = centroid . normal. n < 3 ends the run.
double ls_plane(long n, const std::vector<xyz>& pts, xyz& normal, xyz& centroid, std::vector<double>* dev);
// -1.0 for n < 3, 0.0 for n == 3, else the root of the smallest covariance eigenvalue.
double get_planarity(long n, const std::vector<xyz>& pts);
// out_k = p_k - ((p_k - point).normal) normal
void project_xyz_to_plane(long n, const std::vector<xyz>& pts, const xyz& point, const xyz& normal,
                          std::vector<xyz>& out);
// Weighted radius of gyration (weights 1-based); n >= 1.
double get_radius_of_gyration(long n, const std::vector<xyz>& pts, const std::vector<double>& weights);
// det(S_AB) / (sqrt(det S_AA) sqrt(det S_BB)) of two packed 0-based sets (3
// doubles per point); DBL_MAX (unset) when either set is planar or degenerate.
double get_BCScore(const std::vector<double>& a, const std::vector<double>& b, long n);

// ---------------------------------------------------------------------------
// Base-pair, step and helical parameters. A parameter set is 1-based:
//   step:    Shift Slide Rise   Tilt   Roll      Twist
//   pair:    Shear Stretch Stagger Buckle Propeller Opening
//   helical: X-disp Y-disp h-Rise Incl. Tip       h-Twist

using par_set = std::array<double, 7>;

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
