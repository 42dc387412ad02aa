#pragma once

#include <vector>

#include "framework/Platform.h"
#include "framework/String.h"

// The application's settings store: named sections of numbers (REG_DWORD),
// texts (REG_SZ) and binary blobs (REG_BINARY). The application object is the
// product's store, over the per-user registry; tests put others in its place.
// A value that is missing, or stored with another type, reads as the default.
class CProfileStore {
public:
  virtual ~CProfileStore() = default;

  virtual UINT GetProfileInt(LPCTSTR section, LPCTSTR entry, int defaultValue) = 0;
  virtual BOOL WriteProfileInt(LPCTSTR section, LPCTSTR entry, int value) = 0;
  virtual CString GetProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR defaultValue = nullptr) = 0;
  virtual BOOL WriteProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR value) = 0;
  // False (and data empty) when the value is missing or not binary.
  virtual BOOL GetProfileBinary(LPCTSTR section, LPCTSTR entry, std::vector<BYTE>& data) = 0;
  virtual BOOL WriteProfileBinary(LPCTSTR section, LPCTSTR entry, const BYTE* data, UINT bytes) = 0;
  // Removes a whole section with its values; false when it could not be removed.
  virtual BOOL DeleteProfileSection(LPCTSTR section) = 0;
};

// The store in force (the application object in the product).
CProfileStore* AfxGetProfile();
void AfxSetProfile(CProfileStore* store);
