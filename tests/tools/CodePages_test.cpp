// The windows-1250 and code page 852 tables against glibc's iconv, the
// conversion for the printer and the UTF-8 conversions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/tools/IconvText.h"
#include "tools/CodePageTables.h"
#include "tools/Results.h"
#include "tools/Tools.h"
#include "tools/Utf8.h"

namespace kestrel::testing {
namespace {

char16_t IconvUnit(const std::string& utf16le) {
  return static_cast<char16_t>(static_cast<unsigned char>(utf16le[0]) | (static_cast<unsigned char>(utf16le[1]) << 8));
}

// The encoder at each length's first and last code point, against iconv.
TEST(Utf8Encoder, EveryLengthMatchesIconv) {
  for (char32_t cp : {0x00u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xFFFDu, 0xFFFFu, 0x10000u, 0x10FFFFu}) {
    std::string ours;
    AppendUtf8(ours, cp);
    std::string utf32le;
    for (int shift = 0; shift < 32; shift += 8) utf32le += static_cast<char>((cp >> shift) & 0xFF);
    std::string expected;
    ASSERT_TRUE(IconvConvert("UTF-32LE", "UTF-8", utf32le, expected)) << std::hex << cp;
    EXPECT_EQ(ours, expected) << std::hex << cp;
  }
}

TEST(CodePageTables, Cp1250MatchesIconv) {
  int undefined = 0;
  for (int b = 0; b < 256; ++b) {
    std::string wide;
    char16_t ours = codepage::Cp1250ToUnicode(static_cast<unsigned char>(b));
    if (IconvConvert("CP1250", "UTF-16LE", std::string(1, static_cast<char>(b)), wide)) {
      EXPECT_EQ(IconvUnit(wide), ours) << "byte " << b;
      EXPECT_EQ(b, codepage::UnicodeToCp1250(ours)) << "byte " << b;
    } else {
      // Left undefined by windows-1250: read as the C1 control of that number.
      ++undefined;
      EXPECT_EQ(b, ours) << "byte " << b;
    }
  }
  EXPECT_EQ(5, undefined);
}

TEST(CodePageTables, Cp852MatchesIconv) {
  for (int b = 0; b < 256; ++b) {
    std::string wide;
    ASSERT_TRUE(IconvConvert("CP852", "UTF-16LE", std::string(1, static_cast<char>(b)), wide)) << b;
    char16_t unit = IconvUnit(wide);
    EXPECT_EQ(unit, codepage::Cp852ToUnicode(static_cast<unsigned char>(b))) << "byte " << b;
    EXPECT_EQ(b, codepage::UnicodeToCp852(unit)) << "byte " << b;
  }
}

std::string ToPrinter(const std::string& text) {
  std::string out(text.size(), 'x');
  EXPECT_EQ(kSuccess, Tools::ToPrinterCodePage(text.c_str(), out.size(), out.data()));
  return out;
}

TEST(ToPrinterCodePage, EveryCharacterThatCp852HasMatchesIconv) {
  int missing = 0;
  for (int b = 1; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    std::string expected;
    if (IconvConvert("CP1250", "CP852", one, expected)) {
      EXPECT_EQ(expected, ToPrinter(one)) << "byte " << b;
    } else {
      // A character that code page 852 lacks becomes an ASCII substitute, or
      // the box-drawing cross for the two daggers, as Windows does.
      ++missing;
      const unsigned char substitute = static_cast<unsigned char>(ToPrinter(one)[0]);
      EXPECT_TRUE(substitute < 0x80 || substitute == 0xC5) << "byte " << b;
    }
  }
  EXPECT_EQ(29, missing);  // 24 characters and the 5 undefined bytes
}

TEST(ToPrinterCodePage, MissingCharactersTakeTheWindowsSubstitutes) {
  struct Case {
    const char* cp1250;
    const char* cp852;
  } cases[] = {
      {"\x84"
       "Dobr\xFD de\xF2\x93",
       "\"Dobr\xEC de\xE5\""},  // „Dobrý deň“
      {"\x91x\x92", "'x'"},
      {"a\x96"
       "b\x97"
       "c",
       "a-b-c"},
      {"\x85", "\x07"},    // ellipsis
      {"\x89", "%"},       // per mille
      {"\x99", "t"},       // trade mark
      {"\xAE\xB1", "R+"},  // registered, plus-minus
      {"\x80", "?"},       // euro
      {"\x81", "?"},       // undefined in windows-1250
  };
  for (const auto& c : cases) EXPECT_EQ(c.cp852, ToPrinter(c.cp1250)) << c.cp1250;
}

TEST(ToPrinterCodePage, FillsOrCutsToTheSize) {
  char out[8];
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(kSuccess, Tools::ToPrinterCodePage("\x9E"
                                               "ab",
                                               6, out));
  EXPECT_EQ(std::string("\xA7"
                        "ab\0\0\0",
                        6),
            std::string(out, 6));
  EXPECT_EQ('x', out[6]);

  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(kSuccess, Tools::ToPrinterCodePage("abcdefgh", 3, out));
  EXPECT_EQ("abcx", std::string(out, 4));  // at most size bytes, no terminator added

  EXPECT_EQ(kIllegal, Tools::ToPrinterCodePage(nullptr, 3, out));
  EXPECT_EQ(kIllegal, Tools::ToPrinterCodePage("abc", 3, nullptr));
}

TEST(Utf8Conversion, EveryCp1250ByteRoundTrips) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  std::string utf8 = Tools::Cp1250ToUtf8(all);
  EXPECT_EQ(all, Tools::Utf8ToCp1250(utf8));
}

TEST(Utf8Conversion, MissingCharactersBecomeQuestionMarks) {
  EXPECT_EQ("\x9E\xEDv\xE1 ?o?ka ?", Tools::Utf8ToCp1250("žívá øoæka 😀"));
  EXPECT_EQ("\x80", Tools::Utf8ToCp1250("€"));
}

TEST(Utf8Conversion, MalformedInputIsReplacedNotSwallowed) {
  struct Case {
    const char* name;
    std::string utf8;
    std::string cp1250;
  } cases[] = {
      {"stray continuation byte",
       "a\x80"
       "b",
       "a?b"},
      {"lead byte at the end", "ab\xC5", "ab?"},
      {"truncated three-byte sequence",
       "a\xE2\x82"
       "b",
       "a?b"},
      {"overlong slash",
       "a\xC0\xAF"
       "b",
       "a??b"},
      {"overlong three-byte form", "\xE0\x80\xAF", "???"},
      {"surrogate half",
       "\xED\xA0\x80"
       "x",
       "???x"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", "????"},
      {"invalid byte", "\xFF\xFE", "??"},
      {"embedded NUL kept", std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(c.cp1250, Tools::Utf8ToCp1250(c.utf8)) << c.name;
}

}  // namespace
}  // namespace kestrel::testing
