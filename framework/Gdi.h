#pragma once

#include <windows.h>

#include "framework/String.h"

class CWnd;

// Owners of GDI objects. Each wrapper owns at most one object and deletes it
// when it is replaced or goes away; none can be copied.
class CGdiObject {
public:
  CGdiObject() = default;
  virtual ~CGdiObject() { DeleteObject(); }
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  BOOL DeleteObject();
  // Takes ownership of an object; the previous one is deleted.
  BOOL Attach(HGDIOBJ object);
  HGDIOBJ Detach();

  // GDI objects (and device contexts) currently owned by wrappers in this
  // process. A count that comes back to where it was shows that nothing leaked.
  static long LiveCount();
  // For owners of GDI handles that are not CGdiObjects (device contexts).
  static void CountLive(long delta);

protected:
  HGDIOBJ m_hObject = nullptr;
};

class CFont : public CGdiObject {
public:
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }
  HFONT GetSafeHandle() const { return static_cast<HFONT>(m_hObject); }
  BOOL CreateFontIndirect(const LOGFONT* logFont);
  BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                  BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                  BYTE pitchAndFamily, LPCTSTR faceName);
};

class CDC;

class CBitmap : public CGdiObject {
public:
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
  HBITMAP GetSafeHandle() const { return static_cast<HBITMAP>(m_hObject); }
  BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
};

// A device context. One made here (CreateCompatibleDC) is deleted by its
// owner; one attached from elsewhere is only let go.
class CDC {
public:
  CDC() = default;
  virtual ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  HDC m_hDC = nullptr;
  // The context that answers questions about text (extents); the same as m_hDC here.
  HDC m_hAttribDC = nullptr;

  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }

  // A wrapper of a context owned elsewhere, valid until the message loop
  // next goes idle (CWnd::DeleteTempMap).
  static CDC* FromHandle(HDC dc);
  static void DeleteTempMap();

  BOOL CreateCompatibleDC(CDC* dc);
  // Deletes a context made by CreateCompatibleDC; selected objects must be
  // back out (the owner deselects before it deletes).
  BOOL DeleteDC();
  BOOL Attach(HDC dc);
  HDC Detach();

  HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
  int SelectClipRgn(HRGN region) { return ::SelectClipRgn(m_hDC, region); }
  int IntersectClipRect(const RECT& r) { return ::IntersectClipRect(m_hDC, r.left, r.top, r.right, r.bottom); }
  BOOL PatBlt(int x, int y, int width, int height, DWORD rop) { return ::PatBlt(m_hDC, x, y, width, height, rop); }
  BOOL BitBlt(int x, int y, int width, int height, const CDC* source, int sx, int sy, DWORD rop);
  BOOL StretchBlt(int x, int y, int width, int height, const CDC* source, int sx, int sy, int sw, int sh,
                  DWORD rop);
  BOOL TransparentBlt(int x, int y, int width, int height, const CDC* source, int sx, int sy, int sw, int sh,
                      UINT transparent);
  COLORREF SetTextColor(COLORREF colour) { return ::SetTextColor(m_hDC, colour); }
  int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
  int DrawText(const CString& text, LPRECT rect, UINT format);
  BOOL TextOut(int x, int y, const CString& text);
  SIZE GetTextExtent(const CString& text) const;
  COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

protected:
  bool Owned = false;
};

// The context of one paint cycle: BeginPaint on construction, EndPaint at the end.
class CPaintDC : public CDC {
public:
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps{};

private:
  HWND Window;
};

// The client-area context of a window (null: the whole screen), released at the end.
class CClientDC : public CDC {
public:
  explicit CClientDC(CWnd* wnd);
  ~CClientDC() override;

private:
  HWND Window;
};

// Selects an object into a context and puts the previous one back at the end of the scope.
class CSelectGuard {
public:
  CSelectGuard(CDC& dc, HGDIOBJ object) : Dc(dc.GetSafeHdc()), Previous(object ? ::SelectObject(Dc, object) : nullptr) {}
  ~CSelectGuard() {
    if (Previous) ::SelectObject(Dc, Previous);
  }
  CSelectGuard(const CSelectGuard&) = delete;
  CSelectGuard& operator=(const CSelectGuard&) = delete;

private:
  HDC Dc;
  HGDIOBJ Previous;
};

// A device-independent bitmap (DIB section) with a context of its own to draw
// into while GetDC is held.
class CImage {
public:
  CImage() = default;
  ~CImage() { Destroy(); }
  CImage(const CImage&) = delete;
  CImage& operator=(const CImage&) = delete;

  // A bottom-up DIB section; only BI_RGB without a palette is supported.
  BOOL CreateEx(int width, int height, int bitsPerPixel, DWORD compression, const DWORD* bitmasks = nullptr,
                DWORD flags = 0);
  void Destroy();
  bool IsNull() const { return Bitmap.GetSafeHandle() == nullptr; }
  int GetWidth() const { return Width; }
  int GetHeight() const { return Height; }
  int GetBPP() const { return BitsPerPixel; }
  operator HBITMAP() const { return Bitmap; }

  // A memory context with the image selected; calls nest, each GetDC pairs with a ReleaseDC.
  HDC GetDC();
  void ReleaseDC();

  // Copies the whole image to dest, stretched to fit it.
  BOOL Draw(HDC dest, const RECT& destRect) const;
  BOOL Draw(HDC dest, int x, int y, int width, int height) const;
  // The colour of one pixel (0, 0 is the top-left), for tests and the repeater.
  COLORREF GetPixel(int x, int y) const;

private:
  CBitmap Bitmap;
  void* Bits = nullptr;
  int Width = 0;
  int Height = 0;
  int BitsPerPixel = 0;
  int Pitch = 0;
  CDC Dc;
  HGDIOBJ DcPrevious = nullptr;
  int DcUses = 0;
};
