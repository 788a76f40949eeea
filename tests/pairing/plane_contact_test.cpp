// Plane contacts: the class rules on set measures, the contacts of real
// duplexes and tRNA, the look-ups, and the stacking lists and diagnostic files.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../structure/structure_fixture.hpp"
#include "pairing/frame.hpp"
#include "pairing/plane.hpp"
#include "pairing/prepare.hpp"
#include "residue_fixtures.hpp"
#include "structure/bond.hpp"
#include "structure/plane_records.hpp"
#include "structure/struct_mol.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

namespace fs = std::filesystem;

class PlaneContact : public test::StructureTest {};

long residue_numbered(const struct_mol& mol, const std::string& chain, long number) {
  for (long k = 1; k <= mol.num_residues; ++k)
    if (mol.residues[k].chain_id == chain && mol.residues[k].res_seq == number) return k;
  return 0;
}

// Guanines 1 and 2 stacked 3.4 apart; guanine 3 far away under tyrosine 4,
// whose ring gets an aromatic frame by hand (flat rings: z axes along z).
void read_bases_and_tyrosine(struct_mol& mol) {
  test::read_pdb_text(test::guanine(1, 1, 0) + test::guanine(2, 13, 3.4) + test::guanine(3, 25, 40) +
                          test::tyrosine(4, 37, 43.5),
                      mol);
  frame f;
  f.type = FRAME_AROMATIC;
  f.planar = 1;
  f.residue = 4;
  f.rmsd = 0.01;
  f.org = {0, 0, 1.4, 43.5};
  f.x_axis = {0, 1, 0, 0};
  f.y_axis = {0, 0, 1, 0};
  f.z_axis = {0, 0, 0, 1};
  mol.frames.push_back(f);
  mol.num_frames = static_cast<long>(mol.frames.size()) - 1;
  mol.residues[4].frames[FRAME_AROMATIC] = mol.num_frames;
  populate_planes(mol);
}

// The plane of residue k of the given kind.
long plane_of(long k, unsigned kind, const struct_mol& mol) { return mol.residues[k].planes[kind]; }

TEST_F(PlaneContact, ClassRulesOnSetMeasures) {
  struct_mol mol;
  read_bases_and_tyrosine(mol);
  ASSERT_EQ(mol.num_planes, 4);
  const long g1 = plane_of(1, PLANE_BASE, mol), g2 = plane_of(2, PLANE_BASE, mol);
  const long g3 = plane_of(3, PLANE_BASE, mol), y4 = plane_of(4, PLANE_SIDECHAIN, mol);
  ASSERT_TRUE(g1 > 0 && g2 > 0 && g3 > 0 && y4 > 0);
  // an H-bond between outer atoms: N1 of guanine 1 to O6 of guanine 2
  const long n1 = find_atom_in_residue(" N1 ", 1, mol), o6 = find_atom_in_residue(" O6 ", 2, mol);
  ASSERT_TRUE(n1 > 0 && o6 > 0);

  struct rule_case {
    const char* what;
    long p1, p2;
    bool hbond;
    double oarea, oarea1, oarea2, dv, dh, dv1, dh1, dv2, dh2, dcc, angle;
    long tshape_switch;
    char want;  // 'p' pair, 's' stack, 't' T-shape, 'o' other
  };
  const rule_case cases[] = {
      {"stacked bases", g1, g2, false, 3.2, 3.3, 3.1, 3.4, 0.5, 3.4, 0.5, 3.4, 0.5, 3.5, 10, 0, 's'},
      {"Watson-Crick pair", g1, g2, true, 0, 0, 0, 0.3, 10.5, 0.3, 10.5, 0.3, 10.5, 10.5, 10, 0, 'p'},
      {"H-bonded but 2.8 apart", g1, g2, true, 0, 0, 0, 2.8, 8, 2.8, 8, 2.8, 8, 8.5, 10, 0, 'o'},
      {"H-bonded with overlap", g1, g2, true, 0.5, 0.5, 0.5, 0.3, 3, 0.3, 3, 0.3, 3, 3, 10, 0, 's'},
      {"overlap at the cutoff", g1, g2, false, 0.1, 0.1, 0.1, 3.4, 5, 3.4, 5, 3.4, 5, 6, 10, 0, 's'},
      {"overlap below the cutoff", g1, g2, false, 0.09, 0.09, 0.09, 3.4, 5, 3.4, 5, 3.4, 5, 6, 10, 0, 'o'},
      {"T-shape", g1, g2, false, 0, 0, 0, 4.0, 3.2, 4.0, 1.0, 1.0, 4.0, 5.1, 80, 0, 't'},
      {"T-shape, off the normal", g1, g2, false, 0, 0, 0, 4.0, 3.2, 4.0, 2.6, 1.0, 4.0, 5.1, 80, 0, 'o'},
      {"T-shape, planes exchanged", g1, g2, false, 0, 0, 0, 4.0, 3.2, 1.0, 4.0, 4.0, 1.0, 5.1, 80, 0, 't'},
      {"T-shape ratio too small", g1, g2, false, 0, 0, 0, 2.0, 3.2, 4.0, 1.0, 1.0, 4.0, 3.8, 80, 0, 'o'},
      {"loose T-shape, switch off", g1, g2, false, 0, 0.5, 0, 2.0, 3.2, 2, 3, 2, 3, 3.8, 80, 0, 'o'},
      {"loose T-shape, switch on", g1, g2, false, 0, 0.5, 0, 2.0, 3.2, 2, 3, 2, 3, 3.8, 80, 1, 't'},
      {"base-base without overlap", g1, g2, false, 0, 0.5, 0.5, 3.5, 3.0, 3.5, 3, 3.5, 3, 4.6, 30, 0, 'o'},
      {"ring over base, overlap on a normal", g3, y4, false, 0, 0.5, 0, 3.5, 3.0, 3.5, 3, 3.5, 3, 4.6, 30, 0, 's'},
      {"ring over base, far centres", g3, y4, false, 0, 0.5, 0, 3.5, 3.0, 3.5, 3, 3.5, 3, 7.0, 30, 0, 'o'},
      {"ring over base, too steep", g3, y4, false, 0, 0.5, 0, 3.5, 3.0, 3.5, 3, 3.5, 3, 4.6, 50, 0, 'o'},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.what);
    mol.atoms[n1].hbonded.clear();
    if (t.hbond) mol.atoms[n1].hbonded.append(o6);
    mutable_gvars().tshape = t.tshape_switch;
    for (long k = 1; k <= mol.num_residues; ++k) mol.residues[k].stacked = 0;
    planeCnt c;
    c.plane1 = t.p1;
    c.plane2 = t.p2;
    c.res1 = mol.atoms[mol.planes[t.p1].inner[1]].residue;
    c.res2 = mol.atoms[mol.planes[t.p2].inner[1]].residue;
    c.oarea = t.oarea, c.oarea1 = t.oarea1, c.oarea2 = t.oarea2;
    c.dv = t.dv, c.dh = t.dh, c.dv1 = t.dv1, c.dh1 = t.dh1, c.dv2 = t.dv2, c.dh2 = t.dh2;
    c.dcc = t.dcc, c.angle = t.angle;
    fillout_planeCnt_types(c, mol);
    EXPECT_EQ(c.is_pair + c.is_stack + c.is_tshape + c.is_other, 1) << "exactly one class";
    const char got = c.is_pair ? 'p' : c.is_stack ? 's' : c.is_tshape ? 't' : 'o';
    EXPECT_EQ(got, t.want);
    EXPECT_EQ(c.hbonded, t.hbond);
    EXPECT_EQ(c.faces.empty(), got != 's');
    EXPECT_EQ(mol.residues[c.res1].stacked, got == 's');
  }

  // a peptide plane of a residue linked to the base's never stacks steeply
  mol.planes[y4].kind = PLANE_PEPTIDE;
  mol.residues[3].linked.append(4);
  mol.residues[4].linked.append(3);
  for (double angle : {40.0, 50.0}) {
    SCOPED_TRACE(angle);
    planeCnt c;
    c.plane1 = g3, c.plane2 = y4, c.res1 = 3, c.res2 = 4;
    c.oarea = c.oarea1 = c.oarea2 = 1.0;
    c.dv = c.dv1 = c.dv2 = 3.0;
    c.dh = c.dh1 = c.dh2 = 2.0;
    c.dcc = 3.6;
    c.angle = angle;
    fillout_planeCnt_types(c, mol);
    EXPECT_TRUE(c.linked);
    EXPECT_EQ(c.is_stack, angle < 45);
  }
}

// Side chain over base without a gated overlap: the buried area decides, and
// the program log says why.
TEST_F(PlaneContact, SideChainStackByBuriedArea) {
  struct_mol mol;
  read_bases_and_tyrosine(mol);
  test::log_capture log(true);
  planeCnt c;
  c.plane1 = plane_of(3, PLANE_BASE, mol);
  c.plane2 = plane_of(4, PLANE_SIDECHAIN, mol);
  c.res1 = 3;
  c.res2 = 4;
  c.oarea = c.oarea1 = c.oarea2 = 0;
  c.dv = c.dv1 = c.dv2 = 3.5;
  c.dh = c.dh1 = c.dh2 = 1.4;
  c.dcc = 3.8;
  c.angle = 0;
  fillout_planeCnt_types(c, mol);
  EXPECT_TRUE(c.is_stack);
  EXPECT_NE(log.prg_text().find("[PCNT_STACK]: A.G3-A.TYR4: AAsc2base="), std::string::npos)
      << log.prg_text();
  mutable_gvars().stack_area = 900;  // more than the ring can bury
  planeCnt d = c;
  d.is_stack = 0;
  d.faces.clear();
  fillout_planeCnt_types(d, mol);
  EXPECT_FALSE(d.is_stack);
}

TEST_F(PlaneContact, StackedBasesAndRingOverBase) {
  struct_mol mol;
  read_bases_and_tyrosine(mol);
  populate_plane_contacts(mol);
  ASSERT_EQ(mol.stage.plane_contacts, 1);
  ASSERT_EQ(mol.num_plane_contacts, 2);  // G1/G2 and G3/TYR4; the two pairs are far apart
  const planeCnt& bases = mol.plane_contacts[1];
  EXPECT_EQ(bases.res1, 1);
  EXPECT_EQ(bases.res2, 2);
  EXPECT_TRUE(bases.is_stack);
  EXPECT_NEAR(bases.dv, 3.4, 1e-3);
  EXPECT_NEAR(bases.angle, 0, 0.1);
  EXPECT_GT(bases.oarea, 10);
  const planeCnt& ring = mol.plane_contacts[2];  // kind key 01 after 00
  EXPECT_EQ(ring.res1, 3);
  EXPECT_EQ(ring.res2, 4);
  EXPECT_TRUE(ring.is_stack);
  EXPECT_NEAR(ring.dv, 3.5, 1e-3);

  EXPECT_TRUE(residuePlanes_in_stack(1, 2, mol));
  EXPECT_TRUE(residuePlanes_in_stack(4, 3, mol));
  EXPECT_FALSE(residuePlanes_in_stack(1, 3, mol));
  EXPECT_FALSE(residuePlanes_in_pair(1, 2, mol));
  EXPECT_FALSE(residuePlanes_in_tshape(1, 2, mol));
  EXPECT_TRUE(mol.residues[1].plane_stacks.has(2) && mol.residues[2].plane_stacks.has(1));
  EXPECT_TRUE(mol.residues[4].plane_stacks.has(3));
  EXPECT_NEAR(mol.residues[1].overlap_areas[1], bases.oarea, 1e-9);  // nt-nt
  EXPECT_NEAR(mol.residues[3].overlap_areas[2], ring.oarea, 1e-9);   // nt-aa
  EXPECT_NEAR(mol.residues[4].overlap_areas[0], ring.oarea, 1e-9);   // all
  EXPECT_EQ(mol.residues[4].overlap_areas[1], 0);

  const long p1 = plane_of(1, PLANE_BASE, mol), p2 = plane_of(2, PLANE_BASE, mol);
  EXPECT_EQ(check_planeCnt_for_2planes(p1, p2, mol), &mol.plane_contacts[1]);
  EXPECT_EQ(check_planeCnt_for_2planes(p2, p1, mol), &mol.plane_contacts[1]);
  EXPECT_EQ(check_planeCnt_for_2planes(p1, p1, mol), nullptr);
  EXPECT_EQ(check_planeCnt_for_2planes(p1, plane_of(3, PLANE_BASE, mol), mol), nullptr);
  EXPECT_EQ(check_planeCnt_for_2planes(-1, p1, mol), nullptr);
}

// Every step of each strand of the dodecamer stacks; the Watson-Crick partners pair.
TEST_F(PlaneContact, DodecamerSteps) {
  struct_mol mol;
  read_pdb(test::test_data("1bna.pdb"), mol);
  for (long k = 1; k <= 11; ++k)
    for (const char* chain : {"A", "B"}) {
      const long n = std::string(chain) == "A" ? k : k + 12;
      SCOPED_TRACE(std::string(chain) + std::to_string(n));
      const long i = residue_numbered(mol, chain, n), j = residue_numbered(mol, chain, n + 1);
      ASSERT_TRUE(i && j);
      EXPECT_TRUE(residuePlanes_in_stack(i, j, mol));
    }
  for (long k = 1; k <= 12; ++k) {
    SCOPED_TRACE(k);
    EXPECT_TRUE(residuePlanes_in_pair(residue_numbered(mol, "A", k), residue_numbered(mol, "B", 25 - k), mol));
  }
  for (long k = 2; k <= mol.num_plane_contacts; ++k)
    EXPECT_FALSE(planeCnt_compare(mol.plane_contacts[k], mol.plane_contacts[k - 1], mol)) << k;
}

// The contacts found through the residues' contact sets are those of a loop
// over all plane pairs.
TEST_F(PlaneContact, SameAsAllPlanePairsOn1ehz) {
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  long n = 0;
  for (long i = 1; i <= mol.num_planes; ++i)
    for (long j = i + 1; j <= mol.num_planes; ++j) {
      const plane &pi = mol.planes[i], &pj = mol.planes[j];
      const long ri = mol.atoms[pi.inner[1]].residue, rj = mol.atoms[pj.inner[1]].residue;
      if (!residues_in_vdwCnt(ri, rj, mol)) continue;
      bool touch = false;
      for (long a = 1; a <= pi.num_atoms && !touch; ++a)
        for (long b = 1; b <= pj.num_atoms && !touch; ++b) touch = atoms_ij_in_vdwCnt(pi.outer[a], pj.outer[b], mol);
      if (!touch) continue;
      ++n;
      EXPECT_NE(check_planeCnt_for_2planes(i, j, mol), nullptr) << i << " " << j;
    }
  EXPECT_EQ(mol.num_plane_contacts, n);
  EXPECT_GT(n, 100);
}

// ---------------------------------------------------------------------------
// Lists and files

TEST_F(PlaneContact, StacksListLines) {
  struct_mol mol;
  read_bases_and_tyrosine(mol);
  populate_plane_contacts(mol);
  FILE* fp = std::tmpfile();
  write_stacks_list(mol, fp);
  char want[256];
  std::snprintf(want, sizeof want, "    1 G/G A.G1 A.G2 %.1f 3.40 0\n    2 G/Y A.G3 A.TYR4 %.1f 3.50 0\n",
                mol.plane_contacts[1].oarea, mol.plane_contacts[2].oarea);
  EXPECT_EQ(test::read_stream(fp), want);
  std::fclose(fp);

  // a peptide plane gets a note
  mol.planes[mol.plane_contacts[2].plane2].kind = PLANE_PEPTIDE;
  FILE* fp2 = std::tmpfile();
  VERBOSITY = 2;  // adds the per-nucleotide table
  write_stacks_list(mol, fp2);
  VERBOSITY = 0;
  const std::string text = test::read_stream(fp2);
  std::fclose(fp2);
  EXPECT_NE(text.find(" 3.50 0 # peptide2\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nOverlap areas per nucleotide\n    1 A.G1 "), std::string::npos) << text;
}

TEST_F(PlaneContact, PeptideContext) {
  std::vector<residue> r(5);
  const char letters[] = " GSAK";
  for (long k = 1; k <= 4; ++k) {
    r[k].letter = letters[k];
    r[k].idstr = "A." + std::to_string(k);
  }
  r[2].linked.append(1);
  r[2].linked.append(3);
  r[1].linked.append(2);
  r[3].linked.append(2);
  struct context_case {
    long aa;
    const char *context, *prev, *next;
  } cases[] = {{2, "GSA", "A.1", "A.3"}, {1, ".GS", ".", "A.2"}, {3, "SA.", "A.2", "."}, {4, ".K.", ".", "."}};
  for (const auto& t : cases) {
    SCOPED_TRACE(t.aa);
    std::string context, prev, next;
    _extract_peptide_context(r, t.aa, context, prev, next);
    EXPECT_EQ(context, t.context);
    EXPECT_EQ(prev, t.prev);
    EXPECT_EQ(next, t.next);
  }
}

// End to end: the stacking list and the debug files of tRNA-Phe, and the
// peptide-base lists of a structure without peptide planes.
class PlaneContactExe : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "vask-pcnt-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }
  int run(const std::string& args) {
    std::string cmd = "cd '" + dir_.string() + "' && '" VASK_EXE "' " + args + " >stdout.txt 2>stderr.txt";
    int rc = std::system(cmd.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  }
  std::string read(const std::string& name) const { return test::read_file((dir_ / name).string()); }
  fs::path dir_;
};

TEST_F(PlaneContactExe, StacksListOf1ehz) {
  ASSERT_EQ(run("-i='" + test::test_data("1ehz.pdb") + "' --get-stack -o=stacks.txt"), 0);
  std::istringstream in(read("stacks.txt"));
  long lines = 0, serial = 0;
  for (std::string line; std::getline(in, line);) {
    ++lines;
    ASSERT_EQ(std::sscanf(line.c_str(), "%ld", &serial), 1) << line;
    EXPECT_EQ(serial, lines);
  }
  EXPECT_GT(lines, 50);
  EXPECT_NE(read("stacks.txt").find(" A.G1 A.C2 "), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "vask-planeCnts.pdb"));
}

// Rna15 RRM on a GU dinucleotide: aromatic side chains stack on G1.
TEST_F(PlaneContactExe, SideChainsOnBaseIn2x1f) {
  const std::string path = test::test_data("2x1f.pdb");
  ASSERT_TRUE(fs::exists(path)) << path << " missing";
  ASSERT_EQ(run("-i='" + path + "' --stack-file -o=stacks.txt"), 0);
  const std::string text = read("stacks.txt");
  EXPECT_NE(text.find(" G/Y B.G1 A.TYR21 "), std::string::npos) << text;
  EXPECT_NE(text.find(" G/H B.G1 A.HIS109 "), std::string::npos) << text;
}

// A base stacked on a peptide unit (tRNA-Asp on its synthetase) and a base
// paired with one (HhaI methyltransferase on DNA).
TEST_F(PlaneContactExe, PeptideBaseLines) {
  const struct {
    const char *file, *option, *line;
  } cases[] = {
      {"1efw.cif", "--peptide-base",
       "pdb=1efw, nt=C.C32, aa=A.LEU31, aa_context=DLG, aa_prev=A.ASP30, aa_next=A.GLY32, area=2.4, "
       "dv=3.24, angle=12\n"},
      {"3mht.pdb", "--peptide-base-pair",
       "pdb=3mht, nt=C.DG408, aa=A.GLY236, aa_context=GGQ, aa_prev=A.GLY235, aa_next=A.GLN237, "
       "hbonds.3=O6@C.DG408-N@A.GLN237[2.82]:N1@C.DG408-OE1@A.GLN237[3.07]:N2@C.DG408-OE1@A.GLN237[3.03], "
       "dv=0.14, angle=14\n"},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.file);
    const std::string path = test::test_data(t.file);
    ASSERT_TRUE(fs::exists(path)) << path << " missing";
    fs::remove(dir_ / "pb.txt");
    ASSERT_EQ(run("-i='" + path + "' " + t.option + " -o=pb.txt"), 0);
    EXPECT_EQ(read("pb.txt"), t.line);
  }
}

TEST_F(PlaneContactExe, PeptideBaseListsAppend) {
  const std::string in = "-i='" + test::test_data("1ehz.pdb") + "'";
  ASSERT_EQ(run(in + " --peptide-base -o=pb.txt"), 0);
  EXPECT_NE(read("stderr.txt").find("[i] no peptide planes found in 1ehz"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir_ / "pb.txt"));
  EXPECT_EQ(read("pb.txt"), "");
  std::ofstream(dir_ / "pb.txt") << "kept\n";
  ASSERT_EQ(run(in + " --peptide-base-pair -o=pb.txt"), 0);
  EXPECT_EQ(read("pb.txt"), "kept\n");
}

TEST_F(PlaneContactExe, DebugFilesReadableByGemmi) {
  // stale files of the four names go even when no new ones are written
  for (const char* part : {"planeCnts", "planePairs", "planeStacks", "planeTshapes"})
    std::ofstream(dir_ / (std::string("vask-") + part + ".pdb")) << "stale\n";
  const std::string in = "-i='" + test::test_data("1ehz.pdb") + "'";
  ASSERT_EQ(run(in + " --debug --auxfile=off -o=out.txt"), 0);
  for (const char* part : {"planeCnts", "planePairs", "planeStacks", "planeTshapes"})
    EXPECT_FALSE(fs::exists(dir_ / (std::string("vask-") + part + ".pdb"))) << part;

  ASSERT_EQ(run(in + " --debug -o=out.txt"), 0);
  const std::string log = read("stderr.txt");
  long all = 0, stacks = 0, pairs = 0;
  ASSERT_EQ(std::sscanf(log.substr(log.find("\nList of ")).c_str(), "\nList of %ld plane contacts", &all), 1);
  ASSERT_EQ(std::sscanf(log.substr(log.find("\nList of ", log.find("plane-pairs") - 20)).c_str(),
                        "\nList of %ld plane-pairs", &pairs),
            1);
  ASSERT_EQ(std::sscanf(log.substr(log.find("\nList of ", log.find("plane-stacks") - 20)).c_str(),
                        "\nList of %ld plane-stacks", &stacks),
            1);
  EXPECT_GT(stacks, 50);
  EXPECT_GT(pairs, 20);
  const std::string models = read("vask-planeStacks.pdb");
  EXPECT_EQ(models.rfind("MODEL ", 0), 0u);
  EXPECT_NE(models.find("\nREMARK    residues=2  GC A.G1,A.C2\n"), std::string::npos);

  if (std::system("/usr/bin/python3 -c 'import gemmi' >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "python3-gemmi not installed: model files not read back";
  const struct {
    const char* part;
    long models;
  } files[] = {{"planeCnts", all}, {"planePairs", pairs}, {"planeStacks", stacks}};
  for (const auto& f : files) {
    SCOPED_TRACE(f.part);
    std::string cmd = "cd '" + dir_.string() + "' && /usr/bin/python3 -c \"import gemmi; s = gemmi.read_structure('vask-" +
                      f.part + ".pdb'); print(len(s), sum(1 for m in s for c in m for r in c))\" > gemmi.txt";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    long n = 0, residues = 0;
    ASSERT_EQ(std::sscanf(read("gemmi.txt").c_str(), "%ld %ld", &n, &residues), 2);
    EXPECT_EQ(n, f.models);
    EXPECT_GE(residues, 2 * f.models);
  }
}

}  // namespace
}  // namespace vask
