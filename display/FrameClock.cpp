#include "display/FrameClock.h"

#include <algorithm>

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
    // A second falling just after a frame takes that frame with it: two wakes
    // closer than the system's shortest timer would make the second late.
    if (has && !Earlier(earliest, NextTickerFrame) && Earlier(earliest, NextTickerFrame + 10))
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
  WakeAt = at;
  Pending = true;
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
  // A window may go while another's counter works (a report that pumps
  // messages): step over a copy and skip whatever has left.
  const std::vector<CCounterWindow*> windows = Windows;
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
