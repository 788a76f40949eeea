// Dense linear algebra on 1-based matrices: products, transposes, LU,
// inverse, determinants, Jacobi eigen-decomposition and SVD. Matrices are
// dmatrix_t (m[row][col]); 3x3 matrices are rotmat.
#pragma once

#include <array>
#include <vector>

#include "support/arrays.hpp"
#include "support/rotation.hpp"
#include "support/vector3.hpp"

namespace vask {

// General 1-based matrices; out is (re)sized by the routine.
void multiply_matrix(const dmatrix_t& a, long nra, long nca, const dmatrix_t& b, long nrb, long ncb, dmatrix_t& out);
void multiply_matrix_vec(const dmatrix_t& a, long nr, long nc, const std::vector<double>& v, long n,
                         std::vector<double>& out);
void multiply_vec_matrix(const std::vector<double>& v, long n, const dmatrix_t& a, long nr, long nc,
                         std::vector<double>& out);
void transpose_matrix(const dmatrix_t& a, long nr, long nc, dmatrix_t& out);
void identity_matrix(dmatrix_t& m, long n);
void copy_dmatrix_Nx3(const std::vector<xyz>& src, long n, std::vector<xyz>& dst);
void copy_dmatrix(const dmatrix_t& src, long rlo, long rhi, long clo, long chi, dmatrix_t& dst);
void copy_lmatrix(const lmatrix_t& src, long rlo, long rhi, long clo, long chi, lmatrix_t& dst);
void move_position(dmatrix_t& m, long nr, long nc, const std::vector<double>& p);  // m[i][j] -= p[j]
void move_to_center(std::vector<xyz>& pts, long n);  // subtract the centroid; n = 0 is fatal

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

}  // namespace vask
