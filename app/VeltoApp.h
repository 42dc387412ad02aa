#pragma once

#include "app/CounterList.h"
#include "app/InstanceMark.h"
#include "device/ExpanderOutput.h"
#include "framework/WinApp.h"

class CVeltoSheet;

// The application: the counter list, the expander connection and the
// control sheet, which is the main window.
class CVeltoApp : public CWinApp {
public:
  CVeltoApp();
  ~CVeltoApp() override;

  // One Velto per session: a second start brings the first one's control
  // sheet forward and ends here.
  BOOL InitApplication() override;
  BOOL InitInstance() override;
  int ExitInstance() override;

  CCounterList CounterList;
  ExpanderOutput* Expander;
  CVeltoSheet* Sheet = nullptr;

private:
  CInstanceMark InstanceMark;
};

// The one application object.
CVeltoApp& VeltoApp();
