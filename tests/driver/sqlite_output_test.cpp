// SQL output: quotes doubled in every text value, the script loaded by the
// sqlite3 shell (skipped when it is absent) for two structures, one named
// with a quote, and for a chain named with a quote; the G-A check file and
// its phosphate H-bond summary past seven H-bonds.
#include "driver/sqlite_output.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
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
    GTEST_SKIP() << "sqlite3 is absent: vask-sqlite.sql not loaded";
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

// A chain named with a single quote: its id strings (idstr1, idstr2, idstr of
// the phosphate rows) are quoted like the structure id.
TEST(SqliteOutput, chain_named_with_a_quote_loads) {
  test::ExeRun exe({"1ehz.pdb"});
  {
    std::istringstream in(exe.file("1ehz.pdb"));
    std::ofstream out(exe.path("q.pdb"));
    for (std::string line; std::getline(in, line);) {
      const bool coords = line.rfind("ATOM", 0) == 0 || line.rfind("HETATM", 0) == 0 || line.rfind("TER", 0) == 0;
      if (coords && line.size() > 21 && line[21] == 'A') line[21] = '\'';
      out << line << '\n';
    }
  }
  ASSERT_EQ(exe.run("-i=q.pdb -o=q.txt --sqlite=schema,po4"), 0) << exe.file("stderr.txt");
  EXPECT_NE(exe.file("q.txt").find("List of 34 base pairs"), std::string::npos);
  EXPECT_NE(exe.file("vask-sqlite.sql").find("VALUES ('q', 1, '''.G1', '''.C72',"), std::string::npos);
  if (!have_sqlite3()) {
    GTEST_SKIP() << "sqlite3 is absent: vask-sqlite.sql not loaded";
  }
  ASSERT_EQ(std::system(("cd '" + exe.path("") + "' && sqlite3 db < vask-sqlite.sql > load.txt 2>&1 && "
                         "sqlite3 db \"select count(*) from basepairs where idstr1 like '''.%'; "
                         "select count(*) from phosphates where idstr like '''.%';\" > count.txt 2>&1")
                            .c_str()),
            0)
      << exe.file("load.txt") << exe.file("count.txt");
  EXPECT_EQ(exe.file("load.txt"), "");
  EXPECT_EQ(exe.file("count.txt"), "34\n18\n");
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

// More than seven H-bonds between a nucleotide and a phosphate (a crowded or
// badly refined site) are all counted and listed: no single-digit field, no
// assertion.
using GaSummary = test::MotifTest;
TEST_F(GaSummary, more_than_seven_phosphate_hbonds_are_counted_in_full) {
  load("1ehz.pdb");
  const long g = res("A", 57), a = res("A", 58);
  ASSERT_GT(g, 0);
  ASSERT_GT(a, 0);
  const long op1 = mol_.nt_infos[a].po4[2], op2 = mol_.nt_infos[a].po4[3];
  ASSERT_GT(op1, 0);
  ASSERT_GT(op2, 0);
  const residue& rg = mol_.residues[g];
  ASSERT_GE(rg.last_atom - rg.first_atom + 1, 10);
  mol_.atoms[op1].hbonded.clear();
  mol_.atoms[op2].hbonded.clear();
  for (long k = 0; k < 6; ++k) mol_.atoms[op1].hbonded.append(rg.first_atom + k);
  for (long k = 6; k < 10; ++k) mol_.atoms[op2].hbonded.append(rg.first_atom + k);
  mol_.atoms[op2].hbonded.append(mol_.residues[a].first_atom);  // not of G: not counted
  const po4_hbonds h = get_PO4_nt_hbonds(g, a, mol_);
  EXPECT_EQ(h.count, 10);
  EXPECT_EQ(std::count(h.text.begin(), h.text.end(), '['), 10) << h.text;
  EXPECT_EQ(std::count(h.text.begin(), h.text.end(), ','), 9) << h.text;
  EXPECT_EQ(h.text.rfind("OP1-", 0), 0u) << h.text;
  EXPECT_NE(h.text.back(), ',');
}

}  // namespace
}  // namespace vask
