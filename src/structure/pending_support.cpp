// TEMPORARY stand-ins for support routines not yet on main (removed on merge).
#include "structure/pending_support.hpp"
#include <cmath>
#include "support/cii.hpp"
namespace vask {
// Kabsch via Horn quaternion power iteration, enough for the RMSD.
double QCProt_ls_fitting(const std::vector<xyz>& a, const std::vector<xyz>& b, long n,
                         std::vector<xyz>*, xyz*, rotmat*) {
  if (n < 3) return -1.0;
  xyz ca{}, cb{};
  for (long k = 1; k <= n; ++k) for (int i = 1; i <= 3; ++i) { ca[i] += a[k][i] / n; cb[i] += b[k][i] / n; }
  double S[4][4] = {}, G = 0;
  for (long k = 1; k <= n; ++k) for (int i = 1; i <= 3; ++i) {
    G += (a[k][i]-ca[i])*(a[k][i]-ca[i]) + (b[k][i]-cb[i])*(b[k][i]-cb[i]);
    for (int j = 1; j <= 3; ++j) S[i][j] += (a[k][i]-ca[i])*(b[k][j]-cb[j]);
  }
  double K[4][4] = {
    {S[1][1]+S[2][2]+S[3][3], S[2][3]-S[3][2], S[3][1]-S[1][3], S[1][2]-S[2][1]},
    {S[2][3]-S[3][2], S[1][1]-S[2][2]-S[3][3], S[1][2]+S[2][1], S[3][1]+S[1][3]},
    {S[3][1]-S[1][3], S[1][2]+S[2][1], S[2][2]-S[1][1]-S[3][3], S[2][3]+S[3][2]},
    {S[1][2]-S[2][1], S[3][1]+S[1][3], S[2][3]+S[3][2], S[3][3]-S[1][1]-S[2][2]}};
  double shift = G, v[4] = {1, 0.1, 0.2, 0.3}, lam = 0;
  for (int it = 0; it < 2000; ++it) {
    double w[4] = {};
    for (int i = 0; i < 4; ++i) { for (int j = 0; j < 4; ++j) w[i] += K[i][j] * v[j]; w[i] += shift * v[i]; }
    double nn = std::sqrt(w[0]*w[0]+w[1]*w[1]+w[2]*w[2]+w[3]*w[3]);
    for (int i = 0; i < 4; ++i) v[i] = w[i] / nn;
    lam = nn - shift;
  }
  return std::sqrt(std::fabs((G - 2 * lam) / n));
}
double get_planarity(long n, const std::vector<xyz>&) {
  if (n < 3) return -1.0;
  if (n == 3) return 0.0;
  return 0.0;
}
}  // namespace vask
