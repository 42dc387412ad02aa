#pragma once

#include <windows.h>

#include <vector>

#include "framework/ImageList.h"
#include "framework/String.h"
#include "framework/Wnd.h"

// Standard buttons of the list's button bar (SetStandardButtons).
constexpr UINT AFX_VSLISTBOX_BTN_NEW = 0x0001;
constexpr UINT AFX_VSLISTBOX_BTN_DELETE = 0x0002;
constexpr UINT AFX_VSLISTBOX_BTN_UP = 0x0004;
constexpr UINT AFX_VSLISTBOX_BTN_DOWN = 0x0008;

// An editable single-column list under a caption with a button bar (New,
// Delete, Move Item Up, Move Item Down). It takes over a frame control of a
// dialog (usually a group box): the frame's text becomes the caption and the
// list and its bar fill the frame's area.
//
// The operator's gestures:
//   New button, Insert, or a double-click away from the items: a new item with
//     empty text opens in an in-place editor; a non-empty name adds it
//     (OnAfterAddItem), an empty or cancelled edit takes it away again.
//   F2, Space, or a double-click on an item: renames the selected item; a
//     non-empty name replaces the text (OnAfterRenameItem), an empty or
//     cancelled edit keeps the old one.
//   Delete button or Delete: asks OnBeforeRemoveItem; if it agrees the item
//     goes, its neighbour is selected, then OnAfterRemoveItem.
//   Move buttons, Alt+Up, Alt+Down: moves the selected item one place and
//     keeps it selected (OnAfterMoveItemUp / OnAfterMoveItemDown).
// In the editor, Enter or moving the focus away confirms and Esc cancels.
// Every change of an item's selected state calls OnSelectionChanged.
class CVSListBox : public CWnd {
  DECLARE_DYNAMIC(CVSListBox)

public:
  struct Item {
    CString Text;
    INT_PTR Data = 0;
  };

  // Command ids of the bar's buttons (WM_COMMAND to the list control's window).
  enum : UINT { NewButtonId = 0x7F01, DeleteButtonId, MoveUpButtonId, MoveDownButtonId };

  CVSListBox();
  ~CVSListBox() override;

  // The buttons of the bar, AFX_VSLISTBOX_BTN_ flags (15: all four).
  BOOL SetStandardButtons(UINT buttons = AFX_VSLISTBOX_BTN_NEW | AFX_VSLISTBOX_BTN_DELETE | AFX_VSLISTBOX_BTN_UP |
                                         AFX_VSLISTBOX_BTN_DOWN);

  // Programmatic changes; they call no hooks but the selection's.
  int AddItem(const CString& text, INT_PTR data = 0);
  BOOL RemoveItem(int index);
  void RemoveAll();
  int GetCount() const { return static_cast<int>(Items.size()); }
  const std::vector<Item>& GetItems() const { return Items; }
  CString GetItemText(int index) const;
  void SetItemText(int index, const CString& text);
  INT_PTR GetItemData(int index) const;
  void SetItemData(int index, INT_PTR data);
  // The selected item, -1 when none.
  int GetSelItem() const;
  // Selects item index (-1: none) and brings it into view.
  BOOL SelectItem(int index);

  // The gestures, as the keys, the mouse and the bar run them.
  void CreateNewItem();
  void RenameSelectedItem();
  void RemoveSelectedItem();
  void MoveSelectedItem(int places);
  // Opens the in-place editor on item index; false while another edit runs.
  BOOL EditItem(int index);
  // Ends the running edit: confirmed (Enter, focus loss) or cancelled (Esc).
  BOOL EndEditItem(bool confirm);
  bool IsEditing() const { return EditingIndex >= 0; }
  int GetEditingIndex() const { return EditingIndex; }

  // The parts of the control, for layout checks and for tests.
  HWND GetListWindow() const { return List.GetSafeHwnd(); }
  HWND GetEditWindow() const { return Editor.GetSafeHwnd(); }
  HWND GetToolBarWindow() const { return ToolBar; }
  HWND GetToolTipWindow() const { return ToolTip; }
  // The tooltip of a bar button ("New", "Delete", "Move Item Up", "Move Item Down").
  static const char* ButtonToolTip(UINT id);

  // Hooks, in the order in which a gesture calls them.
  virtual void OnSelectionChanged() {}
  virtual BOOL OnBeforeRemoveItem(int) { return TRUE; }
  // The item has left the list and its neighbour (if any) is selected.
  virtual void OnAfterRemoveItem(int) {}
  virtual void OnAfterAddItem(int) {}
  virtual void OnAfterRenameItem(int) {}
  // The index is the item's new place.
  virtual void OnAfterMoveItemUp(int) {}
  virtual void OnAfterMoveItemDown(int) {}

protected:
  void PreSubclassWindow() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  // The list view: it takes the list's keys and double-clicks.
  class CListWindow : public CWnd {
  public:
    CVSListBox* Owner = nullptr;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  };
  // The in-place editor, a child of the list view.
  class CEditWindow : public CWnd {
  public:
    CVSListBox* Owner = nullptr;
    BOOL PreTranslateMessage(MSG* msg) override;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  };

  void CreateParts();
  void CreateButtons();
  void Layout();
  void FitColumn();
  void UpdateButtons();
  void Paint();
  int CaptionHeight() const;
  int TextHeight() const;
  HFONT Font() const;
  void InsertRow(int index);
  void RedrawRow(int index);
  void SetRowSelected(int index, bool selected);
  void OnListDoubleClick(CPoint point);
  void HandleListNotify(NMHDR* header, LRESULT* result);
  // Runs a hook that may open or rebuild windows; the keyboard stays with the list.
  template <class Hook>
  void RunHook(Hook hook);
  void RemoveAt(int index, int selectAfter);

  std::vector<Item> Items;
  CListWindow List;
  CEditWindow Editor;
  HWND ToolBar = nullptr;
  HWND ToolTip = nullptr;
  CImageList Images;
  CImageList DisabledImages;
  // An empty image list whose height gives the rows room for the editor.
  CImageList RowSpacer;
  UINT Buttons = 0;
  int EditingIndex = -1;
  bool EditingNewItem = false;
  int SelectionBeforeNew = -1;
  std::vector<char> DisplayText;
  std::vector<wchar_t> DisplayTextWide;
};
