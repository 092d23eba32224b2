// What became of a receipt command whose reply never came readable. The
// request may or may not have been carried out; the printer's own state
// tells which: a start leaves a receipt open, a line moves the subtotal by
// its amount, a payment moves the receipt to its total or ending phase, a
// close or a cancel leaves no receipt open. Only that evidence turns such a failure into success (or confirms
// it); without it the command's outcome is unknown, and the caller must
// neither report success nor act as if it had failed (112, nothing cancelled).
#include <cmath>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel {
namespace {

// The printer keeps whole cents. A line of quantity x unit price is rounded
// to a cent, so it lands within half a cent of its exact amount; a subtotal
// that did not move reads back the very same cents.
constexpr double kRounding = 0.0051;
constexpr double kUnchanged = 0.0001;
// Below this a line's amount cannot be told from rounding.
constexpr double kSmallestTellable = 0.011;

}  // namespace

int Messaging::NoOutcome(const char* why) {
  Log::Instance().Write("Messaging::NoOutcome", "%s", why);
  SetErrorMessage(text::kTextNoReply);
  outcomeUnknown_ = true;
  return kTimeout;
}

int Messaging::LearnStartOutcome(int failure) {
  Log& log = Log::Instance();
  log.Write("Messaging::LearnStartOutcome", "%d", failure);
  // A receipt is started only from the idle state, so an open one is this one.
  int state = 0;
  if (AskFiscalPrinterState(state) != kSuccess) return NoOutcome("State not read");
  if (state == kPrinterStateFiscalReceipt) {
    log.Write("Messaging::LearnStartOutcome", "Carried out: receipt open");
    outcomeUnknown_ = false;
    return kSuccess;
  }
  if (state == kPrinterStateMonitor) {
    log.Write("Messaging::LearnStartOutcome", "Not carried out: no receipt open");
    outcomeUnknown_ = false;
    return failure;
  }
  return NoOutcome("A receipt beyond its start");
}

int Messaging::LearnLineOutcome(int failure) {
  Log& log = Log::Instance();
  log.Write("Messaging::LearnLineOutcome", "%d", failure);
  const bool known = subtotalKnown_;
  const double before = knownSubtotal_;
  const double change = lineChange_;
  subtotalKnown_ = false;  // until the printer tells it again
  if (Subtotal(false) != kSuccess || !subtotalKnown_) return NoOutcome("Subtotal not read");
  const double after = knownSubtotal_;
  if (!known || std::fabs(change) < kSmallestTellable) return NoOutcome("Subtotal before the line not known");
  if (std::fabs(after - (before + change)) <= kRounding) {
    log.Write("Messaging::LearnLineOutcome", "Carried out: subtotal %.2f after %.2f", after, before);
    itemAmount_ = after - before;
    outcomeUnknown_ = false;
    return kSuccess;
  }
  if (std::fabs(after - before) <= kUnchanged) {
    log.Write("Messaging::LearnLineOutcome", "Not carried out: subtotal still %.2f", after);
    outcomeUnknown_ = false;
    return failure;
  }
  return NoOutcome("Subtotal moved by another amount");
}

int Messaging::LearnPaymentOutcome(int failure, int stateBefore) {
  Log& log = Log::Instance();
  log.Write("Messaging::LearnPaymentOutcome", "%d; %d", failure, stateBefore);
  int state = 0;
  if (AskFiscalPrinterState(state) != kSuccess) return NoOutcome("State not read");
  switch (state) {
    case kPrinterStateFiscalReceiptEnding:
      // Paid in full; what was left to give back is not known.
      log.Write("Messaging::LearnPaymentOutcome", "Carried out: paid");
      printerState_ = kPrinterStateFiscalReceiptEnding;
      amountLeft_ = 0;
      outcomeUnknown_ = false;
      return kSuccess;
    case kPrinterStateFiscalReceiptTotal:
      // Part paid: this payment did it only if none was made before.
      if (stateBefore != kPrinterStateFiscalReceipt) return NoOutcome("Part paid before and after");
      log.Write("Messaging::LearnPaymentOutcome", "Carried out: part paid");
      printerState_ = kPrinterStateFiscalReceiptTotal;
      outcomeUnknown_ = false;
      return kFiscalTotalsError;
    case kPrinterStateFiscalReceipt:
      log.Write("Messaging::LearnPaymentOutcome", "Not carried out: nothing paid");
      outcomeUnknown_ = false;
      return failure;
    default:
      return NoOutcome("No receipt open");
  }
}

int Messaging::LearnEndOutcome(int failure) {
  Log& log = Log::Instance();
  log.Write("Messaging::LearnEndOutcome", "%d", failure);
  int state = 0;
  if (AskFiscalPrinterState(state) != kSuccess) return NoOutcome("State not read");
  if (state == kPrinterStateMonitor) {
    log.Write("Messaging::LearnEndOutcome", "Carried out: no receipt open");
    outcomeUnknown_ = false;
    return kSuccess;
  }
  if (state >= kPrinterStateFiscalReceipt && state <= kPrinterStateFiscalReceiptEnding) {
    log.Write("Messaging::LearnEndOutcome", "Not carried out: receipt still open [%d]", state);
    outcomeUnknown_ = false;
    return failure;
  }
  return NoOutcome("Neither a receipt nor idle");
}

}  // namespace kestrel
