#pragma once

#include <cstdint>
#include <ctime>

#include "framework/Clock.h"

// A clock the test moves by hand. Local time is UTC plus a fixed offset,
// computed here so that results do not depend on the machine's time zone.
class ManualClock final : public Clock {
public:
  ManualClock() { AfxSetClock(this); }
  ~ManualClock() override { AfxSetClock(nullptr); }
  ManualClock(const ManualClock&) = delete;
  ManualClock& operator=(const ManualClock&) = delete;

  // With CoarseTicks the tick count moves as on a PC, in steps of the
  // system timer's 15.625 ms, while the millisecond clock stays fine.
  DWORD GetTickCount() override { return CoarseTicks ? static_cast<DWORD>(Ticks * 64ull / 1000u * 1000u / 64u) : Ticks; }
  DWORD Milliseconds() override { return Ticks; }
  DWORD TimeGetTime() override { return MultimediaTime; }
  int64_t Time64() override { return Wall; }
  int64_t TimeMs() override { return Wall * 1000 + WallMs; }
  bool LocalTime(int64_t time, std::tm& out) override;

  // Moves every clock forward by ms milliseconds (the wall clock by whole seconds).
  void Advance(DWORD ms) {
    Ticks += ms;
    MultimediaTime += ms;
    WallMs += ms;
    Wall += WallMs / 1000;
    WallMs %= 1000;
  }

  // All the clocks' readings, to go back to.
  struct Reading {
    DWORD Ticks, MultimediaTime;
    int64_t Wall;
    DWORD WallMs;
  };
  Reading Snapshot() const { return {Ticks, MultimediaTime, Wall, WallMs}; }
  void Restore(const Reading& reading) {
    Ticks = reading.Ticks;
    MultimediaTime = reading.MultimediaTime;
    Wall = reading.Wall;
    WallMs = reading.WallMs;
  }

  DWORD Ticks = 0;
  DWORD MultimediaTime = 0;
  int64_t Wall = 0;
  DWORD WallMs = 0;
  int64_t LocalOffsetSeconds = 0;
  bool LocalTimeFails = false;
  bool CoarseTicks = false;
};

// Seconds since 1970 of a UTC date and time.
int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second);
