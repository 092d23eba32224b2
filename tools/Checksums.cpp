#include <array>
#include <cstdio>

#include "tools/Tools.h"

namespace kestrel {
namespace {

// CRC-16/CCITT-FALSE tables: polynomial 0x1021, most significant bit first.
// Table k gives the CRC of a byte followed by k zero bytes, so that eight
// bytes fold in one step ("slicing by eight"); table 0 is the classic one.
using CrcTables = std::array<std::array<std::uint16_t, 256>, 8>;

constexpr CrcTables MakeCrcTables() {
  CrcTables tables{};
  for (unsigned i = 0; i < 256; ++i) {
    std::uint16_t crc = static_cast<std::uint16_t>(i << 8);
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : (crc << 1));
    }
    tables[0][i] = crc;
  }
  for (std::size_t k = 1; k < tables.size(); ++k) {
    for (unsigned i = 0; i < 256; ++i) {
      const std::uint16_t previous = tables[k - 1][i];
      tables[k][i] = static_cast<std::uint16_t>((previous << 8) ^ tables[0][previous >> 8]);
    }
  }
  return tables;
}
constexpr CrcTables kCrc = MakeCrcTables();

}  // namespace

std::uint16_t Tools::Crc16(const void* bytes, std::size_t length, std::uint16_t start) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  std::uint16_t crc = start;
  // The register folds into the first two bytes of each group of eight.
  for (; length >= 8; length -= 8, p += 8) {
    crc = static_cast<std::uint16_t>(kCrc[7][p[0] ^ (crc >> 8)] ^ kCrc[6][p[1] ^ (crc & 0xFF)] ^ kCrc[5][p[2]] ^
                                     kCrc[4][p[3]] ^ kCrc[3][p[4]] ^ kCrc[2][p[5]] ^ kCrc[1][p[6]] ^ kCrc[0][p[7]]);
  }
  for (std::size_t i = 0; i < length; ++i) {
    crc = static_cast<std::uint16_t>(kCrc[0][(p[i] ^ (crc >> 8)) & 0xFF] ^ (crc << 8));
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
