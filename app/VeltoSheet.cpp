#include "app/VeltoSheet.h"

#include "app/VeltoApp.h"
#include "framework/Profile.h"
#include "resources/resource.h"

IMPLEMENT_DYNAMIC(CVeltoSheet, CPropertySheet)

BEGIN_MESSAGE_MAP(CVeltoSheet, CPropertySheet)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
END_MESSAGE_MAP()

CKeepSheetActive::CKeepSheetActive(HWND sheet) {
  if (sheet && ::GetActiveWindow() == sheet) Sheet = sheet;
}

CKeepSheetActive::~CKeepSheetActive() {
  if (!Sheet || !::IsWindow(Sheet)) return;
  const HWND active = ::GetActiveWindow();
  if (active == Sheet) return;
  // Only a display is sent back: a window the operator asked for (a repeater)
  // keeps the keyboard.
  if (!active || dynamic_cast<CCounterWindow*>(CWnd::FromHandlePermanent(active))) ::SetActiveWindow(Sheet);
}

CVeltoSheet::CVeltoSheet() : CPropertySheet(IDS_SHEET_CAPTION, nullptr, 0) {
  SetupPage.ListControl.CounterList = &VeltoApp().CounterList;
  SetupPage.ListControl.Sheet = this;
  AddPage(&SetupPage);
  AddPage(&AboutPage);
  VeltoApp().CounterList.Load();
}

CVeltoSheet::~CVeltoSheet() {
  if (VeltoApp().Sheet == this) VeltoApp().Sheet = nullptr;
}

BOOL CVeltoSheet::OnInitDialog() {
  const BOOL result = CPropertySheet::OnInitDialog();
  const HICON icon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_VELTO));
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(GetStyle() | WS_MINIMIZEBOX));
  SetupPage.ListControl.LoadItems();
  RebuildCounterPages();
  return result;
}

namespace {

// A tab shows at most this many characters of a name: a longer one ends in
// "..." there, and stays whole in the Setup list and the display's title.
constexpr int TabNameLimit = 32;

// A tab shows "&" as the underline of the next letter; a counter's name is
// shown as the operator typed it ("Q&A"), so every "&" is doubled.
CString TabText(const CString& name) {
  CString shown = name;
  if (shown.GetLength() > TabNameLimit) {
    shown = shown.Left(TabNameLimit - 3);
    shown.TrimRight(' ');
    shown += "...";
  }
  CString text;
  for (int i = 0; i < shown.GetLength(); ++i) {
    if (shown.GetAt(i) == '&') text += '&';
    text += shown.GetAt(i);
  }
  return text;
}

}  // namespace

void CVeltoSheet::RebuildCounterPages() {
  const CKeepSheetActive keepActive(m_hWnd);
  // Redraw is switched off only on a window that is on the screen: switching
  // it back on would otherwise make a hidden window visible.
  const bool quiet = HasWindow() && IsWindowVisible();
  if (quiet) SetRedraw(FALSE);

  while (GetPageCount() > 1) RemovePage(1);
  CounterPages.clear();

  CProfileStore* profile = AfxGetProfile();
  int tab = 1;
  for (int32_t number : VeltoApp().CounterList) {
    auto page = std::make_shared<CCounterPage>(number);
    CounterPages.push_back(page);
    AddPage(page.get());
    const CString name =
        profile ? profile->GetProfileString(CounterSectionName(number), "Name", "Counter") : CString("Counter");
    SetPageTitle(tab++, TabText(name));
  }
  AddPage(&RemotePage);
  AddPage(&AboutPage);
  // The displays come after the sheet has its final height: with one monitor
  // each takes the screen above it.
  FitTabRows();
  for (const auto& page : CounterPages) page->Counter->CreateDisplay();

  if (quiet) {
    SetRedraw(TRUE);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
}

void CVeltoSheet::HideOtherCounters(CWnd* keep) {
  const HWND kept = keep ? keep->GetSafeHwnd() : nullptr;
  for (const auto& page : CounterPages) {
    CCounterWindow& window = page->Counter->Window;
    if (window.HasWindow() && window.GetSafeHwnd() != kept) window.ShowWindow(SW_HIDE);
  }
}

void CVeltoSheet::OnSysCommand(UINT nID, LPARAM lParam) {
  // The platform keeps the four low bits of the command for itself.
  const UINT command = nID & 0xFFF0;
  if (::GetSystemMetrics(SM_CMONITORS) == 1) {
    if (command == SC_MINIMIZE) {
      // While the controls are down, the displays fill the screen.
      for (const auto& page : CounterPages) {
        CCounterWindow& window = page->Counter->Window;
        if (!window.HasWindow()) continue;
        RECT workArea{};
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
        window.GetWindowRect(&window.RestoreRect);
        // Stretched is not where the display belongs: a click or Alt+F4
        // meanwhile stores the place it had.
        WINDOWPLACEMENT own{};
        if (!window.OwnPlacement && window.GetWindowPlacement(&own)) window.OwnPlacement = own;
        window.MoveWindow(workArea, TRUE);
      }
    } else if (command == SC_RESTORE) {
      for (const auto& page : CounterPages) {
        CCounterWindow& window = page->Counter->Window;
        window.OwnPlacement.reset();
        if (window.HasWindow() && !::IsRectEmpty(&window.RestoreRect)) window.MoveWindow(window.RestoreRect, TRUE);
      }
    }
  }
  CPropertySheet::OnSysCommand(nID, lParam);
}

void CVeltoSheet::OnPaint() {
  // The tab control and the pages paint themselves.
  PAINTSTRUCT paint;
  ::BeginPaint(m_hWnd, &paint);
  ::EndPaint(m_hWnd, &paint);
}

void CVeltoSheet::PostNcDestroy() {
  CPropertySheet::PostNcDestroy();
  delete this;
}
