#pragma once

#include <cstdint>

#include "framework/Platform.h"

class CCounter;

// When the counter's Tick must next run for what it shows or reports to
// change on its own: its next counted second (also while paused, so that a
// continue is never missed by more than a second), its next flash phase
// while flashing, the turn of the wall-clock second for a running real-time
// counter. Answers false when nothing can change without the operator: a
// counter never started, and a count-down resting at 00:00.
// now: the millisecond clock (Clock::Milliseconds); wallMs: wall-clock milliseconds since 1970.
bool CounterNextDue(const CCounter& counter, DWORD now, int64_t wallMs, DWORD& due);
