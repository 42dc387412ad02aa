#include "support/ProcessWatch.h"

namespace {

struct WindowSearch {
  DWORD ProcessId;
  HWND Found;
};

BOOL CALLBACK FindSheet(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(hwnd, &owner);
  char title[64] = {};
  ::GetWindowTextA(hwnd, title, sizeof title);
  if (owner == search->ProcessId && std::string(title) == "Velto Controls") {
    search->Found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

std::string BuiltProductPath() {
  char path[MAX_PATH];
  const DWORD got = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, got);
  return dir.substr(0, dir.find_last_of("\\/") + 1) + "Velto.exe";
}

ProcessResult RunProductUntilClosed(const std::string& path, DWORD timeoutMs) {
  ProcessResult result;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string command = "\"" + path + "\"";
  if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return result;
  result.Started = true;
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < timeoutMs) {
    if (::WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) {
      result.Ended = true;
      break;
    }
    WindowSearch search{process.dwProcessId, nullptr};
    ::EnumWindows(&FindSheet, reinterpret_cast<LPARAM>(&search));
    if (search.Found && !result.ShowedSheet) {
      result.ShowedSheet = true;
      ::PostMessageA(search.Found, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
  }
  if (!result.Ended) ::TerminateProcess(process.hProcess, 99);
  ::GetExitCodeProcess(process.hProcess, &result.ExitCode);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return result;
}
