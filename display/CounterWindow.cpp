#include "display/CounterWindow.h"

#include <mmsystem.h>

#include "counter/Counter.h"

IMPLEMENT_DYNAMIC(CCounterWindow, CWnd)

BEGIN_MESSAGE_MAP(CCounterWindow, CWnd)
  ON_WM_PAINT()
  ON_WM_TIMER()
END_MESSAGE_MAP()

CCounterWindow::CCounterWindow() {
  // The 30 ms timer and the ticker clock need 1 ms resolution. Every request
  // is paired with a release in the destructor.
  TimerResolutionRequested = ::timeBeginPeriod(1) == TIMERR_NOERROR;
}

CCounterWindow::~CCounterWindow() {
  if (TimerResolutionRequested) ::timeEndPeriod(1);
}

void CCounterWindow::CreateDisplay(CCounter* pCounter, CString strName) {
  Counter = pCounter;
  const RECT rect{0, 0, 640, 360};
  LPCTSTR windowClass =
      AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW), nullptr, nullptr);
  if (!CreateEx(0, windowClass, "Velto - " + strName, WS_POPUP | WS_BORDER | WS_SYSMENU | WS_THICKFRAME, rect,
                nullptr, 0, nullptr))
    return;
  ShowWindow(SW_SHOW);
  SetTimer(1, 30, nullptr);
}

void CCounterWindow::CreateTickerFont(int nClientHeight) {
  const int divisor = Counter && Counter->TickerSize == 1 ? 12 : Counter && Counter->TickerSize == 2 ? 6 : 16;
  TickerHeight = nClientHeight / divisor;
  TickerFont.CreateFont(TickerHeight, 0, 0, 0, 0, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
}

CString CCounterWindow::GetTickerText() const {
  return Counter ? Counter->Ticker : CString();
}

void CCounterWindow::OnTimer(UINT_PTR nIDEvent) {
  if (Counter) Counter->Tick();
  CWnd::OnTimer(nIDEvent);
}

void CCounterWindow::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(m_hWnd, &ps);
  ::PatBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left, ps.rcPaint.bottom - ps.rcPaint.top,
           BLACKNESS);
  ::EndPaint(m_hWnd, &ps);
}

void CCounterWindow::SetTransparent(bool bTransparent) {
  Transparent = bTransparent;
  if (!HasWindow()) return;
  if (bTransparent) {
    ModifyStyleEx(0, WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(m_hWnd, RGB(0, 0, 0), 0, LWA_COLORKEY);
    ModifyStyle(WS_THICKFRAME, 0, SWP_FRAMECHANGED);
  } else {
    ModifyStyleEx(WS_EX_LAYERED, 0);
    ModifyStyle(0, WS_THICKFRAME, SWP_FRAMECHANGED);
  }
}
