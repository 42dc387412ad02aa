#include "framework/WinApp.h"

#include <string>
#include <vector>

#include "framework/Wnd.h"

namespace {
CWinApp* theApplication = nullptr;
HANDLE loopWaitable = nullptr;
void (*loopWaitableSignalled)() = nullptr;
}  // namespace

void AfxSetLoopWaitable(HANDLE handle, void (*onSignal)()) {
  loopWaitable = handle;
  loopWaitableSignalled = onSignal;
}

CWinApp* AfxGetApp() { return theApplication; }

CString AfxExecutableBaseName() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD got = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (got == 0) return CString();
    if (got < path.size()) {
      path.resize(got);
      break;
    }
    path.resize(path.size() * 2);
  }
  std::string name(path.begin(), path.end());
  const std::size_t slash = name.find_last_of("\\/:");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return CString(name);
}

CWinApp::CWinApp(LPCTSTR appName) : m_pszAppName(appName ? CString(appName) : AfxExecutableBaseName()) {
  theApplication = this;
  AfxSetProfile(this);
}

CWinApp::~CWinApp() {
  if (AfxGetProfile() == this) AfxSetProfile(nullptr);
  if (theApplication == this) theApplication = nullptr;
}

BOOL CWinApp::InitApplication() { return TRUE; }

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

BOOL CWinApp::PreTranslateMessage(MSG* msg) {
  for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
    if (CWnd* wnd = CWnd::FromHandlePermanent(hwnd)) {
      if (wnd->PreTranslateMessage(msg)) return TRUE;
    }
  }
  return FALSE;
}

int CWinApp::Run() {
  MSG msg{};
  for (;;) {
    if (loopWaitable) {
      // The object comes first: a deadline is served at once, however many
      // messages keep arriving. Otherwise one message at a time.
      const DWORD woke = ::MsgWaitForMultipleObjectsEx(1, &loopWaitable, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      if (woke == WAIT_OBJECT_0) {
        if (loopWaitableSignalled) loopWaitableSignalled();
        CWnd::DeleteTempMap();
        continue;
      }
      if (woke == WAIT_FAILED) {
        loopWaitable = nullptr;  // the messages alone, as without one
        continue;
      }
      if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) continue;
      if (msg.message == WM_QUIT) break;
    } else {
      const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
      if (got == 0 || got == -1) break;
    }
    if (!PreTranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    // Temporary wrappers live for one message's handlers at most. Letting
    // them go here costs nothing when there are none; asking whether the
    // queue is empty would cost a trip to the system on every message.
    CWnd::DeleteTempMap();
  }
  CWnd::DeleteTempMap();
  return ExitInstance();
}

void CWinApp::SetRegistryKey(LPCTSTR company) { m_pszRegistryKey = company ? company : ""; }

RegKey CWinApp::GetAppRegistryKey() {
  if (m_pszRegistryKey.IsEmpty() || m_pszAppName.IsEmpty()) return RegKey();
  const CString path = "Software\\" + m_pszRegistryKey + "\\" + m_pszAppName;
  return RegKey::Open(HKEY_CURRENT_USER, path, true);
}

RegKey CWinApp::GetSectionKey(LPCTSTR section, bool create) {
  if (!section) return RegKey();
  RegKey app = GetAppRegistryKey();
  return RegKey::Open(app.Get(), section, create);
}

UINT CWinApp::GetProfileInt(LPCTSTR section, LPCTSTR entry, int defaultValue) {
  DWORD value = 0;
  if (GetSectionKey(section, false).QueryDword(entry, value)) return value;
  return static_cast<UINT>(defaultValue);
}

BOOL CWinApp::WriteProfileInt(LPCTSTR section, LPCTSTR entry, int value) {
  return GetSectionKey(section, true).SetDword(entry, static_cast<DWORD>(value));
}

CString CWinApp::GetProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR defaultValue) {
  std::string value;
  if (GetSectionKey(section, false).QueryString(entry, value)) return CString(std::move(value));
  return CString(defaultValue);
}

BOOL CWinApp::WriteProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR value) {
  if (!entry) return DeleteProfileSection(section);
  RegKey key = GetSectionKey(section, true);
  if (!value) return key.DeleteValue(entry);
  return key.SetString(entry, value);
}

BOOL CWinApp::GetProfileBinary(LPCTSTR section, LPCTSTR entry, std::vector<BYTE>& data) {
  data.clear();
  return GetSectionKey(section, false).QueryBinary(entry, data);
}

BOOL CWinApp::WriteProfileBinary(LPCTSTR section, LPCTSTR entry, const BYTE* data, UINT bytes) {
  return GetSectionKey(section, true).SetBinary(entry, data, bytes);
}

BOOL CWinApp::DeleteProfileSection(LPCTSTR section) {
  if (!section) return FALSE;
  RegKey app = GetAppRegistryKey();
  return app.IsOpen() && ::RegDeleteKeyA(app.Get(), section) == ERROR_SUCCESS;
}

int AfxWinMain() {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  app->m_hInstance = ::GetModuleHandleA(nullptr);
  if (!app->InitApplication()) return 0;
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}
