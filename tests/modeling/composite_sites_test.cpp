// The binding sites of the composite sub-command: entries that are skipped
// with a warning, and the errors that end the run before any child runs.
#include "model_run.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

namespace vask {
namespace {

using test::exe_result;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class CompositeSites : public test::ModelRun {};

TEST_F(CompositeSites, InvalidEntriesAreSkippedWithTheirWarning) {
  copy_data("1crn.pdb");  // a protein: no helix of pairs
  copy_data("1a73-assembly-1.cif");
  write("sites.txt",
        "# comment line\n"
        "7\n"                          // one word
        "x7:1a73-assembly-1.cif\n"     // start not a number
        "-3:1a73-assembly-1.cif\n"     // negative
        "0:1a73-assembly-1.cif\n"      // positions are 1-based
        "5:missing.pdb\n"
        "5:1crn.pdb   # no DNA\n");
  exe_result r = run("composite --bind-file=sites.txt --seq=A60 -o=m.pdb");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "[w] no. of binding sites must be [2..3]: '7' --- ignored\a\n"));
  EXPECT_TRUE(has(r.err, "[w] wrong start binding site: 'x7 1a73-assembly-1.cif' --- ignored\a\n"));
  EXPECT_TRUE(has(r.err, "[w] wrong start binding site: '-3 1a73-assembly-1.cif' --- ignored\a\n"));
  EXPECT_TRUE(has(r.err, "[w] wrong start binding site: '0 1a73-assembly-1.cif' --- ignored\a\n"));
  EXPECT_TRUE(has(r.err, "[w] binding template file not exist: '5 missing.pdb' --- ignored\a\n"));
  EXPECT_TRUE(has(r.err, "[w] template not with ONE valid helix: '5 1crn.pdb   ' --- ignored\a\n"));
  EXPECT_TRUE(has(r.err, "[i] 0 binding sites derived\n\n[e] no valid binding sites specified"));
  EXPECT_FALSE(exists("vask-composite.sh"));
  EXPECT_FALSE(exists("m.pdb"));
}

TEST_F(CompositeSites, ErrorsEndTheRunBeforeAnyChild) {
  copy_data("1a73-assembly-1.cif");
  const struct {
    const char* args;
    const char* message;
  } cases[] = {
      {"--seq=A60", "Must specify binding sites via --bind=SITES or --bind-file=FILE\n"},
      {"--bind-file=none.txt --seq=A60", "specified bindings file none.txt not exist\n"},
      {"--bind=5:1a73-assembly-1.cif --seq-file=none.txt", "specified sequence file none.txt not exist\n"},
      // the last site ends at 24
      {"--bind=5:1a73-assembly-1.cif --seq=A23", "[e] sequence too short to cover the last binding site\n"},
      // end(1) = 24 = start(2): the sites overlap, whatever their input order
      {"'--bind=24:1a73-assembly-1.cif|5:1a73-assembly-1.cif' --seq=A60", "[e] binding sites overlapped\n"},
      {"--bind=A600:1a73-assembly-1.cif", "[e] connecting duplex too long: 600 pairs (at most 511)\n"},
      {"--bind=5:1a73-assembly-1.cif --seq=A540", "[e] tail duplex too long: 516 pairs (at most 511)\n"},
  };
  for (const auto& c : cases) {
    exe_result r = run(std::string("composite ") + c.args + " -o=m.pdb");
    EXPECT_EQ(r.status, 1) << c.args;
    EXPECT_TRUE(has(r.err, c.message)) << c.args << "\n" << r.err;
    EXPECT_FALSE(exists("vask-composite.sh")) << c.args;
    EXPECT_FALSE(exists("m.pdb")) << c.args;
  }
  // the overlap names both sites, sorted by start
  exe_result r = run("composite '--bind=24:1a73-assembly-1.cif|5:1a73-assembly-1.cif' --seq=A60 -o=m.pdb");
  EXPECT_TRUE(has(r.err, "[i] 2 binding sites derived\n\nstart=5     end=24 "));
  EXPECT_TRUE(has(r.err, "end=24    pdbfile=1a73-assembly-1.cif  length=20    reverse=0  seq=TGACTCTCTTAAGAGAGTCA\n"
                         "start=24    end=43 "));
}

}  // namespace
}  // namespace vask
