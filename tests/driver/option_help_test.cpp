#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "driver/option.hpp"
#include "support/settings.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

namespace fs = std::filesystem;

TEST(ShowCitation, text_follows_the_program_name) {
  set_globals("/opt/bin/belqo-vask");
  {
    test::log_capture cap;
    int status = -1;
    test::fatal_message([] { show_citation(); }, &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(cap.text().find("The belqo-vask developers"), std::string::npos);
    EXPECT_EQ(cap.text().find("TRIZ"), std::string::npos);
  }
  set_globals("/opt/bin/Triz-Tool");
  {
    test::log_capture cap;
    test::fatal_message([] { show_citation(); });
    EXPECT_NE(cap.text().find("Until a paper on the TRIZ module is published"),
              std::string::npos);
  }
}

TEST(ExitNormal, frames_the_text_and_drops_one_newline) {
  set_globals("belqo-vask");
  test::log_capture cap;
  int status = -1;
  test::fatal_message([] { exit_normal("two\nlines\n\n"); }, &status);
  EXPECT_EQ(status, 0);
  const std::string stars(66, '*');
  EXPECT_EQ(cap.text(), "\n" + stars + "\ntwo\nlines\n\n" + stars + "\n");
}

TEST(DisplayHelpfile, other_help_modes) {
  set_globals("/usr/bin/Belqo-Vask.exe");
  mutable_gvars().help_mode = 2;  // silent end
  {
    test::log_capture cap;
    int status = -1;
    test::fatal_message([] { display_helpfile(); }, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(cap.text(), "");
  }
  // any other mode: the help text file, found in the working directory first
  std::string tmpl = (fs::temp_directory_path() / "vask-help-XXXXXX").string();
  ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
  fs::path old = fs::current_path();
  fs::current_path(tmpl);
  std::ofstream("belqo-vask.txt") << "# a comment line\nUsage: belqo-vask [options]\n";
  mutable_gvars().help_mode = 3;
  test::log_capture cap;
  int status = -1;
  test::fatal_message([] { display_helpfile(); }, &status);
  fs::current_path(old);
  fs::remove_all(tmpl);
  EXPECT_EQ(status, 0);
  const std::string bar(78, '=');
  EXPECT_EQ(cap.text(), bar + "\nUsage: belqo-vask [options]\n" + bar + "\n");
}

TEST(AskingHelp, help_and_version_words) {
  for (const char* w : {"--help", "-h", "help", "-HELP", "H", "--help=x"}) {
    SCOPED_TRACE(w);
    EXPECT_TRUE(asking_help(w));
  }
  for (const char* w : {"--hx", "-hbond", "x-help"}) {
    SCOPED_TRACE(w);
    EXPECT_FALSE(asking_help(w));
  }
  EXPECT_TRUE(asking_version("-V"));
  EXPECT_TRUE(asking_version("--version"));
  EXPECT_FALSE(asking_version("--verbose"));
}

}  // namespace
}  // namespace vask
