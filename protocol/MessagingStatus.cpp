// The printer's mechanical status and its fiscal printer state.
#include <cstdlib>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "protocol/ReplyTimeouts.h"
#include "tools/Results.h"

namespace kestrel {
namespace {

// Bits of the slip sensor byte that mean "no paper in the slip station".
constexpr long kSlipPaperMissingBits = 0x60;
constexpr const char kSlipStatusQuery[] = "1D0405";

// The receipt status digit the printer answers to S09.
int ReceiptStatusResult(int status) {
  switch (status) {
    case 0:
      return kSuccess;
    case 1:
      return kCoverOpen;
    case 2:
    case 3:
    case 4:
    case 5:
      return kReceiptEmpty;
    case 6:
      return kReceiptPaperNearEnd;
    default:
      return kFailure;
  }
}

int FailedRequestResult(int r) { return r == kTimeout ? kTimeout : kFailure; }

}  // namespace

int Messaging::GetPrinterStatus(int station) {
  Log::Instance().Write("Messaging::GetPrinterStatus", "%d", station);
  char field[101];
  if (station == kStationSlip) {
    if (!slipPresent_) return kSlipEmpty;
    const int r = SetPrinter(kSlipStatusQuery);
    if (r != kSuccess) return FailedRequestResult(r);
    GetPacketInField(field, sizeof field, 0);
    if (field[0] == '\0') return kFailure;
    const long sensor = std::strtol(field, nullptr, 16);
    return (sensor & kSlipPaperMissingBits) != 0 ? kSlipEmpty : kSlipForm;
  }

  CreatePacketOut("S09", kPacketTypeCommand);
  ClosePacketOut();
  const int r = SendReceive(reply_timeout::kStatus);
  if (r != kSuccess) return FailedRequestResult(r);
  const int fieldResult = GetPacketInField(field, sizeof field, 0);
  if (fieldResult != kSuccess) return fieldResult;
  return ReceiptStatusResult(std::atoi(field));
}

int Messaging::GetFiscalPrinterState(bool refresh) {
  Log& log = Log::Instance();
  log.Write("Messaging::GetFiscalPrinterState", "%d", refresh ? 1 : 0);
  int state = printerState_;
  if (refresh && majorVersion_ > 0 && minorVersion_ >= 0) {
    char field[3];
    if (GetFiscalState(3, field, sizeof field) == kSuccess) state = StateFromDigit(std::atoi(field));
  }
  log.Write("Messaging::GetFiscalPrinterState", "PrinterState is %d", state);
  return state;
}

int Messaging::StateFromDigit(int digit) const {
  // Firmware from 2.14 on reports the receipt's ending and total phases
  // with the digits 3 and 6 the other way round from older firmware.
  const bool newer = majorVersion_ >= 3 || minorVersion_ >= 14;
  switch (digit) {
    case 2:
      return kPrinterStateFiscalReceipt;
    case 3:
      return newer ? kPrinterStateFiscalReceiptEnding : kPrinterStateFiscalReceiptTotal;
    case 5:
      return kPrinterStateFiscalReceiptTotal;
    case 6:
      return newer ? kPrinterStateFiscalReceiptTotal : kPrinterStateFiscalReceiptEnding;
    default:
      return kPrinterStateMonitor;
  }
}

}  // namespace kestrel
