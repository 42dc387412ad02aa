#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/soak/FrameWatch.h"
#include "tools/soak/ProcessCounters.h"
#include "tools/soak/SoakPlan.h"

class CCounter;
class SoakClock;

// Drives the running program as an operator would, only through its
// controls (page selection, button clicks) and the Setup page's rebuild,
// from a timer on the program's own thread; checks every counter's counted
// seconds against its grid at the end of each rebuild period and watches
// the process's resources across rebuilds.
class SoakDriver {
public:
  // clock: the program's clocks, which the driver holds up; none in bench mode.
  SoakDriver(const SoakOptions& options, std::vector<CounterPlan> plans, SoakClock* clock);
  ~SoakDriver();

  // Starts every counter and the driving timer; the program's message loop
  // runs afterwards and ends when the driver closes the control sheet.
  void Begin();
  // The closing report; the process's exit code (0 when every check held).
  int Finish();

private:
  struct Track {
    DWORD Origin = 0;  // the Start tick: deadlines lie at Origin + k * 1000
    DWORD PauseGrid = 0;
    int64_t PausedDeadlines = 0;
    int64_t ShownAtStart = 0;
    DWORD NextToggle = 0;
    bool Checked = false;
    DWORD UnsafeSince = 0;
    // Auto restart ticked at 00:00: 0 not yet, 1 ticked, 2 unticked again.
    int ZeroStage = 0;
    DWORD ZeroGrid = 0;      // the tick: the new grid's deadlines lie at ZeroGrid + k * 1000
    int64_t ZeroRounds = 0;  // seconds counted from the tick until the untick
    bool ShouldRun = true;   // by the plan, at the last check
    // Over the whole run.
    int64_t Counted = 0;
    int64_t Expected = 0;
    int Mismatches = 0;
    // Real-time seconds never shown because the thread was held up.
    int64_t Skipped = 0;
    std::string Last;
  };
  enum class Phase { Running, Checking, Settling, FinalCheck, Done };

  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);
  static void CALLBACK TypingProc(HWND, UINT, UINT_PTR, DWORD);
  UINT_PTR TypingTimer = 0;
  HWND TypingBox = nullptr;
  int Typed = 0;
  void Step();
  void StepBench(DWORD now);
  // How long the benchmark's driver sleeps: until the run ends, at most 10 s.
  UINT BenchStepMs(DWORD now) const;
  bool BenchSettled = false;
  // --report-every: the end of the current window and its number.
  DWORD NextReport = 0;
  int Reports = 0;
  void Report(DWORD now);
  void WriteFrameLog() const;
  void StartAll();
  HWND ShowPage(int index);
  static void Click(HWND page, int id);
  CCounter& Counter(std::size_t i) const;
  void TogglePause(std::size_t i, DWORD now, DWORD tick);
  void CycleAutoRestart(std::size_t i, DWORD tick);
  void Fail(const std::string& failure);
  // True when counter i could be checked at the program's tick (it is
  // between two of its deadlines).
  bool TryCheck(std::size_t i, DWORD tick);
  // Holds the program's thread up: for real (--stall-ms), then on its clocks.
  void HoldUp();
  // The program's tick count, which the counters' grids lie on.
  DWORD ProgramTick() const;
  void WallClock(int64_t& seconds, int& ms) const;
  bool AllChecked();
  void Rebuild();
  void Snapshot(const char* label);
  void PrintSnapshot(const char* label, const ProcessCounters& c) const;
  int OpenRepeaters() const;
  void Close();
  double SinceBegin() const;

  SoakOptions Options;
  SoakClock* ProgramClock;
  int Holds = 0;
  int64_t HeldMs = 0;
  DWORD LastTick = 0;
  double WrapCrossedAt = -1.0;
  bool WrapCrossedInHold = false;
  std::vector<CounterPlan> Plans;
  std::vector<Track> Tracks;
  FrameWatch Watch;
  Phase Current = Phase::Running;
  UINT_PTR Timer = 0;
  DWORD BeganTick = 0;
  DWORD EpochEnd = 0;
  DWORD SettleEnd = 0;
  DWORD CheckStarted = 0;
  DWORD StallAt = 0;
  bool Stalled = false;
  int Epoch = 0;
  int Epochs = 0;
  bool Failed = false;
  std::vector<std::string> Failures;
  ProcessCounters AtStart, AfterWarmUp, AtEnd;
  bool HaveWarmUp = false;
  int RepeatersSeen = 0;
};
