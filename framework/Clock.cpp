#include "framework/Clock.h"

namespace {
Clock* installedClock = nullptr;
}

Clock& AfxGetClock() {
  return installedClock ? *installedClock : SystemClock();
}

void AfxSetClock(Clock* clock) {
  installedClock = clock;
}

#ifndef _WIN32
// Host build: the same clocks from POSIX, so that portable code runs natively.
#include <time.h>

namespace {
class PosixClock final : public Clock {
public:
  DWORD GetTickCount() override { return MonotonicMs(); }
  DWORD Milliseconds() override { return MonotonicMs(); }
  DWORD TimeGetTime() override { return MonotonicMs(); }
  int64_t Time64() override { return static_cast<int64_t>(::time(nullptr)); }
  int64_t TimeMs() override {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
  }
  bool LocalTime(int64_t time, std::tm& out) override {
    const time_t t = static_cast<time_t>(time);
    return ::localtime_r(&t, &out) != nullptr;
  }

private:
  static DWORD MonotonicMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                              static_cast<uint64_t>(now.tv_nsec) / 1000000u);
  }
};
}  // namespace

Clock& SystemClock() {
  static PosixClock clock;
  return clock;
}
#endif
