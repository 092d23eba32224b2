// Sending request frames and collecting reply frames.
#include <cstring>
#include <string>
#include <vector>

#include "log/Log.h"
#include "serial/Frame.h"
#include "serial/RS232.h"
#include "tools/Clock.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

constexpr int kPollMs = 20;

const char* FindByte(const char* bytes, std::size_t count, char value) {
  return static_cast<const char*>(std::memchr(bytes, value, count));
}

}  // namespace

int RS232::SendPacket(const char* packet) {
  if (!PortOpened(true)) return kClosed;
  SerialDevice& device = Device();
  // Bytes of an earlier reply that nobody read are dropped before every request.
  device.PurgeInput();
  device.PurgeOutput();

  const std::size_t length = packet != nullptr ? std::strlen(packet) : 0;
  const std::size_t written = length > 0 ? device.Write(packet, length) : 0;
  if (written == length && length > 0) {
    Log::Instance().WriteData("RS232::SendPacket", "Packet sent", packet, length);
    return kSuccess;
  }
  Log::Instance().Write("RS232::SendPacket", "Packet send failed [%d-%d]", static_cast<int>(length),
                        static_cast<int>(written));
  return kFailure;
}

std::size_t RS232::WaitForInput(int timeoutSeconds) {
  if (timeoutSeconds <= 0) return 0;
  const long polls = static_cast<long>(timeoutSeconds) * 1000 / kPollMs;
  SerialDevice& device = Device();
  for (long i = 0; i < polls; ++i) {
    clock::SleepMs(kPollMs);
    const std::size_t queued = device.QueuedInput();
    if (queued != 0) return queued;
  }
  return 0;
}

int RS232::ReadPacket(char* buffer, std::size_t size, int timeoutSeconds) {
  if (!PortOpened(false)) return kClosed;
  if (buffer == nullptr || size == 0) return kFailure;
  Log& log = Log::Instance();

  std::size_t queued = WaitForInput(timeoutSeconds);
  if (queued == 0) return kTimeout;

  // The frame and its terminator must fit: at most size - 1 bytes are kept.
  const std::size_t capacity = size - 1;
  std::size_t length = 0;  // bytes held in buffer
  std::size_t end = 0;     // frame end: index of ETX + 5
  int result = kFailure;
  bool overflow = false;
  std::vector<char> chunk;

  while (queued > 0) {
    // Read exactly what is queued; a driver queue never holds more than the
    // buffer, and a larger claim is taken in buffer-sized bites.
    const std::size_t want = queued < kPacketBufferSize ? queued : kPacketBufferSize;
    chunk.assign(want, 0);
    const std::size_t got = Device().Read(chunk.data(), want);

    if (const char* stx = FindByte(chunk.data(), got, kStx)) {
      const std::size_t skipped = static_cast<std::size_t>(stx - chunk.data());
      const std::size_t keep = got - skipped;
      std::memset(buffer, 0, size);
      if (keep > capacity) {
        length = 0;
        overflow = true;
        break;
      }
      std::memcpy(buffer, stx, keep);
      length = keep;
      // A new start byte begins a new frame: an ETX seen before it no longer
      // marks this frame's end.
      end = 0;
      if (skipped > 0) log.Write("RS232::ReadPacket", "First %d bytes ignored", static_cast<int>(skipped));
    } else if (length == 0) {
      // No frame has started yet: bytes before the first start byte are
      // dropped, whichever read brought them.
      log.Write("RS232::ReadPacket", "First %d bytes ignored", static_cast<int>(got));
    } else {
      if (got > capacity - length) {
        overflow = true;
        break;
      }
      std::memcpy(buffer + length, chunk.data(), got);
      length += got;
    }

    if (const char* etx = FindByte(buffer, length, kEtx)) {
      end = static_cast<std::size_t>(etx - buffer) + kFrameTrailerSize;
      if (length > end) {
        log.Write("RS232::ReadPacket", "Last %d bytes ignored", static_cast<int>(length - end));
      }
    }
    if (end > 0 && length >= end) {
      std::memset(buffer + end, 0, size - end);
      const std::string crc = Tools::Crc16Hex(buffer, end - kCrcDigits, 0xFFFF);
      if (std::memcmp(crc.data(), buffer + end - kCrcDigits, kCrcDigits) == 0) {
        result = kSuccess;
      } else {
        log.Write("RS232::ReadPacket", "CRC check failed");
      }
      break;
    }
    queued = WaitForInput(timeoutSeconds);
  }

  if (overflow) {
    log.Write("RS232::ReadPacket", "No complete frame within %d bytes", static_cast<int>(capacity));
    end = 0;
  }
  // Journal data may carry 0x00; the frame is handed on as a NUL-terminated
  // string, so such bytes travel as 0x01 (the journal turns them back). Only
  // bytes that arrived are touched: an incomplete frame may end short of E.
  const std::size_t received = end < length ? end : length;
  if (received > 0) Tools::ReplaceByte(buffer, received, 0x00, 0x01);
  if (result == kSuccess) {
    log.WriteData("RS232::ReadPacket", "Valid packet received", buffer, end);
  } else {
    log.WriteData("RS232::ReadPacket", "Invalid packet received!", buffer, length);
  }
  return result;
}

}  // namespace kestrel
