// Chains, residue linkage and order, and the chain option: real entries and
// pieces of 1ehz put together in a chosen order.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pairing/prepare.hpp"
#include "structure/chain.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "structure_fixture.hpp"

namespace vask {
namespace {

using test::read_pdb_text;
using ChainTest = test::StructureTest;

// The ATOM/HETATM lines of 1ehz residues, in the order asked.
std::string ehz_residues(const std::vector<long>& numbers) {
  std::ifstream in(test::test_data("1ehz.pdb"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::string out;
  for (long n : numbers)
    for (const std::string& line : lines) {
      if (line.compare(0, 4, "ATOM") != 0 && line.compare(0, 6, "HETATM") != 0) continue;
      if (line.size() > 26 && std::stol(line.substr(22, 4)) == n && line[21] == 'A') out += line + "\n";
    }
  return out;
}

TEST_F(ChainTest, dinucleotide_stored_3prime_first_is_ordered_5prime_to_3prime) {
  struct_mol mol;
  test::log_capture log;
  read_pdb_text(ehz_residues({2, 1}), mol);  // C2 before G1
  ASSERT_EQ(mol.num_nts, 2);
  EXPECT_EQ(mol.residues[1].name, "  C");
  EXPECT_TRUE(mol.residues[1].linked.has(2));
  EXPECT_EQ(is_nts_connected(2, 1, mol), 1);  // O3'(G1)-P(C2)
  EXPECT_EQ(is_nts_connected(1, 2, mol), 0);
  ASSERT_EQ(mol.nt_order.size(), 3u);
  EXPECT_EQ(mol.nt_order[1], 2);  // G1 first
  EXPECT_EQ(mol.nt_order[2], 1);
  EXPECT_EQ(mol.nts_in_order, 0);
  EXPECT_NE(log.text().find("[w]  with nts out of order: A.G1[2] vs A.C2[1]\n"), std::string::npos)
      << log.text();
  EXPECT_NE(mol.notes.find("   o nucleotides out of order\n"), std::string::npos);
  // the O3'-P bond is recorded although it comes from a link, not a residue
  EXPECT_EQ(mol.nt_infos[2].next_P, mol.nt_infos[1].P);
  EXPECT_TRUE(mol.atoms[mol.nt_infos[2].O3p].bonded.has(mol.nt_infos[1].P));
  EXPECT_EQ(mol.nt_infos[1].po4[4], mol.nt_infos[2].O3p);
}

TEST_F(ChainTest, break_marks_and_linkage_distance_on_a_gapped_strand) {
  struct_mol mol;
  read_pdb_text(ehz_residues({1, 2, 3, 5, 6}), mol);  // residue 4 missing
  ASSERT_EQ(mol.num_nts, 5);
  EXPECT_EQ(mol.residues[3].flag[rf::break_mark], 'x');
  EXPECT_EQ(mol.residues[2].flag[rf::break_mark], 0);
  std::vector<long> list = {0, 1, 2, 3, 4, 5};
  EXPECT_EQ(count_nts_break(5, list, mol, 0), 1);
  EXPECT_EQ(nts_i2j_dist(1, 3, 10, mol, nullptr), 2);
  EXPECT_EQ(nts_i2j_dist(1, 4, 10, mol, nullptr), 0);  // across the gap
  std::vector<long> path;
  EXPECT_EQ(nts_i2j_dist(3, 1, 10, mol, &path), 2);
  EXPECT_EQ(path, (std::vector<long>{3, 3, 2, 1}));
  EXPECT_EQ(mol.num_segments, 2);
  ASSERT_EQ(mol.num_chains, 1);
  EXPECT_EQ(mol.chains[1].num_breaks, 1);
  EXPECT_EQ(chain_header(mol.chains[1], 1, "x", mol, false), "1   A RNA* nts=5");
  // C1' angle only where both neighbours are linked
  EXPECT_GT(mol.residues[2].flag[rf::c1_angle], 0);
  EXPECT_EQ(mol.residues[3].flag[rf::c1_angle], 0);
}

TEST_F(ChainTest, o3p_distance_window_and_cutoff_option) {
  struct_mol mol;
  read_pdb_text(ehz_residues({1, 2}), mol);
  long o3 = mol.nt_infos[1].O3p, p = mol.nt_infos[2].P;
  mol.atoms[o3].bonded.clear();
  mol.atoms[p].bonded.clear();
  // move residue 2 so that O3'-P is 2.5 A long
  double d = dist_atoms(o3, p, mol);
  xyz dir;
  diff_xyz(mol.atoms[o3].xyz, mol.atoms[p].xyz, dir);
  for (long i = mol.residues[2].first_atom; i <= mol.residues[2].last_atom; ++i)
    for (int k = 1; k <= 3; ++k) mol.atoms[i].xyz[k] += dir[k] * (2.5 / d - 1.0);
  EXPECT_NEAR(dist_atoms(o3, p, mol), 2.5, 1e-9);
  EXPECT_EQ(is_nts_connected(1, 2, mol), 0);
  mutable_gvars().op_bond = 3.0;
  EXPECT_EQ(is_nts_connected(1, 2, mol), 1);
}

TEST_F(ChainTest, real_entries_give_their_chains) {
  struct case_t {
    const char* file;
    std::vector<std::string> want;  // "id type residues"
  };
  const case_t cases[] = {
      {"1bna.pdb", {"A DNA 12", "B DNA 12"}},
      {"1kx5.pdb",
       {"I DNA 147", "J DNA 147", "A Protein 135", "B Protein 102", "C Protein 128",
        "D Protein 122", "E Protein 135", "F Protein 102", "G Protein 128", "H Protein 122"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    struct_mol mol;
    read_pdb(test::test_data(c.file), mol);
    std::vector<std::string> got;
    for (long k = 1; k <= mol.num_chains; ++k) {
      const chain& ch = mol.chains[k];
      if (ch.empty) continue;
      got.push_back(ch.chain_id + " " + ch.type + " " + std::to_string(ch.num_residues));
      for (long t = 1; t <= ch.num_residues; ++t) {  // residues point back at their chain
        const residue& r = mol.residues[ch.residues[t]];
        EXPECT_EQ(ch.num_nts ? r.flag[rf::na_chain] : r.flag[rf::aa_chain], k);
      }
    }
    std::sort(got.begin(), got.end());
    std::vector<std::string> want = c.want;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
  }
}

TEST_F(ChainTest, header_of_1ehz_and_1bna) {
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  EXPECT_EQ(mol.num_na_chains, 1);
  EXPECT_EQ(mol.na_chain_text, "A=76");
  EXPECT_EQ(mol.num_rna_chains, 1);
  EXPECT_EQ(mol.num_models, 1);
  EXPECT_EQ(mol.num_segments, 1);
  EXPECT_GT(mol.chains[1].gyration, 0.0);
  struct_mol dna;
  read_pdb(test::test_data("1bna.pdb"), dna);
  EXPECT_EQ(dna.na_chain_text, "A=12,B=12");
  EXPECT_EQ(dna.dna_chain_text, "A=12,B=12");
  EXPECT_EQ(dna.num_dna_chains, 2);
  // B-DNA: about 3.3 A per step along the axis
  EXPECT_NEAR(dna.chains[1].axis.rise, 3.3, 0.3);
  EXPECT_NEAR(dna.chains[2].axis.rise, 3.3, 0.3);
  EXPECT_NE(dna.chains[1].axis.axis_start[1], DBL_MAX);
}

// A pairs-only preparation leaves the chains' gyration and axes out; a task
// that needs the whole preparation gets the whole run's values.
TEST_F(ChainTest, chain_geometry_after_a_pairs_only_preparation_is_the_whole_runs) {
  struct_mol whole;
  read_pdb(test::test_data("1bna.pdb"), whole);
  mutable_gvars().pair_only = 1;
  struct_mol pairs;
  read_pdb(test::test_data("1bna.pdb"), pairs);
  ASSERT_EQ(pairs.stage.pairs_only, 1);
  ASSERT_EQ(pairs.num_chains, whole.num_chains);
  EXPECT_EQ(pairs.chains[1].gyration, -1.0);
  EXPECT_EQ(pairs.chains[1].axis.rise, helixVec{}.rise);
  complete_preparation(pairs);
  for (long c = 1; c <= whole.num_chains; ++c) {
    SCOPED_TRACE(c);
    EXPECT_GT(whole.chains[c].gyration, 0.0);
    EXPECT_EQ(pairs.chains[c].gyration, whole.chains[c].gyration);
    EXPECT_EQ(pairs.chains[c].num_heavy_atoms, whole.chains[c].num_heavy_atoms);
    EXPECT_EQ(pairs.chains[c].axis.rise, whole.chains[c].axis.rise);
    for (int k = 1; k <= 3; ++k) {
      EXPECT_EQ(pairs.chains[c].axis.axis[k], whole.chains[c].axis.axis[k]);
      EXPECT_EQ(pairs.chains[c].axis.axis_start[k], whole.chains[c].axis.axis_start[k]);
    }
  }
  EXPECT_EQ(pairs.na_axis.rise, whole.na_axis.rise);
}

TEST_F(ChainTest, locate_xy_finds_the_centre_of_a_circle) {
  // pairs of points on a circle of radius 5 around (1, -2)
  std::vector<xyz> pts(7);
  const double a[] = {0.0, 1.0, 2.5};
  const double b[] = {0.7, 2.9, 4.4};
  for (int k = 0; k < 3; ++k) {
    pts[k + 1] = {0, 1 + 5 * std::cos(a[k]), -2 + 5 * std::sin(a[k]), 3.0 * k};
    pts[k + 4] = {0, 1 + 5 * std::cos(b[k]), -2 + 5 * std::sin(b[k]), -1.0};
  }
  xyz c;
  locate_xy(3, pts, c);
  EXPECT_NEAR(c[1], 1.0, 1e-9);
  EXPECT_NEAR(c[2], -2.0, 1e-9);
}

TEST_F(ChainTest, chain_option_words) {
  const struct {
    const char* option;
    std::vector<std::string> ids;
    bool all;
  } cases[] = {
      {"--chain=A,B", {"A   ", "B   "}, false},
      {"--chain=A|B C", {"A   ", "B   ", "C   "}, false},
      {"--chain=ABCDE", {}, true},
      {"--chain=", {}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option);
    chain_selection sel;
    derive_chains_to_run(c.option, sel);
    EXPECT_EQ(sel.ids, c.ids);
    EXPECT_EQ(sel.all, c.all);
  }
  std::string many = "--chain=";
  for (int k = 0; k < 256; ++k) many += std::to_string(k) + ",";
  chain_selection sel;
  int status = 0;
  EXPECT_EQ(test::fatal_message([&] { derive_chains_to_run(many, sel); }, &status),
            "too many chain ids in the chain option: 256 (at most 255)\n");
  EXPECT_EQ(status, 1);
}

}  // namespace
}  // namespace vask

namespace vask {
namespace {

TEST_F(ChainTest, atom_exposure_counts_heavy_atoms_of_the_chain_within_10A) {
  struct_mol mol;
  read_pdb(test::test_data("1ubq.pdb"), mol);
  ASSERT_EQ(mol.num_protein_chains, 1);
  long checked = 0;
  for (long i = 1; i <= mol.num_atoms; i += 37) {
    const atom& a = mol.atoms[i];
    if (a.hydrogen || !is_aa(a.residue, mol)) continue;
    long n = 0;
    for (long j = 1; j <= mol.num_atoms; ++j)
      if (!mol.atoms[j].hydrogen && is_aa(mol.atoms[j].residue, mol) &&
          dist_atoms_square(i, j, mol) <= 100.0)
        ++n;
    EXPECT_DOUBLE_EQ(a.exposure, (4188.790204786391 - 20.1 * n) / (20.1 * n)) << i;
    ++checked;
  }
  EXPECT_GT(checked, 10);
  // waters are in no protein chain: no exposure
  for (long i = 1; i <= mol.num_atoms; ++i)
    if (is_water(mol.atoms[i].residue, mol)) {
      EXPECT_EQ(mol.atoms[i].exposure, DBL_MAX);
    }
}

// A copy of residue text with a new residue number and x moved by dx.
std::string moved_copy(const std::string& text, long number, double dx) {
  std::istringstream in(text);
  std::string out;
  for (std::string l; std::getline(in, l);) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%4ld", number);
    l.replace(22, 4, buf);
    std::snprintf(buf, sizeof buf, "%8.3f", std::stod(l.substr(30, 8)) + dx);
    l.replace(30, 8, buf);
    out += l + "\n";
  }
  return out;
}

TEST_F(ChainTest, three_candidate_successors_keep_linkage_sets_symmetric) {
  // G1, a water, then three overlapping copies of C2 whose P atoms all sit
  // next to the O3' of G1: G1 takes two of them, the third stays unlinked
  // (a one-sided link would leave the residue order unreadable)
  const std::string water =
      "HETATM 1601  O   HOH A 101      60.000  60.000  60.000  1.00 30.00           O\n";
  const std::string c2 = ehz_residues({2});
  struct_mol mol;
  read_pdb_text(ehz_residues({1}) + water + moved_copy(c2, 12, 0.0) + moved_copy(c2, 13, 0.2) +
                    moved_copy(c2, 14, 0.4),
                mol);
  ASSERT_EQ(mol.num_residues, 5);
  EXPECT_EQ(mol.residues[1].linked.count, 2);
  for (long k = 1; k <= mol.num_residues; ++k) {
    const connect& lk = mol.residues[k].linked;
    for (long t = 1; t <= lk.count; ++t) EXPECT_TRUE(mol.residues[lk[t]].linked.has(k)) << k;
  }
  EXPECT_EQ(mol.residues[5].linked.count, 0);
  EXPECT_EQ(static_cast<long>(mol.residue_order.size()), 6);
}

TEST_F(ChainTest, dna_with_a_2prime_substituent_is_taken_as_rna) {
  // G1 of 1ehz with its O2' turned into a fluorine: no O2', so first DNA;
  // its C2' has three bonded atoms, so RNA after the covalent bonds
  std::string g1 = ehz_residues({1});
  size_t at = g1.find(" O2'");
  ASSERT_NE(at, std::string::npos);
  g1.replace(at, 4, " F2'");
  size_t eol = g1.find('\n', at);
  g1.replace(eol - 2, 2, " F");
  struct_mol raw;  // classified only
  init_struct_mol("raw.pdb", raw);
  FILE* fp = fmemopen(g1.data(), g1.size(), "r");
  read_pdb_model_fp(fp, -1, "*", chain_selection{}, raw);
  std::fclose(fp);
  populate_residues(raw);
  EXPECT_EQ(raw.residues[1].flag[rf::is_dna], 1);
  struct_mol mol;
  read_pdb_text(g1, mol);
  ASSERT_EQ(mol.num_nts, 1);
  EXPECT_EQ(mol.atoms[mol.nt_infos[1].C2p].bonded.count, 3);
  EXPECT_EQ(mol.residues[1].flag[rf::is_rna], 1);
  EXPECT_EQ(mol.residues[1].flag[rf::is_dna], 0);
  EXPECT_EQ(mol.chains[1].type, "RNA");
}

TEST_F(ChainTest, chain_with_more_amino_acids_than_nucleotides_is_a_protein) {
  std::ifstream in(test::test_data("1ubq.pdb"));
  std::string aas;
  for (std::string l; std::getline(in, l);)
    if (l.compare(0, 4, "ATOM") == 0 && std::stol(l.substr(22, 4)) <= 5) {
      l[21] = 'A';
      aas += l + "\n";
    }
  test::log_capture log;
  struct_mol mol;
  read_pdb_text(ehz_residues({1, 2, 3}) + aas, mol);
  ASSERT_EQ(mol.num_chains, 1);
  const chain& ch = mol.chains[1];
  EXPECT_EQ(ch.type, "Protein");
  EXPECT_EQ(ch.num_nts, 0);
  EXPECT_EQ(ch.num_aas, 5);
  EXPECT_EQ(mol.num_na_chains, 0);
  EXPECT_EQ(mol.num_protein_chains, 1);
  EXPECT_NE(log.text().find("[w]  chainId 'A' with nts=3 and aas=5\n"), std::string::npos) << log.text();
  EXPECT_NE(mol.notes.find("   o chainId 'A' with nts=3 and aas=5\n"), std::string::npos);
}

TEST_F(ChainTest, hybrid_chain_types) {
  // DNA residues of 1bna chain A renumbered from 101, after RNA residues of 1ehz
  auto dna = [](long n) {
    std::ifstream in(test::test_data("1bna.pdb"));
    std::string out;
    for (std::string l; std::getline(in, l);) {
      if (l.compare(0, 4, "ATOM") != 0 || l[21] != 'A') continue;
      long num = std::stol(l.substr(22, 4));
      if (num > n) continue;
      char buf[24];
      std::snprintf(buf, sizeof buf, "%4ld", 100 + num);
      out += l.replace(22, 4, buf) + "\n";
    }
    return out;
  };
  const struct {
    long ndna, nrna;
    const char* want;
  } cases[] = {{10, 1, "DNA[10]/1"}, {10, 2, "DNA[10]/RNA[2]"}, {5, 5, "DNA[5]/RNA[5]"},
               {1, 5, "RNA[5]/1"},   {2, 5, "DNA[2]/RNA[5]"},  {3, 0, "DNA"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.want);
    std::vector<long> rna;
    for (long k = 1; k <= c.nrna; ++k) rna.push_back(k);
    struct_mol mol;
    read_pdb_text(ehz_residues(rna) + dna(c.ndna), mol);
    ASSERT_EQ(mol.num_chains, 1);
    EXPECT_EQ(mol.chains[1].type, c.want);
    EXPECT_EQ(mol.chains[1].num_dna, c.ndna);
    EXPECT_EQ(mol.chains[1].num_hybrid, c.nrna ? c.ndna + c.nrna : 0);
    EXPECT_EQ(mol.num_dna_chains, std::string(c.want).find("DNA") == 0 ? 1 : 0);
    // an RNA chain is one whose type names RNA: "DNA[10]/1" is counted as DNA only
    EXPECT_EQ(mol.num_rna_chains, std::string(c.want).find("RNA") != std::string::npos ? 1 : 0);
  }
}

}  // namespace
}  // namespace vask
