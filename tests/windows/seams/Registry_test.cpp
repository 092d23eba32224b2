// The registry store reads HKEY_LOCAL_MACHINE with RegQueryValueExA's size
// rules. The values come from tests/windows/data/seams.reg, which
// scripts/test-windows imports with `reg import` before this runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "service/ProfileStore.h"
#include "service/Settings.h"
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

}  // namespace
