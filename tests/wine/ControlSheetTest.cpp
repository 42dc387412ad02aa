#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "support/SheetHarness.h"

namespace {

using ControlSheetTest = SheetTest;

RECT WindowRect(CWnd& window) {
  RECT rect{};
  window.GetWindowRect(&rect);
  return rect;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(ControlSheetTest, StartsWithSetupOneCounterAndAbout) {
  CVeltoSheet* sheet = StartProgram();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(AfxGetMainWnd(), sheet);
  EXPECT_EQ(Text(sheet->GetSafeHwnd()), "Velto Controls");
  ASSERT_EQ(TabCount(), 4);
  EXPECT_EQ(TabText(0), "Setup");
  EXPECT_EQ(TabText(1), "Counter");
  EXPECT_EQ(TabText(2), "Remote");
  EXPECT_EQ(TabText(3), "About");
  ASSERT_EQ(sheet->CounterPages.size(), 1u);
  EXPECT_EQ(Counter(0).Index, 1);
  EXPECT_TRUE(Counter(0).Window.IsWindowVisible());
  EXPECT_EQ(Text(Counter(0).Window.GetSafeHwnd()), "Velto - Counter");
}

TEST_F(ControlSheetTest, TheSheetIsAModelessWindowWithoutButtons) {
  CVeltoSheet* sheet = StartProgram();
  EXPECT_TRUE(sheet->IsWindowVisible());
  EXPECT_TRUE(sheet->GetStyle() & WS_MINIMIZEBOX);
  EXPECT_TRUE(sheet->GetStyle() & WS_SYSMENU);
  EXPECT_TRUE(sheet->GetStyle() & WS_CAPTION);
  EXPECT_NE(sheet->SendMessage(WM_GETICON, ICON_BIG, 0), 0);
  for (int id : {IDOK, IDCANCEL, 0x3021, IDHELP}) {
    HWND button = ::GetDlgItem(sheet->GetSafeHwnd(), id);
    if (!button) continue;
    EXPECT_FALSE(::IsWindowVisible(button)) << id;
    EXPECT_FALSE(::IsWindowEnabled(button)) << id;
  }
  // The button row is left out: below the tab control only a margin remains.
  RECT tab{}, client{};
  ::GetWindowRect(sheet->GetTabControl(), &tab);
  ::MapWindowPoints(nullptr, sheet->GetSafeHwnd(), reinterpret_cast<POINT*>(&tab), 2);
  sheet->GetClientRect(&client);
  EXPECT_GE(client.bottom - tab.bottom, 0);
  EXPECT_LT(client.bottom - tab.bottom, 20);
}

TEST_F(ControlSheetTest, CommonControlsSixAreInEffect) {
  StartProgram();
  // The library the program's own calls go to, whatever else is loaded.
  HMODULE comctl = nullptr;
  ASSERT_TRUE(
      ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&::PropertySheetA), &comctl));
  // Version 6 lives side by side with the old library; the manifest selects it.
  char path[MAX_PATH] = "";
  ::GetModuleFileNameA(comctl, path, MAX_PATH);
  std::string file(path);
  for (char& ch : file) ch = static_cast<char>(::tolower(static_cast<unsigned char>(ch)));
  EXPECT_NE(file.find("microsoft.windows.common-controls_6595b64144ccf1df_6."), std::string::npos) << path;
}

TEST_F(ControlSheetTest, PagesFollowTheStoredOrderAndNames) {
  SeedText("Settings", "Counters", "4,1");
  SeedText("Counter4", "Name", "Q&A stage");
  StartProgram();
  ASSERT_EQ(TabCount(), 5);
  EXPECT_EQ(TabText(1), "Q&&A stage") << "shown as typed, not as a mnemonic";
  EXPECT_EQ(TabText(2), "Counter") << "a section without a name";
  EXPECT_EQ(TabText(4), "About");
  EXPECT_EQ(Counter(0).Index, 4);
  EXPECT_EQ(Counter(1).Index, 1);
  EXPECT_EQ(Text(Counter(0).Window.GetSafeHwnd()), "Velto - Q&A stage");
  EXPECT_TRUE(Counter(0).Window.IsWindowVisible());
  EXPECT_TRUE(Counter(1).Window.IsWindowVisible());
  ASSERT_EQ(VeltoApp().Sheet->SetupPage.ListControl.GetItems().size(), 2u);
  EXPECT_EQ(VeltoApp().Sheet->SetupPage.ListControl.GetItems()[0].Text, "Q&A stage");
  EXPECT_EQ(VeltoApp().Sheet->SetupPage.ListControl.GetItems()[0].Data, 4);
}

TEST_F(ControlSheetTest, AnEmptyListLeavesSetupAndAboutAndTheNextStartShowsCounterOne) {
  SeedText("Settings", "Counters", "1,2");
  CVeltoSheet* sheet = StartProgram();
  HWND page = ShowPage(1);
  SetText(page, IDC_TOTAL_MINUTES, "9");
  ShowPage(0);
  VeltoApp().CounterList.Save({});
  sheet->RebuildCounterPages();
  EXPECT_EQ(TabCount(), 3);
  EXPECT_EQ(TabText(0), "Setup");
  EXPECT_EQ(TabText(1), "Remote");
  EXPECT_EQ(TabText(2), "About");
  EXPECT_TRUE(sheet->CounterPages.empty());
  EXPECT_EQ(VeltoApp().GetProfileString("Settings", "Counters", "x"), "");
  EXPECT_EQ(StoredNumber("Counter1", "TotalTime"), 550u) << "the rebuild kept the settings";

  CCounterList next;
  next.Load();
  EXPECT_EQ(next, std::vector<int32_t>{1});
}

TEST_F(ControlSheetTest, RebuildRecreatesEveryPageWithTheStoredSettings) {
  SeedText("Settings", "Counters", "1,2");
  CVeltoSheet* sheet = StartProgram();
  HWND page = ShowPage(1);
  Click(page, IDC_START);
  SetText(page, IDC_TOTAL_MINUTES, "4");
  ShowPage(0);
  VeltoApp().CounterList.Save({2, 1});
  VeltoApp().WriteProfileString("Counter2", "Name", "Lectern");
  sheet->RebuildCounterPages();
  ASSERT_EQ(TabCount(), 5);
  EXPECT_EQ(TabText(1), "Lectern");
  EXPECT_EQ(Counter(0).Index, 2);
  EXPECT_FALSE(Counter(1).Started) << "a rebuild stops every counter";
  page = ShowPage(2);
  EXPECT_EQ(Text(page, IDC_TOTAL_MINUTES), "4");
  EXPECT_EQ(sheet->GetActiveIndex(), 2);
}

TEST_F(ControlSheetTest, MinimiseStretchesEveryDisplayAndRestorePutsThemBack) {
  if (::GetSystemMetrics(SM_CMONITORS) != 1) GTEST_SKIP() << "one monitor only";
  SeedText("Settings", "Counters", "1,2");
  CVeltoSheet* sheet = StartProgram();
  Counter(1).Window.MoveWindow(100, 50, 400, 300);
  const RECT before0 = WindowRect(Counter(0).Window);
  const RECT before1 = WindowRect(Counter(1).Window);
  RECT workArea{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);

  // The platform may set the four low bits of the command.
  sheet->SendMessage(WM_SYSCOMMAND, SC_MINIMIZE | 0x2, 0);
  PumpMessages(50);
  EXPECT_TRUE(sheet->IsIconic());
  EXPECT_TRUE(SameRect(WindowRect(Counter(0).Window), workArea));
  EXPECT_TRUE(SameRect(WindowRect(Counter(1).Window), workArea));
  EXPECT_TRUE(SameRect(Counter(1).Window.RestoreRect, before1));

  sheet->SendMessage(WM_SYSCOMMAND, SC_RESTORE | 0x2, 0);
  PumpMessages(50);
  EXPECT_FALSE(sheet->IsIconic());
  EXPECT_TRUE(SameRect(WindowRect(Counter(0).Window), before0));
  EXPECT_TRUE(SameRect(WindowRect(Counter(1).Window), before1));
}

TEST_F(ControlSheetTest, AltF4OnAStretchedDisplayStoresItsOwnPlace) {
  if (::GetSystemMetrics(SM_CMONITORS) != 1) GTEST_SKIP() << "one monitor only";
  SeedText("Settings", "Counters", "1,2");
  CVeltoSheet* sheet = StartProgram();
  const RECT own{960, 0, 1920, 540};
  Counter(1).Window.MoveWindow(own);
  sheet->SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
  PumpMessages(50);
  ASSERT_FALSE(SameRect(WindowRect(Counter(1).Window), own)) << "stretched";

  // The operator clicks the stretched display and presses Alt+F4.
  const HWND display = Counter(1).Window.GetSafeHwnd();
  ::SetActiveWindow(display);
  ::PostMessageA(display, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
  ::PostMessageA(display, WM_LBUTTONUP, 0, MAKELPARAM(100, 100));
  ::PostMessageA(display, WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29));
  PumpMessages(100);
  ASSERT_FALSE(::IsWindow(display)) << "Alt+F4 closes the display";
  std::vector<BYTE> stored;
  ASSERT_TRUE(VeltoApp().GetProfileBinary("Counter2", "WindowPlacement", stored));
  ASSERT_EQ(stored.size(), sizeof(WINDOWPLACEMENT));
  WINDOWPLACEMENT placement{};
  std::memcpy(&placement, stored.data(), sizeof placement);
  EXPECT_TRUE(SameRect(placement.rcNormalPosition, own)) << "the stretched place was stored";

  sheet->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
  PumpMessages(50);
  Click(ShowPage(2), IDC_FLASH);
  ASSERT_TRUE(Counter(1).Window.HasWindow());
  EXPECT_TRUE(SameRect(WindowRect(Counter(1).Window), own)) << "opened again where it was";
}

TEST_F(ControlSheetTest, MinimiseLeavesAClosedDisplayClosed) {
  CVeltoSheet* sheet = StartProgram();
  Counter(0).Window.DestroyWindow();
  sheet->SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
  sheet->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(Counter(0).Window.HasWindow());
}

TEST_F(ControlSheetTest, TabsInSeveralRowsLeaveEveryPageWhole) {
  const std::string longest(255, 'x');
  SeedText("Settings", "Counters", "1,2,3,4,5,6");
  for (int i = 1; i <= 5; ++i) {
    const std::string section = "Counter" + std::to_string(i);
    SeedText(section.c_str(), "Name", ("Session " + std::to_string(i) + " - Guest Speaker").c_str());
  }
  SeedText("Counter6", "Name", longest.c_str());
  CVeltoSheet* sheet = StartProgram();
  const HWND tab = sheet->GetTabControl();
  ASSERT_GE(::SendMessageA(tab, TCM_GETROWCOUNT, 0, 0), 2);
  EXPECT_EQ(TabText(1), "Session 1 - Guest Speaker");
  const std::string shortened = TabText(6);
  EXPECT_LE(shortened.size(), 32u);
  EXPECT_EQ(shortened, longest.substr(0, shortened.size() - 3) + "...");
  EXPECT_EQ(Counter(5).Window.GetWindowText().Str(), "Velto - " + longest) << "the display keeps the whole name";
  EXPECT_EQ(sheet->SetupPage.ListControl.GetItemText(5).Str(), longest);

  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  for (int index = 0; index < TabCount(); ++index) {
    const HWND page = ShowPage(index);
    RECT client{}, area{};
    sheet->GetClientRect(&client);
    ::MapWindowPoints(sheet->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    ::GetClientRect(tab, &area);
    ::SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    ::MapWindowPoints(tab, nullptr, reinterpret_cast<POINT*>(&area), 2);
    for (HWND control = ::GetWindow(page, GW_CHILD); control; control = ::GetWindow(control, GW_HWNDNEXT)) {
      RECT rect{}, inside{};
      ::GetWindowRect(control, &rect);
      ::IntersectRect(&inside, &rect, &client);
      EXPECT_TRUE(SameRect(inside, rect)) << "page " << index << ": \"" << Text(control) << "\" is cut off";
      EXPECT_GE(rect.top, area.top) << "page " << index << ": \"" << Text(control) << "\" under the tabs";
    }
  }
  RECT outer = WindowRect(*sheet);
  EXPECT_GE(outer.top, work.top);
  EXPECT_LE(outer.bottom, work.bottom) << "the sheet left its monitor";

  // Short names again: the sheet gives the rows' height back.
  const int tall = outer.bottom - outer.top;
  VeltoApp().CounterList.Save({1});
  sheet->RebuildCounterPages();
  outer = WindowRect(*sheet);
  EXPECT_LT(outer.bottom - outer.top, tall);
}

TEST_F(ControlSheetTest, TabMovesTheFocusThroughTheMessageLoop) {
  StartProgram();
  HWND page = ShowPage(1);
  HWND hours = ::GetDlgItem(page, IDC_TOTAL_HOURS);
  ::SetFocus(hours);
  ASSERT_EQ(::GetFocus(), hours);
  MSG msg{hours, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
  EXPECT_TRUE(AfxGetApp()->PreTranslateMessage(&msg));
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(page, IDC_TOTAL_MINUTES));
}

TEST_F(ControlSheetTest, ClosingSavesEveryShownPageAndEndsTheLoop) {
  SeedText("Settings", "Counters", "1,2,3");
  CVeltoSheet* sheet = StartProgram();
  HWND first = ShowPage(1);
  SetText(first, IDC_TOTAL_MINUTES, "5");
  ShowPage(3);
  HWND third = ShowPage(3);
  SetText(third, IDC_TOTAL_SECONDS, "42");  // still on this page when the sheet closes
  const HWND display = Counter(0).Window.GetSafeHwnd();
  const HWND sheetWindow = sheet->GetSafeHwnd();

  sheet->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
  const bool quit = PumpMessages(200);
  EXPECT_TRUE(quit) << "the end of the main window ends the message loop";
  EXPECT_EQ(VeltoApp().Sheet, nullptr);
  EXPECT_EQ(AfxGetMainWnd(), nullptr);
  EXPECT_FALSE(::IsWindow(sheetWindow));
  EXPECT_FALSE(::IsWindow(display)) << "the displays go with the sheet";
  EXPECT_EQ(StoredNumber("Counter1", "TotalTime"), 310u);
  EXPECT_EQ(StoredNumber("Counter3", "TotalTime"), 102u);
  DWORD never = 0;
  EXPECT_FALSE(Stored("Counter2", "TotalTime", never)) << "a page never shown saves nothing";
  EXPECT_EQ(VeltoApp().ExitInstance(), 0);
}

TEST_F(ControlSheetTest, WmCloseEndsTheSheetButEscapeDoesNot) {
  CVeltoSheet* sheet = StartProgram();
  HWND page = ShowPage(1);
  HWND minutes = ::GetDlgItem(page, IDC_TOTAL_MINUTES);
  ::SetFocus(minutes);
  // An Esc meant for a box must not take every display off the screen.
  MSG msg{minutes, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
  if (!AfxGetApp()->PreTranslateMessage(&msg)) ::DispatchMessageA(&msg);
  EXPECT_FALSE(PumpMessages(100));
  ASSERT_EQ(VeltoApp().Sheet, sheet);
  EXPECT_TRUE(sheet->HasWindow());

  sheet->SendMessage(WM_CLOSE);
  EXPECT_TRUE(PumpMessages(100));
  EXPECT_EQ(VeltoApp().Sheet, nullptr);
}

}  // namespace
