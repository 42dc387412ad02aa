#pragma once

#include <windows.h>

#include "counter/TextStyle.h"
#include "framework/Dialog.h"

// "Counter Style": the font and colour of one kind of digits, previewed on
// the sample "23:58" as the display would show it, on black. Works on its
// own copy of the style; the caller fills Style.LogFont and Style.Colour
// before DoModal and reads them back after OK.
class CStyleDlg : public CDialog {
  DECLARE_DYNAMIC(CStyleDlg)

public:
  explicit CStyleDlg(CWnd* pParent = nullptr);
  ~CStyleDlg() override;

  TextStyle Style;

  // The preview's rectangle in the dialog's client coordinates.
  RECT PreviewRect() const;

protected:
  BOOL OnInitDialog() override;

  void OnChangeFont();
  void OnChangeColour();
  void OnPaint();

  DECLARE_MESSAGE_MAP()
};
