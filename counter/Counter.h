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
  void Tick();
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

private:
  void Repaint() { Window.CounterChanged(); }
  void EnsureDisplay();
};
