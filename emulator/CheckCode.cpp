#include "emulator/CheckCode.h"

#include <cstdio>

#include "tools/Tools.h"

namespace kestrel::emulator {

std::array<std::uint8_t, 4> StreamCheckCode(const std::string& bytes) {
  std::string read;
  read.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (c == 0x1A) break;
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    read += c;
  }
  std::uint16_t crc = Tools::Crc16(read.data(), read.size(), 0xFFFF);
  std::uint8_t x = 0xFF;
  for (char c : read) x = static_cast<std::uint8_t>(x ^ static_cast<std::uint8_t>(c));
  auto hi = static_cast<std::uint8_t>(crc >> 8);
  auto lo = static_cast<std::uint8_t>(crc & 0xFF);
  return {static_cast<std::uint8_t>(hi + x), static_cast<std::uint8_t>(hi ^ x), static_cast<std::uint8_t>(lo + x),
          static_cast<std::uint8_t>(lo ^ x)};
}

std::string JournalCheckCode(const std::string& textBytes, const std::string& binaryBytes) {
  std::string out;
  char digits[3];
  for (const std::string* stream : {&textBytes, &binaryBytes}) {
    for (std::uint8_t b : StreamCheckCode(*stream)) {
      std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(b));
      out += digits;
    }
  }
  return out;
}

}  // namespace kestrel::emulator
