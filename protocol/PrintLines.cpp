// Plain receipt text (P20), the piece of non-fiscal printing that receipts
// and the header block share.
#include <string>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "protocol/ReplyTimeouts.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

constexpr int kLinesTimeout = reply_timeout::kLong;
constexpr std::size_t kPieceChars = 200;  // five printed lines of 40
constexpr std::size_t kLoggedChars = 500;

}  // namespace

int Messaging::PrintLines(const char* text, bool flag) {
  const std::string given = text != nullptr ? text : "";
  Log::Instance().Write("Messaging::PrintLines", "%s; %d", given.substr(0, kLoggedChars).c_str(), flag ? 1 : 0);

  std::string printable;
  printable.reserve(given.size());
  for (char c : given) {
    if (static_cast<unsigned char>(c) >= 0x20) printable += c;
  }

  // An empty text still feeds one blank line.
  int firstFailure = kSuccess;
  bool firstUnknown = false;  // the reported piece's reply never came readable
  std::size_t offset = 0;
  do {
    const std::string piece = printable.substr(offset, kPieceChars);
    CreatePacketOut("P20", kPacketTypeCommand);
    AddPacketOutField(flag ? "1" : "0");
    AddPacketOutText(piece.c_str(), true, static_cast<int>(kPieceChars));
    ClosePacketOut();
    const int result = SendReceive(kLinesTimeout);
    // A lost piece must not be reported as printed; once the printer does
    // not answer, the rest would only cost three time-outs a piece.
    if (firstFailure == kSuccess) {
      firstFailure = result;
      firstUnknown = outcomeUnknown_;
    }
    if (PrinterUnreachable(result)) break;
    offset += kPieceChars;
  } while (offset < printable.size());
  outcomeUnknown_ = firstUnknown;
  return firstFailure;
}

}  // namespace kestrel
