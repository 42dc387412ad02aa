#include <algorithm>
#include <cstdlib>
#include <string>

#include "display/MimicDlg.h"
#include "resources/resource.h"
#include "support/ModalScript.h"
#include "support/SheetHarness.h"

namespace {

class RepeaterTest : public SheetTest {
protected:
  void TearDown() override {
    if (Backdrop) ::DestroyWindow(Backdrop);
    SheetTest::TearDown();
  }

  HWND OpenRepeater(HWND page) {
    Click(page, IDC_SHOW_REPEATER);
    PumpMessages(50);
    CMimicDlg* repeater = CounterPage(0).Repeater;
    return repeater ? repeater->GetSafeHwnd() : nullptr;
  }

  static int RepeaterWindows() {
    int count = 0;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lParam) -> BOOL {
          if (dynamic_cast<CMimicDlg*>(CWnd::FromHandlePermanent(hwnd))) ++*reinterpret_cast<int*>(lParam);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
  }

  // Moves and sizes a window so that its client area is this rectangle of the screen.
  static void SetClientRect(HWND window, int x, int y, int width, int height) {
    RECT outer{}, client{};
    ::GetWindowRect(window, &outer);
    ::GetClientRect(window, &client);
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    const int left = origin.x - outer.left, top = origin.y - outer.top;
    const int extraX = (outer.right - outer.left) - client.right;
    const int extraY = (outer.bottom - outer.top) - client.bottom;
    ::SetWindowPos(window, nullptr, x - left, y - top, width + extraX, height + extraY, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  static SIZE ClientSize(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    return SIZE{client.right, client.bottom};
  }

  // A plain window of one colour, for something to lie behind a display.
  void ShowBackdrop(const RECT& r, COLORREF colour) {
    static HBRUSH brush = ::CreateSolidBrush(colour);
    WNDCLASSA wc{};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hbrBackground = brush;
    wc.lpszClassName = "VeltoTestBackdrop";
    ::RegisterClassA(&wc);
    Backdrop = ::CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, r.left, r.top, r.right - r.left,
                                 r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
    ::UpdateWindow(Backdrop);
  }

  // Puts the display above every other window, also on the X server, which
  // stacks a newly shown window (the repeater) over everything.
  static void RaiseDisplay() {
    CCounterWindow& window = Counter(0).Window;
    window.SetWindowPos(&CWnd::wndNoTopMost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    window.SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  }

  HWND Backdrop = nullptr;
};

TEST_F(RepeaterTest, OneRepeaterPerPageBroughtToTheFrontThenReopenedFresh) {
  SeedText("Counter1", "Name", "Main stage");
  CVeltoSheet* sheet = StartProgram();
  HWND page = ShowPage(1);
  Click(page, IDC_START);
  HWND repeater = OpenRepeater(page);
  ASSERT_NE(repeater, nullptr);
  EXPECT_TRUE(::IsWindowVisible(repeater));
  if (const char* hold = std::getenv("VELTO_SCREENSHOT_HOLD_MS")) PumpMessages(static_cast<DWORD>(std::atoi(hold)));
  EXPECT_EQ(Text(repeater), "Main stage") << "the counter's name alone";
  const DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(repeater, GWL_STYLE));
  EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CHILD | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
            static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME));
  EXPECT_EQ(::GetWindow(repeater, GW_OWNER), sheet->GetSafeHwnd()) << "owned by the control sheet";
  // On the operator's screen, next to the controls.
  RECT own{}, work{};
  ::GetWindowRect(repeater, &own);
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_GE(own.left, work.left);
  EXPECT_GE(own.top, work.top);
  EXPECT_LE(own.right, work.right);
  EXPECT_LE(own.bottom, work.bottom);

  ::SetForegroundWindow(sheet->GetSafeHwnd());
  PumpMessages(30);
  ASSERT_NE(::GetForegroundWindow(), repeater);
  EXPECT_EQ(OpenRepeater(page), repeater);
  EXPECT_EQ(::GetForegroundWindow(), repeater);
  EXPECT_EQ(RepeaterWindows(), 1);

  ::PostMessageA(repeater, WM_CLOSE, 0, 0);
  PumpMessages(50);
  EXPECT_FALSE(::IsWindow(repeater));
  EXPECT_EQ(CounterPage(0).Repeater, nullptr);
  EXPECT_EQ(RepeaterWindows(), 0);

  SeedText("Counter1", "Name", "Keynote");
  HWND reopened = OpenRepeater(page);
  ASSERT_NE(reopened, nullptr);
  EXPECT_EQ(Text(reopened), "Keynote");
  EXPECT_EQ(RepeaterWindows(), 1);
}

TEST_F(RepeaterTest, EscapeAndTheSystemMenuCloseIt) {
  StartProgram();
  HWND page = ShowPage(1);
  HWND repeater = OpenRepeater(page);
  ASSERT_NE(repeater, nullptr);
  ::SendMessageA(repeater, WM_SYSCOMMAND, SC_CLOSE, 0);
  PumpMessages(50);
  EXPECT_FALSE(::IsWindow(repeater));
  repeater = OpenRepeater(page);
  ASSERT_NE(repeater, nullptr);
  ::PostMessageA(repeater, WM_KEYDOWN, VK_ESCAPE, 0);
  PumpMessages(50);
  EXPECT_FALSE(::IsWindow(repeater));
  EXPECT_EQ(CounterPage(0).Repeater, nullptr);
}

TEST_F(RepeaterTest, AFullHdDisplayIsSqueezedIntoTheWholeRepeater) {
  StartProgram();
  HWND page = ShowPage(1);
  Click(page, IDC_START);
  HWND display = Counter(0).Window.GetSafeHwnd();
  // Full HD; a screen lower than that (the test screen is 1040 high) limits
  // a window to its own height.
  const int displayHeight = std::min(1080, ::GetSystemMetrics(SM_CYSCREEN));
  SetClientRect(display, 0, 0, 1920, displayHeight);
  HWND repeater = OpenRepeater(page);
  ASSERT_NE(repeater, nullptr);
  SetClientRect(repeater, 100, 100, 320, 240);
  RaiseDisplay();
  ASSERT_EQ(ClientSize(display).cx, 1920);
  ASSERT_EQ(ClientSize(display).cy, displayHeight);
  ASSERT_EQ(ClientSize(repeater).cx, 320);
  ASSERT_EQ(ClientSize(repeater).cy, 240);
  PumpMessages(1200);  // two repaints of the repeater

  const COLORREF green = RGB(0, 255, 0);
  if (const char* hold = std::getenv("VELTO_SCREENSHOT_HOLD_MS")) PumpMessages(static_cast<DWORD>(std::atoi(hold)));
  ClientPixels shown(display);
  ClientPixels mirror(repeater);
  const RECT digits = shown.Bounds(green);
  const RECT mirrored = mirror.Bounds(green);
  ASSERT_GT(digits.right - digits.left, 0);
  ASSERT_GT(mirrored.right - mirrored.left, 0) << "the digits appear in the repeater";
  // Each axis has its own scale: 1/6 across, 240/1080 (or 240/1040) down.
  EXPECT_NEAR(mirrored.left, digits.left * 320 / 1920, 3);
  EXPECT_NEAR(mirrored.right, digits.right * 320 / 1920, 3);
  EXPECT_NEAR(mirrored.top, digits.top * 240 / displayHeight, 3);
  EXPECT_NEAR(mirrored.bottom, digits.bottom * 240 / displayHeight, 3);
  EXPECT_GT(mirror.Count(green, RECT{80, 60, 240, 180}), 50) << "digits in the middle";
  for (POINT corner : {POINT{0, 0}, POINT{319, 0}, POINT{0, 239}, POINT{319, 239}})
    EXPECT_EQ(mirror.At(corner.x, corner.y), RGB(0, 0, 0)) << corner.x << "," << corner.y;
}

TEST_F(RepeaterTest, ATransparentDisplayShowsWhatLiesBehindWithTheDigitsOverIt) {
  StartProgram();
  HWND page = ShowPage(1);
  const RECT area{200, 100, 1000, 500};
  const COLORREF blue = RGB(0, 0, 255);
  ShowBackdrop(area, blue);
  Click(page, IDC_START);
  Click(page, IDC_TRANSPARENT);
  HWND display = Counter(0).Window.GetSafeHwnd();
  SetClientRect(display, area.left, area.top, area.right - area.left, area.bottom - area.top);
  HWND repeater = OpenRepeater(page);
  ASSERT_NE(repeater, nullptr);
  SetClientRect(repeater, 1100, 100, 400, 200);
  RaiseDisplay();
  PumpMessages(1200);

  ClientPixels mirror(repeater);
  ASSERT_EQ(mirror.Width, 400);
  for (POINT corner : {POINT{2, 2}, POINT{397, 2}, POINT{2, 197}, POINT{397, 197}})
    EXPECT_EQ(mirror.At(corner.x, corner.y), blue) << corner.x << "," << corner.y;
  EXPECT_GT(mirror.Count(RGB(0, 255, 0), RECT{100, 50, 300, 150}), 50) << "the digits over the backdrop";
  EXPECT_EQ(mirror.Count(RGB(0, 0, 0)), 0) << "nothing black: the colour key is see-through";
}

TEST_F(RepeaterTest, ARebuildClosesTheRepeaterBeforeItsPageGoes) {
  CVeltoSheet* sheet = StartProgram();
  HWND page = ShowPage(1);
  HWND repeater = OpenRepeater(page);
  ASSERT_NE(repeater, nullptr);
  PumpMessages(600);  // it has been repainting from its counter
  sheet->RebuildCounterPages();
  EXPECT_FALSE(::IsWindow(repeater));
  EXPECT_EQ(RepeaterWindows(), 0);
  EXPECT_EQ(CounterPage(0).Repeater, nullptr);
  // Timers and paints that were due find nothing of the old page.
  EXPECT_FALSE(PumpMessages(2000));
  page = ShowPage(1);
  HWND fresh = OpenRepeater(page);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(Text(fresh), "Counter");
  PumpMessages(600);
  EXPECT_TRUE(::IsWindow(fresh));
}

TEST_F(RepeaterTest, ClosingTheControlSheetEndsTheRepeaterFirst) {
  CVeltoSheet* sheet = StartProgram();
  HWND page = ShowPage(1);
  HWND repeater = OpenRepeater(page);
  ASSERT_NE(repeater, nullptr);
  sheet->DestroyWindow();
  EXPECT_FALSE(::IsWindow(repeater));
  PumpMessages(1000);
  EXPECT_EQ(RepeaterWindows(), 0);
}

}  // namespace
