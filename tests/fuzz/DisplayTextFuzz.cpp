// Any combination of stored settings and counted time must give a display
// text, a device text the unit can show and a report with valid digits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "counter/Counter.h"
#include "device/ExpanderOutput.h"
#include "support/ManualClock.h"

namespace {

template <class T>
T Take(const uint8_t*& data, size_t& size) {
  T value{};
  const size_t n = size < sizeof value ? size : sizeof value;
  std::memcpy(&value, data, n);
  data += n;
  size -= n;
  return value;
}

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ManualClock clock;
  clock.Wall = Take<int64_t>(data, size) % (int64_t{400} * 365 * 86400);
  clock.Ticks = Take<uint32_t>(data, size);
  CCounter counter(Take<int32_t>(data, size));
  const int32_t total = Take<int32_t>(data, size);
  const int32_t type = Take<int32_t>(data, size);
  const int32_t format = Take<int32_t>(data, size);
  const int32_t orange = Take<int32_t>(data, size);
  const int32_t red = Take<int32_t>(data, size);
  const uint8_t flags = Take<uint8_t>(data, size);
  counter.Start(total, type, format, orange, red);
  counter.Elapsed = CTimeSpan(Take<int64_t>(data, size) % (int64_t{1} << 40));
  counter.Paused = flags & 1;
  counter.Flashing = flags & 2;
  counter.FlashVisible = flags & 4;
  counter.DisplayDuringPause = flags & 8;

  const CString text = counter.GetDisplayText();
  if (text.IsEmpty() && !IsRealTime(counter.Type)) std::abort();
  const DisplayColour colour = counter.GetColourState();
  if (colour < Normal || colour > Blank) std::abort();

  bool negative = false;
  const CString device = counter.GetDeviceText(negative);
  if (!IsRealTime(counter.Type) || !device.IsEmpty()) {
    if (device.GetLength() != 5 || device.GetAt(2) != ':') std::abort();
    for (int i : {0, 1, 3, 4})
      if (!IsDigit(device.GetAt(i))) std::abort();
  }

  // A time too long for two digits per group shows as the largest the unit can.
  if (counter.Type == DownToZero || counter.Type == DownPastZero || counter.Type == CountUp) {
    const int64_t value = counter.Type == CountUp ? counter.Elapsed.GetTotalSeconds()
                                                  : (counter.TotalTime - counter.Elapsed).GetTotalSeconds();
    const int64_t magnitude = value < 0 ? -value : value;
    const bool tooLong = (counter.Format == MinSec && magnitude >= 6000) ||
                         ((counter.Format == HourMin || counter.Format == Auto) && magnitude >= 360000);
    if (tooLong && device != "99:59") std::abort();
    if (negative != (value < 0)) std::abort();
  }

  ExpanderOutput output;
  output.LeftPair = ReadDevicePair(device, 0);
  output.RightPair = ReadDevicePair(device, 3);
  output.Negative = negative;
  output.ColourCode = ColourCodeOf(colour);
  const ExpanderReport report = output.BuildReport();
  const int units = report[2] >> 4, tens = report[2] & 0x0F;
  if (units > 9 || (tens > 9 && !(tens == 0x0A && negative))) std::abort();
  if ((report[3] >> 4) > 9 || (report[3] & 0x0F) > 9) std::abort();

  // A second of timekeeping never breaks what the counter shows.
  for (int i = 0; i < 40; ++i) {
    clock.Advance(30);
    counter.Tick();
  }
  (void)counter.GetDisplayText();
  return 0;
}
