#pragma once
// The daily diagnostic log: one file per day in the data directory
// ("kstr_log_%Y_%m_%d.txt"), one CR LF line per event, each tagged with the
// Class::Method that wrote it. Logging never fails a caller.
#include <cstddef>
#include <string>

#include "tools/Singleton.h"

#if defined(__GNUC__)
#define KESTREL_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define KESTREL_PRINTF(fmt, args)
#endif

namespace kestrel {

class Log : public ProcessSingleton<Log> {
 public:
  // Reads DataDirectory (once), LogEnabled, LogDays and LogDebug from the
  // profile and creates the data directory. 0, or 111.
  int LoadSettings();
  // Formats the message (printf rules, cut to the line buffer) and appends
  // one line. An empty tag writes the time alone.
  void Write(const char* tag, const char* format, ...) KESTREL_PRINTF(3, 4);
  // Logs "label (count)" and, in debug mode, the escaped bytes, 100 per line.
  void WriteData(const char* tag, const char* label, const void* bytes, std::size_t count);
  // Deletes log files older than the retention. 0, or 111.
  int RemoveOldLogs();

  const std::string& DataDirectory() const { return directory_; }
  bool Enabled() const { return enabled_; }
  bool Debug() const { return debug_; }
  int Days() const { return days_; }

  // Days the log files are kept without LogDays, and with a LogDays outside
  // 1..365.
  static constexpr int kDefaultDays = 60;
  static constexpr int kDaysWhenOutOfRange = 200;

 private:
  friend class ProcessSingleton<Log>;
  Log() = default;

  std::string directory_;
  bool enabled_ = true;
  bool debug_ = true;
  int days_ = kDefaultDays;
};

}  // namespace kestrel
