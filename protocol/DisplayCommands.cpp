// Raw bytes for the customer display (D02) and text placed at a position.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "protocol/ReplyTimeouts.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

constexpr int kDisplayTimeout = reply_timeout::kStatus;

void AppendHex(std::string& hex, unsigned char byte) {
  static const char kDigits[] = "0123456789ABCDEF";
  hex += kDigits[byte >> 4];
  hex += kDigits[byte & 0x0F];
}

// Each ASCII digit of the number as two hex digits.
void AppendNumberAsHex(std::string& hex, long number) {
  char digits[24];  // room for any long with its sign
  std::snprintf(digits, sizeof digits, "%ld", number);
  for (const char* p = digits; *p != '\0'; ++p) AppendHex(hex, static_cast<unsigned char>(*p));
}

}  // namespace

int Messaging::SetDisplay(const char* hexText) {
  Log::Instance().Write("Messaging::SetDisplay", "%s", hexText != nullptr ? hexText : "");
  CreatePacketOut("D02", kPacketTypeCommand);
  AddPacketOutField(hexText);
  ClosePacketOut();
  return SendReceive(kDisplayTimeout);
}

int Messaging::DisplayTextAt(const char* text, int row, int column) {
  const std::string given = text != nullptr ? text : "";
  Log::Instance().Write("Messaging::DisplayTextAt", "%s; %d; %d", given.c_str(), row, column);
  std::vector<char> converted(given.size() + 1, '\0');
  Tools::ToPrinterCodePage(given.c_str(), given.size(), converted.data());

  // ESC [ row ; column H, counted from 1, then the text.
  std::string hex = "1B5B";
  AppendNumberAsHex(hex, static_cast<long>(row) + 1);
  hex += "3B";
  AppendNumberAsHex(hex, static_cast<long>(column) + 1);
  hex += "48";
  for (std::size_t i = 0; i < given.size(); ++i) AppendHex(hex, static_cast<unsigned char>(converted[i]));
  return SetDisplay(hex.c_str());
}

}  // namespace kestrel
