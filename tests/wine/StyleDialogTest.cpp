#include <cstdlib>
#include <string>

#include "framework/CommonDialogs.h"
#include "page/StyleDlg.h"
#include "resources/resource.h"
#include "support/ModalScript.h"
#include "support/SheetHarness.h"

namespace {

// Lets a person (or a screenshot) look at a dialog a step has reached.
void HoldForScreenshot() {
  if (const char* hold = std::getenv("VELTO_SCREENSHOT_HOLD_MS")) ::Sleep(static_cast<DWORD>(std::atoi(hold)));
}

class StyleDialogTest : public SheetTest {
protected:
  void TearDown() override {
    CFontDialog::SetChooser(nullptr);
    CColorDialog::SetChooser(nullptr);
    SheetTest::TearDown();
  }

  static CStyleDlg* StyleDialog(HWND dialog) { return dynamic_cast<CStyleDlg*>(CWnd::FromHandlePermanent(dialog)); }

  static LOGFONTA FontOf(const CFont& font) {
    LOGFONTA info{};
    ::GetObjectA(font.GetSafeHandle(), sizeof info, &info);
    return info;
  }

  static std::string ItemText(HWND dialog, int id) { return Text(::GetDlgItem(dialog, id)); }
};

// The dialog's middle is the middle of the window that owns it (the control
// sheet is large enough for that to fit on the screen).
bool CentredOverOwner(HWND dialog) {
  RECT own{}, owner{};
  ::GetWindowRect(dialog, &own);
  ::GetWindowRect(::GetWindow(dialog, GW_OWNER), &owner);
  return std::abs((own.left + own.right) - (owner.left + owner.right)) <= 2 &&
         std::abs((own.top + own.bottom) - (owner.top + owner.bottom)) <= 2;
}

struct PreviewSeen {
  bool Centred = false;
  bool Reached = false;
  int RectHeight = 0;
  int Coloured = 0;
  int ColouredHeight = 0;
  COLORREF TopLeft = CLR_INVALID;
  std::string Face;
  LONG FittedHeight = 0;
};

// Looks at the preview of an open "Counter Style" dialog.
PreviewSeen LookAtPreview(HWND dialog, COLORREF colour) {
  PreviewSeen seen;
  auto* style = dynamic_cast<CStyleDlg*>(CWnd::FromHandlePermanent(dialog));
  if (!style) return seen;
  seen.Reached = true;
  seen.Centred = CentredOverOwner(dialog);
  const RECT rect = style->PreviewRect();
  seen.RectHeight = rect.bottom - rect.top;
  ClientPixels preview(dialog, &rect);
  seen.Coloured = preview.Count(colour);
  const RECT bounds = preview.Bounds(colour);
  seen.ColouredHeight = bounds.bottom - bounds.top;
  seen.TopLeft = preview.At(0, 0);
  LOGFONTA fitted{};
  ::GetObjectA(style->Style.Font.GetSafeHandle(), sizeof fitted, &fitted);
  seen.Face = fitted.lfFaceName;
  seen.FittedHeight = fitted.lfHeight;
  return seen;
}

TEST_F(StyleDialogTest, EachStyleButtonPreviewsItsDigitsOnBlackFillingThePreview) {
  StartProgram();
  HWND page = ShowPage(1);
  const struct {
    int Button;
    COLORREF Colour;
  } styles[] = {
      {IDC_STYLE_NORMAL, RGB(0, 255, 0)}, {IDC_STYLE_ORANGE, RGB(255, 255, 0)}, {IDC_STYLE_RED, RGB(255, 0, 0)}};
  for (const auto& style : styles) {
    PreviewSeen seen;
    ModalScript script;
    script.Then("Counter Style", [&](HWND dialog) {
      seen = LookAtPreview(dialog, style.Colour);
      if (style.Button == IDC_STYLE_NORMAL) HoldForScreenshot();
      ModalScript::Press(dialog, IDCANCEL);
    });
    Click(page, style.Button);
    EXPECT_TRUE(script.Finished()) << style.Button;
    ASSERT_TRUE(seen.Reached) << style.Button;
    EXPECT_EQ(seen.Face, "Arial");
    // The largest Arial whose cell is lower than the preview.
    EXPECT_LT(seen.FittedHeight, seen.RectHeight);
    EXPECT_GE(seen.FittedHeight, seen.RectHeight - 4);
    EXPECT_GT(seen.Coloured, 100) << style.Button;
    EXPECT_GE(seen.ColouredHeight, seen.RectHeight / 2) << style.Button;
    EXPECT_EQ(seen.TopLeft, RGB(0, 0, 0)) << "the digits stand on black";
    EXPECT_TRUE(seen.Centred) << "opens over the control sheet";
  }
}

TEST_F(StyleDialogTest, OkChangesTheDisplayAndStoresOnlyFaceAndColour) {
  StartProgram();
  HWND page = ShowPage(1);
  Click(page, IDC_START);
  PumpMessages(100);
  DWORD fontFlags = 0;
  LONG openingHeight = 0;
  std::string openingFace;
  CFontDialog::SetChooser([&](CHOOSEFONTA& choice) {
    fontFlags = choice.Flags;
    openingHeight = choice.lpLogFont->lfHeight;
    openingFace = choice.lpLogFont->lfFaceName;
    LOGFONTA chosen = *choice.lpLogFont;
    lstrcpyA(chosen.lfFaceName, "Courier New");
    chosen.lfWeight = FW_BOLD;
    chosen.lfItalic = TRUE;
    chosen.lfHeight = -33;
    *choice.lpLogFont = chosen;
    return TRUE;
  });
  COLORREF openingColour = CLR_INVALID;
  DWORD colourFlags = 0;
  const COLORREF chosenColour = RGB(0, 128, 255);
  CColorDialog::SetChooser([&](CHOOSECOLORA& choice) {
    openingColour = choice.rgbResult;
    colourFlags = choice.Flags;
    choice.rgbResult = chosenColour;
    return TRUE;
  });

  PreviewSeen seen;
  ModalScript script;
  script.Then("Counter Style", [](HWND dialog) { ModalScript::Press(dialog, IDC_CHANGE_FONT); })
      .Then("Counter Style", [](HWND dialog) { ModalScript::Press(dialog, IDC_CHANGE_COLOUR); })
      .Then("Counter Style", [&](HWND dialog) {
        seen = LookAtPreview(dialog, chosenColour);
        ModalScript::Press(dialog, IDOK);
      });
  Click(page, IDC_STYLE_NORMAL);
  ASSERT_TRUE(script.Finished()) << script.Waiting();

  EXPECT_EQ(fontFlags, static_cast<DWORD>(CF_SCREENFONTS | CF_SCRIPTSONLY | CF_SCALABLEONLY | CF_NOSCRIPTSEL |
                                          CF_INITTOLOGFONTSTRUCT));
  EXPECT_EQ(openingHeight, 20);
  EXPECT_EQ(openingFace, "Arial");
  EXPECT_EQ(openingColour, RGB(0, 255, 0));
  EXPECT_TRUE(colourFlags & CC_RGBINIT);
  EXPECT_TRUE(seen.Reached);
  EXPECT_EQ(seen.Face, "Courier New") << "the preview refits with the new face";
  EXPECT_GT(seen.Coloured, 50);

  CCounter& counter = Counter(0);
  EXPECT_STREQ(counter.NormalStyle.LogFont.lfFaceName, "Courier New");
  EXPECT_EQ(counter.NormalStyle.LogFont.lfWeight, FW_BOLD);
  EXPECT_EQ(counter.NormalStyle.Colour, chosenColour);
  EXPECT_EQ(VeltoApp().GetProfileString("Counter1", "NormalStyle", ""), "Courier New");
  EXPECT_EQ(StoredNumber("Counter1", "NormalStyle_col"), static_cast<DWORD>(chosenColour));

  PumpMessages(150);
  ClientPixels display(counter.Window.GetSafeHwnd());
  EXPECT_GT(display.Count(chosenColour), 500);
  EXPECT_EQ(display.Count(RGB(0, 255, 0)), 0);
  EXPECT_STREQ(FontOf(counter.NormalStyle.Font).lfFaceName, "Courier New");
  EXPECT_TRUE(FontOf(counter.NormalStyle.Font).lfItalic);

  // Weight and slant last only as long as the counter.
  VeltoApp().Sheet->RebuildCounterPages();
  ShowPage(1);
  EXPECT_STREQ(Counter(0).NormalStyle.LogFont.lfFaceName, "Courier New");
  EXPECT_EQ(Counter(0).NormalStyle.Colour, chosenColour);
  EXPECT_EQ(Counter(0).NormalStyle.LogFont.lfWeight, 0);
  EXPECT_FALSE(Counter(0).NormalStyle.LogFont.lfItalic);
}

TEST_F(StyleDialogTest, CancelChangesNothingEvenAfterAColourWasChosen) {
  StartProgram();
  HWND page = ShowPage(1);
  const COLORREF chosenColour = RGB(200, 100, 50);
  CColorDialog::SetChooser([&](CHOOSECOLORA& choice) {
    choice.rgbResult = chosenColour;
    return TRUE;
  });
  PumpMessages(100);
  const long gdiBefore = CGdiObject::LiveCount();
  PreviewSeen seen;
  ModalScript script;
  script.Then("Counter Style", [](HWND dialog) { ModalScript::Press(dialog, IDC_CHANGE_COLOUR); })
      .Then("Counter Style", [&](HWND dialog) {
        seen = LookAtPreview(dialog, chosenColour);
        ModalScript::Press(dialog, IDCANCEL);
      });
  Click(page, IDC_STYLE_RED);
  ASSERT_TRUE(script.Finished()) << script.Waiting();
  EXPECT_GT(seen.Coloured, 50) << "the preview showed the colour chosen";
  EXPECT_EQ(Counter(0).RedStyle.Colour, RGB(255, 0, 0));
  EXPECT_STREQ(Counter(0).RedStyle.LogFont.lfFaceName, "Arial");
  DWORD stored = 0;
  EXPECT_FALSE(Stored("Counter1", "RedStyle_col", stored)) << "nothing was saved";
  // The dialog's own fitted font went with it.
  EXPECT_EQ(CGdiObject::LiveCount(), gdiBefore);
}

TEST_F(StyleDialogTest, TheSystemFontAndColourDialogsOpenOnTheStyleAndCancel) {
  StartProgram();
  HWND page = ShowPage(1);
  std::string face, size;
  bool mixerShown = false;
  HWND styleDialog = nullptr, fontOwner = nullptr;
  std::string green;
  ModalScript script(20000);
  script
      .Then("Counter Style",
            [&](HWND dialog) {
              styleDialog = dialog;
              ModalScript::Press(dialog, IDC_CHANGE_FONT);
            })
      .Then("Font",
            [&](HWND dialog) {
              face = ItemText(dialog, 0x470);  // the face box
              size = ItemText(dialog, 0x472);  // the size box
              fontOwner = ::GetWindow(dialog, GW_OWNER);
              HoldForScreenshot();
              ModalScript::Press(dialog, IDCANCEL);
            })
      .Then("Counter Style", [](HWND dialog) { ModalScript::Press(dialog, IDC_CHANGE_COLOUR); })
      .Then("Color",
            [&](HWND dialog) {
              HWND add = ::GetDlgItem(dialog, 0x2c8);  // "Add to Custom Colors"
              mixerShown = add && ::IsWindowVisible(add);
              green = ItemText(dialog, 0x2c3);
              HoldForScreenshot();
              ModalScript::Press(dialog, IDCANCEL);
            })
      .Then("Counter Style", [](HWND dialog) { ModalScript::Press(dialog, IDCANCEL); });
  Click(page, IDC_STYLE_NORMAL);
  ASSERT_TRUE(script.Finished()) << script.Waiting();
  EXPECT_EQ(face, "Arial");
  EXPECT_FALSE(size.empty());
  EXPECT_EQ(fontOwner, styleDialog) << "the font dialog is modal to the style dialog";
  EXPECT_TRUE(mixerShown) << "the colour dialog opens with its custom colour mixer";
  EXPECT_EQ(green, "255") << "the colour dialog opens on the style's colour";
  EXPECT_EQ(Counter(0).NormalStyle.Colour, RGB(0, 255, 0));
}

TEST_F(StyleDialogTest, CustomColoursAreKeptForTheSession) {
  CColorDialog first(RGB(1, 2, 3));
  CColorDialog::SetChooser([](CHOOSECOLORA& choice) {
    choice.lpCustColors[3] = RGB(250, 120, 0);
    return TRUE;
  });
  ASSERT_EQ(first.DoModal(), IDOK);
  CColorDialog second(RGB(4, 5, 6));
  EXPECT_EQ(second.m_cc.lpCustColors[3], RGB(250, 120, 0));
  CColorDialog::SetChooser([](CHOOSECOLORA&) { return FALSE; });
  EXPECT_EQ(second.DoModal(), IDCANCEL);
  EXPECT_EQ(second.GetColor(), RGB(4, 5, 6)) << "a cancelled choice keeps the initial colour";
}

using TickerColourTest = StyleDialogTest;

TEST_F(TickerColourTest, FollowingGreysTheFixedColourAndOkTakesEffectWithoutSaving) {
  StartProgram();
  HWND page = ShowPage(1);
  SetText(page, IDC_TICKER_TEXT, "Doors close in five minutes");
  Click(page, IDC_TICKER_UPDATE);  // stores the ticker settings as they are
  const COLORREF fixed = RGB(10, 20, 200);
  COLORREF openingColour = CLR_INVALID;
  CColorDialog::SetChooser([&](CHOOSECOLORA& choice) {
    openingColour = choice.rgbResult;
    choice.rgbResult = fixed;
    return TRUE;
  });
  bool centred = false;
  bool startChecked = false, startGreyed = false, uncheckedUsable = false, recheckedGreyed = false;
  ModalScript script;
  script
      .Then("Ticker Colour",
            [&](HWND dialog) {
              centred = CentredOverOwner(dialog);
              startChecked = Checked(dialog, IDC_FOLLOW_COLOUR);
              startGreyed = !Enabled(dialog, IDC_FIXED_COLOUR);
              Click(dialog, IDC_FOLLOW_COLOUR);
              uncheckedUsable = !Checked(dialog, IDC_FOLLOW_COLOUR) && Enabled(dialog, IDC_FIXED_COLOUR);
              Click(dialog, IDC_FOLLOW_COLOUR);
              recheckedGreyed = Checked(dialog, IDC_FOLLOW_COLOUR) && !Enabled(dialog, IDC_FIXED_COLOUR);
              Click(dialog, IDC_FOLLOW_COLOUR);
              HoldForScreenshot();
              ModalScript::Press(dialog, IDC_FIXED_COLOUR);
            })
      .Then("Ticker Colour", [](HWND dialog) { ModalScript::Press(dialog, IDOK); });
  Click(page, IDC_TICKER_COLOUR);
  ASSERT_TRUE(script.Finished()) << script.Waiting();
  EXPECT_TRUE(centred);
  EXPECT_TRUE(startChecked);
  EXPECT_TRUE(startGreyed);
  EXPECT_TRUE(uncheckedUsable);
  EXPECT_TRUE(recheckedGreyed);
  EXPECT_EQ(openingColour, RGB(255, 255, 255));

  EXPECT_FALSE(CounterPage(0).AutoTickerColour);
  EXPECT_EQ(CounterPage(0).TickerColour, fixed);
  EXPECT_FALSE(Counter(0).AutoTickerColour);
  EXPECT_EQ(Counter(0).TickerColour, fixed);
  EXPECT_EQ(StoredNumber("Counter1", "AutoTickerColour"), 1u) << "stored only at the next save";
  EXPECT_EQ(StoredNumber("Counter1", "TickerColour"), 0xFFFFFFu);

  // The ticker runs in the new colour at once.
  PumpMessages(1500);
  ClientPixels display(Counter(0).Window.GetSafeHwnd());
  EXPECT_GT(display.Count(fixed), 20);

  ShowPage(0);
  EXPECT_EQ(StoredNumber("Counter1", "AutoTickerColour"), 0u);
  EXPECT_EQ(StoredNumber("Counter1", "TickerColour"), static_cast<DWORD>(fixed));
}

TEST_F(TickerColourTest, AFixedTickerOpensUsableAndCancelChangesNothing) {
  Seed("Counter1", "AutoTickerColour", 0);
  Seed("Counter1", "TickerColour", RGB(0, 200, 200));
  StartProgram();
  HWND page = ShowPage(1);
  CColorDialog::SetChooser([](CHOOSECOLORA& choice) {
    choice.rgbResult = RGB(9, 9, 9);
    return TRUE;
  });
  bool startUnchecked = false, startUsable = false;
  ModalScript script;
  script
      .Then("Ticker Colour",
            [&](HWND dialog) {
              startUnchecked = !Checked(dialog, IDC_FOLLOW_COLOUR);
              startUsable = Enabled(dialog, IDC_FIXED_COLOUR);
              ModalScript::Press(dialog, IDC_FIXED_COLOUR);
            })
      .Then("Ticker Colour", [](HWND dialog) {
        Click(dialog, IDC_FOLLOW_COLOUR);
        ModalScript::Press(dialog, IDCANCEL);
      });
  Click(page, IDC_TICKER_COLOUR);
  ASSERT_TRUE(script.Finished()) << script.Waiting();
  EXPECT_TRUE(startUnchecked);
  EXPECT_TRUE(startUsable);
  EXPECT_FALSE(CounterPage(0).AutoTickerColour);
  EXPECT_EQ(CounterPage(0).TickerColour, RGB(0, 200, 200));
}

}  // namespace
