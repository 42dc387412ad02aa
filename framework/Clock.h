#pragma once

#include <cstdint>
#include <ctime>

#include "framework/Platform.h"

// Every clock the program reads comes through here: the millisecond tick
// counter, the multimedia timer, the wall clock and its conversion to local
// time. The product uses the system's clocks; tests install their own to
// stall, jump and wrap time.
class Clock {
public:
  virtual ~Clock() = default;
  virtual DWORD GetTickCount() = 0;    // milliseconds, wraps after 49.7 days
  // Milliseconds on the tick count's scale and wrap, but to the millisecond:
  // on a PC the tick count moves only at the system timer's interrupt, every
  // 10 to 16 ms, so a wake at a deadline could read it short of the deadline.
  // Counts on through sleep and hibernation, as the tick count does. What is
  // due is decided on this clock.
  virtual DWORD Milliseconds() { return GetTickCount(); }
  // How far that clock is into its current millisecond, in 100 ns steps
  // (0 to 9999): a wake set for a deadline on it is timed from there, not
  // from the millisecond's start, which would make it half a millisecond late
  // on average.
  virtual DWORD SubMillisecond() { return 0; }
  virtual DWORD TimeGetTime() = 0;     // multimedia timer milliseconds
  virtual int64_t Time64() = 0;        // seconds since 1970-01-01 UTC
  // Milliseconds since 1970-01-01 UTC, for waking at the turn of a wall-clock
  // second; a clock that knows only whole seconds answers the second's start.
  virtual int64_t TimeMs() { return Time64() * 1000; }
  // Local broken-down time of a wall-clock second; false when it cannot be computed.
  virtual bool LocalTime(int64_t time, std::tm& out) = 0;
};

// The clock in force: the system's unless a test installed another.
Clock& AfxGetClock();
// Installs a clock (not owned); nullptr goes back to the system's.
void AfxSetClock(Clock* clock);
// The system's clocks.
Clock& SystemClock();

// True when a millisecond deadline has come: the signed 32-bit distance from
// the deadline to now is zero or more, which stays right across the wrap.
inline bool IsDue(DWORD now, DWORD deadline) {
  return static_cast<int32_t>(now - deadline) >= 0;
}
