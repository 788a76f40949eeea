#include "support/utility.hpp"

#include <gtest/gtest.h>

#include "test_util.hpp"

namespace vask {

TEST(derive_used_time, SplitsDaysHoursMinutesSeconds) {
  EXPECT_EQ(derive_used_time(86400 + 3600 + 60 + 1), "01:01:01:01");
  EXPECT_EQ(derive_used_time(59), "00:00:00:59");
  EXPECT_EQ(derive_used_time(0), "00:00:00:00");
}

TEST(runlog_msg, WritesNothingWhenClosed) {
  FILE* saved = RUNLOG;
  RUNLOG = nullptr;
  runlog_msg("x%d\n", 1);  // must not crash
  RUNLOG = saved;
  test::log_capture log(true);
  logit("both\n");
  EXPECT_EQ(log.text(), "both\n");
  EXPECT_EQ(log.prg_text(), "both\n");
}

}  // namespace vask
