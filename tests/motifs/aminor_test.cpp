// A-minor motifs of the P4-P6 domain (1gid): the tetraloop receptor and the
// A-rich bulge give types I and II; the IUPAC letter sets; the section, JSON
// and model file.
#include "motifs/aminor.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "json_check.hpp"
#include "motifs/motif_fixture.hpp"
#include "structure/residue.hpp"
#include "support/error.hpp"

namespace vask {
namespace {

using AminorTest = test::MotifTest;

TEST_F(AminorTest, iupac_letter_sets) {
  const struct {
    char code;
    const char* letters;
  } cases[] = {{'A', "A"}, {'u', "U"}, {'K', "GPTU"}, {'R', "AG"}, {'N', "ACGPTU"}, {'Y', "CPTU"},
               {'W', "APTU"}, {'B', "CGPTU"}, {'M', "AC"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    iupac_set t{};
    set_IUPAC_nts(c.code, t);
    std::string got;
    for (char x = 'A'; x <= 'Z'; ++x)
      if (in_IUPAC_set(x, t)) got += x;
    EXPECT_EQ(got, c.letters);
  }
  for (char bad : {'E', 'X', 'Q', '1', 'z'}) {
    iupac_set t{};
    EXPECT_THROW(set_IUPAC_nts(bad, t), fatal_error) << bad;
  }
}

TEST_F(AminorTest, p4p6_receptor_and_bulge) {
  load("1gid.pdb");
  long n = 0;
  std::vector<connect> list;
  find_Aminors(mol_, num_pairs_, pairs_, n, list);
  ASSERT_GE(n, 8);
  auto type_of = [&](const char* chain, long a) -> long {
    for (long k = 1; k <= n; ++k)
      if (list[k][1] == res(chain, a)) return static_cast<long>(list[k].value);
    return -1;
  };
  for (const char* chain : {"A", "B"}) {
    SCOPED_TRACE(chain);
    // the tetraloop receptor: A183 (type II) and A184 (type I) in the minor
    // groove of G110-C211 and C109-G212
    EXPECT_EQ(type_of(chain, 183), AMINOR_II);
    EXPECT_EQ(type_of(chain, 184), AMINOR_I);
    // the A-rich bulge: A153 and A186 pack into the P5a/P4 minor grooves
    EXPECT_EQ(type_of(chain, 153), AMINOR_I);
    EXPECT_EQ(type_of(chain, 186), AMINOR_I);
  }
  for (long k = 1; k <= n; ++k) {
    SCOPED_TRACE(k);
    const connect& m = list[k];
    ASSERT_EQ(m.count, 3);
    const pair& p = pairs_[m.owner()];
    EXPECT_TRUE(is_WC_geometry(p));
    EXPECT_EQ(p.nt1, m[2]);
    EXPECT_EQ(p.nt2, m[3]);
    EXPECT_LT(mol_.residues[m[1]].flag[rf::a_minor], 0);  // the A side is marked negative
  }
  // a G is not an A-minor nucleotide by default; with R it may be
  for (long k = 1; k <= n; ++k) EXPECT_EQ(mol_.residues[list[k][1]].letter, 'A');
}

TEST_F(AminorTest, type_x_only_for_nucleotides_left_over) {
  load("1gid.pdb");
  long n = 0;
  std::vector<connect> list;
  find_Aminors(mol_, num_pairs_, pairs_, n, list);
  std::vector<long> in_I_II;
  for (long k = 1; k <= n; ++k)
    if (list[k].value != AMINOR_X) in_I_II.push_back(list[k][1]);
  for (long k = 1; k <= n; ++k)
    if (list[k].value == AMINOR_X) {
      EXPECT_EQ(std::count(in_I_II.begin(), in_I_II.end(), list[k][1]), 0) << mol_.residues[list[k][1]].idstr;
    }
}

TEST_F(AminorTest, section_json_and_model_file) {
  test::ExeRun exe({"1gid.pdb"});
  ASSERT_EQ(exe.run("-i=1gid.pdb -o=out.txt"), 0) << exe.file("stderr.txt");
  const std::string text = exe.file("out.txt");
  EXPECT_NE(text.find("A-minor motifs (types I, II, or X)\n"), std::string::npos);
  EXPECT_NE(text.find(" type=II A|G-C\tA.A183|A.G110,A.C211 WC\n"), std::string::npos) << text;
  EXPECT_NE(text.find(" type=I A|C-G\tA.A184|A.C109,A.G212 WC\n"), std::string::npos);
  EXPECT_NE(text.find("A-minor"), std::string::npos);
  long models = 0;
  const std::string err = exe.gemmi_models("vask-Aminors.pdb", &models);
  if (err == "skip") {
    test::oracle_missing("gemmi (python3-gemmi) is absent: vask-Aminors.pdb not read back");
  } else {
    EXPECT_EQ(err, "");
    EXPECT_GE(models, 8);
  }
  ASSERT_EQ(exe.run("-i=1gid.pdb -o=out.json --json"), 0);
  const std::string js = exe.file("out.json");
  EXPECT_EQ(test::json_error(js), "");
  EXPECT_NE(js.find("\"desc_long\":\"A.A183 vs A.G110,A.C211\",\"A_nt1\":{\"desc\":\"A.A183 vs A.G110\","
                    "\"face_type\":\"-\""),
            std::string::npos);
}

}  // namespace
}  // namespace vask
