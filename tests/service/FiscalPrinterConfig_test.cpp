// The six values OpenService reads from the profile: defaults, the accepted
// forms, and what happens to values that are empty, too long or not numbers.
#include <ostream>

#include "tests/service/ServiceFixture.h"

namespace kestrel::testing {
namespace {

enum class Field { kFreezeEvents, kCheckStateDisabled, kDisplayItemDisabled, kLineDisplayRows, kSingleCash, kV7 };

struct ConfigCase {
  const char* name;    // profile value name
  const char* stored;  // null: absent
  Field field;
  int32_t expected;
};
void PrintTo(const ConfigCase& c, std::ostream* os) {
  *os << c.name << "=" << (c.stored != nullptr ? c.stored : "absent");
}

class ConfigReaders : public ServiceTest, public ::testing::WithParamInterface<ConfigCase> {
 protected:
  int32_t Read(Field field) {
    FiscalPrinterTestPeer p = peer();
    switch (field) {
      case Field::kFreezeEvents:
        return Number(opos::pidx::kFreezeEvents);
      case Field::kCheckStateDisabled:
        return p.CheckStateDisabled();
      case Field::kDisplayItemDisabled:
        return p.DisplayItemDisabled();
      case Field::kLineDisplayRows:
        return Number(opos::pidx::kDispRows);
      case Field::kSingleCash:
        return p.SingleCashReceipt();
      case Field::kV7:
        return p.V7Protocol();
    }
    return -1;
  }
};

TEST_P(ConfigReaders, ValueGivesField) {
  const ConfigCase& c = GetParam();
  if (c.stored) profile_.Set(c.name, c.stored);
  EXPECT_EQ(Open(), 0);
  EXPECT_EQ(Read(c.field), c.expected) << c.name << " = " << (c.stored ? c.stored : "(absent)");
}

INSTANTIATE_TEST_SUITE_P(Table, ConfigReaders,
                         ::testing::Values(
                             // Flags: exactly 1 sets, any other number clears, a non-number is 0.
                             ConfigCase{"FreezeEvents", nullptr, Field::kFreezeEvents, 1},
                             ConfigCase{"FreezeEvents", "0", Field::kFreezeEvents, 0},
                             ConfigCase{"FreezeEvents", "2", Field::kFreezeEvents, 0},
                             ConfigCase{"FreezeEvents", "1", Field::kFreezeEvents, 1},
                             ConfigCase{"FreezeEvents", "-1", Field::kFreezeEvents, 0},
                             ConfigCase{"FreezeEvents", "1x", Field::kFreezeEvents, 1},
                             ConfigCase{"FreezeEvents", "yes", Field::kFreezeEvents, 0},
                             // Empty or longer than nine characters: the default stands.
                             ConfigCase{"FreezeEvents", "", Field::kFreezeEvents, 1},
                             ConfigCase{"FreezeEvents", "0000000000", Field::kFreezeEvents, 1},
                             ConfigCase{"FreezeEvents", "000000000", Field::kFreezeEvents, 0},
                             ConfigCase{"CheckStateDisabled", nullptr, Field::kCheckStateDisabled, 0},
                             ConfigCase{"CheckStateDisabled", "1", Field::kCheckStateDisabled, 1},
                             ConfigCase{"DisplayItemDisabled", nullptr, Field::kDisplayItemDisabled, 0},
                             ConfigCase{"DisplayItemDisabled", "1", Field::kDisplayItemDisabled, 1},
                             ConfigCase{"SingleCashReceipt", nullptr, Field::kSingleCash, 1},
                             ConfigCase{"SingleCashReceipt", "0", Field::kSingleCash, 0},
                             ConfigCase{"SingleCashReceipt", "", Field::kSingleCash, 1},
                             ConfigCase{"V7Protocol", nullptr, Field::kV7, 0},
                             ConfigCase{"V7Protocol", "1", Field::kV7, 1},
                             // Rows: any number as it stands, no range test.
                             ConfigCase{"LineDisplayRows", nullptr, Field::kLineDisplayRows, 2},
                             ConfigCase{"LineDisplayRows", "4", Field::kLineDisplayRows, 4},
                             ConfigCase{"LineDisplayRows", "abc", Field::kLineDisplayRows, 0},
                             ConfigCase{"LineDisplayRows", "600", Field::kLineDisplayRows, 600},
                             ConfigCase{"LineDisplayRows", "-1", Field::kLineDisplayRows, -1},
                             ConfigCase{"LineDisplayRows", "123456789", Field::kLineDisplayRows, 123456789},
                             ConfigCase{"LineDisplayRows", "1234567890", Field::kLineDisplayRows, 2}));

TEST(ConfigWithoutKey, EveryValueKeepsItsDefault) {
  TestProfile profile("SomeOtherClass");  // the service's key does not exist
  RecordingSink sink;
  FiscalPrinter fp;
  int32_t result = -1;
  fp.OpenService("FiscalPrinter", "", &sink, &result);
  EXPECT_EQ(result, 0);
  FiscalPrinterTestPeer p(fp);
  int32_t freeze = -1, rows = -1;
  fp.GetPropertyNumber(opos::pidx::kFreezeEvents, &freeze);
  fp.GetPropertyNumber(opos::pidx::kDispDeviceRows, &rows);
  EXPECT_EQ(freeze, 1);
  EXPECT_EQ(rows, 2);
  EXPECT_FALSE(p.CheckStateDisabled());
  EXPECT_FALSE(p.DisplayItemDisabled());
  EXPECT_TRUE(p.SingleCashReceipt());
  EXPECT_FALSE(p.V7Protocol());
}

TEST_F(ServiceTest, ConfigurationIsReadAgainAtEveryOpenAndOnlyThen) {
  profile_.Set("LineDisplayRows", "4");
  Open();
  profile_.Set("LineDisplayRows", "3");
  EXPECT_EQ(Number(opos::pidx::kDispRows), 4);  // not before the next open
  Open();
  EXPECT_EQ(Number(opos::pidx::kDispRows), 3);
  profile_.Remove("LineDisplayRows");
  Open();
  EXPECT_EQ(Number(opos::pidx::kDispRows), 2);  // the default again, not the last value
}

TEST_F(ServiceTest, ConfigurationComesFromTheKeyOfTheFirstDeviceClass) {
  profile_.Set("LineDisplayRows", "4");
  Open();
  int32_t result = -1;
  fp_.OpenService("LineDisplay", "Kestrel", &sink_, &result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Number(opos::pidx::kDispRows), 4);
}

TEST_F(ServiceTest, EachValueIsLoggedInOrderWithTheLocaleBetweenTheFirstTwo) {
  profile_.Set("FreezeEvents", "0");
  profile_.Set("LineDisplayRows", "4");
  Open();
  const std::string log = LogText();
  const char* expected[] = {"[FiscalPrinter::SetFreezeEvents] FreezeEvents 0\r\n",
                            "[FiscalPrinter::OpenService] Locale ",
                            "[FiscalPrinter::SetStateChecking] CheckStateDisabled \r\n",
                            "[FiscalPrinter::SetItemDisplaying] DisplayItemDisabled \r\n",
                            "[FiscalPrinter::SetLineDisplayRows] LineDisplayRows 4\r\n",
                            "[FiscalPrinter::SetCashReceiptFormat] SingleCashReceipt \r\n",
                            "[FiscalPrinter::SetV7Protocol] V7Protocol \r\n"};
  std::size_t at = 0;
  for (const char* line : expected) {
    std::size_t found = log.find(line, at);
    ASSERT_NE(found, std::string::npos) << line;
    at = found;
  }
}

}  // namespace
}  // namespace kestrel::testing
