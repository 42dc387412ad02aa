#pragma once

#include <windows.h>

#include <vector>

#include "counter/Counter.h"
#include "framework/Profile.h"
#include "framework/WinApp.h"

// Helpers of the display window tests.
namespace display_test {

// Delivers whatever is queued (paints, timer messages) without blocking.
inline void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

// Runs the message loop for about ms milliseconds.
inline void PumpFor(DWORD ms) {
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < ms) {
    Pump();
    ::Sleep(5);
  }
}

// Gives the window a client area of the given size, keeping its top-left corner.
inline void SetClientSize(CWnd& wnd, int width, int height) {
  RECT outer{}, client{};
  wnd.GetWindowRect(&outer);
  wnd.GetClientRect(&client);
  const int frameW = (outer.right - outer.left) - client.right;
  const int frameH = (outer.bottom - outer.top) - client.bottom;
  wnd.SetWindowPos(nullptr, outer.left, outer.top, width + frameW, height + frameH,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

// Paints the whole window now.
inline void PaintNow(CWnd& wnd) {
  ::RedrawWindow(wnd.GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

inline std::vector<BYTE> StoredPlacement(const CCounter& counter) {
  std::vector<BYTE> data;
  AfxGetProfile()->GetProfileBinary(counter.GetSectionName(), "WindowPlacement", data);
  return data;
}

inline LPARAM PointParam(int x, int y) {
  return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

// Bounding box of the pixels of dc inside area for which keep(colour) holds;
// empty when there is none.
template <typename Keep>
RECT PixelBounds(HDC dc, const RECT& area, Keep keep) {
  RECT box{area.right, area.bottom, area.left, area.top};
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (keep(::GetPixel(dc, x, y))) {
        if (x < box.left) box.left = x;
        if (y < box.top) box.top = y;
        if (x + 1 > box.right) box.right = x + 1;
        if (y + 1 > box.bottom) box.bottom = y + 1;
      }
  if (box.right <= box.left) return RECT{0, 0, 0, 0};
  return box;
}

inline bool IsBlack(COLORREF c) {
  return c == RGB(0, 0, 0);
}

}  // namespace display_test
