// SQL output: quotes doubled in every text value, the script loaded by the
// sqlite3 shell (skipped when it is absent) for two structures, one named
// with a quote, and the G-A check file.
#include "driver/sqlite_output.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "motifs/motif_fixture.hpp"

namespace vask {
namespace {

TEST(SqliteOutput, quotes_are_doubled) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {{"", "''"},
               {"C3'-endo", "'C3''-endo'"},
               {"it's", "'it''s'"},
               {"'); DROP TABLE basepairs; --", "'''); DROP TABLE basepairs; --'"},
               {"''", "''''''"}};
  for (const auto& c : cases) EXPECT_EQ(sql_quoted(c.in), c.out) << c.in;
}

bool have_sqlite3() { return std::system("command -v sqlite3 >/dev/null 2>&1") == 0; }

TEST(SqliteOutput, script_loads_for_two_structures_one_with_a_quote) {
  test::ExeRun exe({"1ehz.pdb", "1gid.pdb"});
  std::filesystem::copy_file(exe.path("1gid.pdb"), exe.path("it's.pdb"));
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=a.txt --sqlite=schema,po4"), 0) << exe.file("stderr.txt");
  ASSERT_EQ(exe.run("-i=\"it's.pdb\" -o=b.txt --sqlite=po4"), 0) << exe.file("stderr.txt");
  const std::string sql = exe.file("vask-sqlite.sql");
  EXPECT_NE(sql.find("VALUES ('it''s', 'A."), std::string::npos);  // the id of "it's" quoted
  EXPECT_NE(sql.find("'C3''-endo'"), std::string::npos);            // and the pucker texts
  EXPECT_EQ(sql.find("('it's',"), std::string::npos);
  EXPECT_NE(sql.find("-- '1ehz': 34 basepair(s)\n"), std::string::npos);
  EXPECT_EQ(sql.find("DROP TABLE", sql.find("-- 'it's'")), std::string::npos);  // no schema the 2nd time
  if (!have_sqlite3()) {
    std::puts("[ SKIPPED ] sqlite3 is absent: vask-sqlite.sql not loaded");
    return;
  }
  ASSERT_EQ(std::system(("cd '" + exe.path("") + "' && sqlite3 db < vask-sqlite.sql > load.txt 2>&1 && "
                         "sqlite3 db \"select count(*) from basepairs where pdb_id='1ehz'; "
                         "select count(distinct pdb_id) from phosphates;\" "
                         "> count.txt 2>&1")
                            .c_str()),
            0)
      << exe.file("load.txt") << exe.file("count.txt");
  EXPECT_EQ(exe.file("load.txt"), "");
  const std::string counts = exe.file("count.txt");
  EXPECT_EQ(counts, "34\n2\n");  // the pairs of the report; both structures' phosphates
}

TEST(SqliteOutput, ga_check_file_counts_in_full) {
  test::ExeRun exe({"1gid.pdb"});
  ASSERT_EQ(exe.run("-i=1gid.pdb -o=a.txt --sqlite --ga-pair=9"), 0) << exe.file("stderr.txt");
  EXPECT_FALSE(exe.exists("vask-sqlite.sql"));
  const std::string csv = exe.file("GA-pairs-check.csv");
  ASSERT_EQ(csv.rfind("pdb_id,id1,id2,name,symbol,swap,num_GA5,", 0), 0u);
  long rows = 0;
  for (size_t at = csv.find('\n'); at != std::string::npos && at + 1 < csv.size(); at = csv.find('\n', at + 1)) {
    ++rows;
    const std::string line = csv.substr(at + 1, csv.find('\n', at + 1) - at - 1);
    EXPECT_EQ(line.rfind("1gid,", 0), 0u) << line;
    EXPECT_TRUE(line.find(",G-A,") != std::string::npos || line.find(",G+A,") != std::string::npos ||
                line.find(",g-A,") != std::string::npos || line.find(",G-a,") != std::string::npos ||
                line.find(",g+A,") != std::string::npos || line.find(",G+a,") != std::string::npos)
        << line;
  }
  EXPECT_GT(rows, 0);
}

}  // namespace
}  // namespace vask
