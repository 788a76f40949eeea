// Protein secondary structure by the DSSP method: energies and marks on small
// cases, and the one-letter assignment against Debian's mkdssp on real
// proteins (skipped with a message when mkdssp is not installed).
#include "interactions/dssp.hpp"
#include "pairing/prepare.hpp"
#include "structure/bond.hpp"
#include "structure/chain.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/file.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>

namespace vask {
namespace {

namespace fs = std::filesystem;

struct prepared {
  struct_mol mol;
  dssp_result d;
};

void prepare(const std::string& path, prepared& p) {
  set_globals("belqo-vask");
  test::log_capture quiet;
  read_pdb(path, p.mol);
  assign_dssp(p.mol, p.d);
}

long residue_by_number(const struct_mol& mol, const std::string& chain, long number) {
  for (long k = 1; k <= mol.num_residues; ++k)
    if (mol.residues[k].res_seq == number && trimmed(mol.residues[k].chain_id) == chain) return k;
  return 0;
}

char summary(const prepared& p, long k) { return p.d.recs[k].label[DSSP_SUMMARY]; }

TEST(DsspEnergy, ideal_geometry_and_too_close_atoms) {
  prepared p;
  prepare(test::test_data("1crn.pdb"), p);
  const struct_mol& mol = p.mol;
  // crambin's first helix (7-19): O(i) to H-N(i+4) is a strong H-bond, the
  // wrong direction O(i+4) to H-N(i) is none
  const long i = residue_by_number(mol, "A", 8), j = residue_by_number(mol, "A", 12);
  ASSERT_GT(i, 0);
  ASSERT_GT(j, 0);
  const long e = hb_energy(i, j, mol, p.d.recs);
  EXPECT_LT(e, -1500);
  EXPECT_GT(e, -3500);
  EXPECT_GT(hb_energy(j, i, mol, p.d.recs), DSSP_HBOND_MAX);
  // the two best acceptor slots keep their order
  const dssp_rec& r = p.d.recs[i];
  EXPECT_EQ(r.acceptor[0].partner, j);
  EXPECT_LE(r.acceptor[0].energy, r.acceptor[1].energy);

  // a donor whose H sits on the acceptor's O is reported and counted
  prepared q;
  prepare(test::test_data("1crn.pdb"), q);
  q.d.recs[j].H = q.mol.atoms[q.mol.aa_infos[i].O].xyz;
  test::log_capture log;
  EXPECT_EQ(hb_energy(i, j, q.mol, q.d.recs), DSSP_TOO_CLOSE);
  EXPECT_NE(log.text().find("too close contact between residues"), std::string::npos);
}

TEST(DsspHydrogens, prolines_and_chain_starts_have_none) {
  prepared p;
  prepare(test::test_data("1crn.pdb"), p);
  const struct_mol& mol = p.mol;
  long prolines = 0, starts = 0, with_h = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_aa(k, mol)) continue;
    const bool has_h = p.d.recs[k].H[1] != DBL_MAX;
    if (mol.residues[k].name == "PRO") {
      ++prolines;
      EXPECT_FALSE(has_h) << mol.residues[k].idstr;
      for (const auto& h : p.d.recs[k].donor) EXPECT_EQ(h.partner, 0);
    } else if (k == 1 || !is_aas_connected(k - 1, k, mol)) {
      ++starts;
      EXPECT_FALSE(has_h) << mol.residues[k].idstr;
    } else {
      ++with_h;
      // N-H is about 1 A long and points away from the previous C=O
      const xyz& n = mol.atoms[mol.aa_infos[k].N].xyz;
      EXPECT_NEAR(dist_xyz(n, p.d.recs[k].H), 1.0, 1e-9);
    }
  }
  EXPECT_EQ(prolines, 5);  // P5, P19, P22, P36, P41
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(with_h, 40);
}

TEST(DsspAssignment, crambin_helices_strands_and_labels) {
  prepared p;
  prepare(test::test_data("1crn.pdb"), p);
  std::string line;
  for (long k = 1; k <= p.mol.num_residues; ++k)
    if (is_aa(k, p.mol)) line += summary(p, k);
  // the two helices 7-17 and 23-30 and the short antiparallel sheet 2-3/33-34
  EXPECT_EQ(line.substr(6, 11), std::string(11, 'H'));
  EXPECT_EQ(line.substr(22, 8), std::string(8, 'H'));
  EXPECT_EQ(line[1], 'E');
  EXPECT_EQ(line[2], 'E');
  EXPECT_EQ(line[32], 'E');
  EXPECT_EQ(line[33], 'E');
  // ladder letters, partners and the sheet label agree on both strands
  const long a = residue_by_number(p.mol, "A", 3);
  const dssp_rec& r = p.d.recs[a];
  ASSERT_NE(r.L1, 0);
  EXPECT_EQ(p.d.recs[r.L1].L1, a);
  EXPECT_EQ(r.label[DSSP_BRIDGE1], 'A');  // antiparallel: upper case
  EXPECT_EQ(r.label[DSSP_SHEET], 'A');
  EXPECT_EQ(p.d.recs[r.L1].label[DSSP_SHEET], 'A');
  // helix residues carry 4-turn marks, the first one a start
  const long h = residue_by_number(p.mol, "A", 7);
  EXPECT_EQ(p.d.recs[h].label[DSSP_TURN4], '>');
  EXPECT_NE(std::string("+-").find(p.d.recs[h].label[DSSP_CHIRAL]), std::string::npos);
  ASSERT_GE(p.d.num_ladders, 1);
  EXPECT_EQ(p.d.ladders[1].type, 2);
}

TEST(DsspAssignment, structure_without_protein_gets_nothing) {
  prepared p;
  prepare(test::test_data("1ehz.pdb"), p);
  EXPECT_TRUE(p.d.recs.empty());
  EXPECT_EQ(p.d.num_ladders, 0);
  test::log_capture quiet;
  run_dssp(p.mol);  // nothing to do, nothing written
}

TEST(DsspFile, statistics_histograms_and_table) {
  std::string tmpl = (fs::temp_directory_path() / "vask-dssp-XXXXXX").string();
  ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
  const fs::path dir = tmpl;
  const fs::path old = fs::current_path();
  prepared p;
  prepare(test::test_data("1crn.pdb"), p);
  fs::current_path(dir);
  mutable_gvars().prefix = std::string("crambin");
  mutable_gvars().auxfiles = 1;
  {
    test::log_capture quiet;
    run_dssp(p.mol);
  }
  const std::string text = test::read_file("crambin-dssp.txt");
  fs::current_path(old);
  EXPECT_EQ(text.rfind("Number of amino-acids: 46 (", 0), 0u) << text.substr(0, 200);
  EXPECT_NE(text.find("Number of H-bonds of type O(i)-->H-N(j): "), std::string::npos);
  EXPECT_NE(text.find("(i)-->(i+4):  "), std::string::npos);
  EXPECT_NE(text.find("Number of H-bonds in anti-parallel bridges: "), std::string::npos);
  EXPECT_NE(text.find("     *** Histograms of ***\n"), std::string::npos);
  EXPECT_NE(text.find("    Residues per alpha helix\n"), std::string::npos);
  EXPECT_NE(text.find("S345BC12S    L1    L2    N-H-->O"), std::string::npos);
  // one table row per amino acid after the column header
  const size_t table = text.find("S345BC12S");
  long rows = 0;
  for (size_t pos = text.find('\n', table); pos + 1 < text.size(); pos = text.find('\n', pos + 1)) ++rows;
  EXPECT_EQ(rows, 46);
  EXPECT_NE(text.find("\n   8  A.VAL8            H > S+   "), std::string::npos);
  EXPECT_NE(text.find("    ----    "), std::string::npos);
  const long k = residue_by_number(p.mol, "A", 8);
  EXPECT_EQ(p.mol.aa_infos[k].sstr, p.d.recs[k].label);
  fs::remove_all(dir);
}

// ---------------------------------------------------------------------------
// Agreement with mkdssp

struct dssp_key {
  std::string chain;
  long number = 0;
  char icode = ' ';
  bool operator<(const dssp_key& o) const {
    return std::tie(chain, number, icode) < std::tie(o.chain, o.number, o.icode);
  }
};

// The one-letter column of mkdssp's classic output; its polyproline 'P' is
// no class of the method we build, so it reads as blank.
std::map<dssp_key, char> run_mkdssp(const std::string& input, const std::string& out) {
  std::map<dssp_key, char> m;
  const std::string cmd = "mkdssp --output-format dssp '" + input + "' '" + out + "' 2>'" + out + ".err'";
  if (std::system(cmd.c_str()) != 0) {
    std::printf("[ dssp     ] mkdssp failed on %s: %s\n", input.c_str(), test::read_file(out + ".err").c_str());
    return m;
  }
  FILE* fp = std::fopen(out.c_str(), "r");
  if (fp == nullptr) return m;
  std::string line;
  bool table = false;
  while (get_line(fp, line)) {
    if (!table) {
      table = line.rfind("  #  RESIDUE", 0) == 0;
      continue;
    }
    if (line.size() < 17 || line[13] == '!') continue;
    dssp_key key{trimmed(line.substr(11, 1)), std::atol(line.substr(5, 5).c_str()), line[10]};
    char ss = line[16];
    m[key] = ss == 'P' ? ' ' : ss;
  }
  std::fclose(fp);
  return m;
}

bool have_mkdssp() { return std::system("mkdssp --version >/dev/null 2>&1") == 0; }

TEST(DsspAgreement, mkdssp_on_six_structures) {
  if (!have_mkdssp()) GTEST_SKIP() << "mkdssp not installed (Debian package dssp): agreement not checked";
  const char* names[] = {"1crn.pdb", "1ubq.pdb", "4hhb.pdb", "4lzt.pdb", "1kx5.pdb", "1efw.cif"};
  std::string tmpl = (fs::temp_directory_path() / "vask-mkdssp-XXXXXX").string();
  ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
  const fs::path dir = tmpl;
  for (const char* name : names) {
    SCOPED_TRACE(name);
    const std::string path = test::test_data_unzipped(name);
    ASSERT_FALSE(path.empty());
    const std::map<dssp_key, char> ref = run_mkdssp(path, (dir / (std::string(name) + ".dssp")).string());
    ASSERT_FALSE(ref.empty());
    prepared p;
    prepare(path, p);
    long compared = 0, same = 0;
    std::map<char, long> ours_count, ref_count;
    std::string mismatches;
    for (long k = 1; k <= p.mol.num_residues; ++k) {
      if (!is_aa(k, p.mol)) continue;
      const residue& r = p.mol.residues[k];
      auto it = ref.find({trimmed(r.chain_id), r.res_seq, r.icode});
      if (it == ref.end()) continue;
      ++compared;
      const char a = summary(p, k), b = it->second;
      ++ours_count[a];
      ++ref_count[b];
      if (a == b)
        ++same;
      else
        mismatches += sformat(" %s:%c/%c", r.idstr.c_str(), a, b);
    }
    const double agreement = compared ? 100.0 * static_cast<double>(same) / static_cast<double>(compared) : 0;
    std::printf("[ dssp     ] %-9s %5ld amino acids compared, %5.1f%% the same letter;", name, compared,
                agreement);
    for (char c : std::string("HEGI"))
      std::printf(" %c %ld/%ld", c, ours_count[c], ref_count[c]);
    std::printf(" (ours/mkdssp)\n");
    if (!mismatches.empty()) std::printf("[ dssp     ]   mismatches (ours/mkdssp):%s\n", mismatches.c_str());
    EXPECT_GT(compared, 0);
    EXPECT_GE(agreement, 98.0);
    for (char c : std::string("HEGI")) {
      const double a = static_cast<double>(ours_count[c]), b = static_cast<double>(ref_count[c]);
      EXPECT_LE(std::fabs(a - b), 0.02 * std::max(a, b) + 1e-9) << "count of " << c;
    }
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vask
