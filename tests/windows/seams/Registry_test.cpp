// The registry store reads HKEY_LOCAL_MACHINE with RegQueryValueExA's size
// rules. The values come from tests/windows/data/seams.reg, which
// scripts/test-windows imports with `reg import` before this runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/ProfileStore.h"
#include "config/Settings.h"
#include "tools/Results.h"

namespace {

const std::string kKey = "SOFTWARE\\OLEforRetail\\ServiceOPOS\\KestrelSeamTest\\ZB_Tarnel.COM";

TEST(RegistryStore, ReadsValuesWhateverTheCaseOfTheName) {
  for (const char* name : {"Port", "port", "PORT"}) {
    char buffer[32];
    ASSERT_EQ(kestrel::kSuccess, kestrel::ReadProfileValue(kKey, name, buffer, sizeof buffer)) << name;
    EXPECT_STREQ("COM5", buffer);
  }
  char empty[8] = "junk";
  EXPECT_EQ(kestrel::kSuccess, kestrel::ReadProfileValue(kKey, "Empty", empty, sizeof empty));
  EXPECT_STREQ("", empty);
}

TEST(RegistryStore, AValueMustFitWithItsTerminator) {
  char buffer[16];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(kestrel::kSuccess, kestrel::ReadProfileValue(kKey, "Eight", buffer, 9));
  EXPECT_STREQ("12345678", buffer);
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(kestrel::kFailure, kestrel::ReadProfileValue(kKey, "Eight", buffer, 8));
  for (int i = 0; i < 8; ++i) EXPECT_EQ('\0', buffer[i]) << "byte " << i;
  EXPECT_EQ('x', buffer[8]) << "wrote past the size it was given";
}

TEST(RegistryStore, MissingKeyOrValueFails) {
  char buffer[16];
  EXPECT_EQ(kestrel::kFailure, kestrel::ReadProfileValue(kKey, "NoSuchValue", buffer, sizeof buffer));
  EXPECT_STREQ("", buffer);
  EXPECT_EQ(kestrel::kFailure, kestrel::ReadProfileValue(kKey + "X", "Port", buffer, sizeof buffer));
  EXPECT_EQ(kestrel::kFailure, kestrel::ReadProfileValue(kKey, nullptr, buffer, sizeof buffer));
}

TEST(RegistryStore, SettingsReadTheDeviceClassKey) {
  kestrel::Settings& settings = kestrel::Settings::Instance();
  ASSERT_EQ(kestrel::kSuccess, settings.SetDeviceClass("KestrelSeamTest"));
  char buffer[32];
  ASSERT_EQ(kestrel::kSuccess, settings.ReadValue("Port", buffer, sizeof buffer));
  EXPECT_STREQ("COM5", buffer);
}

// A 32-bit service object's profile lives in the 32-bit view; the tool
// reads either view on request. The test writes its own key in the 32-bit
// view only and removes it again.
class RegistryViews : public ::testing::Test {
 protected:
  static constexpr char kViewKey[] = "SOFTWARE\\OLEforRetail\\ServiceOPOS\\KestrelViewTest\\ZB_Tarnel.COM";
  void SetUp() override {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kViewKey, 0, nullptr, 0,
                                               KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExA(key, "Port", 0, REG_SZ, reinterpret_cast<const BYTE*>("COM32"), 6));
    ::RegCloseKey(key);
  }
  void TearDown() override {
    kestrel::SelectProfileView(0);
    ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kViewKey, KEY_WOW64_32KEY, 0);
  }
  static bool Reads(const char* expected) {
    char buffer[16];
    const int rc = kestrel::ReadProfileValue(kViewKey, "Port", buffer, sizeof buffer);
    return expected == nullptr ? rc == kestrel::kFailure : rc == kestrel::kSuccess && std::string(buffer) == expected;
  }
};

TEST_F(RegistryViews, TheChosenViewIsReadAndNoOther) {
  ASSERT_EQ(8u, sizeof(void*)) << "these tests run as a 64-bit program";
  EXPECT_EQ(64, kestrel::ProfileViewBits());
  EXPECT_TRUE(Reads(nullptr)) << "a 64-bit program reads the 64-bit view unless told";
  std::string reason;
  EXPECT_EQ(kestrel::ProfileState::kNoKey, kestrel::CheckProfile(kViewKey, reason));

  ASSERT_TRUE(kestrel::SelectProfileView(32));
  EXPECT_EQ(32, kestrel::ProfileViewBits());
  EXPECT_TRUE(Reads("COM32"));
  EXPECT_EQ(kestrel::ProfileState::kUsable, kestrel::CheckProfile(kViewKey, reason));

  ASSERT_TRUE(kestrel::SelectProfileView(64));
  EXPECT_TRUE(Reads(nullptr));
  EXPECT_FALSE(kestrel::SelectProfileView(16));
  EXPECT_EQ(64, kestrel::ProfileViewBits()) << "a refused choice changes nothing";
}

}  // namespace
