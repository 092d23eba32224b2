#include "bench/TenItemReceipt.h"

#include <cstdint>
#include <cstdio>

#include "service/FiscalPrinterConstants.h"

namespace kestrel::bench {

Checkout::Checkout() = default;

Checkout::~Checkout() {
  if (!open_) return;
  int32_t r = 0;
  printer_.ReleaseDevice(&r);
  printer_.CloseService(&r);
}

int Checkout::Open() {
  int32_t r = -1;
  printer_.OpenService("FiscalPrinter", "Kestrel", nullptr, &r);
  if (r != 0) return r;
  open_ = true;
  printer_.ClaimDevice(0, &r);
  if (r != 0) return r;
  return printer_.SetPropertyNumber(opos::pidx::kDeviceEnabled, 1);
}

int Checkout::SellTenItems(std::string* step) {
  auto failed = [step](const char* what, int32_t r) {
    if (step) *step = what;
    return static_cast<int>(r);
  };
  int32_t r = -1;
  printer_.BeginFiscalReceipt(true, &r);
  if (r != 0) return failed("BeginFiscalReceipt", r);
  static const char* const kItems[] = {"Chlieb", "Mlieko", "Maslo", "Syr",  "Jablka",
                                       "Cukor",  "Kava",   "Caj",   "Ryza", "Voda"};
  std::int64_t total = 0;
  for (int i = 0; i < 10; ++i) {
    const std::int64_t price = 10000 + 2500 * i;  // 1.00, 1.25, ... EUR
    printer_.PrintRecItem(kItems[i], price, 10000, 1, 0, "", &r);
    if (r != 0) return failed("PrintRecItem", r);
    total += price;
  }
  printer_.PrintRecTotal(total, total, "1", &r);
  if (r != 0) return failed("PrintRecTotal", r);
  printer_.EndFiscalReceipt(false, &r);
  if (r != 0) return failed("EndFiscalReceipt", r);
  return 0;
}

}  // namespace kestrel::bench
