#include "framework/CommonDialogs.h"

#include "framework/Wnd.h"

namespace {

CFontDialog::Chooser& FontChooser() {
  static CFontDialog::Chooser chooser;
  return chooser;
}

CColorDialog::Chooser& ColourChooser() {
  static CColorDialog::Chooser chooser;
  return chooser;
}

// The window that owns a common dialog: the given parent's top-level window,
// else the main window, so that the dialog is modal to what the operator sees.
HWND OwnerFor(CWnd* parent) {
  HWND owner = parent ? parent->GetSafeHwnd() : nullptr;
  if (!owner && AfxGetMainWnd()) owner = AfxGetMainWnd()->GetSafeHwnd();
  return owner;
}

}  // namespace

void CenterOverOwner(HWND dialog) {
  HWND owner = ::GetWindow(dialog, GW_OWNER);
  if (!owner) return;
  RECT ownerRect{}, own{};
  ::GetWindowRect(owner, &ownerRect);
  ::GetWindowRect(dialog, &own);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  int x = ownerRect.left + ((ownerRect.right - ownerRect.left) - width) / 2;
  int y = ownerRect.top + ((ownerRect.bottom - ownerRect.top) - height) / 2;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (::GetMonitorInfoA(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& work = monitor.rcWork;
    if (x + width > work.right) x = work.right - width;
    if (y + height > work.bottom) y = work.bottom - height;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
  }
  ::SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CFontDialog::CFontDialog(LOGFONT* lplfInitial, DWORD dwFlags, HDC hdcPrinter, CWnd* pParentWnd)
    : ParentWnd(pParentWnd) {
  m_cf.lStructSize = sizeof m_cf;
  m_cf.hDC = hdcPrinter;
  m_cf.lpLogFont = lplfInitial;
  m_cf.Flags = dwFlags | (lplfInitial ? CF_INITTOLOGFONTSTRUCT : 0);
}

void CFontDialog::SetChooser(Chooser chooser) { FontChooser() = std::move(chooser); }

INT_PTR CFontDialog::DoModal() {
  if (!m_cf.lpLogFont) return IDCANCEL;
  m_cf.hwndOwner = OwnerFor(ParentWnd);
  const BOOL chosen = FontChooser() ? FontChooser()(m_cf) : ::ChooseFontA(&m_cf);
  return chosen ? IDOK : IDCANCEL;
}

void CFontDialog::GetCurrentFont(LPLOGFONT lplf) const {
  if (lplf && m_cf.lpLogFont && lplf != m_cf.lpLogFont) *lplf = *m_cf.lpLogFont;
}

CColorDialog::CColorDialog(COLORREF clrInit, DWORD dwFlags, CWnd* pParentWnd) : ParentWnd(pParentWnd) {
  m_cc.lStructSize = sizeof m_cc;
  m_cc.rgbResult = clrInit;
  m_cc.lpCustColors = GetSavedCustomColors();
  // Opened on the current colour, with the mixer shown: a stage colour is
  // usually chosen by eye rather than from the basic swatches.
  m_cc.Flags = dwFlags | CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
}

COLORREF* CColorDialog::GetSavedCustomColors() {
  static COLORREF custom[16] = {
      RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
      RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
      RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
      RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
  };
  return custom;
}

void CColorDialog::SetChooser(Chooser chooser) { ColourChooser() = std::move(chooser); }

INT_PTR CColorDialog::DoModal() {
  m_cc.hwndOwner = OwnerFor(ParentWnd);
  const COLORREF initial = m_cc.rgbResult;
  const BOOL chosen = ColourChooser() ? ColourChooser()(m_cc) : ::ChooseColorA(&m_cc);
  if (!chosen) m_cc.rgbResult = initial;
  return chosen ? IDOK : IDCANCEL;
}
