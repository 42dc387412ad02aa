#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "counter/Counter.h"
#include "display/CounterWindow.h"
#include "support/ManualClock.h"
#include "support/ScratchRegistry.h"
#include "wine/DisplayTestSupport.h"

using namespace display_test;

namespace {

// A plain popup standing in for the control sheet as the main window.
class MainWindowStandIn {
public:
  explicit MainWindowStandIn(const RECT& rect) {
    LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, IDC_ARROW), nullptr, nullptr);
    Window.CreateEx(0, cls, "Velto Controls", WS_POPUP | WS_VISIBLE | WS_CAPTION, rect, nullptr, 0);
    AfxGetApp()->m_pMainWnd = &Window;
  }
  ~MainWindowStandIn() {
    AfxGetApp()->m_pMainWnd = nullptr;
    Window.DestroyWindow();
  }
  CWnd Window;
};

// The pixels of dc inside area, row by row.
std::vector<COLORREF> Pixels(HDC dc, const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  CImage image;
  image.CreateEx(width, height, 24, BI_RGB);
  ::BitBlt(image.GetDC(), 0, 0, width, height, dc, area.left, area.top, SRCCOPY);
  image.ReleaseDC();
  std::vector<COLORREF> pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.push_back(image.GetPixel(x, y));
  return pixels;
}

RECT WindowRect(const CWnd& wnd) {
  RECT r{};
  wnd.GetWindowRect(&r);
  return r;
}

::testing::AssertionResult SameRect(const RECT& a, const RECT& b) {
  if (std::memcmp(&a, &b, sizeof a) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << a.left << "," << a.top << ")-(" << a.right << "," << a.bottom
                                       << ") instead of (" << b.left << "," << b.top << ")-(" << b.right << ","
                                       << b.bottom << ")";
}

class DisplayWindow : public ::testing::Test {
protected:
  void SetUp() override { ScratchRegistry::Clear(); }
  void TearDown() override { Pump(); }

  // A counter with its display, as the control sheet leaves it.
  std::unique_ptr<CCounter> MakeCounter(int number = 1) {
    auto counter = std::make_unique<CCounter>(number);
    counter->CreateDisplay();
    Pump();
    return counter;
  }

  void StorePlacement(const CCounter& counter, const WINDOWPLACEMENT& placement, UINT bytes) {
    AfxGetProfile()->WriteProfileBinary(counter.GetSectionName(), "WindowPlacement",
                                        reinterpret_cast<const BYTE*>(&placement), bytes);
  }
};

// ---- placement -------------------------------------------------------------------

TEST_F(DisplayWindow, OneMonitorDocksTheMainWindowAndTakesTheRest) {
  if (::GetSystemMetrics(SM_CMONITORS) != 1) GTEST_SKIP() << "needs one monitor";
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  ASSERT_TRUE(SameRect(work, RECT{0, 0, 1920, 1040})) << "the test display is 1920x1040";
  MainWindowStandIn sheet(RECT{200, 100, 800, 400});  // 300 high
  auto counter = MakeCounter();
  CCounterWindow& window = counter->Window;
  ASSERT_TRUE(window.HasWindow());
  EXPECT_TRUE(SameRect(WindowRect(sheet.Window), RECT{0, 740, 1920, 1040}));
  EXPECT_TRUE(SameRect(WindowRect(window), RECT{0, 0, 1920, 740}));
  EXPECT_TRUE(SameRect(window.RestoreRect, RECT{0, 0, 1920, 740}));
  EXPECT_TRUE(window.IsWindowVisible());
}

TEST_F(DisplayWindow, ClassAndStylesAreThoseOfABorderlessDisplay) {
  auto counter = MakeCounter();
  HWND hwnd = counter->Window.GetSafeHwnd();
  EXPECT_EQ(static_cast<DWORD>(::GetWindowLongA(hwnd, GWL_STYLE)) & ~(WS_VISIBLE | WS_CLIPSIBLINGS), 0x808C0000u);
  EXPECT_EQ(static_cast<DWORD>(::GetWindowLongA(hwnd, GWL_EXSTYLE)) & (WS_EX_LAYERED | WS_EX_TOPMOST), 0u);
  EXPECT_EQ(static_cast<UINT>(::GetClassLongPtrA(hwnd, GCL_STYLE)),
            UINT(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS | CS_OWNDC));
  EXPECT_EQ(::GetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND), 0);
  EXPECT_EQ(counter->Window.GetWindowText(), "Velto - Counter");
  EXPECT_NE(::SendMessageA(hwnd, WM_GETICON, ICON_BIG, 0), 0) << "the application icon";
}

TEST_F(DisplayWindow, NoMainWindowGivesTheWholeWorkArea) {
  if (::GetSystemMetrics(SM_CMONITORS) != 1) GTEST_SKIP() << "needs one monitor";
  auto counter = MakeCounter();
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_TRUE(SameRect(WindowRect(counter->Window), RECT{0, 0, work.right, work.bottom}));
}

TEST_F(DisplayWindow, StoredMaximisedPlacementReopensMaximised) {
  CCounter counter(1);
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  placement.showCmd = SW_SHOWMAXIMIZED;
  placement.rcNormalPosition = RECT{100, 100, 500, 400};
  StorePlacement(counter, placement, sizeof placement);
  counter.CreateDisplay();
  Pump();
  EXPECT_TRUE(counter.Window.IsZoomed());
  WINDOWPLACEMENT now{};
  counter.Window.GetWindowPlacement(&now);
  EXPECT_TRUE(SameRect(now.rcNormalPosition, RECT{100, 100, 500, 400}));
}

TEST_F(DisplayWindow, StoredPlacementOfAnotherLengthIsIgnored) {
  if (::GetSystemMetrics(SM_CMONITORS) != 1) GTEST_SKIP() << "needs one monitor";
  CCounter counter(1);
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  placement.showCmd = SW_SHOWMAXIMIZED;
  placement.rcNormalPosition = RECT{100, 100, 500, 400};
  StorePlacement(counter, placement, 40);
  counter.CreateDisplay();
  Pump();
  EXPECT_FALSE(counter.Window.IsZoomed());
  EXPECT_TRUE(SameRect(WindowRect(counter.Window), RECT{0, 0, 1920, 1040}));
}

TEST_F(DisplayWindow, ClickWithoutMovingSavesThePlacement) {
  auto counter = MakeCounter();
  HWND hwnd = counter->Window.GetSafeHwnd();
  ASSERT_TRUE(StoredPlacement(*counter).empty());
  ::SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(50, 60));
  EXPECT_TRUE(counter->Window.Dragging);
  EXPECT_EQ(::GetCapture(), hwnd);
  ::SendMessageA(hwnd, WM_LBUTTONUP, 0, PointParam(50, 60));
  EXPECT_FALSE(counter->Window.Dragging);
  EXPECT_NE(::GetCapture(), hwnd);
  const std::vector<BYTE> stored = StoredPlacement(*counter);
  ASSERT_EQ(stored.size(), 44u);
  WINDOWPLACEMENT placement;
  std::memcpy(&placement, stored.data(), 44);
  EXPECT_EQ(placement.length, 44u);
  EXPECT_TRUE(SameRect(placement.rcNormalPosition, WindowRect(counter->Window)));
}

TEST_F(DisplayWindow, SizingStepSavesThePlacement) {
  auto counter = MakeCounter();
  RECT proposed{10, 10, 300, 200};
  ::SendMessageA(counter->Window.GetSafeHwnd(), WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&proposed));
  EXPECT_TRUE(SameRect(proposed, RECT{10, 10, 300, 200})) << "the proposal is left as it is";
  EXPECT_EQ(StoredPlacement(*counter).size(), 44u);
}

TEST_F(DisplayWindow, DoubleClickMaximisesAndRestoresAndSavesEachTime) {
  auto counter = MakeCounter();
  CCounterWindow& window = counter->Window;
  window.SetWindowPos(nullptr, 100, 100, 640, 360, SWP_NOZORDER | SWP_NOACTIVATE);
  HWND hwnd = window.GetSafeHwnd();
  auto storedShow = [&] {
    const std::vector<BYTE> stored = StoredPlacement(*counter);
    if (stored.size() != 44u) return -1;
    WINDOWPLACEMENT placement;
    std::memcpy(&placement, stored.data(), 44);
    return static_cast<int>(placement.showCmd);
  };
  ::SendMessageA(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, PointParam(20, 20));
  EXPECT_TRUE(window.IsZoomed());
  EXPECT_EQ(storedShow(), SW_SHOWMAXIMIZED);
  ::SendMessageA(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, PointParam(20, 20));
  EXPECT_FALSE(window.IsZoomed());
  EXPECT_EQ(storedShow(), SW_SHOWNORMAL);
  EXPECT_TRUE(SameRect(WindowRect(window), RECT{100, 100, 740, 460}));
}

// Drags by messages: the point pressed must stay under the (imagined) cursor.
void CheckDragKeepsThePressedPoint(CCounterWindow& window) {
  HWND hwnd = window.GetSafeHwnd();
  const POINT pressed{40, 30};
  ::SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(pressed.x, pressed.y));
  POINT screenPressed = pressed;
  window.ClientToScreen(&screenPressed);
  const RECT before = WindowRect(window);

  // A move message with the cursor where it was pressed: no jump.
  ::SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, PointParam(pressed.x, pressed.y));
  EXPECT_TRUE(SameRect(WindowRect(window), before)) << "jumped at the first move";

  for (const POINT cursor :
       {POINT{screenPressed.x + 37, screenPressed.y + 11}, POINT{screenPressed.x - 5, 300}, POINT{700, 222}}) {
    POINT client = cursor;
    window.ScreenToClient(&client);  // what the message carries
    ::SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, PointParam(client.x, client.y));
    POINT under = pressed;
    window.ClientToScreen(&under);
    EXPECT_EQ(under.x, cursor.x);
    EXPECT_EQ(under.y, cursor.y);
  }
  ::SendMessageA(hwnd, WM_LBUTTONUP, 0, PointParam(pressed.x, pressed.y));
  const RECT after = WindowRect(window);
  EXPECT_EQ(after.right - after.left, before.right - before.left) << "a drag never resizes";
  ::SendMessageA(hwnd, WM_MOUSEMOVE, 0, PointParam(5, 5));
  EXPECT_TRUE(SameRect(WindowRect(window), after)) << "moving after the release does not drag";
}

TEST_F(DisplayWindow, DragKeepsThePressedPointUnderTheCursorWhenOpaque) {
  auto counter = MakeCounter();
  counter->Window.SetWindowPos(nullptr, 200, 150, 640, 360, SWP_NOZORDER | SWP_NOACTIVATE);
  CheckDragKeepsThePressedPoint(counter->Window);
}

TEST_F(DisplayWindow, DragKeepsThePressedPointUnderTheCursorWhenTransparent) {
  auto counter = MakeCounter();
  counter->Window.SetWindowPos(nullptr, 200, 150, 640, 360, SWP_NOZORDER | SWP_NOACTIVATE);
  counter->Window.SetTransparent(true);
  CheckDragKeepsThePressedPoint(counter->Window);
}

TEST_F(DisplayWindow, TransparencyRemovesTheSizingFrameAndBringsItBack) {
  auto counter = MakeCounter();
  CCounterWindow& window = counter->Window;
  window.SetTransparent(true);
  EXPECT_TRUE(window.GetExStyle() & WS_EX_LAYERED);
  EXPECT_FALSE(window.GetStyle() & WS_THICKFRAME);
  EXPECT_TRUE(window.GetStyle() & WS_BORDER);
  window.SetTransparent(false);
  EXPECT_FALSE(window.GetExStyle() & WS_EX_LAYERED);
  EXPECT_TRUE(window.GetStyle() & WS_THICKFRAME);
}

TEST_F(DisplayWindow, ReCreatedWindowKeepsItsModesAndPlacement) {
  auto counter = MakeCounter();
  CCounterWindow& window = counter->Window;
  window.SetWindowPos(nullptr, 300, 200, 500, 300, SWP_NOZORDER | SWP_NOACTIVATE);
  window.SetTransparent(true);
  window.OnTop = true;
  window.SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ::SendMessageA(window.GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, PointParam(5, 5));
  ::SendMessageA(window.GetSafeHwnd(), WM_LBUTTONUP, 0, PointParam(5, 5));
  const RECT placed = WindowRect(window);
  // The user closes it (Alt+F4).
  ::SendMessageA(window.GetSafeHwnd(), WM_CLOSE, 0, 0);
  ASSERT_FALSE(window.HasWindow());
  counter->Start(60, DownToZero, MinSec, 0, 0);
  ASSERT_TRUE(window.HasWindow());
  EXPECT_TRUE(window.GetExStyle() & WS_EX_LAYERED);
  EXPECT_TRUE(window.GetExStyle() & WS_EX_TOPMOST);
  EXPECT_FALSE(window.GetStyle() & WS_THICKFRAME);
  EXPECT_TRUE(SameRect(WindowRect(window), placed));
}

TEST_F(DisplayWindow, TickerFrameDrawsOnlyTheTickerLineAndWhatAFullPaintWould) {
  ManualClock clock;  // the ticker moves only when the test moves it
  auto counter = MakeCounter();
  CCounterWindow& window = counter->Window;
  SetClientSize(window, 640, 480);
  Pump();
  RECT drawn = window.DrawFrame(true);
  EXPECT_TRUE(::IsRectEmpty(&drawn)) << "no ticker text, nothing to draw";
  counter->Ticker = "News";
  counter->AutoTickerColour = false;
  counter->TickerColour = RGB(255, 255, 0);
  window.TickerOffset = 300;
  window.DrawFrame(true);
  window.TickerOffset = 340;
  drawn = window.DrawFrame(true);
  ASSERT_FALSE(::IsRectEmpty(&drawn));
  // The text's line inside the strip, its old place and its new.
  EXPECT_GE(drawn.top, 480 - 60);
  EXPECT_LE(drawn.bottom, 480);
  EXPECT_GE(drawn.left, 640 - 340 - 20);
  EXPECT_LT(drawn.right, 640);
  // Drawn straight onto the window, the frame shows what a paint of the whole
  // window through the back buffer shows: the text moved, its old place clear.
  HDC screen = ::GetDC(window.GetSafeHwnd());
  std::vector<COLORREF> shown;
  for (int y = drawn.top; y < drawn.bottom; ++y)
    for (int x = drawn.left; x < drawn.right; ++x) shown.push_back(::GetPixel(screen, x, y));
  ::ReleaseDC(window.GetSafeHwnd(), screen);
  PaintNow(window);
  std::size_t i = 0, different = 0, lit = 0;
  for (int y = drawn.top; y < drawn.bottom; ++y)
    for (int x = drawn.left; x < drawn.right; ++x, ++i) {
      const COLORREF painted = ::GetPixel(window.BackBufferDC.GetSafeHdc(), x, y);
      if (painted != shown[i]) ++different;
      if (painted == RGB(255, 255, 0)) ++lit;
    }
  EXPECT_GT(lit, 50u) << "the text is in the area compared";
  EXPECT_EQ(different, 0u);

  // Frame after frame the line is moved on the window with one copy and only
  // the strip it uncovers is drawn: every frame shows what a whole paint
  // shows, also while another window covers part of the line and after it
  // has gone.
  counter->Ticker = "Doors open at eight - the keynote follows in hall B - please take your seats";
  window.TickerOffset = 100;
  PaintNow(window);
  const RECT strip = window.TickerStrip();
  const long scrolledBefore = CCounterWindow::ScrolledTickerFrames();
  std::vector<double> offsets;
  std::vector<std::vector<COLORREF>> frames;
  CWnd cover;
  for (int n = 0; n < 60; ++n) {
    if (n == 20) {
      POINT corner{100, strip.top - 20};
      window.ClientToScreen(&corner);
      LPCTSTR cls = AfxRegisterWndClass(0, nullptr, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)), nullptr);
      ASSERT_TRUE(cover.CreateEx(WS_EX_TOPMOST, cls, "cover", WS_POPUP | WS_VISIBLE,
                                 RECT{corner.x, corner.y, corner.x + 200, corner.y + 40}, nullptr, 0));
    }
    if (n == 30) {
      cover.DestroyWindow();
      Pump();  // the exposure's paint
    }
    window.TickerOffset += (n * 7) % 9;  // 0 to 8 pixels
    window.DrawFrame(true);
    offsets.push_back(window.TickerOffset);
    screen = ::GetDC(window.GetSafeHwnd());
    frames.push_back(Pixels(screen, strip));
    ::ReleaseDC(window.GetSafeHwnd(), screen);
  }
  EXPECT_GE(CCounterWindow::ScrolledTickerFrames() - scrolledBefore, 40);
  for (std::size_t k = 0; k < frames.size(); ++k) {
    window.TickerOffset = offsets[k];
    PaintNow(window);
    const std::vector<COLORREF> painted = Pixels(window.BackBufferDC.GetSafeHdc(), strip);
    std::size_t wrong = 0, yellow = 0;
    for (std::size_t p = 0; p < painted.size(); ++p) {
      wrong += painted[p] != frames[k][p] ? 1 : 0;
      yellow += painted[p] == RGB(255, 255, 0) ? 1 : 0;
    }
    EXPECT_EQ(wrong, 0u) << "frame " << k;
    EXPECT_GT(yellow, 100u) << "frame " << k;
  }
  drawn = window.DrawFrame(false);
  EXPECT_TRUE(::IsRectEmpty(&drawn)) << "no ticker frame, nothing changed";
  // Emptied: the next frame clears where the text stood and draws nothing.
  counter->Ticker = "";
  drawn = window.DrawFrame(true);
  screen = ::GetDC(window.GetSafeHwnd());
  const RECT left = PixelBounds(screen, drawn, [](COLORREF c) { return !IsBlack(c); });
  ::ReleaseDC(window.GetSafeHwnd(), screen);
  EXPECT_FALSE(::IsRectEmpty(&drawn));
  EXPECT_TRUE(::IsRectEmpty(&left)) << "nothing of the text is left";
}

TEST_F(DisplayWindow, CountedSecondDrawsOnlyWhatChanged) {
  ManualClock clock;
  auto counter = MakeCounter();
  CCounterWindow& window = counter->Window;
  SetClientSize(window, 640, 480);
  counter->Start(83, DownToZero, MinSec, 0, 0);
  Pump();
  RECT drawn = window.ClockStep(clock.Ticks, clock.TimeMs(), false);
  EXPECT_TRUE(::IsRectEmpty(&drawn)) << "nothing due yet";
  clock.Advance(1000);
  drawn = window.ClockStep(clock.Ticks, clock.TimeMs(), false);
  EXPECT_EQ(counter->GetDisplayText(), "01:22");
  ASSERT_FALSE(::IsRectEmpty(&drawn));
  EXPECT_GT(drawn.left, 640 / 2) << "the last digit only";
  EXPECT_LT(drawn.right - drawn.left, 640 / 3);
  // With ticker text the strip comes too when the digits change colour (an
  // automatically coloured ticker follows them), and only then.
  counter->SetTicker("News");
  Pump();
  clock.Advance(1000);
  drawn = window.ClockStep(clock.Ticks, clock.TimeMs(), false);
  EXPECT_GT(drawn.left, 0) << "same colour, no strip";
  counter->OrangeTime = CTimeSpan(static_cast<int64_t>(100));
  clock.Advance(1000);
  drawn = window.ClockStep(clock.Ticks, clock.TimeMs(), false);
  EXPECT_EQ(drawn.bottom, 480);
  EXPECT_EQ(drawn.left, 0);
  EXPECT_GT(drawn.top, 0) << "not the whole window";
}

TEST_F(DisplayWindow, ThirtyMillisecondTimerDrivesTheCounter) {
  auto counter = MakeCounter();
  counter->Start(5, DownToZero, MinSec, 0, 0);
  counter->SetTicker("Doors open in five minutes - please take your seats");
  EXPECT_EQ(counter->GetDisplayText(), "00:05");
  const DWORD firstPaint = counter->Window.LastPaintTime;
  PumpFor(1500);
  EXPECT_EQ(counter->GetDisplayText(), "00:04") << "the window's timer ticks the counter";
  EXPECT_NE(counter->Window.LastPaintTime, firstPaint) << "the ticker strip was repainted";
  EXPECT_GT(counter->Window.TickerOffset, 0.0);
}

TEST(DisplayTimerResolution, EveryRequestIsReleased) {
  const long before = CCounterWindow::TimerResolutionHolders();
  {
    std::vector<std::unique_ptr<CCounter>> counters;
    for (int i = 1; i <= 5; ++i) counters.push_back(std::make_unique<CCounter>(i));
    EXPECT_EQ(CCounterWindow::TimerResolutionHolders(), before + 5);
  }
  EXPECT_EQ(CCounterWindow::TimerResolutionHolders(), before);
}

// ---- two monitors (run in their own phase on a Xephyr display) ---------------

TEST(TwoMonitors, DisplayCoversTheSecondMonitorAndTheMainWindowStays) {
  if (::GetSystemMetrics(SM_CMONITORS) < 2) {
    if (std::getenv("VELTO_TEST_SECOND_MONITOR")) FAIL() << "the two-monitor display shows one monitor";
    GTEST_SKIP() << "needs two monitors";
  }
  ScratchRegistry::Clear();
  MainWindowStandIn sheet(RECT{100, 100, 700, 400});
  CCounter counter(1);
  counter.CreateDisplay();
  Pump();
  ASSERT_GE(counter.Window.Monitors.size(), 2u);
  EXPECT_TRUE(SameRect(WindowRect(counter.Window), counter.Window.Monitors[1]));
  EXPECT_TRUE(SameRect(WindowRect(sheet.Window), RECT{100, 100, 700, 400})) << "the main window does not move";
  EXPECT_TRUE(SameRect(counter.Window.RestoreRect, RECT{0, 0, 0, 0}));
  // The layout the test script set up, when it says.
  if (const char* expected = std::getenv("VELTO_TEST_SECOND_MONITOR")) {
    RECT want{};
    ASSERT_EQ(std::sscanf(expected, "%ld,%ld,%ld,%ld", &want.left, &want.top, &want.right, &want.bottom), 4);
    EXPECT_TRUE(SameRect(WindowRect(counter.Window), want));
  }
}

}  // namespace

// A placement stored on a monitor that is gone (a projector unplugged since)
// must not open the display where nobody can see or reach it.
TEST_F(DisplayWindow, PlacementOnAMonitorThatIsGoneComesOntoTheNearestOne) {
  CCounter counter(1);
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  placement.showCmd = SW_SHOWNORMAL;
  placement.rcNormalPosition = RECT{5000, 3000, 5800, 3600};
  StorePlacement(counter, placement, sizeof placement);
  counter.CreateDisplay();
  Pump();
  const RECT shown = WindowRect(counter.Window);
  EXPECT_NE(::MonitorFromRect(&shown, MONITOR_DEFAULTTONULL), nullptr)
      << "(" << shown.left << "," << shown.top << ")-(" << shown.right << "," << shown.bottom << ")";
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(shown.right - shown.left, 800) << "the size is kept";
  EXPECT_EQ(shown.bottom - shown.top, 600);
  EXPECT_EQ(shown.right, work.right) << "on the edge nearest to where it was";
  EXPECT_EQ(shown.bottom, work.bottom);
}

TEST_F(DisplayWindow, MaximisedPlacementOnAMonitorThatIsGoneRestoresOntoAPresentOne) {
  CCounter counter(1);
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  placement.showCmd = SW_SHOWMAXIMIZED;
  placement.rcNormalPosition = RECT{-4000, 100, -1000, 2100};
  StorePlacement(counter, placement, sizeof placement);
  counter.CreateDisplay();
  Pump();
  EXPECT_TRUE(counter.Window.IsZoomed());
  RECT shown = WindowRect(counter.Window);
  EXPECT_NE(::MonitorFromRect(&shown, MONITOR_DEFAULTTONULL), nullptr);
  counter.Window.ShowWindow(SW_SHOWNORMAL);
  shown = WindowRect(counter.Window);
  EXPECT_NE(::MonitorFromRect(&shown, MONITOR_DEFAULTTONULL), nullptr) << "restored off every monitor";
  EXPECT_EQ(shown.left, 0);
}

TEST_F(DisplayWindow, PlacementPartlyOnTheScreenIsAppliedAsStored) {
  CCounter counter(1);
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  placement.showCmd = SW_SHOWNORMAL;
  placement.rcNormalPosition = RECT{1700, 900, 2300, 1300};
  StorePlacement(counter, placement, sizeof placement);
  counter.CreateDisplay();
  Pump();
  EXPECT_TRUE(SameRect(WindowRect(counter.Window), RECT{1700, 900, 2300, 1300}));
}
