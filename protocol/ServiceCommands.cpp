// Service, test and set-up commands: the simple commands without fields,
// training and printing switches, fiscal parameters and fiscalisation, the
// receipt id query and the printer clock.
#include <cstdio>
#include <cstring>
#include <string>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "protocol/PrinterDates.h"
#include "protocol/ReplyTimeouts.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

constexpr int kServiceTimeout = reply_timeout::kCommand;
constexpr int kJournalPrintTimeout = reply_timeout::kLong;
constexpr int kClearFiscalModuleTimeout = reply_timeout::kClearFiscalModule;
constexpr std::size_t kReceiptIdChars = 16;
constexpr std::size_t kClockChars = 14;  // "%Y%m%d%H%M%S"
// Receipt ids are known to the printer from firmware 2.22 on.
constexpr int kReceiptIdMinor = 22;
constexpr int kReceiptIdMajor = 3;

const char* Shown(const char* text) { return text != nullptr ? text : ""; }

int Simple(Messaging& messaging, const char* tag, const char* code, int timeout) {
  Log::Instance().Write(tag, "%s", "");
  messaging.CreatePacketOut(code, kPacketTypeCommand);
  messaging.ClosePacketOut();
  return messaging.SendReceive(timeout);
}

int OneField(Messaging& messaging, const char* code, const char* field, int timeout) {
  messaging.CreatePacketOut(code, kPacketTypeCommand);
  messaging.AddPacketOutField(field);
  messaging.ClosePacketOut();
  return messaging.SendReceive(timeout);
}

}  // namespace

int Messaging::PrintJournal() { return Simple(*this, "Messaging::PrintJournal", "P21", kJournalPrintTimeout); }
int Messaging::ClearOperatingMemory() {
  return Simple(*this, "Messaging::ClearOperatingMemory", "S05", kServiceTimeout);
}
int Messaging::ConfirmService() { return Simple(*this, "Messaging::ConfirmService", "S06", kServiceTimeout); }
int Messaging::ConfirmMemNearFull() { return Simple(*this, "Messaging::ConfirmMemNearFull", "S07", kServiceTimeout); }
int Messaging::OpenDrawer() { return Simple(*this, "Messaging::OpenDrawer", "S11", kServiceTimeout); }
int Messaging::CancelCommand() { return Simple(*this, "Messaging::CancelCommand", "S12", kServiceTimeout); }
int Messaging::ClearServiceInterval() {
  return Simple(*this, "Messaging::ClearServiceInterval", "S13", kServiceTimeout);
}
int Messaging::ClearFiscalModule() {
  return Simple(*this, "Messaging::ClearFiscalModule", "S14", kClearFiscalModuleTimeout);
}
int Messaging::TestFM() { return Simple(*this, "Messaging::TestFM", "T01", kServiceTimeout); }

int Messaging::TrainingMode(bool on) {
  Log::Instance().Write("Messaging::TrainingMode", "%d", on ? 1 : 0);
  return OneField(*this, "T02", on ? "2" : "1", kServiceTimeout);
}

int Messaging::PrintEnabled(bool on) {
  Log::Instance().Write("Messaging::PrintEnabled", "%d", on ? 1 : 0);
  return OneField(*this, "T03", on ? "1" : "0", kServiceTimeout);
}

int Messaging::SetFiscalParams(int item, const char* value, const char* value2) {
  Log::Instance().Write("Messaging::SetFiscalParams", "%d; %s; %s", item, Shown(value), Shown(value2));
  // The item travels as two digits: 123 would reach item 12 with a stray 3.
  if (item < 0 || item > 99) return kIllegal;
  char number[4];
  std::snprintf(number, sizeof number, "%02d", item);
  CreatePacketOut("F01", kPacketTypeCommand);
  AddPacketOutField(number);
  AddPacketOutField(Shown(value));
  if (value2 != nullptr) AddPacketOutField(value2);
  ClosePacketOut();
  return SendReceive(kServiceTimeout);
}

int Messaging::Fiscalize(int number) {
  Log::Instance().Write("Messaging::Fiscalize", "%d", number);
  char text[16];
  std::snprintf(text, sizeof text, "%d", number);
  return OneField(*this, "F02", text, kServiceTimeout);
}

bool Messaging::ReceiptIdExists(const char* id) {
  const char* given = Shown(id);
  Log::Instance().Write("Messaging::ReceiptIdExists", "%s", given);
  if (std::strlen(given) > kReceiptIdChars) return false;
  if (majorVersion_ < kReceiptIdMajor && minorVersion_ < kReceiptIdMinor) return false;
  const std::string padded = Tools::PadLeft(given, '0', static_cast<int>(kReceiptIdChars));
  // Only a refusal says "unknown"; a printer that cannot be asked is taken
  // to know the id, so that a receipt is never issued twice.
  return OneField(*this, "P25", padded.c_str(), kServiceTimeout) != kIllegal;
}

int Messaging::SetDate(const char* date, bool read, char* out) {
  Log::Instance().Write("Messaging::SetDate", "%s; %d", Shown(date), read ? 1 : 0);
  if (read) {
    if (out != nullptr) std::memset(out, 0, kClockChars + 1);
    const int result = OneField(*this, "S02", "1", kServiceTimeout);
    if (result == kSuccess && out != nullptr) return GetPacketInField(out, kClockChars + 1, 0);
    return result;
  }
  // Seconds are always 00; the weekday follows the date.
  char stamp[32];
  const int converted = printer_dates::ConvertInterfaceDate(date, "%Y%m%d%H%M00%w", stamp, sizeof stamp);
  if (converted != kSuccess) return converted;
  CreatePacketOut("S02", kPacketTypeCommand);
  AddPacketOutField("2");
  AddPacketOutField(stamp);
  ClosePacketOut();
  return SendReceive(kServiceTimeout);
}

}  // namespace kestrel
