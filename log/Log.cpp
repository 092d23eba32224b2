#include "log/Log.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <vector>

#include "config/ProfileStore.h"
#include "config/Settings.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

constexpr std::size_t kMessageSize = 20000;  // formatted message, with its terminator
constexpr std::size_t kLineSize = 20100;     // whole line, with CR LF and terminator
constexpr std::size_t kShortMessageSize = 512;
constexpr char kFileNameFormat[] = "kstr_log_%Y_%m_%d.txt";
constexpr char kInterfaceTag[] = "FiscalPrinter";

// The service serialises its calls, but the virtual printer and tests may log
// from a second thread; this keeps their lines whole.
std::mutex& AppendLock() {
  static std::mutex lock;
  return lock;
}

// Leading sign and digits as a decimal number; 0 when there are none.
int ParseDecimal(const char* text) {
  long value = std::strtol(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// Reads a numeric profile value into 100 bytes; false when absent or empty.
bool ReadNumber(const char* name, int& value, int& result) {
  char buffer[100];
  result = Settings::Instance().ReadValue(name, buffer, sizeof buffer);
  if (result != kSuccess || buffer[0] == '\0') return false;
  value = ParseDecimal(buffer);
  return true;
}

// The profile store sits below the log; its remarks reach the daily log
// through this sink, installed when the program starts.
void WriteProfileRemark(const char* tag, const std::string& text) { Log::Instance().Write(tag, "%s", text.c_str()); }
[[maybe_unused]] const bool kProfileRemarksLogged = (SetProfileRemarkSink(&WriteProfileRemark), true);

std::string BuildLine(const char* timeText, const char* tag, const char* message) {
  std::string line = timeText;
  if (*tag != '\0') {
    line += '\t';
    // Interface methods stand flush; everything below them is marked as an inner layer.
    if (std::strncmp(tag, kInterfaceTag, sizeof kInterfaceTag - 1) != 0) line += "- ";
    line += '[';
    line += tag;
    line += "] ";
    line += message;
  }
  if (line.size() > kLineSize - 3) line.resize(kLineSize - 3);
  line += "\r\n";
  return line;
}

}  // namespace

int Log::LoadSettings() {
  try {
    if (directory_.empty()) {
      char directory[300];
      Settings::Instance().ReadValue("DataDirectory", directory, sizeof directory);
      if (directory[0] == '\0') return kFailure;
      if (!Tools::DirectoryExists(directory) && Tools::MakeDirectory(directory) < 0) return kFailure;
      directory_ = directory;
    }
    int value = 0;
    int result = kFailure;
    if (ReadNumber("LogEnabled", value, result)) enabled_ = value != 0;
    if (ReadNumber("LogDays", value, result)) days_ = (value < 1 || value > 365) ? kDaysWhenOutOfRange : value;
    if (ReadNumber("LogDebug", value, result)) debug_ = value == 1;
    return result == kSuccess ? kSuccess : kFailure;
  } catch (...) {
    return kFailure;
  }
}

void Log::Write(const char* tag, const char* format, ...) {
  if (directory_.empty() || tag == nullptr || format == nullptr || !enabled_) return;
  try {
    // Most messages are short: format on the stack first, and only a longer
    // one again into a buffer of its size (never clearing 20 000 bytes a line).
    char shortMessage[kShortMessageSize] = {};
    std::vector<char> longMessage;
    const char* message = shortMessage;
    if (*tag != '\0') {
      va_list args;
      va_start(args, format);
      va_list again;
      va_copy(again, args);
      const int needed = std::vsnprintf(shortMessage, sizeof shortMessage, format, args);
      va_end(args);
      if (needed >= static_cast<int>(sizeof shortMessage)) {
        // A longer message is cut here; the line is still written.
        longMessage.resize(std::min(static_cast<std::size_t>(needed) + 1, kMessageSize));
        std::vsnprintf(longMessage.data(), longMessage.size(), format, again);
        longMessage.back() = '\0';
        message = longMessage.data();
      }
      va_end(again);
    }

    std::tm now = Tools::GetLocalTime();
    char timeText[32] = {};
    char fileName[64] = {};
    if (std::strftime(timeText, sizeof timeText, "%H:%M:%S", &now) == 0 ||
        std::strftime(fileName, sizeof fileName, kFileNameFormat, &now) == 0) {
      return;
    }
    std::string line = BuildLine(timeText, tag, message);
    std::string path = Tools::JoinPath(directory_, fileName);

    std::lock_guard<std::mutex> guard(AppendLock());
    // The first line of a day (or of a start on a day without a file) clears out old files.
    if (!Tools::FileExists(path)) RemoveOldLogs();
    Tools::WriteFile(line.data(), line.size(), path, true);
  } catch (...) {
    // Logging never fails a caller.
  }
}

}  // namespace kestrel
