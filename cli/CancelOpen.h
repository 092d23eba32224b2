// cli/CancelOpen.h
#pragma once
#include <cstdint>
#include <string>
#include "service/FiscalPrinter.h"
namespace kestrel::cli {
// What kestrel cancel found open at the printer and what it did about it.
enum class OpenWork { kNothing, kReceiptVoided, kReceiptClosed, kNonFiscalEnded, kFailed };
struct CancelOutcome {
  OpenWork what = OpenWork::kNothing;
  int32_t resultCode = 0;   // ResultCode after the last call (0: done)
  int32_t extended = 0;     // ResultCodeExtended
  std::string errorText;    // ErrorString, UTF-8
  std::string message;      // one line saying what was found and done
};
// Ends whatever is open on an enabled device: voids an unpaid fiscal receipt, closes one paid in full,
// ends a non-fiscal or slip document. Nothing open: kNothing, resultCode 0.
CancelOutcome CancelOpenWork(FiscalPrinter& printer);
}  // namespace kestrel::cli
