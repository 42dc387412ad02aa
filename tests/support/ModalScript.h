#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Answers the modal dialogs that the code under test opens. Each step waits
// for a visible, enabled dialog of this thread with the given caption and
// then acts on it. The steps run from a thread timer, which every modal
// loop dispatches, so a step may itself open a further modal dialog. A
// dialog still open at the deadline is cancelled, so that a broken step
// fails the test instead of hanging it.
class ModalScript {
public:
  using Action = std::function<void(HWND dialog)>;

  explicit ModalScript(DWORD deadlineMs = 10000) : Deadline(::GetTickCount() + deadlineMs) {
    Current() = this;
    Timer = ::SetTimer(nullptr, 0, 40, &ModalScript::OnTimer);
  }
  ~ModalScript() {
    ::KillTimer(nullptr, Timer);
    if (Current() == this) Current() = nullptr;
  }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

  ModalScript& Then(const char* caption, Action action) {
    Steps.emplace_back(caption, std::move(action));
    return *this;
  }

  // Every step ran and no dialog had to be cancelled at the deadline.
  bool Finished() const { return Steps.empty() && !TimedOut; }
  std::string Waiting() const { return Steps.empty() ? std::string() : Steps.front().first; }

  // The visible, enabled dialog of this thread with this caption.
  static HWND FindDialog(const char* caption) {
    struct Search {
      const char* Caption;
      HWND Found;
    } search{caption, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lParam) -> BOOL {
          auto* s = reinterpret_cast<Search*>(lParam);
          char cls[32] = "", text[128] = "";
          ::GetClassNameA(hwnd, cls, sizeof cls);
          ::GetWindowTextA(hwnd, text, sizeof text);
          if (std::string(cls) == "#32770" && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd) &&
              std::string(text) == s->Caption) {
            s->Found = hwnd;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
  }

  // A button press as the dialog manager delivers it; posted, so that a
  // dialog the button opens runs from the dialog's own loop.
  static void Press(HWND dialog, int id) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
  }

private:
  static ModalScript*& Current() {
    thread_local ModalScript* current = nullptr;
    return current;
  }

  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    ModalScript* script = Current();
    if (!script) return;
    if (static_cast<LONG>(::GetTickCount() - script->Deadline) >= 0) {
      script->TimedOut = script->TimedOut || !script->Steps.empty() || CancelOpenDialogs();
      script->Steps.clear();
      return;
    }
    if (script->Steps.empty()) return;
    HWND dialog = FindDialog(script->Steps.front().first.c_str());
    if (!dialog) return;
    Action action = std::move(script->Steps.front().second);
    script->Steps.pop_front();
    action(dialog);
  }

  static bool CancelOpenDialogs() {
    bool any = false;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lParam) -> BOOL {
          char cls[32] = "";
          ::GetClassNameA(hwnd, cls, sizeof cls);
          if (std::string(cls) == "#32770" && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd) &&
              !(::GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD)) {
            // Only modal ones: the control sheet and repeaters have no Cancel button.
            if (::GetDlgItem(hwnd, IDCANCEL) && ::IsWindowVisible(::GetDlgItem(hwnd, IDCANCEL))) {
              ::PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
              *reinterpret_cast<bool*>(lParam) = true;
            }
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&any));
    return any;
  }

  std::deque<std::pair<std::string, Action>> Steps;
  DWORD Deadline;
  UINT_PTR Timer = 0;
  bool TimedOut = false;
};

// The colours of a window's client area as they are on the screen now.
class ClientPixels {
public:
  explicit ClientPixels(HWND window, const RECT* part = nullptr) {
    ::UpdateWindow(window);
    RECT client{};
    ::GetClientRect(window, &client);
    Area = part ? *part : client;
    Width = Area.right - Area.left;
    Height = Area.bottom - Area.top;
    if (Width <= 0 || Height <= 0) return;
    HDC source = ::GetDC(window);
    HDC memory = ::CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = Width;
    info.bmiHeader.biHeight = -Height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, Width, Height, source, Area.left, Area.top, SRCCOPY);
    ::GdiFlush();
    const auto* words = static_cast<const DWORD*>(bits);
    Pixels.assign(words, words + static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height));
    ::SelectObject(memory, previous);
    ::DeleteDC(memory);
    ::DeleteObject(bitmap);
    ::ReleaseDC(window, source);
  }

  int Width = 0;
  int Height = 0;
  RECT Area{};

  // x, y relative to the captured part.
  COLORREF At(int x, int y) const {
    const DWORD p =
        Pixels.at(static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x));
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // How many pixels of the rectangle (relative to the part) have this colour.
  int Count(COLORREF colour, RECT r) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (At(x, y) == colour) ++n;
    return n;
  }
  int Count(COLORREF colour) const { return Count(colour, RECT{0, 0, Width, Height}); }
  // The smallest rectangle holding every pixel of this colour (empty when none).
  RECT Bounds(COLORREF colour) const {
    RECT b{Width, Height, 0, 0};
    for (int y = 0; y < Height; ++y)
      for (int x = 0; x < Width; ++x)
        if (At(x, y) == colour) {
          if (x < b.left) b.left = x;
          if (y < b.top) b.top = y;
          if (x + 1 > b.right) b.right = x + 1;
          if (y + 1 > b.bottom) b.bottom = y + 1;
        }
    if (b.right <= b.left) b = RECT{0, 0, 0, 0};
    return b;
  }

private:
  std::vector<DWORD> Pixels;
};
