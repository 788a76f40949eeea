// The mutate sub-command: entries, conditions, targets and the written
// structure; the enumeration; its options and errors.
#include "model_run.hpp"
#include "modeling/mutation.hpp"
#include "pairing/frame.hpp"
#include "pairing/prepare.hpp"
#include "structure/atom.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace vask {
namespace {

using test::exe_result;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Atom lines of a PDB text by residue ("B19"), name and coordinates only:
// serial numbers may change, nothing else.
std::map<std::string, std::vector<std::string>> atoms_by_residue(const std::string& text) {
  std::map<std::string, std::vector<std::string>> m;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("ATOM", 0) != 0 && line.rfind("HETATM", 0) != 0) continue;
    const std::string key = line.substr(21, 5);  // chain and residue number
    std::string fields = line.substr(12, 54 - 12);
    fields.append("|").append(line.substr(54, 12));
    m[key].push_back(fields);
  }
  return m;
}

long count_residue_atoms(const std::string& text, const std::string& tag) {
  long n = 0;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("ATOM", 0) == 0 && line.substr(17, 9) == tag) ++n;
  return n;
}

class MutateRun : public test::ModelRun {};

// The frame of a residue of a file, read through the whole pipeline.
frame residue_frame(const std::string& file, const std::string& chain, long number, std::string* name) {
  test::log_capture quiet;
  mutable_gvars() = gvars_rec{};
  reset_periodic_table();
  struct_mol mol;
  init_struct_mol(file, mol);
  read_pdb(file, mol);
  frame f;
  for (long k = 1; k <= mol.num_residues; ++k) {
    const residue& r = mol.residues[k];
    if (r.chain_id == chain && r.res_seq == number && base_frame(k, mol) != nullptr) {
      f = *base_frame(k, mol);
      if (name != nullptr) *name = r.name;
    }
  }
  free_struct_mol(mol);
  mutable_gvars() = gvars_rec{};
  return f;
}

TEST_F(MutateRun, BaseReplacedInItsOwnFrame) {
  copy_data("1bna.pdb");
  exe_result r = run("mutate -i=1bna.pdb \"--entry=chain=B name=DT num=19 to=DC\" -o=m.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.err, "   1: B.DT19-T --> DC"));
  EXPECT_EQ(read("valid-mutations.dat"), " chain=B res_name=DT res_num=19 to=DC    # 1 matched nucleotide(s)\n");
  const std::string model = read("m.pdb");
  EXPECT_EQ(model.rfind("REMARK PDB mutated using VASK\n", 0), 0u);
  EXPECT_TRUE(has(model, "REMARK VASK mutate: B.DT19 to DC\n"));
  EXPECT_EQ(count_residue_atoms(model, " DC B  19"), 19);  // backbone and sugar kept, C base
  EXPECT_TRUE(has(model, " N4   DC B  19"));
  EXPECT_FALSE(has(model, " C7   DC B  19"));

  std::string name;
  const frame before = residue_frame(path("1bna.pdb"), "B", 19, nullptr);
  const frame after = residue_frame(path("m.pdb"), "B", 19, &name);
  EXPECT_EQ(name, " DC");
  EXPECT_LT(dist_xyz(before.org, after.org), 0.01);
  for (const auto& [a, b] : {std::pair{before.x_axis, after.x_axis}, {before.y_axis, after.y_axis},
                             {before.z_axis, after.z_axis}})
    EXPECT_GT(dot_xyz(a, b), std::cos(deg2rad(0.5)));

  // every other residue, waters included, is written as it was
  auto old_atoms = atoms_by_residue(test::read_file(path("1bna.pdb")));
  auto new_atoms = atoms_by_residue(model);
  old_atoms.erase("B  19");
  new_atoms.erase("B  19");
  ASSERT_GT(old_atoms.size(), 24u);
  EXPECT_EQ(old_atoms, new_atoms);
  // serials run from 1 over the file
  EXPECT_TRUE(has(model, "\nATOM      1  O5'  DC A   1"));
}

TEST_F(MutateRun, EntriesSelectAndTargets) {
  copy_data("1bna.pdb");
  struct entry_case {
    const char* entry;
    const char* echo;  // expected in valid-mutations.dat
    long matched;
  } cases[] = {
      {"chain=A num=3:5+9 to=A", " chain=A res_num=3:5+9 to=A", 4},
      {"num=*  name=DG  to=DA", " res_name=DG res_num=* to=DA", 8},
      {"DT:DU", " res_name=DT to=DU", 4},
      {"chain=B name=DC not to=self", " chain=B res_name=DC negate to=self", 20},
      {"name=DA to=DA con=same", " res_name=DA to=DA", 0},
      {"chain=Z to=DA", " chain=Z to=DA", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    exe_result r = run(std::string("mutate -i=1bna.pdb \"--entry=") + c.entry + "\" -o=m.pdb");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string echo = read("valid-mutations.dat");
    EXPECT_TRUE(has(echo, std::string(c.echo) + "    # " + std::to_string(c.matched) + " matched")) << echo;
    if (c.matched == 0) {
      EXPECT_EQ(echo.rfind(" ###[ignored] ", 0), 0u);
      EXPECT_TRUE(has(r.err, "--- no matched nucleotides in '1bna.pdb' ---"));
    }
  }
  // a backwards range and an unknown field skip the entry; the next one still counts
  exe_result r = run("mutate -i=1bna.pdb \"--entry=num=5:3 to=A; bogus=red to=A; num=1 to=DA\" -o=m.pdb");
  EXPECT_TRUE(has(r.err, "\t\t[w] invalid residue range (5:3)\n\t[w] skip invalid mutation entry: 'num=5:3 to=A'"));
  EXPECT_TRUE(has(r.err, "\t unrecognized or invalid mutation field: <bogus=red>"));
  EXPECT_TRUE(has(read("valid-mutations.dat"), " res_num=1 to=DA    # 1 matched"));
  r = run("mutate -i=1bna.pdb \"--entry=num=1\" -o=m.pdb");
  EXPECT_TRUE(has(r.err, "missing mutation target: please specify with to="));
  r = run("mutate -i=1bna.pdb \"--entry=num=1 to=XYZ\" -o=m.pdb");
  EXPECT_TRUE(has(r.err, "\t[w] missing the mutated-to base in standard reference frame"));

  // two entries on one nucleotide: the later wins, unless "first"
  run("mutate -i=1bna.pdb \"--entry=chain=A num=1 to=DA | chain=A num=1 to=DT\" -o=m.pdb");
  EXPECT_EQ(count_residue_atoms(read("m.pdb"), " DT A   1"), 8 + 9);  // the 5' end has no phosphate
  run("mutate -i=1bna.pdb \"--entry=chain=A num=1 to=DA | chain=A num=1 to=DT\" --when=first -o=m.pdb");
  EXPECT_EQ(count_residue_atoms(read("m.pdb"), " DA A   1"), 8 + 10);
}

TEST_F(MutateRun, AbasicWholeAndUserTemplates) {
  copy_data("1bna.pdb");
  exe_result r = run("mutate -i=1bna.pdb \"--entry=chain=A num=2 to=.\" -o=m.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.err, "abasic site"));
  const std::string abasic = read("m.pdb");
  EXPECT_EQ(count_residue_atoms(abasic, " DG A   2"), 11);  // phosphate and sugar only
  EXPECT_FALSE(has(abasic, " N9   DG A   2"));

  r = run("mutate -i=1bna.pdb \"--entry=chain=A num=2 to=A\" --whole -o=m.pdb");
  EXPECT_TRUE(has(r.err, "[i] mutate matched nucleotides as a whole, not just BASE atoms"));
  EXPECT_EQ(count_residue_atoms(read("m.pdb"), "  A A   2"), 11);  // the template: C1' and the base

  // a target missing from the base table comes from its template file
  std::filesystem::create_directory(dir_ / "tmpl");
  write("tmpl/frame_XYZ.pdb", test::read_file(std::string(VASK_DATA_DIR) + "/standard_frames/frame___U.pdb"));
  r = run("mutate -i=1bna.pdb \"--entry=chain=A num=3 to=XYZ\" --folder=tmpl/ -o=m.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.err, "[tmpl/frame_XYZ.pdb]"));
  EXPECT_TRUE(has(read("m.pdb"), " O4  XYZ A   3"));
  EXPECT_TRUE(has(read("m.pdb"), "REMARK VASK mutate: A.DC3 to XYZ [tmpl/frame_XYZ.pdb]"));
}

TEST_F(MutateRun, ListFileAndShortForms) {
  copy_data("1bna.pdb");
  write("list.txt", "# comment\n\nDNA2RNA\nchain=B num=13 to=DA  # trailing note\n");
  exe_result r = run("mutate -i=1bna.pdb --list=list.txt -o=m.pdb --valid=echo.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.err, "[w] skip invalid mutation entry: 'DNA2RNA'"));  // a command-line form only
  EXPECT_TRUE(has(read("echo.txt"), " chain=B res_num=13 to=DA    # 1 matched"));
  r = run("mutate -i=1bna.pdb --entry=DNA2RNA -o=m.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string rna = read("m.pdb");
  EXPECT_EQ(count_residue_atoms(rna, "  U A   7"), 8 + 8 + 3);  // the phosphate, the sugar, U
  EXPECT_FALSE(has(rna, " DA "));
  write("empty.txt", "# nothing\n");
  r = run("mutate -i=1bna.pdb --list=empty.txt -o=m.pdb");
  EXPECT_TRUE(has(r.err, "--- zero mutation lines in 'empty.txt' ---"));
  r = run("mutate -i=1bna.pdb \"--entry=   \" -o=m.pdb");
  EXPECT_TRUE(has(r.err, "contains only white spaces, no mutations"));
}

TEST_F(MutateRun, EnumerationOf1ehz) {
  copy_data("1ehz.pdb");
  exe_result r = run("mutate -i=1ehz.pdb --enum -o=all.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string text = read("all.txt");
  EXPECT_EQ(text.rfind("# For each entry to be mutated, remove the leading #, and add to=base\n\n", 0), 0u);
  EXPECT_TRUE(has(text, "# Empty or comment (starting with #) lines are ignored.\n\n"));
  EXPECT_TRUE(has(text, "#  chain=A name=G num=1  #1  A.G1, pairedNt=A.C72\n"));
  EXPECT_TRUE(has(text, "#  chain=A name=U num=8  #8  A.U8\n"));
  EXPECT_TRUE(has(text, "#  chain=A name=G num=19  #19  A.G19, pairedNt=A.C56\n"));
  EXPECT_TRUE(has(text, "#  chain=A name=2MG num=10  #10  A.2MG10, pairedNt=A.C25\n"));
  long lines = 0;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines += line.rfind("#  chain=", 0) == 0;
  EXPECT_EQ(lines, 76);
  // an entry taken from the list, with its leading '#' removed, works as is
  r = run("mutate -i=1ehz.pdb \"--entry=chain=A name=A num=9 to=G\" -o=m.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(read("m.pdb"), " N2    G A   9"));
}

TEST_F(MutateRun, ConditionsOnContext) {
  copy_data("1ehz.pdb");
  // Watson-Crick and wobble marks come from the pairs
  exe_result r = run("mutate -i=1ehz.pdb \"--entry=name=U to=C con=wobble\" -o=m.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(read("valid-mutations.dat"), "to=C    # 1 matched"));  // U69 of G4-U69
  r = run("mutate -i=1ehz.pdb \"--entry=name=G to=A\" --when=stem -o=m.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  // the stem context comes from the stems found
  EXPECT_TRUE(has(read("valid-mutations.dat"), " res_name=G to=A    # ")) << read("valid-mutations.dat");
  EXPECT_FALSE(has(read("valid-mutations.dat"), "# 0 matched"));
  EXPECT_TRUE(has(read("m.pdb"), " N6    A A   1"));   // G1 of the acceptor stem
  EXPECT_FALSE(has(read("m.pdb"), " N6    A A  18"));  // G18 is in no stem
  // loop contexts from the loop walk: U33 (anticodon loop) and U59 (T loop)
  // lie in hairpin loops, U8 and U47 in the four-way junction
  const struct {
    const char* entry;
    const char* when;
    const char* count;
    std::vector<int> mutated, kept;
  } contexts[] = {
      {"name=U to=C", "hairpin", "# 2 matched", {33, 59}, {8, 47}},
      {"name=U to=C", "junction", "# 2 matched", {8, 47}, {33, 59}},
      {"name=U to=C", "loop", "# 4 matched", {8, 33, 47, 59}, {}},
      {"name=U to=C", "iloop", "# 0 matched", {}, {8, 33}},
      {"name=A to=G", "ss", "# 2 matched", {73, 76}, {9, 14}},  // the 3' ACCA
  };
  for (const auto& c : contexts) {
    SCOPED_TRACE(c.when);
    const std::string out = std::string("m-") + c.when + ".pdb";  // no earlier run's file read back
    r = run(std::string("mutate -i=1ehz.pdb \"--entry=") + c.entry + "\" --when=" + c.when + " -o=" + out);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(read("valid-mutations.dat"), c.count)) << read("valid-mutations.dat");
    const std::string atom = c.entry[5] == 'U' ? " N4    C A" : " N2    G A";
    auto line_of = [&](int n) {
      const std::string num = std::to_string(n);
      return atom + std::string(4 - num.size(), ' ') + num;  // residue number in four columns
    };
    for (int n : c.mutated) EXPECT_TRUE(has(read(out), line_of(n))) << n;
    for (int n : c.kept) EXPECT_FALSE(has(read(out), line_of(n))) << n;
  }
  // tRNA holds no kink turn: the condition selects nothing
  r = run("mutate -i=1ehz.pdb \"--entry=name=U to=C\" --when=kturn -o=m.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(read("valid-mutations.dat"), "# 0 matched"));
}

TEST_F(MutateRun, KinkTurnContext) {
  copy_data("3siu.pdb");  // a kink turn in each of the two snRNA copies
  exe_result r = run("mutate -i=3siu.pdb \"--entry=name=A to=G\" --when=kturn -o=m.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string m = read("m.pdb");
  EXPECT_TRUE(has(m, " N2    G C  49")) << m.substr(0, 400);  // the A of the sheared G-A pair
  EXPECT_TRUE(has(m, " N2    G F  49"));
}

TEST_F(MutateRun, GTetradContext) {
  copy_data("2hy9.cif");  // three tetrads of four guanines each
  exe_result r = run("mutate -i=2hy9.cif \"--entry=name=DG to=DA\" --when=G4 -o=m.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(read("valid-mutations.dat"), "# 12 matched")) << read("valid-mutations.dat");
}

TEST_F(MutateRun, HelpAndUsageErrors) {
  exe_result r = run("mutate --help");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(has(r.err, "Check the User Manual on how to use the MUTATE module."));
  copy_data("1bna.pdb");
  r = run("mutate -i=1bna.pdb");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "Please specify an option: --enum, --entry, or --list"));
  r = run("mutate -i=1bna.pdb --list=none.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "Mutations list file 'none.txt' does not exist!"));
  r = run("mutate -i=1bna.pdb --enum --bogus");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "unrecognized option: <--bogus>"));
  r = run("mutate --enum");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "must specify -i=PDBFILE"));
}

TEST(MutationEntries, Parsing) {
  test::log_capture quiet;
  mutation_entry e;
  ASSERT_TRUE(parse_mutation_entry("model=2 seg=S1 c=_ resn=G resi=3:5+9 icode=A mu=DC", e));
  EXPECT_EQ(e.model, 2);
  EXPECT_EQ(e.segid, "S1");
  EXPECT_EQ(e.chain, " ");
  EXPECT_EQ(e.name, "  G");
  ASSERT_EQ(e.numbers.size(), 2u);
  EXPECT_EQ(e.numbers[0], (std::pair<long, long>{3, 5}));
  EXPECT_EQ(e.icode, 'A');
  EXPECT_EQ(e.to, "DC");
  ASSERT_TRUE(parse_mutation_entry("A:G", e));
  EXPECT_EQ(e.name, "  A");
  EXPECT_EQ(e.to, "G");
  // a full entry with a range is no short form
  ASSERT_TRUE(parse_mutation_entry("chain=A num=3:5 to=G", e));
  EXPECT_EQ(e.chain, "A");
  EXPECT_FALSE(parse_mutation_entry("num=5:3 to=G", e));
  EXPECT_FALSE(parse_mutation_entry("model=x to=G", e));
  EXPECT_FALSE(parse_mutation_entry("a b c d e f g h i j k", e));  // more than ten fields
  EXPECT_EQ(split_command_line_entries("A:G | C:U; ").size(), 2u);
  EXPECT_EQ(split_command_line_entries("RNA2DNA").size(), 5u);
  mutation_config c;
  derive_mutation_config("stem,WC;iloop", c);
  EXPECT_TRUE(c.stem && c.wc && c.iloop);
  EXPECT_FALSE(c.loop);  // "loop" of "iloop" alone is not a loop condition
  EXPECT_TRUE(c.ss == false && c.g4 == false);
  derive_mutation_config("G4 kink-turn ss", c);
  EXPECT_TRUE(c.g4 && c.kturn && c.ss && c.stem);
}

}  // namespace
}  // namespace vask
