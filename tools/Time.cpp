// Formatting of the local time and parsing of date texts by a template such
// as "%d%m%Y%H%M" or "kstr_log_%Y_%m_%d.txt".
#include <cstring>

#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

bool IsLeapYear(long year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(long year, int month0) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month0 == 1 && IsLeapYear(year) ? 29 : kDays[month0];
}

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
long DaysFromCivil(long year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  long era = (year >= 0 ? year : year - 399) / 400;
  long yoe = year - era * 400;
  long doy = (153L * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long days, long& year, int& month, int& day) {
  days += 719468;
  long era = (days >= 0 ? days : days - 146096) / 146097;
  long doe = days - era * 146097;
  long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = yoe + era * 400 + (month <= 2 ? 1 : 0);
}

// Carries an overflowing day of month into the following months and
// recomputes the day of week and of year. Purely calendrical: no time zone
// is consulted, so a parsed 15:30 stays 15:30 whatever the daylight saving.
void Normalise(std::tm& time) {
  long year = 1900L + time.tm_year;
  long days = DaysFromCivil(year, time.tm_mon + 1, 1) + (time.tm_mday - 1);
  int month = 1;
  int day = 1;
  CivilFromDays(days, year, month, day);
  time.tm_year = static_cast<int>(year - 1900);
  time.tm_mon = month - 1;
  time.tm_mday = day;
  time.tm_wday = static_cast<int>(((days % 7) + 7 + 4) % 7);  // 1970-01-01 was a Thursday
  time.tm_yday = static_cast<int>(days - DaysFromCivil(year, 1, 1));
}

// Reads exactly `count` decimal digits at `position`; anything else (the
// text ending early, a sign, a blank) is not a date.
bool ReadNumber(const char* text, std::size_t length, std::size_t position, int count, int& value) {
  if (position > length || length - position < static_cast<std::size_t>(count)) return false;
  value = 0;
  for (int i = 0; i < count; ++i) {
    char c = text[position + static_cast<std::size_t>(i)];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

int ConversionWidth(char letter) { return letter == 'Y' ? 4 : 2; }

// Sets the field of one conversion; false for an unknown letter, unreadable
// digits or a value out of range.
bool ApplyConversion(char letter, const char* text, std::size_t length, std::size_t position, std::tm& time,
                     bool& dayRead) {
  int value = 0;
  if (!ReadNumber(text, length, position, ConversionWidth(letter), value)) return false;
  switch (letter) {
    case 'H':
      if (value > 23) return false;
      time.tm_hour = value;
      return true;
    case 'M':
      if (value > 59) return false;
      time.tm_min = value;
      return true;
    case 'S':
      if (value > 59) return false;
      time.tm_sec = value;
      return true;
    case 'Y':
      if (value < 1000 || value > 3000) return false;
      time.tm_year = value - 1900;
      return true;
    case 'y':
      time.tm_year = value < 70 ? value + 100 : value;
      return true;
    case 'm':
      if (value < 1 || value > 12) return false;
      time.tm_mon = value - 1;
      return true;
    case 'd':
      if (value < 1 || value > 31) return false;
      time.tm_mday = value;
      dayRead = true;
      return true;
    default:
      return false;
  }
}

// Reads the text by the template into `time`. 0 or 106.
int ParseByTemplate(const char* text, const char* textTemplate, std::tm& time) {
  const std::size_t textLength = std::strlen(text);
  int expected = 0;
  for (const char* p = textTemplate; *p; ++p) expected += *p == '%' ? 1 : 0;

  int result = kSuccess;
  int read = 0;
  bool dayRead = false;
  const char* percent = std::strchr(textTemplate, '%');
  // The first conversion sits in the text where its percent sign sits in the
  // template; after that, literal characters are skipped one for one.
  std::size_t position = percent ? static_cast<std::size_t>(percent - textTemplate) : 0;
  while (percent && position < textLength) {
    char letter = percent[1];
    ++read;
    if (!ApplyConversion(letter, text, textLength, position, time, dayRead)) result = kIllegal;
    if (letter == '\0') break;
    const char* next = std::strchr(percent + 2, '%');
    if (!next) break;
    position += static_cast<std::size_t>(ConversionWidth(letter)) + static_cast<std::size_t>(next - percent) - 2;
    percent = next;
  }
  if (read < expected) result = kIllegal;
  // A day beyond the month's length (32 January, 30 February) is refused
  // rather than carried into the next month.
  if (result == kSuccess && dayRead && time.tm_mday > DaysInMonth(1900L + time.tm_year, time.tm_mon)) {
    result = kIllegal;
  }
  return result;
}

}  // namespace

int Tools::FormatTime(char* out, std::size_t size, const char* outFormat, const char* text, const char* textTemplate) {
  if (!out || size == 0) return kIllegal;
  std::memset(out, 0, size);
  std::tm time = GetLocalTime();

  int result = kSuccess;
  if (text && *text && textTemplate && *textTemplate) {
    result = ParseByTemplate(text, textTemplate, time);
  }
  if (result != kSuccess) return result;
  if (!outFormat || !*outFormat) return kIllegal;

  Normalise(time);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
  std::size_t written = std::strftime(out, size, outFormat, &time);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  if (written == 0) {
    std::memset(out, 0, size);
    return kIllegal;
  }
  return kSuccess;
}

}  // namespace kestrel
