#include <array>
#include <cstdio>

#include "tools/Tools.h"

namespace kestrel {
namespace {

// CRC-16/CCITT-FALSE table: polynomial 0x1021, most significant bit first.
constexpr std::array<std::uint16_t, 256> MakeCrcTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    std::uint16_t crc = static_cast<std::uint16_t>(i << 8);
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : (crc << 1));
    }
    table[i] = crc;
  }
  return table;
}
constexpr std::array<std::uint16_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

std::uint16_t Tools::Crc16(const void* bytes, std::size_t length, std::uint16_t start) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  std::uint16_t crc = start;
  for (std::size_t i = 0; i < length; ++i) {
    crc = static_cast<std::uint16_t>(kCrcTable[(p[i] ^ (crc >> 8)) & 0xFF] ^ (crc << 8));
  }
  return crc;
}

std::string Tools::Crc16Hex(const void* bytes, std::size_t length, std::uint16_t start) {
  char text[5];
  std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(Crc16(bytes, length, start)));
  return text;
}

std::uint8_t Tools::XorBytes(const void* bytes, std::size_t length, std::uint8_t start) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  std::uint8_t x = start;
  for (std::size_t i = 0; i < length; ++i) x = static_cast<std::uint8_t>(x ^ p[i]);
  return x;
}

}  // namespace kestrel
