#include <gtest/gtest.h>

#include <vector>

#include "app/CounterList.h"
#include "support/MemoryProfile.h"

namespace {

using Numbers = std::vector<int32_t>;

Numbers LoadFrom(const char* stored) {
  MemoryProfile profile;
  if (stored) profile.WriteProfileString("Settings", "Counters", stored);
  CCounterList list;
  list.Load();
  return Numbers(list.begin(), list.end());
}

TEST(CounterList, EmptyMissingOrCommasOnlyGiveCounterOne) {
  EXPECT_EQ(LoadFrom(nullptr), Numbers{1});
  EXPECT_EQ(LoadFrom(""), Numbers{1});
  EXPECT_EQ(LoadFrom(",,,"), Numbers{1});
  EXPECT_EQ(LoadFrom(","), Numbers{1});
}

TEST(CounterList, TokensAreRunsBetweenCommas) {
  EXPECT_EQ(LoadFrom(",2,,5,"), (Numbers{2, 5}));
  EXPECT_EQ(LoadFrom("7, 8"), (Numbers{7, 8}));
  EXPECT_EQ(LoadFrom("3,3"), (Numbers{3, 3}));
  EXPECT_EQ(LoadFrom("4,1"), (Numbers{4, 1}));
  EXPECT_EQ(LoadFrom("1,3,4"), (Numbers{1, 3, 4}));
}

TEST(CounterList, NumbersAreReadLikeAtoi) {
  EXPECT_EQ(ParseCounterNumbers("x,12abc,-4,+6,\t9"), (Numbers{0, 12, -4, 6, 9}));
  EXPECT_EQ(ParseCounterNumbers(" "), (Numbers{0}));
  EXPECT_EQ(ParseCounterNumbers("0"), (Numbers{0}));
  EXPECT_EQ(ParseCounterNumbers("1 2"), (Numbers{1}));
}

TEST(CounterList, NumbersOutsideThe32BitRangeLoadAsUnnumbered) {
  EXPECT_EQ(ParseCounterNumbers("2147483647,-2147483648"), (Numbers{2147483647, INT32_MIN}));
  EXPECT_EQ(ParseCounterNumbers("2147483648,5"), (Numbers{0, 5}));
  EXPECT_EQ(ParseCounterNumbers("-2147483649"), (Numbers{0}));
  EXPECT_EQ(ParseCounterNumbers("99999999999999999999999999999"), (Numbers{0}));
}

TEST(CounterList, SaveWritesNumbersWithoutATrailingComma) {
  MemoryProfile profile;
  CCounterList list;
  list.Save({1, 3, 4});
  EXPECT_EQ(profile.GetProfileString("Settings", "Counters"), "1,3,4");
  EXPECT_EQ(Numbers(list.begin(), list.end()), (Numbers{1, 3, 4}));
  list.Save({-2});
  EXPECT_EQ(profile.GetProfileString("Settings", "Counters"), "-2");
  list.Save({});
  EXPECT_EQ(profile.GetProfileString("Settings", "Counters", "missing"), "");
  EXPECT_TRUE(list.empty());

  CCounterList reloaded;
  reloaded.Load();
  EXPECT_EQ(Numbers(reloaded.begin(), reloaded.end()), Numbers{1}) << "an empty list starts as counter 1";
  EXPECT_EQ(profile.GetProfileString("Settings", "Counters", "missing"), "") << "the default is not written back";
}

TEST(CounterList, SaveThenLoadKeepsOrderAndRepeats) {
  MemoryProfile profile;
  CCounterList list;
  list.Save({9, 2, 2, 2147483647, -7});
  CCounterList reloaded;
  reloaded.Load();
  EXPECT_EQ(Numbers(reloaded.begin(), reloaded.end()), (Numbers{9, 2, 2, 2147483647, -7}));
}

TEST(CounterList, AStoredNumberValueIsNotAList) {
  MemoryProfile profile;
  profile.WriteProfileInt("Settings", "Counters", 5);
  CCounterList list;
  list.Load();
  EXPECT_EQ(Numbers(list.begin(), list.end()), Numbers{1});
}

}  // namespace
