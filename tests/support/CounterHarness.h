#pragma once

#include "counter/Counter.h"
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
