// Time to download a full day's journal, compared with the floor that the
// line and the host's 20 ms input polling impose on the same exchanges, as
// for the ten-item receipt:
//   floor = sum over exchanges of ceil(wire(request + reply) / 20 ms) * 20 ms
// where wire() counts ten bits per byte at the simulated rate.
//
// The day is made first without the line: RECEIPTS ten-item receipts go
// from the service straight to the virtual printer (no waits), which keeps
// their journal. Then the host's journal files are dropped, as on a new
// machine, and the service downloads the journal over the pseudo-terminal:
// the printer refuses the empty files' check code, the whole journal comes
// again from its first block, the check passes and the files are saved.
//
// Usage: kestrel-bench-journal [RECEIPTS] [--baud N] [--rounds N] [--log off|on|debug]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchPrinter.h"
#include "bench/BenchProfile.h"
#include "bench/TenItemReceipt.h"
#include "emulator/PtyServer.h"
#include "serial/RS232.h"
#include "serial/SerialDevice.h"
#include "service/FiscalPrinter.h"
#include "tools/Clock.h"

namespace {

using namespace kestrel;

constexpr double kPollMs = 20.0;

// While `direct` is set, requests go straight to the printer's device and
// the replies wait in a queue of our own; otherwise everything goes to the
// platform's serial device on the printer's pseudo-terminal.
class ForwardingDevice final : public SerialDevice {
 public:
  ForwardingDevice(emulator::PtyServer& printer, const bool& direct)
      : printer_(printer), direct_(direct), real_(CreatePlatformSerialDevice()) {}
  bool Open(const char* name) override { return real_->Open(name); }
  bool IsOpen() const override { return real_->IsOpen(); }
  unsigned long HandleValue() const override { return real_->HandleValue(); }
  void Close() override { real_->Close(); }
  bool SetQueueSizes(unsigned long in, unsigned long out) override { return real_->SetQueueSizes(in, out); }
  bool SetLineSettings(const LineSettings& s) override { return real_->SetLineSettings(s); }
  bool SetTimeouts(const LineTimeouts& t) override { return real_->SetTimeouts(t); }
  bool SetEventMask(unsigned long mask) override { return real_->SetEventMask(mask); }
  bool PurgeInput() override {
    queue_.clear();
    return real_->PurgeInput();
  }
  bool PurgeOutput() override { return real_->PurgeOutput(); }
  std::size_t Write(const void* bytes, std::size_t count) override {
    if (!direct_) return real_->Write(bytes, count);
    const std::string frame(static_cast<const char*>(bytes), count);
    printer_.WithDevice([&](emulator::Device& device) {
      for (const std::string& piece : device.Exchange(frame).pieces) queue_ += piece;
      device.Core().TakeNewPaper();
      return 0;
    });
    return count;
  }
  std::size_t Read(void* bytes, std::size_t count) override {
    if (!direct_) return real_->Read(bytes, count);
    const std::size_t n = std::min(count, queue_.size());
    std::memcpy(bytes, queue_.data(), n);
    queue_.erase(0, n);
    return n;
  }
  std::size_t QueuedInput() override { return direct_ ? queue_.size() : real_->QueuedInput(); }

 private:
  emulator::PtyServer& printer_;
  const bool& direct_;
  std::unique_ptr<SerialDevice> real_;
  std::string queue_;
};

struct Tally {
  std::size_t exchanges = 0;
  std::size_t bytes = 0;
  double wireMs = 0;
  double floorMs = 0;
};

}  // namespace

int main(int argc, char** argv) {
  int receipts = 500;
  int baud = 115200;
  int rounds = 1;
  std::string log = "debug";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--baud") == 0 && i + 1 < argc) {
      baud = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--log") == 0 && i + 1 < argc) {
      log = argv[++i];
    } else {
      receipts = std::max(1, std::atoi(argv[i]));
    }
  }
  const auto wireMs = [baud](std::size_t bytes) { return static_cast<double>(bytes) * 10.0 * 1000.0 / baud; };

  bench::BenchProfile profile;
  profile.Set("LogEnabled", log == "off" ? "0" : "1");
  profile.Set("LogDebug", log == "debug" ? "1" : "0");
  profile.Set("Baudrate", std::to_string(baud));
  emulator::ServerOptions options;
  options.baud = baud;
  const std::unique_ptr<emulator::PtyServer> server = bench::ServePrinter(profile, options);
  if (!server) return 1;
  emulator::PtyServer& printer = *server;

  bool direct = true;
  RS232::SetDeviceFactoryForTests([&] { return std::make_unique<ForwardingDevice>(printer, direct); });
  clock::SetSleepHook([](int) {});  // the day is made without waiting
  bench::Checkout checkout;
  if (int r = checkout.Open(); r != 0) {
    std::fprintf(stderr, "open: %d\n", r);
    return 1;
  }
  std::string step;
  for (int n = 0; n < receipts; ++n) {
    if (int r = checkout.SellTenItems(&step); r != 0) {
      std::fprintf(stderr, "receipt %d: %s gave %d\n", n + 1, step.c_str(), r);
      return 1;
    }
  }
  clock::SetSleepHook(nullptr);
  direct = false;

  std::size_t blocks = 0;
  std::size_t journalBytes = 0;
  printer.WithDevice([&](emulator::Device& device) {
    for (const auto& block : device.Core().Journal().Blocks()) {
      ++blocks;
      journalBytes += block.data.size();
    }
    return 0;
  });

  std::printf("Journal download of a day of %d ten-item receipts at %d baud, log %s\n", receipts, baud, log.c_str());
  std::printf("journal: %zu blocks, %zu bytes of data\n", blocks, journalBytes);
  std::printf("%-6s %9s %9s %11s %11s %11s %8s %8s\n", "round", "exchanges", "bytes", "measured", "floor", "wire",
              "/floor", "/wire");
  std::vector<double> toFloor;
  for (int round = 1; round <= rounds; ++round) {
    // A new machine: no journal files on the host; the printer refuses the
    // empty check code and hands out everything again.
    for (const auto& entry : std::filesystem::directory_iterator(profile.DataDir())) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("kstr_jrn_tmp", 0) == 0 || name.rfind("kstr_jrn_cc", 0) == 0) std::filesystem::remove(entry);
    }
    printer.Inject("badjournal 1");
    const std::string target = profile.Dir() + "/day" + std::to_string(round);
    const std::size_t before = printer.Traffic().size();
    const auto start = std::chrono::steady_clock::now();
    int32_t result = -1;
    checkout.Printer().QueryContent(target.c_str(), "", "", &result);
    const auto end = std::chrono::steady_clock::now();
    if (result != 0 || !std::filesystem::exists(target + ".txt")) {
      std::fprintf(stderr, "download: %d\n", result);
      return 1;
    }
    Tally tally;
    const auto traffic = printer.Traffic();
    for (std::size_t i = before; i < traffic.size(); ++i) {
      const std::size_t bytes = traffic[i].request + traffic[i].reply;
      const double wire = wireMs(bytes);
      const double floor = std::ceil(wire / kPollMs) * kPollMs;
      tally.wireMs += wire;
      tally.floorMs += floor;
      tally.bytes += bytes;
      ++tally.exchanges;
    }
    const double measured = std::chrono::duration<double, std::milli>(end - start).count();
    toFloor.push_back(measured / tally.floorMs);
    std::printf("%-6d %9zu %9zu %9.0fms %9.0fms %9.0fms %8.3f %8.2f\n", round, tally.exchanges, tally.bytes, measured,
                tally.floorMs, tally.wireMs, measured / tally.floorMs, measured / tally.wireMs);
    std::printf("  per exchange: %.1f ms measured, %.1f ms floor, %.1f ms on the wire (%zu bytes)\n",
                measured / static_cast<double>(tally.exchanges), tally.floorMs / static_cast<double>(tally.exchanges),
                tally.wireMs / static_cast<double>(tally.exchanges), tally.bytes / tally.exchanges);
  }
  std::sort(toFloor.begin(), toFloor.end());
  std::printf("median ratio to the floor: %.3f\n", toFloor[toFloor.size() / 2]);
  printer.Stop();
  RS232::SetDeviceFactoryForTests(nullptr);
  return 0;
}
