#pragma once

#include <memory>
#include <vector>

#include "about/AboutPage.h"
#include "app/SetupPage.h"
#include "framework/PropertySheet.h"
#include "page/CounterPage.h"
#include "remote/RemoteControl.h"

// Displays appear behind the operator's keyboard: whatever creates or shows
// displays while one of these lives, the sheet is the active window again at
// its end if it was at its start.
class CKeepSheetActive {
public:
  explicit CKeepSheetActive(HWND sheet);
  ~CKeepSheetActive();
  CKeepSheetActive(const CKeepSheetActive&) = delete;
  CKeepSheetActive& operator=(const CKeepSheetActive&) = delete;

private:
  HWND Sheet = nullptr;
};

// The control sheet "Velto Controls", the program's main window: the Setup
// page, one page per counter in counter-list order, and the About page. It
// owns the counter pages and through them every counter and display, and it
// deletes itself when its window is destroyed.
class CVeltoSheet : public CPropertySheet {
  DECLARE_DYNAMIC(CVeltoSheet)

public:
  CVeltoSheet();
  ~CVeltoSheet() override;

  BOOL OnInitDialog() override;
  // Every counter page, counter and display anew from the counter list.
  void RebuildCounterPages();
  // Hides the display of every counter whose display is not keep.
  void HideOtherCounters(CWnd* keep);

  std::vector<std::shared_ptr<CCounterPage>> CounterPages;
  CAboutPage AboutPage;
  CSetupPage SetupPage;
  CRemotePage RemotePage;

protected:
  void PostNcDestroy() override;
  void OnSysCommand(UINT nID, LPARAM lParam);
  void OnPaint();

  DECLARE_MESSAGE_MAP()
};
