#include "base/idx_time.h"

#include <gtest/gtest.h>

namespace kestrelpix {
namespace {

TEST(FormatIdxTime, TruncatesEachPartAndNeverCutsHours) {
  EXPECT_EQ(FormatIdxTime(0), "00:00:00:000");
  EXPECT_EQ(FormatIdxTime(40), "00:00:00:040");
  EXPECT_EQ(FormatIdxTime(59999), "00:00:59:999");
  EXPECT_EQ(FormatIdxTime(62500), "00:01:02:500");
  EXPECT_EQ(FormatIdxTime(3723004), "01:02:03:004");
  EXPECT_EQ(FormatIdxTime(360000000), "100:00:00:000");
  EXPECT_EQ(FormatIdxTime(1999.9), "00:00:01:999");  // a fraction is truncated
  EXPECT_EQ(FormatIdxTime(-5), "00:00:00:000");
}

}  // namespace
}  // namespace kestrelpix
