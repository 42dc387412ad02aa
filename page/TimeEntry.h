#pragma once

#include <cstdint>
#include <string>

// What the counter page makes of the numbers in its time boxes and of the
// numbers stored for them. Every result fits the counter's 32-bit seconds.

// A time box's text: blanks, an optional sign, digits, blanks. Empty text,
// anything else and negative numbers give 0; numbers too large for 32 bits
// give the largest 32-bit number.
int32_t ParseTimeBox(const std::string& text);

// (hours x 60 + minutes) x 60 + seconds, computed without overflow and
// limited to the largest 32-bit number of seconds.
int32_t TotalSeconds(int32_t hours, int32_t minutes, int32_t seconds);
// minutes x 60 + seconds, likewise limited.
int32_t ShortSeconds(int32_t minutes, int32_t seconds);

// A stored number of seconds: a value beyond the 32-bit signed range (a
// negative time, which no box can show) gives fallback.
int32_t StoredSeconds(uint32_t stored, int32_t fallback);

// A stored position in a radio group of count buttons: outside the group it
// gives 0, the first button, so that the group always shows a choice.
int StoredChoice(uint32_t stored, int count);
