#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "support/ProcessWatch.h"
#include "support/ScratchRegistry.h"

namespace {

constexpr const char* ProgramKey = "Software\\Halvorn Industries\\Velto";

std::string ProductPath() { return BuiltProductPath(); }

// The program runs as a child process and reads the real HKEY_CURRENT_USER
// of the Wine prefix. The fixture sets the program's settings there, keeps
// a copy of whatever was there before and puts it back afterwards.
class Executable : public ::testing::Test {
protected:
  void SetUp() override {
    ScratchRegistry::Suspend();
    std::snprintf(Backup, sizeof Backup, "Software\\Velto Tests\\Backup-%lu", ::GetCurrentProcessId());
    HKEY existing = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, ProgramKey, 0, KEY_READ, &existing) == ERROR_SUCCESS) {
      HKEY backup = nullptr;
      ::RegCreateKeyExA(HKEY_CURRENT_USER, Backup, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &backup, nullptr);
      HadSettings = backup && ::RegCopyTreeA(existing, nullptr, backup) == ERROR_SUCCESS;
      if (backup) ::RegCloseKey(backup);
      ::RegCloseKey(existing);
      ASSERT_TRUE(HadSettings) << "could not keep the existing settings";
    }
    ::RegDeleteTreeA(HKEY_CURRENT_USER, ProgramKey);
  }

  void TearDown() override {
    if (Process.hProcess) {
      ::TerminateProcess(Process.hProcess, 99);
      ::CloseHandle(Process.hProcess);
    }
    ::RegDeleteTreeA(HKEY_CURRENT_USER, ProgramKey);
    if (HadSettings) {
      HKEY restored = nullptr;
      ::RegCreateKeyExA(HKEY_CURRENT_USER, ProgramKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &restored, nullptr);
      HKEY backup = nullptr;
      if (restored && ::RegOpenKeyExA(HKEY_CURRENT_USER, Backup, 0, KEY_READ, &backup) == ERROR_SUCCESS) {
        ::RegCopyTreeA(backup, nullptr, restored);
        ::RegCloseKey(backup);
      }
      if (restored) ::RegCloseKey(restored);
    }
    ::RegDeleteTreeA(HKEY_CURRENT_USER, Backup);
    ScratchRegistry::Resume();
  }

  static void SetString(const char* section, const char* name, const char* value) {
    const std::string path = std::string(ProgramKey) + "\\" + section;
    ::RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), name, REG_SZ, value, static_cast<DWORD>(strlen(value) + 1));
  }
  static void SetNumber(const char* section, const char* name, DWORD value) {
    const std::string path = std::string(ProgramKey) + "\\" + section;
    ::RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), name, REG_DWORD, &value, sizeof value);
  }
  static bool GetNumber(const char* section, const char* name, DWORD& value) {
    const std::string path = std::string(ProgramKey) + "\\" + section;
    DWORD size = sizeof value;
    return ::RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
           ERROR_SUCCESS;
  }

  static bool Start(PROCESS_INFORMATION& process) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string command = "\"" + ProductPath() + "\"";
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
      return false;
    ::CloseHandle(process.hThread);
    process.hThread = nullptr;
    return true;
  }

  // Top-level windows captioned "Velto Controls" of one process, or of any
  // when processId is 0.
  static std::vector<HWND> Sheets(DWORD processId = 0) {
    struct Search {
      DWORD ProcessId;
      std::vector<HWND> Found;
    } search{processId, {}};
    ::EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
          auto* wanted = reinterpret_cast<Search*>(lParam);
          DWORD owner = 0;
          ::GetWindowThreadProcessId(window, &owner);
          char caption[32] = "";
          ::GetWindowTextA(window, caption, sizeof caption);
          if (std::string(caption) == "Velto Controls" && (!wanted->ProcessId || owner == wanted->ProcessId))
            wanted->Found.push_back(window);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
  }

  // Starts the program and waits for its control sheet.
  HWND Launch() {
    if (!Start(Process)) return nullptr;
    ::WaitForInputIdle(Process.hProcess, 20000);
    for (int waited = 0; waited < 200; ++waited) {
      const std::vector<HWND> sheets = Sheets(Process.dwProcessId);
      if (!sheets.empty() && ::SendMessageA(sheets[0], PSM_GETCURRENTPAGEHWND, 0, 0)) return sheets[0];
      ::Sleep(100);
    }
    return nullptr;
  }

  // Starts the program again while it runs; answers its exit code, or 1234
  // when it is still running after timeoutMs.
  static DWORD StartAgain(DWORD timeoutMs) {
    PROCESS_INFORMATION second{};
    if (!Start(second)) return 4321;
    DWORD code = 1234;
    if (::WaitForSingleObject(second.hProcess, timeoutMs) == WAIT_OBJECT_0)
      ::GetExitCodeProcess(second.hProcess, &code);
    else
      ::TerminateProcess(second.hProcess, 99);
    ::CloseHandle(second.hProcess);
    return code;
  }

  // Waits for the program to end and answers its exit code (or 1234).
  DWORD WaitForExit() {
    const DWORD waited = ::WaitForSingleObject(Process.hProcess, 30000);
    DWORD code = 1234;
    if (waited == WAIT_OBJECT_0)
      ::GetExitCodeProcess(Process.hProcess, &code);
    else
      ::TerminateProcess(Process.hProcess, 99);
    ::CloseHandle(Process.hProcess);
    Process.hProcess = nullptr;
    return code;
  }

  static int TabCount(HWND sheet) {
    HWND tab = reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    return static_cast<int>(::SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
  }

  static HWND ShowPage(HWND sheet, int index) {
    ::SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  }

  static std::string Text(HWND window) {
    // A window of another process answers WM_GETTEXT; GetWindowText would
    // only read the caption the system keeps.
    char text[128] = "";
    ::SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
  }

  PROCESS_INFORMATION Process{};
  char Backup[96] = "";
  bool HadSettings = false;
};

TEST_F(Executable, ShowsTheSheetAndEveryDisplayAndEndsCleanlyOnClose) {
  SetString("Settings", "Counters", "1,2");
  SetString("Counter1", "Name", "Main");
  SetString("Counter2", "Name", "Backup");
  SetNumber("Counter1", "TotalTime", 125);
  HWND sheet = Launch();
  ASSERT_NE(sheet, nullptr) << "no control sheet";
  EXPECT_EQ(TabCount(sheet), 4);
  EXPECT_NE(::FindWindowA(nullptr, "Velto - Main"), nullptr);
  EXPECT_NE(::FindWindowA(nullptr, "Velto - Backup"), nullptr);

  HWND page = ShowPage(sheet, 1);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(Text(::GetDlgItem(page, IDC_TOTAL_MINUTES)), "2");
  ::SendMessageA(::GetDlgItem(page, IDC_TOTAL_MINUTES), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("7"));

  ::PostMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(WaitForExit(), 0u);
  DWORD total = 0;
  EXPECT_TRUE(GetNumber("Counter1", "TotalTime", total));
  EXPECT_EQ(total, 425u);
  DWORD never = 0;
  EXPECT_FALSE(GetNumber("Counter2", "TotalTime", never)) << "a page never shown saves nothing";

  // The settings survive a restart.
  sheet = Launch();
  ASSERT_NE(sheet, nullptr);
  page = ShowPage(sheet, 1);
  EXPECT_EQ(Text(::GetDlgItem(page, IDC_TOTAL_MINUTES)), "7");
  ::PostMessageA(sheet, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForExit(), 0u);
}

TEST_F(Executable, AnEmptyCounterListStartsWithCounterOne) {
  SetString("Settings", "Counters", "");
  HWND sheet = Launch();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(TabCount(sheet), 3);
  EXPECT_NE(::FindWindowA(nullptr, "Velto - Counter"), nullptr);
  ::PostMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(WaitForExit(), 0u);
}

TEST_F(Executable, ASecondStartBringsTheRunningSheetForwardAndEnds) {
  SetString("Settings", "Counters", "1");
  SetNumber("Counter1", "TotalTime", 300);
  HWND sheet = Launch();
  ASSERT_NE(sheet, nullptr);
  ShowPage(sheet, 1);
  ::Sleep(300);
  const std::size_t sheetsBefore = Sheets().size();
  const RegistrySnapshot before = Snapshot();

  EXPECT_EQ(StartAgain(10000), 0u) << "the second start ends at once";
  EXPECT_EQ(Sheets().size(), sheetsBefore) << "and shows no sheet of its own";
  EXPECT_EQ(::GetForegroundWindow(), sheet);
  EXPECT_TRUE(Changed(before, Snapshot()).empty()) << "nor writes anything";

  // A minimised sheet comes back.
  ::SendMessageA(sheet, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(::IsIconic(sheet));
  EXPECT_EQ(StartAgain(10000), 0u);
  for (int waited = 0; waited < 50 && ::IsIconic(sheet); ++waited) ::Sleep(100);
  EXPECT_FALSE(::IsIconic(sheet));
  EXPECT_TRUE(::IsWindowVisible(sheet));
  EXPECT_EQ(::GetForegroundWindow(), sheet);
  EXPECT_EQ(Sheets().size(), sheetsBefore);

  ::PostMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(WaitForExit(), 0u);
}

}  // namespace
