// The rebuild sub-command: models from parameter files (the round trip
// through analyze), frame files, layer lists and G4 specifications; the
// connection pass; its options and errors.
#include "model_run.hpp"
#include "modeling/rebuild.hpp"
#include "structure/atom.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/struct_mol.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

namespace vask {
namespace {

using test::exe_result;
using test::read_par_rows;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

long count_lines(const std::string& text, const std::string& start) {
  long n = 0;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) n += line.rfind(start, 0) == 0;
  return n;
}

bool gemmi_cli() { return std::system("command -v gemmi >/dev/null 2>&1") == 0; }

class RebuildRun : public test::ModelRun {
 protected:
  // Compares two rebuild input files: translations within 0.002 A; step
  // angles within 0.025 and pair angles within 0.04 degrees: the noise of
  // coordinates written to 0.001 A in a PDB file (about 0.0005 / 2.5 rad per
  // base frame, which a pair's two bases and a step's four add up).
  void expect_same_pars(const std::string& a, const std::string& b, bool pairs) {
    const auto r1 = read_par_rows(read(a)), r2 = read_par_rows(read(b));
    ASSERT_EQ(r1.size(), r2.size());
    for (std::size_t i = 0; i + 1 < r1.size(); ++i) {
      ASSERT_EQ(r1[i].values.size(), r2[i].values.size());
      EXPECT_EQ(r1[i].name, r2[i].name);
      for (std::size_t j = 0; j < r1[i].values.size(); ++j) {
        const bool angle = (j % 6) >= 3, pair_angle = angle && pairs && j < 6;
        EXPECT_NEAR(r1[i].values[j], r2[i].values[j], pair_angle ? 0.04 : angle ? 0.025 : 0.002)
            << a << " row " << i << " col " << j;
      }
    }
  }
  void expect_gemmi_reads(const std::string& file, long residues) {
    if (!gemmi_cli()) {
      test::oracle_missing("gemmi not installed: the gemmi check of " + file + " is skipped");
      return;
    }
    const std::string cmd = "cd '" + dir_.string() + "' && gemmi contents '" + file + "' >gemmi.txt 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << read("gemmi.txt");
    EXPECT_TRUE(has(read("gemmi.txt"), "Residue count excl. solvent and buffer:      " +
                                           std::to_string(residues)))
        << read("gemmi.txt");
  }
};

TEST_F(RebuildRun, RoundTripOf1bna) {
  copy_data("1bna.pdb");
  ASSERT_EQ(run("analyze -i=1bna.pdb --rebuild").status, 0);
  std::filesystem::rename(dir_ / "vask-dsStepPars.txt", dir_ / "orig.txt");
  exe_result r = run("rebuild --par-file=orig.txt --backbone=B -o=r.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.err, "[i] reading in 12 lines of parameters"));
  const std::string model = read("r.pdb");
  EXPECT_EQ(model.rfind("REMARK VASK\n", 0), 0u);
  EXPECT_EQ(count_lines(model, "ATOM"), 492);  // 24 nucleotides, B backbone
  EXPECT_TRUE(has(read("vask-rebuildPars.txt"), "# double-stranded, num=12\n"));
  EXPECT_TRUE(has(read("vask-frames.txt"), "# 12 frames\n   1 C-G\n"));

  r = run("analyze -i=r.pdb --rebuild");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "num_pairs=12 "));
  expect_same_pars("orig.txt", "vask-dsStepPars.txt", true);
  expect_gemmi_reads("r.pdb", 24);

  // the helical parameters build the same model
  std::filesystem::rename(dir_ / "vask-dsHeliPars.txt", dir_ / "heli.txt");
  r = run("rebuild --par-file=heli.txt --par-type=helical --backbone=B -o=h.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.err, "[i] build with helical parameters"));
  ASSERT_EQ(run("analyze -i=h.pdb --rebuild").status, 0);
  expect_same_pars("orig.txt", "vask-dsStepPars.txt", true);
}

TEST_F(RebuildRun, RoundTripOfAnRnaStemOf1ehz) {
  copy_data("1ehz.pdb");
  write("acceptor.txt", "1 72\n2 71\n3 70\n4 69\n5 68\n6 67\n7 66\n");
  ASSERT_EQ(run("analyze -i=1ehz.pdb --ds-input=acceptor.txt --rebuild").status, 0);
  std::filesystem::rename(dir_ / "vask-dsStepPars.txt", dir_ / "stem.txt");
  exe_result r = run("rebuild --par-file=stem.txt --backbone=R -o=stem.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(count_lines(read("stem.pdb"), "ATOM"), 14 * 1 + 284);  // 14 nucleotides with O2'
  EXPECT_TRUE(has(read("stem.pdb"), " O2'   G A   1"));
  ASSERT_EQ(run("analyze -i=stem.pdb --rebuild").status, 0);
  expect_same_pars("stem.txt", "vask-dsStepPars.txt", true);
  expect_gemmi_reads("stem.pdb", 14);
}

// The backbone templates close their links in the fiber helices too: a
// fiber duplex analysed and rebuilt from its parameters gets covalent O3'-P
// links (1.55-1.65 A) on both strands, for every base.
TEST_F(RebuildRun, RebuiltFiberDuplexesLinkTheirBackbones) {
  const struct {
    const char* fiber;
    char backbone;
  } cases[] = {{"--seq=GCGATATCGCGAATTCGCTA", 'B'},
               {"--A-form --seq=GCGATATCGCGAATTCGCTA", 'A'},
               {"--RNA-duplex --seq=GCGAUAUCGCGAAUUCGCUA", 'R'}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fiber);
    ASSERT_EQ(run(std::string("fiber ") + c.fiber + " -o=f.pdb").status, 0);
    ASSERT_EQ(run("analyze -i=f.pdb --rebuild").status, 0);
    exe_result r = run(std::string("rebuild --par-file=vask-dsStepPars.txt --backbone=") + c.backbone + " -o=r.pdb");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto chains = test::chain_atoms(read("r.pdb"));
    ASSERT_EQ(chains.size(), 2u);
    for (const auto& [chain, residues] : chains) {
      ASSERT_EQ(residues.size(), 20u) << chain;
      for (std::size_t k = 0; k + 1 < residues.size(); ++k)  // written 5' to 3'
        EXPECT_NEAR(test::dist(residues[k].at("O3'"), residues[k + 1].at("P")), 1.60, 0.05) << chain << k;
    }
    expect_gemmi_reads("r.pdb", 40);
  }
}

// At the standard steps of their forms (flat pairs; B: twist 36, rise 3.38;
// A and RNA: slide -1.5, rise 3.3, roll 11, twist 31) the templates close
// every O3'-P link at 1.60 A, for each of the 16 steps of two bases.
TEST_F(RebuildRun, StandardStepsCloseTheBackbone) {
  const struct {
    char backbone;
    const char* step;  // Shift Slide Rise Tilt Roll Twist
  } cases[] = {{'B', "0 0 3.38 0 0 36"}, {'A', "0 -1.5 3.3 0 11 31"}, {'R', "0 -1.5 3.3 0 11 31"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.backbone);
    std::string seq = "AACAGATCCGCTGGTTA";  // every step of two bases once
    if (c.backbone == 'R')
      for (char& b : seq) b = b == 'T' ? 'U' : b;
    const std::map<char, char> partner{{'A', seq.find('U') != std::string::npos ? 'U' : 'T'},
                                       {'C', 'G'}, {'G', 'C'}, {'T', 'A'}, {'U', 'A'}};
    std::string pars;
    for (char b : seq) pars += std::string(1, b) + "-" + partner.at(b) + " 0 0 0 0 0 0 " + c.step + "\n";
    write("std.txt", pars);
    exe_result r = run(std::string("rebuild --par-file=std.txt --backbone=") + c.backbone + " -o=r.pdb");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto chains = test::chain_atoms(read("r.pdb"));
    ASSERT_EQ(chains.size(), 2u);
    for (const auto& [chain, residues] : chains) {
      ASSERT_EQ(residues.size(), seq.size()) << chain;
      for (std::size_t k = 0; k + 1 < residues.size(); ++k)
        EXPECT_NEAR(test::dist(residues[k].at("O3'"), residues[k + 1].at("P")), 1.60, 0.03) << chain << k;
    }
  }
}

TEST_F(RebuildRun, SingleStrandRoundTrip) {
  copy_data("1bna.pdb");
  ASSERT_EQ(run("analyze -i=1bna.pdb --ss-input=list.txt").status, 1);  // a missing list is fatal
  write("list.txt", "1\n2\n3\n4\n5\n6\n");
  ASSERT_EQ(run("analyze -i=1bna.pdb --ss-input=list.txt --rebuild").status, 0);
  std::filesystem::rename(dir_ / "vask-ssStepPars.txt", dir_ / "ss.txt");
  exe_result r = run("rebuild --par-file=ss.txt --backbone=A -o=ss.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(read("vask-rebuildPars.txt"), "# single-stranded, num=6\n"));
  ASSERT_EQ(run("analyze -i=ss.pdb --ss --rebuild").status, 0);
  expect_same_pars("ss.txt", "vask-ssStepPars.txt", false);
}

TEST_F(RebuildRun, ParameterFileForms) {
  // one 7-field pair row: its numbers are the pair's parameters
  write("one.txt", "G-C 0.1 -0.2 0.3 -4.0 -12.0 2.0\n");
  exe_result r = run("rebuild --par-file=one.txt -o=one.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  write("pair.txt", "1 2\n");  // one pair makes no helix: named by a list
  ASSERT_EQ(run("analyze -i=one.pdb --ds-input=pair.txt --rebuild").status, 0);
  auto rows = read_par_rows(read("vask-dsStepPars.txt"));
  ASSERT_EQ(rows.size(), 1u);
  const double expected[] = {0.1, -0.2, 0.3, -4.0, -12.0, 2.0};
  for (std::size_t j = 0; j < 6; ++j) EXPECT_NEAR(rows[0].values[j], expected[j], j < 3 ? 0.002 : 0.03);

  // a first row of zero steps: the rows move up, with the warning
  write("zeros.txt",
        "A 0 0 0 0 0 0\nC 0 0 3.4 0 0 36\nG 0 0 3.4 0 0 36\nT 0 0 3.4 0 0 36\n");
  r = run("rebuild --par-file=zeros.txt -o=z.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.err, "[W] Wrong format: all ZEROS for the first set of step parameters!"));
  EXPECT_TRUE(has(read("vask-rebuildPars.txt"), "  A     0.0000     0.0000     3.4000"));

  // three antiparallel rows of negative twist: built with flipped bases unless told not to
  write("z.txt", "C-G 0 0 0 0 0 0 0 5 -3.7 0 0 -10\nG-C 0 0 0 0 0 0 0 -1 -3.7 0 0 -50\n"
                 "C-G 0 0 0 0 0 0 999999 999999 999999 999999 999999 999999\n");
  r = run("rebuild --par-file=z.txt -o=z.pdb");
  EXPECT_TRUE(has(r.err, "[i] flip base x- and z-axes based on negative twist"));
  r = run("rebuild --par-file=z.txt --flip=off -o=z.pdb");
  EXPECT_TRUE(has(r.err, "[i] set --flip=0"));
  EXPECT_FALSE(has(r.err, "based on negative twist"));
  write("para.txt", "A+A 0 0 3.4 0 0 36\nC+C 0 0 3.4 0 0 36\n");
  r = run("rebuild --par-file=para.txt -o=p.pdb");
  EXPECT_TRUE(has(r.err, "[i] parallel duplex based on + pair type"));

  struct bad_case {
    const char* args;
    const char* text;  // file "bad.txt", or none
    const char* message;
  } cases[] = {
      {"rebuild -o=x.pdb", nullptr, "[e] must specify a parameter file via: --par-file"},
      {"rebuild --par-file=none.txt", nullptr, "[e] specified parameter file 'none.txt' does not exist"},
      {"rebuild --par-file=bad.txt", "A 0 0 3.4 0 0 36\nA-T 0 0 3.4 0 0 36\n", "[e] inconsistent input: [1, 1, 0]"},
      {"rebuild --par-file=bad.txt", "# nothing\nXYZ 1 2\n", "[i] no valid list of parameters in: 'bad.txt'"},
      {"rebuild --frame-file=none.txt", nullptr, "specified frame file <none.txt> does not exist!"},
  };
  for (const auto& c : cases) {
    if (c.text != nullptr) write("bad.txt", c.text);
    r = run(c.args);
    EXPECT_EQ(r.status, 1) << c.args;
    EXPECT_TRUE(has(r.err, c.message)) << r.err;
  }
}

TEST_F(RebuildRun, FromFrameFiles) {
  copy_data("1bna.pdb");
  ASSERT_EQ(run("analyze -i=1bna.pdb").status, 0);
  exe_result r = run("rebuild --frame-file=vask-pairFrames.txt --backbone=B -o=f.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(count_lines(read("f.pdb"), "ATOM"), 492);
  // the pair frames come back, and each pair has the set propeller
  r = run("analyze -i=f.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto bp = test::read_report_rows(r.out, "Local base-pair parameters");
  ASSERT_EQ(bp.size(), 12u);
  for (const auto& row : bp) EXPECT_NEAR(row[4], -12.0, 0.05);
  r = run("rebuild --frame-file=vask-pairFrames.txt --prop=-20 -o=f.pdb");
  ASSERT_EQ(run("analyze -i=f.pdb -o=f.txt").status, 0);
  EXPECT_NEAR(test::read_report_rows(read("f.txt"), "Local base-pair parameters")[0][4], -20.0, 0.05);
  // base frames: a single strand
  write("bases.txt", "1 A\n 0 0 0\n 1 0 0\n 0 1 0\n 0 0 1\n2 T\n 0 0 3.4\n 1 0 0\n 0 1 0\n 0 0 1\n");
  r = run("rebuild --frame-file=bases.txt -o=b.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(count_lines(read("b.pdb"), "ATOM"), 11 + 10);  // no backbone: C1' and the base
}

TEST_F(RebuildRun, LayersOfFiles) {
  write("u.pdb",
        "ATOM      1  C1'   U A   5      -2.481   5.354   0.000  1.00  0.00           C\n"
        "ATOM      2  N1    U A   5      -1.284   4.500   0.000  1.00  0.00           N\n"
        "ATOM      3  C2    U A   6      -1.462   3.131   0.000  1.00  0.00           C\n");
  write("layers.txt", "u.pdb 0 0 3.4 0 0 36\nmissing.pdb 0 0 3.4 0 0 36\nu.pdb 0 0 3.4 0 0 36\n");
  exe_result r = run("rebuild --unit-in-frame --par-file=layers.txt -o=l.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.err, "[w] ignore invalid entry: 'missing.pdb"));
  const std::string model = read("l.pdb");
  EXPECT_TRUE(has(model, "REMARK  layer#2 ------"));
  EXPECT_EQ(count_lines(model, "ATOM"), 6);
  EXPECT_TRUE(has(model, "L002"));
  // residue numbers run over the model: 1, 1, 2 in layer 1, then 3, 3, 4
  EXPECT_TRUE(has(model, "  U A   4"));
  EXPECT_TRUE(has(read("vask-frames.txt"), "# 2 frames\n"));
}

TEST_F(RebuildRun, G4Stacks) {
  exe_result r = run("rebuild --g4-model=+-+- -o=g4.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string model = read("g4.pdb");
  EXPECT_EQ(count_lines(model, "ATOM"), 4 * 48);
  // four chains of four guanines, the residue number being the layer
  for (const char* id : {" G A   1", " G A   4", " G B   1", " G D   4"}) EXPECT_TRUE(has(model, id)) << id;
  EXPECT_TRUE(has(model, "L004"));
  EXPECT_FALSE(exists("vask-frames.txt"));
  expect_gemmi_reads("g4.pdb", 16);

  // the Hoogsteen H-bonds of every layer: O6 and N7 of one guanine 2.9 A
  // from N1 and N2 of the next, and the layers 3.4 A apart
  struct_mol mol;
  {
    test::log_capture quiet;
    mutable_gvars() = gvars_rec{};
    init_struct_mol(path("g4.pdb"), mol);
    read_pdb_simple(path("g4.pdb"), mol);
  }
  std::map<std::string, xyz> at;  // "chain layer atom"
  for (long i = 1; i <= mol.num_atoms; ++i) {
    const atom& a = mol.atoms[i];
    at[a.chain_id.substr(0, 1) + std::to_string(a.res_seq) + a.name] = a.xyz;
  }
  for (long layer = 1; layer <= 4; ++layer) {
    long bonded = 0;
    const std::string chains[] = {"A", "B", "C", "D"};
    for (const std::string& c1 : chains)
      for (const std::string& c2 : chains) {
        if (c1 == c2) continue;
        const std::string k1 = c1 + std::to_string(layer);
        const std::string k2 = c2 + std::to_string(layer);
        if (dist_xyz(at[k1 + " O6 "], at[k2 + " N1 "]) < 3.3) {
          EXPECT_NEAR(dist_xyz(at[k1 + " N7 "], at[k2 + " N2 "]), 2.9, 0.2);
          ++bonded;
        }
      }
    EXPECT_EQ(bonded, 4) << layer;
    std::string c1_key = chains[0];
    c1_key.append(std::to_string(layer)).append(" C1'");
    EXPECT_NEAR(at[c1_key][3], 3.4 * (layer - 1), 0.001);
  }
  free_struct_mol(mol);
  mutable_gvars() = gvars_rec{};

  r = run("rebuild --g4-model=pm:30:3.3 -o=g4.pdb");
  EXPECT_TRUE(has(r.err, "+- 30.00 3.30"));
  EXPECT_EQ(count_lines(read("g4.pdb"), "ATOM"), 2 * 48);
  r = run("rebuild --g4-model=xyz -o=g4.pdb");
  EXPECT_TRUE(has(r.err, "invalid input. use default: ++++++"));
  EXPECT_EQ(count_lines(read("g4.pdb"), "ATOM"), 6 * 48);
}

TEST_F(RebuildRun, ConnectionPassRunsThisExecutableWithoutAShell) {
  copy_data("1bna.pdb");
  ASSERT_EQ(run("analyze -i=1bna.pdb --rebuild").status, 0);
  // a name a shell would split or expand; an empty PATH finds no other program
  const std::string name = "out q'1 *.pdb";
  std::string cmd = "cd '" + dir_.string() + "' && env PATH= '" VASK_EXE
                    "' rebuild --par-file=vask-dsStepPars.txt --backbone=B --conn=3 "
                    "\"-o=" + name + "\" >/dev/null 2>err.txt";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << read("err.txt");
  const std::string model = read(name);
  EXPECT_EQ(count_lines(model, "ATOM"), 492);
  EXPECT_GT(count_lines(model, "CONECT"), 400);
  EXPECT_TRUE(exists("vask-temp.pdb"));
  // mmCIF output: no connection pass
  exe_result r = run("rebuild --par-file=vask-dsStepPars.txt --conn --format-output=mmcif -o=c.cif");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(has(read("c.cif"), "CONECT"));
}

TEST_F(RebuildRun, HelpAndUsageErrors) {
  exe_result r = run("rebuild --help");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(has(r.err, "Check the User Manual on how to use the REBUILD module."));
  r = run("rebuild --bogus");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "unrecognized option: <--bogus>"));
  EXPECT_TRUE(has(r.err, "REBUILD module"));
  r = run("rebuild --par-type=step --par-file=x.txt");
  EXPECT_EQ(r.status, 1);  // only a helical type is accepted
  r = run("rebuild --prop=90 --par-file=x.txt");
  EXPECT_EQ(r.status, 1);
}

TEST(RebuildUnits, G4Specification) {
  test::log_capture quiet;
  EXPECT_EQ(parse_g4_spec("").pattern, "++++++");
  const g4_spec s = parse_g4_spec("PuMnD:36:3.1");
  EXPECT_EQ(s.pattern, "++---");
  EXPECT_DOUBLE_EQ(s.twist, 36.0);
  EXPECT_DOUBLE_EQ(s.rise, 3.1);
  const g4_spec d = parse_g4_spec("+-+-::");
  EXPECT_DOUBLE_EQ(d.twist, 0.0);
  EXPECT_DOUBLE_EQ(d.rise, 3.4);
  EXPECT_TRUE(valid_pair("a+g"));
  EXPECT_FALSE(valid_pair("A*T"));
  EXPECT_FALSE(valid_pair("AT"));
}

}  // namespace
}  // namespace vask
