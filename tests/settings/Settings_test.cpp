#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>

#include "config/Settings.h"
#include "tests/support/TestProfile.h"

namespace kestrel::testing {
namespace {

Settings& settings() { return Settings::Instance(); }

TEST(SettingsDeviceClass, FirstClassOfTheProcessStaysAndIsCutTo30) {
  EXPECT_EQ(settings().SetDeviceClass(nullptr), 111);
  EXPECT_EQ(settings().SetDeviceClass("FiscalPrinterWithAVeryLongClassName"), 0);
  EXPECT_EQ(settings().DeviceClass(), "FiscalPrinterWithAVeryLongClas");
  EXPECT_EQ(settings().SetDeviceClass("Other"), 0);
  EXPECT_EQ(settings().SetDeviceClass(nullptr), 0);
  EXPECT_EQ(settings().ProfileKeyPath(),
            "SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinterWithAVeryLongClas\\ZB_Tarnel.COM");
}

TEST(SettingsReadValue, SecondDeviceClassStillReadsTheFirstKey) {
  TestProfile profile("FiscalPrinter");
  profile.Set("Port", "/dev/ttyS0");
  settings().SetDeviceClass("FiscalPrinter");
  settings().SetDeviceClass("LineDisplay");
  char buffer[30];
  EXPECT_EQ(settings().ReadValue("Port", buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "/dev/ttyS0");
}

// Reads into size bytes of a larger buffer prefilled with 'x': the bytes past
// size must stay untouched whatever happens.
struct SizeCase {
  const char* stored;  // null: the value is absent
  int size;
  int result;
  const char* text;
};
void PrintTo(const SizeCase& c, std::ostream* os) {
  *os << (c.stored != nullptr ? c.stored : "absent") << " in " << c.size;
}

class SettingsSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SettingsSizeTest, ValueAndTerminatorMustFit) {
  const SizeCase& c = GetParam();
  TestProfile profile;
  if (c.stored) profile.Set("LineDisplayRows", c.stored);
  settings().SetDeviceClass("FiscalPrinter");
  char buffer[40];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(settings().ReadValue("LineDisplayRows", buffer, c.size), c.result);
  EXPECT_EQ(std::string(buffer, c.size), std::string(c.text) + std::string(c.size - std::strlen(c.text), '\0'));
  EXPECT_EQ(buffer[c.size], 'x');
}

INSTANTIATE_TEST_SUITE_P(Sizes, SettingsSizeTest,
                         ::testing::Values(SizeCase{"123456789", 10, 0, "123456789"},
                                           SizeCase{"1234567890", 10, 111, ""},  // no room for the terminator
                                           SizeCase{"", 1, 0, ""}, SizeCase{"a", 1, 111, ""},
                                           SizeCase{nullptr, 10, 111, ""}));

TEST(SettingsReadValue, FailsWithoutProfileKeyOrUsableArguments) {
  settings().SetDeviceClass("FiscalPrinter");
  char buffer[10];
  ::setenv("KESTREL_REGISTRY", "/nonexistent/profile.reg", 1);
  EXPECT_EQ(settings().ReadValue("Port", buffer, sizeof buffer), 111);

  TestProfile otherClass("LineDisplay");
  otherClass.Set("Port", "COM1");
  EXPECT_EQ(settings().ReadValue("Port", buffer, sizeof buffer), 111);
  EXPECT_EQ(settings().ReadValue(nullptr, buffer, sizeof buffer), 111);
  EXPECT_EQ(settings().ReadValue("Port", nullptr, 10), 111);
  EXPECT_EQ(settings().ReadValue("Port", buffer, 0), 111);
}

TEST(SettingsReadValue, NamesAreCaseInsensitiveAndTextArrivesAsWindows1250) {
  TestProfile profile;
  profile.Set("DataDirectory", "/data/\xC5\xBDlt\xC3\xBD k\xC3\xB4\xC5\x88");  // UTF-8 "Žltý kôň"
  settings().SetDeviceClass("FiscalPrinter");
  char buffer[300];
  EXPECT_EQ(settings().ReadValue("DATADIRECTORY", buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "/data/\x8Elt\xFD k\xF4\xF2");
}

}  // namespace
}  // namespace kestrel::testing
