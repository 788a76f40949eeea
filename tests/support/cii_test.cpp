#include "support/cii.hpp"

#include <gtest/gtest.h>

#include "test_util.hpp"

namespace vask {

TEST(Except_raise, ReportsReasonFileAndLine) {
  EXPECT_EQ(except_report(&Assert_Failed, "x.cpp", 12),
            "Uncaught exception 'Assertion failed' raised at [x.cpp:12]\naborting...\n");
  EXPECT_EQ(except_report(&Mem_Failed, "y.cpp", 3),
            "Uncaught exception 'Allocation Failed' raised at [y.cpp:3]\naborting...\n");
  // no file or no line: no " raised at" part and no line end before "aborting..."
  EXPECT_EQ(except_report(&Assert_Failed, "", 5), "Uncaught exception 'Assertion failed'aborting...\n");
  EXPECT_EQ(except_report(&Assert_Failed, "z.cpp", 0),
            "Uncaught exception 'Assertion failed'aborting...\n");
  EXPECT_EQ(except_report(nullptr, "z.cpp", 1),
            "Uncaught exception 'Assertion failed' raised at [z.cpp:1]\naborting...\n");
}

TEST(fatal, ThrowsFormattedMessageWithStatus1) {
  int status = 0;
  EXPECT_EQ(test::fatal_message([] { fatal("required file <%s> does not exist!\n", "a.pdb"); },
                                &status),
            "required file <a.pdb> does not exist!\n");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(test::fatal_message([] { nrerror("allocation failure in dvector()"); }),
            "allocation failure in dvector()\n");
  EXPECT_EQ(test::fatal_message([] { end_run(0); }, &status), "");
  EXPECT_EQ(status, 0);
}

TEST(VASK_ASSERT, FailureNamesThisFile) {
  std::string msg = test::fatal_message([] { VASK_ASSERT(1 + 1 == 3); });
  EXPECT_NE(msg.find("'Assertion failed' raised at [cii_test.cpp:"), std::string::npos) << msg;
  EXPECT_EQ(test::fatal_message([] { VASK_ASSERT(true); }), "<no fatal>");
}

}  // namespace vask
