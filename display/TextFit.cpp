#include "display/TextFit.h"

#include "counter/TextStyle.h"
#include "display/FitSearch.h"

namespace {
long searches = 0;
long fontsCreated = 0;
}  // namespace

long FitFontSearches() {
  return searches;
}

long FitFontFontsCreated() {
  return fontsCreated;
}

SIZE MeasureTextAtHeight(CDC& dc, LOGFONT logFont, int height, const CString& text) {
  logFont.lfHeight = height;
  CFont font;
  font.CreateFontIndirect(&logFont);
  ++fontsCreated;
  SIZE extent{0, 0};
  {
    CSelectGuard select(dc, font.GetSafeHandle());
    extent = dc.GetTextExtent(text);
  }
  if (logFont.lfItalic) extent.cx -= static_cast<int>(height * -0.1);
  return extent;
}

HFONT TextStyle::FitFont(CDC* pDC, const RECT& rect, const CString& strText) {
  const int length = strText.GetLength();
  if (::EqualRect(&rect, &FitRect) && length == FitLength) return Font;
  FitRect = rect;
  FitLength = length;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (height <= 10 || !pDC) return Font;

  ++searches;
  const LOGFONT working = LogFont;
  const FitResult fit = FitHeightFast(
      width, height, [&](int h) { return MeasureTextAtHeight(*pDC, working, h, strText); });
  LOGFONT chosen = working;
  chosen.lfHeight = fit.Height;
  Font.CreateFontIndirect(&chosen);
  ++fontsCreated;
  return Font;
}
