#include "support/pattern_matcher.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vask {

namespace {
struct match_case {
  bool icase;
  const char* pattern;
  const char* subject;
  bool want;
};

void check_cases(const match_case* cases, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const match_case& c = cases[i];
    SCOPED_TRACE(std::string(c.icase ? "nc " : "bc ") + "'" + c.pattern + "' ~ '" + c.subject + "'");
    bool got = c.icase ? zor_ncmatch(c.subject, c.pattern) : zor_bcmatch(c.subject, c.pattern);
    EXPECT_EQ(got, c.want);
  }
}
}  // namespace

TEST(zor_match, DialectEdgeCases) {
  const match_case cases[] = {
      // empty subjects and patterns: position n is never a start position
      {false, "", "a", true},
      {false, "", "", false},
      {false, "^", "", true},
      {false, "^$", "", true},
      {false, "x*", "", false},
      {false, "c$", "abc", true},
      {false, "$", "abc", false},
      // committed alternation
      {true, "\\.(pdb|pdbx|cif|mmcif)$", "x.PDB", true},
      {true, "\\.(pdb|pdbx|cif|mmcif)$", "x.cif", true},
      {true, "\\.(pdb|pdbx|cif|mmcif)$", "x.mmcif", true},
      {true, "\\.(pdb|pdbx|cif|mmcif)$", "x.pdbx", false},
      {true, "^-?-?(a2base|cap|capping)[-_]?vd", "--cap-vd", true},
      {true, "^-?-?(a2base|cap|capping)[-_]?vd", "--capping-vd", false},
      {true, "(NO|NOT|NONE|EXCLUDE)[-_]?(BASE|NA|DNA|RNA|NUCL)", "no-rna", true},
      {true, "(NO|NOT|NONE|EXCLUDE)[-_]?(BASE|NA|DNA|RNA|NUCL)", "not-rna", false},
      {false, "^(a|ab)c", "abc", false},
      {false, "^(ab|a)c", "ac", true},
      {true, "^-?-?(short|brief|simple$)", "--short=1", true},
      {true, "^-?-?(short|brief|simple$)", "--simple=1", false},
      // committed "?"
      {false, "^a?ab", "ab", false},
      // a quantifier applies to the last character of a literal run
      {false, "base+pair", "basepair", true},
      {false, "base+pair", "baseeepair", true},
      {false, "base+pair", "base+pair", false},
      {false, "^ab*$", "abbb", true},
      {false, "^ab*$", "abab", false},
      // sets: no ranges, no folding, the empty and the negated-empty set
      {false, "[^]", "x", true},
      {false, "[]", "x", false},
      {false, "[-_]", "-", true},
      {false, "[-_]", "_", true},
      {false, "[-_]", "a", false},
      {false, "[a-c]", "b", false},
      {false, "[a-c]", "-", true},
      {true, "[NT]", "n", false},
      {true, "[NT]", "N", true},
      // case folding of literal text only
      {false, "A", "a", false},
      {true, "A", "a", true},
      // repetition of groups commits each repetition
      {false, "^(a|b)*c", "ababc", true},
      {false, "^(a|ab)*c", "abababc", false},
      {false, "^a*ab", "aaab", true},
      {false, "^(ab)+$", "ababab", true},
      {false, "^a+?b", "aaab", true},
      // "^" anchors the whole pattern, even across top-level alternatives
      {true, "^-?-?order|sort", "sort", true},
      {true, "^-?-?order|sort", "xsort", false},
      // classes and escapes
      {false, ".", "\n", true},
      {false, "\\d+", "abc12", true},
      {false, "\\d", "abc", false},
      {false, "\\s", "a\tb", true},
      {false, "\\S", " \t ", false},
      {false, "a\\|b", "a|b", true},
      {false, "a\\|b", "a", false},
      {false, "\\w", "w", true},
      {false, "\\.", "x", false},
      // patterns that do not compile answer no
      {false, "elem|symb)", "elem", false},
      {false, "(abc", "abc", false},
      {false, "[abc", "a", false},
  };
  check_cases(cases, std::size(cases));
}

TEST(zor_match, RealOptionPatterns) {
  const match_case cases[] = {
      {true, "^-?-?hbond[-_]?dist", "--hbond-dist=3.2", true},
      {true, "^-?-?hbond[-_]?dist", "hbond_dist=3", true},
      {true, "^-?-?hbond[-_]?dist", "-HBOND-DIST", true},
      {true, "^-?-?hbond[-_]?dist", "--hbonddist", true},
      {true, "^-?-?hbond[-_]?dist", "---hbond-dist", false},
      {true, "^-?-?hbond[-_]?dist", "--hbond--dist", false},
      {true, "^-?-?hbond[-_]?dist", "x--hbond-dist", false},
      {true, "^(triz|prot)", "triz", true},
      {true, "^(triz|prot)", "PROTEIN", true},
      {true, "^(triz|prot)", "xtriz", false},
      {true, "\\.json$", "out.json", true},
      {true, "\\.json$", "out.JSON", true},
      {true, "\\.json$", "outjson", false},
      {true, "\\.json$", "out.json.bak", false},
      {true, "^(on|1|yes|true)$", "on", true},
      {true, "^(on|1|yes|true)$", "YES", true},
      {true, "^(on|1|yes|true)$", "1", true},
      {true, "^(on|1|yes|true)$", "True", true},
      {true, "^(on|1|yes|true)$", "10", false},
      {true, "^(on|1|yes|true)$", "onx", false},
      {true, "^(on|1|yes|true)$", "", false},
      {true, "^-?-?h[-_]?bond[-_]?(atom)?[-_]?(pair)?", "--h-bond-atom-pair", true},
      {true, "^-?-?h[-_]?bond[-_]?(atom)?[-_]?(pair)?", "--hbond", true},
      {true, "pos.*1", "position1", true},
      {true, "pos.*1", "position2", false},
  };
  check_cases(cases, std::size(cases));
}

TEST(zor_match, ProgramSizeLimits) {
  std::string long_literal(200, 'a');
  EXPECT_TRUE(zor_bcmatch(long_literal.c_str(), long_literal.c_str()));
  std::string too_long(300, 'a');  // more literal bytes than the data area holds
  EXPECT_FALSE(zor_bcmatch(too_long.c_str(), too_long.c_str()));
  std::string many_dots(300, '.');  // more instructions than the code area holds
  EXPECT_FALSE(zor_bcmatch(std::string(400, 'x').c_str(), many_dots.c_str()));
}

TEST(zor_match, EmptyOperandRepetitionEnds) {
  // a repeated operand that can match nothing must not loop forever
  EXPECT_TRUE(zor_bcmatch("xyz", "^(a?)*x"));
  EXPECT_TRUE(zor_bcmatch("b", "^(a*)+b"));
}

TEST(slre_match, CapturesGroupsAndReportsFailures) {
  long long num = 0;
  char word[8] = {};
  const char* subject = "12-abc";
  EXPECT_EQ(slre_match(0, "^(\\d+)-(\\S+)$", subject, 6, 1, 8, &num, 0, 8, word), nullptr);
  EXPECT_EQ(num, 12);
  EXPECT_STREQ(word, "abc");

  double x = 0;
  EXPECT_EQ(slre_match(0, "x=(\\S+)", "x=2.5", 5, 2, 8, &x), nullptr);
  EXPECT_DOUBLE_EQ(x, 2.5);

  char tiny[3] = {};
  EXPECT_STREQ(slre_match(0, "(\\S+)", "abc", 3, 0, 3, tiny), "SLRE_STRING: buffer size too small");
  EXPECT_STREQ(slre_match(0, "(\\S+)", "abc", 3, 1, 4, &num), "SLRE_INT: unsupported size");
  EXPECT_STREQ(slre_match(0, "(\\S+)", "abc", 3, 1, 8, &num), "SLRE_INT: capture failed");
  EXPECT_STREQ(slre_match(0, "(\\S+)", "abc", 3, 7, 8, &num),
               "Unknown type, expected SLRE_(INT|FLOAT|STRING)");
  EXPECT_STREQ(slre_match(0, "z", "abc", 3), "No match");
  EXPECT_STREQ(slre_match(0, "a)", "abc", 3), "Unbalanced brackets");
  EXPECT_STREQ(slre_match(0, "(a", "abc", 3), "No closing bracket");
  EXPECT_STREQ(slre_match(0, "[a", "abc", 3), "No closing ']' bracket");
  EXPECT_STREQ(slre_match(0, std::string(300, 'a').c_str(), "abc", 3), "RE is too long (data overflow)");
  EXPECT_STREQ(slre_match(0, std::string(300, '.').c_str(), "abc", 3), "RE is too long (code overflow)");
}

}  // namespace vask
