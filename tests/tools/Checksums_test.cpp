// CRC-16 of the packet frame and the journal file check code.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "tests/tools/ToolsFixture.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::testing {
namespace {

using Code = std::array<unsigned char, 4>;

TEST(Crc16, KnownValues) {
  EXPECT_EQ("514A", Tools::Crc16Hex("abc", 3, 0xFFFF));
  const unsigned char frame[] = {0x02, 0x53, 0x30, 0x31, 0x31, 0x30, 0x31, 0x03};
  EXPECT_EQ(0x9C81, Tools::Crc16(frame, sizeof frame, 0xFFFF));
  EXPECT_EQ("9C81", Tools::Crc16Hex(frame, sizeof frame, 0xFFFF));
  // The standard check value of CRC-16/CCITT-FALSE.
  EXPECT_EQ(0x29B1, Tools::Crc16("123456789", 9, 0xFFFF));
  EXPECT_EQ(0xFFFF, Tools::Crc16("", 0, 0xFFFF));
}

TEST(Crc16, UpdatesInPiecesAsInOne) {
  const std::string text = "The printer answers 73 when the journal is exhausted.";
  std::uint16_t whole = Tools::Crc16(text.data(), text.size(), 0xFFFF);
  std::uint16_t first = Tools::Crc16(text.data(), 17, 0xFFFF);
  EXPECT_EQ(whole, Tools::Crc16(text.data() + 17, text.size() - 17, first));
}

// Bit by bit, as the polynomial defines it: the reference for the table
// version, which folds eight bytes at a time.
std::uint16_t BitwiseCrc16(const std::string& bytes, std::uint16_t crc) {
  for (unsigned char byte : bytes) {
    crc = static_cast<std::uint16_t>(crc ^ (byte << 8));
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : (crc << 1));
    }
  }
  return crc;
}

TEST(Crc16, AgreesWithTheBitwiseDefinitionForEveryLengthAndStart) {
  std::string bytes;
  std::uint32_t seed = 99;
  for (int i = 0; i < 300; ++i) {
    seed = seed * 1103515245u + 12345u;
    bytes += static_cast<char>(seed >> 16);
  }
  const std::uint16_t starts[] = {0xFFFF, 0x0000, 0x1D0F, 0x8001};
  for (std::uint16_t start : starts) {
    for (std::size_t length = 0; length <= bytes.size(); ++length) {
      const std::string part = bytes.substr(0, length);
      ASSERT_EQ(BitwiseCrc16(part, start), Tools::Crc16(part.data(), part.size(), start))
          << "length " << length << " start " << start;
    }
  }
}

// The code of bytes that need no text-mode translation.
Code CodeOf(const std::string& bytes) {
  std::uint16_t crc = Tools::Crc16(bytes.data(), bytes.size(), 0xFFFF);
  unsigned x = Tools::XorBytes(bytes.data(), bytes.size(), 0xFF);
  unsigned hi = crc >> 8;
  unsigned lo = crc & 0xFF;
  return {static_cast<unsigned char>(hi + x), static_cast<unsigned char>(hi ^ x), static_cast<unsigned char>(lo + x),
          static_cast<unsigned char>(lo ^ x)};
}

// The bytes a text-mode reader of the Windows C runtime delivers.
std::string TextModeView(const std::string& raw) {
  std::string out;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\x1A') break;
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    out += raw[i];
  }
  return out;
}

class FileCheckCodeTest : public ToolsFileTest {
 protected:
  Code CodeOfFile(const std::string& bytes) {
    Put("journal.txt", bytes);
    Code code{};
    EXPECT_EQ(kSuccess, Tools::FileCheckCode(Path("journal.txt"), code.data()));
    return code;
  }
};

TEST_F(FileCheckCodeTest, MissingAndEmptyFilesGiveTheEmptyCode) {
  const Code empty = {0xFE, 0x00, 0xFE, 0x00};
  Code code{};
  EXPECT_EQ(kSuccess, Tools::FileCheckCode(Path("missing.txt"), code.data()));
  EXPECT_EQ(empty, code);
  EXPECT_EQ(empty, CodeOfFile(""));
  EXPECT_EQ(kIllegal, Tools::FileCheckCode(Path("missing.txt"), nullptr));
}

TEST_F(FileCheckCodeTest, ThreeBytes) {
  const Code expected = {0xF0, 0xCE, 0xE9, 0xD5};
  EXPECT_EQ(expected, CodeOfFile("abc"));
}

// Each case: the raw file and what a text-mode reader sees of it.
struct TextModeCase {
  const char* name;
  std::string raw;
  std::string seen;
};

TEST_F(FileCheckCodeTest, ReadsTheFileByTextModeRules) {
  const std::string piece39(39, 'x');
  const std::string piece40(40, 'y');
  const std::string buffer(4095, 'z');
  const TextModeCase cases[] = {
      {"CR LF reads as LF", "ab\r\ncd\r\n", "ab\ncd\n"},
      {"a lone CR stays", "ab\rcd", "ab\rcd"},
      {"a CR before CR LF stays", "a\r\r\nb", "a\r\nb"},
      {"LF CR is not a pair", "a\n\rb", "a\n\rb"},
      {"a CR at the end stays", "abc\r", "abc\r"},
      {"0x1A ends the file", std::string("abc\x1A") + "more\r\n", "abc"},
      {"0x1A at the start gives the empty file", std::string("\x1A") + "abc", ""},
      {"a CR before 0x1A stays", std::string("ab\r\x1A") + "cd", "ab\r"},
      {"CR LF across a 40-byte piece", piece39 + "\r\n" + "tail", piece39 + "\ntail"},
      {"CR as byte 41 of the raw file", piece40 + "\r\n" + "tail", piece40 + "\ntail"},
      {"CR LF across a read buffer", buffer + "\r\n" + "tail", buffer + "\ntail"},
      {"lone CR across a read buffer", buffer + "\r" + "tail", buffer + "\rtail"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(c.seen, TextModeView(c.raw));  // the reference reader agrees with the case
    EXPECT_EQ(CodeOf(c.seen), CodeOfFile(c.raw));
  }
}

TEST_F(FileCheckCodeTest, LargeJournalMatchesItsTextModeView) {
  std::string raw;
  std::uint32_t seed = 12345;
  for (int i = 0; i < 200000; ++i) {
    seed = seed * 1103515245u + 12345u;
    unsigned char byte = static_cast<unsigned char>(seed >> 16);
    if (byte == 0x1A) byte = 0x1B;  // keep the whole file in play
    raw += static_cast<char>(byte);
    if (byte % 7 == 0) raw += "\r\n";
  }
  EXPECT_EQ(CodeOf(TextModeView(raw)), CodeOfFile(raw));
}

}  // namespace
}  // namespace kestrel::testing
