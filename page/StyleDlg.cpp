#include "page/StyleDlg.h"

#include "framework/CommonDialogs.h"
#include "framework/Gdi.h"
#include "resources/resource.h"

namespace {

constexpr char SampleText[] = "23:58";
// Only scalable screen fonts with a script of their own; the script cannot be chosen.
constexpr DWORD FontChoices = CF_SCREENFONTS | CF_SCRIPTSONLY | CF_SCALABLEONLY | CF_NOSCRIPTSEL;
// The size the font dialog opens at. The display never uses it: it always
// picks the largest height that fits.
constexpr LONG OpeningHeight = 20;

}  // namespace

IMPLEMENT_DYNAMIC(CStyleDlg, CDialog)

BEGIN_MESSAGE_MAP(CStyleDlg, CDialog)
ON_BN_CLICKED(IDC_CHANGE_FONT, OnChangeFont)
ON_BN_CLICKED(IDC_CHANGE_COLOUR, OnChangeColour)
ON_WM_PAINT()
END_MESSAGE_MAP()

CStyleDlg::CStyleDlg(CWnd* pParent) : CDialog(IDD_STYLE, pParent), Style(RGB(255, 255, 255)) {}

CStyleDlg::~CStyleDlg() { Style.Font.DeleteObject(); }

BOOL CStyleDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CenterOverOwner(m_hWnd);
  return TRUE;
}

RECT CStyleDlg::PreviewRect() const {
  RECT rect{0, 0, 0, 0};
  HWND preview = ::GetDlgItem(m_hWnd, IDC_STYLE_PREVIEW);
  if (!preview) return rect;
  ::GetWindowRect(preview, &rect);
  ScreenToClient(&rect);
  return rect;
}

void CStyleDlg::OnChangeFont() {
  CFontDialog dialog(&Style.LogFont, FontChoices, nullptr, this);
  Style.LogFont.lfHeight = OpeningHeight;
  if (dialog.DoModal() != IDOK) return;
  dialog.GetCurrentFont(&Style.LogFont);
  Style.FitLength = 0;
  InvalidateRect(nullptr, TRUE);
}

void CStyleDlg::OnChangeColour() {
  CColorDialog dialog(Style.Colour, 0, this);
  if (dialog.DoModal() != IDOK) return;
  Style.Colour = dialog.GetColor();
  InvalidateRect(nullptr, TRUE);
}

void CStyleDlg::OnPaint() {
  CPaintDC dc(this);
  const RECT rect = PreviewRect();
  const CString sample(SampleText);
  HFONT font = Style.FitFont(&dc, rect, sample);
  CSelectGuard selected(dc, font);
  // Opaque background: the sample stands on a black band, as on a display.
  ::SetBkColor(dc, RGB(0, 0, 0));
  ::SetBkMode(dc, OPAQUE);
  dc.SetTextColor(Style.Colour);
  dc.TextOut(rect.left, rect.top, sample);
}
