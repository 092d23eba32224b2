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
  if (replyCode == kReplyPrinterError) return PrinterErrorFromStatus();
  std::size_t count = 0;
  const ReplyMapping* replies = ReplyCodeTable(&count);
  for (std::size_t i = 0; i < count; ++i) {
    const ReplyMapping& m = replies[i];
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
