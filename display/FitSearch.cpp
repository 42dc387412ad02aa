#include "display/FitSearch.h"

#include <map>

namespace {

bool Fits(const SIZE& extent, int width, int height) {
  return extent.cx < width && extent.cy < height;
}

// Heights of the grid, by index: index 0 is the top, the last index the
// lowest height above 10 pixels.
int HeightAt(int top, int index) {
  return top - 2 * index;
}

int LastIndex(int top) {
  return (top - 11) / 2;
}

}  // namespace

FitResult FitHeightLinear(int width, int height, const MeasureAtHeight& measure) {
  FitResult result;
  int h = height;
  if (h <= 10) return result;
  for (;;) {
    const SIZE extent = measure(h);
    ++result.Measurements;
    result.Height = h;
    if (Fits(extent, width, height)) break;
    h -= 2;
    if (h <= 10) break;
  }
  return result;
}

FitResult FitHeightFast(int width, int height, const MeasureAtHeight& measure) {
  FitResult result;
  if (height <= 10) return result;
  const int last = LastIndex(height);

  // Every measurement is kept: the confirmation step looks at heights the
  // bracket may have measured already.
  std::map<int, bool> fits;
  SIZE topExtent{0, 0};
  auto fitsAt = [&](int index) {
    const auto known = fits.find(index);
    if (known != fits.end()) return known->second;
    const SIZE extent = measure(HeightAt(height, index));
    ++result.Measurements;
    if (index == 0) topExtent = extent;
    const bool ok = Fits(extent, width, height);
    fits[index] = ok;
    return ok;
  };

  if (fitsAt(0)) {
    result.Height = height;
    return result;
  }

  // Text extents grow about in proportion to the font height.
  double scale = 1.0;
  if (topExtent.cx > 0) scale = static_cast<double>(width - 1) / topExtent.cx;
  if (topExtent.cy > 0) {
    const double vertical = static_cast<double>(height - 1) / topExtent.cy;
    if (vertical < scale) scale = vertical;
  }
  int guess = 1;
  if (scale < 1.0) {
    const double estimate = height * (scale > 0.0 ? scale : 0.0);
    guess = static_cast<int>((height - estimate + 1.0) / 2.0);
  }
  if (guess < 1) guess = 1;
  if (guess > last) guess = last;

  // Bracket: lo does not fit, hi fits (hi = last + 1 stands for "nothing fits").
  int lo = 0;
  int hi = last + 1;
  if (fitsAt(guess)) {
    hi = guess;
    for (int step = 1; hi - lo > 1;) {
      const int probe = hi - step > lo ? hi - step : lo + 1;
      if (probe <= lo || probe >= hi) break;
      if (fitsAt(probe)) hi = probe;
      else {
        lo = probe;
        break;
      }
      step *= 2;
    }
  } else {
    lo = guess;
    for (int step = 1; hi - lo > 1;) {
      const int probe = lo + step < hi ? lo + step : hi - 1;
      if (probe <= lo || probe >= hi) break;
      if (fitsAt(probe)) {
        hi = probe;
        break;
      }
      lo = probe;
      step *= 2;
    }
  }
  while (hi - lo > 1) {
    const int middle = lo + (hi - lo) / 2;
    if (fitsAt(middle)) hi = middle;
    else lo = middle;
  }

  // Confirm: no height in the window just above the boundary fits. Should one
  // fit after all, it becomes the boundary and the window moves up with it.
  for (int index = hi - 1; index >= 0 && index >= hi - FitConfirmWindow; --index) {
    if (fitsAt(index)) {
      hi = index;
    }
  }
  result.Height = HeightAt(height, hi > last ? last : hi);
  return result;
}
