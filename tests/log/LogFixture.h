// A profile, a pinned clock (17 May 2024, 10:20:30 local time) and helpers
// to read the day's log file.
#pragma once
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "log/Log.h"
#include "tests/support/TestProfile.h"

namespace kestrel::testing {

inline std::time_t LocalInstant(int year, int month, int day, int hour = 10, int minute = 20, int second = 30) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

// The log file name of the day `daysBefore` days before 17 May 2024.
inline std::string LogNameDaysBefore(int daysBefore) {
  std::time_t t = LocalInstant(2024, 5, 17 - daysBefore, 12, 0, 0);
  std::tm local{};
  localtime_r(&t, &local);
  char name[64];
  std::strftime(name, sizeof name, "kstr_log_%Y_%m_%d.txt", &local);
  return name;
}

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PinClock(LocalInstant(2024, 5, 17));
    Settings::Instance().SetDeviceClass("FiscalPrinter");
  }
  Log& log() { return Log::Instance(); }
  std::string Today() const { return ReadWholeFile(profile_.DataFile("kstr_log_2024_05_17.txt")); }
  // The day's lines without their CR LF.
  std::vector<std::string> TodayLines() const {
    std::vector<std::string> lines;
    std::string text = Today();
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }

  TestProfile profile_;
};

}  // namespace kestrel::testing
