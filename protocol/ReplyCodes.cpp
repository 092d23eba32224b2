#include "protocol/ReplyCodes.h"

#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel {
namespace {

constexpr ReplyMapping kReplies[] = {
    {ReplyCode::kOk, kSuccess, nullptr},
    {ReplyCode::kAccepted13, kSuccess, nullptr},
    {ReplyCode::kAccepted21, kSuccess, nullptr},
    {ReplyCode::kAccepted22, kSuccess, nullptr},
    {ReplyCode::kAccepted23, kSuccess, nullptr},
    {ReplyCode::kLongOperation, kFailure, text::kTextLongRequestFailed},
    {ReplyCode::kPrinterBusy, kBusy, text::kTextBusy},
    {ReplyCode::kBadSequence, kFailure, text::kTextBadSequence},
    {ReplyCode::kBadRequest, kFailure, text::kTextBadRequest},
    {ReplyCode::kBadDataPart, kIllegal, text::kTextBadDataPart},
    {ReplyCode::kBadCrc, kFailure, text::kTextBadCrc},
    {ReplyCode::kUnknownRequest, kFailure, text::kTextUnknownRequest},
    {ReplyCode::kUnknownStatus, kFailure, text::kTextUnknownStatus},
    {ReplyCode::kDayClosureRequired, kDayEndRequired, text::kTextDayClosureRequired},
    {ReplyCode::kCloseDocument, kWrongState, text::kTextCloseDocument},
    {ReplyCode::kAmountDue, kFiscalTotalsError, text::kTextAmountDue},
    {ReplyCode::kOutOfRange, kIllegal, text::kTextOutOfRange},
    {ReplyCode::kNoDocument, kWrongState, text::kTextNoDocument},
    {ReplyCode::kRegisterNotOpened, kWrongState, text::kTextRegisterNotOpened},
    {ReplyCode::kClosureDone, kWrongState, text::kTextClosureDone},
    {ReplyCode::kBadOperation, kIllegal, text::kTextBadOperation},
    {ReplyCode::kPrinterDisconnected, kTechnicalAssistance, text::kTextPrinterDisconnected},
    {ReplyCode::kDisplayDisconnected, kTechnicalAssistance, text::kTextDisplayDisconnected},
    {ReplyCode::kMemoryFull, kFiscalMemoryFull, text::kTextFiscalMemoryFull},
    {ReplyCode::kDownloadJournal62, kJournalDownloadRequired, text::kTextDownloadJournal},
    {ReplyCode::kJournalFull, kJournalDownloadRequired, text::kTextJournalFull},
    {ReplyCode::kServiceOverflow, kTechnicalAssistance, text::kTextServiceOverflow},
    {ReplyCode::kServiceCall, kCallService, text::kTextCallService},
    {ReplyCode::kMemoryNearlyFull, kFiscalMemoryNearlyFull, text::kTextFiscalMemoryNearlyFull},
    {ReplyCode::kReadOnly, kTechnicalAssistance, text::kTextReadOnly},
    {ReplyCode::kForeignMemory, kIllegal, text::kTextForeignMemory},
    {ReplyCode::kDownloadJournal69, kJournalDownloadRequired, text::kTextDownloadJournal},
    {ReplyCode::kBadTime, kBadDate, text::kTextBadTime},
    {ReplyCode::kCancelNotAllowed, kBadItemAmount, text::kTextCancelNotAllowed},
    {ReplyCode::kDiscountNotAllowed, kBadItemAmount, text::kTextDiscountNotAllowed},
    {ReplyCode::kJournalExhausted, kJournalEmpty, nullptr},  // no more journal data: ends the transfer
};

}  // namespace

const ReplyMapping* ReplyCodeTable(std::size_t* count) {
  *count = sizeof kReplies / sizeof kReplies[0];
  return kReplies;
}

}  // namespace kestrel
