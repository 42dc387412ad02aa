// Keeps Wine's desktop process alive for a whole test run. Without a
// long-lived window program, every test process starts the desktop anew
// (about a second each), and the desktop, started under the test runner,
// holds its output pipe open. Owns one hidden window and waits until killed.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = ::DefWindowProcA;
  wc.hInstance = instance;
  wc.lpszClassName = "VeltoTestKeepAlive";
  ::RegisterClassA(&wc);
  ::CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  return 0;
}
