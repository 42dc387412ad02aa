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
