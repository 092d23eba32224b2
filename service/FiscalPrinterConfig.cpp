// The six configuration values that OpenService reads from the profile.
// Each is a short decimal text; a missing, empty or too long value leaves
// the default that OpenService set just before.
#include <cstdlib>

#include "config/Settings.h"
#include "log/Log.h"
#include "service/FiscalPrinter.h"
#include "tools/Results.h"

namespace kestrel {
namespace {

// Room for nine characters and the terminator, plus one zero byte so the
// buffer is a terminated text whatever the store delivers.
constexpr int kValueSize = 10;

// Reads one value, logs "<name> <text>" and, when a text was delivered,
// gives its leading decimal number (0 when it has none).
int ReadProfileNumber(const char* tag, const char* name, long* number, bool* present) {
  char buffer[kValueSize + 1] = {};
  const int read = Settings::Instance().ReadValue(name, buffer, kValueSize);
  buffer[kValueSize] = '\0';
  Log::Instance().Write(tag, "%s %s", name, buffer);
  *present = read == kSuccess && buffer[0] != '\0';
  *number = *present ? std::strtol(buffer, nullptr, 10) : 0;
  return read;
}

// A flag is set by exactly 1; any other number clears it.
int ReadFlag(const char* tag, const char* name, bool* flag) {
  long number = 0;
  bool present = false;
  const int read = ReadProfileNumber(tag, name, &number, &present);
  if (present) *flag = number == 1;
  return read;
}

}  // namespace

int32_t FiscalPrinter::SetFreezeEvents() {
  return ReadFlag("FiscalPrinter::SetFreezeEvents", "FreezeEvents", &freezeEvents_);
}

int32_t FiscalPrinter::SetStateChecking() {
  return ReadFlag("FiscalPrinter::SetStateChecking", "CheckStateDisabled", &checkStateDisabled_);
}

int32_t FiscalPrinter::SetItemDisplaying() {
  return ReadFlag("FiscalPrinter::SetItemDisplaying", "DisplayItemDisabled", &displayItemDisabled_);
}

int32_t FiscalPrinter::SetLineDisplayRows() {
  long number = 0;
  bool present = false;
  const int read = ReadProfileNumber("FiscalPrinter::SetLineDisplayRows", "LineDisplayRows", &number, &present);
  // Taken as configured, without a range test: the display command itself
  // keeps whatever number it is given within its packet.
  if (present) lineDisplayRows_ = static_cast<int32_t>(number);
  return read;
}

int32_t FiscalPrinter::SetCashReceiptFormat() {
  return ReadFlag("FiscalPrinter::SetCashReceiptFormat", "SingleCashReceipt", &singleCashReceipt_);
}

int32_t FiscalPrinter::SetV7Protocol() { return ReadFlag("FiscalPrinter::SetV7Protocol", "V7Protocol", &v7Protocol_); }

}  // namespace kestrel
