#include <windows.h>
#include <mmsystem.h>

#include <ctime>

#include "framework/Clock.h"

namespace {
class Win32Clock final : public Clock {
public:
  DWORD GetTickCount() override { return ::GetTickCount(); }
  DWORD TimeGetTime() override { return ::timeGetTime(); }
  int64_t Time64() override { return static_cast<int64_t>(::_time64(nullptr)); }
  int64_t TimeMs() override {
    // FILETIME counts 100 ns steps since 1601; the Unix epoch is 11644473600 s later.
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const int64_t steps = static_cast<int64_t>((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    return steps / 10000 - 11644473600000LL;
  }
  bool LocalTime(int64_t time, std::tm& out) override {
    const __time64_t t = static_cast<__time64_t>(time);
    return ::_localtime64_s(&out, &t) == 0;
  }
};
}  // namespace

Clock& SystemClock() {
  static Win32Clock clock;
  return clock;
}
