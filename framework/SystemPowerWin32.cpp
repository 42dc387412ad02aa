#include <windows.h>

#include "framework/Power.h"

namespace {
class Win32PowerSettings final : public PowerSettings {
public:
  EXECUTION_STATE SetThreadExecutionState(EXECUTION_STATE flags) override { return ::SetThreadExecutionState(flags); }

  // Windows 8 and later have SetProcessInformation, Windows 10 1709 and
  // later its power throttling; looked up at run time so that Windows 7
  // starts. Where the system does not know the request, nothing changes.
  void AllowThrottling(bool allow) override {
    using SetInformation = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
    static const auto set = reinterpret_cast<SetInformation>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "SetProcessInformation")));
    if (!set) return;
    struct ThrottlingState {
      ULONG Version;
      ULONG ControlMask;
      ULONG StateMask;
    };
    constexpr int ProcessPowerThrottling = 4;
    constexpr ULONG ExecutionSpeed = 0x1;
    constexpr ULONG IgnoreTimerResolution = 0x4;
    // Controlled with the state off: never throttled. Not controlled: the
    // system decides again.
    ThrottlingState state{1, allow ? 0u : ExecutionSpeed | IgnoreTimerResolution, 0};
    set(::GetCurrentProcess(), ProcessPowerThrottling, &state, sizeof state);
  }
};
}  // namespace

PowerSettings& SystemPowerSettings() {
  static Win32PowerSettings settings;
  return settings;
}
