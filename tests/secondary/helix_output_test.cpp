// The helix, stem, isolated-pair and coaxial-stack sections end to end: the
// text and JSON reports of the executable, the helix and stem ensembles read
// back by gemmi, and structures of a list or an ensemble analysed each on
// its own.
#include <gtest/gtest.h>

#include <string>

#include "json_check.hpp"
#include "motifs/motif_fixture.hpp"

namespace vask {
namespace {

using test::ExeRun;

// The part of a report from the helix list up to the splayed-apart or
// nucleotide-feature section; empty without a helix list.
std::string helix_sections(const std::string& report) {
  size_t from = std::string::npos;
  for (size_t at = report.find("\nList of "); at != std::string::npos; at = report.find("\nList of ", at + 1)) {
    const size_t word = report.find(' ', at + 9);
    if (report.compare(word, 5, " heli") == 0) {
      from = at;
      break;
    }
  }
  if (from == std::string::npos) return {};
  size_t to = report.find("splayed-apart", from);
  if (to == std::string::npos) to = report.find("Summary of structural features", from);
  return report.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

long count_of(const std::string& text, const std::string& word) {
  long n = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

TEST(HelixReport, dodecamer_text_and_ensembles) {
  ExeRun exe({"1bna.pdb"});
  ASSERT_EQ(exe.run("-i=1bna.pdb -o=out.txt"), 0) << exe.file("stderr.txt");
  const std::string out = exe.file("out.txt");
  EXPECT_NE(out.find("\n" + std::string(76, '*') + "\nList of 1 helix\n"), std::string::npos) << out;
  EXPECT_NE(out.find("  helix#1[1] bps=12\n"
                     "      strand-1 5'-CGCGAATTCGCG-3'\n"
                     "       bp-type    ||||||||||||\n"
                     "      strand-2 3'-GCGCTTAAGCGC-5'\n"
                     "      helix-form  "),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("   1 A.DC1          B.DG24         C-G WC "), std::string::npos);
  EXPECT_NE(out.find("\nList of 1 stem\n"), std::string::npos);
  EXPECT_NE(out.find("  stem#1[#1] bps=12\n"), std::string::npos);
  EXPECT_EQ(out.find("isolated WC/wobble"), std::string::npos);
  EXPECT_EQ(out.find("Helix#"), std::string::npos);  // no coaxial stack
  EXPECT_NE(out.find("vask-stems.pdb -- an ensemble of stems\n"), std::string::npos);
  EXPECT_NE(out.find("vask-helices.pdb -- an ensemble of helices (coaxial stacking)\n"), std::string::npos);
  EXPECT_NE(exe.file("vask-helices.pdb").find("MODEL        1\nREMARK    model=1    bps=12\nATOM"),
            std::string::npos);
  exe.expect_gemmi_models("vask-helices.pdb", 1);
  exe.expect_gemmi_models("vask-stems.pdb", 1);

  // mmCIF ensembles: no MODEL or REMARK lines, still one model each
  ASSERT_EQ(exe.run("-i=1bna.pdb -o=out.txt --format-output=mmcif"), 0) << exe.file("stderr.txt");
  EXPECT_EQ(exe.file("vask-helices.cif").find("MODEL"), std::string::npos);
  exe.expect_gemmi_models("vask-helices.cif", 1);
  exe.expect_gemmi_models("vask-stems.cif", 1);

  // no auxiliary files: the sections stay, the ensembles go
  ASSERT_EQ(exe.run("-i=1bna.pdb -o=out.txt --auxfile=no"), 0) << exe.file("stderr.txt");
  EXPECT_NE(exe.file("out.txt").find("List of 1 helix"), std::string::npos);
  EXPECT_FALSE(exe.exists("vask-helices.pdb"));
  EXPECT_FALSE(exe.exists("vask-stems.pdb"));
}

TEST(HelixReport, tRNA_text_and_json) {
  ExeRun exe({"1ehz.pdb"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.txt"), 0) << exe.file("stderr.txt");
  const std::string out = exe.file("out.txt");
  for (const char* line : {"\nList of 2 helices\n", "\nList of 4 stems\n", "\nList of 1 isolated WC/wobble pair\n",
                           "\nList of 2 coaxial stacks\n", "  stem#1[#1] bps=7\n",
                           "      strand-1 5'-GCGGAUU-3'\n", "      strand-2 3'-CGCUUAA-5'\n"})
    EXPECT_NE(out.find(line), std::string::npos) << line;
  EXPECT_NE(exe.file("stderr.txt").find("    total number of isolated WC/wobble pairs: 1\n"), std::string::npos);
  exe.expect_gemmi_models("vask-stems.pdb", 4);
  exe.expect_gemmi_models("vask-helices.pdb", 2);

  for (const char* more : {"", " --more"}) {
    SCOPED_TRACE(more);
    ASSERT_EQ(exe.run(std::string("-i=1ehz.pdb --json -o=out.json") + more), 0) << exe.file("stderr.txt");
    const std::string json = exe.file("out.json");
    EXPECT_EQ(test::json_error(json), "");
    for (const char* key : {"\"num_helices\":2,\"helices\":[{\"index\":1,\"num_stems\":2,\"strand1\":",
                            "\"num_stems\":4,\"stems\":[{\"index\":1,\"helix_index\":1,\"strand1\":\"GCGGAUU\","
                            "\"strand2\":\"CGCUUAA\",\"bp_type\":\"|||||||\",\"helix_form\":",
                            "\"num_pairs\":7,\"pairs\":[{\"index\":1,\"nt1\":\"A.G1\",\"nt2\":\"A.C72\"",
                            "\"num_isoCanonPairs\":1,\"isoCanonPairs\":[{\"index\":-1,",
                            "\"num_coaxStacks\":2,\"coaxStacks\":[{\"index\":1,\"helix_index\":1,\"num_stems\":2,"})
      EXPECT_NE(json.find(key), std::string::npos) << key;
  }
}

// --more adds the global axis and the per-step parameter lines; the JSON
// step keys follow with their verbosity; the axis end points move out by
// the extension in every writer; the ensemble carries the axis pseudo-atoms.
TEST(HelixReport, dodecamer_geometry_lines_keys_and_axis_atoms) {
  ExeRun exe({"1bna.pdb"});
  ASSERT_EQ(exe.run("-i=1bna.pdb -o=out.txt --more"), 0) << exe.file("stderr.txt");
  std::string out = exe.file("out.txt");
  for (const char* block :
       {"      helix-form  BBBBBBBBBBB\n"
        "    helical-rise:   3.35(0.44)\n"
        "    helical-radius: 9.37(0.98)\n"
        "    helical-axis:   -0.088    -0.275    -0.958\n"
        "       point-one:   16.795    25.817    26.180\n"
        "       point-two:   13.557    15.707    -9.067\n"
        "   1 A.DC1          B.DG24         C-G WC ",
        "        bp1-pars:  [-0.42    -0.27    0.06     2.76     -14.20   -3.67]\n"
        "       step-pars:  [-0.36    0.15     3.52     -3.40    6.42     40.31]\n"
        "       heli-pars:  [-0.55    0.11     3.52     9.23     4.88     40.93]\n"
        "        bp2-pars:  [-0.02    -0.27    0.25     -4.46    -10.85   -4.02]\n"
        "       C1'-based:                rise=3.52                 twist=38.57\n"
        "       C1'-based:              h-rise=3.52               h-twist=39.23\n"
        "   2 A.DG2 "})
    EXPECT_NE(out.find(block), std::string::npos) << block;
  EXPECT_EQ(count_of(out, "step-pars:"), 2 * 11);  // helix and stem, steps 1..11
  EXPECT_EQ(out.find("  12 A.DG12         B.DC13         G-C WC           19-XIX    cWW  cW-W\n        bp1"),
            std::string::npos);  // no step after the last pair

  ASSERT_EQ(exe.run("-i=1bna.pdb -o=out.txt --more --helix-ext=2.0"), 0) << exe.file("stderr.txt");
  out = exe.file("out.txt");
  // 2.0 A along (-0.088, -0.275, -0.958) beyond each end
  EXPECT_NE(out.find("       point-one:   16.971    26.366    28.095\n"), std::string::npos) << out;
  EXPECT_NE(out.find("       point-two:   13.381    15.158   -10.982\n"), std::string::npos);

  ASSERT_EQ(exe.run("-i=1bna.pdb -o=out.json --json --more=most"), 0) << exe.file("stderr.txt");
  std::string json = exe.file("out.json");
  EXPECT_EQ(test::json_error(json), "");
  for (const char* key : {"\"helix_form\":\"BBBBBBBBBBB\",\"helical_rise\":3.348,\"helical_rise_std\":0.437,"
                          "\"helical_radius\":9.372,\"helical_radius_std\":0.981,\"helical_axis\":[-0.088,-0.275,-0.958],"
                          "\"point1\":[16.795,25.817,26.180],\"point2\":[13.557,15.707,-9.067],\"num_pairs\":12,",
                          "\"VASK\":\"cW-W\",\"bp1_params\":[-0.422,", "\"step_params\":[-0.362,",
                          "\"groove_widths\":[null,null,null,null],\"XYZ_phos\":[-2.325,8.971,0.153],",
                          "\"AB_index\":0.781,\"simple_Rise\":3.524,",
                          "\"groove_widths\":[9.335,9.332,17.376,17.362]",
                          "\"form\":\"BBBBBBBBBBB-\""})
    EXPECT_NE(json.find(key), std::string::npos) << key;
  ASSERT_EQ(exe.run("-i=1bna.pdb -o=out.json --json --more"), 0);
  json = exe.file("out.json");
  EXPECT_EQ(test::json_error(json), "");
  EXPECT_NE(json.find("\"heli_params\":["), std::string::npos);
  EXPECT_EQ(json.find("XYZ_phos"), std::string::npos);  // verbosity 2 only
  ASSERT_EQ(exe.run("-i=1bna.pdb -o=out.json --json"), 0);
  json = exe.file("out.json");
  EXPECT_EQ(json.find("helical_rise\":3.348"), std::string::npos);
  EXPECT_EQ(json.find("step_params"), std::string::npos);

  // the ensemble: axis pseudo-atoms at verbosity 2, read back by gemmi
  ASSERT_EQ(exe.run("-i=1bna.pdb -o=out.txt --more=most"), 0) << exe.file("stderr.txt");
  const std::string pdb = exe.file("vask-helices.pdb");
  EXPECT_NE(pdb.find("REMARK    model=1    bps=12"), std::string::npos);
  EXPECT_NE(pdb.find("REMARK    helical-axis[3.35(0.44)]:"), std::string::npos) << pdb.substr(0, 400);
  EXPECT_NE(pdb.find("HETATM 9998  XS  _HX X 999    "), std::string::npos);
  EXPECT_NE(pdb.find("  1.00 66.66           O  \nHETATM 9999  XE  _HX X 999    "), std::string::npos);
  exe.expect_gemmi_models("vask-helices.pdb", 1);
}

// The helical-axis file: two linked points per helix and per stem.
TEST(HelixReport, helical_axes_file) {
  ExeRun exe({"1ehz.pdb"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.txt"), 0) << exe.file("stderr.txt");
  EXPECT_FALSE(exe.exists("vask-helicalAxes.pdb"));
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.txt --helix-axis=all"), 0) << exe.file("stderr.txt");
  EXPECT_EQ(exe.file("stderr.txt").find("not available"), std::string::npos);
  const std::string axes = exe.file("vask-helicalAxes.pdb");
  EXPECT_EQ(count_of(axes, "REMARK-VASK: helix#"), 4);
  EXPECT_EQ(count_of(axes, "REMARK-VASK: stem#"), 8);
  EXPECT_EQ(count_of(axes, " ***"), 0);  // every end point defined
  EXPECT_NE(axes.find("REMARK-VASK: helix#1\nATOM      1  P1    G A   1    "), std::string::npos) << axes;
  EXPECT_NE(axes.find("REMARK-VASK: stem#4\nATOM     12  P2 "), std::string::npos) << axes;
  EXPECT_NE(axes.find("H1  "), std::string::npos);
  EXPECT_NE(axes.find("S4  "), std::string::npos);
  EXPECT_NE(axes.find("CONECT    1    2" + std::string(64, ' ') + "\nCONECT    2    1"), std::string::npos);
  EXPECT_NE(axes.find("CONECT   12   11"), std::string::npos);
  EXPECT_NE(exe.file("out.txt").find("vask-helicalAxes.pdb"), std::string::npos);
  exe.expect_gemmi_models("vask-helicalAxes.pdb", 1);
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=out.txt --helix-axis"), 0);  // helices only
  EXPECT_EQ(count_of(exe.file("vask-helicalAxes.pdb"), "REMARK-VASK: stem#"), 0);
}

TEST(HelixReport, each_structure_of_a_list_or_ensemble_stands_alone) {
  ExeRun exe({"1ehz.pdb", "1bna.pdb", "1jjp.cif"});
  ASSERT_EQ(exe.run("-i=1ehz.pdb -o=ehz.txt"), 0);
  ASSERT_EQ(exe.run("-i=1bna.pdb -o=bna.txt"), 0);
  const std::string ehz = helix_sections(exe.file("ehz.txt"));
  const std::string bna = helix_sections(exe.file("bna.txt"));
  ASSERT_FALSE(ehz.empty());
  ASSERT_FALSE(bna.empty());
  // both orders in one report: each structure's sections as when alone
  for (const char* list : {"1ehz.pdb\n1bna.pdb\n", "1bna.pdb\n1ehz.pdb\n"}) {
    SCOPED_TRACE(list);
    {
      FILE* fp = std::fopen(exe.path("list.txt").c_str(), "w");
      std::fputs(list, fp);
      std::fclose(fp);
    }
    ASSERT_EQ(exe.run("--ilist=list.txt -o=one:all.txt"), 0) << exe.file("stderr.txt");
    const std::string all = exe.file("all.txt");
    const size_t second = all.find("<model", all.find("<model") + 1);
    ASSERT_NE(second, std::string::npos) << all;
    const std::string first_part = helix_sections(all.substr(0, second));
    const std::string second_part = helix_sections(all.substr(second));
    const bool ehz_first = list[1] == 'e';
    EXPECT_EQ(first_part, ehz_first ? ehz : bna);
    EXPECT_EQ(second_part, ehz_first ? bna : ehz);
  }
  // an ensemble: every model has its own helices, none has a stem
  ASSERT_EQ(exe.run("-i=1jjp.cif --nmr --json -o=nmr.json"), 0) << exe.file("stderr.txt");
  const std::string json = exe.file("nmr.json");
  EXPECT_EQ(test::json_error(json), "");
  EXPECT_EQ(count_of(json, "\"num_helices\":"), 8);
  EXPECT_EQ(count_of(json, "\"stems\":["), 0);
}

}  // namespace
}  // namespace vask
