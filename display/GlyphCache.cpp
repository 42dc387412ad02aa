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
  ~CGlyphSet() {
    // Nothing may stay selected into the context when the objects go.
    Dc.DeleteDC();
  }

  struct Glyph {
    bool Made = false;
    bool Usable = false;
    RECT Ink{0, 0, 0, 0};  // from the top-left of the character's cell
    CBitmap Image;
  };

  const GlyphKey Key;

  Glyph& Get(CDC& like, unsigned char c) {
    Glyph& glyph = Glyphs[c];
    if (!glyph.Made) Make(like, c, glyph);
    return glyph;
  }

  CDC& Context() { return Dc; }

private:
  void Make(CDC& like, unsigned char c, Glyph& glyph);

  std::array<Glyph, 256> Glyphs;
  CFont Font;
  CDC Dc;
};

void CGlyphSet::Make(CDC& like, unsigned char c, Glyph& glyph) {
  glyph.Made = true;
  ++rasterised;
  if (!Dc.GetSafeHdc() && !Dc.CreateCompatibleDC(&like)) return;
  if (!Font.GetSafeHandle() && !Font.CreateFontIndirect(&Key.Font)) return;
  CSelectGuard font(Dc, Font.GetSafeHandle());
  TEXTMETRICA metrics{};
  GLYPHMETRICS outline{};
  const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  if (!::GetTextMetricsA(Dc.GetSafeHdc(), &metrics) ||
      ::GetGlyphOutlineA(Dc.GetSafeHdc(), c, GGO_METRICS, &outline, 0, nullptr, &identity) == GDI_ERROR)
    return;
  // Rendered with room all round, so that what the outline's box leaves out
  // (smoothing, emboldening) still falls on the canvas; ink that reaches
  // its edge may have been cut off and is never used.
  const int pad = metrics.tmHeight / 8 + 4;
  const int left = outline.gmptGlyphOrigin.x - pad;
  const int top = metrics.tmAscent - outline.gmptGlyphOrigin.y - pad;
  const int width = static_cast<int>(outline.gmBlackBoxX) + 2 * pad;
  const int height = static_cast<int>(outline.gmBlackBoxY) + 2 * pad;
  CBitmap canvas;
  if (!canvas.CreateCompatibleBitmap(&like, width, height)) return;
  {
    CSelectGuard select(Dc, canvas.GetSafeHandle());
    Dc.PatBlt(0, 0, width, height, BLACKNESS);
    Dc.SetBkMode(TRANSPARENT);
    Dc.SetTextColor(Key.Colour);
    const char text = static_cast<char>(c);
    ::TextOutA(Dc.GetSafeHdc(), -left, -top, &text, 1);
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  if (::GetDIBits(Dc.GetSafeHdc(), canvas, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) !=
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
  if (!glyph.Image.CreateCompatibleBitmap(&like, ink.right - ink.left, ink.bottom - ink.top)) return;
  CDC cut;
  if (!cut.CreateCompatibleDC(&like)) return;
  {
    CSelectGuard from(Dc, canvas.GetSafeHandle());
    CSelectGuard to(cut, glyph.Image.GetSafeHandle());
    cut.BitBlt(0, 0, ink.right - ink.left, ink.bottom - ink.top, &Dc, ink.left, ink.top, SRCCOPY);
  }
  ::OffsetRect(&ink, left, top);
  glyph.Ink = ink;
  glyph.Usable = true;
}

namespace {

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

bool CGlyphCache::Draw(CDC& dc, HFONT font, COLORREF colour, bool transparent, const RECT& area, int x, int y,
                       const CString& text, const std::vector<int>& extents) {
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
  CDC& source = Set->Context();
  for (const Piece& piece : pieces) {
    CSelectGuard select(source, piece.Glyph->Image.GetSafeHandle());
    dc.BitBlt(piece.Drawn.left, piece.Drawn.top, piece.Drawn.right - piece.Drawn.left,
              piece.Drawn.bottom - piece.Drawn.top, &source, piece.Drawn.left - piece.Placed.left,
              piece.Drawn.top - piece.Placed.top, SRCCOPY);
    ++copied;
  }
  return true;
}
