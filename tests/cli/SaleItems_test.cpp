// What `kestrel sale` reads from its command line: amounts, PRICExQUANTITY,
// VAT numbers, and the rounding the printer applies to a line.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cli/Amounts.h"
#include "cli/SaleCommand.h"

namespace kestrel::cli {
namespace {

TEST(Amounts, ReadsDecimalsIntoUnits) {
  const struct {
    const char* text;
    bool ok;
    int64_t units;
  } cases[] = {
      {"0.15", true, 1500},
      {"1,5", true, 15000},
      {"12", true, 120000},
      {".5", true, 5000},
      {"2.", true, 20000},
      {"0.0001", true, 1},
      {"99999999.9999", true, kMaxAmountUnits + 9999},  // the limit is the caller's max
      {"0.00001", false, 0},
      {"1.2.3", false, 0},
      {"", false, 0},
      {".", false, 0},
      {"-1", false, 0},
      {"1e3", false, 0},
      {" 1", false, 0},
      {"99999999999999999999", false, 0},
  };
  for (const auto& c : cases) {
    int64_t units = -1;
    EXPECT_EQ(ParseDecimal(c.text, INT64_MAX / 2, units), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(units, c.units) << c.text;
    }
  }
  int64_t units = 0;
  EXPECT_TRUE(ParseDecimal("99999999", kMaxAmountUnits, units));
  EXPECT_FALSE(ParseDecimal("99999999.0001", kMaxAmountUnits, units));
}

TEST(Amounts, FormatsWithTwoOrFourDecimals) {
  EXPECT_EQ(FormatUnits(6000), "0.60");
  EXPECT_EQ(FormatUnits(12345), "1.2345");
  EXPECT_EQ(FormatUnits(-4000), "-0.40");
  EXPECT_EQ(FormatUnits(0), "0.00");
  EXPECT_EQ(FormatUnits(INT64_MIN), "-922337203685477.5808");
}

TEST(Amounts, MultipliesAndRoundsHalfAwayFromZero) {
  int64_t price = 0;
  ASSERT_TRUE(MultiplyUnits(1500, 40000, price));  // 0.15 x 4
  EXPECT_EQ(price, 6000);
  ASSERT_TRUE(MultiplyUnits(3333, 5000, price));  // 0.3333 x 0.5 = 0.16665
  EXPECT_EQ(price, 1667);
  ASSERT_TRUE(MultiplyUnits(-3333, 5000, price));
  EXPECT_EQ(price, -1667);
  EXPECT_FALSE(MultiplyUnits(kMaxAmountUnits, 20000, price));  // beyond the amount range
  EXPECT_FALSE(MultiplyUnits(INT64_MAX / 2, 10000, price));    // beyond 64 bits
  EXPECT_EQ(RoundToCents(1650), 1700);
  EXPECT_EQ(RoundToCents(1649), 1600);
  EXPECT_EQ(RoundToCents(-1650), -1700);
}

TEST(SaleItems, ReadsThreesOfDescriptionPriceAndVat) {
  std::vector<SaleItem> items;
  std::string error;
  ASSERT_TRUE(ParseSaleItems({"Rožok", "0.15x4", "1", "Šunka", "17,90X0.2", "2", "Mlieko", "0.99", "8"}, items, error))
      << error;
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].description, "Rožok");
  EXPECT_EQ(items[0].unitPrice, 1500);
  EXPECT_EQ(items[0].quantity, 40000);
  EXPECT_EQ(items[0].price, 6000);
  EXPECT_EQ(items[1].price, 35800);
  EXPECT_EQ(items[1].vat, 2);
  EXPECT_EQ(items[2].quantity, 10000);
  EXPECT_EQ(items[2].vat, 8);
}

TEST(SaleItems, RefusesWhatTheyCannotRead) {
  const struct {
    std::vector<std::string> words;
    const char* error;
  } cases[] = {
      {{}, "items come in threes"},
      {{"Rožok", "0.15"}, "items come in threes: DESCRIPTION PRICE[xQUANTITY] VAT (2 words given)"},
      {{"", "0.15", "1"}, "item 1: the description must be a non-empty UTF-8 text"},
      {{"a", "1", "1", "\xC3(", "1", "1"}, "item 2: the description"},
      {{"a", "x4", "1"}, "item 1: \"x4\" is not PRICE or PRICExQUANTITY"},
      {{"a", "0.15x0", "1"}, "item 1: \"0.15x0\" is not PRICE"},
      {{"a", "0.15x", "1"}, "item 1: \"0.15x\" is not PRICE"},
      {{"a", "-1", "1"}, "item 1: \"-1\" is not PRICE"},
      {{"a", "99999999x2", "1"}, "item 1: \"99999999x2\" is not PRICE"},
      {{"a", "1", "9"}, "item 1: the VAT rate number must be 1 to 8, not \"9\""},
      {{"a", "1", "0"}, "item 1: the VAT rate number must be 1 to 8"},
  };
  for (const auto& c : cases) {
    std::vector<SaleItem> items;
    std::string error;
    EXPECT_FALSE(ParseSaleItems(c.words, items, error));
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
  }
}

}  // namespace
}  // namespace kestrel::cli
