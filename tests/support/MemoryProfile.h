#pragma once

#include <map>
#include <string>
#include <variant>
#include <vector>

#include "framework/Profile.h"

// A settings store in memory, with the registry's typing rules: a value read
// as another type than it was stored with gives the default. It installs
// itself as the store in force for its lifetime and counts every write.
class MemoryProfile final : public CProfileStore {
public:
  using Binary = std::vector<BYTE>;
  using Value = std::variant<DWORD, std::string, Binary>;

  MemoryProfile() : Previous(AfxGetProfile()) { AfxSetProfile(this); }
  ~MemoryProfile() override { AfxSetProfile(Previous); }
  MemoryProfile(const MemoryProfile&) = delete;
  MemoryProfile& operator=(const MemoryProfile&) = delete;

  UINT GetProfileInt(LPCTSTR section, LPCTSTR entry, int defaultValue) override;
  BOOL WriteProfileInt(LPCTSTR section, LPCTSTR entry, int value) override;
  CString GetProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR defaultValue = nullptr) override;
  BOOL WriteProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR value) override;
  BOOL GetProfileBinary(LPCTSTR section, LPCTSTR entry, std::vector<BYTE>& data) override;
  BOOL WriteProfileBinary(LPCTSTR section, LPCTSTR entry, const BYTE* data, UINT bytes) override;
  BOOL DeleteProfileSection(LPCTSTR section) override;

  bool Has(const std::string& section, const std::string& entry) const;
  std::map<std::string, std::map<std::string, Value>> Sections;
  int Writes = 0;

private:
  const Value* Find(LPCTSTR section, LPCTSTR entry) const;
  CProfileStore* Previous;
};
