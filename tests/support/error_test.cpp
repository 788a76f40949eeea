#include "support/deque.hpp"
#include "support/error.hpp"
#include "support/number.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

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
  EXPECT_NE(msg.find("'Assertion failed' raised at [error_test.cpp:"), std::string::npos) << msg;
  EXPECT_EQ(test::fatal_message([] { VASK_ASSERT(true); }), "<no fatal>");
}

}  // namespace vask

namespace vask {

TEST(Seq, GrowsByDoublingAndKeepsOrder) {
  Seq<long> s = Seq_new<long>(0);
  EXPECT_EQ(s.capacity, 16);
  for (long i = 0; i < 17; ++i) Seq_addhi(s, i);
  EXPECT_EQ(s.capacity, 32);
  EXPECT_EQ(Seq_length(s), 17);
  for (long i = 0; i < 17; ++i) EXPECT_EQ(Seq_get(s, i), i);
  Seq_free(s);
  EXPECT_EQ(s.capacity, 0);
}

TEST(Seq, WrappedSequenceKeepsOrderWhenGrown) {
  Seq<long> s = Seq_new<long>(0);
  Seq_addlo(s, 100);
  EXPECT_EQ(s.head, 15);
  EXPECT_EQ(s.slots[15], 100);
  Seq_addhi(s, 101);
  EXPECT_EQ(s.slots[0], 101);
  for (long i = 1; i <= 14; ++i) Seq_addlo(s, 100 - i);  // full: 86..101 wrapped round the end
  Seq_addhi(s, 102);                                     // grows with head > 0
  EXPECT_EQ(s.capacity, 32);
  for (long i = 0; i < Seq_length(s); ++i) EXPECT_EQ(Seq_get(s, i), 86 + i);
  EXPECT_EQ(Seq_remlo(s), 86);
  EXPECT_EQ(Seq_remhi(s), 102);
  EXPECT_EQ(Seq_put(s, 0, 7L), 87);
  EXPECT_EQ(Seq_get(s, 0), 7);
}

TEST(Seq, MisuseFailsTheAssertion) {
  Seq<long> s = Seq_new<long>(4);
  Seq_addhi(s, 1);
  for (auto f : {std::function<void()>([&] { Seq_get(s, 1); }),
                 std::function<void()>([&] { Seq_remhi(s), Seq_remhi(s); }),
                 std::function<void()>([] { Seq_new<long>(-1); })}) {
    std::string msg = test::fatal_message(f);
    EXPECT_EQ(msg.substr(0, 38), "Uncaught exception 'Assertion failed' ");
  }
}

TEST(Arith, MinimaAndMaximaWithNaN) {
  EXPECT_EQ(Arith_min(-1, 2), -1);
  EXPECT_EQ(Arith_lmax(-1, 2), 2);
  EXPECT_EQ(Arith_dmin(1.0, std::nan("")), 1.0);
  EXPECT_TRUE(std::isnan(Arith_dmax(1.0, std::nan(""))));
}

}  // namespace vask
