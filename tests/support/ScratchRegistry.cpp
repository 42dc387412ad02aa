#include "support/ScratchRegistry.h"

#include <cstdio>

namespace {
HKEY privateKey = nullptr;

void SnapshotKey(HKEY key, const std::string& path, RegistrySnapshot& out) {
  for (DWORD i = 0;; ++i) {
    char name[16384];
    DWORD nameLength = sizeof name;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegEnumValueA(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    std::vector<BYTE> bytes(size);
    nameLength = sizeof name;
    ::RegEnumValueA(key, i, name, &nameLength, nullptr, &type, bytes.data(), &size);
    bytes.resize(size);
    out[path + "|" + name] = StoredValue{type, bytes};
  }
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD nameLength = sizeof name;
    if (::RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY child = nullptr;
    if (::RegOpenKeyExA(key, name, 0, KEY_READ, &child) == ERROR_SUCCESS) {
      SnapshotKey(child, path + "\\" + name, out);
      ::RegCloseKey(child);
    }
  }
}
}  // namespace

ScratchRegistry::ScratchRegistry() {
  std::snprintf(Path, sizeof Path, "Software\\Velto Tests\\%lu", ::GetCurrentProcessId());
  ::RegDeleteTreeA(HKEY_CURRENT_USER, Path);
  ::RegCreateKeyExA(HKEY_CURRENT_USER, Path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &Key, nullptr);
  if (Key) ::RegOverridePredefKey(HKEY_CURRENT_USER, Key);
  privateKey = Key;
}

ScratchRegistry::~ScratchRegistry() {
  privateKey = nullptr;
  ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  if (Key) ::RegCloseKey(Key);
  ::RegDeleteTreeA(HKEY_CURRENT_USER, Path);
}

void ScratchRegistry::Clear() { ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Halvorn Industries"); }

void ScratchRegistry::Suspend() { ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr); }

void ScratchRegistry::Resume() {
  if (privateKey) ::RegOverridePredefKey(HKEY_CURRENT_USER, privateKey);
}

RegistrySnapshot Snapshot() {
  RegistrySnapshot snapshot;
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Halvorn Industries\\Velto", 0, KEY_READ, &key) == ERROR_SUCCESS) {
    SnapshotKey(key, "", snapshot);
    ::RegCloseKey(key);
  }
  return snapshot;
}

std::vector<std::string> Changed(const RegistrySnapshot& before, const RegistrySnapshot& after) {
  std::vector<std::string> names;
  for (const auto& [name, value] : after) {
    const auto old = before.find(name);
    if (old == before.end() || !(old->second == value)) names.push_back(name);
  }
  for (const auto& [name, value] : before)
    if (!after.count(name)) names.push_back(name + " (removed)");
  return names;
}
