#include "app/VeltoApp.h"

#include <windows.h>
#include <commctrl.h>

CVeltoApp& VeltoApp() {
  return *static_cast<CVeltoApp*>(AfxGetApp());
}

CVeltoApp::CVeltoApp() : Expander(new ExpanderOutput) {
  AfxSetExpander(Expander);
}

CVeltoApp::~CVeltoApp() {
  AfxSetExpander(nullptr);
  Expander->Close();
  delete Expander;
}

BOOL CVeltoApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = 0xFF;
  ::InitCommonControlsEx(&controls);
  CWinApp::InitInstance();
  SetRegistryKey("Halvorn Industries");
  // The control sheet comes with the next step of the program; until then
  // the program ends here, having touched nothing.
  return FALSE;
}

int CVeltoApp::ExitInstance() {
  return CWinApp::ExitInstance();
}
