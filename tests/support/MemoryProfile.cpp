#include "support/MemoryProfile.h"

const MemoryProfile::Value* MemoryProfile::Find(LPCTSTR section, LPCTSTR entry) const {
  const auto s = Sections.find(section ? section : "");
  if (s == Sections.end()) return nullptr;
  const auto e = s->second.find(entry ? entry : "");
  return e == s->second.end() ? nullptr : &e->second;
}

bool MemoryProfile::Has(const std::string& section, const std::string& entry) const {
  return Find(section.c_str(), entry.c_str()) != nullptr;
}

UINT MemoryProfile::GetProfileInt(LPCTSTR section, LPCTSTR entry, int defaultValue) {
  const Value* value = Find(section, entry);
  if (value && std::holds_alternative<DWORD>(*value)) return std::get<DWORD>(*value);
  return static_cast<UINT>(defaultValue);
}

BOOL MemoryProfile::WriteProfileInt(LPCTSTR section, LPCTSTR entry, int value) {
  ++Writes;
  Sections[section][entry] = static_cast<DWORD>(value);
  return TRUE;
}

CString MemoryProfile::GetProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR defaultValue) {
  const Value* value = Find(section, entry);
  if (value && std::holds_alternative<std::string>(*value)) return CString(std::get<std::string>(*value));
  return CString(defaultValue);
}

BOOL MemoryProfile::WriteProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR value) {
  ++Writes;
  if (!entry) {
    Sections.erase(section);
  } else if (!value) {
    Sections[section].erase(entry);
  } else {
    Sections[section][entry] = std::string(value);
  }
  return TRUE;
}

BOOL MemoryProfile::GetProfileBinary(LPCTSTR section, LPCTSTR entry, std::vector<BYTE>& data) {
  data.clear();
  const Value* value = Find(section, entry);
  if (!value || !std::holds_alternative<Binary>(*value)) return FALSE;
  data = std::get<Binary>(*value);
  return TRUE;
}

BOOL MemoryProfile::WriteProfileBinary(LPCTSTR section, LPCTSTR entry, const BYTE* data, UINT bytes) {
  ++Writes;
  Sections[section][entry] = Binary(data, data + bytes);
  return TRUE;
}

BOOL MemoryProfile::DeleteProfileSection(LPCTSTR section) {
  ++Writes;
  Sections.erase(section ? section : "");
  return TRUE;
}
