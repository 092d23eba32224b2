// Date conversions for the report, clock and receipt commands.
#include "protocol/PrinterDates.h"

#include <cstring>

#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::printer_dates {
namespace {

constexpr std::size_t kInterfaceDateChars = 12;
constexpr std::size_t kPrinterStampChars = 14;

// strftime's %w counts Sunday as 0; the printer counts Monday..Sunday as 1..7.
void SundayAsSeven(char* text, const char* format) {
  const std::size_t formatLength = std::strlen(format);
  const std::size_t length = std::strlen(text);
  const bool endsInWeekday = formatLength >= 2 && std::strcmp(format + formatLength - 2, "%w") == 0;
  if (endsInWeekday && length > 0 && text[length - 1] == '0') text[length - 1] = '7';
}

bool AllDigits(const char* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

}  // namespace

std::string StampWithWeekday() {
  char now[32] = {};
  Tools::FormatTime(now, sizeof now, "%Y%m%d%H%M%S%w", "", "");
  SundayAsSeven(now, "%Y%m%d%H%M%S%w");
  return now;
}

int ConvertInterfaceDate(const char* text, const char* outFormat, char* out, std::size_t size) {
  if (out == nullptr || size == 0) return kIllegal;
  std::memset(out, 0, size);
  // The parser would take a longer text by its first twelve characters; a
  // date with anything after it is not a date.
  if (text == nullptr || std::strlen(text) != kInterfaceDateChars || !AllDigits(text, kInterfaceDateChars)) {
    return kIllegal;
  }
  const int result = Tools::FormatTime(out, size, outFormat, text, "%d%m%Y%H%M");
  if (result != kSuccess) return result;
  SundayAsSeven(out, outFormat);
  return kSuccess;
}

int ConvertPrinterStamp(const char* stamp, char* out, std::size_t size) {
  if (out == nullptr || size == 0) return kIllegal;
  std::memset(out, 0, size);
  if (stamp == nullptr || std::strlen(stamp) < kPrinterStampChars || !AllDigits(stamp, kPrinterStampChars)) {
    return kIllegal;
  }
  char digits[kPrinterStampChars + 1] = {};
  std::memcpy(digits, stamp, kPrinterStampChars);
  return Tools::FormatTime(out, size, "%d%m%Y%H%M", digits, "%Y%m%d%H%M%S");
}

}  // namespace kestrel::printer_dates
