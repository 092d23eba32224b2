// End-to-end time of a ten-item receipt against the virtual printer at
// 115200 baud (or --baud N) with no think time, compared with the floor that the line and
// the host's 20 ms input polling impose on the same exchanges:
//   floor = sum over exchanges of ceil(wire(request + reply) / 20 ms) * 20 ms
// where wire() counts ten bits per byte. The ratio cannot be below 1; the
// ratio to the pure wire time is printed for information.
//
// Usage: kestrel-bench-receipt [RECEIPTS] [--baud N] [--log off|on|debug]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchPrinter.h"
#include "bench/BenchProfile.h"
#include "bench/TenItemReceipt.h"
#include "emulator/PtyServer.h"

namespace {

constexpr double kPollMs = 20.0;

int g_baud = 115200;

double WireMs(std::size_t bytes) { return static_cast<double>(bytes) * 10.0 * 1000.0 / g_baud; }

struct Run {
  double measuredMs = 0;
  double floorMs = 0;
  double wireMs = 0;
  std::size_t exchanges = 0;
  std::size_t bytes = 0;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kestrel;
  int receipts = 7;
  std::string log = "debug";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--log") == 0 && i + 1 < argc) {
      log = argv[++i];
    } else if (std::strcmp(argv[i], "--baud") == 0 && i + 1 < argc) {
      g_baud = std::atoi(argv[++i]);
    } else {
      receipts = std::max(1, std::atoi(argv[i]));
    }
  }

  bench::BenchProfile profile;
  profile.Set("LogEnabled", log == "off" ? "0" : "1");
  profile.Set("LogDebug", log == "debug" ? "1" : "0");
  profile.Set("Baudrate", std::to_string(g_baud));
  emulator::ServerOptions options;
  options.baud = g_baud;
  options.thinkMs = 0;
  const std::unique_ptr<emulator::PtyServer> server = bench::ServePrinter(profile, options);
  if (!server) return 1;
  emulator::PtyServer& printer = *server;

  bench::Checkout checkout;
  if (int r = checkout.Open(); r != 0) {
    std::fprintf(stderr, "open: %d\n", r);
    return 1;
  }
  // The first receipt of a session pulls the journal from its start; the
  // measured ones are ordinary receipts.
  std::string step;
  if (int r = checkout.SellTenItems(&step); r != 0) {
    std::fprintf(stderr, "warm-up receipt: %s gave %d\n", step.c_str(), r);
    return 1;
  }

  std::vector<Run> runs;
  for (int n = 0; n < receipts; ++n) {
    const std::size_t before = printer.Traffic().size();
    const auto start = std::chrono::steady_clock::now();
    if (int r = checkout.SellTenItems(&step); r != 0) {
      std::fprintf(stderr, "receipt %d: %s gave %d\n", n + 1, step.c_str(), r);
      return 1;
    }
    const auto end = std::chrono::steady_clock::now();
    Run run;
    run.measuredMs = std::chrono::duration<double, std::milli>(end - start).count();
    const auto traffic = printer.Traffic();
    for (std::size_t i = before; i < traffic.size(); ++i) {
      const std::size_t bytes = traffic[i].request + traffic[i].reply;
      const double wire = WireMs(bytes);
      run.wireMs += wire;
      run.floorMs += std::ceil(wire / kPollMs) * kPollMs;
      run.bytes += bytes;
      ++run.exchanges;
    }
    runs.push_back(run);
  }
  printer.Stop();

  std::printf("Ten-item receipt at %d baud, think time 0, log %s, %d receipts\n", g_baud, log.c_str(), receipts);
  std::printf("%-8s %10s %10s %10s %9s %8s %10s %10s\n", "receipt", "exchanges", "bytes", "measured", "floor", "wire",
              "/floor", "/wire");
  std::vector<double> toFloor, toWire;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const Run& r = runs[i];
    toFloor.push_back(r.measuredMs / r.floorMs);
    toWire.push_back(r.measuredMs / r.wireMs);
    std::printf("%-8zu %10zu %10zu %8.1fms %7.0fms %6.1fms %10.3f %10.2f\n", i + 1, r.exchanges, r.bytes, r.measuredMs,
                r.floorMs, r.wireMs, toFloor.back(), toWire.back());
  }
  std::printf("median ratio to the floor: %.3f (target 1.10 or less)\n", Median(toFloor));
  std::printf("median ratio to the wire time: %.2f\n", Median(toWire));
  return 0;
}
