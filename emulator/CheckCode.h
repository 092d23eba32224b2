#pragma once
// The journal check code as the printer computes it over the journal data it
// handed out. The host stores that data in files and reads them back in the
// Windows C runtime's text mode, so the printer applies the same reading
// rules: a CR LF pair counts as one LF, and nothing after a 0x1A counts.
#include <array>
#include <cstdint>
#include <string>

namespace kestrel::emulator {

// The 4-byte code of one stream: crc from 0xFFFF and x from 0xFF over the bytes
// as read, then (hi + x), hi ^ x, (lo + x), lo ^ x.
std::array<std::uint8_t, 4> StreamCheckCode(const std::string& bytes);

// 16 upper-case hex digits: the text stream's code, then the binary stream's.
std::string JournalCheckCode(const std::string& textBytes, const std::string& binaryBytes);

}  // namespace kestrel::emulator
