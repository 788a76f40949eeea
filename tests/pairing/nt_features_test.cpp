#include "json_check.hpp"
#include "pairing/frame.hpp"
#include "pairing/nt_features.hpp"
#include "pairing/pair.hpp"
#include "pairing/prepare.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "structure/structure_fixture.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>


namespace vask {

namespace fs = std::filesystem;

namespace {

class FeatureTest : public test::StructureTest {
 protected:
  void load(const char* name) {
    init_struct_mol(test::test_data(name), mol_);
    read_pdb(test::test_data(name), mol_);
    long n = 0;
    std::vector<pair> pairs;
    // the pair marks; no report, whose pair file the tests run side by side
    // would all write into the one working folder
    find_pairs(mol_, n, pairs, 0);
    // the stack finder's neighbours, as if every stacking contact were kept
    for (long k = 1; k <= mol_.num_residues; ++k)
      mol_.residues[k].stack_neighbours = mol_.residues[k].plane_stacks;
  }
  long nt(long number) const {
    for (long k = 1; k <= mol_.num_residues; ++k)
      if (mol_.residues[k].res_seq == number && is_nt(k, mol_)) return k;
    return 0;
  }
  std::string section() {
    FILE* fp = std::tmpfile();
    assign_nt_features(mol_, fp);
    std::string text = test::read_stream(fp);
    std::fclose(fp);
    return text;
  }
  struct_mol mol_;
};

long cells(const std::string& list) { return static_cast<long>(std::count(list.begin(), list.end(), ',')) + 1; }

}  // namespace

TEST_F(FeatureTest, words_of_tRNA_nucleotides) {
  load("1ehz.pdb");
  mol_.residues[nt(8)].flag[rf::splayed] = 1;
  struct row {
    long number;
    const char* features;
  } rows[] = {
      {1, "anti,~C3'-endo,BI,canonical"},                       // acceptor stem, stacked
      {10, "modified,turn,anti,~C3'-endo,canonical,non-canonical"},  // 2MG10 in a triple
      {17, "modified,turn,anti,~C3'-endo,non-stack"},           // D-loop, flipped out
      {8, "anti,~C3'-endo,non-canonical,splayed-apart"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.number);
    EXPECT_EQ(collect_nt_features(nt(r.number), mol_), r.features);
  }
  // an isolated canonical pair is never also "canonical"
  mol_.residues[nt(1)].flag[rf::isolated_pair] = -1;
  EXPECT_EQ(collect_nt_features(nt(1), mol_), "anti,~C3'-endo,BI,isolated-canonical");
}

TEST_F(FeatureTest, placeholder_rows_line_up_with_the_headers) {
  load("1ehz.pdb");
  mol_.residues[nt(30)].flag[rf::helix] = 1;
  struct row {
    long summary, cells;
  } rows[] = {{2, 31}, {6, 38}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.summary);
    mutable_gvars().summary = r.summary;
    for (long k = 1; k <= mol_.num_residues; ++k)
      if (is_nt(k, mol_)) {
        EXPECT_EQ(cells(collect_nt_features(k, mol_)), r.cells) << k;
      }
  }
  mutable_gvars().summary = 6;
  EXPECT_NE(collect_nt_features(nt(30), mol_).find(",helix,1,"), std::string::npos);
  mutable_gvars().summary = 2;
  const std::string g1 = collect_nt_features(nt(1), mol_);
  EXPECT_EQ(g1.substr(0, 12), ".,.,.,.,.,.,");
  // stacked in placeholder mode: partners above and below along the backbone
  EXPECT_NE(g1.find(",:down,"), std::string::npos) << g1;
  EXPECT_NE(collect_nt_features(nt(2), mol_).find(",upper:down,"), std::string::npos);
}

TEST_F(FeatureTest, section_and_csv) {
  load("1ehz.pdb");
  const fs::path dir = fs::temp_directory_path() / ("vask-feature-" + std::to_string(getpid()));
  fs::create_directories(dir);
  mutable_gvars().prefix = (dir / "t").string();
  mol_.residues[nt(5)].frames[FRAME_BASE] = -1;  // as if the base could not be fitted
  std::string text = section();
  EXPECT_EQ(text.rfind("\n****", 0), 0u);
  EXPECT_NE(text.find("Summary of structural features of 76 nucleotides\n"), std::string::npos);
  EXPECT_NE(text.find("      turn: angle C1'(i-1)--C1'(i)--C1'(i+1) < 90 degrees\n"
                      "   1  G . A.G1     0.008  anti,~C3'-endo,BI,canonical\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("   5  A . A.A5     ---    anti,"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "t-summary.csv"));  // default setting: no placeholders, no CSV
  mutable_gvars().summary = 2;
  section();
  const std::string csv = test::read_file((dir / "t-summary.csv").string());
  EXPECT_EQ(csv.rfind("idstr,nt-code,dbn,nt-chain,nt-num,single-stranded,modified,pseudoknotted,", 0), 0u);
  EXPECT_NE(csv.find("\nA.G1,G,.,A,1,single-stranded,.,.,.,.,.,.,anti,~C3'-endo,BI,:down,canonical,"),
            std::string::npos)
      << csv.substr(0, 400);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 77);
  mutable_gvars().json = 1;
  EXPECT_EQ(section(), "");
  mutable_gvars().json = 0;
  mutable_gvars().summary = 0;
  EXPECT_EQ(section(), "");
  fs::remove_all(dir);
}

TEST_F(FeatureTest, turn_cutoff_is_lower_for_DNA) {
  load("1bna.pdb");
  const long dna = nt(3);
  struct row {
    long angle, rna_turn, dna_turn;
  } rows[] = {{0, 0, 0}, {75, 1, 1}, {85, 1, 0}, {95, 0, 0}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.angle);
    mol_.residues[dna].flag[rf::c1_angle] = r.angle;
    EXPECT_EQ(bb_reverse_direction(dna, mol_), r.dna_turn);
    mol_.residues[dna].flag[rf::is_dna] = 0;
    mol_.residues[dna].flag[rf::is_rna] = 1;
    EXPECT_EQ(bb_reverse_direction(dna, mol_), r.rna_turn);
    mol_.residues[dna].flag[rf::is_dna] = 1;
    mol_.residues[dna].flag[rf::is_rna] = 0;
  }
}

TEST_F(FeatureTest, b_factor_means) {
  load("1ehz.pdb");
  const nt_info& g1 = mol_.nt_infos[nt(1)];
  for (size_t c = 0; c < 6; ++c) {
    SCOPED_TRACE(c);
    EXPECT_NE(g1.bfactors[c], DBL_MAX);
    EXPECT_GT(g1.bfactors[c], 0.0);
  }
  const residue& r = mol_.residues[nt(1)];
  double sum = 0;
  long n = 0;
  for (long a = r.first_atom; a <= r.last_atom; ++a)
    if (!is_hydrogen(a, mol_)) sum += mol_.atoms[a].bfactor, ++n;
  EXPECT_NEAR(g1.bfactors[0], sum / static_cast<double>(n), 1e-9);
}

TEST_F(FeatureTest, json_torsion_ranges_follow_the_setting) {
  load("1ehz.pdb");
  struct row {
    long setting;
    const char *alpha, *theta;  // of C2, whose alpha is -67.449 and theta -141.5
  } rows[] = {{0, "\"alpha\":-67.", "\"theta\":-1"}, {1, "\"alpha\":-67.", "\"theta\":2"},
              {9, "\"alpha\":292.", "\"theta\":2"}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.setting);
    mutable_gvars().torsion360 = r.setting;
    FILE* fp = std::tmpfile();
    json_ntPars(mol_, fp);
    const std::string js = test::read_stream(fp);
    std::fclose(fp);
    EXPECT_EQ(test::json_members_error(js.substr(0, js.size() - 1)), "");  // without the trailing comma
    const size_t c2 = js.find("{\"index\":2,");
    ASSERT_NE(c2, std::string::npos);
    const std::string nt2 = js.substr(c2, js.find("{\"index\":3,") - c2);
    EXPECT_NE(nt2.find(r.alpha), std::string::npos) << nt2;
    EXPECT_NE(nt2.find(r.theta), std::string::npos) << nt2;
    EXPECT_NE(nt2.find("\"amplitude\":3"), std::string::npos);  // amplitude keeps its range
  }
}

// The JSON records of the executable's report, checked strictly.
TEST(NucleotideJson, chains_and_nts_of_tRNA_and_a_duplex) {
  const fs::path dir = fs::temp_directory_path() / ("vask-ntjson-" + std::to_string(getpid()));
  fs::create_directories(dir);
  struct row {
    const char* file;
    long nts;
    const char* chains;
  } rows[] = {{"1ehz.pdb", 76, "\"chains\":{\"chain_A\":{\"num_nts\":76,\"bseq\":\"GCGGAUUUAgCUCAG"},
              {"1bna.pdb", 24, "\"chains\":{\"chain_A\":{\"num_nts\":12,\"bseq\":\"CGCGAATTCGCG\""}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.file);
    const std::string cmd = "cd '" + dir.string() + "' && '" VASK_EXE "' -i='" +
                            test::test_data(r.file) + "' --json -o=out.json 2>err.txt";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::string js = test::read_file((dir / "out.json").string());
    ASSERT_EQ(test::json_error(js), "") << js.substr(0, 200);
    const size_t chains = js.find(r.chains), nts = js.find("\"num_nts\":" + std::to_string(r.nts) + ",\"nts\":[{\"index\":1,\"index_chain\":1,");
    ASSERT_NE(chains, std::string::npos);
    ASSERT_NE(nts, std::string::npos);
    EXPECT_LT(chains, nts);
    EXPECT_LT(nts, js.find("\"metadata\":{"));
    EXPECT_NE(js.find("\"linked_nts\":[null,\""), std::string::npos);  // a 5' end
    EXPECT_NE(js.find("\"],\"nt_type\""), std::string::npos);
    EXPECT_NE(js.find("\",null],\"nt_type\""), std::string::npos);     // a 3' end
    EXPECT_NE(js.find("\"frame\":{\"rmsd\":"), std::string::npos);
  }
  // water bridges have no JSON form: their report lists stay out of the JSON
  const std::string cmd = "cd '" + dir.string() + "' && '" VASK_EXE "' -i='" +
                          test::test_data("1ehz.pdb") + "' --json --water --exptl -o=w.json 2>err.txt";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(test::json_error(test::read_file((dir / "w.json").string())), "");
  EXPECT_TRUE(fs::exists(dir / "vask-waterBridges.pdb"));
  EXPECT_TRUE(fs::exists(dir / "vask-waterClusters.pdb"));
  // the second strand of the duplex starts its own count
  const std::string js = test::read_file((dir / "out.json").string());
  EXPECT_NE(js.find("{\"index\":13,\"index_chain\":1,\"chain_name\":\"B\",\"nt_resnum\":13,"), std::string::npos);
  EXPECT_NE(js.find("\"nt_type\":\"DNA\""), std::string::npos);
  EXPECT_NE(js.find("\"chain_B\":{\"num_nts\":12,"), std::string::npos);
  fs::remove_all(dir);
}

// A reader maps dot-bracket column k to "nts" object k: both hold every
// nucleotide in one order, ligand nucleotides of protein chains (1xpo's AGS)
// and ligands after the chains (3fu2's preQ1) included.
TEST(NucleotideJson, nts_follow_the_dot_bracket_columns) {
  const fs::path dir = fs::temp_directory_path() / ("vask-ntdbn-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const struct {
    const char* file;
    size_t nts;
  } rows[] = {{"1xpo.pdb", 18}, {"3fu2.pdb", 97}, {"1ehz.pdb", 76}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.file);
    const std::string path = test::test_data_unzipped(r.file);
    ASSERT_FALSE(path.empty());
    const std::string cmd = "cd '" + dir.string() + "' && '" VASK_EXE "' -i='" + path + "' --json -o=out.json 2>err.txt";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::string js = test::read_file((dir / "out.json").string());
    ASSERT_EQ(test::json_error(js), "");
    // the whole-structure sequence without its chain-break marks
    const std::string key = "\"all_chains\":{";
    const size_t all = js.find(key);
    ASSERT_NE(all, std::string::npos);
    const size_t b = js.find("\"bseq\":\"", all) + 8;
    std::string columns = js.substr(b, js.find('"', b) - b);
    columns.erase(std::remove(columns.begin(), columns.end(), '&'), columns.end());
    // the one-letter codes of the nucleotide objects, in order
    const size_t list = js.find(",\"nts\":[{");
    ASSERT_NE(list, std::string::npos);
    std::string codes;
    for (size_t at = js.find("\"nt_code\":\"", list); at != std::string::npos; at = js.find("\"nt_code\":\"", at + 1))
      codes += js[at + 11];
    EXPECT_EQ(columns.size(), r.nts);
    EXPECT_EQ(codes, columns);
    EXPECT_NE(js.find("\"num_nts\":" + std::to_string(r.nts) + ",\"nts\":["), std::string::npos);
  }
  fs::remove_all(dir);
}

}  // namespace vask
