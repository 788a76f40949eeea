// Backbone form of dinucleotide steps by least-squares fits to ideal steps.
#include "pairing/step_form.hpp"

#include <array>

#include "pairing/frame.hpp"
#include "structure/bond.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/fitting.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"

namespace vask {

namespace {

// Ideal dinucleotide steps (Angstrom). Rows 1-12: for nucleotides a, b (one
// strand, 5' to 3') and c, d (the other strand, d paired with a), the base
// origin and the tips of 2 A along its x and y axes; row 13 the phosphorus
// of b, row 14 that of d. The single-strand form uses rows 1-6 and 13.
using step_template = std::array<std::array<double, 3>, 14>;

constexpr step_template A_FORM = {{{4.476, -0.056, -0.009}, {2.484, -0.167, -0.161}, {4.432, 1.788, -0.782},
                                   {3.736, -2.464, -2.557}, {2.000, -1.482, -2.709}, {4.696, -0.889, -3.330},
                                   {3.805, -2.366, -2.542}, {2.186, -1.202, -2.388}, {2.777, -3.898, -1.770},
                                   {4.482, 0.064, 0.006},   {2.490, 0.170, 0.160},   {4.443, -1.780, 0.778},
                                   {6.913, 5.099, -6.683},  {3.063, -8.025, 4.135}}};
constexpr step_template B_FORM = {{{-0.501, -0.040, -0.045}, {-2.484, -0.080, -0.306}, {-0.529, 1.957, -0.145},
                                   {-0.429, 0.262, -3.420},  {-2.056, 1.395, -3.681},  {0.723, 1.894, -3.520},
                                   {-0.344, 0.323, -3.336},  {-1.918, 1.529, -3.075},  {-1.548, -1.270, -3.234},
                                   {-0.468, 0.059, 0.039},   {-2.451, 0.110, 0.300},   {-0.506, -1.938, 0.141},
                                   {5.130, 7.667, -1.527},   {-0.356, -9.218, -1.848}}};
constexpr step_template Z1_FORM = {{{4.215, -0.965, -1.824}, {6.027, -0.120, -1.872}, {3.370, 0.847, -1.828},
                                    {1.263, 3.922, -5.471},  {2.915, 5.023, -5.712},  {0.153, 5.585, -5.482},
                                    {1.271, 4.133, -5.426},  {2.909, 5.280, -5.378},  {2.418, 2.494, -5.422},
                                    {4.028, -0.868, -1.779}, {5.807, 0.013, -1.538},  {4.913, -2.661, -1.768},
                                    {-4.682, 3.540, -0.653}, {0.725, -5.825, -6.597}}};
constexpr step_template Z2_FORM = {{{4.028, 0.868, 1.779},   {5.807, -0.013, 1.538},  {4.913, 2.661, 1.768},
                                    {4.215, -0.965, -1.824}, {6.027, -0.120, -1.872}, {3.370, 0.847, -1.828},
                                    {4.028, -0.868, -1.779}, {5.807, 0.013, -1.538},  {4.913, -2.661, -1.768},
                                    {4.215, 0.965, 1.824},   {6.027, 0.120, 1.872},   {3.370, -0.847, 1.828},
                                    {-0.671, 7.316, 0.861},  {-0.671, -7.316, -0.861}}};

constexpr double DS_FORM_RATIO = 0.68168;  // double strand: the better of A and B beats the other by this
constexpr double SS_FORM_RATIO = 0.8;      // single strand

// Rows of a template for an n-point set (14, or 7: rows 1-6 and 13), 1-based.
std::vector<xyz> template_points(const step_template& t, long n) {
  std::vector<xyz> pts(static_cast<size_t>(n + 1));
  for (long k = 1; k <= n; ++k) {
    const long row = (n == 7 && k == 7) ? 13 : k;
    const auto& r = t[static_cast<size_t>(row - 1)];
    pts[k] = xyz{0, r[0], r[1], r[2]};
  }
  return pts;
}

long phosphorus(long nt, const struct_mol& mol) { return is_nt(nt, mol) ? mol.nt_infos[nt].P : -1; }

}  // namespace

long copy_frame_noZ(long nt, const struct_mol& mol, std::vector<xyz>& pts, long at, double len) {
  const frame* f = base_frame(nt, mol);
  if (f == nullptr || f->rmsd < 0) return 0;
  pts[at] = f->org;
  move_xyz(f->org, f->x_axis, len, pts[at + 1]);
  move_xyz(f->org, f->y_axis, len, pts[at + 2]);
  return 3;
}

char derive_ABZ_type(long n, const std::vector<xyz>& points, double cutoff, double ratio) {
  VASK_ASSERT(n == 14 || n == 7);
  const double rA = lsfit_rmsd(template_points(A_FORM, n), points, n);
  const double rB = lsfit_rmsd(template_points(B_FORM, n), points, n);
  char form = '.';
  double rZ1 = -1.0, rZ2 = -1.0;
  if (rB > rA && rA < cutoff && rA / rB < ratio) {
    form = 'A';
  } else if (rA > rB && rB < cutoff && rB / rA < ratio) {
    form = 'B';
  } else {
    rZ1 = lsfit_rmsd(template_points(Z1_FORM, n), points, n);
    rZ2 = lsfit_rmsd(template_points(Z2_FORM, n), points, n);
    if (rZ1 < Gvars.rmsd_z || rZ2 < Gvars.rmsd_z) form = 'Z';
  }
  if (VERBOSITY >= 9) {
    runlog_msg("form=%c\tArmsd=%.3f\tBrmsd=%.3f", form, rA, rB);
    runlog_msg("\tA/B=%.3f\tB/A=%.3f\tZ1rmsd=%.3f\tZ2rmsd=%.3f\n", rA / rB, rB / rA, rZ1, rZ2);
  }
  return form;
}

char classify_dsStep_by_rmsd(long a, long b, long c, long d, const struct_mol& mol) {
  if (!is_nts_connected_either_way(a, b, mol) || !is_nts_connected_either_way(c, d, mol)) return 'x';
  const long pb = phosphorus(b, mol), pd = phosphorus(d, mol);
  if (pb == -1 || pd == -1) return 'x';
  std::vector<xyz> pts(15);
  const double len = Gvars.axis_len;
  if (!copy_frame_noZ(a, mol, pts, 1, len) || !copy_frame_noZ(b, mol, pts, 4, len) ||
      !copy_frame_noZ(c, mol, pts, 7, len) || !copy_frame_noZ(d, mol, pts, 10, len))
    return 'x';
  pts[13] = mol.atoms[pb].xyz;
  pts[14] = mol.atoms[pd].xyz;
  return derive_ABZ_type(14, pts, Gvars.rmsd_ds, DS_FORM_RATIO);
}

char classify_ssStep_by_rmsd(long i, long j, const struct_mol& mol) {
  if (!is_nts_connected_either_way(i, j, mol)) return '-';
  const long pj = phosphorus(j, mol);
  if (pj == -1) return '-';
  std::vector<xyz> pts(8);
  const double len = Gvars.axis_len;
  if (!copy_frame_noZ(i, mol, pts, 1, len) || !copy_frame_noZ(j, mol, pts, 4, len)) return '-';
  pts[7] = mol.atoms[pj].xyz;
  return derive_ABZ_type(7, pts, Gvars.rmsd_ss, SS_FORM_RATIO);
}

}  // namespace vask
