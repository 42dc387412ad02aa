#include "display/FramePlan.h"

#include "counter/Counter.h"
#include "framework/Clock.h"

namespace {

// The later deadline on the wrapping millisecond scale loses.
void KeepEarlier(bool& has, DWORD& due, DWORD candidate) {
  if (!has || static_cast<int32_t>(candidate - due) < 0) due = candidate;
  has = true;
}

bool PlannedDue(const CCounter& counter, DWORD now, int64_t wallMs, DWORD& due) {
  bool has = false;
  if (counter.Flashing) KeepEarlier(has, due, counter.NextFlashTick);
  if (!counter.Started) return has;
  if (IsRealTime(counter.Type) && !counter.Paused) {
    int64_t shownUntil = (counter.ShownTime.GetTime() + 1) * 1000;
    if (counter.ShownTime.GetSecond() < 0) {
      // Without local time nothing can be shown: look again at the next
      // turn of the wall-clock second, not at every plan.
      const int64_t intoSecond = ((wallMs % 1000) + 1000) % 1000;
      KeepEarlier(has, due, now + static_cast<DWORD>(1000 - intoSecond + 1));
    } else if (wallMs >= shownUntil || wallMs < shownUntil - 1000) {
      KeepEarlier(has, due, now);
    } else {
      // One millisecond past the turn, so that the second has turned for
      // the clock that Tick reads too.
      const int64_t wait = shownUntil - wallMs + 1;
      KeepEarlier(has, due, now + static_cast<DWORD>(wait));
    }
    return has;
  }
  const bool finished = counter.Type == DownToZero && !counter.Continuous && counter.Elapsed >= counter.TotalTime;
  if (!finished) KeepEarlier(has, due, counter.NextSecondTick);
  return has;
}

}  // namespace

bool CounterNextDue(const CCounter& counter, DWORD now, int64_t wallMs, DWORD& due) {
  bool has = PlannedDue(counter, now, wallMs, due);
  // Planned again after a time out of the plan: its deadlines are moved to
  // the present at once, then planned from there.
  if (has && counter.Unplanned) due = now;
  return has;
}
