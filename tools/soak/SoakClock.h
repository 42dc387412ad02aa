#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <cstdint>

#include "framework/Clock.h"

// The clocks the program reads during a soak: the system's, moved forward by
// the holds (a laptop's sleep moves the tick count, the multimedia timer and
// the wall clock alike), and with the tick counts started one minute before
// their 32-bit wrap so that every run crosses it. It can stand still for a
// moment, so that several counters start on one grid.
class SoakClock final : public Clock {
public:
  static constexpr DWORD BeforeWrapMs = 60000;

  SoakClock() {
    const DWORD start = 0u - BeforeWrapMs;
    TickBase = start - SystemClock().Milliseconds();
    MultimediaBase = start - ::timeGetTime();
  }

  // In the coarse mode the tick count moves as on a PC, in steps of the
  // system timer's 15.625 ms; the millisecond clock stays fine.
  DWORD GetTickCount() override {
    const DWORD fine = Read().Tick;
    return Coarse ? static_cast<DWORD>(fine * 64ull / 1000u * 1000u / 64u) : fine;
  }
  DWORD Milliseconds() override { return Read().Tick; }
  DWORD SubMillisecond() override { return IsFrozen ? 0 : SystemClock().SubMillisecond(); }
  DWORD TimeGetTime() override { return Read().Multimedia; }
  int64_t Time64() override { return FloorDiv(Read().WallMs, 1000); }
  int64_t TimeMs() override { return Read().WallMs; }
  bool LocalTime(int64_t time, std::tm& out) override { return SystemClock().LocalTime(time, out); }

  // Milliseconds since 1970 on the program's wall clock.
  int64_t WallMs() { return Read().WallMs; }

  // Moves every clock forward at once, as a thread held up for ms would see.
  void Hold(int64_t ms) { OffsetMs += ms; }
  int64_t HeldMs() const { return OffsetMs; }
  bool Coarse = false;

  void Freeze() {
    Frozen = Read();
    FrozenAt = SystemClock().Milliseconds();
    IsFrozen = true;
  }
  // Goes on from where it stood, without a jump.
  void Thaw() {
    if (!IsFrozen) return;
    IsFrozen = false;
    OffsetMs -= static_cast<DWORD>(SystemClock().Milliseconds() - FrozenAt);
  }

private:
  struct Reading {
    DWORD Tick;
    DWORD Multimedia;
    int64_t WallMs;
  };

  Reading Read() const {
    if (IsFrozen) return Frozen;
    FILETIME file;
    ::GetSystemTimeAsFileTime(&file);
    const uint64_t units = (static_cast<uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
    const int64_t wallMs = static_cast<int64_t>(units / 10000) - 11644473600000LL;
    const DWORD offset = static_cast<DWORD>(static_cast<uint64_t>(OffsetMs));
    return {SystemClock().Milliseconds() + TickBase + offset, ::timeGetTime() + MultimediaBase + offset, wallMs + OffsetMs};
  }
  static int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

  DWORD TickBase = 0;
  DWORD MultimediaBase = 0;
  int64_t OffsetMs = 0;
  bool IsFrozen = false;
  Reading Frozen{};
  DWORD FrozenAt = 0;
};
