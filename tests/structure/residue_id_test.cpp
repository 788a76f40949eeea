// Nucleotide lists in JSON: the three forms of the JSON mode bits, the count
// members and the array of lists, checked as JSON; the report section of a
// list of lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "json_check.hpp"
#include "pairing/prepare.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "structure_fixture.hpp"
#include "support/json_writer.hpp"
#include "support/settings.hpp"

namespace vask {
namespace {

class NtListJson : public test::StructureTest {
 protected:
  void SetUp() override {
    StructureTest::SetUp();
    read_pdb(test::test_data("1ehz.pdb"), mol_);
  }
  // What f writes, wrapped in braces so that it reads as one JSON object.
  template <class F>
  std::string object_of(F&& f) {
    FILE* fp = std::tmpfile();
    std::fputc('{', fp);
    f(fp);
    std::fputc('}', fp);
    std::string text = test::read_stream(fp);
    std::fclose(fp);
    return text;
  }
  struct_mol mol_;
};

TEST_F(NtListJson, forms_follow_the_mode_bits) {
  connect set;
  for (long k : {1, 2, 3}) set.append(k);
  const struct {
    long mode;
    const char* expected;
  } cases[] = {
      {1, R"({"num_nts":3,"nts_short":"GCG","nts_long":"A.G1,A.C2,A.G3"})"},
      {3, R"({"num_nts":3,"nts":{"short":"GCG","long":"A.G1,A.C2,A.G3"}})"},
      {5, R"({"num_nts":3,"nts":["GCG","A.G1,A.C2,A.G3"]})"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    mutable_gvars().json = c.mode;
    std::string out = object_of([&](FILE* fp) { json_numNts_cnts0(fp, set, mol_); });
    EXPECT_EQ(out, c.expected);
    const std::vector<long> list{0, 1, 2, 3};
    EXPECT_EQ(object_of([&](FILE* fp) { json_numNts_vec0(fp, 3, list, mol_); }), out);
  }
}

TEST_F(NtListJson, array_of_lists_with_values) {
  mutable_gvars().json = 1;
  std::vector<connect> sets(3);
  sets[1].append(1);
  sets[1].value = 2.5;
  sets[2].append(2);
  sets[2].append(3);
  std::string out = object_of([&](FILE* fp) {
    json_array_of_nts_list_dval(fp, "stacks", 2, sets, "rise", mol_);
    json_dummy0(fp);
  });
  EXPECT_EQ(test::json_error(out), "") << out;
  EXPECT_EQ(out, R"({"num_stacks":2,"stacks":[{"index":1,"num_nts":1,"nts_short":"G","nts_long":"A.G1",)"
                 R"("rise":2.500},{"index":2,"num_nts":2,"nts_short":"CG","nts_long":"A.C2,A.G3","rise":null}],)"
                 R"("DUMMY_END":true})");
  out = object_of([&](FILE* fp) {
    json_array_of_nts_list(fp, "stacks", 1, sets, mol_);
    json_dummy0(fp);
  });
  EXPECT_EQ(out, R"({"num_stacks":1,"stacks":[{"index":1,"num_nts":1,"nts_short":"G","nts_long":"A.G1"}],)"
                 R"("DUMMY_END":true})");
  json_array_of_nts_list(nullptr, "stacks", 1, sets, mol_);  // no stream: nothing
}

// The report section of a list of lists: numbered lines under a heading
// whose noun follows the count, or in JSON the array alone.
TEST_F(NtListJson, report_of_lists_in_text_or_json) {
  std::vector<connect> sets(3);
  sets[1].append(1);
  sets[1].append(2);
  sets[2].append(3);
  auto report = [&](long n) {
    return object_of([&](FILE* fp) { output_nts_lists(fp, "loops", "List of %ld UA-%s\n", "loop", n, sets, mol_); });
  };
  EXPECT_EQ(report(2), "{\n" + std::string(76, '*') + "\nList of 2 UA-loops\n"
                       "   1 nts=2 GC A.G1,A.C2\n   2 nts=1 G A.G3\n}");
  EXPECT_EQ(report(1), "{\n" + std::string(76, '*') + "\nList of 1 UA-loop\n   1 nts=2 GC A.G1,A.C2\n}");
  mutable_gvars().json = 1;
  EXPECT_EQ(report(1), object_of([&](FILE* fp) { json_array_of_nts_list(fp, "loops", 1, sets, mol_); }));
}

// Lists longer than the id-size setting keep five items at each end around
// "---", with no comma next to it; a list at the setting is written whole.
TEST_F(NtListJson, long_lists_are_shortened_at_both_ends) {
  mutable_gvars().idstr_size = 12;
  std::vector<long> list{0};
  for (long k = 1; k <= 13; ++k) list.push_back(k);
  test::log_capture log;
  EXPECT_EQ(get_residues_abbr_full_ids(13, list, mol_),
            "GCGGA---AgCUC A.G1,A.C2,A.G3,A.G4,A.A5---A.A9,A.2MG10,A.C11,A.U12,A.C13");
  EXPECT_EQ(log.text(), "[w]  number-of-residues=13 -- in shortened form\n"
                        "[w]  number-of-residues=13 -- in shortened form\n");
  EXPECT_EQ(get_residues_abbr_full_ids(12, list, mol_),
            "GCGGAUUUAgCU A.G1,A.C2,A.G3,A.G4,A.A5,A.U6,A.U7,A.U8,A.A9,A.2MG10,A.C11,A.U12");
}

}  // namespace
}  // namespace vask
