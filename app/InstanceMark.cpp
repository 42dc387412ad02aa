#include "app/InstanceMark.h"

#include <cstdint>

namespace {

constexpr const char* RecordName = "Local\\Halvorn Industries Velto Control Sheet";

// Written by the holder of the mark only: its process first, the sheet once
// it exists. Another process reads it.
struct RunningInstance {
  volatile DWORD ProcessId;
  volatile LONG64 Sheet;
};

// The sheet named in the record, if it is still a window of the process
// that holds the mark (a handle alone may have been reused).
HWND PublishedSheet() {
  KernelHandle mapping(::OpenFileMappingA(FILE_MAP_READ, FALSE, RecordName));
  if (!mapping) return nullptr;
  MappedView view(::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, sizeof(RunningInstance)));
  const auto* record = static_cast<const RunningInstance*>(view.Get());
  if (!record) return nullptr;
  const DWORD holder = record->ProcessId;
  HWND sheet = reinterpret_cast<HWND>(static_cast<std::intptr_t>(record->Sheet));
  if (!sheet || !::IsWindow(sheet)) return nullptr;
  DWORD owner = 0;
  ::GetWindowThreadProcessId(sheet, &owner);
  return owner == holder ? sheet : nullptr;
}

}  // namespace

bool CInstanceMark::Claim() {
  Mutex.Reset(::CreateMutexA(nullptr, FALSE, MutexName));
  const DWORD error = ::GetLastError();
  if (!Mutex) return error != ERROR_ACCESS_DENIED;
  if (error == ERROR_ALREADY_EXISTS) {
    Mutex.Reset();
    return false;
  }
  Mapping.Reset(
      ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(RunningInstance), RecordName));
  if (Mapping) Record.Reset(::MapViewOfFile(Mapping.Get(), FILE_MAP_WRITE, 0, 0, sizeof(RunningInstance)));
  if (auto* record = static_cast<RunningInstance*>(Record.Get())) record->ProcessId = ::GetCurrentProcessId();
  return true;
}

void CInstanceMark::Publish(HWND sheet) {
  if (!Mutex) return;
  if (auto* record = static_cast<RunningInstance*>(Record.Get()))
    ::InterlockedExchange64(&record->Sheet, static_cast<LONG64>(reinterpret_cast<std::intptr_t>(sheet)));
}

bool CInstanceMark::BringRunningSheetForward() {
  HWND sheet = PublishedSheet();
  if (!sheet) return false;
  DWORD owner = 0;
  ::GetWindowThreadProcessId(sheet, &owner);
  ::AllowSetForegroundWindow(owner);
  // Through the sheet's own restore, which also puts displays stretched
  // while it was minimised back where they were.
  if (::IsIconic(sheet)) ::PostMessageA(sheet, WM_SYSCOMMAND, SC_RESTORE, 0);
  // What the operator can use: an open dialog or message box of the sheet
  // disables it, so that comes forward, not the sheet behind it.
  HWND usable = ::GetLastActivePopup(sheet);
  if (!usable || !::IsWindowVisible(usable) || !::IsWindowEnabled(usable)) usable = sheet;
  ::SetForegroundWindow(usable);
  return true;
}
