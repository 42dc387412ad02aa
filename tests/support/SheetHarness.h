#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/VeltoApp.h"
#include "app/VeltoSheet.h"
#include "resources/resource.h"
#include "support/ScratchRegistry.h"

// Handles this thread's messages for ms milliseconds the way the program's
// message loop does (keyboard handling first). True when the quit message
// came meanwhile.
inline bool PumpMessages(DWORD ms) {
  const DWORD end = ::GetTickCount() + ms;
  bool quit = false;
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        continue;
      }
      if (!AfxGetApp()->PreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
      }
    }
    CWnd::DeleteTempMap();
    const long left = static_cast<long>(end - ::GetTickCount());
    if (left <= 0) break;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
  }
  return quit;
}

// The program started in this process on a private, empty registry: the
// control sheet, its pages and the counters' displays.
class SheetTest : public ::testing::Test {
protected:
  void SetUp() override {
    ScratchRegistry::Clear();
    VeltoApp().CounterList.clear();
  }

  void TearDown() override {
    if (VeltoApp().Sheet && VeltoApp().Sheet->HasWindow()) VeltoApp().Sheet->DestroyWindow();
    PumpMessages(50);
    VeltoApp().CounterList.clear();
  }

  static void Seed(const char* section, const char* value, DWORD number) {
    VeltoApp().WriteProfileInt(section, value, static_cast<int>(number));
  }
  static void SeedText(const char* section, const char* value, const char* text) {
    VeltoApp().WriteProfileString(section, value, text);
  }
  static bool Stored(const char* section, const char* value, DWORD& number) {
    return VeltoApp().GetSectionKey(section, false).QueryDword(value, number);
  }
  static DWORD StoredNumber(const char* section, const char* value) {
    DWORD number = 0xDEADBEEF;
    Stored(section, value, number);
    return number;
  }

  CVeltoSheet* StartProgram() {
    EXPECT_TRUE(VeltoApp().InitInstance());
    PumpMessages(150);
    return VeltoApp().Sheet;
  }

  // Starts the program and counter 1 on a five-minute count-down through its
  // page; answers the page.
  HWND StartFiveMinutes() {
    StartProgram();
    HWND page = ShowPage(1);
    SetText(page, IDC_TOTAL_MINUTES, "5");
    SetText(page, IDC_TOTAL_SECONDS, "0");
    Click(page, IDC_START);
    return page;
  }

  // Selects page index and answers its window.
  HWND ShowPage(int index) {
    CVeltoSheet* sheet = VeltoApp().Sheet;
    sheet->SendMessage(PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    PumpMessages(30);
    return reinterpret_cast<HWND>(sheet->SendMessage(PSM_GETCURRENTPAGEHWND));
  }

  static void Click(HWND page, int id) {
    HWND button = ::GetDlgItem(page, id);
    ASSERT_NE(button, nullptr) << id;
    ::SendMessageA(button, BM_CLICK, 0, 0);
  }
  static std::string Text(HWND window) {
    char text[256] = "";
    ::GetWindowTextA(window, text, sizeof text);
    return text;
  }
  static std::string Text(HWND page, int id) { return Text(::GetDlgItem(page, id)); }
  static void SetText(HWND page, int id, const char* text) { ::SetDlgItemTextA(page, id, text); }
  static bool Checked(HWND page, int id) { return ::IsDlgButtonChecked(page, id) == BST_CHECKED; }
  static bool Enabled(HWND page, int id) { return ::IsWindowEnabled(::GetDlgItem(page, id)) != FALSE; }

  static std::string TabText(int index) {
    HWND tab = reinterpret_cast<HWND>(VeltoApp().Sheet->SendMessage(PSM_GETTABCONTROL));
    char text[128] = "";
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(tab, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
  }
  static int TabCount() {
    HWND tab = reinterpret_cast<HWND>(VeltoApp().Sheet->SendMessage(PSM_GETTABCONTROL));
    return static_cast<int>(::SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
  }

  static CCounterPage& CounterPage(std::size_t i) { return *VeltoApp().Sheet->CounterPages.at(i); }
  static CCounter& Counter(std::size_t i) { return *CounterPage(i).Counter; }
};
