#include "cli/CancelOpen.h"

#include "service/FiscalPrinterConstants.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::cli {
namespace {

// PrinterState values (FPTR_PS_*).
constexpr int32_t kMonitor = 1;
constexpr int32_t kReceiptOpen = 2;
constexpr int32_t kReceiptPartPaid = 3;
constexpr int32_t kReceiptPaid = 4;
constexpr int32_t kNonFiscal = 9;

void Record(FiscalPrinter& printer, int32_t code, CancelOutcome& outcome) {
  printer.GetPropertyNumber(opos::pidx::kResultCode, &outcome.resultCode);
  printer.GetPropertyNumber(opos::pidx::kResultCodeExtended, &outcome.extended);
  std::string text;
  printer.GetPropertyString(opos::pidx::kErrorString, &text);
  outcome.errorText = Tools::Cp1250ToUtf8(text);
  if (code == kSuccess) {
    outcome.resultCode = 0;
    outcome.extended = 0;
  }
}

}  // namespace

CancelOutcome CancelOpenWork(FiscalPrinter& printer) {
  CancelOutcome outcome;
  int32_t state = 0;
  // Asks the printer itself whenever the service believes nothing is open.
  printer.GetPropertyNumber(opos::pidx::kPrinterState, &state);
  int32_t result = 0;
  int32_t code = kSuccess;
  switch (state) {
    case kMonitor:
      outcome.message = "nothing was open at the printer";
      return outcome;
    case kReceiptOpen:
    case kReceiptPartPaid:
      code = printer.PrintRecVoid("", &result);
      outcome.what = OpenWork::kReceiptVoided;
      outcome.message = "an unpaid fiscal receipt was open";
      break;
    case kReceiptPaid:
      code = printer.EndFiscalReceipt(false, &result);
      outcome.what = OpenWork::kReceiptClosed;
      outcome.message = "a fiscal receipt paid in full was open";
      break;
    case kNonFiscal:
      code = printer.EndNonFiscal(&result);
      outcome.what = OpenWork::kNonFiscalEnded;
      outcome.message = "a non-fiscal document was open";
      break;
    default:
      outcome.what = OpenWork::kFailed;
      outcome.resultCode = kFailure;
      outcome.message = "the printer reports a state that cannot be ended (" + std::to_string(state) + ")";
      return outcome;
  }
  Record(printer, code, outcome);
  if (code != kSuccess) {
    outcome.message += "; ending it failed";
    outcome.what = OpenWork::kFailed;
    return outcome;
  }
  switch (outcome.what) {
    case OpenWork::kReceiptVoided:
      outcome.message += "; it was voided";
      break;
    case OpenWork::kReceiptClosed:
      outcome.message += "; it was closed";
      break;
    default:
      outcome.message += "; it was ended";
      break;
  }
  return outcome;
}

}  // namespace kestrel::cli
