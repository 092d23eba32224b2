#include "cli/CancelOpen.h"

#include "protocol/Messaging.h"
#include "service/FiscalPrinterConstants.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::cli {
namespace {

int32_t Number(FiscalPrinter& printer, int32_t index) {
  int32_t value = 0;
  printer.GetPropertyNumber(index, &value);
  return value;
}

// The PrinterState: the service's own while a document it started is open,
// otherwise the printer's answer (a receipt left open by another process).
int32_t PrinterStateNow(FiscalPrinter& printer) { return Number(printer, opos::pidx::kPrinterState); }

bool Enabled(FiscalPrinter& printer) { return Number(printer, opos::pidx::kDeviceEnabled) != 0; }

// Fills the result of the call just made; true when it succeeded.
bool Record(FiscalPrinter& printer, int32_t code, CancelOutcome& outcome) {
  outcome.resultCode = Number(printer, opos::pidx::kResultCode);
  outcome.extended = outcome.resultCode == kExtended ? Number(printer, opos::pidx::kResultCodeExtended) : 0;
  std::string text;
  if (outcome.resultCode != kSuccess) printer.GetPropertyString(opos::pidx::kErrorString, &text);
  outcome.errorText = Tools::Cp1250ToUtf8(text);
  return code == kSuccess && outcome.resultCode == kSuccess;
}

std::string Result(const CancelOutcome& outcome) {
  std::string text = std::to_string(outcome.resultCode);
  if (outcome.resultCode == kExtended) text += " (" + std::to_string(outcome.extended) + ")";
  if (!outcome.errorText.empty()) text += " " + outcome.errorText;
  return text;
}

CancelOutcome EndState(FiscalPrinter& printer, int32_t state) {
  CancelOutcome outcome;
  outcome.printerState = state;
  int32_t result = 0;
  switch (state) {
    case kPrinterStateMonitor:
      outcome.message = "Nothing is open at the printer.";
      return outcome;
    case kPrinterStateFiscalReceipt:
    case kPrinterStateFiscalReceiptTotal:
      if (Record(printer, printer.PrintRecVoid("", &result), outcome)) {
        outcome.what = OpenWork::kReceiptVoided;
        outcome.message = state == kPrinterStateFiscalReceipt
                              ? "The open fiscal receipt was not paid: it is voided."
                              : "The open fiscal receipt was not paid in full: it is voided.";
        return outcome;
      }
      outcome.what = OpenWork::kFailed;
      outcome.message = "The open fiscal receipt could not be voided: " + Result(outcome);
      return outcome;
    case kPrinterStateFiscalReceiptEnding:
      // Paid in full: the money was taken, so the receipt is completed, not voided.
      if (Record(printer, printer.EndFiscalReceipt(false, &result), outcome)) {
        outcome.what = OpenWork::kReceiptClosed;
        outcome.message =
            "The open fiscal receipt was paid in full, so the money was taken: it is closed and printed, not voided.";
        return outcome;
      }
      outcome.what = OpenWork::kFailed;
      outcome.message = "The open fiscal receipt, paid in full, could not be closed: " + Result(outcome);
      return outcome;
    case kPrinterStateNonFiscal:
      if (Record(printer, printer.EndNonFiscal(&result), outcome)) {
        outcome.what = OpenWork::kNonFiscalEnded;
        outcome.message = "The open non-fiscal document is ended.";
        return outcome;
      }
      outcome.what = OpenWork::kFailed;
      outcome.message = "The open non-fiscal document could not be ended: " + Result(outcome);
      return outcome;
    default:
      outcome.what = OpenWork::kFailed;
      outcome.message = "The printer is in state " + std::to_string(state) + ", which kestrel cancel does not know.";
      return outcome;
  }
}

CancelOutcome NotEnabled() {
  CancelOutcome outcome;
  outcome.what = OpenWork::kFailed;
  outcome.resultCode = kDisabled;
  outcome.message = "The device is not enabled: the printer cannot be asked what is open.";
  return outcome;
}

}  // namespace

CancelOutcome CancelOpenWork(FiscalPrinter& printer) {
  if (!Enabled(printer)) return NotEnabled();
  return EndState(printer, PrinterStateNow(printer));
}

CancelOutcome EndLeftNonFiscal(FiscalPrinter& printer) {
  if (!Enabled(printer)) return NotEnabled();
  const int32_t state = PrinterStateNow(printer);
  if (state != kPrinterStateMonitor) return EndState(printer, state);
  // The printer keeps no record of a non-fiscal document; the service is
  // told that one is open so that it ends it the usual way.
  Messaging::Instance().SetFiscalPrinterState(kPrinterStateNonFiscal);
  return EndState(printer, kPrinterStateNonFiscal);
}

std::string DescribeOpenWork(FiscalPrinter& printer) {
  if (!Enabled(printer)) {
    return "the device is not enabled, so the printer was not asked; `kestrel status` shows what is open";
  }
  switch (PrinterStateNow(printer)) {
    case kPrinterStateFiscalReceipt:
      return "a fiscal receipt is open at the printer, not paid: `kestrel cancel` voids it";
    case kPrinterStateFiscalReceiptTotal:
      return "a fiscal receipt is open at the printer, paid in part: `kestrel cancel` voids it";
    case kPrinterStateFiscalReceiptEnding:
      return "a fiscal receipt is open at the printer, paid in full but not closed: `kestrel cancel` closes it";
    case kPrinterStateNonFiscal:
      return "a non-fiscal document is open at the printer: `kestrel cancel --non-fiscal` ends it";
    default:
      return "";
  }
}

}  // namespace kestrel::cli
