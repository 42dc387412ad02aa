#pragma once

#include <windows.h>

#include <cstdint>

// What the process holds at one moment: the system's own counts of its GDI
// and USER objects and kernel handles, its private memory, the framework's
// count of live GDI objects and the number of windows of this thread (top
// level and children). Wine answers 0 for the GDI and USER counts; the
// framework's count and the window count stand in for them there.
struct ProcessCounters {
  DWORD GdiObjects = 0;
  DWORD UserObjects = 0;
  DWORD Handles = 0;
  uint64_t PrivateBytes = 0;
  uint64_t PeakPrivateBytes = 0;
  long LiveGdiObjects = 0;
  int Windows = 0;

  static ProcessCounters Take();
};
