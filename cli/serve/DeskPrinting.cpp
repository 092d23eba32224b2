// The printing requests, step by step, with a crash point after each step
// that reaches the printer (see CrashPoint.h).
#include "cli/Amounts.h"
#include "cli/serve/CrashPoint.h"
#include "cli/serve/Desk.h"
#include "service/FiscalPrinterConstants.h"
#include "tools/Results.h"

namespace kestrel::serve {
namespace {

constexpr int32_t kAmountDiscount = 1;  // FPTR_AT_AMOUNT_DISCOUNT
constexpr int32_t kPrinterStatePaid = 4;
constexpr int32_t kDirectIOReceiptId = 152;

// "-4.00" as units; false when it is not such a number.
bool SignedUnits(const std::string& text, int64_t& units) {
  const bool negative = !text.empty() && text[0] == '-';
  if (!cli::ParseDecimal(negative ? text.substr(1) : text, cli::kMaxAmountUnits, units)) return false;
  if (negative) units = -units;
  return true;
}

// The printer labels an adjustment line itself; the text adds the percentage
// when there is one ("10 %", "12.5 %").
std::string DiscountLabel(const Discount& discount) {
  if (!discount.percent) return "";
  std::string number = cli::FormatUnits(discount.value);
  if (number.size() > 3 && number.compare(number.size() - 3, 3, ".00") == 0) number.resize(number.size() - 3);
  return number + " %";
}

}  // namespace

Answer Desk::NotRecorded(IdRecord& record) {
  return Settled(record, IdState::kFailed, 500,
                 Json{{"ok", false},
                      {"id", record.id},
                      {"outcome", "failed"},
                      {"error", Json{{"text", "the id could not be recorded on disk; nothing was printed"}}}});
}

Answer Desk::RunReceipt(const ReceiptRequest& receipt, IdRecord& record) {
  FiscalPrinter& printer = session_.Printer();
  int32_t result = 0;
  record.printerId = PrinterIdFor(receipt.id);
  record.facts = Json{{"paid", receipt.paid}};
  if (!store_.Put(record)) {
    return NotRecorded(record);
  }
  CrashPoint("recorded");

  int32_t data = 0;
  std::string printerId = record.printerId;
  printer.DirectIO(kDirectIOReceiptId, &data, &printerId, &result);
  int32_t code = printer.SetPropertyNumber(opos::pidx::kFiscalReceiptType, opos::kReceiptTypeSales);
  if (code == kSuccess) code = printer.BeginFiscalReceipt(true, &result);
  if (code != kSuccess) return Failed(record, "open", session_.Outcome(code), false);
  CrashPoint("opened");

  for (std::size_t i = 0; i < receipt.items.size(); ++i) {
    const ReceiptItem& item = receipt.items[i];
    const std::string step = "items[" + std::to_string(i) + "]";
    code = printer.PrintRecItem(item.text.c_str(), item.price, static_cast<int32_t>(item.quantity), item.vat,
                                item.unitPrice, item.unit.c_str(), &result);
    if (code != kSuccess) return Failed(record, step, session_.Outcome(code), true);
    if (item.discount) {
      code = printer.PrintRecItemAdjustment(kAmountDiscount, DiscountLabel(*item.discount).c_str(), item.discountAmount,
                                            item.vat, &result);
      if (code != kSuccess) return Failed(record, step + ".discount", session_.Outcome(code), true);
    }
    CrashPoint(("item-" + std::to_string(i + 1)).c_str());
  }
  if (receipt.discount) {
    code = printer.PrintRecSubtotalAdjustment(kAmountDiscount, DiscountLabel(*receipt.discount).c_str(),
                                              receipt.discountAmount, &result);
    if (code != kSuccess) return Failed(record, "discount", session_.Outcome(code), true);
    CrashPoint("discount");
  }
  if (!receipt.message.empty()) {
    code = printer.PrintRecMessage(receipt.message.c_str(), &result);
    if (code != kSuccess) return Failed(record, "message", session_.Outcome(code), true);
    CrashPoint("message");
  }
  for (std::size_t i = 0; i < receipt.payments.size(); ++i) {
    const Payment& payment = receipt.payments[i];
    code = printer.PrintRecTotal(receipt.total, payment.amount, payment.code.c_str(), &result);
    if (code != kSuccess) {
      return Failed(record, "payments[" + std::to_string(i) + "]", session_.Outcome(code), true);
    }
    CrashPoint(("payment-" + std::to_string(i + 1)).c_str());
  }
  // The printer adds up the receipt itself: it decides whether it is paid.
  if (session_.Number(opos::pidx::kPrinterState) != kPrinterStatePaid) {
    CallOutcome shortfall;
    shortfall.resultCode = kExtended;
    shortfall.extended = kFiscalTotalsError;
    shortfall.text = "the printer finds the payments short of its total";
    return Failed(record, "payments", shortfall, true);
  }
  std::string left;
  std::string number;
  int64_t leftUnits = 0;
  const bool haveLeft = session_.Data(opos::gd::kAmountLeft, left) && SignedUnits(left, leftUnits);
  Json progress{{"receiptNumber", session_.Data(opos::gd::kReceiptNumber, number) && !number.empty()
                                      ? Json(std::stoll("0" + number))
                                      : Json(nullptr)}};
  if (haveLeft) {
    const int64_t change = leftUnits < 0 ? -leftUnits : 0;
    progress["total"] = AmountJson(receipt.paid - change);
    progress["change"] = AmountJson(change);
  } else {
    progress["total"] = AmountJson(receipt.total);
    progress["change"] = AmountJson(receipt.paid - receipt.total);
  }
  record.step = "paid";
  record.facts["progress"] = progress;
  store_.Put(record);  // only settling after a crash reads it
  CrashPoint("paid");

  code = printer.EndFiscalReceipt(false, &result);
  if (code != kSuccess) {
    const CallOutcome outcome = session_.Outcome(code);
    session_.Note(code);
    return StillPending(record, "close", outcome,
                        "The receipt is paid but the printer did not close it; it is closed as soon as the printer "
                        "allows.");
  }
  CrashPoint("closed");
  return Settled(record, IdState::kPrinted, 200, ReceiptAnswer(record.id, progress));
}

Answer Desk::RunCash(const CashRequest& cash, IdRecord& record) {
  FiscalPrinter& printer = session_.Printer();
  int32_t result = 0;
  const Json done{
      {"ok", true}, {"id", cash.id}, {"amount", AmountJson(cash.amount)}, {"direction", cash.in ? "in" : "out"}};
  record.facts = Json{{"mode", options_.singleCashReceipt ? "single" : "ticket"}, {"done", done}};
  if (!options_.singleCashReceipt) record.printerId = PrinterIdFor(cash.id);
  if (!store_.Put(record)) {
    return NotRecorded(record);
  }
  CrashPoint("recorded");
  struct SalesAgain {
    FiscalPrinter& printer;
    ~SalesAgain() { printer.SetPropertyNumber(opos::pidx::kFiscalReceiptType, opos::kReceiptTypeSales); }
  } salesAgain{printer};

  if (!options_.singleCashReceipt) {
    int32_t data = 0;
    std::string printerId = record.printerId;
    printer.DirectIO(kDirectIOReceiptId, &data, &printerId, &result);
  }
  int32_t code = printer.SetPropertyNumber(opos::pidx::kFiscalReceiptType,
                                           cash.in ? opos::kReceiptTypeCashIn : opos::kReceiptTypeCashOut);
  if (code == kSuccess) code = printer.BeginFiscalReceipt(true, &result);
  if (code != kSuccess) return Failed(record, "open", session_.Outcome(code), false);
  if (options_.singleCashReceipt) {
    // The whole cash document goes out in one command: from here on only the
    // paper can tell whether it was printed.
    record.step = "sending";
    if (!store_.Put(record)) {
      return NotRecorded(record);
    }
  }
  CrashPoint("opened");
  code = printer.PrintRecCash(cash.amount, &result);
  if (code != kSuccess) return Failed(record, "cash", session_.Outcome(code), !options_.singleCashReceipt);
  CrashPoint("cashed");
  code = printer.EndFiscalReceipt(false, &result);
  if (code != kSuccess) {
    const CallOutcome outcome = session_.Outcome(code);
    session_.Note(code);
    return StillPending(record, "close", outcome, "The printer did not close the cash document.");
  }
  CrashPoint("closed");
  return Settled(record, IdState::kPrinted, 200, done);
}

Answer Desk::RunReport(bool zReport, IdRecord* record) {
  FiscalPrinter& printer = session_.Printer();
  int32_t result = 0;
  std::string before;
  if (zReport && !session_.Data(opos::gd::kZReport, before)) {
    return Refusal(503, "the printer does not answer", "10");
  }
  if (record != nullptr) {
    record->step = "sending";
    if (zReport) record->facts = Json{{"zBefore", before}};
    if (!store_.Put(*record)) {
      return NotRecorded(*record);
    }
    CrashPoint("recorded");
  }
  const int32_t code = zReport ? printer.PrintZReport(&result) : printer.PrintXReport(&result);
  session_.Note(code);
  const CallOutcome outcome = session_.Outcome(code);
  Json body{{"ok", code == kSuccess}};
  if (record != nullptr) body["id"] = record->id;
  if (code == kSuccess) {
    std::string after;
    if (zReport && session_.Data(opos::gd::kZReport, after)) body["closureNumber"] = after;
    if (record != nullptr) return Settled(*record, IdState::kPrinted, 200, body);
    Answer answer;
    answer.body = body;
    return answer;
  }
  if (record != nullptr) {
    if (code == kTimeout)
      return StillPending(*record, zReport ? "z-report" : "x-report", outcome, "The printer stopped answering.");
    body["outcome"] = "failed";
    body["error"] = Json{{"resultCode", outcome.resultCode},
                         {"extended", outcome.extended},
                         {"text", outcome.text},
                         {"step", zReport ? "z-report" : "x-report"}};
    return Settled(*record, IdState::kFailed, 422, body);
  }
  Answer answer;
  answer.status = code == kTimeout ? 503 : 422;
  body["error"] = Json{{"resultCode", outcome.resultCode},
                       {"extended", outcome.extended},
                       {"text", outcome.text},
                       {"step", zReport ? "z-report" : "x-report"}};
  answer.body = body;
  return answer;
}

}  // namespace kestrel::serve
