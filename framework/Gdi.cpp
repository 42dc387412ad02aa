#include "framework/Gdi.h"

#include <atomic>
#include <memory>
#include <unordered_map>

#include "framework/Wnd.h"

namespace {
std::atomic<long> liveObjects{0};

std::unordered_map<HDC, std::unique_ptr<CDC>>& TemporaryDcs() {
  thread_local std::unordered_map<HDC, std::unique_ptr<CDC>> map;
  return map;
}
}  // namespace

long CGdiObject::LiveCount() {
  return liveObjects.load();
}

void CGdiObject::CountLive(long delta) {
  liveObjects += delta;
}

BOOL CGdiObject::DeleteObject() {
  if (!m_hObject) return FALSE;
  const BOOL deleted = ::DeleteObject(m_hObject);
  m_hObject = nullptr;
  --liveObjects;
  return deleted;
}

BOOL CGdiObject::Attach(HGDIOBJ object) {
  DeleteObject();
  if (!object) return FALSE;
  m_hObject = object;
  ++liveObjects;
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ object = m_hObject;
  if (object) --liveObjects;
  m_hObject = nullptr;
  return object;
}

BOOL CFont::CreateFontIndirect(const LOGFONT* logFont) {
  return Attach(::CreateFontIndirectA(logFont));
}

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                       BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                       BYTE quality, BYTE pitchAndFamily, LPCTSTR faceName) {
  return Attach(::CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                              outPrecision, clipPrecision, quality, pitchAndFamily, faceName));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
  return Attach(::CreateCompatibleBitmap(dc ? dc->GetSafeHdc() : nullptr, width, height));
}

// ---- device contexts -------------------------------------------------------

CDC::~CDC() {
  if (Owned) DeleteDC();
  else Detach();
}

CDC* CDC::FromHandle(HDC dc) {
  if (!dc) return nullptr;
  auto& temporary = TemporaryDcs()[dc];
  if (!temporary) {
    temporary = std::make_unique<CDC>();
    temporary->Attach(dc);
  }
  return temporary.get();
}

void CDC::DeleteTempMap() {
  TemporaryDcs().clear();
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
  if (m_hDC) DeleteDC();
  HDC created = ::CreateCompatibleDC(dc ? dc->GetSafeHdc() : nullptr);
  if (!created) return FALSE;
  m_hDC = m_hAttribDC = created;
  Owned = true;
  CGdiObject::CountLive(1);
  return TRUE;
}

BOOL CDC::DeleteDC() {
  if (!m_hDC) return FALSE;
  BOOL deleted = TRUE;
  if (Owned) {
    deleted = ::DeleteDC(m_hDC);
    CGdiObject::CountLive(-1);
  }
  m_hDC = m_hAttribDC = nullptr;
  Owned = false;
  return deleted;
}

BOOL CDC::Attach(HDC dc) {
  if (m_hDC) DeleteDC();
  m_hDC = m_hAttribDC = dc;
  Owned = false;
  return dc != nullptr;
}

HDC CDC::Detach() {
  HDC dc = m_hDC;
  if (Owned && dc) CGdiObject::CountLive(-1);
  m_hDC = m_hAttribDC = nullptr;
  Owned = false;
  return dc;
}

BOOL CDC::BitBlt(int x, int y, int width, int height, const CDC* source, int sx, int sy, DWORD rop) {
  return ::BitBlt(m_hDC, x, y, width, height, source ? source->GetSafeHdc() : nullptr, sx, sy, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, const CDC* source, int sx, int sy, int sw, int sh,
                     DWORD rop) {
  return ::StretchBlt(m_hDC, x, y, width, height, source ? source->GetSafeHdc() : nullptr, sx, sy, sw, sh, rop);
}

BOOL CDC::TransparentBlt(int x, int y, int width, int height, const CDC* source, int sx, int sy, int sw, int sh,
                         UINT transparent) {
  return ::TransparentBlt(m_hDC, x, y, width, height, source ? source->GetSafeHdc() : nullptr, sx, sy, sw, sh,
                          transparent);
}

int CDC::DrawText(const CString& text, LPRECT rect, UINT format) {
  return ::DrawTextA(m_hDC, text, text.GetLength(), rect, format);
}

BOOL CDC::TextOut(int x, int y, const CString& text) {
  return ::TextOutA(m_hDC, x, y, text, text.GetLength());
}

SIZE CDC::GetTextExtent(const CString& text) const {
  SIZE size{0, 0};
  ::GetTextExtentPoint32A(m_hAttribDC, text, text.GetLength(), &size);
  return size;
}

CPaintDC::CPaintDC(CWnd* wnd) : Window(wnd ? wnd->GetSafeHwnd() : nullptr) {
  Attach(::BeginPaint(Window, &m_ps));
}

CPaintDC::~CPaintDC() {
  Detach();
  ::EndPaint(Window, &m_ps);
}

CClientDC::CClientDC(CWnd* wnd) : Window(wnd ? wnd->GetSafeHwnd() : nullptr) {
  Attach(::GetDC(Window));
}

CClientDC::~CClientDC() {
  HDC dc = Detach();
  if (dc) ::ReleaseDC(Window, dc);
}

// ---- images ------------------------------------------------------------------

BOOL CImage::CreateEx(int width, int height, int bitsPerPixel, DWORD compression, const DWORD* bitmasks,
                      DWORD flags) {
  Destroy();
  if (width <= 0 || height <= 0 || compression != BI_RGB || bitmasks || flags) return FALSE;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  if (!Bitmap.Attach(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0))) return FALSE;
  Bits = bits;
  Width = width;
  Height = height;
  BitsPerPixel = bitsPerPixel;
  Pitch = ((width * bitsPerPixel + 31) / 32) * 4;
  return TRUE;
}

void CImage::Destroy() {
  while (DcUses > 0) ReleaseDC();
  Bitmap.DeleteObject();
  Bits = nullptr;
  Width = Height = BitsPerPixel = Pitch = 0;
}

HDC CImage::GetDC() {
  if (IsNull()) return nullptr;
  if (DcUses == 0) {
    if (!Dc.CreateCompatibleDC(nullptr)) return nullptr;
    DcPrevious = Dc.SelectObject(Bitmap.GetSafeHandle());
  }
  ++DcUses;
  return Dc.GetSafeHdc();
}

void CImage::ReleaseDC() {
  if (DcUses == 0 || --DcUses > 0) return;
  if (DcPrevious) Dc.SelectObject(DcPrevious);
  DcPrevious = nullptr;
  Dc.DeleteDC();
}

BOOL CImage::Draw(HDC dest, const RECT& destRect) const {
  return Draw(dest, destRect.left, destRect.top, destRect.right - destRect.left, destRect.bottom - destRect.top);
}

BOOL CImage::Draw(HDC dest, int x, int y, int width, int height) const {
  if (IsNull() || !dest) return FALSE;
  ::GdiFlush();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = Width;
  info.bmiHeader.biHeight = Height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(BitsPerPixel);
  info.bmiHeader.biCompression = BI_RGB;
  const int previousMode = ::SetStretchBltMode(dest, COLORONCOLOR);
  const int lines =
      ::StretchDIBits(dest, x, y, width, height, 0, 0, Width, Height, Bits, &info, DIB_RGB_COLORS, SRCCOPY);
  ::SetStretchBltMode(dest, previousMode);
  return lines > 0;
}

COLORREF CImage::GetPixel(int x, int y) const {
  if (IsNull() || BitsPerPixel != 24 || x < 0 || y < 0 || x >= Width || y >= Height) return CLR_INVALID;
  ::GdiFlush();
  // Bottom-up rows, blue-green-red bytes.
  const BYTE* pixel = static_cast<const BYTE*>(Bits) + static_cast<std::ptrdiff_t>(Height - 1 - y) * Pitch +
                      static_cast<std::ptrdiff_t>(x) * 3;
  return RGB(pixel[2], pixel[1], pixel[0]);
}
