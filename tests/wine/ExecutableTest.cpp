#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>

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

  static bool Start(PROCESS_INFORMATION& process, const std::string& arguments = "") {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string command = "\"" + ProductPath() + "\"" + (arguments.empty() ? "" : " " + arguments);
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

  // Starts the program again while it runs, with arguments; answers its exit
  // code, or 1234 when it is still running after timeoutMs.
  static DWORD StartAgain(DWORD timeoutMs, const std::string& arguments = "") {
    PROCESS_INFORMATION second{};
    if (!Start(second, arguments)) return 4321;
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
    char text[512] = "";
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
  EXPECT_EQ(TabCount(sheet), 5);
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
  EXPECT_EQ(TabCount(sheet), 4);
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

// An open dialog disables the sheet: a second start brings the dialog
// forward, where the operator can use it. A command line brings nothing
// forward and acts while the dialog is open.
TEST_F(Executable, ASecondStartBringsAnOpenDialogForwardAndCommandLinesActBehindIt) {
  EXPECT_EQ(StartAgain(10000, "/pause 1"), 1u) << "no Velto runs, and none is started";
  EXPECT_TRUE(Sheets().empty());

  SetString("Settings", "Counters", "1,2");
  SetString("Counter1", "Name", "Main Hall");
  SetNumber("Counter1", "TotalTime", 300);
  HWND sheet = Launch();
  ASSERT_NE(sheet, nullptr);
  HWND page = ShowPage(sheet, 1);
  ::PostMessageA(::GetDlgItem(page, IDC_START), BM_CLICK, 0, 0);
  ::PostMessageA(::GetDlgItem(page, IDC_STYLE_NORMAL), BM_CLICK, 0, 0);
  HWND dialog = nullptr;
  for (int waited = 0; waited < 100 && !dialog; ++waited) {
    dialog = ::FindWindowA(nullptr, "Counter Style");
    if (!dialog) ::Sleep(100);
  }
  ASSERT_NE(dialog, nullptr);
  HWND display = ::FindWindowA(nullptr, "Velto - Main Hall");
  ASSERT_NE(display, nullptr);
  ::SetForegroundWindow(display);

  EXPECT_EQ(StartAgain(10000), 0u);
  for (int waited = 0; waited < 30 && ::GetForegroundWindow() != dialog; ++waited) ::Sleep(100);
  EXPECT_EQ(::GetForegroundWindow(), dialog) << "the dialog, not the disabled sheet behind it";

  // Commands: by position or by name in any case, while the dialog is open.
  EXPECT_EQ(StartAgain(10000, "/pause \"main hall\""), 0u);
  EXPECT_EQ(Text(::GetDlgItem(page, IDC_PAUSE)).rfind("&Continue", 0), 0u);
  EXPECT_EQ(StartAgain(10000, "/pause 1"), 0u) << "a second Pause changes nothing";
  EXPECT_EQ(StartAgain(10000, "/continue 1"), 0u);
  EXPECT_EQ(Text(::GetDlgItem(page, IDC_PAUSE)), "&Pause");
  EXPECT_EQ(StartAgain(10000, "/flash 1 on"), 0u);
  EXPECT_EQ(Text(::GetDlgItem(page, IDC_FLASH)), "Stop &Flashing");
  EXPECT_EQ(StartAgain(10000, "/ticker 1 \"Doors close\""), 0u);
  EXPECT_EQ(Text(::GetDlgItem(page, IDC_TICKER_TEXT)), "Doors close");
  EXPECT_EQ(StartAgain(10000, "/total 1 01:02:05"), 0u);
  EXPECT_EQ(Text(::GetDlgItem(page, IDC_TOTAL_HOURS)), "1");
  EXPECT_EQ(Text(::GetDlgItem(page, IDC_TOTAL_MINUTES)), "2");
  EXPECT_EQ(Text(::GetDlgItem(page, IDC_TOTAL_SECONDS)), "5");
  EXPECT_EQ(StartAgain(10000, "/start 2"), 0u) << "a page never shown starts from its stored settings";
  EXPECT_EQ(StartAgain(10000, "/start 3"), 3u) << "no such counter";
  EXPECT_EQ(StartAgain(10000, "/start Lobby"), 3u);
  EXPECT_EQ(StartAgain(10000, "/start"), 2u);
  EXPECT_EQ(StartAgain(10000, "/flash 1 maybe"), 2u);
  EXPECT_EQ(StartAgain(10000, "/total 1 5:00"), 2u);
  EXPECT_EQ(StartAgain(10000, "/stop 1"), 2u);
  EXPECT_EQ(::GetForegroundWindow(), dialog) << "commands bring nothing forward";
  EXPECT_EQ(Sheets().size(), 1u);

  ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  for (int waited = 0; waited < 50 && ::IsWindow(dialog); ++waited) ::Sleep(100);
  ::PostMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(WaitForExit(), 0u);
}

// Remote control is off by default; a port another program holds is named
// on the Remote page, and Velto runs on.
TEST_F(Executable, RemoteControlIsOffByDefaultAndNamesAPortInUse) {
  WSADATA data{};
  ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &data), 0);
  SOCKET holder = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  ::inet_pton(AF_INET, "127.0.0.1", &at.sin_addr);
  ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
  ::listen(holder, 1);
  int size = sizeof at;
  ::getsockname(holder, reinterpret_cast<sockaddr*>(&at), &size);
  const int port = ntohs(at.sin_port);

  HWND sheet = Launch();
  ASSERT_NE(sheet, nullptr);
  HWND page = ShowPage(sheet, TabCount(sheet) - 2);
  EXPECT_EQ(::IsDlgButtonChecked(page, IDC_REMOTE_HTTP), BST_UNCHECKED);
  EXPECT_EQ(::IsDlgButtonChecked(page, IDC_REMOTE_OSC), BST_UNCHECKED);
  EXPECT_EQ(Text(::GetDlgItem(page, IDC_REMOTE_STATUS)), "HTTP: off\nOSC: off");
  ::PostMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(WaitForExit(), 0u);

  SetNumber("Remote", "Http", 1);
  SetNumber("Remote", "HttpPort", static_cast<DWORD>(port));
  SetNumber("Remote", "OscPort", 70000);
  sheet = Launch();
  ASSERT_NE(sheet, nullptr);
  page = ShowPage(sheet, TabCount(sheet) - 2);
  const std::string status = Text(::GetDlgItem(page, IDC_REMOTE_STATUS));
  EXPECT_NE(status.find("port " + std::to_string(port) + " is in use by another program"), std::string::npos) << status;
  EXPECT_NE(status.find("OscPort"), std::string::npos) << "the out-of-range port is named: " << status;
  char key[64] = "";
  ::SendMessageA(::GetDlgItem(page, IDC_REMOTE_KEY), WM_GETTEXT, sizeof key, reinterpret_cast<LPARAM>(key));
  EXPECT_EQ(std::string(key).size(), 32u) << "a key is made when remote control is first switched on";
  EXPECT_TRUE(::IsWindow(sheet));
  ::PostMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(WaitForExit(), 0u);
  ::closesocket(holder);
  ::WSACleanup();
}

}  // namespace
