#include "framework/PropertySheet.h"

#include <algorithm>
#include <cstring>

namespace {

// The sheet being created on this thread, until the property-sheet control
// reports its window.
thread_local CPropertySheet* pendingSheet = nullptr;

constexpr int ApplyNowButtonId = 0x3021;

CString LoadStringResource(UINT id) {
  char text[512];
  const int length = ::LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
  return length > 0 ? CString(text, static_cast<std::size_t>(length)) : CString();
}

UINT EndCheckMessage() {
  static const UINT message = ::RegisterWindowMessageA("Velto.PropertySheet.EndCheck");
  return message;
}

// The style words of an in-memory dialog template, classic or extended.
void SetTemplateStyle(void* dialogTemplate, DWORD style, DWORD exStyle) {
  auto* bytes = static_cast<BYTE*>(dialogTemplate);
  WORD signature = 0;
  std::memcpy(&signature, bytes + 2, sizeof signature);
  const std::size_t styleOffset = signature == 0xFFFF ? 12 : 0;
  const std::size_t exStyleOffset = signature == 0xFFFF ? 8 : 4;
  DWORD old = 0;
  std::memcpy(&old, bytes + styleOffset, sizeof old);
  // The font flags describe the rest of the template: they must stay.
  const DWORD kept = old & (DS_SETFONT | DS_FIXEDSYS | DS_3DLOOK);
  const DWORD changed = style | kept;
  std::memcpy(bytes + styleOffset, &changed, sizeof changed);
  std::memcpy(bytes + exStyleOffset, &exStyle, sizeof exStyle);
}

}  // namespace

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)
IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

CPropertyPage::CPropertyPage(UINT templateId, UINT captionId) : CDialog(templateId) {
  if (captionId) Title = LoadStringResource(captionId);
}

INT_PTR CALLBACK CPropertyPage::PageDialogProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return FALSE;
  const auto* description = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
  auto* page = description ? reinterpret_cast<CPropertyPage*>(description->lParam) : nullptr;
  if (!page) return FALSE;
  if (!FromHandlePermanent(hwnd)) {
    page->ActivatedBefore = false;
    page->SubclassWindow(hwnd);
  }
  return page->OnInitDialog();
}

BOOL CPropertyPage::OnSetActive() {
  if (ActivatedBefore) UpdateData(FALSE);
  ActivatedBefore = true;
  return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }

void CPropertyPage::OnEnterKey(HWND control) {
  if (::SendMessageA(control, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) PressButton(control);
}

void CPropertyPage::PressButton(HWND button) {
  if (button && ::IsWindowVisible(button) && ::IsWindowEnabled(button))
    ::SendMessageA(::GetParent(button), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (CDialog::OnNotify(wParam, lParam, result)) return TRUE;
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (!header) return FALSE;
  switch (header->code) {
    case PSN_SETACTIVE:
      *result = OnSetActive() ? 0 : -1;
      break;
    case PSN_KILLACTIVE:
      *result = OnKillActive() ? FALSE : TRUE;
      break;
    default:
      return FALSE;
  }
  // The answer of a dialog to a notification also goes in its message result.
  ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, *result);
  return TRUE;
}

CPropertySheet::CPropertySheet(UINT captionId, CWnd* parent, UINT selectPage)
    : Caption(LoadStringResource(captionId)), ParentWnd(parent), StartPage(selectPage) {}

CPropertySheet::CPropertySheet(LPCTSTR caption, CWnd* parent, UINT selectPage)
    : Caption(caption), ParentWnd(parent), StartPage(selectPage) {}

HPROPSHEETPAGE CPropertySheet::MakePageHandle(CPropertyPage* page) {
  PROPSHEETPAGEA& description = page->m_psp;
  description = PROPSHEETPAGEA{};
  description.dwSize = sizeof description;
  description.dwFlags = PSP_DEFAULT;
  description.hInstance = AfxGetResourceHandle();
  description.pszTemplate = MAKEINTRESOURCEA(page->GetTemplateId());
  description.pfnDlgProc = &CPropertyPage::PageDialogProc;
  description.lParam = reinterpret_cast<LPARAM>(page);
  if (!page->Title.IsEmpty()) {
    description.dwFlags |= PSP_USETITLE;
    description.pszTitle = page->Title.GetString();
  }
  return ::CreatePropertySheetPageA(&description);
}

BOOL CPropertySheet::Create(CWnd* parent, DWORD style, DWORD exStyle) {
  if (m_hWnd) return FALSE;
  if (parent) ParentWnd = parent;
  Style = style == static_cast<DWORD>(-1) ? DefaultModelessStyle : style;
  ExStyle = exStyle;

  std::vector<HPROPSHEETPAGE> handles;
  for (CPropertyPage* page : Pages) handles.push_back(MakePageHandle(page));

  PROPSHEETHEADERA header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_MODELESS | PSH_USECALLBACK;
  header.hwndParent = ParentWnd ? ParentWnd->GetSafeHwnd() : nullptr;
  header.hInstance = AfxGetResourceHandle();
  header.pszCaption = Caption.GetString();
  header.nPages = static_cast<UINT>(handles.size());
  header.nStartPage = StartPage < handles.size() ? StartPage : 0;
  header.phpage = handles.data();
  header.pfnCallback = &CPropertySheet::SheetCallback;

  pendingSheet = this;
  const INT_PTR created = ::PropertySheetA(&header);
  if (pendingSheet == this) pendingSheet = nullptr;
  return created != 0 && created != -1 && m_hWnd != nullptr;
}

int CALLBACK CPropertySheet::SheetCallback(HWND hwnd, UINT message, LPARAM lParam) {
  CPropertySheet* sheet = pendingSheet;
  if (!sheet) return 0;
  if (message == PSCB_PRECREATE && lParam) {
    SetTemplateStyle(reinterpret_cast<void*>(lParam), sheet->Style, sheet->ExStyle);
  } else if (message == PSCB_INITIALIZED) {
    pendingSheet = nullptr;
    if (sheet->SubclassWindow(hwnd)) sheet->OnInitDialog();
  }
  return 0;
}

BOOL CPropertySheet::OnInitDialog() {
  // A modeless sheet works without its buttons: each page applies its
  // changes itself, and the close box ends the sheet.
  RECT buttonRow{};
  bool haveRow = false;
  for (int id : {IDOK, IDCANCEL, ApplyNowButtonId, IDHELP}) {
    HWND button = ::GetDlgItem(m_hWnd, id);
    if (!button) continue;
    if (!haveRow) {
      ::GetWindowRect(button, &buttonRow);
      ScreenToClient(&buttonRow);
      haveRow = true;
    }
    ::ShowWindow(button, SW_HIDE);
    ::EnableWindow(button, FALSE);
  }
  if (haveRow) {
    RECT client{};
    GetClientRect(&client);
    RECT window{};
    GetWindowRect(&window);
    const int rowHeight = client.bottom - buttonRow.top;
    if (rowHeight > 0 && rowHeight < client.bottom)
      SetWindowPos(nullptr, 0, 0, window.right - window.left, window.bottom - window.top - rowHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The control sized its page area to hold the largest page below one row
  // of tabs: every later layout keeps an area that high.
  RECT area{};
  if (GetPageArea(area)) {
    PagesTop = area.top;
    PageAreaHeight = area.bottom - area.top;
    HaveLayout = true;
  }
  return TRUE;
}

bool CPropertySheet::GetPageArea(RECT& area) const {
  const HWND tab = GetTabControl();
  if (!tab) return false;
  ::GetClientRect(tab, &area);
  ::SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  ::MapWindowPoints(tab, m_hWnd, reinterpret_cast<POINT*>(&area), 2);
  return true;
}

void CPropertySheet::FitTabRows() {
  RECT area{};
  const HWND tab = GetTabControl();
  if (!HaveLayout || !GetPageArea(area)) return;
  // The pages already made stand where the rows of tabs left them; the
  // property-sheet control puts those it makes later below the rows there are.
  const int shift = area.top - PagesTop;
  if (shift != 0) {
    for (CPropertyPage* page : Pages) {
      if (!page->HasWindow()) continue;
      RECT rect{};
      page->GetWindowRect(&rect);
      ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
      page->SetWindowPos(nullptr, rect.left, rect.top + shift, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    PagesTop = area.top;
  }
  const int grow = PageAreaHeight - (area.bottom - area.top);
  if (grow == 0) return;
  RECT tabRect{};
  ::GetWindowRect(tab, &tabRect);
  ::SetWindowPos(tab, nullptr, 0, 0, tabRect.right - tabRect.left, tabRect.bottom - tabRect.top + grow,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT sheet{};
  GetWindowRect(&sheet);
  const int width = sheet.right - sheet.left;
  const int height = sheet.bottom - sheet.top + grow;
  int top = sheet.top;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (::GetMonitorInfoA(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& work = monitor.rcWork;
    if (top + height > work.bottom) top = std::max(static_cast<int>(work.top), static_cast<int>(work.bottom) - height);
  }
  SetWindowPos(nullptr, sheet.left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CPropertySheet::AddPage(CPropertyPage* page) {
  if (!page) return;
  Pages.push_back(page);
  if (m_hWnd) SendMessage(PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(MakePageHandle(page)));
}

void CPropertySheet::RemovePage(int index) {
  if (index < 0 || index >= GetPageCount()) return;
  if (m_hWnd) SendMessage(PSM_REMOVEPAGE, static_cast<WPARAM>(index), 0);
  Pages.erase(Pages.begin() + index);
}

void CPropertySheet::RemovePage(CPropertyPage* page) { RemovePage(GetPageIndex(page)); }

CPropertyPage* CPropertySheet::GetPage(int index) const {
  return index >= 0 && index < GetPageCount() ? Pages[static_cast<std::size_t>(index)] : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage* page) const {
  for (std::size_t i = 0; i < Pages.size(); ++i)
    if (Pages[i] == page) return static_cast<int>(i);
  return -1;
}

BOOL CPropertySheet::SetActivePage(int index) {
  if (index < 0 || index >= GetPageCount()) return FALSE;
  if (!m_hWnd) {
    StartPage = static_cast<UINT>(index);
    return TRUE;
  }
  return static_cast<BOOL>(SendMessage(PSM_SETCURSEL, static_cast<WPARAM>(index), 0));
}

int CPropertySheet::GetActiveIndex() const {
  if (!m_hWnd) return static_cast<int>(StartPage);
  HWND tab = GetTabControl();
  return tab ? static_cast<int>(::SendMessageA(tab, TCM_GETCURSEL, 0, 0)) : -1;
}

CPropertyPage* CPropertySheet::GetActivePage() const { return GetPage(GetActiveIndex()); }

HWND CPropertySheet::GetTabControl() const {
  return m_hWnd ? reinterpret_cast<HWND>(SendMessage(PSM_GETTABCONTROL)) : nullptr;
}

BOOL CPropertySheet::SetPageTitle(int index, LPCTSTR title) {
  HWND tab = GetTabControl();
  if (!tab) return FALSE;
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<LPSTR>(title ? title : "");
  return static_cast<BOOL>(
      ::SendMessageA(tab, TCM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}

BOOL CPropertySheet::HandleEnter(MSG* msg) {
  HWND focus = ::GetFocus();
  if (!focus || (focus != m_hWnd && !::IsChild(m_hWnd, focus))) return FALSE;
  // A control that takes Enter itself (a multi-line box, a list being edited) keeps it.
  const LRESULT wants = ::SendMessageA(focus, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
  if (wants & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return FALSE;
  HWND pageWindow = reinterpret_cast<HWND>(SendMessage(PSM_GETCURRENTPAGEHWND));
  if (pageWindow && ::IsChild(pageWindow, focus)) {
    if (auto* page = dynamic_cast<CPropertyPage*>(FromHandlePermanent(pageWindow))) page->OnEnterKey(focus);
  }
  // Handled either way: Enter must never reach the sheet's hidden OK button,
  // nor, on the tab row, any button at all.
  return TRUE;
}

HWND CPropertySheet::CurrentPageWindow() const {
  return m_hWnd ? reinterpret_cast<HWND>(SendMessage(PSM_GETCURRENTPAGEHWND)) : nullptr;
}

CPropertyPage* CPropertySheet::PageHolding(HWND control) const {
  for (CPropertyPage* page : Pages) {
    const HWND pageWindow = page->GetSafeHwnd();
    if (pageWindow && control && ::IsChild(pageWindow, control)) return page;
  }
  return nullptr;
}

void CPropertySheet::RememberFocus() {
  const HWND focus = ::GetFocus();
  const HWND shown = CurrentPageWindow();
  if (!focus || !shown || !::IsChild(shown, focus)) return;
  if (CPropertyPage* page = PageHolding(focus); page && page->GetSafeHwnd() == shown) page->LastFocus = focus;
}

HWND CPropertySheet::FocusShownPage() {
  const HWND shown = CurrentPageWindow();
  if (!shown) return nullptr;
  auto* page = dynamic_cast<CPropertyPage*>(FromHandlePermanent(shown));
  HWND target = page ? page->LastFocus : nullptr;
  const auto usable = [shown](HWND control) {
    return control && ::IsChild(shown, control) && ::IsWindowVisible(control) && ::IsWindowEnabled(control);
  };
  if (!usable(target)) target = ::GetNextDlgTabItem(shown, nullptr, FALSE);
  if (!usable(target)) target = GetTabControl();
  if (!target) return nullptr;
  // As the dialog's own Tab does: a box given the keyboard has its text selected.
  if (::SendMessageA(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) ::SendMessageA(target, EM_SETSEL, 0, -1);
  ::SetFocus(target);
  return ::GetFocus();
}

BOOL CPropertySheet::PreTranslateMessage(MSG* msg) {
  if (!m_hWnd) return FALSE;
  // A press of the mouse may take the keyboard away from the page (a click
  // on the tabs does): what it leaves is where the keyboard comes back to.
  if (msg->message == WM_LBUTTONDOWN || msg->message == WM_RBUTTONDOWN) RememberFocus();
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return FALSE;
  // Keys never act on a page that is not shown: the dialog's mnemonics would
  // otherwise find the hidden page's buttons first, and typing would go there.
  if (msg->hwnd == ::GetFocus()) {
    if (const CPropertyPage* holder = PageHolding(msg->hwnd); holder && holder->GetSafeHwnd() != CurrentPageWindow()) {
      if (HWND focus = FocusShownPage()) msg->hwnd = focus;
    }
  }
  RememberFocus();
  // The sheet's own buttons are gone: Enter is the page's to interpret.
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN && HandleEnter(msg)) return TRUE;
  // Tab, mnemonics and Ctrl+Tab between the pages.
  const HWND before = CurrentPageWindow();
  const BOOL handled = static_cast<BOOL>(SendMessage(PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(msg)));
  // Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PageDown and Ctrl+PageUp change the page
  // without moving the keyboard: it goes with the page shown.
  if (handled && m_hWnd && CurrentPageWindow() != before) {
    const HWND focus = ::GetFocus();
    if (focus && (focus == m_hWnd || ::IsChild(m_hWnd, focus))) FocusShownPage();
  }
  return handled;
}

void CPropertySheet::ScheduleEndCheck() {
  if (EndCheckPending || !m_hWnd) return;
  EndCheckPending = PostMessage(EndCheckMessage()) != FALSE;
}

LRESULT CPropertySheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == EndCheckMessage()) {
    EndCheckPending = false;
    // The property-sheet control ends a modeless sheet by giving up its
    // current page; the window itself is left to its owner.
    if (HasWindow() && !SendMessage(PSM_GETCURRENTPAGEHWND)) DestroyWindow();
    return 0;
  }
  if (message == WM_DPICHANGED && lParam) {
    // Moved to a monitor of another DPI: the system has scaled the pages'
    // fonts and suggests the rectangle that holds them there.
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
  }
  if (message == WM_CLOSE) {
    // Closing presses the hidden Cancel button.
    Closing = true;
    SendMessage(PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    Closing = false;
    ScheduleEndCheck();
    return 0;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == BN_CLICKED && !Closing) {
    // Esc reaches the sheet as its Cancel button; with the button gone only
    // the close box, the system menu and Alt+F4 end the sheet.
    HWND cancel = ::GetDlgItem(m_hWnd, IDCANCEL);
    if (cancel && !::IsWindowEnabled(cancel)) return 0;
  }
  HWND hwnd = m_hWnd;
  const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
  switch (message) {
    case WM_CLOSE:
    case WM_COMMAND:
    case WM_SYSCOMMAND:
    case PSM_PRESSBUTTON:
      // The message may have ended the sheet, and its handling may even have
      // destroyed the window and the object with it.
      if (FromHandlePermanent(hwnd) == this) ScheduleEndCheck();
      break;
    default:
      break;
  }
  return result;
}
