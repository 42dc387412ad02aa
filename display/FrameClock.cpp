#include "display/FrameClock.h"

#include <algorithm>
#include <cstdlib>

#include "counter/Counter.h"
#include "display/CounterWindow.h"
#include "display/FramePlan.h"
#include "framework/Clock.h"
#include "framework/KernelHandle.h"
#include "framework/WinApp.h"

namespace {

bool Earlier(DWORD a, DWORD b) { return static_cast<int32_t>(a - b) < 0; }

// A waitable timer, which the program's message loop waits on beside the
// messages: it has no 10 ms floor (a window timer has), it is served ahead of
// queued input, and on Windows 10 1803 and later it is a high-resolution one;
// before that it keeps to the 1 ms timer resolution the displays request.
// Dialogs, menus and window moves run message loops of their own that wait
// on messages alone: a thread timer set for the same moment wakes the clock
// there, and whichever comes second finds nothing due. Both are set anew for
// every wake, as the distance from now to the wake's own deadline: a
// repeating timer left to run measures its next period from the moment it
// fired, so on Windows its lateness would grow from wake to wake.
class SystemWakeTimer final : public WakeTimer {
public:
  SystemWakeTimer() {
    constexpr DWORD HighResolution = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
    Waitable.Reset(::CreateWaitableTimerExW(nullptr, nullptr, HighResolution, TIMER_ALL_ACCESS));
    if (!Waitable) Waitable.Reset(::CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS));
    if (Waitable) AfxSetLoopWaitable(Waitable.Get(), &SystemWakeTimer::OnSignal);
  }
  ~SystemWakeTimer() override {
    if (Waitable) AfxSetLoopWaitable(nullptr, nullptr);
  }
  SystemWakeTimer(const SystemWakeTimer&) = delete;
  SystemWakeTimer& operator=(const SystemWakeTimer&) = delete;

  void Set(DWORD delayMs) override {
    if (Waitable) {
      // Timed from where the clock stands within its millisecond.
      LONGLONG wait = static_cast<LONGLONG>(delayMs) * 10000;  // in 100 ns
      if (wait > 0) wait = std::max<LONGLONG>(wait - AfxGetClock().SubMillisecond(), 0);
      LARGE_INTEGER due{};
      due.QuadPart = -wait;  // relative
      ::SetWaitableTimer(Waitable.Get(), &due, 0, nullptr, nullptr, FALSE);
    }
    Id = ::SetTimer(nullptr, Id, delayMs, &SystemWakeTimer::OnTimer);
  }
  void Cancel() override {
    if (Waitable) ::CancelWaitableTimer(Waitable.Get());
    if (Id) ::KillTimer(nullptr, Id);
    Id = 0;
  }

private:
  static void OnSignal() { CFrameClock::Instance().Wake(); }
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    CFrameClock& clock = CFrameClock::Instance();
    // The waitable timer already served this wake.
    if (clock.Armed() && !IsDue(AfxGetClock().Milliseconds(), clock.ArmedFor())) return;
    clock.Wake();
  }
  KernelHandle Waitable;
  UINT_PTR Id = 0;
};

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

WakeTimer& CFrameClock::Timer() {
  static SystemWakeTimer system;
  return Installed ? *Installed : system;
}

void CFrameClock::SetWakeTimer(WakeTimer* timer) {
  Disarm();
  Installed = timer;
  Replan();
}

void CFrameClock::Replan() {
  if (Waking) return;  // the wake plans when it is done
  Clock& clock = AfxGetClock();
  const DWORD now = clock.Milliseconds();
  const int64_t wallMs = clock.TimeMs();
  bool has = false;
  DWORD earliest = 0;
  bool ticker = false;
  for (CCounterWindow* window : Windows) {
    DWORD due = 0;
    if (window->Counter) {
      // A counter left out of the plan is stepped by nothing until it is
      // planned again, when its deadlines are moved to the present.
      const bool planned = CounterNextDue(*window->Counter, now, wallMs, due);
      if (!planned) window->Counter->Unplanned = true;
      if (planned && (!has || Earlier(due, earliest))) earliest = due;
      has = has || planned;
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
  // Glyphs the coming seconds will show are rendered ahead, one a wake, in
  // time that no deadline needs: a digit shown for the first time costs its
  // second nothing. With a ticker the frames' wakes do it.
  const DWORD glyphAt = now + ShortestTimer;
  if ((!has || !Earlier(earliest, glyphAt + GlyphRoom)) && GlyphsWanted()) {
    earliest = glyphAt;
    has = true;
  }
  if (has)
    Arm(now, earliest);
  else
    Disarm();
}

void CFrameClock::Arm(DWORD now, DWORD at) {
  if (Pending && WakeAt == at) return;
  const int32_t wait = static_cast<int32_t>(at - now);
  WakeAt = at;
  Pending = true;
  Timer().Set(wait > 0 ? static_cast<DWORD>(wait) : 0);
}

void CFrameClock::Disarm() {
  // Also after a wake, when the system's timer would fire again.
  Timer().Cancel();
  Pending = false;
}

void CFrameClock::Wake() {
  if (Waking) return;
  Clock& clock = AfxGetClock();
  // The system's timer repeats until the plan below sets it again or ends it.
  Pending = false;
  Waking = true;
  const DWORD now = clock.Milliseconds();
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
    if (!Earlier(clock.Milliseconds(), NextTickerFrame)) NextTickerFrame = clock.Milliseconds() + TickerPeriod;
  }
  RenderGlyphAhead();
  Waking = false;
  Replan();
}

bool CFrameClock::GlyphsWanted() {
  if (!GlyphsMaybeWanted) return false;
  for (CCounterWindow* window : Windows)
    if (window->GlyphAhead()) return true;
  GlyphsMaybeWanted = false;
  return false;
}

void CFrameClock::RenderGlyphAhead() {
  if (!GlyphsMaybeWanted) return;
  Clock& clock = AfxGetClock();
  const DWORD now = clock.Milliseconds();
  const int64_t wallMs = clock.TimeMs();
  const DWORD room = now + GlyphRoom;
  if (TickerRunning && Earlier(NextTickerFrame, room)) return;
  for (CCounterWindow* window : Windows) {
    DWORD due = 0;
    if (window->Counter && CounterNextDue(*window->Counter, now, wallMs, due) && Earlier(due, room)) return;
  }
  for (CCounterWindow* window : Windows)
    if (window->RenderGlyphAhead()) return;
  GlyphsMaybeWanted = false;
}
