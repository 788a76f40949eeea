// Nucleotide torsions, puckers and classes (see torsion.hpp).
//
// Neighbours are taken through the O3'-P linkage, so a strand stored 3' to 5'
// in the file gets the same torsions as one stored 5' to 3'; where no link
// exists the file neighbour stands in for the bond-checked torsions (the
// check then rejects an unrelated residue).
#include "pairing/torsion.hpp"

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "pairing/frame.hpp"
#include "pairing/suite.hpp"
#include "structure/bond.hpp"
#include "structure/chain.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/fitting.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr double UNSET_LIMIT = 1e36;         // a coordinate beyond this is unset
constexpr double BB_CLASS_CUTOFF = 0.52;     // Angstrom, BI/BII template fit
constexpr double SUGAR_CLASS_CUTOFF = 0.35;  // Angstrom, C2'/C3'-endo template fit
constexpr double SIN36_PLUS_SIN72 = 1.5388417685876266;

// Backbone templates on C4', C3', O3' of i and P, O5' of i+1.
constexpr five_points BI_TEMPLATE{{{0, 0, 0, 0},
                                   {0, 2.924, 6.820, 10.463},
                                   {0, 3.453, 7.430, 9.159},
                                   {0, 4.874, 7.244, 9.133},
                                   {0, 5.842, 7.754, 7.991},
                                   {0, 5.799, 6.624, 6.852}}};
constexpr five_points BII_TEMPLATE{{{0, 0, 0, 0},
                                    {0, 6.010, 4.520, 5.851},
                                    {0, 6.150, 5.260, 4.532},
                                    {0, 6.833, 4.441, 3.582},
                                    {0, 8.439, 4.567, 3.378},
                                    {0, 8.632, 3.316, 2.414}}};

// Sugar templates on C4', O4', C1', C2', C3' in the standard base frame.
constexpr five_points C2ENDO_TEMPLATE{{{0, 0, 0, 0},
                                       {0, -3.344, 7.235, -1.148},
                                       {0, -2.593, 5.994, -1.284},
                                       {0, -2.477, 5.399, 0.000},
                                       {0, -2.396, 6.566, 0.977},
                                       {0, -3.528, 7.391, 0.362}}};
constexpr five_points C3ENDO_TEMPLATE{{{0, 0, 0, 0},
                                       {0, -2.271, 7.676, 0.523},
                                       {0, -2.136, 6.672, -0.525},
                                       {0, -2.477, 5.399, 0.000},
                                       {0, -3.042, 5.663, 1.392},
                                       {0, -2.206, 6.869, 1.819}}};

bool is_set(double x) { return std::fabs(x) < UNSET_LIMIT; }

// An atom of nucleotide k by its nt_info field; -1 when k is not a nucleotide.
long nt_atom(long k, long nt_info::*field, const struct_mol& mol) {
  return is_nt(k, mol) ? mol.nt_infos[k].*field : -1;
}

// The first of the file neighbours and the linkage partners of nucleotide i
// that passes test(k).
template <class F>
long linked_neighbour(long i, const struct_mol& mol, F&& test) {
  if (!is_nt(i, mol)) return -1;
  for (long k : {i - 1, i + 1})
    if (test(k)) return k;
  const connect& partners = mol.residues[i].linked;
  for (long m = 1; m <= partners.count; ++m)
    if (test(partners[m])) return partners[m];
  return -1;
}

// The real neighbour, else the file neighbour when it is a nucleotide.
long neighbour_or_file(long linked, long file, const struct_mol& mol) {
  if (linked != -1) return linked;
  return is_nt(file, mol) ? file : -1;
}

// Origin of the base frame of residue k, if it has one.
bool base_origin(long k, const struct_mol& mol, xyz& o) {
  const frame* f = base_frame(k, mol);
  if (f != nullptr) o = f->org;
  return f != nullptr;
}

double points_torsion(const xyz& a, const xyz& b, const xyz& c, const xyz& d, long check) {
  return torsion({xyz{}, a, b, c, d}, check);
}

const xyz UNSET_XYZ{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};

xyz atom_xyz(long a, const struct_mol& mol) { return a == -1 ? UNSET_XYZ : mol.atoms[a].xyz; }

xyz origin_xyz(long k, const struct_mol& mol) {
  xyz o;
  return k != -1 && base_origin(k, mol, o) ? o : UNSET_XYZ;
}

}  // namespace

std::string get_glyco_bond(const nt_info& n, const residue& r) {
  double chi = n.chi;
  if (chi >= 0.0 && chi <= 90.0) return "syn";
  double c = to360(chi);
  if (c >= 135.0 && c <= 315.0) return "anti";
  double py = n.p_local[2], c5y = n.c5_local[2];
  bool has_p = is_set(py), has_c5 = is_set(c5y);
  std::string word = "--";
  if (has_p && has_c5) {
    if (py < 4.0 && c5y < 5.0) word = "syn";
    else if (py > 8.0 && c5y > 7.0) word = "anti";
  } else if (has_p) {
    word = py < 4.0 ? "syn" : py > 8.0 ? "anti" : "--";
  } else if (has_c5) {
    word = c5y < 5.0 ? "syn" : c5y > 7.0 ? "anti" : "--";
  }
  if (word != "--")
    prglog_msg("[glyco-bond] %s chi=%.0f\n", r.idstr.c_str(), is_set(chi) ? chi : -999999.0);
  return word;
}

void get_pseudorotation(nt_info& n) {
  if (Gvars.pucker) {  // Altona-Sundaralingam
    double p = std::atan2((n.v4 + n.v1) - (n.v3 + n.v0), 2.0 * n.v2 * SIN36_PLUS_SIN72);
    n.amplitude = n.v2 / std::cos(p);
    n.phase_angle = rad2deg(p);
    if (n.phase_angle < 0) n.phase_angle += 360.0;
  } else {  // Westhof-Sundaralingam, Fourier form
    const double w[5] = {n.v2, n.v3, n.v4, n.v0, n.v1};
    double a = 0, b = 0;
    for (int j = 0; j < 5; ++j) {
      a += w[j] * std::cos(deg2rad(144.0 * j));
      b += w[j] * std::sin(deg2rad(144.0 * j));
    }
    a *= 0.4;
    b *= -0.4;
    n.amplitude = std::sqrt(a * a + b * b);
    if (n.amplitude < 1e-6) {
      n.amplitude = 0;
      return;
    }
    n.phase_angle = dot_to_angle(a / n.amplitude);
    if (b < 0) n.phase_angle = 360.0 - n.phase_angle;
  }
  if (n.phase_angle >= 360.0) n.phase_angle -= 360.0;  // rounding may give exactly 360
}

// ---------------------------------------------------------------------------
// Primitives

double torsion(const std::array<xyz, 5>& p, long bond_check) {
  for (long i = 1; i <= 4; ++i)
    for (long j = 1; j <= 3; ++j)
      if (!is_set(p[i][j])) return DBL_MAX;
  xyz b1, b2, b3, a;
  diff_xyz(p[1], p[2], b1);
  diff_xyz(p[2], p[3], b2);
  diff_xyz(p[3], p[4], b3);
  if (bond_check && (length_xyz(b1) > MAX_TORSION_BOND || length_xyz(b2) > MAX_TORSION_BOND ||
                     length_xyz(b3) > MAX_TORSION_BOND))
    return DBL_MAX;
  diff_xyz(p[2], p[1], a);  // p1 - p2
  return get_vector_angle(a, b3, b2);
}

double idx2torsion(const std::array<long, 5>& idx, const struct_mol& mol, long bond_check) {
  std::array<xyz, 5> p{};
  for (long i = 1; i <= 4; ++i) {
    if (idx[i] == -1) return DBL_MAX;
    p[i] = mol.atoms[idx[i]].xyz;
  }
  return torsion(p, bond_check);
}

long classify_bb_by_rmsd(const std::array<long, 6>& idx, const std::vector<atom>& atoms,
                         const five_points& tmpl1, const five_points& tmpl2, double cutoff) {
  std::vector<xyz> pts(6), t1(tmpl1.begin(), tmpl1.end()), t2(tmpl2.begin(), tmpl2.end());
  for (long i = 1; i <= 5; ++i) {
    if (idx[i] == -1) return 0;
    pts[i] = atoms[idx[i]].xyz;
  }
  double r1 = lsfit_rmsd(pts, t1, 5), r2 = lsfit_rmsd(pts, t2, 5);
  double lo = std::min(r1, r2), hi = std::max(r1, r2);
  double ratio = lo < 0.001 ? DBL_MAX : hi / lo;
  if (!(ratio > Gvars.bb_ratio && lo < cutoff)) return 0;
  return r2 < r1 ? 2 : 1;
}

long nt_5prime_neighbour(long i, const struct_mol& mol) {
  return linked_neighbour(i, mol, [&](long k) { return is_nts_connected(k, i, mol); });
}

long nt_3prime_neighbour(long i, const struct_mol& mol) {
  return linked_neighbour(i, mol, [&](long k) { return is_nts_connected(i, k, mol); });
}

// ---------------------------------------------------------------------------
// Pipeline stages

void get_nt_bb_torsions(struct_mol& mol) {
  for (long i = 1; i <= mol.num_residues; ++i) {
    if (!is_nt(i, mol)) continue;
    nt_info& n = mol.nt_infos[i];
    long prev = nt_5prime_neighbour(i, mol), next = nt_3prime_neighbour(i, mol);
    long prev_any = neighbour_or_file(prev, i - 1, mol);
    long next_any = neighbour_or_file(next, i + 1, mol);
    long o3_prev = nt_atom(prev_any, &nt_info::O3p, mol);
    long p_next = nt_atom(next_any, &nt_info::P, mol);
    long o5_next = nt_atom(next_any, &nt_info::O5p, mol);

    n.alpha = idx2torsion({-1, o3_prev, n.P, n.O5p, n.C5p}, mol, 1);
    n.beta = idx2torsion({-1, n.P, n.O5p, n.C5p, n.C4p}, mol, 1);
    n.gamma = idx2torsion({-1, n.O5p, n.C5p, n.C4p, n.C3p}, mol, 1);
    n.delta = idx2torsion({-1, n.C5p, n.C4p, n.C3p, n.O3p}, mol, 1);
    n.epsilon = idx2torsion({-1, n.C4p, n.C3p, n.O3p, p_next}, mol, 1);
    n.zeta = idx2torsion({-1, n.C3p, n.O3p, p_next, o5_next}, mol, 1);
    n.chi = idx2torsion({-1, n.O4p, n.C1p, n.glyco_n, n.base2}, mol, 1);
    n.glyco_bond = get_glyco_bond(n, mol.residues[i]);

    static const char* const bb_texts[] = {"(--) ", "(BI) ", "(BII)"};
    n.bb_type = bb_texts[classify_bb_by_rmsd({-1, n.C4p, n.C3p, n.O3p, p_next, o5_next}, mol.atoms,
                                             BI_TEMPLATE, BII_TEMPLATE, BB_CLASS_CUTOFF)];

    // Virtual torsions take neighbours only through a real link.
    xyz P = atom_xyz(n.P, mol);
    xyz P3 = atom_xyz(nt_atom(next, &nt_info::P, mol), mol);
    n.eta = points_torsion(atom_xyz(nt_atom(prev, &nt_info::C4p, mol), mol), P,
                           atom_xyz(n.C4p, mol), P3, 0);
    n.theta = points_torsion(P, atom_xyz(n.C4p, mol), P3,
                             atom_xyz(nt_atom(next, &nt_info::C4p, mol), mol), 0);
    n.eta_prime = points_torsion(atom_xyz(nt_atom(prev, &nt_info::C1p, mol), mol), P,
                                 atom_xyz(n.C1p, mol), P3, 0);
    n.theta_prime = points_torsion(P, atom_xyz(n.C1p, mol), P3,
                                   atom_xyz(nt_atom(next, &nt_info::C1p, mol), mol), 0);
    xyz o = origin_xyz(i, mol);
    n.eta_base = points_torsion(origin_xyz(prev, mol), P, o, P3, 0);
    n.theta_base = points_torsion(P, o, P3, origin_xyz(next, mol), 0);
  }
}

void get_nt_sugar_torsions(struct_mol& mol) {
  for (long i = 1; i <= mol.num_residues; ++i) {
    if (!is_nt(i, mol)) continue;
    nt_info& n = mol.nt_infos[i];
    n.v0 = idx2torsion({-1, n.C4p, n.O4p, n.C1p, n.C2p}, mol, 1);
    n.v1 = idx2torsion({-1, n.O4p, n.C1p, n.C2p, n.C3p}, mol, 1);
    n.v2 = idx2torsion({-1, n.C1p, n.C2p, n.C3p, n.C4p}, mol, 1);
    n.v3 = idx2torsion({-1, n.C2p, n.C3p, n.C4p, n.O4p}, mol, 1);
    n.v4 = idx2torsion({-1, n.C3p, n.C4p, n.O4p, n.C1p}, mol, 1);
    if (is_set(n.v0) && is_set(n.v1) && is_set(n.v2) && is_set(n.v3) && is_set(n.v4)) {
      get_pseudorotation(n);
      if (is_set(n.phase_angle)) {
        long k = std::clamp(static_cast<long>(std::floor(n.phase_angle / 36.0)) + 1, 1L, 10L);
        n.puckering = Gconsts.puckers[k];
      }
    }
    static const char* const sugar_texts[] = {"   ----   ", "~C2'-endo ", " ~C3'-endo"};
    n.sugar_class = sugar_texts[classify_bb_by_rmsd({-1, n.C4p, n.O4p, n.C1p, n.C2p, n.C3p},
                                                    mol.atoms, C2ENDO_TEMPLATE, C3ENDO_TEMPLATE,
                                                    SUGAR_CLASS_CUTOFF)];
  }
}

void get_ss_dist_pars(long a, long b, const struct_mol& mol, ss_par& s) {
  const frame *fa = base_frame(a, mol), *fb = base_frame(b, mol);
  long p = nt_atom(b, &nt_info::P, mol);
  if (fa == nullptr || fb == nullptr || p == -1 || !is_nts_connected(a, b, mol)) return;
  const xyz& P = mol.atoms[p].xyz;
  xyz pa, pb, op;  // P to each base origin; base origin a to P
  diff_xyz(P, fa->org, pa);
  diff_xyz(P, fb->org, pb);
  diff_xyz(fa->org, P, op);
  s.ssZp = dot_xyz(op, fa->z_axis);
  const nt_info& n = mol.nt_infos[a];
  if (n.C1p != -1 && n.glyco_n != -1)
    s.Dp = get_point_line_dist(P, mol.atoms[n.C1p].xyz, mol.atoms[n.glyco_n].xyz);
  double da = length_xyz(pa), db = length_xyz(pb);
  s.splay_distance = dist_xyz(fa->org, fb->org);
  s.splay_ratio = s.splay_distance / (da + db);
  s.splay_angle = angle_xyz(pa, pb);
}

void populate_all_ss_dist_pars(struct_mol& mol) {
  for (size_t m = 1; m + 1 < mol.nt_order.size(); ++m)
    get_ss_dist_pars(mol.nt_order[m], mol.nt_order[m + 1], mol, mol.nt_infos[mol.nt_order[m]].ss);
}

std::vector<long> chain_order_nts(const struct_mol& mol) {
  std::vector<long> list(1, 0);
  for (long c = 1; c <= mol.num_chains; ++c)
    for (long t = 1; t <= mol.chains[c].num_chain_nts; ++t) list.push_back(mol.chains[c].nts[t]);
  return list;
}

std::string shown_bin(const std::string& bin) {
  if (bin.size() == 4 && bin[2] == ' ') return bin.substr(0, 2) + bin.substr(3);
  return bin.substr(0, bin.find(' '));
}

// ---------------------------------------------------------------------------
// Syn/anti queries

long glyco_syn(long i, const struct_mol& mol) {
  return is_nt(i, mol) && mol.nt_infos[i].glyco_bond == "syn";
}

long glyco_anti(long i, const struct_mol& mol) {
  return is_nt(i, mol) && mol.nt_infos[i].glyco_bond == "anti";
}

long glyco_anti_pair(long i, long j, const struct_mol& mol) {
  return glyco_anti(i, mol) && glyco_anti(j, mol);
}

long syn_anti_assigned(long i, const struct_mol& mol) {
  return !is_nt(i, mol) || mol.nt_infos[i].glyco_bond != "--";
}

namespace {

// 1 when an unassigned chi lies nearer the syn range [0, 90] than the anti
// ends 135 and 315; an unset chi is taken as anti.
bool chi_nearer_syn(double chi) {
  double c = to360(chi);
  double ds = c > 180.0 ? std::min(std::fabs(c - 360.0), std::fabs(c - 90.0))
                        : std::min(std::fabs(c), std::fabs(c - 90.0));
  double da = std::min(std::fabs(c - 135.0), std::fabs(c - 315.0));
  return da > ds;
}

long glyco_G4(long i, const struct_mol& mol, const char* word, bool want_syn) {
  VASK_ASSERT(i != 0);
  if (!is_nt(i, mol)) return 0;
  const std::string& g = mol.nt_infos[i].glyco_bond;
  if (g == word) return 1;
  if (g != "--") return 0;
  return chi_nearer_syn(mol.nt_infos[i].chi) == want_syn;
}

}  // namespace

long glyco_syn_G4(long i, const struct_mol& mol) { return glyco_G4(i, mol, "syn", true); }
long glyco_anti_G4(long i, const struct_mol& mol) { return glyco_G4(i, mol, "anti", false); }

// ---------------------------------------------------------------------------
// Records

void init_one_ssPar(ss_par& s) { s = ss_par{}; }

void free_ssPars(std::vector<ss_par>& list) { std::vector<ss_par>().swap(list); }

void reset_if_cswitch(long i, const struct_mol& mol, FILE* fp, long& counter) {
  if (fp == nullptr || i >= mol.num_residues) return;
  if (mol.residues[i].chain_id != mol.residues[i + 1].chain_id) {
    fputc('\n', fp);
    counter = 0;
  }
}

// ---------------------------------------------------------------------------
// The torsion file

namespace {

constexpr long TORSION_FILE_WIDTH = 90;  // separator line

// "%*.*f" of v: the torsion file holds about 100,000 numbers, and printf's
// parsing and exact conversion of each weighed on a whole run.
void put_fixed(FILE* fp, double v, int width, int decimals) {
  const std::string s = fixed_text(v, width, decimals);
  std::fwrite(s.data(), 1, s.size(), fp);
}

// A torsion in "%8.1f", or "     ---" when unset; in [0, 360) when asked.
void print_angle(FILE* fp, double a, bool full_circle) {
  if (!is_set(a)) {
    std::fputs("     ---", fp);
    return;
  }
  put_fixed(fp, full_circle ? to360(a) : a, 8, 1);
}

void print_dist(FILE* fp, double d) {
  if (is_set(d)) put_fixed(fp, d, 8, 2);
  else std::fputs("     ---", fp);
}

// Nucleotides in chain order.
// The separator line, then the legend lines.
void print_section_head(FILE* fp, std::initializer_list<const char*> lines) {
  print_separator(fp, '*', TORSION_FILE_WIDTH);
  for (const char* l : lines) std::fprintf(fp, "%s\n", l);
}

// " %-5ld %c %-15s": serial, one-letter code, id.
void print_nt_lead(FILE* fp, long k, long i, const struct_mol& mol) {
  const residue& r = mol.residues[i];
  std::fprintf(fp, " %-5ld %c %-15s", k, r.letter, r.idstr.c_str());
}

// One pass over the nucleotides in the given order with the serial restarting
// after each chain.
template <class F>
void for_each_nt_line(FILE* fp, const std::vector<long>& order, const struct_mol& mol, F&& line) {
  long k = 0;
  for (size_t m = 1; m < order.size(); ++m) {
    long i = order[m];
    line(++k, i);
    reset_if_cswitch(i, mol, fp, k);
  }
}

void print_main_chain(FILE* fp, const std::vector<long>& order, const struct_mol& mol) {
  print_section_head(fp, {
      "Main chain conformational parameters:",
      "",
      "  alpha:   O3'(i-1)-P-O5'-C5'",
      "  beta:    P-O5'-C5'-C4'",
      "  gamma:   O5'-C5'-C4'-C3'",
      "  delta:   C5'-C4'-C3'-O3'",
      "  epsilon: C4'-C3'-O3'-P(i+1)",
      "  zeta:    C3'-O3'-P(i+1)-O5'(i+1)",
      "  e-z:     epsilon-zeta (BI/BII backbone classification)",
      "",
      "  chi for pyrimidines(Y): O4'-C1'-N1-C2; purines(R): O4'-C1'-N9-C4",
      "    Range [170, -50(310)] is assigned to anti, and [50, 90] to syn",
      "",
      "  phase-angle: the phase angle of pseudorotation and puckering",
      "  sugar-type: ~C2'-endo for C2'-endo like conformation, or",
      "               ~C3'-endo for C3'-endo like conformation",
      "              Note the ONE column offset (for easy visual distinction)",
      "",
      "ssZp: single-stranded Zp, defined as the z-coordinate of the 3' phosphorus atom",
      "      (P) expressed in the standard reference frame of the 5' base; the value is",
      "      POSITIVE when P lies on the +z-axis side (base in anti conformation);",
      "      NEGATIVE if P is on the -z-axis side (base in syn conformation)",
      "  Dp: perpendicular distance of the 3' P atom to the glycosidic bond",
      "    [Ref: Acta Cryst. (2010), D66, 12-21: the Dp measure as a",
      "          marker of ribose pucker]",
      "splay: angle between the bridging P to the two base-origins of a dinucleotide.",
      ""});
  std::fprintf(fp,
               "          nt   %12salpha    beta   gamma   delta  epsilon   zeta     e-z        chi"
               "            phase-angle   sugar-type    ssZp     Dp    splay",
               " ");
  if (verbose2()) std::fputs("    zC5", fp);
  std::fputc('\n', fp);

  bool all360 = Gvars.torsion360 == 9;
  for_each_nt_line(fp, order, mol, [&](long k, long i) {
    const nt_info& n = mol.nt_infos[i];
    print_nt_lead(fp, k, i, mol);
    for (double a : {n.alpha, n.beta, n.gamma, n.delta, n.epsilon, n.zeta}) print_angle(fp, a, all360);
    if (is_set(n.epsilon) && is_set(n.zeta))
      std::fprintf(fp, "%7.0f%s", to360(n.epsilon) - to360(n.zeta), n.bb_type.c_str());
    else
      std::fputs("     ---    ", fp);
    print_angle(fp, n.chi, all360);
    if (n.glyco_bond == "--") std::fputs("      ", fp);
    else if (n.glyco_bond == "anti") std::fprintf(fp, "(%s)", n.glyco_bond.c_str());
    else std::fprintf(fp, "(%s) ", n.glyco_bond.c_str());
    if (!is_set(n.phase_angle))
      std::fputs("     ---          ", fp);
    else if (n.puckering.find("endo") != std::string::npos)
      std::fprintf(fp, "%8.1f(%s)", n.phase_angle, n.puckering.c_str());
    else
      std::fprintf(fp, "%8.1f(%s) ", n.phase_angle, n.puckering.c_str());
    std::fprintf(fp, " %s", n.sugar_class.c_str());
    print_dist(fp, n.ss.ssZp);
    print_dist(fp, n.ss.Dp);
    print_dist(fp, n.ss.splay_angle);
    if (verbose2()) print_dist(fp, n.c5_local[3]);
    std::fputc('\n', fp);
  });
}

void print_virtual(FILE* fp, const std::vector<long>& order, const struct_mol& mol) {
  print_section_head(fp, {
      "Virtual eta/theta torsion angles:",
      "",
      "  eta:    C4'(i-1)-P(i)-C4'(i)-P(i+1)",
      "  theta:  P(i)-C4'(i)-P(i+1)-C4'(i+1)",
      "    [Ref: J. Mol. Biol. (1998), 284, 1465-1478: the virtual-bond",
      "          description of RNA backbone conformation]",
      "",
      "  eta':   C1'(i-1)-P(i)-C1'(i)-P(i+1)",
      "  theta': P(i)-C1'(i)-P(i+1)-C1'(i+1)",
      "    [Ref: Q. Rev. Biophys. (2011), 44, 433-466: pseudo-torsions",
      "          through the C1' atoms]",
      "",
      "  eta\":   base(i-1)-P(i)-base(i)-P(i+1)",
      "  theta\": P(i)-base(i)-P(i+1)-base(i+1)",
      ""});
  std::fprintf(fp, "          nt   %12s eta   theta     eta'  theta'    eta\"  theta\"\n", " ");
  bool full = Gvars.torsion360 != 0;
  for_each_nt_line(fp, order, mol, [&](long k, long i) {
    const nt_info& n = mol.nt_infos[i];
    print_nt_lead(fp, k, i, mol);
    for (double a : {n.eta, n.theta, n.eta_prime, n.theta_prime, n.eta_base, n.theta_base})
      print_angle(fp, a, full);
    std::fputc('\n', fp);
  });
}

void print_sugar(FILE* fp, const std::vector<long>& order, const struct_mol& mol) {
  print_section_head(fp, {
      "Sugar conformational parameters:",
      "",
      "  v0: C4'-O4'-C1'-C2'",
      "  v1: O4'-C1'-C2'-C3'",
      "  v2: C1'-C2'-C3'-C4'",
      "  v3: C2'-C3'-C4'-O4'",
      "  v4: C3'-C4'-O4'-C1'",
      "",
      "  tm: the amplitude of pucker",
      "  P:  the phase angle of pseudorotation"});
  if (Gvars.pucker)
    std::fputs("    [Ref: J. Am. Chem. Soc. (1972), 94, 8205-8212: the Altona-Sundaralingam\n"
               "          pseudorotation parameters]\n",
               fp);
  else
    std::fputs("    [Ref: J. Am. Chem. Soc. (1983), 105, 970-976: the Westhof-Sundaralingam\n"
               "          pseudorotation parameters]\n",
               fp);
  std::fprintf(fp, "\n          nt   %12s  v0      v1      v2      v3      v4      tm      P   Puckering\n",
               " ");
  bool all360 = Gvars.torsion360 == 9;
  for_each_nt_line(fp, order, mol, [&](long k, long i) {
    const nt_info& n = mol.nt_infos[i];
    print_nt_lead(fp, k, i, mol);
    for (double a : {n.v0, n.v1, n.v2, n.v3, n.v4}) print_angle(fp, a, all360);
    print_angle(fp, n.amplitude, false);
    print_angle(fp, n.phase_angle, false);
    if (n.puckering.empty()) std::fputs("  ---     ", fp);
    else std::fprintf(fp, "%10s", n.puckering.c_str());
    std::fputc('\n', fp);
  });
}

// "33p" for a "33 p" bin, else its first word ("inc", "trig").
void print_suites(FILE* fp, const std::vector<long>& order, const struct_mol& mol) {
  print_section_head(fp, {
      "Assignment of sugar-phosphate backbone suites",
      "",
      "  bin: name of the 12 bins based on [delta(i-1), delta, gamma], where",
      "       delta(i-1) and delta can be either 3 (for C3'-endo sugar) or 2",
      "       (for C2'-endo) and gamma can be p/t/m (for gauche+/trans/gauche-",
      "       conformations, respectively) (2x2x3=12 combinations: 33p, 33t,",
      "       ... 22m); 'inc' refers to incomplete cases (i.e., with missing",
      "       torsions), and 'trig' to triages (i.e., with torsion angle",
      "       outliers)",
      "  cluster: 2-char suite name, for one of 53 reported clusters (46",
      "           certain and 7 wannabes), '__' for incomplete cases, and",
      "           '!!' for outliers",
      "  suiteness: measure of conformer-match quality (low to high in range 0 to 1)",
      "",
      "    [Ref: RNA (2008), 14, 465-481: consensus all-angle conformers of",
      "          the RNA backbone and their two-character names]",
      "",
      "          nt             bin    cluster   suiteness"});
  for_each_nt_line(fp, order, mol, [&](long k, long i) {
    const suite& s = mol.nt_infos[i].bb_suite;
    print_nt_lead(fp, k, i, mol);
    std::fprintf(fp, " %-4s     %2s", shown_bin(s.bin).c_str(), s.cluster.c_str());
    if (s.suiteness == 0) std::fputs("       0", fp);
    else std::fprintf(fp, "       %.3f", s.suiteness);
    if (verbose2()) {
      std::string comment = s.comment;
      if (s.status.find("wann") != std::string::npos)
        comment = comment.empty() ? "wannabe" : comment + " [wannabe]";
      std::fprintf(fp, "     # bin#%-2ld cluster#%-2ld [%ld]", s.bin_index, s.cluster_index,
                   s.num_candidates);
      if (!comment.empty()) std::fprintf(fp, " %s", comment.c_str());
    }
    std::fputc('\n', fp);
  });
  std::fputs("\nConcatenated suite string per chain. To avoid confusion of lower case\n"
             "modified nucleotide name (e.g., 'a') with suite cluster (e.g., '1a'),\n"
             "use --suite-delimiter to add delimiters (matched '()' by default).\n\n",
             fp);
  long c = 0;
  for (long k = 1; k <= mol.num_chains; ++k) {
    const chain& ch = mol.chains[k];
    if (ch.num_chain_nts < 1) continue;
    std::fprintf(fp, "%s  %s\n", chain_header(ch, ++c, mol.base_name, mol, true).c_str(),
                 ch.suite.c_str());
  }
}

}  // namespace

void print_nt_torsions(struct_mol& mol, const char* name) {
  if (mol.num_nts < 1) return;
  if (name == nullptr && !Gvars.auxfiles) return;
  std::string file =
      name != nullptr ? name : sformat("%.*s-torsions.txt", 256, Gvars.prefix.c_str());
  scoped_file sf(create_file(file));
  FILE* fp = sf.get();
  if (VERBOSITY <= 1) {
    std::fputs("         Output of DNA/RNA backbone conformational parameters\n", fp);
    std::fprintf(fp, "             %s\n", Gconsts.version.c_str());
  }
  if (!mol.stage.splay_units) populate_all_ss_dist_pars(mol);
  std::vector<long> order = chain_order_nts(mol);
  print_main_chain(fp, order, mol);
  print_virtual(fp, order, mol);
  std::vector<long> file_order(1, 0);
  for (long k = 1; k <= mol.num_residues; ++k)
    if (is_nt(k, mol)) file_order.push_back(k);
  print_sugar(fp, file_order, mol);
  print_suites(fp, order, mol);
  sf.close();
}

}  // namespace vask
