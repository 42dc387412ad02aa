#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "support/ProcessWatch.h"
#include "support/SheetHarness.h"
#include "wine/DisplayTestSupport.h"

// Layout checks that hold at every DPI. The test command runs them once more
// in a prefix set to 144 DPI (150 %), with VELTO_TEST_DPI telling the DPI
// the prefix was given.
namespace {

int ScreenDpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

std::string Describe(const RECT& r) {
  std::ostringstream text;
  text << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
  return text.str();
}

RECT RectIn(HWND window, HWND parent) {
  RECT r{};
  ::GetWindowRect(window, &r);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// What a control's text needs in pixels beyond the text itself: the check
// mark of a check box or radio, the frame of a push button.
int Decoration(HWND control, int dpi) {
  const LONG style = ::GetWindowLongA(control, GWL_STYLE);
  char cls[32] = "";
  ::GetClassNameA(control, cls, sizeof cls);
  if (_stricmp(cls, "Button") != 0) return 0;
  switch (style & BS_TYPEMASK) {
    case BS_AUTOCHECKBOX:
    case BS_CHECKBOX:
    case BS_AUTORADIOBUTTON:
    case BS_RADIOBUTTON:
      return ::GetSystemMetrics(SM_CXMENUCHECK) + ::MulDiv(3, dpi, 96);
    case BS_GROUPBOX:
      return ::MulDiv(16, dpi, 96);
    default:
      return ::MulDiv(6, dpi, 96);
  }
}

// The controls of a page whose one-line text is wider than the control, as
// "text (needed/width)".
std::vector<std::string> ClippedTexts(HWND page, int dpi) {
  std::vector<std::string> clipped;
  for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    char cls[32] = "";
    ::GetClassNameA(child, cls, sizeof cls);
    if (_stricmp(cls, "Edit") == 0) continue;
    char text[256] = "";
    ::GetWindowTextA(child, text, sizeof text);
    std::string shown;
    for (const char* c = text; *c; ++c)
      if (*c != '&' || c[1] == '&') shown += *c;
    if (shown.empty()) continue;
    HDC dc = ::GetDC(child);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(child, WM_GETFONT, 0, 0)));
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(child, dc);
    RECT client{};
    ::GetClientRect(child, &client);
    const int needed = extent.cx + Decoration(child, dpi);
    if (needed > client.right)
      clipped.push_back(shown + " (" + std::to_string(needed) + "/" + std::to_string(client.right) + ")");
  }
  return clipped;
}

class HighDpi : public SheetTest {
protected:
  void SetUp() override {
    SheetTest::SetUp();
    if (const char* wanted = std::getenv("VELTO_TEST_DPI")) {
      ASSERT_EQ(ScreenDpi(), std::atoi(wanted));
    }
  }
};

TEST_F(HighDpi, EveryPageLiesInsideTheSheetAndEveryControlInsideItsPage) {
  SeedText("Settings", "Counters", "1");
  CVeltoSheet* sheet = StartProgram();
  RECT sheetClient{};
  sheet->GetClientRect(&sheetClient);
  for (int index : {0, 1, 2}) {
    HWND page = ShowPage(index);
    ASSERT_NE(page, nullptr) << "page " << index;
    const RECT pageRect = RectIn(page, sheet->GetSafeHwnd());
    EXPECT_TRUE(Inside(pageRect, sheetClient))
        << "page " << index << " at " << Describe(pageRect) << ", sheet client " << Describe(sheetClient);
    RECT pageClient{};
    ::GetClientRect(page, &pageClient);
    int controls = 0;
    for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      ++controls;
      const RECT r = RectIn(child, page);
      EXPECT_TRUE(Inside(r, pageClient)) << "page " << index << ", control " << ::GetDlgCtrlID(child) << " at "
                                         << Describe(r) << " outside " << Describe(pageClient);
    }
    EXPECT_GT(controls, 0);
  }
}

// With the prefix's Tahoma at 96 DPI these texts of the counter page are a
// few pixels wider than their rectangles (the template's sizes are kept);
// no other text may be cut, at 96 DPI or above.
const char* const CutAt96Dpi[] = {"Count down (negative)",
                                  "mins",
                                  "before end",
                                  "Transparent display",
                                  "Display time during pause",
                                  "Hide other counters on start",
                                  "Ticker smoothness can be affected by other running applications"};

TEST_F(HighDpi, CounterPageCutsNoTextBeyondWhatNinetySixDpiCuts) {
  StartProgram();
  HWND page = ShowPage(1);
  for (const std::string& clipped : ClippedTexts(page, ScreenDpi())) {
    bool known = false;
    for (const char* text : CutAt96Dpi) known = known || clipped.rfind(std::string(text) + " (", 0) == 0;
    EXPECT_TRUE(known) << "cut: " << clipped;
  }
}

TEST_F(HighDpi, SheetFitsTheWorkArea) {
  CVeltoSheet* sheet = StartProgram();
  RECT workArea{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
  RECT sheetRect{};
  sheet->GetWindowRect(&sheetRect);
  EXPECT_TRUE(Inside(sheetRect, workArea)) << Describe(sheetRect) << " in " << Describe(workArea);
  // The tab row and a page must leave most of the screen to the display.
  EXPECT_LT(sheetRect.bottom - sheetRect.top, (workArea.bottom - workArea.top) / 2);
}

TEST_F(HighDpi, DisplayFillsItsRectangleWithTheLargestDigits) {
  CVeltoSheet* sheet = StartProgram();
  Click(ShowPage(1), IDC_START);
  CCounterWindow& display = Counter(0).Window;
  RECT workArea{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
  RECT sheetRect{};
  sheet->GetWindowRect(&sheetRect);
  RECT displayRect{};
  display.GetWindowRect(&displayRect);
  const RECT expected{workArea.left, workArea.top, workArea.right, sheetRect.top};
  EXPECT_TRUE(::EqualRect(&displayRect, &expected)) << Describe(displayRect) << ", expected " << Describe(expected);

  display.SetForegroundWindow();
  display_test::PaintNow(display);
  PumpMessages(50);
  RECT client{};
  display.GetClientRect(&client);
  HDC dc = ::GetDC(display.GetSafeHwnd());
  const RECT digits = display_test::PixelBounds(dc, client, [](COLORREF c) { return !display_test::IsBlack(c); });
  ::ReleaseDC(display.GetSafeHwnd(), dc);
  ASSERT_FALSE(::IsRectEmpty(&digits)) << "nothing drawn";
  // Digits fitted to the window: one dimension of the text nearly fills it.
  const double across = double(digits.right - digits.left) / client.right;
  const double down = double(digits.bottom - digits.top) / client.bottom;
  EXPECT_TRUE(across > 0.8 || down > 0.6) << "digits " << Describe(digits) << " in " << Describe(client);
}

TEST_F(HighDpi, SheetTakesTheRectangleSuggestedForANewDpi) {
  CVeltoSheet* sheet = StartProgram();
  RECT before{};
  sheet->GetWindowRect(&before);
  RECT suggested{40, 60, 40 + (before.right - before.left) * 3 / 2, 60 + (before.bottom - before.top) * 3 / 2};
  sheet->SendMessage(WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  RECT after{};
  sheet->GetWindowRect(&after);
  EXPECT_TRUE(::EqualRect(&after, &suggested)) << Describe(after);
}

TEST_F(HighDpi, DisplayKeepsItsPixelsWhenItsDpiChanges) {
  StartProgram();
  CCounterWindow& display = Counter(0).Window;
  RECT before{};
  display.GetWindowRect(&before);
  RECT suggested{before.left, before.top, before.left + (before.right - before.left) * 3 / 2,
                 before.top + (before.bottom - before.top) * 3 / 2};
  display.SendMessage(WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  RECT after{};
  display.GetWindowRect(&after);
  EXPECT_TRUE(::EqualRect(&after, &before)) << "a display drawn in pixels has nothing to grow for: " << Describe(after);
}

// The executable's manifest asks for per-monitor DPI awareness, declares the
// supported Windows versions (7, 8, 8.1, 10 and 11: without its identifier a
// later Windows shims the program and reports an older version to it) and
// carries the version of the version resource.
TEST(HighDpiManifest, DeclaresDpiAwarenessSupportedWindowsAndTheProductVersion) {
  const std::string path = BuiltProductPath();
  HMODULE exe = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(exe, nullptr) << path;
  HRSRC found = ::FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(found, nullptr);
  const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(exe, found)));
  const std::string manifest(bytes, ::SizeofResource(exe, found));
  ::FreeLibrary(exe);
  EXPECT_NE(
      manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>"),
      std::string::npos);
  EXPECT_NE(manifest.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
                          "PerMonitorV2, PerMonitor</dpiAwareness>"),
            std::string::npos);

  const std::size_t compatibility =
      manifest.find("<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">");
  ASSERT_NE(compatibility, std::string::npos) << "no compatibility section";
  const std::string section = manifest.substr(compatibility, manifest.find("</compatibility>") - compatibility);
  std::vector<std::string> declared;
  const std::string opening = "<supportedOS Id=\"";
  for (std::size_t at = section.find(opening); at != std::string::npos; at = section.find(opening, at + 1)) {
    const std::size_t start = at + opening.size();
    declared.push_back(section.substr(start, section.find('"', start) - start));
  }
  EXPECT_EQ(declared, (std::vector<std::string>{
                          "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
                          "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // Windows 8
                          "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // Windows 8.1
                          "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10 and 11
                      }));

  DWORD ignored = 0;
  std::vector<BYTE> info(::GetFileVersionInfoSizeA(path.c_str(), &ignored));
  ASSERT_FALSE(info.empty());
  ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  const std::string version =
      std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
      std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionLS));
  EXPECT_NE(manifest.find("name=\"HalvornIndustries.Velto\" version=\"" + version + "\""), std::string::npos)
      << "the manifest's assembly version is not " << version;
}

}  // namespace
