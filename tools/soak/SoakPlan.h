#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How one counter is set up and driven during a run.
struct CounterPlan {
  std::string Name;
  int Type = 1;  // CounterType
  int Format = 0;
  int TotalTime = 0;
  int OrangeTime = 0;
  int RedTime = 0;
  bool Continuous = false;
  bool DisplayDuringPause = false;
  bool Transparent = false;
  int TickerSize = 0;
  std::string Ticker;
  // Outer window rectangle of the display.
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  // What the operator does with it after Start.
  bool Flash = false;
  bool PauseCycle = false;
  // Once resting at 00:00, "Auto restart counter" is ticked (it goes round
  // once more) and unticked again while it shows 00:00 (it stops there).
  bool RestartAtZero = false;
  bool Repeater = false;
};

struct SoakOptions {
  // Soak: the eight mixed counters, rebuilds, checks. Bench: BenchCounters
  // plain count-up counters on full-screen displays, then only the message loop.
  bool Bench = false;
  int BenchCounters = 1;
  bool Ticker = true;
  bool Latency = false;
  // Bench: wake the displays with a thread timer alone, as a simple program would.
  bool WindowTimer = false;
  // Bench: keystrokes arrive in the first counter's ticker box about 100
  // times a second, as from a fast typist or a held key.
  bool Typing = false;
  double Seconds = 120.0;
  double RebuildEvery = 40.0;
  // Time from the last Start after a rebuild to the resource snapshot.
  double Settle = 4.5;
  // Growth beyond the after-warm-up values that is still no leak: kernel
  // handles and private memory move a little under Wine on their own.
  long HandleTolerance = 16;
  long MemoryToleranceKiB = 2048;
  // Holds the program's thread up this long once in every rebuild period,
  // as a slow device or a busy machine would: counting must catch up exactly.
  int StallMs = 0;
  // Moves the program's clocks this far forward at the same moment, as a
  // laptop's sleep does: the catch-up must count exactly, in one step.
  double HoldSeconds = 300.0;
  int ScreenWidth = 1920;
  int ScreenHeight = 1080;
  // Bench: remote control's HTTP server on this port of 127.0.0.1 (0: off),
  // with this control key.
  int HttpPort = 0;
  std::string Key;
  // Bench: the lateness and the private memory every this many seconds, each
  // window measured apart (0: once, at the end).
  double ReportEvery = 0.0;
  // Bench: every counted second of the first display, its text and when its
  // frame was on the screen (Unix time in ms), written here at the end.
  std::string FrameLog;
};

std::vector<CounterPlan> SoakCounters();
std::vector<CounterPlan> BenchCounters(const SoakOptions& options);
