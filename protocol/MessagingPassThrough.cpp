// The customer display (D01), raw bytes for the printer mechanism (P22) and
// the unprinted or printed subtotal (P08).
#include <cstring>
#include <string>
#include <vector>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "protocol/ReplyTimeouts.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

constexpr int kDisplayTimeout = reply_timeout::kStatus;
constexpr int kPrinterTimeout = reply_timeout::kCommand;
constexpr int kSubtotalTimeout = reply_timeout::kCommand;
constexpr std::size_t kDisplayColumns = 20;

}  // namespace

int Messaging::SetPrinter(const char* hexText) {
  Log::Instance().Write("Messaging::SetPrinter", "%s", hexText != nullptr ? hexText : "");
  CreatePacketOut("P22", kPacketTypeCommand);
  AddPacketOutField(hexText);
  ClosePacketOut();
  return SendReceive(kPrinterTimeout);
}

int Messaging::DisplayText(const char* text, int rows) {
  Log& log = Log::Instance();
  log.Write("Messaging::DisplayText", "%s; %d", text != nullptr ? text : "", rows);
  // The display has at most nine rows; a configured count outside 0..9 is
  // taken as its nearest end, so that it can neither overrun the request nor
  // switch the display off.
  const int clamped = rows < 0 ? 0 : rows > kMaxDisplayRows ? kMaxDisplayRows : rows;
  if (clamped == 0) {
    // No row to write to: an empty D01 would only draw a refusal.
    log.Write("Messaging::DisplayText", "No display rows [%d]", rows);
    return kSuccess;
  }
  const std::size_t rowCount = static_cast<std::size_t>(clamped);
  const std::size_t length = text != nullptr ? std::strlen(text) : 0;
  std::vector<char> clean(length + 1, '\0');
  if (length > 0) Tools::StripControl(clean.data(), length, text);

  std::string shown(clean.data());
  const std::size_t width = rowCount * kDisplayColumns;
  shown.resize(width, ' ');  // cut to the width, or padded with blanks

  CreatePacketOut("D01", kPacketTypeCommand);
  for (std::size_t row = 0; row < rowCount; ++row) {
    AddPacketOutField(shown.substr(row * kDisplayColumns, kDisplayColumns).c_str());
  }
  ClosePacketOut();
  return SendReceive(kDisplayTimeout);
}

int Messaging::Subtotal(bool print) {
  Log::Instance().Write("Messaging::Subtotal", "%d", print ? 1 : 0);
  CreatePacketOut("P08", kPacketTypeCommand);
  AddPacketOutField(print ? "1" : "0");
  ClosePacketOut();
  const int r = SendReceive(kSubtotalTimeout);
  if (r == kSuccess) {
    char field[21];
    // An absent field reads as 0, but it tells nothing of the receipt.
    subtotalKnown_ = GetPacketInField(field, sizeof field, 0) == kSuccess;
    subtotal_ = DecodeReplyAmount(field);
    knownSubtotal_ = subtotal_;
  }
  return r;
}

}  // namespace kestrel
