#pragma once

#include "app/CounterList.h"
#include "device/ExpanderOutput.h"
#include "framework/WinApp.h"

class CVeltoSheet;

// The application: the counter list, the expander connection and the
// control sheet, which is the main window.
class CVeltoApp : public CWinApp {
public:
  CVeltoApp();
  ~CVeltoApp() override;

  BOOL InitInstance() override;
  int ExitInstance() override;

  CCounterList CounterList;
  ExpanderOutput* Expander;
  CVeltoSheet* Sheet = nullptr;
};

// The one application object.
CVeltoApp& VeltoApp();
