// Names and texts for generated scripts: the quoted forms, what each reader
// cannot take back (refused), and comment and selection texts.
#include "support/script_quote.hpp"

#include <gtest/gtest.h>

#include "support/error.hpp"

namespace vask {
namespace {

// The message of the refusal, or "" when the name is taken.
template <class F>
std::string refusal(F quote, const std::string& name) {
  try {
    quote(name);
  } catch (const fatal_error& e) {
    return e.what();
  }
  return "";
}

TEST(ScriptQuote, names_are_quoted_or_refused_per_reader) {
  EXPECT_EQ(pymol_quoted("x;system touch X;.pdb"), "\"x;system touch X;.pdb\"");
  EXPECT_EQ(jmol_quoted("a, b's (1).pdb"), "\"a, b's (1).pdb\"");
  EXPECT_EQ(pymol_bare_name("q'x (1)-pymol.png"), "q'x (1)-pymol.png");
  // a prefix the reader would act on becomes a plain path
  EXPECT_EQ(pymol_quoted("~x.pdb"), "\"./~x.pdb\"");
  EXPECT_EQ(jmol_quoted("=1abc.pdb"), "\"./=1abc.pdb\"");
  EXPECT_EQ(pymol_quoted("/abs/dir/x.pdb"), "\"/abs/dir/x.pdb\"");

  auto pymol = [](const std::string& n) { return pymol_quoted(n); };
  auto bare = [](const std::string& n) { return pymol_bare_name(n); };
  auto jmol = [](const std::string& n) { return jmol_quoted(n); };
  const struct {
    std::string name;
    bool pymol, bare, jmol;  // taken by each
  } cases[] = {
      {"plain-name_1.pdb", true, true, true},
      {"with blank.pdb", true, true, true},
      {"x;y.pdb", true, false, true},
      {"x,y.pdb", true, false, true},
      {"k=v.pdb", true, false, true},
      {"s [2] (1).pdb", true, true, true},
      {"u(.pdb", false, false, true},
      {"d\"q.pdb", false, false, false},
      {"line\nbreak.pdb", false, false, false},
      {"cr\r.pdb", false, false, false},
      {"back\\slash.pdb", false, false, false},
      {"$HOME.pdb", false, false, true},
      {" lead.pdb", true, false, true},
      {"", false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(printable_text(c.name));
    EXPECT_EQ(refusal(pymol, c.name).empty(), c.pymol) << refusal(pymol, c.name);
    EXPECT_EQ(refusal(bare, c.name).empty(), c.bare) << refusal(bare, c.name);
    EXPECT_EQ(refusal(jmol, c.name).empty(), c.jmol) << refusal(jmol, c.name);
  }
  EXPECT_EQ(refusal(pymol, "a\nb"),
            "[e] 'a?b' cannot be named in a PyMOL script: it holds a control character (such as a line break)\n");
  EXPECT_EQ(refusal(jmol, "a\"b"), "[e] 'a\"b' cannot be named in a Jmol script: it holds a double quote\n");
}

TEST(ScriptQuote, comments_never_carry_a_line_break_or_a_command) {
  EXPECT_EQ(shell_comment_text("out\ntouch X\r\n.pdb"), "out?touch X??.pdb");
  EXPECT_EQ(shell_comment_text("a;b\tc"), "a;b\tc");
  EXPECT_EQ(pymol_comment_text("A.G1; system touch X\\"), "A.G1, system touch X/");
  EXPECT_EQ(pymol_comment_text("n\nm"), "n?m");
}

TEST(ScriptQuote, selection_expressions_and_plain_words) {
  for (const char* ok : {"select layer1, resi 1-3", "select layer2, ///A/13 OR ///A/22", "name C1'",
                         "resn G+A and (chain A or chain B)", "resi 1:4 and name *"})
    EXPECT_TRUE(is_selection_expression(ok)) << ok;
  for (const char* bad : {"select layer1, resi 1; system touch X", "resi 1 # x", "chain \"A\"", "a\nb",
                          "resi 1\\", "resn $x", "resi 1_2"})
    EXPECT_FALSE(is_selection_expression(bad)) << bad;
  for (const char* ok : {"A", "AB12", "A-2", "x_y", "1.5"}) EXPECT_TRUE(is_plain_selection_word(ok)) << ok;
  for (const char* bad : {"", "A;", "A B", "A+B", "'", "\"", "A,B"}) EXPECT_FALSE(is_plain_selection_word(bad)) << bad;
}

TEST(ScriptQuote, shell_words_read_back_unchanged) {
  EXPECT_EQ(shell_quoted("-o=plain.pdb"), "-o=plain.pdb");
  EXPECT_EQ(shell_quoted("-o=a\nb"), "'-o=a\nb'");
  EXPECT_EQ(shell_command_line({"belqo-vask", "-i=it's;$(x).pdb"}), "belqo-vask '-i=it'\\''s;$(x).pdb'");
}

}  // namespace
}  // namespace vask
