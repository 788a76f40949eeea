#include "support/set.hpp"

#include <gtest/gtest.h>

#include "test_util.hpp"

namespace vask {

TEST(byte_set, WholeRangeOperations) {
  byte_set a(8, 0), b(8, 0), out(8, 0);
  lval_add_to_set(2, 2, 6, a);
  range_add_to_set(3, 4, 2, 6, a);  // a = {2, 3, 4}
  range_add_to_set(4, 4, 2, 6, b);  // from = to adds one member
  lval_add_to_set(6, 2, 6, b);      // b = {4, 6}
  set_union(2, 6, a, b, out);
  EXPECT_EQ(out, (byte_set{0, 0, 1, 1, 1, 0, 1, 0}));
  set_intersection(2, 6, a, b, out);
  EXPECT_EQ(out, (byte_set{0, 0, 0, 0, 1, 0, 0, 0}));
  set_difference(2, 6, a, b, out);
  EXPECT_EQ(out, (byte_set{0, 0, 1, 1, 0, 0, 0, 0}));
  set_xor(2, 6, a, a, out);
  EXPECT_TRUE(set_empty(2, 6, out));
  b[4] = 7;  // a different non-zero marker is a different byte
  set_xor(2, 6, a, b, out);
  EXPECT_EQ(out, (byte_set{0, 0, 1, 1, 1, 0, 1, 0}));
  EXPECT_TRUE(set_is_sub(2, 6, out, out));
  EXPECT_FALSE(set_is_sub(2, 6, a, b));
  set_copy(2, 6, a, out);
  EXPECT_TRUE(set_equal(2, 6, a, out));
  EXPECT_TRUE(lval_in_set(3, 2, 6, a));
  lval_del_from_set(3, 2, 6, a);
  EXPECT_FALSE(lval_in_set(3, 2, 6, a));
  // an empty range changes nothing and every test holds
  init_set(5, 4, a);
  EXPECT_TRUE(lval_in_set(2, 2, 6, a));
  EXPECT_TRUE(set_empty(5, 4, a));
  EXPECT_TRUE(set_all_char('x', 5, 4, a));
  EXPECT_TRUE(set_equal(5, 4, a, b));
  EXPECT_TRUE(set_is_sub(5, 4, a, b));
}

TEST(byte_set, OutOfRangeMembersAreLoggedAndIgnored) {
  byte_set s(8, 0);
  test::log_capture log(true);
  lval_add_to_set(7, 2, 6, s);
  EXPECT_FALSE(lval_in_set(1, 2, 6, s));
  range_add_to_set(5, 3, 2, 6, s);
  range_add_to_set(1, 3, 2, 6, s);
  EXPECT_TRUE(set_empty(0, 7, s));
  const char* want =
      "\t7 out of set range [2, 6]\n\t1 out of set range [2, 6]\n\tout of order: 5 -> 3\n"
      "\t1 out of set range [2, 6]\n";
  EXPECT_EQ(log.text(), want);
  EXPECT_EQ(log.prg_text(), want);
  std::string msg = test::fatal_message([&] { lval_add_to_set(3, 6, 2, s); });
  EXPECT_EQ(msg.substr(0, 37), "Uncaught exception 'Assertion failed'");
}

}  // namespace vask
