// Superposition, planes and point-set statistics: see fitting.hpp.
//
// The superposition is the quaternion characteristic polynomial method
// (Theobald, Acta Cryst. A61, 2005; Liu et al., J. Comput. Chem. 31, 2010).
// The fit and the BC score use closed-form 3x3 and 4x4 determinants so that
// planar or collinear point sets give a result instead of ending the run in
// the LU routine.
#include "support/fitting.hpp"

#include <cfloat>
#include <cmath>

#include "support/arrays.hpp"
#include "support/error.hpp"
#include "support/linear_algebra.hpp"
#include "support/quaternion.hpp"
#include "support/log.hpp"
#include "support/rotation.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr long QCP_MAX_STEPS = 50;

// Centroids, inner products and the correlation matrix of two centred sets.
struct qcp_input {
  xyz ca{}, cb{};
  double E0 = 0.0;
  rotmat S{};  // S[i][j] = sum a'_i b'_j
};

qcp_input qcp_prepare(const std::vector<xyz>& a, const std::vector<xyz>& b, long n) {
  qcp_input in;
  for (long k = 1; k <= n; ++k) {
    sum_xyz(in.ca, a[k], in.ca);
    sum_xyz(in.cb, b[k], in.cb);
  }
  scalar_times_xyz(in.ca, 1.0 / static_cast<double>(n), in.ca);
  scalar_times_xyz(in.cb, 1.0 / static_cast<double>(n), in.cb);
  double ga = 0.0, gb = 0.0;
  for (long k = 1; k <= n; ++k) {
    xyz pa, pb;
    diff_xyz(in.ca, a[k], pa);
    diff_xyz(in.cb, b[k], pb);
    ga += dot_xyz(pa, pa);
    gb += dot_xyz(pb, pb);
    for (long i = 1; i <= 3; ++i)
      for (long j = 1; j <= 3; ++j) in.S[i][j] += pa[i] * pb[j];
  }
  in.E0 = (ga + gb) / 2.0;
  return in;
}

using mat4 = std::array<std::array<double, 5>, 5>;

mat4 qcp_key_matrix(const rotmat& S) {
  const double Sxx = S[1][1], Sxy = S[1][2], Sxz = S[1][3];
  const double Syx = S[2][1], Syy = S[2][2], Syz = S[2][3];
  const double Szx = S[3][1], Szy = S[3][2], Szz = S[3][3];
  mat4 K{};
  K[1] = {0, Sxx + Syy + Szz, Syz - Szy, Szx - Sxz, Sxy - Syx};
  K[2] = {0, Syz - Szy, Sxx - Syy - Szz, Sxy + Syx, Szx + Sxz};
  K[3] = {0, Szx - Sxz, Sxy + Syx, Syy - Sxx - Szz, Syz + Szy};
  K[4] = {0, Sxy - Syx, Szx + Sxz, Syz + Szy, Szz - Sxx - Syy};
  return K;
}

// Largest root of the characteristic polynomial of K by Newton from E0;
// false when 50 steps do not meet the convergence test.
bool qcp_max_eigenvalue(const qcp_input& in, const mat4& K, double& lambda) {
  double c2 = 0.0;
  for (long i = 1; i <= 3; ++i)
    for (long j = 1; j <= 3; ++j) c2 += in.S[i][j] * in.S[i][j];
  c2 *= -2.0;
  const double c1 = -8.0 * det_3x3(in.S), c0 = det_4x4(K);
  lambda = in.E0;
  for (long step = 1; step <= QCP_MAX_STEPS; ++step) {
    const double l2 = lambda * lambda;
    const double p = (l2 + c2) * l2 + c1 * lambda + c0;
    const double dp = 4.0 * l2 * lambda + 2.0 * c2 * lambda + c1;
    if (dp == 0.0) return true;  // flat polynomial (all points coincide): lambda is the root
    const double delta = p / dp;
    lambda -= delta;
    if (std::fabs(delta) < std::fabs(1e-11 * lambda)) return true;
  }
  runlog_msg("[w] QCProt -- more than %ld iterations needed!\n", QCP_MAX_STEPS);
  return false;
}

// Largest eigenvalue of K and its unit eigenvector by Jacobi: the fallback
// for a double largest root (collinear sets, free to turn about their line),
// where Newton converges slowly and the adjugate vanishes.
// K is scaled to unit largest element first: Jacobi stops on an absolute
// off-diagonal sum, which would otherwise cost small sets their precision.
void qcp_jacobi(const mat4& K, double& lambda, qtn& q) {
  double big = 0.0;
  for (long i = 1; i <= 4; ++i)
    for (long j = 1; j <= 4; ++j) big = std::max(big, std::fabs(K[i][j]));
  if (big == 0.0) big = 1.0;
  dmatrix_t a(1, 4, 1, 4), v;
  for (long i = 1; i <= 4; ++i)
    for (long j = 1; j <= 4; ++j) a[i][j] = K[i][j] / big;
  std::vector<double> d;
  laa_jacobi(a, 4, d, v);
  lambda = d[4] * big;
  q = {v[1][4], v[2][4], v[3][4], v[4][4]};
}

double qcp_rmsd(double E0, double lambda, long n) {
  return std::sqrt(std::fabs(2.0 * (E0 - lambda) / static_cast<double>(n)));
}

// Unit eigenvector of K for lambda from the adjugate of K - lambda I (K is
// symmetric, so column j of the adjugate is its row j of cofactors): the
// first column whose squared norm reaches 1e-6. False when none does.
bool qcp_adjugate_vector(const mat4& K, double lambda, qtn& q) {
  mat4 M = K;
  for (long i = 1; i <= 4; ++i) M[i][i] -= lambda;
  for (long col = 1; col <= 4; ++col) {
    std::array<double, 5> v{};
    for (long i = 1; i <= 4; ++i) {
      rotmat minor{};
      for (long r = 1, mr = 1; r <= 4; ++r) {
        if (r == col) continue;
        for (long c = 1, mc = 1; c <= 4; ++c) {
          if (c == i) continue;
          minor[mr][mc++] = M[r][c];
        }
        ++mr;
      }
      v[i] = ((i + col) % 2 == 0 ? 1.0 : -1.0) * det_3x3(minor);
    }
    const double q2 = v[1] * v[1] + v[2] * v[2] + v[3] * v[3] + v[4] * v[4];
    if (q2 >= 1e-6) {
      const double len = std::sqrt(q2);
      q = {v[1] / len, v[2] / len, v[3] / len, v[4] / len};
      return true;
    }
  }
  return false;
}

// |K q - lambda q| small relative to lambda: q is an eigenvector for lambda.
bool qcp_is_eigenvector(const mat4& K, double lambda, const qtn& q) {
  double r2 = 0.0;
  for (long i = 1; i <= 4; ++i) {
    double s = -lambda * q[i - 1];
    for (long j = 1; j <= 4; ++j) s += K[i][j] * q[j - 1];
    r2 += s * s;
  }
  return std::sqrt(r2) <= 1e-6 * std::max(1.0, std::fabs(lambda));
}

bool qcp_is_null(const mat4& K) {
  for (long i = 1; i <= 4; ++i)
    for (long j = 1; j <= 4; ++j)
      if (std::fabs(K[i][j]) > 1e-12) return false;
  return true;
}

}  // namespace

// Superposition

double QCProt_ls_fitting(const std::vector<xyz>& moving, const std::vector<xyz>& target, long n,
                         std::vector<xyz>* fitted, xyz* origin, rotmat* rot) {
  if (n < 3) {
    if (verbose2()) logitf("ls_fitting(): too few atom pairs (%ld < %d)\n", n, 3);
    return -1.0;
  }
  const qcp_input in = qcp_prepare(moving, target, n);
  const mat4 K = qcp_key_matrix(in.S);
  double lambda;
  qtn q;
  const bool converged = qcp_max_eigenvalue(in, K, lambda);
  bool have_q = false;
  if (!converged) {
    qcp_jacobi(K, lambda, q);
    have_q = true;
  }
  const double rmsd = qcp_rmsd(in.E0, lambda, n);
  if (rot == nullptr && origin == nullptr && fitted == nullptr) return rmsd;

  if (!have_q && qcp_adjugate_vector(K, lambda, q) && qcp_is_eigenvector(K, lambda, q)) have_q = true;
  if (!have_q && !qcp_is_null(K)) {
    double jl;
    qcp_jacobi(K, jl, q);
    have_q = true;
  }
  rotmat R;
  if (have_q)
    qtn_to_rotmat(q, R);
  else
    identity_matrix(R);  // all points coincide: every orientation fits equally well
  if (rot != nullptr) *rot = R;
  xyz org, rca;
  multiply_vec_transposed_matrix_by3(in.ca, R, rca);
  diff_xyz(rca, in.cb, org);
  if (origin != nullptr) *origin = org;
  if (fitted != nullptr) {
    if (fitted->size() < static_cast<size_t>(n + 1)) fitted->resize(n + 1);
    for (long k = 1; k <= n; ++k) oR_xyz(org, R, moving[k], (*fitted)[k]);
  }
  return rmsd;
}

double VASK_ls_fitting(const std::vector<xyz>& moving, const std::vector<xyz>& target, long n,
                       std::vector<xyz>* fitted, xyz* origin, rotmat* rot) {
  if (n < 3) return -1.0;
  rotmat C;
  cov_matrix_xyz(moving, target, n, C);
  qtn q;
  double lambda;
  qcp_jacobi(qcp_key_matrix(C), lambda, q);
  rotmat R;
  qtn_to_rotmat(q, R);
  const qcp_input in = qcp_prepare(moving, target, n);
  xyz org, rca;
  multiply_vec_transposed_matrix_by3(in.ca, R, rca);
  diff_xyz(rca, in.cb, org);
  double sum = 0.0;
  for (long k = 1; k <= n; ++k) {
    xyz p;
    oR_xyz(org, R, moving[k], p);
    sum += dist_xyz_square(p, target[k]);
    if (fitted != nullptr) {
      if (fitted->size() < static_cast<size_t>(n + 1)) fitted->resize(n + 1);
      (*fitted)[k] = p;
    }
  }
  const double rmsd = std::sqrt(sum / static_cast<double>(n));
  if (verbose1() && std::fabs(q[0]) < 1e-6 && std::fabs(q[3]) > 1e-6)
    runlog_msg("ls_fitting(): q0=%g; rmsd=%g -- could be inverted [w]\n", q[0], rmsd);
  if (rot != nullptr) *rot = R;
  if (origin != nullptr) *origin = org;
  return rmsd;
}

double lsfit_rmsd(const std::vector<xyz>& moving, const std::vector<xyz>& target, long n) {
  return QCProt_ls_fitting(moving, target, n, nullptr, nullptr, nullptr);
}

double lsfit_coordinates(const std::vector<xyz>& moving, const std::vector<xyz>& target, long n,
                         std::vector<xyz>& fitted) {
  return QCProt_ls_fitting(moving, target, n, &fitted, nullptr, nullptr);
}

// ---------------------------------------------------------------------------
// Planes and point-set statistics

void cov_matrix(const dmatrix_t& a, const dmatrix_t& b, long n, long m, dmatrix_t& out) {
  out = dmatrix_t(1, m, 1, m);
  std::vector<double> ma(m + 1, 0.0), mb(m + 1, 0.0);
  for (long k = 1; k <= n; ++k)
    for (long i = 1; i <= m; ++i) {
      ma[i] += a[k][i];
      mb[i] += b[k][i];
    }
  const double dn = static_cast<double>(n);
  for (long i = 1; i <= m; ++i) {
    ma[i] /= dn;
    mb[i] /= dn;
  }
  for (long i = 1; i <= m; ++i)
    for (long j = 1; j <= m; ++j) {
      double s = 0.0;
      for (long k = 1; k <= n; ++k) s += a[k][i] * b[k][j];
      out[i][j] = (s - dn * ma[i] * mb[j]) / (dn - 1.0);
    }
}

void cov_matrix_xyz(const std::vector<xyz>& a, const std::vector<xyz>& b, long n, rotmat& out) {
  xyz ma{}, mb{};
  for (long k = 1; k <= n; ++k) {
    sum_xyz(ma, a[k], ma);
    sum_xyz(mb, b[k], mb);
  }
  const double dn = static_cast<double>(n);
  for (long i = 1; i <= 3; ++i)
    for (long j = 1; j <= 3; ++j) {
      double s = 0.0;
      for (long k = 1; k <= n; ++k) s += a[k][i] * b[k][j];
      out[i][j] = (s - ma[i] * mb[j] / dn) / (dn - 1.0);
    }
}

double ls_plane(long n, const std::vector<xyz>& pts, xyz& normal, xyz& centroid, std::vector<double>* dev) {
  if (n < 3) fatal("ls_plane(): too few atoms for ls-plane fitting (%ld < %ld)\n", n, 3L);
  rotmat C, V;
  xyz ev;
  cov_matrix_xyz(pts, pts, n, C);
  laa_jacobi_3x3(C, ev, V);
  // Always the smallest-eigenvalue column: an eigenvector matrix that happens
  // to be the identity still has its smallest value first.
  set_xyz(normal, V[1][1], V[2][1], V[3][1]);
  centroid = {};
  for (long k = 1; k <= n; ++k) sum_xyz(centroid, pts[k], centroid);
  scalar_times_xyz(centroid, 1.0 / static_cast<double>(n), centroid);
  if (normal[3] < 0.0) negate_xyz(normal);
  const double d = dot_xyz(centroid, normal);
  if (dev != nullptr) {
    if (dev->size() < static_cast<size_t>(n + 1)) dev->resize(n + 1);
    for (long k = 1; k <= n; ++k) (*dev)[k] = dot_xyz(pts[k], normal) - d;
  }
  return d;
}

double get_planarity(long n, const std::vector<xyz>& pts) {
  if (n < 3) return -1.0;
  if (n == 3) return 0.0;
  rotmat C, V;
  xyz ev;
  cov_matrix_xyz(pts, pts, n, C);
  laa_jacobi_3x3(C, ev, V);
  return std::sqrt(std::max(0.0, ev[1]));  // rounding can leave a planar set at -1e-17
}

void project_xyz_to_plane(long n, const std::vector<xyz>& pts, const xyz& point, const xyz& normal,
                          std::vector<xyz>& out) {
  if (out.size() < static_cast<size_t>(n + 1)) out.resize(n + 1);
  for (long k = 1; k <= n; ++k) {
    xyz d;
    diff_xyz(point, pts[k], d);
    move_xyz(pts[k], normal, -dot_xyz(d, normal), out[k]);
  }
}

double get_radius_of_gyration(long n, const std::vector<xyz>& pts, const std::vector<double>& weights) {
  VASK_ASSERT(n >= 1);
  double W = 0.0, s2 = 0.0;
  xyz c{};
  for (long k = 1; k <= n; ++k) {
    W += weights[k];
    s2 += weights[k] * dot_xyz(pts[k], pts[k]);
    move_xyz(c, pts[k], weights[k], c);
  }
  scalar_times_xyz(c, 1.0 / W, c);
  return std::sqrt(std::max(0.0, s2 / W - dot_xyz(c, c)));
}

double get_BCScore(const std::vector<double>& a, const std::vector<double>& b, long n) {
  xyz ma{}, mb{};
  for (long k = 0; k < n; ++k)
    for (long i = 1; i <= 3; ++i) {
      ma[i] += a[3 * k + i - 1];
      mb[i] += b[3 * k + i - 1];
    }
  scalar_times_xyz(ma, 1.0 / static_cast<double>(n), ma);
  scalar_times_xyz(mb, 1.0 / static_cast<double>(n), mb);
  rotmat sab{}, saa{}, sbb{};
  for (long k = 0; k < n; ++k)
    for (long i = 1; i <= 3; ++i)
      for (long j = 1; j <= 3; ++j) {
        const double ai = a[3 * k + i - 1] - ma[i], bi = b[3 * k + i - 1] - mb[i];
        sab[i][j] += ai * b[3 * k + j - 1];
        saa[i][j] += ai * a[3 * k + j - 1];
        sbb[i][j] += bi * b[3 * k + j - 1];
      }
  const double daa = det_3x3(saa), dbb = det_3x3(sbb);
  const double denom = std::sqrt(std::max(0.0, daa)) * std::sqrt(std::max(0.0, dbb));
  if (!(denom > 1e-12)) return DBL_MAX;  // a planar or collinear set has no score
  return det_3x3(sab) / denom;
}

}  // namespace vask
