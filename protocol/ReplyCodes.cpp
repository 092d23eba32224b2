#include "protocol/ReplyCodes.h"

#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel {
namespace {

constexpr ReplyMapping kReplies[] = {
    {0, kSuccess, nullptr},
    {13, kSuccess, nullptr},
    {21, kSuccess, nullptr},
    {22, kSuccess, nullptr},
    {23, kSuccess, nullptr},
    {11, kFailure, text::kTextLongRequestFailed},
    {12, kBusy, text::kTextBusy},
    {31, kFailure, text::kTextBadSequence},
    {32, kFailure, text::kTextBadRequest},
    {33, kIllegal, text::kTextBadDataPart},
    {34, kFailure, text::kTextBadCrc},
    {35, kFailure, text::kTextUnknownRequest},
    {36, kFailure, text::kTextUnknownStatus},
    {41, kDayEndRequired, text::kTextDayClosureRequired},
    {42, kWrongState, text::kTextCloseDocument},
    {43, kFiscalTotalsError, text::kTextAmountDue},
    {44, kIllegal, text::kTextOutOfRange},
    {45, kWrongState, text::kTextNoDocument},
    {46, kWrongState, text::kTextRegisterNotOpened},
    {47, kWrongState, text::kTextClosureDone},
    {48, kIllegal, text::kTextBadOperation},
    {52, kTechnicalAssistance, text::kTextPrinterDisconnected},
    {53, kTechnicalAssistance, text::kTextDisplayDisconnected},
    {61, kFiscalMemoryFull, text::kTextFiscalMemoryFull},
    {62, kJournalDownloadRequired, text::kTextDownloadJournal},
    {63, kJournalDownloadRequired, text::kTextJournalFull},
    {64, kTechnicalAssistance, text::kTextServiceOverflow},
    {65, kCallService, text::kTextCallService},
    {66, kFiscalMemoryNearlyFull, text::kTextFiscalMemoryNearlyFull},
    {67, kTechnicalAssistance, text::kTextReadOnly},
    {68, kIllegal, text::kTextForeignMemory},
    {69, kJournalDownloadRequired, text::kTextDownloadJournal},
    {70, kBadDate, text::kTextBadTime},
    {71, kBadItemAmount, text::kTextCancelNotAllowed},
    {72, kBadItemAmount, text::kTextDiscountNotAllowed},
    {73, kJournalEmpty, nullptr},  // no more journal data: ends the transfer
};

}  // namespace

const ReplyMapping* ReplyCodeTable(std::size_t* count) {
  *count = sizeof kReplies / sizeof kReplies[0];
  return kReplies;
}

}  // namespace kestrel
