#include "framework/MessageBox.h"

#include <utility>

#include "framework/WinApp.h"
#include "framework/Wnd.h"

namespace {

MessageBoxHook& InstalledHook() {
  static MessageBoxHook hook;
  return hook;
}

// The question belongs to the program's main window while it is on the
// screen (a display window may be the active one), else to the active window.
HWND MessageBoxOwner() {
  CWnd* main = AfxGetMainWnd();
  if (main && main->HasWindow() && main->IsWindowVisible()) return main->GetSafeHwnd();
  return ::GetActiveWindow();
}

}  // namespace

MessageBoxHook AfxSetMessageBoxHook(MessageBoxHook hook) { return std::exchange(InstalledHook(), std::move(hook)); }

int AfxMessageBox(LPCTSTR text, UINT type, UINT) {
  MessageBoxRequest request;
  request.Owner = MessageBoxOwner();
  request.Text = text ? text : "";
  CWinApp* app = AfxGetApp();
  request.Caption = app ? app->m_pszAppName : AfxExecutableBaseName();
  request.Type = type;
  if (const MessageBoxHook& hook = InstalledHook()) return hook(request);
  return ::MessageBoxA(request.Owner, request.Text, request.Caption, request.Type);
}

int AfxMessageBox(UINT promptId, UINT type, UINT helpId) {
  char text[1024] = "";
  ::LoadStringA(AfxGetResourceHandle(), promptId, text, sizeof text);
  return AfxMessageBox(text, type, helpId);
}
