// Lines that change or take back amounts inside an open receipt: item and
// subtotal adjustments, refunds, and their voids. Each becomes an ordinary
// item, item adjustment or subtotal adjustment with a chosen sign or kind.
#include "log/Log.h"
#include "protocol/Messaging.h"
#include "service/FiscalPrinter.h"
#include "service/ReceiptRules.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel {
namespace {

// Only an amount surcharge adds; every other type, percentages included,
// is a discount of the given amount (never a percentage of anything).
long long SignedAdjustment(int32_t adjustmentType, int64_t amount) {
  return adjustmentType == opos::kAdjustmentAmountSurcharge ? amount : -amount;
}

// The unit name of an adjustment void line: blank, not the default "ks".
constexpr char kNoUnit[] = "   ";

}  // namespace

int32_t FiscalPrinter::PrintRecItemAdjustment(int32_t adjustmentType, const char* description, int64_t amount,
                                              int32_t vatInfo, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::PrintRecItemAdjustment", result);
  Log::Instance().Write("FiscalPrinter::PrintRecItemAdjustment", "%ld; %s; %lld; %ld",
                        static_cast<long>(adjustmentType), Text(description), static_cast<long long>(amount),
                        static_cast<long>(vatInfo));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (!checkStateDisabled_ && !CheckPrinterState(kPrinterStateFiscalReceipt))
    return Finish(kKeepRecordedResult, result, nullptr, true);
  if (!CheckVatID(vatInfo) || !CheckCurrencyValue(amount)) return Finish(kKeepRecordedResult, result, nullptr, true);
  // The type carries the sign; a negative amount would turn it round.
  if (amount < 0) return Finish(kBadItemAmount, result, text::kTextBadValue, false);
  const int32_t code = ReceiptCommandResult(
      Messaging::Instance().ItemAdjustment(0, Text(description), vatInfo, SignedAdjustment(adjustmentType, amount)));
  return Finish(code, result, nullptr, true);
}

int32_t FiscalPrinter::PrintRecItemAdjustmentVoid(int32_t adjustmentType, const char* description, int64_t amount,
                                                  int32_t vatInfo, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::PrintRecItemAdjustmentVoid", result);
  Log::Instance().Write("FiscalPrinter::PrintRecItemAdjustmentVoid", "%ld; %s; %lld; %ld",
                        static_cast<long>(adjustmentType), Text(description), static_cast<long long>(amount),
                        static_cast<long>(vatInfo));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (!checkStateDisabled_ && !CheckPrinterState(kPrinterStateFiscalReceipt))
    return Finish(kKeepRecordedResult, result, nullptr, true);
  if (!CheckVatID(vatInfo) || !CheckCurrencyValue(amount)) return Finish(kKeepRecordedResult, result, nullptr, true);
  if (amount < 0) return Finish(kBadItemAmount, result, text::kTextBadValue, false);
  // Taking back a surcharge is a refund of one piece; taking back a
  // discount is a sale of one piece.
  const int kind = adjustmentType == opos::kAdjustmentAmountSurcharge ? 2 : 0;
  const int32_t code = ReceiptCommandResult(
      Messaging::Instance().Item(kind, Text(description), amount, kOnePiece, vatInfo, amount, kNoUnit));
  return Finish(code, result, nullptr, true);
}

int32_t FiscalPrinter::PrintRecSubtotalAdjustment(int32_t adjustmentType, const char* description, int64_t amount,
                                                  int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::PrintRecSubtotalAdjustment", result);
  // The description is logged only: the printer's subtotal line has no text.
  Log::Instance().Write("FiscalPrinter::PrintRecSubtotalAdjustment", "%ld; %s; %lld", static_cast<long>(adjustmentType),
                        Text(description), static_cast<long long>(amount));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (!checkStateDisabled_ && !CheckPrinterState(kPrinterStateFiscalReceipt))
    return Finish(kKeepRecordedResult, result, nullptr, true);
  if (!CheckCurrencyValue(amount)) return Finish(kKeepRecordedResult, result, nullptr, true);
  if (amount < 0) return Finish(kBadItemAmount, result, text::kTextBadValue, false);
  const int32_t code =
      ReceiptCommandResult(Messaging::Instance().SubtotalAdjustment(SignedAdjustment(adjustmentType, amount)));
  return Finish(code, result, nullptr, true);
}

int32_t FiscalPrinter::PrintRecSubtotalAdjustVoid(int32_t adjustmentType, int64_t amount, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::PrintRecSubtotalAdjustmentVoid", result);
  Log::Instance().Write("FiscalPrinter::PrintRecSubtotalAdjustmentVoid", "%ld; %lld", static_cast<long>(adjustmentType),
                        static_cast<long long>(amount));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (!checkStateDisabled_ && !CheckPrinterState(kPrinterStateFiscalReceipt))
    return Finish(kKeepRecordedResult, result, nullptr, true);
  if (!CheckCurrencyValue(amount)) return Finish(kKeepRecordedResult, result, nullptr, true);
  if (amount < 0) return Finish(kBadItemAmount, result, text::kTextBadValue, false);
  // The void applies the opposite sign of the adjustment it takes back.
  const int32_t code =
      ReceiptCommandResult(Messaging::Instance().SubtotalAdjustment(-SignedAdjustment(adjustmentType, amount)));
  return Finish(code, result, nullptr, true);
}

int32_t FiscalPrinter::PrintRecItemRefund(const char* description, int64_t amount, int32_t quantity, int32_t vatInfo,
                                          int64_t unitAmount, const char* unitName, int32_t* result) {
  return ItemLineOfKind("FiscalPrinter::PrintRecItemRefund", 2, description, amount, quantity, vatInfo, unitAmount,
                        unitName, result);
}

int32_t FiscalPrinter::PrintRecItemRefundVoid(const char* description, int64_t amount, int32_t quantity,
                                              int32_t vatInfo, int64_t unitAmount, const char* unitName,
                                              int32_t* result) {
  // A sale line takes the refund back.
  return ItemLineOfKind("FiscalPrinter::PrintRecItemRefundVoid", 0, description, amount, quantity, vatInfo, unitAmount,
                        unitName, result);
}

int32_t FiscalPrinter::PrintRecRefund(const char* description, int64_t amount, int32_t vatInfo, int32_t* result) {
  // No lock of its own: the item refund takes it, logs again and checks.
  Log::Instance().Write("FiscalPrinter::PrintRecRefund", "%s; %lld; %ld", Text(description),
                        static_cast<long long>(amount), static_cast<long>(vatInfo));
  return PrintRecItemRefund(description, amount, kOnePiece, vatInfo, amount, "", result);
}

int32_t FiscalPrinter::PrintRecRefundVoid(const char* description, int64_t amount, int32_t vatInfo, int32_t* result) {
  Log::Instance().Write("FiscalPrinter::PrintRecRefundVoid", "%s; %lld; %ld", Text(description),
                        static_cast<long long>(amount), static_cast<long>(vatInfo));
  return PrintRecItemRefundVoid(description, amount, kOnePiece, vatInfo, amount, "", result);
}

}  // namespace kestrel
