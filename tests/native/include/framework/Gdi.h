#pragma once

// Host stand-in for the GDI wrappers: the portable code only owns fonts, it
// never draws, so a font here is a token that records its lifetime.
#include "framework/Platform.h"

class CFont {
public:
  CFont() = default;
  ~CFont() { DeleteObject(); }
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;

  HFONT GetSafeHandle() const { return Handle; }
  operator HFONT() const { return Handle; }
  BOOL CreateFontIndirect(const LOGFONT* logFont);
  BOOL DeleteObject();

  static int LiveCount();

private:
  HFONT Handle = nullptr;
};
