#pragma once
// The printer's two-digit reply codes and what each becomes: the result the
// method reports and the Slovak error text it stores. Messaging::GetUPOSError
// reads this table; the integrator's guide lists it. Reply 51 (a fault of
// the printer's mechanism) is not in it: its result comes from a status
// request. Any code not listed gives 111 and "Neznáma chyba".
#include <cstddef>

namespace kestrel {

// The two-digit reply codes the printer sends. Codes 13, 21, 22 and 23 count
// as success; what the printer means by them is its own.
enum class ReplyCode : int {
  kOk = 0,
  kLongOperation = 11,  // the printer works on: poll, then fetch the result
  kPrinterBusy = 12,
  kAccepted13 = 13,
  kAccepted21 = 21,
  kAccepted22 = 22,
  kAccepted23 = 23,
  kBadSequence = 31,  // the request's digit was not the one expected: resend
  kBadRequest = 32,
  kBadDataPart = 33,
  kBadCrc = 34,
  kUnknownRequest = 35,
  kUnknownStatus = 36,
  kDayClosureRequired = 41,
  kCloseDocument = 42,
  kAmountDue = 43,
  kOutOfRange = 44,
  kNoDocument = 45,
  kRegisterNotOpened = 46,
  kClosureDone = 47,
  kBadOperation = 48,
  kPrinterError = 51,  // a fault of the mechanism: the status request tells which
  kPrinterDisconnected = 52,
  kDisplayDisconnected = 53,
  kMemoryFull = 61,
  kDownloadJournal62 = 62,
  kJournalFull = 63,
  kServiceOverflow = 64,
  kServiceCall = 65,
  kMemoryNearlyFull = 66,
  kReadOnly = 67,
  kForeignMemory = 68,
  kDownloadJournal69 = 69,
  kBadTime = 70,
  kCancelNotAllowed = 71,
  kDiscountNotAllowed = 72,
  kJournalExhausted = 73,  // no more journal data: ends the transfer
};

// The number an exchange reports for a reply code.
constexpr int ToInt(ReplyCode code) { return static_cast<int>(code); }

struct ReplyMapping {
  ReplyCode reply;
  int result;
  const char* text;  // windows-1250; null: the previous error text stays
};

const ReplyMapping* ReplyCodeTable(std::size_t* count);

}  // namespace kestrel
