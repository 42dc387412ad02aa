#pragma once

#include <windows.h>

#include "framework/Profile.h"
#include "framework/RegKey.h"
#include "framework/String.h"

class CWnd;

// The application object: one per process, constructed before WinMain runs.
// Its profile functions keep the settings in the per-user registry under
// HKEY_CURRENT_USER\Software\<registry key>\<application name>, one subkey
// per section.
// A kernel object that the program's own message loop waits on beside its
// messages, served before any message as soon as it is signalled (the
// displays' clock); nullptr for none.
void AfxSetLoopWaitable(HANDLE handle, void (*onSignal)());

class CWinApp : public CProfileStore {
public:
  // appName null: the executable's base name (file name without directory
  // or extension).
  explicit CWinApp(LPCTSTR appName = nullptr);
  ~CWinApp() override;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Once, on the program's own start before InitInstance (a host that runs
  // InitInstance itself skips it). False ends the program at once with exit
  // code 0, before it has shown or stored anything.
  virtual BOOL InitApplication();
  virtual BOOL InitInstance();
  virtual int ExitInstance();
  // The message loop; returns ExitInstance's result when the quit message comes.
  virtual int Run();
  // Gives the windows under the message, innermost first, their keyboard
  // handling (dialog navigation) before the message is dispatched.
  virtual BOOL PreTranslateMessage(MSG* msg);

  void SetRegistryKey(LPCTSTR company);
  // HKEY_CURRENT_USER\Software\<company>\<application>, created if needed.
  RegKey GetAppRegistryKey();
  RegKey GetSectionKey(LPCTSTR section, bool create);

  UINT GetProfileInt(LPCTSTR section, LPCTSTR entry, int defaultValue) override;
  BOOL WriteProfileInt(LPCTSTR section, LPCTSTR entry, int value) override;
  CString GetProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR defaultValue = nullptr) override;
  // A null entry removes the whole section; a null value removes the entry.
  BOOL WriteProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR value) override;
  BOOL GetProfileBinary(LPCTSTR section, LPCTSTR entry, std::vector<BYTE>& data) override;
  BOOL WriteProfileBinary(LPCTSTR section, LPCTSTR entry, const BYTE* data, UINT bytes) override;
  BOOL DeleteProfileSection(LPCTSTR section) override;

  CString m_pszAppName;
  CString m_pszRegistryKey;
  CWnd* m_pMainWnd = nullptr;
  HINSTANCE m_hInstance = nullptr;
};

CWinApp* AfxGetApp();
// The program's entry: InitApplication, InitInstance, then the message loop.
int AfxWinMain();
// The running executable's file name without directory and extension.
CString AfxExecutableBaseName();
