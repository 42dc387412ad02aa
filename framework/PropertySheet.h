#pragma once

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "framework/Dialog.h"
#include "framework/String.h"

class CPropertySheet;

// One page of a property sheet, made from a dialog template. Its window is
// created by the sheet when the page is first shown and destroyed when the
// page is removed or the sheet goes.
class CPropertyPage : public CDialog {
  DECLARE_DYNAMIC(CPropertyPage)

public:
  explicit CPropertyPage(UINT templateId, UINT captionId = 0);

  // The page is being shown. The default puts the members into the controls
  // on every activation but the first (OnInitDialog did the first). False
  // keeps the previous page.
  virtual BOOL OnSetActive();
  // The page is being left: the default takes the controls into the members;
  // false keeps the page.
  virtual BOOL OnKillActive();

  // Pages leave their keyboard handling to the sheet.
  BOOL PreTranslateMessage(MSG*) override { return FALSE; }

  // Enter with the focus on control, one of this page's. The default presses
  // a focused push button and leaves every other control alone; a page
  // gives Enter a meaning in its boxes by overriding this.
  virtual void OnEnterKey(HWND control);

  PROPSHEETPAGEA m_psp{};

protected:
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  // Enter and Esc belong to the sheet; a page never ends itself.
  void OnOK() override {}
  void OnCancel() override {}
  // Presses button as a click does, if it is visible and enabled.
  void PressButton(HWND button);

private:
  friend class CPropertySheet;
  static INT_PTR CALLBACK PageDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  CString Title;
  bool ActivatedBefore = false;
  // The control of this page that had the keyboard last while it was shown.
  HWND LastFocus = nullptr;
};

// A property sheet of pages with tabs. Created modeless (Create): the OK,
// Cancel, Apply and Help buttons are hidden and disabled and the sheet leaves
// out their row. Closing the sheet (close box, system menu, Alt+F4) ends it
// and destroys its window; Esc does not.
class CPropertySheet : public CWnd {
  DECLARE_DYNAMIC(CPropertySheet)

public:
  explicit CPropertySheet(UINT captionId, CWnd* parent = nullptr, UINT selectPage = 0);
  explicit CPropertySheet(LPCTSTR caption, CWnd* parent = nullptr, UINT selectPage = 0);

  // Style -1: the default modeless style (popup, visible, caption, system
  // menu, modal frame, context help).
  BOOL Create(CWnd* parent = nullptr, DWORD style = static_cast<DWORD>(-1), DWORD exStyle = 0);

  void AddPage(CPropertyPage* page);
  void RemovePage(int index);
  void RemovePage(CPropertyPage* page);
  int GetPageCount() const { return static_cast<int>(Pages.size()); }
  CPropertyPage* GetPage(int index) const;
  int GetPageIndex(const CPropertyPage* page) const;
  BOOL SetActivePage(int index);
  BOOL SetActivePage(CPropertyPage* page) { return SetActivePage(GetPageIndex(page)); }
  CPropertyPage* GetActivePage() const;
  int GetActiveIndex() const;
  HWND GetTabControl() const;
  // The text of the tab of page index.
  BOOL SetPageTitle(int index, LPCTSTR title);
  // After the tabs changed: when they need more rows (or fewer) than
  // before, the tab control and the sheet grow (or shrink) by the rows'
  // height and the pages move below them, so that every page keeps its
  // whole area. The sheet stays on its monitor.
  void FitTabRows();

  // Called once the sheet window and its first page exist.
  virtual BOOL OnInitDialog();
  BOOL PreTranslateMessage(MSG* msg) override;

  static constexpr DWORD DefaultModelessStyle =
      WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CONTEXTHELP;

protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  CString Caption;
  CWnd* ParentWnd = nullptr;
  UINT StartPage = 0;
  std::vector<CPropertyPage*> Pages;

private:
  static int CALLBACK SheetCallback(HWND hwnd, UINT message, LPARAM lParam);
  HPROPSHEETPAGE MakePageHandle(CPropertyPage* page);
  // Enter anywhere in the sheet: the active page decides what it means for
  // its focused control. False when the focused control takes Enter itself.
  BOOL HandleEnter(MSG* msg);
  HWND CurrentPageWindow() const;
  // The page of ours whose window holds control, if any.
  CPropertyPage* PageHolding(HWND control) const;
  // Notes which control of the shown page has the keyboard.
  void RememberFocus();
  // Gives the keyboard to the shown page: to the control that had it last
  // there, else to the page's first tab stop.
  HWND FocusShownPage();
  // After a message that may have ended the sheet, looks again once the
  // message has been handled completely; an ended modeless sheet is destroyed.
  void ScheduleEndCheck();
  // The tab control's page area, in sheet client coordinates.
  bool GetPageArea(RECT& area) const;
  bool HaveLayout = false;
  // The top of the page area where the pages were last put.
  int PagesTop = 0;
  int PageAreaHeight = 0;
  DWORD Style = DefaultModelessStyle;
  DWORD ExStyle = 0;
  bool EndCheckPending = false;
  bool Closing = false;
};
