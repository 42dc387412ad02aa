// Whatever a hand-edited or damaged registry holds, the program starts,
// shows sane values, lets the operator work, and writes back only what the
// operator's actions write.
#include <string>
#include <vector>

#include "resources/resource.h"
#include "support/SheetHarness.h"

namespace {

class HostileSettingsTest : public SheetTest {
protected:
  static void SeedRaw(const char* section, const char* value, DWORD type, const void* data, DWORD size) {
    RegKey key = VeltoApp().GetSectionKey(section, true);
    ASSERT_EQ(::RegSetValueExA(key.Get(), value, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }
  static void SeedWrongTypes(const char* section) {
    SeedText(section, "TotalTime", "ninety");
    SeedText(section, "OrangeTime", "30");
    SeedText(section, "Type", "1");
    SeedText(section, "Transparent", "1");
    Seed(section, "Ticker", 12345);
    Seed(section, "NormalStyle", 7);
    SeedText(section, "NormalStyle_col", "green");
    const BYTE garbage[3] = {1, 2, 3};
    SeedRaw(section, "OrangeStyle", REG_BINARY, garbage, sizeof garbage);
    SeedText(section, "WindowPlacement", "maximised");
    Seed(section, "Name", 99);
  }

  // The operator can still run the counter from its page.
  void ExpectTheCounterRuns(HWND page, std::size_t index) {
    SetText(page, IDC_TOTAL_HOURS, "");
    SetText(page, IDC_TOTAL_MINUTES, "0");
    SetText(page, IDC_TOTAL_SECONDS, "5");
    Click(page, IDC_TYPE_DOWN_TO_ZERO);
    Click(page, IDC_START);
    EXPECT_TRUE(Counter(index).Started);
    EXPECT_EQ(Counter(index).GetDisplayText(), "00:05");
    PumpMessages(1200);
    EXPECT_EQ(Counter(index).GetDisplayText(), "00:04");
    EXPECT_TRUE(Counter(index).Window.IsWindowVisible());
  }
};

TEST_F(HostileSettingsTest, ValuesOfTheWrongTypeReadAsTheirDefaults) {
  Seed("Settings", "Counters", 5);  // a number where the list text belongs
  SeedWrongTypes("Counter1");
  StartProgram();
  ASSERT_EQ(TabCount(), 4) << "the list falls back to counter 1";
  EXPECT_EQ(TabText(1), "Counter");
  HWND page = ShowPage(1);
  EXPECT_EQ(Text(page, IDC_TOTAL_MINUTES), "1");
  EXPECT_EQ(Text(page, IDC_TOTAL_SECONDS), "10");
  EXPECT_EQ(Text(page, IDC_ORANGE_SECONDS), "30");
  EXPECT_EQ(Text(page, IDC_TICKER_TEXT), "");
  EXPECT_TRUE(Checked(page, IDC_TYPE_DOWN_TO_ZERO));
  EXPECT_FALSE(Checked(page, IDC_TRANSPARENT));
  EXPECT_STREQ(Counter(0).NormalStyle.LogFont.lfFaceName, "Arial");
  EXPECT_STREQ(Counter(0).OrangeStyle.LogFont.lfFaceName, "Arial");
  EXPECT_EQ(Counter(0).NormalStyle.Colour, RGB(0, 255, 0));
  EXPECT_EQ(Text(Counter(0).Window.GetSafeHwnd()), "Velto - Counter");
  ExpectTheCounterRuns(page, 0);
}

TEST_F(HostileSettingsTest, HugeAndNegativeNumbersGiveSaneControls) {
  SeedText("Settings", "Counters", "1,-7,2147483647,99999999999");
  for (const char* section : {"Counter1", "Counter-7", "Counter2147483647", "Counter0"}) {
    Seed(section, "TotalTime", 0xFFFFFFFFu);
    Seed(section, "OrangeTime", 0x80000000u);
    Seed(section, "RedTime", 4000000000u);
    Seed(section, "Type", 0x7FFFFFFFu);
    Seed(section, "Format", 0xFFFFFFFFu);
    Seed(section, "TickerSize", 99);
    Seed(section, "TickerColour", 0xFFFFFFFFu);
    Seed(section, "NormalStyle_col", 0xFF000000u);
    Seed(section, "Transparent", 7);
    Seed(section, "OnTop", 0xFFFFFFFFu);
  }
  StartProgram();
  ASSERT_EQ(TabCount(), 7);
  for (int tab = 1; tab <= 4; ++tab) {
    HWND page = ShowPage(tab);
    ASSERT_NE(page, nullptr);
    for (int box : {IDC_TOTAL_MINUTES, IDC_TOTAL_SECONDS, IDC_ORANGE_MINUTES, IDC_ORANGE_SECONDS, IDC_RED_MINUTES,
                    IDC_RED_SECONDS}) {
      const std::string text = Text(page, box);
      EXPECT_TRUE(!text.empty() && text.find('-') == std::string::npos) << "box " << box << ": " << text;
    }
    EXPECT_TRUE(Checked(page, IDC_TYPE_DOWN_TO_ZERO)) << tab;
    EXPECT_TRUE(Checked(page, IDC_FORMAT_AUTO)) << tab;
    EXPECT_TRUE(Checked(page, IDC_TICKER_SMALL)) << tab;
    EXPECT_TRUE(Checked(page, IDC_TRANSPARENT)) << "any non-zero value is on";
    EXPECT_TRUE(Checked(page, IDC_ON_TOP));
  }
  ExpectTheCounterRuns(ShowPage(3), 2);
}

TEST_F(HostileSettingsTest, LongStrangeAndForeignTextsAreShownAndKept) {
  const std::string controlName = "Stage\tleft\r\nnow";
  const std::string foreignName = "B\xFChne \xC4\xD6\xDC \xA7 5";  // in the ANSI code page
  const std::string longTicker = std::string(5000, 'x') + "\x01\x7F end";
  SeedText("Settings", "Counters", "1,2");
  SeedText("Counter1", "Name", controlName.c_str());
  SeedText("Counter2", "Name", foreignName.c_str());
  SeedText("Counter1", "Ticker", longTicker.c_str());
  SeedText("Counter1", "NormalStyle", std::string(31, 'a').c_str());
  SeedText("Counter1", "OrangeStyle", std::string(32, 'b').c_str());
  SeedText("Counter1", "RedStyle", std::string(300, 'c').c_str());
  StartProgram();
  EXPECT_EQ(TabText(1), controlName);
  EXPECT_EQ(TabText(2), foreignName);
  EXPECT_EQ(Text(Counter(1).Window.GetSafeHwnd()), "Velto - " + foreignName);
  HWND page = ShowPage(1);
  char ticker[8192] = "";
  ::GetDlgItemTextA(page, IDC_TICKER_TEXT, ticker, sizeof ticker);
  EXPECT_EQ(std::string(ticker), longTicker);
  EXPECT_EQ(std::string(Counter(0).NormalStyle.LogFont.lfFaceName), std::string(31, 'a'));
  EXPECT_EQ(std::string(Counter(0).OrangeStyle.LogFont.lfFaceName), std::string(31, 'b'));
  EXPECT_EQ(std::string(Counter(0).RedStyle.LogFont.lfFaceName), std::string(31, 'c'));
  Click(page, IDC_TICKER_UPDATE);
  EXPECT_EQ(Counter(0).Ticker.Str(), longTicker);
  PumpMessages(200);  // the ticker scrolls over the display without harm
  ExpectTheCounterRuns(page, 0);
}

TEST_F(HostileSettingsTest, PlacementsOfOtherLengthsAreIgnored) {
  SeedText("Settings", "Counters", "1,2,3,4");
  const std::vector<BYTE> empty, shorter(43, 0xFF), longer(45, 0x7F), huge(4096, 0x55);
  SeedRaw("Counter1", "WindowPlacement", REG_BINARY, empty.data(), 0);
  SeedRaw("Counter2", "WindowPlacement", REG_BINARY, shorter.data(), static_cast<DWORD>(shorter.size()));
  SeedRaw("Counter3", "WindowPlacement", REG_BINARY, longer.data(), static_cast<DWORD>(longer.size()));
  SeedRaw("Counter4", "WindowPlacement", REG_BINARY, huge.data(), static_cast<DWORD>(huge.size()));
  StartProgram();
  RECT expected{};
  Counter(0).Window.GetWindowRect(&expected);
  for (std::size_t i = 0; i < 4; ++i) {
    RECT rect{};
    Counter(i).Window.GetWindowRect(&rect);
    EXPECT_TRUE(Counter(i).Window.IsWindowVisible()) << i;
    EXPECT_FALSE(Counter(i).Window.IsZoomed()) << i;
    EXPECT_EQ(rect.left, expected.left) << i;
    EXPECT_EQ(rect.top, expected.top) << i;
    EXPECT_EQ(rect.right, expected.right) << i;
    EXPECT_EQ(rect.bottom, expected.bottom) << i;
  }
}

TEST_F(HostileSettingsTest, NothingIsWrittenThatTheOperatorDidNotCauseToBeWritten) {
  SeedText("Settings", "Counters", "1,2,,x");
  SeedWrongTypes("Counter1");
  SeedText("Counter1", "Name", "Main stage");
  Seed("Counter2", "TotalTime", 0xFFFFFFFFu);
  SeedText("Counter2", "Ticker", "\x01\x02");
  SeedText("Counter9", "Name", "Unused section");
  Seed("Counter9", "Type", 3);
  SeedText("Settings", "Unknown", "kept");
  const RegistrySnapshot seeded = Snapshot();

  // Started and closed without showing a counter page: nothing changes.
  StartProgram();
  VeltoApp().Sheet->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
  PumpMessages(200);
  EXPECT_EQ(VeltoApp().Sheet, nullptr) << "the sheet is gone";
  EXPECT_TRUE(Changed(seeded, Snapshot()).empty());

  // A page that was shown saves its own settings, and nothing else changes.
  VeltoApp().CounterList.clear();
  StartProgram();
  ShowPage(1);
  ShowPage(0);
  VeltoApp().Sheet->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
  PumpMessages(200);
  for (const std::string& name : Changed(seeded, Snapshot())) {
    EXPECT_EQ(name.rfind("\\Counter1|", 0), 0u) << name << " was written";
    EXPECT_EQ(name.find("|Name"), std::string::npos) << name;
    EXPECT_EQ(name.find("|WindowPlacement"), std::string::npos) << name;
    EXPECT_EQ(name.find("|Transparent"), std::string::npos) << name;
    EXPECT_EQ(name.find("|OnTop"), std::string::npos) << name;
  }
}

}  // namespace
