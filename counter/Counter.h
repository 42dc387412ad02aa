#pragma once

#include <cstdint>

#include "counter/CounterTypes.h"
#include "counter/TextStyle.h"
#include "display/CounterWindow.h"
#include "framework/Platform.h"
#include "framework/String.h"
#include "framework/Time.h"

// The registry section of counter number nIndex: "Counter" and the number.
CString CounterSectionName(int nIndex);

// One configured counter: its settings copy, run state, counted time, the
// three styles of its digits, its ticker text and its display window.
class CCounter {
public:
  explicit CCounter(int nIndex);
  virtual ~CCounter();
  CCounter(const CCounter&) = delete;
  CCounter& operator=(const CCounter&) = delete;

  CString GetSectionName() const { return SectionName; }

  // Reads the counter's name and creates, places and shows its display window.
  void CreateDisplay();
  // One step of timekeeping; driven by the display window's 30 ms timer.
  // Whatever fell due since the last step is applied at once, then shown
  // with one repaint and one report.
  void Tick();
  // Brings the counter up to the present: applies every flash phase and
  // counted second that has fallen due, exactly as stepping through them one
  // by one would, and asks for one repaint if what it shows changed (true
  // then). Sends no report. The page calls it before a press acts on the
  // counter, so that the press acts on the true time.
  bool CatchUp();
  // Started and not finished (a count-down to 00:00 without auto restart
  // that has reached 00:00 is finished), paused or not.
  bool IsRunning() const;
  // The "Auto restart counter" box. Ticked on a count-down resting at 00:00,
  // it goes round again from now: the full time one second later. Unticked
  // while it shows 00:00, it stops there.
  void SetContinuous(bool bContinuous);
  // Restarts the counter from zero with the page's values.
  void Start(int nTotalSecs, int nType, int nFormat, int nOrangeSecs, int nRedSecs);
  void SetTicker(const CString& strText);
  void SetTickerStyle(int nTickerSize, BOOL bAutoColour, COLORREF crColour);

  // What the display shows.
  CString GetDisplayText() const;
  DisplayColour GetColourState() const;
  CString FormatSpan(CTimeSpan v) const;
  // The five-character text the expander unit shows, and its sign.
  CString FormatDeviceText(CTimeSpan v, bool& bNegative) const;
  CString GetDeviceText(bool& bNegative) const;

  // Sends the time and colour to the expander unit when this counter drives it.
  void UpdateHardware();

  CounterType Type = DownToZero;
  DisplayFormat Format = Auto;
  CTimeSpan TotalTime;
  CTimeSpan OrangeTime;
  CTimeSpan RedTime;
  bool Continuous = false;
  bool DisplayDuringPause = false;
  int Index;
  CString SectionName;
  CTimeSpan Elapsed;
  CCounterWindow Window;
  bool Started = false;
  bool Flashing = false;
  bool FlashVisible = false;
  bool Paused = false;
  TextStyle NormalStyle;
  TextStyle OrangeStyle;
  TextStyle RedStyle;
  CString Ticker;
  DWORD NextFlashTick;
  DWORD NextSecondTick;
  CTime ShownTime;
  int TickerSize = 0;
  bool DriveHardware = false;
  bool AutoTickerColour = true;
  COLORREF TickerColour;
  // Set by the displays' clock when its plan holds no deadline of this
  // counter (never started, or resting at 00:00, and not flashing): nothing
  // steps its grids from then on, so however long that lasts (the signed
  // distances read a deadline 24.9 days old as one in the future), they are
  // moved to the present when the counter is next brought up to date.
  bool Unplanned = false;

private:
  void Repaint() { Window.CounterChanged(); }
  void EnsureDisplay();
  // Counts nSeconds due seconds in one go; true when any of them repaints.
  bool CountSeconds(int64_t nSeconds);
  // Tells the power settings when this counter starts or stops running.
  void FollowRunState();

  bool HoldsDisplaysOn = false;
};
