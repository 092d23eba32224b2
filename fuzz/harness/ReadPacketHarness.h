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

#include "fuzz/harness/FuzzHarness.h"
#include "log/Log.h"
#include "serial/RS232.h"
#include "service/Settings.h"
#include "tests/support/SingletonReset.h"
#include "tools/Results.h"

namespace kestrel::fuzz {

inline std::size_t ReadBufferSize(std::uint8_t choice) {
  if (choice < 0xC0) return kPacketBufferSize;
  return static_cast<std::size_t>(choice - 0xC0) + 1;  // 1 .. 64 bytes
}

// What a successful read promises: one frame from STX to its first ETX and
// four CRC digits that match, NUL-terminated, zeros behind it, no NUL inside.
inline void CheckDeliveredFrame(const char* buffer, std::size_t size) {
  const std::size_t length = ::strnlen(buffer, size);
  Check(length < size, "the frame is terminated inside the buffer");
  Check(length >= kFrameTrailerSize + 1, "a frame holds STX, ETX and the CRC");
  Check(buffer[0] == kStx, "the frame starts with STX");
  const char* etx = static_cast<const char*>(std::memchr(buffer, kEtx, length));
  Check(etx != nullptr, "the frame holds an ETX");
  const std::size_t end = static_cast<std::size_t>(etx - buffer) + kFrameTrailerSize;
  Check(end == length, "the frame ends four characters after its first ETX");
  const std::string crc = Tools::Crc16Hex(buffer, end - kCrcDigits, 0xFFFF);
  Check(std::memcmp(crc.data(), buffer + end - kCrcDigits, kCrcDigits) == 0, "the CRC digits match");
  for (std::size_t i = length; i < size; ++i) Check(buffer[i] == 0, "zeros behind the frame");
}

inline void RunReadPacket(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return;
  Environment::Get();
  const std::size_t bufferSize = ReadBufferSize(data[0]);
  const int timeout = 1 + (data[1] & 1);

  SingletonReset::All();
  auto line = std::make_shared<Line>();
  RS232::SetDeviceFactoryForTests([line] { return std::make_unique<ScriptedDevice>(line); });
  Settings::Instance().SetDeviceClass("FiscalPrinter");
  Log::Instance().LoadSettings();
  RS232& port = RS232::Instance();
  Check(port.OpenPort() == kSuccess, "the scripted port opens");

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
    if (result == kSuccess) CheckDeliveredFrame(buffer.get(), bufferSize);
    if (result == kTimeout && line->pending.empty() && line->queue.empty()) break;
  }
  RS232::SetDeviceFactoryForTests(nullptr);
  SingletonReset::All();
  DropLogs();
}

}  // namespace kestrel::fuzz
