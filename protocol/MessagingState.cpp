// What earlier replies left behind and what the printer's fiscal state says:
// flags and numbers of S01, receipt amounts, the VAT summary, firmware
// version and slip station.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "tools/Results.h"

namespace kestrel {
namespace {

// S01 fields the service reads.
constexpr int kFieldConfirmFlags = 0;  // hex: 0x20 memory nearly full, 0x40 service
constexpr int kFieldTraining = 1;
constexpr int kFieldDayState = 3;
constexpr int kFieldReceiptNumber = 5;  // also the day's total, read as an amount
constexpr long kMemNearFullBit = 0x20;
constexpr long kServiceBit = 0x40;

constexpr int kSlipItem = 73;
constexpr int kSlipStationPresent = 6;
constexpr int kSlipUnknown = 7;

// Pieces of text between '.', empty pieces skipped.
std::vector<std::string> SplitVersion(const char* text) {
  std::vector<std::string> pieces;
  std::string piece;
  for (const char* p = text;; ++p) {
    if (*p == '.' || *p == '\0') {
      if (!piece.empty()) pieces.push_back(piece);
      piece.clear();
      if (*p == '\0') break;
    } else {
      piece += *p;
    }
  }
  return pieces;
}

}  // namespace

bool Messaging::GetEODRequired() {
  Log::Instance().Write("Messaging::GetEODRequired", "%s", "");
  char field[2];
  GetFiscalState(kFieldDayState, field, sizeof field);
  return std::atoi(field) == 1;
}

bool Messaging::GetTrainingModeActive() {
  Log::Instance().Write("Messaging::GetTrainingModeActive", "%s", "");
  char field[3];
  GetFiscalState(kFieldTraining, field, sizeof field);
  return std::atoi(field) == 1;
}

bool Messaging::GetMemNearFullConfirmRequired() {
  Log::Instance().Write("Messaging::GetMemNearFullConfirmRequired", "%s", "");
  char field[3];
  GetFiscalState(kFieldConfirmFlags, field, sizeof field);
  return (std::strtol(field, nullptr, 16) & kMemNearFullBit) != 0;
}

bool Messaging::GetServiceConfirmRequired() {
  Log::Instance().Write("Messaging::GetServiceConfirmRequired", "%s", "");
  char field[3];
  GetFiscalState(kFieldConfirmFlags, field, sizeof field);
  return (std::strtol(field, nullptr, 16) & kServiceBit) != 0;
}

int Messaging::GetReceiptNumber() {
  // Logged as the question put to the printer (1); the stored number is the
  // service's to read.
  Log::Instance().Write("Messaging::GetReceiptNumber", "%d", 1);
  char field[16];
  if (GetFiscalState(kFieldReceiptNumber, field, sizeof field) != kSuccess) return 0;
  return std::atoi(field);
}

double Messaging::GetDailyTotal() {
  Log::Instance().Write("Messaging::GetDailyTotal", "%s", "");
  char field[51];
  if (GetFiscalState(kFieldReceiptNumber, field, sizeof field) != kSuccess) return 0;
  return DecodeReplyAmount(field);
}

double Messaging::GetReceiptItemAmount() const {
  Log::Instance().Write("Messaging::GetReceiptItemAmount", "%s", "");
  return itemAmount_;
}

double Messaging::GetReceiptAmountLeft() const {
  Log::Instance().Write("Messaging::GetReceiptAmountLeft", "%s", "");
  return amountLeft_;
}

double Messaging::GetReceiptSubtotal() {
  Log::Instance().Write("Messaging::GetReceiptSubtotal", "%s", "");
  Subtotal(false);
  return subtotal_;
}

int Messaging::GetVatSummary() {
  Log::Instance().Write("Messaging::GetVatSummary", "%s", "");
  char field[21];
  int group = -1;  // outside A..H: the group's values are skipped
  for (int i = 1; GetPacketInField(field, sizeof field, i) == kSuccess; ++i) {
    const int k = (i - 1) % kVatValues;
    if (k == 0) {
      group = field[0] - 'A';
      if (group < 0 || group >= kVatGroups) {
        group = -1;
        continue;
      }
      vatSummary_[group][0] = std::strtod(field + 1, nullptr);
    } else if (group >= 0) {
      vatSummary_[group][k] = DecodeReplyAmount(field);
    }
  }
  return kSuccess;
}

double Messaging::GetVatSummaryValue(int group, int index) {
  Log::Instance().Write("Messaging::GetVatSummaryValue", "%d; %d", group, index);
  if (group < 0 || group >= kVatGroups || index < 0 || index >= kVatValues) return 0;
  return vatSummary_[group][index];
}

int Messaging::SetFirmwareVersion(bool v7Protocol) {
  Log& log = Log::Instance();
  log.Write("Messaging::SetFirmwareVersion", "%d", v7Protocol ? 1 : 0);
  if (minorVersion_ != -1) return kSuccess;

  int result = kFailure;
  int major = 2;
  int minor = 14;
  if (v7Protocol) {
    minor = 7;
  } else {
    char text[16];
    if (ReadOperatingData(0, text, sizeof text) == kSuccess) {
      const std::vector<std::string> pieces = SplitVersion(text);
      if (!pieces.empty()) major = std::atoi(pieces[0].c_str());
      if (pieces.size() >= 3) {
        minor = std::atoi(pieces[2].c_str());
        result = kSuccess;
      }
    }
  }
  majorVersion_ = major;
  minorVersion_ = minor;
  log.Write("Messaging::SetFirmwareVersion", "FW version %d-%d", majorVersion_, minorVersion_);
  return result;
}

int Messaging::GetMajorVersion() const {
  Log::Instance().Write("Messaging::GetMajorVersion", "%s", "");
  return majorVersion_;
}

int Messaging::GetMinorVersion() const {
  Log::Instance().Write("Messaging::GetMinorVersion", "%s", "");
  return minorVersion_;
}

bool Messaging::GetSlipPresent() const {
  Log::Instance().Write("Messaging::GetSlipPresent", "%s", "");
  return slipPresent_;
}

int Messaging::SetSlipPresent() {
  Log& log = Log::Instance();
  log.Write("Messaging::SetSlipPresent", "%s", "");
  int result = kSuccess;
  int value = kSlipUnknown;
  char field[16];
  if (ReadFiscalData(kSlipItem, field, sizeof field) == kSuccess) {
    value = std::atoi(field);
  } else {
    result = kFailure;
  }
  slipPresent_ = value == kSlipStationPresent;
  log.Write("Messaging::SetSlipPresent", "Slip present %d", slipPresent_ ? 1 : 0);
  return result;
}

}  // namespace kestrel
