#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <ctime>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "config/RegFile.h"
#include "config/Settings.h"
#include "log/Log.h"
#include "tests/support/TestProfile.h"

namespace kestrel::testing {
namespace {

using namespace std::string_literals;

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
const std::string kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\K";

// UTF-8 (up to three-byte sequences) to UTF-16LE with a BOM.
std::string Utf16LeFile(const std::string& utf8) {
  std::string out = "\xFF\xFE";
  for (std::size_t i = 0; i < utf8.size();) {
    auto b = static_cast<unsigned char>(utf8[i]);
    std::uint32_t cp = b;
    int extra = b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (extra) cp = b & (extra == 2 ? 0x0F : 0x1F);
    for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += extra + 1;
    out += static_cast<char>(cp & 0xFF);
    out += static_cast<char>(cp >> 8);
  }
  return out;
}

struct ValueCase {
  const char* what;
  std::string line;  // value lines below [kKey]
  const char* name;
  bool found;
  std::string stored;
};
// Named, not dumped as bytes: the struct's padding would be read uninitialised.
void PrintTo(const ValueCase& c, std::ostream* os) { *os << c.what; }

class RegFileValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(RegFileValueTest, StoredAsTheRegistryKeepsIt) {
  const ValueCase& c = GetParam();
  RegFile file = RegFile::Parse(kHeader + "[" + kKey + "]\r\n" + c.line + "\r\n");
  const std::string* value = file.Find(kKey, c.name);
  ASSERT_EQ(value != nullptr, c.found);
  if (value) {
    EXPECT_EQ(*value, c.stored);
  }
  EXPECT_EQ(file.ProblemCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegFileValueTest,
    ::testing::Values(ValueCase{"escapes", R"("A"="x\\y\"z")", "a", true, "x\\y\"z\0"s},
                      ValueCase{"lone backslash kept", R"("A"="C:\data")", "A", true, "C:\\data\0"s},
                      ValueCase{"quoted name escapes", R"("A\"B"="1")", "a\"b", true, "1\0"s},
                      ValueCase{"default value", R"(@="def")", "", true, "def\0"s},
                      ValueCase{"empty text", R"("A"="")", "A", true, "\0"s},
                      ValueCase{"dword", "\"A\"=dword:0000000a", "A", true, "\x0a\0\0\0"s},
                      ValueCase{"short dword", "\"A\"=DWORD:31323334", "A", true, "4321"},
                      ValueCase{"hex", "\"A\"=hex:41,42,43,00", "A", true, "ABC\0"s},
                      ValueCase{"hex continued", "\"A\"=hex:41,42,\\\r\n  43,44", "A", true, "ABCD"},
                      ValueCase{"hex(0) raw", "\"A\"=hex(0):41,00,42", "A", true, "A\0B"s},
                      ValueCase{"hex(2) UTF-16", "\"A\"=hex(2):43,00,3a,00,5c,00,00,00", "A", true, "C:\\\0"s},
                      ValueCase{"hex(1) Slovak", "\"A\"=hex(1):7e,01,00,00", "A", true, "\x9E\0"s},
                      ValueCase{"hex(7) list", "\"A\"=hex(7):61,00,00,00,62,00,00,00,00,00", "A", true, "a\0b\0\0"s},
                      ValueCase{"later wins", "\"A\"=\"1\"\r\n\"a\"=\"2\"", "A", true, "2\0"s},
                      ValueCase{"deleted", "\"A\"=\"1\"\r\n\"A\"=-", "A", false, ""}),
    [](const ::testing::TestParamInfo<ValueCase>& p) {
      std::string name;
      for (char ch : std::string(p.param.what)) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return name;
    });

TEST(RegFile, KeysRemovedWithTheirSubkeysAndRootsAbbreviated) {
  RegFile file = RegFile::Parse(kHeader +
                                "[HKLM\\SOFTWARE\\A]\r\n\"X\"=\"1\"\r\n"
                                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\Sub]\r\n\"X\"=\"2\"\r\n"
                                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\AB]\r\n\"X\"=\"3\"\r\n"
                                "[-hkey_local_machine\\software\\a]\r\n\"Ignored\"=\"4\"\r\n"
                                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\C]\r\n\"X\"=\"5\"\r\n");
  EXPECT_FALSE(file.HasKey("HKLM\\SOFTWARE\\A"));
  EXPECT_FALSE(file.HasKey("HKLM\\SOFTWARE\\A\\Sub"));
  EXPECT_NE(file.Find("HKLM\\software\\ab", "X"), nullptr);
  EXPECT_NE(file.Find("HKEY_LOCAL_MACHINE\\SOFTWARE\\C\\", "x"), nullptr);
  EXPECT_EQ(file.ProblemCount(), 0u);
}

TEST(RegFile, MalformedLinesAreSkippedAndTheRestCounts) {
  RegFile file = RegFile::Parse(
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"  // 1, with a UTF-8 BOM
      "; comment\r\n"                                         // 2
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\r\n"                 // 3
      "\"Good1\"=\"a\"\r\n"                                   // 4
      "\"Broken\"=\"abc\r\n"                                  // 5
      "garbage\r\n"                                           // 6
      "\"NoEquals\" \"x\"\r\n"                                // 7
      "\"BadDword\"=dword:123456789\r\n"                      // 8
      "\"BadHex\"=hex:4g\r\n"                                 // 9
      "\"BadType\"=hex(zz):00\r\n"                            // 10
      "\"Unknown\"=qword:00\r\n"                              // 11
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Unclosed\r\n"           // 12
      "\"Orphan1\"=\"x\"\r\n"                                 // 13: must not land in K
      "[NOROOT\\X]\r\n"                                       // 14
      "\"Orphan2\"=\"x\"\r\n"                                 // 15
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\r\n"                 // 16
      "\"Good2\"=\"b\"\r\n"                                   // 17
      "\"Tail\"=hex:41,\\");                                  // 18: continuation at the end
  std::vector<int> lines;
  for (const auto& p : file.Problems()) lines.push_back(p.line);
  EXPECT_EQ(lines, (std::vector<int>{5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
  EXPECT_NE(file.Find(kKey, "Good1"), nullptr);
  EXPECT_NE(file.Find(kKey, "Good2"), nullptr);
  EXPECT_EQ(*file.Find(kKey, "Tail"), "A");
  EXPECT_EQ(file.Find(kKey, "Orphan1"), nullptr);
}

TEST(RegFile, EncodingsAndHeaders) {
  const std::string body = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\r\n\"A\"=\"\xC5\xBDlt\xC3\xBD k\xC3\xB4\xC5\x88\"\r\n";
  const std::string ansi = "\x8Elt\xFD k\xF4\xF2\0"s;
  EXPECT_EQ(*RegFile::Parse(Utf16LeFile(kHeader + body)).Find(kKey, "A"), ansi);
  EXPECT_EQ(*RegFile::Parse(body).Find(kKey, "A"), ansi);  // no header line
  EXPECT_EQ(*RegFile::Parse("REGEDIT4\r\n[" + kKey + "]\r\n\"A\"=\"\x8Elt\xFD k\xF4\xF2\"").Find(kKey, "A"), ansi);
  // In an old-style export, text types hold ANSI bytes.
  EXPECT_EQ(*RegFile::Parse("REGEDIT4\r\n[" + kKey + "]\r\n\"A\"=hex(2):43,3a,00").Find(kKey, "A"), "C:\0"s);
}

TEST(RegFile, DeliverNeedsRoomForATerminatorUnlessStoredWithOne) {
  char buffer[8];
  EXPECT_EQ(RegFile::Deliver("1234", buffer, 4), 111);  // dword:34333231, no terminator
  EXPECT_EQ(RegFile::Deliver("1234", buffer, 5), 0);
  EXPECT_EQ(RegFile::Deliver("1\0\0\0"s, buffer, 4), 0);  // dword:00000031 ends in one
  EXPECT_EQ(RegFile::Deliver("abc\0"s, buffer, 4), 0);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(RegFile::Deliver("", buffer, 1), 0);
}

TEST(RegFile, ArbitraryInputNeverBreaksTheParser) {
  const char* pieces[] = {"[",    "]",      "[-",       "\"",   "\\", "=",    "@=", "-",      "hex(",
                          "hex:", "dword:", ")",        ":",    ",",  "\r\n", "\n", "HKLM\\", "HKEY_LOCAL_MACHINE\\K",
                          "4",    "ff",     "\xFF\xFE", "\xC5", "\0"};
  std::mt19937 random(1234);
  for (int round = 0; round < 3000; ++round) {
    std::string input;
    int count = static_cast<int>(random() % 60);
    for (int i = 0; i < count; ++i) {
      if (random() % 4 == 0) {
        input += static_cast<char>(random() % 256);
      } else {
        const char* piece = pieces[random() % (sizeof pieces / sizeof *pieces)];
        input += *piece ? std::string(piece) : "\0"s;
      }
    }
    RegFile file = RegFile::Parse(input);
    EXPECT_LE(file.Problems().size(), RegFile::kMaxProblems);
  }
}

TEST(RegFile, ProfileProblemsAreLoggedAtEachLookup) {
  TestProfile profile;
  WriteWholeFile(profile.ProfilePath(),
                 kHeader +
                     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\ZB_Tarnel.COM]\r\n"
                     "\"DataDirectory\"=\"" +
                     profile.DataDir() +
                     "\"\r\n"
                     "not a value\r\n\"Port\"=\"COM2\"\r\n");
  std::tm day{};
  day.tm_year = 124, day.tm_mon = 4, day.tm_mday = 17, day.tm_hour = 12, day.tm_isdst = -1;
  PinClock(std::mktime(&day));
  Settings::Instance().SetDeviceClass("FiscalPrinter");
  Log::Instance().LoadSettings();
  char port[30];
  EXPECT_EQ(Settings::Instance().ReadValue("Port", port, sizeof port), 0);
  EXPECT_STREQ(port, "COM2");
  std::string log = ReadWholeFile(profile.DataFile("kstr_log_2024_05_17.txt"));
  EXPECT_NE(log.find("- [Settings::ReadValue] " + profile.ProfilePath() + " line 5 skipped"), std::string::npos) << log;
}

}  // namespace
}  // namespace kestrel::testing
