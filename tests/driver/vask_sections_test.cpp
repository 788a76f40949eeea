// The main report's sections in the order of the report writer: the titles
// of a tRNA report (every optional section asked for) against the order.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "json_check.hpp"
#include "motifs/motif_fixture.hpp"

namespace vask {
namespace {

// Section titles, in the order the report writes them; a title matching
// none of these (a section not known here) is left out of the comparison.
const char* const kSectionOrder[] = {
    R"(List of \d+ types? of \d+ modified nucleotides?)",
    R"(List of \d+ metals?)",
    R"(List of \d+ base pairs?)",
    R"(List of \d+ pair networks?)",
    R"(List of \d+ multiplets?)",
    R"(List of \d+ cyclic tetrads?)",
    R"(List of \d+ (helix|helices))",
    R"(List of \d+ stems?)",
    R"(List of \d+ isolated WC/wobble pairs?)",
    R"(List of \d+ coaxial stacks?)",
    R"(List of \d+ non-pairing interactions?)",
    R"(List of \d+ base stacks?)",
    R"(Nucleotides not involved in stacking interactions)",
    R"(List of \d+ atom-base capping interactions?)",
    R"(List of \d+ (embedding )?hairpin loops?)",
    R"(List of \d+ bulges?)",
    R"(List of \d+ internal loops?)",
    R"(List of \d+ junctions?)",
    R"(List of \d+ non-loop single-stranded segments?)",
    R"(List of \d+ kissing loop interactions?)",
    R"(List of \d+ A-minor motifs? .*)",
    R"(List of \d+ U-turns?)",
    R"(List of \d+ UA-loops?)",
    R"(List of \d+ (isolated )?G-tetrads?)",
    R"(List of \d+ G4-(helix|helices|stems?))",
    R"(List of \d+ i-motifs?)",
    R"(List of \d+ ribose zippers?)",
    R"(List of \d+ possible kink turns?)",
    R"(List of \d+ phosphate interactions?)",
    R"(List of \d+ splayed-apart dinucleotides?)",
    R"(List of \d+ waters? mediating .*)",
    R"(Summary of structural features of \d+ nucleotides?)",
    R"(List of \d+ additional files?)",
};

// The first line after each separator line of '*'.
std::vector<std::string> section_titles(const std::string& text) {
  const std::string sep(76, '*');
  std::vector<std::string> titles;
  for (size_t p = text.find(sep + "\n"); p != std::string::npos; p = text.find(sep + "\n", p + 1)) {
    const size_t start = p + sep.size() + 1;
    titles.push_back(text.substr(start, text.find('\n', start) - start));
  }
  return titles;
}

TEST(ReportSections, trna_report_follows_the_writer_order) {
  test::ExeRun exe({"1ehz.pdb"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.txt --pair-network --non-pair --experimental --metal"), 0)
      << exe.file("stderr.txt");
  long last = -1;
  std::vector<std::string> known;
  for (const std::string& title : section_titles(exe.file("out.txt"))) {
    long rank = -1;
    for (size_t k = 0; k < std::size(kSectionOrder) && rank < 0; ++k)
      if (std::regex_match(title, std::regex(kSectionOrder[k]))) rank = static_cast<long>(k);
    if (rank < 0) continue;
    EXPECT_GT(rank, last) << "'" << title << "' comes after '" << known.back() << "'";
    last = rank;
    known.push_back(title);
  }
  // the sections of the pair and motif stages are all there
  const std::vector<std::string> want = {"List of 34 base pairs", "List of 4 pair networks",
                                         "List of 4 multiplets", "List of 4 stems",
                                         "Nucleotides not involved in stacking interactions"};
  for (const auto& w : want)
    EXPECT_NE(std::find(known.begin(), known.end(), w), known.end()) << w;
  for (const char* part : {"non-pairing interactions", " base stacks"}) {
    bool seen = false;
    for (const auto& t : known) seen = seen || t.find(part) != std::string::npos;
    EXPECT_TRUE(seen) << part;
  }
}

TEST(ReportSections, json_report_parses_with_the_motif_keys) {
  test::ExeRun exe({"1ehz.pdb"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.json --json --pair-network --non-pair"), 0);
  const std::string js = exe.file("out.json");
  EXPECT_EQ(test::json_error(js), "");
  for (const char* key : {"\"pairNetworks\":[", "\"multiplets\":[", "\"nonPairs\":[", "\"planarity\":",
                          "\"stacks\":[", "\"nonStack\":{"})
    EXPECT_NE(js.find(key), std::string::npos) << key;
  // in the writer's order
  EXPECT_LT(js.find("\"pairs\":["), js.find("\"pairNetworks\":["));
  EXPECT_LT(js.find("\"pairNetworks\":["), js.find("\"multiplets\":["));
  EXPECT_LT(js.find("\"multiplets\":["), js.find("\"nonPairs\":["));
  EXPECT_LT(js.find("\"nonPairs\":["), js.find("\"stacks\":["));
}

}  // namespace
}  // namespace vask
