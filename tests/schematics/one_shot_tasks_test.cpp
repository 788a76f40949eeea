// One-shot tasks of the main command: every task option once on a real
// structure, its product checked; PDB/mmCIF products read back by gemmi.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "schematics/schematic_run.hpp"
#include "test_util.hpp"

namespace vask {
namespace {

class OneShotTask : public test::SchematicRun {
 protected:
  // gemmi's atoms of a file as "chain name" lines, or "" without gemmi
  // (an "error: ..." text when gemmi cannot read the file).
  std::string gemmi_atoms(const std::string& name) {
    if (std::system("/usr/bin/python3 -c 'import gemmi' >/dev/null 2>&1") != 0) return {};
    const std::string cmd = "cd '" + dir_.string() +
                            "' && /usr/bin/python3 -c \"import gemmi,sys\n"
                            "st=gemmi.read_structure(sys.argv[1])\n"
                            "for m in st:\n"
                            "  for ch in m:\n"
                            "    for r in ch:\n"
                            "      for a in r: print(m.name, ch.name, r.name, r.seqid.num, r.seqid.icode, "
                            "a.name, r.het_flag)\" '" +
                            name + "' > gemmi.txt 2> gemmi.err";
    if (std::system(cmd.c_str()) != 0) return "error: " + read("gemmi.err");
    return read("gemmi.txt");
  }
  static bool have_gemmi() { return std::system("/usr/bin/python3 -c 'import gemmi' >/dev/null 2>&1") == 0; }
};

// Every task option writes its product and ends the run with status 0.
TEST_F(OneShotTask, each_task_option_writes_its_product) {
  copy_data("1ehz.pdb");
  copy_data("1a73-assembly-1.cif");
  copy_data("1a34.pdb");
  copy_data("2koc.pdb");
  write("pos.txt", "pos1: [0, 0, 0]\npos2: [1, 0, 0]\npos3: [0, 1, 0]\n");
  write("mat.txt", "position: [1, 2, 3]\nx-axis: [0, 1, 0]\ny-axis: [-1, 0, 0]\nz-axis: [0, 0, 1]\n");
  struct row {
    const char* input;
    const char* option;
    const char* product;  // file the product goes to
    const char* text;     // text the product must hold ("": may be empty)
    bool coordinates;     // read back by gemmi
  };
  const row rows[] = {
      {"1ehz.pdb", "--list-chain", "o.txt", "1 DNA/RNA chain", false},
      {"1ehz.pdb", "--list-residue", "o.txt", "List of nucleotides", false},
      {"1ehz.pdb", "--order-residue", "o.pdb", "ATOM", true},
      {"1ehz.pdb", "--select-chain=A", "o.pdb", "ATOM", true},
      {"1ehz.pdb", "--select-frag='A 1:10'", "o.pdb", "ATOM", true},
      {"1ehz.pdb", "--select-atom=P", "o.pdb", " P ", true},
      {"1ehz.pdb", "--select-coor=het", "o.pdb", "HETATM", true},
      {"1ehz.pdb", "--select=rna", "o.pdb", "ATOM", true},
      {"2koc.pdb", "--select-model=2", "o.pdb", "MODEL        2", true},
      {"1ehz.pdb", "--renum-res=5", "o.pdb", "ATOM", true},
      {"1ehz.pdb", "--renum-atom", "o.pdb", "ATOM", true},
      {"1ehz.pdb", "--stack-file", "o.txt", "", false},
      {"1a34.pdb", "--peptide-base", "o.txt", "", false},
      {"1ehz.pdb", "--bonds-file", "o.txt", "# covalent-bonds in '1ehz.pdb' identified by VASK", false},
      {"1ehz.pdb", "--alc-file", "o.alc", "", false},
      {"1ehz.pdb", "--linkage-file", "o.txt", " -- [", false},
      {"1ehz.pdb", "--contacts-file", "o.txt", " -- [", false},
      {"1ehz.pdb", "--area-file", "o.txt", "", false},
      {"1a73-assembly-1.cif", "--cx-file", "o.txt", "", false},
      {"1ehz.pdb", "--plane-file", "o.txt", "", false},
      {"1ehz.pdb", "--torsion-file", "o.txt", "backbone conformational parameters", false},
      {"1ehz.pdb", "--connect-file", "o.pdb", "CONECT", true},
      {"1ehz.pdb", "--top-view-file", "o.pdb", "ATOM", true},
      {"1ehz.pdb", "--get-hbond=jmol", "o.spt", "measure ", false},
      {"1ehz.pdb", "--get-hbond=pymol", "o.pml", "distance h1, id ", false},
      {"1ehz.pdb", "--get-hbond", "o.txt", "# H-bonds in '1ehz.pdb' identified by VASK", false},
      {"1ehz.pdb", "--hbond-file", "o.txt", "# H-bonds in '1ehz.pdb' identified by VASK", false},
      {"1ehz.pdb", "--pair-list-out=pl.txt", "pl.txt", "", false},
      {"1ehz.pdb", "--frame-file", "o.txt", "# 76 base frames", false},
      {"1ehz.pdb", "--view", "o.pdb", "ATOM", true},
      {"1ehz.pdb", "--view-rot=x:30", "o.pdb", "ATOM", true},
      {"1ehz.pdb", "--view-pos=pos.txt", "o.pdb", "ATOM", true},
      {"1ehz.pdb", "--view-mat=mat.txt", "o.pdb", "ATOM", true},
      {"1ehz.pdb", "--view-align=mat.txt", "o.pdb", "ATOM", true},
      {"1ehz.pdb", "--r3d-frame", "o.r3d", "Raster3D", false},
      {"1ehz.pdb", "--block-file", "o.r3d", "Raster3D", false},
      {"1ehz.pdb", "--atom-hbond-prop", "o.txt", "", false},
      {"1ehz.pdb", "--check-op", "o.pdb", "ATOM", true},
      {"1ehz.pdb", "--info-nt", "o.txt", "   76  # number of nucleotides in '1ehz.pdb'", false},
      {"1a73-assembly-1.cif", "--info-aa", "o.txt", "# number of amino acids in '1a73-assembly-1.cif'", false},
      {"1ehz.pdb", "--info-list=3", "o.txt", "# List of residues", false},
      {"1ehz.pdb", "--simple-pdb", "o.pdb", "ATOM", true},
  };
  const bool gemmi = have_gemmi();
  for (const row& r : rows) {
    SCOPED_TRACE(r.option);
    std::filesystem::remove(dir_ / r.product);
    const std::string out = std::string(r.product) == "pl.txt" ? "o.txt" : r.product;
    test::exe_result res = run(std::string("-i=") + r.input + " " + r.option + " -o=" + out);
    ASSERT_EQ(res.status, 0) << res.err;
    EXPECT_FALSE(test::has_text(res.err, "not available yet")) << res.err;
    ASSERT_TRUE(exists(r.product));
    const std::string text = read(r.product);
    if (*r.text != '\0' || r.coordinates) {
      EXPECT_FALSE(text.empty());
    }
    EXPECT_TRUE(test::has_text(text, r.text)) << text.substr(0, 400);
    EXPECT_FALSE(test::has_text(text, "List of ") && test::has_text(text, "base pairs") &&
                 std::string(r.option) != "--pair-list-out=pl.txt")
        << "the analysis report came out instead of the task";
    if (r.coordinates && gemmi) {
      const std::string atoms = gemmi_atoms(r.product);
      EXPECT_FALSE(test::has_text(atoms, "error:")) << atoms;
      EXPECT_FALSE(atoms.empty());
    }
  }
  if (!gemmi) GTEST_SKIP() << "gemmi (python3-gemmi) not installed: coordinate products not read back";
}

// The first task option set wins, whatever the order on the command line.
TEST_F(OneShotTask, first_task_in_the_fixed_order_wins) {
  copy_data("1ehz.pdb");
  test::exe_result r = run("-i=1ehz.pdb --get-hbond --list-chain -o=o.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(read("o.txt"), "DNA/RNA chain"));
  EXPECT_FALSE(test::has_text(read("o.txt"), "H-bonds"));
}

// A selection of chain A of a protein-tRNA complex has exactly chain A's atoms.
TEST_F(OneShotTask, select_chain_keeps_exactly_that_chain) {
  if (!have_gemmi()) GTEST_SKIP() << "gemmi (python3-gemmi) not installed";
  std::filesystem::copy_file(test::test_data("1efw.cif"), dir_ / "1efw.cif");
  test::exe_result r = run("-i=1efw.cif --select-chain=A -o=a.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string whole = gemmi_atoms("1efw.cif"), part = gemmi_atoms("a.pdb");
  long want = 0, got = 0, other = 0;
  for (const std::string& line : test::lines_of(whole)) {
    std::istringstream in(line);
    std::string model, chain;
    in >> model >> chain;
    want += chain == "A";
  }
  for (const std::string& line : test::lines_of(part)) {
    std::istringstream in(line);
    std::string model, chain;
    in >> model >> chain;
    (chain == "A" ? got : other) += 1;
  }
  EXPECT_GT(want, 1000);
  EXPECT_EQ(got, want);
  EXPECT_EQ(other, 0);
}

// Renumbering: a short structure keeps one number with insertion codes; a
// longer one is numbered per chain from the value.
TEST_F(OneShotTask, renumber_residues_short_and_long) {
  copy_data("1bna.pdb");
  copy_data("1ehz.pdb");
  test::exe_result r = run("-i=1bna.pdb --renum-res=-1 -o=a.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  std::set<std::string> codes;
  std::set<std::string> numbers;
  for (const std::string& line : test::lines_of(read("a.pdb"))) {
    if (!line.starts_with("ATOM")) continue;
    numbers.insert(line.substr(22, 4));
    codes.insert(line.substr(26, 1));
  }
  EXPECT_EQ(numbers, std::set<std::string>{"   1"});
  EXPECT_EQ(codes.size(), 24u);  // A .. X for the 24 nucleotides
  EXPECT_TRUE(codes.count("A") && codes.count("X"));
  r = run("-i=1ehz.pdb --renum-res=-1 -o=b.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  std::string first, last;
  for (const std::string& line : test::lines_of(read("b.pdb")))
    if (line.starts_with("ATOM")) {
      if (first.empty()) first = line.substr(22, 5);
      last = line.substr(22, 5);
    }
  EXPECT_EQ(first, "  -1 ");
  EXPECT_EQ(last, "  74 ");
}

// Renumbering a chain numbers all its residues, its ions and waters after
// its nucleotides, in file order.
TEST_F(OneShotTask, renumbering_covers_every_residue_of_the_chain) {
  copy_data("1ehz.pdb");
  test::exe_result r = run("-i=1ehz.pdb --renum-res=5 -o=r.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<long> numbers;
  std::set<std::string> kinds;
  std::string last_key;
  for (const std::string& line : test::lines_of(read("r.pdb"))) {
    if (!line.starts_with("ATOM") && !line.starts_with("HETATM")) continue;
    ASSERT_EQ(line[21], 'A');
    const std::string key = line.substr(17, 10);
    if (key == last_key) continue;
    last_key = key;
    numbers.push_back(std::stol(line.substr(22, 4)));
    kinds.insert(line.substr(17, 3));
  }
  ASSERT_GT(numbers.size(), 76u);  // nucleotides, ions and waters
  EXPECT_TRUE(kinds.count(" MG") && kinds.count("HOH"));
  for (size_t k = 0; k < numbers.size(); ++k) ASSERT_EQ(numbers[k], static_cast<long>(k) + 5) << k;
}

// Model 1 of a file without models is the whole file, PDB or mmCIF alike.
TEST_F(OneShotTask, model_1_of_a_file_without_models_is_the_whole_file) {
  copy_data("1ehz.pdb");
  write("nomodel.cif",
        "data_x\nloop_\n_atom_site.group_PDB\n_atom_site.id\n_atom_site.type_symbol\n"
        "_atom_site.label_atom_id\n_atom_site.label_comp_id\n_atom_site.label_asym_id\n"
        "_atom_site.label_seq_id\n_atom_site.Cartn_x\n_atom_site.Cartn_y\n_atom_site.Cartn_z\n"
        "ATOM 1 P P G A 1 1.0 2.0 3.0\nATOM 2 C \"C1'\" G A 1 2.0 2.0 3.0\n"
        "HETATM 3 O O HOH A 101 9.0 9.0 9.0\n");
  const struct {
    const char* file;
    long atoms;
  } cases[] = {{"1ehz.pdb", 0}, {"nomodel.cif", 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    long atoms = c.atoms;
    if (atoms == 0)
      for (const std::string& line : test::lines_of(read(c.file)))
        if (line.starts_with("ATOM") || line.starts_with("HETATM")) ++atoms;
    test::exe_result r = run(std::string("-i=") + c.file + " --select-model=1 -o=m.pdb");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(test::has_text(r.err, std::string("[i] ") + c.file + " has no model#1; select the whole file.\n"))
        << r.err;
    long written = 0;
    for (const std::string& line : test::lines_of(read("m.pdb")))
      if (line.starts_with("ATOM") || line.starts_with("HETATM")) ++written;
    EXPECT_EQ(written, atoms);
  }
  // a model the file does not hold is still an error
  test::exe_result r = run("-i=1ehz.pdb --select-model=2 -o=m2.pdb");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(test::has_text(r.err, "no model#2 found")) << r.err;
}

// The H-bond list holds as many H-bonds as the main analysis reports.
TEST_F(OneShotTask, hbond_list_matches_the_analysis) {
  copy_data("1ehz.pdb");
  test::exe_result r = run("-i=1ehz.pdb --get-hbond -o=hb.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = test::lines_of(read("hb.txt"));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "# H-bonds in '1ehz.pdb' identified by VASK");
  const long n = std::atol(lines[1].c_str());
  EXPECT_EQ(static_cast<long>(lines.size()) - 2, n);
  EXPECT_TRUE(test::has_text(r.err, "[i] -- " + std::to_string(n) + " H-bonds identified"));
  r = run("-i=1ehz.pdb --json -o=a.json");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(read("a.json"), "\"num_hbonds\":" + std::to_string(n) + ",\"hbonds\":[{"));
  // with waters: a water-nucleotide H-bond is "nt:water" whichever atom comes first
  r = run("-i=1ehz.pdb --json --water -o=w.json");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(read("w.json"), "\"residue_pair\":\"nt:water\""));
  EXPECT_FALSE(test::has_text(read("w.json"), "\"residue_pair\":\"water:nt\""));
  // the protein word lists protein H-bonds only: none in a tRNA, so no file
  std::filesystem::remove(dir_ / "hb.txt");
  r = run("-i=1ehz.pdb --get-hbond=protein -o=hb.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(r.err, "[i] -- 0 H-bonds identified"));
  EXPECT_FALSE(exists("hb.txt"));
}

// The PyMOL H-bond script loads without an error in the real PyMOL.
TEST_F(OneShotTask, pymol_hbond_script_runs_in_pymol) {
  copy_data("1ehz.pdb");
  test::exe_result r = run("-i=1ehz.pdb --get-hbond=pymol -o=hb.pml");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string saved = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", ("/usr/bin:/bin:" + saved).c_str(), 1);
  const bool usable = test::have_program("pymol");
  if (usable) std::system(("cd '" + dir_.string() + "' && pymol -cq hb.pml >pymol.log 2>&1").c_str());
  setenv("PATH", saved.c_str(), 1);
  if (!usable) GTEST_SKIP() << "PyMOL is not installed";
  EXPECT_FALSE(test::has_text(read("pymol.log"), "Error")) << read("pymol.log");
}

// Every name the H-bond script hides labels of is a selection or object it
// defines (no reliance on PyMOL's prefix lookup), and in PyMOL the C1' labels
// are hidden unless residue labels are asked for.
TEST_F(OneShotTask, pymol_hbond_script_hides_the_labels_it_defines) {
  copy_data("1ehz.pdb");
  for (const bool labels : {false, true}) {
    SCOPED_TRACE(labels ? "residue labels" : "no residue labels");
    const std::string script = labels ? "hbl.pml" : "hb.pml";
    test::exe_result r =
        run(std::string("-i=1ehz.pdb --get-hbond=pymol") + (labels ? ",res-label" : "") + " -o=" + script);
    ASSERT_EQ(r.status, 0) << r.err;
    std::set<std::string> defined;
    std::vector<std::string> hidden;
    for (const std::string& line : test::lines_of(read(script))) {
      for (const char* verb : {"select ", "distance "})
        if (line.starts_with(verb)) defined.insert(line.substr(std::strlen(verb), line.find(',') - std::strlen(verb)));
      if (line.starts_with("hide labels, ")) hidden.push_back(line.substr(13));
    }
    EXPECT_EQ(hidden.size(), labels ? 1u : 2u);
    for (const std::string& h : hidden) {
      const bool wildcard = h.ends_with("*");
      const std::string stem = wildcard ? h.substr(0, h.size() - 1) : h;
      EXPECT_TRUE(std::any_of(defined.begin(), defined.end(), [&](const std::string& d) {
        return wildcard ? d.starts_with(stem) : d == stem;
      })) << "hide labels, " << h << ": no such selection";
    }
    if (!test::have_program("/usr/bin/python3") ||
        std::system("/usr/bin/python3 -c 'import pymol' >/dev/null 2>&1") != 0)
      GTEST_SKIP() << "PyMOL is not installed";
    const std::string cmd = "cd '" + dir_.string() + "' && /usr/bin/python3 -m pymol -cq " + script +
                            " -d 'print(\"C1_LABELS\", cmd.count_atoms(\"c1_prime and rep labels\"))'"
                            " >pymol.log 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << read("pymol.log");
    const std::string log = read("pymol.log");
    EXPECT_FALSE(test::has_text(log, "Error")) << log;
    EXPECT_TRUE(test::has_text(log, labels ? "C1_LABELS 76" : "C1_LABELS 0")) << log;
  }
}

// No nucleotide to set the top view: the log says so, status 0.
TEST_F(OneShotTask, top_view_without_nucleotides) {
  copy_data("1crn.pdb");
  test::exe_result r = run("-i=1crn.pdb --top-view-file -o=t.pdb");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(r.err, "No nucleotides found in 1crn.pdb to set top view"));
}

// The information lists write only the parts whose bit is set; the simple
// PDB writes nucleotides under one-letter names as ATOM records.
TEST_F(OneShotTask, info_list_bits_and_simple_pdb) {
  copy_data("1ehz.pdb");
  test::exe_result r = run("-i=1ehz.pdb --info-list=3 -o=i.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string text = read("i.txt");
  EXPECT_TRUE(test::has_text(text, "# List of atoms"));
  EXPECT_TRUE(test::has_text(text, "# List of residues"));
  EXPECT_FALSE(test::has_text(text, "# List of chains"));
  EXPECT_FALSE(test::has_text(text, "# List of frames"));
  r = run("-i=1ehz.pdb --simple-pdb -o=s.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  std::set<std::string> names;
  for (const std::string& line : test::lines_of(read("s.pdb"))) {
    if (line.starts_with("HETATM") && line.substr(17, 2) == "  ") ADD_FAILURE() << line;
    if (line.starts_with("ATOM")) names.insert(line.substr(17, 3));
  }
  // PSU and 5MU have their own standard letters (P, T); H2U, 2MG, ... are gone
  EXPECT_EQ(names, (std::set<std::string>{"  A", "  C", "  G", "  P", "  T", "  U"}));
}

// OP1/OP2 swapped in one residue are put back and the residue is named.
TEST_F(OneShotTask, check_op_swaps_misnamed_phosphate_oxygens) {
  std::string text = test::read_file(test::test_data("1ehz.pdb"));
  // swap the two names in residue 10 of chain A
  std::istringstream in(text);
  std::ostringstream out;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("ATOM") && line.substr(22, 4) == "  10") {
      if (line.substr(12, 4) == " OP1") line.replace(12, 4, " OP2");
      else if (line.substr(12, 4) == " OP2") line.replace(12, 4, " OP1");
    }
    out << line << "\n";
  }
  write("s.pdb", out.str());
  test::exe_result r = run("-i=s.pdb --check-op -o=c.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::has_text(r.err, "OP1/OP2 labeling of")) << r.err;
  EXPECT_TRUE(test::has_text(r.err, "does not conform to convention"));
  long reported = 0;
  for (const std::string& line : test::lines_of(r.err)) reported += test::has_text(line, "OP1/OP2 labeling");
  EXPECT_EQ(reported, 1);
}

}  // namespace
}  // namespace vask
