#include "app/VeltoApp.h"

#include "app/VeltoSheet.h"
#include "remote/RemoteControl.h"

#include <windows.h>

#include <commctrl.h>

CVeltoApp& VeltoApp() { return *static_cast<CVeltoApp*>(AfxGetApp()); }

CVeltoApp::CVeltoApp() : Expander(new ExpanderOutput) { AfxSetExpander(Expander); }

CVeltoApp::~CVeltoApp() {
  AfxSetExpander(nullptr);
  Expander->Close();
  delete Expander;
}

BOOL CVeltoApp::InitApplication() {
  // "Velto.exe /pause 1": a command for the running Velto, which this process
  // hands over and ends; it starts no Velto of its own.
  int exitCode = 0;
  if (CRemoteControl::RunCommandLine(exitCode)) ::ExitProcess(static_cast<UINT>(exitCode));
  // The running Velto may still be starting (no sheet yet) or just ending
  // (mark not yet given back): give either a moment.
  const DWORD started = ::GetTickCount();
  do {
    if (InstanceMark.Claim()) return TRUE;
    if (CInstanceMark::BringRunningSheetForward()) return FALSE;
    ::Sleep(50);
  } while (::GetTickCount() - started < 5000);
  return FALSE;
}

BOOL CVeltoApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = 0xFF;
  ::InitCommonControlsEx(&controls);
  CWinApp::InitInstance();
  SetRegistryKey("Halvorn Industries");

  Sheet = new CVeltoSheet;
  m_pMainWnd = Sheet;
  if (!Sheet->Create(nullptr, static_cast<DWORD>(-1), 0)) {
    // Without its control window the program has nothing to run.
    m_pMainWnd = nullptr;
    delete Sheet;
    Sheet = nullptr;
    return FALSE;
  }
  Sheet->ShowWindow(SW_SHOW);
  CRemoteControl::Instance().Open();
  InstanceMark.Publish(Sheet->GetSafeHwnd());
  return TRUE;
}

int CVeltoApp::ExitInstance() {
  CRemoteControl::Instance().Close();
  if (Sheet && Sheet->HasWindow()) Sheet->DestroyWindow();
  return CWinApp::ExitInstance();
}
