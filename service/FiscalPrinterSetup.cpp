// Set-up of the printer from the application: header lines, VAT rates, and
// the small administrative calls (POS id, store id, cash drawer).
#include <cstring>
#include <string>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "service/FiscalPrinter.h"
#include "service/PrinterJournal.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel {
namespace {

constexpr std::size_t kHeaderLineChars = 40;
constexpr int32_t kHeaderItemBase = 59;  // header line n is fiscal parameter 59 + n
constexpr int32_t kVatItemBase = 50;     // VAT number n is fiscal parameter 50 + n
constexpr std::size_t kVatEntryChars = 2;
constexpr int kVatTableUndefined = 217;  // no rate given since the service was opened
// A rate the application has not named: the table sends the printer's own.
constexpr char kVatNotNamed[] = "--";
// Room to see a stored rate longer than two characters for what it is.
constexpr int kVatReadChars = 16;

// A rate in whole percent as the printer stores it: exactly two digits.
bool IsVatRateText(const char* text) {
  return std::strlen(text) == kVatEntryChars && text[0] >= '0' && text[0] <= '9' && text[1] >= '0' && text[1] <= '9';
}

}  // namespace

int32_t FiscalPrinter::SetHeaderLine(int32_t lineNumber, const char* text, bool doubleWidth, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::SetHeaderLine", result);
  Log::Instance().Write("FiscalPrinter::SetHeaderLine", "%ld; %s; %d", static_cast<long>(lineNumber), Text(text),
                        doubleWidth ? 1 : 0);
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (!CheckHeaderLineID(lineNumber)) return Finish(kKeepRecordedResult, result, nullptr, true);

  std::string line(Text(text));
  line.resize(kHeaderLineChars, ' ');  // cut to 40 characters, or padded to them
  Messaging& messaging = Messaging::Instance();
  const int32_t code = messaging.SetFiscalParams(kHeaderItemBase + lineNumber, line.c_str(), nullptr);
  // The stored copy that non-fiscal documents print follows the printer.
  if (code == kSuccess) UpdateHeader(messaging);
  return Finish(code, result, nullptr, true);
}

int32_t FiscalPrinter::SetVatValue(int32_t vatId, const char* vatValue, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::SetVatValue", result);
  Log::Instance().Write("FiscalPrinter::SetVatValue", "%ld; %s", static_cast<long>(vatId), Text(vatValue));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (!CheckVatID(vatId)) return Finish(kKeepRecordedResult, result, nullptr, true);

  // A refused value leaves no table behind: SetVatTable must not send one
  // made of rates nobody named.
  if (!IsVatRateText(Text(vatValue))) return Finish(kBadItemDescription, result, text::kTextBadValue, false);
  if (!pendingVatTable_) {
    pendingVatTable_.emplace();
    for (int32_t n = 0; n < kNumVatRates; ++n) pendingVatTable_->append(kVatNotNamed);
  }
  pendingVatTable_->replace(static_cast<std::size_t>(vatId - 1) * kVatEntryChars, kVatEntryChars, Text(vatValue));
  return Finish(kSuccess, result, nullptr, true);
}

int32_t FiscalPrinter::SetVatTable(int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::SetVatTable", result);
  Log::Instance().Write("FiscalPrinter::SetVatTable", "%s", "");
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (!pendingVatTable_) return Finish(kVatTableUndefined, result, text::kTextUndefined, false);

  // Every rate not named keeps the printer's present value, read before
  // anything is written: a table half read would set wrong tax on a group.
  Messaging& messaging = Messaging::Instance();
  std::string table = *pendingVatTable_;
  for (int32_t n = 1; n <= kNumVatRates; ++n) {
    const std::size_t at = static_cast<std::size_t>(n - 1) * kVatEntryChars;
    if (table.compare(at, kVatEntryChars, kVatNotNamed) != 0) continue;
    char stored[kVatReadChars] = {};
    const int32_t read = messaging.ReadFiscalData(kVatItemBase + n, stored, kVatReadChars);
    if (read != kSuccess) return Finish(read, result, nullptr, true);
    if (!IsVatRateText(stored)) {
      Log::Instance().Write("FiscalPrinter::SetVatTable", "Rate %ld read as '%s'", static_cast<long>(n), stored);
      return Finish(kFailure, result, text::kTextInvalidReply, true);
    }
    table.replace(at, kVatEntryChars, stored);
  }

  // Every rate is sent; the first refusal is the one reported. A printer
  // that stops answering gets no more of them.
  int32_t code = kSuccess;
  for (int32_t n = 1; n <= kNumVatRates; ++n) {
    const std::string entry = table.substr(static_cast<std::size_t>(n - 1) * kVatEntryChars, kVatEntryChars);
    const int32_t sent = messaging.SetFiscalParams(kVatItemBase + n, entry.c_str(), nullptr);
    if (code == kSuccess || sent == kTimeout) code = sent;
    if (sent == kTimeout) break;
  }
  return Finish(code, result, nullptr, true);
}

int32_t FiscalPrinter::SetPOSID(const char* posId, const char* cashierId, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::SetPOSID", result);
  Log::Instance().Write("FiscalPrinter::SetPOSID", "%s; %s", Text(posId), Text(cashierId));
  // The printer has no use for them; accepted in any state.
  return Finish(kSuccess, result, nullptr, false);
}

int32_t FiscalPrinter::SetStoreFiscalID(const char* id, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::SetStoreFiscalID", result);
  Log::Instance().Write("FiscalPrinter::SetStoreFiscalID", "%s", Text(id));
  return Finish(kSuccess, result, nullptr, false);
}

int32_t FiscalPrinter::OpenDrawer(int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::OpenDrawer", result);
  Log::Instance().Write("FiscalPrinter::OpenDrawer", "%s", "");
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  return Finish(Messaging::Instance().OpenDrawer(), result, nullptr, true);
}

}  // namespace kestrel
