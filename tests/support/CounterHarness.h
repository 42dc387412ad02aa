#pragma once

#include <vector>

#include "counter/Counter.h"
#include "framework/Power.h"
#include "support/ManualClock.h"
#ifdef _WIN32
#include "display/FrameClock.h"
#endif
#include "support/MemoryProfile.h"

#ifdef _WIN32
#include <windows.h>
#endif

// Whether the counter asked its display for a repaint since the last call.
// Natively the stand-in window counts requests; under Wine the real window's
// update region tells, and is validated again here.
inline bool TakeRepaint(CCounterWindow& window) {
#ifdef _WIN32
  HWND hwnd = window.GetSafeHwnd();
  if (!hwnd) return false;
  RECT dirty{};
  const bool pending = ::GetUpdateRect(hwnd, &dirty, FALSE) != FALSE;
  ::ValidateRect(hwnd, nullptr);
  return pending;
#else
  const bool pending = window.Invalidations > 0;
  window.Invalidations = 0;
  return pending;
#endif
}

// How many repaints the counter asked for since the last call. Natively the
// stand-in counts every request; a real window merges them into one pending
// update, so under Wine the answer is 0 or 1.
inline int TakeRepaints(CCounterWindow& window) {
#ifdef _WIN32
  return TakeRepaint(window) ? 1 : 0;
#else
  const int requests = window.Invalidations;
  window.Invalidations = 0;
  return requests;
#endif
}

// Records what the program asks of the system's power management, in place
// of the system, for its lifetime.
class RecordedPowerSettings final : public PowerSettings {
public:
  RecordedPowerSettings() { AfxSetPowerSettings(this); }
  ~RecordedPowerSettings() override { AfxSetPowerSettings(nullptr); }
  RecordedPowerSettings(const RecordedPowerSettings&) = delete;
  RecordedPowerSettings& operator=(const RecordedPowerSettings&) = delete;

  EXECUTION_STATE SetThreadExecutionState(EXECUTION_STATE flags) override {
    Calls.push_back(flags);
    return ES_CONTINUOUS;
  }
  void AllowThrottling(bool allow) override { Throttling.push_back(allow); }

  static constexpr EXECUTION_STATE KeepOn = ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED;
  static constexpr EXECUTION_STATE Usual = ES_CONTINUOUS;
  std::vector<EXECUTION_STATE> Calls;
  std::vector<bool> Throttling;
};

// A counter with a hand-driven clock, an in-memory settings store and its
// display created, as the control sheet leaves it.
struct CounterHarness {
  ManualClock Clock;
  MemoryProfile Profile;
  CCounter Counter{1};

  CounterHarness() {
    Counter.CreateDisplay();
#ifdef _WIN32
    // Let the new window settle (the window system's first size and paint
    // messages) before the test starts watching its update region.
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    // Only the test ticks the counter.
    CFrameClock::Instance().Leave(Counter.Window);
#endif
    TakeRepaint(Counter.Window);
  }

  // Lets the display's 30 ms timer run for ms milliseconds.
  void RunFor(DWORD ms) {
    while (ms > 0) {
      const DWORD step = ms < 30 ? ms : 30;
      Step(step);
      ms -= step;
    }
  }
  void Step(DWORD ms) {
    Clock.Advance(ms);
    Counter.Tick();
  }
  bool Repainted() { return TakeRepaint(Counter.Window); }
  CString Text() const { return Counter.GetDisplayText(); }
};

#ifdef _WIN32
// Stands in for the system's timer under the displays' clock: the clock seam
// is moved to each wake the clock asked for and the wake fired there, as the
// system would fire it lateMs late.
class ManualWakes final : public WakeTimer {
public:
  explicit ManualWakes(ManualClock& clock) : Clock(clock) { CFrameClock::Instance().SetWakeTimer(this); }
  ~ManualWakes() override { CFrameClock::Instance().SetWakeTimer(nullptr); }
  ManualWakes(const ManualWakes&) = delete;
  ManualWakes& operator=(const ManualWakes&) = delete;

  void Set(DWORD delayMs) override { Delays.push_back(delayMs); }
  void Cancel() override {}

  // Runs the clock seam for ms milliseconds with every wake on the way;
  // answers how many there were.
  int RunFor(DWORD ms, DWORD lateMs = 0) {
    const DWORD end = Clock.Ticks + ms;
    CFrameClock& frames = CFrameClock::Instance();
    int wakes = 0;
    for (int bound = 0; bound < 1000000 && frames.Armed(); ++bound) {
      const DWORD at = frames.ArmedFor() + lateMs;
      if (!IsDue(end, at)) break;
      if (!IsDue(Clock.Ticks, at)) Clock.Advance(at - Clock.Ticks);
      frames.Wake();
      ++wakes;
    }
    if (!IsDue(Clock.Ticks, end)) Clock.Advance(end - Clock.Ticks);
    return wakes;
  }

  ManualClock& Clock;
  std::vector<DWORD> Delays;
};

// A counter whose display is with the displays' clock, as in the program,
// and a clock seam that the clock's own planning reads: only the wakes the
// clock plans for itself tick the counter.
struct ClockedCounter {
  ManualClock Clock;
  MemoryProfile Profile;
  CCounter Counter{1};
  ManualWakes Wakes{Clock};

  ClockedCounter() {
    Counter.CreateDisplay();
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  }
  int RunFor(DWORD ms, DWORD lateMs = 0) { return Wakes.RunFor(ms, lateMs); }
  CString Text() const { return Counter.GetDisplayText(); }
  static bool Armed() { return CFrameClock::Instance().Armed(); }
};
#endif
