// The fiscal receipt: begin, item lines and their voids, messages, subtotal,
// payment and total, cash lines, void and end of the receipt, and the copy.
#include <string>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "service/FiscalPrinter.h"
#include "service/FiscalPrinterConstants.h"
#include "service/PrinterJournal.h"
#include "service/ReceiptRules.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel {
namespace {

bool IsCashReceipt(int32_t type) { return type == opos::kReceiptTypeCashIn || type == opos::kReceiptTypeCashOut; }

}  // namespace

int32_t FiscalPrinter::BeginFiscalReceipt(bool printHeader, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::BeginFiscalReceipt", result);
  Log::Instance().Write("FiscalPrinter::BeginFiscalReceipt", "%d", printHeader ? 1 : 0);
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  // A new receipt: what became of the one before is no longer reported.
  ownCancelCode_ = 0;
  totalStepsLeft_ = 0;
  CheckRecStatus(0, kStationReceipt);
  // A receipt never opens over another document, whatever the state checking.
  if (!CheckPrinterState(kPrinterStateMonitor)) return Finish(kKeepRecordedResult, result, nullptr, true);

  Messaging& messaging = Messaging::Instance();
  if (IsCashReceipt(fiscalReceiptType_) && singleCashReceipt_) {
    // The cash document is printed whole by PrintRecCash; here only the day
    // must still be open. A printer that cannot say so is not taken as "open".
    bool dayClosureRequired = false;
    const int32_t asked = messaging.AskEODRequired(dayClosureRequired);
    if (asked != kSuccess) return Finish(asked == kTimeout ? kTimeout : kFailure, result, nullptr, true);
    if (dayClosureRequired) return Finish(kDayEndRequired, result, text::kTextDayClosureRequired, true);
    return Finish(kSuccess, result, nullptr, true);
  }
  if (IsCashReceipt(fiscalReceiptType_) || fiscalReceiptType_ == opos::kReceiptTypeSales ||
      fiscalReceiptType_ == opos::kReceiptTypeSimpleInvoice) {
    const int32_t started = MarkDayTransaction(messaging.StartTicket(displayItemDisabled_, ReceiptId()));
    return Finish(SettleOutcome(started), result, nullptr, true);
  }
  // Generic, service and refund receipts open no printer document.
  return Finish(kSuccess, result, nullptr, true);
}

int32_t FiscalPrinter::PrintRecItem(const char* description, int64_t price, int32_t quantity, int32_t vatInfo,
                                    int64_t unitPrice, const char* unitName, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::PrintRecItem", result);
  Log::Instance().Write("FiscalPrinter::PrintRecItem", "%s; %lld; %ld; %ld; %lld; %s", Text(description),
                        static_cast<long long>(price), static_cast<long>(quantity), static_cast<long>(vatInfo),
                        static_cast<long long>(unitPrice), Text(unitName));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (!checkStateDisabled_ && !CheckPrinterState(kPrinterStateFiscalReceipt))
    return Finish(kKeepRecordedResult, result, nullptr, true);
  if (!CheckCurrencyValue(price)) return Finish(kKeepRecordedResult, result, nullptr, true);

  Messaging& messaging = Messaging::Instance();
  int32_t code;
  if (fiscalReceiptType_ == opos::kReceiptTypeSimpleInvoice) {
    // A simple invoice is one amount with its document number.
    JournalTexts texts(messaging);
    code = MarkDayTransaction(messaging.Invoice(price, Text(description), texts));
  } else {
    if (!CheckVatID(vatInfo) || !CheckCurrencyValue(unitPrice))
      return Finish(kKeepRecordedResult, result, nullptr, true);
    code = messaging.Item(0, Text(description), price, quantity, vatInfo, unitPrice, Text(unitName));
  }
  return Finish(ReceiptCommandResult(code), result, nullptr, true);
}

int32_t FiscalPrinter::PrintRecItemVoid(const char* description, int64_t price, int32_t quantity, int32_t vatInfo,
                                        int64_t unitPrice, const char* unitName, int32_t* result) {
  return ItemLineOfKind("FiscalPrinter::PrintRecItemVoid", 1, description, price, quantity, vatInfo, unitPrice,
                        unitName, result);
}

int32_t FiscalPrinter::ItemLineOfKind(const char* tag, int lineKind, const char* description, int64_t amount,
                                      int32_t quantity, int32_t vatInfo, int64_t unitAmount, const char* unitName,
                                      int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered(tag, result);
  Log::Instance().Write(tag, "%s; %lld; %ld; %ld; %lld; %s", Text(description), static_cast<long long>(amount),
                        static_cast<long>(quantity), static_cast<long>(vatInfo), static_cast<long long>(unitAmount),
                        Text(unitName));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (!checkStateDisabled_ && !CheckPrinterState(kPrinterStateFiscalReceipt))
    return Finish(kKeepRecordedResult, result, nullptr, true);
  if (!CheckVatID(vatInfo) || !CheckCurrencyValue(amount) || !CheckCurrencyValue(unitAmount)) {
    return Finish(kKeepRecordedResult, result, nullptr, true);
  }
  const int32_t code =
      Messaging::Instance().Item(lineKind, Text(description), amount, quantity, vatInfo, unitAmount, Text(unitName));
  return Finish(ReceiptCommandResult(code), result, nullptr, true);
}

int32_t FiscalPrinter::PrintRecVoidItem(const char* description, int64_t amount, int32_t quantity,
                                        int32_t adjustmentType, int64_t adjustment, int32_t vatInfo, int32_t* result) {
  // No lock of its own: the void line below takes it, logs and checks.
  Log::Instance().Write("FiscalPrinter::PrintRecVoidItem", "%s; %lld; %ld; %ld; %lld; %ld", Text(description),
                        static_cast<long long>(amount), static_cast<long>(quantity), static_cast<long>(adjustmentType),
                        static_cast<long long>(adjustment), static_cast<long>(vatInfo));
  // With no unit price the printer gets the amount divided by the quantity.
  return PrintRecItemVoid(description, amount, quantity, vatInfo, 0, "", result);
}

int32_t FiscalPrinter::PrintRecMessage(const char* message, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::PrintRecMessage", result);
  Log::Instance().Write("FiscalPrinter::PrintRecMessage", "%s", "");
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  const int32_t code = Messaging::Instance().PrintLines(Text(message), false);
  return Finish(ReceiptCommandResult(code), result, nullptr, true);
}

int32_t FiscalPrinter::PrintRecSubtotal(int64_t amount, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::PrintRecSubtotal", result);
  Log::Instance().Write("FiscalPrinter::PrintRecSubtotal", "%lld", static_cast<long long>(amount));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (!checkStateDisabled_ && !CheckPrinterState(kPrinterStateFiscalReceipt))
    return Finish(kKeepRecordedResult, result, nullptr, true);
  const int32_t code = Messaging::Instance().Subtotal(true);
  return Finish(ReceiptCommandResult(code), result, nullptr, true);
}

int32_t FiscalPrinter::PrintRecTotal(int64_t total, int64_t payment, const char* description, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::PrintRecTotal", result);
  Log::Instance().Write("FiscalPrinter::PrintRecTotal", "%lld; %lld; %s", static_cast<long long>(total),
                        static_cast<long long>(payment), Text(description));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);

  Messaging& messaging = Messaging::Instance();
  // Older printers take a simple invoice as one payment document.
  if (messaging.GetMajorVersion() <= 2 && messaging.GetMinorVersion() <= 21 &&
      fiscalReceiptType_ == opos::kReceiptTypeSimpleInvoice) {
    JournalTexts texts(messaging);
    return Finish(MarkDayTransaction(messaging.Invoice(payment, Text(description), texts)), result, nullptr, true);
  }
  int state = messaging.GetFiscalPrinterState(false);
  if (!checkStateDisabled_) {
    const int32_t asked = AskPrinterState(state);
    if (asked != kSuccess) return Finish(asked, result, nullptr, true);
  }
  // A repeat after the total or the VAT table failed: the receipt is paid,
  // only what is left of it is printed.
  if (state == kPrinterStateFiscalReceiptEnding && totalStepsLeft_ != 0) {
    return Finish(ReceiptCommandResult(PrintTotalSteps()), result, nullptr, true);
  }
  if (!checkStateDisabled_) {
    if (state != kPrinterStateFiscalReceipt && state != kPrinterStateFiscalReceiptTotal) {
      return Finish(kWrongState, result, text::kTextWrongState, false);
    }
    // The printer's word on the phase; the payment's outcome is judged from it.
    messaging.SetFiscalPrinterState(state);
  }
  // The printer totals the receipt itself; Total only stands in for a
  // missing payment.
  if (payment == 0) payment = total;
  std::string paymentType = Text(description);
  if (paymentType.empty()) paymentType = "1";
  if (paymentType.size() != 1) return Finish(kBadItemDescription, result, text::kTextBadValue, false);
  if (!CheckCurrencyValue(payment)) return Finish(kKeepRecordedResult, result, nullptr, true);

  int32_t code = SettleOutcome(messaging.Payment(payment, paymentType.c_str(), displayItemDisabled_, lineDisplayRows_));
  if (code == kFiscalTotalsError) {
    // Accepted, but not yet covered: the application pays again.
    code = kSuccess;
  } else if (code == kSuccess) {
    totalStepsLeft_ = 2;
    code = PrintTotalSteps();
  }
  return Finish(ReceiptCommandResult(code), result, nullptr, true);
}

int32_t FiscalPrinter::PrintTotalSteps() {
  Messaging& messaging = Messaging::Instance();
  if (totalStepsLeft_ >= 2) {
    const int32_t code = SettleOutcome(messaging.PrintTotal());
    if (code != kSuccess) return code;
    totalStepsLeft_ = 1;
  }
  const int32_t code = SettleOutcome(messaging.PrintVatTable());
  if (code == kSuccess) totalStepsLeft_ = 0;
  return code;
}

int32_t FiscalPrinter::PrintRecCash(int64_t amount, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::PrintRecCash", result);
  Log::Instance().Write("FiscalPrinter::PrintRecCash", "%lld", static_cast<long long>(amount));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  // A single cash document needs an idle printer, a cash line an open ticket.
  const int expected = singleCashReceipt_ ? kPrinterStateMonitor : kPrinterStateFiscalReceipt;
  if (!CheckPrinterState(expected) || !CheckCurrencyValue(amount))
    return Finish(kKeepRecordedResult, result, nullptr, true);
  if (amount < 0) return Finish(kBadItemAmount, result, text::kTextBadValue, false);
  // The receipt type carries the direction; the amount is always positive.
  if (fiscalReceiptType_ == opos::kReceiptTypeCashOut) amount = -amount;
  Messaging& messaging = Messaging::Instance();
  JournalTexts texts(messaging);
  const int32_t code = MarkDayTransaction(messaging.Cash(amount, singleCashReceipt_, texts));
  return Finish(SettleOutcome(code), result, nullptr, true);
}

int32_t FiscalPrinter::PrintRecVoid(const char* description, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::PrintRecVoid", result);
  Log::Instance().Write("FiscalPrinter::PrintRecVoid", "%s", Text(description));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);

  ownCancelCode_ = 0;
  totalStepsLeft_ = 0;
  Messaging& messaging = Messaging::Instance();
  JournalTexts texts(messaging);
  // A printer that cannot say whether a receipt is open is sent nothing.
  int state = kPrinterStateMonitor;
  const int32_t asked = AskPrinterState(state);
  if (asked != kSuccess) return Finish(asked, result, nullptr, true);
  int32_t code = kSuccess;
  if (state != kPrinterStateMonitor) {
    code = SettleOutcome(messaging.CloseTicket(true, texts));
    if (code == kTimeout) return Finish(code, result, nullptr, true);
  }
  // A refused cancel or an open non-fiscal document: end it as a non-fiscal
  // one. The cancel's failure still stands, since the receipt may be open.
  if (messaging.GetFiscalPrinterState(false) != kPrinterStateMonitor) {
    const int32_t ended = messaging.EndNonFiscal(currentStation_, texts);
    if (code == kSuccess) code = ended;
  }
  return Finish(code, result, nullptr, true);
}

int32_t FiscalPrinter::EndFiscalReceipt(bool printHeader, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::EndFiscalReceipt", result);
  Log::Instance().Write("FiscalPrinter::EndFiscalReceipt", "%d", printHeader ? 1 : 0);
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);

  // The service cancelled this receipt itself after a failure: ending it
  // is no success, the failure is reported again.
  if (ownCancelCode_ != 0) {
    Log::Instance().Write("FiscalPrinter::EndFiscalReceipt", "Receipt cancelled after failure %d",
                          static_cast<int>(ownCancelCode_));
    return Finish(ownCancelCode_, result, ownCancelText_.c_str(), true);
  }

  Messaging& messaging = Messaging::Instance();
  int32_t code = kSuccess;
  if (IsCashReceipt(fiscalReceiptType_)) {
    // A single cash document is already complete; a cash ticket is paid here.
    if (singleCashReceipt_) return Finish(kSuccess, result, nullptr, true);
    code = SettleOutcome(messaging.Payment(0, "1", displayItemDisabled_, lineDisplayRows_));
    if (code == kSuccess) {
      totalStepsLeft_ = 2;
      code = PrintTotalSteps();
    }
    if (code == kTimeout) return Finish(code, result, nullptr, true);
  } else if (fiscalReceiptType_ != opos::kReceiptTypeSales && fiscalReceiptType_ != opos::kReceiptTypeSimpleInvoice) {
    return Finish(kSuccess, result, nullptr, true);
  }

  // A printer that cannot say whether the receipt is open is sent nothing;
  // its silence is not taken for a closed receipt.
  int state = kPrinterStateMonitor;
  const int32_t asked = AskPrinterState(state);
  if (asked != kSuccess) return Finish(asked, result, nullptr, true);
  if (state == kPrinterStateMonitor) {
    // Already closed at the printer: take that over, or the next receipt
    // would be refused as opened over this one.
    messaging.SetFiscalPrinterState(kPrinterStateMonitor);
    return Finish(code, result, nullptr, true);
  }
  if (!checkStateDisabled_ && state != kPrinterStateFiscalReceiptEnding) {
    return Finish(kWrongState, result, text::kTextWrongState, false);
  }
  JournalTexts texts(messaging);
  code = ReceiptCommandResult(CloseReceipt(messaging, texts));
  if (code == kSuccess) totalStepsLeft_ = 0;
  return Finish(code, result, nullptr, true);
}

int32_t FiscalPrinter::PrintDuplicateReceipt(int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::PrintDuplicateReceipt", result);
  Log::Instance().Write("FiscalPrinter::PrintDuplicateReceipt", "%s", "");
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (!CheckPrinterState(kPrinterStateMonitor)) return Finish(kKeepRecordedResult, result, nullptr, true);
  // Number 0 asks for a copy of the last receipt.
  return Finish(Messaging::Instance().TicketCopy(0), result, nullptr, true);
}

int32_t FiscalPrinter::SettleOutcome(int32_t code) {
  Messaging& messaging = Messaging::Instance();
  if (code == kSuccess || code == kTimeout || !messaging.OutcomeUnknown()) return code;
  // The reply was never read: the printer may have done it or not.
  Log::Instance().Write("FiscalPrinter::SettleOutcome", "Outcome of %d not known", static_cast<int>(code));
  messaging.SetErrorMessage(text::kTextNoReply);
  return kTimeout;
}

void FiscalPrinter::CancelOnFailure(int32_t failure) {
  // With no answer nothing is known, so nothing is sent; with the cover open
  // or the paper out the operator can mend the fault and the application
  // repeat the call, except with the V7 protocol, where any answered failure
  // cancels.
  if (failure == kSuccess || failure == kTimeout) return;
  if (!v7Protocol_ && (failure == kCoverOpen || failure == kReceiptEmpty)) return;
  Messaging& messaging = Messaging::Instance();
  // The cancel's own answer must not stand in for the failure behind it.
  const std::string text = messaging.GetErrorMessage();
  JournalTexts texts(messaging);
  const int32_t cancelled = SettleOutcome(messaging.CloseTicket(true, texts));
  messaging.SetErrorMessage(text.c_str());
  if (cancelled != kSuccess) return;
  ownCancelCode_ = failure;
  ownCancelText_ = text;
  totalStepsLeft_ = 0;
}

int32_t FiscalPrinter::ReceiptCommandResult(int32_t code) {
  code = SettleOutcome(code);
  CancelOnFailure(code);
  return code;
}

int32_t FiscalPrinter::AskPrinterState(int& state) {
  const int asked = Messaging::Instance().AskFiscalPrinterState(state);
  if (asked == kSuccess) return kSuccess;
  return asked == kTimeout ? kTimeout : kFailure;
}

}  // namespace kestrel
