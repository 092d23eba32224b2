// The start of a non-fiscal document: the logo and the stored header.
#include "log/Log.h"
#include "protocol/Messaging.h"
#include "tools/Results.h"

namespace kestrel {

int Messaging::StartNonFiscal(int station, DocumentTexts& texts) {
  Log::Instance().Write("Messaging::StartNonFiscal", "%d", station);
  int linesBefore = 0;
  if (station != kStationSlip) {
    // A printer without a logo refuses to print it (106); the document
    // goes on without one.
    const int logo = PrinterLogo(1, nullptr, nullptr);
    if (logo != kSuccess && logo != kIllegal) return logo;
    linesBefore = 2;
  }
  const int result = PrintHeader(linesBefore, 1, station, 0, texts);
  if (result == kSuccess) printerState_ = kPrinterStateNonFiscal;
  return result;
}

}  // namespace kestrel
