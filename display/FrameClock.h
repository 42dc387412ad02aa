#pragma once

#include <windows.h>

#include <vector>

class CCounterWindow;

// What wakes the frame clock. The program's is the system's timer; tests put
// their own in its place to fire each wake by hand, at the moment of the
// clock seam they choose.
class WakeTimer {
public:
  virtual ~WakeTimer() = default;
  // One wake delayMs from now, in place of any wake set before.
  virtual void Set(DWORD delayMs) = 0;
  virtual void Cancel() = 0;
};

// The one timer of all display windows. It sleeps until the earliest moment
// something must change on some display (a counted second, a flash phase, the
// turn of a wall-clock second, or, while some display has ticker text, the
// next ticker frame), then lets each window that has work do it: its
// counter's Tick and one frame drawn straight to the window. Frames missed
// while the thread was held up are dropped, not drawn in a burst.
//
// A window stays with the clock from its first creation until its object
// goes, also while its system window is closed: its counter keeps counting,
// finishing and reporting to the expander with no display on the screen.
class CFrameClock {
public:
  static constexpr DWORD TickerPeriod = 30;
  // The system's shortest timer period (USER_TIMER_MINIMUM).
  static constexpr DWORD ShortestTimer = 10;
  // A glyph is rendered ahead only with this long to the next deadline.
  static constexpr DWORD GlyphRoom = 20;

  static CFrameClock& Instance();

  void Join(CCounterWindow& window);
  void Leave(CCounterWindow& window);
  bool Holds(const CCounterWindow& window) const;
  // Works out the next wake again after a counter or a window changed.
  void Replan();
  // The timer's call: serves whatever is due, then plans the next wake.
  void Wake();
  // Some display's digits were worked out again: glyphs may be wanted ahead.
  void DigitsRefreshed() { GlyphsMaybeWanted = true; }
  // Puts a timer in place of the system's (not owned); nullptr goes back.
  void SetWakeTimer(WakeTimer* timer);

  // For tests and measuring tools: whether a wake is pending, and when.
  bool Armed() const { return Pending; }
  DWORD ArmedFor() const { return WakeAt; }

private:
  CFrameClock() = default;
  WakeTimer& Timer();
  void Arm(DWORD now, DWORD at);
  void Disarm();
  bool GlyphsWanted();
  // Renders one glyph some display will want soon, if nothing is due before
  // it could be done.
  void RenderGlyphAhead();

  std::vector<CCounterWindow*> Windows;
  WakeTimer* Installed = nullptr;
  DWORD WakeAt = 0;
  bool Pending = false;
  bool TickerRunning = false;
  DWORD NextTickerFrame = 0;
  bool Waking = false;
  // False once no display wanted a glyph ahead, until digits change again:
  // the frames' wakes then spend nothing asking.
  bool GlyphsMaybeWanted = true;
};
