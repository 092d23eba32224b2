// Reply codes to results and Slovak error texts.
#include <cstdlib>
#include <string>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "protocol/ReplyCodes.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel {
namespace {

constexpr int kStatusCoverOpen = 1;
constexpr int kStatusPaperNearEnd = 6;

}  // namespace

int Messaging::GetUPOSError(int replyCode) {
  Log::Instance().Write("Messaging::GetUPOSError", "%d", replyCode);
  if (replyCode == ToInt(ReplyCode::kPrinterError)) return PrinterErrorFromStatus();
  std::size_t count = 0;
  const ReplyMapping* replies = ReplyCodeTable(&count);
  for (std::size_t i = 0; i < count; ++i) {
    const ReplyMapping& m = replies[i];
    if (ToInt(m.reply) != replyCode) continue;
    if (m.text != nullptr) SetErrorMessage(m.text);
    return m.result;
  }
  SetErrorMessage(text::kTextUnknownError);
  return kFailure;
}

// Reply 51: the printer reports a fault of its mechanism; its status (S09)
// tells which. The status request is a request and reply of its own: the
// command's request and reply stay as they were, so that a 51 that turns out
// harmless lets the command go on to read its reply fields.
int Messaging::PrinterErrorFromStatus() {
  SetErrorMessage(text::kTextPrinterError);
  int result = kCoverOpen;

  Request statusRequest = link_.NewRequest("S09", kPacketTypeCommand);
  statusRequest.Close();
  Reply reply;
  int r = link_.Send(statusRequest);
  if (r == kSuccess) r = link_.Read(statusRequest, 1, reply);
  if (r == kTimeout || r == kFailure) link_.MarkUnanswered(1);
  if (r == kSuccess) {
    char field[101];
    if (ReplyField(reply, 0, field, sizeof field) == kSuccess) {
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
  return result;
}

}  // namespace kestrel
