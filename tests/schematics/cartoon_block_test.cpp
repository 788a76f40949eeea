// PyMOL cartoon-block scripts end to end: the script text, the command lines
// of the image making (checked with stub programs first on PATH, so no shell
// ever reads a file name), their failures, and one run of the real PyMOL.
#include "schematics/cartoon_block.hpp"

#include <gtest/gtest.h>

#include <cstdlib>

#include "schematic_run.hpp"

namespace vask {
namespace {

// A pymol that touches the image its script asks for, then exits with status.
std::string pymol_body(int status) {
  // an image is never empty: the run takes an empty one for none written
  return "f=$(/bin/sed -n 's/^png //p' \"$2\"); [ -n \"$f\" ] && echo PNG > \"$f\"\nexit " + std::to_string(status);
}
const char* kConvertBody = "/bin/cp \"$7\" \"$8\"";

class Cartoon : public test::SchematicRun {
 protected:
  void SetUp() override {
    test::SchematicRun::SetUp();
    const char* d = std::getenv("DISPLAY");
    display_ = d != nullptr ? d : "";
    unsetenv("DISPLAY");  // no desktop: an image is never "shown" by a program that cannot show it
    copy_data("1ehz.pdb");
  }
  void TearDown() override {
    if (!display_.empty()) setenv("DISPLAY", display_.c_str(), 1);
    test::SchematicRun::TearDown();
  }
  std::string display_;
};

TEST_F(Cartoon, script_for_the_view_and_its_block_file) {
  test::exe_result r = run("-i=1ehz.pdb --cartoon-block=view -o=c.pml");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string pml = read("c.pml");
  EXPECT_TRUE(pml.starts_with("reinitialize\n\nload \"1ehz-bestview.pdb\", whole_str\nhide everything, whole_str\n"
                              "create na_A, chain A\nset cartoon_nucleic_acid_color, red, na_A\nshow cartoon, na_A\n"))
      << pml;
  EXPECT_TRUE(test::has_text(pml, "\nload \"1ehz.r3d\", block\n"));
  EXPECT_TRUE(pml.ends_with("set light_count, 1\n\n")) << pml;
  EXPECT_TRUE(test::has_text(read("1ehz.r3d"), "# base blocks: 76\n"));
  EXPECT_TRUE(exists("vask-viewV.pdb"));
  // ray: the image lines, and nothing run
  r = run("-i=1ehz.pdb --cartoon-block=ray,hide -o=r.pml");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string ray = read("r.pml");
  EXPECT_TRUE(ray.ends_with("zoom complete=1\nray 1800\npng 1ehz-pymol.png\n")) << ray;
  EXPECT_TRUE(test::has_text(ray, "hide everything, whole_str\n# show cartoon, whole_str\n\n"));
  EXPECT_FALSE(test::has_text(ray, "create "));
  EXPECT_FALSE(test::has_text(r.err, "Command: "));
  // 'view' overrides 'orient'
  r = run("-i=1ehz.pdb --cartoon-block=view,orient -o=o.pml");
  EXPECT_TRUE(test::has_text(r.err, "[w] 'view' overrides PyMOL 'orient'\n"));
  EXPECT_FALSE(test::has_text(read("o.pml"), "orient\n"));
}

TEST_F(Cartoon, chain_colours_of_a_protein_dna_complex) {
  std::filesystem::copy_file(test::test_data_unzipped("1kx5.pdb"), dir_ / "1kx5.pdb");
  const test::exe_result r = run("-i=1kx5.pdb --cartoon-block=protein -o=p.pml");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string pml = read("p.pml");
  EXPECT_TRUE(test::has_text(pml, "create aa_A, chain A\nset cartoon_color, purpleblue, aa_A\n"
                                  "set cartoon_transparency, 0.6889, aa_A\nshow cartoon, aa_A\n\n"
                                  "create aa_B, chain B\nset cartoon_color, teal, aa_B\n"))
      << pml;
  EXPECT_TRUE(test::has_text(pml, "create aa_C, chain C\nset cartoon_color, brown, aa_C\n"));
  EXPECT_TRUE(test::has_text(pml, "set cartoon_nucleic_acid_color, red, na_I\n"));
  EXPECT_TRUE(test::has_text(pml, "set cartoon_nucleic_acid_color, green, na_J\n"));
}

TEST_F(Cartoon, image_making_runs_programs_without_a_shell) {
  stub("pymol", pymol_body(0));
  stub("convert", kConvertBody);
  const std::string script = "a b`touch pwned`.pml";
  const test::exe_result r = run_with_stubs("-i=1ehz.pdb --cartoon-block=open '-o=" + script + "'", true);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read("calls.txt"), "pymol [-Qkc] [" + script + "]\n"
                               "convert [-trim] [+repage] [-border] [10] [-bordercolor] [white] [1ehz-pymol.png] "
                               "[1ehz.png]\n");
  EXPECT_FALSE(exists("pwned"));
  EXPECT_TRUE(exists(script));
  EXPECT_TRUE(exists("1ehz.png"));
  EXPECT_FALSE(exists("1ehz-pymol.png"));
  EXPECT_TRUE(test::has_text(r.err, "Command: 'pymol -Qkc " + script + "'\n"));
  EXPECT_TRUE(test::has_text(r.err, "[i] no program to show the image here: it is left in '1ehz.png'\n")) << r.err;
  // PyMOL's own command line splits a script name at ';': refused before anything is written
  const test::exe_result semi = run_with_stubs("-i=1ehz.pdb --cartoon-block=open '-o=a;b.pml'", true);
  EXPECT_EQ(semi.status, 1);
  EXPECT_TRUE(test::has_text(semi.err, "[e] 'a;b.pml' cannot be named in a PyMOL script: it holds a ',', ';' or '='"))
      << semi.err;
  EXPECT_FALSE(exists("a;b.pml"));
}

TEST_F(Cartoon, failing_or_missing_programs) {
  stub("pymol", pymol_body(3));
  test::exe_result r = run_with_stubs("-i=1ehz.pdb --cartoon-block=run -o=c.pml", true);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(test::has_text(r.err, "[e] error in running 'pymol -Qkc c.pml' (exit status 3; the script 'c.pml' is kept)"))
      << r.err;
  EXPECT_TRUE(exists("c.pml"));

  stub("pymol", pymol_body(0));
  stub("convert", "exit 1");
  r = run_with_stubs("-i=1ehz.pdb --cartoon-block=run --pymol-image=pic.png -o=c.pml", true);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(test::has_text(r.err, "[e] error in running 'convert -trim +repage -border 10 -bordercolor white "
                                    "1ehz-pymol.png pic.png' (exit status 1"))
      << r.err;

  // no convert at all: the image is kept as PyMOL wrote it
  std::filesystem::remove(dir_ / "bin" / "convert");
  r = run_with_stubs("-i=1ehz.pdb --cartoon-block=run,black -o=c.pml", true);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(r.err, "[i] ImageMagick's convert not found: the image is kept untrimmed\n"));
  EXPECT_TRUE(exists("1ehz.png"));

  // no pymol either
  std::filesystem::remove(dir_ / "bin" / "pymol");
  r = run_with_stubs("-i=1ehz.pdb --cartoon-block=run -o=c.pml", true);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(test::has_text(r.err, "[e] cannot run 'pymol -Qkc c.pml': 'pymol' not found")) << r.err;
}

TEST_F(Cartoon, five_more_sides) {
  stub("pymol", pymol_body(0));
  stub("convert", kConvertBody);
  const test::exe_result r = run_with_stubs("-i=1ehz.pdb --cartoon-block=run,six,pse -o=c.pml");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string left = read("left.pml");
  EXPECT_TRUE(test::has_text(left, "hide everything, whole_str\nturn y, 90\n")) << left;
  EXPECT_TRUE(test::has_text(left, "# save 1ehz.pse\n"));
  EXPECT_TRUE(left.ends_with("png left-pymol.png\n"));
  for (const char* side : {"left", "right", "top", "bottom", "back"}) {
    SCOPED_TRACE(side);
    EXPECT_TRUE(exists(std::string(side) + ".png"));
  }
}

// The real PyMOL, where it is installed and starts (Debian's pymol runs the
// system Python, so /usr/bin comes first on PATH).
// The C1' trace of an idealized G4 model is loaded after the blocks when the
// block file of this structure wrote it; a trace an earlier run left under
// the name belongs to another model and is not.
TEST_F(Cartoon, g4_model_trace_follows_the_blocks) {
  ASSERT_EQ(run("rebuild --g4-model=+++ -o=m.pdb").status, 0);
  test::exe_result r = run("-i=m.pdb --prefix=ab --cartoon-block --block-file=g4,side,face -o=c.pml");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(exists("ab-G4modelBBLkg.pdb"));
  const std::string pml = read("c.pml");
  EXPECT_TRUE(test::has_text(pml, "\nload \"m.r3d\", block\n\nload \"ab-G4modelBBLkg.pdb\", G4lkg\n\n"
                                  "hide everything, G4lkg\nset stick_radius, 0.12, G4lkg\nset stick_color, gray, G4lkg\n"
                                  "set stick_transparency, 0.3, G4lkg\nshow sticks, G4lkg\n\n"
                                  "select G4lkg_points, G4lkg and name C1'\nset sphere_color, white, G4lkg_points\n"
                                  "set sphere_scale, 0.18, G4lkg_points\nshow spheres, G4lkg_points\n\n"
                                  "set cartoon_ladder_mode, 1\n"))
      << pml;
  r = run("-i=1ehz.pdb --prefix=ab --cartoon-block --block-file=g4,side,face -o=t.pml");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(exists("ab-G4modelBBLkg.pdb"));
  EXPECT_FALSE(test::has_text(read("t.pml"), "G4lkg"));
}

TEST_F(Cartoon, real_pymol_runs_the_script_and_writes_the_image) {
  const std::string saved = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", ("/usr/bin:/bin:" + saved).c_str(), 1);
  write("probe.pml", "reinitialize\n");
  const bool usable = test::have_program("pymol") &&
                      std::system(("cd '" + dir_.string() + "' && pymol -cq probe.pml >/dev/null 2>&1").c_str()) == 0;
  if (!usable) {
    setenv("PATH", saved.c_str(), 1);
    GTEST_SKIP() << "PyMOL is not installed or does not start here";
  }
  test::exe_result r = run("-i=1ehz.pdb --cartoon-block=view -o=c.pml");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(std::system(("cd '" + dir_.string() + "' && pymol -cq c.pml >pymol.log 2>&1").c_str()), 0);
  EXPECT_FALSE(test::has_text(read("pymol.log"), "Error")) << read("pymol.log");
  r = run("-i=1ehz.pdb --cartoon-block=run --ray-size=600 -o=c.pml");
  setenv("PATH", saved.c_str(), 1);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string png = read("1ehz.png");
  ASSERT_GT(png.size(), 1000u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
}

}  // namespace
}  // namespace vask
