#include <windows.h>
#include <mmsystem.h>

#include <ctime>

#include "framework/Clock.h"

namespace {
class Win32Clock final : public Clock {
public:
  DWORD GetTickCount() override { return ::GetTickCount(); }
  // The performance counter: a microsecond or finer, and counting through
  // standby and hibernation, as the tick count does (unlike the unbiased
  // interrupt time). Whole milliseconds of it on the tick count's 32 bits.
  DWORD Milliseconds() override {
    LARGE_INTEGER count{};
    if (Frequency <= 0 || !::QueryPerformanceCounter(&count)) return ::GetTickCount();
    const uint64_t ticks = static_cast<uint64_t>(count.QuadPart);
    const uint64_t frequency = static_cast<uint64_t>(Frequency);
    return static_cast<DWORD>((ticks / frequency) * 1000u + (ticks % frequency) * 1000u / frequency);
  }
  DWORD SubMillisecond() override {
    LARGE_INTEGER count{};
    if (Frequency <= 0 || !::QueryPerformanceCounter(&count)) return 0;
    const uint64_t within = static_cast<uint64_t>(count.QuadPart) % static_cast<uint64_t>(Frequency);
    return static_cast<DWORD>(within * 10000000u / static_cast<uint64_t>(Frequency) % 10000u);
  }
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

private:
  static LONGLONG ReadFrequency() {
    LARGE_INTEGER frequency{};
    return ::QueryPerformanceFrequency(&frequency) ? frequency.QuadPart : 0;
  }
  const LONGLONG Frequency = ReadFrequency();
};
}  // namespace

Clock& SystemClock() {
  static Win32Clock clock;
  return clock;
}
