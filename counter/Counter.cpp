#include "counter/Counter.h"

#include "device/ExpanderOutput.h"
#include "framework/Clock.h"
#include "framework/Profile.h"

CString CounterSectionName(int nIndex) {
  CString name;
  name.Format("Counter%d", nIndex);
  return name;
}

CCounter::CCounter(int nIndex)
    : Index(nIndex),
      SectionName(CounterSectionName(nIndex)),
      NormalStyle(RGB(0, 255, 0)),
      OrangeStyle(RGB(255, 255, 0)),
      RedStyle(RGB(255, 0, 0)),
      NextFlashTick(AfxGetClock().GetTickCount()),
      NextSecondTick(NextFlashTick),
      TickerColour(RGB(255, 255, 255)) {}

CCounter::~CCounter() {
  Window.DestroyWindow();
}

void CCounter::CreateDisplay() {
  CString name = "Counter";
  if (CProfileStore* profile = AfxGetProfile()) name = profile->GetProfileString(SectionName, "Name", "Counter");
  Window.CreateDisplay(this, name);
}

void CCounter::EnsureDisplay() {
  if (!Window.HasWindow()) CreateDisplay();
}

void CCounter::Start(int nTotalSecs, int nType, int nFormat, int nOrangeSecs, int nRedSecs) {
  TotalTime = CTimeSpan(static_cast<int64_t>(nTotalSecs));
  OrangeTime = CTimeSpan(static_cast<int64_t>(nOrangeSecs));
  RedTime = CTimeSpan(static_cast<int64_t>(nRedSecs));
  Elapsed = CTimeSpan(0);
  Type = static_cast<CounterType>(nType);
  Format = static_cast<DisplayFormat>(nFormat);
  Started = true;

  Clock& clock = AfxGetClock();
  const DWORD now = clock.GetTickCount();
  NextSecondTick = now + 1000;
  NextFlashTick = now;
  // A real-time counter shows the current second from the start, not
  // whatever second it showed before (or the epoch) until its first tick.
  if (IsRealTime(Type)) ShownTime = CTime(clock.Time64());

  UpdateHardware();
  EnsureDisplay();
  Repaint();
}

void CCounter::Tick() {
  Clock& clock = AfxGetClock();

  if (IsDue(clock.GetTickCount(), NextFlashTick)) {
    if (Flashing) {
      FlashVisible = !FlashVisible;
      Repaint();
      UpdateHardware();
    }
    NextFlashTick += 300;
  }

  if (IsRealTime(Type) && !Paused) {
    const CTime now(clock.Time64());
    if (now.GetSecond() != ShownTime.GetSecond()) {
      ShownTime = now;
      Repaint();
      UpdateHardware();
    }
  }

  if (IsDue(clock.GetTickCount(), NextSecondTick)) {
    if (!Paused && !IsRealTime(Type)) {
      if (Continuous && Type == DownToZero && Elapsed >= TotalTime) {
        Elapsed = CTimeSpan(0);
        Repaint();
        UpdateHardware();
      } else if (Elapsed >= TotalTime && Type == DownToZero) {
        // Finished: rests on 00:00 without repainting.
      } else {
        Elapsed += CTimeSpan(1);
        Repaint();
        UpdateHardware();
      }
    }
    NextSecondTick += 1000;
  }
}

void CCounter::SetTicker(const CString& strText) {
  EnsureDisplay();
  Ticker = strText;
  Repaint();
}

void CCounter::SetTickerStyle(int nTickerSize, BOOL bAutoColour, COLORREF crColour) {
  EnsureDisplay();
  TickerSize = nTickerSize;
  AutoTickerColour = bAutoColour != FALSE;
  TickerColour = crColour;
  RECT client{};
  Window.GetClientRect(&client);
  Window.CreateTickerFont(client.bottom - client.top);
  if (Window.HasWindow()) Repaint();
}

void CCounter::UpdateHardware() {
  if (!DriveHardware) return;
  ExpanderOutput* expander = AfxGetExpander();
  if (!expander || !expander->IsOpen() || expander->Owner != this) return;

  bool negative = false;
  const CString text = GetDeviceText(negative);
  ParseDeviceText(text, expander->LeftPair, expander->RightPair);
  expander->Negative = negative;
  const DisplayColour colour = (Paused && !DisplayDuringPause) ? Blank : GetColourState();
  expander->ColourCode = ColourCodeOf(colour);
  expander->Send();
}
