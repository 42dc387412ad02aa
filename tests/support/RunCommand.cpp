// Runs one command line exactly as given, waits for it and ends with its exit
// code, for the installer test. Usage:
//   velto_run_command [--without-admin-rights] "COMMAND LINE"
// The command line is one argument, so that switches such as the
// uninstaller's "_?=C:\Program Files\..." reach the program unquoted.
// --without-admin-rights gives the program this process's token with the
// Administrators group reduced to deny-only, as a standard user's or an
// administrator's unelevated process has it (Wine runs everything as an
// administrator otherwise).
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

struct ArgvFreer {
  void operator()(LPWSTR* argv) const { ::LocalFree(argv); }
};

// Returns null (with a message) when the token cannot be made.
OwnedHandle TokenWithoutAdminRights() {
  HANDLE own = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, &own)) return nullptr;
  const OwnedHandle ownToken(own);
  BYTE administrators[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof administrators;
  if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size)) return nullptr;
  SID_AND_ATTRIBUTES disabled{administrators, 0};
  HANDLE restricted = nullptr;
  if (!::CreateRestrictedToken(own, DISABLE_MAX_PRIVILEGE, 1, &disabled, 0, nullptr, 0, nullptr, &restricted))
    return nullptr;
  return OwnedHandle(restricted);
}

}  // namespace

int main() {
  int argc = 0;
  const std::unique_ptr<LPWSTR, ArgvFreer> argv(::CommandLineToArgvW(::GetCommandLineW(), &argc));
  const bool withoutAdminRights = argc == 3 && std::wstring(argv.get()[1]) == L"--without-admin-rights";
  if (argc != 2 && !withoutAdminRights) {
    std::fprintf(stderr, "usage: velto_run_command [--without-admin-rights] \"COMMAND LINE\"\n");
    return 125;
  }
  std::wstring commandLine = argv.get()[argc - 1];

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  BOOL started = FALSE;
  if (withoutAdminRights) {
    const OwnedHandle token = TokenWithoutAdminRights();
    if (!token) {
      std::fprintf(stderr, "no restricted token: error %lu\n", ::GetLastError());
      return 126;
    }
    started = ::CreateProcessAsUserW(token.get(), nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &startup, &process);
  } else {
    started =
        ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
  }
  if (!started) {
    std::fprintf(stderr, "cannot start %ls: error %lu\n", commandLine.c_str(), ::GetLastError());
    return 127;
  }
  const OwnedHandle thread(process.hThread);
  const OwnedHandle child(process.hProcess);
  ::WaitForSingleObject(child.get(), INFINITE);
  DWORD exitCode = 0;
  ::GetExitCodeProcess(child.get(), &exitCode);
  return static_cast<int>(exitCode);
}
