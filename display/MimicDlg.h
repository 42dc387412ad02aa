#pragma once

#include <windows.h>

#include "framework/Dialog.h"

class CCounterPage;

// The repeater: a small resizable window on the operator's screen that
// mirrors one counter's display, redrawn twice a second from a snapshot of
// the display stretched over its whole client area. Opened by its counter
// page, one per page; it deletes itself when its window goes, and its page
// closes it before the page itself goes.
class CMimicDlg : public CDialog {
  DECLARE_DYNAMIC(CMimicDlg)

public:
  explicit CMimicDlg(CCounterPage* pPage);
  ~CMimicDlg() override;

  CCounterPage* Page;

protected:
  BOOL OnInitDialog() override;

  void OnNcDestroy();
  void OnTimer(UINT_PTR nIDEvent);
  void OnPaint();
  BOOL OnEraseBkgnd(CDC* pDC);
  void OnClose();

  DECLARE_MESSAGE_MAP()

private:
  // Next to the control sheet, on the sheet's own monitor.
  void PlaceBesideSheet();
};
