// The two text rules of every receipt request, without a printer.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <ostream>
#include <string>

#include "protocol/AmountText.h"

namespace kestrel {
namespace {

struct AmountCase {
  double value;
  const char* text;
};
void PrintTo(const AmountCase& c, std::ostream* os) { *os << c.text; }

class AmountTextTest : public ::testing::TestWithParam<AmountCase> {};

TEST_P(AmountTextTest, WritesFourDecimalsShrinkingWithTheIntegerPart) {
  EXPECT_EQ(AmountText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, AmountTextTest,
    ::testing::Values(AmountCase{12.5, "12.5000"}, AmountCase{123456.7, "123456.700"}, AmountCase{-0.5, "-0.5000"},
                      AmountCase{0.0, "0.0000"}, AmountCase{1234567.89, "1234567.89"},
                      AmountCase{99999.5, "99999.5000"}, AmountCase{1.0, "1.0000"}, AmountCase{0.0001, "0.0001"},
                      // The sign counts as a character of the integer part.
                      AmountCase{-12345.5, "-12345.500"}, AmountCase{99999999.0, "99999999.0"},
                      AmountCase{-99999999.0, "-99999999"},
                      // Beyond nine characters the decimals stay at none rather
                      // than turning into an invalid format.
                      AmountCase{999999999.0, "999999999"}, AmountCase{12345678901.0, "12345678901"},
                      AmountCase{-1234567890.0, "-1234567890"},
                      // Rounding that carries into a new digit takes a decimal away.
                      AmountCase{9999999.9999, "10000000.0"}, AmountCase{-999999.99999, "-1000000.0"}));

TEST(CurrencyText, DividesByTenThousandAtTheEdgesOfTheAcceptedRange) {
  EXPECT_EQ(CurrencyText(999999990000LL), "99999999.0");
  EXPECT_EQ(CurrencyText(-999999990000LL), "-99999999");
  EXPECT_EQ(CurrencyText(1), "0.0001");
  EXPECT_EQ(CurrencyText(-10000), "-1.0000");
  EXPECT_EQ(CurrencyText(12345678900LL), "1234567.89");
}

TEST(CurrencyText, NeverLongerThanTenCharactersInsideTheAcceptedRange) {
  for (long long value : {999999990000LL, -999999990000LL, 99999999999LL, -99999999999LL, 9999999LL, -9999999LL, -1LL,
                          5LL, 100000000LL}) {
    EXPECT_LE(CurrencyText(value).size(), 10u) << value;
  }
}

TEST(AmountText, NonNumbersAreSentAsZero) {
  EXPECT_EQ(AmountText(std::numeric_limits<double>::infinity()), "0.0000");
  EXPECT_EQ(AmountText(std::numeric_limits<double>::quiet_NaN()), "0.0000");
}

struct DescriptionCase {
  std::size_t length;
  std::size_t sentLength;
};
void PrintTo(const DescriptionCase& c, std::ostream* os) { *os << c.length; }

class DescriptionTextTest : public ::testing::TestWithParam<DescriptionCase> {};

TEST_P(DescriptionTextTest, IsExactlyOneOrTwoReceiptLines) {
  std::string description;
  for (std::size_t i = 0; i < GetParam().length; ++i) description += static_cast<char>('a' + i % 26);
  const std::string sent = DescriptionText(description);
  ASSERT_EQ(sent.size(), GetParam().sentLength);
  const std::size_t kept = std::min(description.size(), sent.size());
  EXPECT_EQ(sent.substr(0, kept), description.substr(0, kept));
  EXPECT_EQ(sent.find_first_not_of(' ', kept), std::string::npos) << "padding must be blanks";
}

INSTANTIATE_TEST_SUITE_P(Lengths, DescriptionTextTest,
                         ::testing::Values(DescriptionCase{0, 20}, DescriptionCase{1, 20}, DescriptionCase{20, 20},
                                           DescriptionCase{21, 40}, DescriptionCase{25, 40}, DescriptionCase{40, 40},
                                           DescriptionCase{41, 40}, DescriptionCase{50, 40},
                                           DescriptionCase{2000, 40}));

TEST(DescriptionText, KeepsWindows1250BytesAsSingleCharacters) {
  // "Rožok" in windows-1250 is five bytes and fills one 20-character line.
  const std::string sent = DescriptionText("Ro\x9Eok");
  EXPECT_EQ(sent, std::string("Ro\x9Eok") + std::string(15, ' '));
}

}  // namespace
}  // namespace kestrel
