// Secondary-structure files and report: the .dbn, .ct and .bpseq files of
// tRNA-Phe read back by the formats' rules, titles, chain-break separators,
// the simple and residue-number forms, the pseudoknot-order text and notes,
// the JSON "dbn" and "ct", and structures of a list or an ensemble kept
// apart from each other.
#include "secondary/ss_output.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "json_check.hpp"
#include "secondary/helix_fixture.hpp"
#include "structure/residue.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> v;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

// Pairs (i < j, 1-based positions) of a dot-bracket string without
// separators; every bracket kind is matched on its own stack.
std::map<long, long> dbn_pairs(const std::string& dbn) {
  const std::string open = "([{<ABCDEFGHIJKLMNOPQRSTUVWXYZ", close = ")]}>abcdefghijklmnopqrstuvwxyz";
  std::map<char, std::vector<long>> stacks;
  std::map<long, long> pairs;
  for (size_t k = 0; k < dbn.size(); ++k) {
    const char c = dbn[k];
    if (const size_t o = open.find(c); o != std::string::npos) {
      stacks[c].push_back(static_cast<long>(k) + 1);
    } else if (const size_t z = close.find(c); z != std::string::npos) {
      auto& st = stacks[open[z]];
      EXPECT_FALSE(st.empty()) << "unmatched '" << c << "' at " << k + 1;
      if (st.empty()) continue;
      pairs[st.back()] = static_cast<long>(k) + 1;
      st.pop_back();
    }
  }
  for (const auto& [c, st] : stacks) EXPECT_TRUE(st.empty()) << "unclosed '" << c << "'";
  return pairs;
}

// A connect table or BPSEQ file read by the format's column rules: the
// letters (1..n) and the partner of every position (0 unpaired). Partners
// must be mutual and in range; a .ct row's neighbours must be k-1/k+1 or 0.
struct ss_table {
  long n = 0;
  std::string letters;
  std::vector<long> partner{0};
};

ss_table read_ct(const std::string& text) {
  ss_table t;
  const std::vector<std::string> rows = lines_of(text);
  EXPECT_FALSE(rows.empty());
  if (rows.empty()) return t;
  std::istringstream head(rows[0]);
  head >> t.n;
  EXPECT_EQ(static_cast<long>(rows.size()), t.n + 1);
  for (long k = 1; k < static_cast<long>(rows.size()); ++k) {
    std::istringstream in(rows[static_cast<size_t>(k)]);
    long idx = 0, prev = -1, next = -1, partner = -1, number = 0;
    char letter = 0;
    in >> idx >> letter >> prev >> next >> partner >> number;
    EXPECT_FALSE(in.fail()) << rows[static_cast<size_t>(k)];
    EXPECT_EQ(idx, k);
    EXPECT_TRUE(prev == 0 || prev == k - 1) << rows[static_cast<size_t>(k)];
    EXPECT_TRUE(next == 0 || next == k + 1) << rows[static_cast<size_t>(k)];
    EXPECT_TRUE(partner >= 0 && partner <= t.n && partner != k) << rows[static_cast<size_t>(k)];
    t.letters += letter;
    t.partner.push_back(partner);
  }
  for (long k = 1; k <= t.n; ++k) {
    if (t.partner[k] > 0) {
      EXPECT_EQ(t.partner[t.partner[k]], k) << "ct row " << k;
    }
  }
  return t;
}

ss_table read_bpseq(const std::string& text) {
  ss_table t;
  for (const std::string& row : lines_of(text)) {
    std::istringstream in(row);
    long idx = 0, partner = -1;
    char letter = 0;
    in >> idx >> letter >> partner;
    EXPECT_FALSE(in.fail()) << row;
    EXPECT_EQ(idx, t.n + 1);
    t.letters += letter;
    t.partner.push_back(partner);
    ++t.n;
  }
  for (long k = 1; k <= t.n; ++k) {
    EXPECT_TRUE(t.partner[k] >= 0 && t.partner[k] <= t.n);
    if (t.partner[k] > 0) {
      EXPECT_EQ(t.partner[t.partner[k]], k) << "bpseq row " << k;
    }
  }
  return t;
}

std::map<long, long> table_pairs(const ss_table& t) {
  std::map<long, long> pairs;
  for (long k = 1; k <= t.n; ++k)
    if (t.partner[k] > k) pairs[k] = t.partner[k];
  return pairs;
}

const char* const kTrnaDbn = "(((((((..((((.....[..)))).((((.........)))).....(((((..]....))))))))))))....";
const char* const kTrnaSeq = "GCGGAUUUAgCUCAGuuGGGAGAGCgCCAGAcUgAAgAPcUGGAGgUCcUGUGtPCGaUCCACAGAAUUCGCACCA";

TEST(SecondaryFiles, trna_files_agree_with_the_dbn) {
  test::ExeRun exe({"1ehz.pdb"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.txt"), 0) << exe.file("stderr.txt");
  const std::vector<std::string> dbn = lines_of(exe.file("vask-2ndstrs.dbn"));
  ASSERT_EQ(dbn.size(), 3u);
  EXPECT_EQ(dbn[0], ">1ehz nts=76 [1ehz] -- secondary structure derived by VASK");
  EXPECT_EQ(dbn[1], kTrnaSeq);
  EXPECT_EQ(dbn[2], kTrnaDbn);
  const std::map<long, long> want = dbn_pairs(dbn[2]);
  EXPECT_EQ(want.size(), 21u);  // 20 stem pairs and G19-C56
  EXPECT_EQ(want.at(19), 56);

  const std::string ct_text = exe.file("vask-2ndstrs.ct");
  EXPECT_EQ(lines_of(ct_text)[0], "   76 ENERGY = 0.0 [1ehz] -- secondary structure derived by VASK");
  const ss_table ct = read_ct(ct_text);
  EXPECT_EQ(ct.letters, dbn[1]);
  EXPECT_EQ(table_pairs(ct), want);
  const ss_table bpseq = read_bpseq(exe.file("vask-2ndstrs.bpseq"));
  EXPECT_EQ(bpseq.letters, dbn[1]);
  EXPECT_EQ(table_pairs(bpseq), want);

  const std::string out = exe.file("out.txt");
  EXPECT_NE(out.find("This structure contains 1-order pseudoknot\n"
                     "   o You may want to run VASK again with the '--nested' option which removes\n"),
            std::string::npos);
  EXPECT_NE(out.find("Secondary structures in dot-bracket notation (dbn) as a whole and per chain\n"
                     ">1ehz nts=76 [whole]\n" +
                     std::string(kTrnaSeq) + "\n" + kTrnaDbn + "\n>1ehz-A #1 nts=76 "),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("Special notes:"), std::string::npos);
  EXPECT_EQ(out.find("H-type"), std::string::npos);  // G19-C56 is no H-type pseudoknot
}

TEST(SecondaryFiles, titles_of_dbn_and_ct) {
  test::ExeRun exe({"1ehz.pdb"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.txt --structure-title=xyz"), 0);
  EXPECT_EQ(lines_of(exe.file("vask-2ndstrs.dbn"))[0], ">xyz");
  EXPECT_EQ(lines_of(exe.file("vask-2ndstrs.ct"))[0], "   76 xyz");
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.txt --structure-title= --json=ct"), 0);
  EXPECT_EQ(lines_of(exe.file("vask-2ndstrs.dbn"))[0], ">");
  EXPECT_EQ(lines_of(exe.file("vask-2ndstrs.ct"))[0], "   76");
  EXPECT_NE(exe.file("out.txt").find("\"ct\":[\"   76\",\"    1 G     0     2    72     1\","), std::string::npos);
}

TEST(SecondaryFiles, simple_ct_and_residue_number_bpseq) {
  test::ExeRun exe({"1bna.pdb"});
  ASSERT_EQ(exe.run("-i=1bna.pdb -o=out.txt --ss-simple --bpseq"), 0);
  const std::vector<std::string> ct = lines_of(exe.file("vask-2ndstrs.ct"));
  ASSERT_EQ(ct.size(), 25u);
  // the two strands are not linked, yet the simple form chains every row
  EXPECT_EQ(ct[12], "   12 G    11    13    13    12");
  EXPECT_EQ(ct[13], "   13 C    12    14    12    13");
  EXPECT_EQ(ct[24], "   24 G    23     0     1    24");
  const std::vector<std::string> bpseq = lines_of(exe.file("vask-2ndstrs.bpseq"));
  ASSERT_EQ(bpseq.size(), 24u);
  EXPECT_EQ(bpseq[0], "     1 C     24 # name=A.DC1, pairedNt=B.DG24");
  ASSERT_EQ(exe.run("-i=1bna.pdb -o=out.txt"), 0);
  EXPECT_EQ(lines_of(exe.file("vask-2ndstrs.ct"))[12], "   12 G    11     0    13    12");
  EXPECT_EQ(lines_of(exe.file("vask-2ndstrs.ct"))[13], "   13 C     0    14    12    13");
}

TEST(SecondaryFiles, two_strands_and_the_separator) {
  test::ExeRun exe({"1bna.pdb"});
  ASSERT_EQ(exe.run("-i=1bna.pdb -o=out.json --json"), 0);
  const std::string json = exe.file("out.json");
  EXPECT_EQ(test::json_error(json), "");
  EXPECT_NE(json.find("\"dbn\":{\"all_chains\":{\"num_nts\":24,\"num_chars\":25,"
                      "\"bseq\":\"CGCGAATTCGCG&CGCGAATTCGCG\",\"sstr\":\"((((((((((((&))))))))))))\","),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"chain_A\":{\"num_nts\":12,\"num_chars\":12,\"bseq\":\"CGCGAATTCGCG\","
                      "\"sstr\":\"((((((((((((\",\"form\":"),
            std::string::npos);
  EXPECT_NE(json.find("\"chain_B\":{\"num_nts\":12,"), std::string::npos);
  EXPECT_EQ(json.find("\"ct\":"), std::string::npos);  // only with --json=ct
  EXPECT_EQ(json.find("bseqUP"), std::string::npos);    // no modified nucleotides

  ASSERT_EQ(exe.run("-i=1bna.pdb -o=out.json --json --dbn-break=0"), 0);
  EXPECT_NE(exe.file("out.json").find("\"num_nts\":24,\"num_chars\":24,\"bseq\":\"CGCGAATTCGCGCGCGAATTCGCG\""),
            std::string::npos);
  ASSERT_EQ(exe.run("-i=1bna.pdb -o=out.txt"), 0);
  const std::string text = exe.file("out.txt");
  EXPECT_EQ(text.find("Special notes:"), std::string::npos);
  EXPECT_EQ(text.find("pseudoknot"), std::string::npos);
  EXPECT_EQ(lines_of(exe.file("vask-2ndstrs.dbn"))[2], "((((((((((((&))))))))))))");
}

TEST(SecondaryFiles, trna_json_carries_modified_letters_and_the_ct) {
  test::ExeRun exe({"1ehz.pdb"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.json --json=ct"), 0);
  const std::string json = exe.file("out.json");
  EXPECT_EQ(test::json_error(json), "");
  EXPECT_NE(json.find("\"bseq\":\"" + std::string(kTrnaSeq) + "\",\"bseqUP\":\"GCGGAUUUAGCUCAGUUGGGAGAGCGCCAGACUGAAGAUCUGGAGGUCCUGUGTUCGAUCCACAGAAUUCGCACCA\",\"sstr\":\"" + kTrnaDbn + "\""),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"ct\":[\"   76\","), std::string::npos);
  EXPECT_NE(json.find("\"dbn\":\"[\""), std::string::npos);  // G19 in the nucleotide list
}

TEST(SecondaryFiles, nested_option_keeps_the_order_found_before_removal) {
  test::ExeRun exe({"1ehz.pdb"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.txt --nested"), 0);
  const std::string out = exe.file("out.txt");
  EXPECT_NE(out.find("This structure contains 1-order pseudoknot\n"
                     "   o You have chosen to remove the pseudoknots with the '--nested' option so\n"
                     "     only a fully nested secondary structure representation remains.\n"),
            std::string::npos)
      << out;
  const std::string dbn = lines_of(exe.file("vask-2ndstrs.dbn"))[2];
  EXPECT_EQ(dbn.find_first_not_of("()."), std::string::npos) << dbn;
  EXPECT_EQ(dbn, "(((((((..((((........)))).((((.........)))).....(((((.......))))))))))))....");
  EXPECT_NE(exe.file("stderr.txt").find("Removed 1 knotted (canonical) base pairs"), std::string::npos);
  EXPECT_NE(out.find("List of 33 base pairs"), std::string::npos);
}

TEST(SecondaryFiles, h_type_pseudoknot_report) {
  test::ExeRun exe({"1l3d.pdb"});
  ASSERT_EQ(exe.run("-i=1l3d.pdb -o=out.txt"), 0);
  const std::string out = exe.file("out.txt");
  EXPECT_NE(out.find("This structure contains 1-order pseudoknot\n"), std::string::npos);
  EXPECT_NE(out.find("List of 3 H-type pseudoknot loop segments\n"
                     "   1 stem#1(hairpin#1) vs stem#2(hairpin#2) L1 groove=----- nts=2 CA A.C8,A.A9\n"),
            std::string::npos)
      << out;
  ASSERT_EQ(exe.run("-i=1l3d.pdb -o=out.json --json"), 0);
  const std::string json = exe.file("out.json");
  EXPECT_EQ(test::json_error(json), "");
  EXPECT_NE(json.find("\"num_HtypePknots\":3,\"HtypePknots\":[{\"index\":1,\"desc\":\"stem#1(hairpin#1) vs"),
            std::string::npos);
}

// Each structure of a list or an ensemble reports only its own order and notes.
TEST(SecondaryFiles, list_members_keep_their_own_order_and_notes) {
  test::ExeRun exe({"1ehz.pdb", "1bna.pdb", "1l3d.pdb"});
  {  // 1ehz with G1 and C2 swapped in the file: "nucleotides out of order"
    std::ifstream in(exe.path("1ehz.pdb"));
    std::string g1, c2, rest;
    for (std::string l; std::getline(in, l);) {
      const bool atom = l.rfind("ATOM", 0) == 0 || l.rfind("HETATM", 0) == 0;
      const long number = atom && l.size() > 26 ? std::stol(l.substr(22, 4)) : 0;
      (number == 1 ? g1 : number == 2 ? c2 : rest) += l + "\n";
    }
    std::ofstream(exe.path("swapped.pdb")) << c2 << g1 << rest;
  }
  std::ofstream(exe.path("list.txt")) << "swapped.pdb\n1bna.pdb\n1l3d.pdb\n1bna.pdb\n";
  ASSERT_EQ(exe.run("--ilist=list.txt -o=one:all.txt"), 0) << exe.file("stderr.txt");
  const std::string all = exe.file("all.txt");
  std::vector<std::string> reports;
  for (size_t p = all.find("<model"); p != std::string::npos; p = all.find("<model", p + 1))
    reports.push_back(all.substr(p, all.find("</model>", p) - p));
  ASSERT_EQ(reports.size(), 4u);
  EXPECT_NE(reports[0].find("Special notes:\n   o nucleotides out of order\n"), std::string::npos) << reports[0];
  EXPECT_NE(reports[0].find("1-order pseudoknot"), std::string::npos);
  for (size_t k : {1u, 3u}) {
    EXPECT_EQ(reports[k].find("Special notes"), std::string::npos) << k;
    EXPECT_EQ(reports[k].find("pseudoknot"), std::string::npos) << k;
  }
  EXPECT_NE(reports[2].find("1-order pseudoknot"), std::string::npos);
  EXPECT_EQ(reports[2].find("Special notes"), std::string::npos);
}

TEST(SecondaryFiles, ensemble_models_each_have_their_dbn) {
  test::ExeRun exe({"2koc.pdb"});
  ASSERT_EQ(exe.run("-i=2koc.pdb -o=out.json --nmr --json"), 0);
  const std::string json = exe.file("out.json");
  EXPECT_EQ(test::json_error(json), "");
  long count = 0;
  for (size_t p = json.find("\"all_chains\":"); p != std::string::npos; p = json.find("\"all_chains\":", p + 1))
    ++count;
  EXPECT_EQ(count, 20);
  EXPECT_NE(json.find("\"sstr\":\"(((((....)))))\""), std::string::npos);
}

// The report text of the secondary-structure step on its own.
class SecondaryReport : public test::HelixTest {
 protected:
  std::string report(const dbn_state& state, std::string& notes) {
    mutable_gvars().auxfiles = 0;  // no files from a unit test
    FILE* fp = std::tmpfile();
    const helix_slots slots = helix_slots_of(results_);
    output_2ndstrs(mol_, {slots, 0, results_.hairpins, state}, notes, fp);
    const std::string text = test::read_stream(fp);
    std::fclose(fp);
    return text;
  }
};

TEST_F(SecondaryReport, negative_order_and_warnings) {
  analyse("1bna.pdb");
  dbn_state state;
  state.order = -2;
  state.wrong_order = 1;
  state.cross_chain_pknots = 1;
  std::string notes;
  test::log_capture log;
  const std::string text = report(state, notes);
  EXPECT_NE(text.find("Special notes:\n"
                      "   o cross-paired segments in wrong order, be *careful* with .dbn\n"
                      "   o cross-paired segments in separate chains, be *careful* with .dbn\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("This structure contains *2-order pseudoknot\n"), std::string::npos);
  EXPECT_NE(text.find("   o The VASK-derived dbn may be problematic (see notes above).\n"), std::string::npos);
  EXPECT_NE(text.find(">1bna nts=24* [whole]\n"), std::string::npos);
  EXPECT_NE(log.text().find("[w]  cross-paired segments in wrong order, be *careful* with .dbn\n"),
            std::string::npos);
}

TEST_F(SecondaryReport, long_notes_are_kept_whole) {
  analyse("1bna.pdb");
  std::string notes;
  for (int k = 0; k < 200; ++k) notes += "   o a note of this structure that is rather long, number " + std::to_string(k) + "\n";
  const std::string text = report(dbn_state{}, notes);
  EXPECT_NE(text.find("number 199\n"), std::string::npos);
  EXPECT_GT(notes.size(), 2048u);
}

}  // namespace
}  // namespace vask
