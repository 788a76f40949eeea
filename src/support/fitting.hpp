// Least-squares superposition of point sets (QCP), least-squares planes and
// point-set statistics. Point sets are 1-based std::vector<xyz> (slot 0
// unused) with the count n passed separately, so a caller may keep one buffer
// of the largest size and reuse it; two sets passed to a fit correspond row
// by row.
#pragma once

#include <vector>

#include "support/arrays.hpp"
#include "support/vector3.hpp"

namespace vask {

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

}  // namespace vask
