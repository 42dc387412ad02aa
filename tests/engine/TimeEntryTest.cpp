#include <gtest/gtest.h>

#include <climits>

#include "page/TimeEntry.h"

namespace {

TEST(TimeEntry, BoxesReadLikeTheDialogManagerReadsNumbers) {
  EXPECT_EQ(ParseTimeBox(""), 0);
  EXPECT_EQ(ParseTimeBox("75"), 75);
  EXPECT_EQ(ParseTimeBox("  12 "), 12);
  EXPECT_EQ(ParseTimeBox("+7"), 7);
  EXPECT_EQ(ParseTimeBox("007"), 7);
  EXPECT_EQ(ParseTimeBox("12a"), 0);
  EXPECT_EQ(ParseTimeBox("abc"), 0);
  EXPECT_EQ(ParseTimeBox("-"), 0);
}

TEST(TimeEntry, NegativeAndHugeBoxesStayWithinTheCountersRange) {
  EXPECT_EQ(ParseTimeBox("-5"), 0);
  EXPECT_EQ(ParseTimeBox("2147483647"), INT_MAX);
  EXPECT_EQ(ParseTimeBox("2147483648"), INT_MAX);
  EXPECT_EQ(ParseTimeBox("99999999999999999999999999"), INT_MAX);
}

TEST(TimeEntry, TotalsAddUpWithoutOverflow) {
  EXPECT_EQ(TotalSeconds(1, 0, 75), 3675);
  EXPECT_EQ(TotalSeconds(0, 60, 0), 3600);
  EXPECT_EQ(TotalSeconds(0, 0, 0), 0);
  // 596524 hours is the first whole hour beyond 2^31 seconds.
  EXPECT_EQ(TotalSeconds(596523, 0, 0), 596523 * 3600);
  EXPECT_EQ(TotalSeconds(596524, 0, 0), INT_MAX);
  EXPECT_EQ(TotalSeconds(INT_MAX, INT_MAX, INT_MAX), INT_MAX);
  EXPECT_EQ(ShortSeconds(2, 5), 125);
  EXPECT_EQ(ShortSeconds(INT_MAX, INT_MAX), INT_MAX);
}

TEST(TimeEntry, StoredTimesBeyondTheSignedRangeFallBack) {
  EXPECT_EQ(StoredSeconds(3600u, 70), 3600);
  EXPECT_EQ(StoredSeconds(0x7FFFFFFFu, 70), INT_MAX);
  EXPECT_EQ(StoredSeconds(0x80000000u, 70), 70);
  EXPECT_EQ(StoredSeconds(0xFFFFFFFFu, 30), 30);
}

TEST(TimeEntry, StoredChoicesOutsideTheirGroupGiveTheFirst) {
  EXPECT_EQ(StoredChoice(4u, 5), 4);
  EXPECT_EQ(StoredChoice(5u, 5), 0);
  EXPECT_EQ(StoredChoice(0xFFFFFFFFu, 3), 0);
}

}  // namespace
