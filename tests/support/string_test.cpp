#include "support/string.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>

#include "test_util.hpp"

namespace vask {

TEST(string_predicates, BlankAndCommentLines) {
  const struct {
    const char* s;
    bool doc, comment, space;
  } cases[] = {
      {"", true, false, true},       {" \t\r\n", true, false, true},
      {"  # x", true, true, false},  {"a # x", false, false, false},
      {"#", true, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.s);
    EXPECT_EQ(is_doc_string(c.s), c.doc);
    EXPECT_EQ(is_comment_string(c.s), c.comment);
    EXPECT_EQ(is_space_string(c.s), c.space);
  }
  EXPECT_TRUE(is_empty_str(static_cast<const char*>(nullptr)));
  EXPECT_TRUE(icase_str_pmatch("HBond", "hb"));
  EXPECT_FALSE(icase_str_pmatch("h", "hb"));
  EXPECT_TRUE(is_str_with_only_valid_chars("ACGU", "ACGTU"));
  EXPECT_FALSE(is_str_with_only_valid_chars("ACGX", "ACGTU"));
}

TEST(string_trim, TrimsAndJustifies) {
  std::string s = " \t ";
  EXPECT_EQ(trim(s), "");
  s = "  ab c \n";
  EXPECT_EQ(trim(s), "ab c");
  EXPECT_EQ(ltrim("  x "), "x ");
  EXPECT_EQ(trim_word("  first second"), "first");
  {
    test::log_capture log(true);
    EXPECT_EQ(trim_word("   "), "");
    EXPECT_EQ(log.prg_text(), "[i] empty or white-space string: '   '\n");
  }
  s = " ab cd";
  rjustify(s, 4);
  EXPECT_EQ(s, "  ab");
  s = "abcdef";
  rjustify(s, 3);
  EXPECT_EQ(s, "abc");
  s = "ab";
  ljustify(s, 4);
  EXPECT_EQ(s, "ab  ");
}

TEST(string_edits, CharacterEdits) {
  std::string s = "(x--y)";
  keep_only_alnum(s, '_');
  EXPECT_EQ(s, "x_y_");
  std::string sym = " C";
  capitalize_element_symbol(sym);
  EXPECT_EQ(sym, "C");
  sym = "CL";
  capitalize_element_symbol(sym);
  EXPECT_EQ(sym, "Cl");
  s = "a,b,c";
  remove_ending_comma(s);
  EXPECT_EQ(s, "a,b");
  s = "A1b";
  keep_only_upper_letter(s, '.');
  EXPECT_EQ(s, "A..");
  s = "line\n";
  nul_end_newline(s);
  EXPECT_EQ(s, "line");
  char open = 0, close = 0;
  get_matched_delimiter('[', open, close);
  EXPECT_EQ(close, ']');
  get_matched_delimiter('"', open, close);
  EXPECT_EQ(close, '"');
  EXPECT_EQ(replace_substring("aXXbXXXc", "XX", "-"), "a-b-Xc");
}

TEST(string_compare, CaseInsensitiveComparisonAndLists) {
  EXPECT_EQ(icase_strcmp("Abc", "aBC"), 0);
  EXPECT_LT(icase_strcmp("abc", "abd"), 0);
  EXPECT_GT(icase_strcmp("abcd", "abc"), 0);
  EXPECT_EQ(icase_strncmp("abcX", "ABCy", 3), 0);
  EXPECT_EQ(icase_strstr("xxHBond", "hbo"), 2u);
  EXPECT_EQ(icase_strstr("xx", "y"), std::string_view::npos);
  EXPECT_EQ(icase_strchr("abC", 'c'), 2u);
  std::vector<std::string> list = {"", "A", "b", "A"};
  EXPECT_EQ(find_str_match("A", list, 3), 1);
  EXPECT_EQ(find_str_match("A", list, 0), 0);
  EXPECT_EQ(find_icase_str_match("B", list, 3), 2);
  EXPECT_EQ(has_str_match("A", list, 2, 3), 3);
  EXPECT_EQ(find_num_of_str_match("A", list, 1, 3), 2);
}

TEST(string_split, SeparatorAndTokenSplits) {
  std::vector<std::string> items;
  EXPECT_EQ(split_str_by_sep_char("a,,b", items, 5, ','), 3);
  EXPECT_EQ(items, (std::vector<std::string>{"", "a", "", "b"}));
  EXPECT_EQ(split_str_by_sep_char("a,,b", items, 2, ','), 2);
  EXPECT_EQ(items, (std::vector<std::string>{"", "a", ""}));
  EXPECT_EQ(split_str_by_sep_char("", items, 5, ','), 0);
  EXPECT_EQ(split_str_by_sep_char(" x ; y ", items, 5, ';'), 2);
  EXPECT_EQ(items[2], "y");
  EXPECT_EQ(split_str_by_strtok("a,,b", items, 5, ","), 2);
  EXPECT_EQ(items, (std::vector<std::string>{"", "a", "b"}));
  EXPECT_EQ(split_str_by_strtok(" a  b c ", items, 2, " "), 2);
  EXPECT_EQ(items, (std::vector<std::string>{"", "a", "b"}));
}

TEST(string_fields, FixedColumnExtraction) {
  const char* rec = "ATOM      1  P     G A   1      50.193  51.190  50.534";
  EXPECT_EQ(extract_substr_from_str(rec, 1, 6, 1), "ATOM  ");
  EXPECT_EQ(extract_substr_from_str(rec, 50, 60, 1), "");  // line too short
  EXPECT_DOUBLE_EQ(extract_double_from_str(rec, 31, 38, 1, -1), 50.193);
  EXPECT_DOUBLE_EQ(extract_double_from_str(rec, 60, 66, 1, -1), -1);
  EXPECT_EQ(extract_long_from_str(rec, 7, 11, 1, -9), 1);
  EXPECT_EQ(extract_long_from_str("      ", 1, 5, 1, -9.7), -9);  // blank field: default, truncated
  EXPECT_EQ(extract_long_from_str("12x", 1, 3, 1, 0), 0);
  std::string out = "keep";
  extract_substr0_from_str(rec, 80, 82, 1, out);
  EXPECT_EQ(out, "keep");
  EXPECT_EQ(extract_substr0("abc", 2), "ab");
  EXPECT_EQ(extract_substr0("abc", 5), "");
}

TEST(string_concatenate, UnsetValuesGiveTheDefault) {
  std::string s = "x";
  concatenate_dval_par(s, " %.2f", " ---", 1.234);
  concatenate_dval_par(s, " %.2f", " ---", 1e40);
  concatenate_lval_par(s, 7, " %ld", " ---");
  concatenate_lval_par(s, LONG_MAX, " %ld", " ---");
  concatenate_str_par(s, "", " %s", " ---");
  concatenate_str_par(s, "ab", " [%s]", " ---");
  EXPECT_EQ(s, "x 1.23 --- 7 --- --- [ab]");
}

TEST(nullify_line_comment, CutsCommentsOutsideQuotesAndWords) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"a b # comment", "a b "},
      {"# whole line", ""},
      {"x = \"a # b\" # c", "x = \"a # b\" "},
      {"abc#def", "abc#def"},
      {"no comment", "no comment"},
      {"key = \"open # string", "key = \"open # string"},  // incomplete input is accepted
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    std::string s = c.in;
    nullify_line_comment(s);
    EXPECT_EQ(s, c.out);
  }
  std::string bad = "a } # x";
  EXPECT_EQ(test::fatal_message([&] { nullify_line_comment(bad); }),
            "error in parsing string: 'a } # x'\n");
}

TEST(string_lines, ItemCountsAndOutputLines) {
  EXPECT_EQ(get_number_of_space_separated_items(" pos = [1 2 3] "), 6);
  EXPECT_EQ(get_number_of_space_separated_items("{a:1}"), 2);
  EXPECT_EQ(number_size(-123), 4);
  EXPECT_EQ(count_char("a,b,c", ','), 2);
  test::log_capture log;
  total_counts("pairs", 0);
  total_counts("pairs", 3);
  EXPECT_EQ(log.text(), "    total number of pairs: 3\n");
}

// The quick fixed-point text must be printf's to the character: across
// magnitudes and decimals, at and next to rounding ties (0.125 is exact in
// binary, 0.15 is not), for negative zero, wide and non-finite values.
TEST(fixed_text, MatchesPrintfEverywhere) {
  const double specials[] = {0.0, -0.0, 0.125, -0.125, 2.5, 0.15, 1.005, -1e-12, 999999.9999, 123.4565,
                             1e9, 1e15, -1e300, std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};
  for (int d = -1; d <= 8; ++d)
    for (double v : specials) EXPECT_EQ(fixed_text(v, 8, d), sformat("%*.*f", 8, d, v)) << v << " " << d;
  std::mt19937_64 gen(43);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int k = 0; k < 20000; ++k) {
    const double v = unit(gen) * std::pow(10.0, k % 9 - 2);
    const int d = k % 7, w = k % 11;
    ASSERT_EQ(fixed_text(v, w, d), sformat("%*.*f", w, d, v)) << v << " " << d;
  }
}

}  // namespace vask
