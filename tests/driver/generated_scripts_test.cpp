// Generated scripts read by their real consumer, with hostile file names and
// hostile structure text: Debian's PyMOL loads each script (Jmol where it is
// installed) and no command hidden in a name or a line ever runs. A name the
// reader could not take back as it is is refused before the script is written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "modeling/model_run.hpp"
#include "support/script_quote.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

namespace fs = std::filesystem;

// PyMOL runs what follows a ';' as a command of its own.
const std::string kInjecting = "x;system touch INJECTED;.pdb";
// Legal in a script: a quote, blanks and paired brackets.
const std::string kQuoted = "q'x (1).pdb";

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class GeneratedScripts : public test::ModelRun {
 protected:
  void SetUp() override {
    test::ModelRun::SetUp();
    write("probe.pml", "reinitialize\n");
    usable_ = std::system(("cd '" + dir_.string() + "' && " + kPymol + " probe.pml >/dev/null 2>&1").c_str()) == 0;
  }

  // PyMOL runs the script, then the checks (Python lines printing what they
  // find); its output. HOME is the test folder: nothing of the user's is read.
  std::string pymol(const std::string& script, const std::string& checks) {
    write("checks.pml", checks);
    const std::string cmd = "cd '" + dir_.string() + "' && HOME=. " + kPymol + " " + shell_quoted(script) +
                            " checks.pml >pymol.log 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << read("pymol.log");
    return read("pymol.log");
  }

  void copy_as(const std::string& data, const std::string& name) {
    fs::copy_file(test::test_data(data), dir_ / name);
  }

  test::exe_result run_on(const std::string& input, const std::string& args) {
    return run(shell_quoted("-i=" + input) + " " + args);
  }

  bool injected() const { return exists("INJECTED"); }

  // Debian's pymol runs the system Python.
  const std::string kPymol = "/usr/bin/python3 -m pymol -cq";
  bool usable_ = false;
};

#define REQUIRE_PYMOL() \
  if (!usable_) GTEST_SKIP() << "PyMOL is not installed or does not start here"

TEST_F(GeneratedScripts, cartoon_block_script_loads_hostile_names_as_names) {
  REQUIRE_PYMOL();
  copy_as("1ehz.pdb", kInjecting);
  test::exe_result r = run_on(kInjecting, "--cartoon-block -o=c.pml");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string pml = read("c.pml");
  EXPECT_TRUE(has(pml, "\nload \"x;system touch INJECTED;.pdb\", whole_str\n")) << pml;
  EXPECT_TRUE(has(pml, "\nload \"x;system touch INJECTED;.r3d\", block\n")) << pml;
  std::string out = pymol("c.pml", "print('loaded', cmd.count_atoms('whole_str') > 1000, 'block' in cmd.get_names())\n");
  EXPECT_FALSE(injected()) << out;
  EXPECT_TRUE(has(out, "loaded True True")) << out;

  // the image and session names go unquoted (PyMOL takes them so): a name
  // that would split the line is refused before anything is written
  r = run_on(kInjecting, "--cartoon-block=ray -o=d.pml");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "[e] 'x;system touch INJECTED;-pymol.png' cannot be named in a PyMOL script: it holds a ',', ';' or '='"))
      << r.err;
  EXPECT_FALSE(exists("d.pml"));

  // a legal name loads and gives the image and the session
  copy_as("1ehz.pdb", kQuoted);
  r = run_on(kQuoted, "--cartoon-block=ray,pse --ray-size=600 -o=e.pml");
  ASSERT_EQ(r.status, 0) << r.err;
  out = pymol("e.pml", "print('loaded', cmd.count_atoms('whole_str') > 1000)\n");
  EXPECT_TRUE(has(out, "loaded True")) << out;
  EXPECT_TRUE(exists("q'x (1)-pymol.png")) << out;
  EXPECT_TRUE(exists("q'x (1).pse")) << out;
}

TEST_F(GeneratedScripts, names_no_reader_takes_back_are_refused) {
  // a double quote would end the quoted name, a line break the command, a
  // backslash escapes, '$' is expanded: no script is written for them
  const struct {
    std::string name;
    std::string option;
    std::string why;
  } cases[] = {
      {"d\"x;system touch INJECTED;.pdb", "--cartoon-block", "a double quote"},
      {"n\nsystem touch INJECTED\n.pdb", "--cartoon-block", "a control character (such as a line break)"},
      {"b\\x41.pdb", "--get-hbond=pymol", "a backslash"},
      {"v$HOME.pdb", "--get-hbond=pymol", "a '$'"},
      {"u(.pdb", "--cartoon-block", "a '(' or '[' without its partner"},
      {"d\"x.pdb", "--get-hbond=jmol", "a double quote"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(printable_text(c.name));
    copy_as("1ehz.pdb", c.name);
    const test::exe_result r = run_on(c.name, c.option + " -o=s.pml");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(has(r.err, "[e] '" + printable_text(c.name) + "' cannot be named in a ")) << r.err;
    EXPECT_TRUE(has(r.err, "script: it holds " + c.why + "\n")) << r.err;
    EXPECT_FALSE(exists("s.pml"));
    fs::remove(dir_ / c.name);
  }
  EXPECT_FALSE(injected());
}

TEST_F(GeneratedScripts, hbond_scripts_load_hostile_names_as_names) {
  copy_as("1ehz.pdb", kInjecting);
  test::exe_result r = run_on(kInjecting, "--get-hbond=jmol -o=h.spt");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(read("h.spt").starts_with("zap\nload \"x;system touch INJECTED;.pdb\"\n\n")) << read("h.spt");
  r = run_on(kInjecting, "--get-hbond=pymol -o=h.pml");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(read("h.pml").starts_with("reinitialize\nload \"x;system touch INJECTED;.pdb\", whole_str\n\n"));
  REQUIRE_PYMOL();
  const std::string out = pymol("h.pml", "print('loaded', cmd.count_atoms('whole_str') > 1000, 'h1' in cmd.get_names())\n");
  EXPECT_FALSE(injected()) << out;
  EXPECT_TRUE(has(out, "loaded True True")) << out;
}

TEST_F(GeneratedScripts, jmol_loads_the_hbond_script) {
  if (std::system("command -v jmol >/dev/null 2>&1") != 0) GTEST_SKIP() << "Jmol is not installed here";
  copy_as("1ehz.pdb", kInjecting);
  const test::exe_result r = run_on(kInjecting, "--get-hbond=jmol -o=h.spt");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string cmd = "cd '" + dir_.string() + "' && HOME=. timeout 120 jmol -n -s h.spt -x >jmol.log 2>&1";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << read("jmol.log");
  EXPECT_FALSE(injected()) << read("jmol.log");
}

TEST_F(GeneratedScripts, g4_selection_script_loads_a_hostile_name) {
  REQUIRE_PYMOL();
  const std::string name = "x;system touch INJECTED;.cif";
  copy_as("2hy9.cif", name);
  const test::exe_result r = run_on(name, "--G4=pymol -o=out.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string pml = read("vask-G4select.pml");
  EXPECT_TRUE(pml.starts_with("load \"x;system touch INJECTED;.cif\"\nselect G4core, ")) << pml;
  const std::string out = pymol("vask-G4select.pml", "print('core', cmd.count_atoms('G4core') > 100)\n");
  EXPECT_FALSE(injected()) << out;
  EXPECT_TRUE(has(out, "core True")) << out;
}

TEST_F(GeneratedScripts, junction_scripts_load_under_a_hostile_prefix) {
  REQUIRE_PYMOL();
  copy_data("1ehz.pdb");
  // one junction: PyMOL 2.5 crashes on leaving when the models of one file
  // hold different atoms, whatever the script does
  const test::exe_result r =
      run("-i=1ehz.pdb -o=out.txt --more=9 --loop=no-ic-pair " + shell_quoted("--prefix=p;system touch INJECTED;"));
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string pml = read("p;system touch INJECTED;-pymol.pml");
  EXPECT_TRUE(pml.starts_with("load \"p;system touch INJECTED;-junctions.pdb\"\n")) << pml;
  EXPECT_TRUE(read("p;system touch INJECTED;-jmol.scr").starts_with("load \"p;system touch INJECTED;-junctions.pdb\"\n"));
  // (PyMOL's own command line splits a script name at ';': the script is run under a plain name)
  fs::copy_file(dir_ / "p;system touch INJECTED;-pymol.pml", dir_ / "j.pml");
  const std::string out = pymol("j.pml", "print('loaded', cmd.count_atoms('all') > 20)\n");
  EXPECT_FALSE(injected()) << out;
  EXPECT_TRUE(has(out, "loaded True")) << out;
}

TEST_F(GeneratedScripts, stacking_diagram_takes_only_selections_from_the_structure) {
  REQUIRE_PYMOL();
  // the structure's own lines hold the selections: one hides a command
  write(kInjecting, test::read_file(test::test_data("1ehz.pdb")) +
                        "REMARK select layer1, resi 1-2; system touch INJECTED\n"
                        "REMARK select layer1, resi 1-3\nREMARK select layer2, resi 4-6 and name C1'\n");
  const test::exe_result r = run("task --stacking-diagram=fill,label " + shell_quoted("-i=" + kInjecting) + " -o=s.pml");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.err, "': 'select layer1, resi 1-2; system touch INJECTED' holds more than a selection -- ignored\n"))
      << r.err;
  const std::string pml = read("s.pml");
  EXPECT_TRUE(has(pml, "load \"x;system touch INJECTED;.pdb\", whole_str\n")) << pml;
  EXPECT_TRUE(has(pml, "\nselect layer1, resi 1-3\nselect layer2, resi 4-6 and name C1'\n")) << pml;
  EXPECT_FALSE(has(pml, "; system")) << pml;
  const std::string out = pymol("s.pml", "print('layers', cmd.count_atoms('layer1') > 40, cmd.count_atoms('layer2'))\n");
  EXPECT_FALSE(injected()) << out;
  EXPECT_TRUE(has(out, "layers True 3")) << out;
}

}  // namespace
}  // namespace vask
