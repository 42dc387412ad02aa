#include <climits>

#include "resources/resource.h"
#include "support/CounterHarness.h"
#include "support/SheetHarness.h"

namespace {

using CounterPageTest = SheetTest;

TEST_F(CounterPageTest, NewCounterShowsTheDefaults) {
  StartProgram();
  HWND page = ShowPage(1);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(Text(page, IDC_TOTAL_HOURS), "");
  EXPECT_EQ(Text(page, IDC_TOTAL_MINUTES), "1");
  EXPECT_EQ(Text(page, IDC_TOTAL_SECONDS), "10");
  EXPECT_EQ(Text(page, IDC_ORANGE_MINUTES), "0");
  EXPECT_EQ(Text(page, IDC_ORANGE_SECONDS), "30");
  EXPECT_EQ(Text(page, IDC_RED_MINUTES), "0");
  EXPECT_EQ(Text(page, IDC_RED_SECONDS), "10");
  EXPECT_EQ(Text(page, IDC_TICKER_TEXT), "");
  EXPECT_TRUE(Checked(page, IDC_TYPE_DOWN_TO_ZERO));
  EXPECT_TRUE(Checked(page, IDC_FORMAT_AUTO));
  EXPECT_TRUE(Checked(page, IDC_TICKER_SMALL));
  EXPECT_TRUE(Checked(page, IDC_HIDE_OTHERS));
  for (int id : {IDC_TRANSPARENT, IDC_ON_TOP, IDC_CONTINUOUS, IDC_DISPLAY_DURING_PAUSE, IDC_DRIVE_HARDWARE})
    EXPECT_FALSE(Checked(page, id)) << id;
  EXPECT_TRUE(Enabled(page, IDC_CONTINUOUS));
  EXPECT_STREQ(Counter(0).NormalStyle.LogFont.lfFaceName, "Arial");
  EXPECT_EQ(Counter(0).NormalStyle.Colour, RGB(0, 255, 0));
  EXPECT_EQ(Counter(0).OrangeStyle.Colour, RGB(255, 255, 0));
  EXPECT_EQ(Counter(0).RedStyle.Colour, RGB(255, 0, 0));
  EXPECT_EQ(Text(page, IDC_PAUSE), "&Pause");
  EXPECT_EQ(Text(page, IDC_FLASH), "&Flash");
}

TEST_F(CounterPageTest, AnHourIsShownAsSixtyMinutesAndStoredBackUnchanged) {
  Seed("Counter1", "TotalTime", 3600);
  StartProgram();
  HWND page = ShowPage(1);
  EXPECT_EQ(Text(page, IDC_TOTAL_HOURS), "");
  EXPECT_EQ(Text(page, IDC_TOTAL_MINUTES), "60");
  EXPECT_EQ(Text(page, IDC_TOTAL_SECONDS), "0");
  ShowPage(0);  // leaving the page saves it
  EXPECT_EQ(StoredNumber("Counter1", "TotalTime"), 3600u);
}

TEST_F(CounterPageTest, HoursMinutesAndSecondsAddUpWhenSaved) {
  StartProgram();
  HWND page = ShowPage(1);
  SetText(page, IDC_TOTAL_HOURS, "1");
  SetText(page, IDC_TOTAL_MINUTES, "0");
  SetText(page, IDC_TOTAL_SECONDS, "75");
  SetText(page, IDC_ORANGE_MINUTES, "2");
  SetText(page, IDC_ORANGE_SECONDS, "5");
  SetText(page, IDC_RED_MINUTES, "");
  SetText(page, IDC_RED_SECONDS, "");
  ShowPage(0);
  EXPECT_EQ(StoredNumber("Counter1", "TotalTime"), 3675u);
  EXPECT_EQ(StoredNumber("Counter1", "OrangeTime"), 125u);
  EXPECT_EQ(StoredNumber("Counter1", "RedTime"), 0u);
}

TEST_F(CounterPageTest, HugeEntriesAreLimitedToWhatTheCounterHolds) {
  StartProgram();
  HWND page = ShowPage(1);
  // (999999 x 60 + 0) x 60 + 0 overflows 32 bits; so does a single box above 2^31.
  SetText(page, IDC_TOTAL_HOURS, "999999");
  SetText(page, IDC_ORANGE_MINUTES, "99999999999");
  Click(page, IDC_START);
  EXPECT_EQ(StoredNumber("Counter1", "TotalTime"), static_cast<DWORD>(INT_MAX));
  EXPECT_EQ(StoredNumber("Counter1", "OrangeTime"), static_cast<DWORD>(INT_MAX));
  EXPECT_EQ(Counter(0).TotalTime.GetTotalSeconds(), INT_MAX);
  EXPECT_GT(Counter(0).OrangeTime.GetTotalSeconds(), 0);
}

TEST_F(CounterPageTest, NegativeStoredTimesShowTheDefaultsNotNegativeNumbers) {
  Seed("Counter1", "TotalTime", 0xFFFFFFFFu);
  Seed("Counter1", "OrangeTime", 0x80000000u);
  Seed("Counter1", "RedTime", 0xFFFFFF00u);
  StartProgram();
  HWND page = ShowPage(1);
  EXPECT_EQ(Text(page, IDC_TOTAL_MINUTES), "1");
  EXPECT_EQ(Text(page, IDC_TOTAL_SECONDS), "10");
  EXPECT_EQ(Text(page, IDC_ORANGE_MINUTES), "0");
  EXPECT_EQ(Text(page, IDC_ORANGE_SECONDS), "30");
  EXPECT_EQ(Text(page, IDC_RED_SECONDS), "10");
  ShowPage(0);
  EXPECT_EQ(StoredNumber("Counter1", "TotalTime"), 70u);
}

TEST_F(CounterPageTest, StoredChoicesOutOfRangeLoadAsTheFirstChoice) {
  Seed("Counter1", "Type", 7);
  Seed("Counter1", "Format", 0xFFFFFFFFu);
  Seed("Counter1", "TickerSize", 3);
  StartProgram();
  HWND page = ShowPage(1);
  EXPECT_TRUE(Checked(page, IDC_TYPE_DOWN_TO_ZERO));
  EXPECT_TRUE(Checked(page, IDC_FORMAT_AUTO));
  EXPECT_TRUE(Checked(page, IDC_TICKER_SMALL));
  ShowPage(0);
  EXPECT_EQ(StoredNumber("Counter1", "Type"), 0u);
  EXPECT_EQ(StoredNumber("Counter1", "Format"), 0u);
  EXPECT_EQ(StoredNumber("Counter1", "TickerSize"), 0u);
}

TEST_F(CounterPageTest, StoredSettingsReachTheirControls) {
  Seed("Counter1", "Type", 4);
  Seed("Counter1", "Format", 2);
  Seed("Counter1", "TickerSize", 1);
  SeedText("Counter1", "Ticker", "Doors open at eight");
  Seed("Counter1", "Continuous", 1);
  Seed("Counter1", "DisplayDuringPause", 5);
  Seed("Counter1", "HideOthers", 0u);
  Seed("Counter1", "Transparent", 1);
  Seed("Counter1", "OnTop", 1);
  SeedText("Counter1", "NormalStyle", "Courier New");
  Seed("Counter1", "RedStyle_col", RGB(200, 0, 100));
  StartProgram();
  HWND page = ShowPage(1);
  EXPECT_TRUE(Checked(page, IDC_TYPE_DOWN_PAST_ZERO));
  EXPECT_TRUE(Checked(page, IDC_FORMAT_HOUR_MIN));
  EXPECT_TRUE(Checked(page, IDC_TICKER_MEDIUM));
  EXPECT_EQ(Text(page, IDC_TICKER_TEXT), "Doors open at eight");
  EXPECT_TRUE(Checked(page, IDC_CONTINUOUS));
  EXPECT_FALSE(Enabled(page, IDC_CONTINUOUS)) << "auto restart is for a count-down to 00:00 only";
  EXPECT_TRUE(Enabled(page, IDC_FORMAT_AUTO));
  EXPECT_TRUE(Checked(page, IDC_DISPLAY_DURING_PAUSE));
  EXPECT_FALSE(Checked(page, IDC_HIDE_OTHERS));
  EXPECT_TRUE(Checked(page, IDC_TRANSPARENT));
  EXPECT_TRUE(Checked(page, IDC_ON_TOP));
  EXPECT_TRUE(Counter(0).Window.OnTop);
  EXPECT_TRUE(Counter(0).Window.GetExStyle() & WS_EX_TOPMOST);
  EXPECT_TRUE(Counter(0).Window.GetExStyle() & WS_EX_LAYERED);
  EXPECT_STREQ(Counter(0).NormalStyle.LogFont.lfFaceName, "Courier New");
  EXPECT_EQ(Counter(0).RedStyle.Colour, RGB(200, 0, 100));
}

TEST_F(CounterPageTest, PauseShowsTheFrozenTimeAndContinueResumes) {
  StartProgram();
  HWND page = ShowPage(1);
  Click(page, IDC_START);
  EXPECT_TRUE(Counter(0).Started);
  Click(page, IDC_PAUSE);
  EXPECT_TRUE(Counter(0).Paused);
  EXPECT_EQ(Text(page, IDC_PAUSE), "&Continue");
  const std::string frozen = "&Continue (" + Counter(0).GetDisplayText().Str() + ")";
  PumpMessages(1200);
  EXPECT_EQ(Text(page, IDC_PAUSE), frozen);

  // Start while paused restarts from the boxes but stays paused; the caption
  // follows within a second.
  SetText(page, IDC_TOTAL_MINUTES, "2");
  SetText(page, IDC_TOTAL_SECONDS, "0");
  Click(page, IDC_START);
  EXPECT_TRUE(Counter(0).Paused);
  EXPECT_EQ(Counter(0).TotalTime.GetTotalSeconds(), 120);
  PumpMessages(1200);
  EXPECT_EQ(Text(page, IDC_PAUSE), "&Continue (02:00)");
  EXPECT_EQ(Counter(0).Elapsed.GetTotalSeconds(), 0);

  Click(page, IDC_PAUSE);
  EXPECT_FALSE(Counter(0).Paused);
  EXPECT_EQ(Text(page, IDC_PAUSE), "&Pause");
  PumpMessages(2300);
  EXPECT_GE(Counter(0).Elapsed.GetTotalSeconds(), 1);
  EXPECT_EQ(Text(page, IDC_PAUSE), "&Pause");
}

TEST_F(CounterPageTest, PressesAfterTheThreadWasHeldUpActOnTheTrueTime) {
  ManualClock clock;
  RecordedPowerSettings power;
  HWND page = StartFiveMinutes();
  EXPECT_EQ(power.Calls, std::vector<EXECUTION_STATE>{RecordedPowerSettings::KeepOn});

  clock.Advance(60500);  // no timer runs meanwhile
  Click(page, IDC_PAUSE);
  EXPECT_EQ(Counter(0).GetDisplayText(), "04:00") << "the pause freezes the time of the press";
  clock.Advance(30000);
  PumpMessages(100);
  EXPECT_EQ(Counter(0).GetDisplayText(), "04:00");
  Click(page, IDC_PAUSE);
  clock.Advance(10000);
  Click(page, IDC_FLASH);
  EXPECT_EQ(Counter(0).GetDisplayText(), "03:50");
  clock.Advance(2000);
  Click(page, IDC_START);
  EXPECT_EQ(Counter(0).GetDisplayText(), "05:00");

  VeltoApp().Sheet->DestroyWindow();
  PumpMessages(50);
  EXPECT_EQ(power.Calls, (std::vector<EXECUTION_STATE>{RecordedPowerSettings::KeepOn, RecordedPowerSettings::Usual}))
      << "given back when the program closes";
}

TEST_F(CounterPageTest, FlashTogglesItsCaption) {
  StartProgram();
  HWND page = ShowPage(1);
  Click(page, IDC_FLASH);
  EXPECT_TRUE(Counter(0).Flashing);
  EXPECT_EQ(Text(page, IDC_FLASH), "Stop &Flashing");
  Click(page, IDC_FLASH);
  EXPECT_FALSE(Counter(0).Flashing);
  EXPECT_EQ(Text(page, IDC_FLASH), "&Flash");
}

TEST_F(CounterPageTest, FlashAndContinueBringBackAClosedDisplay) {
  StartProgram();
  HWND page = ShowPage(1);
  Counter(0).Window.DestroyWindow();
  ASSERT_FALSE(Counter(0).Window.HasWindow());
  Click(page, IDC_FLASH);
  EXPECT_TRUE(Counter(0).Window.HasWindow());
  Click(page, IDC_PAUSE);
  Counter(0).Window.DestroyWindow();
  Click(page, IDC_PAUSE);  // continue
  EXPECT_TRUE(Counter(0).Window.HasWindow());
}

TEST_F(CounterPageTest, RealTimeTypesChooseTheirOwnFormat) {
  Seed("Counter1", "Type", 2);
  Seed("Counter1", "Format", 1);
  StartProgram();
  HWND page = ShowPage(1);
  // Loading shows the stored format and greys nothing but "Auto restart counter".
  EXPECT_TRUE(Checked(page, IDC_FORMAT_MIN_SEC));
  for (int id : {IDC_FORMAT_AUTO, IDC_FORMAT_MIN_SEC, IDC_FORMAT_HOUR_MIN, IDC_FORMAT_GROUP})
    EXPECT_TRUE(Enabled(page, id)) << id;
  EXPECT_FALSE(Enabled(page, IDC_CONTINUOUS));

  Click(page, IDC_FORMAT_MIN_SEC);
  Click(page, IDC_TYPE_REAL_TIME_12);
  EXPECT_TRUE(Checked(page, IDC_FORMAT_AUTO));
  EXPECT_FALSE(Checked(page, IDC_FORMAT_MIN_SEC));
  EXPECT_FALSE(Checked(page, IDC_FORMAT_HOUR_MIN));
  for (int id : {IDC_FORMAT_AUTO, IDC_FORMAT_MIN_SEC, IDC_FORMAT_HOUR_MIN, IDC_FORMAT_GROUP})
    EXPECT_FALSE(Enabled(page, id)) << id;
  EXPECT_FALSE(Enabled(page, IDC_CONTINUOUS));

  Click(page, IDC_TYPE_COUNT_UP);
  for (int id : {IDC_FORMAT_AUTO, IDC_FORMAT_MIN_SEC, IDC_FORMAT_HOUR_MIN, IDC_FORMAT_GROUP})
    EXPECT_TRUE(Enabled(page, id)) << id;
  EXPECT_TRUE(Checked(page, IDC_FORMAT_AUTO));

  // Counting down past zero follows the same rules as the other counting types.
  Click(page, IDC_TYPE_REAL_TIME_24);
  Click(page, IDC_TYPE_DOWN_PAST_ZERO);
  EXPECT_TRUE(Enabled(page, IDC_FORMAT_MIN_SEC));
  EXPECT_FALSE(Enabled(page, IDC_CONTINUOUS));
  Click(page, IDC_START);
  EXPECT_EQ(Counter(0).Type, DownPastZero);
  EXPECT_EQ(StoredNumber("Counter1", "Type"), 4u);
}

TEST_F(CounterPageTest, AutoRestartIsOfferedOnlyForCountDownAndKeepsItsMark) {
  StartProgram();
  HWND page = ShowPage(1);
  Click(page, IDC_CONTINUOUS);
  EXPECT_EQ(StoredNumber("Counter1", "Continuous"), 1u);
  EXPECT_TRUE(Counter(0).Continuous);
  Click(page, IDC_TYPE_COUNT_UP);
  EXPECT_FALSE(Enabled(page, IDC_CONTINUOUS));
  EXPECT_TRUE(Checked(page, IDC_CONTINUOUS));
  Click(page, IDC_TYPE_DOWN_TO_ZERO);
  EXPECT_TRUE(Enabled(page, IDC_CONTINUOUS));
  Click(page, IDC_TYPE_REAL_TIME_24);
  Click(page, IDC_START);
  EXPECT_TRUE(Counter(0).Continuous) << "Start passes the flag also while the box is grey";
}

TEST_F(CounterPageTest, TransparentAndOnTopAreStoredOnlyWhenClicked) {
  StartProgram();
  HWND page = ShowPage(1);
  Click(page, IDC_TRANSPARENT);
  EXPECT_EQ(StoredNumber("Counter1", "Transparent"), 1u);
  EXPECT_TRUE(Counter(0).Window.GetExStyle() & WS_EX_LAYERED);
  Click(page, IDC_ON_TOP);
  EXPECT_EQ(StoredNumber("Counter1", "OnTop"), 1u);
  EXPECT_TRUE(Counter(0).Window.GetExStyle() & WS_EX_TOPMOST);

  // Save, Start, Update and leaving the page leave both values alone.
  Seed("Counter1", "Transparent", 7);
  Seed("Counter1", "OnTop", 7);
  Click(page, IDC_TICKER_UPDATE);
  Click(page, IDC_START);
  ShowPage(0);
  EXPECT_EQ(StoredNumber("Counter1", "Transparent"), 7u);
  EXPECT_EQ(StoredNumber("Counter1", "OnTop"), 7u);

  page = ShowPage(1);
  Click(page, IDC_TRANSPARENT);
  Click(page, IDC_ON_TOP);
  EXPECT_EQ(StoredNumber("Counter1", "Transparent"), 0u);
  EXPECT_EQ(StoredNumber("Counter1", "OnTop"), 0u);
  EXPECT_FALSE(Counter(0).Window.GetExStyle() & WS_EX_LAYERED);
  EXPECT_FALSE(Counter(0).Window.GetExStyle() & WS_EX_TOPMOST);
}

TEST_F(CounterPageTest, TickerSizeTakesEffectAtOnceAndIsStoredAtTheNextSave) {
  StartProgram();
  HWND page = ShowPage(1);
  Click(page, IDC_TICKER_LARGE);
  EXPECT_EQ(Counter(0).TickerSize, 2);
  DWORD stored = 0;
  EXPECT_FALSE(Stored("Counter1", "TickerSize", stored));
  ShowPage(0);
  EXPECT_EQ(StoredNumber("Counter1", "TickerSize"), 2u);
}

TEST_F(CounterPageTest, UpdateSetsTheTickerAndSavesTheSettings) {
  StartProgram();
  HWND page = ShowPage(1);
  SetText(page, IDC_TICKER_TEXT, "Interval: 20 minutes");
  SetText(page, IDC_TOTAL_MINUTES, "3");
  Click(page, IDC_TICKER_UPDATE);
  EXPECT_EQ(Counter(0).Ticker, "Interval: 20 minutes");
  EXPECT_EQ(VeltoApp().GetProfileString("Counter1", "Ticker", ""), "Interval: 20 minutes");
  EXPECT_EQ(StoredNumber("Counter1", "TotalTime"), 190u);
  EXPECT_EQ(VeltoApp().GetProfileString("Counter1", "NormalStyle", ""), "Arial");
  EXPECT_EQ(StoredNumber("Counter1", "RedStyle_col"), static_cast<DWORD>(RGB(255, 0, 0)));
}

TEST_F(CounterPageTest, FlagBoxesAreStoredAtOnce) {
  StartProgram();
  HWND page = ShowPage(1);
  Click(page, IDC_DISPLAY_DURING_PAUSE);
  EXPECT_EQ(StoredNumber("Counter1", "DisplayDuringPause"), 1u);
  EXPECT_TRUE(Counter(0).DisplayDuringPause);
  Click(page, IDC_HIDE_OTHERS);
  EXPECT_EQ(StoredNumber("Counter1", "HideOthers"), 0u);
  Click(page, IDC_DRIVE_HARDWARE);
  EXPECT_EQ(StoredNumber("Counter1", "DriveHardware"), 1u);
  EXPECT_TRUE(Counter(0).DriveHardware);
  EXPECT_EQ(AfxGetExpander()->Owner, &Counter(0));
  Click(page, IDC_DRIVE_HARDWARE);
  EXPECT_EQ(StoredNumber("Counter1", "DriveHardware"), 0u);
  EXPECT_FALSE(Counter(0).DriveHardware);
  EXPECT_EQ(AfxGetExpander()->Owner, &Counter(0)) << "unticking keeps the owner";
}

TEST_F(CounterPageTest, StartHidesTheOtherDisplaysWhichComeBackOnTheirOwnStart) {
  SeedText("Settings", "Counters", "1,2,3");
  Seed("Counter3", "HideOthers", 0u);
  StartProgram();
  HWND first = ShowPage(1);
  HWND second = ShowPage(2);
  HWND third = ShowPage(3);
  Click(third, IDC_START);  // does not hide others
  Click(second, IDC_START);
  EXPECT_TRUE(Counter(1).Window.IsWindowVisible());
  EXPECT_FALSE(Counter(0).Window.IsWindowVisible());
  EXPECT_FALSE(Counter(2).Window.IsWindowVisible());
  EXPECT_TRUE(Counter(2).Started) << "a hidden counter keeps counting";
  Click(first, IDC_START);
  EXPECT_TRUE(Counter(0).Window.IsWindowVisible());
  EXPECT_FALSE(Counter(1).Window.IsWindowVisible());
  Click(third, IDC_START);
  EXPECT_TRUE(Counter(2).Window.IsWindowVisible());
  EXPECT_TRUE(Counter(0).Window.IsWindowVisible());
}

TEST_F(CounterPageTest, APageIsLoadedOnlyWhenFirstShown) {
  SeedText("Settings", "Counters", "1,2");
  Seed("Counter2", "OnTop", 1);
  StartProgram();
  EXPECT_FALSE(Counter(1).Window.OnTop) << "until its page is shown the display keeps its defaults";
  ShowPage(2);
  EXPECT_TRUE(Counter(1).Window.OnTop);
}

}  // namespace
