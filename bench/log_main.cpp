// The daily log: lines per second for ordinary lines and for logged packets
// (debug mode), and the cost of removing old logs with 400 files in the
// directory (the first line of every day pays it once).
//
// Usage: kestrel-bench-log [LINES]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "bench/BenchProfile.h"
#include "config/Settings.h"
#include "log/Log.h"
#include "tools/Tools.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// 400 daily files, one per day back from today, each with a few lines.
void MakeOldLogs(const std::string& dir, int files) {
  const std::time_t now = std::time(nullptr);
  for (int age = 1; age <= files; ++age) {
    std::time_t then = now - static_cast<std::time_t>(age) * 24 * 3600;
    std::tm parts{};
    localtime_r(&then, &parts);
    char name[64];
    std::strftime(name, sizeof name, "kstr_log_%Y_%m_%d.txt", &parts);
    std::FILE* file = std::fopen((dir + "/" + name).c_str(), "wb");
    if (!file) continue;
    std::fputs("10:00:00 Messaging::SendReceive    Valid reply 0\r\n", file);
    std::fclose(file);
  }
}

std::size_t CountFiles(const std::string& dir) {
  std::size_t n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) n += entry.is_regular_file() ? 1 : 0;
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kestrel;
  const int lines = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 100000;
  bench::BenchProfile profile;
  profile.Set("LogEnabled", "1");
  profile.Set("LogDebug", "1");
  profile.Set("LogDays", "60");
  Settings::Instance().SetDeviceClass("FiscalPrinter");
  Log& log = Log::Instance();
  if (log.LoadSettings() != 0) {
    std::fprintf(stderr, "log settings failed\n");
    return 1;
  }
  log.Write("Bench::Start", "%s", "first line of the day");

  auto start = Clock::now();
  for (int i = 0; i < lines; ++i) log.Write("Messaging::SendReceive", "Valid reply %d", i % 100);
  const double plain = Seconds(start);

  // A typical request frame as the serial layer logs it in debug mode.
  std::string packet =
      "\x02P031001\x1c"
      "Chlieb                                  \x1c"
      "1,00\x1c"
      "1\x1c"
      "1\x03"
      "ABCD";
  const int packets = lines / 10;
  start = Clock::now();
  for (int i = 0; i < packets; ++i) log.WriteData("RS232::SendPacket", "Packet sent", packet.data(), packet.size());
  const double data = Seconds(start);

  std::printf("Daily log (debug on, one file per day, open/append/close per line)\n");
  std::printf("  ordinary lines: %9.0f lines/s (%d lines, %.2f s)\n", lines / plain, lines, plain);
  std::printf("  logged packets: %9.0f packets/s (%zu bytes each, %d packets, %.2f s)\n", packets / data, packet.size(),
              packets, data);

  // Removal with 400 files: the older than 60 days go, the rest stay.
  const std::string dir = profile.DataDir();
  constexpr int kFiles = 400;
  MakeOldLogs(dir, kFiles);
  const std::size_t before = CountFiles(dir);
  start = Clock::now();
  log.RemoveOldLogs();
  const double removal = Seconds(start);
  const std::size_t after = CountFiles(dir);
  start = Clock::now();
  log.RemoveOldLogs();  // nothing left to remove: the scan alone
  const double scan = Seconds(start);
  std::printf(
      "  old-log removal: %.2f ms for %zu files in the directory (%zu removed); a scan with nothing to "
      "remove: %.2f ms\n",
      removal * 1000, before, before - after, scan * 1000);
  return 0;
}
