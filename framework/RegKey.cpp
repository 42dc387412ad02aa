#include "framework/RegKey.h"

RegKey RegKey::Open(HKEY parent, const char* subKey, bool create) {
  if (!parent) return RegKey();
  HKEY key = nullptr;
  LONG status;
  if (create) {
    DWORD disposition = 0;
    status = ::RegCreateKeyExA(parent, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                               &key, &disposition);
  } else {
    status = ::RegOpenKeyExA(parent, subKey, 0, KEY_READ | KEY_WRITE, &key);
  }
  return status == ERROR_SUCCESS ? RegKey(key) : RegKey();
}

void RegKey::Close() {
  if (Key) ::RegCloseKey(Key);
  Key = nullptr;
}

bool RegKey::QueryDword(const char* name, DWORD& value) const {
  if (!Key) return false;
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = sizeof data;
  if (::RegQueryValueExA(Key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
    return false;
  if (type != REG_DWORD || size != sizeof data) return false;
  value = data;
  return true;
}

bool RegKey::QueryString(const char* name, std::string& value) const {
  if (!Key) return false;
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExA(Key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  // The value may change between the two calls; retry with the new size.
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::vector<char> buffer(size + 1, '\0');
    DWORD got = size;
    const LONG status =
        ::RegQueryValueExA(Key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got);
    if (status == ERROR_MORE_DATA) {
      size = got;
      continue;
    }
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    // Stored strings need not be terminated: cut at the first NUL or the size.
    buffer[got < buffer.size() ? got : buffer.size() - 1] = '\0';
    value.assign(buffer.data());
    return true;
  }
  return false;
}

bool RegKey::QueryBinary(const char* name, std::vector<BYTE>& value) const {
  if (!Key) return false;
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExA(Key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  if (type != REG_BINARY) return false;
  std::vector<BYTE> buffer(size);
  DWORD got = size;
  if (::RegQueryValueExA(Key, name, nullptr, &type, buffer.data(), &got) != ERROR_SUCCESS) return false;
  if (type != REG_BINARY) return false;
  buffer.resize(got);
  value.swap(buffer);
  return true;
}

bool RegKey::SetDword(const char* name, DWORD value) const {
  return Key && ::RegSetValueExA(Key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
                    ERROR_SUCCESS;
}

bool RegKey::SetString(const char* name, const char* value) const {
  if (!Key || !value) return false;
  const DWORD bytes = static_cast<DWORD>(::lstrlenA(value)) + 1;
  return ::RegSetValueExA(Key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes) == ERROR_SUCCESS;
}

bool RegKey::SetBinary(const char* name, const BYTE* data, DWORD bytes) const {
  return Key && ::RegSetValueExA(Key, name, 0, REG_BINARY, data, bytes) == ERROR_SUCCESS;
}

bool RegKey::DeleteValue(const char* name) const {
  return Key && ::RegDeleteValueA(Key, name) == ERROR_SUCCESS;
}
