// Drives a running Velto from outside, as an operator's clicks would, for
// the screenshot script and the installer test. Each argument is one step:
//   page:N      select tab N (0 is Setup)
//   start:N     select tab N and press Start (likewise pause:N, flash:N)
//   ticker:N    select tab N and put the focus into its ticker text
//   wait:MS     let the program run for MS milliseconds
//   rect        print the control sheet's rectangle and the active page's
//               right edge in screen pixels: "left top right bottom pageRight"
//   close       close the control sheet as the operator would and wait until
//               the program's windows are gone
// Exit code 0 when every step found what it needed.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "resources/resource.h"

namespace {

HWND FindSheet() {
  for (int i = 0; i < 100; ++i) {
    if (HWND sheet = ::FindWindowA(nullptr, "Velto Controls")) return sheet;
    ::Sleep(100);
  }
  return nullptr;
}

HWND SelectPage(HWND sheet, int index) {
  ::SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
  return reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

bool Press(HWND sheet, int index, int id) {
  HWND page = SelectPage(sheet, index);
  HWND button = page ? ::GetDlgItem(page, id) : nullptr;
  if (!button) return false;
  ::SendMessageA(button, BM_CLICK, 0, 0);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  HWND sheet = FindSheet();
  if (!sheet) {
    std::fprintf(stderr, "Velto Controls not found\n");
    return 1;
  }
  for (int i = 1; i < argc; ++i) {
    const std::string step = argv[i];
    const std::size_t colon = step.find(':');
    const std::string verb = step.substr(0, colon);
    const int number = colon == std::string::npos ? 0 : std::atoi(step.c_str() + colon + 1);
    bool done = true;
    if (verb == "page") {
      done = SelectPage(sheet, number) != nullptr;
    } else if (verb == "start") {
      done = Press(sheet, number, IDC_START);
    } else if (verb == "pause") {
      done = Press(sheet, number, IDC_PAUSE);
    } else if (verb == "flash") {
      done = Press(sheet, number, IDC_FLASH);
    } else if (verb == "ticker") {
      HWND page = SelectPage(sheet, number);
      HWND box = page ? ::GetDlgItem(page, IDC_TICKER_TEXT) : nullptr;
      if (box) ::SendMessageA(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
      done = box != nullptr;
    } else if (verb == "wait") {
      ::Sleep(static_cast<DWORD>(number));
    } else if (verb == "rect") {
      RECT r{};
      ::GetWindowRect(sheet, &r);
      RECT page{};
      ::GetWindowRect(reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)), &page);
      std::printf("%ld %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom, page.right);
    } else if (verb == "close") {
      ::PostMessageA(sheet, WM_CLOSE, 0, 0);
      for (int wait = 0; wait < 100 && ::IsWindow(sheet); ++wait) ::Sleep(100);
      done = !::IsWindow(sheet);
    } else {
      done = false;
    }
    if (!done) {
      std::fprintf(stderr, "step failed: %s\n", step.c_str());
      return 1;
    }
  }
  return 0;
}
