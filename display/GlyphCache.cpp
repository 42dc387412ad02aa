#include "display/GlyphCache.h"

#include <array>
#include <cstring>

namespace {

long copied = 0;
long rasterised = 0;

struct GlyphKey {
  LOGFONT Font{};
  COLORREF Colour = 0;
  bool Transparent = false;

  bool operator==(const GlyphKey& other) const {
    return std::memcmp(&Font, &other.Font, sizeof Font) == 0 && Colour == other.Colour &&
           Transparent == other.Transparent;
  }
};

}  // namespace

// The glyphs of one font and colour, each kept as the rectangle of its ink
// exactly, cut from a rendering over black.
class CGlyphSet {
public:
  explicit CGlyphSet(const GlyphKey& key) : Key(key) {}
  CGlyphSet(const CGlyphSet&) = delete;
  CGlyphSet& operator=(const CGlyphSet&) = delete;

  // Held in plain memory, not as a GDI bitmap: the cache grows as
  // characters first appear, and the process's count of GDI objects stays
  // where it is.
  struct Glyph {
    bool Made = false;
    bool Usable = false;
    RECT Ink{0, 0, 0, 0};  // from the top-left of the character's cell
    std::vector<DWORD> Pixels;  // the ink rectangle, top row first
  };

  const GlyphKey Key;

  bool Has(unsigned char c) const { return Glyphs[c].Made; }

  Glyph& Get(CDC& like, unsigned char c) {
    Glyph& glyph = Glyphs[c];
    if (!glyph.Made) Make(like, c, glyph);
    return glyph;
  }

private:
  void Make(CDC& like, unsigned char c, Glyph& glyph);

  std::array<Glyph, 256> Glyphs;
};

static BITMAPINFO TopDown(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

void CGlyphSet::Make(CDC& like, unsigned char c, Glyph& glyph) {
  glyph.Made = true;
  ++rasterised;
  CDC dc;
  CFont font;
  if (!dc.CreateCompatibleDC(&like) || !font.CreateFontIndirect(&Key.Font)) return;
  CSelectGuard selectFont(dc, font.GetSafeHandle());
  TEXTMETRICA metrics{};
  GLYPHMETRICS outline{};
  const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  if (!::GetTextMetricsA(dc.GetSafeHdc(), &metrics) ||
      ::GetGlyphOutlineA(dc.GetSafeHdc(), c, GGO_METRICS, &outline, 0, nullptr, &identity) == GDI_ERROR)
    return;
  // Rendered with room all round, so that what the outline's box leaves out
  // (smoothing, emboldening) still falls on the canvas; ink that reaches
  // its edge may have been cut off and is never used. The room is kept
  // small: the canvas is cleared, read back and searched whole, and that is
  // what a character's first second costs.
  const int pad = metrics.tmHeight / 32 + 4;
  const int left = outline.gmptGlyphOrigin.x - pad;
  const int top = metrics.tmAscent - outline.gmptGlyphOrigin.y - pad;
  const int width = static_cast<int>(outline.gmBlackBoxX) + 2 * pad;
  const int height = static_cast<int>(outline.gmBlackBoxY) + 2 * pad;
  CBitmap canvas;
  if (!canvas.CreateCompatibleBitmap(&like, width, height)) return;
  {
    CSelectGuard select(dc, canvas.GetSafeHandle());
    dc.PatBlt(0, 0, width, height, BLACKNESS);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(Key.Colour);
    const char text = static_cast<char>(c);
    ::TextOutA(dc.GetSafeHdc(), -left, -top, &text, 1);
  }
  BITMAPINFO info = TopDown(width, height);
  std::vector<DWORD> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  if (::GetDIBits(dc.GetSafeHdc(), canvas, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) !=
      height)
    return;
  RECT ink{width, height, 0, 0};
  for (int y = 0; y < height; ++y) {
    const DWORD* row = pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    for (int x = 0; x < width; ++x) {
      if ((row[x] & 0x00FFFFFF) == 0) continue;
      if (x < ink.left) ink.left = x;
      if (x >= ink.right) ink.right = x + 1;
      if (y < ink.top) ink.top = y;
      ink.bottom = y + 1;
    }
  }
  if (ink.right <= ink.left) {
    glyph.Usable = true;  // no ink at all (a space)
    return;
  }
  if (ink.left == 0 || ink.top == 0 || ink.right == width || ink.bottom == height) return;
  const auto inkWidth = static_cast<std::size_t>(ink.right - ink.left);
  glyph.Pixels.reserve(inkWidth * static_cast<std::size_t>(ink.bottom - ink.top));
  for (int y = ink.top; y < ink.bottom; ++y) {
    const DWORD* row = pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                       static_cast<std::size_t>(ink.left);
    glyph.Pixels.insert(glyph.Pixels.end(), row, row + inkWidth);
  }
  ::OffsetRect(&ink, left, top);
  glyph.Ink = ink;
  glyph.Usable = true;
}

namespace {

// What of rects lies outside hole, as rectangles that do not overlap.
std::vector<RECT> Subtract(const std::vector<RECT>& rects, const RECT& hole) {
  std::vector<RECT> left;
  for (const RECT& r : rects) {
    RECT both{};
    if (!::IntersectRect(&both, &r, &hole)) {
      left.push_back(r);
      continue;
    }
    // Above and below the hole across the whole width, then beside it.
    if (r.top < both.top) left.push_back(RECT{r.left, r.top, r.right, both.top});
    if (both.bottom < r.bottom) left.push_back(RECT{r.left, both.bottom, r.right, r.bottom});
    if (r.left < both.left) left.push_back(RECT{r.left, both.top, both.left, both.bottom});
    if (both.right < r.right) left.push_back(RECT{both.right, both.top, r.right, both.bottom});
  }
  return left;
}

// The sets in use, found again by their key: the last holder deletes one.
std::vector<std::weak_ptr<CGlyphSet>>& LiveSets() {
  static std::vector<std::weak_ptr<CGlyphSet>> sets;
  return sets;
}

std::shared_ptr<CGlyphSet> FindOrMakeSet(const GlyphKey& key) {
  auto& sets = LiveSets();
  std::shared_ptr<CGlyphSet> found;
  for (auto it = sets.begin(); it != sets.end();) {
    std::shared_ptr<CGlyphSet> set = it->lock();
    if (!set) {
      it = sets.erase(it);
      continue;
    }
    if (!found && set->Key == key) found = set;
    ++it;
  }
  if (found) return found;
  found = std::make_shared<CGlyphSet>(key);
  sets.push_back(found);
  return found;
}

}  // namespace

CGlyphCache::CGlyphCache() = default;

CGlyphCache::~CGlyphCache() = default;

long CGlyphCache::Copied() { return copied; }

long CGlyphCache::Rasterised() { return rasterised; }

void CGlyphCache::Release() { Set.reset(); }

bool CGlyphCache::Use(HFONT font, COLORREF colour, bool transparent) {
  GlyphKey key;
  if (!font || ::GetObjectA(font, sizeof key.Font, &key.Font) != sizeof key.Font) return false;
  key.Colour = colour;
  key.Transparent = transparent;
  // Another fit, style or colour: the glyphs of the old one are let go.
  if (!Set || !(Set->Key == key)) {
    Set.reset();
    Set = FindOrMakeSet(key);
  }
  return true;
}

bool CGlyphCache::Ink(CDC& dc, HFONT font, COLORREF colour, bool transparent, int x, int y, const CString& text,
                      const std::vector<int>& extents, int first, int last, RECT& ink) {
  ink = RECT{0, 0, 0, 0};
  const int length = text.GetLength();
  if (extents.size() != static_cast<std::size_t>(length) || first < 0 || last >= length ||
      !Use(font, colour, transparent))
    return false;
  const char* characters = text;
  for (int i = first; i <= last; ++i) {
    const CGlyphSet::Glyph& glyph = Set->Get(dc, static_cast<unsigned char>(characters[i]));
    if (!glyph.Usable) return false;
    if (::IsRectEmpty(&glyph.Ink)) continue;
    RECT placed = glyph.Ink;
    ::OffsetRect(&placed, x + (i == 0 ? 0 : extents[static_cast<std::size_t>(i - 1)]), y);
    if (::IsRectEmpty(&ink))
      ink = placed;
    else
      ::UnionRect(&ink, &ink, &placed);
  }
  return true;
}

char CGlyphCache::Missing(HFONT font, COLORREF colour, bool transparent, const char* wanted) {
  if (!Use(font, colour, transparent)) return 0;
  for (const char* c = wanted; *c; ++c)
    if (!Set->Has(static_cast<unsigned char>(*c))) return *c;
  return 0;
}

void CGlyphCache::Make(CDC& dc, HFONT font, COLORREF colour, bool transparent, char c) {
  if (Use(font, colour, transparent)) Set->Get(dc, static_cast<unsigned char>(c));
}

bool CGlyphCache::Draw(CDC& dc, HFONT font, COLORREF colour, bool transparent, const RECT& area, const RECT& stale,
                       int x, int y, const CString& text, const std::vector<int>& extents) {
  const int length = text.GetLength();
  if (extents.size() != static_cast<std::size_t>(length) || !Use(font, colour, transparent)) return false;

  struct Piece {
    const CGlyphSet::Glyph* Glyph;
    RECT Placed;
    RECT Drawn;
  };
  std::vector<Piece> pieces;
  const char* characters = text;
  for (int i = 0; i < length; ++i) {
    const CGlyphSet::Glyph& glyph = Set->Get(dc, static_cast<unsigned char>(characters[i]));
    if (!glyph.Usable) return false;
    if (::IsRectEmpty(&glyph.Ink)) continue;
    RECT placed = glyph.Ink;
    ::OffsetRect(&placed, x + (i == 0 ? 0 : extents[static_cast<std::size_t>(i - 1)]), y);
    RECT drawn{};
    if (!::IntersectRect(&drawn, &placed, &area)) continue;
    // Where two glyphs' ink meets, the second is blended over the first.
    for (const Piece& other : pieces) {
      RECT both{};
      if (::IntersectRect(&both, &drawn, &other.Drawn)) return false;
    }
    pieces.push_back(Piece{&glyph, placed, drawn});
  }
  // Black where no glyph lands, then the glyphs: each pixel of area is
  // written once, so a window drawn on directly never shows a cell cleared.
  RECT clear{};
  std::vector<RECT> uncovered;
  if (::IntersectRect(&clear, &stale, &area)) uncovered.push_back(clear);
  for (const Piece& piece : pieces) uncovered = Subtract(uncovered, piece.Drawn);
  for (const RECT& rect : uncovered)
    ::PatBlt(dc.GetSafeHdc(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, BLACKNESS);
  // Each glyph whole: the context's clipping keeps the copy inside area.
  for (const Piece& piece : pieces) {
    const int width = piece.Placed.right - piece.Placed.left;
    const int height = piece.Placed.bottom - piece.Placed.top;
    const BITMAPINFO info = TopDown(width, height);
    ::SetDIBitsToDevice(dc.GetSafeHdc(), piece.Placed.left, piece.Placed.top, static_cast<DWORD>(width),
                        static_cast<DWORD>(height), 0, 0, 0, static_cast<UINT>(height), piece.Glyph->Pixels.data(),
                        &info, DIB_RGB_COLORS);
    ++copied;
  }
  return true;
}
