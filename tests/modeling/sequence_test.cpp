// Sequence routines: complement, raw file reading, validation and expansion.
#include "modeling/sequence.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "test_util.hpp"

namespace vask {
namespace {

namespace fs = std::filesystem;

TEST(get_complementary_base, maps_the_table_and_rejects_others) {
  const std::string from = "ACGTUacgtu";
  const std::string to = "TGCAAtgcaa";
  for (size_t i = 0; i < from.size(); ++i) EXPECT_EQ(get_complementary_base(from[i]), to[i]);
  EXPECT_EQ(get_complementary_base('\0'), '\0');
  EXPECT_NE(test::fatal_message([] { get_complementary_base('N'); }).find("Assertion failed"),
            std::string::npos);
}

TEST(derive_simple_sequence, expands_the_repeat_notation) {
  const struct {
    const char* text;
    const char* want;
  } cases[] = {
      {"acgu", "ACGT"},       {"A3C", "AAAC"},         {"(AC)3G", "ACACACG"}, {"(A2C)2", "AACAAC"},
      {"GU", "GT"},           {"A0C", "C"},            {"(AC)0G", "G"},       {"(AC)", "AC"},
      {"A12", "AAAAAAAAAAAA"}, {"AC2(GT)2", "ACCGTGT"}, {"[AC]2{G}<T>", "ACACGT"},
      {"", ""},               {"A1", "A"},             {"(AC)10", "ACACACACACACACACACAC"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(derive_simple_sequence(c.text), c.want);
  }
}

TEST(validate_sequence, malformed_texts_end_the_run_with_their_message) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"((A))", "[e] only non-nested and matched parentheses allowed: '((A))'\n"},
      {"(A", "[e] only non-nested and matched parentheses allowed: '(A'\n"},
      {")A(", "[e] only non-nested and matched parentheses allowed: ')A('\n"},
      {"3A", "[e] sequence must NOT start with a digit: '3A'\n"},
      {"C(3A)", "[e] sequence must NOT contain (digit): '(3A)'\n"},
      {"A()", "[e] sequence must NOT contain (): '()'\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string text = c.text;
    EXPECT_EQ(test::fatal_message([&] { validate_sequence(text); }), c.message);
  }
}

TEST(validate_sequence, drops_foreign_characters_with_one_note) {
  test::log_capture log;
  std::string text = "a-C*g-";
  EXPECT_EQ(validate_sequence(text), "ACG");
  EXPECT_EQ(text, "A-C*G-");  // unified and upper-cased in place
  EXPECT_EQ(log.text(), "[i] remove characters not in set '()0123456789ACGTU' -- -*\a\n");
}

TEST(get_full_sequence, repeats_the_whole_text) {
  EXPECT_EQ(get_full_sequence("AC", 3), "ACACAC");
  EXPECT_EQ(get_full_sequence("AU", 1), "AT");
  EXPECT_EQ(get_full_sequence("(AC)2", 2), "ACACACAC");
}

// Huge counts are refused before any memory is taken for them.
TEST(get_full_sequence, counts_and_repeats_have_a_cap) {
  const std::string cap = "[e] sequence longer than 100000 bases once expanded: ";
  const char* texts[] = {"A99999999999", "(AC)99999999999", "A100001", "(A50001C50000)",
                         "A99999C2"};
  for (const char* t : texts) {
    SCOPED_TRACE(t);
    EXPECT_EQ(test::fatal_message([&] { get_full_sequence(t, 1); }).rfind(cap, 0), 0u);
  }
  EXPECT_EQ(test::fatal_message([] { get_full_sequence("AC", 50001); }).rfind(cap, 0), 0u);
  EXPECT_EQ(get_full_sequence("A100000", 1).size(), 100000u);
  EXPECT_EQ(get_full_sequence("AC", 50000).size(), 100000u);
  std::string digits(40, '9');
  EXPECT_NE(test::fatal_message([&] { get_full_sequence("A" + digits, 1); }).find("more than 31 digits"),
            std::string::npos);
}

TEST(derive_seq_or_file, reads_the_file_without_comments_and_blanks) {
  fs::path file = fs::temp_directory_path() / "vask-seq-test.txt";
  std::ofstream(file) << "# a title line\n\n  ac G  # comment\n\t(TT)2\n";
  EXPECT_EQ(read_file_raw(file.string()), "ac G(TT)2");
  EXPECT_EQ(derive_seq_or_file("CCCC", file.string(), 2), "ACGTTTTACGTTTT");
  EXPECT_EQ(derive_seq_or_file("C2", "", 2), "CCCC");
  fs::remove(file);
  EXPECT_NE(test::fatal_message([&] { read_file_raw(file.string()); }), "<no fatal>");
}

}  // namespace
}  // namespace vask
