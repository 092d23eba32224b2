// The end of a non-fiscal document (trailer and paper cut) and slip text.
// A receipt that the printer refused to cancel is ended this way too.
#include <string>
#include <vector>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "tools/Clock.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

constexpr std::size_t kLoggedChars = 500;
constexpr std::size_t kSlipPieceHexChars = 160;  // 80 bytes of slip text
constexpr int kSlipSettleMs = 100;
// Seven line feeds, the cut, one more feed.
constexpr char kCutSequence[] = "0A0A0A0A0A0A0A1B6D0A";

}  // namespace

int Messaging::CutPaper() { return SetPrinter(kCutSequence); }

int Messaging::PrintSlip(const char* text) {
  const std::string given = text != nullptr ? text : "";
  Log::Instance().Write("Messaging::PrintSlip", "%s", given.substr(0, kLoggedChars).c_str());

  // The slip mechanism takes code page 852, as hexadecimal text ended by CR.
  std::vector<char> converted(given.size() + 1, '\0');
  Tools::ToPrinterCodePage(given.c_str(), given.size(), converted.data());
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(given.size() * 2 + 2);
  for (std::size_t i = 0; i < given.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(converted[i]);
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
  hex += "0D";

  int firstFailure = kSuccess;
  for (std::size_t offset = 0; offset < hex.size(); offset += kSlipPieceHexChars) {
    const int result = SetPrinter(hex.substr(offset, kSlipPieceHexChars).c_str());
    // A lost piece must not be reported as printed; a printer that does not
    // answer gets no more pieces.
    if (firstFailure == kSuccess) firstFailure = result;
    if (PrinterUnreachable(result)) break;
  }
  clock::SleepMs(kSlipSettleMs);
  return firstFailure;
}

int Messaging::EndNonFiscal(int station, DocumentTexts& texts) {
  Log::Instance().Write("Messaging::EndNonFiscal", "%d", station);
  int result = kSuccess;
  if (station != kStationSlip) {
    const std::string trailer = texts.Trailer();
    // The cut decides: a trailer that failed to print still gets the paper
    // cut, unless the printer does not answer at all.
    const int printed = PrintLines(trailer.c_str(), false);
    result = PrinterUnreachable(printed) ? printed : CutPaper();
  }
  if (result == kSuccess) printerState_ = kPrinterStateMonitor;
  return result;
}

}  // namespace kestrel
