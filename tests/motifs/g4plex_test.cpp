// G-quadruplexes: the ONZ rule, tetrad shapes, the interface names, the G4
// list file, and whole runs on quadruplexes of known fold.
#include "motifs/g4plex.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "json_check.hpp"
#include "motifs/motif_fixture.hpp"
#include "structure/residue.hpp"
#include "support/error.hpp"
#include "support/settings.hpp"

namespace vask {
namespace {

using G4Test = test::MotifTest;

TEST(GtetradRules, onz_class_of_every_order) {
  const struct {
    std::array<long, 5> g;
    const char* direction;
    const char* want;
  } cases[] = {
      {{0, 10, 40, 25, 55}, "WC-->Major", "Z+"},  // a = 40, b = 25, c = 55
      {{0, 10, 20, 30, 40}, "WC-->Major", "O+"},
      {{0, 10, 40, 30, 20}, "WC-->Major", "O-"},
      {{0, 10, 20, 40, 30}, "WC-->Major", "N+"},
      {{0, 10, 30, 40, 20}, "WC-->Major", "N-"},
      {{0, 10, 30, 20, 40}, "WC-->Major", "Z+"},
      {{0, 10, 40, 20, 30}, "WC-->Major", "Z-"},
      {{0, 30, 40, 10, 20}, "WC-->Major", "O+"},  // the smallest index need not be G1
      // Major-->WC is read with G2 and G4 swapped
      {{0, 10, 40, 30, 20}, "Major-->WC", "O+"},
      {{0, 10, 55, 25, 40}, "Major-->WC", "Z+"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.g[1]) + " " + std::to_string(c.g[2]) + " " + std::to_string(c.g[3]) + " " +
                 std::to_string(c.g[4]) + " " + c.direction);
    EXPECT_EQ(get_ONZ_class(c.g, c.direction), c.want);
  }
}

TEST(GtetradRules, shapes_by_planarity_buckle_and_propeller) {
  const struct {
    double planarity;
    std::array<double, 5> b, p;
    const char* want;
  } cases[] = {
      {0.16, {0, 20, 20, 20, 20}, {0, 1, 1, 1, 1}, "planar"},  // 0.16 exactly is planar
      {0.30, {0, 9, 9, 9, 9}, {0, 1, 1, 1, 1}, "other"},       // mean Buckle 9.0 is no bowl
      {0.30, {0, 9, 9, 9, 9.1}, {0, 1, 1, 1, 1}, "bowl"},
      {0.30, {0, 0, 0, 0, 0}, {0, 1, -1, 1, -1}, "bowl-2"},
      {0.30, {0, -1, 1, -1, 1}, {0, -2, 2, -2, 2}, "saddle"},
      {0.30, {0, -1, 1, -1, 1}, {0, 2, -2, 2, -2}, "other"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.want);
    EXPECT_EQ(get_Gtetrad_shape(c.planarity, c.b, c.p), c.want);
  }
}

TEST(G4Interfaces, coaxial_code_names) {
  EXPECT_EQ(get_interface_typeStr(63), "3'/5'");
  EXPECT_EQ(get_interface_typeStr(-63), "3'/5'-SEPARATED");
  EXPECT_EQ(get_interface_typeStr(65), "mixed");
  EXPECT_EQ(get_interface_typeStr(61), "5'/5'");
}

TEST(G4Topology, names_from_loop_codes_and_strand_directions) {
  struct_mol mol;
  auto stem_with = [](const char* dirs, std::vector<std::array<long, 3>> loops) {
    g4plex s;
    s.num_layers = 3;
    s.single_chain = 1;
    s.directions = dirs;
    for (long k = 1; k <= 3; ++k) {
      gtetrad t;
      t.groove = "-wn-";
      s.layers.push_back(t);
    }
    for (const auto& l : loops) {
      g4loop lp;
      lp.from = l[0];
      lp.to = l[1];
      lp.type = l[2];
      s.loops.push_back(lp);
    }
    s.num_loops = static_cast<long>(loops.size());
    return s;
  };
  // three propellers 1->2, 2->3, 3->4 of a single-chain parallel stem
  g4plex par = stem_with("UUUU", {{1, 2, 3}, {2, 3, 3}, {3, 4, 3}});
  set_G4stem_topology(mol, par);
  EXPECT_EQ(par.descriptor, "3(-P-P-P)");
  EXPECT_EQ(par.topology, "parallel(4+0)");
  // the hybrid-1 order: propeller, then two laterals over wide and narrow grooves
  g4plex hyb = stem_with("UUDU", {{1, 2, 3}, {2, 3, 1}, {3, 4, 1}});
  set_G4stem_topology(mol, hyb);
  EXPECT_EQ(hyb.descriptor, "3(-P-Lw-Ln)");
  EXPECT_EQ(hyb.topology, "hybrid-1(3+1)");
  // a two-chain stem: no descriptor, only "parallel" may be named
  g4plex two = stem_with("UDUD", {{1, 2, 1}});
  two.single_chain = 0;
  set_G4stem_topology(mol, two);
  EXPECT_EQ(two.descriptor, "");
  EXPECT_EQ(two.topology, "(2+2)");
  // every layer "-" at the reference strand: letter m and the groove warning
  g4plex m = stem_with("UDUD", {{1, 2, 1}});
  for (long k = 1; k <= 3; ++k) m.layers[static_cast<size_t>(k)].groove = "----";
  test::log_capture log(true);
  set_G4stem_topology(mol, m);
  EXPECT_EQ(m.descriptor, "3(-Lm)");
  EXPECT_NE(log.prg_text().find("[w] lateral loop: groove width"), std::string::npos);
}

// 2hy9: human telomeric d[AAA(GGGTTA)3GGGAA] in K+, the hybrid-1 (3+1) fold:
// three tetrads, one propeller loop followed by two lateral loops, with the
// third strand running against the other three.
TEST_F(G4Test, telomeric_hybrid1_of_2hy9) {
  load("2hy9.cif");
  g4_results r;
  test::log_capture log;
  find_G4plexes(mol_, num_pairs_, pairs_, r);
  ASSERT_EQ(r.num_tetrads, 3);
  ASSERT_EQ(r.num_helices, 1);
  ASSERT_EQ(r.num_stems, 1);
  EXPECT_EQ(r.num_isolated, 0);
  const g4plex& s = r.stems[1];
  EXPECT_EQ(s.num_layers, 3);
  EXPECT_EQ(s.directions, "UUDU");
  EXPECT_EQ(s.orientation, "hybrid-(mixed)");
  EXPECT_EQ(s.descriptor, "3(-P-Lw-Ln)");
  EXPECT_EQ(s.topology, "hybrid-1(3+1)");
  ASSERT_EQ(s.num_loops, 3);
  EXPECT_EQ(std::string(G4LOOP_Types[s.loops[1].type]), "propeller");
  // strand 1 is G4-G6, the first G-tract, in layer order
  EXPECT_EQ(numbers(s.strands[1].nts), (std::vector<long>{4, 5, 6}));
  for (long k = 1; k <= 3; ++k) {
    const gtetrad& t = s.layers[static_cast<size_t>(k)];
    EXPECT_EQ(t.shape, "planar");
    EXPECT_LT(t.rmsd, 1.0);
    // the glycosidic text matches the direction of the H-bond cycle
    EXPECT_EQ(t.direction, t.glyco[0] == 's' ? "Major-->WC" : "WC-->Major") << k;
  }
  // stacked layers about 3.3 A apart with a right-handed twist
  for (long k = 1; k <= 2; ++k) {
    EXPECT_NEAR(s.steps[static_cast<size_t>(k)].pars[3], 3.2, 0.4);
    EXPECT_GT(s.steps[static_cast<size_t>(k)].pars[6], 10.0);
  }
  for (long k = 1; k <= 3; ++k)
    for (long m = 1; m <= 4; ++m) EXPECT_EQ(mol_.residues[s.layers[static_cast<size_t>(k)].nts[m]].flag[rf::g4_stem], 1);
}

// Folds known from the literature, each read from the file's first model.
TEST_F(G4Test, folds_of_known_quadruplexes) {
  const struct {
    const char* file;
    long tetrads, stems;
    const char* topology;  // of the first stem
  } cases[] = {
      {"2km3-assembly1.cif", 2, 1, "chair(2+2)"},           // CTAGGG telomeric variant, chair fold
      {"7dju-assembly-1.cif", 3, 1, "hybrid-1(3+1)"},       // Myc1234: hybrid, one propeller
      {"5v3f-assembly1.cif", 6, 2, "parallel(4+0)"},        // RNA Mango: two parallel stems
      {"2ms9.cif", 4, 1, "parallel(4+0)"},                  // left-handed parallel G4
      {"1i34-assembly1.cif", 2, 1, "(2+2)"},                // diagonal and double-chain-reversal loops
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    mol_ = struct_mol{};
    load(c.file);
    g4_results r;
    test::log_capture log;
    find_G4plexes(mol_, num_pairs_, pairs_, r);
    EXPECT_EQ(r.num_tetrads, c.tetrads);
    ASSERT_EQ(r.num_stems, c.stems);
    EXPECT_EQ(r.stems[1].topology, c.topology);
  }
}

TEST_F(G4Test, parallel_mango_has_three_propellers_and_right_handed_steps) {
  load("5v3f-assembly1.cif");
  g4_results r;
  test::log_capture log;
  mutable_gvars().g4[9] = 1;  // bind metals
  find_G4plexes(mol_, num_pairs_, pairs_, r);
  ASSERT_EQ(r.num_stems, 2);
  // one helix of the two stacked molecules: five K+ ions between its six
  // layers, three along each stem; the stems meet 5' face to 5' face
  ASSERT_EQ(r.num_helices, 1);
  EXPECT_EQ(static_cast<long>(r.helices[1].metals.size()) - 1, 5);
  EXPECT_EQ(static_cast<long>(r.stems[1].metals.size()) - 1, 3);
  EXPECT_EQ(r.num_costacks, 1);
  ASSERT_EQ(r.helices[1].coax_codes.size(), 2u);
  EXPECT_EQ(get_interface_typeStr(r.helices[1].coax_codes[1]), "5'/5'");
  for (long t = 1; t <= 2; ++t) {
    const g4plex& s = r.stems[static_cast<size_t>(t)];
    EXPECT_EQ(s.descriptor, "3(-P-P-P)");
    EXPECT_EQ(s.all_parallel, 1);
    EXPECT_GT(s.ave_twist, 0.0);
  }
}

TEST_F(G4Test, list_file_is_sized_by_its_lines) {
  load("2hy9.cif");
  auto line = [this](long a, long b, long c, long d) {
    return std::to_string(res("1", a)) + " " + std::to_string(res("1", b)) + " " + std::to_string(res("1", c)) + " " +
           std::to_string(res("1", d)) + "\n";
  };
  // six usable lines, more than the structure's G4 pairs would make room for
  std::string text = "# tetrads\n\n1 2 3\n" + line(4, 10, 18, 22);
  for (long k : {5, 6, 7, 8}) text += line(4, 10, 18, k);
  text += line(1, 2, 3, 7) + "---\n1 2 3 4\n";
  FILE* fp = fmemopen(text.data(), text.size(), "r");
  ASSERT_NE(fp, nullptr);
  long n = 0;
  std::vector<gtetrad> tetrads;
  test::log_capture log;
  read_G4_list_stream(fp, "g4.txt", mol_, n, tetrads);
  std::fclose(fp);
  EXPECT_EQ(n, 6);
  ASSERT_EQ(static_cast<long>(tetrads.size()), 7);
  EXPECT_NE(log.text().find("[w] ignore line: 1 2 3 [not 4 integers]"), std::string::npos) << log.text();
  EXPECT_NE(log.text().find("[not all *guanines*]"), std::string::npos);
  EXPECT_NE(log.text().find("\tskip the rest of the input file\n"), std::string::npos);
  // the order given is kept
  EXPECT_EQ(tetrads[1].nts[1], res("1", 4));
  EXPECT_EQ(tetrads[1].nts[4], res("1", 22));
}

// A list repeating one tetrad took cubic time to order its copies (4,000
// lines: two minutes) and made helices of a tetrad on its own copy; a list is
// also bounded.
TEST_F(G4Test, list_file_keeps_each_tetrad_once_and_is_bounded) {
  load("2hy9.cif");
  const std::string real = std::to_string(res("1", 4)) + " " + std::to_string(res("1", 10)) + " " +
                           std::to_string(res("1", 18)) + " " + std::to_string(res("1", 22));
  const std::string turned = std::to_string(res("1", 22)) + " " + std::to_string(res("1", 4)) + " " +
                             std::to_string(res("1", 18)) + " " + std::to_string(res("1", 10));
  const std::string once = std::to_string(res("1", 4)) + " " + std::to_string(res("1", 4)) + " " +
                           std::to_string(res("1", 18)) + " " + std::to_string(res("1", 22));
  std::string text = real + "\n";
  for (int k = 0; k < 5000; ++k) text += (k % 2 ? turned : real) + "\n";
  text += once + "\n";
  auto read = [this](std::string t, long& n) {
    FILE* fp = fmemopen(t.data(), t.size(), "r");
    ASSERT_NE(fp, nullptr);
    std::vector<gtetrad> tetrads;
    try {
      read_G4_list_stream(fp, "g4.txt", mol_, n, tetrads);
    } catch (...) {
      std::fclose(fp);
      throw;
    }
    std::fclose(fp);
  };
  long n = 0;
  {
    test::log_capture log;
    read(text, n);
    EXPECT_EQ(n, 1);
    EXPECT_NE(log.text().find("[w] ignore line: " + turned + " [repeated G-tetrad]\n"), std::string::npos);
    EXPECT_NE(log.text().find("[w] ignore line: " + once + " [repeated nt]\n"), std::string::npos);
  }
  // every set of four of the structure's first nucleotides, one per line
  std::string many;
  long lines = 0;
  for (long a = 1; a <= 20 && lines <= 256; ++a)
    for (long b = a + 1; b <= 20 && lines <= 256; ++b)
      for (long c = b + 1; c <= 20 && lines <= 256; ++c)
        for (long d = c + 1; d <= 20 && lines <= 256; ++d, ++lines)
          many += std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c) + " " + std::to_string(d) + "\n";
  ASSERT_EQ(lines, 257);
  try {
    read(many, n);
    ADD_FAILURE() << "a list of 257 tetrads was read";
  } catch (const fatal_error& e) {
    EXPECT_NE(std::string(e.what()).find("[e] g4.txt, line 257: more than 256 G-tetrads -- not read further"),
              std::string::npos)
        << e.what();
  }
  read(many.substr(0, many.rfind('\n', many.size() - 2) + 1), n);
  EXPECT_EQ(n, 256);
}

// Curves+ reads a namelist: a file name that would cut or extend it gets no
// Curves+ input, with a warning; the rest of the run goes on.
TEST_F(G4Test, curves_input_only_for_names_its_namelist_carries) {
  test::ExeRun exe({"2hy9.cif"});
  std::filesystem::copy_file(exe.path("2hy9.cif"), exe.path("g4 x,lis=y.cif"));
  ASSERT_EQ(exe.run("'-i=g4 x,lis=y.cif' -o=out.txt --G4=both,curves"), 0) << exe.file("stderr.txt");
  EXPECT_FALSE(exe.exists("vask-G4curves.inp"));
  EXPECT_NE((exe.file("stderr.txt") + exe.file("stdout.txt")).find("[w] no vask-G4curves.inp: the name 'g4 x,lis=y.cif'"),
            std::string::npos)
      << exe.file("stderr.txt");
  EXPECT_NE(exe.file("out.txt").find("List of 1 G4-helix\n"), std::string::npos);
}

TEST_F(G4Test, report_json_and_files_of_2hy9) {
  test::ExeRun exe({"2hy9.cif"});
  ASSERT_EQ(exe.run("-i=2hy9.cif -o=out.txt --G4=both,list,stack,curves,pymol,tetrad"), 0)
      << exe.file("stderr.txt");
  const std::string text = exe.file("out.txt");
  EXPECT_NE(text.find("List of 3 G-tetrads\n   1 glyco-bond="), std::string::npos) << text;
  EXPECT_NE(text.find("List of 1 G4-helix\n"), std::string::npos);
  EXPECT_NE(text.find("  helix#1[1] stems=[#1] layers=3 INTRA-molecular\n"), std::string::npos);
  EXPECT_NE(text.find("List of 1 G4-stem\n"), std::string::npos);
  EXPECT_NE(text.find("  stem#1[#1] layers=3 INTRA-molecular loops=3 descriptor=3(-P-Lw-Ln) "
                      "note=hybrid-1(3+1) UUDU hybrid-(mixed)\n"),
            std::string::npos);
  EXPECT_NE(text.find("    strand#1  U DNA glyco-bond="), std::string::npos);
  EXPECT_NE(text.find("    loop#1 type=propeller strands=[#1,#2] nts=3 TTA "), std::string::npos);
  for (const char* f : {"vask-G4helices.pdb", "vask-G4stems.pdb", "vask-G4lists.txt", "vask-G4stackings.pdb",
                        "vask-G4curves.inp", "vask-G4select.pml", "vask-Gtetrads.pdb"})
    EXPECT_TRUE(exe.exists(f)) << f;
  exe.expect_gemmi_models("vask-G4helices.pdb", 1);
  exe.expect_gemmi_models("vask-G4stems.pdb", 1);
  exe.expect_gemmi_models("vask-Gtetrads.pdb", 3);
  exe.expect_gemmi_models("vask-G4stackings.pdb", 2);
  EXPECT_NE(exe.file("vask-G4lists.txt").find("# G4-helix #1\n3\n"), std::string::npos);
  const std::string curves = exe.file("vask-G4curves.inp");
  EXPECT_NE(curves.find("&end\n4 1 1 -1 1\n"), std::string::npos) << curves;
  const std::string pml = exe.file("vask-G4select.pml");
  EXPECT_NE(pml.find("select G4core, "), std::string::npos);
  // Debian's pymol runs the system Python, so /usr/bin comes first on PATH
  const std::string pymol = "cd '" + exe.path("") + "' && env PATH=/usr/bin:/bin:\"$PATH\" pymol -cq ";
  std::FILE* probe = std::fopen(exe.path("probe.pml").c_str(), "w");
  ASSERT_NE(probe, nullptr);
  std::fputs("reinitialize\n", probe);
  std::fclose(probe);
  if (std::system((pymol + "probe.pml >/dev/null 2>&1").c_str()) == 0) {
    EXPECT_EQ(std::system((pymol + "vask-G4select.pml >pymol.txt 2>&1").c_str()), 0) << exe.file("pymol.txt");
    EXPECT_EQ(exe.file("pymol.txt").find("Error"), std::string::npos) << exe.file("pymol.txt");
  } else {
    test::oracle_missing("PyMOL is not installed or does not start here: the G4 selection script is not loaded");
  }

  ASSERT_EQ(exe.run("-i=2hy9.cif -o=out.json --json"), 0);
  const std::string js = exe.file("out.json");
  EXPECT_EQ(test::json_error(js), "");
  EXPECT_NE(js.find("\"num_Gtetrads\":3,\"Gtetrads\":[{\"index\":1,"), std::string::npos);
  EXPECT_EQ(js.find("\"G4stems\""), std::string::npos);  // only with --experimental
  ASSERT_EQ(exe.run("-i=2hy9.cif -o=exp.json --json --experimental"), 0);
  const std::string ex = exe.file("exp.json");
  EXPECT_EQ(test::json_error(ex), "");
  for (const char* key : {"\"G4helices\"", "\"G4stems\"", "\"step_features\"", "\"note\":\"hybrid-1(3+1)\""})
    EXPECT_NE(ex.find(key), std::string::npos) << key;
}

TEST_F(G4Test, raster3d_tetrad_and_step_frames_of_2hy9) {
  test::ExeRun exe({"2hy9.cif"});
  ASSERT_EQ(exe.run("-i=2hy9.cif --r3d-frame=G4,middle,helix,stem -o=f.r3d"), 0) << exe.file("stderr.txt");
  const std::string r3d = exe.file("f.r3d");
  EXPECT_NE(r3d.find("# G4 layer#3 frame: nts=4 GGGG "), std::string::npos) << r3d;
  EXPECT_NE(r3d.find("# G4 helix#1 middle frames: [num=2]\n#   step#1 frame: [GGGG "), std::string::npos);
  EXPECT_NE(r3d.find("# G4 stem#1 middle frames: [num=2]\n"), std::string::npos);
  EXPECT_EQ(exe.file("stderr.txt").find("not available yet"), std::string::npos);
}

// 2hy9's first layer: DG4 (syn), DG10, DG18, DG22; its second: DG5 (anti), DG11, DG17, DG23.
TEST_F(G4Test, syn_G1_swaps_G2_and_G4) {
  load("2hy9.cif");
  std::array<long, 5> wc{0, 4, 10, 18, 22};
  ASSERT_EQ(order_Gtetrad_wc2Major(wc, mol_), 1);
  EXPECT_EQ(wc[0], 1);
  std::array<long, 5> syn{0, 4, 10, 18, 22};
  ASSERT_EQ(order_Gtetrad(syn, mol_), 1);  // G1 syn: previous and next change places
  EXPECT_EQ(syn[2], wc[4]);
  EXPECT_EQ(syn[3], wc[3]);
  EXPECT_EQ(syn[4], wc[2]);
  std::array<long, 5> wc5{0, 5, 11, 17, 23}, anti{0, 5, 11, 17, 23};
  ASSERT_EQ(order_Gtetrad_wc2Major(wc5, mol_), 1);
  ASSERT_EQ(order_Gtetrad(anti, mol_), 1);  // G1 anti: unchanged
  EXPECT_EQ(anti, wc5);
  std::array<long, 5> broken{0, 4, 5, 18, 22};  // not a tetrad: order kept, flag 0
  EXPECT_EQ(order_Gtetrad_wc2Major(broken, mol_), 0);
  EXPECT_EQ(broken, (std::array<long, 5>{0, 4, 5, 18, 22}));
}

TEST_F(G4Test, connected_layers_turns_the_next_layer_by_one) {
  load("2hy9.cif");
  auto layer = [](std::array<long, 4> g) {
    gtetrad t;
    for (long x : g) t.nts.append(x);
    return t;
  };
  const gtetrad A = layer({4, 10, 18, 22});
  gtetrad B = layer({5, 11, 17, 23});  // position by position along the backbone
  EXPECT_EQ(connected_layers(A, B, mol_), 1);
  EXPECT_EQ(B.nts[1], 5);
  gtetrad turned = layer({11, 17, 23, 5});  // one position off: turned back
  EXPECT_EQ(connected_layers(A, turned, mol_), 1);
  EXPECT_EQ(numbers(turned.nts), (std::vector<long>{5, 11, 17, 23}));
  gtetrad across = layer({17, 23, 5, 11});  // two positions off: no backbone match
  EXPECT_EQ(connected_layers(A, across, mol_), 0);
}

}  // namespace
}  // namespace vask
