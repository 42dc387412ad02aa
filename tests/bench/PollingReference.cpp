// The yardstick of tools/bench.py: the same visible work as Velto's displays,
// done the simple way. N full-screen windows, each with its own 30 ms timer;
// each counts seconds up on a 1000 ms grid and invalidates the whole window
// when one is counted, and invalidates its ticker strip at every timer
// message; WM_PAINT draws into a back buffer of client size, clipped to the
// invalid area (black, the fitted digits, the ticker), and copies it out.
// With --idle the windows are shown once and nothing more happens: what Wine
// and the X server cost a program that only has its windows up.
//
//   velto_polling_reference --windows N [--no-ticker | --idle] [--seconds S] [--tag T]

#include <windows.h>

#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const TickerText = "The next session starts in the main hall right after the break";

struct Display {
  HWND Window = nullptr;
  HDC BackDC = nullptr;
  HBITMAP BackBitmap = nullptr;
  HGDIOBJ OldBitmap = nullptr;
  HFONT DigitFont = nullptr;
  HFONT TickerFont = nullptr;
  int TickerHeight = 0;
  int Width = 0, Height = 0;
  DWORD NextSecond = 0;
  int Elapsed = 0;
  double TickerOffset = 0.0;
  DWORD LastPaint = 0;
};

bool withTicker = true;
bool idle = false;
std::vector<Display> displays;

Display* Find(HWND window) {
  for (Display& display : displays)
    if (display.Window == window) return &display;
  return nullptr;
}

std::string DigitsOf(const Display& display) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", display.Elapsed / 60 % 100, display.Elapsed % 60);
  return text;
}

void Resize(Display& display, int width, int height) {
  if (display.BackDC) {
    ::SelectObject(display.BackDC, display.OldBitmap);
    ::DeleteDC(display.BackDC);
    ::DeleteObject(display.BackBitmap);
    display.BackDC = nullptr;
  }
  if (display.DigitFont) ::DeleteObject(display.DigitFont);
  if (display.TickerFont) ::DeleteObject(display.TickerFont);
  display.DigitFont = display.TickerFont = nullptr;
  display.Width = width;
  display.Height = height;
  if (width <= 0 || height <= 0) return;
  HDC screen = ::GetDC(display.Window);
  display.BackDC = ::CreateCompatibleDC(screen);
  display.BackBitmap = ::CreateCompatibleBitmap(screen, width, height);
  ::ReleaseDC(display.Window, screen);
  display.OldBitmap = ::SelectObject(display.BackDC, display.BackBitmap);
  ::SetBkMode(display.BackDC, TRANSPARENT);
  // The largest digits that fit, searched once per size.
  const std::string sample = "00:00";
  for (int h = height; h > 10; h -= 2) {
    HFONT font = ::CreateFontA(h, 0, 0, 0, 0, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
    HGDIOBJ old = ::SelectObject(display.BackDC, font);
    SIZE extent{};
    ::GetTextExtentPoint32A(display.BackDC, sample.c_str(), static_cast<int>(sample.size()), &extent);
    ::SelectObject(display.BackDC, old);
    if (extent.cx < width && extent.cy < height) {
      display.DigitFont = font;
      break;
    }
    ::DeleteObject(font);
  }
  display.TickerHeight = height / 16;
  display.TickerFont =
      ::CreateFontA(display.TickerHeight, 0, 0, 0, 0, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
}

void Paint(Display& display) {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(display.Window, &paint);
  if (display.BackDC) {
    HDC back = display.BackDC;
    ::SelectClipRgn(back, nullptr);
    ::IntersectClipRect(back, paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom);
    ::PatBlt(back, 0, 0, display.Width, display.Height, BLACKNESS);
    RECT client{0, 0, display.Width, display.Height};
    const std::string digits = DigitsOf(display);
    ::SetTextColor(back, RGB(0, 255, 0));
    HGDIOBJ old = ::SelectObject(back, display.DigitFont);
    ::DrawTextA(back, digits.c_str(), static_cast<int>(digits.size()), &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::SelectObject(back, old);
    const DWORD now = ::timeGetTime();
    int elapsed = static_cast<int>(now - display.LastPaint);
    display.LastPaint = now;
    if (elapsed < 0) elapsed = 0;
    if (elapsed > 1000) elapsed = 1000;
    if (withTicker) {
      display.TickerOffset += display.Width / 1000.0 * elapsed * 0.1;
      old = ::SelectObject(back, display.TickerFont);
      const int length = static_cast<int>(std::strlen(TickerText));
      SIZE extent{};
      ::GetTextExtentPoint32A(back, TickerText, length, &extent);
      const int x = display.Width - static_cast<int>(display.TickerOffset + 0.5);
      if (x + extent.cx <= 0) display.TickerOffset = 0.0;
      ::TextOutA(back, x, display.Height - display.TickerHeight - 10, TickerText, length);
      ::SelectObject(back, old);
    }
    ::BitBlt(dc, 0, 0, display.Width, display.Height, back, 0, 0, SRCCOPY);
  }
  ::EndPaint(display.Window, &paint);
}

void OnTimer(Display& display) {
  const DWORD now = ::GetTickCount();
  if (static_cast<int32_t>(now - display.NextSecond) >= 0) {
    ++display.Elapsed;
    display.NextSecond += 1000;
    ::InvalidateRect(display.Window, nullptr, TRUE);
  }
  if (withTicker) {
    RECT strip{0, display.Height - 2 * display.TickerHeight, display.Width, display.Height};
    ::InvalidateRect(display.Window, &strip, TRUE);
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Display* display = Find(window);
  switch (message) {
    case WM_SIZE:
      if (display) Resize(*display, LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_PAINT:
      if (display) {
        Paint(*display);
        return 0;
      }
      break;
    case WM_TIMER:
      if (display) OnTimer(*display);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  int count = 1;
  double seconds = 30;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--windows" && i + 1 < argc) {
      count = std::atoi(argv[++i]);
    } else if (arg == "--seconds" && i + 1 < argc) {
      seconds = std::atof(argv[++i]);
    } else if (arg == "--no-ticker") {
      withTicker = false;
    } else if (arg == "--idle") {
      idle = true;
      withTicker = false;
    } else if (arg == "--tag" && i + 1 < argc) {
      ++i;  // only marks the process for the benchmark script
    } else {
      std::fprintf(stderr, "usage: velto_polling_reference --windows N [--no-ticker | --idle] [--seconds S]\n");
      return 2;
    }
  }
  if (count < 1 || count > 30) return 2;
  ::timeBeginPeriod(1);
  WNDCLASSA windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = "PollingReference";
  ::RegisterClassA(&windowClass);
  const int width = ::GetSystemMetrics(SM_CXSCREEN);
  const int height = ::GetSystemMetrics(SM_CYSCREEN);
  displays.resize(static_cast<std::size_t>(count));
  for (Display& display : displays) {
    display.Window = ::CreateWindowExA(0, "PollingReference", "Reference", WS_POPUP | WS_BORDER | WS_THICKFRAME, 0, 0,
                                       width, height, nullptr, nullptr, windowClass.hInstance, nullptr);
    RECT client{};
    ::GetClientRect(display.Window, &client);
    Resize(display, client.right, client.bottom);
    display.NextSecond = ::GetTickCount() + 1000;
    display.LastPaint = ::timeGetTime();
    ::ShowWindow(display.Window, SW_SHOW);
    if (!idle) ::SetTimer(display.Window, 1, 30, nullptr);
  }
  std::printf("bench: %d windows, %s, for %.0f s\n", count, idle ? "idle" : withTicker ? "with ticker" : "no ticker",
              seconds);
  std::fflush(stdout);
  ::SetTimer(nullptr, 0, static_cast<UINT>(seconds * 1000), [](HWND, UINT, UINT_PTR, DWORD) { ::PostQuitMessage(0); });
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  for (Display& display : displays) ::DestroyWindow(display.Window);
  ::timeEndPeriod(1);
  return 0;
}
