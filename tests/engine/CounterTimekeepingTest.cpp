#include <gtest/gtest.h>

#include <vector>

#include "device/ExpanderOutput.h"
#include "display/FramePlan.h"
#include "support/CounterHarness.h"
#include "support/SimulatedExpander.h"

#ifdef _WIN32
#include "display/GlyphCache.h"
#endif

namespace {

class Timekeeping : public ::testing::Test, public CounterHarness {};

TEST_F(Timekeeping, CountdownReachesZeroAndRestsThereWithoutRepainting) {
  Counter.Start(10, DownToZero, Auto, 0, 0);
  EXPECT_TRUE(Repainted());
  EXPECT_EQ(Text(), "00:10");
  RunFor(999);
  EXPECT_EQ(Text(), "00:10") << "the first second is counted one second after Start";
  EXPECT_FALSE(Repainted());
  RunFor(1);
  EXPECT_EQ(Text(), "00:09");
  EXPECT_TRUE(Repainted());
  RunFor(9000);
  EXPECT_EQ(Text(), "00:00");
  Repainted();
  for (int i = 0; i < 200; ++i) {
    Step(30);
    ASSERT_FALSE(Repainted()) << "a finished count-down repaints nothing";
  }
  EXPECT_EQ(Text(), "00:00");
  EXPECT_EQ(Counter.Elapsed.GetTotalSeconds(), 10);
}

TEST_F(Timekeeping, AutoRestartShowsZeroForOneSecondThenTheFullTime) {
  Counter.Continuous = true;
  Counter.Start(10, DownToZero, Auto, 0, 0);
  RunFor(10000);
  EXPECT_EQ(Text(), "00:00");
  RunFor(999);
  EXPECT_EQ(Text(), "00:00");
  RunFor(1);
  EXPECT_EQ(Text(), "00:10");
  RunFor(1000);
  EXPECT_EQ(Text(), "00:09");
}

TEST_F(Timekeeping, AutoRestartDoesNothingForOtherTypes) {
  Counter.Continuous = true;
  Counter.Start(2, CountUp, Auto, 0, 0);
  RunFor(5000);
  EXPECT_EQ(Text(), "00:05");
  Counter.Start(2, DownPastZero, Auto, 0, 0);
  RunFor(5000);
  EXPECT_EQ(Text(), "-00:03");
}

TEST_F(Timekeeping, ZeroLengthShowsZeroAndWithAutoRestartRepaintsEverySecond) {
  Counter.Start(0, DownToZero, Auto, 0, 0);
  EXPECT_EQ(Text(), "00:00");
  Repainted();
  RunFor(3000);
  EXPECT_FALSE(Repainted());

  Counter.Continuous = true;
  Counter.Start(0, DownToZero, Auto, 0, 0);
  Repainted();
  for (int second = 0; second < 3; ++second) {
    RunFor(1000);
    EXPECT_TRUE(Repainted()) << "restart at second " << second;
    EXPECT_EQ(Text(), "00:00");
    EXPECT_EQ(Counter.Elapsed.GetTotalSeconds(), 0);
  }
}

TEST_F(Timekeeping, PastZeroGoesNegativeAndRed) {
  Counter.Start(5, DownPastZero, Auto, 3, 1);
  RunFor(8000);
  EXPECT_EQ(Text(), "-00:03");
  EXPECT_EQ(Counter.GetColourState(), Red);
  RunFor(60000);
  EXPECT_EQ(Text(), "-01:03");
}

TEST_F(Timekeeping, PauseDelaysTheEndByItsLengthOnTheOldPhase) {
  Counter.Start(60, DownToZero, Auto, 0, 0);
  RunFor(2500);
  EXPECT_EQ(Counter.Elapsed.GetTotalSeconds(), 2);
  Counter.Paused = true;
  RunFor(10000);
  EXPECT_EQ(Counter.Elapsed.GetTotalSeconds(), 2) << "nothing counted while paused";
  Counter.Paused = false;
  // Back at 12.5 s; the grid still lies on whole seconds after Start.
  RunFor(490);
  EXPECT_EQ(Counter.Elapsed.GetTotalSeconds(), 2);
  RunFor(10);
  EXPECT_EQ(Counter.Elapsed.GetTotalSeconds(), 3) << "the next count comes at 13.0 s";
  RunFor(56990);
  EXPECT_EQ(Text(), "00:01");
  RunFor(10);
  EXPECT_EQ(Text(), "00:00") << "60 s plus the 10 s pause";
}

TEST_F(Timekeeping, NoBurstOfSecondsAfterALongPause) {
  Counter.Start(600, DownToZero, Auto, 0, 0);
  Counter.Paused = true;
  RunFor(60000);
  Counter.Paused = false;
  Step(30);
  EXPECT_EQ(Counter.Elapsed.GetTotalSeconds(), 0);
  RunFor(1000);
  EXPECT_EQ(Counter.Elapsed.GetTotalSeconds(), 1);
}

TEST_F(Timekeeping, StartWhilePausedShowsTheNewTimeAndStaysPaused) {
  Counter.Start(60, DownToZero, Auto, 0, 0);
  RunFor(5000);
  Counter.Paused = true;
  Counter.Flashing = true;
  Counter.Start(30, DownToZero, Auto, 0, 0);
  EXPECT_EQ(Text(), "00:30");
  EXPECT_TRUE(Counter.Paused);
  EXPECT_TRUE(Counter.Flashing);
  RunFor(3000);
  EXPECT_EQ(Text(), "00:30");
}

TEST_F(Timekeeping, AStalledThreadCatchesUpInItsFirstTick) {
  Counter.Start(60, DownToZero, Auto, 0, 0);
  RunFor(990);
  Clock.Advance(2040);  // nothing ticks for two seconds: now 3.03 s
  std::vector<int64_t> counted;
  for (int i = 0; i < 5; ++i) {
    Step(30);
    counted.push_back(Counter.Elapsed.GetTotalSeconds());
  }
  EXPECT_EQ(counted, (std::vector<int64_t>{3, 3, 3, 3, 3}));
}

TEST_F(Timekeeping, TickCounterWrapDoesNotJump) {
  Clock.Ticks = 0xFFFFFFFFu - 2500;
  Counter.Start(60, DownToZero, Auto, 0, 0);
  for (int second = 1; second <= 6; ++second) {
    RunFor(1000);
    EXPECT_EQ(Counter.Elapsed.GetTotalSeconds(), second) << "tick count " << Clock.Ticks;
  }
  EXPECT_LT(Clock.Ticks, 10000u) << "the test crossed the wrap";
}

TEST_F(Timekeeping, CountsExactlyOverALongRunWithJitteryTicks) {
  Counter.Start(100000, CountUp, Auto, 0, 0);
  const DWORD gaps[] = {27, 30, 31, 33, 63, 29, 30, 250, 30, 28};
  DWORD total = 0;
  for (int i = 0; i < 30000; ++i) {
    const DWORD gap = gaps[i % 10];
    Step(gap);
    total += gap;
  }
  EXPECT_EQ(Counter.Elapsed.GetTotalSeconds(), total / 1000);
  RunFor(5000);
  total += 5000;
  EXPECT_EQ(Counter.Elapsed.GetTotalSeconds(), total / 1000);
}

TEST_F(Timekeeping, RealTimeFreezesWhilePausedAndJumpsOnContinue) {
  Clock.Wall = UtcSeconds(2026, 12, 9, 12, 0, 5);
  Counter.Start(0, RealTime24, Auto, 0, 0);
  EXPECT_EQ(Text(), "12:00:05");
  Counter.Paused = true;
  RunFor(10000);
  EXPECT_EQ(Text(), "12:00:05");
  Counter.Paused = false;
  Repainted();
  Step(30);
  EXPECT_EQ(Text(), "12:00:15");
  EXPECT_TRUE(Repainted());
}

TEST_F(Timekeeping, RealTimeRepaintsOncePerWallSecond) {
  Clock.Wall = UtcSeconds(2026, 12, 9, 23, 59, 58);
  Counter.Start(0, RealTime12, Auto, 0, 0);
  Repainted();
  int repaints = 0;
  for (int i = 0; i < 100; ++i) {  // 3 s of ticks
    Step(30);
    repaints += Repainted() ? 1 : 0;
  }
  EXPECT_EQ(repaints, 3);
  EXPECT_EQ(Text(), "12:00:01");
  EXPECT_EQ(Counter.Elapsed.GetTotalSeconds(), 0) << "real-time counters count nothing";
}

TEST_F(Timekeeping, RealTimeWithoutLocalTimeShowsNothingAndDoesNotSpin) {
  Clock.Wall = UtcSeconds(2026, 12, 9, 12, 0, 0);
  Clock.LocalTimeFails = true;
  Counter.Start(0, RealTime24, Auto, 0, 0);
  EXPECT_EQ(Text(), "");
  Repainted();
  RunFor(3000);
  EXPECT_FALSE(Repainted()) << "both sides read -1: no change to show";
}

TEST_F(Timekeeping, FlashTogglesEvery300msAndCatchesUp) {
  Counter.Start(60, DownToZero, Auto, 0, 0);
  Counter.Flashing = true;
  std::vector<DisplayColour> phases;
  Step(1);  // the flash grid is due at Start: first phase change
  phases.push_back(Counter.GetColourState());
  for (int i = 0; i < 4; ++i) {
    RunFor(300);
    phases.push_back(Counter.GetColourState());
  }
  EXPECT_EQ(phases, (std::vector<DisplayColour>{Normal, Blank, Normal, Blank, Normal}));

  RunFor(300);
  ASSERT_EQ(Counter.GetColourState(), Blank);
  Counter.Flashing = false;
  EXPECT_EQ(Counter.GetColourState(), Normal) << "stopping the flash shows the digits at once";
  RunFor(900);
  EXPECT_FALSE(Counter.FlashVisible) << "the phase is kept while not flashing";
  Counter.Flashing = true;
  EXPECT_EQ(Counter.GetColourState(), Blank);
}

TEST_F(Timekeeping, FlashRepaintsOnlyWhileFlashing) {
  Counter.Start(600, DownToZero, Auto, 0, 0);
  Repainted();
  int repaints = 0;
  for (int i = 0; i < 30; ++i) {  // 900 ms: no second yet
    Step(30);
    repaints += Repainted() ? 1 : 0;
  }
  EXPECT_EQ(repaints, 0);
  Counter.Flashing = true;
  for (int i = 0; i < 20; ++i) {  // 600 ms more
    Step(30);
    repaints += Repainted() ? 1 : 0;
  }
  EXPECT_GE(repaints, 2);
  EXPECT_LE(repaints, 4);  // two flash phases and the second at 1.0 s
}

TEST_F(Timekeeping, IdleCounterCountsNothingAndIsBlank) {
  RunFor(5000);
  EXPECT_FALSE(Counter.Started);
  EXPECT_EQ(Counter.Elapsed.GetTotalSeconds(), 0);
  EXPECT_EQ(Counter.GetColourState(), Blank);
  EXPECT_FALSE(Repainted());
}

TEST_F(Timekeeping, OperationsRecreateAClosedDisplay) {
  Counter.Window.DestroyWindow();
  ASSERT_FALSE(Counter.Window.HasWindow());
  Counter.SetTicker("Doors open at eight");
  EXPECT_TRUE(Counter.Window.HasWindow());
  EXPECT_EQ(Counter.Ticker, "Doors open at eight");

  Counter.Window.DestroyWindow();
  Counter.SetTickerStyle(2, FALSE, RGB(1, 2, 3));
  EXPECT_TRUE(Counter.Window.HasWindow());
  EXPECT_EQ(Counter.TickerSize, 2);
  EXPECT_FALSE(Counter.AutoTickerColour);
  EXPECT_EQ(Counter.TickerColour, RGB(1, 2, 3));

  Counter.Window.DestroyWindow();
  Counter.Start(30, DownToZero, Auto, 0, 0);
  EXPECT_TRUE(Counter.Window.HasWindow());
  EXPECT_TRUE(Repainted());
}

TEST_F(Timekeeping, TickWithoutAWindowIsHarmless) {
  Counter.Start(30, DownToZero, Auto, 0, 0);
  Counter.Window.DestroyWindow();
  RunFor(3000);
  EXPECT_EQ(Counter.Elapsed.GetTotalSeconds(), 3);
  EXPECT_FALSE(Counter.Window.HasWindow()) << "ticking never re-creates the window";
}

// A counter held up (a laptop asleep, a frozen machine) for a long time, as
// each kind of counter, with auto restart, paused and flashing. The truth is
// a twin counter that ticked through the whole hold every 30 ms. The first
// tick after the hold must land where the twin is with one repaint and one
// report; a Pause pressed right after the hold, before any tick, must freeze
// the true time.
TEST(HeldUpCounter, CatchesUpInOneTickAndAPressActsOnTheTrueTime) {
  struct Kind {
    const char* Name;
    CounterType Type;
    bool Continuous;
    bool Paused;
  };
  const Kind kinds[] = {
      {"count-down", DownToZero, false, false},  {"auto restart", DownToZero, true, false},
      {"count up", CountUp, false, false},       {"past zero", DownPastZero, false, false},
      {"time of day", RealTime24, false, false}, {"12-hour time", RealTime12, false, false},
      {"paused", CountUp, false, true},
  };
  const DWORD holds[] = {2000, 60000, 10 * 60000, 2 * 3600000};
  constexpr int TotalTime = 90;
  constexpr DWORD BeforeHold = 500;

  SimulatedExpander sim;
  sim.AddUnit();
  ExpanderOutput output;
  ExpanderOutput* previous = AfxGetExpander();
  AfxSetExpander(&output);
  CounterHarness h;
  h.Counter.DriveHardware = true;
  output.Attach(&h.Counter);
  h.Clock.Ticks = 0xFFFFFFFFu - 700;  // every run crosses the wrap of the tick count
  h.Clock.Wall = UtcSeconds(2026, 12, 9, 19, 59, 30);
  const ManualClock::Reading start = h.Clock.Snapshot();

  auto begin = [&](CCounter& counter, const Kind& kind, bool flashing) {
    h.Clock.Restore(start);
    counter.Start(TotalTime, kind.Type, Auto, 30, 10);
    counter.Continuous = kind.Continuous;
    counter.Paused = kind.Paused;
    counter.Flashing = flashing;
    counter.FlashVisible = false;
  };

  for (DWORD hold : holds) {
    for (const Kind& kind : kinds) {
      for (bool flashing : {false, true}) {
        SCOPED_TRACE(::testing::Message()
                     << kind.Name << (flashing ? ", flashing" : "") << ", held " << hold / 1000 << " s");
        CCounter twin(2);
        begin(twin, kind, flashing);
#ifdef _WIN32
        CFrameClock::Instance().Leave(twin.Window);  // only the test ticks it
#endif
        begin(h.Counter, kind, flashing);
        for (DWORD t = 0; t < BeforeHold; t += 20) {
          h.Clock.Advance(20);
          twin.Tick();
          h.Counter.Tick();
        }
        const CString textBefore = twin.GetDisplayText();
        const bool visibleBefore = twin.FlashVisible;
        for (DWORD t = 0; t < hold; t += 20) {
          h.Clock.Advance(20);
          twin.Tick();
        }
        const bool shouldShow = twin.GetDisplayText() != textBefore || twin.FlashVisible != visibleBefore;

        TakeRepaints(h.Counter.Window);
        const size_t reportsBefore = sim.Shown.size();
        h.Counter.Tick();
        EXPECT_EQ(h.Counter.Elapsed.GetTotalSeconds(), twin.Elapsed.GetTotalSeconds());
        EXPECT_EQ(h.Text(), twin.GetDisplayText());
        EXPECT_EQ(h.Counter.FlashVisible, twin.FlashVisible) << "lands on the phase it would have reached";
        EXPECT_EQ(h.Counter.NextSecondTick, twin.NextSecondTick);
        EXPECT_EQ(h.Counter.NextFlashTick, twin.NextFlashTick);
        EXPECT_EQ(TakeRepaints(h.Counter.Window), shouldShow ? 1 : 0);
        EXPECT_EQ(sim.Shown.size() - reportsBefore, shouldShow ? 1u : 0u);

        // The same hold, then the operator's Pause (or Continue) at once.
        begin(h.Counter, kind, flashing);
        h.RunFor(BeforeHold);
        h.Clock.Advance(hold);
        h.Counter.CatchUp();
        h.Counter.Paused = !h.Counter.Paused;
        const CString pressedAt = h.Text();
        EXPECT_EQ(pressedAt, twin.GetDisplayText()) << "the press acts on the true time";
        if (h.Counter.Paused) {
          h.RunFor(5000);
          EXPECT_EQ(h.Text(), pressedAt) << "and the pause freezes it";
        }
      }
    }
  }
  // A few counts worked out by hand, for the longest hold.
  const Kind anchors[] = {kinds[0], kinds[1], kinds[2], kinds[3]};
  const int64_t elapsedAfter2h[] = {TotalTime, 7200 % (TotalTime + 1), 7200, 7200};
  for (size_t i = 0; i < 4; ++i) {
    begin(h.Counter, anchors[i], false);
    h.RunFor(BeforeHold);
    h.Clock.Advance(2 * 3600000);
    h.Counter.Tick();
    EXPECT_EQ(h.Counter.Elapsed.GetTotalSeconds(), elapsedAfter2h[i]) << anchors[i].Name;
  }
  EXPECT_EQ(sim.Faults, 0);
  AfxSetExpander(previous);
}

TEST(KeepDisplaysOn, WhileAtLeastOneCounterRuns) {
  RecordedPowerSettings power;
  const std::vector<EXECUTION_STATE> none;
  const std::vector<EXECUTION_STATE> on = {RecordedPowerSettings::KeepOn};
  const std::vector<EXECUTION_STATE> onOff = {RecordedPowerSettings::KeepOn, RecordedPowerSettings::Usual};
  {
    CounterHarness h;
    h.RunFor(2000);
    EXPECT_EQ(power.Calls, none) << "an idle counter does not run";
    h.Counter.Start(3, DownToZero, Auto, 0, 0);
    EXPECT_EQ(power.Calls, on);
    h.Counter.Paused = true;
    h.RunFor(5000);
    EXPECT_EQ(power.Calls, on) << "a paused counter still runs";
    h.Counter.Paused = false;
    h.RunFor(3000);
    EXPECT_EQ(h.Text(), "00:00");
    EXPECT_EQ(power.Calls, onOff) << "a count-down that reached 00:00 has finished";
    h.Counter.Start(0, DownToZero, Auto, 0, 0);
    EXPECT_EQ(power.Calls, onOff) << "a zero-length count-down finishes at its Start";
    h.Counter.Continuous = true;
    h.RunFor(3000);
    EXPECT_EQ(power.Calls.size(), 3u) << "with auto restart it runs on";
    power.Calls.clear();

    // Two counters: the system is asked only when the first starts and the last stops.
    CCounter second(2);
    second.Start(600, CountUp, Auto, 0, 0);
    EXPECT_EQ(power.Calls, none);
    h.Counter.Continuous = false;
    h.RunFor(1000);
    EXPECT_EQ(power.Calls, none);
    h.Counter.Start(60, RealTime24, Auto, 0, 0);
  }
  // Both destroyed, as by a rebuild of the pages or at exit.
  EXPECT_EQ(power.Calls, (std::vector<EXECUTION_STATE>{RecordedPowerSettings::Usual}));
  EXPECT_EQ(AfxDisplaysOnHolders(), 0);
  // Throttling went with every change of the wish, opted out of while a
  // counter ran and given back when none did.
  EXPECT_EQ(power.Throttling, (std::vector<bool>{false, true, false, true}));
}

#ifdef _WIN32
// A counter's state can change without a press of Start, Pause, Continue or
// Flash. Each case runs on the displays' own clock, woken only when it
// planned to be, and checks what is shown, what is planned and who keeps
// the machine awake.
class OnTheFrameClock : public ::testing::Test, public ClockedCounter {
protected:
  RecordedPowerSettings Power;
};

TEST_F(OnTheFrameClock, AutoRestartTickedAtZeroGoesRoundFromTheTick) {
  Counter.Start(10, DownToZero, MinSec, 0, 0);
  RunFor(10000);
  ASSERT_EQ(Text(), "00:00");
  EXPECT_FALSE(Armed()) << "a finished count-down costs no wakes";
  RunFor(20000);
  EXPECT_EQ(AfxDisplaysOnHolders(), 0);
  Counter.SetContinuous(true);
  EXPECT_EQ(AfxDisplaysOnHolders(), 1) << "it runs again";
  RunFor(999);
  EXPECT_EQ(Text(), "00:00");
  RunFor(1);
  EXPECT_EQ(Text(), "00:10") << "the full time one second after the tick, not a time that ran on unseen";
  RunFor(1000);
  EXPECT_EQ(Text(), "00:09");
}

TEST_F(OnTheFrameClock, AutoRestartUntickedAtZeroStopsThereAndLetsTheMachineSleep) {
  Counter.Start(3, DownToZero, MinSec, 0, 0);
  Counter.SetContinuous(true);
  RunFor(3500);
  ASSERT_EQ(Text(), "00:00");
  Counter.SetContinuous(false);
  EXPECT_EQ(AfxDisplaysOnHolders(), 0);
  for (int i = 0; i < 2; ++i) {
    RunFor(3000);
    EXPECT_EQ(Text(), "00:00");
    EXPECT_FALSE(Counter.IsRunning());
    EXPECT_FALSE(Armed());
    EXPECT_EQ(AfxDisplaysOnHolders(), 0);
  }
}

TEST_F(OnTheFrameClock, ADisplayClosedWhileCountingKeepsItsCounterTrue) {
  Counter.Start(2, DownToZero, MinSec, 0, 0);
  // Alt+F4 on the display.
  Counter.Window.SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_FALSE(Counter.Window.HasWindow());
  RunFor(4000);
  EXPECT_EQ(Counter.Elapsed.GetTotalSeconds(), 2);
  EXPECT_EQ(AfxDisplaysOnHolders(), 0) << "finished with its display closed";
  Counter.SetTicker("Back on stage");
  EXPECT_EQ(Text(), "00:00") << "the display comes back on the true time";
}

// Deadlines that nothing stepped for 24.9 days or more read as being in the
// future by the signed distance: they are moved on when used again.
TEST_F(OnTheFrameClock, DeadlinesOutOfThePlanForWeeksAreMovedToThePresent) {
  Counter.Start(2, DownToZero, MinSec, 0, 0);
  RunFor(2000);
  ASSERT_FALSE(Armed());
  Clock.Advance(0x80000000u + 5000);  // 24.9 days resting at 00:00
  Counter.CatchUp();                  // as the Flash button does
  Counter.Flashing = true;
  Counter.Window.CounterChanged();
  ASSERT_TRUE(Armed());
  EXPECT_LE(static_cast<int32_t>(CFrameClock::Instance().ArmedFor() - Clock.Ticks), 300);
  const bool before = Counter.FlashVisible;
  RunFor(300);
  EXPECT_NE(Counter.FlashVisible, before) << "the display blinks";

  Counter.Flashing = false;
  Counter.Window.CounterChanged();
  Clock.Advance(0xC0000000u);
  Counter.SetContinuous(true);
  RunFor(1000);
  EXPECT_EQ(Text(), "00:02");
}

// On a PC the tick count moves only every 15.625 ms: a wake at a deadline
// still serves it at that wake, since what is due is decided on the
// millisecond clock.
TEST_F(OnTheFrameClock, AWakeAtADeadlineServesItThoughTheTickCountLagsBehind) {
  Counter.Window.CacheGlyphs = false;  // no wakes to render glyphs ahead
  Clock.CoarseTicks = true;
  Clock.Advance(1003);  // off the coarse tick count's steps
  Counter.Start(5, DownToZero, MinSec, 0, 0);
  for (const char* expected : {"00:04", "00:03", "00:02"}) {
    EXPECT_EQ(RunFor(1000), 1) << "one wake a second";
    EXPECT_EQ(Text(), expected);
  }
}

// The digits next to those shown are rendered between the seconds, well
// clear of any deadline, so that the second that first shows one only
// copies it.
TEST_F(OnTheFrameClock, DigitsAreRenderedAheadOfTheSecondThatFirstShowsThem) {
  Counter.Start(5, DownToZero, MinSec, 0, 0);
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  const long before = CGlyphCache::Rasterised();
  RunFor(1000 - CFrameClock::GlyphRoom);
  const long ready = CGlyphCache::Rasterised();
  EXPECT_GE(ready, before + 2) << "the 4 and the 6";
  EXPECT_FALSE(Counter.Window.GlyphAhead());
  RunFor(CFrameClock::GlyphRoom);
  ASSERT_EQ(Text(), "00:04");
  EXPECT_EQ(CGlyphCache::Rasterised(), ready + 1) << "the 4 was ready: only the 3 is new, after the frame";
  EXPECT_EQ(RunFor(1000), 1) << "then one wake a second";
}

// Each wake is set for its own deadline: a wake that fires late does not
// push the next one later.
TEST_F(OnTheFrameClock, LateWakesDoNotMoveTheFramesThatFollow) {
  Counter.SetTicker("Doors open in five minutes");
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  ASSERT_TRUE(Armed());
  const DWORD first = CFrameClock::Instance().ArmedFor();
  Wakes.Delays.clear();
  const int wakes = RunFor(3000, 7);
  ASSERT_GT(wakes, 90);
  EXPECT_EQ(static_cast<int>(Wakes.Delays.size()), wakes) << "every wake is set anew";
  for (DWORD delay : Wakes.Delays) EXPECT_EQ(delay, CFrameClock::TickerPeriod - 7);
  EXPECT_EQ((CFrameClock::Instance().ArmedFor() - first) % CFrameClock::TickerPeriod, 0u);
}
#endif

TEST(CounterConstruction, DefaultsAreIdleWithGreenYellowRedArial) {
  ManualClock clock;
  clock.Ticks = 123456;
  MemoryProfile profile;
  CCounter counter(7);
  EXPECT_EQ(counter.Type, DownToZero);
  EXPECT_EQ(counter.Format, Auto);
  EXPECT_EQ(counter.TotalTime.GetTotalSeconds(), 0);
  EXPECT_EQ(counter.Index, 7);
  EXPECT_EQ(counter.SectionName, "Counter7");
  EXPECT_FALSE(counter.Started || counter.Paused || counter.Flashing || counter.FlashVisible);
  EXPECT_FALSE(counter.Continuous || counter.DisplayDuringPause || counter.DriveHardware);
  EXPECT_TRUE(counter.AutoTickerColour);
  EXPECT_EQ(counter.TickerColour, RGB(255, 255, 255));
  EXPECT_EQ(counter.TickerSize, 0);
  EXPECT_EQ(counter.NextFlashTick, 123456u);
  EXPECT_EQ(counter.NextSecondTick, 123456u);
  EXPECT_EQ(counter.NormalStyle.Colour, RGB(0, 255, 0));
  EXPECT_EQ(counter.OrangeStyle.Colour, RGB(255, 255, 0));
  EXPECT_EQ(counter.RedStyle.Colour, RGB(255, 0, 0));
  EXPECT_STREQ(counter.RedStyle.LogFont.lfFaceName, "Arial");
  EXPECT_FALSE(counter.Window.HasWindow()) << "construction creates no window";
}

// When the frame clock must wake for a counter: nothing for one that cannot
// change by itself, otherwise its earliest deadline.
TEST_F(Timekeeping, NextDueIsTheEarliestDeadlineAndNoneWhileNothingCanChange) {
  DWORD due = 0;
  auto next = [&]() { return CounterNextDue(Counter, Clock.Ticks, Clock.TimeMs(), due); };
  EXPECT_FALSE(next()) << "never started";
  Counter.Flashing = true;
  ASSERT_TRUE(next());
  EXPECT_EQ(due, Counter.NextFlashTick);
  Counter.Flashing = false;

  Counter.Start(2, DownToZero, Auto, 0, 0);
  ASSERT_TRUE(next());
  EXPECT_EQ(due, Clock.Ticks + 1000);
  Counter.Paused = true;
  ASSERT_TRUE(next()) << "a paused counter's grid moves on once a second";
  EXPECT_EQ(due, Clock.Ticks + 1000);
  Counter.Paused = false;
  RunFor(2000);
  EXPECT_EQ(Text(), "00:00");
  EXPECT_FALSE(next()) << "a finished count-down";
  Counter.Continuous = true;
  EXPECT_TRUE(next());
  Counter.Continuous = false;

  // A real-time counter: at the turn of the wall-clock second (one
  // millisecond after it), or at once when the shown second is behind.
  Clock.Wall = 1000;
  Clock.WallMs = 400;
  Counter.Start(0, RealTime24, Auto, 0, 0);
  ASSERT_TRUE(next());
  EXPECT_EQ(due, Clock.Ticks + 601);
  Clock.Advance(700);
  ASSERT_TRUE(next());
  EXPECT_EQ(due, Clock.Ticks);
  Clock.LocalTimeFails = true;
  ASSERT_TRUE(next());
  EXPECT_EQ(due, Clock.Ticks + 901) << "without local time, at the next turn of the second, not at every plan";
  Clock.LocalTimeFails = false;
  // Across the wrap of the millisecond counter the earlier deadline still wins.
  Counter.Type = CountUp;
  Counter.Flashing = true;
  Counter.NextFlashTick = 0xFFFFFF00u;
  Counter.NextSecondTick = 0x00000100u;
  ASSERT_TRUE(next());
  EXPECT_EQ(due, 0xFFFFFF00u);
}

}  // namespace
