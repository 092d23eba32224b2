// The service's own work for ten-item receipts, meant to run under
// callgrind against a virtual printer in another process, so that only the
// driver's instructions are counted:
//
//   valgrind --tool=callgrind --collect-atstart=no
//     --toggle-collect='kestrel::bench::MeasuredReceipts*'
//     kestrel-bench-receipt-cpu --port PTY [--receipts N] [--log off|on|debug]
//
// scripts/bench does this for each log setting.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/BenchProfile.h"
#include "bench/TenItemReceipt.h"

namespace kestrel::bench {

// Kept out of line so that callgrind can collect exactly this call.
__attribute__((noinline)) int MeasuredReceipts(Checkout& checkout, int receipts) {
  std::string step;
  for (int n = 0; n < receipts; ++n) {
    if (int r = checkout.SellTenItems(&step); r != 0) {
      std::fprintf(stderr, "receipt %d: %s gave %d\n", n + 1, step.c_str(), r);
      return r;
    }
  }
  return 0;
}

}  // namespace kestrel::bench

int main(int argc, char** argv) {
  using namespace kestrel::bench;
  std::string port;
  std::string log = "off";
  int receipts = 5;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--port") == 0) port = argv[i + 1];
    if (std::strcmp(argv[i], "--log") == 0) log = argv[i + 1];
    if (std::strcmp(argv[i], "--receipts") == 0) receipts = std::atoi(argv[i + 1]);
  }
  if (port.empty() || receipts < 1) {
    std::fprintf(stderr, "usage: %s --port PTY [--receipts N] [--log off|on|debug]\n", argv[0]);
    return 2;
  }
  BenchProfile profile;
  profile.Set("Port", port);
  profile.Set("LogEnabled", log == "off" ? "0" : "1");
  profile.Set("LogDebug", log == "debug" ? "1" : "0");

  Checkout checkout;
  if (int r = checkout.Open(); r != 0) {
    std::fprintf(stderr, "open: %d\n", r);
    return 1;
  }
  std::string step;
  if (int r = checkout.SellTenItems(&step); r != 0) {  // warm-up, not collected
    std::fprintf(stderr, "warm-up receipt: %s gave %d\n", step.c_str(), r);
    return 1;
  }
  if (MeasuredReceipts(checkout, receipts) != 0) return 1;
  std::printf("%d receipts sold, log %s\n", receipts, log.c_str());
  return 0;
}
