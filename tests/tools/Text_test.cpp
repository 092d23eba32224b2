// Text cutting, filling, centring, trimming and number helpers.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "tools/Tools.h"

namespace kestrel::testing {
namespace {

TEST(MakeFormat, JoinsPrefixWidthAndSuffix) {
  EXPECT_EQ("%-40s", Tools::MakeFormat("%-", 40, "s"));
  EXPECT_EQ(1000u, Tools::MakeFormat(std::string(1200, 'p').c_str(), 1, "").size());
}

TEST(SubString, CutsWithinTheText) {
  EXPECT_EQ("cde", Tools::SubString("abcdefg", 2, 3));
  EXPECT_EQ("efg", Tools::SubString("abcdefg", 4, 100));
  EXPECT_EQ("", Tools::SubString("abcdefg", 7, 3));  // offset at the end
  EXPECT_EQ("", Tools::SubString("abc", 1000, 3));   // offset past the end
  EXPECT_EQ("", Tools::SubString(nullptr, 0, 3));
  const std::string big(3000, 'q');
  EXPECT_EQ(1000u, Tools::SubString(big.c_str(), 5, 2000).size());
}

TEST(CenterText, CentresOrCuts) {
  const std::string ten = "0123456789";
  EXPECT_EQ(std::string(15, ' ') + ten, Tools::CenterText(ten.c_str(), 40));
  const std::string long45(45, 'L');
  EXPECT_EQ(std::string(40, 'L'), Tools::CenterText(long45.c_str(), 40));
  EXPECT_EQ(" abc", Tools::CenterText("abc", 6));  // (6 - 3) / 2 = 1 space, none behind
  EXPECT_EQ("", Tools::CenterText(nullptr, 40));
  EXPECT_EQ("", Tools::CenterText("abc", -4));
  // The result never passes 1000 bytes.
  EXPECT_EQ(499u + 2u, Tools::CenterText("ab", 5000).size());
}

TEST(PadLeft, FillsInFront) {
  EXPECT_EQ("0000000000000123", Tools::PadLeft("123", '0', 16));
  EXPECT_EQ("123", Tools::PadLeft("123", '0', 3));
  EXPECT_EQ("12345", Tools::PadLeft("12345", '0', 3));  // a longer text stays whole
  EXPECT_EQ("", Tools::PadLeft(nullptr, '0', 3));
  EXPECT_EQ(1000u, Tools::PadLeft("x", ' ', 5000).size());
  EXPECT_EQ(1000u, Tools::PadLeft(std::string(1500, 'x').c_str(), ' ', 10).size());
}

TEST(Trim, RemovesBlanksAtBothEnds) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"  abc  ", "abc"},     {"\t\r\n abc def \r\n", "abc def"}, {"abc", "abc"}, {"", ""}, {" \t\r\n ", ""},
      {"\vabc\f", "\vabc\f"},  // only space, TAB, LF and CR count
  };
  for (const auto& c : cases) {
    char buffer[32];
    std::strcpy(buffer, c.in);
    Tools::Trim(buffer);
    EXPECT_STREQ(c.out, buffer) << '"' << c.in << '"';
  }
  Tools::Trim(nullptr);
}

TEST(StripControl, DropsBytesBelowSpace) {
  char out[32];
  std::memset(out, 'x', sizeof out);
  Tools::StripControl(out, 10,
                      "a\tb\nc\xE1\x1F"
                      "d");
  EXPECT_STREQ(
      "abc\xE1"
      "d",
      out);
  EXPECT_EQ('\0', out[10]);  // n + 1 bytes cleared
  EXPECT_EQ('x', out[11]);
}

TEST(StripControl, LooksAtTheFirstNBytesOnly) {
  char out[5];
  std::memset(out, 'x', sizeof out);
  Tools::StripControl(out, 4, "abcdefgh");
  EXPECT_STREQ("abcd", out);  // terminated inside its n + 1 bytes
  Tools::StripControl(out, 4, nullptr);
  EXPECT_STREQ("", out);
  Tools::StripControl(nullptr, 4, "abc");
}

TEST(SwapDecimalPoint, SwapsTheFirstOccurrenceOnly) {
  std::setlocale(LC_NUMERIC, "C");
  char a[] = "1,50,2";
  Tools::SwapDecimalPoint(a, 0);
  EXPECT_STREQ("1.50,2", a);
  char b[] = "1.50.2";
  Tools::SwapDecimalPoint(b, 1);
  EXPECT_STREQ("1,50.2", b);
  char c[] = "150";
  Tools::SwapDecimalPoint(c, 0);
  EXPECT_STREQ("150", c);
  char d[] = "1,5";
  Tools::SwapDecimalPoint(d, 7);  // no such direction
  EXPECT_STREQ("1,5", d);
  Tools::SwapDecimalPoint(nullptr, 0);
}

TEST(IntegerDigits, CountsTheIntegerPart) {
  struct Case {
    double number;
    int digits;
  } cases[] = {
      {123.45, 3}, {-123.45, 4}, {1, 1},    {0.5, 0},       {0, 0},     {-0.5, 1},
      {9.999, 1},  {10, 2},      {1000, 4}, {999999.99, 6}, {1e15, 16}, {99999999.9999, 8},
  };
  for (const auto& c : cases) EXPECT_EQ(c.digits, Tools::IntegerDigits(c.number)) << c.number;
  EXPECT_EQ(0, Tools::IntegerDigits(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_EQ(0, Tools::IntegerDigits(std::numeric_limits<double>::infinity()));
}

}  // namespace
}  // namespace kestrel::testing
