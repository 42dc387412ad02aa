#pragma once

#include <cstdint>

#include "framework/String.h"

// A signed span of whole seconds.
class CTimeSpan {
public:
  CTimeSpan() = default;
  CTimeSpan(int64_t seconds) : Seconds(seconds) {}
  CTimeSpan(long days, int hours, int minutes, int seconds)
      : Seconds(((static_cast<int64_t>(days) * 24 + hours) * 60 + minutes) * 60 + seconds) {}

  int64_t GetTotalSeconds() const { return Seconds; }

  CTimeSpan operator+(CTimeSpan other) const { return CTimeSpan(Seconds + other.Seconds); }
  CTimeSpan operator-(CTimeSpan other) const { return CTimeSpan(Seconds - other.Seconds); }
  CTimeSpan operator-() const { return CTimeSpan(-Seconds); }
  CTimeSpan& operator+=(CTimeSpan other) {
    Seconds += other.Seconds;
    return *this;
  }
  CTimeSpan& operator-=(CTimeSpan other) {
    Seconds -= other.Seconds;
    return *this;
  }
  bool operator==(CTimeSpan other) const { return Seconds == other.Seconds; }
  bool operator!=(CTimeSpan other) const { return Seconds != other.Seconds; }
  bool operator<(CTimeSpan other) const { return Seconds < other.Seconds; }
  bool operator<=(CTimeSpan other) const { return Seconds <= other.Seconds; }
  bool operator>(CTimeSpan other) const { return Seconds > other.Seconds; }
  bool operator>=(CTimeSpan other) const { return Seconds >= other.Seconds; }

private:
  int64_t Seconds = 0;
};

// A wall-clock second (seconds since 1970-01-01 UTC), shown in local time.
class CTime {
public:
  CTime() = default;
  CTime(int64_t time) : Time(time) {}

  // The current second of the installed clock.
  static CTime Now();

  int64_t GetTime() const { return Time; }
  // Local-time fields; -1 when local time cannot be computed.
  int GetSecond() const;
  int GetMinute() const;
  int GetHour() const;
  // Local time through a strftime pattern; empty when it cannot be computed.
  CString Format(const char* pattern) const;

  bool operator==(CTime other) const { return Time == other.Time; }
  bool operator!=(CTime other) const { return Time != other.Time; }
  CTimeSpan operator-(CTime other) const { return CTimeSpan(Time - other.Time); }

private:
  int64_t Time = 0;
};
