// Removal of log files older than the configured number of days.
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "log/Log.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian calendar).
long DaysFromCivil(long year, long month, long day) {
  year -= month <= 2 ? 1 : 0;
  const long era = (year >= 0 ? year : year - 399) / 400;
  const long yearOfEra = year - era * 400;
  const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

bool Digits(const std::string& text, std::size_t pos, std::size_t count, long& value) {
  value = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

// The date of a name of the form "kstr_log_%Y_%m_%d.txt", exactly; any other
// name yields none and its file is left alone.
bool LogFileDate(const std::string& name, long& year, long& month, long& day) {
  static const std::string kPrefix = "kstr_log_";
  static const std::string kSuffix = ".txt";
  // kstr_log_ YYYY _ MM _ DD .txt
  if (name.size() != kPrefix.size() + 10 + kSuffix.size()) return false;
  if (name.compare(0, kPrefix.size(), kPrefix) != 0) return false;
  if (name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0) return false;
  const std::size_t p = kPrefix.size();
  if (name[p + 4] != '_' || name[p + 7] != '_') return false;
  if (!Digits(name, p, 4, year) || !Digits(name, p + 5, 2, month) || !Digits(name, p + 8, 2, day)) return false;
  return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

}  // namespace

int Log::RemoveOldLogs() {
  try {
    std::vector<std::string> names;
    if (directory_.empty() || Tools::ListDirectory(directory_, names) != 0) return kFailure;
    // Ages are counted in calendar days, so a change of summer time cannot
    // make a file a day younger or older than its date says.
    std::tm now = Tools::GetLocalTime();
    const long today = DaysFromCivil(now.tm_year + 1900L, now.tm_mon + 1L, now.tm_mday);
    for (const std::string& name : names) {
      if (name.find("_log_") == std::string::npos) continue;
      long year = 0;
      long month = 0;
      long day = 0;
      if (!LogFileDate(name, year, month, day)) continue;
      if (std::labs(today - DaysFromCivil(year, month, day)) > days_) {
        Tools::DeleteFile(Tools::JoinPath(directory_, name));  // a file that cannot go stays
      }
    }
    return kSuccess;
  } catch (...) {
    return kFailure;
  }
}

}  // namespace kestrel
