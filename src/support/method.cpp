// Linear algebra, least-squares fitting and planes, and base-pair, step and
// helical parameters: see method.hpp.
//
// LU, Jacobi and SVD follow the classical dense algorithms (Press et al.,
// Numerical Recipes, 2nd ed., ch. 2 and 11); the superposition is the
// quaternion characteristic polynomial method (Theobald, Acta Cryst. A61,
// 2005; Liu et al., J. Comput. Chem. 31, 2010). The fit and the BC score use
// closed-form 3x3 and 4x4 determinants so that planar or collinear point sets
// give a result instead of ending the run in the LU routine.
#include "support/method.hpp"

#include <cfloat>
#include <cmath>

#include "driver/option.hpp"
#include "support/cii.hpp"
#include "support/quaternion.hpp"

namespace vask {

namespace {

constexpr long JACOBI_MAX_SWEEPS = 6000;
constexpr long SVD_MAX_ITERATIONS = 6000;
constexpr long QCP_MAX_STEPS = 50;

// ---------------------------------------------------------------------------
// Jacobi, shared by the general and the 3x3 form (M indexable as m[i][j], V as v[i]).

template <class M, class V>
void jacobi_impl(M& a, long n, V& d, M& v) {
  std::vector<double> b(n + 1), z(n + 1, 0.0);
  for (long p = 1; p <= n; ++p) {
    for (long q = 1; q <= n; ++q) v[p][q] = p == q ? 1.0 : 0.0;
    b[p] = d[p] = a[p][p];
  }
  auto rotate = [](M& m, long i, long j, long k, long l, double s, double tau) {
    const double g = m[i][j], h = m[k][l];
    m[i][j] = g - s * (h + g * tau);
    m[k][l] = h + s * (g - h * tau);
  };
  for (long sweep = 1; sweep <= JACOBI_MAX_SWEEPS; ++sweep) {
    double sm = 0.0;
    for (long p = 1; p < n; ++p)
      for (long q = p + 1; q <= n; ++q) sm += std::fabs(a[p][q]);
    if (sm < 1e-8) {
      // selection sort, ascending; the first of equal values is taken
      for (long i = 1; i < n; ++i) {
        long k = i;
        double pv = d[i];
        for (long j = i + 1; j <= n; ++j)
          if (d[j] < pv) pv = d[k = j];
        if (k != i) {
          d[k] = d[i];
          d[i] = pv;
          for (long j = 1; j <= n; ++j) std::swap(v[j][i], v[j][k]);
        }
      }
      return;
    }
    const double tresh = sweep < 4 ? 0.2 * sm / static_cast<double>(n * n) : 0.0;
    for (long p = 1; p < n; ++p) {
      for (long q = p + 1; q <= n; ++q) {
        const double g = 100.0 * std::fabs(a[p][q]);
        if (sweep > 4 && std::fabs(d[p]) + g == std::fabs(d[p]) && std::fabs(d[q]) + g == std::fabs(d[q])) {
          a[p][q] = 0.0;
        } else if (std::fabs(a[p][q]) > tresh) {
          double h = d[q] - d[p], t;
          if (std::fabs(h) + g == std::fabs(h)) {
            t = a[p][q] / h;
          } else {
            const double theta = 0.5 * h / a[p][q];
            t = 1.0 / (std::fabs(theta) + std::sqrt(1.0 + theta * theta));
            if (theta < 0.0) t = -t;
          }
          const double c = 1.0 / std::sqrt(1.0 + t * t), s = t * c, tau = s / (1.0 + c);
          h = t * a[p][q];
          z[p] -= h;
          z[q] += h;
          d[p] -= h;
          d[q] += h;
          a[p][q] = 0.0;
          for (long j = 1; j < p; ++j) rotate(a, j, p, j, q, s, tau);
          for (long j = p + 1; j < q; ++j) rotate(a, p, j, j, q, s, tau);
          for (long j = q + 1; j <= n; ++j) rotate(a, p, j, q, j, s, tau);
          for (long j = 1; j <= n; ++j) rotate(v, j, p, j, q, s, tau);
        }
      }
    }
    for (long p = 1; p <= n; ++p) {
      b[p] += z[p];
      d[p] = b[p];
      z[p] = 0.0;
    }
  }
  fatal("laa_jacobi(): too many iterations [%ld]\n", JACOBI_MAX_SWEEPS);
}

void lu_backsub(const dmatrix_t& a, long n, const std::vector<long>& indx, std::vector<double>& b) {
  long ii = 0;
  for (long i = 1; i <= n; ++i) {
    const long ip = indx[i];
    double sum = b[ip];
    b[ip] = b[i];
    if (ii != 0) {
      for (long j = ii; j < i; ++j) sum -= a[i][j] * b[j];
    } else if (sum != 0.0) {
      ii = i;
    }
    b[i] = sum;
  }
  for (long i = n; i >= 1; --i) {
    double sum = b[i];
    for (long j = i + 1; j <= n; ++j) sum -= a[i][j] * b[j];
    b[i] = sum / a[i][i];
  }
}

double sign_of(double a, double b) { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

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

// ---------------------------------------------------------------------------
// Linear algebra

void laa_ludcmp(dmatrix_t& a, long n, std::vector<long>& indx, double& d) {
  std::vector<double> vv(n + 1);
  if (indx.size() < static_cast<size_t>(n + 1)) indx.resize(n + 1);
  d = 1.0;
  for (long i = 1; i <= n; ++i) {
    double big = 0.0;
    for (long j = 1; j <= n; ++j) big = std::max(big, std::fabs(a[i][j]));
    if (big <= 1e-8) fatal("laa_ludcmp(): singular matrix\n");
    vv[i] = 1.0 / big;
  }
  for (long j = 1; j <= n; ++j) {
    for (long i = 1; i < j; ++i) {
      double sum = a[i][j];
      for (long k = 1; k < i; ++k) sum -= a[i][k] * a[k][j];
      a[i][j] = sum;
    }
    double big = 0.0;
    long imax = j;
    for (long i = j; i <= n; ++i) {
      double sum = a[i][j];
      for (long k = 1; k < j; ++k) sum -= a[i][k] * a[k][j];
      a[i][j] = sum;
      const double dum = vv[i] * std::fabs(sum);
      if (dum >= big) {  // a later row wins a tie
        big = dum;
        imax = i;
      }
    }
    if (j != imax) {
      for (long k = 1; k <= n; ++k) std::swap(a[imax][k], a[j][k]);
      d = -d;
      vv[imax] = vv[j];
    }
    indx[j] = imax;
    if (a[j][j] == 0.0) a[j][j] = DBL_EPSILON;
    if (j != n) {
      const double dum = 1.0 / a[j][j];
      for (long i = j + 1; i <= n; ++i) a[i][j] *= dum;
    }
  }
}

void real_matrix_inverse(dmatrix_t& a, long n, dmatrix_t& inv) {
  std::vector<long> indx(n + 1);
  double d;
  laa_ludcmp(a, n, indx, d);
  inv = dmatrix_t(1, n, 1, n);
  std::vector<double> col(n + 1);
  for (long j = 1; j <= n; ++j) {
    std::fill(col.begin(), col.end(), 0.0);
    col[j] = 1.0;
    lu_backsub(a, n, indx, col);
    for (long i = 1; i <= n; ++i) inv[i][j] = col[i];
  }
}

double get_matrix_determinant(const dmatrix_t& a, long n) {
  // A (near-)zero row makes the matrix singular: its determinant is 0, not a
  // reason to end the run.
  for (long i = 1; i <= n; ++i) {
    double big = 0.0;
    for (long j = 1; j <= n; ++j) big = std::max(big, std::fabs(a[i][j]));
    if (big <= 1e-8) return 0.0;
  }
  dmatrix_t lu(1, n, 1, n);
  copy_dmatrix(a, 1, n, 1, n, lu);
  std::vector<long> indx(n + 1);
  double d;
  laa_ludcmp(lu, n, indx, d);
  for (long j = 1; j <= n; ++j) d *= lu[j][j];
  return d;
}

double get_matrix_trace(const dmatrix_t& a, long n) {
  double t = 0.0;
  for (long i = 1; i <= n; ++i) t += a[i][i];
  return t;
}

double det_3x3(const rotmat& a) {
  return a[1][1] * (a[2][2] * a[3][3] - a[2][3] * a[3][2]) - a[1][2] * (a[2][1] * a[3][3] - a[2][3] * a[3][1]) +
         a[1][3] * (a[2][1] * a[3][2] - a[2][2] * a[3][1]);
}

double det_4x4(const std::array<std::array<double, 5>, 5>& a) {
  // Laplace expansion by the 2x2 minors of rows 1-2 and rows 3-4.
  auto m2 = [&](long r1, long r2, long c1, long c2) { return a[r1][c1] * a[r2][c2] - a[r1][c2] * a[r2][c1]; };
  return m2(1, 2, 1, 2) * m2(3, 4, 3, 4) - m2(1, 2, 1, 3) * m2(3, 4, 2, 4) + m2(1, 2, 1, 4) * m2(3, 4, 2, 3) +
         m2(1, 2, 2, 3) * m2(3, 4, 1, 4) - m2(1, 2, 2, 4) * m2(3, 4, 1, 3) + m2(1, 2, 3, 4) * m2(3, 4, 1, 2);
}

void laa_jacobi(dmatrix_t& a, long n, std::vector<double>& d, dmatrix_t& v) {
  if (d.size() < static_cast<size_t>(n + 1)) d.resize(n + 1);
  if (v.rhi() < n || v.chi() < n) v = dmatrix_t(1, n, 1, n);
  jacobi_impl(a, n, d, v);
}

void laa_jacobi_3x3(rotmat& a, xyz& d, rotmat& v) { jacobi_impl(a, 3, d, v); }

double laa_pythag(double a, double b) {
  const double absa = std::fabs(a), absb = std::fabs(b);
  if (absa > absb) return absa * std::sqrt(1.0 + (absb / absa) * (absb / absa));
  return absb == 0.0 ? 0.0 : absb * std::sqrt(1.0 + (absa / absb) * (absa / absb));
}

void laa_svdcmp(dmatrix_t& a, long m, long n, std::vector<double>& w, dmatrix_t& v) {
  if (w.size() < static_cast<size_t>(n + 1)) w.resize(n + 1);
  if (v.rhi() < n || v.chi() < n) v = dmatrix_t(1, n, 1, n);
  std::vector<double> rv1(n + 1);
  double g = 0.0, scale = 0.0, anorm = 0.0, s, f, h;
  long l = 1;
  // Householder reduction to bidiagonal form.
  for (long i = 1; i <= n; ++i) {
    l = i + 1;
    rv1[i] = scale * g;
    g = s = scale = 0.0;
    if (i <= m) {
      for (long k = i; k <= m; ++k) scale += std::fabs(a[k][i]);
      if (scale != 0.0) {
        for (long k = i; k <= m; ++k) {
          a[k][i] /= scale;
          s += a[k][i] * a[k][i];
        }
        f = a[i][i];
        g = -sign_of(std::sqrt(s), f);
        h = f * g - s;
        a[i][i] = f - g;
        for (long j = l; j <= n; ++j) {
          s = 0.0;
          for (long k = i; k <= m; ++k) s += a[k][i] * a[k][j];
          f = s / h;
          for (long k = i; k <= m; ++k) a[k][j] += f * a[k][i];
        }
        for (long k = i; k <= m; ++k) a[k][i] *= scale;
      }
    }
    w[i] = scale * g;
    g = s = scale = 0.0;
    if (i <= m && i != n) {
      for (long k = l; k <= n; ++k) scale += std::fabs(a[i][k]);
      if (scale != 0.0) {
        for (long k = l; k <= n; ++k) {
          a[i][k] /= scale;
          s += a[i][k] * a[i][k];
        }
        f = a[i][l];
        g = -sign_of(std::sqrt(s), f);
        h = f * g - s;
        a[i][l] = f - g;
        for (long k = l; k <= n; ++k) rv1[k] = a[i][k] / h;
        for (long j = l; j <= m; ++j) {
          s = 0.0;
          for (long k = l; k <= n; ++k) s += a[j][k] * a[i][k];
          for (long k = l; k <= n; ++k) a[j][k] += s * rv1[k];
        }
        for (long k = l; k <= n; ++k) a[i][k] *= scale;
      }
    }
    anorm = std::max(anorm, std::fabs(w[i]) + std::fabs(rv1[i]));
  }
  // Accumulation of right-hand transformations.
  for (long i = n; i >= 1; --i) {
    if (i < n) {
      if (g != 0.0) {
        for (long j = l; j <= n; ++j) v[j][i] = (a[i][j] / a[i][l]) / g;
        for (long j = l; j <= n; ++j) {
          s = 0.0;
          for (long k = l; k <= n; ++k) s += a[i][k] * v[k][j];
          for (long k = l; k <= n; ++k) v[k][j] += s * v[k][i];
        }
      }
      for (long j = l; j <= n; ++j) v[i][j] = v[j][i] = 0.0;
    }
    v[i][i] = 1.0;
    g = rv1[i];
    l = i;
  }
  // Accumulation of left-hand transformations.
  for (long i = std::min(m, n); i >= 1; --i) {
    l = i + 1;
    g = w[i];
    for (long j = l; j <= n; ++j) a[i][j] = 0.0;
    if (g != 0.0) {
      g = 1.0 / g;
      for (long j = l; j <= n; ++j) {
        s = 0.0;
        for (long k = l; k <= m; ++k) s += a[k][i] * a[k][j];
        f = (s / a[i][i]) * g;
        for (long k = i; k <= m; ++k) a[k][j] += f * a[k][i];
      }
      for (long j = i; j <= m; ++j) a[j][i] *= g;
    } else {
      for (long j = i; j <= m; ++j) a[j][i] = 0.0;
    }
    ++a[i][i];
  }
  // Diagonalisation of the bidiagonal form by implicit shifted QR.
  for (long k = n; k >= 1; --k) {
    for (long its = 1;; ++its) {
      bool flag = true;
      long nm = 0;
      for (l = k; l >= 1; --l) {
        nm = l - 1;
        if (std::fabs(rv1[l]) + anorm == anorm) {
          flag = false;
          break;
        }
        if (std::fabs(w[nm]) + anorm == anorm) break;
      }
      if (flag) {
        double c = 0.0;
        s = 1.0;
        for (long i = l; i <= k; ++i) {
          f = s * rv1[i];
          rv1[i] = c * rv1[i];
          if (std::fabs(f) + anorm == anorm) break;
          g = w[i];
          h = laa_pythag(f, g);
          w[i] = h;
          h = 1.0 / h;
          c = g * h;
          s = -f * h;
          for (long j = 1; j <= m; ++j) {
            const double y = a[j][nm], z = a[j][i];
            a[j][nm] = y * c + z * s;
            a[j][i] = z * c - y * s;
          }
        }
      }
      double z = w[k];
      if (l == k) {
        if (z < 0.0) {
          w[k] = -z;
          for (long j = 1; j <= n; ++j) v[j][k] = -v[j][k];
        }
        break;
      }
      if (its == SVD_MAX_ITERATIONS) fatal("no convergence in ITMAX (%ld) laa_svdcmp() iterations\n", SVD_MAX_ITERATIONS);
      double x = w[l];
      nm = k - 1;
      double y = w[nm];
      g = rv1[nm];
      h = rv1[k];
      f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
      g = laa_pythag(f, 1.0);
      f = ((x - z) * (x + z) + h * ((y / (f + sign_of(g, f))) - h)) / x;
      double c = 1.0;
      s = 1.0;
      for (long j = l; j <= nm; ++j) {
        const long i = j + 1;
        g = rv1[i];
        y = w[i];
        h = s * g;
        g = c * g;
        z = laa_pythag(f, h);
        rv1[j] = z;
        c = f / z;
        s = h / z;
        f = x * c + g * s;
        g = g * c - x * s;
        h = y * s;
        y *= c;
        for (long jj = 1; jj <= n; ++jj) {
          x = v[jj][j];
          z = v[jj][i];
          v[jj][j] = x * c + z * s;
          v[jj][i] = z * c - x * s;
        }
        z = laa_pythag(f, h);
        w[j] = z;
        if (z != 0.0) {
          z = 1.0 / z;
          c = f * z;
          s = h * z;
        }
        f = c * g + s * y;
        x = c * y - s * g;
        for (long jj = 1; jj <= m; ++jj) {
          y = a[jj][j];
          z = a[jj][i];
          a[jj][j] = y * c + z * s;
          a[jj][i] = z * c - y * s;
        }
      }
      rv1[l] = 0.0;
      rv1[k] = f;
      w[k] = x;
    }
  }
}

void laa_svdzwi(std::vector<double>& w, long n) {
  double wmax = 0.0;
  for (long j = 1; j <= n; ++j) wmax = std::max(wmax, w[j]);
  const double thresh = 1e-8 * wmax;
  for (long j = 1; j <= n; ++j)
    if (w[j] < thresh) w[j] = 0.0;
}

void laa_svbksb(const dmatrix_t& u, const std::vector<double>& w, const dmatrix_t& v, long m, long n,
                const std::vector<double>& b, std::vector<double>& x) {
  std::vector<double> tmp(n + 1, 0.0);
  for (long j = 1; j <= n; ++j) {
    if (w[j] == 0.0) continue;
    double s = 0.0;
    for (long i = 1; i <= m; ++i) s += u[i][j] * b[i];
    tmp[j] = s / w[j];
  }
  x.assign(n + 1, 0.0);
  for (long j = 1; j <= n; ++j)
    for (long jj = 1; jj <= n; ++jj) x[j] += v[j][jj] * tmp[jj];
}

void solve_lin_equ(const dmatrix_t& a, long n, const std::vector<double>& b, std::vector<double>& x) {
  dmatrix_t u(1, n, 1, n), v(1, n, 1, n);
  copy_dmatrix(a, 1, n, 1, n, u);
  std::vector<double> w(n + 1);
  laa_svdcmp(u, n, n, w, v);
  laa_svdzwi(w, n);
  laa_svbksb(u, w, v, n, n, b, x);
}

// ---------------------------------------------------------------------------
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

// ---------------------------------------------------------------------------
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
