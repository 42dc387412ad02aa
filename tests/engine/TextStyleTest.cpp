#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "counter/TextStyle.h"
#include "support/MemoryProfile.h"

namespace {

TEST(TextStyle, ConstructionDefaults) {
  TextStyle style(RGB(1, 2, 3));
  EXPECT_STREQ(style.LogFont.lfFaceName, "Arial");
  EXPECT_EQ(style.LogFont.lfQuality, CLEARTYPE_QUALITY);
  EXPECT_EQ(style.LogFont.lfPitchAndFamily, 0x20);
  EXPECT_EQ(style.LogFont.lfHeight, 0);
  EXPECT_EQ(style.LogFont.lfWeight, 0);
  EXPECT_EQ(style.LogFont.lfItalic, 0);
  EXPECT_EQ(style.Colour, RGB(1, 2, 3));
  EXPECT_EQ(style.FitLength, 0);
  EXPECT_EQ(style.FitRect.right, 0);
  EXPECT_EQ(style.Font.GetSafeHandle(), nullptr);
}

TEST(TextStyle, LongFaceNamesAreCutToTheBuffer) {
  TextStyle style(0);
  const std::string name31(31, 'a');
  style.SetFaceName(name31.c_str());
  EXPECT_EQ(std::string(style.LogFont.lfFaceName), name31);
  style.SetFaceName(std::string(32, 'b').c_str());
  EXPECT_EQ(std::string(style.LogFont.lfFaceName), std::string(31, 'b'));
  style.SetFaceName(std::string(300, 'c').c_str());
  EXPECT_EQ(std::string(style.LogFont.lfFaceName), std::string(31, 'c'));
  style.SetFaceName(nullptr);
  EXPECT_STREQ(style.LogFont.lfFaceName, "");
}

TEST(TextStyle, LoadReadsFaceAndColourAndKeepsTheRest) {
  MemoryProfile profile;
  profile.WriteProfileString("Counter1", "RedStyle", "Liberation Serif");
  profile.WriteProfileInt("Counter1", "RedStyle_col", static_cast<int>(RGB(200, 10, 20)));
  TextStyle style(RGB(255, 0, 0));
  style.LogFont.lfWeight = 700;
  style.LogFont.lfItalic = 1;
  style.Load("Counter1", "RedStyle");
  EXPECT_STREQ(style.LogFont.lfFaceName, "Liberation Serif");
  EXPECT_EQ(style.Colour, RGB(200, 10, 20));
  EXPECT_EQ(style.LogFont.lfWeight, 700);
  EXPECT_EQ(style.LogFont.lfItalic, 1);
}

TEST(TextStyle, MissingValuesGiveArialAndKeepTheCurrentColour) {
  MemoryProfile profile;
  profile.WriteProfileString("Counter1", "NormalStyle", "Tahoma");
  TextStyle style(RGB(0, 255, 0));
  style.Load("Counter1", "NormalStyle");
  EXPECT_STREQ(style.LogFont.lfFaceName, "Tahoma");
  EXPECT_EQ(style.Colour, RGB(0, 255, 0));
  style.Colour = RGB(9, 9, 9);
  style.Load("Counter1", "OrangeStyle");
  EXPECT_STREQ(style.LogFont.lfFaceName, "Arial");
  EXPECT_EQ(style.Colour, RGB(9, 9, 9));
}

TEST(TextStyle, HostileFaceFromTheRegistryIsCut) {
  MemoryProfile profile;
  profile.WriteProfileString("Counter1", "NormalStyle", std::string(300, 'x').c_str());
  profile.WriteProfileString("Counter1", "NormalStyle_col", "green");  // wrong type
  TextStyle style(RGB(0, 255, 0));
  style.Load("Counter1", "NormalStyle");
  EXPECT_EQ(std::strlen(style.LogFont.lfFaceName), 31u);
  EXPECT_EQ(style.Colour, RGB(0, 255, 0));
}

TEST(TextStyle, LoadingAnotherFaceInvalidatesTheFit) {
  MemoryProfile profile;
  TextStyle style(0);
  style.FitLength = 5;
  style.Load("Counter1", "NormalStyle");  // Arial again
  EXPECT_EQ(style.FitLength, 5) << "same face, the fit still holds";
  profile.WriteProfileString("Counter1", "NormalStyle", "Tahoma");
  style.Load("Counter1", "NormalStyle");
  EXPECT_EQ(style.FitLength, 0);
}

TEST(TextStyle, SaveWritesFaceAndColourUnderTheNamesLoadReads) {
  MemoryProfile profile;
  TextStyle saved(RGB(10, 20, 30));
  saved.SetFaceName("Courier New");
  saved.Save("Counter4", "OrangeStyle");
  EXPECT_TRUE(profile.Has("Counter4", "OrangeStyle"));
  EXPECT_TRUE(profile.Has("Counter4", "OrangeStyle_col"));
  TextStyle loaded(0);
  loaded.Load("Counter4", "OrangeStyle");
  EXPECT_STREQ(loaded.LogFont.lfFaceName, "Courier New");
  EXPECT_EQ(loaded.Colour, RGB(10, 20, 30));
}

}  // namespace
