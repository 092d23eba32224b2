// The printer logo (P01) and the receipt header that the service prints
// itself at the top of non-fiscal documents.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "protocol/ReplyTimeouts.h"
#include "tools/Clock.h"
#include "tools/Results.h"
#include "tools/Texts.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

constexpr int kLogoTimeout = reply_timeout::kCommand;
constexpr std::size_t kLogoBlockBytes = 100;
constexpr std::size_t kLogoMaxBlocks = 999;  // block numbers have three digits
constexpr int kLogoSettleMs = 500;
constexpr int kHeaderLineChars = 40;
constexpr int kSlipLineChars = 80;

std::string HexBytes(const unsigned char* bytes, std::size_t count) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(count * 2);
  for (std::size_t i = 0; i < count; ++i) {
    hex += kDigits[bytes[i] >> 4];
    hex += kDigits[bytes[i] & 0x0F];
  }
  return hex;
}

std::string PadRight(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

}  // namespace

int Messaging::PrinterLogo(int mode, const char* path, char* out) {
  // out is only written, never read.
  Log::Instance().Write("Messaging::PrinterLogo", "%d; %s; %s", mode, path != nullptr ? path : "", "");

  if (mode == 1 || mode == 2) {
    CreatePacketOut("P01", kPacketTypeCommand);
    AddPacketOutField(mode == 1 ? "1" : "3");
    ClosePacketOut();
    const int result = SendReceive(kLogoTimeout);
    if (mode == 2 && result == kSuccess && out != nullptr) {
      std::memset(out, 0, 5);
      GetPacketInField(out, 5, 0);
    }
    return result;
  }
  if (mode != 0 || path == nullptr) return kIllegal;

  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return kIllegal;
  // The whole file is read first: one that needs more blocks than the
  // three-digit block number can count is refused before anything is sent.
  const std::size_t limit = kLogoBlockBytes * kLogoMaxBlocks;
  std::vector<unsigned char> logo(limit + 1);
  const std::size_t size = std::fread(logo.data(), 1, logo.size(), file);
  std::fclose(file);
  if (size > limit) {
    Log::Instance().Write("Messaging::PrinterLogo", "Logo larger than %lu bytes", static_cast<unsigned long>(limit));
    return kIllegal;
  }

  int result = kSuccess;
  for (std::size_t offset = 0, block = 1; offset < size && result == kSuccess; offset += kLogoBlockBytes, ++block) {
    const std::size_t count = std::min(kLogoBlockBytes, size - offset);
    char number[8];
    std::snprintf(number, sizeof(number), "%03u", static_cast<unsigned>(block));
    CreatePacketOut("P01", kPacketTypeCommand);
    AddPacketOutField("2");
    AddPacketOutField(number);
    AddPacketOutField(HexBytes(logo.data() + offset, count).c_str());
    ClosePacketOut();
    result = SendReceive(kLogoTimeout);
  }
  // The printer stores the logo after the last block; give it that time.
  clock::SleepMs(kLogoSettleMs);
  return result;
}

int Messaging::PrintHeader(int linesBefore, int linesAfter, int station, int receiptNumber, DocumentTexts& texts) {
  Log::Instance().Write("Messaging::PrintHeader", "%d; %d; %d; %d", linesBefore, linesAfter, station, receiptNumber);
  const bool slip = station == kStationSlip;
  const std::size_t width = slip ? kSlipLineChars : kHeaderLineChars;
  const std::string blankLine(width, ' ');

  std::string block;
  for (int i = 0; i < linesBefore; ++i) block += blankLine;

  // A header not stored yet is read from the printer first; one that falls
  // silent meanwhile gets nothing to print.
  std::string header;
  const int stored = texts.Header(header);
  if (stored != kSuccess) return stored;
  if (slip) {
    // The slip is 80 columns wide: each 40-column header line gets a blank half.
    for (std::size_t offset = 0; offset < header.size(); offset += kHeaderLineChars) {
      block += PadRight(header.substr(offset, kHeaderLineChars), kSlipLineChars);
    }
  } else {
    block += header;
  }

  if (receiptNumber > 0) {
    char when[32] = {};
    Tools::FormatTime(when, sizeof(when), "%d-%m-%Y %H:%M:%S", "", "");
    const std::string left(when);
    const std::string right = std::string(text::kTextBlockNumber) + std::to_string(receiptNumber);
    const std::size_t used = left.size() + right.size();
    block += left + std::string(used < width ? width - used : 1, ' ') + right;
  }
  for (int i = 0; i < linesAfter; ++i) block += blankLine;

  if (block.empty()) return kSuccess;
  return slip ? PrintSlip(block.c_str()) : PrintLines(block.c_str(), false);
}

}  // namespace kestrel
