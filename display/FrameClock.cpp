#include "display/FrameClock.h"

#include <algorithm>
#include <cstdlib>

#include "counter/Counter.h"
#include "display/CounterWindow.h"
#include "display/FramePlan.h"
#include "framework/Clock.h"

namespace {

bool Earlier(DWORD a, DWORD b) { return static_cast<int32_t>(a - b) < 0; }

}  // namespace

CFrameClock& CFrameClock::Instance() {
  static CFrameClock clock;
  return clock;
}

void CFrameClock::Join(CCounterWindow& window) {
  if (!Holds(window)) Windows.push_back(&window);
  Replan();
}

void CFrameClock::Leave(CCounterWindow& window) {
  Windows.erase(std::remove(Windows.begin(), Windows.end(), &window), Windows.end());
  Replan();
}

bool CFrameClock::Holds(const CCounterWindow& window) const {
  return std::find(Windows.begin(), Windows.end(), &window) != Windows.end();
}

void CFrameClock::Replan() {
  if (Waking) return;  // the wake plans when it is done
  Clock& clock = AfxGetClock();
  const DWORD now = clock.GetTickCount();
  const int64_t wallMs = clock.TimeMs();
  bool has = false;
  DWORD earliest = 0;
  bool ticker = false;
  for (CCounterWindow* window : Windows) {
    DWORD due = 0;
    if (window->Counter && CounterNextDue(*window->Counter, now, wallMs, due)) {
      if (!has || Earlier(due, earliest)) earliest = due;
      has = true;
    }
    ticker = ticker || window->WantsTickerFrames();
  }
  if (ticker) {
    if (!TickerRunning) NextTickerFrame = now + TickerPeriod;
    TickerRunning = true;
    // A deadline close to a frame takes that frame with it: two wakes closer
    // than the system's shortest timer would make the deadline late.
    if (has && static_cast<DWORD>(std::abs(static_cast<int32_t>(earliest - NextTickerFrame))) < ShortestTimer)
      NextTickerFrame = earliest;
    if (!has || Earlier(NextTickerFrame, earliest)) earliest = NextTickerFrame;
    has = true;
  } else {
    TickerRunning = false;
  }
  if (has)
    Arm(now, earliest);
  else
    Disarm();
}

void CFrameClock::Arm(DWORD now, DWORD at) {
  const int32_t wait = static_cast<int32_t>(at - now);
  const UINT delay = wait > 0 ? static_cast<UINT>(wait) : 0;
  if (TimerId && Pending && WakeAt == at) return;
  // The timer repeats: when the next wake is one period after the last, as
  // ticker frames are, it is already set.
  if (TimerId && !Pending && at == Expiry + Period) {
    WakeAt = at;
    Expiry = at;
    Pending = true;
    return;
  }
  WakeAt = at;
  Pending = true;
  Period = delay < ShortestTimer ? ShortestTimer : delay;
  Expiry = now + Period;
  // A thread timer: it belongs to no display, so displays can come and go.
  TimerId = ::SetTimer(nullptr, TimerId, delay, &CFrameClock::OnTimer);
}

void CFrameClock::Disarm() {
  if (TimerId) ::KillTimer(nullptr, TimerId);
  TimerId = 0;
}

void CALLBACK CFrameClock::OnTimer(HWND, UINT, UINT_PTR, DWORD) { Instance().Wake(); }

void CFrameClock::Wake() {
  if (Waking) return;
  // The timer stays set (it repeats) until the plan below moves or ends it.
  Pending = false;
  Waking = true;
  Clock& clock = AfxGetClock();
  const DWORD now = clock.GetTickCount();
  const int64_t wallMs = clock.TimeMs();
  const bool tickerFrame = TickerRunning && !Earlier(now, NextTickerFrame);
  // Windows with a counted second (or flash phase) due go first: the ticker
  // frames of the others can wait a millisecond more. A window may go while
  // another's counter works (a report that pumps messages): step over a copy
  // and skip whatever has left.
  std::vector<CCounterWindow*> windows;
  windows.reserve(Windows.size());
  for (CCounterWindow* window : Windows) {
    DWORD due = 0;
    if (window->Counter && CounterNextDue(*window->Counter, now, wallMs, due) && !Earlier(now, due))
      windows.insert(windows.begin(), window);
    else
      windows.push_back(window);
  }
  for (CCounterWindow* window : windows)
    if (Holds(*window)) window->ClockStep(now, wallMs, tickerFrame);
  if (tickerFrame) {
    NextTickerFrame += TickerPeriod;
    // Held up past the next frame: drop the frames missed.
    if (!Earlier(clock.GetTickCount(), NextTickerFrame)) NextTickerFrame = clock.GetTickCount() + TickerPeriod;
  }
  Waking = false;
  Replan();
}
