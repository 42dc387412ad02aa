#pragma once

#include <windows.h>

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

  // GDI objects currently owned by wrappers in this process.
  static long LiveCount();

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
