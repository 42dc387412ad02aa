#pragma once

#include <windows.h>

#include "framework/Dialog.h"

// "Ticker Colour": whether the ticker takes the colour of the digits, and the
// fixed colour it has otherwise. The caller sets both members before DoModal
// and reads both after OK.
class CTickerStyleDialog : public CDialog {
  DECLARE_DYNAMIC(CTickerStyleDialog)

public:
  explicit CTickerStyleDialog(CWnd* pParent = nullptr);
  ~CTickerStyleDialog() override;

  COLORREF FixedColour = RGB(255, 255, 255);
  BOOL FollowColour = TRUE;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;

  void OnFollowColour();
  void OnFixedColour();
  // The fixed colour is offered only while the ticker does not follow the digits.
  void ApplyFollowRule();

  DECLARE_MESSAGE_MAP()
};
