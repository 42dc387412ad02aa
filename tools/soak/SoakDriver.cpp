#include "tools/soak/SoakDriver.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/VeltoApp.h"
#include "app/VeltoSheet.h"
#include "counter/Counter.h"
#include "framework/Clock.h"
#include "framework/Power.h"
#include "resources/resource.h"
#include "tools/soak/SoakClock.h"

namespace {

SoakDriver* running = nullptr;
constexpr UINT DriverPeriodMs = 20;
constexpr UINT BenchSettleMs = 3000;
// A counter is checked, and the paused one toggled, only this far from its
// deadlines, so that the display's timer has surely handled the last one.
constexpr int32_t CheckMarginMs = 100;
constexpr int32_t ToggleEarliestMs = 350;
constexpr int32_t ToggleLatestMs = 650;
constexpr DWORD CheckPatienceMs = 3000;

// The repeater window is built on dialog template 144: a program without
// it has no repeater to open yet.
bool ProgramHasRepeater() {
  return ::FindResourceA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(144), RT_DIALOG) != nullptr;
}

bool IsRealTimeType(int type) { return type == RealTime24 || type == RealTime12; }

const char* TypeName(int type) {
  switch (type) {
    case DownToZero:
      return "down to 00:00";
    case CountUp:
      return "count up";
    case RealTime24:
      return "real time 24h";
    case RealTime12:
      return "real time 12h";
    default:
      return "down past zero";
  }
}

double KiB(uint64_t bytes) { return static_cast<double>(bytes) / 1024.0; }

}  // namespace

SoakDriver::SoakDriver(const SoakOptions& options, std::vector<CounterPlan> plans, SoakClock* clock)
    : Options(options), ProgramClock(clock), Plans(std::move(plans)), Tracks(Plans.size()) {
  running = this;
  if (!Options.Bench || Options.Latency) CCounterWindow::Observer = &Watch;
  Watch.LogFrames = !Options.FrameLog.empty();
}

SoakDriver::~SoakDriver() {
  if (Timer) ::KillTimer(nullptr, Timer);
  if (TypingTimer) ::KillTimer(nullptr, TypingTimer);
  if (running == this) running = nullptr;
  if (CCounterWindow::Observer == &Watch) CCounterWindow::Observer = nullptr;
}

DWORD SoakDriver::ProgramTick() const { return AfxGetClock().Milliseconds(); }

// Wall-clock seconds since 1970 and the milliseconds into the current one,
// on the program's wall clock.
void SoakDriver::WallClock(int64_t& seconds, int& ms) const {
  int64_t wallMs = 0;
  if (ProgramClock) {
    wallMs = ProgramClock->WallMs();
  } else {
    FILETIME file;
    ::GetSystemTimeAsFileTime(&file);
    const uint64_t units = (static_cast<uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
    wallMs = static_cast<int64_t>(units / 10000) - 11644473600000LL;
  }
  seconds = wallMs / 1000;
  ms = static_cast<int>(wallMs % 1000);
}

double SoakDriver::SinceBegin() const { return static_cast<double>(::GetTickCount() - BeganTick) / 1000.0; }

CCounter& SoakDriver::Counter(std::size_t i) const { return *VeltoApp().Sheet->CounterPages.at(i)->Counter; }

HWND SoakDriver::ShowPage(int index) {
  CVeltoSheet* sheet = VeltoApp().Sheet;
  sheet->SendMessage(PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
  return reinterpret_cast<HWND>(sheet->SendMessage(PSM_GETCURRENTPAGEHWND));
}

void SoakDriver::Click(HWND page, int id) {
  if (HWND button = ::GetDlgItem(page, id)) ::SendMessageA(button, BM_CLICK, 0, 0);
}

void SoakDriver::Begin() {
  BeganTick = ::GetTickCount();
  Epochs = static_cast<int>(Options.Seconds / Options.RebuildEvery + 0.5);
  if (Epochs < 2) Epochs = 2;
  StartAll();
  Snapshot("start");
  const DWORD now = ::GetTickCount();
  if (Options.Bench) {
    EpochEnd = now + static_cast<DWORD>(Options.Seconds * 1000.0);
    Watch.Calibrate();
    Watch.Latency.Clear();
    Watch.Wake.Clear();
    std::printf("bench: %d counters running, %s ticker, for %.0f s\n", static_cast<int>(Plans.size()),
                Options.Ticker ? "with" : "no", Options.Seconds);
  } else {
    EpochEnd = now + static_cast<DWORD>(Options.RebuildEvery * 1000.0);
    StallAt = now + static_cast<DWORD>(Options.RebuildEvery * 500.0);
    std::printf("soak: %d counters, %d rebuild periods of %.0f s\n", static_cast<int>(Plans.size()), Epochs,
                Options.RebuildEvery);
  }
  std::fflush(stdout);
  // A benchmark measures the program, not the driver: it wakes only to
  // recalibrate and to end the run.
  Timer = ::SetTimer(nullptr, 0, Options.Bench ? BenchSettleMs : DriverPeriodMs, &SoakDriver::TimerProc);
  if (Options.Bench && Options.Typing) {
    TypingBox = ::GetDlgItem(ShowPage(1), IDC_TICKER_TEXT);
    ::SetFocus(TypingBox);
    TypingTimer = ::SetTimer(nullptr, 0, 10, &SoakDriver::TypingProc);
  }
}

void CALLBACK SoakDriver::TypingProc(HWND, UINT, UINT_PTR, DWORD) {
  if (!running || !running->TypingBox) return;
  // A letter and a backspace by turns, so the text keeps its length.
  SoakDriver& self = *running;
  const bool erase = ++self.Typed % 2 == 0;
  const WPARAM key = erase ? VK_BACK : 'A';
  ::PostMessageA(self.TypingBox, WM_KEYDOWN, key, 1);
  ::PostMessageA(self.TypingBox, WM_CHAR, erase ? 8 : 'a', 1);
  ::PostMessageA(self.TypingBox, WM_KEYUP, key, 0xC0000001);
}

UINT SoakDriver::BenchStepMs(DWORD now) const {
  int32_t left = static_cast<int32_t>(EpochEnd - now);
  if (Options.ReportEvery > 0) left = std::min(left, static_cast<int32_t>(NextReport - now));
  return static_cast<UINT>(std::clamp<int32_t>(left, 10, 10000));
}

// One window of a benchmark under changing conditions (the remote-control
// load tool starts and stops its clients at these lines).
void SoakDriver::Report(DWORD now) {
  ++Reports;
  const Histogram& latency = Watch.Latency;
  const ProcessCounters counters = ProcessCounters::Take();
  std::printf("window %d: %llu seconds shown, deadline to frame median %.1f ms, p99 %.1f ms, max %.1f ms; "
              "private memory %.0f KiB\n",
              Reports, static_cast<unsigned long long>(latency.Count), latency.Quantile(0.5), latency.Quantile(0.99),
              latency.Max, KiB(counters.PrivateBytes));
  std::fflush(stdout);
  Watch.Latency.Clear();
  Watch.Wake.Clear();
  Watch.Paint.Clear();
  NextReport = now + static_cast<DWORD>(Options.ReportEvery * 1000.0);
}

void SoakDriver::WriteFrameLog() const {
  if (Options.FrameLog.empty()) return;
  FILE* file = std::fopen(Options.FrameLog.c_str(), "w");
  if (!file) return;
  for (const FrameWatch::FrameTime& frame : Watch.Frames) std::fprintf(file, "%s %.3f\n", frame.Text.c_str(), frame.UnixMs);
  std::fclose(file);
}

void CALLBACK SoakDriver::TimerProc(HWND, UINT, UINT_PTR, DWORD) {
  if (running) running->Step();
}

void SoakDriver::StartAll() {
  CVeltoSheet* sheet = VeltoApp().Sheet;
  // Every counter starts at one instant of the program's clock, so that all
  // second grids lie on one phase and a hold can end mid-second for all.
  if (ProgramClock) ProgramClock->Freeze();
  for (std::size_t i = 0; i < Plans.size() && i < sheet->CounterPages.size(); ++i) {
    CCounter& counter = Counter(i);
    Watch.Watch(counter.Window);
    HWND page = ShowPage(static_cast<int>(i) + 1);
    Click(page, IDC_START);
    Track& track = Tracks[i];
    track.Origin = counter.NextSecondTick - 1000;
    track.PausedDeadlines = 0;
    track.ShownAtStart = counter.ShownTime.GetTime();
    track.Checked = false;
    track.UnsafeSince = 0;
    track.NextToggle = ::GetTickCount() + 8000;
    track.ZeroStage = 0;
    track.ZeroRounds = 0;
    if (Plans[i].Flash) Click(page, IDC_FLASH);
    if (Plans[i].Repeater) Click(page, IDC_SHOW_REPEATER);
  }
  if (ProgramClock) ProgramClock->Thaw();
  Watch.Calibrate();
}

void SoakDriver::Step() {
  const DWORD now = ::GetTickCount();
  if (Options.Bench) {
    StepBench(now);
    return;
  }
  const DWORD tick = ProgramTick();
  if (tick < LastTick && WrapCrossedAt < 0) WrapCrossedAt = SinceBegin();
  LastTick = tick;
  switch (Current) {
    case Phase::Running:
      for (std::size_t i = 0; i < Plans.size(); ++i)
        if (Plans[i].PauseCycle && IsDue(now, Tracks[i].NextToggle)) TogglePause(i, now, tick);
      for (std::size_t i = 0; i < Plans.size(); ++i)
        if (Plans[i].RestartAtZero) CycleAutoRestart(i, tick);
      if (!Stalled && IsDue(now, StallAt)) {
        Stalled = true;
        HoldUp();
      }
      if (IsDue(now, EpochEnd)) {
        Current = Phase::Checking;
        CheckStarted = now;
        for (Track& track : Tracks) track.Checked = false;
      }
      break;
    case Phase::Checking:
    case Phase::FinalCheck:
      if (!AllChecked()) break;
      ++Epoch;
      {
        std::printf("[%6.0f s] %s %d:", SinceBegin(), Current == Phase::FinalCheck ? "final check" : "period", Epoch);
        for (std::size_t i = 0; i < Plans.size(); ++i) std::printf(" %s", Tracks[i].Last.c_str());
        int shouldRun = 0;
        for (const Track& track : Tracks) shouldRun += track.ShouldRun ? 1 : 0;
        std::printf("; keeping awake %d of %d", AfxDisplaysOnHolders(), shouldRun);
        if (AfxDisplaysOnHolders() != shouldRun)
          Fail("keep-awake: " + std::to_string(AfxDisplaysOnHolders()) + " holders, " + std::to_string(shouldRun) +
               " counters running");
        const int repeaters = OpenRepeaters();
        int wanted = 0;
        for (const CounterPlan& plan : Plans) wanted += plan.Repeater ? 1 : 0;
        if (ProgramHasRepeater()) {
          std::printf("; repeaters open %d of %d\n", repeaters, wanted);
          if (repeaters != wanted) {
            Failures.push_back("repeaters: " + std::to_string(repeaters) + " open, " + std::to_string(wanted) +
                               " opened through their pages");
            Failed = true;
          }
        } else {
          std::printf("; no repeater in this program yet\n");
        }
        std::fflush(stdout);
      }
      if (Current == Phase::FinalCheck) {
        Close();
        break;
      }
      Rebuild();
      Current = Phase::Settling;
      SettleEnd = ::GetTickCount() + static_cast<DWORD>(Options.Settle * 1000.0);
      break;
    case Phase::Settling:
      if (!IsDue(now, SettleEnd)) break;
      Snapshot(HaveWarmUp ? "after rebuild" : "after warm-up");
      if (Epoch >= Epochs) {
        Current = Phase::FinalCheck;
        CheckStarted = now;
        for (Track& track : Tracks) track.Checked = false;
      } else {
        Current = Phase::Running;
        // The second period runs with the tick count of a PC: what is due
        // must still be served at the wake for it.
        if (ProgramClock) ProgramClock->Coarse = Watch.CoarseTicks = Epoch == 1;
        EpochEnd = now + static_cast<DWORD>((Options.RebuildEvery - Options.Settle) * 1000.0);
        StallAt = now + static_cast<DWORD>((Options.RebuildEvery - Options.Settle) * 500.0);
        Stalled = false;
      }
      break;
    case Phase::Done:
      break;
  }
}

void SoakDriver::StepBench(DWORD now) {
  if (Current == Phase::Done) return;
  Watch.Calibrate();
  // The seconds that fell due while the counters were being started are
  // caught up late; they measure the start, not the display.
  if (!BenchSettled) {
    BenchSettled = true;
    Watch.Latency.Clear();
    Watch.Wake.Clear();
    Watch.Frames.clear();
    NextReport = now + static_cast<DWORD>(Options.ReportEvery * 1000.0);
    if (Options.ReportEvery > 0) {
      std::printf("window 0: settled\n");
      std::fflush(stdout);
    }
  } else if (Options.ReportEvery > 0 && IsDue(now, NextReport)) {
    Report(now);
  }
  if (!IsDue(now, EpochEnd)) {
    Timer = ::SetTimer(nullptr, Timer, BenchStepMs(now), &SoakDriver::TimerProc);
    return;
  }
  if (Options.Typing) std::printf("typing: %d keys into the ticker box\n", Typed);
  WriteFrameLog();
  if (Options.Latency) {
    const Histogram& latency = Watch.Latency;
    std::printf(
        "latency: %d counters, %llu seconds shown: deadline to frame on screen median %.1f ms, p99 %.1f ms, "
        "max %.1f ms (to the wake: median %.1f ms, p99 %.1f ms)\n",
        static_cast<int>(Plans.size()), static_cast<unsigned long long>(latency.Count), latency.Quantile(0.5),
        latency.Quantile(0.99), latency.Max, Watch.Wake.Quantile(0.5), Watch.Wake.Quantile(0.99));
    std::printf("paint: %llu frames, median %.2f ms, p99 %.2f ms, max %.2f ms\n",
                static_cast<unsigned long long>(Watch.Paint.Count), Watch.Paint.Quantile(0.5),
                Watch.Paint.Quantile(0.99), Watch.Paint.Max);
  }
  const ProcessCounters counters = ProcessCounters::Take();
  std::printf("memory: private %.0f KiB, peak private %.0f KiB\n", KiB(counters.PrivateBytes),
              KiB(counters.PeakPrivateBytes));
  std::fflush(stdout);
  Close();
}

void SoakDriver::HoldUp() {
  if (Options.StallMs > 0) {
    ::Sleep(static_cast<DWORD>(Options.StallMs));
    std::printf("[%6.0f s] held the program's thread up for %d ms\n", SinceBegin(), Options.StallMs);
  }
  if (ProgramClock && !Plans.empty()) {
    // Several minutes pass on the program's clocks at once, ending a fifth of
    // a second after a deadline of the (common) second grid: a hold that
    // ended just before a deadline would leave its first second on the
    // screen briefly by the grid's own rule.
    const DWORD before = ProgramTick();
    const int64_t hold = static_cast<int64_t>(Options.HoldSeconds * 1000.0);
    const DWORD deadline = Counter(0).NextSecondTick;
    int64_t align = static_cast<int32_t>(deadline + 200 - before - static_cast<DWORD>(hold)) % 1000;
    if (align < 0) align += 1000;
    ProgramClock->Hold(hold + align);
    const DWORD after = ProgramTick();
    if (after < before && WrapCrossedAt < 0) {
      WrapCrossedAt = SinceBegin();
      WrapCrossedInHold = true;
    }
    LastTick = after;
    ++Holds;
    HeldMs += hold + align;
    Watch.Calibrate();
    std::printf("[%6.0f s] held the program's clocks up for %.3f s\n", SinceBegin(),
                static_cast<double>(hold + align) / 1000.0);
  }
  std::fflush(stdout);
}

void SoakDriver::TogglePause(std::size_t i, DWORD now, DWORD tick) {
  CCounter& counter = Counter(i);
  const int32_t ahead = static_cast<int32_t>(counter.NextSecondTick - tick);
  if (ahead < ToggleEarliestMs || ahead > ToggleLatestMs) return;
  Track& track = Tracks[i];
  HWND page = ShowPage(static_cast<int>(i) + 1);
  // A busy machine can take long over the page change. A deadline passed by
  // then would be counted by the press's catch-up, which the frame watch
  // does not see: press at the next chance instead.
  const int32_t left = static_cast<int32_t>(counter.NextSecondTick - ProgramTick());
  if (left < CheckMarginMs) return;
  const bool wasPaused = counter.Paused;
  Click(page, IDC_PAUSE);
  if (counter.Paused == wasPaused) {
    Failures.push_back(Plans[i].Name + ": the pause button did not change the counter");
    Failed = true;
  }
  if (counter.Paused) {
    track.PauseGrid = counter.NextSecondTick;
    track.NextToggle = now + 6000;
  } else {
    track.PausedDeadlines += static_cast<int32_t>(counter.NextSecondTick - track.PauseGrid) / 1000;
    track.NextToggle = now + 9000;
  }
}

void SoakDriver::Fail(const std::string& failure) {
  Failures.push_back(failure);
  Failed = true;
}

void SoakDriver::CycleAutoRestart(std::size_t i, DWORD tick) {
  CCounter& counter = Counter(i);
  const CounterPlan& plan = Plans[i];
  Track& track = Tracks[i];
  const int64_t total = plan.TotalTime;
  if (track.ZeroStage == 2 || counter.Elapsed.GetTotalSeconds() < total) return;
  const int holders = AfxDisplaysOnHolders();
  if (track.ZeroStage == 0) {
    // Resting at 00:00 for a second and more: tick the box. The counter goes
    // round again from the tick, its full time one second later.
    if (static_cast<int32_t>(tick - track.Origin) < (total + 2) * 1000) return;
    HWND page = ShowPage(static_cast<int>(i) + 1);
    const DWORD before = ProgramTick();
    Click(page, IDC_CONTINUOUS);
    const DWORD after = ProgramTick();
    const int32_t fromBefore = static_cast<int32_t>(counter.NextSecondTick - before);
    const int32_t fromAfter = static_cast<int32_t>(counter.NextSecondTick - after);
    if (!counter.Continuous || fromBefore < 1000 || fromAfter > 1000)
      Fail(plan.Name + ": ticking auto restart at 00:00 did not plan the restart one second on");
    if (AfxDisplaysOnHolders() != holders + 1) Fail(plan.Name + ": ticking auto restart at 00:00 kept nothing awake");
    track.ZeroGrid = counter.NextSecondTick - 1000;
    track.ZeroStage = 1;
    return;
  }
  // Round once more, then untick it in the middle of a 00:00 second.
  const int64_t deadlines = static_cast<int32_t>(counter.NextSecondTick - track.ZeroGrid) / 1000 - 1;
  const int32_t ahead = static_cast<int32_t>(counter.NextSecondTick - tick);
  if (deadlines < total + 1 || deadlines % (total + 1) != 0 || ahead < ToggleEarliestMs || ahead > ToggleLatestMs)
    return;
  HWND page = ShowPage(static_cast<int>(i) + 1);
  // As for Pause: not with the end of this 00:00 second already passed.
  if (static_cast<int32_t>(counter.NextSecondTick - ProgramTick()) < CheckMarginMs) return;
  Click(page, IDC_CONTINUOUS);
  if (counter.Continuous || counter.IsRunning()) Fail(plan.Name + ": unticking auto restart at 00:00 did not stop it");
  if (AfxDisplaysOnHolders() != holders - 1) Fail(plan.Name + ": unticking auto restart at 00:00 kept it awake");
  track.ZeroRounds = deadlines;
  track.ZeroStage = 2;
}

bool SoakDriver::AllChecked() {
  const DWORD now = ::GetTickCount();
  const DWORD tick = ProgramTick();
  bool all = true;
  for (std::size_t i = 0; i < Plans.size(); ++i) {
    Track& track = Tracks[i];
    if (track.Checked) continue;
    if (TryCheck(i, tick)) {
      track.Checked = true;
    } else if (now - CheckStarted > CheckPatienceMs) {
      track.Checked = true;
      ++track.Mismatches;
      Failed = true;
      track.Last = Plans[i].Name + " NEVER-BETWEEN-DEADLINES";
      Failures.push_back(Plans[i].Name + ": its second grid fell behind the clock (no quiet moment in 3 s)");
    } else {
      all = false;
    }
  }
  return all;
}

bool SoakDriver::TryCheck(std::size_t i, DWORD tick) {
  CCounter& counter = Counter(i);
  const CounterPlan& plan = Plans[i];
  Track& track = Tracks[i];
  const FrameWatch::Slot* slot = Watch.Find(counter.Window);
  int64_t steps = slot ? slot->Steps : -1;
  char line[160];
  bool ok = true;
  int64_t expected = 0;
  if (IsRealTimeType(plan.Type)) {
    int64_t wall = 0;
    int ms = 0;
    WallClock(wall, ms);
    // Checked just after one of its own ticks in this second: the shown
    // second must be the wall-clock second within one tick.
    if (ms < 150 || ms > 850 || !slot || slot->LastTickWall != wall) return false;
    expected = wall - track.ShownAtStart;
    const int64_t shown = counter.ShownTime.GetTime();
    const int64_t wrong = slot ? slot->WrongSecond : 1;
    const int64_t skipped = slot ? slot->SkippedSeconds : 0;
    // Seconds it moved through: one step each, or a jump after a stall.
    const int64_t moved = steps + skipped;
    ok = shown == wall && moved == expected && wrong == 0;
    std::snprintf(line, sizeof line, "%s %lld/%lld%s%s", plan.Name.c_str(), static_cast<long long>(moved),
                  static_cast<long long>(expected), skipped ? " (stall)" : "",
                  ok ? "" : (shown != wall ? " WRONG-SECOND" : " MISMATCH"));
    if (!ok) {
      char failure[220];
      std::snprintf(failure, sizeof failure,
                    "%s: shows second %lld, wall clock %lld; moved through %lld seconds, %lld expected; "
                    "%lld ticks showed another second",
                    plan.Name.c_str(), static_cast<long long>(shown), static_cast<long long>(wall),
                    static_cast<long long>(moved), static_cast<long long>(expected), static_cast<long long>(wrong));
      Failures.push_back(failure);
    }
    track.Skipped += skipped;
    steps = moved;
  } else {
    const bool resting =
        plan.Type == DownToZero && !counter.Continuous && counter.Elapsed.GetTotalSeconds() >= plan.TotalTime;
    if (plan.RestartAtZero && track.ZeroStage == 1) return false;  // going round: checked once stopped
    const int32_t ahead = static_cast<int32_t>(counter.NextSecondTick - tick);
    // A count-down resting at 00:00 has no deadlines to keep clear of.
    if (!resting && (ahead < CheckMarginMs || ahead > 1000 - CheckMarginMs)) return false;
    // Deadlines the program's tick count has passed since Start, by the grid alone.
    const int64_t passed = static_cast<int32_t>(tick - track.Origin) / 1000;
    int64_t paused = track.PausedDeadlines;
    if (counter.Paused) paused += static_cast<int32_t>(counter.NextSecondTick - track.PauseGrid) / 1000;
    expected = passed - paused;
    int64_t expectedElapsed = expected;
    if (plan.Type == DownToZero) {
      if (plan.Continuous)
        expectedElapsed = expected % (plan.TotalTime + 1);
      else if (expected > plan.TotalTime)
        expectedElapsed = expected = plan.TotalTime;
      // The rounds after auto restart was ticked at 00:00, ending there again.
      expected += track.ZeroRounds;
    }
    const int64_t elapsed = counter.Elapsed.GetTotalSeconds();
    ok = steps == expected && elapsed == expectedElapsed;
    std::snprintf(line, sizeof line, "%s %lld/%lld%s", plan.Name.c_str(), static_cast<long long>(steps),
                  static_cast<long long>(expected), ok ? "" : " MISMATCH");
    if (!ok) {
      char failure[200];
      std::snprintf(failure, sizeof failure, "%s: %lld seconds counted, %lld expected; Elapsed %lld, expected %lld",
                    plan.Name.c_str(), static_cast<long long>(steps), static_cast<long long>(expected),
                    static_cast<long long>(elapsed), static_cast<long long>(expectedElapsed));
      Failures.push_back(failure);
    }
  }
  track.ShouldRun = !(plan.Type == DownToZero && !plan.Continuous && expected >= plan.TotalTime);
  track.Last = line;
  track.Counted += steps;
  track.Expected += expected;
  if (!ok) {
    ++track.Mismatches;
    Failed = true;
  }
  return true;
}

void SoakDriver::Rebuild() {
  // The operator edits the counter list on the Setup page; every edit
  // rebuilds the counter pages from the stored settings.
  ShowPage(0);
  Watch.ForgetAll();
  VeltoApp().Sheet->SetupPage.ListControl.ApplyChanges();
  StartAll();
}

int SoakDriver::OpenRepeaters() const {
  struct Search {
    HWND Sheet;
    int Found;
  } search{VeltoApp().Sheet ? VeltoApp().Sheet->GetSafeHwnd() : nullptr, 0};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        char name[16] = "";
        ::GetClassNameA(window, name, sizeof name);
        if (window != s->Sheet && std::strcmp(name, "#32770") == 0 && ::IsWindowVisible(window)) ++s->Found;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

void SoakDriver::PrintSnapshot(const char* label, const ProcessCounters& c) const {
  std::printf("[%6.0f s] %-14s GDI %lu, USER %lu, handles %lu, private %.0f KiB, live GDI objects %ld, windows %d\n",
              SinceBegin(), label, c.GdiObjects, c.UserObjects, c.Handles, KiB(c.PrivateBytes), c.LiveGdiObjects,
              c.Windows);
  std::fflush(stdout);
}

void SoakDriver::Snapshot(const char* label) {
  // Counting the process's resources holds the thread up for most of a
  // second under Wine. That is the soak's work, not the program's: the
  // program's clocks stand still meanwhile.
  if (ProgramClock) ProgramClock->Freeze();
  const ProcessCounters counters = ProcessCounters::Take();
  if (ProgramClock) {
    ProgramClock->Thaw();
    Watch.Calibrate();
  }
  PrintSnapshot(label, counters);
  if (std::strcmp(label, "start") == 0) {
    AtStart = counters;
  } else if (!HaveWarmUp) {
    AfterWarmUp = counters;
    HaveWarmUp = true;
  } else {
    AtEnd = counters;
  }
}

void SoakDriver::Close() {
  Current = Phase::Done;
  if (Timer) ::KillTimer(nullptr, Timer);
  Timer = 0;
  if (VeltoApp().Sheet && VeltoApp().Sheet->HasWindow()) VeltoApp().Sheet->DestroyWindow();
}

int SoakDriver::Finish() {
  if (Options.Bench) return Failed ? 1 : 0;
  const ProcessCounters afterExit = ProcessCounters::Take();

  std::printf("\nCounters (seconds counted / expected from the grid, summed over %d periods):\n", Epoch);
  for (std::size_t i = 0; i < Plans.size(); ++i) {
    const CounterPlan& plan = Plans[i];
    const Track& track = Tracks[i];
    std::printf("  %-10s %-15s %7lld / %-7lld %s%s%s%s", plan.Name.c_str(), TypeName(plan.Type),
                static_cast<long long>(track.Counted), static_cast<long long>(track.Expected),
                track.Mismatches ? "MISMATCH" : "exact", plan.PauseCycle ? ", paused and continued" : "",
                plan.Flash ? ", flashing" : "", plan.Continuous ? ", auto restart" : "");
    if (track.Skipped)
      std::printf(" (%lld seconds never shown while the thread was held up)", static_cast<long long>(track.Skipped));
    std::printf("\n");
  }

  std::printf("\nProcess:\n");
  PrintSnapshot("start", AtStart);
  PrintSnapshot("after warm-up", AfterWarmUp);
  PrintSnapshot("end", AtEnd);
  std::printf("  after closing the sheet: live GDI objects %ld, windows %d\n", afterExit.LiveGdiObjects,
              afterExit.Windows);

  auto exact = [&](const char* what, long warm, long end) {
    if (end != warm) {
      char text[160];
      std::snprintf(text, sizeof text, "%s: %ld after warm-up, %ld at the end", what, warm, end);
      Failures.push_back(text);
      Failed = true;
    }
  };
  exact("GDI objects", static_cast<long>(AfterWarmUp.GdiObjects), static_cast<long>(AtEnd.GdiObjects));
  exact("USER objects", static_cast<long>(AfterWarmUp.UserObjects), static_cast<long>(AtEnd.UserObjects));
  exact("live GDI objects", AfterWarmUp.LiveGdiObjects, AtEnd.LiveGdiObjects);
  exact("windows", AfterWarmUp.Windows, AtEnd.Windows);
  if (static_cast<long>(AtEnd.Handles) > static_cast<long>(AfterWarmUp.Handles) + Options.HandleTolerance) {
    char text[160];
    std::snprintf(text, sizeof text, "handles: %lu after warm-up, %lu at the end (tolerance %ld)", AfterWarmUp.Handles,
                  AtEnd.Handles, Options.HandleTolerance);
    Failures.push_back(text);
    Failed = true;
  }
  if (AtEnd.PrivateBytes > AfterWarmUp.PrivateBytes + static_cast<uint64_t>(Options.MemoryToleranceKiB) * 1024) {
    char text[160];
    std::snprintf(text, sizeof text, "private memory: %.0f KiB after warm-up, %.0f KiB at the end (tolerance %ld KiB)",
                  KiB(AfterWarmUp.PrivateBytes), KiB(AtEnd.PrivateBytes), Options.MemoryToleranceKiB);
    Failures.push_back(text);
    Failed = true;
  }

  std::printf("\nTiming (all display windows, whole run):\n");
  std::printf("  timer handler (Tick): %llu, median %.2f ms, p99 %.2f ms, longest %.2f ms\n",
              static_cast<unsigned long long>(Watch.TimerHandler.Count), Watch.TimerHandler.Quantile(0.5),
              Watch.TimerHandler.Quantile(0.99), Watch.TimerHandler.Max);
  std::printf("  paint:                %llu, median %.2f ms, p99 %.2f ms, longest %.2f ms\n",
              static_cast<unsigned long long>(Watch.Paint.Count), Watch.Paint.Quantile(0.5), Watch.Paint.Quantile(0.99),
              Watch.Paint.Max);
  std::printf("  gap between one window's ticks: median %.1f ms, p99 %.1f ms, longest %.1f ms\n",
              Watch.TimerGap.Quantile(0.5), Watch.TimerGap.Quantile(0.99), Watch.TimerGap.Max);
  std::printf("  deadline to frame:    %llu seconds, median %.1f ms, p99 %.1f ms, longest %.1f ms\n",
              static_cast<unsigned long long>(Watch.Latency.Count), Watch.Latency.Quantile(0.5),
              Watch.Latency.Quantile(0.99), Watch.Latency.Max);

  std::printf("  deadline to frame with the tick count in 15.625 ms steps (one period): %llu seconds, median %.1f ms, "
              "p99 %.1f ms; in the other periods median %.1f ms, p99 %.1f ms\n",
              static_cast<unsigned long long>(Watch.CoarseLatency.Count), Watch.CoarseLatency.Quantile(0.5),
              Watch.CoarseLatency.Quantile(0.99), Watch.FineLatency.Quantile(0.5), Watch.FineLatency.Quantile(0.99));

  std::printf("\nHolds and the tick count's wrap:\n");
  std::printf("  %d holds of the program's clocks, %.1f minutes in all; %lld ticks counted more than one second\n",
              Holds, static_cast<double>(HeldMs) / 60000.0, static_cast<long long>(Watch.CatchUps));
  if (WrapCrossedAt >= 0) {
    std::printf("  the tick count crossed 2^32 at %.0f s%s\n", WrapCrossedAt, WrapCrossedInHold ? ", in a hold" : "");
  } else {
    std::printf("  the tick count did not cross 2^32\n");
    if (Options.Seconds >= SoakClock::BeforeWrapMs / 1000.0) {
      Failures.push_back("the tick count never crossed its wrap");
      Failed = true;
    }
  }
  std::printf(
      "  counted seconds on the screen: %llu, shortest %.0f ms, median %.0f ms (the first after each Start "
      "not judged; %lld short only because the machine held their first frame back)\n",
      static_cast<unsigned long long>(Watch.OnScreen.Count), Watch.ShortestOnScreen, Watch.OnScreen.Quantile(0.5),
      static_cast<long long>(Watch.HeldBackSeconds));
  for (const FrameWatch::ShortSecond& shown : Watch.ShortSeconds) {
    char text[200];
    std::snprintf(text, sizeof text, "a counted second (%s) stood on the screen for only %.0f ms",
                  shown.Text.GetString(), shown.Ms);
    Failures.push_back(text);
    Failed = true;
  }

  if (Failures.empty()) {
    std::printf("\nsoak: PASSED\n");
  } else {
    std::printf("\nsoak: FAILED\n");
    for (const std::string& failure : Failures) std::printf("  %s\n", failure.c_str());
  }
  std::fflush(stdout);
  return Failed ? 1 : 0;
}
