#pragma once

#include <windows.h>

#include "framework/Gdi.h"
#include "framework/String.h"

// The extent of text in a font made from logFont at the given cell height,
// measured on dc's attribute context; an italic face is widened by a tenth of
// the height for its overhang. Creates and deletes one font.
SIZE MeasureTextAtHeight(CDC& dc, LOGFONT logFont, int height, const CString& text);

// How many times TextStyle::FitFont has searched for a height (cache misses
// with a rectangle high enough for a font), and how many fonts it has made.
long FitFontSearches();
long FitFontFontsCreated();
