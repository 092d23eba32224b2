// Reply codes to results and Slovak error texts.
#include <cstdlib>
#include <string>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel {
namespace {

struct ReplyMapping {
  int reply;
  int result;
  const char* text;  // null: the previous error text stays
};

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

constexpr int kStatusCoverOpen = 1;
constexpr int kStatusPaperNearEnd = 6;

}  // namespace

int Messaging::GetUPOSError(int replyCode) {
  Log::Instance().Write("Messaging::GetUPOSError", "%d", replyCode);
  if (replyCode == kReplyPrinterError) return PrinterErrorFromStatus();
  for (const ReplyMapping& m : kReplies) {
    if (m.reply != replyCode) continue;
    if (m.text != nullptr) SetErrorMessage(m.text);
    return m.result;
  }
  SetErrorMessage(text::kTextUnknownError);
  return kFailure;
}

// Reply 51: the printer reports a fault of its mechanism; its status (S09)
// tells which. The status exchange must not cost the command its own request
// and reply: a 51 that turns out harmless lets the command go on to read its
// reply fields, so both buffers are put back afterwards.
int Messaging::PrinterErrorFromStatus() {
  SetErrorMessage(text::kTextPrinterError);
  int result = kCoverOpen;

  const std::string savedOut(packetOut_, sizeof packetOut_);
  const std::string savedIn(packetIn_, sizeof packetIn_);
  const std::size_t savedLength = outLength_;
  const bool savedRefused = outRefused_;

  CreatePacketOut("S09", kPacketTypeCommand);
  ClosePacketOut();
  int r = SendPacket();
  if (r == kSuccess) r = ReadPacket(1);
  if (r == kTimeout || r == kFailure) MarkUnanswered(1);
  if (r == kSuccess) {
    char field[101];
    if (GetPacketInField(field, sizeof field, 0) == kSuccess) {
      const int status = std::atoi(field);
      if (status == kStatusCoverOpen) {
        result = kCoverOpen;
      } else if (status == kStatusPaperNearEnd) {
        result = kSuccess;
        SetErrorMessage("");
      } else {
        result = kReceiptEmpty;
      }
    }
  }

  savedOut.copy(packetOut_, sizeof packetOut_);
  savedIn.copy(packetIn_, sizeof packetIn_);
  outLength_ = savedLength;
  outRefused_ = savedRefused;
  return result;
}

}  // namespace kestrel
