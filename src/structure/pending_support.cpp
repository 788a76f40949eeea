// TEMPORARY stand-ins for support routines not yet on main (removed on merge).
#include "structure/pending_support.hpp"
#include <cmath>
#include "support/cii.hpp"
namespace vask {
FILE* open_file(const std::string& name, const char* mode) {
  if (name == "stdout") return stdout;
  if (name == "stderr") return stderr;
  if (name == "stdin" || name == "-") return stdin;
  FILE* fp = std::fopen(name.c_str(), mode);
  if (!fp) fatal("open_file(): can't open file [%s]\n", name.c_str());
  return fp;
}
void close_file(FILE* fp) { if (fp && fp != stdout && fp != stderr && fp != stdin) std::fclose(fp); }
std::string get_sysfile(const std::string& subdir, const std::string& file) {
  return std::string(VASK_DATA_DIR) + "/" + subdir + "/" + file;
}
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
double get_planarity(long n, const std::vector<xyz>& p) {
  if (n < 3) return -1.0;
  if (n == 3) return 0.0;
  return 0.0;
}
}  // namespace vask
