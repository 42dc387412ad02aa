#include "framework/Gdi.h"

#include <atomic>

namespace {
std::atomic<long> liveObjects{0};
}

long CGdiObject::LiveCount() {
  return liveObjects.load();
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
