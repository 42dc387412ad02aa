#include <gtest/gtest.h>

#include "support/CounterHarness.h"

namespace {

struct Example {
  CounterType Type;
  DisplayFormat Format;
  int Total, Elapsed, Orange, RedAt;
  const char* Text;
  DisplayColour Colour;
  const char* DeviceText;
  bool Negative;
};

void PrintTo(const Example& e, std::ostream* os) {
  *os << "type " << e.Type << " format " << e.Format << " total " << e.Total << " elapsed " << e.Elapsed;
}

class WorkedExample : public ::testing::TestWithParam<Example> {};

TEST_P(WorkedExample, TextColourAndDeviceText) {
  const Example& e = GetParam();
  CounterHarness h;
  h.Counter.Start(e.Total, e.Type, e.Format, e.Orange, e.RedAt);
  h.Counter.Elapsed = CTimeSpan(e.Elapsed);
  EXPECT_EQ(h.Text(), e.Text);
  EXPECT_EQ(h.Counter.GetColourState(), e.Colour);
  bool negative = !e.Negative;
  EXPECT_EQ(h.Counter.GetDeviceText(negative), e.DeviceText);
  EXPECT_EQ(negative, e.Negative);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WorkedExample,
    ::testing::Values(
        Example{DownToZero, Auto, 70, 0, 30, 10, "01:10", Normal, "01:10", false},
        Example{DownToZero, Auto, 70, 40, 30, 10, "00:30", Normal, "00:30", false},
        Example{DownToZero, Auto, 70, 41, 30, 10, "00:29", Orange, "00:29", false},
        Example{DownToZero, Auto, 70, 60, 30, 10, "00:10", Orange, "00:10", false},
        Example{DownToZero, Auto, 70, 61, 30, 10, "00:09", Red, "00:09", false},
        Example{DownToZero, Auto, 70, 70, 30, 10, "00:00", Red, "00:00", false},
        Example{DownToZero, Auto, 3725, 0, 300, 60, "01:02:05", Normal, "01:02", false},
        Example{DownToZero, MinSec, 3725, 0, 300, 60, "62:05", Normal, "62:05", false},
        Example{DownToZero, HourMin, 3725, 0, 300, 60, "01:02", Normal, "01:02", false},
        Example{DownToZero, HourMin, 3725, 3666, 300, 60, "00:00", Red, "00:00", false},
        Example{CountUp, Auto, 600, 59, 120, 60, "00:59", Normal, "00:59", false},
        Example{CountUp, Auto, 600, 3600, 120, 60, "01:00:00", Red, "01:00", false},
        // The unit cannot show 100 minutes as minutes and seconds.
        Example{CountUp, MinSec, 600, 6000, 120, 60, "100:00", Red, "99:59", false},
        Example{DownPastZero, Auto, 10, 15, 5, 3, "-00:05", Red, "00:05", true},
        Example{DownPastZero, Auto, 0, 3700, 0, 0, "-01:01:40", Red, "01:01", true},
        Example{DownPastZero, HourMin, 0, 59, 0, 0, "-00:00", Red, "00:00", true},
        // Edges: one hour exactly and one second less.
        Example{CountUp, Auto, 7200, 3600, 0, 0, "01:00:00", Normal, "01:00", false},
        Example{CountUp, Auto, 7200, 3599, 0, 0, "59:59", Normal, "59:59", false},
        // A threshold of 0 never turns red while time is left or exactly none.
        Example{DownToZero, Auto, 70, 70, 30, 0, "00:00", Orange, "00:00", false},
        Example{DownToZero, Auto, 70, 70, 0, 0, "00:00", Normal, "00:00", false},
        // Orange below red never shows orange.
        Example{DownToZero, Auto, 70, 55, 10, 30, "00:15", Red, "00:15", false},
        Example{DownToZero, Auto, 70, 45, 10, 30, "00:25", Red, "00:25", false},
        // Out-of-range type and format.
        Example{static_cast<CounterType>(7), Auto, 70, 0, 30, 10, "Err", Red, "00:00", false},
        Example{DownToZero, static_cast<DisplayFormat>(9), 3725, 0, 0, 0, "62:05", Normal, "00:00", false},
        Example{DownToZero, static_cast<DisplayFormat>(-1), 65, 0, 0, 0, "01:05", Normal, "00:00", false}));

TEST(DisplayText, MinuteAndHourFieldsAreMinimumWidths) {
  CounterHarness h;
  h.Counter.Start(600, CountUp, MinSec, 120, 60);
  h.Counter.Elapsed = CTimeSpan(6000);
  EXPECT_EQ(h.Text(), "100:00");
  h.Counter.Start(600, CountUp, Auto, 120, 60);
  h.Counter.Elapsed = CTimeSpan(100 * 3600);
  EXPECT_EQ(h.Text(), "100:00:00");
  h.Counter.Start(-3, DownPastZero, MinSec, 0, 0);
  EXPECT_EQ(h.Text(), "-00:03");
}

TEST(DisplayText, ThresholdEdgesKeepTheEarlierColour) {
  CounterHarness h;
  h.Counter.Start(70, DownToZero, Auto, 30, 10);
  const struct {
    int Elapsed;
    DisplayColour Colour;
  } steps[] = {{39, Normal}, {40, Normal}, {41, Orange}, {59, Orange}, {60, Orange}, {61, Red}, {70, Red}};
  for (const auto& step : steps) {
    h.Counter.Elapsed = CTimeSpan(step.Elapsed);
    EXPECT_EQ(h.Counter.GetColourState(), step.Colour) << "elapsed " << step.Elapsed;
  }
}

TEST(DisplayText, CountUpTurnsRedAfterTotalTime) {
  CounterHarness h;
  h.Counter.Start(600, CountUp, Auto, 120, 60);
  h.Counter.Elapsed = CTimeSpan(480);
  EXPECT_EQ(h.Counter.GetColourState(), Normal);
  h.Counter.Elapsed = CTimeSpan(481);
  EXPECT_EQ(h.Counter.GetColourState(), Orange);
  h.Counter.Elapsed = CTimeSpan(541);
  EXPECT_EQ(h.Counter.GetColourState(), Red);
  h.Counter.Elapsed = CTimeSpan(100000);
  EXPECT_EQ(h.Counter.GetColourState(), Red);
}

TEST(DisplayText, BlankBeforeStartAndInTheDarkFlashPhase) {
  CounterHarness h;
  h.Counter.Flashing = true;
  h.Counter.FlashVisible = true;
  EXPECT_EQ(h.Counter.GetColourState(), Blank) << "never started";
  h.Counter.Start(70, DownToZero, Auto, 30, 10);
  EXPECT_EQ(h.Counter.GetColourState(), Normal);
  h.Counter.FlashVisible = false;
  EXPECT_EQ(h.Counter.GetColourState(), Blank);
  h.Counter.Elapsed = CTimeSpan(65);
  EXPECT_EQ(h.Counter.GetColourState(), Blank) << "flash hides red too";
  h.Counter.Flashing = false;
  EXPECT_EQ(h.Counter.GetColourState(), Red);
}

TEST(DisplayText, RealTimeTextsFollowLocalTimeAndIgnoreFormat) {
  CounterHarness h;
  h.Clock.Wall = UtcSeconds(2026, 12, 9, 13, 5, 9);
  h.Counter.Start(0, RealTime24, HourMin, 0, 0);
  EXPECT_EQ(h.Text(), "13:05:09");
  EXPECT_EQ(h.Counter.GetColourState(), Normal);
  bool negative = true;
  EXPECT_EQ(h.Counter.GetDeviceText(negative), "13:05");
  EXPECT_FALSE(negative);

  h.Counter.Start(0, RealTime12, MinSec, 0, 0);
  EXPECT_EQ(h.Text(), "01:05:09");
  EXPECT_EQ(h.Counter.GetDeviceText(negative), "01:05");

  h.Clock.Wall = UtcSeconds(2026, 12, 9, 0, 30, 0);
  h.Counter.Start(0, RealTime12, Auto, 0, 0);
  EXPECT_EQ(h.Text(), "12:30:00") << "the 12-hour clock has no hour 00";

  h.Clock.LocalOffsetSeconds = 3600;
  h.Counter.Start(0, RealTime24, Auto, 0, 0);
  EXPECT_EQ(h.Text(), "01:30:00") << "shown in local time, not UTC";
}

TEST(DeviceText, TimesTooLongForTwoDigitGroupsShowTheLargestUntilTheyFit) {
  CounterHarness h;
  const struct {
    CounterType Type;
    DisplayFormat Format;
    int Total, Elapsed;
    const char* Device;
    bool Negative;
  } cases[] = {
      // A 120-minute count-down must not read as two minutes.
      {DownToZero, MinSec, 7200, 0, "99:59", false},
      {DownToZero, MinSec, 6000, 0, "99:59", false},
      {DownToZero, MinSec, 6000, 1, "99:59", false},
      {DownToZero, MinSec, 6000, 60, "99:00", false},
      {CountUp, MinSec, 0, 5999, "99:59", false},
      {DownPastZero, MinSec, 0, 7200, "99:59", true},
      {DownPastZero, MinSec, 0, 5999, "99:59", true},
      {DownPastZero, MinSec, 0, 5940, "99:00", true},
      // 100 hours and more, as hours and minutes or by Auto.
      {DownToZero, HourMin, 100 * 3600, 0, "99:59", false},
      {DownToZero, HourMin, 100 * 3600, 60, "99:59", false},
      {DownToZero, HourMin, 100 * 3600, 61, "99:58", false},
      {DownToZero, Auto, 250 * 3600, 0, "99:59", false},
      {DownToZero, Auto, 99 * 3600 + 59 * 60, 0, "99:59", false},
      {DownPastZero, HourMin, 0, 100 * 3600, "99:59", true},
      // Auto shows hours and minutes from one hour on: 120 minutes fit.
      {DownToZero, Auto, 7200, 0, "02:00", false},
  };
  for (const auto& c : cases) {
    h.Counter.Start(c.Total, c.Type, c.Format, 0, 0);
    h.Counter.Elapsed = CTimeSpan(c.Elapsed);
    bool negative = !c.Negative;
    EXPECT_EQ(h.Counter.GetDeviceText(negative), c.Device)
        << "type " << c.Type << " format " << c.Format << " total " << c.Total << " elapsed " << c.Elapsed;
    EXPECT_EQ(negative, c.Negative);
  }
}

TEST(SectionName, IsCounterAndTheNumber) {
  EXPECT_EQ(CounterSectionName(3), "Counter3");
  EXPECT_EQ(CounterSectionName(0), "Counter0");
  EXPECT_EQ(CounterSectionName(-12), "Counter-12");
  EXPECT_EQ(CounterSectionName(2147483647), "Counter2147483647");
  CounterHarness h;
  CCounter other(42);
  EXPECT_EQ(other.GetSectionName(), "Counter42");
}

}  // namespace
