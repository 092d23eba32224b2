// Local time and the parsing of date texts by a template.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "tests/support/TestProfile.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::testing {
namespace {

// 2024-05-17 08:09:10 UTC, a Friday.
constexpr std::time_t kPinned = 1715933350;

class FormatTimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseZone("UTC0");
    PinClock(kPinned);
  }
  static void UseZone(const char* zone) {
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
};

struct FormatCase {
  const char* name;
  const char* outFormat;
  const char* text;
  const char* textTemplate;
  int result;
  const char* output;
};

TEST_F(FormatTimeTest, ParsesByTemplate) {
  const FormatCase cases[] = {
      {"application date", "%Y%m%d", "311220231530", "%d%m%Y%H%M", kSuccess, "20231231"},
      {"application date and time", "%Y%m%d%H%M%S", "311220231530", "%d%m%Y%H%M", kSuccess, "20231231153010"},
      {"log file name", "%y%m%d", "kstr_log_2024_05_17.txt", "kstr_log_%Y_%m_%d.txt", kSuccess, "240517"},
      {"literals are skipped, not compared", "%Y%m%d", "XXXXXXXXX2023-01-02", "kstr_log_%Y_%m_%d.txt", kSuccess,
       "20230102"},
      {"year 69 is 2069", "%Y", "690101", "%y%m%d", kSuccess, "2069"},
      {"year 70 is 1970", "%Y", "700101", "%y%m%d", kSuccess, "1970"},
      {"29 February of a leap year", "%Y%m%d", "290220241200", "%d%m%Y%H%M", kSuccess, "20240229"},
      {"weekday and day of year recomputed", "%w %j", "311220231530", "%d%m%Y%H%M", kSuccess, "0 365"},
      {"seconds", "%H%M%S", "235959", "%H%M%S", kSuccess, "235959"},
      {"unnamed fields keep the present time", "%Y%m%d%H%M", "0930", "%H%M", kSuccess, "202405170930"},
      {"text without template", "%Y%m%d%H%M%S", "311220231530", "", kSuccess, "20240517080910"},
      {"template without text", "%Y%m%d%H%M%S", "", "%d%m%Y%H%M", kSuccess, "20240517080910"},
      {"template without conversions", "%Y", "abc", "abc", kSuccess, "2024"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    char out[64];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(c.result, Tools::FormatTime(out, sizeof out, c.outFormat, c.text, c.textTemplate));
    EXPECT_STREQ(c.output, out);
  }
}

TEST_F(FormatTimeTest, RefusesUnreadableDates) {
  const FormatCase cases[] = {
      {"text too short", "%Y%m%d", "3112202315", "%d%m%Y%H%M", kIllegal, ""},
      {"last field cut short", "%Y%m%d", "31122023153", "%d%m%Y%H%M", kIllegal, ""},
      {"text shorter than the first literals", "%Y", "kstr", "kstr_log_%Y", kIllegal, ""},
      {"32 January", "%Y%m%d", "320120241200", "%d%m%Y%H%M", kIllegal, ""},
      {"30 February", "%Y%m%d", "300220241200", "%d%m%Y%H%M", kIllegal, ""},
      {"29 February of a common year", "%Y%m%d", "290220231200", "%d%m%Y%H%M", kIllegal, ""},
      {"29 February of 1900", "%Y%m%d", "290219001200", "%d%m%Y%H%M", kIllegal, ""},
      {"31 April", "%Y%m%d", "310420241200", "%d%m%Y%H%M", kIllegal, ""},
      {"month 0", "%Y%m%d", "010020241200", "%d%m%Y%H%M", kIllegal, ""},
      {"month 13", "%Y%m%d", "011320241200", "%d%m%Y%H%M", kIllegal, ""},
      {"hour 24", "%Y%m%d", "010120242400", "%d%m%Y%H%M", kIllegal, ""},
      {"minute 60", "%Y%m%d", "010120241260", "%d%m%Y%H%M", kIllegal, ""},
      {"second 60", "%S", "60", "%S", kIllegal, ""},
      {"year 999", "%Y", "0999", "%Y", kIllegal, ""},
      {"year 3001", "%Y", "3001", "%Y", kIllegal, ""},
      {"not digits", "%Y%m%d", "3a1220231530", "%d%m%Y%H%M", kIllegal, ""},
      {"a sign", "%Y%m%d", "-1122023153", "%d%m%Y%H%M", kIllegal, ""},
      {"unknown conversion", "%Y", "2024", "%q", kIllegal, ""},
      {"percent at the template's end", "%Y", "2024xx", "%Y%", kIllegal, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    char out[64];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(c.result, Tools::FormatTime(out, sizeof out, c.outFormat, c.text, c.textTemplate));
    EXPECT_STREQ(c.output, out);
  }
}

TEST_F(FormatTimeTest, OutputThatDoesNotFitIsRefusedAndCleared) {
  char out[9];
  std::memset(out, 'x', sizeof out);
  // Eight digits need nine bytes with the terminator.
  EXPECT_EQ(kIllegal, Tools::FormatTime(out, 8, "%Y%m%d", nullptr, nullptr));
  EXPECT_EQ(std::string(8, '\0'), std::string(out, 8));
  EXPECT_EQ('x', out[8]);  // nothing written past the given size
  EXPECT_EQ(kSuccess, Tools::FormatTime(out, 9, "%Y%m%d", nullptr, nullptr));
  EXPECT_STREQ("20240517", out);
}

TEST_F(FormatTimeTest, EmptyOrMissingArgumentsAreRefused) {
  char out[16];
  EXPECT_EQ(kIllegal, Tools::FormatTime(out, sizeof out, "", nullptr, nullptr));
  EXPECT_STREQ("", out);
  EXPECT_EQ(kIllegal, Tools::FormatTime(out, sizeof out, nullptr, nullptr, nullptr));
  EXPECT_EQ(kIllegal, Tools::FormatTime(nullptr, 16, "%Y", nullptr, nullptr));
  EXPECT_EQ(kIllegal, Tools::FormatTime(out, 0, "%Y", nullptr, nullptr));
}

TEST_F(FormatTimeTest, ParsedTimeIgnoresDaylightSaving) {
  // In summer, a winter date keeps the hour it was given, and the reverse.
  UseZone("CET-1CEST,M3.5.0,M10.5.0/3");
  char out[32];
  ASSERT_EQ(kSuccess, Tools::FormatTime(out, sizeof out, "%d.%m.%Y %H:%M", "151220231530", "%d%m%Y%H%M"));
  EXPECT_STREQ("15.12.2023 15:30", out);
  PinClock(1702650000);  // December
  ASSERT_EQ(kSuccess, Tools::FormatTime(out, sizeof out, "%d.%m.%Y %H:%M", "150720230230", "%d%m%Y%H%M"));
  EXPECT_STREQ("15.07.2023 02:30", out);
  // The hour that the spring change skips is still read as written.
  ASSERT_EQ(kSuccess, Tools::FormatTime(out, sizeof out, "%H:%M", "260320230230", "%d%m%Y%H%M"));
  EXPECT_STREQ("02:30", out);
}

TEST_F(FormatTimeTest, LocalTimeFollowsTheClockAndZone) {
  std::tm utc = Tools::GetLocalTime();
  EXPECT_EQ(124, utc.tm_year);
  EXPECT_EQ(4, utc.tm_mon);
  EXPECT_EQ(17, utc.tm_mday);
  EXPECT_EQ(8, utc.tm_hour);
  EXPECT_EQ(5, utc.tm_wday);
  UseZone("CET-1CEST,M3.5.0,M10.5.0/3");
  EXPECT_EQ(10, Tools::GetLocalTime().tm_hour);
  AdvanceClock(3600);
  EXPECT_EQ(11, Tools::GetLocalTime().tm_hour);
}

}  // namespace
}  // namespace kestrel::testing
