#include "framework/MessageBox.h"

#include <utility>

#include "framework/WinApp.h"
#include "framework/Wnd.h"

namespace {

MessageBoxHook& InstalledHook() {
  static MessageBoxHook hook;
  return hook;
}

HWND MessageBoxOwner() {
  HWND active = ::GetActiveWindow();
  if (active && ::GetWindowThreadProcessId(active, nullptr) == ::GetCurrentThreadId()) return active;
  CWnd* main = AfxGetMainWnd();
  return main ? main->GetSafeHwnd() : nullptr;
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
