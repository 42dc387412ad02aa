#pragma once

#include <cstdint>

// Kinds of counter, in the order of the counter page's "Counter Type" radios.
enum CounterType : int32_t {
  DownToZero = 0,
  CountUp = 1,
  RealTime24 = 2,
  RealTime12 = 3,
  DownPastZero = 4,
};

// Digit layouts, in the order of the "Display Format" radios.
enum DisplayFormat : int32_t {
  Auto = 0,
  MinSec = 1,   // "MM:SS"
  HourMin = 2,  // "HH:MM"
};

// Which style the digits take, or none.
enum DisplayColour : int32_t {
  Normal = 0,
  Orange = 1,
  Red = 2,
  Blank = 3,
};

inline bool IsRealTime(int32_t type) {
  return type == RealTime24 || type == RealTime12;
}
