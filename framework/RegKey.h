#pragma once

#include <windows.h>

#include <string>
#include <vector>

// An open registry key, closed when the object goes. Move-only.
class RegKey {
public:
  RegKey() = default;
  explicit RegKey(HKEY key) : Key(key) {}
  ~RegKey() { Close(); }
  RegKey(RegKey&& other) noexcept : Key(other.Release()) {}
  RegKey& operator=(RegKey&& other) noexcept {
    if (this != &other) {
      Close();
      Key = other.Release();
    }
    return *this;
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  // Opens (or with create, creates) subKey below parent for reading and writing.
  static RegKey Open(HKEY parent, const char* subKey, bool create);

  bool IsOpen() const { return Key != nullptr; }
  HKEY Get() const { return Key; }
  HKEY Release() {
    HKEY key = Key;
    Key = nullptr;
    return key;
  }
  void Close();

  // Typed reads: false when the value is missing or of another type.
  bool QueryDword(const char* name, DWORD& value) const;
  bool QueryString(const char* name, std::string& value) const;
  bool QueryBinary(const char* name, std::vector<BYTE>& value) const;
  bool SetDword(const char* name, DWORD value) const;
  bool SetString(const char* name, const char* value) const;
  bool SetBinary(const char* name, const BYTE* data, DWORD bytes) const;
  bool DeleteValue(const char* name) const;

private:
  HKEY Key = nullptr;
};
