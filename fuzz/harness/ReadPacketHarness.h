#pragma once
// RS232::ReadPacket against arbitrary chunk sequences: the frame cutting,
// the CRC check and the bounds of the caller's buffer.
//
// Input: one byte choosing the buffer size (mostly the 10000-byte incoming
// packet, sometimes a small one), one byte choosing the time-out (1 or 2 s),
// then the chunk script of FuzzHarness.h.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "fuzz/harness/FuzzHarness.h"
#include "log/Log.h"
#include "serial/RS232.h"
#include "tests/support/SingletonReset.h"
#include "tools/Results.h"

namespace kestrel::fuzz {

inline std::size_t ReadBufferSize(std::uint8_t choice) {
  if (choice < 0xC0) return kPacketBufferSize;
  return static_cast<std::size_t>(choice - 0xC0) + 1;  // 1 .. 64 bytes
}

// What a successful read promises: one frame from STX to its first ETX and
// four CRC digits that match, NUL-terminated (no NUL inside), zeros behind.
inline void CheckDeliveredFrame(const char* buffer, std::size_t size) {
  const std::size_t length = ::strnlen(buffer, size);
  Check(length < size, "the frame is terminated inside the buffer");
  Check(length >= kFrameTrailerSize + 1, "a frame holds STX, ETX and the CRC");
  Check(buffer[0] == kStx, "the frame starts with STX");
  const char* etx = static_cast<const char*>(std::memchr(buffer, kEtx, length));
  Check(etx != nullptr, "the frame holds an ETX");
  const std::size_t end = static_cast<std::size_t>(etx - buffer) + kFrameTrailerSize;
  Check(end == length, "the frame ends four characters after its first ETX");
  // NUL bytes of the frame are handed on as 0x01 after the CRC check, so
  // the digits can be checked again only on a frame without 0x01.
  if (std::memchr(buffer, 0x01, end) == nullptr) {
    const std::string crc = Tools::Crc16Hex(buffer, end - kCrcDigits, 0xFFFF);
    Check(std::memcmp(crc.data(), buffer + end - kCrcDigits, kCrcDigits) == 0, "the CRC digits match");
  }
  for (std::size_t i = length; i < size; ++i) Check(buffer[i] == 0, "zeros behind the frame");
}

inline void RunReadPacket(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return;
  Environment::Get();
  const std::size_t bufferSize = ReadBufferSize(data[0]);
  const int timeout = 1 + (data[1] & 1);

  // The port stays open from one input to the next: reading depends on
  // nothing but the line, and opening reads the profile each time. Another
  // harness run in the same process may have dropped it: then it is set up
  // again.
  static std::shared_ptr<Line> line;
  static unsigned inputs = 0;
  if (!line || !RS232::Instance().IsPortOpen()) {
    line = std::make_shared<Line>();
    SingletonReset::All();
    RS232::SetDeviceFactoryForTests([] { return std::make_unique<ScriptedDevice>(line); });
    Settings::Instance().SetDeviceClass("FiscalPrinter");
    Log::Instance().LoadSettings();
    Check(RS232::Instance().OpenPort() == kSuccess, "the scripted port opens");
  }
  RS232& port = RS232::Instance();
  port.DiscardInput();  // nothing of the input before
  line->script.clear();
  line->pending.clear();
  line->queue.clear();
  for (Chunk& chunk : ParseChunks(data + 2, size - 2)) line->pending.push_back(std::move(chunk));

  // Exactly the caller's size, so that the address sanitizer sees any byte
  // written past it.
  std::unique_ptr<char[]> buffer(new char[bufferSize]);
  std::memset(buffer.get(), 0x55, bufferSize);
  // Frames keep coming until the script is used up; each read must keep
  // its promises.
  for (int reads = 0; reads < 64; ++reads) {
    const int result = port.ReadPacket(buffer.get(), bufferSize, timeout);
    Check(result == kSuccess || result == kFailure || result == kTimeout, "ReadPacket answers 0, 111 or 112");
    if (std::getenv("KESTREL_FUZZ_DEBUG") != nullptr) {  // replaying a finding by hand
      const std::string held(buffer.get(), ::strnlen(buffer.get(), bufferSize));
      std::fprintf(stderr, "read %d: %d [%s]\n", reads, result, held.c_str());
    }
    if (result == kSuccess) CheckDeliveredFrame(buffer.get(), bufferSize);
    if (result == kTimeout && line->pending.empty() && line->queue.empty()) break;
  }
  if (++inputs % 512 == 0) DropLogs();
}

}  // namespace kestrel::fuzz
