#include <set>
#include <string>

#include "resources/resource.h"
#include "support/ManualClock.h"
#include "support/SheetHarness.h"

namespace {

// The keyboard reaches the sheet the way the operator's keys do: queued on
// the focused window and taken by the message loop's keyboard handling.
class KeyboardTest : public SheetTest {
protected:
  void TearDown() override {
    SetControlKey(false);
    SheetTest::TearDown();
  }

  static void Press(UINT key) {
    HWND focus = ::GetFocus();
    ASSERT_NE(focus, nullptr) << "no window has the focus";
    ::PostMessageA(focus, WM_KEYDOWN, key, 1);
    ::PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
    PumpMessages(40);
  }

  // Alt and a letter, as the system delivers it to the focused window.
  static void PressAlt(char letter) {
    HWND focus = ::GetFocus();
    ASSERT_NE(focus, nullptr) << "no window has the focus";
    ::PostMessageA(focus, WM_SYSCHAR, static_cast<WPARAM>(letter), 1 | (1 << 29));
    PumpMessages(40);
  }

  // The state of Ctrl that the keyboard handling reads for Ctrl+Tab.
  static void SetControlKey(bool down) {
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = down ? 0x80 : 0;
    ::SetKeyboardState(keys);
  }

  static void SetShiftKey(bool down) {
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = keys[VK_LSHIFT] = down ? 0x80 : 0;
    ::SetKeyboardState(keys);
  }

  static void PressCtrl(UINT key, bool shift = false) {
    SetControlKey(true);
    SetShiftKey(shift);
    Press(key);
    SetShiftKey(false);
    SetControlKey(false);
  }

  static int ActiveIndex() { return VeltoApp().Sheet->GetActiveIndex(); }
  static HWND ShownPage() { return reinterpret_cast<HWND>(VeltoApp().Sheet->SendMessage(PSM_GETCURRENTPAGEHWND)); }
  static bool KeyboardOnShownPage() { return ::IsChild(ShownPage(), ::GetFocus()) != FALSE; }
};

TEST_F(KeyboardTest, TabReachesEveryControlOfTheCounterPage) {
  StartProgram();
  HWND page = ShowPage(1);
  ::SetFocus(::GetDlgItem(page, IDC_TOTAL_HOURS));
  std::set<int> reached;
  for (int i = 0; i < 80; ++i) {
    HWND focus = ::GetFocus();
    if (focus && ::GetParent(focus) == page) reached.insert(::GetDlgCtrlID(focus));
    Press(VK_TAB);
  }
  // Every box, button and check box; a radio group is one stop (arrows move in it).
  for (int id : {IDC_TOTAL_HOURS,    IDC_TOTAL_MINUTES,  IDC_TOTAL_SECONDS,
                 IDC_ORANGE_MINUTES, IDC_ORANGE_SECONDS, IDC_RED_MINUTES,
                 IDC_RED_SECONDS,    IDC_TICKER_TEXT,    IDC_TICKER_UPDATE,
                 IDC_TICKER_COLOUR,  IDC_STYLE_NORMAL,   IDC_STYLE_ORANGE,
                 IDC_STYLE_RED,      IDC_PAUSE,          IDC_FLASH,
                 IDC_START,          IDC_SHOW_REPEATER,  IDC_TRANSPARENT,
                 IDC_ON_TOP,         IDC_CONTINUOUS,     IDC_DISPLAY_DURING_PAUSE,
                 IDC_HIDE_OTHERS,    IDC_DRIVE_HARDWARE})
    EXPECT_TRUE(reached.count(id)) << "control " << id << " is never reached with Tab";
  EXPECT_TRUE(reached.count(IDC_TYPE_DOWN_TO_ZERO)) << "the counter type group";
  EXPECT_TRUE(reached.count(IDC_FORMAT_AUTO)) << "the display format group";
  EXPECT_TRUE(reached.count(IDC_TICKER_SMALL)) << "the ticker size group";
}

TEST_F(KeyboardTest, ShiftTabGoesBack) {
  StartProgram();
  HWND page = ShowPage(1);
  ::SetFocus(::GetDlgItem(page, IDC_TOTAL_MINUTES));
  BYTE keys[256];
  ::GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  ::SetKeyboardState(keys);
  Press(VK_TAB);
  keys[VK_SHIFT] = 0;
  ::SetKeyboardState(keys);
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(page, IDC_TOTAL_HOURS));
}

TEST_F(KeyboardTest, LabelMnemonicsGiveTheirBoxesTheFocus) {
  StartProgram();
  HWND page = ShowPage(1);
  ::SetFocus(::GetDlgItem(page, IDC_RED_SECONDS));
  PressAlt('t');
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(page, IDC_TOTAL_HOURS)) << "Alt+T: the total time";
  PressAlt('x');
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(page, IDC_TICKER_TEXT)) << "Alt+X: the ticker text";
}

TEST_F(KeyboardTest, ButtonMnemonicsPressTheButtons) {
  StartProgram();
  HWND page = ShowPage(1);
  SetText(page, IDC_TOTAL_MINUTES, "3");
  SetText(page, IDC_TOTAL_SECONDS, "0");
  ::SetFocus(::GetDlgItem(page, IDC_TOTAL_MINUTES));
  PressAlt('s');
  EXPECT_TRUE(Counter(0).Started) << "Alt+S starts";
  EXPECT_EQ(Counter(0).TotalTime.GetTotalSeconds(), 180);
  PressAlt('p');
  EXPECT_TRUE(Counter(0).Paused) << "Alt+P pauses";
  PressAlt('f');
  EXPECT_TRUE(Counter(0).Flashing) << "Alt+F flashes";
}

TEST_F(KeyboardTest, EnterInATimeBoxStartsTheCounter) {
  StartProgram();
  HWND page = ShowPage(1);
  SetText(page, IDC_TOTAL_SECONDS, "30");
  int minutes = 0;
  for (int box : {IDC_TOTAL_HOURS, IDC_TOTAL_MINUTES, IDC_TOTAL_SECONDS, IDC_ORANGE_MINUTES, IDC_ORANGE_SECONDS,
                  IDC_RED_MINUTES, IDC_RED_SECONDS}) {
    ++minutes;
    SetText(page, IDC_TOTAL_MINUTES, std::to_string(minutes).c_str());
    ::SetFocus(::GetDlgItem(page, box));
    Press(VK_RETURN);
    EXPECT_TRUE(Counter(0).Started) << box;
    EXPECT_EQ(Counter(0).TotalTime.GetTotalSeconds(), minutes * 60 + 30) << "box " << box << " starts anew";
  }
  ASSERT_EQ(VeltoApp().Sheet != nullptr && VeltoApp().Sheet->HasWindow(), true) << "Enter must not end the sheet";
  EXPECT_EQ(StoredNumber("Counter1", "TotalTime"), 450u);
}

TEST_F(KeyboardTest, EnterInTheTickerTextUpdatesTheTickerAndTheCounterKeepsCounting) {
  ManualClock clock;
  HWND page = StartFiveMinutes();
  // The displays' wake was set at Start for one second later, in real time.
  clock.Advance(4000);
  PumpMessages(1100);
  const long long counted = Counter(0).Elapsed.GetTotalSeconds();
  ASSERT_EQ(counted, 4);
  SetText(page, IDC_TICKER_TEXT, "Last call for questions");
  ::SetFocus(::GetDlgItem(page, IDC_TICKER_TEXT));
  EXPECT_EQ(LOWORD(::SendMessageA(page, DM_GETDEFID, 0, 0)), IDC_TICKER_UPDATE) << "the border must show what Enter does";
  Press(VK_RETURN);
  EXPECT_TRUE(Counter(0).Started);
  EXPECT_EQ(Counter(0).Elapsed.GetTotalSeconds(), counted) << "Enter in the ticker text restarted the counter";
  EXPECT_STREQ(Counter(0).Ticker.GetString(), "Last call for questions");
  EXPECT_STREQ(VeltoApp().GetProfileString("Counter1", "Ticker").GetString(), "Last call for questions");
}

TEST_F(KeyboardTest, EnterOnACheckBoxARadioOrTheTabRowDoesNothing) {
  StartProgram();
  HWND page = ShowPage(1);
  for (int id : {IDC_HIDE_OTHERS, IDC_CONTINUOUS, IDC_TYPE_DOWN_TO_ZERO, IDC_FORMAT_AUTO}) {
    const bool checked = Checked(page, id);
    ::SetFocus(::GetDlgItem(page, id));
    Press(VK_RETURN);
    EXPECT_EQ(Checked(page, id), checked) << id;
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(page, id)) << id;
  }
  ::SetFocus(VeltoApp().Sheet->GetTabControl());
  Press(VK_RETURN);
  EXPECT_EQ(ActiveIndex(), 1);
  ::SetFocus(::GetDlgItem(page, IDC_TICKER_TEXT));
  ::SetFocus(::GetDlgItem(page, IDC_TOTAL_MINUTES));
  EXPECT_EQ(LOWORD(::SendMessageA(page, DM_GETDEFID, 0, 0)), IDC_START);
  EXPECT_FALSE(Counter(0).Started) << "Enter away from the time boxes must not start";
  EXPECT_FALSE(Counter(0).Flashing);
  EXPECT_FALSE(Counter(0).Paused);
  ASSERT_TRUE(VeltoApp().Sheet != nullptr && VeltoApp().Sheet->HasWindow());
}

TEST_F(KeyboardTest, EnterOnAFocusedButtonPressesThatButton) {
  StartProgram();
  HWND page = ShowPage(1);
  ::SetFocus(::GetDlgItem(page, IDC_FLASH));
  Press(VK_RETURN);
  EXPECT_TRUE(Counter(0).Flashing);
  EXPECT_FALSE(Counter(0).Started) << "only the focused button is pressed";
}

TEST_F(KeyboardTest, CtrlTabMovesBetweenThePagesAndTakesTheKeyboardAlong) {
  SeedText("Settings", "Counters", "1,2");
  StartProgram();
  HWND first = ShowPage(1);
  HWND minutes = ::GetDlgItem(first, IDC_TOTAL_MINUTES);
  ::SetFocus(minutes);
  PressCtrl(VK_TAB);
  EXPECT_EQ(ActiveIndex(), 2);
  EXPECT_TRUE(KeyboardOnShownPage()) << "the keyboard stayed on the page left";
  PressAlt('s');
  EXPECT_TRUE(Counter(1).Started) << "Alt+S starts the counter of the page shown";
  EXPECT_FALSE(Counter(0).Started) << "Alt+S pressed the hidden page's Start";
  PressCtrl(VK_TAB, true);
  EXPECT_EQ(ActiveIndex(), 1);
  EXPECT_EQ(::GetFocus(), minutes) << "back to the control that had the keyboard there";
  PressCtrl(VK_NEXT);
  EXPECT_EQ(ActiveIndex(), 2);
  EXPECT_TRUE(KeyboardOnShownPage());
  PressCtrl(VK_TAB);
  EXPECT_EQ(ActiveIndex(), 3) << "Remote";
  EXPECT_TRUE(KeyboardOnShownPage());
  PressCtrl(VK_TAB);
  EXPECT_EQ(ActiveIndex(), 4) << "About";
  EXPECT_TRUE(KeyboardOnShownPage());
  PressCtrl(VK_TAB);
  EXPECT_EQ(ActiveIndex(), 0) << "round to Setup";
  EXPECT_TRUE(KeyboardOnShownPage());

  // Space and Enter after leaving the Setup list must not rename in it: that
  // would rebuild every page and stop every counter.
  CCounterListControl& list = VeltoApp().Sheet->SetupPage.ListControl;
  list.SelectItem(0);
  ::SetFocus(list.GetListWindow());
  const CCounterPage* before = &CounterPage(0);
  PressCtrl(VK_TAB);
  EXPECT_EQ(ActiveIndex(), 1);
  Press(VK_SPACE);
  Press(VK_RETURN);
  EXPECT_FALSE(list.IsEditing());
  ASSERT_EQ(&CounterPage(0), before) << "the pages were rebuilt";
  EXPECT_TRUE(Counter(1).Started);
  PressCtrl(VK_PRIOR);
  EXPECT_EQ(ActiveIndex(), 0);
  EXPECT_EQ(::GetFocus(), list.GetListWindow());
  ASSERT_TRUE(VeltoApp().Sheet->HasWindow());
}

TEST_F(KeyboardTest, RenameFinishedByClickingATabLeavesTheSheetActive) {
  SeedText("Settings", "Counters", "1,2");
  StartProgram();
  CVeltoSheet* sheet = VeltoApp().Sheet;
  ShowPage(0);
  CCounterListControl& list = sheet->SetupPage.ListControl;
  list.SelectItem(0);
  ::SetFocus(list.GetListWindow());
  ASSERT_EQ(::GetActiveWindow(), sheet->GetSafeHwnd());
  Press(VK_F2);
  ASSERT_TRUE(list.IsEditing());
  ::SetWindowTextA(list.GetEditWindow(), "Act 1");
  // The operator clicks the second counter's tab.
  HWND tab = sheet->GetTabControl();
  RECT item{};
  ::SendMessageA(tab, TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
  const LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  ::PostMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, point);
  ::PostMessageA(tab, WM_LBUTTONUP, 0, point);
  PumpMessages(100);
  EXPECT_EQ(TabText(1), "Act 1");
  EXPECT_EQ(ActiveIndex(), 2);
  EXPECT_EQ(::GetActiveWindow(), sheet->GetSafeHwnd()) << "a display took the keyboard";
  EXPECT_TRUE(Counter(0).Window.IsWindowVisible());
  PressAlt('s');
  EXPECT_TRUE(Counter(1).Started) << "Alt+S after the rename";

  // Closed with Alt+F4, a display opened again by a button stays behind the keyboard.
  Counter(0).Window.DestroyWindow();
  HWND first = ShowPage(1);
  ::SetFocus(::GetDlgItem(first, IDC_TOTAL_MINUTES));
  PressAlt('f');
  EXPECT_TRUE(Counter(0).Window.IsWindowVisible());
  EXPECT_EQ(::GetActiveWindow(), sheet->GetSafeHwnd());
}

TEST_F(KeyboardTest, EscapeInABoxKeepsEverything) {
  StartProgram();
  HWND page = ShowPage(1);
  ::SetFocus(::GetDlgItem(page, IDC_TOTAL_HOURS));
  Press(VK_ESCAPE);
  ASSERT_NE(VeltoApp().Sheet, nullptr);
  EXPECT_TRUE(VeltoApp().Sheet->HasWindow());
  EXPECT_TRUE(Counter(0).Window.IsWindowVisible());
}

}  // namespace
