// The composite sub-command's binding-site mode: a protein-DNA template
// (I-PpoI on DNA, 20 pairs) joined to built DNA by child runs of the
// executable, the script that repeats them, and the mutation and ensemble
// steps.
#include "model_run.hpp"
#include "support/process.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

namespace vask {
namespace {

using test::exe_result;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct pdb_atom {
  char chain = ' ';
  long res = 0;
  std::string res_name, name, segid, element;
  double x = 0, y = 0, z = 0;
};

double dist(const pdb_atom& a, const pdb_atom& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

std::string field(const std::string& line, std::size_t at, std::size_t n) {
  std::string f = line.size() > at ? line.substr(at, n) : "";
  f.erase(0, f.find_first_not_of(' '));
  f.erase(f.find_last_not_of(' ') + 1);
  return f;
}

// The ATOM/HETATM records of the first model.
std::vector<pdb_atom> read_atoms(const std::string& pdb) {
  std::vector<pdb_atom> atoms;
  std::istringstream in(pdb);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("ENDMDL", 0) == 0) break;
    if (line.rfind("ATOM", 0) != 0 && line.rfind("HETATM", 0) != 0) continue;
    pdb_atom a;
    a.chain = line[21];
    a.res = std::atol(line.substr(22, 4).c_str());
    a.res_name = field(line, 17, 3);
    a.name = field(line, 12, 4);
    a.segid = field(line, 72, 4);
    a.element = field(line, 76, 2);
    a.x = std::atof(line.substr(30, 8).c_str());
    a.y = std::atof(line.substr(38, 8).c_str());
    a.z = std::atof(line.substr(46, 8).c_str());
    atoms.push_back(a);
  }
  return atoms;
}

// Residue number -> atom name -> atom, for one chain.
std::map<long, std::map<std::string, pdb_atom>> chain_residues(const std::vector<pdb_atom>& atoms, char chain) {
  std::map<long, std::map<std::string, pdb_atom>> res;
  for (const pdb_atom& a : atoms)
    if (a.chain == chain) res[a.res][a.name] = a;
  return res;
}

class CompositeBuild : public test::ModelRun {
 protected:
  // 1a73 under a name a shell would split and run: "sub/t;$(id>PWNED)'q.cif".
  std::string shell_named_template() {
    std::filesystem::create_directory(dir_ / "sub");
    const std::string name = "sub/t;$(id>PWNED)'q.cif";
    std::filesystem::copy_file(test::test_data("1a73-assembly-1.cif"), dir_ / name);
    return name;
  }
  std::string sequence_of(const std::vector<pdb_atom>& atoms, char chain) {
    std::string seq;
    for (const auto& [num, res] : chain_residues(atoms, chain)) seq += res.begin()->second.res_name.back();
    return seq;
  }
};

// The built DNA (no segment id) around the template (T001): bonded joins,
// no DNA-DNA clash, and protein contacts only next to the template's ends.
void check_joined_model(const std::vector<pdb_atom>& atoms, long length) {
  std::vector<pdb_atom> built, template_nts, protein;
  for (const pdb_atom& a : atoms) {
    if (a.element == "H") continue;
    if (a.segid.empty())
      built.push_back(a);
    else if (a.chain == 'X' || a.chain == 'Y')
      template_nts.push_back(a);
    else
      protein.push_back(a);
  }
  ASSERT_FALSE(built.empty());
  ASSERT_FALSE(template_nts.empty());
  ASSERT_FALSE(protein.empty());
  std::map<char, std::vector<long>> join_residues;  // built residues next to the template
  for (const char chain : {'X', 'Y'}) {
    const auto res = chain_residues(atoms, chain);
    ASSERT_EQ(static_cast<long>(res.size()), length) << chain;
    for (long k = 1; k < length; ++k) {
      const auto& a = res.at(k);
      const auto& b = res.at(k + 1);
      const bool built_a = a.begin()->second.segid.empty(), built_b = b.begin()->second.segid.empty();
      if (!built_a && !built_b) continue;  // the template's own steps (it has nicks)
      ASSERT_TRUE(a.count("O3'") && b.count("P")) << chain << k;
      const double d = dist(a.at("O3'"), b.at("P"));
      if (built_a && built_b) {
        EXPECT_NEAR(d, 1.60, 0.06) << chain << k;  // regular B-DNA
      } else {
        EXPECT_GT(d, 1.2) << "join " << chain << k;
        EXPECT_LT(d, 2.2) << "join " << chain << k;
        join_residues[chain].push_back(built_a ? k : k + 1);
      }
    }
    EXPECT_EQ(join_residues[chain].size(), 2u) << chain;  // one join at each template end
  }
  // no built atom within 2.5 A of a nucleotide atom that is not on the same
  // or a neighbouring residue of its strand
  std::vector<pdb_atom> nts = template_nts;
  nts.insert(nts.end(), built.begin(), built.end());
  for (const pdb_atom& a : built) {
    for (const pdb_atom& b : nts) {
      if (a.chain == b.chain && std::labs(a.res - b.res) <= 1) continue;
      EXPECT_GE(dist(a, b), 2.5) << a.chain << a.res << a.name << " " << b.chain << b.res << b.name;
    }
  }
  // the protein's side chains reach past the template's DNA: the only close
  // contacts are with the built residue at a join and its neighbour
  for (const pdb_atom& a : built)
    for (const pdb_atom& p : protein) {
      if (dist(a, p) >= 2.2) continue;
      bool near_join = false;
      for (long j : join_residues[a.chain]) near_join = near_join || std::labs(a.res - j) <= 1;
      EXPECT_TRUE(near_join) << a.chain << a.res << a.name << " and protein " << p.chain << p.res << p.name;
    }
}

TEST_F(CompositeBuild, TemplateJoinedToBuiltDnaAndTheScriptRepeatsIt) {
  const std::string templ = shell_named_template();
  write("sites.txt", "# one site\n13:" + templ + "   # I-PpoI\n");
  const std::string model = "my model;$(id>PWNED2).pdb";
  // single quotes: the test's own shell must not run the name either
  exe_result r = run("composite --bind-file=sites.txt --seq='(ACGT)10A5' '-o=" + model + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(exists("PWNED"));
  EXPECT_FALSE(exists("PWNED2"));
  // the run log says what was done
  EXPECT_TRUE(has(r.err, "start=13    end=32    pdbfile=" + templ +
                             "  length=20    reverse=0  seq=TGACTCTCTTAAGAGAGTCA\n[i] 1 binding sites derived"));
  EXPECT_TRUE(has(r.err, "[i] length=45 seq=ACGTACGTACGTACGTACGTACGTACGTACGTACGTACGTAAAAA"));
  EXPECT_TRUE(has(r.err, " 1 conn=ACGTACGTACGT(12)  13...32 [20]  " + templ + "  reverse=0"));
  EXPECT_TRUE(has(r.err, "\ttail-connector=ACGTACGTAAAAA(13)"));
  EXPECT_TRUE(has(r.err, "Processing 1 binding sites\n\tbuilding site #1\n\tadding tail\n"
                         "\tassembling the duplex to chains X and Y\n\tcompleting backbone atoms\n"));
  // derived files carry the template's base name, made a single plain word,
  // with the extension of what they hold: PDB records, not mmCIF
  for (const char* derived : {"tidy-t___id_PWNED__q.pdb", "ref-t___id_PWNED__q.pdb"}) {
    const std::string pdb = read(derived);
    EXPECT_TRUE(pdb.rfind("ATOM  ", 0) == 0 || has(pdb, "\nATOM  ")) << derived;
    EXPECT_FALSE(has(pdb, "_atom_site.")) << derived;
  }
  EXPECT_FALSE(exists("tidy-t___id_PWNED__q.cif"));
  EXPECT_FALSE(exists("ref-t___id_PWNED__q.cif"));

  const std::string text = read(model);
  const std::string script = read("vask-composite.sh");
  std::filesystem::create_directory(dir_ / "again");
  std::filesystem::copy(dir_ / "sub", dir_ / "again" / "sub");
  std::filesystem::copy_file(dir_ / "vask-composite.sh", dir_ / "again" / "vask-composite.sh");
  const std::vector<pdb_atom> atoms = read_atoms(text);
  EXPECT_EQ(sequence_of(atoms, 'X'), "ACGTACGTACGTTGACTCTCTTAAGAGAGTCAACGTACGTAAAAA");
  check_joined_model(atoms, 45);

  // the tool itself sees one Watson-Crick duplex of 45 pairs (its run
  // clears earlier vask-* files: the script was copied away first)
  exe_result a = run("'-i=" + model + "' -o=check.out");
  ASSERT_EQ(a.status, 0) << a.err;
  const std::string report = read("check.out");
  EXPECT_TRUE(has(report, "List of 1 helix"));
  EXPECT_TRUE(has(report, "bps=45\n"));
  EXPECT_TRUE(has(report, "strand-1 5'-ACGTACGTACGTTGACTCTCTTAAGAGAGTCAACGTACGTAAAAA-3'"));
  EXPECT_TRUE(has(report, "bp-type    |||||||||||||||||||||||||||||||||||||||||||||\n"));

  // gemmi reads the model
  if (std::system("/usr/bin/python3 -c 'import gemmi' >/dev/null 2>&1") != 0) {
    test::oracle_missing("python3-gemmi not installed: the composite model is not read back by gemmi");
  } else {
    write("g.py", "import gemmi, sys\nst = gemmi.read_structure(sys.argv[1])\n"
                  "print(len(st[0]['X']), len(st[0]['Y']), st[0].count_atom_sites())\n");
    const std::string cmd = "cd '" + dir_.string() + "' && /usr/bin/python3 g.py '" + model + "' >g.txt 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << read("g.txt");
    EXPECT_EQ(read("g.txt"), "45 45 " + std::to_string(atoms.size()) + "\n");
  }

  // the script, run by sh in a fresh folder, writes the same model
  EXPECT_TRUE(has(script, "# initialization -- create empty file 'ref-head.pdb'\nrm -f ref-head.pdb\ntouch ref-head.pdb\n"));
  EXPECT_TRUE(has(script, "belqo-vask tasks --silent '-i=" + std::string("sub/t;$(id>PWNED)'\\''q.cif'") +
                              " --check-ds --segid=T001 -o=tidy-t___id_PWNED__q.pdb\n"));
  EXPECT_TRUE(has(script, "belqo-vask fiber --silent --seq=GACGTACGTACGTG -o=conn.pdb\n"));
  EXPECT_TRUE(has(script, "belqo-vask tasks --silent -i=final-duplexXY.pdb --seal-backbone '-o=" + model + "'\n"));
  // the script names this executable by its own path: sh runs it without
  // belqo-vask on PATH, as from a build tree
  const std::string self = shell_quoted(std::filesystem::canonical(VASK_EXE).string());
  EXPECT_TRUE(has(script, "\n" + self + " fiber --silent --seq=GACGTACGTACGTG -o=conn.pdb\n")) << script;
  EXPECT_FALSE(has(script, "\nbelqo-vask ")) << script;
  const std::string cmd = "cd '" + (dir_ / "again").string() + "' && PATH=/usr/bin:/bin sh vask-composite.sh >sh.out 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << read("again/sh.out");
  EXPECT_EQ(read("again/" + model), text);
  EXPECT_FALSE(exists("again/PWNED"));
  EXPECT_FALSE(exists("again/PWNED2"));
}

TEST_F(CompositeBuild, MutatedEnsembleOnStandardOutput) {
  copy_data("1a73-assembly-1.cif");
  exe_result r = run("composite --bind=5:1a73-assembly-1.cif --seq='(ACGT)8' --mut --sepa");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.err, "\tmutating bases to match input sequence\n"));
  EXPECT_TRUE(has(r.err, "source=ACGTTGACTCTCTTAAGAGAGTCAACGTACGT\ntarget=ACGTACGTACGTACGTACGTACGTACGTACGT\n"));
  EXPECT_TRUE(has(r.err, "\tseparating templates into a MODEL/ENDMDL ensemble\n"));
  EXPECT_FALSE(exists("stdout"));
  const std::string script = read("vask-composite.sh");
  EXPECT_TRUE(has(script, "#\tmutating bases per input sequence --> stdout\n"));
  EXPECT_TRUE(has(script, "#\tseparating templates into an ensemble --> stdout\n"));

  // standard output holds the ensemble: the duplex, then the template
  const std::string& out = r.out;
  ASSERT_TRUE(has(out, "MODEL        1\nREMARK    the duplex\n")) << out.substr(0, 200);
  const auto second = out.find("MODEL        2\nREMARK    from template 1a73-assembly-1.cif\n");
  ASSERT_NE(second, std::string::npos);
  const std::vector<pdb_atom> duplex = read_atoms(out);
  EXPECT_EQ(sequence_of(duplex, 'X'), "ACGTACGTACGTACGTACGTACGTACGTACGT");
  // each pair is Watson-Crick again: strand 2 runs antiparallel
  const auto x = chain_residues(duplex, 'X'), y = chain_residues(duplex, 'Y');
  ASSERT_EQ(x.size(), 32u);
  ASSERT_EQ(y.size(), 32u);
  const std::map<char, char> complement{{'A', 'T'}, {'C', 'G'}, {'G', 'C'}, {'T', 'A'}};
  for (long k = 1; k <= 32; ++k)
    EXPECT_EQ(y.at(33 - k).begin()->second.res_name.back(), complement.at(x.at(k).begin()->second.res_name.back()))
        << k;
  const std::vector<pdb_atom> templ = read_atoms(out.substr(second + 15));
  ASSERT_FALSE(templ.empty());
  for (const pdb_atom& a : templ) ASSERT_EQ(a.segid, "T001");
}

// A line break in the output name cannot end a comment of the script: sh,
// running it, finds no command in the name.
TEST_F(CompositeBuild, OutputNameWithLineBreaksStaysInTheScriptComments) {
  copy_data("1a73-assembly-1.cif");
  const std::string model = "m\ntouch INJECTED\n.pdb";
  exe_result r = run("composite --bind=5:1a73-assembly-1.cif --seq='(ACGT)8' --mut --sepa '-o=" + model + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string script = read("vask-composite.sh");
  EXPECT_TRUE(has(script, "#\tmutating bases per input sequence --> m?touch INJECTED?.pdb\n")) << script;
  EXPECT_TRUE(has(script, "#\tseparating templates into an ensemble --> m?touch INJECTED?.pdb\n"));
  EXPECT_TRUE(has(script, " '-o=m\ntouch INJECTED\n.pdb'\n"));
  std::filesystem::create_directory(dir_ / "again");
  std::filesystem::copy_file(dir_ / "1a73-assembly-1.cif", dir_ / "again" / "1a73-assembly-1.cif");
  std::filesystem::copy_file(dir_ / "vask-composite.sh", dir_ / "again" / "vask-composite.sh");
  const std::string exe_dir = std::filesystem::path(VASK_EXE).parent_path().string();
  const std::string cmd = "cd '" + (dir_ / "again").string() + "' && PATH='" + exe_dir +
                          "':\"$PATH\" sh vask-composite.sh >sh.out 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << read("again/sh.out");
  EXPECT_FALSE(exists("again/INJECTED"));
  EXPECT_FALSE(exists("INJECTED"));
  EXPECT_TRUE(exists("again/" + model));
}

TEST_F(CompositeBuild, SitesAfterTheirConnectorsWithoutASequence) {
  copy_data("1a73-assembly-1.cif");
  std::filesystem::create_directory(dir_ / "in");
  std::filesystem::copy_file(test::test_data("1a73-assembly-1.cif"), dir_ / "in" / "b.cif");
  exe_result r = run("composite '--bind=(AC)2:1a73-assembly-1.cif;GGGGGGGGGG:in/b.cif:reverse' --tail=T3 "
                     "--cmd-file=steps.sh -o=two.pdb");
  ASSERT_EQ(r.status, 0) << r.err;
  // input order kept; each site follows its connector
  EXPECT_TRUE(has(r.err, " 1 conn=ACAC(4)  5...24 [20]  1a73-assembly-1.cif  reverse=0"));
  EXPECT_TRUE(has(r.err, " 2 conn=GGGGGGGGGG(10)  35...54 [20]  in/b.cif  reverse=1"));
  EXPECT_TRUE(has(r.err, "\ttail-connector=TTT(3)\n"));
  EXPECT_TRUE(has(r.err, "[i] length=57 seq=ACAC"));
  EXPECT_FALSE(exists("vask-composite.sh"));
  const std::string script = read("steps.sh");
  EXPECT_TRUE(has(script, "# iteration #2: start=35"));
  EXPECT_TRUE(has(script, "belqo-vask tasks --silent -i=in/b.cif --check-ds=-1 --segid=T002 -o=tidy-b.pdb\n"));
  EXPECT_TRUE(has(script, "belqo-vask fiber --silent --seq=GTTT -o=tail.pdb\n"));
  const std::vector<pdb_atom> atoms = read_atoms(read("two.pdb"));
  EXPECT_EQ(chain_residues(atoms, 'X').size(), 57u);
  EXPECT_EQ(chain_residues(atoms, 'Y').size(), 57u);
  // the second template enters by its other strand: strand X reads its
  // strand 2 (the site is palindromic, so the same letters)
  EXPECT_EQ(sequence_of(atoms, 'X').substr(34, 20), "TGACTCTCTTAAGAGAGTCA");
}

TEST_F(CompositeBuild, IdealTemplateJoinsSeamlesslyEitherWay) {
  // a template that is regular B-DNA itself: every join is a regular step
  ASSERT_EQ(run("fiber --seq=AACCCGTTAG -o=np.pdb").status, 0);
  const struct {
    const char* bind;
    const char* strand1;
  } cases[] = {{"AAAA:np.pdb", "AAAAAACCCGTTAGTTTT"},
               {"AAAA:np.pdb:reverse", "AAAACTAACGGGTTTTTT"}};  // entered by its strand 2
  for (const auto& c : cases) {
    exe_result r = run(std::string("composite --bind=") + c.bind + " --tail=TTTT -o=m.pdb");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.err, std::string("[i] length=18 seq=") + c.strand1 + "\n")) << c.bind;
    const std::vector<pdb_atom> atoms = read_atoms(read("m.pdb"));
    EXPECT_EQ(sequence_of(atoms, 'X'), c.strand1) << c.bind;
    for (const char chain : {'X', 'Y'}) {
      const auto res = chain_residues(atoms, chain);
      ASSERT_EQ(res.size(), 18u) << c.bind << chain;
      for (long k = 1; k < 18; ++k)
        EXPECT_NEAR(dist(res.at(k).at("O3'"), res.at(k + 1).at("P")), 1.60, 0.03) << c.bind << chain << k;
    }
    EXPECT_TRUE(has(r.err, "[i] 4 junction links measured, 0 outside 1.4-1.8 A\n")) << r.err;
  }
}

// Joining superposes terminal pairs and leaves the backbone alone: with a
// crystal template (1bna) the junctions come out far from a bond, and each
// is named on the run log with the length the model file shows; the regular
// steps inside the built duplexes are no junctions.
TEST_F(CompositeBuild, JunctionsOutsideBondLengthsAreNamed) {
  std::filesystem::copy_file(test::test_data("1bna.pdb"), dir_ / "site.pdb");
  for (const char* output : {"-o=m.pdb", ""}) {
    SCOPED_TRACE(output);
    exe_result r = run(std::string("composite --bind=13:site.pdb --seq='(ACGT)10A5' ") + output);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<pdb_atom> atoms = read_atoms(*output ? read("m.pdb") : r.out);
    long junctions = 0, off = 0;
    for (const char chain : {'X', 'Y'}) {
      const auto res = chain_residues(atoms, chain);
      ASSERT_EQ(res.size(), 45u);
      for (long k = 1; k < 45; ++k) {
        const auto& a = res.at(k);
        const auto& b = res.at(k + 1);
        if (a.begin()->second.segid == b.begin()->second.segid) continue;
        ++junctions;
        const double d = dist(a.at("O3'"), b.at("P"));
        const std::string label = std::string(1, chain) + "." + a.begin()->second.res_name + std::to_string(k) +
                                  " -> " + chain + "." + b.begin()->second.res_name + std::to_string(k + 1);
        char length[32];
        std::snprintf(length, sizeof length, "%.2f A", d);
        const bool named = has(r.err, "[w] junction " + label + ": O3'-P " + length + ", outside 1.4-1.8 A\n");
        EXPECT_EQ(named, d < 1.4 || d > 1.8) << label << " " << d << "\n" << r.err;
        off += d < 1.4 || d > 1.8;
      }
    }
    EXPECT_EQ(junctions, 4);  // each strand enters and leaves the template
    EXPECT_GT(off, 0);
    EXPECT_TRUE(has(r.err, "[i] 4 junction links measured, " + std::to_string(off) + " outside 1.4-1.8 A\n"))
        << r.err;
  }
}

TEST_F(CompositeBuild, TemplatesNamedLikeIntermediateFiles) {
  std::filesystem::create_directory(dir_ / "in");
  ASSERT_EQ(run("fiber --seq=AACCCGTTAG -o=in/head.pdb").status, 0);
  std::filesystem::copy_file(dir_ / "in/head.pdb", dir_ / "in/head.cif");
  // its derived files must not be the running head (ref-head.pdb), also
  // once an mmCIF extension has become ".pdb"
  exe_result r;
  for (const char* templ : {"in/head.pdb", "in/head.cif"}) {
    std::filesystem::remove(dir_ / "ref-template-head.pdb");
    r = run(std::string("composite --bind=AAAA:") + templ + " --tail=TTTT -o=m.pdb");
    ASSERT_EQ(r.status, 0) << templ << r.err;
    EXPECT_TRUE(exists("ref-template-head.pdb")) << templ;
    EXPECT_EQ(chain_residues(read_atoms(read("m.pdb")), 'X').size(), 18u) << templ;
  }
  EXPECT_TRUE(has(read("vask-composite.sh"), "-o=tidy-template-head.pdb\n"));
  // a template the assembly would overwrite is refused before any child runs
  for (const char* name : {"head.pdb", "ref-head.pdb", "final-raw.pdb", "cnSite.pdb"}) {
    std::filesystem::remove(dir_ / "vask-composite.sh");
    std::filesystem::copy_file(dir_ / "in/head.pdb", dir_ / name, std::filesystem::copy_options::overwrite_existing);
    const std::string before = read(name);
    r = run(std::string("composite '--bind=AAAA:") + name + "' -o=m2.pdb");
    EXPECT_EQ(r.status, 1) << name;
    EXPECT_TRUE(has(r.err, std::string("[e] template ") + name +
                               " would be overwritten by an intermediate file of the same name\n"))
        << r.err;
    EXPECT_EQ(read(name), before) << name;
    EXPECT_FALSE(exists("vask-composite.sh")) << name;
  }
}

}  // namespace
}  // namespace vask
