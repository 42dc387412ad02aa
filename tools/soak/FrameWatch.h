#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "display/CounterWindow.h"
#include "tools/soak/Histogram.h"

// The measuring side of the display windows: how long each timer handler
// (the counter's Tick) and each paint takes, the gaps between one window's
// timer messages, and for every counted second the delay from its deadline
// to the end of the copy of the frame that shows it. It also counts, per
// window, the seconds the counter counted and the wall-clock seconds a
// real-time counter showed, as its own timer saw them, and how long each
// counted second stood on the screen, from the first frame that showed it to
// the first that showed the next.
class FrameWatch : public CDisplayObserver {
public:
  static constexpr int MaxWindows = 32;

  struct Slot {
    CCounterWindow* Window = nullptr;
    // Counted seconds (Elapsed changed in a Tick) and real-time seconds shown.
    int64_t Steps = 0;
    // Real-time counters: ticks after which the shown second was not the
    // wall-clock second, and seconds jumped over while the thread was held up.
    int64_t WrongSecond = 0;
    int64_t SkippedSeconds = 0;
    // State seen at the start of the current timer handler.
    DWORD DeadlineBefore = 0;
    int64_t ElapsedBefore = 0;
    int64_t ShownBefore = 0;
    int64_t WallBefore = 0;
    int64_t LastTimerBegin = 0;
    // Wall-clock second at the end of the last timer handler.
    int64_t LastTickWall = 0;
    // A counted second waiting for its frame, and its deadline in QPC units.
    bool FramePending = false;
    int64_t PendingDeadline = 0;
    // The counted time on the screen and since when (program tick); the
    // first one shown after Start is not judged, since the Start's own work
    // may hold its first frame back.
    CString Shown;
    DWORD ShownSince = 0;
    int ShownCount = 0;
  };

  // A counted second that stood on the screen for less than half a second.
  struct ShortSecond {
    CCounterWindow* Window;
    CString Text;
    double Ms;
  };
  static constexpr double ShortestSecondMs = 500.0;
  // A frame this close after its deadline is on time.
  static constexpr int32_t OnTimeMs = 250;

  FrameWatch();
  ~FrameWatch() override;

  // Starts watching window (counts from zero); windows not watched are ignored.
  void Watch(CCounterWindow& window);
  void ForgetAll();
  const Slot* Find(const CCounterWindow& window) const;

  // Pairs the tick counter with the performance counter again.
  void Calibrate();
  int64_t Now() const;
  double Ms(int64_t ticks) const { return static_cast<double>(ticks) * 1000.0 / static_cast<double>(Frequency); }

  void TimerBegin(CCounterWindow& window) override;
  void TimerEnd(CCounterWindow& window) override;
  void PaintBegin(CCounterWindow& window) override;
  void PaintEnd(CCounterWindow& window) override;

  // Ticks that counted more than one second (after the thread was held up).
  int64_t CatchUps = 0;
  // How long counted seconds stood on the screen; the ones too short.
  Histogram OnScreen{5000.0};
  double ShortestOnScreen = 0.0;
  std::vector<ShortSecond> ShortSeconds;
  // Short only because the machine held their first frame back.
  int64_t HeldBackSeconds = 0;

  Histogram TimerHandler{500.0};
  Histogram Paint{500.0};
  Histogram TimerGap{2000.0};
  Histogram Latency{2000.0};
  // The same, split by the tick count the program's clock gave meanwhile:
  // fine, or moving in the steps of a PC's system timer.
  bool CoarseTicks = false;
  Histogram FineLatency{2000.0};
  Histogram CoarseLatency{2000.0};
  // The part of it until the clock woke the window.
  Histogram Wake{2000.0};

  // When set, each counted second's frame on the first watched window: its
  // text and the wall-clock moment the frame was done (Unix time in ms).
  struct FrameTime {
    std::string Text;
    double UnixMs;
  };
  bool LogFrames = false;
  std::vector<FrameTime> Frames;

private:
  Slot* FindSlot(const CCounterWindow& window);
  int64_t FromTickCount(DWORD tick) const;

  Slot Slots[MaxWindows];
  int64_t Frequency = 1;
  int64_t CalibrationCounter = 0;
  DWORD CalibrationTick = 0;
  int64_t PaintStart = 0;
  CCounterWindow* Painting = nullptr;
};
