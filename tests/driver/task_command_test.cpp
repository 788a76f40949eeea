// The task sub-command: each utility once on a real structure, its product
// checked (coordinate files read back by gemmi where installed), and the
// errors that end a run.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

#include "schematics/schematic_run.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

class TaskExe : public test::SchematicRun {
 protected:
  // gemmi's atom count of a file, -1 without gemmi, -2 when gemmi cannot read it.
  long gemmi_atom_count(const std::string& name) {
    if (std::system("/usr/bin/python3 -c 'import gemmi' >/dev/null 2>&1") != 0) {
      test::oracle_missing("gemmi (python3-gemmi) not installed: " + name + " is not read back");
      return -1;
    }
    const std::string cmd = "cd '" + dir_.string() +
                            "' && /usr/bin/python3 -c \"import gemmi,sys\n"
                            "st=gemmi.read_structure(sys.argv[1])\n"
                            "print(sum(1 for ch in st[0] for r in ch for a in r))\" '" +
                            name + "' > gemmi.txt 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) return -2;
    return std::atol(read("gemmi.txt").c_str());
  }
  long count_lines(const std::string& name, const std::string& start, const std::string& part = "") {
    long n = 0;
    for (const std::string& line : test::lines_of(read(name)))
      if (line.starts_with(start) && line.find(part) != std::string::npos) ++n;
    return n;
  }
};

TEST_F(TaskExe, model_extraction_writes_that_model_alone) {
  copy_data("2koc.pdb");
  test::exe_result r = run("task --model-num=2 -i=2koc.pdb -o=m2.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string text = read("m2.pdb");
  EXPECT_TRUE(text.starts_with("MODEL        2")) << text.substr(0, 100);
  EXPECT_EQ(count_lines("m2.pdb", "MODEL"), 1);
  EXPECT_EQ(count_lines("m2.pdb", "ENDMDL"), 1);
  EXPECT_GT(count_lines("m2.pdb", "ATOM"), 400);
  const long g = gemmi_atom_count("m2.pdb");
  if (g != -1) {
    EXPECT_EQ(g, count_lines("m2.pdb", "ATOM") + count_lines("m2.pdb", "HETATM"));
  }
  // a model that is not in the file is an error, and leaves no file
  r = run("task --model-num=99 -i=2koc.pdb -o=m99.pdb");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(test::has_text(r.err, "[e] model #99 not found in file 2koc.pdb")) << r.err;
  EXPECT_FALSE(exists("m99.pdb"));
}

TEST_F(TaskExe, merge_reads_every_input_before_writing) {
  copy_data("1bna.pdb");
  copy_data("1ehz.pdb");
  const long bna = count_lines("1bna.pdb", "ATOM"), ehz = count_lines("1ehz.pdb", "ATOM");
  test::exe_result r = run("task --merge-files='1bna.pdb 1ehz.pdb' -o=both.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(count_lines("both.pdb", "ATOM"), bna + ehz);
  // the output is one of the inputs: it is read first, not emptied
  r = run("task --merge-files='1bna.pdb 1ehz.pdb' -o=1bna.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(count_lines("1bna.pdb", "ATOM"), bna + ehz);
  // two Raster3D files: the second one's 20 header lines are dropped
  std::string a, b;
  for (int k = 1; k <= 25; ++k) {
    const std::string n = std::to_string(k);
    a.append(1, 'a').append(n).append(1, '\n');
    b.append(1, 'b').append(n).append(1, '\n');
  }
  write("a.r3d", a);
  write("b.r3d", b);
  r = run("task --merge-files='a.r3d b.r3d' -o=a.r3d");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read("a.r3d"), a + "b21\nb22\nb23\nb24\nb25\n");
}

// A structure fitted on a rotated copy of itself: RMSD 0 (to coordinate rounding).
TEST_F(TaskExe, ls_fit_on_a_rotated_copy) {
  copy_data("1bna.pdb");
  test::exe_result r = run("-i=1bna.pdb --view-rot=x:30 -o=rot.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* atom_mode : {"", " --ls-fit-atom=elem", " --ls-fit-atom=name"}) {
    SCOPED_TRACE(atom_mode);
    r = run(std::string("task --ls-fit-files='rot.pdb 1bna.pdb'") + atom_mode + " -o=fit.pdb");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto pos = r.err.find("rmsd: ");
    ASSERT_NE(pos, std::string::npos) << r.err;
    EXPECT_LT(std::atof(r.err.c_str() + pos + 6), 0.005);
  }
  EXPECT_EQ(gemmi_atom_count("fit.pdb") != -2, true);
  EXPECT_TRUE(exists("vask-rotmat.txt"));
  // the fitted copy lies on the original
  const std::vector<std::string> fit = test::lines_of(read("fit.pdb")), orig = test::lines_of(read("1bna.pdb"));
  std::vector<double> zf, zo;
  for (const auto& l : fit)
    if (l.starts_with("ATOM")) zf.push_back(std::atof(l.substr(46, 8).c_str()));
  for (const auto& l : orig)
    if (l.starts_with("ATOM")) zo.push_back(std::atof(l.substr(46, 8).c_str()));
  ASSERT_EQ(zf.size(), zo.size());
  for (size_t k = 0; k < zf.size(); ++k) EXPECT_NEAR(zf[k], zo[k], 0.01);
  // plain xyz files: symbols must agree, counts must agree
  write("a.xyz", "3\ntitle\nC 0 0 0\nN 1.5 0 0\nO 0 1.5 0\n");
  write("b.xyz", "3\ntitle\nC 1 1 1\nN 1 2.5 1\nO 1 1 2.5  # moved\n");
  r = run("task --ls-fit-files='a.xyz b.xyz' --ls-fit-xyz -o=f.xyz");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(read("f.xyz"), "ls-fitted xyz coordinates (rmsd="));
  write("c.xyz", "2\ntitle\nC 0 0 0\nN 1.5 0 0\n");
  r = run("task --ls-fit-files='a.xyz c.xyz' --ls-fit-xyz -o=f.xyz");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(test::has_text(r.err, "[e] a.xyz (3) and c.xyz (2) differ in no. of atoms")) << r.err;
}

TEST_F(TaskExe, pair_and_nucleotide_frames_and_removals) {
  copy_data("1bna.pdb");
  const long all = count_lines("1bna.pdb", "ATOM");
  test::exe_result r = run("task --frame-pair=last --remove-pair -i=1bna.pdb -o=fp.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  const long kept = count_lines("fp.pdb", "ATOM");
  EXPECT_LT(kept, all);
  EXPECT_GT(kept, all - 50);  // one pair's two nucleotides gone
  EXPECT_NE(gemmi_atom_count("fp.pdb"), -2);
  r = run("task --frame-pair=0 -i=1bna.pdb -o=x.pdb");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(test::has_text(r.err, "[e] no pair 0 in file 1bna.pdb")) << r.err;
  r = run("task --remove-pair=1 -i=1bna.pdb -o=rp.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(count_lines("rp.pdb", "ATOM", " A   1 ") + count_lines("rp.pdb", "ATOM", " B  24 "), 0);
  r = run("task --frame-nt=first -i=1bna.pdb -o=fn.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(count_lines("fn.pdb", "ATOM"), all);
  r = run("task --remove-nt=last -i=1bna.pdb -o=rn.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_LT(count_lines("rn.pdb", "ATOM"), all);
  r = run("task --frame-nt=25 -i=1bna.pdb -o=x.pdb");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(test::has_text(r.err, "[e] no nucleotide 25 in file 1bna.pdb")) << r.err;
}

TEST_F(TaskExe, duplex_check_join_and_chain_reset) {
  copy_data("1bna.pdb");
  test::exe_result r = run("task --check-duplex -i=1bna.pdb -o=d.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_GT(count_lines("d.pdb", "ATOM", "T001"), 400);
  r = run("task --join-duplex=A -i=1bna.pdb -o=j.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(r.err, "[i] reset --join-duplex from 'A' to 'XY'"));
  std::set<std::string> chains;
  for (const std::string& line : test::lines_of(read("j.pdb")))
    if (line.starts_with("ATOM")) chains.insert(line.substr(21, 1));
  EXPECT_EQ(chains, (std::set<std::string>{"X", "Y"}));
  r = run("task --reset-chain=A:X,B:Q -i=1bna.pdb -o=c.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(count_lines("c.pdb", "ATOM", " X "), count_lines("1bna.pdb", "ATOM", " A "));
  EXPECT_NE(gemmi_atom_count("c.pdb"), -2);
  for (const auto& [value, message] : std::vector<std::pair<std::string, std::string>>{
           {"AX", "[e] invalid entry AX -- must be C1:C2"},
           {"Z:X", "[e] source chain Z does not exist in file 1bna.pdb"},
           {"A:XXXXX", "[e] re-set chain XXXXX is not of 1-4 chars"}}) {
    r = run("task --reset-chain=" + value + " -i=1bna.pdb -o=c.pdb");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(test::has_text(r.err, message)) << r.err;
  }
}

// A duplex without 5'-terminal phosphates gets them; a duplex with all of
// them is copied with serials renumbered.
TEST_F(TaskExe, seal_backbone_adds_the_missing_phosphates) {
  copy_data("1bna.pdb");
  EXPECT_EQ(count_lines("1bna.pdb", "ATOM", " P  "), 22);
  test::exe_result r = run("task --seal-backbone -i=1bna.pdb -o=s.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(r.err, "missing P/OP1/OP2 only")) << r.err;
  EXPECT_EQ(count_lines("s.pdb", "ATOM", " P  "), 24);
  EXPECT_EQ(count_lines("s.pdb", "ATOM", " OP1"), 24);
  EXPECT_NE(gemmi_atom_count("s.pdb"), -2);
  r = run("task --seal-backbone -i=s.pdb -o=s2.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(count_lines("s2.pdb", "ATOM"), count_lines("s.pdb", "ATOM"));
}

TEST_F(TaskExe, clash_and_o2_prime) {
  copy_data("1ehz.pdb");
  copy_data("1bna.pdb");
  test::exe_result r = run("task --clash -i=1ehz.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(r.err, "[i] check clashes in 1ehz.pdb with cutoff= 2.00")) << r.err;
  r = run("task --o2 -i=1bna.pdb -o=o2.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(count_lines("o2.pdb", "ATOM", " O2'"), 24);
  r = run("task --o2=remove -i=o2.pdb -o=no2.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(count_lines("no2.pdb", "ATOM", " O2'"), 0);
  EXPECT_EQ(count_lines("no2.pdb", "ATOM"), count_lines("1bna.pdb", "ATOM"));
}

TEST_F(TaskExe, stacking_diagram_and_hbond_pair) {
  copy_data("1ehz.pdb");
  write("one.pdb", read("1ehz.pdb") + "REMARK select layer1, resi 1-3\n");
  test::exe_result r = run("task --stacking-diagram=fill,label -i=one.pdb -o=s.pml");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(test::has_text(r.err, "[e] must have both 'select layer1' and 'select layer2'")) << r.err;
  write("two.pdb", read("one.pdb") + "REMARK select layer2, resi 4-6\n");
  r = run("task --stacking-diagram=fill,label,slim -i=two.pdb -o=s.pml");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string two = read("s.pml");
  EXPECT_TRUE(test::has_text(two, "select layer1, resi 1-3\nselect layer2, resi 4-6\n")) << two;
  EXPECT_TRUE(test::has_text(two, "vask_block layer1, block_file=fill-trans, name=fill1\n"));
  EXPECT_TRUE(test::has_text(two, "vask_block layer2, block_file=slim-both, name=blocks2\n"));
  EXPECT_TRUE(test::has_text(two, "label c1_prime, '%s.%s%s' % (chain, resn[-1], resi)\n"));
  r = run("task --stacking-diagram=block -i=1ehz.pdb -o=s.pml");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(read("s.pml"), "vask_block block_file=both, name=blocks\n"));
  r = run("task --hbond-atom-pair='1 2 3 4 5 6' -o=h.r3d");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(read("h.r3d").empty());
  r = run("task --hbond-atom-pair='1 2 3 4 5' -o=h.r3d");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(test::has_text(r.err, "[e] invalid input: --hbond-atom-pair='XYZ1 XYZ2'")) << r.err;
  // an Alchemy model turned into a molfile
  r = run("-i=1ehz.pdb --alc-file -o=b.alc");
  ASSERT_EQ(r.status, 0) << r.err;
  r = run("task --alc2mol=b.alc -o=b.mol");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(read("b.mol"), "V2000")) << read("b.mol").substr(0, 300);
  r = run("task --playground");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(test::has_text(r.err, "twist=34.00 ---> helical-twist=")) << r.err;
  EXPECT_TRUE(test::has_text(r.err, "done with playing VASK"));
  r = run("task -i=1ehz.pdb -o=x.pdb");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(test::has_text(r.err, "[e] missing valid options")) << r.err;
}

// A protein-DNA complex aligned with itself: every DNA-contacting amino acid
// on itself with the top score.
TEST_F(TaskExe, align_a_protein_dna_complex_with_itself) {
  copy_data("1a73-assembly-1.cif");
  copy_data("1ehz.pdb");
  test::exe_result r = run("task --align-str='1a73-assembly-1.cif:1a73-assembly-1.cif' -o=a.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(r.err, "cutoff=16")) << r.err;
  const std::vector<std::string> lines = test::lines_of(read("a.txt"));
  ASSERT_GE(lines.size(), 3u);
  long aligned = 0;
  for (const std::string& line : lines) {
    if (line.find("    = ") == std::string::npos) continue;
    ++aligned;
    EXPECT_EQ(line.substr(0, 10), line.substr(12, 10)) << line;
    EXPECT_TRUE(line.ends_with("    10.0")) << line;
  }
  // every run of the match matrix is aligned on the diagonal
  const long runs = static_cast<long>(test::lines_of(read("match_scores.dat")).size());
  EXPECT_EQ(aligned, runs);
  char tail[64];
  std::snprintf(tail, sizeof tail, "%ld aligned residues   IAS =   %6.1f", aligned, 10.0 * static_cast<double>(aligned));
  EXPECT_EQ(lines.back(), tail);
  EXPECT_TRUE(exists("quenby_frame.dat"));
  // the placements are relative: a turned copy aligns the same way
  r = run("-i=1a73-assembly-1.cif --view-rot=x:30,y:40 -o=turned.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  r = run("task --align-str='1a73-assembly-1.cif turned.pdb' -o=t.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::lines_of(read("t.txt")).back(), tail);
  EXPECT_TRUE(exists("aa2nt_frames_1a73-assembly-1.dat"));
  // an RNA-only structure has no amino acid near a DNA base
  r = run("task --align-str='1ehz.pdb 1ehz.pdb 30' -o=b.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(test::has_text(r.err, "no AA - DNA base interactions in file <1ehz.pdb>")) << r.err;
  r = run("task --align-str='1ehz.pdb' -o=b.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(test::has_text(r.err, "[e] wrong option: --align-str='1ehz.pdb'")) << r.err;
}

}  // namespace
}  // namespace vask
