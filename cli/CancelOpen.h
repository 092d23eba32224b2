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
  int32_t resultCode = 0;    // ResultCode after the last call (0: done)
  int32_t extended = 0;      // ResultCodeExtended
  std::string errorText;     // ErrorString, UTF-8
  std::string message;       // one line saying what was found and done
  int32_t printerState = 0;  // the PrinterState found before anything was done (0: not asked)
};
// Ends whatever is open on an enabled device: voids an unpaid fiscal receipt, closes one paid in full,
// ends a non-fiscal or slip document. Nothing open: kNothing, resultCode 0.
CancelOutcome CancelOpenWork(FiscalPrinter& printer);

// Ends a non-fiscal document that an earlier process left open: the printer
// cannot tell that one is, so the caller must know (kestrel cancel
// --non-fiscal). A fiscal receipt open at the printer comes first and is
// ended as CancelOpenWork ends it.
CancelOutcome EndLeftNonFiscal(FiscalPrinter& printer);

// One line saying what is open at the printer and how `kestrel cancel` ends
// it; empty when nothing is. Asks the printer only on an enabled device (a
// disabled one is said to be so), and never changes anything.
std::string DescribeOpenWork(FiscalPrinter& printer);
}  // namespace kestrel::cli
