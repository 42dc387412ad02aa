#include "framework/Time.h"

#include <ctime>

#include "framework/Clock.h"

CTime CTime::Now() {
  return CTime(AfxGetClock().Time64());
}

int CTime::GetSecond() const {
  std::tm local{};
  return AfxGetClock().LocalTime(Time, local) ? local.tm_sec : -1;
}

int CTime::GetMinute() const {
  std::tm local{};
  return AfxGetClock().LocalTime(Time, local) ? local.tm_min : -1;
}

int CTime::GetHour() const {
  std::tm local{};
  return AfxGetClock().LocalTime(Time, local) ? local.tm_hour : -1;
}

CString CTime::Format(const char* pattern) const {
  std::tm local{};
  if (!AfxGetClock().LocalTime(Time, local)) return CString();
  char buffer[128];
  const std::size_t length = std::strftime(buffer, sizeof buffer, pattern, &local);
  return CString(buffer, length);
}
