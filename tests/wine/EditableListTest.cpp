#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/VSListBox.h"
#include "support/SheetHarness.h"

namespace {

// The list with every hook written down, in the order the list calls them.
class RecordingList : public CVSListBox {
public:
  std::vector<std::string> Calls;
  BOOL AllowRemoval = TRUE;

  void OnSelectionChanged() override { Calls.push_back("selection"); }
  BOOL OnBeforeRemoveItem(int index) override {
    Calls.push_back("before-remove " + std::to_string(index));
    return AllowRemoval;
  }
  void OnAfterRemoveItem(int index) override { Calls.push_back("after-remove " + std::to_string(index)); }
  void OnAfterAddItem(int index) override { Calls.push_back("add " + std::to_string(index) + " " + Text(index)); }
  void OnAfterRenameItem(int index) override {
    Calls.push_back("rename " + std::to_string(index) + " " + Text(index));
  }
  void OnAfterMoveItemUp(int index) override { Calls.push_back("up " + std::to_string(index)); }
  void OnAfterMoveItemDown(int index) override { Calls.push_back("down " + std::to_string(index)); }

private:
  std::string Text(int index) const { return GetItemText(index).Str(); }
};

using Calls = std::vector<std::string>;

// A window holding a "Counters" group box that the list takes over, as the
// Setup page has it.
class EditableListTest : public ::testing::Test {
protected:
  void SetUp() override {
    const RECT frame{100, 100, 600, 400};
    ASSERT_TRUE(Host.CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                                      ::GetSysColorBrush(COLOR_BTNFACE)),
                              "List host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, frame, nullptr, 0));
    Frame = ::CreateWindowExA(0, "BUTTON", "Counters", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 10, 10, 460, 240,
                              Host.GetSafeHwnd(), reinterpret_cast<HMENU>(1026), AfxGetInstanceHandle(), nullptr);
    ASSERT_NE(Frame, nullptr);
    ::SendMessageA(Frame, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    ASSERT_TRUE(List.SubclassWindow(Frame));
    List.SetStandardButtons(15);
    ::SetActiveWindow(Host.GetSafeHwnd());
    ::SetFocus(ListWindow());
    PumpMessages(20);
  }

  void TearDown() override {
    Host.DestroyWindow();
    PumpMessages(20);
  }

  void Fill(std::initializer_list<const char*> names) {
    INT_PTR data = 10;
    for (const char* name : names) List.AddItem(name, data++);
  }
  void Select(int index) {
    List.SelectItem(index);
    List.Calls.clear();
  }

  HWND ListWindow() const { return List.GetListWindow(); }
  HWND Editor() const { return List.GetEditWindow(); }
  void Key(UINT key) { ::SendMessageA(ListWindow(), WM_KEYDOWN, key, 1); }
  void AltKey(UINT key) { ::SendMessageA(ListWindow(), WM_SYSKEYDOWN, key, 1 | (1 << 29)); }
  void Type(const char* text) { ::SendMessageA(Editor(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }
  void EditorKey(UINT key) { ::SendMessageA(Editor(), WM_KEYDOWN, key, 1); }
  void Command(UINT id) { ::SendMessageA(Frame, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& item : List.GetItems()) texts.push_back(item.Text.Str());
    return texts;
  }
  // What the list view itself shows in row index.
  std::string RowText(int index) const {
    char text[128] = "";
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(ListWindow(), LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
  }
  int RowCount() const { return static_cast<int>(::SendMessageA(ListWindow(), LVM_GETITEMCOUNT, 0, 0)); }
  bool ButtonEnabled(UINT id) const {
    return ::SendMessageA(List.GetToolBarWindow(), TB_ISBUTTONENABLED, id, 0) != 0;
  }
  POINT RowCentre(int index) const {
    RECT row{};
    row.left = LVIR_BOUNDS;
    ::SendMessageA(ListWindow(), LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&row));
    return POINT{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
  }
  void DoubleClick(POINT at) {
    ::SendMessageA(ListWindow(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  }

  CWnd Host;
  HWND Frame = nullptr;
  RecordingList List;
};

TEST_F(EditableListTest, TakesTheFramesPlaceWithAOneColumnReportListAndAFlatButtonBar) {
  RECT frame{}, list{}, bar{};
  ::GetWindowRect(Frame, &frame);
  ::GetWindowRect(ListWindow(), &list);
  ::GetWindowRect(List.GetToolBarWindow(), &bar);
  EXPECT_EQ(::GetParent(ListWindow()), Frame);
  char className[64] = "";
  ::GetClassNameA(ListWindow(), className, sizeof className);
  EXPECT_STREQ(className, "SysListView32");
  const LONG style = ::GetWindowLongA(ListWindow(), GWL_STYLE);
  EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(style & LVS_SINGLESEL);
  EXPECT_TRUE(style & LVS_NOCOLUMNHEADER);
  EXPECT_TRUE(style & WS_TABSTOP);
  EXPECT_TRUE(::SendMessageA(ListWindow(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
  // The caption row above, the bar at its right, the list filling the rest.
  EXPECT_EQ(list.left, frame.left);
  EXPECT_EQ(list.right, frame.right);
  EXPECT_EQ(list.bottom, frame.bottom);
  EXPECT_GE(list.top, bar.bottom);
  EXPECT_EQ(bar.right, frame.right);
  EXPECT_GE(bar.top, frame.top);
  EXPECT_TRUE(::GetWindowLongA(List.GetToolBarWindow(), GWL_STYLE) & TBSTYLE_FLAT);
  EXPECT_EQ(::SendMessageA(List.GetToolBarWindow(), TB_BUTTONCOUNT, 0, 0), 4);
  // The one column spans the list.
  RECT client{};
  ::GetClientRect(ListWindow(), &client);
  EXPECT_EQ(::SendMessageA(ListWindow(), LVM_GETCOLUMNWIDTH, 0, 0), client.right);
  // The frame's text is the caption.
  char caption[32] = "";
  ::GetWindowTextA(Frame, caption, sizeof caption);
  EXPECT_STREQ(caption, "Counters");
}

TEST_F(EditableListTest, TheButtonsCarryTheirToolTipsAndGlyphs) {
  HWND tips = List.GetToolTipWindow();
  ASSERT_NE(tips, nullptr);
  ASSERT_EQ(::SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 4);
  std::vector<std::string> texts;
  for (int i = 0; i < 4; ++i) {
    char text[80] = "";
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.lpszText = text;
    ASSERT_TRUE(::SendMessageA(tips, TTM_ENUMTOOLSA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tool)));
    texts.push_back(text);
    EXPECT_EQ(tool.hwnd, List.GetToolBarWindow());
    RECT button{};
    ::SendMessageA(List.GetToolBarWindow(), TB_GETRECT, tool.uId, reinterpret_cast<LPARAM>(&button));
    EXPECT_EQ(tool.rect.left, button.left) << text;
    EXPECT_EQ(tool.rect.right, button.right) << text;
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"New", "Delete", "Move Item Up", "Move Item Down"}));

  // What the bar shows: a yellow folder, a red cross and two blue arrows.
  Fill({"A", "B", "C"});
  Select(1);
  ::RedrawWindow(List.GetToolBarWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  HDC dc = ::GetDC(List.GetToolBarWindow());
  auto count = [&](UINT id, auto wanted) {
    RECT button{};
    ::SendMessageA(List.GetToolBarWindow(), TB_GETRECT, id, reinterpret_cast<LPARAM>(&button));
    int hits = 0;
    for (int y = button.top; y < button.bottom; ++y)
      for (int x = button.left; x < button.right; ++x) {
        const COLORREF c = ::GetPixel(dc, x, y);
        if (wanted(GetRValue(c), GetGValue(c), GetBValue(c))) ++hits;
      }
    return hits;
  };
  const auto yellow = [](int r, int g, int b) { return r > 200 && g > 150 && b < 140; };
  const auto red = [](int r, int g, int b) { return r > 170 && g < 90 && b < 90; };
  const auto blue = [](int r, int g, int b) { return b > 180 && r < 110 && g < 200; };
  EXPECT_GT(count(CVSListBox::NewButtonId, yellow), 40);
  EXPECT_GT(count(CVSListBox::DeleteButtonId, red), 15);
  EXPECT_EQ(count(CVSListBox::DeleteButtonId, yellow), 0);
  EXPECT_GT(count(CVSListBox::MoveUpButtonId, blue), 20);
  EXPECT_GT(count(CVSListBox::MoveDownButtonId, blue), 20);
  ::ReleaseDC(List.GetToolBarWindow(), dc);
}

TEST_F(EditableListTest, TheButtonsFollowTheSelection) {
  Fill({"A", "B", "C"});
  EXPECT_TRUE(ButtonEnabled(CVSListBox::NewButtonId));
  EXPECT_FALSE(ButtonEnabled(CVSListBox::DeleteButtonId));
  Select(0);
  EXPECT_TRUE(ButtonEnabled(CVSListBox::DeleteButtonId));
  EXPECT_FALSE(ButtonEnabled(CVSListBox::MoveUpButtonId));
  EXPECT_TRUE(ButtonEnabled(CVSListBox::MoveDownButtonId));
  Select(2);
  EXPECT_TRUE(ButtonEnabled(CVSListBox::MoveUpButtonId));
  EXPECT_FALSE(ButtonEnabled(CVSListBox::MoveDownButtonId));
}

TEST_F(EditableListTest, InsertOpensANewItemThatANameAdds) {
  Fill({"A", "B"});
  Select(1);
  Key(VK_INSERT);
  ASSERT_TRUE(List.IsEditing());
  EXPECT_EQ(List.GetEditingIndex(), 2);
  EXPECT_EQ(RowCount(), 3);
  EXPECT_EQ(List.GetItemData(2), 0);
  EXPECT_TRUE(::IsWindowVisible(Editor()));
  EXPECT_EQ(::GetFocus(), Editor());
  EXPECT_EQ(List.Calls, (Calls{"selection", "selection"})) << "B lost the selection, the new item gained it";
  Type("  Keynote  ");
  EditorKey(VK_RETURN);
  EXPECT_FALSE(List.IsEditing());
  EXPECT_FALSE(::IsWindowVisible(Editor()));
  EXPECT_EQ(::GetFocus(), ListWindow());
  EXPECT_EQ(Texts(), (std::vector<std::string>{"A", "B", "Keynote"})) << "blanks around the name are dropped";
  EXPECT_EQ(RowText(2), "Keynote");
  EXPECT_EQ(List.GetSelItem(), 2);
  EXPECT_EQ(List.Calls, (Calls{"selection", "selection", "add 2 Keynote"}));
}

TEST_F(EditableListTest, AnEmptyOrCancelledNewItemGoesAwayWithoutAHook) {
  Fill({"A", "B"});
  Select(0);
  Key(VK_INSERT);
  Type("Half typed");
  EditorKey(VK_ESCAPE);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(RowCount(), 2);
  EXPECT_EQ(List.GetSelItem(), 0) << "the selection goes back where it was";

  Command(CVSListBox::NewButtonId);
  ASSERT_TRUE(List.IsEditing());
  Type("   ");
  EditorKey(VK_RETURN);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"A", "B"}));
  for (const std::string& call : List.Calls) EXPECT_EQ(call.rfind("add", 0), std::string::npos) << call;
}

TEST_F(EditableListTest, TheNewButtonWorksWhenClickedWithTheMouseMessages) {
  Fill({"A"});
  RECT button{};
  HWND bar = List.GetToolBarWindow();
  ::SendMessageA(bar, TB_GETRECT, CVSListBox::NewButtonId, reinterpret_cast<LPARAM>(&button));
  const LPARAM at = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
  ::SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageA(bar, WM_LBUTTONUP, 0, at);
  PumpMessages(20);
  ASSERT_TRUE(List.IsEditing());
  EXPECT_EQ(List.GetEditingIndex(), 1);
  Type("Walk-in");
  EditorKey(VK_RETURN);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"A", "Walk-in"}));
}

TEST_F(EditableListTest, F2SpaceAndDoubleClickRenameTheSelectedItem) {
  Fill({"A", "B"});
  Select(0);
  Key(VK_F2);
  ASSERT_TRUE(List.IsEditing());
  char shown[32] = "";
  ::GetWindowTextA(Editor(), shown, sizeof shown);
  EXPECT_STREQ(shown, "A") << "the editor starts with the old name";
  // The editor sits inside the row it edits, over the whole width.
  RECT editor{}, row{};
  ::GetWindowRect(Editor(), &editor);
  ::MapWindowPoints(nullptr, ListWindow(), reinterpret_cast<POINT*>(&editor), 2);
  row.left = LVIR_BOUNDS;
  ::SendMessageA(ListWindow(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  EXPECT_GE(editor.top, row.top);
  EXPECT_LE(editor.bottom, row.bottom);
  EXPECT_GT(editor.top, (row.top + row.bottom) / 2 - (editor.bottom - editor.top));
  RECT list{};
  ::GetClientRect(ListWindow(), &list);
  EXPECT_EQ(editor.right, list.right);
  Type("Alpha");
  EditorKey(VK_RETURN);
  EXPECT_EQ(List.Calls, (Calls{"rename 0 Alpha"}));

  List.Calls.clear();
  Key(VK_SPACE);
  ::SendMessageA(ListWindow(), WM_CHAR, ' ', 1);
  ASSERT_TRUE(List.IsEditing());
  Type("Ignored");
  EditorKey(VK_ESCAPE);
  EXPECT_EQ(List.GetItemText(0), "Alpha");

  Key(VK_F2);
  Type("");
  EditorKey(VK_RETURN);
  EXPECT_EQ(List.GetItemText(0), "Alpha") << "an empty name keeps the old one";
  EXPECT_TRUE(List.Calls.empty());

  DoubleClick(RowCentre(1));
  ASSERT_TRUE(List.IsEditing());
  EXPECT_EQ(List.GetEditingIndex(), 1);
  EXPECT_EQ(List.GetSelItem(), 1) << "the first click of the double-click selected the row";
  Type("Beta");
  EditorKey(VK_RETURN);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Alpha", "Beta"}));
  EXPECT_EQ(List.Calls.back(), "rename 1 Beta");
}

TEST_F(EditableListTest, FocusElsewhereConfirmsTheEdit) {
  Fill({"A"});
  Select(0);
  Key(VK_F2);
  Type("Moved on");
  ::SetFocus(Host.GetSafeHwnd());
  EXPECT_FALSE(List.IsEditing());
  EXPECT_EQ(List.Calls, (Calls{"rename 0 Moved on"}));
}

TEST_F(EditableListTest, ADoubleClickAwayFromTheItemsAddsOne) {
  Fill({"A"});
  Select(-1);
  RECT client{};
  ::GetClientRect(ListWindow(), &client);
  DoubleClick(POINT{client.right / 2, client.bottom - 5});
  ASSERT_TRUE(List.IsEditing());
  EXPECT_EQ(List.GetEditingIndex(), 1);
  Type("Interval");
  EditorKey(VK_RETURN);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"A", "Interval"}));
  EXPECT_EQ(List.Calls.back(), "add 1 Interval");
}

TEST_F(EditableListTest, DeleteAsksThenRemovesAndSelectsTheNeighbour) {
  Fill({"A", "B", "C"});
  Select(1);
  Key(VK_DELETE);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(RowCount(), 2);
  EXPECT_EQ(List.GetSelItem(), 1) << "the next item";
  EXPECT_EQ(List.Calls, (Calls{"before-remove 1", "selection", "selection", "after-remove 1"}));

  List.Calls.clear();
  Command(CVSListBox::DeleteButtonId);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"A"}));
  EXPECT_EQ(List.GetSelItem(), 0) << "the previous item when the last one went";
  EXPECT_EQ(List.Calls, (Calls{"before-remove 1", "selection", "selection", "after-remove 1"}));

  List.Calls.clear();
  Key(VK_DELETE);
  EXPECT_TRUE(Texts().empty());
  EXPECT_EQ(List.Calls, (Calls{"before-remove 0", "selection", "after-remove 0"}))
      << "the only item: no neighbour, and still the removal is reported";
  List.Calls.clear();
  Key(VK_DELETE);
  EXPECT_TRUE(List.Calls.empty()) << "nothing selected, nothing asked";
}

TEST_F(EditableListTest, ARefusedRemovalLeavesTheItem) {
  Fill({"A", "B"});
  Select(0);
  List.AllowRemoval = FALSE;
  Key(VK_DELETE);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(List.GetSelItem(), 0);
  EXPECT_EQ(List.Calls, (Calls{"before-remove 0"}));
}

TEST_F(EditableListTest, AltArrowsAndTheMoveButtonsMoveTheSelectedItem) {
  Fill({"A", "B", "C"});
  Select(0);
  AltKey(VK_DOWN);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"B", "A", "C"}));
  EXPECT_EQ(List.GetItemData(1), 10) << "the data travels with the text";
  EXPECT_EQ(RowText(0), "B");
  EXPECT_EQ(RowText(1), "A");
  EXPECT_EQ(List.GetSelItem(), 1);
  EXPECT_EQ(List.Calls, (Calls{"selection", "selection", "down 1"}));

  List.Calls.clear();
  Command(CVSListBox::MoveDownButtonId);
  Command(CVSListBox::MoveDownButtonId);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"B", "C", "A"}));
  EXPECT_EQ(List.Calls, (Calls{"selection", "selection", "down 2"})) << "the last item stays last";

  List.Calls.clear();
  AltKey(VK_UP);
  Command(CVSListBox::MoveUpButtonId);
  AltKey(VK_UP);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(List.Calls, (Calls{"selection", "selection", "up 1", "selection", "selection", "up 0"}));
}

TEST_F(EditableListTest, ACommandDuringAnEditConfirmsItFirst) {
  Fill({"A", "B"});
  Select(0);
  Key(VK_F2);
  Type("First");
  Command(CVSListBox::MoveDownButtonId);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"B", "First"}));
  EXPECT_EQ(List.Calls, (Calls{"rename 0 First", "selection", "selection", "down 1"}));
}

TEST_F(EditableListTest, EnterAndEscThroughTheMessageLoopReachTheEditor) {
  Fill({"A"});
  Select(0);
  ::PostMessageA(ListWindow(), WM_KEYDOWN, VK_F2, 1);
  PumpMessages(20);
  ASSERT_TRUE(List.IsEditing());
  Type("Looped");
  ::PostMessageA(Editor(), WM_KEYDOWN, VK_RETURN, 1);
  PumpMessages(20);
  EXPECT_FALSE(List.IsEditing());
  EXPECT_EQ(List.GetItemText(0), "Looped");
}

}  // namespace
