#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CounterList.h"
#include "app/VeltoApp.h"
#include "support/ScratchRegistry.h"

namespace {

class RegistryProfile : public ::testing::Test {
protected:
  void SetUp() override { ScratchRegistry::Clear(); }
  CWinApp& App() { return *AfxGetApp(); }

  static RegKey OpenSection(const char* section) {
    return RegKey::Open(HKEY_CURRENT_USER, (std::string("Software\\Halvorn Industries\\Velto\\") + section).c_str(),
                        false);
  }
};

TEST_F(RegistryProfile, ValuesLiveUnderTheMakerAndApplicationKey) {
  App().WriteProfileInt("Counter3", "TotalTime", 3675);
  App().WriteProfileString("Counter3", "Name", "Main stage");
  RegKey key = OpenSection("Counter3");
  ASSERT_TRUE(key.IsOpen());
  DWORD total = 0;
  EXPECT_TRUE(key.QueryDword("TotalTime", total));
  EXPECT_EQ(total, 3675u);
  std::string name;
  EXPECT_TRUE(key.QueryString("Name", name));
  EXPECT_EQ(name, "Main stage");
}

TEST_F(RegistryProfile, NumbersTextsAndBinaryRoundTrip) {
  App().WriteProfileInt("S", "Negative", -5);
  EXPECT_EQ(static_cast<int>(App().GetProfileInt("S", "Negative", 0)), -5);
  App().WriteProfileString("S", "Long", std::string(300, 'q').c_str());
  EXPECT_EQ(App().GetProfileString("S", "Long").Str(), std::string(300, 'q'));
  App().WriteProfileString("S", "Empty", "");
  EXPECT_EQ(App().GetProfileString("S", "Empty", "default"), "");
  const BYTE blob[44] = {44, 0, 0, 0, 1, 2, 3};
  App().WriteProfileBinary("S", "Blob", blob, sizeof blob);
  std::vector<BYTE> back;
  ASSERT_TRUE(App().GetProfileBinary("S", "Blob", back));
  EXPECT_EQ(back, std::vector<BYTE>(blob, blob + sizeof blob));
}

TEST_F(RegistryProfile, MissingValuesAndWrongTypesReadAsTheDefault) {
  EXPECT_EQ(App().GetProfileInt("Nowhere", "Nothing", 70), 70u);
  EXPECT_EQ(App().GetProfileString("Nowhere", "Nothing", "Counter"), "Counter");
  std::vector<BYTE> data{1};
  EXPECT_FALSE(App().GetProfileBinary("Nowhere", "Nothing", data));
  EXPECT_TRUE(data.empty());

  App().WriteProfileString("S", "Number", "12");
  App().WriteProfileInt("S", "Text", 12);
  EXPECT_EQ(App().GetProfileInt("S", "Number", 7), 7u);
  EXPECT_EQ(App().GetProfileString("S", "Text", "d"), "d");
  EXPECT_FALSE(App().GetProfileBinary("S", "Text", data));
}

TEST_F(RegistryProfile, StringsWithoutATerminatorAreReadSafely) {
  App().WriteProfileInt("S", "Seed", 1);
  RegKey key = OpenSection("S");
  ASSERT_TRUE(key.IsOpen());
  const char raw[] = {'a', 'b', 'c'};
  ASSERT_EQ(::RegSetValueExA(key.Get(), "Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(raw), sizeof raw),
            ERROR_SUCCESS);
  EXPECT_EQ(App().GetProfileString("S", "Raw"), "abc");
}

TEST_F(RegistryProfile, DeletingASectionRemovesAllItsValues) {
  App().WriteProfileInt("Counter4", "TotalTime", 9);
  App().WriteProfileString("Counter4", "Name", "Old");
  App().WriteProfileString("Counter5", "Name", "Other");
  EXPECT_TRUE(App().DeleteProfileSection("Counter4"));
  EXPECT_FALSE(OpenSection("Counter4").IsOpen());
  EXPECT_EQ(App().GetProfileString("Counter4", "Name", "Counter"), "Counter");
  EXPECT_EQ(App().GetProfileString("Counter5", "Name"), "Other");
  EXPECT_FALSE(App().DeleteProfileSection("Counter4")) << "nothing left to delete";
}

TEST_F(RegistryProfile, CounterListRoundTripsThroughTheRegistry) {
  CCounterList list;
  list.Save({4, 1, 3});
  RegKey key = OpenSection("Settings");
  std::string stored;
  ASSERT_TRUE(key.QueryString("Counters", stored));
  EXPECT_EQ(stored, "4,1,3");
  CCounterList reloaded;
  reloaded.Load();
  EXPECT_EQ(std::vector<int32_t>(reloaded.begin(), reloaded.end()), (std::vector<int32_t>{4, 1, 3}));
}

TEST(ApplicationName, IsTheExecutableBaseName) {
  EXPECT_EQ(AfxExecutableBaseName(), "velto_tests");
}

}  // namespace
