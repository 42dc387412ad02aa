// Figures of the display's drawing costs, printed, not judged:
//   1. refitting the digits' font: the linear search against the fast one,
//      for client heights 200, 1080 and 2160 (16:9), "Arial", 5 and 8 characters;
//   2. one ticker frame at 1920 x 1080 and 3840 x 2160, as the frame clock
//      draws it (the whole line, and the line moved with one copy) and as a
//      strip repaint through WM_PAINT;
//   3. the program's CPU time per counted second on one still display at
//      1920 x 1080 and 3840 x 2160, digits copied from the glyph cache and
//      rasterised every second.
#include <windows.h>

#include <cstdio>
#include <memory>

#include "app/VeltoApp.h"
#include "counter/Counter.h"
#include "display/CounterWindow.h"
#include "display/FitSearch.h"
#include "display/FrameClock.h"
#include "display/GlyphCache.h"
#include "display/TextFit.h"
#include "framework/Profile.h"
#include "support/ManualClock.h"

namespace {

double Seconds() {
  static LARGE_INTEGER frequency{};
  if (!frequency.QuadPart) ::QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Timing {
  FitResult Fit;
  double MillisecondsPerRefit = 0;
};

// GDI keeps recently made fonts: each run asks for a weight of its own (all of
// them drawn as the normal weight) so that no run finds its fonts made already.
template <typename Search>
Timing TimeSearch(Search search, CDC& dc, LOGFONT font, int firstWeight, int width, int height, const char* text,
                  int runs) {
  Timing timing;
  const MeasureAtHeight measure = [&](int h) { return MeasureTextAtHeight(dc, font, h, text); };
  const double start = Seconds();
  for (int i = 0; i < runs; ++i) {
    font.lfWeight = firstWeight + i;
    timing.Fit = search(width, height, measure);
  }
  timing.MillisecondsPerRefit = (Seconds() - start) * 1000.0 / runs;
  return timing;
}

void BenchmarkFitting() {
  CClientDC screen(nullptr);
  CDC dc;
  dc.CreateCompatibleDC(&screen);
  TextStyle style(RGB(0, 255, 0));  // Arial, as a new counter has it
  std::printf("Refitting the digits' font (Arial); fonts = fonts created per refit\n");
  std::printf("%-11s %-10s %8s %10s %8s %10s %7s %7s %s\n", "client", "text", "linear", "ms/refit", "fast",
              "ms/refit", "fonts", "time", "heights");
  std::printf("%-11s %-10s %8s %10s %8s %10s %7s %7s %s\n", "", "", "fonts", "", "fonts", "", "ratio", "ratio", "");
  bool allAgree = true;
  const int heights[] = {200, 1080, 2160};
  const char* texts[] = {"00:00", "23:59:59"};
  for (int height : heights) {
    const int width = height * 16 / 9;
    for (const char* text : texts) {
      static int weight = 1;  // weights 1 to 500 all draw as the normal weight
      const int runs = 4;
      const Timing linear = TimeSearch(FitHeightLinear, dc, style.LogFont, weight, width, height, text, runs);
      weight += runs;
      const Timing fast = TimeSearch(FitHeightFast, dc, style.LogFont, weight, width, height, text, runs);
      weight += runs;
      const bool agree = linear.Fit.Height == fast.Fit.Height;
      allAgree = allAgree && agree;
      char client[32];
      std::snprintf(client, sizeof client, "%dx%d", width, height);
      // The display keeps the last font of the linear search; the fast one makes the chosen one once more.
      std::printf("%-11s %-10s %8d %10.3f %8d %10.3f %6.1fx %6.1fx %d %s %d\n", client, text,
                  linear.Fit.Measurements, linear.MillisecondsPerRefit, fast.Fit.Measurements + 1,
                  fast.MillisecondsPerRefit,
                  static_cast<double>(linear.Fit.Measurements) / (fast.Fit.Measurements + 1),
                  linear.MillisecondsPerRefit / fast.MillisecondsPerRefit, linear.Fit.Height, agree ? "==" : "!=",
                  fast.Fit.Height);
    }
  }
  std::printf("heights agree everywhere: %s\n\n", allAgree ? "yes" : "NO");
}

void BenchmarkTickerFrame() {
  std::printf("One ticker frame (small ticker, the text moved 6 px): as the frame clock draws it, as a repaint\n"
              "of the bottom strip through WM_PAINT, and a paint of the whole window\n");
  const SIZE sizes[] = {{1920, 1080}, {3840, 2160}};
  for (const SIZE& size : sizes) {
    CCounter counter(1);
    counter.CreateDisplay();
    CFrameClock::Instance().Leave(counter.Window);  // only the benchmark draws
    counter.Start(5999, DownToZero, MinSec, 0, 0);
    counter.SetTicker("Next: keynote in hall B - please take your seats - thank you");
    RECT outer{}, client{};
    counter.Window.GetWindowRect(&outer);
    counter.Window.GetClientRect(&client);
    counter.Window.SetWindowPos(nullptr, 0, 0, size.cx + (outer.right - outer.left) - client.right,
                                size.cy + (outer.bottom - outer.top) - client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    counter.Window.GetClientRect(&client);
    ::RedrawWindow(counter.Window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const int frames = 200;
    double perFrame[2] = {0, 0};
    long scrolled = 0;
    for (const bool scroll : {false, true}) {
      counter.Window.ScrollTicker = scroll;
      counter.Window.TickerOffset = size.cx / 2.0;
      const long scrolledBefore = CCounterWindow::ScrolledTickerFrames();
      const double start = Seconds();
      for (int i = 0; i < frames; ++i) {
        counter.Window.TickerOffset += 6.0;
        counter.Window.DrawFrame(true);
      }
      ::GdiFlush();
      perFrame[scroll ? 1 : 0] = (Seconds() - start) * 1000.0 / frames;
      scrolled = CCounterWindow::ScrolledTickerFrames() - scrolledBefore;
    }
    const RECT strip = counter.Window.TickerStrip();
    double start = Seconds();
    for (int i = 0; i < frames; ++i) {
      counter.Window.TickerOffset += 6.0;
      ::RedrawWindow(counter.Window, &strip, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    ::GdiFlush();
    const double perStrip = (Seconds() - start) * 1000.0 / frames;
    const RECT full = client;
    start = Seconds();
    for (int i = 0; i < 20; ++i) ::RedrawWindow(counter.Window, &full, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ::GdiFlush();
    const double perFull = (Seconds() - start) * 1000.0 / 20;
    std::printf(
        "client %ldx%ld: frame drawing the whole line %.3f ms, moving it with one copy %.3f ms (%ld of %d "
        "frames); strip of %ld px through WM_PAINT %.3f ms; whole window %.3f ms\n",
        client.right, client.bottom, perFrame[0], perFrame[1], scrolled, frames, strip.bottom - strip.top, perStrip,
        perFull);
  }
}

double ProcessCpuMilliseconds() {
  FILETIME created, exited, kernel, user;
  ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto value = [](const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  };
  return (value(kernel) + value(user)) / 10000.0;
}

void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

void BenchmarkCountedSecond() {
  std::printf("\nCPU time of the program per counted second, one still display (no ticker), counting up from\n"
              "minute 10: the clock step, the frame and the copy to the window with its way to the X server.\n"
              "The first ten seconds (every digit once, the cache filled) are given apart.\n");
  ManualClock clock;
  const SIZE sizes[] = {{1920, 1080}, {3840, 2160}};
  for (const SIZE& size : sizes) {
    for (const bool cache : {false, true}) {
      CCounter counter(1);
      counter.CreateDisplay();
      CFrameClock::Instance().Leave(counter.Window);  // only the benchmark steps it
      counter.Window.CacheGlyphs = cache;
      RECT outer{}, client{};
      counter.Window.GetWindowRect(&outer);
      counter.Window.GetClientRect(&client);
      counter.Window.SetWindowPos(nullptr, 0, 0, size.cx + (outer.right - outer.left) - client.right,
                                  size.cy + (outer.bottom - outer.top) - client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
      counter.Window.GetClientRect(&client);
      counter.Start(0, CountUp, MinSec, 0, 0);
      counter.Elapsed = CTimeSpan(static_cast<int64_t>(600));
      ::RedrawWindow(counter.Window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      Pump();
      long pixels = 0;
      const auto run = [&](int seconds) {
        for (int i = 0; i < seconds; ++i) {
          clock.Advance(1000);
          const RECT drawn = counter.Window.ClockStep(clock.Ticks, clock.TimeMs(), false);
          pixels += (drawn.right - drawn.left) * (drawn.bottom - drawn.top);
          ::GdiFlush();
          Pump();
        }
      };
      const long rasterised = CGlyphCache::Rasterised();
      double cpu = ProcessCpuMilliseconds();
      run(10);
      const double firstTen = ProcessCpuMilliseconds() - cpu;
      const int seconds = 300;
      pixels = 0;
      cpu = ProcessCpuMilliseconds();
      const double start = Seconds();
      run(seconds);
      const double perSecondCpu = (ProcessCpuMilliseconds() - cpu) / seconds;
      const double perSecondWall = (Seconds() - start) * 1000.0 / seconds;
      std::printf("client %ldx%ld, %-23s CPU %.2f ms, wall %.2f ms per counted second (%ld px drawn); "
                  "the first ten: %.0f ms of CPU, %ld glyphs rasterised\n",
                  client.right, client.bottom, cache ? "digits from the cache:" : "digits rasterised:", perSecondCpu,
                  perSecondWall, pixels / seconds, firstTen, CGlyphCache::Rasterised() - rasterised);
    }
  }
}

}  // namespace

int main() {
  // Settings go to an in-memory store: the benchmark leaves the registry alone.
  struct : CProfileStore {
    UINT GetProfileInt(LPCTSTR, LPCTSTR, int d) override { return static_cast<UINT>(d); }
    BOOL WriteProfileInt(LPCTSTR, LPCTSTR, int) override { return TRUE; }
    CString GetProfileString(LPCTSTR, LPCTSTR, LPCTSTR d) override { return d; }
    BOOL WriteProfileString(LPCTSTR, LPCTSTR, LPCTSTR) override { return TRUE; }
    BOOL GetProfileBinary(LPCTSTR, LPCTSTR, std::vector<BYTE>& data) override {
      data.clear();
      return FALSE;
    }
    BOOL WriteProfileBinary(LPCTSTR, LPCTSTR, const BYTE*, UINT) override { return TRUE; }
    BOOL DeleteProfileSection(LPCTSTR) override { return TRUE; }
  } nowhere;
  AfxSetProfile(&nowhere);
  BenchmarkFitting();
  BenchmarkTickerFrame();
  BenchmarkCountedSecond();
  AfxSetProfile(nullptr);
  return 0;
}
