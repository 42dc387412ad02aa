#include "support/ScratchRegistry.h"

#include <cstdio>

namespace {
HKEY privateKey = nullptr;
}

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
