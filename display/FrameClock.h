#pragma once

#include <windows.h>

#include <vector>

class CCounterWindow;

// The one timer of all display windows. It sleeps until the earliest moment
// something must change on some display (a counted second, a flash phase, the
// turn of a wall-clock second, or, while some display has ticker text, the
// next ticker frame), then lets each window that has work do it: its
// counter's Tick and one frame drawn straight to the window. Frames missed
// while the thread was held up are dropped, not drawn in a burst.
class CFrameClock {
public:
  static constexpr DWORD TickerPeriod = 30;
  // The system's shortest timer period (USER_TIMER_MINIMUM).
  static constexpr DWORD ShortestTimer = 10;

  static CFrameClock& Instance();

  void Join(CCounterWindow& window);
  void Leave(CCounterWindow& window);
  bool Holds(const CCounterWindow& window) const;
  // Works out the next wake again after a counter or a window changed.
  void Replan();

  // For tests and measuring tools: whether a wake is pending, and when.
  bool Armed() const { return TimerId != 0 && Pending; }
  DWORD ArmedFor() const { return WakeAt; }

private:
  CFrameClock() = default;
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  void Wake();
  void Arm(DWORD now, DWORD at);
  void Disarm();

  std::vector<CCounterWindow*> Windows;
  UINT_PTR TimerId = 0;
  DWORD WakeAt = 0;
  bool Pending = false;
  DWORD Period = 0;
  DWORD Expiry = 0;  // when the timer as set fires next
  bool TickerRunning = false;
  DWORD NextTickerFrame = 0;
  bool Waking = false;
};
