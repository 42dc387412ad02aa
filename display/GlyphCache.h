#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/Gdi.h"
#include "framework/String.h"

class CGlyphSet;

// The display's characters rasterised once per font, size and colour, then
// copied: a counted second costs a copy of the digit that changed, not the
// rasterising of a glyph hundreds of pixels high. Displays that draw in the
// same font and colour share one set; a set goes with the last display that
// uses it.
class CGlyphCache {
public:
  CGlyphCache();
  ~CGlyphCache();
  CGlyphCache(const CGlyphCache&) = delete;
  CGlyphCache& operator=(const CGlyphCache&) = delete;

  // Fills area of dc (which the caller clips to it) with what TextOut of
  // text in font and colour draws over black (background mode TRANSPARENT,
  // the first cell's top-left at x, y, character i at x + extents[i - 1]),
  // writing each pixel once. Outside stale, dc is known to be black already
  // wherever no glyph lands. Answers false and draws nothing where copies
  // cannot give those pixels: glyphs whose ink meets inside area, a font
  // without outlines.
  bool Draw(CDC& dc, HFONT font, COLORREF colour, bool transparent, const RECT& area, const RECT& stale, int x, int y,
            const CString& text, const std::vector<int>& extents);
  // The box of the ink that characters first to last of text leave where
  // Draw puts them (empty for spaces); false where it is not known.
  bool Ink(CDC& dc, HFONT font, COLORREF colour, bool transparent, int x, int y, const CString& text,
           const std::vector<int>& extents, int first, int last, RECT& ink);
  // The first character of wanted that the set of font and colour has not
  // rendered yet; 0 when it has them all.
  char Missing(HFONT font, COLORREF colour, bool transparent, const char* wanted);
  // Renders character c into that set, if it is not there yet.
  void Make(CDC& dc, HFONT font, COLORREF colour, bool transparent, char c);
  // Lets go of the glyphs.
  void Release();

  // Characters copied and rasterised into sets so far in this process.
  static long Copied();
  static long Rasterised();

private:
  // Makes the set of font and colour the one in use.
  bool Use(HFONT font, COLORREF colour, bool transparent);

  std::shared_ptr<CGlyphSet> Set;
};
