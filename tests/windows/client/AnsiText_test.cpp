// Texts between BSTR and the system ANSI code page (windows-1250 in the test
// prefix), and the in/out argument adapters of the COM server.
#include <gtest/gtest.h>

#include <string>

#include "server/AnsiText.h"

namespace {

using kestrel::server::Ansi;
using kestrel::server::NumberSlot;
using kestrel::server::TextSlot;
using kestrel::server::ToBstr;

TEST(AnsiText, EveryWindows1250ByteSurvivesTheRoundTrip) {
  ASSERT_EQ(1250u, ::GetACP());
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
  BSTR wide = ToBstr(all);
  ASSERT_NE(nullptr, wide);
  EXPECT_EQ(255u, ::SysStringLen(wide));
  EXPECT_EQ(L'\u017D', wide[0x8E - 1]);  // Ž
  EXPECT_EQ(L'\u0165', wide[0x9D - 1]);  // ť
  EXPECT_EQ(all, Ansi(wide));
  ::SysFreeString(wide);
}

TEST(AnsiText, NullAndEmbeddedNulReadAsTheServiceReadsThem) {
  EXPECT_EQ("", Ansi(nullptr));
  BSTR withNul = ::SysAllocStringLen(L"ab\0cd", 5);
  EXPECT_EQ("ab", Ansi(withNul));
  ::SysFreeString(withNul);
  BSTR empty = ToBstr("");
  ASSERT_NE(nullptr, empty);
  EXPECT_EQ(0u, ::SysStringLen(empty));
  ::SysFreeString(empty);
}

TEST(TextSlot, ReplacesTheCallersTextOnlyWhenItChanged) {
  BSTR text = ::SysAllocString(L"same");
  BSTR before = text;
  { TextSlot slot(&text); }
  EXPECT_EQ(before, text) << "an unchanged text keeps the caller's BSTR";

  {
    TextSlot slot(&text);
    ASSERT_NE(nullptr, slot.get());
    EXPECT_EQ("same", *slot.get());
    *slot.get() = "\x8Eiadne";  // "Žiadne" in windows-1250
  }
  EXPECT_STREQ(L"\u017Diadne", text);
  ::SysFreeString(text);

  TextSlot absent(nullptr);
  EXPECT_EQ(nullptr, absent.get());
}

TEST(NumberSlot, InOutReadsFirstOutOnlyDoesNot) {
  LONG value = 41;
  {
    NumberSlot slot(&value, true);
    EXPECT_EQ(41, *slot.get());
    *slot.get() = 42;
  }
  EXPECT_EQ(42, value);
  {
    NumberSlot slot(&value, false);
    EXPECT_EQ(0, *slot.get());
  }
  EXPECT_EQ(0, value);
  NumberSlot absent(nullptr, true);
  EXPECT_EQ(nullptr, absent.get());
}

}  // namespace
