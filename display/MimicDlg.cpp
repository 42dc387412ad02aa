#include "display/MimicDlg.h"

#include "framework/Gdi.h"
#include "framework/Profile.h"
#include "page/CounterPage.h"
#include "resources/resource.h"

namespace {

constexpr UINT_PTR RepaintTimer = 1;
constexpr UINT RepaintPeriod = 500;

}  // namespace

IMPLEMENT_DYNAMIC(CMimicDlg, CDialog)

BEGIN_MESSAGE_MAP(CMimicDlg, CDialog)
ON_WM_NCDESTROY()
ON_WM_TIMER()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_CLOSE()
END_MESSAGE_MAP()

CMimicDlg::CMimicDlg(CCounterPage* pPage) : CDialog(IDD_REPEATER, nullptr), Page(pPage) {}

CMimicDlg::~CMimicDlg() {
  // Deleted without its window having gone first: the page must not keep
  // pointing here.
  if (Page && Page->Repeater == this) Page->Repeater = nullptr;
}

BOOL CMimicDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetTimer(RepaintTimer, RepaintPeriod, nullptr);
  CProfileStore* profile = AfxGetProfile();
  const CString section = Page->Counter->GetSectionName();
  SetWindowText(profile ? profile->GetProfileString(section, "Name", "Counter") : CString("Counter"));
  SetIcon(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_VELTO)), TRUE);
  PlaceBesideSheet();
  return TRUE;
}

void CMimicDlg::PlaceBesideSheet() {
  CWnd* sheet = AfxGetMainWnd();
  if (!sheet || !sheet->HasWindow()) return;
  RECT sheetRect{}, own{};
  sheet->GetWindowRect(&sheetRect);
  GetWindowRect(&own);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!::GetMonitorInfoA(::MonitorFromWindow(sheet->GetSafeHwnd(), MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  // Right of the sheet when there is room, else left of it, else over its
  // top-right corner; always wholly inside the work area.
  int x = sheetRect.right;
  if (x + width > work.right) x = sheetRect.left - width;
  if (x < work.left) x = sheetRect.right - width;
  int y = sheetRect.top;
  if (x + width > work.right) x = work.right - width;
  if (x < work.left) x = work.left;
  if (y + height > work.bottom) y = work.bottom - height;
  if (y < work.top) y = work.top;
  SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMimicDlg::OnTimer(UINT_PTR nIDEvent) {
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
  CDialog::OnTimer(nIDEvent);
}

BOOL CMimicDlg::OnEraseBkgnd(CDC*) {
  // The paint covers the whole client area.
  return FALSE;
}

void CMimicDlg::OnPaint() {
  CPaintDC dc(this);
  RECT client{};
  GetClientRect(&client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  CCounterWindow& display = Page->Counter->Window;
  display.CaptureSnapshot();
  // Until the display has ever been seen there is no picture: show black, as
  // an empty display would.
  if (!display.Snapshot.Draw(dc, 0, 0, width, height)) dc.PatBlt(0, 0, width, height, BLACKNESS);
}

void CMimicDlg::OnClose() {
  // Destroying the window ends this object (OnNcDestroy), so nothing may
  // follow; the dialog manager's own close would end it the same way.
  DestroyWindow();
}

void CMimicDlg::OnNcDestroy() {
  CCounterPage* page = Page;
  CWnd::OnNcDestroy();
  // Only an open repeater needs the display's snapshot (a full-size image).
  if (page && page->Counter) page->Counter->Window.ReleaseSnapshot();
  if (page && page->Repeater == this) page->Repeater = nullptr;
  Page = nullptr;
  delete this;
}
