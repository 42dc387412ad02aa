#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "counter/Counter.h"
#include "display/CounterWindow.h"
#include "display/FitSearch.h"
#include "display/FrameClock.h"
#include "display/GlyphCache.h"
#include "display/TextFit.h"
#include "support/ManualClock.h"
#include "support/ScratchRegistry.h"
#include "wine/DisplayTestSupport.h"

using namespace display_test;

namespace {

bool IsGreen(COLORREF c) {
  return GetGValue(c) > 160 && GetRValue(c) < 90 && GetBValue(c) < 90;
}
bool NotBlack(COLORREF c) {
  return !IsBlack(c);
}

// Every pixel of a bitmap, row by row.
std::vector<DWORD> Pixels(HBITMAP bitmap) {
  BITMAP size{};
  ::GetObjectA(bitmap, sizeof size, &size);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.bmWidth;
  info.bmiHeader.biHeight = -size.bmHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> pixels(static_cast<std::size_t>(size.bmWidth) * static_cast<std::size_t>(size.bmHeight));
  CClientDC screen(nullptr);
  ::GetDIBits(screen.GetSafeHdc(), bitmap, 0, static_cast<UINT>(size.bmHeight), pixels.data(), &info, DIB_RGB_COLORS);
  return pixels;
}

// Every pixel the window's client area shows.
std::vector<DWORD> Shown(CWnd& window) {
  RECT client{};
  window.GetClientRect(&client);
  CClientDC source(&window);
  CDC copy;
  CBitmap bitmap;
  copy.CreateCompatibleDC(&source);
  bitmap.CreateCompatibleBitmap(&source, client.right, client.bottom);
  {
    CSelectGuard select(copy, bitmap.GetSafeHandle());
    copy.BitBlt(0, 0, client.right, client.bottom, &source, 0, 0, SRCCOPY);
  }
  return Pixels(static_cast<HBITMAP>(bitmap.GetSafeHandle()));
}

std::size_t Differences(const std::vector<DWORD>& a, const std::vector<DWORD>& b) {
  if (a.size() != b.size()) return a.size() + b.size();
  std::size_t different = 0;
  for (std::size_t i = 0; i < a.size(); ++i) different += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF) ? 1 : 0;
  return different;
}

// A counter whose display has a client area of a given size, out of the
// frame clock so that only the test paints, and the clock in the test's hand.
class DisplayRendering : public ::testing::Test {
protected:
  void SetUp() override {
    ScratchRegistry::Clear();
    Counter = std::make_unique<CCounter>(1);
    Counter->CreateDisplay();
    CFrameClock::Instance().Leave(Window());
    Resize(1000, 480);
  }
  void TearDown() override {
    Counter.reset();
    Pump();
  }
  CCounterWindow& Window() { return Counter->Window; }
  void Resize(int w, int h) {
    SetClientSize(Window(), w, h);
    Pump();
    RECT client{};
    Window().GetClientRect(&client);
    ASSERT_EQ(client.right, w);
    ASSERT_EQ(client.bottom, h);
  }
  HDC Frame() { return Window().BackBufferDC.GetSafeHdc(); }
  RECT Client() {
    RECT client{};
    Window().GetClientRect(&client);
    return client;
  }

  ManualClock Clock;
  std::unique_ptr<CCounter> Counter;
};

TEST_F(DisplayRendering, DigitsAreCentredInTheStateColour) {
  Counter->Start(83, DownToZero, MinSec, 0, 0);  // "01:23", normal state
  PaintNow(Window());
  const RECT box = PixelBounds(Frame(), Client(), IsGreen);
  ASSERT_GT(box.right - box.left, 400) << "the digits fill the window";
  EXPECT_NEAR((box.left + box.right) / 2, 500, 12);
  EXPECT_NEAR((box.top + box.bottom) / 2, 240, 40);
  const RECT anything = PixelBounds(Frame(), Client(), NotBlack);
  EXPECT_GE(anything.left, box.left - 3);
  EXPECT_LE(anything.right, box.right + 3);

  // The red state draws in the red style's colour.
  Counter->RedStyle.Colour = RGB(0, 0, 255);
  Counter->Start(83, DownToZero, MinSec, 0, 100);
  PaintNow(Window());
  const RECT blue =
      PixelBounds(Frame(), Client(), [](COLORREF c) { return GetBValue(c) > 160 && GetGValue(c) < 90; });
  EXPECT_GT(blue.right - blue.left, 400);
  EXPECT_EQ(PixelBounds(Frame(), Client(), IsGreen).right, 0);
}

// Digits copied from the glyph cache are the pixels of digits rasterised
// where they stand: every character the formats produce, in each of the
// three colours, opaque and transparent, a whole paint and a counted second.
TEST_F(DisplayRendering, CachedDigitsAreThePixelsOfRasterisedOnes) {
  const COLORREF colours[] = {Counter->NormalStyle.Colour, Counter->OrangeStyle.Colour, Counter->RedStyle.Colour};
  const auto paint = [&](bool cache) {
    Window().CacheGlyphs = cache;
    PaintNow(Window());
    return Pixels(Window().BackBuffer);
  };
  for (const bool transparent : {false, true}) {
    Window().SetTransparent(transparent);
    for (const COLORREF colour : colours) {
      Counter->NormalStyle.Colour = Counter->OrangeStyle.Colour = Counter->RedStyle.Colour = colour;
      Counter->Start(0, DownPastZero, Auto, 0, 0);
      Counter->Elapsed = CTimeSpan(static_cast<int64_t>(1 * 3600 + 23 * 60 + 45));
      ASSERT_EQ(Counter->GetDisplayText(), "-01:23:45");
      // Cached first, over the last text: what the glyphs leave of it must go.
      const long copied = CGlyphCache::Copied();
      std::vector<DWORD> cached = paint(true);
      EXPECT_EQ(CGlyphCache::Copied(), copied + 9) << "every character from the cache";
      EXPECT_EQ(Differences(cached, paint(false)), 0u) << colour << " " << transparent;
      Counter->TotalTime = CTimeSpan(static_cast<int64_t>(67 * 3600 + 58 * 60 + 20));
      Counter->Elapsed = CTimeSpan(static_cast<int64_t>(0));
      ASSERT_EQ(Counter->GetDisplayText(), "67:58:20");
      cached = paint(true);
      EXPECT_EQ(Differences(cached, paint(false)), 0u) << colour << " " << transparent;
      // A counted second: only the last two digits, copied straight onto the
      // window over the frame before, where the old 2 reaches out of the 1.
      Window().CacheGlyphs = true;
      PaintNow(Window());
      Clock.Advance(1000);
      const RECT drawn = Window().ClockStep(Clock.Ticks, Clock.TimeMs(), false);
      ASSERT_EQ(Counter->GetDisplayText(), "67:58:19");
      EXPECT_GT(drawn.left, 500);
      const std::vector<DWORD> counted = Shown(Window());
      paint(false);
      EXPECT_EQ(Differences(counted, Shown(Window())), 0u) << colour << " " << transparent;
    }
  }
}

TEST_F(DisplayRendering, SnapshotHoldsWhatTheScreenShows) {
  Window().SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Counter->Start(83, DownToZero, MinSec, 0, 0);
  PaintNow(Window());
  ::GdiFlush();
  PumpFor(100);  // the frame reaches the X server's screen
  Window().CaptureSnapshot();
  ASSERT_FALSE(Window().Snapshot.IsNull());
  EXPECT_EQ(Window().Snapshot.GetWidth(), 1000);
  EXPECT_EQ(Window().Snapshot.GetHeight(), 480);
  EXPECT_EQ(Window().Snapshot.GetPixel(2, 2), RGB(0, 0, 0));
  int same = 0;
  for (int x = 0; x < 1000; x += 7) {
    const COLORREF drawn = ::GetPixel(Frame(), x, 240);
    const COLORREF shot = Window().Snapshot.GetPixel(x, 240);
    if (std::abs(GetRValue(shot) - GetRValue(drawn)) <= 8 && std::abs(GetGValue(shot) - GetGValue(drawn)) <= 8 &&
        std::abs(GetBValue(shot) - GetBValue(drawn)) <= 8)
      ++same;
  }
  EXPECT_GT(same, 130) << "the snapshot matches the frame on a line through the digits";
}

TEST_F(DisplayRendering, TransparentModeKeysOutBlackOverTheWindowBehind) {
  // A red window exactly behind the display.
  RECT outer{};
  Window().GetWindowRect(&outer);
  CWnd behind;
  CGdiObject red;
  red.Attach(::CreateSolidBrush(RGB(255, 0, 0)));
  LPCTSTR cls = AfxRegisterWndClass(0, nullptr, static_cast<HBRUSH>(red.GetSafeHandle()), nullptr);
  ASSERT_TRUE(behind.CreateEx(0, cls, "behind", WS_POPUP | WS_VISIBLE, outer, nullptr, 0));
  Window().SetTransparent(true);
  Window().SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Counter->Start(83, DownToZero, MinSec, 0, 0);
  PaintNow(behind);
  PaintNow(Window());
  ::GdiFlush();
  PumpFor(150);
  // A digit pixel and a background pixel of the frame, read back from the screen.
  POINT digit{-1, -1};
  for (int x = 0; x < 1000 && digit.x < 0; ++x)
    if (IsGreen(::GetPixel(Frame(), x, 240))) digit = POINT{x + 1, 240};
  ASSERT_GE(digit.x, 0);
  POINT origin{0, 0};
  Window().ClientToScreen(&origin);
  CClientDC screen(nullptr);
  EXPECT_EQ(screen.GetPixel(origin.x + 3, origin.y + 3), RGB(255, 0, 0)) << "black is see-through";
  EXPECT_TRUE(IsGreen(screen.GetPixel(origin.x + digit.x, origin.y + digit.y))) << "the digits stay";
  EXPECT_FALSE(Window().GetStyle() & WS_THICKFRAME);
  behind.DestroyWindow();
}

TEST_F(DisplayRendering, PauseWithoutDisplayDuringPauseShowsOnlyTheTicker) {
  Counter->Start(83, DownToZero, MinSec, 0, 0);
  Counter->SetTicker("Pause ticker");
  Counter->Paused = true;
  Window().TickerOffset = 900;
  PaintNow(Window());
  const RECT drawn = PixelBounds(Frame(), Client(), NotBlack);
  EXPECT_GE(drawn.top, 480 - 30 - 10) << "nothing above the ticker";
  EXPECT_GT(drawn.right, drawn.left) << "the ticker is drawn";
  Counter->DisplayDuringPause = true;
  PaintNow(Window());
  EXPECT_GT(PixelBounds(Frame(), Client(), IsGreen).right, 400);
}

TEST_F(DisplayRendering, PureBlackStyleDrawsNoDigits) {
  Counter->NormalStyle.Colour = RGB(0, 0, 0);
  Counter->Start(83, DownToZero, MinSec, 0, 0);
  const long searches = FitFontSearches();
  PaintNow(Window());
  EXPECT_EQ(PixelBounds(Frame(), Client(), NotBlack).right, 0);
  EXPECT_EQ(FitFontSearches(), searches) << "no font is fitted for invisible digits";
}

TEST_F(DisplayRendering, TickerSizesTextTopsAndStrips) {
  const struct {
    int Size, Height, Top, Strip;
  } cases[] = {{0, 30, 440, 60}, {1, 40, 430, 80}, {2, 80, 390, 160}};
  Counter->SetTicker("Hg Ticker");
  for (const auto& c : cases) {
    Counter->SetTickerStyle(c.Size, FALSE, RGB(255, 255, 255));
    EXPECT_EQ(Window().TickerHeight, c.Height);
    const RECT strip = Window().TickerStrip();
    EXPECT_EQ(strip.bottom - strip.top, c.Strip);
    // Offset so that the text stands in the window, then look at where it is drawn.
    Window().TickerOffset = 900;
    Window().LastPaintTime = Clock.MultimediaTime;
    PaintNow(Window());
    const RECT text = PixelBounds(Frame(), Client(), NotBlack);
    ASSERT_GT(text.right, text.left) << c.Size;
    EXPECT_GE(text.top, c.Top) << c.Size;
    EXPECT_LE(text.top, c.Top + c.Height / 3) << c.Size;
    EXPECT_LE(text.bottom, c.Top + c.Height + 1) << c.Size;
    EXPECT_GE(text.left, 100) << c.Size;
    EXPECT_LE(text.left, 100 + c.Height / 8 + 2) << c.Size;
  }
}

TEST_F(DisplayRendering, TickerFollowsTheColourStateOrKeepsItsOwn) {
  Counter->SetTicker("Colour");
  Window().TickerOffset = 900;
  PaintNow(Window());  // not started: Blank, an automatic ticker is black
  EXPECT_EQ(PixelBounds(Frame(), Client(), NotBlack).right, 0);
  Counter->SetTickerStyle(0, FALSE, RGB(255, 0, 255));
  Window().TickerOffset = 900;
  Window().LastPaintTime = Clock.MultimediaTime;
  PaintNow(Window());
  const RECT magenta = PixelBounds(Frame(), Client(), [](COLORREF c) {
    return GetRValue(c) > 160 && GetBValue(c) > 160 && GetGValue(c) < 90;
  });
  EXPECT_GT(magenta.right, magenta.left);
}

TEST_F(DisplayRendering, TickerMovesATenthOfTheWidthPerSecondAndRestartsWhenGone) {
  Counter->SetTicker("x");
  // A text between 400 and 500 pixels wide in the small ticker font.
  CString text = "Ticker";
  CClientDC screen(nullptr);
  CDC measure;
  measure.CreateCompatibleDC(&screen);
  for (;;) {
    CSelectGuard select(measure, Window().TickerFont.GetSafeHandle());
    const LONG width = measure.GetTextExtent(text).cx;
    if (width > 400) {
      ASSERT_LE(width, 500);
      break;
    }
    text += " i";
  }
  Counter->SetTicker(text);
  Window().TickerOffset = 0;
  Window().LastPaintTime = Clock.MultimediaTime;

  for (int i = 0; i < 10; ++i) {
    Clock.Advance(100);
    PaintNow(Window());
  }
  EXPECT_DOUBLE_EQ(Window().TickerOffset, 100.0);
  // A paint more than a second late moves it by one second's worth only.
  Clock.Advance(5000);
  PaintNow(Window());
  EXPECT_DOUBLE_EQ(Window().TickerOffset, 200.0);
  for (int second = 3; second <= 15; ++second) {
    Clock.Advance(1000);
    PaintNow(Window());
    if (second < 15) {
      EXPECT_DOUBLE_EQ(Window().TickerOffset, second * 100.0) << second;
    }
  }
  EXPECT_DOUBLE_EQ(Window().TickerOffset, 0.0) << "off the left edge at offset 1500: restart";
  Clock.Advance(1000);
  PaintNow(Window());
  EXPECT_DOUBLE_EQ(Window().TickerOffset, 100.0);
  // A new text continues from the current offset.
  Counter->SetTicker("Other");
  Clock.Advance(1000);
  PaintNow(Window());
  EXPECT_DOUBLE_EQ(Window().TickerOffset, 200.0);
}

TEST_F(DisplayRendering, FitIsReusedForTextsOfTheSameLengthAndRefittedForAShorterOne) {
  TextStyle style(RGB(0, 255, 0));
  CClientDC screen(nullptr);
  CDC dc;
  dc.CreateCompatibleDC(&screen);
  const RECT rect{0, 0, 600, 200};
  const long searches = FitFontSearches();
  HFONT first = style.FitFont(&dc, rect, "12:34");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(FitFontSearches(), searches + 1);
  EXPECT_EQ(style.FitFont(&dc, rect, "56:07"), first);
  EXPECT_EQ(FitFontSearches(), searches + 1) << "same length, same rectangle: the cached font";
  style.FitFont(&dc, rect, "9:59");
  EXPECT_EQ(FitFontSearches(), searches + 2) << "a shorter text refits";
  style.FitFont(&dc, RECT{0, 0, 600, 201}, "9:59");
  EXPECT_EQ(FitFontSearches(), searches + 3) << "another rectangle refits";
}

TEST_F(DisplayRendering, ClientEightPixelsHighMakesNoFont) {
  TextStyle style(RGB(0, 255, 0));
  CClientDC screen(nullptr);
  CDC dc;
  dc.CreateCompatibleDC(&screen);
  const long fonts = FitFontFontsCreated();
  EXPECT_EQ(style.FitFont(&dc, RECT{0, 0, 600, 8}, "12:34"), nullptr);
  EXPECT_EQ(FitFontFontsCreated(), fonts);
  EXPECT_EQ(style.Font.GetSafeHandle(), nullptr);
  EXPECT_EQ(style.FitLength, 5) << "the cache remembers the low rectangle";
}

// The fast search must choose what the linear search chooses, on real fonts.
TEST(TextFit, FastSearchChoosesTheReferenceHeightOnRealFonts) {
  CClientDC screen(nullptr);
  CDC dc;
  dc.CreateCompatibleDC(&screen);
  struct Face {
    const char* Name;
    LONG Weight;
    BYTE Italic;
  };
  const Face faces[] = {{"Arial", 0, 0}, {"Arial", FW_BOLD, 1}, {"Tahoma", 0, 0}, {"Times New Roman", 0, 1},
                        {"Courier New", FW_BOLD, 0}};
  const char* texts[] = {"00:00", "-12:59", "23:59:59", "1:07"};
  int compared = 0;
  for (const Face& face : faces) {
    TextStyle style(0);
    style.SetFaceName(face.Name);
    style.LogFont.lfWeight = face.Weight;
    style.LogFont.lfItalic = face.Italic;
    for (const char* text : texts) {
      for (int height : {13, 40, 111, 257, 480}) {
        for (int width : {90, 640, 1500}) {
          const MeasureAtHeight measure = [&](int h) { return MeasureTextAtHeight(dc, style.LogFont, h, text); };
          const FitResult linear = FitHeightLinear(width, height, measure);
          const FitResult fast = FitHeightFast(width, height, measure);
          ASSERT_EQ(fast.Height, linear.Height) << face.Name << " " << text << " " << width << "x" << height;
          ++compared;
        }
      }
    }
  }
  EXPECT_EQ(compared, 5 * 4 * 5 * 3);
}

TEST(DisplayResources, CreatingResizingPaintingAndDestroyingLeaksNoGdiObject) {
  ScratchRegistry::Clear();
  ManualClock clock;
  const long liveBefore = CGdiObject::LiveCount();
  const DWORD gdiBefore = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  for (int round = 0; round < 12; ++round) {
    CCounter counter(1);
    counter.CreateDisplay();
    counter.Start(83 + round, DownToZero, MinSec, 0, 0);
    counter.SetTicker("Leak check");
    for (int size = 0; size < 4; ++size) {
      SetClientSize(counter.Window, 300 + 97 * size, 200 + 61 * size);
      clock.Advance(40);
      PaintNow(counter.Window);
      counter.Window.CaptureSnapshot();
    }
    counter.Window.SetTransparent(round % 2 == 0);
    PaintNow(counter.Window);
    Pump();
  }
  Pump();
  EXPECT_EQ(CGdiObject::LiveCount(), liveBefore);
  const DWORD gdiAfter = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  if (gdiBefore != 0) {
    EXPECT_LE(gdiAfter, gdiBefore + 2) << "the system's count of GDI objects";
  }
}

}  // namespace
