#include "pairing/frame.hpp"
#include "pairing/prepare.hpp"
#include "pairing/suite.hpp"
#include "pairing/torsion.hpp"
#include "structure/atom.hpp"
#include "structure/chain.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "structure/structure_fixture.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string>


namespace vask {

namespace {

class TorsionTest : public test::StructureTest {};

void read_structure(const std::string& path, struct_mol& mol) {
  test::log_capture quiet;
  init_struct_mol(path, mol);
  read_pdb(path, mol);
}

// Residue of chain and number, or 0.
long find_residue(const struct_mol& mol, const std::string& chain, long number) {
  for (long k = 1; k <= mol.num_residues; ++k)
    if (mol.residues[k].chain_id == chain && mol.residues[k].res_seq == number) return k;
  return 0;
}

// The file's residues in reverse order, each residue's atoms kept in order:
// a strand stored 3' to 5'.
std::string reversed_residues(const std::string& path) {
  std::istringstream in(test::read_file(path));
  std::vector<std::vector<std::string>> blocks;
  std::string line, key;
  while (std::getline(in, line)) {
    if (line.rfind("ATOM", 0) != 0 && line.rfind("HETATM", 0) != 0) continue;
    std::string k = line.substr(17, 10);
    if (blocks.empty() || k != key) blocks.emplace_back();
    key = k;
    blocks.back().push_back(line);
  }
  std::string out;
  for (auto b = blocks.rbegin(); b != blocks.rend(); ++b)
    for (const auto& l : *b) out += l + "\n";
  return out + "END\n";
}

}  // namespace

// ---------------------------------------------------------------------------
// The dihedral primitive

TEST(torsion, SignConventionAndUnsetCases) {
  // p2-p3 along z; p1 on +x; p4 turned about z by the dihedral.
  auto pts = [](double deg, double bond) {
    std::array<xyz, 5> p{};
    p[1] = {0, 1.0, 0, 0};
    p[2] = {0, 0, 0, 0};
    p[3] = {0, 0, 0, bond};
    p[4] = {0, std::cos(deg2rad(deg)), std::sin(deg2rad(deg)), bond};
    return p;
  };
  struct {
    double deg;
    double bond;
    long check;
    double want;
  } cases[] = {
      {60, 1.5, 1, 60},  // seen from p2 towards p3 the far bond turns clockwise
      {-60, 1.5, 1, -60},
      {180, 1.5, 1, 180},
      {0, 1.5, 1, 0},
      {60, 2.6, 1, DBL_MAX},  // a bond over 2.5 A
      {60, 2.6, 0, 60},       // no check
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.deg);
    double t = torsion(pts(c.deg, c.bond), c.check);
    if (c.want == DBL_MAX) {
      EXPECT_EQ(t, DBL_MAX);
    } else {
      EXPECT_NEAR(std::fabs(t), std::fabs(c.want), 1e-9);
      if (std::fabs(c.want) > 1e-9 && std::fabs(c.want) < 180) {
        EXPECT_EQ(t > 0, c.want > 0);
      }
    }
  }
  auto p = pts(60, 1.5);
  p[4][2] = DBL_MAX;
  EXPECT_EQ(torsion(p, 0), DBL_MAX);
}

// ---------------------------------------------------------------------------
// Cross-check against an independent dihedral routine

namespace {

// Prints, per residue with a C1' atom, chain, number, then alpha..zeta and chi
// (nan when an atom is missing or a bond is over 2.5 A), neighbours being the
// residues before and after in the chain.
constexpr const char* GEMMI_SCRIPT = R"PY(
import math, sys
try:
    import gemmi
except ImportError:
    print("NO_GEMMI")
    sys.exit(0)
st = gemmi.read_structure(sys.argv[1])
def atom(r, name):
    if r is None:
        return None
    a = r.find_atom(name, '*')
    return a.pos if a else None
def dih(r, names):
    ps = [atom(rr, n) for rr, n in zip(r, names)]
    if any(p is None for p in ps):
        return float('nan')
    for a, b in zip(ps, ps[1:]):
        if a.dist(b) > 2.5:
            return float('nan')
    return math.degrees(gemmi.calculate_dihedral(*ps))
for ch in st[0]:
    res = list(ch)
    for k, r in enumerate(res):
        if r.find_atom("C1'", '*') is None:
            continue
        p = res[k - 1] if k > 0 else None
        n = res[k + 1] if k + 1 < len(res) else None
        if r.find_atom('N9', '*'):
            g = ('N9', 'C4')
        elif r.name == 'PSU':
            g = ('C5', 'C4')
        else:
            g = ('N1', 'C2')
        v = [dih((p, r, r, r), ("O3'", 'P', "O5'", "C5'")),
             dih((r, r, r, r), ('P', "O5'", "C5'", "C4'")),
             dih((r, r, r, r), ("O5'", "C5'", "C4'", "C3'")),
             dih((r, r, r, r), ("C5'", "C4'", "C3'", "O3'")),
             dih((r, r, r, n), ("C4'", "C3'", "O3'", 'P')),
             dih((r, r, n, n), ("C3'", "O3'", 'P', "O5'")),
             dih((r, r, r, r), ("O4'", "C1'", g[0], g[1]))]
        print(ch.name, r.seqid.num, ' '.join('%.6f' % x for x in v))
)PY";

// chain:number -> alpha..zeta, chi; empty when the library is absent.
std::map<std::string, std::array<double, 7>> gemmi_torsions(const std::string& pdb) {
  std::map<std::string, std::array<double, 7>> out;
  char script[] = "/tmp/vask_gemmi_XXXXXX";
  int fd = mkstemp(script);
  if (fd < 0) return out;
  FILE* fp = fdopen(fd, "w");
  std::fputs(GEMMI_SCRIPT, fp);
  std::fclose(fp);
  std::string cmd = std::string("/usr/bin/python3 ") + script + " " + pdb + " 2>/dev/null";
  FILE* pipe = popen(cmd.c_str(), "r");
  if (pipe != nullptr) {
    char chain[16];
    long number;
    std::array<double, 7> v{};
    while (std::fscanf(pipe, "%15s %ld %lf %lf %lf %lf %lf %lf %lf", chain, &number, &v[0], &v[1],
                       &v[2], &v[3], &v[4], &v[5], &v[6]) == 9)
      out[std::string(chain) + ":" + std::to_string(number)] = v;
    pclose(pipe);
  }
  std::remove(script);
  return out;
}

}  // namespace

TEST_F(TorsionTest, AgreesWithGemmiOnTrnaPhe) {
  std::string path = test::test_data("1ehz.pdb");
  auto ref = gemmi_torsions(path);
  if (ref.empty()) GTEST_SKIP() << "gemmi (python3-gemmi) is not installed; cross-check skipped";
  struct_mol mol;
  read_structure(path, mol);
  long compared = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_nt(k, mol)) continue;
    const residue& r = mol.residues[k];
    auto it = ref.find(r.chain_id + ":" + std::to_string(r.res_seq));
    ASSERT_NE(it, ref.end()) << r.idstr;
    const nt_info& n = mol.nt_infos[k];
    const double ours[7] = {n.alpha, n.beta, n.gamma, n.delta, n.epsilon, n.zeta, n.chi};
    for (int j = 0; j < 7; ++j) {
      SCOPED_TRACE(r.idstr + " torsion " + std::to_string(j + 1));
      double theirs = it->second[j];
      if (std::isnan(theirs)) {
        EXPECT_EQ(ours[j], DBL_MAX);
        continue;
      }
      ASSERT_NE(ours[j], DBL_MAX);
      double d = std::fabs(ours[j] - theirs);
      EXPECT_LT(std::min(d, 360 - d), 0.01);
      ++compared;
    }
  }
  EXPECT_GT(compared, 7 * 70);
}

// ---------------------------------------------------------------------------
// Classes

TEST(glyco_bond, ChiRangesThenPhosphateAndC5Positions) {
  struct {
    double chi, py, c5y;
    const char* want;
  } cases[] = {
      {90, DBL_MAX, DBL_MAX, "syn"},     // both ends of [0, 90] included
      {0, DBL_MAX, DBL_MAX, "syn"},
      {135, DBL_MAX, DBL_MAX, "anti"},   // [135, 315] after -45 -> 315
      {-45, DBL_MAX, DBL_MAX, "anti"},
      {-160, DBL_MAX, DBL_MAX, "anti"},
      {100, DBL_MAX, DBL_MAX, "--"},     // no base frame: nothing to decide by
      {100, 3.0, 4.0, "syn"},
      {-30, 9.0, 8.0, "anti"},
      {-30, 3.0, 6.0, "--"},             // P says syn, C5' neither
      {DBL_MAX, 9.0, DBL_MAX, "anti"},   // unset chi, P alone
      {DBL_MAX, DBL_MAX, 4.5, "syn"},    // unset chi, C5' alone
      {DBL_MAX, 6.0, DBL_MAX, "--"},
  };
  residue r;
  r.idstr = "A.G1";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chi);
    nt_info n;
    n.chi = c.chi;
    n.p_local[2] = c.py;
    n.c5_local[2] = c.c5y;
    EXPECT_EQ(get_glyco_bond(n, r), c.want);
  }
}

TEST_F(TorsionTest, PseudorotationMethodsAndPuckerEdges) {
  nt_info n;
  // v2 = 0: the phase is +-90 by the sign of (v4 + v1) - (v3 + v0), no amplitude.
  n.v0 = -10, n.v1 = 20, n.v2 = 0, n.v3 = -20, n.v4 = 10;
  get_pseudorotation(n);
  EXPECT_NEAR(n.phase_angle, 90.0, 1e-9);
  EXPECT_NEAR(n.amplitude, 0.0, 1e-9);
  n.v0 = 10, n.v1 = -20, n.v3 = 20, n.v4 = -10;
  get_pseudorotation(n);
  EXPECT_NEAR(n.phase_angle, 270.0, 1e-9);

  // An ideal C2'-endo ring (P = 162, tm = 38): both methods agree.
  auto ideal = [](double P, double tm) {
    nt_info s;
    double* v[5] = {&s.v2, &s.v3, &s.v4, &s.v0, &s.v1};
    for (int j = 0; j < 5; ++j) *v[j] = tm * std::cos(deg2rad(P + 144.0 * j));
    return s;
  };
  for (long method : {1L, 0L}) {
    SCOPED_TRACE(method);
    mutable_gvars().pucker = method;
    nt_info s = ideal(162, 38);
    get_pseudorotation(s);
    EXPECT_NEAR(s.phase_angle, 162, 0.5);
    EXPECT_NEAR(s.amplitude, 38, 0.5);
    s = ideal(-10, 40);  // phase 350 stays in [0, 360)
    get_pseudorotation(s);
    EXPECT_NEAR(s.phase_angle, 350, 0.5);
  }
  nt_info flat;
  flat.v0 = flat.v1 = flat.v2 = flat.v3 = flat.v4 = 0;
  mutable_gvars().pucker = 0;
  get_pseudorotation(flat);  // a flat ring has no phase in the Fourier form
  EXPECT_EQ(flat.amplitude, 0);
  EXPECT_EQ(flat.phase_angle, DBL_MAX);
}

// ---------------------------------------------------------------------------
// Real structures

TEST_F(TorsionTest, TrnaPheStemsAreAntiC3EndoBI) {
  struct_mol mol;
  read_structure(test::test_data("1ehz.pdb"), mol);
  for (long number : {2, 3, 4, 5, 23, 24, 25, 28, 29, 30, 31, 51, 52, 53, 62, 63}) {
    long k = find_residue(mol, "A", number);
    ASSERT_GT(k, 0);
    const nt_info& n = mol.nt_infos[k];
    SCOPED_TRACE(mol.residues[k].idstr);
    EXPECT_EQ(n.glyco_bond, "anti");
    EXPECT_EQ(n.puckering, "C3'-endo");
    EXPECT_EQ(n.sugar_class, " ~C3'-endo");
    EXPECT_EQ(n.bb_type, "(BI) ");
    EXPECT_EQ(n.bb_suite.bin, "33 p");
    EXPECT_EQ(n.bb_suite.cluster, "1a");
    EXPECT_GT(n.bb_suite.suiteness, 0.4);
  }
  // Pseudouridines bond through C5: chi is O4'-C1'-C5-C4 and still anti.
  populate_all_ss_dist_pars(mol);
  for (long number : {39, 55}) {
    long k = find_residue(mol, "A", number);
    ASSERT_GT(k, 0);
    SCOPED_TRACE(number);
    EXPECT_EQ(mol.nt_infos[k].glyco_type, 2);
    EXPECT_EQ(mol.nt_infos[k].glyco_bond, "anti");
    for (long m : {k - 1, k, k + 1}) {
      const frame* f = base_frame(m, mol);
      ASSERT_NE(f, nullptr);
      EXPECT_LT(f->rmsd, 0.1);  // fitted like its neighbours
    }
    // the next P on the +z side of an anti base, off the glycosidic bond as for C3'-endo
    const ss_par& ss = mol.nt_infos[k].ss;
    EXPECT_GT(ss.ssZp, 3.0);
    EXPECT_LT(ss.ssZp, 6.0);
    EXPECT_GT(ss.Dp, 4.0);
    EXPECT_GT(ss.splay_angle, 0);
    EXPECT_LT(ss.splay_ratio, 1.0);
    EXPECT_EQ(ss.nt1, -1);  // the step list itself is made elsewhere
  }
  // The 5' end has no alpha and, unlinked before it, no eta.
  long first = find_residue(mol, "A", 1);
  EXPECT_EQ(mol.nt_infos[first].alpha, DBL_MAX);
  EXPECT_EQ(mol.nt_infos[first].eta, DBL_MAX);
  EXPECT_NE(mol.nt_infos[first].theta, DBL_MAX);
  long last = find_residue(mol, "A", 76);
  EXPECT_EQ(mol.nt_infos[last].epsilon, DBL_MAX);
  EXPECT_EQ(mol.nt_infos[last].bb_type, "(--) ");
}

TEST_F(TorsionTest, BDnaDodecamerIsC2EndoFamilyAndBI) {
  struct_mol mol;
  read_structure(test::test_data("1bna.pdb"), mol);
  populate_all_ss_dist_pars(mol);
  for (auto [chain, lo, hi] : {std::tuple{"A", 4, 9}, std::tuple{"B", 16, 21}}) {
    for (long number = lo; number <= hi; ++number) {
      long k = find_residue(mol, chain, number);
      ASSERT_GT(k, 0);
      const nt_info& n = mol.nt_infos[k];
      SCOPED_TRACE(mol.residues[k].idstr);
      EXPECT_GE(n.phase_angle, 90.0);
      EXPECT_LE(n.phase_angle, 180.0);
      EXPECT_EQ(n.glyco_bond, "anti");
      if (number != lo && number != hi) {
        EXPECT_EQ(n.bb_type, "(BI) ");
      }
      EXPECT_LT(n.ss.Dp, 2.9);  // the next P close to the glycosidic bond line: C2'-endo
    }
  }
}

TEST_F(TorsionTest, ZDnaGuaninesAreSynCytosinesAnti) {
  struct_mol mol;
  read_structure(test::test_data("3p4j-assembly1.cif"), mol);
  ASSERT_EQ(mol.num_nts, 12);
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_nt(k, mol)) continue;
    SCOPED_TRACE(mol.residues[k].idstr);
    bool guanine = mol.residues[k].letter == 'G';
    EXPECT_EQ(mol.nt_infos[k].glyco_bond, guanine ? "syn" : "anti");
    EXPECT_EQ(glyco_syn(k, mol), guanine);
    EXPECT_EQ(glyco_anti(k, mol), !guanine);
    EXPECT_EQ(glyco_syn_G4(k, mol), guanine);
    if (!guanine) {
      EXPECT_EQ(mol.nt_infos[k].puckering, "C2'-endo");
    }
  }
}

TEST_F(TorsionTest, G4TieBreakersTakeTheNearerChiRange) {
  struct_mol mol;
  read_structure(test::test_data("1ehz.pdb"), mol);
  long k = find_residue(mol, "A", 15);
  ASSERT_GT(k, 0);
  struct {
    const char* glyco;
    double chi;
    long syn, anti;
  } cases[] = {
      {"--", 100, 1, 0},      // 10 from the syn end, 35 from 135
      {"--", -30, 0, 1},      // 330: 30 from syn, 15 from 315
      {"--", DBL_MAX, 0, 1},  // unset counts as anti
      {"syn", -160, 1, 0},    // an assigned class stands
      {"anti", 60, 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chi);
    mol.nt_infos[k].glyco_bond = c.glyco;
    mol.nt_infos[k].chi = c.chi;
    EXPECT_EQ(glyco_syn_G4(k, mol), c.syn);
    EXPECT_EQ(glyco_anti_G4(k, mol), c.anti);
    EXPECT_EQ(syn_anti_assigned(k, mol), std::string(c.glyco) != "--");
  }
  long water = 0;
  for (long m = 1; m <= mol.num_residues && water == 0; ++m)
    if (!is_nt(m, mol)) water = m;
  EXPECT_EQ(glyco_anti(water, mol), 0);
  EXPECT_EQ(glyco_syn_G4(water, mol), 0);
  EXPECT_EQ(syn_anti_assigned(water, mol), 1);
}

// ---------------------------------------------------------------------------
// The torsion file

TEST_F(TorsionTest, TorsionFileColumns) {
  struct_mol mol;
  read_structure(test::test_data("1ehz.pdb"), mol);
  std::string path = testing::TempDir() + "vask-torsions-test.txt";
  print_nt_torsions(mol, path.c_str());
  std::string text = test::read_file(path);
  std::remove(path.c_str());
  auto line_in = [](const std::string& t, const std::string& start, size_t from) {
    size_t b = t.find("\n" + start, from);
    if (b == std::string::npos) return std::string();
    return t.substr(b + 1, t.find('\n', b + 1) - b - 1);
  };
  auto line_of = [&](const std::string& start, size_t from = 0) { return line_in(text, start, from); };
  EXPECT_EQ(text.substr(0, text.find('\n')),
            "         Output of DNA/RNA backbone conformational parameters");
  // main chain: a 5' end without alpha
  size_t main = text.find("Main chain conformational parameters:");
  ASSERT_NE(main, std::string::npos);
  std::string first = line_of(" 1     G A.G1", main);
  EXPECT_EQ(first.substr(0, 40), " 1     G A.G1                ---  -128.1");
  EXPECT_NE(first.find("(BI)"), std::string::npos);
  EXPECT_NE(first.find("(anti)"), std::string::npos);
  EXPECT_NE(first.find("(C3'-endo)  ~C3'-endo"), std::string::npos);
  // a 3' end: no epsilon, zeta or e-z, four blanks after the e-z dashes
  std::string last = line_of(" 76    A A.A76", main);
  EXPECT_NE(last.find("     ---     ---     ---    "), std::string::npos) << last;
  // syn/anti widths: "(anti)" and "(syn) " both take six columns
  size_t chi_col = first.find("(anti)");
  EXPECT_EQ(chi_col, 24u + 6 * 8 + 12 + 8);  // lead, six torsions, e-z, chi
  // the sugar section in file order, the suites with shown bins
  size_t sugar = text.find("Sugar conformational parameters:");
  ASSERT_NE(sugar, std::string::npos);
  EXPECT_NE(line_of(" 1     G A.G1", sugar).find("C3'-endo"), std::string::npos);
  size_t suites = text.find("Assignment of sugar-phosphate backbone suites");
  ASSERT_NE(suites, std::string::npos);
  EXPECT_EQ(line_of(" 1     G A.G1", suites), " 1     G A.G1            inc      __       0");
  EXPECT_EQ(line_of(" 2     C A.C2", suites), " 2     C A.C2            33p      1a       0.935");
  EXPECT_EQ(line_of(" 14    A A.A14", suites), " 14    A A.A14           trig     !!       0");
  EXPECT_NE(text.find("\nuse --suite-delimiter to add delimiters (matched '()' by default).\n"),
            std::string::npos);

  // the 0..360 setting: 1 for the virtual torsions only, 9 for all but tm and P
  for (long range : {1L, 9L}) {
    SCOPED_TRACE(range);
    mutable_gvars().torsion360 = range;
    print_nt_torsions(mol, path.c_str());
    std::string t = test::read_file(path);
    std::remove(path.c_str());
    size_t m = t.find("Main chain conformational parameters:");
    size_t v = t.find("Virtual eta/theta torsion angles:");
    std::string c2_main = line_in(t, " 2     C A.C2", m), c2_virtual = line_in(t, " 2     C A.C2", v);
    c2_main = c2_main.substr(0, 24 + 6 * 8);  // alpha..zeta
    EXPECT_EQ(c2_main.find('-') == std::string::npos, range == 9) << c2_main;
    EXPECT_EQ(c2_virtual.find('-'), std::string::npos) << c2_virtual;
    EXPECT_NE(c2_virtual.find("  215.4"), std::string::npos) << c2_virtual;  // theta -144.6
  }
  mutable_gvars().torsion360 = 0;

  // the file name follows the prefix; nothing without auxiliary files
  mutable_gvars().prefix = testing::TempDir() + "tors";
  print_nt_torsions(mol, nullptr);
  std::string named = Gvars.prefix + "-torsions.txt";
  EXPECT_EQ(test::read_file(named), text);
  std::remove(named.c_str());
  mutable_gvars().auxfiles = 0;
  print_nt_torsions(mol, nullptr);
  EXPECT_EQ(std::fopen(named.c_str(), "r"), nullptr);
}

// ---------------------------------------------------------------------------
// Suites of real nucleotides

TEST_F(TorsionTest, SuitesOfTrnaPheAndP4P6) {
  struct {
    const char* file;
    const char* chain;
    long number;
    const char* bin;
    const char* cluster;
    const char* comment;  // start of the comment
    double suiteness;     // 0 none; else to 0.001
  } cases[] = {
      {"1ehz.pdb", "A", 1, "inc ", "__", "incomplete", 0},
      {"1ehz.pdb", "A", 14, "trig", "!!", "triaged: gamma", 0},
      {"1ehz.pdb", "A", 17, "33 t", "!!", "outlier from known clusters [4D]", 0},
      {"1ehz.pdb", "A", 9, "32 p", "1[", "  between satellite \"1[\" (0.861) and dominant \"1b\"", 0.046},
      {"1ehz.pdb", "A", 7, "32 p", "1b", "  between dominant \"1b\" (0.134) and satellite \"1[\"", 0.803},
      {"1ehz.pdb", "A", 10, "23 p", "2g", "", 0.640},  // a wannabe cluster
      {"1ehz.pdb", "A", 59, "23 p", "4d", "no dominant cluster", 0.411},
      {"1gid.pdb", "A", 200, "trig", "!!", "triaged: epsilon, alpha", 0},
      {"1gid.pdb", "A", 109, "33 t", "!!", "outlier from known clusters (7D: '1c')", 0},
      {"1gid.pdb", "A", 114, "33 p", "&a", "outside satellite \"&a\" (0.270) and dominant \"1a\"", 0.738},
      {"1gid.pdb", "A", 254, "33 p", "3a", "no dominant cluster", 0.766},
      {"1gid.pdb", "B", 122, "32 m", "7r", "", 0.555},
  };
  std::map<std::string, struct_mol> mols;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.chain + std::to_string(c.number));
    if (!mols.count(c.file))
      read_structure(test::test_data(c.file), mols[c.file]);
    const struct_mol& mol = mols[c.file];
    long k = find_residue(mol, c.chain, c.number);
    ASSERT_GT(k, 0);
    const suite& s = mol.nt_infos[k].bb_suite;
    EXPECT_EQ(s.bin, c.bin);
    EXPECT_EQ(s.cluster, c.cluster);
    EXPECT_EQ(s.comment.substr(0, std::strlen(c.comment)), c.comment);
    EXPECT_NEAR(s.suiteness, c.suiteness, 0.0005);
    EXPECT_EQ(s.valid, c.suiteness > 0);
  }
}

TEST_F(TorsionTest, ChainSuiteStrings) {
  const std::string path = test::test_data("1ehz.pdb");
  struct {
    long sep, upper;
    const char* start;
  } cases[] = {
      {0, 0, "G1aC1aG1aG1aA1aU1bU2aU1[A2gg1aC1aU1cC!!A1aG!!u!!u5pG4bG2aG!!A1fG1aA1aG1aC1ag1aC"},
      {'(', 0, "G(1a)C(1a)G(1a)G(1a)A(1a)U(1b)U(2a)U(1[)A(2g)g(1a)C"},
      {'[', 1, "G[1a]C[1a]G[1a]G[1a]A[1a]U[1b]U[2a]U[1[]A[2g]G[1a]C"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.start);
    mutable_gvars().suite_sep = c.sep;
    mutable_gvars().suite_upper = c.upper;
    struct_mol mol;
    read_structure(path, mol);
    ASSERT_EQ(mol.num_chains, 1);
    const std::string& text = mol.chains[1].suite;
    EXPECT_EQ(text.substr(0, std::strlen(c.start)), c.start);
    EXPECT_EQ(text.back(), 'A');  // the 3' end has no suite after it
  }
  // A missing nucleotide breaks the chain: ".." after G19, and A21 starts afresh.
  mutable_gvars().suite_sep = 0;
  mutable_gvars().suite_upper = 0;
  std::istringstream in(test::read_file(path));
  std::string gapped;
  for (std::string line; std::getline(in, line);)
    if (!(line.rfind("ATOM", 0) == 0 && line.substr(17, 9) == "  G A  20")) gapped += line + "\n";
  struct_mol mol;
  {
    test::log_capture quiet;
    test::read_pdb_text(gapped, mol, "1ehz-gapped");
  }
  EXPECT_NE(mol.chains[1].suite.find("u5pG4bG..A1fG1aA"), std::string::npos)
      << mol.chains[1].suite;
  const suite& a21 = mol.nt_infos[find_residue(mol, "A", 21)].bb_suite;
  EXPECT_EQ(a21.bin, "inc ");
  EXPECT_EQ(a21.cluster, "__");
}

TEST_F(TorsionTest, StrandStoredThreeToFivePrimeGivesTheSameConformation) {
  struct_mol forward, backward;
  read_structure(test::test_data("1ehz.pdb"), forward);
  {
    test::log_capture quiet;
    test::read_pdb_text(reversed_residues(test::test_data("1ehz.pdb")), backward, "1ehz-reversed");
  }
  ASSERT_EQ(forward.num_nts, backward.num_nts);
  long compared = 0;
  for (long k = 1; k <= forward.num_residues; ++k) {
    if (!is_nt(k, forward)) continue;
    const residue& r = forward.residues[k];
    long m = find_residue(backward, r.chain_id, r.res_seq);
    ASSERT_GT(m, 0);
    const nt_info &a = forward.nt_infos[k], &b = backward.nt_infos[m];
    SCOPED_TRACE(r.idstr);
    for (auto [x, y] : {std::pair{a.alpha, b.alpha}, {a.epsilon, b.epsilon}, {a.zeta, b.zeta},
                        {a.eta, b.eta}, {a.theta, b.theta}, {a.eta_prime, b.eta_prime}})
      EXPECT_EQ(x, y);
    EXPECT_EQ(a.bb_type, b.bb_type);
    EXPECT_EQ(a.bb_suite.bin, b.bb_suite.bin);
    EXPECT_EQ(a.bb_suite.cluster, b.bb_suite.cluster);
    EXPECT_EQ(a.bb_suite.suiteness, b.bb_suite.suiteness);
    compared += a.bb_suite.cluster == "1a";
  }
  EXPECT_GT(compared, 40);
  // The chain string of the reversed file reads the same suites backwards.
  const std::string& f = forward.chains[1].suite;
  std::string reversed;
  for (size_t p = f.size(); p >= 3; p -= 3) reversed += f.substr(p - 1, 1) + f.substr(p - 3, 2);
  reversed += f[0];
  EXPECT_EQ(backward.chains[1].suite, reversed);
}

}  // namespace vask
