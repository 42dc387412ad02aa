#include "counter/Counter.h"

#include "device/ExpanderOutput.h"
#include "framework/Clock.h"
#include "framework/Power.h"
#include "framework/Profile.h"

namespace {

constexpr DWORD SecondMs = 1000;
constexpr DWORD FlashPhaseMs = 300;

// How many steps of a grid of period ms are due at now, and the deadline
// moved past them. The distance is a signed 32-bit one, so it stays right
// across the wrap of the tick count.
int64_t TakeDueSteps(DWORD now, DWORD& deadline, DWORD period) {
  if (!IsDue(now, deadline)) return 0;
  const DWORD late = now - deadline;
  const DWORD steps = late / period + 1;
  deadline += steps * period;
  return steps;
}

}  // namespace

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
      NextFlashTick(AfxGetClock().Milliseconds()),
      NextSecondTick(NextFlashTick),
      TickerColour(RGB(255, 255, 255)) {}

CCounter::~CCounter() {
  if (HoldsDisplaysOn) AfxReleaseDisplaysOn();
  // The window outlives this body by a little: from here on neither the
  // clock nor its handlers may reach into the counter.
  Window.Counter = nullptr;
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
  const DWORD now = clock.Milliseconds();
  NextSecondTick = now + 1000;
  NextFlashTick = now;
  Unplanned = false;
  // A real-time counter shows the current second from the start, not
  // whatever second it showed before (or the epoch) until its first tick.
  if (IsRealTime(Type)) ShownTime = CTime(clock.Time64());

  UpdateHardware();
  EnsureDisplay();
  Repaint();
  FollowRunState();
}

void CCounter::Tick() {
  if (CatchUp()) UpdateHardware();
}

bool CCounter::CatchUp() {
  Clock& clock = AfxGetClock();
  bool changed = false;
  if (Unplanned) {
    // Out of the plan since: whatever is due now starts afresh from the
    // present, a restart one second on, a flash phase 300 ms on.
    Unplanned = false;
    const DWORD now = clock.Milliseconds();
    NextSecondTick = now + SecondMs;
    NextFlashTick = now + FlashPhaseMs;
  }

  // An odd number of due phases leaves the other phase showing; an even
  // number, the same one: at most one toggle however long the wait was.
  const int64_t phases = TakeDueSteps(clock.Milliseconds(), NextFlashTick, FlashPhaseMs);
  if (Flashing && phases % 2 == 1) {
    FlashVisible = !FlashVisible;
    changed = true;
  }

  if (IsRealTime(Type) && !Paused) {
    const CTime now(clock.Time64());
    const int second = now.GetSecond();
    // The same seconds field a whole number of minutes later (after a hold)
    // is another second too; without local time both sides read -1 and
    // nothing changes.
    if (second != ShownTime.GetSecond() || (second >= 0 && now.GetTime() != ShownTime.GetTime())) {
      ShownTime = now;
      changed = true;
    }
  }

  // A paused counter's grid moves on all the same, so no burst follows a pause.
  const int64_t seconds = TakeDueSteps(clock.Milliseconds(), NextSecondTick, SecondMs);
  if (seconds > 0 && !Paused && !IsRealTime(Type) && CountSeconds(seconds)) changed = true;

  FollowRunState();
  if (changed) Repaint();
  return changed;
}

bool CCounter::CountSeconds(int64_t nSeconds) {
  const int64_t total = TotalTime.GetTotalSeconds();
  int64_t elapsed = Elapsed.GetTotalSeconds();
  if (Type != DownToZero) {
    Elapsed = CTimeSpan(elapsed + nSeconds);
    return true;
  }
  if (elapsed < total) {
    // Counting towards 00:00.
    const int64_t left = total - elapsed;
    if (nSeconds <= left) {
      Elapsed = CTimeSpan(elapsed + nSeconds);
      return true;
    }
    elapsed = total;
    nSeconds -= left;
    if (!Continuous) {
      Elapsed = CTimeSpan(elapsed);
      return true;
    }
  } else if (!Continuous) {
    return false;  // finished: rests on 00:00 without repainting
  }
  // At or past 00:00 with auto restart: the first second restarts at 0, and
  // from there the counter runs through the TotalTime + 1 states 0 .. TotalTime.
  const int64_t afterRestart = nSeconds - 1;
  Elapsed = CTimeSpan(total > 0 ? afterRestart % (total + 1) : 0);
  return true;
}

void CCounter::SetContinuous(bool bContinuous) {
  // The last second before the change is counted under the old rule.
  const bool changed = CatchUp();
  if (changed) UpdateHardware();
  const bool ticked = bContinuous && !Continuous;
  Continuous = bContinuous;
  // A count-down resting at 00:00 was out of the plan; going round again it
  // counts from now, not from the grid it rested on.
  if (ticked && Started && Type == DownToZero && Elapsed >= TotalTime) {
    NextSecondTick = AfxGetClock().Milliseconds() + SecondMs;
    Unplanned = false;
  }
  FollowRunState();
  Window.PlanChanged();
}

bool CCounter::IsRunning() const {
  if (!Started) return false;
  return !(Type == DownToZero && !Continuous && Elapsed >= TotalTime);
}

void CCounter::FollowRunState() {
  const bool running = IsRunning();
  if (running == HoldsDisplaysOn) return;
  HoldsDisplaysOn = running;
  if (running)
    AfxHoldDisplaysOn();
  else
    AfxReleaseDisplaysOn();
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
