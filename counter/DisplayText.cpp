// What a counter shows: the digits of its display, the text of the expander
// unit and the colour state that picks the style of the digits.
#include "counter/Counter.h"

namespace {

struct SplitSpan {
  const char* Sign;
  long long Magnitude;
};

SplitSpan Split(CTimeSpan v) {
  const long long seconds = v.GetTotalSeconds();
  // The magnitude of the most negative span does not fit; a counter cannot
  // get there, but the text must still be sane.
  if (seconds < 0) return {"-", seconds == INT64_MIN ? INT64_MAX : -seconds};
  return {"", seconds};
}

}  // namespace

CString CCounter::FormatSpan(CTimeSpan v) const {
  const SplitSpan span = Split(v);
  const long long total = span.Magnitude;
  const long long hours = total / 3600;
  const long long minutes = total / 60;
  const long long seconds = total - minutes * 60;
  CString text;
  switch (Format) {
    case Auto:
      if (hours > 0)
        text.Format("%s%02lld:%02lld:%02lld", span.Sign, hours, minutes - hours * 60, seconds);
      else
        text.Format("%s%02lld:%02lld", span.Sign, minutes, seconds);
      break;
    case HourMin:
      text.Format("%s%02lld:%02lld", span.Sign, hours, minutes - hours * 60);
      break;
    case MinSec:
    default:
      text.Format("%s%02lld:%02lld", span.Sign, minutes, seconds);
      break;
  }
  return text;
}

CString CCounter::FormatDeviceText(CTimeSpan v, bool& bNegative) const {
  const SplitSpan span = Split(v);
  bNegative = span.Sign[0] == '-';
  const long long total = span.Magnitude;
  const long long hours = total / 3600;
  const long long minutes = total / 60;

  DisplayFormat layout = Format;
  if (layout == Auto) layout = hours > 0 ? HourMin : MinSec;
  if (layout != MinSec && layout != HourMin) return CString("00:00");

  // The unit has two digits per group. A time that does not fit shows as the
  // largest it can show, 99:59, until it fits again: the other layout would
  // read as a much shorter time (120 minutes as "02:00").
  if ((layout == MinSec && minutes > 99) || (layout == HourMin && hours > 99)) return CString("99:59");

  CString text;
  if (layout == MinSec)
    text.Format("%02lld:%02lld", minutes, total - minutes * 60);
  else
    text.Format("%02lld:%02lld", hours, minutes - hours * 60);
  return text;
}

CString CCounter::GetDisplayText() const {
  switch (Type) {
    case DownToZero:
    case DownPastZero:
      return FormatSpan(TotalTime - Elapsed);
    case CountUp:
      return FormatSpan(Elapsed);
    case RealTime24:
      return ShownTime.Format("%H:%M:%S");
    case RealTime12:
      return ShownTime.Format("%I:%M:%S");
    default:
      return CString("Err");
  }
}

CString CCounter::GetDeviceText(bool& bNegative) const {
  bNegative = false;
  switch (Type) {
    case DownToZero:
    case DownPastZero:
      return FormatDeviceText(TotalTime - Elapsed, bNegative);
    case CountUp:
      return FormatDeviceText(Elapsed, bNegative);
    case RealTime24:
      return ShownTime.Format("%H:%M");
    case RealTime12:
      return ShownTime.Format("%I:%M");
    default:
      return CString("00:00");
  }
}

DisplayColour CCounter::GetColourState() const {
  if (!Started) return Blank;
  if (Flashing && !FlashVisible) return Blank;
  switch (Type) {
    case DownToZero:
    case CountUp:
    case DownPastZero:
      if (Elapsed > TotalTime - RedTime) return Red;
      if (Elapsed > TotalTime - OrangeTime) return Orange;
      return Normal;
    case RealTime24:
    case RealTime12:
      return Normal;
    default:
      return Red;
  }
}
