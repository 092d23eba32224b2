#pragma once
// The three calls with which every application starts using the printer.
#include <cstdint>
#include <string>

namespace kestrel {
class FiscalPrinter;
}

namespace kestrel::testing {

// Opens the service (device "Kestrel"), claims it and enables it. 0, or the
// first failing call's result; the failing step is named in *step.
int32_t OpenClaimEnable(FiscalPrinter& printer, std::string* step = nullptr);

}  // namespace kestrel::testing
