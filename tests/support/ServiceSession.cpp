#include "tests/support/ServiceSession.h"

#include "service/FiscalPrinter.h"
#include "service/FiscalPrinterConstants.h"

namespace kestrel::testing {

int32_t OpenClaimEnable(FiscalPrinter& printer, std::string* step) {
  const auto failed = [step](const char* name, int32_t r) {
    if (step != nullptr) *step = name;
    return r;
  };
  int32_t r = -1;
  printer.OpenService("FiscalPrinter", "Kestrel", nullptr, &r);
  if (r != 0) return failed("OpenService", r);
  printer.ClaimDevice(0, &r);
  if (r != 0) return failed("ClaimDevice", r);
  r = printer.SetPropertyNumber(opos::pidx::kDeviceEnabled, 1);
  return r != 0 ? failed("DeviceEnabled", r) : 0;
}

}  // namespace kestrel::testing
