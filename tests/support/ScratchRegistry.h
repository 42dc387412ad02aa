#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

// Gives the process a private HKEY_CURRENT_USER for its lifetime, so that
// tests never touch the real user's settings, and removes it afterwards.
class ScratchRegistry {
public:
  ScratchRegistry();
  ~ScratchRegistry();
  ScratchRegistry(const ScratchRegistry&) = delete;
  ScratchRegistry& operator=(const ScratchRegistry&) = delete;

  // Removes every setting of the program (HKCU\Software\Halvorn Industries).
  static void Clear();
  // Lets the process see the real HKEY_CURRENT_USER (to prepare settings for
  // a program started as a child process), and back to the private one.
  static void Suspend();
  static void Resume();

private:
  char Path[96];
  HKEY Key = nullptr;
};

// Every value under the program's key in HKEY_CURRENT_USER, by "\\subkey|name".
struct StoredValue {
  DWORD Type;
  std::vector<BYTE> Bytes;
  bool operator==(const StoredValue& other) const { return Type == other.Type && Bytes == other.Bytes; }
};
using RegistrySnapshot = std::map<std::string, StoredValue>;
RegistrySnapshot Snapshot();
// Names of the values that differ between two snapshots.
std::vector<std::string> Changed(const RegistrySnapshot& before, const RegistrySnapshot& after);
