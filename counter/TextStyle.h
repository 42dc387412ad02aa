#pragma once

#include "framework/Gdi.h"
#include "framework/Platform.h"
#include "framework/String.h"

class CDC;

// The look of one kind of digits: a font description, a colour and the font
// last fitted to a rectangle. Never copied whole: editing copies LogFont and
// Colour only, the fit cache stays with its own style.
struct TextStyle {
  LOGFONT LogFont;
  COLORREF Colour;
  RECT FitRect;
  int FitLength;  // 0: no valid fit, the next FitFont fits again
  CFont Font;

  explicit TextStyle(COLORREF colour);
  TextStyle(const TextStyle&) = delete;
  TextStyle& operator=(const TextStyle&) = delete;

  // Copies a face name into LogFont, cut to what the face-name buffer holds.
  void SetFaceName(const char* face);

  // Reads the face name (value `strValueName`) and colour (value + "_col")
  // from a settings section; a missing colour keeps the current one.
  void Load(LPCTSTR pszSection, const CString& strValueName);
  // Writes the face name and colour under the names Load reads.
  void Save(LPCTSTR pszSection, const CString& strValueName) const;

  // The style's font at the largest height at which strText fits rect.
  HFONT FitFont(CDC* pDC, const RECT& rect, const CString& strText);
};
