// The precondition tests that the printing methods run before they talk to
// the printer. Each records its own outcome (success clears the last error)
// and answers whether the method may go on; the method then ends with
// Finish(kKeepRecordedResult, ...) so that the recorded code is the one reported.
#include "log/Log.h"
#include "protocol/Messaging.h"
#include "service/FiscalPrinter.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel {
namespace {

// The largest amount the printer takes: 99 999 999.0000 in currency units.
constexpr int64_t kMaxCurrency = 999999990000LL;

}  // namespace

bool FiscalPrinter::CheckDevice() {
  Log& log = Log::Instance();
  log.Write("FiscalPrinter::CheckDevice", "%s", "");
  if (!opened_) {
    log.Write("FiscalPrinter::CheckDevice", "Error: device not opened");
    SetError(kClosed, nullptr, text::kTextClosed, false);
    return false;
  }
  if (!claimed_) {
    log.Write("FiscalPrinter::CheckDevice", "Error: device not claimed");
    SetError(kNotClaimed, nullptr, text::kTextNotClaimed, false);
    return false;
  }
  if (!deviceEnabled_) {
    log.Write("FiscalPrinter::CheckDevice", "Error: device not enabled");
    SetError(kDisabled, nullptr, text::kTextDisabled, false);
    return false;
  }
  SetError(kSuccess, nullptr, nullptr, true);
  return true;
}

bool FiscalPrinter::CheckPrinterState(int32_t expected) {
  Log& log = Log::Instance();
  Messaging& messaging = Messaging::Instance();
  log.Write("FiscalPrinter::CheckPrinterState", "%d", expected);
  // The cached state is trusted unless it says "monitor": a document may
  // have been opened on the printer behind our back, so then ask it.
  int actual = messaging.GetFiscalPrinterState(false);
  if (actual == kPrinterStateMonitor) {
    // Silence is no state: the method reports it instead of guessing.
    const int asked = messaging.AskFiscalPrinterState(actual);
    if (asked != kSuccess) {
      log.Write("FiscalPrinter::CheckPrinterState", "PrinterState not read [%d]", asked);
      SetError(asked == kTimeout ? kTimeout : kFailure, nullptr, nullptr, false);
      return false;
    }
  }
  if (actual != expected) {
    log.Write("FiscalPrinter::CheckPrinterState", "Not in PrinterState %d [%d]", expected, actual);
    SetError(kWrongState, nullptr, text::kTextWrongState, false);
    return false;
  }
  SetError(kSuccess, nullptr, nullptr, true);
  return true;
}

bool FiscalPrinter::CheckCurrencyValue(int64_t amount) {
  Log& log = Log::Instance();
  const long long value = amount;
  log.Write("FiscalPrinter::CheckCurrencyValue", "%lld", value);
  if (amount < -kMaxCurrency || amount > kMaxCurrency) {
    log.Write("FiscalPrinter::CheckCurrencyValue", "Error: wrong value %lld.", value);
    SetError(kBadItemAmount, nullptr, text::kTextBadValue, false);
    return false;
  }
  SetError(kSuccess, nullptr, nullptr, true);
  return true;
}

bool FiscalPrinter::CheckHeaderLineID(int32_t line) {
  Log& log = Log::Instance();
  log.Write("FiscalPrinter::CheckHeaderLineID", "%d", line);
  if (line < 1 || line > kNumHeaderLines) {
    log.Write("FiscalPrinter::CheckHeaderLineID", "Error: wrong line %d.", line);
    SetError(kIllegal, nullptr, text::kTextBadLine, false);
    return false;
  }
  SetError(kSuccess, nullptr, nullptr, true);
  return true;
}

bool FiscalPrinter::CheckVatID(int32_t vatId) {
  Log& log = Log::Instance();
  log.Write("FiscalPrinter::CheckVatID", "%d", vatId);
  if (vatId < 1 || vatId > kNumVatRates) {
    log.Write("FiscalPrinter::CheckVatID", "Error: wrong VAT %d.", vatId);
    SetError(kIllegal, nullptr, text::kTextBadVat, false);
    return false;
  }
  SetError(kSuccess, nullptr, nullptr, true);
  return true;
}

}  // namespace kestrel
