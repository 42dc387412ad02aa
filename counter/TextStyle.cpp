#include "counter/TextStyle.h"

#include <cstring>

#include "framework/Profile.h"

TextStyle::TextStyle(COLORREF colour) : LogFont{}, Colour(colour), FitRect{}, FitLength(0) {
  LogFont.lfQuality = CLEARTYPE_QUALITY;
  LogFont.lfPitchAndFamily = FF_SWISS | DEFAULT_PITCH;
  SetFaceName("Arial");
}

void TextStyle::SetFaceName(const char* face) {
  const std::size_t capacity = sizeof LogFont.lfFaceName - 1;
  const std::size_t length = face ? ::strnlen(face, capacity) : 0;
  std::memcpy(LogFont.lfFaceName, face ? face : "", length);
  LogFont.lfFaceName[length] = '\0';
}

void TextStyle::Load(LPCTSTR pszSection, const CString& strValueName) {
  CProfileStore* profile = AfxGetProfile();
  if (!profile) return;
  const CString face = profile->GetProfileString(pszSection, strValueName, "Arial");
  char before[sizeof LogFont.lfFaceName];
  std::memcpy(before, LogFont.lfFaceName, sizeof before);
  SetFaceName(face);
  if (std::strcmp(before, LogFont.lfFaceName) != 0) FitLength = 0;
  Colour = profile->GetProfileInt(pszSection, strValueName + "_col", static_cast<int>(Colour));
}

void TextStyle::Save(LPCTSTR pszSection, const CString& strValueName) const {
  CProfileStore* profile = AfxGetProfile();
  if (!profile) return;
  profile->WriteProfileString(pszSection, strValueName, LogFont.lfFaceName);
  profile->WriteProfileInt(pszSection, strValueName + "_col", static_cast<int>(Colour));
}
