#include "tools/soak/FrameWatch.h"

#include "counter/Counter.h"
#include "framework/Clock.h"

namespace {

bool IsRealTimeType(CounterType type) { return type == RealTime24 || type == RealTime12; }

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
  // The moment the tick count moves on is the start of its millisecond.
  const DWORD start = ::GetTickCount();
  DWORD tick = start;
  int64_t counter = Now();
  while (tick == start) {
    counter = Now();
    tick = ::GetTickCount();
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
  } else if (counter.Elapsed.GetTotalSeconds() != slot->ElapsedBefore) {
    ++slot->Steps;
    if (!slot->FramePending) {
      slot->FramePending = true;
      slot->PendingDeadline = FromTickCount(slot->DeadlineBefore);
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
  if (slot && slot->FramePending) {
    slot->FramePending = false;
    Latency.Add(Ms(now - slot->PendingDeadline));
  }
}
