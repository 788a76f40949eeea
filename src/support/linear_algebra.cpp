// Dense linear algebra: see linear_algebra.hpp.
//
// LU, Jacobi and SVD follow the classical dense algorithms (Press et al.,
// Numerical Recipes, 2nd ed., ch. 2 and 11).
#include "support/linear_algebra.hpp"

#include <cfloat>
#include <cmath>

#include "support/arrays.hpp"
#include "support/error.hpp"
#include "support/rotation.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr long JACOBI_MAX_SWEEPS = 6000;
constexpr long SVD_MAX_ITERATIONS = 6000;

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

}  // namespace

void multiply_matrix(const dmatrix_t& a, long nra, long nca, const dmatrix_t& b, long nrb, long ncb, dmatrix_t& out) {
  if (nca != nrb) fatal("multiply_matrix(): matrices a and b do not conform\n");
  out = dmatrix_t(1, nra, 1, ncb);
  for (long i = 1; i <= nra; ++i)
    for (long j = 1; j <= ncb; ++j) {
      double s = 0.0;
      for (long k = 1; k <= nca; ++k) s += a[i][k] * b[k][j];
      out[i][j] = s;
    }
}

void multiply_matrix_vec(const dmatrix_t& a, long nr, long nc, const std::vector<double>& v, long n,
                         std::vector<double>& out) {
  if (nc != n) fatal("multiply_matrix_vec(): matrix and vector do not conform\n");
  out.assign(nr + 1, 0.0);
  for (long i = 1; i <= nr; ++i)
    for (long j = 1; j <= nc; ++j) out[i] += a[i][j] * v[j];
}

void multiply_vec_matrix(const std::vector<double>& v, long n, const dmatrix_t& a, long nr, long nc,
                         std::vector<double>& out) {
  if (n != nr) fatal("multiply_vec_matrix(): vector and matrix do not conform\n");
  out.assign(nc + 1, 0.0);
  for (long j = 1; j <= nc; ++j)
    for (long i = 1; i <= nr; ++i) out[j] += v[i] * a[i][j];
}

void transpose_matrix(const dmatrix_t& a, long nr, long nc, dmatrix_t& out) {
  out = dmatrix_t(1, nc, 1, nr);
  for (long i = 1; i <= nr; ++i)
    for (long j = 1; j <= nc; ++j) out[j][i] = a[i][j];
}

void identity_matrix(dmatrix_t& m, long n) {
  for (long i = 1; i <= n; ++i)
    for (long j = 1; j <= n; ++j) m[i][j] = i == j ? 1.0 : 0.0;
}

void copy_dmatrix_Nx3(const std::vector<xyz>& src, long n, std::vector<xyz>& dst) {
  if (dst.size() < static_cast<size_t>(n + 1)) dst.resize(n + 1);
  for (long i = 1; i <= n; ++i) dst[i] = src[i];
}

namespace {
template <class T>
void copy_block(const matrix_t<T>& src, long rlo, long rhi, long clo, long chi, matrix_t<T>& dst) {
  for (long i = rlo; i <= rhi; ++i)
    for (long j = clo; j <= chi; ++j) dst[i][j] = src[i][j];
}
}  // namespace

void copy_dmatrix(const dmatrix_t& src, long rlo, long rhi, long clo, long chi, dmatrix_t& dst) {
  copy_block(src, rlo, rhi, clo, chi, dst);
}

void copy_lmatrix(const lmatrix_t& src, long rlo, long rhi, long clo, long chi, lmatrix_t& dst) {
  copy_block(src, rlo, rhi, clo, chi, dst);
}

void move_position(dmatrix_t& m, long nr, long nc, const std::vector<double>& p) {
  for (long i = 1; i <= nr; ++i)
    for (long j = 1; j <= nc; ++j) m[i][j] -= p[j];
}

void move_to_center(std::vector<xyz>& pts, long n) {
  if (n <= 0) fatal("ave_dmatrix(): zero rows\n");
  xyz c{};
  for (long i = 1; i <= n; ++i) sum_xyz(c, pts[i], c);
  scalar_times_xyz(c, 1.0 / static_cast<double>(n), c);
  for (long i = 1; i <= n; ++i) diff_xyz(c, pts[i], pts[i]);
}

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

}  // namespace vask
