// The native code page tables must reproduce, byte for byte, what Windows
// does: windows-1250 read with MultiByteToWideChar, code page 852 written with
// WideCharToMultiByte and its default best-fit replacements. Every one of the
// 256 bytes is compared; a failure lists all bytes that differ.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tools/CodePageTables.h"
#include "tools/Tools.h"

namespace {

wchar_t SystemCp1250ToUnicode(unsigned char byte) {
  char in = static_cast<char>(byte);
  wchar_t out = 0;
  if (::MultiByteToWideChar(1250, 0, &in, 1, &out, 1) != 1) return 0xFFFF;
  return out;
}

int SystemUnicodeToCp852(wchar_t character) {
  char out = 0;
  if (::WideCharToMultiByte(852, 0, &character, 1, &out, 1, nullptr, nullptr) != 1) return -1;
  return static_cast<unsigned char>(out);
}

std::string Hex(unsigned value, int width) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", width, value);
  return text;
}

TEST(CodePages, Cp1250ReadsAsWindowsReadsIt) {
  std::string differences;
  for (int byte = 0; byte < 256; ++byte) {
    wchar_t system = SystemCp1250ToUnicode(static_cast<unsigned char>(byte));
    char16_t native = kestrel::codepage::Cp1250ToUnicode(static_cast<unsigned char>(byte));
    if (static_cast<unsigned>(system) != static_cast<unsigned>(native)) {
      differences += " " + Hex(byte, 2) + ":system U+" + Hex(system, 4) + "/native U+" + Hex(native, 4);
    }
  }
  EXPECT_TRUE(differences.empty()) << differences;
}

TEST(CodePages, Cp1250ToCp852MatchesWindowsBestFit) {
  std::string differences;
  for (int byte = 0; byte < 256; ++byte) {
    wchar_t character = SystemCp1250ToUnicode(static_cast<unsigned char>(byte));
    int system = SystemUnicodeToCp852(character);
    int native = kestrel::codepage::UnicodeToCp852(character);
    if (system != native) {
      differences += " " + Hex(byte, 2) + "(U+" + Hex(character, 4) + "):system " + Hex(system & 0xFF, 2) + "/native " +
                     Hex(native, 2);
    }
  }
  EXPECT_TRUE(differences.empty()) << differences;
}

// The Windows build of the printer conversion goes through the system; it
// must give what the native tables give for a whole line of text.
TEST(CodePages, PrinterConversionOfAllBytesMatchesTables) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
  std::string out(all.size() + 1, '\x7F');
  ASSERT_EQ(0, kestrel::Tools::ToPrinterCodePage(all.c_str(), out.size(), &out[0]));
  for (std::size_t i = 0; i < all.size(); ++i) {
    char16_t character = kestrel::codepage::Cp1250ToUnicode(static_cast<unsigned char>(all[i]));
    EXPECT_EQ(kestrel::codepage::UnicodeToCp852(character), static_cast<unsigned char>(out[i]))
        << "byte " << Hex(static_cast<unsigned char>(all[i]), 2);
  }
  EXPECT_EQ('\0', out[all.size()]);
}

}  // namespace
