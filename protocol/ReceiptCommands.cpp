// The commands of a fiscal receipt: start, item lines, adjustments, payment,
// total, VAT table, close or cancel, and the copy of a receipt.
#include <cstdio>
#include <string>

#include "log/Log.h"
#include "protocol/AmountText.h"
#include "protocol/Messaging.h"
#include "protocol/ReplyTimeouts.h"
#include "tools/Results.h"
#include "tools/Texts.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

constexpr int kReceiptTimeout = reply_timeout::kCommand;
constexpr int kCloseTimeout = reply_timeout::kClose;
constexpr int kItemAmountChars = 15;
constexpr int kTrailerFieldChars = 200;

// Reply field 0 of the last reply, at most maxChars characters, as an amount.
double ReplyAmountField(Messaging& messaging, int maxChars) {
  char field[64] = {};
  if (messaging.GetPacketInField(field, maxChars + 1, 0) != kSuccess) return 0.0;
  return DecodeReplyAmount(field);
}

}  // namespace

int Messaging::StartTicket(bool displayDisabled, const char* receiptId) {
  const std::string id = receiptId != nullptr ? receiptId : "";
  Log::Instance().Write("Messaging::StartTicket", "%d; %s", displayDisabled ? 1 : 0, id.c_str());

  // The printer wants the weekday as 1..7 from Monday, so Sunday's 0 is 7.
  char now[32] = {};
  Tools::FormatTime(now, sizeof(now), "%Y%m%d%H%M%S%w", "", "");
  std::string stamp(now);
  if (!stamp.empty() && stamp.back() == '0') stamp.back() = '7';

  CreatePacketOut("P02", kPacketTypeCommand);
  AddPacketOutField(displayDisabled ? "1" : "0");
  AddPacketOutField("0");
  AddPacketOutField(stamp.c_str());
  if (!id.empty()) AddPacketOutField(Tools::PadLeft(id.c_str(), '0', 16).c_str());
  ClosePacketOut();
  int result = SendReceive(kReceiptTimeout);
  // A start whose reply was lost counts once the printer shows the receipt open.
  if (result != kSuccess && outcomeUnknown_) result = LearnStartOutcome(result);
  if (result != kSuccess) return result;

  printerState_ = kPrinterStateFiscalReceipt;
  itemAmount_ = 0;
  subtotal_ = 0;
  amountLeft_ = 0;
  subtotalKnown_ = true;
  knownSubtotal_ = 0;
  for (auto& group : vatSummary_) {
    for (double& value : group) value = 0;
  }
  return kSuccess;
}

int Messaging::Item(int kind, const char* description, long long price, int quantity, int vatId, long long unitPrice,
                    const char* unitName) {
  const std::string text = description != nullptr ? description : "";
  const std::string unitGiven = unitName != nullptr ? unitName : "";
  Log::Instance().Write("Messaging::Item", "%d; %s; %lld; %ld; %d; %lld; %s", kind, text.c_str(), price,
                        static_cast<long>(quantity), vatId, unitPrice, unitGiven.c_str());

  const std::string unit = (unitGiven.empty() ? std::string("ks") : unitGiven).substr(0, 3);
  char vat[16];
  std::snprintf(vat, sizeof(vat), "%d", vatId);
  // Quantity 0 is one piece. The printer computes the line from quantity and
  // unit price; the line price itself is only used to derive a missing unit price.
  const double pieces = (quantity == 0 ? 10000 : quantity) / 10000.0;
  const double unitValue = (unitPrice == 0 && price != 0) ? static_cast<double>(price) / 10000.0 / pieces
                                                          : static_cast<double>(unitPrice) / 10000.0;
  const char* kindField = kind == 1 ? "3" : kind == 2 ? "2" : "1";

  CreatePacketOut("P03", kPacketTypeCommand);
  AddPacketOutField(kindField);
  AddPacketOutField(unit.c_str());
  AddPacketOutField(vat);
  AddPacketOutField(AmountText(pieces).c_str());
  AddPacketOutField(AmountText(unitValue).c_str());
  AddPacketOutField(DescriptionText(text).c_str());
  ClosePacketOut();
  // Voids and refunds take back what a sale adds.
  lineChange_ = (kind == 1 || kind == 2 ? -1.0 : 1.0) * pieces * unitValue;
  return LineDone(SendReceive(kReceiptTimeout));
}

int Messaging::ItemImmVoid() {
  Log::Instance().Write("Messaging::ItemImmVoid", "%s", "");
  CreatePacketOut("P04", kPacketTypeCommand);
  ClosePacketOut();
  subtotalKnown_ = false;  // the amount it takes back is the printer's to know
  return SendReceive(kReceiptTimeout);
}

int Messaging::ItemAdjustment(int kind, const char* description, int vatId, long long amount) {
  const std::string text = description != nullptr ? description : "";
  Log::Instance().Write("Messaging::ItemAdjustment", "%d; %s; %d; %lld", kind, text.c_str(), vatId, amount);

  const std::string line = DescriptionText(text);
  char vat[16];
  std::snprintf(vat, sizeof(vat), "%d", vatId);

  CreatePacketOut("P06", kPacketTypeCommand);
  AddPacketOutField(kind == 0 ? "1" : "2");
  // A short line carries the "*" marker; a two-line description has no room.
  AddPacketOutField(line.size() == 20 ? "*  " : "   ");
  AddPacketOutField(vat);
  AddPacketOutField("1.0000");
  AddPacketOutField(CurrencyText(amount).c_str());
  AddPacketOutField(line.c_str());
  ClosePacketOut();
  lineChange_ = static_cast<double>(amount) / 10000.0;
  return LineDone(SendReceive(kReceiptTimeout));
}

int Messaging::SubtotalAdjustment(long long amount) {
  Log::Instance().Write("Messaging::SubtotalAdjustment", "%lld", amount);
  CreatePacketOut("P07", kPacketTypeCommand);
  AddPacketOutField(CurrencyText(amount).c_str());
  ClosePacketOut();
  lineChange_ = static_cast<double>(amount) / 10000.0;
  int result = SendReceive(kReceiptTimeout);
  if (result != kSuccess && outcomeUnknown_) result = LearnLineOutcome(result);
  if (result != kSuccess) return result;
  if (subtotalKnown_) knownSubtotal_ += lineChange_;
  return kSuccess;
}

int Messaging::LineDone(int result) {
  if (result != kSuccess) {
    // Only an unreadable reply leaves the outcome to be learnt.
    return outcomeUnknown_ ? LearnLineOutcome(result) : result;
  }
  char field[kItemAmountChars + 1] = {};
  // The printer's own amount of the line keeps the known subtotal in step;
  // without it the subtotal is no longer known.
  const bool amountGiven = GetPacketInField(field, sizeof field, 0) == kSuccess;
  itemAmount_ = amountGiven ? DecodeReplyAmount(field) : 0.0;
  if (!amountGiven) subtotalKnown_ = false;
  if (subtotalKnown_) knownSubtotal_ += itemAmount_;
  return kSuccess;
}

int Messaging::Payment(long long amount, const char* paymentForm, bool displayDisabled, int displayRows) {
  const std::string form = paymentForm != nullptr ? paymentForm : "";
  Log::Instance().Write("Messaging::Payment", "%lld; %s; %d; %d", amount, form.c_str(), displayDisabled ? 1 : 0,
                        displayRows);

  // Refreshes the subtotal; the settlement test below needs its sign. A
  // printer that does not answer it gets no payment either.
  if (Subtotal(false) == kTimeout) return kTimeout;
  const double subtotal = subtotal_;
  const int stateBefore = printerState_;

  CreatePacketOut("P09", kPacketTypeCommand);
  AddPacketOutField(form.c_str());
  AddPacketOutField(CurrencyText(amount).c_str());
  ClosePacketOut();
  const int result = SendReceive(kReceiptTimeout);
  if (result != kSuccess) return outcomeUnknown_ ? LearnPaymentOutcome(result, stateBefore) : result;

  const double left = ReplyAmountField(*this, kItemAmountChars);
  amountLeft_ = left;
  // A refund receipt (negative subtotal) is settled once nothing is left,
  // or by a payment of 0 that just confirms it.
  const bool settled = (subtotal >= 0 && left <= 0) || (subtotal < 0 && left == 0) || (subtotal < 0 && amount == 0);
  if (settled) {
    printerState_ = kPrinterStateFiscalReceiptEnding;
    return kSuccess;
  }

  printerState_ = kPrinterStateFiscalReceiptTotal;
  if (!displayDisabled) {
    const char* label = left >= 0 ? text::kTextToPay : text::kTextToReturn;
    char line[128];
    std::snprintf(line, sizeof(line), "%-20s%20.2Lf", label, static_cast<long double>(left));
    std::string shown(line);
    const std::size_t point = shown.find('.');
    if (point != std::string::npos) shown[point] = ',';
    DisplayText(shown.c_str(), displayRows);
    outcomeUnknown_ = false;  // the display's fate is not the payment's
  }
  return kFiscalTotalsError;
}

int Messaging::PrintTotal() {
  Log::Instance().Write("Messaging::PrintTotal", "%s", "");
  CreatePacketOut("P10", kPacketTypeCommand);
  ClosePacketOut();
  return SendReceive(kReceiptTimeout);
}

int Messaging::PrintVatTable() {
  Log::Instance().Write("Messaging::PrintVatTable", "%s", "");
  CreatePacketOut("P11", kPacketTypeCommand);
  ClosePacketOut();
  const int result = SendReceive(kReceiptTimeout);
  if (result != kSuccess) return result;
  GetVatSummary();
  return kSuccess;
}

int Messaging::CloseTicket(bool cancel, DocumentTexts& texts, int* receiptNumber) {
  Log::Instance().Write("Messaging::CloseTicket", "%d", cancel ? 1 : 0);

  // 0 means the number could not be read. A printer that does not answer
  // this question is not sent the close either.
  int number = 0;
  if (AskPrinterReceiptNumber(number) == kTimeout) return kTimeout;
  if (receiptNumber != nullptr) *receiptNumber = number;
  const std::string trailer = texts.Trailer();

  CreatePacketOut("P12", kPacketTypeCommand);
  AddPacketOutField(cancel ? "2" : "1");
  AddPacketOutField("2");
  AddPacketOutText(trailer.c_str(), true, kTrailerFieldChars);
  ClosePacketOut();
  int result = SendReceive(kCloseTimeout);
  // A close whose reply was lost is finished like any other once the
  // printer shows the receipt gone.
  if (result != kSuccess && outcomeUnknown_) result = LearnEndOutcome(result);
  if (result != kSuccess) return result;

  printerState_ = kPrinterStateMonitor;
  subtotalKnown_ = false;
  return kSuccess;
}

void Messaging::SetFiscalPrinterState(int state) {
  Log::Instance().Write("Messaging::SetFiscalPrinterState", "%d", state);
  printerState_ = state;
}

int Messaging::TicketCopy(int number) {
  Log::Instance().Write("Messaging::TicketCopy", "%d", number);
  if (number < 0 || number > 99999) return kIllegal;
  char numberText[16];
  std::snprintf(numberText, sizeof(numberText), "%d", number);
  CreatePacketOut("P13", kPacketTypeCommand);
  AddPacketOutField("1");
  AddPacketOutField(numberText);
  ClosePacketOut();
  return SendReceive(kReceiptTimeout);
}

}  // namespace kestrel
