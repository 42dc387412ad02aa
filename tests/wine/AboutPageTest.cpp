#include <string>

#include "about/AboutPage.h"
#include "resources/resource.h"
#include "support/SheetHarness.h"
#include "version.h"

namespace {

// A program built next to the tests.
std::string BesideTheTests(const char* file) {
  char path[MAX_PATH] = "";
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  dir.erase(dir.find_last_of("\\/") + 1);
  return dir + file;
}

TEST(VersionTextTest, ShowsMajorMinorAndTheFourthNumberOfTheProductVersion) {
  EXPECT_EQ(VersionText(BesideTheTests("velto_version_probe.exe").c_str()), "2.5.14");
}

TEST(VersionTextTest, AFileWithoutAVersionResourceShowsVerError) {
  EXPECT_EQ(VersionText(BesideTheTests("velto_plain_probe.exe").c_str()), "VerError");
  EXPECT_EQ(VersionText(BesideTheTests("no such program.exe").c_str()), "VerError");
  EXPECT_EQ(VersionText(""), "VerError");
}

TEST(VersionTextTest, TheProgramCarriesTheBuildsVersion) {
  CString expected;
  expected.Format("%d.%d.%d", VELTO_VERSION_MAJOR, VELTO_VERSION_MINOR, VELTO_VERSION_BUILD);
  EXPECT_EQ(VersionText(RunningModulePath()), expected);
  EXPECT_EQ(VersionText(BesideTheTests("Velto.exe").c_str()), expected);
}

using AboutPageTest = SheetTest;

TEST_F(AboutPageTest, ShowsTheVersionAndTwoContactLinesThatCanBeSelectedButNotEdited) {
  StartProgram();
  HWND page = ShowPage(TabCount() - 1);
  EXPECT_EQ(TabText(TabCount() - 1), "About");
  EXPECT_EQ(Text(page, IDC_ABOUT_VERSION), VersionText(RunningModulePath()).Str());
  EXPECT_NE(Text(page, IDC_ABOUT_VERSION), "VerError");
  EXPECT_EQ(Text(page, IDC_ABOUT_FIRST_CONTACT), CAboutPage::FirstContactLine);
  EXPECT_EQ(Text(page, IDC_ABOUT_SECOND_CONTACT), CAboutPage::SecondContactLine);
  EXPECT_EQ(VeltoApp().Sheet->AboutPage.FirstContact.GetSafeHwnd(), ::GetDlgItem(page, IDC_ABOUT_FIRST_CONTACT));
  EXPECT_EQ(VeltoApp().Sheet->AboutPage.SecondContact.GetSafeHwnd(), ::GetDlgItem(page, IDC_ABOUT_SECOND_CONTACT));

  for (int id : {IDC_ABOUT_FIRST_CONTACT, IDC_ABOUT_SECOND_CONTACT}) {
    HWND edit = ::GetDlgItem(page, id);
    const std::string before = Text(edit);
    EXPECT_TRUE(::GetWindowLongA(edit, GWL_STYLE) & ES_READONLY) << id;
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
    DWORD start = 1, end = 0;
    ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, before.size());
    ::SendMessageA(edit, WM_CHAR, 'x', 1);
    ::SendMessageA(edit, WM_CUT, 0, 0);
    ::SendMessageA(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(Text(edit), before) << "typing, cutting and pasting change nothing";
    ::SendMessageA(edit, WM_COPY, 0, 0);
    if (::OpenClipboard(nullptr)) {
      HANDLE data = ::GetClipboardData(CF_TEXT);
      const char* copied = data ? static_cast<const char*>(::GlobalLock(data)) : nullptr;
      EXPECT_EQ(copied ? std::string(copied) : std::string(), before) << "the line can be copied";
      if (copied) ::GlobalUnlock(data);
      ::CloseClipboard();
    }
  }
}

TEST_F(AboutPageTest, TheContactLinesFitTheirBoxes) {
  StartProgram();
  HWND page = ShowPage(TabCount() - 1);
  for (int id : {IDC_ABOUT_FIRST_CONTACT, IDC_ABOUT_SECOND_CONTACT, IDC_ABOUT_VERSION}) {
    HWND control = ::GetDlgItem(page, id);
    RECT box{};
    ::GetClientRect(control, &box);
    HDC dc = ::GetDC(control);
    HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)));
    const std::string text = Text(control);
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, previous);
    ::ReleaseDC(control, dc);
    EXPECT_LT(extent.cx, box.right - 4) << text;
  }
}

}  // namespace
