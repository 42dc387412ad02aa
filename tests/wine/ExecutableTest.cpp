#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

// The product executable, built next to the tests.
std::string ProductPath() {
  char path[MAX_PATH];
  const DWORD got = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, got);
  return dir.substr(0, dir.find_last_of("\\/") + 1) + "Velto.exe";
}

TEST(Executable, StartsAndEndsCleanly) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string command = "\"" + ProductPath() + "\"";
  ASSERT_TRUE(::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
      << ProductPath();
  const DWORD waited = ::WaitForSingleObject(process.hProcess, 30000);
  DWORD code = 1234;
  ::GetExitCodeProcess(process.hProcess, &code);
  if (waited != WAIT_OBJECT_0) ::TerminateProcess(process.hProcess, 99);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  EXPECT_EQ(waited, WAIT_OBJECT_0) << "the program did not end";
  EXPECT_EQ(code, 0u);
}

}  // namespace
