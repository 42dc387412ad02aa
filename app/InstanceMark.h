#pragma once

#include <windows.h>

#include "framework/KernelHandle.h"

// One Velto per user session. The first start holds a named mutex for its
// whole life (the installer looks for the same name to notice a running
// Velto) and, beside it, a small shared record of its process and control
// sheet. A later start finds the mutex taken, brings that sheet forward and
// ends.
class CInstanceMark {
public:
  static constexpr const char* MutexName = "Local\\Halvorn Industries Velto";

  // True when this process now holds the mark; false when another one does.
  // A mark that cannot be made at all does not stop the program.
  bool Claim();
  // Names the control sheet that a later start brings forward; nothing
  // unless this process holds the mark.
  void Publish(HWND sheet);
  // Restores the running Velto's control sheet if it is minimised and makes
  // the sheet's last active popup (an open dialog or message box), else the
  // sheet, the foreground window. False when no such sheet exists (yet).
  static bool BringRunningSheetForward();

private:
  KernelHandle Mutex;
  KernelHandle Mapping;
  MappedView Record;
};
