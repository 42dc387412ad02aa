#pragma once

#include <functional>

#include "framework/Platform.h"

// The search for the largest font height at which a text fits a rectangle.
// Heights run down from the rectangle's height in steps of 2 pixels; a
// height fits when the text's extent is narrower AND lower than the
// rectangle (both strict). The answer is the first height from the top that
// fits; when none above 10 pixels fits, the last one tried (11 or 12).
// A rectangle 10 pixels high or less has no answer (0).
//
// The measure callback creates a font of the given cell height and returns
// the text's extent in it; it is the expensive part, so the searches count
// how often they call it.
using MeasureAtHeight = std::function<SIZE(int height)>;

struct FitResult {
  int Height = 0;        // 0: the rectangle is too low for any font
  int Measurements = 0;  // calls of the measure callback
};

// Tries every height from the top, as the display always has: up to
// (height - 10) / 2 measurements.
FitResult FitHeightLinear(int width, int height, const MeasureAtHeight& measure);

// The same answer from a handful of measurements: one at the top, then an
// estimate by proportional scaling, a bracket around it and a bisection;
// finally every height in a window above the boundary is checked as well, so
// that extents that wobble by a few pixels from one height to the next
// (hinting) give the same answer as the linear search.
FitResult FitHeightFast(int width, int height, const MeasureAtHeight& measure);

// How many grid heights above the boundary the fast search confirms.
constexpr int FitConfirmWindow = 4;
