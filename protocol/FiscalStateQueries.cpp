// Fiscal state questions whose callers must tell "no" from "no answer": the
// same S01 fields as the getters, with the request's result.
#include <cstdlib>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "tools/Results.h"

namespace kestrel {
namespace {

constexpr int kFieldConfirmFlags = 0;  // hex: 0x20 memory nearly full, 0x40 service
constexpr int kFieldTraining = 1;
constexpr int kFieldDayState = 3;
constexpr int kFieldNumberOrTotal = 5;  // receipt number in a receipt, else the day's total
constexpr long kMemNearFullBit = 0x20;
constexpr long kServiceBit = 0x40;

int AskFlagBits(Messaging& messaging, long bit, bool& set) {
  set = false;
  char field[3];
  const int result = messaging.GetFiscalState(kFieldConfirmFlags, field, sizeof field);
  if (result == kSuccess) set = (std::strtol(field, nullptr, 16) & bit) != 0;
  return result;
}

}  // namespace

int Messaging::AskFiscalPrinterState(int& state) {
  Log::Instance().Write("Messaging::AskFiscalPrinterState", "%s", "");
  state = printerState_;
  // Before the firmware is known the digits cannot be read; the cached
  // state stands, as for every refresh.
  if (majorVersion_ <= 0 || minorVersion_ < 0) return kSuccess;
  char field[3];
  const int result = GetFiscalState(kFieldDayState, field, sizeof field);
  if (result != kSuccess) return result;
  state = StateFromDigit(std::atoi(field));
  Log::Instance().Write("Messaging::AskFiscalPrinterState", "PrinterState is %d", state);
  return kSuccess;
}

int Messaging::AskEODRequired(bool& required) {
  Log::Instance().Write("Messaging::AskEODRequired", "%s", "");
  required = false;
  char field[2];
  const int result = GetFiscalState(kFieldDayState, field, sizeof field);
  if (result == kSuccess) required = std::atoi(field) == 1;
  return result;
}

int Messaging::AskTrainingModeActive(bool& active) {
  Log::Instance().Write("Messaging::AskTrainingModeActive", "%s", "");
  active = false;
  char field[3];
  const int result = GetFiscalState(kFieldTraining, field, sizeof field);
  if (result == kSuccess) active = std::atoi(field) == 1;
  return result;
}

int Messaging::AskServiceConfirmRequired(bool& required) {
  Log::Instance().Write("Messaging::AskServiceConfirmRequired", "%s", "");
  return AskFlagBits(*this, kServiceBit, required);
}

int Messaging::AskMemNearFullConfirmRequired(bool& required) {
  Log::Instance().Write("Messaging::AskMemNearFullConfirmRequired", "%s", "");
  return AskFlagBits(*this, kMemNearFullBit, required);
}

int Messaging::AskDailyTotal(double& total) {
  Log::Instance().Write("Messaging::AskDailyTotal", "%s", "");
  total = 0;
  char field[51];
  const int result = GetFiscalState(kFieldNumberOrTotal, field, sizeof field);
  if (result == kSuccess) total = DecodeReplyAmount(field);
  return result;
}

int Messaging::AskPrinterReceiptNumber(int& number) {
  Log::Instance().Write("Messaging::AskPrinterReceiptNumber", "%s", "");
  number = 0;
  char field[16];
  const int result = GetFiscalState(kFieldNumberOrTotal, field, sizeof field);
  if (result == kSuccess) number = std::atoi(field);
  return result;
}

int Messaging::AskReceiptSubtotal(double& subtotal) {
  Log::Instance().Write("Messaging::AskReceiptSubtotal", "%s", "");
  const int result = Subtotal(false);
  subtotal = subtotal_;
  return result;
}

}  // namespace kestrel
