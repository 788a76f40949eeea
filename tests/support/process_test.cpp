// Words quoted for sh come back from it unchanged, whatever they hold.
#include "support/process.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace vask {
namespace {

TEST(ShellQuoted, ShReadsEveryWordBackAsItIs) {
  const std::vector<std::string> words = {
      "plain-name_1.pdb", "-o=out.pdb", "", "two words", "a;b", "$(id)", "`id`", "it's", "'", "\"q\"",
      "x\\y", "*.pdb", "~", "a|b&c>d<e", "#not-a-comment", "tab\there", "new\nline", "!bang", "{a,b}"};
  EXPECT_EQ(shell_quoted("plain-name_1.pdb"), "plain-name_1.pdb");
  EXPECT_EQ(shell_quoted(""), "''");
  EXPECT_EQ(shell_quoted("it's"), "'it'\\''s'");
  std::vector<std::string> args{"printf", "%s\\0"};
  args.insert(args.end(), words.begin(), words.end());
  const std::string cmd = shell_command_line(args);
  FILE* fp = popen(cmd.c_str(), "r");
  ASSERT_NE(fp, nullptr);
  std::string out;
  char buf[256];
  std::size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0) out.append(buf, n);
  ASSERT_EQ(pclose(fp), 0) << cmd;
  std::vector<std::string> back;
  std::size_t start = 0;
  for (std::size_t i = 0; i < out.size(); ++i)
    if (out[i] == '\0') {
      back.push_back(out.substr(start, i - start));
      start = i + 1;
    }
  EXPECT_EQ(back, words) << cmd;
}

}  // namespace
}  // namespace vask
