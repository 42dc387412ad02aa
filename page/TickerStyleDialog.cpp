#include "page/TickerStyleDialog.h"

#include "framework/CommonDialogs.h"
#include "resources/resource.h"

IMPLEMENT_DYNAMIC(CTickerStyleDialog, CDialog)

BEGIN_MESSAGE_MAP(CTickerStyleDialog, CDialog)
ON_BN_CLICKED(IDC_FOLLOW_COLOUR, OnFollowColour)
ON_BN_CLICKED(IDC_FIXED_COLOUR, OnFixedColour)
END_MESSAGE_MAP()

CTickerStyleDialog::CTickerStyleDialog(CWnd* pParent) : CDialog(IDD_TICKER_COLOUR, pParent) {}

CTickerStyleDialog::~CTickerStyleDialog() = default;

void CTickerStyleDialog::DoDataExchange(CDataExchange* pDX) { DDX_Check(pDX, IDC_FOLLOW_COLOUR, FollowColour); }

BOOL CTickerStyleDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  ApplyFollowRule();
  CenterOverOwner(m_hWnd);
  return TRUE;
}

void CTickerStyleDialog::OnFollowColour() {
  UpdateData(TRUE);
  ApplyFollowRule();
}

void CTickerStyleDialog::ApplyFollowRule() { EnableDlgItem(IDC_FIXED_COLOUR, FollowColour == 0 ? TRUE : FALSE); }

void CTickerStyleDialog::OnFixedColour() {
  CColorDialog dialog(FixedColour, 0, this);
  if (dialog.DoModal() != IDOK) return;
  FixedColour = dialog.GetColor();
  InvalidateRect(nullptr, TRUE);
}
