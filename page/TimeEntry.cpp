#include "page/TimeEntry.h"

#include <limits>

namespace {

constexpr int64_t Largest = std::numeric_limits<int32_t>::max();

int32_t Limit(int64_t seconds) {
  if (seconds < 0) return 0;
  return static_cast<int32_t>(seconds > Largest ? Largest : seconds);
}

bool IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

}  // namespace

int32_t ParseTimeBox(const std::string& text) {
  std::size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  const std::size_t digitsStart = at;
  int64_t value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10 + (text[at] - '0');
    if (value > Largest) value = Largest + 1;  // saturate; keeps the loop free of overflow
  }
  if (at == digitsStart) return 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  if (at != text.size() || negative) return 0;
  return Limit(value);
}

int32_t TotalSeconds(int32_t hours, int32_t minutes, int32_t seconds) {
  // Each factor is below 2^31, so the sum stays far below 2^63.
  const int64_t total =
      (static_cast<int64_t>(hours) * 60 + static_cast<int64_t>(minutes)) * 60 + static_cast<int64_t>(seconds);
  return Limit(total);
}

int32_t ShortSeconds(int32_t minutes, int32_t seconds) {
  return Limit(static_cast<int64_t>(minutes) * 60 + static_cast<int64_t>(seconds));
}

int32_t StoredSeconds(uint32_t stored, int32_t fallback) {
  return stored > static_cast<uint32_t>(Largest) ? fallback : static_cast<int32_t>(stored);
}

int StoredChoice(uint32_t stored, int count) {
  return count > 0 && stored < static_cast<uint32_t>(count) ? static_cast<int>(stored) : 0;
}
