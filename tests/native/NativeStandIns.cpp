#include "framework/Gdi.h"

namespace {
int liveFonts = 0;
}

BOOL CFont::CreateFontIndirect(const LOGFONT* logFont) {
  DeleteObject();
  if (!logFont) return FALSE;
  Handle = reinterpret_cast<HFONT>(new LOGFONT(*logFont));
  ++liveFonts;
  return TRUE;
}

BOOL CFont::DeleteObject() {
  if (!Handle) return FALSE;
  delete reinterpret_cast<LOGFONT*>(Handle);
  Handle = nullptr;
  --liveFonts;
  return TRUE;
}

int CFont::LiveCount() {
  return liveFonts;
}
