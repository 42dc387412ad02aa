#include "tools/soak/FrameWatch.h"

#include "counter/Counter.h"
#include "framework/Clock.h"

namespace {

bool IsRealTimeType(CounterType type) { return type == RealTime24 || type == RealTime12; }

// The wall clock to the microsecond where the system has it (Windows 8 and
// later, Wine), so that another process can compare its own moments with it.
double UnixMs() {
  using PreciseTime = void(WINAPI*)(LPFILETIME);
  static const auto precise = reinterpret_cast<PreciseTime>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
  FILETIME file;
  if (precise)
    precise(&file);
  else
    ::GetSystemTimeAsFileTime(&file);
  const uint64_t units = (static_cast<uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
  return static_cast<double>(units) / 10000.0 - 11644473600000.0;
}

}  // namespace

FrameWatch::FrameWatch() {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  Frequency = frequency.QuadPart > 0 ? frequency.QuadPart : 1;
  Calibrate();
}

FrameWatch::~FrameWatch() {
  if (CCounterWindow::Observer == this) CCounterWindow::Observer = nullptr;
}

int64_t FrameWatch::Now() const {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

void FrameWatch::Calibrate() {
  // The moment the tick count moves on is the start of its millisecond. The
  // tick count is the program's, which the soak moves forward in its holds.
  Clock& clock = AfxGetClock();
  const DWORD start = clock.Milliseconds();
  DWORD tick = start;
  int64_t counter = Now();
  while (tick == start) {
    counter = Now();
    tick = clock.Milliseconds();
  }
  CalibrationTick = tick;
  CalibrationCounter = counter;
}

int64_t FrameWatch::FromTickCount(DWORD tick) const {
  const int32_t ms = static_cast<int32_t>(tick - CalibrationTick);
  return CalibrationCounter + static_cast<int64_t>(ms) * Frequency / 1000;
}

void FrameWatch::Watch(CCounterWindow& window) {
  if (FindSlot(window)) return;
  for (Slot& slot : Slots) {
    if (!slot.Window) {
      slot = Slot{};
      slot.Window = &window;
      return;
    }
  }
}

void FrameWatch::ForgetAll() {
  for (Slot& slot : Slots) slot = Slot{};
}

FrameWatch::Slot* FrameWatch::FindSlot(const CCounterWindow& window) {
  for (Slot& slot : Slots)
    if (slot.Window == &window) return &slot;
  return nullptr;
}

const FrameWatch::Slot* FrameWatch::Find(const CCounterWindow& window) const {
  for (const Slot& slot : Slots)
    if (slot.Window == &window) return &slot;
  return nullptr;
}

void FrameWatch::TimerBegin(CCounterWindow& window) {
  Slot* slot = FindSlot(window);
  if (!slot || !window.Counter) return;
  const int64_t now = Now();
  if (slot->LastTimerBegin) TimerGap.Add(Ms(now - slot->LastTimerBegin));
  slot->LastTimerBegin = now;
  const CCounter& counter = *window.Counter;
  slot->DeadlineBefore = counter.NextSecondTick;
  slot->ElapsedBefore = counter.Elapsed.GetTotalSeconds();
  slot->ShownBefore = counter.ShownTime.GetTime();
  slot->WallBefore = AfxGetClock().Time64();
}

void FrameWatch::TimerEnd(CCounterWindow& window) {
  Slot* slot = FindSlot(window);
  if (!slot || !window.Counter || !slot->LastTimerBegin) return;
  const CCounter& counter = *window.Counter;
  if (counter.Started && IsRealTimeType(counter.Type)) {
    const int64_t shown = counter.ShownTime.GetTime();
    const int64_t wallAfter = AfxGetClock().Time64();
    slot->LastTickWall = wallAfter;
    if (!counter.Paused && (shown < slot->WallBefore || shown > wallAfter)) ++slot->WrongSecond;
    if (shown != slot->ShownBefore) {
      ++slot->Steps;
      // A thread held up for more than a second shows the current second at
      // once; the seconds in between were never on the screen.
      if (shown - slot->ShownBefore > 1) slot->SkippedSeconds += shown - slot->ShownBefore - 1;
    }
  } else {
    // Seconds this tick counted: an auto-restarting count-down goes round,
    // so its grid tells; the others move Elapsed by exactly that much.
    const int64_t deadlines = static_cast<int32_t>(counter.NextSecondTick - slot->DeadlineBefore) / 1000;
    const int64_t counted = counter.Type == DownToZero && counter.Continuous
                                ? (counter.Paused ? 0 : deadlines)
                                : counter.Elapsed.GetTotalSeconds() - slot->ElapsedBefore;
    if (counted > 0) {
      slot->Steps += counted;
      if (counted > 1) {
        ++CatchUps;  // its frame is late by the hold, not by the display
      } else if (!slot->FramePending) {
        slot->FramePending = true;
        slot->PendingDeadline = FromTickCount(slot->DeadlineBefore);
        Wake.Add(Ms(slot->LastTimerBegin - slot->PendingDeadline));
      }
    }
  }
  TimerHandler.Add(Ms(Now() - slot->LastTimerBegin));
}

void FrameWatch::PaintBegin(CCounterWindow& window) {
  Painting = &window;
  PaintStart = Now();
}

void FrameWatch::PaintEnd(CCounterWindow& window) {
  const int64_t now = Now();
  if (Painting == &window) Paint.Add(Ms(now - PaintStart));
  Painting = nullptr;
  Slot* slot = FindSlot(window);
  if (!slot) return;
  if (slot->FramePending) {
    slot->FramePending = false;
    Latency.Add(Ms(now - slot->PendingDeadline));
    (CoarseTicks ? CoarseLatency : FineLatency).Add(Ms(now - slot->PendingDeadline));
    if (LogFrames && slot == &Slots[0] && window.Counter)
      Frames.push_back({window.Counter->GetDisplayText().GetString(), UnixMs()});
  }
  const CCounter* counter = window.Counter;
  if (!counter || !counter->Started || IsRealTimeType(counter->Type)) return;
  const CString text = counter->GetDisplayText();
  if (slot->ShownCount > 0 && text == slot->Shown) return;
  // On the program's clock: a second shown just before a hold stood on the
  // screen for the whole hold.
  const DWORD tick = AfxGetClock().Milliseconds();
  if (slot->ShownCount > 1) {
    const double ms = static_cast<double>(static_cast<int32_t>(tick - slot->ShownSince));
    OnScreen.Add(ms);
    if (OnScreen.Count == 1 || ms < ShortestOnScreen) ShortestOnScreen = ms;
    // Racing digits show each value late and replace it late again. A second
    // followed on time by the next one was short only because the machine
    // held its own frame back (its deadline is what ends it).
    const int32_t nextLate = static_cast<int32_t>(tick - (counter->NextSecondTick - 1000));
    if (ms < ShortestSecondMs && nextLate >= 0 && nextLate < OnTimeMs) {
      ++HeldBackSeconds;
    } else if (ms < ShortestSecondMs && ShortSeconds.size() < 20) {
      ShortSeconds.push_back({&window, slot->Shown, ms});
    }
  }
  slot->Shown = text;
  slot->ShownSince = tick;
  ++slot->ShownCount;
}
