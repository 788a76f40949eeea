// Helices and stems of real molecules: the B-DNA dodecamer (one helix, one
// stem), the same duplex with one strand nicked (one helix, two stems),
// tRNA-Phe (four stems named by their nucleotides, two coaxial stacks, the
// lone G19-C56 pair), a G-quadruplex (G+G helices, no stem), the stem modes,
// and a user's pair list taken as one helix, with its fall-backs.
#include "secondary/helix.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "secondary/helix_fixture.hpp"
#include "secondary/xref.hpp"
#include "structure/residue.hpp"

namespace vask {
namespace {

namespace fs = std::filesystem;
using test::span;

class HelixFind : public test::HelixTest {
 protected:
  void TearDown() override {
    if (!tmp_.empty()) fs::remove_all(tmp_);
    HelixTest::TearDown();
  }
  // A temporary copy of tests/data/1bna.pdb without the lines the filter drops.
  std::string filtered_1bna(const std::function<bool(const std::string&)>& drop) {
    std::string tmpl = (fs::temp_directory_path() / "vask-helix-XXXXXX").string();
    EXPECT_NE(mkdtemp(tmpl.data()), nullptr);
    tmp_ = tmpl;
    std::ifstream in(test::test_data("1bna.pdb"));
    const std::string out_name = (tmp_ / "1bna_nicked.pdb").string();
    std::ofstream out(out_name);
    for (std::string line; std::getline(in, line);)
      if (!drop(line)) out << line << "\n";
    return out_name;
  }
  // The index of the stem whose strand 1 starts at residue number first.
  long stem_starting_at(long first) const {
    for (long s = 1; s <= results_.num_stems; ++s)
      if (mol_.residues[results_.stems[s].strand1[1]].res_seq == first) return s;
    return 0;
  }
  fs::path tmp_;
};

TEST_F(HelixFind, dodecamer_is_one_helix_and_one_stem) {
  analyse("1bna.pdb");
  ASSERT_EQ(results_.num_helices, 1);
  ASSERT_EQ(results_.num_stems, 1);
  EXPECT_EQ(results_.num_isolated_pairs, 0);
  EXPECT_EQ(results_.num_coaxial_stacks, 0);
  for (const helix* h : {&results_.helices[1], &results_.stems[1]}) {
    EXPECT_EQ(h->num_pairs, 12);
    EXPECT_TRUE(is_anti_parallel(*h));
    EXPECT_EQ(h->breaks, 0);
    EXPECT_EQ(h->codes[1], "CGCGAATTCGCG");
    EXPECT_EQ(h->codes[2], "GCGCTTAAGCGC");
    EXPECT_EQ(h->codes[3], std::string(12, '|'));
    EXPECT_EQ(h->codes[4].size(), 11u);
    EXPECT_EQ(strand1(*h), span(1, 12));
    EXPECT_EQ(strand2(*h), span(13, 24));  // 5' to 3'; pair k with strand2[13 - k]
    EXPECT_EQ(h->num_hbonds, 32);          // 8 G-C x 3 + 4 A-T x 2
    for (long k = 1; k <= 12; ++k) {
      EXPECT_EQ(h->pairs[k].nt1, h->strand1[k]);
      EXPECT_EQ(h->pairs[k].nt2, h->strand2[13 - k]);
    }
  }
  EXPECT_TRUE(with_one_valid_helix(results_.num_helices, results_.helices));
  EXPECT_EQ(results_.helices[1].stems.count, 1);
  EXPECT_EQ(results_.stems[1].stems.count, 1);
  // marks: helix and stem of every nucleotide, end partners on the end pairs only
  const helix& h = results_.helices[1];
  for (long k = 1; k <= 12; ++k) {
    const auto& f = mol_.residues[h.strand1[k]].flag;
    EXPECT_EQ(f[rf::helix], 1);
    EXPECT_EQ(f[rf::stem], 1);
    EXPECT_EQ(f[rf::stem_partner], h.strand2[13 - k]);
    EXPECT_EQ(f[rf::helix_end] != 0, k == 1 || k == 12);
  }
  EXPECT_EQ(get_stem_icpair_nt(h.strand1[1], mol_), h.strand2[12]);
  EXPECT_EQ(share_stem(h.strand1[3], h.strand2[1], mol_), 1);
  EXPECT_EQ(share_helix(h.strand1[3], h.strand1[4], mol_), 1);
}

TEST_F(HelixFind, a_nicked_strand_splits_the_stem_not_the_helix) {
  // no P, OP1, OP2 on A.DT7: the O3'-P link from A.DA6 is gone
  const std::string file = filtered_1bna([](const std::string& line) {
    if (line.rfind("ATOM", 0) != 0 || line.substr(17, 9) != " DT A   7") return false;
    const std::string name = line.substr(12, 4);
    return name == " P  " || name == " OP1" || name == " OP2";
  });
  analyse_file(file);
  ASSERT_EQ(results_.num_helices, 1);
  EXPECT_EQ(results_.helices[1].num_pairs, 12);
  EXPECT_EQ(results_.helices[1].breaks, 1);
  ASSERT_EQ(results_.num_stems, 2);
  EXPECT_EQ(strand1(results_.stems[1]), span(1, 6));
  EXPECT_EQ(strand1(results_.stems[2]), span(7, 12));
  EXPECT_EQ(strand2(results_.stems[1]), span(19, 24));
  // the helix holds both stems: a coaxial stack, every stem nucleotide flagged
  EXPECT_EQ(results_.helices[1].stems.count, 2);
  EXPECT_EQ(results_.num_coaxial_stacks, 1);
  for (long r = 1; r <= mol_.num_residues; ++r) {
    if (!is_nt(r, mol_)) continue;
    EXPECT_EQ(mol_.residues[r].flag[rf::coaxial_stack], 1) << r;
  }
  EXPECT_EQ(results_.num_misassigned, 0);
  // helices cut at backbone breaks as stems are: two helices
  mutable_gvars().helix_baxis = 1;
  analyse_file(file);
  EXPECT_EQ(results_.num_helices, 2);
  EXPECT_EQ(results_.num_stems, 2);
}

TEST_F(HelixFind, tRNA_has_four_stems_two_coaxial_stacks_and_one_lone_pair) {
  analyse("1ehz.pdb");
  ASSERT_EQ(results_.num_stems, 4);
  // acceptor 1-7/66-72 (with the G4-U69 wobble), D 10-13/22-25, anticodon
  // 27-30/40-43 (A31-PSU39 is not canonical), T 49-53/61-65
  const struct {
    const char* name;
    long first, last, partner_first, partner_last;
  } stems[] = {{"acceptor", 1, 7, 66, 72},
               {"D", 10, 13, 22, 25},
               {"anticodon", 27, 30, 40, 43},
               {"T", 49, 53, 61, 65}};
  long acceptor = 0, D = 0, anticodon = 0, T = 0;
  for (const auto& s : stems) {
    SCOPED_TRACE(s.name);
    const long k = stem_starting_at(s.first);
    ASSERT_NE(k, 0);
    const helix& st = results_.stems[k];
    EXPECT_EQ(strand1(st), span(s.first, s.last));
    EXPECT_EQ(strand2(st), span(s.partner_first, s.partner_last));
    EXPECT_EQ(st.codes[3], std::string(static_cast<size_t>(st.num_pairs), '|'));
    (s.first == 1 ? acceptor : s.first == 10 ? D : s.first == 27 ? anticodon : T) = k;
  }
  EXPECT_EQ(results_.stems[acceptor].pairs[4].name, "Wobble");  // G4-U69
  EXPECT_EQ(results_.stems[acceptor].codes[1], "GCGGAUU");

  // two helices, each a coaxial stack: acceptor with T, D with anticodon
  ASSERT_EQ(results_.num_helices, 2);
  ASSERT_EQ(results_.num_coaxial_stacks, 2);
  std::vector<std::vector<long>> stacks;
  for (long h = 1; h <= results_.num_helices; ++h) {
    std::vector<long> members;
    for (long m = 1; m <= results_.helices[h].stems.count; ++m) members.push_back(results_.helices[h].stems[m]);
    std::sort(members.begin(), members.end());
    stacks.push_back(members);
  }
  std::vector<long> one{std::min(acceptor, T), std::max(acceptor, T)};
  std::vector<long> two{std::min(D, anticodon), std::max(D, anticodon)};
  EXPECT_TRUE((stacks == std::vector<std::vector<long>>{one, two}) ||
              (stacks == std::vector<std::vector<long>>{two, one}));
  EXPECT_EQ(results_.num_misassigned, 0);

  // G19-C56: the one isolated WC pair, index -1, within the acceptor/T helix
  ASSERT_EQ(results_.num_isolated_pairs, 1);
  const pair& p = results_.isolated_pairs[1];
  EXPECT_EQ(mol_.residues[p.nt1].res_seq, 19);
  EXPECT_EQ(mol_.residues[p.nt2].res_seq, 56);
  EXPECT_EQ(p.name, "WC");
  EXPECT_EQ(get_stem_icpair_idx(p.nt1, mol_), -1);
  EXPECT_EQ(get_stem_icpair_idx(p.nt2, mol_), -1);
  EXPECT_EQ(get_stem_icpair_nt(p.nt1, mol_), p.nt2);
  EXPECT_EQ(share_helix(p.nt1, p.nt2, mol_), mol_.residues[results_.stems[acceptor].strand1[1]].flag[rf::helix]);
  EXPECT_EQ(get_stem_icpair_idx(res("A", 20), mol_), 0);  // a loop nucleotide
  EXPECT_EQ(get_stem_idx(0, mol_), 0);                     // not a nucleotide
}

// The P4-P6 helix of each copy of 1gid runs through the A218-A219 platform,
// a pair of adjacent nucleotides, and has a crossed pair (U224-A248 then
// A226-U249). Each strand still follows its backbone 5' to 3': strand 1 is
// J5/5a and P5a to P6, strand 2 their partners, anti-parallel, with A226 on
// strand 1.
TEST_F(HelixFind, a_platform_pair_leaves_each_strand_on_its_backbone) {
  analyse("1gid.pdb");
  const std::vector<long> s1 = {198, 200, 201, 202, 203, 204, 205, 206, 207, 208, 209, 211, 212, 213, 214, 215, 216,
                                217, 0,   220, 221, 222, 223, 224, 226, 227, 228, 229, 230, 231, 232, 233, 234, 235};
  const std::vector<long> s2 = {239, 240, 241, 242, 243, 244, 245, 246, 247, 249, 248, 250, 251, 252, 253, 0,
                          103, 104, 105, 107, 108, 109, 110, 111, 112, 113, 114, 116, 117, 118, 119, 120, 121, 123};
  long found = 0;
  for (long h = 1; h <= results_.num_helices; ++h) {
    const helix& hx = results_.helices[h];
    if (hx.num_pairs != 34) continue;
    ++found;
    SCOPED_TRACE(mol_.residues[hx.strand1[1]].idstr);
    EXPECT_EQ(hx.parallel, 0);
    std::vector<long> t1 = strand1(hx), t2 = strand2(hx);
    // the platform pair may start either strand
    ASSERT_TRUE((t1[18] == 218 && t2[15] == 219) || (t1[18] == 219 && t2[15] == 218)) << t1[18];
    t1[18] = t2[15] = 0;
    EXPECT_EQ(t1, s1);
    EXPECT_EQ(t2, s2);
    for (long k = 1; k <= hx.num_pairs; ++k) {
      EXPECT_EQ(hx.pairs[k].nt1, hx.strand1[k]);
      EXPECT_EQ(hx.pairs[k].nt2, hx.strand2[hx.num_pairs + 1 - k]);
    }
    EXPECT_NE(hx.codes[4].find("AAAA"), std::string::npos) << hx.codes[4];  // A-form steps found again
  }
  EXPECT_EQ(found, 2);
}

TEST_F(HelixFind, stem_modes_decide_which_pairs_take_part) {
  const struct {
    long mode;
    long stems;
    long first, last;  // strand 1 of the stem starting at `first`
  } cases[] = {
      {1, 4, 27, 30},  // canonical pairs: the anticodon stem stops before A31-PSU39
      {2, 5, 1, 3},    // WC pairs only: G4-U69 splits the acceptor stem
      {2, 5, 5, 7},
      {7, 5, 26, 32},  // every best pair: the anticodon stem runs from M2G26-A44 to A32-c38
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    mutable_gvars().stems = c.mode;
    analyse("1ehz.pdb");
    EXPECT_EQ(results_.num_stems, c.stems);
    const long k = stem_starting_at(c.first);
    ASSERT_NE(k, 0);
    EXPECT_EQ(strand1(results_.stems[k]), span(c.first, c.last));
  }
}

TEST_F(HelixFind, quadruplex_gives_G_helices_and_no_stems) {
  analyse("1jjp.cif");
  ASSERT_GE(results_.num_helices, 1);
  EXPECT_EQ(results_.num_stems, 0);
  EXPECT_EQ(results_.num_isolated_pairs, 0);
  EXPECT_EQ(results_.num_coaxial_stacks, 0);
  long gg = 0;
  for (long h = 1; h <= results_.num_helices; ++h) {
    const helix& H = results_.helices[h];
    EXPECT_EQ(H.stems.count, 0);
    EXPECT_EQ(H.codes[3].find('|'), std::string::npos);
    for (long k = 1; k <= H.num_pairs; ++k) gg += H.pairs[k].bp == "G+G";
  }
  EXPECT_GE(gg, 6);
}

TEST_F(HelixFind, one_pair_or_none_gives_no_helix) {
  analyse("1bna.pdb");
  results_ = vask_results{};
  results_.num_pairs = 1;
  results_.pairs = {pair{}, pairs_[1]};
  helix_slots slots = helix_slots_of(results_);
  do_helices_stems_icpairs_xref(mol_, slots);
  EXPECT_EQ(results_.num_helices, 0);
  EXPECT_EQ(results_.num_stems, 0);
}

// The structure's own pair list as one helix, or the usual search when it
// cannot be one.
class PairListHelix : public HelixFind {
 protected:
  long run_with_list(const std::vector<std::array<long, 2>>& list) {
    analyse("1bna.pdb");  // pairs and marks as detected
    std::vector<pair> chosen(1);
    for (const auto& e : list) {
      chosen.emplace_back();
      populate_one_base_pair(e[0], e[1], mol_, chosen.back());
      chosen.back().best = 1;
    }
    results_ = vask_results{};
    results_.num_pairs = static_cast<long>(list.size());
    results_.pairs = chosen;
    mutable_gvars().pair_list_one = 1;
    helix_slots slots = helix_slots_of(results_);
    test::log_capture log;
    do_helices_stems_icpairs_xref(mol_, slots);
    log_ = log.text();
    return results_.num_helices;
  }
  std::string log_;
};

TEST_F(PairListHelix, a_whole_duplex_list_is_one_helix) {
  std::vector<std::array<long, 2>> list;
  for (long k = 1; k <= 12; ++k) list.push_back({k, 25 - k});
  ASSERT_EQ(run_with_list(list), 1);
  const helix& h = results_.helices[1];
  EXPECT_EQ(h.num_pairs, 12);
  EXPECT_TRUE(is_anti_parallel(h));  // strand 2 reversed: it runs 5' to 3'
  EXPECT_EQ(strand2(h), span(13, 24));
  EXPECT_EQ(h.codes[1], "CGCGAATTCGCG");
  EXPECT_EQ(log_.find("[w]"), std::string::npos) << log_;
}

TEST_F(PairListHelix, strand_order_as_given_decides_parallel) {
  // strand 2 in the given order has a 5'-3' link (23 to 24) and more than
  // reversed: kept as given, so the helix reads as parallel
  ASSERT_EQ(run_with_list({{2, 23}, {1, 24}, {3, 22}}), 1);
  EXPECT_EQ(results_.helices[1].parallel, 1);
  EXPECT_EQ(strand2(results_.helices[1]), (std::vector<long>{23, 24, 22}));
}

TEST_F(PairListHelix, too_few_pairs_or_a_triple_fall_back_to_the_search) {
  const struct {
    const char* name;
    std::vector<std::array<long, 2>> list;
    const char* reason;
    long helices;
  } cases[] = {
      {"one pair", {{1, 24}}, "(1 pair)", 0},
      {"a triple", {{1, 24}, {2, 23}, {3, 22}, {3, 21}, {4, 21}}, "in more than one pair", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(run_with_list(c.list), c.helices);
    EXPECT_NE(log_.find("[w] the pair list is not taken as one helix"), std::string::npos) << log_;
    EXPECT_NE(log_.find(c.reason), std::string::npos) << log_;
  }
}

}  // namespace
}  // namespace vask
