#include "tools/soak/ProcessCounters.h"

#include <psapi.h>

#include "framework/Gdi.h"

namespace {

BOOL CALLBACK CountChild(HWND, LPARAM data) {
  ++*reinterpret_cast<int*>(data);
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM data) {
  ++*reinterpret_cast<int*>(data);
  ::EnumChildWindows(window, &CountChild, data);
  return TRUE;
}

// Wine answers no handle count; the open handles are then counted one by
// one (handle values are multiples of four, given out lowest first).
DWORD CountHandles() {
  DWORD open = 0;
  for (uintptr_t value = 4; value < 4 * 32768; value += 4) {
    DWORD flags = 0;
    if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++open;
  }
  return open;
}

}  // namespace

ProcessCounters ProcessCounters::Take() {
  ProcessCounters counters;
  HANDLE process = ::GetCurrentProcess();
  counters.GdiObjects = ::GetGuiResources(process, GR_GDIOBJECTS);
  counters.UserObjects = ::GetGuiResources(process, GR_USEROBJECTS);
  if (!::GetProcessHandleCount(process, &counters.Handles) || counters.Handles == 0) counters.Handles = CountHandles();
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
    // Both are the process's private committed memory; Wine fills only the second.
    counters.PrivateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    counters.PeakPrivateBytes = memory.PeakPagefileUsage;
  }
  counters.LiveGdiObjects = CGdiObject::LiveCount();
  ::EnumThreadWindows(::GetCurrentThreadId(), &CountTopLevel, reinterpret_cast<LPARAM>(&counters.Windows));
  return counters;
}
