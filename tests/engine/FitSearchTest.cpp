#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "display/FitSearch.h"

namespace {

// A text whose width grows in proportion to the cell height, plus an optional
// wobble of up to `wobble` pixels that changes from one height to the next,
// as hinted outlines do; the cell is `cellExtra` pixels higher than asked.
struct SyntheticText {
  double WidthPerPixel;
  int Wobble = 0;
  int CellExtra = 0;
  uint32_t Seed = 1;

  SIZE operator()(int height) const {
    LONG cx = static_cast<LONG>(WidthPerPixel * height);
    if (Wobble > 0) {
      uint32_t x = static_cast<uint32_t>(height) * 2654435761u ^ Seed;
      x ^= x >> 13;
      x *= 0x5bd1e995u;
      x ^= x >> 15;
      cx += static_cast<LONG>(x % static_cast<uint32_t>(2 * Wobble + 1)) - Wobble;
    }
    return SIZE{cx, height + CellExtra};
  }
};

FitResult Linear(int w, int h, const MeasureAtHeight& m) {
  return FitHeightLinear(w, h, m);
}

TEST(FitSearch, LinearSearchTriesEveryOtherHeightFromTheTop) {
  // Five digits in a 600 x 200 client: 3.2 px of width per pixel of height
  // make 186 the first height narrower than 600 (3.2 * 188 = 601.6).
  std::vector<int> tried;
  const MeasureAtHeight measure = [&](int h) {
    tried.push_back(h);
    return SyntheticText{3.2}(h);
  };
  const FitResult fit = Linear(600, 200, measure);
  EXPECT_EQ(fit.Height, 186);
  ASSERT_EQ(tried.size(), 8u);
  for (std::size_t i = 0; i < tried.size(); ++i) EXPECT_EQ(tried[i], 200 - 2 * static_cast<int>(i));
  EXPECT_EQ(FitHeightFast(600, 200, SyntheticText{3.2}).Height, 186);
}

TEST(FitSearch, RectanglesTenPixelsHighOrLessMeasureNothing) {
  int calls = 0;
  const MeasureAtHeight measure = [&](int h) {
    ++calls;
    return SIZE{h, h};
  };
  for (int h : {-5, 0, 8, 10}) {
    EXPECT_EQ(FitHeightLinear(100, h, measure).Height, 0);
    EXPECT_EQ(FitHeightFast(100, h, measure).Height, 0);
  }
  EXPECT_EQ(calls, 0);
}

TEST(FitSearch, WhenNothingFitsTheLowestHeightTriedStays) {
  const MeasureAtHeight tooWide = [](int h) { return SIZE{10000, h}; };
  for (int h : {11, 12, 13, 14, 200, 201}) {
    const FitResult linear = FitHeightLinear(50, h, tooWide);
    EXPECT_EQ(linear.Height, h % 2 ? 11 : 12) << h;
    EXPECT_EQ(FitHeightFast(50, h, tooWide).Height, linear.Height) << h;
  }
}

TEST(FitSearch, BothComparisonsAreStrict) {
  // Exactly as wide as the rectangle does not fit; one pixel less does.
  const MeasureAtHeight measure = [](int h) { return SIZE{h * 3, h}; };
  EXPECT_EQ(FitHeightLinear(300, 400, measure).Height, 98);
  EXPECT_EQ(FitHeightFast(300, 400, measure).Height, 98);
  // A cell exactly as high as the rectangle does not fit.
  EXPECT_EQ(FitHeightLinear(10000, 100, measure).Height, 98);
  EXPECT_EQ(FitHeightFast(10000, 100, measure).Height, 98);
}

TEST(FitSearch, FastSearchAgreesWithTheLinearOneOnProportionalText) {
  int compared = 0;
  for (double perPixel : {0.4, 1.1, 2.5, 2.8, 4.1, 6.3}) {
    for (int cellExtra : {0, 1, 3}) {
      const SyntheticText text{perPixel, 0, cellExtra};
      for (int height = 11; height <= 2200; height += 37) {
        for (int width : {50, 356, 640, 1920, 3840}) {
          const FitResult linear = FitHeightLinear(width, height, text);
          const FitResult fast = FitHeightFast(width, height, text);
          ASSERT_EQ(fast.Height, linear.Height) << perPixel << " " << width << "x" << height;
          EXPECT_LE(fast.Measurements, 24) << perPixel << " " << width << "x" << height;
          ++compared;
        }
      }
    }
  }
  EXPECT_GT(compared, 5000);
}

TEST(FitSearch, FastSearchAgreesWhenExtentsWobbleFromHeightToHeight) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    for (double perPixel : {1.0, 2.5, 4.0}) {
      const SyntheticText text{perPixel, 3, static_cast<int>(seed % 2), seed};
      for (int height = 20; height <= 2160; height += 53) {
        for (int width : {120, 700, 1920, 3840}) {
          const FitResult linear = FitHeightLinear(width, height, text);
          ASSERT_EQ(FitHeightFast(width, height, text).Height, linear.Height)
              << "seed " << seed << " " << perPixel << " " << width << "x" << height;
        }
      }
    }
  }
}

TEST(FitSearch, AFittingHeightJustAboveTheBoundaryIsFound) {
  // Monotone except that one height a few steps above the boundary fits.
  for (int bump = 2; bump <= 2 * FitConfirmWindow; bump += 2) {
    const MeasureAtHeight measure = [bump](int h) {
      const LONG cx = (h <= 500 || h == 500 + bump) ? 100 : 5000;
      return SIZE{cx, h};
    };
    const FitResult linear = FitHeightLinear(1000, 2000, measure);
    EXPECT_EQ(linear.Height, 500 + bump);
    EXPECT_EQ(FitHeightFast(1000, 2000, measure).Height, linear.Height) << bump;
  }
}

TEST(FitSearch, FastSearchMeasuresAFewHeightsWhereTheLinearOneMeasuresHundreds) {
  const SyntheticText fiveDigits{2.5};
  const FitResult linear = FitHeightLinear(3840, 2160, fiveDigits);
  const FitResult fast = FitHeightFast(3840, 2160, fiveDigits);
  EXPECT_EQ(fast.Height, linear.Height);
  EXPECT_GT(linear.Measurements, 300);
  EXPECT_LE(fast.Measurements * 20, linear.Measurements);
  // A text far too wide for its window: the worst case of the linear search.
  const SyntheticText tooWide{1000.0};
  const FitResult slow = FitHeightLinear(3840, 2160, tooWide);
  EXPECT_EQ(slow.Measurements, (2160 - 10) / 2);
  EXPECT_EQ(FitHeightFast(3840, 2160, tooWide).Height, slow.Height);
}

}  // namespace
