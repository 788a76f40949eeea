// Ribose zippers of the P4-P6 domain (1gid): the tetraloop receptor and the
// A-rich bulge each zip two strands by consecutive O2'-O2' contacts.
#include "motifs/zipper.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "json_check.hpp"
#include "motifs/motif_fixture.hpp"
#include "structure/residue.hpp"

namespace vask {
namespace {

using ZipperTest = test::MotifTest;

TEST_F(ZipperTest, p4p6_zippers) {
  load("1gid.pdb");
  long n = 0, nc = 0;
  std::vector<connect> zippers;
  std::vector<O2_contact> contacts;
  find_riboseZippers(mol_, n, zippers, nc, contacts);
  ASSERT_EQ(n, 4);  // two per molecule of the crystal's dimer
  EXPECT_EQ(numbers(zippers[1]), (std::vector<long>{109, 110, 183, 184}));
  EXPECT_EQ(numbers(zippers[2]), (std::vector<long>{152, 153, 223, 224}));
  EXPECT_GT(nc, n * 2);
  for (long k = 1; k <= nc; ++k) {
    EXPECT_LT(contacts[k].nt1, contacts[k].nt2);
    EXPECT_GE(contacts[k].dist, Gvars.hbond_d1);
    EXPECT_LE(contacts[k].dist, Gvars.hbond_good);
  }
  EXPECT_EQ(mol_.residues[res("A", 183)].flag[rf::ribose_zipper], 1);
}

TEST_F(ZipperTest, one_contact_alone_is_no_zipper) {
  load("1ehz.pdb");  // tRNA: no two consecutive O2' contacts
  long n = 7, nc = 7;
  std::vector<connect> zippers;
  std::vector<O2_contact> contacts;
  find_riboseZippers(mol_, n, zippers, nc, contacts);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(nc, 0);  // nothing stored
}

TEST_F(ZipperTest, section_and_json) {
  test::ExeRun exe({"1gid.pdb"});
  ASSERT_EQ(exe.run("-i=1gid.pdb -o=out.txt"), 0);
  EXPECT_NE(exe.file("out.txt").find("List of 4 ribose zippers\n   1 nts=4 CGAA A.C109,A.G110,A.A183,A.A184\n"),
            std::string::npos);
  ASSERT_EQ(exe.run("-i=1gid.pdb -o=out.json --json"), 0);
  const std::string js = exe.file("out.json");
  EXPECT_EQ(test::json_error(js), "");
  EXPECT_NE(js.find("\"num_riboseZippers\":4,\"riboseZippers\":["), std::string::npos);
  EXPECT_NE(js.find("ribose-zipper"), std::string::npos);
}

}  // namespace
}  // namespace vask
