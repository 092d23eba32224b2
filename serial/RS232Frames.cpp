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

constexpr unsigned long kFallbackBaudRate = 115200;
constexpr unsigned long kBitsPerByte = 10;  // start bit, eight data bits, stop bit

const char* FindByte(const char* bytes, std::size_t count, char value) {
  return static_cast<const char*>(std::memchr(bytes, value, count));
}

long Smaller(long a, long b) { return a < b ? a : b; }

}  // namespace

int RS232::SendPacket(const char* packet) {
  if (!PortOpened(true)) return kClosed;
  SerialDevice& device = Device();
  // Bytes of an earlier reply that nobody read are dropped before every request.
  device.PurgeInput();
  device.PurgeOutput();
  carry_.clear();

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

void RS232::DiscardInput() {
  carry_.clear();
  if (IsOpen()) Device().PurgeInput();
}

std::size_t RS232::WaitPolls(long polls, long* used) {
  SerialDevice& device = Device();
  for (long i = 0; i < polls; ++i) {
    clock::SleepMs(kPollMs);
    if (used != nullptr) ++*used;
    const std::size_t queued = device.QueuedInput();
    if (queued != 0) return queued;
  }
  return 0;
}

std::size_t RS232::WaitForInput(int timeoutSeconds) {
  if (timeoutSeconds <= 0) return 0;
  return WaitPolls(static_cast<long>(timeoutSeconds) * kPollsPerSecond, nullptr);
}

long RS232::WirePolls() const {
  const unsigned long rate = settings_.baudRate > 0 ? settings_.baudRate : kFallbackBaudRate;
  const unsigned long long ms =
      (static_cast<unsigned long long>(kReceiveByteLimit) * kBitsPerByte * 1000 + rate - 1) / rate;
  return static_cast<long>((ms + kPollMs - 1) / kPollMs);
}

int RS232::ReadPacket(char* buffer, std::size_t size, int timeoutSeconds) {
  const long wait = timeoutSeconds > 0 ? static_cast<long>(timeoutSeconds) * kPollsPerSecond : 0;
  return ReadFrame(buffer, size, wait, wait, wait + WirePolls(), nullptr);
}

int RS232::ReadFrame(char* buffer, std::size_t size, long firstPolls, long piecePolls, long deadlinePolls,
                     long* spentPolls) {
  long used = 0;
  struct Report {
    long& used;
    long* out;
    ~Report() {
      if (out != nullptr) *out = used;
    }
  } report{used, spentPolls};

  if (!PortOpened(false)) return kClosed;
  if (buffer == nullptr || size == 0) return kFailure;
  Log& log = Log::Instance();

  std::string chunk;
  std::size_t queued = 0;
  if (!carry_.empty()) {
    chunk.swap(carry_);
  } else {
    queued = WaitPolls(Smaller(firstPolls, deadlinePolls), &used);
    if (queued == 0) return kTimeout;
  }

  // The frame and its terminator must fit: at most size - 1 bytes are kept.
  const std::size_t capacity = size - 1;
  std::size_t length = 0;    // bytes held in buffer
  std::size_t end = 0;       // frame end: index of ETX + 5
  std::size_t received = 0;  // every byte taken in, dropped ones included
  std::size_t dropped = 0;   // bytes before the frame's start byte
  bool truncated = false;    // the frame being collected did not fit
  int result = kFailure;
  bool limited = false;

  while (true) {
    if (chunk.empty()) {
      // Read what is queued, never past the byte limit of one receive.
      const std::size_t want = queued < kReceiveByteLimit - received ? queued : kReceiveByteLimit - received;
      chunk.assign(want, '\0');
      chunk.resize(Device().Read(&chunk[0], want));
    }
    received += chunk.size();

    if (const char* stx = FindByte(chunk.data(), chunk.size(), kStx)) {
      // A start byte begins the frame anew: what came before it is dropped.
      const std::size_t skipped = static_cast<std::size_t>(stx - chunk.data());
      const std::size_t keep = chunk.size() - skipped;
      dropped += length + skipped;
      std::memset(buffer, 0, size);
      truncated = keep > capacity;
      length = truncated ? capacity : keep;
      std::memcpy(buffer, stx, length);
      end = 0;
    } else if (length == 0) {
      dropped += chunk.size();
    } else if (!truncated) {
      const std::size_t room = capacity - length;
      truncated = chunk.size() > room;
      const std::size_t take = truncated ? room : chunk.size();
      std::memcpy(buffer + length, chunk.data(), take);
      length += take;
    }
    chunk.clear();

    if (const char* etx = FindByte(buffer, length, kEtx)) {
      end = static_cast<std::size_t>(etx - buffer) + kFrameTrailerSize;
    }
    if (end > 0 && length >= end) {
      if (dropped > 0) log.Write("RS232::ReadPacket", "First %d bytes ignored", static_cast<int>(dropped));
      if (length > end) {
        log.Write("RS232::ReadPacket", "Last %d bytes ignored", static_cast<int>(length - end));
        carry_.assign(buffer + end, length - end);
      }
      std::memset(buffer + end, 0, size - end);
      const std::string crc = Tools::Crc16Hex(buffer, end - kCrcDigits, 0xFFFF);
      if (std::memcmp(crc.data(), buffer + end - kCrcDigits, kCrcDigits) == 0) {
        result = kSuccess;
      } else {
        log.Write("RS232::ReadPacket", "CRC check failed");
      }
      break;
    }
    if (truncated || received >= kReceiveByteLimit || used >= deadlinePolls) {
      limited = true;
      break;
    }
    // Each further piece has the full wait, but never past the deadline.
    const long room = deadlinePolls - used;
    const bool cut = room < piecePolls;
    queued = WaitPolls(cut ? room : piecePolls, &used);
    if (queued == 0) {
      limited = cut;
      break;
    }
  }

  if (limited) {
    // A line that keeps sending without ever completing a frame (a scale or
    // a scanner on the wrong port) ends the receive here, with one line.
    log.Write("RS232::ReadPacket", "No complete frame within %d bytes and %ld ms, %d bytes received",
              static_cast<int>(kReceiveByteLimit), deadlinePolls * kPollMs, static_cast<int>(received));
    std::memset(buffer, 0, size);
    return kFailure;
  }
  // Journal data may carry 0x00; the frame is handed on as a NUL-terminated
  // string, so such bytes travel as 0x01 (the journal turns them back). Only
  // bytes that arrived are touched: an incomplete frame may end short of E.
  const std::size_t frameBytes = end > 0 && end < length ? end : length;
  if (frameBytes > 0) Tools::ReplaceByte(buffer, frameBytes, 0x00, 0x01);
  if (result == kSuccess) {
    log.WriteData("RS232::ReadPacket", "Valid packet received", buffer, end);
  } else {
    log.WriteData("RS232::ReadPacket", "Invalid packet received!", buffer, length);
  }
  return result;
}

}  // namespace kestrel
